// Every menu command and button of the main window, end to end on the sample
// sources, with the dialogs answered by the test.
#include "gui_fixture.h"

#include "clients/vandrel_client.h"
#include "expected_files.h"
#include "text/text.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using guitest::WindowRig;
using modvesk::ansi;
using testsupport::DialogCall;

namespace {

// The path of the file of `dir` named `name` without regard to case ("" when none).
QString fileIn(const QString& dir, const QString& name) {
    for (const QString& entry : QDir(dir).entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return QDir(dir).filePath(entry);
    return QString();
}

std::vector<std::string> linesOf(const QString& path) {
    std::vector<std::string> lines;
    const std::string bytes = guitest::readBytes(path);
    size_t from = 0;
    for (size_t p = bytes.find("\r\n"); p != std::string::npos; p = bytes.find("\r\n", from)) {
        lines.push_back(bytes.substr(from, p - from));
        from = p + 2;
    }
    return lines;
}

bool listHas(const QWidget* list, const QString& name) {
    for (const QString& t : guitest::listTexts(list))
        if (t.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString logText(const WindowRig& rig) {
    return rig.find<QPlainTextEdit>("Text1")->toPlainText();
}

} // namespace

class WindowCommands : public QObject {
    Q_OBJECT

  private slots:
    void genfichWritesTheAccountFilesAndShowsThem();
    void b2iWritesOnlyThePupils();
    void command1RunsTheWorkerAlone();
    void classFilesFromTheTwoButtons();
    void gepUpdateAsksForExportAndWritesTheChanges();
    void csvCreationAndUpdate();
    void traineesThroughTheGroupForm();
    void loginRenaming();
    void teacherToolsFromTheMenu();
    void accessExportEmptiesLstTri2AndShowsItsForm();
    void cleanUpAnsweredNoKeepsFilesButEmptiesTheLists();
    void cleanUpAnsweredYesDeletesTextFiles();
    void cancelledExportDialogLeavesPlaceexport();
    void fileListsOpenAndRefresh();
    void quitItemsEndWithoutClosingTheRegistry();
    void updatePageOpensTheBrowserOrSaysItCannot();
};

void WindowCommands::genfichWritesTheAccountFilesAndShowsThem() {
    WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    QTest::keyClicks(rig.find<QLineEdit>("txtrne1"), QStringLiteral("0590001a"));
    rig.trigger("Genfich_M");
    QVERIFY(rig.prompts.questionTexts().empty());
    const QString added = fileIn(rig.dir(), QStringLiteral("ComptesAajouter.txt"));
    QVERIFY(!added.isEmpty());
    const auto lines = linesOf(added);
    QVERIFY(lines.size() > 2);
    QCOMPARE(lines[0], testsupport::kImportHeader);
    QVERIFY(!fileIn(rig.dir(), QStringLiteral("ComptesProfsAajouter.txt")).isEmpty());
    QVERIFY(listHas(rig.find<QListWidget>("File1"), QStringLiteral("ComptesAajouter.txt")));
    QVERIFY(logText(rig).contains(QStringLiteral("Tous les fichiers textes ont été créés.")));
    QVERIFY(rig.find<QListWidget>("classes")->count() > 0);
    QVERIFY(rig.find<QListWidget>("classes")->isEnabled());
    QVERIFY(rig.find<QPushButton>("Command3")->isEnabled());
    QVERIFY(rig.find<QPushButton>("save1")->isEnabled());
    QVERIFY(rig.window->menuBar()->isEnabled());
    QCOMPARE(rig.find<QLineEdit>("txtrne1")->text(), QStringLiteral("0590001A"));
}

void WindowCommands::b2iWritesOnlyThePupils() {
    WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    rig.trigger("gep_b2i_m");
    const QString eleves = fileIn(rig.dir(), QStringLiteral("eleves.txt"));
    QVERIFY(!eleves.isEmpty());
    QCOMPARE(linesOf(eleves)[0], testsupport::kImportHeader);
    QVERIFY(fileIn(rig.dir(), QStringLiteral("ComptesProfsAajouter.txt")).isEmpty());
    QVERIFY(!rig.window->session().job.b2i);
}

void WindowCommands::command1RunsTheWorkerAlone() {
    WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    QTest::mouseClick(rig.find<QPushButton>("Command1"), Qt::LeftButton);
    QVERIFY(rig.prompts.calls.empty());
    QVERIFY(!fileIn(rig.dir(), QStringLiteral("ComptesAajouter.txt")).isEmpty());
}

void WindowCommands::classFilesFromTheTwoButtons() {
    WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    rig.find<QLineEdit>("txtrne1")->setText(QStringLiteral("0590001A"));
    rig.trigger("Genfich_M");
    auto* classes = rig.find<QListWidget>("classes");
    QVERIFY(classes->count() > 1);
    const QString first = classes->item(0)->text();
    classes->setCurrentRow(0);
    QTest::mouseClick(rig.find<QPushButton>("save1"), Qt::LeftButton);
    const QString firstFile = fileIn(rig.dir(), first.toLower() + QStringLiteral(".TXT"));
    QVERIFY2(!firstFile.isEmpty(), qPrintable(first));
    QVERIFY(!guitest::readBytes(firstFile).empty());
    QVERIFY(listHas(rig.find<QListWidget>("File1"), QFileInfo(firstFile).fileName()));
    QTest::mouseClick(rig.find<QPushButton>("Command3"), Qt::LeftButton);
    for (int i = 0; i < classes->count(); ++i)
        QVERIFY2(!fileIn(rig.dir(), classes->item(i)->text().toLower() + ".TXT").isEmpty(),
                 qPrintable(classes->item(i)->text()));
}

void WindowCommands::gepUpdateAsksForExportAndWritesTheChanges() {
    WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    rig.prompts.answers = {true}; // the RNE question, should it come
    const std::string exportPath = guitest::samplePath("gep/EXPORT");
    rig.prompts.files = {exportPath};
    rig.trigger("miseAjour_M");
    const auto dialogs = rig.prompts.of(DialogCall::OpenFile);
    QVERIFY(!dialogs.empty());
    QCOMPARE(dialogs[0].text, std::string("Recherche du fichier export"));
    QCOMPARE(dialogs[0].title, std::string("Fichier export(export)|export"));
    QCOMPARE(rig.find<QLabel>("placeexport")->text(), QString::fromStdString(exportPath));
    QVERIFY(rig.find<QGroupBox>("Framemsj")->isEnabled());
    QVERIFY(rig.find<QPushButton>("rechercher")->isEnabled());
    const QString modify = fileIn(rig.dir(), QStringLiteral("ComptesAmodifier.txt"));
    QVERIFY(!modify.isEmpty());
    QCOMPARE(linesOf(modify)[0], testsupport::kImportHeader);
    QVERIFY(linesOf(modify).size() > 1);
}

void WindowCommands::csvCreationAndUpdate() {
    WindowRig rig;
    guitest::copySamples("csv", rig.dir());
    rig.trigger("creercompteCSV_m");
    const QString added = fileIn(rig.dir(), QStringLiteral("ComptesAajouter.txt"));
    QVERIFY(!added.isEmpty());
    QCOMPARE(linesOf(added)[0], testsupport::kImportHeader);
    QVERIFY(linesOf(added).size() > 1);
    QVERIFY(!fileIn(rig.dir(), QStringLiteral("ComptesProfsAajouter.txt")).isEmpty());

    rig.prompts.calls.clear();
    rig.prompts.answers = {true, true, true};
    rig.prompts.files = {guitest::samplePath("csv/EXPORT")};
    rig.trigger("msjcmptcsv_m");
    QVERIFY(!fileIn(rig.dir(), QStringLiteral("ComptesAmodifier.txt")).isEmpty());
    QCOMPARE(rig.find<QLabel>("placeexport")->text(),
             QString::fromStdString(guitest::samplePath("csv/EXPORT")));
}

void WindowCommands::traineesThroughTheGroupForm() {
    WindowRig rig;
    rig.prompts.files = {guitest::samplePath("csv/stagiaires.txt")};
    bool refusedFirst = false;
    rig.formScript = [&](QDialog* form) {
        QCOMPARE(form->objectName(), QStringLiteral("saisiegroupes"));
        auto* ok = form->findChild<QPushButton*>("Command1");
        ok->click(); // no group yet: refused, the form stays
        refusedFirst = form->isVisible();
        form->findChild<QLineEdit*>("Text2")->setText(QStringLiteral("Stage 2024"));
        form->findChild<QLineEdit*>("Text1")->setText(QStringLiteral("c3A  c4B"));
        ok->click();
    };
    rig.trigger("stage_m");
    QVERIFY(refusedFirst);
    QCOMPARE(rig.formsSeen, std::vector<QString>{QStringLiteral("saisiegroupes")});
    const auto messages = rig.prompts.messageTexts();
    QVERIFY(std::find(messages.begin(), messages.end(),
                      ansi("Vous devez donner un nom de groupe Kwartz")) != messages.end());
    QVERIFY(!fileIn(rig.dir(), QStringLiteral("STAGIAIRES.CSV")).isEmpty());
    const auto lines = linesOf(fileIn(rig.dir(), QStringLiteral("ComptesAajouter.txt")));
    QVERIFY(lines.size() > 1);
    bool found = false;
    for (const auto& line : lines)
        if (line.rfind("DUPONT;CATHERINE;Stage2024;dupont.catherine;dupont.catherine;", 0) == 0) {
            found = true;
            QCOMPARE(modvesk::NthField(9, line, ";"), std::string("c3A  c4B"));
        }
    QVERIFY(found);
    QCOMPARE(rig.window->session().job.groupeStage, std::string("Stage 2024"));
}

void WindowCommands::loginRenaming() {
    WindowRig rig;
    rig.prompts.answers = {true};
    rig.prompts.files = {guitest::samplePath("csv/EXPORT")};
    rig.trigger("Modifconnex_M");
    const QString out = fileIn(rig.dir(), QStringLiteral("ComptesAmodifier.txt"));
    QVERIFY(!out.isEmpty());
    bool swapped = false;
    for (const auto& line : linesOf(out))
        if (line.find("catherine.dupont") != std::string::npos) swapped = true;
    QVERIFY(swapped);
    QVERIFY(listHas(rig.find<QListWidget>("File1"), QStringLiteral("ComptesAmodifier.txt")));
}

void WindowCommands::teacherToolsFromTheMenu() {
    WindowRig rig;
    const std::string exportPath = guitest::samplePath("gep/EXPORT");
    rig.prompts.files = {exportPath};
    rig.formScript = [](QDialog* form) {
        auto* profs = form->findChild<QListWidget*>("Listprofs");
        QVERIFY(profs->count() >= 3);
        profs->setCurrentRow(1);
        auto* groups = form->findChild<QListWidget*>("Listgroupes");
        groups->item(0)->setSelected(true);
        form->findChild<QPushButton*>("Command1")->click();
        form->findChild<QPushButton*>("Command2")->click();
    };
    rig.trigger("defrespgroupes");
    QCOMPARE(rig.formsSeen, std::vector<QString>{QStringLiteral("profsresp")});
    QVERIFY(rig.window->session().job.UpdateMode);
    QVERIFY(listHas(rig.find<QListWidget>("File1"),
                    QStringLiteral("ComptesProfsResponsablesAModifier.txt")));

    rig.prompts.files = {exportPath};
    rig.formScript = [](QDialog* form) {
        auto* profs = form->findChild<QListWidget*>("Listprofs");
        profs->item(0)->setSelected(true);
        profs->item(2)->setSelected(true);
        form->findChild<QPushButton*>("Command4")->click();
    };
    rig.trigger("supcpteProfs_m");
    QCOMPARE(
        linesOf(fileIn(rig.dir(), QStringLiteral("ComptesProfsASupprimer.txt"))),
        (std::vector<std::string>{"BERARD;sebastien;profs;berard.sebastien;berard.sebastien;;;;;;;",
                                  "FAURE;gerard;profs;faure.gerard;faure.gerard;;;;;;;"}));
}

void WindowCommands::accessExportEmptiesLstTri2AndShowsItsForm() {
    WindowRig rig;
    rig.window->session().win.LstTri2.add("x");
    rig.trigger("csvaccess_m");
    QVERIFY(rig.window->session().win.LstTri2.empty());
    QCOMPARE(rig.formsSeen, std::vector<QString>{QStringLiteral("frmaccess")});
}

void WindowCommands::cleanUpAnsweredNoKeepsFilesButEmptiesTheLists() {
    WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    rig.find<QLineEdit>("txtrne1")->setText(QStringLiteral("0590001A"));
    rig.trigger("Genfich_M");
    QVERIFY(!logText(rig).isEmpty());
    guitest::writeBytes(rig.file("later.txt"), "x");
    rig.prompts.calls.clear();
    rig.prompts.answers = {false};
    rig.trigger("Actualiser_M");
    QCOMPARE(rig.prompts.calls.size(), size_t(1));
    QCOMPARE(rig.prompts.calls[0].text,
             ansi("Cette commande supprime tous les fichiers .TXT. Voulez vous continuer?"));
    QCOMPARE(rig.prompts.calls[0].title, std::string("GEP / KWARTZ"));
    QCOMPARE(rig.prompts.calls[0].icon, modvesk::Icon::Warning);
    QVERIFY(QFile::exists(rig.file("later.txt")));
    QVERIFY(listHas(rig.find<QListWidget>("File1"), QStringLiteral("later.txt")));
    QVERIFY(logText(rig).isEmpty());
    QCOMPARE(rig.find<QListWidget>("classes")->count(), 0);
}

void WindowCommands::cleanUpAnsweredYesDeletesTextFiles() {
    WindowRig rig;
    guitest::writeBytes(rig.file("a.txt"), "x");
    guitest::writeBytes(rig.file("B.TXT"), "x");
    guitest::writeBytes(rig.file("keep.csv"), "x");
    rig.prompts.answers = {true};
    rig.trigger("Actualiser_M");
    QVERIFY(!QFile::exists(rig.file("a.txt")));
    QVERIFY(!QFile::exists(rig.file("B.TXT")));
    QVERIFY(QFile::exists(rig.file("keep.csv")));
    QCOMPARE(rig.find<QListWidget>("File1")->count(), 0);
}

void WindowCommands::cancelledExportDialogLeavesPlaceexport() {
    WindowRig rig;
    rig.window->runCommand([](modvesk::Session& s) {
        s.win.framemsjEnabled = s.win.rechercherEnabled = true;
        s.win.placeexport = "/srv/kwartz/EXPORT";
    });
    auto* rechercher = rig.find<QPushButton>("rechercher");
    QVERIFY(rechercher->isEnabled());
    QTest::mouseClick(rechercher, Qt::LeftButton);
    QCOMPARE(rig.prompts.messageTexts(),
             std::vector<std::string>{"Veuillez indiquer le chemin du fichier EXPORT."});
    QCOMPARE(rig.find<QLabel>("placeexport")->text(), QStringLiteral("/srv/kwartz/EXPORT"));
    rig.prompts.files = {"/srv/kwartz/EXPORT2"};
    QTest::mouseClick(rechercher, Qt::LeftButton);
    QCOMPARE(rig.find<QLabel>("placeexport")->text(), QStringLiteral("/srv/kwartz/EXPORT2"));
}

void WindowCommands::fileListsOpenAndRefresh() {
    WindowRig rig;
    guitest::writeBytes(rig.file("doublons.txt"), "x");
    rig.window->refreshFileLists();
    auto* file1 = rig.find<QListWidget>("File1");
    QCOMPARE(file1->count(), 1);
    const QRect itemRect = file1->visualItemRect(file1->item(0));
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, itemRect.center());
    QCOMPARE(rig.prompts.editorFiles,
             std::vector<std::string>{rig.file("doublons.txt").toStdString()});

    auto* file2 = rig.find<QListWidget>("File2");
    QCOMPARE(file2->count(), 0);
    guitest::writeBytes(rig.file("PROFS.CSV"), "x");
    file2->setFocus();
    QTest::qWait(0);
    QApplication::processEvents();
    if (!file2->hasFocus()) { // no active window on this platform: ask for the event itself
        QFocusEvent focus(QEvent::FocusIn);
        QApplication::sendEvent(file2, &focus);
    }
    QCOMPARE(guitest::listTexts(file2), QStringList{"PROFS.CSV"});
    guitest::writeBytes(rig.file("F_ELE.DBF"), "x");
    QTest::mouseClick(file2->viewport(), Qt::LeftButton, {},
                      file2->visualItemRect(file2->item(0)).center());
    QCOMPARE(guitest::listTexts(file2), (QStringList{"F_ELE.DBF", "PROFS.CSV"}));
}

void WindowCommands::quitItemsEndWithoutClosingTheRegistry() {
    WindowRig rig;
    vandrel::creationCarnet();
    vandrel::inserenom("DUPONT CATHERINE");
    QCOMPARE(vandrel::present("DUPONT CATHERINE"), vandrel::kTrue);
    rig.trigger("Quitter_M");
    rig.trigger("Quitter2_m");
    QCOMPARE(rig.quitCalls, 2);
    QCOMPARE(vandrel::present("DUPONT CATHERINE"), vandrel::kTrue);
    // Closing the window closes the registry.
    QVERIFY(rig.window->close());
    QCOMPARE(vandrel::present("DUPONT CATHERINE"), vandrel::kFalse);
}

void WindowCommands::updatePageOpensTheBrowserOrSaysItCannot() {
    WindowRig rig;
    const QString script = rig.file("navigateur");
    const QString seen = rig.file("adresse-vue");
    guitest::writeBytes(script, "#!/bin/sh\nprintf '%s' \"$1\" > '" + seen.toStdString() + "'\n");
    QFile::setPermissions(script,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("BROWSER", script.toLocal8Bit());
    rig.trigger("msj_M");
    QTRY_COMPARE(guitest::readBytes(seen), std::string("https://rolvane.fr/mise-a-jour"));
    QVERIFY(rig.prompts.calls.empty());

    qputenv("BROWSER", "");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", rig.dir().toLocal8Bit());
    rig.trigger("msj_M");
    qputenv("PATH", path);
    QCOMPARE(rig.prompts.messageTexts(),
             std::vector<std::string>{ansi("Impossible d'accéder à l'adresse ") +
                                      "https://rolvane.fr/mise-a-jour"});
}

QTEST_MAIN(WindowCommands)
#include "test_window_commands.moc"
