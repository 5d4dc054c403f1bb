#include "award/KXMap.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "award/KXAppl.h"
#include "log/KXLog.h"
#include "log/QSOLog.h"
#include "platform/Collation.h"
#include "platform/Errors.h"
#include "platform/FileIO.h"
#include "platform/Globals.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/Settings.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Services.h"
#include "platform/qt/Widgets.h"
#include "platform/qt/WindowPlace.h"
#include "tables/WwlTable.h"

namespace kx::bexmap {

namespace {

struct CollatedLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        return CollateLess(a, b);
    }
};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

bool ReadNumber(std::string_view& s, double& out) {
    s = Trim(s);
    std::size_t end = 0;
    while (end < s.size() && static_cast<unsigned char>(s[end]) > ' ') ++end;
    // A point as the decimal sign in every locale (the window program runs in the user's).
    const char* first = s.data();
    if (end > 0 && *first == '+') ++first;
    const auto [stop, ec] = std::from_chars(first, s.data() + end, out, std::chars_format::general);
    if (end == 0 || ec != std::errc() || stop != s.data() + end || !std::isfinite(out))
        return false;
    s.remove_prefix(end);
    return true;
}

}  // namespace

double LongitudeScale() {
    static const double scale = std::cos(kMapLatitude * 3.14159265358979323846 / 180.0);
    return scale;
}

std::string CellCode(int row, int column) {
    std::string code(1, static_cast<char>('A' + row));
    code += static_cast<char>('0' + column / 10);
    code += static_cast<char>('0' + column % 10);
    return code;
}

std::vector<std::vector<QPointF>> ParseBorder(std::string_view text) {
    std::vector<std::vector<QPointF>> rings;
    bool inRing = false;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        std::string_view line = Trim(text.substr(0, eol));
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.size() >= 4 && line.substr(0, 4) == "RING") {
            rings.emplace_back();
            inRing = true;
            continue;
        }
        double lon = 0, lat = 0;
        if (!inRing || !ReadNumber(line, lon) || !ReadNumber(line, lat) || !Trim(line).empty())
            continue;
        if (lon < -180 || lon > 180 || lat < -90 || lat > 90) continue;
        rings.back().emplace_back(lon, lat);
    }
    std::erase_if(rings, [](const auto& ring) { return ring.size() < 3; });
    return rings;
}

std::vector<std::vector<QPointF>> ReadBorder() {
    const auto bytes = TryReadFileBytes(FilePath(kBorderFile));
    if (!bytes) return {};
    return ParseBorder(*bytes);
}

void MapModel::Build(const QSOLog* log, const AwardFilter& filter) {
    list_ = log ? MakeAwardList(*log, filter) : AwardList();
    std::map<std::string, int, CollatedLess> entryOf;
    const auto& entries = list_.Entries();
    for (int i = 0; i < static_cast<int>(entries.size()); ++i)
        entryOf.emplace(entries[i][lcSquare], i);

    tableSquares_ = 0;
    int onMap = 0;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const std::string code = CellCode(r, c);
            state_[r][c] = CellState::Outside;
            entry_[r][c] = -1;
            logRow_[r][c] = 0;
            if (!SquareExists(code)) continue;
            ++tableSquares_;
            state_[r][c] = CellState::Needed;
            const auto it = entryOf.find(code);
            if (it == entryOf.end()) continue;
            state_[r][c] = CellState::Worked;
            entry_[r][c] = it->second;
            logRow_[r][c] = list_.LogRow(it->second);
            ++onMap;
        }
    }
    offMap_ = list_.Count() - onMap;
}

CellState MapModel::State(int row, int column) const {
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns) return CellState::Outside;
    return state_[row][column];
}

const ListEntry* MapModel::Entry(int row, int column) const {
    if (State(row, column) != CellState::Worked) return nullptr;
    return &list_.Entries()[static_cast<std::size_t>(entry_[row][column])];
}

int MapModel::LogRow(int row, int column) const {
    if (State(row, column) != CellState::Worked) return 0;
    return logRow_[row][column];
}

MapGeometry::MapGeometry(const QSizeF& size, double labelWidth, double labelHeight,
                         double legendHeight) {
    constexpr double margin = 6;
    const QRectF room(margin + labelWidth, margin + labelHeight,
                      size.width() - 2 * (margin + labelWidth),
                      size.height() - 2 * margin - 2 * labelHeight - legendHeight);
    const double widthDeg = kColumns * kStep * LongitudeScale();
    const double heightDeg = kRows * kStep;
    const double scale =
        std::max(0.0, std::min(room.width() / widthDeg, room.height() / heightDeg));
    const QSizeF gridSize(widthDeg * scale, heightDeg * scale);
    grid = QRectF(room.left() + (room.width() - gridSize.width()) / 2,
                  room.top() + (room.height() - gridSize.height()) / 2, gridSize.width(),
                  gridSize.height());
    cellWidth = grid.width() / kColumns;
    cellHeight = grid.height() / kRows;
    legend = QRectF(grid.left(), grid.bottom() + labelHeight, grid.width(), legendHeight);
}

QPointF MapGeometry::ToScreen(double longitude, double latitude) const {
    const double scale = cellHeight / kStep;
    return {grid.left() + (longitude - kWest) * LongitudeScale() * scale,
            grid.top() + (kNorth - latitude) * scale};
}

QRectF MapGeometry::CellRect(int row, int column) const {
    return {grid.left() + column * cellWidth, grid.top() + row * cellHeight, cellWidth, cellHeight};
}

std::optional<std::pair<int, int>> MapGeometry::CellAt(const QPointF& p) const {
    if (cellWidth <= 0 || cellHeight <= 0) return std::nullopt;
    if (p.x() < grid.left() || p.y() < grid.top() || p.x() >= grid.right() ||
        p.y() >= grid.bottom())
        return std::nullopt;
    const int column = std::min(kColumns - 1, static_cast<int>((p.x() - grid.left()) / cellWidth));
    const int row = std::min(kRows - 1, static_cast<int>((p.y() - grid.top()) / cellHeight));
    return std::make_pair(row, column);
}

}  // namespace kx::bexmap

// ---- the drawing surface -------------------------------------------------------------

namespace {

using kx::FromCp;
using kx::bexmap::CellState;

// Colours of the map.
const QColor kPaper(255, 255, 255);
const QColor kSea(236, 242, 247);   // the grid outside Lithuania
const QColor kLand(246, 242, 228);  // Lithuania
const QColor kGridLine(210, 216, 223);
const QColor kFrame(120, 130, 140);
const QColor kBorderLine(120, 84, 40);
const QColor kWorkedFill(46, 157, 91);
const QColor kWorkedLine(24, 100, 56);
const QColor kNeededLine(232, 138, 30);
const QColor kNeededText(176, 92, 0);
const QColor kHover(31, 79, 209);
const QColor kSelected(200, 0, 90);
const QColor kLabel(60, 66, 74);

QFont MapFont(const QFont& base, double points, bool bold = false) {
    QFont f(base);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

}  // namespace

TMapView::TMapView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(480, 300);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

double TMapView::LegendLineHeight() const {
    return QFontMetricsF(MapFont(font(), 9.5, true)).height() + 12;
}

double TMapView::LegendWidth() const {
    const QFontMetricsF fm(MapFont(font(), 9));
    const double swatch = std::round(fm.height() * 0.8);
    double width = 0;
    const bool hasBorder = border_ && !border_->isEmpty();
    for (int i = 0; i < std::min<int>(static_cast<int>(legend_.size()), hasBorder ? 3 : 2); ++i)
        width += swatch * (i == 2 ? 1.6 : 0.7) + 5 + fm.horizontalAdvance(legend_[i]) + 16;
    return width;
}

kx::bexmap::MapGeometry TMapView::Geometry(const QSizeF& size) const {
    const QFontMetricsF fm(MapFont(font(), 8));
    const double labelWidth = fm.horizontalAdvance(QStringLiteral("M")) + 8;
    const double labelHeight = fm.height() + 4;
    const double line = LegendLineHeight();
    kx::bexmap::MapGeometry one(size, labelWidth, labelHeight, line);
    // The count goes under the legend when they do not fit side by side.
    const double count = QFontMetricsF(MapFont(font(), 9.5, true)).horizontalAdvance(countText_);
    if (LegendWidth() + count <= one.grid.width()) return one;
    return kx::bexmap::MapGeometry(size, labelWidth, labelHeight, 2 * line - 8);
}

std::string TMapView::SquareAt(const QPointF& point) const {
    if (!model_) return {};
    const auto cell = Geometry(size()).CellAt(point);
    if (!cell || model_->State(cell->first, cell->second) == CellState::Outside) return {};
    return kx::bexmap::CellCode(cell->first, cell->second);
}

void TMapView::Paint(QPainter& p, const QSize& size, bool interactive) const {
    using namespace kx::bexmap;
    const MapGeometry g = Geometry(size);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRect(QPoint(0, 0), size), kPaper);
    p.fillRect(g.grid, kSea);

    // Lithuania, drawn in map units through a transform: x = (lon - west) cos 55,
    // y = north - lat, scaled to the cells.
    QTransform toScreen;
    const double scale = g.cellHeight / kStep;
    toScreen.translate(g.grid.left(), g.grid.top());
    toScreen.scale(scale, scale);
    const bool hasBorder = border_ && !border_->isEmpty();
    if (hasBorder) {
        p.save();
        p.setClipRect(g.grid);
        p.setPen(Qt::NoPen);
        p.setBrush(kLand);
        p.drawPath(toScreen.map(*border_));
        p.restore();
    }

    // The grid lines of all 640 cells.
    p.setPen(QPen(kGridLine, 0.8));
    for (int c = 1; c < kColumns; ++c) {
        const double x = g.grid.left() + c * g.cellWidth;
        p.drawLine(QPointF(x, g.grid.top()), QPointF(x, g.grid.bottom()));
    }
    for (int r = 1; r < kRows; ++r) {
        const double y = g.grid.top() + r * g.cellHeight;
        p.drawLine(QPointF(g.grid.left(), y), QPointF(g.grid.right(), y));
    }

    // The squares of the table.
    const QFont codeFont = MapFont(font(), 6.5);
    const QFontMetricsF codeMetrics(codeFont);
    const bool codes = g.cellWidth >= codeMetrics.horizontalAdvance(QStringLiteral("M00")) + 2 &&
                       g.cellHeight >= codeMetrics.height();
    p.setFont(codeFont);
    if (model_) {
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                const CellState state = model_->State(r, c);
                if (state == CellState::Outside) continue;
                const QRectF cell = g.CellRect(r, c).adjusted(1, 1, -1, -1);
                if (state == CellState::Worked) {
                    QColor fill = kWorkedFill;
                    fill.setAlpha(215);
                    p.setPen(QPen(kWorkedLine, 1.0));
                    p.setBrush(fill);
                } else {
                    QColor fill = kNeededLine;
                    fill.setAlpha(28);
                    p.setPen(QPen(kNeededLine, 1.0));
                    p.setBrush(fill);
                }
                p.drawRect(cell);
                if (codes) {
                    p.setPen(state == CellState::Worked ? QColor(Qt::white) : kNeededText);
                    p.drawText(cell, Qt::AlignCenter, QString::fromLatin1(CellCode(r, c).c_str()));
                }
            }
        }
    }

    if (hasBorder) {
        p.save();
        p.setClipRect(g.grid.adjusted(-1, -1, 1, 1));
        QPen pen(kBorderLine, 1.3);
        pen.setCosmetic(true);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(toScreen.map(*border_));
        p.restore();
    }

    p.setPen(QPen(kFrame, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(g.grid);

    // The chosen and the hovered square.
    auto mark = [&](const std::string& code, const QColor& colour, double width) {
        if (code.size() != 3) return;
        const int r = code[0] - 'A';
        const int c = (code[1] - '0') * 10 + (code[2] - '0');
        if (r < 0 || r >= kRows || c < 0 || c >= kColumns) return;
        p.setPen(QPen(colour, width));
        p.setBrush(Qt::NoBrush);
        p.drawRect(g.CellRect(r, c).adjusted(-1, -1, 1, 1));
    };
    mark(selected_, kSelected, 2.4);
    if (interactive && hovered_ != selected_) mark(hovered_, kHover, 2.0);

    // Row letters on both sides, column numbers above and below.
    const QFont labelFont = MapFont(font(), 8);
    const QFontMetricsF lm(labelFont);
    p.setFont(labelFont);
    p.setPen(kLabel);
    const double side = lm.horizontalAdvance(QStringLiteral("M")) + 8;
    for (int r = 0; r < kRows; ++r) {
        const QString letter(QChar(static_cast<char16_t>('A' + r)));
        const QRectF cell = g.CellRect(r, 0);
        p.drawText(QRectF(g.grid.left() - side, cell.top(), side - 3, cell.height()),
                   Qt::AlignRight | Qt::AlignVCenter, letter);
        p.drawText(QRectF(g.grid.right() + 3, cell.top(), side - 3, cell.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, letter);
    }
    const double numberWidth = lm.horizontalAdvance(QStringLiteral("00")) + 3;
    int every = 1;
    while (every < 10 && g.cellWidth * every < numberWidth) every = every == 1 ? 2 : 5;
    const double labelHeight = lm.height() + 4;
    for (int c = 0; c < kColumns; c += every) {
        const QRectF cell = g.CellRect(0, c);
        const QString number = QStringLiteral("%1").arg(c, 2, 10, QLatin1Char('0'));
        const QRectF above(cell.center().x() - numberWidth, g.grid.top() - labelHeight,
                           2 * numberWidth, labelHeight - 2);
        const QRectF below(cell.center().x() - numberWidth, g.grid.bottom() + 2, 2 * numberWidth,
                           labelHeight - 2);
        p.drawText(above, Qt::AlignHCenter | Qt::AlignBottom, number);
        p.drawText(below, Qt::AlignHCenter | Qt::AlignTop, number);
    }

    // Legend and count.
    const QFont legendFont = MapFont(font(), 9);
    const QFontMetricsF fm(legendFont);
    const double swatch = std::round(fm.height() * 0.8);
    const double line = LegendLineHeight();
    const bool twoLines = g.legend.height() > line * 1.5;
    const double middle = g.legend.top() + (twoLines ? line - 8 : line) / 2;
    double x = g.legend.left();
    auto item = [&](int kind, const QString& text) {
        const QRectF box(x, middle - swatch / 2, swatch * (kind == 2 ? 1.6 : 0.7), swatch);
        if (kind == 0) {
            p.setPen(QPen(kWorkedLine, 1.0));
            QColor fill = kWorkedFill;
            fill.setAlpha(215);
            p.setBrush(fill);
            p.drawRect(box);
        } else if (kind == 1) {
            p.setPen(QPen(kNeededLine, 1.0));
            QColor fill = kNeededLine;
            fill.setAlpha(28);
            p.setBrush(fill);
            p.drawRect(box);
        } else {
            p.setPen(QPen(kBorderLine, 1.6));
            p.drawLine(QPointF(box.left(), middle), QPointF(box.right(), middle));
        }
        x = box.right() + 5;
        p.setPen(kLabel);
        p.setFont(legendFont);
        p.drawText(QPointF(x, middle + (fm.ascent() - fm.descent()) / 2), text);
        x += fm.horizontalAdvance(text) + 16;
    };
    if (legend_.size() >= 3) {
        item(0, legend_[0]);
        item(1, legend_[1]);
        if (hasBorder) item(2, legend_[2]);
    }
    const QFont countFont = MapFont(font(), 9.5, true);
    p.setFont(countFont);
    p.setPen(QColor(20, 24, 30));
    if (twoLines) {
        p.drawText(QRectF(g.legend.left(), g.legend.top() + line - 8, g.legend.width(), line - 8),
                   Qt::AlignLeft | Qt::AlignVCenter, countText_);
    } else {
        p.drawText(QRectF(x, g.legend.top(), std::max(0.0, g.legend.right() - x), line),
                   Qt::AlignRight | Qt::AlignVCenter, countText_);
    }
    p.restore();
}

QImage TMapView::Picture() const {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(kPaper);
    QPainter p(&image);
    Paint(p, size(), false);
    p.end();
    return image;
}

void TMapView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Paint(p, size(), true);
}

void TMapView::SetHovered(const std::string& code) {
    if (code == hovered_) return;
    hovered_ = code;
    update();
    emit hovered(QString::fromLatin1(code.c_str()));
}

void TMapView::mouseMoveEvent(QMouseEvent* event) {
    SetHovered(SquareAt(event->position()));
    QWidget::mouseMoveEvent(event);
}

void TMapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const std::string code = SquareAt(event->position());
        SetHovered(code);
        emit clicked(QString::fromLatin1(code.c_str()));
    }
    QWidget::mousePressEvent(event);
}

void TMapView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const std::string code = SquareAt(event->position());
        emit doubleClicked(QString::fromLatin1(code.c_str()));
    }
    QWidget::mouseDoubleClickEvent(event);
}

void TMapView::leaveEvent(QEvent* event) {
    SetHovered({});
    QWidget::leaveEvent(event);
}

// ---- the window ----------------------------------------------------------------------

namespace {

// The window's number among the windows whose places the settings keep.
constexpr int kPlaceNumber = 6;
constexpr int kMinWidth = 640;
constexpr int kMinHeight = 440;
constexpr int kRightWidth = 112;  // the column of the band and mode groups

using kx::Msg;
using kx::Text;
using kx::Tr;

using kx::Group;
using kx::Radio;
using kx::ThemeIcon;
using kx::ToolButton;

}  // namespace

TForm6::TForm6(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm6"));
    setSizeGripEnabled(true);
    setMinimumSize(kMinWidth, kMinHeight);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(30);
    ToolBar1->setIconSize(QSize(16, 16));
    btSave =
        ToolButton(ToolBar1, "btSave", ThemeIcon("document-save", QStyle::SP_DialogSaveButton));
    btCopy =
        ToolButton(ToolBar1, "btCopy", ThemeIcon("edit-copy", QStyle::SP_FileDialogDetailedView));
    ToolBar1->addSeparator();
    btClose =
        ToolButton(ToolBar1, "btClose", ThemeIcon("window-close", QStyle::SP_DialogCloseButton));
    main->addWidget(ToolBar1);

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    main->addLayout(middle, 1);

    auto* centre = new QWidget(this);
    centre->setObjectName(QStringLiteral("pnCentre"));
    auto* centreLayout = new QVBoxLayout(centre);
    centreLayout->setContentsMargins(7, 7, 7, 7);
    middle->addWidget(centre, 1);

    pbMap = new TMapView(centre);
    pbMap->setObjectName(QStringLiteral("pbMap"));
    pbMap->SetModel(&model_, &border_);
    centreLayout->addWidget(pbMap);

    pnRight = new QWidget(this);
    pnRight->setObjectName(QStringLiteral("pnRight"));
    pnRight->setFixedWidth(kRightWidth);
    auto* right = new QVBoxLayout(pnRight);
    right->setContentsMargins(0, 7, 7, 7);
    right->setSpacing(6);
    middle->addWidget(pnRight);

    QFont bold(QStringLiteral("Tahoma"));
    bold.setPointSize(8);
    bold.setBold(true);

    static_cast<kx::BandModeButtons&>(*this) = kx::AddBandModeGroups(pnRight, right, bold);

    lbCount = new QLabel(pnRight);
    lbCount->setObjectName(QStringLiteral("lbCount"));
    lbCount->setFont(bold);
    lbCount->setWordWrap(true);
    lbCount->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    right->addWidget(lbCount);
    right->addStretch(1);

    lbStatus = new QLabel(this);
    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    lbStatus->setFrameShape(QFrame::StyledPanel);
    lbStatus->setFrameShadow(QFrame::Sunken);
    lbStatus->setContentsMargins(6, 2, 6, 2);
    lbStatus->setMinimumHeight(22);
    lbStatus->setTextFormat(Qt::PlainText);
    main->addWidget(lbStatus);

    for (QRadioButton* rb : {rbHFVHF, rbHF, rbVHF, rbAll, rbCW, rbSSB, rbPH, rbDigi}) {
        connect(rb, &QRadioButton::clicked, this, kx::Guarded(this, &TForm6::ApplyClick));
    }
    connect(btSave, &QToolButton::clicked, this, kx::Guarded(this, &TForm6::btSaveClick));
    connect(btCopy, &QToolButton::clicked, this, kx::Guarded(this, &TForm6::btCopyClick));
    connect(btClose, &QToolButton::clicked, this, kx::Guarded(this, &TForm6::btCloseClick));
    connect(pbMap, &TMapView::hovered, this, kx::Guarded(this, &TForm6::pbMapHover));
    connect(pbMap, &TMapView::clicked, this, kx::Guarded(this, &TForm6::pbMapClick));
    connect(pbMap, &TMapView::doubleClicked, this, kx::Guarded(this, &TForm6::pbMapDoubleClick));

    SetTexts();
}

int TForm6::Execute(TForm3& logWindow) {
    SetLog(&logWindow.Log());
    const int result = exec();
    if (chosenRow_ > 0 && chosenRow_ <= logWindow.Log().DataRowCount())
        logWindow.SelectRow(chosenRow_);
    return result;
}

void TForm6::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) kx::Guard([this] { FormShow(); });
}

void TForm6::done(int result) {
    if (isVisible()) kx::Guard([this] { FormClose(); });
    QDialog::done(result);
}

void TForm6::SetTexts() {
    setWindowTitle(Tr(" BEX  MAP", " BEX  ŽEMĖLAPIS"));
    btSave->setText(Tr("Save picture...", "Išsaugoti paveikslėlį..."));
    btCopy->setText(Tr("Copy", "Kopijuoti"));
    btClose->setText(Tr("Close", "Uždaryti"));
    kx::SetBandModeTexts(*this, kRightWidth);
}

void TForm6::FormShow() {
    kx::RestoreWindowPlace(this, kPlaceNumber, {100, 100}, {860, 560});

    SetTexts();
    // The border and the table are read at every showing, as the tables are everywhere.
    border_ = QPainterPath();
    border_.setFillRule(Qt::OddEvenFill);
    const double scale = kx::bexmap::LongitudeScale();
    for (const auto& ring : kx::bexmap::ReadBorder()) {
        QPolygonF polygon;
        polygon.reserve(static_cast<qsizetype>(ring.size()) + 1);
        for (const QPointF& pt : ring)
            polygon << QPointF((pt.x() - kx::bexmap::kWest) * scale, kx::bexmap::kNorth - pt.y());
        polygon << polygon.front();
        border_.addPolygon(polygon);
    }
    chosenRow_ = 0;
    chosenSquare_.clear();
    pbMap->SetSelected({});
    // The radio buttons keep their choice from the last showing, and it is applied.
    ApplyClick();
}

void TForm6::FormClose() {
    kx::SaveWindowPlace(this, kPlaceNumber, true);
}

void TForm6::ApplyClick() {
    MapOfBEX(Chosen());
}

void TForm6::MapOfBEX(const kx::AwardFilter& filter) {
    Filter = filter;
    model_.Build(log_, filter);
    const QString count = CountText();
    lbCount->setText(count);
    pbMap->SetTexts({Text(Msg::MapWorked), Text(Msg::MapNeeded), Text(Msg::MapBorder)}, count);
    const std::string hovered = pbMap->Hovered();
    pbMapHover(QString::fromLatin1(hovered.c_str()));
}

QString TForm6::CountText() const {
    QString text = Text(Msg::MapWorkedOf).arg(model_.Worked()).arg(model_.TableSquares());
    if (model_.WorkedOffMap() > 0) text += Text(Msg::MapOffTable).arg(model_.WorkedOffMap());
    using kx::BandGroup;
    using kx::ModeGroup;
    if (Filter.band != BandGroup::All)
        text += QStringLiteral(" · ") + (Filter.band == BandGroup::HF ? rbHF : rbVHF)->text();
    const QRadioButton* mode = Filter.mode == ModeGroup::CW        ? rbCW
                               : Filter.mode == ModeGroup::SSB     ? rbSSB
                               : Filter.mode == ModeGroup::Phone   ? rbPH
                               : Filter.mode == ModeGroup::Digital ? rbDigi
                                                                   : nullptr;
    if (mode) text += QStringLiteral(" · ") + mode->text();
    return text;
}

std::optional<std::pair<int, int>> TForm6::CellOf(const std::string& code) const {
    if (code.size() != 3 || code[0] < 'A' || code[0] > 'P' || code[1] < '0' || code[1] > '3' ||
        code[2] < '0' || code[2] > '9')
        return std::nullopt;
    return std::make_pair(code[0] - 'A', (code[1] - '0') * 10 + (code[2] - '0'));
}

QString TForm6::SquareText(const std::string& code) const {
    const auto cell = CellOf(code);
    if (!cell) return {};
    const auto state = model_.State(cell->first, cell->second);
    if (state == kx::bexmap::CellState::Outside) return {};
    const QString square = QString::fromLatin1(code.c_str());
    if (state == kx::bexmap::CellState::Needed) return square + Text(Msg::MapNotWorked);
    const kx::ListEntry* entry = model_.Entry(cell->first, cell->second);
    QStringList parts;
    for (int col : {kx::lcCallsign, kx::lcBand, kx::lcMode, kx::lcDate})
        if (!(*entry)[col].empty()) parts << FromCp((*entry)[col]);
    return square + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

QString TForm6::HintText() const {
    if (!chosenSquare_.empty() && chosenRow_ > 0)
        return SquareText(chosenSquare_) + Text(Msg::MapSelectedOnClose);
    return Text(Msg::MapHint);
}

void TForm6::pbMapHover(const QString& code) {
    const QString text = SquareText(code.toStdString());
    pbMap->setToolTip(kx::PlainToolTip(text));
    lbStatus->setText(text.isEmpty() ? HintText() : text);
}

void TForm6::pbMapClick(const QString& code) {
    const std::string square = code.toStdString();
    const auto cell = CellOf(square);
    const int row = cell ? model_.LogRow(cell->first, cell->second) : 0;
    chosenSquare_ = row > 0 ? square : std::string();
    chosenRow_ = row;
    pbMap->SetSelected(chosenSquare_);
    lbStatus->setText(row > 0 ? HintText() : SquareText(square));
    if (lbStatus->text().isEmpty()) lbStatus->setText(HintText());
}

void TForm6::pbMapDoubleClick(const QString& code) {
    pbMapClick(code);
    if (chosenRow_ > 0) accept();
}

void TForm6::btSaveClick() {
    kx::FileDialogRequest dialog;
    dialog.caption = Text(Msg::MapSavePicture);
    dialog.filter = Text(Msg::FilterPng);
    dialog.folder = kx::PathText(kx::UserFolder()) + QStringLiteral("BEX-map.png");
    dialog.defaultSuffix = QStringLiteral("png");
    const QString name = kx::Svc().SaveFileName(this, dialog);
    if (name.isEmpty()) return;

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const bool encoded = pbMap->Picture().save(&buffer, "PNG");
    try {
        if (!encoded) throw kx::FileWriteError(kx::ToCp(name).value_or(""), "");
        kx::WriteFileAtomic(kx::PathBytes(name), png.toStdString());
    } catch (const kx::FileWriteError&) {
        kx::ShowError(this, Text(Msg::MapNotSaved).arg(name));
    }
}

void TForm6::btCopyClick() {
    kx::Svc().SetClipboardImage(pbMap->Picture());
    lbStatus->setText(Text(Msg::MapCopied));
}

void TForm6::btCloseClick() {
    close();
}
