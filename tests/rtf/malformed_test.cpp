// Damaged and hostile input: an error for what is not RTF at all, a best-effort document
// for damaged RTF, and never a crash, a hang or a runaway document.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <cstdint>
#include <random>

#include "RtfTestSupport.h"
#include "platform/Errors.h"
#include "support/TempFolder.h"

using kxtest::Lines;
using kxtest::ReadDoc;

namespace {

// Reads bytes and checks what every result must satisfy: a sane line count and no text
// longer than the input could produce.
std::unique_ptr<QTextDocument> ReadChecked(const QByteArray& rtf) {
    QString error;
    auto doc = ReadDoc(rtf, &error);
    EXPECT_LE(doc->characterCount(), rtf.size() + 2);
    EXPECT_GE(kx::LineCount(*doc), 1);
    // Whatever was read can be written and read again.
    auto again = ReadDoc(kx::WriteRtf(*doc));
    EXPECT_EQ(Lines(*again), Lines(*doc));
    return doc;
}

QByteArray PngOf(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}  // namespace

TEST(RtfNotRtf, IsRefusedWithAClearError) {
    for (const QByteArray& data :
         {QByteArray(), QByteArray("plain text"), QByteArray("PK\x03\x04\x14\x00", 6),
          QByteArray("\\rtf1 no brace"), QByteArray("{rtf1}"), QByteArray("{\\rt"),
          QByteArray("<html><body>x</body></html>"), QByteArray(1000, '\0')}) {
        SCOPED_TRACE(data.left(20).toStdString());
        EXPECT_FALSE(kx::IsRtf(data));
        QTextDocument doc;
        doc.setPlainText("old");
        QString error;
        EXPECT_FALSE(kx::ReadRtf(data, &doc, &error));
        EXPECT_TRUE(error.contains("not an RTF document")) << error.toStdString();
        EXPECT_EQ(Lines(doc), QStringList{""});
    }
}

TEST(RtfNotRtf, RtfBehindBlanksAndAByteOrderMarkIsAccepted) {
    EXPECT_TRUE(kx::IsRtf("\xEF\xBB\xBF \r\n{\\rtf1 x}"));
    EXPECT_EQ(kx::LineText(*ReadDoc("\xEF\xBB\xBF\n{\\rtf1 x}"), 0), "x");
}

TEST(RtfNotRtf, LoadingSuchAFileNamesItAndKeepsTheDocument) {
    kxtest::TempFolder folder;
    folder.write("KXInfo.dat", "just some text\n");
    QTextDocument doc;
    doc.setPlainText("kept");
    try {
        kx::LoadRtfFile(&doc, folder.file("KXInfo.dat"));
        FAIL() << "no error";
    } catch (const kx::KxError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "File \"" + folder.file("KXInfo.dat") + "\" is not an RTF document.");
    }
    EXPECT_EQ(Lines(doc), QStringList{"kept"});
}

TEST(RtfTooLarge, ADocumentBeyondTheBoundsIsRefusedAndLeftEmpty) {
    // Two million paragraphs, a line of 20 MB, and paragraphs within the bounds that are too
    // much in all: laying any of them out would take minutes.
    QByteArray longParagraphs;
    for (int i = 0; i < 60; ++i) longParagraphs += QByteArray(9'000, 'x') + "\\par ";
    for (const QByteArray& body :
         {QByteArray("\\par ").repeated(2'000'000), QByteArray(20 << 20, 'x'), longParagraphs}) {
        QTextDocument doc;
        QString error;
        EXPECT_FALSE(kx::ReadRtf("{\\rtf1\\ansi " + body + "}", &doc, &error));
        EXPECT_TRUE(
            error.startsWith(QStringLiteral("The document is too large: at most 10000 "
                                            "paragraphs")))
            << error.toStdString();
        EXPECT_EQ(kx::LineCount(doc), 1);
        EXPECT_TRUE(kx::LineText(doc, 0).isEmpty());
    }
    // Up to the bounds a document is read whole.
    auto doc = ReadDoc("{\\rtf1\\ansi " + QByteArray("line\\par ").repeated(10'000) +
                       QByteArray(9'000, 'y') + "}");
    EXPECT_EQ(kx::LineCount(*doc), 10'001);
    EXPECT_EQ(kx::LineText(*doc, 10'000).size(), 9'000);

    kxtest::TempFolder folder;
    folder.write("big.rtf", "{\\rtf1 " + std::string(20 << 20, 'x') + "}");
    try {
        kx::LoadRtfFile(doc.get(), folder.file("big.rtf"));
        ADD_FAILURE() << "read";
    } catch (const kx::KxError& e) {
        EXPECT_NE(std::string(e.what()).find("big.rtf\" is too large a document"),
                  std::string::npos)
            << e.what();
    }
}

TEST(RtfDamaged, UnbalancedBracesGiveTheTextRead) {
    EXPECT_EQ(Lines(*ReadChecked("{\\rtf1\\ansi abc")), QStringList{"abc"});
    EXPECT_EQ(Lines(*ReadChecked("{\\rtf1\\ansi {{{{{abc\\par def")), (QStringList{"abc", "def"}));
    EXPECT_EQ(Lines(*ReadChecked("{\\rtf1\\ansi abc}}}} trailing junk")), QStringList{"abc"});
    EXPECT_EQ(Lines(*ReadChecked("{\\rtf1\\ansi a}b}c}")), QStringList{"a"});
    EXPECT_EQ(kx::LineText(*ReadChecked("{\\rtf1 {\\b bold}}} {\\i x}"), 0), "bold");
}

TEST(RtfDamaged, TruncatedAnywhere) {
    kxtest::QuietQt quiet;
    const QByteArray full =
        "{\\rtf1\\ansi\\ansicpg1257{\\fonttbl{\\f0\\fcharset186 Arial;}}"
        "{\\colortbl;\\red1\\green2\\blue3;}\\pard\\qc\\f0\\fs20\\cf1 \\'d0iauliai "
        "\\u381?emaitija{\\field{\\*\\fldinst x}{\\fldrslt y}}\\trowd\\cellx100\\intbl "
        "a\\cell\\row{\\pict\\pngblip\\picw1\\pich1 89504e470d0a}\\bin4 abcd\\page\\par}";
    for (qsizetype n = 0; n <= full.size(); ++n) ReadChecked(full.left(n));
    EXPECT_EQ(kx::LineText(*ReadChecked(full.left(full.indexOf("iauliai"))), 0),
              QString::fromUtf8("Š"));
    EXPECT_EQ(kx::LineText(*ReadChecked("{\\rtf1 x\\'d"), 0), "x") << "half a hex escape";
}

TEST(RtfDamaged, HugeNumbersAreClamped) {
    auto doc = ReadChecked(
        "{\\rtf1\\ansi{\\fonttbl{\\f99999999999999999999 Big;}}"
        "{\\colortbl;\\red99999999999\\green-5\\blue300;}"
        "\\paperw99999999999\\paperh-99999999999\\margl99999999999"
        "\\fs99999999999999999999\\li-99999999999\\ri99999999999\\fi99999999999"
        "\\sb99999999999\\sa-99999999999\\sl99999999999\\cf99999999999\\cb-99999999999"
        "\\uc99999999999 \\u99999999999 \\u-99999999999 a\\f-99999999999 b"
        "\\trowd\\cellx99999999999\\cellx-99999999999\\intbl c\\cell\\row}");
    const kx::PageSetup page = kx::GetPageSetup(*doc);
    EXPECT_GT(page.paperWidth, 0);
    EXPECT_LE(page.paperWidth, 31680 * 3);
    EXPECT_EQ(page.paperHeight, 0);
}

TEST(RtfDamaged, HugeBinaryCountStopsAtTheEnd) {
    auto doc = ReadChecked("{\\rtf1 a\\bin99999999999 xyz}");
    EXPECT_EQ(kx::LineText(*doc, 0), "a");
    // \bin in text is skipped data (braces and backslashes included), the text after it stays.
    EXPECT_EQ(kx::LineText(*ReadChecked("{\\rtf1 a\\bin4 {}\\b after}"), 0), "a after");
}

TEST(RtfDamaged, DeepNestingIsBounded) {
    kxtest::QuietQt quiet;
    const int depth = 200000;
    QByteArray rtf = "{\\rtf1\\ansi ";
    rtf += QByteArray(depth, '{');
    rtf += "\\b deep";
    rtf += QByteArray(depth, '}');
    rtf += " after}";
    auto doc = ReadChecked(rtf);
    EXPECT_EQ(kx::LineText(*doc, 0), "deep after");
    EXPECT_LT(kxtest::FormatAt(*doc, 0, 6).fontWeight(), QFont::DemiBold)
        << "the bold of the deep group ends with it";
    // Only opening braces, and nesting inside the font table and a picture.
    ReadChecked("{\\rtf1 " + QByteArray(depth, '{'));
    ReadChecked("{\\rtf1{\\fonttbl" + QByteArray(depth, '{') + "\\f0 A;" + QByteArray(depth, '}') +
                "}x}");
    ReadChecked("{\\rtf1{\\pict\\pngblip" + QByteArray(depth, '{') + "89504e47" +
                QByteArray(depth, '}') + "}x}");
}

TEST(RtfDamaged, LongControlWordsAndManyTableEntries) {
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl";
    for (int i = 0; i < 20000; ++i) rtf += "{\\f" + QByteArray::number(i) + " F;}";
    rtf += "}{\\colortbl";
    for (int i = 0; i < 20000; ++i) rtf += "\\red1;";
    rtf += "}\\" + QByteArray(100000, 'x') + "123 text\\f19999 more\\cf19999 end}";
    auto doc = ReadChecked(rtf);
    EXPECT_EQ(kx::LineText(*doc, 0), "textmoreend");
}

TEST(RtfDamaged, BinaryJunkNeverBreaksTheReader) {
    kxtest::QuietQt quiet;
    std::mt19937 random(20090115);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 300; ++round) {
        QByteArray rtf = round % 2 ? "{\\rtf1\\ansi " : "{\\rtf1{\\pict\\pngblip\\bin50 ";
        const int n = 50 + round * 7;
        for (int i = 0; i < n; ++i) rtf += static_cast<char>(byte(random));
        ReadChecked(rtf);
    }
}

TEST(RtfDamaged, JunkMadeOfRtfTokens) {
    kxtest::QuietQt quiet;
    static const char* const kTokens[] = {
        "{",          "}",        "\\par ",  "\\page ",    "\\cell ",    "\\row ",     "\\trowd",
        "\\cellx500", "\\intbl ", "\\pict",  "\\pngblip ", "\\bin2 ",    "\\u-10179 ", "\\uc3 ",
        "\\'",        "\\'e0",    "\\*",     "\\fonttbl",  "\\colortbl", "\\red9;",    "\\f1 ",
        "\\b ",       "\\v ",     "\\field", "\\fldrslt ", "a",          ";",          "\\\\",
        "\\~",        "\\line ",  "\\tab ",  "\xff",       "\\plain ",   "\\pard "};
    std::mt19937 random(42);
    std::uniform_int_distribution<int> pick(0, std::size(kTokens) - 1);
    for (int round = 0; round < 300; ++round) {
        QByteArray rtf = "{\\rtf1 ";
        for (int i = 0; i < 200; ++i) rtf += kTokens[pick(random)];
        ReadChecked(rtf);
    }
}

TEST(RtfDamaged, BrokenAndOversizedPicturesAreLeftOut) {
    kxtest::QuietQt quiet;
    // A PNG header claiming 100000 x 100000 pixels: refused before decoding.
    QByteArray png = PngOf(1, 1);
    png[16] = 0;
    png[17] = 1;
    png[18] = char(0x86);
    png[19] = char(0xA0);
    png[20] = 0;
    png[21] = 1;
    png[22] = char(0x86);
    png[23] = char(0xA0);
    auto doc = ReadChecked("{\\rtf1 a{\\pict\\pngblip " + png.toHex() + "}b}");
    EXPECT_EQ(kx::LineText(*doc, 0), "ab");
    doc = ReadChecked("{\\rtf1 a{\\pict\\jpegblip ffd8ffe000104a46}b}");
    EXPECT_EQ(kx::LineText(*doc, 0), "ab");
    doc = ReadChecked("{\\rtf1 a{\\pict\\pngblip\\picwgoal99999999999\\pichgoal99999999999 " +
                      PngOf(2, 2).toHex() + "}b}");
    EXPECT_EQ(kx::LineText(*doc, 0).size(), 3);
}

TEST(RtfDamaged, LoneSurrogateHalvesBecomeReplacementCharacters) {
    auto doc = ReadChecked("{\\rtf1 a\\u-10179?b\\u-8704?c\\u-10179?\\u-8704?}");
    EXPECT_EQ(kx::LineText(*doc, 0), QString("a") + QChar(QChar::ReplacementCharacter) + "b" +
                                         QChar(QChar::ReplacementCharacter) + "c" +
                                         QString::fromUtf8("😀"));
}

TEST(RtfDamaged, ControlCharactersInTextDoNotSplitLines) {
    auto doc = ReadChecked(
        QByteArray("{\\rtf1 a\x01\x02\x1f b\\u8233?c\\u13?d\\u10?e\\u0?f\\u1?g\\u9?h}"));
    EXPECT_EQ(kx::LineCount(*doc), 1);
    EXPECT_EQ(kx::LineText(*doc, 0), "a bcdefg\th");
}
