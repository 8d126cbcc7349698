#include "widgets/datasetmodel.h"

#include "db/dataset.h"
#include "db/field.h"
#include "widgets/common.h"

namespace widgets {

DbGridColumn spalte(const QString& feld, const QString& titel, int zeichen) {
    DbGridColumn c;
    c.fieldName = feld;
    c.title = titel;
    c.widthChars = zeichen;
    return c;
}

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

void DatasetModel::setDataSource(db::DataSource* ds) {
    if (m_ds == ds) return;
    if (m_ds) disconnect(m_ds, nullptr, this, nullptr);
    m_ds = ds;
    if (ds) {
        connect(ds, &db::DataSource::activeChanged, this, &DatasetModel::resetAll);
        connect(ds, &db::DataSource::dataSetChanged, this, &DatasetModel::onDataSetChanged);
        connect(ds, &db::DataSource::dataSetScrolled, this, &DatasetModel::onIndicatorChanged);
        connect(ds, &db::DataSource::stateChanged, this, &DatasetModel::onIndicatorChanged);
        connect(ds, &db::DataSource::recordChanged, this, &DatasetModel::onRecordChanged);
        connect(ds, &db::DataSource::rowsFetched, this, &DatasetModel::onRowsFetched);
        connect(ds, &QObject::destroyed, this, &DatasetModel::resetAll);
    }
    resetAll();
}

db::Dataset* DatasetModel::dataset() const { return m_ds ? m_ds->dataset() : nullptr; }

bool DatasetModel::active() const {
    db::Dataset* d = dataset();
    return d && d->isActive();
}

void DatasetModel::setColumns(const QList<DbGridColumn>& columns) {
    m_userColumns = columns;
    resetAll();
}

db::Field* DatasetModel::fieldAt(int column) const {
    if (column < 0 || column >= m_fieldIndex.size() || !active() || m_fieldsOf != dataset()) return nullptr;
    db::Dataset* d = dataset();
    // Fields made since the columns were looked up: none until the model
    // has followed them (the dataset tells it with its next change signal).
    if (d->fieldsVersion() != m_fieldsVersion) return nullptr;
    return d->fieldAt(m_fieldIndex[column]);
}

int DatasetModel::columnOf(const QString& fieldName) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].fieldName.compare(fieldName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void DatasetModel::rebuildColumns() {
    db::Dataset* d = dataset();
    const bool isActive = d && d->isActive();
    if (!m_userColumns.isEmpty()) {
        m_columns = m_userColumns;
    } else {
        m_columns.clear();
        if (isActive) {
            for (db::Field* f : d->fields()) {
                if (!f->visible()) continue;
                DbGridColumn c;
                c.fieldName = f->fieldName();
                m_columns.append(c);
            }
        }
    }
    m_fieldIndex.clear();
    for (const DbGridColumn& c : m_columns) {
        db::Field* f = isActive ? d->findField(c.fieldName) : nullptr;
        m_fieldIndex.append(f ? f->index() : -1);
    }
    m_fieldsOf = isActive ? d : nullptr;
    m_fieldsVersion = isActive ? d->fieldsVersion() : 0;
}

bool DatasetModel::fieldsStillValid() const {
    db::Dataset* d = dataset();
    if (!d || !d->isActive() || m_fieldsOf != d || d->fieldsVersion() != m_fieldsVersion) return false;
    if (m_userColumns.isEmpty()) {
        int visible = 0;
        for (db::Field* f : d->fields())
            if (f->visible()) ++visible;
        if (visible != m_columns.size()) return false;
    }
    return true;
}

void DatasetModel::resetAll() {
    beginResetModel();
    rebuildColumns();
    db::Dataset* d = dataset();
    m_rows = d && d->isActive() ? d->recordCount() : 0;
    m_indicatorRow = d && d->isActive() ? d->recNo() : -1;
    endResetModel();
    QStringList names;
    for (const DbGridColumn& c : m_columns) names << c.fieldName;
    if (names != m_columnNames || m_fieldsVersion != m_lastFieldsVersion) {
        m_columnNames = names;
        m_lastFieldsVersion = m_fieldsVersion;
        emit columnsChanged();
    }
}

void DatasetModel::onDataSetChanged() {
    db::Dataset* d = dataset();
    if (!d || !d->isActive() || d->recordCount() != m_rows || !fieldsStillValid()) {
        resetAll();
        return;
    }
    if (m_rows > 0 && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(m_rows - 1, int(m_columns.size()) - 1));
    onIndicatorChanged();
}

void DatasetModel::onRecordChanged() {
    db::Dataset* d = dataset();
    if (!d || !d->isActive()) return;
    const int r = d->recNo();
    if (r < 0 || r >= m_rows || m_columns.isEmpty()) return;
    emit dataChanged(index(r, 0), index(r, int(m_columns.size()) - 1));
}

void DatasetModel::onIndicatorChanged() {
    db::Dataset* d = dataset();
    const int now = d && d->isActive() ? d->recNo() : -1;
    const int before = m_indicatorRow;
    m_indicatorRow = now;
    if (before >= 0 && before < m_rows) emit headerDataChanged(Qt::Vertical, before, before);
    if (now >= 0 && now < m_rows) emit headerDataChanged(Qt::Vertical, now, now);
}

void DatasetModel::onRowsFetched(int first, int last) {
    db::Dataset* d = dataset();
    // Rows fetched while the dataset opens arrive with the open itself.
    if (!d || !d->isActive()) return;
    if (first != m_rows || last < first || d->recordCount() != last + 1) {
        resetAll();
        return;
    }
    beginInsertRows(QModelIndex(), first, last);
    m_rows = last + 1;
    endInsertRows();
}

int DatasetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_columns.size()) return {};
    const DbGridColumn& c = m_columns[index.column()];
    db::Field* f = fieldAt(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        if (!f) return QString();
        const QVariant v = dataset()->valueAt(index.row(), f->index());
        return role == Qt::DisplayRole ? f->displayTextOf(v) : f->asStringOf(v);
    }
    case Qt::BackgroundRole:
        if (c.color.isValid()) return c.color;
        if (c.readOnly || (f && f->readOnly())) return readOnlyColor();
        return {};
    case Qt::TextAlignmentRole:
        if (c.alignment) return int(c.alignment | Qt::AlignVCenter);
        if (f && f->isNumeric()) return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_columns.size()) return {};
        if (role == Qt::DisplayRole) {
            const DbGridColumn& c = m_columns[section];
            if (!c.title.isEmpty()) return c.title;
            db::Field* f = fieldAt(section);
            return f ? f->displayLabel() : c.fieldName;
        }
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    db::Dataset* d = dataset();
    if (!d || !d->isActive() || section != d->recNo()) return QString();
    switch (d->state()) {
    case db::DatasetState::Insert:
        return QStringLiteral("*");
    case db::DatasetState::Edit:
        return QStringLiteral("I");
    default:
        return QString(QChar(0x25B6));
    }
}

bool DatasetModel::isCellWritable(const QModelIndex& index) const {
    if (m_readOnly || !index.isValid() || index.column() >= m_columns.size()) return false;
    if (m_columns[index.column()].readOnly) return false;
    db::Field* f = fieldAt(index.column());
    return f && !f->readOnly() && f->kind() == db::FieldKind::Data;
}

bool DatasetModel::isCellEditable(const QModelIndex& index) const {
    if (m_readOnly || !index.isValid() || index.column() >= m_columns.size()) return false;
    return m_columns[index.column()].ellipsisButton || isCellWritable(index);
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isCellEditable(index)) fl |= Qt::ItemIsEditable;
    return fl;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !isCellWritable(index)) return false;
    db::Dataset* d = dataset();
    // Only the dataset's current row is edited.
    if (!d || index.row() != d->recNo()) return false;
    db::Field* f = fieldAt(index.column());
    if (!d->isEditing()) d->edit();
    f->setAsString(value.toString());
    return true;
}

bool DatasetModel::canFetchMore(const QModelIndex& parent) const {
    if (parent.isValid()) return false;
    db::Dataset* d = dataset();
    return d && d->canFetchMore();
}

void DatasetModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid()) return;
    db::Dataset* d = dataset();
    if (!d || !d->canFetchMore()) return;
    try {
        d->fetchMore(m_packet);
    } catch (...) {
        // Asked by the view while it lays itself out.
        raiseLater(std::current_exception());
    }
}

}  // namespace widgets
