#pragma once

#include <QPointer>
#include <QWidget>

class DataSource;
class QToolButton;

// A record navigator with three buttons: insert a row before the current one, delete the current row
// at once, store the pending change. Each is enabled only when it can act. The buttons take the focus
// from Tab only, so a click leaves an open cell editor of a grid where it is; Space or Enter presses
// the focused one. Each tells what it does in a tooltip, in the program's language.
class DBNavigator : public QWidget {
    Q_OBJECT

public:
    enum class Button { Insert, Delete, Post };

    explicit DBNavigator(QWidget* parent = nullptr);

    DataSource* dataSource() const { return source_; }
    void setDataSource(DataSource* source);
    QToolButton* button(Button which) const { return buttons_[int(which)]; }

    // What a click on a button does; a failure is shown in the error box.
    void BtnClick(Button which);

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateButtons();
    void nameButtons();

    QPointer<DataSource> source_;
    QList<QMetaObject::Connection> connections_;
    QToolButton* buttons_[3];
};
