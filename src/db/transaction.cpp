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
        if (m_handle) endWithDefaultAction();
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
    // The attachment is gone, and with it what the interface stood for.
    m_handle.take();
    m_connection = nullptr;
}

ITransaction* Transaction::handle() {
    if (!m_handle) start();
    return m_handle.get();
}

void Transaction::start() {
    if (m_handle) return;
    if (!m_connection || !m_connection->isOpen())
        throw Error(QStringLiteral("Die Datenbankverbindung ist nicht geöffnet."));
    detail::Status st;
    detail::Builder b(Connection::util()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0));
    st.check();
    b->insertTag(&st, isc_tpb_write);
    if (m_isolation == Isolation::Snapshot) {
        b->insertTag(&st, isc_tpb_concurrency);
    } else {
        b->insertTag(&st, isc_tpb_read_committed);
        b->insertTag(&st, isc_tpb_rec_version);
    }
    b->insertTag(&st, m_wait ? isc_tpb_wait : isc_tpb_nowait);
    st.check();
    unsigned len = b->getBufferLength(&st);
    const unsigned char* buf = b->getBuffer(&st);
    ITransaction* t = m_connection->attachment()->startTransaction(&st, len, buf);
    st.check();
    m_handle.reset(t);
}

void Transaction::closeUsers() {
    for (Dataset* d : QList<Dataset*>(m_datasets))
        if (d->isActive()) d->transactionEnded();
    for (Statement* s : QList<Statement*>(m_statements)) s->transactionEnding();
}

void Transaction::commit() {
    if (!m_handle) return;
    closeUsers();
    detail::Status st;
    m_handle->commit(&st);
    if (st.failed()) st.raise(QStringLiteral("COMMIT"));
    m_handle.take();  // a commit ends the interface
}

void Transaction::commitRetaining() {
    if (!m_handle) return;
    detail::Status st;
    m_handle->commitRetaining(&st);
    st.check(QStringLiteral("COMMIT RETAIN"));
}

void Transaction::rollback() {
    if (!m_handle) return;
    closeUsers();
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
    detail::Status st;
    m_handle->rollbackRetaining(&st);
    st.check(QStringLiteral("ROLLBACK RETAIN"));
}

void Transaction::endWithDefaultAction() {
    if (!m_handle) return;
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
