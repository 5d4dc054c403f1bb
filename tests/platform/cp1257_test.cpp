#include "platform/Cp1257.h"

#include <gtest/gtest.h>

TEST(Cp1257, EveryByteSurvivesARoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const auto back = kx::Utf8ToCp1257(kx::Cp1257ToUtf8(all));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Cp1257, LithuanianLettersAndTheDegreeSign) {
    EXPECT_EQ(kx::Cp1257("°"), "\xB0");
    EXPECT_EQ(kx::Cp1257("Šiauliai"), "\xD0iauliai");
    EXPECT_EQ(kx::Cp1257("ąčęėįšųūž"), "\xE0\xE8\xE6\xEB\xE1\xF0\xF8\xFB\xFE");
    EXPECT_EQ(kx::Cp1257ToUtf8("\xC0\xC8\xC6\xCB\xC1\xD0\xD8\xDB\xDE"), "ĄČĘĖĮŠŲŪŽ");
}

TEST(Cp1257, CharactersOutsideTheCodePageAreRefusedNotReplaced) {
    EXPECT_FALSE(kx::Utf8ToCp1257("señor").has_value());     // ñ is not in Windows-1257
    EXPECT_FALSE(kx::Utf8ToCp1257("\xC3").has_value());      // truncated UTF-8
    EXPECT_FALSE(kx::Utf8ToCp1257("\xC0\x80").has_value());  // overlong NUL
    EXPECT_EQ(kx::UnicodeToCp1257(U'ñ'), -1);
    EXPECT_THROW(kx::Cp1257("ñ"), std::invalid_argument);
}
