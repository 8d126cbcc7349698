#pragma once
// A transaction on one connection. It starts on first use and ends by commit,
// rollback or when the connection closes (with its default action).
// A full commit or a rollback closes every dataset that uses it; commit
// retaining keeps them open.
//
// With separate reads (setSeparateReads) nothing it keeps open pins the
// database's oldest snapshot: reads run in a read-only read-committed
// transaction of their own, which Firebird starts pre-committed (it keeps no
// record version from being collected and sees every commit), and the
// first write starts a short write transaction. Reads that come while the
// write transaction runs go to it, so they see its uncommitted rows. Commit
// retaining then ends the write transaction with a real commit: datasets
// keep their rows and current rows, a cursor that ran in the write
// transaction is read to its end first (by key where the dataset can), and
// later reads run in the read-only transaction again.
#include <QList>
#include <functional>

#include "db/fbhandle.h"

namespace Firebird {
class ITransaction;
}

namespace db {

class Connection;
class Dataset;
class Statement;

class Transaction {
public:
    enum class Isolation { Snapshot, ReadCommitted };
    enum class DefaultAction { Commit, CommitRetaining, Rollback };

    explicit Transaction(Connection* connection, Isolation isolation = Isolation::Snapshot,
                         bool wait = true);
    ~Transaction();  // ends an active transaction with its default action
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    Connection* connection() const { return m_connection; }
    void setDefaultAction(DefaultAction a) { m_defaultAction = a; }
    // Takes effect when the transaction next starts.
    void setIsolation(Isolation i) { m_isolation = i; }
    Isolation isolation() const { return m_isolation; }
    DefaultAction defaultAction() const { return m_defaultAction; }

    void start();
    // Whether the (write) transaction runs: with separate reads, whether
    // written work waits for its commit.
    bool inTransaction() const { return bool(m_handle); }
    // See above; takes effect when the transaction next starts.
    void setSeparateReads(bool on) { m_separateReads = on; }
    bool separateReads() const { return m_separateReads; }
    void commit();
    void commitRetaining();
    void rollback();
    void rollbackRetaining();
    // End with the default action (used when the connection closes).
    void endWithDefaultAction();

    // The handle for writing, starting the transaction when it is not active.
    Firebird::ITransaction* handle();
    // The handle for reading: with separate reads the read-only transaction
    // while nothing is written, else handle().
    Firebird::ITransaction* readHandle();
    // Whether `t` is the handle of the write transaction (cursors opened on
    // it end with it).
    bool isWriteHandle(Firebird::ITransaction* t) const { return t && t == m_handle.get(); }

    void addDataset(Dataset* d);
    void removeDataset(Dataset* d);
    void addStatement(Statement* s);
    void removeStatement(Statement* s);

    // Runs after a dataset of this transaction has written a row (a post or
    // a delete), and with separate reads also when the write transaction
    // starts (a statement writes): whoever owns the transaction decides when
    // that work is committed.
    std::function<void()> onWrite;
    void noteWrite() {
        if (onWrite) onWrite();
    }

    // Called by the connection when it detaches.
    void connectionClosing();
    // Called by the connection when it was lost: the handles are let go of,
    // every cursor is gone; datasets keep their rows.
    void connectionLost();

private:
    void closeUsers();
    // Separate reads: the running write transaction ends, datasets and
    // statements stay (see above).
    void endWrite(bool commit);
    void endRead() noexcept;

    Connection* m_connection;
    Isolation m_isolation;
    bool m_wait;
    DefaultAction m_defaultAction = DefaultAction::Commit;
    bool m_separateReads = false;
    detail::TransactionHandle m_handle;      // the transaction, or the write transaction
    detail::TransactionHandle m_readHandle;  // separate reads: read-only, read committed
    QList<Dataset*> m_datasets;
    QList<Statement*> m_statements;
};

} // namespace db
