// A transaction with separate reads: datasets read in a read-only
// read-committed transaction that pins nothing, writes run in a short write
// transaction, and its commit keeps every dataset with its rows and position.
#include <QTest>

#include "db/dataset.h"
#include "db/statement.h"
#include "dbtestutil.h"
#include "testregistry.h"

using namespace db;

namespace {

// The database header as MON$DATABASE shows it.
struct Kopf {
    qint64 next = 0, oldestActive = 0, oldestSnapshot = 0;
};

Kopf kopf(const QString& path) {
    Connection c;
    c.setDatabaseName(path);
    c.open();
    Transaction t(&c, Transaction::Isolation::ReadCommitted);
    Statement s(&c, &t);
    s.prepare("select mon$next_transaction, mon$oldest_active, mon$oldest_snapshot from mon$database");
    s.open();
    Kopf k;
    if (s.fetch()) k = {s.value(0).toLongLong(), s.value(1).toLongLong(), s.value(2).toLongLong()};
    s.close();
    t.commit();
    return k;
}

QVariant vonAussen(const QString& path, const QString& sql) {
    Connection c;
    c.setDatabaseName(path);
    c.open();
    Transaction t(&c, Transaction::Isolation::ReadCommitted);
    Statement s(&c, &t);
    const QVariant v = s.scalar(sql);
    t.commit();
    return v;
}

void zeilen(EngineDb& d, int n) {
    Transaction t(d.conn.get());
    Statement ins(d.conn.get(), &t);
    ins.prepare("insert into herr (nr, name) values (?, ?)");
    for (int i = 1; i <= n; ++i) {
        ins.setParam(0, i);
        ins.setParam(1, QString("n%1").arg(i));
        ins.execute();
    }
    ins.close();
    t.commit();
}

}  // namespace

class SeparateReadsTest : public QObject {
    Q_OBJECT
private slots:
    // Open datasets and many saves, each committed: the header's oldest
    // active and oldest snapshot follow the next transaction, and what the
    // datasets read in between sees what another connection committed.
    void openDatasetsPinNothing() {
        EngineDb d;
        const QString path = d.conn->databaseName();
        zeilen(d, 500);
        d.tr()->setSeparateReads(true);
        int writes = 0;
        d.tr()->onWrite = [&] { ++writes; };
        Table t(d.conn.get(), d.tr(), "HERR");
        t.setIndexFieldNames("NR");
        t.open();
        QVERIFY(t.canFetchMore());
        QVERIFY(!d.tr()->inTransaction());
        for (int i = 0; i < 200; ++i) {
            t.edit();
            t.fieldByName("NAME")->setAsString(QString("s%1").arg(i));
            t.post();
            QVERIFY(d.tr()->inTransaction());
            d.tr()->commitRetaining();
            QVERIFY(!d.tr()->inTransaction());
        }
        // The start of each write transaction and each post.
        QCOMPARE(writes, 400);
        const Kopf k = kopf(path);
        QVERIFY2(k.next - k.oldestSnapshot < 10, qPrintable(QString("%1 %2").arg(k.next).arg(k.oldestSnapshot)));
        QVERIFY2(k.next - k.oldestActive < 10, qPrintable(QString("%1 %2").arg(k.next).arg(k.oldestActive)));
        QCOMPARE(vonAussen(path, "select name from herr where nr = 1").toString(), QString("s199"));
        // The cursor opened before all that is still the same.
        QCOMPARE(t.recNo(), 0);
        t.last();
        QCOMPARE(t.recordCount(), 500);
        // Committed elsewhere: seen by the next read without any commit here.
        {
            Connection c;
            c.setDatabaseName(path);
            c.open();
            c.executeImmediate("insert into herr (nr, name) values (501, 'fremd')");
        }
        QCOMPARE(d.scalar("select name from herr where nr = 501").toString(), QString("fremd"));
        t.refresh();
        t.last();
        QCOMPARE(t.recordCount(), 501);
    }

    // While written work waits for its commit, reads see it (the next
    // number, a re-read list); nobody else does. Its commit keeps every
    // dataset, also one whose cursor ran in the write transaction, with its
    // rows and its current row; a rollback of it keeps the datasets too.
    void readsFollowTheWriteTransaction_data() {
        QTest::addColumn<QString>("tabelle");
        QTest::addColumn<bool>("abfrage");
        QTest::newRow("keyed table") << "HERR" << false;
        QTest::newRow("query") << "HERR" << true;
        QTest::newRow("key-less table") << "NOTIZ" << false;
    }
    void readsFollowTheWriteTransaction() {
        QFETCH(QString, tabelle);
        QFETCH(bool, abfrage);
        EngineDb d;
        const QString path = d.conn->databaseName();
        zeilen(d, 300);
        for (int i = 1; i <= 300; ++i)
            d.conn->executeImmediate(QString("insert into notiz (notiz) values ('n%1')").arg(i, 3, 10, QChar('0')));
        d.tr()->setSeparateReads(true);
        const QString nr = tabelle == "HERR" ? "NR" : "NOTIZ";
        d.exec(tabelle == "HERR" ? "insert into herr (nr, name) values (301, 'neu')"
                                 : "insert into notiz (notiz) values ('n301')");
        QVERIFY(d.tr()->inTransaction());
        QCOMPARE(d.scalar("select count(*) from " + tabelle).toInt(), 301);
        QCOMPARE(vonAussen(path, "select count(*) from " + tabelle).toInt(), 300);

        std::unique_ptr<Dataset> ds;
        if (abfrage) {
            auto* q = new Query(d.conn.get(), d.tr());
            q->setSql({"select * from " + tabelle + " order by " + nr});
            ds.reset(q);
        } else {
            auto* t = new Table(d.conn.get(), d.tr(), tabelle);
            t->setIndexFieldNames(nr);
            ds.reset(t);
        }
        ds->open();
        QVERIFY(ds->canFetchMore());
        ds->moveBy(20);
        const QVariant current = ds->fieldByName(nr)->value();
        d.tr()->commitRetaining();
        QVERIFY(!d.tr()->inTransaction());
        QCOMPARE(vonAussen(path, "select count(*) from " + tabelle).toInt(), 301);
        QVERIFY(ds->isActive());
        QCOMPARE(ds->recNo(), 20);
        QCOMPARE(ds->fieldByName(nr)->value(), current);
        ds->last();
        QCOMPARE(ds->recordCount(), 301);
        int seen = 0;
        for (ds->first(); !ds->eof(); ds->next()) ++seen;
        QCOMPARE(seen, 301);

        // Rolled back: the work is gone, the dataset stays open.
        ds->first();
        d.exec("delete from " + tabelle);
        QCOMPARE(d.scalar("select count(*) from " + tabelle).toInt(), 0);
        d.tr()->rollbackRetaining();
        QCOMPARE(d.scalar("select count(*) from " + tabelle).toInt(), 301);
        QVERIFY(ds->isActive());
        QCOMPARE(ds->recordCount(), 301);
    }

    // A full commit or rollback still closes every dataset, as without
    // separate reads; closing the connection commits the written work.
    void fullCommitClosesAndCloseCommits() {
        EngineDb d;
        const QString path = d.conn->databaseName();
        d.tr()->setSeparateReads(true);
        Table t(d.conn.get(), d.tr(), "HERR");
        t.open();
        d.tr()->commit();
        QVERIFY(!t.isActive());
        t.open();
        t.append();
        t.fieldByName("NR")->setAsInteger(7);
        t.post();
        d.tr()->rollback();
        QVERIFY(!t.isActive());
        QCOMPARE(d.scalar("select count(*) from herr").toInt(), 0);
        t.open();
        t.append();
        t.fieldByName("NR")->setAsInteger(8);
        t.post();
        d.conn->close();
        QCOMPARE(vonAussen(path, "select count(*) from herr").toInt(), 1);
    }
};

KYN_TEST(SeparateReadsTest)
#include "separatereads_test.moc"
