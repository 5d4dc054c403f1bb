// Coordinate texts: what the fields become while digits are typed, on Enter, and what the
// evaluation reads from them.
#include <gtest/gtest.h>

#include <string>

#include "geo/CoordText.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"

using namespace kx;

namespace {

// A coordinate field as the user sees it: text, caret, colour, length limit and the
// value last stored for it.
struct Field {
    CoordField kind = CoordField::Latitude;
    CoordSettings settings;
    std::string text;
    int caret = 0;
    int maxLength = kCoordInitialMaxLength;
    TextColour colour = TextColour::Black;
    std::optional<float> value;
    bool keyTyped = false;

    void apply(const CoordFormatResult& r) {
        if (r.maxLength) maxLength = *r.maxLength;
        if (r.text != text) {
            text = r.text;
            caret = static_cast<int>(text.size());
        }
        if (r.caret) caret = *r.caret;
        if (r.colour != TextColour::Unchanged) colour = r.colour;
        if (r.value) value = r.value;
    }
    void changed() {
        if (keyTyped) apply(FormatCoordinate(kind, text, settings));
    }
    // Types the keys: digits and '\b' for Backspace.
    void type(const std::string& keys) {
        for (char k : keys) {
            keyTyped = KeyTypedAfter(k);
            if (!CoordKeyAllowed(k)) continue;
            if (k == '\b') {
                if (caret == 0) continue;
                text.erase(static_cast<std::size_t>(caret - 1), 1);
                --caret;
            } else {
                if (static_cast<int>(text.size()) >= maxLength) continue;
                text.insert(static_cast<std::size_t>(caret), 1, k);
                ++caret;
            }
            changed();
        }
    }
    void enter() {
        keyTyped = true;
        if (auto c = CompleteCoordinate(kind, text, settings)) {
            text = *c;
            caret = static_cast<int>(text.size());
            changed();
        }
    }
};

Field Lat(int format) {
    Field f;
    f.settings.format = format;
    return f;
}
Field Long(int format, bool west = false) {
    Field f;
    f.kind = CoordField::Longitude;
    f.settings = {format, west};
    return f;
}

std::string T(const char* utf8) {
    return Cp1257(utf8);
}

}  // namespace

TEST(LatitudeTypingFormat1, InsertsSignsAsDigitsArrive) {
    Field f = Lat(1);
    f.type("5");
    EXPECT_EQ(f.text, "5");
    f.type("4");
    EXPECT_EQ(f.text, T("54°"));
    EXPECT_EQ(f.caret, 3);
    EXPECT_FLOAT_EQ(*f.value, 54.0f);
    f.type("41");
    EXPECT_EQ(f.text, T("54°41'"));
    EXPECT_EQ(f.caret, 6);
    EXPECT_FLOAT_EQ(*f.value, static_cast<float>(54 + 41 / 60.0L));
    f.type("00");
    EXPECT_EQ(f.text, T("54°41'00\""));
    EXPECT_EQ(f.caret, 9);
    EXPECT_EQ(f.maxLength, 9);
    EXPECT_EQ(f.colour, TextColour::Black);
    f.type("7");
    EXPECT_EQ(f.text, T("54°41'00\"")) << "the field is full";
}

TEST(LatitudeTypingFormat1, OutOfRangePartsTurnRedWithoutSigns) {
    Field f = Lat(1);
    f.type("91");
    EXPECT_EQ(f.text, "91");
    EXPECT_EQ(f.colour, TextColour::Red);
    EXPECT_FALSE(f.value.has_value()) << "nothing stored on a failed test";

    Field g = Lat(1);
    g.type("5460");
    EXPECT_EQ(g.text, T("54°60"));
    EXPECT_EQ(g.colour, TextColour::Red);

    Field h = Lat(1);
    h.type("90001");
    EXPECT_EQ(h.text, T("90°00'1"));
    h.type("0");
    EXPECT_EQ(h.colour, TextColour::Red) << "90 degrees and 10 seconds lie beyond the pole";
    EXPECT_EQ(h.text, T("90°00'10"));
}

TEST(LatitudeTypingFormat1, RedFieldTurnsBlackWhenTheNextPartPasses) {
    Field f = Lat(1);
    f.type("5460");
    ASSERT_EQ(f.colour, TextColour::Red);
    f.type("\b");
    EXPECT_EQ(f.colour, TextColour::Red) << "Backspace does not format";
    f.type("5");
    EXPECT_EQ(f.text, T("54°65")) << "the caret was at the end";
    EXPECT_EQ(f.colour, TextColour::Red);
    f.type("\b\b1");
    EXPECT_EQ(f.text, T("54°1"));
    f.type("2");
    EXPECT_EQ(f.text, T("54°12'"));
    EXPECT_EQ(f.colour, TextColour::Black);
}

TEST(LatitudeTypingFormat2, DecimalMinutes) {
    Field f = Lat(2);
    f.type("5441");
    EXPECT_EQ(f.text, T("54°41'"));
    EXPECT_EQ(f.caret, 5) << "caret before the minutes sign";
    f.type("5");
    EXPECT_EQ(f.text, T("54°41,5'"));
    EXPECT_EQ(f.caret, 7);
    EXPECT_FLOAT_EQ(*f.value, static_cast<float>(54 + 41.5L / 60));
    f.type("0");
    EXPECT_EQ(f.text, T("54°41,50'"));
    EXPECT_EQ(f.caret, 8);
    f.type("12");
    EXPECT_EQ(f.text, T("54°41,5012'")) << "further decimals up to the limit of 12";
    EXPECT_EQ(f.text.size(), 11u);
    f.type("3");
    EXPECT_EQ(f.text.size(), 12u);
    f.type("9");
    EXPECT_EQ(f.text.size(), 12u);
    EXPECT_EQ(f.maxLength, 12);
}

TEST(LatitudeTypingFormat2, TheMinutesAloneAreStoredUntilTheDecimalsCome) {
    Field f = Lat(2);
    f.type("5441");
    EXPECT_FLOAT_EQ(*f.value, 41.0f);
}

TEST(LatitudeTypingFormat3, DecimalDegrees) {
    Field f = Lat(3);
    f.type("546");
    EXPECT_EQ(f.text, T("54,6°"));
    EXPECT_EQ(f.caret, 4);
    f.type("8");
    EXPECT_EQ(f.text, T("54,68°"));
    EXPECT_EQ(f.caret, 5);
    f.type("6");
    EXPECT_EQ(f.text, T("54,686°"));
    f.type("1");
    EXPECT_EQ(f.text, T("54,6861°"));
    EXPECT_FLOAT_EQ(*f.value, 54.6861f);
    EXPECT_EQ(f.colour, TextColour::Black);

    Field g = Lat(3);
    g.type("905");
    EXPECT_EQ(g.text, T("90°5")) << "90,5 degrees is beyond the range, nothing moves";
    EXPECT_EQ(g.colour, TextColour::Red);
}

TEST(CoordinateBackspace, RemovesOneCharacterAtATimeWithoutInsertions) {
    Field f = Lat(1);
    f.type("544100");
    const std::string full = f.text;
    for (std::size_t n = full.size(); n-- > 0;) {
        f.type("\b");
        EXPECT_EQ(f.text, full.substr(0, n));
    }
    Field g = Lat(3);
    g.type("5468");
    g.type("\b\b\b");
    EXPECT_EQ(g.text, T("54°")) << "8, 6 and the comma go; the degree sign after the caret stays";
}

TEST(CoordinateCompletion, EnterCompletesBareDegrees) {
    Field f1 = Lat(1);
    f1.type("54");
    f1.enter();
    EXPECT_EQ(f1.text, T("54°00'00\""));

    Field f2 = Lat(2);
    f2.type("54");
    f2.enter();
    EXPECT_EQ(f2.text, T("54°00,00'"));
    EXPECT_EQ(f2.caret, 8);
    EXPECT_FLOAT_EQ(*f2.value, 54.0f);

    Field f3 = Lat(3);
    f3.type("54");
    f3.enter();
    EXPECT_EQ(f3.text, T("54,0000°"));
    EXPECT_FLOAT_EQ(*f3.value, 54.0f);

    Field w = Long(1, true);
    w.type("073");
    w.enter();
    EXPECT_EQ(w.text, T("073°00'00\""));

    Field longer = Lat(1);
    longer.type("5441");
    longer.enter();
    EXPECT_EQ(longer.text, T("54°41'")) << "only a bare degrees text is completed";
}

TEST(LongitudeTypingEast, NoUpperLimitWhileTyping) {
    Field f = Long(1);
    f.type("25");
    EXPECT_EQ(f.text, T("25°"));
    f.type("1700");
    EXPECT_EQ(f.text, T("25°17'00\""));
    EXPECT_FLOAT_EQ(*f.value, static_cast<float>(25 + 17 / 60.0L));

    Field g = Long(1);
    g.type("99");
    EXPECT_EQ(g.text, T("99°"));
    EXPECT_EQ(g.colour, TextColour::Black);
    g.type("60");
    EXPECT_EQ(g.colour, TextColour::Red) << "minutes still have to be below 60";

    Field h = Long(3);
    h.type("2528");
    EXPECT_EQ(h.text, T("25,28°"));
    EXPECT_FLOAT_EQ(*h.value, 25.28f);
}

TEST(LongitudeTypingWest, ThreeDigitDegreesStoredAs360Minus) {
    Field f = Long(1, true);
    f.type("07");
    EXPECT_EQ(f.text, "07");
    f.type("3");
    EXPECT_EQ(f.text, T("073°"));
    EXPECT_EQ(f.caret, 4);
    f.type("30");
    EXPECT_EQ(f.text, T("073°30'"));
    EXPECT_FLOAT_EQ(*f.value, 360 - 73.5f);
    f.type("00");
    EXPECT_EQ(f.text, T("073°30'00\""));
    EXPECT_EQ(f.maxLength, 10);

    Field g = Long(2, true);
    g.type("07330");
    EXPECT_EQ(g.text, T("073°30'"));
    EXPECT_EQ(g.caret, 6);
    g.type("5");
    EXPECT_EQ(g.text, T("073°30,5'"));
    EXPECT_EQ(g.caret, 8);
    EXPECT_EQ(g.maxLength, 13);

    Field h = Long(3, true);
    h.type("0735");
    EXPECT_EQ(h.text, T("073,5°"));
    EXPECT_EQ(h.caret, 5);
    EXPECT_FLOAT_EQ(*h.value, 286.5f);

    Field bad = Long(1, true);
    bad.type("360");
    EXPECT_EQ(bad.text, "360");
    EXPECT_EQ(bad.colour, TextColour::Red);
}

TEST(CoordinatePastedText, UnreadablePartRaisesErrorNamingTheText) {
    try {
        FormatLatitude(T("5x°"), 1);
        FAIL() << "expected a conversion error";
    } catch (const ConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("5x"), std::string::npos) << e.what();
    }
    EXPECT_THROW(FormatLatitude(T("54°4x,50'"), 2), ConvertError);
    EXPECT_THROW(FormatLongitude(T("2x,61°"), {3, false}), ConvertError);
    // Lenient parts only turn red.
    EXPECT_EQ(FormatLatitude(T("54°4x"), 1).colour, TextColour::Red);
}

TEST(CoordinatePastedText, BlanksAroundAreRemoved) {
    auto r = FormatLatitude("  54 ", 1);
    EXPECT_EQ(r.text, T("54°"));
    EXPECT_EQ(FormatLatitude(" 5", 1).text, "5");
}

namespace {
CoordValues Calc(const char* lon, const char* lat, CoordSettings s, CalculateOutcome& out) {
    CoordValues v;
    out = CalculateCoordinates(T(lon), T(lat), s, v);
    return v;
}
}  // namespace

TEST(CoordinateEvaluation, ReadsThePointWithTheNorthwardOffset) {
    CalculateOutcome out;
    CoordValues v = Calc("25°17'00\"", "54°41'00\"", {1, false}, out);
    ASSERT_EQ(out, CalculateOutcome::Ok);
    EXPECT_NEAR(v.lat, 54.686111, 1e-6);
    EXPECT_FLOAT_EQ(v.lat, static_cast<float>((54 + 41 / 60.0L) + 1 / 360.0L));
    EXPECT_FLOAT_EQ(v.lon, static_cast<float>(25 + 17 / 60.0L));

    v = Calc("25°17,00'", "54°41,00'", {2, false}, out);
    ASSERT_EQ(out, CalculateOutcome::Ok);
    EXPECT_NEAR(v.lat, 54.686111, 1e-6);

    v = Calc("25,2833°", "54,6833°", {3, false}, out);
    ASSERT_EQ(out, CalculateOutcome::Ok);
    EXPECT_NEAR(v.lat, 54.6833 + 1 / 360.0, 1e-5);
    EXPECT_FLOAT_EQ(v.lon, 25.2833f);
}

TEST(CoordinateEvaluation, IllFormedTextsFail) {
    CalculateOutcome out;
    Calc("25°17'00\"", "54,68°", {3, false}, out);
    EXPECT_EQ(out, CalculateOutcome::LongitudeFailed) << "longitude 25°17' is not format 3";
    Calc("25,2833°", "54,68°", {3, false}, out);
    EXPECT_EQ(out, CalculateOutcome::LatitudeFailed) << "fewer than four decimals";
    Calc("25°17'", "54°41'00\"", {1, false}, out);
    EXPECT_EQ(out, CalculateOutcome::LongitudeFailed) << "seconds missing";
    Calc("25°17,5'", "54°41,00'", {2, false}, out);
    EXPECT_EQ(out, CalculateOutcome::LongitudeFailed) << "one decimal of the minutes";
    Calc("25°60'00\"", "54°41'00\"", {1, false}, out);
    EXPECT_EQ(out, CalculateOutcome::LongitudeFailed);
    Calc("25°17'00\"", "90°00'00\"", {1, false}, out);
    EXPECT_EQ(out, CalculateOutcome::LatitudeFailed) << "the offset takes 90° beyond the pole";
    Calc("25°17'00\"", "54°41'00\"", {0, false}, out);
    EXPECT_EQ(out, CalculateOutcome::LongitudeFailed) << "no format chosen";
}

TEST(CoordinateEvaluation, IntermediateResultsAreStoredAtOnce) {
    CoordValues v{/*lat=*/2, /*lon=*/1};
    EXPECT_EQ(CalculateCoordinates(T("25°17'xx\""), T("54°41'00\""), {1, false}, v),
              CalculateOutcome::LongitudeFailed);
    EXPECT_FLOAT_EQ(v.lon, -1.0f);
    EXPECT_FLOAT_EQ(v.lat, 2.0f) << "the latitude is not read after a longitude failure";
}

TEST(CoordinateEvaluation, WestLongitudeComesOutNegative) {
    CalculateOutcome out;
    CoordValues v = Calc("073°30'00\"", "40°45'00\"", {1, true}, out);
    ASSERT_EQ(out, CalculateOutcome::Ok);
    EXPECT_FLOAT_EQ(v.lon, -73.5f);
    v = Calc("073°30,00'", "40°45,00'", {2, true}, out);
    ASSERT_EQ(out, CalculateOutcome::Ok);
    EXPECT_FLOAT_EQ(v.lon, -73.5f);
    v = Calc("073,5000°", "40,7500°", {3, true}, out);
    ASSERT_EQ(out, CalculateOutcome::Ok);
    EXPECT_FLOAT_EQ(v.lon, -73.5f);
    Calc("190°00'00\"", "40°45'00\"", {1, true}, out);
    EXPECT_EQ(out, CalculateOutcome::LongitudeFailed) << "west of 180 degrees";
    Calc("73°30'00\"", "40°45'00\"", {1, true}, out);
    EXPECT_EQ(out, CalculateOutcome::LongitudeFailed) << "two-digit text with west chosen";
}

TEST(CoordinateEvaluation, StoredWestValuesBecomeNegativeForTheLocator) {
    EXPECT_FLOAT_EQ(LongitudeForLocator(286.5f), -73.5f);
    EXPECT_FLOAT_EQ(LongitudeForLocator(25.5f), 25.5f);
    EXPECT_FLOAT_EQ(LongitudeForLocator(-73.5f), -73.5f);
}
