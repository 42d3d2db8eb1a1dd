// The four account builders. Each turns one person's source record into one entry
// of the window's hidden sorted lists (lstTri: new accounts during an update;
// LstTri2: every other entry), registers the person's name key in the library's
// registry, fills the person table at `index` and writes the report lines of
// doublons.txt and troncatures.txt.
//
// Code pages: every record handed to a builder is Windows-1252 ("ANSI"). The GEP
// records (F_ELE*.DBF, F_IND*.DBF) are converted from code page 850 once: by the
// dBase reader right after they are read, or for the pupils' tables as the builder
// folds the record (BuildGepPupilFromOem); the builders never convert anything
// again, neither the record, nor the finished entry, nor a report line. CSV lines
// are Windows-1252 already.
//
// The record is changed in place by the folding of accented letters, apostrophes
// and double quotes (a GEP pupil's is folded into a copy, RecordFolding). `index`
// advances by one for every person that is not skipped (a skipped person leaves no
// entry, no registry key and no report line). Each builder returns what it made of
// the record: an account, or the reason it made none.
// The library's registry must be open (creationCarnet); during an update
// (job.UpdateMode) the server's EXPORT file must have been loaded.
#pragma once

#include "model/model.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace modvesk {

// The longest value (name, first name, class, identifier, staff number, date,
// password) a source row may hand to an account: a longer one is no person's, and
// would make every table it enters grow with it. The row gets no account
// ("champ trop long").
inline constexpr size_t kLongestValue = 200;
bool TooLong(std::initializer_list<std::string_view> values);

// What a builder made of one record: an account (the person took the next
// index), or none and why: the first required field found empty or the value
// refused, "" when the record is no fault of its own (a teacher no longer in
// service).
struct BuildOutcome {
    bool account = false;
    std::string reason;
    static BuildOutcome made() { return {true, {}}; }
    static BuildOutcome none(std::string why) { return {false, std::move(why)}; }
    // A record that gives no account for a reason the Bilan shows.
    bool refused() const { return !account && !reason.empty(); }
};

// Lists a class (a group: "c5e1") in the job's class list, newest first, unless
// the list already holds that very class (5E1 is listed after 5E10 too).
// `notedIn`, when given, is the class's mark (KnownClass::notedIn): a class
// marked as in the list is not looked for again.
void NoteClass(Session& s, const std::string& group, uint64_t* notedIn = nullptr);

// A division or group code as the accounts name it: folded as a pupil's class
// is, upper-cased, trimmed, without blanks, "_" or "-" ("4e 1" gives "4E1").
std::string CleanStructureCode(const std::string& code);

// Field k (counted from 1) of a GEP record cut with the job's field table: a
// record of the pupil family ends with the deletion byte (field k starts at
// character end(k-1) + 1); records of the other families begin with it
// (end(k-1) + 2). Not trimmed; "" when k lies outside the table. A view into the record.
std::string_view GepField(const FieldTable& table, Family family, std::string_view record, long k);

// A record of F_ELE.DBF / F_ELE2.DBF: identifier (field 1), surname (2), first
// name (3), birth date AAAAMMJJ (5), class (40), cut from a copy of the record
// folded whole (RecordFolding); the record itself is left as it is.
BuildOutcome BuildGepPupil(Session& s, std::string& record, long& index);
// The same for a record still in code page 850, as the pupils' record loops hand
// it over: the record is converted as it is folded.
BuildOutcome BuildGepPupilFromOem(Session& s, std::string& record, long& index);
// A record of F_IND.DBF / F_IND2.DBF: identifier (field 2), staff number (3),
// surname (4), first name (5). Skipped when txtrne1 is set and the identifier is
// not a teacher in service (presentID).
BuildOutcome BuildGepTeacher(Session& s, std::string& record, long& index);

// A pupil's fields as BuildGepPupil cuts them from its record, already folded
// (FoldRecord with RecordKind::GepPupil), neither trimmed nor cleaned.
struct PupilFields {
    std::string identifier, surname, firstName;
    std::string birthDate; // AAAAMMJJ
    std::string className;
};
// What BuildGepPupil does once the record is cut: the same clean-up, reasons,
// password, login, Kwartz 1.7 suffix and entry, for a pupil of any source that
// has the fields of a GEP pupil.
BuildOutcome BuildPupilFromFields(Session& s, const PupilFields& fields, long& index);

// A teacher who has passed the checks of his source: identifier (the key of his
// responsible groups, genereGroupes), surname and first name cleaned
// (CleanTeacherSurname, CleanTeacherFirstName, not empty), the password of a new
// account (drawn at random instead when the window asks for random passwords).
struct TeacherFields {
    std::string identifier, surname, firstName, password;
};
// The entry forms of a GEP teacher (group "profs", field 9 the responsible groups,
// suffix ";;;;", description), for a teacher of any source that has them.
BuildOutcome BuildTeacherFromFields(Session& s, const TeacherFields& fields, long& index);
// A line "nom;prénom;groupe;JJ/MM/AAAA" of ELEVES.CSV.
BuildOutcome BuildCsvPupil(Session& s, std::string& line, long& index);
// A line "nom;prénom;groupe profs;mot de passe" of PROFS.CSV.
BuildOutcome BuildCsvTeacher(Session& s, std::string& line, long& index);

} // namespace modvesk
