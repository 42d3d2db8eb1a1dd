// The form saisiegroupes: the Kwartz group of the trainees and the groups they
// will be responsible for.
#include "forms.h"

#include "jobs/jobs.h"
#include "qt_text.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace gui {

SaisieGroupesDialog::SaisieGroupesDialog(modvesk::Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("saisiegroupes"));
    setWindowTitle(QStringLiteral("Groupe des stagiaires"));
    setModal(true);
    const QString caption2 = QStringLiteral("Nom du groupe");
    const QString caption1 = QStringLiteral(
        "Liste des groupes dont les stagiaires seront responsables. (Espace entre chaque nom)");
    text2_ = new QLineEdit;
    text2_->setObjectName(QStringLiteral("Text2"));
    text2_->setAccessibleName(caption2);
    text1_ = new QLineEdit;
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setAccessibleName(caption1);
    auto* label2 = new QLabel(caption2);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setBuddy(text2_);
    auto* label1 = new QLabel(caption1);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    label1->setBuddy(text1_);
    auto* command1 = new QPushButton(QStringLiteral("OK"));
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setAccessibleName(QStringLiteral("OK"));
    command1->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label2, 0, 0);
    grid->addWidget(text2_, 1, 0);
    grid->addWidget(label1, 2, 0);
    grid->addWidget(text1_, 3, 0);
    grid->addWidget(command1, 4, 0, Qt::AlignRight);
    setMinimumWidth(460);

    connect(command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void SaisieGroupesDialog::Command1_Click() {
    if (modvesk::saisiegroupes_Command1_Click(session_, fromQt(text2_->text()),
                                              fromQt(text1_->text())))
        accept();
}

} // namespace gui
