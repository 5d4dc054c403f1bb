// The listening session against a fake WSJT-X on the loopback address: logged QSOs arrive
// in the log once, heard LY stations get a verdict, HighlightCallsign goes back only when
// allowed, and hostile datagrams change nothing.
#include <gtest/gtest.h>

#include <QTimer>
#include <filesystem>
#include <fstream>

#include "FakeWsjtx.h"
#include "live/LiveSession.h"
#include "log/AdifImport.h"
#include "log/AdifReader.h"
#include "log/FindBexs.h"
#include "log/LogSession.h"
#include "platform/FileIO.h"
#include "support/TempFolder.h"

using kx::live::LiveSession;
using kx::live::Verdict;
using kxtest::FakeQso;
using kxtest::FakeWsjtx;
using kxtest::PumpUntil;

namespace {

// A program folder with the tables, an empty log and a session listening on a free port.
class LiveFixture : public ::testing::Test {
protected:
    void SetUp() override {
        folder.copyData("BEXWWL.dat");
        folder.copyData("CityBEX.dat");
        folder.write("LY-BEX.dat", "[BEX]\r\nLY1AB=K26,I19\r\nLY3ZZ=K26\r\n");
        folder.makeProgramFolder();
        session.Load("EN");
        live = std::make_unique<LiveSession>(session);
        live->onWritten = [this](const kx::live::LiveLog::Written& w) { written += w.taken; };
        live->onWriteError = [this](const std::string& e) { errors.push_back(e); };
        live->onHeard = [this](const kx::live::HeardStation& h) { heard.push_back(h); };
        std::string error;
        ASSERT_TRUE(live->Start("127.0.0.1", 0, &error)) << error;
        port = live->Listener().Port();
        ASSERT_NE(port, 0);
    }

    // Sends and waits until the listener has read `count` more datagrams.
    void Send(FakeWsjtx& fake, const QByteArray& datagram) {
        const auto before = live->Listener().Counts().datagrams;
        fake.Send(datagram, port);
        ASSERT_TRUE(PumpUntil([&] { return live->Listener().Counts().datagrams > before; }));
    }
    // Waits for the waiting QSOs to be written.
    void Settle() {
        ASSERT_TRUE(PumpUntil([&] { return live->Waiting() == 0; }));
    }
    int Rows() const { return session.Log().QSOCount(); }
    std::string Field(int row, int col) const { return std::string(session.Log().Field(row, col)); }

    kxtest::TempFolder folder;
    kx::LogSession session;
    std::unique_ptr<LiveSession> live;
    std::uint16_t port = 0;
    int written = 0;
    std::vector<std::string> errors;
    std::vector<kx::live::HeardStation> heard;
};

// The ADIF record WSJT-X's LoggedADIF holds for FakeQso's QSO.
QByteArray WsjtxRecord(const QByteArray& call = "LY2ABC", const QByteArray& mode = "<mode:3>FT8") {
    return "<call:" + QByteArray::number(call.size()) + ">" + call + " <gridsquare:6>KO24PQ " +
           mode +
           " <rst_sent:3>-07 <rst_rcvd:3>-12 <qso_date:8>20260314 <time_on:6>180045 "
           "<qso_date_off:8>20260314 <time_off:6>180215 <band:3>20m <freq:9>14.075512 "
           "<station_callsign:6>SP1XYZ <my_gridsquare:4>JO93 <tx_pwr:2>50 <name:5>Jonas <EOR>";
}

}  // namespace

TEST_F(LiveFixture, QsoLoggedAndLoggedAdifMakeOneQsoWrittenAtOnce) {
    FakeWsjtx fake(3);
    const FakeQso q;
    Send(fake, fake.QsoLogged(q));
    Send(fake, fake.LoggedAdif(FakeWsjtx::AdifText(WsjtxRecord())));
    Settle();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Field(1, kx::colDate), "2026-03-14");
    EXPECT_EQ(Field(1, kx::colSUTC), "18:00");
    EXPECT_EQ(Field(1, kx::colEUTC), "18:02");
    EXPECT_EQ(Field(1, kx::colCallsign), "LY2ABC");
    EXPECT_EQ(Field(1, kx::colBand), "20M");
    EXPECT_EQ(Field(1, kx::colMode), "FT8");
    EXPECT_EQ(Field(1, kx::colWWL), "KO24PQ");
    EXPECT_EQ(Field(1, kx::colBEX), "K26");
    EXPECT_EQ(Field(1, kx::colName), "JONAS");
    // The file holds it, as every change of the log is written.
    kx::QSOLog file("EN");
    file.Load(kx::LogFilePath(), "EN");
    ASSERT_EQ(file.QSOCount(), 1);
    EXPECT_EQ(file.Field(1, kx::colBEX), "K26");
    // A repeat of either datagram, or the QSO sent again, adds nothing.
    Send(fake, fake.LoggedAdif(FakeWsjtx::AdifText(WsjtxRecord())));
    Send(fake, fake.QsoLogged(q));
    Settle();
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(written, 1);
    EXPECT_TRUE(errors.empty());
}

TEST_F(LiveFixture, EitherMessageAloneMakesTheQso) {
    FakeWsjtx two(2, "WSJT-X");
    FakeQso q;
    q.mode = "FT4";
    q.call = "LY1AB";
    Send(two, two.QsoLogged(q));
    Settle();
    // FT4 is MFSK with submode FT4 in WSJT-X's ADIF: the same QSO.
    Send(two,
         two.LoggedAdif(FakeWsjtx::AdifText(WsjtxRecord("LY1AB", "<mode:4>MFSK <submode:3>FT4"))));
    Send(two, two.LoggedAdif(FakeWsjtx::AdifText(WsjtxRecord("LY3ZZ"))));
    Settle();
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Field(1, kx::colCallsign), "LY1AB");
    EXPECT_EQ(Field(1, kx::colMode), "FT4");
    EXPECT_EQ(Field(2, kx::colCallsign), "LY3ZZ");
    EXPECT_EQ(Field(2, kx::colBEX), "K26");
}

TEST_F(LiveFixture, JtdxLocalTimesAreUtcAndItsTwoMessagesOneQso) {
    FakeWsjtx jtdx(2, "JTDX - 14074000");
    FakeQso q;
    q.on = QDateTime(QDate(2026, 3, 14), QTime(18, 0, 45), Qt::LocalTime);
    q.off = QDateTime(QDate(2026, 3, 14), QTime(18, 2, 15), Qt::LocalTime);
    Send(jtdx, jtdx.QsoLogged(q));
    Send(jtdx, jtdx.LoggedAdif("<adif_ver:5>3.0.7\n<programid:4>JTDX\n<EOH>\n" + WsjtxRecord()));
    Settle();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Field(1, kx::colSUTC), "18:00");
}

TEST_F(LiveFixture, OtherCallsAndHostileDatagramsChangeNothing) {
    FakeWsjtx fake(3);
    FakeQso q;
    q.call = "SP1ABC";
    Send(fake, fake.QsoLogged(q));
    Send(fake, fake.LoggedAdif(FakeWsjtx::AdifText(WsjtxRecord("OH1AA"))));
    for (const QByteArray& bad :
         {QByteArray("\xad\xbc"), QByteArray(64, '\xff'), fake.QsoLogged(FakeQso()).left(40),
          fake.Message(99), fake.Message(12, [](QDataStream& o) { o << quint32(5000); }),
          fake.LoggedAdif("<call:6>LY9XYZ no end"), fake.LoggedAdif(QByteArray())})
        Send(fake, bad);
    Settle();
    EXPECT_EQ(live->Listener().Counts().refused, 5u);
    // The record without its <EOR> (and without a date: refused) is closed where its
    // message ends: it takes nothing from the next message's record.
    Send(fake, fake.LoggedAdif(FakeWsjtx::AdifText(WsjtxRecord())));
    Settle();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Field(1, kx::colCallsign), "LY2ABC");
    EXPECT_EQ(Field(1, kx::colDate), "2026-03-14");
}

TEST_F(LiveFixture, HeardStationsGetTheVerdictOfTheirSquareOnTheBandAndModeGroup) {
    FakeWsjtx fake(3);
    // Worked: LY2ABC in K26 on 20M FT8.
    Send(fake, fake.LoggedAdif(FakeWsjtx::AdifText(WsjtxRecord())));
    Settle();
    Send(fake, fake.Status(14'074'000, "FT8"));
    EXPECT_EQ(live->Sender().band, "20M");
    EXPECT_EQ(live->Sender().deGrid, "JO93");
    EXPECT_TRUE(live->Heard());
    Send(fake, fake.Decode("CQ LY2ABC KO24"));
    Send(fake, fake.Decode("SP1XYZ LY7QQ -12"));     // no square known
    Send(fake, fake.Decode("LY2ABC SP1XYZ JO93"));   // the LY call is the one called: not heard
    Send(fake, fake.Decode("CQ DX LY1AB KO25"));     // K26 or I19: the grid says I19
    Send(fake, fake.Decode("<LY3ZZ> SP1XYZ RR73"));  // hashed, called: not heard
    Send(fake, fake.Decode("SP1XYZ LY3ZZ RR73"));    // K26 worked on 20M FT8
    ASSERT_EQ(heard.size(), 4u);
    EXPECT_EQ(heard[0].call, "LY2ABC");
    EXPECT_EQ(heard[0].verdict.verdict, Verdict::Worked);
    EXPECT_EQ(heard[1].call, "LY7QQ");
    EXPECT_EQ(heard[1].verdict.verdict, Verdict::Unknown);
    EXPECT_EQ(heard[2].call, "LY1AB");
    EXPECT_EQ(heard[2].verdict.squares, std::vector<std::string>{"I19"});
    EXPECT_EQ(heard[2].verdict.verdict, Verdict::Needed);
    EXPECT_EQ(heard[3].verdict.verdict, Verdict::Worked);
    // FT4 is in FT8's group; CW is not, nor is another band.
    Send(fake, fake.Status(14'080'000, "FT4"));
    Send(fake, fake.Decode("CQ LY2ABC KO24"));
    EXPECT_EQ(heard.back().verdict.verdict, Verdict::Worked);
    Send(fake, fake.Status(14'074'000, "CW"));
    Send(fake, fake.Decode("CQ LY2ABC KO24"));
    EXPECT_EQ(heard.back().verdict.verdict, Verdict::Needed);
    Send(fake, fake.Status(7'074'000, "FT8"));
    Send(fake, fake.Decode("CQ LY2ABC KO24"));
    EXPECT_EQ(heard.back().verdict.verdict, Verdict::Needed);
    EXPECT_EQ(heard.back().verdict.needed, "K26");
    // The panel's list: the latest decode of each call, the latest first.
    const auto stations = live->HeardStations();
    ASSERT_EQ(stations.size(), 4u);
    EXPECT_EQ(stations[0].call, "LY2ABC");
    EXPECT_EQ(stations[0].band, "40M");
}

TEST_F(LiveFixture, NeededCallsAreHighlightedOnlyWhenAllowed) {
    FakeWsjtx fake(3);
    Send(fake, fake.Status(7'074'000, "FT8"));
    Send(fake, fake.Decode("CQ LY1AB KO25"));
    EXPECT_FALSE(fake.Reply(300));  // not allowed: nothing is ever sent
    live->SetHighlightNeeded(true);
    Send(fake, fake.Decode("CQ LY3ZZ KO24"));
    auto reply = fake.Reply();
    ASSERT_TRUE(reply);
    QDataStream in(*reply);
    in.setVersion(QDataStream::Qt_5_4);
    quint32 magic = 0, schema = 0, type = 0;
    QByteArray id, call;
    in >> magic >> schema >> type >> id >> call;
    EXPECT_EQ(type, 13u);
    EXPECT_EQ(schema, 3u);
    EXPECT_EQ(id, "WSJT-X");
    EXPECT_EQ(call, "LY3ZZ");
    // Once per call.
    Send(fake, fake.Decode("CQ LY3ZZ KO24"));
    EXPECT_FALSE(fake.Reply(300));
}

// The WSJT-X-style ADIF files, each record sent as a LoggedADIF message, give the log
// that importing the file gives.
TEST_F(LiveFixture, ReplayedFilesGiveTheLogTheirImportGives) {
    int files = 0, lyQsos = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KX_FIXTURES_DIR "/adif")) {
        if (entry.path().extension() != ".adi") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string bytes = kx::ReadFileBytes(entry.path().string());
        kx::QSOLog imported("EN");
        const auto r = kx::ImportAdifBytes(imported, bytes);
        kx::FindBEXs(imported);
        if (r.taken == 0) continue;
        ++files;
        lyQsos += r.taken;

        std::filesystem::remove(kx::LogFilePath());
        kx::LogSession replay;
        replay.Load("EN");
        kx::live::LiveSession replayLive(replay);
        ASSERT_TRUE(replayLive.Start("127.0.0.1", 0));
        FakeWsjtx fake(3);
        const kx::AdifLayout layout = kx::ReadAdifLayout(bytes);
        kx::AdifScanner scan(bytes, layout.utf8, layout.bodyStart);
        kx::AdifTag tag;
        std::size_t start = layout.bodyStart;
        int sent = 0;
        while (scan.Next(tag)) {
            if (tag.kind != kx::AdifTag::Kind::EndOfRecord) continue;
            const QByteArray record(bytes.data() + start, qsizetype(scan.Position() - start));
            start = scan.Position();
            const auto before = replayLive.Listener().Counts().datagrams;
            fake.Send(fake.LoggedAdif(FakeWsjtx::AdifText(record)), replayLive.Listener().Port());
            ++sent;
            // Paced, so that the loopback buffer never drops one.
            ASSERT_TRUE(
                PumpUntil([&] { return replayLive.Listener().Counts().datagrams > before; }));
        }
        ASSERT_TRUE(PumpUntil([&] { return replayLive.Waiting() == 0; }));
        EXPECT_EQ(replay.Log().Rows(), imported.Rows()) << sent << " records";
    }
    EXPECT_GE(files, 2);
    EXPECT_GE(lyQsos, 10) << files << " files";
}

TEST_F(LiveFixture, AFloodIsReadInBatchesAndEveryQsoOfItArrives) {
    FakeWsjtx fake(3);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(5);
    constexpr int kDatagrams = 10'000, kBurst = 250;
    int qsos = 0;
    for (int i = 0; i < kDatagrams; i += kBurst) {
        for (int j = i; j < i + kBurst; ++j) {
            if (j % 50 == 0) {
                FakeQso q;
                q.call = "LY" + QByteArray::number(1 + j % 9) + "Q" + QByteArray::number(j);
                q.on = q.on.addSecs(j);
                fake.Send(fake.QsoLogged(q), port);
                ++qsos;
            } else if (j % 3 == 0) {
                fake.Send(QByteArray(j % 200, char(j)), port);
            } else {
                fake.Send(fake.Decode("CQ LY" + QByteArray::number(j % 9) + "AB KO24"), port);
            }
        }
        // The loopback buffer holds a burst; the next one after it was read.
        ASSERT_TRUE(
            PumpUntil([&] { return live->Listener().Counts().datagrams >= quint64(i + kBurst); }));
    }
    Settle();
    EXPECT_EQ(live->Listener().Counts().datagrams, quint64(kDatagrams));
    EXPECT_EQ(Rows(), qsos);
    EXPECT_EQ(written, qsos);
    EXPECT_GT(ticks, 10);  // the event loop kept its turns while the flood was read
    EXPECT_TRUE(errors.empty());
}

TEST_F(LiveFixture, AQsoThatCannotBeWrittenWaitsAndIsSaidSo) {
    session.SetReadOnly("held by another program", folder.file("QSO.lock"));
    FakeWsjtx fake(3);
    Send(fake, fake.QsoLogged(FakeQso()));
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(live->Waiting(), 1u);
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(std::filesystem::exists(kx::LogFilePath()));
}

TEST_F(LiveFixture, AMulticastGroupIsJoined) {
    LiveSession group(session);
    std::string error;
    if (!group.Start("239.255.0.1", 0, &error)) GTEST_SKIP() << "no multicast here: " << error;
    EXPECT_TRUE(group.Listener().Multicast());
    QUdpSocket sender;
    sender.setSocketOption(QAbstractSocket::MulticastLoopbackOption, 1);
    FakeWsjtx fake(3);
    for (int i = 0; i < 5 && group.Listener().Counts().messages == 0; ++i) {
        sender.writeDatagram(fake.Heartbeat(), QHostAddress("239.255.0.1"),
                             group.Listener().Port());
        PumpUntil([&] { return group.Listener().Counts().messages > 0; }, 400);
    }
    if (group.Listener().Counts().messages == 0) GTEST_SKIP() << "no multicast loopback here";
    EXPECT_TRUE(group.Heard());
}

TEST_F(LiveFixture, OnlyAnAddressIsListenedOn) {
    LiveSession other(session);
    std::string error;
    EXPECT_FALSE(other.Start("localhost:2237", 0, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(other.Start("127.0.0.1", port, &error));  // taken by the fixture's session
}
