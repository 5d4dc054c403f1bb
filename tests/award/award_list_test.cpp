#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "award/AwardList.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/Cp1257.h"

namespace {

using namespace kx;

struct Qso {
    std::string date, time, call, band, mode, bex;
};

QSOLog MakeLog(const std::vector<Qso>& qsos) {
    QSOLog log("EN");
    bool first = true;
    for (const Qso& q : qsos) {
        int row = first ? 1 : log.AddEmptyRow();
        first = false;
        log.SetCell(row, colDate, q.date);
        log.SetCell(row, colSUTC, q.time);
        log.SetCell(row, colCallsign, q.call);
        log.SetCell(row, colBand, q.band);
        log.SetCell(row, colMode, q.mode);
        log.SetCell(row, colBEX, q.bex);
    }
    return log;
}

Qso On(const std::string& band, const std::string& mode, const std::string& bex = "K26",
       const std::string& call = "LY2AA") {
    return {"2009-01-15", "12:00", call, band, mode, bex};
}

std::vector<std::string> Squares(const AwardList& list) {
    std::vector<std::string> out;
    for (const ListEntry& e : list.Entries()) out.push_back(e[lcSquare]);
    return out;
}

std::vector<std::string> Calls(const AwardList& list) {
    std::vector<std::string> out;
    for (const ListEntry& e : list.Entries()) out.push_back(e[lcCallsign]);
    return out;
}

bool Counts(const Qso& q, ModeGroup mode, BandGroup band) {
    return MakeAwardList(MakeLog({q}), {band, mode}).Count() == 1;
}

TEST(AwardListWhenNothingQualifies, EmptyLogGivesNoEntriesAndOneBlankGridRow) {
    AwardList list = MakeAwardList(QSOLog("EN"), {BandGroup::All, ModeGroup::All});
    EXPECT_EQ(list.Count(), 0);
    auto rows = list.GridRows();
    ASSERT_EQ(rows.size(), 1u);
    for (const std::string& cell : rows[0]) EXPECT_EQ(cell, "");
}

TEST(AwardListWhenNothingQualifies, FilteredOutLogGivesCountZero) {
    QSOLog log = MakeLog({On("20M", "SSB"), On("40M", "CW", "B05")});
    AwardList list = MakeAwardList(log, {BandGroup::VHF, ModeGroup::All});
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GridRows().size(), 1u);
}

TEST(AwardListSquares, OnlyThreeCharacterSquaresCount) {
    QSOLog log = MakeLog({On("20M", "CW", "?"), On("20M", "CW", "K261"), On("20M", "CW", ""),
                          On("20M", "CW", " B05 ")});
    AwardList list = MakeAwardList(log, {BandGroup::All, ModeGroup::All});
    EXPECT_EQ(Squares(list), std::vector<std::string>{"B05"});
}

TEST(AwardListSquares, FirstQsoOfEachSquareInLogOrder) {
    QSOLog log = MakeLog({On("20M", "CW", "K26", "LY1FIRST"), On("40M", "SSB", "K26", "LY2LATER")});
    EXPECT_EQ(Calls(MakeAwardList(log, {BandGroup::All, ModeGroup::All})),
              std::vector<std::string>{"LY1FIRST"});
}

TEST(AwardListSquares, ResortingTheLogCanChangeTheListedQso) {
    QSOLog log = MakeLog({{"2009-02-01", "10:00", "LY1ZZ", "20M", "CW", "K26"},
                          {"2009-03-01", "10:00", "LY1AA", "20M", "CW", "K26"}});
    EXPECT_EQ(Calls(MakeAwardList(log, {BandGroup::All, ModeGroup::All})),
              std::vector<std::string>{"LY1ZZ"});
    SortQSOs(log, SortKey::Callsign);
    EXPECT_EQ(Calls(MakeAwardList(log, {BandGroup::All, ModeGroup::All})),
              std::vector<std::string>{"LY1AA"});
}

TEST(AwardListSquares, FiltersActBeforeTheFirstPerSquareChoice) {
    QSOLog log = MakeLog({On("2M", "CW", "K26", "LY1VHF"), On("20M", "CW", "K26", "LY1HF")});
    EXPECT_EQ(Calls(MakeAwardList(log, {BandGroup::HF, ModeGroup::All})),
              std::vector<std::string>{"LY1HF"});
    EXPECT_EQ(Calls(MakeAwardList(log, {BandGroup::VHF, ModeGroup::All})),
              std::vector<std::string>{"LY1VHF"});
}

TEST(AwardListSquares, SquaresDifferingInCaseAreOneKeepingTheFirstSpelling) {
    QSOLog log = MakeLog({On("20M", "CW", "k26", "LY1A"), On("20M", "CW", "K26", "LY1B")});
    AwardList list = MakeAwardList(log, {BandGroup::All, ModeGroup::All});
    EXPECT_EQ(Squares(list), std::vector<std::string>{"k26"});
    EXPECT_EQ(Calls(list), std::vector<std::string>{"LY1A"});
}

TEST(AwardListOrder, OrderedBySquareAndNumberedWhateverTheLogOrder) {
    QSOLog log = MakeLog({On("20M", "CW", "P39"), On("20M", "CW", "b05"), On("20M", "CW", "A10"),
                          On("20M", "CW", "K26")});
    AwardList list = MakeAwardList(log, {BandGroup::All, ModeGroup::All});
    EXPECT_EQ(Squares(list), (std::vector<std::string>{"A10", "b05", "K26", "P39"}));
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Entries()[0][lcNumber], "1.");
    EXPECT_EQ(list.Entries()[3][lcNumber], "4.");
}

TEST(AwardListBands, HfAndVhfBands) {
    EXPECT_TRUE(Counts(On("20M", "CW"), ModeGroup::All, BandGroup::HF));
    EXPECT_FALSE(Counts(On("20M", "CW"), ModeGroup::All, BandGroup::VHF));
    // 2M is not the 12M of the HF bands, nor 6M the 6CM of the VHF bands.
    for (const char* band : {"2M", "6M", "70CM", "3CM"}) {
        EXPECT_TRUE(Counts(On(band, "CW"), ModeGroup::All, BandGroup::VHF)) << band;
        EXPECT_FALSE(Counts(On(band, "CW"), ModeGroup::All, BandGroup::HF)) << band;
    }
}

// Bands are read without regard to case and surrounding blanks: 20m in small letters is
// the HF band 20M (it used to count only under HF/VHF, losing the squares of every log
// written in small letters).
TEST(AwardListBands, BandsAreCaseBlindAndTrimmed) {
    for (const char* band : {"20m", " 160M ", "\t10m"}) {
        EXPECT_TRUE(Counts(On(band, "CW"), ModeGroup::All, BandGroup::HF)) << band;
        EXPECT_FALSE(Counts(On(band, "CW"), ModeGroup::All, BandGroup::VHF)) << band;
    }
    for (const char* band : {"70cm", " 2m"})
        EXPECT_TRUE(Counts(On(band, "CW"), ModeGroup::All, BandGroup::VHF));
}

// A band the lists lack (60M, 4M, 2190M, 1.25M ...), an empty band or junk counts only
// under HF/VHF, as before.
TEST(AwardListBands, UnlistedAndEmptyBandsCountOnlyUnderAllBands) {
    for (const char* band : {"60M", "4m", "2190M", "630M", "1.25M", "", " ", "M", "20 M"}) {
        EXPECT_FALSE(Counts(On(band, "CW"), ModeGroup::All, BandGroup::HF)) << band;
        EXPECT_FALSE(Counts(On(band, "CW"), ModeGroup::All, BandGroup::VHF)) << band;
        EXPECT_TRUE(Counts(On(band, "CW"), ModeGroup::All, BandGroup::All)) << band;
    }
}

// The mode groups follow the ADIF mode list. What changed in what the award counts:
// FT8, JT65 and the log window's own DIGITAL now count as digital (a DIGITAL application
// from an FT8 log counted 0 squares); AM is phone only (it counted as digital because the
// old list held the letters A and M side by side); USB and LSB are SSB and phone; SSTV
// stays out of every group.
TEST(AwardListModes, DigitalModes) {
    for (const char* mode : {"BPSK31", "PSK31", "MT63", "RTTY", "OLIVIA", "FT8", "FT4", "MFSK",
                             "JT65", "JS8", "DIGITAL"}) {
        EXPECT_TRUE(Counts(On("20M", mode), ModeGroup::Digital, BandGroup::All)) << mode;
    }
    for (const char* mode : {"AM", "FM", "SSTV", "CW", "SSB", "", "PSK-31"}) {
        EXPECT_FALSE(Counts(On("20M", mode), ModeGroup::Digital, BandGroup::All)) << mode;
    }
}

TEST(AwardListModes, PhoneModes) {
    for (const char* mode : {"SSB", "USB", "LSB", "AM", "FM", "PHONE", "DSTAR", "C4FM"}) {
        EXPECT_TRUE(Counts(On("20M", mode), ModeGroup::Phone, BandGroup::All)) << mode;
    }
    // The one-letter mode A was phone only because the old list held the letter A.
    for (const char* mode : {"CW", "FT8", "", "A", "ATV"}) {
        EXPECT_FALSE(Counts(On("20M", mode), ModeGroup::Phone, BandGroup::All)) << mode;
    }
}

// ssb and cw in small letters count in their groups now (they used to reduce to an empty
// key and count only under All).
TEST(AwardListModes, ModesAreCaseBlindAndTrimmed) {
    EXPECT_TRUE(Counts(On("20M", " CW "), ModeGroup::CW, BandGroup::All));
    EXPECT_TRUE(Counts(On("20M", "cw"), ModeGroup::CW, BandGroup::All));
    EXPECT_TRUE(Counts(On("20M", "ssb"), ModeGroup::SSB, BandGroup::All));
    EXPECT_TRUE(Counts(On("20M", "Usb"), ModeGroup::SSB, BandGroup::All));
    EXPECT_TRUE(Counts(On("20M", "ft8"), ModeGroup::Digital, BandGroup::All));
    EXPECT_FALSE(Counts(On("20M", "AM"), ModeGroup::SSB, BandGroup::All));
    EXPECT_FALSE(Counts(On("20M", "PCW"), ModeGroup::SSB, BandGroup::All));
    EXPECT_TRUE(Counts(On("20M", ""), ModeGroup::All, BandGroup::All));
    EXPECT_TRUE(Counts(On("20M", "SSTV"), ModeGroup::All, BandGroup::All));
}

TEST(AwardListCells, EachFieldHasItsOwnTrimmedCell) {
    QSOLog log = MakeLog({{" 2009-01-15 ", " 12:00", " LY1AB ", " 20M", "CW ", " B05 "}});
    auto e = MakeAwardList(log, {BandGroup::All, ModeGroup::All}).Entries().at(0);
    EXPECT_EQ(e, (ListEntry{"1.", "B05", "LY1AB", "20M", "CW", "2009-01-15", "12:00"}));
}

TEST(AwardListCells, EmptyFieldsStayEmptyAndNothingShifts) {
    QSOLog log = MakeLog({{"", " ", "LY1AB", "", " ", "B05"}});
    auto e = MakeAwardList(log, {BandGroup::All, ModeGroup::All}).Entries().at(0);
    EXPECT_EQ(e, (ListEntry{"1.", "B05", "LY1AB", "", "", "", ""}));
}

TEST(AwardListCells, FieldsWithBlanksCommasAndQuotesStayWhole) {
    QSOLog log = MakeLog({{"15 Jan, 2009", "12:00", "LY1AB/P, \"x\"", "20M", "CW", "B05"}});
    auto e = MakeAwardList(log, {BandGroup::All, ModeGroup::All}).Entries().at(0);
    EXPECT_EQ(e[lcCallsign], "LY1AB/P, \"x\"");
    EXPECT_EQ(e[lcDate], "15 Jan, 2009");
    EXPECT_EQ(e[lcTime], "12:00");
}

TEST(AwardListHeading, CellsAreSplitAtOrdinaryBlanksOnly) {
    const std::string nb = "\xA0";
    ListEntry en = HeaderCells("EN");
    EXPECT_EQ(en[0], nb + nb + nb + "#" + nb + nb);
    EXPECT_EQ(en[1], nb + "BEX" + nb);
    EXPECT_EQ(en[2], nb + "Callsign");
    EXPECT_EQ(en[6], nb + "Time");
    ListEntry lt = HeaderCells("LT");
    EXPECT_EQ(lt[0], nb + nb + nb + "Nr." + nb + nb);
    EXPECT_EQ(lt[2], nb + Cp1257("Šaukinys"));
    EXPECT_EQ(lt[3], nb + "Banga" + nb);
    EXPECT_EQ(lt[6], nb + "Laikas");
    EXPECT_EQ(HeaderText("xx"), HeaderText("EN"));
}

}  // namespace
