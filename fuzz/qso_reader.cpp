// libFuzzer target: the "QSO.dat" reader, and what the log does next with what it read
// (the square finder, the sort and clean-up, the next write).
//
// The first input byte picks the sort key; the rest is the file.
//
// Invariants: every row is as wide as the table and no field holds a TAB, CR or LF; the
// table writes and reads back unchanged; the sort keeps only rows with a call sign, leaves
// at least one data row and again writes and reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "log/FindBexs.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/Globals.h"
#include "platform/Paths.h"

using kxfuzz::Check;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kx::UsePortableFolder(KX_DATA_DIR "/");  // the shipped WWL/BEX table for the finder
    kx::Language = "EN";
    return 0;
}

namespace {

void CheckTable(const kx::QSOLog& log) {
    Check(log.RowCount() >= 2 && log.ColCount() >= kx::kQSOFields, "table shape");
    for (const kx::QSORow& row : log.Rows()) {
        Check(static_cast<int>(row.size()) == log.ColCount(), "rows are as wide as the table");
        for (const std::string& field : row)
            Check(kxfuzz::OneLineField(field), "no TAB, CR or LF in a field");
    }
    kx::QSOLog reread("EN");
    reread.ReadFromBytes(log.ToFileBytes());
    Check(reread.Rows() == log.Rows(), "the table reads back as written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto key = static_cast<kx::SortKey>(data[0] % 5);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    kx::QSOLog log("EN");
    log.ReadFromBytes(bytes);
    log.SetHeader("EN");
    CheckTable(log);

    kx::FindBEXs(log);
    CheckTable(log);

    const int before = log.DataRowCount();
    kx::SortQSOs(log, key);
    CheckTable(log);
    Check(log.DataRowCount() <= before, "the sort adds no rows");
    if (log.DataRowCount() > 1)
        for (int r = 1; r < log.RowCount(); ++r)
            Check(!log.Field(r, kx::colCallsign).empty(), "sorted rows all have a call sign");
    return 0;
}
