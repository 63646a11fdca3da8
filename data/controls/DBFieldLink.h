#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "data/cursor/DataSource.h"

// Ties a data-aware control to one field of a data source's current row. It reports the field's
// text whenever the cursor moves, the row's values or the table's state change, or the table is
// read afresh, so the control never shows a row other than the current one.
class DBFieldLink : public QObject {
    Q_OBJECT

public:
    explicit DBFieldLink(QObject* parent = nullptr);

    DataSource* dataSource() const { return source_; }
    void setDataSource(DataSource* source);
    QString dataField() const { return field_; }
    void setDataField(const QString& field);

    // The field of the current row as text; empty when unbound, the table is closed or has no
    // such field, so that a control never fails while it paints.
    QString text() const;

signals:
    void changed(const QString& text);

private:
    void refresh();

    QPointer<DataSource> source_;
    QString field_;
    QMetaObject::Connection connections_[4];
};
