#include "app/KXInfo.h"

#include <QAction>
#include <QIcon>
#include <QMenuBar>
#include <QPushButton>
#include <QTextEdit>
#include <QToolBar>
#include <QWidget>

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("BEX award — Lithuanian squares"));

    mFiles = menuBar()->addMenu(QStringLiteral("Files"));
    mFiles->setObjectName(QStringLiteral("mFiles"));
    mExit1 = mFiles->addAction(QStringLiteral("Exit"));
    mExit1->setObjectName(QStringLiteral("mExit1"));
    mExit = menuBar()->addAction(QStringLiteral("Exit"));
    mExit->setObjectName(QStringLiteral("mExit"));

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAutoFillBackground(true);
    QPalette pal = RichEdit1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::Text, pal.color(QPalette::ToolTipText));
    RichEdit1->setPalette(pal);
    RichEdit1->setPlainText(QStringLiteral("BEX diplomo aprašymas\nLY žemėlapis"));
    setCentralWidget(RichEdit1);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    addToolBar(Qt::BottomToolBarArea, ToolBar1);
    auto* spacer = new QWidget(ToolBar1);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    ToolBar1->addWidget(spacer);
    btCont = new QPushButton(QStringLiteral("&Continue"), ToolBar1);
    btCont->setObjectName(QStringLiteral("btCont"));
    btCont->setIcon(QIcon(QStringLiteral(":/kvadrix/continue.png")));
    btCont->setLayoutDirection(Qt::RightToLeft);  // the picture to the right of the text
    ToolBar1->addWidget(btCont);

    // Fixed client area 596 x 454 (menu, text, tool bar).
    setFixedSize(596, 454);
}
