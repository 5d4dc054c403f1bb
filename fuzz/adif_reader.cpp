// libFuzzer target: the ADIF reader (layout, specifier scanner, code page vote, value
// decoding in each code page) and the import of an ADI file's bytes into the QSO log.
//
// Invariants: every tag the scanner gives lies inside the input and the scanner always
// moves on; the import gives one of its documented outcomes and puts no TAB, CR or LF
// into a field; the log it leaves writes and reads back unchanged; importing the same
// bytes again takes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "log/AdifImport.h"
#include "log/AdifReader.h"
#include "platform/Globals.h"
#include "platform/Paths.h"

using kxfuzz::Check;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kx::UsePortableFolder(KX_DATA_DIR "/");  // the shipped WWL/BEX table for the locators
    kx::Language = "EN";
    return 0;
}

namespace {

void ScanAll(std::string_view bytes, bool utf8, std::size_t from) {
    kx::AdifScanner scanner(bytes, utf8, from);
    kx::AdifTag tag;
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    std::size_t last = scanner.Position();
    std::size_t steps = 0;
    kx::AdifCodePageVote vote(utf8);
    while (scanner.Next(tag)) {
        Check(scanner.Position() > last, "scanner moves on at every tag");
        last = scanner.Position();
        Check(tag.start < bytes.size() && bytes[tag.start] == '<', "tag starts at a '<'");
        for (std::string_view part : {tag.name, tag.type, tag.value}) {
            if (part.empty()) continue;
            Check(part.data() >= begin && part.data() + part.size() <= end,
                  "tag parts lie inside the input");
        }
        if (tag.kind == kx::AdifTag::Kind::Field) {
            vote.Add(tag.value);
            for (kx::AdifCodePage page :
                 {kx::AdifCodePage::Windows1257, kx::AdifCodePage::Iso8859_13,
                  kx::AdifCodePage::Windows1252}) {
                const std::string text = kx::DecodeAdifValue(tag.value, utf8, page);
                for (unsigned char c : text) Check(c >= 32, "decoded values hold no control bytes");
            }
        }
        Check(++steps <= bytes.size(), "at most one tag per byte");
    }
    const kx::AdifCodePage page = vote.Decide();
    Check(page == kx::AdifCodePage::Windows1257 || page == kx::AdifCodePage::Iso8859_13 ||
              page == kx::AdifCodePage::Windows1252,
          "the vote names one of the three code pages");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const kx::AdifLayout layout = kx::ReadAdifLayout(bytes);
    Check(layout.bodyStart <= bytes.size(), "body starts inside the file");
    ScanAll(bytes, layout.utf8, layout.bodyStart);
    ScanAll(bytes, !layout.utf8, 0);

    kx::QSOLog log("EN");
    const kx::AdifImportResult first = kx::ImportAdifBytes(log, bytes);
    Check(first.status != kx::AdifImportStatus::MissingFile, "bytes are never a missing file");
    Check(first.taken >= 0 && first.taken + first.duplicates <= first.lyRecords &&
              first.lyRecords <= first.records,
          "import counters add up");
    if (first.status != kx::AdifImportStatus::Imported) {
        Check(log.Rows() == kx::QSOLog("EN").Rows(), "a refused file changes nothing");
        return 0;
    }
    Check(log.QSOCount() == first.taken, "every row taken is a QSO of the log");
    for (const kx::QSORow& row : log.Rows()) {
        Check(static_cast<int>(row.size()) == log.ColCount(), "rows are as wide as the table");
        for (const std::string& field : row)
            Check(kxfuzz::OneLineField(field), "no TAB, CR or LF in a field");
    }
    for (int r = 1; r < log.RowCount(); ++r)
        if (log.QSOCount() > 0)
            Check(kx::IsLYCall(log.Field(r, kx::colCallsign)), "only LY calls are taken");

    kx::QSOLog reread("EN");
    reread.ReadFromBytes(log.ToFileBytes());
    Check(reread.Rows() == log.Rows(), "the imported log reads back as written");

    const auto before = log.Rows();
    const kx::AdifImportResult again = kx::ImportAdifBytes(log, bytes);
    Check(again.taken == 0 && log.Rows() == before,
          "a second import of the same file takes nothing");
    return 0;
}
