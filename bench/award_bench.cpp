// The award list of a large log: one pass over the rows, sorted seen-set and entries.
#include <benchmark/benchmark.h>

#include <string>

#include "award/AwardList.h"
#include "log/QSOLog.h"

namespace {

// A log of `rows` QSOs spread over the 640 codes A00..P39 with assorted bands and modes,
// some rows without a square.
kx::QSOLog BigLog(int rows) {
    static const char* bands[] = {"160M", "80M", "40M", "20M", "15M", "10M", "6M", "2M", "70CM"};
    static const char* modes[] = {"CW", "SSB", "FM", "BPSK31", "RTTY", "FT8", "AM"};
    kx::QSOLog log("EN");
    for (int i = 0; i < rows; ++i) {
        int row = i == 0 ? 1 : log.AddEmptyRow();
        int square = (i * 7919) % 700;
        std::string bex = square >= 640
                              ? "?"
                              : std::string(1, char('A' + square / 40)) +
                                    char('0' + square % 40 / 10) + char('0' + square % 10);
        log.SetCell(row, kx::colDate, "2009-01-" + std::to_string(10 + i % 20));
        log.SetCell(row, kx::colSUTC, "12:" + std::to_string(10 + i % 50));
        log.SetCell(row, kx::colCallsign,
                    "LY" + std::to_string(1 + i % 5) + "A" + std::string(1, char('A' + i % 26)));
        log.SetCell(row, kx::colBand, bands[i % 9]);
        log.SetCell(row, kx::colMode, modes[i % 7]);
        log.SetCell(row, kx::colBEX, bex);
    }
    return log;
}

void BM_AwardList(benchmark::State& state) {
    const kx::QSOLog log = BigLog(static_cast<int>(state.range(0)));
    // range(1) != 0: HF digital QSOs only.
    const kx::AwardFilter filter = state.range(1)
                                       ? kx::AwardFilter{kx::BandGroup::HF, kx::ModeGroup::Digital}
                                       : kx::AwardFilter{};
    for (auto _ : state) {
        kx::AwardList list = kx::MakeAwardList(log, filter);
        benchmark::DoNotOptimize(list);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_AwardList)->Args({50000, 0})->Args({50000, 1})->Unit(benchmark::kMillisecond);

}  // namespace
