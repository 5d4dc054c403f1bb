#include "calc/KXCalc.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <array>
#include <optional>

#include "geo/BexGrid.h"
#include "geo/Locator.h"
#include "platform/Collation.h"
#include "platform/Cp1257.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Settings.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Services.h"
#include "platform/qt/Widgets.h"
#include "platform/qt/WindowPlace.h"
#include "tables/CallTable.h"
#include "tables/CityTable.h"
#include "tables/CommaList.h"
#include "tables/TableFile.h"
#include "tables/WwlTable.h"

using kx::FromCp;

namespace {

using kx::settings::kCoordFormatKey;
using kx::settings::kSetupSection;
using kx::settings::kWestLongKey;
// The calculator's number among the windows whose places the settings keep.
constexpr int kPlaceNumber = 2;
constexpr int kClientWidth = 483;
constexpr int kClientHeight = 251;
constexpr int kDropDownItemHeight = 20;

const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kLime(0, 255, 0);
const QColor kGreen(0, 128, 0);

using kx::Tr;

// Windows-1257 bytes of a field's text.
std::string Bytes(const QLineEdit* field) {
    return kx::ToCpChecked(field->text());
}

// The character a key press types, as the key filters see it: Backspace and Enter
// included; nothing for keys that type nothing (arrows, Delete, shortcuts). A character
// that Windows-1257 lacks comes out as '?', which no filter lets through.
std::optional<char> KeyChar(const QKeyEvent* key) {
    switch (key->key()) {
        case Qt::Key_Backspace:
            return '\b';
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return '\r';
        default:
            break;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier)) {
        return std::nullopt;
    }
    const QString text = key->text();
    if (text.isEmpty()) return std::nullopt;
    const char32_t c = text.toUcs4().value(0);
    if (c < 32 || c == 127) return std::nullopt;
    const int b = kx::UnicodeToCp1257(c);
    return b < 0 ? '?' : static_cast<char>(b);
}

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// A field that holds more than blanks.
bool Filled(const QLineEdit* field) {
    return !kx::TrimBlanks(Bytes(field)).empty();
}

// Accepts only texts that Windows-1257 can hold, optionally turning letters into
// capitals as they are typed.
class FieldValidator final : public QValidator {
public:
    FieldValidator(bool upper, QObject* parent) : QValidator(parent), upper_(upper) {}
    State validate(QString& input, int&) const override {
        if (upper_) input = input.toUpper();
        return kx::FirstNonCp1257(input) < 0 ? Acceptable : Invalid;
    }

private:
    bool upper_;
};

QLineEdit* Edit(QWidget* parent, const char* name, int maxLength, bool upper) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) e->setMaxLength(maxLength);
    e->setValidator(new FieldValidator(upper, e));
    return e;
}

QGroupBox* Group(QWidget* parent, const char* name, const QRect& geometry) {
    auto* gb = new QGroupBox(parent);
    gb->setObjectName(QString::fromLatin1(name));
    gb->setGeometry(geometry);
    return gb;
}

QLabel* Label(QWidget* parent, const char* name, const QRect& geometry, Qt::Alignment align) {
    auto* lb = new QLabel(parent);
    lb->setObjectName(QString::fromLatin1(name));
    lb->setGeometry(geometry);
    lb->setAlignment(align);
    // The panels show entries of the user's tables as written, never read as HTML.
    lb->setTextFormat(Qt::PlainText);
    return lb;
}

// A panel with a background colour and a centred text.
QLabel* Panel(QWidget* parent, const char* name, const QRect& geometry, const QColor& colour) {
    QLabel* pn = Label(parent, name, geometry, Qt::AlignCenter);
    pn->setFrameShape(QFrame::Panel);
    pn->setFrameShadow(QFrame::Raised);
    pn->setAutoFillBackground(true);
    QPalette pal = pn->palette();
    pal.setColor(QPalette::Window, colour);
    pn->setPalette(pal);
    return pn;
}

QColor ButtonFace() {
    return QApplication::palette().color(QPalette::Button);
}

// The background role that shows a place's colour: the edit box's base, a panel's window.
QPalette::ColorRole PlaceRole(const QWidget* place) {
    return qobject_cast<const QLineEdit*>(place) ? QPalette::Base : QPalette::Window;
}

void SetPlaceColour(QWidget* place, const QColor& colour) {
    QPalette pal = place->palette();
    pal.setColor(PlaceRole(place), colour);
    place->setPalette(pal);
}

bool IsWhite(const QWidget* place) {
    return place->palette().color(PlaceRole(place)) == kWhite;
}

void SetTextColour(QLineEdit* field, const QColor& colour) {
    QPalette pal = field->palette();
    pal.setColor(QPalette::Text, colour);
    field->setPalette(pal);
}

// The look-up button's right-pointing arrow and the clear button's red cross.
QIcon ArrowIcon() {
    QPixmap pm(22, 22);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(2, 8);
    arrow.lineTo(11, 8);
    arrow.lineTo(11, 3);
    arrow.lineTo(20, 11);
    arrow.lineTo(11, 19);
    arrow.lineTo(11, 14);
    arrow.lineTo(2, 14);
    arrow.closeSubpath();
    p.fillPath(arrow, QColor(0, 128, 0));
    p.setPen(QPen(QColor(0, 64, 0), 1));
    p.drawPath(arrow);
    return QIcon(pm);
}

QIcon CrossIcon() {
    QPixmap pm(22, 22);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(220, 0, 0), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(5, 5, 17, 17);
    p.drawLine(17, 5, 5, 17);
    return QIcon(pm);
}

QPushButton* Button(QWidget* parent, const char* name, const QRect& geometry) {
    auto* bt = new QPushButton(parent);
    bt->setObjectName(QString::fromLatin1(name));
    bt->setGeometry(geometry);
    bt->setAutoDefault(false);
    bt->setDefault(false);
    return bt;
}

}  // namespace

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral(" BEX  SQUARES  CALCULATOR"));
    {
        QFont font;
        font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(11);
        setFont(font);
        // Blue text throughout, as the window's font colour.
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, kBlue);
        pal.setColor(QPalette::Text, kBlue);
        pal.setColor(QPalette::ButtonText, kBlue);
        setPalette(pal);
    }

    // ---- menu ----
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setPalette(QApplication::palette());
    MSet = MainMenu1->addMenu(QString());
    MSet->setObjectName(QStringLiteral("MSet"));
    mFormat = MSet->addMenu(QString());
    mFormat->setObjectName(QStringLiteral("mFormat"));
    auto item = [](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        return a;
    };
    mFormat1 = item(mFormat, "mFormat1", QStringLiteral("NN°NN'NN\""));
    mFormat2 = item(mFormat, "mFormat2", QStringLiteral("NN°NN,NN'"));
    mFormat3 = item(mFormat, "mFormat3", QStringLiteral("NN,NNNN°"));
    mFormat1->setChecked(true);
    MSet->addSeparator();
    mEast = item(MSet, "mEast", QString());
    mWest = item(MSet, "mWest", QString());
    mEast->setChecked(true);
    MSet->addSeparator();
    // Radio items; "none checked" stays possible (a stored format other than 1, 2 or 3).
    auto radio = [this](const QList<QAction*>& items) {
        auto* group = new QActionGroup(this);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        for (QAction* a : items) group->addAction(a);
    };
    radio({mFormat1, mFormat2, mFormat3});
    radio({mEast, mWest});

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->setMenuBar(MainMenu1);
    main->setSizeConstraint(QLayout::SetFixedSize);
    pnClient = new QWidget(this);
    pnClient->setObjectName(QStringLiteral("pnClient"));
    pnClient->setFixedSize(kClientWidth, kClientHeight);
    main->addWidget(pnClient);
    QWidget* c = pnClient;

    // ---- left column ----
    GroupBox2 = Group(c, "GroupBox2", QRect(6, 0, 150, 46));
    edCall = Edit(GroupBox2, "edCall", 6, true);
    edCall->setGeometry(8, 19, 134, 21);

    GroupBox3 = Group(c, "GroupBox3", QRect(6, 46, 150, 46));
    edCity = Edit(GroupBox3, "edCity", 0, false);
    edCity->setGeometry(8, 19, 134, 21);

    GroupBox4 = Group(c, "GroupBox4", QRect(6, 92, 150, 46));
    GroupBox4->setTitle(QStringLiteral("WWL"));
    // Room for the 8 or 10 characters of an extended locator, read as its first 6.
    edWWL = Edit(GroupBox4, "edWWL", 10, true);
    edWWL->setGeometry(8, 19, 134, 21);

    GroupBox1 = Group(c, "GroupBox1", QRect(6, 138, 150, 108));
    GroupBox1->setTitle(QStringLiteral("QTH"));
    lbLong = Label(GroupBox1, "lbLong", QRect(9, 18, 130, 14), Qt::AlignLeft | Qt::AlignVCenter);
    edLong = Edit(GroupBox1, "edLong", kx::kCoordInitialMaxLength, true);
    edLong->setGeometry(8, 33, 134, 21);
    lbLat = Label(GroupBox1, "lbLat", QRect(9, 58, 130, 14), Qt::AlignLeft | Qt::AlignVCenter);
    edLat = Edit(GroupBox1, "edLat", kx::kCoordInitialMaxLength, true);
    edLat->setGeometry(8, 73, 134, 21);
    lbLong->setBuddy(edLong);
    lbLat->setBuddy(edLat);

    BitBtn3 = Button(c, "BitBtn3", QRect(161, 59, 32, 32));
    BitBtn3->setIcon(ArrowIcon());
    BitBtn3->setIconSize(QSize(22, 22));
    BitBtn1 = Button(c, "BitBtn1", QRect(161, 205, 32, 32));
    BitBtn1->setIcon(CrossIcon());
    BitBtn1->setIconSize(QSize(22, 22));

    // ---- result panel ----
    Panel5 = new QFrame(c);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setGeometry(198, 4, 279, 176);
    Panel5->setFrameShape(QFrame::Panel);
    Panel5->setFrameShadow(QFrame::Raised);

    Label2 = Label(Panel5, "Label2", QRect(8, 5, 34, 22), Qt::AlignLeft | Qt::AlignVCenter);
    Label2->setText(QStringLiteral("BEX"));
    {
        QFont bold = font();
        bold.setBold(true);
        bold.setPixelSize(13);
        Label2->setFont(bold);
        QPalette pal = Label2->palette();
        pal.setColor(QPalette::WindowText, kGreen);
        Label2->setPalette(pal);
    }

    QFont placeFont = font();
    placeFont.setBold(true);
    placeFont.setPixelSize(12);
    pnBEX0 = Edit(Panel5, "pnBEX0", 0, true);
    pnBEX0->setGeometry(44, 5, 46, 22);
    pnBEX0->setAlignment(Qt::AlignCenter);
    pnBEX0->setFont(placeFont);
    SetPlaceColour(pnBEX0, kWhite);  // the first place counts as highlighted from the start
    pnBEX1 = Panel(Panel5, "pnBEX1", QRect(94, 5, 46, 22), ButtonFace());
    pnBEX2 = Panel(Panel5, "pnBEX2", QRect(144, 5, 46, 22), ButtonFace());
    pnBEX3 = Panel(Panel5, "pnBEX3", QRect(194, 5, 46, 22), ButtonFace());
    for (QLabel* pn : {pnBEX1, pnBEX2, pnBEX3}) {
        pn->setFrameShadow(QFrame::Sunken);
        pn->setFont(placeFont);
        pn->setCursor(Qt::PointingHandCursor);
        pn->hide();
    }

    // The locator grid: two columns (west, east), four rows (north to south).
    constexpr int gx = 60, gy = 64, gw = 64, gh = 18, gap = 2;
    QLabel** cells[8] = {&pn0, &pn1, &pn2, &pn3, &pn4, &pn5, &pn6, &pn7};
    for (int i = 0; i < 8; ++i) {
        const int col = i / 4, row = i % 4;
        const QByteArray name = "pn" + QByteArray::number(i);
        *cells[i] = Panel(Panel5, name.constData(),
                          QRect(gx + col * (gw + gap), gy + row * (gh + gap), gw, gh), kLime);
    }
    const int left = gx, right = gx + 2 * gw + gap;
    const auto L = Qt::AlignLeft | Qt::AlignVCenter;
    const auto R = Qt::AlignRight | Qt::AlignVCenter;
    lbLong1 = Label(Panel5, "lbLong1", QRect(left, 32, gw, 14), L);
    lbLat1 = Label(Panel5, "lbLat1", QRect(left, 46, gw, 14), L);
    lbLong4 = Label(Panel5, "lbLong4", QRect(right - gw, 32, gw, 14), R);
    lbLat4 = Label(Panel5, "lbLat4", QRect(right - gw, 46, gw, 14), R);
    const int below = gy + 4 * (gh + gap);
    lbLong2 = Label(Panel5, "lbLong2", QRect(left, below, gw, 14), L);
    lbLat2 = Label(Panel5, "lbLat2", QRect(left, below + 14, gw, 14), L);
    lbLong3 = Label(Panel5, "lbLong3", QRect(right - gw, below, gw, 14), R);
    lbLat3 = Label(Panel5, "lbLat3", QRect(right - gw, below + 14, gw, 14), R);

    btCopy = Button(Panel5, "btCopy", QRect(198, 92, 74, 26));

    Memo1 = new QPlainTextEdit(c);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(198, 184, 279, 64);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setTextInteractionFlags(Qt::NoTextInteraction);
    Memo1->viewport()->setCursor(Qt::ArrowCursor);
    {
        QFont small = font();
        small.setPixelSize(9);
        Memo1->setFont(small);
        QPalette pal = Memo1->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        Memo1->setPalette(pal);
        Memo1->document()->setDocumentMargin(1);
    }

    // The city drop-down, directly below the city field and above everything else.
    Panel4 = new QFrame(c);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameShape(QFrame::NoFrame);
    {
        const QPoint at = edCity->mapTo(c, QPoint(0, edCity->height()));
        Panel4->setGeometry(at.x(), at.y(), edCity->width(), 0);
    }
    auto* dropLayout = new QVBoxLayout(Panel4);
    dropLayout->setContentsMargins(0, 0, 0, 0);
    ListBox1 = new QListWidget(Panel4);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    dropLayout->addWidget(ListBox1);
    Panel4->hide();
    Panel4->raise();

    ClearWWL();

    // ---- events ----
    connect(mFormat1, &QAction::triggered, this, kx::Guarded(this, &TForm2::mFormat1Click));
    connect(mFormat2, &QAction::triggered, this, kx::Guarded(this, &TForm2::mFormat2Click));
    connect(mFormat3, &QAction::triggered, this, kx::Guarded(this, &TForm2::mFormat3Click));
    connect(mEast, &QAction::triggered, this, kx::Guarded(this, &TForm2::mEastClick));
    connect(mWest, &QAction::triggered, this, kx::Guarded(this, &TForm2::mWestClick));
    connect(BitBtn3, &QPushButton::clicked, this, kx::Guarded(this, &TForm2::BitBtn3Click));
    connect(BitBtn1, &QPushButton::clicked, this, kx::Guarded(this, &TForm2::BitBtn1Click));
    connect(btCopy, &QPushButton::clicked, this, kx::Guarded(this, &TForm2::btCopyClick));
    connect(edLat, &QLineEdit::textChanged, this, kx::Guarded(this, &TForm2::edLatChange));
    connect(edLong, &QLineEdit::textChanged, this, kx::Guarded(this, &TForm2::edLongChange));
    connect(edCity, &QLineEdit::textChanged, this, kx::Guarded(this, &TForm2::edCityChange));
    connect(pnBEX0, &QLineEdit::textEdited, this, kx::Guarded(this, &TForm2::pnBEX0Change));

    // The window sees every key before its fields do.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus) w->installEventFilter(this);
    }
    for (QWidget* w : {static_cast<QWidget*>(pnBEX1), static_cast<QWidget*>(pnBEX2),
                       static_cast<QWidget*>(pnBEX3), ListBox1->viewport()}) {
        w->installEventFilter(this);
    }
    setTabOrder(edCall, edCity);
    setTabOrder(edCity, edWWL);
    setTabOrder(edWWL, edLong);
    setTabOrder(edLong, edLat);
    setTabOrder(edLat, BitBtn3);
    setTabOrder(BitBtn3, pnBEX0);
    setTabOrder(pnBEX0, btCopy);
    setTabOrder(btCopy, BitBtn1);

    SetCaptions();
}

// ---- showing and closing ------------------------------------------------------------

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) kx::Guard([this] { FormShow(); });
}

void TForm2::done(int result) {
    if (isVisible()) kx::Guard([this] { FormClose(); });
    QDialog::done(result);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // Escape closes an open city drop-down first, then the window.
    if (event->key() == Qt::Key_Escape && Panel4->isVisible()) {
        Panel4->hide();
        edCity->setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// A click beside the fields hides the city drop-down.
void TForm2::mousePressEvent(QMouseEvent* event) {
    Panel4->hide();
    QDialog::mousePressEvent(event);
}

void TForm2::FormShow() {
    const kx::IniFile& ini = kx::SettingsFile;
    kx::RestoreWindowPlace(this, kPlaceNumber, {200, 200});

    const int format = ini.ReadInteger(kSetupSection, kCoordFormatKey, 1);
    mFormat1->setChecked(format == 1);
    mFormat2->setChecked(format == 2);
    mFormat3->setChecked(format == 3);
    const bool west = ini.ReadBool(kSetupSection, kWestLongKey, false);
    mWest->setChecked(west);
    mEast->setChecked(!west);

    try {
        names_ = kx::CityNames::Load();
    } catch (const std::exception& e) {
        names_ = kx::CityNames();
        kx::ShowError(this, kx::ExceptionText(e) + QStringLiteral("\n\n") +
                                kx::Text(kx::Msg::CityTableUnreadable));
    }

    SetCaptions();
    if (!shownBefore_) {
        shownBefore_ = true;
        edLat->setFocus();
    }
}

void TForm2::FormClose() {
    kx::IniFile& ini = kx::SettingsFile;
    kx::SaveWindowPlace(this, kPlaceNumber, false);
    if (const int format = FormatSettings().format; format != 0) {
        ini.WriteInteger(kSetupSection, kCoordFormatKey, format);
    }
    ini.WriteBool(kSetupSection, kWestLongKey, mWest->isChecked());
}

void TForm2::SetCaptions() {
    setWindowTitle(Tr(" BEX  SQUARES  CALCULATOR", " BEX  KVADRATŲ  SKAIČIUOKLIS"));
    Memo1->setPlainText(
        Tr("Note: the BEX square found from a city or a callsign may be incorrect, because "
           "some cities have no unique BEX square (they lie on a BEX square line) and many hams "
           "operate from different BEX squares from time to time.",
           "Pastaba: pagal miestą ar šaukinį nustatytas BEX kvadratas gali būti neteisingas, "
           "nes kai kurie miestai neturi vienintelio BEX kvadrato (jie yra ant kvadratus "
           "skiriančios linijos), o daug radijo mėgėjų kartais dirba iš skirtingų BEX "
           "kvadratų."));
    GroupBox2->setTitle(Tr("Callsign", "Šaukinys"));
    GroupBox3->setTitle(Tr("City", "Miestas"));
    btCopy->setText(Tr("Copy BEX", "Kopijuoti BEX"));
    lbLong->setText(Tr("Longitude", "Ilguma"));
    lbLat->setText(Tr("Latitude", "Platuma"));
    MSet->setTitle(Tr("Settings", "Nustatymai"));
    mFormat->setTitle(Tr("Coordinate Format", "Koordinačių formatas"));
    mEast->setText(Tr("East Longitude", "Rytų ilguma"));
    mWest->setText(Tr("West Longitude", "Vakarų ilguma"));
}

kx::CoordSettings TForm2::FormatSettings() const {
    kx::CoordSettings s;
    s.format = mFormat1->isChecked()   ? 1
               : mFormat2->isChecked() ? 2
               : mFormat3->isChecked() ? 3
                                       : 0;
    s.west = mWest->isChecked();
    return s;
}

// ---- keys and mouse -----------------------------------------------------------------

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat()) pressed_ = {watched, key->key()};
            const QString text = key->text();
            typing_ = !text.isEmpty() && text.front().isPrint() &&
                      !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            bool eaten = false;
            kx::Guard([&] { eaten = KeyPressed(watched, static_cast<QKeyEvent*>(event)); });
            if (eaten) return true;
            break;
        }
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->isAutoRepeat()) break;
            typing_ = false;
            // An Enter whose press went elsewhere (a menu item chosen with the keyboard, a
            // button) is no Enter in this field.
            const bool own = pressed_ == std::pair<QObject*, int>(watched, key->key());
            pressed_ = {};
            if (IsEnter(key->key()) && !own) break;
            kx::Guard([&] { KeyReleased(watched, key->key()); });
            break;
        }
        case QEvent::FocusOut: {
            // Leaving the city field or its drop-down for another field hides the drop-down.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            const QWidget* next = QApplication::focusWidget();
            if ((watched == edCity || watched == ListBox1) && next != edCity && next != ListBox1 &&
                reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                Panel4->hide();
            break;
        }
        case QEvent::MouseButtonRelease:
            kx::Guard([&] { MouseReleased(watched, static_cast<QMouseEvent*>(event)); });
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

bool TForm2::KeyPressed(QObject* watched, const QKeyEvent* key) {
    if (watched == ListBox1) {
        // Down into a list with nothing selected selects its first name.
        if (key->key() == Qt::Key_Down && ListBox1->selectedItems().isEmpty() &&
            ListBox1->count() > 0) {
            ListBox1->setCurrentRow(0);
            return true;
        }
        return false;
    }
    const std::optional<char> c = KeyChar(key);
    if (!c) return false;
    if (watched == edLat || watched == edLong) return !EditNumPress(*c);
    if (watched == edCall) edCallKeyPress(*c);
    if (watched == edCity) edCityKeyPress(*c);
    if (watched == edWWL) edWWLKeyPress(*c);
    return false;
}

void TForm2::KeyReleased(QObject* watched, int key) {
    FormKeyUp(key);
    if (watched == edCall) edCallKeyUp(key);
    if (watched == edCity) edCityKeyUp(key);
    if (watched == edWWL) edWWLKeyUp(key);
    if (watched == pnBEX0) pnBEX0KeyUp(key);
    if (watched == edLat) edLatKeyUp(key);
    if (watched == edLong) edLongKeyUp(key);
    if (watched == ListBox1) ListBox1KeyUp(key);
}

void TForm2::MouseReleased(QObject* watched, const QMouseEvent* mouse) {
    if (watched == ListBox1->viewport()) ListBox1MouseUp();
    // A click on a place: the left button released over the place it was pressed on.
    const auto* place = qobject_cast<const QWidget*>(watched);
    if (!place || mouse->button() != Qt::LeftButton ||
        !place->rect().contains(mouse->position().toPoint()))
        return;
    if (watched == pnBEX0) pnBEX0xClick();
    if (watched == pnBEX1) pnBEX1Click();
    if (watched == pnBEX2) pnBEX2Click();
    if (watched == pnBEX3) pnBEX3Click();
}

void TForm2::FormKeyUp(int key) {
    if (key != Qt::Key_Delete) return;
    edLat->clear();
    edLong->clear();
    pnBEX0->clear();
    edWWL->clear();
    edLat->setFocus(Qt::OtherFocusReason);
}

// ---- call sign, city, locator -------------------------------------------------------

void TForm2::edCallKeyPress(char) {
    if (edCall->text().size() != 1) return;
    edWWL->clear();
    edCity->clear();
    edLat->clear();
    edLong->clear();
    ClearWWL();
}

void TForm2::edCallKeyUp(int key) {
    if (IsEnter(key) && Filled(edCall)) CallToBEX(edCall->text());
    if (key == Qt::Key_Down) edCity->setFocus(Qt::OtherFocusReason);
}

void TForm2::edCityKeyPress(char) {
    if (edCity->text().size() != 1) return;
    for (QLineEdit* e : {edWWL, edLat, edLong}) {
        if (!e->text().isEmpty()) e->clear();
    }
}

void TForm2::edCityKeyUp(int key) {
    if (edCity->text().size() == 1) {
        edCall->clear();
        edLong->clear();
        edLat->clear();
        edWWL->clear();
        ClearWWL();
    }
    if (IsEnter(key) && Filled(edCity)) CityToBEX(edCity->text());
    if (key == Qt::Key_Up) edCall->setFocus(Qt::OtherFocusReason);
    if (key == Qt::Key_Down) {
        if (Panel4->isVisible()) {
            ListBox1->setFocus(Qt::OtherFocusReason);
            // The first Down selects the first name, which Enter then takes.
            if (ListBox1->selectedItems().isEmpty() && ListBox1->count() > 0)
                ListBox1->setCurrentRow(0);
        } else {
            edWWL->setFocus(Qt::OtherFocusReason);
        }
    }
}

void TForm2::edCityChange() {
    const QString text = edCity->text();
    Panel4->setVisible(text.size() > 1);
    ListBox1->clear();
    if (const std::optional<std::string> typed = kx::ToCp(text)) {
        std::vector<std::string> found = names_.Search(*typed);
        // The list keeps its names in alphabetical order without regard to case.
        std::stable_sort(found.begin(), found.end(), kx::CollateLess);
        QStringList items;
        items.reserve(static_cast<qsizetype>(found.size()));
        for (const std::string& name : found) items << FromCp(name);
        ListBox1->addItems(items);
    }
    SizeDropDown();
}

// 20 pixels per name; a list longer than the room below the city field ends at the
// window's bottom edge and scrolls.
void TForm2::SizeDropDown() {
    const int room = pnClient->height() - Panel4->y();
    Panel4->resize(Panel4->width(), std::min(kDropDownItemHeight * ListBox1->count(), room));
}

void TForm2::ChooseCity() {
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    if (chosen.isEmpty()) return;
    const QString name = chosen.first()->text();
    edCity->setText(name);
    Panel4->hide();
    edCity->setFocus(Qt::OtherFocusReason);
    edCity->deselect();
    edCity->setCursorPosition(static_cast<int>(edCity->text().size()));
}

void TForm2::ListBox1KeyUp(int key) {
    if (IsEnter(key)) ChooseCity();
}

void TForm2::ListBox1MouseUp() {
    ChooseCity();
}

void TForm2::edWWLKeyPress(char) {
    if (edWWL->text().size() != 1) return;
    edCall->clear();
    edCity->clear();
    edLat->clear();
    edLong->clear();
}

void TForm2::edWWLKeyUp(int key) {
    if (IsEnter(key)) WWLtoBEX(edWWL->text());
    if (key == Qt::Key_Up) edCity->setFocus(Qt::OtherFocusReason);
    if (key == Qt::Key_Down) edLong->setFocus(Qt::OtherFocusReason);
}

// ---- coordinates --------------------------------------------------------------------

bool TForm2::EditNumPress(char key) {
    KeyTyped = kx::KeyTypedAfter(key);
    return kx::CoordKeyAllowed(key);
}

void TForm2::edLatChange() {
    FormatField(edLat, kx::CoordField::Latitude);
}

void TForm2::edLongChange() {
    FormatField(edLong, kx::CoordField::Longitude);
}

void TForm2::FormatField(QLineEdit* field, kx::CoordField kind) {
    // The formatter's own settings of the text give no further insertion.
    if (formatting_ || !KeyTyped) return;
    const std::string text = Bytes(field);
    // A typed character that leaves a part unreadable turns the text red, like any other
    // bad part: typing never opens an error box. The text stays as it is.
    kx::CoordFormatResult r;
    try {
        r = kx::FormatCoordinate(kind, text, FormatSettings());
    } catch (const kx::ConvertError&) {
        if (!typing_) throw;  // pasted: the error is reported
        SetTextColour(field, Qt::red);
        return;
    }
    formatting_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{formatting_};
    const int length = static_cast<int>(r.text.size());
    if (r.maxLength) {
        // A pasted text longer than the limit stays whole; nothing more can be typed.
        field->setMaxLength(std::max(*r.maxLength, length));
    }
    if (r.text != text) {
        field->setMaxLength(std::max(field->maxLength(), length));
        field->setText(FromCp(r.text));
    }
    if (r.caret) field->setCursorPosition(*r.caret);
    if (r.colour == kx::TextColour::Black) SetTextColour(field, Qt::black);
    if (r.colour == kx::TextColour::Red) SetTextColour(field, Qt::red);
    if (r.value) (kind == kx::CoordField::Latitude ? LatValue : LongValue) = *r.value;
}

void TForm2::edLatKeyUp(int key) {
    if (edLat->text().size() == 1) {
        edCall->clear();
        edCity->clear();
        edWWL->clear();
        ClearWWL();
    }
    if (key == Qt::Key_Up) edLong->setFocus(Qt::OtherFocusReason);
    if (IsEnter(key) && kx::TrimBlanks(Bytes(edLat)).size() >= 3) {
        if (auto full =
                kx::CompleteCoordinate(kx::CoordField::Latitude, Bytes(edLat), FormatSettings())) {
            edLat->setText(FromCp(*full));
        }
        kx::ProcessEvents();
        if (edLong->text().size() >= 7) {
            Calculate();
        } else {
            edLong->setFocus(Qt::OtherFocusReason);
        }
    }
}

void TForm2::edLongKeyUp(int key) {
    if (edLong->text().size() == 1) {
        edCall->clear();
        edCity->clear();
        edWWL->clear();
        ClearWWL();
    }
    if (IsEnter(key)) {
        if (auto full = kx::CompleteCoordinate(kx::CoordField::Longitude, Bytes(edLong),
                                               FormatSettings())) {
            edLong->setText(FromCp(*full));
        }
        kx::ProcessEvents();
        if (edLat->text().size() >= 7) {
            Calculate();
        } else {
            edLat->setFocus(Qt::OtherFocusReason);
        }
    }
    if (key == Qt::Key_Up) edWWL->setFocus(Qt::OtherFocusReason);
    if (key == Qt::Key_Down) edLat->setFocus(Qt::OtherFocusReason);
}

void TForm2::Calculate() {
    kx::CoordValues values{LatValue, LongValue};
    const kx::CalculateOutcome outcome =
        kx::CalculateCoordinates(Bytes(edLong), Bytes(edLat), FormatSettings(), values);
    LatValue = values.lat;
    LongValue = values.lon;
    if (outcome == kx::CalculateOutcome::LongitudeFailed) {
        SetTextColour(edLong, Qt::red);
        SetTextColour(edLat, Qt::red);
        return;
    }
    if (outcome == kx::CalculateOutcome::LatitudeFailed) {
        SetTextColour(edLat, Qt::red);
        return;
    }
    const std::string code = kx::CalcBEX(LatValue, LongValue);
    SetCornerLabels(code);
    FindWWLfromBEX(code);
    edWWL->setText(FromCp(kx::CalcWWL(LatValue, LongValue)));
    pnBEX0->setText(FromCp(code));
}

void TForm2::ChooseFormat(int format) {
    mFormat1->setChecked(format == 1);
    mFormat2->setChecked(format == 2);
    mFormat3->setChecked(format == 3);
    edLong->clear();
    edLat->clear();
    edWWL->clear();
    pnBEX0->clear();
    kx::SettingsFile.WriteInteger(kSetupSection, kCoordFormatKey, format);
}

void TForm2::mFormat1Click() {
    ChooseFormat(1);
}
void TForm2::mFormat2Click() {
    ChooseFormat(2);
}
void TForm2::mFormat3Click() {
    ChooseFormat(3);
}

void TForm2::ChooseLongitude(bool west) {
    mWest->setChecked(west);
    mEast->setChecked(!west);
    edLong->clear();
}

void TForm2::mEastClick() {
    ChooseLongitude(false);
}
void TForm2::mWestClick() {
    ChooseLongitude(true);
}

// ---- results ------------------------------------------------------------------------

void TForm2::ClearWWL() {
    pnBEX0->clear();
    pnBEX0->show();
    // A highlight on a place that goes out of sight returns to the first place, so that
    // Copy never takes a code the window no longer shows.
    if (IsWhite(pnBEX1) || IsWhite(pnBEX2) || IsWhite(pnBEX3)) Highlight(0);
    pnBEX1->hide();
    pnBEX2->hide();
    pnBEX3->hide();
    kx::ProcessEvents();
    ClearGrid();
}

void TForm2::ClearGrid() {
    for (QLabel* pn : {pn0, pn1, pn2, pn3, pn4, pn5, pn6, pn7}) pn->clear();
    const QString lon = FromCp(std::string(kx::kLongPlaceholder));
    const QString lat = FromCp(std::string(kx::kLatPlaceholder));
    for (QLabel* lb : {lbLong1, lbLong2, lbLong3, lbLong4}) lb->setText(lon);
    for (QLabel* lb : {lbLat1, lbLat2, lbLat3, lbLat4}) lb->setText(lat);
}

void TForm2::SetCornerLabels(const std::string& code) {
    if (const auto lon = kx::LongBEX(code)) {
        lbLong1->setText(FromCp(lon->west));
        lbLong2->setText(FromCp(lon->west));
        lbLong3->setText(FromCp(lon->east));
        lbLong4->setText(FromCp(lon->east));
    }
    if (const auto lat = kx::LatBEX(code)) {
        lbLat1->setText(FromCp(lat->north));
        lbLat4->setText(FromCp(lat->north));
        lbLat2->setText(FromCp(lat->south));
        lbLat3->setText(FromCp(lat->south));
    }
}

bool TForm2::FindWWLfromBEX(const std::string& code) {
    // Items in file order: the northern row first, west before east.
    QLabel* const places[8] = {pn0, pn4, pn1, pn5, pn2, pn6, pn3, pn7};
    const bool found = kx::FindWWLfromBEX(
        code, [&](int i, const std::string& wwl) { places[i]->setText(FromCp(wwl)); });
    if (found) SetCornerLabels(code);
    return found;
}

std::string TForm2::FindBEXfromWWL(const std::string& locator) {
    const std::optional<std::string> code = kx::FindLineOfWWL(locator);
    if (!code) return "?";
    if (isVisible()) FindWWLfromBEX(*code);
    return *code;
}

void TForm2::WWLtoBEX(const QString& text) {
    const std::string bytes = kx::ToCpChecked(text);
    const std::string_view typed = kx::TrimBlanks(bytes);
    if (typed.empty()) return;
    const std::optional<std::string_view> wwl = kx::LocatorOfSix(typed);
    if (!wwl) {
        kx::ShowError(this, kx::Text(kx::Msg::CalcLocatorLength));
        return;
    }
    pnBEX0->setText(FromCp(FindBEXfromWWL(std::string(*wwl))));
    kx::ProcessEvents();
}

void TForm2::ShowSquare(const std::string& code) {
    SetCornerLabels(code);
    FindWWLfromBEX(code);
}

void TForm2::Highlight(int index) {
    const std::array<QWidget*, 4> places{pnBEX0, pnBEX1, pnBEX2, pnBEX3};
    for (int i = 0; i < 4; ++i) SetPlaceColour(places[i], i == index ? kWhite : ButtonFace());
}

bool TForm2::ShowBEXList(const std::string& list) {
    const std::vector<std::string> codes = kx::SplitCommaList(list);
    const int n = std::min<int>(static_cast<int>(codes.size()), 4);
    if (n == 0) return false;
    pnBEX0->setText(FromCp(codes[0]));
    QLabel* const more[3] = {pnBEX1, pnBEX2, pnBEX3};
    for (int i = 1; i < 4; ++i) {
        if (i < n) {
            more[i - 1]->setText(FromCp(codes[static_cast<std::size_t>(i)]));
            more[i - 1]->show();
        } else {
            more[i - 1]->hide();
        }
    }
    Highlight(0);
    kx::ProcessEvents();
    ShowSquare(Bytes(pnBEX0));
    Panel4->hide();
    return true;
}

void TForm2::SelectPlace(int index) {
    const std::array<QWidget*, 4> places{pnBEX0, pnBEX1, pnBEX2, pnBEX3};
    const QString text = index == 0 ? pnBEX0->text() : static_cast<QLabel*>(places[index])->text();
    if (text.size() != 3) return;
    Highlight(index);
    kx::ProcessEvents();
    ShowSquare(kx::ToCpChecked(text));
}

void TForm2::pnBEX0xClick() {
    SelectPlace(0);
}

// A square typed into the first place is shown as soon as it is one; until then the grid
// shows none, not the square it replaces.
void TForm2::pnBEX0Change() {
    const std::string code(kx::TrimBlanks(Bytes(pnBEX0)));
    if (code.size() == 3 && FindWWLfromBEX(code)) {
        Highlight(0);
        return;
    }
    ClearGrid();
}

void TForm2::pnBEX0KeyUp(int key) {
    if (!IsEnter(key) || !Filled(pnBEX0)) return;
    const std::string code(kx::TrimBlanks(Bytes(pnBEX0)));
    if (code.size() == 3 && FindWWLfromBEX(code)) {
        Highlight(0);
        return;
    }
    kx::ShowError(this, kx::Text(kx::Msg::CalcSquareNotFound).arg(pnBEX0->text().trimmed()));
}
void TForm2::pnBEX1Click() {
    SelectPlace(1);
}
void TForm2::pnBEX2Click() {
    SelectPlace(2);
}
void TForm2::pnBEX3Click() {
    SelectPlace(3);
}

void TForm2::CityToBEX(const QString& name) {
    struct FocusAtEnd {
        QLineEdit* field;
        ~FocusAtEnd() {
            field->setFocus(Qt::OtherFocusReason);
            field->deselect();
            field->setCursorPosition(static_cast<int>(field->text().size()));
        }
    } finally{edCity};
    if (edCity->text() != name) edCity->setText(name);
    if (!ShowBEXList(kx::CityEntry(kx::ToCpChecked(name))))
        kx::ShowError(this, kx::Text(kx::Msg::CalcCityNotFound).arg(name.trimmed()));
}

void TForm2::CallToBEX(const QString& text) {
    if (!ShowBEXList(kx::CallSignSquares(kx::ToCpChecked(text))))
        kx::ShowError(this, kx::Text(kx::Msg::CalcCallNotFound).arg(text.trimmed()));
}

// ---- buttons ------------------------------------------------------------------------

void TForm2::BitBtn3Click() {
    if (Filled(edCity)) {
        CityToBEX(edCity->text());
    } else if (Filled(edCall)) {
        CallToBEX(edCall->text());
    } else if (Filled(edWWL)) {
        WWLtoBEX(edWWL->text());
    } else if (Filled(edLong) && Filled(edLat)) {
        // The locator of the point the fields show, as Enter evaluates it. Texts that do
        // not read (a failed evaluation, a text still being typed) give no locator: the
        // stored values need not belong to them.
        kx::CoordValues point{LatValue, LongValue};
        kx::CalculateOutcome outcome = kx::CalculateOutcome::LongitudeFailed;
        try {
            outcome =
                kx::CalculateCoordinates(Bytes(edLong), Bytes(edLat), FormatSettings(), point);
        } catch (const kx::ConvertError&) {
        }
        if (outcome == kx::CalculateOutcome::Ok)
            edWWL->setText(FromCp(kx::CalcWWL(point.lat, point.lon)));
        else
            edWWL->clear();
    }
}

void TForm2::BitBtn1Click() {
    ClearWWL();
    edLong->clear();
    edLat->clear();
    edWWL->clear();
    edCity->clear();
    edCall->clear();
}

void TForm2::btCopyClick() {
    QString text;
    if (IsWhite(pnBEX0)) text = pnBEX0->text();
    for (const QLabel* pn : {pnBEX1, pnBEX2, pnBEX3}) {
        if (IsWhite(pn)) text = pn->text();
    }
    kx::Svc().SetClipboardText(text);
}
