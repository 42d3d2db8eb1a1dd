// Test support for the window: prompts answered from queues by the scripted
// dialogs of the job tests (no dialog ever waits for a person), a program
// directory with sample files, and a main window on it whose forms are played by
// the test.
#pragma once

#include "model/model.h"
#include "scripted_dialogs.h"
#include "vesklin.h"

#include <QDialog>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace guitest {

// The source folder's sample file (samples/<relative>).
std::string samplePath(const std::string& relative);
// Copies every file of samples/<folder> into dir.
void copySamples(const std::string& folder, const QString& dir);
// The bytes of a file ("" when it cannot be read).
std::string readBytes(const QString& path);
void writeBytes(const QString& path, const std::string& bytes);
// Texts of a list widget, in order.
QStringList listTexts(const QWidget* list);

// A window on a fresh program directory with scripted dialogs. Its forms are played
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
    testsupport::ScriptedDialogs prompts;
    std::function<void(QDialog*)> formScript;
    std::vector<QString> formsSeen; // object names of the forms shown
    int quitCalls = 0;
    std::unique_ptr<gui::Vesklin> window;
};

} // namespace guitest
