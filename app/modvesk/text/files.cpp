#include "text/files.h"

#include "text/source_text.h"
#include "text/text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace modvesk {

namespace {

// Whether a name matches a pattern of "*" and "?" without regard to case.
bool wildcardMatch(std::string_view name, std::string_view pattern) {
    size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || lowerChar(pattern[p]) == lowerChar(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool isRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

} // namespace

fs::path resolveName(const fs::path& dir, const std::string& name) {
    fs::path exact = dir / name;
    std::error_code ec;
    if (name.empty() || fs::exists(fs::symlink_status(exact, ec))) return exact;
    const std::string wanted = Lower(name);
    fs::path folder = dir.empty() ? fs::path(".") : dir;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string found = it->path().filename().string();
        if (Lower(found) == wanted) return dir / found;
    }
    return exact;
}

fs::path resolvePath(const fs::path& path) {
    if (path.empty() || !path.has_filename()) return path;
    return resolveName(path.parent_path(), path.filename().string());
}

bool FileExists(const fs::path& path) {
    if (path.empty()) return false;
    fs::path p = resolvePath(path);
    if (!isRegularFile(p)) return false;
    std::ifstream in(p, std::ios::binary);
    return in.is_open();
}

namespace {

// Writes all the bytes, going on after a short write or an interruption.
bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Opens the file at exactly this path (appending, or created or emptied), writes
// the two pieces one after the other and closes it. A private file is created
// with mode 0600 (the umask only takes bits away) and narrowed to it before it
// is emptied, so that its old contents are not lost when that is refused.
bool writePieces(const fs::path& path, bool append, FileMode mode, std::string_view first,
                 std::string_view second = {}) {
    const bool owner = mode == FileMode::Private;
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : owner ? 0 : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, owner ? 0600 : 0666);
    if (fd < 0) return false;
    const bool ready = !owner || (::fchmod(fd, 0600) == 0 && (append || ::ftruncate(fd, 0) == 0));
    const bool written = ready && writeAll(fd, first.data(), first.size()) &&
                         writeAll(fd, second.data(), second.size());
    return ::close(fd) == 0 && written;
}

constexpr size_t kLineBuffer = 1 << 16;

// A name for a temporary file beside `target`, unique in this process.
fs::path temporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    fs::path temp = target;
    temp += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    return temp;
}

// Puts the written temporary file in the place of `target`: its bytes are on the
// disk first, a shared file takes the permissions of the file it replaces (a
// private one keeps its own), and the rename replaces the old file in one step.
// The temporary file is removed on failure.
bool putInPlace(const fs::path& temp, const fs::path& target, FileMode mode = FileMode::Shared) {
    std::error_code ec;
    const int fd = ::open(temp.c_str(), O_RDONLY);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (synced) {
        const auto old = fs::status(target, ec);
        if (!ec && fs::is_regular_file(old) && mode == FileMode::Shared)
            fs::permissions(temp, old.permissions(), ec);
        ec.clear();
        fs::rename(temp, target, ec);
    }
    if (!synced || ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

// Whether the path names something other than a plain file or a symbolic link (a
// device, a pipe, a folder): such an entry is written to as it is, never replaced.
bool isSpecial(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    return !ec && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status);
}

// The bytes of the file that an append goes on from: "" when there is no file.
bool bytesBefore(const fs::path& path, std::string& bytes) {
    bytes.clear();
    return !isRegularFile(path) || ReadAll(path, bytes);
}

// Writes the pieces as the whole new contents of the file at exactly this path:
// through a temporary file renamed over it, so that the file is either whole or
// as it was. A device or a pipe is written to directly.
bool writeWhole(const fs::path& path, FileMode mode, std::string_view first,
                std::string_view second = {}) {
    if (path.empty()) return false;
    if (isSpecial(path)) return writePieces(path, false, mode, first, second);
    return WriteThroughTemporary(
        path, [&](const fs::path& temp) { return writePieces(temp, false, mode, first, second); },
        mode);
}

// Appends the pieces: the old contents and the new ones are written whole, once.
bool appendWhole(const fs::path& path, FileMode mode, std::string_view first,
                 std::string_view second = {}) {
    if (isSpecial(path)) return writePieces(path, true, mode, first, second);
    std::string bytes;
    if (!bytesBefore(path, bytes)) return false;
    bytes.append(first).append(second);
    return writeWhole(path, mode, bytes);
}

bool writeOrAppend(const fs::path& path, bool append, FileMode mode, std::string_view first,
                   std::string_view second = {}) {
    if (path.empty()) return false;
    const fs::path p = resolvePath(path);
    return append ? appendWhole(p, mode, first, second) : writeWhole(p, mode, first, second);
}

} // namespace

bool WriteLine(bool append, const fs::path& path, const std::string& text, FileMode mode) {
    return writeOrAppend(path, append, mode, text, CRLF);
}

bool WriteBytes(const fs::path& path, const std::string& bytes, bool append, FileMode mode) {
    return writeOrAppend(path, append, mode, bytes);
}

bool WriteFileAt(const fs::path& path, std::string_view bytes, FileMode mode) {
    return writeWhole(path, mode, bytes);
}

// ---- Files written a line at a time ----------------------------------------------

LineFiles::~LineFiles() {
    close();
}

bool LineFiles::flush(File& f) {
    if (!f.failed && !f.buffer.empty() && !writeAll(f.fd, f.buffer.data(), f.buffer.size()))
        f.failed = true;
    f.buffer.clear();
    return !f.failed;
}

LineFiles::File* LineFiles::find(const std::string& name) {
    for (auto& f : files_)
        if (f.name == name) return &f;
    const std::string lower = Lower(name);
    for (auto& f : files_)
        if (Lower(f.name) == lower) return &f;
    return nullptr;
}

LineFiles::File LineFiles::open(const fs::path& dir, const std::string& name) {
    File f;
    f.name = name;
    f.target = resolveName(dir, name);
    if (isSpecial(f.target)) {
        f.fd = ::open(f.target.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    } else {
        f.temp = temporaryBeside(f.target);
        f.fd = ::open(f.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (f.fd < 0) f.temp.clear();
        f.failed = !bytesBefore(f.target, f.buffer);
    }
    f.failed = f.failed || f.fd < 0;
    return f;
}

bool LineFiles::append(const fs::path& dir, const std::string& name, std::string_view text) {
    File* f = find(name);
    if (!f) {
        files_.push_back(open(dir, name));
        f = &files_.back();
    }
    if (f->failed) return false;
    if (f->buffer.size() + text.size() + 2 > kLineBuffer && !flush(*f)) return false;
    f->buffer.append(text);
    f->buffer.append(CRLF);
    return true;
}

std::vector<std::string> LineFiles::close() {
    std::vector<std::string> failed;
    for (auto& f : files_) {
        flush(f);
        if (f.fd >= 0 && ::close(f.fd) != 0) f.failed = true;
        std::error_code ec;
        if (!f.temp.empty() && (f.failed || !putInPlace(f.temp, f.target))) {
            fs::remove(f.temp, ec);
            f.failed = true;
        }
        if (f.failed) failed.push_back(f.name);
    }
    files_.clear();
    return failed;
}

bool WriteThroughTemporary(const fs::path& path, const std::function<bool(const fs::path&)>& write,
                           FileMode mode) {
    const fs::path temp = temporaryBeside(path);
    const bool owner = mode == FileMode::Private;
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, owner ? 0600 : 0666);
    const bool made = fd >= 0 && (!owner || ::fchmod(fd, 0600) == 0);
    const bool written = fd >= 0 && ::close(fd) == 0 && made && write(temp);
    if (written) return putInPlace(temp, path, mode);
    std::error_code ec;
    if (fd >= 0) fs::remove(temp, ec);
    return false;
}

bool ReplaceFileContents(const fs::path& path, const std::string& bytes) {
    return writeOrAppend(path, false, FileMode::Shared, bytes);
}

bool DeleteFileIfExists(const fs::path& path) {
    if (path.empty()) return true;
    fs::path p = resolvePath(path);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(p, ec))) return true;
    return fs::remove(p, ec) && !ec;
}

bool CopyFileOver(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    fs::path from = resolvePath(source);
    if (!isRegularFile(from)) return false;
    const fs::path to = resolvePath(target);
    const fs::path temp = temporaryBeside(to);
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return putInPlace(temp, to);
}

bool ReadAll(const fs::path& path, std::string& bytes) {
    bytes.clear();
    if (path.empty()) return false;
    fs::path p = resolvePath(path);
    if (!isRegularFile(p)) return false;
    std::ifstream in(p, std::ios::binary);
    if (!in.is_open()) return false;
    std::error_code ec;
    const auto size = fs::file_size(p, ec);
    if (!ec) bytes.reserve(size);
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<size_t>(in.gcount()));
    return !in.bad();
}

// ---- Folder listing -------------------------------------------------------------

std::vector<std::string> ListFiles(const fs::path& dir, const std::string& patterns) {
    std::vector<std::string> wanted;
    for (const auto& pattern : SplitFields(patterns))
        if (!Trim(pattern).empty()) wanted.push_back(Trim(pattern));
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        if (!isRegularFile(it->path())) continue;
        std::string name = it->path().filename().string();
        for (const auto& w : wanted)
            if (wildcardMatch(name, w)) {
                names.push_back(name);
                break;
            }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        std::string la = Lower(a), lb = Lower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

FolderListing::FolderListing(const fs::path& dir) : dir_(dir) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        written(it->path());
}

fs::path FolderListing::file(const std::string& name) const {
    const auto found = names_.find(Lower(name));
    return dir_ / (found == names_.end() ? name : found->second);
}

void FolderListing::written(const fs::path& path) {
    names_.emplace(Lower(path.filename().string()), path.filename().string());
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    // A NUL byte would end the name early for the system: "\0\0.TXT" names no file.
    return name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

std::string shownName(const fs::path& path) {
    const std::string& name = path.native();
    return IsUtf8Text(name) ? Utf8ToAnsi(name) : name;
}

std::string fileText(std::string_view utf8Before, const fs::path& path,
                     std::string_view utf8After) {
    return ansi(utf8Before) + shownName(path) + ansi(utf8After);
}

} // namespace modvesk
