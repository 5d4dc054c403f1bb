// The log session: the one QSOLog of a program run with its file "QSO.dat", and every rule
// of changing it, without any window. The log window moves texts between its widgets and
// the session; every change of the file goes through Change.
//
// What the session watches over:
// - a log that could not be locked is read-only: every change is refused with the reason;
// - a file that existed but could not be read at start keeps its QSOs: they join the table
//   at the first change (not at Delete All, which is meant to be rid of them);
// - a file changed on disk by another program since the session read or wrote it: its QSOs
//   that the table lacks join the table before the next write, so that none is lost;
// - a failed write says what it means for the user's data.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "log/AdifImport.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/FileIO.h"

namespace kx {

// A time of day as typed into a time field: "1230" is read as "12:30"; "h", "h:m" and
// "h:m:s" with hours 0-23 and minutes and seconds 0-59, blanks allowed between the parts.
// The text trimmed, empty when nothing was typed; nothing when it is no time of day.
std::optional<std::string> ReadTimeText(std::string_view typed);

// What the entry fields hold when Save QSO is pressed, read and checked: Windows-1257, the
// date and times already as the log keeps them.
struct QsoEntry {
    std::string date, start, end, call, band, mode, name, qth, remarks, wwl, bex, myWwl, myBex;
};

class LogSession {
public:
    explicit LogSession(const std::string& language = "EN") : log_(language) {}

    QSOLog& Log() { return log_; }
    const QSOLog& Log() const { return log_; }

    // Reads "QSO.dat" (LogFilePath) into the table. A file that exists but cannot be read
    // leaves the table the empty log, throws its error and is taken in later.
    void Load(const std::string& language);

    // The log could not be locked against a second writer.
    void SetReadOnly(const std::string& reason, const std::string& lockPath);
    bool ReadOnly() const { return !lockPath_.empty(); }
    // The reason, the lock file, and that nothing is written (Windows-1257).
    std::string ReadOnlyText() const;

    enum class Change { Write, Import, DeleteAll };
    // Runs `write`, the step that changes the file, under the rules above. A refused or
    // failed change throws KxError whose text ends with what it means for the data.
    // Returns how many QSOs of a file changed on disk joined the table first.
    int ChangeFile(const std::function<void()>& write, Change kind = Change::Write);
    // A change runs (it may let window messages run between its steps): nothing else may
    // change the table meanwhile.
    bool Changing() const { return changing_ > 0; }

    // The QSOs of the file that could not be read at start join the table (raises while
    // it still cannot be read).
    void TakeInUnreadLog();
    // QSOs of the table that "QSO.dat" does not hold as they are.
    int UnsavedQSOs() const;

    // ---- the rules of the log window's actions ------------------------------------------
    // The row that holds the same fields as `row` (blanks aside), `preferred` first; 0 when
    // none does.
    int FindRow(const QSORow& row, int preferred) const;
    // The row Save QSO stores into: the row the fields were copied from when it is still
    // there (a correction), else the last row when it is empty (the row New QSO added or
    // the empty log's), else a new row. Sets `correction`.
    int RowForEntry(const QSORow* shown, int preferred, bool& correction);
    // Stores the entry into the row: an end time, a square and locators only when given and
    // valid; then the row's squares are found from its locators and the words of its QTH and
    // Remarks. A table that cannot be read leaves the row as typed and returns its error.
    std::exception_ptr StoreEntry(int row, const QsoEntry& entry);
    // SaveBase of the table in the order of `key`, through ChangeFile.
    int Save(SortKey key, const PumpFn& pump, LogWriteKind kind = LogWriteKind::Change);
    // Delete QSO of a data row (the table's only row is never removed), through ChangeFile.
    int DeleteQso(int row, SortKey key, const PumpFn& pump);
    // Delete All, through ChangeFile.
    void DeleteAll();
    // The import of an ADIF file into the table and the file, through ChangeFile.
    AdifImportResult Import(const std::string& adifPath, const AdifImportHooks& hooks, int& joined);
    // The records of an ADIF text (QSOs that another program hands over as they are
    // logged) join the table as an import's do, their squares found at once, and the table
    // is written as it stands, through ChangeFile; nothing is written when none is new.
    // All or nothing: a refused or failed write leaves the table as it was.
    AdifImportResult TakeAdif(std::string_view adif, int& joined);
    // The import of kvadrix-tool, with one write of the file, through ChangeFile: the ADIF
    // file's QSOs join a copy of the table, the square finder runs over it (the rows of a
    // file Kvadrix wrote it leaves as they came), and the copy is sorted by `key` and
    // written, as Import, FindBEXs and Save one after another would leave it. Only then
    // does the copy become the table: any failure leaves the table and the file as they
    // were. withoutSquare: how many of the rows taken have no square.
    AdifImportResult ImportAndSave(const std::string& adifPath, SortKey key, int& joined,
                                   int& withoutSquare);
    // The table written as it stands (the window closes), through ChangeFile.
    int WriteAll();

private:
    int TakeInChangedLog();

    QSOLog log_;
    bool unread_ = false;  // "QSO.dat" was there at start but could not be read
    std::string readOnlyReason_;
    std::string lockPath_;
    FileIdentity diskFile_;  // "QSO.dat" as the session last read or wrote it
    int changing_ = 0;
};

}  // namespace kx
