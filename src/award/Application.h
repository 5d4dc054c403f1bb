// The award application document: a template seen as a sequence of lines, its
// placeholders filled from the application window, and the award list put in place of
// the marker line "{qsolist}".
//
// The document itself is behind LineDocument, so the filling works on any line store
// (the window's rich-text view, or a plain vector of lines in tests):
//
//   ApplicationData data = ...;              // words, applicant texts, count, date
//   FillApplication(doc, data, list.GridRows(), ListVariant::Preview);
//
// Texts are Windows-1257 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "award/AwardList.h"
#include "platform/Messages.h"

namespace kx {

// A document as lines: each line is one paragraph, its text without the line break.
class LineDocument {
public:
    virtual ~LineDocument() = default;

    virtual int LineCount() const = 0;
    // Plain text of line i.
    virtual std::string LineText(int i) const = 0;
    // Replaces the text of line i; the line takes the formatting of its first character.
    virtual void SetLineText(int i, const std::string& text) = 0;
    // Inserts a line before line i with the formatting found at the start of line i;
    // i == LineCount() appends a line with the formatting of the last one; i < 0 or
    // i > LineCount() inserts nothing.
    virtual void InsertLine(int i, const std::string& text) = 0;
    // Deletes line i; an index outside the document deletes nothing.
    virtual void DeleteLine(int i) = 0;
    // Index of the first line whose whole text equals text without regard to letter case,
    // or -1.
    virtual int FindLine(const std::string& text) const = 0;
};

// The award classes of the application window's radio buttons.
enum AwardClassIndex : int {
    acBasic = 0,   // rbBEX
    ac100 = 1,     // rb100
    ac200 = 2,     // rb200
    ac300 = 3,     // rb300
    acTrophy = 4,  // rbTrophy
};

// The squares a class asks for, as its name says: 100, 200 and 300 for BEX 100, 200 and
// 300; 0 (no threshold the program knows) for the basic class and the Trophy.
int fClassThreshold(int awardClass);

// The words the placeholders {cn}, {cl} and {scl} become in the template's language; each
// non-empty word ends in a blank ("100 ", "HF ", "Phone "; "TB ", "telefonijos " in
// Lithuanian), the basic class, HF/VHF and All give nothing.
std::string fClassWord(int awardClass, Lang lang = Lang::English);
std::string fBandGroupWord(BandGroup group, Lang lang = Lang::English);
std::string fModeGroupWord(ModeGroup group, Lang lang = Lang::English);

// The application window's title after a band or mode choice:
// " BEX  " + "HF  "/"VHF  " + "CW  "/"SSB  "/"PHONE  "/"DIGITAL  " + "Application", in
// Lithuanian " PARAIŠKA  BEX  " + "TB  " ... + "DIPLOMUI".
std::string fApplicationTitle(const AwardFilter& filter, Lang lang = Lang::English);

// What the placeholders of a template are replaced by.
struct ApplicationData {
    int awardClass = acBasic;
    AwardFilter filter;         // {cl} and {scl}
    std::string name;           // {name}
    std::string call;           // {call}, in capitals (a-z only)
    std::string address;        // {addr}
    std::string email;          // {eaddr}
    std::string version;        // {version}
    int count = 0;              // {cnt}
    std::string date;           // {date}, already in the user's short date format
    Lang lang = Lang::English;  // the template's: the words of {cn}, {cl} and {scl}
};

// The marker line the list replaces (matched as a whole line, ignoring case).
inline constexpr const char* kListMarker = "{qsolist}";

// One template line with its placeholders replaced, in the order {cn} {cl} {scl} {name}
// {call} {addr} {eaddr} {version} {cnt} {date}. Each is matched case-sensitively and only
// its first occurrence is replaced; a fixed number of characters is deleted where it
// starts ({cn} and {cl} 5, {scl} 6: the placeholder with the blank after it) and the
// replacement goes in at that place, where a later placeholder can still be found.
std::string FillPlaceholders(std::string line, const ApplicationData& data);

// Where the seven cells of the list lines start (1-based columns). The number and the
// band are right-aligned in the slot up to the next column, less one blank.
using ListLayout = std::array<std::size_t, kListColumns>;

// The columns 1, 6, 11, 24, 29, 36 and 48: room for a number of 4, a callsign of 12, a
// band of 4, a mode of 6 and a date of 11 characters with a blank after each.
inline constexpr ListLayout kListLayout = {1, 6, 11, 24, 29, 36, 48};

// The columns for a whole list: kListLayout, with every slot widened as far as the
// longest cell of its column needs to keep one blank before the next column, so that
// long modes ("OLIVIA 8/250") or bands ("2190M") never run into the next field and all
// lines stay aligned. A list whose cells fit gets kListLayout itself.
ListLayout FitListLayout(const std::vector<ListEntry>& rows);

// The list line of one grid row: the seven cells inserted into a line of blanks at the
// columns of the layout, the number and the band right-aligned in their slots, right
// blanks removed. With kListLayout a cell longer than its slot does not move the later
// cells (entry 1000. fills the blank before the square).
std::string ListLine(const ListEntry& row, const ListLayout& layout = kListLayout);

// The lines of the page header before page `page` (2, 3, ...): a form feed; the
// applicant's call sign in capitals, filled with blanks to column 25 (at least one blank),
// then the page number "-<page>-" and one blank; a line of two blanks; and the column
// heading of the list when there is one.
std::vector<std::string> PageHeaderLines(int page, std::string_view call = {},
                                         std::string_view heading = {});

// The column heading of the list (the template line before the marker, seven words over
// the columns of kListLayout, such as "   # BEX  Callsign     Band Mode   Date        UTC")
// with its words moved as the layout moved the columns under them: the words of the
// number and the band keep their right ends with the columns' ends, the others their
// starts, one blank at least between two. Empty for a line that is not seven words.
std::string FitListHeading(const std::string& line, const ListLayout& layout);

enum class ListVariant {
    Preview,  // with page headers, for the screen and the printer
    Save,     // without them, for the file
};

// Fills a loaded template in place: every line is written back with its placeholders
// replaced; the list lines of `rows` (laid out by FitListLayout) go before the marker
// line, and the preview adds the header of the next page whenever the list reaches the
// line indexes 54, 113, 172 ... (every 59 lines, page 2, 3, 4 ...); then the marker line
// becomes a line of two blanks. A template without a marker line gets the list at its
// end. The line before the marker, when FitListHeading reads it as the column heading,
// is moved with the columns and repeated in the page headers with the call sign.
void FillApplication(LineDocument& doc, const ApplicationData& data,
                     const std::vector<ListEntry>& rows, ListVariant variant);

// A LineDocument over a vector of lines, without formatting.
class PlainLineDocument : public LineDocument {
public:
    PlainLineDocument() = default;
    explicit PlainLineDocument(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    int LineCount() const override { return static_cast<int>(lines_.size()); }
    std::string LineText(int i) const override;
    void SetLineText(int i, const std::string& text) override;
    void InsertLine(int i, const std::string& text) override;
    void DeleteLine(int i) override;
    int FindLine(const std::string& text) const override;

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

// Equal texts when ASCII letters are compared without case.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace kx
