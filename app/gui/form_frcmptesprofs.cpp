// The form frcmptesprofs: select the teachers whose accounts are to go, "OK".
#include "forms.h"

#include "qt_text.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

FrCmptesProfsDialog::FrCmptesProfsDialog(modvesk::Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("frcmptesprofs"));
    setWindowTitle(QStringLiteral("Supprimer des comptes dans le groupe PROFS"));
    setModal(true);
    auto* column = new QVBoxLayout(this);

    auto* menu = new QMenuBar(this);
    menu->setObjectName(QStringLiteral("menuFrcmptesprofs"));
    auto* quitter = new QAction(QStringLiteral("Quitter"), this);
    quitter->setObjectName(QStringLiteral("quitter_m"));
    menu->addAction(quitter);
    column->setMenuBar(menu);

    auto* frame1 = new QGroupBox(QStringLiteral("Liste des professeurs"));
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setAccessibleName(frame1->title());
    listprofs_ = new QListWidget;
    listprofs_->setObjectName(QStringLiteral("Listprofs"));
    listprofs_->setAccessibleName(QStringLiteral("Liste des professeurs"));
    listprofs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    (new QVBoxLayout(frame1))->addWidget(listprofs_);
    const QString caption = QStringLiteral(
        "Générer le fichier de comptes Profs à supprimer correspondant aux sélections");
    auto* label1 = new QLabel(caption);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    auto* command4 = new QPushButton(QStringLiteral("OK"));
    command4->setObjectName(QStringLiteral("Command4"));
    command4->setAccessibleName(QStringLiteral("OK"));
    command4->setAutoDefault(false);

    column->addWidget(frame1, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(label1, 1);
    row->addWidget(command4);
    column->addLayout(row);
    resize(520, 440);

    connect(command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(quitter, &QAction::triggered, this, [this] { quitter_m_Click(); });
}

void FrCmptesProfsDialog::load() {
    modvesk::frcmptesprofs_Form_Load(session_, form_);
    listprofs_->clear();
    for (const auto& item : form_.Listprofs)
        listprofs_->addItem(toQt(item));
}

void FrCmptesProfsDialog::Command4_Click() {
    form_.ListprofsSelected.assign(form_.Listprofs.size(), false);
    for (int i = 0; i < listprofs_->count(); ++i)
        if (static_cast<size_t>(i) < form_.ListprofsSelected.size())
            form_.ListprofsSelected[static_cast<size_t>(i)] = listprofs_->item(i)->isSelected();
    modvesk::frcmptesprofs_Command4_Click(session_, form_);
    if (form_.unloaded) accept();
}

void FrCmptesProfsDialog::quitter_m_Click() {
    modvesk::frcmptesprofs_quitter_m_Click(session_, form_);
    if (form_.unloaded) reject();
}

} // namespace gui
