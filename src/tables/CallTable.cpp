#include "tables/CallTable.h"

#include "tables/TableFile.h"

namespace kx {

std::string CallEntry(std::string_view callSign) {
    return TableValue(kCallTableFile, kCallTableSection, callSign);
}

std::string CallSignSquares(std::string_view fieldText) {
    const std::string_view call = TrimBlanks(fieldText);
    if (call.size() < 3) return {};
    return CallEntry(call);
}

}  // namespace kx
