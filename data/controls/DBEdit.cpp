#include "DBEdit.h"

#include <QScopedValueRollback>

#include "data/cursor/DataSet.h"
#include "data/cursor/DataSource.h"
#include "platform/Handler.h"

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);  // until bound to an open table
    connect(&link_, &DBFieldLink::changed, this, &DBEdit::showField);
    connect(this, &QLineEdit::textEdited, this, &DBEdit::store);
}

void DBEdit::showField(const QString& text) {
    const DataSet* set = dataSource() ? dataSource()->dataSet() : nullptr;
    setReadOnly(!set || !set->isActive());
    // The row echoes what the box has just written into it: leave the caret where it is.
    if (!storing_ && text != this->text()) setText(text);
}

void DBEdit::store(const QString& text) {
    DataSource* source = dataSource();
    DataSet* set = source ? source->dataSet() : nullptr;
    if (!set) return;
    bool stored = false;
    {
        QScopedValueRollback storing(storing_, true);
        platform::runGuarded([&] {
            if (!set->isEditing() && !source->autoEdit()) return;
            set->edit();
            set->setFieldText(dataField(), text);
            stored = true;
        });
    }
    if (!stored) setText(link_.text());
}
