// The lines of the server's EXPORT file: teachers and groups, responsible groups,
// and the files of changed and deleted lines.
#include "library_test.h"

using namespace libtest;

namespace {
constexpr const char* kChanged = "ComptesProfsResponsablesAModifier.txt";
constexpr const char* kDeleted = "ComptesProfsASupprimer.txt";
const std::string kDupont = "DUPONT;Catherine;profs;c.dupont;;;;;3A 4B";
const std::string kMartin = "MARTIN;Paul;3A;p.martin";

std::string fill(void (*op)(std::string&), size_t size = 50000) {
    std::string buffer = vandrel::blanks(size);
    op(buffer);
    return buffer;
}
std::string teachers() {
    return vandrel::trimmed(fill(vandrel::tableauProfs));
}
std::string groups() {
    return vandrel::trimmed(fill(vandrel::tableauGroupes));
}
std::string responsible(const std::string& surname, const std::string& firstName) {
    std::string buffer = vandrel::blanks(1024);
    vandrel::retrouveDonneesProf(surname, firstName, buffer);
    return buffer;
}
} // namespace

class TeacherLines : public InTempFolder {
  protected:
    void SetUp() override {
        InTempFolder::SetUp();
        vandrel::memligneprof(kDupont);
        vandrel::memligneprof(kMartin);
    }
};

TEST_F(TeacherLines, listsTeachersAndDistinctGroups) {
    EXPECT_EQ(teachers(), "DUPONT;Catherine");
    EXPECT_EQ(groups(), "profs|3A");

    vandrel::memligneprof("LEROY;Anne;PROFS;a.leroy");
    vandrel::memligneprof("BLANC;Luc;pRoFs;l.blanc");
    vandrel::memligneprof("NOIR;Eve;PROFS2;e.noir");
    vandrel::memligneprof("SHORT;LINE"); // fewer than 3 fields: ignored
    vandrel::memligneprof("");
    EXPECT_EQ(teachers(), "DUPONT;Catherine|LEROY;Anne|BLANC;Luc");
    EXPECT_EQ(groups(), "profs|3A|PROFS|pRoFs|PROFS2") << "groups compare exactly";
    // A group met again later keeps only its last place.
    vandrel::memligneprof("X;Y;profs");
    EXPECT_EQ(groups(), "3A|PROFS|pRoFs|PROFS2|profs");
}

TEST_F(TeacherLines, emptyListsLeaveTheBufferUntouched) {
    vandrel::creationCarnet(); // empties both copies
    EXPECT_EQ(fill(vandrel::tableauProfs, 64), vandrel::blanks(64));
    EXPECT_EQ(fill(vandrel::tableauGroupes, 64), vandrel::blanks(64));
    vandrel::memligneprof(kMartin);
    EXPECT_EQ(fill(vandrel::tableauProfs, 64), vandrel::blanks(64));
    EXPECT_EQ(fill(vandrel::tableauGroupes, 3), "3A ");
}

TEST_F(TeacherLines, readsFieldNineOfTheExactTeacher) {
    EXPECT_EQ(vandrel::trimmed(responsible("DUPONT", "Catherine")), "3A 4B");
    EXPECT_EQ(responsible("DUPONT", "catherine"), vandrel::blanks(1024));
    EXPECT_EQ(responsible("MARTIN", "Paul"), vandrel::blanks(1024)) << "only 4 fields";
    // Empty fields are fields: field 9 is counted across them.
    vandrel::memligneprof("LEROY;;profs;;;;;;5C;extra");
    EXPECT_EQ(vandrel::trimmed(responsible("LEROY", "")), "5C");
}

TEST_F(TeacherLines, changedResponsibleGroupsAreWrittenWithTheOtherFieldsUnchanged) {
    vandrel::memligneprof("LEROY;Anne;profs;a.leroy;x;y;z;w;6E;after;last");
    vandrel::msjourbaseresp(1, "DUPONT", "Catherine", "3A 5C");
    vandrel::msjourbaseresp(1, "LEROY", "Anne", "4B 3A ");
    EXPECT_EQ(vandrel::trimmed(responsible("DUPONT", "Catherine")), "3A 5C");
    vandrel::msjourbasekwartz(1);
    EXPECT_EQ(read(kChanged), "DUPONT;Catherine;profs;c.dupont;;;;;3A 5C\r\n"
                              "LEROY;Anne;profs;a.leroy;x;y;z;w;4B 3A ;after;last\r\n");
}

TEST_F(TeacherLines, aChangedTeacherMovesToTheEnd) {
    vandrel::memligneprof("LEROY;Anne;profs;a.leroy;;;;;6E");
    vandrel::msjourbaseresp(1, "DUPONT", "Catherine", "3A 5C");
    EXPECT_EQ(teachers(), "LEROY;Anne|DUPONT;Catherine");
    EXPECT_EQ(groups(), "3A|profs") << "the snapshot keeps its order";
}

TEST_F(TeacherLines, settingTheOldValueBackLeavesNothingToWrite) {
    write(kChanged, "earlier run\r\n");
    vandrel::msjourbaseresp(1, "DUPONT", "Catherine", "3A 5C");
    vandrel::msjourbaseresp(1, "DUPONT", "Catherine", "3A 4B");
    vandrel::msjourbasekwartz(1);
    EXPECT_EQ(read(kChanged), "earlier run\r\n");
    vandrel::msjourbaseresp(1, "NOBODY", "Here", "3A");
    vandrel::msjourbasekwartz(1);
    EXPECT_EQ(read(kChanged), "earlier run\r\n");
}

TEST_F(TeacherLines, deletedLinesAreWrittenInOrderAndLeaveTheWorkingCopy) {
    vandrel::memligneprof("LEROY;Anne;profs;a.leroy");
    vandrel::msjourbaseresp(2, "LEROY", "Anne", " ");
    vandrel::msjourbaseresp(2, "DUPONT", "Catherine", "ignored");
    vandrel::msjourbaseresp(2, "NOBODY", "Here", " ");
    vandrel::msjourbasekwartz(2);
    EXPECT_EQ(read(kDeleted), "LEROY;Anne;profs;a.leroy\r\n" + kDupont + "\r\n");
    EXPECT_EQ(teachers(), "") << "both left the working copy";
    EXPECT_EQ(groups(), "3A|profs") << "the snapshot still counts them";
    EXPECT_EQ(responsible("DUPONT", "Catherine"), vandrel::blanks(1024));

    // The queue was emptied: a second call writes nothing new.
    write(kDeleted, "kept\r\n");
    vandrel::msjourbasekwartz(2);
    EXPECT_EQ(read(kDeleted), "kept\r\n");
}

TEST_F(TeacherLines, pendingDeletionsAreDroppedByAnyOtherMode) {
    vandrel::msjourbaseresp(2, "DUPONT", "Catherine", " ");
    vandrel::msjourbasekwartz(1);
    vandrel::msjourbasekwartz(2);
    EXPECT_FALSE(exists(kDeleted));
    EXPECT_FALSE(exists(kChanged));

    vandrel::msjourbaseresp(2, "MARTIN", "Paul", " ");
    vandrel::msjourbasekwartz(7);
    vandrel::msjourbasekwartz(2);
    EXPECT_FALSE(exists(kDeleted));
}

TEST_F(TeacherLines, aLineOfEightFieldsCanBeDeletedButNotChanged) {
    vandrel::memligneprof("LEROY;Anne;profs;a.leroy;;;;");
    vandrel::msjourbaseresp(1, "LEROY", "Anne", "3A");
    EXPECT_EQ(responsible("LEROY", "Anne"), vandrel::blanks(1024));
    vandrel::msjourbasekwartz(1);
    EXPECT_FALSE(exists(kChanged));
    EXPECT_EQ(teachers(), "DUPONT;Catherine|LEROY;Anne");
    vandrel::msjourbaseresp(2, "LEROY", "Anne", " ");
    vandrel::msjourbasekwartz(2);
    EXPECT_EQ(read(kDeleted), "LEROY;Anne;profs;a.leroy;;;;\r\n");
}

TEST_F(TeacherLines, creationEmptiesTheLinesAndClosingKeepsThem) {
    vandrel::fermercarnet();
    EXPECT_EQ(teachers(), "DUPONT;Catherine");
    vandrel::creationCarnet();
    EXPECT_EQ(teachers(), "");
    EXPECT_EQ(groups(), "");
}

TEST_F(TeacherLines, sameNameTwiceReadsTheLineThatAChangeWouldTouch) {
    vandrel::memligneprof("DUPONT;Catherine;profs;c.dupont2;;;;;5C");
    // The first line's field whole, never mixed with the second's.
    EXPECT_EQ(vandrel::trimmed(responsible("DUPONT", "Catherine")), "3A 4B");
    vandrel::msjourbaseresp(1, "DUPONT", "Catherine", "6E");
    EXPECT_EQ(vandrel::trimmed(responsible("DUPONT", "Catherine")), "5C");
    vandrel::msjourbasekwartz(1);
    EXPECT_EQ(read(kChanged), "DUPONT;Catherine;profs;c.dupont;;;;;6E\r\n");
}

TEST_F(TeacherLines, lineFeedsInsideFieldsBecomeCrLf) {
    vandrel::memligneprof("LEROY;Anne\n;profs;a\r\n");
    vandrel::msjourbaseresp(2, "LEROY", "Anne\n", " ");
    vandrel::msjourbasekwartz(2);
    EXPECT_EQ(read(kDeleted), "LEROY;Anne\r\n;profs;a\r\r\n\r\n");
}

TEST_F(TeacherLines, answersTooLongForTheBufferAreNotDelivered) {
    EXPECT_EQ(fill(vandrel::tableauProfs, 16), vandrel::blanks(16)); // DUPONT;Catherine is 16
    EXPECT_EQ(fill(vandrel::tableauProfs, 17), "DUPONT;Catherine ");
    std::string buffer = vandrel::blanks(5);
    vandrel::retrouveDonneesProf("DUPONT", "Catherine", buffer);
    EXPECT_EQ(buffer, vandrel::blanks(5));
}
