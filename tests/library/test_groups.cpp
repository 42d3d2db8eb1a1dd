// Teachers in service, the classes behind group codes and each teacher's groups.
#include "library_test.h"

using namespace libtest;
using vandrel::kFalse;
using vandrel::kTrue;

namespace {
std::string groupsOf(const std::string& teacher, size_t size = 5000) {
    std::string buffer = vandrel::blanks(size);
    vandrel::genereGroupes(teacher, buffer);
    return buffer;
}
} // namespace

using TeacherGroups = RegistryTest;

TEST_F(TeacherGroups, teachersInServiceLiveInTheirOwnStore) {
    vandrel::memoriseProfEnService("T1");
    vandrel::memoriseProfEnService("T1");
    EXPECT_EQ(vandrel::presentID("T1"), kTrue);
    EXPECT_EQ(vandrel::presentID("t1"), kFalse);
    vandrel::razProfEnService();
    EXPECT_EQ(vandrel::presentID("T1"), kFalse);
}

TEST(TeacherGroupsReset, razOpensTheStoreEvenWithoutCreation) {
    vandrel::fermercarnet();
    vandrel::associeProfsGroupes("5C", "D", "T1");
    vandrel::razProfEnService();
    EXPECT_EQ(vandrel::presentID("T1"), kFalse);
    EXPECT_EQ(groupsOf("T1", 16), vandrel::blanks(16));
    vandrel::memoriseProfEnService("T1");
    EXPECT_EQ(vandrel::presentID("T1"), kTrue);
    EXPECT_EQ(vandrel::present("T1"), kFalse) << "carnet stays absent";
    vandrel::fermercarnet();
    EXPECT_EQ(vandrel::presentID("T1"), kFalse);
}

TEST_F(TeacherGroups, aGroupCodeGivesTheClassOfItsFirstRecord) {
    vandrel::associecodegroupe("G1", "3A");
    vandrel::associecodegroupe("G1", "4B");
    vandrel::associeProfsGroupes("G1", "G", "T");
    EXPECT_EQ(vandrel::trimmed(groupsOf("T")), "c3A");

    vandrel::associeProfsGroupes("G9", "G", "U"); // unknown code
    EXPECT_EQ(groupsOf("U", 16), vandrel::blanks(16));
}

TEST_F(TeacherGroups, classNamesStartingWithADigitArePrefixed) {
    vandrel::associeProfsGroupes("5C", "D", "T");
    vandrel::associeProfsGroupes("A3", "D", "T");
    vandrel::associecodegroupe("G2", "6E");
    vandrel::associeProfsGroupes("G2", "G", "T");
    EXPECT_EQ(vandrel::trimmed(groupsOf("T")), "c5C A3 c6E");

    vandrel::associeProfsGroupes("", "D", "V");
    vandrel::associeProfsGroupes("X", "D", "V");
    EXPECT_EQ(groupsOf("V", 4), " X  ") << "the empty class name stays empty";
}

TEST_F(TeacherGroups, onlyKindsGAndDRecordAnything) {
    vandrel::associecodegroupe("G1", "3A");
    for (const char* kind : {"g", "d", "", "GD", "X"})
        vandrel::associeProfsGroupes("G1", kind, "T");
    EXPECT_EQ(groupsOf("T", 16), vandrel::blanks(16));
}

TEST_F(TeacherGroups, repeatedGroupsKeepTheirLastPlace) {
    vandrel::associeProfsGroupes("3A", "D", "T");
    vandrel::associeProfsGroupes("4B", "D", "T");
    vandrel::associeProfsGroupes("3A", "D", "T");
    vandrel::associeProfsGroupes("5C", "D", "OTHER");
    EXPECT_EQ(groupsOf("T"), "c4B c3A" + std::string(4993, ' '));
}

TEST_F(TeacherGroups, aResultTooLongForTheBufferIsNotDelivered) {
    vandrel::associeProfsGroupes("3A", "D", "T");
    vandrel::associeProfsGroupes("4B", "D", "T");
    EXPECT_EQ(groupsOf("T", 7), vandrel::blanks(7));
    EXPECT_EQ(groupsOf("T", 8), "c3A c4B ");
}

TEST_F(TeacherGroups, tablesSurviveTheRegistryLifecycleUntilReset) {
    vandrel::associecodegroupe("G1", "3A");
    vandrel::associeProfsGroupes("4B", "D", "T");
    vandrel::fermercarnet();
    vandrel::creationCarnet();
    vandrel::associeProfsGroupes("G1", "G", "T");
    EXPECT_EQ(vandrel::trimmed(groupsOf("T")), "c4B c3A");
    vandrel::razProfEnService();
    EXPECT_EQ(groupsOf("T", 16), vandrel::blanks(16));
    vandrel::associeProfsGroupes("G1", "G", "T");
    EXPECT_EQ(groupsOf("T", 16), vandrel::blanks(16)) << "group codes were emptied";
}
