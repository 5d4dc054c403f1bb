// The log session without any window: the rules every change of "QSO.dat" goes by.
#include <gtest/gtest.h>

#include <filesystem>

#include "LogTestSupport.h"
#include "log/LogBackup.h"
#include "log/LogSession.h"
#include "platform/Errors.h"

namespace fs = std::filesystem;
using kxtest::QsoRow;

namespace {

struct Session : ::testing::Test {
    kxtest::TempFolder folder;
    kx::LogSession session;
    std::function<void(const kx::BackupFailure&)> saved = kx::BackupFailureReport;

    void SetUp() override {
        folder.makeProgramFolder();
        kxtest::WriteSmallSquareTable(folder);
        kx::ForgetLogBackups();
    }
    void TearDown() override { kx::BackupFailureReport = saved; }
    void writeLog(const std::vector<kx::QSORow>& rows) const {
        folder.write("QSO.dat", kxtest::LogOf(rows).ToFileBytes());
    }
    std::vector<std::string> calls() const { return kxtest::Calls(session.Log()); }
    static kx::QsoEntry Entry(const std::string& call, const std::string& date) {
        kx::QsoEntry e;
        e.call = call;
        e.date = date;
        e.start = "12:00";
        e.band = "20M";
        e.mode = "CW";
        return e;
    }
};

}  // namespace

TEST(SessionTimes, TypedTimesAreReadAsTimesOfDay) {
    EXPECT_EQ(kx::ReadTimeText("1230"), "12:30");
    EXPECT_EQ(kx::ReadTimeText(" 9:30 "), "9:30");
    EXPECT_EQ(kx::ReadTimeText("23:59:59"), "23:59:59");
    EXPECT_EQ(kx::ReadTimeText(""), "");  // nothing typed: no end time
    for (const char* bad : {"930", "25:00", "12:60", "12:3a", "12::30"})
        EXPECT_EQ(kx::ReadTimeText(bad), std::nullopt) << bad;
}

TEST_F(Session, AReadOnlyLogIsNeverWrittenAndSaysWhy) {
    writeLog({QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CW"})});
    const std::string before = folder.read("QSO.dat");
    session.Load("EN");
    session.SetReadOnly("no locks here", folder.file("QSO.lock"));
    for (auto change : {kx::LogSession::Change::Write, kx::LogSession::Change::Import,
                        kx::LogSession::Change::DeleteAll}) {
        bool wrote = false;
        try {
            session.ChangeFile([&] { wrote = true; }, change);
            ADD_FAILURE() << "not refused";
        } catch (const kx::KxError& e) {
            EXPECT_NE(std::string(e.what()).find("no locks here"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(folder.file("QSO.lock")), std::string::npos);
        }
        EXPECT_FALSE(wrote);
    }
    EXPECT_EQ(folder.read("QSO.dat"), before);
}

TEST_F(Session, QsosOfAFileUnreadAtStartJoinAtTheFirstChangeButNotAtDeleteAll) {
    fs::create_directory(folder.file("QSO.dat"));  // in the way: the log cannot be read
    EXPECT_THROW(session.Load("EN"), std::exception);
    EXPECT_TRUE(session.Log().IsEmptyLog());
    EXPECT_THROW(session.Save(kx::SortKey::DateTime, {}), std::exception);  // still unreadable
    fs::remove(folder.file("QSO.dat"));
    writeLog({QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CW"})});

    bool correction = true;
    const int row = session.RowForEntry(nullptr, 1, correction);
    EXPECT_FALSE(correction);
    EXPECT_EQ(session.StoreEntry(row, Entry("LY2XY", "2024-01-02")), nullptr);
    session.Save(kx::SortKey::DateTime, {});
    EXPECT_EQ(calls(), (std::vector<std::string>{"LY1AB", "LY2XY"}));
    EXPECT_NE(folder.read("QSO.dat").find("LY1AB"), std::string::npos);

    kx::LogSession other;
    fs::create_directory(folder.file("QSO.dat.d"));
    fs::rename(folder.file("QSO.dat"), folder.file("QSO.dat.d/old"));
    fs::rename(folder.file("QSO.dat.d"), folder.file("QSO.dat"));
    EXPECT_THROW(other.Load("EN"), std::exception);
    // Delete All does not wait for a file that cannot be read: the user wants rid of it.
    EXPECT_THROW(other.DeleteAll(), std::exception);  // the folder cannot be removed
    fs::remove_all(folder.file("QSO.dat"));
    other.DeleteAll();
    EXPECT_TRUE(other.Log().IsEmptyLog());
}

TEST_F(Session, AFileChangedOnDiskLosesNoneOfItsQsosToTheNextWrite) {
    writeLog({QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CW"})});
    session.Load("EN");
    EXPECT_EQ(session.Save(kx::SortKey::DateTime, {}), 0);  // its own writes are no change
    writeLog({QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CW"}),
              QsoRow({"2024-01-03", "12:00", "", "LY3Z", "40M", "SSB"})});
    bool correction = false;
    session.StoreEntry(session.RowForEntry(nullptr, 1, correction), Entry("LY2XY", "2024-01-02"));
    EXPECT_EQ(session.Save(kx::SortKey::DateTime, {}), 1);  // one joined from the file
    EXPECT_EQ(calls(), (std::vector<std::string>{"LY1AB", "LY2XY", "LY3Z"}));
    for (const char* call : {"LY1AB", "LY2XY", "LY3Z"})
        EXPECT_NE(folder.read("QSO.dat").find(call), std::string::npos) << call;
    EXPECT_EQ(session.UnsavedQSOs(), 0);
}

TEST_F(Session, SaveQsoCorrectsTheShownRowOrAddsOneAndFindsItsSquares) {
    writeLog({QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CW"})});
    session.Load("EN");
    bool correction = false;
    // A new QSO gets a row of its own; a locator's square is found as it is stored, a
    // square or locator that is none is not stored.
    const int added = session.RowForEntry(nullptr, 1, correction);
    EXPECT_EQ(added, 2);
    kx::QsoEntry e = Entry("LY2XY", "2024-01-02");
    e.wwl = "KO24PQ";
    e.myBex = "Z99";
    EXPECT_EQ(session.StoreEntry(added, e), nullptr);
    EXPECT_EQ(session.Log().Field(added, kx::colBEX), "K26");
    EXPECT_EQ(session.Log().Field(added, kx::colMyBEX), "");

    // The fields copied from row 1 and still found in the table: a correction of it.
    const kx::QSORow shown = session.Log().Row(1);
    EXPECT_EQ(session.RowForEntry(&shown, 2, correction), 1);
    EXPECT_TRUE(correction);
    // Gone from the table (deleted meanwhile): the fields are a new QSO.
    session.Log().SetCell(1, kx::colName, "JONAS");
    EXPECT_EQ(session.RowForEntry(&shown, 1, correction), 3);
    EXPECT_FALSE(correction);

    // Without the square table the QSO is stored as typed and the error comes back.
    fs::remove(folder.file("BEXWWL.dat"));
    EXPECT_NE(session.StoreEntry(3, e), nullptr);
    EXPECT_EQ(session.Log().Field(3, kx::colCallsign), "LY2XY");
    EXPECT_EQ(session.Log().Field(3, kx::colBEX), "");
}
