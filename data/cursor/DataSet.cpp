#include "DataSet.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "Connection.h"
#include "platform/failure/Failure.h"

using platform::Failure;

DataSet::DataSet(Connection* connection, QObject* parent) : QObject(parent), connection_(connection) {
    connect(connection_, &Connection::closing, this, &DataSet::close);
}

DataSet::~DataSet() = default;

void DataSet::setTableName(const QString& name) {
    if (name == tableName_) return;
    if (isActive()) throw Failure(tr("Cannot perform this operation on an open dataset"));
    tableName_ = name;
}

void DataSet::requireActive() const {
    if (!isActive()) throw Failure(tr("Cannot perform this operation on a closed dataset"));
}

namespace {
// The columns of a "SELECT rowid, * ..." (or "RETURNING rowid, *") record that are the table's
// fields: all but the key in front, and the key again where the table carries it as a column.
QList<int> fieldColumns(const QSqlRecord& record) {
    QList<int> columns;
    for (int i = 1; i < record.count(); ++i)
        if (!Connection::isRowKey(record.fieldName(i))) columns << i;
    return columns;
}
}  // namespace

void DataSet::open() {
    if (isActive()) return;
    connection_->open();
    // Ordered by the key: the order rows were stored in, the same on every back end.
    const QString sql =
        QStringLiteral("SELECT %1, * FROM %2 ORDER BY 1").arg(Connection::rowKey(), quoteIdentifier(tableName_));
    const auto query = connection_->run(sql, {}, Connection::Repeat::AfterLostConnection);

    const QSqlRecord record = query->record();
    const QList<int> columns = fieldColumns(record);
    QStringList fields;
    for (int column : columns) fields << record.fieldName(column);
    QList<Row> rows;
    while (query->next()) {
        Row row{query->value(0), {}};
        row.values.reserve(columns.size());
        for (int column : columns) row.values.append(query->value(column));
        rows.append(std::move(row));
    }
    if (query->lastError().isValid())
        throw connection_->statementFailure(query->lastError(), Connection::Purpose::Open);
    query->finish();

    fields_ = fields;
    rows_ = std::move(rows);
    current_ = rows_.isEmpty() ? -1 : 0;
    buffer_.clear();
    modified_.clear();
    state_ = State::Browse;
    emit reset();
    emit stateChanged();
    emit currentChanged();
}

void DataSet::close() {
    if (!isActive()) return;
    rows_.clear();
    fields_.clear();
    buffer_.clear();
    modified_.clear();
    current_ = -1;
    state_ = State::Inactive;
    emit reset();
    emit stateChanged();
    emit currentChanged();
}

int DataSet::fieldIndex(const QString& name) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int DataSet::field(const QString& name) const {
    requireActive();
    const int index = fieldIndex(name);
    if (index < 0) throw Failure(tr("Field '%1' not found").arg(name));
    return index;
}

QVariant DataSet::value(int row, int field) const {
    if (row < 0 || row >= rows_.size() || field < 0 || field >= fields_.size()) return {};
    if (row == current_ && isEditing()) return buffer_.value(field);
    return rows_[row].values.value(field);
}

QString DataSet::fieldText(int field) const {
    const QVariant v = value(current_, field);
    return v.isNull() ? QString() : v.toString();
}

QString DataSet::fieldText(const QString& name) const { return fieldText(field(name)); }

void DataSet::setFieldText(const QString& name, const QString& text) { setValue(field(name), text); }

void DataSet::setValue(int field, const QVariant& value) {
    requireActive();
    if (!isEditing()) throw Failure(tr("Dataset not in edit or insert mode"));
    if (field < 0 || field >= fields_.size()) throw Failure(tr("Field index out of range"));
    buffer_[field] = value;
    modified_.insert(field);
    emit rowChanged(current_);
}

void DataSet::setState(State state) {
    if (state == state_) return;
    state_ = state;
    emit stateChanged();
}

void DataSet::setCurrent(int row) {
    if (row == current_) return;
    current_ = row;
    emit currentChanged();
}

void DataSet::checkBrowseMode() {
    requireActive();
    if (!isEditing()) return;
    if (isModified())
        post();
    else
        cancel();
}

void DataSet::first() { moveTo(0); }

void DataSet::last() {
    checkBrowseMode();
    moveTo(recordCount() - 1);
}

void DataSet::next() {
    checkBrowseMode();
    moveTo(current_ + 1);
}

void DataSet::prior() {
    checkBrowseMode();
    moveTo(current_ - 1);
}

void DataSet::moveTo(int row) {
    checkBrowseMode();
    if (rows_.isEmpty()) return;
    setCurrent(qBound(0, row, recordCount() - 1));
}

bool DataSet::locate(const QString& fieldName, const QVariant& wanted) {
    const int f = field(fieldName);
    checkBrowseMode();
    const QString wantedText = wanted.toString();
    for (int row = 0; row < rows_.size(); ++row) {
        const QVariant& v = rows_[row].values[f];
        if (!v.isNull() && v.toString() == wantedText) {
            setCurrent(row);
            return true;
        }
    }
    return false;
}

void DataSet::edit() {
    requireActive();
    if (isEditing()) return;
    if (rows_.isEmpty()) {
        insert();
        return;
    }
    buffer_ = rows_[current_].values;
    modified_.clear();
    setState(State::Edit);
}

void DataSet::beginInsert(int at) {
    checkBrowseMode();
    rowBeforeInsert_ = current_;
    Row row{QVariant(), QList<QVariant>(fields_.size())};
    rows_.insert(at, row);
    buffer_ = row.values;
    modified_.clear();
    current_ = at;
    emit rowInserted(at);
    setState(State::Insert);
    emit currentChanged();
}

void DataSet::insert() {
    requireActive();
    checkBrowseMode();
    beginInsert(rows_.isEmpty() ? 0 : current_);
}

void DataSet::append() {
    requireActive();
    checkBrowseMode();
    beginInsert(recordCount());
}

void DataSet::cancel() {
    if (state_ == State::Edit) {
        buffer_.clear();
        modified_.clear();
        setState(State::Browse);
        emit rowChanged(current_);
    } else if (state_ == State::Insert) {
        const int removed = current_;
        rows_.removeAt(removed);
        buffer_.clear();
        modified_.clear();
        // The row that was current before the insert becomes current again.
        current_ = rows_.isEmpty()
                       ? -1
                       : qBound(0, rowBeforeInsert_ < removed ? rowBeforeInsert_ : removed, recordCount() - 1);
        emit rowRemoved(removed);
        setState(State::Browse);
        emit currentChanged();
    }
}

QString DataSet::matchOriginal(const Row& row, QVariantList& bindings) const {
    // The row must still hold what was read: a row changed or deleted by someone else is not
    // overwritten silently.
    QString where = Connection::rowKey() + QStringLiteral(" = ?");
    bindings << row.key;
    for (int i = 0; i < fields_.size(); ++i) {
        where += QStringLiteral(" AND %1 IS NOT DISTINCT FROM ?").arg(quoteIdentifier(fields_[i]));
        bindings << row.values[i];
    }
    // And its key must name it alone: a key that several rows hold (a file's table with a column of
    // its own called rowid, a server table whose rowid is not unique) would change them all, so
    // such a store changes nothing. One statement, so a store costs one round trip to a server.
    where += QStringLiteral(" AND (SELECT count(*) FROM %1 WHERE %2 = ?) = 1")
                 .arg(quoteIdentifier(tableName_), Connection::rowKey());
    bindings << row.key;
    return where;
}

// Another user changed or deleted the current row since it was read. The row is read again: what
// it holds now becomes what it was read as, so the grid shows their values, fields the user did not
// change take them, and storing the change again (the user having been told) replaces theirs
// instead of being refused for ever. A row that is gone stays refused, and so does one whose key
// another row holds too.
void DataSet::failChangedByOthers(bool storing) {
    // Whole sentences, each translated as one.
    const QString message = storing ? tr("The row was changed or deleted by another user since it was read; your "
                                         "change is kept but was not stored")
                                    : tr("The row was changed or deleted by another user since it was read; it was "
                                         "not deleted");
    Row& row = rows_[current_];
    QList<QSqlRecord> found;
    try {
        const auto query = connection_->run(
            QStringLiteral("SELECT %1, * FROM %2 WHERE %1 = ?").arg(Connection::rowKey(), quoteIdentifier(tableName_)),
            {row.key}, Connection::Repeat::AfterLostConnection);
        while (found.size() < 2 && query->next()) found << query->record();
    } catch (const Failure&) {
        throw Failure(message);
    }
    if (found.isEmpty()) throw Failure(message);
    if (found.size() > 1)
        throw Failure((storing ? tr("Another row of %1 has the same %2 (%3), so this program cannot tell the two "
                                    "apart; your change is kept but was not stored")
                               : tr("Another row of %1 has the same %2 (%3), so this program cannot tell the two "
                                    "apart; it was not deleted"))
                          .arg(tableName_, Connection::rowKey(), row.key.toString()));
    const QList<int> columns = fieldColumns(found.first());
    for (int i = 0; i < fields_.size() && i < columns.size(); ++i) {
        row.values[i] = found.first().value(columns[i]);
        if (isEditing() && !modified_.contains(i)) buffer_[i] = row.values[i];
    }
    emit rowChanged(current_);
    throw Failure(storing ? tr("The row was changed or deleted by another user since it was read; your change is kept "
                               "but was not stored (storing it again replaces their change)")
                          : tr("The row was changed or deleted by another user since it was read; it was not "
                               "deleted (deleting it again deletes their version)"));
}

void DataSet::storeEdit() {
    Row& row = rows_[current_];
    QStringList sets;
    QVariantList bindings;
    for (int i = 0; i < fields_.size(); ++i) {
        if (!modified_.contains(i)) continue;
        sets << quoteIdentifier(fields_[i]) + QStringLiteral(" = ?");
        bindings << buffer_[i];
    }
    if (!sets.isEmpty()) {
        const QString where = matchOriginal(row, bindings);
        const Connection::Change change = connection_->change(
            QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(quoteIdentifier(tableName_), sets.join(u", "), where),
            bindings, Connection::Repeat::AfterLostConnection);
        if (change.changed != 1) failChangedByOthers(true);
    }
    row.values = buffer_;
}

void DataSet::storeInsert() {
    QStringList names;
    QStringList marks;
    QVariantList bindings;
    for (int i = 0; i < fields_.size(); ++i) {
        if (!modified_.contains(i)) continue;
        names << quoteIdentifier(fields_[i]);
        marks << QStringLiteral("?");
        bindings << buffer_[i];
    }
    // The stored row comes back with its key and the defaults the database filled in.
    const QString returning = QStringLiteral(" RETURNING %1, *").arg(Connection::rowKey());
    // Not sent again after a lost connection: a new row that did reach the server would be stored twice.
    const Connection::Change change = connection_->change(
        names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(tableName_)) + returning
                        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(quoteIdentifier(tableName_), names.join(u", "), marks.join(u", ")) +
                              returning,
        bindings);
    Row stored{QVariant(), buffer_};
    if (!change.rows.isEmpty()) {
        const QSqlRecord& record = change.rows.first();
        stored.key = record.value(0);
        const QList<int> columns = fieldColumns(record);
        for (int i = 0; i < fields_.size() && i < columns.size(); ++i) stored.values[i] = record.value(columns[i]);
    }
    rows_[current_] = stored;
}

void DataSet::post() {
    requireActive();
    if (state_ == State::Edit)
        storeEdit();
    else if (state_ == State::Insert)
        storeInsert();
    else
        return;
    buffer_.clear();
    modified_.clear();
    setState(State::Browse);
    emit rowChanged(current_);
}

void DataSet::remove() {
    requireActive();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (rows_.isEmpty()) throw Failure(tr("Cannot perform this operation on an empty dataset"));
    if (state_ == State::Edit) cancel();
    const Row& row = rows_[current_];
    QVariantList bindings;
    const QString where = matchOriginal(row, bindings);
    const Connection::Change change =
        connection_->change(QStringLiteral("DELETE FROM %1 WHERE %2").arg(quoteIdentifier(tableName_), where), bindings,
                            Connection::Repeat::AfterLostConnection);
    if (change.changed != 1) failChangedByOthers(false);
    const int removed = current_;
    rows_.removeAt(removed);
    current_ = rows_.isEmpty() ? -1 : qMin(removed, recordCount() - 1);
    emit rowRemoved(removed);
    emit currentChanged();
}
