// Login slips: a PDF of A4 pages, eight slips a page with cut lines, one slip
// per new account that has a password, for the administrator to hand out. The
// slips come from the account files of the last job, in the order of the class
// files when they are there.
#pragma once

#include "model.h"

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

// What to print: the slips of one class (fiches-<classe>.pdf), of every class
// (one file per class and fiches-toutes-classes.pdf), or of the new teachers
// (fiches-profs.pdf).
enum class SlipChoice { OneClass, AllClasses, Teachers };

// Writes the slips into the program's folder and says in the log box which
// files it wrote and how many slips each holds. Returns the files written. A
// class that is not among the new accounts, or no slip at all, is said so and
// ends the job early; a file that cannot be written goes to Session::writeFailed,
// and so does the PDF of a class whose name cannot name a file (blank, "..",
// holding "/"...) or would make it fiches-toutes-classes.pdf or fiches-profs.pdf.
std::vector<std::string> writeSlips(Session& s, SlipChoice choice,
                                    const std::string& className = "");

} // namespace modvesk
