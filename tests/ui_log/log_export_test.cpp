// The log window's "Export to ADIF": the button, the save dialog, the file and the message.
#include <QLocale>
#include <QToolBar>
#include <filesystem>

#include "platform/DateOrder.h"
#include "ui_log/LogWindowFixture.h"

using namespace kxtest;

namespace {

class LogExportTest : public LogWindowTest {
protected:
    // Clicks the button with the dialog answering `answer`; the file's bytes.
    std::string exportTo(const QString& answer) {
        fake.saveFileAnswers.push_back(answer);
        form->btExport->click();
        QFile file(answer);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
};

}  // namespace

TEST_F(LogExportTest, TheButtonStandsBesideTheMapInBothLanguages) {
    open();
    const QList<QToolButton*> buttons =
        form->findChild<QToolBar*>(QStringLiteral("ToolBar1"))->findChildren<QToolButton*>();
    EXPECT_EQ(buttons.indexOf(form->btExport), buttons.indexOf(form->btMap) + 1);
    EXPECT_EQ(form->btExport->text(), QStringLiteral("Export to ADIF"));
    kx::Language = "LT";
    form->SetCaptions();
    EXPECT_EQ(form->btExport->text(), QStringLiteral("Eksportuoti ADIF"));
}

TEST_F(LogExportTest, WritesEveryQsoAndTellsHowMany) {
    writeLog({{"2009-05-12", "12:30", "", "LY2AA", "20M", "USB", "", "\xD0imkus", "KO24PQ", "K26"},
              {"", "08:00", "", "LY3BB", "40M", "CW"}});
    open();
    const std::string text = exportTo(QString::fromStdString(folder.file("my log.adi")));

    ASSERT_EQ(fake.saveDialogs.size(), 1u);
    const kx::FileDialogRequest& dialog = fake.saveDialogs[0];
    EXPECT_TRUE(dialog.filter.contains(QStringLiteral("(*.adi)")));
    EXPECT_EQ(dialog.defaultSuffix, QStringLiteral("adi"));
    EXPECT_EQ(dialog.folder, QString::fromStdString(folder.file("Kvadrix-LY-20261208.adi")));

    EXPECT_EQ(text.rfind("Kvadrix ADIF export", 0), 0u);
    EXPECT_NE(text.find("<CALL:5>LY2AA <QSO_DATE:8>20090512 <TIME_ON:4>1230 <BAND:3>20m "
                        "<MODE:3>SSB <SUBMODE:3>USB <NAME:6>Šimkus <GRIDSQUARE:6>KO24PQ "
                        "<SIG:3>BEX <SIG_INFO:3>K26 <EOR>\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<CALL:5>LY3BB <TIME_ON:4>0800 "), std::string::npos);
    EXPECT_EQ(lastText(),
              QString::fromStdString("QSOs exported: 2.\nFile: " + folder.file("my log.adi") +
                                     "\nWithout a readable date (written without "
                                     "QSO_DATE): 1."));
    EXPECT_EQ(fake.count(kx::MessageKind::Information), 1);
}

TEST_F(LogExportTest, TypedDatesAreReadInTheUsersShortDateOrder) {
    fake.shortDateFormat = QStringLiteral("dd/MM/yyyy");
    writeLog({{"05/12/2009", "12:30", "", "LY2AA", "20M", "CW"}});
    open();
    EXPECT_NE(exportTo(QString::fromStdString(folder.file("a.adi"))).find("<QSO_DATE:8>20091205 "),
              std::string::npos);
    fake.shortDateFormat = QStringLiteral("M/d/yy");
    EXPECT_NE(exportTo(QString::fromStdString(folder.file("b.adi"))).find("<QSO_DATE:8>20090512 "),
              std::string::npos);
    // The next dialog starts in the folder of the last export.
    EXPECT_EQ(fake.saveDialogs.back().folder,
              QString::fromStdString(folder.file("Kvadrix-LY-20261208.adi")));
}

TEST_F(LogExportTest, CancelWritesNothingAndAFailedWriteIsReported) {
    writeLog({{"2009-05-12", "12:30", "", "LY2AA", "20M", "CW"}});
    folder.write("old.adi", "old");
    open();
    form->btExport->click();  // the dialog is cancelled
    EXPECT_TRUE(fake.messages.empty());

    kx::WriteFaultHook = [](const std::string&) { return false; };
    EXPECT_EQ(exportTo(QString::fromStdString(folder.file("old.adi"))), "old");
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_EQ(fake.count(kx::MessageKind::Information), 0);
}

TEST_F(LogExportTest, AWwlTableThatCannotBeReadIsReportedAndNothingIsWritten) {
    // Without the table no square would reach the file: an export without squares is
    // no export.
    writeLog({{"2009-05-12", "12:30", "", "LY2AA", "20M", "CW", "", "", "KO24PQ", "K26"}});
    open();
    folder.write("BEXWWL.dat", "not a table\r\n");
    form->btExport->click();
    EXPECT_TRUE(fake.saveDialogs.empty());
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_TRUE(lastText().contains(QStringLiteral("BEXWWL.dat"))) << lastText().toStdString();
    EXPECT_EQ(fake.count(kx::MessageKind::Information), 0);
}

TEST_F(LogExportTest, ALogFileThatCouldNotBeReadAtStartIsExportedWholeOrNotAtAll) {
    // "QSO.dat" is there but cannot be read (it leads to a folder).
    const std::string path = folder.file("QSO.dat");
    std::filesystem::create_directories(folder.file("elsewhere"));
    std::filesystem::create_directory_symlink(folder.file("elsewhere"), path);
    open();
    enterQso("LY2AB", "2009-05-13", "10:00");
    form->btEntry->click();  // kept in the table, not written
    const int reports = fake.count(kx::MessageKind::ErrorReport);
    form->btExport->click();
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), reports + 1);
    EXPECT_TRUE(fake.saveDialogs.empty());

    std::filesystem::remove(path);
    writeLog({{"2009-05-12", "12:30", " ", "LY1AB", "20M", "SSB"}});
    const std::string text = exportTo(QString::fromStdString(folder.file("all.adi")));
    EXPECT_NE(text.find("<CALL:5>LY1AB "), std::string::npos);
    EXPECT_NE(text.find("<CALL:5>LY2AB "), std::string::npos);
    EXPECT_EQ(form->Panel4->text(), "2");
}

// The window reads typed dates in the order of Qt's locale, kvadrix-tool in that of the C
// library's: in the locale the suite runs in (C, lt_LT, de_DE in scripts/test) they agree,
// so the same log exports the same dates from either.
TEST(DateOrder, TheWindowsAndTheToolsOrderAgreeInTheUsersLocale) {
    EXPECT_EQ(
        kx::DateOrderOfFormat(QLocale::system().dateFormat(QLocale::ShortFormat).toStdString()),
        kx::SystemDateOrder())
        << QLocale::system().name().toStdString();
}
