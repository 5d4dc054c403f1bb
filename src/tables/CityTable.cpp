#include "tables/CityTable.h"

#include <cstring>

#include "platform/Globals.h"
#include "platform/Paths.h"
#include "tables/TableFile.h"

namespace kx {

CityNames::CityNames(std::vector<std::string> entries) : entries_(std::move(entries)) {
    folded_.reserve(entries_.size());
    for (const auto& e : entries_) folded_.push_back(UpperCp1257(e));
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
    const std::string key = UpperCp1257(text);
    for (std::size_t i = 0; i < folded_.size(); ++i) {
        const std::string& f = folded_[i];
        if (f.size() >= key.size() && std::memcmp(f.data(), key.data(), key.size()) == 0) {
            found.push_back(entries_[i]);
        }
    }
    return found;
}

std::string CityEntry(std::string_view name) {
    return TableValue(kCityTableFile, kCityTableSection, name);
}

}  // namespace kx
