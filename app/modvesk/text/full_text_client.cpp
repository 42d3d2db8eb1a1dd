#include "text/full_text_client.h"

#include "text/module_folders.h"

namespace modvesk::fulltext {

namespace {

using VersionFn = int (*)();
using ComposeFn = long (*)(const uint32_t*, size_t, uint32_t*, size_t);
using PlainLatinFn = long (*)(uint32_t, uint32_t*, size_t);
using ReadXmlFn = void (*)(const rolvane_xml_handlers*, rolvane_xml_outcome*);

struct Functions {
    ComposeFn compose = nullptr;
    PlainLatinFn plainLatin = nullptr;
    ReadXmlFn readXml = nullptr;
};

// The module's functions, all null when no module of this interface's version
// can be loaded. Looked for once per process, the first time one is needed.
const Functions& functions() {
    static const Functions fns = [] {
        Functions f;
        loadModule(moduleFolders({"ROLVANE_LIBRARY_DIR"}), kFileName, [&f](void* handle) {
            const auto version = reinterpret_cast<VersionFn>(
                moduleFunction(handle, "rolvane_full_text_abi_version"));
            f.compose =
                reinterpret_cast<ComposeFn>(moduleFunction(handle, "rolvane_full_text_compose"));
            f.plainLatin = reinterpret_cast<PlainLatinFn>(
                moduleFunction(handle, "rolvane_full_text_plain_latin"));
            f.readXml =
                reinterpret_cast<ReadXmlFn>(moduleFunction(handle, "rolvane_full_text_read_xml"));
            const bool whole = version && f.compose && f.plainLatin && f.readXml &&
                               version() == ROLVANE_FULL_TEXT_ABI_VERSION;
            if (!whole) f = Functions{};
            return whole;
        });
        return f;
    }();
    return fns;
}

// Calls `fn` with room for `out`, again with more room when the answer is longer.
template <typename Fn> bool intoString(std::u32string& out, size_t room, Fn fn) {
    out.resize(room);
    long n = fn(reinterpret_cast<uint32_t*>(out.data()), out.size());
    if (n > static_cast<long>(out.size())) {
        out.resize(static_cast<size_t>(n));
        n = fn(reinterpret_cast<uint32_t*>(out.data()), out.size());
    }
    if (n < 0 || n > static_cast<long>(out.size())) return false;
    out.resize(static_cast<size_t>(n));
    return true;
}

} // namespace

bool compose(const std::u32string& in, std::u32string& out) {
    const ComposeFn fn = functions().compose;
    if (!fn) return false;
    const auto* from = reinterpret_cast<const uint32_t*>(in.data());
    return intoString(out, in.size() + 8,
                      [&](uint32_t* to, size_t room) { return fn(from, in.size(), to, room); });
}

bool plainLatin(char32_t c, std::u32string& out) {
    const PlainLatinFn fn = functions().plainLatin;
    if (!fn) return false;
    return intoString(
        out, 16, [&](uint32_t* to, size_t room) { return fn(static_cast<uint32_t>(c), to, room); });
}

bool readXml(const rolvane_xml_handlers& handlers, rolvane_xml_outcome& outcome) {
    const ReadXmlFn fn = functions().readXml;
    if (!fn) return false;
    fn(&handlers, &outcome);
    return true;
}

} // namespace modvesk::fulltext
