#include "accounts/builders.h"

#include "accounts/login.h"
#include "accounts/passwords.h"
#include "clients/vandrel_client.h"
#include "text/text.h"

#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

namespace modvesk {

namespace {

// The reason of the first required field found empty, in the order given
// ("" when none is); the reader puts it in the Bilan.
std::string firstEmpty(std::initializer_list<std::pair<const std::string*, const char*>> fields) {
    for (const auto& [value, reason] : fields)
        if (value->empty()) return ansi(reason);
    return "";
}

// Why a pupil whose required fields are all there still gets no account: a value
// too long, or a class that is the teachers' group (its accounts would be
// teachers' accounts). "" when neither.
std::string pupilRefusal(std::initializer_list<std::string_view> values, const PupilClass& cls) {
    if (TooLong(values)) return ansi("champ trop long");
    if (cls.stored == "profs") return ansi("classe réservée aux professeurs");
    return "";
}

// A password the source gives is written as it is: one that holds the separator
// of the sorted lists' entries or a control character cannot be.
bool unwritablePassword(std::string_view password) {
    for (char c : password)
        if (c == '|' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// The account the server already has for a person: "group login".
struct ServerAccount {
    std::string group, login;
};

ServerAccount splitServerAccount(const std::string& old) {
    std::string_view rest, unused;
    ServerAccount a;
    a.group = FirstWord(old, rest);
    a.login = FirstWord(rest, unused);
    return a;
}

// During an update: the server's "group login" under the key, or "n"; else "".
// A value as long as the buffer or longer reads back as empty: it is asked again
// with larger buffers, so that a long login on the server is not lost.
std::string serverAccount(const Session& s, const std::string& key) {
    if (!s.job.UpdateMode) return "";
    static std::string buffer; // one buffer for every person of the job
    std::string answer;
    for (size_t size = 64; answer.empty() && size <= (1U << 20); size *= 8) {
        buffer.assign(size, ' ');
        vandrel::presentancien(key, buffer);
        answer = Trim(buffer);
    }
    return answer;
}

// An update's search for a pupil's account when the server's accounts carry
// identifiers (identity mode): by his identifier first, then by his name key when
// that account carries no other identifier; no account is given twice. Off, the
// search is the library's, by name key alone.
class IdentitySearch {
  public:
    IdentitySearch(Session& s, const std::string& identifier)
        : s_(s), id_(identifier),
          on_(s.job.UpdateMode && s.win.version3 && s.job.serverAccounts.identityMode()) {}
    bool on() const { return on_; }

    // For the clash numbering: a key whose account carries another identifier is
    // someone else's. The first key asked is the pupil's own name.
    KeyHeldElsewhere heldElsewhere() {
        if (!on_) return {};
        return [this](const std::string& key) {
            const ExportAccount* other = s_.job.serverAccounts.heldByAnother(key, id_);
            if (!asked_) firstOther_ = other;
            asked_ = true;
            return other != nullptr;
        };
    }

    // "group login" of the account found, taken for this pupil, or "n".
    std::string account(const std::string& nameKey, const std::string& newName) {
        ServerAccounts& sa = s_.job.serverAccounts;
        std::optional<size_t> found = id_.empty() ? std::nullopt : sa.byIdentifier(id_);
        const bool byIdentifier = found.has_value();
        if (!found) found = byName(nameKey);
        Bilan& b = s_.job.bilan;
        if (!found) {
            if (firstOther_)
                b.nameRefused.push_back(
                    {id_, newName, firstOther_->login, firstOther_->identifier});
            return "n";
        }
        sa.take(*found);
        const ExportAccount& a = sa.at(*found);
        if (byIdentifier && a.key != nameKey)
            b.recognised.push_back({id_, a.surname + " " + a.firstName, newName, a.login});
        return a.group + " " + a.login;
    }

  private:
    std::optional<size_t> byName(const std::string& nameKey) const {
        const ServerAccounts& sa = s_.job.serverAccounts;
        const std::optional<size_t> i = sa.byKey(nameKey);
        if (!i || sa.taken(*i)) return std::nullopt;
        const ExportAccount& a = sa.at(*i);
        if (a.teacher || !(a.identifier.empty() || a.identifier == id_)) return std::nullopt;
        return i;
    }

    Session& s_;
    const std::string& id_;
    bool on_;
    bool asked_ = false;
    const ExportAccount* firstOther_ = nullptr;
};

bool isNewAccount(const Session& s, const std::string& old) {
    return !s.job.UpdateMode || old == "n";
}

std::string kwartzSuffix(const Session& s) {
    return s.win.kwartz17 ? s.job.kwartzSuffix : "";
}

std::string commaForm(const std::string& surname, const std::string& firstPart,
                      const std::string& group, const std::string& password) {
    return surname + "," + firstPart + "," + group + "," + password;
}

// The fields joined by ";", then the pieces of the tail as they are, in one string
// made at its full size.
std::string joinFields(std::initializer_list<std::string_view> fields,
                       std::initializer_list<std::string_view> tail = {}) {
    size_t size = fields.size();
    for (const auto f : fields)
        size += f.size();
    for (const auto t : tail)
        size += t.size();
    std::string out;
    out.reserve(size);
    bool first = true;
    for (const auto f : fields) {
        if (!first) out += ';';
        out += f;
        first = false;
    }
    for (const auto t : tail)
        out += t;
    return out;
}

void storePerson(Session& s, long index, const std::string& surname, const std::string& firstName,
                 const std::string& password, const LoginParts& lp, const std::string& text) {
    Person& p = s.job.person(index);
    p.surname = surname;
    p.firstName = firstName;
    p.password = password;
    p.firstWord = lp.firstWord;
    p.firstPart = lp.firstPart;
    p.text = text;
    s.job.nameKey(index) = lp.nameKey;
}

// The steps every builder ends with: register the key, file the entry (unless
// there is none; it is moved into its list), advance the index, report a long login.
void finishPerson(Session& s, const LoginParts& lp, std::string* entry, const std::string& old,
                  long& index, const std::string& surname, const std::string& reportGroup) {
    vandrel::inserenom(lp.nameKey);
    if (entry) (old == "n" ? s.win.lstTri : s.win.LstTri2).add(std::move(*entry));
    ++index;
    ReportTruncation(s, surname, lp.firstPart, reportGroup);
}

} // namespace

bool TooLong(std::initializer_list<std::string_view> values) {
    for (const auto v : values)
        if (v.size() > kLongestValue) return true;
    return false;
}

// The classes listed are known by a set, which is read again from the list when
// the list was changed elsewhere (emptied by a job's start).
void NoteClass(Session& s, const std::string& group) {
    JobState& j = s.job;
    if (j.classListKnownLength != j.classList.size()) {
        j.classListKnown.clear();
        std::string_view rest = j.classList, word;
        while (!(word = FirstWord(rest, rest)).empty())
            j.classListKnown.emplace(word);
    }
    if (j.classListKnown.insert(group).second) j.classList = group + " " + j.classList;
    j.classListKnownLength = j.classList.size();
}

std::string GepField(const FieldTable& table, Family family, const std::string& record, long k) {
    if (k < 1 || static_cast<size_t>(k) >= table.size()) return "";
    const long before = table[static_cast<size_t>(k - 1)][family].end;
    const long start = before + (family == Pupils ? 1 : 2);
    return Mid(record, start, table[static_cast<size_t>(k)][family].width);
}

namespace {

// A pupil's field k cut from his record through the folding: what GepField gives
// on the record once folded whole.
std::string foldedPupilField(const FieldTable& table, const RecordFolding& folding,
                             std::string_view record, long k) {
    if (k < 1 || static_cast<size_t>(k) >= table.size()) return "";
    const long before = table[static_cast<size_t>(k - 1)][Pupils].end;
    const long width = table[static_cast<size_t>(k)][Pupils].width;
    if (width <= 0) return "";
    return folding.cut(record, static_cast<size_t>(before), static_cast<size_t>(width));
}

BuildOutcome buildGepPupil(Session& s, std::string_view record, long& index,
                           const RecordFolding& folding) {
    auto field = [&](long k) { return foldedPupilField(s.job.fieldTable, folding, record, k); };
    return BuildPupilFromFields(s, {field(1), field(2), field(3), field(5), field(40)}, index);
}

} // namespace

BuildOutcome BuildGepPupil(Session& s, std::string& record, long& index) {
    static const RecordFolding folding(RecordKind::GepPupil, false);
    return buildGepPupil(s, record, index, folding);
}

BuildOutcome BuildGepPupilFromOem(Session& s, std::string& record, long& index) {
    static const RecordFolding folding(RecordKind::GepPupil, true);
    return buildGepPupil(s, record, index, folding);
}

BuildOutcome BuildPupilFromFields(Session& s, const PupilFields& fields, long& index) {
    const std::string identifier = Trim(BlankSeparators(fields.identifier));
    const std::string surname = CleanPupilSurname(fields.surname);
    const std::string firstName = CleanPupilFirstName(fields.firstName);
    const std::string date = Trim(BlankSeparators(fields.birthDate));
    const PupilClass cls = CleanPupilClass(fields.className);
    std::string reason = firstEmpty({{&surname, "nom vide"},
                                     {&firstName, "prénom vide"},
                                     {&date, "date de naissance vide"},
                                     {&cls.group, "classe vide"}});
    if (reason.empty())
        reason = pupilRefusal({identifier, surname, firstName, date, cls.group}, cls);
    if (!reason.empty()) return BuildOutcome::none(std::move(reason));

    NoteClass(s, cls.group);
    IdentitySearch search(s, identifier);
    const LoginParts lp =
        BuildLogin(s, PersonKind::Pupil, surname, firstName, cls.group, search.heldElsewhere());
    std::string old, entry;
    if (s.win.version3) {
        s.job.kwartzSuffix = ";;" + identifier + ";;";
        old = search.on() ? search.account(lp.nameKey, surname + " " + firstName)
                          : serverAccount(s, lp.nameKey);
    }
    const std::string password = InitialPassword(
        s, isNewAccount(s, old), Mid(date, 7, 2) + Mid(date, 5, 2) + Mid(date, 3, 2));
    storePerson(s, index, surname, firstName, password, lp, cls.stored);

    if (!s.win.version3) {
        entry = commaForm(surname, lp.firstPart, cls.group, password);
    } else {
        const std::string suffix = kwartzSuffix(s);
        const std::initializer_list<std::string_view> tail = {suffix,    "|",   surname, " ",
                                                              firstName, " ; ", lp.login};
        if (isNewAccount(s, old)) {
            entry = joinFields({surname, lp.firstPart, cls.group, lp.login, lp.login, password, "",
                                "", "", "", "", ""},
                               tail);
        } else {
            const ServerAccount a = splitServerAccount(old);
            entry = joinFields(
                {surname, lp.firstPart, cls.group, a.login, a.login, "", "", "", "", "", "", ""},
                tail);
        }
    }
    finishPerson(s, lp, &entry, old, index, surname, cls.group);
    return BuildOutcome::made();
}

BuildOutcome BuildGepTeacher(Session& s, std::string& record, long& index) {
    FoldRecord(record, RecordKind::GepTeacher);
    auto field = [&](long k) { return GepField(s.job.fieldTable, Teachers, record, k); };
    const std::string identifier = Trim(BlankSeparators(field(2)));
    // A teacher no longer in service gets no account, and that is no fault of the row.
    if (!Trim(s.win.txtrne1).empty() && vandrel::presentID(identifier) != vandrel::kTrue)
        return BuildOutcome::none("");
    const std::string staffNumber = Trim(BlankSeparators(field(3)));
    const std::string surname = CleanTeacherSurname(field(4));
    const std::string firstName = CleanTeacherFirstName(field(5));
    std::string reason = firstEmpty({{&surname, "nom vide"},
                                     {&firstName, "prénom vide"},
                                     {&staffNumber, "numéro d'identification vide"}});
    if (reason.empty() && TooLong({identifier, staffNumber, surname, firstName}))
        reason = ansi("champ trop long");
    if (!reason.empty()) return BuildOutcome::none(std::move(reason));
    return BuildTeacherFromFields(s, {identifier, surname, firstName, Right(Upper(staffNumber), 7)},
                                  index);
}

BuildOutcome BuildTeacherFromFields(Session& s, const TeacherFields& fields, long& index) {
    const std::string& identifier = fields.identifier;
    const std::string& surname = fields.surname;
    const std::string& firstName = fields.firstName;
    std::string groups = vandrel::blanks(5000);
    vandrel::genereGroupes(identifier, groups);
    groups = Trim(groups);
    const LoginParts lp = BuildLogin(s, PersonKind::Teacher, surname, firstName, "");
    std::string old, entry;
    if (s.win.version3) {
        s.job.kwartzSuffix = ";;;;";
        old = serverAccount(s, Upper(lp.nameKey));
    }
    const std::string password = InitialPassword(s, isNewAccount(s, old), fields.password);
    storePerson(s, index, surname, firstName, password, lp, "profs");

    if (!s.win.version3) {
        entry = commaForm(surname, lp.firstPart, "profs", password);
    } else {
        const std::string suffix = kwartzSuffix(s);
        const std::initializer_list<std::string_view> tail = {suffix,    "|",   surname, " ",
                                                              firstName, " ; ", lp.login};
        if (isNewAccount(s, old)) {
            entry = joinFields({surname, lp.firstPart, "profs", lp.login, lp.login, password, "",
                                "", groups, "", "", lp.login},
                               tail);
        } else {
            const ServerAccount a = splitServerAccount(old);
            entry = joinFields({surname, lp.firstPart, a.group, a.login, lp.login, "", "", "",
                                groups, "", "", lp.login},
                               tail);
        }
    }
    finishPerson(s, lp, &entry, old, index, surname, "profs");
    return BuildOutcome::made();
}

BuildOutcome BuildCsvPupil(Session& s, std::string& line, long& index) {
    FoldRecord(line, RecordKind::CsvPupil);
    const std::string surname = CleanPupilSurname(NthField(1, line, ";"));
    const std::string firstName = CleanPupilFirstName(NthField(2, line, ";"));
    const PupilClass cls = CleanPupilClass(NthField(3, line, ";"));
    std::string dateField = BlankSeparators(NthField(4, line, ";"));
    const std::string date = Trim(FirstField(dateField, " "));
    std::string reason = firstEmpty({{&surname, "nom vide"},
                                     {&firstName, "prénom vide"},
                                     {&cls.group, "classe vide"},
                                     {&date, "date de naissance vide"}});
    if (reason.empty()) reason = pupilRefusal({surname, firstName, date, cls.group}, cls);
    if (!reason.empty()) return BuildOutcome::none(std::move(reason));

    NoteClass(s, cls.group);
    const bool swap = s.win.chkinvdate;
    const LoginParts lp = BuildLogin(s, PersonKind::Pupil, surname, firstName, cls.group);
    std::string old, entry;
    if (s.win.version3) old = serverAccount(s, lp.nameKey);
    const std::string password =
        InitialPassword(s, isNewAccount(s, old),
                        NthField(swap ? 2 : 1, date, "/") + NthField(swap ? 1 : 2, date, "/") +
                            NthField(3, date, "/"));
    storePerson(s, index, surname, firstName, password, lp, cls.stored);

    bool filed = true;
    if (!s.win.version3) {
        entry = commaForm(surname, lp.firstPart, cls.group, password);
    } else {
        if (isNewAccount(s, old)) {
            entry = joinFields({surname, lp.firstPart, cls.group, lp.login, lp.login, password, "",
                                "", "", "", "", ""});
        } else {
            std::string oldGroup = old;
            if (Lower(FirstField(oldGroup, " ")) == "profs") {
                filed = false;
                if (s.ui)
                    s.ui->message(ansi("Le compte élève ") + surname + " " + lp.firstPart +
                                  ansi(" n'est pas créé car il existe un compte professeur sous le "
                                       "même identifiant."));
            }
            const ServerAccount a = splitServerAccount(old);
            entry = joinFields(
                {surname, lp.firstPart, cls.group, a.login, a.login, "", "", "", "", "", "", ""});
        }
    }
    finishPerson(s, lp, filed ? &entry : nullptr, old, index, surname, cls.group);
    return BuildOutcome::made();
}

BuildOutcome BuildCsvTeacher(Session& s, std::string& line, long& index) {
    FoldRecord(line, RecordKind::CsvTeacher);
    const std::string surname = CleanTeacherSurname(NthField(1, line, ";"));
    const std::string firstName = CleanTeacherFirstName(NthField(2, line, ";"));
    const std::string password = Lower(Trim(NthField(4, line, ";")));
    std::string reason = firstEmpty(
        {{&surname, "nom vide"}, {&firstName, "prénom vide"}, {&password, "mot de passe vide"}});
    if (reason.empty() && TooLong({surname, firstName, password})) reason = ansi("champ trop long");
    if (reason.empty() && unwritablePassword(password))
        reason = ansi("mot de passe avec un caractère interdit");
    if (!reason.empty()) return BuildOutcome::none(std::move(reason));

    const LoginParts lp = BuildLogin(s, PersonKind::Teacher, surname, firstName, "");
    storePerson(s, index, surname, firstName, password, lp, "profs");

    std::string old, entry;
    if (!s.win.version3) {
        entry = commaForm(surname, lp.firstPart, "profs", password);
    } else {
        s.job.kwartzSuffix = ";;;;";
        // The server's keys are upper case; a renumbered teacher's key ("DUPONT c1")
        // is only found upper-cased, as for GEP teachers.
        old = serverAccount(s, Upper(lp.nameKey));
        const std::string suffix = kwartzSuffix(s);
        if (isNewAccount(s, old)) {
            entry = joinFields({surname, lp.firstPart, "profs", lp.login, lp.login, password, "",
                                "", "", "", "", ""},
                               {suffix});
        } else {
            const ServerAccount a = splitServerAccount(old);
            entry = joinFields(
                {surname, lp.firstPart, a.group, a.login, lp.login, "", "", "", "", "", "", ""},
                {suffix});
        }
    }
    finishPerson(s, lp, &entry, old, index, surname, "profs");
    return BuildOutcome::made();
}

std::string CleanStructureCode(const std::string& code) {
    std::string folded = BlankSeparators(code);
    FoldRecord(folded, RecordKind::GepPupil);
    std::string out;
    for (char c : Upper(Trim(folded)))
        if (c != ' ' && c != '_' && c != '-' && c != '\t') out += c;
    return out;
}

} // namespace modvesk
