// The conversion of the CSV sources into accounts: ELEVES.CSV (plain or SCONET)
// and PROFS.CSV are read row by row and handed to the CSV builders, then the
// import files are written.
#include "jobs/csv_conversion.h"

#include "accounts/builders.h"
#include "clients/component_client.h"
#include "clients/vandrel_client.h"
#include "jobs/jobs.h"
#include "text/files.h"
#include "text/source_text.h"
#include "text/text.h"
#include "writers/import_writer.h"

namespace modvesk {

namespace {

// The shared account tables are sized afresh for indexes 0 to 4000 (they still
// grow beyond that with the data).
constexpr size_t kTableSize = 4001;

void resetAccountTables(Session& s) {
    s.job.persons.assign(kTableSize, Person{});
    s.job.nameKeys.assign(kTableSize, std::string{});
}

// The replacement could not be made: the log box says why, once, and the source
// counts as not written in its mended form.
void replacementFailed(Session& s, const std::string& why, const std::string& name) {
    if (s.win.Text1.find(why) == std::string::npos) s.log(std::string(CRLF) + why);
    for (const auto& n : s.job.writeErrors)
        if (Lower(n) == Lower(name)) return;
    s.job.writeErrors.push_back(name);
}

// Tells the window how many rows of a source have been read.
void rowRead(Session& s, long& rows) {
    if (++rows % 200 == 0) s.ui->progress(rows, 0);
}

bool isBlank(const std::string& line) {
    return Trim(line).empty();
}

// After a builder call on row `number` of `source`: a row that was not blank and
// gave no account goes into the Bilan with the builder's reason.
void noteRow(Session& s, const std::string& source, long number, long before, long index,
             bool blank) {
    if (index == before && !blank && !s.job.skipReason.empty())
        s.job.bilan.rowWithoutAccount(source, false, number, s.job.skipReason);
}

void readTeachers(Session& s, const std::string& text, const std::string& name, long& index) {
    long rows = 0;
    forEachLine(text, [&](std::string& line) {
        const long before = index;
        const bool blank = isBlank(line);
        BuildCsvTeacher(s, line, index);
        rowRead(s, rows);
        noteRow(s, name, rows, before, index, blank);
    });
}

void readPupils(Session& s, const std::string& text, const std::string& name, bool sconet,
                long& index) {
    long rows = 0;
    forEachLine(text, [&](std::string& line) {
        rowRead(s, rows);
        // The title line would otherwise become an account "nom.prenom" in a group
        // "div." with the password "NE(E)": it names columns, not a pupil.
        if (sconet && isSconetTitle(line)) return;
        const bool blank = isBlank(line);
        if (sconet) line = sconetToPlainRow(line);
        const long before = index;
        BuildCsvPupil(s, line, index);
        noteRow(s, name, rows, before, index, blank);
    });
}

// Writes the mended text of a source back over it. The text then holds what
// reading the file again would give (the rewrite ends it with one more CR LF),
// whether or not the disk took it: the rows are read from the text, so the
// accounts never depend on a rewrite that failed.
void writeBack(Session& s, const fs::path& path, std::string& text) {
    rewriteSource(s, path, text);
    text += CRLF;
}

// The SCONET check on the text of the file at `path`: a SCONET export is written
// back (its lines were read ending at CR LF, CR or LF, and are written with CR LF).
bool checkSconet(Session& s, const fs::path& path, std::string& text) {
    if (!isSconetTitle(text)) return false;
    writeBack(s, path, text);
    return true;
}

} // namespace

bool rewriteSource(Session& s, const fs::path& path, const std::string& text) {
    if (ReplaceFileContents(path, text + std::string(CRLF))) return true;
    s.writeFailed(resolvePath(path).filename().string());
    return false;
}

bool componentReplace(Session& s, std::string& text, const std::string& what, const std::string& by,
                      const std::string& name) {
    if (what.empty() || text.find(what) == std::string::npos) return true;
    std::string answer, problem;
    if (!component::ask(s.component, "remplacechainepar", {text, what, by}, answer, problem)) {
        replacementFailed(s, problem, name);
        return false;
    }
    text = std::move(answer);
    return true;
}

bool testSconet(Session& s, const fs::path& path) {
    std::string text = lireFichier(s, path);
    return checkSconet(s, path, text);
}

void copySourceFile(Session& s, const std::string& chosen, const std::string& name) {
    if (!CopyFileOver(chosen, s.file(name))) s.writeFailed(name);
    s.ui->attente(10);
    s.ui->refreshFileLists();
    s.ui->attente(10);
}

void convertirBaseCSV(Session& s) {
    beginConversion(s);

    long index = 0;
    bool sconet = false;
    const fs::path profs = s.file("PROFS.CSV");
    if (FileExists(profs)) {
        std::string text = lireFichier(s, profs);
        sconet = checkSconet(s, profs, text);
        readTeachers(s, text, profs.filename().string(), index);
    }
    index = 0;
    const fs::path eleves = s.file("ELEVES.CSV");
    if (FileExists(eleves)) {
        std::string text = lireFichier(s, eleves);
        componentReplace(s, text, "=", "", eleves.filename().string());
        writeBack(s, eleves, text);
        // A teacher file that passed the check makes the pupil file SCONET too.
        if (!sconet) sconet = checkSconet(s, eleves, text);
        readPupils(s, text, eleves.filename().string(), sconet, index);
    }
    WriteImportFiles(s, index, "ELEVES.CSV", "PROFS.CSV", false);
    endConversion(s);
}

void beginConversion(Session& s) {
    resetAccountTables(s);
    s.win.classes.clear();
    // The builders file into lists that the last job left full.
    s.win.lstTri.clear();
    s.win.LstTri2.clear();
    deleteLastRunOutputs(s);
    s.ui->refreshFileLists();
    s.ui->attente(0);
    // The log box starts afresh; the sources already read as UTF-8 (the EXPORT of
    // an update, the chosen trainee list) keep their line in it.
    const std::vector<std::string> readAsUtf8 = std::move(s.job.utf8Sources);
    s.job.utf8Sources.clear();
    s.win.Text1 =
        currentTime() + std::string(CRLF) + ansi("Conversion de la base CSV en cours........");
    for (const auto& name : readAsUtf8)
        s.readAsUtf8(name);
    s.ui->redraw();
}

void endConversion(Session& s) {
    remplitClasses(s);
    s.win.save1Enabled = true;
    s.win.classesEnabled = true;
    s.win.command3Enabled = true;
    s.ui->refreshFileLists();
}

} // namespace modvesk
