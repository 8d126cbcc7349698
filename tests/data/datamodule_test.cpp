// The data module on a fresh database: links, orders, the fixed course
// filter, fields and the customer count.
#include <QSignalSpy>
#include <QTest>

#include "data/datenmodul.h"
#include "db/statement.h"
#include "platform/scripteddialogs.h"
#include "testenv.h"
#include "testregistry.h"

using namespace db;

namespace {
QVariant sql(Tdm& m, const QString& text) {
    Statement s(m.idb.get(), m.ibt);
    return s.scalar(text);
}
void exec(Tdm& m, const QString& text) {
    Statement s(m.idb.get(), m.ibt);
    s.prepare(text);
    s.execute();
}
}  // namespace

class DataModuleTest : public QObject {
    Q_OBJECT
private slots:
    void nothingOpenAtCreation() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        for (Dataset* d : m.findChildren<Dataset*>()) QVERIFY2(!d->isActive(), qPrintable(d->objectName()));
    }

    void countKundenAfterOpenPostDelete() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        QSignalSpy spy(&m, &Tdm::kundenCountChanged);
        m.ibt_kunde->open();
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.last().first().toString(), QString("0 Kunden"));
        m.ibt_kunde->append();
        m.ibt_kunde->fieldByName("NAME")->setAsString("Meier");
        m.ibt_kunde->post();
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.last().first().toString(), QString("1 Kunde"));
        m.ibt_kunde->edit();
        m.ibt_kunde->fieldByName("NAME")->setAsString("Maier");
        m.ibt_kunde->post();
        QTRY_COMPARE(spy.count(), 3);
        QCOMPARE(spy.last().first().toString(), QString("1 Kunde"));
        // The count covers all customers, whatever the filter.
        exec(m, "insert into kunden (kndnr, name) values (2, \"Zweiter\")");
        m.ibt_kunde->setFilter("kndnr = 1");
        m.ibt_kunde->setFiltered(true);
        m.ibt_kunde->deleteRecord();
        m.flush_count_kunden();
        QCOMPARE(spy.count(), 4);
        QCOMPARE(spy.last().first().toString(), QString("1 Kunde"));
        // Many posts in a row are answered by one count.
        for (int i = 10; i < 20; ++i) {
            m.ibt_kunde->append();
            m.ibt_kunde->fieldByName("NAME")->setAsString("Viele");
            m.ibt_kunde->post();
        }
        // Nothing counted yet: the posts only asked for a count; the pending
        // request runs once.
        QCOMPARE(spy.count(), 4);
        m.flush_count_kunden();
        QCOMPARE(spy.count(), 5);
        QCOMPARE(spy.last().first().toString(), QString("11 Kunden"));
        m.flush_count_kunden();
        QCOMPARE(spy.count(), 5);
    }

    void customerDogDiaryLinks() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        exec(m, "insert into kunden (kndnr, name) values (1, \"A\")");
        exec(m, "insert into kunden (kndnr, name) values (2, \"B\")");
        exec(m, "insert into hunde (hundnr, kndnr, name) values (5, 1, \"Rex\")");
        exec(m, "insert into hunde (hundnr, kndnr, name) values (3, 1, \"Bello\")");
        exec(m, "insert into hunde (hundnr, kndnr, name) values (4, 2, \"Luna\")");
        exec(m, "insert into hunde_tagebuch (hundnr, geplant) values (3, \"Sitz\")");
        m.ibt_kunde->open();
        m.ibt_kunde_hunde->open();
        m.ibt_hundetagebuch->open();
        // Order KNDNR, HUNDNR within the customer.
        QCOMPARE(m.ibt_kunde_hunde->recordCount(), 2);
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("NAME")->asString(), QString("Bello"));
        QCOMPARE(m.ibt_hundetagebuch->fieldByName("GEPLANT")->asString(), QString("Sitz"));
        m.ibt_kunde_hunde->next();
        QVERIFY(m.ibt_hundetagebuch->isEmpty());
        m.ibt_kunde->next();
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("NAME")->asString(), QString("Luna"));
        // A new dog takes the customer's number before its handler runs.
        m.ibt_kunde_hunde->append();
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("KNDNR")->asInteger(), 2);
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("HUNDNR")->asInteger(), 6);
        m.ibt_kunde_hunde->cancel();
    }

    void coursesFilteredAndDetailsFollow() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        exec(m, "insert into trainer (trainernr, kurzzeichen) values (1, \"AB\")");
        exec(m, "insert into kurse (kursnr, kursname, kursleiter) values (1, \"Welpen\", 1)");
        exec(m, "insert into kurse (kursnr, kursname) values (2, \"Agility\")");
        exec(m, "insert into kurstermine (kursnr, datum, thema) values (1, \"05.12.2005\", \"Start\")");
        exec(m, "insert into kurstermine (kursnr, datum, thema) values (-1, \"06.12.2005 10:00\", \"Beratung\")");
        exec(m, "insert into dokumente (doknr, dokumentname, dokumentart) values "
                "(1, \"Ein sehr langer Dokumentname mit 30\", \"K\")");
        exec(m, "insert into kurs_dokumente (kursnr, doknr, verteiler) values (1, 1, \"Alle\")");
        m.ibt_kurse->open();
        m.ibt_kurstermine->open();
        m.ibt_dokumente->open();
        m.IBT_kursdokumente->open();
        // The consultation row -1 is never part of the course table.
        QCOMPARE(m.ibt_kurse->recordCount(), 2);
        QCOMPARE(m.ibt_kurse->fieldByName("KURSLEITER_ZEICHEN")->asString(), QString("AB"));
        QCOMPARE(m.ibt_kurstermine->fieldByName("DATUM")->displayText(), QString("Montag, 05.12.2005"));
        QCOMPARE(m.IBT_kursdokumente->fieldByName("BEZEICHNUNG")->asString(), QString("Ein sehr langer Doku"));
        QCOMPARE(m.IBT_kursdokumente->fieldByName("ART_ANZEIGE")->asString(), QString("Kursdokument"));
        m.ibt_kurse->next();
        QVERIFY(m.ibt_kurstermine->isEmpty());
        QVERIFY(m.IBT_kursdokumente->isEmpty());
        QCOMPARE(m.ibt_kurse->fieldByName("KURSLEITER_ZEICHEN")->asString(), QString());
        // The day view joins consultation appointments like courses.
        m.ibq_kursedestages->open();
        QCOMPARE(m.ibq_kursedestages->recordCount(), 2);
        QCOMPARE(m.ibq_kursedestages->fieldByName("THEMA")->displayLabel(), QString("Tagesthema"));
    }

    void participantQueriesFollowTheirMasters() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        exec(m, "insert into kunden (kndnr, name, vname) values (1, \"Zander\", \"Udo\")");
        exec(m, "insert into kunden (kndnr, name) values (2, \"Adam\")");
        exec(m, "insert into hunde (hundnr, kndnr, name) values (1, 1, \"Rex\")");
        exec(m, "insert into hunde (hundnr, kndnr, name) values (2, 2, \"Bea\")");
        exec(m, "insert into kurse (kursnr, kursname) values (1, \"Welpen\")");
        exec(m, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 1, 1, 1, \"N\")");
        exec(m, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (2, 1, 2, 2, \"B\")");
        m.ibt_kurse->open();
        m.ibq_teilnehmer->open();
        m.ibt_teilnehmeredit->open();
        QCOMPARE(m.ibq_teilnehmer->recordCount(), 2);
        QCOMPARE(m.ibq_teilnehmer->fieldByName("NAME")->asString(), QString("Adam"));  // by surname
        QCOMPARE(m.ibq_teilnehmer->fieldByName("HUNDNAME")->displayLabel(), QString("Hund"));
        QCOMPARE(m.ibq_teilnehmer->fieldByName("KNDNR")->displayText(), QString("0002"));
        QCOMPARE(m.ibt_teilnehmeredit->fieldByName("ID")->asInteger(), 2);
        m.ibq_teilnehmer->next();
        QCOMPARE(m.ibt_teilnehmeredit->fieldByName("ID")->asInteger(), 1);
        m.ibt_kunde->open();
        m.ibq_aktive_kurse->open();
        QCOMPARE(m.ibq_aktive_kurse->fieldByName("KURSNAME")->asString(), QString("Welpen"));
        QCOMPARE(m.ibq_aktive_kurse->fieldByName("BEZAHLT")->asString(), QString("N"));
    }

    void fieldsCarryLabelsAndFormats() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        struct Case {
            Dataset* ds;
            const char* field;
            const char* label;
            const char* format;
        };
        const Case cases[] = {
            {m.ibt_kunde, "KNDNR", "KNDNR", "0000"},
            {m.ibt_kunde_hunde, "HUNDNR", "HUNDNR", "000"},
            {m.ibt_hunde, "HUNDNR", "Hund-Nr.", "00"},
            {m.ibt_hundetagebuch, "DURCHGEFUEHRT", "Durchgeführt", ""},
            {m.ibt_trainer, "STR", "Straße", ""},
            {m.ibt_kurse, "GEBUEHR", "Kursgebühr", ""},
            {m.ibt_kurstermine, "UHRZEIT", "Uhrzeit", "hh:nn"},
            {m.ibt_vorlagen_kurse, "RYTHMUS", "alle n Tage", ""},
            {m.ibt_vorlagen_kurstermine, "THEMA", "Thema/Ort/Treffpunkt", ""},
            {m.ibt_notizblock, "DATUMZEIT", "DATUMZEIT", "dd.mm.yyyy hh:nn"},
            {m.ibt_dokumente, "DOKUMENTNAME", "Bezeichnung", ""},
        };
        for (const Case& c : cases) {
            Field* f = c.ds->fieldByName(c.field);
            QCOMPARE(f->displayLabel(), QString::fromUtf8(c.label));
            QCOMPARE(f->displayFormat(), QString::fromUtf8(c.format));
        }
        QVERIFY(m.ibt_trainer->fieldByName("TRAINERNR")->readOnly());
        QVERIFY(m.ibt_dokumente->fieldByName("DOKNR")->required());
        QVERIFY(m.ibt_kurse->fieldByName("GEBUEHR")->currency());
        QCOMPARE(m.ibt_kurse->fieldByName("STATUS")->dataType(), FieldType::FixedChar);
        QCOMPARE(m.ibt_kunde->fieldByName("NAME")->size(), 30);
        // The dog search's table has every column but the date of birth.
        QVERIFY(!m.ibt_hunde->findField("GEBOREN_AM"));
        QVERIFY(m.ibt_kunde_hunde->findField("GEBOREN_AM"));
    }

    void postedChangesCommittedAtTheEnd() {
        TestEnv env;
        env.createDatabase();
        {
            Tdm m;
            m.connectTo(env.databasePath());
            m.ibt_trainer->open();
            m.ibt_trainer->append();
            m.ibt_trainer->fieldByName("NAME")->setAsString("Schulz");
            m.ibt_trainer->post();
        }
        Tdm m;
        m.connectTo(env.databasePath());
        QCOMPARE(sql(m, "select name from trainer where trainernr = 1").toString(), QString("Schulz"));
    }

    void queryTextsAsDesigned() {
        QCOMPARE(Tdm::teilnehmerSql().size(), 7);
        QCOMPARE(Tdm::teilnehmerSql().last(), QString("order by name"));
        QCOMPARE(Tdm::aktiveKurseSql().size(), 6);
        QCOMPARE(Tdm::kursedestagesSql().first(),
                 QString("select b.KURSNR, b.kursart, a.THEMA, a.UHRZEIT,a.ort,a.kontakt "));
    }
};

KYN_TEST(DataModuleTest)
#include "datamodule_test.moc"
