// Pictures of the shell's windows for looking at them (only when KYN_SHOT
// names a directory): the main window at first start, with the customer
// window, the narrow navigator and the quick-help strip, the notepad, the
// master data dialog, the about window, the help window and the help search;
// and the open "Datei" menu. scripts/bilder.sh runs this under Xvfb.
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "common/testenv.h"
#include "common/testregistry.h"
#include "data/datenmodul.h"
#include "db/dataset.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "shell/about.h"
#include "shell/hilfesuche.h"
#include "shell/htmlbrowser.h"
#include "shell/notizblock.h"
#include "shell/stammdaten.h"
#include "shell/wb_hilfe.h"
#include "shelltestutil.h"
#include "widgets/captionpanel.h"
#include "widgets/dbnavigator.h"

class TestScreenshots : public QObject {
    Q_OBJECT

    QString m_dir;
    void shot(QWidget* w, const QString& name) {
        QTest::qWait(200);
        w->grab().save(m_dir + "/" + name + ".png");
    }

private slots:
    void shots() {
        m_dir = qEnvironmentVariable("KYN_SHOT");
        if (m_dir.isEmpty()) QSKIP("KYN_SHOT not set");
        QDir().mkpath(m_dir);
        TestEnv env;
        shelltest::createDatabase(env);
        shelltest::installHelpPages(env.home());
        Tdm module;
        module.connectTo(env.databasePath());
        dm = &module;
        platform::ScopedScriptedDialogs d;
        d.setAcknowledgeMessages(true);

        dm->ibt_kunde->open();
        const QStringList namen = {"Müller;Anna;Marburg", "Schäfer;Jörg;Gießen", "Becker;Lena;Wetzlar",
                                   "Wagner;Tim;Cölbe", "Hoffmann;Petra;Kirchhain"};
        for (const QString& n : namen) {
            const QStringList p = n.split(';');
            dm->ibt_kunde->append();
            dm->ibt_kunde->fieldByName("NAME")->setAsString(p[0]);
            dm->ibt_kunde->fieldByName("VNAME")->setAsString(p[1]);
            dm->ibt_kunde->fieldByName("ORT")->setAsString(p[2]);
            dm->ibt_kunde->post();
        }
        dm->ibt_systemdaten->open();
        dm->ibt_systemdaten->edit();
        dm->ibt_systemdaten->fieldByName("HUNDESCHULE")->setAsString("Hundeschule Pfotenglück");
        dm->ibt_systemdaten->fieldByName("STRASSE")->setAsString("Am Lahnufer 3");
        dm->ibt_systemdaten->fieldByName("PLZ")->setAsString("35037");
        dm->ibt_systemdaten->fieldByName("ORT")->setAsString("Marburg");
        dm->ibt_systemdaten->post();

        auto w = std::make_unique<Tfrm_main>(*dm);
        frm_main = w.get();
        w->beenden = [] {};
        w->setWindowState(Qt::WindowNoState);
        w->resize(1280, 800);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        shot(w.get(), "01_erststart");

        w->wb_assistent->followLink(QUrl("erststartaus.htm"));
        w->kundenanzeigen(Fenstermodus::Uebersicht);
        shot(w.get(), "02_kunden_ohne_schnellhilfe");
        QTest::mouseClick(w->JvHTButton1, Qt::LeftButton);
        w->jcp_assistentMinimize();
        w->kundenanzeigen(Fenstermodus::Suchen);
        shot(w.get(), "03_kunden_suchen_schnellhilfe");
        w->tv_navigator->expandAll();
        w->jcp_navigatorMinimize();
        shot(w.get(), "04_navigator_schmal");
        w->jcp_navigatorMaximize();
        w->kurseanzeigen(Fenstermodus::Uebersicht);
        w->traineranzeigen(Fenstermodus::Uebersicht);
        w->Nebeneinander1Click();
        shot(w.get(), "05_nebeneinander");

        // The small windows as the program makes them at its start.
        Tfrm_notizblock notizblock(*dm);
        frm_notizblock = &notizblock;
        Tfrm_about about;
        frm_about = &about;
        w->JvaCaptionButton1Click();
        frm_notizblock->dbn_notizblock->btnClick(widgets::DbNavigator::Insert);
        dm->ibt_notizblock->fieldByName("NOTIZ")->setAsString(
            "Futter für Welpenkurs bestellen.\nHalle am Samstag ab 9 Uhr reserviert.");
        shot(frm_notizblock, "06_notizblock");

        frm_stammdaten = new Tfrm_stammdaten(*dm, w.get());
        frm_stammdaten->show();
        shot(frm_stammdaten, "07_stammdaten");
        frm_stammdaten->close();

        w->Ueber1Click();
        QTest::qWait(1500);
        shot(frm_about, "08_about");

        if (!frm_wb_hilfe) frm_wb_hilfe = new Tfrm_wb_hilfe;
        if (!frm_hilfesuche) frm_hilfesuche = new Tfrm_hilfesuche(w.get());
        Hilfeanzeige viewer;
        viewer.showContents(QString::fromUtf16(u"C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP"));
        shot(frm_wb_hilfe, "09_hilfefenster");
        viewer.search(QString::fromUtf16(u"C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP"), "Kurs Termine");
        shot(frm_hilfesuche, "10_hilfesuche");

        dm->ibt_notizblock->cancel();
        w.reset();
        dm = nullptr;
    }

    // The open "Datei" menu.
    void dateiMenue() {
        m_dir = qEnvironmentVariable("KYN_SHOT");
        if (m_dir.isEmpty()) QSKIP("KYN_SHOT not set");
        QDir().mkpath(m_dir);
        TestEnv env;
        shelltest::createDatabase(env);
        Tdm module;
        module.connectTo(env.databasePath());
        dm = &module;
        {
            Tfrm_main w(*dm);
            frm_main = &w;
            w.beenden = [] {};
            w.resize(1000, 600);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            auto* datei = w.MainMenu->findChild<QMenu*>(QStringLiteral("Datei1"));
            QVERIFY(datei);
            datei->popup(w.mapToGlobal(QPoint(0, w.MainMenu->height())));
            shot(datei, "datei-menu");
            datei->hide();
        }
        frm_main = nullptr;
        dm = nullptr;
    }
};

KYN_TEST(TestScreenshots)
#include "fenster_bilder.moc"
