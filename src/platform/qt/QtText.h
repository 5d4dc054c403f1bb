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

#include "platform/Messages.h"

namespace kx {

// A message of the table (platform/Messages.h) in the language of kx::Language; fill its
// placeholders with QString::arg.
QString Text(Msg key);

// Windows-1257 bytes -> QString (every byte has a character).
QString FromCp(const std::string& bytes);

// QString -> Windows-1257 bytes; nothing when the text holds a character the code page
// cannot hold (it is never replaced by another one).
std::optional<std::string> ToCp(const QString& text);

// As ToCp, but a character the code page cannot hold raises kx::ConvertError naming it:
//   The character (U+0159) cannot be stored: Windows-1257 has no such character.
// in the current language (the character itself is left out: the message is bytes too).
std::string ToCpChecked(const QString& text);

// Position (in QString units) of the first character Windows-1257 cannot hold, or -1.
qsizetype FirstNonCp1257(const QString& text);

// The message for a character that cannot be stored, in the current language.
QString CannotStoreMessage(const QString& text, qsizetype position);

}  // namespace kx
