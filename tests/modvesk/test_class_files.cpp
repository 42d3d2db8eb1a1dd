#include "jobs/jobs.h"
#include "session_fixture.h"
#include "text/files.h"
#include "text/text.h"

#include <gtest/gtest.h>

using namespace modvesk;
namespace fs = std::filesystem;

namespace {

class ClassFiles : public testsupport::SessionTest {
  protected:
    ClassFiles() { openRegistry = false; }
    void addPupil(const std::string& surname, const std::string& firstName, const std::string& cls,
                  const std::string& password) {
        s.job.setPerson(++s.job.lastPersonIndex, {surname, password, firstName, cls});
    }
};

} // namespace

TEST_F(ClassFiles, OneSortedFilePerClassWithTheFullFirstName) {
    addPupil("ZOLA", "EMILE", "3a", "010101");
    addPupil(ansi("BÉRARD"), "JEAN PIERRE", "3a", "020202");
    addPupil("MARTIN", "LEA", "ulis", "030303");
    addPupil("ALPHA", "ANNE", "4b", "040404");
    s.win.classes.add("3A");
    s.win.classes.add("ULIS");
    writeFile("CLASSES.TXT", "old");
    Command3_Click(s);
    EXPECT_EQ(readFile("3a.TXT"),
              ansi("BÉRARD,JEAN PIERRE,c3a,020202\r\nZOLA,EMILE,c3a,010101\r\n"));
    EXPECT_EQ(readFile("ulis.TXT"), "MARTIN,LEA,ulis,030303\r\n");
    EXPECT_FALSE(hasFile("4b.TXT"));
    EXPECT_FALSE(hasFile("CLASSES.TXT"));
    EXPECT_TRUE(logSays("\r\nCréation des fichiers des comptes pour chaque classe........"));
    // The account lists now hold the last class saved.
    EXPECT_EQ(s.win.lstTri.items(), std::vector<std::string>{"MARTIN,LEA,ulis,030303"});
    EXPECT_TRUE(s.win.LstTri2.empty());
    EXPECT_EQ(s.win.classes.items(), (std::vector<std::string>{"3A", "ULIS"}));
}

TEST_F(ClassFiles, SaveOneClassEmptyNamesAndClassesWithoutPupils) {
    addPupil("ZOLA", "EMILE", "3a", "010101");
    writeFile("3A.TXT", "stale\r\n");
    std::string name = "  3A ";
    sauveClasse(s, name);
    EXPECT_EQ(name, "3a");
    EXPECT_EQ(readFile("3a.txt"), "ZOLA,EMILE,c3a,010101\r\n");
    save1_Click(s, "5C");
    EXPECT_TRUE(hasFile("5c.TXT"));
    EXPECT_EQ(readFile("5c.TXT"), "");
    const auto before = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    save1_Click(s, "   ");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), before);
}

TEST_F(ClassFiles, ImpossibleNamesAreLoggedAndAFailedFileDoesNotStopTheOthers) {
    addPupil("ZOLA", "EMILE", "a/b", "010101");
    addPupil("ALPHA", "ANNE", "6a", "040404");
    addPupil("BETA", "BOB", "6b", "050505");
    for (const char* c : {"A/B", "..", "C:D", "6A", "6B"})
        s.win.classes.add(c);
    fs::create_directory(dir / "6a.TXT"); // a folder in the way: cannot be written
    writeFile("6a.TXT/inside", "x");
    Command3_Click(s);
    for (const char* bad : {"a/b", "..", "c:d"})
        EXPECT_TRUE(logSays(std::string("Classe ignorée (nom de fichier impossible) : ") + bad));
    EXPECT_EQ(s.job.writeErrors,
              (std::vector<std::string>{"...TXT", "6a.TXT", "a/b.TXT", "c:d.TXT"}));
    EXPECT_EQ(readFile("6b.TXT"), "BETA,BOB,c6b,050505\r\n");
    EXPECT_FALSE(fs::exists(dir / "a"));
}

TEST_F(ClassFiles, ClassListStartsAtTheFirstPersonAndComparesWholeNames) {
    addPupil("ZOLA", "EMILE", "3ab", "010101");
    addPupil("ALPHA", "ANNE", "3a", "040404");
    addPupil("BETA", "BOB", "ulis", "050505");
    addPupil("GAMMA", "GUY", " ", "060606");
    remplitClasses(s);
    EXPECT_EQ(s.win.classes.items(), (std::vector<std::string>{"3A", "3AB", "ULIS"}));
    EXPECT_TRUE(s.win.command3Enabled);
}

// The person table keeps each person's texts as given: empty ones, texts longer
// than a block of the table, a person stored again at his index, indexes left
// out (empty persons) and read past the end (empty, the table not grown).
TEST(PersonTable, KeepsEachPersonsTexts) {
    JobState j;
    j.persons.reset(3);
    const std::string longClass(5000, 'c');
    const std::vector<std::pair<long, Person>> stored = {
        {0, {"DUPONT", "pw0", "JEAN", "profs"}}, {1, {"", "", "", ""}},
        {2, {"MARTIN", "", "LEA", longClass}},   {6, {"ZOLA", "pw6", "EMILE", "3a"}},
        {0, {"ALPHA", "pw9", "ANNE", "6b"}}, // a pupil over the first teacher
    };
    for (const auto& [i, p] : stored)
        j.setPerson(i, p);
    const auto same = [](const Person& a, const Person& b) {
        return a.surname == b.surname && a.password == b.password && a.firstName == b.firstName &&
               a.text == b.text;
    };
    EXPECT_TRUE(same(j.personAt(0), stored[4].second));
    EXPECT_TRUE(same(j.personAt(-1), stored[4].second));
    EXPECT_TRUE(same(j.personAt(1), Person{}));
    EXPECT_TRUE(same(j.personAt(2), stored[2].second));
    EXPECT_TRUE(same(j.personAt(4), Person{}));
    EXPECT_TRUE(same(j.personAt(6), stored[3].second));
    EXPECT_TRUE(same(j.personAt(100), Person{}));
    EXPECT_EQ(j.persons.size(), 7u);
}

// A table read once in order, letting go of what it has read: every record not
// yet let go reads back whole, across the blocks of records and of texts (a text
// longer than a block among them); the sanitized build sees any read of memory
// let go.
TEST(PackedTexts, ARecordNotLetGoReadsBackWholeWhileThoseBeforeItAreLetGo) {
    PackedTexts<2> table;
    const auto textsOf = [](size_t i) {
        return std::array<std::string, 2>{"N" + std::to_string(i),
                                          std::string(i == 500 ? 5000 : i % 7, 'x')};
    };
    constexpr size_t kCount = 2000;
    for (size_t i = 0; i < kCount; ++i) {
        const auto t = textsOf(i);
        table.set(i, {t[0], t[1]});
    }
    for (size_t i = 0; i < kCount; ++i) {
        const auto t = textsOf(i);
        const auto read = table[i];
        ASSERT_EQ(read[0], t[0]);
        ASSERT_EQ(read[1], t[1]);
        table.releaseBefore(i + 1);
    }
}
