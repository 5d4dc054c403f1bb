// Read -> write -> read keeps the lines, the character and paragraph formats, tables,
// pictures and page breaks; what the writer produces is plain 7-bit RTF.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTextImageFormat>
#include <QUrl>

#include "RtfTestSupport.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"

using kxtest::BlockAt;
using kxtest::Family;
using kxtest::FormatAt;
using kxtest::Lines;
using kxtest::ReadDoc;
using kxtest::RoundTrip;

namespace {

QByteArray DataFile(const char* name) {
    QFile f(QStringLiteral(KX_DATA_DIR "/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// The character format properties the program cares about, one text per run.
// Font and size are the document's default where a run names none.
QStringList RunFormats(const QTextDocument& doc) {
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QString family = Family(f).isEmpty() ? doc.defaultFont().family() : Family(f);
            const qreal points =
                f.fontPointSize() > 0 ? f.fontPointSize() : doc.defaultFont().pointSizeF();
            QString s = it.fragment().text() + "|" + family + "|" + QString::number(points) + "|" +
                        (f.fontWeight() >= QFont::DemiBold ? "b" : "") +
                        (f.fontItalic() ? "i" : "") + (f.fontUnderline() ? "u" : "") +
                        (f.fontStrikeOut() ? "s" : "") + "|" +
                        QString::number(static_cast<int>(f.verticalAlignment()));
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                s += "|fg" + f.foreground().color().name();
            if (f.hasProperty(QTextFormat::BackgroundBrush))
                s += "|bg" + f.background().color().name();
            out << s;
        }
    }
    return out;
}

QStringList BlockFormats(const QTextDocument& doc) {
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat f = b.blockFormat();
        QString s = QString::number(static_cast<int>(f.alignment() & Qt::AlignHorizontal_Mask)) +
                    " " + QString::number(f.leftMargin()) + " " + QString::number(f.rightMargin()) +
                    " " + QString::number(f.textIndent()) + " " + QString::number(f.topMargin()) +
                    " " + QString::number(f.bottomMargin()) + " " +
                    QString::number(f.lineHeightType()) + ":" + QString::number(f.lineHeight());
        for (const auto& t : f.tabPositions())
            s += " t" + QString::number(t.position) + ":" + QString::number(t.type);
        if (f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) s += " pagebb";
        out << s;
    }
    return out;
}

void ExpectSameDocument(const QTextDocument& a, const QTextDocument& b) {
    EXPECT_EQ(Lines(a), Lines(b));
    EXPECT_EQ(RunFormats(a), RunFormats(b));
    EXPECT_EQ(BlockFormats(a), BlockFormats(b));
    EXPECT_EQ(kx::GetPageSetup(a), kx::GetPageSetup(b));
}

bool SevenBit(const QByteArray& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

TEST(RtfRoundTrip, LithuanianLettersStayAndGoOutAsWindows1257) {
    const QString text = QString::fromUtf8("Šiauliai, Žemaitija: ąčęėįšųūž ĄČĘĖĮŠŲŪŽ „—“ €");
    QTextDocument doc;
    doc.setPlainText(text);
    const QByteArray rtf = kx::WriteRtf(doc);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1257"));
    EXPECT_TRUE(rtf.contains("\\fcharset186"));
    EXPECT_TRUE(rtf.contains("\\'d0iauliai"));
    EXPECT_FALSE(QString::fromLatin1(rtf).contains(QRegularExpression(R"(\\u-?\d)")))
        << "every letter is in Windows-1257";
    EXPECT_TRUE(SevenBit(rtf));
    EXPECT_EQ(Lines(*RoundTrip(doc)), QStringList{text});
}

TEST(RtfRoundTrip, TextOutsideWindows1257GoesOutAsUnicode) {
    const QString text = QString::fromUtf8("Жук Ωμέγα ☺ 😀 ŁĄ");
    QTextDocument doc;
    doc.setPlainText(text);
    const QByteArray rtf = kx::WriteRtf(doc);
    EXPECT_TRUE(rtf.contains("\\u1046?"));
    EXPECT_TRUE(SevenBit(rtf));
    EXPECT_EQ(Lines(*RoundTrip(doc)), QStringList{text});
}

TEST(RtfRoundTrip, SpecialCharactersAndBlanks) {
    // Leading, doubled and trailing blanks matter to the award list's columns.
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QString("  1. B05  LY1AB         20M CW     2009-01-15  12:00"));
    c.insertBlock();
    c.insertText(QString("\\{braces}\t") + QChar(0xA0) + QChar(0xAD) + QChar(0x2011) + "  ");
    c.insertText(QString(QChar(QChar::LineSeparator)) + "next");
    c.insertBlock();
    c.insertBlock();
    c.insertText("12 starts with a digit");
    auto back = RoundTrip(doc);
    EXPECT_EQ(Lines(*back), Lines(doc));
}

TEST(RtfRoundTrip, CharacterFormats) {
    QTextDocument doc;
    QTextCursor c(&doc);
    auto run = [&c](const QString& text, auto&& setup) {
        QTextCharFormat f;
        f.setFontFamilies({"Arial"});
        f.setFontPointSize(12);
        setup(f);
        c.insertText(text, f);
    };
    run("plain ", [](QTextCharFormat&) {});
    run("bold ", [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); });
    run("italic ", [](QTextCharFormat& f) { f.setFontItalic(true); });
    run("under ", [](QTextCharFormat& f) { f.setFontUnderline(true); });
    run("strike ", [](QTextCharFormat& f) { f.setFontStrikeOut(true); });
    run("big ", [](QTextCharFormat& f) { f.setFontPointSize(15.5); });
    run("mono ", [](QTextCharFormat& f) { f.setFontFamilies({"Courier New"}); });
    run(QString::fromUtf8("šrifto "),
        [](QTextCharFormat& f) { f.setFontFamilies({QString::fromUtf8("Šrifta")}); });
    run("red ", [](QTextCharFormat& f) { f.setForeground(QColor(200, 0, 0)); });
    run("marked ", [](QTextCharFormat& f) {
        f.setForeground(QColor(0, 0, 128));
        f.setBackground(QColor(255, 255, 0));
    });
    run("2", [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
    run("x", [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); });
    const QByteArray rtf = kx::WriteRtf(doc);
    auto back = ReadDoc(rtf);
    ExpectSameDocument(doc, *back);
    EXPECT_EQ(kxtest::RunCount(*back, 0), 12);
    // Raised and lowered runs are groups of their own: LibreOffice loses the rest of the
    // paragraph when a \plain ends a \super.
    EXPECT_TRUE(rtf.contains("\\super 2}")) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\sub x}")) << rtf.toStdString();
}

TEST(RtfRoundTrip, ParagraphFormats) {
    QTextDocument doc;
    QTextCursor c(&doc);
    auto para = [&c](const QString& text, auto&& setup, bool first = false) {
        QTextBlockFormat f;
        setup(f);
        if (first)
            c.setBlockFormat(f);
        else
            c.insertBlock(f);
        c.insertText(text);
    };
    para(
        "left", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignLeft); }, true);
    para("centre", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignHCenter); });
    para("right", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignRight); });
    para("justified", [](QTextBlockFormat& f) { f.setAlignment(Qt::AlignJustify); });
    para("indented", [](QTextBlockFormat& f) {
        f.setLeftMargin(20);
        f.setRightMargin(10);
        f.setTextIndent(-10);
        f.setTopMargin(4);
        f.setBottomMargin(8);
    });
    para("spaced",
         [](QTextBlockFormat& f) { f.setLineHeight(150, QTextBlockFormat::ProportionalHeight); });
    para("fixed", [](QTextBlockFormat& f) { f.setLineHeight(20, QTextBlockFormat::FixedHeight); });
    para("tabs\tat\tstops", [](QTextBlockFormat& f) {
        f.setTabPositions({QTextOption::Tab(100, QTextOption::LeftTab),
                           QTextOption::Tab(200, QTextOption::RightTab),
                           QTextOption::Tab(300, QTextOption::CenterTab)});
    });
    para("new page",
         [](QTextBlockFormat& f) { f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore); });
    ExpectSameDocument(doc, *RoundTrip(doc));
}

TEST(RtfRoundTrip, EmptyLinesKeepTheirCharacterFormat) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}{\\f1 Courier New;}}"
        "\\pard\\f0\\fs24 a\\par\\pard\\plain\\f1\\fs20\\b \\par\\pard\\f0 b\\par}");
    ASSERT_EQ(Lines(*doc), (QStringList{"a", "", "b"}));
    EXPECT_EQ(Family(doc->findBlockByNumber(1).charFormat()), "Courier New");
    auto back = RoundTrip(*doc);
    const QTextCharFormat f = back->findBlockByNumber(1).charFormat();
    EXPECT_EQ(Family(f), "Courier New");
    EXPECT_DOUBLE_EQ(f.fontPointSize(), 10.0);
    EXPECT_GE(f.fontWeight(), QFont::Bold);
}

TEST(RtfRoundTrip, TablesStayTabSeparatedLines) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi\\ansicpg1257\\trowd\\cellx1500\\cellx3000\\cellx4500\\pard\\intbl "
        "\\'d0iauliai\\cell K26\\cell 2009\\cell\\row\\pard end\\par}");
    auto back = RoundTrip(*doc);
    EXPECT_EQ(Lines(*back), (QStringList{QString::fromUtf8("Šiauliai\tK26\t2009"), "end"}));
    ExpectSameDocument(*doc, *back);
}

TEST(RtfRoundTrip, PictureKeepsItsPixelsAndSize) {
    QImage image(5, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) image.setPixel(x, y, qRgb(x * 50, y * 60, 128));
    QTextDocument doc;
    doc.addResource(QTextDocument::ImageResource, QUrl("mem:pic"), image);
    QTextCursor c(&doc);
    c.insertText("before ");
    QTextImageFormat f;
    f.setName("mem:pic");
    f.setWidth(50);
    f.setHeight(40);
    c.insertImage(f);
    c.insertText(" after");
    const QByteArray rtf = kx::WriteRtf(doc);
    EXPECT_TRUE(rtf.contains("\\pngblip"));
    auto back = ReadDoc(rtf);
    EXPECT_EQ(Lines(*back), Lines(doc));
    const QTextCharFormat imf = FormatAt(*back, 0, 7);
    ASSERT_TRUE(imf.isImageFormat());
    EXPECT_DOUBLE_EQ(imf.toImageFormat().width(), 50.0);
    EXPECT_DOUBLE_EQ(imf.toImageFormat().height(), 40.0);
    const QImage read =
        back->resource(QTextDocument::ImageResource, QUrl(imf.toImageFormat().name()))
            .value<QImage>();
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), image);
}

TEST(RtfRoundTrip, PageBreakLinesAndPageSetup) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi\\paperw16838\\paperh11906\\margl1000\\margr900\\margt800\\margb700 "
        "one\\par\\page two\\par}");
    ASSERT_EQ(Lines(*doc), (QStringList{"one", kx::kPageBreakLine, "two"}));
    const QByteArray rtf = kx::WriteRtf(*doc);
    EXPECT_TRUE(rtf.contains("\\page"));
    EXPECT_FALSE(rtf.contains('\f'));
    ExpectSameDocument(*doc, *ReadDoc(rtf));
}

TEST(RtfRoundTrip, ShippedTemplatesAndInfoTexts) {
    for (const char* name :
         {"BEXApplication.rtf", "BEXApplicationLT.rtf", "KXInfo.dat", "KXInfoLT.dat"}) {
        SCOPED_TRACE(name);
        const QByteArray bytes = DataFile(name);
        ASSERT_FALSE(bytes.isEmpty());
        auto doc = ReadDoc(bytes);
        auto back = RoundTrip(*doc);
        ExpectSameDocument(*doc, *back);
        // Writing again gives the same bytes: nothing drifts from one save to the next.
        EXPECT_EQ(kx::WriteRtf(*back), kx::WriteRtf(*doc));
    }
}

TEST(RtfRoundTrip, EditedTemplateAfterLineOperations) {
    auto doc = ReadDoc(DataFile("BEXApplicationLT.rtf"));
    const int marker = kx::FindLine(*doc, "{qsolist}");
    ASSERT_GT(marker, 0);
    kx::InsertLine(doc.get(), marker, QString::fromUtf8("  1. K26  LY2ŠŽ         20M CW"));
    kx::InsertLine(doc.get(), marker + 1, kx::kPageBreakLine);
    kx::SetLineText(doc.get(), 0, QString::fromUtf8("Paraiška BEX 100 diplomui"));
    auto back = RoundTrip(*doc);
    ExpectSameDocument(*doc, *back);
}

TEST(RtfSaveLoad, FilesRoundTripAndReportTheirFailures) {
    const std::string dir = ::testing::TempDir();
    const std::string path = dir + "kvadrix_rtf_saveload.rtf";
    QTextDocument doc;
    doc.setPlainText(QString::fromUtf8("Šiauliai\nŽemaitija"));
    kx::SaveRtfFile(doc, path);
    QTextDocument loaded;
    kx::LoadRtfFile(&loaded, path);
    EXPECT_EQ(Lines(loaded), Lines(doc));
    std::remove(path.c_str());
    EXPECT_THROW(kx::LoadRtfFile(&loaded, path), kx::FileOpenError);
    EXPECT_EQ(Lines(loaded), Lines(doc)) << "a failed load leaves the document as it was";
    EXPECT_THROW(kx::SaveRtfFile(doc, dir + "no/such/folder/x.rtf"), kx::FileWriteError);
}
