// kvadrix-tool starts without Qt: the commands that need it (the application document,
// laid out and printed by Qt) run in a second executable, kvadrix-tool-qt, built from the
// same command-line code with the Qt units of src/tool/qt/ linked in. kvadrix-tool hands
// such a command over by executing kvadrix-tool-qt with its own arguments, so the output,
// messages and exit status are those of one program.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// Whether this executable holds the Qt commands (kvadrix-tool-qt).
bool ToolHasQt();

// The commands that run in kvadrix-tool-qt.
bool ToolCommandNeedsQt(std::string_view command);

// Where kvadrix-tool-qt lies for an executable in ownFolder (ending in "/"): beside it (a
// build or portable folder), else in the installed tree's libexec/kvadrix/. Empty when
// neither holds it.
std::string QtToolPath(const std::string& ownFolder);

// The folder whose layout the tool's files follow (see Paths::Detect): kvadrix-tool's own
// folder, which kvadrix-tool-qt is told when it is started (it lies elsewhere once
// installed).
std::string ToolFolder(const std::string& ownFolder);

// Replaces this process by kvadrix-tool-qt with the same arguments (argv as main got it),
// telling it ownFolder.
// Returns only when it cannot be started, with the text of the failure (UTF-8).
std::string HandToQtTool(const std::string& ownFolder, std::string_view command, char** argv);

}  // namespace kx
