// How near the floor: each figure beside what bounds it from below, measured in the same
// run, and the ratio.
//   - kvadrix-tool import of a generated ADI file (100,000 and 1,000,000 records, every
//     fifth LY) into an empty log, the whole process (CPU time, user + system), against
//     reading the file and scanning it for "<" with memchr; its peak resident set against
//     the file's size;
//   - the sort of the core by each key (100,000 and 2,000,000 QSOs, CPU time), against
//     loading the same log from its file's bytes;
//   - one kvadrix-tool call of square LAT LON and of square LOCATOR (CPU time per call)
//     against an empty process (/bin/true).
//
//   bench_floor_bench [--quick] [--sort-only] [--tool PATH]
//     --quick leaves out the 1,000,000-record import and the 2,000,000-QSO sorts;
//     --sort-only measures the sorts alone; --tool runs another kvadrix-tool
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchData.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"

namespace {

namespace fs = std::filesystem;

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return secs(u.ru_utime) + secs(u.ru_stime);
}

// The floor of an import: the file read whole and scanned for "<".
double ReadAndScan(const std::string& path) {
    const double start = CpuSeconds();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string bytes(fs::file_size(path), '\0');
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    std::size_t tags = 0;
    for (const char* p = bytes.data(); p < bytes.data() + got;) {
        const void* lt = std::memchr(p, '<', static_cast<std::size_t>(bytes.data() + got - p));
        if (!lt) break;
        ++tags;
        p = static_cast<const char*>(lt) + 1;
    }
    benchmark::DoNotOptimize(tags);
    return CpuSeconds() - start;
}

void Line(const char* what, double value, const char* unit, double floor, double goal) {
    std::printf("%-44s %10.2f %-3s floor %9.2f  ratio %6.2f  (goal %.2f)\n", what, value, unit,
                floor, value / floor, goal);
    std::fflush(stdout);
}

// A folder of the portable layout with the shipped WWL/BEX table and no log.
std::string FreshFolder(const fs::path& root, int n) {
    const fs::path dir = root / ("folder" + std::to_string(n));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(std::string(KX_DATA_DIR) + "/BEXWWL.dat", dir / "BEXWWL.dat");
    return dir.string();
}

void ImportFigures(const std::string& tool, const fs::path& root, int records, int runs) {
    const std::string adif = (root / ("big" + std::to_string(records) + ".adi")).string();
    {
        const std::string file = kxbench::BigAdif(records);
        std::FILE* f = std::fopen(adif.c_str(), "wb");
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    const double size = static_cast<double>(fs::file_size(adif));
    double floor = 1e9, best = 1e9, peak = 1e18;
    for (int i = 0; i < runs; ++i) {
        floor = std::min(floor, ReadAndScan(adif));
        const std::string folder = FreshFolder(root, i);
        const kxbench::RunFigures r =
            kxbench::RunProgram({tool, "--folder", folder, "import", adif}, true);
        if (r.peak < 0) {
            std::printf("import of %d records failed\n", records);
            return;
        }
        best = std::min(best, r.seconds);
        peak = std::min(peak, r.peak);
    }
    char what[96];
    std::snprintf(what, sizeof what, "import %d records (%.0f MB), CPU", records, size / 1e6);
    Line(what, best * 1e3, "ms", floor * 1e3, 3.0);
    std::snprintf(what, sizeof what, "import %d records, peak memory", records);
    Line(what, peak / 1e6, "MB", size / 1e6, 0.4);
    fs::remove(adif);
}

void SortFigures(int rows) {
    static const char* names[] = {"date", "call", "band", "mode", "bex"};
    const kx::QSOLog unsorted = kxbench::BigLog(rows);
    const std::string bytes = unsorted.ToFileBytes();
    double load = 1e9;
    for (int i = 0; i < 3; ++i) {
        kx::QSOLog log("EN");
        const double start = CpuSeconds();
        log.ReadFromBytes(bytes);
        load = std::min(load, CpuSeconds() - start);
        benchmark::DoNotOptimize(log.RowCount());
    }
    for (int k = 0; k < 5; ++k) {
        double best = 1e9;
        for (int i = 0; i < 3; ++i) {
            kx::QSOLog log = unsorted;
            const double start = CpuSeconds();
            kx::SortQSOs(log, static_cast<kx::SortKey>(k));
            best = std::min(best, CpuSeconds() - start);
        }
        char what[96];
        std::snprintf(what, sizeof what, "sort %d QSOs by %s (floor: load)", rows, names[k]);
        Line(what, best * 1e3, "ms", load * 1e3, rows <= 100000 ? 15e-3 / load : 0.4 / load);
    }
}

void StartFigures(const std::string& tool, const fs::path& root) {
    const std::string folder = FreshFolder(root, 99);
    constexpr int kCalls = 200;
    auto perCall = [&](const std::vector<std::string>& args) {
        double total = 0;
        for (int i = 0; i < kCalls; ++i) {
            const kxbench::RunFigures r = kxbench::RunProgram(args, true);
            if (r.peak < 0) return -1.0;
            total += r.seconds;
        }
        return total / kCalls;
    };
    const double empty = perCall({"/bin/true"});
    Line("empty process (/bin/true), CPU per call", empty * 1e3, "ms", empty * 1e3, 1);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {tool, "--folder", folder, "square", "54.68", "25.28"},
             {tool, "--folder", folder, "square", "KO24PQ"}}) {
        const double t = perCall(args);
        const std::string what = "kvadrix-tool " + args[3] + " " + args[4] +
                                 (args.size() > 5 ? " " + args[5] : "") + ", CPU per call";
        Line(what.c_str(), t * 1e3, "ms", empty * 1e3, 3e-3 / empty);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string tool = KX_TOOL_PATH;
    bool quick = false, sortOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) quick = true;
        if (std::strcmp(argv[i], "--sort-only") == 0) sortOnly = true;
        if (std::strcmp(argv[i], "--tool") == 0 && i + 1 < argc) tool = argv[++i];
    }
    const fs::path root = fs::temp_directory_path() / ("kvadrix-floor-" + std::to_string(getpid()));
    fs::create_directories(root);
    std::printf(
        "(goal: the ratio at most the figure in brackets; sort goals are 15 ms at "
        "100,000 and 0.4 s at 2,000,000, given as ratios to the load)\n");
    if (!sortOnly) {
        StartFigures(tool, root);
        ImportFigures(tool, root, 100000, 3);
        if (!quick) ImportFigures(tool, root, 1000000, 2);
    }
    SortFigures(100000);
    if (!quick) SortFigures(2000000);
    fs::remove_all(root);
    return 0;
}
