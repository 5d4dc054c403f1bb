// Program-wide values, set once at start-up and read everywhere.
#pragma once

#include <string>

namespace kx {

// Folder of the executable with its trailing '/'. Every file the program reads or keeps
// under a fixed name is ProgramFolder + the bare file name. Tests point it at a
// temporary folder.
extern std::string ProgramFolder;

// First three characters of the executable's version string ("1.0").
extern std::string VersionText;

// "LT" or anything else (English). Compared with "LT" exactly.
extern std::string Language;

inline bool IsLithuanian() { return Language == "LT"; }

// ProgramFolder + name.
inline std::string ProgramFile(const std::string& name) { return ProgramFolder + name; }

}  // namespace kx
