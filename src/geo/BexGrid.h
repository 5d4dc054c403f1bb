// The BEX grid: squares of 10' by 10' named by a row letter A-P (southwards from 56°30'N)
// and a two-digit column 00-39 (eastwards from 20°50'E), e.g. K26.
//
// This is the pure arithmetic. Whether a code is a square of the award area is decided by
// the WWL/BEX table (tables/WwlTable.h: SquareEntry, and CalcBEX / fBEX, which confirm a
// computed code in the table).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kx {

// The grid code of a point in degrees (32-bit values), or nothing when its row or column
// falls outside the grid. A point exactly on a grid line that is exact in 32 bits belongs
// to the square south or east of it (56.5 N, 21.0 E gives A01); 21°10' (just below the line
// in 32 bits) gives column 01, 21°20' (just above) column 03. Truncation toward zero gives
// row A to points up to 10' north of 56°30'N and column 00 up to 10' west of 20°50'E.
std::optional<std::string> GridCodeOf(float latitude, float longitude);

// The grid code of a point in radians: each value is turned into degrees (value x 180 / pi
// in extended precision, rounded to 32 bits) and then handled as GridCodeOf does.
std::optional<std::string> GridCodeOfRadians(float latitude, float longitude);

// Edge labels of a square: degrees, the degree sign (byte 0xB0), two-digit minutes, "'"
// and the hemisphere letter, e.g. "54\xB0" "50'N".
struct LatLabels {
    std::string north;  // northern edge
    std::string south;  // southern edge
};
struct LongLabels {
    std::string west;  // western edge
    std::string east;  // eastern edge
};

// The latitude labels of the square a text names, or nothing. The text is taken without
// the bytes 0-32 at its ends and with a-z upper-cased; it must then be three characters:
// a row letter A-P, a digit 0-3 and a digit 0-9 ("a01" is A01; "Q01", "A40", "A1" name
// nothing). K26 gives 54°50'N and 54°40'N. The table is not consulted.
std::optional<LatLabels> LatBEX(std::string_view text);

// The longitude labels of the square a text names, or nothing (same reading of the text
// as LatBEX). K26 gives 25°10'E and 25°20'E.
std::optional<LongLabels> LongBEX(std::string_view text);

// The texts the calculator shows at the corners before a square has been shown.
inline constexpr std::string_view kLatPlaceholder =
    "00\xB0"
    "00'N";
inline constexpr std::string_view kLongPlaceholder =
    "00\xB0"
    "00'E";

}  // namespace kx
