// Whole-file reads and atomic replacement of files.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

// The system's text for an errno value, in the user's locale where the system has one, as
// Windows-1257 bytes.
std::string SystemErrorText(int err);

// The largest file the program reads, QSO.dat and ADIF files among them: 1 GiB, eight
// times a log of 2,000,000 QSOs (some 125 MB).
inline constexpr std::uint64_t kLargestReadFile = std::uint64_t{1} << 30;

// The reads below take only ordinary files (a folder, a pipe, a device or a socket is
// refused without waiting for it) of at most kLargestReadFile bytes; anything else is a
// file that cannot be read.

// The bytes of a file. Throws FileOpenError when it cannot be opened or read.
std::string ReadFileBytes(const std::string& path);

// The bytes of a file, or nothing when it is missing or unreadable.
std::optional<std::string> TryReadFileBytes(const std::string& path);

// The bytes of a file handed to `piece` a piece at a time, in order (a big file is never
// held whole). Throws FileOpenError as ReadFileBytes does; a read error after some pieces
// throws too.
void ReadFilePieces(const std::string& path, const std::function<void(std::string_view)>& piece);

bool FileExists(const std::string& path);

// Replaces the file at path by bytes atomically: writes a temporary file
// "<name>.kvadrix-<process id>-<digits>.tmp" in the same folder, flushes it to disk, renames
// it over the old one and flushes the folder, so that the new file survives a power cut
// once this returns. On any failure the old file is left whole, the temporary is removed
// and FileWriteError is thrown (a failed flush of the folder too, though the file is
// replaced then).
// - the new file has the old one's permissions from its first byte on (a new file: the
//   umask's);
// - path a symbolic link: the file it leads to is replaced (the temporary beside it); a
//   link that leads nowhere or round in a loop throws and writes nothing;
// - a file the user may not write (or with no write permission at all) is not replaced:
//   FileWriteError with the system's "Permission denied";
// - temporaries that an earlier write of the same file left behind (a crash) are removed
//   (RemoveWriteLeftovers); no other file is touched.
void WriteFileAtomic(const std::string& path, const std::string& bytes);

// As WriteFileAtomic with the bytes that `next` appends to its piece (emptied before each
// call), written a piece at a time until it returns false (what it appended then is
// written too): a big file is never held whole. `replace`, when given, is asked once the
// new file is on disk; false keeps the old file and drops the new one. Returns whether the
// file was replaced.
bool WriteFileAtomicPieces(const std::string& path,
                           const std::function<bool(std::string& piece)>& next,
                           const std::function<bool()>& replace = {});

// As WriteFileAtomic with the bytes of the file `source`, read a piece at a time (a big
// file costs no memory); a new file gets the permissions of the source. A source that
// cannot be opened or read throws FileOpenError; nothing is written then.
void CopyFileAtomic(const std::string& source, const std::string& path);

// The file a write of path replaces: path itself, or the file a symbolic link at path
// leads to. A link that leads nowhere or round in a loop throws FileWriteError.
std::string WriteTarget(const std::string& path);

// What identifies one version of a file on disk; equal identities mean an unchanged
// file for the caches of the reference tables.
struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const std::string& path);

// Removes what atomic writes into `folder` left when they were cut short (a crash, a power
// cut): the temporary files of WriteFileAtomic's name pattern whose writing process has
// ended, or that are older than a day; of the file `name` only when one is given. Files of
// any other name, and those of writes still running, are left alone.
void RemoveWriteLeftovers(const std::string& folder, const std::string& name = {});

// Test seam: when set, called with the path of each file and folder that is about to be
// flushed to disk; an errno it returns fails that flush as the system would.
extern std::function<int(const std::string& path)> SyncHook;

// Test seam: when set, WriteFileAtomic calls it with the temporary file's path just before
// the rename; returning false makes the write fail as a real failure would.
extern std::function<bool(const std::string& tempPath)> WriteFaultHook;

}  // namespace kx
