// The WWL/BEX table "BEXWWL.dat" among the shipped files: the squares of the award area and the
// eight locators of each, one entry per square in section "BEX":
//   K26=KO24OT,KO24PT,KO24OS,KO24PS,KO24OR,KO24PR,KO24OQ,KO24PQ
// (northern row first, west before east). The file is only read. Every lookup sees the
// file as it is at that moment; an unchanged file is not parsed again (TableFile.h).
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

inline constexpr const char* kWwlTableFile = "BEXWWL.dat";
inline constexpr const char* kWwlTableSection = "BEX";

// The value of a square code in the table (keyed INI reading: the code is matched without
// regard to ASCII case, blanks around it ignored), or the empty text when the code, the
// section or the file is missing. A code names a square of the award area only when this
// is not empty.
std::string SquareEntry(std::string_view code);

// Whether SquareEntry(code) is not empty, without copying the entry.
bool SquareExists(std::string_view code);

// The eight locators of a square in file order, split by the comma-list rule (items after
// the eighth are ignored); nothing when the code has no entry. An entry with fewer than
// eight items raises IndexError for the first missing item ("List index out of bounds
// (5)" for five items).
std::optional<std::array<std::string, 8>> FindWWLfromBEX(std::string_view code);

// The same, for a display that fills its places one by one: place(i, locator) is called
// for i = 0..7 in order. Returns false, calling nothing, when the code has no entry. With
// fewer than eight items, the places before the first missing item are filled and then
// IndexError is raised.
bool FindWWLfromBEX(std::string_view code,
                    const std::function<void(int index, const std::string& locator)>& place);

// The square of the first line of the table file that contains the locator (a text of any
// length, not trimmed; a-z folded to upper case on both sides): the line's text before its
// first "=", or the empty text for a matching line without "=". "?" when no line contains
// it; the empty text matches nothing. A missing or unreadable file, or one without any
// square, raises FileOpenError with the file's path.
std::string FindBEXfromWWL(std::string_view locator);

// Raises FileOpenError with the file's path when the table is missing or unreadable or
// holds no square at all (a file of junk): lookups in it could only answer "?".
void RequireWwlTable();

// As FindBEXfromWWL, but nothing when no line matched, so that a display can tell a match
// from a miss exactly (it then shows the square's locators with FindWWLfromBEX).
std::optional<std::string> FindLineOfWWL(std::string_view locator);

// The square of the centre of a six-character locator (blanks at both ends are dropped;
// any other length gives the empty text), confirmed in the table as fBEX does. Letters are
// read as upper case and not folded.
std::string fWWLtoBEX(std::string_view locator);

// The square code of a point in degrees when the table has that square, otherwise "?".
std::string CalcBEX(float latitude, float longitude);

// The square code of a point in radians when the table has that square, otherwise the
// empty text; no failure is reported.
std::string fBEX(float latitude, float longitude);

}  // namespace kx
