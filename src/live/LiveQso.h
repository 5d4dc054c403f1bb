// What the log makes of WSJT-X's and JTDX's messages: a logged QSO as an ADIF record that
// goes into the log the way an import's records go, the LY station a decode was sent by,
// and whether that station's square is still needed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "live/WsjtxMessage.h"
#include "log/QSOLog.h"

namespace kx::live {

// The ADIF band of a frequency in Hz ("40M", "70CM"), or the empty text outside every
// band.
std::string BandOfFrequency(std::uint64_t hertz);

// The QSOLogged message as an ADI file of one record, the way WSJT-X's LoggedADIF writes
// the same QSO (UTF-8): call, grid, mode, reports, date and times on and off, band from the
// frequency, frequency, own call and grid, power, comment, name. The two messages of one
// QSO therefore give the same log row, and the second finds the first a duplicate.
std::string QsoLoggedAdif(const QsoLogged& qso, std::string_view senderId);

// The station a decoded message was sent by, and the grid it gave: "CQ LY2ABC KO24",
// "CQ DX LY2ABC KO24" and "OH1XX LY2ABC KO24" are LY2ABC in KO24, "OH1XX LY2ABC -12" and
// "OH1XX LY2ABC RR73" are LY2ABC without a grid. A call in angle brackets (a hashed call)
// counts without them. Nothing for a message that does not name a sender.
struct HeardCall {
    std::string call;  // upper case, UTF-8 (call signs are ASCII)
    std::string grid;  // 4 characters, upper case, or empty
};
bool ReadHeardCall(std::string_view message, HeardCall& heard);

// Whether a heard station's square is still needed on a band in a mode's award group.
enum class Verdict {
    Unknown,  // no square is known for the call
    Needed,   // a square of the call has no QSO on this band in this mode group
    Worked,   // every square of the call has one
};

struct HeardVerdict {
    Verdict verdict = Verdict::Unknown;
    std::vector<std::string> squares;  // the candidates, log's first, then the call table's
    std::string needed;                // the first needed square
};

// The call's squares: those its QSOs in the log hold, else those the call-sign table gives;
// a 4-character grid keeps only the squares that have a locator in that grid (when any
// does). Then the verdict: a square is worked when the log holds a QSO in it on `band`
// whose mode is in the same award group as `mode` (any QSO on the band when `mode` has no
// group). `band` and `mode` as the log writes them ("20M", "FT8").
HeardVerdict JudgeHeard(const QSOLog& log, std::string_view call, std::string_view grid,
                        std::string_view band, std::string_view mode);

// "needed", "worked", "?" in the program's language.
std::string VerdictText(Verdict verdict);

}  // namespace kx::live
