// The Access export form frmaccess as the administrator sees it: its controls and
// captions, the choice of fields played with the mouse, "Valider" with the account
// files, "Quitter" keeping the lists, and the form without the scripting component.
#include "gui_fixture.h"

#include "clients/component_client.h"
#include "corpus.h"
#include "expected_files.h"
#include "screen_prompts.h"
#include "text/text.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using guitest::WindowRig;
using testsupport::DialogCall;

namespace {

const std::string kJet4 = testsupport::corpusFile("jahlborn-jackcess__fixedTextTestV2000.mdb");

void clickItem(QListWidget* list, const QString& text) {
    const auto items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(text));
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.first()).center());
}

template <class T> T* child(QDialog* form, const char* name) {
    return form->findChild<T*>(QString::fromLatin1(name));
}

QString caption(QDialog* form, const char* name) {
    QObject* o = form->findChild<QObject*>(QString::fromLatin1(name));
    if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
    if (auto* m = qobject_cast<QMenu*>(o)) return m->title();
    if (auto* a = qobject_cast<QAction*>(o)) return a->text();
    return QStringLiteral("<absent>");
}

// Chooses the four fields that make a pupil row of the users table.
void choosePupilFields(QDialog* form) {
    clickItem(child<QListWidget>(form, "listtables"), QStringLiteral("users"));
    auto* fields = child<QListWidget>(form, "listchamps");
    for (const char* name : {"c_user_login", "c_user_name", "c_flag_", "d_stamp_"})
        clickItem(fields, QString::fromLatin1(name));
}

} // namespace

class FrmAccess : public QObject {
    Q_OBJECT

  private slots:
    void everyControlWithItsCaption();
    void fieldsInClickOrderAndRaz();
    void validerWritesElevesCsvAndTheAccounts();
    void quitterHidesAndKeepsTheLists();
    void withoutTheComponentTheFormSaysSo();
    void theCsvDialogTakesANewName();
};

void FrmAccess::everyControlWithItsCaption() {
    WindowRig rig;
    QDialog* shown = nullptr;
    rig.formScript = [&](QDialog* form) {
        shown = form;
        const std::vector<std::pair<const char*, const char*>> captions = {
            {"chkinvdate", "Inverser Mois/Jour dans les champs"},
            {"Checkwartz", "Création du fichier ELEVES.CSV (génération des comptes Kwartz)"},
            {"Command1", "Valider la sélection des champs"},
            {"Frame3", "Champs retenus pour le fichier CSV"},
            {"Command2", "RAZ"},
            {"lbchamps",
             "champ1;champ2;champ3;champ4.............................................."},
            {"Frame2", "Noms des champs d'une table"},
            {"Frame1", "Noms des tables"},
            {"Label1",
             "Ordre des champs pour un serveur Kwartz :  Nom;Prénom,Classe;Date de naissance"},
            {"Label2", "1) Sélectionner une table...................................... 2) "
                       "Sélectionner dans l'ordre voulu des champs..... 3) Valider la "
                       "sélection............................................"},
            {"fichier_m", "Fichier"},
            {"chrgbaseAccess_m", "Charger une base Access"},
            {"quitter_m", "Quitter"},
        };
        for (const auto& [name, text] : captions)
            QCOMPARE(caption(form, name), QString::fromUtf8(text));
        QVERIFY(child<QListWidget>(form, "listtables"));
        QVERIFY(child<QListWidget>(form, "listchamps"));
        QVERIFY(child<QLineEdit>(form, "Text1"));
        QVERIFY(!child<QLineEdit>(form, "Text1")->isVisible());
        QVERIFY(form->isModal());
        const QPoint middle = form->screen()->geometry().center();
        QVERIFY((form->frameGeometry().center() - middle).manhattanLength() < 40);
        for (const char* name : {"Label1", "Command1", "Checkwartz", "chkinvdate"}) {
            auto* w = form->findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(w->width() >= w->minimumSizeHint().width(), name);
        }
    };
    rig.trigger("csvaccess_m");
    QVERIFY(shown);
    QCOMPARE(shown->objectName(), QStringLiteral("frmaccess"));
    QCOMPARE(rig.prompts.of(DialogCall::OpenFile).size(), size_t(0)); // no component: nothing asked
}

void FrmAccess::fieldsInClickOrderAndRaz() {
    QSKIP_WITHOUT_CORPUS(kJet4);
    WindowRig rig;
    rig.window->createComponent();
    rig.prompts.files = {kJet4};
    rig.formScript = [&](QDialog* form) {
        QCOMPARE(guitest::listTexts(child<QListWidget>(form, "listtables")),
                 QStringList{QStringLiteral("users")});
        choosePupilFields(form);
        QCOMPARE(child<QLabel>(form, "lbchamps")->text(),
                 QStringLiteral("c_user_login;c_user_name;c_flag_;d_stamp_"));
        QCOMPARE(child<QLineEdit>(form, "Text1")->text(), QStringLiteral(" 1 4 8 9"));
        child<QPushButton>(form, "Command2")->click();
        QCOMPARE(child<QLabel>(form, "lbchamps")->text(), QString());
        QCOMPARE(child<QLineEdit>(form, "Text1")->text(), QString());
    };
    rig.trigger("csvaccess_m");
    QCOMPARE(rig.formsSeen.size(), size_t(1));
    QCOMPARE(rig.prompts.of(DialogCall::OpenFile)[0].title,
             std::string("Fichier ACCESS (.MDB) (*.MDB)|*.MDB"));
}

void FrmAccess::validerWritesElevesCsvAndTheAccounts() {
    QSKIP_WITHOUT_CORPUS(kJet4);
    WindowRig rig;
    rig.window->createComponent();
    rig.prompts.files = {kJet4, rig.file("choisi.csv").toStdString()};
    rig.formScript = [&](QDialog* form) {
        choosePupilFields(form);
        child<QCheckBox>(form, "Checkwartz")->setChecked(true);
        child<QPushButton>(form, "Command1")->click();
    };
    rig.trigger("csvaccess_m");
    QCOMPARE(guitest::readBytes(rig.file("ComptesAajouter.txt")),
             testsupport::kImportHeader + "\r\n" +
                 "COREUSER;CORE;n;coreuser.core;coreuser.core;05112009;;;;;;\r\n"
                 "ADMIN;ADMIN;n;admin.admin;admin.admin;22102009;;;;;;\r\n\r\n");
    QVERIFY(!QFile::exists(rig.file("choisi.csv")));
    const QString log = rig.window->findChild<QPlainTextEdit*>("Text1")->toPlainText();
    QVERIFY2(log.startsWith(QStringLiteral("\nTous les fichiers textes ont été créés.\n")),
             qPrintable(log));
    QVERIFY(guitest::listTexts(rig.window->findChild<QListWidget*>("File1"))
                .contains(QStringLiteral("ComptesAajouter.txt")));
}

void FrmAccess::quitterHidesAndKeepsTheLists() {
    QSKIP_WITHOUT_CORPUS(kJet4);
    WindowRig rig;
    rig.window->createComponent();
    rig.prompts.files = {kJet4};
    QDialog* first = nullptr;
    rig.formScript = [&](QDialog* form) {
        first = form;
        clickItem(child<QListWidget>(form, "listtables"), QStringLiteral("users"));
        form->findChild<QAction*>(QStringLiteral("quitter_m"))->trigger();
        QVERIFY(!form->isVisible());
    };
    rig.trigger("csvaccess_m");
    // Shown again, the database dialog cancelled: the same form with its lists.
    rig.formScript = [&](QDialog* form) {
        QCOMPARE(form, first);
        QCOMPARE(guitest::listTexts(child<QListWidget>(form, "listtables")),
                 QStringList{QStringLiteral("users")});
        QCOMPARE(child<QListWidget>(form, "listchamps")->count(), 10);
    };
    rig.trigger("csvaccess_m");
    QCOMPARE(rig.formsSeen.size(), size_t(2));
    QCOMPARE(rig.window->session().cheminBase, kJet4);
}

void FrmAccess::withoutTheComponentTheFormSaysSo() {
    WindowRig rig;
    rig.formScript = [&](QDialog* form) {
        QCOMPARE(child<QListWidget>(form, "listtables")->count(), 0);
        form->findChild<QAction*>(QStringLiteral("chrgbaseAccess_m"))->trigger();
    };
    rig.trigger("csvaccess_m");
    QCOMPARE(rig.prompts.messageTexts(),
             (std::vector<std::string>{component::absentMessage(), component::absentMessage()}));
    QVERIFY(rig.prompts.of(DialogCall::OpenFile).empty());
}

// The name of the CSV file is typed: the dialog takes a file that does not exist yet.
void FrmAccess::theCsvDialogTakesANewName() {
    QTemporaryDir dir;
    gui::ScreenPrompts prompts(nullptr, dir.path());
    const QString typed = dir.filePath(QStringLiteral("nouveau.csv"));
    QFileDialog::FileMode mode = QFileDialog::ExistingFile;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        mode = dialog->fileMode();
        // A dialog that wants an existing file would refuse the name with a box.
        if (mode != QFileDialog::AnyFile) return dialog->reject();
        dialog->selectFile(typed);
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::string chosen = prompts.chooseFileToWrite(modvesk::ansi("Nom du fichier .CSV"),
                                                         "Nom du fichier .CSV(*.CSV)|*.CSV", "");
    QCOMPARE(mode, QFileDialog::AnyFile);
    QCOMPARE(QString::fromStdString(chosen), typed);
}

QTEST_MAIN(FrmAccess)
#include "test_frmaccess.moc"
