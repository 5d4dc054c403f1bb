// One writer per log: an advisory lock (flock) on the file "QSO.lock" beside "QSO.dat".
// The system releases the lock when its holder ends, however it ends, so a crash never
// leaves the log locked; the file itself needs no hard links and works on any local file
// system. While held, the file names its holder ("Kvadrix 1234"), so that a refused
// program can say who has the log.
#pragma once

#include <string>

namespace kx {

inline constexpr const char* kLockFileName = "QSO.lock";

enum class LockResult {
    Acquired,  // this object holds the lock now
    Held,      // another program holds it (Holder tells which)
    Failed,    // no lock could be had (folder missing or not writable, "QSO.lock" a
               // folder, a file system without locks): Reason tells why
};

class FolderLock {
public:
    // folder: the folder of the log, with or without its trailing '/'; owner: the name
    // of this program as the lock file shows it to others.
    explicit FolderLock(std::string folder, std::string owner = "Kvadrix");
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock. Taking it twice is harmless.
    LockResult TryLock();
    // Gives the lock up and removes the lock file.
    void Release();

    // Who held the lock at the last TryLock that answered Held: "NAME (process PID)" as
    // far as known (Windows-1257, kx::Language).
    std::string Holder() const;
    const std::string& LockPath() const { return path_; }
    // Why the last TryLock failed (Windows-1257): the system's reason, or that the lock
    // file has other names (hard links) or is no ordinary file; such a file is left as it is.
    const std::string& Reason() const { return reason_; }

private:
    std::string path_;
    std::string owner_;
    std::string reason_;
    std::string holderName_;
    long holderPid_ = 0;
    int fd_ = -1;
};

// Messages (Windows-1257) in kx::Language. The lock file's path is put in
// as given (callers that show it in a window pass a placeholder and put the decoded path
// there).
// Another program holds the lock: who, and the lock file.
std::string LockHeldMessage(const FolderLock& lock, const std::string& lockPath);
// No lock could be had: why, the lock file, and that the log is open read-only.
std::string LockFailedMessage(const std::string& reason, const std::string& lockPath);

}  // namespace kx
