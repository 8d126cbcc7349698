// Links in help pages, clicked with the mouse in the main window's
// quick-help panel and in the help window, with the real desktop shell:
// a stand-in for xdg-open first in PATH writes down how it was called.
// "javascript:", other programs, scripts and desktop files beside the page
// run nothing; a web or mail address goes to the desktop's browser as one
// argument, only on the click. Pages the program loads itself - also ones
// with refresh, script and frame tags - start nothing.
#include <QTest>
#include <memory>

#include "aufzeichner.h"
#include "common/testenv.h"
#include "common/testregistry.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "shell/htmlbrowser.h"
#include "shell/wb_hilfe.h"
#include "shelltestutil.h"
#include "widgets/captionpanel.h"

namespace {

const char kSchluss[] = "https://www.kynovia.de/ende";

// The main window on a test database, with the help pages, and the help
// window; xdg-open and lp recorded.
struct Umgebung {
    TestEnv env;
    QString hilfe;
    std::unique_ptr<Tdm> modul;
    std::unique_ptr<Tfrm_main> haupt;
    std::unique_ptr<Tfrm_wb_hilfe> fenster;
    feindlich::Aufzeichner aufzeichner;
    platform::ScopedScriptedDialogs dialoge;

    Umgebung() {
        shelltest::createDatabase(env);
        hilfe = shelltest::installHelpPages(env.home());
        modul = std::make_unique<Tdm>();
        modul->connectTo(env.databasePath());
        dm = modul.get();
        db::Statement(dm->idb.get(), dm->ibt).execute(QStringLiteral("update systemdaten set erststarthilfe = -1"));
        haupt = std::make_unique<Tfrm_main>(*dm);
        frm_main = haupt.get();
        haupt->beenden = [] {};
        haupt->resize(1200, 800);
        haupt->show();
        QVERIFY(QTest::qWaitForWindowExposed(haupt.get()));
        // The quick-help panel shown over the whole middle area.
        haupt->jcp_assistent->show();
        haupt->jcp_assistentMaximize();
        fenster = std::make_unique<Tfrm_wb_hilfe>();
        frm_wb_hilfe = fenster.get();
    }
    ~Umgebung() {
        fenster.reset();
        haupt.reset();
        modul.reset();
    }
};

// A left click on the link whose text is `text`.
bool klicke(HtmlBrowser* b, const QString& text) {
    QTextCursor c = b->document()->find(text);
    if (c.isNull()) return false;
    c.setPosition(c.selectionStart() + 2);
    b->setTextCursor(c);
    b->ensureCursorVisible();
    const QRect r = b->cursorRect(c);
    QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, r.center());
    return true;
}

// Beside the help pages: a script and a desktop file that leave a trace if
// anything runs them. Returns the path of that trace.
QString fallenLegen(const QString& hilfe) {
    const QString spur = hilfe + "/PWNED";
    shelltest::writeFile(hilfe + "/run.sh", "#!/bin/sh\ntouch \"" + spur.toUtf8() + "\"\n");
    QFile(hilfe + "/run.sh").setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    shelltest::writeFile(hilfe + "/start.desktop",
                         "[Desktop Entry]\nType=Application\nName=x\nExec=touch " + spur.toUtf8() + "\n");
    return spur;
}

}  // namespace

class HilfelinksTest : public QObject {
    Q_OBJECT
private slots:
    void clickedLinks_data() {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("browser");  // what xdg-open gets; empty: nothing is started
        QTest::newRow("javascript") << "javascript:alert(1)" << "";
        QTest::newRow("javascript, upper case") << "JavaScript:void(open('https://x'))" << "";
        QTest::newRow("vbscript") << "vbscript:msgbox(1)" << "";
        QTest::newRow("data address") << "data:text/html,<script>alert(1)</script>" << "";
        QTest::newRow("program") << "file:///usr/bin/xterm" << "";
        QTest::newRow("program with arguments") << "file:///bin/sh?-c=touch%20PWNED" << "";
        QTest::newRow("shell script beside the page") << "run.sh" << "";
        QTest::newRow("desktop file beside the page") << "start.desktop" << "";
        QTest::newRow("program, relative") << "../../../../../../bin/touch" << "";
        QTest::newRow("other scheme") << "ms-settings:display" << "";
        QTest::newRow("ftp") << "ftp://ftp.example.de/datei.exe" << "";
        QTest::newRow("web") << "https://www.kynovia.de/hilfe" << "https://www.kynovia.de/hilfe";
        QTest::newRow("web with shell characters") << "http://example.com/a?b=$(touch PWNED)&c=`id`;d"
                                                   << "http://example.com/a?b=$(touch%20PWNED)&c=%60id%60;d";
        QTest::newRow("web with a leading dash in the path") << "https://example.com/-rf" << "https://example.com/-rf";
        QTest::newRow("mail") << "mailto:support@kynovia.de?subject=Hilfe zu Kursen"
                              << "mailto:support@kynovia.de?subject=Hilfe%20zu%20Kursen";
    }
    void clickedLinks() {
        QFETCH(QString, href);
        QFETCH(QString, browser);
        Umgebung u;
        const QString spur = fallenLegen(u.hilfe);
        shelltest::writeFile(u.hilfe + "/links.htm",
                             "<html><body><p><a href=\"" + href.toHtmlEscaped().toUtf8() +
                                 "\">Hier klicken</a></p><p><a href=\"" + QByteArray(kSchluss) +
                                 "\">Zum Schluss</a></p></body></html>");
        const QString seite = u.hilfe + "/links.htm";

        for (HtmlBrowser* b : {u.haupt->wb_assistent, u.fenster->wb_hilfe}) {
            const int vorher = u.aufzeichner.anzahl();
            if (b == u.haupt->wb_assistent) {
                u.haupt->hilfeseite_laden("\\help\\links.htm");
            } else {
                u.fenster->zeigeSeite(seite);
                QVERIFY(QTest::qWaitForWindowExposed(u.fenster.get()));
            }
            QCOMPARE(b->currentFile(), seite);
            QCOMPARE(u.aufzeichner.anzahl(), vorher);  // loading a page starts nothing

            QVERIFY(klicke(b, "Hier klicken"));
            if (!browser.isEmpty()) {
                QTRY_COMPARE_WITH_TIMEOUT(u.aufzeichner.anzahl(), vorher + 1, 20000);
                QCOMPARE(u.aufzeichner.neue(), (QList<QStringList>{{"xdg-open", browser}}));
            }
            // The page stays; nothing was opened in the view.
            QCOMPARE(b->currentFile(), seite);
            QVERIFY(b->toPlainText().contains("Zum Schluss"));

            // The last link's call is the only one that comes after.
            QVERIFY(klicke(b, "Zum Schluss"));
            QTRY_COMPARE_WITH_TIMEOUT(u.aufzeichner.anzahl(), vorher + (browser.isEmpty() ? 1 : 2), 20000);
            QCOMPARE(u.aufzeichner.neue(), (QList<QStringList>{{"xdg-open", kSchluss}}));
            QVERIFY(!QFile::exists(spur));
            QVERIFY(!QFile::exists(QDir::current().filePath("PWNED")));
        }
        QVERIFY(u.haupt->jcp_assistent->isVisible());
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    // What the program itself loads into the views is a local file only:
    // never a web address, a program or a script, also when a page asks for
    // a refresh, runs a script or holds a frame.
    void programNavigationStartsNothing_data() {
        QTest::addColumn<QString>("ziel");  // relative to the help directory, or absolute
        QTest::newRow("web address") << "https://www.kynovia.de/hilfe";
        QTest::newRow("javascript") << "javascript:alert(1)";
        QTest::newRow("program") << "/usr/bin/xterm";
        QTest::newRow("shell script") << "run.sh";
        QTest::newRow("desktop file") << "start.desktop";
        QTest::newRow("page with refresh, script, frame and pictures") << "aktiv.htm";
    }
    void programNavigationStartsNothing() {
        QFETCH(QString, ziel);
        Umgebung u;
        const QString spur = fallenLegen(u.hilfe);
        shelltest::writeFile(
            u.hilfe + "/aktiv.htm",
            "<html><head><meta http-equiv=\"refresh\" content=\"0; url=https://www.kynovia.de/weiter\">"
            "<script>window.location='https://www.kynovia.de/skript'</script>"
            "<link rel=\"stylesheet\" href=\"https://www.kynovia.de/stil.css\"></head>"
            "<body onload=\"location='https://www.kynovia.de/onload'\">Aktive Seite"
            "<iframe src=\"https://www.kynovia.de/rahmen\"></iframe>"
            "<img src=\"https://www.kynovia.de/bild.png\"><img src=\"run.sh\"></body></html>");
        const QString pfad = ziel.contains(':') || ziel.startsWith('/') ? ziel : u.hilfe + "/" + ziel;

        u.haupt->wb_assistent->navigate(pfad);
        u.fenster->zeigeSeite(pfad);
        QVERIFY(QTest::qWaitForWindowExposed(u.fenster.get()));
        for (HtmlBrowser* b : {u.haupt->wb_assistent, u.fenster->wb_hilfe}) {
            QVERIFY(b->currentFile().endsWith(QFileInfo(pfad).fileName()));
            // A web address is no file: an empty page, nothing fetched. A
            // script or desktop file is at most shown as text.
            if (ziel.contains(':')) QVERIFY(b->toPlainText().isEmpty());
            if (ziel.endsWith(".htm")) QVERIFY(b->toPlainText().contains("Aktive Seite"));
        }
        // Let queued events run; then a link clicked by the user is the only call.
        QCoreApplication::processEvents();
        shelltest::writeFile(u.hilfe + "/links.htm",
                             "<html><body><a href=\"" + QByteArray(kSchluss) + "\">Zum Schluss</a></body></html>");
        u.haupt->hilfeseite_laden("\\help\\links.htm");
        QVERIFY(klicke(u.haupt->wb_assistent, "Zum Schluss"));
        QTRY_COMPARE_WITH_TIMEOUT(u.aufzeichner.anzahl(), 1, 20000);
        QCOMPARE(u.aufzeichner.neue(), (QList<QStringList>{{"xdg-open", kSchluss}}));
        QVERIFY(!QFile::exists(spur));
        KYN_VERIFY_DIALOGS(u.dialoge);
    }
};

KYN_TEST(HilfelinksTest)
#include "hilfelinks_test.moc"
