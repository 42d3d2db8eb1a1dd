#include "text/files.h"

#include "text/source_text.h"
#include "text/text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

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

// Whether the name, lower-cased, is `lower` (compared in place: a folder of a
// thousand class files is scanned without a copy of each name).
bool lowersTo(std::string_view name, std::string_view lower) {
    if (name.size() != lower.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (lowerChar(name[i]) != lower[i]) return false;
    return true;
}

} // namespace

fs::path resolveName(const fs::path& dir, const std::string& name) {
    fs::path exact = dir / name;
    std::error_code ec;
    if (name.empty() || fs::exists(fs::symlink_status(exact, ec))) return exact;
    const std::string wanted = Lower(name);
    DIR* const folder = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!folder) return exact;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view found = entry->d_name;
        if (found != "." && found != ".." && lowersTo(found, wanted)) {
            exact = dir / found;
            break;
        }
    }
    ::closedir(folder);
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

// Opens the file at exactly this path for writing, appending or created or
// emptied. A private file is created with mode 0600 (the umask only takes bits
// away) and narrowed to it before it is emptied, so that its old contents are not
// lost when that is refused. -1 on failure.
int openDirect(const fs::path& path, bool append, FileMode mode) {
    const bool owner = mode == FileMode::Private;
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : owner ? 0 : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, owner ? 0600 : 0666);
    if (fd < 0 || !owner || (::fchmod(fd, 0600) == 0 && (append || ::ftruncate(fd, 0) == 0)))
        return fd;
    ::close(fd);
    return -1;
}

// Writes the two pieces one after the other to the file at exactly this path
// (openDirect) and closes it.
bool writePieces(const fs::path& path, bool append, FileMode mode, std::string_view first,
                 std::string_view second = {}) {
    const int fd = openDirect(path, append, mode);
    if (fd < 0) return false;
    const bool written =
        writeAll(fd, first.data(), first.size()) && writeAll(fd, second.data(), second.size());
    return ::close(fd) == 0 && written;
}

constexpr size_t kLineBuffer = 1 << 16;

// A name for a temporary file beside `target`, unique in this process (which
// writes its files itself, never from a forked child).
fs::path temporaryBeside(const fs::path& target) {
    static const std::string pid = std::to_string(::getpid());
    static std::atomic<unsigned> counter{0};
    fs::path temp = target;
    temp += ".tmp" + pid + "-" + std::to_string(counter++);
    return temp;
}

// Whether a file created with mode 0600 comes out narrower, the umask taking
// the owner's bits away: only then does a private file need a chmod. The umask
// is read from /proc (setting it to read it would race with other threads); when
// it cannot be read, a private file is always narrowed.
bool umaskNarrowsOwner() {
    static const bool narrows = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.starts_with("Umask:"))
                return (std::strtoul(line.c_str() + 6, nullptr, 8) & 0600) != 0;
        return true;
    }();
    return narrows;
}

// What lies at a path about to be written: nothing, a device, pipe or folder
// (written to as it is, never replaced), or a file whose permissions a shared
// file replacing it takes (followed through a symbolic link).
struct Present {
    bool special = false;
    std::optional<mode_t> permissions;
};

Present presentAt(const fs::path& path) {
    Present present;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return present;
    if (S_ISLNK(st.st_mode)) { // replaced, not followed
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            present.permissions = st.st_mode & 07777;
    } else if (S_ISREG(st.st_mode)) {
        present.permissions = st.st_mode & 07777;
    } else {
        present.special = true;
    }
    return present;
}

// Puts the written temporary file, still open as fd, in the place of `target`:
// a shared file takes the permissions of the file it replaces (a private one
// keeps its own), its bytes go to the disk, and the rename replaces the old file
// in one step. The descriptor is closed, and the temporary file removed on failure.
bool putInPlace(int fd, const fs::path& temp, const fs::path& target, FileMode mode,
                const Present& old) {
    const bool kept =
        mode == FileMode::Private || !old.permissions || ::fchmod(fd, *old.permissions) == 0;
    const bool synced = kept && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (synced && closed && ::rename(temp.c_str(), target.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

// The same for a temporary file written and closed already.
bool putInPlace(const fs::path& temp, const fs::path& target, FileMode mode) {
    const int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return putInPlace(fd, temp, target, mode, presentAt(target));
}

// Opens a new file (never an existing entry) for writing: a temporary one beside
// a target, or a file of a name the folder does not hold; a private one readable
// by its owner alone. `flags` are added to the open's own. -1 on failure (errno
// EEXIST when the name is taken).
int openNew(const fs::path& path, FileMode mode, int flags = 0) {
    const bool owner = mode == FileMode::Private;
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | flags, owner ? 0600 : 0666);
    if (fd < 0 || !owner || !umaskNarrowsOwner() || ::fchmod(fd, 0600) == 0) return fd;
    ::close(fd);
    ::unlink(path.c_str());
    return -1;
}

// Writes the pieces as the whole new contents of the plain file (or symbolic
// link, or nothing) `old` at exactly this path, through one descriptor on a
// temporary file renamed over it: the file is either whole or as it was.
bool writeReplacing(const fs::path& path, FileMode mode, const Present& old, std::string_view first,
                    std::string_view second = {}) {
    const fs::path temp = temporaryBeside(path);
    const int fd = openNew(temp, mode);
    if (fd < 0) return false;
    if (writeAll(fd, first.data(), first.size()) && writeAll(fd, second.data(), second.size()))
        return putInPlace(fd, temp, path, mode, old);
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
}

// Writes the bytes as a new file of a name the folder did not hold, without a
// temporary file to rename. Its bytes go to the disk before it counts as written,
// as a replaced file's do; a file that cannot be written whole is removed again,
// so that it is either whole or absent. Nothing when the name was taken meanwhile
// (the caller replaces what is there).
// The file is opened for synchronous writes: the write returns once the bytes and
// the file's size are on the disk, and fails when they cannot be put there, as an
// fsync after it would. A school's class files are written this way, a thousand or
// more at once: one system call a file fewer. A file of no bytes has no write to
// wait on, and is synced.
std::optional<bool> writeNew(const fs::path& path, FileMode mode, std::string_view bytes) {
    const int fd = openNew(path, mode, O_SYNC);
    if (fd < 0) return errno == EEXIST ? std::nullopt : std::optional<bool>(false);
    const bool written =
        bytes.empty() ? ::fsync(fd) == 0 : writeAll(fd, bytes.data(), bytes.size());
    if (::close(fd) == 0 && written) return true;
    ::unlink(path.c_str());
    return false;
}

// The bytes of the file that an append goes on from: "" when there is no file.
bool bytesBefore(const fs::path& path, std::string& bytes) {
    bytes.clear();
    return !isRegularFile(path) || ReadAll(path, bytes);
}

// Writes the pieces as the whole new contents of the file at exactly this path,
// through a temporary file renamed over it. A device or a pipe is written to directly.
bool writeWhole(const fs::path& path, FileMode mode, std::string_view first,
                std::string_view second = {}) {
    if (path.empty()) return false;
    const Present old = presentAt(path);
    if (old.special) return writePieces(path, false, mode, first, second);
    return writeReplacing(path, mode, old, first, second);
}

// Appends the pieces: the old contents and the new ones are written whole, once.
bool appendWhole(const fs::path& path, FileMode mode, std::string_view first,
                 std::string_view second = {}) {
    if (presentAt(path).special) return writePieces(path, true, mode, first, second);
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

// ---- Files written a piece at a time --------------------------------------------

WholeFile::WholeFile(const fs::path& path, bool append, FileMode mode)
    : target_(path), mode_(mode) {
    if (path.empty()) {
        failed_ = true;
    } else if (presentAt(path).special) {
        fd_ = openDirect(path, append, mode);
    } else {
        temp_ = temporaryBeside(path);
        fd_ = openNew(temp_, mode);
        if (fd_ < 0) temp_.clear();
        if (append) failed_ = !bytesBefore(path, buffer_);
    }
    failed_ = failed_ || fd_ < 0;
}

WholeFile::~WholeFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool WholeFile::flush() {
    if (!failed_ && !buffer_.empty() && !writeAll(fd_, buffer_.data(), buffer_.size()))
        failed_ = true;
    buffer_.clear();
    return !failed_;
}

bool WholeFile::add(std::string_view bytes) {
    if (failed_) return false;
    if (buffer_.size() + bytes.size() > kLineBuffer && !flush()) return false;
    buffer_.append(bytes);
    return true;
}

bool WholeFile::close() {
    flush();
    const int fd = std::exchange(fd_, -1);
    if (temp_.empty()) return (fd < 0 || ::close(fd) == 0) && !failed_;
    const fs::path temp = std::exchange(temp_, fs::path());
    if (!failed_) return putInPlace(fd, temp, target_, mode_, presentAt(target_));
    ::close(fd);
    ::unlink(temp.c_str());
    return false;
}

// ---- Files written a line at a time ----------------------------------------------

LineFiles::File::File(const fs::path& dir, const std::string& name)
    : name(name), file(resolveName(dir, name), true, FileMode::Shared) {}

LineFiles::~LineFiles() {
    close();
}

LineFiles::File* LineFiles::find(const std::string& name) {
    for (auto& f : files_)
        if (f.name == name) return &f;
    const std::string lower = Lower(name);
    for (auto& f : files_)
        if (Lower(f.name) == lower) return &f;
    return nullptr;
}

bool LineFiles::append(const fs::path& dir, const std::string& name, std::string_view text) {
    File* f = find(name);
    if (!f) f = &files_.emplace_back(dir, name);
    return f->file.add(text) && f->file.add(CRLF);
}

std::vector<std::string> LineFiles::close() {
    std::vector<std::string> failed;
    for (auto& f : files_)
        if (!f.file.close()) failed.push_back(f.name);
    files_.clear();
    return failed;
}

bool WriteThroughTemporary(const fs::path& path, const std::function<bool(const fs::path&)>& write,
                           FileMode mode) {
    const fs::path temp = temporaryBeside(path);
    const int fd = openNew(temp, mode);
    if (fd < 0) return false;
    if (::close(fd) == 0 && write(temp)) return putInPlace(temp, path, mode);
    ::unlink(temp.c_str());
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
    return putInPlace(temp, to, FileMode::Shared);
}

namespace {

// Reads the descriptor to its end into bytes; sizeHint, the file's size, lets a
// file that does not change be read in one call into a string of its size. The
// string keeps room for a line end (a source written back gets one) without
// being moved.
bool readToEnd(int fd, size_t sizeHint, std::string& bytes) {
    bytes.reserve(sizeHint + 2);
    bytes.resize(sizeHint + 1); // one byte more: the end is seen by the same read
    size_t have = 0;
    for (;;) {
        if (have == bytes.size()) bytes.resize(2 * bytes.size());
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            bytes.resize(have);
            return n == 0;
        }
        have += static_cast<size_t>(n);
    }
}

// The regular file at path, its name matched, opened for reading; -1 when it
// cannot be. Not blocking: a pipe of that name is refused rather than waited on.
int openRegular(const fs::path& path, struct stat& st) {
    if (path.empty()) return -1;
    const fs::path p = resolvePath(path);
    const int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool ReadAll(const fs::path& path, std::string& bytes) {
    bytes.clear();
    struct stat st;
    const int fd = openRegular(path, st);
    if (fd < 0) return false;
    const bool read = readToEnd(fd, static_cast<size_t>(st.st_size), bytes);
    ::close(fd);
    return read;
}

bool ReadInBlocks(const fs::path& path, const std::function<void(std::string_view)>& each) {
    struct stat st;
    const int fd = openRegular(path, st);
    if (fd < 0) return false;
    char block[1 << 16];
    ssize_t n = 0;
    while ((n = ::read(fd, block, sizeof block)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) each(std::string_view(block, static_cast<size_t>(n)));
    ::close(fd);
    return n == 0;
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

bool FolderListing::write(const std::string& name, std::string_view bytes, FileMode mode) {
    std::string lower = Lower(name);
    const auto found = names_.find(lower);
    if (found != names_.end()) return writeWhole(dir_ / found->second, mode, bytes);
    const fs::path path = dir_ / name;
    const std::optional<bool> made = writeNew(path, mode, bytes);
    if (!made) return writeWhole(path, mode, bytes);
    if (!*made) return false;
    names_.emplace(std::move(lower), name);
    return true;
}

void FolderListing::written(const fs::path& path) {
    names_.emplace(Lower(path.filename().string()), path.filename().string());
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    // A NUL byte would end the name early for the system: "\0\0.TXT" names no file.
    static constexpr std::string_view kNotInNames("/\\:\0", 4);
    return name.find_first_of(kNotInNames) == std::string::npos;
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
