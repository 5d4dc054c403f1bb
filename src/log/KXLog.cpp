#include "log/KXLog.h"

TForm3::TForm3(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TForm3"));
}
