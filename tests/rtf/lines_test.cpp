// The document as lines: counting, reading, replacing, inserting, deleting, finding.
#include <gtest/gtest.h>

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

// Three lines: a centred bold navy heading whose second word is not bold, an empty
// line in Courier 10, a plain right-indented line.
std::unique_ptr<QTextDocument> Sample() {
    return ReadDoc(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
        "{\\colortbl;\\red0\\green0\\blue128;}"
        "\\pard\\qc\\sa120\\plain\\f0\\fs32\\b\\cf1 Heading\\b0  rest\\par"
        "\\pard\\plain\\f1\\fs20 \\par"
        "\\pard\\ri300\\plain\\f0\\fs24 Body text\\par}");
}

bool Bold(const QTextCharFormat& f) {
    return f.fontWeight() >= QFont::DemiBold;
}

}  // namespace

TEST(RtfLineRead, CountAndTextWithIndexesOutOfRange) {
    auto doc = Sample();
    EXPECT_EQ(kx::LineCount(*doc), 3);
    EXPECT_EQ(Lines(*doc), (QStringList{"Heading rest", "", "Body text"}));
    EXPECT_EQ(kx::LineText(*doc, -1), "");
    EXPECT_EQ(kx::LineText(*doc, 3), "");
    EXPECT_EQ(kx::LineText(*doc, 1 << 30), "");
    QTextDocument empty;
    EXPECT_EQ(kx::LineCount(empty), 1);
    EXPECT_EQ(kx::LineText(empty, 0), "");
}

TEST(RtfSetLineText, NewTextTakesTheFormatOfTheFirstCharacter) {
    auto doc = Sample();
    kx::SetLineText(doc.get(), 0, QString::fromUtf8("Paraiška BEX diplomui"));
    EXPECT_EQ(kx::LineText(*doc, 0), QString::fromUtf8("Paraiška BEX diplomui"));
    EXPECT_EQ(kxtest::RunCount(*doc, 0), 1) << "the line ends up in one character format";
    const QTextCharFormat f = FormatAt(*doc, 0, 15);
    EXPECT_TRUE(Bold(f));
    EXPECT_EQ(Family(f), "Arial");
    EXPECT_DOUBLE_EQ(f.fontPointSize(), 16.0);
    EXPECT_EQ(f.foreground().color(), QColor(0, 0, 128));
    // The paragraph format stays.
    EXPECT_EQ(BlockAt(*doc, 0).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(BlockAt(*doc, 0).bottomMargin(), 8.0);
    EXPECT_EQ(kx::LineCount(*doc), 3);
}

TEST(RtfSetLineText, EmptyLineUsesItsOwnFormatAndCanBeEmptiedAgain) {
    auto doc = Sample();
    kx::SetLineText(doc.get(), 1, "  1. B05");
    EXPECT_EQ(kx::LineText(*doc, 1), "  1. B05");
    EXPECT_EQ(Family(FormatAt(*doc, 1, 3)), "Courier New");
    EXPECT_DOUBLE_EQ(FormatAt(*doc, 1, 3).fontPointSize(), 10.0);
    kx::SetLineText(doc.get(), 2, "");
    EXPECT_EQ(kx::LineText(*doc, 2), "");
    EXPECT_EQ(kx::LineCount(*doc), 3);
    // The emptied line keeps its format for the next text written into it.
    kx::SetLineText(doc.get(), 2, "again");
    EXPECT_DOUBLE_EQ(FormatAt(*doc, 2, 1).fontPointSize(), 12.0);
}

TEST(RtfSetLineText, IndexesOutOfRangeChangeNothingAndBreaksBecomeBlanks) {
    auto doc = Sample();
    kx::SetLineText(doc.get(), -1, "x");
    kx::SetLineText(doc.get(), 3, "x");
    EXPECT_EQ(Lines(*doc), (QStringList{"Heading rest", "", "Body text"}));
    kx::SetLineText(doc.get(), 2, QString("a\r\nb\nc") + QChar(QChar::ParagraphSeparator) + "d");
    EXPECT_EQ(kx::LineCount(*doc), 3);
    EXPECT_EQ(kx::LineText(*doc, 2), "a  b c d");
}

TEST(RtfSetLineText, LineStartingWithAPictureGetsPlainText) {
    QTextDocument doc;
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    doc.addResource(QTextDocument::ImageResource, QUrl("mem:p"), image);
    QTextCursor c(&doc);
    QTextImageFormat f;
    f.setName("mem:p");
    f.setFontPointSize(14);
    c.insertImage(f);
    c.insertText("caption");
    kx::SetLineText(&doc, 0, "text");
    EXPECT_EQ(kx::LineText(doc, 0), "text");
    EXPECT_FALSE(FormatAt(doc, 0, 0).isImageFormat());
    EXPECT_DOUBLE_EQ(FormatAt(doc, 0, 0).fontPointSize(), 14.0);
}

TEST(RtfInsertLine, NewLineTakesTheFormatsAtTheStartOfLineI) {
    auto doc = Sample();
    kx::InsertLine(doc.get(), 0, "New first");
    EXPECT_EQ(Lines(*doc), (QStringList{"New first", "Heading rest", "", "Body text"}));
    EXPECT_TRUE(Bold(FormatAt(*doc, 0, 5)));
    EXPECT_DOUBLE_EQ(FormatAt(*doc, 0, 5).fontPointSize(), 16.0);
    EXPECT_EQ(BlockAt(*doc, 0).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    // The old line keeps its own text and formats.
    EXPECT_EQ(kxtest::RunCount(*doc, 1), 2);
    EXPECT_TRUE(Bold(FormatAt(*doc, 1, 0)));
    EXPECT_FALSE(Bold(FormatAt(*doc, 1, 9)));
    EXPECT_EQ(BlockAt(*doc, 1).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    kx::InsertLine(doc.get(), 2, "list line");  // before the empty Courier line
    EXPECT_EQ(kx::LineText(*doc, 2), "list line");
    EXPECT_EQ(Family(FormatAt(*doc, 2, 0)), "Courier New");
    EXPECT_EQ(kx::LineText(*doc, 3), "");
    EXPECT_EQ(Family(doc->findBlockByNumber(3).charFormat()), "Courier New");

    kx::InsertLine(doc.get(), 5, "before body");
    EXPECT_EQ(kx::LineText(*doc, 5), "before body");
    EXPECT_DOUBLE_EQ(BlockAt(*doc, 5).rightMargin(), 20.0);
}

TEST(RtfInsertLine, IndexesBelowZeroOrPastTheEndInsertNothing) {
    auto doc = Sample();
    kx::InsertLine(doc.get(), -1, "x");
    kx::InsertLine(doc.get(), 4, "x");
    kx::InsertLine(doc.get(), 1 << 30, "x");
    EXPECT_EQ(Lines(*doc), (QStringList{"Heading rest", "", "Body text"}));
}

TEST(RtfInsertLine, AtTheCountAppendsInTheFormatOfTheEnd) {
    auto doc = Sample();
    kx::InsertLine(doc.get(), 3, "appended");
    EXPECT_EQ(Lines(*doc), (QStringList{"Heading rest", "", "Body text", "appended"}));
    EXPECT_DOUBLE_EQ(FormatAt(*doc, 3, 0).fontPointSize(), 12.0);
    EXPECT_DOUBLE_EQ(BlockAt(*doc, 3).rightMargin(), 20.0);
}

TEST(RtfInsertLine, BreaksInTheTextStayInOneLine) {
    auto doc = Sample();
    kx::InsertLine(doc.get(), 1, "a\nb");
    EXPECT_EQ(kx::LineCount(*doc), 4);
    EXPECT_EQ(kx::LineText(*doc, 1), "a b");
}

TEST(RtfInsertLine, ManyInsertionsKeepTheMarkerAfterTheList) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\pard\\f0 head\\par"
        "\\pard\\plain\\f1\\fs20 \\{qsolist\\}\\par\\pard\\plain\\f0 tail\\par}");
    int k = kx::FindLine(*doc, "{qsolist}");
    ASSERT_EQ(k, 1);
    for (int i = 0; i < 200; ++i) kx::InsertLine(doc.get(), k++, QString("line %1").arg(i));
    EXPECT_EQ(kx::LineCount(*doc), 203);
    EXPECT_EQ(kx::FindLine(*doc, "{qsolist}"), 201);
    EXPECT_EQ(kx::LineText(*doc, 200), "line 199");
    EXPECT_EQ(Family(FormatAt(*doc, 200, 0)), "Courier New");
    EXPECT_EQ(kx::LineText(*doc, 202), "tail");
}

TEST(RtfDeleteLine, MiddleFirstAndLast) {
    auto doc = Sample();
    kx::DeleteLine(doc.get(), 1);
    EXPECT_EQ(Lines(*doc), (QStringList{"Heading rest", "Body text"}));
    EXPECT_DOUBLE_EQ(BlockAt(*doc, 1).rightMargin(), 20.0) << "the next line moves up unchanged";
    EXPECT_DOUBLE_EQ(FormatAt(*doc, 1, 0).fontPointSize(), 12.0);

    auto doc2 = Sample();
    kx::DeleteLine(doc2.get(), 2);
    EXPECT_EQ(Lines(*doc2), (QStringList{"Heading rest", ""}));
    EXPECT_EQ(Family(doc2->findBlockByNumber(1).charFormat()), "Courier New")
        << "the line before the deleted last line keeps its format";
    EXPECT_DOUBLE_EQ(BlockAt(*doc2, 1).rightMargin(), 0.0);

    kx::DeleteLine(doc2.get(), 0);
    EXPECT_EQ(Lines(*doc2), QStringList{""});
    EXPECT_EQ(BlockAt(*doc2, 0).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST(RtfDeleteLine, OnlyLineLeavesOneEmptyLineAndOutOfRangeDeletesNothing) {
    auto doc = Sample();
    kx::DeleteLine(doc.get(), -1);
    kx::DeleteLine(doc.get(), 3);
    EXPECT_EQ(kx::LineCount(*doc), 3);
    for (int i = 0; i < 5; ++i) kx::DeleteLine(doc.get(), 0);
    EXPECT_EQ(Lines(*doc), QStringList{""});
}

TEST(RtfDeleteLine, MarkerReplacedByABlankLine) {
    // The award list's last step: the marker line goes, a line of two blanks takes its place
    // in the marker's format.
    auto doc = ReadDoc(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\pard\\f0 head\\par"
        "\\pard\\plain\\f1\\fs20 \\{QSOLIST\\}\\par\\pard\\plain\\f0 tail\\par}");
    const int k = kx::FindLine(*doc, "{qsolist}");
    kx::DeleteLine(doc.get(), k);
    kx::InsertLine(doc.get(), k, "  ");
    EXPECT_EQ(Lines(*doc), (QStringList{"head", "  ", "tail"}));
    EXPECT_EQ(Family(FormatAt(*doc, 1, 0)), "Arial") << "formats of the line that now is at k";
}

TEST(RtfFindLine, WholeLineWithoutRegardToCase) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi\\ansicpg1257 x {qsolist}\\par \\{QsoList\\}\\par "
        "\\'d0IAULIAI\\par \\{qsolist\\}\\par}");
    EXPECT_EQ(kx::FindLine(*doc, "{qsolist}"), 1);
    EXPECT_EQ(kx::FindLine(*doc, "{QSOLIST}"), 1);
    EXPECT_EQ(kx::FindLine(*doc, QString::fromUtf8("šiauliai")), 2);
    EXPECT_EQ(kx::FindLine(*doc, "{qsolist"), -1) << "a part of a line is no match";
    EXPECT_EQ(kx::FindLine(*doc, "missing"), -1);
    EXPECT_EQ(kx::FindLine(*doc, ""), -1);
    kx::SetLineText(doc.get(), 1, "");
    EXPECT_EQ(kx::FindLine(*doc, ""), 1);
    EXPECT_EQ(kx::FindLine(*doc, "{qsolist}"), 3);
}
