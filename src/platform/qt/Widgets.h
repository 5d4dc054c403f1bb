// Small builders for the controls the windows share: named radio buttons in group boxes,
// tool-bar buttons with icons, and texts in the program's language. Every control gets
// its name as objectName, so that tests find it with findChild.
#pragma once

#include <QIcon>
#include <QString>
#include <QStyle>

class QFont;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QToolBar;
class QToolButton;
class QWidget;

namespace kx {

// The text of the program's current language (both given as UTF-8).
QString Tr(const char* english, const char* lithuanian);

// A radio button added to the vertical layout of a group box made by Group.
QRadioButton* Radio(QGroupBox* box, const char* name, const QString& text);

// A group box with a tight vertical layout and its own font.
QGroupBox* Group(QWidget* parent, const char* name, const QFont& font);

// A flat tool-bar button with its icon and its text beside it.
QToolButton* ToolButton(QToolBar* bar, const char* name, const QIcon& icon);

// A flat tool button (tool bar, flags) shows the keyboard focus as a frame in the
// highlight colour: the platform's style shows none on such buttons.
void ShowFocusFrame(QToolButton* button);

// Enter presses the focused push or tool button of the window, as Space does, in every
// window as on the platform the program comes from. Call it once the buttons exist.
void EnterPressesButtons(QWidget* window);

// The desktop theme's icon of that name, or the style's standard one.
QIcon ThemeIcon(const char* theme, QStyle::StandardPixmap fallback);

// Makes a field hold only what Windows-1257 can store, whether typed or pasted: a letter
// the code page lacks becomes its closest letter ("Juán Muñoz" gives "Juan Munoz"); a
// character without one (李, emoji) is refused with an error message that names it and
// the field (the text of the label whose buddy is the field or its combo box).
void HoldCp1257Text(QLineEdit* field);

}  // namespace kx
