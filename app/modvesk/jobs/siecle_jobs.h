// The menu commands of the SIECLE / STS-web jobs: account creation from the
// schools' XML exports (pupils of SIECLE, staff of STS-web), and the update
// against the server's EXPORT file. The same builders, files and update as the
// GEP jobs.
#pragma once

#include "model.h"

#include <string>

namespace modvesk {

void creercompteSIECLE_m_Click(Session& s); // "Créer les comptes (fichiers SIECLE/STS)"
void msjcmptSIECLE_m_Click(Session& s);     // "Mise à jour des comptes (fichiers SIECLE/STS)"

// A division or group code as the accounts name it: folded as a pupil's class
// is, upper-cased, trimmed, without blanks, "_" or "-" ("4e 1" gives "4E1").
std::string CleanStructureCode(const std::string& code);

// A date JJ/MM/AAAA as AAAAMMJJ; "" when the text is no such date.
std::string SiecleDate(const std::string& date);

} // namespace modvesk
