#include <gtest/gtest.h>

#include "tables/CommaList.h"

using kx::SplitCommaList;
using Items = std::vector<std::string>;

TEST(CommaList, SplitsPlainItemsAtCommas) {
    EXPECT_EQ(SplitCommaList("K26,K27,J26"), (Items{"K26", "K27", "J26"}));
    EXPECT_EQ(SplitCommaList("K26"), (Items{"K26"}));
}

TEST(CommaList, SkipsBlanksAroundItemsAndCommas) {
    EXPECT_EQ(SplitCommaList("  K26 ,\tK27,  J26  "), (Items{"K26", "K27", "J26"}));
    EXPECT_EQ(SplitCommaList("\x01K26"), (Items{"K26"}));
}

TEST(CommaList, BlankSeparatesItemsLikeAComma) {
    EXPECT_EQ(SplitCommaList("K26 K27"), (Items{"K26", "K27"}));
}

TEST(CommaList, EmptyItemsBetweenCommasAndAtTheVeryEnd) {
    EXPECT_EQ(SplitCommaList("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitCommaList("a, ,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitCommaList("a,"), (Items{"a", ""}));
    EXPECT_EQ(SplitCommaList(",a"), (Items{"", "a"}));
    // Blanks after a final comma: the comma is not the last byte, so no empty item.
    EXPECT_EQ(SplitCommaList("a, "), (Items{"a"}));
}

TEST(CommaList, EmptyAndAllBlankValuesGiveNoItems) {
    EXPECT_TRUE(SplitCommaList("").empty());
    EXPECT_TRUE(SplitCommaList("   \t").empty());
}

TEST(CommaList, QuotedItemsKeepBlanksAndCommas) {
    EXPECT_EQ(SplitCommaList("\"Nida, Neringa\",H01"), (Items{"Nida, Neringa", "H01"}));
    EXPECT_EQ(SplitCommaList("\"say \"\"hi\"\"\""), (Items{"say \"hi\""}));
    EXPECT_EQ(SplitCommaList("\"\",x"), (Items{"", "x"}));
    // Text right after a closing quote starts the next item.
    EXPECT_EQ(SplitCommaList("\"ab\"cd,e"), (Items{"ab", "cd", "e"}));
}

TEST(CommaList, UnclosedQuoteRunsToTheEndKeepingEveryByte) {
    EXPECT_EQ(SplitCommaList("x,\"abc"), (Items{"x", "abc"}));
}

TEST(CommaList, NulByteEndsTheValue) {
    EXPECT_EQ(SplitCommaList(std::string_view("a,b\0,c", 6)), (Items{"a", "b"}));
}

TEST(CommaList, EightLocatorsOfASquare) {
    const auto items = SplitCommaList("KO24OT,KO24PT,KO24OS,KO24PS,KO24OR,KO24PR,KO24OQ,KO24PQ");
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items.front(), "KO24OT");
    EXPECT_EQ(items.back(), "KO24PQ");
}
