// Printing to PDF: form-feed lines start pages, page setup from the document, texts on the
// right pages. Page counts and texts are checked with pdfinfo / pdftotext (poppler-utils);
// the tests are skipped where those are not installed.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocument>
#include <filesystem>

#include "RtfTestSupport.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/qt/DocPrint.h"
#include "support/TempFolder.h"

using kxtest::ReadDoc;

namespace {

bool HavePoppler() {
    return !QStandardPaths::findExecutable("pdfinfo").isEmpty() &&
           !QStandardPaths::findExecutable("pdftotext").isEmpty();
}

QString RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int PageCount(const std::string& pdf) {
    const QString info = RunTool("pdfinfo", {QString::fromStdString(pdf)});
    const auto m = QRegularExpression(R"(Pages:\s+(\d+))").match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Page width and height in points, rounded.
QString PageSize(const std::string& pdf) {
    const QString info = RunTool("pdfinfo", {QString::fromStdString(pdf)});
    const auto m = QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+))").match(info);
    if (!m.hasMatch()) return {};
    return QString::number(qRound(m.captured(1).toDouble())) + " x " +
           QString::number(qRound(m.captured(2).toDouble()));
}

QString PageText(const std::string& pdf, int page) {
    return RunTool("pdftotext", {"-f", QString::number(page), "-l", QString::number(page),
                                 "-layout", QString::fromStdString(pdf), "-"});
}

std::unique_ptr<QTextDocument> FromLines(const QStringList& lines) {
    auto doc = std::make_unique<QTextDocument>();
    kx::SetLineText(doc.get(), 0, lines.value(0));
    for (int i = 1; i < lines.size(); ++i) kx::InsertLine(doc.get(), i, lines[i]);
    return doc;
}

class RtfPrint : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HavePoppler()) GTEST_SKIP() << "pdfinfo/pdftotext (poppler-utils) not installed";
    }
    kxtest::TempFolder folder_;
    std::string pdf_ = folder_.file("out.pdf");
};

}  // namespace

TEST_F(RtfPrint, FormFeedLineStartsASecondPage) {
    auto doc = FromLines({"First page text", kx::kPageBreakLine, "Second page text"});
    kx::PrintToPdf(*doc, pdf_);
    ASSERT_EQ(PageCount(pdf_), 2);
    EXPECT_TRUE(PageText(pdf_, 1).contains("First page text"));
    EXPECT_FALSE(PageText(pdf_, 1).contains("Second"));
    EXPECT_TRUE(PageText(pdf_, 2).contains("Second page text"));
    // Printing works on a copy: the document keeps its form-feed line.
    EXPECT_EQ(kx::LineText(*doc, 1), kx::kPageBreakLine);
}

TEST_F(RtfPrint, PageBreakReadFromRtfAndLithuanianText) {
    auto doc = ReadDoc(
        "{\\rtf1\\ansi\\ansicpg1257{\\fonttbl{\\f0\\fcharset186 DejaVu Sans;}}\\f0 "
        "\\'d0iauliai \\'fe\\'e8\\par\\page Kaunas\\par\\page Vilnius\\par}");
    kx::PrintToPdf(*doc, pdf_);
    ASSERT_EQ(PageCount(pdf_), 3);
    EXPECT_TRUE(PageText(pdf_, 1).contains(QString::fromUtf8("Šiauliai žč")));
    EXPECT_TRUE(PageText(pdf_, 2).contains("Kaunas"));
    EXPECT_TRUE(PageText(pdf_, 3).contains("Vilnius"));
}

TEST_F(RtfPrint, NoBreakIsOnePageAndTrailingBreaksAddNoEmptyPage) {
    kx::PrintToPdf(*FromLines({"only", "lines"}), pdf_);
    EXPECT_EQ(PageCount(pdf_), 1);
    kx::PrintToPdf(*FromLines({"text", kx::kPageBreakLine, kx::kPageBreakLine}), pdf_);
    EXPECT_EQ(PageCount(pdf_), 1);
    kx::PrintToPdf(*FromLines({kx::kPageBreakLine}), pdf_);
    EXPECT_EQ(PageCount(pdf_), 1);
}

TEST_F(RtfPrint, TheFormFeedLineTakesNoRoomOnTheNewPage) {
    // Page-header layout of the application: break, page number, blank, then the list.
    auto doc = FromLines(
        {"page one", kx::kPageBreakLine, "                         -2- ", "  ", "  35. B05"});
    kx::PrintToPdf(*doc, pdf_);
    ASSERT_EQ(PageCount(pdf_), 2);
    const QStringList page2 = PageText(pdf_, 2).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(page2.isEmpty());
    EXPECT_TRUE(page2.first().contains("-2-")) << page2.join("|").toStdString();
}

TEST_F(RtfPrint, LongDocumentsFlowOntoMorePages) {
    QStringList lines;
    for (int i = 1; i <= 150; ++i) lines << QString("Line number %1").arg(i);
    kx::PrintToPdf(*FromLines(lines), pdf_);
    const int pages = PageCount(pdf_);
    ASSERT_GE(pages, 2);
    EXPECT_TRUE(PageText(pdf_, pages).contains("Line number 150"));
    EXPECT_TRUE(PageText(pdf_, 1).contains("Line number 1\n") ||
                PageText(pdf_, 1).contains("Line number 1 "));
}

TEST_F(RtfPrint, PaperSizeFromTheDocumentOrA4) {
    kx::PrintToPdf(*FromLines({"x"}), pdf_);
    EXPECT_EQ(PageSize(pdf_), "595 x 842");
    auto landscape = ReadDoc("{\\rtf1\\ansi\\paperw16838\\paperh11906 wide}");
    kx::PrintToPdf(*landscape, pdf_);
    EXPECT_EQ(PageSize(pdf_), "842 x 595")
        << RunTool("pdfinfo", {QString::fromStdString(pdf_)}).toStdString();
}

TEST_F(RtfPrint, ADocumentThePagesCannotHoldIsAnErrorAndNoPdf) {
    // 5,000 pages of one line in letters of 500 points: more than the layout can count at
    // the printer's resolution. A PDF of it would hold no page of the document.
    auto doc = ReadDoc("{\\rtf1\\ansi\\fs1000 " + QByteArray("x\\par ").repeated(5'000) + "}");
    folder_.write("out.pdf", "old");
    try {
        kx::PrintToPdf(*doc, pdf_);
        ADD_FAILURE() << "printed";
    } catch (const kx::FileWriteError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot be laid out on pages"), std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(folder_.read("out.pdf") == "old");
    // A long document that fits is printed whole: its last line on its last page.
    auto tall = ReadDoc("{\\rtf1\\ansi\\fs100 " + QByteArray("x\\par ").repeated(60) + "end}");
    kx::PrintToPdf(*tall, pdf_);
    EXPECT_TRUE(PageText(pdf_, PageCount(pdf_)).contains("end"));
}

TEST_F(RtfPrint, UnwritableFileIsAFileWriteError) {
    EXPECT_THROW(kx::PrintToPdf(*FromLines({"x"}), folder_.file("missing/dir/out.pdf")),
                 kx::FileWriteError);
}

TEST_F(RtfPrint, PathBytesAreTheFileNameAsForEveryOtherFile) {
    // "Paraiška.pdf" in Windows-1257: the file gets exactly these bytes as its name, as the
    // RTF file of the same save would.
    const std::string path = folder_.file("Parai\xF0ka.pdf");
    kx::PrintToPdf(*FromLines({"x"}), path);
    EXPECT_TRUE(std::filesystem::exists(path));
    const std::string bytes = folder_.read("Parai\xF0ka.pdf");
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder_.dir()))
        ++files;
    EXPECT_EQ(files, 1) << "no other file beside it";
}

TEST(RtfPrintCopy, FormFeedLinesBecomeEmptyBreakParagraphs) {
    auto doc = FromLines({"a", kx::kPageBreakLine, "b", kx::kPageBreakLine});
    auto copy = kx::PrintableCopy(*doc);
    EXPECT_EQ(kxtest::Lines(*copy), (QStringList{"a", "", "b"}));
    EXPECT_TRUE(copy->findBlockByNumber(1).blockFormat().pageBreakPolicy() &
                QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(kxtest::Lines(*doc).size(), 4);
}

TEST(RtfPrintCurrentPrinter, WithoutAPrinterItSaysSo) {
    if (kx::HasCurrentPrinter()) GTEST_SKIP() << "this machine has a printer";
    try {
        kx::PrintOnCurrentPrinter(*FromLines({"x"}));
        FAIL() << "no error";
    } catch (const kx::KxError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "No printer is installed. Install a printer in the system settings to print.");
    }
}

TEST_F(RtfPrint, FailedWriteLeavesTheOldFileWhole) {
    folder_.write("out.pdf", "old contents");
    kx::WriteFaultHook = [](const std::string&) { return false; };
    EXPECT_THROW(kx::PrintToPdf(*FromLines({"x"}), pdf_), kx::FileWriteError);
    kx::WriteFaultHook = nullptr;
    EXPECT_EQ(folder_.read("out.pdf"), "old contents");
}
