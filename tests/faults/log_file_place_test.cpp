// Where a write of the log lands: through a symbolic link to the file it leads to, never
// over a write-protected file, never through a link that leads nowhere; and what a write
// cut short earlier left beside the log is cleared away.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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
        // The system's own words, in the user's language ("Permission denied").
        EXPECT_NE(std::string(e.what()).find(kx::SystemErrorText(EACCES)), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(folder.read("QSO.dat"), before);
    EXPECT_EQ(kxtest::NamesIn(folder.dir()), std::vector<std::string>{"QSO.dat"});
}

TEST_F(LogFilePlace, TheNextWriteRemovesTheTemporariesACrashLeft) {
    // Process 999999999 never runs: its writes were cut short. The parent of this test
    // runs: its write is still going on.
    const std::string live = std::to_string(::getppid());
    folder.write("QSO.dat.kvadrix-999999999-123456.tmp", "half a log");
    folder.write("QSO.dat.kvadrix-" + live + "-7.tmp", "a write going on");
    folder.write("QSO.dat.kvadrix-" + live + "-8.tmp", "left before a restart");
    const auto dayAgo = fs::file_time_type::clock::now() - std::chrono::hours(25);
    fs::last_write_time(folder.file("QSO.dat.kvadrix-" + live + "-8.tmp"), dayAgo);
    folder.write("QSO.dat.tmp123456", "the user's");
    folder.write("QSO.dat.kvadrix-mine.tmp", "the user's");
    folder.write("Kvadrix.ini.kvadrix-999999999-42.tmp", "another file's");
    OneQso("LY1A").Write(path);
    EXPECT_EQ(kxtest::NamesIn(folder.dir()),
              (std::vector<std::string>{"Kvadrix.ini.kvadrix-999999999-42.tmp", "QSO.dat",
                                        "QSO.dat.kvadrix-" + live + "-7.tmp",
                                        "QSO.dat.kvadrix-mine.tmp", "QSO.dat.tmp123456"}));
}

TEST_F(LogFilePlace, AUsersFileBesideAWrittenFileIsNeverRemoved) {
    // A name of the user's that looks like a temporary of the old pattern.
    folder.write("log.adi.tmp2024", "the user's own");
    WriteFileAtomic(folder.file("log.adi"), "new");
    EXPECT_EQ(kxtest::NamesIn(folder.dir()),
              (std::vector<std::string>{"log.adi", "log.adi.tmp2024"}));
}

TEST_F(LogFilePlace, TheLogKeepsItsPermissionsFromTheFirstByteOn) {
    OneQso("LY1A").Write(path);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    // The temporary's permissions while its bytes are being written.
    std::vector<unsigned> modes;
    WriteFileAtomicPieces(path, [&](std::string& piece) {
        for (const std::string& name : kxtest::NamesIn(folder.dir()))
            if (struct stat st{}; name != "QSO.dat" && ::stat(folder.file(name).c_str(), &st) == 0)
                modes.push_back(st.st_mode & 07777);
        piece = "bytes";
        return false;
    });
    EXPECT_EQ(modes, std::vector<unsigned>{0600u});
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(LogFilePlace, TheFolderIsFlushedAfterTheRenameAndItsFailureIsReported) {
    std::vector<std::string> synced;
    SyncHook = [&](const std::string& p) {
        synced.push_back(p);
        return 0;
    };
    OneQso("LY1A").Write(path);
    ASSERT_EQ(synced.size(), 2u);
    EXPECT_NE(synced[0].find("QSO.dat.kvadrix-"), std::string::npos);  // the file first
    EXPECT_EQ(synced[1], folder.dir());                                // then its folder

    // A folder that cannot be flushed: "saved" would not survive a power cut.
    SyncHook = [&](const std::string& p) { return p == folder.dir() ? EIO : 0; };
    EXPECT_THROW(OneQso("LY2B").Write(path), FileWriteError);
    SyncHook = nullptr;
}
