// The CSV source files ELEVES.CSV and PROFS.CSV (plain or SCONET) as text: the
// whole text of a file, the title line of a SCONET export and its rows.
#pragma once

#include "model/model.h"

#include <filesystem>
#include <string>

namespace modvesk {

// The whole text of a source read line by line, each line followed by CR LF
// ("" when the file is missing or empty). A line ends at CR LF, CR or LF; a UTF-8
// source is turned into Windows-1252 and the log box says so.
std::string lireFichier(Session& s, const std::filesystem::path& path);

// The title line of a SCONET export ("NOM;PRENOM;NE(E) LE;SEXE;DIV."): its fifth
// column names the division instead of holding one.
bool isSconetTitle(const std::string& line);

// A SCONET row as a plain pupil row: fields 1, 2, 5 and 3 joined by ";".
std::string sconetToPlainRow(const std::string& line);

} // namespace modvesk
