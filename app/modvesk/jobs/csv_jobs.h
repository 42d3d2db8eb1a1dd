// The two CSV account jobs of the file menu: first creation from ELEVES.CSV and
// PROFS.CSV, and the yearly update against the server's EXPORT file.
#pragma once

#include "model/model.h"

namespace modvesk {

void creercompteCSV_m_Click(Session& s);
void msjcmptcsv_m_Click(Session& s);

} // namespace modvesk
