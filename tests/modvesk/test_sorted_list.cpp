#include "model/sorted_list.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(SortedList, OnlyTheLettersAreLowerCased) {
    // The bytes next to A-Z and a-z keep their value: "@" < "[" < "_" < "`" < "a".
    SortedList l;
    for (const char* e : {"[x", "Zx", "@x", "Ax", "_x", "`x", "zx", "{x"})
        l.add(e);
    EXPECT_EQ(l.items(),
              (std::vector<std::string>{"@x", "[x", "_x", "`x", "Ax", "Zx", "zx", "{x"}));
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
    l.forEach([&seen](std::string_view e) { seen.emplace_back(e); });
    EXPECT_EQ(seen, (std::vector<std::string>{"0", "a1", "A1", "b", "B"}));
    l.clear();
    l.add("x");
    EXPECT_EQ(l.items(), std::vector<std::string>{"x"});
}

// A joined entry is its fields with ";" between them, then its tail as it is,
// filed among the others: empty fields, a lone field, and one that fills a block.
TEST(SortedList, JoinedEntriesAreTheirFieldsThenTheirTail) {
    SortedList l;
    l.add("b");
    l.addJoined({"a", "", "x"}, {"|", "", "t t"});
    l.addJoined({""});
    l.addJoined({std::string(65535, 'c'), "d"});
    EXPECT_EQ(l.items(),
              (std::vector<std::string>{"", "a;;x|t t", "b", std::string(65535, 'c') + ";d"}));
}

// The texts lie end to end in blocks: entries that fill a block to its last byte,
// one larger than a block, an empty one, and those after them keep their bytes.
TEST(SortedList, EntriesOfEverySizeKeepTheirBytes) {
    SortedList l;
    std::vector<std::string> added;
    for (const size_t size : {0, 1, 65535, 1, 70000, 65536, 3, 0})
        added.push_back(std::string(size, static_cast<char>('a' + added.size())));
    for (const auto& e : added)
        l.add(e);
    std::vector<std::string> want = added;
    std::stable_sort(want.begin(), want.end());
    EXPECT_EQ(l.items(), want);
}

TEST(SortedList, SortingViewsGivesTheListsOrder) {
    // Heads longer than 16 bytes, ties past them, case-only ties, prefixes, accents.
    const std::vector<std::vector<std::string>> cases = {
        {"b;2", "A;1", "a;1", "B;2", "a;1", "Z", ""},
        {"DUPONT,JEAN-CHARLES,c3a,1", "dupont,jean-charles,c3a,0", "DUPONT,JEAN-CHARLES,c3a,1",
         "Dupont,Jean-Charles,c3a", "dupont,jean-charles,c3a,10"},
        {ansi("Émile"), "zoe", ansi("élodie"), "Eric", ansi("ÉMILE"), "eric"},
    };
    for (const auto& entries : cases) {
        SortedList l;
        std::vector<std::string_view> views;
        for (const std::string& e : entries) {
            l.add(e);
            views.push_back(e);
        }
        SortedList::sortEntries(views);
        // Same texts in the same order, and ties in insertion order: same entries.
        const std::vector<std::string> want = l.items();
        ASSERT_EQ(views.size(), want.size());
        for (size_t i = 0; i < views.size(); ++i) {
            EXPECT_EQ(views[i], want[i]) << i;
            if (i > 0 && views[i] == views[i - 1]) {
                EXPECT_LT(views[i - 1].data(), views[i].data()) << "tie out of order at " << i;
            }
        }
    }
}

// Lists long enough to be dealt by their first bytes before the comparisons:
// entries of 0 to 20 bytes drawn from a few letters of both cases, accents,
// separators and digits, with many ties, added in two rounds (read in between)
// and in one; the order is the one the lower-cased bytes give, ties in
// insertion order.
TEST(SortedList, LongListsKeepTheOrderOfTheirLowerCasedBytes) {
    const std::string alphabet = "aAbB;c0" + ansi("éÉ") + "\xFF";
    uint32_t seed = 12345;
    const auto draw = [&seed](size_t n) { return ((seed = seed * 1103515245 + 12345) >> 8) % n; };
    std::vector<std::string> entries;
    for (int i = 0; i < 20000; ++i) {
        std::string e(draw(21), ' ');
        for (char& c : e)
            c = alphabet[draw(alphabet.size())];
        entries.push_back(e);
    }
    const auto lowered = [](const std::string& e) {
        std::string low;
        for (const char c : e)
            low += static_cast<char>(lowerChar(c));
        return std::vector<unsigned char>(low.begin(), low.end());
    };
    std::vector<std::vector<unsigned char>> low;
    std::vector<size_t> order(entries.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i, low.push_back(lowered(entries[i]));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return low[a] < low[b]; });
    std::vector<std::string> want;
    for (const size_t i : order)
        want.push_back(entries[i]);
    for (const size_t readAfter : {size_t{0}, size_t{9000}}) {
        SortedList l;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (i == readAfter && i != 0) (void)l.items();
            l.add(entries[i]);
        }
        EXPECT_EQ(l.items(), want) << readAfter;
    }
    std::vector<std::string_view> views(entries.begin(), entries.end());
    SortedList::sortEntries(views);
    EXPECT_TRUE(std::equal(views.begin(), views.end(), want.begin(), want.end()));
}
