// The comma-list rule: how the values of the reference tables (the WWL/BEX table, the
// city table, the call-sign table) are split into items.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Splits a value into its items:
// - blanks (every byte from 1 up to and including the space) before an item are skipped;
// - a plain item runs up to the next comma or blank;
// - an item that begins with a double quote runs to its closing double quote, and a
//   doubled double quote inside stands for one; an unclosed quote runs to the end of the
//   text, keeping every byte after the opening quote;
// - after an item, blanks, one comma and the blanks after it are skipped, so two commas
//   with only blanks between them give an empty item, and a comma that is the very last
//   byte of the value gives a last, empty item;
// - a blank between two items separates them like a comma ("a b" gives "a" and "b");
// - a NUL byte ends the value, as it ends a C string.
// An empty or all-blank value gives no items.
std::vector<std::string> SplitCommaList(std::string_view value);

}  // namespace kx
