// The boundary between the windows' QString texts and the core's Windows-1257 bytes.
// Every conversion goes through the one codec of platform/Cp1257.h.
//
//   edCall->setText(kx::FromCp(row[2]));                 // bytes -> screen
//   std::string call = kx::ToCpChecked(edCall->text());  // screen -> bytes, throws on a
//                                                        // character the code page lacks
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Messages.h"

namespace kx {

// A message of the table (platform/Messages.h) in the language of kx::Language; fill its
// placeholders with QString::arg.
QString Text(Msg key);
QString Text(Msg key, Lang lang);

// Windows-1257 bytes -> QString (every byte has a character).
QString FromCp(std::string_view bytes);

// A file name as the file system holds it (bytes in the locale's encoding) <-> QString.
// File names are not Windows-1257 texts: a folder named in UTF-8 stays whole.
QString PathText(const std::string& path);
std::string PathBytes(const QString& path);

// A tool tip that shows `text` as written: Qt reads a tool tip that looks like HTML as
// HTML, so text from the log or the user's files ("<font>", "<img>") is escaped in one.
// Empty text gives an empty tip (none is shown).
QString PlainToolTip(const QString& text);

// QString -> Windows-1257 bytes; nothing when the text holds a character the code page
// cannot hold (it is never replaced by another one).
std::optional<std::string> ToCp(const QString& text);

// The text with every letter Windows-1257 lacks replaced by its closest letters ("ñ" by
// "n", "Œ" by "OE"; AppendFoldedCp1257). refused, when given, receives the position in
// the text of the first character that has no such letter (-1 when there is none); such
// characters are left as they are.
QString FoldForCp1257(const QString& text, qsizetype* refused = nullptr);

// As ToCp after FoldForCp1257; a character with no close letter raises kx::ConvertError
// naming it:
//   The character (U+674E) cannot be stored: Windows-1257 has no such character.
// in the current language (the character itself is left out: the message is bytes too).
std::string ToCpChecked(const QString& text);

// Position (in QString units) of the first character Windows-1257 cannot hold, or -1.
qsizetype FirstNonCp1257(const QString& text);

// The message for a character that cannot be stored, in the current language; with a
// field's name when one is given:
//   The character "李" (U+674E) cannot be stored in the field "Name": Windows-1257 has no
//   such character.
QString CannotStoreMessage(const QString& text, qsizetype position, const QString& field = {});

}  // namespace kx
