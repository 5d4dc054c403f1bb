// A stand-in for the outside world in window tests. Install it for a test with
//   kx::FakeServices fake;  kx::ScopedServices use(fake);
// then read what the windows asked for (messages, dialogs, opened documents, clipboard,
// printed documents) and set the answers (question replies, chosen files, today's date,
// the version).
#pragma once

#include <QDate>
#include <QImage>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "platform/qt/Services.h"

namespace kx {

class FakeServices : public Services {
public:
    // ---- what the windows asked for ----
    struct ShownMessage {
        MessageBoxRequest box;
        QWidget* parent = nullptr;
    };
    std::vector<ShownMessage> messages;
    std::vector<FileDialogRequest> openDialogs;
    std::vector<FileDialogRequest> saveDialogs;
    QStringList openedDocuments;
    QStringList printedDocuments;  // plain text of each printed document
    QStringList printJobTitles;
    QString clipboard;
    QImage clipboardImage;
    int busyDepth = 0;  // current nesting of the busy cursor
    int busyCalls = 0;  // how often the busy cursor was shown
    int processEventsCalls = 0;

    // ---- the answers ----
    // Replies to questions, used in order; when empty, defaultReply is given.
    std::deque<QMessageBox::StandardButton> replies;
    QMessageBox::StandardButton defaultReply = QMessageBox::No;
    std::deque<QString> openFileAnswers;  // empty text = cancel
    std::deque<QString> saveFileAnswers;
    bool openDocumentResult = true;
    QDate today = QDate(2026, 12, 8);
    QString shortDateFormat = QStringLiteral("yyyy-MM-dd");
    std::optional<QString> version = QStringLiteral("1.0.0.1");
    bool processEventsForReal = true;  // also run QCoreApplication::processEvents()
    // The executable's folder; when unset, the user folder of the layout in use (so a test
    // that made a temporary program folder keeps it).
    std::optional<QString> executableFolder;

    // ---- convenience ----
    // Texts of all message boxes so far, and of the last one (empty when none).
    QStringList messageTexts() const;
    QString lastMessageText() const;
    const MessageBoxRequest* lastMessage() const;
    int count(MessageKind kind) const;
    void clear();

    QMessageBox::StandardButton ShowMessage(QWidget* parent, const MessageBoxRequest& box) override;
    QString OpenFileName(QWidget* parent, const FileDialogRequest& dialog) override;
    QString SaveFileName(QWidget* parent, const FileDialogRequest& dialog) override;
    bool OpenDocument(const QString& fileOrUrl) override;
    QDate Today() override { return today; }
    QString ShortDateFormat() override { return shortDateFormat; }
    std::optional<QString> FileVersion() override { return version; }
    QString ExecutableFolder() override;
    void SetClipboardText(const QString& text) override { clipboard = text; }
    QString ClipboardText() override { return clipboard; }
    void SetClipboardImage(const QImage& image) override { clipboardImage = image; }
    void PrintDocument(const QTextDocument& document, const QString& jobTitle) override;
    void BeginBusy() override;
    void EndBusy() override;
    void ProcessEvents() override;
};

}  // namespace kx
