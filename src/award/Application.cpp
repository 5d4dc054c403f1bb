#include "award/Application.h"

#include <algorithm>
#include <array>
#include <utility>

#include "log/QSOLog.h"
#include "platform/Cp1257.h"

namespace kx {

namespace {

// The line index at which the list of the preview starts page 2, and the lines of every
// page after it.
constexpr int kSecondPageStart = 54;
constexpr int kPageLines = 59;

// The page that starts at line index k, or 0 when none does.
int PageStartingAt(int k) {
    if (k < kSecondPageStart || (k - kSecondPageStart) % kPageLines != 0) return 0;
    return (k - kSecondPageStart) / kPageLines + 2;
}

bool RightAligned(int col) {
    return col == lcNumber || col == lcBand;
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string PadLeft(const std::string& text, std::size_t width) {
    if (text.size() >= width) return text;
    return std::string(width - text.size(), ' ') + text;
}

// Deletes `width` characters where the placeholder starts (fewer at the line's end) and
// inserts the replacement there.
void ReplaceFirst(std::string& line, std::string_view placeholder, std::size_t width,
                  const std::string& replacement) {
    std::size_t at = line.find(placeholder);
    if (at == std::string::npos) return;
    line.erase(at, std::min(width, line.size() - at));
    line.insert(at, replacement);
}

}  // namespace

std::string fClassWord(int awardClass, Lang lang) {
    switch (awardClass) {
        case ac100:
            return "100 ";
        case ac200:
            return "200 ";
        case ac300:
            return "300 ";
        case acTrophy:
            return CpMessage(Msg::AwardTrophy, lang) + " ";
        default:
            return "";
    }
}

std::string fBandGroupWord(BandGroup group, Lang lang) {
    switch (group) {
        case BandGroup::HF:
            return CpMessage(Msg::AwardBandHF, lang) + " ";
        case BandGroup::VHF:
            return CpMessage(Msg::AwardBandVHF, lang) + " ";
        case BandGroup::All:
            break;
    }
    return "";
}

std::string fModeGroupWord(ModeGroup group, Lang lang) {
    switch (group) {
        case ModeGroup::CW:
            return "CW ";
        case ModeGroup::SSB:
            return "SSB ";
        case ModeGroup::Phone:
            return CpMessage(Msg::AwardPhoneWord, lang) + " ";
        case ModeGroup::Digital:
            return CpMessage(Msg::AwardDigitalWord, lang) + " ";
        case ModeGroup::All:
            break;
    }
    return "";
}

std::string fApplicationTitle(const AwardFilter& filter, Lang lang) {
    std::string words;
    if (const std::string band = fBandGroupWord(filter.band, lang); !band.empty())
        words += band + " ";
    if (const std::string mode = fModeGroupWord(filter.mode, lang); !mode.empty())
        words += UpperCp1257(mode) + " ";
    return CpMessage(Msg::AwardFilteredTitle, lang, {words});
}

int fClassThreshold(int awardClass) {
    switch (awardClass) {
        case ac100:
            return 100;
        case ac200:
            return 200;
        case ac300:
            return 300;
        default:
            return 0;
    }
}

std::string FillPlaceholders(std::string line, const ApplicationData& data) {
    ReplaceFirst(line, "{cn}", 5, fClassWord(data.awardClass, data.lang));
    ReplaceFirst(line, "{cl}", 5, fBandGroupWord(data.filter.band, data.lang));
    ReplaceFirst(line, "{scl}", 6, fModeGroupWord(data.filter.mode, data.lang));
    ReplaceFirst(line, "{name}", 6, data.name);
    ReplaceFirst(line, "{call}", 6, UpperAscii(data.call));
    ReplaceFirst(line, "{addr}", 6, data.address);
    ReplaceFirst(line, "{eaddr}", 7, data.email);
    ReplaceFirst(line, "{version}", 9, data.version);
    ReplaceFirst(line, "{cnt}", 5, std::to_string(data.count));
    ReplaceFirst(line, "{date}", 6, data.date);
    return line;
}

ListLayout FitListLayout(const std::vector<ListEntry>& rows) {
    ListLayout layout = kListLayout;
    std::size_t shift = 0;  // how far the widened slots before a column have moved it
    for (int col = 0; col < kListColumns; ++col) {
        layout[col] += shift;
        if (col == kListColumns - 1) break;
        std::size_t longest = 0;
        for (const ListEntry& row : rows) longest = std::max(longest, row[col].size());
        const std::size_t slot = kListLayout[col + 1] - kListLayout[col];
        if (longest + 1 > slot) shift += longest + 1 - slot;
    }
    return layout;
}

std::string ListLine(const ListEntry& row, const ListLayout& layout) {
    std::string line(layout[kListColumns - 1] + 1, ' ');
    for (int col = 0; col < kListColumns; ++col) {
        const std::string cell =
            RightAligned(col) ? PadLeft(row[col], layout[col + 1] - layout[col] - 1) : row[col];
        line.insert(std::min(layout[col] - 1, line.size()), cell);
    }
    std::size_t end = line.size();
    while (end > 0 && static_cast<unsigned char>(line[end - 1]) <= ' ') --end;
    line.resize(end);
    return line;
}

std::vector<std::string> PageHeaderLines(int page, std::string_view call,
                                         std::string_view heading) {
    std::string number = UpperAscii(call);
    number.resize(std::max<std::size_t>(25, number.size() + 1), ' ');
    number += "-" + std::to_string(page) + "- ";
    std::vector<std::string> lines = {std::string(1, '\f'), number, "  "};
    if (!heading.empty()) lines.emplace_back(heading);
    return lines;
}

std::string FitListHeading(const std::string& line, const ListLayout& layout) {
    std::vector<std::pair<std::size_t, std::string>> words;  // 0-based start, text
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        words.emplace_back(start, line.substr(start, i - start));
    }
    if (words.size() != static_cast<std::size_t>(kListColumns)) return {};
    std::string fitted;
    for (int col = 0; col < kListColumns; ++col) {
        // A word over a right-aligned column keeps its end where the column's end goes.
        const int edge = RightAligned(col) ? col + 1 : col;
        std::size_t at = words[col].first + (layout[edge] - kListLayout[edge]);
        if (!fitted.empty()) at = std::max(at, fitted.size() + 1);
        fitted.resize(at, ' ');
        fitted += words[col].second;
    }
    return fitted;
}

void FillApplication(LineDocument& doc, const ApplicationData& data,
                     const std::vector<ListEntry>& rows, ListVariant variant) {
    for (int i = 0; i < doc.LineCount(); ++i) {
        doc.SetLineText(i, FillPlaceholders(doc.LineText(i), data));
    }

    int k = doc.FindLine(kListMarker);
    const bool hasMarker = k >= 0;
    if (!hasMarker) k = doc.LineCount();

    const ListLayout layout = FitListLayout(rows);
    // The column heading before the list moves with the columns, and continuation pages
    // repeat it.
    std::string heading;
    if (hasMarker && k > 0) {
        heading = FitListHeading(doc.LineText(k - 1), layout);
        if (!heading.empty()) doc.SetLineText(k - 1, heading);
    }
    for (const ListEntry& row : rows) {
        doc.InsertLine(k, ListLine(row, layout));
        ++k;
        if (variant != ListVariant::Preview) continue;
        const int page = PageStartingAt(k);
        if (page == 0) continue;
        for (const std::string& header : PageHeaderLines(page, data.call, heading)) {
            doc.InsertLine(k, header);
            ++k;
        }
    }

    if (!hasMarker) return;
    const int marker = doc.FindLine(kListMarker);
    if (marker < 0) return;
    doc.DeleteLine(marker);
    doc.InsertLine(marker, "  ");
}

std::string PlainLineDocument::LineText(int i) const {
    if (i < 0 || i >= LineCount()) return {};
    return lines_[i];
}

void PlainLineDocument::SetLineText(int i, const std::string& text) {
    if (i < 0 || i >= LineCount()) return;
    lines_[i] = text;
}

void PlainLineDocument::InsertLine(int i, const std::string& text) {
    if (i < 0 || i > LineCount()) return;
    lines_.insert(lines_.begin() + i, text);
}

void PlainLineDocument::DeleteLine(int i) {
    if (i < 0 || i >= LineCount()) return;
    lines_.erase(lines_.begin() + i);
}

int PlainLineDocument::FindLine(const std::string& text) const {
    for (int i = 0; i < LineCount(); ++i) {
        if (SameTextIgnoringCase(lines_[i], text)) return i;
    }
    return -1;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAscii(x) == FoldAscii(y);
           });
}

}  // namespace kx
