#pragma once
// The rows of a data source's dataset as a table model for DbGrid.
//
// Columns are configured (DbGridColumn) or, when none are given, every
// visible field with its display label as title. Rows are read lazily: the
// model holds the rows the dataset has fetched and asks it for more through
// canFetchMore/fetchMore, so a table of 100,000 rows opens at once. Editing a
// cell writes the field of the dataset's current row (edit state first);
// errors propagate.
#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>
#include <QStringList>
#include <QVector>

#include "db/dataset.h"
#include "db/datasource.h"

namespace db {
class Dataset;
class Field;
}  // namespace db

namespace widgets {

struct DbGridColumn {
    QString fieldName;
    QString title;                  // empty: the field's display label
    int width = 0;                  // pixels; 0: widthChars or the field's width
    int widthChars = 0;             // characters, when width is 0
    bool readOnly = false;          // not editable, shaded
    QStringList pickList;           // edited with a combo box of these entries
    bool ellipsisButton = false;    // the cell editor shows a "…" button
    bool visible = true;
    QColor color;                   // background; invalid: default
    Qt::Alignment alignment = {};   // 0: numbers right, others left
};

// A column on `feld` with its title (empty: the field's label) and its width
// in characters (0: the field's width).
DbGridColumn spalte(const QString& feld, const QString& titel = QString(), int zeichen = 0);

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject* parent = nullptr);

    void setDataSource(db::DataSource* ds);
    db::DataSource* dataSource() const { return m_ds; }
    db::Dataset* dataset() const;
    bool active() const;

    // Empty: every visible field of the dataset.
    void setColumns(const QList<DbGridColumn>& columns);
    QList<DbGridColumn> configuredColumns() const { return m_userColumns; }
    // The columns in force.
    const QList<DbGridColumn>& columns() const { return m_columns; }
    db::Field* fieldAt(int column) const;
    int columnOf(const QString& fieldName) const;

    void setReadOnly(bool r) { m_readOnly = r; }
    bool isReadOnly() const { return m_readOnly; }
    // A cell editor may open (also a read-only cell with an ellipsis button).
    bool isCellEditable(const QModelIndex& index) const;
    // The user may change the cell's field.
    bool isCellWritable(const QModelIndex& index) const;

    void setFetchPacket(int n) { m_packet = n > 0 ? n : 60; }

    // Background of read-only columns.
    static QColor readOnlyColor() { return QColor(0xE3, 0xE3, 0xE3); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // The set of columns changed (widths need applying).
    void columnsChanged();

private:
    void resetAll();
    void rebuildColumns();
    bool fieldsStillValid() const;
    void onDataSetChanged();
    void onRecordChanged();
    void onIndicatorChanged();
    void onRowsFetched(int first, int last);

    QPointer<db::DataSource> m_ds;
    QList<DbGridColumn> m_userColumns;
    QList<DbGridColumn> m_columns;
    // Per column the place of its field in the dataset's field list (-1:
    // none), valid while the dataset's fields keep the version read with it.
    QVector<int> m_fieldIndex;
    QPointer<db::Dataset> m_fieldsOf;
    quint64 m_fieldsVersion = 0;
    QStringList m_columnNames;
    quint64 m_lastFieldsVersion = 0;
    int m_rows = 0;
    int m_indicatorRow = -1;
    int m_packet = 60;
    bool m_readOnly = false;
};

}  // namespace widgets
