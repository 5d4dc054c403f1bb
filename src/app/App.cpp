#include "app/App.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <optional>

#include "app/Forms.h"
#include "log/QSOLog.h"
#include "platform/FolderLock.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/qt/Language.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Services.h"
#include "platform/qt/Widgets.h"

// The pictures live in the kvadrix_ui library; make sure the linker keeps them.
static void InitResources() {
    Q_INIT_RESOURCE(kvadrix);
}

TForm0* Form0 = nullptr;
TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TForm3* Form3 = nullptr;
TForm4* Form4 = nullptr;
TForm5* Form5 = nullptr;
TForm6* Form6 = nullptr;

namespace kx {

void CreateForms() {
    InitResources();
    Form0 = new TForm0;
    Form1 = new TForm1;
    Form2 = new TForm2;
    Form3 = new TForm3;
    Form4 = new TForm4;
    Form5 = new TForm5;
    Form6 = new TForm6;
    for (QWidget* form :
         std::initializer_list<QWidget*>{Form0, Form1, Form2, Form3, Form4, Form5, Form6})
        EnterPressesButtons(form);
}

void DestroyForms() {
    delete Form6;
    Form6 = nullptr;
    delete Form5;
    Form5 = nullptr;
    delete Form4;
    Form4 = nullptr;
    delete Form3;
    Form3 = nullptr;
    delete Form2;
    Form2 = nullptr;
    delete Form1;
    Form1 = nullptr;
    delete Form0;
    Form0 = nullptr;
}

namespace {

// The last line of defence: an exception that escapes an event handler anyway is shown
// in the general error report instead of ending the program.
class KvadrixApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        bool result = false;
        Guard([&] { result = QApplication::notify(receiver, event); });
        return result;
    }
};

}  // namespace

void DecidePaths() {
    if (!PathsDecided()) UsePaths(Paths::Detect(PathBytes(Svc().ExecutableFolder())));
    CurrentPaths().MakeFolders();
}

namespace {

const char* const kUsage =
    "Usage: kvadrix [--help] [--version]\n"
    "\n"
    "Kvadrix computes BEX squares and Maidenhead locators of Lithuania, keeps a log of\n"
    "Lithuanian QSOs and fills in the BEX award application. Started without options it\n"
    "opens its windows. kvadrix-tool does the same work on the command line.\n"
    "\n"
    "Installed, Kvadrix keeps its settings in $XDG_CONFIG_HOME/kvadrix/Kvadrix.ini\n"
    "(~/.config/kvadrix) and the log QSO.dat with its backups in $XDG_DATA_HOME/kvadrix\n"
    "(~/.local/share/kvadrix); a portable copy keeps everything in its own folder.\n";

// The answer to a terminal option, before any window (or display) is needed.
std::optional<int> TerminalOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("Kvadrix " KVADRIX_VERSION_STRING "\n", stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace

int RunKvadrix(int argc, char** argv) {
    if (const auto rc = TerminalOption(argc, argv)) return *rc;
    KvadrixApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Kvadrix"));
    app.setDesktopFileName(QStringLiteral(KVADRIX_APP_ID));
    app.setWindowIcon(QIcon(QStringLiteral(":/kvadrix/icon.png")));
    // The program ends when the start window closes, even while it is hidden.
    app.setQuitOnLastWindowClosed(false);
    // One writer per log. A second start on a log in use leaves everything as it is; a
    // log that cannot be locked at all is opened read-only.
    DecidePaths();
    settings::OpenSettings(DefaultLanguage());
    // The lock lies beside the log itself: a "QSO.dat" that links to a shared file is
    // guarded by the lock in that file's folder, which every copy of the program takes.
    FolderLock lock(LogLockFolder(LogFilePath()));
    const LockResult locked = lock.TryLock();
    if (locked == LockResult::Held) {
        ApplyQtLanguage();
        MessageBoxRequest box;
        box.title = QStringLiteral("Kvadrix");
        box.text = FromCp(LockHeldMessage(lock, "\x01"));
        box.text.replace(QChar(1), PathText(lock.LockPath()));
        Svc().ShowMessage(nullptr, box);
        return 0;
    }
    CreateForms();
    if (locked == LockResult::Failed) Form3->SetReadOnly(lock.Reason(), lock.LockPath());
    QObject::connect(Form0, &TForm0::closed, &app, &QCoreApplication::quit);
    Form0->show();
    const int rc = app.exec();
    DestroyForms();
    return rc;
}

}  // namespace kx
