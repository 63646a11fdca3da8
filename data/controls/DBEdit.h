#pragma once

#include <QLineEdit>

#include "DBFieldLink.h"

// An edit box for one field of the current row. What is typed goes into the row at once, starting its
// edit, so that any store, whoever makes it, takes what the box shows; the box follows the cursor.
class DBEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)

public:
    explicit DBEdit(QWidget* parent = nullptr);

    DataSource* dataSource() const { return link_.dataSource(); }
    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    QString dataField() const { return link_.dataField(); }
    void setDataField(const QString& field) { link_.setDataField(field); }

private:
    void showField(const QString& text);
    void store(const QString& text);

    DBFieldLink link_;
    bool storing_ = false;
};
