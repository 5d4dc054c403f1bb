// Message boxes, the handler wrapper, the text boundary, the info and progress windows.
#include "platform/qt/Services.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <filesystem>
#include <new>

#include "app/KXInfo.h"
#include "app/KXWait.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Globals.h"
#include "platform/qt/QtText.h"
#include "support/FakeServices.h"
#include "support/TempFolder.h"

namespace {

struct WithFake : ::testing::Test {
    kx::FakeServices fake;
    kx::ScopedServices use{fake};
    std::string savedLanguage = kx::Language;
    ~WithFake() override { kx::Language = savedLanguage; }
};

}  // namespace

using MessageBoxes = WithFake;

TEST_F(MessageBoxes, QuestionsHaveYesNoAQuestionIconAndTheConfirmTitle) {
    kx::Language = "EN";
    fake.replies = {QMessageBox::Yes, QMessageBox::No};
    EXPECT_TRUE(kx::AskQuestion(nullptr, "Delete?"));
    EXPECT_FALSE(kx::AskQuestion(nullptr, "Delete?"));
    const auto* box = fake.lastMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title, "CONFIRM");
    EXPECT_EQ(box->icon, QMessageBox::Question);
    EXPECT_EQ(box->buttons, QMessageBox::Yes | QMessageBox::No);
    kx::Language = "LT";
    kx::AskQuestion(nullptr, "?");
    EXPECT_EQ(fake.lastMessage()->title, "PATVIRTINKITE");
}

TEST_F(MessageBoxes, ErrorsHaveOkAnInformationIconAndTheErrorTitle) {
    kx::Language = "DE";
    kx::ShowError(nullptr, "File \"x\" no exists");
    EXPECT_EQ(fake.lastMessage()->title, "ERROR");
    EXPECT_EQ(fake.lastMessage()->icon, QMessageBox::Information);
    EXPECT_EQ(fake.lastMessage()->buttons, QMessageBox::Ok);
    EXPECT_EQ(fake.lastMessageText(), "File \"x\" no exists");
    kx::Language = "LT";
    kx::ShowError(nullptr, "x");
    EXPECT_EQ(fake.lastMessage()->title, "KLAIDA");
}

TEST_F(MessageBoxes, TheirTextIsShownAsWrittenNotAsHtml) {
    // A message names a QSO or a file: "<b>LY1AB</b>" is what the log holds.
    kx::MessageBoxRequest request;
    request.text = QStringLiteral("Delete QSO <b>LY1AB</b> <img src=x>?");
    const auto box = kx::MakeMessageBox(nullptr, request);
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), request.text);
}

TEST_F(MessageBoxes, ButtonsSpeakTheProgramsLanguageWithOrWithoutQtsCatalogue) {
    const auto labels = [](const char* lang) {
        kx::Language = lang;
        kx::MessageBoxRequest request;
        request.buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok;
        const auto box = kx::MakeMessageBox(nullptr, request);
        QStringList texts;
        for (auto which : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok})
            texts << box->button(which)->text().remove(QLatin1Char('&'));
        return texts;
    };
    EXPECT_EQ(labels("LT"), (QStringList{"Taip", "Ne", "Gerai"}));
    EXPECT_EQ(labels("EN"), (QStringList{"Yes", "No", "OK"}));
}

using HandlerWrapper = WithFake;

TEST_F(HandlerWrapper, AFailureEndsTheHandlerInTheGeneralErrorReport) {
    bool after = false;
    EXPECT_FALSE(kx::Guard([&] {
        throw kx::KxError(kx::Cp1257("Nepavyko įrašyti „QSO.dat“"));
        after = true;
    }));
    EXPECT_FALSE(after);
    ASSERT_EQ(fake.count(kx::MessageKind::ErrorReport), 1);
    EXPECT_EQ(fake.lastMessageText(), QString::fromUtf8("Nepavyko įrašyti „QSO.dat“"));

    EXPECT_FALSE(kx::Guard([] { throw std::bad_alloc(); }));
    EXPECT_FALSE(kx::Guard([] { throw 42; }));
    EXPECT_EQ(fake.count(kx::MessageKind::ErrorReport), 3);
    EXPECT_TRUE(kx::Guard([] {}));
}

TEST_F(HandlerWrapper, ConnectedButtonHandlerNeverThrowsIntoQt) {
    struct Target : QObject {
        int calls = 0;
        void click() {
            ++calls;
            throw kx::FileOpenError("/x/QSO.dat", "No such file.");
        }
    } target;
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, &target, kx::Guarded(&target, &Target::click));
    button.click();
    button.click();
    EXPECT_EQ(target.calls, 2);
    EXPECT_EQ(fake.lastMessageText(), "Cannot open file \"/x/QSO.dat\". No such file.");
}

TEST(TextBoundary, LithuanianTextsCrossBothWays) {
    const QString text = QString::fromUtf8("Šiauliai, ąčęėįšųūž ĄČĘĖĮŠŲŪŽ 54°41'N");
    const auto bytes = kx::ToCp(text);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, kx::Cp1257("Šiauliai, ąčęėįšųūž ĄČĘĖĮŠŲŪŽ 54°41'N"));
    EXPECT_EQ(kx::FromCp(*bytes), text);
}

TEST(TextBoundary, ACharacterTheCodePageLacksIsReportedNotReplaced) {
    const QString text = QString::fromUtf8("Señor 😀");
    EXPECT_FALSE(kx::ToCp(text).has_value());
    EXPECT_EQ(kx::FirstNonCp1257(text), 2);
    EXPECT_EQ(kx::FirstNonCp1257(QString::fromUtf8("ok 😀")), 3);
    EXPECT_EQ(kx::FirstNonCp1257("plain"), -1);
    EXPECT_THROW(kx::ToCpChecked(text), kx::ConvertError);
    EXPECT_TRUE(kx::CannotStoreMessage(text, 2).contains("U+00F1"));
}

using ProgressWindow = WithFake;

TEST_F(ProgressWindow, CallersTitleShowPercentagesAndHideAtTheEnd) {
    TForm5 form;
    EXPECT_EQ(form.ProgBar->value(), 0);
    form.Start("Finding BEXs");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Finding BEXs");
    const int drawn = fake.processEventsCalls;
    EXPECT_GT(drawn, 0);
    form.SetPercent(40);
    EXPECT_EQ(form.ProgBar->value(), 40);
    EXPECT_GT(fake.processEventsCalls, drawn);
    form.SetPercent(140);
    EXPECT_EQ(form.Percent(), 100);
    form.SetPercent(55);
    form.Finish();
    EXPECT_EQ(form.Percent(), 100);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ProgressWindow, ShowingAgainKeepsThePreviousPercentage) {
    TForm5 form;
    form.Start("Analysing ADIF file");
    form.SetPercent(63);
    form.hide();
    form.Start("ADIF failo analizė");
    EXPECT_EQ(form.Percent(), 63);
    form.hide();
}

TEST_F(ProgressWindow, RepeatingAPercentageRedrawsNothing) {
    TForm5 form;
    form.Start("x");
    int changes = 0;
    QObject::connect(form.ProgBar, &QProgressBar::valueChanged, [&] { ++changes; });
    form.SetPercent(10);
    form.SetPercent(10);
    form.SetPercent(11);
    EXPECT_EQ(changes, 2);
    form.hide();
}

TEST_F(ProgressWindow, NoCloseBoxStaysOnTopAndCannotBeDismissed) {
    TForm5 form;
    EXPECT_EQ(form.size(), QSize(294, 41));
    EXPECT_EQ(form.ProgBar->geometry(), QRect(16, 12, 265, 18));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    form.Start("x");
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    form.Finish();
}

TEST(InfoWindow, PassiveTextWindowAboutTheAward) {
    TForm1 form;
    EXPECT_EQ(form.objectName(), "TForm1");
    EXPECT_EQ(form.RichEdit1->toPlainText(),
              QString::fromUtf8("BEX diplomo aprašymas\nLY žemėlapis"));
    EXPECT_EQ(form.btCont->text(), "&Continue");
    EXPECT_TRUE(form.windowTitle().contains("BEX"));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
}

// A page opens through xdg-open, and when xdg-open finds no browser the program hears of
// it; without xdg-open Qt's own ways are tried (none on the offscreen platform).
TEST(OpenWithDesktop, AFailedXdgOpenIsToldAndAMissingOneIsNoSuccess) {
    kxtest::TempFolder bin;
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.dir()));
    auto opens = [&](int status, bool* failed) {
        bin.write("xdg-open", "#!/bin/sh\necho \"$1\" > '" + bin.file("asked") + "'\nexit " +
                                  std::to_string(status) + "\n");
        std::filesystem::permissions(bin.file("xdg-open"), std::filesystem::perms::owner_all);
        return kx::OpenWithDesktop(QStringLiteral("https://en.wikipedia.org/wiki/Lithuania"),
                                   [failed] { *failed = true; });
    };
    bool failed = false;
    EXPECT_TRUE(opens(3, &failed));  // xdg-open: "no browser"
    EXPECT_TRUE(QTest::qWaitFor([&] { return failed; }, 10000));
    EXPECT_EQ(bin.read("asked"), "https://en.wikipedia.org/wiki/Lithuania\n");
    bool failedToo = false;
    EXPECT_TRUE(opens(0, &failedToo));
    EXPECT_TRUE(QTest::qWaitFor([&] { return bin.read("asked").size() > 0; }, 10000));
    QTest::qWait(300);
    EXPECT_FALSE(failedToo);
    std::filesystem::remove(bin.file("xdg-open"));
    bool never = false;
    EXPECT_FALSE(kx::OpenWithDesktop(QStringLiteral("/no/such/page.htm"), [&] { never = true; }));
    qputenv("PATH", savedPath);
}
