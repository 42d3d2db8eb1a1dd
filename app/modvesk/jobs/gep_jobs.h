// The menu commands of the GEP jobs: account creation, its B2I form, the update
// against the server's EXPORT file, and the button that runs the worker alone.
#pragma once

#include "model/model.h"

namespace modvesk {

void Genfich_M_Click(Session& s);   // create the accounts from GEP
void gep_b2i_m_Click(Session& s);   // the same, pupils only (B2I)
void miseAjour_M_Click(Session& s); // update from GEP against EXPORT
// The button "Création des comptes des élèves": the worker between
// creationCarnet and fermercarnet, asking nothing first.
void Command1_Button(Session& s);

} // namespace modvesk
