#include "export_reader.h"

#include "files.h"
#include "jobs.h"
#include "source_text.h"
#include "text.h"
#include "vandrel_client.h"

namespace modvesk {

namespace {

// The two registrations of one line of the file.
void registerLine(const std::string& line) {
    std::string rest = line;
    const std::string surname = FirstField(rest, ";");
    rest = RestAfter(rest, ";");
    const std::string firstName = FirstField(rest, ";");
    rest = RestAfter(rest, ";");
    const std::string group = FirstField(rest, ";");
    rest = RestAfter(rest, ";");
    const std::string login = FirstField(rest, ";");

    vandrel::inserenomancien(Upper(Trim(surname + " " + Upper(firstName))),
                             Trim(group) + " " + login);
    vandrel::inserenomancien(Upper(Trim(surname)), Upper(firstName));
}

} // namespace

void LoadExport(Session& s, const std::string& path, bool readOnly) {
    if (path.empty()) return;
    const fs::path file = resolvePath(path);
    if (!FileExists(file)) return;
    LineReader reader(file);
    if (!reader.isOpen()) return;
    if (reader.isUtf8()) s.readAsUtf8(file.filename().string());
    std::string line;
    if (!reader.next(line)) return; // the header
    long lines = 0;
    while (reader.next(line)) {
        if (!readOnly) registerLine(line);
        if (++lines % 1000 == 0 && s.ui) s.ui->progress(lines, 0);
    }
}

bool exportReadable(Session& s, const std::string& path) {
    if (FileExists(resolvePath(path))) return true;
    const std::string text = ansi("Le fichier EXPORT est introuvable ou illisible : ") + path +
                             ansi(". La mise à jour n'a pas été faite.");
    s.endEarly();
    if (s.ui) s.ui->message(text, kJobTitle, Icon::Exclamation);
    s.log(std::string(CRLF) + text);
    return false;
}

} // namespace modvesk
