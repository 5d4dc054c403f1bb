// libFuzzer target: the two readers of INI layout: the settings file (IniFile, read and
// written through a scratch file) and the parser of the reference tables (IniData).
//
// Input: section, key, value, a second section and key, each ended by a NUL byte, then the
// file's bytes.
//
// Invariants: reads never fail on any file; a value written under a plain section and
// key reads back as written (control characters as blanks, blanks around it dropped, at
// most 2047 bytes); the write changes no other key; the table parser gives lines and
// values without line ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/Ini.h"
#include "tables/TableFile.h"

using kxfuzz::Check;

namespace {

// A name the settings file can hold as it is: letters, digits and "_", not empty.
bool PlainName(std::string_view s) {
    if (s.empty() || s.size() > 32) return false;
    for (char c : s)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '_'))
            return false;
    return true;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

// What reading back a written value gives.
std::string AsStored(std::string_view value) {
    std::string s(value);
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    s = s.substr(b, s.find_last_not_of(' ') - b + 1);
    return s.substr(0, 2047);
}

void WriteScratch(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        std::abort();
    std::fclose(f);
}

void TableParser(std::string_view bytes, std::string_view section, std::string_view key) {
    const kx::TableText table = kx::TableText::FromBytes(std::string(bytes));
    for (const std::string& line : table.lines)
        Check(line.find_first_of("\r\n") == std::string::npos, "table lines hold no line end");
    for (const kx::IniSection& s : table.ini.sections())
        for (const kx::IniEntry& e : s.entries) {
            Check(e.value.find_first_of("\r\n") == std::string::npos, "values hold no line end");
            Check(table.ini.section(s.name) != nullptr, "every section is found by its name");
        }
    const std::string& v = table.ini.value(section, key);
    Check(v.find_first_of("\r\n") == std::string::npos, "looked-up value holds no line end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kxfuzz::Pieces in(data, size);
    const std::string_view section = in.next(), key = in.next(), value = in.next();
    const std::string_view section2 = in.next(), key2 = in.next();
    const std::string_view file = in.rest();

    TableParser(file, section, key);

    const std::string path = kxfuzz::ScratchFolder() + "Kvadrix.ini";
    WriteScratch(path, file);
    kx::IniFile ini(path);
    const std::string other = ini.ReadString(section2, key2, "\x01none");
    (void)ini.ReadInteger(section, key, 7);
    (void)ini.ReadBool(section2, key2, true);
    Check(ini.ReadString(section, key, "").size() <= 2047, "values are at most 2047 bytes");

    if (!PlainName(section) || !PlainName(key)) return 0;
    ini.WriteString(section, key, value);
    Check(ini.ValueExists(section, key), "a written key exists");
    Check(ini.ReadString(section, key, "\x01none") == AsStored(value),
          "a written value reads back");
    if (!(SameNameIgnoringCase(section, section2) && SameNameIgnoringCase(key, key2)) &&
        PlainName(section2) && PlainName(key2))
        Check(ini.ReadString(section2, key2, "\x01none") == other, "a write changes no other key");
    return 0;
}
