#pragma once

#include <QLabel>

#include "DBFieldLink.h"

// A static text showing one field of the current row: centred, word-wrapped, transparent, and
// clickable anywhere in its rectangle, not only on the letters.
class DBText : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)

public:
    explicit DBText(QWidget* parent = nullptr);

    DataSource* dataSource() const { return link_.dataSource(); }
    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    QString dataField() const { return link_.dataField(); }
    void setDataField(const QString& field) { link_.setDataField(field); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    DBFieldLink link_;
};
