// Several workstations on one Firebird server.
//
// The test starts a Firebird server of its own on 127.0.0.1 (testserver.sh,
// Debian's server run as the test's user, stopped at the end), creates the
// database on it with the program's schema code, and runs workstations as
// child processes of this executable (KYN_CHILD=arbeitsplatz): each holds
// the program's data module on the server database and takes commands, one
// a line, on its standard input. What they saved is checked with SQL.
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <memory>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <iostream>
#include <string>

#include "data/backup.h"
#include "data/datenmodul.h"
#include "data/rechnungen.h"
#include "data/schema.h"
#include "data/upgrade.h"
#include "shell/Main.h"
#include "db/error.h"
#include "db/statement.h"
#include "platform/application.h"
#include "platform/envoverride.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"

using namespace db;

namespace {

const char schuleUser[] = "SCHULE";
const char schulePassword[] = "Hundeschule-7";

// ---------------------------------------------------------------------------
// The workstation: the program's data module, driven line by line.
//
//   anlegen N NAME     N customers "NAME-i", each with a dog "NAME-i", a course
//                      "NAME-i" and the dog as its participant; answers
//                      "ok" or the first failure
//   oeffne             opens the customers
//   gehe KNDNR         makes that customer current
//   setze FELD WERT    edits the current customer (not saved)
//   speichere          saves ("ok" or the message)
//   speichere_oft N    N saves of the current customer's phone number, each
//                      an edit and a post with the event loop after it
//   wert FELD          the current customer's value
//   aktualisiere       the navigator's refresh
//   zaehle             customers as the open window sees them
//   meldungen          the boxes shown since the last time, " | "-separated
//   rechnungen N KNDNR N invoices to that customer, each drafted and issued
//                      on its own; "ok" or the first failure
//   hauptfenster       makes the program's main window (not shown)
//   verbindung         "da" or "verloren" (the connection to the server)
//   knopf              whether the main window offers "Erneut verbinden"
//                      ("sichtbar" or "versteckt")
//   verbinde           clicks "Erneut verbinden"; answers as verbindung
//   schliesse          closes the main window, answering "Ja" to the question
//                      whether to end without what could not be saved;
//                      "beendet" ends the workstation

QString reply(const std::function<QString()>& f) {
    try {
        return f();
    } catch (const Error& e) {
        return QStringLiteral("fehler ") + e.message();
    } catch (const ConvertError& e) {
        return QStringLiteral("fehler ") + e.message();
    } catch (const Abort&) {
        return QStringLiteral("fehler abgebrochen");
    }
}

// The program commits every save before it waits for the user again: the
// workstation goes back to its event loop, and the program's own commit
// runs (or does not).
void gespeichert(Tdm&) { QCoreApplication::processEvents(); }

int arbeitsplatz() {
    platform::ScopedScriptedDialogs dialogs;
    dialogs.setAcknowledgeMessages(true);
    Tdm dm;
    try {
        dm.connectTo(qEnvironmentVariable("KYN_DATENBANK"));
    } catch (const Error& e) {
        std::printf("fehler %s\n", qPrintable(e.message()));
        return 1;
    }
    Table* kunde = dm.ibt_kunde;
    std::unique_ptr<Tfrm_main> haupt;
    std::printf("bereit\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        const QString cmd = QString::fromStdString(line).trimmed();
        const QStringList w = cmd.split(QLatin1Char(' '));
        QString answer;
        if (w[0] == "anlegen") {
            answer = reply([&] {
                const int n = w[1].toInt();
                if (!kunde->isActive()) kunde->open();
                dm.ibt_kunde_hunde->open();
                dm.ibt_kurse->open();
                for (int i = 0; i < n; ++i) {
                    const QString name = w[2] + QLatin1Char('-') + QString::number(i);
                    kunde->append();
                    kunde->fieldByName("NAME")->setAsString(name);
                    kunde->post();
                    gespeichert(dm);
                    dm.ibt_kunde_hunde->append();
                    dm.ibt_kunde_hunde->fieldByName("NAME")->setAsString(name);
                    dm.ibt_kunde_hunde->post();
                    gespeichert(dm);
                    dialogs.expectConfirm(platform::Answer::Ja, QStringLiteral("Neuen Kurs einfügen ?"));
                    dm.ibt_kurse->append();
                    dm.ibt_kurse->fieldByName("KURSNAME")->setAsString(name);
                    dm.ibt_kurse->post();
                    gespeichert(dm);
                    dm.teilnehmerEinfuegen(dm.ibt_kurse->fieldByName("KURSNR")->asInteger(),
                                           kunde->fieldByName("KNDNR")->asInteger(),
                                           dm.ibt_kunde_hunde->fieldByName("HUNDNR")->asInteger());
                    gespeichert(dm);
                }
                return QStringLiteral("ok");
            });
        } else if (w[0] == "oeffne") {
            answer = reply([&] {
                kunde->open();
                return QStringLiteral("ok");
            });
        } else if (w[0] == "gehe") {
            answer = reply([&] {
                return kunde->locate("KNDNR", w[1].toInt()) ? QStringLiteral("ok") : QStringLiteral("fehlt");
            });
        } else if (w[0] == "setze") {
            answer = reply([&] {
                kunde->edit();
                kunde->fieldByName(w[1])->setAsString(w.mid(2).join(QLatin1Char(' ')));
                return QStringLiteral("ok");
            });
        } else if (w[0] == "speichere") {
            answer = reply([&] {
                kunde->post();
                gespeichert(dm);
                return QStringLiteral("ok");
            });
        } else if (w[0] == "speichere_oft") {
            answer = reply([&] {
                for (int i = 0; i < w[1].toInt(); ++i) {
                    kunde->edit();
                    kunde->fieldByName("TEL")->setAsString(QString::number(i));
                    kunde->post();
                    gespeichert(dm);
                }
                return QStringLiteral("ok");
            });
        } else if (w[0] == "wert") {
            answer = reply([&] { return kunde->fieldByName(w[1])->asString(); });
        } else if (w[0] == "zustand") {
            answer = kunde->isEditing() ? QStringLiteral("bearbeiten") : QStringLiteral("anzeigen");
        } else if (w[0] == "aktualisiere") {
            answer = reply([&] {
                kunde->refresh();
                return QStringLiteral("ok");
            });
        } else if (w[0] == "zaehle") {
            answer = reply([&] {
                kunde->fetchAll();
                return QString::number(kunde->recordCount());
            });
        } else if (w[0] == "rechnungen") {
            answer = reply([&] {
                rechnungen::Position p;
                p.text = QStringLiteral("Einzelstunde");
                p.einzelpreis = 4500;
                for (int i = 0; i < w[1].toInt(); ++i) {
                    const int renr = rechnungen::entwurfAnlegen(dm.idb.get(), w[2].toInt(), {p});
                    rechnungen::ausstellen(dm.idb.get(), renr, QDate::currentDate());
                }
                return QStringLiteral("ok");
            });
        } else if (w[0] == "hauptfenster") {
            haupt = std::make_unique<Tfrm_main>(dm);
            haupt->beenden = [] {};
            answer = QStringLiteral("ok");
        } else if (w[0] == "verbindung") {
            answer = dm.verbindungVerloren() ? QStringLiteral("verloren") : QStringLiteral("da");
        } else if (w[0] == "knopf") {
            answer = haupt && !haupt->b_wiederverbinden->isHidden() ? QStringLiteral("sichtbar")
                                                                   : QStringLiteral("versteckt");
        } else if (w[0] == "verbinde") {
            if (haupt) haupt->b_wiederverbinden->click();
            answer = dm.verbindungVerloren() ? QStringLiteral("verloren") : QStringLiteral("da");
        } else if (w[0] == "schliesse") {
            dialogs.expectConfirm(platform::Answer::Ja, Tfrm_main::frageVerbindungVerlorenBeenden());
            const bool zu = haupt && haupt->close();
            answer = zu ? QStringLiteral("beendet") : QStringLiteral("offen");
            if (zu) {
                std::printf("%s\n", answer.toUtf8().constData());
                std::fflush(stdout);
                break;
            }
        } else if (w[0] == "meldungen") {
            answer = dialogs.texts().join(QStringLiteral(" | "));
            dialogs.clear();
        } else if (w[0] == "ende") {
            break;
        } else {
            answer = QStringLiteral("fehler unbekannter Befehl ") + cmd;
        }
        answer.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
        std::printf("%s\n", answer.toUtf8().constData());
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

KYN_CHILD(arbeitsplatz, arbeitsplatz)

namespace {

// The parent's side of one workstation.
class Arbeitsplatz {
public:
    explicit Arbeitsplatz(const QString& database) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KYN_CHILD", "arbeitsplatz");
        env.insert("KYN_DATENBANK", database);
        m_p.setProcessEnvironment(env);
        m_p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_p.start(QCoreApplication::applicationFilePath(), QStringList());
    }
    ~Arbeitsplatz() { beenden(); }
    // Ends the workstation as the user closes the program.
    void beenden() {
        if (m_p.state() == QProcess::NotRunning) return;
        m_p.write("ende\n");
        m_p.closeWriteChannel();
        if (!m_p.waitForFinished(30000)) m_p.kill();
        m_p.waitForFinished(5000);
    }
    // Whether the workstation ended by itself (within half a minute).
    bool endetVonSelbst() { return m_p.waitForFinished(30000) && m_p.exitCode() == 0; }
    // The next line the workstation writes (empty after two minutes of silence).
    QString line() {
        while (!m_p.canReadLine()) {
            if (!m_p.waitForReadyRead(120000)) return QString();
        }
        return QString::fromUtf8(m_p.readLine()).trimmed();
    }
    void send(const QString& command) { m_p.write((command + QLatin1Char('\n')).toUtf8()); }
    QString befehl(const QString& command) {
        send(command);
        return line();
    }

private:
    QProcess m_p;
};

}  // namespace

class WorkstationsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_script;
    QString m_database;
    QString m_server;
    QString m_port;
    bool m_started = false;

    QVariant sql(const QString& text) {
        Connection c;
        c.setDatabaseName(m_database);
        c.open();
        Transaction t(&c);
        Statement s(&c, &t);
        const QVariant v = s.scalar(text);
        s.close();
        t.commit();
        return v;
    }
    void exec(const QString& text) {
        Connection c;
        c.setDatabaseName(m_database);
        c.open();
        c.executeImmediate(text);
    }

    // The server stopped as a crash or a shutdown stops it, and started
    // again on its port.
    void stopServer() {
        QProcess p;
        p.start("bash", {m_script, "stop", m_dir.path()});
        QVERIFY(p.waitForFinished(60000));
    }
    void startServer() {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start("bash", {m_script, "start", m_dir.path(), schuleUser, schulePassword, m_port});
        QVERIFY(p.waitForFinished(120000));
        QVERIFY2(p.exitCode() == 0, "der Firebird-Server startet nicht wieder");
        QCOMPARE(QString::fromLatin1(p.readAllStandardOutput()).trimmed(), m_port);
    }

private slots:
    void initTestCase() {
        m_script = qEnvironmentVariable("KYNOVIA_SOURCE_DIR") + "/tests/workstations/testserver.sh";
        QVERIFY2(QFileInfo::exists(m_script), qPrintable(m_script));
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start("bash", {m_script, "start", m_dir.path(), schuleUser, schulePassword});
        QVERIFY(p.waitForFinished(120000));
        QVERIFY2(p.exitCode() == 0, "der Firebird-Server startet nicht");
        m_started = true;
        const QString port = QString::fromLatin1(p.readAllStandardOutput()).trimmed();
        m_port = port;
        m_server = "127.0.0.1/" + port;
        m_database = m_server + ":" + m_dir.path() + "/data/kynoviadb";
        qputenv("KYNOVIA_USER", schuleUser);
        qputenv("KYNOVIA_PASSWORD", schulePassword);
        qputenv("KYNOVIA_CONFIG", m_dir.path().toLocal8Bit());
        schema::createDatabase(m_database);
        QCOMPARE(sql("select mon$owner from mon$database").toString().trimmed(), QString(schuleUser));
    }

    void cleanupTestCase() {
        if (!m_started) return;
        QProcess p;
        p.start("bash", {m_script, "stop", m_dir.path()});
        p.waitForFinished(60000);
    }

    // A wrong password, or none at all, is refused with a German message
    // that names the server; the embedded password is not tried.
    void anmeldung_data() {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QString>("text");
        QTest::newRow("falsch") << QByteArray(schuleUser) << QByteArray("falsch")
                                << QString("hat die Anmeldung als \"SCHULE\" abgelehnt");
        QTest::newRow("eingebaut") << QByteArray("sysdba") << QByteArray("quendelix")
                                   << QString("hat die Anmeldung als \"sysdba\" abgelehnt");
        QTest::newRow("keiner") << QByteArray() << QByteArray() << QString("ist kein Benutzer angegeben");
    }
    void anmeldung() {
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, password);
        QFETCH(QString, text);
        EnvOverride u("KYNOVIA_USER", user, user.isEmpty());
        EnvOverride pw("KYNOVIA_PASSWORD", password, user.isEmpty());
        EnvOverride iu = EnvOverride::unset("ISC_USER");
        platform::ScopedScriptedDialogs d;
        d.expectMessage();
        Tdm dm;
        QVERIFY(!upgrade::openDatabase(dm, m_database));
        KYN_VERIFY_DIALOGS(d);
        QVERIFY2(d.lastText().contains(text), qPrintable(d.lastText()));
        QVERIFY2(d.lastText().contains("\"" + m_server + "\""), qPrintable(d.lastText()));
    }

    // Two workstations enter customers, dogs, courses and participants at
    // the same time: every row of both is kept, with numbers of their own,
    // and the links between them stay right.
    void gleichzeitigAnlegen() {
        const int n = 40;
        Arbeitsplatz a(m_database), b(m_database);
        QCOMPARE(a.line(), QString("bereit"));
        QCOMPARE(b.line(), QString("bereit"));
        a.send(QString("anlegen %1 A").arg(n));
        b.send(QString("anlegen %1 B").arg(n));
        QCOMPARE(a.line(), QString("ok"));
        QCOMPARE(b.line(), QString("ok"));
        QCOMPARE(a.befehl("meldungen"), QString("Neuen Kurs einfügen ?") + QString(" | Neuen Kurs einfügen ?").repeated(n - 1));
        QCOMPARE(b.befehl("meldungen"), QString("Neuen Kurs einfügen ?") + QString(" | Neuen Kurs einfügen ?").repeated(n - 1));

        const QString both = " starting \"A-\" or %1 starting \"B-\"";
        QCOMPARE(sql("select count(*) from kunden where name" + both.arg("name")).toInt(), 2 * n);
        QCOMPARE(sql("select count(*) from hunde where name" + both.arg("name")).toInt(), 2 * n);
        QCOMPARE(sql("select count(*) from kurse where kursname" + both.arg("kursname")).toInt(), 2 * n);
        // Each dog belongs to the customer of its name, each participant is
        // that dog in the course of its name.
        QCOMPARE(sql("select count(*) from hunde h join kunden k on k.kndnr = h.kndnr where h.name = k.name "
                     "and (k.name starting \"A-\" or k.name starting \"B-\")")
                     .toInt(),
                 2 * n);
        QCOMPARE(sql("select count(*) from teilnehmer t join kurse c on c.kursnr = t.kursnr "
                     "join hunde h on h.hundnr = t.hundnr join kunden k on k.kndnr = t.kndnr "
                     "where c.kursname = h.name and h.name = k.name")
                     .toInt(),
                 2 * n);
    }

    // Two workstations issue 50 invoices each at the same time: the numbers
    // of the year are 1 to 100, none missing, none twice.
    void rechnungsnummernOhneLueckeUndDoppelte() {
        exec("update systemdaten set hundeschule = \"Hundeschule am Deich\"");
        exec("update rechnungsdaten set steuernummer = \"15/293/01234\"");
        exec("insert into kunden (kndnr, name) values (9300, \"Rechnung\")");
        const int n = 50;
        Arbeitsplatz a(m_database), b(m_database);
        QCOMPARE(a.line(), QString("bereit"));
        QCOMPARE(b.line(), QString("bereit"));
        a.send(QString("rechnungen %1 9300").arg(n));
        b.send(QString("rechnungen %1 9300").arg(n));
        QCOMPARE(a.line(), QString("ok"));
        QCOMPARE(b.line(), QString("ok"));
        QCOMPARE(sql("select count(*) from rechnungen where status = 'A'").toInt(), 2 * n);
        QCOMPARE(sql("select count(distinct nummer) from rechnungen where status = 'A'").toInt(), 2 * n);
        const QString jahr = QString::number(QDate::currentDate().year());
        for (int i = 1; i <= 2 * n; ++i) {
            const QString nummer = QString("RE-%1-%2").arg(jahr).arg(i, 4, 10, QLatin1Char('0'));
            QVERIFY2(sql("select count(*) from rechnungen where nummer = '" + nummer + "'").toInt() == 1,
                     qPrintable(nummer));
        }
        QCOMPARE(sql("select zaehler from rechnungszaehler where jahr = " + jahr).toInt(), 2 * n);
    }

    // What one workstation saved shows on the other after a refresh of the
    // window, without starting the program again.
    void sichtbarNachAktualisieren() {
        exec("insert into kunden (kndnr, name) values (9050, \"Vorher\")");
        Arbeitsplatz a(m_database), b(m_database);
        QCOMPARE(a.line(), QString("bereit"));
        QCOMPARE(b.line(), QString("bereit"));
        QCOMPARE(a.befehl("oeffne"), QString("ok"));
        QCOMPARE(b.befehl("oeffne"), QString("ok"));
        const int before = b.befehl("zaehle").toInt();
        QCOMPARE(a.befehl("anlegen 1 Sichtbar"), QString("ok"));
        QCOMPARE(a.befehl("gehe 9050"), QString("ok"));
        QCOMPARE(a.befehl("setze NAME Neu"), QString("ok"));
        QCOMPARE(a.befehl("speichere"), QString("ok"));
        QCOMPARE(b.befehl("aktualisiere"), QString("ok"));
        QCOMPARE(b.befehl("zaehle").toInt(), before + 1);
        QCOMPARE(b.befehl("gehe 9050"), QString("ok"));
        QCOMPARE(b.befehl("wert NAME"), QString("Neu"));
    }

    // A customer changed and saved on one workstation, then changed on the
    // other: the second save does not overwrite the first without a word.
    // The row is read again and the user's own change stays in the form, to
    // be saved again; a change of another column is merged.
    void aenderungNichtUeberschrieben() {
        exec("insert into kunden (kndnr, name, vname, ort) values (9001, \"Alt\", \"Anna\", \"Köln\")");
        Arbeitsplatz a(m_database), b(m_database);
        QCOMPARE(a.line(), QString("bereit"));
        QCOMPARE(b.line(), QString("bereit"));
        for (Arbeitsplatz* w : {&a, &b}) {
            QCOMPARE(w->befehl("oeffne"), QString("ok"));
            QCOMPARE(w->befehl("gehe 9001"), QString("ok"));
        }
        QCOMPARE(a.befehl("setze NAME Erster"), QString("ok"));
        QCOMPARE(a.befehl("speichere"), QString("ok"));
        QCOMPARE(b.befehl("setze NAME Zweiter"), QString("ok"));
        const QString conflict = b.befehl("speichere");
        QVERIFY2(conflict.startsWith("fehler ") && conflict.contains("an einem anderen Arbeitsplatz geändert"),
                 qPrintable(conflict));
        QCOMPARE(sql("select name from kunden where kndnr = 9001").toString(), QString("Erster"));
        // The user's own change is still there, on the row as read again.
        QCOMPARE(b.befehl("zustand"), QString("bearbeiten"));
        QCOMPARE(b.befehl("wert NAME"), QString("Zweiter"));
        QCOMPARE(b.befehl("speichere"), QString("ok"));
        QCOMPARE(sql("select name from kunden where kndnr = 9001").toString(), QString("Zweiter"));

        // Different columns: both changes are kept.
        QCOMPARE(a.befehl("setze VNAME Berta"), QString("ok"));
        QCOMPARE(a.befehl("speichere"), QString("ok"));
        QCOMPARE(b.befehl("setze ORT Bonn"), QString("ok"));
        QCOMPARE(b.befehl("speichere"), QString("ok"));
        QCOMPARE(sql("select vname || \" \" || ort from kunden where kndnr = 9001").toString(), QString("Berta Bonn"));
    }

    // Two workstations save all day: a thousand saves each, with the event
    // loop between them, and the database header, read while both still
    // run, shows the oldest snapshot close behind the next transaction.
    // Nothing a workstation keeps open keeps the server from collecting old
    // record versions.
    void nichtsHaeltDieDatenbankFest() {
        exec("insert into kunden (kndnr, name) values (9201, \"Tag A\")");
        exec("insert into kunden (kndnr, name) values (9202, \"Tag B\")");
        Arbeitsplatz a(m_database), b(m_database);
        QCOMPARE(a.line(), QString("bereit"));
        QCOMPARE(b.line(), QString("bereit"));
        QCOMPARE(a.befehl("oeffne"), QString("ok"));
        QCOMPARE(b.befehl("oeffne"), QString("ok"));
        QCOMPARE(a.befehl("gehe 9201"), QString("ok"));
        QCOMPARE(b.befehl("gehe 9202"), QString("ok"));
        // The header in one read: Next, Oldest active, Oldest snapshot.
        const auto kopf = [&] {
            Connection c;
            c.setDatabaseName(m_database);
            c.open();
            Transaction t(&c, Transaction::Isolation::ReadCommitted);
            Statement s(&c, &t);
            s.prepare("select mon$next_transaction, mon$oldest_active, mon$oldest_snapshot from mon$database");
            s.open();
            QString out;
            if (s.fetch())
                out = QString("%1 %2 %3").arg(s.value(0).toLongLong()).arg(s.value(1).toLongLong()).arg(s.value(2).toLongLong());
            s.close();
            t.commit();
            return out;
        };
        qInfo("vorher: %s", qPrintable(kopf()));
        a.send("speichere_oft 1000");
        b.send("speichere_oft 1000");
        QCOMPARE(a.line(), QString("ok"));
        QCOMPARE(b.line(), QString("ok"));
        const QString nachher = kopf();
        qInfo("nachher: %s", qPrintable(nachher));
        const QStringList z = nachher.split(' ');
        QCOMPARE(z.size(), 3);
        QVERIFY2(z[0].toLongLong() - z[2].toLongLong() < 50, qPrintable(nachher));
        QVERIFY2(z[0].toLongLong() - z[1].toLongLong() < 50, qPrintable(nachher));
        QCOMPARE(sql("select tel from kunden where kndnr = 9201").toString(), QString("999"));
        QCOMPARE(sql("select tel from kunden where kndnr = 9202").toString(), QString("999"));
        // One workstation closed: the other still holds nothing.
        a.beenden();
        QCOMPARE(b.befehl("speichere_oft 10"), QString("ok"));
        const QStringList danach = kopf().split(' ');
        QCOMPARE(danach.size(), 3);
        QVERIFY2(danach[0].toLongLong() - danach[2].toLongLong() < 50, qPrintable(danach.join(' ')));
    }

    // The server goes away while a user has typed a change: the save says
    // in German that the connection is lost, the change stays in the form,
    // and every later try says the same. Once the server is back, the
    // program connects again ("Erneut verbinden", or by itself on the next
    // save) and the change is saved. With the server gone again, the program
    // can still be closed: it asks whether to end without the change.
    void verbindungVerloren() {
        exec("insert into kunden (kndnr, name) values (9990, \"Vorher\")");
        Arbeitsplatz a(m_database);
        QCOMPARE(a.line(), QString("bereit"));
        QCOMPARE(a.befehl("hauptfenster"), QString("ok"));
        QCOMPARE(a.befehl("oeffne"), QString("ok"));
        QCOMPARE(a.befehl("gehe 9990"), QString("ok"));
        QCOMPARE(a.befehl("setze NAME Getippt"), QString("ok"));
        QCOMPARE(a.befehl("knopf"), QString("versteckt"));
        stopServer();
        const QString verloren = "fehler Die Verbindung zur Datenbank \"" + m_database + "\" ist unterbrochen.";
        for (int versuch = 0; versuch < 2; ++versuch) {
            const QString antwort = a.befehl("speichere");
            QVERIFY2(antwort.startsWith(verloren), qPrintable(antwort));
            QVERIFY2(antwort.contains("Was Sie eingegeben haben, bleibt im Fenster erhalten."), qPrintable(antwort));
            QCOMPARE(a.befehl("zustand"), QString("bearbeiten"));
            QCOMPARE(a.befehl("wert NAME"), QString("Getippt"));
            QCOMPARE(a.befehl("verbindung"), QString("verloren"));
            QCOMPARE(a.befehl("knopf"), QString("sichtbar"));
        }
        // Asked to connect while the server is still away: the same message.
        QCOMPARE(a.befehl("verbinde"), QString("verloren"));
        QVERIFY2(a.befehl("meldungen").contains("ist unterbrochen"), "keine Meldung");
        startServer();
        QCOMPARE(a.befehl("verbinde"), QString("da"));
        QCOMPARE(a.befehl("knopf"), QString("versteckt"));
        QCOMPARE(a.befehl("wert NAME"), QString("Getippt"));
        QCOMPARE(a.befehl("speichere"), QString("ok"));
        QCOMPARE(sql("select name from kunden where kndnr = 9990").toString(), QString("Getippt"));
        // Without the button: the next save connects by itself.
        stopServer();
        QCOMPARE(a.befehl("setze NAME Zweimal"), QString("ok"));
        QVERIFY(a.befehl("speichere").startsWith(verloren));
        startServer();
        QCOMPARE(a.befehl("speichere"), QString("ok"));
        QCOMPARE(sql("select name from kunden where kndnr = 9990").toString(), QString("Zweimal"));
        QCOMPARE(a.befehl("aktualisiere"), QString("ok"));
        QVERIFY(a.befehl("zaehle").toInt() > 0);
        // Gone again, with a change typed: closing ends the program.
        QCOMPARE(a.befehl("setze NAME Verworfen"), QString("ok"));
        a.befehl("meldungen");
        stopServer();
        QCOMPARE(a.befehl("schliesse"), QString("beendet"));
        QVERIFY(a.endetVonSelbst());
        startServer();
        QCOMPARE(sql("select name from kunden where kndnr = 9990").toString(), QString("Zweimal"));
    }

    // The backup menu on a workstation: the server's backup service writes
    // the backup and sends it to the file chosen on the workstation; it
    // holds what the server holds (restored here with the embedded engine).
    // Restoring into the server database from a workstation is refused.
    void sicherungVomServer() {
        exec("insert into kunden (kndnr, name) values (9100, \"Gesichert\")");
        const int kunden = sql("select count(*) from kunden").toInt();
        Tdm dm;
        dm.connectTo(m_database);
        const QString file = m_dir.path() + "/arbeitsplatz/kynovia.fbk";
        QDir().mkpath(m_dir.path() + "/arbeitsplatz");
        {
            platform::ScopedScriptedDialogs d;
            d.expectSaveFile(file);
            d.expectMessage("Die Datensicherung wurde erstellt:\r" + file);
            QVERIFY(backup::createBackupInteractive(dm));
            KYN_VERIFY_DIALOGS(d);
        }
        QVERIFY(backup::readHeader(file).valid);
        const QString local = m_dir.path() + "/arbeitsplatz/zurueck.fdb";
        backup::restoreBackup(file, local);
        Connection c;
        c.setDatabaseName(local);
        c.open();
        {
            Transaction t(&c);
            Statement st(&c, &t);
            QCOMPARE(st.scalar("select count(*) from kunden").toInt(), kunden);
            QCOMPARE(st.scalar("select name from kunden where kndnr = 9100").toString(), QString("Gesichert"));
            st.close();
            t.commit();
        }
        c.close();

        platform::ScopedScriptedDialogs d;
        d.expectMessage("Die Datenbank \"" + m_database + "\" liegt auf dem Datenbankserver \"" + m_server +
                        "\". Von einem Arbeitsplatz aus wird dort keine Datensicherung eingespielt: andere "
                        "Arbeitsplätze können gerade mit der Datenbank arbeiten, und was sie speichern, ginge "
                        "verloren.\r\rDie jetzigen Daten bleiben unverändert. Eine Sicherung wird auf dem Server "
                        "selbst eingespielt, während niemand mit Kynovia arbeitet (kynovia-admin restore).");
        QCOMPARE(backup::restoreInteractive(dm), backup::RestoreResult::Failed);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(d.lastText().contains("\"" + m_server + "\""));
        QVERIFY(dm.idb->isOpen());
        QCOMPARE(sql("select count(*) from kunden").toInt(), kunden);
    }
};

KYN_TEST(WorkstationsTest)
#include "workstations_test.moc"
