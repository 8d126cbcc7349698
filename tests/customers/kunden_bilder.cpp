// Pictures of the customer window (overview, search, details, the
// questionnaire's panels, summary, diary, courses), of the dog search window
// and of the data protection functions (the customer in the main window, the
// erasure dialog, the list of old records, the access report's printout, the
// first start and the help pages), for a look by eye: only when KYN_SHOT
// names a directory (scripts/bilder.sh runs this under Xvfb).
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QPainter>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "customers/datenschutz_ui.h"
#include "kundentest.h"
#include "mithauptfenster.h"
#include "report/reportpaint.h"
#include "shell/Main.h"
#include "testregistry.h"
#include "widgets/rolloutpanel.h"

using namespace kundentest;

class KundenBilder : public QObject {
    Q_OBJECT
private slots:
    void kundenUndHunde() {
        const QString ziel = qEnvironmentVariable("KYN_SHOT");
        if (ziel.isEmpty()) QSKIP("KYN_SHOT not set");
        QDir().mkpath(ziel);
        MitHauptfenster f;
        f.exec("update hunde set vorbesitzer = \"Tierheim Kiel (2 Jahre)\", haut_fell = \"leichte Schuppen\", "
               "impfung = \"J\", impfung_text = \"SHPPiL, Tollwut 03/2023\", welpenschule = \"J\", "
               "welpenschule_bei = \"Hundeschule am Deich\", verhalten_leine_ruede = \"ängstlich, dann agressiv\", "
               "verhalten_leine_huendin = \"freundlich\", verhalten_leine_mensch = \"freundlich\", "
               "leine_besonderheiten = \"zieht bei Radfahrern\", futteraufnahme = \"hastig\" where hundnr = 1");
        auto bild = [&](const char* name) {
            QApplication::processEvents();
            QTest::qWait(150);
            f.haupt->grab().save(ziel + "/" + name + ".png");
        };
        f.haupt->kundenanzeigen(Fenstermodus::Uebersicht);
        bild("kunden_uebersicht");
        f.haupt->kundenanzeigen(Fenstermodus::Suchen);
        QTest::keyClicks(frm_kunden->suchtext_kunde, "kiel");
        QTest::keyClick(frm_kunden->suchtext_kunde, Qt::Key_Return);
        bild("kunden_suche");
        f.haupt->kundenanzeigen(Fenstermodus::Bearbeiten);
        dm->ibt_kunde->setFiltered(false);
        dm->ibt_kunde->first();
        bild("kunden_detail");
        Tfrm_kunden* k = frm_kunden;
        k->JvRollout1->expand();
        QTest::mouseClick(k->jvro_verhaltenhund->header(), Qt::LeftButton);
        QTest::mouseClick(k->jvro_verhaltenleine->header(), Qt::LeftButton);
        bild("kunden_anamnesebogen");
        k->JvRollout1->collapse();
        for (auto* r : {k->JvRollout3, k->JvRollout9, k->JvRollout8}) r->expand();
        bild("kunden_anamnesebogen2");
        for (auto* r : {k->JvRollout3, k->JvRollout9, k->JvRollout8}) r->collapse();
        QTest::mouseClick(k->jvro_verhaltensonst->header(), Qt::LeftButton);
        k->JvRollout5->expand();
        k->sb_anamnese->ensureWidgetVisible(k->JvRollout5);
        bild("kunden_anamnesebogen3");
        k->PageControl1->setCurrentWidget(k->TabSheet2);
        bild("kunden_zusammenfassung");
        k->PageControl1->setCurrentWidget(k->TabSheet1);
        bild("kunden_tagebuch");
        k->pg_kundendaten->setCurrentWidget(k->ts_aktive_kurse);
        bild("kunden_kurse");
        f.haupt->hundeanzeigen(Fenstermodus::Suchen);
        bild("hunde");
        frm_hunde->sb_anamese->ensureWidgetVisible(frm_hunde->GroupBox5);
        bild("hunde2");
        // The diary of the dog shown in the dog search (Balu's has two rows).
        dm->ibt_hunde->locate("HUNDNR", 1);
        frm_hunde->PageControl1->setCurrentWidget(frm_hunde->TabSheet1);
        bild("hunde_tagebuch");
    }

    void datenschutz() {
        const QString ziel = qEnvironmentVariable("KYN_SHOT");
        if (ziel.isEmpty()) QSKIP("KYN_SHOT not set");
        QDir().mkpath(ziel);
        Umgebung u;
        beispieldaten(u);
        kursdaten(u);
        u.exec("update systemdaten set erststarthilfe = -1, hundeschule = \"Hundeschule am Deich\", "
               "strasse = \"Deichweg 1\", plz = \"24103\", ort = \"Kiel\"");
        u.dialoge.setAcknowledgeMessages(true);
        auto bild = [&](QWidget* w, const char* name) {
            QApplication::processEvents();
            QTest::qWait(200);
            w->grab().save(ziel + "/" + name + ".png");
        };
        {
            Tfrm_main haupt(*dm);
            frm_main = &haupt;
            haupt.beenden = [] {};
            haupt.resize(1400, 900);
            haupt.show();
            QVERIFY(QTest::qWaitForWindowExposed(&haupt));
            haupt.kundenanzeigen(Fenstermodus::Bearbeiten);
            haupt.tv_navigator->topLevelItem(0)->setExpanded(true);
            bild(&haupt, "datenschutz_kunde");
            Tdlg_kunde_loeschen::setAntwort([&](Tdlg_kunde_loeschen& d) {
                d.show();
                bild(&d, "datenschutz_loeschen");
                return false;
            });
            datenschutz_ui::kundeLoeschen(*dm, 1, &haupt);
            Tfrm_alte_kunden f(*dm, &haupt);
            f.aktualisieren(QDate(2026, 7, 1));
            f.show();
            bild(&f, "datenschutz_alte_kunden");
            // The printout's first page as a picture.
            u.dialoge.expectSaveFile(u.env.home() + "/a.json");
            report::PreviewCapture vorschau;
            datenschutz_ui::datenauskunft(*dm, 1);
            QImage seite(1240, 1754, QImage::Format_RGB32);
            seite.fill(Qt::white);
            QPainter p(&seite);
            report::paintPage(p, vorschau.shown[0].second.pages[0], QRectF(0, 0, 1240, 1754));
            p.end();
            seite.save(ziel + "/datenschutz_ausdruck.png");
            frm_kunden->close();
            QApplication::processEvents();
        }
        {
            // A new database: the first-start help fills the middle; the
            // help page "Datenschutz" in the quick-help panel.
            Umgebung neu;
            const QDir hilfe(sourceDir() + "/resources/help");
            QDir().mkpath(neu.env.home() + "/help");
            for (const QString& f : hilfe.entryList({"*.htm"}))
                QFile::copy(hilfe.filePath(f), neu.env.home() + "/help/" + f);
            Tfrm_main haupt(*dm);
            frm_main = &haupt;
            haupt.beenden = [] {};
            haupt.resize(1400, 900);
            haupt.show();
            QVERIFY(QTest::qWaitForWindowExposed(&haupt));
            haupt.tv_navigator->topLevelItem(0)->setExpanded(true);
            bild(&haupt, "datenschutz_erststart");
            haupt.jcp_assistentMinimize();
            haupt.hilfeseite_laden("\\help\\datenschutz.htm");
            bild(&haupt, "datenschutz_hilfe");
            haupt.hilfeseite_laden("\\help\\inhalt.htm");
            bild(&haupt, "datenschutz_inhalt");
        }
    }
};

KYN_TEST(KundenBilder)
#include "kunden_bilder.moc"
