// The form profsresp: pick a teacher, edit the groups he is responsible for,
// "Associer" for each teacher, then "Valider l'ensemble des associations".
#include "forms.h"

#include "qt_text.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

namespace {

QGroupBox* framed(const char* name, const QString& caption, QWidget* content) {
    auto* box = new QGroupBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(caption);
    (new QVBoxLayout(box))->addWidget(content);
    return box;
}

QPushButton* button(const char* name, const QString& caption) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(caption);
    b->setAutoDefault(false);
    return b;
}

void fill(QListWidget* list, const std::vector<std::string>& items) {
    list->clear();
    for (const auto& item : items)
        list->addItem(toQt(item));
}

} // namespace

ProfsRespDialog::ProfsRespDialog(modvesk::Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("profsresp"));
    setWindowTitle(
        QStringLiteral("Définition des responsables des groupes pour les comptes du groupe PROFS"));
    setModal(true);
    auto* command3 = button("Command3", QStringLiteral("Annuler"));
    auto* command2 = button("Command2", QStringLiteral("Valider l'ensemble des associations"));
    auto* command1 = button("Command1", QStringLiteral("Associer"));
    listgroupes_ = new QListWidget;
    listgroupes_->setObjectName(QStringLiteral("Listgroupes"));
    listgroupes_->setAccessibleName(QStringLiteral("Liste des groupes"));
    listgroupes_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    textassoc_ = new QLineEdit;
    textassoc_->setObjectName(QStringLiteral("Textassoc"));
    textassoc_->setAccessibleName(QStringLiteral("Groupes en responsabilité"));
    listprofs_ = new QListWidget;
    listprofs_->setObjectName(QStringLiteral("Listprofs"));
    listprofs_->setAccessibleName(QStringLiteral("Liste des professeurs"));
    listprofs_->setSelectionMode(QAbstractItemView::SingleSelection);
    const QString help = QStringLiteral(
        "Sélectionnez un nom d'utilisateur, effacez si besoin les noms de groupes, cliquez sur "
        "les nouveaux noms de groupes (touche CTRL pour en choisir plusieurs), cliquez sur "
        "« Associer », puis sélectionnez un autre utilisateur.");
    auto* label1 = new QLabel(help);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(framed("Frame1", QStringLiteral("Liste des professeurs"), listprofs_), 0, 0, 3,
                    1);
    grid->addWidget(framed("Frame2", QStringLiteral("Groupes en responsabilité"), textassoc_), 0,
                    1);
    grid->addWidget(command1, 1, 1);
    grid->addWidget(framed("Frame3", QStringLiteral("Liste des groupes"), listgroupes_), 2, 1);
    grid->addWidget(label1, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(command2);
    buttons->addWidget(command3);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setRowStretch(2, 1);
    resize(720, 480);

    // A click, also on the teacher already chosen, shows his groups again.
    connect(listprofs_, &QListWidget::itemSelectionChanged, this, [this] { Listprofs_Click(); });
    connect(listprofs_, &QListWidget::itemClicked, this, [this] { Listprofs_Click(); });
    connect(command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
}

void ProfsRespDialog::load() {
    modvesk::profsresp_Form_Load(session_, form_);
    fill(listprofs_, form_.Listprofs);
    fill(listgroupes_, form_.Listgroupes);
    showTextassoc();
}

void ProfsRespDialog::pull() {
    const QList<QListWidgetItem*> chosen = listprofs_->selectedItems();
    form_.ListprofsIndex = chosen.isEmpty() ? -1 : listprofs_->row(chosen.first());
    form_.ListgroupesSelected.assign(form_.Listgroupes.size(), false);
    for (int i = 0; i < listgroupes_->count(); ++i)
        if (static_cast<size_t>(i) < form_.ListgroupesSelected.size())
            form_.ListgroupesSelected[static_cast<size_t>(i)] = listgroupes_->item(i)->isSelected();
    form_.Textassoc = fromQt(textassoc_->text());
}

void ProfsRespDialog::showTextassoc() {
    textassoc_->setText(toQt(form_.Textassoc));
    textassoc_->repaint();
}

void ProfsRespDialog::Listprofs_Click() {
    pull();
    modvesk::profsresp_Listprofs_Click(session_, form_);
    showTextassoc();
}

void ProfsRespDialog::Command1_Click() {
    pull();
    modvesk::profsresp_Command1_Click(session_, form_);
    showTextassoc();
}

void ProfsRespDialog::Command2_Click() {
    pull();
    modvesk::profsresp_Command2_Click(session_, form_);
    if (form_.unloaded) accept();
}

void ProfsRespDialog::Command3_Click() {
    modvesk::profsresp_Command3_Click(session_, form_);
    if (form_.unloaded) reject();
}

} // namespace gui
