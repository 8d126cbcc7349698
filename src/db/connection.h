#pragma once
// Connection to one Firebird database in SQL dialect 1.
//
// A plain path opens the file with the embedded engine in this process;
// "host:/path" reaches a Firebird server. The database character set is
// WIN1252, the connection works in UTF8 and the program in QString.
//
// Without a user set here, the login comes from db::credentialsFor(): the
// program's own user for a file, the configured user for a server. A server
// that refuses the login, or cannot be reached, gives a German message naming
// the server.
//
// What a login sends, and where to:
// - a file is opened by the embedded engine only ("Providers=Engine12" in the
//   connection's configuration): should the engine fail to open the file,
//   Firebird would otherwise try its network providers and hand the path and
//   the login to whatever listens on this machine's port 3050. The embedded
//   engine checks no password, so none is sent.
// - a server is logged in to with SRP only and over an encrypted line
//   ("AuthClient=Srp256,Srp", "WireCrypt=Required"): no Legacy_Auth hash of
//   the password, no unencrypted session.
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

#include "db/fbhandle.h"

namespace Firebird {
class IAttachment;
class IMaster;
class IUtil;
class IProvider;
}

namespace db {

class Transaction;
namespace detail {
class Status;
}

class Connection {
public:
    Connection();
    ~Connection();  // closes: every transaction ends with its default action
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setDatabaseName(const QString& name) { m_databaseName = name; }
    QString databaseName() const { return m_databaseName; }
    void setUser(const QString& user) { m_user = user; }
    void setPassword(const QString& password) { m_password = password; }
    // The user and password given with setUser/setPassword (empty: none).
    QString user() const { return m_user; }
    QString password() const { return m_password; }
    // The login open() and create() use (see above); throws db::Error when a
    // server database has none.
    struct Login {
        QString user, password;
    };
    Login login() const;
    // Attach without running the database's ON CONNECT/ON TRANSACTION
    // triggers (for looking into a database that is not trusted yet; only
    // the database's owner or SYSDBA may do that).
    void setDatabaseTriggers(bool run) { m_databaseTriggers = run; }

    // The per-connection configuration open() and create() send for a
    // database on a server or in a file (see above).
    static QByteArray configFor(bool server);

    // Attach. Throws db::Error with the server's text.
    void open();
    // Create a new, empty database file (dialect 1, WIN1252) and stay attached.
    void create();
    // End every transaction with its default action, then detach.
    void close();
    // Attached, or lost and attaching again on the next use (see lost()).
    bool isOpen() const { return bool(m_attachment) || m_lost; }

    // A lost connection (the server stopped or the network went away): the
    // first call that meets the loss lets go of every interface of the old
    // attachment (transactions, cursors, prepared statements) and throws
    // ConnectionLost; work not yet committed is gone on the server, what the
    // datasets hold (rows, edits in progress) stays. The next use of the
    // connection attaches again (reconnect); prepared statements prepare
    // themselves again.
    bool lost() const { return m_lost; }
    void markLost();
    // Attaches again after a loss (nothing when attached). Throws
    // ConnectionLost while the database cannot be reached.
    void reconnect();
    // Counts the attachments: a statement prepared under an older one
    // prepares itself again.
    quint64 generation() const { return m_generation; }
    // Told after a loss was noticed and after the connection attached again.
    std::function<void()> onLost, onReconnected;
    // Internal: raises the status's error; a lost connection is marked and
    // raised as ConnectionLost.
    [[noreturn]] void raise(detail::Status& st, const QString& sql = QString());

    // The connection's default transaction (created with the connection).
    Transaction* defaultTransaction() const { return m_defaultTransaction; }

    // Run one statement in its own short transaction that is committed at once
    // (for DDL of tools and tests).
    void executeImmediate(const QString& sql);

    Firebird::IAttachment* attachment() const { return m_attachment.get(); }

    // How many statements were prepared on this connection so far: which
    // operations reach the server at all (tests and benchmarks read it).
    quint64 statementsPrepared() const { return m_statementsPrepared; }

    // What the datasets of this connection wrote, table by table, so that
    // two datasets over one table see each other's saves. Every written row
    // counts the table's version up by one; a dataset remembers the version
    // it last saw.
    quint64 tableVersion(const QString& table) const;
    // Notes a write of the row with this identity (its key values, or its
    // RDB$DB_KEY) and returns the table's new version.
    quint64 noteRowWritten(const QString& table, const QString& identity);
    // The identities of the rows written after `version`; false when the
    // notes no longer reach back that far (then everything counts as
    // written).
    bool rowsWrittenSince(const QString& table, quint64 version, QSet<QString>* identities) const;

    // Used by Transaction to register/unregister itself.
    void addTransaction(Transaction* t);
    void removeTransaction(Transaction* t);

    static Firebird::IMaster* master();
    static Firebird::IUtil* util();
    static Firebird::IProvider* provider();

private:
    friend class Statement;
    QByteArray dpb(bool forCreate) const;
    quint64 m_statementsPrepared = 0;

    bool m_lost = false;
    quint64 m_generation = 1;
    QString m_databaseName;
    QString m_user;
    QString m_password;
    bool m_databaseTriggers = true;
    detail::AttachmentHandle m_attachment;
    Transaction* m_defaultTransaction = nullptr;
    QList<Transaction*> m_transactions;
    struct TableLog {
        quint64 version = 0;
        std::deque<std::pair<quint64, QString>> rows;  // the latest writes, oldest first
    };
    QHash<QString, TableLog> m_tableLogs;
};

} // namespace db
