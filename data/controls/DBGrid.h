#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>
#include <QVariant>

#include "data/cursor/DataSet.h"

class DataSource;
class QLineEdit;

// One column of a data grid: the field it shows, its title and width, and whether it is edited in place.
struct DBGridColumn {
    QString field;
    QString title;
    int width = 64;
    bool readOnly = false;
};

// The rows of a table as a data grid shows them. The grid passes on each change of the table as it
// happens, row by row, so that one changed row of a large register never makes the view read it all again.
class DBGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit DBGridModel(QObject* parent = nullptr);

    DataSource* dataSource() const { return source_; }
    void setDataSource(DataSource* source);
    DataSet* dataSet() const;
    const QList<DBGridColumn>& columns() const { return columns_; }
    void setColumns(const QList<DBGridColumn>& columns);
    // The table's field a column shows; -1 when the table is closed or has no such field.
    int fieldOf(int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Writes a cell of the current row, starting its edit. Writing the text a cell already holds changes
    // nothing, so that an untouched new row stays untouched. A failure is shown in the error box.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // What the table did, in its own order.
    void tableReset();
    void tableRowInserted(int row);
    void tableRowRemoved(int row);
    void tableRowChanged(int row);

private:
    void mapFields();

    QPointer<DataSource> source_;
    QList<DBGridColumn> columns_;
    QList<int> fields_;  // per column
    int rows_ = 0;       // what the view has been told
};

// A grid over a data source's table, one line per row. Its current row is the table's cursor both ways:
// moving in the grid moves the cursor (storing or dropping a pending row first), and a cursor moved
// elsewhere moves the grid. Cells are edited in place, and what is typed goes into the current row at
// once, so that any store, whoever makes it, takes what the user sees. The keys of an editable grid:
// Insert adds a row before the current one, Down on the last row (and Tab on its last cell) appends one,
// Ctrl+Delete deletes the current row after a question, Esc undoes the typing in the cell and a second
// Esc abandons the row's change, Enter (with no cell editor open) tells that the current row is
// chosen, Ctrl+Tab and Ctrl+Shift+Tab go on to the window's next or previous control. A new row that
// is still untouched is dropped when the focus leaves the grid for another control of its window.
class DBGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(QString columnLayout READ columnLayout WRITE setColumnLayout)

public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    DataSource* dataSource() const { return model_->dataSource(); }
    void setDataSource(DataSource* source);
    QList<DBGridColumn> columns() const { return model_->columns(); }
    void setColumns(const QList<DBGridColumn>& columns);
    // The columns as text, one "field:title:width" per column with ":readonly" after a column that is
    // not edited, separated by commas; the window descriptions set them this way.
    QString columnLayout() const;
    void setColumnLayout(const QString& layout);

    // The open cell editor, if any.
    QLineEdit* cellEditor() const { return editor_; }

signals:
    // A double-click with the left button anywhere in the grid, the title row included.
    void dblClick();
    // Enter pressed on the grid while no cell is edited.
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Ctrl+Home and Ctrl+End go to the first and the last row and stay in the column.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    // Typing on a cell that is not edited must not jump to another row.
    void keyboardSearch(const QString&) override {}

private:
    class Delegate;

    // What a cell held before the typing in its editor began, so that Esc can put it back.
    struct CellEdit {
        bool typed = false;
        int field = -1;
        QVariant original;
        bool rowWasModified = false;
    };

    DataSet* dataSet() const { return model_->dataSet(); }
    void bindTable();
    void syncFromCursor();
    void moveToRow(int row);
    void editorOpened(QLineEdit* editor, const QModelIndex& index);
    void cellTyped(const QPersistentModelIndex& index, const QString& text);
    void undoCell(const CellEdit& cell);
    void finishEditing();
    // The grid's own keys; false for a key it leaves to the view.
    bool gridKey(QKeyEvent* event);
    void tabMove(bool forward);
    void appendFromLastRow();
    void focusMoved(QWidget* from, QWidget* to);
    bool owns(const QWidget* widget) const { return widget == this || isAncestorOf(widget); }

    DBGridModel* model_;
    QList<QMetaObject::Connection> tableConnections_;
    QPointer<QLineEdit> editor_;
    QPersistentModelIndex editIndex_;
    CellEdit cell_;
    bool syncing_ = false;  // the view follows the cursor: its moves are not the user's
};
