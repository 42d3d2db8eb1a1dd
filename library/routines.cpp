#include "routines.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
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

namespace {

// The file's bytes, appended to `bytes`; true also when there is no file.
bool readInto(const std::string& fileName, std::string& bytes) {
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) return errno == ENOENT;
    char buffer[1 << 14];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, n);
    const bool read = !std::ferror(file);
    std::fclose(file);
    return read;
}

// Writes the bytes to a new file beside `fileName`, flushed to the disk, and
// renames it over that name: the file is then whole, or as it was when the
// writing failed (empty when there was none).
bool writeWhole(const std::string& fileName, const std::string& bytes) {
    static unsigned counter = 0;
    const std::string temp =
        fileName + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool written = true;
    for (size_t done = 0; written && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<size_t>(n);
    }
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (written && std::rename(temp.c_str(), fileName.c_str()) == 0) return true;
    std::remove(temp.c_str());
    // Where there was no file, an empty one marks the failure for the program.
    const int mark = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (mark >= 0) ::close(mark);
    return false;
}

} // namespace

bool ec(int mode, const std::string& fileName, std::string_view text) {
    if (mode != 1 && mode != 2) return false;
    std::string bytes;
    if (mode == 2 && !readInto(fileName, bytes)) return false;
    bytes.reserve(bytes.size() + text.size() + text.size() / 16 + 1);
    for (size_t from = 0; from < text.size();) {
        const size_t lf = std::min(text.find('\n', from), text.size());
        bytes.append(text.substr(from, lf - from));
        if (lf == text.size()) break;
        bytes.append("\r\n");
        from = lf + 1;
    }
    return writeWhole(fileName, bytes);
}

} // namespace vandrel1
