#pragma once

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>

#include "platform/Keyboard.h"

// A tree that tells about every double-click inside it, on an entry or not, after the tree itself
// has handled it (which expands or collapses an entry with items), and about Enter pressed on it
// while no label is being edited (an edited label takes Enter itself).
class TreeView : public QTreeWidget {
    Q_OBJECT

public:
    explicit TreeView(QWidget* parent = nullptr) : QTreeWidget(parent) {}

signals:
    void doubleClicked();
    void enterPressed();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QTreeWidget::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton) emit doubleClicked();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!platform::IsPlainEnter(event) || state() == EditingState) {
            QTreeWidget::keyPressEvent(event);
            return;
        }
        event->accept();
        // Held down, Enter opens one page, not one for every repeat.
        if (!event->isAutoRepeat()) emit enterPressed();
    }
};
