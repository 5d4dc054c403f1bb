// libFuzzer target: the RTF reader, and what the program does next with what it read (the
// line operations of the application document, the writer, a second read).
//
// Invariants: input that does not begin with "{\rtf" is refused and leaves one empty
// line; anything else gives a document no longer than the input; the writer's RTF is 7-bit
// and reads back to the same lines, and writing that again gives the same bytes; the
// line operations keep the line count they promise.
#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Rtf.h"
#include "platform/qt/RtfLines.h"

using kxfuzz::Check;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Fonts and images need a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_rtf_reader";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    // Image decoders complain about every broken picture; that is expected here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

namespace {

QStringList Lines(const QTextDocument& doc) {
    QStringList out;
    for (int i = 0; i < kx::LineCount(doc); ++i) out << kx::LineText(doc, i);
    return out;
}

bool SevenBit(const QByteArray& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void EditLines(QTextDocument* doc) {
    const int count = kx::LineCount(*doc);
    // Letter case is ignored (ASCII letters here: "ß" has no one-letter capital).
    QString upper = kx::LineText(*doc, 0);
    for (QChar& c : upper)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    Check(kx::FindLine(*doc, upper) == 0,
          "the first line's text is found at the first line, in any case");
    kx::InsertLine(doc, -1, "x");
    kx::DeleteLine(doc, -1);
    kx::SetLineText(doc, count, "x");
    Check(kx::LineCount(*doc) == count, "out-of-range edits change nothing");
    kx::InsertLine(doc, count / 2, "  1. B05  LY1AB");
    Check(kx::LineCount(*doc) == count + 1, "an insertion adds one line");
    Check(kx::LineText(*doc, count / 2) == "  1. B05  LY1AB", "the inserted line holds its text");
    kx::SetLineText(doc, count, kx::kPageBreakLine);
    Check(kx::LineText(*doc, count) == kx::kPageBreakLine, "a replaced line holds its text");
    kx::DeleteLine(doc, count / 2);
    Check(kx::LineCount(*doc) == count, "a deletion removes one line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray rtf(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument doc;
    QString error;
    const bool ok = kx::ReadRtf(rtf, &doc, &error);
    const bool tooLarge = error.startsWith(kx::Text(kx::Msg::RtfTooLarge).left(20));
    Check(ok == (kx::IsRtf(rtf) && !tooLarge), "refused exactly when it is not RTF or too large");
    if (!ok) {
        Check(!error.isEmpty(), "a refusal says why");
        Check(kx::LineCount(doc) == 1 && kx::LineText(doc, 0).isEmpty(), "refused: empty");
        return 0;
    }
    Check(doc.characterCount() <= rtf.size() + 2, "the document is no longer than the input");

    const QByteArray written = kx::WriteRtf(doc);
    Check(SevenBit(written) && kx::IsRtf(written), "the writer writes 7-bit RTF");
    QTextDocument again;
    Check(kx::ReadRtf(written, &again), "the written RTF reads");
    Check(Lines(again) == Lines(doc), "the written RTF reads back to the same lines");
    Check(kx::WriteRtf(again) == written, "writing again gives the same bytes");

    EditLines(&doc);
    return 0;
}
