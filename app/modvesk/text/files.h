// The file layer. The files these jobs read and write come from a system whose
// file names do not tell case apart: every operation here matches the last
// component of a path against the names in its folder without regard to case
// (Windows-1252 case table). An existing file keeps its spelling on disk; a new
// file gets the spelling the program gives it.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace modvesk {

namespace fs = std::filesystem;

// The existing entry of dir whose name equals `name` without regard to case
// (the exact spelling first); dir / name when there is none.
fs::path resolveName(const fs::path& dir, const std::string& name);
// The same for a full path: its last component is matched in its folder.
fs::path resolvePath(const fs::path& path);

// True when the path can be opened for reading; false on any failure and on "".
bool FileExists(const fs::path& path);

// Who may read a file the writers below write: whom the umask lets (Shared, as
// the system creates files), or its owner alone (Private: mode 0600 whatever the
// umask, also when the file was there with a wider mode; for the files that hold
// passwords).
enum class FileMode { Shared, Private };

// Every file written below is written whole or not at all: its new contents go
// to a temporary file of the same folder, flushed to the disk and renamed over
// its name, so that a failed write (a full disk) leaves the file as it was, or
// absent. A folder, device or pipe of that name is written to as it is.

// Creates or replaces the file with text + CR LF, or (append) with its old
// contents followed by text + CR LF. Returns false when the file could not be written.
bool WriteLine(bool append, const fs::path& path, const std::string& text,
               FileMode mode = FileMode::Shared);
// A file written whole a piece at a time: its pieces go through a buffer to a
// temporary file of its folder until close() puts it in place, so that the file
// is either whole or as it was, and the pieces need not be gathered in memory.
// The bytes are those of WriteBytes(path, all the pieces, append, mode); a
// device, pipe or folder of that name is written to as it is.
class WholeFile {
  public:
    // Opens the file at exactly this path, whose name was matched already: its
    // new contents replace the old ones, or (append) follow them.
    WholeFile(const fs::path& path, bool append, FileMode mode);
    ~WholeFile(); // leaves the file as it was unless it was closed
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Adds the bytes. False when the file could not be opened, or a write failed
    // (now or before): it then takes nothing more.
    bool add(std::string_view bytes);
    // Writes what is buffered and puts the file in place. False when it could not
    // be written whole (it is left as it was).
    bool close();

  private:
    bool flush();
    fs::path target_;
    fs::path temp_; // where the pieces go until close(); "" when written directly
    FileMode mode_;
    int fd_ = -1;
    std::string buffer_;
    bool failed_ = false;
};

// Files written a line at a time (the reports of a job): each is opened at its
// first line, its name matched once, and its old contents and new lines written
// whole (WholeFile) when close() puts it in place. The bytes are those of
// WriteLine(true, ...) line after line.
class LineFiles {
  public:
    LineFiles() = default;
    ~LineFiles(); // closes without a report
    LineFiles(const LineFiles&) = delete;
    LineFiles& operator=(const LineFiles&) = delete;

    // Appends text + CR LF to the file `name` of `dir`. False when the file could
    // not be opened, or a write failed (now or before).
    bool append(const fs::path& dir, const std::string& name, std::string_view text);
    // Puts every file in place; the names of the files that could not be written
    // whole (left as they were), in the order of their first lines.
    std::vector<std::string> close();
    bool empty() const { return files_.empty(); }

  private:
    struct File {
        File(const fs::path& dir, const std::string& name);
        std::string name; // as first given
        WholeFile file;
    };
    File* find(const std::string& name);
    std::deque<File> files_;
};

// Writes the bytes as they are, creating or replacing the file (or appending to
// its old contents). False on failure.
bool WriteBytes(const fs::path& path, const std::string& bytes, bool append = false,
                FileMode mode = FileMode::Shared);
// Writes the bytes at exactly this path, whose name was matched already,
// creating or replacing the file. False on failure.
bool WriteFileAt(const fs::path& path, std::string_view bytes, FileMode mode = FileMode::Shared);
// Replaces the file's contents by `bytes`, its name matched in its folder.
bool ReplaceFileContents(const fs::path& path, const std::string& bytes);
// Writes the file at exactly this path through `write`, which fills a new
// temporary file of the same folder (created here, never an existing entry) and
// says whether it did; that file is then renamed over the path, so a symbolic
// link there is replaced, not followed, and a failed write leaves the old file whole.
// A private file is readable by its owner alone (0600), whatever it replaces.
bool WriteThroughTemporary(const fs::path& path, const std::function<bool(const fs::path&)>& write,
                           FileMode mode = FileMode::Shared);
// Deletes the file when it exists. False only when it exists and could not be deleted.
bool DeleteFileIfExists(const fs::path& path);
// Copies source over target through a temporary file renamed over it, like
// ReplaceFileContents: a failed copy leaves the target whole. False on failure.
bool CopyFileOver(const fs::path& source, const fs::path& target);
// The whole file as bytes; false when it cannot be read.
bool ReadAll(const fs::path& path, std::string& bytes);
// Hands the file's bytes to `each` a block at a time, in order, without holding
// the whole file; false when it cannot be read (the blocks handed on are then
// to be thrown away).
bool ReadInBlocks(const fs::path& path, const std::function<void(std::string_view)>& each);

// The entries of a folder by their names without regard to case, listed once: a
// job that looks up a thousand files (one per class) does not scan the folder a
// thousand times. Files it writes are added with written().
class FolderListing {
  public:
    explicit FolderListing(const fs::path& dir);
    // The existing entry of that name without regard to case, or dir / name.
    fs::path file(const std::string& name) const;
    void written(const fs::path& path);
    // Writes the file of that name as WriteFileAt does, its name matched, and
    // lists it. A name the folder did not hold is created as a new file, without
    // a temporary file, and removed again when it cannot be written whole.
    bool write(const std::string& name, std::string_view bytes, FileMode mode);

  private:
    fs::path dir_;
    std::unordered_map<std::string, std::string> names_;
};

// Names of the files of dir matching one of the patterns ("*.txt", "*.dbf;*.csv"),
// without regard to case, sorted without regard to case.
std::vector<std::string> ListFiles(const fs::path& dir, const std::string& patterns);

// A file name the system can hold inside the folder: not empty, not "." or "..",
// and without "/", "\", ":" or a NUL byte.
bool IsPlainFileName(const std::string& name);

// A file name or path as the log box, the messages and the Bilan show it
// (Windows-1252). The system's names are UTF-8 and are converted as UTF-8 sources
// are; a name that is no UTF-8 (one the program made from Windows-1252 text, such
// as a class file's) is already in the code page and is shown as it is.
std::string shownName(const fs::path& path);
// A text naming a file: utf8Before, the name as shownName gives it, utf8After
// (the two texts in UTF-8, the result in Windows-1252), for a message, a line of
// the log box or of the Bilan.
std::string fileText(std::string_view utf8Before, const fs::path& path,
                     std::string_view utf8After = "");

} // namespace modvesk
