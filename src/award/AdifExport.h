// The ADIF export: the whole QSO log as an ADI file (ADIF 3.1.4) for the user's other
// programs, with the squares in the SIG fields ("BEX" + the square) that award-tracking
// loggers read.
//
// The file is UTF-8; each value's length counts characters, as the Unicode loggers write
// and read it. A header (ADIF_VER, PROGRAMID "Kvadrix", PROGRAMVERSION,
// CREATED_TIMESTAMP) comes first, then one record per QSO (every data row with a call
// sign, in table order), CR LF after each. Fields the row leaves empty, or holds in a form
// ADIF has no place for (a date that cannot be read, a time that is no time of day), are
// left out of the record. A column that Kvadrix's import would not read back from the
// record as the log holds it (a date as typed, BPSK31, "?" in BEX) is written once more
// as it stands, in APP_KVADRIX_<column> (AdifOwnFieldName).
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "log/QSOLog.h"
#include "platform/DateOrder.h"

namespace kx {

// The ADIF date (YYYYMMDD) of a Date field, or the empty text when it cannot be read.
// Read: the import's 2009-05-12 and every short date form of day, month and year
// separated by blanks, ".", "-" or "/" (a four-digit first number is the year, a number
// above 12 can only be the day, a date with "." puts the day before the month, otherwise
// `order` decides), and the typed forms 20090512
// and 090512 (in `order`). A two-digit year is 2000-2069 or 1970-1999. The date must
// exist and lie in 1930 or later, as ADIF requires.
std::string AdifDate(std::string_view field, DateOrder order);

// The ADIF time (HHMM) of a time field: "12:30", "9:30", "12:30:45", "12" (12 o'clock),
// "1230" and "123045" as typed; blanks allowed between the parts. Empty when the text is
// not a time of day.
std::string AdifTime(std::string_view field);

// The band as the ADIF enumeration spells it ("20M" gives "20m", "70CM" gives "70cm");
// a band the enumeration lacks as it stands.
std::string AdifBand(std::string_view field);

// MODE and SUBMODE of a mode field, from the one mode table (award/AwardGroups.h): a
// submode goes under its mode (USB and LSB as SSB, FT4 and JS8 as MFSK, PSK31 as PSK ...),
// a name logs write instead of the ADIF one as ADIF names it (BPSK31 as PSK + PSK31); a
// mode ADIF does not know (DIGITAL, PHONE, anything else) as it stands with an empty
// submode. Case-blind.
std::pair<std::string, std::string> AdifModeOf(std::string_view field);

struct AdifExportOptions {
    DateOrder dateOrder = DateOrder::YMD;
    // CREATED_TIMESTAMP, "YYYYMMDD HHMMSS" in UTC; empty: the current time.
    std::string created;
};

struct AdifExportResult {
    int qsos = 0;         // records written
    int withoutDate = 0;  // of them, without QSO_DATE (no readable date)
};

// The whole file's bytes.
std::string AdifExportText(const QSOLog& log, const AdifExportOptions& options,
                           AdifExportResult& result);

// Writes the file atomically, as the log is written: the old file stays whole when the
// write fails (FileWriteError or FileOpenError).
AdifExportResult ExportAdifFile(const QSOLog& log, const std::string& path,
                                const AdifExportOptions& options = {});

// "Kvadrix-LY-YYYYMMDD.adi" for a date given as YYYYMMDD.
std::string AdifExportFileName(std::string_view yyyymmdd);

// What the window says when the file is written (Windows-1257 bytes, in kx::Language).
// fileName: as it should be shown.
std::string AdifExportedMessage(const std::string& fileName, const AdifExportResult& result);

}  // namespace kx
