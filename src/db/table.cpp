#include <QDateTime>

#include "db/connection.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"

namespace db {

namespace {
QStringList splitFields(const QString& s) {
    QStringList out;
    for (const QString& p : s.split(QLatin1Char(';'), Qt::SkipEmptyParts)) out << p.trimmed();
    return out;
}
}  // namespace

Table::Table(Connection* connection, Transaction* transaction, const QString& tableName, QObject* parent)
    : Dataset(connection, transaction, parent), m_tableName(tableName.toUpper()) {}

Table::~Table() {
    if (m_master && m_master->dataset()) m_master->dataset()->removeDetail(this);
}

void Table::setMasterSource(DataSource* master, const QString& masterFields, const QString& detailFields) {
    if (m_master) {
        disconnect(m_master, nullptr, this, nullptr);
        if (m_master->dataset()) m_master->dataset()->removeDetail(this);
    }
    m_master = master;
    m_masterFields = splitFields(masterFields);
    m_detailFields = splitFields(detailFields);
    if (!m_master) return;
    if (m_master->dataset()) m_master->dataset()->addDetail(this);
    connect(m_master, &DataSource::dataSetChanged, this, [this] { onMasterChange(nullptr); });
    connect(m_master, &DataSource::dataSetScrolled, this, [this] { onMasterChange(nullptr); });
    connect(m_master, &DataSource::activeChanged, this, [this] { onMasterChange(nullptr); });
    connect(m_master, &DataSource::recordChanged, this, [this](Field* f) { onMasterChange(f); });
}

QVector<QVariant> Table::masterValues() {
    QVector<QVariant> out;
    Dataset* md = m_master ? m_master->dataset() : nullptr;
    for (const QString& mf : m_masterFields) {
        QVariant v;
        if (md && md->isActive()) {
            Field* f = md->findField(mf);
            if (f) v = f->value();
        }
        out.append(v);
    }
    return out;
}

void Table::onMasterChange(Field* f) {
    if (!isActive()) return;
    if (f) {
        bool linkField = false;
        for (const QString& mf : m_masterFields)
            if (mf.compare(f->fieldName(), Qt::CaseInsensitive) == 0) linkField = true;
        if (!linkField) return;
    }
    QVector<QVariant> vals = masterValues();
    if (vals.size() == m_lastMasterValues.size()) {
        bool same = true;
        for (int i = 0; i < vals.size() && same; ++i) {
            const QVariant& a = vals[i];
            const QVariant& b = m_lastMasterValues[i];
            bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
            same = (an && bn) || (!an && !bn && a.toString() == b.toString());
        }
        if (same) return;
    }
    checkBrowseMode();
    reopen(false);
}

void Table::followNewMasterRow() {
    if (!isActive()) return;
    checkBrowseMode();
    if (!m_master) {
        reopen();
        return;
    }
    m_lastMasterValues = masterValues();
    showNoRows();
}

void Table::readKeyInfo() {
    if (m_keyInfoRead) return;
    Statement st(connection(), transaction());
    st.prepare(QStringLiteral(
        "select s.rdb$field_name from rdb$relation_constraints c "
        "join rdb$index_segments s on s.rdb$index_name = c.rdb$index_name "
        "where c.rdb$relation_name = ? and c.rdb$constraint_type = 'PRIMARY KEY' "
        "order by s.rdb$field_position"));
    st.setParam(0, m_tableName);
    st.open();
    m_primaryKey.clear();
    while (st.fetch()) m_primaryKey << st.value(0).toString().trimmed();
    m_keyInfoRead = true;
}

QStringList Table::primaryKey() {
    readKeyInfo();
    return m_primaryKey;
}

bool Table::hasRowIdColumn() const { return m_keyInfoRead && m_primaryKey.isEmpty(); }

QVector<int> Table::identityFieldIndexes() {
    QVector<int> out;
    for (const QString& k : primaryKey()) {
        Field* f = findField(k);
        if (!f) return {};
        out.append(f->index());
    }
    return out;
}

QString Table::whereClause(QVector<QPair<QString, QVariant>>* params) {
    QStringList conds;
    if (filtered() && !filter().trimmed().isEmpty()) conds << QLatin1Char('(') + filter() + QLatin1Char(')');
    if (m_master) {
        QVector<QVariant> vals = masterValues();
        m_lastMasterValues = vals;
        for (int i = 0; i < m_detailFields.size() && i < vals.size(); ++i) {
            QString name = QStringLiteral("kyn_master_%1").arg(i);
            conds << m_detailFields[i] + QStringLiteral(" = :") + name;
            if (params) params->append({name, vals[i]});
        }
    }
    return conds.isEmpty() ? QString() : QStringLiteral(" where ") + conds.join(QStringLiteral(" and "));
}

namespace {
// The columns of a table's select: every column, behind the row id for
// tables without a primary key.
QString selectAll(const QString& table, bool rowId) {
    return rowId ? QStringLiteral("select %1.RDB$DB_KEY, %1.* from %1").arg(table)
                 : QStringLiteral("select * from %1").arg(table);
}

bool unchanged(const QVariant& a, const QVariant& b) {
    const bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
    if (an || bn) return an && bn;
    return a == b;
}
}  // namespace

Dataset::Reread Table::readRowAgain(const QVector<QVariant>& values, const QByteArray& rowId,
                                    QVector<QVariant>* columns) {
    readKeyInfo();
    if (hasRowIdColumn() ? rowId.isEmpty() : m_primaryKey.isEmpty()) return Reread::NotAddressable;
    Statement st(connection(), transaction());
    st.prepare(selectAll(m_tableName, hasRowIdColumn()) + QStringLiteral(" where ") + keyCondition(nullptr));
    bindKey(&st, 0, values, rowId);
    st.open();
    if (!st.fetch()) return Reread::Gone;
    *columns = st.row();
    st.close();
    return Reread::Found;
}

QString Table::selectSql(QVector<QPair<QString, QVariant>>* params) {
    readKeyInfo();
    QString sql = selectAll(m_tableName, hasRowIdColumn());
    sql += whereClause(params);
    QStringList order = splitFields(m_indexFieldNames);
    if (!order.isEmpty()) sql += QStringLiteral(" order by ") + order.join(QLatin1Char(','));
    return sql;
}

bool Table::keyedSelectSql(int count, QString* keys, QString* rows, QString* range,
                           QVector<QPair<QString, QVariant>>* params) {
    // Rows are found again by primary key; key-less tables keep reading
    // whole rows.
    const QStringList pk = primaryKey();
    if (pk.isEmpty() || hasRowIdColumn()) return false;
    const QString where = whereClause(params);
    const QStringList order = splitFields(m_indexFieldNames);
    *keys = QStringLiteral("select %1 from %2").arg(pk.join(QLatin1Char(',')), m_tableName) + where;
    if (!order.isEmpty()) *keys += QStringLiteral(" order by ") + order.join(QLatin1Char(','));
    QString byKey;
    if (pk.size() == 1) {
        QStringList marks;
        for (int i = 0; i < count; ++i) marks << QStringLiteral(":kyn_key_%1_0").arg(i);
        byKey = pk.first() + QStringLiteral(" in (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    } else {
        QStringList alternatives;
        for (int i = 0; i < count; ++i) {
            QStringList conds;
            for (int j = 0; j < pk.size(); ++j) conds << QStringLiteral("%1 = :kyn_key_%2_%3").arg(pk[j]).arg(i).arg(j);
            alternatives << QLatin1Char('(') + conds.join(QStringLiteral(" and ")) + QLatin1Char(')');
        }
        byKey = alternatives.join(QStringLiteral(" or "));
    }
    const QString rowsWhere = where.isEmpty() ? QStringLiteral(" where ") : where + QStringLiteral(" and ");
    *rows = selectAll(m_tableName, false) + rowsWhere + QLatin1Char('(') + byKey + QLatin1Char(')');
    range->clear();
    if (pk.size() == 1)
        *range = selectAll(m_tableName, false) + rowsWhere +
                 QStringLiteral("(%1 between :kyn_key_0_0 and :kyn_key_1_0)").arg(pk.first());
    return true;
}

bool Table::rowStillSelected(const QVector<QVariant>& values, const QByteArray& rowId) {
    QVector<QPair<QString, QVariant>> params;
    QString where = whereClause(&params);
    QStringList conds;
    if (!rowId.isEmpty()) {
        conds << QStringLiteral("RDB$DB_KEY = :kyn_rowid");
        params.append({QStringLiteral("kyn_rowid"), rowId});
    } else {
        const QStringList pk = primaryKey();
        if (pk.isEmpty()) return true;
        for (int i = 0; i < pk.size(); ++i) {
            Field* f = findField(pk[i]);
            if (!f || f->index() >= values.size()) return true;
            QString name = QStringLiteral("kyn_key_%1").arg(i);
            conds << pk[i] + QStringLiteral(" = :") + name;
            params.append({name, values[f->index()]});
        }
    }
    QString sql = QStringLiteral("select count(*) from %1").arg(m_tableName);
    sql += where.isEmpty() ? QStringLiteral(" where ") : where + QStringLiteral(" and ");
    sql += conds.join(QStringLiteral(" and "));
    Statement st(connection(), transaction());
    st.prepare(sql);
    for (const auto& p : params) st.setParam(p.first, p.second);
    st.open();
    bool there = st.fetch() && st.value(0).toInt() > 0;
    st.close();
    return there;
}

void Table::initDetailRow() {
    if (!m_master) return;
    QVector<QVariant> vals = masterValues();
    for (int i = 0; i < m_detailFields.size() && i < vals.size(); ++i) {
        Field* f = findField(m_detailFields[i]);
        if (f) f->setValue(vals[i]);
    }
}

void Table::readDefaultColumns() {
    if (m_defaultsRead) return;
    Statement st(connection(), transaction());
    st.prepare(QStringLiteral(
        "select rf.rdb$field_name from rdb$relation_fields rf "
        "left join rdb$fields f on f.rdb$field_name = rf.rdb$field_source "
        "where rf.rdb$relation_name = ? "
        "and (rf.rdb$default_source is not null or f.rdb$default_source is not null)"));
    st.setParam(0, m_tableName);
    st.open();
    m_defaultColumns.clear();
    while (st.fetch()) m_defaultColumns.insert(st.value(0).toString().trimmed().toUpper());
    m_defaultsRead = true;
}

void Table::writeInsert(QVector<QVariant>& row, QByteArray* rowId) {
    // A new row writes the columns that hold a value. An empty column is left
    // out: the server stores NULL for it just the same, and a table like the
    // dogs' (over 80 columns, most of them empty when a dog is created) costs
    // the server far less that way. A column with a default in the schema is
    // always written, so that it gets the row's NULL and not the default.
    readDefaultColumns();
    QVector<Field*> written;
    QByteArray key;
    for (Field* f : fields()) {
        if (f->kind() != FieldKind::Data) continue;
        const QVariant& v = row[f->index()];
        const bool write = (v.isValid() && !v.isNull()) ||
                           (!m_defaultColumns.isEmpty() && m_defaultColumns.contains(f->fieldName().toUpper()));
        key.append(write ? '1' : '0');
        if (write) written << f;
    }
    // Many different sets of columns (rows typed in by hand) would keep many
    // statements.
    if (m_inserts.size() > 64 && m_inserts.find(key) == m_inserts.end()) m_inserts.clear();
    std::unique_ptr<Statement>& insert = m_inserts[key];
    if (!insert) {
        QString sql;
        if (written.isEmpty()) {
            sql = QStringLiteral("insert into %1 default values").arg(m_tableName);
        } else {
            QStringList cols, marks;
            for (Field* f : written) {
                cols << f->fieldName();
                marks << QStringLiteral("?");
            }
            sql = QStringLiteral("insert into %1 (%2) values (%3)")
                      .arg(m_tableName, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
        if (hasRowIdColumn()) sql += QStringLiteral(" returning RDB$DB_KEY");
        auto st = std::make_unique<Statement>(connection(), transaction());
        st->prepare(sql);
        insert = std::move(st);
    }
    int p = 0;
    for (Field* f : written) insert->setParam(p++, row[f->index()]);
    insert->execute();
    if (hasRowIdColumn() && rowId) *rowId = insert->value(0).toByteArray();
}

QString Table::keyCondition(int* firstParam) {
    if (hasRowIdColumn()) return QStringLiteral("RDB$DB_KEY = ?");
    QStringList conds;
    for (const QString& k : primaryKey()) conds << k + QStringLiteral(" = ?");
    if (firstParam) *firstParam = 0;
    return conds.join(QStringLiteral(" and "));
}

void Table::bindKey(Statement* st, int first, const QVector<QVariant>& row, const QByteArray& rowId) {
    if (hasRowIdColumn()) {
        st->setParam(first, rowId);
        return;
    }
    int i = first;
    for (const QString& k : primaryKey()) {
        Field* f = fieldByName(k);
        st->setParam(i++, row[f->index()]);
    }
}

void Table::writeUpdate(const QVector<QVariant>& oldRow, const QVector<QVariant>& newRow,
                        const QByteArray& rowId) {
    // Only the columns that changed: a column this edit did not touch keeps
    // what another window may have saved meanwhile.
    QVector<Field*> changed;
    for (Field* f : fields())
        if (f->kind() == FieldKind::Data && !unchanged(oldRow.value(f->index()), newRow.value(f->index())))
            changed << f;
    if (changed.isEmpty()) return;
    QStringList cols;
    for (Field* f : changed) cols << f->fieldName();
    // The row is written only while the changed columns still hold what
    // this edit started from: a value someone else (another workstation)
    // saved meanwhile is not overwritten without a word.
    QStringList checked;
    for (Field* f : changed)
        if (f->dataType() != FieldType::Bytes) checked << f->fieldName();
    auto statement = [&](bool guarded) -> Statement* {
        const QString key = cols.join(QLatin1Char(',')) + (guarded ? QStringLiteral("|") : QString());
        std::unique_ptr<Statement>& update = m_updates[key];
        if (!update) {
            QStringList sets;
            for (const QString& c : cols) sets << c + QStringLiteral(" = ?");
            QString sql = QStringLiteral("update %1 set %2 where %3")
                              .arg(m_tableName, sets.join(QLatin1Char(',')), keyCondition(nullptr));
            if (guarded)
                for (const QString& c : checked) sql += QStringLiteral(" and %1 is not distinct from ?").arg(c);
            update = std::make_unique<Statement>(connection(), transaction());
            update->prepare(sql);
        }
        return update.get();
    };
    auto run = [&](bool guarded) {
        Statement* update = statement(guarded);
        int p = 0;
        for (Field* f : changed) update->setParam(p++, newRow[f->index()]);
        bindKey(update, p, oldRow, rowId);
        p += hasRowIdColumn() ? 1 : int(primaryKey().size());
        if (guarded)
            for (Field* f : changed)
                if (f->dataType() != FieldType::Bytes) update->setParam(p++, oldRow[f->index()]);
        update->execute();
        return update->rowsAffected();
    };
    if (run(!checked.isEmpty()) == 0) {
        QVector<QVariant> stored;
        if (checked.isEmpty() || readRowAgain(oldRow, rowId, &stored) != Reread::Found)
            throw Error(QStringLiteral("Der Datensatz wurde nicht gefunden; er wurde inzwischen gelöscht oder "
                                       "geändert."),
                        statement(!checked.isEmpty())->sql());
        QStringList taken;
        for (Field* f : changed)
            if (f->dataType() != FieldType::Bytes && !unchanged(stored.value(f->column()), oldRow[f->index()]))
                taken << f->fieldName();
        // Equal as the program reads them (a time stored finer than a
        // millisecond): nothing was changed meanwhile.
        if (!taken.isEmpty() || run(false) == 0) {
            QStringList labels;
            for (const QString& c : taken) labels << fieldByName(c)->displayLabel();
            throw ChangedElsewhere(
                QStringLiteral("Der Datensatz wurde inzwischen an einem anderen Arbeitsplatz geändert und "
                               "gespeichert%1. Er wurde neu gelesen; Ihre Änderung ist noch eingetragen.\n\n"
                               "Speichern Sie erneut, um Ihre Änderung zu übernehmen, oder brechen Sie ab, "
                               "um die dort gespeicherten Werte zu behalten.")
                    .arg(labels.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(labels.join(QStringLiteral(", ")))),
                taken);
        }
    }
    // Many different sets of columns (an import) would keep many statements.
    if (m_updates.size() > 64) m_updates.clear();
}

void Table::writeDelete(const QVector<QVariant>& row, const QByteArray& rowId) {
    if (!m_delete) {
        m_delete = std::make_unique<Statement>(connection(), transaction());
        m_delete->prepare(QStringLiteral("delete from %1 where %2").arg(m_tableName, keyCondition(nullptr)));
    }
    bindKey(m_delete.get(), 0, row, rowId);
    m_delete->execute();
}

// ---------------------------------------------------------------- Query

Query::Query(Connection* connection, Transaction* transaction, QObject* parent)
    : Dataset(connection, transaction, parent) {}

Query::~Query() = default;

void Query::setSql(const QStringList& lines) {
    if (isActive()) close();
    m_sql = lines;
}

void Query::addLine(const QString& line) {
    if (isActive()) close();
    m_sql << line;
}

void Query::setDataSource(DataSource* master) {
    if (m_master) disconnect(m_master, nullptr, this, nullptr);
    m_master = master;
    if (!m_master) return;
    connect(m_master, &DataSource::dataSetChanged, this, [this] { onMasterChange(nullptr); });
    connect(m_master, &DataSource::dataSetScrolled, this, [this] { onMasterChange(nullptr); });
    connect(m_master, &DataSource::activeChanged, this, [this] { onMasterChange(nullptr); });
    connect(m_master, &DataSource::recordChanged, this, [this](Field* f) { onMasterChange(f); });
}

void Query::setParam(const QString& name, const QVariant& value) { m_paramValues[name.toUpper()] = value; }

QVector<QPair<QString, QVariant>> Query::paramValues() {
    QStringList names;
    convertNamedParams(sqlText(), &names);
    QVector<QPair<QString, QVariant>> out;
    Dataset* md = m_master ? m_master->dataset() : nullptr;
    for (const QString& n : names) {
        if (n.isEmpty()) continue;
        bool seen = false;
        for (const auto& p : out)
            if (p.first.compare(n, Qt::CaseInsensitive) == 0) seen = true;
        if (seen) continue;
        QVariant v = m_paramValues.value(n.toUpper());
        if (md && md->isActive()) {
            if (Field* f = md->findField(n)) v = f->value();
        }
        out.append({n, v});
    }
    return out;
}

QString Query::selectSql(QVector<QPair<QString, QVariant>>* params) {
    if (params) {
        auto vals = paramValues();
        *params = vals;
        m_lastParams = vals;
    }
    return sqlText();
}

void Query::onMasterChange(Field* f) {
    if (!isActive()) return;
    auto vals = paramValues();
    if (vals.size() == m_lastParams.size()) {
        bool same = true;
        for (int i = 0; i < vals.size() && same; ++i) {
            const QVariant& a = vals[i].second;
            const QVariant& b = m_lastParams[i].second;
            bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
            same = (an && bn) || (!an && !bn && a.toString() == b.toString());
        }
        if (same) return;
    }
    reopen(false);
}

void Query::execSql() {
    if (isActive()) close();
    if (!m_exec) m_exec = std::make_unique<Statement>(connection(), transaction());
    Statement* st = m_exec.get();
    st->prepare(sqlText());
    st->clearParams();
    for (const auto& p : paramValues()) st->setParam(p.first, p.second);
    st->execute();
    m_rowsAffected = st->rowsAffected();
}

}  // namespace db
