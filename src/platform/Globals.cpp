#include "platform/Globals.h"

namespace kx {

std::string VersionText;
std::string Language;

}  // namespace kx
