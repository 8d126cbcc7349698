#pragma once
// A small database of its own for the engine tests: a keyed master table, a
// detail table and a key-less table.
#include <QTemporaryDir>
#include <memory>

#include "db/connection.h"
#include "db/transaction.h"

struct EngineDb {
    QTemporaryDir dir;
    std::unique_ptr<db::Connection> conn;

    EngineDb() {
        if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
        conn = std::make_unique<db::Connection>();
        conn->setDatabaseName(dir.path() + "/engine.fdb");
        conn->create();
        conn->executeImmediate("create table herr (nr integer not null, name varchar(10), "
                               "betrag float, datum date, primary key (nr))");
        conn->executeImmediate("create table knecht (nr integer not null, herr integer not null, "
                               "text varchar(20), primary key (nr))");
        conn->executeImmediate("create table notiz (notiz varchar(50), zeit date)");
    }
    db::Transaction* tr() { return conn->defaultTransaction(); }
    void exec(const QString& sql) {
        db::Statement s(conn.get(), tr());
        s.prepare(sql);
        s.execute();
    }
    QVariant scalar(const QString& sql) {
        db::Statement s(conn.get(), tr());
        return s.scalar(sql);
    }
};
