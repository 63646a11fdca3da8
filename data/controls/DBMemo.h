#pragma once

#include <QPlainTextEdit>

#include "DBFieldLink.h"

// A read-only multi-line text showing one field of the current row.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)

public:
    explicit DBMemo(QWidget* parent = nullptr);

    DataSource* dataSource() const { return link_.dataSource(); }
    void setDataSource(DataSource* source) { link_.setDataSource(source); }
    QString dataField() const { return link_.dataField(); }
    void setDataField(const QString& field) { link_.setDataField(field); }

private:
    DBFieldLink link_;
};
