// Application templates and info texts missing, empty, binary or cut off: the window
// reports the file in one error message and goes on, or shows what the file still holds.
#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "app/Forms.h"
#include "award/KXAppl.h"
#include "log/QSOLog.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "support/FakeServices.h"
#include "support/TempFolder.h"

namespace {

std::string BinaryJunk(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t x = 88172645u;
    for (char& c : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

std::string ShippedFile(const std::string& name) {
    kxtest::TempFolder scratch;
    scratch.copyData(name);
    return scratch.read(name);
}

// ---- the application template ------------------------------------------------------

class DamagedTemplate : public ::testing::Test {
protected:
    void SetUp() override {
        folder.makeProgramFolder();
        kx::Language = "EN";
        kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
        for (int i = 0; i < 3; ++i) {
            const int row = i == 0 ? 1 : log.AddEmptyRow();
            log.SetCell(row, kx::colDate, "2009-01-15");
            log.SetCell(row, kx::colSUTC, "12:00");
            log.SetCell(row, kx::colCallsign, "LY1AB");
            log.SetCell(row, kx::colBand, "20M");
            log.SetCell(row, kx::colMode, "CW");
            log.SetCell(row, kx::colBEX, std::string("K2") + char('5' + i));
        }
        form = std::make_unique<TForm4>();
        form->SetLog(&log);
        form->show();
    }
    void TearDown() override {
        form->close();
        form.reset();
        kx::SettingsFile.Open("");
    }

    // Preview, then a save to "saved.rtf": each reports the template once, nothing is
    // saved and the window stays open.
    void ExpectReportedAndNothingSaved(const QString& wording) {
        form->btPrev->click();
        ASSERT_EQ(fake.messages.size(), 1u);
        EXPECT_EQ(fake.messages[0].box.kind, kx::MessageKind::ErrorReport);
        EXPECT_TRUE(fake.lastMessageText().contains("BEXApplication.rtf"))
            << fake.lastMessageText().toStdString();
        EXPECT_TRUE(fake.lastMessageText().contains(wording))
            << fake.lastMessageText().toStdString();
        fake.saveFileAnswers.push_back(QString::fromStdString(folder.file("saved.rtf")));
        form->btSave->click();
        EXPECT_EQ(fake.messages.size(), 2u);
        EXPECT_FALSE(std::filesystem::exists(folder.file("saved.rtf")));
        EXPECT_TRUE(form->isVisible());
    }

    kxtest::TempFolder folder;
    kx::FakeServices fake;
    kx::ScopedServices use{fake};
    kx::QSOLog log{"EN"};
    std::unique_ptr<TForm4> form;
};

TEST_F(DamagedTemplate, MissingIsReportedAndNothingIsSaved) {
    ExpectReportedAndNothingSaved("Cannot open file");
}

TEST_F(DamagedTemplate, EmptyIsReportedAsNoRtfDocument) {
    folder.write("BEXApplication.rtf", "");
    ExpectReportedAndNothingSaved("is not an RTF document");
}

TEST_F(DamagedTemplate, BinaryIsReportedAsNoRtfDocument) {
    folder.write("BEXApplication.rtf", BinaryJunk(8192));
    ExpectReportedAndNothingSaved("is not an RTF document");
}

TEST_F(DamagedTemplate, FolderInItsPlaceIsReported) {
    std::filesystem::create_directory(folder.file("BEXApplication.rtf"));
    ExpectReportedAndNothingSaved("BEXApplication.rtf");
}

TEST_F(DamagedTemplate, CutOffStillGivesTheListAndSaves) {
    const std::string full = ShippedFile("BEXApplication.rtf");
    for (std::size_t cut : {full.size() / 3, full.size() / 2, full.size() - 7}) {
        folder.write("BEXApplication.rtf", full.substr(0, cut));
        form->btPrev->setChecked(false);
        form->btPrev->click();
        EXPECT_TRUE(fake.messages.empty()) << cut << ": " << fake.lastMessageText().toStdString();
        const QString text = form->rePrev->document()->toPlainText();
        EXPECT_TRUE(text.contains("LY1AB")) << cut;
        EXPECT_FALSE(text.contains("{qsolist}", Qt::CaseInsensitive)) << cut;
        fake.saveFileAnswers.push_back(QString::fromStdString(folder.file("saved.rtf")));
        form->btSave->click();
        EXPECT_NE(folder.read("saved.rtf").find("LY1AB"), std::string::npos) << cut;
        std::filesystem::remove(folder.file("saved.rtf"));
    }
}

// ---- the info texts of the start window ---------------------------------------------

class DamagedInfoText : public ::testing::Test {
protected:
    void SetUp() override {
        kx::ForgetPaths();
        kx::VersionText.clear();
        kx::Language.clear();
        folder.copyData("KXInfo.dat");
        folder.copyData("KXInfoLT.dat");
        folder.write("Kvadrix.ini", "[Kvadrix]\r\nLanguage =LT\r\n");
        fake.executableFolder =
            QString::fromStdString(folder.dir().substr(0, folder.dir().size() - 1));
    }
    void TearDown() override {
        form.reset();
        kx::SettingsFile.Open("");
    }
    void start() {
        form = std::make_unique<TForm0>();
        form->show();
    }
    // One error report naming the file; the texts after the info text are not set; the
    // window works and English still loads its own text.
    void ExpectReportedAndTheRestSkipped(const QString& wording) {
        start();
        ASSERT_EQ(fake.messages.size(), 1u);
        EXPECT_EQ(fake.messages[0].box.kind, kx::MessageKind::ErrorReport);
        EXPECT_TRUE(fake.lastMessageText().contains("KXInfoLT.dat"));
        EXPECT_TRUE(fake.lastMessageText().contains(wording))
            << fake.lastMessageText().toStdString();
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->lbVersion->text().startsWith("Versija "));
        EXPECT_EQ(form->btCont->text(), "Continue");
        form->btEN->click();
        EXPECT_EQ(fake.messages.size(), 1u);
        EXPECT_EQ(form->btCont->text(), "Continue");
        EXPECT_FALSE(form->reInfo->document()->isEmpty());
    }

    kxtest::TempFolder folder;
    kx::FakeServices fake;
    kx::ScopedServices use{fake};
    std::unique_ptr<TForm0> form;
};

TEST_F(DamagedInfoText, EmptyIsReportedAsNoRtfDocument) {
    folder.write("KXInfoLT.dat", "");
    ExpectReportedAndTheRestSkipped(QString::fromUtf8("nėra RTF dokumentas"));
}

TEST_F(DamagedInfoText, BinaryIsReportedAsNoRtfDocument) {
    folder.write("KXInfoLT.dat", BinaryJunk(4096));
    ExpectReportedAndTheRestSkipped(QString::fromUtf8("nėra RTF dokumentas"));
}

TEST_F(DamagedInfoText, FolderInItsPlaceIsReported) {
    std::filesystem::remove(folder.file("KXInfoLT.dat"));
    std::filesystem::create_directory(folder.file("KXInfoLT.dat"));
    ExpectReportedAndTheRestSkipped(
        QString::fromUtf8("Nepavyko atidaryti failo"));  // in Lithuanian
}

TEST_F(DamagedInfoText, CutOffShowsWhatIsLeftWithoutAMessage) {
    const std::string full = folder.read("KXInfoLT.dat");
    folder.write("KXInfoLT.dat", full.substr(0, full.size() / 2));
    start();
    EXPECT_TRUE(fake.messages.empty()) << fake.lastMessageText().toStdString();
    EXPECT_FALSE(form->reInfo->document()->toPlainText().trimmed().isEmpty());
    EXPECT_EQ(form->btCont->text(), QString::fromUtf8("Tęsti"));
}

}  // namespace
