// Generated inputs of the benchmarks: logs, ADIF files and a temporary program folder.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "log/QSOLog.h"
#include "platform/Globals.h"
#include "platform/Paths.h"

namespace kxbench {

// A log of `rows` QSOs with varied dates, times, calls, bands, modes and squares; some
// empty fields as a real log has them.
inline kx::QSOLog BigLog(int rows) {
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

inline const char* kLocators[] = {"KO24OT", "KO24PQ", "KO25CD", "KO15AA", "KO14BB", "KO13XX"};
inline const char* kBands[] = {"160M", "80M", "40M", "20M", "15M", "10M", "2M", "70CM"};
inline const char* kModes[] = {"CW", "SSB", "FM", "RTTY", "FT8"};

inline void Field(std::string& out, const char* name, const std::string& value) {
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
inline std::string Record(int i, bool ly) {
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

// `records` records from number `first` on; every `lyEvery`-th one an LY station.
inline std::string BigAdif(int records, int first = 0, int lyEvery = 5) {
    std::string out =
        "Generated for the benchmark\r\n<ADIF_VER:5>3.1.4 <PROGRAMID:4>Test <EOH>\r\n";
    out.reserve(static_cast<std::size_t>(records) * 330);
    for (int i = first; i < first + records; ++i) out += Record(i, i % lyEvery == 0);
    return out;
}

// Runs a program to its end; its peak resident set in bytes and its time in seconds
// (user + system), or a negative peak when it failed. quiet: its output goes to /dev/null.
struct RunFigures {
    double peak = -1;
    double seconds = 0;
};
inline RunFigures RunProgram(const std::vector<std::string>& args, bool quiet = false) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        if (quiet) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {static_cast<double>(usage.ru_maxrss) * 1024,
            secs(usage.ru_utime) + secs(usage.ru_stime)};
}

// A temporary program folder with the shipped WWL/BEX table, made the program folder.
class BenchFolder {
public:
    BenchFolder() {
        dir_ = std::filesystem::temp_directory_path() / "kvadrix-bench-folder";
        std::filesystem::create_directories(dir_);
        std::filesystem::copy_file(std::string(KX_DATA_DIR) + "/BEXWWL.dat", dir_ / "BEXWWL.dat",
                                   std::filesystem::copy_options::overwrite_existing);
        kx::UsePortableFolder(dir_.string() + "/");
    }
    ~BenchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

private:
    std::filesystem::path dir_;
};

}  // namespace kxbench
