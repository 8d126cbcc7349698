#include "db/dataset.h"

#include <ibase.h>

#include <QDateTime>
#include <algorithm>

#include "db/connection.h"
#include "db/datasource.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"

namespace db {

namespace {

FieldType fieldTypeOf(const ColumnInfo& c) {
    switch (c.type) {
    case ColumnType::Integer:
    case ColumnType::SmallInt:
        return c.scale < 0 ? FieldType::Float : FieldType::Integer;
    case ColumnType::BigInt:
        return c.scale < 0 ? FieldType::Float : FieldType::BigInt;
    case ColumnType::Float:
    case ColumnType::Double:
        return FieldType::Float;
    case ColumnType::Char:
        return FieldType::FixedChar;
    case ColumnType::Timestamp:
    case ColumnType::Date:
        return FieldType::DateTime;
    case ColumnType::Time:
        return FieldType::Time;
    case ColumnType::Octets:
        return FieldType::Bytes;
    default:
        return FieldType::String;
    }
}

bool isNullValue(const QVariant& v) { return !v.isValid() || v.isNull(); }

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// Equality of two field values as locate and master links need it.
bool sameValue(const QVariant& a, const QVariant& b, bool caseInsensitive = false,
               bool partial = false) {
    if (isNullValue(a) || isNullValue(b)) return isNullValue(a) && isNullValue(b);
    if (isNumber(a) && isNumber(b)) return a.toDouble() == b.toDouble();
    if (a.typeId() == QMetaType::QDateTime && b.typeId() == QMetaType::QDateTime)
        return a.toDateTime() == b.toDateTime();
    QString sa = a.toString(), sb = b.toString();
    Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (partial) return sa.startsWith(sb, cs);
    return sa.compare(sb, cs) == 0;
}

QStringList splitNames(const QString& s) {
    QStringList out;
    for (const QString& p : s.split(QLatin1Char(';'), Qt::SkipEmptyParts)) out << p.trimmed();
    return out;
}

}  // namespace

// ---------------------------------------------------------------- DataSource

DataSource::~DataSource() {
    if (m_dataset) m_dataset->detachDataSource(this);
}

void DataSource::setDataset(Dataset* d) {
    if (m_dataset == d) return;
    if (m_dataset) m_dataset->detachDataSource(this);
    m_dataset = d;
    if (d) d->attachDataSource(this);
    emit activeChanged();
    emit dataSetChanged();
    emit dataChange(nullptr);
}

// ---------------------------------------------------------------- rows

char* Dataset::Arena::allocate(size_t n) {
    // Blocks grow from small to kBlock: a dataset that reads one row (a
    // look-up, the largest number) takes a few KB, a long list few blocks.
    // The memory is not cleared: every byte handed out is written by the
    // caller before it is read.
    constexpr size_t kFirst = 4 * 1024, kBlock = 256 * 1024;
    if (m_blocks.empty() || m_used + n > m_size) {
        const size_t next = m_blocks.empty() ? kFirst : std::min(kBlock, m_size * 2);
        m_size = std::max(next, n);
        m_blocks.push_back(std::unique_ptr<char[]>(new char[m_size]));
        m_used = 0;
    }
    char* p = m_blocks.back().get() + m_used;
    m_used += n;
    return p;
}

void Dataset::Arena::clear() {
    m_blocks.clear();
    m_used = m_size = 0;
}

QVariant Dataset::rowValue(const Row& r, int fieldIndex) const {
    if (r.keyOnly) {
        const int column = m_keyColumnOfField.value(fieldIndex, -1);
        return column < 0 ? QVariant() : m_keyCodec->value(r.packed, column);
    }
    if (!r.packed) return r.values.value(fieldIndex);
    if (fieldIndex < 0 || fieldIndex >= m_fields.size()) return QVariant();
    if (fieldIndex < m_dataFieldCount) return m_codec->value(r.packed, m_fields[fieldIndex]->m_column);
    return r.values.value(fieldIndex - m_dataFieldCount);
}

QVector<QVariant> Dataset::rowValues(const Row& r) const {
    if (!r.packed) return r.values;
    QVector<QVariant> out;
    out.reserve(m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i) out.append(rowValue(r, i));
    return out;
}

void Dataset::unpack(Row& r) const {
    if (!r.packed) return;
    r.values = rowValues(r);
    r.packed = nullptr;
}

QString Dataset::identityOf(const Row& r) {
    if (!r.rowId.isEmpty()) return QString::fromLatin1(r.rowId.toHex());
    if (!m_identityKnown) {
        m_identity = identityFieldIndexes();
        m_identityKnown = true;
    }
    QString id;
    for (int i : m_identity) {
        const QVariant v = rowValue(r, i);
        id += (v.isNull() ? QStringLiteral("\\0") : v.toString()) + QChar(0x1f);
    }
    return id;
}

// ---------------------------------------------------------------- Dataset

Dataset::Dataset(Connection* connection, Transaction* transaction, QObject* parent)
    : QObject(parent), m_connection(connection), m_transaction(transaction) {
    if (m_transaction) m_transaction->addDataset(this);
}

void Dataset::transactionDestroyed() {
    if (isActive()) close();
    m_transaction = nullptr;
}

Dataset::~Dataset() {
    if (m_transaction) m_transaction->removeDataset(this);
    for (DataSource* ds : QList<DataSource*>(m_dataSources)) ds->m_dataset = nullptr;
    qDeleteAll(m_fields);
    for (auto& p : m_preparedCache) qDeleteAll(p.fields);
}

void Dataset::attachDataSource(DataSource* ds) {
    if (!m_dataSources.contains(ds)) m_dataSources.append(ds);
}

void Dataset::detachDataSource(DataSource* ds) { m_dataSources.removeAll(ds); }

void Dataset::addDetail(Dataset* d) {
    for (auto& p : m_details)
        if (p == d) return;
    m_details.append(d);
}

void Dataset::removeDetail(Dataset* d) {
    m_details.removeIf([d](const QPointer<Dataset>& p) { return p.isNull() || p == d; });
}

Statement* Dataset::selectStatement() {
    if (!m_select) m_select = std::make_unique<Statement>(m_connection, m_transaction);
    return m_select.get();
}

void Dataset::resetFields() {
    if (!m_fieldsCreated) return;
    // Calculated and lookup fields added by the program are declared again
    // from their settings; data fields follow the new select.
    qDeleteAll(m_fields);
    m_fields.clear();
    m_fieldsCreated = false;
    fieldsChanged();
}

Field* Dataset::addCalculatedField(const QString& name, FieldType type, int size) {
    Field* f = new Field(this, name, type, size, FieldKind::Calculated);
    f->m_index = m_fields.size();
    m_fields.append(f);
    fieldsChanged();
    return f;
}

Field* Dataset::addLookupField(const QString& name, FieldType type, int size, Dataset* lookupDataset,
                               const QString& keyField, const QString& lookupKeyField,
                               const QString& resultField) {
    Field* f = new Field(this, name, type, size, FieldKind::Lookup);
    f->setLookup(lookupDataset, keyField, lookupKeyField, resultField);
    f->m_index = m_fields.size();
    m_fields.append(f);
    fieldsChanged();
    return f;
}

void Dataset::fieldsChanged() {
    // One counter for all datasets: a number is never given twice, so a
    // holder can tell new fields from old ones at the same address.
    static quint64 counter = 0;
    m_fieldsVersion = ++counter;
}

bool Dataset::switchPreparedSelect(const QString& sql) {
    constexpr size_t kCacheSize = 12;
    if (m_select) m_select->close();
    PreparedSelect current;
    current.sql = m_fieldsSql;
    current.statement = std::move(m_select);
    current.fields = m_fields;
    current.dataFieldCount = m_dataFieldCount;
    current.fieldsVersion = m_fieldsVersion;
    m_fields.clear();
    m_fieldsCreated = false;
    bool found = false;
    for (auto it = m_preparedCache.begin(); it != m_preparedCache.end(); ++it) {
        if (it->sql != sql) continue;
        m_select = std::move(it->statement);
        m_fields = it->fields;
        m_dataFieldCount = it->dataFieldCount;
        m_fieldsVersion = it->fieldsVersion;
        m_preparedCache.erase(it);
        found = true;
        break;
    }
    m_preparedCache.push_back(std::move(current));
    if (m_preparedCache.size() > kCacheSize) {
        qDeleteAll(m_preparedCache.front().fields);
        m_preparedCache.erase(m_preparedCache.begin());
    }
    if (!found) return false;
    m_fieldsSql = sql;
    m_preparedSql = sql;
    m_fieldsCreated = true;
    return true;
}

void Dataset::createFields() {
    QVector<QPair<QString, QVariant>> params;
    QString sql = selectSql(&params);
    if (m_fieldsCreated) {
        if (!fieldsFollowSql() || sql == m_fieldsSql) return;
        if (switchPreparedSelect(sql)) return;
    }
    m_fieldsSql = sql;
    Statement* st = selectStatement();
    st->prepare(sql);
    m_preparedSql = sql;
    // Calculated and lookup fields declared before the data fields existed
    // keep their objects; data fields are created in front of them.
    QVector<Field*> extra, old;
    for (Field* f : m_fields)
        if (f->kind() != FieldKind::Data) extra.append(f);
        else old.append(f);
    qDeleteAll(old);
    m_fields.clear();
    const auto& cols = st->columns();
    int first = hasRowIdColumn() ? 1 : 0;
    for (int i = first; i < cols.size(); ++i) {
        const ColumnInfo& c = cols[i];
        if (!m_fieldNames.isEmpty()) {
            bool wanted = false;
            for (const QString& n : m_fieldNames)
                if (n.compare(c.name, Qt::CaseInsensitive) == 0) wanted = true;
            if (!wanted) continue;
        }
        if (m_excludedFieldNames.contains(c.name, Qt::CaseInsensitive)) continue;
        FieldType t = fieldTypeOf(c);
        int size = (t == FieldType::String || t == FieldType::FixedChar) ? c.size : 0;
        Field* f = new Field(this, c.name, t, size, FieldKind::Data);
        f->m_column = i;
        f->m_required = !c.nullable && !c.relation.isEmpty();
        m_fields.append(f);
    }
    m_dataFieldCount = m_fields.size();
    for (Field* f : extra) m_fields.append(f);
    for (int i = 0; i < m_fields.size(); ++i) m_fields[i]->m_index = i;
    m_fieldsCreated = true;
    fieldsChanged();
    if (onFieldsCreated) onFieldsCreated(this);
}

const QVector<Field*>& Dataset::fields() {
    if (!m_fieldsCreated || fieldsFollowSql()) createFields();
    return m_fields;
}

Field* Dataset::findField(const QString& name) {
    if (!m_fieldsCreated || (fieldsFollowSql() && !isActive())) createFields();
    for (Field* f : m_fields)
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0) return f;
    return nullptr;
}

Field* Dataset::fieldByName(const QString& name) {
    Field* f = findField(name);
    if (!f) throw Error(QStringLiteral("%1: Feld '%2' nicht gefunden.").arg(objectName(), name));
    return f;
}

// ---- notification

void Dataset::notifyDataSetChanged() {
    if (m_disableCount > 0) {
        m_changedWhileDisabled = true;
        return;
    }
    for (DataSource* ds : QList<DataSource*>(m_dataSources)) {
        emit ds->dataSetChanged();
        emit ds->dataChange(nullptr);
    }
}

void Dataset::notifyScrolled() {
    if (m_disableCount > 0) {
        m_changedWhileDisabled = true;
        return;
    }
    for (DataSource* ds : QList<DataSource*>(m_dataSources)) {
        emit ds->dataSetScrolled();
        emit ds->dataChange(nullptr);
    }
}

void Dataset::notifyRecordChanged(Field* f) {
    if (m_disableCount > 0) {
        m_changedWhileDisabled = true;
        return;
    }
    for (DataSource* ds : QList<DataSource*>(m_dataSources)) {
        emit ds->recordChanged(f);
        emit ds->dataChange(f);
    }
}

void Dataset::notifyStateChanged() {
    if (m_disableCount > 0) return;
    for (DataSource* ds : QList<DataSource*>(m_dataSources)) emit ds->stateChanged();
}

void Dataset::notifyActiveChanged() {
    if (m_disableCount > 0) {
        m_changedWhileDisabled = true;
        return;
    }
    for (DataSource* ds : QList<DataSource*>(m_dataSources)) emit ds->activeChanged();
}

void Dataset::setState(DatasetState s) {
    if (m_state == s) return;
    m_state = s;
    notifyStateChanged();
}

void Dataset::disableControls() { ++m_disableCount; }

void Dataset::enableControls() {
    if (m_disableCount == 0) return;
    if (--m_disableCount == 0 && m_changedWhileDisabled) {
        m_changedWhileDisabled = false;
        for (DataSource* ds : QList<DataSource*>(m_dataSources)) emit ds->activeChanged();
        notifyStateChanged();
        notifyDataSetChanged();
    }
}

// ---- open / close

void Dataset::checkActive() const {
    if (!isActive())
        throw Error(QStringLiteral("%1: Operation bei geschlossener Datenmenge nicht möglich.")
                        .arg(objectName()));
}

void Dataset::checkNotEmpty() const {
    if (m_rows.empty() || m_current < 0)
        throw Error(QStringLiteral("%1: Operation bei leerer Datenmenge nicht möglich.").arg(objectName()));
}

void Dataset::openCursor() {
    QVector<QPair<QString, QVariant>> params;
    QString sql = selectSql(&params);
    createFields();
    Statement* st = selectStatement();
    st->prepare(sql);
    m_preparedSql = sql;
    st->clearParams();
    for (const auto& p : params) st->setParam(p.first, p.second);
    st->open();
    ++m_selectCount;
    m_codec = st->rowCodec();
    m_identityKnown = false;
    m_allFetched = false;
    m_restLost = false;
}

void Dataset::closeCursor() {
    if (m_select) m_select->close();
    m_allFetched = true;
    m_localInserts.clear();
}

bool Dataset::fetchRow() {
    if (m_allFetched) return false;
    Statement* st = m_select.get();
    for (;;) {
        if (!st->fetch()) {
            m_allFetched = true;
            return false;
        }
        const char* message = st->rowMessage();
        Row r;
        const size_t n = m_codec->packedSize(message);
        char* packed = m_arena.allocate(n);
        m_codec->pack(message, packed);
        r.packed = packed;
        if (hasRowIdColumn()) r.rowId = m_codec->value(packed, 0).toByteArray();
        // A row this dataset inserted after the cursor was opened is there already.
        if (!m_localInserts.isEmpty() && m_localInserts.contains(identityOf(r))) continue;
        if (m_fields.size() > m_dataFieldCount) {
            r.values.resize(m_fields.size() - m_dataFieldCount);
            calculate(r);
        }
        m_rows.push_back(std::move(r));
        return true;
    }
}

int Dataset::fetchMore(int n) {
    if (m_allFetched || !m_select) return 0;
    int first = int(m_rows.size());
    int got = 0;
    while (got < n && fetchRow()) ++got;
    if (got > 0 && m_disableCount == 0)
        for (DataSource* ds : QList<DataSource*>(m_dataSources)) emit ds->rowsFetched(first, first + got - 1);
    return got;
}

void Dataset::fetchAll() {
    while (canFetchMore()) fetchMore(1000);
}

void Dataset::calculate(Row& r) {
    Row* saved = m_calcTarget;
    bool wasCalculating = m_calculating;
    m_calcTarget = &r;
    m_calculating = true;
    try {
        for (Field* f : m_fields) {
            const int shift = r.packed ? m_dataFieldCount : 0;
            if (f->kind() == FieldKind::Calculated) {
                r.values[f->m_index - shift] = QVariant();
            } else if (f->kind() == FieldKind::Lookup) {
                QVariant v;
                Dataset* ld = f->lookupDataset();
                Field* key = findField(f->keyField());
                if (ld && ld->isActive() && key) {
                    QVariant k = rowValue(r, key->m_index);
                    if (!isNullValue(k)) v = ld->lookup(f->lookupKeyField(), k, f->lookupResultField());
                }
                r.values[f->m_index - (r.packed ? m_dataFieldCount : 0)] = f->convert(v);
            }
        }
        if (onCalcFields) onCalcFields(this);
    } catch (...) {
        m_calcTarget = saved;
        m_calculating = wasCalculating;
        throw;
    }
    m_calcTarget = saved;
    m_calculating = wasCalculating;
}

void Dataset::calculateBuffer() {
    if (m_fields.size() > m_dataFieldCount) calculate(m_buffer);
}

void Dataset::clearState() {
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_arena.clear();
    m_keyCodec.reset();
    m_keyColumnOfField.clear();
    if (m_pageRead.statement) m_pageRead.statement->close();
    if (m_rangeRead.statement) m_rangeRead.statement->close();
    m_buffer = Row();
    m_current = -1;
    m_eof = m_bof = true;
    m_modified = false;
    m_restLost = false;
}

void Dataset::open() {
    if (isActive()) return;
    if (beforeOpen) beforeOpen(this);
    if (!m_transaction) throw Error(QStringLiteral("%1: keine Transaktion.").arg(objectName()));
    clearState();
    try {
        m_seenVersion = tableVersionNow();
        openCursor();
        fetchMore(m_packet);
    } catch (...) {
        closeCursor();
        clearState();
        throw;
    }
    m_state = DatasetState::Browse;
    m_current = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    notifyActiveChanged();
    notifyStateChanged();
    notifyDataSetChanged();
    if (afterOpen) afterOpen(this);
    if (afterScroll) afterScroll(this);
}

void Dataset::close() {
    if (!isActive()) return;
    if (beforeClose) beforeClose(this);
    closeCursor();
    clearState();
    m_state = DatasetState::Inactive;
    notifyActiveChanged();
    notifyStateChanged();
    notifyDataSetChanged();
    if (afterClose) afterClose(this);
}

void Dataset::transactionEnded() {
    // The cursor ended with the transaction; pending edits are gone with it.
    if (isActive()) close();
}

void Dataset::writeTransactionEnding(Firebird::ITransaction* write) {
    if (!isActive() || m_allFetched || !m_select || !write || m_select->cursorTransaction() != write) return;
    if (!readKeyedRest()) fetchAll();
}

void Dataset::connectionLost() {
    if (!isActive()) return;
    // The cursor went with the attachment: the rows read so far stay, and
    // so does an edit in progress; the rest waits for the next read.
    if (!m_allFetched) {
        m_allFetched = true;
        m_restLost = true;
    }
    m_localInserts.clear();
}

void Dataset::reopen(bool keepPosition) {
    if (!isActive()) return;
    // Remember the current row by its data values so that it stays current
    // when the new selection still holds it.
    QVector<QVariant> key;
    QByteArray rowId;
    if (keepPosition && m_current >= 0 && m_current < int(m_rows.size()) && !isEditing()) {
        key = rowValues(m_rows[m_current]);
        rowId = m_rows[m_current].rowId;
    }
    if (isEditing()) cancel();
    closeCursor();
    clearState();
    try {
        m_seenVersion = tableVersionNow();
        openCursor();
        fetchMore(m_packet);
    } catch (...) {
        closeCursor();
        clearState();
        m_state = DatasetState::Inactive;
        notifyActiveChanged();
        notifyDataSetChanged();
        throw;
    }
    m_current = m_rows.empty() ? -1 : 0;
    if (!key.isEmpty()) {
        int found = findRow(key, rowId);
        if (found >= 0) m_current = found;
    }
    m_bof = m_current <= 0;
    m_eof = m_rows.empty();
    notifyDataSetChanged();
    if (afterScroll) afterScroll(this);
}

void Dataset::refresh() {
    checkActive();
    checkBrowseMode();
    reopen();
}

void Dataset::showNoRows() {
    closeCursor();
    clearState();
    m_seenVersion = tableVersionNow();
    notifyDataSetChanged();
    if (afterScroll) afterScroll(this);
}

// ---- datasets over one table

quint64 Dataset::tableVersionNow() const {
    const QString t = writtenTable();
    return t.isEmpty() || !m_connection ? 0 : m_connection->tableVersion(t);
}

bool Dataset::stale() const { return isActive() && m_seenVersion != tableVersionNow(); }

void Dataset::noteWritten(const QStringList& identities) {
    const QString t = writtenTable();
    if (t.isEmpty() || !m_connection) return;
    // A dataset that had seen everything before its own write still has.
    const bool uptodate = m_seenVersion == m_connection->tableVersion(t);
    quint64 v = 0;
    for (const QString& id : identities) v = m_connection->noteRowWritten(t, id);
    if (uptodate && v) m_seenVersion = v;
}

Dataset::Reread Dataset::readRowAgain(const QVector<QVariant>&, const QByteArray&, QVector<QVariant>*) {
    return Reread::NotAddressable;
}

Dataset::Reread Dataset::rereadRow(int index) {
    Row& r = m_rows[index];
    const QVector<QVariant> old = rowValues(r);
    QVector<QVariant> columns;
    const Reread result = readRowAgain(old, r.rowId, &columns);
    if (result != Reread::Found) return result;
    Row fresh;
    fresh.rowId = r.rowId;
    fresh.values = old;
    for (int i = 0; i < m_dataFieldCount; ++i) fresh.values[i] = columns.value(m_fields[i]->m_column);
    if (m_fields.size() > m_dataFieldCount) calculate(fresh);
    if (isEditing() && index == m_current && m_state == DatasetState::Edit) {
        // The user's changes stay; every other column shows what is stored.
        for (int i = 0; i < m_dataFieldCount; ++i)
            if (sameValue(m_buffer.values.value(i), old[i])) m_buffer.values[i] = fresh.values[i];
        calculateBuffer();
    }
    r = std::move(fresh);
    return Reread::Found;
}

void Dataset::resync() {
    if (!stale()) return;
    if (isEditing()) {
        // What the controls hold goes into the edit first; a text that is
        // no value yet stays where it is, and the rows wait.
        try {
            updateRecord();
        } catch (...) {
            return;
        }
    }
    const QString t = writtenTable();
    const quint64 now = tableVersionNow();
    QSet<QString> written;
    const bool known = m_connection->rowsWrittenSince(t, m_seenVersion, &written);
    if (!known) {
        // Too much happened: read everything again (an edit in progress
        // keeps its row until it is saved or cancelled).
        if (isEditing()) {
            if (m_state == DatasetState::Edit) rereadRow(m_current);
            notifyRecordChanged(nullptr);
            return;
        }
        reopen();
        return;
    }
    bool changed = false;
    const int editing = isEditing() ? m_current : -1;
    for (int i = int(m_rows.size()) - 1; i >= 0; --i) {
        if (m_state == DatasetState::Insert && i == m_current) continue;
        // A key-only row is read as it is stored when it is read.
        if (m_rows[size_t(i)].keyOnly) continue;
        if (!written.contains(identityOf(m_rows[i]))) continue;
        if (rereadRow(i) == Reread::Gone && i != editing) {
            // Deleted by the other dataset.
            m_rows.erase(m_rows.begin() + i);
            if (m_current > i || m_current >= int(m_rows.size())) --m_current;
        }
        changed = true;
    }
    m_seenVersion = now;
    if (!changed) return;
    if (m_current < 0 && !m_rows.empty()) m_current = 0;
    settleCurrent();
    m_eof = m_rows.empty();
    m_bof = m_current <= 0;
    notifyDataSetChanged();
    if (!isEditing() && afterScroll) afterScroll(this);
}

// ---- navigation

void Dataset::checkDetailsBrowseMode() {
    for (const QPointer<Dataset>& d : QList<QPointer<Dataset>>(m_details))
        if (d && d->isActive()) d->checkBrowseMode();
}

void Dataset::doScroll(int newRow) {
    // Callers read the row first (readRow); the current row is always whole.
    if (newRow >= 0 && newRow < int(m_rows.size()) && m_rows[size_t(newRow)].keyOnly) newRow = readRowOrLast(newRow);
    if (beforeScroll) beforeScroll(this);
    m_current = newRow;
    notifyScrolled();
    if (afterScroll) afterScroll(this);
}

void Dataset::first() {
    checkActive();
    checkBrowseMode();
    if (m_rows.empty()) fetchMore(m_packet);
    const int at = readRow(0, 1);
    doScroll(at >= int(m_rows.size()) ? -1 : at);
    m_bof = true;
    m_eof = m_rows.empty();
}

void Dataset::last() {
    checkActive();
    checkBrowseMode();
    // A table reads the keys of the rows not fetched yet instead of the
    // whole rows, then only the last page whole: the position, the row
    // count and the row numbers are those of a full fetch, and the other
    // rows are read by page when something shows or reads them.
    if (!readKeyedRest()) fetchAll();
    doScroll(readRow(int(m_rows.size()) - 1, -1));
    m_eof = true;
    m_bof = m_rows.empty();
}

void Dataset::next() {
    checkActive();
    checkBrowseMode();
    if (m_current + 1 >= int(m_rows.size())) fetchMore(m_packet);
    const int at = m_current + 1 < int(m_rows.size()) ? readRow(m_current + 1, 1) : int(m_rows.size());
    if (at < int(m_rows.size())) {
        doScroll(at);
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
}

void Dataset::prior() {
    checkActive();
    checkBrowseMode();
    const int at = m_current > 0 ? readRow(m_current - 1, -1) : -1;
    if (at >= 0) {
        doScroll(at);
        m_eof = false;
        m_bof = false;
    } else {
        m_bof = true;
    }
}

int Dataset::moveBy(int distance) {
    int moved = 0;
    while (distance > 0 && !eof()) {
        int before = m_current;
        next();
        if (m_current != before) ++moved;
        --distance;
    }
    while (distance < 0 && !bof()) {
        int before = m_current;
        prior();
        if (m_current != before) --moved;
        ++distance;
    }
    return moved;
}

bool Dataset::isEmpty() const { return m_rows.empty(); }

void Dataset::setRecNo(int row) {
    checkActive();
    if (row == m_current) return;
    checkBrowseMode();
    while (row >= int(m_rows.size()) && canFetchMore()) fetchMore(m_packet);
    if (row < 0 || row >= int(m_rows.size())) return;
    row = readRowOrLast(row);
    if (row < 0 || row == m_current) return;
    doScroll(row);
    m_bof = row == 0;
    m_eof = false;
}

int Dataset::findRow(const QVector<QVariant>& values, const QByteArray& rowId) {
    auto matches = [&](const Row& r) {
        if (!rowId.isEmpty()) return r.rowId == rowId;
        for (int i = 0; i < m_dataFieldCount && i < values.size(); ++i)
            if (!sameValue(rowValue(r, i), values[i])) return false;
        return true;
    };
    // Key-only rows are read when their key is the one looked for.
    QVector<QPair<int, QVariant>> key;
    auto search = [&]() -> int {
        if (key.isEmpty() && m_keyCodec)
            for (int i : m_identity) key.append({i, values.value(i)});
        for (int i = 0; i < int(m_rows.size()); ++i) {
            if (m_rows[size_t(i)].keyOnly) {
                if (!rowId.isEmpty() || !keyMatches(m_rows[size_t(i)], key, false, false)) continue;
                i = readRow(i, 1);
                if (i >= int(m_rows.size())) break;
            }
            if (matches(m_rows[size_t(i)])) return i;
        }
        return -1;
    };
    const int found = search();
    if (found >= 0) return found;
    // Not among the fetched rows: ask the server first whether it is there at
    // all, so that a row that left the selection costs no full fetch.
    if (!m_allFetched && rowStillSelected(values, rowId)) {
        if (readKeyedRest()) return search();
        while (canFetchMore()) {
            int from = int(m_rows.size());
            fetchMore(m_packet);
            for (int i = from; i < int(m_rows.size()); ++i)
                if (matches(m_rows[i])) return i;
        }
    }
    return -1;
}

bool Dataset::locate(const QString& fieldNames, const QVariant& values, bool caseInsensitive,
                     bool partialKey) {
    checkActive();
    checkBrowseMode();
    QStringList names = splitNames(fieldNames);
    QVariantList vals = values.typeId() == QMetaType::QVariantList ? values.toList() : QVariantList{values};
    QVector<Field*> fs;
    for (const QString& n : names) fs.append(fieldByName(n));
    auto matches = [&](const Row& r) {
        for (int i = 0; i < fs.size(); ++i) {
            QVariant want = i < vals.size() ? vals[i] : QVariant();
            if (!sameValue(rowValue(r, fs[i]->index()), want, caseInsensitive, partialKey)) return false;
        }
        return true;
    };
    // A key-only row whose key does not match is passed over unread.
    QVector<QPair<int, QVariant>> key;
    for (int i = 0; i < fs.size(); ++i) key.append({fs[i]->index(), i < vals.size() ? vals[i] : QVariant()});
    const bool scan = !searchesKey(key);
    int i = 0;
    for (;;) {
        for (; i < int(m_rows.size()); ++i) {
            if (m_rows[size_t(i)].keyOnly) {
                if (!keyMatches(m_rows[size_t(i)], key, caseInsensitive, partialKey)) continue;
                i = readRow(i, 1, scan);
                if (i >= int(m_rows.size())) break;
            }
            if (matches(m_rows[size_t(i)])) {
                doScroll(i);
                m_bof = i == 0;
                m_eof = false;
                return true;
            }
        }
        if (!canFetchMore()) return false;
        fetchMore(m_packet);
    }
}

QVariant Dataset::lookup(const QString& fieldNames, const QVariant& values, const QString& resultField) {
    if (!isActive()) return QVariant();
    QStringList names = splitNames(fieldNames);
    QVariantList vals = values.typeId() == QMetaType::QVariantList ? values.toList() : QVariantList{values};
    QVector<Field*> fs;
    for (const QString& n : names) fs.append(fieldByName(n));
    Field* result = fieldByName(resultField);
    fetchAll();
    QVector<QPair<int, QVariant>> key;
    for (int i = 0; i < fs.size(); ++i) key.append({fs[i]->index(), i < vals.size() ? vals[i] : QVariant()});
    const bool scan = !searchesKey(key);
    for (int r = 0; r < int(m_rows.size()); ++r) {
        if (m_rows[size_t(r)].keyOnly) {
            if (!keyMatches(m_rows[size_t(r)], key, false, false)) continue;
            r = readRow(r, 1, scan);
            if (r >= int(m_rows.size())) break;
        }
        bool ok = true;
        for (int i = 0; i < fs.size() && ok; ++i)
            ok = sameValue(valueAt(r, fs[i]->index()), i < vals.size() ? vals[i] : QVariant());
        if (ok) return valueAt(r, result->index());
    }
    return QVariant();
}

// ---- values

QVariant Dataset::currentValue(int fieldIndex) const {
    if (fieldIndex < 0) return QVariant();
    if (m_calculating && m_calcTarget) return rowValue(*m_calcTarget, fieldIndex);
    if (isEditing()) return m_buffer.values.value(fieldIndex);
    if (m_current < 0 || m_current >= int(m_rows.size())) return QVariant();
    return rowValue(m_rows[m_current], fieldIndex);
}

QVariant Dataset::storedValue(int fieldIndex) const {
    if (fieldIndex < 0) return QVariant();
    if (m_state == DatasetState::Insert) return QVariant();
    if (m_current < 0 || m_current >= int(m_rows.size())) return QVariant();
    return rowValue(m_rows[m_current], fieldIndex);
}

QVariant Dataset::valueAt(int row, int fieldIndex) const {
    if (isRowEditing(row)) return m_buffer.values.value(fieldIndex);
    if (row < 0 || row >= int(m_rows.size())) return QVariant();
    if (m_rows[size_t(row)].keyOnly) {
        // Read with its page when a grid or a printout first asks for it.
        // This runs while a grid paints: a failing read shows the row empty
        // (navigating to it reports the error).
        try {
            row = const_cast<Dataset*>(this)->readRow(row, 1);
        } catch (const std::exception&) {
            return QVariant();
        }
        if (isRowEditing(row)) return m_buffer.values.value(fieldIndex);
        if (row < 0 || row >= int(m_rows.size())) return QVariant();
    }
    return rowValue(m_rows[size_t(row)], fieldIndex);
}

void Dataset::setCurrentValue(Field* field, const QVariant& v) {
    if (m_calculating && m_calcTarget) {
        Row& r = *m_calcTarget;
        if (r.packed && field->index() < m_dataFieldCount) unpack(r);
        r.values[field->index() - (r.packed ? m_dataFieldCount : 0)] = v;
        return;
    }
    if (!isEditing())
        throw Error(QStringLiteral("%1: Datenmenge befindet sich nicht im Editier- oder Einfügemodus")
                        .arg(objectName()));
    m_buffer.values[field->index()] = v;
    m_modified = true;
    if (field->kind() == FieldKind::Data) {
        // Lookup fields keyed on this field follow it.
        for (Field* f : m_fields)
            if (f->kind() == FieldKind::Lookup &&
                f->keyField().compare(field->fieldName(), Qt::CaseInsensitive) == 0) {
                Dataset* ld = f->lookupDataset();
                QVariant r;
                if (ld && ld->isActive() && !isNullValue(v))
                    r = ld->lookup(f->lookupKeyField(), v, f->lookupResultField());
                m_buffer.values[f->index()] = f->convert(r);
            }
    }
    if (field->kind() != FieldKind::Calculated && onCalcFields) {
        Row* saved = m_calcTarget;
        m_calcTarget = &m_buffer;
        m_calculating = true;
        for (Field* f : m_fields)
            if (f->kind() == FieldKind::Calculated) m_buffer.values[f->index()] = QVariant();
        try {
            onCalcFields(this);
        } catch (...) {
            m_calculating = false;
            m_calcTarget = saved;
            throw;
        }
        m_calculating = false;
        m_calcTarget = saved;
    }
    notifyRecordChanged(field);
}

// ---- editing

void Dataset::updateRecord() {
    if (!isEditing() || m_disableCount > 0) return;
    for (DataSource* ds : QList<DataSource*>(m_dataSources)) emit ds->updateData();
}

void Dataset::checkBrowseMode() {
    if (!isActive()) return;
    checkDetailsBrowseMode();
    if (!isEditing()) return;
    updateRecord();
    if (m_modified) post();
    else cancel();
}

void Dataset::beginInsert(bool append) {
    checkActive();
    checkBrowseMode();
    if (beforeInsert) beforeInsert(this);
    int pos;
    if (append) {
        // The new row goes after the rows read so far, where the grid shows
        // it; the rest of the table stays unread.
        pos = int(m_rows.size());
    } else {
        pos = m_current < 0 ? 0 : m_current;
    }
    m_rowBeforeInsert = m_current;
    Row r;
    r.values.resize(m_fields.size());
    m_rows.insert(m_rows.begin() + pos, r);
    m_current = pos;
    m_buffer = r;
    m_state = DatasetState::Insert;
    m_eof = m_bof = false;
    initDetailRow();
    calculateBuffer();
    m_modified = false;
    m_keepInsertModified = false;
    notifyStateChanged();
    notifyDataSetChanged();
    if (afterInsert) afterInsert(this);
    // Defaults given by the handlers do not count as a change by the user: a
    // new row left untouched is dropped when the user moves on.
    if (m_state == DatasetState::Insert) {
        if (!m_keepInsertModified) m_modified = false;
        if (afterScroll) afterScroll(this);
    }
}

void Dataset::insert() { beginInsert(false); }
void Dataset::append() { beginInsert(true); }

void Dataset::edit() {
    checkActive();
    if (isEditing()) return;
    if (m_rows.empty()) {
        append();
        return;
    }
    if (beforeEdit) beforeEdit(this);
    // Another dataset of the table may have saved this row since it was
    // read: the edit starts from what is stored.
    bool reread = false;
    if (stale()) {
        QSet<QString> written;
        if (!m_connection->rowsWrittenSince(writtenTable(), m_seenVersion, &written) ||
            written.contains(identityOf(m_rows[m_current]))) {
            if (rereadRow(m_current) == Reread::Gone)
                throw Error(QStringLiteral("Der Datensatz wurde inzwischen gelöscht; er kann nicht mehr "
                                           "bearbeitet werden."));
            reread = true;
        }
    }
    m_buffer = m_rows[m_current];
    unpack(m_buffer);
    m_state = DatasetState::Edit;
    m_modified = false;
    notifyStateChanged();
    if (reread) notifyRecordChanged(nullptr);
    if (afterEdit) afterEdit(this);
}

void Dataset::checkRequired() {
    for (Field* f : m_fields)
        if (f->kind() == FieldKind::Data && f->required() && isNullValue(m_buffer.values[f->index()]))
            throw Error(QStringLiteral("Feld '%1' muss einen Wert haben.").arg(f->displayLabel()));
}

void Dataset::post() {
    updateRecord();
    if (!isEditing()) return;
    checkDetailsBrowseMode();
    if (beforePost) beforePost(this);
    checkRequired();
    const bool inserted = m_state == DatasetState::Insert;
    const bool noted = !writtenTable().isEmpty();
    QString oldIdentity;
    if (inserted) {
        QByteArray rowId;
        insertBuffer(&rowId);
        m_buffer.rowId = rowId;
    } else {
        const Row& old = m_rows[m_current];
        if (!m_localInserts.isEmpty() || noted) oldIdentity = identityOf(old);
        try {
            writeUpdate(rowValues(old), m_buffer.values, m_buffer.rowId);
        } catch (const Error& e) {
            // Saved meanwhile by someone else: the row is read again, the
            // user's own changes stay in the edit, and the message says so.
            // A second save writes them over what is stored now.
            const bool lockConflict = e.gdsCode() == isc_update_conflict || e.gdsCode() == isc_deadlock;
            if (!lockConflict && !dynamic_cast<const ChangedElsewhere*>(&e)) throw;
            if (rereadRow(m_current) == Reread::Gone)
                throw Error(QStringLiteral("Der Datensatz wurde inzwischen an einem anderen Arbeitsplatz "
                                           "gelöscht; Ihre Änderung kann nicht gespeichert werden."));
            notifyRecordChanged(nullptr);
            if (lockConflict)
                throw ChangedElsewhere(QStringLiteral(
                    "Der Datensatz wurde inzwischen an einem anderen Arbeitsplatz geändert und gespeichert. "
                    "Er wurde neu gelesen; Ihre Änderung ist noch eingetragen.\n\n"
                    "Speichern Sie erneut, um Ihre Änderung zu übernehmen, oder brechen Sie ab, um die dort "
                    "gespeicherten Werte zu behalten."));
            throw;
        }
    }
    if (m_transaction) m_transaction->noteWrite();
    m_rows[m_current] = m_buffer;
    if (noted) {
        QStringList written{identityOf(m_rows[m_current])};
        if (!oldIdentity.isEmpty() && oldIdentity != written.first()) written << oldIdentity;
        noteWritten(written);
    }
    // While the cursor is open it may still come to this row.
    if (!m_allFetched && (inserted || m_localInserts.remove(oldIdentity))) {
        const QString id = identityOf(m_rows[m_current]);
        if (!id.isEmpty()) m_localInserts.insert(id);
    }
    m_buffer = Row();
    m_modified = false;
    m_state = DatasetState::Browse;
    notifyStateChanged();
    notifyDataSetChanged();
    if (afterPost) afterPost(this);
}

void Dataset::cancel() {
    if (!isEditing()) return;
    if (beforeCancel) beforeCancel(this);
    if (m_state == DatasetState::Insert) {
        m_rows.erase(m_rows.begin() + m_current);
        int back = m_rowBeforeInsert;
        if (back >= int(m_rows.size())) back = int(m_rows.size()) - 1;
        m_current = m_rows.empty() ? -1 : (back < 0 ? 0 : back);
        settleCurrent();
    }
    m_buffer = Row();
    m_modified = false;
    m_state = DatasetState::Browse;
    m_eof = m_rows.empty();
    m_bof = m_current <= 0;
    notifyStateChanged();
    notifyDataSetChanged();
    if (afterCancel) afterCancel(this);
    if (afterScroll) afterScroll(this);
}

void Dataset::deleteRecord() {
    checkActive();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    checkNotEmpty();
    if (m_state == DatasetState::Edit) cancel();
    checkDetailsBrowseMode();
    if (beforeDelete) beforeDelete(this);
    writeDelete(rowValues(m_rows[m_current]), m_rows[m_current].rowId);
    if (m_transaction) m_transaction->noteWrite();
    if (!writtenTable().isEmpty()) noteWritten({identityOf(m_rows[m_current])});
    m_rows.erase(m_rows.begin() + m_current);
    if (m_current >= int(m_rows.size()) && canFetchMore()) fetchMore(m_packet);
    if (m_current >= int(m_rows.size())) m_current = int(m_rows.size()) - 1;
    settleCurrent();
    m_eof = m_rows.empty();
    m_bof = m_current <= 0;
    notifyDataSetChanged();
    if (afterDelete) afterDelete(this);
    if (afterScroll) afterScroll(this);
}

void Dataset::insertBuffer(QByteArray* rowId) {
    for (int attempt = 1;; ++attempt) {
        try {
            writeInsert(m_buffer.values, rowId);
            return;
        } catch (const Error& e) {
            const bool keyTaken = e.gdsCode() == isc_unique_key_violation || e.gdsCode() == isc_no_dup;
            if (!keyTaken || !onKeyTaken || attempt >= 50) throw;
        }
        onKeyTaken(this);
    }
}

void Dataset::writeInsert(QVector<QVariant>&, QByteArray*) {
    throw Error(QStringLiteral("%1: Die Datenmenge kann nicht geändert werden.").arg(objectName()));
}
void Dataset::writeUpdate(const QVector<QVariant>&, const QVector<QVariant>&, const QByteArray&) {
    throw Error(QStringLiteral("%1: Die Datenmenge kann nicht geändert werden.").arg(objectName()));
}
void Dataset::writeDelete(const QVector<QVariant>&, const QByteArray&) {
    throw Error(QStringLiteral("%1: Die Datenmenge kann nicht geändert werden.").arg(objectName()));
}

bool Dataset::rowStillSelected(const QVector<QVariant>&, const QByteArray&) { return true; }

bool Dataset::keyedSelectSql(int, QString*, QString*, QString*, QVector<QPair<QString, QVariant>>*) {
    return false;
}

// ---- rows known by their key

bool Dataset::readKeyedRest() {
    if (m_allFetched || !m_select || !m_codec || isEditing() || !m_localInserts.isEmpty()) return false;
    if (!m_identityKnown) {
        m_identity = identityFieldIndexes();
        m_identityKnown = true;
    }
    if (m_identity.isEmpty()) return false;
    for (int i : m_identity)
        if (i < 0 || i >= m_dataFieldCount) return false;
    QString keySql, rowSql, rangeSql;
    QVector<QPair<QString, QVariant>> params;
    if (!keyedSelectSql(kKeyPage, &keySql, &rowSql, &rangeSql, &params)) return false;

    Statement keys(m_connection, m_transaction);
    keys.prepare(keySql);
    if (keys.columnCount() != m_identity.size()) return false;
    if (!prepareKeyedRead(m_pageRead, rowSql, kKeyPage)) return false;
    // Rows whose keys are numbers lying close together are read as a range
    // (low, high: keys 0 and 1 of that select).
    m_rangeRead.count = 0;
    if (m_identity.size() == 1 && !rangeSql.isEmpty() && !prepareKeyedRead(m_rangeRead, rangeSql, 2))
        m_rangeRead.count = 0;
    for (const auto& p : params) keys.setParam(p.first, p.second);
    keys.open();
    ++m_selectCount;

    m_keyCodec = keys.rowCodec();
    m_keyColumnOfField = QVector<int>(m_fields.size(), -1);
    for (int j = 0; j < m_identity.size(); ++j) m_keyColumnOfField[m_identity[j]] = j;
    auto giveUp = [&] {
        keys.close();
        m_keyCodec.reset();
        m_keyColumnOfField.clear();
        return false;
    };
    // The rows fetched so far must be the first rows of the key list, in
    // the same order: then the rest of the key list is the rest of the
    // cursor's rows. Otherwise rows were inserted, deleted or changed
    // meanwhile where the cursor has been, and the cursor goes on.
    const int head = int(m_rows.size());
    int n = 0;
    // The keys are collected first and the rows made at once: growing the
    // row list row by row would copy it again and again.
    std::vector<const char*> rest;
    try {
        while (keys.fetch()) {
            const char* message = keys.rowMessage();
            const size_t bytes = m_keyCodec->packedSize(message);
            char* packed = m_arena.allocate(bytes);
            m_keyCodec->pack(message, packed);
            if (n < head) {
                Row r;
                r.packed = packed;
                r.keyOnly = true;
                if (m_rows[size_t(n)].keyOnly || identityOf(r) != identityOf(m_rows[size_t(n)])) return giveUp();
            } else {
                rest.push_back(packed);
            }
            ++n;
        }
    } catch (...) {
        giveUp();
        throw;
    }
    if (n < head) return giveUp();
    m_rows.reserve(m_rows.size() + rest.size());
    for (const char* packed : rest) {
        Row r;
        r.packed = packed;
        r.keyOnly = true;
        m_rows.push_back(std::move(r));
    }
    rest = {};
    if (m_select) m_select->close();
    m_allFetched = true;
    m_pageParams = params;
    if (n > head && m_disableCount == 0)
        for (DataSource* ds : QList<DataSource*>(m_dataSources)) emit ds->rowsFetched(head, n - 1);
    return true;
}

bool Dataset::prepareKeyedRead(KeyedRead& read, const QString& sql, int count) {
    if (!read.statement) read.statement = std::make_unique<Statement>(m_connection, m_transaction);
    read.statement->prepare(sql);
    // Whole rows read by key are kept packed like the cursor's rows.
    if (!read.statement->rowCodec() || !m_codec->samePackedForm(*read.statement->rowCodec())) return false;
    read.sql = sql;
    read.count = count;
    QHash<QString, int> at;
    const QStringList names = read.statement->paramNames();
    for (int i = 0; i < names.size(); ++i) at.insert(names[i].toLower(), i);
    read.keyParam.clear();
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < m_identity.size(); ++j) {
            const int p = at.value(QStringLiteral("kyn_key_%1_%2").arg(i).arg(j), -1);
            if (p < 0) return false;
            read.keyParam << p;
        }
    return true;
}

int Dataset::readRow(int index, int step, bool scan) {
    while (index >= 0 && index < int(m_rows.size()) && m_rows[size_t(index)].keyOnly) {
        bool gone = false;
        index = readPage(index, &gone, scan);
        if (gone && step < 0) --index;
    }
    return index;
}

int Dataset::readRowOrLast(int index) {
    const int at = readRow(index, 1);
    return at < int(m_rows.size()) ? at : readRow(int(m_rows.size()) - 1, -1);
}

int Dataset::readPage(int index, bool* gone, bool scan) {
    *gone = false;
    const int size = int(m_rows.size());
    QHash<QString, int> wanted;
    QVector<int> order;
    qint64 low = 0, high = 0;
    // The key-only rows of a page. Pages lie at fixed places, so that
    // walking backwards reads as few pages as walking forwards. Whether their
    // keys are numbers lying close together (numbers given in sequence, the
    // table's usual order): then they are read as one range of the key's
    // index, which costs the server less than a list of keys, whose every
    // entry it compares with every row.
    auto collect = [&](int span) {
        wanted.clear();
        order.clear();
        const int from = index / span * span, to = std::min(from + span, size);
        bool numbers = m_rangeRead.count > 0;
        for (int i = from; i < to; ++i) {
            const Row& r = m_rows[size_t(i)];
            if (!r.keyOnly) continue;
            wanted.insert(identityOf(r), i);
            order << i;
            if (!numbers) continue;
            const QVariant v = rowValue(r, m_identity[0]);
            if (v.typeId() != QMetaType::Int && v.typeId() != QMetaType::LongLong) {
                numbers = false;
                continue;
            }
            const qint64 n = v.toLongLong();
            if (order.size() == 1 || n < low) low = n;
            if (order.size() == 1 || n > high) high = n;
        }
        return numbers && !order.isEmpty() && high - low < 2 * qint64(order.size());
    };
    // A scan (locate, lookup over every row) reads 1024 rows at a time when
    // they lie close together.
    bool range = collect(scan && m_rangeRead.count > 0 ? kScanPage : kKeyPage);
    if (!range && scan && m_rangeRead.count > 0) range = collect(kKeyPage);
    if (order.isEmpty()) return index;
    KeyedRead& read = range ? m_rangeRead : m_pageRead;
    Statement* st = read.statement.get();
    st->prepare(read.sql);
    st->clearParams();
    for (const auto& p : m_pageParams) st->setParam(p.first, p.second);
    if (range) {
        st->setParam(read.keyParam[0], low);
        st->setParam(read.keyParam[1], high);
    } else {
        const int k = m_identity.size();
        for (int i = 0; i < read.count; ++i) {
            // Unused places repeat the last key.
            const Row& r = m_rows[size_t(order[std::min(i, int(order.size()) - 1)])];
            for (int j = 0; j < k; ++j) st->setParam(read.keyParam[i * k + j], rowValue(r, m_identity[j]));
        }
    }
    st->open();
    ++m_selectCount;
    const std::shared_ptr<const RowCodec> codec = st->rowCodec();
    while (st->fetch()) {
        const char* message = st->rowMessage();
        Row r;
        const size_t n = codec->packedSize(message);
        char* packed = m_arena.allocate(n);
        codec->pack(message, packed);
        r.packed = packed;
        const auto it = wanted.find(identityOf(r));
        if (it == wanted.end()) continue;
        const int at = it.value();
        wanted.erase(it);
        if (m_fields.size() > m_dataFieldCount) {
            r.values.resize(m_fields.size() - m_dataFieldCount);
            calculate(r);
        }
        m_rows[size_t(at)] = std::move(r);
    }
    // Keys without a row: deleted meanwhile, or no longer selected.
    QList<int> missing = wanted.values();
    std::sort(missing.begin(), missing.end(), std::greater<int>());
    for (int at : missing) {
        if (at < index) --index;
        else if (at == index) *gone = true;
        dropRow(at);
    }
    return index;
}

void Dataset::dropRow(int index) {
    m_rows.erase(m_rows.begin() + index);
    if (m_current > index) --m_current;
    if (m_rowBeforeInsert > index) --m_rowBeforeInsert;
    // Controls learn of it when control is back in the event loop: this may
    // run while a grid paints its rows.
    if (m_dropNoticePending) return;
    m_dropNoticePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_dropNoticePending = false;
            if (isActive()) notifyDataSetChanged();
        },
        Qt::QueuedConnection);
}

void Dataset::settleCurrent() {
    if (m_current < 0 || m_current >= int(m_rows.size()) || !m_rows[size_t(m_current)].keyOnly) return;
    m_current = readRowOrLast(m_current);
    if (m_rows.empty()) {
        m_current = -1;
        m_eof = m_bof = true;
    }
}

bool Dataset::searchesKey(const QVector<QPair<int, QVariant>>& wanted) const {
    for (const auto& w : wanted)
        if (m_keyColumnOfField.value(w.first, -1) >= 0) return true;
    return false;
}

bool Dataset::keyMatches(const Row& r, const QVector<QPair<int, QVariant>>& wanted, bool caseInsensitive,
                         bool partialKey) const {
    for (const auto& w : wanted)
        if (m_keyColumnOfField.value(w.first, -1) >= 0 &&
            !sameValue(rowValue(r, w.first), w.second, caseInsensitive, partialKey))
            return false;
    return true;
}

// ---- filter

void Dataset::setFilter(const QString& f) {
    if (f == m_filter) return;
    m_filter = f;
    if (m_filtered && isActive()) {
        checkBrowseMode();
        reopen();
    }
}

void Dataset::setFiltered(bool f) {
    if (f == m_filtered) return;
    m_filtered = f;
    if (isActive()) {
        checkBrowseMode();
        reopen();
    }
}

}  // namespace db
