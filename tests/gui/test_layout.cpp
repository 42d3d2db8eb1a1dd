// The layout: every captioned control of the window and of the forms shows its
// whole caption inside its window. With ROLVANE_SCREENSHOT_DIR set, the window
// (after a GEP run) and the forms are also saved there as PNG pictures.
#include "gui_fixture.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

// Controls whose caption would be cut: narrower than their size hint, or not
// wholly inside the top-level window.
QStringList cutControls(QWidget* top) {
    QStringList cut;
    for (QWidget* w : top->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->objectName().isEmpty()) continue;
        const bool captioned =
            qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w) ||
            (qobject_cast<QLabel*>(w) && !qobject_cast<QLabel*>(w)->wordWrap() &&
             w->objectName() != "placeexport" && w->objectName() != "repertoireProgramme");
        const QRect inTop(w->mapTo(top, QPoint(0, 0)), w->size());
        if (!top->rect().contains(inTop))
            cut << w->objectName() + " (outside)";
        else if (captioned && w->width() < w->minimumSizeHint().width())
            cut << w->objectName();
    }
    return cut;
}

void save(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("ROLVANE_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    QVERIFY(w->grab().save(QDir(dir).filePath(name + ".png")));
}

} // namespace

class Layout : public QObject {
    Q_OBJECT

  private slots:
    void mainWindowShowsEveryCaption();
    void formsShowEveryCaption();
};

void Layout::mainWindowShowsEveryCaption() {
    guitest::WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    rig.find<QLineEdit>("txtrne1")->setText(QStringLiteral("0590001A"));
    rig.window->resize(rig.window->minimumSizeHint());
    QTest::qWait(10);
    QCOMPARE(cutControls(rig.window.get()), QStringList{});
    rig.window->resize(900, 620);
    rig.trigger("Genfich_M");
    rig.find<QListWidget>("classes")->setCurrentRow(0);
    QTest::qWait(10);
    QCOMPARE(cutControls(rig.window.get()), QStringList{});
    save(rig.window.get(), "vesklin");
}

void Layout::formsShowEveryCaption() {
    guitest::WindowRig rig;
    guitest::copySamples("gep", rig.dir());
    const std::string exportPath = rig.file("EXPORT").toStdString();
    QStringList problems;
    rig.formScript = [&](QDialog* form) {
        if (auto* profs = form->findChild<QListWidget*>("Listprofs"); profs && profs->count())
            profs->setCurrentRow(0);
        if (auto* groups = form->findChild<QListWidget*>("Listgroupes"); groups && groups->count())
            groups->item(0)->setSelected(true);
        QTest::qWait(10);
        problems << cutControls(form);
        save(form, form->objectName());
    };
    rig.prompts.files = {exportPath};
    rig.trigger("defrespgroupes");
    rig.prompts.files = {exportPath};
    rig.trigger("supcpteProfs_m");
    rig.window->showForm(modvesk::Form::SaisieGroupes);
    rig.trigger("csvaccess_m");
    QCOMPARE(rig.formsSeen.size(), size_t(4));
    QCOMPARE(problems, QStringList{});
}

QTEST_MAIN(Layout)
#include "test_layout.moc"
