#include "text/module_folders.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

#ifndef ROLVANE_INSTALL_LIBDIR
#define ROLVANE_INSTALL_LIBDIR "/usr/local/lib/rolvane"
#endif

namespace modvesk {

namespace {

std::string executableFolder() {
    std::vector<char> path(4096);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return {};
    const std::string exe(path.data(), static_cast<size_t>(length));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

} // namespace

std::vector<std::string> moduleFolders(std::initializer_list<const char*> variables) {
    std::vector<std::string> folders;
    if (std::string exe = executableFolder(); !exe.empty()) folders.push_back(exe);
    for (const char* name : variables)
        if (const char* dir = std::getenv(name); dir && *dir) folders.emplace_back(dir);
    folders.emplace_back(ROLVANE_INSTALL_LIBDIR);
    return folders;
}

LoadedModule loadModule(const std::vector<std::string>& folders, const std::string& fileName,
                        const std::function<bool(void*)>& accept) {
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" + fileName;
        if (::access(path.c_str(), R_OK) != 0) continue;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) continue;
        if (!accept || accept(handle)) return LoadedModule{handle, path};
        ::dlclose(handle);
    }
    return {};
}

void* moduleFunction(void* handle, const char* name) {
    return handle ? ::dlsym(handle, name) : nullptr;
}

void unloadModule(void* handle) {
    if (handle) ::dlclose(handle);
}

} // namespace modvesk
