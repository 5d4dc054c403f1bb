#include "log/SortQSOs.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <numeric>

#include "platform/Collation.h"
#include "platform/FileIO.h"

namespace kx {

namespace {

void Pump(const PumpFn& pump) {
    if (pump) pump();
}

// The rank of each byte among the distinct collation weights, from 1: ranks order and
// equate bytes as their weights do, and there are fewer than 256 distinct weights (the two
// cases of a letter share one).
const std::array<unsigned char, 256>& CollationRanks() {
    static const std::array<unsigned char, 256> ranks = [] {
        std::array<std::uint16_t, 256> weights{};
        for (int b = 0; b < 256; ++b) weights[b] = CollationWeight(static_cast<unsigned char>(b));
        std::array<std::uint16_t, 256> distinct = weights;
        std::sort(distinct.begin(), distinct.end());
        const auto end = std::unique(distinct.begin(), distinct.end());
        std::array<unsigned char, 256> r{};
        for (int b = 0; b < 256; ++b)
            r[b] = static_cast<unsigned char>(
                1 + (std::lower_bound(distinct.begin(), end, weights[b]) - distinct.begin()));
        return r;
    }();
    return ranks;
}

bool NeedsQuotes(std::string_view field) {
    for (char c : field)
        if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') return true;
    return false;
}

}  // namespace

namespace {

// SortKeyText appended to out.
void AppendSortKey(std::string& out, const QSORow& row, SortKey key) {
    const std::size_t start = out.size();
    auto keep = [&](const std::string& field) {
        for (char c : field)
            if (c != '.' && c != '-' && c != ':' && c != ' ') out += c;
    };
    switch (key) {
        case SortKey::DateTime:
            keep(row[colDate]);
            keep(row[colSUTC]);
            break;
        case SortKey::Callsign:
            out += row[colCallsign];
            break;
        case SortKey::Band:
            out += row[colBand];
            break;
        case SortKey::Mode:
            out += row[colMode];
            break;
        case SortKey::BEX:
            out += row[colBEX];
            break;
    }
    if (out.find_first_not_of(' ', start) == std::string::npos) {
        out.resize(start);
        out += "zzz";
    }
}

// CommaText appended to out.
void AppendCommaText(std::string& out, const QSORow& row) {
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i) out += ',';
        const std::string& f = row[i];
        if (!NeedsQuotes(f)) {
            out += f;
            continue;
        }
        out += '"';
        for (char c : f) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
}

void AppendSortEntry(std::string& out, const QSORow& row, SortKey key) {
    AppendSortKey(out, row, key);
    out += "##";
    AppendCommaText(out, row);
}

}  // namespace

std::string SortKeyText(const QSORow& row, SortKey key) {
    std::string text;
    AppendSortKey(text, row, key);
    return text;
}

std::string CommaText(const QSORow& row) {
    std::string out;
    AppendCommaText(out, row);
    return out;
}

std::string SortEntry(const QSORow& row, SortKey key) {
    std::string out;
    AppendSortEntry(out, row, key);
    return out;
}

namespace {

// The data rows the sort keeps, in their new order: rows without a call sign and those
// marked in `skip` (indexed by row) left out, of repeats only the first in table order.
std::vector<int> SortOrder(const QSOLog& log, SortKey key, const std::vector<char>& skip,
                           const PumpFn& pump) {
    const auto& rows = log.Rows();

    // Each entry is stored as its collation key: the bytes replaced by their ranks, so
    // that two entries compare as plain byte strings exactly as CollateCompare orders them.
    // The entries stand one after another in one buffer.
    const auto& rank = CollationRanks();
    std::string buffer;
    std::vector<std::size_t> bounds{0};  // entry i is buffer[bounds[i], bounds[i + 1])
    std::vector<int> source;             // table row of each entry
    bounds.reserve(rows.size() + 1);
    source.reserve(rows.size());
    for (int r = 1; r < log.RowCount(); ++r) {
        if (skip[r] || TrimField(rows[r][colCallsign]).empty()) continue;
        const std::size_t start = buffer.size();
        AppendSortEntry(buffer, rows[r], key);
        for (std::size_t i = start; i < buffer.size(); ++i)
            buffer[i] = static_cast<char>(rank[static_cast<unsigned char>(buffer[i])]);
        bounds.push_back(buffer.size());
        source.push_back(r);
    }
    std::vector<std::string_view> entries(source.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = std::string_view(buffer).substr(bounds[i], bounds[i + 1] - bounds[i]);
    Pump(pump);

    std::vector<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return entries[a] < entries[b]; });
    // Stable order keeps, among equal entries, the one met first in the table.
    auto last = std::unique(order.begin(), order.end(),
                            [&](int a, int b) { return entries[a] == entries[b]; });
    order.erase(last, order.end());
    Pump(pump);
    for (int& i : order) i = source[i];
    return order;
}

// The table becomes the rows of `order` in that order, each empty field one blank (no
// rows: the empty log).
void ApplyOrder(QSOLog& log, const std::vector<int>& order, const PumpFn& pump) {
    std::vector<QSORow> all = log.TakeDataRows();
    std::vector<QSORow> sorted;
    sorted.reserve(order.size());
    for (int r : order) {
        QSORow row = std::move(all[r - 1]);
        for (auto& field : row)
            if (field.empty()) field.assign(1, ' ');
        sorted.push_back(std::move(row));
    }
    Pump(pump);
    log.ReplaceDataRows(std::move(sorted));
}

// SaveBase of the table without its data row `gone` (0: none; the table's only row is
// never removed). The file is written from the sort's order before the table changes,
// so that a failed write leaves the table as it was without a copy of it.
void SaveWithout(QSOLog& log, int gone, SortKey key, const std::string& path, const PumpFn& pump) {
    Pump(pump);
    const int n = log.DataRowCount();
    if (gone < 1 || gone > n || n <= 1) gone = 0;
    const int first = gone == 1 ? 2 : 1;  // row 1 once `gone` is out
    const int afterDelete = n - (gone ? 1 : 0);
    // Only the empty row that New QSO adds goes: a real QSO without a date keeps its place.
    const bool dropFirst = afterDelete > 1 && log.Cell(first, colDate).size() < 3 &&
                           log.Field(first, colCallsign).empty();
    if (afterDelete - (dropFirst ? 1 : 0) <= 1) {
        // One row left: no sort, the row stays as it stands.
        QSOLog next = log;
        if (gone) next.DeleteRow(gone);
        if (dropFirst) next.DeleteRow(1);
        next.Write(path);
        log = std::move(next);
        return;
    }
    std::vector<char> skip(log.RowCount(), 0);
    if (gone) skip[gone] = 1;
    if (dropFirst) skip[first] = 1;
    const std::vector<int> order = SortOrder(log, key, skip, pump);
    // The file is built in one piece of its own size.
    std::size_t size = 0;
    for (const auto& f : log.Row(0)) size += f.size() + 1;
    size += log.ColCount() + 4;  // the line ends of the header and of an empty log's row
    for (int r : order) {
        for (const auto& f : log.Row(r)) size += std::max<std::size_t>(f.size(), 1) + 1;
        size += 2;
    }
    std::string bytes;
    bytes.reserve(size);
    QSOLog::AppendFileLine(bytes, log.Row(0));
    if (order.empty()) QSOLog::AppendFileLine(bytes, QSORow(log.ColCount()));
    for (int r : order) QSOLog::AppendFileLine(bytes, log.Row(r), true);
    QSOLog::WriteFileBytes(path, bytes);
    ApplyOrder(log, order, pump);
}

}  // namespace

void SortQSOs(QSOLog& log, SortKey key, const PumpFn& pump) {
    if (log.DataRowCount() <= 1) return;
    ApplyOrder(log, SortOrder(log, key, std::vector<char>(log.RowCount(), 0), pump), pump);
}

void SaveBase(QSOLog& log, SortKey key, const std::string& path, const PumpFn& pump) {
    SaveWithout(log, 0, key, path, pump);
}

void DelSelQSO(QSOLog& log, int row, SortKey key, const std::string& path, const PumpFn& pump) {
    SaveWithout(log, row, key, path, pump);
}

void ClearAllQSOs(QSOLog& log, const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        // The log lives where the link leads (a synced folder): it is emptied there, so
        // that the link goes on leading to it.
        QSOLog empty = log;
        empty.Clear();
        empty.Write(path);
    } else {
        QSOLog::DeleteFile(path);
    }
    log.Clear();
}

}  // namespace kx
