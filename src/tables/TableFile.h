// Read-only reference tables of INI layout, parsed once per version of their file.
//
// Every lookup in a reference table must see the file as it is at that moment, yet a run
// of lookups must not parse an unchanged file again. CachedTable keeps the parsed form
// of one file together with the file's identity (FileIdentity: device, inode, size,
// modification and change times) and parses the file again only when that identity
// changes. A file whose modification time is too recent to be trusted (a second edit
// within the file system's timestamp granularity would leave the identity unchanged) is
// compared byte for byte at each lookup until its time is old enough.
//
// Nothing here is thread-safe: all lookups run on the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Cp1257.h"
#include "platform/FileIO.h"

namespace kx {

// ---- INI layout with the semantics of the Windows profile reader ---------------------

// One "key=value" line, key and value with the blanks around them removed.
struct IniEntry {
    std::string key;
    std::string value;
};

struct IniSection {
    std::string name;               // as written between the brackets, blanks removed
    std::vector<IniEntry> entries;  // every key line of the section, in file order
    // ASCII-upper-cased key -> index into entries of its first occurrence.
    std::unordered_map<std::string, size_t> firstOfKey;
};

// A parsed file of INI layout:
// - lines end at CR, LF or CR LF; blanks (space, tab, vertical tab, form feed) around a
//   line are ignored;
// - "[name]" opens a section (blanks around the name are ignored); lines before the
//   first section header belong to no section and are never found;
// - a line with "=" is a key line: the key is the text before the first "=", the value
//   the text after it, each without the blanks around it; lines without "=" are ignored;
// - section and key names match without regard to the case of the ASCII letters a-z;
// - when a section name occurs twice, only its first section is searched; when a key
//   occurs twice in a section, its first line counts;
// - a missing section or key reads as the empty text. Quotes in values are kept.
class IniData {
public:
    static IniData Parse(std::string_view bytes);

    // The value of key in section, or the empty text. Blanks around the two names are
    // ignored.
    const std::string& value(std::string_view section, std::string_view key) const;

    // The first section of that name, or nullptr.
    const IniSection* section(std::string_view name) const;

    const std::vector<IniSection>& sections() const { return sections_; }

private:
    std::vector<IniSection> sections_;
    std::unordered_map<std::string, size_t> firstOfSection_;  // upper-cased name -> index
};

// ---- the text helpers every table shares -------------------------------------------

// The text without the bytes 0-32 at either end.
std::string_view TrimBlanks(std::string_view text);

// The lines of a file's bytes, split at CR, LF or CR LF, without their line ends. A last
// line without a line end counts; a file ending in a line end has no empty last line.
std::vector<std::string> SplitLines(std::string_view bytes);

// ---- one version of a file, and the cache that keeps it -----------------------------

// The contents of one version of a table file, as lines and as INI data.
struct TableText {
    std::string bytes;
    std::vector<std::string> lines;  // SplitLines(bytes)
    IniData ini;

    static TableText FromBytes(std::string bytes);
};

// ---- batches of lookups ------------------------------------------------------------

// While a TableBatch lives, every table file is looked at once, at its first lookup, and
// later lookups of the batch answer from that version without asking the file system
// again. A batch is one operation over many items (the square finder over a whole log,
// an import, a list of points on the command line): it sees the tables as they were when
// it began, and each lookup costs no system call. Batches nest; the outermost one counts.
class TableBatch {
public:
    TableBatch();
    ~TableBatch();
    TableBatch(const TableBatch&) = delete;
    TableBatch& operator=(const TableBatch&) = delete;
};

namespace detail {

// Decides whether the file at a path still holds the bytes last read from it.
//
// The file last read stays open. While the path is unchanged, one fstat of that open file
// tells an unchanged file: writing to it changes its size or times, and deleting it or
// replacing it by a rename unlinks it, which drops its link count and changes its change
// time. Anything else (another path, a changed identity, a recent modification time) goes
// back to the path and, when needed, reads the file again.
class FileVersion {
public:
    enum class State { Missing, Unchanged, Changed };

    FileVersion() = default;
    FileVersion(FileVersion&& other) noexcept;
    FileVersion& operator=(FileVersion&& other) noexcept;
    FileVersion(const FileVersion&) = delete;
    FileVersion& operator=(const FileVersion&) = delete;
    ~FileVersion();

    // Looks at the file now. On Changed, bytes() holds the new contents.
    State refresh(const std::string& path);
    const std::string& bytes() const { return bytes_; }
    void forget();

private:
    State look(const std::string& path);
    bool unchangedByDescriptor(const std::string& path) const;
    void keepDescriptor(int fd);

    std::string path_;
    FileIdentity identity_;
    std::string bytes_;
    int fd_ = -1;
    bool loaded_ = false;
    bool racy_ = false;                 // identity alone cannot tell an edit yet
    std::uint64_t checkedInBatch_ = 0;  // the batch in which the file was last looked at
};

}  // namespace detail

// The parsed form T of one table file, kept for as long as the file is unchanged.
// The builder turns the file's bytes into T; it may throw, in which case the lookup that
// caused the parse fails with that error and the next lookup tries again.
template <class T>
class CachedTable {
public:
    using Builder = std::function<T(std::string bytes)>;
    explicit CachedTable(Builder build) : build_(std::move(build)) {}

    // The parsed form of the file at path as it is now; nullptr when the file is missing
    // or cannot be read.
    std::shared_ptr<const T> get(const std::string& path) {
        using State = detail::FileVersion::State;
        switch (version_.refresh(path)) {
            case State::Missing:
                value_.reset();
                return nullptr;
            case State::Changed:
                value_.reset();
                try {
                    value_ = std::make_shared<const T>(build_(version_.bytes()));
                } catch (...) {
                    version_.forget();
                    throw;
                }
                break;
            case State::Unchanged:
                break;
        }
        return value_;
    }

    // As get, but a missing or unreadable file raises FileOpenError with its path.
    std::shared_ptr<const T> require(const std::string& path) {
        if (auto v = get(path)) return v;
        RaiseOpenError(path);
        if (auto v = get(path)) return v;  // the file appeared in between
        RaiseUnreadable(path);
    }

private:
    [[noreturn]] static void RaiseUnreadable(const std::string& path);
    static void RaiseOpenError(const std::string& path);

    Builder build_;
    detail::FileVersion version_;
    std::shared_ptr<const T> value_;
};

namespace detail {
// Throws the FileOpenError that reading path gives; returns if the file can be read.
void RaiseOpenErrorFor(const std::string& path);
[[noreturn]] void RaiseUnreadableFor(const std::string& path);
}  // namespace detail

template <class T>
void CachedTable<T>::RaiseOpenError(const std::string& path) {
    detail::RaiseOpenErrorFor(path);
}
template <class T>
void CachedTable<T>::RaiseUnreadable(const std::string& path) {
    detail::RaiseUnreadableFor(path);
}

// The INI view of a table file, by its bare name ("CityBEX.dat"). One
// cache per file name, shared by every caller. nullptr when the file is missing.
std::shared_ptr<const TableText> TableTextOf(const std::string& fileName);

// The value of key in section of the table file fileName; empty when
// the file, the section or the key is missing.
std::string TableValue(const std::string& fileName, std::string_view section, std::string_view key);

}  // namespace kx
