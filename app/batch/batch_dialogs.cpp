#include "batch_dialogs.h"

#include "text/text.h"

namespace batch {

using modvesk::ansi;
using modvesk::Lower;

std::string terminalLine(const std::string& ansiText) {
    std::string text = modvesk::ReplaceAll(ansiText, "\r\n", " ");
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return modvesk::utf8(text);
}

void BatchDialogs::answerFile(const std::string& pattern, const std::string& path) {
    files_.emplace_back(Lower(pattern), path);
}

void BatchDialogs::message(const std::string& text, const std::string&, modvesk::Icon) {
    err_ << "[message] " << shown(terminalLine(text)) << std::endl;
}

bool BatchDialogs::question(const std::string& text, const std::string&, modvesk::Icon) {
    // In batch the sources must already lie in the directory.
    const bool searchOffer =
        text.find(ansi("Voulez vous le rechercher et le copier")) != std::string::npos;
    return answer(text, yes_ && !searchOffer);
}

bool BatchDialogs::confirm(modvesk::Check check, const std::string& text, const std::string&,
                           modvesk::Icon) {
    return answer(text, check == modvesk::Check::LoginFormat && ignoreFormatCheck_);
}

bool BatchDialogs::answer(const std::string& text, bool yes) {
    err_ << "[question] " << shown(terminalLine(text)) << " -> " << (yes ? "Oui" : "Non")
         << std::endl;
    return yes;
}

std::string BatchDialogs::openFile(const std::string&, const std::string& filter,
                                   const std::string&) {
    const auto bar = filter.rfind('|');
    const std::string pattern = Lower(bar == std::string::npos ? filter : filter.substr(bar + 1));
    for (const auto& [p, path] : files_)
        if (p == pattern) return path;
    return "";
}

void BatchDialogs::showForm(modvesk::Form form) {
    if (onForm) onForm(form);
}

void BatchDialogs::note(const std::string& utf8Line) {
    err_ << shown(utf8Line) << std::endl;
}

std::string BatchDialogs::shown(const std::string& utf8Line) const {
    return shownPaths ? shownPaths(utf8Line) : utf8Line;
}

} // namespace batch
