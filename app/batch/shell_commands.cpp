// Window commands that do no account work.
#include "batch_dialogs.h"
#include "job_registry.h"
#include "options.h"

#include "jobs/jobs.h"

namespace batch {

namespace {

const JobRegistration shellJobs({
    {"clean",
     "supprimer les fichiers .txt du dossier",
     {},
     [](modvesk::Session& s, BatchDialogs&, const Options&) { modvesk::Actualiser_M_Click(s); }},
});

} // namespace

} // namespace batch
