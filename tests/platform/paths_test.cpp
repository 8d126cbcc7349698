// Mapping of the program's fixed Windows paths to files of this machine.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "common/testregistry.h"
#include "envoverride.h"
#include "platform/paths.h"

class TestPaths : public QObject {
    Q_OBJECT

private slots:
    void mapPath_data() {
        QTest::addColumn<QString>("windowsPath");
        QTest::addColumn<QString>("expected");  // "<home>" stands for the data directory
        QTest::newRow("help page") << "c:\\kynovia\\help\\inhalt.htm" << "<home>/help/inhalt.htm";
        QTest::newRow("help file, upper case")
            << "C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP" << "<home>/help/KYNOVIAASSISTENT.HLP";
        QTest::newRow("mixed case prefix") << "C:\\KyNoViA\\db\\kynoviadb" << "<home>/db/kynoviadb";
        QTest::newRow("prefix alone") << "c:\\kynovia" << "<home>";
        QTest::newRow("prefix with slash") << "c:\\kynovia\\" << "<home>/";
        QTest::newRow("forward slashes") << "c:/kynovia/help/x.htm" << "<home>/help/x.htm";
        QTest::newRow("longer directory name") << "c:\\kynoviax\\a.txt" << "c:/kynoviax/a.txt";
        QTest::newRow("other drive") << "d:\\Daten\\Brief an Kunden.doc" << "d:/Daten/Brief an Kunden.doc";
        QTest::newRow("relative help path") << "\\help\\inhalt.htm" << "/help/inhalt.htm";
        QTest::newRow("unix path unchanged") << "/home/anna/brief.odt" << "/home/anna/brief.odt";
        QTest::newRow("empty") << "" << "";
    }
    void mapPath() {
        QFETCH(QString, windowsPath);
        QFETCH(QString, expected);
        QTemporaryDir home;
        EnvOverride env("KYNOVIA_HOME", home.path().toLocal8Bit());
        expected.replace(QStringLiteral("<home>"), home.path());
        QCOMPARE(platform::mapPath(windowsPath), expected);
    }

    // The install directory and a relative help page are joined as plain text.
    void concatenatedHelpPage() {
        EnvOverride env("KYNOVIA_HOME", "/srv/kyn");
        const QString page = QString::fromUtf16(platform::installDirectoryText)
                             + QStringLiteral("\\help\\inhalt.htm");
        QCOMPARE(page, QStringLiteral("c:\\kynovia\\help\\inhalt.htm"));
        QCOMPARE(platform::mapPath(page), QStringLiteral("/srv/kyn/help/inhalt.htm"));
        QCOMPARE(platform::mapPath(QString::fromUtf16(platform::helpFileText)),
                 QStringLiteral("/srv/kyn/help/KYNOVIAASSISTENT.HLP"));
    }

    void dataDirectory() {
        {
            EnvOverride home("KYNOVIA_HOME", "/srv/kyn/");
            QCOMPARE(platform::dataDirectory(), QStringLiteral("/srv/kyn"));
        }
        {
            auto home = EnvOverride::unset("KYNOVIA_HOME");
            EnvOverride xdg("XDG_DATA_HOME", "/xdg/data");
            QCOMPARE(platform::dataDirectory(), QStringLiteral("/xdg/data/kynovia"));
        }
        {
            auto home = EnvOverride::unset("KYNOVIA_HOME");
            auto xdg = EnvOverride::unset("XDG_DATA_HOME");
            QCOMPARE(platform::dataDirectory(), QDir::homePath() + "/.local/share/kynovia");
        }
    }

    void configDirectory() {
        {
            EnvOverride cfg("KYNOVIA_CONFIG", "/etc/kyn");
            QCOMPARE(platform::configDirectory(), QStringLiteral("/etc/kyn"));
        }
        {
            auto cfg = EnvOverride::unset("KYNOVIA_CONFIG");
            EnvOverride xdg("XDG_CONFIG_HOME", "/xdg/cfg");
            QCOMPARE(platform::configDirectory(), QStringLiteral("/xdg/cfg/kynovia"));
        }
        {
            auto cfg = EnvOverride::unset("KYNOVIA_CONFIG");
            auto xdg = EnvOverride::unset("XDG_CONFIG_HOME");
            QCOMPARE(platform::configDirectory(), QDir::homePath() + "/.config/kynovia");
        }
    }

    void databasePath() {
        EnvOverride home("KYNOVIA_HOME", "/srv/kyn");
        {
            auto db = EnvOverride::unset("KYNOVIA_DATABASE");
            QCOMPARE(platform::databasePath(), QStringLiteral("/srv/kyn/db/kynoviadb"));
        }
        {
            EnvOverride db("KYNOVIA_DATABASE", "schulserver:/var/lib/kynovia/kynoviadb");
            QCOMPARE(platform::databasePath(), QStringLiteral("schulserver:/var/lib/kynovia/kynoviadb"));
        }
        {
            EnvOverride db("KYNOVIA_DATABASE", "");
            QCOMPARE(platform::databasePath(), QStringLiteral("/srv/kyn/db/kynoviadb"));
        }
    }

    // Where the files shipped with the program are looked for, by the
    // folder the program runs from.
    void sharedDataDirectories_data() {
        QTest::addColumn<QString>("programDirectory");
        QTest::addColumn<QStringList>("expected");
        const QString build = QDir(QCoreApplication::applicationDirPath() + "/../src").absolutePath();
        const QString resources = qEnvironmentVariable("KYNOVIA_SOURCE_DIR") + "/resources";
        QTest::newRow("installed in /usr") << "/usr/bin" << QStringList{"/usr/share/kynovia"};
        QTest::newRow("installed elsewhere") << "/opt/kyn/bin/" << QStringList{"/opt/kyn/share/kynovia"};
        QTest::newRow("run from the build") << build << QStringList{QDir::cleanPath(resources)};
        QTest::newRow("a test program") << QCoreApplication::applicationDirPath() << QStringList{};
        QTest::newRow("any other folder") << "/home/anna/programme" << QStringList{};
        QTest::newRow("none") << "" << QStringList{};
    }
    void sharedDataDirectories() {
        QFETCH(QString, programDirectory);
        QFETCH(QStringList, expected);
        QCOMPARE(platform::sharedDataDirectoriesFor(programDirectory), expected);
    }

    // A file below the data directory: the data directory's copy, else the
    // first shared directory's, else the data directory's (missing) path.
    void findFile_data() {
        QTest::addColumn<QStringList>("present");  // of "data", "shared1", "shared2"
        QTest::addColumn<QString>("found");
        QTest::newRow("data directory first") << QStringList{"data", "shared1", "shared2"} << "data";
        QTest::newRow("first shared directory") << QStringList{"shared1", "shared2"} << "shared1";
        QTest::newRow("second shared directory") << QStringList{"shared2"} << "shared2";
        QTest::newRow("nowhere") << QStringList{} << "data";
    }
    void findFile() {
        QFETCH(QStringList, present);
        QFETCH(QString, found);
        QTemporaryDir root;
        const QString r = root.path();
        EnvOverride home("KYNOVIA_HOME", (r + "/data").toLocal8Bit());
        platform::ScopedSharedDataDirectories shared({r + "/shared1", r + "/shared2"});
        for (const QString& d : present) {
            QVERIFY(QDir().mkpath(r + "/" + d + "/help"));
            QFile f(r + "/" + d + "/help/inhalt.htm");
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QString page = platform::mapPath("c:\\kynovia\\help\\inhalt.htm");
        QCOMPARE(platform::lookupPaths(page), (QStringList{r + "/data/help/inhalt.htm", r + "/shared1/help/inhalt.htm",
                                                           r + "/shared2/help/inhalt.htm"}));
        QCOMPARE(platform::findFile(page), r + "/" + found + "/help/inhalt.htm");
        // A path outside the data directory is only itself.
        QCOMPARE(platform::lookupPaths(r + "/shared1/help/inhalt.htm"), QStringList{r + "/shared1/help/inhalt.htm"});
        QCOMPARE(platform::lookupPaths(r + "/database"), QStringList{r + "/database"});
    }

    // The embedded engine's lock folder: the user's runtime directory when
    // it is usable, else the user's cache directory.
    void engineLockDirectory_data() {
        QTest::addColumn<QString>("runtime");  // "<tmp>" stands for a folder of this user
        QTest::addColumn<QString>("cache");
        QTest::addColumn<QString>("expected");
        QTest::newRow("runtime directory") << "<tmp>" << "/xdg/cache" << "<tmp>/kynovia-firebird";
        QTest::newRow("no runtime directory") << "" << "/xdg/cache" << "/xdg/cache/kynovia/firebird";
        QTest::newRow("runtime directory missing") << "<tmp>/fehlt" << "/xdg/cache" << "/xdg/cache/kynovia/firebird";
        QTest::newRow("relative runtime directory") << "laufzeit" << "/xdg/cache" << "/xdg/cache/kynovia/firebird";
        QTest::newRow("no cache directory either") << "" << "" << "<home>/.cache/kynovia/firebird";
    }
    void engineLockDirectory() {
        QFETCH(QString, runtime);
        QFETCH(QString, cache);
        QFETCH(QString, expected);
        QTemporaryDir tmp;
        for (QString* s : {&runtime, &expected}) {
            s->replace("<tmp>", tmp.path());
            s->replace("<home>", QDir::homePath());
        }
        EnvOverride r("XDG_RUNTIME_DIR", runtime.toLocal8Bit(), runtime.isEmpty());
        EnvOverride c("XDG_CACHE_HOME", cache.toLocal8Bit(), cache.isEmpty());
        QCOMPARE(platform::engineLockDirectory(), expected);
    }

    // FIREBIRD_LOCK set by the user is kept (a missing folder is made);
    // otherwise the program sets it to its own folder, made for the user only.
    void useEngineLockDirectory() {
        QTemporaryDir tmp;
        {
            EnvOverride lock("FIREBIRD_LOCK", (tmp.path() + "/eigene/sperren").toLocal8Bit());
            QCOMPARE(platform::useEngineLockDirectory(), tmp.path() + "/eigene/sperren");
            QCOMPARE(qEnvironmentVariable("FIREBIRD_LOCK"), tmp.path() + "/eigene/sperren");
            QVERIFY(QFileInfo(tmp.path() + "/eigene/sperren").isDir());
        }
        {
            auto lock = EnvOverride::unset("FIREBIRD_LOCK");
            EnvOverride r("XDG_RUNTIME_DIR", tmp.path().toLocal8Bit());
            const QString dir = tmp.path() + "/kynovia-firebird";
            QCOMPARE(platform::useEngineLockDirectory(), dir);
            QCOMPARE(qEnvironmentVariable("FIREBIRD_LOCK"), dir);
            QVERIFY(QFileInfo(dir).isDir());
            QCOMPARE(QFile::permissions(dir) & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                                QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
                     QFile::Permissions());
            // A second call (the second attach of the program) changes nothing.
            QCOMPARE(platform::useEngineLockDirectory(), dir);
        }
    }
};

KYN_TEST(TestPaths)
#include "paths_test.moc"
