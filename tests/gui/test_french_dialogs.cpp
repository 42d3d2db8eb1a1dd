// Qt's own dialogs speak French on a machine whose locale is not French, and the
// program leaves that locale to the C library and to the programs it starts.
#include "french_locale.h"

#include <QApplication>
#include <QFile>
#include <QFileSystemModel>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdlib>

class FrenchDialogs : public QObject {
    Q_OBJECT

  private slots:
    void theFileDialogsListIsFrench();
    void theUsersLocaleIsLeftToOthers();
};

void FrenchDialogs::theFileDialogsListIsFrench() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("eleves")));
    QFile file(dir.filePath(QStringLiteral("EXPORT")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(776, 'x'));
    file.close();

    QFileSystemModel model; // what QFileDialog lists
    const QModelIndex root = model.setRootPath(dir.path());
    QTRY_COMPARE(model.rowCount(root), 2);
    const QModelIndex folder = model.index(dir.filePath(QStringLiteral("eleves")), 2);
    const QModelIndex size = model.index(dir.filePath(QStringLiteral("EXPORT")), 1);
    QCOMPARE(folder.data().toString(), QStringLiteral("Dossier"));
    QCOMPARE(size.data().toString(), QStringLiteral("776 octets"));
    QCOMPARE(model.headerData(3, Qt::Horizontal).toString(),
             QStringLiteral("Dernière modification"));
    QCOMPARE(QLocale::system().toString(15.37, 'f', 2), QStringLiteral("15,37"));
}

void FrenchDialogs::theUsersLocaleIsLeftToOthers() {
    QCOMPARE(qgetenv("LC_ALL"), QByteArray("C.UTF-8"));
    QCOMPARE(QByteArray(std::setlocale(LC_MESSAGES, nullptr)), QByteArray("C.UTF-8"));
}

int main(int argc, char* argv[]) {
    // A machine whose locale is not French, as the window program starts on it.
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::setenv("LANG", "C.UTF-8", 1);
    gui::useFrenchSystemLocale();
    QApplication app(argc, argv);
    if (!gui::installFrenchTexts()) qWarning("Qt's French translations are not installed");
    FrenchDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_french_dialogs.moc"
