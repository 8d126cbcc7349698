// What a login sends over the network: nothing for a database file, SRP
// only for a server.
//
// A child process of this executable (KYN_CHILD=anmelden) opens the database
// named in KYN_DATABASE. Its Firebird root ($FIREBIRD) is a folder of the
// test whose configuration points the client's port at a plain TCP listener
// of the test, which stands in for a Firebird server on this machine: should
// the embedded engine fail to open a file and Firebird try its network
// providers, the listener gets what they send.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "db/connection.h"
#include "db/error.h"
#include "tcplauscher.h"
#include "testregistry.h"

namespace {

int anmelden() {
    db::Connection c;
    c.setDatabaseName(qEnvironmentVariable("KYN_DATABASE"));
    try {
        c.open();
        std::printf("offen\n");
    } catch (const db::Error& e) {
        std::printf("%s\n", e.message().toLocal8Bit().constData());
    }
    return 0;
}

}  // namespace

KYN_CHILD(anmelden, anmelden)

class AnmeldungTest : public QObject {
    Q_OBJECT
private slots:
    void nichtsVerraten_data() {
        QTest::addColumn<QString>("database");  // "%1": the listener's port, "%2": a folder
        QTest::addColumn<bool>("contact");      // whether the listener is reached at all
        // A folder is a file the engine cannot open.
        QTest::newRow("datei") << "%2" << false;
        QTest::newRow("server") << "127.0.0.1/%1:/srv/kynovia/kynoviadb" << true;
    }
    void nichtsVerraten() {
        QFETCH(QString, database);
        QFETCH(bool, contact);
        QTemporaryDir root;
        QVERIFY(root.isValid());

        TcpLauscher listener;
        QVERIFY(listener.port() > 0);

        // The system's Firebird files with a configuration of the test's own.
        QString system;
        for (const QString& arch : QDir("/usr/lib").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (QFileInfo::exists("/usr/lib/" + arch + "/firebird/3.0/plugins"))
                system = "/usr/lib/" + arch + "/firebird/3.0";
        if (system.isEmpty()) QSKIP("Debian's Firebird 3 files (/usr/lib/*/firebird/3.0) are not there");
        for (const char* f : {"plugins", "lib", "firebird.msg", "intl", "UDF", "plugins.conf"})
            QVERIFY(QFile::link(system + "/" + f, root.filePath(f)));
        QFile conf(root.filePath("firebird.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("RemoteServicePort = %1\n").arg(listener.port()).toLatin1());
        conf.close();
        QVERIFY(QDir(root.path()).mkdir("ordner"));

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KYN_CHILD", "anmelden");
        env.insert("FIREBIRD", root.path());
        env.insert("KYN_DATABASE", QString(database)
                                       .replace("%1", QString::number(listener.port()))
                                       .replace("%2", root.filePath("ordner")));
        env.insert("KYNOVIA_USER", "SCHULE");
        env.insert("KYNOVIA_PASSWORD", "geheimes-passwort");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        // The listener answers nothing and closes each line after the first
        // bytes, so the child ends either way.
        QTRY_VERIFY_WITH_TIMEOUT((listener.poll(), child.state() == QProcess::NotRunning), 60000);
        listener.poll();
        const QString said = QString::fromLocal8Bit(child.readAllStandardOutput());
        QVERIFY2(!said.contains("offen"), qPrintable(said));
        const QByteArray received = listener.received();

        if (!contact) {
            QVERIFY2(listener.connections() == 0 && received.isEmpty(), received.constData());
            return;
        }
        QVERIFY(!received.isEmpty());
        // SRP only: the client offers no plugin that would send a hash of the
        // password, and the password itself never leaves.
        QVERIFY2(received.contains("Srp"), received.toHex().constData());
        QVERIFY2(!received.contains("Legacy_Auth"), received.constData());
        QVERIFY(!received.contains("geheimes-passwort"));
    }
};

KYN_TEST(AnmeldungTest)
#include "anmeldung_test.moc"
