#include "platform/Collation.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Cp1257.h"

using namespace kx;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> texts) {
    std::stable_sort(texts.begin(), texts.end(), CollateLess);
    return texts;
}

}  // namespace

TEST(Collation, IgnoresAsciiCase) {
    EXPECT_TRUE(CollateEqual("ly1abc", "LY1ABC"));
    EXPECT_TRUE(CollateLess("ly1a", "LY1B"));
    EXPECT_TRUE(CollateLess("LY1A", "ly1b"));
}

TEST(Collation, PutsPunctuationBeforeDigitsAndDigitsBeforeLetters) {
    EXPECT_TRUE(CollateLess(" ", "0"));
    EXPECT_TRUE(CollateLess("?", "0"));
    EXPECT_TRUE(CollateLess("#", "0"));
    EXPECT_TRUE(CollateLess("/", "9"));
    EXPECT_TRUE(CollateLess("9", "A"));
    EXPECT_TRUE(CollateLess("?##", "A12##"));
    EXPECT_TRUE(CollateLess("\xB0", "0"));  // degree sign
}

TEST(Collation, PutsAPrefixBeforeLongerTexts) {
    EXPECT_TRUE(CollateLess("LY1A", "LY1AA"));
    EXPECT_TRUE(CollateLess("LY1A##x", "LY1AA##x"));
    EXPECT_FALSE(CollateLess("LY1AA", "LY1A"));
    EXPECT_EQ(CollateCompare("", ""), 0);
}

TEST(Collation, PutsLithuanianLettersAfterTheirBaseLetters) {
    auto order =
        Sorted({Cp1257("Ž"), Cp1257("Ū"), "Z", Cp1257("Ų"), "V", Cp1257("Ė"), Cp1257("Ę"), "F", "E",
                Cp1257("Č"), "D",         "C", Cp1257("Ą"), "B", "A",         Cp1257("Į"), "I", "J",
                Cp1257("Š"), "S",         "T", "U"});
    std::vector<std::string> expected = {
        "A", Cp1257("Ą"), "B", "C", Cp1257("Č"), "D", "E", Cp1257("Ę"), Cp1257("Ė"), "F",
        "I", Cp1257("Į"), "J", "S", Cp1257("Š"), "T", "U", Cp1257("Ų"), Cp1257("Ū"), "V",
        "Z", Cp1257("Ž")};
    EXPECT_EQ(order, expected);
}

TEST(Collation, FoldsTheCasePairsOfLithuanianLetters) {
    for (const char* pair : {"Ąą", "Čč", "Ęę", "Ėė", "Įį", "Šš", "Ųų", "Ūū", "Žž"}) {
        std::string bytes = Cp1257(pair);
        EXPECT_TRUE(CollateEqual(bytes.substr(0, 1), bytes.substr(1, 1))) << pair;
    }
    EXPECT_TRUE(CollateEqual(Cp1257("ŠIAULIAI"), Cp1257("šiauliai")));
    EXPECT_FALSE(CollateEqual(Cp1257("Ą"), "A"));
}

TEST(Collation, SortsWordsLikeALithuanianReader) {
    auto order = Sorted({Cp1257("Šiauliai"), "Siauliai", "Taurage", Cp1257("ąžuolas"), "azuolas",
                         "Alytus", Cp1257("Žagarė"), "Zarasai"});
    std::vector<std::string> expected = {"Alytus",   "azuolas",          Cp1257("ąžuolas"),
                                         "Siauliai", Cp1257("Šiauliai"), "Taurage",
                                         "Zarasai",  Cp1257("Žagarė")};
    EXPECT_EQ(order, expected);
}
