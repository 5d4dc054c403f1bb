// Windows-1257 (Baltic) code page: the byte encoding of every text inside the core.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kx {

// Unicode code point of a Windows-1257 byte (every byte has one).
char32_t Cp1257ToUnicode(unsigned char byte);

// Windows-1257 byte of a code point, or -1 when the code page cannot hold it.
int UnicodeToCp1257(char32_t c);

std::string Cp1257ToUtf8(std::string_view bytes);

// Windows-1257 bytes of a UTF-8 text; nothing when the text is not valid UTF-8 or holds a
// character the code page cannot hold (never a silent replacement).
std::optional<std::string> Utf8ToCp1257(std::string_view utf8);

// Windows-1257 bytes of a text the system gives (an error text in the user's locale): valid
// UTF-8 is converted with "?" for a character the code page lacks; other bytes stay as
// they are.
std::string SystemTextToCp1257(std::string_view text);

// Decodes UTF-8 into code points; false on any malformed sequence.
bool DecodeUtf8(std::string_view text, std::u32string& out);

// The capital of a byte by the code page's letter pairs: a-z, and the letters above 127
// (ą/Ą, č/Č, ė/Ė, ū/Ū, ž/Ž, ä/Ä, ø/Ø, æ/Æ, ŗ/Ŗ ...). Bytes without a capital (ß, digits,
// signs) stay. The one capitals function for imported text and for every case-blind
// comparison (sort, repeats, finder words, table keys, city names).
char Cp1257Upper(char byte) noexcept;
std::string UpperCp1257(std::string_view text);

// Appends the Windows-1257 spelling of a code point: its own byte, or for a letter the
// code page lacks its closest letters ("ñ" gives "n", "Á" "A", "Œ" "OE"). False (nothing
// appended) for a character with neither (CJK, emoji, Cyrillic ...).
bool AppendFoldedCp1257(std::string& out, char32_t c);

// Windows-1257 bytes of a UTF-8 source literal such as "Šiauliai". Throws
// std::invalid_argument for a literal the code page cannot hold (a programming error).
std::string Cp1257(std::string_view utf8Literal);

}  // namespace kx
