#pragma once
// A transaction on one connection. It starts on first use and ends by commit,
// rollback or when the connection closes (with its default action).
// A full commit or a rollback closes every dataset that uses it; commit
// retaining keeps them open.
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
    bool inTransaction() const { return bool(m_handle); }
    void commit();
    void commitRetaining();
    void rollback();
    void rollbackRetaining();
    // End with the default action (used when the connection closes).
    void endWithDefaultAction();

    // The handle, starting the transaction when it is not active.
    Firebird::ITransaction* handle();

    void addDataset(Dataset* d);
    void removeDataset(Dataset* d);
    void addStatement(Statement* s);
    void removeStatement(Statement* s);

    // Runs after a dataset of this transaction has written a row (a post or
    // a delete): whoever owns the transaction decides when that work is
    // committed.
    std::function<void()> onWrite;
    void noteWrite() {
        if (onWrite) onWrite();
    }

    // Called by the connection when it detaches.
    void connectionClosing();

private:
    void closeUsers();

    Connection* m_connection;
    Isolation m_isolation;
    bool m_wait;
    DefaultAction m_defaultAction = DefaultAction::Commit;
    detail::TransactionHandle m_handle;
    QList<Dataset*> m_datasets;
    QList<Statement*> m_statements;
};

} // namespace db
