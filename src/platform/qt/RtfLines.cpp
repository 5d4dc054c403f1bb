#include "platform/qt/RtfLines.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace kx {
namespace {

QString OneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator) c = u' ';
    return text;
}

// A character format for new text: never an image, whatever the source character was.
QTextCharFormat TextFormat(QTextCharFormat f) {
    if (f.isImageFormat()) {
        f.clearProperty(QTextFormat::ObjectType);
        f.clearProperty(QTextFormat::ImageName);
        f.clearProperty(QTextFormat::ImageTitle);
        f.clearProperty(QTextFormat::ImageAltText);
        f.clearProperty(QTextFormat::ImageWidth);
        f.clearProperty(QTextFormat::ImageHeight);
        f.clearProperty(QTextFormat::ImageQuality);
        f.setObjectType(QTextFormat::NoObject);
    }
    return f;
}

// The format of the first character of a block, or its own format when it is empty.
QTextCharFormat StartFormat(const QTextBlock& block) {
    const auto it = block.begin();
    return TextFormat(it.atEnd() ? block.charFormat() : it.fragment().charFormat());
}

}  // namespace

int LineCount(const QTextDocument& doc) {
    return doc.blockCount();
}

QString LineText(const QTextDocument& doc, int i) {
    if (i < 0 || i >= doc.blockCount()) return QString();
    return doc.findBlockByNumber(i).text();
}

void SetLineText(QTextDocument* doc, int i, const QString& text) {
    if (i < 0 || i >= doc->blockCount()) return;
    const QTextBlock block = doc->findBlockByNumber(i);
    const QTextCharFormat f = StartFormat(block);
    QTextCursor c(block);
    c.beginEditBlock();
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    c.setBlockCharFormat(f);
    c.insertText(OneLine(text), f);
    c.endEditBlock();
}

void InsertLine(QTextDocument* doc, int i, const QString& text) {
    const int count = doc->blockCount();
    if (i < 0 || i > count) return;
    if (i == count) {
        const QTextBlock last = doc->lastBlock();
        QTextCursor c(last);
        c.movePosition(QTextCursor::EndOfBlock);
        const QTextCharFormat f = TextFormat(c.charFormat());
        c.beginEditBlock();
        c.insertBlock(last.blockFormat(), f);
        c.insertText(OneLine(text), f);
        c.endEditBlock();
        return;
    }
    const QTextBlock block = doc->findBlockByNumber(i);
    const QTextCharFormat f = StartFormat(block);
    QTextCursor c(block);
    c.beginEditBlock();
    // Split at the start of line i: the text of line i moves into the new block behind,
    // and the block left in front (with line i's paragraph format) takes the new text.
    c.insertBlock(block.blockFormat(), StartFormat(block));
    c.movePosition(QTextCursor::PreviousBlock);
    c.setBlockFormat(block.blockFormat());
    c.setBlockCharFormat(f);
    c.insertText(OneLine(text), f);
    c.endEditBlock();
}

void DeleteLine(QTextDocument* doc, int i) {
    const int count = doc->blockCount();
    if (i < 0 || i >= count) return;
    const QTextBlock block = doc->findBlockByNumber(i);
    QTextCursor c(doc);
    c.beginEditBlock();
    if (i + 1 < count) {
        // The line and its paragraph end: the next line moves up unchanged.
        c.setPosition(block.position());
        c.setPosition(block.next().position(), QTextCursor::KeepAnchor);
    } else if (i > 0) {
        // The last line: remove the paragraph end in front of it instead. The block that
        // is left would take the deleted line's formats with it; the line before keeps its
        // own.
        const QTextBlock previous = block.previous();
        const QTextBlockFormat blockFormat = previous.blockFormat();
        const QTextCharFormat charFormat = previous.charFormat();
        c.setPosition(previous.position() + previous.length() - 1);
        c.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.setBlockFormat(blockFormat);
        c.setBlockCharFormat(charFormat);
        c.endEditBlock();
        return;
    } else {
        c.setPosition(block.position());
        c.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
    c.endEditBlock();
}

int FindLine(const QTextDocument& doc, const QString& text) {
    int i = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next(), ++i)
        if (b.text().compare(text, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

}  // namespace kx
