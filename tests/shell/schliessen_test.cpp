// Closing the program keeps what was typed: the whole program is started,
// a text is typed into a bound control of one window and left there (no
// save, the focus still in the control), then the main window is closed and
// the program ends. The next start finds the text in the database. An edit
// that cannot be saved keeps the program open with the text as typed.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>

#include "common/falscheeingaben.h"
#include "common/testregistry.h"
#include "customers/kundenstamm.h"
#include "data/datenmodul.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "shell/notizblock.h"
#include "shell/programm.h"
#include "shelltestutil.h"
#include "widgets/dbedit.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"

namespace {

QVariant wert(const TestEnv& env, const QString& sql) {
    auto c = env.connect();
    db::Transaction t(c.get());
    db::Statement s(c.get(), &t);
    const QVariant v = s.scalar(sql);
    t.commit();
    return v;
}

// The bound control of `window` that shows `field` of `ds`.
QWidget* gebunden(QWidget* window, db::Dataset* ds, const QString& field) {
    if (!window) return nullptr;
    for (auto* e : window->findChildren<widgets::DbEdit*>())
        if (e->dataSource() && e->dataSource()->dataset() == ds &&
            e->dataField().compare(field, Qt::CaseInsensitive) == 0 && e->isVisibleTo(window))
            return e;
    for (auto* m : window->findChildren<widgets::DbMemo*>())
        if (m->dataSource() && m->dataSource()->dataset() == ds &&
            m->dataField().compare(field, Qt::CaseInsensitive) == 0)
            return m;
    // A grid column: the cell of the current row, its editor opened by
    // typing as a user does.
    for (auto* g : window->findChildren<widgets::DbGrid*>()) {
        if (g->dataset() != ds || !g->isVisibleTo(window)) continue;
        const int spalte = falsch::spalteVon(g, field);
        if (spalte < 0) continue;
        g->setFocus();
        g->setSelectedIndex(spalte);
        return g;
    }
    return nullptr;
}

// Focus into the control and type, as a user would; the text is not saved.
void tippe(QWidget* w, const QString& text, bool ersetzen = false) {
    QWidget* top = w->window();
    top->show();
    QApplication::setActiveWindow(top);
    top->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(top));
    w->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    if (auto* g = qobject_cast<widgets::DbGrid*>(w)) {
        // Typing into the cell opens its editor with what was typed.
        g->edit(g->currentIndex());
        QApplication::processEvents();
        w = g->cellEditor();
        QVERIFY(w);
    }
    if (auto* line = qobject_cast<QLineEdit*>(w)) line->end(false);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) memo->moveCursor(QTextCursor::End);
    if (ersetzen) QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w, text);
}

struct Start {
    std::unique_ptr<Programm> programm;
    int beendet = 0;
    bool start() {
        programm = std::make_unique<Programm>();
        if (!programm->starten()) return false;
        programm->hauptfenster()->beenden = [this] { ++beendet; };
        programm->hauptfenster()->resize(1280, 900);
        programm->hauptfenster()->show();
        return QTest::qWaitForWindowExposed(programm->hauptfenster());
    }
};

// A child process: the whole program with a posted customer and a typed,
// unposted one, waiting in its event loop for a signal from outside.
int warteAufSignal() {
    platform::ScopedScriptedDialogs d;
    d.setAcknowledgeMessages(true);
    int rc = 0;
    {
        Programm p;
        if (!p.starten()) return 2;
        p.beiSignalenBeenden();
        p.hauptfenster()->show();
        frm_main->kundenanzeigen(Fenstermodus::Neu);
        dm->ibt_kunde->fieldByName("NAME")->setAsString("Gepostet");
        dm->ibt_kunde->post();
        frm_main->kundenanzeigen(Fenstermodus::Neu);
        QWidget* name = gebunden(frm_main->findChild<QWidget*>("frm_kunden"), dm->ibt_kunde, "NAME");
        if (!name) return 3;
        tippe(name, "Getippt");
        std::printf("BEREIT\n");
        std::fflush(stdout);
        rc = QApplication::exec();
    }
    for (const QString& t : d.texts()) std::fprintf(stderr, "Meldung: %s\n", qPrintable(t));
    return d.count() == 0 ? rc : 4;
}

}  // namespace

KYN_CHILD(warteAufSignal, warteAufSignal)

class TestSchliessen : public QObject {
    Q_OBJECT

    // A school with a customer, a dog, a course with one date: rows to edit.
    static void schule(TestEnv& env) {
        shelltest::createDatabase(env);
        auto c = env.connect();
        db::Transaction t(c.get());
        db::Statement s(c.get(), &t);
        for (const char* sql :
             {"update systemdaten set erststarthilfe = 0",
              "insert into kunden (kndnr, name, vname) values (1, 'Altbestand', 'Anna')",
              "insert into hunde (hundnr, kndnr, name) values (1, 1, 'Bello')",
              "insert into kurse (kursnr, kursart, kursname, status) values (1, 'Ju', 'Welpen', 'A')",
              "insert into kurstermine (kursnr, datum, thema) values (1, '2026-12-01 18:00', 'Start')",
              "insert into dokumente (doknr, dokumentname, dokumentart, pfad) values (1, 'Info', 'I', '/tmp/info.pdf')"}) {
            s.prepare(QString::fromUtf8(sql));
            s.execute();
        }
        t.commit();
        // The breed list, read from the current directory.
        QFile::copy(shelltest::sourceDir() + QStringLiteral("/resources/rassen.txt"),
                    env.home() + QStringLiteral("/rassen.txt"));
    }

private slots:
    // Log-out, shutdown or a kill from outside: the program ends as if its
    // main window were closed, and nothing typed is lost (the database
    // library's own handler would shut the engine down under the program).
    void signalFromOutsideEndsInOrder_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void signalFromOutsideEndsInOrder() {
        QFETCH(int, signal);
        TestEnv env;
        schule(env);
        QProcess kind;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("KYN_CHILD", "warteAufSignal");
        e.insert("KYNOVIA_HOME", env.home());
        e.insert("QT_QPA_PLATFORM", "offscreen");
        kind.setProcessEnvironment(e);
        kind.setWorkingDirectory(env.home());
        kind.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(kind.waitForStarted());
        QByteArray aus;
        while (!aus.contains("BEREIT") && kind.waitForReadyRead(60000)) aus += kind.readAllStandardOutput();
        QVERIFY2(aus.contains("BEREIT"), kind.readAllStandardError().constData());
        ::kill(pid_t(kind.processId()), signal);
        QVERIFY(kind.waitForFinished(60000));
        const QByteArray fehler = kind.readAllStandardError();
        QCOMPARE(kind.exitStatus(), QProcess::NormalExit);
        QVERIFY2(kind.exitCode() == 0, fehler.constData());
        QCOMPARE(wert(env, "select count(*) from kunden where name in ('Gepostet', 'Getippt')").toInt(), 2);
    }

    void cleanup() {
        // A failed test may leave a window behind.
        QApplication::closeAllWindows();
    }

    void pendingEditsKeptAtClose_data() {
        QTest::addColumn<QString>("fenster");
        QTest::addColumn<QString>("tabelle");
        QTest::addColumn<QString>("feld");
        QTest::addColumn<QString>("pruefung");  // select count(*) ... = 1 after the restart

        QTest::newRow("new customer") << "kunden4" << "ibt_kunde" << "NAME"
                                      << "select count(*) from kunden where name = 'Schließer'";
        QTest::newRow("customer's dog") << "kunden3" << "ibt_kunde_hunde" << "NAME"
                                        << "select count(*) from hunde where hundnr = 1 and name = 'BelloSchließer'";
        QTest::newRow("dog search window") << "hunde5" << "ibt_hunde" << "NAME"
                                           << "select count(*) from hunde where hundnr = 1 and name = 'BelloSchließer'";
        QTest::newRow("course description") << "kurse0" << "ibt_kurse" << "BESCHREIBUNG"
                                            << "select count(*) from kurse where kursnr = 1 and beschreibung = 'Schließer'";
        QTest::newRow("new trainer") << "trainer4" << "ibt_trainer" << "NAME"
                                     << "select count(*) from trainer where name = 'Schließer'";
        QTest::newRow("document name cell") << "dokumente1" << "ibt_dokumente" << "DOKUMENTNAME"
                                            << "select count(*) from dokumente where dokumentname = 'InfoSchließer'";
        QTest::newRow("course name cell") << "kurse0" << "ibt_kurse" << "KURSNAME"
                                          << "select count(*) from kurse where kursname = 'WelpenSchließer'";
        QTest::newRow("notepad") << "notizblock" << "ibt_notizblock" << "NOTIZ"
                                 << "select count(*) from notizblock where notiz = 'Schließer'";
    }
    void pendingEditsKeptAtClose() {
        QFETCH(QString, fenster);
        QFETCH(QString, tabelle);
        QFETCH(QString, feld);
        QFETCH(QString, pruefung);
        TestEnv env;
        schule(env);
        QDir::setCurrent(env.home());
        {
            platform::ScopedScriptedDialogs d;
            Start s;
            QVERIFY(s.start());
            Tfrm_main& m = *frm_main;
            QWidget* w = nullptr;
            if (fenster == "notizblock") {
                frm_notizblock->show();
                w = frm_notizblock;
            } else {
                const QString name = fenster.left(fenster.size() - 1);
                const int mode = fenster.right(1).toInt();
                if (name == "kunden") m.kundenanzeigen(Fenstermodus(mode));
                else if (name == "hunde") m.hundeanzeigen(Fenstermodus(mode));
                else if (name == "kurse") m.kurseanzeigen(Fenstermodus(mode));
                else if (name == "trainer") m.traineranzeigen(Fenstermodus(mode));
                else if (name == "dokumente") m.dokumenteverwaltunganzeigen(Fenstermodus(mode));
                w = m.findChild<QWidget*>("frm_" + name);
            }
            QVERIFY2(w, qPrintable(fenster));
            auto* ds = dm->findChild<db::Dataset*>(tabelle);
            QVERIFY2(ds, qPrintable(tabelle));
            if (fenster == "hunde5") {
                ds->first();
            }
            QWidget* control = gebunden(w, ds, feld);
            QVERIFY2(control, qPrintable(tabelle + "." + feld));
            tippe(control, "Schließer");
            QVERIFY(ds->state() != db::DatasetState::Browse);
            QVERIFY(m.close());
            QCOMPARE(s.beendet, 1);
            KYN_VERIFY_DIALOGS(d);
        }
        QVERIFY(!dm);
        QVERIFY2(wert(env, pruefung).toInt() == 1,
                 qPrintable(wert(env, "select count(*) || ':' || max(hundnr) || ':' || max(name) || ':' || min(name) from hunde").toString()));
    }

    // Text that the field cannot take: the close is refused with the
    // conversion message, the program goes on with the text as typed; once
    // mended, the close goes through and the row is kept.
    void unsavableEditKeepsTheProgramOpen_data() {
        QTest::addColumn<QString>("tabelle");
        QTest::addColumn<QString>("feld");
        QTest::addColumn<QString>("falsch");
        QTest::addColumn<QString>("richtig");
        QTest::addColumn<QString>("pruefung");
        QTest::addColumn<int>("modus");
        QTest::newRow("admission date") << "ibt_kunde" << "AUFGENOMMEN_AM" << "31.02.2026" << "28.02.2026"
                                        << "select count(*) from kunden where aufgenommen_am = '2026-02-28'" << 1;
        QTest::newRow("dog's birthday") << "ibt_kunde_hunde" << "GEBOREN_AM" << "gestern" << "01.05.2022"
                                        << "select count(*) from hunde where geboren_am = '2022-05-01'" << 3;
    }
    void unsavableEditKeepsTheProgramOpen() {
        QFETCH(QString, tabelle);
        QFETCH(QString, feld);
        QFETCH(QString, falsch);
        QFETCH(QString, richtig);
        QFETCH(QString, pruefung);
        QFETCH(int, modus);
        TestEnv env;
        schule(env);
        QDir::setCurrent(env.home());
        {
            platform::ScopedScriptedDialogs d;
            Start s;
            QVERIFY(s.start());
            Tfrm_main& m = *frm_main;
            m.kundenanzeigen(Fenstermodus(modus));
            QWidget* w = m.findChild<QWidget*>("frm_kunden");
            QVERIFY(w);
            auto* ds = dm->findChild<db::Dataset*>(tabelle);
            QVERIFY(ds && ds->isActive());
            auto* edit = qobject_cast<widgets::DbEdit*>(gebunden(w, ds, feld));
            QVERIFY2(edit, qPrintable(feld));
            tippe(edit, falsch, true);
            d.expectError();
            QVERIFY(!m.close());
            KYN_VERIFY_DIALOGS(d);
            QVERIFY2(d.lastText().contains(falsch), qPrintable(d.lastText()));
            QCOMPARE(s.beendet, 0);
            QVERIFY(m.isVisible());
            QVERIFY(ds->state() != db::DatasetState::Browse);
            QCOMPARE(edit->text(), falsch);
            // Mended, the program ends and keeps the row.
            tippe(edit, richtig, true);
            QVERIFY(m.close());
            QCOMPARE(s.beendet, 1);
            KYN_VERIFY_DIALOGS(d);
        }
        QCOMPARE(wert(env, pruefung).toInt(), 1);
    }
};

KYN_TEST(TestSchliessen)
#include "schliessen_test.moc"
