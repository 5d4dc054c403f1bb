#include "platform/Messages.h"

#include <array>
#include <cstdlib>

#include "platform/Cp1257.h"
#include "platform/Globals.h"

namespace kx {
namespace {

struct Entry {
    std::string_view key;
    std::string_view english;
    std::string_view lithuanian;
};

constexpr std::array kTable{
#define KX_MESSAGE(key, english, lithuanian) Entry{#key, english, lithuanian},
#include "platform/MessageTable.inc"
#undef KX_MESSAGE
};

std::optional<Lang> fixedLang;

const Entry& EntryOf(Msg key) {
    return kTable[static_cast<std::size_t>(key)];
}

}  // namespace

Lang ProgramLang() {
    return IsLithuanian() ? Lang::Lithuanian : Lang::English;
}

Lang CurrentLang() {
    return fixedLang ? *fixedLang : ProgramLang();
}

Lang EnvironmentLang() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        const std::string_view v(value);
        const bool lt =
            v.starts_with("lt") && (v.size() == 2 || v[2] == '_' || v[2] == '.' || v[2] == '@');
        return lt ? Lang::Lithuanian : Lang::English;
    }
    return Lang::English;
}

std::string DefaultLanguage() {
    return EnvironmentLang() == Lang::Lithuanian ? "LT" : "EN";
}

void SetMessageLang(std::optional<Lang> lang) {
    fixedLang = lang;
}

std::size_t MessageCount() {
    return kTable.size();
}

std::string_view MessageKey(Msg key) {
    return EntryOf(key).key;
}

std::string_view MessageText(Msg key, Lang lang) {
    const Entry& e = EntryOf(key);
    return lang == Lang::Lithuanian ? e.lithuanian : e.english;
}

std::string_view MessageText(Msg key) {
    return MessageText(key, CurrentLang());
}

std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string Utf8Message(Msg key, std::initializer_list<std::string_view> args) {
    return FillIn(MessageText(key), args);
}

std::string CpMessage(Msg key, std::initializer_list<std::string_view> args) {
    return CpMessage(key, CurrentLang(), args);
}

std::string CpMessage(Msg key, Lang lang, std::initializer_list<std::string_view> args) {
    // Every text of the table is checked by the tests to fit Windows-1257.
    return FillIn(Cp1257(MessageText(key, lang)), args);
}

}  // namespace kx
