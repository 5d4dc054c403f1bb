// The log file on a failing disk: every write that cannot complete leaves the old
// "QSO.dat" whole, the table in memory as it was, no temporary file behind, and raises an
// error that names the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "FaultSupport.h"
#include "log/AdifImport.h"
#include "log/LogTestSupport.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"

using namespace kx;
using kxtest::LogOf;
using kxtest::QsoRow;

namespace {

class LogOnAFullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.file("QSO.dat");
        old = LogOf({QsoRow({"2009-05-12", "12:30", "", "LY1A", "80M", "SSB"})});
        old.Write(path);
        oldBytes = folder.read("QSO.dat");
        // The table now holds more than fits on the "disk".
        std::vector<QSORow> rows;
        for (int i = 0; i < 200; ++i)
            rows.push_back(QsoRow({"2009-06-" + std::to_string(10 + i % 20), "10:00", "",
                                   "LY" + std::to_string(i) + "ZZ", "20M", "CW", "Vilnius", "Name",
                                   "KO24PQ", "K26", "", "", "remarks"}));
        log = LogOf(rows);
        before = log.Rows();
    }

    void ExpectNothingChanged() {
        EXPECT_EQ(folder.read("QSO.dat"), oldBytes);
        EXPECT_EQ(log.Rows(), before);
        EXPECT_EQ(kxtest::NamesIn(folder.dir()), std::vector<std::string>{"QSO.dat"});
    }

    kxtest::TempFolder folder;
    std::string path;
    QSOLog old{"EN"};
    std::string oldBytes;
    QSOLog log{"EN"};
    std::vector<QSORow> before;
};

TEST_F(LogOnAFullDisk, WriteFailsPartWayAndKeepsTheOldFile) {
    ASSERT_GT(log.ToFileBytes().size(), 4096u);
    try {
        kxtest::FileSizeLimit full(4096);
        log.Write(path);
        FAIL() << "the write did not fail";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(e.path(), path);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    ExpectNothingChanged();
}

TEST_F(LogOnAFullDisk, SaveBaseLeavesTheTableUnsortedAndTheOldFileWhole) {
    {
        kxtest::FileSizeLimit full(4096);
        EXPECT_THROW(SaveBase(log, SortKey::Callsign, path), FileWriteError);
    }
    ExpectNothingChanged();
    // Once there is room again the same call succeeds.
    SaveBase(log, SortKey::Callsign, path);
    QSOLog reread("EN");
    reread.Load(path, "EN");
    EXPECT_EQ(reread.QSOCount(), 200);
}

TEST_F(LogOnAFullDisk, DeleteQsoRemovesNothing) {
    {
        kxtest::FileSizeLimit full(4096);
        EXPECT_THROW(DelSelQSO(log, 3, SortKey::DateTime, path), FileWriteError);
    }
    ExpectNothingChanged();
}

TEST_F(LogOnAFullDisk, ImportThatCannotBeWrittenAddsNothing) {
    folder.write("in.adi",
                 "<EOH><CALL:5>LY9XX<QSO_DATE:8>20090115<TIME_ON:4>1200<BAND:3>20M<MODE:2>CW<EOR>");
    const std::string adi = folder.file("in.adi");
    {
        kxtest::FileSizeLimit full(4096);
        EXPECT_THROW(ImportAdifFile(log, adi, path), FileWriteError);
    }
    EXPECT_EQ(folder.read("QSO.dat"), oldBytes);
    EXPECT_EQ(log.Rows(), before);
    // With room again the import takes the QSO.
    EXPECT_EQ(ImportAdifFile(log, adi, path).taken, 1);
    EXPECT_EQ(log.QSOCount(), 201);
}

TEST_F(LogOnAFullDisk, ImportRefusedAtTheReplacementAddsNothing) {
    folder.write("in.adi",
                 "<EOH><CALL:5>LY9XX<QSO_DATE:8>20090115<TIME_ON:4>1200<BAND:3>20M<MODE:2>CW<EOR>");
    WriteFaultHook = [](const std::string&) { return false; };
    EXPECT_THROW(ImportAdifFile(log, folder.file("in.adi"), path), FileWriteError);
    WriteFaultHook = nullptr;
    EXPECT_EQ(folder.read("QSO.dat"), oldBytes);
    EXPECT_EQ(log.Rows(), before);
}

TEST(LogInAMissingFolder, WriteFailsAndKeepsTheTable) {
    kxtest::TempFolder folder;
    const std::string path = folder.file("gone/QSO.dat");
    QSOLog log = LogOf({QsoRow({"2009-05-12", "12:30", "", "LY1A", "80M", "SSB"})});
    const auto before = log.Rows();
    try {
        SaveBase(log, SortKey::DateTime, path);
        FAIL() << "the write did not fail";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(e.path(), path);
    }
    EXPECT_EQ(log.Rows(), before);
    EXPECT_TRUE(kxtest::NamesIn(folder.dir()).empty());
}

}  // namespace
