#pragma once
// Error types of the database layer.
//
// Error        a database error; carries the server's message text and the
//              statement that failed.
// ConnectionLost the connection to the database server was lost; the
//              message is German and the connection attaches again on its
//              next use.
// ConvertError a value that cannot be converted ("'abc' ist kein gültiger
//              Integerwert"); the field keeps its old value.
// Abort        the silent abort: leaves an event handler without any message
//              (the application's error box ignores it).
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace db {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& message, const QString& sql = QString(), int sqlCode = 0,
                   long gdsCode = 0);
    QString message() const { return m_message; }
    QString sql() const { return m_sql; }
    int sqlCode() const { return m_sqlCode; }
    long gdsCode() const { return m_gdsCode; }

private:
    QString m_message;
    QString m_sql;
    int m_sqlCode;
    long m_gdsCode;
};

// A save that found its row changed meanwhile by someone else (another
// workstation): the row was not written.
class ChangedElsewhere : public Error {
public:
    explicit ChangedElsewhere(const QString& message, const QStringList& columns = QStringList())
        : Error(message), m_columns(columns) {}
    // The columns both saves changed.
    QStringList columns() const { return m_columns; }

private:
    QStringList m_columns;
};

// The connection to the database was lost (the server stopped, the network
// went away). Nothing was written by the failing operation; the connection
// attaches again on its next use.
class ConnectionLost : public Error {
public:
    // `reason`: the client library's text; `database`: the database name.
    ConnectionLost(const QString& database, const QString& reason, long gdsCode);
    // The German text for a lost connection to `database`.
    static QString text(const QString& database, const QString& reason);
};

class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Abort"; }
};

} // namespace db
