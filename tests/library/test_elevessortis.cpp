// The pupils who left: which of last year's accounts are listed in
// comptesAsupprimer.txt, in which order, and when the file is written.
#include "library_test.h"

using namespace libtest;

namespace {
constexpr const char* kFile = "comptesAsupprimer.txt";

void sortis(std::string groups) { vandrel::elevessortis(groups); }
} // namespace

using PupilsWhoLeft = InTempFolder;

TEST_F(PupilsWhoLeft, listsAnAccountOfAGivenGroupWithoutNameKeyThisYear) {
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
  sortis("3A 3B");
  EXPECT_EQ(read(kFile), "DUPONT;CATHERINE;3A;dupont.c\r\n");
}

TEST_F(PupilsWhoLeft, eachConditionKeepsTheEntryOut) {
  // Listed only when nothing else disqualifies it.
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
  vandrel::inserenom("DUPONT CATHERINE");
  sortis("3A 3B");
  EXPECT_FALSE(exists(kFile)) << "holder still has a name key";

  vandrel::fermercarnet();
  vandrel::creationCarnet();
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
  sortis("3B");
  EXPECT_FALSE(exists(kFile)) << "group not given";
  sortis("3a");
  EXPECT_FALSE(exists(kFile)) << "groups compare exactly";

  vandrel::fermercarnet();
  vandrel::creationCarnet();
  vandrel::inserenomancien("DE SOUSA CATHERINE", "3A desousa.c");
  vandrel::inserenomancien("MARTIN PAUL", "3A martin.p x");
  vandrel::inserenomancien("DURAND JEAN", "3A");
  vandrel::inserenomancien("LEROY", "3A leroy");
  sortis("3A");
  EXPECT_FALSE(exists(kFile)) << "key or value not of exactly two words";
}

TEST_F(PupilsWhoLeft, walksInKeyOrderWithDuplicatesInInsertionOrder) {
  vandrel::inserenomancien("ZOLA EMILE", "3B zola.e");
  vandrel::inserenomancien("\xC9MERY LUC", "3A emery.l"); // É sorts after Z (unsigned bytes)
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
  vandrel::inserenomancien("MARTIN PAUL", "3A martin.p");
  vandrel::inserenomancien("DUPONT CATHERINE", "3B dupont.c2");
  vandrel::inserenom("MARTIN PAUL");
  sortis("3A 3B ");
  EXPECT_EQ(read(kFile), "DUPONT;CATHERINE;3A;dupont.c\r\n"
                         "DUPONT;CATHERINE;3B;dupont.c2\r\n"
                         "ZOLA;EMILE;3B;zola.e\r\n"
                         "\xC9MERY;LUC;3A;emery.l\r\n");
}

TEST_F(PupilsWhoLeft, theSurnameEntryOfAnAccountQualifiesOnlyInItsOddCase) {
  // The EXPORT reader also stores (surname, first name) per account.
  vandrel::inserenomancien("LE GALL", "3A JEAN");
  vandrel::inserenomancien("LE GALL JEAN", "4B le-gall.j");
  sortis("3A");
  EXPECT_EQ(read(kFile), "LE;GALL;3A;JEAN\r\n");
}

TEST_F(PupilsWhoLeft, everyLineFeedBecomesCrLfAndOtherBytesPass) {
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont\nc\r");
  sortis("3A");
  EXPECT_EQ(read(kFile), "DUPONT;CATHERINE;3A;dupont\r\nc\r\r\n");
}

TEST_F(PupilsWhoLeft, noQualifyingEntryLeavesAnEarlierFileAsItWas) {
  write(kFile, "OLD;LINE;3A;old.l\r\n");
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
  sortis("4C");
  EXPECT_EQ(read(kFile), "OLD;LINE;3A;old.l\r\n");

  sortis("3A"); // a qualifying entry replaces the whole file
  EXPECT_EQ(read(kFile), "DUPONT;CATHERINE;3A;dupont.c\r\n");
}

TEST_F(PupilsWhoLeft, absentStoresWriteNothing) {
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
  vandrel::fermercarnet();
  sortis("3A");
  EXPECT_FALSE(exists(kFile));
}

TEST_F(PupilsWhoLeft, startsByDroppingPendingDeletions) {
  vandrel::memligneprof("DUPONT;Catherine;profs;c.dupont;;;;;3A");
  vandrel::msjourbaseresp(2, "DUPONT", "Catherine", " ");
  sortis("3A");
  vandrel::msjourbasekwartz(2);
  EXPECT_FALSE(exists("ComptesProfsASupprimer.txt"));
}

TEST_F(PupilsWhoLeft, recordsLeftInTheQueueDoNotReachTheDeletionFile) {
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
  sortis("3A");
  vandrel::memligneprof("MARTIN;Paul;profs;p.martin");
  vandrel::msjourbaseresp(2, "MARTIN", "Paul", " ");
  vandrel::msjourbasekwartz(2);
  EXPECT_EQ(read("ComptesProfsASupprimer.txt"), "MARTIN;Paul;profs;p.martin\r\n");
  EXPECT_EQ(read(kFile), "DUPONT;CATHERINE;3A;dupont.c\r\n");
}

TEST_F(PupilsWhoLeft, anAccountRegisteredTwiceIsListedTwice) {
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
  vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
  sortis("3A");
  EXPECT_EQ(read(kFile), "DUPONT;CATHERINE;3A;dupont.c\r\nDUPONT;CATHERINE;3A;dupont.c\r\n");
}
