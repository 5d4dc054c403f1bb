// The ADIF import at contest size: a generated ADI file of 100,000 records (about 30 MB,
// 20,000 of them LY) read, and imported into a log of 20,000 rows with the square finder
// and SaveBase after it, as the Import button does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchData.h"
#include "log/AdifImport.h"
#include "log/AdifReader.h"
#include "log/FindBexs.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/FileIO.h"
#include "platform/Globals.h"
#include "platform/Paths.h"

namespace {

// A log of `rows` LY QSOs of the same kind; half of those of a 20,000-row log are in the
// file of 100,000 records as well (duplicates that the import leaves out).
kx::QSOLog LogOf(int rows) {
    kx::QSOLog log("EN");
    const std::string file = kxbench::BigAdif(rows * 5, 50000);
    kx::ImportAdifBytes(log, file);
    return log;
}

// Reading and parsing: every specifier of the file, with the values decoded.
void BM_AdifRead(benchmark::State& state) {
    const std::string file = kxbench::BigAdif(static_cast<int>(state.range(0)));
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
    kxbench::BenchFolder folder;
    const std::string file = kxbench::BigAdif(static_cast<int>(state.range(0)));
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
    kxbench::BenchFolder folder;
    const std::string adif = kx::UserFolder() + "big.adi";
    {
        const std::string file = kxbench::BigAdif(static_cast<int>(state.range(0)));
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
    kxbench::BenchFolder folder;
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
