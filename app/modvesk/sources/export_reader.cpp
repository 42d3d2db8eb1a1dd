#include "sources/export_reader.h"

#include "clients/vandrel_client.h"
#include "text/files.h"
#include "text/source_text.h"
#include "text/text.h"

#include <algorithm>
#include <array>

namespace modvesk {

ExportFile::ExportFile(const std::string& path) : path_(resolvePath(path)), reader_(path_) {
    std::string_view header;
    if (reader_.next(header)) lines_ = CutExportLines(reader_.rest());
}

namespace {

// The two registrations of a line in the library, built in texts kept from one
// line to the next.
class Registration {
  public:
    void add(const ExportLine& line);

  private:
    std::string key_, value_, firstName_;
};

// The name key is "SURNAME FIRSTNAME" trimmed: the trimmed parts upper-cased,
// joined by a blank when both are there. The surname is registered on its own
// with the first name as read, upper-cased.
void Registration::add(const ExportLine& line) {
    UpperInto(firstName_, line.asRead(line.firstName, 2));
    const std::string_view trimmedFirstName(firstName_.data(), line.firstName.size());
    UpperInto(key_, line.surname);
    if (!key_.empty() && !trimmedFirstName.empty()) key_.push_back(' ');
    key_.append(trimmedFirstName);
    value_.assign(line.group).append(1, ' ').append(line.asRead(line.login, 4));
    vandrel::inserenomancien(key_, value_);
    key_.resize(line.surname.size());
    vandrel::inserenomancien(key_, firstName_);
}

} // namespace

void LoadExport(Session& s, const std::string& path, bool readOnly) {
    s.job.serverAccounts.clear();
    if (path.empty() || !FileExists(resolvePath(path))) return;
    LoadExport(s, ExportFile(path), readOnly);
}

void LoadExport(Session& s, const ExportFile& file, bool readOnly) {
    s.job.serverAccounts.clear();
    if (!file.isOpen()) return;
    s.sourceRead(file.path().filename().string(), file.reader());
    Registration registration;
    long lines = 0;
    for (const ExportLine& line : file.lines()) {
        if (!readOnly) registration.add(line);
        if (++lines % 1000 == 0 && s.ui) s.ui->progress(lines, 0);
    }
    if (!readOnly) s.job.serverAccounts.load(file.lines());
}

namespace {

// Ends the update before it starts, saying why in a message box and the log box.
bool refuseExport(Session& s, const std::string& text) {
    s.endEarly();
    if (s.ui) s.ui->message(text, kJobTitle, Icon::Exclamation);
    s.logLine(text);
    return false;
}

// Whether two texts of the same length are equal once lower-cased (Windows-1252).
bool sameLower(std::string_view a, std::string_view b) {
    static const std::array<char, 256> low = [] {
        std::array<char, 256> t{};
        for (unsigned c = 0; c < 256; ++c)
            t[c] = lowerChar(static_cast<char>(c));
        return t;
    }();
    for (size_t i = 0; i < a.size(); ++i)
        if (low[static_cast<unsigned char>(a[i])] != low[static_cast<unsigned char>(b[i])])
            return false;
    return true;
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
// `surname` and `login` come trimmed, in any case: they are compared lower-cased
// in place, and the example kept is the login lower-cased.
void tellFormats(std::string_view surname, std::string_view login, ExportLogins& out) {
    if (surname.empty() || login.size() < surname.size() + 2) return;
    auto fits = [&out, login](LoginFormat format) {
        const auto i = static_cast<size_t>(format);
        if (out.fitting[i]++ == 0) out.example[i] = Lower(login);
    };
    if (sameLower(login.substr(0, surname.size()), surname) && login[surname.size()] == '.')
        fits(LoginFormat::NomDabord);
    const size_t dot = login.size() - surname.size() - 1;
    if (login[dot] != '.' || !sameLower(login.substr(dot + 1), surname)) return;
    fits(initialShaped(login.substr(0, dot)) ? LoginFormat::Abrev : LoginFormat::Entier);
}

} // namespace

bool exportFound(Session& s, const std::string& path) {
    if (FileExists(resolvePath(path))) return true;
    return refuseExport(s, fileText("Le fichier EXPORT est introuvable ou illisible : ", path,
                                    ". La mise à jour n'a pas été faite."));
}

ExportLogins ReadExportLogins(const ExportFile& file) {
    ExportLogins out;
    for (const ExportLine& line : file.lines()) {
        if (line.login.empty() || IsTeacherGroup(line.group)) continue;
        ++out.pupils;
        tellFormats(line.surname, line.login, out);
    }
    return out;
}

bool exportLooksRight(Session& s, const std::string& path) {
    return exportLooksRight(s, ExportFile(path), path);
}

bool exportLooksRight(Session& s, const ExportFile& file, const std::string& path) {
    const auto accountLine = [](const ExportLine& line) { return line.fields >= 4; };
    if (file.isOpen() && std::any_of(file.lines().begin(), file.lines().end(), accountLine))
        return true;
    return refuseExport(s, fileText("Le fichier ", path,
                                    " ne ressemble pas à un fichier EXPORT de Kwartz. La mise à "
                                    "jour n'a pas été faite."));
}

} // namespace modvesk
