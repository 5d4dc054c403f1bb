#include "platform/FileIO.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Messages.h"

namespace kx {

std::function<bool(const std::string&)> WriteFaultHook;

namespace {

std::string ErrnoText(int err) {
    return SystemErrorText(err);
}

// A temporary file's name: the name of the file it will replace, then
// ".kvadrix-<process id>-<random digits>.tmp". The process id tells whether the writer
// still runs.
constexpr std::string_view kTempMark = ".kvadrix-";
constexpr std::string_view kTempEnd = ".tmp";

// A temporary left longer than this is a leftover whoever wrote it (a process id used
// again after a restart of the machine).
constexpr std::time_t kLeftoverAge = 24 * 60 * 60;

}  // namespace

std::string SystemErrorText(int err) {
    return SystemTextToCp1257(std::strerror(err));
}

namespace {

// A file open for reading, closed when it goes.
struct ReadingFile {
    explicit ReadingFile(const std::string& path) {
        // Without waiting: a pipe would wait for a writer that may never come.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            failure = errno == ENOENT ? CpMessage(Msg::FileNotFound) : ErrnoText(errno) + ".";
            return;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            failure = ErrnoText(errno) + ".";
        else if (S_ISDIR(st.st_mode))
            failure = CpMessage(Msg::FileIsFolder);
        else if (!S_ISREG(st.st_mode))
            failure = CpMessage(Msg::FileNotOrdinary);  // a device gives bytes without end
        else if (static_cast<std::uint64_t>(st.st_size) > kLargestReadFile)
            failure = TooLarge(static_cast<std::uint64_t>(st.st_size));
        if (!failure.empty()) {
            ::close(fd);
            fd = -1;
            return;
        }
        size = static_cast<std::size_t>(st.st_size);
        mode = st.st_mode & 07777;
    }
    ~ReadingFile() {
        if (fd >= 0) ::close(fd);
    }
    ReadingFile(const ReadingFile&) = delete;
    ReadingFile& operator=(const ReadingFile&) = delete;

    // Reads to the end a piece at a time; false on a read error or a file that grows beyond
    // the largest while it is read (failure tells which).
    bool ReadPieces(const std::function<void(std::string_view)>& piece,
                    std::size_t pieceSize = 1 << 16) {
        std::vector<char> buf(pieceSize);
        std::uint64_t total = 0;
        for (;;) {
            const ssize_t n = ::read(fd, buf.data(), buf.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                failure = ErrnoText(errno) + ".";
                return false;
            }
            if (n == 0) return true;
            total += static_cast<std::uint64_t>(n);
            if (total > kLargestReadFile) {
                failure = TooLarge(total);
                return false;
            }
            piece(std::string_view(buf.data(), static_cast<std::size_t>(n)));
        }
    }

    static std::string TooLarge(std::uint64_t bytes) {
        return CpMessage(Msg::FileTooLarge,
                         {std::to_string(bytes), std::to_string(kLargestReadFile >> 20)});
    }

    int fd = -1;
    std::size_t size = 0;  // as the file system gives it when opened
    mode_t mode = 0;       // its permissions
    std::string failure;   // why the file cannot be read (Windows-1257), once it cannot
};

}  // namespace

namespace {

// The bytes of a file, or nothing with the failure in `failure`.
std::optional<std::string> ReadBytes(const std::string& path, std::string& failure) {
    ReadingFile file(path);
    std::string data;
    if (file.fd >= 0) {
        data.reserve(file.size);
        if (file.ReadPieces([&](std::string_view piece) { data.append(piece); })) return data;
    }
    failure = file.failure;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> TryReadFileBytes(const std::string& path) {
    std::string failure;
    return ReadBytes(path, failure);
}

std::string ReadFileBytes(const std::string& path) {
    std::string failure;
    auto data = ReadBytes(path, failure);
    if (!data) throw FileOpenError(path, failure);
    return std::move(*data);
}

void ReadFilePieces(const std::string& path, const std::function<void(std::string_view)>& piece) {
    ReadingFile file(path);
    if (file.fd < 0 || !file.ReadPieces(piece)) throw FileOpenError(path, file.failure);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string WriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    // A link (a log kept in a synced folder): the file it leads to is the one replaced.
    // A link that leads nowhere or round in a loop is an error; nothing is written.
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        const int err = errno;
        throw FileWriteError(path, err == ELOOP
                                       ? CpMessage(Msg::FileLinkLoop)
                                       : CpMessage(Msg::FileLinkDangling, {ErrnoText(err)}));
    }
    std::string target(real);
    std::free(real);
    return target;
}

namespace {

// "<folder>/" and the name of a path.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {"./", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The process id in a temporary file's name whose file name is `name` (any name when
// empty), or 0 when it is no such name.
long TempWriter(std::string_view temp, std::string_view name) {
    std::size_t at = temp.rfind(kTempMark);
    if (at == std::string_view::npos || at == 0 || (!name.empty() && temp.substr(0, at) != name) ||
        !temp.ends_with(kTempEnd))
        return 0;
    const std::string_view rest =
        temp.substr(at + kTempMark.size(), temp.size() - at - kTempMark.size() - kTempEnd.size());
    const std::size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == rest.size() ||
        rest.find_first_not_of("0123456789-") != std::string_view::npos ||
        rest.find('-', dash + 1) != std::string_view::npos)
        return 0;
    long pid = 0;
    for (char c : rest.substr(0, dash)) pid = pid * 10 + (c - '0');
    return pid;
}

}  // namespace

void RemoveWriteLeftovers(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = TempWriter(entry->d_name, name);
        if (pid <= 0) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        // A writer that still runs (this program itself among them) is still writing it.
        const bool writerGone =
            pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
        if (writerGone || now - st.st_mtime > kLeftoverAge)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

std::function<int(const std::string&)> SyncHook;

namespace {

// Writes all of data to fd: 0, or the errno of the failure.
int WriteAll(int fd, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Flushes fd (the file or folder at path) to disk: 0, or the errno of the failure.
int Sync(int fd, const std::string& path) {
    if (SyncHook)
        if (const int err = SyncHook(path)) return err;
    return ::fsync(fd) == 0 ? 0 : errno;
}

// WriteFileAtomic with the new file's bytes written by fill(fd), which returns 0 or the
// errno of its failure. A new file gets the permissions `mode` (the umask's when none);
// a file that is replaced keeps its own. When `replace` is given it is asked once the new
// file is on disk: false leaves the old file as it is and removes the new one. Returns
// whether the file was replaced.
bool WriteAtomicWith(const std::string& path, const std::function<int(int fd)>& fill,
                     std::optional<mode_t> mode = std::nullopt,
                     const std::function<bool()>& replace = {}) {
    static std::mt19937_64 rng{std::random_device{}()};
    const std::string target = WriteTarget(path);
    // A file the user may not write is not replaced behind the user's back.
    struct stat old {};
    const bool hasOld = ::stat(target.c_str(), &old) == 0;
    if (hasOld && (::access(target.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0))
        throw FileWriteError(path, ErrnoText(EACCES) + ".");
    if (hasOld) mode = old.st_mode & 07777;
    const auto [folder, name] = SplitPath(target);
    RemoveWriteLeftovers(folder, name);
    const std::string temp = target + std::string(kTempMark) + std::to_string(::getpid()) + "-" +
                             std::to_string(rng() % 1000000000ULL) + std::string(kTempEnd);
    // The permissions are the final ones before the first byte is written: a log only its
    // owner may read is never readable by others, not even while it is written.
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode ? 0600 : 0666);
    if (fd < 0) throw FileWriteError(path, ErrnoText(errno) + ".");
    if (mode) ::fchmod(fd, *mode);
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw FileWriteError(path, ErrnoText(err) + ".");
    };
    int filled = 0;
    try {
        filled = fill(fd);
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    if (filled) fail(filled);
    if (const int err = Sync(fd, temp)) fail(err);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw FileWriteError(path, ErrnoText(err) + ".");
    }
    bool wanted = true;
    try {
        wanted = !replace || replace();
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    if (!wanted) {
        ::unlink(temp.c_str());
        return false;
    }
    if (WriteFaultHook && !WriteFaultHook(temp)) {
        ::unlink(temp.c_str());
        throw FileWriteError(path, CpMessage(Msg::FileWriteRefused));
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw FileWriteError(path, ErrnoText(err) + ".");
    }
    // The new name lives in the folder: only once the folder is on disk does the file
    // survive a power cut under its name. A folder that cannot be opened for reading, or a
    // file system that does not flush folders (EINVAL), is left as it is.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return true;
    const int err = Sync(dir, folder);
    ::close(dir);
    if (err && err != EINVAL) throw FileWriteError(path, ErrnoText(err) + ".");
    return true;
}

}  // namespace

void WriteFileAtomic(const std::string& path, const std::string& bytes) {
    WriteAtomicWith(path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); });
}

bool WriteFileAtomicPieces(const std::string& path,
                           const std::function<bool(std::string& piece)>& next,
                           const std::function<bool()>& replace) {
    return WriteAtomicWith(
        path,
        [&](int fd) {
            std::string piece;
            for (bool more = true; more;) {
                piece.clear();
                more = next(piece);
                if (const int err = WriteAll(fd, piece.data(), piece.size())) return err;
            }
            return 0;
        },
        std::nullopt, replace);
}

void CopyFileAtomic(const std::string& source, const std::string& path) {
    ReadingFile in(source);
    if (in.fd < 0) throw FileOpenError(source, in.failure);
    bool readFailed = false;
    try {
        WriteAtomicWith(
            path,
            [&](int fd) {
                int written = 0;
                readFailed = !in.ReadPieces(
                    [&](std::string_view piece) {
                        if (!written) written = WriteAll(fd, piece.data(), piece.size());
                    },
                    1 << 20);
                return readFailed ? EIO : written;
            },
            in.mode);
    } catch (const FileWriteError&) {
        if (readFailed) throw FileOpenError(source, in.failure);
        throw;
    }
}

FileIdentity IdentityOf(const std::string& path) {
    struct stat st {};
    FileIdentity id;
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return id;
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

}  // namespace kx
