// What the fuzz targets share: a scratch folder for the files an input becomes,
// and dialogs that answer No and choose no file.
#pragma once

#include "model/model.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzzing {

namespace fs = std::filesystem;

// A folder of this process, in memory when /dev/shm exists; removed at exit.
inline const fs::path& scratch() {
    static const fs::path dir = [] {
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string tmpl = (base / "rolvane-fuzz-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        static const std::string keep = tmpl;
        std::atexit([] {
            std::error_code e;
            fs::remove_all(keep, e);
        });
        return fs::path(tmpl);
    }();
    return dir;
}

// Empties the scratch folder.
inline void clearScratch() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(scratch(), ec))
        fs::remove_all(entry.path(), ec);
}

inline void writeFile(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) std::abort();
}

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Stops the run with a message: libFuzzer keeps the input that caused it.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

class NoDialogs : public modvesk::Dialogs {
  public:
    void message(const std::string&, const std::string&, modvesk::Icon) override {}
    bool question(const std::string&, const std::string&, modvesk::Icon) override { return false; }
    std::string openFile(const std::string&, const std::string&, const std::string&) override {
        return "";
    }
    void attente(long) override {}
};

} // namespace fuzzing
