#include "live/LiveQso.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "award/AwardGroups.h"
#include "log/AdifImport.h"
#include "platform/Messages.h"
#include "tables/CallTable.h"
#include "tables/CommaList.h"
#include "tables/WwlTable.h"

namespace kx::live {

namespace {

struct BandEdge {
    std::uint64_t low, high;  // Hz, both ends in the band
    const char* name;
};

// The bands of the ADIF band list.
constexpr BandEdge kBands[] = {
    {135'700, 137'800, "2190M"},
    {472'000, 479'000, "630M"},
    {501'000, 504'000, "560M"},
    {1'800'000, 2'000'000, "160M"},
    {3'500'000, 4'000'000, "80M"},
    {5'060'000, 5'450'000, "60M"},
    {7'000'000, 7'300'000, "40M"},
    {10'100'000, 10'150'000, "30M"},
    {14'000'000, 14'350'000, "20M"},
    {18'068'000, 18'168'000, "17M"},
    {21'000'000, 21'450'000, "15M"},
    {24'890'000, 24'990'000, "12M"},
    {28'000'000, 29'700'000, "10M"},
    {40'000'000, 45'000'000, "8M"},
    {50'000'000, 54'000'000, "6M"},
    {54'000'001, 69'900'000, "5M"},
    {70'000'000, 71'000'000, "4M"},
    {144'000'000, 148'000'000, "2M"},
    {222'000'000, 225'000'000, "1.25M"},
    {420'000'000, 450'000'000, "70CM"},
    {902'000'000, 928'000'000, "33CM"},
    {1'240'000'000, 1'300'000'000, "23CM"},
    {2'300'000'000, 2'450'000'000, "13CM"},
    {3'300'000'000, 3'500'000'000, "9CM"},
    {5'650'000'000, 5'925'000'000, "6CM"},
    {10'000'000'000, 10'500'000'000, "3CM"},
    {24'000'000'000, 24'250'000'000, "1.25CM"},
    {47'000'000'000, 47'200'000'000, "6MM"},
    {75'500'000'000, 81'000'000'000, "4MM"},
    {119'980'000'000, 123'000'000'000, "2.5MM"},
    {134'000'000'000, 149'000'000'000, "2MM"},
    {241'000'000'000, 250'000'000'000, "1MM"},
};

void Field(std::string& out, std::string_view name, std::string_view value) {
    if (value.empty()) return;
    out += '<';
    out += name;
    out += ':';
    out += std::to_string(value.size());
    out += '>';
    out += value;
    out += ' ';
}

std::string DateText(const UtcDateTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.year, t.month, t.day);
    return buf;
}

std::string TimeText(const UtcDateTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.hour, t.minute, t.second);
    return buf;
}

bool IsGrid4(std::string_view w) {
    auto letter = [](char c) { return c >= 'A' && c <= 'R'; };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return w.size() == 4 && letter(w[0]) && letter(w[1]) && digit(w[2]) && digit(w[3]) &&
           w != "RR73";
}

// A word that can be a call sign: letters, digits and "/", with a digit and a letter.
bool IsCallWord(std::string_view w) {
    if (w.size() < 3 || w.size() > 13) return false;
    bool digit = false, letter = false;
    for (char c : w) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c >= 'A' && c <= 'Z')
            letter = true;
        else if (c != '/')
            return false;
    }
    return digit && letter;
}

bool SameText(std::string_view a, std::string_view b) {
    return UpperAscii(TrimField(a)) == UpperAscii(TrimField(b));
}

// The award group a mode belongs to; none for a mode the table does not know or an image
// mode.
std::optional<ModeGroup> GroupOfMode(std::string_view mode) {
    const ModeInfo* info = FindMode(mode);
    if (!info) return std::nullopt;
    switch (info->kind) {
        case ModeKind::Cw:
            return ModeGroup::CW;
        case ModeKind::Ssb:
            return ModeGroup::SSB;
        case ModeKind::Phone:
            return ModeGroup::Phone;
        case ModeKind::Digital:
            return ModeGroup::Digital;
        case ModeKind::Image:
            break;
    }
    return std::nullopt;
}

}  // namespace

std::string BandOfFrequency(std::uint64_t hertz) {
    for (const auto& b : kBands)
        if (hertz >= b.low && hertz <= b.high) return b.name;
    return {};
}

std::string QsoLoggedAdif(const QsoLogged& q, std::string_view senderId) {
    std::string out = "<ADIF_VER:5>3.1.0 ";
    Field(out, "PROGRAMID", senderId.empty() ? std::string_view("WSJT-X") : senderId);
    out += "<EOH>\n";
    const UtcDateTime& on = q.timeOn.valid ? q.timeOn : q.timeOff;
    Field(out, "CALL", q.dxCall);
    Field(out, "GRIDSQUARE", q.dxGrid);
    Field(out, "MODE", q.mode);
    Field(out, "RST_SENT", q.reportSent);
    Field(out, "RST_RCVD", q.reportReceived);
    if (on.valid) {
        Field(out, "QSO_DATE", DateText(on));
        Field(out, "TIME_ON", TimeText(on));
    }
    if (q.timeOff.valid) {
        Field(out, "QSO_DATE_OFF", DateText(q.timeOff));
        Field(out, "TIME_OFF", TimeText(q.timeOff));
    }
    Field(out, "BAND", BandOfFrequency(q.frequency));
    if (q.frequency > 0) {
        char mhz[32];
        std::snprintf(mhz, sizeof mhz, "%llu.%06llu",
                      static_cast<unsigned long long>(q.frequency / 1'000'000),
                      static_cast<unsigned long long>(q.frequency % 1'000'000));
        Field(out, "FREQ", mhz);
    }
    Field(out, "STATION_CALLSIGN", q.myCall);
    Field(out, "MY_GRIDSQUARE", q.myGrid);
    Field(out, "TX_PWR", q.txPower);
    Field(out, "COMMENT", q.comments);
    Field(out, "NAME", q.name);
    Field(out, "OPERATOR", q.operatorCall);
    out += "<EOR>\n";
    return out;
}

bool ReadHeardCall(std::string_view message, HeardCall& heard) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < message.size()) {
        while (i < message.size() && message[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < message.size() && message[i] != ' ') ++i;
        if (i > start) {
            std::string w = UpperAscii(message.substr(start, i - start));
            if (w.size() > 2 && w.front() == '<' && w.back() == '>') w = w.substr(1, w.size() - 2);
            words.push_back(std::move(w));
        }
    }
    std::size_t from = 1;  // "TO FROM ...": the sender is the second word
    if (!words.empty() && (words[0] == "CQ" || words[0] == "QRZ")) {
        // "CQ CALL", "CQ DX CALL", "CQ POTA CALL", "CQ 123 CALL": the first call-like word.
        from = 1;
        if (words.size() > 2 && !IsCallWord(words[1])) from = 2;
    }
    if (words.size() <= from || !IsCallWord(words[from])) return false;
    heard.call = words[from];
    heard.grid.clear();
    if (words.size() > from + 1 && IsGrid4(words[from + 1])) heard.grid = words[from + 1];
    return true;
}

HeardVerdict JudgeHeard(const QSOLog& log, std::string_view call, std::string_view grid,
                        std::string_view band, std::string_view mode) {
    HeardVerdict v;
    const std::string who = UpperAscii(call);
    auto add = [&](std::string_view square) {
        std::string s = UpperAscii(TrimField(square));
        if (s.size() == 3 && fTestBEX(s) &&
            std::find(v.squares.begin(), v.squares.end(), s) == v.squares.end())
            v.squares.push_back(s);
    };
    for (int r = 1; r <= log.DataRowCount(); ++r)
        if (UpperAscii(log.Field(r, colCallsign)) == who) add(log.Field(r, colBEX));
    if (v.squares.empty())
        for (const auto& item : SplitCommaList(CallEntry(who))) add(item);
    if (grid.size() == 4 && v.squares.size() > 1) {
        std::vector<std::string> inGrid;
        const std::string g = UpperAscii(grid);
        for (const auto& s : v.squares)
            if (auto locators = FindWWLfromBEX(s))
                if (std::any_of(locators->begin(), locators->end(),
                                [&](const std::string& l) { return l.starts_with(g); }))
                    inGrid.push_back(s);
        if (!inGrid.empty()) v.squares = std::move(inGrid);
    }
    if (v.squares.empty()) return v;
    // The award group of the mode heard: a QSO in a mode that passes its filter counts.
    const std::optional<ModeGroup> group = GroupOfMode(mode);
    auto sameGroup = [&](std::string_view logged) { return !group || fModePasses(*group, logged); };
    v.verdict = Verdict::Worked;
    for (const auto& s : v.squares) {
        bool worked = false;
        for (int r = 1; r <= log.DataRowCount() && !worked; ++r)
            worked = log.Field(r, colBEX) == s && SameText(log.Field(r, colBand), band) &&
                     sameGroup(log.Field(r, colMode));
        if (!worked) {
            v.verdict = Verdict::Needed;
            v.needed = s;
            break;
        }
    }
    return v;
}

std::string VerdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Needed:
            return CpMessage(Msg::LiveNeeded);
        case Verdict::Worked:
            return CpMessage(Msg::LiveWorked);
        case Verdict::Unknown:
            break;
    }
    return CpMessage(Msg::LiveNoSquare);
}

}  // namespace kx::live
