// The window "Comptes" and the dry run in the window: the table model under its
// sort-and-filter proxy on 40,000 rows, the check box "Simulation (ne rien
// écrire)" that leaves the program's folder untouched, and the login slip
// buttons beside the class list.
#include "gui_fixture.h"

#include "comptes_window.h"
#include "text/text.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

#include <map>

using guitest::WindowRig;

namespace {

namespace fs = std::filesystem;

std::map<QString, std::string> filesOf(const QString& dir) {
    std::map<QString, std::string> files;
    for (const QString& name : QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        files[name] = guitest::readBytes(QDir(dir).filePath(name));
    return files;
}

QString cell(const QAbstractItemModel* m, int row, int column) {
    return m->data(m->index(row, column)).toString();
}

// The slips of a PDF, "login password" each, in their order (pdftotext).
QStringList slipsOf(const fs::path& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-raw"), QString::fromStdString(pdf), "-"});
    p.waitForFinished();
    QStringList slips;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
        if (line.startsWith(QStringLiteral("Identifiant : "))) slips << line.mid(14);
        if (line.startsWith(QStringLiteral("Mot de passe : ")) && !slips.isEmpty())
            slips.last() += ' ' + line.mid(15);
    }
    return slips;
}

gui::ComptesWindow* shownAccounts(const gui::Vesklin& w) {
    const auto windows = w.findChildren<gui::ComptesWindow*>();
    return windows.isEmpty() ? nullptr : windows.last();
}

} // namespace

class ReviewWindow : public QObject {
    Q_OBJECT

  private slots:
    void fortyThousandRowsSortFilterAndOpenTheirLine();
    void simulationLeavesTheFolderAndShowsWhatItWouldWrite();
    void slipButtonsWriteAndOpenThePdf();
    void simulationCoversEveryControlThatWrites();
    void comptesSearchCountsCloseAndFilesThatCannotOpen();
};

void ReviewWindow::fortyThousandRowsSortFilterAndOpenTheirLine() {
    QTemporaryDir dir;
    std::string pupils = "#Nom;Pr\xE9nom;...\r\n";
    for (int i = 0; i < 40000; ++i) {
        const std::string n = std::to_string(100000 + i);
        pupils += "NOM" + n + ";P;c3a;nom" + n + ".p;nom" + n + ".p;pw" + n + ";;;;;;\r\n";
    }
    guitest::writeBytes(dir.filePath("ComptesAajouter.txt"), pupils);
    guitest::writeBytes(dir.filePath("comptesAsupprimer.txt"),
                        "C\xC9LINE;Zo\xE9;c4a;celine.zoe\r\n");
    std::vector<std::pair<fs::path, long>> opened;
    gui::ComptesWindow w(dir.path().toStdString(), false,
                         [&](const fs::path& f, long line) { opened.emplace_back(f, line); });
    w.show();
    QCOMPARE(w.model()->rowCount(), 40001);
    QVERIFY(w.findChild<QLabel*>("compteurs")
                ->text()
                .contains(QStringLiteral("création : 40000 — modification : 0 — suppression : 1")));

    // The line column sorts as a number: line 40001 first, not "9999".
    w.view()->sortByColumn(gui::AccountTableModel::kLineColumn, Qt::DescendingOrder);
    QCOMPARE(cell(w.proxy(), 0, 1), QStringLiteral("NOM139999"));
    w.view()->sortByColumn(1, Qt::AscendingOrder); // nom: "CÉLINE" before "NOM..."
    QCOMPARE(cell(w.proxy(), 0, 1), QStringLiteral("CÉLINE"));
    w.view()->scrollToBottom();
    QApplication::processEvents();

    // The search box filters on any column, without regard to case.
    w.findChild<QLineEdit*>("recherche")->setText(QStringLiteral("zoé"));
    QCOMPARE(w.proxy()->rowCount(), 1);
    w.findChild<QLineEdit*>("recherche")->setText(QStringLiteral("PW139998"));
    QCOMPARE(w.proxy()->rowCount(), 1);
    w.openRow(0); // the row shown first is the 39,999th account: line 40000
    QCOMPARE(opened.size(), size_t(1));
    QCOMPARE(opened[0].first, fs::path(dir.path().toStdString()) / "ComptesAajouter.txt");
    QCOMPARE(opened[0].second, 40000L);
}

void ReviewWindow::simulationLeavesTheFolderAndShowsWhatItWouldWrite() {
    WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    rig.find<QLineEdit>("txtrne1")->setText(QStringLiteral("0590001A"));
    const auto before = filesOf(rig.dir());
    rig.find<QCheckBox>("simulation")->setChecked(true);
    rig.trigger("Genfich_M");
    QCOMPARE(filesOf(rig.dir()), before);
    gui::ComptesWindow* simulated = shownAccounts(*rig.window);
    QVERIFY(simulated);
    QCOMPARE(simulated->model()->rowCount(), 42);
    QVERIFY(simulated->windowTitle().contains(QStringLiteral("simulation")));

    rig.find<QCheckBox>("simulation")->setChecked(false);
    rig.trigger("Genfich_M");
    auto after = filesOf(rig.dir());
    QStringList added;
    for (auto it = after.begin(); it != after.end();)
        if (before.count(it->first)) {
            ++it;
        } else {
            added << it->first;
            it = after.erase(it);
        }
    QCOMPARE(added, QStringList({"3a.TXT", "4a.TXT", "5a.TXT", "6a.TXT", "6b.TXT",
                                 "ComptesAajouter.txt", "ComptesProfsAajouter.txt", "GROUPES.TXT",
                                 "doublons.txt", "troncatures.txt", "ulis.TXT"}));
    QVERIFY(after == before); // the sources keep their bytes
    rig.find<QPushButton>("voirComptes")->click();
    gui::ComptesWindow* real = shownAccounts(*rig.window);
    QVERIFY(real && real != simulated);
    QCOMPARE(real->model()->rowCount(), 42);
    for (int r = 0; r < 42; ++r)
        QCOMPARE(cell(real->model(), r, 5), cell(simulated->model(), r, 5));
}

void ReviewWindow::slipButtonsWriteAndOpenThePdf() {
    WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    rig.find<QLineEdit>("txtrne1")->setText(QStringLiteral("0590001A"));
    std::vector<fs::path> shown;
    rig.window->setDocumentOpener([&](const fs::path& pdf) { shown.push_back(pdf); });
    rig.trigger("Genfich_M");
    auto* classes = rig.find<QListWidget>("classes");
    const auto items = classes->findItems(QStringLiteral("4A"), Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    classes->setCurrentItem(items[0]);
    rig.find<QPushButton>("fichesClasse")->click();
    rig.find<QPushButton>("fichesToutes")->click();
    const fs::path dir = rig.dir().toStdString();
    QCOMPARE(shown.size(), size_t(2));
    QCOMPARE(shown[0], dir / "fiches-4a.pdf");
    QCOMPARE(shown[1], dir / "fiches-toutes-classes.pdf");
    const QStringList fourA = {"dupont.thomas 010610",
                               "fontaine.zoe 141010",
                               "lambert.theo 020110",
                               "martin.leo 300310",
                               "petit.lucas 190210",
                               "rousseau.anais 270910",
                               "vanderstraetendelacroix.m 050810"};
    QCOMPARE(slipsOf(shown[0]), fourA);
    const QStringList all = slipsOf(shown[1]);
    QCOMPARE(all.size(), 36); // every new pupil account
    QVERIFY(all.join('|').contains(fourA.join('|')));
}

// Each control that writes, with "Simulation" ticked after a real creation (classes,
// accounts and slips to work on), its questions answered Yes and the EXPORT given:
// the folder keeps every name and byte, and the log ends saying so.
void ReviewWindow::simulationCoversEveryControlThatWrites() {
    const QStringList controls =
        QStringLiteral("gep_b2i_m Genfich_M miseAjour_M creercompteSIECLE_m msjcmptSIECLE_m "
                       "csvaccess_m creercompteCSV_m msjcmptcsv_m stage_m Modifconnex_M "
                       "defrespgroupes supcpteProfs_m Actualiser_M Command1 save1 Command3 "
                       "fichesClasse fichesToutes fichesProfs")
            .split(QChar(' '));
    for (const QString& name : controls) {
        const QByteArray control = name.toLatin1();
        WindowRig rig;
        for (const char* samples : {"csv", "siecle", "gep"})
            guitest::copySamples(samples, rig.dir());
        rig.find<QLineEdit>("txtrne1")->setText(QStringLiteral("0590001A"));
        rig.trigger("Genfich_M");
        rig.find<QListWidget>("classes")->setCurrentRow(0);
        rig.window->setDocumentOpener([](const fs::path&) {});
        // A file written again with what it held would still be a write.
        for (const auto& [name, bytes] : filesOf(rig.dir()))
            if (name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
                guitest::writeBytes(rig.file(name), bytes + "\r\n");
        const auto before = filesOf(rig.dir());
        rig.find<QCheckBox>("simulation")->setChecked(true);
        rig.prompts.defaultAnswer = true;
        rig.prompts.files = {rig.file("EXPORT").toStdString()};
        if (auto* button = rig.find<QPushButton>(control.data()))
            button->click();
        else
            rig.trigger(control.data());
        QVERIFY2(filesOf(rig.dir()) == before, control.data());
        QVERIFY2(rig.find<QPlainTextEdit>("Text1")->toPlainText().endsWith(
                     QStringLiteral("\nSimulation : rien n'a été écrit dans %1.").arg(rig.dir())),
                 control.data());
    }
}

// In "Comptes", a new account shows no old login; the search ignores accents and
// case and the counts follow it; a file that cannot be opened is said in French;
// « Fermer » closes the window.
void ReviewWindow::comptesSearchCountsCloseAndFilesThatCannotOpen() {
    WindowRig rig;
    guitest::writeBytes(rig.file("ComptesAajouter.txt"),
                        "MOREAU;H\xC9L\xC8NE;c3a;moreau.helene;moreau.helene;pw1;;;;;;\r\n"
                        "PETIT;Lucas;c4b;petit.lucas;petit.lucas;pw2;;;;;;\r\n");
    guitest::writeBytes(rig.file("ComptesAmodifier.txt"),
                        "DURAND;H\xE9l\xE8ne;c3a;h.durand;durand.helene;;;;;;;\r\n");
    QPointer<gui::ComptesWindow> w = rig.window->showAccounts();
    QCOMPARE(cell(w->model(), 0, 4), QString());
    QCOMPARE(cell(w->model(), 2, 4), QStringLiteral("h.durand"));
    for (const QString& text : {QStringLiteral("helene"), QStringLiteral("HÉLÈNE")}) {
        w->findChild<QLineEdit*>("recherche")->setText(text);
        QCOMPARE(w->proxy()->rowCount(), 2);
        QCOMPARE(w->findChild<QLabel*>("compteurs")->text(),
                 QStringLiteral("création : 1 — modification : 1 — suppression : 0 — "
                                "responsabilités : 0 — comptes affichés : 2 sur 3"));
    }
    QFile::remove(rig.file("ComptesAmodifier.txt"));
    w->openRow(1);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", rig.dir().toLocal8Bit()); // no text editor to be found
    w->openRow(0);
    qputenv("PATH", path);
    const std::string start =
        modvesk::ansi("Impossible d'ouvrir le fichier ") + rig.dir().toStdString();
    QCOMPARE(rig.prompts.messageTexts(),
             (std::vector<std::string>{
                 start + "/ComptesAmodifier.txt : il n'existe plus.",
                 start + modvesk::ansi(
                             "/ComptesAajouter.txt : aucun éditeur de texte n'a été trouvé.")}));
    w->findChild<QPushButton*>("fermer")->click();
    QTRY_VERIFY(!w || !w->isVisible());
}

QTEST_MAIN(ReviewWindow)
#include "test_review_window.moc"
