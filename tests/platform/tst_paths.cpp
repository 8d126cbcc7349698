// Mapping of the program's fixed Windows paths to files of this machine.
#include <QDir>
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
};

KYN_TEST(TestPaths)
#include "tst_paths.moc"
