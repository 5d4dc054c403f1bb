// Where windows stand on the desktop. A window's place is the top-left corner of its
// frame, the corner the user sees and moves; it is stored and restored as that corner,
// so a window comes back exactly where it was left, run after run.
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace kx {

// Puts the window's frame at `frameTopLeft`, also before the window manager has framed
// it (the first showing): the window manager is asked to put the frame, not the client
// area, at that point. A place off every screen brings the window onto the nearest
// screen, whole. Call it before showing or from the window's show handler.
void PlaceWindow(QWidget* window, QPoint frameTopLeft);

// The same for a window whose size is stored too: the window takes `size`, no smaller than
// its minimum size and, frame included, no larger than the screen it opens on (the one
// the frame at that place covers most, else the nearest); its frame is kept whole on
// that screen, moved in as little as needed.
void PlaceWindow(QWidget* window, QPoint frameTopLeft, QSize size);

// The place to store for a window: the top-left corner of its frame.
QPoint WindowPlace(const QWidget* window);

// The place (and, with a default size, the size) the window was left at in the settings
// file under its number (keys X<n>, Y<n>, W<n>, H<n> of [WINDOWS]), or the defaults, put
// as PlaceWindow puts it.
void RestoreWindowPlace(QWidget* window, int number, QPoint defaultPlace);
void RestoreWindowPlace(QWidget* window, int number, QPoint defaultPlace, QSize defaultSize);
// Stores the window's place (and its size when withSize) in the settings file under its
// number. Throws the settings file's write error.
void SaveWindowPlace(const QWidget* window, int number, bool withSize);

// Centres the window, frame included, on the primary screen. When the frame is not
// known yet, the window is centred again as soon as it is.
void CentreWindow(QWidget* window);

}  // namespace kx
