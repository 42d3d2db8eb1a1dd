#include "model/model.h"

#include "text/files.h"
#include "text/text.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace modvesk {

void ClassList::assign(std::string_view text) {
    static uint64_t names = 0; // the names given to lists so far
    oldestFirst_.clear();
    listed_.clear();
    std::string_view rest = text, word;
    while (!(word = FirstWord(rest, rest)).empty()) {
        oldestFirst_.emplace_back(word);
        listed_.emplace(word);
    }
    std::reverse(oldestFirst_.begin(), oldestFirst_.end());
    name_ = ++names;
    text_ = text;
    inText_ = oldestFirst_.size();
}

void ClassList::note(const std::string& group, uint64_t* mark) {
    if (mark && *mark == name_) return;
    if (listed_.insert(group).second) oldestFirst_.push_back(group);
    if (mark) *mark = name_;
}

const std::string& ClassList::text() const {
    if (inText_ != oldestFirst_.size()) {
        text_.clear();
        for (auto c = oldestFirst_.rbegin(); c != oldestFirst_.rend(); ++c)
            text_.append(*c).append(1, ' ');
        inText_ = oldestFirst_.size();
    }
    return text_;
}

void JobState::setPerson(long i, const Person& person) {
    persons.set(static_cast<size_t>(std::max(i, 0L)), person);
}

Person JobState::personAt(long i) const {
    return persons[static_cast<size_t>(std::max(i, 0L))];
}

std::filesystem::path Session::file(const std::string& name) const {
    return resolveName(dir, name);
}

void Session::log(const std::string& text) {
    win.Text1 += text;
    if (ui) ui->redraw();
}

void Session::logLine(const std::string& text) {
    log(std::string(CRLF) + text);
}

void Session::writeFailed(const std::string& name) {
    for (const auto& n : job.writeErrors)
        if (Lower(n) == Lower(name)) return;
    job.writeErrors.push_back(name);
    logLine(fileText("Erreur : impossible d'écrire ", name));
}

void Session::sourceRead(const std::string& name, const LineReader& in) {
    if (in.isUtf8()) readingLine(fileText("", name, " lu comme texte UTF-8."));
    if (in.isAnsiDespiteMark())
        readingLine(fileText("", name, " lu comme texte Windows-1252 malgré sa marque UTF-8."));
}

void Session::readingLine(const std::string& line) {
    for (const auto& known : job.readingLines)
        if (Lower(known) == Lower(line)) return;
    job.readingLines.push_back(line);
    logLine(line);
}

bool Session::appendLine(const std::string& name, const std::string& text) {
    const bool written = job.jobFilesHeld > 0 ? job.lineFiles.append(dir, name, text)
                                              : WriteLine(true, file(name), text);
    if (!written) writeFailed(name);
    return written;
}

void Session::closeLineFiles() {
    for (const auto& name : job.lineFiles.close())
        writeFailed(name);
}

JobFiles::~JobFiles() {
    if (--s_.job.jobFilesHeld > 0) return;
    try {
        s_.closeLineFiles();
    } catch (...) {
        // Leaving by an exception already: the files are closed, the report is lost.
    }
}

} // namespace modvesk
