#include "log/QSOLog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

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

const std::vector<std::string>& HeaderTitles(const std::string& language) {
    static const std::vector<std::string> english =
        SplitTitles("Date sUTC eUTC Callsign Band Mode QTH Name WWL BEX MyWWL MyBEX Remarks");
    static const std::vector<std::string> lithuanian = SplitTitles(
        Cp1257("Data pUTC bUTC Šaukinys Banga Moda QTH Vardas WWL BEX MWWL MBEX Pastabos"));
    return language == "LT" ? lithuanian : english;
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

// ---- QSOLog ---------------------------------------------------------------------------

const std::string& QSOLog::CurrentLanguage() {
    return Language;
}

QSOLog::QSOLog() : QSOLog(Language) {}

QSOLog::QSOLog(const std::string& language) {
    rows_.assign(2, QSORow(kQSOFields));
    SetHeader(language);
}

int QSOLog::QSOCount() const {
    return IsEmptyLog() ? 0 : DataRowCount();
}

bool QSOLog::IsEmptyLog() const {
    return DataRowCount() == 1 && TrimField(rows_[1][colCallsign]).empty();
}

void QSOLog::CheckIndex(int row, int col) const {
    if (row < 0 || row >= RowCount()) throw IndexError(row);
    if (col < 0 || col >= cols_) throw IndexError(col);
}

const std::string& QSOLog::Cell(int row, int col) const {
    CheckIndex(row, col);
    return rows_[row][col];
}

void QSOLog::SetCell(int row, int col, std::string_view text) {
    CheckIndex(row, col);
    rows_[row][col] = CleanFieldText(text);
}

const QSORow& QSOLog::Row(int row) const {
    if (row < 0 || row >= RowCount()) throw IndexError(row);
    return rows_[row];
}

int QSOLog::AddEmptyRow() {
    rows_.emplace_back(cols_);
    return RowCount() - 1;
}

bool QSOLog::DeleteRow(int row) {
    if (row < 1 || row >= RowCount() || DataRowCount() <= 1) return false;
    rows_.erase(rows_.begin() + row);
    return true;
}

void QSOLog::Clear() {
    rows_.resize(1);
    rows_.emplace_back(cols_);
}

void QSOLog::SetHeader(const std::string& language) {
    const auto& titles = HeaderTitles(language);
    QSORow& header = rows_[0];
    for (int c = 0; c < cols_; ++c) header[c] = c < kQSOFields ? titles[c] : std::string();
}

void QSOLog::Widen(int cols) {
    if (cols <= cols_) return;
    cols_ = cols;
    for (auto& row : rows_) row.resize(cols_);
}

std::vector<QSORow> QSOLog::TakeDataRows() {
    std::vector<QSORow> rows(std::make_move_iterator(rows_.begin() + 1),
                             std::make_move_iterator(rows_.end()));
    Clear();
    return rows;
}

void QSOLog::ReplaceDataRows(std::vector<QSORow> rows) {
    int widest = cols_;
    for (const auto& row : rows) widest = std::max(widest, static_cast<int>(row.size()));
    Widen(widest);
    rows_.resize(1);
    if (rows.empty()) {
        rows_.emplace_back(cols_);
        return;
    }
    rows_.reserve(rows.size() + 1);
    for (auto& row : rows) {
        row.resize(cols_);
        for (auto& field : row)
            if (std::any_of(field.begin(), field.end(), IsLineOrFieldBreak))
                field = CleanFieldText(field);
        rows_.push_back(std::move(row));
    }
}

std::string QSOLog::ToFileBytes() const {
    std::size_t size = 0;
    for (const auto& row : rows_)
        for (const auto& f : row) size += f.size() + 1;
    size += rows_.size() * 2;
    std::string out;
    out.reserve(size);
    for (const auto& row : rows_) AppendFileLine(out, row);
    return out;
}

void QSOLog::AppendFileLine(std::string& out, const QSORow& row, bool emptyAsBlank) {
    for (const auto& f : row) {
        if (f.empty() && emptyAsBlank)
            out += ' ';
        else
            out += f;
        out += '\t';
    }
    out += "\r\n";
}

namespace {

// The first CR or LF at or after pos, or npos.
std::size_t FindLineEnd(std::string_view bytes, std::size_t pos) {
    for (; pos < bytes.size(); ++pos)
        if (bytes[pos] == '\r' || bytes[pos] == '\n') return pos;
    return std::string_view::npos;
}

// Lines of file bytes as ReadFromBytes splits them.
std::size_t CountLines(std::string_view bytes) {
    std::size_t lines = 0;
    for (std::size_t pos = 0; pos < bytes.size(); ++lines) {
        pos = FindLineEnd(bytes, pos);
        if (pos == std::string_view::npos) break;
        pos += (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
    }
    return lines;
}

}  // namespace

void QSOLog::ReadFromBytes(std::string_view bytes) {
    // Every row is as wide as the widest line, so one very long line among very many
    // short ones would ask for lines x fields cells from a file of a few kilobytes. The
    // width is kept to what the file's size pays for (at least 13 columns, and always
    // enough for any file whose lines are of like width); a line with more fields than
    // that drops its empty last fields, and what is still too many stays in its last
    // column, the TABs between them read as blanks.
    const std::size_t rowsAfter = std::max(CountLines(bytes), rows_.size());
    const std::size_t maxCols =
        std::max({static_cast<std::size_t>(cols_), static_cast<std::size_t>(kQSOFields),
                  rowsAfter ? 4 * bytes.size() / rowsAfter : 0});
    std::size_t pos = 0;
    int k = 0;
    std::vector<std::string> fields;
    while (pos < bytes.size()) {
        std::size_t end = FindLineEnd(bytes, pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end;
        if (pos < bytes.size()) {
            if (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ++pos;
            ++pos;
        }
        // Fields: the text before each TAB of the line with one TAB appended, as long as
        // more than that one TAB remains.
        fields.clear();
        std::size_t f = 0;
        while (line.size() + 1 - f > 1) {
            std::size_t tab = line.find('\t', f);
            if (tab == std::string_view::npos) tab = line.size();
            fields.emplace_back(line.substr(f, tab - f));
            f = tab + 1;
        }
        if (fields.size() > maxCols) {
            while (fields.size() > maxCols && fields.back().empty()) fields.pop_back();
            if (fields.size() > maxCols) {
                std::string& last = fields[maxCols - 1];
                for (std::size_t c = maxCols; c < fields.size(); ++c) (last += ' ') += fields[c];
                fields.resize(maxCols);
            }
        }
        if (k >= RowCount()) rows_.emplace_back(cols_);
        Widen(static_cast<int>(fields.size()));
        QSORow& row = rows_[k];
        for (std::size_t c = 0; c < fields.size(); ++c) row[c] = std::move(fields[c]);
        ++k;
    }
}

bool QSOLog::Load(const std::string& path, const std::string& language) {
    QSOLog fresh(language);
    // Anything under the name counts: a folder in the way, or a link that leads nowhere
    // or round in a loop, is an unreadable log, not a missing one.
    std::error_code ec;
    bool existed =
        std::filesystem::exists(std::filesystem::symlink_status(path, ec)) || FileExists(path);
    if (existed) fresh.ReadFromBytes(kx::ReadFileBytes(path));
    fresh.SetHeader(language);
    *this = std::move(fresh);
    return existed;
}

void QSOLog::Write(const std::string& path) const {
    WriteFileBytes(path, ToFileBytes());
}

void QSOLog::WriteFileBytes(const std::string& path, const std::string& bytes) {
    const auto backupFailure = BackUpLogOnce(path);
    WriteFileAtomic(path, bytes);
    ReportBackupFailure(backupFailure);
}

void QSOLog::DeleteFile(const std::string& path) {
    const auto backupFailure = BackUpLogOnce(path);
    if (std::remove(path.c_str()) != 0 && errno != ENOENT)
        throw FileWriteError(path, SystemErrorText(errno));
    ReportBackupFailure(backupFailure);
}

}  // namespace kx
