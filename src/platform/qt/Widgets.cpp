#include "platform/qt/Widgets.h"

#include <QApplication>
#include <QGroupBox>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/Globals.h"

namespace kx {

QString Tr(const char* english, const char* lithuanian) {
    return IsLithuanian() ? QString::fromUtf8(lithuanian) : QString::fromUtf8(english);
}

QRadioButton* Radio(QGroupBox* box, const char* name, const QString& text) {
    auto* rb = new QRadioButton(text, box);
    rb->setObjectName(QString::fromLatin1(name));
    box->layout()->addWidget(rb);
    return rb;
}

QGroupBox* Group(QWidget* parent, const char* name, const QFont& font) {
    auto* gb = new QGroupBox(parent);
    gb->setObjectName(QString::fromLatin1(name));
    gb->setFont(font);
    auto* lay = new QVBoxLayout(gb);
    lay->setContentsMargins(6, 4, 4, 4);
    lay->setSpacing(1);
    return gb;
}

QToolButton* ToolButton(QToolBar* bar, const char* name, const QIcon& icon) {
    auto* bt = new QToolButton(bar);
    bt->setObjectName(QString::fromLatin1(name));
    bt->setIcon(icon);
    bt->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bt->setAutoRaise(true);
    bar->addWidget(bt);
    return bt;
}

QIcon ThemeIcon(const char* theme, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(theme),
                            QApplication::style()->standardIcon(fallback));
}

}  // namespace kx
