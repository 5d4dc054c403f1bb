#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "award/AwardGroups.h"

namespace {

using namespace kx;

// One case per row of the mode table: the mode itself and, where it has any, one of
// its submodes (written in small letters, as some logs write them), with the group the
// award counts them in.
struct ModeCase {
    const char* mode;
    const char* submode;  // "" when the mode has none
    ModeKind kind;
};

void PrintTo(const ModeCase& c, std::ostream* os) {
    *os << c.mode;
}

class ModeTableRow : public testing::TestWithParam<ModeCase> {};

TEST_P(ModeTableRow, ModeAndSubmodeCountInTheirGroup) {
    const ModeCase& c = GetParam();
    const ModeInfo* mode = FindMode(c.mode);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->adifMode, c.mode);
    EXPECT_EQ(mode->adifSubmode, "");
    EXPECT_EQ(mode->kind, c.kind);
    if (*c.submode) {
        std::string lower = c.submode;
        for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        const ModeInfo* sub = FindMode(" " + lower + " ");
        ASSERT_NE(sub, nullptr) << c.submode;
        EXPECT_EQ(sub->adifMode, c.mode);
        EXPECT_EQ(sub->adifSubmode, c.submode);
        EXPECT_EQ(sub->kind, c.kind);
    }
    EXPECT_EQ(fModePasses(ModeGroup::CW, c.mode), c.kind == ModeKind::Cw);
    EXPECT_EQ(fModePasses(ModeGroup::SSB, c.mode), c.kind == ModeKind::Ssb);
    EXPECT_EQ(fModePasses(ModeGroup::Phone, c.mode),
              c.kind == ModeKind::Ssb || c.kind == ModeKind::Phone);
    EXPECT_EQ(fModePasses(ModeGroup::Digital, c.mode), c.kind == ModeKind::Digital);
    EXPECT_TRUE(fModePasses(ModeGroup::All, c.mode));
}

constexpr ModeKind Cw = ModeKind::Cw, Ssb = ModeKind::Ssb, Ph = ModeKind::Phone,
                   Dg = ModeKind::Digital, Img = ModeKind::Image;

INSTANTIATE_TEST_SUITE_P(
    AwardGroups, ModeTableRow,
    testing::Values(
        ModeCase{"AM", "", Ph}, ModeCase{"ARDOP", "", Dg}, ModeCase{"ATV", "", Img},
        ModeCase{"CHIP", "CHIP64", Dg}, ModeCase{"CLO", "", Dg}, ModeCase{"CONTESTI", "", Dg},
        ModeCase{"CW", "PCW", Cw}, ModeCase{"DIGITALVOICE", "FREEDV", Ph},
        ModeCase{"DOMINO", "DOMINOEX", Dg}, ModeCase{"DYNAMIC", "VARA HF", Dg},
        ModeCase{"FAX", "", Img}, ModeCase{"FM", "", Ph}, ModeCase{"FSK", "SCAMP_FAST", Dg},
        ModeCase{"FSK441", "", Dg}, ModeCase{"FT8", "", Dg}, ModeCase{"HELL", "FSKHELL", Dg},
        ModeCase{"ISCAT", "ISCAT-B", Dg}, ModeCase{"JT4", "JT4G", Dg}, ModeCase{"JT44", "", Dg},
        ModeCase{"JT65", "JT65B2", Dg}, ModeCase{"JT6M", "", Dg}, ModeCase{"JT9", "JT9H FAST", Dg},
        ModeCase{"MFSK", "FT4", Dg}, ModeCase{"MSK144", "", Dg}, ModeCase{"MT63", "", Dg},
        ModeCase{"MTONE", "SCAMP_OO", Dg}, ModeCase{"OLIVIA", "OLIVIA 8/250", Dg},
        ModeCase{"OPERA", "OPERA-QSO", Dg}, ModeCase{"PAC", "PAC4", Dg},
        ModeCase{"PAX", "PAX2", Dg}, ModeCase{"PKT", "", Dg}, ModeCase{"PSK", "QPSK63", Dg},
        ModeCase{"PSK2K", "", Dg}, ModeCase{"Q15", "", Dg}, ModeCase{"QRA64", "QRA64E", Dg},
        ModeCase{"ROS", "ROS-HF", Dg}, ModeCase{"RTTY", "ASCI", Dg}, ModeCase{"RTTYM", "", Dg},
        ModeCase{"SSB", "USB", Ssb}, ModeCase{"SSTV", "", Img}, ModeCase{"T10", "", Dg},
        ModeCase{"THOR", "THOR100", Dg}, ModeCase{"THRB", "THROB4", Dg},
        ModeCase{"TOR", "NAVTEX", Dg}, ModeCase{"V4", "", Dg}, ModeCase{"WINMOR", "", Dg},
        ModeCase{"WSPR", "", Dg}),
    [](const testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.mode); });

TEST(AwardGroupsModes, SubmodesThatLogsWriteAsModes) {
    struct {
        const char *text, *mode, *submode;
        ModeKind kind;
    } cases[] = {
        {"LSB", "SSB", "LSB", Ssb},
        {"FT4", "MFSK", "FT4", Dg},
        {"JS8", "MFSK", "JS8", Dg},
        {"FST4", "MFSK", "FST4", Dg},
        {"Q65", "MFSK", "Q65", Dg},
        {"PSK31", "PSK", "PSK31", Dg},
        {"C4FM", "DIGITALVOICE", "C4FM", Ph},
        {"DSTAR", "DIGITALVOICE", "DSTAR", Ph},
        {"DMR", "DIGITALVOICE", "DMR", Ph},
        {"M17", "DIGITALVOICE", "M17", Ph},
        {"BPSK31", "PSK", "PSK31", Dg},
        {"THROB", "THRB", "", Dg},
        {"PACTOR", "PAC", "", Dg},
        {"VARA", "DYNAMIC", "", Dg},
        {"CONTESTIA", "CONTESTI", "", Dg},
        {"DIGITAL", "", "", Dg},
        {"PHONE", "", "", Ph},
    };
    for (const auto& c : cases) {
        const ModeInfo* m = FindMode(c.text);
        ASSERT_NE(m, nullptr) << c.text;
        EXPECT_EQ(m->adifMode, c.mode) << c.text;
        EXPECT_EQ(m->adifSubmode, c.submode) << c.text;
        EXPECT_EQ(m->kind, c.kind) << c.text;
    }
}

// Texts the table does not know count only under All.
TEST(AwardGroupsModes, UnknownTextsBelongToNoGroup) {
    for (const char* text : {"", "  ", "A", "FT-8", "SSB/CW", "OLIVIA 8/250x", "USB LSB"}) {
        EXPECT_EQ(FindMode(text), nullptr) << text;
        for (ModeGroup g : {ModeGroup::CW, ModeGroup::SSB, ModeGroup::Phone, ModeGroup::Digital})
            EXPECT_FALSE(fModePasses(g, text)) << text;
        EXPECT_TRUE(fModePasses(ModeGroup::All, text));
    }
}

TEST(AwardGroupsBands, EveryBandOfTheTwoLists) {
    for (const char* band : {"160M", "80M", "40M", "30M", "20M", "17M", "15M", "12M", "10M"})
        EXPECT_EQ(FindBand(band), BandKind::HF) << band;
    for (const char* band : {"6M", "2M", "70CM", "23CM", "13CM", "9CM", "6CM", "3CM"})
        EXPECT_EQ(FindBand(band), BandKind::VHF) << band;
    EXPECT_EQ(FindBand(" 23cm\t"), BandKind::VHF);
    for (const char* band : {"60M", "2190M", "630M", "4M", "1.25M", "33CM", "1.25CM", "", "M"})
        EXPECT_EQ(FindBand(band), BandKind::Other) << band;
}

}  // namespace
