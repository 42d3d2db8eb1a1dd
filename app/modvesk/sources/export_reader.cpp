#include "sources/export_reader.h"

#include "clients/vandrel_client.h"
#include "text/files.h"
#include "text/source_text.h"
#include "text/text.h"

#include <algorithm>

namespace modvesk {

namespace {

// The next field of `rest` as FirstField gives it (the blanks before it left out,
// and those after it when a ";" ends it), and `rest` moved past that ";" as
// RestAfter moves it (to "" when there is none), without copying the line.
std::string_view nextField(std::string_view& rest) {
    const size_t start = rest.find_first_not_of(' ');
    rest = start == std::string_view::npos ? std::string_view() : rest.substr(start);
    const size_t end = rest.find(';');
    std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (end == std::string_view::npos) return field;
    const size_t last = field.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : field.substr(0, last + 1);
}

// The two registrations of one line of the file.
void registerLine(const std::string& line) {
    std::string_view rest = line;
    const std::string_view surname = nextField(rest);
    const std::string upperFirstName = Upper(nextField(rest));
    const std::string_view group = nextField(rest);
    const std::string_view login = nextField(rest);

    std::string key(surname);
    key += ' ';
    key += upperFirstName;
    const std::string_view shownGroup = TrimView(group);
    std::string value;
    value.reserve(shownGroup.size() + 1 + login.size());
    value.append(shownGroup).append(1, ' ').append(login);
    vandrel::inserenomancien(Upper(TrimView(key)), value);
    vandrel::inserenomancien(Upper(TrimView(surname)), upperFirstName);
}

} // namespace

void LoadExport(Session& s, const std::string& path, bool readOnly) {
    s.job.serverAccounts.clear();
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
        if (!readOnly) {
            registerLine(line);
            s.job.serverAccounts.addLine(line);
        }
        if (++lines % 1000 == 0 && s.ui) s.ui->progress(lines, 0);
    }
    s.job.serverAccounts.finish();
}

namespace {

// Ends the update before it starts, saying why in a message box and the log box.
bool refuseExport(Session& s, const std::string& text) {
    s.endEarly();
    if (s.ui) s.ui->message(text, kJobTitle, Icon::Exclamation);
    s.log(std::string(CRLF) + text);
    return false;
}

bool holdsAccountLine(LineReader& reader) {
    std::string line;
    if (!reader.next(line)) return false; // the header
    while (reader.next(line))
        if (std::count(line.begin(), line.end(), ';') >= 3) return true;
    return false;
}

// One character other than a digit, maybe followed by digits ("c", "c1").
bool initialShaped(std::string_view part) {
    return !part.empty() && part.find_first_of("0123456789") != 0 &&
           part.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

// The formats a pupil's login follows. A login is built from the surname and the
// first-name part that the line's fields 1 and 2 hold, lower-cased and joined by
// "." in the format's order; a surname may itself hold a ".", so the surname
// field lower-cased is looked for at either end of the login rather than at its
// first ".". It follows
//  - nom.prenom when it starts with the surname and a ".";
//  - initiale.nom when it ends with "." and the surname, and what comes before
//    is one character other than a digit, maybe followed by the digits of a clash
//    number ("c.dupont", "c1.dupont");
//  - prenom.nom when it ends with "." and the surname, and what comes before is
//    longer than such an initial.
// A surname equal to the first name fits both nom.prenom and prenom.nom.
void tellFormats(std::string_view surnameField, std::string_view login, ExportLogins& out) {
    const std::string surname = Lower(TrimView(surnameField));
    if (surname.empty() || login.size() < surname.size() + 2) return;
    auto fits = [&out, login](LoginFormat format) {
        const auto i = static_cast<size_t>(format);
        if (out.fitting[i]++ == 0) out.example[i] = std::string(login);
    };
    if (login.compare(0, surname.size(), surname) == 0 && login[surname.size()] == '.')
        fits(LoginFormat::NomDabord);
    const size_t dot = login.size() - surname.size() - 1;
    if (login[dot] != '.' || login.compare(dot + 1, std::string_view::npos, surname) != 0) return;
    fits(initialShaped(login.substr(0, dot)) ? LoginFormat::Abrev : LoginFormat::Entier);
}

} // namespace

bool exportFound(Session& s, const std::string& path) {
    if (FileExists(resolvePath(path))) return true;
    return refuseExport(s, ansi("Le fichier EXPORT est introuvable ou illisible : ") + path +
                               ansi(". La mise à jour n'a pas été faite."));
}

ExportLogins ReadExportLogins(const std::string& path) {
    ExportLogins out;
    LineReader reader(resolvePath(path));
    std::string line;
    if (!reader.isOpen() || !reader.next(line)) return out; // the header
    while (reader.next(line)) {
        std::string_view rest = line;
        const std::string_view surname = nextField(rest);
        nextField(rest); // the first-name part
        const std::string_view group = nextField(rest);
        const std::string login = Lower(TrimView(nextField(rest)));
        if (login.empty() || Lower(TrimView(group)) == "profs") continue;
        ++out.pupils;
        tellFormats(surname, login, out);
    }
    return out;
}

bool exportReadable(Session& s, const std::string& path) {
    return exportFound(s, path) && exportLooksRight(s, path);
}

bool exportLooksRight(Session& s, const std::string& path) {
    LineReader reader(resolvePath(path));
    if (reader.isOpen() && holdsAccountLine(reader)) return true;
    return refuseExport(s, ansi("Le fichier ") + path +
                               ansi(" ne ressemble pas à un fichier EXPORT de Kwartz. La mise à "
                                    "jour n'a pas été faite."));
}

} // namespace modvesk
