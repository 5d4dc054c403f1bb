// Program-wide values, set once at start-up and read everywhere.
#pragma once

#include <string>

namespace kx {

// First three characters of the executable's version string ("1.0").
extern std::string VersionText;

// "LT" or anything else (English). Compared with "LT" exactly.
extern std::string Language;

inline bool IsLithuanian() {
    return Language == "LT";
}

}  // namespace kx
