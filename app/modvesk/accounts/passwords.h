// Random initial passwords: the STS-web staff's, and every derived password of a
// new account when the window's box « Mots de passe aléatoires » is ticked (a
// birth date, a staff number's end or the trainees' common letter can be guessed
// by a classmate).
#pragma once

#include "model/model.h"

#include <cstddef>
#include <string>

namespace modvesk {

// The source of random bytes: it fills `count` bytes; getrandom() by default.
// Tests put a fixed source here so that their files do not change.
using RandomFill = void (*)(unsigned char* bytes, std::size_t count);
extern RandomFill staffPasswordRandom;

// Eight characters over the letters and digits without the look-alikes
// 0 O o 1 l I, each drawn without bias from staffPasswordRandom.
std::string NewStaffPassword();

// The password of an account whose password the program derives from the source
// (a birth date, a staff number, the trainees' letter): `derived` itself, unless
// the window asks for random passwords (randomPasswords); then a new account gets
// a random one, and an account the server has gets none, since its password is
// the server's, which is not known here.
// `derived` is taken by value, so that a password built for the call is moved through.
std::string InitialPassword(const Session& s, bool newAccount, std::string derived);

} // namespace modvesk
