// The Import button of the log window: file dialog, messages, the counter box, the
// progress window, the square finder and the failures on the way.
#include <QTimer>
#include <filesystem>
#include <set>

#include "LogWindowFixture.h"

using kxtest::LogWindowTest;

namespace {

std::string FixturePath(const std::string& name) {
    return std::string(KX_FIXTURES_DIR) + "/adif/" + name;
}

const char* kTenLY = "urbancamo_adif-processor_m0nom_p.204681.20210116183312.adi";
const char* kSixLY = "SydneyOwl_AdifParser_ADIF_317_test_QSOs_2026_03_22.adi";

// What the window looked like each time it let pending messages run.
struct Snapshot {
    QString counter;
    QPalette::ColorRole counterRole;
    bool gridVisible;
    bool progressVisible;
    QString progressTitle;
    int percent;
    bool importEnabled;
};

class LogImport : public LogWindowTest {
protected:
    std::vector<Snapshot> seen;

    void watch() {
        fake.onPump = [this] {
            seen.push_back({form->Panel4->text(), form->Panel4->backgroundRole(),
                            form->SGrid1->isVisible(), wait->isVisible(), wait->windowTitle(),
                            wait->Percent(), form->btImport->parentWidget()->isEnabled()});
        };
    }
    void import(const std::string& path) {
        fake.openFileAnswers.push_back(QString::fromStdString(path));
        form->btImport->click();
    }
    // The window is back to its normal state.
    void expectNormal() {
        EXPECT_TRUE(form->SGrid1->isVisible());
        EXPECT_FALSE(wait->isVisible());
        EXPECT_EQ(fake.busyDepth, 0);
        EXPECT_EQ(form->Panel4->backgroundRole(), QPalette::Window);
        EXPECT_TRUE(form->btImport->isEnabled() && form->btImport->parentWidget()->isEnabled());
        EXPECT_TRUE(form->GroupBox2->isEnabled());
    }
    std::set<QString> titles() const {
        std::set<QString> t;
        for (const auto& s : seen)
            if (s.progressVisible) t.insert(s.progressTitle);
        return t;
    }
};

}  // namespace

TEST_F(LogImport, RealFileFillsTheLogWithCounterProgressAndHiddenGrid) {
    open();
    watch();
    import(FixturePath(kTenLY));

    ASSERT_EQ(fake.openDialogs.size(), 1u);
    EXPECT_EQ(fake.openDialogs[0].filter, "ADIF files (*.adi)");
    // One closing message, once the squares are found: what the file held, what was
    // taken, and how many of the QSOs taken have no square.
    ASSERT_EQ(fake.messages.size(), 1u) << lastText().toStdString();
    EXPECT_EQ(fake.lastMessage()->kind, kx::MessageKind::Information);
    EXPECT_EQ(lastText(),
              "LY QSOs in this file: 10 (records: 4567).\nImported: 10. Already in the log: 0.\n"
              "Imported QSOs without a BEX square: 5.");
    EXPECT_EQ(form->Log().QSOCount(), 10);
    EXPECT_EQ(form->Panel4->text(), "10");
    EXPECT_EQ(form->ImportCount(), 10);
    for (const auto& call : calls()) EXPECT_EQ(call.substr(0, 2), "LY");
    expectNormal();
    // The current row is the last one the finder visited.
    EXPECT_EQ(form->SelectedRow(), form->Log().DataRowCount());

    // While the log changed: the grid hidden, the buttons locked, the counter counting on
    // its highlight, the progress window titled for each step.
    ASSERT_FALSE(seen.empty());
    std::vector<QString> counts;
    for (const auto& s : seen) {
        if (s.progressVisible) {
            EXPECT_FALSE(s.gridVisible);
            EXPECT_FALSE(s.importEnabled);
        }
        if (s.counterRole == QPalette::ToolTipBase &&
            (counts.empty() || counts.back() != s.counter))
            counts.push_back(s.counter);
    }
    EXPECT_EQ(counts.front(), "");
    EXPECT_EQ(counts.back(), "10");
    EXPECT_EQ(counts.size(), 11u);
    EXPECT_EQ(titles(), (std::set<QString>{"Analysing ADIF file", "Finding BEXs"}));
    EXPECT_EQ(wait->Percent(), 100);

    // Sorted and written: the file holds the ten QSOs.
    kx::QSOLog back("EN");
    back.Load(folder.file("QSO.dat"), "EN");
    EXPECT_EQ(back.QSOCount(), 10);
    EXPECT_EQ(back.Rows(), form->Log().Rows());
}

TEST_F(LogImport, LithuanianTitlesAndImportingTwiceAddsNothing) {
    kx::Language = "LT";
    open();
    watch();
    import(FixturePath(kSixLY));
    EXPECT_EQ(form->Log().QSOCount(), 6);
    EXPECT_EQ(titles(), (std::set<QString>{QString::fromUtf8("ADIF failo analizė"),
                                           QString::fromUtf8("BEX paieška")}));
    const auto rows = form->Log().Rows();

    seen.clear();
    fake.clear();
    import(FixturePath(kSixLY));
    EXPECT_EQ(form->ImportCount(), 0);
    EXPECT_EQ(form->Log().Rows(), rows);
    EXPECT_EQ(form->Panel4->text(), "6");
    // Nothing taken is said too.
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(lastText(), QString::fromUtf8("LY QSO šiame faile: 6 (įrašų: 6197).\nImportuota: 0. "
                                            "Jau buvo žurnale: 6."));
    expectNormal();
}

TEST_F(LogImport, AFileWithoutLYQsosSaysSo) {
    folder.write("dl.adi",
                 "<EOH><CALL:4>DL1A<QSO_DATE:8>20090511<EOR>"
                 "<CALL:4>OH1A<QSO_DATE:8>20090511<EOR>");
    open();
    import(folder.file("dl.adi"));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(lastText(),
              "LY QSOs in this file: 0 (records: 2).\nImported: 0. Already in the "
              "log: 0.");
    expectNormal();
}

TEST_F(LogImport, NewRecordsJoinTheLoggedOnesAndDuplicatesAreLeftOut) {
    writeLog({{"2009-05-12", "12:30", " ", "LY2BBB", "20M", "SSB"}});
    folder.write("three.adi",
                 "Export\r\n<EOH>\r\n"
                 "<CALL:6>LY1AAA<QSO_DATE:8>20090511<TIME_ON:4>0900<BAND:3>20M<MODE:2>CW"
                 "<GRIDSQUARE:6>KO24OT<NOTES:11>QTH KAUNAS<EOR>\r\n"
                 "<CALL:6>LY2BBB<QSO_DATE:8>20090512<TIME_ON:4>1230<BAND:3>20M<MODE:3>SSB<EOR>\r\n"
                 "<CALL:6>ly3ccc<QSO_DATE:8>20090513<TIME_ON:6>101500<BAND:3>40M<MODE:3>SSB"
                 "<QTH:11>VILNIUS, LT<EOR>\r\n");
    open();
    watch();
    import(folder.file("three.adi"));
    EXPECT_EQ(calls(), (std::vector<std::string>{"LY1AAA", "LY2BBB", "LY3CCC"}));
    EXPECT_EQ(form->Panel4->text(), "3");
    EXPECT_EQ(form->ImportCount(), 2);
    QString highest;
    for (const auto& s : seen)
        if (s.counterRole == QPalette::ToolTipBase) highest = std::max(highest, s.counter);
    EXPECT_EQ(highest, "2");
    EXPECT_EQ(cell(1, kx::colWWL), "KO24OT");
    EXPECT_EQ(cell(1, kx::colBEX), "K26");
    EXPECT_EQ(cell(1, kx::colRemarks), " QTH KAUNAS");
    EXPECT_EQ(cell(3, kx::colQTH), "VILNIUS_ LT");
    EXPECT_EQ(cell(3, kx::colSUTC), "10:15");
}

// A file Kvadrix wrote comes back as the log held it: the import takes its texts as
// written and the square finder leaves its QSOs alone, while the rows logged before go
// through the finder as after every import.
TEST_F(LogImport, AFileKvadrixWroteComesBackAsTheLogHeldIt) {
    writeLog({{"2009-05-12", "12:30", " ", "LY2BBB", "20M", "SSB", "", "", "KO24OT"}});
    folder.write("own.adi",
                 "Kvadrix ADIF export of the LY log\r\n<PROGRAMID:7>Kvadrix\r\n<EOH>\r\n"
                 "<CALL:5>LY1AB <QSO_DATE:8>20180107 <TIME_ON:4>1230 <BAND:3>20m <MODE:3>SSB "
                 "<SUBMODE:3>USB <NAME:5>Jonas <QTH:15>Kaliningrad, RU <GRIDSQUARE:6>KO04PQ "
                 "<COMMENT:7>Tnx QSO <APP_KVADRIX_DATE:10>07.01.2018 <EOR>\r\n");
    open();
    import(folder.file("own.adi"));
    ASSERT_EQ(form->Log().QSOCount(), 2);
    const int row = calls()[0] == "LY1AB" ? 1 : 2;
    EXPECT_EQ(cell(row, kx::colDate), "07.01.2018");
    EXPECT_EQ(cell(row, kx::colMode), "USB");
    EXPECT_EQ(cell(row, kx::colQTH), "Kaliningrad, RU");
    EXPECT_EQ(cell(row, kx::colName), "Jonas");
    EXPECT_EQ(cell(row, kx::colRemarks), "Tnx QSO");
    EXPECT_EQ(form->Log().Field(row, kx::colWWL), "KO04PQ");
    EXPECT_EQ(form->Log().Field(row, kx::colBEX), "");         // not "?": the finder left it
    EXPECT_EQ(form->Log().Field(3 - row, kx::colBEX), "K26");  // the logged row was found
}

// Cancel does nothing at all: no message, no import of an earlier file, no square
// finding, no write of the log.
TEST_F(LogImport, CancelDoesNothingAtAll) {
    writeLog({{"2009-05-12", "12:30", " ", "LY2BBB", "20M", "SSB", "KAUNAS KO24OT"}});
    folder.write("one.adi",
                 "<EOH><CALL:5>LY1AB<QSO_DATE:8>20090511<TIME_ON:4>0900<BAND:3>20M<MODE:2>CW<EOR>");
    open();
    const std::string before = logFile();
    watch();
    form->btImport->click();  // before any file was chosen
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(logFile(), before);
    EXPECT_EQ(form->Log().Field(1, kx::colWWL), "");

    import(folder.file("one.adi"));
    EXPECT_EQ(form->Log().QSOCount(), 2);
    EXPECT_EQ(fake.messages.size(), 1u);  // what the import did
    fake.clear();
    const std::string after = logFile();
    std::filesystem::remove(folder.file("one.adi"));
    seen.clear();
    form->btImport->click();  // after one: still nothing, not even a missing-file message
    ASSERT_EQ(fake.openDialogs.size(), 1u);
    EXPECT_EQ(fake.openDialogs[0].folder, QString::fromStdString(folder.file("one.adi")));
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(logFile(), after);
    expectNormal();
}

TEST_F(LogImport, ANameWithoutExtensionMeansAnAdiFileAndAMissingOneIsNamed) {
    folder.write("one.adi",
                 "<EOH><CALL:5>LY1AB<QSO_DATE:8>20090511<TIME_ON:4>0900<BAND:3>20M<MODE:2>CW<EOR>");
    open();
    import(folder.file("one"));
    EXPECT_EQ(fake.count(kx::MessageKind::Information), 1);
    EXPECT_EQ(form->Log().QSOCount(), 1);

    import(folder.file("two"));
    EXPECT_EQ(lastText().toStdString(), "File \"" + folder.file("two.adi") + "\" no exists");
    kx::Language = "LT";
    import(folder.file("two.log"));
    EXPECT_EQ(lastText().toStdString(), "Failas \"" + folder.file("two.log") + "\" nerastas");
    EXPECT_EQ(fake.lastMessage()->title, "KLAIDA");
    expectNormal();
}

TEST_F(LogImport, BadFormatNamesTheBareFileAndChangesNothing) {
    writeLog({{"2009-05-12", "12:30", " ", "LY2BBB", "20M", "SSB"}});
    folder.write("noeoh.adi", "Header text\r\n<CALL:5>LY1AB<EOR>\r\n");
    open();
    watch();
    import(folder.file("noeoh.adi"));
    EXPECT_EQ(lastText(), "ADIF file noeoh.adi format is bad.");
    EXPECT_EQ(fake.lastMessage()->title, "ERROR");
    EXPECT_EQ(calls(), std::vector<std::string>{"LY2BBB"});
    EXPECT_EQ(form->Panel4->text(), "1");
    EXPECT_EQ(titles(), std::set<QString>{"Finding BEXs"});
    expectNormal();

    kx::Language = "LT";
    import(FixturePath("urbancamo_adif-processor_DP9X.adi"));
    EXPECT_EQ(lastText(), "Blogas ADIF failo urbancamo_adif-processor_DP9X.adi formatas.");
    EXPECT_EQ(fake.lastMessage()->title, "KLAIDA");
    expectNormal();
}

TEST_F(LogImport, FinderFillsSquaresFromTextsAndLeavesTheLastRowCurrent) {
    writeLog({{"2009-05-12", "12:30", " ", "LY2BBB", "20M", "SSB", "KAUNAS ko24ot"},
              {"2009-05-13", "12:30", " ", "LY3CCC", "20M", "SSB", "", "", "KO24OT", "", "", "",
               "MY QTH IS KO24PQ"},
              {"2009-05-14", "12:30", " ", "LY4DDD", "20M", "SSB", "B23/A11"}});
    open();
    form->SelectRow(1);
    form->edCall->clear();
    watch();
    form->FindBEXs();
    EXPECT_EQ(cell(1, kx::colWWL), "KO24OT");
    EXPECT_EQ(cell(1, kx::colBEX), "K26");  // found in the text: squared in the same run
    EXPECT_EQ(cell(2, kx::colBEX), "K26");
    EXPECT_EQ(cell(2, kx::colMyWWL), "KO24PQ");
    EXPECT_EQ(cell(2, kx::colMyBEX), "K26");
    EXPECT_EQ(cell(3, kx::colBEX), "B23");
    EXPECT_EQ(cell(3, kx::colMyBEX), "A11");
    expectNormal();
    EXPECT_EQ(form->SelectedRow(), 3);
    // Rows made current while the grid was hidden copied nothing into the fields.
    EXPECT_EQ(form->edCall->text(), "");
    int last = -1;
    for (const auto& s : seen) {
        EXPECT_GE(s.percent, last);
        last = s.percent;
        EXPECT_FALSE(s.gridVisible);
    }
    EXPECT_EQ(wait->Percent(), 100);
    // A click on another row after the run copies that row.
    form->SelectRow(1);
    EXPECT_EQ(form->edCall->text(), "LY2BBB");
    form->FindBEXs();
    EXPECT_EQ(cell(1, kx::colBEX), "K26");
}

TEST_F(LogImport, FinderFailureOnAMissingTableBringsTheWindowBack) {
    writeLog({{"2009-05-12", "12:30", " ", "LY2BBB", "20M", "SSB", "", "", "KO24OT"}});
    open();
    const std::string before = logFile();
    std::filesystem::remove(folder.file("BEXWWL.dat"));
    fake.openFileAnswers.push_back(QString::fromStdString(FixturePath(kSixLY)));
    form->btImport->click();
    ASSERT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_TRUE(lastText().contains("BEXWWL.dat")) << lastText().toStdString();
    expectNormal();
    // The import's rows are in the table and its file (written unsorted); the sort that
    // would have followed the finder did not run.
    EXPECT_EQ(form->Log().QSOCount(), 7);
    EXPECT_NE(logFile(), before);
    EXPECT_EQ(form->SGrid1->model()->rowCount(), 7);
}

TEST_F(LogImport, ALogThatCannotBeWrittenKeepsTableAndFile) {
    writeLog({{"2009-05-12", "12:30", " ", "LY2BBB", "20M", "SSB"}});
    open();
    const std::string before = logFile();
    const auto rows = form->Log().Rows();
    kx::WriteFaultHook = [](const std::string&) { return false; };
    import(FixturePath(kTenLY));
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_EQ(form->Log().Rows(), rows);
    EXPECT_EQ(logFile(), before);
    EXPECT_EQ(form->Panel4->text(), "1");
    expectNormal();

    kx::WriteFaultHook = nullptr;
    fake.clear();
    import(FixturePath(kTenLY));
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 0);
    EXPECT_EQ(form->Log().QSOCount(), 11);
}

TEST_F(LogImport, CreateApplicationHandsTheLogToTheApplicationWindow) {
    writeLog({{"2009-05-12", "12:30", " ", "LY2BBB", "20M", "SSB", "", "", "", "K26"}});
    open();
    TForm4 appl;
    Form4 = &appl;
    bool shownModal = false;
    kxtest::WhenShown(appl, [&] {
        shownModal = appl.isVisible() && appl.isModal() && appl.Log() == &form->Log();
        appl.reject();
    });
    form->btCreate->click();
    Form4 = nullptr;
    EXPECT_TRUE(shownModal);
}
