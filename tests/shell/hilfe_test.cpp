// The HTML view with its before-navigate handler, the help window, the help
// search and the help menu's viewer.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "common/testenv.h"
#include "common/testregistry.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "shell/hilfesuche.h"
#include "shell/htmlbrowser.h"
#include "shell/wb_hilfe.h"
#include "shelltestutil.h"

class TestHilfe : public QObject {
    Q_OBJECT

private slots:
    void browserFollowsLinksThroughTheHandler() {
        TestEnv env;
        const QString help = shelltest::installHelpPages(env.home());
        platform::ScopedRecordingShell shell;
        HtmlBrowser b;
        QStringList targets;
        b.beforeNavigate = [&](const QString& t, bool&) { targets << t; };

        b.navigate(help + "/inhalt.htm");
        QCOMPARE(b.currentFile(), help + "/inhalt.htm");
        QVERIFY(b.pageLoaded());
        QVERIFY(b.toPlainText().contains("Kynovia Hilfe"));

        // A relative link to another page: resolved against the page shown.
        b.followLink(QUrl("kundeneu.htm"));
        QCOMPARE(b.currentFile(), help + "/kundeneu.htm");
        QVERIFY(b.toPlainText().contains("Kunden"));
        QCOMPARE(targets.size(), 2);
        QCOMPARE(targets[1], QUrl::fromLocalFile(help + "/kundeneu.htm").toString());
        QVERIFY(shell.calls().isEmpty());
    }

    void browserNeverRunsScriptsOrPrograms_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("shellUrl");  // what goes to the desktop, empty: nothing
        QTest::newRow("javascript") << "javascript:alert(1)" << "";
        QTest::newRow("program") << "file:///usr/bin/xterm" << "";
        QTest::newRow("relative program") << "setup.exe" << "";
        QTest::newRow("shell script") << "../run.sh" << "";
        QTest::newRow("other scheme") << "ms-settings:display" << "";
        QTest::newRow("web") << "https://www.kynovia.de/hilfe" << "https://www.kynovia.de/hilfe";
        QTest::newRow("mail") << "mailto:support@kynovia.de" << "mailto:support@kynovia.de";
    }
    void browserNeverRunsScriptsOrPrograms() {
        QFETCH(QString, link);
        QFETCH(QString, shellUrl);
        TestEnv env;
        const QString help = shelltest::installHelpPages(env.home());
        platform::ScopedRecordingShell shell;
        HtmlBrowser b;
        b.navigate(help + "/inhalt.htm");
        const QString before = b.toHtml();
        b.followLink(QUrl(link));
        QCOMPARE(b.currentFile(), help + "/inhalt.htm");  // the page stays
        QCOMPARE(b.toHtml(), before);
        if (shellUrl.isEmpty()) {
            QVERIFY(shell.calls().isEmpty());
        } else {
            QCOMPARE(shell.calls().size(), 1);
            QCOMPARE(shell.calls()[0], (platform::ShellCall{"url", shellUrl}));
        }
    }

    void cancelledNavigationChangesNothing() {
        TestEnv env;
        const QString help = shelltest::installHelpPages(env.home());
        platform::ScopedRecordingShell shell;
        HtmlBrowser b;
        b.navigate(help + "/inhalt.htm");
        b.beforeNavigate = [](const QString&, bool& cancel) { cancel = true; };
        b.followLink(QUrl("kundeneu.htm"));
        b.followLink(QUrl("https://www.kynovia.de"));
        b.navigate(help + "/trainer.htm");
        // QTextBrowser's own setSource goes through the handler as well.
        b.setSource(QUrl::fromLocalFile(help + "/kurseneu.htm"));
        QCOMPARE(b.currentFile(), help + "/inhalt.htm");
        QVERIFY(shell.calls().isEmpty());
    }

    void clickedLinkGoesThroughTheHandler() {
        // A real mouse click on a link of the rendered page.
        TestEnv env;
        const QString help = shelltest::installHelpPages(env.home());
        HtmlBrowser b;
        b.resize(400, 600);
        b.show();
        QVERIFY(QTest::qWaitForWindowExposed(&b));
        b.navigate(help + "/inhalt.htm");
        QStringList targets;
        b.beforeNavigate = [&](const QString& t, bool&) { targets << t; };
        QTextCursor c = b.document()->find("Neuen Kunden aufnehmen");
        QVERIFY(!c.isNull());
        c.setPosition(c.selectionStart() + 3);
        const QRect r = b.cursorRect(c);
        QTest::mouseClick(b.viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(targets, QStringList{QUrl::fromLocalFile(help + "/kundeneu.htm").toString()});
        QCOMPARE(b.currentFile(), help + "/kundeneu.htm");
    }

    void missingPageIsEmpty() {
        TestEnv env;
        const QString help = shelltest::installHelpPages(env.home());
        HtmlBrowser b;
        b.navigate(help + "/inhalt.htm");
        QVERIFY(!b.toPlainText().isEmpty());
        b.navigate(help + "/gibtesnicht.htm");
        QCOMPARE(b.currentFile(), help + "/gibtesnicht.htm");
        QVERIFY(!b.pageLoaded());
        QVERIFY(b.toPlainText().isEmpty());
        b.navigate(env.home() + "/kein/verzeichnis/seite.htm");
        QVERIFY(b.toPlainText().isEmpty());
    }

    void eightBitPageWithoutCharset() {
        TestEnv env;
        const QString file = env.home() + "/alt.htm";
        shelltest::writeFile(file, "<html><body>Gr\xfc\xdf Gott, Hundeschule M\xfcller</body></html>");
        HtmlBrowser b;
        b.navigate(file);
        QCOMPARE(b.toPlainText(), QStringLiteral("Grüß Gott, Hundeschule Müller"));
    }

    void searchFindsPagesWithAllWords_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("mustFind");
        QTest::addColumn<QStringList>("mustNotFind");
        QTest::newRow("one word") << "Stammdaten" << QStringList{"ersterstart.htm"} << QStringList{};
        QTest::newRow("case") << "STAMMDATEN" << QStringList{"ersterstart.htm"} << QStringList{};
        QTest::newRow("all words") << "Kursvorlagen Trainer"
                                   << QStringList{"ersterstart.htm"} << QStringList{"hundsuchen.htm"};
        QTest::newRow("nothing") << "Quastenflosser Zebrafink" << QStringList{}
                                 << QStringList{"ersterstart.htm", "inhalt.htm"};
    }
    void searchFindsPagesWithAllWords() {
        QFETCH(QString, text);
        QFETCH(QStringList, mustFind);
        QFETCH(QStringList, mustNotFind);
        TestEnv env;
        const QString help = shelltest::installHelpPages(env.home());
        QStringList found;
        for (const Hilfetreffer& t : hilfeseitenSuchen(help, text)) found << QFileInfo(t.datei).fileName();
        for (const QString& f : mustFind) QVERIFY2(found.contains(f), qPrintable(found.join(",")));
        for (const QString& f : mustNotFind) QVERIFY2(!found.contains(f), qPrintable(found.join(",")));
        if (text.startsWith("Quasten")) QVERIFY(found.isEmpty());
        // Every page found really holds every word.
        for (const Hilfetreffer& t : hilfeseitenSuchen(help, text)) QVERIFY(!t.titel.isEmpty());
    }

    // The help window and the search use the data directory's pages and,
    // for every page the data directory lacks, the page shipped with the
    // program.
    void helpPagesShippedWithTheProgram() {
        TestEnv env;
        const QString shipped = shelltest::sourceDir() + "/resources";
        platform::ScopedSharedDataDirectories shared({shipped});
        const QString help = env.home() + "/help";
        QVERIFY(QDir().mkpath(help));
        {
            QFile f(help + "/trainer.htm");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<html><head><title>Unsere Trainer</title></head><body>Quastenflosser</body></html>");
        }
        const QString helpFile = QString::fromUtf16(platform::helpFileText);
        Hilfeanzeige viewer;
        // Only the help window the program made at its start is shown;
        // the viewer makes none of its own.
        viewer.showContents(helpFile);
        QVERIFY(!frm_wb_hilfe);
        frm_wb_hilfe = new Tfrm_wb_hilfe;
        viewer.showContents(helpFile);
        QCOMPARE(frm_wb_hilfe->wb_hilfe->currentFile(), shipped + "/help/inhalt.htm");

        QStringList found;
        for (const Hilfetreffer& t : hilfeseitenSuchen(help, QString())) found << t.datei;
        QCOMPARE(found.size(), QDir(shipped + "/help").entryList({"*.htm"}).size());
        QVERIFY2(found.contains(help + "/trainer.htm"), qPrintable(found.join(",")));
        QVERIFY2(!found.contains(shipped + "/help/trainer.htm"), qPrintable(found.join(",")));
        QVERIFY2(found.contains(shipped + "/help/terminberatung.htm"), qPrintable(found.join(",")));
        const QList<Hilfetreffer> eigene = hilfeseitenSuchen(help, "Quastenflosser");
        QCOMPARE(eigene.size(), 1);
        QCOMPARE(eigene[0].datei, help + "/trainer.htm");
        delete frm_wb_hilfe.data();
    }

    void helpMenuViewerShowsIndexAndSearch() {
        TestEnv env;
        const QString help = shelltest::installHelpPages(env.home());
        QWidget owner;
        // The windows as the program makes them at its start.
        frm_wb_hilfe = new Tfrm_wb_hilfe;
        frm_hilfesuche = new Tfrm_hilfesuche(&owner);
        Hilfeanzeige viewer;
        const QString helpFile = QString::fromUtf16(platform::helpFileText);
        QCOMPARE(Hilfeanzeige::verzeichnis(helpFile), help);

        viewer.showContents(helpFile);
        QVERIFY(frm_wb_hilfe);
        QCOMPARE(frm_wb_hilfe->windowTitle(), QStringLiteral("Kynovia Hilfe"));
        QVERIFY(frm_wb_hilfe->isVisible());
        QCOMPARE(frm_wb_hilfe->wb_hilfe->currentFile(), help + "/inhalt.htm");

        viewer.search(helpFile, QString());
        QVERIFY(frm_hilfesuche);
        QVERIFY(frm_hilfesuche->isVisible());
        QVERIFY(frm_hilfesuche->e_suchtext->text().isEmpty());
        // An empty search lists every page.
        QCOMPARE(frm_hilfesuche->lb_treffer->count(), QDir(help).entryList({"*.htm"}).size());
        QTest::keyClicks(frm_hilfesuche->e_suchtext, "Termin Beratung");
        QVERIFY(frm_hilfesuche->lb_treffer->count() >= 1);
        QStringList files;
        for (int i = 0; i < frm_hilfesuche->lb_treffer->count(); ++i)
            files << QFileInfo(frm_hilfesuche->lb_treffer->item(i)->data(Qt::UserRole).toString()).fileName();
        QVERIFY2(files.contains("terminberatung.htm"), qPrintable(files.join(",")));
        frm_hilfesuche->lb_treffer->setCurrentRow(files.indexOf("terminberatung.htm"));
        QTest::mouseClick(frm_hilfesuche->b_anzeigen, Qt::LeftButton);
        QCOMPARE(frm_wb_hilfe->wb_hilfe->currentFile(), help + "/terminberatung.htm");

        // Nothing found: nothing to show.
        frm_hilfesuche->e_suchtext->setText("Quastenflosser");
        QCOMPARE(frm_hilfesuche->lb_treffer->count(), 0);
        QVERIFY(!frm_hilfesuche->b_anzeigen->isEnabled());
        delete frm_hilfesuche.data();
        delete frm_wb_hilfe.data();
    }
};

KYN_TEST(TestHilfe)
#include "hilfe_test.moc"
