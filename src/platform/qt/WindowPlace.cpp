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

// A frame that lies off every screen is brought onto the nearest one, whole.
QRect OnScreen(QRect frame) {
    const QScreen* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        if (area.intersects(frame)) return frame;
        const long long dx =
            std::max({area.left() - frame.right(), frame.left() - area.right(), 0});
        const long long dy =
            std::max({area.top() - frame.bottom(), frame.top() - area.bottom(), 0});
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = screen;
        }
    }
    if (!nearest) return frame;
    const QRect area = nearest->availableGeometry();
    frame.moveLeft(std::clamp(frame.left(), area.left(),
                              std::max(area.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::clamp(frame.top(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - frame.height())));
    return frame;
}

// Runs a placement once more when the window manager has framed the window: only then
// is the frame's size known, and a window whose size settled while it was being shown
// may have been put by its client area's corner.
class AgainWhenFramed final : public QObject {
public:
    AgainWhenFramed(QWidget* window, std::function<void()> place)
        : QObject(window), window_(window), place_(std::move(place)) {
        delete window->findChild<QObject*>(kAgainName, Qt::FindDirectChildrenOnly);
        setObjectName(kAgainName);
        window->installEventFilter(this);
        // The frame's size may come after the window's last event: look now and then too.
        connect(&poll_, &QTimer::timeout, this, [this] {
            if (++polls_ > kPolls) {
                Done();
            } else if (Framed(window_)) {
                Done();
                place_();
            }
        });
        poll_.start(kPollMs);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (watched == window_ &&
            (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Paint) &&
            Framed(window_)) {
            Done();
            place_();
        }
        return false;
    }

private:
    static constexpr int kPollMs = 15;
    static constexpr int kPolls = 200;
    void Done() {
        poll_.stop();
        window_->removeEventFilter(this);
        deleteLater();
    }
    QTimer poll_;
    int polls_ = 0;
    static constexpr const char* kAgainName = "kxPlaceAgain";
    QWidget* window_;
    std::function<void()> place_;
};

void Place(QWidget* window, QPoint frameTopLeft) {
    // The size the window will be shown in: polished, its layout applied.
    window->ensurePolished();
    if (QLayout* layout = window->layout()) layout->activate();
    const QPoint wanted(std::clamp(frameTopLeft.x(), -kFar, kFar),
                        std::clamp(frameTopLeft.y(), -kFar, kFar));
    const QPoint at =
        OnScreen(QRect(wanted, window->size().grownBy(FrameMargins(window)))).topLeft();
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

QPoint CentredCorner(const QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    QRect frame(QPoint(), window->size().grownBy(FrameMargins(window)));
    if (screen) frame.moveCenter(screen->availableGeometry().center());
    return frame.topLeft();
}

}  // namespace

void PlaceWindow(QWidget* window, QPoint frameTopLeft) {
    const bool framed = Framed(window);
    Place(window, frameTopLeft);
    if (!framed)
        new AgainWhenFramed(window, [window, frameTopLeft] { Place(window, frameTopLeft); });
}

QPoint WindowPlace(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle ? handle->framePosition() : window->pos();
}

void CentreWindow(QWidget* window) {
    const bool framed = Framed(window);
    Place(window, CentredCorner(window));
    if (!framed) new AgainWhenFramed(window, [window] { Place(window, CentredCorner(window)); });
}

}  // namespace kx
