// TForm2: the square calculator, opened modally from the log window.
//
// The user gives a call sign, a city, a locator, a pair of coordinates or a square code;
// the window shows the square or squares that belong to it (the four BEX places), the
// eight locators of the selected square (the grid pn0..pn7), the coordinates of its
// corners and, from coordinates, the locator. Copy puts the highlighted square code onto
// the clipboard.
//
// The texts of the coordinate fields follow geo/CoordText.h; the tables are those of
// tables/ (WwlTable.h, CityTable.h, CallTable.h). The window only moves texts between its
// controls and those functions.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <utility>

#include "geo/CoordText.h"
#include "tables/CityTable.h"

class QAction;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;
class QWidget;

class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    // ---- controls ----
    QMenuBar* MainMenu1;
    QMenu* MSet;
    QMenu* mFormat;
    QAction* mFormat1;
    QAction* mFormat2;
    QAction* mFormat3;
    QAction* mEast;
    QAction* mWest;

    QWidget* pnClient;  // the client area below the menu
    QGroupBox* GroupBox2;
    QLineEdit* edCall;
    QGroupBox* GroupBox3;
    QLineEdit* edCity;
    QFrame* Panel4;
    QListWidget* ListBox1;
    QGroupBox* GroupBox4;
    QLineEdit* edWWL;
    QGroupBox* GroupBox1;
    QLabel* lbLong;
    QLineEdit* edLong;
    QLabel* lbLat;
    QLineEdit* edLat;
    QPushButton* BitBtn3;
    QPushButton* BitBtn1;

    QFrame* Panel5;
    QLabel* Label2;
    QLineEdit* pnBEX0;
    QLabel* pnBEX1;
    QLabel* pnBEX2;
    QLabel* pnBEX3;
    QLabel* pn0;
    QLabel* pn1;
    QLabel* pn2;
    QLabel* pn3;
    QLabel* pn4;
    QLabel* pn5;
    QLabel* pn6;
    QLabel* pn7;
    QLabel* lbLong1;
    QLabel* lbLong2;
    QLabel* lbLong3;
    QLabel* lbLong4;
    QLabel* lbLat1;
    QLabel* lbLat2;
    QLabel* lbLat3;
    QLabel* lbLat4;
    QPushButton* btCopy;
    QPlainTextEdit* Memo1;

    // ---- values ----
    float LatValue = 0;   // degrees
    float LongValue = 0;  // degrees (a west longitude typed: 360 minus it; evaluated: negative)
    bool KeyTyped = false;

    // The names list of the city drop-down, loaded at each showing.
    const kx::CityNames& CityNames() const { return names_; }
    // The coordinate format checked in the menu (0 when none) and the east/west choice.
    kx::CoordSettings FormatSettings() const;

    // ---- handlers ----
    void FormShow();
    void FormClose();
    void FormKeyUp(int key);
    void BitBtn3Click();
    void BitBtn1Click();
    void btCopyClick();
    void pnBEX0xClick();
    void pnBEX1Click();
    void pnBEX2Click();
    void pnBEX3Click();
    void edCallKeyPress(char key);
    void edCallKeyUp(int key);
    void edCityKeyPress(char key);
    void edCityKeyUp(int key);
    void edCityChange();
    void ListBox1KeyUp(int key);
    void ListBox1MouseUp();
    void edWWLKeyPress(char key);
    void edWWLKeyUp(int key);
    void pnBEX0Change();
    void pnBEX0KeyUp(int key);
    // Key filter of both coordinate fields: true when the character may enter the field.
    bool EditNumPress(char key);
    void edLatChange();
    void edLongChange();
    void edLatKeyUp(int key);
    void edLongKeyUp(int key);
    void mFormat1Click();
    void mFormat2Click();
    void mFormat3Click();
    void mEastClick();
    void mWestClick();

    // ---- operations ----
    // Reads both coordinate fields and shows the point's square, corners, grid, locator.
    void Calculate();
    // Empties the result area: the first place, the grid, the corner labels; hides the
    // other three places (keeping their texts). A highlight on one of them moves back to
    // the first place.
    void ClearWWL();
    // Shows one to four square codes of a table value in the places (the first
    // highlighted) and the first square in the grid; more than four show the first four.
    // False, changing nothing, when the value holds no code.
    bool ShowBEXList(const std::string& list);
    // Shows the eight locators and the corners of a square; false (nothing changes) when
    // the code has no entry in the WWL/BEX table.
    bool FindWWLfromBEX(const std::string& code);
    // The square of a locator by table search ("?" when none); when the window is on
    // screen and a square is found, it is shown in the grid as well.
    std::string FindBEXfromWWL(const std::string& locator);
    // The look-up of the locator field: a locator (blanks around it dropped; of 8 or 10
    // characters the first 6) puts its square into the first place; any other length is
    // refused with a message that says what a locator is. An empty text does nothing.
    void WWLtoBEX(const QString& text);
    void CityToBEX(const QString& name);
    void CallToBEX(const QString& text);
    // Sets every caption for kx::Language.
    void SetCaptions();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool KeyPressed(QObject* watched, const QKeyEvent* key);
    void KeyReleased(QObject* watched, int key);
    void MouseReleased(QObject* watched, const QMouseEvent* mouse);
    void FormatField(QLineEdit* field, kx::CoordField kind);
    void ChooseFormat(int format);
    void ChooseLongitude(bool west);
    void SelectPlace(int index);
    void Highlight(int index);
    void ShowSquare(const std::string& code);
    void SetCornerLabels(const std::string& code);
    // Empties the grid and sets the corner labels to their placeholders.
    void ClearGrid();
    void SizeDropDown();
    void ChooseCity();

    kx::CityNames names_;
    bool formatting_ = false;  // the formatter is setting a field's text
    bool shownBefore_ = false;
    std::pair<QObject*, int> pressed_;  // the field and key of the last key press
    bool typing_ = false;               // a character key is down
};
