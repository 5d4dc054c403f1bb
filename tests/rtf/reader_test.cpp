// Reading RTF: code pages, Unicode escapes, formats, tables, fields, pictures.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QTextImageFormat>
#include <QUrl>

#include "RtfTestSupport.h"

using kxtest::BlockAt;
using kxtest::Family;
using kxtest::FormatAt;
using kxtest::Lines;
using kxtest::ReadDoc;

namespace {

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage Checker(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, (x + y) % 2 ? 0xFF2040A0 : 0xFFFFFFFF);
    return image;
}

// The images of a document: their formats in document order.
std::vector<QTextImageFormat> Images(const QTextDocument& doc) {
    std::vector<QTextImageFormat> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                out.push_back(it.fragment().charFormat().toImageFormat());
    return out;
}

}  // namespace

TEST(RtfCodePages, Windows1257HexBytesGiveLithuanianLetters) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi\\ansicpg1257\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0 "
        "\\'d0iauliai \\'e0\\'e8\\'e6\\'eb\\'e1\\'f0\\'f8\\'fb\\'fe "
        "\\'C0\\'C8\\'C6\\'CB\\'C1\\'D0\\'D8\\'DB\\'DE \\'97\\par}");
    EXPECT_EQ(Lines(*doc), QStringList{QString::fromUtf8("Šiauliai ąčęėįšųūž ĄČĘĖĮŠŲŪŽ —")});
}

TEST(RtfCodePages, Windows1252DocumentReadsItsOwnBytes) {
    auto doc = ReadDoc("{\\rtf1\\ansi\\ansicpg1252 caf\\'e9 \\'80 \\'8a}");
    EXPECT_EQ(kx::LineText(*doc, 0), QString::fromUtf8("café € Š"));
}

TEST(RtfCodePages, BalticFontCharsetWinsOverTheDocumentCodePage) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset186 Arial;}{\\f1\\fcharset0 "
        "Times;}}\\f0 \\'d0\\'e8\\f1 \\'d0\\'e8}");
    EXPECT_EQ(kx::LineText(*doc, 0), QString::fromUtf8("Šč") + QString::fromUtf8("Ðè"));
}

TEST(RtfCodePages, CyrillicFontCharsetDecodesThroughWindows1251) {
    auto doc = ReadDoc("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\'c6\\'e8}");
    EXPECT_EQ(kx::LineText(*doc, 0), QString::fromUtf8("Жи"));
}

TEST(RtfCodePages, FontNamesDecodeThroughTheirCharset) {
    auto doc = ReadDoc("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset186 \\'d0rifta;}}\\f0 x}");
    EXPECT_EQ(Family(FormatAt(*doc, 0, 0)), QString::fromUtf8("Šrifta"));
}

TEST(RtfUnicode, EscapeSkipsOneFallbackCharacterByDefault) {
    auto doc = ReadDoc("{\\rtf1\\ansi \\u352?iauliai \\u381\\'3femaitija}");
    EXPECT_EQ(kx::LineText(*doc, 0), QString::fromUtf8("Šiauliai Žemaitija"));
}

TEST(RtfUnicode, UcSetsTheFallbackLengthForItsGroup) {
    auto doc = ReadDoc("{\\rtf1\\ansi {\\uc2\\u352 xxiauliai }\\u381 ?emaitija {\\uc0\\u269 a}}");
    EXPECT_EQ(kx::LineText(*doc, 0), QString::fromUtf8("Šiauliai Žemaitija ča"));
}

TEST(RtfUnicode, NegativeValuesAndSurrogatePairs) {
    // 0xF020 written as a signed 16-bit number, and U+1F600 as two surrogate halves.
    auto doc = ReadDoc("{\\rtf1\\ansi \\u-4064?\\u-10179?\\u-8704?}");
    EXPECT_EQ(kx::LineText(*doc, 0), QString(QChar(0xF020)) + QString::fromUtf8("😀"));
}

TEST(RtfUnicode, FallbackDoesNotSwallowGroupEnds) {
    auto doc = ReadDoc("{\\rtf1\\ansi\\uc3 {\\u352}iauliai}");
    EXPECT_EQ(kx::LineText(*doc, 0), QString::fromUtf8("Šiauliai"));
}

TEST(RtfCharacterFormat, BoldItalicUnderlineStrikeAndPlain) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\f0\\fs20 "
        "a\\b b\\b0\\i c\\i0\\ul d\\ulnone\\strike e\\strike0\\f1\\fs31 f\\plain g}");
    ASSERT_EQ(kx::LineText(*doc, 0), "abcdefg");
    const auto a = FormatAt(*doc, 0, 0), b = FormatAt(*doc, 0, 1), c = FormatAt(*doc, 0, 2),
               d = FormatAt(*doc, 0, 3), e = FormatAt(*doc, 0, 4), f = FormatAt(*doc, 0, 5),
               g = FormatAt(*doc, 0, 6);
    EXPECT_EQ(Family(a), "Arial");
    EXPECT_DOUBLE_EQ(a.fontPointSize(), 10.0);
    EXPECT_LT(a.fontWeight(), QFont::DemiBold);
    EXPECT_GE(b.fontWeight(), QFont::Bold);
    EXPECT_LT(c.fontWeight(), QFont::DemiBold);
    EXPECT_TRUE(c.fontItalic());
    EXPECT_FALSE(d.fontItalic());
    EXPECT_TRUE(d.fontUnderline());
    EXPECT_FALSE(e.fontUnderline());
    EXPECT_TRUE(e.fontStrikeOut());
    EXPECT_FALSE(f.fontStrikeOut());
    EXPECT_EQ(Family(f), "Courier New");
    EXPECT_DOUBLE_EQ(f.fontPointSize(), 15.5);
    // \plain: default font (the \deff one, font 0) at 12 points.
    EXPECT_EQ(Family(g), "Arial");
    EXPECT_DOUBLE_EQ(g.fontPointSize(), 12.0);
}

TEST(RtfCharacterFormat, GroupsRestoreTheOuterFormat) {
    auto doc = ReadDoc("{\\rtf1\\ansi a{\\b\\i b}c}");
    EXPECT_GE(FormatAt(*doc, 0, 1).fontWeight(), QFont::Bold);
    EXPECT_TRUE(FormatAt(*doc, 0, 1).fontItalic());
    EXPECT_LT(FormatAt(*doc, 0, 2).fontWeight(), QFont::DemiBold);
    EXPECT_FALSE(FormatAt(*doc, 0, 2).fontItalic());
}

TEST(RtfCharacterFormat, ColoursFromTheColourTable) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue128;\\red255\\green255\\blue0;}"
        "\\cf1 a\\cb2 b\\cb0\\highlight2 c\\cf0\\highlight0 d\\cf9 e}");
    ASSERT_EQ(kx::LineText(*doc, 0), "abcde");
    EXPECT_EQ(FormatAt(*doc, 0, 0).foreground().color(), QColor(0, 0, 128));
    EXPECT_FALSE(FormatAt(*doc, 0, 0).hasProperty(QTextFormat::BackgroundBrush));
    EXPECT_EQ(FormatAt(*doc, 0, 1).background().color(), QColor(255, 255, 0));
    EXPECT_EQ(FormatAt(*doc, 0, 2).background().color(), QColor(255, 255, 0));
    // Index 0 is the automatic colour, an index past the table is ignored.
    EXPECT_FALSE(FormatAt(*doc, 0, 3).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_FALSE(FormatAt(*doc, 0, 4).hasProperty(QTextFormat::ForegroundBrush));
}

TEST(RtfCharacterFormat, HiddenTextAndSuperscript) {
    auto doc = ReadDoc("{\\rtf1\\ansi a{\\v hidden}b{\\super 2}}");
    EXPECT_EQ(kx::LineText(*doc, 0), "ab2");
    EXPECT_EQ(FormatAt(*doc, 0, 2).verticalAlignment(), QTextCharFormat::AlignSuperScript);
}

TEST(RtfParagraphFormat, AlignmentIndentsAndSpacing) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi\\pard\\qc c\\par\\pard\\qr r\\par\\pard\\qj j\\par"
        "\\pard\\li300\\ri150\\fi-150\\sb60\\sa120 i\\par\\pard plain\\par}");
    ASSERT_EQ(Lines(*doc), (QStringList{"c", "r", "j", "i", "plain"}));
    EXPECT_EQ(BlockAt(*doc, 0).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(BlockAt(*doc, 1).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(BlockAt(*doc, 2).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    const QTextBlockFormat i = BlockAt(*doc, 3);
    EXPECT_DOUBLE_EQ(i.leftMargin(), 20.0);  // 15 twips to a layout pixel
    EXPECT_DOUBLE_EQ(i.rightMargin(), 10.0);
    EXPECT_DOUBLE_EQ(i.textIndent(), -10.0);
    EXPECT_DOUBLE_EQ(i.topMargin(), 4.0);
    EXPECT_DOUBLE_EQ(i.bottomMargin(), 8.0);
    const QTextBlockFormat p = BlockAt(*doc, 4);
    EXPECT_EQ(p.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_DOUBLE_EQ(p.leftMargin(), 0.0);
}

TEST(RtfParagraphFormat, ParagraphPropertiesCarryOnUntilPard) {
    auto doc = ReadDoc("{\\rtf1\\ansi\\qc a\\par b\\par\\pard c}");
    EXPECT_EQ(BlockAt(*doc, 1).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(BlockAt(*doc, 2).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST(RtfParagraphFormat, LineSpacing) {
    auto doc = ReadDoc("{\\rtf1\\ansi\\pard\\sl360\\slmult1 a\\par\\pard\\sl-300 b\\par}");
    EXPECT_EQ(BlockAt(*doc, 0).lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(BlockAt(*doc, 0).lineHeight(), 150.0);
    EXPECT_EQ(BlockAt(*doc, 1).lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_DOUBLE_EQ(BlockAt(*doc, 1).lineHeight(), 20.0);
}

TEST(RtfText, LineBreaksTabsAndSpecialCharacters) {
    auto doc = ReadDoc("{\\rtf1\\ansi a\\line b\\tab c\\~d\\-e\\_f\\\\\\{\\}\\emdash\\bullet}");
    EXPECT_EQ(kx::LineText(*doc, 0), QString("a") + QChar(QChar::LineSeparator) + "b\tc" +
                                         QChar(0xA0) + "d" + QChar(0xAD) + "e" + QChar(0x2011) +
                                         "f\\{}" + QChar(0x2014) + QChar(0x2022));
}

TEST(RtfText, SourceLineEndsAreNotText) {
    auto doc = ReadDoc("{\\rtf1\\ansi one\r\ntwo\\\r\nthree\\par\n}");
    EXPECT_EQ(Lines(*doc), (QStringList{"onetwo", "three"}));
}

TEST(RtfText, FinalParagraphMarkAddsNoEmptyLine) {
    EXPECT_EQ(Lines(*ReadDoc("{\\rtf1 a\\par}")), QStringList{"a"});
    EXPECT_EQ(Lines(*ReadDoc("{\\rtf1 a\\par\\par}")), (QStringList{"a", ""}));
    EXPECT_EQ(Lines(*ReadDoc("{\\rtf1 a\\par b}")), (QStringList{"a", "b"}));
    EXPECT_EQ(Lines(*ReadDoc("{\\rtf1 }")), QStringList{""});
}

TEST(RtfText, PageBecomesAFormFeedLine) {
    auto doc = ReadDoc("{\\rtf1\\ansi one\\page two\\par\\page\\pard three}");
    EXPECT_EQ(Lines(*doc),
              (QStringList{"one", kx::kPageBreakLine, "two", kx::kPageBreakLine, "three"}));
}

TEST(RtfDestinations, FieldsShowTheirResult) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi see {\\field{\\*\\fldinst{HYPERLINK \"http://x.lt\"}}"
        "{\\fldrslt{\\ul\\cf1 the page}}} now}");
    EXPECT_EQ(kx::LineText(*doc, 0), "see the page now");
}

TEST(RtfDestinations, TablesAndUnknownDestinationsAreSkipped) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
        "{\\*\\generator Writer;}{\\*\\mystery{nested text}more}{\\header head}"
        "\\unknownword42 body\\par}");
    EXPECT_EQ(Lines(*doc), QStringList{"body"});
}

TEST(RtfTables, CellsBecomeTabsAndRowsLines) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi before\\par"
        "\\trowd\\trleft100\\cellx1600\\cellx3100\\cellx4600"
        "\\pard\\intbl A1\\cell B1\\cell C1\\cell\\row"
        "\\trowd\\cellx1500\\cellx3000\\cellx4500"
        "\\pard\\intbl A2\\cell\\cell C2\\cell\\row"
        "\\pard after\\par}");
    ASSERT_EQ(Lines(*doc), (QStringList{"before", "A1\tB1\tC1", "A2\t\tC2", "after"}));
    // Cells line up at tab stops on the cell boundaries (relative to the row's left edge).
    const QList<QTextOption::Tab> tabs = BlockAt(*doc, 1).tabPositions();
    ASSERT_EQ(tabs.size(), 2);
    EXPECT_DOUBLE_EQ(tabs[0].position, 100.0);
    EXPECT_DOUBLE_EQ(tabs[1].position, 200.0);
    EXPECT_TRUE(BlockAt(*doc, 3).tabPositions().isEmpty());
}

TEST(RtfTables, ParagraphsInsideACellStayOnTheRowLine) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi\\trowd\\cellx1500\\cellx3000\\pard\\intbl one\\par two\\cell "
        "three\\cell\\row}");
    EXPECT_EQ(Lines(*doc), QStringList{"one two\tthree"});
}

TEST(RtfPictures, PngBecomesAnImageOfTheGoalSize) {
    const QImage image = Checker(4, 3);
    const QByteArray rtf =
        "{\\rtf1\\ansi x{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450 " +
        Encoded(image, "PNG").toHex() + "}y}";
    auto doc = ReadDoc(rtf);
    ASSERT_EQ(kx::LineText(*doc, 0), QString("x") + QChar(QChar::ObjectReplacementCharacter) + "y");
    const auto images = Images(*doc);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_DOUBLE_EQ(images[0].width(), 40.0);
    EXPECT_DOUBLE_EQ(images[0].height(), 30.0);
    const QImage shown =
        doc->resource(QTextDocument::ImageResource, QUrl(images[0].name())).value<QImage>();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32), image);
}

TEST(RtfPictures, JpegAndScaling) {
    const QByteArray rtf = "{\\rtf1\\ansi{\\pict\\jpegblip\\picscalex50\\picscaley200 " +
                           Encoded(Checker(20, 10), "JPEG").toHex() + "}}";
    auto doc = ReadDoc(rtf);
    const auto images = Images(*doc);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_DOUBLE_EQ(images[0].width(), 10.0);
    EXPECT_DOUBLE_EQ(images[0].height(), 20.0);
}

TEST(RtfPictures, BinaryPictureData) {
    const QByteArray png = Encoded(Checker(2, 2), "PNG");
    const QByteArray rtf = "{\\rtf1\\ansi{\\pict\\pngblip\\bin" + QByteArray::number(png.size()) +
                           " " + png + "}after}";
    auto doc = ReadDoc(rtf);
    EXPECT_EQ(Images(*doc).size(), 1u);
    EXPECT_TRUE(kx::LineText(*doc, 0).endsWith("after"));
}

TEST(RtfPictures, MetafilesAndPicturesInsideSkippedGroupsAreLeftOut) {
    kxtest::QuietQt quiet;
    auto doc = ReadDoc(
        "{\\rtf1\\ansi a{\\pict\\wmetafile8 0102030405}b"
        "{\\*\\shppict{\\pict\\pngblip 89504e47}}{\\nonshppict{\\pict\\pngblip 00}}c}");
    EXPECT_EQ(kx::LineText(*doc, 0), "abc");
}

TEST(RtfPageSetup, PaperAndMarginsAreKeptOnTheDocument) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi\\paperw11906\\paperh16838\\margl1418\\margr1134"
        "\\margt851\\margb850 x}");
    const kx::PageSetup page = kx::GetPageSetup(*doc);
    EXPECT_EQ(page, (kx::PageSetup{11906, 16838, 1418, 1134, 851, 850}));
    // A second read replaces it.
    kx::ReadRtf("{\\rtf1 y}", doc.get());
    EXPECT_EQ(kx::GetPageSetup(*doc), kx::PageSetup{});
}
