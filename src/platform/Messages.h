// The program's own messages: one table of keys, each with its English and its
// Lithuanian text (platform/MessageTable.inc), looked up in the language of kx::Language.
// Every layer takes its texts from here: the core as Windows-1257 bytes, the windows as
// QString (kx::Text in platform/qt/QtText.h), kvadrix-tool as UTF-8.
//
//   throw kx::FileOpenError(path, kx::CpMessage(kx::Msg::FileIsFolder));
//   kx::CpMessage(kx::Msg::WorkedSquares, {std::to_string(n)})   // "%1" filled in
//   box.text = kx::Text(kx::Msg::ExitQuestion);                  // in a window
//
// A new message is one line in MessageTable.inc; placeholders are %1 ... %9 and both
// texts carry the same ones.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

enum class Msg {
#define KX_MESSAGE(key, english, lithuanian) key,
#include "platform/MessageTable.inc"
#undef KX_MESSAGE
};

enum class Lang { English, Lithuanian };

// The language of the messages: the one SetMessageLang chose, else that of kx::Language
// ("LT" is Lithuanian, anything else English).
Lang CurrentLang();

// The language of kx::Language, whatever SetMessageLang chose (a document's template).
Lang ProgramLang();

// Lithuanian when the environment's message language is: the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty names it ("lt", "lt_LT.UTF-8", ...).
Lang EnvironmentLang();

// The program's language before the user chose one: "LT" in a Lithuanian environment,
// else "EN".
std::string DefaultLanguage();

// Fixes the messages' language apart from kx::Language (kvadrix-tool takes it from the
// environment); nothing goes back to kx::Language.
void SetMessageLang(std::optional<Lang> lang);

// Number of messages in the table, and the key's name as written in the table.
std::size_t MessageCount();
std::string_view MessageKey(Msg key);

// The message's UTF-8 text in the given language or in kx::Language.
std::string_view MessageText(Msg key, Lang lang);
std::string_view MessageText(Msg key);

// The text with %1 ... %9 replaced by args (placeholders without an argument stay).
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> args);

// The message in UTF-8 with its placeholders filled (args in UTF-8).
std::string Utf8Message(Msg key, std::initializer_list<std::string_view> args = {});

// The message as Windows-1257 bytes with its placeholders filled (args already bytes), for
// the core's texts and failures.
std::string CpMessage(Msg key, std::initializer_list<std::string_view> args = {});
std::string CpMessage(Msg key, Lang lang, std::initializer_list<std::string_view> args = {});

}  // namespace kx
