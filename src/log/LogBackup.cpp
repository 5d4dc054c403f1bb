#include "log/LogBackup.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <vector>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/Messages.h"

namespace kx {

namespace fs = std::filesystem;

namespace {

std::set<std::string>& BackedUp() {
    static std::set<std::string> logs;
    return logs;
}

// The name a backup would take at this moment: QSO-YYYYMMDD-HHMMSS.
std::string Stamp(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "QSO-%Y%m%d-%H%M%S", &local);
    return text;
}

// A backup's name: "QSO-" 8 digits "-" 6 digits, maybe "-N" when two fell in one second.
bool IsBackupName(const std::string& name) {
    if (name.size() < 23 || name.rfind("QSO-", 0) != 0 || !name.ends_with(".dat")) return false;
    const std::string stem = name.substr(0, name.size() - 4);
    for (size_t i = 4; i < stem.size(); ++i) {
        const bool dash = i == 12 || i == 19;
        if (dash ? stem[i] != '-' : !std::isdigit(static_cast<unsigned char>(stem[i])))
            return false;
    }
    return stem.size() == 19 || (stem.size() > 20 && stem[19] == '-');
}

// Oldest first: by time, then by the counter of the same second.
bool Older(const fs::path& a, const fs::path& b) {
    const std::string sa = a.stem().string(), sb = b.stem().string();
    if (sa.substr(0, 19) != sb.substr(0, 19)) return sa < sb;
    if (sa.size() != sb.size()) return sa.size() < sb.size();
    return sa < sb;
}

// A copy that an earlier version of the program left when a backup was cut short:
// a backup's name, then ".tmp" and digits.
bool IsOldCutBackupName(const std::string& name) {
    const std::size_t mark = name.rfind(".tmp");
    return mark != std::string::npos && mark + 4 < name.size() &&
           name.find_first_not_of("0123456789", mark + 4) == std::string::npos &&
           IsBackupName(name.substr(0, mark));
}

// Removes the oldest backups beyond kKeptBackups, and every copy that was cut short (each
// as big as the log): none of them is a backup to restore.
void RemoveOldBackups(const fs::path& folder) {
    RemoveWriteLeftovers(folder.string() + "/");
    std::error_code ec;
    std::vector<fs::path> backups;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(ec)) continue;
        if (IsBackupName(name))
            backups.push_back(entry.path());
        else if (IsOldCutBackupName(name))
            fs::remove(entry.path(), ec);
    }
    std::sort(backups.begin(), backups.end(), Older);
    for (size_t i = 0; i + kKeptBackups < backups.size(); ++i) fs::remove(backups[i], ec);
}

}  // namespace

std::function<void(const BackupFailure&)> BackupFailureReport = [](const BackupFailure& f) {
    std::string text = Utf8Message(Msg::LogBackupFailed, {Cp1257ToUtf8(f.reason)});
    std::replace(text.begin(), text.end(), '\n', ' ');  // one line on the terminal
    std::fprintf(stderr, "kvadrix: %s\n", text.c_str());
};

std::optional<std::string> BackUpLog(const std::string& logPath, std::time_t now) {
    if (!FileExists(logPath)) return std::nullopt;
    const fs::path folder = fs::path(logPath).parent_path() / kBackupFolderName;
    std::string stem = Stamp(now);
    fs::path target = folder / (stem + ".dat");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw FileWriteError(folder.string(), ec.message());
    for (int n = 1; fs::exists(target, ec); ++n)
        target = folder / (stem + "-" + std::to_string(n) + ".dat");
    // Copied a piece at a time: a big log is not held in memory a second time.
    try {
        CopyFileAtomic(logPath, target.string());
    } catch (const FileOpenError&) {
        throw FileWriteError(logPath, "The log cannot be read.");
    }
    RemoveOldBackups(folder);
    return target.string();
}

std::optional<BackupFailure> BackUpLogOnce(const std::string& logPath) {
    if (BackedUp().count(logPath)) return std::nullopt;
    return BackUpLogNow(logPath);
}

std::optional<BackupFailure> BackUpLogNow(const std::string& logPath) {
    BackedUp().insert(logPath);
    try {
        BackUpLog(logPath, std::time(nullptr));
    } catch (const FileWriteError& e) {
        return BackupFailure{e.path(), e.what()};
    } catch (const std::exception& e) {
        return BackupFailure{logPath, e.what()};
    }
    return std::nullopt;
}

void ReportBackupFailure(const std::optional<BackupFailure>& failure) {
    if (failure && BackupFailureReport) BackupFailureReport(*failure);
}

void ForgetLogBackups() {
    BackedUp().clear();
}

}  // namespace kx
