// The log window receiving a QSO from a fake WSJT-X on the desktop: the live switch by its
// key, the QSO shown at once, and the heard panel's place kept over a restart.
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include "desktop/DesktopWindows.h"
#include "live/FakeWsjtx.h"
#include "live/KXLive.h"
#include "log/KXLog.h"

using kxtest::Desktop;
using kxtest::DesktopWindows;
using kxtest::FakeWsjtx;

TEST_F(DesktopWindows, LiveByItsKeyShowsALoggedQsoAtOnceAndThePanelKeepsItsPlace) {
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form3));
    Form3->pnHeard->edLivePort->setText("0");
    Form3->SGrid1->setFocus();
    Desktop::Keys("ctrl+shift+l");
    ASSERT_TRUE(QTest::qWaitFor([] { return Form3->pnHeard->Listening(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([] { return Form3->pnHeard->isVisible(); }, 5000));
    const quint16 port = Form3->pnHeard->Live().Listener().Port();
    FakeWsjtx fake(3);
    fake.Send(fake.Status(14'074'000, "FT8"), port);
    fake.Send(fake.QsoLogged(kxtest::FakeQso()), port);
    ASSERT_TRUE(QTest::qWaitFor([] { return Form3->Log().QSOCount() == 1; }, 5000));
    EXPECT_EQ(Form3->Log().Field(1, kx::colCallsign), "LY2ABC");
    EXPECT_EQ(Form3->SelectedRow(), 1);
    EXPECT_EQ(Form3->Panel4->text(), "1");
    EXPECT_TRUE(folder.read("QSO.dat").find("LY2ABC") != std::string::npos);

    Form3->addDockWidget(Qt::RightDockWidgetArea, Form3->pnHeard);
    Form3->close();
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form3));
    EXPECT_TRUE(Form3->pnHeard->Listening());
    EXPECT_TRUE(Form3->pnHeard->isVisible());
    EXPECT_EQ(Form3->dockWidgetArea(Form3->pnHeard), Qt::RightDockWidgetArea);
    Desktop::Keys("ctrl+shift+l");
    EXPECT_TRUE(QTest::qWaitFor([] { return !Form3->pnHeard->Listening(); }, 5000));
}
