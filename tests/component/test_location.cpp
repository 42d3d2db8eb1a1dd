// Where the program finds the component. This test program lives apart from the
// build's bin folder, so the component is not next to it.
#include "clients/component_client.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using component::Component;
namespace fs = std::filesystem;

namespace {

class Location : public ::testing::Test {
  protected:
    void SetUp() override {
        ::unsetenv("ROLVANE_COMPONENT_DIR");
        ::unsetenv("ROLVANE_LIBRARY_DIR");
        char pattern[] = "/tmp/rolvane-sans-composant-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        empty = pattern;
    }
    void TearDown() override { fs::remove_all(empty); }
    std::string empty;
};

TEST_F(Location, FoundInTheFolderNamedByTheEnvironment) {
    ::setenv("ROLVANE_COMPONENT_DIR", ROLVANE_BIN_DIR, 1);
    auto comp = Component::create();
    ASSERT_NE(comp, nullptr);
    EXPECT_EQ(comp->call("extraitnomchemin", {"/a/b.csv"}), "/a");
    ::unsetenv("ROLVANE_COMPONENT_DIR");
    ::setenv("ROLVANE_LIBRARY_DIR", ROLVANE_BIN_DIR, 1);
    EXPECT_NE(Component::create(), nullptr);
}

TEST_F(Location, AFolderWithoutTheComponentGivesNone) {
    if (fs::exists(fs::path(ROLVANE_INSTALL_LIBDIR_FOR_TESTS) / "libpythrolvane.so"))
        GTEST_SKIP() << "the component is installed on this machine";
    ::setenv("ROLVANE_COMPONENT_DIR", empty.c_str(), 1);
    EXPECT_EQ(Component::create(), nullptr);
    // A file of that name that is no component is refused as well.
    FILE* f = std::fopen((fs::path(empty) / "libpythrolvane.so").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("pas une bibliotheque", f);
    std::fclose(f);
    EXPECT_EQ(Component::create(), nullptr);
}

} // namespace
