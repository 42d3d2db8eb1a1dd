// The main window's controls and their layout: the RNE numbers, the login format
// and the server at the top, the EXPORT file below them, the log box with the
// class list and its buttons at the lower left, the file lists at the right.
#include "vesklin.h"

#include "qt_text.h"
#include "screen_prompts.h"
#include "update_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace gui {

namespace {

// A control named after its role, with its caption as accessible name.
template <class W> W* named(W* widget, const char* name, const QString& accessible) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(accessible);
    return widget;
}

QGroupBox* frame(const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(caption);
    return box;
}

QPushButton* button(const char* name, const QString& caption) {
    return named(new QPushButton(caption), name, caption);
}

QListWidget* fileList(const char* name, const QString& accessible) {
    auto* list = named(new QListWidget, name, accessible);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

} // namespace

Vesklin::Vesklin(std::filesystem::path dir, QWidget* parent)
    : QMainWindow(parent), updateAddress_(kUpdateAddress) {
    setObjectName(QStringLiteral("Vesklin"));
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    session_.dir = std::move(dir);
    session_.ui = this;
    screen_ = std::make_unique<ScreenPrompts>(this, pathToQt(session_.dir.string()));
    prompts_ = screen_.get();
    quit_ = [] { QCoreApplication::exit(0); };

    auto* central = new QWidget;
    auto* grid = new QGridLayout(central);
    auto* top = new QHBoxLayout;
    top->addWidget(buildRneFrame());
    top->addWidget(buildFormatFrame(), 1);
    top->addWidget(buildServerFrame());
    grid->addLayout(top, 0, 0, 1, 2);
    grid->addWidget(buildExportFrame(), 1, 0, 1, 2);
    grid->addWidget(buildLogArea(), 2, 0);
    grid->addWidget(buildFileFrames(), 2, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    setCentralWidget(central);

    buildMenus();
    buildStatusBar();
    connectControls();
    pushToWidgets();
    refreshFileLists();
    resize(860, 600);
}

Vesklin::~Vesklin() = default;

QWidget* Vesklin::buildRneFrame() {
    auto* box = frame("Frame5", QString());
    auto* form = new QGridLayout(box);
    const QString label1 = QStringLiteral("N° RNEétablissement 1");
    const QString label2 = QStringLiteral("N° RNEétablissement 2");
    txtrne1_ = named(new QLineEdit, "txtrne1", label1);
    txtrne2_ = named(new QLineEdit, "txtrne2", label2);
    auto* l1 = named(new QLabel(label1), "Label1", label1);
    auto* l2 = named(new QLabel(label2), "Label2", label2);
    l1->setBuddy(txtrne1_);
    l2->setBuddy(txtrne2_);
    form->addWidget(l1, 0, 0);
    form->addWidget(txtrne1_, 1, 0);
    form->addWidget(l2, 2, 0);
    form->addWidget(txtrne2_, 3, 0);
    form->setRowStretch(4, 1);
    return box;
}

QWidget* Vesklin::buildFormatFrame() {
    auto* box = frame("Frame3", QStringLiteral("Format du compte utilisateur"));
    auto* column = new QVBoxLayout(box);
    auto option = [&](const char* name, const QString& caption) {
        auto* radio = named(new QRadioButton(caption), name, caption);
        column->addWidget(radio);
        return radio;
    };
    optionNomDabord_ = option("OptionNomDabord", QStringLiteral("Nom.prénom (dupont.catherine)"));
    optionAbrev_ = option("Optionabrev",
                          QStringLiteral("Prénom.Nom (Première lettre du prénom ex : c.dupont)"));
    optionEntier_ = option(
        "OptionEntier", QStringLiteral("Prénom.Nom (Sans abréviation par ex : catherine.dupont)"));
    auto* group = new QButtonGroup(box);
    group->setObjectName(QStringLiteral("formatConnexion"));
    for (auto* radio : {optionNomDabord_, optionAbrev_, optionEntier_})
        group->addButton(radio);
    const QString k17 = QStringLiteral("Nouveaux comptes pour Kwartz 1.7*");
    kwartz17_ = named(new QCheckBox(k17), "kwartz17", k17);
    const QString random = QStringLiteral("Mots de passe aléatoires");
    randomPasswords_ = named(new QCheckBox(random), "randomPasswords", random);
    randomPasswords_->setToolTip(QStringLiteral(
        "Les nouveaux comptes reçoivent un mot de passe de 8 caractères tiré au hasard, et non "
        "déduit de la date de naissance ou du numéro d'identification"));
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(kwartz17_);
    boxes->addWidget(randomPasswords_);
    boxes->addStretch(1);
    column->addLayout(boxes);
    return box;
}

QWidget* Vesklin::buildServerFrame() {
    auto* box = frame("Frame1", QStringLiteral("Serveur KWARTZ"));
    auto* column = new QVBoxLayout(box);
    const QString caption = QStringLiteral("KWARTZ  1.3x, 1.4x");
    version3_ = named(new QRadioButton(caption), "version3", caption);
    column->addWidget(version3_);
    column->addStretch(1);
    return box;
}

QWidget* Vesklin::buildExportFrame() {
    framemsj_ = frame("Framemsj", QStringLiteral("Emplacement du fichier \"EXPORT\" de KWARTZ"));
    auto* row = new QHBoxLayout(framemsj_);
    rechercher_ = button("rechercher", QStringLiteral("Rechercher"));
    placeexport_ = named(new QLabel, "placeexport", QString());
    placeexport_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    placeexport_->setMinimumWidth(300);
    row->addWidget(rechercher_);
    row->addWidget(placeexport_, 1);
    return framemsj_;
}

QWidget* Vesklin::buildLogArea() {
    auto* area = new QWidget;
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    text1_ = named(new QPlainTextEdit, "Text1", QStringLiteral("Journal des traitements"));
    text1_->setReadOnly(true);
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    classes_ = named(new QListWidget, "classes", QStringLiteral("Classes"));
    classes_->setMaximumWidth(150);
    command1_ = button("Command1", QStringLiteral("Création des comptes des élèves"));
    save1_ = button("save1", QStringLiteral("Sauvegarder une classe"));
    command3_ = button("Command3", QStringLiteral("Sauvegarder toutes les classes"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(command1_);
    buttons->addStretch(1);
    buttons->addWidget(save1_);
    buttons->addWidget(command3_);
    grid->addWidget(text1_, 0, 0);
    grid->addWidget(classes_, 0, 1);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->addWidget(buildReviewButtons(), 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    return area;
}

QWidget* Vesklin::buildFileFrames() {
    auto* area = new QWidget;
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    auto* generated = frame("Frame4", QStringLiteral("Fichiers générés"));
    file1_ = fileList("File1", QStringLiteral("Fichiers générés"));
    (new QVBoxLayout(generated))->addWidget(file1_);
    auto* sources = frame("Frame2", QStringLiteral("Fichiers GEP ou CSV du répertoire"));
    file2_ = fileList("File2", QStringLiteral("Fichiers GEP ou CSV du répertoire"));
    (new QVBoxLayout(sources))->addWidget(file2_);
    column->addWidget(generated, 3);
    column->addWidget(sources, 2);
    return area;
}

void Vesklin::buildStatusBar() {
    directoryLabel_ = new QLabel(
        QStringLiteral("Répertoire du programme : %1").arg(pathToQt(session_.dir.string())));
    directoryLabel_->setObjectName(QStringLiteral("repertoireProgramme"));
    directoryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progressBar_ = new QProgressBar;
    progressBar_->setObjectName(QStringLiteral("progression"));
    progressBar_->setAccessibleName(QStringLiteral("Progression du traitement"));
    progressBar_->setMaximumWidth(220);
    progressBar_->hide();
    statusBar()->addWidget(directoryLabel_, 1);
    statusBar()->addPermanentWidget(progressBar_);
}

} // namespace gui
