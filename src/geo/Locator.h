// The six-character Maidenhead locator (WWL): field, square and subsquare of longitude
// and latitude, e.g. KO24PQ for a point in Vilnius.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kx {

// The locator of the subsquare holding the point (degrees, north and east positive):
// always six upper-case characters. A point exactly on a line belongs to the subsquare
// north or east of it (55.0 N, 24.0 E gives KO25AA). There is no range check: latitudes
// 0 to 90 and longitudes 0 to just under 100 give letters and digits; latitude 90 gives
// the field letter "S". A character whose number is not finite comes out as "?".
std::string CalcWWL(float latitude, float longitude);

// Latitude of the centre of a locator's subsquare, in radians. Reads characters 2, 4 and
// 6 as they are (upper case expected, not checked, not folded); a text too short to hold
// them gives 0.
float fLat(std::string_view locator);

// Longitude of the centre of a locator's subsquare, in radians. Reads characters 1, 3 and
// 5 as they are; a text too short to hold them gives 0.
float fLong(std::string_view locator);

// The six characters a typed locator is read as: a locator has 6 characters, and one of 8
// or 10 (with the extended squares) is read as its first 6. Nothing for any other length
// (a field "KO", a square "KO14"): the caller says what is accepted.
std::optional<std::string_view> LocatorOfSix(std::string_view typed);

}  // namespace kx
