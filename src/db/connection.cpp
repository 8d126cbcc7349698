#include "db/connection.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>

#include "db/credentials.h"
#include "db/error.h"
#include "db/fbstatus.h"
#include "db/statement.h"
#include "db/transaction.h"

using namespace Firebird;

namespace db {

namespace detail {

Status::Status() : m_status(Connection::master()->getStatus()), m_wrapper(m_status) {}
Status::~Status() { m_status->dispose(); }

bool Status::failed() const {
    return (const_cast<CheckStatusWrapper&>(m_wrapper).getState() & IStatus::STATE_ERRORS) != 0;
}

QString Status::text() const {
    char buf[2048];
    Connection::util()->formatStatus(buf, sizeof buf, const_cast<CheckStatusWrapper*>(&m_wrapper));
    QString s = QString::fromUtf8(buf).trimmed();
    return s;
}

void Status::check(const QString& sql) {
    if (failed()) raise(sql);
}

void Status::raise(const QString& sql) {
    const ISC_STATUS* v = m_wrapper.getErrors();
    long gds = (v && v[0] == isc_arg_gds) ? long(v[1]) : 0;
    int sqlcode = v ? int(isc_sqlcode(v)) : 0;
    QString msg = text();
    m_wrapper.init();
    throw Error(msg, sql, sqlcode, gds);
}

}  // namespace detail

IMaster* Connection::master() {
    static IMaster* m = fb_get_master_interface();
    return m;
}

IUtil* Connection::util() { return master()->getUtilInterface(); }

IProvider* Connection::provider() {
    static IProvider* p = master()->getDispatcher();
    return p;
}

Connection::Connection() { m_defaultTransaction = new Transaction(this); }

namespace {
// Writes remembered per table; a dataset that missed more re-reads all.
constexpr size_t kRowNotes = 2000;
}  // namespace

quint64 Connection::tableVersion(const QString& table) const {
    auto it = m_tableLogs.constFind(table);
    return it == m_tableLogs.constEnd() ? 0 : it->version;
}

quint64 Connection::noteRowWritten(const QString& table, const QString& identity) {
    TableLog& log = m_tableLogs[table];
    ++log.version;
    log.rows.emplace_back(log.version, identity);
    if (log.rows.size() > kRowNotes) log.rows.pop_front();
    return log.version;
}

bool Connection::rowsWrittenSince(const QString& table, quint64 version, QSet<QString>* identities) const {
    auto it = m_tableLogs.constFind(table);
    if (it == m_tableLogs.constEnd() || it->version <= version) return true;
    // The notes must reach back to the first write after `version`.
    if (it->rows.empty() || it->rows.front().first > version + 1) return false;
    for (const auto& [v, id] : it->rows)
        if (v > version) identities->insert(id);
    return true;
}

Connection::~Connection() {
    try {
        close();
    } catch (...) {
    }
    delete m_defaultTransaction;
    m_defaultTransaction = nullptr;
    // Transactions created by users are owned by them; they only unregister.
    for (Transaction* t : m_transactions) t->connectionClosing();
}

namespace {

// Codes that say the connection itself is gone (not the statement).
bool isLoss(long code) {
    switch (code) {
    case isc_network_error:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_lost_db_connection:
    case isc_conn_lost:
    case isc_att_shutdown:
    case isc_shutdown:
        return true;
    default:
        return false;
    }
}

long lossIn(const ISC_STATUS* v) {
    for (const ISC_STATUS* p = v; p && *p != isc_arg_end;) {
        if (*p == isc_arg_gds && isLoss(long(p[1]))) return long(p[1]);
        p += *p == isc_arg_cstring ? 3 : 2;
    }
    return 0;
}

}  // namespace

void Connection::raise(detail::Status& st, const QString& sql) {
    const long loss = lossIn(st.get()->getErrors());
    if (!loss) st.raise(sql);
    const QString reason = st.text();
    st.get()->init();
    markLost();
    throw ConnectionLost(m_databaseName, reason, loss);
}

void Connection::markLost() {
    if (!m_attachment) return;
    // Every interface of the old attachment goes; what the datasets hold
    // stays with them.
    for (Transaction* t : QList<Transaction*>(m_transactions)) t->connectionLost();
    m_attachment.reset();
    m_lost = true;
    ++m_generation;
    if (onLost) onLost();
}

void Connection::reconnect() {
    if (!m_lost) return;
    QByteArray d = dpb(false);
    detail::Status st;
    QByteArray path = m_databaseName.toUtf8();
    IAttachment* a = provider()->attachDatabase(&st, path.constData(), d.size(),
                                                reinterpret_cast<const unsigned char*>(d.constData()));
    if (st.failed()) {
        const ISC_STATUS* v = st.get()->getErrors();
        const long gds = (v && v[0] == isc_arg_gds) ? long(v[1]) : 0;
        const QString reason = st.text();
        st.get()->init();
        throw ConnectionLost(m_databaseName, reason, gds);
    }
    m_attachment.reset(a);
    m_lost = false;
    ++m_generation;
    if (onReconnected) onReconnected();
}

void Connection::addTransaction(Transaction* t) {
    if (!m_transactions.contains(t)) m_transactions.append(t);
}

void Connection::removeTransaction(Transaction* t) { m_transactions.removeAll(t); }

Connection::Login Connection::login() const {
    if (!m_user.isEmpty()) return {m_user, m_password};
    const Credentials c = credentialsFor(m_databaseName);
    return {c.user, c.password};
}

namespace {

// A server's refusal in German, naming the server; other errors as they are.
[[noreturn]] void raiseAttachError(detail::Status& st, const QString& database, const QString& user) {
    try {
        st.raise();
    } catch (const Error& e) {
        if (!isServerName(database)) throw;
        const QString server = serverOf(database);
        if (e.gdsCode() == isc_login)
            throw Error(QStringLiteral("Der Datenbankserver \"%1\" hat die Anmeldung als \"%2\" abgelehnt: "
                                       "Benutzername oder Passwort sind falsch.")
                            .arg(server, user),
                        e.sql(), e.sqlCode(), e.gdsCode());
        if (e.gdsCode() == isc_network_error)
            throw Error(QStringLiteral("Der Datenbankserver \"%1\" ist nicht erreichbar (%2).")
                            .arg(server, e.message()),
                        e.sql(), e.sqlCode(), e.gdsCode());
        throw;
    }
}

}  // namespace

QByteArray Connection::configFor(bool server) {
    if (server) return QByteArrayLiteral("AuthClient=Srp256,Srp\nWireCrypt=Required\n");
    return QByteArrayLiteral("Providers=Engine12\n");
}

QByteArray Connection::dpb(bool forCreate) const {
    const Login l = login();
    const bool server = isServerName(m_databaseName);
    detail::Status st;
    detail::Builder b(util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0));
    st.check();
    b->insertString(&st, isc_dpb_user_name, l.user.toUtf8().constData());
    // The embedded engine checks no password: none leaves the program.
    if (server) b->insertString(&st, isc_dpb_password, l.password.toUtf8().constData());
    b->insertString(&st, isc_dpb_config, configFor(server).constData());
    if (!m_databaseTriggers) {
        const unsigned char on = 1;
        b->insertBytes(&st, isc_dpb_no_db_triggers, &on, 1);
    }
    b->insertString(&st, isc_dpb_lc_ctype, "UTF8");
    b->insertInt(&st, isc_dpb_sql_dialect, 1);
    if (forCreate) {
        b->insertInt(&st, isc_dpb_set_db_sql_dialect, 1);
        b->insertString(&st, isc_dpb_set_db_charset, "WIN1252");
        b->insertInt(&st, isc_dpb_page_size, 8192);
    }
    st.check();
    return QByteArray(reinterpret_cast<const char*>(b->getBuffer(&st)), int(b->getBufferLength(&st)));
}

void Connection::open() {
    if (m_lost) {
        reconnect();
        return;
    }
    if (m_attachment) return;
    QByteArray d = dpb(false);
    detail::Status st;
    QByteArray path = m_databaseName.toUtf8();
    IAttachment* a = provider()->attachDatabase(&st, path.constData(), d.size(),
                                         reinterpret_cast<const unsigned char*>(d.constData()));
    if (st.failed()) raiseAttachError(st, m_databaseName, login().user);
    m_attachment.reset(a);
}

void Connection::create() {
    if (m_attachment) throw Error(QStringLiteral("Die Verbindung ist bereits geöffnet."));
    QByteArray d = dpb(true);
    detail::Status st;
    QByteArray path = m_databaseName.toUtf8();
    // A database file holds personal data: the engine creates it with the
    // process's umask, which is made the user's only meanwhile.
    const mode_t mask = ::umask(077);
    IAttachment* a = provider()->createDatabase(&st, path.constData(), d.size(),
                                         reinterpret_cast<const unsigned char*>(d.constData()));
    ::umask(mask);
    if (st.failed()) raiseAttachError(st, m_databaseName, login().user);
    m_attachment.reset(a);
}

void Connection::close() {
    // A lost connection has nothing left to end.
    m_lost = false;
    if (!m_attachment) return;
    // Every transaction ends with its default action (commit for the
    // program's transaction), so posted changes are kept.
    QString firstError;
    auto endOne = [&](Transaction* t) {
        try {
            t->endWithDefaultAction();
        } catch (const Error& e) {
            if (firstError.isEmpty()) firstError = e.message();
            try {
                t->rollback();
            } catch (...) {
            }
        }
    };
    for (Transaction* t : QList<Transaction*>(m_transactions))
        if (t != m_defaultTransaction) endOne(t);
    endOne(m_defaultTransaction);
    // Detaches; a detach that fails still does not leave the interface behind.
    m_attachment.reset();
    if (!firstError.isEmpty()) throw Error(firstError);
}

void Connection::executeImmediate(const QString& sql) {
    Transaction t(this);
    Statement s(this, &t);
    s.prepare(sql);
    s.execute();
    t.commit();
}

}  // namespace db
