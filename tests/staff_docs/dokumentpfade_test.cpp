// Document paths with blanks, ";", "$(...)", backticks, line breaks, a
// leading "-", an executable script or a desktop file, opened with
// "Anzeigen" and printed with "Drucken" in the document window through the
// real desktop shell: stand-ins for xdg-open and lp first in PATH write down
// how they were called. Each path arrives as one argument of xdg-open (of lp
// after "--"), as an absolute path, and nothing in the path is ever run.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "aufzeichner.h"
#include "common/testregistry.h"
#include "platform/scripteddialogs.h"
#include "platform/datei_ausfuehren.h"
#include "staff_docs/dokumente.h"
#include "staffdocstest.h"

using staffdocstest::Fixture;

namespace {

void addDocument(int nr, const QString& name, const QString& pfad) {
    db::Statement s(dm->idb.get(), dm->ibt);
    s.prepare("insert into dokumente (doknr, dokumentname, dokumentart, verteilungsart, pfad) "
              "values (?, ?, \"B\", \"Alle\", ?)");
    s.setParam(0, nr);
    s.setParam(1, name);
    s.setParam(2, pfad);
    s.execute();
}

bool schreiben(const QString& pfad, const QByteArray& inhalt, bool ausfuehrbar = false) {
    QFile f(pfad);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(inhalt);
    f.close();
    if (ausfuehrbar) f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return true;
}

// Restores the working directory.
struct Arbeitsverzeichnis {
    QString alt = QDir::currentPath();
    explicit Arbeitsverzeichnis(const QString& neu) { QDir::setCurrent(neu); }
    ~Arbeitsverzeichnis() { QDir::setCurrent(alt); }
};

}  // namespace

class DokumentpfadeTest : public QObject {
    Q_OBJECT
private slots:
    void pathsReachTheDesktopAsOneArgument_data() {
        QTest::addColumn<QString>("name");      // the file's name in the test's directory
        QTest::addColumn<QByteArray>("inhalt");  // its content (empty: the file does not exist)
        QTest::addColumn<bool>("relativ");       // the path is stored relative to the working directory
        QTest::addColumn<bool>("gedruckt");      // "Drucken" reaches lp (else the file opens to be printed there)
        const QByteArray txt("Sehr geehrte Damen und Herren");
        QTest::newRow("blanks") << "Brief an Kunden.txt" << txt << false << true;
        QTest::newRow("semicolon") << "a;touch PWNED;.txt" << txt << false << true;
        QTest::newRow("command substitution") << "$(touch PWNED).txt" << txt << false << true;
        QTest::newRow("backticks") << "`touch PWNED`.txt" << txt << false << true;
        QTest::newRow("line break") << "Zeile1\ntouch PWNED\n.txt" << txt << false << true;
        QTest::newRow("quotes, ampersand, pipe") << "\"x\" & 'y' | touch PWNED.txt" << txt << false << true;
        QTest::newRow("redirection") << "x > PWNED.txt" << txt << false << true;
        QTest::newRow("leading dash") << "-rf.txt" << txt << false << true;
        QTest::newRow("leading dash, stored relative") << "--help" << txt << true << true;
        QTest::newRow("lp option, stored relative") << "-d drucker" << txt << true << true;
        QTest::newRow("umlauts and euro") << QString::fromUtf8("Anmeldung Müller 5 €.txt") << txt << false << true;
        QTest::newRow("word processor letter") << QString::fromUtf8("Brief; $(touch PWNED).doc") << txt << false
                                               << false;
        QTest::newRow("executable script") << "brief.sh" << QByteArray("#!/bin/sh\ntouch PWNED\n") << false << false;
        QTest::newRow("desktop file") << "start.desktop"
                                      << QByteArray("[Desktop Entry]\nType=Application\nName=x\nExec=touch PWNED\n")
                                      << false << false;
        QTest::newRow("missing file with a command") << "$(touch PWNED)/fehlt.doc" << QByteArray() << false << true;
    }
    void pathsReachTheDesktopAsOneArgument() {
        QFETCH(QString, name);
        QFETCH(QByteArray, inhalt);
        QFETCH(bool, relativ);
        QFETCH(bool, gedruckt);
        Fixture f;
        QTemporaryDir dir;
        const QString datei = dir.filePath(name);
        const bool vorhanden = !inhalt.isEmpty();
        if (vorhanden) QVERIFY(schreiben(datei, inhalt, name.endsWith(".sh")));
        QVERIFY(schreiben(dir.filePath("zuletzt.doc"), "Ende"));
        // Anything a path could run would run here.
        Arbeitsverzeichnis av(dir.path());
        const QString pfad = relativ ? name : datei;
        const QString absolut = QFileInfo(datei).absoluteFilePath();
        addDocument(1, "Dokument", pfad);
        addDocument(2, "Zuletzt", dir.filePath("zuletzt.doc"));

        feindlich::Aufzeichner a;
        platform::ScopedScriptedDialogs d;
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        QVERIFY(frm_dokumente);
        Tfrm_dokumente& w = *frm_dokumente;
        QVERIFY(dm->ibt_dokumente->locate("DOKNR", 1));
        QCOMPARE(dm->ibt_dokumente->fieldByName("PFAD")->asString(), pfad);

        if (vorhanden) {
            w.bb_anzeigen->click();
            QTRY_COMPARE_WITH_TIMEOUT(a.anzahl(), 1, 20000);
            QCOMPARE(a.neue(), (QList<QStringList>{{"xdg-open", absolut}}));
            if (!gedruckt) d.expectMessage(druckenImProgramm(pfad));
            w.BitBtn1->click();
            QTRY_COMPARE_WITH_TIMEOUT(a.anzahl(), 2, 20000);
            if (gedruckt) QCOMPARE(a.neue(), (QList<QStringList>{{"lp", "--", absolut}}));
            else QCOMPARE(a.neue(), (QList<QStringList>{{"xdg-open", absolut}}));
        } else {
            const QString meldung = QStringLiteral("Die Datei %1 wurde nicht gefunden.").arg(pfad);
            d.expectMessage(meldung).expectMessage(meldung);
            w.bb_anzeigen->click();
            w.BitBtn1->click();
        }
        KYN_VERIFY_DIALOGS(d);

        // A last document: its call is the only one that comes after.
        const int bisher = a.anzahl();
        QVERIFY(dm->ibt_dokumente->locate("DOKNR", 2));
        w.bb_anzeigen->click();
        QTRY_COMPARE_WITH_TIMEOUT(a.anzahl(), bisher + 1, 20000);
        QCOMPARE(a.neue(), (QList<QStringList>{{"xdg-open", QFileInfo(dir.filePath("zuletzt.doc")).absoluteFilePath()}}));
        // Nothing that the path holds ran.
        QVERIFY(!QFile::exists(dir.filePath("PWNED")));
        QVERIFY(!QFile::exists(QDir::current().filePath("PWNED")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 vorhanden && !name.contains('/') ? 2 : 1);
        KYN_VERIFY_DIALOGS(d);
    }
};

KYN_TEST(DokumentpfadeTest)
#include "dokumentpfade_test.moc"
