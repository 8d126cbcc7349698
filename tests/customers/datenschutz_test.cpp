// The data protection functions as the user reaches them: the access report
// from the customer window (JSON and PDF in the documents folder, the
// printout in the preview), the erasure with its confirmation and the backup
// written before anything goes, and the list of old customer records.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "customers/datenschutz_ui.h"
#include "data/backup.h"
#include "db/connection.h"
#include "kundentest.h"
#include "platform/paths.h"
#include "report/reportpaint.h"
#include "shell/Main.h"
#include "testregistry.h"

using namespace kundentest;

namespace {

int zahl(Umgebung& u, const QString& sql) { return u.wert(sql).toInt(); }

}  // namespace

class DatenschutzFensterTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Tdlg_kunde_loeschen::setAntwort({}); }

    void accessReportFromTheCustomerWindow() {
        Umgebung u;
        beispieldaten(u);
        kursdaten(u);
        Tfrm_kunden* k = u.kundenfenster();
        QVERIFY(u.modul->ibt_kunde->locate("KNDNR", 1));
        QCOMPARE(k->bb_datenauskunft->text(), QStringLiteral("Datenauskunft"));

        const QString heute = QDate::currentDate().toString("yyyy-MM-dd");
        const QString ziel = u.env.home() + "/auskunft/Datenauskunft-Kunde-0001-" + heute + ".json";
        QDir().mkpath(u.env.home() + "/auskunft");
        u.dialoge.expectSaveFile(ziel);
        u.dialoge.expectMessage();
        report::PreviewCapture vorschau;
        QTest::mouseClick(k->bb_datenauskunft, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(u.dialoge);

        // Proposed: the documents folder, the customer's number and the date.
        const platform::ShownBox& datei = u.dialoge.shown().first();
        QCOMPARE(datei.text, QStringLiteral("Datenauskunft für Kunde 0001 – Sabine Müller speichern"));
        QCOMPARE(datei.dir, QDir(datenschutz::dokumentenordner()).filePath("Datenauskunft-Kunde-0001-" + heute + ".json"));
        QVERIFY(u.dialoge.lastText().contains(ziel));

        QFile f(ziel);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
        QCOMPARE(o["kunde"].toObject()["NAME"].toString(), QStringLiteral("Müller"));
        QCOMPARE(o["hunde"].toArray().size(), 2);
        QCOMPARE(o["kursteilnahmen"].toArray().size(), 2);
        QCOMPARE(o["beratungstermine"].toArray().size(), 1);
        const QString pdf = u.env.home() + "/auskunft/Datenauskunft-Kunde-0001-" + heute + ".pdf";
        QVERIFY(QFileInfo(pdf).size() > 1000);

        // The printout: title, every section, values as words, the page number.
        QCOMPARE(vorschau.shown.size(), size_t(1));
        const report::ReportPages& seiten = vorschau.shown[0].second;
        QCOMPARE(vorschau.shown[0].first, QStringLiteral("Datenauskunft Kunde 0001 – Sabine Müller"));
        const QStringList texte = seiten.allTexts();
        for (const char* t : {"Datenauskunft", "Kunde 0001 – Frau Sabine Müller", "Kunde", "Hunde (2)", "Hund 1: Balu",
                              "Chip-Nr.", "276098106543210", "Trainingstagebuch Balu (2 Einträge)",
                              "Kursteilnahmen (2)", "Kurs 1: Welpen Mai", "Ü (Überweisung)", "N (nicht bezahlt)",
                              "149,50 €", "Beratungstermine, die den Kunden nennen (1)", "Seite 1"})
            QVERIFY2(seiten.pageOf(QString::fromUtf8(t)) >= 0, t);
        QVERIFY(seiten.pageOf("07.03.2023 10:00") >= 0);
        QVERIFY(!texte.join(' ').contains("Schröder"));
        QVERIFY(!texte.join(' ').contains("Rocky"));
        // Every page is A4 and its items stay within the 10 mm margins.
        for (const auto& p : seiten.pages)
            for (const auto& it : p.items) {
                QVERIFY(it.rect.left() >= 10 - 1e-6 && it.rect.right() <= 200 + 1e-6);
                QVERIFY(it.rect.bottom() <= 287 + 1e-6);
            }
    }

    void accessReportCancelledWritesNothing() {
        Umgebung u;
        beispieldaten(u);
        u.kundenfenster();
        u.dialoge.expectSaveFile(QString());
        report::PreviewCapture vorschau;
        QVERIFY(!datenschutz_ui::datenauskunft(*dm, 2));
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(vorschau.shown.empty());
        // A folder that cannot be written: a message, no preview.
        u.dialoge.expectSaveFile(u.env.home() + "/gibtesnicht/x.json");
        u.dialoge.expectMessage();
        QVERIFY(!datenschutz_ui::datenauskunft(*dm, 2));
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(u.dialoge.lastText().contains("konnte nicht geschrieben werden"));
        QVERIFY(vorschau.shown.empty());
    }

    void erasureFromTheCustomerWindow() {
        Umgebung u;
        beispieldaten(u);
        kursdaten(u);
        Tfrm_kunden* k = u.kundenfenster();
        QVERIFY(u.modul->ibt_kunde->locate("KNDNR", 1));
        // A change the user has not saved yet is in the backup.
        u.modul->ibt_kunde->edit();
        u.modul->ibt_kunde->fieldByName("KOMMENTAR")->setAsString("zuletzt geändert");

        QString frage;
        QStringList termine;
        Tdlg_kunde_loeschen::setAntwort([&](Tdlg_kunde_loeschen& d) {
            frage = d.lb_umfang->text();
            for (int i = 0; i < d.lst_termine->count(); ++i) termine << d.lst_termine->item(i)->text();
            return true;
        });
        u.dialoge.expectMessage();
        QTest::mouseClick(k->bb_kunde_endgueltig_loeschen, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(frage.startsWith("Kunde 0001 – Sabine Müller wird mit allen Daten endgültig gelöscht"));
        QVERIFY(frage.contains("2 Hunde mit Anamnesebogen"));
        QVERIFY(frage.contains("2 Einträge im Trainingstagebuch"));
        QVERIFY(frage.contains("2 Kursteilnahmen"));
        QCOMPARE(termine.size(), 1);
        QVERIFY(termine[0].startsWith("07.03.2023 10:00"));
        QVERIFY(u.dialoge.lastText().contains("wurde endgültig gelöscht (2 Hunde, 2 Tagebucheinträge, "
                                              "2 Kursteilnahmen, 1 Beratungstermine)"));

        // Nothing of hers in the database, everyone else still there.
        QCOMPARE(zahl(u, "select count(*) from kunden where kndnr = 1"), 0);
        QCOMPARE(zahl(u, "select count(*) from hunde where kndnr = 1"), 0);
        QCOMPARE(zahl(u, "select count(*) from hunde_tagebuch"), 0);
        QCOMPARE(zahl(u, "select count(*) from teilnehmer"), 1);
        QCOMPARE(zahl(u, "select count(*) from kurstermine where kursnr = -1"), 1);
        QCOMPARE(zahl(u, "select count(*) from kunden"), 2);
        QCOMPARE(zahl(u, "select count(*) from hunde"), 1);
        for (const char* t : {"Müller", "Sabine", "Lindenweg", "556677", "Balu", "Frieda"})
            QVERIFY2(datenschutz::fundstellen(u.modul->idb.get(), u.modul->ibt, QString::fromUtf8(t)).isEmpty(), t);
        // The window shows another customer.
        QVERIFY(u.modul->ibt_kunde->fieldByName("KNDNR")->asInteger() != 1);
        QCOMPARE(u.modul->ibt_kunde->recordCount(), 2);

        // The backup was written first: it holds her, with the unsaved change.
        const QDir sicherungen(backup::backupDirectory());
        const QStringList dateien = sicherungen.entryList({"vor-loeschung-kunde-0001-*.fbk"});
        QCOMPARE(dateien.size(), 1);
        QVERIFY(u.dialoge.lastText().contains(sicherungen.filePath(dateien[0])));
        const QString zurueck = u.env.home() + "/zurueck.fdb";
        backup::restoreBackup(sicherungen.filePath(dateien[0]), zurueck);
        db::Connection c;
        c.setDatabaseName(zurueck);
        c.open();
        db::Statement s(&c, c.defaultTransaction());
        QCOMPARE(s.scalar("select kommentar from kunden where kndnr = 1").toString(), QStringLiteral("zuletzt geändert"));
        QCOMPARE(s.scalar("select count(*) from hunde_tagebuch").toInt(), 2);
    }

    void erasureCancelledOrKeepingAppointments() {
        Umgebung u;
        beispieldaten(u);
        kursdaten(u);
        u.kundenfenster();
        Tdlg_kunde_loeschen::setAntwort([](Tdlg_kunde_loeschen&) { return false; });
        QVERIFY(!datenschutz_ui::kundeLoeschen(*dm, 1));
        KYN_VERIFY_DIALOGS(u.dialoge);
        QCOMPARE(zahl(u, "select count(*) from kunden"), 3);
        QVERIFY(!QDir(backup::backupDirectory()).exists());

        // The user keeps the appointment: it stays, and the message says
        // where the name still is.
        Tdlg_kunde_loeschen::setAntwort([](Tdlg_kunde_loeschen& d) {
            d.lst_termine->item(0)->setCheckState(Qt::Unchecked);
            return true;
        });
        u.dialoge.expectMessage();
        QVERIFY(datenschutz_ui::kundeLoeschen(*dm, 1));
        KYN_VERIFY_DIALOGS(u.dialoge);
        QCOMPARE(zahl(u, "select count(*) from kunden"), 2);
        QCOMPARE(zahl(u, "select count(*) from kurstermine where kursnr = -1"), 2);
        QVERIFY(u.dialoge.lastText().contains("Der Name \"Müller\" steht noch in: KURSTERMINE.ORT (1×)"));
    }

    void oldRecordsList() {
        Umgebung u;
        beispieldaten(u);
        // Last contacts: Müller 10.06.2023 (questionnaire of Frieda),
        // Schröder 11.05.2023, O'Brien 20.09.2023. Today: 01.07.2026.
        u.kundenfenster();
        Tfrm_alte_kunden f(*dm);
        f.aktualisieren(QDate(2026, 7, 1));
        auto liste = [&] {
            QStringList out;
            for (int r = 0; r < f.tw_kunden->rowCount(); ++r)
                out << f.tw_kunden->item(r, 0)->text() + " " + f.tw_kunden->item(r, 4)->text();
            return out;
        };
        QCOMPARE(f.se_jahre->value(), 3);
        QCOMPARE(liste(), QStringList({"0002 11.05.2023", "0001 10.06.2023"}));
        QVERIFY(f.lb_anzahl->text().startsWith("2 Kunden."));
        QCOMPARE(f.gewaehlterKunde(), 2);
        f.se_jahre->setValue(2);
        QTest::mouseClick(f.b_aktualisieren, Qt::LeftButton);
        QCOMPARE(liste().size(), 3);
        f.se_jahre->setValue(5);
        QTest::mouseClick(f.b_aktualisieren, Qt::LeftButton);
        QCOMPARE(liste(), QStringList());
        QVERIFY(!f.b_loeschen->isEnabled());
        QVERIFY(!f.b_auskunft->isEnabled());

        // Erasure from the list: the list is read again.
        f.se_jahre->setValue(3);
        QTest::mouseClick(f.b_aktualisieren, Qt::LeftButton);
        f.tw_kunden->selectRow(0);
        QCOMPARE(f.gewaehlterKunde(), 2);
        Tdlg_kunde_loeschen::setAntwort([](Tdlg_kunde_loeschen&) { return true; });
        u.dialoge.expectMessage();
        QTest::mouseClick(f.b_loeschen, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(u.dialoge);
        QCOMPARE(liste(), QStringList({"0001 10.06.2023"}));
        QCOMPARE(zahl(u, "select count(*) from kunden where kndnr = 2"), 0);

        // The access report from the list.
        u.dialoge.expectSaveFile(u.env.home() + "/a.json");
        u.dialoge.expectMessage();
        report::PreviewCapture vorschau;
        QTest::mouseClick(f.b_auskunft, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(QFile::exists(u.env.home() + "/a.json"));
        QCOMPARE(vorschau.shown.size(), size_t(1));
    }

    // From the navigator: "Datenauskunft" needs the customer window,
    // "Alte Kundendaten" opens the list.
    void navigator() {
        Umgebung u;
        beispieldaten(u);
        u.exec("update systemdaten set erststarthilfe = -1");
        Tfrm_main haupt(*dm);
        frm_main = &haupt;
        haupt.beenden = [] {};
        QStringList geoeffnet;
        connect(&haupt, &Tfrm_main::openRequested, &haupt,
                [&](const QString& fn, int mode) { geoeffnet << fn + QString::number(mode); });
        u.dialoge.expectMessage("Bitte öffnen Sie zuerst den Kunden (Kunden, Übersicht oder Suchen).");
        haupt.nav_gruppe = "Kunden";
        haupt.nav_eintrag = "Datenauskunft";
        haupt.tv_navigatorClick();
        KYN_VERIFY_DIALOGS(u.dialoge);
        QCOMPARE(geoeffnet, QStringList({"datenschutzanzeigen1"}));

        haupt.kundenanzeigen(Fenstermodus::Uebersicht);
        u.dialoge.expectSaveFile(QString());
        haupt.tv_navigatorClick();
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(u.dialoge.shown().last().text.contains("Kunde 0001"));
        frm_kunden->close();
        QApplication::processEvents();
    }
};

KYN_TEST(DatenschutzFensterTest)
#include "datenschutz_test.moc"
