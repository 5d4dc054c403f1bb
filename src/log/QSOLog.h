// The QSO log: the user's contacts as a table of text rows, and its file "QSO.dat".
//
// Row 0 is the header row (the 13 column titles of the current language); rows 1..N are
// QSOs, one per row. The table always has at least one data row: the empty log is the
// header plus one row whose fields are all empty. Every field is a Windows-1257 text with
// no length limit; nothing is typed (dates, times, bands and squares are the texts that
// were entered or imported).
//
// A field is "empty" when it is the empty text or only blanks: rows that went through a
// sort hold a single blank in every empty field, so every reader trims before testing
// (TrimField below).
//
// No field ever holds a TAB, CR or LF: SetCell and the file reader replace them by a
// blank, so the line and field structure of the file cannot break.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Column indexes of the QSO record, in file and grid order.
enum QSOColumn : int {
    colDate = 0,      // "Date"     / "Data"
    colSUTC = 1,      // "sUTC"     / "pUTC"     start time
    colEUTC = 2,      // "eUTC"     / "bUTC"     end time, may be empty
    colCallsign = 3,  // "Callsign" / "Šaukinys"
    colBand = 4,      // "Band"     / "Banga"
    colMode = 5,      // "Mode"     / "Moda"
    colQTH = 6,       // "QTH"      / "QTH"
    colName = 7,      // "Name"     / "Vardas"
    colWWL = 8,       // "WWL"      / "WWL"      worked station's locator
    colBEX = 9,       // "BEX"      / "BEX"      worked station's square, or "?"
    colMyWWL = 10,    // "MyWWL"    / "MWWL"     own locator
    colMyBEX = 11,    // "MyBEX"    / "MBEX"     own square, or "?"
    colRemarks = 12,  // "Remarks"  / "Pastabos"
};

// Number of fields of a QSO record. A table read from a file with longer lines can have
// more columns (QSOLog::ColCount); they are carried along and written back.
inline constexpr int kQSOFields = 13;

// What a QSO carries beyond the 13 fields: columns after Remarks, each at a fixed place
// and titled in both languages (ColumnTitle). A log that holds none of them keeps its 13
// columns and its bytes; the table gains such a column the first time a QSO gets a value
// for it (SetExtra), and every path that changes the log keeps them (the sort's repeat
// cleaning joins them, MergeExtras). A new column goes at the end of this list.
enum QSOExtraColumn : int {
    // Confirmations: the date the QSO was confirmed (YYYY-MM-DD), or "Y" when it is
    // confirmed and the date is not known; empty while it is not confirmed.
    colLotw = 13,  // "LoTW"  / "LoTW"      confirmed on Logbook of The World
    colEqsl = 14,  // "eQSL"  / "eQSL"      confirmed on eQSL.cc
    colCard = 15,  // "Card"  / "Kortelė"   paper QSL card received
};
// Columns 0 .. kKnownColumns - 1 have a meaning and a title; a file may hold more, which
// are carried along untitled.
inline constexpr int kKnownColumns = 16;

// File name of the log in the program folder.
inline constexpr const char* kLogFileName = "QSO.dat";

// "QSO.dat" in the user folder (see Paths).
std::string LogFilePath();

// The folder whose "QSO.lock" guards the log at logPath: the folder of the file itself,
// also when logPath is a symbolic link to a log elsewhere (a synced folder), so that every
// program that writes that file takes the same lock. With a trailing '/'.
std::string LogLockFolder(const std::string& logPath);

// What a write does to the QSOs of the file: a removal (Delete QSO, Delete All, a
// correction that replaces a QSO) backs the old file up every time, any other change the
// first time in a run (LogBackup.h).
enum class LogWriteKind { Change, Removal };

// The 13 column titles for a language: Lithuanian for "LT", English for any other value.
// Windows-1257 bytes.
const std::vector<std::string>& HeaderTitles(const std::string& language);
// The title of any column in a language (as HeaderTitles for the 13, then the extra
// columns'); empty beyond kKnownColumns.
std::string_view ColumnTitle(int column, const std::string& language);

// The text with every TAB, CR and LF replaced by one blank each. Every way into a field
// goes through this.
std::string CleanFieldText(std::string_view text);

// The text without the blanks and control characters (bytes up to ' ') at both ends.
std::string_view TrimField(std::string_view text);

// ASCII capitals ('a'..'z' only; Windows-1257 letters above 127 are left alone).
std::string UpperAscii(std::string_view text);

// ---- Field tests ------------------------------------------------------------------
// Each trims its argument first; letters must be capitals (a lower-case letter fails).

// Exactly 6 characters: two letters A-Z, two digits, two letters A-Z. No table lookup.
bool fTestWWL(std::string_view text);
// Exactly 7 characters: "*" followed by a text fTestWWL accepts.
bool fTestMyWWL(std::string_view text);
// Exactly 3 characters: a letter A-P, a digit 0-3, a digit 0-9, and the code has a
// non-empty entry in the WWL/BEX table (reads the table file as it is now; a missing table
// makes the test fail).
bool fTestBEX(std::string_view text);
// Exactly 4 characters: "*" followed by a text fTestBEX accepts.
bool fTestMyBEX(std::string_view text);

// ---- The table ----------------------------------------------------------------------

// The row text `into` (fields joined by TAB) with its empty extra fields (columns after
// Remarks) taken from the row text `from` where that has them; empty when nothing changes.
std::string MergeExtraFields(std::string_view into, std::string_view from);

// A whole row as separate fields: what the few callers that want a row get, and what
// tests and the sort's checks build rows from.
using QSORow = std::vector<std::string>;

// The fields of a row text (fields joined by TAB) as views into it.
void SplitLine(std::string_view line, std::vector<std::string_view>& fields);

// Whether a row text (fields joined by TAB) has an empty field.
bool HasEmptyField(std::string_view line);

// One row of the table: its fields joined by TAB (the file's line without its final TAB
// and line end), in one heap block of its own that holds the length, a count of owners
// and the bytes (a row is at most 4 GiB). A log of millions of rows costs little more than its file
// this way, and moving a row (the sort) moves a pointer. A block never changes once made, so copies
// share it: a copy of a whole table (the import's all-or-nothing copy) costs a pointer a
// row.
class PackedRow {
public:
    PackedRow() = default;
    explicit PackedRow(std::string_view text) : PackedRow(text, {}, {}) {}
    // The three texts one after another.
    PackedRow(std::string_view a, std::string_view b, std::string_view c);
    PackedRow(const PackedRow& other);
    PackedRow(PackedRow&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    PackedRow& operator=(const PackedRow& other);
    PackedRow& operator=(PackedRow&& other) noexcept;
    ~PackedRow() { Release(); }

    std::string_view View() const;

private:
    void Release() noexcept;

    // The length and the owners (32 bits each), then the bytes; null: the empty text.
    char* block_ = nullptr;
};

class QSOLog {
public:
    // The empty log with the header of kx::Language.
    QSOLog();
    // The empty log with the header of the given language.
    explicit QSOLog(const std::string& language);

    // Rows including the header row (at least 2).
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Data rows 1..N (at least 1).
    int DataRowCount() const { return RowCount() - 1; }
    // Columns of every row (at least 13).
    int ColCount() const { return cols_; }

    // The QSO counter: the number of data rows, or 0 for a table whose only data row has
    // no call sign (the empty log).
    int QSOCount() const;
    // The table is the empty log shape: one data row without a call sign.
    bool IsEmptyLog() const;

    // Field text as held (untrimmed). Throws IndexError outside the table. The view
    // stays valid until the table next changes.
    std::string_view Cell(int row, int col) const;
    // Field text trimmed (see TrimField).
    std::string_view Field(int row, int col) const { return TrimField(Cell(row, col)); }
    // Sets a field; TAB, CR and LF become blanks. Throws IndexError outside the table.
    void SetCell(int row, int col, std::string_view text);
    // A field of a column the table may lack (an extra column): trimmed, empty when the
    // table has no such column. Throws IndexError for a row outside the table.
    std::string_view Extra(int row, int col) const;
    // Sets a field as SetCell does; a column the table lacks is added first (with its
    // title, and every row empty in it), unless the text is empty.
    void SetExtra(int row, int col, std::string_view text);
    // The extra fields (columns after Remarks) of row `from` fill those of row `into` that
    // are empty: what a repeat of a QSO brings to the QSO that stays. Returns whether
    // `into` changed.
    bool MergeExtras(int into, int from);
    // Sets the first fields.size() fields of a row as SetCell does (more fields than
    // ColCount widen the table); the others stay. Throws IndexError outside the table.
    void SetFields(int row, const std::vector<std::string_view>& fields);

    // The row's ColCount fields joined by TAB: its file line without the final TAB and
    // line end. Valid until the table next changes. Throws IndexError outside the table.
    std::string_view Line(int row) const;
    // A copy of a whole row (ColCount fields). Throws IndexError outside the table.
    QSORow Row(int row) const;
    // A copy of the whole table as fields, header first (for checks: slow on big logs).
    std::vector<QSORow> Rows() const;

    // Appends one empty data row; returns its index.
    int AddEmptyRow();
    // Removes a data row, the rows below moving up. The header and the table's only data
    // row are never removed: returns false then (and for an index outside the table).
    bool DeleteRow(int row);
    // Becomes the empty log (the header row is kept).
    void Clear();
    // Replaces row 0 by the titles of the language.
    void SetHeader(const std::string& language);

    // Replaces the data rows by the given rows (each cleaned and widened to ColCount;
    // an empty list gives the empty log).
    void ReplaceDataRows(std::vector<QSORow> rows);
    // Appends the data rows of another table after the data rows of this one (the table
    // widens to the wider of the two).
    void AppendDataRows(const QSOLog& other);
    // The data rows become the rows `order` names (each at most once), in that order,
    // every empty field of them made one blank; no rows: the empty log. Used by the sort.
    void KeepDataRows(const std::vector<int>& order);
    // The same where emptyFields (one flag a row of the table) already says which rows have
    // an empty field, so that the rows are not read again.
    void KeepDataRows(const std::vector<int>& order, const std::vector<char>& emptyFields);

    // ---- File ---------------------------------------------------------------------
    // "QSO.dat" format: Windows-1257, one line per row starting with the header row,
    // every field followed by one TAB, every line ended by CR LF; no quoting.

    // The whole table in file format.
    std::string ToFileBytes() const;
    // One row in file format appended to out; with emptyAsBlank an empty field is
    // written as one blank.
    void AppendFileLine(std::string& out, int row, bool emptyAsBlank = false) const;
    // A row text (fields joined by TAB) in file format appended to out, as AppendFileLine.
    static void AppendFileText(std::string& out, std::string_view line, bool emptyAsBlank);

    // Reads file bytes into this table: line k goes to row k (the table gains rows as
    // needed and never loses any; line 0 lands in the header row). A line ends at CR, LF
    // or CR LF; a final line end makes no extra line. Short lines leave the rest of their
    // row empty; long lines widen the table. Fields are taken as they stand (no
    // trimming, no conversion). The width stays within what the file's size pays for
    // (4 x its bytes / its lines, at least 13): the fields of a line beyond that width,
    // empty last fields dropped, are joined by blanks into its last column, so a
    // hostile file cannot ask for lines x fields cells.
    void ReadFromBytes(std::string_view bytes);

    // Load: the table becomes the empty log; if the file exists it is read into it
    // (ReadFromBytes); then row 0 becomes the header of `language`. Returns whether the
    // file existed. A file that exists but cannot be read throws FileOpenError and leaves
    // the table as it was.
    bool Load(const std::string& path, const std::string& language);
    bool Load() { return Load(LogFilePath(), CurrentLanguage()); }

    // Write: replaces the file atomically by the whole table, backed up first as `kind`
    // says (LogBackup.h); a file that already holds these very bytes is left alone (no
    // write, no backup). Throws FileWriteError (or FileOpenError) on failure; the old file
    // stays whole and the table is not touched.
    void Write(const std::string& path, LogWriteKind kind = LogWriteKind::Change) const;
    void Write() const { Write(LogFilePath()); }
    // Replaces the log file at path by the pieces of file bytes that `next` gives (see
    // WriteFileAtomicPieces), backed up and left alone as by Write. Returns whether the
    // file changed.
    static bool WriteFilePieces(const std::string& path,
                                const std::function<bool(std::string& piece)>& next,
                                LogWriteKind kind = LogWriteKind::Change);
    // About how much of a file a piece holds.
    static constexpr std::size_t kFilePiece = 1 << 20;

    // Deletes the log file, backed up first as a removal. A missing file is not an error; a file
    // that cannot be removed throws FileWriteError.
    static void DeleteFile(const std::string& path);
    static void DeleteFile() { DeleteFile(LogFilePath()); }

private:
    class Reader;

    static const std::string& CurrentLanguage();
    void CheckIndex(int row, int col) const;
    // Pads every row to cols fields (cols > ColCount) and makes that the width.
    void Widen(int cols);
    // A row text of ColCount empty fields.
    PackedRow EmptyRow() const;

    // Every row holds exactly cols_ fields (cols_ - 1 TABs).
    std::vector<PackedRow> rows_;
    int cols_ = kQSOFields;
    // The language of the header row (SetHeader): the titles of columns the table gains.
    std::string language_ = "EN";
};

}  // namespace kx
