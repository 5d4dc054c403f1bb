#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/Collation.h"
#include "platform/Cp1257.h"
#include "platform/FileIO.h"

using namespace kx;
using kxtest::Calls;
using kxtest::LogOf;
using kxtest::QsoRow;
using Strings = std::vector<std::string>;

namespace {

QSORow Dated(const std::string& date, const std::string& time, const std::string& call) {
    return QsoRow({date, time, "", call, "80M", "SSB"});
}

QSORow WithField(const std::string& call, int col, const std::string& value) {
    QSORow row = QsoRow({"2009-05-12", "12:30", "", call, "80M", "SSB"});
    row[col] = value;
    return row;
}

}  // namespace

TEST(SortKeyText, DateAndTimeBecomeOneDigitString) {
    EXPECT_EQ(SortKeyText(Dated("2009-05-12", "12:30", "LY1A"), SortKey::DateTime), "200905121230");
    EXPECT_EQ(SortKeyText(Dated("12.05.2009", "9:30", "LY1A"), SortKey::DateTime),
              "120520099 30" == std::string() ? "" : "12052009930");
    EXPECT_EQ(SortKeyText(Dated("", "", "LY1A"), SortKey::DateTime), "zzz");
    EXPECT_EQ(SortKeyText(WithField("LY1A", colBEX, "  "), SortKey::BEX), "zzz");
    EXPECT_EQ(SortKeyText(WithField("LY1A ", colBEX, "K26"), SortKey::Callsign), "LY1A ");
}

TEST(CommaText, QuotesFieldsWithBlanksCommasAndQuotes) {
    QSORow row = QsoRow({"2009-05-12", "", "a b", "x,y", "say \"hi\"", "\xC0"});
    EXPECT_EQ(CommaText(row), "2009-05-12,,\"a b\",\"x,y\",\"say \"\"hi\"\"\",\xC0,,,,,,,");
}

TEST(SortByDate, PutsYearFirstDatesInTimeOrderAndEmptyDatesLast) {
    QSOLog log =
        LogOf({Dated("2009-05-12", "14:00", "LY3C"), Dated("", "", "LY9Z"),
               Dated("2009-05-12", "12:30", "LY2B"), Dated("2009-04-30", "23:59", "LY1A")});
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(Calls(log), (Strings{"LY1A", "LY2B", "LY3C", "LY9Z"}));
}

TEST(SortByDate, SortsDayFirstDatesByTheDay) {
    QSOLog log = LogOf({Dated("12.05.2009", "10:00", "LY1A"), Dated("30.04.2009", "10:00", "LY2B"),
                        Dated("01.06.2008", "10:00", "LY3C")});
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(Calls(log), (Strings{"LY3C", "LY1A", "LY2B"}));
}

TEST(SortByDate, BreaksTiesByTheRestOfTheRow) {
    QSOLog log =
        LogOf({Dated("2009-05-12", "12:30", "LY2B"), Dated("2009-05-12", "12:30", "LY1A")});
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(Calls(log), (Strings{"LY1A", "LY2B"}));
}

TEST(SortByCallsign, PutsAPrefixBeforeItsLongerCallsAndIgnoresCase) {
    QSOLog log = LogOf({Dated("2009-05-12", "1", "LY2A"), Dated("2009-05-12", "2", "ly1aa"),
                        Dated("2009-05-12", "3", "LY1A"), Dated("2009-05-12", "4", "ly1b")});
    SortQSOs(log, SortKey::Callsign);
    EXPECT_EQ(Calls(log), (Strings{"LY1A", "ly1aa", "ly1b", "LY2A"}));
}

TEST(SortByBex, PutsUnknownSquaresFirstAndEmptySquaresLast) {
    QSOLog log = LogOf({WithField("LY1A", colBEX, ""), WithField("LY2B", colBEX, "K26"),
                        WithField("LY3C", colBEX, "?"), WithField("LY4D", colBEX, "B23"),
                        WithField("LY5E", colBEX, " ")});
    SortQSOs(log, SortKey::BEX);
    EXPECT_EQ(Calls(log), (Strings{"LY3C", "LY4D", "LY2B", "LY1A", "LY5E"}));
}

TEST(SortByBandAndMode, UseTheirField) {
    QSOLog log = LogOf({WithField("LY1A", colBand, "80M"), WithField("LY2B", colBand, "160M"),
                        WithField("LY3C", colBand, "20M")});
    SortQSOs(log, SortKey::Band);
    EXPECT_EQ(Calls(log), (Strings{"LY2B", "LY3C", "LY1A"}));
    log = LogOf({WithField("LY1A", colMode, "SSB"), WithField("LY2B", colMode, "CW"),
                 WithField("LY3C", colMode, "FM")});
    SortQSOs(log, SortKey::Mode);
    EXPECT_EQ(Calls(log), (Strings{"LY2B", "LY3C", "LY1A"}));
}

TEST(SortCleaning, DropsRowsWithoutCallSign) {
    QSOLog log = LogOf(
        {Dated("2009-05-12", "12:30", "LY1A"), Dated("2009-05-13", "", " "), Dated("", "", "")});
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(Calls(log), (Strings{"LY1A"}));
}

TEST(SortCleaning, ALogWithoutAnyCallSignBecomesTheEmptyLog) {
    QSOLog log = LogOf({Dated("2009-05-12", "12:30", ""), Dated("2009-05-13", "", "")});
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(log.Rows(), QSOLog("EN").Rows());
    EXPECT_EQ(log.QSOCount(), 0);
}

TEST(SortCleaning, RemovesRepeatedRowsAndRowsDifferingOnlyInCase) {
    QSORow first = WithField("LY1A", colQTH, "Kaunas");
    QSOLog log = LogOf(
        {first, Dated("2009-05-11", "1", "LY2B"), WithField("ly1a", colQTH, "KAUNAS"), first});
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(Calls(log), (Strings{"LY2B", "LY1A"}));
    EXPECT_EQ(log.Cell(2, colQTH), "Kaunas");  // the first one in table order stays
}

TEST(SortCleaning, AnEmptyFieldAndABlankFieldAreDifferentRows) {
    QSOLog log = LogOf({WithField("LY1A", colQTH, ""), WithField("LY1A", colQTH, " ")});
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(log.DataRowCount(), 2);
    SortQSOs(log, SortKey::DateTime);  // now both hold a blank
    EXPECT_EQ(log.DataRowCount(), 1);
}

TEST(SortCleaning, LithuanianLettersDifferingInCaseAreRepeats) {
    QSOLog log = LogOf({WithField("LY1A", colName,
                                  "\xD0"
                                  "arunas"),  // Šarunas
                        WithField("LY1A", colName,
                                  "\xF0"
                                  "ARUNAS")});  // šARUNAS
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(log.DataRowCount(), 1);

    // A place imported before its letters had capitals meets the same place imported
    // since; every letter pair of the code page counts.
    QSOLog places = LogOf({WithField("LY2A", colQTH, Cp1257("KėDAINIAI")),
                           WithField("LY2A", colQTH, Cp1257("KĖDAINIAI")),
                           WithField("LY3A", colQTH, Cp1257("ŠIAULIAI")),
                           WithField("LY3A", colQTH, Cp1257("Šiauliai")),
                           WithField("LY4A", colQTH, Cp1257("ŖĒZEKNE ÆRØ")),
                           WithField("LY4A", colQTH, Cp1257("ŗēzekne ærø"))});
    SortQSOs(places, SortKey::Callsign);
    EXPECT_EQ(Calls(places), (Strings{"LY2A", "LY3A", "LY4A"}));
}

TEST(SortCleaning, EveryEmptyFieldComesBackAsOneBlankAndOthersUnchanged) {
    QSOLog log =
        LogOf({WithField("LY1A", colRemarks, " \"x\", y "), Dated("2009-01-01", "", "LY2B")});
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(log.Row(1), QsoRow({"2009-01-01", " ", " ", "LY2B", "80M", "SSB", " ", " ", " ", " ",
                                  " ", " ", " "}));
    EXPECT_EQ(log.Cell(2, colRemarks), " \"x\", y ");
}

TEST(SortCleaning, ASingleDataRowIsLeftAsItIs) {
    QSOLog log = LogOf({Dated("2009-05-12", "", "")});
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(log.Cell(1, colDate), "2009-05-12");
    EXPECT_EQ(log.Cell(1, colEUTC), "");
}

TEST(SaveBase, DropsOnlyTheEmptyFirstRowThenSortsAndWrites) {
    kxtest::TempFolder folder;
    QSOLog log = LogOf(
        {Dated("", "", ""), Dated("2009-05-13", "1", "LY2B"), Dated("2009-05-12", "1", "LY1A")});
    SaveBase(log, SortKey::DateTime, folder.file("QSO.dat"));
    EXPECT_EQ(Calls(log), (Strings{"LY1A", "LY2B"}));
    QSOLog read("EN");
    read.Load(folder.file("QSO.dat"), "EN");
    EXPECT_EQ(read.Rows(), log.Rows());
}

TEST(SaveBase, KeepsAQsoWithoutDateThatSortsFirstUnderEveryKey) {
    kxtest::TempFolder folder;
    for (SortKey key :
         {SortKey::DateTime, SortKey::Callsign, SortKey::Band, SortKey::Mode, SortKey::BEX}) {
        QSOLog log =
            LogOf({Dated("2009-05-13", "1", "LY2B"), QsoRow({"", "", "", "LY1A", "10M", "AM"})});
        SaveBase(log, key, folder.file("QSO.dat"));
        SaveBase(log, key, folder.file("QSO.dat"));
        EXPECT_EQ(log.QSOCount(), 2) << static_cast<int>(key);
    }
}

TEST(SaveBase, KeepsTheOnlyDataRowEvenWithoutDate) {
    kxtest::TempFolder folder;
    QSOLog log = LogOf({Dated("", "12:00", "LY9Z")});
    SaveBase(log, SortKey::DateTime, folder.file("QSO.dat"));
    EXPECT_EQ(Calls(log), (Strings{"LY9Z"}));
}

TEST(DeleteQso, RemovesTheRowAndWritesTheSortedLog) {
    kxtest::TempFolder folder;
    QSOLog log = LogOf({Dated("2009-05-13", "1", "LY2B"), Dated("2009-05-12", "1", "LY1A"),
                        Dated("2009-05-14", "1", "LY3C")});
    DelSelQSO(log, 2, SortKey::DateTime, folder.file("QSO.dat"));
    EXPECT_EQ(Calls(log), (Strings{"LY2B", "LY3C"}));
    EXPECT_TRUE(FileExists(folder.file("QSO.dat")));
}

TEST(DeleteQso, NeverRemovesTheOnlyRowButStillWrites) {
    kxtest::TempFolder folder;
    QSOLog log = LogOf({Dated("2009-05-13", "1", "LY2B")});
    DelSelQSO(log, 1, SortKey::DateTime, folder.file("QSO.dat"));
    EXPECT_EQ(Calls(log), (Strings{"LY2B"}));
    EXPECT_EQ(folder.read("QSO.dat"), log.ToFileBytes());
}

// The file is written before the table changes: whichever row goes, the file holds the
// table that SaveBase leaves, and that table is the one the steps give one after another.
TEST(DeleteQso, TheFileHoldsTheTableLeftWhicheverRowGoes) {
    kxtest::TempFolder folder;
    const std::vector<QSORow> rows = {
        Dated("", "12:00", "LY9Z"),    Dated("1", "12:00", "LY8Y"),
        WithField("LY2B", colQTH, ""), Dated("2009-05-12", "1", ""),
        WithField("ly2b", colQTH, ""), Dated("2009-05-12", "1", "LY1A")};
    for (const auto& table : {rows, std::vector<QSORow>(rows.begin(), rows.begin() + 3),
                              std::vector<QSORow>(rows.begin() + 3, rows.begin() + 4)}) {
        for (int gone = 0; gone <= static_cast<int>(table.size()) + 1; ++gone) {
            QSOLog log = LogOf(table);
            DelSelQSO(log, gone, SortKey::Callsign, folder.file("QSO.dat"));
            QSOLog steps = LogOf(table);
            steps.DeleteRow(gone);
            if (steps.Cell(1, colDate).size() < 3 && steps.Field(1, colCallsign).empty())
                steps.DeleteRow(1);
            SortQSOs(steps, SortKey::Callsign);
            EXPECT_EQ(log.Rows(), steps.Rows()) << table.size() << " rows, " << gone;
            EXPECT_EQ(folder.read("QSO.dat"), log.ToFileBytes())
                << table.size() << " rows, " << gone;
        }
    }
}

namespace {

// The log sorted by the key holds the rows' entries in collation order, each once.
void ExpectCollationOrder(const std::vector<QSORow>& rows, SortKey key) {
    QSOLog log = LogOf(rows);
    SortQSOs(log, key);
    std::vector<std::string> entries;
    for (const auto& row : rows) entries.push_back(SortEntry(row, key));
    std::stable_sort(entries.begin(), entries.end(), CollateLess);
    entries.erase(std::unique(entries.begin(), entries.end(), CollateEqual), entries.end());
    ASSERT_EQ(log.DataRowCount(), static_cast<int>(entries.size()));
    for (int r = 1; r <= log.DataRowCount(); ++r)
        EXPECT_TRUE(CollateEqual(SortEntry(log.Row(r), key), entries[r - 1])) << r;
}

}  // namespace

// The sort compares prepared keys, not the entries themselves: over rows of every byte
// value it gives the order and the repeats that the collation gives for the entries.
TEST(SortOrder, AgreesWithTheCollationOfTheEntriesForEveryByte) {
    std::vector<QSORow> rows;
    unsigned h = 12345;
    auto byte = [&h] {
        h = h * 1103515245u + 12345u;
        return static_cast<char>(33 + (h >> 8) % 223);
    };
    for (int i = 0; i < 600; ++i) {
        QSORow row = QsoRow({"2009", "12", "1", "LY", i % 2 ? "80M" : "80m", "SSB"});
        for (auto& f : row)
            if (f.empty()) f = "x";
        for (int k = 0; k < 2; ++k) row[colCallsign] += byte();
        row[colName] = std::string(1, byte());
        rows.push_back(row);
    }
    rows.push_back(rows[7]);  // an exact repeat
    for (SortKey key : {SortKey::Callsign, SortKey::Band, SortKey::DateTime})
        ExpectCollationOrder(rows, key);
}

// Contest rows: the same date, time, band and mode, the call signs alike; the entries
// part only at their last fields, far into the row, and some only by case there.
TEST(SortOrder, RowsThatPartOnlyAtTheirLastFieldsStillSortAndRepeatByThem) {
    std::vector<QSORow> rows;
    const std::string remarks[] = {"0", " ", "a", "A", "b", "\xE0", "\xC0", "a b", "a,b", "\"q\""};
    for (int i = 0; i < 40; ++i) {
        QSORow row = QsoRow({"2009-05-12", "12:30", "12:31", i % 3 ? "LY2ABC" : "ly2abc", "80M",
                             "SSB", "Kaunas", "Jonas", "KO24OT", "K26", "*KO24PQ", "*K26"});
        row[colRemarks] = remarks[i % 10] + std::string(static_cast<std::size_t>(i % 4), 'z');
        rows.push_back(row);
    }
    for (SortKey key :
         {SortKey::DateTime, SortKey::Callsign, SortKey::Band, SortKey::Mode, SortKey::BEX})
        ExpectCollationOrder(rows, key);
}
