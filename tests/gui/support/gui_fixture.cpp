#include "gui_fixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>

#include <filesystem>

namespace guitest {

std::string samplePath(const std::string& relative) {
    return std::string(ROLVANE_SOURCE_DIR) + "/samples/" + relative;
}

void copySamples(const std::string& folder, const QString& dir) {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator(samplePath(folder)))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), fs::path(dir.toStdString()) / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
}

std::string readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "";
    return f.readAll().toStdString();
}

void writeBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QStringList listTexts(const QWidget* widget) {
    QStringList out;
    if (const auto* list = qobject_cast<const QListWidget*>(widget))
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
    return out;
}

WindowRig::WindowRig() {
    window = std::make_unique<gui::Vesklin>(std::filesystem::path(temp.path().toStdString()));
    window->setPrompts(&prompts);
    window->setQuitHandler([this] { ++quitCalls; });
    window->setFormDriver([this](QDialog* form) {
        formsSeen.push_back(form->objectName());
        if (formScript) formScript(form);
        if (form->isVisible()) form->reject();
    });
    window->show();
}

WindowRig::~WindowRig() {
    window.reset();
    QDir::setCurrent(QDir::tempPath());
}

void WindowRig::trigger(const char* actionName) {
    auto* action = window->findChild<QAction*>(QString::fromLatin1(actionName));
    if (action) action->trigger();
}

} // namespace guitest
