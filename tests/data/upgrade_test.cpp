// Opening the database at start-up and the upgrade steps, on base-schema and
// partly upgraded databases built by the fixtures, driven through the
// scripted dialogs.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include "baseschema.h"
#include "data/datenmodul.h"
#include "data/upgrade.h"
#include "platform/paths.h"
#include "platform/envoverride.h"
#include "platform/scripteddialogs.h"
#include "startuptestutil.h"
#include "testenv.h"
#include "testregistry.h"

using namespace db;
using platform::Answer;
using platform::BoxKind;

namespace {

const QString general = QStringLiteral("Das Update wurde erfolgreich durchgeführt.");
const QString restart = QStringLiteral(
    "Das Update wurde erfolgreich durchgeführt, erfordert jedoch einen Neustart des Programms. "
    "Starten Sie das Programm, nachdem es sich selber beendet hat, bitte erneut, danach wird Update 5 "
    "durchgeführt.");

QString success(int step) {
    return step >= 11 ? QString("Das Update %1 wurde erfolgreich durchgeführt.").arg(step) : general;
}

// What the user saw, one line per box: "ask Update-Nr. 9", "msg <text>",
// "error <text>". The notice of the backup written before the first step
// is left out (backup_test.cpp covers it).
QStringList seen(const platform::ScriptedDialogs& d) {
    static const QRegularExpression label(QStringLiteral("\\((Update-Nr\\. \\d+)\\)"));
    QStringList out;
    for (const platform::ShownBox& b : d.shown()) {
        if (b.text.startsWith(QStringLiteral("Vor dem Datenbankupdate wurde die Datenbank gesichert:"))) continue;
        if (b.kind == BoxKind::Confirm) {
            auto match = label.match(b.text);
            out << "ask " + (match.hasMatch() ? match.captured(1) : b.text);
        } else if (b.kind == BoxKind::Error) {
            out << "error " + b.text;
        } else {
            out << "msg " + b.text;
        }
    }
    return out;
}

// The boxes of steps answered "Ja" that went through.
QStringList applied(const QList<int>& steps) {
    QStringList out;
    for (int s : steps) out << QString("ask Update-Nr. %1").arg(s) << "msg " + success(s);
    return out;
}

// One program start: the data module's creation with these answers to the
// step questions (messages are acknowledged). Returns whether the start
// goes on.
bool start(platform::ScriptedDialogs& d, const QList<Answer>& answers) {
    d.setAcknowledgeMessages(true);
    for (Answer a : answers) d.expectConfirm(a);
    Tdm m;
    return m.DataModuleCreate();
}

int lastUpdate(Connection& c) { return sqlutil::value(c, "select last_update from systemdaten").toInt(); }

bool hasDescendingIndex(Connection& c, const QString& table) {
    return sqlutil::value(c, QString("select count(*) from rdb$indices where rdb$relation_name = '%1' "
                                     "and rdb$index_type = 1")
                                 .arg(table))
               .toInt() > 0;
}

}  // namespace

class SchemaUpgradeTest : public QObject {
    Q_OBJECT
private slots:
    void currentDatabaseStartsSilently_data() {
        QTest::addColumn<bool>("fresh");
        QTest::newRow("freshly created") << true;
        QTest::newRow("upgraded by an older release") << false;
    }
    void currentDatabaseStartsSilently() {
        QFETCH(bool, fresh);
        TestEnv env;
        if (fresh) {
            env.createDatabase();
        } else {
            // The last release's schema, brought up to date by this one.
            createDatabaseAtVersion(env.databasePath(), 13);
            platform::ScopedScriptedDialogs first;
            QVERIFY(start(first, {Answer::Ja}));
            QCOMPARE(seen(first), applied({14}));
        }
        platform::ScopedScriptedDialogs d;
        {
            Tdm m;
            QVERIFY(m.DataModuleCreate());
            QVERIFY(m.idb->isOpen());
        }
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.count(), 0);
        // The keys numbered as largest + 1 get their descending index.
        auto c = env.connect();
        for (const char* table : {"KUNDEN", "HUNDE", "TRAINER", "KURSE", "DOKUMENTE", "VORLAGEN_KURSE"})
            QVERIFY2(hasDescendingIndex(*c, table), table);
        // and the detail lists theirs.
        QVERIFY(sqlutil::value(*c, "select count(*) from rdb$index_segments s join rdb$indices i "
                                   "on i.rdb$index_name = s.rdb$index_name where i.rdb$relation_name = "
                                   "'HUNDE_TAGEBUCH' and s.rdb$field_name = 'HUNDNR'")
                    .toInt() > 0);
    }

    void baseSchemaNeedsTwoStarts() {
        TestEnv env;
        createBaseSchemaDatabase(env.databasePath());

        // First start: steps 1 to 4, then the restart message, and the end.
        {
            platform::ScopedScriptedDialogs d;
            QVERIFY(!start(d, {Answer::Ja, Answer::Ja, Answer::Ja, Answer::Ja}));
            KYN_VERIFY_DIALOGS(d);
            QStringList expected = applied({1, 2, 3});
            expected << "ask Update-Nr. 4" << "msg " + restart;
            QCOMPARE(seen(d), expected);

            const platform::ShownBox& ask = d.shown().first();
            QCOMPARE(ask.title, QString("Bestätigung"));
            QCOMPARE(ask.buttons, platform::Buttons::JaAbbrechen);
            QCOMPARE(ask.defaultButton, Answer::Ja);
            QCOMPARE(ask.icon, platform::Icon::Question);
            QCOMPARE(ask.text,
                     QString("Es muss ein Datenbankupdate (Update-Nr. 1) durchgeführt werden.\r\r"
                             "Stellen Sie bitte sicher, daß Sie eine aktuelle Sicherung der\r"
                             "Datenbank haben. Wenn das Update durchgeführt werden soll\r"
                             "betätigen Sie bitte den JA-Button und warten Sie, das Update \r"
                             "kann je nach Umfang ein paar Sekunden oder auch einige Minuten\r"
                             "dauern. Wenn das Update nicht durchgeführt werden soll, \r"
                             "betätigen Sie bitte den ABBRUCH-Button."));
            QCOMPARE(d.shown().at(1).icon, platform::Icon::Information);
        }
        {
            auto c = env.connect();
            QVERIFY(sqlutil::works(*c, "select count(*) from trainer"));
            QVERIFY(sqlutil::works(*c, "select anzahl_teilnehmer, gebuehr from kurse"));
            QVERIFY(!sqlutil::works(*c, "select minteilnehmer from kurse"));
            QVERIFY(sqlutil::works(*c, "select count(*) from kurstermine"));
            QVERIFY(sqlutil::value(*c, "select last_update from systemdaten").isNull());
        }

        // Second start: 5, 6, 7, 9, 10, 11, 12, 13, 14 in this order.
        {
            platform::ScopedScriptedDialogs d;
            QVERIFY(start(d, QList<Answer>(9, Answer::Ja)));
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(seen(d), applied({5, 6, 7, 9, 10, 11, 12, 13, 14}));
        }
        {
            auto c = env.connect();
            QCOMPARE(lastUpdate(*c), 14);
            QCOMPARE(sqlutil::value(*c, "select kursart from kurse where kursnr = -1").toString(), QString("EB"));
            QCOMPARE(sqlutil::value(*c, "select beschreibung from kurse where kursnr = -1").toString(),
                     QString("Einzelstunde/Beratung"));
            QCOMPARE(sqlutil::value(*c, "select erststarthilfe from systemdaten").toInt(), 1);
            QCOMPARE(sqlutil::value(*c, "select hundeschule from systemdaten").toString(),
                     QString::fromUtf8(baseSchoolName));
            QVERIFY(!sqlutil::works(*c, "select kursnr from dokumente"));
            for (const char* probe :
                 {"select uhrzeit, ort, kontakt from kurstermine", "select rythmus from vorlagen_kurse",
                  "select count(*) from vorlagen_kurstermine", "select count(*) from vorlagen_dokumente",
                  "select count(*) from kurs_dokumente", "select status from kurse",
                  "select geboren_am from hunde", "select count(*) from rechnungen",
                  "select count(*) from rechnungspositionen", "select count(*) from zahlungen",
                  "select count(*) from mahnungen", "select zaehler from rechnungszaehler"})
                QVERIFY2(sqlutil::works(*c, probe), probe);
            QVERIFY(hasDescendingIndex(*c, "TRAINER"));
        }

        // Third start: nothing left to do; the data module's datasets open.
        platform::ScopedScriptedDialogs d;
        Tdm m;
        QVERIFY(m.DataModuleCreate());
        QCOMPARE(d.count(), 0);
        for (Dataset* ds : m.findChildren<Dataset*>()) {
            if (auto* t = qobject_cast<Table*>(ds); t && t->masterSource()) continue;
            ds->open();
            QVERIFY2(ds->isActive(), qPrintable(ds->objectName()));
        }
    }

    void decliningEndsWithTheSchemaBeforeTheStep() {
        TestEnv env;
        createBaseSchemaDatabase(env.databasePath());
        {
            platform::ScopedScriptedDialogs d;
            QVERIFY(!start(d, {Answer::Ja, Answer::Abbrechen}));
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(seen(d), applied({1}) << "ask Update-Nr. 2");
        }
        {
            // Step 1 stays applied (committed when the program ended); step 2 not.
            auto c = env.connect();
            QVERIFY(sqlutil::works(*c, "select count(*) from trainer"));
            QVERIFY(sqlutil::works(*c, "select minteilnehmer from kurse"));
            QVERIFY(!sqlutil::works(*c, "select anzahl_teilnehmer from kurse"));
            QVERIFY(!sqlutil::works(*c, "select count(*) from kurstermine"));
        }
        // The next start begins with step 2.
        platform::ScopedScriptedDialogs d;
        QVERIFY(!start(d, {Answer::Abbrechen}));
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(seen(d), QStringList{"ask Update-Nr. 2"});
    }

    void partlyUpgradedDatabasesGetTheRemainingSteps_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("13") << 13 << QList<int>{14};
        QTest::newRow("12") << 12 << QList<int>{13, 14};
        QTest::newRow("11") << 11 << QList<int>{12, 13, 14};
        QTest::newRow("10") << 10 << QList<int>{11, 12, 13, 14};
        QTest::newRow("9") << 9 << QList<int>{10, 11, 12, 13, 14};
        QTest::newRow("4 (version column still empty)") << 4 << QList<int>{5, 6, 7, 9, 10, 11, 12, 13, 14};
    }
    void partlyUpgradedDatabasesGetTheRemainingSteps() {
        QFETCH(int, version);
        QFETCH(QList<int>, steps);
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), version);
        platform::ScopedScriptedDialogs d;
        QVERIFY(start(d, QList<Answer>(steps.size(), Answer::Ja)));
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(seen(d), applied(steps));
        auto c = env.connect();
        QCOMPARE(lastUpdate(*c), 14);
        QCOMPARE(sqlutil::value(*c, "select count(*) from kurse where kursnr = -1").toInt(), 1);
    }

    // A database whose SYSTEMDATEN row is gone gets the row back with the
    // version its schema shows, and only the steps after that version run;
    // the start after it is silent.
    void missingSystemRowComesBack_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("13") << 13 << QList<int>{14};
        QTest::newRow("12") << 12 << QList<int>{13, 14};
        QTest::newRow("10") << 10 << QList<int>{11, 12, 13, 14};
        QTest::newRow("4: no version yet") << 4 << QList<int>{5, 6, 7, 9, 10, 11, 12, 13, 14};
    }
    void missingSystemRowComesBack() {
        QFETCH(int, version);
        QFETCH(QList<int>, steps);
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), version);
        {
            auto c = env.connect();
            sqlutil::exec(*c, "delete from systemdaten");
        }
        {
            platform::ScopedScriptedDialogs d;
            QVERIFY(start(d, QList<Answer>(steps.size(), Answer::Ja)));
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(seen(d), applied(steps));
        }
        {
            auto c = env.connect();
            QCOMPARE(sqlutil::value(*c, "select count(*) from systemdaten").toInt(), 1);
            QCOMPARE(lastUpdate(*c), 14);
        }
        platform::ScopedScriptedDialogs d;
        QVERIFY(start(d, {}));
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.count(), 0);
    }

    void step13SetsTheBirthDateFromTheYear() {
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), 12);
        {
            auto c = env.connect();
            sqlutil::exec(*c, "insert into kunden (kndnr, name) values (1, \"Meier\")");
            sqlutil::exec(*c, "insert into hunde (hundnr, kndnr, name, geburtsjahr) values (1, 1, \"Rex\", 1999)");
            sqlutil::exec(*c, "insert into hunde (hundnr, kndnr, name) values (2, 1, \"Bello\")");
            sqlutil::exec(*c, "insert into hunde (hundnr, kndnr, name, geburtsjahr) values (3, 1, \"Luna\", 2003)");
        }
        platform::ScopedScriptedDialogs d;
        d.setAcknowledgeMessages(true);
        d.expectConfirm(Answer::Ja);
        d.expectConfirm(Answer::Ja);
        Tdm m;
        QVERIFY(m.DataModuleCreate());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(seen(d), applied({13, 14}));
        // Committed by the step itself: another attachment sees it while the
        // program still runs.
        auto c = env.connect();
        QCOMPARE(lastUpdate(*c), 14);
        QCOMPARE(sqlutil::value(*c, "select geboren_am from hunde where hundnr = 1").toDateTime(),
                 makeDateTime(QDate(1999, 1, 1)));
        QVERIFY(sqlutil::value(*c, "select geboren_am from hunde where hundnr = 2").isNull());
        QCOMPARE(sqlutil::value(*c, "select geboren_am from hunde where hundnr = 3").toDateTime(),
                 makeDateTime(QDate(2003, 1, 1)));
    }

    // Today's database gets the invoices: the customers stay, the billing
    // data's row is there, and the database refuses to change an issued
    // invoice.
    void step14AddsInvoicesToTodaysDatabase() {
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), 13);
        {
            auto c = env.connect();
            sqlutil::exec(*c, "insert into kunden (kndnr, name) values (1, \"Meier\")");
        }
        {
            platform::ScopedScriptedDialogs d;
            QVERIFY(start(d, {Answer::Ja}));
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(seen(d), applied({14}));
        }
        auto c = env.connect();
        QCOMPARE(lastUpdate(*c), 14);
        QCOMPARE(sqlutil::value(*c, "select name from kunden where kndnr = 1").toString(), QString("Meier"));
        QCOMPARE(sqlutil::value(*c, "select nummernmuster from rechnungsdaten").toString(),
                 QString("RE-{JJJJ}-{NNNN}"));
        sqlutil::exec(*c, "insert into rechnungen (renr, nummer, art, status, brutto) values (1, \"RE-2026-0001\", "
                          "\"R\", \"A\", 10)");
        QVERIFY(!sqlutil::works(*c, "update rechnungen set brutto = 0 where renr = 1"));
        QCOMPARE(sqlutil::value(*c, "select brutto from rechnungen").toDouble(), 10.0);
    }

    // A step 14 that failed after its tables were committed goes on with
    // the triggers at the next start.
    void step14GoesOnWhereItFailed() {
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), 13);
        {
            auto c = env.connect();
            sqlutil::exec(*c, "create exception rechnung_unveraenderlich 'alt'");
        }
        {
            platform::ScopedScriptedDialogs d;
            QVERIFY(!start(d, {Answer::Ja}));
            KYN_VERIFY_DIALOGS(d);
            QVERIFY(d.lastText().endsWith("'Update 14 fehlgeschlagen.'"));
        }
        {
            auto c = env.connect();
            QCOMPARE(lastUpdate(*c), 13);
            QVERIFY(sqlutil::works(*c, "select count(*) from mahnungen"));
            sqlutil::exec(*c, "drop exception rechnung_unveraenderlich");
        }
        {
            platform::ScopedScriptedDialogs d;
            QVERIFY(start(d, {Answer::Ja}));
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(seen(d), applied({14}));
        }
        auto c = env.connect();
        QCOMPARE(lastUpdate(*c), 14);
        QCOMPARE(sqlutil::value(*c, "select count(*) from rdb$triggers where rdb$trigger_name starting with "
                                    "'RECHNUNG'").toInt(),
                 4);
        QCOMPARE(sqlutil::value(*c, "select count(*) from rechnungsdaten").toInt(), 1);
    }

    void failingGuardedStepShowsTheFailureAndEnds_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("sabotage");
        QTest::addColumn<int>("step");
        // A step 13 that failed after its first commit left the column behind.
        QTest::newRow("13, first statement") << 12 << "alter table hunde add geboren_am date" << 13;
        // Step 11's third statement fails; the first two are taken back.
        QTest::newRow("11, third statement")
            << 10 << "create table kurs_dokumente (kursnr integer not null, doknr integer not null)" << 11;
        // Step 14's fifth table is there already: its first stage is taken back.
        QTest::newRow("14, fifth table") << 13 << "create table zahlungen (x integer)" << 14;
    }
    void failingGuardedStepShowsTheFailureAndEnds() {
        QFETCH(int, version);
        QFETCH(QString, sabotage);
        QFETCH(int, step);
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), version);
        {
            auto c = env.connect();
            sqlutil::exec(*c, sabotage);
        }
        platform::ScopedScriptedDialogs d;
        QVERIFY(!start(d, {Answer::Ja}));
        KYN_VERIFY_DIALOGS(d);
        const QString failure = QString(
            "Es trat ein Fehler beim Updaten der Datenbank auf. Bitte starten Sie Ihren Rechner neu und "
            "versuchen Sie es noch einmal. Schlägt auch der nächste Versuch fehl, spielen Sie bitte die "
            "Sicherung ein, starten Sie Ihren Rechner erneut und versuchen Sie es ein drittes Mal. Schlägt "
            "auch dieser Versuch fehl, nehmen Sie bitte über Email (support@kynovia.de oder "
            "hilfe@kynovia.de) Kontakt mit dem Hersteller dieser Software auf. Geben Sie dabei an: "
            "'Update %1 fehlgeschlagen.'")
                                    .arg(step);
        QCOMPARE(seen(d), (QStringList{QString("ask Update-Nr. %1").arg(step), "msg " + failure}));
        QCOMPARE(d.shown().last().icon, platform::Icon::Error);

        auto c = env.connect();
        QCOMPARE(lastUpdate(*c), version);
        if (step == 11) {
            // Rolled back: the database is as before the step.
            QVERIFY(sqlutil::works(*c, "select kursnr from dokumente"));
            QVERIFY(!sqlutil::works(*c, "select count(*) from vorlagen_dokumente"));
        }
        if (step == 14) {
            QVERIFY(!sqlutil::works(*c, "select count(*) from rechnungsdaten"));
            QVERIFY(!sqlutil::works(*c, "select count(*) from rechnungen"));
        }
    }

    void failedGuardedStepKeepsTheEarlierSteps() {
        // Step 1 does not commit; the rollback of a failing step 11 must not
        // take it along.
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), 10);
        {
            auto c = env.connect();
            sqlutil::exec(*c, "drop table trainer");
            sqlutil::exec(*c, "create table kurs_dokumente (kursnr integer not null, doknr integer not null)");
        }
        platform::ScopedScriptedDialogs d;
        QVERIFY(!start(d, {Answer::Ja, Answer::Ja}));
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(seen(d).mid(0, 3), applied({1}) << "ask Update-Nr. 11");
        QVERIFY(d.lastText().endsWith("'Update 11 fehlgeschlagen.'"));
        auto c = env.connect();
        QVERIFY(sqlutil::works(*c, "select count(*) from trainer"));
        QVERIFY(sqlutil::works(*c, "select kursnr from dokumente"));
        QCOMPARE(lastUpdate(*c), 10);
    }

    void failingUnguardedStepIsReportedAndTheStartGoesOn() {
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), 5);
        {
            auto c = env.connect();
            sqlutil::exec(*c, "create table vorlagen_kurstermine (x integer)");
        }
        {
            platform::ScopedScriptedDialogs d;
            d.setAcknowledgeMessages(true);
            d.expectConfirm(Answer::Ja);
            Tdm m;
            QVERIFY(m.DataModuleCreate());
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(seen(d).size(), 2);
            QCOMPARE(d.shown().last().kind, BoxKind::Error);
            QVERIFY2(d.lastText().contains("VORLAGEN_KURSTERMINE", Qt::CaseInsensitive), qPrintable(d.lastText()));
            QVERIFY(m.idb->isOpen());
        }
        // Step 6's first two statements were taken back, so the next start
        // offers it again.
        {
            auto c = env.connect();
            QVERIFY(!sqlutil::works(*c, "select uhrzeit from kurstermine"));
            QVERIFY(!sqlutil::works(*c, "select count(*) from vorlagen_kurse"));
            QCOMPARE(lastUpdate(*c), 5);
        }
        platform::ScopedScriptedDialogs d;
        QVERIFY(!start(d, {Answer::Abbrechen}));
        QCOMPARE(seen(d), QStringList{"ask Update-Nr. 6"});
    }

    void missingDatabaseFile_data() {
        QTest::addColumn<bool>("create");
        QTest::newRow("create it") << true;
        QTest::newRow("decline") << false;
    }
    void missingDatabaseFile() {
        QFETCH(bool, create);
        TestEnv env;
        QDir(env.home()).rmdir("db");  // the folder is made as well
        const QString path = env.databasePath();
        platform::ScopedScriptedDialogs d;
        d.expectConfirm(create ? Answer::Ja : Answer::Nein,
                        "Die Datenbank \"" + path + "\" ist nicht vorhanden.\r\r"
                        "Soll dort eine neue, leere Datenbank angelegt werden?");
        if (!create) d.expectMessage();
        bool goesOn;
        {
            Tdm m;
            goesOn = m.DataModuleCreate();
        }
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(goesOn, create);
        QCOMPARE(QFile::exists(path), create);
        if (create) {
            auto c = env.connect();
            QCOMPARE(lastUpdate(*c), 14);
            QCOMPARE(sqlutil::value(*c, "select count(*) from kurse where kursnr = -1").toInt(), 1);
        } else {
            QVERIFY(d.lastText().contains(path));
            QVERIFY(!d.lastText().contains("Update-Nr."));
        }
    }

    // The first start of a user (the default place, no data directory yet)
    // makes the data directory and the database without a question; a
    // missing database anywhere else is asked for (missingDatabaseFile).
    void firstStartOfUser_data() {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<bool>("first");
        QTest::newRow("default place, no data directory") << "erststart" << true;
        QTest::newRow("default place, data directory there") << "ordner da" << false;
        QTest::newRow("KYNOVIA_HOME names a missing folder") << "kynovia_home" << false;
        QTest::newRow("KYNOVIA_DATABASE names another file") << "kynovia_database" << false;
    }
    void firstStartOfUser() {
        QFETCH(QString, fall);
        QFETCH(bool, first);
        TestEnv env;
        const QString xdg = env.home() + "/xdg";
        const QString standard = xdg + "/kynovia/db/kynoviadb";
        std::unique_ptr<EnvOverride> home = fall == "kynovia_home"
            ? std::make_unique<EnvOverride>("KYNOVIA_HOME", (xdg + "/kynovia").toLocal8Bit())
            : std::make_unique<EnvOverride>("KYNOVIA_HOME", QByteArray(), true);
        EnvOverride data("XDG_DATA_HOME", xdg.toLocal8Bit());
        EnvOverride database("KYNOVIA_DATABASE", (env.home() + "/anders/kynoviadb").toLocal8Bit(),
                             fall != "kynovia_database");
        if (fall == "ordner da") QVERIFY(QDir().mkpath(xdg + "/kynovia"));
        const QString path = platform::databasePath();
        QCOMPARE(path, fall == "kynovia_database" ? env.home() + "/anders/kynoviadb" : standard);
        QCOMPARE(upgrade::firstStartOfUser(path), first);
        if (!first) return;

        platform::ScopedScriptedDialogs d;  // no box at all
        {
            Tdm m;
            QVERIFY(m.DataModuleCreate());
        }
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(d.shown().isEmpty());
        Connection c;
        c.setDatabaseName(standard);
        c.open();
        QCOMPARE(lastUpdate(c), 14);
        // The next start is no first start any more.
        QVERIFY(!upgrade::firstStartOfUser(path));
    }

    void databaseInUseByAnotherProgram() {
        const QString isql = QStandardPaths::findExecutable("isql-fb");
        if (isql.isEmpty()) QSKIP("isql-fb is not installed");
        TestEnv env;
        env.createDatabase();
        // A second process attached with the embedded engine holds the file.
        QProcess holder;
        holder.start(isql, {"-user", "sysdba", "-q", env.databasePath()});
        QVERIFY(holder.waitForStarted());
        holder.write("select 'ATTACHED' from rdb$database;\n");
        QByteArray out;
        while (!out.contains("ATTACHED") && holder.waitForReadyRead(20000)) out += holder.readAll();
        QVERIFY2(out.contains("ATTACHED"), out.constData());

        platform::ScopedScriptedDialogs d;
        d.expectMessage();
        {
            Tdm m;
            QVERIFY(!m.DataModuleCreate());
        }
        holder.write("quit;\n");
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(20000));
        KYN_VERIFY_DIALOGS(d);
        const QString text = d.lastText();
        QCOMPARE(d.shown().last().icon, platform::Icon::Error);
        QVERIFY2(text.startsWith("Die Datenbank \"" + env.databasePath() + "\" konnte nicht geöffnet werden."),
                 qPrintable(text));
        QVERIFY2(text.contains("bereits von einem anderen Programm verwendet"), qPrintable(text));
        QVERIFY2(text.contains("already opened"), qPrintable(text));  // the server's reason

        // Once the other program has let go, the start works.
        platform::ScopedScriptedDialogs again;
        Tdm m;
        QVERIFY(m.DataModuleCreate());
        QCOMPARE(again.count(), 0);
    }

    void otherOpenFailuresEndTheStartWithAMessage_data() {
        QTest::addColumn<QString>("database");  // empty: a folder at the database's path
        QTest::addColumn<QString>("hint");
        QTest::newRow("a folder instead of the file") << QString() << "Ordner";
        QTest::newRow("server not reachable") << "localhost/1:/tmp/kynovia-none.fdb" << "nicht erreichbar";
    }
    void otherOpenFailuresEndTheStartWithAMessage() {
        QFETCH(QString, database);
        QFETCH(QString, hint);
        TestEnv env;
        QString name = database;
        if (name.isEmpty()) {
            name = env.databasePath();
            QVERIFY(QDir().mkpath(name));
        }
        EnvOverride db("KYNOVIA_DATABASE", name.toLocal8Bit());
        // A server is only asked with a login of its own.
        EnvOverride user("KYNOVIA_USER", "schule");
        EnvOverride password("KYNOVIA_PASSWORD", "geheim");
        platform::ScopedScriptedDialogs d;
        d.expectMessage();
        {
            Tdm m;
            QVERIFY(!m.DataModuleCreate());
        }
        KYN_VERIFY_DIALOGS(d);
        QVERIFY2(d.lastText().startsWith("Die Datenbank \"" + name + "\" konnte nicht geöffnet werden."),
                 qPrintable(d.lastText()));
        QVERIFY2(d.lastText().contains(hint), qPrintable(d.lastText()));
        QVERIFY(d.lastText().contains("Meldung des Datenbankservers:"));
    }
};

KYN_TEST(SchemaUpgradeTest)
#include "upgrade_test.moc"
