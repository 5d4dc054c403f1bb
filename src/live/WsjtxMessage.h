// The datagrams WSJT-X and JTDX send to the programs that listen to them over UDP, read
// without trusting a byte of them, and the one datagram Kvadrix sends back.
//
// One message per datagram, in Qt's QDataStream layout (big-endian): a quint32 magic
// 0xadbccbda, a quint32 schema (2 or 3), a quint32 message type, the sender's id, then the
// fields of the type. Texts are UTF-8 byte strings (a quint32 length, 0xffffffff for a
// null text, which reads as empty). A datagram that is too short, has another magic or
// schema, cuts a field short or is of a type Kvadrix does not read is refused with the
// reason; fields after the ones read are ignored, and so are fields that newer versions
// add at the end and older ones lack.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace kx::live {

inline constexpr std::uint32_t kWsjtxMagic = 0xadbccbda;

enum class WsjtxType : std::uint32_t {
    Heartbeat = 0,
    Status = 1,
    Decode = 2,
    Clear = 3,
    QsoLogged = 5,
    Close = 6,
    LoggedAdif = 12,
    HighlightCallsign = 13,
};

// A date and time of day in UTC as the log keeps it. JTDX marks its times as local time
// while they are UTC: a local time from a sender whose id begins with "JTDX" is taken as
// UTC; any other sender's local time is converted from this machine's time zone.
struct UtcDateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    bool valid = false;
};

struct Heartbeat {
    std::uint32_t maxSchema = 2;  // absent from schema 2 senders
    std::string version, revision;
};

struct Status {
    std::uint64_t dialFrequency = 0;  // Hz
    std::string mode, dxCall, report, txMode;
    bool txEnabled = false, transmitting = false, decoding = false;
    std::string deCall, deGrid, dxGrid, subMode;
};

struct Decode {
    bool isNew = true;
    int msecsOfDay = -1;  // time of the period, UTC; -1 when not given
    std::int32_t snr = 0;
    double deltaTime = 0;
    std::uint32_t deltaFrequency = 0;
    std::string mode, message;
    bool lowConfidence = false, offAir = false;
};

struct QsoLogged {
    UtcDateTime timeOff, timeOn;  // timeOn invalid when the sender gave none
    std::string dxCall, dxGrid;
    std::uint64_t frequency = 0;  // Hz
    std::string mode, reportSent, reportReceived, txPower, comments, name;
    std::string operatorCall, myCall, myGrid, exchangeSent, exchangeReceived;
};

struct LoggedAdif {
    std::string adif;  // an ADIF file of one record, header included
};

struct Clear {};
struct Close {};

struct WsjtxMessage {
    std::uint32_t schema = 0;
    WsjtxType type = WsjtxType::Heartbeat;
    std::string id;  // the sender's name: "WSJT-X", "JTDX", or the one its user chose
    std::variant<Heartbeat, Status, Decode, Clear, QsoLogged, Close, LoggedAdif> body;
};

enum class WsjtxRefusal {
    None,
    TooShort,     // shorter than magic, schema and type
    BadMagic,     // not a WSJT-X message at all
    BadSchema,    // a schema other than 2 and 3
    UnknownType,  // a type Kvadrix does not read (Reply, WSPR decodes, ...)
    Truncated,    // a field cut short, or a text longer than what is left
};

// The message of one datagram, or nothing with the reason in `refusal`.
std::optional<WsjtxMessage> ReadWsjtxDatagram(const QByteArray& datagram,
                                              WsjtxRefusal* refusal = nullptr);

// Colours of a highlight: 0xRRGGBB; kNoColour resets WSJT-X's own colour.
inline constexpr std::int64_t kNoColour = -1;

// The HighlightCallsign datagram (type 13) that asks the sender `id` to colour `call` in
// its band activity; highlightLast: only the call's last decode.
QByteArray HighlightCallsignDatagram(std::uint32_t schema, const std::string& id,
                                     const std::string& call, std::int64_t background,
                                     std::int64_t foreground, bool highlightLast = false);

}  // namespace kx::live
