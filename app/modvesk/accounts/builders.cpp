#include "accounts/builders.h"

#include "accounts/login.h"
#include "accounts/passwords.h"
#include "clients/vandrel_client.h"
#include "text/text.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

namespace modvesk {

namespace {

// The reason of the first required field found empty, in the order given
// ("" when none is); the reader puts it in the Bilan.
std::string firstEmpty(std::initializer_list<std::pair<std::string_view, const char*>> fields) {
    for (const auto& [value, reason] : fields)
        if (value.empty()) return ansi(reason);
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

// The account the server already has for a person: "group login", as views into
// the answer.
struct ServerAccount {
    std::string_view group, login;
};

ServerAccount splitServerAccount(std::string_view old) {
    std::string_view rest, unused;
    ServerAccount a;
    a.group = FirstWord(old, rest);
    a.login = FirstWord(rest, unused);
    return a;
}

// During an update: the server's "group login" under the key, or "n"; else "".
// A value as long as the buffer or longer reads back as empty: it is asked again
// with larger buffers, so that a long login on the server is not lost. The answer
// is a view into one buffer kept for every person of the job: it holds until the
// next person's question. Only the bytes the last answer took are blanked again
// before a question in a buffer of the same size: the rest is still blank.
std::string_view serverAccount(const Session& s, const std::string& key) {
    if (!s.job.UpdateMode) return {};
    static std::string buffer;
    static size_t written = 0; // the bytes of buffer that may hold no blank
    for (size_t size = 64; size <= (1U << 20); size *= 8) {
        if (buffer.size() == size)
            std::fill_n(buffer.begin(), written, ' ');
        else
            buffer.assign(size, ' ');
        written = size;
        vandrel::presentancien(key, buffer);
        const std::string_view answer = TrimView(buffer);
        written = static_cast<size_t>(answer.data() - buffer.data()) + answer.size();
        if (!answer.empty()) return answer;
    }
    return {};
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
    KeyHeldElsewhere heldElsewhere() { return on_ ? KeyHeldElsewhere(*this) : KeyHeldElsewhere(); }
    bool operator()(const std::string& key) {
        const ExportAccount* other = s_.job.serverAccounts.heldByAnother(key, id_);
        if (!asked_) firstOther_ = other;
        asked_ = true;
        return other != nullptr;
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

bool isNewAccount(const Session& s, std::string_view old) {
    return !s.job.UpdateMode || old == "n";
}

std::string_view kwartzSuffix(const Session& s) {
    return s.win.kwartz17 ? std::string_view(s.job.kwartzSuffix) : std::string_view();
}

std::string commaForm(const std::string& surname, const std::string& firstPart,
                      const std::string& group, const std::string& password) {
    return surname + "," + firstPart + "," + group + "," + password;
}

// The list a person's entry is filed in: that of the accounts to add when the
// server has none under his key, that of the accounts to change otherwise (and
// for every entry outside an update).
SortedList& entryList(Session& s, std::string_view old) {
    return old == "n" ? s.win.lstTri : s.win.LstTri2;
}

// What the person table keeps of a person once his entry is built, and his login parts.
struct PersonParts {
    std::string surname{}, firstName{}, password{};
    LoginParts lp{};
    std::string text{}; // a pupil's class as cleaned, "profs" for a teacher
};

// The steps every builder ends with, its entry filed: register the key, report
// a long login, move the person's parts into the person table at `index` and
// advance the index.
void finishPerson(Session& s, PersonParts&& p, long& index, const std::string& reportGroup) {
    vandrel::inserenom(p.lp.nameKey);
    ReportTruncation(s, p.surname, p.lp.firstPart, reportGroup);
    s.job.setPerson(index, {p.surname, p.password, p.firstName, p.text});
    ++index;
}

} // namespace

bool TooLong(std::initializer_list<std::string_view> values) {
    for (const auto v : values)
        if (v.size() > kLongestValue) return true;
    return false;
}

void NoteClass(Session& s, const std::string& group, uint64_t* notedIn) {
    s.job.classList.note(group, notedIn);
}

namespace {

// GepField as a view into the record.
std::string_view gepField(const FieldTable& table, Family family, std::string_view record, long k) {
    if (k < 1 || static_cast<size_t>(k) >= table.size()) return {};
    const long before = table[static_cast<size_t>(k - 1)][family].end;
    const long start = before + (family == Pupils ? 1 : 2);
    return MidView(record, start, table[static_cast<size_t>(k)][family].width);
}

// A pupil's fields as views: those of PupilFields, or those of a GEP record.
struct PupilViews {
    std::string_view identifier, surname, firstName, birthDate, className;
};
BuildOutcome buildPupil(Session& s, const PupilViews& fields, long& index);

// A pupil's field k of his record once folded whole; "" when the field has no width.
std::string_view pupilField(const FieldTable& table, std::string_view folded, long k) {
    const bool wide = k >= 1 && static_cast<size_t>(k) < table.size() &&
                      table[static_cast<size_t>(k)][Pupils].width > 0;
    return wide ? gepField(table, Pupils, folded, k) : std::string_view();
}

BuildOutcome buildGepPupil(Session& s, std::string_view record, long& index,
                           const RecordFolding& folding) {
    static std::string room; // one buffer for every record of the job
    const std::string_view folded = folding.fold(record, room);
    auto field = [&](long k) { return pupilField(s.job.fieldTable, folded, k); };
    return buildPupil(s, {field(1), field(2), field(3), field(5), field(40)}, index);
}

} // namespace

std::string_view GepField(const FieldTable& table, Family family, std::string_view record, long k) {
    return gepField(table, family, record, k);
}

BuildOutcome BuildGepPupil(Session& s, std::string& record, long& index) {
    static const RecordFolding folding(RecordKind::GepPupil, false);
    return buildGepPupil(s, record, index, folding);
}

BuildOutcome BuildGepPupilFromOem(Session& s, std::string& record, long& index) {
    static const RecordFolding folding(RecordKind::GepPupil, true);
    return buildGepPupil(s, record, index, folding);
}

BuildOutcome BuildPupilFromFields(Session& s, const PupilFields& fields, long& index) {
    return buildPupil(
        s,
        {fields.identifier, fields.surname, fields.firstName, fields.birthDate, fields.className},
        index);
}

namespace {

// The password a birth date AAAAMMJJ gives: JJMMAA.
std::string datePassword(std::string_view date) {
    std::string password;
    password.reserve(6);
    password.append(MidView(date, 7, 2)).append(MidView(date, 5, 2)).append(MidView(date, 3, 2));
    return password;
}

BuildOutcome buildPupil(Session& s, const PupilViews& fields, long& index) {
    const std::string identifier = CleanValue(fields.identifier);
    PersonParts p{CleanPupilSurname(fields.surname), CleanPupilFirstName(fields.firstName)};
    const std::string date = CleanValue(fields.birthDate);
    KnownClass& known = KnownPupilClass(fields.className); // held to the end of the build
    const PupilClass& cls = known.cls;
    std::string reason = firstEmpty({{p.surname, "nom vide"},
                                     {p.firstName, "prénom vide"},
                                     {date, "date de naissance vide"},
                                     {cls.group, "classe vide"}});
    if (reason.empty())
        reason = pupilRefusal({identifier, p.surname, p.firstName, date, cls.group}, cls);
    if (!reason.empty()) return BuildOutcome::none(std::move(reason));

    NoteClass(s, cls.group, &known.notedIn);
    IdentitySearch search(s, identifier);
    p.lp =
        BuildLogin(s, PersonKind::Pupil, p.surname, p.firstName, cls.group, search.heldElsewhere());
    const LoginParts& lp = p.lp;
    std::string taken; // the account the identity search gave
    std::string_view old;
    if (s.win.version3) {
        s.job.kwartzSuffix.assign(";;").append(identifier).append(";;");
        if (search.on())
            old = taken = search.account(lp.nameKey, p.surname + " " + p.firstName);
        else
            old = serverAccount(s, lp.nameKey);
    }
    p.password = InitialPassword(s, isNewAccount(s, old), datePassword(date));

    if (!s.win.version3) {
        entryList(s, old).add(commaForm(p.surname, lp.firstPart, cls.group, p.password));
    } else {
        const std::initializer_list<std::string_view> tail = {
            kwartzSuffix(s), "|", p.surname, " ", p.firstName, " ; ", lp.login};
        if (isNewAccount(s, old)) {
            entryList(s, old).addJoined({p.surname, lp.firstPart, cls.group, lp.login, lp.login,
                                         p.password, "", "", "", "", "", ""},
                                        tail);
        } else {
            const ServerAccount a = splitServerAccount(old);
            entryList(s, old).addJoined(
                {p.surname, lp.firstPart, cls.group, a.login, a.login, "", "", "", "", "", "", ""},
                tail);
        }
    }
    p.text = cls.stored;
    finishPerson(s, std::move(p), index, cls.group);
    return BuildOutcome::made();
}

} // namespace

BuildOutcome BuildGepTeacher(Session& s, std::string& record, long& index) {
    FoldRecord(record, RecordKind::GepTeacher);
    auto field = [&](long k) { return gepField(s.job.fieldTable, Teachers, record, k); };
    const std::string identifier = CleanValue(field(2));
    // A teacher no longer in service gets no account, and that is no fault of the row.
    if (!TrimView(s.win.txtrne1).empty() && vandrel::presentID(identifier) != vandrel::kTrue)
        return BuildOutcome::none("");
    const std::string staffNumber = CleanValue(field(3));
    const std::string surname = CleanTeacherSurname(field(4));
    const std::string firstName = CleanTeacherFirstName(field(5));
    std::string reason = firstEmpty({{surname, "nom vide"},
                                     {firstName, "prénom vide"},
                                     {staffNumber, "numéro d'identification vide"}});
    if (reason.empty() && TooLong({identifier, staffNumber, surname, firstName}))
        reason = ansi("champ trop long");
    if (!reason.empty()) return BuildOutcome::none(std::move(reason));
    return BuildTeacherFromFields(s, {identifier, surname, firstName, Right(Upper(staffNumber), 7)},
                                  index);
}

namespace {

// What genereGroupes writes in the buffer of blanks, trimmed. The buffer serves
// every teacher: what a call wrote is blanked again once read.
std::string groupsIn(const std::string& identifier, std::string& buffer) {
    vandrel::genereGroupes(identifier, buffer);
    const std::string_view written = TrimView(buffer);
    std::string groups(written);
    const size_t end = static_cast<size_t>(written.data() - buffer.data()) + written.size();
    std::fill_n(buffer.begin(), end, ' '); // the blanks after `end` are still there
    return groups;
}

// The groups a teacher is responsible for, as the library lists them in a buffer
// of 5,000 blanks. They are asked first in one of 500, which holds nearly every
// teacher's list and is read back in a tenth of the time: a list that comes back
// empty from it (none, or one too long for it) is asked again in the large one.
std::string responsibleGroups(const std::string& identifier) {
    static std::string small = vandrel::blanks(500), large = vandrel::blanks(5000);
    std::string groups = groupsIn(identifier, small);
    return groups.empty() ? groupsIn(identifier, large) : groups;
}

} // namespace

BuildOutcome BuildTeacherFromFields(Session& s, const TeacherFields& fields, long& index) {
    const std::string& identifier = fields.identifier;
    const std::string groups = responsibleGroups(identifier);
    PersonParts p{fields.surname, fields.firstName};
    p.lp = BuildLogin(s, PersonKind::Teacher, p.surname, p.firstName, "");
    const LoginParts& lp = p.lp;
    std::string_view old;
    if (s.win.version3) {
        s.job.kwartzSuffix = ";;;;";
        old = serverAccount(s, Upper(lp.nameKey));
    }
    p.password = InitialPassword(s, isNewAccount(s, old), fields.password);

    if (!s.win.version3) {
        entryList(s, old).add(commaForm(p.surname, lp.firstPart, "profs", p.password));
    } else {
        const std::initializer_list<std::string_view> tail = {
            kwartzSuffix(s), "|", p.surname, " ", p.firstName, " ; ", lp.login};
        if (isNewAccount(s, old)) {
            entryList(s, old).addJoined({p.surname, lp.firstPart, "profs", lp.login, lp.login,
                                         p.password, "", "", groups, "", "", lp.login},
                                        tail);
        } else {
            const ServerAccount a = splitServerAccount(old);
            entryList(s, old).addJoined({p.surname, lp.firstPart, a.group, a.login, lp.login, "",
                                         "", "", groups, "", "", lp.login},
                                        tail);
        }
    }
    p.text = "profs";
    finishPerson(s, std::move(p), index, "profs");
    return BuildOutcome::made();
}

namespace {

// The password a date JJ/MM/AAAA gives: its first three parts joined, JJMMAAAA;
// `swap`: the first two change places (a date written MM/JJ/AAAA). The date
// holds no blank.
std::string slashDatePassword(std::string_view date, bool swap) {
    std::string_view parts[3];
    bool ended = true;
    for (std::string_view& part : parts)
        if (ended) part = NextField(date, ended, '/');
    if (swap) std::swap(parts[0], parts[1]);
    std::string password;
    password.reserve(parts[0].size() + parts[1].size() + parts[2].size());
    password.append(parts[0]).append(parts[1]).append(parts[2]);
    return password;
}

} // namespace

BuildOutcome BuildCsvPupil(Session& s, std::string& line, long& index) {
    FoldRecord(line, RecordKind::CsvPupil);
    std::string_view fields[4];
    NthFields(line, ';', fields);
    PersonParts p{CleanPupilSurname(fields[0]), CleanPupilFirstName(fields[1])};
    KnownClass& known = KnownPupilClass(fields[2]); // held to the end of the build
    const PupilClass& cls = known.cls;
    const std::string_view date = FirstBlankedWord(fields[3]);
    std::string reason = firstEmpty({{p.surname, "nom vide"},
                                     {p.firstName, "prénom vide"},
                                     {cls.group, "classe vide"},
                                     {date, "date de naissance vide"}});
    if (reason.empty()) reason = pupilRefusal({p.surname, p.firstName, date, cls.group}, cls);
    if (!reason.empty()) return BuildOutcome::none(std::move(reason));

    NoteClass(s, cls.group, &known.notedIn);
    p.lp = BuildLogin(s, PersonKind::Pupil, p.surname, p.firstName, cls.group);
    const LoginParts& lp = p.lp;
    std::string_view old;
    if (s.win.version3) old = serverAccount(s, lp.nameKey);
    p.password =
        InitialPassword(s, isNewAccount(s, old), slashDatePassword(date, s.win.chkinvdate));

    if (!s.win.version3) {
        entryList(s, old).add(commaForm(p.surname, lp.firstPart, cls.group, p.password));
    } else if (isNewAccount(s, old)) {
        entryList(s, old).addJoined({p.surname, lp.firstPart, cls.group, lp.login, lp.login,
                                     p.password, "", "", "", "", "", ""});
    } else {
        const ServerAccount a = splitServerAccount(old);
        if (!IsTeacherGroup(a.group))
            entryList(s, old).addJoined(
                {p.surname, lp.firstPart, cls.group, a.login, a.login, "", "", "", "", "", "", ""});
        else if (s.ui)
            s.ui->message(ansi("Le compte élève ") + p.surname + " " + lp.firstPart +
                          ansi(" n'est pas créé car il existe un compte professeur sous le "
                               "même identifiant."));
    }
    p.text = cls.stored;
    finishPerson(s, std::move(p), index, cls.group);
    return BuildOutcome::made();
}

BuildOutcome BuildCsvTeacher(Session& s, std::string& line, long& index) {
    FoldRecord(line, RecordKind::CsvTeacher);
    std::string_view fields[4];
    NthFields(line, ';', fields);
    PersonParts p{CleanTeacherSurname(fields[0]), CleanTeacherFirstName(fields[1]),
                  Lower(TrimView(fields[3]))};
    std::string reason = firstEmpty(
        {{p.surname, "nom vide"}, {p.firstName, "prénom vide"}, {p.password, "mot de passe vide"}});
    if (reason.empty() && TooLong({p.surname, p.firstName, p.password}))
        reason = ansi("champ trop long");
    if (reason.empty() && unwritablePassword(p.password))
        reason = ansi("mot de passe avec un caractère interdit");
    if (!reason.empty()) return BuildOutcome::none(std::move(reason));

    p.lp = BuildLogin(s, PersonKind::Teacher, p.surname, p.firstName, "");
    const LoginParts& lp = p.lp;
    std::string_view old;
    if (!s.win.version3) {
        entryList(s, old).add(commaForm(p.surname, lp.firstPart, "profs", p.password));
    } else {
        s.job.kwartzSuffix = ";;;;";
        // The server's keys are upper case; a renumbered teacher's key ("DUPONT c1")
        // is only found upper-cased, as for GEP teachers.
        old = serverAccount(s, Upper(lp.nameKey));
        const std::string_view suffix = kwartzSuffix(s);
        if (isNewAccount(s, old)) {
            entryList(s, old).addJoined({p.surname, lp.firstPart, "profs", lp.login, lp.login,
                                         p.password, "", "", "", "", "", ""},
                                        {suffix});
        } else {
            const ServerAccount a = splitServerAccount(old);
            entryList(s, old).addJoined(
                {p.surname, lp.firstPart, a.group, a.login, lp.login, "", "", "", "", "", "", ""},
                {suffix});
        }
    }
    p.text = "profs";
    finishPerson(s, std::move(p), index, "profs");
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
