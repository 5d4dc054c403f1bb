// TForm1: the info window, a passive text window about the award. It is created with
// the other windows; no operation of the program opens it, and its menu items and its
// Continue button have no action.
#pragma once

#include <QMainWindow>

class QAction;
class QMenu;
class QPushButton;
class QTextEdit;
class QToolBar;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);

    QMenu* mFiles;
    QAction* mExit1;  // Files > Exit
    QAction* mExit;   // the top-level Exit
    QTextEdit* RichEdit1;
    QToolBar* ToolBar1;
    QPushButton* btCont;
};
