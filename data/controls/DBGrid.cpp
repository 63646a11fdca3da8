#include "DBGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

#include "data/cursor/DataSource.h"
#include "platform/Desktop.h"
#include "platform/Handler.h"
#include "platform/Keyboard.h"

namespace {
// Ctrl+Tab or Ctrl+Shift+Tab: Tab walks the cells, so these are the way to the window's other controls.
bool IsLeavingKey(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && (modifiers & Qt::ControlModifier) &&
           !(modifiers & Qt::AltModifier);
}
}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// DBGridModel

DBGridModel::DBGridModel(QObject* parent) : QAbstractTableModel(parent) {}

DataSet* DBGridModel::dataSet() const { return source_ ? source_->dataSet() : nullptr; }

void DBGridModel::setDataSource(DataSource* source) {
    source_ = source;
    tableReset();
}

void DBGridModel::setColumns(const QList<DBGridColumn>& columns) {
    beginResetModel();
    columns_ = columns;
    mapFields();
    endResetModel();
}

void DBGridModel::mapFields() {
    const DataSet* set = dataSet();
    fields_.clear();
    for (const DBGridColumn& column : columns_)
        fields_ << (set && set->isActive() ? set->fieldIndex(column.field) : -1);
}

int DBGridModel::fieldOf(int column) const { return fields_.value(column, -1); }

int DBGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int DBGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant DBGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const DataSet* set = dataSet();
    const int field = fieldOf(index.column());
    if (!set || field < 0) return QString();
    const QVariant value = set->value(index.row(), field);
    return value.isNull() ? QString() : value.toString();
}

QVariant DBGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns_.size())
        return columns_[section].title;
    return {};
}

Qt::ItemFlags DBGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (!columns_.value(index.column()).readOnly && fieldOf(index.column()) >= 0) flags |= Qt::ItemIsEditable;
    return flags;
}

bool DBGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    DataSet* set = dataSet();
    if (role != Qt::EditRole || !set || !index.isValid() || !(flags(index) & Qt::ItemIsEditable)) return false;
    if (index.row() != set->currentRow()) return false;
    const int field = fieldOf(index.column());
    const QString text = value.toString();
    if (data(index, Qt::EditRole).toString() == text) return true;
    if (!set->isEditing() && !source_->autoEdit()) return false;
    bool stored = false;
    platform::runGuarded([&] {
        set->edit();
        set->setValue(field, text);
        stored = true;
    });
    return stored;
}

void DBGridModel::tableReset() {
    // Rows out and rows in rather than a model reset: a reset would also forget the column widths.
    if (rows_ > 0) {
        beginRemoveRows(QModelIndex(), 0, rows_ - 1);
        rows_ = 0;
        endRemoveRows();
    }
    mapFields();
    const DataSet* set = dataSet();
    const int count = set && set->isActive() ? set->recordCount() : 0;
    if (count > 0) {
        beginInsertRows(QModelIndex(), 0, count - 1);
        rows_ = count;
        endInsertRows();
    }
}

void DBGridModel::tableRowInserted(int row) {
    beginInsertRows(QModelIndex(), row, row);
    ++rows_;
    endInsertRows();
}

void DBGridModel::tableRowRemoved(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    --rows_;
    endRemoveRows();
}

void DBGridModel::tableRowChanged(int row) {
    if (row < 0 || row >= rows_ || columns_.isEmpty()) return;
    emit dataChanged(index(row, 0), index(row, int(columns_.size()) - 1), {Qt::DisplayRole, Qt::EditRole});
}

// ---------------------------------------------------------------------------------------------------------------
// DBGrid

class DBGrid::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(DBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        grid_->editorOpened(editor, index);
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        // The cell mostly echoes what its own editor has just written: leave the caret where it is.
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text) line->setText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
    }

    // An open cell lets Ctrl+Tab leave the grid too, where the plain delegate takes it for Tab.
    bool eventFilter(QObject* editor, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && IsLeavingKey(static_cast<QKeyEvent*>(event))) {
            grid_->keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
        return QStyledItemDelegate::eventFilter(editor, event);
    }

private:
    DBGrid* grid_;
};

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), model_(new DBGridModel(this)) {
    setModel(model_);
    setItemDelegate(new Delegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // A double-click chooses a row, so only typing opens a cell.
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setDefaultSectionSize(18);
    // A click on a title selects nothing and moves nothing; titles only name and size their columns.
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->viewport()->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &DBGrid::focusMoved);
}

DBGrid::~DBGrid() {
    // The focus leaves the grid while QWidget takes it down: no call into what is already gone.
    disconnect(qApp, &QApplication::focusChanged, this, &DBGrid::focusMoved);
}

void DBGrid::setDataSource(DataSource* source) {
    if (source == model_->dataSource()) return;
    finishEditing();
    for (const QMetaObject::Connection& connection : tableConnections_) disconnect(connection);
    tableConnections_.clear();
    {
        QScopedValueRollback sync(syncing_, true);
        model_->setDataSource(source);
    }
    bindTable();
    syncFromCursor();
}

void DBGrid::bindTable() {
    DataSet* set = dataSet();
    if (!set) return;
    // The table has already changed when it tells us; the view follows without taking it for a move.
    auto follow = [this](auto change) {
        return [this, change](auto... args) {
            QScopedValueRollback sync(syncing_, true);
            change(args...);
            syncFromCursor();
        };
    };
    tableConnections_ << connect(set, &DataSet::reset, this, follow([this] { model_->tableReset(); }));
    tableConnections_ << connect(set, &DataSet::rowInserted, this,
                                 follow([this](int row) { model_->tableRowInserted(row); }));
    tableConnections_ << connect(set, &DataSet::rowRemoved, this,
                                 follow([this](int row) { model_->tableRowRemoved(row); }));
    tableConnections_ << connect(set, &DataSet::rowChanged, this, [this](int row) { model_->tableRowChanged(row); });
    tableConnections_ << connect(set, &DataSet::currentChanged, this, [this] { syncFromCursor(); });
    tableConnections_ << connect(set, &DataSet::stateChanged, this, [this] {
        // Once the row is stored or dropped, Esc in a cell has no typing left to undo.
        if (!dataSet()->isEditing()) cell_ = CellEdit{};
    });
}

void DBGrid::setColumns(const QList<DBGridColumn>& columns) {
    finishEditing();
    {
        QScopedValueRollback sync(syncing_, true);
        model_->setColumns(columns);
    }
    for (int column = 0; column < columns.size(); ++column) setColumnWidth(column, columns[column].width);
    syncFromCursor();
}

QString DBGrid::columnLayout() const {
    QStringList parts;
    for (const DBGridColumn& column : model_->columns()) {
        QString part = QStringLiteral("%1:%2:%3").arg(column.field, column.title, QString::number(column.width));
        if (column.readOnly) part += QStringLiteral(":readonly");
        parts << part;
    }
    return parts.join(u',');
}

void DBGrid::setColumnLayout(const QString& layout) {
    QList<DBGridColumn> columns;
    for (const QString& part : layout.split(u',', Qt::SkipEmptyParts)) {
        const QStringList fields = part.trimmed().split(u':');
        DBGridColumn column;
        column.field = fields.value(0);
        column.title = fields.value(1);
        column.width = fields.value(2).toInt();
        column.readOnly = fields.value(3) == u"readonly";
        columns << column;
    }
    setColumns(columns);
}

void DBGrid::syncFromCursor() {
    const DataSet* set = dataSet();
    const int row = set && set->isActive() ? set->currentRow() : -1;
    const QModelIndex current = currentIndex();
    const int column = current.isValid() ? current.column() : 0;
    const QModelIndex wanted =
        row >= 0 && row < model_->rowCount() && model_->columnCount() > 0 ? model_->index(row, column) : QModelIndex();
    if (wanted == current) return;
    QScopedValueRollback sync(syncing_, true);
    selectionModel()->setCurrentIndex(wanted, QItemSelectionModel::ClearAndSelect);
}

void DBGrid::moveToRow(int row) {
    DataSet* set = dataSet();
    if (!set || row == set->currentRow()) return;
    // Leaving an untouched new row drops it, and the rows below it move up by one: land on the row chosen.
    if (set->state() == DataSet::State::Insert && !set->isModified() && row > set->currentRow()) --row;
    set->moveTo(row);
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    const DataSet* set = dataSet();
    if (syncing_ || !set || !current.isValid() || current.row() == set->currentRow()) return;
    const int row = current.row();
    platform::runGuarded([this, row] { moveToRow(row); });
    // The cursor decides where the grid stands: a store that failed keeps it on its row.
    syncFromCursor();
}

void DBGrid::editorOpened(QLineEdit* editor, const QModelIndex& index) {
    editor_ = editor;
    editIndex_ = index;
    cell_ = CellEdit{};
    cell_.field = model_->fieldOf(index.column());
    const QPersistentModelIndex at(index);
    connect(editor, &QLineEdit::textEdited, this, [this, at](const QString& text) { cellTyped(at, text); });
    editor->installEventFilter(this);
}

void DBGrid::cellTyped(const QPersistentModelIndex& index, const QString& text) {
    const DataSet* set = dataSet();
    if (!set || !index.isValid()) return;
    CellEdit before = cell_;
    if (!before.typed) {
        before.typed = true;
        before.original = set->value(index.row(), before.field);
        before.rowWasModified = set->isModified();
    }
    if (model_->setData(index, text, Qt::EditRole)) cell_ = before;
}

void DBGrid::undoCell(const CellEdit& cell) {
    DataSet* set = dataSet();
    if (!set || !set->isActive()) return;
    if (!cell.typed || !set->isEditing()) {
        set->cancel();
        return;
    }
    if (cell.rowWasModified) {
        set->setValue(cell.field, cell.original);
        return;
    }
    // Nothing else of the row was changed: back to the untouched row the typing began on.
    const DataSet::State state = set->state();
    const bool appended = set->currentRow() == set->recordCount() - 1;
    set->cancel();
    if (state == DataSet::State::Edit)
        set->edit();
    else if (appended)
        set->append();
    else
        set->insert();
}

void DBGrid::finishEditing() {
    QLineEdit* editor = editor_;
    editor_ = nullptr;
    cell_ = CellEdit{};
    // An editor whose row went away has been let go by the view already.
    if (!editor || !editIndex_.isValid() || indexWidget(editIndex_) != editor) return;
    QTableView::commitData(editor);
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    CellEdit cell;
    if (editor == editor_) {
        cell = cell_;
        cell_ = CellEdit{};
        editor_ = nullptr;
    }
    switch (hint) {
        case QAbstractItemDelegate::EditNextItem:
        case QAbstractItemDelegate::EditPreviousItem:
            QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
            platform::runGuarded([this, hint] { tabMove(hint == QAbstractItemDelegate::EditNextItem); });
            return;
        case QAbstractItemDelegate::RevertModelCache:  // Esc
            QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
            platform::runGuarded([this, &cell] { undoCell(cell); });
            return;
        default:
            QTableView::closeEditor(editor, hint);
    }
}

void DBGrid::tabMove(bool forward) {
    const DataSet* set = dataSet();
    const int columns = model_->columnCount();
    if (!set || !set->isActive() || columns == 0) return;
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        if (forward) appendFromLastRow();
        return;
    }
    int row = current.row();
    int column = current.column() + (forward ? 1 : -1);
    if (column >= columns) {
        column = 0;
        if (row == model_->rowCount() - 1) {
            setCurrentIndex(model_->index(row, 0));
            appendFromLastRow();
            return;
        }
        ++row;
    } else if (column < 0) {
        if (row == 0) return;
        column = columns - 1;
        --row;
    }
    setCurrentIndex(model_->index(row, column));
}

void DBGrid::appendFromLastRow() {
    DataSet* set = dataSet();
    // An untouched new row at the end is as far as the grid goes.
    if (set->state() == DataSet::State::Insert && !set->isModified() && set->currentRow() == set->recordCount() - 1)
        return;
    finishEditing();
    set->append();
}

bool DBGrid::gridKey(QKeyEvent* event) {
    DataSet* set = dataSet();
    if (!set || !set->isActive()) return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    std::function<void()> action;
    if (key == Qt::Key_Insert && modifiers == Qt::NoModifier) {
        action = [this, set] {
            finishEditing();
            set->insert();
        };
    } else if (key == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        action = [this, set] {
            finishEditing();
            if (!set->isEmpty() && platform::desktop().confirm(QStringLiteral("Delete record?"))) set->remove();
        };
    } else if (key == Qt::Key_Down && modifiers == Qt::NoModifier && set->currentRow() >= set->recordCount() - 1) {
        action = [this] { appendFromLastRow(); };
    } else if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) &&
               !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        const bool forward = key == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier);
        action = [this, forward] { tabMove(forward); };
    } else if (IsLeavingKey(event)) {
        const bool forward = key == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier);
        action = [this, forward] {
            finishEditing();
            QWidget::focusNextPrevChild(forward);
        };
    } else if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        action = [set] { set->cancel(); };
    } else if (platform::IsPlainEnter(event) && state() != EditingState) {
        // Enter chooses the current row as a double-click does (an open cell editor takes Enter itself).
        if (event->isAutoRepeat()) {
            event->accept();
            return true;
        }
        action = [this] { emit enterPressed(); };
    } else {
        return false;
    }
    event->accept();
    platform::runGuarded(action);
    return true;
}

QModelIndex DBGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    if ((action == MoveHome || action == MoveEnd) && (modifiers & Qt::ControlModifier) && current.isValid())
        return model_->index(action == MoveHome ? 0 : model_->rowCount() - 1, current.column());
    return QTableView::moveCursor(action, modifiers);
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    if (gridKey(event)) return;
    QTableView::keyPressEvent(event);
}

bool DBGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit dblClick();
        return true;
    }
    if (watched == editor_ && event->type() == QEvent::KeyPress) {
        // The cell editor leaves the row keys to the grid.
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        const bool gridsKey = (key->key() == Qt::Key_Insert && modifiers == Qt::NoModifier) ||
                              (key->key() == Qt::Key_Delete && modifiers == Qt::ControlModifier) ||
                              key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_PageUp ||
                              key->key() == Qt::Key_PageDown;
        if (gridsKey) {
            keyPressEvent(key);
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void DBGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    // A click that dropped an untouched new row lands a line up from where it was clicked: the selection
    // follows the current cell, not the pixel.
    if (currentIndex().isValid()) selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    emit dblClick();
}

void DBGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    if (currentIndex().isValid()) scrollTo(currentIndex());
}

void DBGrid::focusMoved(QWidget* from, QWidget* to) {
    // Only a move to another control of this window leaves the grid; another window taking the focus does not.
    if (!from || !to || !owns(from) || owns(to) || to->window() != window()) return;
    platform::runGuarded([this] {
        DataSet* set = dataSet();
        if (set && set->state() == DataSet::State::Insert && !set->isModified()) set->cancel();
    });
}
