// The output queue comptessortis: records (kind, text) appended by elevessortis
// (kind 'e') and by the teacher-line updates (kind 'e' to modify, 'p' to delete),
// then written to a file.
#pragma once

#include <string>
#include <string_view>

namespace vandrel1 {

void videComptesSortis();
void ajouteCompteSorti(char kind, std::string text);
// When the queue holds at least one record of the kind, writes the texts of all
// of them, in queue order and with nothing between them, to the file (created or
// replaced). Otherwise the file is neither created nor changed.
void ecritComptesSortis(char kind, const std::string& fileName);

} // namespace vandrel1
