// Helpers of the RTF document tests: reading RTF text into a fresh document, the lines of
// a document, the character format at a place.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtGlobal>
#include <memory>
#include <ostream>
#include <string>

#include "platform/qt/Rtf.h"
#include "platform/qt/RtfLines.h"

// Test failures show texts as UTF-8.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace kxtest {

// Silences Qt's warnings while it lives (the image decoders complain about every broken
// picture the damaged-input tests feed them).
class QuietQt {
public:
    QuietQt() : previous_(qInstallMessageHandler(Drop)) {}
    ~QuietQt() { qInstallMessageHandler(previous_); }
    QuietQt(const QuietQt&) = delete;
    QuietQt& operator=(const QuietQt&) = delete;

private:
    static void Drop(QtMsgType, const QMessageLogContext&, const QString&) {}
    QtMessageHandler previous_;
};

inline std::unique_ptr<QTextDocument> ReadDoc(const QByteArray& rtf, QString* error = nullptr) {
    auto doc = std::make_unique<QTextDocument>();
    kx::ReadRtf(rtf, doc.get(), error);
    return doc;
}

inline std::unique_ptr<QTextDocument> ReadDoc(const char* rtf) {
    return ReadDoc(QByteArray(rtf));
}

// Read -> write -> read.
inline std::unique_ptr<QTextDocument> RoundTrip(const QTextDocument& doc) {
    return ReadDoc(kx::WriteRtf(doc));
}

inline QStringList Lines(const QTextDocument& doc) {
    QStringList out;
    for (int i = 0; i < kx::LineCount(doc); ++i) out << kx::LineText(doc, i);
    return out;
}

// The character format of the character at offset in line (the format that the character
// after the position carries).
inline QTextCharFormat FormatAt(const QTextDocument& doc, int line, int offset) {
    const QTextBlock b = doc.findBlockByNumber(line);
    QTextCursor c(b);
    c.setPosition(b.position() + offset + 1);
    return c.charFormat();
}

inline QTextBlockFormat BlockAt(const QTextDocument& doc, int line) {
    return doc.findBlockByNumber(line).blockFormat();
}

inline QString Family(const QTextCharFormat& f) {
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

// Number of fragments (runs of one format) in a line, images included.
inline int RunCount(const QTextDocument& doc, int line) {
    int n = 0;
    const QTextBlock b = doc.findBlockByNumber(line);
    for (auto it = b.begin(); !it.atEnd(); ++it) ++n;
    return n;
}

inline std::string Utf8(const QString& s) {
    return s.toStdString();
}

}  // namespace kxtest
