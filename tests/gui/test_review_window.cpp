// The window "Comptes" and the dry run in the window: the table model under its
// sort-and-filter proxy on 40,000 rows, the check box "Simulation (ne rien
// écrire)" that leaves the program's folder untouched, and the login slip
// buttons beside the class list.
#include "gui_fixture.h"

#include "comptes_window.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
    for (const QString& name : QDir(dir).entryList(QDir::Files))
        files[name] = guitest::readBytes(QDir(dir).filePath(name));
    return files;
}

QString cell(const QAbstractItemModel* m, int row, int column) {
    return m->data(m->index(row, column)).toString();
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
    QVERIFY(filesOf(rig.dir()) != before);
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
    for (const auto& pdf : shown)
        QVERIFY(fs::file_size(pdf) > 1000);
}

QTEST_MAIN(ReviewWindow)
#include "test_review_window.moc"
