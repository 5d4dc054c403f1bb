#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileIO.h"
#include "platform/Messages.h"

namespace kx {
namespace {

std::string LockPathOf(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + kLockFileName;
}

}  // namespace

FolderLock::FolderLock(std::string folder, std::string owner)
    : path_(LockPathOf(std::move(folder))), owner_(std::move(owner)) {}

FolderLock::~FolderLock() {
    Release();
}

std::string FolderLock::Holder() const {
    const std::string who = holderName_.empty() ? CpMessage(Msg::LockHolderUnknown) : holderName_;
    if (holderPid_ <= 0) return who;
    return CpMessage(Msg::LockHolderProcess, {who, std::to_string(holderPid_)});
}

std::string LockHeldMessage(const FolderLock& lock, const std::string& lockPath) {
    return CpMessage(Msg::LockHeld, {lock.Holder(), lockPath});
}

std::string LockFailedMessage(const std::string& reason, const std::string& lockPath) {
    return CpMessage(Msg::LockFailed, {reason, lockPath});
}

LockResult FolderLock::TryLock() {
    if (fd_ >= 0) return LockResult::Acquired;
    reason_.clear();
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd =
            ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
        if (fd < 0) {
            reason_ = SystemErrorText(errno);
            return LockResult::Failed;
        }
        // The holder's text is written into the file: a file that has another name (a hard
        // link to a file of the user's) or is no ordinary file is not written, nor locked.
        struct stat own {};
        if (::fstat(fd, &own) != 0 || !S_ISREG(own.st_mode) || own.st_nlink > 1) {
            reason_ = own.st_nlink > 1 ? CpMessage(Msg::LockFileHasLinks)
                                       : CpMessage(Msg::FileNotOrdinary);
            ::close(fd);
            return LockResult::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (err != EWOULDBLOCK) {
                reason_ = SystemErrorText(err);
                ::close(fd);
                return LockResult::Failed;
            }
            // "NAME PID" as the holder wrote it; an older lock file holds the id alone.
            char buf[256] = {};
            const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
            ::close(fd);
            std::string text(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
            while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
            // Shown in messages and on terminals: anything but printable ASCII (terminal
            // commands among it) is shown as "?".
            for (char& c : text)
                if (c < 0x20 || c > 0x7E) c = '?';
            const std::size_t blank = text.rfind(' ');
            holderName_ = blank == std::string::npos ? std::string() : text.substr(0, blank);
            holderPid_ = 0;
            for (char c : text.substr(blank == std::string::npos ? 0 : blank + 1)) {
                if (c < '0' || c > '9' || holderPid_ > 0x7fffffffL) {
                    holderPid_ = 0;
                    break;
                }
                holderPid_ = holderPid_ * 10 + (c - '0');
            }
            return LockResult::Held;
        }
        // A holder that was just letting go removed the file after this one opened it:
        // the lock is then on a file nobody else will ever open. Open the name again.
        struct stat mine {
        }, named{};
        if (::fstat(fd, &mine) != 0 || ::stat(path_.c_str(), &named) != 0 ||
            mine.st_dev != named.st_dev || mine.st_ino != named.st_ino) {
            ::close(fd);
            continue;
        }
        // Who holds it, for the messages of the others. A full disk leaves the file
        // empty; the lock holds all the same.
        const std::string text = owner_ + " " + std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
        fd_ = fd;
        return LockResult::Acquired;
    }
    reason_ = CpMessage(Msg::LockFileKeepsChanging);
    return LockResult::Failed;
}

void FolderLock::Release() {
    if (fd_ < 0) return;
    // Removed while still held: whoever opens the name next makes a new file.
    ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
}

}  // namespace kx
