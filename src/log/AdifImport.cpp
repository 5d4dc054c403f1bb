// The ADIF import: record scan, field reading, duplicate test and the rows it adds.
#include "log/AdifImport.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "log/AdifReader.h"
#include "platform/Cp1257.h"
#include "platform/FileIO.h"
#include "platform/Messages.h"
#include "tables/TableFile.h"
#include "tables/WwlTable.h"

namespace kx {
namespace {

// Length of the HTML-like entity at text[i] ("&ntilde;", "&#243;", "&#xF3;"), or 0.
std::size_t EntityLength(std::string_view text, std::size_t i) {
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto isHex = [&](char c) {
        return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::size_t j = i + 1;
    const std::size_t n = text.size();
    if (j < n && text[j] == '#') {
        ++j;
        const bool hex = j < n && (text[j] == 'x' || text[j] == 'X');
        if (hex) ++j;
        const std::size_t first = j;
        while (j < n && j - first < 8 && (hex ? isHex(text[j]) : isDigit(text[j]))) ++j;
        if (j == first) return 0;
    } else {
        if (j >= n || !isLetter(text[j])) return 0;
        while (j < n && j - i <= 32 && (isLetter(text[j]) || isDigit(text[j]))) ++j;
    }
    return j < n && text[j] == ';' ? j + 1 - i : 0;
}

// A value as the log holds it: Windows-1257, in capitals by the code page's letter pairs
// (the text of an HTML-like entity stays as written, so that it still reads), "," as "_",
// no control characters, no blanks at the ends.
std::string LogValue(std::string_view raw, bool utf8File, AdifCodePage codePage) {
    std::string text = DecodeAdifValue(raw, utf8File, codePage);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (const std::size_t entity = EntityLength(text, i)) {
                i += entity - 1;
                continue;
            }
        }
        text[i] = text[i] == ',' ? '_' : Cp1257Upper(text[i]);
    }
    return std::string(TrimField(text));
}

// "20090512" gives "2009-05-12", and so do "2009-05-12", "2009/05/12" and "2009.05.12":
// the eight digits in order, with nothing but separators between them. Anything else
// gives nothing; eight digits that are no day (20201340, 20230229, a year before 1930)
// give nothing and set `impossible`.
std::string DateText(const std::string& v, bool& impossible) {
    std::string digits;
    for (char c : v) {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c != '-' && c != '/' && c != '.' && c != ' ')
            return {};
    }
    if (digits.size() != 8) return {};
    if (!IsAdifDay(std::stoi(digits.substr(0, 4)), std::stoi(digits.substr(4, 2)),
                   std::stoi(digits.substr(6, 2)))) {
        impossible = true;
        return {};
    }
    return digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2);
}

// "123045", "1230" and "12:30" give "12:30"; values shorter than four characters give
// nothing. Anything else of four or more characters that is no time of day (2561,
// 120075, ab12) gives nothing and sets `impossible`.
std::string TimeText(const std::string& v, bool& impossible) {
    if (v.size() < 4) return {};
    std::string digits;
    bool onlyDigits = true;
    for (char c : v) {
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c != ':')
            onlyDigits = false;
    }
    auto part = [&](std::size_t at) { return (digits[at] - '0') * 10 + (digits[at + 1] - '0'); };
    if (!onlyDigits || (digits.size() != 4 && digits.size() != 6) || part(0) > 23 || part(2) > 59 ||
        (digits.size() == 6 && part(4) > 59)) {
        impossible = true;
        return {};
    }
    return digits.substr(0, 2) + ":" + digits.substr(2, 2);
}

// The first six characters of a locator of 6, 8 or 10 characters; nothing otherwise.
// The six-character locator of a GRIDSQUARE value of 6, 8 or 10 characters, when it has
// the shape of one (two letters, two digits, two letters); otherwise nothing, so that junk
// such as 123456 never reaches the WWL.
std::string SixCharLocator(const std::string& v) {
    if (v.size() != 6 && v.size() != 8 && v.size() != 10) return {};
    std::string wwl = v.substr(0, 6);
    return fTestWWL(wwl) ? wwl : std::string();
}

// The fields the import reads, one a line: the name of its index and its ADIF name. A
// field added here is found by WantedIndex at once.
#define KX_ADIF_WANTED(X)             \
    X(kCall, "CALL")                  \
    X(kQsoDate, "QSO_DATE")           \
    X(kTimeOn, "TIME_ON")             \
    X(kTimeOff, "TIME_OFF")           \
    X(kBand, "BAND")                  \
    X(kMode, "MODE")                  \
    X(kQth, "QTH")                    \
    X(kName, "NAME")                  \
    X(kNotes, "NOTES")                \
    X(kComment, "COMMENT")            \
    X(kWlRemarks, "WL_REMARKS")       \
    X(kGridSquare, "GRIDSQUARE")      \
    X(kMyGridSquare, "MY_GRIDSQUARE") \
    X(kSubmode, "SUBMODE")            \
    X(kSig, "SIG")                    \
    X(kSigInfo, "SIG_INFO")           \
    X(kMySig, "MY_SIG")               \
    X(kMySigInfo, "MY_SIG_INFO")

enum Wanted {
#define KX_WANTED_INDEX(index, name) index,
    KX_ADIF_WANTED(KX_WANTED_INDEX)
#undef KX_WANTED_INDEX
        kWantedCount
};

constexpr std::string_view kWantedNames[kWantedCount] = {
#define KX_WANTED_NAME(index, name) name,
    KX_ADIF_WANTED(KX_WANTED_NAME)
#undef KX_WANTED_NAME
};

// The wanted fields by the length of their names, so that a tag is compared with the few
// names of its length only.
class WantedByLength {
public:
    static constexpr std::size_t kLongest = 32;
    WantedByLength() {
        for (int w = 0; w < kWantedCount; ++w) {
            const std::size_t n = kWantedNames[w].size();
            if (n < kLongest) ++count_[n];
        }
        std::size_t at = 0;
        for (std::size_t n = 0; n < kLongest; ++n) {
            first_[n] = at;
            at += count_[n];
            count_[n] = 0;
        }
        for (int w = 0; w < kWantedCount; ++w) {
            const std::size_t n = kWantedNames[w].size();
            if (n < kLongest) order_[first_[n] + count_[n]++] = w;
        }
    }
    // The index of an upper-case-blind name without blanks around it, or -1.
    int Find(std::string_view name) const {
        const std::size_t n = name.size();
        if (n >= kLongest) return -1;
        for (std::size_t k = first_[n]; k < first_[n] + count_[n]; ++k) {
            const std::string_view wanted = kWantedNames[order_[k]];
            std::size_t i = 0;
            while (i < n && (name[i] == wanted[i] || (name[i] >= 'a' && name[i] <= 'z' &&
                                                      name[i] - 'a' + 'A' == wanted[i])))
                ++i;
            if (i == n) return order_[k];
        }
        return -1;
    }

private:
    std::size_t first_[kLongest] = {};
    std::size_t count_[kLongest] = {};
    int order_[kWantedCount] = {};
};

int WantedIndex(std::string_view name) {
    static const WantedByLength table;
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    return table.Find(name);
}

constexpr std::string_view kOwnPrefix = "APP_KVADRIX_";

// The log column of a field "APP_KVADRIX_<column>", or -1.
int OwnFieldColumn(std::string_view name) {
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    if (name.size() <= kOwnPrefix.size() ||
        !AdifNameIs(name.substr(0, kOwnPrefix.size()), kOwnPrefix))
        return -1;
    for (int c = 0; c < kQSOFields; ++c)
        if (AdifNameIs(name, AdifOwnFieldName(c))) return c;
    return -1;
}

// The five compared fields of a row, trimmed, joined by TABs (which no field holds).
std::string DuplicateKey(std::string_view date, std::string_view sutc, std::string_view call,
                         std::string_view band, std::string_view mode) {
    std::string key;
    key.reserve(date.size() + sutc.size() + call.size() + band.size() + mode.size() + 4);
    for (std::string_view part : {date, sutc, call, band, mode}) {
        key.append(TrimField(part));
        key += '\t';
    }
    return key;
}

bool RowIsBlank(const QSOLog& log, int row) {
    // Every field trims to nothing: the line holds only blanks, control characters and
    // the TABs between its fields.
    return TrimField(log.Line(row)).empty();
}

struct LYRecord {
    std::size_t start;  // offset of the record's picked fields in the store
    std::size_t end;
    int index;  // position among all records of the file
};

}  // namespace

bool IsLYCall(std::string_view call) {
    const std::string_view c = TrimField(call);
    if (c.size() < 4) return false;
    auto up = [](char ch) { return (ch >= 'a' && ch <= 'z') ? char(ch - 'a' + 'A') : ch; };
    return up(c[0]) == 'L' && up(c[1]) == 'Y';
}

std::string_view AdifOwnFieldName(int column) {
    static constexpr std::string_view kNames[kQSOFields] = {
        "APP_KVADRIX_DATE",   "APP_KVADRIX_SUTC", "APP_KVADRIX_EUTC",  "APP_KVADRIX_CALLSIGN",
        "APP_KVADRIX_BAND",   "APP_KVADRIX_MODE", "APP_KVADRIX_QTH",   "APP_KVADRIX_NAME",
        "APP_KVADRIX_WWL",    "APP_KVADRIX_BEX",  "APP_KVADRIX_MYWWL", "APP_KVADRIX_MYBEX",
        "APP_KVADRIX_REMARKS"};
    return column >= 0 && column < kQSOFields ? kNames[column] : std::string_view();
}

namespace {

// The fields of one record that the import reads, picked as ReadAdifQSO describes: the
// raw values, which must stay where they are until Build.
struct RecordPick {
    std::string_view found[kWantedCount];
    bool seen[kWantedCount] = {};
    bool typed[kWantedCount] = {};
    std::string_view own[kQSOFields];
    bool ownSeen[kQSOFields] = {};

    // A wanted field (w >= 0) or a column's own field (column >= 0) of the record.
    void Add(int w, int column, bool hasType, std::string_view raw) {
        if (w < 0) {
            if (column >= 0 && !ownSeen[column]) {
                ownSeen[column] = true;
                own[column] = raw;
            }
            return;
        }
        // Only the first occurrence of a tag counts, except that a date without a type
        // indicator wins over a typed one (<QSO_DATE:8> over <QSO_DATE:8:D>).
        if (!seen[w] || (w == kQsoDate && typed[w] && !hasType)) {
            seen[w] = true;
            typed[w] = hasType;
            found[w] = raw;
        }
    }

    AdifQSO Build(bool utf8File, AdifCodePage codePage,
                  const std::function<std::string(std::string_view)>& wwlToBex,
                  bool kvadrixFile) const;
};

// The fields the import reads of the LY records of a file, kept while the file is read a
// piece at a time: for each field one byte for its index (kOwnBase + column for a
// column's own field), one for whether it has a type, four for the value's length, then
// the raw value.
constexpr unsigned char kOwnBase = 128;

void StoreField(std::string& store, int code, bool hasType, std::string_view raw) {
    store += static_cast<char>(code);
    store += static_cast<char>(hasType ? 1 : 0);
    const auto n = static_cast<std::uint32_t>(raw.size());
    char length[4];
    std::memcpy(length, &n, 4);
    store.append(length, 4);
    store.append(raw);
}

RecordPick PickStored(std::string_view fields) {
    RecordPick pick;
    std::size_t i = 0;
    while (i + 6 <= fields.size()) {
        const auto code = static_cast<unsigned char>(fields[i]);
        const bool hasType = fields[i + 1] != 0;
        std::uint32_t n;
        std::memcpy(&n, fields.data() + i + 2, 4);
        const std::string_view raw = fields.substr(i + 6, n);
        if (code >= kOwnBase)
            pick.Add(-1, code - kOwnBase, hasType, raw);
        else
            pick.Add(code, -1, hasType, raw);
        i += 6 + n;
    }
    return pick;
}

}  // namespace

AdifQSO ReadAdifQSO(std::string_view recordText, bool utf8File, AdifCodePage codePage,
                    const std::function<std::string(std::string_view)>& wwlToBex,
                    bool kvadrixFile) {
    RecordPick pick;
    AdifScanner scanner(recordText, utf8File);
    AdifTag tag;
    while (scanner.Next(tag)) {
        if (tag.kind != AdifTag::Kind::Field) break;
        const int w = WantedIndex(tag.name);
        pick.Add(w, w < 0 && kvadrixFile ? OwnFieldColumn(tag.name) : -1, !tag.type.empty(),
                 tag.value);
    }
    return pick.Build(utf8File, codePage, wwlToBex, kvadrixFile);
}

AdifQSO RecordPick::Build(bool utf8File, AdifCodePage codePage,
                          const std::function<std::string(std::string_view)>& wwlToBex,
                          bool kvadrixFile) const {
    auto value = [&](int w) {
        return seen[w] ? LogValue(found[w], utf8File, codePage) : std::string();
    };
    // Kvadrix wrote its free text from the log as the log holds it: in its own letters,
    // commas and all.
    auto text = [&](int w) {
        if (!kvadrixFile) return value(w);
        return seen[w] ? std::string(TrimField(DecodeAdifValue(found[w], utf8File, codePage)))
                       : std::string();
    };

    AdifQSO q;
    q.fields[colCallsign] = value(kCall);
    q.fields[colDate] = DateText(value(kQsoDate), q.impossibleDateTime);
    q.fields[colSUTC] = TimeText(value(kTimeOn), q.impossibleDateTime);
    // An end time that is no time costs the QSO only its end time.
    bool noEndTime = false;
    q.fields[colEUTC] = TimeText(value(kTimeOff), noEndTime);
    q.fields[colBand] = value(kBand);
    // The mode the operator used: the SUBMODE where ADIF gives one (FT4 rather than MFSK,
    // USB rather than SSB), else MODE. A submode that the mode table does not know yet is
    // kept all the same: the award groups read the stored text when they count.
    q.fields[colMode] = value(kMode);
    if (std::string submode = value(kSubmode); !submode.empty()) {
        q.adifMode = std::move(q.fields[colMode]);
        q.fields[colMode] = std::move(submode);
    }
    q.fields[colQTH] = text(kQth);
    q.fields[colName] = text(kName);
    std::string remarks;
    for (int w : {kNotes, kComment, kWlRemarks}) {
        const std::string v = text(w);
        if (v.empty()) continue;
        // Other programs' texts are joined as the log has always held them, each after a
        // blank; Kvadrix's Remarks come back without one.
        if (!kvadrixFile || !remarks.empty()) remarks += ' ';
        remarks += v;
    }
    q.fields[colRemarks] = remarks;
    const std::string wwl = SixCharLocator(value(kGridSquare));
    if (!wwl.empty()) {
        q.fields[colWWL] = wwl;
        if (wwlToBex) q.fields[colBEX] = wwlToBex(wwl);
    }
    const std::string mine = SixCharLocator(value(kMyGridSquare));
    if (!mine.empty()) {
        q.fields[colMyWWL] = mine;
        if (wwlToBex) q.fields[colMyBEX] = wwlToBex(q.fields[colMyWWL]);
    }
    // The square an award-tracking logger keeps in the SIG fields.
    auto sigSquare = [&](int sig, int info, int col) {
        if (!q.fields[col].empty() || value(sig) != "BEX") return;
        const std::string code = value(info);
        if (fTestBEX(code)) q.fields[col] = code;
    };
    sigSquare(kSig, kSigInfo, colBEX);
    sigSquare(kMySig, kMySigInfo, colMyBEX);
    // Where ADIF's fields could not carry a field as the log held it (a date as typed, an
    // empty square beside a locator, a name logs use instead of ADIF's), Kvadrix wrote the
    // field itself.
    for (int c = 0; c < kQSOFields; ++c)
        if (ownSeen[c]) q.fields[c] = DecodeAdifValue(own[c], utf8File, codePage);
    if (ownSeen[colMode]) q.adifMode.clear();
    return q;
}

namespace {

// The first reading of a file: layout, size, UTF-8.
struct FileCensus {
    AdifLayout layout;
    std::size_t size = 0;
};

FileCensus TakeCensus(const AdifPasses& passes) {
    AdifLayoutCensus census;
    FileCensus c;
    passes([&](std::string_view piece) {
        census.Add(piece);
        c.size += piece.size();
    });
    c.layout = census.Layout();
    return c;
}

// Feeds the tags of a file that arrives a piece at a time to `tag`, from offset `from`,
// exactly as a scanner over the whole file gives them. Tags are views into the piece or
// into a short carry-over of the bytes before it, valid during the call.
class PieceScanner {
public:
    PieceScanner(bool utf8, std::size_t total, std::size_t from,
                 std::function<void(const AdifTag&)> tag)
        : utf8_(utf8), total_(total), pos_(from), tag_(std::move(tag)) {}

    void Piece(std::string_view piece) {
        const std::size_t pieceAt = received_;
        received_ += piece.size();
        // Bytes left over before this piece are joined with as much of it as the tag
        // that was cut off needs, then the rest is read from the piece itself.
        while (!carry_.empty()) {
            const std::size_t joined = carry_.size() - (pieceAt - carryAt_);
            if (joined == piece.size()) break;
            const std::size_t take =
                std::min(piece.size() - joined, std::max<std::size_t>(4096, carry_.size()));
            carry_.append(piece.substr(joined, take));
            Scan(carry_, carryAt_, true);
            if (pos_ >= pieceAt) {
                carry_.clear();
                break;
            }
            carry_.erase(0, pos_ - carryAt_);
            carryAt_ = pos_;
        }
        if (!carry_.empty()) return;  // the whole piece is in the carry-over
        if (pos_ < received_) Scan(piece, pieceAt, true);
        if (pos_ < received_) {
            carry_.assign(piece.substr(pos_ - pieceAt));
            carryAt_ = pos_;
        }
    }

    // The end of the file.
    void Finish() {
        if (!carry_.empty() && pos_ < received_) Scan(carry_, carryAt_, false);
        carry_.clear();
    }

private:
    void Scan(std::string_view text, std::size_t textAt, bool more) {
        AdifScanner scanner(text, utf8_, pos_ - textAt);
        if (more && total_ > textAt + text.size()) scanner.ExpectMore(total_ - textAt);
        AdifTag tag;
        while (scanner.Next(tag)) {
            tag.start += textAt;
            tag_(tag);
        }
        pos_ = textAt + scanner.Position();
    }

    bool utf8_;
    std::size_t total_;
    std::size_t pos_;
    std::function<void(const AdifTag&)> tag_;
    std::size_t received_ = 0;
    std::string carry_;  // the bytes from carryAt_ on, when a tag was cut off
    std::size_t carryAt_ = 0;
};

}  // namespace

AdifImportResult ImportAdifBytes(QSOLog& log, std::string_view bytes,
                                 const AdifImportHooks& hooks) {
    return ImportAdifPieces(
        log, [bytes](const std::function<void(std::string_view)>& piece) { piece(bytes); }, hooks);
}

AdifImportResult ImportAdifPieces(QSOLog& log, const AdifPasses& passes,
                                  const AdifImportHooks& hooks) {
    const TableBatch tables;  // one look at the table files for the whole file
    AdifImportResult result;
    const FileCensus census = TakeCensus(passes);
    AdifLayout layout = census.layout;
    const bool utf8 = layout.utf8;

    // Second reading: the header, the records, the code page and the fields of the LY
    // records. Until the first <EOH> or <EOR> the fields may be a header's: they count for
    // a record only when an <EOR> comes first.
    std::vector<LYRecord> ly;
    std::string store;  // the picked fields of the LY records (StoreField)
    int endTags = 0;
    AdifCodePageVote vote(utf8);
    AdifCodePageVote opening(utf8);  // the votes of the fields before the first <EOH>/<EOR>
    bool opened = false;             // an <EOH> or <EOR> has come
    std::string programId;
    bool kvadrixFile = false;
    std::size_t recordStart = 0;  // in the store
    bool hasFields = false, callSeen = false, callLY = false;
    auto close = [&] {
        if (callLY)
            ly.push_back({recordStart, store.size(), result.records});
        else
            store.resize(recordStart);
        ++result.records;
    };
    auto next = [&] {
        recordStart = store.size();
        hasFields = callSeen = callLY = false;
    };
    PieceScanner scanner(utf8, census.size, layout.bodyStart, [&](const AdifTag& tag) {
        if (tag.kind == AdifTag::Kind::Field) {
            hasFields = true;
            (opened ? vote : opening).Add(tag.value);
            if (!opened && programId.empty() && AdifNameIs(tag.name, "PROGRAMID"))
                programId = std::string(tag.value);
            if (!callSeen && AdifNameIs(tag.name, "CALL")) {
                callSeen = true;
                callLY = IsLYCall(DecodeAdifValue(tag.value, utf8));
            }
            const int w = WantedIndex(tag.name);
            if (w >= 0) {
                StoreField(store, w, !tag.type.empty(), tag.value);
            } else if (kvadrixFile) {
                if (const int c = OwnFieldColumn(tag.name); c >= 0)
                    StoreField(store, kOwnBase + c, !tag.type.empty(), tag.value);
            }
            return;
        }
        if (!opened) {
            opened = true;
            if (tag.kind == AdifTag::Kind::EndOfHeader) {
                layout.headerClosed = true;
                kvadrixFile = AdifNameIs(programId, "KVADRIX");
                store.resize(recordStart);
            } else {
                vote.Add(opening);
            }
        }
        if (tag.kind == AdifTag::Kind::EndOfRecord) {
            ++endTags;
            close();
        } else {
            store.resize(recordStart);  // a second <EOH> drops the header before it
        }
        next();
    });
    passes([&](std::string_view piece) { scanner.Piece(piece); });
    scanner.Finish();
    // A last record that lost its <EOR> is still a QSO of the file.
    if (hasFields && endTags > 0) close();
    if (!opened) vote.Add(opening);
    if (layout.BadHeader() || endTags == 0) {
        result.status = AdifImportStatus::BadFormat;
        return result;
    }
    if (hooks.started) hooks.started();
    result.lyRecords = static_cast<int>(ly.size());
    const AdifCodePage codePage = vote.Decide();

    const std::function<std::string(std::string_view)> toBex =
        hooks.wwlToBex ? hooks.wwlToBex
                       : [](std::string_view locator) { return fWWLtoBEX(locator); };

    result.ownFile = kvadrixFile;

    // The keys of the rows logged before: their hashes, sorted, each with its row (16 bytes
    // a row, where a set of the keys themselves cost some 140). A hash found is confirmed on
    // the row's own key. The keys taken from this file are kept whole.
    auto rowKey = [&log](int r) {
        return DuplicateKey(log.Cell(r, colDate), log.Cell(r, colSUTC), log.Cell(r, colCallsign),
                            log.Cell(r, colBand), log.Cell(r, colMode));
    };
    const std::hash<std::string> hash;
    std::vector<std::pair<std::size_t, int>> logged;
    logged.reserve(static_cast<std::size_t>(log.DataRowCount()));
    for (int r = 1; r < log.RowCount(); ++r) logged.emplace_back(hash(rowKey(r)), r);
    std::sort(logged.begin(), logged.end());
    std::unordered_set<std::string> taken;
    auto isLogged = [&](const std::string& key) {
        const std::size_t h = hash(key);
        auto at = std::lower_bound(logged.begin(), logged.end(), std::pair<std::size_t, int>(h, 0));
        for (; at != logged.end() && at->first == h; ++at)
            if (rowKey(at->second) == key) return true;
        return false;
    };
    // Whether a QSO of this key is logged or taken already; if not, it is taken now.
    auto known = [&](std::string key) {
        return isLogged(key) || !taken.insert(std::move(key)).second;
    };

    int shown = -1;
    std::vector<std::string_view> fields;
    for (const LYRecord& rec : ly) {
        const int percent =
            static_cast<int>(static_cast<long long>(rec.index) * 100 / result.records);
        if (percent != shown) {
            shown = percent;
            if (hooks.progress) hooks.progress(percent);
        }
        if (hooks.pump) hooks.pump();

        const AdifQSO q = PickStored(std::string_view(store).substr(rec.start, rec.end - rec.start))
                              .Build(utf8, codePage, toBex, kvadrixFile);
        const std::string& call = q.fields[colCallsign];
        if (!IsLYCall(call)) continue;
        // A QSO on a day or at a time that does not exist would be a row that no sort or
        // award can place, and one without a date too: refused.
        if (q.impossibleDateTime) {
            ++result.badDateTime;
            continue;
        }
        if (q.fields[colDate].empty()) {
            ++result.noDate;
            continue;
        }
        // A log imported before submodes were kept holds such a QSO under its MODE (MFSK,
        // SSB): that row is the same QSO.
        if ((!q.adifMode.empty() && isLogged(DuplicateKey(q.fields[colDate], q.fields[colSUTC],
                                                          call, q.fields[colBand], q.adifMode))) ||
            known(DuplicateKey(q.fields[colDate], q.fields[colSUTC], call, q.fields[colBand],
                               q.fields[colMode]))) {
            ++result.duplicates;
            continue;
        }
        ++result.taken;

        int row = log.RowCount() - 1;
        if (!RowIsBlank(log, row)) row = log.AddEmptyRow();
        if (result.firstRow == 0) result.firstRow = row;
        // The row's blank fields stay as they are where the record has no text.
        SplitLine(log.Line(row), fields);
        fields.resize(kQSOFields);
        for (int c = 0; c < kQSOFields; ++c)
            if (!TrimField(q.fields[c]).empty()) fields[c] = q.fields[c];
        log.SetFields(row, fields);
        if (hooks.counter) hooks.counter(result.taken);
        if (hooks.pump) hooks.pump();
    }
    return result;
}

AdifImportResult ImportAdifFile(QSOLog& log, const std::string& adifPath,
                                const std::string& logPath, const AdifImportHooks& hooks) {
    AdifImportResult result;
    if (adifPath.empty() || !FileExists(adifPath)) {
        result.status = AdifImportStatus::MissingFile;
        return result;
    }
    // All or nothing: the rows reach the table only once the file holds them.
    QSOLog updated = log;
    result = ImportAdifPieces(
        updated,
        [&adifPath](const std::function<void(std::string_view)>& piece) {
            ReadFilePieces(adifPath, piece);
        },
        hooks);
    if (result.status == AdifImportStatus::Imported) {
        updated.Write(logPath);
        log = std::move(updated);
    }
    return result;
}

namespace {

Lang LangOf(const std::string& language) {
    return language == "LT" ? Lang::Lithuanian : Lang::English;
}

}  // namespace

std::string AdifMissingFileMessage(const std::string& fileName, const std::string& language) {
    return CpMessage(Msg::AdifMissingFile, LangOf(language), {fileName});
}

std::string AdifBadFormatMessage(const std::string& fileName, const std::string& language) {
    std::string bare = fileName;
    if (const auto slash = bare.find_last_of("/\\"); slash != std::string::npos)
        bare.erase(0, slash + 1);
    return CpMessage(Msg::AdifBadFormat, LangOf(language), {bare});
}

std::string AdifNoDateMessage(int refused) {
    return refused > 0 ? CpMessage(Msg::AdifRefusedNoDate, {std::to_string(refused)})
                       : std::string();
}

std::string AdifBadDateTimeMessage(int refused) {
    return refused > 0 ? CpMessage(Msg::AdifRefusedBadDateTime, {std::to_string(refused)})
                       : std::string();
}

int AdifRowsWithoutSquare(const QSOLog& log, int firstRow) {
    if (firstRow < 1) return 0;
    const TableBatch tables;
    int without = 0;
    for (int r = firstRow; r < log.RowCount(); ++r)
        if (!fTestBEX(log.Field(r, colBEX))) ++without;
    return without;
}

std::string AdifImportSummary(const AdifImportResult& result, int withoutSquare) {
    std::string text = CpMessage(Msg::AdifImportSummary,
                                 {std::to_string(result.lyRecords), std::to_string(result.records),
                                  std::to_string(result.taken), std::to_string(result.duplicates)});
    if (result.noDate > 0) text += '\n' + AdifNoDateMessage(result.noDate);
    if (result.badDateTime > 0) text += '\n' + AdifBadDateTimeMessage(result.badDateTime);
    if (result.taken > 0)
        text += '\n' + CpMessage(Msg::AdifImportedWithoutSquare, {std::to_string(withoutSquare)});
    return text;
}

std::string AdifProgressTitle(const std::string& language) {
    return CpMessage(Msg::AdifProgressTitle, LangOf(language));
}

}  // namespace kx
