// Window places and frames under a real window manager: every stored place comes back
// exactly over program starts, a place off the screen comes back onto it, and the start
// and progress windows carry the frames they ask for.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <functional>

#include "desktop/DesktopWindows.h"

using kxtest::Desktop;
using kxtest::DesktopWindows;

namespace {

struct StoredWindow {
    const char* name;
    std::function<QWidget*()> window;
    const char* x;
    const char* y;
};

const StoredWindow kStoredWindows[] = {
    {"calculator", [] { return static_cast<QWidget*>(Form2); }, "X2", "Y2"},
    {"log", [] { return static_cast<QWidget*>(Form3); }, "X3", "Y3"},
    {"application", [] { return static_cast<QWidget*>(Form4); }, "X4", "Y4"},
};

}  // namespace

TEST_F(DesktopWindows, EveryWindowComesBackWhereTheUserLeftItOverThreeStarts) {
    for (const StoredWindow& w : kStoredWindows) {
        SCOPED_TRACE(w.name);
        const QPoint left(137 + 40 * (&w - kStoredWindows), 91);
        for (int run = 1; run <= 3; ++run) {
            SCOPED_TRACE(run);
            start();
            QWidget* window = w.window();
            ASSERT_TRUE(Desktop::ShowActive(window));
            if (run == 1) {
                // The user moves it.
                window->windowHandle()->setFramePosition(left);
                ASSERT_TRUE(
                    QTest::qWaitFor([&] { return Desktop::Frame(window).topLeft() == left; }));
            }
            EXPECT_EQ(Desktop::Frame(window).topLeft(), left);
            window->close();
            EXPECT_EQ(stored(w.x), left.x());
            EXPECT_EQ(stored(w.y), left.y());
        }
    }
}

TEST_F(DesktopWindows, FirstShowingPutsTheFrameAtTheStoredPlace) {
    folder.write("Kvadrix.ini",
                 "[WINDOWS]\r\nX2=210\r\nY2=220\r\nX3=100\r\nY3=100\r\nX4=55\r\nY4=66\r\n"
                 "W4=640\r\nH4=520\r\n");
    start();
    for (QWidget* window : {static_cast<QWidget*>(Form3), static_cast<QWidget*>(Form2),
                            static_cast<QWidget*>(Form4)}) {
        ASSERT_TRUE(Desktop::ShowActive(window));
    }
    EXPECT_EQ(Desktop::Frame(Form3).topLeft(), QPoint(100, 100));
    EXPECT_EQ(Desktop::Frame(Form2).topLeft(), QPoint(210, 220));
    EXPECT_EQ(Desktop::Frame(Form4).topLeft(), QPoint(55, 66));
    EXPECT_EQ(Form4->size(), QSize(640, 520));
    Form4->close();
    EXPECT_EQ(stored("W4"), 640);
    EXPECT_EQ(stored("H4"), 520);
}

TEST_F(DesktopWindows, APlaceOffEveryScreenComesBackOntoTheScreenWhole) {
    folder.write("Kvadrix.ini", "[WINDOWS]\r\nX3=5000\r\nY3=-4000\r\nX2=-900\r\nY2=300\r\n");
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form3));
    ASSERT_TRUE(Desktop::ShowActive(Form2));
    for (QWidget* window : {static_cast<QWidget*>(Form3), static_cast<QWidget*>(Form2)}) {
        EXPECT_TRUE(Desk().contains(Desktop::Frame(window)))
            << Desktop::Frame(window).x() << "," << Desktop::Frame(window).y();
    }
    // It comes to the nearest edges: the top right corner, the left edge.
    EXPECT_EQ(Desktop::Frame(Form3).topRight(), Desk().topRight());
    EXPECT_EQ(Desktop::Frame(Form2).topLeft(), QPoint(Desk().left(), 300));
}

TEST_F(DesktopWindows, ASavedSizeLargerThanTheScreenIsFittedToTheScreen) {
    folder.write("Kvadrix.ini",
                 "[WINDOWS]\r\nX3=50\r\nY3=40\r\nW3=2600\r\nH3=2100\r\nX4=100\r\nY4=100\r\n"
                 "W4=3000\r\nH4=2400\r\n");
    start();
    for (QWidget* window : {static_cast<QWidget*>(Form3), static_cast<QWidget*>(Form4)}) {
        ASSERT_TRUE(Desktop::ShowActive(window));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Desk().contains(Desktop::Frame(window)); }))
            << window->objectName().toStdString() << " " << Desktop::Frame(window).x() << ","
            << Desktop::Frame(window).y() << " " << Desktop::Frame(window).width() << "x"
            << Desktop::Frame(window).height() << " in " << Desk().width() << "x"
            << Desk().height();
        // Larger than the screen, it takes the whole screen's width and height.
        EXPECT_EQ(Desktop::Frame(window).size(), Desk().size());
    }
    // The applicant fields are on the screen.
    EXPECT_TRUE(Desk().contains(Form4->edEaddr->mapToGlobal(Form4->edEaddr->rect().bottomRight())));
}

TEST_F(DesktopWindows, TheLogWindowComesBackInTheSizeTheUserGaveIt) {
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form3));
    Form3->resize(900, 640);
    ASSERT_TRUE(QTest::qWaitFor([] { return Form3->size() == QSize(900, 640); }));
    Form3->close();
    EXPECT_EQ(stored("W3"), 900);
    EXPECT_EQ(stored("H3"), 640);
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form3));
    EXPECT_EQ(Form3->size(), QSize(900, 640));
}

// _MOTIF_WM_HINTS as xprop prints it: flags, functions, decorations, ...
static unsigned MotifFunctions(const QWidget* window) {
    const QStringList parts = Desktop::Property(window, "_MOTIF_WM_HINTS").split(QLatin1Char(','));
    return parts.size() > 1 ? parts[1].trimmed().toUInt(nullptr, 16) : 0xffffffffu;
}
constexpr unsigned kMinimize = 0x08, kMaximize = 0x10, kClose = 0x20;

TEST_F(DesktopWindows, StartWindowIsACentredDialogWithOnlyACloseBoxTitledKvadrix) {
    start();
    ASSERT_TRUE(Desktop::ShowActive(Form0));
    ASSERT_TRUE(QTest::qWaitFor([] { return Desktop::Frame(Form0).center() == Desk().center(); }))
        << Desktop::Frame(Form0).x() << "," << Desktop::Frame(Form0).y();
    EXPECT_TRUE(
        Desktop::Property(Form0, "_NET_WM_WINDOW_TYPE").startsWith("_NET_WM_WINDOW_TYPE_DIALOG"));
    const unsigned functions = MotifFunctions(Form0);
    EXPECT_EQ(functions & (kMinimize | kMaximize), 0u);
    EXPECT_NE(functions & kClose, 0u);
    // Task bars and window lists name the program.
    EXPECT_EQ(Desktop::Property(Form0, "_NET_WM_NAME").remove('"').trimmed(), "Kvadrix");
    EXPECT_EQ(Desktop::Property(Form0, "WM_NAME").remove('"').trimmed(), "Kvadrix");
}

TEST_F(DesktopWindows, ProgressWindowHasNoButtonsInItsFrame) {
    start();
    Form5->Start(QStringLiteral("Finding BEXs"));
    ASSERT_TRUE(Desktop::Framed(Form5));
    EXPECT_EQ(MotifFunctions(Form5) & (kMinimize | kMaximize | kClose), 0u);
    EXPECT_TRUE(QTest::qWaitFor([] { return Desktop::Frame(Form5).center() == Desk().center(); }))
        << Desktop::Frame(Form5).x() << "," << Desktop::Frame(Form5).y() << " "
        << Desktop::Frame(Form5).width() << "x" << Desktop::Frame(Form5).height();
    Form5->Finish();
}
