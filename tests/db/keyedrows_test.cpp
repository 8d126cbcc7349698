// Jumping to the last row of a table reads the keys of the rows not fetched
// yet and only the last page whole; the other rows are read by page when
// something reads them. Everything a full fetch gives must stay the same:
// row count, row numbers, order, edits, details, refresh, filters.
#include <QTest>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/error.h"
#include "db/statement.h"
#include "dbtestutil.h"
#include "testregistry.h"

using namespace db;

namespace {

constexpr int kRows = 300;

// HERR with rows 1..300 (names in an order of their own) and two details
// each for a few of them.
void fill(EngineDb& d) {
    Statement ins(d.conn.get(), d.tr());
    ins.prepare("insert into herr (nr, name, betrag) values (?, ?, ?)");
    for (int i = 1; i <= kRows; ++i) {
        ins.setParam(0, i);
        ins.setParam(1, QString("n%1").arg((i * 37) % 1000, 4, 10, QChar('0')));
        ins.setParam(2, i * 0.5);
        ins.execute();
    }
    Statement det(d.conn.get(), d.tr());
    det.prepare("insert into knecht (nr, herr, text) values (?, ?, ?)");
    int nr = 1;
    for (int herr : {3, 150, 299, 300})
        for (int k = 0; k < 2; ++k) {
            det.setParams({nr++, herr, QString("k%1_%2").arg(herr).arg(k)});
            det.execute();
        }
    d.tr()->commit();
}

// The keys of a full read, in the table's order.
QVector<int> fullRead(EngineDb& d, const QString& order, const QString& filter = {}) {
    Table t(d.conn.get(), d.tr(), "HERR");
    t.setIndexFieldNames(order);
    if (!filter.isEmpty()) {
        t.setFilter(filter);
        t.setFiltered(true);
    }
    t.open();
    t.fetchAll();
    QVector<int> out;
    const int nr = t.fieldByName("NR")->index();
    for (int r = 0; r < t.recordCount(); ++r) out << t.valueAt(r, nr).toInt();
    return out;
}

int nrOf(Dataset& t) { return t.fieldByName("NR")->asInteger(); }

}  // namespace

class KeyedRowsTest : public QObject {
    Q_OBJECT
private slots:
    void orders_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("filter");
        QTest::newRow("natural order") << QString() << QString();
        QTest::newRow("by key") << QString("NR") << QString();
        QTest::newRow("by name") << QString("NAME") << QString();
        QTest::newRow("by name, filtered") << QString("NAME") << QString("NR > 40 and NR <= 260");
    }
    // last() gives the last row and the row count of a full read, reading
    // the keys and one page; walking back from the end and forward from the
    // start gives exactly the rows of a full read; any row asked for by
    // number shows its own values (calculated fields too).
    void orders() {
        QFETCH(QString, order);
        QFETCH(QString, filter);
        EngineDb d;
        fill(d);
        const QVector<int> full = fullRead(d, order, filter);
        QVERIFY(full.size() > 100);

        Table t(d.conn.get(), d.tr(), "HERR");
        t.setIndexFieldNames(order);
        t.setFetchPacket(20);
        if (!filter.isEmpty()) {
            t.setFilter(filter);
            t.setFiltered(true);
        }
        t.addCalculatedField("DOPPELT", FieldType::Float);
        t.onCalcFields = [](Dataset* ds) {
            ds->fieldByName("DOPPELT")->setAsFloat(ds->fieldByName("BETRAG")->asFloat() * 2);
        };
        t.open();
        t.next();
        QCOMPARE(t.recordCount(), 20);
        const int selects = t.selectCount();
        t.last();
        QCOMPARE(t.selectCount(), selects + 2);  // the keys, the last page
        QCOMPARE(t.recordCount(), full.size());
        QCOMPARE(t.recNo(), full.size() - 1);
        QVERIFY(t.eof());
        QVERIFY(!t.canFetchMore());
        QCOMPARE(nrOf(t), full.last());
        QCOMPARE(t.fetchMore(20), 0);

        // A row in the middle, not read yet, by number.
        const int mid = full.size() / 2;
        const int nr = t.fieldByName("NR")->index(), name = t.fieldByName("NAME")->index(),
                  doppelt = t.fieldByName("DOPPELT")->index();
        QCOMPARE(t.valueAt(mid, nr).toInt(), full[mid]);
        QCOMPARE(t.valueAt(mid, name).toString(),
                 QString("n%1").arg((full[mid] * 37) % 1000, 4, 10, QChar('0')));
        QCOMPARE(t.valueAt(mid, doppelt).toDouble(), full[mid] * 1.0);

        QVector<int> back;
        for (t.last(); !t.bof(); t.prior()) back.prepend(nrOf(t));
        QCOMPARE(back, full);
        QVector<int> forward;
        for (t.first(); !t.eof(); t.next()) {
            QCOMPARE(t.fieldByName("DOPPELT")->asFloat(), nrOf(t) * 1.0);
            forward << nrOf(t);
        }
        QCOMPARE(forward, full);
        QCOMPARE(t.recordCount(), full.size());

        // Row numbers are bookmarks; locate and lookup see every row.
        t.setRecNo(mid + 7);
        QCOMPARE(nrOf(t), full[mid + 7]);
        t.first();
        QVERIFY(t.locate("NR", full[full.size() - 3]));
        QCOMPARE(t.recNo(), full.size() - 3);
        QCOMPARE(t.lookup("NR", full[mid + 1], "BETRAG").toDouble(), full[mid + 1] * 0.5);
        QVERIFY(!t.locate("NR", 5000));
        // A search by a field that is no key reads the rows it passes.
        Table u(d.conn.get(), d.tr(), "HERR");
        u.setIndexFieldNames(order);
        u.setFetchPacket(20);
        if (!filter.isEmpty()) {
            u.setFilter(filter);
            u.setFiltered(true);
        }
        u.open();
        u.last();
        const int far = full.size() - 30;
        const QString farName = QString("n%1").arg((full[far] * 37) % 1000, 4, 10, QChar('0'));
        QVERIFY(u.locate("NAME", farName));
        QCOMPARE(u.recNo(), far);
        QCOMPARE(nrOf(u), full[far]);
        QCOMPARE(u.lookup("NAME", farName, "NR").toInt(), full[far]);
        QVERIFY(!u.locate("NAME", "gibt es nicht"));
        QCOMPARE(u.recordCount(), full.size());
    }

    // A row not read yet is edited, deleted, or gets a row appended after
    // the last one; the server and the dataset agree afterwards.
    void editDeleteAppendInTheRest() {
        EngineDb d;
        fill(d);
        const QVector<int> full = fullRead(d, "NR");
        Table t(d.conn.get(), d.tr(), "HERR");
        t.setIndexFieldNames("NR");
        t.setFetchPacket(20);
        t.open();
        t.last();
        t.setRecNo(150);
        QCOMPARE(nrOf(t), full[150]);
        t.edit();
        t.fieldByName("NAME")->setAsString("geändert");
        t.post();
        QCOMPARE(d.scalar(QString("select name from herr where nr = %1").arg(full[150])).toString(),
                 QString("geändert"));
        QCOMPARE(t.recNo(), 150);

        t.setRecNo(200);
        t.deleteRecord();
        QCOMPARE(t.recordCount(), kRows - 1);
        QCOMPARE(t.recNo(), 200);
        QCOMPARE(nrOf(t), full[201]);
        QCOMPARE(d.scalar("select count(*) from herr").toInt(), kRows - 1);

        t.append();
        t.fieldByName("NR")->setAsInteger(1000);
        t.post();
        QCOMPARE(t.recordCount(), kRows);
        QCOMPARE(t.recNo(), kRows - 1);
        QVector<int> keys;
        for (t.first(); !t.eof(); t.next()) keys << nrOf(t);
        QVector<int> expected = full;
        expected.remove(200);
        expected << 1000;
        QCOMPARE(keys, expected);
        t.setRecNo(150);
        QCOMPARE(t.fieldByName("NAME")->asString(), QString("geändert"));
    }

    // Rows another workstation deleted after their keys were read drop out
    // when their page is read: no gap, no empty row, the count follows.
    void rowsDeletedElsewhereDropOut() {
        EngineDb d;
        fill(d);
        d.tr()->setIsolation(Transaction::Isolation::ReadCommitted);
        const QVector<int> full = fullRead(d, "NR");
        Table t(d.conn.get(), d.tr(), "HERR");
        t.setIndexFieldNames("NR");
        t.setFetchPacket(20);
        t.open();
        t.last();

        Connection other;
        other.setDatabaseName(d.dir.path() + "/engine.fdb");
        other.open();
        {
            Statement del(&other, other.defaultTransaction());
            del.execute(QString("delete from herr where nr in (%1, %2, %3)").arg(full[100]).arg(full[101]).arg(full[200]));
            other.defaultTransaction()->commit();
        }
        QVector<int> expected = full;
        expected.remove(200);
        expected.remove(100, 2);

        // Asked for by number: the next row takes the place.
        t.setRecNo(100);
        QCOMPARE(nrOf(t), full[102]);
        QCOMPARE(t.recNo(), 100);
        QCOMPARE(t.valueAt(100, t.fieldByName("NR")->index()).toInt(), full[102]);
        // Walking backwards over the deleted row of the tail.
        QVector<int> back;
        for (t.last(); !t.bof(); t.prior()) back.prepend(nrOf(t));
        QCOMPARE(back, expected);
        QCOMPARE(t.recordCount(), expected.size());
        // Edited elsewhere meanwhile: a row not read yet is read as stored.
        Table u(d.conn.get(), d.tr(), "HERR");
        u.setIndexFieldNames("NR");
        u.setFetchPacket(5);
        u.open();
        u.last();
        {
            Statement upd(&other, other.defaultTransaction());
            upd.execute(QString("update herr set name = \"dort\" where nr = %1").arg(full[10]));
            other.defaultTransaction()->commit();
        }
        QCOMPARE(u.valueAt(10, u.fieldByName("NAME")->index()).toString(), QString("dort"));
    }

    // A row among those already fetched is deleted by another workstation
    // before last(): the keys no longer line up with the fetched rows, and
    // no row after them is lost or shown twice.
    void fetchedRowDeletedElsewhereBeforeLast() {
        EngineDb d;
        fill(d);
        d.tr()->setIsolation(Transaction::Isolation::ReadCommitted);
        const QVector<int> full = fullRead(d, "NR");
        Table t(d.conn.get(), d.tr(), "HERR");
        t.setIndexFieldNames("NR");
        t.setFetchPacket(20);
        t.open();
        QCOMPARE(t.recordCount(), 20);
        Connection other;
        other.setDatabaseName(d.dir.path() + "/engine.fdb");
        other.open();
        other.executeImmediate(QString("delete from herr where nr = %1").arg(full[5]));
        t.last();
        QVector<int> seen;
        for (t.first(); !t.eof(); t.next()) seen << nrOf(t);
        // The deleted row may still show where it was read; every other row
        // is there once, in order.
        seen.removeAll(full[5]);
        QVector<int> expected = full;
        expected.remove(5);
        QCOMPARE(seen, expected);
    }

    // The details follow the current row wherever it came from; refresh
    // keeps a row of the tail current without reading every row.
    void detailsAndRefresh() {
        EngineDb d;
        fill(d);
        const QVector<int> full = fullRead(d, "NR");
        Table t(d.conn.get(), d.tr(), "HERR");
        t.setIndexFieldNames("NR");
        t.setFetchPacket(20);
        DataSource ds;
        ds.setDataset(&t);
        Table k(d.conn.get(), d.tr(), "KNECHT");
        k.setMasterSource(&ds, "NR", "HERR");
        k.setIndexFieldNames("NR");
        t.open();
        k.open();
        QCOMPARE(k.recordCount(), 0);
        t.last();
        QCOMPARE(nrOf(t), 300);
        QCOMPARE(k.recordCount(), 2);
        QCOMPARE(k.fieldByName("TEXT")->asString(), QString("k300_0"));
        t.prior();
        QCOMPARE(k.recordCount(), 2);
        QCOMPARE(k.fieldByName("TEXT")->asString(), QString("k299_0"));
        t.setRecNo(149);
        QCOMPARE(nrOf(t), 150);
        QCOMPARE(k.recordCount(), 2);
        k.append();
        k.fieldByName("NR")->setAsInteger(100);
        k.fieldByName("TEXT")->setAsString("neu");
        k.post();
        QCOMPARE(d.scalar("select herr from knecht where nr = 100").toInt(), 150);

        t.setRecNo(250);
        const int selects = t.selectCount();
        t.refresh();
        QCOMPARE(nrOf(t), full[250]);
        QCOMPARE(t.recNo(), 250);
        QCOMPARE(t.recordCount(), kRows);
        QVERIFY(t.selectCount() <= selects + 3);  // the cursor, the keys, one page
    }

    // A key of two columns, and a detail table (its master's key among the
    // parameters of both selects).
    void twoColumnKeyAndDetail() {
        EngineDb d;
        d.conn->executeImmediate("create table paar (a integer not null, b integer not null, "
                                 "text varchar(10), primary key (a, b))");
        {
            Statement ins(d.conn.get(), d.tr());
            ins.prepare("insert into paar (a, b, text) values (?, ?, ?)");
            for (int a = 1; a <= 3; ++a)
                for (int b = 1; b <= 100; ++b) ins.execute(ins.sql(), {a, b, QString("t%1_%2").arg(a).arg(b)});
            d.tr()->commit();
        }
        fill(d);
        Table p(d.conn.get(), d.tr(), "PAAR");
        p.setIndexFieldNames("B;A");
        p.setFetchPacket(10);
        p.open();
        const int selects = p.selectCount();
        p.last();
        QCOMPARE(p.selectCount(), selects + 2);
        QCOMPARE(p.recordCount(), 300);
        QCOMPARE(p.fieldByName("TEXT")->asString(), QString("t3_100"));
        QStringList walked;
        for (p.last(); !p.bof(); p.prior()) walked.prepend(p.fieldByName("TEXT")->asString());
        QCOMPARE(walked.size(), 300);
        for (int i = 0; i < 300; ++i) QCOMPARE(walked[i], QString("t%1_%2").arg(i % 3 + 1).arg(i / 3 + 1));
        QVERIFY(p.locate("A;B", QVariantList{2, 77}));
        QCOMPARE(p.recNo(), 76 * 3 + 1);

        Table t(d.conn.get(), d.tr(), "HERR");
        t.setIndexFieldNames("NR");
        DataSource ds;
        ds.setDataset(&t);
        Table k(d.conn.get(), d.tr(), "KNECHT");
        k.setMasterSource(&ds, "NR", "HERR");
        k.setIndexFieldNames("NR");
        k.setFetchPacket(1);
        t.open();
        k.open();
        QVERIFY(t.locate("NR", 3));
        QCOMPARE(k.recordCount(), 1);
        const int kSelects = k.selectCount();
        k.last();
        QCOMPARE(k.selectCount(), kSelects + 2);
        QCOMPARE(k.recordCount(), 2);
        QCOMPARE(k.fieldByName("TEXT")->asString(), QString("k3_1"));
        k.prior();
        QCOMPARE(k.fieldByName("TEXT")->asString(), QString("k3_0"));
    }
};

KYN_TEST(KeyedRowsTest)
#include "keyedrows_test.moc"
