#include "award/AwardGroups.h"

#include <string>
#include <unordered_map>

#include "log/QSOLog.h"

namespace kx {

namespace {

// One ADIF mode with its submodes ('|' between them); a submode counts as its mode does.
struct ModeRow {
    std::string_view mode;
    ModeKind kind;
    std::string_view submodes;
};

constexpr ModeKind kCw = ModeKind::Cw;
constexpr ModeKind kSsb = ModeKind::Ssb;
constexpr ModeKind kPhone = ModeKind::Phone;
constexpr ModeKind kData = ModeKind::Digital;
constexpr ModeKind kImage = ModeKind::Image;

// The ADIF 3.1.7 mode list with its submodes. Import-only ADIF modes such as PSK31, C4FM or
// JT65A are submodes of today's list and are found there.
constexpr ModeRow kModes[] = {
    {"AM", kPhone, ""},
    {"ARDOP", kData, ""},
    {"ATV", kImage, ""},
    {"CHIP", kData, "CHIP64|CHIP128"},
    {"CLO", kData, ""},
    {"CONTESTI", kData, ""},
    {"CW", kCw, "PCW"},
    {"DIGITALVOICE", kPhone, "C4FM|DMR|DSTAR|FREEDV|M17"},
    {"DOMINO", kData, "DOM-M|DOM4|DOM5|DOM8|DOM11|DOM16|DOM22|DOM44|DOM88|DOMINOEX|DOMINOF"},
    {"DYNAMIC", kData, "FREEDATA|VARA HF|VARA SATELLITE|VARA FM 1200|VARA FM 9600"},
    {"FAX", kImage, ""},
    {"FM", kPhone, ""},
    {"FSK", kData, "SCAMP_FAST|SCAMP_SLOW|SCAMP_VSLOW"},
    {"FSK441", kData, ""},
    {"FT8", kData, ""},
    {"HELL", kData, "FMHELL|FSKH105|FSKH245|FSKHELL|HELL80|HELLX5|HELLX9|HFSK|PSKHELL|SLOWHELL"},
    {"ISCAT", kData, "ISCAT-A|ISCAT-B"},
    {"JT4", kData, "JT4A|JT4B|JT4C|JT4D|JT4E|JT4F|JT4G"},
    {"JT44", kData, ""},
    {"JT65", kData, "JT65A|JT65B|JT65B2|JT65C|JT65C2"},
    {"JT6M", kData, ""},
    {"JT9", kData,
     "JT9-1|JT9-2|JT9-5|JT9-10|JT9-30|JT9A|JT9B|JT9C|JT9D|JT9E|JT9E FAST|JT9F|JT9F FAST|JT9G|"
     "JT9G FAST|JT9H|JT9H FAST"},
    {"MFSK", kData,
     "FSQCALL|FST4|FST4W|FT2|FT4|JS8|JTMS|MFSK4|MFSK8|MFSK11|MFSK16|MFSK22|MFSK31|MFSK32|MFSK64|"
     "MFSK64L|MFSK128|MFSK128L|Q65"},
    {"MSK144", kData, ""},
    {"MT63", kData, ""},
    {"MTONE", kData, "SCAMP_OO|SCAMP_OO_SLW"},
    {"OFDM", kData, "RIBBIT_PIX|RIBBIT_SMS"},
    {"OLIVIA", kData,
     "OLIVIA 4/125|OLIVIA 4/250|OLIVIA 8/250|OLIVIA 8/500|OLIVIA 16/500|OLIVIA 16/1000|"
     "OLIVIA 32/1000"},
    {"OPERA", kData, "OPERA-BEACON|OPERA-QSO"},
    {"PAC", kData, "PAC2|PAC3|PAC4"},
    {"PAX", kData, "PAX2"},
    {"PKT", kData, ""},
    {"PSK", kData,
     "8PSK125|8PSK125F|8PSK125FL|8PSK250|8PSK250F|8PSK250FL|8PSK500|8PSK500F|8PSK1000|"
     "8PSK1000F|8PSK1200F|FSK31|PSK10|PSK31|PSK63|PSK63F|PSK63RC4|PSK63RC5|PSK63RC10|"
     "PSK63RC20|PSK63RC32|PSK125|PSK125C12|PSK125R|PSK125RC10|PSK125RC12|PSK125RC16|"
     "PSK125RC4|PSK125RC5|PSK250|PSK250C6|PSK250R|PSK250RC2|PSK250RC3|PSK250RC5|PSK250RC6|"
     "PSK250RC7|PSK500|PSK500C2|PSK500C4|PSK500R|PSK500RC2|PSK500RC3|PSK500RC4|PSK800C2|"
     "PSK800RC2|PSK1000|PSK1000C2|PSK1000R|PSK1000RC2|PSKAM10|PSKAM31|PSKAM50|PSKFEC31|"
     "QPSK31|QPSK63|QPSK125|QPSK250|QPSK500|SIM31"},
    {"PSK2K", kData, ""},
    {"Q15", kData, ""},
    {"QRA64", kData, "QRA64A|QRA64B|QRA64C|QRA64D|QRA64E"},
    {"ROS", kData, "ROS-EME|ROS-HF|ROS-MF"},
    {"RTTY", kData, "ASCI"},
    {"RTTYM", kData, ""},
    {"SSB", kSsb, "LSB|USB"},
    {"SSTV", kImage, ""},
    {"T10", kData, ""},
    {"THOR", kData,
     "THOR-M|THOR4|THOR5|THOR8|THOR11|THOR16|THOR22|THOR25X4|THOR50X1|THOR50X2|THOR100"},
    {"THRB", kData, "THRBX|THRBX1|THRBX2|THRBX4|THROB1|THROB2|THROB4"},
    {"TOR", kData, "AMTORFEC|GTOR|NAVTEX|SITORB"},
    {"V4", kData, ""},
    {"WINMOR", kData, ""},
    {"WSPR", kData, ""},
};

// Names that logs write instead of the ADIF ones, with the ADIF mode and submode they
// stand for; and the log window's own PHONE and DIGITAL, which ADIF lacks.
struct AliasRow {
    std::string_view text;
    ModeInfo info;
};
constexpr AliasRow kAliases[] = {
    {"BPSK31", {"PSK", "PSK31", kData}},
    {"BPSK63", {"PSK", "PSK63", kData}},
    {"BPSK125", {"PSK", "PSK125", kData}},
    {"BPSK250", {"PSK", "PSK250", kData}},
    {"BPSK500", {"PSK", "PSK500", kData}},
    {"BPSK1000", {"PSK", "PSK1000", kData}},
    {"CONTESTIA", {"CONTESTI", "", kData}},
    {"THROB", {"THRB", "", kData}},
    {"PACTOR", {"PAC", "", kData}},
    {"VARA", {"DYNAMIC", "", kData}},
    {"PHONE", {"", "", kPhone}},
    {"DIGITAL", {"", "", kData}},
};

struct BandRow {
    std::string_view band;
    BandKind kind;
};
constexpr BandRow kBands[] = {
    {"160M", BandKind::HF},  {"80M", BandKind::HF},   {"40M", BandKind::HF},
    {"30M", BandKind::HF},   {"20M", BandKind::HF},   {"17M", BandKind::HF},
    {"15M", BandKind::HF},   {"12M", BandKind::HF},   {"10M", BandKind::HF},
    {"6M", BandKind::VHF},   {"2M", BandKind::VHF},   {"70CM", BandKind::VHF},
    {"23CM", BandKind::VHF}, {"13CM", BandKind::VHF}, {"9CM", BandKind::VHF},
    {"6CM", BandKind::VHF},  {"3CM", BandKind::VHF},
};

using ModeMap = std::unordered_map<std::string_view, ModeInfo>;

ModeMap BuildModeMap() {
    ModeMap map;
    for (const ModeRow& row : kModes) {
        map.emplace(row.mode, ModeInfo{row.mode, {}, row.kind});
        std::string_view rest = row.submodes;
        while (!rest.empty()) {
            const std::size_t bar = rest.find('|');
            const std::string_view sub = rest.substr(0, bar);
            map.emplace(sub, ModeInfo{row.mode, sub, row.kind});
            rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
        }
    }
    for (const AliasRow& alias : kAliases) map.emplace(alias.text, alias.info);
    return map;
}

// The text as the tables spell it: without the blanks around it, in ASCII capitals.
std::string TableKey(std::string_view text) {
    return UpperAscii(TrimField(text));
}

}  // namespace

const ModeInfo* FindMode(std::string_view mode) {
    static const ModeMap map = BuildModeMap();
    const auto it = map.find(TableKey(mode));
    return it == map.end() ? nullptr : &it->second;
}

BandKind FindBand(std::string_view band) {
    const std::string key = TableKey(band);
    for (const BandRow& row : kBands)
        if (row.band == key) return row.kind;
    return BandKind::Other;
}

bool fBandPasses(BandGroup group, std::string_view band) {
    switch (group) {
        case BandGroup::HF:
            return FindBand(band) == BandKind::HF;
        case BandGroup::VHF:
            return FindBand(band) == BandKind::VHF;
        case BandGroup::All:
            break;
    }
    return true;
}

bool fModePasses(ModeGroup group, std::string_view mode) {
    if (group == ModeGroup::All) return true;
    const ModeInfo* info = FindMode(mode);
    if (!info) return false;
    switch (group) {
        case ModeGroup::CW:
            return info->kind == ModeKind::Cw;
        case ModeGroup::SSB:
            return info->kind == ModeKind::Ssb;
        case ModeGroup::Phone:
            return info->kind == ModeKind::Ssb || info->kind == ModeKind::Phone;
        case ModeGroup::Digital:
            return info->kind == ModeKind::Digital;
        case ModeGroup::All:
            break;
    }
    return true;
}

bool Passes(const AwardFilter& filter, std::string_view band, std::string_view mode) {
    return fBandPasses(filter.band, band) && fModePasses(filter.mode, mode);
}

std::optional<BandGroup> BandGroupNamed(std::string_view name) {
    if (name == "all") return BandGroup::All;
    if (name == "hf") return BandGroup::HF;
    if (name == "vhf") return BandGroup::VHF;
    return std::nullopt;
}

std::optional<ModeGroup> ModeGroupNamed(std::string_view name) {
    if (name == "all") return ModeGroup::All;
    if (name == "cw") return ModeGroup::CW;
    if (name == "ssb") return ModeGroup::SSB;
    if (name == "phone") return ModeGroup::Phone;
    if (name == "digital") return ModeGroup::Digital;
    return std::nullopt;
}

}  // namespace kx
