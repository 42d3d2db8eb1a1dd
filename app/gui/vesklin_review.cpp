// Before and after the server, in the window: the check box "Simulation (ne
// rien écrire)" that runs every command that writes on a private copy of the
// program's folder, the window "Comptes", and the login slips of the class list
// and of the new teachers.
#include "vesklin.h"

#include "comptes_window.h"
#include "qt_text.h"

#include "text/files.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace gui {

namespace fs = std::filesystem;

QWidget* Vesklin::buildReviewButtons() {
    auto* area = new QWidget;
    auto* rows = new QVBoxLayout(area);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    // The slip buttons on a line of their own: the three fit without widening the window.
    auto* slips = new QHBoxLayout;
    rows->addLayout(row);
    rows->addLayout(slips);
    const QString simulation = QStringLiteral("Simulation (ne rien écrire)");
    simulation_ = new QCheckBox(simulation);
    simulation_->setObjectName(QStringLiteral("simulation"));
    simulation_->setAccessibleName(simulation);
    auto makeButton = [](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(caption);
        return b;
    };
    voirComptes_ = makeButton("voirComptes", QStringLiteral("Voir les comptes"));
    fichesClasse_ = makeButton("fichesClasse", QStringLiteral("Fiches de connexion (classe)"));
    fichesToutes_ = makeButton("fichesToutes", QStringLiteral("(toutes les classes)"));
    fichesToutes_->setToolTip(QStringLiteral("Fiches de connexion de toutes les classes"));
    fichesProfs_ = makeButton("fichesProfs", QStringLiteral("Fiches de connexion (professeurs)"));
    fichesProfs_->setToolTip(QStringLiteral("Fiches de connexion des nouveaux professeurs"));
    row->addWidget(simulation_);
    row->addWidget(voirComptes_);
    row->addStretch(1);
    slips->addStretch(1);
    slips->addWidget(fichesClasse_);
    slips->addWidget(fichesToutes_);
    slips->addWidget(fichesProfs_);
    connect(voirComptes_, &QPushButton::clicked, this, [this] { showAccounts(); });
    connect(fichesClasse_, &QPushButton::clicked, this,
            [this] { printSlips(modvesk::SlipChoice::OneClass); });
    connect(fichesToutes_, &QPushButton::clicked, this,
            [this] { printSlips(modvesk::SlipChoice::AllClasses); });
    connect(fichesProfs_, &QPushButton::clicked, this,
            [this] { printSlips(modvesk::SlipChoice::Teachers); });
    openAtLine_ = [this](const fs::path& file, long line) {
        openOrSay(
            file, [&] { return openFileAtLine(file, line); },
            "aucun éditeur de texte n'a été trouvé");
    };
    openDocument_ = [this](const fs::path& file) {
        openOrSay(
            file,
            [&] { return QDesktopServices::openUrl(QUrl::fromLocalFile(pathToQt(file.string()))); },
            "aucune visionneuse de documents n'a été trouvée");
    };
    return area;
}

void Vesklin::openOrSay(const fs::path& file, const std::function<bool()>& open,
                        const char* noProgram) {
    const QFileInfo info(pathToQt(file.string()));
    const char* why = !info.exists()       ? "il n'existe plus"
                      : !info.isReadable() ? "il ne peut pas être lu"
                                           : nullptr;
    if (!why && open()) return;
    prompts_->message(modvesk::fileText("Impossible d'ouvrir le fichier ", file,
                                        std::string(" : ") + (why ? why : noProgram) + "."),
                      "", modvesk::Icon::Exclamation);
}

void Vesklin::setLineOpener(std::function<void(const fs::path&, long)> opener) {
    openAtLine_ = std::move(opener);
}

void Vesklin::setDocumentOpener(std::function<void(const fs::path&)> opener) {
    openDocument_ = std::move(opener);
}

fs::path Vesklin::reviewFolder() const {
    return lastDryRun_ ? lastDryRun_->folder() : session_.dir;
}

void Vesklin::runJob(const std::function<void(modvesk::Session&)>& job, bool followUp) {
    if (running_) return;
    std::unique_ptr<modvesk::DryRunFolder> run;
    if (followUp) run = std::move(lastDryRun_);
    lastDryRun_.reset();
    if (!simulation_->isChecked()) {
        runCommand(job);
        return;
    }
    try {
        if (!run) run = std::make_unique<modvesk::DryRunFolder>(session_.dir);
    } catch (const std::exception& e) {
        prompts_->message(modvesk::ansi(e.what()), "", modvesk::Icon::Exclamation);
        return;
    }
    const fs::path real = session_.dir;
    session_.dir = run->folder();
    dryRun_ = run.get();
    runCommand(job);
    dryRun_ = nullptr;
    session_.dir = real;
    session_.win.Text1 = run->originalShownPaths(session_.win.Text1);
    session_.win.placeexport = run->originalPaths(session_.win.placeexport);
    endSimulatedLog();
    // A file chosen during the job could not be copied: the job stopped on it
    // with a message, and what it left is no simulation of a real run.
    if (!run->incomplete()) lastDryRun_ = std::move(run);
    pushToWidgets();
    refreshFileLists();
    if (lastDryRun_ && !followUp) showAccounts();
}

void Vesklin::endSimulatedLog() {
    session_.win.Text1 +=
        std::string(modvesk::CRLF) + modvesk::ansi(modvesk::simulationLine(session_.dir.string()));
}

ComptesWindow* Vesklin::showAccounts() {
    auto* window = new ComptesWindow(reviewFolder(), lastDryRun_ != nullptr, openAtLine_, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void Vesklin::printSlips(modvesk::SlipChoice choice) {
    const QListWidgetItem* item = classes_->currentItem();
    const std::string selected = item ? fromQt(item->text()) : std::string();
    if (choice == modvesk::SlipChoice::OneClass && selected.empty()) {
        prompts_->message(modvesk::ansi("Choisissez d'abord une classe dans la liste."), "",
                          modvesk::Icon::Information);
        return;
    }
    std::vector<std::string> written;
    fs::path folder;
    runJob(
        [&](modvesk::Session& s) {
            folder = s.dir;
            written = modvesk::writeSlips(s, choice, selected);
        },
        true);
    // One class: its file; every class: the file of all of them, written last.
    if (!written.empty() && openDocument_) openDocument_(folder / written.back());
}

} // namespace gui
