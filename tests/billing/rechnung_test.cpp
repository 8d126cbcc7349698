// The invoice printout read from the page model (every content the VAT law
// asks for, for a small business and for an invoice with two rates), the
// Girocode drawn into the page and decoded back by zbarimg, the archive that
// never overwrites, and the billing windows driven as a user would.
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "billing/qr_rechnung.h"
#include "billing/rechnungsfenster.h"
#include "data/datenmodul.h"
#include "data/rechnungen.h"
#include "db/connection.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "platform/scripteddialogs.h"
#include "report/reportpaint.h"
#include "testenv.h"
#include "testregistry.h"

using namespace rechnungen;

namespace {

void sql(db::Connection& c, const QString& text) { c.executeImmediate(text); }

QVariant wert(db::Connection& c, const QString& text) {
    db::Transaction t(&c);
    const QVariant v = db::Statement(&c, &t).scalar(text);
    t.commit();
    return v;
}

void schule(db::Connection& c, bool kleinunternehmer) {
    sql(c, "update systemdaten set hundeschule = \"Hundeschule Pfotenglück\", strasse = \"Deichweg 3\", "
           "plz = \"25813\", ort = \"Husum\"");
    Einstellungen e = einstellungenLesen(&c);
    e.kleinunternehmer = kleinunternehmer;
    e.steuernummer = "15/293/01234";
    e.bank = "Nord-Ostsee Sparkasse";
    e.iban = "DE89370400440532013000";
    e.bic = "COBADEFFXXX";
    e.textUnten = "Vielen Dank für Ihr Vertrauen!";
    einstellungenSpeichern(&c, e);
    sql(c, "insert into kunden (kndnr, anrede, vname, name, str, plz, ort) values (1, \"Frau\", \"Sabine\", "
           "\"Quellhorst\", \"Lindenweg 4\", \"24103\", \"Kiel\")");
    sql(c, "insert into hunde (hundnr, kndnr, name) values (1, 1, \"Balu\")");
    sql(c, "insert into kurse (kursnr, kursart, kursname, gebuehr) values (7, \"We\", \"Welpen Mai\", 149.5)");
    sql(c, "insert into kurstermine (kursnr, datum) values (7, \"05.05.2026\")");
    sql(c, "insert into kurstermine (kursnr, datum) values (7, \"23.06.2026\")");
    sql(c, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 7, 1, 1, \"N\")");
}

// An issued invoice: the course participation and 3 tins of food at 7 %.
Rechnung rechnung(db::Connection& c) {
    const Einstellungen e = einstellungenLesen(&c);
    QVector<Position> p{positionFuer(offeneTeilnahmen(&c, 1).first(), e)};
    Position futter;
    futter.text = "Futterdose";
    futter.menge = 300;
    futter.einzelpreis = 333;
    futter.ustSatz = 7;
    p << futter;
    return ausstellen(&c, entwurfAnlegen(&c, 1, p), QDate(2026, 7, 1));
}

// The page painted at 8 dots per millimetre.
QImage bild(const report::ReportPages& pages, int seite = 0) {
    QImage img(210 * 8, 297 * 8, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    report::paintPage(p, pages.pages[seite], QRectF(0, 0, img.width(), img.height()));
    p.end();
    return img;
}

QString zbarimg(const QImage& img, const QString& ordner) {
    const QString datei = ordner + "/seite.png";
    img.save(datei);
    QProcess p;
    // Binary: the payload's bytes as they are (UTF-8), without zbar's guess
    // of a character set.
    p.start("zbarimg", {"--raw", "-q", "-Sbinary", datei});
    if (!p.waitForFinished(60000)) return "(zbarimg hängt)";
    return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class RechnungsdruckTest : public QObject {
    Q_OBJECT
private slots:
    // A 19 % invoice with a second rate: every content the law asks for.
    void invoiceWithTwoRates() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c, false);
        const Rechnung r = rechnung(*c);
        const report::ReportPages seiten = billing::rechnungsseiten(r);
        QCOMPARE(seiten.count(), 1);
        const QStringList t = seiten.allTexts();
        const QStringList erwartet = {
            // the school, its address, its tax number
            "Hundeschule Pfotenglück", "Deichweg 3", "25813 Husum",
            "Hundeschule Pfotenglück · Deichweg 3 · 25813 Husum", "Steuernummer:", "15/293/01234",
            // the customer
            "Frau Sabine Quellhorst", "Lindenweg 4", "24103 Kiel",
            // date, number, service period
            "Rechnung", "Rechnungsnummer:", "RE-2026-0001", "Rechnungsdatum:", "01.07.2026", "Leistungszeitraum:",
            "05.05.2026 – 23.06.2026",
            // quantity and description per line
            "Pos.", "Menge", "Bezeichnung", "Einzelpreis", "USt", "Betrag", "1",
            "Kurs \"Welpen Mai\" (We), Hund Balu (Leistung: 05.05.2026 – 23.06.2026)", "149,50 €", "19 %", "3",
            "Futterdose", "3,33 €", "7 %", "9,99 €",
            // net per rate, rate and VAT, the total
            "Summe netto", "159,49 €", "zzgl. 19 % USt auf 149,50 €", "28,41 €", "zzgl. 7 % USt auf 9,99 €", "0,70 €",
            "Gesamtbetrag", "188,60 €",
            // payment term with due date, bank, Girocode
            "Zahlbar innerhalb von 14 Tagen ohne Abzug bis zum 15.07.2026. Bitte geben Sie bei der Überweisung die "
            "Rechnungsnummer RE-2026-0001 an.",
            "Vielen Dank für Ihr Vertrauen!", "Bezahlen mit der Banking-App: GiroCode scannen",
            "Empfänger: Hundeschule Pfotenglück", "Bank: Nord-Ostsee Sparkasse", "IBAN: DE89 3704 0044 0532 0130 00",
            "BIC: COBADEFFXXX", "Betrag: 188,60 €, Verwendungszweck: RE-2026-0001",
            "Hundeschule Pfotenglück · Steuernummer 15/293/01234 · IBAN DE89 3704 0044 0532 0130 00", "Seite 1"};
        for (const QString& e : erwartet) QVERIFY2(t.contains(e), qPrintable(e + "\n--- page:\n" + t.join('\n')));
        QVERIFY(!t.join('\n').contains("§ 19"));
        // The Girocode's modules are on the page.
        QVERIFY(seiten.pages[0].byName("GIROCODE").size() > 50);
    }

    // A small business: no VAT, the note instead.
    void smallBusinessInvoice() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c, true);
        const Rechnung r = rechnung(*c);
        QVERIFY(r.kleinunternehmer);
        const QStringList t = billing::rechnungsseiten(r).allTexts();
        for (const QString& e : {QString("Gemäß § 19 UStG wird keine Umsatzsteuer berechnet."), QString("Gesamtbetrag"),
                                 QString("159,49 €"), QString("Steuernummer:"), QString("RE-2026-0001"),
                                 QString("Leistungszeitraum:"), QString("Frau Sabine Quellhorst")})
            QVERIFY2(t.contains(e), qPrintable(e + "\n--- page:\n" + t.join('\n')));
        for (const QString& n : {QString("USt"), QString("Summe netto"), QString("19 %"), QString("7 %")})
            QVERIFY2(!t.contains(n), qPrintable(n));
        QVERIFY(!t.join('\n').contains("zzgl."));
    }

    void cancellationInvoicePrintout() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c, false);
        const Rechnung r = rechnung(*c);
        const Rechnung s = stornieren(c.get(), r.renr, QDate(2026, 7, 3));
        const report::ReportPages seiten = billing::rechnungsseiten(s);
        const QStringList t = seiten.allTexts();
        for (const QString& e : {QString("Stornorechnung"), QString("RE-2026-0002"),
                                 QString("Storno zu Rechnung RE-2026-0001 vom 01.07.2026"), QString("-149,50 €"),
                                 QString("-28,41 €"), QString("-188,60 €"),
                                 QString("Diese Stornorechnung hebt die Rechnung RE-2026-0001 vollständig auf.")})
            QVERIFY2(t.contains(e), qPrintable(e + "\n--- page:\n" + t.join('\n')));
        // Nothing to pay: no Girocode.
        QVERIFY(seiten.pages[0].byName("GIROCODE").empty());
    }

    // The code on the page reads back as the payload, field by field.
    void girocodeDecodesBack() {
        if (QStandardPaths::findExecutable("zbarimg").isEmpty()) QFAIL("zbarimg fehlt (Debian-Paket zbar-tools)");
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c, false);
        const Rechnung r = rechnung(*c);
        const QString payload = billing::girocodeFuer(r, r.summen.brutto);
        QCOMPARE(payload, QString("BCD\n002\n1\nSCT\nCOBADEFFXXX\nHundeschule Pfotenglück\nDE89370400440532013000\n"
                                  "EUR188.60\n\n\nRE-2026-0001"));
        QTemporaryDir dir;
        const QString gelesen = zbarimg(bild(billing::rechnungsseiten(r)), dir.path());
        QCOMPARE(gelesen.chopped(gelesen.endsWith('\n') ? 1 : 0), payload);
        // A part payment: the code asks for the rest.
        zahlungErfassen(c.get(), r.renr, QDate(2026, 7, 2), 8860, Zahlungsart::Bar);
        const QString rest = zbarimg(bild(billing::rechnungsseiten(r, 10000)), dir.path());
        QVERIFY2(rest.contains("\nEUR100.00\n"), qPrintable(rest));
    }

    // Every issued invoice's PDF lies in the archive under its number and
    // is never overwritten.
    void archiveNeverOverwrites() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c, false);
        const Rechnung r = rechnung(*c);
        const QString datei = billing::archivieren(r);
        QCOMPARE(datei, env.home() + "/Rechnungen/RE-2026-0001.pdf");
        QFile f(datei);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray inhalt = f.readAll();
        f.close();
        QVERIFY(inhalt.startsWith("%PDF"));
        Rechnung anders = r;
        anders.empfaenger = "Jemand anderes";
        QCOMPARE(billing::archivieren(anders), datei);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), inhalt);
        QVERIFY(!(QFile::permissions(datei) & QFileDevice::WriteOwner));
        Rechnung entwurf = r;
        entwurf.status = 'E';
        QVERIFY_THROWS_EXCEPTION(db::Error, billing::archivieren(entwurf));
    }

    void reminderPrintout() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c, false);
        const Rechnung r = rechnung(*c);
        Einstellungen e = einstellungenLesen(c.get());
        e.mahngebuehr = 500;
        einstellungenSpeichern(c.get(), e);
        mahnen(c.get(), {r.renr}, QDate(2026, 7, 20));
        const Mahnschreiben m = mahnen(c.get(), {r.renr}, QDate(2026, 8, 10));
        const QStringList t = billing::mahnungsseiten(m, einstellungenLesen(c.get())).allTexts();
        for (const QString& x : {QString("1. Mahnung"), QString("RE-2026-0001"), QString("01.07.2026"),
                                 QString("15.07.2026"), QString("188,60 €"), QString("Mahngebühr"), QString("5,00 €"),
                                 QString("193,60 €"), QString("Frau Sabine Quellhorst"),
                                 QString("Bitte überweisen Sie den Betrag von 193,60 € bis zum 24.08.2026 auf das Konto "
                                         "IBAN DE89 3704 0044 0532 0130 00 bei der Nord-Ostsee Sparkasse.")})
            QVERIFY2(t.contains(x), qPrintable(x + "\n--- page:\n" + t.join('\n')));
    }
};

class RechnungsfensterTest : public QObject {
    Q_OBJECT
private slots:
    void billingDataDialogChecksTheIban() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        billing::Tdlg_rechnungsdaten d(m);
        QCOMPARE(d.ed_nummernmuster->text(), QString("RE-{JJJJ}-{NNNN}"));
        QVERIFY(d.rb_umsatzsteuer->isChecked());
        d.ed_iban->setText("DE89 3704 0044 0532 0130 01");
        QCOMPARE(d.lb_iban_pruefung->text(), QString("IBAN ungültig: Prüfziffer oder Länge stimmt nicht"));
        {
            platform::ScopedScriptedDialogs s;
            s.expectMessage("Die IBAN \"DE89 3704 0044 0532 0130 01\" ist nicht gültig: Bitte prüfen Sie sie Zeichen "
                            "für Zeichen.");
            QTest::mouseClick(d.bb_ok, Qt::LeftButton);
            KYN_VERIFY_DIALOGS(s);
        }
        QVERIFY(d.isVisible() || d.result() != QDialog::Accepted);
        d.ed_iban->clear();
        QTest::keyClicks(d.ed_iban, "DE89 3704 0044 0532 0130 00");
        QCOMPARE(d.lb_iban_pruefung->text(), QString("IBAN gültig"));
        d.rb_kleinunternehmer->setChecked(true);
        d.ed_steuernummer->setText("15/293/01234");
        d.ed_mahngebuehr->setText("2,50");
        QTest::mouseClick(d.bb_ok, Qt::LeftButton);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        const Einstellungen e = einstellungenLesen(m.idb.get());
        QVERIFY(e.kleinunternehmer);
        QCOMPARE(e.iban, QString("DE89370400440532013000"));
        QCOMPARE(e.steuernummer, QString("15/293/01234"));
        QCOMPARE(e.mahngebuehr, Cent(250));
    }

    // A draft with the participation and a free line, issued from the window.
    void invoiceWindowIssues() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        schule(*m.idb, false);
        const Einstellungen e = einstellungenLesen(m.idb.get());
        billing::Tdlg_rechnung d(m, 1, {positionFuer(offeneTeilnahmen(m.idb.get(), 1).first(), e)});
        QCOMPARE(d.tb_positionen->rowCount(), 1);
        QTest::mouseClick(d.bb_position_neu, Qt::LeftButton);
        QCOMPARE(d.tb_positionen->rowCount(), 2);
        d.tb_positionen->item(1, 0)->setText("Einzelstunde");
        d.tb_positionen->item(1, 1)->setText("1,5");
        d.tb_positionen->item(1, 2)->setText("40");
        QCOMPARE(d.tb_positionen->item(1, 4)->text(), QString("60,00 €"));
        QCOMPARE(d.lb_summen->text(), QString("Summe netto: 209,50 €\nzzgl. 19 % USt auf 209,50 €: 39,81 €\n"
                                              "Gesamtbetrag: 249,31 €"));
        // A quantity that is no number is named.
        d.tb_positionen->item(1, 1)->setText("anderthalb");
        {
            platform::ScopedScriptedDialogs s;
            s.expectMessage();
            QTest::mouseClick(d.bb_speichern, Qt::LeftButton);
            KYN_VERIFY_DIALOGS(s);
            QCOMPARE(s.lastText(), QString("Position 2: Die Menge \"anderthalb\" ist keine Zahl (zum Beispiel 1 oder 1,5)."));
        }
        d.tb_positionen->item(1, 1)->setText("1,5");
        report::PreviewCapture vorschau;
        {
            platform::ScopedScriptedDialogs s;
            s.expectConfirm(platform::Answer::Ja);
            QTest::mouseClick(d.bb_ausstellen, Qt::LeftButton);
            KYN_VERIFY_DIALOGS(s);
        }
        QVERIFY(d.renr() > 0);
        const Rechnung r = lesen(m.idb.get(), d.renr());
        QVERIFY(r.ausgestellt());
        QCOMPARE(r.summen.brutto, Cent(24931));
        QCOMPARE(vorschau.shown.size(), size_t(1));
        QCOMPARE(vorschau.shown[0].first, QString("Rechnung %1").arg(r.nummer));
        QVERIFY(QFile::exists(env.home() + "/Rechnungen/" + r.nummer + ".pdf"));
        // Issued: nothing to edit any more, storno and payment offered.
        QVERIFY(!d.bb_ausstellen->isVisible() || d.bb_ausstellen->isHidden());
        QVERIFY(!d.bb_stornieren->isHidden());
        // Payment in full from the payment window: the participation gets "Ü".
        billing::Tdlg_zahlung z(m, r.renr);
        QCOMPARE(z.ed_betrag->text(), QString("249,31"));
        QTest::mouseClick(z.bb_ok, Qt::LeftButton);
        QCOMPARE(wert(*m.idb, "select bezahlt from teilnehmer where id = 1").toString(), QString("Ü"));
    }

    void openItemsWindowAndReminder() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        schule(*m.idb, false);
        sql(*m.idb, "insert into kunden (kndnr, vname, name) values (2, \"Jörg\", \"Schröder\")");
        sql(*m.idb, "insert into hunde (hundnr, kndnr, name) values (2, 2, \"Rocky\")");
        sql(*m.idb, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (2, 7, 2, 2, \"N\")");
        const Rechnung r = rechnung(*m.idb);  // due 15.07.2026, long past
        billing::Tdlg_offeneposten d(m);
        QCOMPARE(d.tb_rechnungen->rowCount(), 1);
        QCOMPARE(d.tb_rechnungen->item(0, 0)->text(), QString("RE-2026-0001"));
        QCOMPARE(d.tb_rechnungen->item(0, 3)->text(), QString("15.07.2026"));
        QCOMPARE(d.tb_rechnungen->item(0, 4)->text().toInt(), int(QDate(2026, 7, 15).daysTo(QDate::currentDate())));
        QCOMPARE(d.tb_teilnahmen->rowCount(), 1);
        QCOMPARE(d.tb_teilnahmen->item(0, 0)->text(), QString("Schröder, Jörg"));
        d.tb_rechnungen->selectRow(0);
        report::PreviewCapture vorschau;
        QTest::mouseClick(d.bb_mahnen, Qt::LeftButton);
        QCOMPARE(vorschau.shown.size(), size_t(1));
        QCOMPARE(vorschau.shown[0].first, QString("Zahlungserinnerung"));
        QCOMPARE(d.tb_rechnungen->item(0, 8)->text(),
                 "Zahlungserinnerung vom " + QDate::currentDate().toString("dd.MM.yyyy"));
        Q_UNUSED(r);
    }

    // The export: CSV and the period's PDFs in the folder of the CSV.
    void exportWritesCsvAndPdfs() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        schule(*m.idb, false);
        const Rechnung r = rechnung(*m.idb);
        billing::archivieren(r);
        stornieren(m.idb.get(), r.renr, QDate(2026, 7, 3));  // its PDF is laid out by the export
        const QString csv = env.home() + "/export/" + billing::exportName(QDate(2026, 7, 1), QDate(2026, 7, 31)) +
                            "/Rechnungsausgang.csv";
        QCOMPARE(billing::exportieren(m, QDate(2026, 7, 1), QDate(2026, 7, 31), csv), 2);
        QVERIFY(QFile::exists(csv));
        const QString ordner = QFileInfo(csv).absolutePath();
        QVERIFY(QFile::exists(ordner + "/RE-2026-0001.pdf"));
        QVERIFY(QFile::exists(ordner + "/RE-2026-0002.pdf"));
        QVERIFY(ordner.endsWith("Export-Steuerberater-2026-07-01-bis-2026-07-31"));
    }
};

KYN_TEST(RechnungsdruckTest)
KYN_TEST(RechnungsfensterTest)
#include "rechnung_test.moc"
