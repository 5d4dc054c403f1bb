#include "live/WsjtxMessage.h"

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QIODevice>
#include <QTime>
#include <QTimeZone>

namespace kx::live {

namespace {

// The QDataStream layout each schema names: 2 is Qt 5.2's, 3 is Qt 5.4's.
QDataStream::Version StreamVersion(std::uint32_t schema) {
    return schema == 2 ? QDataStream::Qt_5_2 : QDataStream::Qt_5_4;
}

// Reads fields from the datagram; after the first field that does not fit, every further
// read fails too and ok() stays false.
class FieldReader {
public:
    explicit FieldReader(const QByteArray& bytes) : in_(bytes) {
        in_.setByteOrder(QDataStream::BigEndian);
    }
    void SetSchema(std::uint32_t schema) { in_.setVersion(StreamVersion(schema)); }
    bool ok() const { return in_.status() == QDataStream::Ok; }
    bool AtEnd() const { return in_.atEnd(); }

    template <typename T>
    T Number() {
        T value{};
        if (ok()) in_ >> value;
        return ok() ? value : T{};
    }
    bool Bool() { return Number<quint8>() != 0; }
    double Double() { return Number<double>(); }

    // A UTF-8 text: a quint32 byte count, 0xffffffff for the null text. A count past the
    // datagram's end fails without reading anything.
    std::string Text() {
        const quint32 size = Number<quint32>();
        if (!ok() || size == 0xffffffffu) return {};
        if (size > static_cast<quint64>(in_.device()->bytesAvailable())) {
            in_.setStatus(QDataStream::ReadPastEnd);
            return {};
        }
        std::string text(size, '\0');
        if (size > 0 && in_.readRawData(text.data(), static_cast<int>(size)) != int(size)) {
            in_.setStatus(QDataStream::ReadPastEnd);
            return {};
        }
        return text;
    }

    // A QTime: milliseconds since midnight, 0xffffffff for none.
    int MsecsOfDay() {
        const quint32 ms = Number<quint32>();
        return ok() && ms < 86'400'000u ? static_cast<int>(ms) : -1;
    }

    // A QDateTime: Julian day, milliseconds of the day, kind of time (0 local, 1 UTC, 2 an
    // offset in seconds follows, 3 a time zone follows).
    UtcDateTime DateTime(bool localIsUtc) {
        const qint64 julianDay = Number<qint64>();
        const int ms = MsecsOfDay();
        const quint8 timeKind = Number<quint8>();
        qint32 offset = 0;
        QTimeZone zone;
        if (timeKind == 2) offset = Number<qint32>();
        if (timeKind == 3 && ok()) in_ >> zone;
        UtcDateTime out;
        const QDate date = QDate::fromJulianDay(julianDay);
        if (!ok() || !date.isValid() || ms < 0 || timeKind > 3) return out;
        const QTime time = QTime::fromMSecsSinceStartOfDay(ms);
        QDateTime at;
        if (timeKind == 1 || (timeKind == 0 && localIsUtc))
            at = QDateTime(date, time, Qt::UTC);
        else if (timeKind == 0)
            at = QDateTime(date, time, Qt::LocalTime).toUTC();
        else if (timeKind == 2)
            at = QDateTime(date, time, Qt::OffsetFromUTC, offset).toUTC();
        else if (zone.isValid())
            at = QDateTime(date, time, zone).toUTC();
        if (!at.isValid() || at.date().year() < 1 || at.date().year() > 9999) return out;
        out.year = at.date().year();
        out.month = at.date().month();
        out.day = at.date().day();
        out.hour = at.time().hour();
        out.minute = at.time().minute();
        out.second = at.time().second();
        out.valid = true;
        return out;
    }

private:
    QDataStream in_;
};

Heartbeat ReadHeartbeat(FieldReader& r) {
    Heartbeat h;
    if (r.AtEnd()) return h;
    h.maxSchema = r.Number<quint32>();
    h.version = r.Text();
    h.revision = r.Text();
    return h;
}

// Fields that every version sends come first; the later ones are read while they last.
Status ReadStatus(FieldReader& r, bool& complete) {
    Status s;
    s.dialFrequency = r.Number<quint64>();
    s.mode = r.Text();
    s.dxCall = r.Text();
    s.report = r.Text();
    s.txMode = r.Text();
    s.txEnabled = r.Bool();
    s.transmitting = r.Bool();
    complete = r.ok();
    if (!complete || r.AtEnd()) return s;
    Status more = s;
    more.decoding = r.Bool();
    r.Number<qint32>();  // Rx DF
    r.Number<qint32>();  // Tx DF
    more.deCall = r.Text();
    more.deGrid = r.Text();
    more.dxGrid = r.Text();
    if (!r.ok()) return s;
    s = more;
    r.Bool();  // Tx watchdog
    more.subMode = r.Text();
    if (r.ok()) s.subMode = more.subMode;
    return s;
}

Decode ReadDecode(FieldReader& r, bool& complete) {
    Decode d;
    d.isNew = r.Bool();
    d.msecsOfDay = r.MsecsOfDay();
    d.snr = r.Number<qint32>();
    d.deltaTime = r.Double();
    d.deltaFrequency = r.Number<quint32>();
    d.mode = r.Text();
    d.message = r.Text();
    complete = r.ok();
    if (!complete || r.AtEnd()) return d;
    const bool lowConfidence = r.Bool();
    const bool offAir = r.Bool();
    if (r.ok()) {
        d.lowConfidence = lowConfidence;
        d.offAir = offAir;
    }
    return d;
}

QsoLogged ReadQsoLogged(FieldReader& r, bool localIsUtc, bool& complete) {
    QsoLogged q;
    q.timeOff = r.DateTime(localIsUtc);
    q.dxCall = r.Text();
    q.dxGrid = r.Text();
    q.frequency = r.Number<quint64>();
    q.mode = r.Text();
    q.reportSent = r.Text();
    q.reportReceived = r.Text();
    q.txPower = r.Text();
    q.comments = r.Text();
    q.name = r.Text();
    complete = r.ok();
    if (!complete || r.AtEnd()) return q;
    QsoLogged more = q;
    more.timeOn = r.DateTime(localIsUtc);
    more.operatorCall = r.Text();
    more.myCall = r.Text();
    more.myGrid = r.Text();
    if (!r.ok()) return q;
    q = more;
    more.exchangeSent = r.Text();
    more.exchangeReceived = r.Text();
    if (r.ok()) q = more;
    return q;
}

void Refuse(WsjtxRefusal* refusal, WsjtxRefusal why) {
    if (refusal) *refusal = why;
}

}  // namespace

std::optional<WsjtxMessage> ReadWsjtxDatagram(const QByteArray& datagram, WsjtxRefusal* refusal) {
    Refuse(refusal, WsjtxRefusal::None);
    if (datagram.size() < 12) {
        Refuse(refusal, WsjtxRefusal::TooShort);
        return std::nullopt;
    }
    FieldReader r(datagram);
    WsjtxMessage m;
    if (r.Number<quint32>() != kWsjtxMagic) {
        Refuse(refusal, WsjtxRefusal::BadMagic);
        return std::nullopt;
    }
    m.schema = r.Number<quint32>();
    if (m.schema != 2 && m.schema != 3) {
        Refuse(refusal, WsjtxRefusal::BadSchema);
        return std::nullopt;
    }
    r.SetSchema(m.schema);
    const quint32 type = r.Number<quint32>();
    m.id = r.Text();
    if (!r.ok()) {
        Refuse(refusal, WsjtxRefusal::Truncated);
        return std::nullopt;
    }
    bool complete = true;
    switch (type) {
        case quint32(WsjtxType::Heartbeat):
            m.body = ReadHeartbeat(r);
            break;
        case quint32(WsjtxType::Status):
            m.body = ReadStatus(r, complete);
            break;
        case quint32(WsjtxType::Decode):
            m.body = ReadDecode(r, complete);
            break;
        case quint32(WsjtxType::Clear):
            m.body = Clear{};
            break;
        case quint32(WsjtxType::QsoLogged):
            m.body = ReadQsoLogged(r, m.id.starts_with("JTDX"), complete);
            break;
        case quint32(WsjtxType::Close):
            m.body = Close{};
            break;
        case quint32(WsjtxType::LoggedAdif): {
            LoggedAdif a;
            a.adif = r.Text();
            complete = r.ok();
            m.body = std::move(a);
            break;
        }
        default:
            Refuse(refusal, WsjtxRefusal::UnknownType);
            return std::nullopt;
    }
    if (!complete) {
        Refuse(refusal, WsjtxRefusal::Truncated);
        return std::nullopt;
    }
    m.type = static_cast<WsjtxType>(type);
    return m;
}

namespace {

// A QColor as QDataStream writes it: its kind (1 RGB, 0 invalid), then alpha, red, green,
// blue and a padding word, each 16 bits (a byte value times 257).
void WriteColour(QDataStream& out, std::int64_t rgb) {
    const bool valid = rgb >= 0;
    out << qint8(valid ? 1 : 0);
    auto channel = [&](int shift) { return quint16(valid ? ((rgb >> shift) & 0xff) * 257 : 0); };
    out << quint16(valid ? 0xffff : 0) << channel(16) << channel(8) << channel(0) << quint16(0);
}

void WriteText(QDataStream& out, const std::string& text) {
    out << quint32(text.size());
    out.writeRawData(text.data(), static_cast<int>(text.size()));
}

}  // namespace

QByteArray HighlightCallsignDatagram(std::uint32_t schema, const std::string& id,
                                     const std::string& call, std::int64_t background,
                                     std::int64_t foreground, bool highlightLast) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::BigEndian);
    out.setVersion(StreamVersion(schema));
    out << quint32(kWsjtxMagic) << quint32(schema) << quint32(WsjtxType::HighlightCallsign);
    WriteText(out, id);
    WriteText(out, call);
    WriteColour(out, background);
    WriteColour(out, foreground);
    out << quint8(highlightLast ? 1 : 0);
    return bytes;
}

}  // namespace kx::live
