// Keys as a keyboard-only user presses them, through the window system: Enter on the
// focused button, the Enter path of a QSO, Tab and the focus rules, the calculator's keys.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextEdit>
#include <QToolButton>

#include "desktop/DesktopWindows.h"

using kxtest::Desktop;
using kxtest::DesktopWindows;

namespace {

bool Focused(const QWidget* w) {
    return w->hasFocus();
}
// Presses Tab until the widget has the focus, at most `most` times; whether it has it.
bool TabTo(const QWidget* w, int most) {
    for (int i = 0; i < most && !Focused(w); ++i) Desktop::Keys("Tab");
    return Focused(w);
}
bool Red(const QLineEdit* e) {
    return e->palette().color(QPalette::Text) == QColor(Qt::red);
}

}  // namespace

TEST_F(DesktopWindows, StartWindowTakesEnterOnItsButtonsAndTabLeavesTheInfoText) {
    for (const char* language : {"EN", "LT"}) {
        SCOPED_TRACE(language);
        folder.write("Kvadrix.ini", std::string("[Kvadrix]\r\nLanguage =") + language + "\r\n");
        start();
        ASSERT_TRUE(Desktop::ShowActive(Form0));
        ASSERT_TRUE(Focused(Form0->btCont));
        const QString info = Form0->reInfo->toPlainText();
        Desktop::Keys("Tab");
        EXPECT_TRUE(Focused(Form0->reInfo));
        Desktop::Keys("Tab");
        EXPECT_FALSE(Focused(Form0->reInfo)) << "Tab leaves the info text";
        EXPECT_EQ(Form0->reInfo->toPlainText(), info);

        Form0->btAbtBEX->setFocus(Qt::TabFocusReason);
        Desktop::Keys("Return space");
        ASSERT_EQ(fake.openedDocuments.size(), 2);
        EXPECT_TRUE(fake.openedDocuments[0].endsWith(
            language == std::string("LT") ? "ApieBEX.htm" : "AboutBEX.htm"));
        fake.openedDocuments.clear();
        Desktop::Keys("Tab");
        EXPECT_TRUE(Focused(Form0->btCont));
        Desktop::Keys("Return");
        EXPECT_TRUE(Form3->isVisible());
        EXPECT_FALSE(Form0->isVisible());
    }
}

TEST_F(DesktopWindows, KeysAloneChooseTheLanguageAndReachTheLogWindowsToolBar) {
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form0));
    ASSERT_TRUE(TabTo(Form0->btLT, 8));
    Desktop::Keys("space");
    EXPECT_EQ(kx::Language, "LT");
    EXPECT_EQ(Form0->btCont->text(), QString::fromUtf8("Tęsti"));
    ASSERT_TRUE(TabTo(Form0->btCont, 8));
    Desktop::Keys("Return");
    ASSERT_TRUE(Form3->isVisible());
    ASSERT_TRUE(Desktop::ShowActive(Form3));
    // The tool bar ends the Tab order: Shift+Tab from the grid reaches Exit.
    ASSERT_TRUE(Focused(Form3->SGrid1));
    Desktop::Keys("shift+Tab");
    ASSERT_TRUE(Focused(Form3->btExit)) << "Shift+Tab reaches the tool bar";
    fake.defaultReply = QMessageBox::No;
    const int before = static_cast<int>(fake.messages.size());
    Desktop::Keys("Return");  // asked, and answered No
    ASSERT_EQ(static_cast<int>(fake.messages.size()), before + 1);
    EXPECT_EQ(fake.messages.back().box.text,
              QString::fromUtf8("Norite baigti darbą programoje Kvadrix?"));
    Desktop::Keys("shift+Tab");
    EXPECT_TRUE(Focused(Form3->btLive));
    Desktop::Keys("shift+Tab");
    EXPECT_TRUE(Focused(Form3->btExport));
    // Leaving the mode box, even holding a mode of its list, goes where the key says.
    Form3->cbMode->setFocus(Qt::TabFocusReason);
    Desktop::Keys("shift+Tab");
    EXPECT_TRUE(Focused(Form3->edTimeE));
    EXPECT_TRUE(Form3->isVisible());
}

TEST_F(DesktopWindows, AQsoTypedAlongTheEnterPathIsSavedWithoutTheMouse) {
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form3));
    // From wherever the window starts, Tab reaches the call-sign field.
    ASSERT_TRUE(TabTo(Form3->edCall, 6));
    EXPECT_EQ(Form3->edCall->text(), "LY");
    EXPECT_FALSE(Form3->edCall->hasSelectedText());
    Desktop::Type("2abc");
    EXPECT_EQ(Form3->edCall->text(), "LY2ABC");
    Desktop::Keys("Return");
    ASSERT_TRUE(Focused(Form3->edDate));
    EXPECT_EQ(Form3->edDate->text(), "2026-12-08");
    EXPECT_FALSE(Form3->edDate->hasSelectedText());
    EXPECT_EQ(Form3->edDate->cursorPosition(), 10);
    Desktop::Keys("Return");
    Desktop::Type("1230");
    Desktop::Keys("Return Return Return Return");
    ASSERT_TRUE(Focused(Form3->edName));
    Desktop::Type("Jonas");
    Desktop::Keys("Return");
    Desktop::Type("Vilnius");
    Desktop::Keys("Return");
    Desktop::Type("ko24pq");
    Desktop::Keys("Return");
    Desktop::Type("k26");
    Desktop::Keys("Return");
    ASSERT_TRUE(Focused(Form3->btEntry));
    Desktop::Keys("Return");
    EXPECT_NE(folder.read("QSO.dat").find("2026-12-08\t12:30\t\tLY2ABC\t80M\tSSB\tVilnius\tJonas\t"
                                          "KO24PQ\tK26\t\t\t\t\r\n"),
              std::string::npos)
        << folder.read("QSO.dat");
    EXPECT_TRUE(Form3->edCall->text().isEmpty()) << "saved: the fields are cleared";
}

TEST_F(DesktopWindows, TabGoesThroughTheApplicantFieldsAsTheyStandInBothLanguages) {
    for (const char* language : {"EN", "LT"}) {
        SCOPED_TRACE(language);
        kx::Language = language;
        start();
        ASSERT_TRUE(Desktop::ShowActive(Form4));
        for (QLineEdit* e : {Form4->edName, Form4->edCall, Form4->edAddr, Form4->edEaddr})
            e->clear();
        Form4->edName->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([] { return Focused(Form4->edName); }));
        Desktop::Type(QStringLiteral("Jonas"));
        Desktop::Keys("Tab");
        EXPECT_TRUE(Focused(Form4->edCall));
        Desktop::Type(QStringLiteral("ly2xyz"));
        Desktop::Keys("Tab");
        EXPECT_TRUE(Focused(Form4->edAddr));
        Desktop::Type(QStringLiteral("Kaunas"));
        Desktop::Keys("Tab");
        EXPECT_TRUE(Focused(Form4->edEaddr));
        Desktop::Keys("shift+Tab shift+Tab");
        EXPECT_TRUE(Focused(Form4->edCall));
        EXPECT_EQ(Form4->edName->text(), "Jonas");
        EXPECT_EQ(Form4->edCall->text(), "ly2xyz");
        EXPECT_EQ(Form4->edAddr->text(), "Kaunas");
        Form4->close();
    }
}

TEST_F(DesktopWindows, AnEmptyModeOrBandKeepsTheFocusOnceWithoutPingPong) {
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form3));
    Form3->cbMode->setCurrentText(QString());
    Form3->cbBand->setCurrentText(QString());
    Form3->cbMode->setFocus(Qt::TabFocusReason);
    Desktop::Keys("Tab");
    QTest::qWait(200);
    EXPECT_TRUE(Focused(Form3->cbMode));
    Desktop::Type("cw");
    EXPECT_EQ(Form3->cbMode->currentText(), "CW");
    EXPECT_EQ(Form3->cbBand->currentText(), "");
    Desktop::Keys("Tab");
    QTest::qWait(200);
    EXPECT_TRUE(Focused(Form3->cbBand)) << "the empty band box keeps the focus";
    Desktop::Type("20m");
    EXPECT_EQ(Form3->cbBand->currentText(), "20M");
    EXPECT_EQ(Form3->cbMode->currentText(), "CW");
}

TEST_F(DesktopWindows, CalculatorEscapeDownEnterAndTabAtTheCityDropDown) {
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form2));
    Form2->edCity->setFocus(Qt::TabFocusReason);
    Desktop::Type("Vil");
    ASSERT_TRUE(Form2->Panel4->isVisible());
    Desktop::Keys("Escape");
    EXPECT_FALSE(Form2->Panel4->isVisible()) << "the first Escape closes the drop-down";
    EXPECT_TRUE(Form2->isVisible());

    Desktop::Type("n");
    ASSERT_TRUE(Form2->Panel4->isVisible());
    const QString first = Form2->ListBox1->item(0)->text();
    Desktop::Keys("Down");
    EXPECT_TRUE(Focused(Form2->ListBox1));
    EXPECT_EQ(Form2->ListBox1->currentRow(), 0);
    Desktop::Keys("Return");
    EXPECT_EQ(Form2->edCity->text(), first);
    EXPECT_FALSE(Form2->Panel4->isVisible());

    Form2->BitBtn1->click();
    Form2->edCity->setFocus(Qt::TabFocusReason);
    Desktop::Type("Kau");
    ASSERT_TRUE(Form2->Panel4->isVisible());
    Desktop::Keys("Tab");
    EXPECT_FALSE(Form2->Panel4->isVisible()) << "Tab hides the drop-down";
}

// Enter looks up what the field with the focus holds, in both languages; a square typed
// into the first place shows at once; Escape closes the calculator.
TEST_F(DesktopWindows, CalculatorEnterLooksUpEachFieldAndEscapeCloses) {
    folder.write("LY-BEX.dat", "[BEX]\r\nLY2XY=J18,J19\r\n");
    for (const char* language : {"EN", "LT"}) {
        SCOPED_TRACE(language);
        start();
        kx::Language = language;
        ASSERT_TRUE(Desktop::ShowActive(Form2));
        Form2->edCall->setFocus(Qt::TabFocusReason);
        Desktop::Type("ly2xy");
        Desktop::Keys("Return");
        EXPECT_EQ(Form2->edCall->text(), "LY2XY") << "the letters in the order typed";
        EXPECT_EQ(Form2->pnBEX0->text(), "J18");
        EXPECT_EQ(Form2->pnBEX1->text(), "J19");

        Desktop::Keys("Down");
        ASSERT_TRUE(Focused(Form2->edCity));
        Desktop::Type("Nida");
        Desktop::Keys("Return");
        EXPECT_EQ(Form2->pnBEX0->text(), "H01");
        EXPECT_FALSE(Form2->Panel4->isVisible());

        Desktop::Keys("Down");
        ASSERT_TRUE(Focused(Form2->edWWL));
        Desktop::Type("ko24pq12");
        Desktop::Keys("Return");
        EXPECT_EQ(Form2->pnBEX0->text(), "K26");
        Desktop::Keys("BackSpace BackSpace BackSpace BackSpace Return");
        ASSERT_EQ(fake.messages.size(), 1u) << "KO24 is no locator";
        EXPECT_TRUE(fake.lastMessageText().contains("KO24PQ"));

        Form2->pnBEX0->setFocus(Qt::TabFocusReason);
        Desktop::Keys("ctrl+a");
        Desktop::Type("j18");
        EXPECT_EQ(Form2->pn0->text(), "KO14WX") << "the typed square at once";
        Desktop::Keys("Return");
        EXPECT_EQ(fake.messages.size(), 1u);

        Desktop::Keys("Escape");
        EXPECT_FALSE(Form2->isVisible()) << "Escape closes the calculator";
        fake.clear();
    }
}

TEST_F(DesktopWindows, CalculatorTypedDigitsTurnTheFieldRedInsteadOfAnErrorBox) {
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form2));
    Form2->mFormat2->trigger();
    Form2->edLat->setFocus(Qt::TabFocusReason);
    Desktop::Type("544122");
    ASSERT_EQ(Form2->edLat->text(), QString::fromUtf8("54°41,22'"));
    Desktop::Keys("End 3");
    EXPECT_TRUE(fake.messageTexts().isEmpty()) << fake.lastMessageText().toStdString();
    EXPECT_TRUE(Red(Form2->edLat));

    Form2->mFormat3->trigger();
    Form2->edLat->setFocus(Qt::TabFocusReason);
    Desktop::Type("90000");
    EXPECT_TRUE(fake.messageTexts().isEmpty()) << fake.lastMessageText().toStdString();
    EXPECT_TRUE(Red(Form2->edLat));
}

TEST_F(DesktopWindows, CalculatorLookUpArrowUsesOnlyTheValuesTheFieldsShow) {
    folder.write("Kvadrix.ini", "[SETUP]\r\nKoordFormat=2\r\n");
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form2));
    Form2->edLat->setFocus(Qt::TabFocusReason);
    Desktop::Type("5441");
    Form2->edLong->setFocus(Qt::TabFocusReason);
    Desktop::Type("2517");
    ASSERT_EQ(Form2->edLat->text(), QString::fromUtf8("54°41'"));
    Form2->BitBtn3->setFocus(Qt::TabFocusReason);
    Desktop::Keys("Return");
    EXPECT_EQ(Form2->edWWL->text(), "") << "incomplete texts give no locator";

    Form2->edLat->setFocus(Qt::TabFocusReason);
    Desktop::Keys("End");
    Desktop::Type("00");
    Form2->edLong->setFocus(Qt::TabFocusReason);
    Desktop::Keys("End");
    Desktop::Type("00");
    Form2->BitBtn3->setFocus(Qt::TabFocusReason);
    Desktop::Keys("Return");
    EXPECT_EQ(Form2->edWWL->text(), "KO24PQ")
        << Form2->edLat->text().toStdString() << " " << Form2->edLong->text().toStdString();
}

TEST_F(DesktopWindows, ACallTypedOverThePrefillIsThatCallAndAnEmptyCallFieldCanBeLeft) {
    for (const char* language : {"EN", "LT"}) {
        SCOPED_TRACE(language);
        folder.write("Kvadrix.ini", std::string("[Kvadrix]\r\nLanguage =") + language + "\r\n");
        start();
        ASSERT_TRUE(Desktop::ShowActive(Form3));
        ASSERT_TRUE(TabTo(Form3->edCall, 6));
        EXPECT_EQ(Form3->edCall->text(), "LY");
        Desktop::Type("ly2xyz");
        EXPECT_EQ(Form3->edCall->text(), "LY2XYZ");
        // Back to the prefill only: Tab and Shift+Tab leave the field, which is empty then.
        Desktop::Keys("BackSpace BackSpace BackSpace BackSpace");
        EXPECT_EQ(Form3->edCall->text(), "LY");
        Desktop::Keys("shift+Tab");
        EXPECT_FALSE(Focused(Form3->edCall));
        EXPECT_EQ(Form3->edCall->text(), "");
        Desktop::Keys("Tab");
        ASSERT_TRUE(Focused(Form3->edCall));
        Desktop::Keys("Tab");
        ASSERT_TRUE(Focused(Form3->edDate));
        EXPECT_EQ(Form3->edCall->text(), "");
        // A date typed over the one filled in replaces it, separators and all.
        EXPECT_EQ(Form3->edDate->text(), "2026-12-08");
        Desktop::Type("2026-12-07");
        EXPECT_EQ(Form3->edDate->text(), "2026-12-07");
    }
}

TEST_F(DesktopWindows, ToolBarShortcutsWorkFromTheFieldsAndTheSortChoiceComesBack) {
    folder.write("QSO.dat",
                 "Date\tsUTC\teUTC\tCallsign\tBand\tMode\r\n"
                 "2024-01-02\t12:00\t\tLY1AB\t20M\tCW\r\n"
                 "2024-01-01\t12:00\t\tLY2AB\t40M\tCW\r\n");
    for (const char* language : {"EN", "LT"}) {
        SCOPED_TRACE(language);
        folder.write("Kvadrix.ini", std::string("[Kvadrix]\r\nLanguage =") + language + "\r\n");
        start();
        ASSERT_TRUE(Desktop::ShowActive(Form3));
        EXPECT_TRUE(Form3->rbDate->isChecked());
        // (Qt's catalogue names Ctrl "Vald" once the Lithuanian one is loaded.)
        EXPECT_TRUE(Form3->btImport->toolTip().endsWith("+I)"))
            << Form3->btImport->toolTip().toStdString();
        EXPECT_TRUE(Form3->btExit->toolTip().endsWith("+Q)"));
        // From a field: Ctrl+I opens the import's file dialog (cancelled), Ctrl+Q asks to exit.
        ASSERT_TRUE(TabTo(Form3->edCall, 8));
        Desktop::Keys("ctrl+i");
        EXPECT_TRUE(QTest::qWaitFor([&] { return fake.openDialogs.size() == 1; }));
        fake.openDialogs.clear();
        fake.replies = {QMessageBox::No};
        const std::size_t before = fake.messages.size();
        Desktop::Keys("ctrl+q");
        EXPECT_EQ(fake.messages.size(), before + 1);
        EXPECT_TRUE(Form3->isVisible());
        // Sort by call sign, close and start again: the choice shown is the rows' order.
        Form3->rbCall->click();
        fake.replies = {QMessageBox::Yes};
        Form3->close();
        start();
        ASSERT_TRUE(Desktop::ShowActive(Form3));
        EXPECT_TRUE(Form3->rbCall->isChecked());
        Form3->rbDate->click();
        Form3->close();
    }
}

TEST_F(DesktopWindows, TheFocusIsSeenOnTheFlagsAndTheToolBarButtons) {
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form3));
    // Whether the button shows a frame in the highlight colour.
    auto framed = [](QWidget* button) {
        const QImage image = button->grab().toImage();
        const QRgb highlight = button->palette().color(QPalette::Highlight).rgb();
        int seen = 0;
        for (int x = 0; x < image.width(); ++x) seen += image.pixel(x, 1) == highlight;
        return seen > image.width() / 2;
    };
    EXPECT_FALSE(framed(Form3->btExit));
    ASSERT_TRUE(TabTo(Form3->btImport, 40));
    EXPECT_TRUE(framed(Form3->btImport));
    EXPECT_FALSE(framed(Form3->btExit));
    Form3->hide();
    ASSERT_TRUE(Desktop::ShowActive(Form0));
    ASSERT_TRUE(TabTo(Form0->btLT, 12));
    EXPECT_TRUE(framed(Form0->btLT));
    EXPECT_FALSE(framed(Form0->btEN));
}
