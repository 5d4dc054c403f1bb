#include "log/SortQSOs.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>

#include "platform/Collation.h"

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

void SortQSOs(QSOLog& log, SortKey key, const PumpFn& pump) {
    if (log.DataRowCount() <= 1) return;
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
        if (TrimField(rows[r][colCallsign]).empty()) continue;
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

    // Each kept row comes back with its own texts, and an empty field becomes one blank.
    std::vector<QSORow> all = log.TakeDataRows();
    std::vector<QSORow> sorted;
    sorted.reserve(order.size());
    for (int i : order) {
        QSORow row = std::move(all[source[i] - 1]);
        for (auto& field : row)
            if (field.empty()) field.assign(1, ' ');
        sorted.push_back(std::move(row));
    }
    Pump(pump);
    log.ReplaceDataRows(std::move(sorted));
}

namespace {

// SaveBase on a table of its own: the caller keeps the table it had until the write is
// done.
void SaveCopy(QSOLog& next, SortKey key, const std::string& path, const PumpFn& pump) {
    if (next.Cell(1, colDate).size() < 3) next.DeleteRow(1);
    SortQSOs(next, key, pump);
    next.Write(path);
}

}  // namespace

void SaveBase(QSOLog& log, SortKey key, const std::string& path, const PumpFn& pump) {
    Pump(pump);
    QSOLog next = log;
    SaveCopy(next, key, path, pump);
    log = std::move(next);
}

void DelSelQSO(QSOLog& log, int row, SortKey key, const std::string& path, const PumpFn& pump) {
    Pump(pump);
    QSOLog next = log;
    next.DeleteRow(row);
    SaveCopy(next, key, path, pump);
    log = std::move(next);
}

void ClearAllQSOs(QSOLog& log, const std::string& path) {
    QSOLog::DeleteFile(path);
    log.Clear();
}

}  // namespace kx
