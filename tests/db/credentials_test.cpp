// Which login a database on a server is opened with.
#include <QFile>
#include <QDir>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>
#include <QTest>

#include "db/connection.h"
#include "db/credentials.h"
#include "db/error.h"
#include "platform/envoverride.h"
#include "testregistry.h"

using namespace db;

class CredentialsTest : public QObject {
    Q_OBJECT
private slots:
    void serverNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("host");
        QTest::newRow("file") << "/var/lib/kynovia/kynoviadb" << false << "";
        QTest::newRow("relative") << "./db/kynoviadb" << false << "";
        QTest::newRow("plain") << "kynoviadb" << false << "";
        QTest::newRow("drive") << "c:\\kynovia\\db\\kynoviadb" << false << "";
        QTest::newRow("host") << "schulserver:/var/lib/kynovia/kynoviadb" << true << "schulserver";
        QTest::newRow("port") << "127.0.0.1/3051:/srv/k.fdb" << true << "127.0.0.1/3051";
    }
    void serverNames() {
        QFETCH(QString, name);
        QFETCH(bool, server);
        QFETCH(QString, host);
        QCOMPARE(isServerName(name), server);
        if (server) QCOMPARE(serverOf(name), host);
    }

    // Environment first (the program's own variables before Firebird's), then
    // the connection file; a file others may read is refused; a file is
    // never opened with a login for a server.
    void sources_data() {
        QTest::addColumn<QByteArrayList>("env");  // KYNOVIA_USER, KYNOVIA_PASSWORD, ISC_USER, ISC_PASSWORD ("-": unset)
        QTest::addColumn<QString>("file");        // contents of verbindung.conf ("-": none)
        QTest::addColumn<int>("mode");            // its permissions
        QTest::addColumn<QString>("user");        // expected login, empty: refused
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");     // part of the refusal
        const QByteArrayList none{"-", "-", "-", "-"};
        QTest::newRow("kynovia") << QByteArrayList{"schule", "pw1", "isc", "pw2"} << "benutzer = f\npasswort = x\n"
                                 << 0600 << "schule" << "pw1" << "";
        QTest::newRow("isc") << QByteArrayList{"-", "-", "isc", "pw2"} << "-" << 0600 << "isc" << "pw2" << "";
        QTest::newRow("file") << none << "# Anmeldung\nbenutzer = schule\npasswort = ge heim\n" << 0600
                              << "schule" << "ge heim" << "";
        QTest::newRow("no password") << QByteArrayList{"schule", "-", "-", "-"} << "-" << 0600 << ""
                                     << "" << "KYNOVIA_PASSWORD";
        QTest::newRow("nothing") << none << "-" << 0600 << "" << "" << "ist kein Benutzer angegeben";
        QTest::newRow("readable") << none << "benutzer = s\npasswort = p\n" << 0644 << "" << ""
                                  << "auch für andere Benutzer lesbar";
        QTest::newRow("group") << none << "benutzer = s\npasswort = p\n" << 0640 << "" << ""
                               << "chmod 600";
        QTest::newRow("incomplete") << none << "benutzer = s\n" << 0600 << "" << "" << "passwort = ...";
    }
    // The connection file is checked by what was opened: it must be the
    // user's own regular file with no rights for anybody else, also behind
    // a link.
    void connectionFileOfAnother_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");  // empty: accepted
        QTest::newRow("own") << "own" << "";
        QTest::newRow("link to own") << "link own" << "";
        QTest::newRow("another's") << "other" << "gehört nicht Ihnen";
        QTest::newRow("link to another's") << "link other" << "gehört nicht Ihnen";
        QTest::newRow("written by others") << "0602" << "chmod 600";
        QTest::newRow("group bit") << "0610" << "chmod 600";
        QTest::newRow("a folder") << "folder" << "keine gewöhnliche Datei";
    }
    void connectionFileOfAnother() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        if (::geteuid() != 0 && kind.contains("other")) QSKIP("a file of another user needs root to be made");
        QTemporaryDir dir;
        EnvOverride config("KYNOVIA_CONFIG", dir.path().toLocal8Bit());
        EnvOverride u = EnvOverride::unset("KYNOVIA_USER");
        EnvOverride iu = EnvOverride::unset("ISC_USER");
        const QString path = connectionFilePath();
        const QString real = kind.startsWith("link") ? dir.filePath("woanders.conf") : path;
        if (kind == "folder") {
            QVERIFY(QDir().mkdir(path));
        } else {
            QFile f(real);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("benutzer = schule\npasswort = geheim\n");
            f.close();
            QCOMPARE(::chmod(QFile::encodeName(real).constData(), kind.startsWith("0") ? kind.toInt(nullptr, 8) : 0600),
                     0);
            if (kind.endsWith("other")) QCOMPARE(::chown(QFile::encodeName(real).constData(), 65534, 65534), 0);
            if (kind.startsWith("link")) QVERIFY(QFile::link(real, path));
        }
        try {
            const Credentials c = serverCredentials("schulserver:/srv/kynovia/kynoviadb");
            QVERIFY2(message.isEmpty(), "not refused");
            QCOMPARE(c.user, QString("schule"));
            QCOMPARE(c.password, QString("geheim"));
        } catch (const Error& e) {
            QVERIFY2(!message.isEmpty() && e.message().contains(message), qPrintable(e.message()));
        }
    }

    void sources() {
        QFETCH(QByteArrayList, env);
        QFETCH(QString, file);
        QFETCH(int, mode);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QTemporaryDir dir;
        EnvOverride config("KYNOVIA_CONFIG", dir.path().toLocal8Bit());
        const char* names[] = {"KYNOVIA_USER", "KYNOVIA_PASSWORD", "ISC_USER", "ISC_PASSWORD"};
        std::vector<std::unique_ptr<EnvOverride>> vars;
        for (int i = 0; i < 4; ++i)
            vars.push_back(std::make_unique<EnvOverride>(names[i], env[i], env[i] == "-"));
        if (file != "-") {
            QFile f(connectionFilePath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(file.toUtf8());
            f.close();
            QVERIFY(f.setPermissions(QFileDevice::Permissions(
                ((mode & 0400) ? QFileDevice::ReadOwner : 0) | ((mode & 0200) ? QFileDevice::WriteOwner : 0) |
                ((mode & 0040) ? QFileDevice::ReadGroup : 0) | ((mode & 0004) ? QFileDevice::ReadOther : 0))));
        }
        const QString name = QStringLiteral("schulserver:/srv/kynovia/kynoviadb");
        if (user.isEmpty()) {
            try {
                serverCredentials(name);
                QFAIL("no refusal");
            } catch (const Error& e) {
                QVERIFY2(e.message().contains(message), qPrintable(e.message()));
            }
            // A connection to the server is refused before anything is sent.
            Connection c;
            c.setDatabaseName(name);
            QVERIFY_THROWS_EXCEPTION(Error, c.open());
        } else {
            const Credentials c = serverCredentials(name);
            QCOMPARE(c.user, user);
            QCOMPARE(c.password, password);
        }
        // Whatever is configured for servers, a file uses the program's own user.
        QCOMPARE(credentialsFor(dir.path() + "/db").user, embeddedCredentials().user);
        Connection c;
        c.setDatabaseName(name);
        if (!user.isEmpty()) QVERIFY(c.login().password != embeddedCredentials().password);
    }
};

KYN_TEST(CredentialsTest)
#include "credentials_test.moc"
