#pragma once
// Plain SQL on a database, each call in its own committed transaction, for
// preparing and reading back what the program did.
#include <QString>
#include <QVariant>

#include "db/connection.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"

namespace sqlutil {

inline QVariant value(db::Connection& c, const QString& text) {
    db::Transaction t(&c);
    db::Statement s(&c, &t);
    QVariant v = s.scalar(text);
    s.close();
    t.commit();
    return v;
}

inline void exec(db::Connection& c, const QString& text) { c.executeImmediate(text); }

// Whether the statement prepares and runs (a column or table exists).
inline bool works(db::Connection& c, const QString& text) {
    try {
        value(c, text);
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

}  // namespace sqlutil
