// The GEP jobs: account creation, its B2I form, and the update against EXPORT.
#include "batch_dialogs.h"
#include "job_registry.h"
#include "options.h"

#include "jobs/jobs.h"

namespace batch {

namespace {

const JobRegistration gepJobs({
    {"gep-create",
     "créer les comptes à partir des tables GEP",
     {},
     [](modvesk::Session& s, BatchDialogs&, const Options&) { modvesk::Genfich_M_Click(s); }},
    {"gep-b2i",
     "convertir les élèves des tables GEP pour le B2I",
     {},
     [](modvesk::Session& s, BatchDialogs&, const Options&) { modvesk::gep_b2i_m_Click(s); }},
    {"gep-update",
     "mettre à jour les comptes (tables GEP et fichier EXPORT)",
     {"--export"},
     [](modvesk::Session& s, BatchDialogs& d, const Options& o) {
         d.answerFile("export", o.value("--export"));
         modvesk::miseAjour_M_Click(s);
     }},
});

} // namespace

} // namespace batch
