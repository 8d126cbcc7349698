// A day's work keeps the database able to clean up: with the whole program
// running (data module, planner module, customer window), a thousand saves
// through the customer window, with the event loop between them, leave the
// database header's oldest snapshot close behind the next transaction.
// Nothing the program keeps open pins it.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

#include "common/testregistry.h"
#include "customers/kundenstamm.h"
#include "data/datenmodul.h"
#include "db/connection.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "shell/programm.h"
#include "shelltestutil.h"
#include "widgets/dbnavigator.h"

namespace {

struct Kopf {
    qint64 naechste = 0, aeltesteAktive = 0, aeltesterSnapshot = 0;
};

// The header as the monitoring tables show it, read on the program's own
// connection in a transaction of this test.
Kopf kopf(db::Connection* c) {
    db::Transaction t(c, db::Transaction::Isolation::ReadCommitted);
    db::Statement s(c, &t);
    s.prepare(QStringLiteral("select mon$next_transaction, mon$oldest_active, mon$oldest_snapshot from mon$database"));
    s.open();
    Kopf k;
    if (s.fetch()) {
        k.naechste = s.value(0).toLongLong();
        k.aeltesteAktive = s.value(1).toLongLong();
        k.aeltesterSnapshot = s.value(2).toLongLong();
    }
    s.close();
    t.commit();
    return k;
}

}  // namespace

class TransaktionenTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QApplication::closeAllWindows(); }

    void tausendSpeichernHaltenNichtsFest() {
        TestEnv env;
        shelltest::createDatabase(env);
        {
            auto c = env.connect();
            c->executeImmediate("update systemdaten set erststarthilfe = 0");
            c->executeImmediate("insert into kunden (kndnr, name, vname) values (1, 'Altbestand', 'Anna')");
            c->executeImmediate("insert into hunde (hundnr, kndnr, name) values (1, 1, 'Bello')");
        }
        // The breed list, read from the current directory.
        QFile::copy(shelltest::sourceDir() + QStringLiteral("/resources/rassen.txt"),
                    env.home() + QStringLiteral("/rassen.txt"));
        const QString vorherOrdner = QDir::currentPath();
        QDir::setCurrent(env.home());
        platform::ScopedScriptedDialogs d;
        auto programm = std::make_unique<Programm>();
        QVERIFY(programm->starten());
        programm->hauptfenster()->resize(1280, 900);
        programm->hauptfenster()->show();
        QVERIFY(QTest::qWaitForWindowExposed(programm->hauptfenster()));
        frm_main->kundenanzeigen(Fenstermodus::Bearbeiten);
        Tfrm_kunden* k = frm_kunden.data();
        QVERIFY(k);
        QApplication::processEvents();
        const Kopf vorher = kopf(dm->idb.get());
        for (int i = 0; i < 1000; ++i) {
            dm->ibt_kunde->edit();
            dm->ibt_kunde->fieldByName("TEL")->setAsString(QString::number(i));
            k->DBNavigator2->btnClick(widgets::DbNavigator::Post);
            QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Browse);
            QApplication::processEvents();
        }
        const Kopf nachher = kopf(dm->idb.get());
        qInfo("vorher: Next %lld, Oldest active %lld, Oldest snapshot %lld", vorher.naechste, vorher.aeltesteAktive,
              vorher.aeltesterSnapshot);
        qInfo("nachher: Next %lld, Oldest active %lld, Oldest snapshot %lld", nachher.naechste,
              nachher.aeltesteAktive, nachher.aeltesterSnapshot);
        QVERIFY(nachher.naechste >= vorher.naechste + 1000);
        QVERIFY2(nachher.naechste - nachher.aeltesterSnapshot < 50,
                 qPrintable(QStringLiteral("Next %1, Oldest snapshot %2").arg(nachher.naechste).arg(nachher.aeltesterSnapshot)));
        QVERIFY(nachher.naechste - nachher.aeltesteAktive < 50);
        // Every save is in the database for everyone else.
        {
            auto c = env.connect();
            db::Transaction t(c.get());
            db::Statement s(c.get(), &t);
            QCOMPARE(s.scalar("select tel from kunden where kndnr = 1").toString(), QStringLiteral("999"));
            s.close();
            t.commit();
        }
        programm.reset();
        QDir::setCurrent(vorherOrdner);
        KYN_VERIFY_DIALOGS(d);
    }
};

KYN_TEST(TransaktionenTest)
#include "transaktionen_test.moc"
