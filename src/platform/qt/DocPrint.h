// Printing rich-text documents: on the system's current printer without a dialog, or to
// a PDF file. A line whose whole text is a form feed (kPageBreakLine) starts a new page
// and takes no room itself; form-feed lines at the very end print nothing. The page size
// and margins are the document's (GetPageSetup, from its RTF file) where it has them,
// else A4 with the RTF default margins. Text wraps at the page width.
#pragma once

#include <QString>
#include <memory>
#include <string>

class QPrinter;
class QTextDocument;

namespace kx {

// True when the system has a printer to print on.
bool HasCurrentPrinter();

// Prints doc on the system's current (default) printer, or on the first printer when no
// default is set, with the given print-job title (empty by default). Throws
// NoPrinterError ("No printer is installed ...") when there is none, and KxError when
// printing fails.
void PrintOnCurrentPrinter(const QTextDocument& doc, const QString& jobTitle = QString());

// Prints doc into a PDF file at path (Windows-1257 bytes, like every path of the program),
// replacing the file atomically. Throws FileWriteError when the file cannot be written; an
// old file at path is then left whole.
void PrintToPdf(const QTextDocument& doc, const std::string& path);

// Prints doc on a prepared printer: sets its page size and margins from the document,
// lays out and prints every page. Returns the number of pages; throws KxError when the
// printer cannot be started.
int PrintOn(const QTextDocument& doc, QPrinter* printer);

// The copy that is printed: form-feed lines turned into page breaks.
std::unique_ptr<QTextDocument> PrintableCopy(const QTextDocument& doc);

}  // namespace kx
