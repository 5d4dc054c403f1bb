// The log window with real key and mouse events: QSO entry and its checks, the Enter
// path, sorting, deleting, closing, and closing while the log cannot be written.
#include <QClipboard>
#include <QTimer>
#include <filesystem>

#include "LogWindowFixture.h"
#include "calc/KXCalc.h"
#include "log/LogBackup.h"

using kxtest::LogWindowTest;

namespace {

class LogEntry : public LogWindowTest {
protected:
    // Saves a QSO typed with the start time given; returns the stored sUTC or "(none)".
    std::string saveWithStart(const QString& start) {
        enterQso("LY1AB", "2009-05-12", "");
        retype(form->edTime, start);
        form->btEntry->click();
        return form->Log().IsEmptyLog() ? "(none)" : cell(1, kx::colSUTC);
    }
    int questions() const { return fake.count(kx::MessageKind::Question); }
    static bool focused(QWidget* w) {
        QWidget* f = QApplication::focusWidget();
        return f && (f == w || w->isAncestorOf(f));
    }
    void clickRow(int row) {
        const QModelIndex i = form->SGrid1->model()->index(row - 1, 3);
        QTest::mouseClick(form->SGrid1->viewport(), Qt::LeftButton, {},
                          form->SGrid1->visualRect(i).center());
    }
};

}  // namespace

TEST_F(LogEntry, StartTimesAreReadAsTimesOfDay) {
    open();
    EXPECT_EQ(saveWithStart("1230"), "12:30");
    EXPECT_TRUE(fake.messages.empty());
    form->btClearAll->click();  // No: the log stays
    fake.replies = {QMessageBox::Yes};
    form->btClearAll->click();
    fake.clear();

    EXPECT_EQ(saveWithStart("930"), "(none)");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(lastText(), "Time format is incorrect");
    EXPECT_TRUE(form->edTime->hasFocus());
    EXPECT_EQ(form->edTime->selectedText(), "930");
    EXPECT_EQ(form->edCall->text(), "LY1AB");  // nothing was cleared
    EXPECT_FALSE(std::filesystem::exists(folder.file("QSO.dat")));

    EXPECT_EQ(saveWithStart("25:00"), "(none)");
    EXPECT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(saveWithStart("9:30"), "9:30");
    EXPECT_EQ(fake.messages.size(), 2u);
    // Only digits, ":" and blanks can be typed.
    retype(form->edTime, "1a2:b3");
    EXPECT_EQ(form->edTime->text(), "12:3");
}

TEST_F(LogEntry, SavedQsoIsStoredSortedWrittenAndTheFieldsCleared) {
    writeLog({{"2009-05-13", "10:00", " ", "LY9ZZ", "20M", "CW"}});
    open();
    form->btNew->click();
    EXPECT_EQ(form->Log().DataRowCount(), 2);
    EXPECT_TRUE(form->edCall->hasFocus());
    // The new row was selected and copied into the fields: the date is empty too.
    EXPECT_EQ(form->edDate->text(), "");
    type(form->edCall, "2ab");  // after the "LY" that entering the empty field gives
    EXPECT_EQ(form->edCall->text(), "LY2AB");
    type(form->edDate, "");  // entering it again shows the date memory
    EXPECT_EQ(form->edDate->text(), "2026-12-08");
    form->edTime->setText("0900");
    form->edTimeE->setText("0910");
    form->cbBand->setCurrentText("40M");
    form->cbMode->setCurrentText("SSB");  // the empty new row emptied it
    form->edName->setText("Jonas");
    form->edQTH->setText("Kaunas, LT");
    form->edRem->setText("tab\there\r\nand line");  // pasted text with control characters
    type(form->edWWL, "ko24ot");
    type(form->edBEX, "k26");
    type(form->edMyWWL, "*ko24pq");
    type(form->edMyBEX, "*k26");
    form->btEntry->click();

    EXPECT_TRUE(fake.messages.empty()) << lastText().toStdString();
    EXPECT_EQ(calls(), (std::vector<std::string>{"LY9ZZ", "LY2AB"}));
    const kx::QSORow expected = {"2026-12-08",        "09:00", "09:10",  "LY2AB", "40M",    "SSB",
                                 "Kaunas, LT",        "Jonas", "KO24OT", "K26",   "KO24PQ", "K26",
                                 "tab here  and line"};
    EXPECT_EQ(form->Log().Row(2), expected);
    EXPECT_EQ(form->Panel4->text(), "2");
    EXPECT_NE(logFile().find(kxtest::LogLine(expected)), std::string::npos) << logFile();
    // The fields of the QSO are cleared; date, mode, band and own station stay.
    for (QLineEdit* e : {form->edCall, form->edWWL, form->edBEX, form->edTimeE, form->edName,
                         form->edQTH, form->edRem})
        EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
    EXPECT_EQ(form->edTime->text(), "00:00");
    EXPECT_EQ(form->edDate->text(), "2026-12-08");
    EXPECT_EQ(form->cbBand->currentText(), "40M");
    EXPECT_EQ(form->edMyWWL->text(), "*KO24PQ");
    // The saved texts are seen whole: a column narrower than one of them grows.
    const QFontMetrics font(form->SGrid1->font());
    EXPECT_GE(form->SGrid1->columnWidth(kx::colRemarks),
              font.horizontalAdvance(QStringLiteral("tab here  and line")) + 10);
    EXPECT_GE(form->SGrid1->columnWidth(kx::colQTH),
              font.horizontalAdvance(QStringLiteral("Kaunas, LT")) + 10);
}

TEST_F(LogEntry, FieldsTakeOnlyTheirCharactersAndBadSquaresAreNotStored) {
    open();
    type(form->edWWL, "ko24yz9");
    EXPECT_EQ(form->edWWL->text(), "KO249");  // Y and Z are no locator letters
    type(form->edBEX, "q0a45");
    EXPECT_EQ(form->edBEX->text(), "0A45");  // nor Q to Z square letters
    retype(form->edBEX, "A45");
    type(form->edCall, "1-a.b");
    EXPECT_EQ(form->edCall->text(), "LY1AB");
    type(form->edDate, "");
    EXPECT_EQ(form->edDate->text(), "2026-12-08");  // today on entering
    retype(form->edDate, "2009/05:12");  // the date filled in is replaced by what is typed
    EXPECT_EQ(form->edDate->text(), "2009/0512");
    form->edDate->setText("2009-05-12");
    form->edTime->setText("12:00");
    form->edWWL->setText("KO24");
    form->btEntry->click();
    EXPECT_EQ(cell(1, kx::colCallsign), "LY1AB");
    EXPECT_EQ(form->Log().Field(1, kx::colBEX), "");  // A45: second digit above 3
    EXPECT_EQ(form->Log().Field(1, kx::colWWL), "");
}

TEST_F(LogEntry, CallSignFieldCannotBeLeftWithLessThanACallSign) {
    open();
    auto leaves = [&](const QString& call) {
        form->edCall->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        form->edCall->setText(call);
        form->edName->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        QApplication::processEvents();
        return !form->edCall->hasFocus();
    };
    EXPECT_TRUE(leaves("LY1A"));
    EXPECT_FALSE(leaves("LY12"));
    EXPECT_TRUE(leaves("LY1234"));
    // Only the prefill: the field may be left (towards the tool bar) and holds nothing.
    EXPECT_TRUE(leaves("LY"));
    EXPECT_EQ(form->edCall->text(), "");
    EXPECT_TRUE(leaves(""));
    // Entering an empty call-sign field puts "LY" there with the caret after it.
    form->edName->setFocus(Qt::MouseFocusReason);
    form->edCall->clear();
    form->edCall->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(form->edCall->text(), "LY");
    EXPECT_EQ(form->edCall->cursorPosition(), 2);
    // A call typed whole over the prefill is that call, in either case.
    QTest::keyClicks(form->edCall, "ly2xyz");
    EXPECT_EQ(form->edCall->text(), "LY2XYZ");
    form->edName->setFocus(Qt::MouseFocusReason);
    form->edCall->clear();
    type(form->edCall, "2xyz");
    EXPECT_EQ(form->edCall->text(), "LY2XYZ");
}

TEST_F(LogEntry, EnterWalksThroughTheFieldsAndSavesFromRemarks) {
    open();
    type(form->edCall, "1AB ");
    EXPECT_EQ(form->edCall->text(), "LY1AB");
    EXPECT_TRUE(form->edDate->hasFocus());
    form->edDate->setText("2009-05-12");
    QTest::keyClick(form->edDate, Qt::Key_Return);
    EXPECT_TRUE(form->edTime->hasFocus());
    form->edTime->setCursorPosition(0);
    QTest::keyClick(form->edTime, Qt::Key_Left);  // caret at the start: back to the date
    EXPECT_TRUE(form->edDate->hasFocus());
    form->edTime->setFocus();
    form->edTime->setText("1200");
    QTest::keyClick(form->edTime, Qt::Key_Return);
    EXPECT_TRUE(form->edTimeE->hasFocus());
    QTest::keyClick(form->edTimeE, Qt::Key_Return);
    EXPECT_TRUE(focused(form->cbMode));
    QTest::keyClick(form->cbMode->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(focused(form->cbBand));
    QTest::keyClick(form->cbBand->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(form->edName->hasFocus());
    QTest::keyClicks(form->edName, "Jo ");  // a blank ends the name
    EXPECT_EQ(form->edName->text(), "Jo");
    EXPECT_TRUE(form->edQTH->hasFocus());
    QTest::keyClick(form->edQTH, Qt::Key_Return);
    EXPECT_TRUE(form->edWWL->hasFocus());  // Remarks is off the path
    QTest::keyClick(form->edWWL, Qt::Key_Return);
    EXPECT_TRUE(form->edBEX->hasFocus());
    QTest::keyClick(form->edBEX, Qt::Key_Return);
    EXPECT_TRUE(form->btEntry->hasFocus());
    EXPECT_TRUE(form->Log().IsEmptyLog());
    form->edRem->setFocus();
    QTest::keyClicks(form->edRem, "TNX");
    QTest::keyClick(form->edRem, Qt::Key_Return);
    EXPECT_EQ(form->Log().QSOCount(), 1);
    EXPECT_EQ(cell(1, kx::colName), "Jo");
    EXPECT_EQ(cell(1, kx::colRemarks), "TNX");
    EXPECT_EQ(cell(1, kx::colSUTC), "12:00");
}

TEST_F(LogEntry, SortButtonsOrderTheLogByEachKey) {
    writeLog({{"2009-05-12", "14:00", "", "LY2A", "80M", "SSB", "", "", "", "K26"},
              {"2009-04-30", "23:59", "", "ly1aa", "20M", "CW", "", "", "", "?"},
              {"2009-05-12", "12:30", "", "LY1A", "40M", "FM", "", "", "", ""},
              {"2009-05-12", "12:30", "", "", "40M", "FM"},  // no call sign: dropped
              {"2009-05-12", "14:00", "", "ly2a", "80m", "ssb", "", "", "", "k26"}});
    open();
    using V = std::vector<std::string>;
    form->rbCall->click();
    EXPECT_EQ(calls(), (V{"LY1A", "ly1aa", "LY2A"}));  // the case-only repeat is gone
    EXPECT_EQ(form->Panel4->text(), "3");
    EXPECT_EQ(cell(1, kx::colEUTC), " ");  // empty fields come back as one blank
    form->rbBand->click();
    EXPECT_EQ(calls(), (V{"ly1aa", "LY1A", "LY2A"}));  // 20M, 40M, 80M
    form->rbMode->click();
    EXPECT_EQ(calls(), (V{"ly1aa", "LY1A", "LY2A"}));  // CW, FM, SSB
    form->rbBEX->click();
    EXPECT_EQ(calls(), (V{"ly1aa", "LY2A", "LY1A"}));  // "?", K26, empty last
    form->rbDate->click();
    EXPECT_EQ(calls(), (V{"ly1aa", "LY1A", "LY2A"}));
    // The sort alone does not write the file.
    EXPECT_NE(logFile().find("ly2a"), std::string::npos);
}

TEST_F(LogEntry, EachColumnIsAsWideAsItsWidestTextNotItsLongest) {
    // A few wide letters outmeasure many narrow ones; the widest text is a rare one.
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back(
            {"2009-05-12", "12:30", "", "LY1A", "40M", "FM", "", "iiiiiiiiiiiiiiiiiiii"});
    rows[150][kx::colName] = "WWWWWWWWWW";
    rows[299][kx::colQTH] = kx::Cp1257("Šiauliai");
    writeLog(rows);
    open();
    const QFontMetrics font(form->SGrid1->font());
    const int wide = font.horizontalAdvance(QStringLiteral("WWWWWWWWWW"));
    ASSERT_GT(wide, font.horizontalAdvance(QStringLiteral("iiiiiiiiiiiiiiiiiiii")));
    EXPECT_EQ(form->SGrid1->columnWidth(kx::colName), wide + 10);
    EXPECT_GE(form->SGrid1->columnWidth(kx::colQTH),
              font.horizontalAdvance(QString::fromUtf8("Šiauliai")) + 10);
}

TEST_F(LogEntry, FieldsLabelsAndButtonsNeverOverlapInEitherLanguage) {
    // The window grows to what its captions need: Lithuanian labels and buttons are
    // longer than the English ones.
    auto overlaps = [this] {
        QStringList found;
        const auto parts = form->GroupBox2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (int i = 0; i < parts.size(); ++i)
            for (int j = i + 1; j < parts.size(); ++j)
                if (parts[i]->isVisible() && parts[j]->isVisible() &&
                    parts[i]->geometry().intersects(parts[j]->geometry()))
                    found << parts[i]->objectName() + "/" + parts[j]->objectName();
        return found.join(' ').toStdString();
    };
    open();
    EXPECT_EQ(overlaps(), "");
    form->hide();
    kx::Language = "LT";
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(overlaps(), "");
    EXPECT_GE(form->width(), form->minimumSizeHint().width());
}

TEST_F(LogEntry, DeleteSelectedAsksAndDeleteAllEmptiesTheLog) {
    writeLog({{"2009-05-12", "12:30", " ", "LY1AB", "20M", "SSB"},
              {"2009-05-13", "12:30", " ", "LY2AB", "20M", "SSB"}});
    open();
    clickRow(2);
    EXPECT_EQ(form->edCall->text(), "LY2AB");
    clickRow(1);
    EXPECT_EQ(form->edCall->text(), "LY1AB");
    clickRow(2);
    const std::string before = logFile();
    form->btDelQSO->click();  // No
    EXPECT_EQ(lastText(), "Delete selected QSO?\n2009-05-13 12:30 LY2AB 20M SSB");
    EXPECT_EQ(fake.lastMessage()->title, "CONFIRM");
    EXPECT_EQ(fake.lastMessage()->defaultButton, QMessageBox::No);
    EXPECT_EQ(form->Log().QSOCount(), 2);
    EXPECT_EQ(logFile(), before);

    fake.replies = {QMessageBox::Yes};
    form->btDelQSO->click();
    EXPECT_EQ(calls(), std::vector<std::string>{"LY1AB"});
    EXPECT_EQ(form->Panel4->text(), "1");
    EXPECT_EQ(logFile().find("LY2AB"), std::string::npos);
    EXPECT_NE(logFile().find("LY1AB"), std::string::npos);

    kx::Language = "LT";
    fake.replies = {QMessageBox::Yes};
    form->btClearAll->click();
    EXPECT_EQ(lastText(), QString::fromUtf8("Ar norite pašalinti visus 1 QSO LY žurnale?\n"
                                            "Žurnalo kopija lieka aplanke „backups“."));
    EXPECT_EQ(fake.lastMessage()->title, "PATVIRTINKITE");
    EXPECT_EQ(fake.lastMessage()->defaultButton, QMessageBox::No);
    EXPECT_TRUE(form->Log().IsEmptyLog());
    EXPECT_EQ(form->Panel4->text(), "0");
    EXPECT_FALSE(std::filesystem::exists(folder.file("QSO.dat")));

    // Closing writes the empty log.
    kx::Language = "EN";
    fake.replies = {QMessageBox::Yes};
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(logFile(), kxtest::EmptyLogFile());
}

TEST_F(LogEntry, ExitQuestionNoKeepsTheWindowOpen) {
    open();
    form->close();
    EXPECT_EQ(lastText(), "Do you want to exit from Kvadrix?");
    EXPECT_TRUE(form->isVisible());
    form->btExit->click();
    EXPECT_EQ(questions(), 2);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(std::filesystem::exists(folder.file("QSO.dat")));

    form->move(120, 140);
    fake.replies = {QMessageBox::Yes};
    form->btExit->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(logFile(), kxtest::EmptyLogFile());
    EXPECT_EQ(kx::SettingsFile.ReadString("WINDOWS", "X3", ""), std::to_string(form->x()));
}

TEST_F(LogEntry, ClosingWhileTheLogCannotBeWrittenKeepsWindowAndQsos) {
    writeLog({{"2009-05-12", "12:30", " ", "LY1AB", "20M", "SSB"}});
    open();
    form->btNew->click();
    enterQso("LY2AB", "2009-05-13", "10:00");
    // A folder where the log must go: neither the save nor the close can write it.
    std::filesystem::remove(folder.file("QSO.dat"));
    std::filesystem::create_directories(folder.file("QSO.dat") + "/in-the-way");
    form->btEntry->click();
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_TRUE(lastText().contains("QSO.dat")) << lastText().toStdString();
    EXPECT_EQ(form->Log().QSOCount(), 2);  // the new QSO is in the table, unsorted
    EXPECT_EQ(cell(2, kx::colCallsign), "LY2AB");
    EXPECT_EQ(form->SGrid1->model()->rowCount(), 2);
    EXPECT_TRUE(form->SGrid1->isEnabled());

    fake.replies = {QMessageBox::Yes, QMessageBox::Yes};  // exit; keep the window open
    form->close();
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 2);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Log().QSOCount(), 2);

    // The next close asks again; with the folder gone the log is written.
    std::filesystem::remove_all(folder.file("QSO.dat"));
    fake.replies = {QMessageBox::Yes};
    form->close();
    EXPECT_EQ(questions(), 3);
    EXPECT_FALSE(form->isVisible());
    EXPECT_NE(logFile().find("LY2AB"), std::string::npos);
    EXPECT_NE(logFile().find("LY1AB"), std::string::npos);
}

TEST_F(LogEntry, ClosingWithAFailingTemporaryWriteKeepsTheOldFileAndNeedsNoWriteForAnUnchangedLog) {
    writeLog({{"2009-05-12", "12:30", " ", "LY1AB", "20M", "SSB"}});
    open();
    const std::string before = logFile();
    std::string tempSeen;
    kx::WriteFaultHook = [&](const std::string& temp) {
        tempSeen = temp;
        return false;
    };
    fake.replies = {QMessageBox::Yes};
    form->close();
    EXPECT_FALSE(form->isVisible());  // nothing would be lost
    EXPECT_EQ(logFile(), before);
    EXPECT_FALSE(tempSeen.empty());
    EXPECT_FALSE(std::filesystem::exists(tempSeen));
}

TEST_F(LogEntry, CalculatorButtonOpensTheCalculatorModally) {
    open();
    TForm2 calc;
    Form2 = &calc;
    bool modal = false;
    kxtest::WhenShown(calc, [&] {
        modal = calc.isVisible() && calc.isModal();
        calc.reject();
    });
    form->btBEXCalc->click();
    Form2 = nullptr;
    EXPECT_TRUE(modal);
}

TEST_F(LogEntry, ARowWithTextsLongerThanTheFieldLimitsIsShownAndSavedWhole) {
    // Imported names and places may be longer than what can be typed into their fields.
    const std::string name = "HIRAM PERCY MAXIM JUNIOR";                         // 24 > 20
    const std::string qth = "NEWINGTON_ CONNECTICUT_ UNITED STATES OF AMERICA";  // 48 > 30
    writeLog({{"2009-05-12", "12:30", "12:45", "LY1AB", "20M", "SSB", "VILNIUS", "JONAS"},
              {"2009-05-13", "10:00", "10:05", "LY2AB", "40M", "CW", qth, name}});
    open();
    clickRow(2);
    EXPECT_EQ(form->edName->text().toStdString(), name);
    EXPECT_EQ(form->edQTH->text().toStdString(), qth);

    form->btEntry->click();  // saving without changes rewrites the same row
    EXPECT_TRUE(fake.messages.empty()) << lastText().toStdString();
    EXPECT_EQ(cell(2, kx::colName), name);
    EXPECT_EQ(cell(2, kx::colQTH), qth);
    EXPECT_NE(logFile().find(qth + "\t" + name + "\t"), std::string::npos) << logFile();

    // Once cleared, a field takes again no more than its own limit when typed into.
    type(form->edName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(form->edName->text(), "ABCDEFGHIJKLMNOPQRST");
}

TEST_F(LogEntry, ALogFileThatCouldNotBeReadAtStartIsNeverReplacedByATableWithoutItsQsos) {
    // "QSO.dat" is there but cannot be read (it leads to a folder).
    const std::string path = folder.file("QSO.dat");
    std::filesystem::create_directories(folder.file("elsewhere"));
    std::filesystem::create_directory_symlink(folder.file("elsewhere"), path);
    open();
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_EQ(form->windowTitle(), " LY  LOG  PREVIEW  AND  EDITING");  // the window is whole
    EXPECT_EQ(form->Panel4->text(), "0");

    enterQso("LY2AB", "2009-05-13", "10:00");
    form->btEntry->click();
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 2);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    fake.replies = {QMessageBox::Yes};
    form->btDelQSO->click();
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 3);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    fake.replies = {QMessageBox::Yes};
    form->close();
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 4);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(calls(), std::vector<std::string>{"LY2AB"});  // the QSO of this run is kept

    // Once the file reads, its QSOs join those of this run.
    std::filesystem::remove(path);
    writeLog({{"2009-05-12", "12:30", " ", "LY1AB", "20M", "SSB"}});
    fake.replies = {QMessageBox::Yes};
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_NE(logFile().find("LY1AB"), std::string::npos);
    EXPECT_NE(logFile().find("LY2AB"), std::string::npos);
}

TEST_F(LogEntry, AfterALogFileThatCouldNotBeReadReadsAgainSavingKeepsItsQsos) {
    const std::string path = folder.file("QSO.dat");
    std::filesystem::create_directories(folder.file("elsewhere"));
    std::filesystem::create_directory_symlink(folder.file("elsewhere"), path);
    open();
    std::filesystem::remove(path);
    writeLog({{"2009-05-12", "12:30", " ", "LY1AB", "20M", "SSB"},
              {"2009-05-14", "08:00", " ", "LY3AB", "40M", "CW"}});
    enterQso("LY2AB", "2009-05-13", "10:00");
    form->btEntry->click();
    EXPECT_EQ(calls(), (std::vector<std::string>{"LY1AB", "LY2AB", "LY3AB"}));
    EXPECT_EQ(form->Panel4->text(), "3");
    EXPECT_NE(logFile().find("LY3AB"), std::string::npos);
}

TEST_F(LogEntry, LettersTheCodePageLacksAreFoldedAndOtherCharactersRefused) {
    open();
    auto keys = [](QWidget* field, const QString& text) {
        field->setFocus(Qt::MouseFocusReason);
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text, {});
    };
    for (const char* c : {"M", "u", "ñ", "o", "z"}) keys(form->edName, QString::fromUtf8(c));
    EXPECT_EQ(form->edName->text(), "Munoz");
    keys(form->edName, QString::fromUtf8("李"));
    EXPECT_EQ(form->edName->text(), "Munoz");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].box.kind, kx::MessageKind::Error);
    EXPECT_TRUE(lastText().contains(QString::fromUtf8("\"李\" (U+674E)")))
        << lastText().toStdString();
    EXPECT_TRUE(lastText().contains("\"Name\"")) << lastText().toStdString();

    // Pasted text: folded whole, or refused whole when a character has no close letter.
    QApplication::clipboard()->setText(QString::fromUtf8("Ærø Řeka 😀"));
    form->edRem->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(form->edRem, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->edRem->text(), "");
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_TRUE(lastText().contains("U+1F600")) << lastText().toStdString();
    EXPECT_TRUE(lastText().contains("\"Remarks\"")) << lastText().toStdString();
    QApplication::clipboard()->setText(QString::fromUtf8("Ærø Řeka, A Coruña"));
    QTest::keyClick(form->edRem, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->edRem->text(), QString::fromUtf8("Ærø Reka, A Coruna"));
    keys(form->edWWL, QString::fromUtf8("á"));  // a locator letter once folded
    EXPECT_EQ(form->edWWL->text(), "A");
    form->edWWL->clear();

    enterQso("LY1AB", "2009-05-12", "12:30");
    form->btEntry->click();
    EXPECT_EQ(fake.messages.size(), 2u) << lastText().toStdString();
    EXPECT_EQ(cell(1, kx::colName), "Munoz");
    EXPECT_EQ(cell(1, kx::colRemarks), kx::Cp1257("Ærø Reka, A Coruna"));
    EXPECT_NE(logFile().find("\tMunoz\t"), std::string::npos);
    EXPECT_NE(logFile().find(kx::Cp1257("\tÆrø Reka, A Coruna\t")), std::string::npos);
}

TEST_F(LogEntry, FirstSaveOfARunKeepsTheOldLogAndAFailedBackupIsToldAfterTheSave) {
    writeLog({{"2009-05-13", "10:00", " ", "LY9ZZ", "20M", "CW"}});
    const std::string before = logFile();
    kx::ForgetLogBackups();
    open();
    enterQso("LY2AB", "2009-05-12", "09:00");
    form->btEntry->click();
    ASSERT_TRUE(fake.messages.empty()) << lastText().toStdString();
    std::vector<std::filesystem::path> kept;
    for (const auto& e : std::filesystem::directory_iterator(folder.file("backups")))
        kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(folder.read("backups/" + kept[0].filename().string()), before);

    // Another run, in Lithuanian, where the backup folder cannot be made.
    form.reset();
    kx::ForgetLogBackups();
    std::filesystem::remove_all(folder.file("backups"));
    folder.write("backups", "");
    kx::Language = "LT";
    open();
    enterQso("LY3CD", "2009-05-14", "09:00");
    form->btEntry->click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(lastText().startsWith(QString::fromUtf8("Žurnalas išsaugotas, bet jo atsarginės")))
        << lastText().toStdString();
    EXPECT_NE(logFile().find("LY3CD"), std::string::npos);
}

TEST_F(LogEntry, EditedQsoKeepsItsDateAndTypedDatesAreReadInTheUsersForm) {
    writeLog({{"2018-01-07", "10:00", " ", "LY9ZZ", "20M", "CW"}});
    open();
    clickRow(1);
    // Tab through the fields of a logged QSO: its date is not replaced by today's.
    type(form->edDate, "");
    EXPECT_EQ(form->edDate->text(), "2018-01-07");
    retype(form->edName, "Jonas");
    form->btEntry->click();
    EXPECT_EQ(form->Log().QSOCount(), 1);
    EXPECT_EQ(cell(1, kx::colDate), "2018-01-07");
    EXPECT_EQ(cell(1, kx::colName), "Jonas");

    // A new QSO after it starts from today's date again, typed over in the short date
    // form of an English (US) desktop or as an ISO date; both are kept as ISO dates.
    fake.shortDateFormat = QStringLiteral("M/d/yy");
    form->btNew->click();
    retype(form->edCall, "LY1AB");
    type(form->edDate, "");
    EXPECT_EQ(form->edDate->text(), "12/8/26");
    QTest::keyClicks(form->edDate, "12/05/2026");
    EXPECT_EQ(form->edDate->text(), "12/05/2026");
    form->edTime->setText("12:00");
    form->btEntry->click();
    EXPECT_EQ(form->Log().QSOCount(), 2);
    EXPECT_EQ(logFile().find("12/05/2026"), std::string::npos);
    EXPECT_NE(logFile().find("2026-12-05\t12:00\t \tLY1AB"), std::string::npos) << logFile();
    // The next new QSO is of the same day.
    EXPECT_EQ(form->edDate->text(), "12/05/2026");

    // What is no date is refused with a message, and nothing is stored.
    const std::string before = logFile();
    fake.clear();
    for (const char* bad : {"13/32/2026", "2026-02-30", "2026-13-01"}) {
        enterQso("LY2AB", bad, "13:00");
        form->btEntry->click();
        EXPECT_EQ(lastText(),
                  "Date format is incorrect: type the date as 12/8/26 or as "
                  "2026-12-31 (year, month, day).")
            << bad << " " << lastText().toStdString();
        EXPECT_TRUE(form->edDate->hasFocus());
        EXPECT_EQ(logFile(), before);
    }
    EXPECT_EQ(fake.messages.size(), 3u);
}

TEST_F(LogEntry, EveryCorrectionAndDeletionLeavesABackupAndLookingLeavesNone) {
    namespace fs = std::filesystem;
    auto backups = [&] {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(folder.file("backups"), ec))
            names.push_back(folder.read("backups/" + e.path().filename().string()));
        std::sort(names.begin(), names.end());
        return names;
    };
    writeLog({{"2018-01-07", "10:00", " ", "LY9ZZ", "20M", "CW"},
              {"2018-01-08", "10:00", " ", "LY8ZZ", "20M", "CW"}});
    const std::string original = logFile();
    // A run that only looks, sorts by the order the log has and closes writes nothing.
    open();
    fake.replies = {QMessageBox::Yes};
    form->close();
    EXPECT_EQ(logFile(), original);
    EXPECT_TRUE(backups().empty());

    kx::ForgetLogBackups();  // a new run
    open();
    clickRow(1);
    retype(form->edName, "Jonas");
    form->btEntry->click();  // a correction: the file as it was is kept
    EXPECT_EQ(backups(), std::vector<std::string>{original});
    const std::string corrected = logFile();
    clickRow(1);
    retype(form->edName, "Petras");
    form->btEntry->click();  // a second correction in the same run is kept too
    EXPECT_EQ(backups().size(), 2u);
    EXPECT_NE(std::find(backups().begin(), backups().end(), corrected), backups().end());
    const std::string beforeDelete = logFile();
    fake.replies = {QMessageBox::Yes};
    form->btClearAll->click();
    EXPECT_FALSE(fs::exists(folder.file("QSO.dat")));
    const auto kept = backups();
    EXPECT_EQ(kept.size(), 3u);
    EXPECT_NE(std::find(kept.begin(), kept.end(), beforeDelete), kept.end());
}

TEST_F(LogEntry, LogChangedOnDiskByAnotherProgramLosesNoneOfItsQsos) {
    writeLog({{"2018-01-07", "10:00", " ", "LY9ZZ", "20M", "CW"}});
    open();
    // Another program (a synced copy, an editor) adds a QSO to the file meanwhile.
    writeLog({{"2018-01-07", "10:00", " ", "LY9ZZ", "20M", "CW"},
              {"2019-03-01", "11:00", " ", "LY7QQ", "40M", "SSB"}});
    enterQso("LY1AB", "2020-02-02", "12:00");
    form->btEntry->click();
    EXPECT_EQ(calls(), (std::vector<std::string>{"LY9ZZ", "LY7QQ", "LY1AB"}));
    for (const char* call : {"LY9ZZ", "LY7QQ", "LY1AB"})
        EXPECT_NE(logFile().find(call), std::string::npos) << call;
    EXPECT_NE(lastText().indexOf("changed by another program"), -1) << lastText().toStdString();
    EXPECT_NE(lastText().indexOf(" 1 QSO"), -1);
    // The window's own writes are no change of another's.
    fake.clear();
    enterQso("LY2AB", "2020-02-03", "12:00");
    form->btEntry->click();
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(LogEntry, ATypedQsoGetsTheSquaresOfItsLocatorsAtOnce) {
    open();
    enterQso("LY1AB", "2009-05-12", "12:00");
    form->edWWL->setText("KO24PQ");
    form->edMyWWL->setText("KO24OT");
    form->edBEX->clear();
    form->edMyBEX->clear();
    form->btEntry->click();
    EXPECT_EQ(cell(1, kx::colBEX), "K26");
    EXPECT_EQ(cell(1, kx::colMyBEX), "K26");
    EXPECT_NE(logFile().find("\tKO24PQ\tK26\tKO24OT\tK26\t"), std::string::npos) << logFile();

    // Without its table the QSO is still saved, as typed, and the error is told.
    std::filesystem::remove(folder.file("BEXWWL.dat"));
    fake.clear();
    enterQso("LY2AB", "2009-05-13", "12:00");
    form->edWWL->setText("KO24PQ");
    form->btEntry->click();
    EXPECT_NE(logFile().find("LY2AB"), std::string::npos);
    EXPECT_EQ(fake.messages.size(), 1u);
}
