// The component's inner pieces: its code-page conversion and the child process
// that keeps a crashing or hanging Access reader away from the program.
#include "access_reader.h"
#include "cp1252.h"
#include "failure.h"
#include "isolated_run.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace pythrolvane;

namespace {

TEST(CodePage, Utf8ToWindows1252) {
    EXPECT_EQ(utf8ToCp1252("Élève Lœuvre à 5 €, «oui» ÿ Ÿ"),
              "\xC9l\xE8ve L\x9C"
              "uvre \xE0 5 \x80, \xABoui\xBB \xFF \x9F");
    EXPECT_EQ(utf8ToCp1252("Š š Ž ž ‘’ “” – — … ™ †"),
              "\x8A \x9A \x8E \x9E \x91\x92 \x93\x94 \x96 \x97 \x85 \x99 \x86");
    // What the code page lacks becomes "?", one per character.
    EXPECT_EQ(utf8ToCp1252("Łódź 東京 😀"), "?\xF3"
                                           "d? ?? ?");
    // Malformed sequences give "?" per byte and never swallow what follows.
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");
    EXPECT_EQ(utf8ToCp1252("a\xE9z"), "a?z");
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "??"); // overlong "/"
}

TEST(CodePage, RoundTripOfEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    EXPECT_EQ(cp1252ToUtf8("\x80\xE9"), "€é");
}

TEST(Positions, ParsedAndChecked) {
    EXPECT_EQ(parsePositions(" 0 2 1 2"), (std::vector<size_t>{0, 2, 1, 2}));
    EXPECT_EQ(parsePositions(""), std::vector<size_t>{});
    EXPECT_EQ(parsePositions("   "), std::vector<size_t>{});
    EXPECT_EQ(parsePositions("12"), std::vector<size_t>{12});
    EXPECT_THROW(parsePositions(" 1,2"), Failure);
    EXPECT_THROW(parsePositions(" +1"), Failure);
    EXPECT_THROW(parsePositions(" 99999999999999999999"), Failure);
}

TEST(Values, SeparatorsAndLineEndsBecomeBlanks) {
    EXPECT_EQ(fieldSafe("12 rue Haute;\r\nApt 3\n"), "12 rue Haute   Apt 3 ");
    EXPECT_EQ(fieldSafe("DUPONT"), "DUPONT");
}

TEST(Isolation, AnswerAndFailureComeBack) {
    const std::string big(300000, 'x'); // larger than a pipe holds at once
    auto answer = runIsolated([&] { return IsolatedAnswer{true, big}; }, 30);
    EXPECT_TRUE(answer.ok);
    EXPECT_EQ(answer.text, big);
    answer = runIsolated([] { return IsolatedAnswer{false, "Table inconnue"}; }, 30);
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.text, "Table inconnue");
    answer = runIsolated([]() -> IsolatedAnswer { throw Failure("Base Access illisible"); }, 30);
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.text, "Base Access illisible");
}

TEST(Isolation, ACrashingReaderGivesAFrenchError) {
    try {
        // Aborting, as glib does when an allocation fails (the sanitizers take SIGSEGV).
        runIsolated([]() -> IsolatedAnswer { std::abort(); }, 30);
        FAIL() << "a crash must be reported";
    } catch (const Failure& e) {
        EXPECT_EQ(std::string(e.what()),
                  "La lecture de la base Access a échoué : le fichier est peut-être endommagé "
                  "(le lecteur s'est arrêté sur le signal " +
                      std::to_string(SIGABRT) + ").");
    }
    try {
        runIsolated([]() -> IsolatedAnswer { ::_exit(3); }, 30);
        FAIL() << "a reader that quits must be reported";
    } catch (const Failure& e) {
        EXPECT_EQ(std::string(e.what()),
                  "La lecture de la base Access a échoué : le lecteur s'est arrêté sans répondre.");
    }
}

TEST(Isolation, AHangingReaderIsStopped) {
    try {
        runIsolated(
            []() -> IsolatedAnswer {
                for (;;)
                    ::pause();
            },
            1);
        FAIL() << "a reader that never answers must be stopped";
    } catch (const Failure& e) {
        EXPECT_EQ(
            std::string(e.what()),
            "La lecture de la base Access a été abandonnée : aucune réponse après 1 secondes.");
    }
}

} // namespace
