// The dialogs of a batch run: every message box and question is written to
// standard error in UTF-8 ("[message] TEXT", "[question] TEXT -> Oui|Non");
// questions are answered from --yes, except the offers to look for a missing
// source file, which are always answered No; file dialogs are answered from the
// options the job registered.
#pragma once

#include "model/model.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace batch {

class BatchDialogs : public modvesk::Dialogs {
  public:
    BatchDialogs(std::ostream& err, bool yes, bool ignoreFormatCheck = false)
        : err_(err), yes_(yes), ignoreFormatCheck_(ignoreFormatCheck) {}

    // The path the open-file dialog returns when its filter's pattern (the text
    // after the last "|") equals `pattern` without regard to case. No answer: "".
    void answerFile(const std::string& pattern, const std::string& path);
    // Plays the part of the user in a modal form the job opens.
    std::function<void(modvesk::Form)> onForm;
    // Gives the paths a line names as the user gave them (a dry run's copies).
    std::function<std::string(const std::string&)> shownPaths;

    void message(const std::string& text, const std::string& title, modvesk::Icon icon) override;
    bool question(const std::string& text, const std::string& title, modvesk::Icon icon) override;
    bool confirm(modvesk::Check check, const std::string& text, const std::string& title,
                 modvesk::Icon icon) override;
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& initialName) override;
    void attente(long) override {}
    void showForm(modvesk::Form form) override;

    // A line of standard error (UTF-8 given).
    void note(const std::string& utf8Line);

  private:
    std::string shown(const std::string& utf8Line) const;
    bool answer(const std::string& text, bool yes);

    std::ostream& err_;
    bool yes_;
    bool ignoreFormatCheck_;
    std::vector<std::pair<std::string, std::string>> files_;
};

// The text on one terminal line: Windows-1252 to UTF-8, line ends as blanks.
std::string terminalLine(const std::string& ansiText);

} // namespace batch
