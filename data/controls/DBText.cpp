#include "DBText.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "platform/Keyboard.h"

namespace {

// A clickable text is a button to a screen reader: it is pressed, and it reads as its name followed
// by the field's text.
class DBTextAccessible final : public QAccessibleWidget {
public:
    explicit DBTextAccessible(DBText* text) : QAccessibleWidget(text, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        const QString name = widget()->accessibleName();
        const QString shown = static_cast<DBText*>(widget())->text();
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        if (name.isEmpty()) return shown;
        return shown.isEmpty() ? name : name + QStringLiteral(": ") + shown;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) static_cast<DBText*>(widget())->click();
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        return action == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList();
    }
};

QAccessibleInterface* AccessibleDBText(const QString& className, QObject* object) {
    if (className == QLatin1String("DBText") && qobject_cast<DBText*>(object))
        return new DBTextAccessible(static_cast<DBText*>(object));
    return nullptr;
}

}  // namespace

DBText::DBText(QWidget* parent) : QLabel(parent) {
    static const bool readable = (QAccessible::installFactory(AccessibleDBText), true);
    Q_UNUSED(readable);
    // Field texts are shown as stored: a "<" in an answer must not turn it into markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setAutoFillBackground(false);  // transparent: the window shows through
    setFocusPolicy(Qt::TabFocus);
    connect(&link_, &DBFieldLink::changed, this, &QLabel::setText);
}

void DBText::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::mousePressEvent(event);
}

void DBText::keyPressEvent(QKeyEvent* event) {
    const bool space = event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier;
    if (!space && !platform::IsPlainEnter(event)) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    // Held down, the key clicks once.
    if (!event->isAutoRepeat()) emit clicked();
}

void DBText::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    // The style draws the frame only once the keyboard has moved the focus in this window, so a
    // text looks as it always did until Tab is used.
    QPainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}
