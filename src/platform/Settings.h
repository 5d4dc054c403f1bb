// The names under which Kvadrix.ini keeps the program's settings, and the settings that
// more than one part of the program reads or writes.
//
//   [Kvadrix]  Language (EN or LT), Version        the start window
//   [WINDOWS]  X<n>, Y<n>, W<n>, H<n>              each window's place and size
//   [SETUP]    Name, Call, Addr, EAddr              the applicant of the application
//              KoordFormat, WestLong                the calculator's coordinate form
//              LogSort                              the log window's sort key
//   [LIVE]     On, Address, Port, Highlight, Sound, the log window's live listening to
//              Dock                                 WSJT-X/JTDX and its panel's place
//
// Files written by every earlier version keep working: the names are theirs, letter for
// letter.
#pragma once

#include <string>
#include <string_view>

namespace kx {

class IniFile;

namespace settings {

inline constexpr std::string_view kFileName = "Kvadrix.ini";

inline constexpr std::string_view kProgramSection = "Kvadrix";
// The key names of [Kvadrix] end in a blank: the first versions wrote them so, and the
// files users keep have them that way.
inline constexpr std::string_view kLanguageKey = "Language ";
inline constexpr std::string_view kVersionKey = "Version ";

inline constexpr std::string_view kWindowsSection = "WINDOWS";
inline constexpr std::string_view kSetupSection = "SETUP";
inline constexpr std::string_view kCoordFormatKey = "KoordFormat";
inline constexpr std::string_view kWestLongKey = "WestLong";
inline constexpr std::string_view kLogSortKey = "LogSort";

inline constexpr std::string_view kLiveSection = "LIVE";
inline constexpr std::string_view kLiveOnKey = "On";
inline constexpr std::string_view kLiveAddressKey = "Address";
inline constexpr std::string_view kLivePortKey = "Port";
inline constexpr std::string_view kLiveHighlightKey = "Highlight";
inline constexpr std::string_view kLiveSoundKey = "Sound";
inline constexpr std::string_view kLiveDockKey = "Dock";

// The key of a window's stored place or size: letter 'X', 'Y', 'W' or 'H' and the
// window's number ("X3" is the log window's left edge).
std::string WindowKey(char letter, int window);

// The applicant's data the application window shows and the application holds
// (Windows-1257 bytes).
struct Applicant {
    std::string name;
    std::string call;
    std::string address;
    std::string email;
};
Applicant ReadApplicant(const IniFile& ini);
void WriteApplicant(IniFile& ini, const Applicant& applicant);

// The chosen language, "EN" or "LT" as stored; def when none was chosen yet.
std::string ReadLanguage(const IniFile& ini, std::string_view def);
void WriteLanguage(IniFile& ini, std::string_view language);

// Points kx::SettingsFile at the Kvadrix.ini that the paths decided on and sets
// kx::Language from it (def when none was chosen yet). Call it after DecidePaths().
void OpenSettings(std::string_view defaultLanguage);

}  // namespace settings
}  // namespace kx
