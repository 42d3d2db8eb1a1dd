// Name normalisation and login building, shared by the four account builders.
//
// A builder folds the whole raw record (FoldRecord), cuts and cleans its fields
// (the Clean* functions), then asks BuildLogin for the first-name part, the name
// key under which the library's registry knows the person and the login. Records
// reach FoldRecord in Windows-1252: GEP records are converted from code page 850
// once, by the dBase reader, and never again.
#pragma once

#include "model/model.h"

#include <array>
#include <string>
#include <string_view>
#include <type_traits>

namespace modvesk {

// Longest first-name part plus surname a login is built for.
inline constexpr long LoginMax = 19;

// The four kinds of source record.
enum class RecordKind { GepPupil, GepTeacher, CsvPupil, CsvTeacher };
// Pupils and teachers differ in their clean-up, name key and report lines.
enum class PersonKind { Pupil, Teacher };

// Folds the record in place: the lower-case letters ë é ê è ç â à ô û ï î to their
// plain letter, then every other accented letter of Windows-1252, small or capital,
// to its plain letter (œ Œ æ Æ ß stay); "'" becomes a blank in every kind of record
// but the GEP teacher's (whose fields drop it themselves); every '"' is removed.
void FoldRecord(std::string& record, RecordKind kind);

// FoldRecord as a map from each byte of a record to what it becomes (one
// character, none for '"', or more), so that a builder folds a record into a
// buffer of its own in one pass, without changing the record. `fromOem`: the
// record is still in code page 850 and is converted to Windows-1252 on the way,
// as the dBase reader would have converted it.
class RecordFolding {
  public:
    RecordFolding(RecordKind kind, bool fromOem);
    // The record as FoldRecord (after the conversion) would leave it, written
    // into `room` (whose earlier content goes): a byte that gives no character or
    // several moves every later field.
    std::string_view fold(std::string_view record, std::string& room) const;

  private:
    std::array<char, 256> one_{};        // the character of a byte that gives one
    std::array<std::string, 256> other_; // what a byte gives when not exactly one
    std::string uneven_;                 // the bytes that give none or several
    std::string changedAscii_;           // the bytes below 0x80 that give another one
    size_t nextUneven(std::string_view record, size_t from) const;
    void mapRun(char* run, size_t n) const;
};

// Field clean-up. Each separator or control character of the field first becomes a
// blank (BlankSeparators). Surnames become one upper-case word; first names keep
// their blanks.
// Each is one pass over the field.
std::string CleanTeacherSurname(std::string_view field);   // trim, upper, drop " '-_"
std::string CleanTeacherFirstName(std::string_view field); // trim, lower, drop "_-'"
std::string CleanPupilSurname(std::string_view field);     // trim, upper, drop " _-"
std::string CleanPupilFirstName(std::string_view field);   // trim, upper, drop "_-"
// An identifier, staff number or date: its separators blanked, then trimmed
// (Trim(BlankSeparators(field))).
std::string CleanValue(std::string_view field);
// A pupil's class: trimmed, lower case, " _-" dropped (`stored`, e.g. "3a"), and the
// group the accounts carry: "c" + stored when it begins with a digit ("c3a").
struct PupilClass {
    std::string stored;
    std::string group;
};
PupilClass CleanPupilClass(std::string_view field);
// The class as CleanPupilClass cleans it, as kept for the texts read so far: the
// reference holds until the next call. `notedIn` names the job's class list that
// holds its group already (see NoteClass), 0 when none does.
struct KnownClass {
    PupilClass cls;
    uint64_t notedIn = 0;
};
KnownClass& KnownPupilClass(std::string_view field);
// The group the accounts of a class carry: a class whose name starts with a digit
// takes a "c" in front ("3a" gives "c3a"), since a group name may not start with one.
std::string GroupOfClass(const std::string& className);
// The class a pupil group stands for, in lower case: the group without the "c"
// GroupOfClass put in front ("C3A" gives "3a"; "ulis" stays "ulis").
std::string ClassOfGroup(const std::string& group);

// The login of a surname and first-name part in the chosen format.
std::string LoginFor(LoginFormat format, std::string_view surname, std::string_view firstPart);

// The result of BuildLogin.
struct LoginParts {
    std::string firstWord; // the first name up to its first blank
    std::string firstPart; // Left(firstWord, L), plus the clash number if any
    std::string nameKey;   // the final key, to register with inserenom once the entry is built
    std::string login;
    long clashNumber = 0; // 0 when the first key was free
};

// A name key that is someone else's although the registry does not hold it yet
// (an account of the server that carries another pupil's identifier): a call on
// an object the caller keeps alive, or none. It refers to the object, so that
// asking it per person builds nothing.
class KeyHeldElsewhere {
  public:
    KeyHeldElsewhere() = default;
    template <typename Check>
    requires std::is_invocable_r_v<bool, Check&, const std::string&>
    explicit KeyHeldElsewhere(Check& check)
        : object_(&check), call_([](void* o, const std::string& key) -> bool {
              return (*static_cast<Check*>(o))(key);
          }) {}
    explicit operator bool() const { return call_ != nullptr; }
    bool operator()(const std::string& nameKey) const { return call_(object_, nameKey); }

  private:
    void* object_ = nullptr;
    bool (*call_)(void*, const std::string&) = nullptr;
};

// The first-name part (LoginMax, the chosen format), the name key, the clash
// numbering against the registry (present, and `heldElsewhere` when given) and
// the login. When the key had to be numbered, one line is appended to
// doublons.txt in the session's directory; its group is `group` for pupils and
// empty for teachers. Nothing is registered here.
LoginParts BuildLogin(Session& s, PersonKind kind, const std::string& surname,
                      const std::string& firstName, const std::string& group,
                      const KeyHeldElsewhere& heldElsewhere = {});

// Appends the troncatures.txt line when surname + firstPart is longer than
// LoginMax + 1 characters. `group`: the class of a pupil, "profs" for a teacher.
void ReportTruncation(Session& s, const std::string& surname, const std::string& firstPart,
                      const std::string& group);

} // namespace modvesk
