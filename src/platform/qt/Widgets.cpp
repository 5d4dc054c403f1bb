#include "platform/qt/Widgets.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionComplex>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

#include "platform/Globals.h"
#include "platform/qt/QtText.h"
#include "platform/qt/Services.h"

namespace kx {

namespace {

class EnterPresses final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) || key->isAutoRepeat())
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || !button->isEnabled() || !button->isVisible()) return false;
        button->click();
        return true;
    }
};

}  // namespace

void EnterPressesButtons(QWidget* window) {
    auto* filter = new EnterPresses(window);
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (qobject_cast<QPushButton*>(button) || qobject_cast<QToolButton*>(button))
            button->installEventFilter(filter);
    }
}

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

namespace {

// The program's style, with a focus frame drawn over a tool button that has the focus.
class FocusFrameStyle : public QProxyStyle {
public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control != CC_ToolButton || !(option->state & State_HasFocus)) return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(1, 1, -1, -1), 3, 3);
        painter->restore();
    }
};

}  // namespace

void ShowFocusFrame(QToolButton* button) {
    static QPointer<FocusFrameStyle> style;
    if (!style) {
        style = new FocusFrameStyle;
        style->setParent(qApp);
    }
    button->setStyle(style);
}

QIcon ThemeIcon(const char* theme, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(theme),
                            QApplication::style()->standardIcon(fallback));
}

namespace {

class Cp1257FoldValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        qsizetype bad = -1;
        const QString folded = FoldForCp1257(input, &bad);
        if (bad >= 0) {
            refused_ = input;
            refusedAt_ = bad;
            return Invalid;
        }
        refusedAt_ = -1;
        if (folded != input) {
            pos = static_cast<int>(FoldForCp1257(input.left(pos)).size());
            input = folded;
        }
        return Acceptable;
    }

    // The text and position of the character the last validation refused, once.
    bool TakeRefused(QString* text, qsizetype* at) {
        if (refusedAt_ < 0) return false;
        *text = refused_;
        *at = refusedAt_;
        refusedAt_ = -1;
        return true;
    }

private:
    mutable QString refused_;
    mutable qsizetype refusedAt_ = -1;
};

// The name of a field: its label's text without the shortcut mark.
QString FieldName(QLineEdit* field) {
    QWidget* window = field->window();
    for (QLabel* label : window->findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (buddy && (buddy == field || buddy == field->parentWidget()))
            return label->text().remove(QLatin1Char('&')).trimmed();
    }
    return field->objectName();
}

}  // namespace

void HoldCp1257Text(QLineEdit* field) {
    auto* validator = new Cp1257FoldValidator(field);
    field->setValidator(validator);
    QObject::connect(field, &QLineEdit::inputRejected, field, [field, validator] {
        QString text;
        qsizetype at = -1;
        if (validator->TakeRefused(&text, &at))
            ShowError(field->window(), CannotStoreMessage(text, at, FieldName(field)));
    });
}

}  // namespace kx
