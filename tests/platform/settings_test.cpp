// Reading INI settings files.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/testregistry.h"
#include "envoverride.h"
#include "platform/settings.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QByteArray kPlanner =
    "; Einstellungen des Terminplaners\r\n"
    "[Zeiten]\r\n"
    "Bildschirm_von = 8\r\n"
    "bildschirm_bis=18\r\n"
    "ausdruck_von=\r\n"
    "ausdruck_bis=abc\r\n"
    "arbeitszeit_von=$10\r\n"
    ";arbeitszeit_bis=99\r\n"
    "  ; eingerückter Kommentar=5\r\n"
    "negativ=-7\r\n"
    "gross=99999999999\r\n"
    "hex=0x1f\r\n"
    "rest=12abc\r\n"
    "\r\n"
    "[standardperson]\r\n"
    "name = \"Anna Schmidt\"\r\n"
    "ohne_gleich\r\n"
    "kommentar=Hund; Katze\r\n"
    "[ZEITEN]\r\n"
    "bildschirm_von=99\r\n"
    "neu=3\n";

QByteArray utf16(const char16_t* s) {
    const QString t = QString::fromUtf16(s);
    return QByteArray(reinterpret_cast<const char*>(t.utf16()), t.size() * 2);
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    std::unique_ptr<EnvOverride> m_env;

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        m_env = std::make_unique<EnvOverride>("KYNOVIA_CONFIG", m_config.path().toLocal8Bit());
    }
    void cleanupTestCase() { m_env.reset(); }
    void init() {
        for (const QString& f : QDir(m_config.path()).entryList(QDir::Files)) QFile::remove(m_config.filePath(f));
    }

    void missingFileGivesDefaults() {
        platform::IniFile ini(QStringLiteral("terminplaner.Ini"));
        QVERIFY(!ini.exists());
        QCOMPARE(ini.fileName(), m_config.filePath("terminplaner.Ini"));
        QCOMPARE(ini.readInteger("zeiten", "bildschirm_von", 0), 0);
        QCOMPARE(ini.readInteger("zeiten", "bildschirm_von", 7), 7);
        QCOMPARE(ini.readString("standardperson", "name", ""), QString());
        QCOMPARE(ini.readString("standardperson", "name", "x"), QStringLiteral("x"));
        QVERIFY(ini.sections().isEmpty());
    }

    void values_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("defaultValue");
        QTest::addColumn<int>("expected");
        QTest::newRow("key in other case, blanks") << "zeiten" << "bildschirm_von" << 0 << 8;
        QTest::newRow("section in other case") << "ZeItEn" << "BILDSCHIRM_BIS" << 0 << 18;
        QTest::newRow("empty value") << "zeiten" << "ausdruck_von" << 5 << 5;
        QTest::newRow("not a number") << "zeiten" << "ausdruck_bis" << 4 << 4;
        QTest::newRow("hex $") << "zeiten" << "arbeitszeit_von" << 0 << 16;
        QTest::newRow("hex 0x") << "zeiten" << "hex" << 0 << 31;
        QTest::newRow("commented out") << "zeiten" << "arbeitszeit_bis" << 0 << 0;
        QTest::newRow("indented comment") << "zeiten" << "; eingerückter Kommentar" << 1 << 1;
        QTest::newRow("negative") << "zeiten" << "negativ" << 0 << -7;
        QTest::newRow("too large") << "zeiten" << "gross" << 2 << 2;
        QTest::newRow("trailing letters") << "zeiten" << "rest" << 3 << 3;
        QTest::newRow("missing key") << "zeiten" << "fehlt" << 9 << 9;
        QTest::newRow("missing section") << "farben" << "bildschirm_von" << 6 << 6;
        QTest::newRow("repeated section: first one counts") << "zeiten" << "bildschirm_von" << 0 << 8;
        QTest::newRow("repeated section is not read") << "zeiten" << "neu" << 4 << 4;
    }
    void values() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(int, defaultValue);
        QFETCH(int, expected);
        writeFile(m_config.filePath("terminplaner.Ini"), kPlanner);
        platform::IniFile ini(QStringLiteral("terminplaner.Ini"));
        QVERIFY(ini.exists());
        QCOMPARE(ini.readInteger(section, key, defaultValue), expected);
    }

    void strings() {
        writeFile(m_config.filePath("terminplaner.Ini"), kPlanner);
        platform::IniFile ini(QStringLiteral("terminplaner.Ini"));
        QCOMPARE(ini.readString("standardperson", "name"), QStringLiteral("Anna Schmidt"));
        QCOMPARE(ini.readString("standardperson", "kommentar"), QStringLiteral("Hund; Katze"));
        QCOMPARE(ini.readString("zeiten", "ausdruck_von", "vorgabe"), QString(""));
        QVERIFY(ini.valueExists("zeiten", "ausdruck_von"));
        QVERIFY(!ini.valueExists("standardperson", "ohne_gleich"));
        QCOMPARE(ini.sections(), QStringList({"Zeiten", "standardperson"}));
        QCOMPARE(ini.keys("standardperson"), QStringList({"name", "kommentar"}));
    }

    // Windows finds the file whatever the case of its name.
    void fileNameCaseInsensitive() {
        writeFile(m_config.filePath("TerminPlaner.ini"), "[standardperson]\nname=Otto\n");
        platform::IniFile ini(QStringLiteral("terminplaner.Ini"));
        QVERIFY(ini.exists());
        QCOMPARE(ini.readString("standardperson", "name"), QStringLiteral("Otto"));
    }

    void explicitPath() {
        QTemporaryDir other;
        writeFile(other.filePath("a.ini"), "[s]\nk=1\n");
        QCOMPARE(platform::IniFile(other.filePath("a.ini")).readInteger("s", "k", 0), 1);
        EnvOverride home("KYNOVIA_HOME", other.path().toLocal8Bit());
        QCOMPARE(platform::IniFile(QStringLiteral("C:\\Kynovia\\a.ini")).readInteger("s", "k", 0), 1);
    }

    void encodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("windows-1252") << QByteArray("[p]\nname=M\xfcller \x80\n") << QStringLiteral("Müller €");
        QTest::newRow("utf-8") << QByteArray("[p]\nname=M\xc3\xbcller\n") << QStringLiteral("Müller");
        QTest::newRow("utf-8 bom") << QByteArray("\xef\xbb\xbf[p]\nname=Stra\xc3\x9f" "e\n") << QStringLiteral("Straße");
        QTest::newRow("utf-16 bom") << QByteArray("\xff\xfe") + utf16(u"[p]\nname=\u00fc\n")
                                    << QStringLiteral("ü");
    }
    void encodings() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        writeFile(m_config.filePath("x.ini"), bytes);
        QCOMPARE(platform::IniFile(QStringLiteral("x.ini")).readString("P", "NAME"), expected);
    }
};

KYN_TEST(TestIniFile)
#include "settings_test.moc"
