// The server's EXPORT file of last year's accounts, read into the library's
// store of old accounts so that the builders can tell known persons from new ones.
#pragma once

#include "model/model.h"

#include <array>
#include <string>

namespace modvesk {

// Reads the EXPORT file at `path` (Windows-1252, first line a header). For every
// further line "surname;firstName;group;login;...": registers the name key with
// "group login", and the surname with the first name. Nothing happens when the
// path is empty or the file cannot be read; with `readOnly` the lines are read
// and nothing is registered. The accounts are also kept in the job's
// serverAccounts, when one of its pupil accounts carries an identifier.
void LoadExport(Session& s, const std::string& path, bool readOnly);

// Before an update: true when the EXPORT file at `path` can be read and
// exportLooksRight. Otherwise the update would take every person for a new one:
// the message box and the log box say so, the job counts as ended early, and
// false is returned.
bool exportReadable(Session& s, const std::string& path);
// True when `path` names a regular file that can be opened (a folder, a FIFO or
// a device is not opened). Otherwise the same as exportReadable: message box,
// log line, ended early, false.
bool exportFound(Session& s, const std::string& path);
// True when the file at `path` holds, after its header, a line of at least four
// ";" fields (surname;first name;group;login), as every EXPORT of the server
// does. Otherwise (an empty file, a header alone, some other text file) the same
// as exportReadable: message box, log line, ended early, false.
bool exportLooksRight(Session& s, const std::string& path);

// The pupil logins of an EXPORT file, told against the three login formats.
struct ExportLogins {
    long pupils = 0; // lines with a login whose group is not "profs" (any case)
    // Of those, the logins that follow each format, and the first of them, both
    // indexed by LoginFormat.
    std::array<long, 3> fitting{};
    std::array<std::string, 3> example;
};

// Reads the pupil lines of the EXPORT file at `path` (fields: 1 surname, 3 group,
// 4 login) and tells which formats each login follows. Nothing is counted when
// the file cannot be read.
ExportLogins ReadExportLogins(const std::string& path);

} // namespace modvesk
