// ADI reading: layout, specifier scanning and value decoding.
#include "log/AdifReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Cp1257.h"

namespace kx {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Length of the UTF-8 sequence a lead byte opens (0: not a lead byte).
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed multi-byte sequence at p (0 when there is none).
std::size_t ValidSequenceAt(const unsigned char* p, std::size_t left) {
    const int len = SequenceLength(p[0]);
    if (len < 2 || static_cast<std::size_t>(len) > left) return 0;
    for (int k = 1; k < len; ++k)
        if (!IsContinuation(p[k])) return 0;
    if (len == 3) {
        if (p[0] == 0xE0 && p[1] < 0xA0) return 0;  // overlong
        if (p[0] == 0xED && p[1] > 0x9F) return 0;  // surrogate
    } else if (len == 4) {
        if (p[0] == 0xF0 && p[1] < 0x90) return 0;  // overlong
        if (p[0] == 0xF4 && p[1] > 0x8F) return 0;  // beyond U+10FFFF
    }
    return static_cast<std::size_t>(len);
}

// The file's non-ASCII text is UTF-8: there are valid multi-byte sequences and no more
// stray bytes than those.
bool LooksUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0, valid = 0, invalid = 0;
    while (i < n) {
        while (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            if (w & 0x8080808080808080ull) break;
            i += 8;
        }
        if (i >= n) break;
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        if (const std::size_t len = ValidSequenceAt(p + i, n - i)) {
            ++valid;
            i += len;
        } else {
            ++invalid;
            ++i;
        }
    }
    return valid > 0 && invalid <= valid;
}

bool IsNameChar(char c) {
    return IsAsciiLetter(c) || IsDigit(c) || c == '_';
}

// Offset just past the '>' of a well-formed specifier, EOH or EOR that opens at q, or 0.
// Only plain names are accepted, so that text merely holding a "<" is not taken for one.
std::size_t WellFormedTagEnd(std::string_view b, std::size_t q) {
    const std::size_t n = b.size();
    std::size_t i = q + 1;
    while (i < n && i - q <= 64 && IsNameChar(b[i])) ++i;
    if (i == q + 1 || i >= n) return 0;
    if (b[i] == '>') return i + 1;
    if (b[i] != ':') return 0;
    std::size_t j = i + 1;
    while (j < n && j - i <= 12 && IsDigit(b[j])) ++j;
    if (j == i + 1 || j >= n) return 0;
    if (b[j] == ':') {
        ++j;
        if (j >= n || !IsAsciiLetter(b[j])) return 0;
        ++j;
    }
    return (j < n && b[j] == '>') ? j + 1 : 0;
}

struct FoldEntry {
    char32_t code;
    const char* ascii;
};

// Latin letters that Windows-1257 lacks, with their plain-ASCII spelling.
constexpr FoldEntry kFold[] = {
    {0x00C0, "A"},  {0x00C1, "A"},  {0x00C2, "A"},  {0x00C3, "A"},  {0x00C7, "C"},  {0x00C8, "E"},
    {0x00CA, "E"},  {0x00CB, "E"},  {0x00CC, "I"},  {0x00CD, "I"},  {0x00CE, "I"},  {0x00CF, "I"},
    {0x00D0, "D"},  {0x00D1, "N"},  {0x00D2, "O"},  {0x00D4, "O"},  {0x00D9, "U"},  {0x00DA, "U"},
    {0x00DB, "U"},  {0x00DD, "Y"},  {0x00DE, "TH"}, {0x00E0, "a"},  {0x00E1, "a"},  {0x00E2, "a"},
    {0x00E3, "a"},  {0x00E7, "c"},  {0x00E8, "e"},  {0x00EA, "e"},  {0x00EB, "e"},  {0x00EC, "i"},
    {0x00ED, "i"},  {0x00EE, "i"},  {0x00EF, "i"},  {0x00F0, "d"},  {0x00F1, "n"},  {0x00F2, "o"},
    {0x00F4, "o"},  {0x00F9, "u"},  {0x00FA, "u"},  {0x00FB, "u"},  {0x00FD, "y"},  {0x00FE, "th"},
    {0x00FF, "y"},  {0x0102, "A"},  {0x0103, "a"},  {0x0108, "C"},  {0x0109, "c"},  {0x010A, "C"},
    {0x010B, "c"},  {0x010E, "D"},  {0x010F, "d"},  {0x0110, "D"},  {0x0111, "d"},  {0x0114, "E"},
    {0x0115, "e"},  {0x011A, "E"},  {0x011B, "e"},  {0x011C, "G"},  {0x011D, "g"},  {0x011E, "G"},
    {0x011F, "g"},  {0x0120, "G"},  {0x0121, "g"},  {0x0124, "H"},  {0x0125, "h"},  {0x0126, "H"},
    {0x0127, "h"},  {0x0128, "I"},  {0x0129, "i"},  {0x012C, "I"},  {0x012D, "i"},  {0x0130, "I"},
    {0x0131, "i"},  {0x0132, "IJ"}, {0x0133, "ij"}, {0x0134, "J"},  {0x0135, "j"},  {0x0138, "k"},
    {0x0139, "L"},  {0x013A, "l"},  {0x013D, "L"},  {0x013E, "l"},  {0x013F, "L"},  {0x0140, "l"},
    {0x0147, "N"},  {0x0148, "n"},  {0x0149, "n"},  {0x014A, "N"},  {0x014B, "n"},  {0x014E, "O"},
    {0x014F, "o"},  {0x0150, "O"},  {0x0151, "o"},  {0x0152, "OE"}, {0x0153, "oe"}, {0x0154, "R"},
    {0x0155, "r"},  {0x0158, "R"},  {0x0159, "r"},  {0x015C, "S"},  {0x015D, "s"},  {0x015E, "S"},
    {0x015F, "s"},  {0x0162, "T"},  {0x0163, "t"},  {0x0164, "T"},  {0x0165, "t"},  {0x0168, "U"},
    {0x0169, "u"},  {0x016C, "U"},  {0x016D, "u"},  {0x016E, "U"},  {0x016F, "u"},  {0x0170, "U"},
    {0x0171, "u"},  {0x0174, "W"},  {0x0175, "w"},  {0x0176, "Y"},  {0x0177, "y"},  {0x0178, "Y"},
    {0x017F, "s"},  {0x0180, "b"},  {0x0192, "f"},  {0x0197, "I"},  {0x01A0, "O"},  {0x01A1, "o"},
    {0x01AF, "U"},  {0x01B0, "u"},  {0x01B5, "Z"},  {0x01B6, "z"},  {0x01C4, "DZ"}, {0x01C5, "Dz"},
    {0x01C6, "dz"}, {0x01C7, "LJ"}, {0x01C8, "Lj"}, {0x01C9, "lj"}, {0x01CA, "NJ"}, {0x01CB, "Nj"},
    {0x01CC, "nj"}, {0x01CD, "A"},  {0x01CE, "a"},  {0x01CF, "I"},  {0x01D0, "i"},  {0x01D1, "O"},
    {0x01D2, "o"},  {0x01D3, "U"},  {0x01D4, "u"},  {0x01D5, "U"},  {0x01D6, "u"},  {0x01D7, "U"},
    {0x01D8, "u"},  {0x01D9, "U"},  {0x01DA, "u"},  {0x01DB, "U"},  {0x01DC, "u"},  {0x01DE, "A"},
    {0x01DF, "a"},  {0x01E0, "A"},  {0x01E1, "a"},  {0x01E6, "G"},  {0x01E7, "g"},  {0x01E8, "K"},
    {0x01E9, "k"},  {0x01EA, "O"},  {0x01EB, "o"},  {0x01EC, "O"},  {0x01ED, "o"},  {0x01F0, "j"},
    {0x01F1, "DZ"}, {0x01F2, "Dz"}, {0x01F3, "dz"}, {0x01F4, "G"},  {0x01F5, "g"},  {0x01F8, "N"},
    {0x01F9, "n"},  {0x01FA, "A"},  {0x01FB, "a"},  {0x0200, "A"},  {0x0201, "a"},  {0x0202, "A"},
    {0x0203, "a"},  {0x0204, "E"},  {0x0205, "e"},  {0x0206, "E"},  {0x0207, "e"},  {0x0208, "I"},
    {0x0209, "i"},  {0x020A, "I"},  {0x020B, "i"},  {0x020C, "O"},  {0x020D, "o"},  {0x020E, "O"},
    {0x020F, "o"},  {0x0210, "R"},  {0x0211, "r"},  {0x0212, "R"},  {0x0213, "r"},  {0x0214, "U"},
    {0x0215, "u"},  {0x0216, "U"},  {0x0217, "u"},  {0x0218, "S"},  {0x0219, "s"},  {0x021A, "T"},
    {0x021B, "t"},  {0x021E, "H"},  {0x021F, "h"},  {0x0226, "A"},  {0x0227, "a"},  {0x0228, "E"},
    {0x0229, "e"},  {0x022A, "O"},  {0x022B, "o"},  {0x022C, "O"},  {0x022D, "o"},  {0x022E, "O"},
    {0x022F, "o"},  {0x0230, "O"},  {0x0231, "o"},  {0x0232, "Y"},  {0x0233, "y"},  {0x023A, "A"},
    {0x023B, "C"},  {0x023C, "c"},  {0x023E, "T"},  {0x0243, "B"},  {0x0244, "U"},  {0x0246, "E"},
    {0x0247, "e"},  {0x0248, "J"},  {0x0249, "j"},  {0x024C, "R"},  {0x024D, "r"},  {0x024E, "Y"},
    {0x024F, "y"},  {0x1E00, "A"},  {0x1E01, "a"},  {0x1E02, "B"},  {0x1E03, "b"},  {0x1E04, "B"},
    {0x1E05, "b"},  {0x1E06, "B"},  {0x1E07, "b"},  {0x1E08, "C"},  {0x1E09, "c"},  {0x1E0A, "D"},
    {0x1E0B, "d"},  {0x1E0C, "D"},  {0x1E0D, "d"},  {0x1E0E, "D"},  {0x1E0F, "d"},  {0x1E10, "D"},
    {0x1E11, "d"},  {0x1E12, "D"},  {0x1E13, "d"},  {0x1E14, "E"},  {0x1E15, "e"},  {0x1E16, "E"},
    {0x1E17, "e"},  {0x1E18, "E"},  {0x1E19, "e"},  {0x1E1A, "E"},  {0x1E1B, "e"},  {0x1E1C, "E"},
    {0x1E1D, "e"},  {0x1E1E, "F"},  {0x1E1F, "f"},  {0x1E20, "G"},  {0x1E21, "g"},  {0x1E22, "H"},
    {0x1E23, "h"},  {0x1E24, "H"},  {0x1E25, "h"},  {0x1E26, "H"},  {0x1E27, "h"},  {0x1E28, "H"},
    {0x1E29, "h"},  {0x1E2A, "H"},  {0x1E2B, "h"},  {0x1E2C, "I"},  {0x1E2D, "i"},  {0x1E2E, "I"},
    {0x1E2F, "i"},  {0x1E30, "K"},  {0x1E31, "k"},  {0x1E32, "K"},  {0x1E33, "k"},  {0x1E34, "K"},
    {0x1E35, "k"},  {0x1E36, "L"},  {0x1E37, "l"},  {0x1E38, "L"},  {0x1E39, "l"},  {0x1E3A, "L"},
    {0x1E3B, "l"},  {0x1E3C, "L"},  {0x1E3D, "l"},  {0x1E3E, "M"},  {0x1E3F, "m"},  {0x1E40, "M"},
    {0x1E41, "m"},  {0x1E42, "M"},  {0x1E43, "m"},  {0x1E44, "N"},  {0x1E45, "n"},  {0x1E46, "N"},
    {0x1E47, "n"},  {0x1E48, "N"},  {0x1E49, "n"},  {0x1E4A, "N"},  {0x1E4B, "n"},  {0x1E4C, "O"},
    {0x1E4D, "o"},  {0x1E4E, "O"},  {0x1E4F, "o"},  {0x1E50, "O"},  {0x1E51, "o"},  {0x1E52, "O"},
    {0x1E53, "o"},  {0x1E54, "P"},  {0x1E55, "p"},  {0x1E56, "P"},  {0x1E57, "p"},  {0x1E58, "R"},
    {0x1E59, "r"},  {0x1E5A, "R"},  {0x1E5B, "r"},  {0x1E5C, "R"},  {0x1E5D, "r"},  {0x1E5E, "R"},
    {0x1E5F, "r"},  {0x1E60, "S"},  {0x1E61, "s"},  {0x1E62, "S"},  {0x1E63, "s"},  {0x1E64, "S"},
    {0x1E65, "s"},  {0x1E66, "S"},  {0x1E67, "s"},  {0x1E68, "S"},  {0x1E69, "s"},  {0x1E6A, "T"},
    {0x1E6B, "t"},  {0x1E6C, "T"},  {0x1E6D, "t"},  {0x1E6E, "T"},  {0x1E6F, "t"},  {0x1E70, "T"},
    {0x1E71, "t"},  {0x1E72, "U"},  {0x1E73, "u"},  {0x1E74, "U"},  {0x1E75, "u"},  {0x1E76, "U"},
    {0x1E77, "u"},  {0x1E78, "U"},  {0x1E79, "u"},  {0x1E7A, "U"},  {0x1E7B, "u"},  {0x1E7C, "V"},
    {0x1E7D, "v"},  {0x1E7E, "V"},  {0x1E7F, "v"},  {0x1E80, "W"},  {0x1E81, "w"},  {0x1E82, "W"},
    {0x1E83, "w"},  {0x1E84, "W"},  {0x1E85, "w"},  {0x1E86, "W"},  {0x1E87, "w"},  {0x1E88, "W"},
    {0x1E89, "w"},  {0x1E8A, "X"},  {0x1E8B, "x"},  {0x1E8C, "X"},  {0x1E8D, "x"},  {0x1E8E, "Y"},
    {0x1E8F, "y"},  {0x1E90, "Z"},  {0x1E91, "z"},  {0x1E92, "Z"},  {0x1E93, "z"},  {0x1E94, "Z"},
    {0x1E95, "z"},  {0x1E96, "h"},  {0x1E97, "t"},  {0x1E98, "w"},  {0x1E99, "y"},  {0x1E9A, "a"},
    {0x1E9B, "s"},  {0x1E9E, "SS"}, {0x1EA0, "A"},  {0x1EA1, "a"},  {0x1EA2, "A"},  {0x1EA3, "a"},
    {0x1EA4, "A"},  {0x1EA5, "a"},  {0x1EA6, "A"},  {0x1EA7, "a"},  {0x1EA8, "A"},  {0x1EA9, "a"},
    {0x1EAA, "A"},  {0x1EAB, "a"},  {0x1EAC, "A"},  {0x1EAD, "a"},  {0x1EAE, "A"},  {0x1EAF, "a"},
    {0x1EB0, "A"},  {0x1EB1, "a"},  {0x1EB2, "A"},  {0x1EB3, "a"},  {0x1EB4, "A"},  {0x1EB5, "a"},
    {0x1EB6, "A"},  {0x1EB7, "a"},  {0x1EB8, "E"},  {0x1EB9, "e"},  {0x1EBA, "E"},  {0x1EBB, "e"},
    {0x1EBC, "E"},  {0x1EBD, "e"},  {0x1EBE, "E"},  {0x1EBF, "e"},  {0x1EC0, "E"},  {0x1EC1, "e"},
    {0x1EC2, "E"},  {0x1EC3, "e"},  {0x1EC4, "E"},  {0x1EC5, "e"},  {0x1EC6, "E"},  {0x1EC7, "e"},
    {0x1EC8, "I"},  {0x1EC9, "i"},  {0x1ECA, "I"},  {0x1ECB, "i"},  {0x1ECC, "O"},  {0x1ECD, "o"},
    {0x1ECE, "O"},  {0x1ECF, "o"},  {0x1ED0, "O"},  {0x1ED1, "o"},  {0x1ED2, "O"},  {0x1ED3, "o"},
    {0x1ED4, "O"},  {0x1ED5, "o"},  {0x1ED6, "O"},  {0x1ED7, "o"},  {0x1ED8, "O"},  {0x1ED9, "o"},
    {0x1EDA, "O"},  {0x1EDB, "o"},  {0x1EDC, "O"},  {0x1EDD, "o"},  {0x1EDE, "O"},  {0x1EDF, "o"},
    {0x1EE0, "O"},  {0x1EE1, "o"},  {0x1EE2, "O"},  {0x1EE3, "o"},  {0x1EE4, "U"},  {0x1EE5, "u"},
    {0x1EE6, "U"},  {0x1EE7, "u"},  {0x1EE8, "U"},  {0x1EE9, "u"},  {0x1EEA, "U"},  {0x1EEB, "u"},
    {0x1EEC, "U"},  {0x1EED, "u"},  {0x1EEE, "U"},  {0x1EEF, "u"},  {0x1EF0, "U"},  {0x1EF1, "u"},
    {0x1EF2, "Y"},  {0x1EF3, "y"},  {0x1EF4, "Y"},  {0x1EF5, "y"},  {0x1EF6, "Y"},  {0x1EF7, "y"},
    {0x1EF8, "Y"},  {0x1EF9, "y"},
};

}  // namespace

std::string_view AsciiFold(char32_t c) {
    const auto* end = std::end(kFold);
    const auto* it = std::lower_bound(std::begin(kFold), end, c,
                                      [](const FoldEntry& e, char32_t v) { return e.code < v; });
    if (it == end || it->code != c) return {};
    return it->ascii;
}

bool AdifNameIs(std::string_view written, std::string_view upperName) {
    while (!written.empty() && written.front() == ' ') written.remove_prefix(1);
    while (!written.empty() && written.back() == ' ') written.remove_suffix(1);
    if (written.size() != upperName.size()) return false;
    for (std::size_t i = 0; i < written.size(); ++i)
        if (Upper(written[i]) != upperName[i]) return false;
    return true;
}

AdifLayout ReadAdifLayout(std::string_view bytes) {
    AdifLayout layout;
    std::size_t p = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        layout.hasBom = true;
        p = 3;
    }
    layout.utf8 = layout.hasBom || LooksUtf8(bytes.substr(p));
    while (p < bytes.size() && static_cast<unsigned char>(bytes[p]) <= ' ') ++p;
    layout.bodyStart = p;
    if (p >= bytes.size()) return layout;
    layout.hasPreamble = bytes[p] != '<';

    // The header ends at the first <EOH>, provided no record has ended before it. A file
    // that opens with a tag may still carry header fields closed by <EOH>.
    AdifScanner scanner(bytes, layout.utf8, p);
    AdifTag tag;
    while (scanner.Next(tag)) {
        if (tag.kind == AdifTag::Kind::EndOfHeader) {
            layout.headerClosed = true;
            layout.bodyStart = scanner.Position();
            return layout;
        }
        if (tag.kind == AdifTag::Kind::EndOfRecord) break;
        if (layout.programId.empty() && AdifNameIs(tag.name, "PROGRAMID"))
            layout.programId = tag.value;
    }
    layout.programId = {};  // no header: the fields seen were a record's
    return layout;
}

bool AdifScanner::AtBoundary(std::size_t pos) const {
    if (pos >= bytes_.size()) return true;
    const char c = bytes_[pos];
    return c == '<' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::size_t AdifScanner::ValueEnd(std::size_t vs, std::size_t length) const {
    const std::size_t n = bytes_.size();
    const std::size_t e = vs + length;
    if (AtBoundary(e)) return e;

    // An exporter that counted characters instead of bytes.
    if (utf8_) {
        bool nonAscii = false;
        for (std::size_t i = vs; i < e && !nonAscii; ++i)
            nonAscii = static_cast<unsigned char>(bytes_[i]) >= 0x80;
        if (nonAscii) {
            const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data());
            std::size_t i = vs, chars = 0;
            while (chars < length && i < n) {
                const std::size_t len = ValidSequenceAt(p + i, n - i);
                i += len ? len : 1;
                ++chars;
            }
            if (chars == length && AtBoundary(i)) return i;
        }
    }

    // A length that runs into the next specifier or record end.
    for (std::size_t q = vs; q < e; ++q) {
        if (bytes_[q] != '<') continue;
        const std::size_t tagEnd = WellFormedTagEnd(bytes_, q);
        if (tagEnd > e) return q;
    }
    return e;
}

bool AdifScanner::Next(AdifTag& tag) {
    const char* d = bytes_.data();
    const std::size_t n = bytes_.size();
    while (pos_ < n) {
        const void* found = std::memchr(d + pos_, '<', n - pos_);
        if (!found) {
            pos_ = n;
            return false;
        }
        const std::size_t lt = static_cast<std::size_t>(static_cast<const char*>(found) - d);
        std::size_t i = lt + 1;
        while (i < n && d[i] != ':' && d[i] != '>' && d[i] != '<') ++i;
        if (i >= n) {
            pos_ = n;
            return false;
        }
        if (d[i] == '<') {
            pos_ = i;
            continue;
        }
        const std::string_view name(d + lt + 1, i - lt - 1);
        if (d[i] == '>') {
            pos_ = i + 1;
            if (AdifNameIs(name, "EOR") || AdifNameIs(name, "EOH")) {
                tag = AdifTag{};
                tag.kind = AdifNameIs(name, "EOR") ? AdifTag::Kind::EndOfRecord
                                                   : AdifTag::Kind::EndOfHeader;
                tag.start = lt;
                return true;
            }
            continue;  // a tag without a length carries no data
        }

        // Length: every digit counts; a length beyond the file's size voids the tag.
        std::size_t j = i + 1, length = 0;
        bool tooLong = false;
        while (j < n && IsDigit(d[j])) {
            if (!tooLong) {
                length = length * 10 + static_cast<std::size_t>(d[j] - '0');
                tooLong = length > n;
            }
            ++j;
        }
        if (j == i + 1) {
            pos_ = lt + 1;
            continue;
        }
        std::string_view type;
        if (j < n && d[j] == ':') {
            std::size_t k = j + 1;
            while (k < n && k - j <= 8 && (IsAsciiLetter(d[k]) || IsDigit(d[k]))) ++k;
            type = std::string_view(d + j + 1, k - j - 1);
            j = k;
        }
        if (j >= n || d[j] != '>') {
            pos_ = lt + 1;
            continue;
        }
        const std::size_t vs = j + 1;
        if (tooLong || length > n - vs) {
            pos_ = vs;
            continue;
        }
        const std::size_t ve = ValueEnd(vs, length);
        tag = AdifTag{};
        tag.kind = AdifTag::Kind::Field;
        tag.name = name;
        tag.type = type;
        tag.value = std::string_view(d + vs, ve - vs);
        tag.start = lt;
        pos_ = ve;
        return true;
    }
    return false;
}

std::string DecodeAdifValue(std::string_view raw, bool utf8File) {
    std::string out;
    out.reserve(raw.size());
    const auto* p = reinterpret_cast<const unsigned char*>(raw.data());
    const std::size_t n = raw.size();

    bool ascii = true;
    for (std::size_t i = 0; i < n && ascii; ++i) ascii = p[i] < 0x80;
    auto asBytes = [&] {
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char c = p[i];
            out += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
        }
        return out;
    };
    if (ascii) return asBytes();

    // A value cut off inside its last character: the character is dropped when the value
    // is otherwise UTF-8 (or the whole file is).
    std::size_t cut = n;
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char c = p[n - back];
        if (IsContinuation(c)) continue;
        const int len = SequenceLength(c);
        if (len > static_cast<int>(back)) cut = n - back;
        break;
    }
    std::u32string text;
    if (!DecodeUtf8(raw.substr(0, cut), text)) return asBytes();
    bool multiByte = false;
    for (char32_t c : text) multiByte = multiByte || c >= 0x80;
    if (cut < n && !utf8File && !multiByte) return asBytes();
    if (!multiByte && cut == n) return asBytes();

    for (char32_t c : text) {
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            out += ' ';
        } else if (c == 0xFEFF) {
            continue;
        } else if (const int b = UnicodeToCp1257(c); b >= 0) {
            out += static_cast<char>(b);
        } else if (const std::string_view f = AsciiFold(c); !f.empty()) {
            out += f;
        } else {
            out += '?';
        }
    }
    return out;
}

}  // namespace kx
