// Backups of the log: before the first change of "QSO.dat" in a run of the program, and
// before every change that removes or replaces QSOs, the file as it was is copied to
// backups/QSO-YYYYMMDD-HHMMSS.dat beside it (local time); the newest kKeptBackups of them
// are kept. A write that leaves the file as it was is no change and makes no backup. A backup that
// fails never stops the change of the log; it is reported through BackupFailureReport after the
// change is written.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace kx {

inline constexpr int kKeptBackups = 10;
inline constexpr const char* kBackupFolderName = "backups";

struct BackupFailure {
    std::string path;    // the file or folder that failed
    std::string reason;  // the whole message, naming the path and the system's reason
};

// Copies the log at logPath into its backups folder under the name of the moment now,
// then removes the oldest backups beyond kKeptBackups. Nothing happens when there is no
// log yet. Returns the backup's path, or throws FileWriteError.
std::optional<std::string> BackUpLog(const std::string& logPath, std::time_t now);

// BackUpLog the first time it is asked for this log in this run; later calls do nothing.
// Returns the failure, which the caller passes to ReportBackupFailure once the log
// itself is written.
std::optional<BackupFailure> BackUpLogOnce(const std::string& logPath);
// BackUpLog whatever was backed up before in this run: a change that removes or replaces
// QSOs always leaves a copy of what it removes. Returns the failure as BackUpLogOnce.
std::optional<BackupFailure> BackUpLogNow(const std::string& logPath);
void ReportBackupFailure(const std::optional<BackupFailure>& failure);

// Told of a failed backup; by default writes one line to standard error. The window
// program shows a message instead.
extern std::function<void(const BackupFailure&)> BackupFailureReport;

// Test seam: every log counts as not backed up in this run yet.
void ForgetLogBackups();

}  // namespace kx
