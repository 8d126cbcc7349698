// Two connections to one database, as two workstations on one server have:
// a save never overwrites what the other saved meanwhile without a word.
#include <QTest>

#include "db/dataset.h"
#include "db/error.h"
#include "db/statement.h"
#include "dbtestutil.h"
#include "testregistry.h"

using namespace db;

class ConflictTest : public QObject {
    Q_OBJECT
private slots:
    void changedElsewhere() {
        EngineDb d;
        d.exec("insert into herr values (1, \"Alt\", 1.5, \"01.01.2020\")");
        d.tr()->commit();
        Connection other;
        other.setDatabaseName(d.dir.path() + "/engine.fdb");
        other.open();
        Transaction* ta = d.tr();
        Transaction* tb = other.defaultTransaction();
        ta->setIsolation(Transaction::Isolation::ReadCommitted);
        tb->setIsolation(Transaction::Isolation::ReadCommitted);
        Table a(d.conn.get(), ta, "HERR"), b(&other, tb, "HERR");
        a.open();
        b.open();
        auto save = [](Table& t, const char* field, const QVariant& v) {
            t.edit();
            t.fieldByName(field)->setValue(v);
            t.post();
            t.transaction()->commitRetaining();
        };
        auto stored = [&](const char* column) {
            Statement s(d.conn.get(), ta);
            const QVariant v = s.scalar(QString("select %1 from herr where nr = 1").arg(column));
            s.close();
            return v;
        };

        // The same column: the second save is refused with the message, the
        // row is read again and the user's value is still in the edit.
        save(a, "NAME", "Erster");
        b.edit();
        b.fieldByName("NAME")->setAsString("Zweiter");
        try {
            b.post();
            QFAIL("overwritten without a word");
        } catch (const ChangedElsewhere& e) {
            QVERIFY2(e.message().contains("an einem anderen Arbeitsplatz geändert"), qPrintable(e.message()));
            QCOMPARE(e.columns(), QStringList{"NAME"});
        }
        QCOMPARE(stored("name").toString(), QString("Erster"));
        QCOMPARE(b.state(), DatasetState::Edit);
        QCOMPARE(b.fieldByName("NAME")->asString(), QString("Zweiter"));
        // Saving again takes the user's change.
        b.post();
        tb->commitRetaining();
        QCOMPARE(stored("name").toString(), QString("Zweiter"));

        // Different columns: both are kept.
        save(a, "DATUM", QDateTime(QDate(2021, 2, 3), QTime(0, 0)));
        save(b, "BETRAG", 9.5);
        QCOMPARE(stored("datum").toDateTime().date(), QDate(2021, 2, 3));
        QCOMPARE(stored("betrag").toDouble(), 9.5);

        // Deleted on the other side: the change cannot be saved.
        a.refresh();
        a.deleteRecord();
        ta->commitRetaining();
        b.edit();
        b.fieldByName("NAME")->setAsString("Dritter");
        try {
            b.post();
            QFAIL("saved a deleted row");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains("gelöscht"), qPrintable(e.message()));
        }
        QCOMPARE(stored("count(*)").toInt(), 0);
        b.cancel();
    }
};

KYN_TEST(ConflictTest)
#include "conflict_test.moc"
