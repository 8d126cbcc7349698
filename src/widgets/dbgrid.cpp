#include "widgets/dbgrid.h"

#include <algorithm>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QScopeGuard>
#include <QStyledItemDelegate>

#include "db/dataset.h"
#include "db/field.h"

namespace widgets {

// What the grid needs of a cell editor (a line edit or a pick-list combo box).
class CellEditor {
public:
    virtual ~CellEditor() = default;
    virtual QWidget* widget() = 0;
    virtual QString text() const = 0;
    virtual void setText(const QString& t) = 0;

    QPersistentModelIndex index;
    bool writable = false;
    bool modified = false;
    bool loading = false;
};

namespace {

QIcon ellipsisIcon() {
    QPixmap pm(18, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.setBrush(QColor(0xF0, 0xF0, 0xF0));
    p.drawRect(0, 0, 17, 15);
    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    for (int i = 0; i < 3; ++i) p.drawRect(4 + i * 4, 10, 1, 1);
    return QIcon(pm);
}

class CellLineEdit : public QLineEdit, public CellEditor {
public:
    CellLineEdit(DbGrid* grid, QWidget* parent) : QLineEdit(parent), m_grid(grid) {
        setFrame(false);
        connect(this, &QLineEdit::textEdited, this, [this] {
            if (!loading) m_grid->editorModified(this);
        });
    }
    QWidget* widget() override { return this; }
    QString text() const override { return QLineEdit::text(); }
    void setText(const QString& t) override {
        loading = true;
        QLineEdit::setText(t);
        loading = false;
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        m_grid->editorKeyPress(this, e, [this](QKeyEvent* ev) { QLineEdit::keyPressEvent(ev); });
    }

private:
    DbGrid* m_grid;
};

class CellComboBox : public QComboBox, public CellEditor {
public:
    CellComboBox(DbGrid* grid, QWidget* parent) : QComboBox(parent), m_grid(grid) {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        setFrame(false);
        connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
            if (!loading) m_grid->editorModified(this);
        });
        connect(this, &QComboBox::textActivated, this, [this] {
            if (!loading) m_grid->editorChosen(this);
        });
    }
    QWidget* widget() override { return this; }
    QString text() const override { return currentText(); }
    void setText(const QString& t) override {
        loading = true;
        setCurrentIndex(findText(t, Qt::MatchFixedString | Qt::MatchCaseSensitive));
        setEditText(t);
        loading = false;
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        m_grid->editorKeyPress(this, e, [this](QKeyEvent* ev) { QComboBox::keyPressEvent(ev); });
    }

private:
    DbGrid* m_grid;
};

}  // namespace

class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(DbGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        DatasetModel* m = m_grid->datasetModel();
        if (index.column() >= m->columns().size()) return nullptr;
        const DbGridColumn& c = m->columns()[index.column()];
        const bool writable = m->isCellWritable(index);
        db::Field* f = m->fieldAt(index.column());
        CellEditor* ed;
        QLineEdit* line;
        if (!c.pickList.isEmpty()) {
            auto* combo = new CellComboBox(m_grid, parent);
            combo->addItems(c.pickList);
            // The list is as wide as its longest entry, also in a narrow column.
            int widest = 0;
            for (const QString& item : c.pickList)
                widest = std::max(widest, combo->fontMetrics().horizontalAdvance(item));
            combo->view()->setMinimumWidth(widest + 30);
            line = combo->lineEdit();
            ed = combo;
        } else {
            auto* edit = new CellLineEdit(m_grid, parent);
            line = edit;
            ed = edit;
            if (c.ellipsisButton) {
                QAction* a = edit->addAction(ellipsisIcon(), QLineEdit::TrailingPosition);
                a->setToolTip(QStringLiteral("…"));
                QObject::connect(a, &QAction::triggered, edit, [grid = m_grid, edit] { grid->editorButton(edit); });
            }
        }
        line->setReadOnly(!writable);
        // No more can be typed than the field holds; a longer pick-list entry
        // shows cut, as the field stores it.
        if (f && f->isText() && f->size() > 0) line->setMaxLength(f->size());
        ed->index = index;
        ed->writable = writable;
        m_grid->editorCreated(ed);
        return ed->widget();
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* ed = dynamic_cast<CellEditor*>(editor);
        if (!ed) return;
        if (!ed->modified) ed->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* ed = dynamic_cast<CellEditor*>(editor);
        if (!ed || !ed->modified) return;
        model->setData(index, ed->text(), Qt::EditRole);
        ed->modified = false;
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        m_grid->editorDestroyed(editor);
        QStyledItemDelegate::destroyEditor(editor, index);
    }

private:
    DbGrid* m_grid;
};

DbGrid::DbGrid(QWidget* parent)
    : QTableView(parent), m_model(new DatasetModel(this)), m_delegate(new GridDelegate(this)) {
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTabKeyNavigation(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int rowHeight = fontMetrics().height() + 5;
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setHighlightSections(false);
    updateTriggers();
    connect(m_model, &DatasetModel::columnsChanged, this, &DbGrid::applyColumnLayout);
    // While the rows are reset the view's own moves (the current cell of a
    // closing editor) do not move the dataset; the grid follows the dataset
    // once the reset is done.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { ++m_resetting; });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        --m_resetting;
        syncCurrent();
    });
}

DbGrid::~DbGrid() = default;

void DbGrid::setDataSource(db::DataSource* ds) {
    if (db::DataSource* old = m_model->dataSource()) disconnect(old, nullptr, this, nullptr);
    // The model connects first, so that it has the rows before the grid moves.
    m_model->setDataSource(ds);
    if (ds) {
        connect(ds, &db::DataSource::dataSetScrolled, this, &DbGrid::syncCurrent);
        connect(ds, &db::DataSource::dataSetChanged, this, &DbGrid::syncCurrent);
        connect(ds, &db::DataSource::updateData, this, &DbGrid::onUpdateData);
        connect(ds, &db::DataSource::recordChanged, this, &DbGrid::onRecordChanged);
    }
    syncCurrent();
}

void DbGrid::setColumns(const QList<DbGridColumn>& columns) {
    m_lastLayout.clear();
    m_model->setColumns(columns);
    applyColumnLayout();
}

void DbGrid::setReadOnly(bool r) {
    m_readOnly = r;
    m_model->setReadOnly(r);
    if (r) m_autoAppend = false;
    updateTriggers();
}

void DbGrid::setRowSelect(bool r) {
    m_rowSelect = r;
    setSelectionBehavior(r ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    updateTriggers();
    syncCurrent();
}

void DbGrid::updateTriggers() {
    if (m_readOnly || m_rowSelect)
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    else
        setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                        QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
}

int DbGrid::firstVisibleColumn() const {
    for (int i = 0; i < m_model->columnCount(); ++i)
        if (!isColumnHidden(i)) return i;
    return 0;
}

int DbGrid::selectedIndex() const {
    const QModelIndex c = currentIndex();
    if (c.isValid()) return c.column();
    if (m_lastColumn >= 0 && m_lastColumn < m_model->columnCount()) return m_lastColumn;
    return firstVisibleColumn();
}

void DbGrid::setSelectedIndex(int column) {
    if (column < 0) return;
    m_lastColumn = column;
    if (column >= m_model->columnCount()) return;
    const QModelIndex c = currentIndex();
    if (!c.isValid()) return;
    ++m_syncing;
    auto done = qScopeGuard([this] { --m_syncing; });
    setCurrentIndex(m_model->index(c.row(), column));
}

db::Field* DbGrid::selectedField() const { return m_model->fieldAt(selectedIndex()); }

QString DbGrid::selectedFieldName() const {
    const int i = selectedIndex();
    return i >= 0 && i < m_model->columns().size() ? m_model->columns()[i].fieldName : QString();
}

QWidget* DbGrid::cellEditor() const { return m_editor.data(); }

void DbGrid::applyColumnLayout() {
    const QList<DbGridColumn>& cols = m_model->columns();
    const QFontMetrics fm = fontMetrics();
    const QFontMetrics hfm = horizontalHeader()->fontMetrics();
    for (int i = 0; i < cols.size(); ++i) {
        const DbGridColumn& c = cols[i];
        db::Field* f = m_model->fieldAt(i);
        int w = c.width;
        if (w <= 0) {
            int chars = c.widthChars;
            if (chars <= 0 && f) {
                if (f->displayWidth() > 0) chars = f->displayWidth();
                else if (f->isText()) chars = std::clamp(f->size(), 4, 30);
                else if (f->isDateTime()) chars = f->displayFormat().isEmpty() ? 10 : int(f->displayFormat().size()) + 2;
                else chars = 8;
            }
            if (chars <= 0) chars = 10;
            w = chars * fm.averageCharWidth() + 10;
        }
        // Never narrower than its title: a width given in pixels for a
        // smaller font would cut the title ("Kurzzeichen", "Plz").
        const QString title = m_model->headerData(i, Qt::Horizontal).toString();
        w = std::max({w, hfm.horizontalAdvance(title) + 12, horizontalHeader()->sectionSizeHint(i)});
        setColumnWidth(i, w);
        setColumnHidden(i, !c.visible);
    }
}

void DbGrid::syncCurrent() {
    db::Dataset* d = dataset();
    if (!d || !d->isActive()) return;
    const int r = d->recNo();
    if (r < 0 || r >= m_model->rowCount()) return;
    const QModelIndex cur = currentIndex();
    // A reset of the rows keeps the column the user was in.
    int col = cur.isValid() ? cur.column() : m_lastColumn;
    if (col < 0 || col >= m_model->columnCount() || isColumnHidden(col)) col = firstVisibleColumn();
    const QModelIndex idx = m_model->index(r, col);
    if (!idx.isValid()) return;
    ++m_syncing;
    auto done = qScopeGuard([this] { --m_syncing; });
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (m_rowSelect) flags |= QItemSelectionModel::Rows;
    const bool selected = m_rowSelect ? selectionModel()->isRowSelected(r, QModelIndex())
                                      : selectionModel()->isSelected(idx);
    if (cur != idx || !selected) selectionModel()->setCurrentIndex(idx, flags);
    scrollTo(idx);
}

void DbGrid::moveDatasetTo(int row) {
    db::Dataset* d = dataset();
    if (!d || !d->isActive()) return;
    const int before = d->recNo();
    const int count = d->recordCount();
    // Post or drop the pending row first: an untouched new row disappears
    // and the rows below it move up by one.
    d->checkBrowseMode();
    if (d->recordCount() == count - 1 && row > before) --row;
    if (row < 0) row = 0;
    if (row != d->recNo()) d->setRecNo(row);
    else syncCurrent();
}

bool DbGrid::beginCellEdit(const QModelIndex& index) {
    db::Dataset* d = dataset();
    if (!d || !d->isActive() || !index.isValid() || index.row() != d->recNo()) return false;
    if (!d->isEditing()) d->edit();
    return true;
}

void DbGrid::writeEditor(CellEditor* ed) {
    if (!ed || !ed->modified) return;
    m_committing = true;
    auto done = qScopeGuard([this] { m_committing = false; });
    m_model->setData(ed->index, ed->text(), Qt::EditRole);
    ed->modified = false;
    // Show what the field holds now (a text cut to its size).
    if (ed->index.isValid()) ed->setText(m_model->data(ed->index, Qt::EditRole).toString());
}

void DbGrid::commitEditor() {
    if (auto* ed = dynamic_cast<CellEditor*>(m_editor.data())) writeEditor(ed);
}

void DbGrid::onUpdateData() {
    // The dataset is about to post: what the cell editor holds goes first.
    if (m_committing) return;
    commitEditor();
}

void DbGrid::onRecordChanged() {
    auto* ed = dynamic_cast<CellEditor*>(m_editor.data());
    if (ed && !ed->modified && ed->index.isValid())
        ed->setText(m_model->data(ed->index, Qt::EditRole).toString());
}

void DbGrid::editorCreated(CellEditor* ed) { m_editor = ed->widget(); }

void DbGrid::editorDestroyed(QWidget* editor) {
    if (m_editor == editor) m_editor = nullptr;
    if (m_failedEditor == editor) m_failedEditor = nullptr;
}

void DbGrid::editorModified(CellEditor* ed) {
    ed->modified = true;
    db::Dataset* d = dataset();
    if (d && d->isActive() && !d->isEditing()) {
        try {
            beginCellEdit(ed->index);
        } catch (...) {
            raiseLater(std::current_exception());
        }
    }
}

void DbGrid::editorChosen(CellEditor* ed) {
    if (!ed->writable) {
        ed->modified = false;
        onRecordChanged();
        return;
    }
    const QString chosen = ed->text();
    try {
        beginCellEdit(ed->index);
        ed->setText(chosen);
        ed->modified = true;
        writeEditor(ed);
    } catch (...) {
        // Raised inside the combo box's list handling.
        raiseLater(std::current_exception());
    }
}

void DbGrid::editorButton(CellEditor* ed) {
    if (ed->index.isValid()) emit editButtonClicked(ed->index.column());
}

void DbGrid::editorKeyPress(CellEditor* ed, QKeyEvent* e, const std::function<void(QKeyEvent*)>& base) {
    std::unique_ptr<QKeyEvent> repl;
    QKeyEvent* ev = e;
    if (!m_hooksApplied) {
        if (!applyKeyHooks(e, repl)) return;
        if (repl) ev = repl.get();
    }
    const bool applied = m_hooksApplied;
    m_hooksApplied = false;
    auto restore = qScopeGuard([this, applied] { m_hooksApplied = applied; });
    const auto mods = ev->modifiers() & ~Qt::KeypadModifier;
    if ((ev->key() == Qt::Key_Return || ev->key() == Qt::Key_Enter) && mods == Qt::ControlModifier) {
        const int col = ed->index.column();
        if (col >= 0 && col < m_model->columns().size() && m_model->columns()[col].ellipsisButton) {
            ev->accept();
            e->accept();
            emit editButtonClicked(col);
            return;
        }
    }
    if (isTextChangingKey(ev)) {
        if (!ed->writable) {
            e->accept();
            return;
        }
        beginCellEdit(ed->index);
    }
    // Keys the editor leaves alone (Up, Down, ...) go on to the grid, whose
    // hooks have run already.
    m_hookedEvent = e;
    base(ev);
    if (repl) e->setAccepted(ev->isAccepted());
    if (e->isAccepted()) m_hookedEvent = nullptr;
}

bool DbGrid::handleNavigationKey(QKeyEvent* e) {
    db::Dataset* d = dataset();
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    const int row = d->recNo();
    int target = -1;
    switch (e->key()) {
    case Qt::Key_Up:
        if (mods != Qt::NoModifier) return false;
        target = row - 1;
        if (target < 0) {
            e->accept();
            return true;
        }
        break;
    case Qt::Key_Down:
        if (mods != Qt::NoModifier) return false;
        if (row + 1 >= d->recordCount() && d->canFetchMore()) d->fetchMore(60);
        if (row + 1 >= d->recordCount()) {
            // Below the last row: a new row, unless the last row is an
            // untouched new one. Text typed into the cell editor counts.
            commitEditor();
            if (!m_readOnly && m_autoAppend &&
                !(d->state() == db::DatasetState::Insert && !d->modified())) {
                d->checkBrowseMode();
                d->append();
            }
            e->accept();
            return true;
        }
        target = row + 1;
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (mods != Qt::NoModifier) return false;
        const QModelIndex t = moveCursor(e->key() == Qt::Key_PageUp ? MovePageUp : MovePageDown, e->modifiers());
        if (!t.isValid()) return false;
        target = t.row();
        break;
    }
    case Qt::Key_Home:
        if (mods != Qt::ControlModifier) return false;
        target = 0;
        break;
    case Qt::Key_End:
        if (mods != Qt::ControlModifier) return false;
        d->last();
        e->accept();
        return true;
    default:
        return false;
    }
    if (target != row) moveDatasetTo(target);
    e->accept();
    return true;
}

void DbGrid::deleteRow() {
    db::Dataset* d = dataset();
    if (!d || !d->isActive() || d->isEmpty()) return;
    if (m_confirmDelete) {
        const bool yes = confirmDelete ? confirmDelete(deleteQuestion()) : confirm(deleteQuestion(), this);
        if (!yes) return;
    }
    d->deleteRecord();
}

void DbGrid::keyPressEvent(QKeyEvent* e) {
    std::unique_ptr<QKeyEvent> repl;
    QKeyEvent* ev = e;
    if (m_hookedEvent == e) {
        m_hookedEvent = nullptr;
    } else if (!applyKeyHooks(e, repl)) {
        return;
    } else if (repl) {
        ev = repl.get();
    }
    db::Dataset* d = dataset();
    if (d && d->isActive()) {
        if (handleNavigationKey(ev)) {
            e->accept();
            return;
        }
        const auto mods = ev->modifiers() & ~Qt::KeypadModifier;
        const int key = ev->key();
        if (key == Qt::Key_Insert && mods == Qt::NoModifier) {
            if (!m_readOnly && m_autoAppend) d->insert();
            e->accept();
            return;
        }
        if (key == Qt::Key_Delete && mods == Qt::ControlModifier) {
            if (!m_readOnly) deleteRow();
            e->accept();
            return;
        }
        if (key == Qt::Key_Escape && mods == Qt::NoModifier && d->isEditing() && !cellEditor()) {
            d->cancel();
            e->accept();
            return;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !cellEditor()) {
            const QModelIndex c = currentIndex();
            const int col = c.isValid() ? c.column() : -1;
            if (mods == Qt::ControlModifier && col >= 0 && m_model->columns()[col].ellipsisButton) {
                emit editButtonClicked(col);
                e->accept();
                return;
            }
            if (mods == Qt::NoModifier && c.isValid() && editTriggers() != NoEditTriggers &&
                (m_model->flags(c) & Qt::ItemIsEditable)) {
                edit(c);
                e->accept();
                return;
            }
        }
    }
    m_hooksApplied = true;
    auto restore = qScopeGuard([this] { m_hooksApplied = false; });
    QTableView::keyPressEvent(ev);
    if (repl) e->setAccepted(ev->isAccepted());
}

void DbGrid::mousePressEvent(QMouseEvent* e) {
    const QModelIndex idx = indexAt(e->position().toPoint());
    db::Dataset* d = dataset();
    // The dataset moves first; when it cannot leave its row (a post fails),
    // the error reaches the error box and the grid stays.
    if (idx.isValid() && d && d->isActive() && idx.row() != d->recNo()) moveDatasetTo(idx.row());
    QTableView::mousePressEvent(e);
}

void DbGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    if (indexAt(e->position().toPoint()).isValid()) {
        emit rowDoubleClicked();
        // The handler may have switched to another page.
        if (!isVisible()) return;
    }
    QTableView::mouseDoubleClickEvent(e);
}

void DbGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    m_commitFailed = false;
    if (current.isValid() && !m_resetting) m_lastColumn = current.column();
    QTableView::currentChanged(current, previous);
    if (m_commitFailed) {
        // The cell editor's text was refused: back to its cell.
        m_commitFailed = false;
        QPersistentModelIndex back(previous);
        QMetaObject::invokeMethod(
            this,
            [this, back] {
                if (!back.isValid()) return;
                ++m_syncing;
                auto done = qScopeGuard([this] { --m_syncing; });
                selectionModel()->setCurrentIndex(back, QItemSelectionModel::ClearAndSelect);
            },
            Qt::QueuedConnection);
        return;
    }
    if (m_syncing || m_resetting || !current.isValid()) return;
    db::Dataset* d = dataset();
    if (!d || !d->isActive() || current.row() == d->recNo()) return;
    try {
        moveDatasetTo(current.row());
    } catch (...) {
        QMetaObject::invokeMethod(this, &DbGrid::syncCurrent, Qt::QueuedConnection);
        raiseLater(std::current_exception());
    }
}

bool DbGrid::focusNextPrevChild(bool next) {
    // A cell editor hidden by a reset of the rows hands the focus back to
    // the grid instead of moving to the next cell (with tab navigation on,
    // the view would otherwise act on a Tab key nobody pressed).
    if (m_resetting) {
        setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QTableView::focusNextPrevChild(next);
}

void DbGrid::commitData(QWidget* editor) {
    // The delegate commits on Enter through a queued call that carries the
    // editor's plain pointer; by the time it arrives the editor may be gone.
    // Only the live editor is read here; the view's own handling looks a
    // stale pointer up without touching it.
    auto* ed = editor && editor == m_editor.data() ? dynamic_cast<CellEditor*>(editor) : nullptr;
    if (!ed) {
        QTableView::commitData(editor);
        return;
    }
    m_failedEditor = nullptr;
    if (m_committing || !ed->modified) return;
    try {
        writeEditor(ed);
    } catch (...) {
        // The editor stays open with the text as typed (closeEditor below),
        // and the error reaches the error box.
        m_failedEditor = editor;
        m_commitFailed = true;
        editor->setFocus();
        raiseLater(std::current_exception());
    }
}

void DbGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor && editor == m_failedEditor) {
        m_failedEditor = nullptr;
        if (editor->isVisible()) editor->setFocus();
        return;
    }
    // A queued close for an editor that is gone by now (see commitData):
    // the view's own handling would touch the freed editor.
    if (editor != m_editor.data()) return;
    QTableView::closeEditor(editor, hint);
}

}  // namespace widgets
