// kvadrix-tool listen against the fake WSJT-X: what it prints and what it writes.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "FakeWsjtx.h"
#include "log/QSOLog.h"
#include "support/TempFolder.h"

using kxtest::FakeQso;
using kxtest::FakeWsjtx;
using kxtest::PumpUntil;

TEST(ToolListen, PrintsTheSenderAndEachLyDecodeWithItsVerdictAndLogsTheQsos) {
    kxtest::TempFolder folder;
    folder.copyData("BEXWWL.dat");
    folder.copyData("CityBEX.dat");
    folder.write("LY-BEX.dat", "[BEX]\r\nLY1AB=K26\r\n");
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    env.insert("LANG", "C");
    tool.setProcessEnvironment(env);
    tool.start(KX_BUILD_DIR "/kvadrix-tool", {"--folder", QString::fromStdString(folder.dir()),
                                              "listen", "--port", "0", "--seconds", "4"});
    ASSERT_TRUE(tool.waitForStarted());
    QByteArray out;
    ASSERT_TRUE(PumpUntil(
        [&] {
            tool.waitForReadyRead(50);
            out += tool.readAllStandardOutput();
            return out.contains('\n');
        },
        5000))
        << tool.readAllStandardError().toStdString();
    const QByteArray first = out.left(out.indexOf('\n'));
    ASSERT_TRUE(first.startsWith("listening on 127.0.0.1 port ")) << first.toStdString();
    const quint16 port = first.mid(first.lastIndexOf(' ') + 1).toUShort();

    FakeWsjtx fake(3);
    fake.Send(fake.Heartbeat(), port);
    fake.Send(fake.Status(14'074'000, "FT8"), port);
    fake.Send(fake.Decode("CQ LY1AB KO24", -9, QTime(18, 0, 30)), port);
    fake.Send(fake.Decode("CQ OH1AA KP20"), port);
    fake.Send(fake.QsoLogged(FakeQso()), port);
    kxtest::Pump(800);  // the QSO is written before the next decode
    fake.Send(fake.Decode("CQ LY2ABC KO24", -3, QTime(18, 5, 0)), port);
    ASSERT_TRUE(tool.waitForFinished(10000));
    out += tool.readAllStandardOutput();
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const std::string text = out.toStdString();
    EXPECT_NE(text.find("heard WSJT-X 2.6.1: 20M FT8, DE SP1XYZ JO93\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("18:00:30\t-9\tLY1AB\tKO24\tK26\tneeded\tCQ LY1AB KO24\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("OH1AA"), std::string::npos) << text;
    EXPECT_NE(text.find("QSO\t2026-03-14\t18:00\tLY2ABC\t20M\tFT8\tK26\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("18:05:00\t-3\tLY2ABC\tKO24\tK26\tworked\t"), std::string::npos) << text;
    EXPECT_NE(text.find("6 datagrams, 0 refused\n"), std::string::npos) << text;
    kx::QSOLog log("EN");
    log.Load(folder.file("QSO.dat"), "EN");
    ASSERT_EQ(log.QSOCount(), 1);
    EXPECT_EQ(log.Field(1, kx::colBEX), "K26");
}

TEST(ToolListen, RefusesWhatIsNoAddressOrNoNumber) {
    kxtest::TempFolder folder;
    folder.copyData("BEXWWL.dat");
    for (const QStringList& args :
         {QStringList{"--address", "here"}, QStringList{"--port", "70000"},
          QStringList{"--seconds", "x"}, QStringList{"--port"}, QStringList{"--loud"}}) {
        QProcess tool;
        tool.start(KX_BUILD_DIR "/kvadrix-tool",
                   QStringList{"--folder", QString::fromStdString(folder.dir()), "listen"} + args);
        ASSERT_TRUE(tool.waitForFinished(10000));
        EXPECT_EQ(tool.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_FALSE(tool.readAllStandardError().isEmpty());
    }
}
