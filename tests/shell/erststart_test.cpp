// The first start on a new database: the first-start assistant fills the
// middle area, and every working window the user opens comes into view in
// front of it (the panel goes back to its strip on the right). The
// switch-off link works in the separate help window as well.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <memory>

#include "common/testregistry.h"
#include "data/datenmodul.h"
#include "db/dataset.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "shell/htmlbrowser.h"
#include "shell/programm.h"
#include "shell/wb_hilfe.h"
#include "shelltestutil.h"
#include "widgets/captionpanel.h"

namespace {

// The share of the child-window area that the window really shows on the
// screen: the bounding box of its visible region (not merely its visible
// flag; the region leaves out what its own controls cover, and is empty for a
// window that is hidden or covered).
double sichtbarerAnteil(Tfrm_main& m, QWidget* w) {
    if (!w) return 0;
    QCoreApplication::processEvents();
    const QRect r = w->visibleRegion().boundingRect();
    const QSize bereich = m.ClientArea->viewport()->size();
    if (bereich.isEmpty() || !m.ClientArea->isVisible()) return 0;
    return double(r.width()) * r.height() / (double(bereich.width()) * bereich.height());
}

struct Erststart {
    TestEnv env;
    QString alterOrdner = QDir::currentPath();
    std::unique_ptr<Programm> programm;

    // A new database as the program writes it (the assistant is on), the
    // help pages and the breed list in place, the program started.
    Erststart() {
        shelltest::createDatabase(env);
        shelltest::installHelpPages(env.home());
        QFile::copy(shelltest::sourceDir() + QStringLiteral("/resources/rassen.txt"),
                    env.home() + QStringLiteral("/rassen.txt"));
        QDir::setCurrent(env.home());
        programm = std::make_unique<Programm>();
        QVERIFY(programm->starten());
        Tfrm_main* m = programm->hauptfenster();
        m->beenden = [] {};
        m->resize(1400, 900);
        m->show();
        QApplication::setActiveWindow(m);
        QVERIFY(QTest::qWaitForWindowExposed(m));
    }
    ~Erststart() {
        programm.reset();
        QDir::setCurrent(alterOrdner);
    }
    Tfrm_main& haupt() { return *programm->hauptfenster(); }

    // The assistant as the first start shows it: over the whole middle area.
    void assistentImVordergrund() {
        Tfrm_main& m = haupt();
        QVERIFY(m.jcp_assistent->isVisible());
        QVERIFY(m.assistentFuelltMitte());
        QVERIFY(m.wb_assistent->currentFile().endsWith(QStringLiteral("ersterstart.htm")));
        QVERIFY(!m.ClientArea->isVisible());
    }

    // The panel is the strip on the right again, beside the window.
    void assistentAmRand() {
        Tfrm_main& m = haupt();
        QVERIFY(!m.assistentFuelltMitte());
        QVERIFY(m.jcp_assistent->isVisible());
        QTRY_COMPARE(m.jcp_assistent->width(), 200);
        QVERIFY(m.jcp_assistent->geometry().left() >= m.ClientArea->geometry().right());
    }
};

}  // namespace

class TestErststart : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QApplication::closeAllWindows(); }

    // "Kunden"/"Neu aufnehmen" on the first start shows the new customer.
    void customerWindowInFrontOfTheAssistant() {
        platform::ScopedScriptedDialogs d;
        Erststart e;
        if (QTest::currentTestFailed()) return;
        Tfrm_main& m = e.haupt();
        e.assistentImVordergrund();
        m.kundenanzeigen(Fenstermodus::Neu);
        QWidget* kunden = m.workingWindow(WindowKind::Kunden);
        QVERIFY(kunden);
        e.assistentAmRand();
        QVERIFY2(sichtbarerAnteil(m, kunden) > 0.8, "das Kundenfenster ist nicht zu sehen");
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Insert);
        // The page of the screen is in the panel beside it.
        QVERIFY(m.wb_assistent->currentFile().endsWith(QStringLiteral("kundeneu.htm")));
        dm->ibt_kunde->cancel();
        KYN_VERIFY_DIALOGS(d);
    }

    // "Datei importieren" on the first start, also after the user had put
    // the panel over the middle area again: the import window is shown and
    // builds its menus.
    void importWindowInFrontOfTheAssistant() {
        platform::ScopedScriptedDialogs d;
        Erststart e;
        if (QTest::currentTestFailed()) return;
        Tfrm_main& m = e.haupt();
        e.assistentImVordergrund();
        m.Dateiimportieren1->trigger();
        QWidget* imp = m.workingWindow(WindowKind::Datenimport);
        QVERIFY(imp);
        e.assistentAmRand();
        QVERIFY2(sichtbarerAnteil(m, imp) > 0.8, "das Importfenster ist nicht zu sehen");
        auto* kunde = imp->findChild<QMenu*>(QStringLiteral("Kunde1"));
        QVERIFY(kunde);
        QVERIFY(!kunde->actions().isEmpty());

        // The panel maximised by hand: the next window opened comes in
        // front again.
        m.jcp_assistentMaximize();
        QVERIFY(!m.ClientArea->isVisible());
        m.kundenanzeigen(Fenstermodus::Uebersicht);
        e.assistentAmRand();
        QVERIFY(sichtbarerAnteil(m, m.workingWindow(WindowKind::Kunden)) > 0.8);
        KYN_VERIFY_DIALOGS(d);
    }

    // The first-start page in the separate help window: its link switches
    // the assistant off there too.
    void switchOffLinkInTheHelpWindow() {
        platform::ScopedScriptedDialogs d;
        Erststart e;
        if (QTest::currentTestFailed()) return;
        Tfrm_main& m = e.haupt();
        e.assistentImVordergrund();
        Tfrm_wb_hilfe hilfe(&m);
        hilfe.zeigeSeite(e.env.home() + QStringLiteral("/help/ersterstart.htm"));
        QVERIFY(hilfe.wb_hilfe->toHtml().contains(QStringLiteral("erststartaus.htm")));
        hilfe.wb_hilfe->followLink(QUrl(QStringLiteral("erststartaus.htm")));
        QVERIFY(hilfe.wb_hilfe->currentFile().endsWith(QStringLiteral("ersterstart.htm")));  // not navigated
        QCOMPARE(dm->ibt_systemdaten->fieldByName(QStringLiteral("ERSTSTARTHILFE"))->asInteger(), -1);
        QCOMPARE(dm->ibt_systemdaten->state(), db::DatasetState::Browse);
        // The assistant over the middle area goes away with it.
        QVERIFY(!m.jcp_assistent->isVisible());
        QVERIFY(m.ClientArea->isVisible());
        KYN_VERIFY_DIALOGS(d);
    }
};

KYN_TEST(TestErststart)
#include "erststart_test.moc"
