#include "platform/qt/WindowPlace.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

#include "platform/Ini.h"
#include "platform/Settings.h"

namespace kx {
namespace {

// Farther than any desktop reaches; keeps sums on hand-edited values in range.
constexpr int kFar = 1 << 20;

// The window system's answer, not the widget's copy: that copy is taken at the last move
// and may be older than the frame. While the window manager is still framing a window
// the answer can be nonsense (a frame smaller than the client area): none then.
QMargins MarginsOf(const QWidget* w) {
    const QWindow* handle = w->windowHandle();
    if (!handle || !w->isVisible()) return {};
    const QMargins m = handle->frameMargins();
    const auto sane = [](int side) { return side >= 0 && side < 256; };
    return sane(m.left()) && sane(m.top()) && sane(m.right()) && sane(m.bottom()) ? m : QMargins();
}

bool Framed(const QWidget* w) {
    return !MarginsOf(w).isNull();
}

// The frame around a window's client area: its own once the window manager has framed
// it, otherwise that of another framed window of the program, otherwise none.
QMargins FrameMargins(const QWidget* window) {
    if (Framed(window)) return MarginsOf(window);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && Framed(other)) return MarginsOf(other);
    }
    return {};
}

// The available area of the screen a frame opens on: the one it covers most, else the
// nearest; empty without screens.
QRect ScreenAreaFor(const QRect& frame) {
    QRect best;
    long long covered = 0, nearest = std::numeric_limits<long long>::max();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        const QRect common = area.intersected(frame);
        const long long a = common.isEmpty() ? 0 : 1LL * common.width() * common.height();
        if (a > covered) {
            covered = a;
            best = area;
        }
        if (covered > 0) continue;
        const long long dx =
            std::max({area.left() - frame.right(), frame.left() - area.right(), 0});
        const long long dy =
            std::max({area.top() - frame.bottom(), frame.top() - area.bottom(), 0});
        if (dx * dx + dy * dy < nearest) {
            nearest = dx * dx + dy * dy;
            best = area;
        }
    }
    return best;
}

// The frame moved as little as needed to lie whole in the area (its top-left corner
// inside when it is larger).
QRect Inside(QRect frame, const QRect& area) {
    frame.moveLeft(std::clamp(frame.left(), area.left(),
                              std::max(area.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::clamp(frame.top(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - frame.height())));
    return frame;
}

// A frame that lies off every screen is brought onto the nearest one, whole.
QRect OnScreen(QRect frame) {
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(frame)) return frame;
    const QRect area = ScreenAreaFor(frame);
    return area.isEmpty() ? frame : Inside(frame, area);
}

// The corner of a window's frame at a wanted place, brought onto a screen when the place
// lies off every screen.
QPoint OnScreenCorner(QWidget* window, QPoint frameTopLeft) {
    const QPoint wanted(std::clamp(frameTopLeft.x(), -kFar, kFar),
                        std::clamp(frameTopLeft.y(), -kFar, kFar));
    return OnScreen(QRect(wanted, window->size().grownBy(FrameMargins(window)))).topLeft();
}

// Puts the frame's top-left corner at the point.
void MoveFrame(QWidget* window, QPoint at) {
    if (!window->windowHandle()) window->winId();
    QWindow* handle = window->windowHandle();
    if (Framed(window)) {
        // The frame is known. The widget moves its frame's corner there when its own copy
        // of the frame is up to date; otherwise the window system is asked directly.
        const QMargins m = MarginsOf(window);
        if (window->geometry().topLeft() - window->pos() == QPoint(m.left(), m.top())) {
            window->move(at);
        } else if (handle->framePosition() != at) {
            handle->setFramePosition(at);
        }
        return;
    }
    // Not framed yet: Qt's own idea of the place, then the window system is asked to put
    // the frame's corner, not the client area's, at the point when it frames the window.
    window->move(at);
    if (handle) {
        // In the widget's size, or Qt sets the client area's place once more on showing.
        handle->resize(window->size());
        handle->setFramePosition(at);
    }
}

// Watches a window that was placed before the window manager framed it until its frame
// stands where it belongs: only once framed is the frame's size known (for centring and
// for keeping it on the screen), and a window manager may have put the client area's
// corner at the point. Looks now and then for a second; stops once the frame is there.
class PlaceWhenFramed final : public QObject {
public:
    PlaceWhenFramed(QWidget* window, std::function<QPoint()> target)
        : QObject(window), window_(window), target_(std::move(target)) {
        delete window->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly);
        setObjectName(kName);
        connect(&poll_, &QTimer::timeout, this, [this] {
            if (++polls_ > kPolls) {
                deleteLater();
                poll_.stop();
            } else if (Framed(window_)) {
                const QPoint at = target_();
                if (window_->windowHandle()->framePosition() == at) {
                    poll_.stop();
                    deleteLater();
                } else {
                    MoveFrame(window_, at);
                }
            }
        });
        poll_.start(kPollMs);
    }

private:
    static constexpr const char* kName = "kxPlaceWhenFramed";
    static constexpr int kPollMs = 25;
    static constexpr int kPolls = 40;
    QWidget* window_;
    std::function<QPoint()> target_;
    QTimer poll_;
    int polls_ = 0;
};

void Place(QWidget* window, std::function<QPoint()> target) {
    // The size the window will be shown in: polished, its layout applied.
    window->ensurePolished();
    if (QLayout* layout = window->layout()) layout->activate();
    const bool framed = Framed(window);
    MoveFrame(window, target());
    if (!framed) new PlaceWhenFramed(window, std::move(target));
}

QPoint CentredCorner(const QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    QRect frame(QPoint(), window->size().grownBy(FrameMargins(window)));
    if (screen) frame.moveCenter(screen->availableGeometry().center());
    return frame.topLeft();
}

}  // namespace

void PlaceWindow(QWidget* window, QPoint frameTopLeft) {
    Place(window, [window, frameTopLeft] { return OnScreenCorner(window, frameTopLeft); });
}

void PlaceWindow(QWidget* window, QPoint frameTopLeft, QSize size) {
    const QPoint wanted(std::clamp(frameTopLeft.x(), -kFar, kFar),
                        std::clamp(frameTopLeft.y(), -kFar, kFar));
    const QSize asked = size.boundedTo(QSize(kFar, kFar)).expandedTo(window->minimumSize());
    // The size with the frame as far as it is known: again once the window is framed, as
    // the first showing knows no frame.
    auto fit = [window, wanted, asked] {
        const QMargins margins = FrameMargins(window);
        const QRect area = ScreenAreaFor(QRect(wanted, asked.grownBy(margins)));
        const QSize fitted =
            area.isEmpty()
                ? asked
                : asked.boundedTo(area.size().shrunkBy(margins)).expandedTo(window->minimumSize());
        if (window->size() != fitted) window->resize(fitted);
    };
    fit();
    Place(window, [window, wanted, fit] {
        if (Framed(window)) fit();
        const QRect frame(wanted, window->size().grownBy(FrameMargins(window)));
        const QRect on = ScreenAreaFor(frame);
        return on.isEmpty() ? wanted : Inside(frame, on).topLeft();
    });
}

QPoint WindowPlace(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle ? handle->framePosition() : window->pos();
}

void CentreWindow(QWidget* window) {
    Place(window, [window] { return CentredCorner(window); });
}

void RestoreWindowPlace(QWidget* window, int number, QPoint defaultPlace) {
    const IniFile& ini = SettingsFile;
    using settings::kWindowsSection, settings::WindowKey;
    PlaceWindow(window,
                {ini.ReadInteger(kWindowsSection, WindowKey('X', number), defaultPlace.x()),
                 ini.ReadInteger(kWindowsSection, WindowKey('Y', number), defaultPlace.y())});
}

void RestoreWindowPlace(QWidget* window, int number, QPoint defaultPlace, QSize defaultSize) {
    const IniFile& ini = SettingsFile;
    using settings::kWindowsSection, settings::WindowKey;
    PlaceWindow(window,
                {ini.ReadInteger(kWindowsSection, WindowKey('X', number), defaultPlace.x()),
                 ini.ReadInteger(kWindowsSection, WindowKey('Y', number), defaultPlace.y())},
                {ini.ReadInteger(kWindowsSection, WindowKey('W', number), defaultSize.width()),
                 ini.ReadInteger(kWindowsSection, WindowKey('H', number), defaultSize.height())});
}

void SaveWindowPlace(const QWidget* window, int number, bool withSize) {
    IniFile& ini = SettingsFile;
    using settings::kWindowsSection, settings::WindowKey;
    const QPoint place = WindowPlace(window);
    ini.WriteInteger(kWindowsSection, WindowKey('X', number), place.x());
    ini.WriteInteger(kWindowsSection, WindowKey('Y', number), place.y());
    if (!withSize) return;
    ini.WriteInteger(kWindowsSection, WindowKey('W', number), window->width());
    ini.WriteInteger(kWindowsSection, WindowKey('H', number), window->height());
}

}  // namespace kx
