// Speed of the grid computations and of the WWL/BEX table lookups on an unchanged file.
#include <benchmark/benchmark.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "geo/BexGrid.h"
#include "geo/Locator.h"
#include "platform/Globals.h"
#include "platform/Paths.h"
#include "tables/TableFile.h"
#include "tables/WwlTable.h"

namespace {

struct Point {
    float lat, lon;
};

// Points over the grid and a little around it.
std::vector<Point> Points() {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> lat(53.7f, 56.7f), lon(20.6f, 27.6f);
    std::vector<Point> pts(4096);
    for (Point& p : pts) p = {lat(rng), lon(rng)};
    return pts;
}

// The locators and codes of the shipped table, plus some that it does not hold.
struct Keys {
    std::vector<std::string> locators, codes;
};

Keys ShippedKeys() {
    kx::UsePortableFolder(std::string(KX_DATA_DIR) + "/");
    Keys k;
    const auto text = kx::TableTextOf(kx::kWwlTableFile);
    if (!text) return k;
    for (const auto& line : text->lines) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        k.codes.push_back(line.substr(0, eq));
        k.locators.push_back(line.substr(eq + 1, 6));
        k.locators.push_back(line.substr(line.size() - 6));
    }
    k.codes.push_back("E00");
    k.locators.push_back("JO99AA");
    return k;
}

// With argument 1 the lookups run inside one TableBatch (the square finder, an import,
// a list of points); with 0 every lookup looks at the file.
struct Batch {
    explicit Batch(const benchmark::State& state) {
        if (state.range(0) != 0) scope.emplace();
    }
    std::optional<kx::TableBatch> scope;
};

void BM_CalcBEX(benchmark::State& state) {
    Batch batch(state);
    kx::UsePortableFolder(std::string(KX_DATA_DIR) + "/");
    const auto pts = Points();
    size_t i = 0;
    for (auto _ : state) {
        const Point& p = pts[i++ & 4095];
        benchmark::DoNotOptimize(kx::CalcBEX(p.lat, p.lon));
    }
}
BENCHMARK(BM_CalcBEX)->Iterations(1'000'000)->ArgName("batch")->Arg(0)->Arg(1);

void BM_GridCode(benchmark::State& state) {
    const auto pts = Points();
    size_t i = 0;
    for (auto _ : state) {
        const Point& p = pts[i++ & 4095];
        benchmark::DoNotOptimize(kx::GridCodeOf(p.lat, p.lon));
    }
}
BENCHMARK(BM_GridCode)->Iterations(1'000'000);

void BM_CalcWWL(benchmark::State& state) {
    const auto pts = Points();
    size_t i = 0;
    for (auto _ : state) {
        const Point& p = pts[i++ & 4095];
        benchmark::DoNotOptimize(kx::CalcWWL(p.lat, p.lon));
    }
}
BENCHMARK(BM_CalcWWL)->Iterations(1'000'000);

void BM_FindBEXfromWWL(benchmark::State& state) {
    Batch batch(state);
    const Keys k = ShippedKeys();
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(kx::FindBEXfromWWL(k.locators[i++ % k.locators.size()]));
}
BENCHMARK(BM_FindBEXfromWWL)->Iterations(100'000)->ArgName("batch")->Arg(0)->Arg(1);

void BM_FindBEXfromWWL_FourCharacters(benchmark::State& state) {
    Batch batch(state);
    kx::UsePortableFolder(std::string(KX_DATA_DIR) + "/");
    const std::vector<std::string> keys{"KO24", "KO15", "KO05", "KO13", "JO99"};
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(kx::FindBEXfromWWL(keys[i++ % keys.size()]));
}
BENCHMARK(BM_FindBEXfromWWL_FourCharacters)->Iterations(100'000)->ArgName("batch")->Arg(0)->Arg(1);

void BM_fWWLtoBEX(benchmark::State& state) {
    Batch batch(state);
    const Keys k = ShippedKeys();
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(kx::fWWLtoBEX(k.locators[i++ % k.locators.size()]));
}
BENCHMARK(BM_fWWLtoBEX)->Iterations(100'000)->ArgName("batch")->Arg(0)->Arg(1);

void BM_SquareEntry(benchmark::State& state) {
    Batch batch(state);
    const Keys k = ShippedKeys();
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(kx::SquareEntry(k.codes[i++ % k.codes.size()]));
}
BENCHMARK(BM_SquareEntry)->Iterations(100'000)->ArgName("batch")->Arg(0)->Arg(1);

void BM_FindWWLfromBEX(benchmark::State& state) {
    Batch batch(state);
    const Keys k = ShippedKeys();
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(kx::FindWWLfromBEX(k.codes[i++ % k.codes.size()]));
}
BENCHMARK(BM_FindWWLfromBEX)->Iterations(100'000)->ArgName("batch")->Arg(0)->Arg(1);

}  // namespace
