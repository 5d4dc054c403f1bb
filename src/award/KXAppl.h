// TForm4: the award application window, opened modally from the log window.
#pragma once

#include <QDialog>

class TForm4 : public QDialog {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);
};
