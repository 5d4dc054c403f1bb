// Reading WSJT-X's and JTDX's datagrams as the fake sender writes them, refusing what is
// not one, and the HighlightCallsign reply as WSJT-X reads it.
#include <gtest/gtest.h>

#include <QColor>
#include <QTimeZone>

#include "FakeWsjtx.h"
#include "live/WsjtxMessage.h"

using kx::live::ReadWsjtxDatagram;
using kx::live::WsjtxRefusal;
using kxtest::FakeWsjtx;

namespace {

template <typename T>
T Body(const QByteArray& datagram) {
    auto m = ReadWsjtxDatagram(datagram);
    EXPECT_TRUE(m.has_value());
    if (!m) return T{};
    EXPECT_TRUE(std::holds_alternative<T>(m->body));
    return std::holds_alternative<T>(m->body) ? std::get<T>(m->body) : T{};
}

WsjtxRefusal RefusalOf(const QByteArray& datagram) {
    WsjtxRefusal why = WsjtxRefusal::None;
    EXPECT_FALSE(ReadWsjtxDatagram(datagram, &why).has_value());
    return why;
}

}  // namespace

TEST(WsjtxMessages, EveryTypeReadInSchemaTwoAndThree) {
    for (quint32 schema : {2u, 3u}) {
        SCOPED_TRACE(schema);
        FakeWsjtx fake(schema, "WSJT-X");
        auto hb = ReadWsjtxDatagram(fake.Heartbeat());
        ASSERT_TRUE(hb);
        EXPECT_EQ(hb->schema, schema);
        EXPECT_EQ(hb->id, "WSJT-X");
        EXPECT_EQ(std::get<kx::live::Heartbeat>(hb->body).version, "2.6.1");

        auto st = Body<kx::live::Status>(fake.Status(7'074'000, "FT8", "SP1XYZ", "JO93"));
        EXPECT_EQ(st.dialFrequency, 7'074'000u);
        EXPECT_EQ(st.mode, "FT8");
        EXPECT_EQ(st.deCall, "SP1XYZ");
        EXPECT_EQ(st.deGrid, "JO93");

        auto d = Body<kx::live::Decode>(fake.Decode("CQ LY2ABC KO24", -14, QTime(12, 30, 15)));
        EXPECT_EQ(d.message, "CQ LY2ABC KO24");
        EXPECT_EQ(d.snr, -14);
        EXPECT_EQ(d.msecsOfDay, (12 * 3600 + 30 * 60 + 15) * 1000);
        EXPECT_EQ(d.deltaFrequency, 1234u);

        kxtest::FakeQso q;
        auto logged = Body<kx::live::QsoLogged>(fake.QsoLogged(q));
        EXPECT_EQ(logged.dxCall, "LY2ABC");
        EXPECT_EQ(logged.dxGrid, "KO24PQ");
        EXPECT_EQ(logged.frequency, 14'075'512u);
        EXPECT_EQ(logged.name, "Jonas");
        EXPECT_EQ(logged.myGrid, "JO93");
        ASSERT_TRUE(logged.timeOn.valid);
        EXPECT_EQ(logged.timeOn.hour, 18);
        EXPECT_EQ(logged.timeOn.minute, 0);
        EXPECT_EQ(logged.timeOff.minute, 2);
        EXPECT_EQ(logged.timeOff.day, 14);

        EXPECT_EQ(Body<kx::live::LoggedAdif>(fake.LoggedAdif("<call:6>LY2ABC <eor>")).adif,
                  "<call:6>LY2ABC <eor>");
        EXPECT_TRUE(ReadWsjtxDatagram(fake.Message(3)));
        EXPECT_TRUE(ReadWsjtxDatagram(fake.Message(6)));
    }
}

TEST(WsjtxMessages, TimesBecomeUtc) {
    kxtest::FakeQso q;
    // JTDX marks UTC values as local time: they stay as they are.
    q.on = QDateTime(QDate(2026, 3, 14), QTime(23, 59, 0), Qt::LocalTime);
    q.off = QDateTime(QDate(2026, 3, 15), QTime(0, 1, 0), Qt::LocalTime);
    auto jtdx = Body<kx::live::QsoLogged>(FakeWsjtx(2, "JTDX - 14074000").QsoLogged(q));
    EXPECT_EQ(jtdx.timeOn.day, 14);
    EXPECT_EQ(jtdx.timeOn.hour, 23);
    EXPECT_EQ(jtdx.timeOff.day, 15);
    EXPECT_EQ(jtdx.timeOff.hour, 0);
    // An offset or a time zone is taken off.
    q.on = QDateTime(QDate(2026, 3, 15), QTime(1, 30, 0), Qt::OffsetFromUTC, 2 * 3600);
    const QTimeZone vilnius("Europe/Vilnius");
    q.off = vilnius.isValid() ? QDateTime(QDate(2026, 7, 1), QTime(12, 0, 0), vilnius)
                              : QDateTime(QDate(2026, 7, 1), QTime(9, 0, 0), Qt::UTC);
    auto other = Body<kx::live::QsoLogged>(FakeWsjtx(3, "WSJT-X").QsoLogged(q));
    EXPECT_EQ(other.timeOn.day, 14);
    EXPECT_EQ(other.timeOn.hour, 23);
    EXPECT_EQ(other.timeOn.minute, 30);
    EXPECT_EQ(other.timeOff.hour, 9);  // summer time: UTC+3
}

TEST(WsjtxMessages, OlderSendersWithoutTheLaterFieldsAreRead) {
    FakeWsjtx fake(2);
    // A heartbeat of the id alone, a status that ends before the DE call, a decode without
    // its flags, a QSO logged without time on and own station.
    EXPECT_TRUE(ReadWsjtxDatagram(fake.Message(0)));
    auto st = Body<kx::live::Status>(fake.Message(1, [](QDataStream& o) {
        o << quint64(3'573'000) << QByteArray("FT8") << QByteArray() << QByteArray()
          << QByteArray("FT8") << false << false;
    }));
    EXPECT_EQ(st.dialFrequency, 3'573'000u);
    EXPECT_TRUE(st.deGrid.empty());
    auto d = Body<kx::live::Decode>(fake.Message(2, [](QDataStream& o) {
        o << true << QTime(1, 2, 3) << qint32(-3) << 0.1 << quint32(700) << QByteArray("~")
          << QByteArray("CQ LY1A KO25");
    }));
    EXPECT_EQ(d.message, "CQ LY1A KO25");
    auto q = Body<kx::live::QsoLogged>(fake.Message(5, [](QDataStream& o) {
        o << QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5), Qt::UTC) << QByteArray("LY1A")
          << QByteArray() << quint64(7'074'000) << QByteArray("FT8") << QByteArray("-1")
          << QByteArray("-2") << QByteArray() << QByteArray() << QByteArray();
    }));
    EXPECT_FALSE(q.timeOn.valid);
    EXPECT_TRUE(q.timeOff.valid);
}

TEST(WsjtxMessages, HostileDatagramsAreRefusedWithTheirReason) {
    FakeWsjtx fake(3);
    const QByteArray good = fake.Decode("CQ LY2ABC KO24");
    EXPECT_EQ(RefusalOf(QByteArray()), WsjtxRefusal::TooShort);
    EXPECT_EQ(RefusalOf(good.left(11)), WsjtxRefusal::TooShort);
    QByteArray magic = good;
    magic[0] = 0;
    EXPECT_EQ(RefusalOf(magic), WsjtxRefusal::BadMagic);
    QByteArray schema = good;
    schema[7] = 9;
    EXPECT_EQ(RefusalOf(schema), WsjtxRefusal::BadSchema);
    EXPECT_EQ(RefusalOf(fake.Message(4)), WsjtxRefusal::UnknownType);  // Reply
    EXPECT_EQ(RefusalOf(fake.Message(0x7fffffff)), WsjtxRefusal::UnknownType);
    // Every cut of a decode and of a logged QSO before their last required field.
    for (int n = 12; n < good.size() - 2; ++n)
        EXPECT_EQ(RefusalOf(good.left(n)), WsjtxRefusal::Truncated) << n;
    const QByteArray qso = fake.QsoLogged(kxtest::FakeQso());
    for (int n = 12; n < 120; ++n) {
        auto m = ReadWsjtxDatagram(qso.left(n));
        if (m) {
            EXPECT_TRUE(std::get<kx::live::QsoLogged>(m->body).timeOff.valid) << n;
        }
    }
    // A text whose length runs past the end, and one of nearly 4 GB.
    QByteArray past = fake.Message(12, [](QDataStream& o) { o << quint32(1000) << quint32(0); });
    EXPECT_EQ(RefusalOf(past), WsjtxRefusal::Truncated);
    QByteArray huge = fake.Message(12, [](QDataStream& o) { o << quint32(0xfffffffe); });
    EXPECT_EQ(RefusalOf(huge), WsjtxRefusal::Truncated);
    // A null text reads as the empty one; a date that is no date leaves the time invalid.
    auto nullText = Body<kx::live::LoggedAdif>(
        fake.Message(12, [](QDataStream& o) { o << quint32(0xffffffff); }));
    EXPECT_TRUE(nullText.adif.empty());
    auto junk = Body<kx::live::QsoLogged>(fake.Message(5, [](QDataStream& o) {
        o << qint64(-999'999'999'999) << quint32(0xfffffff0) << quint8(7) << QByteArray("LY1A")
          << QByteArray() << quint64(0) << QByteArray() << QByteArray() << QByteArray()
          << QByteArray() << QByteArray() << QByteArray();
    }));
    EXPECT_FALSE(junk.timeOff.valid);
}

TEST(WsjtxMessages, HighlightCallsignAsWsjtxReadsIt) {
    const QByteArray d =
        kx::live::HighlightCallsignDatagram(3, "WSJT-X", "LY2ABC", 0xff8c00, kx::live::kNoColour);
    QDataStream in(d);
    in.setVersion(QDataStream::Qt_5_4);
    quint32 magic = 0, schema = 0, type = 0;
    QByteArray id, call;
    QColor background, foreground;
    bool last = true;
    in >> magic >> schema >> type >> id >> call >> background >> foreground >> last;
    ASSERT_EQ(in.status(), QDataStream::Ok);
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(magic, 0xadbccbdau);
    EXPECT_EQ(schema, 3u);
    EXPECT_EQ(type, 13u);
    EXPECT_EQ(id, "WSJT-X");
    EXPECT_EQ(call, "LY2ABC");
    EXPECT_EQ(background, QColor(0xff, 0x8c, 0x00));
    EXPECT_FALSE(foreground.isValid());
    EXPECT_FALSE(last);
}
