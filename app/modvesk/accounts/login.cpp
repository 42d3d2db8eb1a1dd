#include "accounts/login.h"

#include "clients/vandrel_client.h"
#include "text/files.h"
#include "text/text.h"

#include <algorithm>
#include <array>

namespace modvesk {

namespace {

// Letters folded to a plain letter, as (letters, plain letter) rows: first the
// lower-case letters French names use, then every other accented letter of the
// code page, so that a login only ever holds plain letters.
struct FoldRow {
    const char* letters; // UTF-8 in the source, converted once
    char plain;
};
constexpr FoldRow kFoldRows[] = {
    {"ëéêè", 'e'},   {"ç", 'c'},    {"âà", 'a'},     {"ô", 'o'},     {"û", 'u'},    {"ïî", 'i'},
    {"ÀÁÂÃÄÅ", 'A'}, {"áãäå", 'a'}, {"Ç", 'C'},      {"ÈÉÊË", 'E'},  {"ÌÍÎÏ", 'I'}, {"ìí", 'i'},
    {"Ñ", 'N'},      {"ñ", 'n'},    {"ÒÓÔÕÖØ", 'O'}, {"òóõöø", 'o'}, {"ÙÚÛÜ", 'U'}, {"ùúü", 'u'},
    {"ÝŸ", 'Y'},     {"ýÿ", 'y'},   {"Š", 'S'},      {"š", 's'},     {"Ž", 'Z'},    {"ž", 'z'},
};

const std::array<char, 256>& foldTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (unsigned i = 0; i < 256; ++i)
            t[i] = static_cast<char>(i);
        for (const auto& row : kFoldRows)
            for (char c : ansi(row.letters))
                t[static_cast<unsigned char>(c)] = row.plain;
        return t;
    }();
    return table;
}

// The separators of a value become blanks first, then the value is trimmed, cased
// and loses the characters `dropped`.
std::string cleaned(const std::string& field, bool upper, std::string_view dropped) {
    const std::string blanked = BlankSeparators(field);
    std::string s = upper ? Upper(TrimView(blanked)) : Lower(TrimView(blanked));
    std::erase_if(s, [dropped](char c) { return dropped.find(c) != std::string_view::npos; });
    return s;
}

// A key as the registry compares it: up to its first NUL byte, at most 52 characters.
std::string registryView(const std::string& key) {
    return key.substr(0, std::min<size_t>(key.find('\0'), 52));
}

void appendReport(Session& s, const std::string& name, const std::string& line, long& count) {
    if (s.appendLine(name, line)) ++count;
}

// A login in lower case as the server takes it: ASCII letters, digits and "."
// only. The letters that stand for two (œ, æ, ß, þ) and ð become their plain
// spelling; anything else outside ASCII is dropped.
std::string asciiLogin(std::string_view lower) {
    static const std::array<const char*, 256> spelled = [] {
        std::array<const char*, 256> t{};
        for (const auto& [letter, plain] :
             {std::pair{"œ", "oe"}, std::pair{"æ", "ae"}, std::pair{"ß", "ss"}, std::pair{"ð", "d"},
              std::pair{"þ", "th"}})
            t[static_cast<unsigned char>(ansi(letter)[0])] = plain;
        return t;
    }();
    std::string login;
    login.reserve(lower.size());
    for (char c : lower) {
        const auto u = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.')
            login += c;
        else if (spelled[u])
            login += spelled[u];
    }
    return login;
}

} // namespace

void FoldRecord(std::string& record, RecordKind kind) {
    MapHighBytes(record.data(), record.size(), foldTable()); // only accented letters fold
    if (kind != RecordKind::GepTeacher) ReplaceChars(record, "'", " ");
    ReplaceChars(record, "\"", "");
}

RecordFolding::RecordFolding(RecordKind kind, bool fromOem) {
    for (unsigned b = 0; b < 256; ++b) {
        std::string piece(1, static_cast<char>(b));
        if (fromOem) OemToAnsiInPlace(piece.data(), 1);
        FoldRecord(piece, kind); // the fold is byte by byte: a byte gives the same alone
        if (piece.size() == 1) {
            one_[b] = piece[0];
        } else {
            other_[b] = piece;
            uneven_ += static_cast<char>(b);
        }
    }
}

// The first byte at or after `from` that gives no character or several; the size
// of the record when there is none.
size_t RecordFolding::nextUneven(std::string_view record, size_t from) const {
    size_t next = record.size();
    for (const char c : uneven_) { // one or two bytes: each looked for with memchr
        const size_t at = record.find(c, from);
        if (at < next) next = at;
    }
    return next;
}

std::string RecordFolding::cut(std::string_view record, size_t start, size_t length) const {
    std::string out;
    const size_t stop = start + length; // in the folded record
    // Runs of bytes that give one character each, and the bytes between them.
    for (size_t at = 0, folded = 0; at < record.size() && folded < stop;) {
        const size_t uneven = nextUneven(record, at);
        const size_t runEnd = folded + (uneven - at);
        if (runEnd > start)
            for (size_t f = std::max(folded, start); f < std::min(runEnd, stop); ++f)
                out += one_[static_cast<unsigned char>(record[at + (f - folded)])];
        folded = runEnd;
        at = uneven;
        if (at == record.size()) break;
        const std::string& piece = other_[static_cast<unsigned char>(record[at++])];
        for (size_t k = 0; k < piece.size(); ++k, ++folded)
            if (folded >= start && folded < stop) out += piece[k];
    }
    return out;
}

std::string CleanTeacherSurname(const std::string& field) {
    return cleaned(field, true, " '-_");
}
std::string CleanTeacherFirstName(const std::string& field) {
    return cleaned(field, false, "_-'");
}
std::string CleanPupilSurname(const std::string& field) {
    return cleaned(field, true, " _-");
}
std::string CleanPupilFirstName(const std::string& field) {
    return cleaned(field, true, "_-");
}

PupilClass CleanPupilClass(const std::string& field) {
    PupilClass c;
    c.stored = cleaned(field, false, " _-");
    c.group = GroupOfClass(c.stored);
    return c;
}

std::string GroupOfClass(const std::string& className) {
    return StartsWithDigit(className) ? "c" + className : className;
}

std::string ClassOfGroup(const std::string& group) {
    const std::string cls = Lower(Trim(group));
    if (cls.size() > 1 && cls[0] == 'c' && StartsWithDigit(cls.substr(1))) return cls.substr(1);
    return cls;
}

std::string LoginFor(LoginFormat format, const std::string& surname, const std::string& firstPart) {
    const bool surnameFirst = format == LoginFormat::NomDabord;
    std::string login;
    login.reserve(surname.size() + 1 + firstPart.size());
    login.append(surnameFirst ? surname : firstPart).append(1, '.');
    login.append(surnameFirst ? firstPart : surname);
    return asciiLogin(Lower(login));
}

LoginParts BuildLogin(Session& s, PersonKind kind, const std::string& surname,
                      const std::string& firstName, const std::string& group,
                      const KeyHeldElsewhere& heldElsewhere) {
    LoginParts r;
    std::string_view rest;
    r.firstWord = std::string(FirstWord(firstName, rest));

    long length = 1;
    if (s.win.loginFormat != LoginFormat::Abrev) {
        length = LoginMax - static_cast<long>(surname.size());
        if (length < 1) length = 1;
    }
    r.firstPart = Left(r.firstWord, length);
    r.nameKey = kind == PersonKind::Pupil ? surname + " " + r.firstPart
                                          : Trim(surname + " " + Upper(r.firstPart));

    // A teacher's renumbered key keeps the first-name part's lower case ("DUPONT c1").
    // The registry sees a key up to its first NUL byte and cut to 52 characters:
    // when the number falls outside what it sees (a key that reaches 52 characters
    // before its number, a NUL byte early in the name), no number can end the
    // clash, so the number reached is kept instead of counting for ever.
    while ((heldElsewhere && heldElsewhere(r.nameKey)) ||
           vandrel::present(r.nameKey) == vandrel::kTrue) {
        const std::string seen = registryView(r.nameKey);
        ++r.clashNumber;
        r.firstPart = Left(r.firstWord, length) + Str(r.clashNumber);
        r.nameKey = surname + " " + r.firstPart;
        if (registryView(r.nameKey) == seen) break;
    }
    if (r.clashNumber > 0) {
        const std::string shownGroup = kind == PersonKind::Pupil ? group : "";
        appendReport(s, "doublons.txt",
                     surname + " " + r.firstPart + "  ->  " + surname + "  " + firstName + "  " +
                         shownGroup,
                     s.job.bilan.doublons);
    }
    r.login = LoginFor(s.win.loginFormat, surname, r.firstPart);
    return r;
}

void ReportTruncation(Session& s, const std::string& surname, const std::string& firstPart,
                      const std::string& group) {
    if (static_cast<long>(surname.size() + firstPart.size()) <= LoginMax + 1) return;
    appendReport(s, "troncatures.txt",
                 surname + " " + firstPart + " -> troncature ->  " +
                     Left(firstPart + "." + surname, LoginMax) + "  " + group,
                 s.job.bilan.troncatures);
}

} // namespace modvesk
