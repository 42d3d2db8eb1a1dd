// The program's side of the scripting component: the identifier is mapped to the
// component's file, which is loaded as a module and called through the functions
// of component/pythrolvane.h, resolved by name.
#include "clients/component_client.h"

#include "../../component/pythrolvane.h"
#include "text/module_folders.h"
#include "text/text.h"

#include <cstdlib>
#include <strings.h>

namespace component {
namespace {

constexpr const char* kProgId = "Python.pythrolvane";
constexpr const char* kFileName = "libpythrolvane.so";

using AbiVersionFn = int (*)();
using CreateFn = pythrolvane_component* (*)();
using InvokeFn = int (*)(pythrolvane_component*, const char*, int, const char* const*,
                         const size_t*, char**, size_t*);
using FreeFn = void (*)(char*);
using DestroyFn = void (*)(pythrolvane_component*);

template <typename Fn> Fn resolve(void* library, const char* name) {
    return reinterpret_cast<Fn>(modvesk::moduleFunction(library, name));
}

} // namespace

struct Component::Impl {
    void* library = nullptr;
    pythrolvane_component* handle = nullptr;
    InvokeFn invoke = nullptr;
    FreeFn free = nullptr;
    DestroyFn destroy = nullptr;

    ~Impl() {
        if (handle && destroy) destroy(handle);
        modvesk::unloadModule(library);
    }

    // Creates the component of a module just loaded; false when the module is not
    // a component of this interface's version.
    bool open(void* module) {
        auto version = resolve<AbiVersionFn>(module, "pythrolvane_abi_version");
        auto create = resolve<CreateFn>(module, "pythrolvane_create");
        invoke = resolve<InvokeFn>(module, "pythrolvane_invoke");
        free = resolve<FreeFn>(module, "pythrolvane_free");
        destroy = resolve<DestroyFn>(module, "pythrolvane_destroy");
        if (!version || !create || !invoke || !free || !destroy) return false;
        if (version() != PYTHROLVANE_ABI_VERSION) return false;
        handle = create();
        return handle != nullptr;
    }
};

std::unique_ptr<Component> Component::create(const std::string& progId) {
    if (::strcasecmp(progId.c_str(), kProgId) != 0) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->library = modvesk::loadModule(
                        modvesk::moduleFolders({"ROLVANE_COMPONENT_DIR", "ROLVANE_LIBRARY_DIR"}),
                        kFileName, [&impl](void* module) { return impl->open(module); })
                        .handle;
    if (!impl->library) return nullptr;
    return std::unique_ptr<Component>(new Component(impl.release()));
}

Component::Component(Impl* impl) : impl_(impl) {}

Component::~Component() {
    delete impl_;
}

std::string Component::call(const std::string& method, const std::vector<std::string>& args) {
    std::vector<const char*> argv;
    std::vector<size_t> argl;
    for (const auto& a : args) {
        argv.push_back(a.c_str());
        argl.push_back(a.size());
    }
    char* result = nullptr;
    size_t length = 0;
    const int status = impl_->invoke(impl_->handle, method.c_str(), static_cast<int>(args.size()),
                                     argv.data(), argl.data(), &result, &length);
    std::string text = result ? std::string(result, length) : std::string();
    impl_->free(result);
    if (status != 0) {
        if (text.empty())
            text = modvesk::ansi("Le composant Python.pythrolvane n'a pas pu répondre à " + method +
                                 ".");
        throw ComponentError(text);
    }
    return text;
}

bool ask(Component* c, const std::string& method, const std::vector<std::string>& args,
         std::string& answer, std::string& problem) {
    if (!c) {
        problem = absentMessage();
        return false;
    }
    try {
        answer = c->call(method, args);
        return true;
    } catch (const ComponentError& e) {
        problem = e.what();
        return false;
    }
}

std::string absentMessage() {
    return modvesk::ansi("Le composant Python.pythrolvane est introuvable (libpythrolvane.so) : "
                         "cette opération est impossible.");
}

} // namespace component
