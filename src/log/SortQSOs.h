// Sorting, cleaning and deleting in the QSO log, and SaveBase (clean, sort, write).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "log/QSOLog.h"

namespace kx {

// The five sort keys of the log window's "Sort by" group.
enum class SortKey { DateTime, Callsign, Band, Mode, BEX };

// Called between the steps of long operations so that the windows can repaint (the
// window passes "process pending events"); may be empty.
using PumpFn = std::function<void()>;

// The key text of a row: Date + " " + sUTC with every ".", "-", ":" and blank removed
// (2009-05-12 12:30 gives 200905121230), or the Callsign, Band, Mode or BEX field as it
// stands. A key that is empty or only blanks becomes "zzz", so such rows sort last.
std::string SortKeyText(const QSORow& row, SortKey key);

// The row's fields joined by ",": a field holding a blank, a control character, a "," or
// a double quote is enclosed in double quotes with each inner quote doubled; an empty
// field stays empty.
std::string CommaText(const QSORow& row);

// The text the rows are ordered by: key + "##" + CommaText. Two rows whose entries are
// CollateEqual (equal in every field ignoring case) count as repeats. The sort builds the
// entries of the 13 fields only: rows that differ in the columns after Remarks alone
// (confirmations) are repeats too.
std::string SortEntry(const QSORow& row, SortKey key);

// Sorts the data rows by the key in the collation order of Collation.h (ties broken by the
// fields from Date onwards) and cleans the log: rows without a call sign are dropped, and
// of rows repeating one another (ignoring case) only the first in table order stays, with
// the extra fields it lacks taken from the others (MergeExtraFields): a confirmation is
// never dropped for an unconfirmed repeat.
// Every empty field of the remaining rows comes back as one blank. A table with a single
// data row is left exactly as it is; a table without any call sign becomes the empty
// log.
void SortQSOs(QSOLog& log, SortKey key, const PumpFn& pump = {});

// After every change made by hand, by deleting or by the import: drops row 1 when it is
// the row New QSO adds (untrimmed Date shorter than 3 characters and no Callsign; the only
// data row is kept), sorts, and
// writes the file (backed up as `kind` says: a correction that replaces a QSO is a
// removal). All or nothing: when the write fails the exception propagates and both the
// table and the old file are exactly as they were before the call.
void SaveBase(QSOLog& log, SortKey key, const std::string& path, const PumpFn& pump = {},
              LogWriteKind kind = LogWriteKind::Change);
inline void SaveBase(QSOLog& log, SortKey key, const PumpFn& pump = {},
                     LogWriteKind kind = LogWriteKind::Change) {
    SaveBase(log, key, LogFilePath(), pump, kind);
}

// Delete QSO after the user said Yes: removes the data row (the table's only data row is
// never removed) and runs SaveBase as a removal. All or nothing as SaveBase.
void DelSelQSO(QSOLog& log, int row, SortKey key, const std::string& path, const PumpFn& pump = {});

// Delete All after the user said Yes: deletes the file, backed up first (a missing file is
// fine), and makes the table the empty log. When the file cannot be deleted the exception
// propagates and the table is untouched.
void ClearAllQSOs(QSOLog& log, const std::string& path);

}  // namespace kx
