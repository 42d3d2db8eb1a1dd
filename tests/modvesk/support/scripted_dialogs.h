// A Dialogs for tests: records every message, question and file dialog with its
// title and icon, answers questions and file dialogs from queues, and counts the
// other calls a job makes on the window.
#pragma once

#include "model/model.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct DialogCall {
    enum Kind { Message, Question, OpenFile } kind = Message;
    std::string text;  // message or question text; the title for OpenFile
    std::string title; // title of a message or question; the filter for OpenFile
    modvesk::Icon icon = modvesk::Icon::None;
    std::string initialName; // OpenFile only
};

class ScriptedDialogs : public modvesk::Dialogs {
  public:
    // Answers of the next questions (true: Yes); when empty, defaultAnswer is given
    // and unansweredQuestions counts it.
    std::deque<bool> answers;
    bool defaultAnswer = false;
    int unansweredQuestions = 0;
    // Paths the next open-file dialogs return; "" (cancelled) when empty.
    std::deque<std::string> files;
    // Called when a job shows a modal form (the test plays the form's part).
    std::function<void(modvesk::Form)> onForm;

    std::vector<DialogCall> calls; // every message, question and file dialog in order
    long attenteCalls = 0;
    long refreshCalls = 0;
    long redrawCalls = 0;
    std::vector<std::pair<long, long>> progressCalls;
    std::vector<bool> busyCalls;
    std::vector<modvesk::Form> formsShown;
    std::vector<std::string> editorFiles;

    // Queue helpers.
    ScriptedDialogs& answer(bool yes) {
        answers.push_back(yes);
        return *this;
    }
    ScriptedDialogs& chooseFile(const std::string& path) {
        files.push_back(path);
        return *this;
    }

    // The recorded calls of one kind, and their texts.
    std::vector<DialogCall> of(DialogCall::Kind kind) const;
    std::vector<std::string> messageTexts() const;
    std::vector<std::string> questionTexts() const;
    void clear();

    void message(const std::string& text, const std::string& title, modvesk::Icon icon) override;
    bool question(const std::string& text, const std::string& title, modvesk::Icon icon) override;
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& initialName) override;
    void attente(long count) override;
    void progress(long done, long total) override;
    void refreshFileLists() override;
    void redraw() override;
    void busy(bool on) override;
    void showForm(modvesk::Form form) override;
    void openInEditor(const std::string& path) override;
};

} // namespace testsupport
