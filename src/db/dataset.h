#pragma once
// Datasets: the rows of one table or query, with a current row, the states
// inactive / browse / edit / insert, navigation, editing, master-detail links
// and server-side filters and orders.
//
// Rows are read lazily: opening fetches one packet, more are fetched as they
// are needed (navigation, grids asking through fetchMore()).
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QMap>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "db/field.h"

namespace Firebird {
class ITransaction;
}

namespace db {

class Connection;
class Transaction;
class Statement;
class DataSource;
class RowCodec;

enum class DatasetState { Inactive, Browse, Edit, Insert };

class Dataset : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(Dataset*)>;

    explicit Dataset(Connection* connection, Transaction* transaction, QObject* parent = nullptr);
    ~Dataset() override;

    Connection* connection() const { return m_connection; }
    Transaction* transaction() const { return m_transaction; }

    // --- events (one handler each) ---
    Handler beforeOpen, afterOpen, beforeClose, afterClose;
    Handler beforeInsert, afterInsert, beforeEdit, afterEdit;
    Handler beforePost, afterPost, beforeCancel, afterCancel;
    Handler beforeDelete, afterDelete, beforeScroll, afterScroll;
    Handler onCalcFields;
    // Runs each time the fields are created (labels, formats, sizes).
    Handler onFieldsCreated;
    // Runs when the server refuses a new row because its key is taken:
    // another workstation saved a row with that number since this one was
    // numbered (largest + 1). The handler gives the row the next free number
    // and the insert is tried again; after 50 refusals the error stands.
    Handler onKeyTaken;

    // --- open / close ---
    void open();
    void close();
    bool isActive() const { return m_state != DatasetState::Inactive; }
    void setActive(bool a) { a ? open() : close(); }
    DatasetState state() const { return m_state; }
    bool isEditing() const {
        return m_state == DatasetState::Edit || m_state == DatasetState::Insert;
    }
    // Re-read the rows from the server; the current row stays current when it
    // is still there (matched by key), else the first row is current.
    void refresh();
    // Two datasets over one table (one window's table of all dogs, another
    // window's dogs of one customer) never overwrite each other: a save
    // writes only the columns that changed, and the rows another dataset of
    // the connection wrote since this one read them are read again - the
    // current row before it is edited, and every row held when resync() is
    // called (the window showing the dataset became active). A change the
    // user is typing keeps its columns; the others take the stored values.
    void resync();
    // Another dataset wrote rows of this one's table since it read them.
    bool stale() const;

    // --- fields ---
    // Fields exist once the dataset was prepared or opened; asking for them
    // before prepares the statement.
    const QVector<Field*>& fields();
    Field* fieldByName(const QString& name);  // throws Error when absent
    Field* findField(const QString& name);    // nullptr when absent
    int fieldCount() { return fields().size(); }
    // The field at `index` of the fields as they are now, without preparing
    // anything (nullptr outside); for holders that checked fieldsVersion().
    Field* fieldAt(int index) const { return index >= 0 && index < m_fields.size() ? m_fields[index] : nullptr; }
    // Settings applied when the fields are created.
    Field* addCalculatedField(const QString& name, FieldType type, int size = 0);
    Field* addLookupField(const QString& name, FieldType type, int size, Dataset* lookupDataset,
                          const QString& keyField, const QString& lookupKeyField,
                          const QString& resultField);
    // Restrict the data fields to these columns (default: all columns).
    void setFieldNames(const QStringList& columns) { m_fieldNames = columns; }
    // Leave these columns without a field.
    void setExcludedFieldNames(const QStringList& columns) { m_excludedFieldNames = columns; }
    // Create the fields now (prepares the select).
    void createFields();
    // Changes whenever the field objects change (a new select, a reset, a
    // field added): equal numbers mean the same field objects at the same
    // places. Holders of fields (a grid's columns) keep names and this
    // number, never field pointers, since old fields are deleted at once.
    quint64 fieldsVersion() const { return m_fieldsVersion; }

    // --- navigation ---
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const;
    // Index of the current row in the fetched rows, -1 when there is none.
    int recNo() const { return m_current; }
    void setRecNo(int row);
    // Rows known so far (the dataset may hold more on the server). After
    // last() on a table the count is exact: every row is known by its key
    // and read whole when something asks for it (see last()).
    int recordCount() const { return int(m_rows.size()); }
    bool allFetched() const { return m_allFetched; }
    bool canFetchMore() const { return isActive() && !m_allFetched; }
    // Fetch up to n more rows; returns how many came.
    int fetchMore(int n);
    void fetchAll();

    // Locate: make the first row whose fields equal the values current.
    // `fields` is a ";"-separated list; `values` a QVariant or QVariantList.
    bool locate(const QString& fields, const QVariant& values, bool caseInsensitive = false,
                bool partialKey = false);
    // Value of `resultField` in the first row matching, without moving.
    QVariant lookup(const QString& fields, const QVariant& values, const QString& resultField);

    // --- editing ---
    void edit();     // on an empty dataset this inserts
    void insert();   // new row before the current row
    void append();   // new row at the end
    void post();
    void cancel();
    void deleteRecord();
    // Bring back to browse state: post a modified edit, cancel an unmodified.
    void checkBrowseMode();
    bool modified() const { return m_modified; }
    // Marking a row modified from an after-insert handler makes the new row
    // count as changed by the user (it is posted, not dropped, when the user
    // moves on); values the handler merely assigns are defaults.
    void setModified(bool m) {
        m_modified = m;
        m_keepInsertModified = m;
    }
    // Ask the bound controls to write their content into the fields.
    void updateRecord();

    // --- rows for grids (no move) ---
    QVariant valueAt(int row, int fieldIndex) const;
    // Whether the given row is the current row in edit/insert state.
    bool isRowEditing(int row) const { return isEditing() && row == m_current; }

    // --- controls ---
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // --- data sources ---
    void attachDataSource(DataSource* ds);
    void detachDataSource(DataSource* ds);

    // --- filter (evaluated by the server as WHERE) ---
    void setFilter(const QString& f);
    QString filter() const { return m_filter; }
    void setFiltered(bool f);
    bool filtered() const { return m_filtered; }

    // Packet size of the lazy fetch.
    void setFetchPacket(int n) { m_packet = n; }

    // --- used by Field ---
    QVariant currentValue(int fieldIndex) const;
    QVariant storedValue(int fieldIndex) const;
    void setCurrentValue(Field* field, const QVariant& v);
    bool inCalcFields() const { return m_calculating; }

    // Details register here so that they post before the master moves.
    void addDetail(Dataset* d);
    void removeDetail(Dataset* d);
    // Fields must be created again (the select changed its columns).
    void resetFields();

    // Number of statements the dataset sent to the server (for tests that
    // check that something was not re-read).
    int selectCount() const { return m_selectCount; }

    // Called by the transaction when it ends: the dataset closes.
    void transactionEnded();
    // Called by a transaction with separate reads before its write
    // transaction `write` ends: a cursor that runs in it is read to its end
    // (the keys of the rest where the dataset can, else every row), so that
    // the rows and the position stay.
    void writeTransactionEnding(Firebird::ITransaction* write);
    // Called when the connection was lost: the rows read so far and an edit
    // in progress stay; the rows not read yet are out of reach until the
    // dataset is read again (restLost()).
    void connectionLost();
    bool restLost() const { return m_restLost; }
    // Called by the transaction's destructor.
    void transactionDestroyed();

protected:
    // The select to run; `params` receives the values of its parameters.
    virtual QString selectSql(QVector<QPair<QString, QVariant>>* params) = 0;
    // Writing rows; table datasets implement these.
    virtual void writeInsert(QVector<QVariant>& row, QByteArray* rowId);
    virtual void writeUpdate(const QVector<QVariant>& oldRow, const QVector<QVariant>& newRow,
                             const QByteArray& rowId);
    virtual void writeDelete(const QVector<QVariant>& row, const QByteArray& rowId);
    // Whether the select returns a row id column in front (RDB$DB_KEY).
    virtual bool hasRowIdColumn() const { return false; }
    // Whether the row with these values (or row id) is still part of the
    // selection on the server.
    virtual bool rowStillSelected(const QVector<QVariant>& values, const QByteArray& rowId);
    // The table whose writes the dataset follows (see resync); empty: none.
    virtual QString writtenTable() const { return QString(); }
    // Reads the row with these values (or row id) again: every column of the
    // select, in its order.
    enum class Reread { Found, Gone, NotAddressable };
    virtual Reread readRowAgain(const QVector<QVariant>& values, const QByteArray& rowId,
                                QVector<QVariant>* columns);
    // Master-detail: value of a new detail row's link fields.
    virtual void initDetailRow() {}
    // Whether the rows must be re-read because the master row changed.
    virtual void masterChanged() {}

    // Re-read when the select would change.
    void reopen(bool keepPosition = true);
    // Empty, as a select without rows would leave it, without asking the server.
    void showNoRows();
    // Queries: a new text brings new fields.
    virtual bool fieldsFollowSql() const { return false; }
    Statement* selectStatement();

    // Event plumbing shared with subclasses.
    void notifyDataSetChanged();
    void notifyScrolled();
    void notifyRecordChanged(Field* f);
    void notifyStateChanged();
    void notifyActiveChanged();
    void setState(DatasetState s);

    QVector<Field*> m_fields;

    // Fields whose values identify a row (the primary key); empty when rows
    // are identified by their row id or not at all.
    virtual QVector<int> identityFieldIndexes() { return {}; }

    // Reading by key (see last()): `keys` selects the identity columns of
    // every row, with the conditions and the order of the select; `rows`
    // selects whole rows, in the form of the select, by `count` identities
    // (parameter kyn_key_I_J: identity I, its column J); `range`, for a key
    // of one column, selects whole rows whose key lies between kyn_key_0_0
    // and kyn_key_1_0 (empty: none); `params` receives the values of the
    // other parameters of all three. False when the dataset cannot be read
    // that way.
    virtual bool keyedSelectSql(int count, QString* keys, QString* rows, QString* range,
                                QVector<QPair<QString, QVariant>>* params);

private:
    // A row read from the server keeps its data fields packed (RowCodec) and
    // only its calculated and lookup fields as values; a row written by the
    // program (posted insert or edit) holds every field as a value.
    struct Row {
        const char* packed = nullptr;  // in m_arena; null: `values` holds every field
        QVector<QVariant> values;      // packed: the fields after the data fields
        QByteArray rowId;              // RDB$DB_KEY for key-less tables
        // Only the key is known (m_keyCodec's form in `packed`): the row is
        // read whole by readRow() before anything reads it.
        bool keyOnly = false;
    };
    // Append-only storage of the packed rows of the open cursor.
    class Arena {
    public:
        char* allocate(size_t n);
        void clear();
    private:
        std::vector<std::unique_ptr<char[]>> m_blocks;
        size_t m_used = 0, m_size = 0;
    };

    QVariant rowValue(const Row& r, int fieldIndex) const;
    // Notes the rows this dataset wrote for the other datasets of its table.
    void noteWritten(const QStringList& identities);
    quint64 tableVersionNow() const;
    // Reads the fetched row `index` again; an edit of it keeps the columns
    // the user changed.
    Reread rereadRow(int index);
    quint64 m_seenVersion = 0;  // the table's version when the rows were read
    QVector<QVariant> rowValues(const Row& r) const;  // every field
    void unpack(Row& r) const;
    QString identityOf(const Row& r);

    void openCursor();
    void closeCursor();
    bool fetchRow();

    // The rows not fetched yet become key-only rows (the cursor is closed):
    // only the identity columns of every row are read, which costs the
    // server a fraction of the whole rows. False (nothing changed) when the
    // dataset has no identity, holds rows inserted while the cursor is open,
    // or the rows fetched so far are not the first rows of the key list
    // (the selection changed meanwhile).
    bool readKeyedRest();
    // Makes the row at `index` a whole row: a key-only row is read with the
    // key-only rows of its page (one select). Rows of the page that are no
    // longer selected on the server (deleted meanwhile) are dropped; when the
    // row itself is gone, its neighbour in direction `step` (+1 the next,
    // -1 the previous) takes its place. Returns the row's index now; -1 or
    // recordCount() when there is none. Every read of a row's values goes
    // through here (or through the current row, which is always whole).
    // A scan (locate, lookup) reads wider pages.
    int readRow(int index, int step = 1, bool scan = false);
    // The row at `index` whole, or, when it and every row after it are gone,
    // the last row before it; recordCount() or -1 when there is none.
    int readRowOrLast(int index);
    int readPage(int index, bool* gone, bool scan);
    void dropRow(int index);
    // The current row whole again after rows were dropped or deleted.
    void settleCurrent();
    // Whether a search compares a key field (key-only rows are then read
    // only where the key matches; otherwise a search reads wide pages).
    bool searchesKey(const QVector<QPair<int, QVariant>>& wanted) const;
    bool keyMatches(const Row& r, const QVector<QPair<int, QVariant>>& wanted, bool caseInsensitive,
                    bool partialKey) const;
    static constexpr int kKeyPage = 64, kScanPage = 1024;
    std::shared_ptr<const RowCodec> m_keyCodec;  // form of the key-only rows
    QVector<int> m_keyColumnOfField;             // per field: column of the key, -1
    // The selects of whole rows by key: a page by a list of keys, and rows
    // by a range of the key.
    struct KeyedRead {
        std::unique_ptr<Statement> statement;
        QString sql;
        int count = 0;          // keys per read; 0: not used
        QVector<int> keyParam;  // parameter of key I, column J at [I * columns + J]
    };
    KeyedRead m_pageRead, m_rangeRead;
    QVector<QPair<QString, QVariant>> m_pageParams;
    bool prepareKeyedRead(KeyedRead& read, const QString& sql, int count);
    bool m_dropNoticePending = false;
    bool m_restLost = false;
    void calculate(Row& r);
    void doScroll(int newRow);
    void checkActive() const;
    void checkNotEmpty() const;
    void clearState();
    void beginInsert(bool append);
    void insertBuffer(QByteArray* rowId);
    void checkRequired();

    Connection* m_connection;
    Transaction* m_transaction;
    std::unique_ptr<Statement> m_select;
    std::vector<Row> m_rows;
    Arena m_arena;
    std::shared_ptr<const RowCodec> m_codec;
    // Rows this dataset inserted while its cursor was still open: the cursor
    // may come to them later, and then they are not taken twice.
    QSet<QString> m_localInserts;
    QVector<int> m_identity;
    bool m_identityKnown = false;
    Row m_buffer;        // edit buffer of the current row while editing
    int m_current = -1;
    int m_insertedAt = -1;
    bool m_eof = true, m_bof = true;
    bool m_allFetched = true;
    bool m_modified = false;
    bool m_keepInsertModified = false;
    bool m_calculating = false;
    int m_disableCount = 0;
    bool m_changedWhileDisabled = false;
    int m_packet = 60;
    int m_selectCount = 0;
    DatasetState m_state = DatasetState::Inactive;
    QString m_filter;
    bool m_filtered = false;
    QStringList m_fieldNames;
    QStringList m_excludedFieldNames;
    QList<DataSource*> m_dataSources;
    bool m_fieldsCreated = false;
    Row* m_calcTarget = nullptr;
    int m_rowBeforeInsert = -1;
    QString m_preparedSql;
    QString m_fieldsSql;
    // Queries whose text changes back and forth (a day list, a search) keep
    // their recent statements prepared, with their fields.
    struct PreparedSelect {
        QString sql;
        std::unique_ptr<Statement> statement;
        QVector<Field*> fields;
        int dataFieldCount = 0;
        quint64 fieldsVersion = 0;
    };
    std::vector<PreparedSelect> m_preparedCache;
    bool switchPreparedSelect(const QString& sql);
    // The field objects changed: a new version number.
    void fieldsChanged();
    quint64 m_fieldsVersion = 0;
    QList<QPointer<Dataset>> m_details;
    void checkDetailsBrowseMode();
    int findRow(const QVector<QVariant>& values, const QByteArray& rowId);
    void calculateBuffer();
    int m_dataFieldCount = 0;
    struct PendingField {
        QString name;
        FieldType type;
        int size;
        FieldKind kind;
        Dataset* lookupDataset;
        QString keyField, lookupKeyField, resultField;
    };
    friend class Field;
};

// A table: all columns of one table; filter and master link become the
// WHERE, the index field names the ORDER BY. Rows are written by primary key,
// or by RDB$DB_KEY when the table has none.
class Table : public Dataset {
    Q_OBJECT
public:
    Table(Connection* connection, Transaction* transaction, const QString& tableName,
          QObject* parent = nullptr);
    ~Table() override;

    QString tableName() const { return m_tableName; }
    // Order, ";"-separated ("KNDNR;HUNDNR").
    void setIndexFieldNames(const QString& names) { m_indexFieldNames = names; }
    QString indexFieldNames() const { return m_indexFieldNames; }
    // Master link: the detail shows the rows whose `detailFields` equal the
    // master's `masterFields` (";"-separated, pairwise).
    void setMasterSource(DataSource* master, const QString& masterFields,
                         const QString& detailFields);
    DataSource* masterSource() const { return m_master; }

    QStringList primaryKey();

    // The master's current row was inserted just now by this transaction and
    // nobody else can have given it detail rows yet: the detail follows it
    // without reading (an import that creates a customer and its dog per
    // line would otherwise run one select per line).
    void followNewMasterRow();

protected:
    QString selectSql(QVector<QPair<QString, QVariant>>* params) override;
    void writeInsert(QVector<QVariant>& row, QByteArray* rowId) override;
    void writeUpdate(const QVector<QVariant>& oldRow, const QVector<QVariant>& newRow,
                     const QByteArray& rowId) override;
    void writeDelete(const QVector<QVariant>& row, const QByteArray& rowId) override;
    bool hasRowIdColumn() const override;
    void initDetailRow() override;

    bool rowStillSelected(const QVector<QVariant>& values, const QByteArray& rowId) override;
    QVector<int> identityFieldIndexes() override;
    QString writtenTable() const override { return m_tableName; }
    Reread readRowAgain(const QVector<QVariant>& values, const QByteArray& rowId,
                        QVector<QVariant>* columns) override;
    bool keyedSelectSql(int count, QString* keys, QString* rows, QString* range,
                        QVector<QPair<QString, QVariant>>* params) override;

private:
    void readKeyInfo();
    void readDefaultColumns();
    void onMasterChange(Field* f);
    QVector<QVariant> masterValues();
    QString whereClause(QVector<QPair<QString, QVariant>>* params);
    QString keyCondition(int* firstParam);
    void bindKey(Statement* st, int first, const QVector<QVariant>& row, const QByteArray& rowId);

    QString m_tableName;
    QString m_indexFieldNames;
    DataSource* m_master = nullptr;
    QStringList m_masterFields, m_detailFields;
    QVector<QVariant> m_lastMasterValues;
    bool m_keyInfoRead = false;
    QStringList m_primaryKey;
    std::unique_ptr<Statement> m_delete;
    // Inserts by the set of columns written ('1' per data column written).
    std::map<QByteArray, std::unique_ptr<Statement>> m_inserts;
    // Columns with a default in the schema (upper case).
    QSet<QString> m_defaultColumns;
    bool m_defaultsRead = false;
    // Updates by the set of changed columns ("NAME,RASSE").
    std::map<QString, std::unique_ptr<Statement>> m_updates;
};

// A query: SQL text held as lines, parameters taken from the master data
// source's fields of the same name (re-read when the master row changes) or
// set with setParam.
class Query : public Dataset {
    Q_OBJECT
public:
    Query(Connection* connection, Transaction* transaction, QObject* parent = nullptr);
    ~Query() override;

    QStringList sql() const { return m_sql; }
    void setSql(const QStringList& lines);
    void clearSql() { setSql({}); }
    void addLine(const QString& line);
    QString sqlText() const { return m_sql.join('\n'); }

    void setDataSource(DataSource* master);
    DataSource* dataSource() const { return m_master; }
    void setParam(const QString& name, const QVariant& value);

    // Run a statement that returns no rows (INSERT, UPDATE, DDL).
    void execSql();
    int rowsAffected() const { return m_rowsAffected; }

protected:
    QString selectSql(QVector<QPair<QString, QVariant>>* params) override;
    bool fieldsFollowSql() const override { return true; }

private:
    void onMasterChange(Field* f);
    QVector<QPair<QString, QVariant>> paramValues();
    QVector<QPair<QString, QVariant>> m_lastParams;
    std::unique_ptr<Statement> m_exec;

    QStringList m_sql;
    DataSource* m_master = nullptr;
    QMap<QString, QVariant> m_paramValues;
    int m_rowsAffected = 0;
};

}  // namespace db
