// Real input through the window system: keys go to the X server (XTest, by xdotool) and
// reach the windows the way a user's keys do, through the window manager's focus.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace kxtest {

class Desktop : public QObject {
public:
    static void Init() { qApp->installEventFilter(&Self()); }

    // Presses and releases keys by their X names ("Tab", "Return", "shift+Tab", "a").
    static void Keys(const QString& keys) {
        Run({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("15")},
            keys.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }

    // Types a text, one key per character.
    static void Type(const QString& text) {
        Run({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15")}, {text});
    }

    // Shows a window and waits until the window manager has framed it and given it the
    // keyboard.
    static bool ShowActive(QWidget* window) {
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window, 5000)) return false;
        return Framed(window);
    }

    // Waits until the window manager has framed the window and Qt knows its frame.
    static bool Framed(QWidget* window) {
        return QTest::qWaitFor(
            [window] {
                return window->windowHandle() && !window->windowHandle()->frameMargins().isNull();
            },
            5000);
    }

    // The window's frame as the window manager put it on the screen.
    static QRect Frame(const QWidget* window) { return window->windowHandle()->frameGeometry(); }

    // A window property as xprop prints it ("" when the window lacks it).
    static QString Property(const QWidget* window, const char* name) {
        QProcess p;
        p.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QString::fromLatin1(name)});
        p.waitForFinished(5000);
        const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        const qsizetype at = out.indexOf(QLatin1Char('='));
        return at < 0 ? QString() : out.mid(at + 1).trimmed();
    }

protected:
    // A key release of Pause (a key no window uses) ends every batch of keys: once it
    // arrives, Qt has handled every key before it.
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Pause) {
                if (event->type() == QEvent::KeyRelease) marker_ = true;
                return true;
            }
        }
        return false;
    }

private:
    bool marker_ = false;

    static Desktop& Self() {
        static Desktop desktop;
        return desktop;
    }

    static void Run(QStringList command, const QStringList& args) {
        command << args;
        Self().marker_ = false;
        QProcess::execute(QStringLiteral("xdotool"), command);
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("key"), QStringLiteral("Pause")});
        if (!QTest::qWaitFor([] { return Self().marker_; }, 5000))
            ADD_FAILURE() << "keys did not arrive: xdotool " << command.join(' ').toStdString();
        QApplication::processEvents();
    }
};

}  // namespace kxtest
