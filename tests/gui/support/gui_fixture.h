// Test support for the window: prompts answered from queues (no dialog ever
// waits for a person), a program directory with sample files, and a main window
// on it whose forms are played by the test.
#pragma once

#include "model.h"
#include "vesklin.h"

#include <QDialog>
#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace guitest {

struct PromptCall {
    enum Kind { Message, Question, OpenFile } kind = Message;
    std::string text;    // message or question; the dialog title for OpenFile
    std::string title;   // box title; the filter for OpenFile
    modvesk::Icon icon = modvesk::Icon::None;
};

class TestPrompts : public modvesk::Dialogs {
public:
    std::deque<bool> answers;          // next questions (empty: No)
    std::deque<std::string> files;     // next file dialogs (empty: cancelled)
    std::vector<PromptCall> calls;
    std::vector<std::string> editorFiles;

    std::vector<std::string> messages() const;
    std::vector<std::string> questions() const;
    std::vector<PromptCall> fileDialogs() const;

    void message(const std::string& text, const std::string& title,
                 modvesk::Icon icon) override;
    bool question(const std::string& text, const std::string& title,
                  modvesk::Icon icon) override;
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& initialName) override;
    void attente(long) override {}
    void openInEditor(const std::string& path) override;
};

// The source folder's sample file (samples/<relative>).
std::string samplePath(const std::string& relative);
// Copies every file of samples/<folder> into dir.
void copySamples(const std::string& folder, const QString& dir);
// The bytes of a file ("" when it cannot be read).
std::string readBytes(const QString& path);
void writeBytes(const QString& path, const std::string& bytes);
// Texts of a list widget, in order.
QStringList listTexts(const QWidget* list);

// A window on a fresh program directory with TestPrompts. Its forms are played
// by `formScript`; a form the script leaves open is closed with reject().
class WindowRig {
public:
    WindowRig();
    ~WindowRig();
    QString dir() const { return temp.path(); }
    QString file(const QString& name) const { return temp.filePath(name); }
    template <class T> T* find(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    // Triggers a menu item by its object name.
    void trigger(const char* actionName);

    QTemporaryDir temp;
    TestPrompts prompts;
    std::function<void(QDialog*)> formScript;
    std::vector<QString> formsSeen;     // object names of the forms shown
    int quitCalls = 0;
    std::unique_ptr<gui::Vesklin> window;
};

} // namespace guitest
