#include "model/sorted_list.h"
#include "text/text.h"

#include <gtest/gtest.h>

using namespace modvesk;

TEST(SortedList, CaseInsensitiveByteOrderWithDuplicates) {
    SortedList l;
    l.add("b;2");
    l.add("A;1");
    l.add("a;1");
    l.add("B;2");
    l.add("a;1");
    l.add("Z");
    std::vector<std::string> want = {"A;1", "a;1", "a;1", "b;2", "B;2", "Z"};
    EXPECT_EQ(l.items(), want);
    EXPECT_EQ(l.size(), 6u);
    l.clear();
    EXPECT_TRUE(l.empty());
    EXPECT_TRUE(l.items().empty());
}

TEST(SortedList, AccentedLettersSortAfterLowerCasingAsBytes) {
    SortedList l;
    l.add(ansi("Émile"));
    l.add("zoe");
    l.add(ansi("élodie"));
    l.add("Eric");
    // "e" (0x65) < "z" (0x7A) < "é" (0xE9): É lower-cases to é.
    std::vector<std::string> want = {"Eric", "zoe", ansi("élodie"), ansi("Émile")};
    EXPECT_EQ(l.items(), want);
}

TEST(SortedList, AddingAfterReadingKeepsOrderAndInsertionOrder) {
    SortedList l;
    l.add("b");
    l.add("a1");
    EXPECT_EQ(l.items(), (std::vector<std::string>{"a1", "b"}));
    l.add("B");
    l.add("A1");
    l.add("0");
    std::vector<std::string> seen;
    l.forEach([&seen](const std::string& e) { seen.push_back(e); });
    EXPECT_EQ(seen, (std::vector<std::string>{"0", "a1", "A1", "b", "B"}));
    l.clear();
    l.add("x");
    EXPECT_EQ(l.items(), std::vector<std::string>{"x"});
}
