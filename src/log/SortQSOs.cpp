#include "log/SortQSOs.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <unordered_map>

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

using FieldViews = std::vector<std::string_view>;

// SortKeyText appended to out.
void AppendSortKey(std::string& out, const FieldViews& row, SortKey key) {
    const std::size_t start = out.size();
    auto keep = [&](std::string_view field) {
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

// CommaText appended to out; once out holds `limit` bytes or more the rest may be left
// out.
void AppendCommaText(std::string& out, const FieldViews& row,
                     std::size_t limit = std::string::npos) {
    for (std::size_t i = 0; i < row.size() && out.size() < limit; ++i) {
        if (i) out += ',';
        const std::string_view f = row[i];
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

// SortEntry appended to out; the same about `limit` as AppendCommaText.
void AppendSortEntry(std::string& out, const FieldViews& row, SortKey key,
                     std::size_t limit = std::string::npos) {
    AppendSortKey(out, row, key);
    out += "##";
    AppendCommaText(out, row, limit);
}

// A row of 13 or more fields as views (a shorter row reads as if padded with empty
// fields, as the table holds it).
FieldViews Views(const QSORow& row) {
    FieldViews views(row.begin(), row.end());
    if (views.size() < kQSOFields) views.resize(kQSOFields);
    return views;
}

}  // namespace

std::string SortKeyText(const QSORow& row, SortKey key) {
    std::string text;
    AppendSortKey(text, Views(row), key);
    return text;
}

std::string CommaText(const QSORow& row) {
    std::string out;
    AppendCommaText(out, FieldViews(row.begin(), row.end()));
    return out;
}

std::string SortEntry(const QSORow& row, SortKey key) {
    std::string out;
    AppendSortKey(out, Views(row), key);
    out += "##";
    AppendCommaText(out, FieldViews(row.begin(), row.end()));
    return out;
}

namespace {

// The sort orders rows by their entries (SortEntry) compared as collation keys: each byte
// replaced by its rank, so that two entries compare as plain byte strings exactly as
// CollateCompare orders them. An entry is about as long as its row; rather than a second
// copy of the log, each row is sorted by the first kHead bytes of its collation key, and
// only rows whose heads are equal (rare: same key, date and time) have their entries built
// again and compared in full.
constexpr std::size_t kHead = 28;

struct SortItem {
    std::uint32_t row;
    unsigned char head[kHead];  // the first bytes of the collation key, 0 after its end
};

class EntryOrder {
public:
    EntryOrder(const QSOLog& log, SortKey key) : log_(log), key_(key) {}

    // The item of a data row (only the head of its entry is built).
    SortItem Item(int row) {
        SplitLine(log_.Line(row), fields_);
        a_.clear();
        AppendSortEntry(a_, fields_, key_, kHead);
        SortItem item{static_cast<std::uint32_t>(row), {}};
        const auto& rank = CollationRanks();
        for (std::size_t i = 0; i < kHead && i < a_.size(); ++i)
            item.head[i] = rank[static_cast<unsigned char>(a_[i])];
        return item;
    }
    // Entry order (-1, 0, 1): the heads first, the whole entries when those are equal.
    int Compare(const SortItem& x, const SortItem& y) {
        if (const int c = std::memcmp(x.head, y.head, kHead)) return c < 0 ? -1 : 1;
        if (x.head[kHead - 1] == 0) return 0;  // both entries end within their heads
        Entry(static_cast<int>(x.row), a_);
        Entry(static_cast<int>(y.row), b_);
        const auto& rank = CollationRanks();
        const std::size_t n = std::min(a_.size(), b_.size());
        for (std::size_t i = kHead; i < n; ++i) {
            const unsigned char p = rank[static_cast<unsigned char>(a_[i])];
            const unsigned char q = rank[static_cast<unsigned char>(b_[i])];
            if (p != q) return p < q ? -1 : 1;
        }
        return a_.size() < b_.size() ? -1 : a_.size() > b_.size() ? 1 : 0;
    }

private:
    void Entry(int row, std::string& out) {
        SplitLine(log_.Line(row), fields_);
        // The 13 fields make the entry: the columns after Remarks (confirmations) are what
        // a QSO carries, not what it is, so a QSO and its confirmed repeat are repeats.
        if (fields_.size() > kQSOFields) fields_.resize(kQSOFields);
        out.clear();
        AppendSortEntry(out, fields_, key_);
    }

    const QSOLog& log_;
    SortKey key_;
    FieldViews fields_;
    std::string a_, b_;
};

// The data rows the sort keeps, in their new order: rows without a call sign and those
// marked in `skip` (indexed by row) left out, of repeats only the first in table order.
// A kept row whose repeats hold extra fields it lacks gets them: its new text is in
// `merged` (the table is not touched).
struct SortResult {
    std::vector<int> order;
    std::unordered_map<int, std::string> merged;
    std::vector<char> emptyFields;  // a flag a row of the table: it has an empty field
};

SortResult SortOrder(const QSOLog& log, SortKey key, const std::vector<char>& skip,
                     const PumpFn& pump) {
    EntryOrder entries(log, key);
    std::vector<SortItem> items;
    items.reserve(static_cast<std::size_t>(log.DataRowCount()));
    SortResult result;
    result.emptyFields.assign(static_cast<std::size_t>(log.RowCount()), 0);
    for (int r = 1; r < log.RowCount(); ++r) {
        if (skip[r] || log.Field(r, colCallsign).empty()) continue;
        items.push_back(entries.Item(r));
        result.emptyFields[static_cast<std::size_t>(r)] = HasEmptyField(log.Line(r));
    }
    Pump(pump);

    // Equal entries stay in table order, so that of repeats the first is kept.
    std::sort(items.begin(), items.end(), [&](const SortItem& x, const SortItem& y) {
        const int c = entries.Compare(x, y);
        return c < 0 || (c == 0 && x.row < y.row);
    });
    const bool extras = log.ColCount() > kQSOFields;
    for (std::size_t i = 0; i < items.size();) {
        const int kept = static_cast<int>(items[i].row);
        result.order.push_back(kept);
        std::size_t j = i + 1;
        for (; j < items.size() && entries.Compare(items[i], items[j]) == 0; ++j) {
            if (!extras) continue;
            // The repeats, in table order, bring what the kept row lacks.
            const auto held = result.merged.find(kept);
            std::string line = MergeExtraFields(
                held != result.merged.end() ? std::string_view(held->second) : log.Line(kept),
                log.Line(static_cast<int>(items[j].row)));
            if (!line.empty()) result.merged[kept] = std::move(line);
        }
        i = j;
    }
    Pump(pump);
    return result;
}

// The table becomes the rows of the sort's result.
void Keep(QSOLog& log, const SortResult& sorted) {
    std::vector<std::string_view> fields;
    std::vector<char> emptyFields = sorted.emptyFields;
    for (const auto& [row, line] : sorted.merged) {
        SplitLine(line, fields);
        log.SetFields(row, fields);
        emptyFields[static_cast<std::size_t>(row)] = HasEmptyField(log.Line(row));
    }
    log.KeepDataRows(sorted.order, emptyFields);
}

// SaveBase of the table without its data row `gone` (0: none; the table's only row is
// never removed). The file is written from the sort's order before the table changes,
// so that a failed write leaves the table as it was without a copy of it.
void SaveWithout(QSOLog& log, int gone, SortKey key, const std::string& path, const PumpFn& pump,
                 LogWriteKind kind) {
    Pump(pump);
    const int n = log.DataRowCount();
    if (gone < 1 || gone > n || n <= 1) gone = 0;
    if (gone) kind = LogWriteKind::Removal;
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
        next.Write(path, kind);
        log = std::move(next);
        return;
    }
    std::vector<char> skip(log.RowCount(), 0);
    if (gone) skip[gone] = 1;
    if (dropFirst) skip[first] = 1;
    const SortResult sorted = SortOrder(log, key, skip, pump);
    const std::vector<int>& order = sorted.order;
    // The file is written a piece at a time, every empty field a blank.
    std::size_t next = 0;
    bool header = true;
    QSOLog::WriteFilePieces(
        path,
        [&](std::string& piece) {
            if (header) {
                log.AppendFileLine(piece, 0);
                if (order.empty())
                    piece.append(static_cast<std::size_t>(log.ColCount()), '\t').append("\r\n");
                header = false;
            }
            while (next < order.size() && piece.size() < QSOLog::kFilePiece) {
                const int row = order[next++];
                const auto merged = sorted.merged.find(row);
                if (merged == sorted.merged.end())
                    log.AppendFileLine(piece, row, true);
                else
                    QSOLog::AppendFileText(piece, merged->second, true);
            }
            return next < order.size();
        },
        kind);
    Pump(pump);
    Keep(log, sorted);
}

}  // namespace

void SortQSOs(QSOLog& log, SortKey key, const PumpFn& pump) {
    if (log.DataRowCount() <= 1) return;
    const SortResult sorted = SortOrder(log, key, std::vector<char>(log.RowCount(), 0), pump);
    Pump(pump);
    Keep(log, sorted);
}

void SaveBase(QSOLog& log, SortKey key, const std::string& path, const PumpFn& pump,
              LogWriteKind kind) {
    SaveWithout(log, 0, key, path, pump, kind);
}

void DelSelQSO(QSOLog& log, int row, SortKey key, const std::string& path, const PumpFn& pump) {
    SaveWithout(log, row, key, path, pump, LogWriteKind::Removal);
}

void ClearAllQSOs(QSOLog& log, const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        // The log lives where the link leads (a synced folder): it is emptied there, so
        // that the link goes on leading to it.
        QSOLog empty = log;
        empty.Clear();
        empty.Write(path, LogWriteKind::Removal);
    } else {
        QSOLog::DeleteFile(path);
    }
    log.Clear();
}

}  // namespace kx
