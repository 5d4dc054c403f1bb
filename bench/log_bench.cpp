// The QSO log at contest size: loading, writing and sorting 100,000 rows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchData.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/FileIO.h"

namespace {

std::string TempLogPath() {
    return (std::filesystem::temp_directory_path() / "kvadrix-bench-QSO.dat").string();
}

void BM_LogWrite(benchmark::State& state) {
    const kx::QSOLog log = kxbench::BigLog(static_cast<int>(state.range(0)));
    const std::string path = TempLogPath();
    for (auto _ : state) log.Write(path);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    std::remove(path.c_str());
}
BENCHMARK(BM_LogWrite)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LogLoad(benchmark::State& state) {
    const std::string path = TempLogPath();
    kxbench::BigLog(static_cast<int>(state.range(0))).Write(path);
    for (auto _ : state) {
        kx::QSOLog log("EN");
        log.Load(path, "EN");
        benchmark::DoNotOptimize(log.RowCount());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    std::remove(path.c_str());
}
BENCHMARK(BM_LogLoad)->Arg(100000)->Unit(benchmark::kMillisecond);

// Each sort key over the same unsorted log (the copy is not timed).
void BM_LogSort(benchmark::State& state) {
    const kx::QSOLog unsorted = kxbench::BigLog(static_cast<int>(state.range(0)));
    const auto key = static_cast<kx::SortKey>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        kx::QSOLog log = unsorted;
        state.ResumeTiming();
        kx::SortQSOs(log, key);
        benchmark::DoNotOptimize(log.RowCount());
    }
}
BENCHMARK(BM_LogSort)
    ->ArgsProduct({{100000},
                   {static_cast<int>(kx::SortKey::DateTime),
                    static_cast<int>(kx::SortKey::Callsign), static_cast<int>(kx::SortKey::Band),
                    static_cast<int>(kx::SortKey::Mode), static_cast<int>(kx::SortKey::BEX)}})
    ->Unit(benchmark::kMillisecond);

// A sort of a log that is already in order, as after every Save QSO.
void BM_LogSortSorted(benchmark::State& state) {
    kx::QSOLog sorted = kxbench::BigLog(static_cast<int>(state.range(0)));
    kx::SortQSOs(sorted, kx::SortKey::DateTime);
    for (auto _ : state) {
        state.PauseTiming();
        kx::QSOLog log = sorted;
        state.ResumeTiming();
        kx::SortQSOs(log, kx::SortKey::DateTime);
        benchmark::DoNotOptimize(log.RowCount());
    }
}
BENCHMARK(BM_LogSortSorted)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
