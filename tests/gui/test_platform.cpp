// The window's platform layer: pending events, the browser start, the file-dialog
// filters, the program's directory, the single instance and the progress bar.
#include "gui_fixture.h"

#include "program_dir.h"
#include "screen_prompts.h"
#include "text/text.h"
#include "update_page.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Counts the events of one type delivered to it.
class EventCounter : public QObject {
  public:
    int delivered = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            ++delivered;
            return true;
        }
        return QObject::event(e);
    }
};

} // namespace

class Platform : public QObject {
    Q_OBJECT

  private slots:
    void attenteWithMinusOneProcessesNothing();
    void attenteWithZeroProcessesOnce();
    void avantNulCutsAtTheFirstNul();
    void temporaryFolderEndsWithASeparator();
    void filtersBecomeQtNameFilters();
    void programDirIsTheExecutableFolderWhenWritable();
    void programDirFallsBackToAUserFolder();
    void aSecondInstanceIsRefused();
    void theProgramEndsSilentlyWhenAlreadyRunning();
    void progressShowsInTheStatusBarDuringAJob();
    void aFailingJobStopsWithAMessageAndTheWindowGoesOn();
    void qtDialogsSpeakFrench();
    void aSettingsCheckIsAnsweredNoByDefault();
};

void Platform::attenteWithMinusOneProcessesNothing() {
    guitest::WindowRig rig;
    QCoreApplication::processEvents();
    EventCounter counter;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    rig.window->attente(-1);
    QCOMPARE(counter.delivered, 0);
    rig.window->attente(0);
    QCOMPARE(counter.delivered, 1);
}

void Platform::attenteWithZeroProcessesOnce() {
    guitest::WindowRig rig;
    QCoreApplication::processEvents();
    EventCounter counter;
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    rig.window->attente(0);
    QCOMPARE(counter.delivered, 1);
    // Each round delivers what was posted before it: two rounds for a chain of two.
    EventCounter chained;
    QObject::connect(&chained, &QObject::objectNameChanged, &chained,
                     [&] { QCoreApplication::postEvent(&chained, new QEvent(QEvent::User)); });
    QMetaObject::invokeMethod(
        &chained, [&] { chained.setObjectName("x"); }, Qt::QueuedConnection);
    rig.window->attente(0);
    QCOMPARE(chained.delivered, 0);
    rig.window->attente(0);
    QCOMPARE(chained.delivered, 1);
}

void Platform::avantNulCutsAtTheFirstNul() {
    QCOMPARE(gui::avantNul("C:\\Temp\\"), std::string("C:\\Temp\\"));
    QCOMPARE(gui::avantNul(""), std::string());
    QCOMPARE(gui::avantNul(std::string("abc\0def\0", 8)), std::string("abc"));
    QCOMPARE(gui::avantNul(std::string("\0abc", 4)), std::string());
}

void Platform::temporaryFolderEndsWithASeparator() {
    const std::string dir = gui::repertoireTemporaire();
    QVERIFY(!dir.empty());
    QCOMPARE(dir.back(), '/');
    QVERIFY(QFileInfo(QString::fromStdString(dir)).isDir());
}

void Platform::filtersBecomeQtNameFilters() {
    QCOMPARE(gui::qtNameFilters("Fichier export(export)|export"),
             QStringList{"Fichier export(export) (export EXPORT)"});
    QCOMPARE(gui::qtNameFilters("Fichier TXT (*.TXT)|*.TXT"),
             QStringList{"Fichier TXT (*.TXT) (*.TXT *.txt)"});
    QCOMPARE(gui::qtNameFilters("Sources|*.dbf;*.CSV|Tout|*"),
             (QStringList{"Sources (*.dbf *.DBF *.CSV *.csv)", "Tout (*)"}));
    QCOMPARE(gui::qtNameFilters(""), QStringList{});
}

void Platform::programDirIsTheExecutableFolderWhenWritable() {
    QTemporaryDir exe;
    QTemporaryDir user;
    const auto chosen = gui::chooseProgramDir(exe.path(), user.filePath("rolvane"));
    QCOMPARE(QString::fromStdString(chosen.string()), exe.path());
    QVERIFY(!QFileInfo::exists(user.filePath("rolvane")));
    QCOMPARE(QDir(exe.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{});
}

void Platform::programDirFallsBackToAUserFolder() {
    QTemporaryDir user;
    // A folder that cannot take files (here: a path under a plain file).
    guitest::writeBytes(user.filePath("plain"), "x");
    const QString fallback = user.filePath("share/rolvane");
    const auto chosen = gui::chooseProgramDir(user.filePath("plain/bin"), fallback);
    QCOMPARE(QString::fromStdString(chosen.string()), fallback);
    QVERIFY(QFileInfo(fallback).isDir());
    QVERIFY(gui::isWritableDir(fallback));
}

void Platform::aSecondInstanceIsRefused() {
    QTemporaryDir dir;
    const QString lock = dir.filePath("rolvane.lock");
    auto first = std::make_unique<gui::SingleInstance>(lock);
    QVERIFY(first->acquired());
    gui::SingleInstance second(lock);
    QVERIFY(!second.acquired());
    first.reset();
    gui::SingleInstance third(lock);
    QVERIFY(third.acquired());
}

void Platform::theProgramEndsSilentlyWhenAlreadyRunning() {
    const QString program = QStringLiteral(ROLVANE_BIN_DIR "/rolvane");
    if (!QFileInfo::exists(program)) QSKIP("rolvane is not built");
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    gui::SingleInstance running(QDir(runtime.path()).filePath("rolvane.lock"));
    QVERIFY(running.acquired());
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(program, {});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardOutput(), QByteArray());
    QCOMPARE(second.readAllStandardError(), QByteArray());
}

void Platform::progressShowsInTheStatusBarDuringAJob() {
    guitest::WindowRig rig;
    auto* bar = rig.window->findChild<QProgressBar*>("progression");
    QVERIFY(bar);
    QVERIFY(!bar->isVisible());
    bool shownDuringJob = false;
    int value = -1, maximum = -1;
    rig.window->runCommand([&](modvesk::Session& s) {
        shownDuringJob = bar->isVisible();
        s.ui->progress(3, 10);
        value = bar->value();
        maximum = bar->maximum();
    });
    QVERIFY(shownDuringJob);
    QCOMPARE(value, 3);
    QCOMPARE(maximum, 10);
    QVERIFY(!bar->isVisible());
}

void Platform::aFailingJobStopsWithAMessageAndTheWindowGoesOn() {
    guitest::WindowRig rig;
    rig.window->runCommand(
        [](modvesk::Session&) { throw component::ComponentError("Table \xE9l\xE8ves illisible"); });
    QCOMPARE(rig.prompts.messageTexts(),
             std::vector<std::string>{modvesk::ansi("Le traitement s'est arrêté sur une erreur : "
                                                    "Table élèves illisible")});
    QVERIFY(rig.window->menuBar()->isEnabled());
    bool ranAgain = false;
    rig.window->runCommand([&](modvesk::Session&) { ranAgain = true; });
    QVERIFY(ranAgain);
}

void Platform::qtDialogsSpeakFrench() {
    if (!gui::loadFrenchQtTexts()) QSKIP("Qt's French translations are not installed");
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annuler"));
    QVERIFY(gui::loadFrenchQtTexts()); // a second call keeps the one translator
}

// Enter on a plain question answers Yes; on a check of the settings against the
// data (a login format, an RNE), No.
void Platform::aSettingsCheckIsAnsweredNoByDefault() {
    gui::ScreenPrompts prompts(nullptr, QDir::tempPath());
    const std::function<bool()> asks[] = {
        [&] { return prompts.question("Continuer ?", "", modvesk::Icon::None); },
        [&] {
            return prompts.confirm(modvesk::Check::Rne, "Continuer ?", "", modvesk::Icon::None);
        },
    };
    for (int i = 0; i < 2; ++i) {
        QString button;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            button = box->defaultButton()->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(asks[i](), i == 0);
        QCOMPARE(button, i == 0 ? QStringLiteral("&Oui") : QStringLiteral("&Non"));
    }
}

QTEST_MAIN(Platform)
#include "test_platform.moc"
