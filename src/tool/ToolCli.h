// What every command of kvadrix-tool shares: its row in the table of commands (name, help,
// how it runs), the texts in the environment's language, usage errors, the help, and the
// answers of "-" commands line by line as the lines arrive.
//
// A new command is a function `int Run(const kx::tool::Args&)`, one help message
// (ToolHelp<Command> in MessageTable.inc: its synopsis and what it does, in both
// languages) and one row of the table in ToolMain.cpp; `kvadrix-tool COMMAND --help`, the
// general help and the bash completion then know it. Its results go through M() (their
// words in the environment's language, their columns as they are).
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Messages.h"

namespace kx::tool {

// Exit status: success, nothing found, a usage or file error.
constexpr int kOk = 0;
constexpr int kNotFound = 1;
constexpr int kError = 2;

// A usage or file error: its one-line message (UTF-8) goes to standard error and the tool
// ends with status 2.
struct Failure {
    std::string message;
};

using Args = std::vector<std::string_view>;

struct Command {
    std::string_view name;
    Msg help;            // its paragraph of the help: the synopsis, then what it does
    bool lineByLine;     // takes "-": one argument set per line of standard input
    bool needsWwlTable;  // every answer comes from the WWL/BEX table
    int (*run)(const Args& args);
};

// A message of the table in UTF-8, in the environment's language.
std::string M(Msg key, std::initializer_list<std::string_view> args = {});

// Core text (Windows-1257) to UTF-8.
std::string Out(std::string_view cp1257);

// A UTF-8 argument as core text; a Failure when Windows-1257 cannot hold it.
std::string In(std::string_view utf8);

// "kvadrix-tool: " and the message on standard error.
void PrintError(const std::string& message);

// The whole help: the head, every command's paragraph, the notes on "-" and the end.
std::string HelpText(std::span<const Command> commands);

// One command's help: its usage line, its paragraph and the notes that concern it.
std::string CommandHelpText(const Command& command, std::span<const Command> commands);

// Whether "-h" or "--help" is among a command's arguments.
bool AsksForHelp(const Args& args);

// A "--name value" or "--name=value" option among a command's arguments.
struct Option {
    std::string_view name;
    std::string_view value;
};

// The options of a command that takes only options of the names given (each with a
// value): a word that is no option, an option of another name or one without its value is
// a Failure that names it.
std::vector<Option> ReadOptions(std::string_view command, const Args& args,
                                std::initializer_list<std::string_view> names);

// ---- lookups: one argument set gives one result -----------------------------------------

// The result of one argument set: the lines the single form prints (core text), and
// whether anything was found.
struct Result {
    std::vector<std::string> lines;
    bool found = true;
    std::string missing;  // what the single form says when nothing was found
};

using Lookup = Result (*)(const Args& args);

// The words of a line, split at blanks and TABs.
Args Words(std::string_view line);

// Runs a lookup on its arguments, or with the single argument "-" on each line of
// standard input: each answer is written as soon as the line is read (the lines already
// waiting are answered together), its lines joined by TAB; an empty input line is
// skipped, a bad one gives an empty line and its error on standard error. Status 2 when
// a line was bad, 1 when one found nothing, else 0.
int RunLookup(Lookup lookup, const Args& args);

}  // namespace kx::tool
