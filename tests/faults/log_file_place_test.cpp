// Where a write of the log lands: through a symbolic link to the file it leads to, never
// over a write-protected file, never through a link that leads nowhere; and what a write
// cut short earlier left beside the log is cleared away.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "FaultSupport.h"
#include "log/LogTestSupport.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"

using namespace kx;
using kxtest::LogOf;
using kxtest::QsoRow;
namespace fs = std::filesystem;

namespace {

QSOLog OneQso(const std::string& call) {
    return LogOf({QsoRow({"2009-05-12", "12:30", "", call, "80M", "SSB"})});
}

class LogFilePlace : public ::testing::Test {
protected:
    kxtest::TempFolder folder;
    std::string path = folder.file("QSO.dat");
};

}  // namespace

TEST_F(LogFilePlace, ALinkedLogIsWrittenWhereTheLinkLeadsAndStaysALink) {
    fs::create_directory(folder.file("synced"));
    const std::string real = folder.file("synced/QSO.dat");
    OneQso("LY1A").Write(real);
    fs::create_symlink(real, path);

    QSOLog log("EN");
    ASSERT_TRUE(log.Load(path, "EN"));
    log.AddEmptyRow();
    log.SetCell(2, colCallsign, "LY2B");
    log.SetCell(2, colDate, "2009-05-13");
    SaveBase(log, SortKey::Callsign, path);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(folder.read("synced/QSO.dat"), log.ToFileBytes());
    EXPECT_EQ(kxtest::NamesIn(folder.file("synced")), std::vector<std::string>{"QSO.dat"});

    // Delete All empties the log where it lives and keeps the link.
    ClearAllQSOs(log, path);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(folder.read("synced/QSO.dat"), QSOLog("EN").ToFileBytes());
}

TEST_F(LogFilePlace, ALinkLoopOrADanglingLinkIsAnErrorAndNothingIsWritten) {
    fs::create_symlink(folder.file("other"), path);
    fs::create_symlink(path, folder.file("other"));
    QSOLog log = OneQso("LY1A");
    const auto before = log.Rows();
    EXPECT_THROW(log.Load(path, "EN"), FileOpenError);  // not taken for an empty log
    EXPECT_EQ(log.Rows(), before);
    EXPECT_THROW(log.Write(path), FileWriteError);
    EXPECT_TRUE(fs::is_symlink(path));

    fs::remove(folder.file("other"));  // now the link leads to no file
    EXPECT_THROW(log.Load(path, "EN"), FileOpenError);
    EXPECT_THROW(SaveBase(log, SortKey::DateTime, path), FileWriteError);
    EXPECT_EQ(kxtest::NamesIn(folder.dir()), std::vector<std::string>{"QSO.dat"});
    EXPECT_FALSE(fs::exists(folder.file("other")));
}

TEST_F(LogFilePlace, AWriteProtectedLogIsNotReplaced) {
    OneQso("LY1A").Write(path);
    const std::string before = folder.read("QSO.dat");
    ::chmod(path.c_str(), 0444);
    try {
        OneQso("LY2B").Write(path);
        FAIL() << "the write did not fail";
    } catch (const FileWriteError& e) {
        EXPECT_NE(std::string(e.what()).find("Permission denied"), std::string::npos) << e.what();
    }
    EXPECT_EQ(folder.read("QSO.dat"), before);
    EXPECT_EQ(kxtest::NamesIn(folder.dir()), std::vector<std::string>{"QSO.dat"});
}

TEST_F(LogFilePlace, TheNextWriteRemovesTheTemporariesACrashLeft) {
    folder.write("QSO.dat.tmp123456", "half a log");
    folder.write("QSO.dat.tmp7", "");
    folder.write("QSO.dat.tmp-mine", "not ours");
    folder.write("Kvadrix.ini.tmp42", "another file's");
    OneQso("LY1A").Write(path);
    EXPECT_EQ(kxtest::NamesIn(folder.dir()),
              (std::vector<std::string>{"Kvadrix.ini.tmp42", "QSO.dat", "QSO.dat.tmp-mine"}));
}
