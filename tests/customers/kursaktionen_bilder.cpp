// Pictures of the appointment search, the move and cancel dialogs and the
// open items for a look by eye: only when KYN_SHOT names a directory (run
// under Xvfb with QT_QPA_PLATFORM=xcb).
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QPainter>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "courses/keyedit.h"
#include "courses/kursaktionen.h"
#include "courses/kurse.h"
#include "courses/terminsuche.h"
#include "customers/kundenstamm.h"
#include "customers/offeneposten.h"
#include "customers/qr_offeneposten.h"
#include "db/field.h"
#include "kundentest.h"
#include "report/reportpaint.h"
#include "shell/Main.h"
#include "testregistry.h"

using namespace kundentest;

class KursaktionenBilderTest : public QObject {
    Q_OBJECT
private slots:
    void screenshots() {
        const QString ziel = qEnvironmentVariable("KYN_SHOT");
        if (ziel.isEmpty()) QSKIP("KYN_SHOT not set");
        QDir().mkpath(ziel);
        Umgebung u;
        beispieldaten(u);
        u.exec("update systemdaten set erststarthilfe = -1");
        u.exec("insert into kurse (kursnr, kursart, kursname, gebuehr, status) values (1, \"Ju\", \"Junghunde Dienstag\", 120, \"A\")");
        u.exec("insert into kurse (kursnr, kursart, kursname, gebuehr, status) values (2, \"We\", \"Welpen Samstag\", 95.5, \"A\")");
        for (const char* d : {"05.01.2027 18:30", "12.01.2027 18:30", "19.01.2027 18:30", "26.01.2027 18:30"})
            u.exec(QStringLiteral("insert into kurstermine (kursnr, datum, uhrzeit, thema) values (1, \"%1\", \"%1\", \"Hundewiese\")")
                       .arg(QString::fromLatin1(d)));
        u.exec("insert into kurstermine (kursnr, datum, uhrzeit, thema, ort, kontakt) values (-1, \"07.01.2027 10:00\", "
               "\"07.01.2027 10:00\", \"Leinenführigkeit mit Balu\", \"Müller, 24103 Kiel\", \"Tel:0431/556677, 0171/2233445\")");
        u.exec("insert into kurstermine (kursnr, datum, uhrzeit, thema, ort, kontakt) values (-1, \"14.01.2027 16:00\", "
               "\"14.01.2027 16:00\", \"Rocky: Begegnungen\", \"Schröder, 25813 Husum\", \"Tel:04841/9988, \")");
        u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 1, 1, 1, \"N\")");
        u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (2, 1, 2, 3, \"B\")");
        u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (3, 2, 1, 2, \"N\")");
        u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (4, 2, 2, 3, \"N\")");
        dm->ibt->commitRetaining();
        u.dialoge.setAcknowledgeMessages(true);
        auto bild = [&](QWidget* w, const char* name) {
            QApplication::processEvents();
            QTest::qWait(200);
            w->grab().save(ziel + "/" + name + ".png");
        };
        Tfrm_main haupt(*dm);
        frm_main = &haupt;
        haupt.beenden = [] {};
        haupt.resize(1400, 900);
        haupt.show();
        QVERIFY(QTest::qWaitForWindowExposed(&haupt));

        haupt.terminsucheanzeigen(Fenstermodus::Suchen);
        frm_terminsuche->e_von->setText("01.01.2027");
        frm_terminsuche->b_suchenClick();
        bild(&haupt, "terminsuche");

        haupt.kurseanzeigen(Fenstermodus::Uebersicht);
        QVERIFY(dm->ibt_kurse->locate("KURSNR", 1));
        {
            Tdlg_kurs_verschieben d(*dm, kursaktionen::aktuellerKurs(*dm), &haupt);
            d.cb_ab->setCurrentIndex(1);
            d.se_tage->setValue(7);
            d.show();
            bild(&d, "kurs_verschieben");
            d.se_tage->setValue(-7);
            bild(&d, "kurs_verschieben_kollision");
        }
        {
            Tdlg_kurs_stornieren d(*dm, kursaktionen::aktuellerKurs(*dm), &haupt);
            d.show();
            bild(&d, "kurs_stornieren");
        }
        haupt.kundenanzeigen(Fenstermodus::Bearbeiten);
        QVERIFY(dm->ibt_kunde->locate("KNDNR", 1));
        frm_kunden->pg_kundendaten->setCurrentWidget(frm_kunden->TabSheet4);
        bild(&haupt, "kunde_offene_posten");
        {
            Tfrm_offene_posten f(*dm, &haupt);
            f.aktualisieren();
            f.show();
            bild(&f, "offene_posten");
            Tfrm_qr_offeneposten qr;
            const report::ReportPages seiten = qr.layout(f.posten(), db::currentDateTime());
            QImage seite(1240, 1754, QImage::Format_RGB32);
            seite.fill(Qt::white);
            QPainter p(&seite);
            report::paintPage(p, seiten.pages[0], QRectF(0, 0, 1240, 1754));
            p.end();
            seite.save(ziel + "/offene_posten_ausdruck.png");
        }
        {
            // The help pages in the quick-help panel.
            const QDir hilfe(sourceDir() + "/resources/help");
            QDir().mkpath(u.env.home() + "/help");
            for (const QString& f : hilfe.entryList({"*.htm"}))
                QFile::copy(hilfe.filePath(f), u.env.home() + "/help/" + f);
            haupt.jcp_assistentMaximize();
            haupt.JvHTButton1Click();
            for (const char* s : {"terminsuche", "kursverschieben", "kursstornieren", "offeneposten", "inhalt"}) {
                haupt.hilfeseite_laden(QStringLiteral("\\help\\%1.htm").arg(QString::fromLatin1(s)));
                bild(&haupt, qPrintable(QStringLiteral("hilfe_%1").arg(QString::fromLatin1(s))));
            }
        }
        frm_kunden->close();
        QApplication::processEvents();
    }
};
KYN_TEST(KursaktionenBilderTest)

#include "kursaktionen_bilder.moc"
