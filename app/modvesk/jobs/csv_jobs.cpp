// The two CSV account jobs of the file menu: first creation of the accounts from
// ELEVES.CSV and PROFS.CSV, and the yearly update against the server's EXPORT file.
#include "jobs/csv_jobs.h"

#include "clients/vandrel_client.h"
#include "jobs/csv_conversion.h"
#include "jobs/jobs.h"
#include "sources/export_reader.h"
#include "text/files.h"
#include "text/text.h"

#include <system_error>

namespace modvesk {

namespace {

struct SourceFile {
    const char* name;     // the name it gets in the program's directory
    const char* lookedUp; // the name the presence test looks for
    const char* question; // the offer to look for it
    const char* filter;
};

const SourceFile kPupilFile{
    "ELEVES.CSV", "eleves.csv",
    "Le fichier 'ELEVES.CSV' n'est pas dans le répertoire de l'application. Voulez vous "
    "le rechercher et le copier dans le répertoire de l'application?",
    "Fichier CSV (ELEVES.CSV)|ELEVES.CSV"};

const SourceFile kTeacherFile{
    "PROFS.CSV", "PROFS.CSV",
    "Le fichier des professeurs 'PROFS.CSV' n'est pas dans le répertoire de "
    "l'application. Voulez vous le rechercher et le copier dans le répertoire de "
    "l'application?",
    "Fichier CSV (PROFS.CSV)|PROFS.CSV"};

// Makes sure a source file lies in the program's directory, offering to look for
// it (No goes on without it). False when the user cancelled the file dialog: the
// whole job ends then.
bool fetchSourceFile(Session& s, const SourceFile& f) {
    const SourceOffer offer =
        offerMissingSource(s, f.lookedUp, f.name, ansi(f.question), ansi(f.filter));
    if (offer != SourceOffer::Cancelled) return true;
    s.endEarly();
    return false;
}

// Both sources, offered when missing. False when the job must end: a cancelled
// dialog, or neither file there, when the job would delete last year's outputs
// and write no account.
bool fetchSourceFiles(Session& s) {
    if (!fetchSourceFile(s, kPupilFile) || !fetchSourceFile(s, kTeacherFile)) return false;
    if (FileExists(s.file(kPupilFile.lookedUp)) || FileExists(s.file(kTeacherFile.lookedUp)))
        return true;
    const std::string text =
        ansi("Aucun fichier ELEVES.CSV ni PROFS.CSV : aucun compte n'a été créé.");
    s.ui->message(text, kJobTitle, Icon::Exclamation);
    s.log(s.win.Text1.empty() ? text : std::string(CRLF) + text);
    s.endEarly();
    return false;
}

// The end shared by both jobs: the closing line of the log box and the clean-up.
void finishCsvJob(Session& s) {
    finishCreation(s);
    s.ui->redraw();
}

} // namespace

void creercompteCSV_m_Click(Session& s) {
    const JobFiles reports = startJob(s);
    if (!requireLibrary(s)) return;
    s.job.UpdateMode = false;
    if (!fetchSourceFiles(s)) return;
    s.job.UpdateMode = false;
    s.win.Text1.clear();
    s.ui->redraw();
    vandrel::creationCarnet();
    convertirBaseCSV(s);
    vandrel::fermercarnet();
    finishCsvJob(s);
}

void msjcmptcsv_m_Click(Session& s) {
    const JobFiles reports = startJob(s);
    if (!requireLibrary(s)) return;
    s.job.UpdateMode = false;
    warnLoginFormat(s);
    if (!fetchSourceFiles(s)) return;
    s.job.UpdateMode = true;
    s.win.Text1.clear();
    s.win.framemsjEnabled = true;
    s.win.rechercherEnabled = true;
    version3_Click(s);
    s.ui->redraw();

    // CSV pupils carry no identifier: they are found by their name key alone, and
    // the pupils who left are the library's list, whatever the EXPORT carries.
    if (!openExportForUpdate(s, false)) return;
    convertirBaseCSV(s);
    s.log(std::string(CRLF) + ansi("Création du fichier des comptes à supprimer.....") +
          std::string(CRLF));
    s.ui->attente(100);
    listPupilsWhoLeft(s);
    vandrel::fermercarnet();
    finishCsvJob(s);
}

} // namespace modvesk
