// kvadrix-tool's application command: the award application document written to an RTF
// or PDF file. The only part of the tool that needs Qt's GUI module; it runs Qt
// offscreen, so no display is needed.
#pragma once

#include <optional>
#include <string>

#include "award/AwardGroups.h"

namespace kx {

// The applicant as the command line gives them (Windows-1257); a field not given is the
// settings file's.
struct ToolApplicant {
    std::optional<std::string> name, call, address, email;
};

struct ToolApplicationRequest {
    const char* argv0 = "kvadrix-tool";
    AwardFilter filter;
    int awardClass = 0;
    std::string outPath;  // Windows-1257 path bytes
    bool pdf = false;     // PDF with page headers, else RTF without them
    ToolApplicant applicant;
};

// Builds the award list of the program folder's log and writes the application with the
// applicant of the request, else of the settings file, and the template of Language, as the
// application window's "Save to File..." (RTF) or "Save as PDF..." (PDF) does. Returns the count of
// worked squares. Throws the file errors of the template and of the output file.
int WriteToolApplication(const ToolApplicationRequest& request);

}  // namespace kx
