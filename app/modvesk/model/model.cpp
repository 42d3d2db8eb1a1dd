#include "model/model.h"

#include "text/files.h"
#include "text/text.h"

namespace modvesk {

Person& JobState::person(long i) {
    if (i < 0) i = 0;
    persons.growTo(static_cast<size_t>(i) + 1);
    return persons[static_cast<size_t>(i)];
}

const Person& JobState::personAt(long i) const {
    static const Person none;
    if (i < 0) i = 0;
    return static_cast<size_t>(i) < persons.size() ? persons[static_cast<size_t>(i)] : none;
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
