// The Qt implementation of the services and the message boxes in the program's style.
#include "platform/qt/Services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTextDocument>
#include <QUrl>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Globals.h"
#include "platform/qt/DocPrint.h"
#include "platform/qt/QtText.h"

#ifndef KVADRIX_VERSION_STRING
#define KVADRIX_VERSION_STRING ""
#endif

namespace kx {
namespace {

class QtServices final : public Services {
public:
    QMessageBox::StandardButton ShowMessage(QWidget* parent,
                                            const MessageBoxRequest& box) override {
        const std::unique_ptr<QMessageBox> mb = MakeMessageBox(parent, box);
        return static_cast<QMessageBox::StandardButton>(mb->exec());
    }

    QString OpenFileName(QWidget* parent, const FileDialogRequest& d) override {
        return Run(*MakeFileDialog(parent, d, false));
    }

    QString SaveFileName(QWidget* parent, const FileDialogRequest& d) override {
        return Run(*MakeFileDialog(parent, d, true));
    }

    static QString Run(QFileDialog& dialog) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().first();
    }

    bool OpenDocument(const QString& fileOrUrl) override {
        return OpenWithDesktop(fileOrUrl, [fileOrUrl] {
            ShowError(QApplication::activeWindow(), Text(Msg::PageNotOpened).arg(fileOrUrl));
        });
    }

    QDate Today() override { return QDate::currentDate(); }

    QString ShortDateFormat() override {
        return QLocale::system().dateFormat(QLocale::ShortFormat);
    }

    std::optional<QString> FileVersion() override {
        const QString v = QStringLiteral(KVADRIX_VERSION_STRING);
        if (v.isEmpty()) return std::nullopt;
        return v;
    }

    QString ExecutableFolder() override { return QCoreApplication::applicationDirPath(); }

    void SetClipboardText(const QString& text) override {
        QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
    }

    QString ClipboardText() override { return QGuiApplication::clipboard()->text(); }

    void SetClipboardImage(const QImage& image) override {
        QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
    }

    // Form-feed lines become page breaks; without a printer this throws a KxError that
    // says so.
    void PrintDocument(const QTextDocument& document, const QString& jobTitle) override {
        PrintOnCurrentPrinter(document, jobTitle);
    }

    void BeginBusy() override { QApplication::setOverrideCursor(Qt::WaitCursor); }
    void EndBusy() override { QApplication::restoreOverrideCursor(); }

    // Repaints and timers only: keys and clicks that arrive meanwhile wait until the
    // handler that lets the window repaint has ended, so typed characters keep their order
    // and nothing acts on a window halfway through a change.
    void ProcessEvents() override {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
};

QtServices& QtImpl() {
    static QtServices services;
    return services;
}

Services* current = nullptr;

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const MessageBoxRequest& box) {
    auto mb = std::make_unique<QMessageBox>(box.icon, box.title, box.text, box.buttons, parent);
    // Messages name QSOs and files: their text is shown as written, never read as HTML.
    mb->setTextFormat(Qt::PlainText);
    if (box.defaultButton != QMessageBox::NoButton) mb->setDefaultButton(box.defaultButton);
    const std::pair<QMessageBox::StandardButton, Msg> labels[] = {
        {QMessageBox::Yes, Msg::ButtonYes},
        {QMessageBox::No, Msg::ButtonNo},
        {QMessageBox::Ok, Msg::ButtonOk}};
    for (const auto& [which, text] : labels)
        if (QAbstractButton* button = mb->button(which)) button->setText(Text(text));
    return mb;
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileDialogRequest& d,
                                            bool save) {
    auto dialog = std::make_unique<QFileDialog>(parent, d.caption, d.folder, d.filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    // A name typed without extension gets the default one (an open dialog looks for the
    // file under that name).
    if (!d.defaultSuffix.isEmpty()) dialog->setDefaultSuffix(d.defaultSuffix);
    // Qt's catalogue leaves the dialog's Cancel button in English.
    dialog->setLabelText(QFileDialog::Reject, Text(Msg::ButtonCancel));
    return dialog;
}

Services& Svc() {
    return current ? *current : QtImpl();
}

ScopedServices::ScopedServices(Services& services) : previous_(current) {
    current = &services;
}
ScopedServices::~ScopedServices() {
    current = previous_;
}

bool AskQuestion(QWidget* parent, const QString& text, QMessageBox::StandardButton defaultButton) {
    MessageBoxRequest box;
    box.kind = MessageKind::Question;
    box.title = Text(Msg::TitleConfirm);
    box.text = text;
    box.icon = QMessageBox::Question;
    box.buttons = QMessageBox::Yes | QMessageBox::No;
    box.defaultButton = defaultButton;
    return Svc().ShowMessage(parent, box) == QMessageBox::Yes;
}

bool OpenWithDesktop(const QString& fileOrUrl, std::function<void()> failed) {
    const QUrl url = fileOrUrl.contains(QStringLiteral("://"))
                         ? QUrl(fileOrUrl)
                         : QUrl::fromLocalFile(QFileInfo(fileOrUrl).absoluteFilePath());
    // Qt starts xdg-open without looking at how it ends: with no browser nothing would
    // open and nobody would say so. Started here, its failure is seen.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) return QDesktopServices::openUrl(url);
    // Without a parent: a browser that xdg-open still waits for outlives the program.
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if ((code != 0 || status != QProcess::NormalExit) && failed) failed();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         process->deleteLater();
                         if (failed) failed();
                     });
    process->start(xdgOpen, {url.toString(QUrl::FullyEncoded)});
    return true;
}

void ShowError(QWidget* parent, const QString& text) {
    MessageBoxRequest box;
    box.kind = MessageKind::Error;
    box.title = Text(Msg::TitleError);
    box.text = text;
    box.icon = QMessageBox::Information;
    box.buttons = QMessageBox::Ok;
    Svc().ShowMessage(parent, box);
}

void ShowInformation(QWidget* parent, const QString& text) {
    MessageBoxRequest box;
    box.kind = MessageKind::Information;
    box.title = QStringLiteral("Kvadrix");
    box.text = text;
    box.icon = QMessageBox::Information;
    box.buttons = QMessageBox::Ok;
    Svc().ShowMessage(parent, box);
}

void ReportError(const QString& text) {
    MessageBoxRequest box;
    box.kind = MessageKind::ErrorReport;
    box.title = QStringLiteral("Kvadrix");
    box.text = text;
    box.icon = QMessageBox::Critical;
    box.buttons = QMessageBox::Ok;
    Svc().ShowMessage(QApplication::activeWindow(), box);
}

QString ExceptionText(const std::exception& e) {
    const char* what = e.what();
    if (dynamic_cast<const KxError*>(&e)) return QString::fromStdString(Cp1257ToUtf8(what));
    return QString::fromUtf8(what);
}

QString UnknownErrorText() {
    return Text(Msg::UnknownError);
}

QString TodayIsoText() {
    return Svc().Today().toString(Qt::ISODate);
}

QString DocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString TodayShortText() {
    return Svc().Today().toString(Svc().ShortDateFormat());
}

}  // namespace kx
