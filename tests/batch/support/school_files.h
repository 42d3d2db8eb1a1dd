// Sources and outputs of generated schools for the process tests: a SIECLE pupil
// export made of a few pupils, files put into a folder, the lines of a file.
#pragma once

#include "batch_run.h"

#include <string>
#include <vector>

namespace batchtest {

struct SieclePupil {
    std::string surname, firstName, division;
    std::string id = ""; // ELEVE_ID; "" gives the pupil's place in the list, from 1
};

// A SIECLE pupil export (UTF-8) holding these pupils in this order, each born on
// 03/05/2014 (password 030514).
std::string siecleFile(const std::vector<SieclePupil>& pupils);

// The lines of a text whose lines end in CR LF.
std::vector<std::string> crlfLines(const std::string& bytes);

// The account lines of an import file of the folder (header and empty lines left out).
std::vector<std::string> accountLines(const Folder& f, const std::string& name);

} // namespace batchtest
