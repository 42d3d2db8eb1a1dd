// The menu commands of the GEP jobs: account creation, its B2I form, the update
// against the server's EXPORT file, and the button that runs the worker alone.
#include "jobs/gep_jobs.h"

#include "jobs/gep_worker.h"

#include "clients/vandrel_client.h"
#include "jobs/jobs.h"
#include "jobs/settings_checks.h"
#include "sources/export_reader.h"
#include "text/files.h"
#include "text/text.h"

namespace modvesk {

namespace {

std::string gepFilter(const std::string& name) {
    return "Fichier GEP (" + name + ")|" + name;
}

// Asks for the missing pupil table and, unless the B2I flag is set, the missing
// teacher table. False when the command must end.
bool offerGepSources(Session& s, const ProgramFolder& folder) {
    const SourceOffer pupils = offerMissingSource(
        s, "F_ele.dbf", "F_ELE.DBF",
        ansi("Le fichier 'F_ELE.DBF' n'est pas dans le répertoire de l'application. Voulez "
             "vous le rechercher et le copier dans le répertoire de l'application?"),
        gepFilter("F_ELE.DBF"));
    if (pupils == SourceOffer::Copied) folder.enter();
    if (pupils == SourceOffer::Declined || pupils == SourceOffer::Cancelled) return false;
    if (s.job.b2i) return true;
    const SourceOffer teachers = offerMissingSource(
        s, "F_ind.dbf", "F_IND.DBF",
        ansi("Le fichier des professeurs 'F_IND.DBF' n'est pas dans le répertoire de "
             "l'application. Voulez vous le rechercher et le copier dans le répertoire de "
             "l'application?"),
        gepFilter("F_IND.DBF"));
    if (teachers == SourceOffer::Copied) folder.enter();
    return teachers != SourceOffer::Cancelled; // No goes on without teachers
}

// The RNE questions of the creation command. False when the command must end.
bool askRneNumbers(Session& s) {
    s.win.txtrne1 = Upper(Trim(s.win.txtrne1));
    s.win.txtrne2 = Upper(Trim(s.win.txtrne2));
    const std::string lost =
        ansi("Sans le N° RNE, le logiciel ne peut pas repérer dans la base GEP les noms des "
             "enseignants qui ont quitté l'établissement. Voulez vous poursuivre?");
    if (FileExists(s.file("F_ind.dbf")) && s.win.txtrne1.empty() && !s.ui->question(lost))
        return false;
    if (FileExists(s.file("F_ind2.dbf")) && s.win.txtrne2.empty()) {
        if (!s.ui->question(
                ansi("Rolvane a repéré 2 bases GEP différentes pour les professeurs. ") + lost))
            return false;
        if (s.win.txtrne1.empty()) {
            s.ui->message(ansi("Vous devez donner le N° RNE du premier établissement."));
            return false;
        }
    }
    return true;
}

// The RNE numbers against the tables, before anything is deleted: each number set
// must look valid, and while txtrne1 is set (teachers are then kept only when in
// service) the assignments of each establishment that has a teacher table must
// hold a teacher in service for its number. False when the command must end.
bool checkRneNumbers(Session& s) {
    struct Establishment {
        std::string rne;
        const char *teachers, *assignments, *shown;
    };
    const Establishment schools[] = {
        {Upper(Trim(s.win.txtrne1)), "F_ind.dbf", "f_aff.dbf", "F_AFF.DBF"},
        {Upper(Trim(s.win.txtrne2)), "F_ind2.dbf", "f_aff2.dbf", "F_AFF2.DBF"}};
    for (const auto& [rne, teachers, assignments, shown] : schools) {
        if (!rneAccepted(s, rne)) return false;
        if (rne.empty() || schools[0].rne.empty() || !FileExists(s.file(teachers)) ||
            holdsTeacherInService(s, assignments, rne))
            continue;
        if (!goOnDespite(s, Check::Rne,
                         ansi("Aucun enseignant en service pour le RNE ") + rne + " dans " + shown +
                             ansi(" : vérifiez le numéro."),
                         ansi("Continuer sans les enseignants ?")))
            return false;
    }
    return true;
}

// The worker between the opening and the closing of the name registry.
void runWorker(Session& s) {
    const vandrel::Registry registry = vandrel::Registry::open();
    Command1_Click(s);
}

} // namespace

void Genfich_M_Click(Session& s) {
    const JobFiles reports = startJob(s);
    if (!requireLibrary(s)) return;
    const ProgramFolder folder(s);
    s.job.UpdateMode = false;
    if (!offerGepSources(s, folder) || (!s.job.b2i && (!askRneNumbers(s) || !checkRneNumbers(s)))) {
        s.endEarly();
        return;
    }
    s.job.UpdateMode = false;
    s.win.Text1.clear();
    runWorker(s);
    finishCreation(s);
}

void gep_b2i_m_Click(Session& s) {
    s.job.b2i = true;
    s.win.Text1.clear();
    Genfich_M_Click(s);
    s.job.b2i = false;
}

void Command1_Button(Session& s) {
    const JobFiles reports = startJob(s);
    if (!requireLibrary(s)) return;
    const ProgramFolder folder(s);
    runWorker(s);
    if (!FileExists(s.file("F_ele.dbf")))
        s.job.bilan.noSource = ansi("Aucune source lue : F_ELE.DBF introuvable.");
    // The button has no closing line of its own; it still says what it wrote.
    logBilan(s);
}

void miseAjour_M_Click(Session& s) {
    const JobFiles reports = startJob(s);
    if (!requireLibrary(s)) return;
    const ProgramFolder folder(s);
    warnLoginFormat(s);
    s.job.UpdateMode = true;
    s.win.Text1.clear();
    if (!offerGepSources(s, folder)) {
        s.endEarly();
        return;
    }
    if (!checkRneNumbers(s)) return;
    s.win.framemsjEnabled = s.win.rechercherEnabled = true;
    s.win.version3 = true;
    s.ui->redraw();
    s.ui->attente(0);
    const vandrel::Registry registry = openExportForUpdate(s, folder);
    if (!registry) return; // UpdateMode stays set until the next job
    Command1_Click(s);
    listLeavers(s);
    finishUpdate(s);
}

} // namespace modvesk
