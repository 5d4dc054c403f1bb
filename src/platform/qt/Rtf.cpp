// Loading and saving RTF files.
#include "platform/qt/Rtf.h"

#include <QTextDocument>

#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/Messages.h"

namespace kx {

namespace {
const char* const kPageKeys[] = {"kxPaperWidth",  "kxPaperHeight", "kxMarginLeft",
                                 "kxMarginRight", "kxMarginTop",   "kxMarginBottom"};
}

PageSetup GetPageSetup(const QTextDocument& doc) {
    PageSetup p;
    int* fields[] = {&p.paperWidth,  &p.paperHeight, &p.marginLeft,
                     &p.marginRight, &p.marginTop,   &p.marginBottom};
    for (int i = 0; i < 6; ++i) *fields[i] = doc.property(kPageKeys[i]).toInt();
    return p;
}

void SetPageSetup(QTextDocument* doc, const PageSetup& p) {
    const int fields[] = {p.paperWidth,  p.paperHeight, p.marginLeft,
                          p.marginRight, p.marginTop,   p.marginBottom};
    for (int i = 0; i < 6; ++i)
        doc->setProperty(kPageKeys[i], fields[i] > 0 ? QVariant(fields[i]) : QVariant());
}

void LoadRtfFile(QTextDocument* doc, const std::string& path) {
    const QByteArray bytes = QByteArray::fromStdString(ReadFileBytes(path));
    if (!IsRtf(bytes)) throw KxError(CpMessage(Msg::FileNotRtf, {path}));
    if (!ReadRtf(bytes, doc, nullptr))
        throw KxError(CpMessage(Msg::RtfFileTooLarge, {path, std::to_string(kRtfMaxParagraphs),
                                                       std::to_string(kRtfMaxParagraphChars),
                                                       std::to_string(kRtfMaxChars)}));
}

void SaveRtfFile(const QTextDocument& doc, const std::string& path) {
    WriteFileAtomic(path, WriteRtf(doc).toStdString());
}

}  // namespace kx
