// The program's text order for sorting the log and the award list (Windows-1257 texts).
//
// Letter case is ignored, for ASCII letters and for the case pairs of the Lithuanian and
// other Baltic letters alike. Blanks, control characters and punctuation come before
// digits, digits before letters. Accented letters follow their base letter: A Ą B C Č D
// E Ę Ė F ... I Į ... S Š ... U Ų Ū ... Z Ž (other Windows-1257 letters such as Ä, Ö,
// Ü, Ō, Ł come after the Lithuanian ones of the same base). A text comes before every
// longer text that begins with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kx {

// Sort weight of one byte: equal weights for the two cases of a letter.
std::uint16_t CollationWeight(unsigned char byte) noexcept;

// Negative, zero or positive as a sorts before, equal to or after b. No allocation.
int CollateCompare(std::string_view a, std::string_view b) noexcept;

// The text in capitals with each accented letter replaced by its base letter
// ("Šiauliai" gives "SIAULIAI", "Ukmergė" "UKMERGE"): a name typed without its
// Lithuanian letters compares equal to the name.
std::string BaseLetters(std::string_view text);

inline bool CollateLess(std::string_view a, std::string_view b) noexcept {
    return CollateCompare(a, b) < 0;
}
inline bool CollateEqual(std::string_view a, std::string_view b) noexcept {
    return CollateCompare(a, b) == 0;
}

}  // namespace kx
