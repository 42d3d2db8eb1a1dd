// The boundary of the component: finds the method by name, checks its arguments,
// runs it and hands the answer (or a French failure text) back in Windows-1252.
#include "pythrolvane.h"

#include "access_reader.h"
#include "cp1252.h"
#include "failure.h"
#include "isolated_run.h"
#include "text_services.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <string>
#include <strings.h>
#include <vector>

struct pythrolvane_component {
    // Longest wait for an Access read before its child process is killed; the
    // environment variable ROLVANE_COMPONENT_TIMEOUT (seconds) may shorten or
    // lengthen it.
    int accessTimeoutSeconds = 60;
};

namespace pythrolvane {
namespace {

using Args = std::vector<std::string>;

struct Method {
    const char* name;
    size_t argc;
    bool readsAccess; // run in a child process
    std::function<std::string(const Args&)> run;
};

const std::vector<Method>& methods() {
    static const std::vector<Method> table = {
        {"remplacechainepar", 3, false,
         [](const Args& a) { return replaceEvery(a[0], a[1], a[2]); }},
        {"extraitnomchemin", 1, false, [](const Args& a) { return folderOf(a[0]); }},
        {"catalogueTables", 1, true, [](const Args& a) { return accessTables(a[0]); }},
        {"catalogueChamps", 2, true, [](const Args& a) { return accessColumns(a[0], a[1]); }},
        {"lectureChamps", 3, true, [](const Args& a) { return accessRows(a[0], a[1], a[2]); }},
    };
    return table;
}

const Method& findMethod(const char* name) {
    for (const Method& m : methods())
        if (::strcasecmp(m.name, name) == 0) return m;
    throw Failure("Méthode inconnue du composant Python.pythrolvane : " + cp1252ToUtf8(name));
}

// Runs the method; an Access read runs in a child process so that a crash of the
// reader on a damaged file cannot take the calling program down.
IsolatedAnswer runMethod(const Method& method, const Args& args, int timeoutSeconds) {
    if (!method.readsAccess) return {true, method.run(args)};
    return runIsolated(
        [&]() {
            try {
                return IsolatedAnswer{true, method.run(args)};
            } catch (const Failure& e) {
                return IsolatedAnswer{false, e.what()};
            }
        },
        timeoutSeconds);
}

IsolatedAnswer invoke(const pythrolvane_component& component, const char* name, int argc,
                      const char* const* argv, const size_t* argl) {
    const Method& method = findMethod(name);
    if (argc < 0 || static_cast<size_t>(argc) != method.argc)
        throw Failure("La méthode " + std::string(method.name) + " attend " +
                      std::to_string(method.argc) + " argument(s) et en a reçu " +
                      std::to_string(argc) + ".");
    Args args;
    for (int i = 0; i < argc; ++i) {
        if (!argv || !argv[i])
            throw Failure("Argument manquant pour la méthode " + std::string(method.name) + ".");
        args.emplace_back(argv[i], argl ? argl[i] : std::strlen(argv[i]));
    }
    IsolatedAnswer answer = runMethod(method, args, component.accessTimeoutSeconds);
    // Failure texts are written in UTF-8; every answer is Windows-1252 already.
    if (!answer.ok) answer.text = utf8ToCp1252(answer.text);
    return answer;
}

char* copyOut(const std::string& text, size_t* length) {
    char* out = static_cast<char*>(std::malloc(text.size() + 1));
    if (!out) return nullptr;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    if (length) *length = text.size();
    return out;
}

} // namespace
} // namespace pythrolvane

extern "C" {

PYTHROLVANE_API int pythrolvane_abi_version(void) {
    return PYTHROLVANE_ABI_VERSION;
}

PYTHROLVANE_API pythrolvane_component* pythrolvane_create(void) {
    try {
        auto* component = new pythrolvane_component;
        if (const char* seconds = std::getenv("ROLVANE_COMPONENT_TIMEOUT")) {
            const long value = std::strtol(seconds, nullptr, 10);
            if (value > 0 && value <= 3600)
                component->accessTimeoutSeconds = static_cast<int>(value);
        }
        return component;
    } catch (...) {
        return nullptr;
    }
}

PYTHROLVANE_API int pythrolvane_invoke(pythrolvane_component* component, const char* method,
                                       int argc, const char* const* argv, const size_t* argl,
                                       char** result, size_t* result_len) {
    using namespace pythrolvane;
    if (!result) return 2;
    *result = nullptr;
    if (result_len) *result_len = 0;
    IsolatedAnswer answer;
    try {
        if (!component || !method)
            throw Failure("Appel du composant Python.pythrolvane incomplet.");
        answer = invoke(*component, method, argc, argv, argl);
    } catch (const std::exception& e) {
        answer = {false, utf8ToCp1252(e.what())};
    }
    *result = copyOut(answer.text, result_len);
    return answer.ok && *result ? 0 : 1;
}

PYTHROLVANE_API void pythrolvane_free(char* text) {
    std::free(text);
}

PYTHROLVANE_API void pythrolvane_destroy(pythrolvane_component* component) {
    delete component;
}

} // extern "C"
