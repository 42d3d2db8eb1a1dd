// Steps that every account job shares: clearing the last run's outputs, the
// library check, and the closing line of the log box.
#include "jobs/job_steps.h"

#include "clients/vandrel_client.h"
#include "jobs/csv_conversion.h"
#include "jobs/settings_checks.h"
#include "jobs/shell.h"
#include "sources/export_reader.h"
#include "text/files.h"
#include "text/text.h"
#include "writers/import_writer.h"

#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace modvesk {

ProgramFolder::ProgramFolder(const Session& s) : s_(s) {
    std::error_code ec;
    previous_ = fs::current_path(ec);
    enter();
}

ProgramFolder::~ProgramFolder() {
    std::error_code ec;
    if (!previous_.empty()) fs::current_path(previous_, ec);
}

void ProgramFolder::enter() const {
    std::error_code ec;
    if (!s_.dir.empty()) fs::current_path(s_.dir, ec);
}

SourceOffer offerMissingSource(Session& s, const std::string& lookedUp, const std::string& copyName,
                               const std::string& question, const std::string& filter) {
    if (FileExists(s.file(lookedUp))) return SourceOffer::Present;
    if (!s.ui->question(question, kJobTitle, Icon::Exclamation)) return SourceOffer::Declined;
    const std::string chosen = s.ui->openFile(Session::dialogTitle, filter);
    s.win.commonDialogFileName = chosen;
    if (Trim(chosen).empty()) return SourceOffer::Cancelled;
    copySourceFile(s, chosen, copyName);
    return SourceOffer::Copied;
}

void warnLoginFormat(Session& s) {
    s.ui->message(ansi("NOTE TRES IMPORTANTE : Lors des mises à jour des comptes vous devez "
                       "IMPERATIVEMENT sélectionner le format de login (NOM.PRENOM ou "
                       "PRENOM.NOM) correspondant à celui en vigueur l'année précédente."));
}

bool openExportForUpdate(Session& s, bool byIdentifier) {
    rechercher_Click(s);
    const std::string exportPath = Trim(s.win.commonDialogFileName);
    if (exportPath.empty()) {
        s.endEarly();
        return false;
    }
    if (!exportReadable(s, exportPath) || !loginFormatFits(s, exportPath)) return false;
    vandrel::creationCarnet();
    s.win.Text1 = currentTime() + std::string(CRLF) + s.win.Text1 + std::string(CRLF) +
                  ansi("Traitement du fichier EXPORT.....");
    s.ui->redraw();
    LoadExport(s, exportPath, false);
    if (byIdentifier)
        noteIdentityMode(s);
    else
        s.job.serverAccounts.clear();
    return true;
}

void noteIdentityMode(Session& s) {
    if (!s.job.serverAccounts.identityMode()) return;
    s.log(std::string(CRLF) +
          ansi("Les comptes élèves du fichier EXPORT portent l'identifiant de l'élève : chaque "
               "élève retrouve le compte de son identifiant, puis celui de son nom s'il ne porte "
               "pas un autre identifiant."));
}

void deleteLastRunOutputs(Session& s) {
    s.closeLineFiles(); // a report deleted here starts again at its next line
    for (const auto& name : lastRunOutputs())
        DeleteFileIfExists(s.file(name));
}

bool requireLibrary(Session& s) {
    if (vandrel::available()) return true;
    s.job.libraryMissing = true;
    s.endEarly();
    const std::string text =
        ansi("La bibliothèque vandrel1 est introuvable : aucun compte n'a été généré.");
    if (s.ui) s.ui->message(text, kJobTitle, Icon::Exclamation);
    s.log(std::string(CRLF) + text);
    return false;
}

void checkLibraryFile(Session& s, const std::string& name) {
    s.job.bilan.accountFile(name);
    const fs::path path = s.file(name);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) {
        // The library writes whole lines ended by CR LF, never an empty file.
        std::string bytes;
        const bool whole = ReadAll(path, bytes) && bytes.size() >= 2 &&
                           bytes.compare(bytes.size() - 2, 2, CRLF) == 0;
        if (!whole) s.writeFailed(name);
        return;
    }
    // No file: either nothing was to be listed, or it could not be created. A file
    // that the program cannot create either tells the second case.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        s.writeFailed(name);
        return;
    }
    ::close(fd);
    fs::remove(path, ec);
}

void listPupilsWhoLeft(Session& s) {
    const ProgramFolder folder(s);
    const std::string name = "comptesAsupprimer.txt";
    if (!s.job.serverAccounts.identityMode()) {
        vandrel::elevessortis(s.job.classList);
        checkLibraryFile(s, name);
        return;
    }
    s.job.bilan.accountFile(name);
    const std::string text = s.job.serverAccounts.leavers(s.job.classList);
    if (!text.empty() && !WriteFileAt(s.file(name), text)) s.writeFailed(name);
}

std::string closingLine(const Session& s, const std::string& successLine) {
    if (!s.job.failed()) return successLine;
    return ansi("Des erreurs se sont produites : certains fichiers n'ont pas été créés.");
}

void finishCreation(Session& s) {
    s.ui->refreshFileLists();
    closeJob(s, ansi("Tous les fichiers textes ont été créés."));
    vandrel::raz();
    s.win.lstTri.clear();
}

void closeJob(Session& s, const std::string& successLine, bool withTime) {
    s.closeLineFiles(); // a report not written whole makes the closing line the error line
    std::string text = std::string(CRLF) + closingLine(s, successLine);
    if (withTime) text += std::string(CRLF) + currentTime();
    s.log(text);
    logBilan(s);
}

JobFiles startJob(Session& s) {
    s.job.writeErrors.clear();
    s.job.bilan.clear();
    s.job.utf8Sources.clear();
    s.job.endedEarly = false;
    s.job.libraryMissing = false;
    s.job.serverAccounts.clear();
    return JobFiles(s);
}

std::string currentTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[16];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &local);
    return buf;
}

} // namespace modvesk
