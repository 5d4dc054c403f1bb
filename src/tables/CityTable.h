// The city table "CityBEX.dat" among the shipped files: the BEX square or squares of each
// Lithuanian city and settlement, one line per name in section "City":
//   Vilnius=K26,K27
// (one to four square codes, the first the one the calculator shows). Names are
// Windows-1257 bytes. The file is only read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kx {

inline constexpr const char* kCityTableFile = "CityBEX.dat";
inline constexpr const char* kCityTableSection = "City";

// The names list of the calculator's drop-down: one entry per line of the file, in file
// order, each the line's text before its first "=" unchanged (a line without "=", such as
// the section header, gives an empty entry, which no search shows).
class CityNames {
public:
    CityNames() = default;
    explicit CityNames(std::vector<std::string> entries);

    // Reads the names list from "CityBEX.dat". Throws FileOpenError
    // naming the file when it is missing or cannot be read.
    static CityNames Load();

    const std::vector<std::string>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

    // The entries, in file order, that begin with the text, case ignored. A text of ASCII
    // characters only is compared with the entries' base letters, so that "Siaul" finds
    // "Šiauliai"; a text with a Lithuanian letter is compared letter for letter ("Šiaul"
    // does not find "Siauliai"). The empty text finds nothing.
    std::vector<std::string> Search(std::string_view text) const;

private:
    std::vector<std::string> entries_;
    std::vector<std::string> folded_;  // the entries in capitals
    std::vector<std::string> based_;   // the entries in capitals of their base letters
};

// The squares of a name in section "City": the value of its key (keyed reading: case
// ignored, blanks around the name ignored), then the squares of every other place of
// that name ("Raudondvaris" also gives those of "Raudondvaris (Pagėgių sav.)"), each
// square once. A name typed without its Lithuanian letters finds them ("Siauliai" finds
// Šiauliai); a whole key with its municipality gives that place alone. The empty text
// when no place has the name or the section or the file is missing. Every call sees the
// file as it is now.
std::string CityEntry(std::string_view name);

}  // namespace kx
