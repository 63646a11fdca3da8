#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariant>

class Connection;

// One table of the course database, read whole into memory in the database's own order, with one
// cursor (the current row) and a pending change of at most one row.
//
// The cursor rules the windows rely on:
// - an open table with rows always has a current row; reading a field gives its text, a null or a
//   read on an empty table gives empty text;
// - next on the last row and prior on the first leave the cursor where it is;
// - edit while a change is pending continues it; edit on an empty table starts a new row;
// - post stores the pending change and the row stays current;
// - moving the cursor while a change is pending stores it when a field was changed and drops it
//   otherwise;
// - a failed store throws and leaves the change pending, so that the next store or move retries it.
class DataSet : public QObject {
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit DataSet(Connection* connection, QObject* parent = nullptr);
    ~DataSet() override;

    QString tableName() const { return tableName_; }
    // Another name for an open table is refused.
    void setTableName(const QString& name);

    // Opens the connection if needed and reads the whole table. Opening an open table changes nothing.
    void open();
    // Drops a pending change.
    void close();
    bool isActive() const { return state_ != State::Inactive; }
    State state() const { return state_; }
    bool isEditing() const { return state_ == State::Edit || state_ == State::Insert; }

    int recordCount() const { return int(rows_.size()); }
    bool isEmpty() const { return rows_.isEmpty(); }
    // Index of the current row, -1 when there is none.
    int currentRow() const { return current_; }

    QStringList fieldNames() const { return fields_; }
    // Case-insensitive; -1 when the table has no such field.
    int fieldIndex(const QString& name) const;
    // Like fieldIndex, but a missing field is a failure ("Field 'x' not found").
    int field(const QString& name) const;

    // Value of a field in a row, the pending change included.
    QVariant value(int row, int field) const;
    // Text of a field of the current row.
    QString fieldText(const QString& name) const;
    QString fieldText(int field) const;
    // Sets a field of the current row; the table must be editing (Edit or Insert).
    void setFieldText(const QString& name, const QString& text);
    void setValue(int field, const QVariant& value);
    bool isModified() const { return !modified_.isEmpty(); }

    void first();
    void last();
    void next();
    void prior();
    void moveTo(int row);
    // Moves to the first row, from the top, whose field equals the value; false when none does,
    // and the cursor then stays.
    bool locate(const QString& fieldName, const QVariant& value);

    void edit();
    // A new row before the current one (insert) or after the last (append).
    void insert();
    void append();
    void post();
    void cancel();
    // Deletes the current row; a pending new row is only dropped.
    void remove();
    // Stores a pending change that changed a field and drops any other.
    void checkBrowseMode();

signals:
    void stateChanged();
    void currentChanged();
    // Values of a row changed (a field set, a store, a dropped change).
    void rowChanged(int row);
    void rowInserted(int row);
    void rowRemoved(int row);
    void reset();

private:
    struct Row {
        QVariant key;  // invalid for a new row not yet stored
        QList<QVariant> values;
    };

    void requireActive() const;
    void setState(State state);
    void setCurrent(int row);
    void beginInsert(int at);
    void storeEdit();
    void storeInsert();
    QString matchOriginal(const Row& row, QVariantList& bindings) const;
    [[noreturn]] void failChangedByOthers(bool storing);

    Connection* connection_;
    QString tableName_;
    State state_ = State::Inactive;
    QStringList fields_;
    QList<Row> rows_;
    int current_ = -1;
    QList<QVariant> buffer_;  // the pending values of the current row
    QSet<int> modified_;
    int rowBeforeInsert_ = -1;
};
