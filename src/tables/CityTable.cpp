#include "tables/CityTable.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "platform/Collation.h"
#include "platform/Globals.h"
#include "platform/Paths.h"
#include "tables/CommaList.h"
#include "tables/TableFile.h"

namespace kx {

CityNames::CityNames(std::vector<std::string> entries) : entries_(std::move(entries)) {
    folded_.reserve(entries_.size());
    based_.reserve(entries_.size());
    for (const auto& e : entries_) {
        folded_.push_back(UpperCp1257(e));
        based_.push_back(BaseLetters(e));
    }
}

CityNames CityNames::Load() {
    auto text = TableTextOf(kCityTableFile);
    if (!text) {
        const std::string path = FilePath(kCityTableFile);
        detail::RaiseOpenErrorFor(path);
        text = TableTextOf(kCityTableFile);  // the file appeared in between
        if (!text) detail::RaiseUnreadableFor(path);
    }
    std::vector<std::string> entries;
    entries.reserve(text->lines.size());
    for (const auto& line : text->lines) {
        const auto eq = line.find('=');
        entries.push_back(eq == std::string::npos ? std::string() : line.substr(0, eq));
    }
    return CityNames(std::move(entries));
}

std::vector<std::string> CityNames::Search(std::string_view text) const {
    std::vector<std::string> found;
    if (text.empty()) return found;
    // Typed without Lithuanian letters, a name is found by its base letters.
    const bool plain = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::string key = plain ? BaseLetters(text) : UpperCp1257(text);
    const std::vector<std::string>& names = plain ? based_ : folded_;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& f = names[i];
        if (f.size() >= key.size() && std::memcmp(f.data(), key.data(), key.size()) == 0) {
            found.push_back(entries_[i]);
        }
    }
    return found;
}

namespace {

// The name of a key without the municipality that tells places of one name apart:
// "Pakalniškiai (Kretingos r.)" is a Pakalniškiai.
std::string_view PlaceName(std::string_view key) {
    return TrimBlanks(key.substr(0, key.find(" (")));
}

// The entries of one version of the city table by their place names in base letters.
struct CityIndex {
    std::weak_ptr<const TableText> of;
    std::unordered_map<std::string, std::vector<const IniEntry*>> byName;  // in file order
};

const CityIndex& IndexOf(const std::shared_ptr<const TableText>& text) {
    static CityIndex index;
    if (index.of.lock() == text) return index;
    index = CityIndex{};
    index.of = text;
    if (const IniSection* section = text->ini.section(kCityTableSection)) {
        for (std::size_t i = 0; i < section->entries.size(); ++i) {
            const IniEntry& e = section->entries[i];
            // A key written twice counts once, by its first line, as the keyed lookup has it.
            const auto first = section->firstOfKey.find(UpperCp1257(e.key));
            if (first == section->firstOfKey.end() || first->second != i) continue;
            index.byName[BaseLetters(PlaceName(e.key))].push_back(&e);
        }
    }
    return index;
}

void AppendCodes(std::string& codes, std::string_view value) {
    for (const std::string& code : SplitCommaList(value)) {
        if (code.empty()) continue;
        const std::string list = "," + codes + ",";
        if (list.find("," + code + ",") != std::string::npos) continue;
        if (!codes.empty()) codes += ",";
        codes += code;
    }
}

}  // namespace

std::string CityEntry(std::string_view name) {
    const std::string exact = TableValue(kCityTableFile, kCityTableSection, name);
    const std::string_view typed = TrimBlanks(name);
    const bool wholeKey = typed.find(" (") != std::string_view::npos;
    if (typed.empty() || (wholeKey && !exact.empty())) return exact;
    const auto text = TableTextOf(kCityTableFile);
    if (!text) return exact;
    const CityIndex& index = IndexOf(text);
    const auto found = index.byName.find(BaseLetters(PlaceName(typed)));
    if (found == index.byName.end()) return exact;
    std::string codes;
    AppendCodes(codes, exact);
    for (const IniEntry* e : found->second) {
        if (wholeKey && BaseLetters(e->key) != BaseLetters(typed)) continue;
        AppendCodes(codes, e->value);
    }
    return codes;
}

}  // namespace kx
