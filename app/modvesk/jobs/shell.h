// Commands of the main window that do no account work: the help text, the
// clean-up of the folder, the choice of the EXPORT file and the server option.
#pragma once

#include "model/model.h"

#include <string>

namespace modvesk {

// The three-paragraph help message shown at start-up.
std::string startupHelpText();
// "&Nettoyage du répertoire": deletes the .txt files on a Yes; the log box then
// names each one that could not be deleted, a file not written (batch status 3).
void Actualiser_M_Click(Session& s);
void rechercher_Click(Session& s); // "Rechercher": asks for the EXPORT file
void choisitExport(Session& s);    // the same, for the teacher tools
void version3_Click(Session& s);

} // namespace modvesk
