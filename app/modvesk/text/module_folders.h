// Where the program looks for the files it loads at run time (vandrel1.dlp, the
// scripting component, the PDF module of the login slips, the full-text module),
// and how it loads them.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace modvesk {

// In order: the running executable's folder, the folders named by the given
// environment variables (those set and not empty), then the install's library
// folder.
std::vector<std::string> moduleFolders(std::initializer_list<const char*> variables);

// A module loaded: its handle (null when none was) and the path it came from.
struct LoadedModule {
    void* handle = nullptr;
    std::string path;
};
// Loads the file `fileName` of the first of `folders` that holds a readable one
// that the system loads and that `accept` (given the handle: it resolves the
// functions it needs and checks the module's version) takes; a module refused
// is unloaded and the next folder tried.
LoadedModule loadModule(const std::vector<std::string>& folders, const std::string& fileName,
                        const std::function<bool(void*)>& accept = {});
// The address of the function `name` of a loaded module, null when it has none.
void* moduleFunction(void* handle, const char* name);
// Unloads a module (nothing for a null handle).
void unloadModule(void* handle);

} // namespace modvesk
