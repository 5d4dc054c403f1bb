#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string_view>

namespace kx {
namespace {

std::string LockPathOf(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + kLockFileName;
}

// The process id written in a lock file, or 0 when the file is missing or holds no
// number.
long ReadPid(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char buf[32] = {};
    ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) return 0;
    long pid = 0;
    for (ssize_t i = 0; i < n; ++i) {
        char c = buf[i];
        if (c < '0' || c > '9') break;
        pid = pid * 10 + (c - '0');
        if (pid > 0x7fffffffL) return 0;
    }
    return pid;
}

bool ProcessAlive(long pid) {
    if (pid <= 0) return false;
    if (::kill(static_cast<pid_t>(pid), 0) == 0) return true;
    return errno == EPERM;  // exists, but belongs to someone else
}

}  // namespace

FolderLock::FolderLock(std::string folder) : path_(LockPathOf(std::move(folder))) {}

FolderLock::~FolderLock() {
    Release();
}

LockResult FolderLock::TryLock() {
    if (owned_) return LockResult::Acquired;
    const long me = static_cast<long>(::getpid());
    // The id is written to a private file first and linked to the lock name, so the lock
    // file never exists without its id in it.
    const std::string temp = path_ + "." + std::to_string(me) + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        reason_ = std::strerror(errno);
        return LockResult::Failed;
    }
    const std::string text = std::to_string(me) + "\n";
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written) {
        reason_ = std::strerror(errno);
        ::unlink(temp.c_str());
        return LockResult::Failed;
    }
    LockResult result = LockResult::Failed;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (::link(temp.c_str(), path_.c_str()) == 0) {
            owned_ = true;
            result = LockResult::Acquired;
            break;
        }
        if (errno != EEXIST) {
            reason_ = std::strerror(errno);
            break;
        }
        long pid = ReadPid(path_);
        if (pid == 0) {
            // Unreadable or empty: written by a program that did not use the id-first
            // order, or removed just now. Give it a moment before calling it stale.
            ::usleep(20000);
            pid = ReadPid(path_);
        }
        if (ProcessAlive(pid)) {
            holder_ = pid;
            result = LockResult::Held;
            break;
        }
        // Stale: remove it only if it is still the same stale file.
        if (ReadPid(path_) == pid) ::unlink(path_.c_str());
    }
    ::unlink(temp.c_str());
    if (result == LockResult::Failed && reason_.empty()) reason_ = "the lock file keeps changing";
    return result;
}

void FolderLock::Release() {
    if (!owned_) return;
    if (ReadPid(path_) == static_cast<long>(::getpid())) ::unlink(path_.c_str());
    owned_ = false;
}

long FolderLock::LiveHolder(const std::string& folder) {
    long pid = ReadPid(LockPathOf(folder));
    return ProcessAlive(pid) ? pid : 0;
}

}  // namespace kx
