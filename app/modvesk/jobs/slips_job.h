// The job that prints the login slips of the last job's new accounts into the
// program's folder.
#pragma once

#include "model/model.h"
#include "writers/slips.h"

#include <string>
#include <vector>

namespace modvesk {

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
