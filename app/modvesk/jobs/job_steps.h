// Steps that every account job shares: the program folder, the offer of a
// missing source, the library check, the last run's outputs, the closing lines.
#pragma once

#include "model/model.h"

#include <filesystem>
#include <string>
#include <vector>

namespace modvesk {

// Makes the program's folder the current one while it lives, and gives the
// previous one back: the library writes its files into the current folder.
class ProgramFolder {
  public:
    explicit ProgramFolder(const Session& s);
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;
    // Enters the program's folder again (a dialog may have left another one current).
    void enter() const;

  private:
    const Session& s_;
    std::filesystem::path previous_;
};

// What became of the offer to look for a missing source file.
enum class SourceOffer { Present, Copied, Declined, Cancelled };

// When `lookedUp` is not in the program's folder: asks `question` (Yes/No, the
// jobs' title, exclamation icon); on Yes shows the open-file dialog with
// `filter` and copies the chosen file into the folder under `copyName`.
SourceOffer offerMissingSource(Session& s, const std::string& lookedUp, const std::string& copyName,
                               const std::string& question, const std::string& filter);

// The notice every update shows first: the login format must be last year's.
void warnLoginFormat(Session& s);

// The first steps of an update against the server's EXPORT file: asks for it
// (a cancelled dialog ends the job early), checks that it can be read and that
// its logins do not follow another login format than the chosen one, opens
// the registry, says so in the log box and registers every account of the file.
// With `byIdentifier`, pupils are then recognised by the identifier their
// account carries when the file's pupil accounts carry one (identity mode, said
// in the log box); otherwise by their name key alone. False when the job must
// end there.
bool openExportForUpdate(Session& s, bool byIdentifier = true);
// After the EXPORT file is loaded: says in the log box when the update recognises
// pupils by their identifier.
void noteIdentityMode(Session& s);

// Deletes the output files of the last run, each only when present, in their order.
void deleteLastRunOutputs(Session& s);
// False (after showing the message) when vandrel1.dlp cannot be loaded: the job
// must then stop before it deletes or writes anything.
bool requireLibrary(Session& s);
// After the library was asked to write the file `name` of the program's directory
// (it reports no failure itself): a file left empty or cut short, an entry of that
// name that is not a file, or a directory where no file can be created counts as
// a file that could not be written.
void checkLibraryFile(Session& s, const std::string& name);
// comptesAsupprimer.txt, the pupils who left: the accounts of the class list's
// groups that no pupil of the job took when the server's accounts carry
// identifiers (identity mode), otherwise the library's list (elevessortis) of
// the accounts whose name key no person of the job registered.
void listPupilsWhoLeft(Session& s);
// The closing line of a job: the success line, or the error line when a file
// could not be written during the job.
std::string closingLine(const Session& s, const std::string& successLine);
// The end of the log box of a job that writes account files: the closing line,
// the time when `withTime`, then the Bilan.
void closeJob(Session& s, const std::string& successLine, bool withTime = true);
// The last steps of a job that creates the accounts: the file lists re-read,
// the closing line "Tous les fichiers textes ont été créés." (or the error line)
// with the time and the Bilan, the library's lists emptied, lstTri emptied.
void finishCreation(Session& s);
// Empties the record of write failures and the Bilan at a job's start. The job
// keeps what it returns to the end, so that its reports are written through one
// open file each and closed on every way out.
JobFiles startJob(Session& s);
// The current time as the log box shows it (HH:MM:SS).
std::string currentTime();

} // namespace modvesk
