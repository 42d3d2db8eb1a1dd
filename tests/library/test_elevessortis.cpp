// The pupils who left: which of last year's accounts are listed in
// comptesAsupprimer.txt, in which order, and when the file is written.
#include "library_test.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <vector>

using namespace libtest;

namespace {
constexpr const char* kFile = "comptesAsupprimer.txt";

void sortis(std::string groups) {
    vandrel::elevessortis(groups);
}
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

// A key is stored cut to 52 characters: the list gives the cut key, not the name
// as it was inserted.
TEST_F(PupilsWhoLeft, listsTheKeyCutTo52Characters) {
    const std::string surname(46, 'S');
    vandrel::inserenomancien(surname + " MARIE-CHRISTINE", "3A s.marie");
    sortis("3A");
    EXPECT_EQ(read(kFile), surname + ";MARIE;3A;s.marie\r\n");
}

// Thousands of entries in random order, with many equal keys, keys shorter than 8
// bytes, keys sharing long beginnings and keys equal only in their first 52
// characters: the walk must match a stable sort on the cut keys, and every lookup
// must find the first entry inserted under its key.
TEST_F(PupilsWhoLeft, largeStoreKeepsKeyOrderAndInsertionOrder) {
    std::mt19937 random(7);
    const std::vector<std::string> surnames = {
        "A",         "B\xC9", "DUPONT", "DUPONTEL", "DUPONTELLE", "Z", std::string(50, 'L'),
        "\xE9T\xC9", "MARTIN"};
    std::vector<std::pair<std::string, std::string>> entries; // key, value
    for (int i = 0; i < 6000; ++i) {
        const std::string& surname = surnames[random() % surnames.size()];
        const std::string key = surname + " F" + std::to_string(random() % 40);
        const std::string value = "3A v" + std::to_string(i);
        vandrel::inserenomancien(key, value);
        entries.emplace_back(key, value);
    }
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    const auto cut = [](const std::string& key) { return key.substr(0, 52); };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return cut(entries[a].first) < cut(entries[b].first);
    });
    std::string expected;
    std::map<std::string, std::string> firstValue;
    for (size_t i : order) {
        const std::string key = cut(entries[i].first); // stored cut
        const std::string& value = entries[i].second;
        const size_t blank = key.find(' ');
        expected +=
            key.substr(0, blank) + ";" + key.substr(blank + 1) + ";3A;" + value.substr(3) + "\r\n";
        firstValue.emplace(key, value);
    }
    sortis("3A");
    EXPECT_TRUE(read(kFile) == expected) << "walk order differs";
    for (const auto& [key, value] : firstValue) {
        std::string buffer = vandrel::blanks(64);
        vandrel::presentancien(key, buffer);
        ASSERT_EQ(vandrel::trimmed(buffer), value) << key;
        buffer = vandrel::blanks(64);
        vandrel::presentancien(key + "?", buffer);
        ASSERT_EQ(vandrel::trimmed(buffer), key.size() >= 52 ? value : "n") << key;
    }
}
