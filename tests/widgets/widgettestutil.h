#pragma once
// A small database of its own for the control tests: a customer-like table
// with text, number, date and code columns, and a table of many rows for the
// lazy grid.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>

#include "db/connection.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "db/statement.h"
#include "db/transaction.h"

struct WidgetDb {
    QTemporaryDir dir;
    std::unique_ptr<db::Connection> conn;

    WidgetDb() {
        if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
        QDir().mkpath(QString::fromLocal8Bit(qgetenv("FIREBIRD_LOCK")));
        conn = std::make_unique<db::Connection>();
        conn->setDatabaseName(dir.path() + "/widgets.fdb");
        conn->create();
        conn->executeImmediate(
            "create table kunde (kndnr integer not null, name varchar(20), anrede varchar(10), "
            "status char(1), impfung varchar(1), betrag float, geboren date, "
            "kommentar varchar(500), primary key (kndnr))");
        conn->executeImmediate("create table zeile (nr integer not null, text varchar(20), primary key (nr))");
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
    // Three customers: 1 Müller, 2 Schmidt, 3 Weber.
    void fillKunden() {
        exec("insert into kunde (kndnr, name, anrede, status, impfung, betrag, geboren) "
             "values (1, \"Müller\", \"Frau\", \"A\", \"J\", 12.5, \"05.12.2005\")");
        exec("insert into kunde (kndnr, name, anrede, status, impfung) "
             "values (2, \"Schmidt\", \"Herr\", \"B\", \"N\")");
        exec("insert into kunde (kndnr, name, anrede, status, impfung) "
             "values (3, \"Weber\", \"Familie\", \"S\", \"n\")");
    }
    void fillZeilen(int n) {
        db::Statement s(conn.get(), tr());
        s.prepare("insert into zeile (nr, text) values (?, ?)");
        for (int i = 1; i <= n; ++i) {
            s.setParam(0, i);
            s.setParam(1, QString("Zeile %1").arg(i));
            s.execute();
        }
    }
};

// A customer table with its data source, ordered by number.
struct KundeSet {
    db::Table table;
    db::DataSource ds;
    explicit KundeSet(WidgetDb& d) : table(d.conn.get(), d.tr(), "KUNDE") {
        table.setObjectName("ibt_kunde");
        table.setIndexFieldNames("KNDNR");
        ds.setDataset(&table);
    }
};

// Shows a top-level widget and makes it the active window, so that focus
// changes deliver focus events offscreen.
inline bool showActive(QWidget* w) {
    w->show();
    QApplication::setActiveWindow(w);
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}
