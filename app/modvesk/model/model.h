// The state a job works on: the model of the main window Vesklin (its options,
// fields, lists and log box), the job-wide values of the main module, and the
// interface to whoever sits at the screen. The Qt window, the batch program and
// the tests each give a Session its dialogs and read the model back.
#pragma once

#include "model/bilan.h"
#include "model/packed_texts.h"
#include "model/server_accounts.h"
#include "model/sorted_list.h"
#include "text/files.h"
#include "text/source_text.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace component {
class Component;
}

namespace modvesk {

// The title of the jobs' message boxes.
inline constexpr const char* kJobTitle = "GEP / KWARTZ";

// Icons of a message box.
enum class Icon { None, Exclamation, Warning, Information, Question };

// The checks of the window's settings against the data that a job makes before
// it deletes anything: their questions are no ordinary Yes/No (Dialogs::confirm).
enum class Check { LoginFormat, Rne };

// The modal forms a job opens.
enum class Form { SaisieGroupes, ProfsResp, FrCmptesProfs, FrmAccess };

// Everything that needs a person at the screen. Texts are Windows-1252.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A message box with only an OK button (an empty title: the application's title).
    virtual void message(const std::string& text, const std::string& title = "",
                         Icon icon = Icon::None) = 0;
    // A Yes/No question; true for Yes.
    virtual bool question(const std::string& text, const std::string& title = "",
                          Icon icon = Icon::None) = 0;
    // A Yes/No question raised when the window's settings do not fit the data
    // (`check` tells which): a wrong answer would harm last year's accounts, so No
    // is its default button, and a batch run answers it from an option of its own,
    // never from --yes. True for Yes. By default, question.
    virtual bool confirm(Check check, const std::string& text, const std::string& title = "",
                         Icon icon = Icon::None) {
        (void)check;
        return question(text, title, icon);
    }
    // The open-file dialog. `filter` has the form "Description|pattern" (patterns
    // separated by ";"). Returns the chosen full path, "" when cancelled.
    virtual std::string openFile(const std::string& title, const std::string& filter,
                                 const std::string& initialName = "") = 0;
    // The same dialog for a file the job is about to write: the name typed may be
    // that of a file that does not exist yet. By default, openFile.
    virtual std::string chooseFileToWrite(const std::string& title, const std::string& filter,
                                          const std::string& initialName = "") {
        return openFile(title, filter, initialName);
    }
    // Lets the window process its pending events count + 1 times; nothing when count < 0.
    virtual void attente(long count) = 0;
    // How far a long job is (done of total; total 0 when unknown).
    virtual void progress(long done, long total) { (void)done, (void)total; }
    // The window re-reads its file lists File1 (*.txt) and File2 (*.dbf;*.csv).
    virtual void refreshFileLists() {}
    // The log box or a list changed: the window redraws it.
    virtual void redraw() {}
    // Hourglass pointer on (true) or back to normal (false).
    virtual void busy(bool on) { (void)on; }
    // Shows a modal form and returns when it has closed. The form's own handlers
    // call the job code of the form (trainees.h, teacher_tools.h, access_export.h).
    virtual void showForm(Form form) { (void)form; }
    // Opens a generated file in the system's text editor.
    virtual void openInEditor(const std::string& path) { (void)path; }
};

// Login formats: the option group OptionNomDabord / Optionabrev / OptionEntier.
enum class LoginFormat { NomDabord, Abrev, Entier };

// The controls of the main window that the jobs read and set.
struct WindowModel {
    std::string txtrne1, txtrne2; // RNE of establishments 1 and 2
    LoginFormat loginFormat = LoginFormat::NomDabord;
    bool kwartz17 = true;             // "Nouveaux comptes pour Kwartz 1.7*"
    bool randomPasswords = false;     // "Mots de passe aléatoires"
    bool version3 = true;             // "KWARTZ  1.3x, 1.4x"
    bool framemsjEnabled = false;     // EXPORT frame
    bool rechercherEnabled = false;   // "Rechercher"
    bool miseAjourEnabled = true;     // menu item miseAjour_M
    std::string placeexport;          // path of the EXPORT file
    std::string commonDialogFileName; // CommonDialog1.FileName
    SortedList lstTri;                // new accounts (hidden)
    SortedList LstTri2;               // accounts to modify (hidden)
    SortedList classes;               // classes of the last GEP/CSV job
    bool classesEnabled = false;
    bool command3Enabled = false; // "Sauvegarder toutes les classes"
    bool save1Enabled = false;    // "Sauvegarder une classe"
    std::string Text1;            // the log box
    // Check boxes of the Access export window that the builders read.
    bool chkinvdate = false; // "Inverser Mois/Jour dans les champs"
    bool Checkwartz = false;
};

// One person built by a builder: what the class files list of him. Read from the
// person table, the texts are views into it.
struct Person {
    std::string_view surname; // fixed 50 characters in the record; kept trimmed here
    std::string_view password;
    std::string_view firstName; // the cleaned full first name
    std::string_view text; // pupils: class as cleaned, before the "c" prefix; teachers: "profs"
};

// The persons of a job by index, their texts packed (PackedTexts), so that the
// table costs about what the texts do. A person stored again at his index (the
// pupils fill the table from its start after the teachers) gets new texts.
class PersonTable {
  public:
    size_t size() const { return texts_.size(); }
    // Drops every person, then holds n empty ones.
    void reset(size_t n) { texts_.reset(n); }
    // Stores a copy of the person's texts at index i, the table grown to hold it.
    void set(size_t i, const Person& p) {
        texts_.set(i, {p.surname, p.password, p.firstName, p.text});
    }
    // The person at index i, empty past the end of the table.
    Person operator[](size_t i) const { return texts_.as<Person>(i); }
    // Starts fetching the record of the person at i, then (a few persons later,
    // once it has come) his texts, for a read to come.
    void prefetchRecord(size_t i) const { texts_.prefetchRecord(i); }
    void prefetchTexts(size_t i) const { texts_.prefetchTexts(i); }

  private:
    PackedTexts<4> texts_; // surname, password, first name, text
};

// The dBase field table: 257 rows, for each of the five table families a pair
// (width, end). Row 0 holds zeros.
enum Family { Pupils = 0, Teachers = 1, Assignments = 2, Groups = 3, GroupLinks = 4 };
struct FieldCell {
    long width = 0;
    long end = 0;
};
using FieldTable = std::vector<std::array<FieldCell, 5>>;

// The classes the pupil builders met, as the library takes their list: the
// newest first, each followed by one blank ("c6a c3a "), each class once.
// Adding one costs the same however long the list is.
class ClassList {
  public:
    ClassList() { assign({}); }
    // The list given whole as its text: each word a class, the first the newest.
    void assign(std::string_view text);
    void clear() { assign({}); }
    // Lists the group unless it is listed already. `mark` (KnownClass::notedIn)
    // names the list that holds the class: a class marked with this list's name
    // is not looked up again, and one listed now is marked.
    void note(const std::string& group, uint64_t* mark = nullptr);
    const std::string& text() const;

  private:
    std::vector<std::string> oldestFirst_;
    std::unordered_set<std::string, TextHash, std::equal_to<>> listed_;
    uint64_t name_ = 0;        // new each time the list is made afresh
    mutable std::string text_; // the text as it was with `inText_` classes
    mutable size_t inText_ = 0;
};

// Job-wide values of the main module; they live from one job's start to the next.
struct JobState {
    bool UpdateMode = false;
    bool b2i = false;    // the B2I flag: true while gep_b2i_m runs
    ClassList classList; // classes met by the pupil builders
    // Grow with the data (no fixed cap), without moving what they hold.
    PersonTable persons;
    long lastPersonIndex = -1; // stored by the writer: count - 1
    FieldTable fieldTable = FieldTable(257);
    std::string kwartzSuffix; // Kwartz 1.7 suffix of the person being built
    // Last year's accounts of the loaded EXPORT file, kept in identity mode.
    ServerAccounts serverAccounts;
    // Trainees (form saisiegroupes).
    std::string groupeStage, respStage;
    // Errors met while writing files: each failed file once, in order.
    std::vector<std::string> writeErrors;
    // The job stopped before its end (a No answer, a cancelled dialog, a missing
    // required source): the batch program exits with 1.
    bool endedEarly = false;
    // The job could not run because vandrel1.dlp could not be loaded.
    bool libraryMissing = false;
    // What the job wrote and refused, for the Bilan at its end.
    Bilan bilan;
    // The files written a line at a time (doublons.txt, troncatures.txt), open
    // while a JobFiles lives (jobFilesHeld > 0).
    LineFiles lineFiles;
    int jobFilesHeld = 0;
    // The lines that said in the log box during this job how a source was read
    // ("ELEVES.CSV lu comme texte UTF-8."), each once.
    std::vector<std::string> readingLines;
    // A source file or table could not be read or was refused, or a file could
    // not be written: the job ends with its error line.
    bool failed() const { return !writeErrors.empty() || !bilan.refusedTables.empty(); }

    // Stores the person at index i, growing the table as needed (for the builders).
    void setPerson(long i, const Person& person);
    // The person at index i as read: an empty person past the end of the table,
    // which does not grow.
    Person personAt(long i) const;
};

// A run of the program: the window model, the job state, the dialogs, the
// program's directory and the scripting component (nullptr when it could not be
// created).
struct Session {
    std::filesystem::path dir; // the program's directory: every file lies here
    WindowModel win;
    JobState job;
    Dialogs* ui = nullptr;
    component::Component* component = nullptr;
    // Creates the component the first time a job needs it, when it is not set:
    // the batch program's jobs on usual sources never load it.
    std::function<component::Component*()> makeComponent;
    // The component, created now if need be; nullptr when there is none.
    component::Component* scripting() {
        if (!component && makeComponent) component = std::exchange(makeComponent, nullptr)();
        return component;
    }
    std::string cheminBase; // the last Access database chosen
    // Title of the open-file dialog CommonDialog1 of the main window.
    static constexpr const char* dialogTitle = "Recherche du fichier export";

    // dir / name, matched without regard to case against the existing files.
    std::filesystem::path file(const std::string& name) const;
    // Appends to the log box.
    void log(const std::string& text);
    // Appends a line to the log box: CR LF, then the text (Windows-1252; a file
    // named in it as fileText shows it).
    void logLine(const std::string& text);
    // Records that a file could not be written and says so in the log box; `name`
    // is the system's name of the file (the log shows it as shownName does).
    void writeFailed(const std::string& name);
    // The job stops before its end (a No answer, a cancelled dialog, a missing
    // required source): the batch program exits with 1.
    void endEarly() { job.endedEarly = true; }
    // Says once per job in the log box how the source `name` was read when it was
    // not plain Windows-1252: as UTF-8 (UTF-16 included), or as Windows-1252
    // behind a UTF-8 byte order mark.
    void sourceRead(const std::string& name, const LineReader& in);
    // Appends a line that says how a source was read, unless the job said it.
    void readingLine(const std::string& line);
    // Appends text + CR LF to the file `name`: through the job's open file while a
    // JobFiles lives, otherwise opening and closing the file. A failure is recorded
    // (writeFailed) and gives false.
    bool appendLine(const std::string& name, const std::string& text);
    // Writes out and closes the job's line files; a file not written whole is
    // recorded as a write failure. Done before the job's closing line is chosen.
    void closeLineFiles();
};

// Holds a job's line files open while it lives and closes them (closeLineFiles)
// when the job ends, by whatever path; nested holders close at the outermost.
class [[nodiscard]] JobFiles {
  public:
    explicit JobFiles(Session& s) : s_(s) { ++s_.job.jobFilesHeld; }
    ~JobFiles();
    JobFiles(const JobFiles&) = delete;
    JobFiles& operator=(const JobFiles&) = delete;

  private:
    Session& s_;
};

} // namespace modvesk
