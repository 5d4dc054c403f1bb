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

// Decodes UTF-8 into code points; false on any malformed sequence.
bool DecodeUtf8(std::string_view text, std::u32string& out);
bool IsValidUtf8(std::string_view text);

// Windows-1257 bytes of a UTF-8 source literal such as "Šiauliai". Throws
// std::invalid_argument for a literal the code page cannot hold (a programming error).
std::string Cp1257(std::string_view utf8Literal);

}  // namespace kx
