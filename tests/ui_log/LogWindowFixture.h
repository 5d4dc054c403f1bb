// The log window on a temporary program folder with the shipped WWL/BEX table, the
// progress window as Form5 and fake services that can watch the window whenever it lets
// pending messages run.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Forms.h"
#include "log/KXLog.h"
#include "log/QSOLog.h"
#include "platform/Cp1257.h"
#include "platform/FileIO.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "support/FakeServices.h"
#include "support/TempFolder.h"

namespace kxtest {

class WatchingServices : public kx::FakeServices {
public:
    std::function<void()> onPump;
    void ProcessEvents() override {
        FakeServices::ProcessEvents();
        if (onPump) onPump();
    }
};

// One line of "QSO.dat": every field followed by a TAB, CR LF at the end.
inline std::string LogLine(std::vector<std::string> fields) {
    fields.resize(kx::kQSOFields);
    std::string line;
    for (const auto& f : fields) line += f + '\t';
    return line + "\r\n";
}

inline const std::string kEnglishHeader =
    LogLine({"Date", "sUTC", "eUTC", "Callsign", "Band", "Mode", "QTH", "Name", "WWL", "BEX",
             "MyWWL", "MyBEX", "Remarks"});

inline std::string EmptyLogFile() {
    return kEnglishHeader + std::string(kx::kQSOFields, '\t') + "\r\n";
}

// Runs `then` on the dialog as soon as it is shown (modal dialogs block the caller).
template <class Dialog, class F>
void WhenShown(Dialog& dialog, F then) {
    auto* timer = new QTimer(&dialog);
    QObject::connect(timer, &QTimer::timeout, &dialog, [timer, &dialog, then] {
        if (!dialog.isVisible()) return;
        timer->stop();
        then();
    });
    timer->start(10);
}

class LogWindowTest : public ::testing::Test {
protected:
    TempFolder folder;
    WatchingServices fake;
    kx::ScopedServices use{fake};
    std::unique_ptr<TForm5> wait;
    std::unique_ptr<TForm3> form;

    void SetUp() override {
        folder.makeProgramFolder();
        folder.copyData("BEXWWL.dat");
        kx::Language = "EN";
        kx::SettingsFile.Open(folder.file("Kvadrix.ini"));
        wait = std::make_unique<TForm5>();
        Form5 = wait.get();
        TForm3::PumpIntervalMs = 0;
    }
    void TearDown() override {
        kx::WriteFaultHook = nullptr;
        TForm3::PumpIntervalMs = 15;
        fake.onPump = nullptr;
        form.reset();
        Form5 = nullptr;
        wait.reset();
        kx::SettingsFile.Open("");
    }

    // Writes "QSO.dat" with the English header and the given rows.
    void writeLog(const std::vector<std::vector<std::string>>& rows) {
        std::string bytes = kEnglishHeader;
        for (const auto& r : rows) bytes += LogLine(r);
        folder.write("QSO.dat", bytes);
    }
    // Creates the window and shows it (the log is loaded), active, with keyboard focus.
    void open() {
        form = std::make_unique<TForm3>();
        form->show();
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
        (void)QTest::qWaitForWindowActive(form.get());
    }
    std::string logFile() const { return folder.read("QSO.dat"); }
    std::string cell(int row, int col) const { return std::string(form->Log().Cell(row, col)); }
    std::vector<std::string> calls() const {
        std::vector<std::string> out;
        for (int r = 1; r <= form->Log().DataRowCount(); ++r)
            out.push_back(std::string(form->Log().Field(r, kx::colCallsign)));
        return out;
    }
    // Types into a field that has the focus, as the user would.
    void type(QWidget* field, const QString& text) {
        field->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        QTest::keyClicks(field, text);
    }
    void retype(QLineEdit* field, const QString& text) {
        field->clear();
        type(field, text);
    }
    // Fills the fields that Save QSO needs.
    void enterQso(const QString& call, const QString& date, const QString& time) {
        form->edCall->setText(call);
        form->edDate->setText(date);
        form->edTime->setText(time);
    }
    QString lastText() const { return fake.lastMessageText(); }
};

}  // namespace kxtest
