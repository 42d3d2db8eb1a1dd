#include "clients/slips_pdf_client.h"

#include "slips_pdf.h"
#include "text/module_folders.h"

namespace slipspdf {

namespace {

using VersionFn = int (*)();
using WriteFn = int (*)(const char*, const rolvane_slip*, size_t, const char*);

// The module's write function, or null when no module of this interface's
// version can be loaded. Looked for once per process.
WriteFn writer() {
    static const WriteFn fn = []() -> WriteFn {
        WriteFn write = nullptr;
        modvesk::loadModule(
            modvesk::moduleFolders({"ROLVANE_LIBRARY_DIR"}), kFileName, [&write](void* handle) {
                const auto version = reinterpret_cast<VersionFn>(
                    modvesk::moduleFunction(handle, "rolvane_slips_pdf_abi_version"));
                write = reinterpret_cast<WriteFn>(
                    modvesk::moduleFunction(handle, "rolvane_slips_pdf_write"));
                return version && write && version() == ROLVANE_SLIPS_PDF_ABI_VERSION;
            });
        return write;
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
