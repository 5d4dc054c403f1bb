// TForm6: the BEX map, opened modally from the log window.
//
// It draws the 16 x 40 BEX grid in its true proportions at 55 deg N (longitudes scaled by
// cos 55 deg), Lithuania's border, every square of "BEXWWL.dat" as a cell (worked squares
// filled, needed ones outlined), a legend and the count. The band and mode groups are
// those of the application window and go through the award list (MakeAwardList), so the
// map and the application always show the same squares.
//
// Hovering a square shows its code and the first qualifying QSO; a click on a worked
// square chooses that QSO, and the log window selects its row when the map closes:
//   Form6->Execute(*Form3);        // shows the map modally, then selects the chosen row
#pragma once

#include <QDialog>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "award/AwardList.h"
#include "award/KXAppl.h"

class QGroupBox;
class QLabel;
class QPainter;
class QRadioButton;
class QToolBar;
class QToolButton;
class TForm3;

namespace kx {
class QSOLog;
}

namespace kx::bexmap {

// Lithuania's border beside the tables in the program folder (made by
// tools/make_border.py from the polygon of the WWL/BEX table).
inline constexpr const char* kBorderFile = "BorderLT.dat";

inline constexpr int kRows = 16;              // A..P
inline constexpr int kColumns = 40;           // 00..39
inline constexpr double kNorth = 56.5;        // northern edge of row A
inline constexpr double kWest = 125.0 / 6.0;  // western edge of column 00 (20 deg 50')
inline constexpr double kStep = 1.0 / 6.0;    // 10 minutes of arc
inline constexpr double kMapLatitude = 55.0;  // latitude of true proportions

// cos 55 deg: the width of a degree of longitude against a degree of latitude.
double LongitudeScale();

// The square code of a grid cell ("A00".."P39"); row 0..15, column 0..39.
std::string CellCode(int row, int column);

// Rings of the border file, each a list of (longitude, latitude) points. Lines are
// "RING n" (a new ring), "lon lat" (a point of the current ring) or comments starting
// with ';'; blank lines are skipped. A line that is none of these, a point outside
// -180..180 / -90..90 or before the first RING is ignored; rings of fewer than three
// points are dropped. Never throws.
std::vector<std::vector<QPointF>> ParseBorder(std::string_view text);

// The border of the program folder; empty when the file is missing or unreadable.
std::vector<std::vector<QPointF>> ReadBorder();

enum class CellState {
    Outside,  // not a square of the table
    Needed,   // a square of the table that the list does not hold
    Worked,   // a square of the table with a QSO in the list
};

// What the map shows for a log and a band and mode group.
class MapModel {
public:
    // Rebuilds everything: the squares of the table as it is now, the award list of the
    // log (nullptr: an empty log) and the log row of each listed square.
    void Build(const QSOLog* log, const AwardFilter& filter);

    const AwardList& List() const { return list_; }
    CellState State(int row, int column) const;
    // The list entry of a worked cell, or nullptr.
    const ListEntry* Entry(int row, int column) const;
    // The log row (1..N) of the QSO listed for a worked cell, or 0.
    int LogRow(int row, int column) const;

    // Squares of the table (cells that are not Outside).
    int TableSquares() const { return tableSquares_; }
    // Worked squares: the count of the award list.
    int Worked() const { return list_.Count(); }
    // Listed squares that have no cell on the map (not in the table).
    int WorkedOffMap() const { return offMap_; }

private:
    AwardList list_;
    std::array<std::array<CellState, kColumns>, kRows> state_{};
    std::array<std::array<int, kColumns>, kRows> entry_{};   // index into the list, or -1
    std::array<std::array<int, kColumns>, kRows> logRow_{};  // log row, or 0
    int tableSquares_ = 0;
    int offMap_ = 0;
};

// Where the grid lies in a picture of a given size: labels around it, the legend below.
struct MapGeometry {
    explicit MapGeometry(const QSizeF& size, double labelWidth, double labelHeight,
                         double legendHeight);
    QRectF grid;  // the 16 x 40 cells
    double cellWidth = 0;
    double cellHeight = 0;
    QRectF legend;  // the band under the grid for the legend and the count
    // Screen point of a geographic point.
    QPointF ToScreen(double longitude, double latitude) const;
    QRectF CellRect(int row, int column) const;
    // The cell at a screen point, or nothing outside the grid.
    std::optional<std::pair<int, int>> CellAt(const QPointF& point) const;
};

}  // namespace kx::bexmap

// The drawing surface of the map window: paints the map, tracks the pointer and reports
// hovers and clicks by cell.
class TMapView : public QWidget {
    Q_OBJECT
public:
    explicit TMapView(QWidget* parent = nullptr);

    // What to draw; set by the window (not owned).
    void SetModel(const kx::bexmap::MapModel* model, const QPainterPath* border) {
        model_ = model;
        border_ = border;
        update();
    }
    // The legend's texts: worked, needed, border, and the count.
    void SetTexts(const QStringList& legend, const QString& count) {
        legend_ = legend;
        countText_ = count;
        update();
    }
    void SetSelected(const std::string& code) {
        selected_ = code;
        update();
    }
    const std::string& Hovered() const { return hovered_; }

    // The geometry of the map in a picture of this size, with the view's font.
    kx::bexmap::MapGeometry Geometry(const QSizeF& size) const;
    // Draws the whole map into a rectangle of the given size at (0, 0); the hovered
    // square is marked only on screen (interactive), never in a picture.
    void Paint(QPainter& painter, const QSize& size, bool interactive) const;
    // The map as a picture of the view's size.
    QImage Picture() const;
    // The code of the table square at a point of the view, or the empty text.
    std::string SquareAt(const QPointF& point) const;

signals:
    void hovered(const QString& code);
    void clicked(const QString& code);
    void doubleClicked(const QString& code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetHovered(const std::string& code);
    double LegendLineHeight() const;
    // Width of the legend's items (without the count).
    double LegendWidth() const;

    const kx::bexmap::MapModel* model_ = nullptr;
    const QPainterPath* border_ = nullptr;
    QStringList legend_;
    QString countText_;
    std::string hovered_;
    std::string selected_;
};

class TForm6 : public QDialog, public kx::BandModeButtons {
    Q_OBJECT

public:
    explicit TForm6(QWidget* parent = nullptr);

    // The log the map is made from (read in place; not owned).
    void SetLog(const kx::QSOLog* log) { log_ = log; }
    const kx::QSOLog* Log() const { return log_; }
    // Shows the map of the log window's log modally; when a QSO was chosen by a click,
    // selects its row in the log grid afterwards.
    int Execute(TForm3& logWindow);

    // ---- controls ----
    QToolBar* ToolBar1;
    QToolButton* btSave;
    QToolButton* btCopy;
    QToolButton* btClose;
    TMapView* pbMap;
    QWidget* pnRight;
    QLabel* lbCount;
    QLabel* lbStatus;

    // ---- fields ----
    // The groups the map shows.
    kx::AwardFilter Filter;

    const kx::bexmap::MapModel& Model() const { return model_; }
    // The log row of the QSO chosen by the last click on a worked square, or 0.
    int ChosenRow() const { return chosenRow_; }
    // "Worked 127 of 394" (with the groups when filtered) in the language.
    QString CountText() const;
    // The hover text of a square code: code and first QSO, or that it is not worked.
    QString SquareText(const std::string& code) const;

    // ---- handlers ----
    void FormShow();
    void FormClose();
    void ApplyClick();
    void btSaveClick();
    void btCopyClick();
    void btCloseClick();
    void pbMapHover(const QString& code);
    void pbMapClick(const QString& code);
    void pbMapDoubleClick(const QString& code);

    // Rebuilds the map from the log for the groups.
    void MapOfBEX(const kx::AwardFilter& filter);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void SetTexts();
    QString HintText() const;
    std::optional<std::pair<int, int>> CellOf(const std::string& code) const;

    const kx::QSOLog* log_ = nullptr;
    kx::bexmap::MapModel model_;
    QPainterPath border_;  // map units: x = (lon - kWest) cos 55, y = kNorth - lat
    int chosenRow_ = 0;
    std::string chosenSquare_;
};
