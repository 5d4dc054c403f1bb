// The QSO log at contest size: loading, writing and sorting 100,000 rows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/FileIO.h"

namespace {

// A log of `rows` QSOs with varied dates, times, calls, bands, modes and squares; some
// empty fields as a real log has them.
kx::QSOLog BigLog(int rows) {
    static const char* bands[] = {"160M", "80M", "40M", "20M", "15M", "10M", "6M", "2M", "70CM"};
    static const char* modes[] = {"CW", "SSB", "FM", "RTTY", "FT8"};
    kx::QSOLog log("EN");
    for (int i = 0; i < rows; ++i) {
        const int row = i == 0 ? 1 : log.AddEmptyRow();
        const unsigned h = static_cast<unsigned>(i) * 2654435761u;
        char date[16], time[8], call[16];
        std::snprintf(date, sizeof date, "20%02u-%02u-%02u", 5 + h % 20, 1 + (h >> 5) % 12,
                      1 + (h >> 9) % 28);
        std::snprintf(time, sizeof time, "%02u:%02u", (h >> 13) % 24, (h >> 17) % 60);
        std::snprintf(call, sizeof call, "LY%u%c%c%c", 1 + (h >> 3) % 5, 'A' + (h >> 7) % 26,
                      'A' + (h >> 11) % 26, 'A' + (h >> 19) % 26);
        log.SetCell(row, kx::colDate, date);
        log.SetCell(row, kx::colSUTC, time);
        log.SetCell(row, kx::colCallsign, call);
        log.SetCell(row, kx::colBand, bands[h % 9]);
        log.SetCell(row, kx::colMode, modes[(h >> 4) % 5]);
        if (h % 3) {
            log.SetCell(row, kx::colQTH, "KAUNAS");
            log.SetCell(row, kx::colName, "JONAS");
            log.SetCell(row, kx::colWWL, "KO24OT");
            log.SetCell(row, kx::colBEX, "K26");
        }
        if (h % 7 == 0) log.SetCell(row, kx::colRemarks, "TNX QSO, 73 \"GL\"");
    }
    return log;
}

std::string TempLogPath() {
    return (std::filesystem::temp_directory_path() / "kvadrix-bench-QSO.dat").string();
}

void BM_LogWrite(benchmark::State& state) {
    const kx::QSOLog log = BigLog(static_cast<int>(state.range(0)));
    const std::string path = TempLogPath();
    for (auto _ : state) log.Write(path);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
    std::remove(path.c_str());
}
BENCHMARK(BM_LogWrite)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LogLoad(benchmark::State& state) {
    const std::string path = TempLogPath();
    BigLog(static_cast<int>(state.range(0))).Write(path);
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
    const kx::QSOLog unsorted = BigLog(static_cast<int>(state.range(0)));
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
    kx::QSOLog sorted = BigLog(static_cast<int>(state.range(0)));
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
