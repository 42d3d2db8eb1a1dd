#include "text_services.h"

namespace pythrolvane {

std::string replaceEvery(std::string_view text, std::string_view what, std::string_view by) {
    if (what.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, from)) {
        out.append(text, from, at - from);
        out.append(by);
        from = at + what.size();
    }
    out.append(text, from);
    return out;
}

std::string folderOf(std::string_view path) {
    const size_t last = path.find_last_of("/\\");
    if (last == std::string_view::npos) return ".";
    std::string_view folder = path.substr(0, last);
    // "C:\a\\b.mdb" or "/srv//b.mdb": no separator left at the end.
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.remove_suffix(1);
    return std::string(folder);
}

} // namespace pythrolvane
