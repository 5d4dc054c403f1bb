// Files of INI layout, read and written the way the Windows profile functions do it, and
// the program's settings file.
//
// Layout: "[Section]" header lines, then "key=value" lines. Section and key names match
// without regard to ASCII letter case; blanks around names and values are ignored; of two
// equal keys in a section the first counts, of two equal sections the first counts;
// lines without "=" and lines beginning with ";" are not keys. Texts are Windows-1257
// bytes, read and written byte for byte. A missing file, section or key reads as the
// default.
//
// Every read and every write goes to the file itself: no cache, no save step. A write
// replaces a key's line in place, adds a new key at the end of its section and a new
// section at the end of the file, then replaces the whole file atomically (temporary
// file, flush, rename). A write that fails raises IniWriteError:
//   Unable to write to <full path of the file>
// and leaves the old file as it was.
#pragma once

#include <string>
#include <string_view>

#include "platform/Errors.h"

namespace kx {

class IniWriteError : public KxError {
public:
    explicit IniWriteError(const std::string& path);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    // Points the object at a file, which need not exist (the first write creates it).
    void Open(std::string path) { path_ = std::move(path); }
    const std::string& FileName() const { return path_; }

    // The value text (at most 2047 bytes), or def when the file, section or key is
    // missing. A key that is present with an empty value reads as the empty text.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;

    // The value as an integer: "0x"/"0X" followed by hex digits (text longer than two
    // characters) is hexadecimal, otherwise decimal with an optional sign. Anything that
    // is not a number of the 32-bit range gives def.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;

    // Yes/no: read as an integer with default 1 or 0; any non-zero number is yes.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

    // Stores value under section and key. CR, LF and other control characters in the
    // value are stored as blanks, so a value always stays one line. Throws IniWriteError.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // True when the section holds the key.
    bool ValueExists(std::string_view section, std::string_view key) const;

private:
    std::string path_;
};

// The integer rule of ReadInteger on a bare text; false when it is not a number.
bool ParseIniInteger(std::string_view text, int& out);

// The settings file "Kvadrix.ini" of the program folder, opened at start-up by the start
// window and used by every window until the program ends.
extern IniFile SettingsFile;

}  // namespace kx
