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

// The replacement could not be made: the log box says why, once, and the source
// counts as not written in its mended form.
void replacementFailed(Session& s, const std::string& why, const std::string& name) {
    if (s.win.Text1.find(why) == std::string::npos) s.logLine(why);
    for (const auto& n : s.job.writeErrors)
        if (Lower(n) == Lower(name)) return;
    s.job.writeErrors.push_back(name);
}

// Tells the window how many rows of a source have been read.
void rowRead(Session& s, long& rows) {
    if (++rows % 200 == 0) s.ui->progress(rows, 0);
}

bool isBlank(std::string_view line) {
    return TrimView(line).empty();
}

// After a builder call on row `number` of `source`: a row that was not blank and
// gave no account goes into the Bilan with the builder's reason.
void noteRow(Session& s, const std::string& source, long number, const BuildOutcome& built,
             bool blank) {
    if (built.refused() && !blank)
        s.job.bilan.rowWithoutAccount(source, false, number, built.reason);
}

void readTeachers(Session& s, const std::string& text, const std::string& name, long& index) {
    long rows = 0;
    forEachLine(text, [&](std::string& line) {
        const bool blank = isBlank(line);
        const BuildOutcome built = BuildCsvTeacher(s, line, index);
        rowRead(s, rows);
        noteRow(s, name, rows, built, blank);
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
        noteRow(s, name, rows, BuildCsvPupil(s, line, index), blank);
    });
}

// Writes the mended text of a source back over it, through a temporary file
// renamed over it, so that a failed write leaves the original whole; the file
// then ends with one more CR LF. The text then holds what reading the file again
// would give, whether or not the disk took it: the rows are read from the text,
// so the accounts never depend on a rewrite that failed. A text in which a "?"
// stands for a character that could not be read would lose that character for
// good: the file is left as it is and the Bilan says why.
void writeBack(Session& s, const fs::path& path, std::string& text, bool lossy) {
    if (lossy) {
        s.job.bilan.sourceKept(resolvePath(path).filename().string());
        return;
    }
    text += CRLF;
    if (!ReplaceFileContents(path, text)) s.writeFailed(resolvePath(path).filename().string());
}

// The SCONET check on the text of the file at `path`: a SCONET export is written
// back (its lines were read ending at CR LF, CR or LF, and are written with CR LF).
bool checkSconet(Session& s, const fs::path& path, std::string& text, bool lossy) {
    if (!isSconetTitle(text)) return false;
    writeBack(s, path, text, lossy);
    return true;
}

} // namespace

bool componentReplace(Session& s, std::string& text, const std::string& what, const std::string& by,
                      const std::string& name) {
    if (what.empty() || text.find(what) == std::string::npos) return true;
    std::string answer, problem;
    if (!component::ask(s.scripting(), "remplacechainepar", {text, what, by}, answer, problem)) {
        replacementFailed(s, problem, name);
        return false;
    }
    text = std::move(answer);
    return true;
}

bool testSconet(Session& s, const fs::path& path) {
    bool lossy = false;
    std::string text = lireFichier(s, path, lossy);
    return checkSconet(s, path, text, lossy);
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
        bool lossy = false;
        std::string text = lireFichier(s, profs, lossy);
        sconet = checkSconet(s, profs, text, lossy);
        readTeachers(s, text, profs.filename().string(), index);
    }
    index = 0;
    const fs::path eleves = s.file("ELEVES.CSV");
    if (FileExists(eleves)) {
        bool lossy = false;
        std::string text = lireFichier(s, eleves, lossy);
        componentReplace(s, text, "=", "", eleves.filename().string());
        writeBack(s, eleves, text, lossy);
        // A teacher file that passed the check makes the pupil file SCONET too.
        if (!sconet) sconet = checkSconet(s, eleves, text, lossy);
        readPupils(s, text, eleves.filename().string(), sconet, index);
    }
    WriteImportFiles(s, index, "ELEVES.CSV", "PROFS.CSV", false);
    endWorker(s, ClassSteps::List);
}

void beginConversion(Session& s) {
    beginWorker(s);
    // The log box starts afresh; the sources already read (the EXPORT of an
    // update, the chosen trainee list) keep the line that says how in it.
    const std::vector<std::string> readingLines = std::move(s.job.readingLines);
    s.job.readingLines.clear();
    s.win.Text1 =
        currentTime() + std::string(CRLF) + ansi("Conversion de la base CSV en cours........");
    for (const auto& line : readingLines)
        s.readingLine(line);
    s.ui->redraw();
}

} // namespace modvesk
