// Pictures of the billing windows and of an invoice's page for a look by
// eye: only when KYN_SHOT names a directory (run under Xvfb with
// QT_QPA_PLATFORM=xcb, scripts/bilder.sh).
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTableWidget>
#include <QTest>

#include "billing/qr_rechnung.h"
#include "billing/rechnungsfenster.h"
#include "data/datenmodul.h"
#include "data/rechnungen.h"
#include "db/connection.h"
#include "platform/scripteddialogs.h"
#include "report/reportpaint.h"
#include "testenv.h"
#include "testregistry.h"

using namespace rechnungen;

class RechnungenBilderTest : public QObject {
    Q_OBJECT
private slots:
    void screenshots() {
        const QString ziel = qEnvironmentVariable("KYN_SHOT");
        if (ziel.isEmpty()) QSKIP("KYN_SHOT not set");
        QDir().mkpath(ziel);
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        db::Connection& c = *m.idb;
        c.executeImmediate("update systemdaten set hundeschule = 'Hundeschule Pfotenglück', strasse = 'Deichweg 3', "
                           "plz = '25813', ort = 'Husum'");
        Einstellungen e = einstellungenLesen(&c);
        e.steuernummer = "15/293/01234";
        e.bank = "Nord-Ostsee Sparkasse";
        e.iban = "DE89370400440532013000";
        e.bic = "COBADEFFXXX";
        e.textOben = "Sehr geehrte Kundin, sehr geehrter Kunde,\nfür unsere Leistungen berechnen wir Ihnen:";
        e.textUnten = "Vielen Dank für Ihr Vertrauen!";
        e.mahngebuehr = 500;
        einstellungenSpeichern(&c, e);
        c.executeImmediate("insert into kunden (kndnr, anrede, vname, name, str, plz, ort) values (1, 'Frau', 'Sabine', "
                           "'Quellhorst', 'Lindenweg 4', '24103', 'Kiel')");
        c.executeImmediate("insert into kunden (kndnr, vname, name, ort) values (2, 'Jörg', 'Schröder', 'Husum')");
        c.executeImmediate("insert into hunde (hundnr, kndnr, name) values (1, 1, 'Balu')");
        c.executeImmediate("insert into hunde (hundnr, kndnr, name) values (2, 2, 'Rocky')");
        c.executeImmediate("insert into kurse (kursnr, kursart, kursname, gebuehr) values (7, 'We', 'Welpen Mai', 149.5)");
        c.executeImmediate("insert into kurstermine (kursnr, datum) values (7, '05.05.2026')");
        c.executeImmediate("insert into kurstermine (kursnr, datum) values (7, '23.06.2026')");
        c.executeImmediate("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 7, 1, 1, 'N')");
        c.executeImmediate("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (2, 7, 2, 2, 'N')");
        Position futter;
        futter.text = "Futterdose";
        futter.menge = 300;
        futter.einzelpreis = 333;
        futter.ustSatz = 7;
        const Rechnung r = ausstellen(
            &c, entwurfAnlegen(&c, 1, {positionFuer(offeneTeilnahmen(&c, 1).first(), e), futter}), QDate(2026, 7, 1));
        mahnen(&c, {r.renr}, QDate(2026, 8, 1));

        auto bild = [&](QWidget* w, const char* name) {
            w->show();
            QApplication::processEvents();
            QTest::qWait(300);
            w->grab().save(ziel + "/" + name + ".png");
            w->hide();
        };
        {
            billing::Tdlg_rechnungsdaten d(m);
            bild(&d, "rechnungsdaten");
        }
        {
            const QVector<Position> v{positionFuer(offeneTeilnahmen(&c, 2).first(), e)};
            billing::Tdlg_rechnung d(m, 2, v);
            bild(&d, "rechnung_entwurf");
        }
        {
            billing::Tdlg_rechnung d(m, r.renr);
            bild(&d, "rechnung_ausgestellt");
        }
        {
            billing::Tdlg_rechnungen d(m, 0);
            bild(&d, "rechnungen");
        }
        {
            billing::Tdlg_zahlung d(m, r.renr);
            bild(&d, "zahlung");
        }
        {
            billing::Tdlg_offeneposten d(m);
            bild(&d, "offeneposten");
        }
        const auto seite = [&](const report::ReportPages& pages, const char* name) {
            QImage img(210 * 5, 297 * 5, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            report::paintPage(p, pages.pages[0], QRectF(0, 0, img.width(), img.height()));
            p.end();
            img.save(ziel + "/" + name + ".png");
        };
        seite(billing::rechnungsseiten(r), "rechnung_seite");
        seite(billing::mahnungsseiten(mahnen(&c, {r.renr}, QDate(2026, 8, 20)), einstellungenLesen(&c)), "mahnung_seite");
    }
};

KYN_TEST(RechnungenBilderTest)
#include "rechnungen_bilder.moc"
