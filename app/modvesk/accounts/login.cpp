#include "accounts/login.h"

#include "clients/vandrel_client.h"
#include "text/files.h"
#include "text/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

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

unsigned char byteOf(char c) {
    return static_cast<unsigned char>(c);
}

// The clean-up of a field as one table: each byte's separators become blanks
// first (BlankSeparators), the value is trimmed of those blanks, cased, and loses
// the characters `dropped` (looked for once cased).
class Cleaning {
  public:
    enum class Case { Kept, Upper, Lower };
    Cleaning(Case casing, std::string_view dropped) {
        for (unsigned b = 0; b < 256; ++b) {
            const char c = BlankSeparators(std::string(1, static_cast<char>(b)))[0];
            const char cased = casing == Case::Upper   ? upperChar(c)
                               : casing == Case::Lower ? lowerChar(c)
                                                       : c;
            blank_[b] = c == ' ';
            to_[b] = cased;
            kept_[b] = dropped.find(cased) == std::string_view::npos;
        }
    }

    std::string operator()(std::string_view field) const {
        // The padding blanks of a fixed-width field are passed over a word at a
        // time first; the blanks are among the bytes trimmed, so the result is the same.
        if (!field.empty() && field.back() == ' ') field = TrimView(field);
        size_t begin = 0, end = field.size();
        while (begin < end && blank_[byteOf(field[begin])])
            ++begin;
        while (end > begin && blank_[byteOf(field[end - 1])])
            --end;
        std::string out(end - begin, ' ');
        size_t n = 0;
        for (size_t i = begin; i < end; ++i) {
            const unsigned char b = byteOf(field[i]);
            out[n] = to_[b];
            n += kept_[b];
        }
        out.resize(n);
        return out;
    }

  private:
    std::array<bool, 256> blank_{}, kept_{};
    std::array<char, 256> to_{};
};

// A key as the registry compares it: up to its first NUL byte, at most 52 characters.
std::string registryView(const std::string& key) {
    return key.substr(0, std::min<size_t>(key.find('\0'), 52));
}

void appendReport(Session& s, const std::string& name, const std::string& line, long& count) {
    if (s.appendLine(name, line)) ++count;
}

// A login in lower case as the server takes it: ASCII letters, digits and "."
// only. The letters that stand for two (œ, æ, ß, þ) and ð become their plain
// spelling; anything else outside ASCII is dropped. The table gives what each
// byte of a name becomes in the login: none, one or two characters.
// Each byte's spelling is packed in one number: its two characters as they lie
// in memory, then their count in the third byte, so that a byte costs one read
// and one store of two characters.
using Spelling = uint32_t;

const std::array<Spelling, 256>& loginSpelling() {
    static const std::array<Spelling, 256> table = [] {
        std::array<std::string_view, 256> spelled{};
        for (const auto& [letter, plain] :
             {std::pair{"œ", "oe"}, std::pair{"æ", "ae"}, std::pair{"ß", "ss"}, std::pair{"ð", "d"},
              std::pair{"þ", "th"}})
            spelled[byteOf(ansi(letter)[0])] = plain;
        std::array<Spelling, 256> t{};
        for (unsigned b = 0; b < 256; ++b) {
            const char c = lowerChar(static_cast<char>(b));
            const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.';
            const std::string_view text = plain ? std::string_view(&c, 1) : spelled[byteOf(c)];
            char two[2] = {};
            const size_t size = text.copy(two, 2);
            uint16_t chars;
            std::memcpy(&chars, two, 2);
            t[b] = chars | static_cast<Spelling>(size) << 16;
        }
        return t;
    }();
    return table;
}

// Writes the login form of a part of the name at `out` (room for two characters
// a byte); returns the end of what it wrote.
char* spellLoginPart(char* out, std::string_view part) {
    const auto& spelling = loginSpelling();
    for (const char c : part) {
        const Spelling sp = spelling[byteOf(c)];
        const auto chars = static_cast<uint16_t>(sp);
        std::memcpy(out, &chars, 2);
        out += sp >> 16;
    }
    return out;
}

} // namespace

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// Whether one of the eight bytes of `word` is `c`.
bool holdsByte(uint64_t word, char c) {
    const uint64_t x = word ^ (kOnes * byteOf(c));
    return ((x - kOnes) & ~x & kHighBits) != 0; // a zero byte of x
}

} // namespace

// One pass in place: eight bytes at once while they hold no accented letter, no
// "'" to blank and no '"' to drop (they stay as they are, moved back over the
// '"' dropped before them), the other bytes one by one. Only accented letters
// fold, and none folds to "'" or '"', so the order of the three changes does not
// matter. The last bytes, fewer than eight, are looked at as one word too (the
// bytes past the end read as NUL, which changes nothing) when nothing was dropped
// before them: most fields are short, and most records need no change.
void FoldRecord(std::string& record, RecordKind kind) {
    const auto& fold = foldTable();
    const bool apostrophes = kind != RecordKind::GepTeacher;
    const auto unchanged = [apostrophes](uint64_t word) {
        return (word & kHighBits) == 0 && !holdsByte(word, '"') &&
               !(apostrophes && holdsByte(word, '\''));
    };
    char* const bytes = record.data();
    const size_t size = record.size();
    size_t kept = 0;
    for (size_t i = 0; i < size;) {
        uint64_t word = 0;
        if (i + 8 <= size) {
            std::memcpy(&word, bytes + i, 8);
            if (unchanged(word)) {
                std::memcpy(bytes + kept, &word, 8);
                kept += 8;
                i += 8;
                continue;
            }
        } else if (kept == i) {
            // The record's last eight bytes when it has that many: those before
            // `i`, already looked at, are read again; should one of them still be
            // a byte that changes, the bytes left are looked at one by one.
            if (size >= 8)
                std::memcpy(&word, bytes + size - 8, 8);
            else
                std::memcpy(&word, bytes + i, size - i);
            if (unchanged(word)) return; // the record ends as it is
        }
        const char c = bytes[i++];
        if (c != '"') bytes[kept++] = apostrophes && c == '\'' ? ' ' : fold[byteOf(c)];
    }
    record.resize(kept);
}

RecordFolding::RecordFolding(RecordKind kind, bool fromOem) {
    for (unsigned b = 0; b < 256; ++b) {
        std::string piece(1, static_cast<char>(b));
        if (fromOem) OemToAnsiInPlace(piece.data(), 1);
        FoldRecord(piece, kind); // the fold is byte by byte: a byte gives the same alone
        if (piece.size() == 1) {
            one_[b] = piece[0];
            if (b < 0x80 && piece[0] != static_cast<char>(b)) changedAscii_ += static_cast<char>(b);
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

// A run of bytes that give one character each, mapped in place: the bytes above
// 0x7F a word at a time, then the few ASCII bytes the fold changes, each found
// with memchr. A byte is never changed twice: what the fold gives, it keeps.
void RecordFolding::mapRun(char* run, size_t n) const {
    MapHighBytes(run, n, one_);
    for (const char c : changedAscii_)
        for (char *at = run, *end = run + n;
             (at = static_cast<char*>(std::memchr(at, c, static_cast<size_t>(end - at))));)
            *at++ = one_[byteOf(c)];
}

std::string_view RecordFolding::fold(std::string_view record, std::string& room) const {
    room.clear();
    // Runs of bytes that give one character each, and the bytes between them.
    for (size_t at = 0; at < record.size();) {
        const size_t uneven = nextUneven(record, at);
        const size_t folded = room.size();
        room.append(record.substr(at, uneven - at));
        mapRun(room.data() + folded, uneven - at);
        at = uneven;
        if (at < record.size()) room += other_[byteOf(record[at++])];
    }
    return room;
}

std::string CleanTeacherSurname(std::string_view field) {
    static const Cleaning cleaning(Cleaning::Case::Upper, " '-_");
    return cleaning(field);
}
std::string CleanTeacherFirstName(std::string_view field) {
    static const Cleaning cleaning(Cleaning::Case::Lower, "_-'");
    return cleaning(field);
}
std::string CleanPupilSurname(std::string_view field) {
    static const Cleaning cleaning(Cleaning::Case::Upper, " _-");
    return cleaning(field);
}
std::string CleanPupilFirstName(std::string_view field) {
    static const Cleaning cleaning(Cleaning::Case::Upper, "_-");
    return cleaning(field);
}
std::string CleanValue(std::string_view field) {
    static const Cleaning cleaning(Cleaning::Case::Kept, "");
    return cleaning(field);
}

namespace {

// The classes cleaned so far, by the text they were read as. Each pupil asks for
// his class, in no useful order, so the lookup must cost little: a slot array
// (the text's hash and its entry) that stays small enough to be kept in cache,
// open-addressed and at most half full, beside entries that never move.
class KnownClasses {
  public:
    KnownClass& operator()(std::string_view field) {
        const size_t hash = TextHash{}(field);
        for (size_t i = hash;; ++i) {
            Slot& slot = slots_[i & (slots_.size() - 1)];
            if (!slot.entry) return add(field, hash, slot);
            if (slot.hash == hash && slot.entry->field == field) return slot.entry->known;
        }
    }

  private:
    struct Entry {
        std::string field;
        KnownClass known;
    };
    struct Slot {
        size_t hash = 0;
        Entry* entry = nullptr;
    };
    // A school has a few dozen classes, a district a few thousand: a source of
    // more starts them afresh.
    static constexpr size_t kMostKept = 8192;

    KnownClass& add(std::string_view field, size_t hash, Slot& slot) {
        if (entries_.size() == kMostKept) {
            entries_.clear();
            slots_.assign(kFirstSlots, Slot{});
            return (*this)(field);
        }
        static const Cleaning cleaning(Cleaning::Case::Lower, " _-");
        Entry& entry = entries_.emplace_back();
        entry.field = field;
        entry.known.cls.stored = cleaning(field);
        entry.known.cls.group = GroupOfClass(entry.known.cls.stored);
        slot = {hash, &entry};
        if (2 * entries_.size() > slots_.size()) grow();
        return entry.known;
    }
    void grow() {
        std::vector<Slot> old(2 * slots_.size());
        old.swap(slots_);
        for (const Slot& s : old)
            if (s.entry) emptySlot(s.hash) = s;
    }
    Slot& emptySlot(size_t hash) {
        for (size_t i = hash;; ++i)
            if (Slot& slot = slots_[i & (slots_.size() - 1)]; !slot.entry) return slot;
    }

    static constexpr size_t kFirstSlots = 64;
    std::deque<Entry> entries_;
    std::vector<Slot> slots_ = std::vector<Slot>(kFirstSlots);
};

} // namespace

KnownClass& KnownPupilClass(std::string_view field) {
    static KnownClasses known;
    return known(field);
}

PupilClass CleanPupilClass(std::string_view field) {
    return KnownPupilClass(field).cls;
}

std::string GroupOfClass(const std::string& className) {
    if (!StartsWithDigit(className)) return className;
    std::string group;
    group.reserve(1 + className.size());
    group.append(1, 'c').append(className);
    return group;
}

std::string ClassOfGroup(const std::string& group) {
    const std::string cls = Lower(Trim(group));
    if (cls.size() > 1 && cls[0] == 'c' && StartsWithDigit(cls.substr(1))) return cls.substr(1);
    return cls;
}

std::string LoginFor(LoginFormat format, std::string_view surname, std::string_view firstPart) {
    const bool surnameFirst = format == LoginFormat::NomDabord;
    // Spelled first where there is room for two characters a byte (on the stack
    // for a name of usual length), then copied at its size.
    const size_t most = 2 * (surname.size() + firstPart.size()) + 1;
    char local[128];
    std::string large;
    char* const start = most <= sizeof local ? local : (large.resize(most), large.data());
    char* out = spellLoginPart(start, surnameFirst ? surname : firstPart);
    *out++ = '.';
    out = spellLoginPart(out, surnameFirst ? firstPart : surname);
    return std::string(start, out);
}

LoginParts BuildLogin(Session& s, PersonKind kind, const std::string& surname,
                      const std::string& firstName, const std::string& group,
                      const KeyHeldElsewhere& heldElsewhere) {
    LoginParts r;
    std::string_view rest;
    r.firstWord.assign(FirstWord(firstName, rest));

    long length = 1;
    if (s.win.loginFormat != LoginFormat::Abrev) {
        length = LoginMax - static_cast<long>(surname.size());
        if (length < 1) length = 1;
    }
    r.firstPart.assign(r.firstWord, 0, static_cast<size_t>(length)); // Left: length >= 1
    if (kind == PersonKind::Pupil) {
        r.nameKey.reserve(surname.size() + 1 + r.firstPart.size());
        r.nameKey.append(surname).append(1, ' ').append(r.firstPart);
    } else {
        r.nameKey = Trim(surname + " " + Upper(r.firstPart));
    }

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
