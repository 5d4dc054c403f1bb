#include "log/LogSession.h"

#include <algorithm>
#include <exception>
#include <unordered_set>
#include <vector>

#include "log/FindBexs.h"
#include "platform/Errors.h"
#include "platform/FolderLock.h"
#include "platform/Messages.h"

namespace kx {

namespace {

// Reads "h", "h:m" or "h:m:s" with blanks allowed between the parts; hours 0-23,
// minutes and seconds 0-59.
bool IsTimeOfDay(std::string_view t) {
    std::size_t i = 0;
    auto blanks = [&] {
        while (i < t.size() && t[i] == ' ') ++i;
    };
    auto number = [&](int max) {
        blanks();
        std::size_t start = i;
        int value = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9' && i - start < 2)
            value = value * 10 + (t[i++] - '0');
        blanks();
        return i > start && value <= max;
    };
    if (!number(23)) return false;
    for (int part = 0; part < 2 && i < t.size(); ++part) {
        if (t[i] != ':') return false;
        ++i;
        if (!number(59)) return false;
    }
    return i == t.size();
}

// What a failed write of the log means for the user's data, appended to its error.
std::string NotWrittenText(bool import) {
    return CpMessage(import ? Msg::ImportNothingNote : Msg::LogNotWrittenNote);
}

// A row as the comparison of the table with the file sees it.
std::string RowKey(const QSOLog& log, int row) {
    std::string key;
    for (int c = 0; c < log.ColCount(); ++c) (key += log.Field(row, c)) += '\t';
    return key;
}

// The rows of `rows` join the table after its rows; the empty log's row goes.
void Append(QSOLog& log, const QSOLog& rows) {
    const bool empty = log.IsEmptyLog();
    log.AppendDataRows(rows);
    if (empty) log.DeleteRow(1);
}

// The square finder over the rows from firstRow to the end only.
void FindSquaresFrom(QSOLog& log, int firstRow) {
    QSOLog rows("EN");
    std::vector<std::string_view> fields;
    for (int r = firstRow; r <= log.DataRowCount(); ++r) {
        SplitLine(log.Line(r), fields);
        rows.SetFields(rows.IsEmptyLog() ? 1 : rows.AddEmptyRow(), fields);
    }
    FindBEXs(rows);
    for (int r = 1; r <= rows.DataRowCount(); ++r) {
        SplitLine(rows.Line(r), fields);
        log.SetFields(firstRow + r - 1, fields);
    }
}

}  // namespace

std::optional<std::string> ReadTimeText(std::string_view typed) {
    std::string t(TrimField(typed));
    if (t.size() == 4 && t.find(':') == std::string::npos) t.insert(t.begin() + 2, ':');
    if (!t.empty() && !IsTimeOfDay(t)) return std::nullopt;
    return t;
}

void LogSession::Load(const std::string& language) {
    try {
        log_.Load(LogFilePath(), language);
        diskFile_ = IdentityOf(LogFilePath());
    } catch (...) {
        unread_ = true;
        throw;
    }
}

void LogSession::SetReadOnly(const std::string& reason, const std::string& lockPath) {
    readOnlyReason_ = reason;
    lockPath_ = lockPath;
}

std::string LogSession::ReadOnlyText() const {
    return LockFailedMessage(readOnlyReason_, lockPath_);
}

int LogSession::ChangeFile(const std::function<void()>& write, Change kind) {
    const bool import = kind == Change::Import;
    if (ReadOnly()) throw KxError(ReadOnlyText() + NotWrittenText(import));
    struct Running {
        int& n;
        explicit Running(int& count) : n(count) { ++n; }
        ~Running() { --n; }
    } running(changing_);
    int joined = 0;
    try {
        // Delete All is the user's choice to be rid of the file's QSOs too.
        if (kind != Change::DeleteAll) {
            TakeInUnreadLog();
            joined = TakeInChangedLog();
        }
        write();
    } catch (const KxError& e) {
        throw KxError(e.what() + NotWrittenText(import));
    }
    if (kind == Change::DeleteAll) unread_ = false;
    diskFile_ = IdentityOf(LogFilePath());
    return joined;
}

void LogSession::TakeInUnreadLog() {
    if (!unread_) return;
    QSOLog file("EN");
    if (file.Load(LogFilePath(), "EN")) Append(log_, file);  // raises while still unreadable
    unread_ = false;
}

int LogSession::TakeInChangedLog() {
    const std::string path = LogFilePath();
    const FileIdentity now = IdentityOf(path);
    if (unread_ || now == diskFile_ || !now.exists) return 0;
    QSOLog file("EN");
    file.Load(path, "EN");  // raises while the file cannot be read: nothing is written
    diskFile_ = now;
    std::unordered_set<std::string> held;
    for (int r = 1; r <= log_.DataRowCount(); ++r) held.insert(RowKey(log_, r));
    QSOLog missing("EN");
    std::vector<std::string_view> fields;
    for (int r = 1; r <= file.DataRowCount(); ++r) {
        if (file.Field(r, colCallsign).empty() || held.count(RowKey(file, r))) continue;
        SplitLine(file.Line(r), fields);
        missing.SetFields(missing.IsEmptyLog() ? 1 : missing.AddEmptyRow(), fields);
    }
    if (missing.IsEmptyLog()) return 0;
    Append(log_, missing);
    return missing.DataRowCount();
}

int LogSession::UnsavedQSOs() const {
    std::unordered_set<std::string> onDisk;
    if (!unread_) {
        if (auto bytes = TryReadFileBytes(LogFilePath())) {
            QSOLog file("EN");
            file.ReadFromBytes(*bytes);
            for (int r = 1; r <= file.DataRowCount(); ++r) onDisk.insert(RowKey(file, r));
        }
    }
    int unsaved = 0;
    for (int r = 1; r <= log_.DataRowCount(); ++r)
        if (!log_.Field(r, colCallsign).empty() && !onDisk.count(RowKey(log_, r))) ++unsaved;
    return unsaved;
}

int LogSession::FindRow(const QSORow& row, int preferred) const {
    std::vector<std::string_view> other;
    auto same = [&](int r) {
        SplitLine(log_.Line(r), other);
        for (std::size_t c = 0; c < std::max(row.size(), other.size()); ++c)
            if (TrimField(c < row.size() ? std::string_view(row[c]) : std::string_view()) !=
                TrimField(c < other.size() ? other[c] : std::string_view()))
                return false;
        return true;
    };
    if (preferred >= 1 && preferred <= log_.DataRowCount() && same(preferred)) return preferred;
    for (int r = 1; r <= log_.DataRowCount(); ++r)
        if (same(r)) return r;
    return 0;
}

int LogSession::RowForEntry(const QSORow* shown, int preferred, bool& correction) {
    // The fields rewrite a row only while they hold what was copied from it (the user
    // selected it to correct it); otherwise they are a new QSO and get a row of their own,
    // the empty row that New QSO added or the empty log's row when there is one.
    int r = shown ? FindRow(*shown, preferred) : 0;
    correction = r != 0;
    if (r != 0) return r;
    r = log_.DataRowCount();
    for (int c = 0; c < log_.ColCount(); ++c)
        if (!log_.Field(r, c).empty()) return log_.AddEmptyRow();
    return r;
}

std::exception_ptr LogSession::StoreEntry(int r, const QsoEntry& e) {
    log_.SetCell(r, colDate, e.date);
    log_.SetCell(r, colSUTC, e.start);
    if (!e.end.empty()) log_.SetCell(r, colEUTC, e.end);
    log_.SetCell(r, colCallsign, e.call);
    log_.SetCell(r, colBand, e.band);
    log_.SetCell(r, colMode, e.mode);
    if (!e.bex.empty() && fTestBEX(e.bex)) log_.SetCell(r, colBEX, e.bex);
    if (!e.wwl.empty() && fTestWWL(e.wwl)) log_.SetCell(r, colWWL, e.wwl);
    if (fTestWWL(e.myWwl)) log_.SetCell(r, colMyWWL, e.myWwl);
    if (fTestBEX(e.myBex)) log_.SetCell(r, colMyBEX, e.myBex);
    log_.SetCell(r, colName, e.name);
    log_.SetCell(r, colQTH, e.qth);
    log_.SetCell(r, colRemarks, e.remarks);
    // The saved QSO gets its squares at once, as an import's QSOs do.
    try {
        QSOLog one("EN");
        std::vector<std::string_view> fields;
        SplitLine(log_.Line(r), fields);
        one.SetFields(1, fields);
        FindBEXs(one);
        SplitLine(one.Line(1), fields);
        log_.SetFields(r, fields);
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

int LogSession::Save(SortKey key, const PumpFn& pump, LogWriteKind kind) {
    return ChangeFile([&] { SaveBase(log_, key, LogFilePath(), pump, kind); });
}

int LogSession::DeleteQso(int row, SortKey key, const PumpFn& pump) {
    return ChangeFile([&] { DelSelQSO(log_, row, key, LogFilePath(), pump); });
}

void LogSession::DeleteAll() {
    ChangeFile([this] { ClearAllQSOs(log_, LogFilePath()); }, Change::DeleteAll);
}

AdifImportResult LogSession::Import(const std::string& adifPath, const AdifImportHooks& hooks,
                                    int& joined) {
    AdifImportResult result;
    joined = ChangeFile([&] { result = ImportAdifFile(log_, adifPath, LogFilePath(), hooks); },
                        Change::Import);
    return result;
}

AdifImportResult LogSession::TakeAdif(std::string_view adif, int& joined) {
    AdifImportResult result;
    joined = ChangeFile(
        [&] {
            QSOLog updated = log_;
            result = ImportAdifBytes(updated, adif);
            if (result.taken == 0) return;
            if (!result.ownFile) FindSquaresFrom(updated, result.firstRow);
            updated.Write(LogFilePath());
            log_ = std::move(updated);
        },
        Change::Import);
    return result;
}

AdifImportResult LogSession::ImportAndSave(const std::string& adifPath, SortKey key, int& joined,
                                           int& withoutSquare) {
    AdifImportResult result;
    withoutSquare = 0;
    joined = ChangeFile(
        [&] {
            if (adifPath.empty() || !FileExists(adifPath)) {
                result.status = AdifImportStatus::MissingFile;
                return;
            }
            QSOLog updated = log_;
            result = ImportAdifPieces(
                updated, [&adifPath](const std::function<void(std::string_view)>& piece) {
                    ReadFilePieces(adifPath, piece);
                });
            if (result.status != AdifImportStatus::Imported) return;
            FindBexsHooks finder;
            finder.keepFrom = result.ownFile ? result.firstRow : 0;
            FindBEXs(updated, finder);
            withoutSquare = AdifRowsWithoutSquare(updated, result.firstRow);
            SaveBase(updated, key, LogFilePath());
            log_ = std::move(updated);
        },
        Change::Import);
    return result;
}

int LogSession::WriteAll() {
    return ChangeFile([this] { log_.Write(LogFilePath()); });
}

}  // namespace kx
