#include "sources/csv_sources.h"

#include "text/source_text.h"
#include "text/text.h"

namespace modvesk {

std::string lireFichier(Session& s, const fs::path& path) {
    bool lossy = false;
    return lireFichier(s, path, lossy);
}

std::string lireFichier(Session& s, const fs::path& path, bool& lossy) {
    LineReader in(path);
    s.sourceRead(resolvePath(path).filename().string(), in);
    lossy = in.isLossy();
    return in.restAsCrlfLines();
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
