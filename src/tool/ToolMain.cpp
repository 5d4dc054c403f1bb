// kvadrix-tool: the calculator, the import, the award count and the application of Kvadrix
// on the command line, on the same files as the window program (see Paths). Output is
// UTF-8, one result per line.
// Exit status: 0 success, 1 nothing found, 2 usage or file error (one line on stderr).

#include <unistd.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <locale>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "award/AdifExport.h"
#include "award/Application.h"
#include "award/AwardList.h"
#include "geo/BexGrid.h"
#include "geo/Locator.h"
#include "log/AdifImport.h"
#include "log/FindBexs.h"
#include "log/LogSession.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/FolderLock.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "tables/CallTable.h"
#include "tables/CityTable.h"
#include "tables/CommaList.h"
#include "tables/TableFile.h"
#include "tables/WwlTable.h"
#include "tool/ToolApplication.h"
#include "tool/ToolListen.h"

namespace {

constexpr int kOk = 0;
constexpr int kNotFound = 1;
constexpr int kError = 2;

struct Failure {
    std::string message;  // UTF-8
};

// A message of the table in UTF-8, in the environment's language.
std::string M(kx::Msg key, std::initializer_list<std::string_view> args = {}) {
    return kx::Utf8Message(key, args);
}

// Core text (Windows-1257) to UTF-8.
std::string Out(std::string_view cp1257) {
    return kx::Cp1257ToUtf8(cp1257);
}

// A UTF-8 argument as core text.
std::string In(std::string_view utf8) {
    auto text = kx::Utf8ToCp1257(utf8);
    if (!text) throw Failure{M(kx::Msg::ToolNotUtf8, {utf8})};
    return *text;
}

// A decimal number in degrees with "." or "," as decimal sign, as a 32-bit float.
float ParseDegrees(std::string_view text) {
    std::string t(text);
    for (char& c : t)
        if (c == ',') c = '.';
    const char* first = t.data();
    const char* last = t.data() + t.size();
    if (first != last && *first == '+') ++first;
    float value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (t.empty() || ec != std::errc() || ptr != last || !std::isfinite(value))
        throw Failure{M(kx::Msg::ToolNotANumber, {text})};
    return value;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// The result of one argument set: the lines the single form prints (core text), and
// whether anything was found.
struct Result {
    std::vector<std::string> lines;
    bool found = true;
    std::string missing;  // what the single form says when nothing was found
};

Result Square(const std::vector<std::string_view>& args) {
    Result r;
    std::string code;
    if (args.size() == 2) {
        code = kx::CalcBEX(ParseDegrees(args[0]), ParseDegrees(args[1]));
    } else if (args.size() == 1) {
        const std::string typed = In(args[0]);
        const auto locator = kx::LocatorOfSix(typed);
        if (!locator) throw Failure{M(kx::Msg::ToolSquareUsage)};
        code = kx::FindBEXfromWWL(kx::UpperAscii(*locator));
    } else {
        throw Failure{M(kx::Msg::ToolSquareUsage)};
    }
    r.found = !code.empty() && code != "?";
    r.lines.push_back(r.found ? code : std::string(1, '?'));
    return r;
}

Result Locator(const std::vector<std::string_view>& args) {
    if (args.size() != 2) throw Failure{M(kx::Msg::ToolLocatorUsage)};
    return Result{{kx::CalcWWL(ParseDegrees(args[0]), ParseDegrees(args[1]))}, true, {}};
}

Result Info(const std::vector<std::string_view>& args) {
    if (args.size() != 1) throw Failure{M(kx::Msg::ToolInfoUsage)};
    std::string code(kx::TrimField(In(args[0])));
    Result r;
    auto locators = kx::FindWWLfromBEX(code);
    auto lat = kx::LatBEX(code);
    auto lon = kx::LongBEX(code);
    if (!locators || !lat || !lon) {
        r.found = false;
        return r;
    }
    for (int i = 0; i < 8; i += 2) r.lines.push_back((*locators)[i] + "\t" + (*locators)[i + 1]);
    r.lines.push_back("NW " + lat->north + " " + lon->west);
    r.lines.push_back("NE " + lat->north + " " + lon->east);
    r.lines.push_back("SW " + lat->south + " " + lon->west);
    r.lines.push_back("SE " + lat->south + " " + lon->east);
    return r;
}

Result Codes(const std::string& entry) {
    Result r;
    std::string joined;
    for (const auto& item : kx::SplitCommaList(entry)) {
        if (item.empty()) continue;
        if (!joined.empty()) joined += ",";
        joined += item;
    }
    r.found = !joined.empty();
    if (r.found) r.lines.push_back(joined);
    return r;
}

// City names may hold blanks: the whole argument text is the name.
std::string Joined(const std::vector<std::string_view>& args) {
    std::string s;
    for (auto a : args) {
        if (!s.empty()) s += ' ';
        s += a;
    }
    return s;
}

Result City(const std::vector<std::string_view>& args) {
    if (args.empty()) throw Failure{M(kx::Msg::ToolCityUsage)};
    const std::string name = Joined(args);
    Result r = Codes(kx::CityEntry(In(name)));
    if (!r.found) r.missing = M(kx::Msg::CalcCityNotFound, {name});
    return r;
}

Result Call(const std::vector<std::string_view>& args) {
    if (args.size() != 1) throw Failure{M(kx::Msg::ToolCallUsage)};
    Result r = Codes(kx::CallEntry(In(args[0])));
    if (!r.found) r.missing = M(kx::Msg::CalcCallNotFound, {args[0]});
    return r;
}

using LookupFn = Result (*)(const std::vector<std::string_view>&);

void PrintError(const std::string& message) {
    std::cerr << "kvadrix-tool: " << message << "\n";
}

// One lookup command, single or batch.
int RunLookup(LookupFn fn, const std::vector<std::string_view>& args) {
    if (args.size() == 1 && args[0] == "-") {
        std::string out;
        out.reserve(1 << 16);
        std::string line;
        long lineNo = 0;
        bool anyMissing = false, anyBad = false;
        const kx::TableBatch tables;  // the tables as they are when the list begins
        while (std::getline(std::cin, line)) {
            ++lineNo;
            try {
                Result r = fn(Words(line));
                if (!r.found) anyMissing = true;
                for (size_t i = 0; i < r.lines.size(); ++i) {
                    if (i) out += '\t';
                    out += Out(r.lines[i]);
                }
            } catch (const Failure& f) {
                anyBad = true;
                PrintError(M(kx::Msg::ToolLine, {std::to_string(lineNo), f.message}));
            } catch (const kx::KxError& e) {
                // A table fault (a short entry, a missing file) spoils this line only;
                // the results of the other lines are still printed.
                anyBad = true;
                PrintError(M(kx::Msg::ToolLine, {std::to_string(lineNo), Out(e.what())}));
            }
            out += '\n';
            if (out.size() > (1 << 16) - 256) {
                std::fwrite(out.data(), 1, out.size(), stdout);
                out.clear();
            }
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        return anyBad ? kError : anyMissing ? kNotFound : kOk;
    }
    Result r = fn(args);
    for (const auto& l : r.lines) std::cout << Out(l) << "\n";
    if (!r.missing.empty()) PrintError(r.missing);
    return r.found ? kOk : kNotFound;
}

// Holds the lock of the log's folder for a command that changes the log; without it
// nothing is written.
class WriteLock {
public:
    WriteLock() : lock_(LogFolder(), "kvadrix-tool") {
        if (std::string reason; !kx::CurrentPaths().MakeFolders(&reason))
            throw Failure{"cannot make the folder of the log: " + reason};
        switch (lock_.TryLock()) {
            case kx::LockResult::Acquired:
                return;
            case kx::LockResult::Held:
                throw Failure{Out(kx::LockHeldMessage(lock_, lock_.LockPath()))};
            case kx::LockResult::Failed:
                throw Failure{M(kx::Msg::ToolCannotLock, {lock_.LockPath(), Out(lock_.Reason())})};
        }
    }

private:
    static std::string LogFolder() { return kx::LogLockFolder(kx::LogFilePath()); }
    kx::FolderLock lock_;
};

// The sort key of "--sort date|call|band|mode|bex" among the arguments (removed from
// them); date when not given.
kx::SortKey TakeSortKey(std::vector<std::string_view>& args) {
    kx::SortKey key = kx::SortKey::DateTime;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view value;
        std::size_t used = 1;
        if (args[i].starts_with("--sort=")) {
            value = args[i].substr(7);
        } else if (args[i] == "--sort") {
            if (i + 1 >= args.size()) throw Failure{"--sort needs date, call, band, mode or bex"};
            value = args[i + 1];
            used = 2;
        } else {
            continue;
        }
        if (value == "date")
            key = kx::SortKey::DateTime;
        else if (value == "call")
            key = kx::SortKey::Callsign;
        else if (value == "band")
            key = kx::SortKey::Band;
        else if (value == "mode")
            key = kx::SortKey::Mode;
        else if (value == "bex")
            key = kx::SortKey::BEX;
        else
            throw Failure{"--sort is date, call, band, mode or bex"};
        args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i + used));
        --i;
    }
    return key;
}

int Import(std::vector<std::string_view> files) {
    const kx::SortKey key = TakeSortKey(files);
    if (files.empty()) throw Failure{M(kx::Msg::ToolImportUsage)};
    WriteLock lock;
    kx::LogSession session;
    session.Load(kx::Language);
    kx::QSOLog& log = session.Log();
    int status = kOk;
    for (auto file : files) {
        std::string path(file);
        int joined = 0;
        kx::AdifImportResult r = session.Import(path, {}, joined);
        if (r.status == kx::AdifImportStatus::MissingFile) {
            PrintError(M(kx::Msg::ToolNoSuchFile, {path}));
            status = kError;
            continue;
        }
        if (r.status == kx::AdifImportStatus::BadFormat) {
            PrintError(M(kx::Msg::ToolNotAdi, {path}));
            status = kError;
            continue;
        }
        // The QSOs of a file Kvadrix wrote hold what the log held: the finder leaves them.
        kx::FindBexsHooks finder;
        finder.keepFrom = r.ownFile ? r.firstRow : 0;
        kx::FindBEXs(log, finder);
        const int withoutSquare = kx::AdifRowsWithoutSquare(log, r.firstRow);
        session.Save(key, {});
        std::cout << path << ": " << r.taken << " taken, " << r.duplicates << " duplicates, "
                  << r.noDate << " refused without a date, " << r.badDateTime
                  << " refused with a date or time that does not exist, " << withoutSquare
                  << " without a square; " << r.lyRecords << " LY QSOs in this file of "
                  << r.records << " records\n";
    }
    return status;
}

// The order of day and month in the short dates of the user's locale (LC_TIME).
kx::DateOrder LocaleDateOrder() {
    try {
        const std::locale user("");
        switch (std::use_facet<std::time_get<char>>(user).date_order()) {
            case std::time_base::dmy:
                return kx::DateOrder::DMY;
            case std::time_base::mdy:
                return kx::DateOrder::MDY;
            default:
                return kx::DateOrder::YMD;
        }
    } catch (const std::exception&) {
        return kx::DateOrder::YMD;  // an unknown locale name in the environment
    }
}

int Export(const std::vector<std::string_view>& args) {
    if (args.size() != 1) throw Failure{M(kx::Msg::ToolExportUsage)};
    kx::QSOLog log;
    log.Load();
    kx::AdifExportOptions options;
    options.dateOrder = LocaleDateOrder();
    const std::string path(args[0]);
    const kx::AdifExportResult r = kx::ExportAdifFile(log, path, options);
    std::cout << path << ": " << r.qsos << " QSOs exported, " << r.withoutDate
              << " of them without a readable date (no QSO_DATE)\n";
    return kOk;
}

int FindSquares(std::vector<std::string_view> args) {
    const kx::SortKey key = TakeSortKey(args);
    if (!args.empty()) throw Failure{M(kx::Msg::ToolFindSquaresUsage)};
    WriteLock lock;
    kx::LogSession session;
    session.Load(kx::Language);
    kx::FindBEXs(session.Log());
    session.Save(key, {});
    std::cout << "QSOs: " << session.Log().QSOCount() << "\n";
    return kOk;
}

// The options of award and application: --band, --mode and, for application only,
// --class, --lang and --out ("--opt value" or "--opt=value").
struct AwardOptions {
    int band = kx::bgHFVHF;
    int mode = kx::mgAll;
    int awardClass = kx::acBasic;
    std::string language;  // "EN" or "LT"; empty: the settings file's
    std::string out;
};

AwardOptions ParseAwardOptions(const std::string& cmd, const std::vector<std::string_view>& args,
                               bool application) {
    AwardOptions o;
    auto fail = [&](const std::string& what) { throw Failure{cmd + ": " + what}; };
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view opt = args[i], value;
        if (auto eq = opt.find('='); eq != std::string_view::npos) {
            value = opt.substr(eq + 1);
            opt = opt.substr(0, eq);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            fail(M(kx::Msg::ToolNeedsValue, {opt}));
        }
        if (opt == "--band") {
            if (value == "all")
                o.band = kx::bgHFVHF;
            else if (value == "hf")
                o.band = kx::bgHF;
            else if (value == "vhf")
                o.band = kx::bgVHF;
            else
                fail(M(kx::Msg::ToolBandValues));
        } else if (opt == "--mode") {
            if (value == "all")
                o.mode = kx::mgAll;
            else if (value == "cw")
                o.mode = kx::mgCW;
            else if (value == "ssb")
                o.mode = kx::mgSSB;
            else if (value == "phone")
                o.mode = kx::mgPhone;
            else if (value == "digital")
                o.mode = kx::mgDigital;
            else
                fail(M(kx::Msg::ToolModeValues));
        } else if (application && opt == "--class") {
            if (value == "basic")
                o.awardClass = kx::acBasic;
            else if (value == "100")
                o.awardClass = kx::ac100;
            else if (value == "200")
                o.awardClass = kx::ac200;
            else if (value == "300")
                o.awardClass = kx::ac300;
            else if (value == "trophy")
                o.awardClass = kx::acTrophy;
            else
                fail(M(kx::Msg::ToolClassValues));
        } else if (application && opt == "--lang") {
            if (value == "en")
                o.language = "EN";
            else if (value == "lt")
                o.language = "LT";
            else
                fail(M(kx::Msg::ToolLangValues));
        } else if (application && opt == "--out") {
            o.out = std::string(value);
        } else {
            fail(M(kx::Msg::ToolUnknownCommandOption, {opt}));
        }
    }
    return o;
}

int Award(const std::vector<std::string_view>& args) {
    const AwardOptions o = ParseAwardOptions("award", args, false);
    const int band = o.band, mode = o.mode;
    kx::QSOLog log;
    log.Load();
    kx::AwardList list = kx::MakeAwardList(log, mode, band);
    std::string out;
    for (const auto& e : list.Entries()) {
        for (int c = 0; c < kx::kListColumns; ++c) {
            if (c) out += '\t';
            out += Out(e[c]);
        }
        out += '\n';
    }
    out += "Worked squares: " + std::to_string(list.Count()) + "\n";
    std::cout << out;
    return list.Empty() ? kNotFound : kOk;
}

// Writes the application document to the --out file, RTF or PDF by its extension.
int Application(const std::vector<std::string_view>& args, const char* argv0) {
    const AwardOptions o = ParseAwardOptions("application", args, true);
    const std::string_view out = o.out;
    auto endsWith = [&](std::string_view ext) {
        return out.size() > ext.size() &&
               kx::UpperAscii(out.substr(out.size() - ext.size())) == ext;
    };
    if (out.empty()) throw Failure{M(kx::Msg::ToolOutNeeded)};
    if (!endsWith(".RTF") && !endsWith(".PDF")) throw Failure{M(kx::Msg::ToolOutKind)};
    kx::ToolApplicationRequest request;
    request.argv0 = argv0;
    request.bandGroup = o.band;
    request.modeGroup = o.mode;
    request.awardClass = o.awardClass;
    if (!o.language.empty()) kx::Language = o.language;
    request.outPath = In(o.out);
    request.pdf = endsWith(".PDF");
    const int count = kx::WriteToolApplication(request);
    std::cout << "Worked squares: " << count << "\n";
    return count == 0 ? kNotFound : kOk;
}

std::string OwnFolder(const char* argv0) {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string path = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string(argv0);
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

int Run(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    std::optional<std::string> folder;
    while (!args.empty() && args[0].starts_with("--")) {
        if (args[0] == "--help") {
            std::cout << M(kx::Msg::ToolHelp);
            return kOk;
        }
        if (args[0] == "--version") {
            std::cout << "kvadrix-tool " KVADRIX_VERSION_STRING "\n";
            return kOk;
        }
        if (args[0] == "--folder" && args.size() >= 2) {
            folder = std::string(args[1]);
            args.erase(args.begin(), args.begin() + 2);
        } else if (args[0].starts_with("--folder=")) {
            folder = std::string(args[0].substr(9));
            args.erase(args.begin());
        } else {
            throw Failure{M(kx::Msg::ToolUnknownOption, {args[0]})};
        }
    }
    if (args.empty()) throw Failure{M(kx::Msg::ToolNoCommand)};
    if (folder && folder->empty()) throw Failure{M(kx::Msg::ToolFolderNeeded)};
    kx::UsePaths(folder ? kx::Paths::Portable(*folder) : kx::Paths::Detect(OwnFolder(argv[0])));
    kx::SettingsFile.Open(kx::FilePath("Kvadrix.ini"));
    kx::Language = kx::SettingsFile.ReadString("Kvadrix", "Language ", "EN");

    std::string_view cmd = args[0];
    std::vector<std::string_view> rest(args.begin() + 1, args.end());
    if (cmd == "help") {
        std::cout << M(kx::Msg::ToolHelp);
        return kOk;
    }
    // Every answer of these comes from the WWL/BEX table: without a usable one the tool
    // says so once and ends with status 2 instead of answering "?" to everything, writing
    // an export without a single square or counting an award of none.
    for (const char* needsTable :
         {"square", "info", "import", "find-squares", "export", "award", "application", "listen"})
        if (cmd == needsTable) kx::RequireWwlTable();
    if (cmd == "square") return RunLookup(Square, rest);
    if (cmd == "locator") return RunLookup(Locator, rest);
    if (cmd == "info") return RunLookup(Info, rest);
    if (cmd == "city") return RunLookup(City, rest);
    if (cmd == "call") return RunLookup(Call, rest);
    if (cmd == "import") return Import(rest);
    if (cmd == "export") return Export(rest);
    if (cmd == "find-squares") return FindSquares(rest);
    if (cmd == "award") return Award(rest);
    if (cmd == "application") return Application(rest, argv[0]);
    if (cmd == "listen") {
        WriteLock lock;
        return kx::ToolListen(rest);
    }
    throw Failure{M(kx::Msg::ToolUnknownCommand, {cmd})};
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // Messages follow the environment's language, and so does the system's error text;
    // numbers and output formats stay those of the C locale.
    std::setlocale(LC_MESSAGES, "");
    kx::SetMessageLang(kx::EnvironmentLang());
    try {
        int rc = Run(argc, argv);
        std::cout.flush();
        return rc;
    } catch (const Failure& f) {
        PrintError(f.message);
    } catch (const kx::KxError& e) {
        PrintError(Out(e.what()));
    } catch (const std::exception& e) {
        PrintError(Out(e.what()));
    }
    std::cout.flush();
    return kError;
}
