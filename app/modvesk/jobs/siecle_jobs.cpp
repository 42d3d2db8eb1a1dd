// The SIECLE / STS-web jobs: the XML exports of the program's folder are told by
// their root element, read whole before anything is deleted, then handed to the
// GEP builders in the GEP worker's order (staff, then pupils).
#include "jobs/siecle_jobs.h"

#include "accounts/builders.h"
#include "accounts/login.h"
#include "accounts/passwords.h"
#include "clients/vandrel_client.h"
#include "jobs/csv_conversion.h"
#include "jobs/gep_worker.h"
#include "jobs/jobs.h"
#include "jobs/settings_checks.h"
#include "sources/export_reader.h"
#include "sources/siecle_reader.h"
#include "text/files.h"
#include "text/text.h"
#include "writers/import_writer.h"

#include <utility>

namespace modvesk {

namespace {

// The exports found in the program's folder, read whole.
struct SchoolSources {
    std::string pupilFile, staffFile; // names in the folder, "" when none
    SchoolXml pupils, staff;
};

// Reads every *.xml of the folder. False, with the reasons (one per line), when a
// file cannot be read or when more than one file holds the same kind.
bool scanSources(Session& s, SchoolSources& src, std::string& problems) {
    src = SchoolSources{};
    std::vector<std::string> pupilFiles, staffFiles;
    for (const std::string& name : ListFiles(s.dir, "*.xml")) {
        SchoolXml xml;
        std::string reason;
        if (!ReadSchoolXml(s.file(name), xml, reason)) {
            problems += std::string(CRLF) + fileText("Le fichier ", name, " ") + reason + ".";
            continue;
        }
        if (xml.kind == SchoolXmlKind::Pupils) {
            pupilFiles.push_back(name);
            src.pupilFile = name;
            src.pupils = std::move(xml);
        } else if (xml.kind == SchoolXmlKind::Staff) {
            staffFiles.push_back(name);
            src.staffFile = name;
            src.staff = std::move(xml);
        }
    }
    auto tooMany = [&](const std::vector<std::string>& names, const char* kind) {
        if (names.size() < 2) return;
        std::string list;
        for (const auto& n : names)
            list += (list.empty() ? "" : ", ") + shownName(n);
        problems += std::string(CRLF) + ansi(std::string("Plusieurs fichiers ") + kind + " : ") +
                    list + ansi(". Laissez-en un seul dans le répertoire de l'application.");
    };
    tooMany(pupilFiles, "d'élèves SIECLE (BEE_ELEVES)");
    tooMany(staffFiles, "des personnels STS-web (STS_EDT)");
    return problems.empty();
}

// Offers to look for one export and copies the chosen file into the folder
// under its own name. False when the dialog was cancelled.
bool offerExport(Session& s, const char* question) {
    if (!s.ui->question(ansi(question), kJobTitle, Icon::Exclamation)) return true;
    const std::string chosen =
        s.ui->openFile(Session::dialogTitle, ansi("Fichier XML SIECLE ou STS-web|*.xml"));
    s.win.commonDialogFileName = chosen;
    if (Trim(chosen).empty()) return false;
    const std::string name = fs::path(chosen).filename().string();
    if (!IsPlainFileName(name)) return false;
    copySourceFile(s, chosen, name);
    return true;
}

// Stops the job before it deletes or writes anything, saying why.
bool refuseSources(Session& s, const std::string& why) {
    const std::string text = why.substr(why.rfind(CRLF, 0) == 0 ? 2 : 0) + std::string(CRLF) +
                             ansi("Aucun fichier n'a été supprimé ni créé.");
    s.ui->message(text, kJobTitle, Icon::Exclamation);
    s.log(s.win.Text1.empty() ? text : std::string(CRLF) + text);
    s.endEarly();
    return false;
}

// Finds the exports (offering to look for them when the folder holds none) and
// reads them. False when the job must end.
bool fetchSources(Session& s, const ProgramFolder& folder, SchoolSources& src) {
    std::string problems;
    if (!scanSources(s, src, problems)) return refuseSources(s, problems);
    if (!src.pupilFile.empty() || !src.staffFile.empty()) return true;
    const bool chosen =
        offerExport(s, "Le fichier des élèves de SIECLE (ElevesSansAdresses.xml) n'est pas dans "
                       "le répertoire de l'application. Voulez vous le rechercher et le copier "
                       "dans le répertoire de l'application?") &&
        offerExport(s, "Le fichier des personnels de STS-web (sts_emp_RNE_ANNEE.xml) n'est pas "
                       "dans le répertoire de l'application. Voulez vous le rechercher et le "
                       "copier dans le répertoire de l'application?");
    folder.enter();
    if (!chosen) {
        s.endEarly();
        return false;
    }
    if (!scanSources(s, src, problems)) return refuseSources(s, problems);
    if (!src.pupilFile.empty() || !src.staffFile.empty()) return true;
    return refuseSources(s, std::string(CRLF) +
                                ansi("Aucun fichier XML d'élèves SIECLE (BEE_ELEVES) ni de "
                                     "personnels STS-web (STS_EDT) dans le répertoire de "
                                     "l'application."));
}

// The RNE typed (txtrne1) against the establishment each export names: the
// slips would print a school the files do not come from. False when the job
// must end.
bool rneFitsSources(Session& s, const SchoolSources& src) {
    const std::string rne = Upper(Trim(s.win.txtrne1));
    if (rne.empty()) return true;
    if (!rneAccepted(s, rne)) return false;
    const std::pair<const std::string&, const SchoolXml&> files[] = {{src.pupilFile, src.pupils},
                                                                     {src.staffFile, src.staff}};
    std::string accepted;
    for (const auto& [file, xml] : files) {
        const std::string school = Upper(Trim(xml.uaj));
        if (file.empty() || school.empty() || school == rne || school == accepted) continue;
        if (!goOnDespite(s, Check::Rne,
                         ansi("Le N° RNE ") + rne + ansi(" ne correspond pas à l'établissement ") +
                             school + " du fichier " + file + ".",
                         ansi("Continuer ?")))
            return false;
        accepted = school; // the other file of the same school is not asked about again
    }
    return true;
}

std::string trimmedId(const std::string& id) {
    return Trim(BlankSeparators(id));
}

// The responsibilities of the staff file, given to the library as the GEP group
// tables are: the groups' divisions, then the teachers of each division, then
// the teachers of each group.
void feedResponsibilities(const SchoolXml& staff) {
    for (const auto& group : staff.groups)
        for (const auto& division : group.divisions)
            vandrel::associecodegroupe(CleanStructureCode(group.code),
                                       CleanStructureCode(division));
    for (const auto& division : staff.divisions)
        for (const auto& id : division.teachers)
            vandrel::associeProfsGroupes(CleanStructureCode(division.code), "D", trimmedId(id));
    for (const auto& group : staff.groups)
        for (const auto& id : group.teachers)
            vandrel::associeProfsGroupes(CleanStructureCode(group.code), "G", trimmedId(id));
}

void buildStaff(Session& s, const std::string& file, const SchoolXml& staff, long& count) {
    for (const StsPerson& p : staff.staff) {
        std::string surname = TrimView(p.usageName).empty() ? p.birthName : p.usageName;
        std::string firstName = p.firstName;
        FoldRecord(surname, RecordKind::GepTeacher);
        FoldRecord(firstName, RecordKind::GepTeacher);
        TeacherFields f{trimmedId(p.id), CleanTeacherSurname(surname),
                        CleanTeacherFirstName(firstName), ""};
        const char* reason = f.surname.empty()                                 ? "nom vide"
                             : f.firstName.empty()                             ? "prénom vide"
                             : TooLong({f.identifier, f.surname, f.firstName}) ? "champ trop long"
                                                                               : nullptr;
        if (reason) {
            s.job.bilan.personWithoutAccount(file, "individu", f.identifier, ansi(reason));
            continue;
        }
        f.password = NewStaffPassword();
        BuildTeacherFromFields(s, f, count);
    }
}

// The division of the pupils no longer at school, in any case.
bool inactive(std::string_view division) {
    constexpr std::string_view kInactive = "inactifs";
    if (division.size() != kInactive.size()) return false;
    for (size_t i = 0; i < division.size(); ++i)
        if (lowerChar(division[i]) != kInactive[i]) return false;
    return true;
}

// Why a pupil of the file gets no account before the builder sees him ("" when
// he goes on to it); `date` is his birth date as SiecleDate reads it.
std::string pupilLeftOut(const SieclePupil& p, const std::string& date) {
    if (!TrimView(p.leftOn).empty()) return ansi("sorti le ") + Trim(BlankSeparators(p.leftOn));
    if (TrimView(p.division).empty()) return ansi("sans division");
    if (inactive(TrimView(p.division))) return ansi("inactif");
    if (!TrimView(p.birthDate).empty() && date.empty()) return ansi("date de naissance illisible");
    return "";
}

// The pupil's account, his texts copied into the builder's fields; his ELEVE_ID
// goes to the Bilan when he gets none.
void buildPupil(Session& s, const std::string& file, const SieclePupil& p, long& count) {
    std::string date = SiecleDate(p.birthDate);
    std::string reason = pupilLeftOut(p, date);
    if (reason.empty()) {
        PupilFields f{std::string(TrimView(p.elenoet).empty() ? p.eleveId : p.elenoet),
                      std::string(TrimView(p.usageName).empty() ? p.birthName : p.usageName),
                      std::string(p.firstName), std::move(date), std::string(p.division)};
        for (std::string* field : {&f.identifier, &f.surname, &f.firstName, &f.className})
            FoldRecord(*field, RecordKind::GepPupil);
        BuildOutcome built = BuildPupilFromFields(s, f, count);
        if (built.account) return;
        reason = std::move(built.reason);
    }
    s.job.bilan.personWithoutAccount(file, "élève", Trim(BlankSeparators(p.eleveId)), reason);
}

// The worker: every account of the two files, the import files, the class files
// and GROUPES.TXT, as the GEP worker writes them. Each pupil read is let go once his
// account is built: the memory he held serves the accounts.
void convertSchoolXml(Session& s, SchoolSources& src) {
    beginGepWorker(s, ansi("Conversion des fichiers SIECLE/STS-web en cours........"));
    if (!src.staffFile.empty()) s.logLine(fileText("Personnels : ", src.staffFile));
    if (!src.pupilFile.empty()) s.logLine(fileText("Élèves : ", src.pupilFile));

    long count = 0;
    if (!src.staffFile.empty()) {
        // Let go once the teachers' accounts are built: the memory it held serves
        // the pupils' accounts.
        const SchoolXml staff = std::exchange(src.staff, SchoolXml{});
        feedResponsibilities(staff);
        buildStaff(s, src.staffFile, staff, count);
    }
    count = 0; // the pupils fill the person table from its start
    {
        SieclePupils pupils = std::exchange(src.pupils.pupils, SieclePupils{});
        for (size_t i = 0; i < pupils.size(); ++i) {
            buildPupil(s, src.pupilFile, pupils[i], count);
            pupils.releaseBefore(i + 1);
        }
    }
    const std::string& anyFile = src.pupilFile.empty() ? src.staffFile : src.pupilFile;
    WriteImportFiles(s, count, anyFile, anyFile, false);
    endGepWorker(s);
}

} // namespace

void creercompteSIECLE_m_Click(Session& s) {
    const JobFiles reports = startJob(s);
    if (!requireLibrary(s)) return;
    const ProgramFolder folder(s);
    s.job.UpdateMode = false;
    SchoolSources src;
    if (!fetchSources(s, folder, src) || !rneFitsSources(s, src)) return;
    s.win.Text1.clear();
    {
        const vandrel::Registry registry = vandrel::Registry::open();
        convertSchoolXml(s, src);
    }
    finishCreation(s);
}

void msjcmptSIECLE_m_Click(Session& s) {
    const JobFiles reports = startJob(s);
    if (!requireLibrary(s)) return;
    const ProgramFolder folder(s);
    warnLoginFormat(s);
    s.job.UpdateMode = true;
    s.win.Text1.clear();
    SchoolSources src;
    if (!fetchSources(s, folder, src) || !rneFitsSources(s, src)) return;
    s.win.framemsjEnabled = s.win.rechercherEnabled = true;
    s.win.version3 = true;
    s.ui->redraw();
    s.ui->attente(0);
    const vandrel::Registry registry = openExportForUpdate(s, folder);
    if (!registry) return;
    convertSchoolXml(s, src);
    listLeavers(s);
    finishUpdate(s);
}

} // namespace modvesk
