// The program's side of the boundary with vandrel1.dlp: finds the library by its
// file name, loads it at the first call, resolves each operation at its own first
// call and calls it with the caller's own string bytes.
#include "clients/vandrel_client.h"

#include "text/module_folders.h"
#include "vandrel1.h"

#include <cstdlib>
#include <string_view>
#include <vector>

namespace vandrel {
namespace {

constexpr const char* kFileName = "vandrel1.dlp";

struct Library {
    void* handle = nullptr;
    std::string path;
    bool attempted = false;
    std::string onlyFolder;  // set by reloadFrom: the one folder to look in
    unsigned generation = 1; // changes whenever the loaded library may change
};

// A global rather than a function-local static: every operation reads it, and
// a local static would cost a guard check per call.
Library theLibrary;

Library& library() {
    return theLibrary;
}

std::vector<std::string> candidateFolders(const Library& lib) {
    if (!lib.onlyFolder.empty()) return {lib.onlyFolder};
    return modvesk::moduleFolders({"ROLVANE_LIBRARY_DIR"});
}

Library& loaded() {
    Library& lib = library();
    if (lib.attempted) return lib;
    lib.attempted = true;
    const modvesk::LoadedModule module = modvesk::loadModule(candidateFolders(lib), kFileName);
    lib.handle = module.handle;
    lib.path = module.path;
    return lib;
}

// One operation's entry point, resolved at its first call after each (re)load.
struct Slot {
    void* address = nullptr;
    unsigned generation = 0;
};

template <typename Fn> Fn resolve(Slot& slot, const char* name) {
    Library& lib = library();
    // A slot of the current generation was resolved after the library was loaded.
    if (slot.generation != lib.generation) {
        slot.address = modvesk::moduleFunction(loaded().handle, name);
        slot.generation = lib.generation;
    }
    return reinterpret_cast<Fn>(slot.address);
}

} // namespace

// Declares the slot of an operation and yields its entry point (null when absent).
#define VANDREL_OPERATION(op)                                                                      \
    static Slot slot_##op;                                                                         \
    const auto fn = resolve<decltype(&::op)>(slot_##op, #op)

bool available() {
    return loaded().handle != nullptr;
}

std::string loadedPath() {
    return loaded().path;
}

void reloadFrom(const std::string& folder) {
    Library& lib = library();
    modvesk::unloadModule(lib.handle);
    lib.handle = nullptr;
    lib.path.clear();
    lib.attempted = false;
    lib.onlyFolder = folder;
    ++lib.generation;
}

void creationCarnet() {
    VANDREL_OPERATION(creationCarnet);
    if (fn) fn();
}

void fermercarnet() {
    VANDREL_OPERATION(fermercarnet);
    if (fn) fn();
}

Registry Registry::open() {
    creationCarnet();
    Registry guard;
    guard.open_ = true;
    return guard;
}

Registry::~Registry() {
    if (open_) fermercarnet();
}

void inserenom(const std::string& nameKey) {
    VANDREL_OPERATION(inserenom);
    if (fn) fn(nameKey.data());
}

int32_t present(const std::string& nameKey) {
    VANDREL_OPERATION(present);
    return fn ? fn(nameKey.data()) : kFalse;
}

int32_t presentID(const std::string& identifier) {
    VANDREL_OPERATION(presentID);
    return fn ? fn(identifier.data()) : kFalse;
}

void inserenomancien(const std::string& key, const std::string& value) {
    VANDREL_OPERATION(inserenomancien);
    if (fn) fn(key.data(), value.data());
}

void presentancien(const std::string& key, std::string& buffer) {
    VANDREL_OPERATION(presentancien);
    if (fn) fn(key.data(), buffer.data());
}

void elevessortis(const std::string& groupList) {
    VANDREL_OPERATION(elevessortis);
    if (fn) fn(groupList.data());
}

void raz() {
    VANDREL_OPERATION(raz);
    if (fn) fn();
}

void memoriseProfEnService(const std::string& identifier) {
    VANDREL_OPERATION(memoriseProfEnService);
    if (fn) fn(identifier.data());
}

void razProfEnService() {
    VANDREL_OPERATION(razProfEnService);
    if (fn) fn();
}

void associecodegroupe(const std::string& groupCode, const std::string& className) {
    VANDREL_OPERATION(associecodegroupe);
    if (fn) fn(groupCode.data(), className.data());
}

void associeProfsGroupes(const std::string& codeOrClass, const std::string& kind,
                         const std::string& teacher) {
    VANDREL_OPERATION(associeProfsGroupes);
    if (fn) fn(codeOrClass.data(), kind.data(), teacher.data());
}

void genereGroupes(const std::string& teacher, std::string& buffer) {
    VANDREL_OPERATION(genereGroupes);
    if (fn) fn(teacher.data(), buffer.data());
}

int32_t inseredstableau(const std::string& text) {
    VANDREL_OPERATION(inseredstableau);
    return fn ? fn(text.data()) : kFalse;
}

int32_t indexdstableau(const std::string& text) {
    VANDREL_OPERATION(indexdstableau);
    return fn ? fn(text.data()) : kFalse;
}

void memligneprof(const std::string& line) {
    VANDREL_OPERATION(memligneprof);
    if (fn) fn(line.data());
}

void tableauProfs(std::string& buffer) {
    VANDREL_OPERATION(tableauProfs);
    if (fn) fn(buffer.data());
}

void tableauGroupes(std::string& buffer) {
    VANDREL_OPERATION(tableauGroupes);
    if (fn) fn(buffer.data());
}

void retrouveDonneesProf(const std::string& surname, const std::string& firstName,
                         std::string& buffer) {
    VANDREL_OPERATION(retrouveDonneesProf);
    if (fn) fn(surname.data(), firstName.data(), buffer.data());
}

void msjourbaseresp(int32_t mode, const std::string& surname, const std::string& firstName,
                    const std::string& value) {
    VANDREL_OPERATION(msjourbaseresp);
    if (fn) fn(mode, surname.data(), firstName.data(), value.data());
}

void msjourbasekwartz(int32_t mode) {
    VANDREL_OPERATION(msjourbasekwartz);
    if (fn) fn(mode);
}

std::string trimmed(const std::string& buffer) {
    const size_t first = buffer.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const size_t last = buffer.find_last_not_of(' ');
    return buffer.substr(first, last - first + 1);
}

} // namespace vandrel
