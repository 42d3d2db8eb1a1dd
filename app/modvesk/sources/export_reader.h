// The server's EXPORT file of last year's accounts, read into the library's
// store of old accounts so that the builders can tell known persons from new ones.
#pragma once

#include "model/model.h"
#include "text/source_text.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace modvesk {

// The EXPORT file (Windows-1252, first line a header) read once, for every step
// of an update that reads it, and its lines after the header cut into their
// fields once.
class ExportFile {
  public:
    // Reads the file at `path`; isOpen() is false when it cannot be read.
    explicit ExportFile(const std::string& path);
    ExportFile(const ExportFile&) = delete; // the lines are views into the text read
    ExportFile& operator=(const ExportFile&) = delete;
    bool isOpen() const { return reader_.isOpen(); }
    const std::filesystem::path& path() const { return path_; }
    // How the file was read (UTF-8 turned into Windows-1252 ...).
    const LineReader& reader() const { return reader_; }
    const std::vector<ExportLine>& lines() const { return lines_; }

  private:
    std::filesystem::path path_;
    LineReader reader_;
    std::vector<ExportLine> lines_;
};

// Reads the EXPORT file at `path`. For every line after the header
// "surname;firstName;group;login;...": registers the name key with "group login",
// and the surname with the first name. Nothing happens when the path is empty or
// the file cannot be read; with `readOnly` the lines are read and nothing is
// registered. The accounts are also kept in the job's serverAccounts, when one of
// its pupil accounts carries an identifier.
void LoadExport(Session& s, const std::string& path, bool readOnly);
// The same with the file read already.
void LoadExport(Session& s, const ExportFile& file, bool readOnly);

// Before an update, the checks of the EXPORT file at `path`. When one fails the
// update would take every person for a new one: the message box and the log box
// say so, the job counts as ended early, and false is returned.
// True when `path` names a regular file that can be opened (a folder, a FIFO or
// a device is not opened).
bool exportFound(Session& s, const std::string& path);
// True when the file holds, after its header, a line of at least four ";"
// fields (surname;first name;group;login), as every EXPORT of the server does;
// false for an empty file, a header alone, some other text file.
bool exportLooksRight(Session& s, const std::string& path);
bool exportLooksRight(Session& s, const ExportFile& file, const std::string& path);

// The pupil logins of an EXPORT file, told against the three login formats.
struct ExportLogins {
    long pupils = 0; // lines with a login whose group is not "profs" (any case)
    // Of those, the logins that follow each format, and the first of them, both
    // indexed by LoginFormat.
    std::array<long, 3> fitting{};
    std::array<std::string, 3> example;
};

// Reads the pupil lines of the EXPORT file (fields: 1 surname, 3 group, 4 login)
// and tells which formats each login follows. Nothing is counted when the file
// could not be read.
ExportLogins ReadExportLogins(const ExportFile& file);

} // namespace modvesk
