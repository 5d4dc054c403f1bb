// Listens for WSJT-X and JTDX on one UDP address and port: a unicast address (by default
// 127.0.0.1 port 2237, the programs' own default), or a multicast group, which it joins on
// every interface that can carry it, so that several programs hear the same sender.
// It binds only to what it was given and sends nothing but HighlightCallsign replies,
// and those only while they are allowed, to the address and port the sender's messages
// came from.
//
// Datagrams are read in bounded batches, the rest of a flood after the event loop has
// run, so that a window stays responsive; what the kernel's buffer cannot hold is dropped
// by the system, as UDP does.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "live/WsjtxMessage.h"

class QUdpSocket;

namespace kx::live {

inline constexpr const char* kDefaultAddress = "127.0.0.1";
inline constexpr std::uint16_t kDefaultPort = 2237;

struct ListenerCounts {
    std::uint64_t datagrams = 0;    // every datagram read
    std::uint64_t messages = 0;     // those that were messages Kvadrix reads
    std::uint64_t refused = 0;      // those that were not (wrong magic, schema, truncated ...)
    std::uint64_t unknownType = 0;  // of the refused: a type Kvadrix does not read
};

class WsjtxListener : public QObject {
    Q_OBJECT
public:
    explicit WsjtxListener(QObject* parent = nullptr);
    ~WsjtxListener() override;

    // Starts listening (stopping what was before). port 0 takes a free port (tests).
    // false with the reason (UTF-8) when the address is none or cannot be bound.
    bool Listen(const std::string& address, std::uint16_t port, std::string* error = nullptr);
    void Stop();
    bool Listening() const;
    std::uint16_t Port() const;  // the bound port
    bool Multicast() const { return multicast_; }

    // Each message read, in arrival order.
    std::function<void(const WsjtxMessage&)> onMessage;

    void SetHighlightAllowed(bool allowed) { highlightAllowed_ = allowed; }
    bool HighlightAllowed() const { return highlightAllowed_; }
    // Asks the sender `id` to colour `call` (0xRRGGBB, kNoColour for its own colours).
    // false when not allowed or when nothing was heard from that sender.
    bool Highlight(const std::string& id, const std::string& call, std::int64_t background,
                   std::int64_t foreground);

    const ListenerCounts& Counts() const { return counts_; }

    // Datagrams read before the event loop gets its turn.
    static constexpr int kBatch = 256;

private:
    void ReadPending();

    struct Source {
        QHostAddress address;
        std::uint16_t port = 0;
        std::uint32_t schema = 2;
    };

    QUdpSocket* socket_ = nullptr;
    bool multicast_ = false;
    bool highlightAllowed_ = false;
    bool readScheduled_ = false;
    ListenerCounts counts_;
    std::map<std::string, Source> sources_;  // by sender id
};

}  // namespace kx::live
