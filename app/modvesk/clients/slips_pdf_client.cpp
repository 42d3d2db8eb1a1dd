#include "clients/slips_pdf_client.h"

#include "clients/module_folders.h"
#include "slips_pdf.h"

#include <dlfcn.h>
#include <unistd.h>

namespace slipspdf {

namespace {

using VersionFn = int (*)();
using WriteFn = int (*)(const char*, const rolvane_slip*, size_t, const char*);

// The module's write function, or null when no module of this interface's
// version can be loaded. Looked for once per process.
WriteFn writer() {
    static const WriteFn fn = []() -> WriteFn {
        for (const std::string& folder : modvesk::moduleFolders({"ROLVANE_LIBRARY_DIR"})) {
            const std::string path = folder + "/" + kFileName;
            if (::access(path.c_str(), R_OK) != 0) continue;
            void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) continue;
            const auto version =
                reinterpret_cast<VersionFn>(::dlsym(handle, "rolvane_slips_pdf_abi_version"));
            const auto write =
                reinterpret_cast<WriteFn>(::dlsym(handle, "rolvane_slips_pdf_write"));
            if (version && write && version() == ROLVANE_SLIPS_PDF_ABI_VERSION) return write;
            ::dlclose(handle);
        }
        return nullptr;
    }();
    return fn;
}

} // namespace

bool available() {
    return writer() != nullptr;
}

bool write(const std::filesystem::path& path, const std::vector<SlipLines>& slips,
           const std::string& school) {
    const WriteFn fn = writer();
    if (!fn) return false;
    std::vector<rolvane_slip> raw;
    raw.reserve(slips.size());
    for (const auto& s : slips)
        raw.push_back({s.name.c_str(), s.group.c_str(), s.login.c_str(), s.password.c_str(),
                       s.startsGroup ? 1 : 0});
    return fn(path.c_str(), raw.data(), raw.size(), school.c_str()) == 1;
}

} // namespace slipspdf
