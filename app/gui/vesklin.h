// The main window Vesklin: the options, the RNE numbers, the EXPORT file, the log
// box, the file lists and the menus. It shows the session's window model, runs
// every command on it, and answers the job code's Dialogs calls.
#pragma once

#include "clients/component_client.h"
#include "jobs/dry_run.h"
#include "jobs/slips_job.h"
#include "model/model.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace gui {

class ComptesWindow;

class Vesklin : public QMainWindow, public modvesk::Dialogs {
    Q_OBJECT

  public:
    // `dir` is the program's directory: every file the jobs read and write lies there.
    explicit Vesklin(std::filesystem::path dir, QWidget* parent = nullptr);
    ~Vesklin() override;

    modvesk::Session& session() { return session_; }

    // Start-up: creates the scripting component, lets pending events run `count`+1
    // times, centres and shows the window, then shows the help message.
    void Form_Load(long count = 200000);
    // Creates the scripting component and keeps it until the window goes.
    void createComponent();

    // Who answers message boxes, questions, the open-file dialog and opens files in
    // the text editor (the screen unless replaced, e.g. by a test's answers).
    void setPrompts(modvesk::Dialogs* prompts);
    // Called with each modal form once it is on the screen.
    void setFormDriver(std::function<void(QDialog*)> driver);
    // What the two quit items do (default: end the program at once).
    void setQuitHandler(std::function<void()> handler);
    // The address the update item opens.
    void setUpdateAddress(std::string address) { updateAddress_ = std::move(address); }

    // Runs one command of the window on the session: the controls are read into
    // the model first and shown again from it at the end.
    void runCommand(const std::function<void(modvesk::Session&)>& command);
    // Runs a command that writes (a menu command or a button); with "Simulation
    // (ne rien écrire)" ticked, on a private copy of the program's folder, its log
    // then ending saying so. A command of its own works on a new copy and shows
    // the accounts it would write; a `followUp` (the class files and slips of the
    // last command) works on the copy of the last simulated command, if any.
    void runJob(const std::function<void(modvesk::Session&)>& job, bool followUp = false);
    // "Voir les comptes": the accounts of the program's folder, or of the last
    // dry run when the last command was one. The window stays open beside this one.
    ComptesWindow* showAccounts();
    // How the account table opens a file at a line, and how a PDF is shown
    // (default: the desktop's text editor and document viewer).
    void setLineOpener(std::function<void(const std::filesystem::path&, long)> opener);
    void setDocumentOpener(std::function<void(const std::filesystem::path&)> opener);

    // Places a window in the middle of its screen.
    static void centreFenetre(QWidget* window);

    // Dialogs of the job code.
    void message(const std::string& text, const std::string& title, modvesk::Icon icon) override;
    bool question(const std::string& text, const std::string& title, modvesk::Icon icon) override;
    bool confirm(modvesk::Check check, const std::string& text, const std::string& title,
                 modvesk::Icon icon) override;
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& initialName) override;
    std::string chooseFileToWrite(const std::string& title, const std::string& filter,
                                  const std::string& initialName) override;
    void attente(long count) override;
    void progress(long done, long total) override;
    void refreshFileLists() override;
    void redraw() override;
    void busy(bool on) override;
    void showForm(modvesk::Form form) override;
    void openInEditor(const std::string& path) override;

  protected:
    // Form_QueryUnload: the library's registry is closed whenever the window closes.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildRneFrame();
    QWidget* buildFormatFrame();
    QWidget* buildServerFrame();
    QWidget* buildExportFrame();
    QWidget* buildLogArea();
    QWidget* buildFileFrames();
    void buildMenus();
    void buildStatusBar();
    void connectControls();

    void pullFromWidgets();
    void pushToWidgets();
    void setCommandsEnabled(bool on);
    void runForm(QDialog& form);
    void refreshList(QListWidget* list, const char* patterns);
    // The sources the list of source files shows: GEP tables, CSV files and the
    // SIECLE / STS-web exports.
    static constexpr const char* kSourcePatterns = "*.dbf;*.csv;*.xml";
    void File1_Click();
    void File2_Click();
    void csvaccess_m_Click();
    void msj_M_Click();
    QWidget* buildReviewButtons();
    // The folder the last command worked on: the dry run's copy, or the program's.
    std::filesystem::path reviewFolder() const;
    void printSlips(modvesk::SlipChoice choice);
    // Ends the log of a command that worked on a copy: nothing was written.
    void endSimulatedLog();
    // Opens a file with `open`, or says in a message box why it cannot be opened
    // (gone, unreadable, or no program of the desktop opens it: `noProgram`).
    void openOrSay(const std::filesystem::path& file, const std::function<bool()>& open,
                   const char* noProgram);

    modvesk::Session session_;
    std::unique_ptr<component::Component> component_;
    std::unique_ptr<modvesk::Dialogs> screen_;
    modvesk::Dialogs* prompts_ = nullptr;
    std::function<void(QDialog*)> formDriver_;
    std::function<void()> quit_;
    std::string updateAddress_;
    bool running_ = false;
    int busyDepth_ = 0;
    // While a job runs, the file lists are re-read at most four times a second:
    // when they were last re-read, and whether a re-reading was put off since.
    QElapsedTimer listsRead_;
    bool listsStale_ = false;

    QLineEdit* txtrne1_ = nullptr;
    QLineEdit* txtrne2_ = nullptr;
    QRadioButton* optionNomDabord_ = nullptr;
    QRadioButton* optionAbrev_ = nullptr;
    QRadioButton* optionEntier_ = nullptr;
    QCheckBox* kwartz17_ = nullptr;
    QCheckBox* randomPasswords_ = nullptr;
    QRadioButton* version3_ = nullptr;
    QGroupBox* framemsj_ = nullptr;
    QPushButton* rechercher_ = nullptr;
    QLabel* placeexport_ = nullptr;
    QListWidget* classes_ = nullptr;
    QPlainTextEdit* text1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* save1_ = nullptr;
    QListWidget* file1_ = nullptr;
    QListWidget* file2_ = nullptr;
    QLabel* directoryLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QAction* miseAjour_ = nullptr;
    QCheckBox* simulation_ = nullptr;
    QPushButton* voirComptes_ = nullptr;
    QPushButton* fichesClasse_ = nullptr;
    QPushButton* fichesToutes_ = nullptr;
    QPushButton* fichesProfs_ = nullptr;
    // The copy the last simulated command worked on, kept for its review window
    // until the next command; the one of the command running, while it runs.
    std::unique_ptr<modvesk::DryRunFolder> lastDryRun_;
    modvesk::DryRunFolder* dryRun_ = nullptr;
    std::function<void(const std::filesystem::path&, long)> openAtLine_;
    std::function<void(const std::filesystem::path&)> openDocument_;
    std::vector<QAction*> commandActions_;
    std::string shownLog_;
    std::vector<std::string> shownClasses_;
};

} // namespace gui
