// The three stores through their operations: lifecycle, exact keys, the
// 52-character cut and duplicate keys.
#include "library_test.h"

using namespace libtest;
using vandrel::kFalse;
using vandrel::kTrue;

namespace {
std::string oldValue(const std::string& key) {
    std::string buffer = vandrel::blanks(256);
    vandrel::presentancien(key, buffer);
    return vandrel::trimmed(buffer);
}
} // namespace

TEST(RegistryLifecycle, absentStoresFindNothingAndStoreNothing) {
    vandrel::fermercarnet();
    vandrel::fermercarnet(); // closing absent stores does nothing
    vandrel::inserenom("DUPONT CATHERINE");
    vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
    vandrel::memoriseProfEnService("T1");
    EXPECT_EQ(vandrel::present("DUPONT CATHERINE"), kFalse);
    EXPECT_EQ(vandrel::presentID("T1"), kFalse);
    EXPECT_EQ(oldValue("DUPONT CATHERINE"), "n");

    vandrel::creationCarnet();
    EXPECT_EQ(vandrel::present("DUPONT CATHERINE"), kFalse);
    EXPECT_EQ(vandrel::presentID("T1"), kFalse);
    EXPECT_EQ(oldValue("DUPONT CATHERINE"), "n");
    vandrel::fermercarnet();
}

TEST_F(RegistryTest, creationKeepsWhatOpenStoresHoldAndClosingEmptiesAllThree) {
    vandrel::inserenom("DUPONT CATHERINE");
    vandrel::inserenomancien("MARTIN PAUL", "3A martin.p");
    vandrel::memoriseProfEnService("T1");
    vandrel::creationCarnet();
    EXPECT_EQ(vandrel::present("DUPONT CATHERINE"), kTrue);
    EXPECT_EQ(oldValue("MARTIN PAUL"), "3A martin.p");
    EXPECT_EQ(vandrel::presentID("T1"), kTrue);

    vandrel::fermercarnet();
    vandrel::creationCarnet();
    EXPECT_EQ(vandrel::present("DUPONT CATHERINE"), kFalse);
    EXPECT_EQ(oldValue("MARTIN PAUL"), "n");
    EXPECT_EQ(vandrel::presentID("T1"), kFalse);
}

TEST_F(RegistryTest, keysCompareByteForByte) {
    vandrel::inserenom("DUPONT CATHERINE");
    EXPECT_EQ(vandrel::present("DUPONT CATHERINE"), kTrue);
    EXPECT_EQ(vandrel::present("dupont catherine"), kFalse);
    EXPECT_EQ(vandrel::present("DUPONT CATHERIN"), kFalse);
    EXPECT_EQ(vandrel::present("DUPONT CATHERINE "), kFalse);
    EXPECT_EQ(vandrel::present(""), kFalse);

    vandrel::inserenom("\xC9LODIE MARTIN"); // Windows-1252 É
    EXPECT_EQ(vandrel::present("\xC9LODIE MARTIN"), kTrue);
    EXPECT_EQ(vandrel::present("ELODIE MARTIN"), kFalse);
    EXPECT_EQ(vandrel::present("\xE9LODIE MARTIN"), kFalse);
}

TEST_F(RegistryTest, onlyTheFirst52CharactersOfAKeyCount) {
    const std::string head52 = "DE LA TOUR DU PIN CHAMBLY DE LA CHARCE AAAAAAAAAAAAA";
    ASSERT_EQ(head52.size(), 52u);
    vandrel::inserenom(head52 + "X");
    EXPECT_EQ(vandrel::present(head52 + "YYYY"), kTrue);
    EXPECT_EQ(vandrel::present(head52), kTrue);
    EXPECT_EQ(vandrel::present(head52.substr(0, 51)), kFalse);
    EXPECT_EQ(vandrel::present(head52.substr(0, 51) + "B"), kFalse);

    vandrel::memoriseProfEnService(head52 + "1");
    EXPECT_EQ(vandrel::presentID(head52 + "2"), kTrue);

    // The value is kept whole, however long.
    const std::string longValue = "3A " + std::string(120, 'l');
    vandrel::inserenomancien(head52 + "PIERRE", longValue);
    EXPECT_EQ(oldValue(head52 + "PAUL"), longValue);
    EXPECT_EQ(oldValue(head52.substr(0, 51)), "n");
}

TEST_F(RegistryTest, duplicateKeysAreKeptAndTheFirstIsFound) {
    vandrel::inserenom("DUPONT CATHERINE");
    vandrel::inserenom("DUPONT CATHERINE");
    EXPECT_EQ(vandrel::present("DUPONT CATHERINE"), kTrue);

    vandrel::inserenomancien("DUPONT CATHERINE", "3A dupont.c");
    vandrel::inserenomancien("DUPONT CATHERINE", "4B dupont.c2");
    EXPECT_EQ(oldValue("DUPONT CATHERINE"), "3A dupont.c");

    // Keys equal in their first 52 characters are duplicates too.
    const std::string head52(52, 'K');
    vandrel::inserenomancien(head52 + "1", "first");
    vandrel::inserenomancien(head52 + "2", "second");
    EXPECT_EQ(oldValue(head52 + "2"), "first");

    // A run of inserts, looked up part-way and at its end: each key gives the
    // value it was first inserted with, wherever its later copies fall in the run.
    for (int i = 0; i < 200; ++i) {
        vandrel::inserenomancien("NOM" + std::to_string(i % 7), std::to_string(i));
        if (i == 50) {
            EXPECT_EQ(oldValue("NOM3"), "3");
        }
    }
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(oldValue("NOM" + std::to_string(k)), std::to_string(k));
}

TEST_F(RegistryTest, storesAreSeparate) {
    vandrel::inserenom("A B");
    EXPECT_EQ(vandrel::presentID("A B"), kFalse);
    EXPECT_EQ(oldValue("A B"), "n");
    vandrel::inserenomancien("C D", "3A c.d");
    EXPECT_EQ(vandrel::present("C D"), kFalse);
    vandrel::memoriseProfEnService("E F");
    EXPECT_EQ(vandrel::present("E F"), kFalse);
}

TEST_F(RegistryTest, manyKeysInAnyOrder) {
    for (int i = 999; i >= 0; --i)
        vandrel::inserenom("NOM" + std::to_string(i * 7919 % 1000));
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(vandrel::present("NOM" + std::to_string(i)), kTrue);
    EXPECT_EQ(vandrel::present("NOM1000"), kFalse);
}

// Values of any size, around and beyond what one block of entries holds: each is
// kept whole, and the entries stored after a large one are still found.
TEST_F(RegistryTest, valuesOfAnySizeAreKeptWhole) {
    const size_t sizes[] = {0, 1, (1u << 20) - 64, (1u << 20) + 7, 3u << 20, 40};
    for (size_t i = 0; i < std::size(sizes); ++i) {
        vandrel::inserenomancien("KEY" + std::to_string(i),
                                 std::string(sizes[i], static_cast<char>('a' + i)));
        vandrel::inserenomancien("SMALL" + std::to_string(i), "v" + std::to_string(i));
    }
    for (size_t i = 0; i < std::size(sizes); ++i) {
        std::string buffer = vandrel::blanks(sizes[i] + 2);
        vandrel::presentancien("KEY" + std::to_string(i), buffer);
        ASSERT_TRUE(vandrel::trimmed(buffer) == std::string(sizes[i], static_cast<char>('a' + i)))
            << sizes[i];
        EXPECT_EQ(oldValue("SMALL" + std::to_string(i)), "v" + std::to_string(i));
    }
}
