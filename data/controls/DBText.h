#pragma once

#include <QLabel>

#include "DBFieldLink.h"

// A static text showing one field of the current row: centred, word-wrapped, transparent, and
// clickable anywhere in its rectangle, not only on the letters. Tab reaches it (a click leaves the
// focus where it was), and Space or Enter clicks it; a screen reader meets it as a button named by
// its accessible name and its text ("Ответ A: 4-a").
class DBText : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)

public:
    explicit DBText(QWidget* parent = nullptr);

    DataSource* dataSource() const { return link_.dataSource(); }
    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    QString dataField() const { return link_.dataField(); }
    void setDataField(const QString& field) { link_.setDataField(field); }

    // What a click does, for the keyboard and for screen readers.
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    DBFieldLink link_;
};
