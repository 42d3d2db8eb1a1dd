// The menu commands of the SIECLE / STS-web jobs: account creation from the
// schools' XML exports (pupils of SIECLE, staff of STS-web), and the update
// against the server's EXPORT file. The same builders, files and update as the
// GEP jobs.
#pragma once

#include "model/model.h"

namespace modvesk {

void creercompteSIECLE_m_Click(Session& s); // "Créer les comptes (fichiers SIECLE/STS)"
void msjcmptSIECLE_m_Click(Session& s);     // "Mise à jour des comptes (fichiers SIECLE/STS)"

} // namespace modvesk
