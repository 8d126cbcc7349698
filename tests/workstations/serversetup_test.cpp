// scripts/server-setup.sh changes nothing it did not create.
//
// The script runs for real on a temporary folder, with stand-ins for what
// belongs to the machine's Firebird server (its configuration and user
// database are files of the test; the service, isql and kynovia-admin are
// small scripts that write down how they were called; a plain TCP listener
// stands in for the server's port). What the script does to folders and
// files is checked.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tcplauscher.h"
#include "testregistry.h"

namespace {

void writeFile(const QString& path, const QByteArray& text, int mode = 0644) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(text);
    f.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Owner {
    uid_t uid = 0;
    gid_t gid = 0;
    mode_t mode = 0;
    bool operator==(const Owner&) const = default;
};
Owner ownerOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return {st.st_uid, st.st_gid, mode_t(st.st_mode & 07777)};
}

}  // namespace

class ServerSetupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (::geteuid() != 0) QSKIP("server-setup.sh runs as root only");
        if (!::getpwnam("firebird")) QSKIP("no user firebird (Debian package firebird3.0-server)");
    }

    void folders_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("user");
        // An existing folder of somebody else (as /srv or a home folder).
        QTest::newRow("existing folder") << "existing" << "SCHULE";
        // A folder the script creates is the server's.
        QTest::newRow("new folder") << "new" << "SCHULE";
        // SYSDBA is refused before anything happens.
        QTest::newRow("SYSDBA") << "existing" << "sysdba";
    }
    void folders() {
        QFETCH(QString, kind);
        QFETCH(QString, user);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString log = dir.filePath("aufrufe.log");
        const QString folder = dir.filePath(kind == "existing" ? "srv" : "neu/kynovia");
        const QString database = folder + "/kynoviadb";
        if (kind == "existing") {
            QVERIFY(QDir().mkdir(folder));
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0750), 0);
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), 0, 0), 0);
        }
        const Owner before = ownerOf(folder);

        const QByteArray conf = "# Firebird\nRemoteBindAddress = localhost\n#DatabaseAccess = Full\n"
                                "DatabaseAccess = Full\n";
        writeFile(dir.filePath("firebird.conf"), conf);
        writeFile(dir.filePath("security3.fdb"), "");
        // The stand-ins write their call (and isql what it was given) into the log.
        writeFile(dir.filePath("isql.sh"), "#!/bin/sh\n{ echo \"isql $*\"; cat; } >> \"" + log.toUtf8() + "\"\n", 0755);
        writeFile(dir.filePath("dienst.sh"), "#!/bin/sh\necho \"dienst $*\" >> \"" + log.toUtf8() + "\"\n", 0755);
        writeFile(dir.filePath("admin.sh"),
                  "#!/bin/sh\necho \"admin $*\" >> \"" + log.toUtf8() +
                      "\"\n[ \"$1\" = create ] && : > \"${2#*:}\"\nexit 0\n",
                  0755);
        TcpLauscher port;
        QVERIFY(port.port() > 0);

        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KYNOVIA_PASSWORD", "Hundeschule-7");
        env.insert("KYNOVIA_SETUP_PACKAGES", "0");
        env.insert("KYNOVIA_FIREBIRD_CONF", dir.filePath("firebird.conf"));
        env.insert("KYNOVIA_FIREBIRD_SECDB", dir.filePath("security3.fdb"));
        env.insert("KYNOVIA_FIREBIRD_PORT", QString::number(port.port()));
        env.insert("KYNOVIA_FIREBIRD_PROCESS", "kein-firebird-server-" + QString::number(::getpid()));
        env.insert("KYNOVIA_ISQL", dir.filePath("isql.sh"));
        env.insert("KYNOVIA_FBSERVICE", dir.filePath("dienst.sh"));
        env.insert("KYNOVIA_ADMIN", dir.filePath("admin.sh"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("bash", {qEnvironmentVariable("KYNOVIA_SOURCE_DIR") + "/scripts/server-setup.sh", user, database});
        QVERIFY(p.waitForFinished(120000));
        const QString output = QString::fromUtf8(p.readAll());

        if (user == "sysdba") {
            QCOMPARE(p.exitCode(), 1);
            QVERIFY2(output.contains("FEHLER: SYSDBA ist der Verwalter des Firebird-Servers und kann nicht der "
                                     "Benutzer der Schule sein. Bitte einen eigenen Namen angeben (z. B. KYNOVIA)."),
                     qPrintable(output));
            QCOMPARE(readFile(dir.filePath("firebird.conf")), conf);
            QVERIFY(!QFileInfo::exists(log));
            QCOMPARE(ownerOf(folder), before);
            return;
        }
        QVERIFY2(p.exitCode() == 0, qPrintable(output));
        const Owner after = ownerOf(folder);
        if (kind == "existing") {
            // Owner and rights of the existing folder stay as they were.
            QCOMPARE(after, before);
            QVERIFY2(output.contains("Den Ordner gibt es schon; Besitzer und Rechte bleiben unverändert."),
                     qPrintable(output));
        } else {
            const struct passwd* fb = ::getpwnam("firebird");
            QCOMPARE(after.uid, fb->pw_uid);
            QCOMPARE(after.mode, mode_t(0770));
            // The folders above it are no business of the server.
            QCOMPARE(ownerOf(dir.filePath("neu")).uid, uid_t(0));
        }
        // The server opens databases in that folder only, and listens to the network.
        const QString written = QString::fromUtf8(readFile(dir.filePath("firebird.conf")));
        QVERIFY2(written.contains("\nDatabaseAccess = Restrict " + folder +
                                  "   # server-setup.sh: nur die Ordner der Datenbanken\n"),
                 qPrintable(written));
        QVERIFY2(written.contains("\n# DatabaseAccess = Full   (server-setup.sh)\n"), qPrintable(written));
        QVERIFY2(written.contains("\n# RemoteBindAddress = localhost"), qPrintable(written));
        QCOMPARE(readFile(dir.filePath("firebird.conf.vor-kynovia")), conf);
        // The user may create a database only until its database exists.
        const QString calls = QString::fromUtf8(readFile(log));
        const qsizetype grant = calls.indexOf("grant create database to user SCHULE;");
        const qsizetype create = calls.indexOf("admin create localhost/" + QString::number(port.port()) + ":" +
                                               database);
        const qsizetype revoke = calls.indexOf("revoke create database from user SCHULE;");
        QVERIFY2(grant >= 0 && create > grant && revoke > create, qPrintable(calls));
        QVERIFY(QFileInfo::exists(database));
        QVERIFY2(output.contains("Er gehört hinter die Firewall der\nSchule"), qPrintable(output));
    }
};

KYN_TEST(ServerSetupTest)
#include "serversetup_test.moc"
