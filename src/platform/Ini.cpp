#include "platform/Ini.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/Cp1257.h"
#include "platform/FileIO.h"

namespace kx {

IniFile SettingsFile;

namespace {

constexpr size_t kMaxValueLength = 2047;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    a = Trim(a);
    b = Trim(b);
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Cp1257Upper(a[i]) != Cp1257Upper(b[i])) return false;
    return true;
}

// One line of the file, without its line end.
struct Line {
    std::string_view text;
    size_t begin = 0;  // offset of the line in the file
    size_t end = 0;    // offset just after the line's text (before CR/LF)
    size_t next = 0;   // offset of the following line
};

std::vector<Line> SplitLines(std::string_view file) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < file.size()) {
        size_t lf = file.find('\n', pos);
        size_t stop = lf == std::string_view::npos ? file.size() : lf;
        size_t end = stop;
        if (end > pos && file[end - 1] == '\r') --end;
        lines.push_back({file.substr(pos, end - pos), pos, end,
                         lf == std::string_view::npos ? file.size() : lf + 1});
        pos = lines.back().next;
    }
    return lines;
}

// The section name of a header line, or nothing when the line is not a header.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    const size_t close = line.find(']');
    if (close != std::string_view::npos) line = line.substr(0, close);
    return Trim(line);
}

// The key and value of a key line.
bool KeyOf(std::string_view line, std::string_view& key, std::string_view& value) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[') return false;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return !key.empty();
}

// Where a key lives in the file: the lines of its section and the key's line.
struct Place {
    int header = -1;   // line of the first matching section header
    int lastKey = -1;  // last non-blank line of that section (or the header)
    int key = -1;      // line of the first matching key
};

Place Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Place place;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const auto name = SectionOf(lines[static_cast<size_t>(i)].text);
        if (place.header < 0) {
            if (name && SameName(*name, section)) place.header = place.lastKey = i;
            continue;
        }
        if (name) break;  // the next section: only the first of equal sections counts
        std::string_view k, v;
        const std::string_view text = Trim(lines[static_cast<size_t>(i)].text);
        if (!text.empty()) place.lastKey = i;
        if (place.key < 0 && KeyOf(text, k, v) && SameName(k, key)) place.key = i;
    }
    return place;
}

std::optional<std::string> FindValue(const std::string& path, std::string_view section,
                                     std::string_view key) {
    const auto file = TryReadFileBytes(path);
    if (!file) return std::nullopt;
    const auto lines = SplitLines(*file);
    const Place place = Locate(lines, section, key);
    if (place.key < 0) return std::nullopt;
    std::string_view k, v;
    KeyOf(lines[static_cast<size_t>(place.key)].text, k, v);
    return std::string(v.substr(0, kMaxValueLength));
}

// A name or value as it may stand on one line: control characters become blanks.
std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
    return out;
}

std::string FullPath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    const auto abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.string();
}

}  // namespace

IniWriteError::IniWriteError(const std::string& path)
    : KxError("Unable to write to " + path), path_(path) {}

bool ParseIniInteger(std::string_view text, int& out) {
    text = Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::string_view digits = text.substr(2);
        if (digits.size() > 8) {
            // Leading zeros do not count towards the 32 bits.
            while (digits.size() > 8 && digits.front() == '0') digits.remove_prefix(1);
            if (digits.size() > 8) return false;
        }
        std::uint32_t value = 0;
        for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return false;
            value = value * 16 + static_cast<std::uint32_t>(d);
        }
        out = static_cast<int>(value);  // 0xFFFFFFFF is -1, as a 32-bit integer holds it
        return true;
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return false;
    }
    if (negative) value = -value;
    if (value > 2147483647LL || value < -2147483648LL) return false;
    out = static_cast<int>(value);
    return true;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    if (auto v = FindValue(path_, section, key)) return *v;
    return std::string(def);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    const auto v = FindValue(path_, section, key);
    int value = def;
    if (v && ParseIniInteger(*v, value)) return value;
    return def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindValue(path_, section, key).has_value();
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::string file;
    if (auto existing = TryReadFileBytes(path_)) {
        file = std::move(*existing);
    } else if (std::error_code ec; FileExists(path_) || std::filesystem::is_directory(path_, ec)) {
        // Present but unreadable: writing now would throw its contents away.
        throw IniWriteError(FullPath(path_));
    }
    const std::string eol =
        (file.empty() || file.find("\r\n") != std::string::npos) ? "\r\n" : "\n";
    const std::string keyLine = OneLine(key) + "=" + OneLine(value);
    const auto lines = SplitLines(file);
    const Place place = Locate(lines, section, key);

    std::string out;
    if (place.key >= 0) {
        const Line& line = lines[static_cast<size_t>(place.key)];
        out = file.substr(0, line.begin) + keyLine + file.substr(line.end);
    } else if (place.header >= 0) {
        const Line& after = lines[static_cast<size_t>(place.lastKey)];
        std::string tail = file.substr(after.next);
        std::string head = file.substr(0, after.next);
        // The last line had no line end (a bare CR is none: the lines end at LF).
        if (after.next == file.size() && file.back() != '\n') head += eol;
        out = head + keyLine + eol + tail;
    } else {
        out = file;
        if (!out.empty() && out.back() != '\n') out += eol;
        if (!out.empty()) out += eol;
        out.append(1, '[').append(OneLine(section)).append(1, ']');
        out.append(eol).append(keyLine).append(eol);
    }
    try {
        WriteFileAtomic(path_, out);
    } catch (const KxError&) {
        throw IniWriteError(FullPath(path_));
    }
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace kx
