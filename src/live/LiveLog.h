// The QSOs WSJT-X and JTDX log, on their way into the log: each QSOLogged and LoggedADIF
// message waits as an ADIF record until Write hands the waiting ones to the log session
// in one change (an import of their records: LY calls only, a QSO the log holds already
// adds nothing, squares found at once, the file written atomically with its backup and
// under its lock). The two messages of one QSO therefore make one row.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "live/WsjtxMessage.h"
#include "log/LogSession.h"

namespace kx::live {

class LiveLog {
public:
    explicit LiveLog(LogSession& session) : session_(session) {}

    // A logged QSO waits to be written; other messages are not the log's. true when it
    // took the message.
    bool Take(const WsjtxMessage& message);
    std::size_t Waiting() const { return waiting_.size(); }

    struct Written {
        int taken = 0;     // new rows, at the end of the table
        int firstRow = 0;  // the first of them; 0: none
        int joined = 0;    // QSOs of a log changed on disk that joined first
    };
    // Writes up to kBatch waiting QSOs. A refused or failed write throws KxError and the
    // QSOs go on waiting; the next Write tries them again.
    Written Write();

    static constexpr std::size_t kBatch = 2000;

private:
    LogSession& session_;
    std::deque<std::string> waiting_;  // record texts, each up to its <EOR>
};

}  // namespace kx::live
