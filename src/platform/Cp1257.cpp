// Windows-1257 (Baltic) code page, both directions.
#include "platform/Cp1257.h"

#include <array>
#include <unordered_map>

namespace kx {
namespace {

// Unicode code point of every byte. Bytes the code page leaves undefined map to the
// code point of the same number, so that every byte survives a round trip.
// Eight bytes a line, as code page tables are written.
// clang-format off
constexpr std::array<char16_t, 256> kToUnicode = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007,
    0x0008, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x000E, 0x000F,
    0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0016, 0x0017,
    0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001D, 0x001E, 0x001F,
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x007F,
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x008A, 0x2039, 0x008C, 0x00A8, 0x02C7, 0x00B8,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x009A, 0x203A, 0x009C, 0x00AF, 0x02DB, 0x009F,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00D8, 0x00A9, 0x0156, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00C6,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00F8, 0x00B9, 0x0157, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00E6,
    0x0104, 0x012E, 0x0100, 0x0106, 0x00C4, 0x00C5, 0x0118, 0x0112,
    0x010C, 0x00C9, 0x0179, 0x0116, 0x0122, 0x0136, 0x012A, 0x013B,
    0x0160, 0x0143, 0x0145, 0x00D3, 0x014C, 0x00D5, 0x00D6, 0x00D7,
    0x0172, 0x0141, 0x015A, 0x016A, 0x00DC, 0x017B, 0x017D, 0x00DF,
    0x0105, 0x012F, 0x0101, 0x0107, 0x00E4, 0x00E5, 0x0119, 0x0113,
    0x010D, 0x00E9, 0x017A, 0x0117, 0x0123, 0x0137, 0x012B, 0x013C,
    0x0161, 0x0144, 0x0146, 0x00F3, 0x014D, 0x00F5, 0x00F6, 0x00F7,
    0x0173, 0x0142, 0x015B, 0x016B, 0x00FC, 0x017C, 0x017E, 0x02D9,
};
// clang-format on

const std::unordered_map<char32_t, unsigned char>& FromUnicodeMap() {
    static const std::unordered_map<char32_t, unsigned char> map = [] {
        std::unordered_map<char32_t, unsigned char> m;
        for (int b = 255; b >= 0; --b)
            m[kToUnicode[static_cast<size_t>(b)]] = static_cast<unsigned char>(b);
        return m;
    }();
    return map;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t Cp1257ToUnicode(unsigned char byte) {
    return kToUnicode[byte];
}

int UnicodeToCp1257(char32_t c) {
    if (c < 0x80) return static_cast<int>(c);
    const auto& map = FromUnicodeMap();
    auto it = map.find(c);
    return it == map.end() ? -1 : it->second;
}

std::string Cp1257ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) AppendUtf8(out, kToUnicode[static_cast<unsigned char>(ch)]);
    return out;
}

bool DecodeUtf8(std::string_view text, std::u32string& out) {
    out.clear();
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        char32_t c;
        size_t len;
        if (b0 < 0x80) {
            c = b0;
            len = 1;
        } else if ((b0 & 0xE0) == 0xC0) {
            c = b0 & 0x1F;
            len = 2;
        } else if ((b0 & 0xF0) == 0xE0) {
            c = b0 & 0x0F;
            len = 3;
        } else if ((b0 & 0xF8) == 0xF0) {
            c = b0 & 0x07;
            len = 4;
        } else {
            return false;
        }
        if (i + len > n) return false;
        for (size_t k = 1; k < len; ++k) {
            const auto bk = static_cast<unsigned char>(text[i + k]);
            if ((bk & 0xC0) != 0x80) return false;
            c = (c << 6) | (bk & 0x3F);
        }
        // Reject overlong forms, surrogates and values beyond Unicode.
        if ((len == 2 && c < 0x80) || (len == 3 && c < 0x800) || (len == 4 && c < 0x10000) ||
            (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            return false;
        out += c;
        i += len;
    }
    return true;
}

std::optional<std::string> Utf8ToCp1257(std::string_view utf8) {
    std::u32string chars;
    if (!DecodeUtf8(utf8, chars)) return std::nullopt;
    std::string out;
    out.reserve(chars.size());
    for (char32_t c : chars) {
        const int b = UnicodeToCp1257(c);
        if (b < 0) return std::nullopt;
        out += static_cast<char>(b);
    }
    return out;
}

std::string SystemTextToCp1257(std::string_view text) {
    std::u32string codes;
    if (!DecodeUtf8(text, codes)) return std::string(text);
    std::string out;
    out.reserve(codes.size());
    for (char32_t c : codes) {
        const int b = UnicodeToCp1257(c);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

std::string Cp1257(std::string_view utf8Literal) {
    auto bytes = Utf8ToCp1257(utf8Literal);
    if (!bytes) throw std::invalid_argument("text not representable in Windows-1257");
    return *bytes;
}

}  // namespace kx
