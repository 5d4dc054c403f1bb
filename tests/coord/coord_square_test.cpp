// From typed coordinates to the locator and the BEX square, as the calculator's
// evaluation does it: the texts read, the point given to the locator and to the grid.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "geo/BexGrid.h"
#include "geo/CoordText.h"
#include "geo/Locator.h"
#include "platform/Cp1257.h"
#include "support/TempFolder.h"
#include "tables/WwlTable.h"

using namespace kx;

namespace {

struct Evaluated {
    CalculateOutcome outcome;
    CoordValues values;
    std::string locator;
    std::string square;  // "?" outside the table
};

class TypedPoint : public ::testing::Test {
protected:
    void SetUp() override {
        dir.makeProgramFolder();
        dir.copyData("BEXWWL.dat");
    }
    Evaluated Evaluate(const char* lon, const char* lat, CoordSettings s = {1, false}) {
        Evaluated e;
        e.outcome = CalculateCoordinates(Cp1257(lon), Cp1257(lat), s, e.values);
        if (e.outcome == CalculateOutcome::Ok) {
            e.locator = CalcWWL(e.values.lat, e.values.lon);
            e.square = CalcBEX(e.values.lat, e.values.lon);
        }
        return e;
    }
    kxtest::TempFolder dir;
};

}  // namespace

TEST_F(TypedPoint, VilniusInEveryFormat) {
    for (auto [lon, lat, format] :
         {std::tuple{"25°17'00\"", "54°41'00\"", 1}, std::tuple{"25°17,00'", "54°41,00'", 2},
          std::tuple{"25,2833°", "54,6833°", 3}}) {
        const Evaluated e = Evaluate(lon, lat, {format, false});
        ASSERT_EQ(e.outcome, CalculateOutcome::Ok) << format;
        EXPECT_EQ(e.locator, "KO24PQ") << format;
        EXPECT_EQ(e.square, "K26") << format;
    }
    EXPECT_NEAR(Evaluate("25°17'00\"", "54°41'00\"").values.lat, 54.686111, 1e-6);
}

TEST_F(TypedPoint, TheTenSecondOffsetMovesPointsJustSouthOfARowLine) {
    // The line between rows A and B is 56°20'N.
    EXPECT_EQ(Evaluate("22°35'00\"", "56°20'00\"").square, "A10");
    EXPECT_EQ(Evaluate("22°35'00\"", "56°19'51\"").square, "A10");
    EXPECT_EQ(Evaluate("22°35'00\"", "56°19'49\"").square, "B10");
    // Only the row is decided by the offset: the raw grid agrees on the column.
    EXPECT_EQ(GridCodeOf(static_cast<float>(56 + 19 / 60.0L + 51 / 3600.0L), 22.5833f), "B10");
}

TEST_F(TypedPoint, OutsideTheAreaTheSquareIsAQuestionMark) {
    const Evaluated e = Evaluate("13°24'00\"", "52°31'00\"");  // Berlin
    ASSERT_EQ(e.outcome, CalculateOutcome::Ok);
    EXPECT_EQ(e.locator, "JO62QM");
    EXPECT_EQ(e.square, "?");
}

TEST_F(TypedPoint, WestLongitudeGivesAWesternLocator) {
    const Evaluated e = Evaluate("073°30'00\"", "40°45'00\"", {1, true});
    ASSERT_EQ(e.outcome, CalculateOutcome::Ok);
    EXPECT_FLOAT_EQ(e.values.lon, -73.5f);
    EXPECT_EQ(e.locator, "FN30GS");
    EXPECT_EQ(e.square, "?");
    // The look-up button's path: the value of the typing, 360 minus the west longitude.
    EXPECT_EQ(CalcWWL(40.75f, LongitudeForLocator(286.5f)), "FN30GS");
}
