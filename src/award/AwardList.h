// The award list: for a band group and a mode group, the first QSO of the log in each
// worked BEX square, ordered by square code and numbered. Its length is the count of
// worked squares that the application reports.
//
//   AwardList list = MakeAwardList(log, {BandGroup::HF, ModeGroup::Digital});
//   list.Count();                 // worked squares
//   for (auto& row : list.GridRows()) ...   // one blank row when nothing qualifies
//
// Texts are Windows-1257 bytes, as everywhere in the core.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "award/AwardGroups.h"

namespace kx {

class QSOLog;

// Cells of one list row, in grid column order.
enum ListColumn : int {
    lcNumber = 0,  // "1.", "2.", ...
    lcSquare = 1,
    lcCallsign = 2,
    lcBand = 3,
    lcMode = 4,
    lcDate = 5,
    lcTime = 6,  // start time (sUTC)
};
inline constexpr int kListColumns = 7;

// One list entry: its seven cells, each the log's field trimmed (an empty field stays an
// empty cell, a field with blanks or commas stays whole).
using ListEntry = std::array<std::string, kListColumns>;

class AwardList {
public:
    AwardList() = default;
    // logRows: the log row of each entry (empty: not known, every row 0).
    explicit AwardList(std::vector<ListEntry> entries, std::vector<int> logRows = {})
        : entries_(std::move(entries)), logRows_(std::move(logRows)) {}

    // Entries in square order; the number cell of entry i is "<i+1>.".
    const std::vector<ListEntry>& Entries() const { return entries_; }
    // The count of worked squares.
    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    // The log row (1..N) of entry i's QSO when the list was made, or 0.
    int LogRow(int i) const {
        return i >= 0 && i < static_cast<int>(logRows_.size())
                   ? logRows_[static_cast<std::size_t>(i)]
                   : 0;
    }

    // The data rows of the list grid: the entries, or one blank row when there are none.
    std::vector<ListEntry> GridRows() const;

private:
    std::vector<ListEntry> entries_;
    std::vector<int> logRows_;
};

// Builds the award list from the data rows of the log, read in the log's current order:
// band and mode filters first (AwardGroups.h), then the first remaining QSO of each square (squares
// that differ only in letter case are one; the spelling of the first is kept). Only a trimmed BEX
// field of exactly three characters names a square; "?" and other lengths never count. Entries are
// ordered by the program's text order without regard to case.
AwardList MakeAwardList(const QSOLog& log, const AwardFilter& filter);

// The heading row of the list grid for a language ("LT" Lithuanian, else English): seven
// cells separated by single blanks, padded inside with non-breaking spaces (byte 0xA0).
std::string HeaderText(const std::string& language);
// HeaderText split at its ordinary blanks into the seven cells.
ListEntry HeaderCells(const std::string& language);

}  // namespace kx
