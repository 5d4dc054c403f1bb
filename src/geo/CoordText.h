// Coordinate texts of the calculator: the key filter, the entry formatter that inserts the
// degree, minute, second and decimal signs while digits are typed, the completion of a
// bare "DD°" on Enter and the evaluation of both texts into a point.
//
// Texts are Windows-1257 bytes: the degree sign is 0xB0, the minutes sign "'", the seconds
// sign '"', the decimal sign ",". Every function here is pure: it takes a field's text and
// the settings and says what the field must become.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kx {

inline constexpr char kDegreeSign = '\xB0';
inline constexpr char kMinutesSign = '\'';
inline constexpr char kSecondsSign = '"';
inline constexpr char kDecimalSign = ',';

// The three text formats of the coordinate fields (the setting "KoordFormat"):
// 1 = DD°MM'SS", 2 = DD°MM,hh', 3 = DD,dddd°. 0 stands for "no format chosen".
struct CoordSettings {
    int format = 1;
    bool west = false;  // longitude typed as west (three-digit degrees)
};

enum class CoordField { Latitude, Longitude };

// Field text colours: black (0) and pure red (255).
enum class TextColour { Unchanged, Black, Red };
inline constexpr int kColourBlack = 0;
inline constexpr int kColourRed = 255;

// Both coordinate fields start with this length limit.
inline constexpr int kCoordInitialMaxLength = 12;

// Length limit of a field in a format (9/12/12, one more for west longitude).
int CoordMaxLength(CoordField field, const CoordSettings& settings);

// ---- key filter ---------------------------------------------------------------------
// What a key press sets the "a key was typed" flag to: false for Backspace, true otherwise.
inline bool KeyTypedAfter(char key) {
    return key != '\b';
}
// Whether a typed character may enter a coordinate field: Backspace, Enter or a digit.
inline bool CoordKeyAllowed(char key) {
    return key == '\b' || key == '\r' || (key >= '0' && key <= '9');
}

// ---- entry formatter ----------------------------------------------------------------
// The outcome of formatting a field after its text changed.
struct CoordFormatResult {
    std::string text;          // the field's new text (possibly unchanged)
    std::optional<int> caret;  // caret after this many characters; none: leave it
    TextColour colour = TextColour::Unchanged;
    std::optional<float> value;    // LatValue / LongValue to store; none: keep the old one
    std::optional<int> maxLength;  // new length limit of the field; none: keep it
};

// Formats the latitude text after a change. Throws ConvertError (naming the failing
// text) when a part that must be a number is not one; the field then keeps its text.
CoordFormatResult FormatLatitude(std::string_view text, int format);

// Formats the longitude text after a change, east or west as the settings say. For west
// the stored value is 360 minus the typed longitude. Throws ConvertError like
// FormatLatitude.
CoordFormatResult FormatLongitude(std::string_view text, const CoordSettings& settings);

// Dispatches to FormatLatitude / FormatLongitude.
CoordFormatResult FormatCoordinate(CoordField field, std::string_view text,
                                   const CoordSettings& settings);

// ---- completion on Enter ------------------------------------------------------------
// The text a bare degrees text ("54°", for west longitude "025°") completes to when Enter
// is released in its field (54°00'00", 54°00,00' or 54,0000°); nothing when the text has
// another length. Putting the text into the field formats it as any other change.
std::optional<std::string> CompleteCoordinate(CoordField field, std::string_view text,
                                              const CoordSettings& settings);

// ---- evaluation ---------------------------------------------------------------------
// The current values of the calculator: latitude and longitude in degrees.
struct CoordValues {
    float lat = 0;
    float lon = 0;
};

enum class CalculateOutcome {
    Ok,               // both texts read; values hold the point (west longitudes negative)
    LongitudeFailed,  // both fields turn red
    LatitudeFailed,   // the latitude field turns red
};

// Reads the fixed positions of both texts in the chosen format. Every intermediate result
// is stored into values at once (so a failure leaves the last intermediate there). The
// latitude gets the offset of 10 seconds of arc northwards. With west longitude the
// degrees have three digits and the longitude comes out negative; a west longitude above
// 180 degrees fails. With no format chosen the longitude fails.
CalculateOutcome CalculateCoordinates(std::string_view longText, std::string_view latText,
                                      const CoordSettings& settings, CoordValues& values);

// The longitude the locator computations are given for a stored LongValue: a value above
// 180 degrees (a west longitude stored as 360 minus the typed value) becomes value - 360.
float LongitudeForLocator(float longValue);

}  // namespace kx
