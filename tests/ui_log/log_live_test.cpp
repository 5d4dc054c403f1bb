// The log window's live switch and heard panel with a fake WSJT-X on the loopback address:
// a QSO logged there shows at once, selected and counted, the QSO being typed untouched.
#include <QCheckBox>
#include <QTableWidget>

#include "LogWindowFixture.h"
#include "live/FakeWsjtx.h"
#include "live/KXLive.h"

using kxtest::FakeQso;
using kxtest::FakeWsjtx;
using kxtest::PumpUntil;

namespace {

class LogLiveTest : public kxtest::LogWindowTest {
protected:
    // Switches Live on, on a free port of the loopback address.
    quint16 goLive() {
        form->pnHeard->edLiveAddress->setText("127.0.0.1");
        form->pnHeard->edLivePort->setText("0");
        form->btLive->click();
        EXPECT_TRUE(form->pnHeard->Listening());
        return form->pnHeard->Live().Listener().Port();
    }
};

}  // namespace

TEST_F(LogLiveTest, ALoggedQsoShowsAtOnceSelectedWhileTheTypedQsoStays) {
    writeLog({{"2026-01-02", "10:00", "", "LY1AB", "20M", "FT8", "", "", "KO24PQ", "K26"},
              {"2026-01-03", "11:00", "", "LY3ZZ", "40M", "CW"}});
    open();
    form->btNew->click();
    enterQso("LY5TYPED", "2026-03-15", "0900");
    const quint16 port = goLive();
    ASSERT_NE(port, 0);
    EXPECT_TRUE(form->pnHeard->isVisible());
    FakeWsjtx fake(3);
    fake.Send(fake.Heartbeat(), port);
    fake.Send(fake.Status(7'074'000, "FT8"), port);
    fake.Send(fake.Decode("CQ LY1AB KO24"), port);
    ASSERT_TRUE(PumpUntil([&] { return form->pnHeard->SGridHeard->rowCount() == 1; }));
    EXPECT_EQ(form->pnHeard->SGridHeard->item(0, 1)->text(), "LY1AB");
    EXPECT_EQ(form->pnHeard->SGridHeard->item(0, 5)->text(), "NEEDED K26");  // 40M, not 20M
    EXPECT_TRUE(
        form->pnHeard->lbLiveState->text().contains("WSJT-X heard: 40M FT8, DE SP1XYZ JO93"))
        << form->pnHeard->lbLiveState->text().toStdString();

    fake.Send(fake.QsoLogged(FakeQso()), port);
    ASSERT_TRUE(PumpUntil([&] { return logFile().find("LY2ABC") != std::string::npos; }));
    // The row New QSO added was empty: the QSO took it.
    EXPECT_EQ(form->Log().QSOCount(), 3);
    EXPECT_EQ(form->Panel4->text(), "3");
    EXPECT_EQ(form->SelectedRow(), 3);
    EXPECT_EQ(cell(3, kx::colCallsign), "LY2ABC");
    EXPECT_EQ(cell(3, kx::colBEX), "K26");
    EXPECT_EQ(form->edCall->text(), "LY5TYPED");
    EXPECT_EQ(form->edDate->text(), "2026-03-15");
    EXPECT_NE(logFile().find("LY2ABC"), std::string::npos);
    EXPECT_EQ(logFile().find("LY5TYPED"), std::string::npos);
    // Saved afterwards, the typed QSO is a QSO of its own.
    form->btEntry->click();
    EXPECT_EQ(form->Log().QSOCount(), 4);
    EXPECT_EQ(calls(), (std::vector<std::string>{"LY1AB", "LY3ZZ", "LY2ABC", "LY5TYPED"}));
}

TEST_F(LogLiveTest, TheSwitchAndItsAddressComeBackAtTheNextStart) {
    kx::Language = "LT";
    open();
    EXPECT_EQ(form->btLive->text(), "Tiesiogiai");
    EXPECT_EQ(form->pnHeard->edLiveAddress->text(), "127.0.0.1");
    EXPECT_EQ(form->pnHeard->edLivePort->text(), "2237");
    goLive();
    form->pnHeard->cbHighlight->setChecked(true);
    EXPECT_TRUE(form->FormClose());
    EXPECT_TRUE(kx::SettingsFile.ReadBool("LIVE", "On", false));
    EXPECT_TRUE(kx::SettingsFile.ReadBool("LIVE", "Highlight", false));
    EXPECT_EQ(kx::SettingsFile.ReadString("LIVE", "Port", ""), "0");
    form.reset();
    open();
    EXPECT_TRUE(form->btLive->isChecked());
    EXPECT_TRUE(form->pnHeard->Listening());
    EXPECT_TRUE(form->pnHeard->cbHighlight->isChecked());
    EXPECT_FALSE(form->pnHeard->edLivePort->isEnabled());
    form->btLive->click();
    EXPECT_FALSE(form->pnHeard->Listening());
    EXPECT_FALSE(kx::SettingsFile.ReadBool("LIVE", "On", true));
}

TEST_F(LogLiveTest, AnAddressThatCannotBeListenedOnIsToldAndLeavesTheSwitchOff) {
    open();
    form->pnHeard->edLiveAddress->setText("no.such.address");
    form->btLive->click();
    EXPECT_FALSE(form->btLive->isChecked());
    EXPECT_FALSE(form->pnHeard->Listening());
    EXPECT_TRUE(lastText().contains("no.such.address")) << lastText().toStdString();
}
