// The Access export: a table of an Access database (--mdb, --table) becomes the
// CSV file --out with the fields of --fields in their order, and with --accounts
// ELEVES.CSV and the account files. The job plays the administrator's part in
// the form frmaccess.
#include "batch_dialogs.h"
#include "job_registry.h"
#include "options.h"

#include "jobs/access_export.h"
#include "text/text.h"

#include <string>
#include <vector>

namespace batch {

namespace {

using modvesk::ansi;
using modvesk::utf8;

// The position of `name` (Windows-1252) in a list: the same spelling first, then
// the same name without regard to case, as Access matches names; -1 when absent.
int findName(const std::vector<std::string>& list, const std::string& name) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == name) return static_cast<int>(i);
    for (size_t i = 0; i < list.size(); ++i)
        if (modvesk::Lower(list[i]) == modvesk::Lower(name)) return static_cast<int>(i);
    return -1;
}

// The names of --fields, cut at ",", trimmed; none for an empty text.
std::vector<std::string> fieldNames(const std::string& text) {
    std::vector<std::string> names;
    if (modvesk::Trim(text).empty()) return names;
    size_t from = 0;
    for (size_t comma; (comma = text.find(',', from)) != std::string::npos; from = comma + 1)
        names.push_back(modvesk::Trim(text.substr(from, comma - from)));
    names.push_back(modvesk::Trim(text.substr(from)));
    return names;
}

std::string joinedForTerminal(const std::vector<std::string>& list) {
    std::string out;
    for (const auto& item : list)
        out += (out.empty() ? "" : ", ") + utf8(item);
    return out;
}

// Selects the table and clicks the fields in order. An unknown table or field of
// a database that could be read is wrong usage.
void chooseTableAndFields(modvesk::Session& s, modvesk::AccessForm& f, const Options& o) {
    const std::string table = o.value("--table");
    f.listtablesIndex = findName(f.listtables, ansi(table));
    if (f.listtablesIndex < 0)
        throw UsageError("la base Access n'a pas de table " + table +
                         " (tables : " + joinedForTerminal(f.listtables) + ").");
    modvesk::frmaccess_listtables_Click(s, f);
    if (s.job.endedEarly) return;
    for (const auto& name : fieldNames(o.value("--fields"))) {
        f.listchampsIndex = findName(f.listchamps, ansi(name));
        if (f.listchampsIndex < 0)
            throw UsageError("la table " + table + " n'a pas de champ « " + name +
                             " » (champs : " + joinedForTerminal(f.listchamps) + ").");
        modvesk::frmaccess_listchamps_Click(s, f);
    }
}

void playFrmAccess(modvesk::Session& s, const Options& o) {
    modvesk::AccessForm f;
    modvesk::frmaccess_Form_Activate(s, f);
    if (s.job.endedEarly) return;
    chooseTableAndFields(s, f, o);
    if (s.job.endedEarly) return;
    s.win.Checkwartz = o.flag("--accounts");
    s.win.chkinvdate = o.flag("--swap-day-month");
    modvesk::frmaccess_Command1_Click(s, f);
    modvesk::frmaccess_quitter_m_Click(s, f);
}

const JobRegistration accessJobs({
    {"access-csv",
     "écrire les champs choisis d'une table Access dans un fichier CSV (avec --accounts : "
     "ELEVES.CSV et les comptes)",
     {"--mdb", "--table", "--fields", "--out"},
     [](modvesk::Session& s, BatchDialogs& d, const Options& o) {
         d.answerFile("*.MDB", o.value("--mdb"));
         d.answerFile("*.CSV", o.value("--out"));
         d.onForm = [&s, &o](modvesk::Form form) {
             if (form == modvesk::Form::FrmAccess) playFrmAccess(s, o);
         };
         modvesk::csvaccess_m_Click(s);
     }},
});

} // namespace

} // namespace batch
