// Personal data are readable by their owner only: what a first start, a
// backup and a data access export write, whatever the umask of the session
// (here the common 022), and the folders and files of an older installation,
// which the next start tightens. The export asks before it replaces a PDF.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

#include "customers/datenschutz_ui.h"
#include "data/backup.h"
#include "data/upgrade.h"
#include "kundentest.h"
#include "platform/envoverride.h"
#include "platform/paths.h"
#include "report/reportpaint.h"
#include "testregistry.h"

using namespace kundentest;

namespace {

// The rights of a file or folder, as chmod writes them (0700, 0600).
int rechte(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return int(st.st_mode & 07777);
}

void setzeRechte(const QString& path, int mode) { QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0); }

void schreibe(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray lies(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The usual umask of a desktop session while the test runs.
struct Umask022 {
    mode_t alt = ::umask(022);
    ~Umask022() { ::umask(alt); }
};

}  // namespace

class DateirechteTest : public QObject {
    Q_OBJECT
private slots:
    // A first start creates the data directory, db/ and the database for
    // the user only; the backups (made by the menu and at the end) too.
    void ersterStartUndSicherungen() {
        Umask022 umask;
        QTemporaryDir basis;
        setzeRechte(basis.path(), 0755);
        const QString daten = basis.filePath("daten");
        EnvOverride home("KYNOVIA_HOME", daten.toLocal8Bit());
        EnvOverride db = EnvOverride::unset("KYNOVIA_DATABASE");
        {
            Tdm m;
            platform::ScopedScriptedDialogs d;
            d.expectConfirm(platform::Answer::Ja);  // create the missing database
            QVERIFY(upgrade::openDatabase(m, platform::databasePath()));
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(platform::databasePath(), daten + "/db/kynoviadb");
            QCOMPARE(rechte(daten), 0700);
            QCOMPARE(rechte(daten + "/db"), 0700);
            QCOMPARE(rechte(daten + "/db/kynoviadb"), 0600);

            const QString datei = daten + "/sicherungen/meine.fbk";
            d.expectSaveFile(datei).expectMessage();
            QVERIFY(backup::createBackupInteractive(m));
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(rechte(daten + "/sicherungen"), 0700);
            QCOMPARE(rechte(datei), 0600);
            backup::automaticBackupAtExit(m);
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(rechte(daten + "/sicherungen/" + backup::automaticFileName(QDate::currentDate())), 0600);
            // The folder the data directory lies in is not the program's.
            QCOMPARE(rechte(basis.path()), 0755);
        }
    }

    // Folders and files of an older installation (0755, 0644) are tightened
    // at the next start, as far as they are the user's own.
    void vorhandeneWerdenEingeschraenkt() {
        Umask022 umask;
        TestEnv env;
        env.createDatabase();
        const QString sicherungen = env.home() + "/sicherungen";
        QVERIFY(QDir().mkpath(sicherungen));
        schreibe(sicherungen + "/kynovia-2025-01-01.fbk", "alt");
        schreibe(sicherungen + "/fremd.txt", "gehört einem anderen");
        const QString kept = backup::keptDatabasePath(env.databasePath(), QDateTime(QDate(2025, 2, 3), QTime(4, 5, 6)));
        QVERIFY(QFile::copy(env.databasePath(), kept));
        for (const QString& p : {env.home(), env.home() + "/db", sicherungen}) setzeRechte(p, 0755);
        for (const QString& p : {env.databasePath(), sicherungen + "/kynovia-2025-01-01.fbk", kept,
                                 sicherungen + "/fremd.txt"})
            setzeRechte(p, 0644);
        const bool root = ::geteuid() == 0;
        if (root) QCOMPARE(::chown(QFile::encodeName(sicherungen + "/fremd.txt").constData(), 65534, 65534), 0);

        Tdm m;
        platform::ScopedScriptedDialogs d;
        QVERIFY(upgrade::openDatabase(m, env.databasePath()));
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(rechte(env.home()), 0700);
        QCOMPARE(rechte(env.home() + "/db"), 0700);
        QCOMPARE(rechte(sicherungen), 0700);
        QCOMPARE(rechte(env.databasePath()), 0600);
        QCOMPARE(rechte(kept), 0600);
        QCOMPARE(rechte(sicherungen + "/kynovia-2025-01-01.fbk"), 0600);
        // Another user's file is left as it is.
        QCOMPARE(rechte(sicherungen + "/fremd.txt"), root ? 0644 : 0600);
    }

    // The data access export: JSON and PDF for the user only; an existing
    // PDF beside the JSON file is replaced only after asking.
    void datenauskunft() {
        Umask022 umask;
        Umgebung u;
        beispieldaten(u);
        const QString ordner = u.env.home() + "/auskunft";
        QVERIFY(QDir().mkpath(ordner));
        const QString json = ordner + "/auskunft.json";
        const QString pdf = ordner + "/auskunft.pdf";
        report::PreviewCapture vorschau;
        u.dialoge.expectSaveFile(json).expectMessage();
        QVERIFY(datenschutz_ui::datenauskunft(*dm, 1));
        KYN_VERIFY_DIALOGS(u.dialoge);
        QCOMPARE(rechte(json), 0600);
        QCOMPARE(rechte(pdf), 0600);

        // The same name again: the PDF is there, "Nein" writes nothing.
        schreibe(pdf, "ein anderes Dokument");
        schreibe(json, "{}");
        setzeRechte(pdf, 0644);
        const QString frage = "Der Ausdruck der Datenauskunft wird als PDF neben der JSON-Datei gespeichert. Die "
                              "Datei \"" + pdf + "\" gibt es schon.\r\n\r\nSoll sie ersetzt werden?";
        u.dialoge.expectSaveFile(json).expectConfirm(platform::Answer::Nein, frage);
        QVERIFY(!datenschutz_ui::datenauskunft(*dm, 1));
        KYN_VERIFY_DIALOGS(u.dialoge);
        QCOMPARE(u.dialoge.shown().last().defaultButton, platform::Answer::Nein);
        QCOMPARE(lies(pdf), QByteArray("ein anderes Dokument"));
        QCOMPARE(lies(json), QByteArray("{}"));
        QCOMPARE(vorschau.shown.size(), size_t(1));

        // "Ja" replaces both; the replaced PDF is the user's only as well.
        u.dialoge.expectSaveFile(json).expectConfirm(platform::Answer::Ja, frage).expectMessage();
        QVERIFY(datenschutz_ui::datenauskunft(*dm, 1));
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(lies(pdf).startsWith("%PDF"));
        QVERIFY(lies(json).contains("Müller"));
        QCOMPARE(rechte(pdf), 0600);
    }
};

KYN_TEST(DateirechteTest)
#include "dateirechte_test.moc"
