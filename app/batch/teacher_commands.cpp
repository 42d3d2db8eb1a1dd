// The teacher tools: group responsibilities (--set) and deletion of teacher
// accounts (--teacher), each playing the administrator's part in its form.
#include "batch_dialogs.h"
#include "job_registry.h"
#include "options.h"

#include "jobs/teacher_tools.h"
#include "text/text.h"

#include <algorithm>

namespace batch {

namespace {

using modvesk::ansi;

// The index of the first entry of the teacher list equal to `teacher` (UTF-8
// from the command line), or -1 after a line on standard error; the job then
// ends with status 1 once the teachers found are done.
int findTeacher(const std::vector<std::string>& list, const std::string& teacher, BatchDialogs& d) {
    const auto it = std::find(list.begin(), list.end(), ansi(teacher));
    if (it != list.end()) return static_cast<int>(it - list.begin());
    d.note("Professeur absent de la liste du fichier EXPORT : " + teacher);
    return -1;
}

void playProfsResp(modvesk::Session& s, BatchDialogs& d, const Options& o) {
    modvesk::ProfsRespForm form;
    modvesk::profsresp_Form_Load(s, form);
    if (s.job.endedEarly) {
        modvesk::profsresp_Command3_Click(s, form);
        return;
    }
    bool missing = false;
    for (const auto& set : o.all("--set")) {
        const size_t eq = set.find('=');
        const int index = findTeacher(form.Listprofs, set.substr(0, eq), d);
        if (index < 0) {
            missing = true;
            continue;
        }
        form.ListprofsIndex = index;
        modvesk::profsresp_Listprofs_Click(s, form);
        form.ListgroupesSelected.assign(form.Listgroupes.size(), false);
        form.Textassoc = ansi(set.substr(eq + 1));
        modvesk::profsresp_Command1_Click(s, form);
    }
    modvesk::profsresp_Command2_Click(s, form);
    if (missing) s.endEarly();
}

void playFrCmptesProfs(modvesk::Session& s, BatchDialogs& d, const Options& o) {
    modvesk::FrCmptesProfsForm form;
    modvesk::frcmptesprofs_Form_Load(s, form);
    if (s.job.endedEarly) {
        modvesk::frcmptesprofs_quitter_m_Click(s, form);
        return;
    }
    bool missing = false;
    for (const auto& teacher : o.all("--teacher")) {
        const int index = findTeacher(form.Listprofs, teacher, d);
        if (index >= 0)
            form.ListprofsSelected[static_cast<size_t>(index)] = true;
        else
            missing = true;
    }
    modvesk::frcmptesprofs_Command4_Click(s, form);
    if (missing) s.endEarly();
}

const JobRegistration teacherJobs({
    {"responsibles",
     "définir les groupes dont les professeurs sont responsables",
     {"--export"},
     [](modvesk::Session& s, BatchDialogs& d, const Options& o) {
         d.answerFile("export", o.value("--export"));
         d.onForm = [&](modvesk::Form form) {
             if (form == modvesk::Form::ProfsResp) playProfsResp(s, d, o);
         };
         modvesk::defrespgroupes_Click(s);
     }},
    {"delete-teachers",
     "supprimer des comptes du groupe PROFS",
     {"--export"},
     [](modvesk::Session& s, BatchDialogs& d, const Options& o) {
         d.answerFile("export", o.value("--export"));
         d.onForm = [&](modvesk::Form form) {
             if (form == modvesk::Form::FrCmptesProfs) playFrCmptesProfs(s, d, o);
         };
         modvesk::supcpteProfs_m_Click(s);
     }},
});

} // namespace

} // namespace batch
