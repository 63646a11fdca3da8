#include "DBFieldLink.h"

#include "data/cursor/DataSet.h"
#include "data/cursor/DataSource.h"

DBFieldLink::DBFieldLink(QObject* parent) : QObject(parent) {}

void DBFieldLink::setDataSource(DataSource* source) {
    if (source == source_) return;
    for (auto& connection : connections_) disconnect(connection);
    source_ = source;
    if (DataSet* set = source ? source->dataSet() : nullptr) {
        connections_[0] = connect(set, &DataSet::currentChanged, this, &DBFieldLink::refresh);
        connections_[1] = connect(set, &DataSet::rowChanged, this, &DBFieldLink::refresh);
        connections_[2] = connect(set, &DataSet::reset, this, &DBFieldLink::refresh);
        connections_[3] = connect(set, &DataSet::stateChanged, this, &DBFieldLink::refresh);
    }
    refresh();
}

void DBFieldLink::setDataField(const QString& field) {
    if (field == field_) return;
    field_ = field;
    refresh();
}

QString DBFieldLink::text() const {
    const DataSet* set = source_ ? source_->dataSet() : nullptr;
    if (!set || !set->isActive() || field_.isEmpty()) return {};
    const int index = set->fieldIndex(field_);
    return index < 0 ? QString() : set->fieldText(index);
}

void DBFieldLink::refresh() { emit changed(text()); }
