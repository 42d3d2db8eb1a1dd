// Trainee accounts: one Kwartz group for every name of a list, one common password
// (or random ones).
#pragma once

#include "model/model.h"

#include <string>

namespace modvesk {

// The password every trainee account gets, unless the window asks for random passwords.
inline constexpr const char* kTraineePassword = "a";

// One line "surname;first name" of STAGIAIRES.CSV: adds the trainee's account
// line to LstTri2 and advances the index, or does nothing when the surname, the
// first name or the group (groupeStage) is empty. Logins are not numbered: two
// trainees of the same name get the same login.
void BuildTrainee(Session& s, std::string& line, long& index);

// The menu command: the list chosen, the group form, then the accounts.
void stage_m_Click(Session& s);
// The conversion of STAGIAIRES.CSV into the import files.
void creercomptesCSVstage(Session& s);
// "OK" of the form saisiegroupes with its two text boxes; true when the form closes.
bool saisiegroupes_Command1_Click(Session& s, const std::string& text2, const std::string& text1);

} // namespace modvesk
