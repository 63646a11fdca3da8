#pragma once

#include <QObject>

class DataSet;

// Binds one table to the data-aware controls that show and edit its current row.
class DataSource : public QObject {
    Q_OBJECT

public:
    explicit DataSource(DataSet* dataSet, QObject* parent = nullptr) : QObject(parent), dataSet_(dataSet) {}
    DataSet* dataSet() const { return dataSet_; }
    // A control starts an edit of the current row when the user types into it.
    bool autoEdit() const { return autoEdit_; }
    void setAutoEdit(bool on) { autoEdit_ = on; }

private:
    DataSet* dataSet_;
    bool autoEdit_ = true;
};
