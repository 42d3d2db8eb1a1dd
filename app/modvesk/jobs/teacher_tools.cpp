// The teacher tools: group responsibilities and deletion of teacher accounts.
#include "jobs/teacher_tools.h"

#include "accounts/remplit_liste.h"
#include "clients/vandrel_client.h"
#include "jobs/jobs.h"
#include "sources/export_reader.h"
#include "text/files.h"
#include "text/source_text.h"
#include "text/text.h"

#include <system_error>

#include <algorithm>

namespace modvesk {

namespace {

// Shows the notice and the dialog for the EXPORT file; false when it was
// cancelled or names no regular file that can be read (the teacher list would be
// empty and every teacher absent from it): the form is then unloaded.
bool exportChosen(Session& s, bool& unloaded) {
    choisitExport(s);
    const std::string path = Trim(s.win.commonDialogFileName);
    if (path.empty()) {
        s.endEarly();
        return false;
    }
    if (exportFound(s, path)) return true;
    unloaded = true;
    return false;
}

// The room an answer listing teachers or groups of the EXPORT lines handed to the
// library may need: each name is the start of one line, joined by one "|". The
// library leaves a list longer than its buffer out whole, so the buffer grows with
// the EXPORT rather than losing a large school's list.
std::string answerBuffer(size_t handed) {
    return vandrel::blanks(std::max<size_t>(50000, handed + 1));
}

std::vector<std::string> teachersOfLibrary(size_t handed) {
    std::string buffer = answerBuffer(handed);
    vandrel::tableauProfs(buffer);
    return remplitListe(buffer);
}

std::string selectedTeacher(const ProfsRespForm& f) {
    if (f.ListprofsIndex < 0 || static_cast<size_t>(f.ListprofsIndex) >= f.Listprofs.size())
        return "";
    return f.Listprofs[static_cast<size_t>(f.ListprofsIndex)];
}

} // namespace

void splitTeacherEntry(const std::string& entry, std::string& surname, std::string& firstName) {
    std::string text = entry;
    surname = FirstField(text, ";");
    std::string rest = RestAfter(text, ";");
    firstName = FirstField(rest, ";");
}

size_t chargeExportProfs(Session& s) {
    if (s.win.placeexport.empty()) return 0;
    const fs::path path = resolvePath(fs::path(s.win.placeexport));
    if (!FileExists(path)) return 0;
    LineReader reader(path);
    std::string line;
    if (!reader.next(line)) return 0; // the header
    size_t handed = 0;
    while (reader.next(line)) {
        vandrel::memligneprof(line);
        handed += line.size() + 1;
    }
    return handed;
}

// ---- Group responsibilities --------------------------------------------------

void defrespgroupes_Click(Session& s) {
    const JobFiles reports = startJob(s); // held while the form is open
    if (!requireLibrary(s)) return;
    s.ui->message(ansi("Après modification des responsabilités de groupes un fichier "
                       "comptesProfsResponsablesAModifier.txt est créé dans le répertoire "
                       "d'installation."));
    s.ui->showForm(Form::ProfsResp);
    s.ui->refreshFileLists();
}

void profsresp_Form_Load(Session& s, ProfsRespForm& f) {
    s.job.UpdateMode = true;
    s.win.version3 = true;
    s.ui->redraw();
    s.ui->attente(0);
    if (!exportChosen(s, f.unloaded)) return;
    const vandrel::Registry registry = vandrel::Registry::open();
    const size_t handed = chargeExportProfs(s);
    f.Listprofs = teachersOfLibrary(handed);
    f.ListprofsIndex = -1;
    std::string buffer = answerBuffer(handed);
    vandrel::tableauGroupes(buffer);
    f.Listgroupes = remplitListe(buffer);
    f.ListgroupesSelected.assign(f.Listgroupes.size(), false);
}

void profsresp_Listprofs_Click(Session&, ProfsRespForm& f) {
    std::string surname, firstName;
    splitTeacherEntry(selectedTeacher(f), surname, firstName);
    std::string buffer = vandrel::blanks(1024);
    vandrel::retrouveDonneesProf(surname, firstName, buffer);
    f.Textassoc = Trim(buffer);
}

void profsresp_Command1_Click(Session& s, ProfsRespForm& f) {
    for (size_t i = 0; i < f.Listgroupes.size(); ++i) {
        const bool selected = i < f.ListgroupesSelected.size() && f.ListgroupesSelected[i];
        // A substring test: a group already named inside a longer one is not added.
        if (selected && f.Textassoc.find(f.Listgroupes[i]) == std::string::npos)
            f.Textassoc = f.Listgroupes[i] + " " + f.Textassoc;
    }
    if (s.ui) s.ui->redraw();
    std::string surname, firstName;
    splitTeacherEntry(selectedTeacher(f), surname, firstName);
    vandrel::msjourbaseresp(1, surname, firstName, f.Textassoc);
}

void profsresp_Command2_Click(Session& s, ProfsRespForm& f) {
    libraryWrites(s, "ComptesProfsResponsablesAModifier.txt", [] { vandrel::msjourbasekwartz(1); });
    f.unloaded = true;
}

void profsresp_Command3_Click(Session&, ProfsRespForm& f) {
    f.unloaded = true;
}

// ---- Deletion of teacher accounts --------------------------------------------

void supcpteProfs_m_Click(Session& s) {
    const JobFiles reports = startJob(s); // held while the form is open
    if (!requireLibrary(s)) return;
    s.ui->showForm(Form::FrCmptesProfs);
}

void frcmptesprofs_Form_Load(Session& s, FrCmptesProfsForm& f) {
    s.win.version3 = true;
    s.ui->redraw();
    s.ui->attente(0);
    if (!exportChosen(s, f.unloaded)) return;
    const vandrel::Registry registry = vandrel::Registry::open();
    f.Listprofs = teachersOfLibrary(chargeExportProfs(s));
    f.ListprofsSelected.assign(f.Listprofs.size(), false);
}

void frcmptesprofs_Command4_Click(Session& s, FrCmptesProfsForm& f) {
    for (size_t i = 0; i < f.Listprofs.size(); ++i) {
        if (i >= f.ListprofsSelected.size() || !f.ListprofsSelected[i]) continue;
        std::string surname, firstName;
        splitTeacherEntry(f.Listprofs[i], surname, firstName);
        vandrel::msjourbaseresp(2, surname, firstName, " ");
    }
    libraryWrites(s, "ComptesProfsASupprimer.txt", [] { vandrel::msjourbasekwartz(2); });
    f.unloaded = true;
}

void frcmptesprofs_quitter_m_Click(Session&, FrCmptesProfsForm& f) {
    f.unloaded = true;
}

} // namespace modvesk
