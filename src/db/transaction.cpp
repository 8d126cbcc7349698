#include "db/transaction.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include "db/connection.h"
#include "db/dataset.h"
#include "db/error.h"
#include "db/fbstatus.h"
#include "db/statement.h"

using namespace Firebird;

namespace db {

Transaction::Transaction(Connection* connection, Isolation isolation, bool wait)
    : m_connection(connection), m_isolation(isolation), m_wait(wait) {
    if (m_connection) m_connection->addTransaction(this);
}

Transaction::~Transaction() {
    try {
        if (m_handle || m_readHandle) endWithDefaultAction();
    } catch (...) {
        try {
            rollback();
        } catch (...) {
        }
    }
    // Whoever still points here must not reach a deleted transaction.
    for (Dataset* d : QList<Dataset*>(m_datasets)) d->transactionDestroyed();
    for (Statement* s : QList<Statement*>(m_statements)) s->transactionDestroyed();
    if (m_connection) m_connection->removeTransaction(this);
}

void Transaction::connectionClosing() {
    // The attachment is gone, and with it what the interfaces stood for.
    m_handle.take();
    m_readHandle.take();
    m_connection = nullptr;
}

ITransaction* Transaction::handle() {
    if (!m_handle) start();
    return m_handle.get();
}

namespace {

ITransaction* startOne(Connection* c, bool write, bool snapshot, bool wait) {
    if (!c || !c->isOpen()) throw Error(QStringLiteral("Die Datenbankverbindung ist nicht geöffnet."));
    // A lost connection attaches again first (or says that it cannot).
    if (c->lost()) c->reconnect();
    detail::Status st;
    detail::Builder b(Connection::util()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0));
    st.check();
    b->insertTag(&st, write ? isc_tpb_write : isc_tpb_read);
    if (snapshot) {
        b->insertTag(&st, isc_tpb_concurrency);
    } else {
        b->insertTag(&st, isc_tpb_read_committed);
        b->insertTag(&st, isc_tpb_rec_version);
    }
    b->insertTag(&st, wait ? isc_tpb_wait : isc_tpb_nowait);
    st.check();
    unsigned len = b->getBufferLength(&st);
    const unsigned char* buf = b->getBuffer(&st);
    ITransaction* t = c->attachment()->startTransaction(&st, len, buf);
    if (st.failed()) c->raise(st);
    return t;
}

}  // namespace

ITransaction* Transaction::readHandle() {
    if (!m_separateReads || m_handle) return handle();
    // Read-only and read committed: Firebird starts it pre-committed, so it
    // may stay open as long as datasets read through it.
    if (!m_readHandle) m_readHandle.reset(startOne(m_connection, false, false, false));
    return m_readHandle.get();
}

void Transaction::start() {
    if (m_handle) return;
    m_handle.reset(startOne(m_connection, true, m_isolation == Isolation::Snapshot, m_wait));
    // Written work waits for its commit from now on.
    if (m_separateReads) noteWrite();
}

void Transaction::connectionLost() {
    for (Dataset* d : QList<Dataset*>(m_datasets)) d->connectionLost();
    for (Statement* s : QList<Statement*>(m_statements)) s->connectionLost();
    m_handle.reset();
    m_readHandle.reset();
}

void Transaction::endRead() noexcept {
    if (!m_readHandle) return;
    detail::Status st;
    m_readHandle->commit(&st);
    if (st.failed()) m_readHandle.reset();  // rolled back by letting go
    else m_readHandle.take();
}

void Transaction::endWrite(bool commit) {
    if (!m_handle) return;
    ITransaction* write = m_handle.get();
    // Whatever a dataset read in the write transaction it keeps: the rest of
    // its cursor is read now, while the transaction still runs.
    for (Dataset* d : QList<Dataset*>(m_datasets))
        if (d->isActive()) d->writeTransactionEnding(write);
    for (Statement* s : QList<Statement*>(m_statements)) s->transactionEnding(write);
    detail::Status st;
    if (commit) {
        m_handle->commit(&st);
        if (st.failed()) m_connection->raise(st, QStringLiteral("COMMIT"));
    } else {
        m_handle->rollback(&st);
        if (st.failed()) {
            m_handle.take()->release();
            m_connection->raise(st, QStringLiteral("ROLLBACK"));
        }
    }
    m_handle.take();
}

void Transaction::closeUsers() {
    for (Dataset* d : QList<Dataset*>(m_datasets))
        if (d->isActive()) d->transactionEnded();
    for (Statement* s : QList<Statement*>(m_statements)) s->transactionEnding();
}

void Transaction::commit() {
    if (m_readHandle && !m_handle) {
        closeUsers();
        endRead();
        return;
    }
    if (!m_handle) return;
    closeUsers();
    endRead();
    detail::Status st;
    m_handle->commit(&st);
    if (st.failed()) m_connection->raise(st, QStringLiteral("COMMIT"));
    m_handle.take();  // a commit ends the interface
}

void Transaction::commitRetaining() {
    if (!m_handle) return;
    if (m_separateReads) {
        endWrite(true);
        return;
    }
    detail::Status st;
    m_handle->commitRetaining(&st);
    if (st.failed()) m_connection->raise(st, QStringLiteral("COMMIT RETAIN"));
}

void Transaction::rollback() {
    if (m_readHandle && !m_handle) {
        closeUsers();
        endRead();
        return;
    }
    if (!m_handle) return;
    closeUsers();
    endRead();
    detail::Status st;
    m_handle->rollback(&st);
    if (st.failed()) {
        // The transaction is unusable either way; drop the handle.
        m_handle.take()->release();
        st.raise(QStringLiteral("ROLLBACK"));
    }
    m_handle.take();  // a rollback ends the interface
}

void Transaction::rollbackRetaining() {
    if (!m_handle) return;
    if (m_separateReads) {
        endWrite(false);
        return;
    }
    detail::Status st;
    m_handle->rollbackRetaining(&st);
    st.check(QStringLiteral("ROLLBACK RETAIN"));
}

void Transaction::endWithDefaultAction() {
    if (!m_handle) {
        if (m_readHandle) commit();
        return;
    }
    switch (m_defaultAction) {
    case DefaultAction::Commit:
    case DefaultAction::CommitRetaining:
        commit();
        break;
    case DefaultAction::Rollback:
        rollback();
        break;
    }
}

void Transaction::addDataset(Dataset* d) {
    if (!m_datasets.contains(d)) m_datasets.append(d);
}
void Transaction::removeDataset(Dataset* d) { m_datasets.removeAll(d); }
void Transaction::addStatement(Statement* s) {
    if (!m_statements.contains(s)) m_statements.append(s);
}
void Transaction::removeStatement(Statement* s) { m_statements.removeAll(s); }

}  // namespace db
