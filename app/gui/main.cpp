// rolvane: the window program. A second start ends at once; the first instance
// keeps running untouched.
#include "program_dir.h"
#include "screen_prompts.h"
#include "vesklin.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char* argv[]) {
    gui::SingleInstance instance(gui::defaultLockPath());
    if (!instance.acquired()) return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("rolvane"));
    QApplication::setDesktopFileName(QStringLiteral("rolvane"));
    gui::loadFrenchQtTexts();
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("rolvane")));

    const std::filesystem::path dir = gui::programDir();
    // The library writes its files into the current directory: the program's own.
    QDir::setCurrent(QString::fromStdString(dir.string()));

    gui::Vesklin window(dir);
    window.Form_Load();
    return app.exec();
}
