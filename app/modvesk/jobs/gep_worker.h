// The pieces of the GEP worker that the jobs and the tests reach directly: the
// record handlers of the assignment, group and group-link tables.
#pragma once

#include "model/model.h"

#include <string>

namespace modvesk {

// An assignment record: the teacher (field 3) is in service when the end year
// (first 4 characters of field 7) is "2099" and the establishment (field 4)
// equals `rne` exactly.
void memoriseEnService(Session& s, std::string& record, const std::string& rne);
// Whether the assignment table `table` of the program's folder holds a record
// that memoriseEnService would keep for `rne`, read before anything is deleted.
// False when the table is absent; true when it lies there but is refused (the
// worker then refuses it and says why).
bool holdsTeacherInService(Session& s, const std::string& table, const std::string& rne);
// A group record: group code (first 8 characters of field 2) and class
// (characters 10 to 15 of the record).
void associeGroupe(Session& s, std::string& record);
// A group-link record: code or class (field 6), kind (field 7) and teacher (field 11).
void associeResponsable(Session& s, std::string& record);

// Writes GROUPES.TXT from the list `classes` ("c" in front of a class that
// begins with a digit), appending to the file.
void writeGroupsFile(Session& s);

// Empties the person and name-key tables, the class list and the account lists
// that a worker fills, before it reads its sources.
void resetWorkerState(Session& s);

// The worker itself: reads the GEP tables and builds every account.
void Command1_Click(Session& s);

} // namespace modvesk
