// The program's side of the boundary with the name registry library vandrel1.dlp.
//
// The library is found by its file name next to the running executable, then in
// the install's library folder (or in the folder named by ROLVANE_LIBRARY_DIR). It is
// loaded at the first call of any operation and each operation is resolved at its
// own first call. Strings go in as Windows-1252 bytes; text answers come back in the
// caller's buffer under the fill contract (the caller pre-fills the buffer with
// blanks and trims what it reads back).
//
// When the library cannot be loaded (or an operation is missing) every call does
// nothing: lookups answer 0 and buffers stay as they were. Jobs ask available()
// before they start, so that a missing library stops them cleanly.
#pragma once

#include <cstdint>
#include <string>

namespace vandrel {

// True when vandrel1.dlp is loaded (loading it on the first call).
bool available();
// The full path of the loaded library, or "" when it is not loaded.
std::string loadedPath();
// Forget a loaded library and load it again from the given folder at the next call
// (tests use this to load the library they built, or a folder without it).
void reloadFrom(const std::string& folder);

// Library booleans.
constexpr int32_t kTrue = -1;
constexpr int32_t kFalse = 0;

// Name registry. The jobs open and close it through a Registry guard only.
void creationCarnet();
void fermercarnet();

// Holds the name registry open: Registry::open() opens it (creationCarnet) and the
// guard closes it (fermercarnet) when it goes, by whatever way the job ends. A
// guard made empty, or moved from, holds nothing.
class [[nodiscard]] Registry {
  public:
    Registry() = default;
    [[nodiscard]] static Registry open();
    Registry(Registry&& other) noexcept : open_(other.open_) { other.open_ = false; }
    Registry& operator=(Registry&&) = delete;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    ~Registry();
    // True while the guard holds the registry open.
    explicit operator bool() const { return open_; }

  private:
    bool open_ = false;
};
void inserenom(const std::string& nameKey);
int32_t present(const std::string& nameKey);
int32_t presentID(const std::string& identifier);
void inserenomancien(const std::string& key, const std::string& value);
void presentancien(const std::string& key, std::string& buffer);
// The groups of the pupils to list, each followed by one blank.
void elevessortis(const std::string& groupList);
// Does nothing; tolerated when the library has no such operation.
void raz();

// Teachers in service and groups.
void memoriseProfEnService(const std::string& identifier);
void razProfEnService();
void associecodegroupe(const std::string& groupCode, const std::string& className);
void associeProfsGroupes(const std::string& codeOrClass, const std::string& kind,
                         const std::string& teacher);
void genereGroupes(const std::string& teacher, std::string& buffer);
int32_t inseredstableau(const std::string& text);
int32_t indexdstableau(const std::string& text);

// Teacher lines of the server's EXPORT file.
void memligneprof(const std::string& line);
void tableauProfs(std::string& buffer);
void tableauGroupes(std::string& buffer);
void retrouveDonneesProf(const std::string& surname, const std::string& firstName,
                         std::string& buffer);
void msjourbaseresp(int32_t mode, const std::string& surname, const std::string& firstName,
                    const std::string& value);
void msjourbasekwartz(int32_t mode);

// A buffer of n blanks, and the trimmed text a call left in it.
inline std::string blanks(size_t n) {
    return std::string(n, ' ');
}
std::string trimmed(const std::string& buffer);

} // namespace vandrel
