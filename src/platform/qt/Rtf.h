// RTF documents over QTextDocument: reading, writing, loading and saving files.
//
// The reader understands what word processors write for ordinary documents (groups and
// destinations, code pages 1257/1252 and others through \ansicpg and \fcharset, \uN with
// \ucN, font and colour tables, character and paragraph formatting, fields, simple tables
// as tab-separated paragraphs, PNG and JPEG pictures). Unknown control words and {\* }
// destinations are skipped. It never crashes, hangs or grows without bound on bad input.
//
// The writer produces \ansi\ansicpg1257 RTF with a Baltic font table; text outside
// Windows-1257 goes out as \uN with a '?' fallback.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>

class QTextDocument;

namespace kx {

// The page of an RTF document (\paperw \paperh \margl \margr \margt \margb), in twips;
// 0 where the file gave none. Kept on the QTextDocument, read by the writer and printing.
struct PageSetup {
    int paperWidth = 0, paperHeight = 0;
    int marginLeft = 0, marginRight = 0, marginTop = 0, marginBottom = 0;
    bool operator==(const PageSetup&) const = default;
};
PageSetup GetPageSetup(const QTextDocument& doc);
void SetPageSetup(QTextDocument* doc, const PageSetup& page);

// The most of a document the reader takes in: laying a document out for printing costs
// far more than its text (a 20 MB line takes minutes), so a bigger one is refused.
// The shipped templates hold some 30 paragraphs of under 200 characters.
inline constexpr int kRtfMaxParagraphs = 10'000;
inline constexpr int kRtfMaxParagraphChars = 10'000;
inline constexpr int kRtfMaxChars = 500'000;

// Replaces the content of doc with the RTF document in rtf. Returns false and sets
// *error (when given) for input that is not RTF at all, or that holds more than the
// bounds above (Msg::RtfTooLarge); the document is then left empty. Damaged RTF
// (unbalanced braces, truncation, junk) gives a best-effort document and true.
bool ReadRtf(const QByteArray& rtf, QTextDocument* doc, QString* error = nullptr);

// True when data begins (past white space and a UTF-8 byte-order mark) with "{\rtf".
bool IsRtf(const QByteArray& data);

// The document as RTF bytes.
QByteArray WriteRtf(const QTextDocument& doc);

// Loads the RTF file at path (Windows-1257 bytes, as every path of the program) into doc,
// replacing its content. Throws FileOpenError when the file is missing or unreadable and
// KxError ("... is not an RTF document.") when it is not RTF; doc is left unchanged then.
// A document beyond the reader's bounds throws KxError too (Msg::RtfFileTooLarge), doc
// left empty.
void LoadRtfFile(QTextDocument* doc, const std::string& path);

// Writes doc as RTF to path, replacing the file atomically (FileWriteError on failure).
void SaveRtfFile(const QTextDocument& doc, const std::string& path);

}  // namespace kx
