// A rich-text document seen as lines: one paragraph (QTextBlock) is one line.
//
// Indexes count from 0. Out-of-range indexes never fail:
// - LineText gives "" for an index outside 0..LineCount()-1;
// - SetLineText and DeleteLine do nothing outside 0..LineCount()-1;
// - InsertLine does nothing below 0 or above LineCount(); at LineCount() it appends a line
//   after the last one, which takes the formatting found at the end of the document.
// Texts given to the editing functions are single lines: CR, LF and paragraph separators
// in them become blanks.
#pragma once

#include <QString>

class QTextDocument;

namespace kx {

// The text of a line that the printer treats as a page break: a lone form feed.
inline const QString kPageBreakLine = QStringLiteral("\f");

int LineCount(const QTextDocument& doc);

// Plain text of line i, without its paragraph end.
QString LineText(const QTextDocument& doc, int i);

// Replaces the text of line i. The new text takes the character format of the line's
// first character (of the line itself when it is empty); the paragraph format stays.
void SetLineText(QTextDocument* doc, int i, const QString& text);

// Inserts a new line holding text before line i; the new line takes the paragraph format
// of line i and the character format found at its start.
void InsertLine(QTextDocument* doc, int i, const QString& text);

// Deletes line i with its paragraph end. Deleting the only line leaves one empty line.
void DeleteLine(QTextDocument* doc, int i);

// Index of the first line whose whole text equals text when letter case is ignored, or -1.
int FindLine(const QTextDocument& doc, const QString& text);

}  // namespace kx
