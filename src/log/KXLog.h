// TForm3: the QSO log window, the program's working window.
#pragma once

#include <QMainWindow>

class TForm3 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);
};
