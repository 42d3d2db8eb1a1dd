// Before and after the server, in the window: the check box "Simulation (ne
// rien écrire)" that runs the menu commands on a private copy of the program's
// folder, the window "Comptes", and the login slips of the class list.
#include "vesklin.h"

#include "comptes_window.h"
#include "qt_text.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>

namespace gui {

namespace fs = std::filesystem;

QWidget* Vesklin::buildReviewButtons() {
    auto* area = new QWidget;
    auto* row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
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
    row->addWidget(simulation_);
    row->addWidget(voirComptes_);
    row->addStretch(1);
    row->addWidget(fichesClasse_);
    row->addWidget(fichesToutes_);
    connect(voirComptes_, &QPushButton::clicked, this, [this] { showAccounts(); });
    connect(fichesClasse_, &QPushButton::clicked, this,
            [this] { printSlips(modvesk::SlipChoice::OneClass); });
    connect(fichesToutes_, &QPushButton::clicked, this,
            [this] { printSlips(modvesk::SlipChoice::AllClasses); });
    openAtLine_ = [](const fs::path& file, long line) { openFileAtLine(file, line); };
    openDocument_ = [](const fs::path& file) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(pathToQt(file.string())));
    };
    return area;
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

void Vesklin::runJob(const std::function<void(modvesk::Session&)>& job) {
    if (running_) return;
    lastDryRun_.reset();
    if (!simulation_->isChecked()) {
        runCommand(job);
        return;
    }
    std::unique_ptr<modvesk::DryRunFolder> run;
    try {
        run = std::make_unique<modvesk::DryRunFolder>(session_.dir);
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
    session_.win.Text1 = run->originalPaths(session_.win.Text1);
    session_.win.placeexport = run->originalPaths(session_.win.placeexport);
    // A file chosen during the job could not be copied: the job stopped on it
    // with a message, and what it left is no simulation of a real run.
    if (!run->incomplete()) lastDryRun_ = std::move(run);
    pushToWidgets();
    refreshFileLists();
    if (lastDryRun_) showAccounts();
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
    const fs::path folder = reviewFolder();
    runCommand([&](modvesk::Session& s) {
        const fs::path real = s.dir;
        s.dir = folder;
        written = modvesk::writeSlips(s, choice, selected);
        s.dir = real;
    });
    // One class: its file; every class: the file of all of them, written last.
    if (!written.empty() && openDocument_) openDocument_(folder / written.back());
}

} // namespace gui
