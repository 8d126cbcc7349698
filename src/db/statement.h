#pragma once
// A prepared SQL statement with parameters, in dialect 1.
//
// Parameters are written as "?" or as ":name"; named parameters are turned
// into positional ones when the text is prepared (string literals, which
// dialect 1 writes in double or single quotes, are left alone).
// Values travel as QVariant: NULL is an invalid QVariant, INTEGER an int,
// FLOAT/DOUBLE a double, DATE (dialect 1: date and time) a QDateTime with
// Qt::UTC spec holding the stored wall-clock time, text a QString, octets
// (RDB$DB_KEY) a QByteArray.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

#include "db/fbhandle.h"

namespace Firebird {
class IStatement;
class IResultSet;
class IMessageMetadata;
class ITransaction;
}

namespace db {

class Connection;
class Transaction;

enum class ColumnType { Integer, SmallInt, BigInt, Float, Double, Char, VarChar, Timestamp,
                        Date, Time, Blob, Octets, Boolean, Other };

struct ColumnInfo {
    QString name;       // alias as returned (upper case for unquoted names)
    QString field;      // the underlying column name, empty for expressions
    QString relation;   // table of the column, empty for expressions
    ColumnType type = ColumnType::Other;
    int size = 0;       // characters for text, bytes otherwise
    int scale = 0;
    bool nullable = true;
};

// Compact copies of result rows. A packed row is a null bitmap followed by
// the value of every column that is not NULL in the wire form of its type,
// texts without their padding (a length of two bytes, then the bytes). A
// dataset of 150,000 rows of 80 columns keeps its rows this way in a few
// dozen megabytes instead of one QVariant per value; values are turned into
// QVariants when they are read.
class RowCodec {
public:
    // Bytes the packed form of the message's row needs.
    size_t packedSize(const char* message) const;
    // Writes the packed form of the message's row to `out` (packedSize bytes).
    void pack(const char* message, char* out) const;
    // The value of a column of a packed row, as Statement::value gives it.
    QVariant value(const char* packed, int column) const;
    int columnCount() const { return int(m_columns.size()); }
    // Whether rows packed by `other` read the same through this codec (the
    // same column types; where the message keeps them may differ).
    bool samePackedForm(const RowCodec& other) const;

private:
    friend class Statement;
    struct Column {
        unsigned offset = 0, nullOffset = 0, type = 0, length = 0, charset = 0;
        int scale = 0;
    };
    std::vector<Column> m_columns;
    size_t m_bitmapBytes = 0;
};

class Statement {
public:
    Statement(Connection* connection, Transaction* transaction);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Transaction* transaction() const { return m_transaction; }
    void setTransaction(Transaction* t);

    // Prepare (again only when the text changed).
    void prepare(const QString& sql);
    QString sql() const { return m_sql; }
    bool isPrepared() const { return bool(m_statement); }
    void unprepare();

    int paramCount() const { return m_paramNames.size(); }
    // Names of the parameters in order; positional ones have an empty name.
    QStringList paramNames() const { return m_paramNames; }
    void setParam(int index, const QVariant& value);
    // Sets every parameter of that name (case-insensitive).
    void setParam(const QString& name, const QVariant& value);
    void clearParams();
    // Sets the parameters in order; those not given become NULL.
    void setParams(const QVariantList& params);

    // Columns of the result (valid after prepare).
    int columnCount() const { return m_columns.size(); }
    const QVector<ColumnInfo>& columns() const { return m_columns; }
    int columnIndex(const QString& name) const;  // -1 when absent

    bool isSelect() const;

    // Execute a statement without a cursor. For "... RETURNING" the returned
    // row is readable with value() afterwards.
    void execute();
    // Prepare (again only when the text changed), set the parameters in
    // order (those not given are NULL) and execute.
    void execute(const QString& sql, const QVariantList& params = {});
    // Open a cursor for a select.
    void open();
    // Fetch the next row; false at the end (the cursor is closed then).
    bool fetch();
    bool isOpen() const { return bool(m_cursor); }
    void close();

    QVariant value(int column) const;
    QVector<QVariant> row() const;
    // The codec of the prepared select's rows (kept alive by its holders
    // when the statement is prepared again) and the fetched row's message.
    std::shared_ptr<const RowCodec> rowCodec() const { return m_codec; }
    const char* rowMessage() const { return m_hasRow ? m_outBuffer.constData() : nullptr; }

    int rowsAffected() const { return m_rowsAffected; }

    // A one-shot read: prepare (again only when the text changed), set the
    // parameters in order (those not given are NULL), open, fetch the first
    // row and return its first column (invalid QVariant when there is no
    // row); the cursor is closed.
    QVariant scalar(const QString& sql, const QVariantList& params = {});

    // Called by the transaction when it ends (the cursor is gone then); with
    // `ending` only when the cursor runs in that transaction.
    void transactionEnding(Firebird::ITransaction* ending = nullptr);
    // The transaction the open cursor runs in (nullptr without a cursor).
    Firebird::ITransaction* cursorTransaction() const { return m_cursor ? m_cursorTransaction : nullptr; }
    // Called by the transaction's destructor.
    void transactionDestroyed();
    // Called when the connection was lost: the cursor is gone, the statement
    // prepares itself again when it next runs.
    void connectionLost();

private:
    QByteArray encodeInput();
    void decodeColumns();
    // Prepares the text again when it was prepared under an earlier
    // attachment (after a lost connection); the parameters stay.
    void prepareAgainIfStale();
    quint64 m_generation = 0;

    Connection* m_connection;
    Transaction* m_transaction;
    QString m_sql;
    QStringList m_paramNames;
    QVector<QVariant> m_params;
    QVector<ColumnInfo> m_columns;
    // Declared in the order they are let go of backwards: the cursor first,
    // then the metadata, then the statement.
    detail::StatementHandle m_statement;
    detail::Metadata m_inMeta;
    detail::Metadata m_outMeta;
    detail::Cursor m_cursor;
    Firebird::ITransaction* m_cursorTransaction = nullptr;
    struct Layout {
        unsigned offset = 0, nullOffset = 0, type = 0, length = 0, charset = 0;
        int scale = 0;
    };
    static QVector<Layout> layoutOf(Firebird::IMessageMetadata* meta);
    QVector<Layout> m_inLayout, m_outLayout;
    unsigned m_inLength = 0;
    QByteArray m_outBuffer;
    std::shared_ptr<RowCodec> m_codec;
    bool m_hasRow = false;
    int m_rowsAffected = 0;
    unsigned m_type = 0;
};

// Replaces ":name" parameters by "?" and returns their names in order.
QString convertNamedParams(const QString& sql, QStringList* names);

// Quote a text as an SQL string literal in double quotes (dialect 1),
// doubling every double quote inside.
QString quoteString(const QString& text);
// The body of a string literal in apostrophes: every apostrophe doubled, so
// that "'%" + escapeApostrophes(t) + "%'" is always one literal.
QString escapeApostrophes(const QString& text);

} // namespace db
