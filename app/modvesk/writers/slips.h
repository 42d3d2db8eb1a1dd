// Login slips: a PDF of A4 pages, eight slips a page with cut lines, one slip
// per new account that has a password, for the administrator to hand out. The
// slips come from the account files of the last job, in the order of the class
// files when they are there.
#pragma once

#include "model/model.h"

#include <filesystem>
#include <string>
#include <vector>

namespace modvesk {

// One slip. Texts are Windows-1252, as in the files.
struct Slip {
    std::string name;  // "Élodie LEFÈVRE": first name, then surname
    std::string group; // the class as its files name it ("3a"), or "profs"
    std::string login;
    std::string password; // the initial password
};

// The slips of one class, or of the teachers.
struct SlipGroup {
    std::string name; // "3a" (lower case), or "profs"
    std::vector<Slip> slips;
};

// The class a pupil group stands for: the group in lower case, without the "c"
// the builders put in front of a class whose name starts with a digit.
std::string classOfGroup(const std::string& group);

// The new pupil accounts of `dir` that have a password, by class in class order.
// Within a class, the order of its class file (<classe>.TXT) when it exists,
// then the accounts it does not list in the order of the account files.
std::vector<SlipGroup> pupilSlips(const std::filesystem::path& dir);
// The new teacher accounts of `dir` that have a password, in file order.
SlipGroup teacherSlips(const std::filesystem::path& dir);

// Writes the slips as a PDF, each group (class) from the top of a new page;
// `rne` ("" when unknown) is printed on each slip.
// The PDF is written to a temporary file of the same folder renamed over `path`
// (a symbolic link there is replaced, never written through). False when the
// file could not be written.
bool writeSlipsPdf(const std::filesystem::path& path, const std::vector<const Slip*>& slips,
                   const std::string& rne);

} // namespace modvesk
