// The data module's insert handlers: keys as largest + 1, defaults, the two
// confirmations, the customer saved before a new dog, the course leader's
// sign, the document kind as a word, the document picked for a new course
// document, and bringing every dataset back to browse state at the end.
#include <QSet>
#include <QTest>
#include <functional>
#include <iterator>

#include "data/datenmodul.h"
#include "db/statement.h"
#include "platform/scripteddialogs.h"
#include "startuptestutil.h"
#include "testenv.h"
#include "testregistry.h"

using namespace db;
using platform::Answer;

namespace {

void run(Tdm& m, const QString& text) {
    Statement s(m.idb.get(), m.ibt);
    s.prepare(text);
    s.execute();
}

QVariant ask(Tdm& m, const QString& text) {
    Statement s(m.idb.get(), m.ibt);
    return s.scalar(text);
}

// "now" as the program sees it, give or take a second for the storage.
bool aroundNow(const QDateTime& v, const QDateTime& before, const QDateTime& after) {
    return v.isValid() && v >= before.addSecs(-1) && v <= after.addSecs(1);
}

// Every dataset of the data module that numbers its new rows (largest + 1)
// and passes over a number another workstation took meanwhile: its master
// row where it has one, the question it asks, and how the other workstation
// saves a row with the number.
struct Nummerierung {
    const char* dataset;
    const char* key;
    const char* master;    // dataset whose row 1 is made current first, or nullptr
    const char* question;  // asked by the insert, or nullptr
    const char* fremd;     // the other workstation's row with number %1
};
const Nummerierung kNummerierungen[] = {
    {"ibt_kunde", "KNDNR", nullptr, nullptr, "insert into kunden (kndnr, name) values (%1, 'Fremd')"},
    {"ibt_kunde_hunde", "HUNDNR", "ibt_kunde", nullptr,
     "insert into hunde (hundnr, kndnr, name) values (%1, 1, 'Fremd')"},
    {"ibt_hunde", "HUNDNR", nullptr, nullptr, "insert into hunde (hundnr, kndnr, name) values (%1, 1, 'Fremd')"},
    {"ibt_trainer", "TRAINERNR", nullptr, nullptr, "insert into trainer (trainernr, name) values (%1, 'Fremd')"},
    {"ibt_kurse", "KURSNR", nullptr, "Neuen Kurs einfügen ?",
     "insert into kurse (kursnr, kursname) values (%1, 'Fremd')"},
    {"ibt_vorlagen_kurse", "VORLAGENNR", nullptr, "Neue Vorlage einfügen ?",
     "insert into vorlagen_kurse (vorlagennr, bezeichnung) values (%1, 'Fremd')"},
    {"ibt_vorlagen_kurstermine", "TERMINNR", "ibt_vorlagen_kurse", nullptr,
     "insert into vorlagen_kurstermine (vorlagennr, terminnr, thema) values (1, %1, 'Fremd')"},
    {"ibt_dokumente", "DOKNR", nullptr, nullptr, "insert into dokumente (doknr, dokumentname) values (%1, 'Fremd')"},
};

}  // namespace

class NewRecordDefaultsTest : public QObject {
    Q_OBJECT
private slots:
    void firstRowOfEveryTableGetsNumberOne() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        platform::ScopedScriptedDialogs d;
        run(m, "insert into kunden (kndnr, name) values (1, \"Meier\")");

        struct Case {
            const char* what;
            Dataset* ds;
            const char* key;
            bool asks;  // the course and the template ask first
        };
        // Customers are not empty here (a dog needs its owner); the first
        // customer is checked below on an empty table. The template posted
        // here is the one whose first date follows.
        const Case cases[] = {
            {"dog", m.ibt_kunde_hunde, "HUNDNR", false},
            {"trainer", m.ibt_trainer, "TRAINERNR", false},
            {"document", m.ibt_dokumente, "DOKNR", false},
            {"course (only the consultation row stored)", m.ibt_kurse, "KURSNR", true},
            {"template", m.ibt_vorlagen_kurse, "VORLAGENNR", true},
            {"template date", m.ibt_vorlagen_kurstermine, "TERMINNR", false},
        };
        m.ibt_kunde->open();
        m.ibt_vorlagen_kurse->open();
        for (const Case& c : cases) {
            c.ds->open();
            if (c.asks) d.expectConfirm(Answer::Ja);
            c.ds->append();
            QVERIFY2(c.ds->state() == DatasetState::Insert, c.what);
            QVERIFY2(c.ds->fieldByName(c.key)->asInteger() == 1, c.what);
            c.ds->fieldByName(c.key)->setAsInteger(1);  // counts as a change
            c.ds->post();
        }
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("KNDNR")->asInteger(), 1);
        QCOMPARE(m.ibt_vorlagen_kurstermine->fieldByName("VORLAGENNR")->asInteger(), 1);
        QCOMPARE(m.ibt_kurse->fieldByName("STATUS")->asString(), QString("A"));

        // The first customer, on an empty table.
        run(m, "delete from hunde");
        run(m, "delete from kunden");
        m.ibt_kunde->close();
        m.ibt_kunde->open();
        QDateTime before = currentDateTime();
        m.ibt_kunde->append();
        QDateTime after = currentDateTime();
        QCOMPARE(m.ibt_kunde->fieldByName("KNDNR")->asInteger(), 1);
        QVERIFY(aroundNow(m.ibt_kunde->fieldByName("AUFGENOMMEN_AM")->asDateTime(), before, after));
        m.ibt_kunde->cancel();
    }

    // A new row whose number another workstation saved meanwhile (after
    // this one was numbered) is numbered again and saved; the other row
    // stays. Every dataset with such a hook is in the table.
    void numberTakenMeanwhileIsPassedOver_data() {
        QTest::addColumn<int>("fall");
        for (int i = 0; i < int(std::size(kNummerierungen)); ++i)
            QTest::newRow(kNummerierungen[i].dataset) << i;
    }
    void numberTakenMeanwhileIsPassedOver() {
        QFETCH(int, fall);
        const Nummerierung& n = kNummerierungen[fall];
        TestEnv env;
        env.createDatabase();
        {
            auto c = env.connect();
            c->executeImmediate("insert into kunden (kndnr, name) values (1, 'Meier')");
            c->executeImmediate("insert into hunde (hundnr, kndnr, name) values (1, 1, 'Rex')");
            c->executeImmediate("insert into vorlagen_kurse (vorlagennr, bezeichnung) values (1, 'Welpen')");
            c->executeImmediate("insert into vorlagen_kurstermine (vorlagennr, terminnr) values (1, 1)");
        }
        Tdm m;
        m.connectTo(env.databasePath());
        auto* ds = m.findChild<Dataset*>(QString::fromLatin1(n.dataset));
        QVERIFY(ds);
        if (n.master) {
            auto* master = m.findChild<Dataset*>(QString::fromLatin1(n.master));
            master->open();
            QVERIFY(master->locate(master == m.ibt_kunde ? "KNDNR" : "VORLAGENNR", 1));
        }
        ds->open();
        platform::ScopedScriptedDialogs d;
        if (n.question) d.expectConfirm(Answer::Ja, QString::fromUtf8(n.question));
        ds->append();
        QCOMPARE(ds->state(), DatasetState::Insert);
        const int nummer = ds->fieldByName(n.key)->asInteger();
        // A dog of the dog search belongs to a customer all the same.
        if (Field* kunde = ds->findField("KNDNR"); kunde && kunde->isNull()) kunde->setAsInteger(1);
        {
            auto c = env.connect();
            c->executeImmediate(QString::fromUtf8(n.fremd).arg(nummer));
        }
        ds->post();
        m.commitNow();
        KYN_VERIFY_DIALOGS(d);
        const int neu = ds->fieldByName(n.key)->asInteger();
        QVERIFY2(neu > nummer, qPrintable(QString("%1 -> %2").arg(nummer).arg(neu)));
        const QString tabelle = static_cast<Table*>(ds)->tableName();
        const QString filter = tabelle == "VORLAGEN_KURSTERMINE" ? " and vorlagennr = 1" : "";
        QCOMPARE(ask(m, QString("select count(*) from %1 where %2 = %3%4").arg(tabelle, n.key).arg(neu).arg(filter)).toInt(), 1);
        QCOMPARE(ask(m, QString("select count(*) from %1 where %2 = %3%4").arg(tabelle, n.key).arg(nummer).arg(filter)).toInt(), 1);
    }
    void everyNumberingDatasetIsInTheTable() {
        Tdm m;
        QSet<QString> hooked, listed;
        for (Dataset* ds : m.findChildren<Dataset*>())
            if (ds->onKeyTaken) hooked << ds->objectName();
        for (const Nummerierung& n : kNummerierungen) listed << QString::fromLatin1(n.dataset);
        QCOMPARE(hooked, listed);
    }

    void courseNumbersCountOnlyAboveZero_data() {
        QTest::addColumn<QList<int>>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("only the consultation row") << QList<int>{-1} << 1;
        QTest::newRow("courses 1 to 5 and -1") << QList<int>{-1, 1, 2, 3, 4, 5} << 6;
        QTest::newRow("gap in the middle") << QList<int>{-1, 1, 7, 3} << 8;
    }
    void courseNumbersCountOnlyAboveZero() {
        QFETCH(QList<int>, stored);
        QFETCH(int, expected);
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        for (int nr : stored)
            if (nr != -1) run(m, QString("insert into kurse (kursnr, kursname) values (%1, \"K\")").arg(nr));
        platform::ScopedScriptedDialogs d;
        d.expectConfirm(Answer::Ja, "Neuen Kurs einfügen ?");
        m.ibt_kurse->open();
        m.ibt_kurse->append();
        QCOMPARE(m.ibt_kurse->fieldByName("KURSNR")->asInteger(), expected);
        QCOMPARE(m.ibt_kurse->fieldByName("STATUS")->asString(), QString("A"));
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.shown().first().title, QString("Bestätigung"));
        QCOMPARE(d.shown().first().buttons, platform::Buttons::JaNein);
    }

    void newDogNumberedOverAllDogs() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        for (int k = 1; k <= 7; ++k) run(m, QString("insert into kunden (kndnr, name) values (%1, \"K%1\")").arg(k));
        for (int h = 1; h <= 119; ++h)
            run(m, QString("insert into hunde (hundnr, kndnr, name) values (%1, %2, \"H%1\")").arg(h).arg(h % 7 + 1));
        m.ibt_kunde->open();
        m.ibt_kunde_hunde->open();
        QVERIFY(m.ibt_kunde->locate("KNDNR", 7));
        QDateTime before = currentDateTime();
        m.ibt_kunde_hunde->append();
        QDateTime after = currentDateTime();
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("HUNDNR")->asInteger(), 120);
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("KNDNR")->asInteger(), 7);
        QVERIFY(aroundNow(m.ibt_kunde_hunde->fieldByName("ANAMESE_AUFGENOMMEN_AM")->asDateTime(), before, after));
    }

    void templateDatesNumberedPerTemplate() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into vorlagen_kurse (vorlagennr, bezeichnung) values (1, \"A\")");
        run(m, "insert into vorlagen_kurse (vorlagennr, bezeichnung) values (2, \"B\")");
        for (int t = 1; t <= 3; ++t)
            run(m, QString("insert into vorlagen_kurstermine (vorlagennr, terminnr) values (1, %1)").arg(t));
        m.ibt_vorlagen_kurse->open();
        m.ibt_vorlagen_kurstermine->open();
        struct Case {
            int vorlage;
            int expected;
        };
        for (Case c : {Case{1, 4}, Case{2, 1}}) {
            QVERIFY(m.ibt_vorlagen_kurse->locate("VORLAGENNR", c.vorlage));
            m.ibt_vorlagen_kurstermine->append();
            QCOMPARE(m.ibt_vorlagen_kurstermine->fieldByName("TERMINNR")->asInteger(), c.expected);
            QCOMPARE(m.ibt_vorlagen_kurstermine->fieldByName("VORLAGENNR")->asInteger(), c.vorlage);
            m.ibt_vorlagen_kurstermine->cancel();
        }
    }

    void diaryAtMidnightNoteWithTime() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into kunden (kndnr, name) values (1, \"Meier\")");
        run(m, "insert into hunde (hundnr, kndnr, name) values (4, 1, \"Rex\")");
        m.ibt_kunde->open();
        m.ibt_kunde_hunde->open();
        m.ibt_hundetagebuch->open();
        m.ibt_notizblock->open();
        QDateTime before = currentDateTime();
        m.ibt_hundetagebuch->append();
        m.ibt_notizblock->append();
        QDateTime after = currentDateTime();

        QDateTime datum = m.ibt_hundetagebuch->fieldByName("DATUM")->asDateTime();
        QCOMPARE(m.ibt_hundetagebuch->fieldByName("HUNDNR")->asInteger(), 4);
        QCOMPARE(datum.time(), QTime(0, 0));
        QVERIFY(datum.date() == before.date() || datum.date() == after.date());
        QVERIFY(aroundNow(m.ibt_notizblock->fieldByName("DATUMZEIT")->asDateTime(), before, after));
    }

    void decliningTheQuestionCancelsTheInsert_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("answer");
        QTest::newRow("course, Nein") << "kurse" << "Neuen Kurs einfügen ?" << int(Answer::Nein);
        QTest::newRow("template, Nein") << "vorlagen" << "Neue Vorlage einfügen ?" << int(Answer::Nein);
    }
    void decliningTheQuestionCancelsTheInsert() {
        QFETCH(QString, which);
        QFETCH(QString, question);
        QFETCH(int, answer);
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into kurse (kursnr, kursname) values (1, \"Eins\")");
        run(m, "insert into kurse (kursnr, kursname) values (2, \"Zwei\")");
        run(m, "insert into vorlagen_kurse (vorlagennr, bezeichnung) values (1, \"Eins\")");
        run(m, "insert into vorlagen_kurse (vorlagennr, bezeichnung) values (2, \"Zwei\")");
        Table* t = which == "kurse" ? m.ibt_kurse : m.ibt_vorlagen_kurse;
        const QString key = which == "kurse" ? "KURSNR" : "VORLAGENNR";
        t->open();
        t->next();
        QCOMPARE(t->fieldByName(key)->asInteger(), 2);
        platform::ScopedScriptedDialogs d;
        d.expectConfirm(Answer(answer), question);
        t->append();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(t->state(), DatasetState::Browse);
        QCOMPARE(t->recordCount(), 2);
        QCOMPARE(t->fieldByName(key)->asInteger(), 2);
        QCOMPARE(d.shown().first().title, QString("Bestätigung"));
    }

    void customerThatCannotBeSavedBlocksTheNewDog() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into kunden (kndnr, name) values (1, \"Meier\")");
        run(m, "insert into hunde (hundnr, kndnr, name) values (1, 1, \"Rex\")");
        m.ibt_kunde->open();
        m.ibt_kunde_hunde->open();
        m.ibt_kunde->append();
        m.ibt_kunde->fieldByName("NAME")->setAsString("Schulz");
        m.ibt_kunde->fieldByName("KNDNR")->clear();  // without its number it cannot be saved
        platform::ScopedScriptedDialogs d;
        d.expectMessage(
            "Vor dem Anlegen eines Hundes, müssen die Kundendaten komplett sein und gespeichert "
            "werden können. Das automatische Speichern der Kundendaten schlug jedoch fehl. Überprüfen "
            "Sie bitte die Kundendaten bevor Sie einen neuen Hund anlegen.");
        QVERIFY_THROWS_EXCEPTION(Abort, m.ibt_kunde_hunde->append());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(m.ibt_kunde->state(), DatasetState::Insert);
        QCOMPARE(m.ibt_kunde->fieldByName("NAME")->asString(), QString("Schulz"));
        QVERIFY(!m.ibt_kunde_hunde->isEditing());
        QCOMPARE(ask(m, "select count(*) from hunde").toInt(), 1);

        // Corrected, the customer is saved first and the dog follows.
        m.ibt_kunde->fieldByName("KNDNR")->setAsInteger(2);
        m.ibt_kunde_hunde->append();
        QCOMPARE(m.ibt_kunde->state(), DatasetState::Browse);
        QCOMPARE(ask(m, "select name from kunden where kndnr = 2").toString(), QString("Schulz"));
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("KNDNR")->asInteger(), 2);
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("HUNDNR")->asInteger(), 2);
    }

    void newDogOfAnUntouchedNewCustomer() {
        // "Kunde einfügen", then at once "Neuen Hund einfügen": the new
        // customer is saved with its number and date, and the dog is its.
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into kunden (kndnr, name) values (1, \"Meier\")");
        run(m, "insert into hunde (hundnr, kndnr, name) values (1, 1, \"Rex\")");
        m.ibt_kunde->open();
        m.ibt_kunde_hunde->open();
        m.ibt_kunde->append();
        QVERIFY(!m.ibt_kunde->modified());
        platform::ScopedScriptedDialogs d;
        m.ibt_kunde_hunde->append();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(m.ibt_kunde->state(), DatasetState::Browse);
        QCOMPARE(m.ibt_kunde->fieldByName("KNDNR")->asInteger(), 2);
        QCOMPARE(ask(m, "select count(*) from kunden where kndnr = 2 and aufgenommen_am is not null").toInt(), 1);
        QCOMPARE(m.ibt_kunde_hunde->state(), DatasetState::Insert);
        QCOMPARE(m.ibt_kunde_hunde->fieldByName("KNDNR")->asInteger(), 2);
        m.ibt_kunde_hunde->fieldByName("NAME")->setAsString("Bello");
        m.ibt_kunde_hunde->post();
        QCOMPARE(ask(m, "select kndnr from hunde where name = \"Bello\"").toInt(), 2);
        QCOMPARE(ask(m, "select count(*) from hunde where kndnr = 1").toInt(), 1);
    }

    // Deleting what other rows refer to: a customer with dogs and a trainer
    // who leads courses are kept with a German message; a document used by
    // courses is deleted only after the question naming them, and then its
    // course links go with it, so that the next document under the same
    // number belongs to no course.
    void deletingReferencedRecords_data() {
        QTest::addColumn<QString>("dataset");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("answer");  // -1: a message; else the answer to the question
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("checks");  // "statement=count" once the delete is over
        QTest::newRow("customer with two dogs")
            << "ibt_kunde" << "KNDNR" << -1
            << "Der Kunde hat noch 2 Hunde (Bello, Luna). Bitte löschen Sie zuerst die Hunde."
            << QStringList{"select count(*) from kunden where kndnr = 1=1", "select count(*) from hunde=2"};
        QTest::newRow("trainer leading two courses")
            << "ibt_trainer" << "TRAINERNR" << -1
            << "Der Trainer leitet noch 2 Kurse (Welpen (Nr. 1), Nr. 2) und kann deshalb nicht gelöscht werden. "
               "Bitte tragen Sie bei diesen Kursen zuerst einen anderen Kursleiter ein."
            << QStringList{"select count(*) from trainer where trainernr = 1=1",
                           "select count(*) from kurse where kursleiter = 1=2"};
        const QString frage = "Das Dokument gehört noch zu 2 Kursen (Welpen (Nr. 1), Nr. 2). Soll es trotzdem "
                              "gelöscht werden? Es wird dann auch aus diesen Kursen entfernt.";
        QTest::newRow("document in two courses, declined")
            << "ibt_dokumente" << "DOKNR" << int(Answer::Nein) << frage
            << QStringList{"select count(*) from dokumente where doknr = 2=1",
                           "select count(*) from kurs_dokumente where doknr = 2=2"};
        QTest::newRow("document in two courses, confirmed")
            << "ibt_dokumente" << "DOKNR" << int(Answer::Ja) << frage
            << QStringList{"select count(*) from dokumente where doknr = 2=0",
                           "select count(*) from kurs_dokumente where doknr = 2=0",
                           "select count(*) from vorlagen_dokumente where doknr = 2=0",
                           "select count(*) from kurs_dokumente where doknr = 1=1"};
    }
    void deletingReferencedRecords() {
        QFETCH(QString, dataset);
        QFETCH(QString, key);
        QFETCH(int, answer);
        QFETCH(QString, text);
        QFETCH(QStringList, checks);
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        for (const char* sql : {
                 "insert into kunden (kndnr, name) values (1, \"Meier\")",
                 "insert into hunde (hundnr, kndnr, name) values (1, 1, \"Bello\")",
                 "insert into hunde (hundnr, kndnr, name) values (2, 1, \"Luna\")",
                 "insert into trainer (trainernr, name) values (1, \"Alt\")",
                 "insert into kurse (kursnr, kursname, kursleiter) values (1, \"Welpen\", 1)",
                 "insert into kurse (kursnr, kursleiter) values (2, 1)",
                 "insert into dokumente (doknr, dokumentname) values (1, \"Vertrag\")",
                 "insert into dokumente (doknr, dokumentname) values (2, \"Anmeldung\")",
                 "insert into kurs_dokumente (kursnr, doknr) values (1, 2)",
                 "insert into kurs_dokumente (kursnr, doknr) values (2, 2)",
                 "insert into kurs_dokumente (kursnr, doknr) values (1, 1)",
                 "insert into vorlagen_dokumente (vorlagennr, doknr) values (1, 2)"})
            run(m, sql);
        auto* ds = m.findChild<Table*>(dataset);
        QVERIFY(ds);
        ds->open();
        // The record in question has the largest number of its table.
        const int nr = dataset == "ibt_dokumente" ? 2 : 1;
        QVERIFY(ds->locate(key, nr));
        platform::ScopedScriptedDialogs d;
        if (answer < 0) d.expectMessage(text);
        else d.expectConfirm(Answer(answer), text);
        try {
            ds->deleteRecord();
        } catch (const Abort&) {
        }
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(ds->state(), DatasetState::Browse);
        for (const QString& c : checks) {
            const int eq = c.lastIndexOf('=');
            QVERIFY2(ask(m, c.left(eq)).toInt() == c.mid(eq + 1).toInt(), qPrintable(c));
        }
        // A new record gets the next free number and never the references
        // of a deleted one.
        ds->append();
        const int neu = ds->fieldByName(key)->asInteger();
        if (answer == int(Answer::Ja)) {
            QCOMPARE(neu, nr);
            QCOMPARE(ask(m, QString("select count(*) from kurs_dokumente where doknr = %1").arg(neu)).toInt(), 0);
        } else {
            QCOMPARE(neu, nr + 1);
        }
        ds->cancel();
    }

    // A trainer with appointments in the planner (and no course): the
    // question says how many; declined, everything stays; confirmed, the
    // appointments go with the trainer instead of the server refusing the
    // delete.
    void deletingTrainerWithPlannerAppointments_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("left");  // trainers and appointments left
        QTest::newRow("declined") << int(Answer::Nein) << 1;
        QTest::newRow("confirmed") << int(Answer::Ja) << 0;
    }
    void deletingTrainerWithPlannerAppointments() {
        QFETCH(int, answer);
        QFETCH(int, left);
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into trainer (trainernr, name) values (1, \"Alt\")");
        run(m, "insert into trainer (trainernr, name) values (2, \"Bleibt\")");
        for (const char* sql : {"insert into tp_termin (personnr, von, bis) values (1, \"01.02.2005\", \"01.02.2005\")",
                                "insert into tp_termin (personnr, von, bis) values (1, \"08.02.2005\", \"08.02.2005\")",
                                "insert into tp_termin (personnr, von, bis) values (2, \"08.02.2005\", \"08.02.2005\")"})
            run(m, sql);
        m.ibt_trainer->open();
        QVERIFY(m.ibt_trainer->locate("TRAINERNR", 1));
        platform::ScopedScriptedDialogs d;
        d.expectConfirm(Answer(answer), "Für den Trainer sind noch 2 Termine im Terminplaner gespeichert. Soll er "
                                        "trotzdem gelöscht werden? Die Termine werden dann ebenfalls gelöscht.");
        try {
            m.ibt_trainer->deleteRecord();
        } catch (const Abort&) {
        }
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(m.ibt_trainer->state(), DatasetState::Browse);
        QCOMPARE(ask(m, "select count(*) from trainer where trainernr = 1").toInt(), left);
        QCOMPARE(ask(m, "select count(*) from tp_termin where personnr = 1").toInt(), 2 * left);
        QCOMPARE(ask(m, "select count(*) from tp_termin where personnr = 2").toInt(), 1);
        QCOMPARE(Tdm::frageTrainerMitTerminen(1),
                 QString("Für den Trainer ist noch ein Termin im Terminplaner gespeichert. Soll er trotzdem "
                         "gelöscht werden? Der Termin wird dann ebenfalls gelöscht."));
    }

    void courseLeaderSign() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into trainer (trainernr, kurzzeichen) values (1, \"AB\")");
        // A course without a leader needs no query at all: opening the
        // courses again (their own select stays prepared) prepares nothing.
        run(m, "insert into kurse (kursnr, kursname) values (3, \"ohne\")");
        m.ibt_kurse->open();
        m.ibt_kurse->close();
        const quint64 before = m.idb->statementsPrepared();
        m.ibt_kurse->open();
        QCOMPARE(m.idb->statementsPrepared(), before);
        QCOMPARE(m.ibt_kurse->fieldByName("KURSLEITER_ZEICHEN")->asString(), QString());
        m.ibt_kurse->close();

        run(m, "insert into kurse (kursnr, kursname, kursleiter) values (1, \"mit\", 1)");
        run(m, "insert into kurse (kursnr, kursname, kursleiter) values (2, \"unbekannt\", 99)");
        m.ibt_kurse->open();
        QMap<int, QString> signs;
        for (m.ibt_kurse->first(); !m.ibt_kurse->eof(); m.ibt_kurse->next())
            signs[m.ibt_kurse->fieldByName("KURSNR")->asInteger()] =
                m.ibt_kurse->fieldByName("KURSLEITER_ZEICHEN")->asString();
        QCOMPARE(signs.value(1), QString("AB"));
        QCOMPARE(signs.value(2), QString());
        QCOMPARE(signs.value(3), QString());
        // The signs of the courses with a leader were read.
        QVERIFY(m.idb->statementsPrepared() > before);
    }

    void documentKindAsWord() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        struct Case {
            const char* kind;  // nullptr: NULL
            const char* word;
        };
        const Case cases[] = {{"A", "Anmeldung"}, {"B", "Brief"},        {"I", "Infoblatt"},
                              {"K", "Kursdokument"}, {"V", "Vertrag"},   {"k", ""},
                              {"X", ""},          {nullptr, ""}};
        run(m, "insert into kurse (kursnr, kursname) values (1, \"K\")");
        int nr = 0;
        for (const Case& c : cases) {
            ++nr;
            run(m, QString("insert into dokumente (doknr, dokumentname, dokumentart) values (%1, \"D%1\", %2)")
                       .arg(nr)
                       .arg(c.kind ? quoteString(c.kind) : QString("null")));
            run(m, QString("insert into kurs_dokumente (kursnr, doknr) values (1, %1)").arg(nr));
        }
        m.ibt_kurse->open();
        m.ibt_dokumente->open();
        m.IBT_kursdokumente->open();
        int seen = 0;
        for (m.IBT_kursdokumente->first(); !m.IBT_kursdokumente->eof(); m.IBT_kursdokumente->next()) {
            const int doknr = m.IBT_kursdokumente->fieldByName("DOKNR")->asInteger();
            const Case& c = cases[doknr - 1];
            QCOMPARE(m.IBT_kursdokumente->fieldByName("ART_ANZEIGE")->asString(), QString::fromUtf8(c.word));
            ++seen;
        }
        QCOMPARE(seen, int(std::size(cases)));
    }

    void newCourseDocumentFilledFromThePickList() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into kurse (kursnr, kursname) values (4, \"K\")");
        run(m, "insert into dokumente (doknr, dokumentname, dokumentart, verteilungsart) "
               "values (3, \"Vertrag Welpen\", \"V\", \"Alle\")");
        QString caption;
        QStringList sql, labels;
        bool hidden = false;
        bool choose = true;
        m.auswahl = [&](const QString& c, const QStringList& s, const QStringList& l, bool hide,
                        QVariantList* row) {
            caption = c;
            sql = s;
            labels = l;
            hidden = hide;
            if (!choose) return false;
            *row = {3, "Vertrag Welpen", "V", "Alle"};
            return true;
        };
        m.ibt_kurse->open();
        m.ibt_dokumente->open();
        m.IBT_kursdokumente->open();
        m.IBT_kursdokumente->append();
        QCOMPARE(caption, QString("Dokument auswählen..."));
        QCOMPARE(sql, QStringList({"select doknr,dokumentname,dokumentart,Verteilungsart", " from dokumente "}));
        QCOMPARE(labels, QStringList({"Dok.-Nr.", "Dokument", "Art", "Verteiler"}));
        QVERIFY(hidden);
        Dataset* kd = m.IBT_kursdokumente;
        QCOMPARE(kd->state(), DatasetState::Insert);
        QCOMPARE(kd->fieldByName("KURSNR")->asInteger(), 4);
        QCOMPARE(kd->fieldByName("DOKNR")->asInteger(), 3);
        QCOMPARE(kd->fieldByName("BEZEICHNUNG")->asString(), QString("Vertrag Welpen"));
        QCOMPARE(kd->fieldByName("ART")->asString(), QString("V"));
        QCOMPARE(kd->fieldByName("VERTEILER")->asString(), QString("Alle"));
        QCOMPARE(kd->fieldByName("ART_ANZEIGE")->asString(), QString("Vertrag"));
        kd->post();
        QCOMPARE(ask(m, "select verteiler from kurs_dokumente where kursnr = 4 and doknr = 3").toString(),
                 QString("Alle"));

        // Cancelled: nothing assigned; posting is refused for the missing number.
        choose = false;
        kd->append();
        QVERIFY(kd->fieldByName("DOKNR")->isNull());
        kd->fieldByName("VERTEILER")->setAsString("Alle");
        try {
            kd->post();
            QFAIL("posting a course document without number succeeded");
        } catch (const Error& e) {
            QVERIFY2(e.message().contains("Dok.-Nr."), qPrintable(e.message()));
        }
        kd->cancel();
    }

    void finishPendingEditsPostsAndDrops() {
        TestEnv env;
        env.createDatabase();
        {
            Tdm m;
            m.connectTo(env.databasePath());
            run(m, "insert into trainer (trainernr, name) values (1, \"Alt\")");
            run(m, "insert into kunden (kndnr, name) values (1, \"Meier\")");
            run(m, "insert into hunde (hundnr, kndnr, name) values (1, 1, \"Rex\")");
            m.ibt_trainer->open();
            m.ibt_trainer->edit();
            m.ibt_trainer->fieldByName("NAME")->setAsString("Neu");
            m.ibt_notizblock->open();
            m.ibt_notizblock->append();  // untouched: dropped
            m.ibt_kunde->open();
            m.ibt_kunde_hunde->open();
            m.ibt_kunde->edit();
            m.ibt_kunde->fieldByName("VNAME")->setAsString("Eva");
            m.ibt_kunde_hunde->edit();
            m.ibt_kunde_hunde->fieldByName("RASSE")->setAsString("Pudel");
            platform::ScopedScriptedDialogs d;
            QVERIFY(m.finishPendingEdits());
            KYN_VERIFY_DIALOGS(d);
            for (Dataset* ds : {(Dataset*)m.ibt_trainer, (Dataset*)m.ibt_notizblock, (Dataset*)m.ibt_kunde,
                                (Dataset*)m.ibt_kunde_hunde})
                QCOMPARE(ds->state(), DatasetState::Browse);
        }
        auto c = env.connect();
        QCOMPARE(sqlutil::value(*c, "select name from trainer where trainernr = 1").toString(), QString("Neu"));
        QCOMPARE(sqlutil::value(*c, "select vname from kunden where kndnr = 1").toString(), QString("Eva"));
        QCOMPARE(sqlutil::value(*c, "select rasse from hunde where hundnr = 1").toString(), QString("Pudel"));
        QCOMPARE(sqlutil::value(*c, "select count(*) from notizblock").toInt(), 0);
    }

    void finishPendingEditsStopsAtTheFirstFailure() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into kunden (kndnr, name) values (1, \"Meier\")");
        run(m, "insert into trainer (trainernr, name) values (1, \"Alt\")");
        m.ibt_kunde->open();
        m.ibt_kunde->append();
        m.ibt_kunde->fieldByName("KNDNR")->clear();  // not-null violation
        m.ibt_trainer->open();
        m.ibt_trainer->edit();
        m.ibt_trainer->fieldByName("NAME")->setAsString("Neu");
        platform::ScopedScriptedDialogs d;
        d.expectError();
        QVERIFY(!m.finishPendingEdits());
        KYN_VERIFY_DIALOGS(d);
        QVERIFY2(d.lastText().contains("KNDNR"), qPrintable(d.lastText()));
        QCOMPARE(m.ibt_kunde->state(), DatasetState::Insert);
        QCOMPARE(m.ibt_trainer->state(), DatasetState::Edit);  // not reached
    }
};

KYN_TEST(NewRecordDefaultsTest)
#include "handlers_test.moc"
