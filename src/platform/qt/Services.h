// Everything the windows ask of the outside world: message boxes, file dialogs, the
// shell's open-document call, today's date, the version string, the clipboard, the
// printer, the busy cursor and the processing of pending window messages.
//
// Windows never call QMessageBox, QFileDialog, QDesktopServices, QDate::currentDate,
// QClipboard or QPrinter themselves: they call the free functions below, which go
// through the current Services object. The program uses the Qt implementation; a test
// installs a FakeServices (tests/support/FakeServices.h) with ScopedServices and then
// reads what was asked and answers the questions.
//
//   if (kx::AskQuestion(this, tr("Delete?"))) ...      // Yes/No, "CONFIRM"/"PATVIRTINKITE"
//   kx::ShowError(this, QStringLiteral("File ... no exists"));   // OK, "ERROR"/"KLAIDA"
//   connect(bt, &QPushButton::clicked, this, kx::Guarded(this, &TForm3::btSaveClick));
//
// Every handler connected to a Qt signal goes through Guard/Guarded: an exception that a
// handler throws ends that handler and reaches ReportError (the general error report, a
// message box with the failure's text); it never travels into Qt.
#pragma once

#include <QDate>
#include <QMessageBox>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QFileDialog;
class QImage;
class QWidget;
class QTextDocument;

namespace kx {

// One message box as the program wants it shown.
enum class MessageKind { Question, Error, Information, ErrorReport };

struct MessageBoxRequest {
    MessageKind kind = MessageKind::Information;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// What a file dialog is asked for.
struct FileDialogRequest {
    QString caption;
    QString folder;         // starting folder (or file), may be empty
    QString filter;         // Qt filter text: "ADIF files (*.adi);;All files (*)"
    QString defaultSuffix;  // added when the user types a name without extension ("rtf")
};

class Services {
public:
    virtual ~Services() = default;

    // Shows a message box modally; returns the button pressed (Ok for a box with one).
    virtual QMessageBox::StandardButton ShowMessage(QWidget* parent,
                                                    const MessageBoxRequest& box) = 0;

    // File dialogs: the chosen full path, or an empty text when the user cancels.
    virtual QString OpenFileName(QWidget* parent, const FileDialogRequest& dialog) = 0;
    virtual QString SaveFileName(QWidget* parent, const FileDialogRequest& dialog) = 0;

    // The shell's open-document call: opens a local file (absolute path) or a web address
    // ("https://...") in the user's default application. False when it could not.
    virtual bool OpenDocument(const QString& fileOrUrl) = 0;

    // Today's date and the user's short date format (a QDate::toString pattern).
    virtual QDate Today() = 0;
    virtual QString ShortDateFormat() = 0;

    // The program's full file version ("1.0.0.1"), or nothing when none is known.
    virtual std::optional<QString> FileVersion() = 0;

    // The folder of the executable, without a trailing separator.
    virtual QString ExecutableFolder() = 0;

    // The clipboard: plain text, and a picture (the BEX map's Copy).
    virtual void SetClipboardText(const QString& text) = 0;
    virtual QString ClipboardText() = 0;
    virtual void SetClipboardImage(const QImage& image) = 0;

    // Prints a document on the system's current printer, without a printer dialog.
    virtual void PrintDocument(const QTextDocument& document, const QString& jobTitle) = 0;

    // The busy cursor (calls nest: the normal cursor comes back after the last End).
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;

    // Lets pending window messages run (repaints, the progress bar).
    virtual void ProcessEvents() = 0;
};

// The Qt message box of a request, with its buttons labelled in the language of kx::Language
// (whether or not Qt's own catalogue is installed).
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const MessageBoxRequest& box);

// Qt's own file dialog (never the desktop's, so that its texts follow kx::Language through
// Qt's catalogue) for an open or a save dialog.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileDialogRequest& dialog,
                                            bool save);

// The services in use: the Qt implementation unless a test installed another.
Services& Svc();

// Installs services for the lifetime of this object, then restores the previous ones.
class ScopedServices {
public:
    explicit ScopedServices(Services& services);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    Services* previous_;
};

// ---- message boxes in the program's conventions (titles follow kx::Language) ----------

// Question: Yes and No buttons, question icon, title "CONFIRM" / "PATVIRTINKITE".
// True for Yes.
// defaultButton: what Enter answers (No for a question whose Yes loses data).
bool AskQuestion(QWidget* parent, const QString& text,
                 QMessageBox::StandardButton defaultButton = QMessageBox::Yes);

// Opens a local file (absolute path) or a web address with xdg-open when it is on the
// path, else through Qt's desktop services. False when nothing could start; when xdg-open
// starts but ends in failure (no browser, no application for the file), `failed` is called
// then, from the event loop.
bool OpenWithDesktop(const QString& fileOrUrl, std::function<void()> failed);

// Error message: OK button, information icon, title "ERROR" / "KLAIDA".
void ShowError(QWidget* parent, const QString& text);

// Information message: OK button, information icon, title "Kvadrix".
void ShowInformation(QWidget* parent, const QString& text);

// The general error report: a message box with the failure's text (OK button, critical
// icon, title "Kvadrix"), parented to the active window.
void ReportError(const QString& text);

// The text of a caught exception: kx::KxError texts are Windows-1257 bytes, other
// std::exception texts are taken as UTF-8.
QString ExceptionText(const std::exception& e);

// The report's text for a failure that is no std::exception.
QString UnknownErrorText();

// ---- the handler wrapper ------------------------------------------------------------

// Runs f; any exception it throws goes to ReportError and ends there. Returns true when
// f finished normally.
template <class F>
bool Guard(F&& f) noexcept {
    try {
        std::forward<F>(f)();
        return true;
    } catch (const std::exception& e) {
        try {
            ReportError(ExceptionText(e));
        } catch (...) {
        }
    } catch (...) {
        try {
            ReportError(UnknownErrorText());
        } catch (...) {
        }
    }
    return false;
}

// A slot for connect() that calls obj->method(args...) inside Guard:
//   connect(btCont, &QPushButton::clicked, this, kx::Guarded(this, &TForm0::btContClick));
// The method may take fewer arguments than the signal gives (leading ones are passed).
template <class Obj, class... Args>
auto Guarded(Obj* obj, void (Obj::*method)(Args...)) {
    return [obj, method](Args... args) { Guard([&] { (obj->*method)(args...); }); };
}

// ---- small helpers over the services ------------------------------------------------

// Shows the busy cursor for its lifetime.
class BusyCursor {
public:
    BusyCursor() { Svc().BeginBusy(); }
    ~BusyCursor() { Svc().EndBusy(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

inline void ProcessEvents() {
    Svc().ProcessEvents();
}

// Today's date written in the user's short date format.
QString TodayShortText();

// Today's date as ISO writes it (2026-12-08): the same in every language and locale.
QString TodayIsoText();

// The user's documents folder (XDG's, ~/Documents by default), where documents the user
// keeps are saved; the home folder when there is none.
QString DocumentsFolder();

}  // namespace kx
