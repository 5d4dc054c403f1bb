// kvadrix-tool listen: the log window's live listening on the command line.
#pragma once

#include <string_view>
#include <vector>

namespace kx {

// listen [--address ADDR] [--port N] [--seconds S]: listens for WSJT-X and JTDX until S
// seconds have passed (for ever when not given) or until interrupted; prints whether the
// sender is heard, its band, mode and own grid, one line per LY decode with its verdict,
// and each QSO that joins the log. The caller holds the log's lock. Throws KxError
// (Windows-1257 text) for bad arguments or an address that cannot be listened on.
int ToolListen(const std::vector<std::string_view>& args);

}  // namespace kx
