// What the library tests share: a fresh library state per test, a temporary
// working folder, and file reading.
#pragma once

#include "clients/vandrel_client.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace libtest {

namespace fs = std::filesystem;

inline std::string binDir() {
    return ROLVANE_BIN_DIR;
}

// Empty registries and group tables (tableau1 is never emptied by the library).
class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(vandrel::available()) << "vandrel1.dlp not found";
        vandrel::fermercarnet();
        vandrel::razProfEnService();
        vandrel::creationCarnet();
    }
    void TearDown() override { vandrel::fermercarnet(); }
};

// Runs each test in a fresh empty folder that is the current directory, so that the
// files the library writes (relative names) land there.
class InTempFolder : public RegistryTest {
  protected:
    void SetUp() override {
        RegistryTest::SetUp();
        previous_ = fs::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ =
            fs::temp_directory_path() / (std::string("rolvane-lib-") + info->test_suite_name() +
                                         "-" + info->name() + "-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        fs::current_path(folder_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(folder_);
        RegistryTest::TearDown();
    }
    bool exists(const std::string& name) const { return fs::exists(folder_ / name); }
    std::string read(const std::string& name) const {
        std::ifstream in(folder_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }

    fs::path folder_;

  private:
    fs::path previous_;
};

} // namespace libtest
