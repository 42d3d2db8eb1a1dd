// Where the program looks for the files it loads at run time (vandrel1.dlp, the
// scripting component, the PDF module of the login slips).
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace modvesk {

// In order: the running executable's folder, the folders named by the given
// environment variables (those set and not empty), then the install's library
// folder.
std::vector<std::string> moduleFolders(std::initializer_list<const char*> variables);

} // namespace modvesk
