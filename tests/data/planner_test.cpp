// The planner data module: settings from "terminplaner.Ini" with their
// defaults, the standard person, later course dates seen, and a
// failing open that is reported while the start goes on.
#include <QDir>
#include <QFile>
#include <QTest>

#include "data/datamodultp.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "platform/envoverride.h"
#include "platform/scripteddialogs.h"
#include "startuptestutil.h"
#include "testenv.h"
#include "testregistry.h"

using namespace db;

namespace {

void run(Tdm& m, const QString& text) {
    Statement s(m.idb.get(), m.ibt);
    s.prepare(text);
    s.execute();
}

void writeIni(const QString& dir, const QByteArray& text) {
    QDir().mkpath(dir);
    QFile f(dir + "/terminplaner.Ini");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void addTrainers(Tdm& m) {
    run(m, "insert into trainer (trainernr, name, kurzzeichen) values (1, \"Anna\", \"AN\")");
    run(m, "insert into trainer (trainernr, name, kurzzeichen) values (2, \"Bernd\", \"BE\")");
    run(m, "insert into trainer (trainernr, name, kurzzeichen) values (3, \"bernd\", \"be\")");
    m.ibt->commit();
}

}  // namespace

class PlannerModuleTest : public QObject {
    Q_OBJECT
private slots:
    void withoutIniTheFirstTrainerIsCurrent() {
        TestEnv env;
        env.createDatabase();
        EnvOverride config("KYNOVIA_CONFIG", (env.home() + "/config").toLocal8Bit());
        terminplaner_einstellungen = TerminplanerEinstellungen{7, 7, 7, 7, 7, 7, "x"};
        Tdm m;
        m.connectTo(env.databasePath());
        addTrainers(m);
        run(m, "insert into tp_termin (personnr, von, bis, beschreibung) "
               "values (1, \"05.12.2005 09:30\", \"05.12.2005 10:00\", \"Welpen\")");
        m.ibt->commit();
        platform::ScopedScriptedDialogs d;
        Tdmtp tp(m);
        tp.DataModuleCreate();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.count(), 0);
        const TerminplanerEinstellungen& e = terminplaner_einstellungen;
        QCOMPARE(e.bildschirm_von, 0);
        QCOMPARE(e.arbeitszeit_bis, 0);
        QCOMPARE(e.standardperson, QString());
        QVERIFY(tp.ibt_person->isActive());
        QVERIFY(tp.ibt_termin->isActive());
        QVERIFY(tp.ibt_terminedit->isActive());
        QCOMPARE(tp.ibt_person->fieldByName("TRAINERNR")->asInteger(), 1);
        // Only these three fields; the name as the planner sees it.
        QCOMPARE(tp.ibt_person->fieldCount(), 3);
        QVERIFY(tp.ibt_person->fieldByName("TRAINERNR")->required());
        QVERIFY(tp.ibt_person->fieldByName("NAME")->required());
        QCOMPARE(tp.ibt_person->fieldByName("NAME")->size(), 50);
        // The appointments follow the person.
        QCOMPARE(tp.ibt_termin->recordCount(), 1);
        QCOMPARE(tp.ibt_termin->fieldByName("VON")->displayText(), QString("05.12.2005 09:30"));
        QCOMPARE(tp.ibt_terminedit->recordCount(), 1);
        tp.ibt_person->next();
        QVERIFY(tp.ibt_termin->isEmpty());
        QVERIFY(tp.ibt_terminedit->isEmpty());
        // Both transactions run on dm's connection, not on dm's transaction,
        // and the open datasets keep no write transaction running (they read
        // in a pre-committed read-only one).
        QCOMPARE(tp.ibt_default->connection(), m.idb.get());
        QVERIFY(!tp.ibt_default->inTransaction());
        QVERIFY(!tp.ibt_anzeige->inTransaction());
        QCOMPARE(tp.ibt_anzeige->defaultAction(), Transaction::DefaultAction::CommitRetaining);
        QCOMPARE(tp.ibq->transaction(), tp.ibt_default.get());
    }

    void standardPersonFromTheIni_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("current");
        QTest::newRow("exact name") << QByteArray("[zeiten]\r\nbildschirm_von=7\r\narbeitszeit_bis=18\r\n"
                                                  "[standardperson]\r\nname=Bernd\r\n")
                                    << 2;
        QTest::newRow("case counts") << QByteArray("[standardperson]\nname=bernd\n") << 3;
        QTest::newRow("no such trainer") << QByteArray("[standardperson]\nname=Carla\n") << 1;
        QTest::newRow("part of a name") << QByteArray("[standardperson]\nname=Ber\n") << 1;
    }
    void standardPersonFromTheIni() {
        QFETCH(QByteArray, ini);
        QFETCH(int, current);
        TestEnv env;
        env.createDatabase();
        EnvOverride config("KYNOVIA_CONFIG", (env.home() + "/config").toLocal8Bit());
        writeIni(env.home() + "/config", ini);
        Tdm m;
        m.connectTo(env.databasePath());
        addTrainers(m);
        platform::ScopedScriptedDialogs d;
        Tdmtp tp(m);
        tp.DataModuleCreate();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(tp.ibt_person->fieldByName("TRAINERNR")->asInteger(), current);
        if (ini.contains("bildschirm_von")) {
            QCOMPARE(terminplaner_einstellungen.bildschirm_von, 7);
            QCOMPARE(terminplaner_einstellungen.arbeitszeit_bis, 18);
            QCOMPARE(terminplaner_einstellungen.ausdruck_von, 0);
            QCOMPARE(terminplaner_einstellungen.standardperson, QString("Bernd"));
        }
    }

    // The module holds no snapshot for the whole run: a course date added
    // and committed later is seen by the next read.
    void laterDatesAreSeen() {
        TestEnv env;
        env.createDatabase();
        EnvOverride config("KYNOVIA_CONFIG", (env.home() + "/config").toLocal8Bit());
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into kurse (kursnr, kursname) values (1, \"K\")");
        run(m, "insert into kurstermine (kursnr, datum) values (1, \"05.12.2005\")");
        m.ibt->commit();
        Tdmtp tp(m);
        tp.DataModuleCreate();
        run(m, "insert into kurstermine (kursnr, datum) values (1, \"06.12.2005\")");
        m.ibt->commitRetaining();
        tp.ibq->close();
        tp.ibq->setSql({"select datum from kurstermine"});
        tp.ibq->open();
        tp.ibq->last();
        QCOMPARE(tp.ibq->recordCount(), 2);
    }

    void missingTableShownAndStartGoesOn() {
        TestEnv env;
        env.createDatabase();
        EnvOverride config("KYNOVIA_CONFIG", (env.home() + "/config").toLocal8Bit());
        {
            auto c = env.connect();
            sqlutil::exec(*c, "drop table tp_termin");
        }
        Tdm m;
        m.connectTo(env.databasePath());
        platform::ScopedScriptedDialogs d;
        d.expectError();
        Tdmtp tp(m);
        tp.DataModuleCreate();
        KYN_VERIFY_DIALOGS(d);
        QVERIFY2(d.lastText().contains("TP_TERMIN", Qt::CaseInsensitive), qPrintable(d.lastText()));
        QVERIFY(tp.ibt_person->isActive());
        QVERIFY(!tp.ibt_termin->isActive());
        QVERIFY(!tp.ibt_terminedit->isActive());
    }
};

KYN_TEST(PlannerModuleTest)
#include "planner_test.moc"
