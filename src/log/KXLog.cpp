#include "log/KXLog.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "app/Forms.h"
#include "award/AdifExport.h"
#include "live/KXLive.h"
#include "log/AdifImport.h"
#include "log/FindBexs.h"
#include "log/LogBackup.h"
#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/FolderLock.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Services.h"
#include "platform/qt/Widgets.h"
#include "platform/qt/WindowPlace.h"
#include "tables/WwlTable.h"

using namespace kx;

namespace {

bool Centred(int col) {
    return col == colSUTC || col == colEUTC || col == colBand || col == colMode || col == colWWL ||
           col == colBEX;
}

// The pump of the import and the finder: lets pending window messages run before a step
// when TForm3::PumpIntervalMs have passed since the last time. The progress bar, the
// counter and the other windows repaint and answer as often as the eye can tell, and a
// log of many thousand rows does not spend its time on empty rounds of the event loop.
// `show` brings the widgets up to date with the step just before the messages run: what
// changes at every row (the counter, the current row) is shown only when it can be seen.
class Pacer {
public:
    explicit Pacer(std::function<void()> show = {}) : show_(std::move(show)) {}
    void operator()() {
        if (clock_.isValid() && clock_.elapsed() < TForm3::PumpIntervalMs) return;
        if (show_) show_();
        kx::ProcessEvents();
        clock_.start();
    }

private:
    std::function<void()> show_;
    QElapsedTimer clock_;
};

// The order of day, month and year in the user's short date form: what decides a typed
// date such as 05/12/2009.
DateOrder TypedDateOrder() {
    return DateOrderOfFormat(Svc().ShortDateFormat().toStdString());
}

enum class Accept { Any, Call, Date, Time, Wwl, Bex };

bool Accepts(Accept set, QChar c) {
    const char16_t u = c.unicode();
    const bool digit = u >= '0' && u <= '9';
    const QChar up = c.toUpper();
    switch (set) {
        case Accept::Any:
            return true;
        case Accept::Call:
            return digit || u == '/' || u == ' ' || (u < 128 && c.isLetter());
        case Accept::Date:
            return digit || u == ' ' || u == '-' || u == '/' || u == '.';
        case Accept::Time:
            return digit || u == ':' || u == ' ';
        case Accept::Wwl:
            return digit || u == '*' || u == ' ' || (up >= QChar('A') && up <= QChar('X'));
        case Accept::Bex:
            return digit || u == '*' || u == ' ' || (up >= QChar('A') && up <= QChar('P'));
    }
    return true;
}

// The window's number among the windows whose places the settings keep.
constexpr int kPlaceNumber = 3;

// What entering the empty call-sign field puts there.
const QString kCallPrefill = QStringLiteral("LY");

// The longest text that can be typed into a field (0: no limit of its own).
constexpr const char* kTypingLimit = "kxTypingLimit";

QLineEdit* MakeEdit(QWidget* parent, const char* name, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) {
        e->setMaxLength(maxLength);
        e->setProperty(kTypingLimit, maxLength);
        // A longer text shown from the log widened the limit (ShowWhole); once the text is
        // back within the field's own limit, typing is held to it again.
        QObject::connect(e, &QLineEdit::textChanged, e, [e, maxLength](const QString& text) {
            if (e->maxLength() > maxLength && text.size() <= maxLength) e->setMaxLength(maxLength);
        });
    }
    return e;
}

// A text of the log shown in an entry field whole, however long: the field's limit is for
// typing, and a cut text would reach the row with the next Save QSO.
void ShowWhole(QLineEdit* e, const QString& text) {
    const int own = e->property(kTypingLimit).toInt();
    const int limit = std::max(own > 0 ? own : 32767, static_cast<int>(text.size()));
    if (e->maxLength() < limit) e->setMaxLength(limit);
    e->setText(text);
}

// Typed letters are shown and held as capitals.
void ForceCapitals(QLineEdit* e) {
    QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& text) {
        const QString up = text.toUpper();
        if (up != text) {
            const int pos = e->cursorPosition();
            e->setText(up);
            e->setCursorPosition(pos);
        }
    });
}

std::string Bytes(const QString& text) {
    return ToCpChecked(text);
}

// Own-station field: a locator or square typed with or without its "*".
std::string WithoutStar(const std::string& text) {
    std::string t(TrimField(text));
    if (!t.empty() && t[0] == '*') t.erase(0, 1);
    return t;
}

}  // namespace

// ---- grid model ---------------------------------------------------------------------

int LogGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : log_.DataRowCount();
}
int LogGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : log_.ColCount();
}
QVariant LogGridModel::data(const QModelIndex& index, int role) const {
    // Painting never throws: a cell the table no longer has shows nothing.
    if (!index.isValid() || index.row() + 1 >= log_.RowCount() || index.column() >= log_.ColCount())
        return {};
    if (role == Qt::DisplayRole) return FromCp(log_.Cell(index.row() + 1, index.column()));
    if (role == Qt::TextAlignmentRole)
        return int((Centred(index.column()) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}
QVariant LogGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= log_.ColCount()) return {};
    if (role == Qt::DisplayRole) return FromCp(log_.Cell(0, section));
    if (role == Qt::TextAlignmentRole)
        return int((Centred(section) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

// ---- window -------------------------------------------------------------------------

TForm3::TForm3(QWidget* parent) : QMainWindow(parent), session_("EN"), log_(session_.Log()) {
    setObjectName(QStringLiteral("TForm3"));
    // Every change of the log goes through this window.
    kx::BackupFailureReport = [](const kx::BackupFailure& failure) {
        kx::ShowError(nullptr, QString::fromStdString(kx::Utf8Message(
                                   kx::Msg::LogBackupFailed, {kx::Cp1257ToUtf8(failure.reason)})));
    };
    resize(754, 595);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    addToolBar(bar);
    auto tool = [&](QToolButton*& b, const char* name) {
        b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        // As wide as its text, so that the six buttons fit the window's width.
        b->setFixedHeight(28);
        b->setMinimumWidth(96);
        // Tab reaches them (the keyboard has no other way to them); a click leaves the
        // focus where it was.
        b->setFocusPolicy(Qt::TabFocus);
        ShowFocusFrame(b);
        bar->addWidget(b);
    };
    tool(btImport, "btImport");
    tool(btBEXCalc, "btBEXCalc");
    tool(btCreate, "btCreate");
    tool(btMap, "btMap");
    tool(btExport, "btExport");
    // Live from WSJT-X / JTDX: its panel docks to the window; its QSOs wait while the
    // window's own change of the log runs.
    pnHeard = new TLivePanel(
        this, session_, [this](int firstRow) { LiveArrived(firstRow); },
        [this] { return changing_ == 0; });
    btLive = pnHeard->btLive;
    bar->addWidget(btLive);
    addDockWidget(Qt::BottomDockWidgetArea, pnHeard);
    pnHeard->hide();
    tool(btExit, "btExit");
    // The keyboard's way to the tool bar from anywhere in the window, also to a button
    // that a narrow window keeps in the bar's overflow; none is a key of the entry fields
    // (Ctrl+E and Ctrl+K edit a line on X11). The tips name them.
    for (const auto& [button, keys] : ToolKeys()) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, button, &QToolButton::click);
        addAction(action);
    }

    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(10, 10, 10, 4);

    SGrid1 = new QTableView(central);
    SGrid1->setObjectName(QStringLiteral("SGrid1"));
    model_ = new LogGridModel(log_, SGrid1);
    SGrid1->setModel(model_);
    SGrid1->verticalHeader()->hide();
    SGrid1->verticalHeader()->setDefaultSectionSize(17);
    SGrid1->verticalHeader()->setMinimumSectionSize(17);
    SGrid1->setShowGrid(true);
    SGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The arrows move between cells; Tab goes on to the entry fields.
    SGrid1->setTabKeyNavigation(false);
    SGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SGrid1->horizontalHeader()->setHighlightSections(false);
    v->addWidget(SGrid1, 1);
    connect(SGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                Guard([&] { SGrid1SelectCell(current.row() + 1); });
            });
    // A click on the row that is already current (the QSO just saved) copies it too when
    // the fields do not show it.
    connect(SGrid1, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        Guard([&] {
            const int row = index.row() + 1;
            if (row == lastRow_ && !correcting_ && !refreshing_ && row <= log_.DataRowCount())
                ShowRow(row);
        });
    });

    auto* strip = new QHBoxLayout;
    lbTotal = new QLabel(central);
    lbTotal->setObjectName(QStringLiteral("lbTotal"));
    Panel4 = new QLabel(QStringLiteral("0"), central);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel4->setAlignment(Qt::AlignCenter);
    Panel4->setMinimumWidth(60);
    Panel4->setFixedHeight(26);
    QFont bold = Panel4->font();
    bold.setBold(true);
    Panel4->setFont(bold);
    Panel4->setAutoFillBackground(true);
    strip->addWidget(lbTotal);
    strip->addWidget(Panel4, 0, Qt::AlignVCenter);
    strip->addStretch(1);
    GroupBox1 = new QGroupBox(central);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* sortRow = new QHBoxLayout(GroupBox1);
    sortRow->setContentsMargins(6, 2, 6, 2);
    auto radio = [&](QRadioButton*& r, const char* name) {
        r = new QRadioButton(GroupBox1);
        r->setObjectName(QString::fromLatin1(name));
        sortRow->addWidget(r);
        connect(r, &QRadioButton::clicked, this, Guarded(this, &TForm3::SortClick));
    };
    radio(rbDate, "rbDate");
    radio(rbCall, "rbCall");
    radio(rbBand, "rbBand");
    radio(rbMode, "rbMode");
    radio(rbBEX, "rbBEX");
    rbDate->setChecked(true);
    strip->addWidget(GroupBox1);
    v->addLayout(strip);

    GroupBox2 = new QGroupBox(central);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    QFont groupFont = GroupBox2->font();
    groupFont.setBold(true);
    GroupBox2->setFont(groupFont);
    GroupBox2->setFixedHeight(119);
    v->addWidget(GroupBox2);
    auto* g = new QGridLayout(GroupBox2);
    g->setContentsMargins(6, 2, 6, 4);
    g->setVerticalSpacing(2);
    g->setHorizontalSpacing(4);
    // Only the group's caption is bold: the fields and their labels say so explicitly
    // (a font without set attributes would inherit the group's bold).
    QFont plain = font();
    plain.setBold(false);

    edCall = MakeEdit(GroupBox2, "edCall", 0);
    edDate = MakeEdit(GroupBox2, "edDate", 10);
    edTime = MakeEdit(GroupBox2, "edTime", 7);
    edTimeE = MakeEdit(GroupBox2, "edTimeE", 7);
    // Each box is made editable at once, so that its line edit follows it in the focus
    // chain (see the Tab order below).
    cbMode = new QComboBox(GroupBox2);
    cbMode->setObjectName(QStringLiteral("cbMode"));
    cbMode->setEditable(true);
    cbBand = new QComboBox(GroupBox2);
    cbBand->setObjectName(QStringLiteral("cbBand"));
    cbBand->setEditable(true);
    edName = MakeEdit(GroupBox2, "edName", 20);
    edQTH = MakeEdit(GroupBox2, "edQTH", 30);
    edRem = MakeEdit(GroupBox2, "edRem", 0);
    edWWL = MakeEdit(GroupBox2, "edWWL", 15);
    edBEX = MakeEdit(GroupBox2, "edBEX", 8);
    edMyWWL = MakeEdit(GroupBox2, "edMyWWL", 15);
    edMyBEX = MakeEdit(GroupBox2, "edMyBEX", 8);
    for (QComboBox* cb : {cbMode, cbBand}) {
        cb->setInsertPolicy(QComboBox::NoInsert);
        ForceCapitals(cb->lineEdit());
        cb->lineEdit()->installEventFilter(this);
        cb->installEventFilter(this);
    }
    cbMode->addItems({"CW", "SSB", "FM", "RTTY", "DIGITAL"});
    cbBand->addItems({"160M", "80M", "40M", "30M", "20M", "17M", "15M", "12M", "10M", "6M", "2M",
                      "70CM", "23CM", "13CM", "9CM", "6CM", "3CM"});
    cbMode->setCurrentText(QStringLiteral("SSB"));
    cbBand->setCurrentText(QStringLiteral("80M"));
    // A mode chosen from the list moves on to the band. An editable box also reports
    // "activated" when the focus leaves it holding a text of the list: the focus then
    // goes where the user took it.
    connect(cbMode, &QComboBox::activated, this, [this] {
        if (cbMode->hasFocus()) cbBand->setFocus();
    });
    edTime->setText(QStringLiteral("00:00"));
    for (QLineEdit* e : {edCall, edDate, edTime, edTimeE, edName, edQTH, edRem, edWWL, edBEX,
                         edMyWWL, edMyBEX, cbMode->lineEdit(), cbBand->lineEdit()})
        HoldCp1257Text(e);
    for (QLineEdit* e : {edCall, edWWL, edBEX, edMyWWL, edMyBEX}) ForceCapitals(e);
    for (QWidget* w :
         std::initializer_list<QWidget*>{edCall, edDate, edTime, edTimeE, edName, edQTH, edRem,
                                         edWWL, edBEX, edMyWWL, edMyBEX}) {
        w->installEventFilter(this);
        w->setFont(plain);
    }
    cbMode->setFont(plain);
    cbBand->setFont(plain);
    // Wide enough for the usual texts of each field.
    const QFontMetrics metrics(plain);
    auto fit = [&](QWidget* w, const char* sample) {
        w->setMinimumWidth(metrics.horizontalAdvance(QString::fromLatin1(sample)) + 12);
    };
    fit(edCall, "LY1BWB");
    fit(edDate, "2009-05-12");
    fit(edTime, "00:00");
    fit(edTimeE, "00:00");
    fit(edWWL, "*KO24PQ");
    fit(edMyWWL, "*KO24PQ");
    fit(edBEX, "*K26");
    fit(edMyBEX, "*K26");

    auto label = [&](const char* name, QWidget* buddy) {
        auto* l = new QLabel(GroupBox2);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(plain);
        l->setBuddy(buddy);
        return l;
    };
    auto place = [&](int row, int col, QLabel* l, QWidget* w, int span = 1) {
        g->addWidget(l, row, col, Qt::AlignRight);
        g->addWidget(w, row, col + 1, 1, span);
    };
    place(0, 0, label("lbCall", edCall), edCall);
    place(0, 2, label("lbDate", edDate), edDate);
    place(0, 4, label("lbTime", edTime), edTime);
    place(0, 6, label("lbTimeE", edTimeE), edTimeE);
    place(0, 8, lbMode = label("lbMode", cbMode), cbMode);
    place(0, 10, lbBand = label("lbBand", cbBand), cbBand);
    place(1, 0, label("lbName", edName), edName);
    place(1, 2, label("lbQTH", edQTH), edQTH, 3);
    place(1, 6, lbRem = label("lbRem", edRem), edRem, 5);
    place(2, 0, label("lbWWL", edWWL), edWWL);
    place(2, 2, label("lbBEX", edBEX), edBEX);
    place(3, 0, label("lbMyWWL", edMyWWL), edMyWWL);
    place(3, 2, label("lbMyBEX", edMyBEX), edMyBEX);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto button = [&](QPushButton*& b, const char* name, void (TForm3::*handler)()) {
        b = new QPushButton(GroupBox2);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(plain);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, Guarded(this, handler));
    };
    button(btNew, "btNew", &TForm3::btNewClick);
    button(btEntry, "btEntry", &TForm3::btEntryClick);
    button(btDelQSO, "btDelQSO", &TForm3::btDelQSOClick);
    button(btClearAll, "btClearAll", &TForm3::btClearAllClick);
    g->addLayout(buttons, 2, 4, 2, 8);

    // Tab order. The fields from Callsign to Name stand in it as they were made: moving an
    // editable combo box with setTabOrder would leave its line edit behind, and the focus
    // would come back to the box from there (Shift+Tab from the grid went to Band, Tab
    // from Band to Mode). The tool bar comes last, before the grid, where the window
    // starts.
    QWidget* tabs[] = {edName,    edQTH,    edRem,      edWWL,    edBEX,   btEntry,
                       btNew,     btDelQSO, btClearAll, edMyWWL,  edMyBEX, btImport,
                       btBEXCalc, btCreate, btMap,      btExport, btLive,  btExit};
    for (std::size_t i = 1; i < std::size(tabs); ++i) setTabOrder(tabs[i - 1], tabs[i]);
    SGrid1->setFocus();

    connect(btImport, &QToolButton::clicked, this, Guarded(this, &TForm3::btImportClick));
    connect(btBEXCalc, &QToolButton::clicked, this, Guarded(this, &TForm3::btBEXCalcClick));
    connect(btCreate, &QToolButton::clicked, this, Guarded(this, &TForm3::btCreateClick));
    connect(btMap, &QToolButton::clicked, this, Guarded(this, &TForm3::btMapClick));
    connect(btExport, &QToolButton::clicked, this, Guarded(this, &TForm3::btExportClick));
    connect(btExit, &QToolButton::clicked, this, Guarded(this, &TForm3::btExitClick));
    SetCaptions();
}

// The log is a member and goes before the widgets: the grid must not read it on the way.
TForm3::~TForm3() {
    hide();
    // The live panel calls back into this window: it goes while the window is still whole,
    // not among the children QWidget's destructor deletes after this one has run.
    delete pnHeard;
    pnHeard = nullptr;
    btLive = nullptr;
    SGrid1->setModel(nullptr);
}

std::vector<std::pair<QToolButton*, QKeySequence>> TForm3::ToolKeys() const {
    return {{btImport, QKeySequence(Qt::CTRL | Qt::Key_I)},
            {btBEXCalc, QKeySequence(Qt::CTRL | Qt::Key_L)},
            {btCreate, QKeySequence(Qt::CTRL | Qt::Key_P)},
            {btMap, QKeySequence(Qt::CTRL | Qt::Key_M)},
            {btExport, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)},
            {btLive, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)},
            {btExit, QKeySequence(Qt::CTRL | Qt::Key_Q)}};
}

void TForm3::SetCaptions() {
    const bool lt = IsLithuanian();
    auto t = [lt](const char* en, const char* lith) { return QString::fromUtf8(lt ? lith : en); };
    setWindowTitle(t(" LY  LOG  PREVIEW  AND  EDITING", " LY  ŽURNALO  PERŽIŪRA  IR  REDAGAVIMAS"));
    btImport->setText(t("Import from ADIF", "Importuoti ADIF failą"));
    btBEXCalc->setText(t("BEX Calculator", "BEX skaičiuoklis"));
    btCreate->setText(t("Create Application", "Sukurti paraišką"));
    btMap->setText(t("BEX Map", "BEX žemėlapis"));
    btExport->setText(t("Export to ADIF", "Eksportuoti ADIF"));
    btExit->setText(t("Exit", "Baigti"));
    pnHeard->SetCaptions();
    for (const auto& [button, keys] : ToolKeys())
        button->setToolTip(button->text() + QStringLiteral(" (") +
                           keys.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    lbTotal->setText(t("Found LY QSOs", "Rasta LY QSO"));
    GroupBox1->setTitle(t("Sort by", "Rūšiuoti pagal"));
    rbDate->setText(t("Date and Time", "datą ir laiką"));
    rbCall->setText(t("Callsign", "šaukinį"));
    rbBand->setText(t("Band", "bangą"));
    rbMode->setText(t("Mode", "modą"));
    rbBEX->setText(QStringLiteral("BEX"));
    GroupBox2->setTitle(t("QSO data", "QSO duomenys"));
    auto set = [&](const char* name, const char* en, const char* lith) {
        if (auto* l = GroupBox2->findChild<QLabel*>(QString::fromLatin1(name)))
            l->setText(t(en, lith));
    };
    set("lbCall", "Callsign", "Šaukinys");
    set("lbDate", "Date", "Data");
    set("lbTime", "Start UTC", "Prad. UTC");
    set("lbTimeE", "End UTC", "Baig. UTC");
    set("lbMode", "Mode", "Moda");
    set("lbBand", "Band", "Banga");
    set("lbName", "Name", "Vardas");
    set("lbQTH", "QTH", "QTH");
    set("lbRem", "Remarks", "Pastabos");
    set("lbWWL", " WWL", " WWL");
    set("lbBEX", "BEX", "BEX");
    set("lbMyWWL", "My WWL", "Mano WWL");
    set("lbMyBEX", "My BEX", "Mano BEX");
    btNew->setText(t("New QSO", "Naujas QSO"));
    btEntry->setText(t("Save QSO", "Įrašyti QSO"));
    btDelQSO->setText(t("Delete QSO", "Pašalinti QSO"));
    btClearAll->setText(t("Delete All", "Pašalinti viską"));
    // Never narrower than the fields and captions of the language need: squeezed, the
    // grid of the QSO fields would lay labels over fields.
    setMinimumSize(minimumSizeHint().expandedTo(QSize(540, 320)));
}

void TForm3::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) Guard([this] { FormShow(); });
}

void TForm3::FormShow() {
    BusyCursor busy;
    std::exception_ptr loadError;
    const bool firstShow = !loaded_;
    SetCaptions();  // before the placement: the captions decide the window's least width
    if (!loaded_) {
        RestoreWindowPlace(this, kPlaceNumber, {100, 100}, size());
        CheckSortKey(static_cast<SortKey>(SettingsFile.ReadInteger(
            settings::kSetupSection, settings::kLogSortKey, static_cast<int>(SortKey::DateTime))));
        loaded_ = true;
        try {
            session_.Load(Language);
        } catch (...) {
            // The window still comes up whole; the error is reported below.
            loadError = std::current_exception();
        }
    }
    log_.SetHeader(Language);
    RefreshGrid();
    FitColumns();
    SetCounter();
    if (firstShow) pnHeard->FormShow();  // listening again when it was on
    if (firstShow && ReadOnly()) ShowError(this, FromCp(session_.ReadOnlyText()));
    if (loadError) std::rethrow_exception(loadError);
}

void TForm3::closeEvent(QCloseEvent* event) {
    if (changing_ > 0) {  // the import or the square finder is running
        event->ignore();
        return;
    }
    bool close = false;
    Guard([&] { close = FormCloseQuery() && FormClose(); });
    if (close) {
        event->accept();
        if (Form0) Form0->close();
    } else {
        event->ignore();
    }
}

bool TForm3::FormCloseQuery() {
    return AskQuestion(this, Text(Msg::ExitQuestion));
}

bool TForm3::FormClose() {
    // The log is the user's only data: when it cannot be written and the window holds
    // QSOs that the file lacks, the user chooses between keeping the window open (to make
    // room and try again) and losing them. With nothing to lose the window just closes.
    try {
        TellJoined(session_.WriteAll());
    } catch (const std::exception& e) {
        const int unsaved = session_.UnsavedQSOs();
        if (unsaved > 0) {
            ReportError(ExceptionText(e));
            if (!MayCloseWithoutSaving(unsaved)) return false;
        }
    }
    Guard([this] {
        SaveWindowPlace(this, kPlaceNumber, true);
        pnHeard->FormClose();
    });
    return true;
}

bool TForm3::MayCloseWithoutSaving(int unsaved) {
    const QString n = QString::number(unsaved);
    MessageBoxRequest box;
    box.kind = MessageKind::Question;
    box.title = Text(Msg::TitleConfirm);
    box.icon = QMessageBox::Question;
    box.buttons = QMessageBox::Yes | QMessageBox::No;
    box.defaultButton = QMessageBox::Yes;
    box.text = Text(Msg::UnsavedKeepOpenQuestion).arg(n);
    if (Svc().ShowMessage(this, box) != QMessageBox::No) return false;
    box.defaultButton = QMessageBox::No;
    box.icon = QMessageBox::Warning;
    box.text = Text(Msg::CloseWithoutSavingQuestion).arg(n);
    return Svc().ShowMessage(this, box) == QMessageBox::Yes;
}

// ---- grid ---------------------------------------------------------------------------

int TForm3::SelectedRow() const {
    const QModelIndex i = SGrid1->currentIndex();
    return i.isValid() ? i.row() + 1 : 1;
}

void TForm3::SelectRow(int row) {
    row = std::clamp(row, 1, log_.DataRowCount());
    const int col = std::max(SGrid1->currentIndex().column(), 0);
    SGrid1->setCurrentIndex(model_->index(row - 1, col));
}

void TForm3::RefreshGrid() {
    const int keep = SelectedRow();
    refreshing_ = true;
    model_->Reset();
    SelectRow(keep);
    refreshing_ = false;
    lastRow_ = SelectedRow();
}

void TForm3::FitColumns() {
    // Measuring a text with the font costs microseconds, and a large log has a million
    // cells. Each text is first priced by the advances of its characters (one measured
    // table for the 256 bytes); kerning and shaping make a text at most a little wider
    // than that price. One pass over the rows keeps each column's highest-priced texts;
    // they are measured from the highest price down until none left can be wider than
    // the widest so far. In a column of very many texts priced alike (dates, times) the
    // measuring stops after a sample of them: those left are within the slack of the
    // widest.
    constexpr qreal kSlack = 1.0;        // what kerning and rounding may add to a price
    constexpr int kMostMeasured = 256;   // distinct texts measured in a column, at most
    constexpr std::size_t kKept = 4096;  // highest-priced texts kept of a column
    const QFontMetricsF cells(SGrid1->font());
    const QFontMetrics exact(SGrid1->font());
    const QFontMetrics head(SGrid1->horizontalHeader()->font());
    std::array<qreal, 256> advance{};
    for (int b = 0; b < 256; ++b)
        advance[b] = cells.horizontalAdvance(FromCp(std::string(1, static_cast<char>(b))));
    using Priced = std::pair<qreal, std::string_view>;
    auto dearer = [](const Priced& a, const Priced& b) { return a.first > b.first; };
    const int cols = log_.ColCount();
    // Per column a heap of its kept texts with the cheapest on top.
    std::vector<std::vector<Priced>> kept(cols);
    for (int r = 1; r < log_.RowCount(); ++r) {
        // The fields of the row one after another, each ended by a TAB or the line's end.
        const std::string_view line = log_.Line(r);
        std::size_t start = 0;
        for (int c = 0; c < cols; ++c) {
            qreal price = 0;
            std::size_t end = start;
            for (; end < line.size() && line[end] != '\t'; ++end)
                price += advance[static_cast<unsigned char>(line[end])];
            const std::string_view text = line.substr(std::min(start, line.size()), end - start);
            start = end + 1;
            auto& heap = kept[c];
            if (heap.size() < kKept) {
                heap.emplace_back(price, text);
                std::push_heap(heap.begin(), heap.end(), dearer);
            } else if (price > heap.front().first) {
                std::pop_heap(heap.begin(), heap.end(), dearer);
                heap.back() = {price, text};
                std::push_heap(heap.begin(), heap.end(), dearer);
            }
        }
    }
    std::unordered_set<std::string_view> measured;
    for (int c = 0; c < cols; ++c) {
        auto& texts = kept[c];
        std::sort(texts.begin(), texts.end(), dearer);
        measured.clear();
        int widest = -1;
        for (const auto& [price, text] : texts) {
            if (price + kSlack <= widest || static_cast<int>(measured.size()) >= kMostMeasured)
                break;
            if (measured.insert(text).second)
                widest = std::max(widest, exact.horizontalAdvance(FromCp(text)));
        }
        const int title = head.horizontalAdvance(FromCp(log_.Cell(0, c))) + 16;
        SGrid1->setColumnWidth(c, std::max(title, widest + 10));
    }
}

void TForm3::WidenColumnsFor(int row) {
    if (row < 1 || row > log_.DataRowCount()) return;
    const QFontMetrics exact(SGrid1->font());
    for (int c = 0; c < log_.ColCount(); ++c) {
        const int wide = exact.horizontalAdvance(FromCp(log_.Cell(row, c))) + 10;
        if (SGrid1->columnWidth(c) < wide) SGrid1->setColumnWidth(c, wide);
    }
}

void TForm3::SetCounter() {
    Panel4->setBackgroundRole(QPalette::Window);
    Panel4->setText(QString::number(log_.QSOCount()));
}

void TForm3::CheckSortKey(SortKey key) {
    QRadioButton* button = key == SortKey::Callsign ? rbCall
                           : key == SortKey::Band   ? rbBand
                           : key == SortKey::Mode   ? rbMode
                           : key == SortKey::BEX    ? rbBEX
                                                    : rbDate;
    button->setChecked(true);
}

SortKey TForm3::ChosenSortKey() const {
    if (rbCall->isChecked()) return SortKey::Callsign;
    if (rbBand->isChecked()) return SortKey::Band;
    if (rbMode->isChecked()) return SortKey::Mode;
    if (rbBEX->isChecked()) return SortKey::BEX;
    return SortKey::DateTime;
}

void TForm3::SaveBaseNow(LogWriteKind kind) {
    // Also after a failed write: the grid and the counter show the table as it is.
    struct Refresh {
        TForm3* form;
        ~Refresh() {
            form->RefreshGrid();
            form->SetCounter();
        }
    } refresh{this};
    TellJoined(session_.Save(
        ChosenSortKey(), [] { kx::ProcessEvents(); }, kind));
}

void TForm3::TellJoined(int joined) {
    if (joined > 0) ShowInformation(this, Text(Msg::LogChangedOnDisk).arg(joined));
}

void TForm3::SetReadOnly(const std::string& reason, const std::string& lockPath) {
    session_.SetReadOnly(reason, lockPath);
}

void TForm3::SGrid1SelectCell(int row) {
    if (refreshing_ || row < 1 || row > log_.DataRowCount() || row == lastRow_) return;
    // A row made current while the grid is hidden copies nothing, and a later click on
    // another row copies that one.
    lastRow_ = row;
    if (!SGrid1->isVisible()) return;
    ShowRow(row);
}

void TForm3::ShowRow(int row) {
    const QSORow r = log_.Row(row);
    ShowWhole(edDate, FromCp(r[colDate]));
    ShowWhole(edTime, FromCp(r[colSUTC]));
    ShowWhole(edTimeE, FromCp(r[colEUTC]));
    ShowWhole(edCall, FromCp(r[colCallsign]));
    cbBand->setCurrentText(FromCp(r[colBand]));
    cbMode->setCurrentText(FromCp(r[colMode]));
    ShowWhole(edBEX, FromCp(r[colBEX]));
    ShowWhole(edWWL, FromCp(r[colWWL]));
    ShowWhole(edMyBEX, FromCp(r[colMyBEX]));
    ShowWhole(edMyWWL, FromCp(r[colMyWWL]));
    ShowWhole(edName, FromCp(r[colName]));
    ShowWhole(edQTH, FromCp(r[colQTH]));
    ShowWhole(edRem, FromCp(r[colRemarks]));
    // A row without a call sign is no QSO yet: the fields stand for a new one.
    shownRow_ = r;
    correcting_ = !TrimField(r[colCallsign]).empty();
}

void TForm3::ForgetShownRow() {
    correcting_ = false;
    shownRow_.clear();
}

void TForm3::SortClick() {
    // The log file keeps the order of the last sort: so does the choice shown next time.
    Guard([this] {
        SettingsFile.WriteInteger(settings::kSetupSection, settings::kLogSortKey,
                                  static_cast<int>(ChosenSortKey()));
    });
    BusyCursor busy;
    SortQSOs(log_, ChosenSortKey(), [] { kx::ProcessEvents(); });
    RefreshGrid();
    SetCounter();
}

// ---- buttons ------------------------------------------------------------------------

void TForm3::btImportClick() {
    FileDialogRequest dialog;
    dialog.filter = Text(Msg::FilterAdif);
    dialog.defaultSuffix = QStringLiteral("adi");
    dialog.folder = importFile_;
    QString chosen = Svc().OpenFileName(this, dialog);
    if (chosen.isEmpty()) return;  // cancelled: nothing is imported, found or written
    // A name typed without an extension means an ADIF file.
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += QStringLiteral(".adi");
    importFile_ = chosen;
    const AdifImportResult result = ADIFImport(importFile_);
    kx::ProcessEvents();
    FindBEXs(result.ownFile ? result.firstRow : 0);
    // Counted before the sort moves the rows taken.
    const int withoutSquare = AdifRowsWithoutSquare(log_, result.firstRow);
    kx::ProcessEvents();
    SaveBaseNow();
    if (result.status == AdifImportStatus::Imported)
        ShowInformation(this, FromCp(AdifImportSummary(result, withoutSquare)));
}

void TForm3::BeginLogChange() {
    SGrid1->hide();
    // Nothing else may change the log meanwhile: the pending window messages that run
    // between the steps would otherwise let the buttons and the close box reach it.
    // The whole tool bar, the sort buttons and the entry fields.
    for (QWidget* w :
         std::initializer_list<QWidget*>{btImport->parentWidget(), GroupBox1, GroupBox2})
        w->setEnabled(false);
    ++changing_;
}

void TForm3::EndLogChange() {
    if (changing_ > 0) --changing_;
    // The whole tool bar, the sort buttons and the entry fields.
    for (QWidget* w :
         std::initializer_list<QWidget*>{btImport->parentWidget(), GroupBox1, GroupBox2})
        w->setEnabled(true);
}

AdifImportResult TForm3::ADIFImport(const QString& fileName) {
    const std::string path = PathBytes(fileName);
    auto show = [&](const std::string& message) {
        // The file name is shown as the dialog gave it, whatever its characters.
        QString text = FromCp(message);
        text.replace(QChar(1), fileName.section(QLatin1Char('/'), -1));
        ShowError(this, text);
    };
    auto missing = [&] {
        QString text = FromCp(AdifMissingFileMessage("\x01", Language));
        text.replace(QChar(1), fileName);
        ShowError(this, text);
    };
    if (fileName.isEmpty() || !FileExists(path)) {
        missing();
        return {AdifImportStatus::MissingFile};
    }

    importCount_ = 0;
    BusyCursor busy;
    BeginLogChange();
    Panel4->clear();
    Panel4->setBackgroundRole(QPalette::ToolTipBase);
    // However the import ends, the window comes back to its normal state: the progress
    // window closed and the counter box on its own background. The grid stays hidden on
    // a normal end (the square finder shows it again), not after a failure.
    bool finished = false;
    struct Restore {
        TForm3* form;
        bool& finished;
        ~Restore() {
            if (Form5) Form5->hide();
            form->Panel4->setBackgroundRole(QPalette::Window);
            form->model_->Reset();
            form->EndLogChange();
            if (!finished) {
                form->SGrid1->show();
                form->SetCounter();
            }
        }
    } restore{this, finished};

    AdifImportHooks hooks;
    hooks.started = [] {
        if (Form5) Form5->Start(FromCp(AdifProgressTitle(Language)));
    };
    hooks.progress = [](int percent) {
        if (Form5) Form5->SetPercent(percent);
    };
    int shownCount = 0;  // the box is empty until the first QSO is taken
    auto showCount = [this, &shownCount] {
        if (shownCount == importCount_) return;
        shownCount = importCount_;
        Panel4->setText(QString::number(importCount_));
    };
    hooks.counter = [this](int taken) { importCount_ = taken; };
    hooks.pump = Pacer(showCount);
    int joined = 0;
    const AdifImportResult result = session_.Import(path, hooks, joined);
    TellJoined(joined);
    showCount();
    if (result.status == AdifImportStatus::MissingFile) {
        missing();
    } else if (result.status == AdifImportStatus::BadFormat) {
        show(AdifBadFormatMessage("\x01", Language));
    } else {
        if (Form5) Form5->SetPercent(100);
        Panel4->setBackgroundRole(QPalette::Window);
        model_->Reset();
        FitColumns();
        if (Form5) Form5->Finish();
    }
    finished = true;
    return result;
}

void TForm3::FindBEXs(int keepFrom) {
    BusyCursor busy;
    BeginLogChange();
    if (Form5) Form5->Start(Text(Msg::FindingSquaresTitle));
    kx::ProcessEvents();
    // After a failure (a table file that cannot be read) as after the last pass: the
    // progress window closes and the grid shows the rows as they are now.
    // The row the finder is at becomes current when the window messages run and at the
    // end, not at every row.
    int row = 0;
    auto showRow = [this, &row] {
        if (row > 0 && row != SelectedRow()) SelectRow(row);
    };
    struct Restore {
        TForm3* form;
        const std::function<void()> showRow;
        ~Restore() {
            showRow();
            if (Form5) Form5->hide();
            kx::ProcessEvents();
            form->EndLogChange();
            form->SGrid1->show();
            form->RefreshGrid();
        }
    } restore{this, showRow};

    FindBexsHooks hooks;
    hooks.progress = [](int percent) {
        if (Form5) Form5->SetPercent(percent);
    };
    hooks.currentRow = [&row](int r) { row = r; };
    hooks.pump = Pacer(showRow);
    hooks.keepFrom = keepFrom;
    kx::FindBEXs(log_, hooks);
    if (Form5) Form5->Finish();
    kx::ProcessEvents();
}

void TForm3::btBEXCalcClick() {
    kx::ProcessEvents();
    if (Form2) Form2->exec();
}

void TForm3::btCreateClick() {
    if (Form4) Form4->Execute(Log());
}

void TForm3::btMapClick() {
    if (Form6) Form6->Execute(*this);
}

void TForm3::btExportClick() {
    // The QSOs of a log file that could not be read at start belong to the export too:
    // while it still cannot be read this raises its reading error and nothing is written.
    session_.TakeInUnreadLog();
    RefreshGrid();
    SetCounter();
    // The squares go into the file only where the WWL/BEX table confirms them: without a
    // table that can be read this raises its error before anything is asked or written.
    RequireWwlTable();
    FileDialogRequest dialog;
    dialog.caption = btExport->text();
    dialog.filter = Text(Msg::FilterAdif);
    dialog.defaultSuffix = QStringLiteral("adi");
    // The folder of the last export, else of the last import, else the user folder.
    const QString last = !exportFile_.isEmpty() ? exportFile_ : importFile_;
    const QString folder =
        !last.isEmpty() ? QFileInfo(last).absolutePath() : PathText(UserFolder());
    dialog.folder = QDir(folder).filePath(QString::fromStdString(
        AdifExportFileName(Svc().Today().toString(QStringLiteral("yyyyMMdd")).toStdString())));
    const QString chosen = Svc().SaveFileName(this, dialog);
    if (chosen.isEmpty()) return;  // cancelled: nothing is written
    exportFile_ = chosen;

    AdifExportOptions options;
    options.dateOrder = TypedDateOrder();
    AdifExportResult result;
    {
        BusyCursor busy;
        result = ExportAdifFile(log_, PathBytes(chosen), options);
    }
    // The file name is shown as the dialog gave it, whatever its characters.
    QString text = FromCp(AdifExportedMessage("\x01", result));
    text.replace(QChar(1), QDir::toNativeSeparators(chosen));
    ShowInformation(this, text);
}

void TForm3::btExitClick() {
    close();
}

bool TForm3::ReadTimeField(QLineEdit* field, std::string& out) {
    const std::optional<std::string> t = ReadTimeText(Bytes(field->text()));
    if (!t) {
        field->setFocus();
        field->selectAll();
        MessageBoxRequest box;
        box.kind = MessageKind::Information;
        box.title = QApplication::applicationName().isEmpty() ? QStringLiteral("Kvadrix")
                                                              : QApplication::applicationName();
        box.text = Text(Msg::TimeFormatIncorrect);
        box.icon = QMessageBox::NoIcon;
        Svc().ShowMessage(this, box);
        return false;
    }
    out = *t;
    return true;
}

bool TForm3::ReadDateField(std::string& out) {
    const std::string typed(TrimField(Bytes(edDate->text())));
    // A QSO of the log keeps its date as it stands, also one typed in another form before.
    if (correcting_ && typed == TrimField(shownRow_[colDate])) {
        out = typed;
        return true;
    }
    const std::string ymd = AdifDate(typed, TypedDateOrder());
    if (ymd.empty()) {
        edDate->setFocus();
        edDate->selectAll();
        ShowError(this, Text(Msg::DateFormatIncorrect).arg(TodayShortText()));
        return false;
    }
    out = ymd.substr(0, 4) + '-' + ymd.substr(4, 2) + '-' + ymd.substr(6, 2);
    return true;
}

void TForm3::btEntryClick() {
    if (edCall->text().size() < 3 || edDate->text().size() < 6 || edTime->text().size() < 3) return;
    // Every text is converted and the date and both times are read before anything is
    // stored, so a character the code page cannot hold, a bad date or a bad time stops
    // the save with a message and changes nothing.
    const std::string call = Bytes(edCall->text()), band = Bytes(cbBand->currentText()),
                      mode = Bytes(cbMode->currentText()), name = Bytes(edName->text()),
                      qth = Bytes(edQTH->text()), rem = Bytes(edRem->text());
    std::string date, start, end;
    if (!ReadDateField(date) || !ReadTimeField(edTime, start) || !ReadTimeField(edTimeE, end))
        return;
    const std::string bex(TrimField(Bytes(edBEX->text())));
    const std::string wwl(TrimField(Bytes(edWWL->text())));
    const std::string myWwl = WithoutStar(Bytes(edMyWWL->text()));
    const std::string myBex = WithoutStar(Bytes(edMyBEX->text()));

    bool correction = false;
    const int r =
        session_.RowForEntry(correcting_ ? &shownRow_ : nullptr, SelectedRow(), correction);
    SGrid1->setEnabled(false);
    struct Enable {
        QWidget* w;
        ~Enable() { w->setEnabled(true); }
    } enable{SGrid1};
    // The saved QSO gets its squares at once; a table that cannot be read leaves the row as
    // typed, and the QSO is saved all the same and the error told after.
    const std::exception_ptr findError = session_.StoreEntry(
        r, {date, start, end, call, band, mode, name, qth, rem, wwl, bex, myWwl, myBex});
    // Until the write succeeds the fields stand for this row: saving again rewrites it.
    SelectQuietly(r);
    shownRow_ = log_.Row(r);
    correcting_ = true;
    // A correction replaces a QSO of the file: the file as it was is backed up each time.
    SaveBaseNow(correction ? LogWriteKind::Removal : LogWriteKind::Change);
    const int saved = session_.FindRow(shownRow_, SelectedRow());
    SelectQuietly(saved);
    WidenColumnsFor(saved);
    ForgetShownRow();
    for (QLineEdit* e : {edCall, edWWL, edBEX, edTimeE, edName, edQTH, edRem}) e->clear();
    edTime->setText(QStringLiteral("00:00"));
    // The next new QSO is of the same day as this new one; after a correction of an older
    // QSO it starts from the date memory again.
    if (correction)
        edDate->clear();
    else
        dateMemory_ = date;
    if (findError) std::rethrow_exception(findError);
}

void TForm3::LiveArrived(int firstRow) {
    RefreshGrid();
    SetCounter();
    for (int r = firstRow; r >= 1 && r <= log_.DataRowCount(); ++r) WidenColumnsFor(r);
    SelectQuietly(log_.DataRowCount());
}

void TForm3::SelectQuietly(int row) {
    if (row < 1) return;
    refreshing_ = true;
    SelectRow(row);
    refreshing_ = false;
    lastRow_ = SelectedRow();
}

void TForm3::btNewClick() {
    // The date too: entering the empty field fills in the date memory or today's date.
    for (QLineEdit* e : {edCall, edDate, edWWL, edBEX, edTime, edTimeE, edRem}) e->clear();
    ForgetShownRow();
    const int last = log_.DataRowCount();
    if (!TrimField(log_.Cell(last, colCallsign)).empty()) {
        log_.AddEmptyRow();
        RefreshGrid();
    }
    SelectRow(log_.DataRowCount());
    // Typing a QSO starts with its call sign.
    if (edCall->hasFocus())
        edCallEnter();
    else
        edCall->setFocus(Qt::OtherFocusReason);
}

void TForm3::btDelQSOClick() {
    const int selected = SelectedRow();
    QStringList what;
    for (int c : {colDate, colSUTC, colCallsign, colBand, colMode})
        if (const auto f = TrimField(log_.Cell(selected, c)); !f.empty()) what << FromCp(f);
    if (AskQuestion(this, Text(Msg::DeleteQsoQuestion).arg(what.join(QLatin1Char(' '))),
                    QMessageBox::No)) {
        BusyCursor busy;
        struct Refresh {
            TForm3* form;
            ~Refresh() { form->RefreshGrid(); }
        } refresh{this};
        // The table's only row is never removed, also when the rows of a log file that
        // could not be read at start join it now; the other rows keep their places.
        const int row = log_.DataRowCount() > 1 ? SelectedRow() : 0;
        TellJoined(session_.DeleteQso(row, ChosenSortKey(), [] { kx::ProcessEvents(); }));
        // What the fields showed may be gone: they are empty and stand for a new QSO.
        ForgetShownRow();
        for (QLineEdit* e : {edCall, edWWL, edBEX, edTimeE, edName, edQTH, edRem}) e->clear();
        edTime->setText(QStringLiteral("00:00"));
    }
    SetCounter();
}

void TForm3::btClearAllClick() {
    if (!AskQuestion(this, Text(Msg::DeleteAllQuestion).arg(log_.QSOCount()), QMessageBox::No))
        return;
    session_.DeleteAll();
    ForgetShownRow();
    RefreshGrid();
    Panel4->setText(QStringLiteral("0"));
}

// ---- fields -------------------------------------------------------------------------

void TForm3::edCallEnter() {
    if (TrimField(Bytes(edCall->text())).empty()) edCall->setText(kCallPrefill);
    edCall->setCursorPosition(edCall->text().size());
}

void TForm3::edCallExit() {
    const QString text = edCall->text();
    const QString trimmed = text.trimmed();
    // Nothing typed but the prefill: the field is left empty, as it was.
    if (trimmed.isEmpty() || trimmed == kCallPrefill) {
        edCall->clear();
        return;
    }
    const QChar last = text.isEmpty() ? QChar() : text.back();
    const bool endsInLetter = last >= QChar('A') && last <= QChar('Z');
    if (trimmed.size() < 3 || (trimmed.size() < 6 && !endsInLetter)) KeepFocus(edCall);
}

void TForm3::edDateEnter() {
    // Only a new QSO's empty field is filled in; the date of a QSO that the fields show
    // from the log, or one the user typed, stays as it is. Typing over a date filled in
    // starts a new one (FilterKey).
    if (!correcting_ && TrimField(Bytes(edDate->text())).empty()) {
        edDate->setText(dateMemory_.empty() ? TodayShortText() : FromCp(dateMemory_));
        dateMemory_ = Bytes(edDate->text());
        dateFill_ = edDate->text();
    }
    edDate->setCursorPosition(edDate->text().size());
}

void TForm3::cbModeExit() {
    if (cbMode->currentText().isEmpty()) KeepFocus(cbMode);
}

void TForm3::cbBandExit() {
    if (cbBand->currentText().isEmpty()) KeepFocus(cbBand);
}

// The focus goes back into a field that may not be left. Leaving the field that had the
// focus meanwhile is no leaving of the user's: two empty boxes do not throw the focus
// between them for ever.
void TForm3::KeepFocus(QWidget* field) {
    QTimer::singleShot(0, field, [this, field] {
        pullingBack_ = true;
        field->setFocus();
        pullingBack_ = false;
    });
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    QWidget* w = qobject_cast<QWidget*>(watched);
    if (cbMode && w == cbMode->lineEdit()) w = cbMode;
    if (cbBand && w == cbBand->lineEdit()) w = cbBand;
    if (event->type() == QEvent::KeyPress) {
        bool handled = false;
        Guard([&] { handled = FilterKey(w, static_cast<QKeyEvent*>(event)); });
        if (handled) return true;
    } else if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const bool in = event->type() == QEvent::FocusIn;
        if (in && watched == w && (w == edCall || w == edDate) &&
            reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // The field takes the focus first (by Tab it selects its whole text); the
            // entry rule then leaves the caret at the end with nothing selected.
            static_cast<QObject*>(w)->event(event);
            Guard([&] { w == edCall ? edCallEnter() : edDateEnter(); });
            return true;
        }
        if (!in && !pullingBack_ && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason) {
            Guard([&] {
                if (w == edCall) edCallExit();
                if (w == cbMode && watched == cbMode) cbModeExit();
                if (w == cbBand && watched == cbBand) cbBandExit();
            });
        }
    } else if (event->type() == QEvent::MouseButtonRelease && w == edCall) {
        if (edCall->text() == kCallPrefill) edCall->setCursorPosition(2);
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm3::FilterKey(QWidget* field, QKeyEvent* key) {
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const QString text = key->text();
    const bool blank = text == QStringLiteral(" ");
    auto to = [&](QWidget* next) {
        next->setFocus(Qt::TabFocusReason);
        return true;
    };
    if (field == edCall && (enter || blank)) return to(edDate);
    if (field == edName && (enter || blank)) return to(edQTH);
    if (enter) {
        if (field == edDate) return to(edTime);
        if (field == edTime) return to(edTimeE);
        if (field == edTimeE) return to(cbMode);
        if (field == cbMode) return to(cbBand);
        if (field == cbBand) return to(edName);
        if (field == edQTH) return to(edWWL);
        if (field == edWWL || field == edMyWWL) return to(edBEX);
        if (field == edBEX || field == edMyBEX) return to(btEntry);
        if (field == edRem) {
            btEntryClick();
            return true;
        }
        return false;
    }
    if (field == edTime && key->key() == Qt::Key_Left && edTime->cursorPosition() == 0 &&
        !edTime->hasSelectedText())
        return to(edDate);
    // Typing over what entering a field filled in: a call that begins with "LY" typed after
    // the prefill "LY" is that call, and a digit typed after the date filled in starts a
    // new date instead of being dropped by the full field.
    auto typingOver = [&](QLineEdit* e, const QString& fill, bool starts) {
        if (e != field || !starts || fill.isEmpty() || e->text() != fill || e->hasSelectedText() ||
            e->cursorPosition() != e->text().size())
            return;
        e->clear();
    };
    typingOver(edCall, kCallPrefill, text.compare(QStringLiteral("l"), Qt::CaseInsensitive) == 0);
    typingOver(edDate, dateFill_, text.size() == 1 && text.at(0).isDigit());
    // Keys that type nothing (arrows, Backspace, Delete, shortcuts) are left alone.
    if (text.isEmpty() || text.at(0).unicode() < 32 || (key->modifiers() & Qt::ControlModifier))
        return false;
    Accept set = Accept::Any;
    if (field == edCall)
        set = Accept::Call;
    else if (field == edDate)
        set = Accept::Date;
    else if (field == edTime || field == edTimeE)
        set = Accept::Time;
    else if (field == edWWL || field == edMyWWL)
        set = Accept::Wwl;
    else if (field == edBEX || field == edMyBEX)
        set = Accept::Bex;
    // A letter the code page lacks is typed as its closest letter (the field's validator
    // folds it). A character without one is no character of the restricted fields; in the
    // free-text fields the validator refuses it with a message.
    qsizetype refused = -1;
    const QString typed = FoldForCp1257(text, &refused);
    if (refused >= 0) return set != Accept::Any;
    for (QChar c : typed)
        if (!Accepts(set, c)) return true;
    return false;
}
