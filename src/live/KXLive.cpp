#include "live/KXLive.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Settings.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Services.h"
#include "platform/qt/Widgets.h"

using namespace kx;
using kx::live::Verdict;

namespace {

using namespace kx::settings;
constexpr std::string_view kSection = kLiveSection;

QString T(const char* en, const char* lt) {
    return QString::fromUtf8(IsLithuanian() ? lt : en);
}

QString U(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

enum HeardColumn { hcTime, hcCall, hcSnr, hcGrid, hcSquare, hcVerdict, hcMessage, hcCount };

}  // namespace

TLivePanel::TLivePanel(QWidget* window, LogSession& session, std::function<void(int)> arrived,
                       std::function<bool()> mayWrite)
    : QDockWidget(window),
      session_(session),
      live_(std::make_unique<live::LiveSession>(session)),
      arrived_(std::move(arrived)),
      refresh_(new QTimer(this)) {
    setObjectName(QStringLiteral("pnHeard"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
                QDockWidget::DockWidgetClosable);
    btLive = new QToolButton(window);
    btLive->setObjectName(QStringLiteral("btLive"));
    btLive->setCheckable(true);
    btLive->setFixedHeight(28);
    btLive->setMinimumWidth(96);
    btLive->setFocusPolicy(Qt::TabFocus);
    ShowFocusFrame(btLive);
    connect(btLive, &QToolButton::clicked, this, Guarded(this, &TLivePanel::btLiveClick));

    auto* body = new QWidget(this);
    auto* g = new QGridLayout(body);
    g->setContentsMargins(6, 4, 6, 4);
    lbLiveState = new QLabel(body);
    lbLiveState->setObjectName(QStringLiteral("lbLiveState"));
    lbLiveState->setWordWrap(true);
    edLiveAddress = new QLineEdit(body);
    edLiveAddress->setObjectName(QStringLiteral("edLiveAddress"));
    edLiveAddress->setMaxLength(45);
    edLivePort = new QLineEdit(body);
    edLivePort->setObjectName(QStringLiteral("edLivePort"));
    edLivePort->setValidator(new QIntValidator(0, 65535, edLivePort));
    edLivePort->setMaximumWidth(70);
    cbHighlight = new QCheckBox(body);
    cbHighlight->setObjectName(QStringLiteral("cbHighlight"));
    cbSound = new QCheckBox(body);
    cbSound->setObjectName(QStringLiteral("cbSound"));
    SGridHeard = new QTableWidget(0, hcCount, body);
    SGridHeard->setObjectName(QStringLiteral("SGridHeard"));
    SGridHeard->verticalHeader()->hide();
    SGridHeard->verticalHeader()->setDefaultSectionSize(17);
    SGridHeard->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGridHeard->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGridHeard->setTabKeyNavigation(false);
    SGridHeard->horizontalHeader()->setStretchLastSection(true);
    auto* lbAddress = new QLabel(body);
    lbAddress->setObjectName(QStringLiteral("lbLiveAddress"));
    lbAddress->setBuddy(edLiveAddress);
    auto* lbPort = new QLabel(body);
    lbPort->setObjectName(QStringLiteral("lbLivePort"));
    lbPort->setBuddy(edLivePort);
    g->addWidget(lbLiveState, 0, 0, 1, 6);
    g->addWidget(lbAddress, 1, 0);
    g->addWidget(edLiveAddress, 1, 1);
    g->addWidget(lbPort, 1, 2);
    g->addWidget(edLivePort, 1, 3);
    g->addWidget(cbHighlight, 1, 4);
    g->addWidget(cbSound, 1, 5);
    g->addWidget(SGridHeard, 2, 0, 1, 6);
    g->setColumnStretch(1, 1);
    setWidget(body);

    connect(cbHighlight, &QCheckBox::toggled, this, [this](bool on) {
        Guard([&] {
            live_->SetHighlightNeeded(on);
            SaveSettings();
        });
    });
    connect(cbSound, &QCheckBox::toggled, this, [this] { Guard([&] { SaveSettings(); }); });

    live_->mayWrite = std::move(mayWrite);
    live_->onSender = [this] { ShowState(); };
    live_->onHeard = [this](const live::HeardStation& h) {
        if (h.verdict.verdict == Verdict::Needed && cbSound->isChecked()) QApplication::beep();
        ShowHeard();
    };
    live_->onWritten = [this](const live::LiveLog::Written& w) {
        lastError_.clear();
        if (arrived_) arrived_(w.firstRow);
        ShowHeard();
    };
    live_->onWriteError = [this](const std::string& error) {
        // Told once; the QSOs wait and go in with the next write that succeeds.
        if (error == lastError_) return;
        lastError_ = error;
        ShowError(parentWidget(), FromCp(error));
    };
    // The heard state and the list age even when nothing comes.
    refresh_->setInterval(5000);
    connect(refresh_, &QTimer::timeout, this, [this] {
        Guard([&] {
            ShowState();
            ShowHeard();
        });
    });
    refresh_->start();
    SetCaptions();
    ShowState();
}

TLivePanel::~TLivePanel() {
    live_->onWritten = nullptr;
    live_->onWriteError = nullptr;
    live_->Stop();
}

void TLivePanel::SetCaptions() {
    setWindowTitle(T("Heard LY stations", "Girdimos LY stotys"));
    btLive->setText(T("Live", "Tiesiogiai"));
    if (auto* l = findChild<QLabel*>(QStringLiteral("lbLiveAddress")))
        l->setText(T("&Address", "&Adresas"));
    if (auto* l = findChild<QLabel*>(QStringLiteral("lbLivePort")))
        l->setText(T("P&ort", "P&rievadas"));
    cbHighlight->setText(T("&Highlight needed in WSJT-X", "&Žymėti reikalingus WSJT-X"));
    cbSound->setText(T("&Sound", "&Garsas"));
    SGridHeard->setHorizontalHeaderLabels({T("UTC", "UTC"), T("Callsign", "Šaukinys"),
                                           T("SNR", "SNR"), T("Grid", "Lok."), T("BEX", "BEX"),
                                           T("Needed", "Ar reikia"), T("Message", "Pranešimas")});
    ShowState();
    ShowHeard();
}

void TLivePanel::FormShow() {
    if (loaded_) return;
    loaded_ = true;
    edLiveAddress->setText(
        FromCp(SettingsFile.ReadString(kSection, kLiveAddressKey, live::kDefaultAddress)));
    edLivePort->setText(
        QString::number(SettingsFile.ReadInteger(kSection, kLivePortKey, live::kDefaultPort)));
    {
        const QSignalBlocker a(cbHighlight), b(cbSound);
        cbHighlight->setChecked(SettingsFile.ReadBool(kSection, kLiveHighlightKey, false));
        cbSound->setChecked(SettingsFile.ReadBool(kSection, kLiveSoundKey, false));
    }
    live_->SetHighlightNeeded(cbHighlight->isChecked());
    const QByteArray dock = QByteArray::fromBase64(
        QByteArray::fromStdString(SettingsFile.ReadString(kSection, kLiveDockKey, "")));
    if (auto* window = qobject_cast<QMainWindow*>(parentWidget()); window && !dock.isEmpty())
        window->restoreState(dock);
    if (SettingsFile.ReadBool(kSection, kLiveOnKey, false)) {
        btLive->setChecked(true);
        btLiveClick();
    }
}

void TLivePanel::FormClose() {
    SaveSettings();
    if (auto* window = qobject_cast<QMainWindow*>(parentWidget()))
        SettingsFile.WriteString(kSection, kLiveDockKey,
                                 window->saveState().toBase64().toStdString());
}

void TLivePanel::SaveSettings() {
    if (!loaded_) return;
    SettingsFile.WriteBool(kSection, kLiveOnKey, btLive->isChecked());
    SettingsFile.WriteString(kSection, kLiveAddressKey,
                             ToCp(edLiveAddress->text().trimmed()).value_or(""));
    SettingsFile.WriteInteger(kSection, kLivePortKey, edLivePort->text().toInt());
    SettingsFile.WriteBool(kSection, kLiveHighlightKey, cbHighlight->isChecked());
    SettingsFile.WriteBool(kSection, kLiveSoundKey, cbSound->isChecked());
}

bool TLivePanel::Listening() const {
    return live_->Listener().Listening();
}

void TLivePanel::btLiveClick() {
    if (!btLive->isChecked()) {
        live_->Stop();
    } else {
        const QString address = edLiveAddress->text().trimmed();
        const int port = edLivePort->text().toInt();
        std::string error;
        if (!live_->Start(address.toStdString(), static_cast<std::uint16_t>(port), &error)) {
            btLive->setChecked(false);
            ShowState();
            SaveSettings();
            ShowError(parentWidget(),
                      Text(Msg::LiveCannotListen).arg(address, QString::number(port), U(error)));
            return;
        }
        show();  // the panel shows what comes
    }
    edLiveAddress->setEnabled(!btLive->isChecked());
    edLivePort->setEnabled(!btLive->isChecked());
    ShowState();
    SaveSettings();
}

void TLivePanel::ShowState() {
    if (!Listening()) {
        lbLiveState->setText(
            T("Not listening: press \"Live\".", "Neklausoma: spauskite „Tiesiogiai“."));
        return;
    }
    const auto& s = live_->Sender();
    QString text = T("Listening on %1 port %2. ", "Klausoma %1, prievadas %2. ")
                       .arg(edLiveAddress->text().trimmed())
                       .arg(live_->Listener().Port());
    if (live_->Heard()) {
        auto dash = [](const std::string& v) { return v.empty() ? QStringLiteral("-") : U(v); };
        text += T("%1 heard: %2 %3, DE %4 %5", "%1 girdima: %2 %3, DE %4 %5")
                    .arg(dash(s.id), dash(s.band), dash(s.mode), dash(s.deCall), dash(s.deGrid));
    } else {
        text += T("WSJT-X / JTDX not heard.", "WSJT-X / JTDX negirdima.");
    }
    lbLiveState->setText(text);
}

void TLivePanel::ShowHeard() {
    const auto stations = live_->HeardStations(kHeardMinutes);
    SGridHeard->setRowCount(static_cast<int>(stations.size()));
    const QColor needed(255, 200, 120);
    for (int r = 0; r < static_cast<int>(stations.size()); ++r) {
        const auto& h = stations[static_cast<std::size_t>(r)];
        QString square;
        for (const auto& s : h.verdict.squares) square += (square.isEmpty() ? "" : ",") + U(s);
        QString verdict;
        switch (h.verdict.verdict) {
            case Verdict::Needed:
                verdict = T("NEEDED %1", "REIKIA %1").arg(U(h.verdict.needed));
                break;
            case Verdict::Worked:
                verdict = T("worked", "dirbta");
                break;
            case Verdict::Unknown:
                verdict = T("unknown", "nežinomas");
                break;
        }
        const int ms = h.msecsOfDay;
        const QString time = ms < 0 ? QStringLiteral("--:--")
                                    : QStringLiteral("%1:%2:%3")
                                          .arg(ms / 3'600'000, 2, 10, QLatin1Char('0'))
                                          .arg(ms / 60'000 % 60, 2, 10, QLatin1Char('0'))
                                          .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'));
        const QString cells[hcCount] = {
            time, U(h.call), QString::number(h.snr), U(h.grid), square, verdict, U(h.message)};
        for (int c = 0; c < hcCount; ++c) {
            auto* item = SGridHeard->item(r, c);
            if (!item) SGridHeard->setItem(r, c, item = new QTableWidgetItem);
            item->setText(cells[c]);
            item->setBackground(h.verdict.verdict == Verdict::Needed ? QBrush(needed) : QBrush());
            QFont f = item->font();
            f.setBold(h.verdict.verdict == Verdict::Needed);
            item->setFont(f);
        }
    }
}
