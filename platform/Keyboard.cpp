#include "Keyboard.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace platform {

namespace {

// Presses its button when Enter goes to it; it lives as long as the button.
class EnterPresses final : public QObject {
public:
    explicit EnterPresses(QAbstractButton* button) : QObject(button), button_(button) {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (!IsPlainEnter(key)) return false;
        if (!key->isAutoRepeat()) button_->click();
        return true;
    }

private:
    QAbstractButton* button_;
};

}  // namespace

bool IsPlainEnter(const QKeyEvent* event) {
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void PressableByKeyboard(QAbstractButton* button) {
    // A button a click already focuses keeps that.
    if (!(button->focusPolicy() & Qt::TabFocus)) button->setFocusPolicy(Qt::TabFocus);
    new EnterPresses(button);
}

void SetAccessibleTexts(QWidget* control, const QString& name, const QString& description) {
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

}  // namespace platform
