// The GEP worker: reads the GEP tables of one or two establishments, hands every
// record to its handler or builder, writes the import files, the class list, the
// per-class files and GROUPES.TXT.
#include "jobs/gep_worker.h"

#include "accounts/builders.h"
#include "accounts/login.h"
#include "clients/vandrel_client.h"
#include "jobs/jobs.h"
#include "sources/dbase_reader.h"
#include "text/files.h"
#include "text/text.h"
#include "writers/import_writer.h"

#include <memory>
#include <unordered_set>

namespace modvesk {

namespace {

// A code or identifier of the staff tables as the library's group tables take it.
std::string value(std::string_view raw) {
    return Upper(Trim(BlankSeparators(raw)));
}

std::string_view recordField(const Session& s, const std::string& record, Family family, long k) {
    return GepField(s.job.fieldTable, family, record, k);
}

// value() written into `out`, a buffer kept from record to record.
const std::string& valueIn(std::string& out, std::string_view raw) {
    if (HoldsSeparator(raw))
        out = value(raw);
    else
        UpperInto(out, TrimView(raw)); // no separator to blank
    return out;
}

// An assignment that runs on (its end year is 2099) at the establishment `rne`.
bool runningAssignment(const FieldTable& fields, const std::string& record,
                       const std::string& rne) {
    static std::string year, place;
    return valueIn(year, GepField(fields, Assignments, record, 7)).starts_with("2099") &&
           valueIn(place, GepField(fields, Assignments, record, 4)) == rne;
}

} // namespace

void memoriseEnService(Session& s, std::string& record, const std::string& rne) {
    if (runningAssignment(s.job.fieldTable, record, rne))
        vandrel::memoriseProfEnService(value(recordField(s, record, Assignments, 3)));
}

bool holdsTeacherInService(Session& s, const std::string& table, const std::string& rne) {
    const fs::path path = s.file(table);
    std::error_code ec;
    if (!FileExists(path)) return fs::exists(fs::symlink_status(path, ec));
    const TableLayout layout = readLayout(path);
    if (checkLayout(path, layout) != TableCheck::Ok) return true;
    // A field table of its own: the worker fills the job's when it reads the table.
    FieldTable fields(257);
    fillFieldTable(fields, Assignments, layout.widths);
    bool found = false;
    recordLoopA(s, table, layout,
                [&](std::string& r) { found = found || runningAssignment(fields, r, rne); });
    return found;
}

void associeGroupe(Session& s, std::string& record) {
    const std::string code = value(Left(recordField(s, record, Groups, 2), 8));
    const std::string className = value(Mid(record, 10, 6));
    vandrel::associecodegroupe(code, className);
}

void associeResponsable(Session& s, std::string& record) {
    const std::string codeOrClass = value(Left(recordField(s, record, GroupLinks, 6), 8));
    const std::string kind = value(Left(recordField(s, record, GroupLinks, 7), 2));
    const std::string teacher = value(Left(recordField(s, record, GroupLinks, 11), 10));
    vandrel::associeProfsGroupes(codeOrClass, kind, teacher);
}

void writeGroupsFile(Session& s) {
    std::string text;
    s.win.classes.forEach([&](std::string_view entry) {
        text += GroupOfClass(std::string(entry));
        text += CRLF;
    });
    if (!WriteBytes(s.file("GROUPES.TXT"), text, true)) s.writeFailed("GROUPES.TXT");
}

namespace {

// A record of nothing but blanks (or the end-of-file byte) is no row of the table,
// in code page 850 as in Windows-1252.
bool blankRecord(const std::string& record) {
    static constexpr std::string_view kNoRow(" \x1A\0", 3);
    return record.find_first_not_of(kNoRow, 1) == std::string::npos;
}

// Wraps a builder so that each record of `table` that gives no account goes into
// the Bilan with its number and the builder's reason.
RecordHandler countingRows(Session& s, const std::string& table, long& count,
                           BuildOutcome (*build)(Session&, std::string&, long&)) {
    auto number = std::make_shared<long>(0);
    const std::string shown = s.file(table).filename().string();
    return [&s, &count, build, number, shown](std::string& record) {
        ++*number;
        const bool blank = blankRecord(record);
        const BuildOutcome built = build(s, record, count);
        if (built.refused() && !blank)
            s.job.bilan.rowWithoutAccount(shown, true, *number, built.reason);
    };
}

// Prepares a table and runs loop A over it. Preparing a table restarts the
// person count, as the count doubles as the row counter of the field table.
void readTable(Session& s, const std::string& name, Family family, long& count,
               const RecordHandler& handler) {
    TableLayout layout;
    if (!prepareTable(s, name, family, layout)) return;
    count = 0;
    recordLoopA(s, name, layout, handler);
}

// Assignments, groups, group links and teachers of both establishments.
void readStaffTables(Session& s, long& count) {
    if (!Trim(s.win.txtrne1).empty()) s.win.txtrne1 = Upper(Trim(s.win.txtrne1));
    if (!Trim(s.win.txtrne2).empty()) s.win.txtrne2 = Upper(Trim(s.win.txtrne2));
    const bool rne1 = !s.win.txtrne1.empty();
    const bool rne2 = !s.win.txtrne2.empty();
    if (rne1)
        readTable(s, "f_aff.dbf", Assignments, count,
                  [&](std::string& r) { memoriseEnService(s, r, s.win.txtrne1); });
    if (rne2)
        readTable(s, "f_aff2.dbf", Assignments, count,
                  [&](std::string& r) { memoriseEnService(s, r, s.win.txtrne2); });
    if (rne1) {
        for (const char* name : {"f_gpd.dbf", "f_gpd2.dbf"})
            readTable(s, name, Groups, count, [&](std::string& r) { associeGroupe(s, r); });
        for (const char* name : {"f_men.dbf", "f_men2.dbf"})
            readTable(s, name, GroupLinks, count,
                      [&](std::string& r) { associeResponsable(s, r); });
    }
    for (const char* name : {"F_ind.dbf", "F_ind2.dbf"})
        readTable(s, name, Teachers, count, countingRows(s, name, count, BuildGepTeacher));
}

// The pupils: F_ele.dbf, then F_ele2.dbf cut with its own layout, its persons
// counted on after those of F_ele.dbf. The pupils fill the person table from
// its start.
void readPupilTables(Session& s, long& count) {
    count = 0;
    TableLayout layout;
    constexpr RecordBytes kOem = RecordBytes::Oem; // the builder converts what it cuts
    if (prepareTable(s, "F_ele.dbf", Pupils, layout))
        recordLoopB(s, "F_ele.dbf", layout,
                    countingRows(s, "F_ele.dbf", count, BuildGepPupilFromOem), kOem);
    if (prepareTable(s, "F_ele2.dbf", Pupils, layout))
        recordLoopC(s, "F_ele2.dbf", layout,
                    countingRows(s, "F_ele2.dbf", count, BuildGepPupilFromOem), kOem);
}

} // namespace

void beginGepWorker(Session& s, const std::string& headline) {
    beginWorker(s);
    s.win.Text1 = currentTime() + std::string(CRLF) + s.win.Text1 + std::string(CRLF) + headline;
    s.ui->redraw();
}

void endGepWorker(Session& s) {
    endWorker(s, s.job.b2i ? ClassSteps::None : ClassSteps::List);
    if (!s.job.b2i) {
        Command3_Click(s);
        writeGroupsFile(s);
        vandrel::razProfEnService();
    }
    s.ui->refreshFileLists();
}

void Command1_Click(Session& s) {
    beginGepWorker(s, ansi("Conversion de la base GEP en cours........"));
    long count = 0;
    if (!s.job.b2i) readStaffTables(s, count);
    readPupilTables(s, count);
    WriteImportFiles(s, count, "f_ele.dbf", "f_ind.dbf", false);
    endGepWorker(s);
}

} // namespace modvesk
