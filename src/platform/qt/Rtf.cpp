#include "platform/qt/Rtf.h"

#include <QTextDocument>

#include "platform/Errors.h"
#include "platform/FileIO.h"

namespace kx {

bool ReadRtf(const QByteArray& rtf, QTextDocument* doc, QString* error) {
    doc->clear();
    if (!rtf.trimmed().startsWith("{\\rtf")) {
        if (error) *error = QStringLiteral("The data is not an RTF document.");
        return false;
    }
    doc->setPlainText(QString::fromLatin1(rtf));
    return true;
}

QByteArray WriteRtf(const QTextDocument& doc) {
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1257\n";
    out += doc.toPlainText().toLatin1();
    out += "}";
    return out;
}

void LoadRtfFile(QTextDocument* doc, const std::string& path) {
    const QByteArray bytes = QByteArray::fromStdString(ReadFileBytes(path));
    if (!bytes.trimmed().startsWith("{\\rtf"))
        throw KxError("File \"" + path + "\" is not an RTF document.");
    ReadRtf(bytes, doc, nullptr);
}

void SaveRtfFile(const QTextDocument& doc, const std::string& path) {
    WriteFileAtomic(path, WriteRtf(doc).toStdString());
}

}  // namespace kx
