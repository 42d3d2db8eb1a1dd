// Opening the project's update page in the desktop's web browser (menu
// "&Mise à jour du logiciel").
#pragma once

#include "model/model.h"

#include <string>

namespace gui {

// The page that tells an administrator about new versions of Rolvane.
inline constexpr const char* kUpdateAddress = "https://rolvane.fr/mise-a-jour";

// The text up to, not including, its first NUL character (all of it without one).
std::string avantNul(const std::string& text);
// The folder for temporary files, with its closing separator.
std::string repertoireTemporaire();
// The program that opens web pages, and a result code: 32 or more when one was
// found, below 32 when none was.
std::string navigateurParDefaut(long& resultCode);
// Starts the browser on the address without waiting for it; true when it started.
bool ouvreAdresse(const std::string& address);
// The menu command: opens the page, or says that it cannot be reached.
void msj_M_Click(modvesk::Dialogs& ui, const std::string& address = kUpdateAddress);

} // namespace gui
