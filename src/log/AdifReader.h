// Reading ADIF files in the ADI layout: header detection, data specifiers
// "<NAME:LEN[:TYPE]>VALUE", record ends, and the decoding of values to Windows-1257.
//
// The reader works on the file's bytes held in memory and never copies them: tags and raw
// values are views into the buffer. It is forgiving the way real exporters need it to be:
// text between specifiers is skipped, tags without a length (other than EOH and EOR) are
// ignored, a length that points past the end of the file makes the tag void, and a length
// that does not end the value at a tag boundary is checked against the usual exporter
// faults (a character count in a UTF-8 file, a length that swallows the next tag).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kx {

// How an ADI file is laid out before its first record.
struct AdifLayout {
    bool hasBom = false;         // a UTF-8 byte-order mark opens the file
    bool hasPreamble = false;    // text before the first tag: the file has a header
    bool headerClosed = false;   // an <EOH> closes the header (before any <EOR>)
    bool utf8 = false;           // the file's non-ASCII text is UTF-8
    std::size_t bodyStart = 0;   // offset of the first record's text
    std::string_view programId;  // the header's PROGRAMID value as written, or empty

    // A header that was opened by text but never closed: not a usable ADI file.
    bool BadHeader() const { return hasPreamble && !headerClosed; }
};

// One specifier found by the scanner.
struct AdifTag {
    enum class Kind { Field, EndOfHeader, EndOfRecord };
    Kind kind = Kind::Field;
    std::string_view name;   // the field name as written (Field only)
    std::string_view type;   // the type indicator, empty when there is none
    std::string_view value;  // the raw bytes of the value (Field only)
    std::size_t start = 0;   // offset of the tag's "<"
};

// Works out the layout: byte-order mark, header and its end, and whether the file is
// UTF-8 (it holds valid multi-byte UTF-8 sequences and no more invalid bytes than those).
AdifLayout ReadAdifLayout(std::string_view bytes);

// The part of the layout that a first reading of a file a piece at a time decides: the
// byte-order mark, where the text begins, whether text comes before the first tag and
// whether the file is UTF-8, as ReadAdifLayout decides them. The header itself is left
// to the reading of the tags (headerClosed and programId stay unset; bodyStart is where
// the first tag or text begins).
class AdifLayoutCensus {
public:
    // The next piece of the file.
    void Add(std::string_view piece);
    // What the pieces so far say.
    AdifLayout Layout();

private:
    void Text(std::string_view text);

    AdifLayout layout_;
    std::string head_;   // the first bytes, until they decide the byte-order mark
    std::string carry_;  // a multi-byte sequence cut off at a piece's end
    bool decided_ = false, started_ = false;
    std::size_t blanks_ = 0, valid_ = 0, invalid_ = 0;
};

// Walks the specifiers of an ADI text from a given offset, in file order.
class AdifScanner {
public:
    // utf8: the file is UTF-8, so a value length may be a count of characters.
    AdifScanner(std::string_view bytes, bool utf8, std::size_t from = 0)
        : bytes_(bytes), pos_(from < bytes.size() ? from : bytes.size()), utf8_(utf8) {}

    // The next field, <EOH> or <EOR>; false at the end of the text. Linear in the text
    // length over all calls, whatever the input.
    bool Next(AdifTag& tag);

    std::size_t Position() const { return pos_; }

    // For a text that arrives a piece at a time: `bytes` is what has arrived so far of a
    // text of `total` bytes from the same start. Where a tag could read otherwise with the
    // bytes still to come, Next stops: it returns false, NeedsMore() is true, and
    // Position() is where a scanner over more of the text goes on from, with the tags the
    // whole text gives.
    void ExpectMore(std::size_t total) {
        more_ = true;
        total_ = total;
    }
    bool NeedsMore() const { return needMore_; }

private:
    // Bytes a tag's end may lie beyond its value (the longest well-formed tag).
    static constexpr std::size_t kLookahead = 128;

    std::size_t ValueEnd(std::size_t valueStart, std::size_t length) const;
    bool AtBoundary(std::size_t pos) const;

    std::string_view bytes_;
    std::size_t pos_;
    bool utf8_;
    bool more_ = false;
    bool needMore_ = false;
    std::size_t total_ = 0;
};

// Whether year-month-day is a day of the calendar within ADIF's dates (1930 to 9999).
bool IsAdifDay(int year, int month, int day);

// Case-blind comparison of a field name with an upper-case name; blanks around the
// written name are ignored.
bool AdifNameIs(std::string_view written, std::string_view upperName);

// The 8-bit code pages that values which are not UTF-8 are read in: old Lithuanian
// loggers write Windows-1257, some Baltic ones ISO-8859-13, western ones ISO-8859-1 or
// Windows-1252 (read as Windows-1252, its superset).
enum class AdifCodePage { Windows1257, Iso8859_13, Windows1252 };

// Decides one code page for all the values of a file that are not UTF-8. Every byte
// above 127 of such a value scores for each code page by what it reads as there:
//   -8  no character (undefined, or a C1 control)
//   +3  a Lithuanian letter (ą č ę ė į š ų ū ž, either case) in the Baltic pages; á à ã
//       è ê í ñ ú in Windows-1252, and ç before a, o or u
//   +2  a Latvian letter (ā ē ģ ī ķ ļ ņ) in the Baltic pages
//   +1  a Polish letter (ć ł ń ś ź ż) in the Baltic pages; â ì î ï ò ô ù û ë ý and any
//       other ç in Windows-1252; typographic quotes (‘ ’ “ ” „) in any page
//    0  anything else (letters and signs that read the same in all three count alike)
// The highest total wins; a tie goes to Windows-1257, then ISO-8859-13. A general
// detector (uchardet) guesses wrong on values as short as names and places.
class AdifCodePageVote {
public:
    explicit AdifCodePageVote(bool utf8File) : utf8File_(utf8File) {}
    // One raw value of the file; ASCII and UTF-8 values count for nothing.
    void Add(std::string_view raw);
    // The values another vote of the same file counted.
    void Add(const AdifCodePageVote& other) {
        for (int k = 0; k < 3; ++k) score_[k] += other.score_[k];
    }
    AdifCodePage Decide() const;

private:
    bool utf8File_;
    long long score_[3] = {};
};

// The Windows-1257 text of a raw value:
// - a value that is valid UTF-8 and holds non-ASCII characters is decoded (a sequence
//   cut off at the very end of the value is dropped);
// - anything else is read in the file's 8-bit code page;
// - a letter Windows-1257 cannot hold becomes its closest letter ("ñ" gives "n"), any
//   other such character becomes "?" (AppendFoldedCp1257);
// - control characters (TAB, CR, LF, NUL, ...) become blanks.
// utf8File: the file is UTF-8 (AdifLayout::utf8), so a lone lead byte at the value's end
// is a cut-off character, not a letter of the code page.
std::string DecodeAdifValue(std::string_view raw, bool utf8File,
                            AdifCodePage codePage = AdifCodePage::Windows1257);

}  // namespace kx
