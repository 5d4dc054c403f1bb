// The ADIF import: adds the Lithuanian QSOs of an ADI file to the QSO log.
//
// A record is taken when its CALL begins with "LY" and has at least 4 characters, its
// QSO_DATE holds the eight digits of a date (separators between them allowed), and the
// log does not already hold a QSO with the same Date, start time, Callsign, Band and Mode
// (compared exactly, each trimmed). Values arrive decoded to Windows-1257 (UTF-8 where a
// value is UTF-8, else the file's one 8-bit code page), with every control character as a
// blank; in other programs' files also in capitals by the code page's letter pairs and with
// "," turned into "_", while a file Kvadrix wrote gives the fields as the log held them
// (ReadAdifQSO). The import works without any window: the log window passes callbacks for
// the progress window, the counter box and the processing of pending window messages.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "log/AdifReader.h"
#include "log/QSOLog.h"

namespace kx {

// What the window is told while an import runs. Every member may be empty.
struct AdifImportHooks {
    std::function<void()> started;              // the file is a usable ADI file: show progress
    std::function<void(int percent)> progress;  // share of records handled, when it changes
    std::function<void(int taken)> counter;     // after each row added
    std::function<void()> pump;                 // let pending window messages run
    // The square of a six-character locator, or the empty text (fWWLtoBEX by default).
    std::function<std::string(std::string_view locator)> wwlToBex;
};

enum class AdifImportStatus {
    Imported,     // the records were read (possibly none taken)
    MissingFile,  // no file name, or no such file
    BadFormat,    // no <EOR> at all, or header text without <EOH>
};

struct AdifImportResult {
    AdifImportStatus status = AdifImportStatus::Imported;
    int taken = 0;       // the import counter: rows added to the log
    int records = 0;     // records of the file
    int lyRecords = 0;   // records with an LY call sign
    int duplicates = 0;  // LY records the log already held
    int noDate = 0;      // LY records refused: no QSO_DATE that reads as a date
    // LY records refused: a QSO_DATE or TIME_ON that does not exist (2020-13-40, 25:61)
    int badDateTime = 0;
    int firstRow = 0;      // the first row taken (the rows taken end the table); 0: none
    bool ownFile = false;  // Kvadrix wrote the file: its rows hold what the log held
};

// One QSO as the import reads it from a record: the 13 fields of the log's columns.
struct AdifQSO {
    std::string fields[kQSOFields];
    // The record's MODE where its SUBMODE became the Mode field (MFSK for FT4), else empty.
    std::string adifMode;
    // QSO_DATE or TIME_ON has the form of a date or time that does not exist (both left
    // empty then).
    bool impossibleDateTime = false;
};

// The fields of one record, read from the record's text (from its first tag to its
// <EOR>). utf8File: the file is UTF-8 (AdifLayout::utf8); codePage: the file's code page
// for values that are not UTF-8 (AdifCodePageVote).
// A square comes from the locator (GRIDSQUARE, MY_GRIDSQUARE) through wwlToBex; when that
// gives none, SIG "BEX" (MY_SIG "BEX"), case-blind, with a SIG_INFO (MY_SIG_INFO) that is
// a square of the award area gives it.
// The Mode field is the record's SUBMODE where it has one (FT4 for MODE MFSK SUBMODE FT4),
// otherwise its MODE.
// kvadrixFile: the file was written by Kvadrix's export (PROGRAMID "Kvadrix"), which holds
// the log's fields as the log held them: QTH, NAME and COMMENT are taken as written (no
// capitals, commas kept, the Remarks without a leading blank), and a field
// APP_KVADRIX_<column> (AdifOwnFieldName) gives its column's text whatever the standard
// fields say.
AdifQSO ReadAdifQSO(std::string_view recordText, bool utf8File, AdifCodePage codePage,
                    const std::function<std::string(std::string_view)>& wwlToBex,
                    bool kvadrixFile = false);

// "APP_KVADRIX_DATE" ... "APP_KVADRIX_REMARKS": the field in which the export writes a log
// column (0 to 12) that ADIF's own fields would not bring back as the log held it.
std::string_view AdifOwnFieldName(int column);

// A call sign the import takes: begins with "LY" and has at least 4 characters (after
// capitals and trimming).
bool IsLYCall(std::string_view call);

// Adds the new LY QSOs of the file's bytes to the log (no file is written). Rows go to
// the end of the table in file order; an entirely empty last row (the empty log's row)
// is filled first.
AdifImportResult ImportAdifBytes(QSOLog& log, std::string_view bytes,
                                 const AdifImportHooks& hooks = {});

// A file read from its start to its end, a piece at a time: each call hands every piece to
// the function in order. The import reads the file twice this way.
using AdifPasses = std::function<void(const std::function<void(std::string_view piece)>&)>;

// ImportAdifBytes of a file that is read a piece at a time, however its pieces are cut:
// the same rows and counts, with only the pieces and the LY records' fields in memory.
AdifImportResult ImportAdifPieces(QSOLog& log, const AdifPasses& passes,
                                  const AdifImportHooks& hooks = {});

// The whole import of a file: a missing file or a bad format changes nothing; otherwise
// the new QSOs are added and the table is written unsorted to logPath. Throws
// FileOpenError when the file cannot be read and the log's write errors; when the write
// fails the table is left as it was.
AdifImportResult ImportAdifFile(QSOLog& log, const std::string& adifPath,
                                const std::string& logPath, const AdifImportHooks& hooks = {});

// Messages and titles (Windows-1257 bytes) for a language ("LT" or other).
// fileName: the file name with its folder, as the dialog gave it.
std::string AdifMissingFileMessage(const std::string& fileName, const std::string& language);
std::string AdifBadFormatMessage(const std::string& fileName, const std::string& language);
std::string AdifProgressTitle(const std::string& language);
// How many records were refused for want of a date (empty when none was).
std::string AdifNoDateMessage(int refused);
// How many records were refused for a date or start time that does not exist (empty when
// none was).
std::string AdifBadDateTimeMessage(int refused);

// How many of the rows from firstRow to the end hold no square of the award area in BEX
// (an empty field, "?"); 0 when firstRow is 0.
int AdifRowsWithoutSquare(const QSOLog& log, int firstRow);

// The closing message of an import that read the file (in kx::Language): the file's LY
// QSOs and records, how many were imported and how many were in the log already, the
// records refused for want of a date or for one that does not exist, and how many
// imported QSOs have no square.
std::string AdifImportSummary(const AdifImportResult& result, int withoutSquare);

}  // namespace kx
