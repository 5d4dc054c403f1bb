// The RTF files that come with the program read as the texts they hold.
#include <gtest/gtest.h>

#include <QColor>
#include <QTextDocument>

#include "RtfTestSupport.h"
#include "platform/qt/RtfLines.h"

using kxtest::Family;
using kxtest::FormatAt;
using kxtest::Lines;

namespace {

std::unique_ptr<QTextDocument> Load(const char* name) {
    auto doc = std::make_unique<QTextDocument>();
    kx::LoadRtfFile(doc.get(), std::string(KX_DATA_DIR) + "/" + name);
    return doc;
}

// Every text character is a printable one: no stray control bytes, no replacement marks,
// no RTF syntax leaking into the text.
void ExpectCleanText(const QTextDocument& doc) {
    for (const QString& line : Lines(doc)) {
        EXPECT_FALSE(line.contains(QChar::ReplacementCharacter)) << line.toStdString();
        EXPECT_FALSE(line.contains('\\')) << line.toStdString();
        EXPECT_FALSE(line.contains("fcharset")) << line.toStdString();
        for (QChar c : line)
            EXPECT_TRUE(c.isPrint() || c == '\t')
                << line.toStdString() << " U+" << int(c.unicode());
    }
}

}  // namespace

TEST(RtfShippedInfo, EnglishInfoTextIsFormatted) {
    auto doc = Load("KXInfo.dat");
    ExpectCleanText(*doc);
    ASSERT_GE(kx::LineCount(*doc), 5);
    EXPECT_EQ(kx::LineText(*doc, 0), QString::fromUtf8("Kvadrix — BEX squares for radio amateurs"));
    const QTextCharFormat title = FormatAt(*doc, 0, 0);
    EXPECT_GE(title.fontWeight(), QFont::Bold);
    EXPECT_EQ(title.foreground().color(), QColor(0, 0, 128));
    EXPECT_EQ(Family(title), "Tahoma");
    EXPECT_DOUBLE_EQ(title.fontPointSize(), 12.0);
    EXPECT_EQ(doc->findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_TRUE(kx::LineText(*doc, 1).startsWith("The BEX award is given"));
    EXPECT_DOUBLE_EQ(FormatAt(*doc, 1, 0).fontPointSize(), 9.0);
    // "\bullet  {\b ...": the first blank ends the control word, the second is text.
    EXPECT_TRUE(kx::LineText(*doc, 3).startsWith(QString(QChar(0x2022)) + " BEX Calculator"));
    EXPECT_TRUE(kx::LineText(*doc, kx::LineCount(*doc) - 1).startsWith("Kvadrix is free"));
    EXPECT_TRUE(FormatAt(*doc, kx::LineCount(*doc) - 1, 0).fontItalic());
}

TEST(RtfShippedInfo, LithuanianInfoTextHasItsLetters) {
    auto doc = Load("KXInfoLT.dat");
    ExpectCleanText(*doc);
    EXPECT_EQ(kx::LineText(*doc, 0), QString::fromUtf8("Kvadrix — BEX kvadratai radijo mėgėjams"));
    const QString all = Lines(*doc).join('\n');
    for (const char* word : {"ryšius", "skirtingų", "žurnalas", "Paraiška", "Tęsti", "sėkmės",
                             "skaičiuoklis", "rūšių"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(word))) << word;
}

TEST(RtfShippedTemplates, PlaceholdersAndMarkerAreLinesOfText) {
    for (const char* name : {"BEXApplication.rtf", "BEXApplicationLT.rtf"}) {
        SCOPED_TRACE(name);
        auto doc = Load(name);
        ExpectCleanText(*doc);
        const QString all = Lines(*doc).join('\n');
        for (const char* p : {"{cn} {cl} {scl} ", "{name}", "{call}", "{addr}", "{eaddr}",
                              "{version}", "{cnt}", "{date}"})
            EXPECT_TRUE(all.contains(p)) << p;
        const int marker = kx::FindLine(*doc, "{qsolist}");
        ASSERT_GT(marker, 0);
        EXPECT_EQ(Family(FormatAt(*doc, marker, 0)), "Courier New")
            << "the list lines take the marker's fixed-pitch font";
        EXPECT_LT(marker, 54) << "the list starts on the first page";
        EXPECT_EQ(kx::GetPageSetup(*doc), (kx::PageSetup{11906, 16838, 1418, 1134, 851, 851}));
        EXPECT_FALSE(all.contains("BEX Award Application")) << "the info title is not text";
    }
    EXPECT_EQ(kx::LineText(*Load("BEXApplicationLT.rtf"), 0),
              QString::fromUtf8("Paraiška BEX {cn} {cl} {scl} diplomui"));
}
