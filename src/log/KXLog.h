// TForm3: the QSO log window, the program's working window. It owns the one QSOLog,
// shows it in the grid SGrid1 and carries the QSO entry fields, the sort buttons, the
// deletions, the import and the buttons that open the calculator and the application.
#pragma once

#include <QAbstractTableModel>
#include <QKeySequence>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "log/AdifImport.h"
#include "log/LogSession.h"
#include "log/QSOLog.h"
#include "log/SortQSOs.h"
#include "platform/FileIO.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QToolButton;
class TLivePanel;

// The grid's view of the log: grid row i is data row i + 1; the header row is the log's
// row 0.
class LogGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LogGridModel(const kx::QSOLog& log, QObject* parent = nullptr)
        : QAbstractTableModel(parent), log_(log) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void Reset() {
        beginResetModel();
        endResetModel();
    }

private:
    const kx::QSOLog& log_;
};

class TForm3 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    QToolButton* btImport;
    QToolButton* btBEXCalc;
    QToolButton* btCreate;
    QToolButton* btMap;
    QToolButton* btExport;
    QToolButton* btExit;
    QToolButton* btLive;  // the live switch of pnHeard
    TLivePanel* pnHeard;  // WSJT-X / JTDX: the heard stations and the QSOs logged there
    QTableView* SGrid1;
    QLabel* lbTotal;
    QLabel* Panel4;
    QGroupBox* GroupBox1;
    QRadioButton* rbDate;
    QRadioButton* rbCall;
    QRadioButton* rbBand;
    QRadioButton* rbMode;
    QRadioButton* rbBEX;
    QGroupBox* GroupBox2;
    QLineEdit* edCall;
    QLineEdit* edDate;
    QLineEdit* edTime;
    QLineEdit* edTimeE;
    QComboBox* cbMode;
    QComboBox* cbBand;
    QLineEdit* edName;
    QLineEdit* edQTH;
    QLineEdit* edRem;
    QLineEdit* edWWL;
    QLineEdit* edBEX;
    QLineEdit* edMyWWL;
    QLineEdit* edMyBEX;
    QLabel* lbMode;
    QLabel* lbBand;
    QLabel* lbRem;
    QPushButton* btNew;
    QPushButton* btEntry;
    QPushButton* btDelQSO;
    QPushButton* btClearAll;

    // ---- what the import and the award window use ----------------------------------
    // The log of the program (read by the award list, changed in place by the import).
    kx::QSOLog& Log() { return log_; }
    // Shows the table again after it changed (keeps the current row where possible).
    void RefreshGrid();
    // Makes every column as wide as its widest text, header included.
    void FitColumns();
    // Widens the columns that are narrower than a text of this row (a saved QSO is seen
    // whole); no column gets narrower.
    void WidenColumnsFor(int row);
    // Shows the number of QSOs in the counter box.
    void SetCounter();
    // The sort key of the checked radio button.
    kx::SortKey ChosenSortKey() const;
    // The tool-bar buttons and their keys.
    std::vector<std::pair<QToolButton*, QKeySequence>> ToolKeys() const;
    // Checks the radio button of the key.
    void CheckSortKey(kx::SortKey key);
    // SaveBase with the chosen key and the window's message pump, then RefreshGrid and
    // SetCounter. A failed write raises; the table is as it was.
    void SaveBaseNow(kx::LogWriteKind kind = kx::LogWriteKind::Change);
    // Grid row (1..N of the log) that is current.
    int SelectedRow() const;
    void SelectRow(int row);

    // QSOs from WSJT-X / JTDX joined the log from firstRow to its end: the grid and the
    // counter show them and the last is selected; the entry fields stay as they are.
    void LiveArrived(int firstRow);

    // ---- handlers -------------------------------------------------------------------
    void FormShow();
    bool FormCloseQuery();
    bool FormClose();
    void SetCaptions();
    void btImportClick();
    // The import of an ADIF file into the log, with its error messages, the counter box
    // and the progress window. The grid stays hidden after a normal end.
    kx::AdifImportResult ADIFImport(const QString& fileName);
    // The square finder over the whole log with the progress window; the grid is shown
    // again at its end, also after a failure. Rows from keepFrom on (0: none) are left
    // as they are.
    void FindBEXs(int keepFrom = 0);
    void btBEXCalcClick();
    void btCreateClick();
    void btMapClick();
    // Export to ADIF: every QSO of the log to an ADI file the user picks (default name
    // Kvadrix-LY-YYYYMMDD.adi), then a message with the count.
    void btExportClick();
    void btExitClick();
    void btNewClick();
    void btEntryClick();
    void btDelQSOClick();
    void btClearAllClick();
    void SortClick();
    void SGrid1SelectCell(int row);
    void edCallEnter();
    void edCallExit();
    void edDateEnter();
    void cbModeExit();
    void cbBandExit();

    // The log could not be locked against a second writer: nothing is written to it in
    // this run, and every attempt says so (the reason and the lock file), as the window
    // also does once when it first comes up.
    void SetReadOnly(const std::string& reason, const std::string& lockPath);
    bool ReadOnly() const { return session_.ReadOnly(); }
    // How often the import and the finder let pending window messages run, at most (ms);
    // 0: before every step (window tests watch every step).
    static inline int PumpIntervalMs = 15;
    // The import counter: QSOs taken by the last import.
    int ImportCount() const { return importCount_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FilterKey(QWidget* field, QKeyEvent* key);
    void KeepFocus(QWidget* field);
    // Copies a row into the entry fields; they then stand for that row.
    void ShowRow(int row);
    // The entry fields stand for a new QSO from now on.
    void ForgetShownRow();
    // Makes a row current without copying it into the fields.
    void SelectQuietly(int row);
    // Reads a time text as Save QSO does; false when it is not a time of day.
    bool ReadTimeField(QLineEdit* field, std::string& out);
    // The date of the Date field as the log keeps it (YYYY-MM-DD), read in the user's
    // short date form or as an ISO date. Not a date: false, with a message, the field
    // selected.
    bool ReadDateField(std::string& out);
    // After a change of the file through the session: tells of the QSOs that joined the
    // table from a file another program changed.
    void TellJoined(int joined);
    // Closing after a failed write with QSOs that would be lost: keep the window open
    // (the default) or, after a second confirmation naming the count, close.
    bool MayCloseWithoutSaving(int unsaved);
    // Hides the grid and locks the controls while the import or the finder runs.
    void BeginLogChange();
    void EndLogChange();

    // The log and its rules; log_ is the session's table.
    kx::LogSession session_;
    kx::QSOLog& log_;
    LogGridModel* model_ = nullptr;
    std::string dateMemory_;
    bool loaded_ = false;
    bool refreshing_ = false;
    bool pullingBack_ = false;  // KeepFocus is moving the focus back
    int lastRow_ = -1;
    // The row last copied into the entry fields, and whether the fields still stand for
    // it (Save QSO then corrects it) rather than for a new QSO.
    kx::QSORow shownRow_;
    bool correcting_ = false;
    // The date that entering the empty date field filled in.
    QString dateFill_;
    QString importFile_;
    QString exportFile_;  // the file of the last export in this run
    int importCount_ = 0;
    int changing_ = 0;
};
