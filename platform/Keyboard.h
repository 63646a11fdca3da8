#pragma once

class QAbstractButton;
class QKeyEvent;
class QString;
class QWidget;

namespace platform {

// Whether a key is Enter, on the main block (Return) or on the keypad, with no other key held.
bool IsPlainEnter(const QKeyEvent* event);

// A button of a fixed window that the keyboard can work too: Tab reaches it (a button that took no
// focus still takes none from a click, so the window behaves as it always did), Space presses it, as
// every button's own key, and so does Enter. Enter held down presses it once.
void PressableByKeyboard(QAbstractButton* button);

// What a screen reader says of a control: its name and, where the name alone does not tell what it
// does, a description.
void SetAccessibleTexts(QWidget* control, const QString& name, const QString& description);

}  // namespace platform
