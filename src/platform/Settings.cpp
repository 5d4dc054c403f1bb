#include "platform/Settings.h"

#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Paths.h"

namespace kx::settings {

namespace {
constexpr std::string_view kNameKey = "Name";
constexpr std::string_view kCallKey = "Call";
constexpr std::string_view kAddressKey = "Addr";
constexpr std::string_view kEmailKey = "EAddr";
}  // namespace

std::string WindowKey(char letter, int window) {
    return std::string(1, letter) + std::to_string(window);
}

Applicant ReadApplicant(const IniFile& ini) {
    Applicant a;
    a.name = ini.ReadString(kSetupSection, kNameKey, "");
    a.call = ini.ReadString(kSetupSection, kCallKey, "");
    a.address = ini.ReadString(kSetupSection, kAddressKey, "");
    a.email = ini.ReadString(kSetupSection, kEmailKey, "");
    return a;
}

void WriteApplicant(IniFile& ini, const Applicant& applicant) {
    ini.WriteString(kSetupSection, kNameKey, applicant.name);
    ini.WriteString(kSetupSection, kCallKey, applicant.call);
    ini.WriteString(kSetupSection, kAddressKey, applicant.address);
    ini.WriteString(kSetupSection, kEmailKey, applicant.email);
}

std::string ReadLanguage(const IniFile& ini, std::string_view def) {
    return ini.ReadString(kProgramSection, kLanguageKey, def);
}

void WriteLanguage(IniFile& ini, std::string_view language) {
    ini.WriteString(kProgramSection, kLanguageKey, language);
}

void OpenSettings(std::string_view defaultLanguage) {
    SettingsFile.Open(FilePath(kFileName));
    Language = ReadLanguage(SettingsFile, defaultLanguage);
}

}  // namespace kx::settings
