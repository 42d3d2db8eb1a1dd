#include "test_files.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

void put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "rolvane-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::optional<std::set<std::string>> exportedFunctions(const fs::path& object) {
    if (std::system("command -v nm >/dev/null 2>&1") != 0) return std::nullopt;
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + object.string() + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line); // address, type, name
        std::string address, type, name;
        if (fields >> address >> type >> name && type == "T") names.insert(name);
    }
    ::pclose(pipe);
    return names;
}

} // namespace testsupport
