// The two readers of the exports apart, for the tests that compare them: the
// plain XML reader that ParseSchoolXml and ReadSchoolXml try first, and libxml2,
// which reads every file the plain reader gives up on.
#pragma once

#include "sources/siecle_reader.h"

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace modvesk {

// The plain reader alone: false, `out` empty, when it gives up.
bool ScanSchoolXml(std::string_view bytes, SchoolXml& out);
// The same on a stream read through `buffer`, a block of its size at a time.
bool ScanSchoolXmlFile(std::FILE* file, std::span<char> buffer, SchoolXml& out);
// libxml2 alone.
bool ParseSchoolXmlWithLibxml(std::string_view bytes, SchoolXml& out, std::string& reason);

} // namespace modvesk
