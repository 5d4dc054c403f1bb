// Every window in Lithuanian, with the message boxes, file dialogs and context menus it
// opens: no English word reaches the user except the fixed texts listed here.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolButton>
#include <filesystem>
#include <memory>
#include <set>

#include "app/Forms.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/qt/FakeServices.h"
#include "platform/qt/Language.h"
#include "platform/qt/QtText.h"
#include "support/TempFolder.h"

namespace {

// The texts that stay English in both languages, as the program's behaviour fixes them.
const QRegularExpression kFixedEnglish(
    QStringLiteral("^(Time format is incorrect"  // the log's time check
                   "|Trophy"                     // the award classes keep their names
                   "| BEX  .*Application"        // the application window's title after a filter
                   ")$"));

// Words that read the same in both languages: codes, names, file types.
const QStringList kNeutral = QStringLiteral(
                                 "bex qso qsos wwl adif adi rtf pdf png utc qth kvadrix windows "
                                 "data dat htm ly lt cw ssb fm rtty hf vhf phone digital")
                                 .split(QLatin1Char(' '));

QStringList Words(const QString& text) {
    static const QRegularExpression split(QStringLiteral("[^\\p{L}]+"));
    return QString(text).remove(QLatin1Char('&')).toLower().split(split, Qt::SkipEmptyParts);
}

QString Utf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// English words a user might meet: Qt's own texts and the English messages of the table
// (the tool's help quotes command words in both languages and is left out).
std::set<QString> EnglishWords() {
    std::set<QString> words;
    for (const QString& w : Words(QStringLiteral(
             "yes no ok cancel open save close file files name type size date modified look "
             "folder directory back forward parent detail details list view create new delete "
             "undo redo cut copy paste select all print preview continue about version exit "
             "import from settings format longitude latitude east west worked needed border "
             "picture pictures map the of and to is in not by sort callsign band bands mode "
             "modes applicant address class note city found remarks start end time calculator "
             "application award square squares log error confirm computer recent places show "
             "hidden rename remove help apply discard retry abort ignore insert character")))
        words.insert(w);
    std::set<QString> lithuanian;
    for (std::size_t i = 0; i < kx::MessageCount(); ++i) {
        const auto key = static_cast<kx::Msg>(i);
        if (kx::MessageKey(key).starts_with("Tool")) continue;
        for (const QString& w : Words(Utf8(kx::MessageText(key, kx::Lang::English))))
            if (w.size() > 1) words.insert(w);
        for (const QString& w : Words(Utf8(kx::MessageText(key, kx::Lang::Lithuanian))))
            lithuanian.insert(w);
    }
    for (const QString& w : lithuanian) words.erase(w);
    for (const QString& w : kNeutral) words.erase(w);
    return words;
}

void AddActionTexts(const QList<QAction*>& actions, QStringList& texts) {
    for (QAction* a : actions) {
        if (!a->isVisible()) continue;
        texts << a->text() << a->toolTip();
        if (QMenu* m = a->menu()) {
            texts << m->title();
            AddActionTexts(m->actions(), texts);
        }
    }
}

// Every text a user can read in the widget and in those of its children not hidden.
QStringList ReadableTexts(QWidget* root) {
    QStringList texts;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (w != root && !w->isVisibleTo(root)) continue;
        if (w->isWindow()) texts << w->windowTitle();
        texts << w->toolTip();
        if (auto* l = qobject_cast<QLabel*>(w))
            texts << QTextDocumentFragment::fromHtml(l->text()).toPlainText();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) texts << g->title();
        if (auto* e = qobject_cast<QLineEdit*>(w)) texts << e->placeholderText();
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
        if (auto* t = qobject_cast<QTextEdit*>(w); t && t->isReadOnly()) texts << t->toPlainText();
        if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->model())
            for (int c = 0; c < v->model()->columnCount(); ++c)
                texts << v->model()->headerData(c, Qt::Horizontal).toString();
        if (qobject_cast<QMenuBar*>(w) || qobject_cast<QMenu*>(w) || qobject_cast<QToolButton*>(w))
            AddActionTexts(w->actions(), texts);
    }
    texts.removeAll(QString());
    return texts;
}

class InLithuanian : public ::testing::Test {
protected:
    kxtest::TempFolder folder;
    kx::FakeServices fake;
    kx::ScopedServices use{fake};
    const std::set<QString> english = EnglishWords();

    void SetUp() override {
        for (const char* f :
             {"BEXWWL.dat", "CityBEX.dat", "LY-BEX.dat", "BorderLT.dat", "KXInfo.dat",
              "KXInfoLT.dat", "BEXApplication.rtf", "BEXApplicationLT.rtf"})
            folder.copyData(f);
        folder.write("Kvadrix.ini", "[Kvadrix]\r\nLanguage =LT\r\n");
        fake.executableFolder =
            QString::fromStdString(folder.dir().substr(0, folder.dir().size() - 1));
        kx::CreateForms();
        Form0->show();  // start-up: program folder, settings, language, Qt's catalogue
        ASSERT_EQ(kx::Language, "LT");
    }
    void TearDown() override {
        kx::DestroyForms();
        kx::ForgetPaths();  // the next test's start window decides its own folder
        kx::Language = "EN";
        kx::ApplyQtLanguage();
        kx::SettingsFile.Open("");
    }

    void ExpectNoEnglish(QWidget* w, const char* what) {
        // The test's temporary folder has a random name ("…-vyF1ok" once read as "ok").
        const QString dir = QString::fromStdString(folder.dir());
        for (QString t : ReadableTexts(w)) {
            if (kFixedEnglish.match(t).hasMatch()) continue;
            t.replace(dir, QString()).replace(dir.chopped(1), QString());
            QStringList found;
            for (const QString& word : Words(t))
                if (english.count(word)) found << word;
            EXPECT_TRUE(found.isEmpty()) << what << ": \"" << t.toStdString() << "\" ("
                                         << found.join(QLatin1Char(',')).toStdString() << ")";
        }
    }
    // The message boxes and file dialogs asked for so far, built as the program shows them.
    void ExpectBoxesAndDialogsLithuanian() {
        for (const auto& m : fake.messages)
            ExpectNoEnglish(kx::MakeMessageBox(nullptr, m.box).get(), "message box");
        for (const auto& d : fake.openDialogs)
            ExpectNoEnglish(kx::MakeFileDialog(nullptr, d, false).get(), "open dialog");
        for (const auto& d : fake.saveDialogs)
            ExpectNoEnglish(kx::MakeFileDialog(nullptr, d, true).get(), "save dialog");
        fake.messages.clear();
        fake.openDialogs.clear();
        fake.saveDialogs.clear();
    }
    void ExpectContextMenuLithuanian(QLineEdit* field) {
        field->setText(QStringLiteral("LY1AA"));
        field->selectAll();
        std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
        ExpectNoEnglish(menu.get(), "context menu");
    }
};

}  // namespace

TEST_F(InLithuanian, StartWindowAndItsMissingInfoText) {
    ExpectNoEnglish(Form0, "start window");
    std::filesystem::remove(folder.file("KXInfoLT.dat"));
    Form0->btEN->click();
    Form0->btLT->click();  // the info text is missing now: a failure report
    ASSERT_EQ(fake.messages.size(), 1u);
    ExpectBoxesAndDialogsLithuanian();
}

TEST_F(InLithuanian, CalculatorWithItsMenusAndTheUnreadableCityTable) {
    std::filesystem::remove(folder.file("CityBEX.dat"));
    Form2->show();
    ExpectNoEnglish(Form2, "calculator");
    ExpectContextMenuLithuanian(Form2->edLat);
    ASSERT_FALSE(fake.messages.empty());
    ExpectBoxesAndDialogsLithuanian();
}

TEST_F(InLithuanian, LogWindowItsQuestionsTheImportDialogAndTheProgressWindow) {
    Form3->show();
    ExpectNoEnglish(Form3, "log window");
    ExpectContextMenuLithuanian(Form3->edCall);
    fake.openFileAnswers = {QString::fromStdString(folder.file("nosuch.adi"))};
    Form3->btImport->click();  // the dialog, then the missing-file message
    Form3->btDelQSO->click();
    Form3->btClearAll->click();
    EXPECT_FALSE(Form3->FormCloseQuery());
    EXPECT_EQ(fake.messages.size(), 4u);
    EXPECT_EQ(fake.openDialogs.size(), 1u);
    ExpectBoxesAndDialogsLithuanian();
    Form5->Start(kx::Text(kx::Msg::AdifProgressTitle));
    ExpectNoEnglish(Form5, "progress window");
    Form5->close();
}

TEST_F(InLithuanian, ApplicationWindowItsPreviewAndItsSaveDialogs) {
    Form3->show();
    Form4->show();
    ExpectNoEnglish(Form4, "application window");
    Form4->rbHF->click();  // the filtered title is the same in both languages
    Form4->btPrev->click();
    ExpectNoEnglish(Form4, "application preview");
    Form4->btSave->click();
    Form4->btSavePdf->click();
    EXPECT_EQ(fake.saveDialogs.size(), 2u);
    ExpectBoxesAndDialogsLithuanian();
    Form4->close();
}

TEST_F(InLithuanian, MapWindowAndItsSaveDialog) {
    Form3->show();
    Form6->SetLog(&Form3->Log());
    Form6->show();
    ExpectNoEnglish(Form6, "map");
    Form6->btCopy->click();
    ExpectNoEnglish(Form6, "map after copying");
    Form6->btSave->click();
    EXPECT_EQ(fake.saveDialogs.size(), 1u);
    ExpectBoxesAndDialogsLithuanian();
    Form6->close();
}
