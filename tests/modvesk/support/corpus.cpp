#include "corpus.h"

#include <cstdlib>
#include <filesystem>

namespace testsupport {

std::string corpusFile(const std::string& name) {
    return (std::filesystem::path(ROLVANE_CORPUS_DIR) / name).string();
}

std::string corpusMissing(const std::string& name) {
    const std::string path = corpusFile(name);
    if (std::filesystem::exists(path)) return "";
    if (corpusRequired()) return "corpus missing under CI (CI is set): " + path;
    return "corpus absent: " + path;
}

bool corpusRequired() {
    const char* ci = std::getenv("CI");
    return ci && *ci;
}

} // namespace testsupport
