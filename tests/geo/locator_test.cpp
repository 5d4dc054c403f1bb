#include "geo/Locator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using kx::CalcWWL;
using kx::fLat;
using kx::fLong;

namespace {

float Radians(double degrees) {
    return static_cast<float>(degrees * std::numbers::pi / 180);
}
double Degrees(float radians) {
    return radians * 180.0 / std::numbers::pi;
}

}  // namespace

TEST(LocatorOfAPoint, KnownPlaces) {
    EXPECT_EQ(CalcWWL(54.68611f, 25.28333f), "KO24PQ");  // Vilnius
    EXPECT_EQ(CalcWWL(0.0f, 0.0f), "JJ00AA");
    EXPECT_EQ(CalcWWL(89.99f, 99.99f), "NR99XX");
}

TEST(LocatorOnGridLines, PointOnLinesBelongsToTheSubsquareNorthEast) {
    // On a field, square and subsquare line at once.
    EXPECT_EQ(CalcWWL(55.0f, 24.0f), "KO25AA");
    // The BEX grid's north-west corner in 32 bits: 20.833334 lies just east of 20°50'.
    EXPECT_EQ(CalcWWL(56.5f, 20.833334f), "KO06JM");
    // Latitude 90 runs past the last field.
    EXPECT_EQ(CalcWWL(90.0f, 25.0f), "KS20MA");
}

TEST(LocatorOnGridLines, SubsquareLinesExactIn32Bits) {
    // 54.75 = 54°45' is a subsquare line (2.5' steps) and exact in 32 bits, as is 25.25.
    EXPECT_EQ(CalcWWL(54.75f, 25.25f), "KO24PS");
    // One 32-bit step below the lines is swallowed when 90 and 180 are added and the sums
    // are rounded to 32 bits: still the subsquare north-east of the lines.
    EXPECT_EQ(CalcWWL(std::nextafter(54.75f, 0.0f), std::nextafter(25.25f, 0.0f)), "KO24PS");
    // A few steps further the point is in the subsquare south-west of them.
    EXPECT_EQ(CalcWWL(54.74998f, 25.24997f), "KO24OR");
}

TEST(LocatorCentre, KnownLocators) {
    EXPECT_FLOAT_EQ(fLat("KO24PQ"), Radians(54.6875));
    EXPECT_FLOAT_EQ(fLong("KO24PQ"), Radians(25.2916666666667));
    EXPECT_FLOAT_EQ(fLat("AA00AA"), Radians(-89.9791666666667));
    EXPECT_FLOAT_EQ(fLong("AA00AA"), Radians(-179.958333333333));
    EXPECT_FLOAT_EQ(fLat("RR99XX"), Radians(89.9791666666667));
    EXPECT_FLOAT_EQ(fLong("RR99XX"), Radians(179.958333333333));
}

TEST(LocatorCentre, TooShortTextGivesZero) {
    EXPECT_EQ(fLat(""), 0.0f);
    EXPECT_EQ(fLong(""), 0.0f);
    EXPECT_EQ(fLat("KO24P"), 0.0f);
}

TEST(LocatorCentre, LettersAreNotFolded) {
    // Lower-case subsquare letters are read as they are, far outside the subsquare.
    EXPECT_NE(fLat("KO24pq"), fLat("KO24PQ"));
}

TEST(LocatorCentre, CentreOfEverySubsquareAroundLithuaniaGivesItsLocatorBack) {
    int checked = 0;
    for (char lonSq = '0'; lonSq <= '9'; lonSq += 2)
        for (char latSq = '3'; latSq <= '7'; ++latSq)
            for (char lonSub = 'A'; lonSub <= 'X'; ++lonSub)
                for (char latSub = 'A'; latSub <= 'X'; ++latSub) {
                    const std::string wwl{'K', 'O', lonSq, latSq, lonSub, latSub};
                    const float lat = static_cast<float>(Degrees(fLat(wwl)));
                    const float lon = static_cast<float>(Degrees(fLong(wwl)));
                    ASSERT_EQ(CalcWWL(lat, lon), wwl);
                    ++checked;
                }
    EXPECT_EQ(checked, 5 * 5 * 24 * 24);
}
