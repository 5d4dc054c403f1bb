#include "app/KXStart.h"

#include <QCloseEvent>

TForm0::TForm0(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TForm0"));
}

void TForm0::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}
