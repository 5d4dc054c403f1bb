#include "tables/CommaList.h"

namespace kx {

namespace {

bool IsBlank(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 1 && b <= 32;
}

}  // namespace

std::vector<std::string> SplitCommaList(std::string_view value) {
    if (const auto nul = value.find('\0'); nul != std::string_view::npos)
        value = value.substr(0, nul);
    std::vector<std::string> items;
    const size_t n = value.size();
    size_t p = 0;
    auto skipBlanks = [&] {
        while (p < n && IsBlank(value[p])) ++p;
    };
    skipBlanks();
    while (p < n) {
        std::string item;
        if (value[p] == '"') {
            ++p;
            while (p < n) {
                if (value[p] == '"') {
                    if (p + 1 < n && value[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;  // the closing quote
                    break;
                }
                item += value[p++];
            }
        } else {
            const size_t start = p;
            while (p < n && !IsBlank(value[p]) && value[p] != ',') ++p;
            item.assign(value.substr(start, p - start));
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (p < n && value[p] == ',') {
            if (p + 1 == n) items.emplace_back();
            ++p;
            skipBlanks();
        }
    }
    return items;
}

}  // namespace kx
