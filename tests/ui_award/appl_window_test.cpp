#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "award/KXAppl.h"
#include "log/QSOLog.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/qt/DocPrint.h"
#include "platform/qt/FakeServices.h"
#include "support/TempFolder.h"

namespace {

kx::QSOLog LogOfSquares(int n) {
    kx::QSOLog log("EN");
    for (int i = 0; i < n; ++i) {
        int row = i == 0 ? 1 : log.AddEmptyRow();
        std::string bex =
            std::string(1, char('A' + i / 40)) + char('0' + i % 40 / 10) + char('0' + i % 10);
        log.SetCell(row, kx::colDate, "2009-01-15");
        log.SetCell(row, kx::colSUTC, "12:00");
        log.SetCell(row, kx::colCallsign, "LY1AB");
        log.SetCell(row, kx::colBand, "20M");
        log.SetCell(row, kx::colMode, "CW");
        log.SetCell(row, kx::colBEX, bex);
    }
    return log;
}

TEST(ApplicationWindowPreview, PdfOfLongListContinuesUnderPageNumber) {
    kxtest::TempFolder folder;
    folder.makeProgramFolder();
    folder.copyData("BEXApplication.rtf");
    kx::Language = "EN";
    kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
    kx::FakeServices fake;
    kx::ScopedServices use(fake);

    kx::QSOLog log = LogOfSquares(120);
    TForm4 form;
    form.SetLog(&log);
    form.show();
    EXPECT_EQ(form.SGrid2->rowCount(), 120);
    EXPECT_FALSE(form.btPrint->isEnabled());
    form.btPrev->click();
    EXPECT_TRUE(form.btPrint->isEnabled());
    const QString text = form.rePrev->document()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("-2-")));
    EXPECT_FALSE(text.contains(QStringLiteral("{qsolist}")));

    const std::string pdf = folder.file("app.pdf");
    kx::PrintToPdf(*form.rePrev->document(), pdf);
    const std::string cmd =
        "pdftotext -layout -f 2 -l 2 '" + pdf + "' - | grep -v '^\\s*$' | head -2";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[512] = {};
    std::string out;
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
    EXPECT_NE(out.find("-2-"), std::string::npos) << out;
    EXPECT_NE(out.find("LY1AB"), std::string::npos) << out;
    form.close();
}

}  // namespace

namespace {

TEST(ApplicationWindowSave, SavedFileHasNoPageHeadersAndViewKeepsPreview) {
    kxtest::TempFolder folder;
    folder.makeProgramFolder();
    folder.copyData("BEXApplication.rtf");
    kx::Language = "EN";
    kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
    kx::FakeServices fake;
    kx::ScopedServices use(fake);
    kx::QSOLog log = LogOfSquares(120);
    TForm4 form;
    form.SetLog(&log);
    form.show();
    form.rb200->click();
    form.edName->setText(QStringLiteral("Jonas Žemaitis"));
    fake.saveFileAnswers.push_back(QString::fromStdString(folder.file("saved.rtf")));
    form.btSave->click();
    const std::string saved = folder.read("saved.rtf");
    EXPECT_EQ(saved.find("-2-"), std::string::npos);
    EXPECT_NE(saved.find("LY1AB"), std::string::npos);
    EXPECT_TRUE(form.rePrev->document()->toPlainText().contains(QStringLiteral("-2-")));
    fake.saveFileAnswers.push_back(QString());
    form.btSave->click();  // cancelled: the view stays
    EXPECT_TRUE(form.rePrev->document()->toPlainText().contains(QStringLiteral("-2-")));
    std::system(("cp '" + folder.file("saved.rtf") + "' /tmp/award/saved.rtf").c_str());
    form.close();
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "W4", 0) >= 600, true);
}

}  // namespace

namespace {

// Writes a picture of the preview when KX_SCREENSHOT_DIR names a folder (documentation).
TEST(ApplicationWindowPreview, ScreenshotWhenAsked) {
    const char* dir = std::getenv("KX_SCREENSHOT_DIR");
    if (!dir) GTEST_SKIP() << "KX_SCREENSHOT_DIR not set";
    kxtest::TempFolder folder;
    folder.makeProgramFolder();
    folder.copyData("BEXApplication.rtf");
    kx::Language = "EN";
    kx::VersionText = "1.0";
    kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
    kx::FakeServices fake;
    kx::ScopedServices use(fake);
    kx::QSOLog log = LogOfSquares(60);
    TForm4 form;
    form.SetLog(&log);
    form.show();
    form.edName->setText(QStringLiteral("Jonas Jonaitis"));
    form.edCall->setText(QStringLiteral("LY2XX"));
    form.resize(800, 700);
    form.btPrev->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.grab().save(QString::fromUtf8(dir) + "/application-preview.png"));
    form.close();
}

}  // namespace
