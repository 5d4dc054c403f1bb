// TForm4: the award application window, opened modally from the log window.
//
// It shows the award list of the log for the chosen band and mode groups, takes the
// applicant's name, callsign, address and e-mail, and previews, prints and saves the
// filled application (RTF, or PDF with the page headers of the preview).
//
// It reads the log window's log (Form3->Log()); a test can hand it another one:
//   Form4->SetLog(&log);   // or Form4->Execute(log), which also runs it modally
//   Form4->exec();
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "award/AwardList.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;
class QTextDocument;
class QTextEdit;
class QToolBar;
class QToolButton;
class QWidget;

class QFont;
class QVBoxLayout;

namespace kx {
class QSOLog;

// The band and mode radio groups of the application window, which the map window shows
// too, so that both offer the same choices with the same names and texts. Both windows
// carry them as members of this base.
struct BandModeButtons {
    QGroupBox* gbBands = nullptr;
    QRadioButton* rbHFVHF = nullptr;
    QRadioButton* rbHF = nullptr;
    QRadioButton* rbVHF = nullptr;
    QGroupBox* gbModes = nullptr;
    QRadioButton* rbAll = nullptr;
    QRadioButton* rbCW = nullptr;
    QRadioButton* rbSSB = nullptr;
    QRadioButton* rbPH = nullptr;
    QRadioButton* rbDigi = nullptr;

    // The groups the checked buttons choose.
    AwardFilter Chosen() const;
};

// Adds the two groups to a column of parent: HF/VHF and All chosen, captions in navy in
// captionFont, buttons in the normal colour.
BandModeButtons AddBandModeGroups(QWidget* parent, QVBoxLayout* column, const QFont& captionFont);
// Sets the groups' texts for the language; their column is columnWidth wide, or wider
// when a caption needs it.
void SetBandModeTexts(const BandModeButtons& b, int columnWidth);
}  // namespace kx

class TForm4 : public QDialog, public kx::BandModeButtons {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);

    // The log the list is made from, read in place (not owned). Without one set, the
    // list is made from the log window's log (Form3), as "Create Application" opens it.
    void SetLog(const kx::QSOLog* log) { log_ = log; }
    const kx::QSOLog* Log() const { return log_; }
    // Sets the log and shows the window modally.
    int Execute(const kx::QSOLog& log);

    // ---- controls ----
    QToolBar* ToolBar1;
    QToolButton* btPrev;
    QToolButton* btSave;
    QToolButton* btSavePdf;
    QToolButton* btPrint;
    QToolButton* btClose;

    QWidget* pnRight;
    QGroupBox* gbClass;
    QRadioButton* rbBEX;
    QRadioButton* rb100;
    QRadioButton* rb200;
    QRadioButton* rb300;
    QRadioButton* rbTrophy;

    QWidget* pnBottom;
    QGroupBox* gbApplic;
    QLabel* lbName;
    QLineEdit* edName;
    QLabel* lbAddr;
    QLineEdit* edAddr;
    QLabel* lbCall;
    QLineEdit* edCall;
    QLabel* lbEaddr;
    QLineEdit* edEaddr;

    QTableWidget* SGrid2;
    // Under the list: the count of squares, in red with what the chosen class needs when
    // the count is below its threshold.
    QLabel* lbCount;
    QTextEdit* rePrev;

    // ---- fields ----
    // The groups the grid and the title show.
    kx::AwardFilter Filter;
    QString HeaderText;
    QString TemplateName;

    // The list the grid shows (its rows are the grid's data rows).
    const kx::AwardList& List() const { return list_; }

    // ---- handlers and operations ----
    void FormShow();
    void FormClose();
    void ApplyClick();
    void btPrevClick();
    void btPrintClick();
    void btSaveClick();
    void btSavePdfClick();
    void btCloseClick();

    // Rebuilds the grid from the log for the groups.
    void ListOfBEX(const kx::AwardFilter& filter);
    // Shows the list's count (and the class's threshold when the count is below it).
    void ShowCount();
    // Builds the preview variant of the application in rePrev.
    void CreateApplication();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void SetTexts();
    int AwardClass() const;
    const kx::QSOLog* CurrentLog() const;
    // Loads the template into doc and fills it (preview or save variant).
    void BuildDocument(QTextDocument* doc, bool preview);

    const kx::QSOLog* log_ = nullptr;
    kx::AwardList list_;
};
