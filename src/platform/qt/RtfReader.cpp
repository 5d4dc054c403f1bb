// RTF -> QTextDocument.
//
// A single pass over the bytes: a tokenizer (groups, control words, control symbols,
// text bytes) feeds a stack of group states; text goes through a builder that gathers
// runs of equal formatting and hands them to a QTextCursor. Every limit that could be
// pushed by a hostile file is bounded: group nesting, control-word length, numbers,
// table sizes, picture sizes. The output never grows faster than the input.
#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "platform/Cp1257.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Rtf.h"

namespace kx {
namespace {

constexpr int kMaxDepth = 256;          // deeper groups share the state of the deepest one
constexpr int kMaxWordLength = 32;      // longer control words are skipped as unknown
constexpr int kMaxTableEntries = 4096;  // fonts and colours
constexpr int kMaxTabStops = 64;
constexpr int kMaxFontName = 256;
constexpr int kMaxCells = 64;
constexpr int kMaxImagePixels = 40'000'000;
constexpr int kMaxImageSide = 20'000;
constexpr qreal kTwipsPerPixel = 15.0;  // 1440 twips per inch, 96 layout pixels per inch

// Unicode of the bytes 0x80..0x9F in Windows-1252 (the rest is Latin-1).
constexpr std::array<char16_t, 32> k1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int CodePageOfCharset(int charset, int documentCodePage) {
    switch (charset) {
        case 0:
            return 1252;  // ANSI
        case 1:
            return documentCodePage;  // default
        case 2:
            return 1252;  // symbol: shown as it is
        case 77:
            return 10000;  // Mac Roman
        case 128:
            return 932;
        case 129:
            return 949;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;  // Baltic
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 255:
            return 437;  // OEM
        default:
            return documentCodePage;
    }
}

QString DecodeBytes(const QByteArray& bytes, int codePage) {
    QString out;
    if (codePage == 1257) {
        out.reserve(bytes.size());
        for (char b : bytes)
            out += QChar(static_cast<char16_t>(Cp1257ToUnicode(static_cast<unsigned char>(b))));
        return out;
    }
    if (codePage != 1252) {
        const QByteArray name = codePage == 10000 ? QByteArray("macintosh")
                                : codePage < 1000 ? "cp" + QByteArray::number(codePage)
                                                  : "windows-" + QByteArray::number(codePage);
        QStringDecoder decoder(name.constData());
        if (decoder.isValid()) {
            out = decoder.decode(bytes);
            if (!decoder.hasError()) return out;
            out.clear();
        }
    }
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += QChar(b >= 0x80 && b < 0xA0 ? k1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

struct CharProps {
    int font = -1;  // font table number; -1: the document's default font
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int vertical = 0;    // 1 superscript, -1 subscript
    int foreground = 0;  // colour table index; 0 or an unset entry: automatic
    int background = 0;
    bool operator==(const CharProps&) const = default;
};

struct TabStop {
    int twips = 0;
    int kind = 0;  // 0 left, 1 centre, 2 right, 3 decimal
};

struct ParaProps {
    int align = 0;  // 0 left, 1 centre, 2 right, 3 justified
    int left = 0, right = 0, first = 0, before = 0, after = 0;  // twips
    int lineSpacing = 0;
    bool lineMultiple = false;
    bool inTable = false;
    bool breakBefore = false;
    std::vector<TabStop> tabs;
    int nextTabKind = 0;
};

enum class Dest { Text, Skip, FontTable, ColorTable, Picture };

struct State {
    Dest dest = Dest::Text;
    CharProps chr;
    ParaProps para;
    int uc = 1;
    bool ownsPicture = false;  // this group opened the picture being read
};

struct FontEntry {
    QString name;
    int charset = -1;
    int codePage = 0;  // from \cpg, 0 when absent
};

struct ColorEntry {
    int r = 0, g = 0, b = 0;
    bool set = false;
};

struct Picture {
    int kind = 0;  // 1 PNG, 2 JPEG, 0 anything else
    int pixelWidth = 0, pixelHeight = 0;
    int goalWidth = 0, goalHeight = 0;  // twips
    int scaleX = 100, scaleY = 100;
    QByteArray data;
    int pendingNibble = -1;
};

// The text without characters that would confuse the line model or are no characters:
// control characters other than TAB and FF are dropped (CR, LF and U+2029 split
// paragraphs, NUL ends texts); a surrogate half without its partner (a \uN pair cut apart,
// or one half alone) becomes U+FFFD, so that the text stays valid UTF-16.
QString CleanText(const QString& in) {
    QString text;
    text.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const QChar c = in[i];
        const char16_t u = c.unicode();
        if (u == QChar::ParagraphSeparator || (u < 0x20 && u != '\t' && u != '\f') || u == 0x7F)
            continue;
        if (c.isHighSurrogate() && i + 1 < in.size() && in[i + 1].isLowSurrogate()) {
            text += c;
            text += in[++i];
        } else if (c.isSurrogate()) {
            text += QChar(QChar::ReplacementCharacter);
        } else {
            text += c;
        }
    }
    return text;
}

int Clamp(long long v, int lo, int hi) {
    return static_cast<int>(std::clamp<long long>(v, lo, hi));
}

class Reader {
public:
    Reader(const QByteArray& rtf, qsizetype start, QTextDocument* doc)
        : p_(rtf.constData() + start),
          end_(rtf.constData() + rtf.size()),
          doc_(doc),
          cursor_(doc) {}

    void Run();
    // The document went beyond the bounds (kRtfMaxParagraphs ...): reading stopped there.
    bool TooLarge() const { return tooLarge_; }

private:
    // ---- tokenizer and dispatch ----
    void OpenGroup();
    void CloseGroup();
    void ControlWord(const char* word, int length, bool hasParam, long long param);
    void ControlSymbol(char c);
    void TextByte(unsigned char b);
    bool SkipFallback();  // true when a \uN fallback character is being skipped
    bool TryDestination(const char* w, bool hasParam);
    bool TryCharWord(const char* w, bool hasParam, long long param);
    bool TryParaWord(const char* w, bool hasParam, long long param);
    bool TrySpecialChar(const char* w);
    void FontTableWord(const char* w, long long param);
    void AddFontNameByte(char c);
    void ColorTableWord(const char* w, long long param);
    void PictureWord(const char* w, bool hasParam, long long param);
    void ReadBinary(long long count);

    // ---- output ----
    int CodePage() const;
    QTextCharFormat CharFormat(const CharProps& c) const;
    QTextBlockFormat BlockFormat(const ParaProps& p) const;
    bool CountChar();
    void AddByte(unsigned char b);
    void AddChar(char16_t c);
    void FlushBytes();
    void FlushRun();
    void BeginContent();
    void EndParagraph(bool fromRow = false);
    void PageBreak();
    void FinishPicture();
    void Finish();

    const char* p_;
    const char* end_;
    QTextDocument* doc_;
    QTextCursor cursor_;

    std::vector<State> stack_;
    State st_;
    int overflow_ = 0;  // groups opened beyond kMaxDepth
    bool started_ = false;
    bool done_ = false;
    bool starPending_ = false;
    int fallbackLeft_ = 0;

    int documentCodePage_ = 1252;
    int defaultFont_ = 0;
    std::map<int, FontEntry> fonts_;
    int currentFont_ = 0;
    QByteArray fontName_;  // bytes of the font name being read, not yet decoded
    QString fontText_;     // the part of it decoded already (text in front of a \uN)
    std::vector<ColorEntry> colors_;
    ColorEntry currentColor_;
    Picture picture_;
    int imageCount_ = 0;
    PageSetup page_;

    // Pending output: bytes of the current code page, then decoded text of one run.
    QByteArray bytes_;
    int bytesCodePage_ = 1252;
    QString run_;
    CharProps runProps_;
    bool paraHasContent_ = false;
    ParaProps lastContentPara_;
    int pendingCellTabs_ = 0;
    std::vector<int> cellEdges_;
    int rowLeft_ = 0;
    int paragraphs_ = 0, paragraphChars_ = 0, chars_ = 0;
    bool tooLarge_ = false;
};

void Reader::Run() {
    while (p_ < end_ && !done_) {
        const char c = *p_;
        if (c == '{') {
            ++p_;
            OpenGroup();
        } else if (c == '}') {
            ++p_;
            CloseGroup();
        } else if (c == '\\') {
            ++p_;
            if (p_ >= end_) break;
            const char* word = p_;
            if ((*p_ >= 'a' && *p_ <= 'z') || (*p_ >= 'A' && *p_ <= 'Z')) {
                while (p_ < end_ && ((*p_ >= 'a' && *p_ <= 'z') || (*p_ >= 'A' && *p_ <= 'Z')))
                    ++p_;
                const int length = static_cast<int>(p_ - word);
                bool negative = false;
                if (p_ < end_ && *p_ == '-' && p_ + 1 < end_ && p_[1] >= '0' && p_[1] <= '9') {
                    negative = true;
                    ++p_;
                }
                bool hasParam = false;
                long long param = 0;
                while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
                    hasParam = true;
                    if (param < 100'000'000'000LL) param = param * 10 + (*p_ - '0');
                    ++p_;
                }
                if (negative) param = -param;
                if (p_ < end_ && *p_ == ' ') ++p_;
                if (length <= kMaxWordLength) {
                    char buf[kMaxWordLength + 1];
                    std::copy(word, word + length, buf);
                    buf[length] = '\0';
                    ControlWord(buf, length, hasParam, param);
                } else {
                    starPending_ = false;
                }
            } else {
                ++p_;
                ControlSymbol(*word);
            }
        } else {
            ++p_;
            TextByte(static_cast<unsigned char>(c));
        }
    }
    Finish();
}

void Reader::OpenGroup() {
    fallbackLeft_ = 0;
    starPending_ = false;
    if (!started_) return;  // before \rtf: only the outer brace
    if (static_cast<int>(stack_.size()) >= kMaxDepth) {
        ++overflow_;
        return;
    }
    stack_.push_back(st_);
    st_.ownsPicture = false;
}

void Reader::CloseGroup() {
    fallbackLeft_ = 0;
    starPending_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (stack_.empty()) {
        done_ = true;  // the outer group is closed: the document ends here
        return;
    }
    const bool picture = st_.ownsPicture;
    const Dest dest = st_.dest;
    if (dest == Dest::FontTable && (!fontName_.isEmpty() || !fontText_.isEmpty())) {
        // A font entry ended by its group instead of a ';'.
        FontTableWord(";", 0);
    }
    st_ = std::move(stack_.back());
    stack_.pop_back();
    if (picture) FinishPicture();
}

bool Reader::SkipFallback() {
    if (fallbackLeft_ > 0) {
        --fallbackLeft_;
        return true;
    }
    return false;
}

void Reader::ControlSymbol(char c) {
    if (c == '*') {
        starPending_ = true;
        return;
    }
    starPending_ = false;
    if (c == '\'') {
        int value = 0, digits = 0;
        while (digits < 2 && p_ < end_) {
            const char h = *p_;
            int v;
            if (h >= '0' && h <= '9')
                v = h - '0';
            else if (h >= 'a' && h <= 'f')
                v = h - 'a' + 10;
            else if (h >= 'A' && h <= 'F')
                v = h - 'A' + 10;
            else
                break;
            value = value * 16 + v;
            ++digits;
            ++p_;
        }
        if (digits == 0) return;
        if (st_.dest == Dest::FontTable) {
            if (SkipFallback()) return;
            AddFontNameByte(static_cast<char>(value));
        } else if (st_.dest == Dest::Text) {
            if (SkipFallback()) return;
            AddByte(static_cast<unsigned char>(value));
        }
        return;
    }
    if (st_.dest != Dest::Text) {
        if (st_.dest == Dest::FontTable && (c == '\\' || c == '{' || c == '}')) AddFontNameByte(c);
        return;
    }
    if (SkipFallback()) return;
    switch (c) {
        case '\\':
        case '{':
        case '}':
            AddByte(static_cast<unsigned char>(c));
            break;
        case '~':
            AddChar(0x00A0);
            break;
        case '-':
            AddChar(0x00AD);
            break;
        case '_':
            AddChar(0x2011);
            break;
        case '\n':
        case '\r':
            EndParagraph();
            break;
        case '\t':
            AddChar('\t');
            break;
        default:
            break;  // \| \: and the rest: index and formula marks, not shown
    }
}

void Reader::TextByte(unsigned char b) {
    starPending_ = false;
    if (b == '\r' || b == '\n') return;
    switch (st_.dest) {
        case Dest::Text:
            if (SkipFallback()) return;
            if (b == '\t') {
                AddChar('\t');
            } else if (b >= 0x20) {
                AddByte(b);
            }
            return;
        case Dest::FontTable:
            if (SkipFallback()) return;
            if (b == ';')
                FontTableWord(";", 0);
            else if (b >= 0x20)
                AddFontNameByte(static_cast<char>(b));
            return;
        case Dest::ColorTable:
            if (b == ';') {
                if (static_cast<int>(colors_.size()) < kMaxTableEntries)
                    colors_.push_back(currentColor_);
                currentColor_ = ColorEntry{};
            }
            return;
        case Dest::Picture: {
            int v;
            if (b >= '0' && b <= '9')
                v = b - '0';
            else if (b >= 'a' && b <= 'f')
                v = b - 'a' + 10;
            else if (b >= 'A' && b <= 'F')
                v = b - 'A' + 10;
            else
                return;
            if (picture_.pendingNibble < 0) {
                picture_.pendingNibble = v;
            } else {
                picture_.data += static_cast<char>(picture_.pendingNibble * 16 + v);
                picture_.pendingNibble = -1;
            }
            return;
        }
        case Dest::Skip:
            return;
    }
}

void Reader::ControlWord(const char* w, int length, bool hasParam, long long param) {
    (void)length;
    const bool star = starPending_;
    starPending_ = false;

    if (!started_) {
        if (std::strcmp(w, "rtf") == 0) started_ = true;
        return;
    }
    // \bin carries raw bytes in every destination; they must never be read as RTF.
    if (std::strcmp(w, "bin") == 0) {
        ReadBinary(hasParam ? param : 0);
        return;
    }
    if (st_.dest == Dest::Skip) return;
    if (TryDestination(w, hasParam)) return;
    if (star) {
        // An optional destination this reader does not know: skip the whole group.
        st_.dest = Dest::Skip;
        return;
    }
    switch (st_.dest) {
        case Dest::FontTable:
            FontTableWord(w, param);
            return;
        case Dest::ColorTable:
            ColorTableWord(w, param);
            return;
        case Dest::Picture:
            PictureWord(w, hasParam, param);
            return;
        case Dest::Skip:
            return;
        case Dest::Text:
            break;
    }
    if (std::strcmp(w, "u") == 0) {
        if (SkipFallback()) return;
        long long v = param;
        if (v < 0) v += 65536;
        if (v >= 0 && v <= 0xFFFF) AddChar(static_cast<char16_t>(v));
        fallbackLeft_ = st_.uc;
        return;
    }
    if (std::strcmp(w, "uc") == 0) {
        st_.uc = Clamp(param, 0, 16);
        return;
    }
    if (TryCharWord(w, hasParam, param)) return;
    if (TryParaWord(w, hasParam, param)) return;
    if (SkipFallback()) return;
    if (TrySpecialChar(w)) return;

    if (std::strcmp(w, "ansicpg") == 0) {
        if (param > 0 && param < 100000) documentCodePage_ = static_cast<int>(param);
    } else if (std::strcmp(w, "ansi") == 0) {
        documentCodePage_ = 1252;
    } else if (std::strcmp(w, "mac") == 0) {
        documentCodePage_ = 10000;
    } else if (std::strcmp(w, "pc") == 0) {
        documentCodePage_ = 437;
    } else if (std::strcmp(w, "pca") == 0) {
        documentCodePage_ = 850;
    } else if (std::strcmp(w, "deff") == 0) {
        defaultFont_ = Clamp(param, 0, 1 << 20);
    } else if (std::strcmp(w, "paperw") == 0 || std::strcmp(w, "pgwsxn") == 0) {
        page_.paperWidth = Clamp(param, 0, 31680 * 3);
    } else if (std::strcmp(w, "paperh") == 0 || std::strcmp(w, "pghsxn") == 0) {
        page_.paperHeight = Clamp(param, 0, 31680 * 3);
    } else if (std::strcmp(w, "margl") == 0 || std::strcmp(w, "marglsxn") == 0) {
        page_.marginLeft = Clamp(param, 0, 31680);
    } else if (std::strcmp(w, "margr") == 0 || std::strcmp(w, "margrsxn") == 0) {
        page_.marginRight = Clamp(param, 0, 31680);
    } else if (std::strcmp(w, "margt") == 0 || std::strcmp(w, "margtsxn") == 0) {
        page_.marginTop = Clamp(param, 0, 31680);
    } else if (std::strcmp(w, "margb") == 0 || std::strcmp(w, "margbsxn") == 0) {
        page_.marginBottom = Clamp(param, 0, 31680);
    } else if (std::strcmp(w, "trowd") == 0) {
        cellEdges_.clear();
        rowLeft_ = 0;
    } else if (std::strcmp(w, "trleft") == 0) {
        rowLeft_ = Clamp(param, -31680, 31680);
    } else if (std::strcmp(w, "cellx") == 0) {
        if (static_cast<int>(cellEdges_.size()) < kMaxCells)
            cellEdges_.push_back(Clamp(param, -31680, 31680));
    } else if (std::strcmp(w, "cell") == 0 || std::strcmp(w, "nestcell") == 0) {
        FlushBytes();
        if (pendingCellTabs_ < kMaxCells) ++pendingCellTabs_;
    } else if (std::strcmp(w, "row") == 0) {
        pendingCellTabs_ = 0;
        EndParagraph(true);
    }
    // Everything else (document, section and table properties, unknown words) is ignored.
}

bool Reader::TryDestination(const char* w, bool hasParam) {
    (void)hasParam;
    static const char* const kSkipped[] = {"stylesheet",
                                           "info",
                                           "header",
                                           "headerl",
                                           "headerr",
                                           "headerf",
                                           "footer",
                                           "footerl",
                                           "footerr",
                                           "footerf",
                                           "footnote",
                                           "annotation",
                                           "fldinst",
                                           "nonshppict",
                                           "xe",
                                           "tc",
                                           "txe",
                                           "rxe",
                                           "pn",
                                           "pntxta",
                                           "pntxtb",
                                           "listtable",
                                           "listoverridetable",
                                           "revtbl",
                                           "rsidtbl",
                                           "filetbl",
                                           "objdata",
                                           "objclass",
                                           "objname",
                                           "themedata",
                                           "colorschememapping",
                                           "latentstyles",
                                           "datastore",
                                           "fchars",
                                           "lchars",
                                           "atnid",
                                           "atnauthor",
                                           "atndate",
                                           "atnref",
                                           "ftnsep",
                                           "ftnsepc",
                                           "aftnsep",
                                           "aftnsepc",
                                           "ftncn",
                                           "aftncn",
                                           "template",
                                           "do",
                                           "bkmkstart",
                                           "bkmkend",
                                           "generator",
                                           "xmlnstbl",
                                           "mmathPr",
                                           "pgdsctbl",
                                           "picprop",
                                           "blipuid",
                                           "shpinst",
                                           "falt",
                                           "panose",
                                           "fname",
                                           "comment",
                                           "title",
                                           "subject",
                                           "author",
                                           "operator",
                                           "keywords",
                                           "doccomm",
                                           "company",
                                           "userprops",
                                           "wgrffmtfilter",
                                           "passwordhash"};
    if (std::strcmp(w, "fonttbl") == 0) {
        st_.dest = Dest::FontTable;
        fontName_.clear();
        fontText_.clear();
        return true;
    }
    if (std::strcmp(w, "colortbl") == 0) {
        st_.dest = Dest::ColorTable;
        colors_.clear();
        currentColor_ = ColorEntry{};
        return true;
    }
    if (std::strcmp(w, "pict") == 0) {
        if (st_.dest == Dest::Text && !st_.chr.hidden) {
            st_.dest = Dest::Picture;
            st_.ownsPicture = true;
            picture_ = Picture{};
        } else {
            st_.dest = Dest::Skip;
        }
        return true;
    }
    // Shown destinations: their text is the document's.
    if (std::strcmp(w, "shppict") == 0 || std::strcmp(w, "fldrslt") == 0 ||
        std::strcmp(w, "field") == 0 || std::strcmp(w, "result") == 0 ||
        std::strcmp(w, "shprslt") == 0 || std::strcmp(w, "listtext") == 0 ||
        std::strcmp(w, "pntext") == 0 || std::strcmp(w, "object") == 0 ||
        std::strcmp(w, "shp") == 0) {
        if (st_.dest != Dest::Text) st_.dest = Dest::Skip;
        return true;
    }
    for (const char* s : kSkipped) {
        if (std::strcmp(w, s) == 0) {
            st_.dest = Dest::Skip;
            return true;
        }
    }
    return false;
}

bool Reader::TryCharWord(const char* w, bool hasParam, long long param) {
    CharProps& c = st_.chr;
    const bool on = !hasParam || param != 0;
    auto is = [w](const char* s) { return std::strcmp(w, s) == 0; };
    if (is("plain")) {
        c = CharProps{};
    } else if (is("f")) {
        c.font = Clamp(param, 0, 1 << 20);
    } else if (is("fs")) {
        c.halfPoints = hasParam && param > 0 ? Clamp(param, 2, 3276) : 24;
    } else if (is("b")) {
        c.bold = on;
    } else if (is("i")) {
        c.italic = on;
    } else if (is("ul") || is("uld") || is("uldb") || is("ulw") || is("uldash") || is("uldashd") ||
               is("uldashdd") || is("ulth") || is("ulwave") || is("ulhwave") || is("uldb")) {
        c.underline = on;
    } else if (is("ulnone")) {
        c.underline = false;
    } else if (is("strike") || is("striked")) {
        c.strike = on;
    } else if (is("v")) {
        c.hidden = on;
    } else if (is("cf")) {
        c.foreground = Clamp(param, 0, kMaxTableEntries);
    } else if (is("cb") || is("highlight") || is("chcbpat")) {
        c.background = Clamp(param, 0, kMaxTableEntries);
    } else if (is("super")) {
        c.vertical = 1;
    } else if (is("sub")) {
        c.vertical = -1;
    } else if (is("nosupersub")) {
        c.vertical = 0;
    } else {
        return false;
    }
    return true;
}

bool Reader::TryParaWord(const char* w, bool hasParam, long long param) {
    ParaProps& p = st_.para;
    auto is = [w](const char* s) { return std::strcmp(w, s) == 0; };
    const int twips = Clamp(param, -31680, 31680);
    if (is("pard")) {
        p = ParaProps{};
    } else if (is("ql")) {
        p.align = 0;
    } else if (is("qc")) {
        p.align = 1;
    } else if (is("qr")) {
        p.align = 2;
    } else if (is("qj") || is("qd")) {
        p.align = 3;
    } else if (is("li")) {
        p.left = twips;
    } else if (is("ri")) {
        p.right = twips;
    } else if (is("fi")) {
        p.first = twips;
    } else if (is("sb")) {
        p.before = std::max(0, twips);
    } else if (is("sa")) {
        p.after = std::max(0, twips);
    } else if (is("sl")) {
        p.lineSpacing = twips;
    } else if (is("slmult")) {
        p.lineMultiple = !hasParam || param != 0;
    } else if (is("intbl")) {
        p.inTable = true;
    } else if (is("pagebb")) {
        p.breakBefore = !hasParam || param != 0;
    } else if (is("tqc")) {
        p.nextTabKind = 1;
    } else if (is("tqr")) {
        p.nextTabKind = 2;
    } else if (is("tqdec")) {
        p.nextTabKind = 3;
    } else if (is("tx") || is("tb")) {
        if (static_cast<int>(p.tabs.size()) < kMaxTabStops && twips > 0)
            p.tabs.push_back(TabStop{twips, p.nextTabKind});
        p.nextTabKind = 0;
    } else {
        return false;
    }
    return true;
}

bool Reader::TrySpecialChar(const char* w) {
    auto is = [w](const char* s) { return std::strcmp(w, s) == 0; };
    if (is("par") || is("sect")) {
        if (st_.para.inTable && !cellEdges_.empty()) {
            AddChar(' ');  // a paragraph inside a table cell: the row stays one line
        } else {
            EndParagraph();
        }
    } else if (is("line")) {
        AddChar(QChar::LineSeparator);
    } else if (is("tab")) {
        AddChar('\t');
    } else if (is("page")) {
        PageBreak();
    } else if (is("emdash")) {
        AddChar(0x2014);
    } else if (is("endash")) {
        AddChar(0x2013);
    } else if (is("bullet")) {
        AddChar(0x2022);
    } else if (is("lquote")) {
        AddChar(0x2018);
    } else if (is("rquote")) {
        AddChar(0x2019);
    } else if (is("ldblquote")) {
        AddChar(0x201C);
    } else if (is("rdblquote")) {
        AddChar(0x201D);
    } else if (is("emspace")) {
        AddChar(0x2003);
    } else if (is("enspace")) {
        AddChar(0x2002);
    } else if (is("qmspace")) {
        AddChar(0x2005);
    } else if (is("zwj")) {
        AddChar(0x200D);
    } else if (is("zwnj")) {
        AddChar(0x200C);
    } else if (is("zwbo") || is("zwnbo")) {
        // zero-width break marks: nothing to show
    } else {
        return false;
    }
    return true;
}

void Reader::FontTableWord(const char* w, long long param) {
    if (std::strcmp(w, "f") == 0) {
        const int number = Clamp(param, 0, 1 << 20);
        // Entries beyond the limit are read and dropped.
        currentFont_ = fonts_.count(number) || static_cast<int>(fonts_.size()) < kMaxTableEntries
                           ? number
                           : -1;
        if (currentFont_ >= 0) fonts_[currentFont_];
        fontName_.clear();
        fontText_.clear();
        return;
    }
    const bool unicode = std::strcmp(w, "u") == 0;
    if (unicode && SkipFallback()) return;
    const auto it = fonts_.find(currentFont_);
    if (it == fonts_.end()) {
        fontName_.clear();
        fontText_.clear();
        if (unicode) fallbackLeft_ = st_.uc;
        return;
    }
    FontEntry& f = it->second;
    const int cp = f.codePage > 0   ? f.codePage
                   : f.charset >= 0 ? CodePageOfCharset(f.charset, documentCodePage_)
                                    : documentCodePage_;
    if (unicode) {
        // A character of the name as \uN (what the writer gives names outside Windows-1257).
        fontText_ += DecodeBytes(fontName_, cp);
        fontName_.clear();
        long long v = param;
        if (v < 0) v += 65536;
        if (v > 0 && v <= 0xFFFF && fontText_.size() < kMaxFontName)
            fontText_ += QChar(static_cast<char16_t>(v));
        fallbackLeft_ = st_.uc;
    } else if (std::strcmp(w, ";") == 0) {
        f.name = CleanText(fontText_ + DecodeBytes(fontName_, cp)).trimmed();
        fontName_.clear();
        fontText_.clear();
    } else if (std::strcmp(w, "fcharset") == 0) {
        f.charset = Clamp(param, 0, 255);
    } else if (std::strcmp(w, "cpg") == 0) {
        f.codePage = Clamp(param, 0, 99999);
    }
}

// Font names are cut at kMaxFontName characters, however they are written.
void Reader::AddFontNameByte(char c) {
    if (fontName_.size() + fontText_.size() < kMaxFontName) fontName_ += c;
}

void Reader::ColorTableWord(const char* w, long long param) {
    const int v = Clamp(param, 0, 255);
    if (std::strcmp(w, "red") == 0) {
        currentColor_.r = v;
        currentColor_.set = true;
    } else if (std::strcmp(w, "green") == 0) {
        currentColor_.g = v;
        currentColor_.set = true;
    } else if (std::strcmp(w, "blue") == 0) {
        currentColor_.b = v;
        currentColor_.set = true;
    }
}

void Reader::PictureWord(const char* w, bool hasParam, long long param) {
    auto is = [w](const char* s) { return std::strcmp(w, s) == 0; };
    const int v = hasParam ? Clamp(param, 0, 1 << 24) : 0;
    if (is("pngblip"))
        picture_.kind = 1;
    else if (is("jpegblip"))
        picture_.kind = 2;
    else if (is("emfblip") || is("wmetafile") || is("macpict") || is("dibitmap") || is("wbitmap") ||
             is("pmmetafile"))
        picture_.kind = 0;
    else if (is("picw"))
        picture_.pixelWidth = v;
    else if (is("pich"))
        picture_.pixelHeight = v;
    else if (is("picwgoal"))
        picture_.goalWidth = v;
    else if (is("pichgoal"))
        picture_.goalHeight = v;
    else if (is("picscalex"))
        picture_.scaleX = v > 0 ? std::min(v, 10000) : 100;
    else if (is("picscaley"))
        picture_.scaleY = v > 0 ? std::min(v, 10000) : 100;
}

void Reader::ReadBinary(long long count) {
    const long long available = end_ - p_;
    const long long n = std::clamp<long long>(count, 0, available);
    if (st_.dest == Dest::Picture) picture_.data.append(p_, static_cast<qsizetype>(n));
    p_ += n;
}

// ---- output ----

int Reader::CodePage() const {
    const int font = st_.chr.font < 0 ? defaultFont_ : st_.chr.font;
    const auto it = fonts_.find(font);
    if (it == fonts_.end()) return documentCodePage_;
    if (it->second.codePage > 0) return it->second.codePage;
    if (it->second.charset < 0) return documentCodePage_;
    return CodePageOfCharset(it->second.charset, documentCodePage_);
}

QTextCharFormat Reader::CharFormat(const CharProps& c) const {
    QTextCharFormat f;
    const int font = c.font < 0 ? defaultFont_ : c.font;
    const auto it = fonts_.find(font);
    if (it != fonts_.end() && !it->second.name.isEmpty())
        f.setFontFamilies(QStringList{it->second.name});
    f.setFontPointSize(c.halfPoints / 2.0);
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline);
    f.setFontStrikeOut(c.strike);
    if (c.vertical > 0) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (c.vertical < 0) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    auto color = [this](int index) -> const ColorEntry* {
        if (index <= 0 || index >= static_cast<int>(colors_.size())) {
            if (index == 0 && !colors_.empty() && colors_[0].set) return &colors_[0];
            return nullptr;
        }
        return colors_[static_cast<size_t>(index)].set ? &colors_[static_cast<size_t>(index)]
                                                       : nullptr;
    };
    if (const ColorEntry* e = color(c.foreground)) f.setForeground(QColor(e->r, e->g, e->b));
    if (const ColorEntry* e = color(c.background)) f.setBackground(QColor(e->r, e->g, e->b));
    return f;
}

QTextBlockFormat Reader::BlockFormat(const ParaProps& p) const {
    QTextBlockFormat f;
    static const Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                           Qt::AlignJustify};
    f.setAlignment(kAlign[p.align]);
    f.setLeftMargin(p.left / kTwipsPerPixel);
    f.setRightMargin(p.right / kTwipsPerPixel);
    f.setTextIndent(p.first / kTwipsPerPixel);
    f.setTopMargin(p.before / kTwipsPerPixel);
    f.setBottomMargin(p.after / kTwipsPerPixel);
    if (p.lineSpacing != 0) {
        if (p.lineMultiple && p.lineSpacing > 0) {
            f.setLineHeight(p.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        } else if (p.lineSpacing > 0) {
            f.setLineHeight(p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
        } else {
            f.setLineHeight(-p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
        }
    }
    if (p.breakBefore) f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (!p.tabs.empty()) {
        QList<QTextOption::Tab> tabs;
        static const QTextOption::TabType kKind[] = {QTextOption::LeftTab, QTextOption::CenterTab,
                                                     QTextOption::RightTab,
                                                     QTextOption::DelimiterTab};
        for (const TabStop& t : p.tabs) {
            QTextOption::Tab tab(t.twips / kTwipsPerPixel, kKind[t.kind]);
            if (t.kind == 3) tab.delimiter = QLatin1Char('.');
            tabs.append(tab);
        }
        f.setTabPositions(tabs);
    }
    return f;
}

void Reader::BeginContent() {
    if (pendingCellTabs_ > 0) {
        const int n = pendingCellTabs_;
        pendingCellTabs_ = 0;
        for (int i = 0; i < n; ++i) AddChar('\t');
    }
}

// Counts one character of text; false (and the reading ends) beyond the bounds.
bool Reader::CountChar() {
    if (++paragraphChars_ <= kRtfMaxParagraphChars && ++chars_ <= kRtfMaxChars) return true;
    tooLarge_ = done_ = true;
    return false;
}

void Reader::AddByte(unsigned char b) {
    if (st_.chr.hidden || !CountChar()) return;
    if (pendingCellTabs_ > 0) BeginContent();
    const int cp = CodePage();
    if (!(st_.chr == runProps_) || cp != bytesCodePage_) {
        FlushBytes();
        if (!(st_.chr == runProps_)) FlushRun();
        runProps_ = st_.chr;
        bytesCodePage_ = cp;
    }
    bytes_ += static_cast<char>(b);
    paraHasContent_ = true;
    lastContentPara_ = st_.para;
}

void Reader::AddChar(char16_t c) {
    if (st_.chr.hidden || !CountChar()) return;
    if (pendingCellTabs_ > 0 && c != '\t') BeginContent();
    FlushBytes();
    if (!(st_.chr == runProps_)) {
        FlushRun();
        runProps_ = st_.chr;
    }
    run_ += QChar(c);
    paraHasContent_ = true;
    lastContentPara_ = st_.para;
}

void Reader::FlushBytes() {
    if (bytes_.isEmpty()) return;
    run_ += DecodeBytes(bytes_, bytesCodePage_);
    bytes_.clear();
}

void Reader::FlushRun() {
    FlushBytes();
    if (run_.isEmpty()) return;
    const QString text = CleanText(run_);
    run_.clear();
    if (!text.isEmpty()) cursor_.insertText(text, CharFormat(runProps_));
}

void Reader::EndParagraph(bool fromRow) {
    FlushRun();
    ParaProps para = st_.para;
    if (fromRow && cellEdges_.size() > 1) {
        // Cells line up at tab stops placed at the cell boundaries.
        para.tabs.clear();
        for (size_t i = 0; i + 1 < cellEdges_.size(); ++i) {
            const int x = cellEdges_[i] - rowLeft_;
            if (x > 0 && (para.tabs.empty() || x > para.tabs.back().twips))
                para.tabs.push_back(TabStop{x, 0});
        }
    }
    cursor_.setBlockFormat(BlockFormat(para));
    if (!paraHasContent_) cursor_.setBlockCharFormat(CharFormat(st_.chr));
    cursor_.insertBlock();
    paraHasContent_ = false;
    paragraphChars_ = 0;
    if (++paragraphs_ > kRtfMaxParagraphs) tooLarge_ = done_ = true;
}

void Reader::PageBreak() {
    FlushRun();
    if (paraHasContent_) EndParagraph();
    cursor_.setBlockCharFormat(CharFormat(st_.chr));
    cursor_.insertText(QString(QChar('\f')), CharFormat(st_.chr));
    paraHasContent_ = true;
    EndParagraph();
}

void Reader::FinishPicture() {
    Picture pic = std::move(picture_);
    picture_ = Picture{};
    if (pic.kind == 0 || pic.data.isEmpty() || st_.dest != Dest::Text || st_.chr.hidden) return;
    QBuffer buffer(&pic.data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, pic.kind == 1 ? "png" : "jpeg");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxImageSide || size.height() > kMaxImageSide ||
        static_cast<long long>(size.width()) * size.height() > kMaxImagePixels)
        return;
    QImage image;
    if (!reader.read(&image) || image.isNull()) return;

    qreal width = image.width(), height = image.height();
    if (pic.goalWidth > 0 && pic.goalHeight > 0) {
        width = pic.goalWidth / kTwipsPerPixel;
        height = pic.goalHeight / kTwipsPerPixel;
    }
    width = std::clamp(width * pic.scaleX / 100.0, 1.0, 10000.0);
    height = std::clamp(height * pic.scaleY / 100.0, 1.0, 10000.0);

    const QString name = QStringLiteral("rtfimage:%1").arg(++imageCount_);
    doc_->addResource(QTextDocument::ImageResource, QUrl(name), image);
    if (pendingCellTabs_ > 0) BeginContent();
    FlushRun();
    QTextImageFormat f;
    f.merge(CharFormat(st_.chr));
    f.setName(name);
    f.setWidth(width);
    f.setHeight(height);
    cursor_.insertImage(f);
    runProps_ = st_.chr;
    paraHasContent_ = true;
    lastContentPara_ = st_.para;
}

void Reader::Finish() {
    FlushRun();
    SetPageSetup(doc_, page_);
    if (paraHasContent_) {
        cursor_.setBlockFormat(BlockFormat(lastContentPara_));
    } else if (doc_->blockCount() > 1) {
        // The last paragraph mark of the file ends the document: no empty line after it.
        cursor_.deletePreviousChar();
    } else {
        cursor_.setBlockFormat(BlockFormat(st_.para));
        cursor_.setBlockCharFormat(CharFormat(st_.chr));
    }
}

// Where "{\rtf" starts when the first bytes of a file, past white space and a UTF-8
// byte-order mark, are "{\rtf"; -1 otherwise.
qsizetype RtfStart(const QByteArray& rtf) {
    qsizetype i = 0;
    if (rtf.startsWith("\xEF\xBB\xBF")) i = 3;
    while (i < rtf.size() && (rtf[i] == ' ' || rtf[i] == '\t' || rtf[i] == '\r' || rtf[i] == '\n'))
        ++i;
    return rtf.mid(i, 5) == "{\\rtf" ? i : -1;
}

}  // namespace

bool IsRtf(const QByteArray& data) {
    return RtfStart(data) >= 0;
}

bool ReadRtf(const QByteArray& rtf, QTextDocument* doc, QString* error) {
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    SetPageSetup(doc, PageSetup{});
    bool ok = true;
    const qsizetype start = RtfStart(rtf);
    if (start < 0) {
        if (error) *error = Text(Msg::DataNotRtf);
        ok = false;
    } else {
        // The reader starts at the brace: a byte-order mark in front is no text.
        Reader reader(rtf, start, doc);
        reader.Run();
        if (reader.TooLarge()) {
            doc->clear();
            SetPageSetup(doc, PageSetup{});
            if (error)
                *error = Text(Msg::RtfTooLarge)
                             .arg(kRtfMaxParagraphs)
                             .arg(kRtfMaxParagraphChars)
                             .arg(kRtfMaxChars);
            ok = false;
        }
    }
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
    return ok;
}

}  // namespace kx
