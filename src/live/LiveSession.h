// A listening session: the listener, the logged QSOs on their way into the log, what is
// known of the sender (heard or not, band, mode, own call and grid) and the LY stations
// decoded in the last minutes with the verdict on their squares. The log window and
// kvadrix-tool listen run one each and only show what it tells them.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "live/LiveLog.h"
#include "live/LiveQso.h"
#include "live/WsjtxListener.h"

class QTimer;

namespace kx::live {

// What the sender said of itself last. Texts UTF-8 as sent.
struct SenderState {
    std::string id, version;
    std::uint64_t dialFrequency = 0;
    std::string band, mode, deCall, deGrid;
    std::int64_t lastHeardMs = 0;  // steady clock; 0: nothing heard yet
    bool closed = false;           // it said it closes
};

struct HeardStation {
    std::string call, grid, message, mode, id;  // UTF-8
    int msecsOfDay = -1;                        // UTC time of the decode's period
    int snr = 0;
    std::string band;  // the band it was heard on
    HeardVerdict verdict;
    std::int64_t heardMs = 0;  // steady clock
};

class LiveSession : public QObject {
    Q_OBJECT
public:
    explicit LiveSession(LogSession& log, QObject* parent = nullptr);
    ~LiveSession() override;

    // Listens (see WsjtxListener::Listen); the waiting QSOs and what was heard stay.
    bool Start(const std::string& address, std::uint16_t port, std::string* error = nullptr);
    void Stop();
    WsjtxListener& Listener() { return listener_; }

    const SenderState& Sender() const { return sender_; }
    // A message came within the last 30 s (senders beat every 15 s) and no Close since.
    bool Heard() const;

    // The LY stations decoded within the last `minutes`, the latest decode of each, the
    // most recent first.
    std::vector<HeardStation> HeardStations(int minutes = 10) const;

    // Needed calls are highlighted in the sender's band activity when allowed.
    void SetHighlightNeeded(bool allowed);

    // Writes the waiting QSOs now (also done by itself shortly after they arrive).
    void WriteNow();
    std::size_t Waiting() const { return log_.Waiting(); }

    // Whether the log may be changed now; while not, the QSOs wait (the log window says
    // no while its own change of the log runs). The session's own Changing() always holds
    // them.
    std::function<bool()> mayWrite;

    std::function<void()> onSender;                              // SenderState changed
    std::function<void(const HeardStation&)> onHeard;            // an LY decode
    std::function<void(const LiveLog::Written&)> onWritten;      // QSOs joined the log
    std::function<void(const std::string& error)> onWriteError;  // Windows-1257, QSOs wait

    // Time after a logged QSO arrives before it is written: the other message of the same
    // QSO and a flood's next ones join the same write.
    static constexpr int kWriteDelayMs = 200;
    // Colours of a needed call in WSJT-X's band activity.
    static constexpr std::int64_t kNeededBackground = 0xff8c00, kNeededForeground = 0x000000;

private:
    void Receive(const WsjtxMessage& m);
    HeardVerdict Judge(const HeardStation& h);
    static std::int64_t NowMs();

    LogSession& session_;
    WsjtxListener listener_;
    LiveLog log_;
    QTimer* writeTimer_;
    SenderState sender_;
    std::vector<HeardStation> heard_;
    std::set<std::string> highlighted_;
    std::map<std::string, HeardVerdict> verdicts_;
    int verdictRows_ = -1;
    std::int64_t verdictsSince_ = 0;
    bool highlightNeeded_ = false;
};

}  // namespace kx::live
