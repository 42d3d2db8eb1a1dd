#include "scripted_dialogs.h"

namespace testsupport {

std::vector<DialogCall> ScriptedDialogs::of(DialogCall::Kind kind) const {
    std::vector<DialogCall> out;
    for (const auto& c : calls)
        if (c.kind == kind) out.push_back(c);
    return out;
}

std::vector<std::string> ScriptedDialogs::messageTexts() const {
    std::vector<std::string> out;
    for (const auto& c : of(DialogCall::Message))
        out.push_back(c.text);
    return out;
}

std::vector<std::string> ScriptedDialogs::questionTexts() const {
    std::vector<std::string> out;
    for (const auto& c : of(DialogCall::Question))
        out.push_back(c.text);
    return out;
}

void ScriptedDialogs::clear() {
    calls.clear();
    attenteCalls = refreshCalls = redrawCalls = 0;
    unansweredQuestions = 0;
    progressCalls.clear();
    busyCalls.clear();
    formsShown.clear();
    editorFiles.clear();
}

void ScriptedDialogs::message(const std::string& text, const std::string& title,
                              modvesk::Icon icon) {
    calls.push_back({DialogCall::Message, text, title, icon, ""});
}

bool ScriptedDialogs::question(const std::string& text, const std::string& title,
                               modvesk::Icon icon) {
    calls.push_back({DialogCall::Question, text, title, icon, ""});
    if (answers.empty()) {
        ++unansweredQuestions;
        return defaultAnswer;
    }
    bool yes = answers.front();
    answers.pop_front();
    return yes;
}

std::string ScriptedDialogs::openFile(const std::string& title, const std::string& filter,
                                      const std::string& initialName) {
    calls.push_back({DialogCall::OpenFile, title, filter, modvesk::Icon::None, initialName});
    if (files.empty()) return "";
    std::string path = files.front();
    files.pop_front();
    return path;
}

void ScriptedDialogs::attente(long count) {
    if (count >= 0) ++attenteCalls;
}
void ScriptedDialogs::progress(long done, long total) {
    progressCalls.emplace_back(done, total);
}
void ScriptedDialogs::refreshFileLists() {
    ++refreshCalls;
}
void ScriptedDialogs::redraw() {
    ++redrawCalls;
}
void ScriptedDialogs::busy(bool on) {
    busyCalls.push_back(on);
}
void ScriptedDialogs::showForm(modvesk::Form form) {
    formsShown.push_back(form);
    if (onForm) onForm(form);
}
void ScriptedDialogs::openInEditor(const std::string& path) {
    editorFiles.push_back(path);
}

} // namespace testsupport
