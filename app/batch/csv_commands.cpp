// The CSV jobs: creation and update from ELEVES.CSV / PROFS.CSV (plain or SCONET),
// the trainee accounts, and the renaming of the logins of an EXPORT file.
#include "batch_dialogs.h"
#include "job_registry.h"
#include "options.h"

#include "jobs/jobs.h"
#include "model/model.h"
#include "text/text.h"

namespace batch {

namespace {

// The trainee group form: --group in "Nom du groupe", --responsible in the list of
// groups, then "OK". A refused answer leaves the form to be closed by its frame,
// with the group as it was typed (empty).
void answerTraineeForm(modvesk::Session& s, BatchDialogs& d, const Options& o) {
    d.answerFile("*.txt", o.value("--list"));
    d.onForm = [&s, &o](modvesk::Form form) {
        if (form != modvesk::Form::SaisieGroupes) return;
        modvesk::saisiegroupes_Command1_Click(s, modvesk::ansi(o.value("--group")),
                                              modvesk::ansi(o.value("--responsible")));
    };
}

const JobRegistration csvJobs({
    {"csv-create",
     "créer les comptes à partir de ELEVES.CSV et PROFS.CSV (y compris SCONET)",
     {},
     [](modvesk::Session& s, BatchDialogs&, const Options&) {
         modvesk::creercompteCSV_m_Click(s);
     }},
    {"csv-update",
     "mettre à jour les comptes (ELEVES.CSV, PROFS.CSV et fichier EXPORT)",
     {"--export"},
     [](modvesk::Session& s, BatchDialogs& d, const Options& o) {
         d.answerFile("export", o.value("--export"));
         modvesk::msjcmptcsv_m_Click(s);
     }},
    {"trainees",
     "créer les comptes des stagiaires d'une liste de noms",
     {"--list", "--group"},
     [](modvesk::Session& s, BatchDialogs& d, const Options& o) {
         answerTraineeForm(s, d, o);
         modvesk::stage_m_Click(s);
     }},
    {"rename-logins",
     "inverser Nom.Prénom et Prénom.Nom dans les logins d'un fichier EXPORT",
     {"--export", "--yes"},
     [](modvesk::Session& s, BatchDialogs& d, const Options& o) {
         d.answerFile("export", o.value("--export"));
         modvesk::Modifconnex_M_Click(s);
     }},
});

} // namespace

} // namespace batch
