// The menus and buttons of the main window and how a command runs: the controls
// go into the window model, the job code runs on it, the model comes back to the
// controls.
#include "vesklin.h"

#include "clients/vandrel_client.h"
#include "jobs/access_export.h"
#include "jobs/jobs.h"
#include "jobs/teacher_tools.h"
#include "qt_text.h"
#include "update_page.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <exception>

namespace gui {

using modvesk::Session;

namespace {

struct MenuItem {
    const char* name;
    const char* caption;
    void (*job)(Session&);
};

// The items of the menu "&Fichiers" that run a job, in their order; the others
// (the Access export, the clean-up, "&Quitter") are added between them below.
const MenuItem kGepItems[] = {
    {"gep_b2i_m", "&Conversion GEP vers B2I", modvesk::gep_b2i_m_Click},
    {"Genfich_M", "C&réer les comptes (base GEP/serveur Kwartz)", modvesk::Genfich_M_Click},
    {"miseAjour_M", "&Mise à jour des comptes (base GEP/serveur Kwartz)",
     modvesk::miseAjour_M_Click},
};
// The XML exports of SIECLE (pupils) and STS-web (staff), beside the GEP tables.
const MenuItem kSiecleItems[] = {
    {"creercompteSIECLE_m", "Créer les comptes (fichiers SIECLE/STS)",
     modvesk::creercompteSIECLE_m_Click},
    {"msjcmptSIECLE_m", "Mise à jour des comptes (fichiers SIECLE/STS)",
     modvesk::msjcmptSIECLE_m_Click},
};
const MenuItem kCsvItems[] = {
    {"creercompteCSV_m", "Créer les comptes à partir d'un fichier .CSV  (y compris SCONET)",
     modvesk::creercompteCSV_m_Click},
    {"msjcmptcsv_m", "M&ise à jour des comptes à partir d'un fichier .CSV (y compris SCONET)",
     modvesk::msjcmptcsv_m_Click},
    {"stage_m", "Création des comptes à partir de Nom.Prénom ( situation stage)",
     modvesk::stage_m_Click},
    {"Modifconnex_M", "Modifier les noms de connexion", modvesk::Modifconnex_M_Click},
    {"defrespgroupes", "Définir les responsables de groupes", modvesk::defrespgroupes_Click},
    {"supcpteProfs_m", "Supprimer des comptes dans le groupe PROFS", modvesk::supcpteProfs_m_Click},
    {"Actualiser_M", "&Nettoyage du répertoire", modvesk::Actualiser_M_Click},
};

QAction* namedAction(QObject* parent, const char* name, const char* caption) {
    auto* action = new QAction(QString::fromUtf8(caption), parent);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

void Vesklin::buildMenus() {
    QMenu* lancer = menuBar()->addMenu(QStringLiteral("&Fichiers"));
    lancer->setObjectName(QStringLiteral("lancer_M"));
    auto addJob = [&](const MenuItem& item) {
        QAction* action = namedAction(this, item.name, item.caption);
        lancer->addAction(action);
        commandActions_.push_back(action);
        connect(action, &QAction::triggered, this, [this, job = item.job] { runJob(job); });
        return action;
    };
    for (const auto& item : kGepItems)
        addJob(item);
    miseAjour_ = findChild<QAction*>(QStringLiteral("miseAjour_M"));
    for (const auto& item : kSiecleItems)
        addJob(item);
    QAction* access =
        namedAction(this, "csvaccess_m", "Créer un fichier CSV à partir d'une base Access");
    lancer->addAction(access);
    commandActions_.push_back(access);
    connect(access, &QAction::triggered, this, [this] { csvaccess_m_Click(); });
    for (const auto& item : kCsvItems)
        addJob(item);
    QAction* comptes = namedAction(this, "voirComptes_m", "&Voir les comptes");
    lancer->addAction(comptes);
    commandActions_.push_back(comptes);
    connect(comptes, &QAction::triggered, this, [this] { showAccounts(); });
    QAction* quitter2 = namedAction(this, "Quitter2_m", "&Quitter");
    lancer->addAction(quitter2);
    connect(quitter2, &QAction::triggered, this, [this] { quit_(); });

    QAction* msj = namedAction(this, "msj_M", "&Mise à jour du logiciel");
    menuBar()->addAction(msj);
    commandActions_.push_back(msj);
    connect(msj, &QAction::triggered, this, [this] { msj_M_Click(); });
    QAction* quitter = namedAction(this, "Quitter_M", "&Quitter");
    menuBar()->addAction(quitter);
    connect(quitter, &QAction::triggered, this, [this] { quit_(); });
}

void Vesklin::connectControls() {
    optionNomDabord_->setChecked(true);
    kwartz17_->setChecked(true);
    connect(rechercher_, &QPushButton::clicked, this,
            [this] { runCommand(modvesk::rechercher_Click); });
    connect(version3_, &QRadioButton::clicked, this,
            [this] { runCommand(modvesk::version3_Click); });
    // The buttons write like the menu commands: a simulation covers them too.
    connect(command1_, &QPushButton::clicked, this, [this] { runJob(modvesk::Command1_Button); });
    connect(command3_, &QPushButton::clicked, this,
            [this] { runJob(modvesk::Command3_Click, true); });
    connect(save1_, &QPushButton::clicked, this, [this] {
        const QListWidgetItem* item = classes_->currentItem();
        const std::string selected = item ? fromQt(item->text()) : std::string();
        runJob([selected](Session& s) { modvesk::save1_Click(s, selected); }, true);
    });
    connect(file1_, &QListWidget::itemClicked, this, [this] { File1_Click(); });
    connect(file2_, &QListWidget::itemClicked, this, [this] { File2_Click(); });
    file2_->installEventFilter(this);
}

void Vesklin::runCommand(const std::function<void(Session&)>& command) {
    if (running_) return;
    running_ = true;
    pullFromWidgets();
    setCommandsEnabled(false);
    progressBar_->setRange(0, 0);
    progressBar_->show();
    // A job that fails stops there with a message; the window goes on.
    const std::string stopped = modvesk::ansi("Le traitement s'est arrêté sur une erreur : ");
    try {
        command(session_);
    } catch (const component::ComponentError& e) { // its text is already Windows-1252
        prompts_->message(stopped + e.what(), "", modvesk::Icon::Exclamation);
    } catch (const std::exception& e) {
        prompts_->message(stopped + modvesk::ansi(e.what()), "", modvesk::Icon::Exclamation);
    }
    while (busyDepth_ > 0)
        busy(false);
    progressBar_->hide();
    running_ = false;
    if (listsStale_) refreshFileLists();
    setCommandsEnabled(true);
    pushToWidgets();
}

void Vesklin::setCommandsEnabled(bool on) {
    menuBar()->setEnabled(on);
    command1_->setEnabled(on);
    for (auto* b : {voirComptes_, fichesClasse_, fichesToutes_, fichesProfs_})
        b->setEnabled(on);
    if (!on) {
        command3_->setEnabled(false);
        save1_->setEnabled(false);
        rechercher_->setEnabled(false);
    }
}

void Vesklin::pullFromWidgets() {
    auto& w = session_.win;
    w.txtrne1 = fromQt(txtrne1_->text());
    w.txtrne2 = fromQt(txtrne2_->text());
    if (optionAbrev_->isChecked())
        w.loginFormat = modvesk::LoginFormat::Abrev;
    else if (optionEntier_->isChecked())
        w.loginFormat = modvesk::LoginFormat::Entier;
    else
        w.loginFormat = modvesk::LoginFormat::NomDabord;
    w.kwartz17 = kwartz17_->isChecked();
    w.randomPasswords = randomPasswords_->isChecked();
    w.version3 = version3_->isChecked();
}

void Vesklin::pushToWidgets() {
    const auto& w = session_.win;
    if (txtrne1_->text() != toQt(w.txtrne1)) txtrne1_->setText(toQt(w.txtrne1));
    if (txtrne2_->text() != toQt(w.txtrne2)) txtrne2_->setText(toQt(w.txtrne2));
    optionNomDabord_->setChecked(w.loginFormat == modvesk::LoginFormat::NomDabord);
    optionAbrev_->setChecked(w.loginFormat == modvesk::LoginFormat::Abrev);
    optionEntier_->setChecked(w.loginFormat == modvesk::LoginFormat::Entier);
    kwartz17_->setChecked(w.kwartz17);
    randomPasswords_->setChecked(w.randomPasswords);
    version3_->setChecked(w.version3);
    framemsj_->setEnabled(w.framemsjEnabled);
    rechercher_->setEnabled(w.rechercherEnabled && !running_);
    if (miseAjour_) miseAjour_->setEnabled(w.miseAjourEnabled);
    placeexport_->setText(pathToQt(w.placeexport));
    const std::vector<std::string> classes = w.classes.items();
    if (classes != shownClasses_) {
        classes_->clear();
        for (const auto& c : classes)
            classes_->addItem(toQt(c));
        shownClasses_ = classes;
    }
    classes_->setEnabled(w.classesEnabled);
    command3_->setEnabled(w.command3Enabled && !running_);
    save1_->setEnabled(w.save1Enabled && !running_);
    if (w.Text1 != shownLog_) {
        text1_->setPlainText(logToQt(w.Text1));
        text1_->verticalScrollBar()->setValue(text1_->verticalScrollBar()->maximum());
        shownLog_ = w.Text1;
    }
}

void Vesklin::closeEvent(QCloseEvent* event) {
    vandrel::fermercarnet();
    event->accept();
}

bool Vesklin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == file2_ && event->type() == QEvent::FocusIn) File2_Click();
    return QMainWindow::eventFilter(watched, event);
}

void Vesklin::File1_Click() {
    const QListWidgetItem* item = file1_->currentItem();
    if (!item) return;
    prompts_->openInEditor((session_.dir / pathFromQt(item->text())).string());
}

void Vesklin::File2_Click() {
    refreshList(file2_, kSourcePatterns);
}

// "Créer un fichier CSV à partir d'une base Access": empties LstTri2, then the
// Access export window.
void Vesklin::csvaccess_m_Click() {
    runJob(modvesk::csvaccess_m_Click);
}

void Vesklin::msj_M_Click() {
    gui::msj_M_Click(*prompts_, updateAddress_);
}

void Vesklin::createComponent() {
    if (component_) return;
    component_ = component::Component::create("Python.pythrolvane");
    session_.component = component_.get();
}

void Vesklin::Form_Load(long count) {
    createComponent();
    attente(count);
    // The size the layout gives the window, so that it is centred as it will show.
    ensurePolished();
    resize(size().expandedTo(minimumSizeHint()));
    centreFenetre(this);
    show();
    repaint();
    prompts_->message(modvesk::startupHelpText(), "", modvesk::Icon::None);
}

} // namespace gui
