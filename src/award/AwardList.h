// The award list: for a band group and a mode group, the first QSO of the log in each
// worked BEX square, ordered by square code and numbered. Its length is the count of
// worked squares that the application reports.
//
//   AwardList list = MakeAwardList(log, modeGroup, bandGroup);
//   list.Count();                 // worked squares
//   for (auto& row : list.GridRows()) ...   // one blank row when nothing qualifies
//
// Texts are Windows-1257 bytes, as everywhere in the core.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

class QSOLog;

// Band groups of the application window's radio buttons.
enum BandGroupIndex : int {
    bgHFVHF = 0,  // every band, also an empty one
    bgHF = 1,     // bands of kHFBands
    bgVHF = 2,    // bands of kVHFBands
};

// Mode groups of the application window's radio buttons.
enum ModeGroupIndex : int {
    mgAll = 0,      // every mode, also an empty one
    mgCW = 1,       // mode key "CW"
    mgSSB = 2,      // mode key "SSB"
    mgPhone = 3,    // mode key found in kPhoneModes
    mgDigital = 4,  // mode key found in kDigitalModes
};

// The fixed lists the filters search. A band key carries a blank on each side, so 2M
// never matches the 12M of the HF list nor 6M the 6CM of the VHF list. The mode lists
// have no separators: a key matches wherever its letters stand side by side (AM is
// phone and digital, the one-letter mode A is phone).
inline constexpr std::string_view kHFBands = " 160M 80M 40M 30M 20M 17M 15M 12M 10M ";
inline constexpr std::string_view kVHFBands = " 6M 2M 70CM 23CM 13CM 9CM 6CM 3CM ";
inline constexpr std::string_view kPhoneModes = "SSBAMFMPHONE";
inline constexpr std::string_view kDigitalModes = "RTTYBPSKOLIVIAMFSKHELLMTHROB";

// " " + the trimmed band + " ".
std::string fBandKey(std::string_view band);

// The trimmed mode; when longer than one character, only its ASCII capitals in their
// order (BPSK31 -> BPSK, MT63 -> MT, ssb -> empty). A one-character mode stays as it is.
std::string fModeKey(std::string_view mode);

// Whether a band key / mode key passes the group's filter. Exact, case-sensitive.
// Groups outside their range accept everything, as groups 0 do.
bool fBandPasses(int bandGroup, std::string_view bandKey);
bool fModePasses(int modeGroup, std::string_view modeKey);

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
    explicit AwardList(std::vector<ListEntry> entries) : entries_(std::move(entries)) {}

    // Entries in square order; the number cell of entry i is "<i+1>.".
    const std::vector<ListEntry>& Entries() const { return entries_; }
    // The count of worked squares.
    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }

    // The data rows of the list grid: the entries, or one blank row when there are none.
    std::vector<ListEntry> GridRows() const;

private:
    std::vector<ListEntry> entries_;
};

// Builds the award list from the data rows of the log, read in the log's current order:
// band and mode filters first, then the first remaining QSO of each square (squares that
// differ only in letter case are one; the spelling of the first is kept). Only a trimmed
// BEX field of exactly three characters names a square; "?" and other lengths never
// count. Entries are ordered by the program's text order without regard to case.
AwardList MakeAwardList(const QSOLog& log, int modeGroup, int bandGroup);

// The heading row of the list grid for a language ("LT" Lithuanian, else English): seven
// cells separated by single blanks, padded inside with non-breaking spaces (byte 0xA0).
std::string HeaderText(const std::string& language);
// HeaderText split at its ordinary blanks into the seven cells.
ListEntry HeaderCells(const std::string& language);

}  // namespace kx
