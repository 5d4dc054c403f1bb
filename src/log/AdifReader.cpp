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

// Counts the valid multi-byte sequences and the stray bytes of p[0..n) that begin from i
// and before limit into valid and invalid. more: bytes follow p[n-1], so a sequence cut
// off at n is left for them. Returns where the count stopped: at or past limit (past it
// only over ASCII bytes), or the start of such a cut-off sequence.
std::size_t CountUtf8(const unsigned char* p, std::size_t n, std::size_t i, std::size_t limit,
                      bool more, std::size_t& valid, std::size_t& invalid) {
    while (i < limit) {
        while (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            if (w & 0x8080808080808080ull) break;
            i += 8;
        }
        if (i >= limit) break;
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        if (i >= n) break;
        if (more && static_cast<std::size_t>(SequenceLength(p[i])) > n - i) {
            bool continued = true;
            for (std::size_t k = i + 1; k < n; ++k) continued = continued && IsContinuation(p[k]);
            if (continued) return i;
        }
        if (const std::size_t len = ValidSequenceAt(p + i, n - i)) {
            ++valid;
            i += len;
        } else {
            ++invalid;
            ++i;
        }
    }
    return i;
}

// The file's non-ASCII text is UTF-8: there are valid multi-byte sequences and no more
// stray bytes than those.
bool LooksUtf8(std::string_view bytes) {
    std::size_t valid = 0, invalid = 0;
    CountUtf8(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0, bytes.size(),
              false, valid, invalid);
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

}  // namespace

bool IsAdifDay(int year, int month, int day) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1930 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= (month == 2 && leap ? 29 : kDays[month - 1]);
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

void AdifLayoutCensus::Add(std::string_view piece) {
    // The first three bytes decide the byte-order mark, whatever the pieces.
    while (head_.size() < 3 && !piece.empty() && !decided_) {
        head_ += piece.front();
        piece.remove_prefix(1);
        if (head_.size() == 3 ||
            head_ != std::string_view("\xEF\xBB\xBF").substr(0, head_.size())) {
            decided_ = true;
            const bool bom = head_ == "\xEF\xBB\xBF";
            layout_.hasBom = bom;
            Text(bom ? std::string_view() : std::string_view(head_));
        }
    }
    if (!decided_) return;
    Text(piece);
}

void AdifLayoutCensus::Text(std::string_view text) {
    if (text.empty()) return;
    if (!started_) {
        std::size_t k = 0;
        while (k < text.size() && static_cast<unsigned char>(text[k]) <= ' ') ++k;
        blanks_ += k;
        if (k < text.size()) {
            started_ = true;
            layout_.hasPreamble = text[k] != '<';
        }
    }
    std::size_t i = 0;
    if (!carry_.empty()) {
        // The sequence cut off at the last piece's end, with what follows of it: only
        // sequences that begin in the carried bytes are counted here.
        std::string joined = carry_;
        joined.append(text.substr(0, 3));
        const auto* q = reinterpret_cast<const unsigned char*>(joined.data());
        const std::size_t at =
            CountUtf8(q, joined.size(), 0, carry_.size(), true, valid_, invalid_);
        if (at < carry_.size()) {  // still cut off: this text is shorter than the sequence
            carry_ = joined.substr(at);
            return;
        }
        i = at - carry_.size();
        carry_.clear();
    }
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t stop = CountUtf8(p, text.size(), i, text.size(), true, valid_, invalid_);
    carry_.assign(text.substr(stop));
}

AdifLayout AdifLayoutCensus::Layout() {
    if (!decided_) {
        decided_ = true;
        layout_.hasBom = false;
        Text(head_);
    }
    if (!carry_.empty()) {
        CountUtf8(reinterpret_cast<const unsigned char*>(carry_.data()), carry_.size(), 0,
                  carry_.size(), false, valid_, invalid_);
        carry_.clear();
    }
    AdifLayout layout = layout_;
    layout.utf8 = layout.hasBom || (valid_ > 0 && invalid_ <= valid_);
    layout.bodyStart = (layout.hasBom ? 3 : 0) + blanks_;
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
    needMore_ = false;
    const char* d = bytes_.data();
    const std::size_t n = bytes_.size();
    // The size of the whole text, which a length must not pass.
    const std::size_t total = more_ ? total_ : n;
    // Where the answer depends on bytes that have not arrived: stop at a place to resume
    // from (the "<" of the tag being read).
    auto wait = [&](std::size_t resume) {
        pos_ = resume;
        needMore_ = true;
        return false;
    };
    while (pos_ < n) {
        const void* found = std::memchr(d + pos_, '<', n - pos_);
        if (!found) {
            pos_ = n;
            needMore_ = more_;
            return false;
        }
        const std::size_t lt = static_cast<std::size_t>(static_cast<const char*>(found) - d);
        std::size_t i = lt + 1;
        while (i < n && d[i] != ':' && d[i] != '>' && d[i] != '<') ++i;
        if (i >= n) {
            if (more_) return wait(lt);
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
                tooLong = length > total;
            }
            ++j;
        }
        if (j >= n && more_) return wait(lt);
        if (j == i + 1) {
            pos_ = lt + 1;
            continue;
        }
        std::string_view type;
        if (j < n && d[j] == ':') {
            std::size_t k = j + 1;
            while (k < n && k - j <= 8 && (IsAsciiLetter(d[k]) || IsDigit(d[k]))) ++k;
            if (k >= n && more_) return wait(lt);
            type = std::string_view(d + j + 1, k - j - 1);
            j = k;
        }
        if (j >= n || d[j] != '>') {
            pos_ = lt + 1;
            continue;
        }
        const std::size_t vs = j + 1;
        if (tooLong || length > total - vs) {
            pos_ = vs;
            continue;
        }
        // The end of a value may be looked for up to four bytes a character beyond its
        // start, and a tag that begins inside it is read to its end.
        if (more_ && (n - vs) / 4 < length + kLookahead) return wait(lt);
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
    needMore_ = more_;
    return false;
}

namespace {

// The characters of a value that reads as UTF-8: it holds multi-byte sequences and
// nothing else above 127, or it is cut off inside its last character in a UTF-8 file.
bool ReadUtf8Value(std::string_view raw, bool utf8File, std::u32string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(raw.data());
    const std::size_t n = raw.size();
    std::size_t cut = n;
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char c = p[n - back];
        if (IsContinuation(c)) continue;
        const int len = SequenceLength(c);
        if (len > static_cast<int>(back)) cut = n - back;
        break;
    }
    if (!DecodeUtf8(raw.substr(0, cut), text)) return false;
    bool multiByte = false;
    for (char32_t c : text) multiByte = multiByte || c >= 0x80;
    return multiByte || (cut < n && utf8File);
}

bool HasHighBytes(std::string_view raw) {
    for (char c : raw)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// Windows-1252 in 0x80-0x9F (0: undefined); 0xA0-0xFF are ISO-8859-1.
constexpr char16_t k1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The character of a byte above 127 in a code page; 0 for none (undefined bytes and C1
// controls).
char32_t HighByteChar(AdifCodePage page, unsigned char b) {
    switch (page) {
        case AdifCodePage::Windows1257: {
            const char32_t c = Cp1257ToUnicode(b);
            return c < 0xA0 || c == 0xA1 || c == 0xA5 ? 0 : c;  // the code page's holes
        }
        case AdifCodePage::Iso8859_13:
            if (b < 0xA0) return 0;
            if (b == 0xA1) return 0x201D;
            if (b == 0xA5) return 0x201E;
            if (b == 0xB4) return 0x201C;
            if (b == 0xFF) return 0x2019;
            return Cp1257ToUnicode(b);
        case AdifCodePage::Windows1252:
            return b < 0xA0 ? k1252High[b - 0x80] : b;
    }
    return 0;
}

bool OneOf(char32_t c, std::u32string_view set) {
    return set.find(c) != std::u32string_view::npos;
}

// What a byte read in a code page says for that code page (see AdifCodePageVote).
int VoteWeight(AdifCodePage page, unsigned char b, unsigned char next) {
    const char32_t c = HighByteChar(page, b);
    if (c == 0) return -8;
    if (OneOf(c, U"‘’“”„")) return 1;
    if (page == AdifCodePage::Windows1252) {
        if (OneOf(c, U"áàãèêíñúÁÀÃÈÊÍÑÚ")) return 3;
        if (c == U'ç' || c == U'Ç') return OneOf(next, U"aouAOU") ? 3 : 1;
        return OneOf(c, U"âìîïòôùûëýÂÌÎÏÒÔÙÛËÝ") ? 1 : 0;
    }
    if (OneOf(c, U"ąčęėįšųūžĄČĘĖĮŠŲŪŽ")) return 3;
    if (OneOf(c, U"āēģīķļņĀĒĢĪĶĻŅ")) return 2;
    return OneOf(c, U"ćłńśźżĆŁŃŚŹŻ") ? 1 : 0;
}

constexpr AdifCodePage kPages[3] = {AdifCodePage::Windows1257, AdifCodePage::Iso8859_13,
                                    AdifCodePage::Windows1252};

}  // namespace

void AdifCodePageVote::Add(std::string_view raw) {
    if (!HasHighBytes(raw)) return;
    std::u32string text;
    if (ReadUtf8Value(raw, utf8File_, text)) return;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto b = static_cast<unsigned char>(raw[i]);
        if (b < 0x80) continue;
        const auto next = i + 1 < raw.size() ? static_cast<unsigned char>(raw[i + 1]) : 0;
        for (int k = 0; k < 3; ++k) score_[k] += VoteWeight(kPages[k], b, next);
    }
}

AdifCodePage AdifCodePageVote::Decide() const {
    int best = 0;
    for (int k = 1; k < 3; ++k)
        if (score_[k] > score_[best]) best = k;
    return kPages[best];
}

std::string DecodeAdifValue(std::string_view raw, bool utf8File, AdifCodePage codePage) {
    std::string out;
    out.reserve(raw.size());
    auto put = [&out](char32_t c) {
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
            out += ' ';
        else if (c != 0xFEFF && !AppendFoldedCp1257(out, c))
            out += '?';
    };
    std::u32string text;
    if (HasHighBytes(raw) && ReadUtf8Value(raw, utf8File, text)) {
        for (char32_t c : text) put(c);
        return out;
    }
    for (char ch : raw) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            put(b);
        } else if (codePage == AdifCodePage::Windows1257) {
            out += ch;  // the log's own code page: every byte is kept
        } else if (const char32_t c = HighByteChar(codePage, b)) {
            put(c);
        } else {
            out += ' ';
        }
    }
    return out;
}

}  // namespace kx
