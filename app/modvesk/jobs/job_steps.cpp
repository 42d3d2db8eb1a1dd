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
#include "writers/class_files.h"
#include "writers/import_writer.h"

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
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

vandrel::Registry openExportForUpdate(Session& s, const ProgramFolder& folder, bool byIdentifier) {
    rechercher_Click(s);
    const std::string exportPath = Trim(s.win.commonDialogFileName);
    if (exportPath.empty()) {
        s.endEarly();
        return {};
    }
    if (!exportFound(s, exportPath)) return {};
    const ExportFile exportFile(exportPath); // read once for the checks and the registrations
    if (!exportLooksRight(s, exportFile, exportPath) || !loginFormatFits(s, exportFile)) return {};
    folder.enter(); // the dialog may have left another folder current
    vandrel::Registry registry = vandrel::Registry::open();
    s.win.Text1 = currentTime() + std::string(CRLF) + s.win.Text1 + std::string(CRLF) +
                  ansi("Traitement du fichier EXPORT.....");
    s.ui->redraw();
    LoadExport(s, exportFile, false);
    if (byIdentifier)
        noteIdentityMode(s);
    else
        s.job.serverAccounts.clear();
    return registry;
}

void noteIdentityMode(Session& s) {
    if (!s.job.serverAccounts.identityMode()) return;
    s.logLine(
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
    s.logLine(text);
    return false;
}

namespace {

// Whether a file of that name can be created in its folder (it is not kept).
bool canCreate(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    std::error_code ec;
    fs::remove(path, ec);
    return true;
}

// How a file the library wrote ends: `whole` when it is a regular file ending with
// CR LF, `nothing` when it could not be read or holds no byte. Only its size and
// last two bytes are read.
struct LibraryFile {
    bool whole = false, nothing = true;
};

LibraryFile libraryFile(const fs::path& path) {
    LibraryFile file;
    const int fd = ::open(resolvePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return file;
    struct stat st;
    char end[2];
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        file.nothing = false;
        file.whole = st.st_size >= 2 && ::pread(fd, end, 2, st.st_size - 2) == 2 &&
                     std::string_view(end, 2) == CRLF;
    }
    ::close(fd);
    return file;
}

} // namespace

void libraryWrites(Session& s, const std::string& name, const std::function<void()>& write) {
    s.job.bilan.accountFile(name);
    // The old file waits aside while the library writes, so that an empty file
    // afterwards can only be the library's mark of a failed write.
    const fs::path before = s.file(name);
    fs::path aside = before;
    aside += ".avant" + std::to_string(::getpid());
    std::error_code ec;
    const auto old = fs::symlink_status(before, ec);
    const bool moved =
        (fs::is_regular_file(old) || fs::is_symlink(old)) && (fs::rename(before, aside, ec), !ec);
    {
        const ProgramFolder here(s);
        write();
    }
    const fs::path path = s.file(name);
    const bool exists = fs::exists(fs::symlink_status(path, ec));
    // The library writes whole lines ended by CR LF, never an empty file.
    const LibraryFile written = exists ? libraryFile(path) : LibraryFile{};
    const bool whole = written.whole;
    if (exists && !whole && fs::is_regular_file(fs::symlink_status(path, ec)) && written.nothing)
        fs::remove(path, ec); // the mark
    if (moved && whole)
        fs::remove(aside, ec);
    else if (moved)
        fs::rename(aside, before, ec);
    // No file: either nothing was to be listed, or it could not be created. A file
    // that the program cannot create either tells the second case.
    if (exists ? !whole : !canCreate(path)) s.writeFailed(name);
}

void listPupilsWhoLeft(Session& s) {
    const std::string name = "comptesAsupprimer.txt";
    if (!s.job.serverAccounts.identityMode()) {
        libraryWrites(s, name, [&] { vandrel::elevessortis(s.job.classList.text()); });
        return;
    }
    s.job.bilan.accountFile(name);
    const std::string text = s.job.serverAccounts.leavers(s.job.classList.text());
    if (!text.empty() && !WriteFileAt(s.file(name), text)) s.writeFailed(name);
}

void listLeavers(Session& s) {
    s.logLine(ansi("Création du fichier des comptes à supprimer.....") + std::string(CRLF));
    s.ui->attente(100);
    listPupilsWhoLeft(s);
}

void finishUpdate(Session& s) {
    s.ui->refreshFileLists();
    closeJob(s, ansi("Tous les fichiers ont été créés."));
    s.job.UpdateMode = false;
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
    s.job.readingLines.clear();
    s.job.endedEarly = false;
    s.job.libraryMissing = false;
    s.job.serverAccounts.clear();
    return JobFiles(s);
}

void beginWorker(Session& s) {
    JobState& j = s.job;
    j.fieldTable = FieldTable(257);
    // The person table is sized afresh for indexes 0 to 4000; it still grows
    // beyond that with the data.
    constexpr size_t kTableSize = 4001;
    j.persons.reset(kTableSize);
    j.classList.clear();
    j.lastPersonIndex = -1;
    s.win.classes.clear();
    // The builders file into lists that the last job may have left full (a B2I
    // run writes no class file that would empty them).
    s.win.lstTri.clear();
    s.win.LstTri2.clear();
    deleteLastRunOutputs(s);
    s.ui->refreshFileLists();
    s.ui->attente(0);
}

void endWorker(Session& s, ClassSteps steps) {
    if (steps == ClassSteps::List) remplitClasses(s);
    s.win.save1Enabled = s.win.command3Enabled = s.win.classesEnabled = true;
    s.ui->refreshFileLists();
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
