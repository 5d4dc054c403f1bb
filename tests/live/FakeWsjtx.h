// A fake WSJT-X: writes its datagrams with QDataStream the way the real program does (a
// magic, the schema, the type, the id, then the fields of the type), sends them to the
// loopback address and reads what comes back.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDataStream>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QIODevice>
#include <QNetworkDatagram>
#include <QTime>
#include <QUdpSocket>
#include <functional>
#include <optional>

namespace kxtest {

// Runs the event loop until `done` holds or `ms` have passed; whether it holds.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Runs the event loop for `ms`.
inline void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

struct FakeQso {
    QDateTime off = QDateTime(QDate(2026, 3, 14), QTime(18, 2, 15), Qt::UTC);
    QDateTime on = QDateTime(QDate(2026, 3, 14), QTime(18, 0, 45), Qt::UTC);
    QByteArray call = "LY2ABC", grid = "KO24PQ", mode = "FT8";
    quint64 frequency = 14'075'512;
    QByteArray sent = "-07", received = "-12", power = "50", comments, name = "Jonas";
    QByteArray myCall = "SP1XYZ", myGrid = "JO93";
};

class FakeWsjtx {
public:
    explicit FakeWsjtx(quint32 schema = 3, QByteArray id = "WSJT-X") : schema_(schema), id_(id) {
        socket_.bind(QHostAddress::LocalHost, 0);
    }

    // The header of a message of `type`; the fields follow on `out`.
    QByteArray Message(quint32 type, const std::function<void(QDataStream&)>& fields = {}) const {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(schema_ == 2 ? QDataStream::Qt_5_2 : QDataStream::Qt_5_4);
        out << quint32(0xadbccbda) << schema_ << type << id_;
        if (fields) fields(out);
        return bytes;
    }

    QByteArray Heartbeat() const {
        return Message(
            0, [](QDataStream& o) { o << quint32(3) << QByteArray("2.6.1") << QByteArray("abc"); });
    }
    QByteArray Status(quint64 dial, QByteArray mode, QByteArray deCall = "SP1XYZ",
                      QByteArray deGrid = "JO93") const {
        return Message(1, [&](QDataStream& o) {
            o << dial << mode << QByteArray("LY2ABC") << QByteArray("-10") << mode << true << false
              << false << quint32(1500) << quint32(1500) << deCall << deGrid << QByteArray()
              << false << QByteArray() << false << quint8(0) << quint32(0) << quint32(15)
              << QByteArray("Default") << QByteArray("LY2ABC SP1XYZ JO93");
        });
    }
    QByteArray Decode(QByteArray message, qint32 snr = -5, QTime time = QTime(18, 0, 30)) const {
        return Message(2, [&](QDataStream& o) {
            o << true << time << snr << double(0.2) << quint32(1234) << QByteArray("~") << message
              << false << false;
        });
    }
    QByteArray QsoLogged(const FakeQso& q) const {
        return Message(5, [&](QDataStream& o) {
            o << q.off << q.call << q.grid << q.frequency << q.mode << q.sent << q.received
              << q.power << q.comments << q.name << q.on << QByteArray() << q.myCall << q.myGrid
              << QByteArray() << QByteArray() << QByteArray();
        });
    }
    QByteArray LoggedAdif(QByteArray adif) const {
        return Message(12, [&](QDataStream& o) { o << adif; });
    }
    // The LoggedADIF text WSJT-X writes for a QSO: its header, then one record.
    static QByteArray AdifText(const QByteArray& record) {
        return "\n<adif_ver:5>3.1.0\n<programid:6>WSJT-X\n<EOH>\n" + record;
    }

    void Send(const QByteArray& datagram, quint16 port) {
        socket_.writeDatagram(datagram, QHostAddress::LocalHost, port);
    }

    // The next datagram sent back to this fake, within `ms`.
    std::optional<QByteArray> Reply(int ms = 2000) {
        if (!PumpUntil([&] { return socket_.hasPendingDatagrams(); }, ms)) return std::nullopt;
        return socket_.receiveDatagram().data();
    }

private:
    QUdpSocket socket_;
    quint32 schema_;
    QByteArray id_;
};

}  // namespace kxtest
