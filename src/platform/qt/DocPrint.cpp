#include "platform/qt/DocPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <algorithm>
#include <cmath>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/Messages.h"
#include "platform/qt/Rtf.h"
#include "platform/qt/RtfLines.h"

namespace kx {
namespace {

// RTF's own defaults when a document names no margins: 1.25 in left and right, 1 in top
// and bottom.
constexpr int kDefaultSideMargin = 1800;
constexpr int kDefaultTopMargin = 1440;

std::string Bytes(const QString& s) {
    std::string out;
    for (char32_t c : s.toUcs4()) {
        const int b = UnicodeToCp1257(c);
        out += static_cast<char>(b >= 0 ? b : '?');
    }
    return out;
}

void ApplyPageSetup(const QTextDocument& doc, QPrinter* printer) {
    const PageSetup p = GetPageSetup(doc);
    QPageSize size = printer->pageLayout().pageSize();
    QPageLayout::Orientation orientation = printer->pageLayout().orientation();
    if (p.paperWidth > 0 && p.paperHeight > 0) {
        // The size goes in upright; a paper wider than high is the landscape orientation of
        // it (a landscape QPageSize alone would be matched to the upright standard size).
        const qreal w = p.paperWidth / 20.0, h = p.paperHeight / 20.0;
        size = QPageSize(QSizeF(std::min(w, h), std::max(w, h)), QPageSize::Point);
        orientation = w > h ? QPageLayout::Landscape : QPageLayout::Portrait;
    } else if (printer->outputFormat() == QPrinter::PdfFormat) {
        size = QPageSize(QPageSize::A4);
        orientation = QPageLayout::Portrait;
    }
    auto margin = [](int twips, int fallback) { return (twips > 0 ? twips : fallback) / 20.0; };
    const QMarginsF margins(
        margin(p.marginLeft, kDefaultSideMargin), margin(p.marginTop, kDefaultTopMargin),
        margin(p.marginRight, kDefaultSideMargin), margin(p.marginBottom, kDefaultTopMargin));
    QPageLayout layout(size, orientation, margins, QPageLayout::Point);
    if (!printer->setPageLayout(layout)) {
        // Margins narrower than the printer can print: its smallest ones there instead.
        printer->setPageSize(size);
        printer->setPageOrientation(orientation);
        QPageLayout current = printer->pageLayout();
        current.setUnits(QPageLayout::Point);
        const QMarginsF least = current.minimumMargins();
        printer->setPageMargins(
            QMarginsF(std::max(margins.left(), least.left()), std::max(margins.top(), least.top()),
                      std::max(margins.right(), least.right()),
                      std::max(margins.bottom(), least.bottom())),
            QPageLayout::Point);
    }
}

}  // namespace

std::unique_ptr<QTextDocument> PrintableCopy(const QTextDocument& doc) {
    std::unique_ptr<QTextDocument> copy(doc.clone());
    copy->setUndoRedoEnabled(false);
    // Form-feed lines at the end would only print empty pages.
    while (copy->blockCount() > 1 && copy->lastBlock().text() == kPageBreakLine)
        DeleteLine(copy.get(), copy->blockCount() - 1);
    if (copy->blockCount() == 1 && copy->firstBlock().text() == kPageBreakLine)
        SetLineText(copy.get(), 0, QString());
    for (QTextBlock b = copy->begin(); b.isValid(); b = b.next()) {
        if (b.text() != kPageBreakLine) continue;
        QTextCursor c(b);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        QTextBlockFormat f = b.blockFormat();
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        f.setLineHeight(0, QTextBlockFormat::FixedHeight);
        f.setTopMargin(0);
        f.setBottomMargin(0);
        c.setBlockFormat(f);
    }
    return copy;
}

namespace {

// The most pages a document may fill: far more than an application of every square, and
// far below what the layout's numbers hold at the printer's resolution (there a layout
// can run for ever instead of ending).
constexpr int kMaxPrintedPages = 500;

// A generous upper estimate of the document's height in points, from its text alone
// (before any layout): each paragraph as many lines as its letters could fill, were each
// as wide as it is high, and each line one and a half times its biggest letters.
qreal EstimatedHeight(const QTextDocument& doc, qreal lineWidth) {
    qreal total = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        auto sizeOf = [](const QTextCharFormat& f) {
            if (f.isImageFormat()) return f.toImageFormat().height() * 0.75;  // 96 dpi
            return f.fontPointSize() > 0 ? f.fontPointSize() : 12.0;
        };
        qreal biggest = sizeOf(b.charFormat()), width = 0;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const qreal size = sizeOf(f.charFormat());
            biggest = std::max(biggest, size);
            width += f.length() * size;
        }
        total += (1 + std::floor(width / std::max<qreal>(lineWidth, 1))) * biggest * 1.5;
    }
    return total;
}

// Whether the layout holds every paragraph on its pages: each one below the one before
// and within the pages. A document too tall for the layout's numbers (a long one, or
// letters of 1,600 points at the printer's resolution) comes out of it folded over,
// paragraphs at negative heights and a page count of nothing.
bool LaidOutWhole(const QTextDocument& doc, int pages, qreal pageHeight) {
    if (pages < 1) return false;
    const QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const qreal bottom = pages * pageHeight + 1;
    qreal top = -1;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QRectF r = layout->blockBoundingRect(b);
        if (r.top() < top || r.bottom() > bottom) return false;
        top = r.top();
    }
    return true;
}

}  // namespace

int PrintOn(const QTextDocument& doc, QPrinter* printer) {
    ApplyPageSetup(doc, printer);
    std::unique_ptr<QTextDocument> copy = PrintableCopy(doc);
    // Measured before the first layout: a layout beyond its numbers may never end.
    const QRectF area = printer->pageLayout().paintRect(QPageLayout::Point);
    if (EstimatedHeight(*copy, area.width()) > kMaxPrintedPages * area.height())
        throw KxError(CpMessage(Msg::DocumentDoesNotFitPages));
    // Lay the document out for the printer itself, one page per printable area.
    QAbstractTextDocumentLayout* layout = copy->documentLayout();
    layout->setPaintDevice(printer);
    copy->setDocumentMargin(0);
    const QSizeF page(printer->width(), printer->height());
    copy->setPageSize(page);
    const int pages = copy->pageCount();
    // Nothing is printed of a document the pages cannot hold whole.
    if (!LaidOutWhole(*copy, pages, page.height()))
        throw KxError(CpMessage(Msg::DocumentDoesNotFitPages));
    QPainter painter;
    if (!painter.begin(printer))
        throw KxError(CpMessage(Msg::PrinterCannotStart, {Bytes(printer->printerName())}));
    for (int i = 0; i < pages; ++i) {
        if (i > 0) printer->newPage();
        painter.save();
        const QRectF view(0, i * page.height(), page.width(), page.height());
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&painter, context);
        painter.restore();
    }
    if (!painter.end()) throw KxError(CpMessage(Msg::PrintingFailed));
    return pages;
}

bool HasCurrentPrinter() {
    return !QPrinterInfo::defaultPrinterName().isEmpty() ||
           !QPrinterInfo::availablePrinterNames().isEmpty();
}

void PrintOnCurrentPrinter(const QTextDocument& doc, const QString& jobTitle) {
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        if (names.isEmpty()) throw NoPrinterError(CpMessage(Msg::NoPrinter));
        info = QPrinterInfo::printerInfo(names.first());
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobTitle);
    printer.setCreator(QString());
    PrintOn(doc, &printer);
    if (printer.printerState() == QPrinter::Error)
        throw KxError(CpMessage(Msg::PrintingOnFailed, {Bytes(info.printerName())}));
}

void PrintToPdf(const QTextDocument& doc, const std::string& path) {
    // QPrinter takes a QString file name, which would not keep the path's bytes (and it
    // says nothing about a file it cannot create): the PDF goes to a temporary file first,
    // then its bytes replace the file at path as every other file of the program is written.
    QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/kvadrix-XXXXXX.pdf"));
    if (!temp.open())
        throw FileWriteError(path, CpMessage(Msg::PdfNoTemporaryFile, {Bytes(temp.errorString())}));
    temp.close();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(temp.fileName());
    printer.setDocName(QString());
    printer.setCreator(QStringLiteral("Kvadrix"));
    try {
        PrintOn(doc, &printer);
    } catch (const KxError& e) {
        throw FileWriteError(path, CpMessage(Msg::PdfNotWritten) + " " + e.what());
    }
    QFile pdf(temp.fileName());
    QByteArray bytes;
    if (pdf.open(QIODevice::ReadOnly)) bytes = pdf.readAll();
    if (bytes.isEmpty()) throw FileWriteError(path, CpMessage(Msg::PdfNotWritten));
    WriteFileAtomic(path, bytes.toStdString());
}

}  // namespace kx
