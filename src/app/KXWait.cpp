#include "app/KXWait.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <algorithm>

#include "platform/qt/Services.h"
#include "platform/qt/WindowPlace.h"

TForm5::TForm5(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TForm5"));
    setFixedSize(294, 41);
    ProgBar = new QProgressBar(this);
    ProgBar->setObjectName(QStringLiteral("ProgBar"));
    ProgBar->setGeometry(16, 12, 265, 18);
    ProgBar->setRange(0, 100);
    ProgBar->setValue(0);
    ProgBar->setTextVisible(true);
    ProgBar->setFormat(QStringLiteral("%p%"));
    ProgBar->setAlignment(Qt::AlignCenter);
}

void TForm5::Start(const QString& title) {
    setWindowTitle(title);
    show();
    raise();
    kx::ProcessEvents();
}

void TForm5::SetPercent(int percent) {
    ProgBar->setValue(std::clamp(percent, 0, 100));
    kx::ProcessEvents();
}

void TForm5::Finish() {
    SetPercent(100);
    hide();
}

int TForm5::Percent() const {
    return ProgBar->value();
}

void TForm5::showEvent(QShowEvent* event) {
    kx::CentreWindow(this);
    QWidget::showEvent(event);
    kx::Guard([this] { FormShow(); });
}

// The operation that showed the window hides it; the user cannot dismiss it meanwhile.
void TForm5::closeEvent(QCloseEvent* event) {
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void TForm5::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}
