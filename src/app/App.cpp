#include "app/App.h"

#include <QApplication>
#include <QWidget>

namespace kx {

int RunKvadrix(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle("Kvadrix");
    w.show();
    return app.exec();
}

}  // namespace kx
