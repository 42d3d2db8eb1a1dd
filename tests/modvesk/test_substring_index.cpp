#include "substring_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using modvesk::SubstringIndex;

// The answers of a plain search of the whole text, for texts built piece by
// piece as the class lists are (small alphabets make many repeats and clones).
TEST(SubstringIndex, answersAsAPlainSearchOfTheWholeText) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        SubstringIndex index;
        std::string text;
        const int alphabet = 2 + round % 4;
        auto piece = [&](size_t most) {
            std::string p(random() % (most + 1), ' ');
            for (char& c : p)
                c = static_cast<char>(random() % alphabet == 0 ? ' ' : 'a' + random() % alphabet);
            return p;
        };
        for (int step = 0; step < 20; ++step) {
            const std::string more = piece(6);
            text += more;
            index.append(more);
            ASSERT_EQ(index.length(), text.size());
            for (int q = 0; q < 10; ++q) {
                const std::string query = piece(5);
                ASSERT_EQ(index.contains(query), text.find(query) != std::string::npos)
                    << "text \"" << text << "\" query \"" << query << "\"";
            }
        }
    }
}

TEST(SubstringIndex, classNamesAcrossBlanksAndBytesAboveAscii) {
    SubstringIndex index;
    index.append(" c3a ulis \xE9t\xE9");
    EXPECT_TRUE(index.contains("c3a"));
    EXPECT_TRUE(index.contains("3"));    // a part of a class counts, as in the list itself
    EXPECT_TRUE(index.contains("a ul")); // and so does a text across the blank
    EXPECT_TRUE(index.contains("\xE9t\xE9"));
    EXPECT_FALSE(index.contains("c3b"));
    EXPECT_FALSE(index.contains("ulis  "));
    EXPECT_TRUE(index.contains(""));
    index.clear();
    EXPECT_EQ(index.length(), 0u);
    EXPECT_FALSE(index.contains("c3a"));
}
