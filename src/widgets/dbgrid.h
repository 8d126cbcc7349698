#pragma once
// A grid over a data source's dataset.
//
// The grid's current row is the dataset's current row: moving in the grid
// (mouse, arrow keys) moves the dataset, and a move of the dataset moves the
// grid. Rows are fetched lazily (DatasetModel). Editing a cell puts the
// dataset into edit state and writes the field; a value the field refuses is
// reported through the application's error box and the cell editor stays
// open with the text as typed. Read-only columns are shaded and not editable;
// pick-list columns edit with a combo box; an ellipsis column shows a "…"
// button in its cell editor (and Ctrl+Enter) that emits editButtonClicked.
//
// Keys: Down on the last row appends a row and Insert inserts one (unless
// setAutoAppend(false) or read-only); Ctrl+Delete deletes the current row
// after the confirmation "Datensatz löschen?"; Esc cancels a pending edit.
#include <QPointer>
#include <QTableView>

#include "widgets/common.h"
#include "widgets/datasetmodel.h"

namespace widgets {

class GridDelegate;
class CellEditor;

class DbGrid : public QTableView, public KeyHooks {
    Q_OBJECT
public:
    explicit DbGrid(QWidget* parent = nullptr);
    ~DbGrid() override;

    void setDataSource(db::DataSource* ds);
    db::DataSource* dataSource() const { return m_model->dataSource(); }
    db::Dataset* dataset() const { return m_model->dataset(); }
    DatasetModel* datasetModel() const { return m_model; }

    // Empty: every visible field of the dataset, titled with its label.
    void setColumns(const QList<DbGridColumn>& columns);
    const QList<DbGridColumn>& columns() const { return m_model->columns(); }

    void setReadOnly(bool r);
    bool isReadOnly() const { return m_readOnly; }
    // Whole rows are selected; cells are not edited.
    void setRowSelect(bool r);
    bool rowSelect() const { return m_rowSelect; }
    // Down on the last row appends and Insert inserts a row (default on).
    void setAutoAppend(bool on) { m_autoAppend = on; }
    bool autoAppend() const { return m_autoAppend; }
    // Ctrl+Delete asks "Datensatz löschen?" first (default on).
    void setConfirmDelete(bool on) { m_confirmDelete = on; }
    bool confirmDeleteEnabled() const { return m_confirmDelete; }
    // The question before deleting; empty: widgets::confirm.
    std::function<bool(const QString& text)> confirmDelete;

    // The selected column (Delphi's SelectedIndex) and its field.
    int selectedIndex() const;
    void setSelectedIndex(int column);
    db::Field* selectedField() const;
    QString selectedFieldName() const;

    // The open cell editor, or nullptr.
    QWidget* cellEditor() const;
    // Writes the open cell editor's text into the field now; errors propagate.
    void commitEditor();

    // Used by the cell editors.
    void editorKeyPress(CellEditor* editor, QKeyEvent* e, const std::function<void(QKeyEvent*)>& base);
    void editorModified(CellEditor* editor);
    void editorChosen(CellEditor* editor);
    void editorButton(CellEditor* editor);
    void editorCreated(CellEditor* editor);
    void editorDestroyed(QWidget* editor);

signals:
    void rowDoubleClicked();
    void editButtonClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool focusNextPrevChild(bool next) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void syncCurrent();
    void applyColumnLayout();
    void updateTriggers();
    void moveDatasetTo(int row);
    bool beginCellEdit(const QModelIndex& index);
    void writeEditor(CellEditor* editor);
    void onUpdateData();
    void onRecordChanged();
    bool handleNavigationKey(QKeyEvent* e);
    void deleteRow();
    int firstVisibleColumn() const;

    DatasetModel* m_model;
    GridDelegate* m_delegate;
    QPointer<QWidget> m_editor;
    QPointer<QWidget> m_failedEditor;
    bool m_readOnly = false;
    bool m_rowSelect = false;
    bool m_autoAppend = true;
    bool m_confirmDelete = true;
    int m_syncing = 0;
    int m_resetting = 0;  // the model is resetting its rows
    int m_lastColumn = -1;
    bool m_committing = false;
    bool m_hooksApplied = false;
    bool m_commitFailed = false;
    QKeyEvent* m_hookedEvent = nullptr;
    QList<DbGridColumn> m_lastLayout;
};

}  // namespace widgets
