// Every window in Lithuanian, with the message boxes, file dialogs and context menus it
// opens: no English word reaches the user except the fixed texts listed here.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
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
#include "platform/qt/Language.h"
#include "platform/qt/QtText.h"
#include "support/FakeServices.h"
#include "support/TempFolder.h"

namespace {

// Words that read the same in both languages: codes, names, file types, and the mode
// names of the log (its mode list offers DIGITAL as a mode to log).
const QStringList kNeutral = QStringLiteral(
                                 "bex qso qsos wwl adif adi rtf pdf png utc qth kvadrix windows "
                                 "data dat htm ly lt cw ssb fm rtty hf vhf")
                                 .split(QLatin1Char(' '));

// Misspelt or wrong words once shown, in either language ("skveras" is a park: a square is
// a "kvadratas").
const QStringList kMisspelt =
    QStringLiteral("lattitude unicue skverų skverus skvero kvero neteisngas")
        .split(QLatin1Char(' '));
// Wrong phrases once shown, as the whole text of a control.
const QStringList kWrongTexts = {QStringLiteral("Įrašyti BEX"), QStringLiteral("may by")};

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
             "hidden rename remove help apply discard retry abort ignore insert character phone "
             "digital trophy incorrect format")))
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
        // The log's mode list holds mode names as the log stores them (DIGITAL), no words.
        if (auto* c = qobject_cast<QComboBox*>(w); c && c->objectName() != QLatin1String("cbMode"))
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

// The program's windows in one language: no misspelt word in either, and no English
// word in Lithuanian.
class WindowWords : public ::testing::Test {
protected:
    explicit WindowWords(const char* language) : language_(language) {}

    const std::string language_;
    kxtest::TempFolder folder;
    kx::FakeServices fake;
    kx::ScopedServices use{fake};
    const std::set<QString> english = language_ == "LT" ? EnglishWords() : std::set<QString>();

    void SetUp() override {
        for (const char* f :
             {"BEXWWL.dat", "CityBEX.dat", "LY-BEX.dat", "BorderLT.dat", "KXInfo.dat",
              "KXInfoLT.dat", "BEXApplication.rtf", "BEXApplicationLT.rtf"})
            folder.copyData(f);
        folder.write("Kvadrix.ini", "[Kvadrix]\r\nLanguage =" + language_ + "\r\n");
        fake.executableFolder =
            QString::fromStdString(folder.dir().substr(0, folder.dir().size() - 1));
        kx::CreateForms();
        Form0->show();  // start-up: program folder, settings, language, Qt's catalogue
        ASSERT_EQ(kx::Language, language_);
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
            t.replace(dir, QString()).replace(dir.chopped(1), QString());
            // A dialog may open in the build folder, whose path is the checkout's.
            t.replace(QStringLiteral(KX_BUILD_DIR), QString());
            QStringList found;
            for (const QString& word : Words(t))
                if (english.count(word) || kMisspelt.contains(word)) found << word;
            for (const QString& wrong : kWrongTexts)
                if (t.contains(wrong)) found << wrong;
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

class InLithuanian : public WindowWords {
protected:
    InLithuanian() : WindowWords("LT") {}
};

class InEnglish : public WindowWords {
protected:
    InEnglish() : WindowWords("EN") {}
};

}  // namespace

TEST_F(InEnglish, CalculatorLogAndApplicationWindowsSpellTheirWords) {
    Form2->show();
    ExpectNoEnglish(Form2, "calculator");
    Form2->close();
    Form3->show();
    ExpectNoEnglish(Form3, "log window");
    Form4->show();
    ExpectNoEnglish(Form4, "application window");
    Form4->close();
}

TEST_F(InLithuanian, StartWindowAndItsMissingInfoText) {
    ExpectNoEnglish(Form0, "start window");
    std::filesystem::remove(folder.file("KXInfoLT.dat"));
    Form0->btEN->click();
    Form0->btLT->click();  // the info text is missing now: a failure report
    ASSERT_EQ(fake.messages.size(), 1u);
    ExpectBoxesAndDialogsLithuanian();
}

// The file dialogs' Type column names a folder in Lithuanian.
TEST_F(InLithuanian, FileDialogListsFoldersByALithuanianType) {
    std::filesystem::create_directory(folder.file("Logs"));
    QFileSystemModel model;
    QSignalSpy loaded(&model, &QFileSystemModel::directoryLoaded);
    const QModelIndex root = model.setRootPath(QString::fromStdString(folder.dir()));
    ASSERT_TRUE(loaded.wait(10000));
    const QModelIndex logs = model.index(QString::fromStdString(folder.file("Logs")));
    ASSERT_TRUE(logs.isValid());
    ASSERT_EQ(logs.parent(), root);
    const QString type = model.type(logs);
    for (const QString& word : Words(type))
        EXPECT_EQ(english.count(word), 0u) << type.toStdString();
    EXPECT_FALSE(type.isEmpty());
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
    Form3->edCall->setText(QStringLiteral("LY2XX"));
    Form3->edDate->setText(QStringLiteral("2026-12-07"));
    Form3->edTime->setText(QStringLiteral("930"));  // no time of day
    Form3->btEntry->click();
    EXPECT_EQ(fake.messages.size(), 5u);
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
    Form4->rbHF->click();  // the title names the chosen bands and modes
    Form4->rbDigi->click();
    ExpectNoEnglish(Form4, "application window, HF digital");
    Form4->rb100->click();
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
