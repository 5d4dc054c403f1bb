#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Messages.h"

namespace kx {

std::function<bool(const std::string&)> WriteFaultHook;

namespace {

std::string ErrnoText(int err) {
    return SystemErrorText(err);
}

}  // namespace

std::string SystemErrorText(int err) {
    return SystemTextToCp1257(std::strerror(err));
}

std::optional<std::string> TryReadFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    if (st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

std::string ReadFileBytes(const std::string& path) {
    auto data = TryReadFileBytes(path);
    if (!data) {
        const int err = errno;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            throw FileOpenError(path, CpMessage(Msg::FileIsFolder));
        throw FileOpenError(path,
                            err == ENOENT ? CpMessage(Msg::FileNotFound) : ErrnoText(err) + ".");
    }
    return std::move(*data);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

void WriteFileAtomic(const std::string& path, const std::string& bytes) {
    static std::mt19937_64 rng{std::random_device{}()};
    const std::string temp = path + ".tmp" + std::to_string(rng() % 1000000000ULL);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) throw FileWriteError(path, ErrnoText(errno) + ".");
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw FileWriteError(path, ErrnoText(err) + ".");
    };
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) fail(errno);
    // Keep the old file's permissions when there is one.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw FileWriteError(path, ErrnoText(err) + ".");
    }
    if (WriteFaultHook && !WriteFaultHook(temp)) {
        ::unlink(temp.c_str());
        throw FileWriteError(path, CpMessage(Msg::FileWriteRefused));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw FileWriteError(path, ErrnoText(err) + ".");
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
