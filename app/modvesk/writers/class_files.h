// The class list and the per-class files: one file per class of the last job,
// listing its pupils with their passwords ("surname,first name,group,password").
#pragma once

#include "model/model.h"

#include <string>

namespace modvesk {

// Fills the list `classes` with the classes of the persons of the last job.
void remplitClasses(Session& s);
void Command3_Click(Session& s);                                // "Sauvegarder toutes les classes"
void save1_Click(Session& s, const std::string& selectedClass); // "Sauvegarder une classe"
void sauveClasse(Session& s, std::string& className);
// The name (without regard to case) of a file the account jobs write: the import
// files, GROUPES.TXT, the reports, the library's lists. A class file of that name
// would replace it, so it is never written.
bool IsJobOutputName(const std::string& fileName);

} // namespace modvesk
