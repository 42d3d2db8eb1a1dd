// Trainee accounts: one Kwartz group for every name of a list, one common password.
#pragma once

#include "model.h"

#include <string>

namespace modvesk {

// The password every trainee account gets.
inline constexpr const char* kTraineePassword = "a";

// One line "surname;first name" of STAGIAIRES.CSV: adds the trainee's account
// line to LstTri2 and advances the index, or does nothing when the surname, the
// first name or the group (groupeStage) is empty. Logins are not numbered: two
// trainees of the same name get the same login.
void BuildTrainee(Session& s, std::string& line, long& index);

} // namespace modvesk
