// libFuzzer target: the comma-list splitter of the reference tables.
//
// Invariants: no item is longer than the value; an all-blank value gives no items; joining
// plain items (no blank, comma, quote or NUL in them) with commas and splitting again
// gives the same items; quoting every item with doubled inner quotes gives them back too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "tables/CommaList.h"

using kxfuzz::Check;

namespace {

bool Plain(const std::string& item) {
    if (item.empty() || item.front() == '"') return false;
    for (unsigned char c : item)
        if (c <= 32 || c == ',') return false;
    return true;
}

std::string Quote(const std::string& item) {
    std::string out = "\"";
    for (char c : item) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> items = kx::SplitCommaList(value);

    const std::string_view cString = value.substr(0, value.find('\0'));
    bool allBlank = true;
    for (unsigned char c : cString) allBlank = allBlank && c <= 32;
    if (allBlank) Check(items.empty(), "an empty or all-blank value gives no items");
    for (const std::string& item : items) {
        Check(item.size() <= cString.size(), "no item is longer than the value");
        Check(item.find('\0') == std::string::npos, "a NUL ends the value");
    }

    std::vector<std::string> plain;
    for (const std::string& item : items)
        if (Plain(item)) plain.push_back(item);
    if (!plain.empty()) {
        std::string joined;
        for (std::size_t i = 0; i < plain.size(); ++i) joined += (i ? "," : "") + plain[i];
        Check(kx::SplitCommaList(joined) == plain, "plain items joined by commas split back");
    }

    std::vector<std::string> nonEmpty;
    for (const std::string& item : items)
        if (!item.empty()) nonEmpty.push_back(item);
    if (!nonEmpty.empty()) {
        std::string quoted;
        for (std::size_t i = 0; i < nonEmpty.size(); ++i)
            quoted += (i ? ", " : "") + Quote(nonEmpty[i]);
        Check(kx::SplitCommaList(quoted) == nonEmpty, "quoted items split back");
    }
    return 0;
}
