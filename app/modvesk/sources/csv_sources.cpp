#include "sources/csv_sources.h"

#include "text/source_text.h"
#include "text/text.h"

namespace modvesk {

std::string lireFichier(Session& s, const fs::path& path) {
    std::string text;
    LineReader in(path);
    if (in.isUtf8()) s.readAsUtf8(resolvePath(path).filename().string());
    std::string line;
    while (in.next(line)) {
        text += line;
        text += CRLF;
    }
    return text;
}

bool isSconetTitle(const std::string& line) {
    const std::string field5 = Lower(NthField(5, line, ";"));
    return Left(field5, 4) == "div." || Left(field5, 8) == "division";
}

std::string sconetToPlainRow(const std::string& line) {
    return NthField(1, line, ";") + ";" + NthField(2, line, ";") + ";" + NthField(5, line, ";") +
           ";" + NthField(3, line, ";");
}

} // namespace modvesk
