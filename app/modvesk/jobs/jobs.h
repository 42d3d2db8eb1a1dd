// The commands of the main window Vesklin, as job code that the window, the batch
// program and the tests all run. Each takes the Session it works on.
#pragma once

#include "model.h"

#include <filesystem>
#include <string>

namespace modvesk {

// ---- Shared steps of the jobs (jobs_common.cpp) ---------------------------
// The title of the jobs' message boxes.
inline constexpr const char* kJobTitle = "GEP / KWARTZ";

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
SourceOffer offerMissingSource(Session& s, const std::string& lookedUp,
                               const std::string& copyName, const std::string& question,
                               const std::string& filter);

// Deletes the output files of the last run, each only when present, in their order.
void deleteLastRunOutputs(Session& s);
// The names deleted by deleteLastRunOutputs, in order.
const std::vector<std::string>& lastRunOutputs();
// False (after showing the message) when vandrel1.dlp cannot be loaded: the job
// must then stop before it deletes or writes anything.
bool requireLibrary(Session& s);
// After the library was asked to write the file `name` of the program's directory
// (it reports no failure itself): a file left empty or cut short, an entry of that
// name that is not a file, or a directory where no file can be created counts as
// a file that could not be written.
void checkLibraryFile(Session& s, const std::string& name);
// The closing line of a job: the success line, or the error line when a file
// could not be written during the job.
std::string closingLine(const Session& s, const std::string& successLine);
// The end of the log box of a job that writes account files: the closing line,
// the time when `withTime`, then the Bilan.
void closeJob(Session& s, const std::string& successLine, bool withTime = true);
// Empties the record of write failures and the Bilan at a job's start.
void startJob(Session& s);
// The current time as the log box shows it (HH:MM:SS).
std::string currentTime();

// ---- Window commands that do no account work (shell.cpp) -----------------
// The three-paragraph help message shown at start-up.
std::string startupHelpText();
void Actualiser_M_Click(Session& s);      // "&Nettoyage du répertoire"
void rechercher_Click(Session& s);        // "Rechercher": asks for the EXPORT file
void choisitExport(Session& s);           // the same, for the teacher tools
void version3_Click(Session& s);

// ---- GEP jobs (gep_jobs.cpp, gep_worker.cpp, class_files.cpp) ------------
void Genfich_M_Click(Session& s);         // create the accounts from GEP
void gep_b2i_m_Click(Session& s);         // the same, pupils only (B2I)
void miseAjour_M_Click(Session& s);       // update from GEP against EXPORT
// The button "Création des comptes des élèves": the worker between
// creationCarnet and fermercarnet, asking nothing first.
void Command1_Button(Session& s);
// The worker itself: reads the GEP tables and builds every account.
void Command1_Click(Session& s);
void remplitClasses(Session& s);
void Command3_Click(Session& s);          // "Sauvegarder toutes les classes"
void save1_Click(Session& s, const std::string& selectedClass); // "Sauvegarder une classe"
void sauveClasse(Session& s, std::string& className);

// ---- CSV, SCONET, trainees, renaming (csv_jobs.cpp, trainees.cpp, rename_logins.cpp)
void creercompteCSV_m_Click(Session& s);
void msjcmptcsv_m_Click(Session& s);
void convertirBaseCSV(Session& s);
void stage_m_Click(Session& s);
void creercomptesCSVstage(Session& s);
// "OK" of the form saisiegroupes with its two text boxes; true when the form closes.
bool saisiegroupes_Command1_Click(Session& s, const std::string& text2, const std::string& text1);
void Modifconnex_M_Click(Session& s);
void InvertLogins(Session& s, const std::string& exportPath);

} // namespace modvesk
