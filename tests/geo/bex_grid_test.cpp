#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geo/BexGrid.h"

using kx::GridCodeOf;
using kx::LatBEX;
using kx::LongBEX;

namespace {

const std::optional<std::string> kNone;

// One second of arc.
constexpr double kSecond = 1.0 / 3600;

// Latitude of the northern edge of a row and longitude of the western edge of a column.
double RowLine(int row) {
    return 56.5 - row / 6.0;
}
double ColumnLine(int col) {
    return 125.0 / 6 + col / 6.0;
}

std::string Code(int row, int col) {
    char s[8];
    std::snprintf(s, sizeof s, "%c%02d", 'A' + row, col);
    return s;
}

std::string Deg(const char* text) {  // "54 50'N" with the Windows-1257 degree sign
    std::string s(text);
    s.replace(s.find(' '), 1, "\xB0");
    return s;
}

}  // namespace

TEST(SquareOfAPoint, KnownPoints) {
    EXPECT_EQ(GridCodeOf(54.68611f, 25.28333f), "K26");  // Vilnius
    EXPECT_EQ(GridCodeOf(55.0f, 20.75f), "J00");
    EXPECT_EQ(GridCodeOf(53.85f, 27.4f), "P39");
    EXPECT_EQ(GridCodeOf(56.6f, 25.0f).value_or("").substr(0, 1), "A");
}

TEST(SquareOfAPoint, OutsideTheGridHasNoCode) {
    EXPECT_EQ(GridCodeOf(56.67f, 25.0f), kNone);  // north of row A's 10' grace
    EXPECT_EQ(GridCodeOf(55.0f, 20.6f), kNone);   // west of column 00's grace
    EXPECT_EQ(GridCodeOf(53.8f, 27.5f), kNone);   // south-east of the grid
    EXPECT_EQ(GridCodeOf(13.75f, 23.0f), kNone);
    EXPECT_EQ(GridCodeOf(51.1f, 21.0f), kNone);
    EXPECT_EQ(GridCodeOf(60.0f, 30.0f), kNone);
    EXPECT_EQ(GridCodeOf(56.4f, 64.3333f), kNone);
    EXPECT_EQ(GridCodeOf(NAN, 25.0f), kNone);
    EXPECT_EQ(GridCodeOf(55.0f, INFINITY), kNone);
    EXPECT_EQ(GridCodeOf(-1e30f, 1e30f), kNone);
}

TEST(SquareOnGridLines, LinesExactIn32BitsBelongToTheSquareSouthAndEast) {
    EXPECT_EQ(GridCodeOf(56.5f, 21.0f), "A01");
    EXPECT_EQ(GridCodeOf(55.5f, 25.0f), "G25");
    // Every whole and half degree line inside the grid.
    for (float lat = 54.0f; lat <= 56.5f; lat += 0.5f) {
        const int row = static_cast<int>(std::lround((56.5 - lat) * 6));
        EXPECT_EQ(GridCodeOf(lat, 24.1f), Code(row, 19)) << lat;
    }
    for (float lon = 21.0f; lon <= 27.0f; lon += 0.5f) {
        const int col = static_cast<int>(std::lround((lon - 125.0 / 6) * 6));
        EXPECT_EQ(GridCodeOf(55.1f, lon), Code(8, col)) << lon;
    }
}

TEST(SquareOnGridLines, LinesNotExactIn32BitsFollowTheirRoundedValue) {
    // 21°10' rounds to 21.166666 in 32 bits, just west of the line: column 01.
    EXPECT_EQ(GridCodeOf(55.1f, static_cast<float>(21.0 + 10.0 / 60)), "I01");
    // 21°20' rounds to 21.333334, just east of the line: column 02 would be right on the map,
    // but the arithmetic adds a sixth and truncates, giving column 03.
    EXPECT_EQ(GridCodeOf(55.1f, static_cast<float>(21.0 + 20.0 / 60)), "I03");
}

TEST(SquareOnGridLines, OneSecondFromAnyLineGivesTheSquareOnThatSide) {
    for (int col = 1; col < 40; ++col) {
        const double line = ColumnLine(col);
        EXPECT_EQ(GridCodeOf(55.1f, static_cast<float>(line + kSecond)), Code(8, col));
        EXPECT_EQ(GridCodeOf(55.1f, static_cast<float>(line - kSecond)), Code(8, col - 1));
    }
    for (int row = 1; row < 16; ++row) {
        const double line = RowLine(row);
        EXPECT_EQ(GridCodeOf(static_cast<float>(line - kSecond), 24.1f), Code(row, 19));
        EXPECT_EQ(GridCodeOf(static_cast<float>(line + kSecond), 24.1f), Code(row - 1, 19));
    }
}

TEST(SquareOfAPoint, RadiansAreTurnedIntoDegreesFirst) {
    const auto rad = [](double deg) { return static_cast<float>(deg * std::numbers::pi / 180); };
    EXPECT_EQ(kx::GridCodeOfRadians(rad(54.6875), rad(25.2916666666667)), "K26");
    EXPECT_EQ(kx::GridCodeOfRadians(rad(60.0), rad(30.0)), kNone);
}

TEST(SquareEdgeLabels, NominalGridLines) {
    const auto lat = LatBEX("K26");
    const auto lon = LongBEX("K26");
    ASSERT_TRUE(lat && lon);
    EXPECT_EQ(lat->north, Deg("54 50'N"));
    EXPECT_EQ(lat->south, Deg("54 40'N"));
    EXPECT_EQ(lon->west, Deg("25 10'E"));
    EXPECT_EQ(lon->east, Deg("25 20'E"));
}

TEST(SquareEdgeLabels, GridCornersAndLeadingZeros) {
    EXPECT_EQ(LatBEX("A00")->north, Deg("56 30'N"));
    EXPECT_EQ(LatBEX("P00")->south, Deg("53 50'N"));
    EXPECT_EQ(LatBEX("M00")->north, Deg("54 30'N"));
    EXPECT_EQ(LatBEX("N00")->north, Deg("54 20'N"));
    EXPECT_EQ(LongBEX("A00")->west, Deg("20 50'E"));
    EXPECT_EQ(LongBEX("A01")->west, Deg("21 00'E"));
    EXPECT_EQ(LongBEX("A39")->east, Deg("27 30'E"));
}

TEST(SquareEdgeLabels, TextIsTrimmedAndUpperCased) {
    const auto lat = LatBEX("a01");
    ASSERT_TRUE(lat);
    EXPECT_EQ(lat->north, Deg("56 30'N"));
    EXPECT_EQ(lat->south, Deg("56 20'N"));
    const auto lon = LongBEX(" p39\t\r\n");
    ASSERT_TRUE(lon);
    EXPECT_EQ(lon->west, Deg("27 20'E"));
    EXPECT_EQ(lon->east, Deg("27 30'E"));
}

TEST(SquareEdgeLabels, TextsThatNameNoSquareGiveNothing) {
    for (const char* text : {"Q01", "A40", "A1", "", "A011", "K2x", "@26", "A-1", "k 26"}) {
        EXPECT_FALSE(LatBEX(text)) << text;
        EXPECT_FALSE(LongBEX(text)) << text;
    }
}

TEST(SquareEdgeLabels, NeighbouringSquaresShareTheirEdges) {
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 40; ++col) {
            const auto lat = LatBEX(Code(row, col));
            const auto lon = LongBEX(Code(row, col));
            ASSERT_TRUE(lat && lon);
            if (row < 15) {
                EXPECT_EQ(lat->south, LatBEX(Code(row + 1, col))->north);
            }
            if (col < 39) {
                EXPECT_EQ(lon->east, LongBEX(Code(row, col + 1))->west);
            }
        }
}
