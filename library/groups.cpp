// Teachers in service, the classes behind each group code, the groups each
// teacher teaches, and the string-to-index table tableau1.
#include "vandrel1.h"

#include "routines.h"
#include "stores.h"

#include <map>
#include <set>
#include <string>
#include <utility>

namespace vandrel1 {
namespace {

// groupe_classe: (group code, class name) pairs, each pair once. Only the class of
// the first pair recorded for a code is ever used, so that is what is kept per code.
std::set<std::pair<std::string, std::string>> groupe_classe;
std::map<std::string, std::string, std::less<>> premiereClasseDuCode;

// profnumind: the group names of each teacher, in the order they were recorded
// (duplicates kept; they are removed when read).
std::map<std::string, StringList, std::less<>> profnumind;

// tableau1: one index per distinct string, starting at 2. The record added last
// always holds the largest index, so a new string gets the count plus 2.
std::map<std::string, int32_t, std::less<>> tableau1;

// A class name that starts with a digit is prefixed with "c".
std::string concatCsiChiffre(std::string_view name) {
    if (!name.empty() && name[0] >= '0' && name[0] <= '9') return "c" + std::string(name);
    return std::string(name);
}

} // namespace
} // namespace vandrel1

using namespace vandrel1;

extern "C" {

VANDREL_API void VANDREL_CALL memoriseProfEnService(const char* identifier) {
    guarded([&] { inserenom_b(bpluscarnetid, arg(identifier), {}); });
}

VANDREL_API void VANDREL_CALL razProfEnService(void) {
    guarded([] {
        fermecar(bpluscarnetid);
        creatcar(bpluscarnetid);
        groupe_classe.clear();
        premiereClasseDuCode.clear();
        profnumind.clear();
    });
}

VANDREL_API void VANDREL_CALL associecodegroupe(const char* groupCode, const char* className) {
    guarded([&] {
        std::string code(arg(groupCode));
        std::string name(arg(className));
        if (!groupe_classe.emplace(code, name).second) return;
        premiereClasseDuCode.emplace(std::move(code), std::move(name));
    });
}

VANDREL_API void VANDREL_CALL associeProfsGroupes(const char* codeOrClass, const char* kind,
                                                  const char* teacher) {
    guarded([&] {
        const std::string_view how = arg(kind);
        std::string groupName;
        if (how == "G") {
            const auto found = premiereClasseDuCode.find(arg(codeOrClass));
            if (found == premiereClasseDuCode.end()) return;
            groupName = concatCsiChiffre(found->second);
        } else if (how == "D") {
            groupName = concatCsiChiffre(arg(codeOrClass));
        } else {
            return;
        }
        profnumind[std::string(arg(teacher))].push_back(std::move(groupName));
    });
}

VANDREL_API void VANDREL_CALL genereGroupes(const char* teacher, char* buffer) {
    guarded([&] {
        const auto found = profnumind.find(arg(teacher));
        if (found == profnumind.end() || found->second.empty()) return;
        RecouvrePhysique(buffer, long_concat(supp_doublons(found->second), " "));
    });
}

VANDREL_API int32_t VANDREL_CALL inseredstableau(const char* text) {
    return guarded(int32_t{-1}, [&] {
        const auto found = tableau1.find(arg(text));
        if (found != tableau1.end()) return found->second;
        const int32_t index = static_cast<int32_t>(tableau1.size()) + 2;
        tableau1.emplace(std::string(arg(text)), index);
        return index;
    });
}

VANDREL_API int32_t VANDREL_CALL indexdstableau(const char* text) {
    return guarded(int32_t{-1}, [&] {
        const auto found = tableau1.find(arg(text));
        return found != tableau1.end() ? found->second : int32_t{-1};
    });
}

} // extern "C"
