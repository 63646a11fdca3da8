#pragma once

#include <QMouseEvent>
#include <QTreeWidget>

// A tree that tells about every double-click inside it, on an entry or not, after the tree itself
// has handled it (which expands or collapses an entry with items).
class TreeView : public QTreeWidget {
    Q_OBJECT

public:
    explicit TreeView(QWidget* parent = nullptr) : QTreeWidget(parent) {}

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QTreeWidget::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton) emit doubleClicked();
    }
};
