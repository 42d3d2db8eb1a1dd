// The string-to-index table, which lives as long as the library is loaded: this
// program is the only one to use it, so it starts empty.
#include "library_test.h"

TEST(StringIndexes, newStringsGetIndexesFromTwoUp) {
    ASSERT_TRUE(vandrel::available());
    EXPECT_EQ(vandrel::indexdstableau("A"), -1);
    EXPECT_EQ(vandrel::inseredstableau("A"), 2);
    EXPECT_EQ(vandrel::inseredstableau("B"), 3);
    EXPECT_EQ(vandrel::inseredstableau("A"), 2);
    EXPECT_EQ(vandrel::indexdstableau("B"), 3);
    EXPECT_EQ(vandrel::indexdstableau("C"), -1);
    EXPECT_EQ(vandrel::indexdstableau("a"), -1);
    EXPECT_EQ(vandrel::inseredstableau(""), 4);
    EXPECT_EQ(vandrel::inseredstableau("C"), 5) << "looking C up did not add it";

    // Nothing of the registry or the group tables empties it.
    vandrel::creationCarnet();
    vandrel::fermercarnet();
    vandrel::razProfEnService();
    EXPECT_EQ(vandrel::indexdstableau("A"), 2);
    EXPECT_EQ(vandrel::inseredstableau("D"), 6);
}
