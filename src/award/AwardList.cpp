#include "award/AwardList.h"

#include <algorithm>
#include <set>
#include <utility>

#include "log/QSOLog.h"
#include "platform/Collation.h"
#include "platform/Cp1257.h"

namespace kx {

namespace {

struct CollatedLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        return CollateLess(a, b);
    }
};

}  // namespace

std::vector<ListEntry> AwardList::GridRows() const {
    if (entries_.empty()) return {ListEntry{}};
    return entries_;
}

AwardList MakeAwardList(const QSOLog& log, const AwardFilter& filter) {
    std::set<std::string, CollatedLess> seen;
    // The entry text that orders the list, with the cells of the entry.
    struct Found {
        std::string order;
        ListEntry entry;
        int row;
    };
    std::vector<Found> found;

    const int rows = log.RowCount();
    for (int row = 1; row < rows; ++row) {
        if (!Passes(filter, log.Cell(row, colBand), log.Cell(row, colMode))) continue;
        std::string_view square = log.Field(row, colBEX);
        if (square.size() != 3) continue;
        if (!seen.emplace(square).second) continue;

        std::string order(square);
        for (int col : {colCallsign, colBand, colMode, colDate, colSUTC}) {
            order += '\t';
            order += log.Cell(row, col);
        }
        ListEntry entry;
        entry[lcSquare] = square;
        entry[lcCallsign] = log.Field(row, colCallsign);
        entry[lcBand] = log.Field(row, colBand);
        entry[lcMode] = log.Field(row, colMode);
        entry[lcDate] = log.Field(row, colDate);
        entry[lcTime] = log.Field(row, colSUTC);
        found.push_back({std::move(order), std::move(entry), row});
    }

    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return CollateLess(a.order, b.order); });

    std::vector<ListEntry> entries;
    std::vector<int> logRows;
    entries.reserve(found.size());
    logRows.reserve(found.size());
    for (Found& f : found) {
        f.entry[lcNumber] = std::to_string(entries.size() + 1) + ".";
        entries.push_back(std::move(f.entry));
        logRows.push_back(f.row);
    }
    return AwardList(std::move(entries), std::move(logRows));
}

std::string HeaderText(const std::string& language) {
    // U+00A0 pads inside the cells; single ordinary blanks separate them.
    static const std::string english = Cp1257(
        "\u00a0\u00a0\u00a0#\u00a0\u00a0 \u00a0BEX\u00a0 \u00a0Callsign \u00a0Band\u00a0 "
        "\u00a0Mode\u00a0 \u00a0Date \u00a0Time");
    static const std::string lithuanian = Cp1257(
        "\u00a0\u00a0\u00a0Nr.\u00a0\u00a0 \u00a0BEX\u00a0 \u00a0Šaukinys \u00a0Banga\u00a0 "
        "\u00a0Moda\u00a0 \u00a0Data \u00a0Laikas");
    return language == "LT" ? lithuanian : english;
}

ListEntry HeaderCells(const std::string& language) {
    const std::string text = HeaderText(language);
    ListEntry cells;
    std::size_t start = 0;
    for (int col = 0; col < kListColumns; ++col) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos || col == kListColumns - 1) end = text.size();
        cells[col] = text.substr(start, end - start);
        start = std::min(end + 1, text.size());
    }
    return cells;
}

}  // namespace kx
