// A test fixture for job code: a fresh temporary program directory (also made the
// current directory, where the library writes its files), a Session on it with
// ScriptedDialogs, and the library built with the tests (ROLVANE_BIN_DIR) loaded,
// its registry opened before each test (creationCarnet) and closed after it.
#pragma once

#include "model/model.h"
#include "scripted_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

namespace fs = std::filesystem;

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

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The bytes of a file of the program directory (name matched without regard
    // to case); "" when it does not exist.
    std::string readFile(const std::string& name) const;
    bool hasFile(const std::string& name) const;
    void writeFile(const std::string& name, const std::string& bytes) const;
    // The lines of a file split at CR LF (the last, unended line included if not empty).
    std::vector<std::string> fileLines(const std::string& name) const;
    // Whether the log box (Windows-1252) holds the UTF-8 text; the log is shown
    // when the check fails.
    ::testing::AssertionResult logSays(const std::string& utf8Text) const;

    // Set to false in a derived fixture's constructor to leave the registry closed.
    bool openRegistry = true;

    std::unique_ptr<TempDir> temp;
    fs::path dir;
    fs::path previousDir;
    ScriptedDialogs ui;
    modvesk::Session s;
};

} // namespace testsupport
