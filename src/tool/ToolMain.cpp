// kvadrix-tool: the calculator, the import, the award count and the application of Kvadrix
// on the command line, on the same files as the window program (see Paths). Output is
// UTF-8, one result per line. The table of commands at the end lists them (ToolCli.h).
// Exit status: 0 success, 1 nothing found, 2 usage or file error (one line on stderr).

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
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
#include "platform/DateOrder.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/FolderLock.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "tables/CallTable.h"
#include "tables/CityTable.h"
#include "tables/CommaList.h"
#include "tables/TableFile.h"
#include "tables/WwlTable.h"
#include "tool/QtHandOff.h"
#include "tool/ToolCli.h"
#include "tool/qt/ToolApplication.h"  // its request (the Qt half alone writes it)
#include "tool/qt/ToolListen.h"

namespace {

using kx::tool::Args;
using kx::tool::Failure;
using kx::tool::In;
using kx::tool::kError;
using kx::tool::kNotFound;
using kx::tool::kOk;
using kx::tool::M;
using kx::tool::Out;
using kx::tool::PrintError;
using kx::tool::Result;

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

// A point on the earth: latitude -90...90, longitude -180...180; anything beyond is a
// usage error, not a locator of some other point.
struct Point {
    float lat = 0, lon = 0;
};

Point ParsePoint(std::string_view latText, std::string_view lonText) {
    const Point p{ParseDegrees(latText), ParseDegrees(lonText)};
    if (p.lat < -90 || p.lat > 90) throw Failure{M(kx::Msg::ToolLatitudeRange, {latText})};
    if (p.lon < -180 || p.lon > 180) throw Failure{M(kx::Msg::ToolLongitudeRange, {lonText})};
    return p;
}

Result Square(const Args& args) {
    Result r;
    std::string code;
    if (args.size() == 2) {
        const Point p = ParsePoint(args[0], args[1]);
        code = kx::CalcBEX(p.lat, p.lon);
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

Result Locator(const Args& args) {
    if (args.size() != 2) throw Failure{M(kx::Msg::ToolLocatorUsage)};
    const Point p = ParsePoint(args[0], args[1]);
    return Result{{kx::CalcWWL(p.lat, p.lon)}, true, {}};
}

Result Info(const Args& args) {
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
std::string Joined(const Args& args) {
    std::string s;
    for (auto a : args) {
        if (!s.empty()) s += ' ';
        s += a;
    }
    return s;
}

Result City(const Args& args) {
    if (args.empty()) throw Failure{M(kx::Msg::ToolCityUsage)};
    const std::string name = Joined(args);
    Result r = Codes(kx::CityEntry(In(name)));
    if (!r.found) r.missing = M(kx::Msg::CalcCityNotFound, {name});
    return r;
}

Result Call(const Args& args) {
    if (args.size() != 1) throw Failure{M(kx::Msg::ToolCallUsage)};
    Result r = Codes(kx::CallEntry(In(args[0])));
    if (!r.found) r.missing = M(kx::Msg::CalcCallNotFound, {args[0]});
    return r;
}

// Holds the lock of the log's folder for a command that changes the log; without it
// nothing is written.
class WriteLock {
public:
    WriteLock() : lock_(LogFolder(), "kvadrix-tool") {
        if (std::string reason; !kx::CurrentPaths().MakeFolders(&reason))
            throw Failure{M(kx::Msg::ToolCannotMakeLogFolder, {Out(reason)})};
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
kx::SortKey TakeSortKey(Args& args) {
    kx::SortKey key = kx::SortKey::DateTime;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view value;
        std::size_t used = 1;
        if (args[i].starts_with("--sort=")) {
            value = args[i].substr(7);
        } else if (args[i] == "--sort") {
            if (i + 1 >= args.size()) throw Failure{M(kx::Msg::ToolNeedsValue, {"--sort"})};
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
            throw Failure{M(kx::Msg::ToolSortValues)};
        args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i + used));
        --i;
    }
    return key;
}

// An option of a command that takes none of that name.
void RefuseOptions(std::string_view command, const Args& args) {
    for (auto a : args)
        if (a.starts_with("--"))
            throw Failure{std::string(command) + ": " +
                          M(kx::Msg::ToolUnknownCommandOption, {a.substr(0, a.find('='))})};
}

int Import(const Args& given) {
    Args files = given;
    const kx::SortKey key = TakeSortKey(files);
    RefuseOptions("import", files);
    if (files.empty()) throw Failure{M(kx::Msg::ToolImportUsage)};
    WriteLock lock;
    kx::LogSession session;
    session.Load(kx::Language);
    int status = kOk;
    for (auto file : files) {
        std::string path(file);
        int joined = 0, withoutSquare = 0;
        // One write of the log: the QSOs taken, their squares found and the log sorted.
        kx::AdifImportResult r = session.ImportAndSave(path, key, joined, withoutSquare);
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
        std::cout << M(kx::Msg::ToolImported,
                       {path, std::to_string(r.taken), std::to_string(r.duplicates),
                        std::to_string(r.noDate), std::to_string(r.badDateTime),
                        std::to_string(withoutSquare), std::to_string(r.lyRecords),
                        std::to_string(r.records)})
                  << "\n";
    }
    return status;
}

// Writes the log as ADIF to a file or, given "-", to standard output (the count then goes
// to standard error, so that the output is the file alone).
int Export(const Args& args) {
    RefuseOptions("export", args);
    if (args.size() != 1) throw Failure{M(kx::Msg::ToolExportUsage)};
    kx::QSOLog log;
    log.Load();
    kx::AdifExportOptions options;
    options.dateOrder = kx::SystemDateOrder();
    const std::string path(args[0]);
    kx::AdifExportResult r;
    if (path == "-") {
        std::cout << kx::AdifExportText(log, options, r);
        std::cout.flush();
    } else {
        r = kx::ExportAdifFile(log, path, options);
    }
    const std::string summary =
        M(kx::Msg::ToolExported, {path, std::to_string(r.qsos), std::to_string(r.withoutDate)});
    (path == "-" ? std::cerr : std::cout) << summary << "\n";
    return kOk;
}

int FindSquares(const Args& given) {
    Args args = given;
    const kx::SortKey key = TakeSortKey(args);
    RefuseOptions("find-squares", args);
    if (!args.empty()) throw Failure{M(kx::Msg::ToolFindSquaresUsage)};
    WriteLock lock;
    kx::LogSession session;
    session.Load(kx::Language);
    kx::FindBEXs(session.Log());
    session.Save(key, {});
    std::cout << M(kx::Msg::ToolQsoCount, {std::to_string(session.Log().QSOCount())}) << "\n";
    return kOk;
}

// The options of award and application: --band, --mode and, for application only,
// --class, --lang, --out and the applicant's --name, --call, --address and --email
// ("--opt value" or "--opt=value").
struct AwardOptions {
    kx::AwardFilter filter;
    int awardClass = kx::acBasic;
    std::string language;  // "EN" or "LT"; empty: the settings file's
    std::string out;
    kx::ToolApplicant applicant;  // unset: the settings file's
};

// An applicant's field as the document holds it: no field holds a TAB or a line break.
std::string Field(std::string_view utf8) {
    std::string text = In(utf8);
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

AwardOptions ParseAwardOptions(const std::string& cmd, const Args& args, bool application) {
    AwardOptions o;
    auto fail = [&](const std::string& what) { throw Failure{cmd + ": " + what}; };
    const auto options =
        application ? kx::tool::ReadOptions(cmd, args,
                                            {"--band", "--mode", "--class", "--lang", "--out",
                                             "--name", "--call", "--address", "--email"})
                    : kx::tool::ReadOptions(cmd, args, {"--band", "--mode"});
    for (const auto& [opt, value] : options) {
        if (opt == "--band") {
            const auto group = kx::BandGroupNamed(value);
            if (!group) fail(M(kx::Msg::ToolBandValues));
            o.filter.band = *group;
        } else if (opt == "--mode") {
            const auto group = kx::ModeGroupNamed(value);
            if (!group) fail(M(kx::Msg::ToolModeValues));
            o.filter.mode = *group;
        } else if (opt == "--class") {
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
        } else if (opt == "--lang") {
            if (value == "en")
                o.language = "EN";
            else if (value == "lt")
                o.language = "LT";
            else
                fail(M(kx::Msg::ToolLangValues));
        } else if (opt == "--out") {
            o.out = std::string(value);
        } else if (opt == "--name") {
            o.applicant.name = Field(value);
        } else if (opt == "--call") {
            o.applicant.call = Field(value);
        } else if (opt == "--address") {
            o.applicant.address = Field(value);
        } else if (opt == "--email") {
            o.applicant.email = Field(value);
        }
    }
    return o;
}

int Award(const Args& args) {
    const AwardOptions o = ParseAwardOptions("award", args, false);
    kx::QSOLog log;
    log.Load();
    kx::AwardList list = kx::MakeAwardList(log, o.filter);
    std::string out;
    for (const auto& e : list.Entries()) {
        for (int c = 0; c < kx::kListColumns; ++c) {
            if (c) out += '\t';
            out += Out(e[c]);
        }
        out += '\n';
    }
    out += M(kx::Msg::ToolWorkedSquares, {std::to_string(list.Count())}) + "\n";
    std::cout << out;
    return list.Empty() ? kNotFound : kOk;
}

const char* ToolArgv0 = "kvadrix-tool";

#if KVADRIX_TOOL_QT
// Writes the application document to the --out file, RTF or PDF by its extension.
int Application(const Args& args) {
    const AwardOptions o = ParseAwardOptions("application", args, true);
    const std::string_view out = o.out;
    auto endsWith = [&](std::string_view ext) {
        return out.size() > ext.size() &&
               kx::UpperAscii(out.substr(out.size() - ext.size())) == ext;
    };
    if (out.empty()) throw Failure{M(kx::Msg::ToolOutNeeded)};
    if (!endsWith(".RTF") && !endsWith(".PDF")) throw Failure{M(kx::Msg::ToolOutKind)};
    kx::ToolApplicationRequest request;
    request.argv0 = ToolArgv0;
    request.filter = o.filter;
    request.awardClass = o.awardClass;
    request.applicant = o.applicant;
    if (!o.language.empty()) kx::Language = o.language;
    request.outPath = In(o.out);
    request.pdf = endsWith(".PDF");
    const int count = kx::WriteToolApplication(request);
    std::cout << M(kx::Msg::ToolWorkedSquares, {std::to_string(count)}) << "\n";
    return count == 0 ? kNotFound : kOk;
}

// Listening takes the QSOs that WSJT-X and JTDX log into the log: it holds the log's lock.
int Listen(const Args& a) {
    WriteLock lock;
    return kx::ToolListen(a);
}
#else
// kvadrix-tool hands these commands to kvadrix-tool-qt before they run (see Run).
int Application(const Args&) {
    return kError;
}
int Listen(const Args&) {
    return kError;
}
#endif

int SquareCmd(const Args& a) {
    return kx::tool::RunLookup(Square, a);
}
int LocatorCmd(const Args& a) {
    return kx::tool::RunLookup(Locator, a);
}
int InfoCmd(const Args& a) {
    return kx::tool::RunLookup(Info, a);
}
int CityCmd(const Args& a) {
    return kx::tool::RunLookup(City, a);
}
int CallCmd(const Args& a) {
    return kx::tool::RunLookup(Call, a);
}

// The commands in the order the help lists them: name, help paragraph, whether it
// answers "-" line by line, whether every answer needs the WWL/BEX table (without a
// usable one the tool says so once and ends with status 2 instead of answering "?" to
// everything, writing an export without a single square or counting an award of none).
constexpr kx::tool::Command kCommands[] = {
    {"square", kx::Msg::ToolHelpSquare, true, true, SquareCmd},
    {"locator", kx::Msg::ToolHelpLocator, true, false, LocatorCmd},
    {"info", kx::Msg::ToolHelpInfo, true, true, InfoCmd},
    {"city", kx::Msg::ToolHelpCity, true, false, CityCmd},
    {"call", kx::Msg::ToolHelpCall, true, false, CallCmd},
    {"import", kx::Msg::ToolHelpImport, false, true, Import},
    {"export", kx::Msg::ToolHelpExport, false, true, Export},
    {"find-squares", kx::Msg::ToolHelpFindSquares, false, true, FindSquares},
    {"award", kx::Msg::ToolHelpAward, false, true, Award},
    {"application", kx::Msg::ToolHelpApplication, false, true, Application},
    {"listen", kx::Msg::ToolHelpListen, false, true, Listen},
};

const kx::tool::Command* FindCommand(std::string_view name) {
    for (const auto& c : kCommands)
        if (c.name == name) return &c;
    return nullptr;
}

std::string OwnFolder(const char* argv0) {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string path = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string(argv0);
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

int Run(int argc, char** argv) {
    Args args(argv + 1, argv + argc);
    std::optional<std::string> folder;
    while (!args.empty() && args[0].starts_with("-")) {
        if (args[0] == "--help" || args[0] == "-h") {
            std::cout << kx::tool::HelpText(kCommands);
            return kOk;
        }
        if (args[0] == "--version") {
            std::cout << "kvadrix-tool " KVADRIX_VERSION_STRING "\n";
            return kOk;
        }
        if (args[0] == "--folder") {
            if (args.size() < 2 || args[1].empty()) throw Failure{M(kx::Msg::ToolFolderNeeded)};
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

    const std::string_view name = args[0];
    const Args rest(args.begin() + 1, args.end());
    if (name == "help") {
        if (rest.empty()) {
            std::cout << kx::tool::HelpText(kCommands);
            return kOk;
        }
        const kx::tool::Command* asked = FindCommand(rest[0]);
        if (!asked || rest.size() > 1) throw Failure{M(kx::Msg::ToolUnknownCommand, {rest[0]})};
        std::cout << kx::tool::CommandHelpText(*asked, kCommands);
        return kOk;
    }
    const kx::tool::Command* command = FindCommand(name);
    if (!command) throw Failure{M(kx::Msg::ToolUnknownCommand, {name})};
    if (kx::tool::AsksForHelp(rest)) {
        std::cout << kx::tool::CommandHelpText(*command, kCommands);
        return kOk;
    }

    kx::UsePaths(folder ? kx::Paths::Portable(*folder)
                        : kx::Paths::Detect(kx::ToolFolder(OwnFolder(argv[0]))));
    kx::settings::OpenSettings("EN");
    if (!kx::ToolHasQt() && kx::ToolCommandNeedsQt(name))
        throw Failure{kx::HandToQtTool(OwnFolder(argv[0]), name, argv)};
    if (command->needsWwlTable) kx::RequireWwlTable();
    ToolArgv0 = argv[0];
    return command->run(rest);
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // Messages follow the environment's language, and so does the system's error text;
    // numbers and output formats stay those of the C locale.
    std::setlocale(LC_MESSAGES, "");
    kx::SetMessageLang(kx::EnvironmentLang());
    int rc = kError;
    try {
        rc = Run(argc, argv);
    } catch (const Failure& f) {
        PrintError(f.message);
    } catch (const kx::KxError& e) {
        PrintError(Out(e.what()));
    } catch (const std::exception& e) {
        PrintError(Out(e.what()));
    }
    // A full disk or a closed pipe behind standard output is an error, not a success.
    errno = 0;
    std::cout.flush();
    if (!std::cout) {
        PrintError(M(kx::Msg::ToolOutputFailed, {Out(kx::SystemErrorText(errno ? errno : EIO))}));
        return kError;
    }
    return rc;
}
