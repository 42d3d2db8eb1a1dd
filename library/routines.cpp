#include "routines.h"

#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace vandrel1 {

void RecouvrePhysique(char* buffer, std::string_view result) {
    if (!buffer) return;
    const size_t n = std::strlen(buffer);
    if (n == 0) return;
    if (result.size() < n)
        std::memcpy(buffer, result.data(), result.size());
    else
        buffer[0] = ' ';
}

StringList chaine_list(std::string_view text, std::string_view separators) {
    StringList parts;
    size_t start = 0;
    for (;;) {
        const size_t cut = text.find_first_of(separators, start);
        if (cut == std::string_view::npos) break;
        parts.emplace_back(text.substr(start, cut - start));
        start = cut + 1;
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

std::string long_concat(const StringList& list, std::string_view separator) {
    std::string joined;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0) joined += separator;
        joined += list[i];
    }
    return joined;
}

StringList supp_doublons(const StringList& list) {
    // Walk from the end: the last occurrence of each string is the one kept.
    std::unordered_set<std::string_view> seen;
    std::vector<bool> keep(list.size(), false);
    for (size_t i = list.size(); i-- > 0;)
        keep[i] = seen.insert(list[i]).second;
    StringList survivors;
    for (size_t i = 0; i < list.size(); ++i)
        if (keep[i]) survivors.push_back(list[i]);
    return survivors;
}

bool appartient(std::string_view text, const StringList& list) {
    for (const std::string& element : list)
        if (element == text) return true;
    return false;
}

bool ec(int mode, const std::string& fileName, std::string_view text) {
    const char* openMode = mode == 1 ? "wb" : mode == 2 ? "ab" : nullptr;
    if (!openMode) return false;
    std::FILE* file = std::fopen(fileName.c_str(), openMode);
    if (!file) return false;
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 1);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace vandrel1
