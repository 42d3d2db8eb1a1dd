// What a job left in the folder, for the administrator: the accounts as rows
// ("show") and the login slips to hand out ("slips").
#include "batch_dialogs.h"
#include "job_registry.h"
#include "options.h"

#include "jobs/slips_job.h"
#include "model/model.h"
#include "sources/account_rows.h"
#include "text/text.h"

#include <iostream>

namespace batch {

namespace {

void show(modvesk::Session& s, const Options& o) {
    const auto rows = modvesk::readAccountRows(s.dir);
    std::cout << (o.value("--format") == "csv" ? modvesk::accountCsv(rows)
                                               : modvesk::accountTableText(rows));
}

// --class C: that class; --teachers: the new teachers; otherwise (--all) every class.
void slips(modvesk::Session& s, const Options& o) {
    if (o.has("--class"))
        modvesk::writeSlips(s, modvesk::SlipChoice::OneClass, modvesk::ansi(o.value("--class")));
    else if (o.flag("--teachers"))
        modvesk::writeSlips(s, modvesk::SlipChoice::Teachers);
    else
        modvesk::writeSlips(s, modvesk::SlipChoice::AllClasses);
}

const JobRegistration reviewJobs({
    {"show",
     "afficher les comptes des fichiers du dossier (--format table|csv)",
     {},
     [](modvesk::Session& s, BatchDialogs&, const Options& o) { show(s, o); }},
    {"slips",
     "fiches de connexion en PDF (--class CLASSE, --all ou --teachers)",
     {},
     [](modvesk::Session& s, BatchDialogs&, const Options& o) { slips(s, o); }},
});

} // namespace

} // namespace batch
