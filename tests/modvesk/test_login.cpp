#include "accounts/login.h"

#include "clients/vandrel_client.h"
#include "session_fixture.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace modvesk;
using testsupport::SessionTest;

namespace {

class LoginTest : public SessionTest {
  protected:
    // Runs BuildLogin and registers the key, as a builder does once its entry is built.
    LoginParts build(PersonKind kind, const std::string& surname, const std::string& firstName,
                     const std::string& group = "c3a") {
        LoginParts lp = BuildLogin(s, kind, surname, firstName, group);
        vandrel::inserenom(lp.nameKey);
        return lp;
    }
};

} // namespace

TEST(Folding, TableLettersThenEveryOtherAccentedLetter) {
    std::string r = ansi("ëéêèçâàôûïî");
    FoldRecord(r, RecordKind::CsvPupil);
    EXPECT_EQ(r, "eeeecaaouii");

    std::string all = ansi("ÀÁÂÃÄÅÇÈÉÊËÌÍÎÏÑÒÓÔÕÖØÙÚÛÜÝŸŠŽ");
    FoldRecord(all, RecordKind::GepPupil);
    EXPECT_EQ(all, "AAAAAACEEEEIIIINOOOOOOUUUUYYSZ");
    std::string small = ansi("áãäåìíñòóõöøùúüýÿšž");
    FoldRecord(small, RecordKind::GepTeacher);
    EXPECT_EQ(small, "aaaaiinooooouuuyysz");

    // Ligatures, sharp s and other letters without a plain form stay.
    std::string kept = ansi("œŒæÆßðÞµ");
    FoldRecord(kept, RecordKind::CsvTeacher);
    EXPECT_EQ(kept, ansi("œŒæÆßðÞµ"));
}

TEST(Folding, LoginsHoldAsciiOnly) {
    // The letters that stand for two are spelled out; what has no plain form goes.
    const std::pair<const char*, const char*> cases[] = {
        {"CŒUR", "coeur"},  {"LÆTITIA", "laetitia"}, {"STRAßE", "strasse"},
        {"ÐORÐE", "dorde"}, {"ÞÓR", "thr"},          {"A+µB&C~1", "abc1"},
    };
    for (const auto& [surname, login] : cases)
        EXPECT_EQ(LoginFor(LoginFormat::NomDabord, ansi(surname), "X"), std::string(login) + ".x")
            << surname;
}

TEST(Folding, ApostrophesAndQuotesByKind) {
    for (RecordKind kind : {RecordKind::GepPupil, RecordKind::CsvPupil, RecordKind::CsvTeacher}) {
        std::string r = ansi("D'ARTAGNAN;\"Élodie\"");
        FoldRecord(r, kind);
        EXPECT_EQ(r, "D ARTAGNAN;Elodie");
    }
    std::string teacher = ansi("D'ARTAGNAN;\"Élodie\"");
    FoldRecord(teacher, RecordKind::GepTeacher);
    EXPECT_EQ(teacher, "D'ARTAGNAN;Elodie");
}

TEST(Folding, ATableFoldsARecordAsFoldRecordDoes) {
    // Quotes vanish and move every later field back; accents fold one for one.
    const std::string records[] = {ansi("12\"4567 DU\"\"PONT   L'éa \"x\"   \""),
                                   "\"\"\"ab\x82\x90\"c'd\"", "no quote at all",
                                   "an ASCII record: O'Neil, d'Arc", ""};
    for (const bool fromOem : {false, true})
        for (const RecordKind kind : {RecordKind::GepPupil, RecordKind::GepTeacher}) {
            const RecordFolding folding(kind, fromOem);
            std::string room = "left from an earlier record";
            for (const std::string& record : records) {
                std::string whole = fromOem ? OemToAnsi(record) : record;
                FoldRecord(whole, kind);
                EXPECT_EQ(folding.fold(record, room), whole) << record;
            }
        }
}

// A record is folded eight bytes at a time where it can be, its last bytes too:
// every byte, at every place of a word or of the short end of a record, and among
// bytes that are or are not folded, must fold as it does alone.
TEST(Folding, ARecordFoldsEveryByteAsAlone) {
    for (const RecordKind kind : {RecordKind::CsvPupil, RecordKind::GepTeacher})
        for (const char neighbour : {'a', '\'', '"', '\xE9'})
            for (unsigned b = 0; b < 256; ++b)
                for (const size_t length : {17, 13, 6})
                    for (size_t place = 0; place < std::min<size_t>(8, length - 1); ++place) {
                        std::string record(length, neighbour), expected;
                        record[place + 1] = static_cast<char>(b);
                        for (const char c : record) {
                            std::string alone(1, c);
                            FoldRecord(alone, kind);
                            expected += alone;
                        }
                        FoldRecord(record, kind);
                        ASSERT_EQ(record, expected) << b << " at " << place << " by " << neighbour;
                    }
}

TEST(Folding, FieldCleanUp) {
    EXPECT_EQ(CleanTeacherSurname(" le goff-d'arc_x "), "LEGOFFDARCX");
    EXPECT_EQ(CleanTeacherFirstName(" Jean-Luc O'Neil_ "), "jeanluc oneil");
    EXPECT_EQ(CleanPupilSurname(" Martin-Durand le_Goff "), "MARTINDURANDLEGOFF");
    EXPECT_EQ(CleanPupilFirstName(" Jean-Pierre Paul_ "), "JEANPIERRE PAUL");
    EXPECT_EQ(CleanPupilSurname(ansi("cœur")), ansi("CŒUR"));
    auto c = CleanPupilClass(" 6A ");
    EXPECT_EQ(c.stored, "6a");
    EXPECT_EQ(c.group, "c6a");
    c = CleanPupilClass("ULIS");
    EXPECT_EQ(c.stored, "ulis");
    EXPECT_EQ(c.group, "ulis");
    c = CleanPupilClass(" 3 A-1_b ");
    EXPECT_EQ(c.stored, "3a1b");
    EXPECT_EQ(c.group, "c3a1b");
}

TEST(Folding, AClassAskedAgainIsTheOneKeptUntilTwentyThousandOthersCome) {
    // Past the few thousand classes kept, the kept ones start afresh: each text
    // still gets its own cleaning, and one asked twice in a row the same entry.
    for (int i = 0; i < 20000; ++i) {
        const std::string text = " " + std::to_string(i) + "-B ";
        KnownClass& known = KnownPupilClass(text);
        ASSERT_EQ(known.cls.stored, std::to_string(i) + "b") << text;
        ASSERT_EQ(known.cls.group, "c" + known.cls.stored) << text;
        ASSERT_EQ(&KnownPupilClass(text), &known) << text;
        if (i % 7 == 0) {
            ASSERT_EQ(KnownPupilClass(" 6A ").cls.group, "c6a");
        }
    }
}

TEST(Folding, CleanUpBlanksSeparatorsThenTrimsCasesAndDrops) {
    // Each clean-up is one pass; it gives what the steps give one after the other.
    auto steps = [](std::string_view field, bool upper, std::string_view dropped) {
        const std::string t = Trim(BlankSeparators(field));
        std::string out = upper ? Upper(t) : Lower(t);
        std::erase_if(out, [&](char c) { return dropped.find(c) != std::string_view::npos; });
        return out;
    };
    const std::string fields[] = {";\t Le Goff-d'Arc_X ,|", std::string("\0a;b\x7F c\0", 8),
                                  ansi(" cœur Éva;"), "", " ;, "};
    for (const std::string& f : fields) {
        EXPECT_EQ(CleanTeacherSurname(f), steps(f, true, " '-_")) << f;
        EXPECT_EQ(CleanTeacherFirstName(f), steps(f, false, "_-'")) << f;
        EXPECT_EQ(CleanPupilSurname(f), steps(f, true, " _-")) << f;
        EXPECT_EQ(CleanPupilFirstName(f), steps(f, true, "_-")) << f;
        EXPECT_EQ(CleanPupilClass(f).stored, steps(f, false, " _-")) << f;
        EXPECT_EQ(CleanValue(f), Trim(BlankSeparators(f))) << f;
    }
}

TEST_F(LoginTest, TeacherClashesAreNumberedAndReported) {
    s.win.loginFormat = LoginFormat::Abrev;
    auto a = build(PersonKind::Teacher, "DUPONT", "catherine");
    auto b = build(PersonKind::Teacher, "DUPONT", "claude");
    auto c = build(PersonKind::Teacher, "DUPONT", "cecile marie");
    EXPECT_EQ(a.login, "c.dupont");
    EXPECT_EQ(b.login, "c1.dupont");
    EXPECT_EQ(c.login, "c2.dupont");
    EXPECT_EQ(a.nameKey, "DUPONT C");
    // A renumbered teacher's key keeps the lower-case first-name part.
    EXPECT_EQ(b.nameKey, "DUPONT c1");
    EXPECT_EQ(c.nameKey, "DUPONT c2");
    EXPECT_EQ(c.firstPart, "c2");
    EXPECT_EQ(c.clashNumber, 2);
    EXPECT_EQ(vandrel::present("DUPONT c1"), vandrel::kTrue);
    EXPECT_EQ(vandrel::present("DUPONT C1"), vandrel::kFalse);
    // Teachers' lines carry an empty group: they end with two blanks.
    EXPECT_EQ(readFile("doublons.txt"),
              "DUPONT c1  ->  DUPONT  claude  \r\nDUPONT c2  ->  DUPONT  cecile marie  \r\n");
    EXPECT_FALSE(hasFile("troncatures.txt"));
}

TEST_F(LoginTest, PupilClashesUseUpperCaseKeysAndTheClass) {
    s.win.loginFormat = LoginFormat::Abrev;
    build(PersonKind::Pupil, "DUPONT", "CATHERINE");
    auto b = build(PersonKind::Pupil, "DUPONT", "CLAUDE", "c6a");
    EXPECT_EQ(b.nameKey, "DUPONT C1");
    EXPECT_EQ(b.login, "c1.dupont");
    EXPECT_EQ(readFile("doublons.txt"), "DUPONT C1  ->  DUPONT  CLAUDE  c6a\r\n");
}

TEST_F(LoginTest, ThreeFormats) {
    struct Case {
        LoginFormat format;
        const char* martin;
        const char* long12;
    };
    for (Case c : {Case{LoginFormat::NomDabord, "martin.jean", "dupontel.maximilienn"},
                   Case{LoginFormat::Entier, "jean.martin", "maximilienn.dupontel"},
                   Case{LoginFormat::Abrev, "j.martin", "m.dupontel"}}) {
        vandrel::fermercarnet();
        vandrel::creationCarnet();
        s.win.loginFormat = c.format;
        auto m = build(PersonKind::Pupil, "MARTIN", "JEAN PIERRE");
        EXPECT_EQ(m.login, c.martin);
        EXPECT_EQ(m.firstWord, "JEAN");
        // L = LoginMax - Len(surname) = 11, except in the abbreviated format.
        auto d = build(PersonKind::Teacher, "DUPONTEL", "maximilienne");
        EXPECT_EQ(d.login, c.long12);
    }
}

TEST_F(LoginTest, ClashNumbersHaveNoUpperBound) {
    s.win.loginFormat = LoginFormat::Abrev;
    vandrel::inserenom("DUPONT C");
    for (int i = 1; i <= 11; ++i)
        vandrel::inserenom("DUPONT C" + std::to_string(i));
    auto p = build(PersonKind::Pupil, "DUPONT", "CLAUDE");
    EXPECT_EQ(p.firstPart, "C12");
    EXPECT_EQ(p.login, "c12.dupont");
    EXPECT_EQ(readFile("doublons.txt"), "DUPONT C12  ->  DUPONT  CLAUDE  c3a\r\n");
}

TEST_F(LoginTest, LongSurnamesKeepOneLetterAndAreReported) {
    s.win.loginFormat = LoginFormat::NomDabord;
    auto p = build(PersonKind::Pupil, "DELACROIXDESAINTEMARIE", "JEAN");
    EXPECT_EQ(p.firstPart, "J");
    EXPECT_EQ(p.login, "delacroixdesaintemarie.j");
    ReportTruncation(s, "DELACROIXDESAINTEMARIE", p.firstPart, "c3a");

    // 18 and 19 letters plus one: not over 20 characters, no line.
    auto q = build(PersonKind::Pupil, "ABCDEFGHIJKLMNOPQRS", "JEAN");
    EXPECT_EQ(q.firstPart, "J");
    ReportTruncation(s, "ABCDEFGHIJKLMNOPQRS", q.firstPart, "c3a");
    ReportTruncation(s, "ABCDEFGHIJKLMNOPQR", "J", "c3a");
    // The same name again: the clash number makes 21 characters.
    auto r = build(PersonKind::Pupil, "ABCDEFGHIJKLMNOPQRS", "JULES");
    EXPECT_EQ(r.firstPart, "J1");
    ReportTruncation(s, "ABCDEFGHIJKLMNOPQRS", r.firstPart, "profs");

    EXPECT_EQ(readFile("troncatures.txt"),
              "DELACROIXDESAINTEMARIE J -> troncature ->  J.DELACROIXDESAINTE  c3a\r\n"
              "ABCDEFGHIJKLMNOPQRS J1 -> troncature ->  J1.ABCDEFGHIJKLMNOP  profs\r\n");
}

TEST_F(LoginTest, ReportLinesKeepTheirBytes) {
    // Letters without a plain form reach the report lines and logins unchanged.
    s.win.loginFormat = LoginFormat::Abrev;
    const std::string surname = CleanTeacherSurname(ansi("cœur"));
    build(PersonKind::Teacher, surname, "anne");
    auto b = build(PersonKind::Teacher, surname, ansi("agnès"));
    EXPECT_EQ(b.login, "a1.coeur");
    EXPECT_EQ(readFile("doublons.txt"), ansi("CŒUR a1  ->  CŒUR  agnès  \r\n"));
}

TEST_F(LoginTest, AFailedReportLineIsLogged) {
    s.win.loginFormat = LoginFormat::Abrev;
    std::filesystem::create_directory(dir / "doublons.txt"); // cannot be written
    build(PersonKind::Pupil, "DUPONT", "CATHERINE");
    build(PersonKind::Pupil, "DUPONT", "CLAUDE");
    ASSERT_EQ(s.job.writeErrors.size(), 1u);
    EXPECT_EQ(s.job.writeErrors[0], "doublons.txt");
    EXPECT_TRUE(logSays("Erreur : impossible d'écrire doublons.txt"));
}
