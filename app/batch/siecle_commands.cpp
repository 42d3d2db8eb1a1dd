// The SIECLE / STS-web jobs: account creation from the schools' XML exports, and
// the update against EXPORT.
#include "batch_dialogs.h"
#include "job_registry.h"
#include "options.h"

#include "jobs/jobs.h"

namespace batch {

namespace {

const JobRegistration siecleJobs({
    {"siecle-create",
     "créer les comptes à partir des fichiers SIECLE et STS-web (XML)",
     {},
     [](modvesk::Session& s, BatchDialogs&, const Options&) {
         modvesk::creercompteSIECLE_m_Click(s);
     }},
    {"siecle-update",
     "mettre à jour les comptes (fichiers SIECLE et STS-web, fichier EXPORT)",
     {"--export"},
     [](modvesk::Session& s, BatchDialogs& d, const Options& o) {
         d.answerFile("export", o.value("--export"));
         modvesk::msjcmptSIECLE_m_Click(s);
     }},
});

} // namespace

} // namespace batch
