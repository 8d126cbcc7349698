// Hostile texts typed into the search boxes of the customer window and the
// dog search window and searched with Enter, on a real database: no error
// box, the table stays open, the statement keeps its shape whatever the
// text holds, and the rows found are exactly those a plain LIKE match over
// the rows put in finds.
#include <QLineEdit>
#include <QTest>

#include "data/kundensuche.h"
#include "feindlichetexte.h"
#include "kundentest.h"
#include "testregistry.h"
#include "umlautsuche.h"
#include "widgets/dbgrid.h"

using namespace kundentest;

namespace {

QStringList namen(db::Dataset* d) {
    QStringList out;
    for (d->first(); !d->eof(); d->next()) out << d->fieldByName(QStringLiteral("NAME"))->asString();
    out.sort();
    return out;
}

QList<int> nummern(db::Dataset* d, const char* spalte) {
    QList<int> out;
    for (d->first(); !d->eof(); d->next()) out << d->fieldByName(QString::fromLatin1(spalte))->asInteger();
    std::sort(out.begin(), out.end());
    return out;
}

// The condition has the shape of the one for a harmless text, or finds
// nothing at all.
void pruefeGeruest(const QString& bedingung, const QString& harmlos) {
    if (bedingung == QLatin1String(suchbedingung_nichts)) return;
    QCOMPARE(feindlich::geruest(bedingung), feindlich::geruest(harmlos));
}

}  // namespace

class FeindlicheSucheKundenTest : public QObject {
    Q_OBJECT
    // One database and one pair of windows for every row (the searches only
    // read).
    std::unique_ptr<Umgebung> m_u;

private slots:
    void initTestCase() {
        m_u = std::make_unique<Umgebung>();
        feindlich::einfuegen(m_u->modul->idb.get(), m_u->modul->ibt);
        m_u->kundenfenster();
        m_u->hundefenster();
    }
    void cleanupTestCase() { m_u.reset(); }
    void init() { m_u->dialoge.clear(); }

    void customerSearchBox_data() { feindlich::texte(); }
    void customerSearchBox() {
        QFETCH(QString, text);
        Tfrm_kunden* w = m_u->kunden.get();
        db::Table* k = dm->ibt_kunde;
        Umgebung::zeigen(w);
        w->pg_kunde->setCurrentWidget(w->ts_kundenuebersicht);
        feindlich::suchen(w->suchtext_kunde, text);
        KYN_VERIFY_DIALOGS(m_u->dialoge);
        QCOMPARE(w->suchtext_kunde->text(), text);  // typed whole, Enter added nothing
        QVERIFY(k->isActive());
        QVERIFY(k->filtered());
        pruefeGeruest(k->filter(), kundensuche_bedingung(QStringLiteral("x")));
        const QList<int> erwartet = feindlich::kunden(text);
        QCOMPARE(nummern(k, "KNDNR"), erwartet);
        QCOMPARE(w->dbg_kunde->datasetModel()->rowCount(), erwartet.size());
        QCOMPARE(m_u->wert("select count(*) from kunden").toInt(), feindlich::kundenZeilen().size());

        // The table is still usable: an empty search shows everyone again.
        feindlich::suchen(w->suchtext_kunde, QString());
        QVERIFY(!k->filtered());
        QCOMPARE(nummern(k, "KNDNR"), feindlich::kunden(QString()));
        KYN_VERIFY_DIALOGS(m_u->dialoge);
    }

    void dogSearchBox_data() { feindlich::texte(); }
    void dogSearchBox() {
        QFETCH(QString, text);
        Tfrm_hunde* w = m_u->hunde.get();
        db::Table* h = dm->ibt_hunde;
        Umgebung::zeigen(w);
        feindlich::suchen(w->suchtext_hunde, text);
        KYN_VERIFY_DIALOGS(m_u->dialoge);
        QCOMPARE(w->suchtext_hunde->text(), text);
        QVERIFY(h->isActive());
        QVERIFY(h->filtered());
        pruefeGeruest(h->filter(), hundesuche_bedingung(QStringLiteral("x")));
        const QList<int> erwartet = feindlich::hunde(text);
        QCOMPARE(nummern(h, "HUNDNR"), erwartet);
        QCOMPARE(w->dbg_kunde->datasetModel()->rowCount(), erwartet.size());
        QCOMPARE(m_u->wert("select count(*) from hunde").toInt(), feindlich::hundeZeilen().size());

        feindlich::suchen(w->suchtext_hunde, QString());
        QVERIFY(!h->filtered());
        QCOMPARE(nummern(h, "HUNDNR"), feindlich::hunde(QString()));
        KYN_VERIFY_DIALOGS(m_u->dialoge);
    }
};

// Umlauts and the other letters of the code page, typed in any case, find
// the stored names as the database upper-cases them.
class UmlautSucheKundenTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Umgebung> m_u;

private slots:
    void initTestCase() {
        m_u = std::make_unique<Umgebung>();
        umlautsuche::einfuegen(m_u->modul->idb.get(), m_u->modul->ibt);
        m_u->kundenfenster();
        m_u->hundefenster();
    }
    void cleanupTestCase() { m_u.reset(); }
    void init() { m_u->dialoge.clear(); }

    void customerSearchBox_data() { umlautsuche::texte(); }
    void customerSearchBox() {
        QFETCH(QString, text);
        QFETCH(QStringList, gefunden);
        Tfrm_kunden* w = m_u->kunden.get();
        Umgebung::zeigen(w);
        w->pg_kunde->setCurrentWidget(w->ts_kundenuebersicht);
        feindlich::suchen(w->suchtext_kunde, text);
        QCOMPARE(namen(dm->ibt_kunde), gefunden);
        QCOMPARE(w->dbg_kunde->datasetModel()->rowCount(), gefunden.size());
        KYN_VERIFY_DIALOGS(m_u->dialoge);
    }

    void dogSearchBox_data() { umlautsuche::texte(); }
    void dogSearchBox() {
        QFETCH(QString, text);
        QFETCH(QStringList, gefunden);
        Tfrm_hunde* w = m_u->hunde.get();
        Umgebung::zeigen(w);
        feindlich::suchen(w->suchtext_hunde, text);
        QCOMPARE(namen(dm->ibt_hunde), gefunden);
        QCOMPARE(w->dbg_kunde->datasetModel()->rowCount(), gefunden.size());
        KYN_VERIFY_DIALOGS(m_u->dialoge);
    }
};

KYN_TEST(FeindlicheSucheKundenTest)
KYN_TEST(UmlautSucheKundenTest)
#include "feindliche_suche_test.moc"
