// The Access export window frmaccess and its job: an Access table, read through the
// scripting component, becomes a CSV file and, on request, ELEVES.CSV and the
// Kwartz account files.
#include "jobs/access_export.h"

#include "accounts/remplit_liste.h"
#include "clients/component_client.h"
#include "clients/vandrel_client.h"
#include "jobs/jobs.h"
#include "text/files.h"
#include "text/text.h"

#include <system_error>

namespace modvesk {

namespace {

const char* const kBaseDialogTitle = "Charger une base Access";
const char* const kCsvDialogTitle = "Nom du fichier .CSV";

bool askComponent(Session& s, const std::string& method, const std::vector<std::string>& args,
                  std::string& answer, std::string& problem) {
    return component::ask(s.scripting(), method, args, answer, problem);
}

// Says why the form cannot go on; the job counts as ended early.
void report(Session& s, const std::string& problem) {
    s.endEarly();
    s.ui->message(problem, kJobTitle, Icon::Exclamation);
}

// Lists the tables of cheminBase. A database that cannot be read, or that holds
// no table, is said so instead of an empty list.
void listTables(Session& s, AccessForm& f) {
    f.listtables.clear();
    f.listtablesIndex = -1;
    std::string answer, problem;
    if (!askComponent(s, "catalogueTables", {s.cheminBase}, answer, problem)) {
        report(s, problem);
        return;
    }
    f.listtables = remplitListe(answer);
    if (f.listtables.empty()) report(s, ansi("Aucune table dans la base Access : ") + s.cheminBase);
}

// The database dialog, then the table list. A cancelled dialog keeps the database
// chosen before, whose tables the form still shows. Without the component no
// database is asked for: nothing could be listed.
void chooseBase(Session& s, AccessForm& f) {
    if (!s.scripting()) {
        report(s, component::absentMessage());
        return;
    }
    const std::string chosen = s.ui->openFile(ansi(kBaseDialogTitle), accessBaseFilter());
    if (!Trim(chosen).empty()) s.cheminBase = chosen;
    if (Trim(s.cheminBase).empty()) {
        s.endEarly();
        return;
    }
    listTables(s, f);
}

std::string selectedItem(const std::vector<std::string>& list, int index) {
    if (index < 0 || static_cast<size_t>(index) >= list.size()) return {};
    return list[static_cast<size_t>(index)];
}

// Two paths name the same file, without regard to case.
bool samePath(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    fs::path ca = fs::weakly_canonical(a, ec);
    if (ec) ca = a;
    fs::path cb = fs::weakly_canonical(b, ec);
    if (ec) cb = b;
    return Lower(ca.string()) == Lower(cb.string());
}

// The log box after the conversion: the success line and the time, or, when a
// file could not be written, the names of those files and the error line.
std::string closingLog(const Session& s) {
    std::string log;
    for (const auto& name : s.job.writeErrors)
        log += std::string(CRLF) + fileText("Erreur : impossible d'écrire ", name);
    return log + std::string(CRLF) +
           closingLine(s, ansi("Tous les fichiers textes ont été créés.")) + std::string(CRLF) +
           currentTime();
}

// Puts the text in place as ELEVES.CSV of the program's directory: written whole
// (through a temporary file) as ELEVES.CSV in the folder of the chosen path, then
// copied into the program's directory when that folder is another one. False when
// a file could not be written: no account is then made from a file other than the
// one just read.
bool placePupilFile(Session& s, const std::string& chosen, const std::string& text) {
    std::string folder, problem;
    if (!askComponent(s, "extraitnomchemin", {chosen}, folder, problem)) {
        report(s, problem);
        return false;
    }
    if (folder.empty() && !chosen.empty() && chosen.front() == '/') folder = "/";
    const fs::path written = resolvePath(fs::path(folder) / "ELEVES.CSV");
    if (!ReplaceFileContents(written, text + std::string(CRLF))) {
        s.writeFailed(written.string());
        return false;
    }
    const fs::path own = s.file("ELEVES.CSV");
    if (!samePath(written, own) && !CopyFileOver(written, own)) {
        s.writeFailed("ELEVES.CSV");
        return false;
    }
    return true;
}

// Checkwartz ticked: ELEVES.CSV, then the CSV conversion with the registry open,
// then the log box (its reports written out first, so that one not written whole
// gives the error line).
void writeAccounts(Session& s, const std::string& chosen, const std::string& text) {
    if (placePupilFile(s, chosen, text)) {
        s.job.UpdateMode = false;
        s.win.Text1.clear();
        s.ui->redraw();
        const vandrel::Registry registry = vandrel::Registry::open();
        convertirBaseCSV(s);
    }
    s.ui->refreshFileLists();
    s.closeLineFiles();
    s.win.Text1 = closingLog(s);
    logBilan(s);
}

// Checkwartz not ticked: only the chosen file is written, replaced whole.
void writeChosenFile(Session& s, const std::string& chosen, const std::string& text) {
    if (ReplaceFileContents(fs::path(chosen), text + std::string(CRLF))) return;
    s.writeFailed(chosen);
    s.ui->message(fileText("Erreur : impossible d'écrire ", chosen), kJobTitle, Icon::Exclamation);
}

} // namespace

std::string accessBaseFilter() {
    return std::string("Fichier ACCESS (.MDB) ") + "(*.MDB)|*.MDB";
}

std::string accessCsvFilter() {
    return std::string("Nom du fichier .CSV") + "(*.CSV)|*.CSV";
}

void csvaccess_m_Click(Session& s) {
    s.win.LstTri2.clear();
    s.ui->showForm(Form::FrmAccess);
}

void frmaccess_Form_Activate(Session& s, AccessForm& f) {
    f.visible = true;
    chooseBase(s, f);
}

void frmaccess_listtables_Click(Session& s, AccessForm& f) {
    const std::string table = selectedItem(f.listtables, f.listtablesIndex);
    if (table.empty()) return;
    f.lbchamps.clear();
    f.Text1.clear();
    f.listchamps.clear();
    f.listchampsIndex = -1;
    std::string answer, problem;
    if (!askComponent(s, "catalogueChamps", {s.cheminBase, table}, answer, problem)) {
        report(s, problem);
        return;
    }
    f.listchamps = remplitListe(answer);
}

void frmaccess_listchamps_Click(Session&, AccessForm& f) {
    const std::string field = selectedItem(f.listchamps, f.listchampsIndex);
    if (field.empty()) return;
    if (!f.lbchamps.empty()) f.lbchamps += ";";
    f.lbchamps += field;
    f.Text1 += " " + std::to_string(f.listchampsIndex);
}

void frmaccess_Command1_Click(Session& s, AccessForm& f) {
    const JobFiles reports = startJob(s);
    s.ui->busy(true);
    s.ui->attente(1000);
    const std::string positions = f.Text1;
    const std::string table = selectedItem(f.listtables, f.listtablesIndex);
    if (table.empty()) {
        s.ui->busy(false);
        return;
    }
    if (s.win.Checkwartz && !vandrel::available()) {
        s.ui->busy(false);
        requireLibrary(s);
        return;
    }
    f.lbchamps.clear();
    std::string text, problem;
    const bool read =
        askComponent(s, "lectureChamps", {s.cheminBase, table, positions}, text, problem);
    f.Text1.clear();
    s.ui->busy(false);
    // A table that could not be read gives no file: an empty ELEVES.CSV would
    // replace the pupils of the program's directory.
    if (!read) {
        report(s, problem);
        return;
    }
    const std::string chosen =
        s.ui->chooseFileToWrite(ansi(kCsvDialogTitle), accessCsvFilter(), "");
    if (chosen.empty()) {
        s.endEarly();
        return;
    }
    if (s.win.Checkwartz)
        writeAccounts(s, chosen, text);
    else
        writeChosenFile(s, chosen, text);
    s.ui->busy(false);
    vandrel::raz();
}

void frmaccess_Command2_Click(Session&, AccessForm& f) {
    f.lbchamps.clear();
    f.Text1.clear();
}

void frmaccess_chrgbaseAccess_m_Click(Session& s, AccessForm& f) {
    chooseBase(s, f);
}

void frmaccess_quitter_m_Click(Session&, AccessForm& f) {
    f.visible = false;
}

} // namespace modvesk
