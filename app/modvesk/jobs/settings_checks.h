// The checks of the window's settings against the data that the account jobs
// make before they delete anything: the login format of an update against last
// year's logins, and the RNE numbers. Their questions go through
// Dialogs::confirm: No by default, and no blanket Yes of a batch run answers them.
#pragma once

#include "model/model.h"
#include "sources/export_reader.h"

#include <string>

namespace modvesk {

// Asks `statement` + " " + `ask` (Dialogs::confirm, the jobs' title, exclamation
// icon). On No the statement goes to the log box, followed by "Aucun fichier n'a
// été supprimé ni créé.", the job counts as ended early, and false is returned.
bool goOnDespite(Session& s, Check check, const std::string& statement, const std::string& ask);

// The name of a login format as the window's options show it, without the
// example they give.
std::string loginFormatName(LoginFormat format);

// Before an update, once the EXPORT file is known to be readable: when
// it holds at least 5 pupil logins, fewer than a fifth of them follow the chosen
// format and at least three fifths follow another one, every pupil would get a
// second account; asks whether to go on. False when the job must end.
bool loginFormatFits(Session& s, const ExportFile& exportFile);

// An RNE number: 7 digits and a letter, after trim, in any case.
bool RneLooksValid(const std::string& rne);
// When `rne` is set and does not look valid, asks whether to go on. False when
// the job must end.
bool rneAccepted(Session& s, const std::string& rne);

} // namespace modvesk
