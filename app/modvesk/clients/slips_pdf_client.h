// The program's side of the PDF module of the login slips (rolvane-slips-pdf.so):
// found where vandrel1.dlp is looked for, loaded at the first slip written, so
// that the other jobs never load the PDF libraries.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace slipspdf {

// The module's file name, for the messages.
inline constexpr const char* kFileName = "rolvane-slips-pdf.so";

// One slip's lines, in UTF-8, and whether it is the first of its class (it then
// starts a new page).
struct SlipLines {
    std::string name, group, login, password;
    bool startsGroup = false;
};

// True when the module is loaded (loading it on the first call).
bool available();
// Writes the slips as a PDF, `school` ("" for none) on each; false when the
// module is missing or the file could not be written whole.
bool write(const std::filesystem::path& path, const std::vector<SlipLines>& slips,
           const std::string& school);

} // namespace slipspdf
