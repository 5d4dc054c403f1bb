// TForm0: the start window and the program's main window.
#pragma once

#include <QWidget>

class TForm0 : public QWidget {
    Q_OBJECT

public:
    explicit TForm0(QWidget* parent = nullptr);

signals:
    // The start window was closed: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
};
