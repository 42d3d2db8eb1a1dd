// The exported boundary itself: which names the library exports, how the client
// finds it, and the fill contract of text answers.
#include "library_test.h"

#include <cstdio>
#include <set>
#include <sstream>

using namespace libtest;

namespace {

std::string libraryFile() {
    return binDir() + "/vandrel1.dlp";
}

bool haveNm() {
    return std::system("command -v nm >/dev/null 2>&1") == 0;
}

std::set<std::string> exportedNames() {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + libraryFile() + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string word, last;
        while (fields >> word)
            last = word;
        if (!last.empty()) names.insert(last);
    }
    ::pclose(pipe);
    return names;
}

} // namespace

TEST(LibraryExports, exactlyTheOperationsAndRaz) {
    if (!haveNm()) GTEST_SKIP() << "nm is not installed";
    const std::set<std::string> expected = {"creationCarnet",
                                            "fermercarnet",
                                            "inserenom",
                                            "present",
                                            "presentID",
                                            "inserenomancien",
                                            "presentancien",
                                            "elevessortis",
                                            "raz",
                                            "memoriseProfEnService",
                                            "razProfEnService",
                                            "associecodegroupe",
                                            "associeProfsGroupes",
                                            "genereGroupes",
                                            "inseredstableau",
                                            "indexdstableau",
                                            "memligneprof",
                                            "tableauProfs",
                                            "tableauGroupes",
                                            "retrouveDonneesProf",
                                            "msjourbaseresp",
                                            "msjourbasekwartz"};
    EXPECT_EQ(exportedNames(), expected);
}

TEST(LibraryLoading, foundNextToTheExecutable) {
    vandrel::reloadFrom("");
    ASSERT_TRUE(vandrel::available());
    EXPECT_TRUE(fs::equivalent(vandrel::loadedPath(), libraryFile())) << vandrel::loadedPath();
}

TEST(LibraryLoading, absentLibraryAnswersNothing) {
    const fs::path empty =
        fs::temp_directory_path() / ("rolvane-nolib-" + std::to_string(::getpid()));
    fs::create_directories(empty);
    vandrel::reloadFrom(empty.string());
    EXPECT_FALSE(vandrel::available());
    EXPECT_EQ(vandrel::loadedPath(), "");
    vandrel::creationCarnet();
    vandrel::inserenom("DUPONT CATHERINE");
    EXPECT_EQ(vandrel::present("DUPONT CATHERINE"), vandrel::kFalse);
    EXPECT_EQ(vandrel::inseredstableau("A"), 0);
    std::string buffer = vandrel::blanks(8);
    vandrel::presentancien("DUPONT CATHERINE", buffer);
    EXPECT_EQ(buffer, vandrel::blanks(8));
    vandrel::raz();
    fs::remove_all(empty);

    // Named folder, then back to the usual search.
    vandrel::reloadFrom(binDir());
    EXPECT_TRUE(vandrel::available());
    vandrel::reloadFrom("");
    EXPECT_TRUE(vandrel::available());
}

class FillContract : public RegistryTest {
  protected:
    // The answer of presentancien for a value, in a buffer of n dots followed by a
    // terminator and bytes that do not belong to the buffer.
    std::string answer(const std::string& value, size_t n) {
        vandrel::fermercarnet();
        vandrel::creationCarnet();
        vandrel::inserenomancien("KEY", value);
        std::string buffer = std::string(n, '.') + std::string("\0TAIL", 5);
        vandrel::presentancien("KEY", buffer);
        EXPECT_EQ(buffer.substr(n), std::string("\0TAIL", 5)) << "written past the buffer";
        return buffer.substr(0, n);
    }
};

TEST_F(FillContract, shorterAnswerOverwritesItsLengthOnly) {
    EXPECT_EQ(answer("ABCDEFG", 8), "ABCDEFG.");
    EXPECT_EQ(answer("AB", 8), "AB......");
    EXPECT_EQ(answer("", 8), "........");
}

TEST_F(FillContract, answerAsLongAsTheBufferOrLongerGivesALeadingBlank) {
    EXPECT_EQ(answer("ABCDEFGH", 8), " .......");
    EXPECT_EQ(answer("ABCDEFGHI", 8), " .......");
    EXPECT_EQ(answer("ABCDEFGH", 1), " ");
}

TEST_F(FillContract, emptyBufferGetsNothing) {
    EXPECT_EQ(answer("AB", 0), "");
}

TEST_F(FillContract, bufferOfBlanksAsTheProgramPassesIt) {
    std::string buffer = vandrel::blanks(256);
    vandrel::presentancien("NEVER REGISTERED", buffer);
    EXPECT_EQ(buffer, "n" + std::string(255, ' '));

    vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
    buffer = vandrel::blanks(256);
    vandrel::presentancien("DUPONT CATHERINE", buffer);
    EXPECT_EQ(buffer, "3A dupont.c" + std::string(245, ' '));
    EXPECT_EQ(vandrel::trimmed(buffer), "3A dupont.c");

    vandrel::inserenomancien("LONG VALUE", std::string(255, 'v'));
    vandrel::inserenomancien("TOO LONG", std::string(256, 'v'));
    buffer = vandrel::blanks(256);
    vandrel::presentancien("LONG VALUE", buffer);
    EXPECT_EQ(buffer, std::string(255, 'v') + " ");
    buffer = vandrel::blanks(256);
    vandrel::presentancien("TOO LONG", buffer);
    EXPECT_EQ(vandrel::trimmed(buffer), "");
}

TEST(ClientText, trimmedRemovesBlanksOnBothSidesOnly) {
    EXPECT_EQ(vandrel::trimmed("  3A 4B   "), "3A 4B");
    EXPECT_EQ(vandrel::trimmed("\t3A\n"), "\t3A\n");
    EXPECT_EQ(vandrel::trimmed(vandrel::blanks(5)), "");
}

TEST_F(RegistryTest, razDoesNothing) {
    vandrel::inserenom("DUPONT CATHERINE");
    vandrel::memoriseProfEnService("T1");
    vandrel::raz();
    EXPECT_EQ(vandrel::present("DUPONT CATHERINE"), vandrel::kTrue);
    EXPECT_EQ(vandrel::presentID("T1"), vandrel::kTrue);
}
