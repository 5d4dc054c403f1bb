#include "log/QSOLog.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <stdexcept>

#include "log/LogBackup.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/Globals.h"
#include "platform/Paths.h"
#include "tables/WwlTable.h"

namespace kx {

namespace {

std::vector<std::string> SplitTitles(const std::string& text) {
    std::vector<std::string> titles;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t blank = text.find(' ', start);
        if (blank == std::string::npos) blank = text.size();
        titles.push_back(text.substr(start, blank - start));
        start = blank + 1;
    }
    return titles;
}

bool IsLineOrFieldBreak(char c) {
    return c == '\t' || c == '\r' || c == '\n';
}

bool IsUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsWWLShape(std::string_view t) {
    return t.size() == 6 && IsUpperLetter(t[0]) && IsUpperLetter(t[1]) && IsDigit(t[2]) &&
           IsDigit(t[3]) && IsUpperLetter(t[4]) && IsUpperLetter(t[5]);
}

bool IsBEXShape(std::string_view t) {
    return t.size() == 3 && t[0] >= 'A' && t[0] <= 'P' && t[1] >= '0' && t[1] <= '3' &&
           IsDigit(t[2]);
}

}  // namespace

std::string LogFilePath() {
    return FilePath(kLogFileName);
}

std::string LogLockFolder(const std::string& logPath) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // A link (or a chain of them) is followed as far as it leads, also to a file that is
    // not there yet; a loop keeps the link's own folder.
    fs::path file(logPath);
    for (int hops = 0; fs::is_symlink(fs::symlink_status(file, ec)); ++hops) {
        const fs::path to = fs::read_symlink(file, ec);
        if (ec || hops == 40) {
            file = logPath;
            break;
        }
        file = to.is_absolute() ? to : file.parent_path() / to;
    }
    std::string folder = file.parent_path().lexically_normal().string();
    if (folder.empty()) folder = ".";
    if (folder.back() != '/') folder += '/';
    return folder;
}

const std::vector<std::string>& HeaderTitles(const std::string& language) {
    static const std::vector<std::string> english =
        SplitTitles("Date sUTC eUTC Callsign Band Mode QTH Name WWL BEX MyWWL MyBEX Remarks");
    static const std::vector<std::string> lithuanian = SplitTitles(
        Cp1257("Data pUTC bUTC Šaukinys Banga Moda QTH Vardas WWL BEX MWWL MBEX Pastabos"));
    return language == "LT" ? lithuanian : english;
}

std::string_view ColumnTitle(int column, const std::string& language) {
    if (column >= 0 && column < kQSOFields) return HeaderTitles(language)[column];
    static const std::vector<std::string> english = SplitTitles("LoTW eQSL Card");
    static const std::vector<std::string> lithuanian = SplitTitles(Cp1257("LoTW eQSL Kortelė"));
    static_assert(kKnownColumns - kQSOFields == 3, "a title for every extra column");
    if (column < kQSOFields || column >= kKnownColumns) return {};
    return (language == "LT" ? lithuanian : english)[column - kQSOFields];
}

std::string CleanFieldText(std::string_view text) {
    std::string out(text);
    std::replace_if(out.begin(), out.end(), IsLineOrFieldBreak, ' ');
    return out;
}

std::string_view TrimField(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool fTestWWL(std::string_view text) {
    return IsWWLShape(TrimField(text));
}

bool fTestMyWWL(std::string_view text) {
    std::string_view t = TrimField(text);
    return t.size() == 7 && t[0] == '*' && IsWWLShape(t.substr(1));
}

bool fTestBEX(std::string_view text) {
    std::string_view t = TrimField(text);
    return IsBEXShape(t) && !SquareEntry(t).empty();
}

bool fTestMyBEX(std::string_view text) {
    std::string_view t = TrimField(text);
    return t.size() == 4 && t[0] == '*' && IsBEXShape(t.substr(1)) &&
           !SquareEntry(t.substr(1)).empty();
}

// ---- Rows ---------------------------------------------------------------------------

std::string MergeExtraFields(std::string_view into, std::string_view from) {
    std::vector<std::string_view> kept, other;
    SplitLine(into, kept);
    SplitLine(from, other);
    bool changed = false;
    for (std::size_t c = kQSOFields; c < kept.size() && c < other.size(); ++c) {
        if (TrimField(kept[c]).empty() && !TrimField(other[c]).empty()) {
            kept[c] = other[c];
            changed = true;
        }
    }
    if (!changed) return {};
    std::string line;
    line.reserve(into.size() + from.size());
    for (std::size_t c = 0; c < kept.size(); ++c) {
        if (c) line += '\t';
        line += kept[c];
    }
    return line;
}

void SplitLine(std::string_view line, std::vector<std::string_view>& fields) {
    // Fields are short: a plain loop beats a library search per field.
    fields.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\t') continue;
        fields.push_back(line.substr(start, i - start));
        start = i + 1;
    }
    fields.push_back(line.substr(start));
}

namespace {

// The block: the length and the count of owners (32 bits each), then the bytes.
constexpr std::size_t kOwnersAt = sizeof(std::uint32_t);
constexpr std::size_t kBytesAt = kOwnersAt + sizeof(std::uint32_t);

std::uint32_t Owners(const char* block) {
    std::uint32_t owners;
    std::memcpy(&owners, block + kOwnersAt, sizeof owners);
    return owners;
}

void SetOwners(char* block, std::uint32_t owners) {
    std::memcpy(block + kOwnersAt, &owners, sizeof owners);
}

}  // namespace

PackedRow::PackedRow(std::string_view a, std::string_view b, std::string_view c) {
    const std::size_t total = a.size() + b.size() + c.size();
    if (total == 0) return;
    if (total > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("a row of the log is longer than 4 GiB");
    const auto size = static_cast<std::uint32_t>(total);
    block_ = new char[kBytesAt + size];
    std::memcpy(block_, &size, sizeof size);
    SetOwners(block_, 1);
    char* out = block_ + kBytesAt;
    for (std::string_view part : {a, b, c}) {
        if (!part.empty()) std::memcpy(out, part.data(), part.size());
        out += part.size();
    }
}

PackedRow::PackedRow(const PackedRow& other) {
    if (!other.block_) return;
    const std::uint32_t owners = Owners(other.block_);
    if (owners == std::numeric_limits<std::uint32_t>::max()) {
        *this = PackedRow(other.View());  // no more owners fit the count: a block of its own
        return;
    }
    block_ = other.block_;
    SetOwners(block_, owners + 1);
}

void PackedRow::Release() noexcept {
    if (!block_) return;
    const std::uint32_t owners = Owners(block_);
    if (owners <= 1)
        delete[] block_;
    else
        SetOwners(block_, owners - 1);
    block_ = nullptr;
}

PackedRow& PackedRow::operator=(const PackedRow& other) {
    if (this != &other) *this = PackedRow(other);
    return *this;
}

PackedRow& PackedRow::operator=(PackedRow&& other) noexcept {
    if (this != &other) {
        Release();
        block_ = other.block_;
        other.block_ = nullptr;
    }
    return *this;
}

std::string_view PackedRow::View() const {
    if (!block_) return {};
    std::uint32_t size;
    std::memcpy(&size, block_, sizeof size);
    return {block_ + kBytesAt, size};
}

namespace {

// Where field `col` of a row text begins and ends; {npos, npos} when the row has fewer
// fields.
std::pair<std::size_t, std::size_t> FieldSpan(std::string_view line, int col) {
    std::size_t start = 0;
    std::size_t i = 0;
    for (int c = 0; c < col; ++c) {
        while (i < line.size() && line[i] != '\t') ++i;
        if (i == line.size()) return {std::string_view::npos, std::string_view::npos};
        start = ++i;
    }
    while (i < line.size() && line[i] != '\t') ++i;
    return {start, i};
}

std::size_t FieldCount(std::string_view line) {
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
}

// The row text with `missing` empty fields added at its end.
PackedRow Padded(std::string_view line, std::size_t missing) {
    if (missing == 0) return PackedRow(line);
    return PackedRow(line, std::string(missing, '\t'), {});
}

bool HasBreak(std::string_view text) {
    return std::any_of(text.begin(), text.end(), IsLineOrFieldBreak);
}

}  // namespace

// ---- QSOLog ---------------------------------------------------------------------------

const std::string& QSOLog::CurrentLanguage() {
    return Language;
}

QSOLog::QSOLog() : QSOLog(Language) {}

QSOLog::QSOLog(const std::string& language) {
    rows_.push_back(EmptyRow());
    rows_.push_back(EmptyRow());
    SetHeader(language);
}

PackedRow QSOLog::EmptyRow() const {
    return PackedRow(std::string(static_cast<std::size_t>(cols_ - 1), '\t'));
}

int QSOLog::QSOCount() const {
    return IsEmptyLog() ? 0 : DataRowCount();
}

bool QSOLog::IsEmptyLog() const {
    return DataRowCount() == 1 && Field(1, colCallsign).empty();
}

void QSOLog::CheckIndex(int row, int col) const {
    if (row < 0 || row >= RowCount()) throw IndexError(row);
    if (col < 0 || col >= cols_) throw IndexError(col);
}

std::string_view QSOLog::Cell(int row, int col) const {
    CheckIndex(row, col);
    const std::string_view line = rows_[row].View();
    const auto [start, end] = FieldSpan(line, col);
    return line.substr(start, end - start);
}

void QSOLog::SetCell(int row, int col, std::string_view text) {
    CheckIndex(row, col);
    const std::string_view line = rows_[row].View();
    const auto [start, end] = FieldSpan(line, col);
    const std::string cleaned = HasBreak(text) ? CleanFieldText(text) : std::string();
    if (!cleaned.empty()) text = cleaned;
    // The new text is copied before the old one goes: text may be a view into this row.
    rows_[row] = PackedRow(line.substr(0, start), text, line.substr(end));
}

std::string_view QSOLog::Extra(int row, int col) const {
    if (row < 0 || row >= RowCount()) throw IndexError(row);
    return col < cols_ ? Field(row, col) : std::string_view();
}

void QSOLog::SetExtra(int row, int col, std::string_view text) {
    if (row < 0 || row >= RowCount()) throw IndexError(row);
    if (col >= cols_ && TrimField(text).empty()) return;
    Widen(col + 1);
    SetCell(row, col, text);
}

bool QSOLog::MergeExtras(int into, int from) {
    if (into < 1 || into >= RowCount()) throw IndexError(into);
    std::string line = MergeExtraFields(Line(into), Line(from));
    if (line.empty()) return false;
    rows_[into] = PackedRow(line);
    return true;
}

void QSOLog::SetFields(int row, const std::vector<std::string_view>& fields) {
    if (row < 0 || row >= RowCount()) throw IndexError(row);
    // The row's new text is made before anything changes: the fields may be views into
    // the table.
    const std::string_view line = rows_[row].View();
    std::string text;
    text.reserve(line.size() + 64);
    for (std::size_t c = 0; c < fields.size(); ++c) {
        if (c) text += '\t';
        if (HasBreak(fields[c]))
            text += CleanFieldText(fields[c]);
        else
            text += fields[c];
    }
    if (fields.size() < static_cast<std::size_t>(cols_)) {
        const auto span = FieldSpan(line, static_cast<int>(fields.size()));
        if (!fields.empty()) text += '\t';
        text += line.substr(span.first);
    }
    Widen(static_cast<int>(fields.size()));
    rows_[row] = PackedRow(text);
}

std::string_view QSOLog::Line(int row) const {
    if (row < 0 || row >= RowCount()) throw IndexError(row);
    return rows_[row].View();
}

QSORow QSOLog::Row(int row) const {
    std::vector<std::string_view> fields;
    SplitLine(Line(row), fields);
    return QSORow(fields.begin(), fields.end());
}

std::vector<QSORow> QSOLog::Rows() const {
    std::vector<QSORow> rows;
    rows.reserve(rows_.size());
    for (int r = 0; r < RowCount(); ++r) rows.push_back(Row(r));
    return rows;
}

int QSOLog::AddEmptyRow() {
    rows_.push_back(EmptyRow());
    return RowCount() - 1;
}

bool QSOLog::DeleteRow(int row) {
    if (row < 1 || row >= RowCount() || DataRowCount() <= 1) return false;
    rows_.erase(rows_.begin() + row);
    return true;
}

void QSOLog::Clear() {
    rows_.resize(1);
    rows_.push_back(EmptyRow());
}

void QSOLog::SetHeader(const std::string& language) {
    language_ = language;
    std::string line;
    for (int c = 0; c < cols_; ++c) {
        if (c) line += '\t';
        line += ColumnTitle(c, language);
    }
    rows_[0] = PackedRow(line);
}

void QSOLog::Widen(int cols) {
    if (cols <= cols_) return;
    const int old = cols_;
    const std::size_t missing = static_cast<std::size_t>(cols - cols_);
    cols_ = cols;
    for (auto& row : rows_) row = Padded(row.View(), missing);
    for (int c = old; c < cols && c < kKnownColumns; ++c) SetCell(0, c, ColumnTitle(c, language_));
}

void QSOLog::ReplaceDataRows(std::vector<QSORow> rows) {
    int widest = cols_;
    for (const auto& row : rows) widest = std::max(widest, static_cast<int>(row.size()));
    Widen(widest);
    rows_.resize(1);
    if (rows.empty()) {
        rows_.push_back(EmptyRow());
        return;
    }
    rows_.reserve(rows.size() + 1);
    std::string line;
    for (auto& row : rows) {
        line.clear();
        for (int c = 0; c < cols_; ++c) {
            if (c) line += '\t';
            if (c < static_cast<int>(row.size())) line += CleanFieldText(row[c]);
        }
        rows_.emplace_back(line);
    }
}

void QSOLog::AppendDataRows(const QSOLog& other) {
    const int cols = std::max(cols_, other.cols_);
    Widen(cols);
    const std::size_t rows = other.rows_.size();  // (other may be this table)
    rows_.reserve(rows_.size() + rows - 1);
    for (std::size_t r = 1; r < rows; ++r)
        rows_.push_back(
            Padded(other.rows_[r].View(), static_cast<std::size_t>(cols - other.cols_)));
}

bool HasEmptyField(std::string_view line) {
    char before = '\t';
    for (char c : line) {
        if (c == '\t' && before == '\t') return true;
        before = c;
    }
    return before == '\t';
}

namespace {

// The row text with every empty field made one blank, appended to out.
void AppendBlankingEmpty(std::string& out, std::string_view line) {
    const char* field = line.data();
    const char* const end = field + line.size();
    for (const char* p = field; p != end; ++p) {
        if (*p != '\t') continue;
        if (p == field) out += ' ';
        out.append(field, p + 1);  // the field and its TAB
        field = p + 1;
    }
    if (field == end)
        out += ' ';
    else
        out.append(field, end);
}

}  // namespace

void QSOLog::KeepDataRows(const std::vector<int>& order) {
    KeepDataRows(order, {});
}

void QSOLog::KeepDataRows(const std::vector<int>& order, const std::vector<char>& emptyFields) {
    std::string blanked;
    auto blank = [&](PackedRow& row) {
        blanked.clear();
        AppendBlankingEmpty(blanked, row.View());
        row = PackedRow(blanked);
    };
    const bool known = emptyFields.size() == rows_.size();
    if (known) {
        // The rows are made blank in table order, which reads them one after another in
        // memory; the new order then moves only pointers.
        std::vector<char> kept(rows_.size(), 0);
        for (int r : order) kept.at(static_cast<std::size_t>(r)) = 1;
        for (std::size_t r = 1; r < rows_.size(); ++r)
            if (kept[r] && emptyFields[r]) blank(rows_[r]);
    }
    std::vector<PackedRow> next;
    next.reserve(order.size() + 2);
    next.push_back(std::move(rows_[0]));
    for (int r : order) {
        PackedRow row = std::move(rows_.at(static_cast<std::size_t>(r)));
        if (!known && HasEmptyField(row.View())) blank(row);
        next.push_back(std::move(row));
    }
    rows_ = std::move(next);
    if (rows_.size() == 1) rows_.push_back(EmptyRow());
}

std::string QSOLog::ToFileBytes() const {
    std::size_t size = 0;
    for (const auto& row : rows_) size += row.View().size() + 3;
    std::string out;
    out.reserve(size);
    for (int r = 0; r < RowCount(); ++r) AppendFileLine(out, r);
    return out;
}

void QSOLog::AppendFileLine(std::string& out, int row, bool emptyAsBlank) const {
    AppendFileText(out, Line(row), emptyAsBlank);
}

void QSOLog::AppendFileText(std::string& out, std::string_view line, bool emptyAsBlank) {
    if (emptyAsBlank && HasEmptyField(line))
        AppendBlankingEmpty(out, line);
    else
        out += line;
    out += "\t\r\n";
}

// Reads the lines of file bytes into the table as they come, a piece of the file at a
// time. A line ends at CR, LF or CR LF; a final line end makes no extra line.
class QSOLog::Reader {
public:
    explicit Reader(QSOLog& log)
        : log_(log), oldRows_(log.rows_.size()), oldCols_(static_cast<std::size_t>(log.cols_)) {}

    // The next piece of the bytes.
    void Feed(std::string_view bytes) {
        bytes_ += bytes.size();
        std::size_t pos = 0;
        if (afterCR_ && !bytes.empty()) {
            if (bytes[0] == '\n') pos = 1;  // the LF of a CR LF cut between two pieces
            afterCR_ = false;
        }
        while (pos < bytes.size()) {
            std::size_t end = pos;
            while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
            if (end == bytes.size()) {
                pending_.append(bytes.substr(pos));  // the line goes on in the next piece
                return;
            }
            if (pending_.empty()) {
                Line(bytes.substr(pos, end - pos));
            } else {
                pending_.append(bytes.substr(pos, end - pos));
                Line(pending_);
                pending_.clear();
            }
            if (bytes[end] == '\r') {
                if (end + 1 == bytes.size())
                    afterCR_ = true;
                else if (bytes[end + 1] == '\n')
                    ++end;
            }
            pos = end + 1;
        }
    }

    // The end of the bytes: the last line, then the width of the table.
    void Finish() {
        if (!pending_.empty()) Line(pending_);
        pending_ = std::string();
        // Every row is as wide as the widest line, so one very long line among very many
        // short ones would ask for lines x fields cells from a file of a few kilobytes.
        // The width is kept to what the file's size pays for (at least 13 columns, and
        // always enough for any file whose lines are of like width); a line with more
        // fields than that drops its empty last fields, and what is still too many stays
        // in its last column, the TABs between them read as blanks.
        const std::size_t rowsAfter = std::max(lines_, oldRows_);
        const std::size_t maxCols = std::max({oldCols_, static_cast<std::size_t>(kQSOFields),
                                              rowsAfter ? 4 * bytes_ / rowsAfter : 0});
        if (most_ > maxCols)
            for (auto& row : log_.rows_)
                if (FieldCount(row.View()) > maxCols) row = Capped(row.View(), maxCols);
        const std::size_t widest = std::max(oldCols_, std::min(most_, maxCols));
        log_.cols_ = static_cast<int>(widest);
        if (fewest_ < widest || widest > oldCols_) {
            for (auto& row : log_.rows_) {
                const std::size_t have = FieldCount(row.View());
                if (have < widest) row = Padded(row.View(), widest - have);
            }
        }
    }

private:
    // Line k goes to row k; until Finish a row holds only its line's fields.
    void Line(std::string_view line) {
        const std::size_t k = lines_++;
        // Fields: the text before each TAB of the line with one TAB appended, as long as
        // more than that one TAB remains; an empty line has none.
        std::size_t fields = 0;
        if (!line.empty()) {
            if (line.back() == '\t') line.remove_suffix(1);
            fields = FieldCount(line);
        }
        auto& rows = log_.rows_;
        std::size_t held = oldCols_;
        if (k >= oldRows_) {
            rows.emplace_back(line);
            held = std::max<std::size_t>(fields, 1);
        } else if (fields >= oldCols_) {
            rows[k] = PackedRow(line);
            held = fields;
        } else if (fields > 0) {
            // The row keeps its fields beyond the line's.
            const std::string_view old = rows[k].View();
            rows[k] =
                PackedRow(line, "\t", old.substr(FieldSpan(old, static_cast<int>(fields)).first));
        }
        fewest_ = std::min(fewest_, held);
        most_ = std::max(most_, held);
    }

    // A row text of more than maxCols fields without its empty last fields, as long as
    // it has more than maxCols, and then with the TABs after field maxCols - 1 blanks.
    static PackedRow Capped(std::string_view line, std::size_t maxCols) {
        std::size_t fields = FieldCount(line);
        while (fields > maxCols && !line.empty() && line.back() == '\t') {
            line.remove_suffix(1);
            --fields;
        }
        std::string text(line);
        if (fields > maxCols) {
            const std::size_t last = FieldSpan(text, static_cast<int>(maxCols - 1)).first;
            std::replace(text.begin() + static_cast<std::ptrdiff_t>(last), text.end(), '\t', ' ');
        }
        return PackedRow(text);
    }

    QSOLog& log_;
    const std::size_t oldRows_, oldCols_;
    std::size_t lines_ = 0, bytes_ = 0;
    std::size_t fewest_ = std::numeric_limits<std::size_t>::max(), most_ = 0;  // fields held
    std::string pending_;   // a line cut by the end of a piece
    bool afterCR_ = false;  // the last piece ended with a CR
};

void QSOLog::ReadFromBytes(std::string_view bytes) {
    Reader reader(*this);
    reader.Feed(bytes);
    reader.Finish();
}

bool QSOLog::Load(const std::string& path, const std::string& language) {
    QSOLog fresh(language);
    // Anything under the name counts: a folder in the way, or a link that leads nowhere
    // or round in a loop, is an unreadable log, not a missing one.
    std::error_code ec;
    bool existed =
        std::filesystem::exists(std::filesystem::symlink_status(path, ec)) || FileExists(path);
    if (existed) {
        Reader reader(fresh);
        ReadFilePieces(path, [&](std::string_view piece) { reader.Feed(piece); });
        reader.Finish();
    }
    fresh.SetHeader(language);
    *this = std::move(fresh);
    return existed;
}

void QSOLog::Write(const std::string& path, LogWriteKind kind) const {
    int next = 0;
    WriteFilePieces(
        path,
        [&](std::string& piece) {
            while (next < RowCount() && piece.size() < kFilePiece) AppendFileLine(piece, next++);
            return next < RowCount();
        },
        kind);
}

namespace {

// Whether the bytes fed to it, piece after piece, are those of a regular file, all of them.
class SameAsFile {
public:
    explicit SameAsFile(const std::string& path) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) file_ = std::fopen(path.c_str(), "rb");
        same_ = file_ != nullptr;
    }
    ~SameAsFile() {
        if (file_) std::fclose(file_);
    }
    SameAsFile(const SameAsFile&) = delete;
    SameAsFile& operator=(const SameAsFile&) = delete;

    void Feed(std::string_view piece) {
        if (!same_ || piece.empty()) return;
        buffer_.resize(piece.size());
        same_ = std::fread(buffer_.data(), 1, piece.size(), file_) == piece.size() &&
                std::memcmp(buffer_.data(), piece.data(), piece.size()) == 0;
    }
    // After the last piece: nothing more in the file.
    bool Same() { return same_ && std::fgetc(file_) == EOF && !std::ferror(file_); }

private:
    std::FILE* file_ = nullptr;
    bool same_ = false;
    std::string buffer_;
};

}  // namespace

bool QSOLog::WriteFilePieces(const std::string& path,
                             const std::function<bool(std::string& piece)>& next,
                             LogWriteKind kind) {
    // The new file is compared with the old one as it is written; the same bytes change
    // nothing, and a run that only looks at the log leaves no backup behind.
    SameAsFile old(path);
    std::optional<BackupFailure> backupFailure;
    const bool replaced = WriteFileAtomicPieces(
        path,
        [&](std::string& piece) {
            const bool more = next(piece);
            old.Feed(piece);
            return more;
        },
        [&] {
            if (old.Same()) return false;
            backupFailure =
                kind == LogWriteKind::Removal ? BackUpLogNow(path) : BackUpLogOnce(path);
            return true;
        });
    ReportBackupFailure(backupFailure);
    return replaced;
}

void QSOLog::DeleteFile(const std::string& path) {
    const auto backupFailure = BackUpLogNow(path);
    if (std::remove(path.c_str()) != 0 && errno != ENOENT)
        throw FileWriteError(path, SystemErrorText(errno));
    ReportBackupFailure(backupFailure);
}

}  // namespace kx
