// The three modal forms as the administrator sees them: captions and titles, and
// the cases of the group-responsibility and teacher-deletion tools played with
// their widgets.
#include "gui_fixture.h"

#include "text/text.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

using guitest::WindowRig;

namespace {

const char* const kExport = "#Nom;Pr\xE9nom;groupe d'affectation;login actuel\r\n"
                            "DUPONT;Catherine;profs;c.dupont;c.dupont;;;;;;;\r\n"
                            "MARTIN;Paul;3A;p.martin;p.martin;;;;;;;\r\n"
                            "BLANC;Marc;profs;m.blanc;m.blanc;;;;3A1;;;\r\n"
                            "NOEL;Jo;4B;j.noel;j.noel;;;;;;;\r\n";

const QString kResp = QStringLiteral("ComptesProfsResponsablesAModifier.txt");
const QString kDel = QStringLiteral("ComptesProfsASupprimer.txt");

// A rig whose EXPORT file is answered to the form's dialog.
struct TeacherRig : WindowRig {
    TeacherRig() {
        guitest::writeBytes(file("EXPORT"), kExport);
        prompts.files = {file("EXPORT").toStdString()};
    }
};

void selectGroup(QDialog* form, const QString& group) {
    auto* groups = form->findChild<QListWidget*>("Listgroupes");
    for (int i = 0; i < groups->count(); ++i)
        if (groups->item(i)->text() == group) groups->item(i)->setSelected(true);
}

void selectTeacher(QDialog* form, const QString& entry) {
    auto* profs = form->findChild<QListWidget*>("Listprofs");
    for (int i = 0; i < profs->count(); ++i)
        if (profs->item(i)->text() == entry) profs->setCurrentRow(i);
}

QString textassoc(QDialog* form) {
    return form->findChild<QLineEdit*>("Textassoc")->text();
}
void click(QDialog* form, const char* name) {
    form->findChild<QPushButton*>(name)->click();
}

} // namespace

class Forms : public QObject {
    Q_OBJECT

  private slots:
    void profsrespHasItsCaptions();
    void associerPutsNewGroupsInFront();
    void substringTestKeepsALongerGroup();
    void editedTextIsSentAsTyped();
    void annulerWritesNothing();
    void deletionFormSendsSelectedTeachersInListOrder();
    void deletionQuitterWritesNothing();
    void saisiegroupesCaptions();
};

void Forms::profsrespHasItsCaptions() {
    TeacherRig rig;
    rig.formScript = [](QDialog* form) {
        QCOMPARE(form->windowTitle(),
                 QStringLiteral(
                     "Définition des responsables des groupes pour les comptes du groupe PROFS"));
        QVERIFY(form->isModal());
        const std::pair<const char*, const char*> buttons[] = {
            {"Command3", "Annuler"},
            {"Command2", "Valider l'ensemble des associations"},
            {"Command1", "Associer"}};
        for (const auto& [name, caption] : buttons)
            QCOMPARE(form->findChild<QPushButton*>(name)->text(), QString::fromUtf8(caption));
        const std::pair<const char*, const char*> frames[] = {
            {"Frame3", "Liste des groupes"},
            {"Frame2", "Groupes en responsabilité"},
            {"Frame1", "Liste des professeurs"}};
        for (const auto& [name, caption] : frames)
            QCOMPARE(form->findChild<QGroupBox*>(name)->title(), QString::fromUtf8(caption));
        QCOMPARE(guitest::listTexts(form->findChild<QListWidget*>("Listprofs")),
                 (QStringList{"DUPONT;Catherine", "BLANC;Marc"}));
        QCOMPARE(guitest::listTexts(form->findChild<QListWidget*>("Listgroupes")),
                 (QStringList{"3A", "profs", "4B"}));
        QCOMPARE(form->findChild<QListWidget*>("Listgroupes")->selectionMode(),
                 QAbstractItemView::ExtendedSelection);
        QVERIFY(!form->findChild<QLabel*>("Label1")->text().isEmpty());
    };
    rig.trigger("defrespgroupes");
    QCOMPARE(rig.formsSeen, std::vector<QString>{QStringLiteral("profsresp")});
}

void Forms::associerPutsNewGroupsInFront() {
    TeacherRig rig;
    rig.formScript = [](QDialog* form) {
        selectTeacher(form, QStringLiteral("DUPONT;Catherine"));
        QCOMPARE(textassoc(form), QString());
        selectGroup(form, QStringLiteral("3A"));
        selectGroup(form, QStringLiteral("4B"));
        click(form, "Command1");
        QCOMPARE(textassoc(form), QStringLiteral("4B 3A "));
        click(form, "Command2");
        QVERIFY(!form->isVisible());
    };
    rig.trigger("defrespgroupes");
    QCOMPARE(guitest::readBytes(rig.file(kResp)),
             std::string("DUPONT;Catherine;profs;c.dupont;c.dupont;;;;4B 3A ;;;\r\n"));
}

void Forms::substringTestKeepsALongerGroup() {
    TeacherRig rig;
    rig.formScript = [](QDialog* form) {
        selectTeacher(form, QStringLiteral("BLANC;Marc"));
        QCOMPARE(textassoc(form), QStringLiteral("3A1"));
        selectGroup(form, QStringLiteral("3A"));
        click(form, "Command1");
        QCOMPARE(textassoc(form), QStringLiteral("3A1"));
        click(form, "Command3");
    };
    rig.trigger("defrespgroupes");
}

void Forms::editedTextIsSentAsTyped() {
    TeacherRig rig;
    rig.formScript = [](QDialog* form) {
        selectTeacher(form, QStringLiteral("BLANC;Marc"));
        auto* edit = form->findChild<QLineEdit*>("Textassoc");
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral(" 5C  "));
        edit->insert(QStringLiteral("élèves "));
        click(form, "Command1");
        QCOMPARE(textassoc(form), QStringLiteral(" 5C  élèves "));
        click(form, "Command2");
    };
    rig.trigger("defrespgroupes");
    QCOMPARE(guitest::readBytes(rig.file(kResp)),
             std::string("BLANC;Marc;profs;m.blanc;m.blanc;;;; 5C  \xE9l\xE8ves ;;;\r\n"));
}

void Forms::annulerWritesNothing() {
    TeacherRig rig;
    rig.formScript = [](QDialog* form) {
        for (const char* teacher : {"DUPONT;Catherine", "BLANC;Marc"}) {
            selectTeacher(form, QString::fromLatin1(teacher));
            selectGroup(form, QStringLiteral("4B"));
            click(form, "Command1");
        }
        click(form, "Command3");
        QVERIFY(!form->isVisible());
    };
    rig.trigger("defrespgroupes");
    QVERIFY(!QFile::exists(rig.file(kResp)));
}

void Forms::deletionFormSendsSelectedTeachersInListOrder() {
    TeacherRig rig;
    rig.formScript = [](QDialog* form) {
        QCOMPARE(form->objectName(), QStringLiteral("frcmptesprofs"));
        QCOMPARE(form->findChild<QGroupBox*>("Frame1")->title(),
                 QStringLiteral("Liste des professeurs"));
        QCOMPARE(
            form->findChild<QLabel*>("Label1")->text(),
            QStringLiteral(
                "Générer le fichier de comptes Profs à supprimer correspondant aux sélections"));
        QCOMPARE(form->findChild<QPushButton*>("Command4")->text(), QStringLiteral("OK"));
        QCOMPARE(form->findChild<QAction*>("quitter_m")->text(), QStringLiteral("Quitter"));
        auto* profs = form->findChild<QListWidget*>("Listprofs");
        profs->item(1)->setSelected(true);
        profs->item(0)->setSelected(true);
        click(form, "Command4");
    };
    rig.trigger("supcpteProfs_m");
    QCOMPARE(guitest::readBytes(rig.file(kDel)),
             std::string("DUPONT;Catherine;profs;c.dupont;c.dupont;;;;;;;\r\n"
                         "BLANC;Marc;profs;m.blanc;m.blanc;;;;3A1;;;\r\n"));
}

void Forms::deletionQuitterWritesNothing() {
    TeacherRig rig;
    rig.formScript = [](QDialog* form) {
        auto* profs = form->findChild<QListWidget*>("Listprofs");
        profs->item(0)->setSelected(true);
        form->findChild<QAction*>("quitter_m")->trigger();
        QVERIFY(!form->isVisible());
    };
    rig.trigger("supcpteProfs_m");
    QVERIFY(!QFile::exists(rig.file(kDel)));
    // "OK" with nothing selected writes no file either.
    rig.prompts.files = {rig.file("EXPORT").toStdString()};
    rig.formScript = [](QDialog* form) { click(form, "Command4"); };
    rig.trigger("supcpteProfs_m");
    QVERIFY(!QFile::exists(rig.file(kDel)));
}

void Forms::saisiegroupesCaptions() {
    WindowRig rig;
    rig.formScript = [](QDialog* form) {
        QVERIFY(form->isModal());
        QCOMPARE(form->findChild<QLabel*>("Label2")->text(), QStringLiteral("Nom du groupe"));
        QCOMPARE(form->findChild<QLabel*>("Label1")->text(),
                 QStringLiteral("Liste des groupes dont les stagiaires seront responsables. "
                                "(Espace entre chaque nom)"));
        QCOMPARE(form->findChild<QPushButton*>("Command1")->text(), QStringLiteral("OK"));
        QVERIFY(form->findChild<QLineEdit*>("Text2"));
        QVERIFY(form->findChild<QLineEdit*>("Text1"));
        // Closed by its frame: the strings keep what they held.
        form->close();
    };
    rig.window->session().job.groupeStage = std::string("G");
    rig.window->showForm(modvesk::Form::SaisieGroupes);
    QCOMPARE(rig.formsSeen, std::vector<QString>{QStringLiteral("saisiegroupes")});
    QCOMPARE(rig.window->session().job.groupeStage, std::string("G"));
}

QTEST_MAIN(Forms)
#include "test_forms.moc"
