// Entry of the desktop tests: a QApplication on the X display that scripts/desktop
// prepared (Xvfb with the openbox window manager), then every GoogleTest case.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

#include "desktop/Desktop.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "desktop tests: no DISPLAY; run them with scripts/desktop\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Kvadrix"));
    kxtest::Desktop::Init();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
