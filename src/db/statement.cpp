#include "db/statement.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QDateTime>
#include <cstring>

#include "db/connection.h"
#include "db/error.h"
#include "db/fbstatus.h"
#include "db/transaction.h"

using namespace Firebird;

namespace db {

namespace {

constexpr unsigned kDialect = 1;

int bytesPerChar(unsigned charset) {
    switch (charset) {
    case 4:  // UTF8
        return 4;
    case 3:  // UNICODE_FSS
        return 3;
    default:
        return 1;
    }
}

ColumnType columnType(unsigned t) {
    switch (t & ~1u) {
    case SQL_LONG: return ColumnType::Integer;
    case SQL_SHORT: return ColumnType::SmallInt;
    case SQL_INT64: return ColumnType::BigInt;
    case SQL_FLOAT: return ColumnType::Float;
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return ColumnType::Double;
    case SQL_TEXT: return ColumnType::Char;
    case SQL_VARYING: return ColumnType::VarChar;
    case SQL_TIMESTAMP: return ColumnType::Timestamp;
    case SQL_TYPE_DATE: return ColumnType::Date;
    case SQL_TYPE_TIME: return ColumnType::Time;
    case SQL_BLOB: return ColumnType::Blob;
    case SQL_BOOLEAN: return ColumnType::Boolean;
    default: return ColumnType::Other;
    }
}

QString rtrim(const QString& s) {
    int n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' ')) --n;
    return s.left(n);
}

double scaled(qint64 v, int scale) {
    double d = double(v);
    for (int i = 0; i < -scale; ++i) d /= 10.0;
    return d;
}

}  // namespace

QString convertNamedParams(const QString& sql, QStringList* names) {
    QString out;
    out.reserve(sql.size());
    QStringList found;
    int n = sql.size();
    for (int i = 0; i < n; ++i) {
        QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Copy a literal (or quoted identifier) whole; doubled quotes stay inside.
            int j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += sql.mid(i, j - i + 1);
            i = j;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            int j = sql.indexOf(QLatin1Char('\n'), i);
            if (j < 0) j = n;
            out += sql.mid(i, j - i);
            i = j - 1;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            int j = sql.indexOf(QStringLiteral("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            out += sql.mid(i, j - i);
            i = j - 1;
        } else if (c == QLatin1Char(':') && i + 1 < n &&
                   (sql.at(i + 1).isLetter() || sql.at(i + 1) == QLatin1Char('_'))) {
            int j = i + 1;
            while (j < n && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_') ||
                             sql.at(j) == QLatin1Char('$')))
                ++j;
            found << sql.mid(i + 1, j - i - 1);
            out += QLatin1Char('?');
            i = j - 1;
        } else if (c == QLatin1Char('?')) {
            found << QString();
            out += c;
        } else {
            out += c;
        }
    }
    if (names) *names = found;
    return out;
}

QString quoteString(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QString escapeApostrophes(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    return t;
}

Statement::Statement(Connection* connection, Transaction* transaction)
    : m_connection(connection), m_transaction(transaction) {
    if (m_transaction) m_transaction->addStatement(this);
}

Statement::~Statement() {
    try {
        unprepare();
    } catch (...) {
    }
    if (m_transaction) m_transaction->removeStatement(this);
}

void Statement::setTransaction(Transaction* t) {
    if (t == m_transaction) return;
    close();
    if (m_transaction) m_transaction->removeStatement(this);
    m_transaction = t;
    if (m_transaction) m_transaction->addStatement(this);
}

void Statement::unprepare() {
    close();
    m_inMeta.reset();
    m_outMeta.reset();
    m_statement.reset();
    m_columns.clear();
    m_paramNames.clear();
    m_params.clear();
    m_inLayout.clear();
    m_outLayout.clear();
}

void Statement::prepare(const QString& sql) {
    if (m_statement && sql == m_sql && m_generation == m_connection->generation()) return;
    unprepare();
    m_sql = sql;
    QStringList names;
    QString positional = convertNamedParams(sql, &names);
    QByteArray text = positional.toUtf8();
    detail::Status st;
    if (!m_transaction) throw Error(QStringLiteral("Keine Transaktion."), sql);
    ITransaction* tra = m_transaction->readHandle();
    IStatement* prepared = m_connection->attachment()->prepare(&st, tra, text.size(), text.constData(),
                                                               kDialect, IStatement::PREPARE_PREFETCH_METADATA);
    if (st.failed()) m_connection->raise(st, sql);
    m_statement.reset(prepared);
    m_generation = m_connection->generation();
    ++m_connection->m_statementsPrepared;
    m_type = m_statement->getType(&st);
    m_inMeta.reset(m_statement->getInputMetadata(&st));
    m_outMeta.reset(m_statement->getOutputMetadata(&st));
    st.check(sql);
    m_paramNames = names;
    unsigned inCount = m_inMeta->getCount(&st);
    while (unsigned(m_paramNames.size()) < inCount) m_paramNames << QString();
    m_params = QVector<QVariant>(int(inCount));
    decodeColumns();
    m_outBuffer = QByteArray(int(m_outMeta->getMessageLength(&st)), '\0');
    m_inLength = m_inMeta->getMessageLength(&st);
    st.check(sql);
    m_inLayout = layoutOf(m_inMeta.get());
    m_outLayout = layoutOf(m_outMeta.get());
    m_codec = std::make_shared<RowCodec>();
    for (const Layout& l : m_outLayout)
        m_codec->m_columns.push_back({l.offset, l.nullOffset, l.type, l.length, l.charset, l.scale});
    m_codec->m_bitmapBytes = (m_codec->m_columns.size() + 7) / 8;
}

QVector<Statement::Layout> Statement::layoutOf(IMessageMetadata* meta) {
    detail::Status st;
    unsigned n = meta->getCount(&st);
    QVector<Layout> out(static_cast<int>(n));
    for (unsigned i = 0; i < n; ++i) {
        Layout& l = out[int(i)];
        l.offset = meta->getOffset(&st, i);
        l.nullOffset = meta->getNullOffset(&st, i);
        l.type = meta->getType(&st, i) & ~1u;
        l.length = meta->getLength(&st, i);
        l.charset = meta->getCharSet(&st, i) & 0xff;
        l.scale = meta->getScale(&st, i);
    }
    st.check();
    return out;
}

void Statement::decodeColumns() {
    detail::Status st;
    unsigned n = m_outMeta->getCount(&st);
    m_columns.clear();
    m_columns.reserve(int(n));
    for (unsigned i = 0; i < n; ++i) {
        ColumnInfo c;
        c.name = QString::fromUtf8(m_outMeta->getAlias(&st, i));
        c.field = QString::fromUtf8(m_outMeta->getField(&st, i));
        c.relation = QString::fromUtf8(m_outMeta->getRelation(&st, i));
        unsigned t = m_outMeta->getType(&st, i);
        c.type = columnType(t);
        unsigned len = m_outMeta->getLength(&st, i);
        unsigned cs = m_outMeta->getCharSet(&st, i) & 0xff;
        if (c.type == ColumnType::Char || c.type == ColumnType::VarChar) {
            if (cs == 1) c.type = ColumnType::Octets;  // OCTETS, e.g. RDB$DB_KEY
            c.size = c.type == ColumnType::Octets ? int(len) : int(len) / bytesPerChar(cs);
        } else {
            c.size = int(len);
        }
        c.scale = m_outMeta->getScale(&st, i);
        c.nullable = m_outMeta->isNullable(&st, i);
        m_columns.append(c);
    }
    st.check(m_sql);
}

int Statement::columnIndex(const QString& name) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

bool Statement::isSelect() const {
    return m_type == isc_info_sql_stmt_select || m_type == isc_info_sql_stmt_select_for_upd;
}

void Statement::setParam(int index, const QVariant& value) {
    // A text whose preparing failed (the connection was lost) is prepared
    // now, or the reason is told again.
    if (!m_statement && !m_sql.isEmpty() && m_params.isEmpty()) prepareAgainIfStale();
    if (index < 0 || index >= m_params.size())
        throw Error(QStringLiteral("Parameter %1 existiert nicht.").arg(index + 1), m_sql);
    m_params[index] = value;
}

void Statement::setParam(const QString& name, const QVariant& value) {
    if (!m_statement && !m_sql.isEmpty() && m_paramNames.isEmpty()) prepareAgainIfStale();
    bool any = false;
    for (int i = 0; i < m_paramNames.size(); ++i)
        if (m_paramNames[i].compare(name, Qt::CaseInsensitive) == 0) {
            m_params[i] = value;
            any = true;
        }
    if (!any) throw Error(QStringLiteral("Parameter '%1' nicht gefunden.").arg(name), m_sql);
}

void Statement::clearParams() {
    for (auto& p : m_params) p = QVariant();
}

QByteArray Statement::encodeInput() {
    unsigned n = unsigned(m_inLayout.size());
    QByteArray buf(int(m_inLength), '\0');
    char* base = buf.data();
    for (unsigned i = 0; i < n; ++i) {
        const QVariant& v = m_params[int(i)];
        const Layout& lay = m_inLayout[int(i)];
        unsigned off = lay.offset;
        unsigned nullOff = lay.nullOffset;
        unsigned type = lay.type;
        unsigned len = lay.length;
        int scale = lay.scale;
        unsigned cs = lay.charset;
        short* nullInd = reinterpret_cast<short*>(base + nullOff);
        if (!v.isValid() || v.isNull()) {
            *nullInd = -1;
            continue;
        }
        *nullInd = 0;
        char* p = base + off;
        bool ok = true;
        auto badValue = [&]() {
            throw Error(QStringLiteral("Der Wert '%1' passt nicht zum Parameter %2.")
                            .arg(v.toString())
                            .arg(i + 1),
                        m_sql);
        };
        switch (type) {
        case SQL_SHORT: {
            qint64 x = v.toLongLong(&ok);
            if (!ok) badValue();
            for (int s = 0; s < -scale; ++s) x *= 10;
            qint16 y = qint16(x);
            std::memcpy(p, &y, sizeof y);
            break;
        }
        case SQL_LONG: {
            qint64 x;
            if (scale < 0) {
                double d = v.toDouble(&ok);
                for (int s = 0; s < -scale; ++s) d *= 10;
                x = qRound64(d);
            } else {
                x = v.toLongLong(&ok);
            }
            if (!ok) badValue();
            qint32 y = qint32(x);
            std::memcpy(p, &y, sizeof y);
            break;
        }
        case SQL_INT64: {
            qint64 x;
            if (scale < 0) {
                double d = v.toDouble(&ok);
                for (int s = 0; s < -scale; ++s) d *= 10;
                x = qRound64(d);
            } else {
                x = v.toLongLong(&ok);
            }
            if (!ok) badValue();
            std::memcpy(p, &x, sizeof x);
            break;
        }
        case SQL_FLOAT: {
            float f = float(v.toDouble(&ok));
            if (!ok) badValue();
            std::memcpy(p, &f, sizeof f);
            break;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            double d = v.toDouble(&ok);
            if (!ok) badValue();
            std::memcpy(p, &d, sizeof d);
            break;
        }
        case SQL_TIMESTAMP:
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME: {
            QDateTime dt;
            if (v.typeId() == QMetaType::QDateTime) dt = v.toDateTime();
            else if (v.typeId() == QMetaType::QDate) dt = QDateTime(v.toDate(), QTime(0, 0), Qt::UTC);
            else if (v.typeId() == QMetaType::QTime) dt = QDateTime(QDate(1899, 12, 30), v.toTime(), Qt::UTC);
            else badValue();
            if (!dt.isValid()) badValue();
            QDate d = dt.date();
            QTime t = dt.time();
            ISC_DATE idate = Connection::util()->encodeDate(unsigned(d.year()), unsigned(d.month()),
                                                            unsigned(d.day()));
            ISC_TIME itime = Connection::util()->encodeTime(unsigned(t.hour()), unsigned(t.minute()),
                                                            unsigned(t.second()),
                                                            unsigned(t.msec()) * 10);
            if (type == SQL_TIMESTAMP) {
                ISC_TIMESTAMP ts{idate, itime};
                std::memcpy(p, &ts, sizeof ts);
            } else if (type == SQL_TYPE_DATE) {
                std::memcpy(p, &idate, sizeof idate);
            } else {
                std::memcpy(p, &itime, sizeof itime);
            }
            break;
        }
        case SQL_TEXT:
        case SQL_VARYING: {
            QByteArray bytes;
            if (cs == 1 || v.typeId() == QMetaType::QByteArray) {
                bytes = v.toByteArray();
            } else {
                QString s = v.toString();
                int maxChars = int(len) / bytesPerChar(cs);
                if (s.size() > maxChars) s.truncate(maxChars);
                bytes = s.toUtf8();
                while (bytes.size() > int(len)) {  // surrogate pairs may still overflow
                    s.chop(1);
                    bytes = s.toUtf8();
                }
            }
            if (bytes.size() > int(len)) bytes.truncate(int(len));
            if (type == SQL_VARYING) {
                quint16 l = quint16(bytes.size());
                std::memcpy(p, &l, sizeof l);
                std::memcpy(p + 2, bytes.constData(), size_t(bytes.size()));
            } else {
                std::memset(p, cs == 1 ? 0 : ' ', len);
                std::memcpy(p, bytes.constData(), size_t(bytes.size()));
            }
            break;
        }
        case SQL_BOOLEAN: {
            unsigned char b = v.toBool() ? 1 : 0;
            *reinterpret_cast<unsigned char*>(p) = b;
            break;
        }
        default:
            throw Error(QStringLiteral("Parametertyp %1 wird nicht unterstützt.").arg(type), m_sql);
        }
    }
    return buf;
}

void Statement::prepareAgainIfStale() {
    if (m_sql.isEmpty() || m_generation == m_connection->generation()) return;
    // Prepared under an attachment that was lost: the same text again, with
    // the parameters already set.
    const QString sql = m_sql;
    const QVector<QVariant> params = m_params;
    const QStringList names = m_paramNames;
    m_sql.clear();
    try {
        prepare(sql);
    } catch (...) {
        // Still unreachable: the text and the values wait for the next try.
        m_sql = sql;
        m_params = params;
        m_paramNames = names;
        throw;
    }
    if (params.size() == m_params.size()) m_params = params;
}

void Statement::connectionLost() {
    m_cursor.reset();
    m_hasRow = false;
    m_inMeta.reset();
    m_outMeta.reset();
    m_statement.reset();
}

void Statement::execute() {
    prepareAgainIfStale();
    if (!m_statement) throw Error(QStringLiteral("Die Anweisung ist nicht vorbereitet."), m_sql);
    close();
    QByteArray in = encodeInput();
    detail::Status st;
    if (!m_transaction) throw Error(QStringLiteral("Keine Transaktion."), m_sql);
    ITransaction* tra = isSelect() ? m_transaction->readHandle() : m_transaction->handle();
    bool hasOut = !m_columns.isEmpty();
    m_statement->execute(&st, tra, m_inMeta.get(), in.data(), hasOut ? m_outMeta.get() : nullptr,
                         hasOut ? m_outBuffer.data() : nullptr);
    if (st.failed()) m_connection->raise(st, m_sql);
    m_hasRow = hasOut;
    ISC_UINT64 n = m_statement->getAffectedRecords(&st);
    m_rowsAffected = st.failed() ? 0 : int(n);
}

void Statement::open() {
    prepareAgainIfStale();
    if (!m_statement) throw Error(QStringLiteral("Die Anweisung ist nicht vorbereitet."), m_sql);
    close();
    QByteArray in = encodeInput();
    detail::Status st;
    if (!m_transaction) throw Error(QStringLiteral("Keine Transaktion."), m_sql);
    ITransaction* tra = m_transaction->readHandle();
    IResultSet* cursor = m_statement->openCursor(&st, tra, m_inMeta.get(), in.data(), m_outMeta.get(), 0);
    if (st.failed()) m_connection->raise(st, m_sql);
    m_cursor.reset(cursor);
    m_cursorTransaction = tra;
    m_hasRow = false;
}

bool Statement::fetch() {
    if (!m_cursor) return false;
    detail::Status st;
    int r = m_cursor->fetchNext(&st, m_outBuffer.data());
    if (st.failed()) {
        m_cursor.reset();
        m_hasRow = false;
        m_connection->raise(st, m_sql);
    }
    if (r == IStatus::RESULT_OK) {
        m_hasRow = true;
        return true;
    }
    m_hasRow = false;
    close();
    return false;
}

void Statement::close() {
    m_cursor.reset();
}

void Statement::transactionDestroyed() {
    close();
    m_transaction = nullptr;
}

void Statement::transactionEnding(ITransaction* ending) {
    // The cursor dies with the transaction; release it while it still can close.
    if (!ending || cursorTransaction() == ending) close();
}

namespace {

// A value in its wire form; texts (CHAR and VARCHAR alike) come as their
// bytes with the length given.
QVariant decodeValue(unsigned type, int scale, unsigned cs, const char* p, unsigned len) {
    switch (type) {
    case SQL_SHORT: {
        qint16 v;
        std::memcpy(&v, p, sizeof v);
        return scale < 0 ? QVariant(scaled(v, scale)) : QVariant(int(v));
    }
    case SQL_LONG: {
        qint32 v;
        std::memcpy(&v, p, sizeof v);
        return scale < 0 ? QVariant(scaled(v, scale)) : QVariant(int(v));
    }
    case SQL_INT64: {
        qint64 v;
        std::memcpy(&v, p, sizeof v);
        return scale < 0 ? QVariant(scaled(v, scale)) : QVariant(qlonglong(v));
    }
    case SQL_FLOAT: {
        float v;
        std::memcpy(&v, p, sizeof v);
        // FLOAT holds about seven digits; round away the binary noise.
        return QVariant(QString::number(double(v), 'g', 7).toDouble());
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double v;
        std::memcpy(&v, p, sizeof v);
        return QVariant(v);
    }
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME: {
        ISC_DATE d = 0;
        ISC_TIME t = 0;
        if (type == SQL_TIMESTAMP) {
            ISC_TIMESTAMP ts;
            std::memcpy(&ts, p, sizeof ts);
            d = ts.timestamp_date;
            t = ts.timestamp_time;
        } else if (type == SQL_TYPE_DATE) {
            std::memcpy(&d, p, sizeof d);
        } else {
            std::memcpy(&t, p, sizeof t);
        }
        unsigned y = 1899, m = 12, dd = 30, h = 0, mi = 0, s = 0, frac = 0;
        if (type != SQL_TYPE_TIME) Connection::util()->decodeDate(d, &y, &m, &dd);
        Connection::util()->decodeTime(t, &h, &mi, &s, &frac);
        return QVariant(QDateTime(QDate(int(y), int(m), int(dd)),
                                  QTime(int(h), int(mi), int(s), int(frac / 10)), Qt::UTC));
    }
    case SQL_TEXT:
        if (cs == 1) return QVariant(QByteArray(p, int(len)));
        return QVariant(rtrim(QString::fromUtf8(p, int(len))));
    case SQL_VARYING:
        if (cs == 1) return QVariant(QByteArray(p, int(len)));
        return QVariant(QString::fromUtf8(p, int(len)));
    case SQL_BOOLEAN:
        return QVariant(bool(*reinterpret_cast<const unsigned char*>(p)));
    default:
        return QVariant();
    }
}

bool isText(unsigned type) { return type == SQL_TEXT || type == SQL_VARYING; }

// The bytes of a text column in the message, without the padding of a CHAR
// (octets keep every byte).
inline std::pair<const char*, unsigned> textOf(unsigned type, unsigned cs, const char* p, unsigned len) {
    if (type == SQL_VARYING) {
        quint16 l;
        std::memcpy(&l, p, sizeof l);
        return {p + 2, l};
    }
    if (cs != 1)
        while (len > 0 && p[len - 1] == ' ') --len;
    return {p, len};
}

}  // namespace

QVariant Statement::value(int column) const {
    if (!m_hasRow || column < 0 || column >= m_columns.size()) return QVariant();
    const Layout& lay = m_outLayout[column];
    const char* base = m_outBuffer.constData();
    short nullInd = *reinterpret_cast<const short*>(base + lay.nullOffset);
    if (nullInd) return QVariant();
    const char* p = base + lay.offset;
    if (lay.type == SQL_VARYING) {
        quint16 l;
        std::memcpy(&l, p, sizeof l);
        return decodeValue(lay.type, lay.scale, lay.charset, p + 2, l);
    }
    return decodeValue(lay.type, lay.scale, lay.charset, p, lay.length);
}

bool RowCodec::samePackedForm(const RowCodec& other) const {
    if (other.m_columns.size() != m_columns.size()) return false;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column &a = m_columns[i], &b = other.m_columns[i];
        if (a.type != b.type || a.length != b.length || a.charset != b.charset || a.scale != b.scale) return false;
    }
    return true;
}

size_t RowCodec::packedSize(const char* message) const {
    size_t n = m_bitmapBytes;
    for (const Column& c : m_columns) {
        if (*reinterpret_cast<const short*>(message + c.nullOffset)) continue;
        if (isText(c.type)) n += 2 + textOf(c.type, c.charset, message + c.offset, c.length).second;
        else n += c.length;
    }
    return n;
}

void RowCodec::pack(const char* message, char* out) const {
    std::memset(out, 0, m_bitmapBytes);
    char* w = out + m_bitmapBytes;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const Column& c = m_columns[i];
        if (*reinterpret_cast<const short*>(message + c.nullOffset)) {
            out[i / 8] = char(out[i / 8] | (1 << (i % 8)));
            continue;
        }
        const char* p = message + c.offset;
        if (isText(c.type)) {
            const auto [bytes, len] = textOf(c.type, c.charset, p, c.length);
            const quint16 l = quint16(len);
            std::memcpy(w, &l, 2);
            std::memcpy(w + 2, bytes, len);
            w += 2 + len;
        } else {
            std::memcpy(w, p, c.length);
            w += c.length;
        }
    }
}

QVariant RowCodec::value(const char* packed, int column) const {
    if (!packed || column < 0 || column >= int(m_columns.size())) return QVariant();
    auto isNull = [packed](size_t i) { return (packed[i / 8] >> (i % 8)) & 1; };
    const char* p = packed + m_bitmapBytes;
    for (size_t i = 0; i < size_t(column); ++i) {
        if (isNull(i)) continue;
        const Column& c = m_columns[i];
        if (isText(c.type)) {
            quint16 l;
            std::memcpy(&l, p, 2);
            p += 2 + l;
        } else {
            p += c.length;
        }
    }
    if (isNull(size_t(column))) return QVariant();
    const Column& c = m_columns[size_t(column)];
    if (isText(c.type)) {
        quint16 l;
        std::memcpy(&l, p, 2);
        return decodeValue(c.type, c.scale, c.charset, p + 2, l);
    }
    return decodeValue(c.type, c.scale, c.charset, p, c.length);
}

QVector<QVariant> Statement::row() const {
    QVector<QVariant> r;
    r.reserve(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i) r.append(value(i));
    return r;
}

void Statement::setParams(const QVariantList& params) {
    clearParams();
    for (int i = 0; i < params.size(); ++i) setParam(i, params.at(i));
}

void Statement::execute(const QString& sql, const QVariantList& params) {
    prepare(sql);
    setParams(params);
    execute();
}

QVariant Statement::scalar(const QString& sql, const QVariantList& params) {
    prepare(sql);
    setParams(params);
    open();
    QVariant v;
    if (fetch()) v = value(0);
    close();
    return v;
}

}  // namespace db
