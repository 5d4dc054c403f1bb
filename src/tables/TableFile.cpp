#include "tables/TableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <optional>

#include "platform/Errors.h"
#include "platform/Globals.h"
#include "platform/Messages.h"
#include "platform/Paths.h"

namespace kx {

namespace {

bool IsIniBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view TrimIni(std::string_view s) {
    while (!s.empty() && IsIniBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsIniBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A modification time younger than this cannot be trusted to change with the next edit
// (coarse kernel timestamps, 2-second FAT times).
constexpr std::int64_t kRacyWindowNs = 2'000'000'000;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool IsRacy(const FileIdentity& id, std::int64_t readStartNs) {
    return id.mtimeNs > readStartNs - kRacyWindowNs || id.ctimeNs > readStartNs - kRacyWindowNs;
}

const std::string kEmpty;

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
    return text;
}

std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) lines.emplace_back(bytes.substr(start));
    return lines;
}

// ---- IniData ----------------------------------------------------------------------

IniData IniData::Parse(std::string_view bytes) {
    IniData data;
    IniSection* current = nullptr;
    for (const std::string& raw : SplitLines(bytes)) {
        const std::string_view line = TrimIni(raw);
        if (line.empty()) continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            if (close == std::string_view::npos) continue;  // not a header; not a key line
            IniSection section;
            section.name = std::string(TrimIni(line.substr(1, close - 1)));
            data.sections_.push_back(std::move(section));
            const size_t index = data.sections_.size() - 1;
            data.firstOfSection_.emplace(UpperCp1257(data.sections_[index].name), index);
            current = &data.sections_[index];
            continue;
        }
        if (!current) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        IniEntry entry{std::string(TrimIni(line.substr(0, eq))),
                       std::string(TrimIni(line.substr(eq + 1)))};
        current->firstOfKey.emplace(UpperCp1257(entry.key), current->entries.size());
        current->entries.push_back(std::move(entry));
    }
    return data;
}

const IniSection* IniData::section(std::string_view name) const {
    const auto it = firstOfSection_.find(UpperCp1257(TrimIni(name)));
    return it == firstOfSection_.end() ? nullptr : &sections_[it->second];
}

const std::string& IniData::value(std::string_view sectionName, std::string_view key) const {
    const IniSection* s = section(sectionName);
    if (!s) return kEmpty;
    const auto it = s->firstOfKey.find(UpperCp1257(TrimIni(key)));
    return it == s->firstOfKey.end() ? kEmpty : s->entries[it->second].value;
}

TableText TableText::FromBytes(std::string bytes) {
    TableText t;
    t.lines = SplitLines(bytes);
    t.ini = IniData::Parse(bytes);
    t.bytes = std::move(bytes);
    return t;
}

// ---- FileVersion ------------------------------------------------------------------

namespace detail {

namespace {

int batchDepth = 0;
std::uint64_t currentBatch = 0;  // number of the outermost batch running, or of the last one

FileIdentity IdentityOfStat(const struct stat& st) {
    FileIdentity id;
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

std::optional<std::string> ReadAll(int fd, std::int64_t sizeHint) {
    std::string data;
    if (sizeHint > 0) data.reserve(static_cast<size_t>(sizeHint));
    char buf[1 << 16];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buf, sizeof buf, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) return data;
        data.append(buf, static_cast<size_t>(n));
        offset += n;
    }
}

}  // namespace

FileVersion::FileVersion(FileVersion&& other) noexcept {
    *this = std::move(other);
}

FileVersion& FileVersion::operator=(FileVersion&& other) noexcept {
    if (this != &other) {
        keepDescriptor(other.fd_);
        other.fd_ = -1;
        path_ = std::move(other.path_);
        identity_ = other.identity_;
        bytes_ = std::move(other.bytes_);
        loaded_ = other.loaded_;
        racy_ = other.racy_;
        checkedInBatch_ = other.checkedInBatch_;
        other.forget();
    }
    return *this;
}

FileVersion::~FileVersion() {
    keepDescriptor(-1);
}

void FileVersion::keepDescriptor(int fd) {
    if (fd_ >= 0 && fd_ != fd) ::close(fd_);
    fd_ = fd;
}

void FileVersion::forget() {
    keepDescriptor(-1);
    loaded_ = false;
    racy_ = false;
    checkedInBatch_ = 0;
    path_.clear();
    bytes_.clear();
    identity_ = {};
}

bool FileVersion::unchangedByDescriptor(const std::string& path) const {
    if (!loaded_ || racy_ || fd_ < 0 || path != path_) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || st.st_nlink == 0) return false;
    return IdentityOfStat(st) == identity_;
}

FileVersion::State FileVersion::refresh(const std::string& path) {
    if (batchDepth > 0 && checkedInBatch_ == currentBatch && loaded_ && path == path_)
        return State::Unchanged;
    const State state = look(path);
    checkedInBatch_ = batchDepth > 0 ? currentBatch : 0;
    return state;
}

FileVersion::State FileVersion::look(const std::string& path) {
    if (unchangedByDescriptor(path)) return State::Unchanged;

    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        forget();
        return State::Missing;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        forget();
        return State::Missing;
    }
    const FileIdentity id = IdentityOfStat(st);
    const bool sameVersion = loaded_ && id == identity_ && path == path_;
    if (sameVersion && !racy_) {
        keepDescriptor(fd);
        return State::Unchanged;
    }
    const std::int64_t readStart = NowNs();
    auto data = ReadAll(fd, id.size);
    if (!data) {
        ::close(fd);
        forget();
        return State::Missing;
    }
    keepDescriptor(fd);
    racy_ = IsRacy(id, readStart);
    if (sameVersion && *data == bytes_) return State::Unchanged;
    path_ = path;
    identity_ = id;
    bytes_ = std::move(*data);
    loaded_ = true;
    return State::Changed;
}

}  // namespace detail

TableBatch::TableBatch() {
    if (detail::batchDepth++ == 0) ++detail::currentBatch;
}

TableBatch::~TableBatch() {
    --detail::batchDepth;
}

namespace detail {

void RaiseOpenErrorFor(const std::string& path) {
    (void)ReadFileBytes(path);
}

void RaiseUnreadableFor(const std::string& path) {
    throw FileOpenError(path, CpMessage(Msg::FileUnreadable));
}

}  // namespace detail

// ---- the shared caches ------------------------------------------------------------

std::shared_ptr<const TableText> TableTextOf(const std::string& fileName) {
    static std::map<std::string, CachedTable<TableText>, std::less<>> caches;
    auto it = caches.find(fileName);
    if (it == caches.end())
        it = caches.emplace(fileName, CachedTable<TableText>(&TableText::FromBytes)).first;
    return it->second.get(FilePath(fileName));
}

std::string TableValue(const std::string& fileName, std::string_view section,
                       std::string_view key) {
    const auto text = TableTextOf(fileName);
    return text ? text->ini.value(section, key) : std::string();
}

}  // namespace kx
