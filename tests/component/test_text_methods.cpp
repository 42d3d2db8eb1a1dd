// The component's text methods and its creation, through the program's client.
#include "clients/component_client.h"
#include "test_files.h"
#include "text/text.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>

using component::Component;
using component::ComponentError;
using modvesk::ansi;

namespace {

class TextMethods : public ::testing::Test {
  protected:
    void SetUp() override {
        comp = Component::create("Python.pythrolvane");
        ASSERT_NE(comp, nullptr);
    }
    std::string replace(const std::string& text, const std::string& what, const std::string& by) {
        return comp->call("remplacechainepar", {text, what, by});
    }
    std::string folder(const std::string& path) { return comp->call("extraitnomchemin", {path}); }
    std::unique_ptr<Component> comp;
};

TEST_F(TextMethods, ReplacesEveryOccurrence) {
    EXPECT_EQ(replace("=\"DUPONT\";=\"Jean\";=\"3A\"", "=", ""), "\"DUPONT\";\"Jean\";\"3A\"");
    EXPECT_EQ(replace("l1\nl2\nl3", "\n", "\r\n"), "l1\r\nl2\r\nl3");
    EXPECT_EQ(replace("aaa", "aa", "b"), "ba");  // left to right, no overlap
    EXPECT_EQ(replace("aa", "a", "aa"), "aaaa"); // replacement not searched again
    EXPECT_EQ(replace("abc", "x", "y"), "abc");
    EXPECT_EQ(replace("", "a", "b"), "");
    EXPECT_EQ(replace("abc", "", "x"), "abc"); // nothing to look for
    EXPECT_EQ(replace("abc", "abc", ""), "");
}

TEST_F(TextMethods, ReplacementKeepsEveryByte) {
    // Windows-1252 letters and a NUL byte pass through the boundary unchanged.
    EXPECT_EQ(replace(ansi("Amélie Lœuvre"), ansi("œ"), "oe"), ansi("Amélie Loeuvre"));
    EXPECT_EQ(replace(std::string("a\0b\0c", 5), std::string("\0", 1), ";"), "a;b;c");
}

TEST_F(TextMethods, FolderOfAPath) {
    EXPECT_EQ(folder("C:\\Rolvane\\bases\\eleves.mdb"), "C:\\Rolvane\\bases");
    EXPECT_EQ(folder("/home/admin/bases/eleves.mdb"), "/home/admin/bases");
    EXPECT_EQ(folder("C:/Rolvane\\eleves.csv"), "C:/Rolvane");
    EXPECT_EQ(folder("C:\\eleves.csv"), "C:");
    EXPECT_EQ(folder("/eleves.csv"), "");
    EXPECT_EQ(folder("/srv//eleves.csv"), "/srv");
    EXPECT_EQ(folder("eleves.csv"), ".");
    EXPECT_EQ(folder(ansi("C:\\Élèves\\base.mdb")), ansi("C:\\Élèves"));
}

TEST_F(TextMethods, MethodNamesIgnoreCase) {
    EXPECT_EQ(comp->call("RemplaceChainePar", {"a-b", "-", "+"}), "a+b");
    EXPECT_EQ(comp->call("EXTRAITNOMCHEMIN", {"/a/b"}), "/a");
}

TEST_F(TextMethods, BadCallsThrowFrenchErrors) {
    try {
        comp->call("inventee", {"x"});
        FAIL() << "an unknown method must fail";
    } catch (const ComponentError& e) {
        EXPECT_EQ(std::string(e.what()),
                  ansi("Méthode inconnue du composant Python.pythrolvane : inventee"));
    }
    try {
        comp->call("remplacechainepar", {"x", "y"});
        FAIL() << "a missing argument must fail";
    } catch (const ComponentError& e) {
        EXPECT_EQ(std::string(e.what()),
                  ansi("La méthode remplacechainepar attend 3 argument(s) et en a reçu 2."));
    }
    // The component still answers after a failed call.
    EXPECT_EQ(replace("ab", "b", "c"), "ac");
}

TEST(Creation, OnlyTheKnownIdentifier) {
    EXPECT_EQ(Component::create("Python.autre"), nullptr);
    EXPECT_EQ(Component::create(""), nullptr);
    // Identifiers are matched without regard to case.
    EXPECT_NE(Component::create("python.PYTHROLVANE"), nullptr);
    // Two components live side by side.
    auto a = Component::create();
    auto b = Component::create();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a.reset();
    EXPECT_EQ(b->call("remplacechainepar", {"x", "x", "y"}), "y");
}

TEST(Creation, AbsentMessage) {
    EXPECT_EQ(component::absentMessage(),
              ansi("Le composant Python.pythrolvane est introuvable (libpythrolvane.so) : "
                   "cette opération est impossible."));
}

TEST(Creation, ExportsOnlyItsInterface) {
    const auto names = testsupport::exportedFunctions(std::filesystem::path(ROLVANE_BIN_DIR) /
                                                      "libpythrolvane.so");
    if (!names) GTEST_SKIP() << "nm n'est pas disponible";
    EXPECT_EQ(*names, (std::set<std::string>{"pythrolvane_abi_version", "pythrolvane_create",
                                             "pythrolvane_destroy", "pythrolvane_free",
                                             "pythrolvane_invoke"}));
}

} // namespace
