// Real ADI files exported by other programs (tests/fixtures/adif, see SOURCES.md there):
// every one imports without a failure and gives every LY QSO it holds. The expected
// numbers come from count_ly.py beside the files, a reading independent of the program.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "award/AdifExport.h"
#include "award/AwardGroups.h"
#include "log/AdifImport.h"
#include "log/AdifReader.h"
#include "log/QSOLog.h"
#include "platform/FileIO.h"
#include "support/TempFolder.h"

namespace {

struct RealFile {
    const char* name;
    int ly;     // distinct LY QSOs of the file
    int allLY;  // the same after every CALL was made to begin with "LY"
};

constexpr RealFile kFiles[] = {
    {"Matir_adifparser_lotw.adi", 0, 250},
    {"SydneyOwl_AdifParser_ADIF_317_test_QSOs_2026_03_22.adi", 6, 6192},
    {"hamradiolog-net_adif_Log4OM.adi", 0, 118},
    {"hamradiolog-net_adif_N3FJP-AClogAdif.adi", 0, 432},
    {"hamradiolog-net_adif_qrz.adi", 0, 917},
    {"k0swe_adif-parser-ts_js8call.adi", 0, 1},
    {"k0swe_adif-parser-ts_lotw.adi", 0, 1},
    {"k0swe_adif-parser-ts_qrz.adi", 0, 3},
    {"k0swe_adif-parser-ts_standard-sample.adi", 0, 2},
    {"k0swe_adif-parser-ts_wsjtx.adi", 0, 1},
    {"urbancamo_adif-processor_2020-12-14-test-from-loghx-shuttle1.adi", 0, 1},
    {"urbancamo_adif-processor_M0KPW_2021_07_06_144MHz.adi", 0, 45},
    {"urbancamo_adif-processor_WW4N_POTA-K-5490-20210704.adi", 0, 49},
    {"urbancamo_adif-processor_m0nom_p.204681.20210116183312.adi", 10, 4555},
    {"urbancamo_adif-processor_no-qso-time.adi", 0, 1},
};

std::string Fixture(const std::string& name) {
    return kx::ReadFileBytes(std::string(KX_FIXTURES_DIR) + "/adif/" + name);
}

// The file with the first two letters of every CALL value replaced by "LY" (lengths stay).
std::string EveryCallLY(std::string text) {
    std::string lower = text;
    for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    for (std::size_t p = lower.find("<call:"); p != std::string::npos;
         p = lower.find("<call:", p + 1)) {
        const std::size_t gt = lower.find('>', p);
        if (gt == std::string::npos || gt + 2 >= text.size()) break;
        text[gt + 1] = 'L';
        text[gt + 2] = 'Y';
    }
    return text;
}

// The MODE and SUBMODE of each record (in capitals) by call sign, QSO_DATE and the hour
// and minute of TIME_ON; the first record of a key counts.
using QsoKey = std::tuple<std::string, std::string, std::string>;
std::map<QsoKey, std::pair<std::string, std::string>> ModesOf(const std::string& text) {
    std::map<QsoKey, std::pair<std::string, std::string>> modes;
    const kx::AdifLayout layout = kx::ReadAdifLayout(text);
    kx::AdifScanner scanner(text, layout.utf8, layout.bodyStart);
    std::map<std::string, std::string> rec;
    kx::AdifTag tag;
    while (scanner.Next(tag)) {
        if (tag.kind == kx::AdifTag::Kind::Field) {
            std::string name = kx::UpperAscii(tag.name);
            if (!rec.count(name)) rec[name] = kx::UpperAscii(kx::TrimField(tag.value));
            continue;
        }
        const std::string time = rec["TIME_ON"].substr(0, 4);
        modes.emplace(QsoKey{rec["CALL"], rec["QSO_DATE"], time},
                      std::pair{rec["MODE"], rec["SUBMODE"]});
        rec.clear();
    }
    return modes;
}

class RealAdifFiles : public ::testing::TestWithParam<RealFile> {
protected:
    void SetUp() override {
        folder.copyData("BEXWWL.dat");
        folder.makeProgramFolder();
    }
    kxtest::TempFolder folder;
};

}  // namespace

TEST_P(RealAdifFiles, EveryLYQsoOfTheFileIsTaken) {
    kx::QSOLog log("EN");
    const auto r = kx::ImportAdifBytes(log, Fixture(GetParam().name));
    EXPECT_EQ(r.status, kx::AdifImportStatus::Imported);
    EXPECT_EQ(r.taken, GetParam().ly);
    for (int row = 1; row <= r.taken; ++row) {
        EXPECT_EQ(log.Field(row, kx::colCallsign).substr(0, 2), "LY");
        EXPECT_EQ(log.Field(row, kx::colDate).size(), 10u) << log.Field(row, kx::colCallsign);
    }
}

TEST_P(RealAdifFiles, WithEveryCallMadeLYEveryQsoIsTakenAndTheFileStaysReadable) {
    kx::QSOLog log("EN");
    const auto r = kx::ImportAdifBytes(log, EveryCallLY(Fixture(GetParam().name)));
    EXPECT_EQ(r.taken, GetParam().allLY);
    log.Write(folder.file("QSO.dat"));
    kx::QSOLog back("EN");
    back.ReadFromBytes(folder.read("QSO.dat"));
    EXPECT_EQ(back.DataRowCount(), log.DataRowCount());
    EXPECT_EQ(back.ColCount(), kx::kQSOFields);
}

TEST_P(RealAdifFiles, TheModeTheOperatorUsedIsKeptCountedInItsGroupAndExportedBack) {
    const std::string original = EveryCallLY(Fixture(GetParam().name));
    kx::QSOLog log("EN");
    kx::ImportAdifBytes(log, original);
    kx::AdifExportResult written;
    const std::string exported = kx::AdifExportText(log, {}, written);
    const auto before = ModesOf(original);
    int checked = 0;
    for (const auto& [key, modes] : ModesOf(exported)) {
        const auto at = before.find(key);
        ASSERT_NE(at, before.end()) << std::get<0>(key);
        const auto& [mode, submode] = at->second;
        const kx::ModeInfo* info = kx::FindMode(mode);
        // A MODE that is itself a submode or another program's name (MODE PSK31) is
        // written as ADIF names it; every other pair comes back as the file gave it.
        if (submode.empty() && info && info->adifMode != mode) continue;
        EXPECT_EQ(modes, at->second) << std::get<0>(key);
        // The stored mode (the submode where there is one) counts in the MODE's group.
        if (info && !submode.empty()) {
            const kx::ModeInfo* stored = kx::FindMode(submode);
            ASSERT_NE(stored, nullptr) << submode;
            EXPECT_EQ(stored->kind, info->kind) << submode;
        }
        ++checked;
    }
    EXPECT_EQ(checked > 0, written.qsos > 0);
}

INSTANTIATE_TEST_SUITE_P(Exporters, RealAdifFiles, ::testing::ValuesIn(kFiles),
                         [](const ::testing::TestParamInfo<RealFile>& info) {
                             std::string n;
                             for (const char* c = info.param.name; *c && *c != '.'; ++c)
                                 n += (isalnum(static_cast<unsigned char>(*c)) ? *c : '_');
                             return n;
                         });

TEST(BrokenAdifFiles, AFileWithoutRecordEndsIsABadFormat) {
    kx::QSOLog log("EN");
    EXPECT_EQ(kx::ImportAdifBytes(log, Fixture("urbancamo_adif-processor_DP9X.adi")).status,
              kx::AdifImportStatus::BadFormat);
    EXPECT_EQ(kx::ImportAdifBytes(log, Fixture("Matir_adifparser_lotw_empty.adi")).status,
              kx::AdifImportStatus::BadFormat);
    EXPECT_TRUE(log.IsEmptyLog());
}
