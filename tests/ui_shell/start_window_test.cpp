// The start window on a temporary program folder: start-up steps, settings file, language.
#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <filesystem>
#include <memory>

#include "app/Forms.h"
#include "app/ProgramInfo.h"
#include "platform/Cp1257.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "support/FakeServices.h"
#include "support/Locales.h"
#include "support/TempFolder.h"

namespace {

class StartWindow : public ::testing::Test {
protected:
    kxtest::TempFolder folder;
    kx::FakeServices fake;
    kx::ScopedServices use{fake};
    std::unique_ptr<TForm0> form;
    // An English user's environment, whatever the suite runs under.
    kxtest::ScopedEnv lcAll{"LC_ALL", "en_US.UTF-8"};

    void SetUp() override {
        kx::ForgetPaths();
        kx::VersionText.clear();
        kx::Language.clear();
        folder.copyData("KXInfo.dat");
        folder.copyData("KXInfoLT.dat");
        fake.executableFolder =
            QString::fromStdString(folder.dir().substr(0, folder.dir().size() - 1));
        fake.today = QDate(2026, 12, 8);
    }
    void TearDown() override {
        form.reset();
        kx::SettingsFile.Open("");
    }

    // Creates the window and shows it: the start-up steps run.
    void start() {
        form = std::make_unique<TForm0>();
        form->show();
    }
    void storeLanguage(const std::string& value) {
        folder.write("Kvadrix.ini", "[Kvadrix]\r\nLanguage =" + value + "\r\n");
    }
    std::string storedLanguage() const {
        return kx::IniFile(folder.file("Kvadrix.ini")).ReadString("Kvadrix", "Language ", "?");
    }
    bool english() const {
        return form->btCont->text() == "Continue" && form->btAbtBEX->text() == "About BEX" &&
               form->lbVersion->text().startsWith("Version ") &&
               form->lbMill1->text() == "In 2009 Lithuania is celebrating" &&
               form->lbFreeware->text() == "Free software\r\n(GPL) for\r\nAmateur Radio" &&
               !form->btAbtLY->isHidden();
    }
    bool lithuanian() const {
        return form->btCont->text() == QString::fromUtf8("Tęsti") &&
               form->btAbtBEX->text() == "Apie BEX" &&
               form->lbVersion->text().startsWith("Versija ") &&
               form->lbMill2->text() == QString::fromUtf8("savo vardo tūkstantmetį...") &&
               form->lbFreeware->text() ==
                   QString::fromUtf8("Laisvoji\r\nprograma (GPL)\r\nradijo mėgėjams") &&
               form->btAbtLY->isHidden();
    }
};

}  // namespace

TEST_F(StartWindow, FirstStartCreatesTheSettingsFileWithVersionAndLanguage) {
    start();
    EXPECT_EQ(kx::UserFolder(), folder.dir());
    EXPECT_EQ(kx::SettingsFile.FileName(), folder.file("Kvadrix.ini"));
    EXPECT_EQ(folder.read("Kvadrix.ini"),
              "[Kvadrix]\r\nVersion =Kvadrix v. 1.0.0.1\r\nLanguage =EN\r\n");
    EXPECT_EQ(kx::Language, "EN");
    EXPECT_EQ(kx::VersionText, "1.0");
    EXPECT_TRUE(form->btEN->isChecked());
    EXPECT_FALSE(form->btLT->isChecked());
    EXPECT_TRUE(english());
    EXPECT_TRUE(form->lbVersion->text().startsWith("Version 1.0"));
    EXPECT_TRUE(form->reInfo->toPlainText().contains("BEX"));
    EXPECT_EQ(form->focusWidget(), form->btCont);
    EXPECT_TRUE(fake.messages.empty());
}

// Before a language is chosen the program speaks the user's: Lithuanian in a Lithuanian
// environment. A chosen language wins over the environment.
TEST_F(StartWindow, FirstStartInALithuanianEnvironmentIsLithuanian) {
    for (const char* lt : {"lt_LT.UTF-8", "lt_LT", "lt"}) {
        kxtest::ScopedEnv env("LC_ALL", lt);
        std::filesystem::remove(folder.file("Kvadrix.ini"));
        start();
        EXPECT_EQ(kx::Language, "LT") << lt;
        EXPECT_TRUE(form->btLT->isChecked()) << lt;
        EXPECT_TRUE(lithuanian()) << lt;
        EXPECT_EQ(storedLanguage(), "LT") << lt;
    }
    {
        kxtest::ScopedEnv all("LC_ALL", nullptr);
        kxtest::ScopedEnv messages("LC_MESSAGES", nullptr);
        kxtest::ScopedEnv lang("LANG", "lt_LT.UTF-8");
        std::filesystem::remove(folder.file("Kvadrix.ini"));
        start();
        EXPECT_EQ(kx::Language, "LT") << "LANG alone";
        storeLanguage("EN");
        start();
        EXPECT_EQ(kx::Language, "EN") << "the user's choice stays";
        EXPECT_TRUE(english());
    }
    for (const char* other : {"en_US.UTF-8", "de_DE.UTF-8", "C", "ltx_XX"}) {
        kxtest::ScopedEnv env("LC_ALL", other);
        std::filesystem::remove(folder.file("Kvadrix.ini"));
        start();
        EXPECT_EQ(kx::Language, "EN") << other;
    }
}

TEST_F(StartWindow, EveryStartRewritesTheFullVersionAndKeepsOtherSettings) {
    folder.write("Kvadrix.ini", "[WINDOWS]\r\nX3=7\r\n[Kvadrix]\r\nVersion =Kvadrix v. 0.9\r\n");
    fake.version = QStringLiteral("1.1.0.42");
    start();
    kx::IniFile ini(folder.file("Kvadrix.ini"));
    EXPECT_EQ(ini.ReadString("Kvadrix", "Version ", ""), "Kvadrix v. 1.1.0.42");
    EXPECT_EQ(ini.ReadString("Kvadrix", "Language ", ""), "EN");
    EXPECT_EQ(ini.ReadInteger("WINDOWS", "X3", 100), 7);
    EXPECT_EQ(kx::VersionText, "1.1");
}

TEST_F(StartWindow, SettingsReaderDefaultsForJunkHexAndNonZeroYes) {
    folder.write("Kvadrix.ini", "[WINDOWS]\r\nX3=abc\r\nY3=0x64\r\n[SETUP]\r\nWestLong=2\r\n");
    start();
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "X3", 100), 100);
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "Y3", 100), 100);
    EXPECT_EQ(kx::SettingsFile.ReadInteger("WINDOWS", "Y3", 5), 100);
    EXPECT_TRUE(kx::SettingsFile.ReadBool("SETUP", "WestLong", false));
}

TEST_F(StartWindow, UnwritableSettingsFileIsReportedAndTheRestOfStartUpSkipped) {
    std::filesystem::create_directory(folder.file("Kvadrix.ini"));
    start();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].box.kind, kx::MessageKind::ErrorReport);
    EXPECT_EQ(fake.lastMessageText().toStdString(),
              "Unable to write to " + folder.file("Kvadrix.ini"));
    EXPECT_EQ(kx::Language, "");
    EXPECT_EQ(kx::VersionText, "1.0.0.1");  // never cut to three characters
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(english());  // the designed texts
    EXPECT_EQ(form->lbVersion->text(), QStringLiteral("Version   ·  Kvadrix developers"));
    EXPECT_TRUE(form->reInfo->toPlainText().isEmpty());
    EXPECT_TRUE(form->btEN->isChecked());
}

TEST_F(StartWindow, ProgramFolderUnderARegularFileIsUnwritableToo) {
    folder.write("plain", "x");
    fake.executableFolder = QString::fromStdString(folder.file("plain"));
    start();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.lastMessageText().toStdString(),
              "Unable to write to " + folder.file("plain/Kvadrix.ini"));
    EXPECT_EQ(kx::Language, "");
}

TEST_F(StartWindow, InstalledProgramReadsTheShareFolderAndKeepsSettingsInTheConfigFolder) {
    namespace fs = std::filesystem;
    fs::create_directories(folder.file("usr/bin"));
    fs::create_directories(folder.file("usr/share"));
    fs::copy(KX_DATA_DIR, folder.file("usr/share/kvadrix"));
    fake.executableFolder = QString::fromStdString(folder.file("usr/bin"));
    const std::string config = folder.file("cfg"), data = folder.file("data");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    start();
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(fake.messages.empty()) << fake.lastMessageText().toStdString();
    EXPECT_EQ(kx::SettingsFile.FileName(), config + "/kvadrix/Kvadrix.ini");
    EXPECT_NE(folder.read("cfg/kvadrix/Kvadrix.ini").find("Language =EN"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(data + "/kvadrix"));
    EXPECT_EQ(kx::UserFolder(), data + "/kvadrix/");
    EXPECT_TRUE(form->reInfo->toPlainText().contains("BEX"));  // the shipped info text
    EXPECT_FALSE(fs::exists(folder.file("usr/bin/Kvadrix.ini")));
    EXPECT_FALSE(fs::exists(folder.file("usr/share/kvadrix/Kvadrix.ini")));
    form->btAbtBEX->click();
    EXPECT_EQ(fake.openedDocuments.value(0).toStdString(),
              folder.file("usr/share/kvadrix/AboutBEX.htm"));
}

TEST_F(StartWindow, StoredLithuanianShowsLithuanianTextsWithoutAboutLithuania) {
    storeLanguage("LT");
    start();
    EXPECT_EQ(kx::Language, "LT");
    EXPECT_TRUE(form->btLT->isChecked());
    EXPECT_FALSE(form->btEN->isChecked());
    EXPECT_TRUE(lithuanian());
    EXPECT_TRUE(form->lbVersion->text().startsWith("Versija 1.0"));
    EXPECT_TRUE(form->reInfo->toPlainText().contains(QString::fromUtf8("kvadrat")));
    EXPECT_FALSE(form->btAbtLY->isVisible());
}

TEST_F(StartWindow, StoredLanguageOtherThanExactLTOrENShowsEnglishWithBothButtonsUp) {
    for (const std::string stored : {"lt", "DE", ""}) {
        SCOPED_TRACE("stored '" + stored + "'");
        storeLanguage(stored);
        start();
        EXPECT_EQ(kx::Language, stored);
        EXPECT_FALSE(form->btEN->isChecked());
        EXPECT_FALSE(form->btLT->isChecked());
        EXPECT_TRUE(english());
        EXPECT_EQ(storedLanguage(), stored);  // written back unchanged
        form.reset();
    }
}

TEST_F(StartWindow, PressingTheDownButtonRaisesItAndSwitchesToTheOtherLanguage) {
    start();
    ASSERT_TRUE(form->btEN->isChecked());
    QTest::mouseClick(form->btEN, Qt::LeftButton);
    EXPECT_FALSE(form->btEN->isChecked());
    EXPECT_FALSE(form->btLT->isChecked());
    EXPECT_EQ(kx::Language, "LT");
    EXPECT_TRUE(lithuanian());
    EXPECT_EQ(storedLanguage(), "LT");

    QTest::mouseClick(form->btLT, Qt::LeftButton);  // comes down: Lithuanian, EN stays up
    EXPECT_TRUE(form->btLT->isChecked());
    EXPECT_FALSE(form->btEN->isChecked());
    EXPECT_EQ(kx::Language, "LT");

    QTest::mouseClick(form->btLT, Qt::LeftButton);  // was down: raised, English
    EXPECT_FALSE(form->btLT->isChecked());
    EXPECT_FALSE(form->btEN->isChecked());
    EXPECT_EQ(kx::Language, "EN");
    EXPECT_TRUE(english());
    EXPECT_EQ(storedLanguage(), "EN");
}

TEST_F(StartWindow, AtMostOneLanguageButtonIsDown) {
    start();
    QTest::mouseClick(form->btLT, Qt::LeftButton);
    EXPECT_TRUE(form->btLT->isChecked());
    EXPECT_FALSE(form->btEN->isChecked());
    EXPECT_TRUE(lithuanian());
    QTest::mouseClick(form->btEN, Qt::LeftButton);
    EXPECT_TRUE(form->btEN->isChecked());
    EXPECT_FALSE(form->btLT->isChecked());
    EXPECT_TRUE(english());
    EXPECT_TRUE(form->btAbtLY->isVisible());  // shown again in English
}

TEST_F(StartWindow, VersionTextIsExactlyTheFirstThreeCharacters) {
    fake.version = QStringLiteral("10.2.0.1");
    start();
    EXPECT_EQ(kx::VersionText, "10.");
    EXPECT_TRUE(form->lbVersion->text().startsWith("Version 10. "));
}

TEST_F(StartWindow, NoVersionShowsValAndStoresValueNotAvailable) {
    fake.version.reset();
    start();
    EXPECT_EQ(kx::VersionText, "Val");
    EXPECT_TRUE(form->lbVersion->text().startsWith("Version Val"));
    EXPECT_EQ(kx::IniFile(folder.file("Kvadrix.ini")).ReadString("Kvadrix", "Version ", ""),
              "Kvadrix v. Value Not Available");
}

TEST_F(StartWindow, AnniversaryPanelOnlyIn2009WhateverTheLanguage) {
    for (const std::string language : {"EN", "LT"}) {
        storeLanguage(language);
        fake.today = QDate(2009, 7, 6);
        start();
        EXPECT_TRUE(form->pnMillenium->isVisible()) << language;
        form.reset();
        fake.today = QDate(2010, 1, 1);
        start();
        EXPECT_FALSE(form->pnMillenium->isVisible()) << language;
        form.reset();
    }
}

TEST_F(StartWindow, MissingInfoTextIsReportedAndTheLaterTextsAreSkipped) {
    std::filesystem::remove(folder.file("KXInfoLT.dat"));
    storeLanguage("LT");
    start();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].box.kind, kx::MessageKind::ErrorReport);
    EXPECT_TRUE(fake.lastMessageText().contains("KXInfoLT.dat"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->lbVersion->text().startsWith("Versija "));  // before the info text
    EXPECT_EQ(form->btCont->text(), "Continue");                  // after it: not reached
    EXPECT_EQ(storedLanguage(), "LT");

    // Switching to English still works.
    QTest::mouseClick(form->btEN, Qt::LeftButton);
    EXPECT_TRUE(english());
    EXPECT_EQ(fake.messages.size(), 1u);
}

TEST_F(StartWindow, AboutButtonsOpenThePagesAndSayWhereTheyAreWhenNoBrowserDoes) {
    fake.openDocumentResult = false;
    start();
    QTest::mouseClick(form->btAbtBEX, Qt::LeftButton);
    QTest::mouseClick(form->btAbtLY, Qt::LeftButton);
    QTest::mouseClick(form->btLT, Qt::LeftButton);
    QTest::mouseClick(form->btAbtBEX, Qt::LeftButton);
    ASSERT_EQ(fake.openedDocuments.size(), 3);
    EXPECT_EQ(fake.openedDocuments[0].toStdString(), folder.file("AboutBEX.htm"));
    EXPECT_EQ(fake.openedDocuments[1], QString::fromUtf8(kx::kLithuaniaUrl));
    EXPECT_EQ(fake.openedDocuments[2].toStdString(), folder.file("ApieBEX.htm"));
    ASSERT_EQ(fake.messages.size(), 3u);
    EXPECT_EQ(fake.messages[0].box.text,
              "No browser opened the page. Open it yourself:\n" + fake.openedDocuments[0]);
    EXPECT_EQ(fake.messages[2].box.text,
              QString::fromUtf8("Naršyklė puslapio neatidarė. Atsidarykite jį patys:\n") +
                  fake.openedDocuments[2]);
    fake.clear();
    fake.openDocumentResult = true;
    QTest::mouseClick(form->btAbtBEX, Qt::LeftButton);
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(StartWindow, LayoutAsDesigned) {
    start();
    EXPECT_EQ(form->size(), QSize(482, 354));
    EXPECT_EQ(form->reInfo->geometry(), QRect(8, 88, 465, 230));
    EXPECT_EQ(form->pnMillenium->geometry(), QRect(88, 232, 305, 81));
    EXPECT_EQ(form->btCont->geometry(), QRect(299, 323, 105, 26));
    EXPECT_EQ(form->btLT->geometry(), QRect(10, 327, 27, 18));
    EXPECT_EQ(form->btEN->geometry(), QRect(37, 327, 27, 18));
    EXPECT_FALSE(form->Image1->pixmap().isNull());  // the banner is in the resources
    EXPECT_EQ(form->windowTitle(), "Kvadrix");      // task bars and window lists name it
    EXPECT_EQ(form->findChild<QPushButton*>("btAbtLY"), form->btAbtLY);
}

TEST_F(StartWindow, FreewareNoteInSmallTahomaFitsBesideTheBannerInBothLanguages) {
    for (const std::string language : {"EN", "LT"}) {
        storeLanguage(language);
        start();
        EXPECT_EQ(form->lbFreeware->font().pixelSize(), 9) << language;
        EXPECT_EQ(form->lbFreeware->pos(), QPoint(392, 16)) << language;
        EXPECT_LE(form->lbFreeware->geometry().right(), form->width() - 1) << language;
        form.reset();
    }
}

TEST(ProgramWindows, CreatedInOrderAndContinueHandsOverToTheLog) {
    kxtest::TempFolder folder;
    folder.copyData("KXInfo.dat");
    folder.copyData("KXInfoLT.dat");
    kx::FakeServices fake;
    fake.executableFolder = QString::fromStdString(folder.dir());
    kx::ScopedServices use(fake);
    kx::CreateForms();
    const QStringList names = {"TForm0", "TForm1", "TForm2", "TForm3", "TForm4", "TForm5"};
    const QList<QWidget*> forms = {Form0, Form1, Form2, Form3, Form4, Form5};
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(forms[i], nullptr);
        EXPECT_EQ(forms[i]->objectName(), names[i]);
        EXPECT_FALSE(forms[i]->isVisible());
    }
    Form0->show();
    QTest::mouseClick(Form0->btCont, Qt::LeftButton);
    EXPECT_TRUE(Form3->isVisible());
    EXPECT_FALSE(Form0->isVisible());
    EXPECT_NE(Form0, nullptr);  // hidden, not destroyed
    Form3->hide();
    kx::DestroyForms();
    EXPECT_EQ(Form0, nullptr);
    kx::SettingsFile.Open("");
}
