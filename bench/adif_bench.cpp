// The ADIF import at contest size: a generated ADI file of 100,000 records (about 30 MB,
// 20,000 of them LY) read, and imported into a log of 20,000 rows with the square finder
// and SaveBase after it, as the Import button does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "log/AdifImport.h"
#include "log/AdifReader.h"
#include "log/FindBexs.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/FileIO.h"
#include "platform/Globals.h"

namespace {

const char* kLocators[] = {"KO24OT", "KO24PQ", "KO25CD", "KO15AA", "KO14BB", "KO13XX"};
const char* kBands[] = {"160M", "80M", "40M", "20M", "15M", "10M", "2M", "70CM"};
const char* kModes[] = {"CW", "SSB", "FM", "RTTY", "FT8"};

void Field(std::string& out, const char* name, const std::string& value) {
    out += '<';
    out += name;
    out += ':';
    out += std::to_string(value.size());
    out += '>';
    out += value;
    out += ' ';
}

// Record i of the file: every fifth record an LY station; about 300 bytes a record, as
// contest loggers write them.
std::string Record(int i, bool ly) {
    const unsigned h = static_cast<unsigned>(i) * 2654435761u;
    char buf[32];
    std::string r;
    std::snprintf(buf, sizeof buf, "%s%u%c%c%c", ly ? "LY" : (h & 1 ? "OH" : "DL"),
                  1 + (h >> 3) % 9, 'A' + (h >> 7) % 26, 'A' + (h >> 11) % 26,
                  'A' + (h >> 19) % 26);
    Field(r, "CALL", buf);
    std::snprintf(buf, sizeof buf, "20%02u%02u%02u", 5 + h % 20, 1 + (h >> 5) % 12,
                  1 + (h >> 9) % 28);
    Field(r, "QSO_DATE", buf);
    std::snprintf(buf, sizeof buf, "%02u%02u%02u", (h >> 13) % 24, (h >> 17) % 60, i % 60);
    Field(r, "TIME_ON", buf);
    Field(r, "TIME_OFF", buf);
    Field(r, "BAND", kBands[h % 8]);
    Field(r, "MODE", kModes[(h >> 4) % 5]);
    Field(r, "FREQ", "14.025");
    Field(r, "RST_SENT", "599");
    Field(r, "RST_RCVD", "599");
    Field(r, "NAME", h % 3 ? "Jonas" : "Petras");
    Field(r, "QTH", h % 5 ? "Kaunas, LT" : "Vilnius");
    Field(r, "GRIDSQUARE", kLocators[h % 6]);
    Field(r, "MY_GRIDSQUARE", "KO24PQ");
    Field(r, "COMMENT", h % 4 ? "TNX QSO 73" : "QTH IS K26");
    Field(r, "OPERATOR", "LY2XX");
    Field(r, "STATION_CALLSIGN", "LY2XX");
    r += "<EOR>\r\n";
    return r;
}

std::string BigAdif(int records, int first = 0) {
    std::string out =
        "Generated for the benchmark\r\n<ADIF_VER:5>3.1.4 <PROGRAMID:4>Test <EOH>\r\n";
    out.reserve(static_cast<std::size_t>(records) * 330);
    for (int i = first; i < first + records; ++i) out += Record(i, i % 5 == 0);
    return out;
}

// A log of `rows` LY QSOs of the same kind; half of those of a 20,000-row log are in the
// file of 100,000 records as well (duplicates that the import leaves out).
kx::QSOLog LogOf(int rows) {
    kx::QSOLog log("EN");
    const std::string file = BigAdif(rows * 5, 50000);
    kx::ImportAdifBytes(log, file);
    return log;
}

class ProgramFolder {
public:
    ProgramFolder() {
        dir_ = std::filesystem::temp_directory_path() / "kvadrix-bench-folder";
        std::filesystem::create_directories(dir_);
        std::filesystem::copy_file(std::string(KX_DATA_DIR) + "/BEXWWL.dat", dir_ / "BEXWWL.dat",
                                   std::filesystem::copy_options::overwrite_existing);
        kx::ProgramFolder = dir_.string() + "/";
    }
    ~ProgramFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

private:
    std::filesystem::path dir_;
};

// Reading and parsing: every specifier of the file, with the values decoded.
void BM_AdifRead(benchmark::State& state) {
    const std::string file = BigAdif(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const kx::AdifLayout layout = kx::ReadAdifLayout(file);
        kx::AdifScanner scanner(file, layout.utf8, layout.bodyStart);
        kx::AdifTag tag;
        std::size_t records = 0, values = 0;
        while (scanner.Next(tag)) {
            if (tag.kind == kx::AdifTag::Kind::EndOfRecord) ++records;
            values += tag.value.size();
        }
        benchmark::DoNotOptimize(records);
        benchmark::DoNotOptimize(values);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
    state.counters["MB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_AdifRead)->Arg(100000)->Unit(benchmark::kMillisecond);

// The import itself (records read, LY ones taken, duplicates left out), no file written.
void BM_AdifImportBytes(benchmark::State& state) {
    ProgramFolder folder;
    const std::string file = BigAdif(static_cast<int>(state.range(0)));
    const kx::QSOLog base = LogOf(20000);
    for (auto _ : state) {
        state.PauseTiming();
        kx::QSOLog log = base;
        state.ResumeTiming();
        const auto r = kx::ImportAdifBytes(log, file);
        benchmark::DoNotOptimize(r.taken);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_AdifImportBytes)->Arg(100000)->Unit(benchmark::kMillisecond);

// The whole Import button without the windows: the file read and imported into a log of
// 20,000 rows and written, the square finder over the log, then SaveBase (sort, write).
void BM_ImportAction(benchmark::State& state) {
    ProgramFolder folder;
    const std::string adif = kx::ProgramFolder + "big.adi";
    {
        const std::string file = BigAdif(static_cast<int>(state.range(0)));
        std::FILE* f = std::fopen(adif.c_str(), "wb");
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    const kx::QSOLog base = LogOf(20000);
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        kx::QSOLog log = base;
        state.ResumeTiming();
        kx::ImportAdifFile(log, adif, kx::LogFilePath());
        kx::FindBEXs(log);
        kx::SaveBase(log, kx::SortKey::DateTime);
        rows = log.DataRowCount();
    }
    state.counters["rows"] = rows;
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(adif)));
}
BENCHMARK(BM_ImportAction)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The square finder alone over a log of 40,000 rows.
void BM_FindBEXs(benchmark::State& state) {
    ProgramFolder folder;
    kx::QSOLog base = LogOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        kx::QSOLog log = base;
        state.ResumeTiming();
        kx::FindBEXs(log);
    }
}
BENCHMARK(BM_FindBEXs)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace
