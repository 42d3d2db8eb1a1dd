// Files for the tests of every folder: bytes put into a file and read back, a
// temporary folder, and the names a shared object exports.
#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace testsupport {

namespace fs = std::filesystem;

// Writes the bytes as the whole file.
void put(const fs::path& path, const std::string& bytes);
// The bytes of a file, "" when it cannot be read.
std::string bytesOf(const fs::path& path);

// A fresh temporary folder, removed by its destructor.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// The functions a shared object exports (nm -D); nothing when nm cannot be run.
std::optional<std::set<std::string>> exportedFunctions(const fs::path& object);

} // namespace testsupport
