// The log window's live listening to WSJT-X and JTDX: the "Live" switch of its tool bar
// and the "Heard" panel, a dock of the log window. The panel shows whether the sender is
// heard with its band, mode and own grid, and lists the LY stations decoded in the last
// minutes with their squares and whether each is needed; QSOs logged there join the log
// through the window's log session and the window shows them at once.
//
// Kept in Kvadrix.ini, section LIVE: On, Address, Port, Highlight, Sound, and the dock's
// place (Dock, with the window's state).
#pragma once

#include <QDockWidget>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "live/LiveSession.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTimer;
class QToolButton;

class TLivePanel : public QDockWidget {
    Q_OBJECT
public:
    // `session`: the log window's log session. `arrived(firstRow)`: QSOs joined the log
    // at the end of the table, from firstRow on. `mayWrite`: the window's own change of the
    // log is not running.
    TLivePanel(QWidget* window, kx::LogSession& session, std::function<void(int)> arrived,
               std::function<bool()> mayWrite);
    ~TLivePanel() override;

    QToolButton* btLive;  // the switch, for the window's tool bar
    QLabel* lbLiveState;
    QLineEdit* edLiveAddress;
    QLineEdit* edLivePort;
    QCheckBox* cbHighlight;
    QCheckBox* cbSound;
    QTableWidget* SGridHeard;

    void SetCaptions();
    // First showing of the log window: the settings, and listening when it was on.
    void FormShow();
    // The log window closes: the settings.
    void FormClose();

    // The switch: starts or stops listening on the fields' address and port; a refusal
    // (no address, port taken) is told and leaves the switch off.
    void btLiveClick();
    bool Listening() const;
    kx::live::LiveSession& Live() { return *live_; }

    // Minutes a decoded station stays in the list.
    static constexpr int kHeardMinutes = 10;

private:
    void ShowState();
    void ShowHeard();
    void SaveSettings();

    kx::LogSession& session_;
    std::unique_ptr<kx::live::LiveSession> live_;
    std::function<void(int)> arrived_;
    QTimer* refresh_;
    std::string lastError_;
    bool loaded_ = false;
};
