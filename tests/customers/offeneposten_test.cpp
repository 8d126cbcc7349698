// "Offene Posten": the customer's unpaid participations on the customer
// page, the school's list with its total and its A4 printout.
#include <QAbstractItemModel>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "customers/kundenstamm.h"
#include "customers/offeneposten.h"
#include "customers/qr_offeneposten.h"
#include "db/dataset.h"
#include "db/field.h"
#include "kundentest.h"
#include "report/reportpaint.h"
#include "testregistry.h"
#include "widgets/dbgrid.h"

using namespace kundentest;

namespace {

// Müller (1) owes for two courses, Schröder (2) for one and has paid for
// another; a cancelled course and a paid participation owe nothing.
void posten(Umgebung& u) {
    beispieldaten(u);
    u.exec("insert into kurse (kursnr, kursart, kursname, gebuehr, status) values (1, \"Ju\", \"Junghunde\", 120.5, \"A\")");
    u.exec("insert into kurse (kursnr, kursart, kursname, gebuehr, status) values (2, \"We\", \"Welpen\", 80, \"S\")");
    u.exec("insert into kurse (kursnr, kursart, kursname, gebuehr, status) values (3, \"Ag\", \"Agility\", 1000, \"B\")");
    u.exec("insert into kurse (kursnr, kursart, kursname, status) values (4, \"So\", \"Ohne Gebühr\", \"A\")");
    u.exec("insert into kurstermine (kursnr, datum, uhrzeit) values (1, \"12.01.2027 18:30\", \"12.01.2027 18:30\")");
    u.exec("insert into kurstermine (kursnr, datum, uhrzeit) values (1, \"05.01.2027 18:30\", \"05.01.2027 18:30\")");
    u.exec("insert into kurstermine (kursnr, datum, uhrzeit) values (3, \"03.03.2026 10:00\", \"03.03.2026 10:00\")");
    const char* const teilnahmen[] = {
        "(1, 1, 1, 1, \"N\")", "(2, 3, 1, 2, \"N\")", "(3, 2, 1, 1, \"N\")",  // cancelled course
        "(4, 1, 2, 3, \"N\")", "(5, 3, 2, 3, \"B\")",                        // paid
        "(6, 4, 2, 3, \"N\")", "(7, 1, 1, 2, \"\xc3\x9c\")"};               // transferred ("Ü")
    for (const char* t : teilnahmen)
        u.exec(QStringLiteral("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values ") + QString::fromUtf8(t));
}

QStringList spalte(QAbstractItemModel* m, int c) {
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, c).data().toString();
    return out;
}

// Whether the texts hold these ones one after the other.
bool folge(const QStringList& texte, const QStringList& teile) {
    for (int i = 0; i + teile.size() <= texte.size(); ++i)
        if (texte.mid(i, teile.size()) == teile) return true;
    return false;
}

}  // namespace

class OffenePostenTest : public QObject {
    Q_OBJECT
private slots:
    void schoolListAndTotal() {
        Umgebung u;
        posten(u);
        const auto liste = offeneposten::lesen(dm->idb.get(), dm->ibt);
        QCOMPARE(liste.size(), 4);
        QStringList zeilen;
        for (const auto& p : liste)
            zeilen << p.name + "/" + p.hund + "/" + QString::number(p.kursnr) + "/" + offeneposten::betrag(p.gebuehr) +
                          "/" + offeneposten::datum(p.ersterTermin);
        QCOMPARE(zeilen, (QStringList{"Müller/Frieda/3/1.000,00 €/03.03.2026", "Müller/Balu/1/120,50 €/05.01.2027",
                                      "Schröder/Rocky/1/120,50 €/05.01.2027", "Schröder/Rocky/4//"}));
        QCOMPARE(offeneposten::summe(liste), 1241.0);
        QCOMPARE(offeneposten::summentext(liste), QStringLiteral("Summe der offenen Posten: 1.241,00 € (4 Posten)"));
        QCOMPARE(offeneposten::lesen(dm->idb.get(), dm->ibt, 2).size(), 2);
        QCOMPARE(offeneposten::lesen(dm->idb.get(), dm->ibt, 3).size(), 0);

        Tfrm_offene_posten f(*dm);
        f.aktualisieren();
        QCOMPARE(f.tw_posten->rowCount(), 4);
        QCOMPARE(f.tw_posten->item(0, 3)->text(), QStringLiteral("0003 Agility"));
        QCOMPARE(f.tw_posten->item(0, 6)->text(), QStringLiteral("1.000,00 €"));
        QCOMPARE(f.lb_summe->text(), QStringLiteral("Summe der offenen Posten: 1.241,00 € (4 Posten)"));

        // The printout: A4, one line per item, the total at the end.
        report::PreviewCapture vorschau;
        QTest::mouseClick(f.b_drucken, Qt::LeftButton);
        QCOMPARE(int(vorschau.shown.size()), 1);
        const report::ReportPages& seiten = vorschau.shown[0].second;
        QCOMPARE(vorschau.shown[0].first, QStringLiteral("Offene Posten"));
        QCOMPARE(seiten.pageSizeMM, QSizeF(210, 297));
        QCOMPARE(seiten.count(), 1);
        const QStringList texte = seiten.texts(0);
        QVERIFY(texte.contains("Offene Posten"));
        QVERIFY(folge(texte, {"Müller, Sabine", "Balu", "0001 Junghunde", "Ju", "05.01.2027", "120,50 €"}));
        QVERIFY(folge(texte, {"Schröder, Jörg", "Rocky", "0004 Ohne Gebühr", "So", "Summe (4 Posten)", "1.241,00 €"}));
    }

    // A course without a status, as older databases hold them, is no
    // cancelled course: its unpaid participations are open items.
    void courseWithoutStatusStillOwes() {
        Umgebung u;
        beispieldaten(u);
        u.exec("insert into kurse (kursnr, kursart, kursname, gebuehr, status) values (5, \"Al\", \"Altbestand\", 60, null)");
        u.exec("insert into kurse (kursnr, kursart, kursname, gebuehr, status) values (6, \"We\", \"Abgesagt\", 70, \"S\")");
        u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 5, 1, 1, \"N\")");
        u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (2, 6, 1, 1, \"N\")");
        const auto liste = offeneposten::lesen(dm->idb.get(), dm->ibt);
        QCOMPARE(liste.size(), 1);
        QCOMPARE(liste[0].kursname, QStringLiteral("Altbestand"));
        QCOMPARE(offeneposten::lesen(dm->idb.get(), dm->ibt, 1).size(), 1);
    }

    void longListPrintsHeadingsOnEveryPage() {
        QVector<offeneposten::Posten> liste;
        for (int i = 0; i < 120; ++i) {
            offeneposten::Posten p;
            p.name = QStringLiteral("Kunde %1").arg(i);
            p.kursnr = 1;
            p.kursname = "Junghunde";
            p.gebuehr = 10.0;
            liste << p;
        }
        Tfrm_qr_offeneposten qr;
        const report::ReportPages seiten = qr.layout(liste, db::currentDateTime());
        QVERIFY(seiten.count() >= 3);
        for (int s = 0; s < seiten.count(); ++s)
            QVERIFY(folge(seiten.texts(s), {"Kunde", "Hund", "Kurs", "Art", "erster Termin", "Gebühr"}));
        QCOMPARE(seiten.countText("Summe (120 Posten)"), 1);
        QCOMPARE(seiten.pageOf("1.200,00 €"), seiten.count() - 1);
        QCOMPARE(seiten.texts(1).last(), QStringLiteral("Seite 2"));
    }

    void customerPageFollowsTheCustomer() {
        Umgebung u;
        posten(u);
        Tfrm_kunden* w = u.kundenfenster();
        QVERIFY(dm->ibt_kunde->locate("KNDNR", 1));
        w->pg_kunde->setCurrentWidget(w->ts_kundedetail);
        w->pg_kundendaten->setCurrentWidget(w->TabSheet4);
        QCOMPARE(w->pg_kundendaten->tabText(w->pg_kundendaten->indexOf(w->TabSheet4)), QStringLiteral("Offene Posten"));
        offeneposten::Kundenseite* s = w->offene_posten;
        QVERIFY(s && s->ibq_offene_posten->isActive());
        QAbstractItemModel* m = s->dbg_offene_posten->model();
        QCOMPARE(spalte(m, 1), (QStringList{"Agility", "Junghunde"}));  // by first date
        QCOMPARE(spalte(m, 4), (QStringList{"1.000,00 €", "120,50 €"}));
        QCOMPARE(spalte(m, 5), (QStringList{"03.03.2026", "05.01.2027"}));
        QCOMPARE(s->lb_summe->text(), QStringLiteral("Summe der offenen Posten: 1.120,50 € (2 Posten)"));

        QVERIFY(dm->ibt_kunde->locate("KNDNR", 2));
        QCOMPARE(spalte(m, 1), (QStringList{"Junghunde", "Ohne Gebühr"}));
        QCOMPARE(s->lb_summe->text(), QStringLiteral("Summe der offenen Posten: 120,50 € (2 Posten)"));
        QVERIFY(dm->ibt_kunde->locate("KNDNR", 3));
        QCOMPARE(m->rowCount(), 0);
        QCOMPARE(s->lb_summe->text(), QStringLiteral("Keine offenen Posten."));

        // A payment recorded elsewhere shows when the page is shown again.
        QVERIFY(dm->ibt_kunde->locate("KNDNR", 1));
        u.exec("update teilnehmer set bezahlt=\"B\" where id=2");
        w->pg_kundendaten->setCurrentWidget(w->ts_kundehunde);
        w->pg_kundendaten->setCurrentWidget(w->TabSheet4);
        QCOMPARE(spalte(m, 1), (QStringList{"Junghunde"}));
        QCOMPARE(s->lb_summe->text(), QStringLiteral("Summe der offenen Posten: 120,50 € (1 Posten)"));
    }
};
KYN_TEST(OffenePostenTest)

#include "offeneposten_test.moc"
