#include "tool/ToolCli.h"

#include <iostream>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "tables/TableFile.h"

namespace kx::tool {

std::string M(Msg key, std::initializer_list<std::string_view> args) {
    return Utf8Message(key, args);
}

std::string Out(std::string_view cp1257) {
    return Cp1257ToUtf8(cp1257);
}

std::string In(std::string_view utf8) {
    auto text = Utf8ToCp1257(utf8);
    if (!text) throw Failure{M(Msg::ToolNotUtf8, {utf8})};
    return *text;
}

void PrintError(const std::string& message) {
    std::cout.flush();  // what came before the error stays before it
    std::cerr << "kvadrix-tool: " << message << "\n";
}

namespace {

// The names of the "-" commands: "square, locator, info".
std::string LineByLineNames(std::span<const Command> commands) {
    std::string names;
    for (const Command& c : commands) {
        if (!c.lineByLine) continue;
        if (!names.empty()) names += ", ";
        names += c.name;
    }
    return names;
}

}  // namespace

std::string HelpText(std::span<const Command> commands) {
    std::string text = M(Msg::ToolHelpHead);
    for (const Command& c : commands) text += M(c.help);
    text += '\n';
    text += M(Msg::ToolHelpLineByLine, {LineByLineNames(commands)});
    text += '\n';
    text += M(Msg::ToolHelpEnd);
    return text;
}

std::string CommandHelpText(const Command& command, std::span<const Command> commands) {
    std::string text = M(Msg::ToolHelpCommandHead, {command.name});
    text += M(command.help);
    if (command.lineByLine) {
        text += '\n';
        text += M(Msg::ToolHelpLineByLine, {LineByLineNames(commands)});
    }
    text += '\n';
    text += M(Msg::ToolHelpEnd);
    return text;
}

bool AsksForHelp(const Args& args) {
    for (auto a : args)
        if (a == "-h" || a == "--help") return true;
    return false;
}

std::vector<Option> ReadOptions(std::string_view command, const Args& args,
                                std::initializer_list<std::string_view> names) {
    auto fail = [&](const std::string& what) { throw Failure{std::string(command) + ": " + what}; };
    std::vector<Option> options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        if (!name.starts_with("--")) throw Failure{M(Msg::ToolUnexpectedArgument, {command, name})};
        std::string_view value;
        const auto eq = name.find('=');
        if (eq != std::string_view::npos) value = name.substr(eq + 1), name = name.substr(0, eq);
        bool known = false;
        for (auto n : names) known = known || n == name;
        if (!known) fail(M(Msg::ToolUnknownCommandOption, {name}));
        if (eq == std::string_view::npos) {
            if (i + 1 >= args.size()) fail(M(Msg::ToolNeedsValue, {name}));
            value = args[++i];
        }
        options.push_back({name, value});
    }
    return options;
}

Args Words(std::string_view line) {
    Args words;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !blank(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

int RunLookup(Lookup lookup, const Args& args) {
    if (args.size() != 1 || args[0] != "-") {
        const Result r = lookup(args);
        for (const auto& l : r.lines) std::cout << Out(l) << "\n";
        if (!r.missing.empty()) PrintError(r.missing);
        return r.found ? kOk : kNotFound;
    }
    std::string line;
    long lineNo = 0;
    bool anyMissing = false, anyBad = false;
    const TableBatch tables;  // the tables as they are when the list begins
    auto bad = [&](const std::string& message) {
        anyBad = true;
        PrintError(M(Msg::ToolLine, {std::to_string(lineNo), message}));
    };
    while (std::getline(std::cin, line)) {
        ++lineNo;
        const Args words = Words(line);
        if (words.empty()) continue;
        std::string out;
        try {
            const Result r = lookup(words);
            if (!r.found) anyMissing = true;
            for (std::size_t i = 0; i < r.lines.size(); ++i) {
                if (i) out += '\t';
                out += Out(r.lines[i]);
            }
        } catch (const Failure& f) {
            bad(f.message);
        } catch (const KxError& e) {
            // A table fault (a short entry, a missing file) spoils this line only; the
            // results of the other lines are still printed.
            bad(Out(e.what()));
        }
        out += '\n';
        std::cout << out;
        // Whoever writes the lines one by one reads each answer before the next line;
        // lines already waiting are answered in one write.
        if (std::cin.rdbuf()->in_avail() <= 0) std::cout.flush();
    }
    return anyBad ? kError : anyMissing ? kNotFound : kOk;
}

}  // namespace kx::tool
