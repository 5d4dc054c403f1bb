#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "LogTestSupport.h"
#include "log/LogBackup.h"
#include "platform/FileIO.h"

namespace fs = std::filesystem;

namespace {

// The moment 2026-12-08 10:15:00 local time, plus seconds.
std::time_t At(int seconds) {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 10;
    t.tm_min = 15;
    t.tm_sec = seconds;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

struct LogBackups : ::testing::Test {
    kxtest::TempFolder folder;
    std::string log = folder.file("QSO.dat");
    std::vector<kx::BackupFailure> reported;
    std::function<void(const kx::BackupFailure&)> saved = kx::BackupFailureReport;

    void SetUp() override {
        kx::ForgetLogBackups();
        kx::BackupFailureReport = [this](const kx::BackupFailure& f) { reported.push_back(f); };
    }
    void TearDown() override { kx::BackupFailureReport = saved; }
};

}  // namespace

TEST_F(LogBackups, CopyIsNamedByTheMomentAndTheNewestTenAreKept) {
    EXPECT_EQ(kx::BackUpLog(log, At(0)), std::nullopt);  // no log yet: nothing to keep
    EXPECT_FALSE(fs::exists(folder.file("backups")));

    folder.write("QSO.dat", "Date\tsUTC\r\n\xB0 bytes as they are\r\n");
    EXPECT_EQ(kx::BackUpLog(log, At(0)), folder.file("backups/QSO-20261208-101500.dat"));
    EXPECT_EQ(folder.read("backups/QSO-20261208-101500.dat"), folder.read("QSO.dat"));
    // Two in one second both stay.
    EXPECT_EQ(kx::BackUpLog(log, At(0)), folder.file("backups/QSO-20261208-101500-1.dat"));

    folder.write("backups/notes.txt", "mine");
    folder.write("backups/QSO-old.dat", "mine too");
    for (int s = 1; s <= 10; ++s) kx::BackUpLog(log, At(s));
    std::vector<std::string> expected = {"QSO-old.dat", "notes.txt"};
    for (int s = 1; s <= 10; ++s) {
        char name[32];
        std::snprintf(name, sizeof name, "QSO-20261208-1015%02d.dat", s);
        expected.push_back(name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(folder.file("backups")), expected);
}

TEST_F(LogBackups, FirstChangeInARunAndEveryRemovalKeepTheOldLog) {
    kxtest::LogOf({kxtest::QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CW"})}).Write(log);
    EXPECT_FALSE(fs::exists(folder.file("backups")));  // there was nothing to keep
    const std::string first = folder.read("QSO.dat");

    kx::ForgetLogBackups();  // a new run
    kxtest::LogOf({kxtest::QsoRow({"2024-01-02", "12:00", "", "LY2XY", "40M", "SSB"})}).Write(log);
    kxtest::LogOf({kxtest::QsoRow({"2024-01-03", "12:00", "", "LY3Z", "20M", "CW"})}).Write(log);
    ASSERT_EQ(Names(folder.file("backups")).size(), 1u);  // later changes add none
    EXPECT_EQ(folder.read("backups/" + Names(folder.file("backups"))[0]), first);

    // A removal keeps what it removes, whatever was kept earlier in the run.
    const std::string third = folder.read("QSO.dat");
    kxtest::LogOf({}).Write(log, kx::LogWriteKind::Removal);
    const std::string empty = folder.read("QSO.dat");
    kx::QSOLog::DeleteFile(log);
    EXPECT_FALSE(fs::exists(log));
    std::vector<std::string> kept;
    for (const auto& name : Names(folder.file("backups")))
        kept.push_back(folder.read("backups/" + name));
    std::sort(kept.begin(), kept.end());
    std::vector<std::string> expected = {first, third, empty};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected);
    EXPECT_TRUE(reported.empty());
}

TEST_F(LogBackups, WriteOfTheBytesTheFileHoldsChangesNothing) {
    const auto log1 =
        kxtest::LogOf({kxtest::QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CW"})});
    log1.Write(log);
    kx::ForgetLogBackups();  // a new run that only looks at the log
    const kx::FileIdentity before = kx::IdentityOf(log);
    log1.Write(log);
    log1.Write(log, kx::LogWriteKind::Removal);
    EXPECT_EQ(kx::IdentityOf(log), before);  // not even rewritten
    EXPECT_FALSE(fs::exists(folder.file("backups")));
    // One byte more or less is a change.
    kxtest::LogOf({kxtest::QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CWX"})}).Write(log);
    EXPECT_EQ(Names(folder.file("backups")).size(), 1u);
    EXPECT_NE(kx::IdentityOf(log), before);
}

TEST_F(LogBackups, FailedBackupIsReportedAfterTheLogIsWritten) {
    folder.write("QSO.dat", "old");
    folder.write("backups", "a file where the folder should be");
    const auto log1 =
        kxtest::LogOf({kxtest::QsoRow({"2024-01-01", "12:00", "", "LY1AB", "20M", "CW"})});
    kx::BackupFailureReport = [&](const kx::BackupFailure& f) {
        reported.push_back(f);
        EXPECT_NE(folder.read("QSO.dat"), "old");  // told only once the change is saved
    };
    log1.Write(log);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].reason.find("backups"), std::string::npos) << reported[0].reason;
    EXPECT_NE(folder.read("QSO.dat").find("LY1AB"), std::string::npos);
    log1.Write(log);  // told once a run
    EXPECT_EQ(reported.size(), 1u);
}

TEST_F(LogBackups, ABackupHasTheLogsPermissions) {
    folder.write("QSO.dat", "Date\tsUTC\r\n");
    ASSERT_EQ(::chmod(log.c_str(), 0600), 0);
    const auto backup = kx::BackUpLog(log, At(0));
    ASSERT_TRUE(backup);
    struct stat st {};
    ASSERT_EQ(::stat(backup->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(LogBackups, BackupsThatWereCutShortAreRemovedWithTheOldOnes) {
    folder.write("QSO.dat", "Date\tsUTC\r\n");
    fs::create_directories(folder.file("backups"));
    // Left by a crash: by this version (its writer has ended) and by earlier ones.
    folder.write("backups/QSO-20261201-080000.dat.kvadrix-999999999-1234.tmp", "a cut copy");
    folder.write("backups/QSO-20261201-080000.dat.tmp123456789", "a cut copy");
    folder.write("backups/notes.tmp42", "mine");
    EXPECT_TRUE(kx::BackUpLog(log, At(0)));
    EXPECT_EQ(Names(folder.file("backups")),
              (std::vector<std::string>{"QSO-20261208-101500.dat", "notes.tmp42"}));
}
