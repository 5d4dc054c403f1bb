#include "tables/WwlTable.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "geo/BexGrid.h"
#include "geo/Locator.h"
#include "platform/Errors.h"
#include "platform/Globals.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "tables/CommaList.h"
#include "tables/TableFile.h"

namespace kx {

namespace {

// Texts up to this length are looked up in the index of line substrings.
constexpr size_t kIndexedLength = 7;

// Blanks around a key do not count, as in IniData.
std::string_view TrimIniKey(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// A text of 1..7 bytes packed into one number: the bytes, and the length in the top byte.
std::uint64_t PackKey(const char* p, size_t len) {
    std::uint64_t key = 0;
    std::memcpy(&key, p, len);
    return key | (static_cast<std::uint64_t>(len) << 56);
}

// The first line that holds each substring of up to seven bytes of the table's lines.
// Built only for a run of lookups: a single one scans the lines, which costs less than
// the index (some 166,000 entries).
class SubstringIndex {
public:
    // Lookups before the index is built.
    static constexpr int kScansFirst = 64;

    // Index of the first line containing the upper-cased text, or -1.
    long firstLineContaining(const std::vector<std::string>& lines,
                             const std::string& folded) const {
        if (folded.empty()) return -1;
        if (scans_.fetch_add(1, std::memory_order_relaxed) < kScansFirst)
            return scanFrom(lines, folded, 0);
        std::call_once(built_, [&] { build(lines); });
        const size_t keyLen = std::min(folded.size(), kIndexedLength);
        const auto it = firstLineOf_.find(PackKey(folded.data(), keyLen));
        if (it == firstLineOf_.end()) return -1;
        if (folded.size() <= kIndexedLength) return static_cast<long>(it->second);
        // No line before the first one holding the text's beginning can hold the text.
        return scanFrom(lines, folded, it->second);
    }

private:
    static long scanFrom(const std::vector<std::string>& lines, const std::string& folded,
                         size_t from) {
        for (size_t i = from; i < lines.size(); ++i)
            if (lines[i].find(folded) != std::string::npos) return static_cast<long>(i);
        return -1;
    }

    void build(const std::vector<std::string>& lines) const {
        size_t total = 0;
        for (const std::string& line : lines) total += line.size();
        firstLineOf_.reserve(total * 2);
        for (std::uint32_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            for (size_t pos = 0; pos < line.size(); ++pos)
                for (size_t len = 1; len <= kIndexedLength && pos + len <= line.size(); ++len)
                    firstLineOf_.emplace(PackKey(line.data() + pos, len), i);
        }
    }

    mutable std::atomic<int> scans_{0};
    mutable std::once_flag built_;
    mutable std::unordered_map<std::uint64_t, std::uint32_t> firstLineOf_;
};

// One version of the table file: its INI view, its lines upper-cased for the line scan,
// and the index of their substrings.
struct WwlTable {
    TableText text;
    std::vector<std::string> foldedLines;
    std::unique_ptr<SubstringIndex> substrings = std::make_unique<SubstringIndex>();
    // The items of every entry of section BEX, split once, parallel to its entries.
    std::vector<std::vector<std::string>> itemsOf;
    const IniSection* bex = nullptr;

    static WwlTable Build(std::string bytes) {
        WwlTable t;
        t.text = TableText::FromBytes(std::move(bytes));
        t.bex = t.text.ini.section(kWwlTableSection);
        if (t.bex)
            for (const IniEntry& e : t.bex->entries) t.itemsOf.push_back(SplitCommaList(e.value));
        t.foldedLines.reserve(t.text.lines.size());
        for (const std::string& line : t.text.lines) t.foldedLines.push_back(UpperCp1257(line));
        return t;
    }

    // Index of the entry of a code in section BEX, or -1.
    long entryOf(std::string_view code) const {
        if (!bex) return -1;
        const auto it = bex->firstOfKey.find(UpperCp1257(TrimIniKey(code)));
        return it == bex->firstOfKey.end() ? -1 : static_cast<long>(it->second);
    }

    // Index of the first line containing the upper-cased text, or -1.
    long firstLineContaining(const std::string& folded) const {
        return substrings->firstLineContaining(foldedLines, folded);
    }
};

CachedTable<WwlTable>& Cache() {
    static CachedTable<WwlTable> cache(&WwlTable::Build);
    return cache;
}

// The table's path, rebuilt only when the folder of the shipped files changes: the
// square of a point is asked for millions of times in a batch.
const std::string& TablePath() {
    static std::string folder, path;
    if (path.empty() || folder != CurrentPaths().ShippedFolder()) {
        folder = CurrentPaths().ShippedFolder();
        path = FilePath(kWwlTableFile);
    }
    return path;
}

std::optional<std::string> GridSquare(const std::optional<std::string>& code) {
    if (code && SquareExists(*code)) return code;
    return std::nullopt;
}

}  // namespace

std::string SquareEntry(std::string_view code) {
    const auto table = Cache().get(TablePath());
    if (!table) return std::string();
    const long i = table->entryOf(code);
    return i < 0 ? std::string() : table->bex->entries[static_cast<size_t>(i)].value;
}

bool SquareExists(std::string_view code) {
    const auto table = Cache().get(TablePath());
    if (!table) return false;
    const long i = table->entryOf(code);
    return i >= 0 && !table->bex->entries[static_cast<size_t>(i)].value.empty();
}

bool FindWWLfromBEX(std::string_view code,
                    const std::function<void(int index, const std::string& locator)>& place) {
    const auto table = Cache().get(TablePath());
    if (!table) return false;
    const long entry = table->entryOf(code);
    if (entry < 0 || table->bex->entries[static_cast<size_t>(entry)].value.empty()) return false;
    const std::vector<std::string>& items = table->itemsOf[static_cast<size_t>(entry)];
    for (int i = 0; i < 8; ++i) {
        if (static_cast<size_t>(i) >= items.size()) throw IndexError(i);
        place(i, items[static_cast<size_t>(i)]);
    }
    return true;
}

std::optional<std::array<std::string, 8>> FindWWLfromBEX(std::string_view code) {
    std::array<std::string, 8> locators;
    if (!FindWWLfromBEX(
            code, [&](int i, const std::string& wwl) { locators[static_cast<size_t>(i)] = wwl; }))
        return std::nullopt;
    return locators;
}

namespace {

// The table as it is now; a file without a single square (a file of junk, an empty one)
// raises as a missing one does, instead of every lookup answering "?".
std::shared_ptr<const WwlTable> RequiredTable() {
    auto table = Cache().require(TablePath());
    if (table->bex)
        for (const IniEntry& e : table->bex->entries)
            if (!e.value.empty()) return table;
    throw FileOpenError(TablePath(), CpMessage(Msg::WwlTableNoSquares));
}

}  // namespace

void RequireWwlTable() {
    (void)RequiredTable();
}

std::optional<std::string> FindLineOfWWL(std::string_view locator) {
    const auto table = RequiredTable();
    const long i = table->firstLineContaining(UpperCp1257(locator));
    if (i < 0) return std::nullopt;
    const std::string& line = table->text.lines[static_cast<size_t>(i)];
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string FindBEXfromWWL(std::string_view locator) {
    return FindLineOfWWL(locator).value_or("?");
}

std::string fWWLtoBEX(std::string_view locator) {
    const std::string_view wwl = TrimBlanks(locator);
    if (wwl.size() != 6) return std::string();
    return fBEX(fLat(wwl), fLong(wwl));
}

std::string CalcBEX(float latitude, float longitude) {
    return GridSquare(GridCodeOf(latitude, longitude)).value_or("?");
}

std::string fBEX(float latitude, float longitude) {
    try {
        return GridSquare(GridCodeOfRadians(latitude, longitude)).value_or(std::string());
    } catch (const std::exception&) {
        return std::string();
    }
}

}  // namespace kx
