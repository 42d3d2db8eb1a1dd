// The form frmaccess: pick an Access database, one of its tables and, in the wanted
// order, its fields; "Valider la sélection des champs" writes them as a CSV file.
#include "frmaccess.h"

#include "qt_text.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace gui {

namespace {

const char* const kLabel1 =
    "Ordre des champs pour un serveur Kwartz :  Nom;Prénom,Classe;Date de naissance";
const char* const kLabel2 = "1) Sélectionner une table...................................... "
                            "2) Sélectionner dans l'ordre voulu des champs..... "
                            "3) Valider la sélection............................................";

template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* button(const char* name, const char* caption) {
    auto* b = named(new QPushButton(QString::fromUtf8(caption)), name);
    b->setAccessibleName(b->text());
    b->setAutoDefault(false);
    return b;
}

QGroupBox* framed(const char* name, const char* caption, QWidget* content) {
    auto* box = named(new QGroupBox(QString::fromUtf8(caption)), name);
    box->setAccessibleName(box->title());
    (new QVBoxLayout(box))->addWidget(content);
    return box;
}

QListWidget* list(const char* name, const char* accessibleName) {
    auto* l = named(new QListWidget, name);
    l->setAccessibleName(QString::fromUtf8(accessibleName));
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    return l;
}

// Fills a list widget when its items changed (a refill would lose the selection).
void showItems(QListWidget* widget, const std::vector<std::string>& items,
               std::vector<std::string>& shown) {
    if (items == shown) return;
    widget->clear();
    for (const auto& item : items)
        widget->addItem(toQt(item));
    shown = items;
}

} // namespace

FrmAccessDialog::FrmAccessDialog(modvesk::Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("frmaccess"));
    setWindowTitle(QStringLiteral("Créer un fichier CSV à partir d'une base Access"));
    setModal(true);
    chkinvdate_ =
        named(new QCheckBox(QStringLiteral("Inverser Mois/Jour dans les champs")), "chkinvdate");
    checkwartz_ = named(new QCheckBox(QStringLiteral(
                            "Création du fichier ELEVES.CSV (génération des comptes Kwartz)")),
                        "Checkwartz");
    // The chosen positions: kept by the form, not shown to the user.
    text1_ = named(new QLineEdit, "Text1");
    text1_->setReadOnly(true);
    text1_->setVisible(false);
    auto* command1 = button("Command1", "Valider la sélection des champs");
    auto* label1 = named(new QLabel(QString::fromUtf8(kLabel1)), "Label1");
    auto* label2 = named(new QLabel(QString::fromUtf8(kLabel2)), "Label2");
    label2->setWordWrap(true);

    auto* column = new QVBoxLayout(this);
    buildMenu();
    column->addWidget(label2);
    column->addWidget(buildLists(), 1);
    column->addWidget(buildChoiceFrame());
    column->addWidget(label1);
    column->addWidget(chkinvdate_);
    column->addWidget(checkwartz_);
    column->addWidget(text1_);
    column->addWidget(command1);
    resize(640, 520);
    connect(command1, &QPushButton::clicked, this, [this] { run([this] { Command1_Click(); }); });
    connectControls();
}

QWidget* FrmAccessDialog::buildLists() {
    listtables_ = list("listtables", "Noms des tables");
    listchamps_ = list("listchamps", "Noms des champs d'une table");
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(framed("Frame1", "Noms des tables", listtables_));
    layout->addWidget(framed("Frame2", "Noms des champs d'une table", listchamps_));
    return row;
}

QWidget* FrmAccessDialog::buildChoiceFrame() {
    lbchamps_ = named(new QLabel(QString::fromUtf8(modvesk::kLbchampsDesignCaption)), "lbchamps");
    lbchamps_->setWordWrap(true);
    lbchamps_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* command2 = button("Command2", "RAZ");
    connect(command2, &QPushButton::clicked, this, [this] { run([this] { Command2_Click(); }); });
    auto* frame3 =
        named(new QGroupBox(QStringLiteral("Champs retenus pour le fichier CSV")), "Frame3");
    frame3->setAccessibleName(frame3->title());
    auto* layout = new QHBoxLayout(frame3);
    layout->addWidget(lbchamps_, 1);
    layout->addWidget(command2);
    return frame3;
}

void FrmAccessDialog::buildMenu() {
    auto* bar = named(new QMenuBar(this), "menuFrmaccess");
    QMenu* fichier = bar->addMenu(QStringLiteral("Fichier"));
    fichier->setObjectName(QStringLiteral("fichier_m"));
    auto* charger =
        named(new QAction(QStringLiteral("Charger une base Access"), this), "chrgbaseAccess_m");
    auto* quitter = named(new QAction(QStringLiteral("Quitter"), this), "quitter_m");
    fichier->addAction(charger);
    fichier->addAction(quitter);
    connect(charger, &QAction::triggered, this,
            [this] { run([this] { chrgbaseAccess_m_Click(); }); });
    connect(quitter, &QAction::triggered, this, [this] { run([this] { quitter_m_Click(); }); });
    static_cast<QVBoxLayout*>(layout())->setMenuBar(bar);
}

void FrmAccessDialog::connectControls() {
    connect(listtables_, &QListWidget::itemClicked, this,
            [this] { run([this] { listtables_Click(); }); });
    connect(listchamps_, &QListWidget::itemClicked, this,
            [this] { run([this] { listchamps_Click(); }); });
    connect(chkinvdate_, &QCheckBox::toggled, this,
            [this](bool on) { session_.win.chkinvdate = on; });
    connect(checkwartz_, &QCheckBox::toggled, this,
            [this](bool on) { session_.win.Checkwartz = on; });
}

void FrmAccessDialog::run(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        session_.ui->message(modvesk::ansi("Le traitement s'est arrêté sur une erreur : ") +
                                 modvesk::ansi(e.what()),
                             "", modvesk::Icon::Exclamation);
    }
    push();
}

void FrmAccessDialog::push() {
    showItems(listtables_, form_.listtables, shownTables_);
    showItems(listchamps_, form_.listchamps, shownFields_);
    if (listtables_->currentRow() != form_.listtablesIndex)
        listtables_->setCurrentRow(form_.listtablesIndex);
    lbchamps_->setText(toQt(form_.lbchamps));
    text1_->setText(toQt(form_.Text1));
    chkinvdate_->setChecked(session_.win.chkinvdate);
    checkwartz_->setChecked(session_.win.Checkwartz);
}

void FrmAccessDialog::Form_Activate() {
    run([this] { modvesk::frmaccess_Form_Activate(session_, form_); });
}

void FrmAccessDialog::listtables_Click() {
    form_.listtablesIndex = listtables_->currentRow();
    modvesk::frmaccess_listtables_Click(session_, form_);
}

void FrmAccessDialog::listchamps_Click() {
    form_.listchampsIndex = listchamps_->currentRow();
    modvesk::frmaccess_listchamps_Click(session_, form_);
}

void FrmAccessDialog::Command1_Click() {
    modvesk::frmaccess_Command1_Click(session_, form_);
}

void FrmAccessDialog::Command2_Click() {
    modvesk::frmaccess_Command2_Click(session_, form_);
}

void FrmAccessDialog::chrgbaseAccess_m_Click() {
    modvesk::frmaccess_chrgbaseAccess_m_Click(session_, form_);
}

void FrmAccessDialog::quitter_m_Click() {
    modvesk::frmaccess_quitter_m_Click(session_, form_);
    if (!form_.visible) hide();
}

} // namespace gui
