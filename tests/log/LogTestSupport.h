// Helpers shared by the log tests: rows built from short descriptions, and a program
// folder with a small WWL/BEX table.
#pragma once

#include <string>
#include <vector>

#include "log/QSOLog.h"
#include "support/TempFolder.h"

namespace kxtest {

// A 13-field row: date, start, end, call, band, mode, then optional QTH, name, WWL, BEX,
// own WWL, own BEX, remarks.
inline kx::QSORow QsoRow(std::vector<std::string> fields) {
    fields.resize(kx::kQSOFields);
    return fields;
}

// A log holding the given data rows (header in English).
inline kx::QSOLog LogOf(const std::vector<kx::QSORow>& rows) {
    kx::QSOLog log("EN");
    log.ReplaceDataRows(rows);
    return log;
}

// Call signs of the data rows in table order.
inline std::vector<std::string> Calls(const kx::QSOLog& log) {
    std::vector<std::string> calls;
    for (int r = 1; r < log.RowCount(); ++r) calls.emplace_back(log.Cell(r, kx::colCallsign));
    return calls;
}

// A WWL/BEX table with three squares, as the shipped file writes them.
inline void WriteSmallSquareTable(const TempFolder& folder) {
    folder.write("BEXWWL.dat",
                 "[BEX]\r\n"
                 "K26=KO24OT,KO24PT,KO24OS,KO24PS,KO24OR,KO24PR,KO24OQ,KO24PQ\r\n"
                 "B23=KO15AA,KO15BA,KO15AB,KO15BB,KO15AC,KO15BC,KO15AD,KO15BD\r\n"
                 "A11=KO14AA,KO14BA,KO14AB,KO14BB,KO14AC,KO14BC,KO14AD,KO14BD\r\n");
}

}  // namespace kxtest
