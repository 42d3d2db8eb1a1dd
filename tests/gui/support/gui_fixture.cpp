#include "gui_fixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>

#include <filesystem>

namespace guitest {

std::vector<std::string> TestPrompts::messages() const {
    std::vector<std::string> out;
    for (const auto& c : calls)
        if (c.kind == PromptCall::Message) out.push_back(c.text);
    return out;
}

std::vector<std::string> TestPrompts::questions() const {
    std::vector<std::string> out;
    for (const auto& c : calls)
        if (c.kind == PromptCall::Question) out.push_back(c.text);
    return out;
}

std::vector<PromptCall> TestPrompts::fileDialogs() const {
    std::vector<PromptCall> out;
    for (const auto& c : calls)
        if (c.kind == PromptCall::OpenFile) out.push_back(c);
    return out;
}

void TestPrompts::message(const std::string& text, const std::string& title, modvesk::Icon icon) {
    calls.push_back({PromptCall::Message, text, title, icon});
}

bool TestPrompts::question(const std::string& text, const std::string& title, modvesk::Icon icon) {
    calls.push_back({PromptCall::Question, text, title, icon});
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

std::string TestPrompts::openFile(const std::string& title, const std::string& filter,
                                  const std::string&) {
    calls.push_back({PromptCall::OpenFile, title, filter, modvesk::Icon::None});
    if (files.empty()) return "";
    std::string path = files.front();
    files.pop_front();
    return path;
}

void TestPrompts::openInEditor(const std::string& path) { editorFiles.push_back(path); }

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
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
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
