// The columns after Remarks (confirmations): carried by the file and by every change of the
// log, titled in both languages, joined when the sort's repeat cleaning drops a repeat.
#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "log/FindBexs.h"
#include "log/LogBackup.h"
#include "log/LogSession.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/Cp1257.h"

using namespace kx;
using kxtest::Calls;
using kxtest::LogOf;
using kxtest::QsoRow;

namespace {

const QSORow kPlain = QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CW"});

QsoEntry Entry(std::string date, std::string start, std::string call, std::string band,
               std::string mode) {
    QsoEntry e;
    e.date = std::move(date);
    e.start = std::move(start);
    e.call = std::move(call);
    e.band = std::move(band);
    e.mode = std::move(mode);
    return e;
}

QSORow Confirmed(QSORow row, int col, const std::string& value) {
    row.resize(kKnownColumns);
    row[col] = value;
    return row;
}

}  // namespace

TEST(ExtraColumns, ALogWithoutThemKeepsItsThirteenColumnsAndItsBytes) {
    const std::string bytes = LogOf({kPlain}).ToFileBytes();
    QSOLog log("EN");
    log.ReadFromBytes(bytes);
    EXPECT_EQ(log.Extra(1, colLotw), "");
    log.SetExtra(1, colLotw, " ");  // nothing to keep: the table does not widen
    EXPECT_EQ(log.ColCount(), kQSOFields);
    SortQSOs(log, SortKey::DateTime);
    EXPECT_EQ(log.ToFileBytes(), bytes);
}

TEST(ExtraColumns, AreTitledInBothLanguagesAndReadBack) {
    QSOLog log = LogOf({kPlain});
    log.SetExtra(1, colCard, "2024-03-05");
    EXPECT_EQ(log.ColCount(), kKnownColumns);
    EXPECT_EQ(log.Cell(0, colLotw), "LoTW");
    EXPECT_EQ(log.Cell(0, colCard), "Card");
    kxtest::TempFolder folder;
    log.Write(folder.file("QSO.dat"));
    const std::string bytes = folder.read("QSO.dat");
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")),
              "Date\tsUTC\teUTC\tCallsign\tBand\tMode\tQTH\tName\tWWL\tBEX\tMyWWL\tMyBEX\tRemarks\t"
              "LoTW\teQSL\tCard\t");
    QSOLog read;
    read.Load(folder.file("QSO.dat"), "LT");
    EXPECT_EQ(read.Cell(0, colCard), Cp1257("Kortelė"));
    EXPECT_EQ(read.Cell(0, colRemarks), "Pastabos");
    EXPECT_EQ(read.Extra(1, colCard), "2024-03-05");
    // Unknown columns beyond them are carried along untitled.
    read.SetExtra(1, kKnownColumns + 1, "x");
    EXPECT_EQ(read.Cell(0, kKnownColumns), "");
    EXPECT_EQ(read.Cell(1, kKnownColumns + 1), "x");
}

TEST(ExtraColumnsInTheSort, AConfirmedQsoAndItsUnconfirmedRepeatBecomeOneConfirmedQso) {
    // Whichever comes first in the table, the QSO that stays has the confirmation.
    for (bool confirmedFirst : {true, false}) {
        QSORow repeat = kPlain;
        repeat[colCallsign] = "ly1ab";  // repeats ignore case
        const QSORow confirmed = Confirmed(kPlain, colLotw, "2024-02-01");
        QSOLog log = confirmedFirst ? LogOf({confirmed, repeat, kPlain})
                                    : LogOf({repeat, kPlain, confirmed});
        SortQSOs(log, SortKey::DateTime);
        ASSERT_EQ(log.DataRowCount(), 1) << confirmedFirst;
        EXPECT_EQ(log.Extra(1, colLotw), "2024-02-01");
    }
}

TEST(ExtraColumnsInTheSort, RepeatsBringEachTheirOwnConfirmationAndOthersKeepTheirs) {
    QSORow other = Confirmed(kPlain, colEqsl, "2023-01-01");
    other[colBand] = "40M";
    QSOLog log = LogOf({Confirmed(kPlain, colLotw, "2024-02-01"), other,
                        Confirmed(kPlain, colCard, "Y"), Confirmed(kPlain, colLotw, "2025-01-01")});
    kxtest::TempFolder folder;
    SaveBase(log, SortKey::Band, folder.file("QSO.dat"));
    ASSERT_EQ(log.DataRowCount(), 2);
    EXPECT_EQ(log.Field(1, colBand), "20M");
    EXPECT_EQ(log.Extra(1, colLotw), "2024-02-01");  // the first in table order wins
    EXPECT_EQ(log.Extra(1, colCard), "Y");
    EXPECT_EQ(log.Extra(1, colEqsl), "");
    EXPECT_EQ(log.Extra(2, colEqsl), "2023-01-01");
    // What is written is what the table holds.
    QSOLog read;
    read.Load(folder.file("QSO.dat"), "EN");
    EXPECT_EQ(read.Rows(), log.Rows());
}

namespace {

struct ExtraColumnsInTheSession : ::testing::Test {
    kxtest::TempFolder folder;
    LogSession session;

    void SetUp() override {
        folder.makeProgramFolder();
        kxtest::WriteSmallSquareTable(folder);
        ForgetLogBackups();
        QSORow second = QsoRow({"2024-01-02", "13:00", "", "LY2XY", "40M", "SSB"});
        folder.write("QSO.dat",
                     LogOf({Confirmed(kPlain, colLotw, "2024-02-01"), second}).ToFileBytes());
        session.Load("EN");
    }
    // The confirmation as the file holds it now.
    std::string OnDisk() const {
        QSOLog read;
        read.Load(folder.file("QSO.dat"), "EN");
        for (int r = 1; r <= read.DataRowCount(); ++r)
            if (read.Field(r, colCallsign) == "LY1AB") return std::string(read.Extra(r, colLotw));
        return "(no LY1AB)";
    }
};

}  // namespace

TEST_F(ExtraColumnsInTheSession, EveryChangeOfTheLogKeepsTheConfirmation) {
    // Save QSO: a correction of the confirmed QSO, and a new QSO beside it.
    bool correction = false;
    const QSORow shown = session.Log().Row(1);
    const int row = session.RowForEntry(&shown, 1, correction);
    ASSERT_TRUE(correction);
    QsoEntry e = Entry("2024-01-01", "12:00", "LY1AB", "20M", "CW");
    e.name = "JONAS";
    e.wwl = "KO24PQ";
    EXPECT_EQ(session.StoreEntry(row, e), nullptr);
    session.Save(SortKey::DateTime, {});
    EXPECT_EQ(OnDisk(), "2024-02-01");
    EXPECT_EQ(session.Log().Field(1, colBEX), "K26");

    // The same QSO typed again as a new one: the repeat goes, the confirmation stays.
    const int added = session.RowForEntry(nullptr, 1, correction);
    EXPECT_EQ(session.StoreEntry(added, e), nullptr);
    session.Save(SortKey::Callsign, {});
    // (A sorted row holds a blank where a typed one holds nothing: they are repeats from
    // the next sort on.)
    session.Save(SortKey::Callsign, {});
    EXPECT_EQ(session.Log().QSOCount(), 2);
    EXPECT_EQ(OnDisk(), "2024-02-01");

    // Delete QSO of the other row.
    session.DeleteQso(2, SortKey::Callsign, {});
    EXPECT_EQ(OnDisk(), "2024-02-01");

    // An import, then the finder and the sort of the import button.
    folder.write("new.adi",
                 "<EOH><CALL:5>LY3ZZ<QSO_DATE:8>20240105<TIME_ON:4>1000<BAND:3>20M<MODE:2>CW<EOR>");
    int joined = 0;
    EXPECT_EQ(session.Import(folder.file("new.adi"), {}, joined).taken, 1);
    EXPECT_EQ(OnDisk(), "2024-02-01");
    FindBEXs(session.Log());
    session.Save(SortKey::DateTime, {});
    EXPECT_EQ(OnDisk(), "2024-02-01");
    EXPECT_EQ(Calls(session.Log()), (std::vector<std::string>{"LY1AB", "LY3ZZ"}));
}

TEST_F(ExtraColumnsInTheSession, AConfirmationAddedOnDiskJoinsTheQsoAtTheNextWrite) {
    // Another program confirmed the second QSO in the file meanwhile.
    QSOLog other = session.Log();
    other.SetExtra(2, colEqsl, "2024-03-03");
    other.Write(folder.file("QSO.dat"));
    bool correction = false;
    const QsoEntry e = Entry("2024-01-07", "08:00", "LY4AA", "80M", "CW");
    session.StoreEntry(session.RowForEntry(nullptr, 1, correction), e);
    session.Save(SortKey::DateTime, {});
    EXPECT_EQ(session.Log().QSOCount(), 3);
    EXPECT_EQ(session.Log().Extra(2, colEqsl), "2024-03-03");
    EXPECT_EQ(session.Log().Extra(1, colLotw), "2024-02-01");
}
