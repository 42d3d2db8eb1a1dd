#include "screen_prompts.h"

#include "qt_text.h"

#include "text/files.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTranslator>
#include <QUrl>

namespace gui {

namespace {

QMessageBox::Icon qtIcon(modvesk::Icon icon) {
    switch (icon) {
    case modvesk::Icon::Exclamation:
    case modvesk::Icon::Warning:
        return QMessageBox::Warning;
    case modvesk::Icon::Information:
        return QMessageBox::Information;
    case modvesk::Icon::Question:
        return QMessageBox::Question;
    case modvesk::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString boxTitle(const std::string& title) {
    return title.empty() ? QString::fromUtf8(kApplicationTitle) : toQt(title);
}

} // namespace

QStringList qtNameFilters(const std::string& filter) {
    const QStringList parts = toQt(filter).split(QChar('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QChar(';'), Qt::SkipEmptyParts)) {
            for (const QString& v : {p.trimmed(), p.trimmed().toLower(), p.trimmed().toUpper()})
                if (!patterns.contains(v)) patterns << v;
        }
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QChar(' ')));
    }
    return filters;
}

bool loadFrenchQtTexts() {
    static QTranslator* translator = nullptr;
    if (translator) return true;
    auto* candidate = new QTranslator(QCoreApplication::instance());
    if (!candidate->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete candidate;
        return false;
    }
    QCoreApplication::installTranslator(candidate);
    translator = candidate;
    return true;
}

ScreenPrompts::ScreenPrompts(QWidget* parent, QString startDir)
    : parent_(parent), startDir_(std::move(startDir)) {}

void ScreenPrompts::message(const std::string& text, const std::string& title, modvesk::Icon icon) {
    QMessageBox box(qtIcon(icon), boxTitle(title), toQt(text), QMessageBox::Ok, parent_);
    box.exec();
}

namespace {

// A Yes/No box with French buttons; true for Yes.
bool yesNoBox(QWidget* parent, const std::string& text, const std::string& title,
              modvesk::Icon icon, QMessageBox::StandardButton byDefault) {
    QMessageBox box(qtIcon(icon), boxTitle(title), toQt(text), QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
    box.setDefaultButton(byDefault);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

bool ScreenPrompts::question(const std::string& text, const std::string& title,
                             modvesk::Icon icon) {
    return yesNoBox(parent_, text, title, icon, QMessageBox::Yes);
}

bool ScreenPrompts::confirm(modvesk::Check, const std::string& text, const std::string& title,
                            modvesk::Icon icon) {
    return yesNoBox(parent_, text, title, icon, QMessageBox::No);
}

namespace {

// The file dialog: `mode` ExistingFile to read a file, AnyFile to name one that
// the job will write (a new name is then accepted, as the name typed).
std::string fileDialog(QWidget* parent, const QString& startDir, const std::string& title,
                       const std::string& filter, const std::string& initialName,
                       QFileDialog::FileMode mode) {
    QFileDialog dialog(parent, toQt(title), startDir);
    dialog.setFileMode(mode);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    const QStringList filters = qtNameFilters(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!initialName.empty()) dialog.selectFile(pathToQt(initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return "";
    return pathFromQt(dialog.selectedFiles().first());
}

} // namespace

std::string ScreenPrompts::openFile(const std::string& title, const std::string& filter,
                                    const std::string& initialName) {
    return fileDialog(parent_, startDir_, title, filter, initialName, QFileDialog::ExistingFile);
}

std::string ScreenPrompts::chooseFileToWrite(const std::string& title, const std::string& filter,
                                             const std::string& initialName) {
    return fileDialog(parent_, startDir_, title, filter, initialName, QFileDialog::AnyFile);
}

void ScreenPrompts::openInEditor(const std::string& path) {
#ifdef _WIN32
    QProcess::startDetached(QStringLiteral("notepad.exe"), {pathToQt(path)});
#else
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(pathToQt(path))))
        message(modvesk::fileText("Impossible d'ouvrir le fichier ", path,
                                  " : aucun éditeur de texte n'a été trouvé."),
                "", modvesk::Icon::Exclamation);
#endif
}

} // namespace gui
