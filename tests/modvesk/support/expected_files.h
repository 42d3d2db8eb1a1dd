// The first line of the account import files, spelled out here once and byte by
// byte, so that the tests check the bytes written independently of the code that
// writes them.
#pragma once

#include <string>

namespace testsupport {

// In Windows-1252, without its CR LF.
inline const std::string kImportHeader =
    "#Nom;Pr\xE9nom;groupe d'affectation;login actuel;nouveau login;mot de passe;droits;"
    "groupes invit\xE9s;groupes responsable;serveur mail externe; login mail externe; mot de "
    "passe mail externe";

} // namespace testsupport
