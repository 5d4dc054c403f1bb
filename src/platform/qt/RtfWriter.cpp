// QTextDocument -> RTF.
//
// Output: \ansi\ansicpg1257 with every font in the table marked \fcharset186 (Baltic), a
// colour table, one \pard paragraph per block with its alignment, indents, spacing and
// tab stops, and \plain-based runs with their character formats. Text that Windows-1257
// holds goes out as \'hh, anything else as \uN with a '?' for older readers. A block whose
// whole text is a form feed is written as \page. Pictures go out as PNG (\pngblip).
#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>
#include <cmath>
#include <vector>

#include "platform/Cp1257.h"
#include "platform/qt/Rtf.h"

namespace kx {
namespace {

constexpr qreal kTwipsPerPixel = 15.0;  // 1440 twips per inch, 96 layout pixels per inch

int Twips(qreal pixels) {
    return static_cast<int>(std::lround(pixels * kTwipsPerPixel));
}

QString FamilyOf(const QTextCharFormat& f, const QString& fallback) {
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty()) return families.first();
    return fallback;
}

void AppendNumber(QByteArray& out, const char* word, long long n) {
    out += word;
    out += QByteArray::number(n);
}

// Text in RTF: ASCII as it is, the three specials escaped, Windows-1257 as \'hh, the
// rest as \uN?. In body text TAB, the line separator and the special blanks and hyphens
// are control words; a font name (inName) has no such words, and no control characters.
void AppendEscaped(QByteArray& out, const QString& text, bool inName = false) {
    static const char kHex[] = "0123456789abcdef";
    auto unit = [&out](uint u) {
        AppendNumber(out, "\\u", u > 32767 ? static_cast<long long>(u) - 65536 : u);
        out += '?';
    };
    const QList<uint> points = text.toUcs4();
    for (uint c : points) {
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
            continue;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            continue;
        }
        if (inName) {
            if (c < 0x20 || c == 0x7F) continue;
        } else if (c == '\t') {
            out += "\\tab ";
            continue;
        } else if (c == QChar::LineSeparator) {
            out += "\\line ";
            continue;
        } else if (c == 0x00A0) {
            out += "\\~";
            continue;
        } else if (c == 0x00AD) {
            out += "\\-";
            continue;
        } else if (c == 0x2011) {
            out += "\\_";
            continue;
        }
        if (const int b = UnicodeToCp1257(c); b >= 0 && c != QChar::ObjectReplacementCharacter) {
            out += "\\'";
            out += kHex[(b >> 4) & 15];
            out += kHex[b & 15];
        } else if (c > 0xFFFF) {
            unit(QChar::highSurrogate(c));
            unit(QChar::lowSurrogate(c));
        } else {
            unit(c);
        }
    }
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : doc_(doc) {
        defaultFamily_ = doc.defaultFont().family();
        defaultPoints_ = doc.defaultFont().pointSizeF();
        if (defaultPoints_ <= 0) defaultPoints_ = 12;
    }

    QByteArray Write();

private:
    int FontIndex(const QString& family);
    int ColorIndex(const QColor& c);
    void CollectTables();
    void WriteBlockFormat(const QTextBlock& block);
    void WriteCharFormat(const QTextCharFormat& f);
    void WriteImage(const QTextImageFormat& f);

    const QTextDocument& doc_;
    QString defaultFamily_;
    qreal defaultPoints_ = 12;
    QStringList fonts_;
    std::vector<QRgb> colors_;
    QByteArray out_;
};

int Writer::FontIndex(const QString& family) {
    const qsizetype i = fonts_.indexOf(family);
    if (i >= 0) return static_cast<int>(i);
    fonts_.append(family);
    return static_cast<int>(fonts_.size() - 1);
}

int Writer::ColorIndex(const QColor& c) {
    const QRgb rgb = c.rgb() & 0xFFFFFF;
    for (size_t i = 0; i < colors_.size(); ++i)
        if (colors_[i] == rgb) return static_cast<int>(i + 1);
    colors_.push_back(rgb);
    return static_cast<int>(colors_.size());
}

void Writer::CollectTables() {
    FontIndex(defaultFamily_);
    auto collect = [this](const QTextCharFormat& f) {
        FontIndex(FamilyOf(f, defaultFamily_));
        if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
            ColorIndex(f.foreground().color());
        if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
            ColorIndex(f.background().color());
    };
    for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next()) {
        collect(b.charFormat());
        for (auto it = b.begin(); !it.atEnd(); ++it) collect(it.fragment().charFormat());
    }
}

void Writer::WriteBlockFormat(const QTextBlock& block) {
    const QTextBlockFormat f = block.blockFormat();
    out_ += "\\pard";
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        out_ += "\\qc";
    else if (a & Qt::AlignJustify)
        out_ += "\\qj";
    else if ((a & Qt::AlignRight) || ((a & Qt::AlignTrailing) && !(a & Qt::AlignAbsolute)))
        out_ += "\\qr";
    else
        out_ += "\\ql";
    if (const int v = Twips(f.leftMargin() + f.indent() * doc_.indentWidth()))
        AppendNumber(out_, "\\li", v);
    if (const int v = Twips(f.rightMargin())) AppendNumber(out_, "\\ri", v);
    if (const int v = Twips(f.textIndent())) AppendNumber(out_, "\\fi", v);
    if (const int v = Twips(f.topMargin())) AppendNumber(out_, "\\sb", v);
    if (const int v = Twips(f.bottomMargin())) AppendNumber(out_, "\\sa", v);
    switch (f.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            AppendNumber(out_, "\\sl", std::lround(f.lineHeight() * 240.0 / 100.0));
            out_ += "\\slmult1";
            break;
        case QTextBlockFormat::FixedHeight:
            AppendNumber(out_, "\\sl", -Twips(f.lineHeight()));
            out_ += "\\slmult0";
            break;
        case QTextBlockFormat::MinimumHeight:
            AppendNumber(out_, "\\sl", Twips(f.lineHeight()));
            out_ += "\\slmult0";
            break;
        default:
            break;
    }
    if (f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) out_ += "\\pagebb";
    for (const QTextOption::Tab& t : f.tabPositions()) {
        if (t.type == QTextOption::CenterTab)
            out_ += "\\tqc";
        else if (t.type == QTextOption::RightTab)
            out_ += "\\tqr";
        else if (t.type == QTextOption::DelimiterTab)
            out_ += "\\tqdec";
        AppendNumber(out_, "\\tx", Twips(t.position));
    }
}

void Writer::WriteCharFormat(const QTextCharFormat& f) {
    out_ += "\\plain";
    AppendNumber(out_, "\\f", FontIndex(FamilyOf(f, defaultFamily_)));
    qreal points = f.fontPointSize();
    if (points <= 0) points = defaultPoints_;
    AppendNumber(out_, "\\fs", std::clamp<long>(std::lround(points * 2), 2, 3276));
    if (f.fontWeight() >= QFont::DemiBold) out_ += "\\b";
    if (f.fontItalic()) out_ += "\\i";
    if (f.fontUnderline()) out_ += "\\ul";
    if (f.fontStrikeOut()) out_ += "\\strike";
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) out_ += "\\super";
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) out_ += "\\sub";
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        AppendNumber(out_, "\\cf", ColorIndex(f.foreground().color()));
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
        AppendNumber(out_, "\\highlight", ColorIndex(f.background().color()));
    out_ += ' ';
}

void Writer::WriteImage(const QTextImageFormat& f) {
    const QVariant res = doc_.resource(QTextDocument::ImageResource, QUrl(f.name()));
    QImage image;
    if (res.canConvert<QImage>() && res.typeId() == QMetaType::QImage)
        image = res.value<QImage>();
    else if (res.typeId() == QMetaType::QPixmap)
        image = res.value<QPixmap>().toImage();
    else if (res.typeId() == QMetaType::QByteArray)
        image = QImage::fromData(res.toByteArray());
    if (image.isNull()) return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) return;
    const qreal width = f.width() > 0 ? f.width() : image.width();
    const qreal height = f.height() > 0 ? f.height() : image.height();
    out_ += "{\\pict\\pngblip";
    AppendNumber(out_, "\\picw", image.width());
    AppendNumber(out_, "\\pich", image.height());
    AppendNumber(out_, "\\picwgoal", Twips(width));
    AppendNumber(out_, "\\pichgoal", Twips(height));
    out_ += '\n';
    const QByteArray hex = png.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        out_ += hex.mid(i, 128);
        out_ += '\n';
    }
    out_ += '}';
}

QByteArray Writer::Write() {
    CollectTables();
    // The body first: writing it completes the tables, which go in front of it.
    for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next()) {
        if (b.text() == QStringLiteral("\f")) {
            WriteCharFormat(b.begin().atEnd() ? b.charFormat() : b.begin().fragment().charFormat());
            out_ += "\\page\n";
            continue;
        }
        WriteBlockFormat(b);
        if (b.begin().atEnd()) WriteCharFormat(b.charFormat());
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QTextCharFormat f = frag.charFormat();
            // A raised or lowered run goes in a group of its own: LibreOffice drops the
            // rest of the paragraph when \plain is what ends a \super.
            const bool grouped = f.verticalAlignment() == QTextCharFormat::AlignSuperScript ||
                                 f.verticalAlignment() == QTextCharFormat::AlignSubScript;
            if (grouped) out_ += '{';
            WriteCharFormat(f);
            if (f.isImageFormat()) {
                const QTextImageFormat imf = f.toImageFormat();
                for (int i = 0; i < frag.length(); ++i) WriteImage(imf);
            } else {
                AppendEscaped(out_, frag.text());
            }
            if (grouped) out_ += '}';
        }
        out_ += "\\par\n";
    }

    QByteArray head = "{\\rtf1\\ansi\\ansicpg1257\\deff0\\uc1\\deflang1063\n{\\fonttbl";
    for (int i = 0; i < fonts_.size(); ++i) {
        AppendNumber(head, "{\\f", i);
        head += "\\fnil\\fcharset186 ";
        QString name = fonts_[i];
        name.remove(QLatin1Char(';'));
        AppendEscaped(head, name, true);
        head += ";}";
    }
    head += "}\n{\\colortbl ;";
    for (QRgb c : colors_) {
        AppendNumber(head, "\\red", qRed(c));
        AppendNumber(head, "\\green", qGreen(c));
        AppendNumber(head, "\\blue", qBlue(c));
        head += ';';
    }
    head += "}\n";
    const PageSetup page = GetPageSetup(doc_);
    const std::pair<const char*, int> pageWords[] = {
        {"\\paperw", page.paperWidth}, {"\\paperh", page.paperHeight},
        {"\\margl", page.marginLeft},  {"\\margr", page.marginRight},
        {"\\margt", page.marginTop},   {"\\margb", page.marginBottom}};
    bool anyPage = false;
    for (const auto& [word, value] : pageWords) {
        if (value <= 0) continue;
        AppendNumber(head, word, value);
        anyPage = true;
    }
    if (anyPage) head += '\n';
    head += "\\viewkind4\n";
    return head + out_ + "}\n";
}

}  // namespace

QByteArray WriteRtf(const QTextDocument& doc) {
    return Writer(doc).Write();
}

}  // namespace kx
