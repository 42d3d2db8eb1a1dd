// The conversion of the two CSV source files ELEVES.CSV and PROFS.CSV into the
// import files: the SCONET check, the text replacements that the scripting
// component makes on them and their rewriting, and the first and last steps that
// the CSV and trainee conversions share.
#pragma once

#include "model/model.h"
#include "sources/csv_sources.h"

#include <filesystem>
#include <string>

namespace modvesk {

// Every occurrence of `what` in `text` replaced by `by` through the component's
// remplacechainepar, for the source file `name`. When the component is absent or
// the call fails and the replacement would have changed the text, the text stays
// as it is, the log box says why (in French, once) and the job counts the mended
// source as not written, so that it ends with its error line; false then.
bool componentReplace(Session& s, std::string& text, const std::string& what, const std::string& by,
                      const std::string& name);

// True when the file is a SCONET export: field 5 of its whole text, cut at ";"
// only, begins with "div." or "division" in any case. A SCONET file is written
// back with CR LF line ends.
bool testSconet(Session& s, const std::filesystem::path& path);

// Copies a chosen source file into the program's directory under `name`
// (replacing it), then lets the window catch up and re-read its file lists. A copy
// that fails is named in the log box (the job then ends with its error line).
void copySourceFile(Session& s, const std::string& chosen, const std::string& name);

// The first steps of a CSV or trainee conversion: beginWorker, then the log box
// started afresh (keeping the lines of the sources already read as UTF-8).
void beginConversion(Session& s);

// Converts ELEVES.CSV and PROFS.CSV of the program's folder into the import files.
void convertirBaseCSV(Session& s);

} // namespace modvesk
