// Speed of the city drop-down's work over the shipped CityBEX.dat: loading the names,
// the prefix search that runs on every change of the city field (with the sort of the
// drop-down), and the keyed lookups of the city and call-sign tables.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/Collation.h"
#include "platform/Globals.h"
#include "platform/Paths.h"
#include "tables/CallTable.h"
#include "tables/CityTable.h"

namespace {

void UseShippedFolder() {
    kx::UsePortableFolder(std::string(KX_DATA_DIR) + "/");
}

const kx::CityNames& Names() {
    static const kx::CityNames names = [] {
        UseShippedFolder();
        return kx::CityNames::Load();
    }();
    return names;
}

// The names list as the calculator builds it at each showing.
void BM_LoadNames(benchmark::State& state) {
    UseShippedFolder();
    for (auto _ : state) benchmark::DoNotOptimize(kx::CityNames::Load());
    state.counters["names"] = static_cast<double>(Names().entries().size());
}
BENCHMARK(BM_LoadNames)->Unit(benchmark::kMillisecond);

// One change of the city field: the search over every name, then the drop-down's order.
void BM_PrefixSearch(benchmark::State& state, const char* typed) {
    const kx::CityNames& names = Names();
    std::size_t found = 0;
    for (auto _ : state) {
        std::vector<std::string> items = names.Search(typed);
        std::stable_sort(items.begin(), items.end(), kx::CollateLess);
        found = items.size();
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_PrefixSearch, one_letter_k, "k")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PrefixSearch, two_letters_pa, "pa")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PrefixSearch, vilni, "Vilni")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PrefixSearch, no_match, "Xq")->Unit(benchmark::kMicrosecond);

// The look-up button: the keyed lookup of a name on an unchanged file.
void BM_CityEntry(benchmark::State& state) {
    const std::vector<std::string>& all = Names().entries();
    std::vector<std::string> keys;
    std::mt19937 rng(11);
    std::uniform_int_distribution<std::size_t> pick(1, all.size() - 1);
    for (int i = 0; i < 1024; ++i) keys.push_back(all[pick(rng)]);
    keys.push_back("Nowhere");
    UseShippedFolder();
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(kx::CityEntry(keys[i++ % keys.size()]));
}
BENCHMARK(BM_CityEntry)->Unit(benchmark::kMicrosecond);

void BM_CallSignSquares(benchmark::State& state) {
    UseShippedFolder();
    for (auto _ : state) benchmark::DoNotOptimize(kx::CallSignSquares("LY1AB"));
}
BENCHMARK(BM_CallSignSquares)->Unit(benchmark::kMicrosecond);

}  // namespace
