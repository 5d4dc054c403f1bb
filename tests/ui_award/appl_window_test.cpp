// The application window driven through its controls: the list on showing and after the
// band and mode buttons, captions, preview, print, save (RTF and PDF), settings.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Forms.h"
#include "award/KXAppl.h"
#include "log/QSOLog.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/qt/DocPrint.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Rtf.h"
#include "platform/qt/RtfLines.h"
#include "support/FakeServices.h"
#include "support/TempFolder.h"

namespace {

struct Qso {
    std::string date, time, call, band, mode, bex;
};

kx::QSOLog MakeLog(const std::vector<Qso>& qsos) {
    kx::QSOLog log("EN");
    for (std::size_t i = 0; i < qsos.size(); ++i) {
        const int row = i == 0 ? 1 : log.AddEmptyRow();
        log.SetCell(row, kx::colDate, qsos[i].date);
        log.SetCell(row, kx::colSUTC, qsos[i].time);
        log.SetCell(row, kx::colCallsign, qsos[i].call);
        log.SetCell(row, kx::colBand, qsos[i].band);
        log.SetCell(row, kx::colMode, qsos[i].mode);
        log.SetCell(row, kx::colBEX, qsos[i].bex);
    }
    return log;
}

// n QSOs on 20M CW in the squares A00, A01, ... in order.
kx::QSOLog LogOfSquares(int n) {
    std::vector<Qso> qsos;
    for (int i = 0; i < n; ++i) {
        std::string bex =
            std::string(1, char('A' + i / 40)) + char('0' + i % 40 / 10) + char('0' + i % 10);
        qsos.push_back({"2009-01-15", "12:00", "LY1AB", "20M", "CW", bex});
    }
    return MakeLog(qsos);
}

// A small log over several bands and modes, with a repeated square and an unresolved one.
kx::QSOLog MixedLog() {
    return MakeLog({{"2009-01-15", "12:00", "LY1AA", "20M", "CW", "K26"},
                    {"2009-01-16", "13:00", "LY2BB", "2M", "SSB", "B05"},
                    {"2009-01-17", "14:00", "LY3CC", "40M", "SSB", "K26"},
                    {"2009-01-18", "15:00", "LY4DD", "20M", "BPSK31", "A10"},
                    {"2009-01-19", "16:00", "LY5EE", "20M", "CW", "?"},
                    {"2009-01-20", "17:00", "LY6FF", "70CM", "FM", "C07"}});
}

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Types text key by key, Lithuanian letters included.
void Type(QWidget* w, const QString& text) {
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), {});
}

// A mouse click on a radio button's indicator, where a click always hits.
void Click(QRadioButton* rb) {
    QTest::mouseClick(rb, Qt::LeftButton, {}, QPoint(7, rb->height() / 2));
}

class ApplicationWindow : public ::testing::Test {
protected:
    void SetUp() override {
        folder.makeProgramFolder();
        folder.copyData("BEXApplication.rtf");
        folder.copyData("BEXApplicationLT.rtf");
        kx::Language = "EN";
        kx::VersionText = "1.0";
        kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
    }
    void TearDown() override {
        if (form && form->isVisible()) form->close();
        form.reset();
        kx::Language = "EN";
        kx::SettingsFile.Open("");
    }

    TForm4& Show(const kx::QSOLog& shown) {
        form = std::make_unique<TForm4>();
        form->SetLog(&shown);
        form->show();
        return *form;
    }
    QString Preview() const { return form->rePrev->document()->toPlainText(); }
    // The grid's cell texts of column col, data rows in order.
    QStringList Column(int col) const {
        QStringList out;
        for (int r = 0; r < form->SGrid2->rowCount(); ++r) {
            const QTableWidgetItem* item = form->SGrid2->item(r, col);
            out << (item ? item->text() : QString());
        }
        return out;
    }
    std::string PdfPageText(const std::string& pdf, int page) const {
        const std::string cmd = "pdftotext -layout -f " + std::to_string(page) + " -l " +
                                std::to_string(page) + " '" + pdf + "' - 2>/dev/null";
        std::string out;
        if (FILE* p = popen(cmd.c_str(), "r")) {
            char buf[512];
            while (fgets(buf, sizeof buf, p)) out += buf;
            pclose(p);
        }
        return out;
    }
    // The first two lines of a page that hold more than blanks.
    std::string FirstLinesOfPage(const std::string& pdf, int page) const {
        std::string text = PdfPageText(pdf, page), out;
        int taken = 0;
        std::size_t start = 0;
        while (taken < 3 && start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            if (line.find_first_not_of(" \t\f") != std::string::npos) {
                out += line + "\n";
                ++taken;
            }
            start = end + 1;
        }
        return out;
    }

    kxtest::TempFolder folder;
    kx::FakeServices fake;
    kx::ScopedServices use{fake};
    std::unique_ptr<TForm4> form;
};

// ---- showing and the list -----------------------------------------------------------

TEST_F(ApplicationWindow, FirstShowingListsAllBandsAndModesWithPrintDisabled) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    EXPECT_EQ(Column(1), (QStringList{"A10", "B05", "C07", "K26"}));
    EXPECT_EQ(Column(0), (QStringList{"1.", "2.", "3.", "4."}));
    EXPECT_EQ(Column(2), (QStringList{"LY4DD", "LY2BB", "LY6FF", "LY1AA"}));
    EXPECT_EQ(form->SGrid2->item(3, 6)->text(), "12:00");
    EXPECT_TRUE(form->SGrid2->item(0, 1)->textAlignment() & Qt::AlignHCenter);
    EXPECT_EQ(form->SGrid2->horizontalHeaderItem(2)->text(), U("\u00a0Callsign"));
    EXPECT_EQ(form->SGrid2->horizontalHeaderItem(0)->text(), U("\u00a0\u00a0\u00a0#\u00a0\u00a0"));
    EXPECT_TRUE(form->SGrid2->isVisible());
    EXPECT_FALSE(form->rePrev->isVisible());
    EXPECT_FALSE(form->btPrint->isEnabled());
    EXPECT_FALSE(form->btPrev->isChecked());
    EXPECT_TRUE(form->rbBEX->isChecked() && form->rbHFVHF->isChecked() && form->rbAll->isChecked());
    EXPECT_EQ(form->windowTitle(), " BEX  AWARD  APPLICATION");
}

TEST_F(ApplicationWindow, EmptyLogShowsTheHeadingAndOneBlankRow) {
    const kx::QSOLog log("EN");
    Show(log);
    ASSERT_EQ(form->SGrid2->rowCount(), 1);
    for (int c = 0; c < kx::kListColumns; ++c) EXPECT_EQ(Column(c), QStringList{QString()});
    EXPECT_EQ(form->List().Count(), 0);
}

TEST_F(ApplicationWindow, EmptyFieldsAndFieldsWithBlanksOrCommasKeepTheirColumns) {
    const kx::QSOLog log = MakeLog({{"15 Jan, 2009", " 12:00 ", "LY1AB /P", "", "", "B05"},
                                    {"2009-01-16", "", "", " 20M ", "CW", "C07"}});
    Show(log);
    ASSERT_EQ(form->SGrid2->rowCount(), 2);
    EXPECT_EQ(Column(2), (QStringList{"LY1AB /P", ""}));
    EXPECT_EQ(Column(3), (QStringList{"", "20M"}));
    EXPECT_EQ(Column(4), (QStringList{"", "CW"}));
    EXPECT_EQ(Column(5), (QStringList{"15 Jan, 2009", "2009-01-16"}));
    EXPECT_EQ(Column(6), (QStringList{"12:00", ""}));
    form->btPrev->click();
    // The 12-character date widens its column: the time stays apart from it.
    EXPECT_TRUE(Preview().contains("  1. B05  LY1AB /P" + QString(17, ' ') + "15 Jan, 2009 12:00"))
        << Preview().toStdString();
    EXPECT_TRUE(Preview().contains("  2. C07" + QString(16, ' ') + "20M CW     2009-01-16\n"));
}

TEST_F(ApplicationWindow, BandOrModeClickRebuildsTheListAndTheTitle) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    Click(form->rbHF);
    EXPECT_EQ(Column(1), (QStringList{"A10", "K26"}));
    EXPECT_EQ(form->windowTitle(), " BEX  HF  Application");
    EXPECT_EQ(form->Filter.band, kx::BandGroup::HF);

    Click(form->rbSSB);
    EXPECT_EQ(Column(1), QStringList{"K26"});
    EXPECT_EQ(Column(2), QStringList{"LY3CC"});  // the SSB QSO, not the earlier CW one
    EXPECT_EQ(form->windowTitle(), " BEX  HF  SSB  Application");

    Click(form->rbVHF);
    EXPECT_EQ(Column(1), QStringList{"B05"});
    Click(form->rbDigi);
    EXPECT_EQ(Column(1), QStringList{QString()});  // nothing qualifies: one blank row
    EXPECT_EQ(form->windowTitle(), " BEX  VHF  DIGITAL  Application");

    Click(form->rbHFVHF);
    Click(form->rbPH);
    EXPECT_EQ(Column(1), (QStringList{"B05", "C07", "K26"}));
    EXPECT_EQ(form->windowTitle(), " BEX  PHONE  Application");
    EXPECT_EQ(form->Filter.mode, kx::ModeGroup::Phone);
}

// A preview left on at closing shows, at the next showing, the document of the list and
// words chosen then (all bands, all modes), never the earlier VHF SSB one.
TEST_F(ApplicationWindow, ReopeningWithThePreviewOnShowsTheDocumentOfTheNewShowing) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    Click(form->rbVHF);
    Click(form->rbSSB);
    form->btPrev->click();
    ASSERT_TRUE(Preview().contains("VHF SSB"));
    ASSERT_FALSE(Preview().contains("LY1AA"));
    form->close();
    form->edName->setText("Ona");
    kx::SettingsFile.WriteString("SETUP", "Name", "Petras");
    form->show();
    EXPECT_TRUE(form->btPrev->isChecked());
    EXPECT_TRUE(form->rePrev->isVisible());
    EXPECT_TRUE(Preview().contains("Application for the BEX Award"));
    EXPECT_FALSE(Preview().contains("VHF"));
    for (const char* call : {"LY1AA", "LY2BB", "LY4DD", "LY6FF"})
        EXPECT_TRUE(Preview().contains(call));
    EXPECT_TRUE(Preview().contains("Petras"));
}

TEST_F(ApplicationWindow, ClassClickChangesNeitherListNorTitle) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    Click(form->rbHF);
    const QStringList squares = Column(1);
    const QString title = form->windowTitle();
    for (QRadioButton* rb : {form->rb100, form->rb200, form->rb300, form->rbTrophy}) {
        Click(rb);
        EXPECT_TRUE(rb->isChecked());
        EXPECT_EQ(Column(1), squares);
        EXPECT_EQ(form->windowTitle(), title);
    }
}

TEST_F(ApplicationWindow, LaterShowingListsAllAgainWithTheButtonsToMatch) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    Click(form->rbVHF);
    Click(form->rbCW);
    form->close();
    form->show();
    EXPECT_EQ(Column(1).size(), 4);
    EXPECT_TRUE(form->rbHFVHF->isChecked());
    EXPECT_TRUE(form->rbAll->isChecked());
    EXPECT_EQ(form->windowTitle(), " BEX  AWARD  APPLICATION");
    form->btPrev->click();
    EXPECT_TRUE(Preview().contains("Application for the BEX Award")) << Preview().toStdString();
}

TEST_F(ApplicationWindow, CreateApplicationOfTheLogWindowListsItsLog) {
    kx::CreateForms();
    Form3->Log() = MixedLog();
    int rows = -1;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        rows = Form4->SGrid2->rowCount();
        modal = Form4->isModal();
        Form4->close();
    });
    Form3->btCreateClick();
    EXPECT_EQ(rows, 4);
    EXPECT_TRUE(modal);
    kx::DestroyForms();
}

// ---- captions and fonts -------------------------------------------------------------

TEST_F(ApplicationWindow, EnglishCaptions) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    EXPECT_EQ(form->btClose->text(), "Close");
    EXPECT_EQ(form->btPrev->text(), "Preview");
    EXPECT_EQ(form->btPrint->text(), "Print");
    EXPECT_EQ(form->btSave->text(), "Save to File...");
    EXPECT_EQ(form->btSavePdf->text(), "Save as PDF...");
    EXPECT_EQ(form->gbClass->title(), "BEX Class");
    EXPECT_EQ(form->gbBands->title(), "Bands");
    EXPECT_EQ(form->gbModes->title(), "Modes");
    EXPECT_EQ(form->gbApplic->title(), "Applicant");
    EXPECT_EQ(form->rbHF->text(), "HF");
    EXPECT_EQ(form->rbVHF->text(), "VHF");
    EXPECT_EQ(form->rbHFVHF->text(), "HF/VHF");
    EXPECT_EQ(form->rbAll->text(), "All");
    EXPECT_EQ(form->lbCall->text(), "Callsign");
    EXPECT_EQ(form->lbAddr->text(), "Address");
    EXPECT_EQ(form->lbName->text(), "Name");
    EXPECT_EQ(form->lbEaddr->text(), "E-mail");
    EXPECT_EQ(form->rb100->text(), "BEX 100");
    EXPECT_EQ(form->rbPH->text(), "PHONE");
    EXPECT_EQ(form->TemplateName, "BEXApplication.rtf");
    EXPECT_EQ(form->HeaderText, U("\u00a0\u00a0\u00a0#\u00a0\u00a0 \u00a0BEX\u00a0 \u00a0Callsign "
                                  "\u00a0Band\u00a0 \u00a0Mode\u00a0 \u00a0Date \u00a0Time"));
}

TEST_F(ApplicationWindow, LithuanianCaptions) {
    kx::Language = "LT";
    const kx::QSOLog log = MixedLog();
    Show(log);
    EXPECT_EQ(form->windowTitle(), U(" PARAIŠKA  BEX  DIPLOMUI"));
    EXPECT_EQ(form->btClose->text(), U("Uždaryti"));
    EXPECT_EQ(form->btPrev->text(), U("Peržiūra"));
    EXPECT_EQ(form->btPrint->text(), U("Spausdinti"));
    EXPECT_EQ(form->btSave->text(), U("Išsaugoti faile..."));
    EXPECT_EQ(form->gbClass->title(), U("BEX klasė"));
    EXPECT_EQ(form->gbBands->title(), U("Bangos"));
    EXPECT_EQ(form->gbModes->title(), U("Modos"));
    EXPECT_EQ(form->gbApplic->title(), U("Pareiškėjas"));
    EXPECT_EQ(form->rbHF->text(), U("TB"));
    EXPECT_EQ(form->rbVHF->text(), U("UTB"));
    EXPECT_EQ(form->rbHFVHF->text(), U("TB/UTB"));
    EXPECT_EQ(form->rbAll->text(), U("Visos"));
    EXPECT_EQ(form->lbCall->text(), U("Šaukinys"));
    EXPECT_EQ(form->lbAddr->text(), U("Adresas"));
    EXPECT_EQ(form->lbName->text(), U("Vardas Pavardė"));
    EXPECT_EQ(form->lbEaddr->text(), U("E-adresas"));
    // Lithuanian words where there are such; the mode codes stay.
    EXPECT_EQ(form->rbTrophy->text(), U("Trofėjus"));
    EXPECT_EQ(form->rbCW->text(), "CW");
    EXPECT_EQ(form->rbPH->text(), U("Telefonija"));
    EXPECT_EQ(form->rbDigi->text(), U("Skaitmeninės"));
    EXPECT_EQ(form->TemplateName, "BEXApplicationLT.rtf");
    EXPECT_EQ(form->SGrid2->horizontalHeaderItem(0)->text(),
              U("\u00a0\u00a0\u00a0Nr.\u00a0\u00a0"));
    EXPECT_EQ(form->SGrid2->horizontalHeaderItem(6)->text(), U("\u00a0Laikas"));
    // The title after a choice names it in Lithuanian.
    Click(form->rbHF);
    EXPECT_EQ(form->windowTitle(), U(" PARAIŠKA  BEX  TB  DIPLOMUI"));
}

TEST_F(ApplicationWindow, LanguageChosenAfterTheFirstShowingApplies) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    form->close();
    kx::Language = "LT";
    form->show();
    EXPECT_EQ(form->btClose->text(), U("Uždaryti"));
    EXPECT_EQ(form->TemplateName, "BEXApplicationLT.rtf");
}

TEST_F(ApplicationWindow, GroupsAreBoldTheApplicantFieldsRegular) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    for (QWidget* w : std::vector<QWidget*>{form->gbClass, form->gbBands, form->gbModes,
                                            form->gbApplic, form->rbBEX, form->rbHF, form->rbDigi})
        EXPECT_TRUE(w->font().bold()) << w->objectName().toStdString();
    for (QWidget* w :
         std::vector<QWidget*>{form->edName, form->edCall, form->edAddr, form->edEaddr,
                               form->lbName, form->lbCall, form->lbAddr, form->lbEaddr}) {
        EXPECT_FALSE(w->font().bold()) << w->objectName().toStdString();
        EXPECT_FALSE(w->fontInfo().bold()) << w->objectName().toStdString();
    }
    EXPECT_EQ(form->gbBands->palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

// ---- size, place and the applicant texts ----------------------------------------------

TEST_F(ApplicationWindow, WithoutSettingsOpensAt100x100WithTheMinimumSize) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    EXPECT_EQ(form->pos(), QPoint(100, 100));
    EXPECT_EQ(form->size(), QSize(600, 500));
    form->resize(320, 240);
    EXPECT_EQ(form->size(), QSize(600, 500));
}

TEST_F(ApplicationWindow, PlaceAndSizeComeFromTheSettingsAndGoBackAtClose) {
    kx::SettingsFile.WriteInteger("WINDOWS", "X4", 40);
    kx::SettingsFile.WriteInteger("WINDOWS", "Y4", 60);
    kx::SettingsFile.WriteInteger("WINDOWS", "W4", 720);
    kx::SettingsFile.WriteInteger("WINDOWS", "H4", 300);  // below the minimum
    const kx::QSOLog log = MixedLog();
    Show(log);
    EXPECT_EQ(form->pos(), QPoint(40, 60));
    EXPECT_EQ(form->size(), QSize(720, 500));
    form->move(70, 80);
    form->resize(700, 650);
    form->btClose->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "X4", 0), 70);
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "Y4", 0), 80);
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "W4", 0), 700);
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "H4", 0), 650);
}

TEST_F(ApplicationWindow, ASavedSizeLargerThanTheScreenIsFittedToTheScreen) {
    kx::SettingsFile.WriteInteger("WINDOWS", "X4", 100);
    kx::SettingsFile.WriteInteger("WINDOWS", "Y4", 100);
    kx::SettingsFile.WriteInteger("WINDOWS", "W4", 3000);
    kx::SettingsFile.WriteInteger("WINDOWS", "H4", 2000);
    const kx::QSOLog log = MixedLog();
    Show(log);
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(form->frameGeometry()))
        << form->frameGeometry().width() << "x" << form->frameGeometry().height();
    EXPECT_EQ(form->frameGeometry().size(), screen.size());
    EXPECT_TRUE(screen.contains(form->edEaddr->mapToGlobal(QPoint())));
}

TEST_F(ApplicationWindow, TheDateIsWrittenAsIsoWhateverTheShortDateForm) {
    fake.shortDateFormat = QStringLiteral("M/d/yy");
    const kx::QSOLog log = MixedLog();
    for (const char* language : {"EN", "LT"}) {
        kx::Language = language;
        Show(log);
        form->edCall->setText("ly2xyz");
        form->btPrev->click();
        EXPECT_TRUE(Preview().contains("2026-12-08")) << Preview().toStdString();
        EXPECT_FALSE(Preview().contains("12/8/26"));
        EXPECT_TRUE(Preview().contains("LY2XYZ"));
        EXPECT_FALSE(Preview().contains("ly2xyz"));
        form->close();
    }
}

TEST_F(ApplicationWindow, TabGoesAlongTheApplicantFieldsAsTheyStand) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    // The next field Tab reaches: the next widget of the chain that takes Tab.
    auto next = [](QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisible());
        return w;
    };
    EXPECT_EQ(next(form->edName), form->edCall);
    EXPECT_EQ(next(form->edCall), form->edAddr);
    EXPECT_EQ(next(form->edAddr), form->edEaddr);
}

TEST_F(ApplicationWindow, TheCountIsUnderTheListAndWarnsBelowTheClassThreshold) {
    const kx::QSOLog log = LogOfSquares(120);
    Show(log);
    EXPECT_TRUE(form->lbCount->isVisible());
    EXPECT_EQ(form->lbCount->text(), "BEX squares: 120");
    Click(form->rb200);
    EXPECT_EQ(form->lbCount->text(), "BEX squares: 120 (BEX 200 needs 200)");
    EXPECT_EQ(form->lbCount->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    Click(form->rb100);
    EXPECT_EQ(form->lbCount->text(), "BEX squares: 120");
    Click(form->rbTrophy);  // no threshold the program knows
    EXPECT_EQ(form->lbCount->text(), "BEX squares: 120");
    Click(form->rb300);
    Click(form->rbCW);  // a filter changes the count
    EXPECT_EQ(form->lbCount->text(),
              QString("BEX squares: %1 (BEX 300 needs 300)").arg(form->List().Count()));
    form->close();
    kx::Language = "LT";
    Show(log);
    Click(form->rb300);
    EXPECT_EQ(form->lbCount->text(), QString::fromUtf8("BEX kvadratų: 120 (BEX 300 reikia 300)"));
}

TEST_F(ApplicationWindow, ApplicantTextsReappearAfterARestart) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    Type(form->edName, U("Jonas Žemaitis"));
    Type(form->edCall, U("LY2XX"));
    Type(form->edAddr, U("Ąžuolų g. 5, Kaunas"));
    Type(form->edEaddr, U("ly2xx@example.lt"));
    form->close();

    // The file itself holds them, in the program's code page.
    const kx::IniFile onDisk(folder.file("Kvadrix.ini"));
    EXPECT_EQ(onDisk.ReadString("SETUP", "Name", ""), kx::Cp1257("Jonas Žemaitis"));
    EXPECT_EQ(onDisk.ReadString("SETUP", "Call", ""), "LY2XX");
    EXPECT_EQ(onDisk.ReadString("SETUP", "Addr", ""), kx::Cp1257("Ąžuolų g. 5, Kaunas"));
    EXPECT_EQ(onDisk.ReadString("SETUP", "EAddr", ""), "ly2xx@example.lt");

    // A new run: a new window over the same settings file.
    form.reset();
    kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
    Show(log);
    EXPECT_EQ(form->edName->text(), U("Jonas Žemaitis"));
    EXPECT_EQ(form->edCall->text(), "LY2XX");
    EXPECT_EQ(form->edAddr->text(), U("Ąžuolų g. 5, Kaunas"));
    EXPECT_EQ(form->edEaddr->text(), "ly2xx@example.lt");
}

// ---- preview ----------------------------------------------------------------------

TEST_F(ApplicationWindow, PreviewToggleSwitchesBetweenListAndDocument) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    form->btPrev->click();
    EXPECT_TRUE(form->rePrev->isVisible());
    EXPECT_FALSE(form->SGrid2->isVisible());
    EXPECT_FALSE(form->gbClass->isEnabled() || form->gbBands->isEnabled() ||
                 form->gbModes->isEnabled());
    EXPECT_TRUE(form->btPrint->isEnabled());
    form->btPrev->click();
    EXPECT_FALSE(form->rePrev->isVisible());
    EXPECT_TRUE(form->SGrid2->isVisible());
    EXPECT_TRUE(form->gbClass->isEnabled() && form->gbBands->isEnabled() &&
                form->gbModes->isEnabled());
    EXPECT_FALSE(form->btPrint->isEnabled());
}

TEST_F(ApplicationWindow, Class200VhfSsbGiveTheirWordsInThePreview) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    Click(form->rb200);
    Click(form->rbVHF);
    Click(form->rbSSB);
    form->edName->setText("Jonas Jonaitis");
    form->edCall->setText("LY2XX");
    form->btPrev->click();
    const QString text = Preview();
    EXPECT_TRUE(text.contains("Application for the BEX 200 VHF SSB Award")) << text.toStdString();
    EXPECT_TRUE(text.contains("Name: Jonas Jonaitis"));
    EXPECT_TRUE(text.contains("Callsign: LY2XX"));
    EXPECT_TRUE(text.contains("squares worked: 1\n"));
    EXPECT_TRUE(text.contains("Date: 2026-12-08"));
    EXPECT_TRUE(text.contains("Kvadrix 1.0"));
    EXPECT_TRUE(text.contains("  1. B05  LY2BB          2M SSB    2009-01-16  13:00"));
    EXPECT_FALSE(text.contains("{"));
}

TEST_F(ApplicationWindow, ListLinesTakeTheFixedPitchFontOfTheMarkerLine) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    form->btPrev->click();
    const QTextDocument& doc = *form->rePrev->document();
    int line = -1;
    for (int i = 0; i < kx::LineCount(doc); ++i)
        if (kx::LineText(doc, i).startsWith("  1. A10")) line = i;
    ASSERT_GE(line, 0);
    const QFont font = doc.findBlockByNumber(line).begin().fragment().charFormat().font();
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << font.family().toStdString();
    EXPECT_EQ(font.pointSize(), 10);
}

TEST_F(ApplicationWindow, LithuanianPreviewUsesTheLithuanianTemplate) {
    kx::Language = "LT";
    const kx::QSOLog log = MixedLog();
    Show(log);
    Click(form->rbTrophy);
    Click(form->rbHF);
    Click(form->rbPH);
    form->edName->setText(U("Jonas Žemaitis"));
    form->btPrev->click();
    const QString text = Preview();
    EXPECT_TRUE(text.contains(U("Paraiška BEX Trofėjus TB telefonijos diplomui")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(U("Vardas, pavardė: Jonas Žemaitis")));
    EXPECT_TRUE(text.contains(U("Šaukinys")));
    EXPECT_TRUE(text.contains("  1. K26  LY3CC         40M SSB    2009-01-17  14:00"));
}

TEST_F(ApplicationWindow, PreviewLeftOpenKeepsItsDocumentAtTheNextShowing) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    form->btPrev->click();
    const QString before = Preview();
    form->close();
    form->show();
    EXPECT_TRUE(form->btPrev->isChecked());
    EXPECT_TRUE(form->rePrev->isVisible());
    EXPECT_EQ(Preview(), before);
}

TEST_F(ApplicationWindow, MissingTemplateIsReportedAndTheToggleStaysDown) {
    std::filesystem::remove(folder.file("BEXApplication.rtf"));
    const kx::QSOLog log = MixedLog();
    Show(log);
    form->btPrev->click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].box.kind, kx::MessageKind::ErrorReport);
    EXPECT_TRUE(fake.lastMessageText().contains("Cannot open file"));
    EXPECT_TRUE(fake.lastMessageText().contains("BEXApplication.rtf"));
    EXPECT_TRUE(form->btPrev->isChecked());
    EXPECT_TRUE(Preview().trimmed().isEmpty());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ApplicationWindow, TemplateWithoutMarkerGetsTheListAtItsEnd) {
    folder.write("BEXApplication.rtf",
                 "{\\rtf1\\ansi\\ansicpg1257{\\fonttbl{\\f0 Courier New;}}"
                 "\\pard\\f0\\fs20 BEX \\{cnt\\}\\par\\pard Signature\\par}");
    const kx::QSOLog log = MixedLog();
    Show(log);
    form->btPrev->click();
    EXPECT_TRUE(fake.messages.empty()) << fake.lastMessageText().toStdString();
    const QStringList lines = Preview().split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], "BEX 4");
    EXPECT_EQ(lines[1], "Signature");
    EXPECT_TRUE(lines[2].startsWith("  1. A10"));
    EXPECT_TRUE(lines[5].startsWith("  4. K26"));
}

TEST_F(ApplicationWindow, LineBreakInsideAFilledTemplateLineStaysALineBreak) {
    // Shift+Enter in a word processor: two lines of one paragraph.
    folder.write("BEXApplication.rtf",
                 "{\\rtf1\\ansi\\ansicpg1257{\\fonttbl{\\f0 Courier New;}}"
                 "\\pard\\f0\\fs20 Name: \\{name\\}\\line Callsign: \\{call\\}\\par"
                 "\\pard \\{qsolist\\}\\par}");
    const kx::QSOLog log = MixedLog();
    Show(log);
    form->edName->setText("Jonas");
    form->edCall->setText("LY2XX");
    form->btPrev->click();
    EXPECT_TRUE(fake.messages.empty()) << fake.lastMessageText().toStdString();
    EXPECT_EQ(kx::LineText(*form->rePrev->document(), 0), QStringLiteral("Name: Jonas") +
                                                              QChar(QChar::LineSeparator) +
                                                              QStringLiteral("Callsign: LY2XX"));
}

// ---- print ------------------------------------------------------------------------

TEST_F(ApplicationWindow, PrintSendsThePreviewWithItsPageHeadersAndAnEmptyTitle) {
    const kx::QSOLog log = LogOfSquares(120);
    Show(log);
    form->btPrint->click();  // disabled in list mode
    EXPECT_TRUE(fake.printedDocuments.isEmpty());
    form->btPrev->click();
    form->btPrint->click();
    ASSERT_EQ(fake.printedDocuments.size(), 1);
    EXPECT_EQ(fake.printedDocuments[0], Preview());
    EXPECT_TRUE(fake.printedDocuments[0].contains("-3- "));
    EXPECT_EQ(fake.printJobTitles[0], QString());
    EXPECT_TRUE(fake.messages.empty());
}

// The outside world without a printer.
class NoPrinterServices : public kx::FakeServices {
public:
    void PrintDocument(const QTextDocument&, const QString&) override {
        throw kx::NoPrinterError(
            "No printer is installed. Install a printer in the system settings.");
    }
};

TEST_F(ApplicationWindow, PrintWithoutPrinterSaysSoAndChangesNothing) {
    NoPrinterServices noPrinter;
    kx::ScopedServices useNoPrinter(noPrinter);
    const kx::QSOLog log = LogOfSquares(3);
    Show(log);
    form->btPrev->click();
    const QString before = Preview();
    form->btPrint->click();
    ASSERT_EQ(noPrinter.messages.size(), 1u);
    EXPECT_TRUE(noPrinter.lastMessageText().contains("No printer is installed"));
    // An error message, not a failure report: "ERROR" with the information icon.
    EXPECT_EQ(noPrinter.lastMessage()->kind, kx::MessageKind::Error);
    EXPECT_EQ(Preview(), before);
    EXPECT_TRUE(form->btPrev->isChecked());
    EXPECT_TRUE(form->isVisible());
}

// ---- save -------------------------------------------------------------------------

TEST_F(ApplicationWindow, SavedFileHasTheListWithoutPageHeadersAndViewKeepsPreview) {
    const kx::QSOLog log = LogOfSquares(120);
    Show(log);
    Click(form->rb200);
    form->edName->setText(U("Jonas Žemaitis"));
    fake.saveFileAnswers.push_back(QString::fromStdString(folder.file("saved.rtf")));
    form->btSave->click();
    ASSERT_EQ(fake.saveDialogs.size(), 1u);
    EXPECT_TRUE(fake.saveDialogs[0].filter.contains("*.rtf"));
    EXPECT_EQ(fake.saveDialogs[0].folder, kx::DocumentsFolder());
    EXPECT_EQ(fake.saveDialogs[0].defaultSuffix, "rtf");
    EXPECT_TRUE(fake.messages.empty()) << fake.lastMessageText().toStdString();

    const std::string saved = folder.read("saved.rtf");
    EXPECT_EQ(saved.find('\f'), std::string::npos);
    EXPECT_EQ(saved.find("\\page"), std::string::npos);
    EXPECT_EQ(saved.find("-2-"), std::string::npos);
    EXPECT_NE(saved.find("LY1AB"), std::string::npos);

    // The file read back is the preview without its page headers.
    QTextDocument reread;
    kx::LoadRtfFile(&reread, folder.file("saved.rtf"));
    QStringList preview = Preview().split('\n');
    for (int i = preview.size() - 1; i >= 0; --i) {
        if (preview[i] == kx::kPageBreakLine)
            preview.erase(preview.begin() + i, preview.begin() + i + 4);
    }
    EXPECT_EQ(reread.toPlainText().split('\n'), preview);
    EXPECT_TRUE(reread.toPlainText().contains(U("Name: Jonas Žemaitis")));
    EXPECT_TRUE(reread.toPlainText().contains("BEX 200 Award"));

    // The view holds the preview variant again.
    EXPECT_TRUE(Preview().contains("                         -2- "));
    EXPECT_TRUE(Preview().contains("                         -3- "));
}

TEST_F(ApplicationWindow, CancelledSaveWritesNothingAndLeavesTheView) {
    const kx::QSOLog log = LogOfSquares(60);
    Show(log);
    form->btPrev->click();
    form->edName->setText("Changed after the preview");
    const QString before = Preview();
    fake.saveFileAnswers.push_back(QString());
    form->btSave->click();
    EXPECT_EQ(fake.saveDialogs.size(), 1u);
    EXPECT_EQ(Preview(), before);
    EXPECT_TRUE(fake.messages.empty());
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.dir())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.rfind("BEXApplication", 0) == 0 || name == "Kvadrix.ini") << name;
        ++files;
    }
    EXPECT_LE(files, 3);

    // In list mode too: the view stays empty, nothing is written.
    form->btPrev->click();
    fake.saveFileAnswers.push_back(QString());
    form->btSave->click();
    EXPECT_EQ(Preview(), before);
}

TEST_F(ApplicationWindow, SaveAddsTheExtensionToANameTypedWithoutOne) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    fake.saveFileAnswers.push_back(QString::fromStdString(folder.file("application")));
    form->btSave->click();
    EXPECT_FALSE(std::filesystem::exists(folder.file("application")));
    EXPECT_TRUE(std::filesystem::exists(folder.file("application.rtf")));
    fake.saveFileAnswers.push_back(QString::fromStdString(folder.file("application.doc")));
    form->btSave->click();
    EXPECT_TRUE(std::filesystem::exists(folder.file("application.doc")));  // as typed
}

TEST_F(ApplicationWindow, SaveIntoAFolderWithLithuanianLettersInItsName) {
    // A folder the user made in the file manager: its name is the system's own bytes.
    const std::string dir = folder.file("Paraiškos");
    std::filesystem::create_directory(dir);
    const kx::QSOLog log = MixedLog();
    Show(log);
    fake.saveFileAnswers.push_back(QString::fromStdString(dir + "/Žemaitis.rtf"));
    form->btSave->click();
    EXPECT_TRUE(fake.messages.empty()) << fake.lastMessageText().toStdString();
    EXPECT_TRUE(std::filesystem::exists(dir + "/Žemaitis.rtf"));

    fake.saveFileAnswers.push_back(QString::fromStdString(dir + "/Žemaitis.pdf"));
    form->btSavePdf->click();
    EXPECT_TRUE(fake.messages.empty()) << fake.lastMessageText().toStdString();
    EXPECT_TRUE(std::filesystem::exists(dir + "/Žemaitis.pdf"));
}

TEST_F(ApplicationWindow, SaveDialogsStartInTheUsersDocumentsFolderWithLithuanianLetters) {
    // A home whose name holds Lithuanian letters, without XDG folder settings: the
    // documents folder is its Documents.
    const std::string home = folder.file("Šiauliai");
    std::filesystem::create_directories(home + "/Documents");
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(home));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home + "/.config"));
    const kx::QSOLog log = MixedLog();
    Show(log);
    fake.saveFileAnswers = {QString(), QString()};
    form->btSave->click();
    form->btSavePdf->click();
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    if (oldConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
    ASSERT_EQ(fake.saveDialogs.size(), 2u);
    for (const auto& dialog : fake.saveDialogs)
        EXPECT_EQ(dialog.folder, QString::fromStdString(home + "/Documents"));
    EXPECT_EQ(fake.saveDialogs[0].filter, "RTF files (*.rtf);;All files (*)");
}

TEST_F(ApplicationWindow, UnwritableSaveIsReportedAndKeepsTheSavedVariantInView) {
    const kx::QSOLog log = LogOfSquares(60);
    Show(log);
    fake.saveFileAnswers.push_back(QString::fromStdString(folder.file("no-such-folder/a.rtf")));
    form->btSave->click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].box.kind, kx::MessageKind::ErrorReport);
    EXPECT_TRUE(Preview().contains("LY1AB"));
    EXPECT_FALSE(Preview().contains("-2-"));
    EXPECT_TRUE(form->isVisible());
}

// ---- PDF --------------------------------------------------------------------------

class ApplicationWindowPdf : public ApplicationWindow,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(ApplicationWindowPdf, LongListContinuesUnderThePageNumber) {
    kx::Language = GetParam();
    const kx::QSOLog log = LogOfSquares(120);
    Show(log);
    form->edCall->setText("ly2xyz");
    const std::string pdf = folder.file("app.pdf");
    fake.saveFileAnswers.push_back(QString::fromStdString(pdf));
    form->btSavePdf->click();
    EXPECT_TRUE(fake.messages.empty()) << fake.lastMessageText().toStdString();
    EXPECT_FALSE(form->btPrev->isChecked());  // the view is not touched

    // Both templates hold their marker at line index 17: page 1 takes 37 entries, the
    // page 2 header comes at line 54 and the page 3 header at 113, after entry 92 (each
    // header repeats the column heading).
    const std::string page1 = PdfPageText(pdf, 1);
    EXPECT_NE(page1.find("37. A36"), std::string::npos) << page1;
    EXPECT_EQ(page1.find("38. A37"), std::string::npos) << page1;
    const std::string top2 = FirstLinesOfPage(pdf, 2);
    EXPECT_NE(top2.find("-2-"), std::string::npos) << top2;
    // Each continuation page names the applicant and repeats the column heading.
    EXPECT_NE(top2.find("LY2XYZ"), std::string::npos) << top2;
    EXPECT_NE(top2.find(GetParam() == std::string("LT") ? "Banga" : "Band"), std::string::npos)
        << top2;
    EXPECT_NE(top2.find("38. A37"), std::string::npos) << top2;
    EXPECT_NE(top2.find("LY1AB"), std::string::npos) << top2;
    const std::string top3 = FirstLinesOfPage(pdf, 3);
    EXPECT_NE(top3.find("-3-"), std::string::npos) << top3;
    EXPECT_NE(top3.find("93. C12"), std::string::npos) << top3;
    EXPECT_EQ(PdfPageText(pdf, 4).find("-4-"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothTemplates, ApplicationWindowPdf, ::testing::Values("EN", "LT"));

// ---- the shipped templates ----------------------------------------------------------

class ShippedTemplate : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedTemplate, HoldsEachPlaceholderOnceAndTheMarkerInAFixedPitchFont) {
    QTextDocument doc;
    kx::LoadRtfFile(&doc, std::string(KX_DATA_DIR) + "/" + GetParam());
    const QString text = doc.toPlainText();
    for (const char* placeholder : {"{cn} {cl} {scl} ", "{name}", "{call}", "{addr}", "{eaddr}",
                                    "Kvadrix {version}", "{cnt}", "{date}"})
        EXPECT_EQ(text.count(QString::fromLatin1(placeholder)), 1) << placeholder;

    const int marker = kx::FindLine(doc, QStringLiteral("{qsolist}"));
    EXPECT_EQ(marker, 17);
    EXPECT_EQ(kx::LineText(doc, marker), "{qsolist}");
    const QFont font = doc.findBlockByNumber(marker).begin().fragment().charFormat().font();
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << font.family().toStdString();
    EXPECT_EQ(font.pointSize(), 10);
    // The line for the signature follows the list.
    EXPECT_TRUE(kx::LineText(doc, kx::LineCount(doc) - 1).contains("......"));

    const kx::PageSetup page = kx::GetPageSetup(doc);
    EXPECT_EQ(page.paperWidth, 11906);  // A4
    EXPECT_EQ(page.paperHeight, 16838);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ShippedTemplate,
                         ::testing::Values("BEXApplication.rtf", "BEXApplicationLT.rtf"));

// ---- pictures for the documentation -------------------------------------------------

// Writes pictures of the preview when KX_SCREENSHOT_DIR names a folder.
TEST_F(ApplicationWindow, ScreenshotsOnlyWhenKX_SCREENSHOT_DIRIsSet) {
    const char* dir = std::getenv("KX_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "KX_SCREENSHOT_DIR not set";
    const kx::QSOLog log = LogOfSquares(60);
    for (const char* language : {"EN", "LT"}) {
        kx::Language = language;
        Show(log);
        form->edName->setText(kx::Language == "LT" ? U("Jonas Žemaitis") : U("Jonas Jonaitis"));
        form->edCall->setText("LY2XX");
        form->edAddr->setText(U("Ąžuolų g. 5, Kaunas"));
        form->edEaddr->setText("ly2xx@example.lt");
        form->resize(800, 700);
        form->btPrev->click();
        QCoreApplication::processEvents();
        const QString name =
            kx::Language == "LT" ? "application-preview-lt.png" : "application-preview.png";
        EXPECT_TRUE(form->grab().save(QString::fromUtf8(dir) + "/" + name));
        form->close();
    }
}

}  // namespace

namespace {

// Saves an application in each language into KX_SAVED_DIR when it names a folder, to
// open in a word processor.
TEST_F(ApplicationWindow, SavedApplicationsOnlyWhenKX_SAVED_DIRIsSet) {
    const char* dir = std::getenv("KX_SAVED_DIR");
    if (!dir) GTEST_SKIP() << "KX_SAVED_DIR not set";
    const kx::QSOLog log = LogOfSquares(120);
    for (const char* language : {"EN", "LT"}) {
        kx::Language = language;
        Show(log);
        form->edName->setText(U("Jonas Žemaitis"));
        form->edCall->setText("LY2XX");
        form->edAddr->setText(U("Ąžuolų g. 5, Kaunas"));
        form->edEaddr->setText("ly2xx@example.lt");
        Click(form->rb100);
        const QString name = QString::fromUtf8(dir) + "/application-" + language + ".rtf";
        fake.saveFileAnswers.push_back(name);
        form->btSave->click();
        EXPECT_TRUE(fake.messages.empty()) << fake.lastMessageText().toStdString();
        QFile text(QString::fromUtf8(dir) + "/application-" + language + ".txt");
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        QTextDocument saved;
        kx::LoadRtfFile(&saved, kx::ToCpChecked(name));
        text.write(saved.toPlainText().toUtf8());
        form->close();
    }
}

}  // namespace

namespace {

// The program's own services on a machine without a printer: Print ends in a message
// that says so, nothing is sent anywhere.
TEST(ApplicationPrintOnThisMachine, WithoutPrinterTheProgramServicesSaySo) {
    if (kx::HasCurrentPrinter()) GTEST_SKIP() << "this machine has a printer";
    QTextDocument doc(QStringLiteral("BEX"));
    try {
        kx::Svc().PrintDocument(doc, QString());
        ADD_FAILURE() << "printing without a printer did not fail";
    } catch (const kx::KxError& e) {
        EXPECT_NE(std::string(e.what()).find("No printer is installed"), std::string::npos)
            << e.what();
    }
}

}  // namespace

TEST_F(ApplicationWindow, ApplicantLettersTheCodePageLacksAreFoldedAndOtherCharactersRefused) {
    const kx::QSOLog log = MixedLog();
    Show(log);
    Type(form->edName, U("Juán Muñoz"));
    EXPECT_EQ(form->edName->text(), "Juan Munoz");
    EXPECT_TRUE(fake.messages.empty());
    QTest::sendKeyEvent(QTest::Click, form->edAddr, Qt::Key_unknown, U("😀"), {});
    EXPECT_EQ(form->edAddr->text(), "");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.lastMessageText().contains(U("\"😀\" (U+1F600)")));
    EXPECT_TRUE(fake.lastMessageText().contains("\"Address\""))
        << fake.lastMessageText().toStdString();
    form->close();
    EXPECT_EQ(kx::IniFile(folder.file("Kvadrix.ini")).ReadString("SETUP", "Name", ""),
              "Juan Munoz");
}
