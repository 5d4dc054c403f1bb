#include "support/FakeServices.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextDocument>

#include "platform/Globals.h"
#include "platform/Paths.h"
#include "platform/qt/QtText.h"

namespace kx {

QStringList FakeServices::messageTexts() const {
    QStringList texts;
    for (const auto& m : messages) texts << m.box.text;
    return texts;
}

QString FakeServices::lastMessageText() const {
    return messages.empty() ? QString() : messages.back().box.text;
}

const MessageBoxRequest* FakeServices::lastMessage() const {
    return messages.empty() ? nullptr : &messages.back().box;
}

int FakeServices::count(MessageKind kind) const {
    int n = 0;
    for (const auto& m : messages) n += m.box.kind == kind;
    return n;
}

void FakeServices::clear() {
    messages.clear();
    openDialogs.clear();
    saveDialogs.clear();
    openedDocuments.clear();
    printedDocuments.clear();
    printJobTitles.clear();
}

QMessageBox::StandardButton FakeServices::ShowMessage(QWidget* parent,
                                                      const MessageBoxRequest& box) {
    messages.push_back({box, parent});
    if (box.kind != MessageKind::Question) return QMessageBox::Ok;
    if (replies.empty()) return defaultReply;
    const auto reply = replies.front();
    replies.pop_front();
    return reply;
}

QString FakeServices::OpenFileName(QWidget*, const FileDialogRequest& dialog) {
    openDialogs.push_back(dialog);
    if (openFileAnswers.empty()) return {};
    QString answer = openFileAnswers.front();
    openFileAnswers.pop_front();
    return answer;
}

QString FakeServices::SaveFileName(QWidget*, const FileDialogRequest& dialog) {
    saveDialogs.push_back(dialog);
    if (saveFileAnswers.empty()) return {};
    QString answer = saveFileAnswers.front();
    saveFileAnswers.pop_front();
    return answer;
}

bool FakeServices::OpenDocument(const QString& fileOrUrl) {
    openedDocuments << fileOrUrl;
    return openDocumentResult;
}

QString FakeServices::ExecutableFolder() {
    if (executableFolder) return *executableFolder;
    QString folder = PathText(UserFolder());
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return folder;
}

void FakeServices::PrintDocument(const QTextDocument& document, const QString& jobTitle) {
    printedDocuments << document.toPlainText();
    printJobTitles << jobTitle;
}

void FakeServices::BeginBusy() {
    ++busyDepth;
    ++busyCalls;
}

void FakeServices::EndBusy() {
    if (busyDepth > 0) --busyDepth;
}

void FakeServices::ProcessEvents() {
    ++processEventsCalls;
    if (processEventsForReal) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace kx
