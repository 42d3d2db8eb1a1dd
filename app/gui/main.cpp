// rolvane: the window program. A second start ends at once; the first instance
// keeps running untouched. "rolvane --version" and "rolvane --help" answer on the
// terminal without opening a window.
#include "french_locale.h"
#include "program_dir.h"
#include "screen_prompts.h"
#include "vesklin.h"

#include "rolvane_version.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>

namespace {

// The folder of the school's files. Installed among the system's programs (the
// install's bin folder, /usr/bin for the package), the program works in the user's
// folder even when it could write beside itself, as root can; run from elsewhere (a
// build, a copied folder), it works in its own folder when it can write there.
std::filesystem::path workingDir() {
    const QString exeDir = QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath();
    if (exeDir != QFileInfo(QStringLiteral(ROLVANE_INSTALL_BINDIR)).canonicalFilePath())
        return gui::programDir();
    return gui::chooseProgramDir(QString(),
                                 QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs("rolvane " ROLVANE_VERSION "\n", stdout);
        return 0;
    }
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs("Usage : rolvane [--help | --version]\n"
                   "Ouvre la fenêtre de Rolvane, qui travaille sur les fichiers de son dossier.\n"
                   "Voir rolvane(1) ; les mêmes tâches sans fenêtre : rolvane-batch --help\n",
                   stdout);
        return 0;
    }

    gui::SingleInstance instance(gui::defaultLockPath());
    if (!instance.acquired()) return 0;

    gui::useFrenchSystemLocale();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rolvane"));
    QApplication::setApplicationVersion(QStringLiteral(ROLVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("rolvane"));
    gui::installFrenchTexts();
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("rolvane")));

    const std::filesystem::path dir = workingDir();
    // The library writes its files into the current directory: the program's own.
    QDir::setCurrent(QString::fromStdString(dir.string()));

    gui::Vesklin window(dir);
    window.Form_Load();
    return app.exec();
}
