#include "tool/QtHandOff.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/Messages.h"

namespace kx {

namespace {

// The Qt commands, one a line.
constexpr std::string_view kQtCommands[] = {
    "application",
    "listen",
};

constexpr const char* kQtToolName = "kvadrix-tool-qt";
// The variable that tells kvadrix-tool-qt the folder of the kvadrix-tool that started it.
constexpr const char* kToolFolderVariable = "KVADRIX_TOOL_FOLDER";

bool IsExecutable(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool ToolHasQt() {
    return KVADRIX_TOOL_QT != 0;
}

bool ToolCommandNeedsQt(std::string_view command) {
    for (std::string_view c : kQtCommands)
        if (c == command) return true;
    return false;
}

std::string QtToolPath(const std::string& ownFolder) {
    const std::string beside = ownFolder + kQtToolName;
    if (IsExecutable(beside)) return beside;
    const std::string installed = ownFolder + "../libexec/kvadrix/" + kQtToolName;
    if (IsExecutable(installed)) return installed;
    return {};
}

std::string ToolFolder(const std::string& ownFolder) {
    if (ToolHasQt())
        if (const char* folder = std::getenv(kToolFolderVariable); folder && *folder) return folder;
    return ownFolder;
}

std::string HandToQtTool(const std::string& ownFolder, std::string_view command, char** argv) {
    const std::string path = QtToolPath(ownFolder);
    if (path.empty()) return Utf8Message(Msg::ToolQtMissing, {command, ownFolder});
    std::cout.flush();
    ::setenv(kToolFolderVariable, ownFolder.c_str(), 1);
    ::execv(path.c_str(), argv);
    const int error = errno;
    return Utf8Message(Msg::ToolQtFailed, {path, std::strerror(error)});
}

}  // namespace kx
