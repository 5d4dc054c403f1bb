// One program per log: a lock file "QSO.lock" beside "QSO.dat" in a program folder,
// holding the process id of its owner as decimal text. A lock whose process no longer
// exists (a crashed run) is stale and is taken over by the next one who asks.
#pragma once

#include <string>

namespace kx {

inline constexpr const char* kLockFileName = "QSO.lock";

enum class LockResult {
    Acquired,  // this object owns the lock now
    Held,      // a live process owns it (HolderPid tells which)
    Failed,    // the lock file could not be made (folder missing, not writable)
};

class FolderLock {
public:
    // folder: a program folder, with or without its trailing '/'.
    explicit FolderLock(std::string folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock, taking over a stale one. Taking it twice is harmless.
    LockResult TryLock();
    // Removes the lock file when this object owns it.
    void Release();

    bool Owned() const { return owned_; }
    // The process that held the lock at the last TryLock that answered Held.
    long HolderPid() const { return holder_; }
    const std::string& LockPath() const { return path_; }
    // The system's reason of the last Failed.
    const std::string& Reason() const { return reason_; }

    // The live process holding the folder's lock, or 0 when nobody does (no file, or a
    // stale one). Nothing is changed.
    static long LiveHolder(const std::string& folder);

private:
    std::string path_;
    std::string reason_;
    bool owned_ = false;
    long holder_ = 0;
};

}  // namespace kx
