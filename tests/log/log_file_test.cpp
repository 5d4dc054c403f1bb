#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "LogTestSupport.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/Globals.h"

using namespace kx;
using kxtest::LogOf;
using kxtest::QsoRow;

namespace {

const std::string kEnglishHeaderLine =
    "Date\tsUTC\teUTC\tCallsign\tBand\tMode\tQTH\tName\tWWL\tBEX\tMyWWL\tMyBEX\tRemarks\t\r\n";
const std::string kEmptyRowLine = std::string(13, '\t') + "\r\n";

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find("\r\n", pos);
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

QSOLog TwoQsos() {
    return LogOf({QsoRow({"2009-05-12", "12:30", "12:35", "LY1A", "80M", "SSB", "Vilnius", "Jonas",
                          "KO24OT", "K26", "", "", "tnx"}),
                  QsoRow({"2009-05-13", "07:00", "", "LY2BB", "40M", "CW"})});
}

}  // namespace

TEST(EmptyLog, IsTheHeaderAndOneEmptyRow) {
    QSOLog log("EN");
    EXPECT_EQ(log.RowCount(), 2);
    EXPECT_EQ(log.ColCount(), 13);
    EXPECT_EQ(log.Cell(0, colCallsign), "Callsign");
    EXPECT_EQ(log.Cell(1, colCallsign), "");
    EXPECT_EQ(log.QSOCount(), 0);
    EXPECT_EQ(log.ToFileBytes(), kEnglishHeaderLine + kEmptyRowLine);
}

TEST(EmptyLog, HeaderFollowsTheLanguage) {
    EXPECT_EQ(QSOLog("LT").Cell(0, colCallsign), Cp1257("Šaukinys"));
    EXPECT_EQ(QSOLog("LT").Cell(0, colMyBEX), "MBEX");
    EXPECT_EQ(QSOLog("lt").Cell(0, colCallsign), "Callsign");
    EXPECT_EQ(QSOLog("").Cell(0, colRemarks), "Remarks");
}

TEST(QsoCounter, CountsDataRowsButNotTheEmptyLog) {
    QSOLog log("EN");
    EXPECT_EQ(log.QSOCount(), 0);
    log.SetCell(1, colCallsign, " ");
    EXPECT_EQ(log.QSOCount(), 0);
    log.SetCell(1, colCallsign, "LY1A");
    EXPECT_EQ(log.QSOCount(), 1);
    log.AddEmptyRow();
    EXPECT_EQ(log.QSOCount(), 2);
}

TEST(LogTable, IndexesOutsideTheTableRaiseTheIndexError) {
    QSOLog log("EN");
    EXPECT_THROW(log.Cell(2, 0), IndexError);
    EXPECT_THROW(log.SetCell(1, 13, "x"), IndexError);
    EXPECT_THROW(log.Row(-1), IndexError);
}

TEST(LogTable, AFieldSetFromAnotherFieldOfItsOwnRowKeepsEveryField) {
    QSOLog log = TwoQsos();
    const QSORow before = log.Row(1);
    log.SetCell(1, colRemarks, log.Cell(1, colCallsign));
    log.SetCell(1, colName, log.Cell(1, colRemarks));
    log.SetCell(1, colDate, log.Cell(1, colDate));
    QSORow expected = before;
    expected[colRemarks] = expected[colName] = before[colCallsign];
    EXPECT_EQ(log.Row(1), expected);
    EXPECT_EQ(log.Row(2), TwoQsos().Row(2));
    // Also when the row gets more fields than the table had.
    log.SetFields(2, std::vector<std::string_view>(14, log.Cell(2, colCallsign)));
    EXPECT_EQ(log.ColCount(), 14);
    EXPECT_EQ(log.Row(2), QSORow(14, "LY2BB"));
    EXPECT_EQ(log.Cell(1, 13), "");
}

TEST(LogTable, CopiesShareNoChange) {
    // Copies of a table share their rows' text until one of them changes a row.
    auto copy = std::make_unique<QSOLog>(TwoQsos());
    QSOLog other = *copy;
    QSOLog third;
    third = other;
    other.SetCell(1, colCallsign, "LY9ZZ");
    other.DeleteRow(2);
    EXPECT_EQ(copy->Cell(1, colCallsign), "LY1A");
    EXPECT_EQ(copy->DataRowCount(), 2);
    copy->SetHeader("LT");
    EXPECT_EQ(other.Cell(0, colCallsign), "Callsign");
    copy.reset();  // the rows' text outlives the table that made it
    EXPECT_EQ(third.Rows(), TwoQsos().Rows());
    EXPECT_EQ(other.Cell(1, colCallsign), "LY9ZZ");
    EXPECT_EQ(other.DataRowCount(), 1);
}

TEST(LogTable, DeleteRowNeverRemovesTheHeaderOrTheOnlyDataRow) {
    QSOLog log = TwoQsos();
    EXPECT_FALSE(log.DeleteRow(0));
    EXPECT_TRUE(log.DeleteRow(1));
    EXPECT_EQ(log.Cell(1, colCallsign), "LY2BB");
    EXPECT_FALSE(log.DeleteRow(1));
    EXPECT_EQ(log.DataRowCount(), 1);
}

TEST(LogFileFormat, TwoQsosGiveThreeLinesOfThirteenTabTerminatedFields) {
    std::string bytes = TwoQsos().ToFileBytes();
    auto lines = Lines(bytes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0] + "\r\n", kEnglishHeaderLine);
    for (const auto& line : lines) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 13) << line;
        EXPECT_EQ(line.back(), '\t');
    }
    EXPECT_EQ(lines[2], "2009-05-13\t07:00\t\tLY2BB\t40M\tCW\t\t\t\t\t\t\t\t");
}

TEST(LogFileFormat, WriteThenLoadGivesTheSameTable) {
    kxtest::TempFolder folder;
    QSOLog written = TwoQsos();
    written.Write(folder.file("QSO.dat"));
    QSOLog read("EN");
    EXPECT_TRUE(read.Load(folder.file("QSO.dat"), "EN"));
    EXPECT_EQ(read.Rows(), written.Rows());
    EXPECT_EQ(folder.read("QSO.dat"), written.ToFileBytes());
}

TEST(LogFileFormat, RemarksWithCommasQuotesAndLeadingBlanksSurviveWriteSortAndRead) {
    kxtest::TempFolder folder;
    const std::string remarks = "  \"QSL\", via \"\"bureau\"\" , 73";
    QSOLog log = LogOf(
        {QsoRow({"2009-05-12", "12:30", "", "LY1A", "80M", "SSB", "", "", "", "", "", "", remarks}),
         QsoRow({"2009-05-11", "10:00", "", "LY2B", "80M", "SSB"})});
    SaveBase(log, SortKey::DateTime, folder.file("QSO.dat"));
    QSOLog read("EN");
    read.Load(folder.file("QSO.dat"), "EN");
    EXPECT_EQ(read.Cell(2, colCallsign), "LY1A");
    EXPECT_EQ(read.Cell(2, colRemarks), remarks);
}

TEST(LogFileFormat, EmptyFieldsAfterASortAreWrittenAndReadAsOneBlank) {
    kxtest::TempFolder folder;
    QSOLog log = TwoQsos();
    SaveBase(log, SortKey::DateTime, folder.file("QSO.dat"));
    auto lines = Lines(folder.read("QSO.dat"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "2009-05-13\t07:00\t \tLY2BB\t40M\tCW\t \t \t \t \t \t \t \t");
    QSOLog read("EN");
    read.Load(folder.file("QSO.dat"), "EN");
    EXPECT_EQ(read.Cell(2, colEUTC), " ");
    EXPECT_EQ(read.Cell(2, colName), " ");
    EXPECT_EQ(read.Cell(2, colQTH), " ");
}

TEST(LogFileReading, AnEnglishFileReadInLithuanianShowsTheLithuanianHeader) {
    kxtest::TempFolder folder;
    TwoQsos().Write(folder.file("QSO.dat"));
    QSOLog read("EN");
    read.Load(folder.file("QSO.dat"), "LT");
    EXPECT_EQ(read.Row(0), HeaderTitles("LT"));
    EXPECT_EQ(read.DataRowCount(), 2);
    read.Write(folder.file("QSO.dat"));
    EXPECT_EQ(folder.read("QSO.dat").substr(0, 15), "Data\tpUTC\tbUTC\t");
}

TEST(LogFileReading, AFileWithoutHeaderLineLosesItsFirstQso) {
    kxtest::TempFolder folder;
    folder.write("QSO.dat",
                 "2009-05-12\t12:30\t\tLY1A\t80M\tSSB\t\r\n"
                 "2009-05-13\t07:00\t\tLY2BB\t40M\tCW\t\r\n");
    QSOLog log("EN");
    log.Load(folder.file("QSO.dat"), "EN");
    EXPECT_EQ(log.Cell(0, colCallsign), "Callsign");
    EXPECT_EQ(kxtest::Calls(log), std::vector<std::string>{"LY2BB"});
}

TEST(LogFileReading, AnyLineEndEndsALineAndAFinalLineEndAddsNoRow) {
    QSOLog log("EN");
    log.ReadFromBytes("head\na\t1\rb\t2\r\nc\t3\n");
    ASSERT_EQ(log.RowCount(), 4);
    EXPECT_EQ(log.Cell(1, 0), "a");
    EXPECT_EQ(log.Cell(2, 1), "2");
    EXPECT_EQ(log.Cell(3, 0), "c");
}

// A big log is written a piece at a time (about 1 MB): the file holds the table's bytes,
// after Write as after SaveBase.
TEST(LogFileFormat, ABigLogIsWrittenWhole) {
    std::vector<QSORow> rows;
    for (int i = 0; i < 2000; ++i) {
        QSORow row = QsoRow({"2009-05-12", std::to_string(i), "", "LY" + std::to_string(i), "80M"});
        row[colRemarks] = std::string(600 + i % 300, static_cast<char>('a' + i % 26));
        rows.push_back(row);
    }
    QSOLog log = LogOf(rows);
    kxtest::TempFolder folder;
    log.Write(folder.file("QSO.dat"));
    const std::string written = ReadFileBytes(folder.file("QSO.dat"));
    EXPECT_GT(written.size(), QSOLog::kFilePiece);
    EXPECT_TRUE(written == log.ToFileBytes());
    SaveBase(log, SortKey::Callsign, folder.file("QSO.dat"));
    EXPECT_EQ(log.DataRowCount(), 2000);
    EXPECT_TRUE(ReadFileBytes(folder.file("QSO.dat")) == log.ToFileBytes());
}

// A big file is read a piece at a time (64 KiB): a CR LF and lines cut between two pieces
// read as in one piece.
TEST(LogFileReading, ABigFileLoadsAsItsBytesReadWhole) {
    std::string bytes = kEnglishHeaderLine;
    const std::string fields = "2009-05-12\t12:30\t\tLY1A\t80M\tCW\t\t\t\t\t\t\t";
    const std::string remarks(65535 - bytes.size() - fields.size(), 'r');
    const std::string first = fields + remarks;
    bytes += first + "\r\n";
    ASSERT_EQ(bytes[65535], '\r');
    const char* ends[] = {"\n", "\r", "\r\n", "\n\n"};
    for (int i = 0; i < 4000; ++i)
        bytes += "2009-05-13\t" + std::to_string(i) + "\t\tLY2B" + std::string(i % 7, '\t') +
                 ends[i % 4];
    kxtest::TempFolder folder;
    folder.write("QSO.dat", bytes);
    QSOLog loaded("EN"), read("EN");
    loaded.Load(folder.file("QSO.dat"), "EN");
    read.ReadFromBytes(bytes);
    EXPECT_EQ(loaded.RowCount(), 2 + 4000 + 4000 / 4);
    EXPECT_EQ(loaded.Rows(), read.Rows());
    EXPECT_EQ(loaded.Cell(1, colRemarks), remarks);
}

TEST(LogFileReading, ShortLinesLeaveTheRestEmptyAndBlankLinesGiveEmptyRows) {
    QSOLog log("EN");
    log.ReadFromBytes("h\r\n\r\n2009\t\tx\r\nlast");
    ASSERT_EQ(log.RowCount(), 4);
    EXPECT_EQ(log.Row(1), QSORow(13));
    EXPECT_EQ(log.Cell(2, 0), "2009");
    EXPECT_EQ(log.Cell(2, 1), "");
    EXPECT_EQ(log.Cell(2, 2), "x");
    EXPECT_EQ(log.Cell(2, 3), "");
    EXPECT_EQ(log.Cell(3, 0), "last");
}

TEST(LogFileReading, FieldsAreTakenAsTheyStand) {
    QSOLog log("EN");
    log.ReadFromBytes("h\r\n  2009 \t\xB0\xD0\t \r\n");
    EXPECT_EQ(log.Cell(1, 0), "  2009 ");
    EXPECT_EQ(log.Cell(1, 1), "\xB0\xD0");
    EXPECT_EQ(log.Cell(1, 2), " ");
}

TEST(LogFileReading, LongLinesWidenTheTableAndAreWrittenBack) {
    std::string line = "d\ts\te\tLY1A\tb\tm\tq\tn\tw\tx\tmw\tmx\tr\textra1\textra2\t";
    QSOLog log("EN");
    log.ReadFromBytes(kEnglishHeaderLine + line + "\r\n" + "d2\t\t\tLY2B\t\r\n");
    EXPECT_EQ(log.ColCount(), 15);
    EXPECT_EQ(log.Cell(1, 14), "extra2");
    EXPECT_EQ(log.Cell(2, 14), "");
    auto lines = Lines(log.ToFileBytes());
    EXPECT_EQ(lines[1], line);
    EXPECT_EQ(std::count(lines[2].begin(), lines[2].end(), '\t'), 15);
}

TEST(LogFileReading, AMissingFileGivesTheEmptyLog) {
    kxtest::TempFolder folder;
    QSOLog log = TwoQsos();
    EXPECT_FALSE(log.Load(folder.file("QSO.dat"), "EN"));
    EXPECT_EQ(log.Rows(), QSOLog("EN").Rows());
}

TEST(LogFileReading, AnUnreadableFileRaisesAndKeepsTheTable) {
    kxtest::TempFolder folder;
    std::filesystem::create_directory(folder.file("QSO.dat"));
    QSOLog log = TwoQsos();
    EXPECT_THROW(log.Load(folder.file("QSO.dat"), "EN"), FileOpenError);
    EXPECT_EQ(log.Rows(), TwoQsos().Rows());
}

TEST(DeleteAll, ThenClosingWritesTheHeaderAndOneLineOfThirteenTabs) {
    kxtest::TempFolder folder;
    QSOLog log = TwoQsos();
    log.Write(folder.file("QSO.dat"));
    ClearAllQSOs(log, folder.file("QSO.dat"));
    EXPECT_FALSE(FileExists(folder.file("QSO.dat")));
    EXPECT_EQ(log.QSOCount(), 0);
    log.Write(folder.file("QSO.dat"));  // what closing the window does
    EXPECT_EQ(folder.read("QSO.dat"), kEnglishHeaderLine + kEmptyRowLine);
}

TEST(DeleteAll, AMissingFileIsNoError) {
    kxtest::TempFolder folder;
    QSOLog log = TwoQsos();
    EXPECT_NO_THROW(ClearAllQSOs(log, folder.file("QSO.dat")));
    EXPECT_EQ(log.DataRowCount(), 1);
}

class FailedWrite : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.file("QSO.dat");
        folder.write("QSO.dat", "old file\r\n");
        log = LogOf({QsoRow({"2009-05-13", "07:00", "", "LY2BB", "40M", "CW"}),
                     QsoRow({"2009-05-12", "12:30", "", "LY1A", "80M", "SSB"}),
                     QsoRow({"", "", "", "", "", ""})});
        before = log.Rows();
        WriteFaultHook = [](const std::string&) { return false; };
    }
    void TearDown() override { WriteFaultHook = nullptr; }

    kxtest::TempFolder folder;
    std::string path;
    QSOLog log{"EN"};
    std::vector<QSORow> before;
};

TEST_F(FailedWrite, WriteRaisesAndKeepsTheOldFile) {
    EXPECT_THROW(log.Write(path), FileWriteError);
    EXPECT_EQ(folder.read("QSO.dat"), "old file\r\n");
    EXPECT_EQ(log.Rows(), before);
}

TEST_F(FailedWrite, SaveBaseLeavesTheTableUnsortedAndUncleaned) {
    EXPECT_THROW(SaveBase(log, SortKey::DateTime, path), FileWriteError);
    EXPECT_EQ(log.Rows(), before);
    EXPECT_EQ(folder.read("QSO.dat"), "old file\r\n");
}

TEST_F(FailedWrite, DeleteQsoRemovesNothing) {
    EXPECT_THROW(DelSelQSO(log, 1, SortKey::DateTime, path), FileWriteError);
    EXPECT_EQ(log.Rows(), before);
}

TEST_F(FailedWrite, AFolderInTheWayOfTheFileFailsTheSameWay) {
    WriteFaultHook = nullptr;
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    std::filesystem::create_directory(path + "/inside");
    EXPECT_THROW(SaveBase(log, SortKey::DateTime, path), KxError);
    EXPECT_EQ(log.Rows(), before);
    EXPECT_TRUE(std::filesystem::is_directory(path + "/inside"));
}

TEST(FieldText, TabsAndLineBreaksNeverReachAField) {
    QSOLog log("EN");
    log.SetCell(1, colRemarks, "a\tb\r\nc\nd\re");
    EXPECT_EQ(log.Cell(1, colRemarks), "a b  c d e");
    log.ReplaceDataRows({QsoRow({"2009\t05", "", "", "LY1A\n"})});
    EXPECT_EQ(log.Cell(1, colDate), "2009 05");
    EXPECT_EQ(log.Cell(1, colCallsign), "LY1A ");
}

TEST(FieldText, ATabTypedIntoRemarksDoesNotBreakTheFile) {
    kxtest::TempFolder folder;
    QSOLog log("EN");
    log.SetCell(1, colDate, "2009-05-12");
    log.SetCell(1, colCallsign, "LY1A");
    log.SetCell(1, colRemarks, "one\ttwo");
    log.Write(folder.file("QSO.dat"));
    QSOLog read("EN");
    read.Load(folder.file("QSO.dat"), "EN");
    EXPECT_EQ(read.ColCount(), 13);
    EXPECT_EQ(read.Cell(1, colRemarks), "one two");
}

TEST(FieldText, TrimDropsBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(TrimField("  LY1A \x01"), "LY1A");
    EXPECT_EQ(TrimField("   "), "");
    EXPECT_EQ(TrimField("a b"), "a b");
}

TEST(LogLock, LiesBesideTheFileTheLogReallyIs) {
    namespace fs = std::filesystem;
    kxtest::TempFolder copy, shared;
    const std::string log = copy.file("QSO.dat");
    EXPECT_EQ(LogLockFolder(log), copy.dir());  // no log yet, or a file of its own
    copy.write("QSO.dat", "");
    EXPECT_EQ(LogLockFolder(log), copy.dir());

    // A link to a log in a synced folder, also through a second link and before the log
    // there exists: the lock is the synced folder's.
    fs::remove(log);
    fs::create_directory(shared.file("sync"));
    fs::create_symlink(shared.file("sync/QSO.dat"), shared.file("hop.dat"));
    fs::create_symlink(shared.file("hop.dat"), log);
    EXPECT_EQ(LogLockFolder(log), shared.file("sync/"));
    shared.write("sync/QSO.dat", "");
    EXPECT_EQ(LogLockFolder(log), shared.file("sync/"));

    // A link round in a loop keeps its own folder.
    fs::remove(shared.file("hop.dat"));
    fs::create_symlink(log, shared.file("hop.dat"));
    EXPECT_EQ(LogLockFolder(log), copy.dir());
}
