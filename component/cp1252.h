// Windows-1252, the code page of every text the component takes and answers.
#pragma once

#include <string>
#include <string_view>

namespace pythrolvane {

// UTF-8 to Windows-1252: "?" for a character the code page lacks and for every byte
// of a malformed sequence.
std::string utf8ToCp1252(std::string_view utf8);

// Windows-1252 to UTF-8 (the five bytes the code page leaves unassigned map to the
// C1 controls of the same value, so every byte survives the round trip).
std::string cp1252ToUtf8(std::string_view ansi);

} // namespace pythrolvane
