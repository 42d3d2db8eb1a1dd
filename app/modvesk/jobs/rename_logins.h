// Renaming of the server's logins between Nom.Prénom and Prénom.Nom.
#pragma once

#include "model/model.h"

#include <array>
#include <string>

namespace modvesk {

// The field array of the renaming: 17 slots, 0 to 16.
using FieldSlots = std::array<std::string, 17>;

// Empties every slot, then fills the slots `start` to 10 with the successive fields
// of `line` (FirstField, then the rest after the separator).
FieldSlots SplitFields(long start, std::string line, const std::string& separator);

// The login with its two parts around the first dot swapped ("c.dupont" gives
// "dupont.c"); "" when it holds no dot.
std::string invertedLogin(const std::string& login);

// The menu command: asks for the EXPORT file and writes ComptesAmodifier.txt.
void Modifconnex_M_Click(Session& s);
// Appends one renamed line per account of the EXPORT file to ComptesAmodifier.txt.
void InvertLogins(Session& s, const std::string& exportPath);

} // namespace modvesk
