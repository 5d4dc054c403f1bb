// The call-sign table "LY-BEX.dat" (the user's copy or the shipped one): the BEX square or squares
// from which a Lithuanian station usually operates, one line per call sign in section "BEX":
//   LY1AB=K26
//   LY2XY=J18,J19
// (one to four square codes, the first the one the calculator shows). The file is only
// read; a missing file simply finds nothing.
#pragma once

#include <string>
#include <string_view>

namespace kx {

inline constexpr const char* kCallTableFile = "LY-BEX.dat";
inline constexpr const char* kCallTableSection = "BEX";

// The value of a call sign in section "BEX" (keyed reading: ASCII case ignored, blanks
// around the call sign ignored); the empty text when the call sign, the section or the
// file is missing. Every call sees the file as it is now.
std::string CallEntry(std::string_view callSign);

// What the calculator's look-up shows for the text of its call-sign field: the text
// without blanks at either end is looked up whole (no prefix or suffix split off); a text
// of fewer than three characters after trimming is not looked up and gives the empty text.
std::string CallSignSquares(std::string_view fieldText);

}  // namespace kx
