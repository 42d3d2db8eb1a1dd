// The full-text module (rolvane-full-text.so: ICU and libxml2), loaded the first
// time a source needs it, looked for where the other modules are. Without it, the
// texts it would have composed or spelt keep their characters unread (a "?" each,
// as for any character without plain letters), and the exports the plain XML
// reader gives up on cannot be read.
#pragma once

#include "full_text.h"

#include <string>

namespace modvesk::fulltext {

// The file looked for.
inline constexpr const char* kFileName = "rolvane-full-text.so";

// `in` composed (NFC) into `out`; false when the module is missing or fails.
bool compose(const std::u32string& in, std::u32string& out);
// ICU's plain Latin of `c` ("Any-Latin; Latin-ASCII") into `out`; false when the
// module is missing or fails.
bool plainLatin(char32_t c, std::u32string& out);
// A document read by libxml2 through the module; false when the module is missing.
bool readXml(const rolvane_xml_handlers& handlers, rolvane_xml_outcome& outcome);

} // namespace modvesk::fulltext
