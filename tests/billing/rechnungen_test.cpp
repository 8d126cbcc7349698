// Invoices on a real database: numbering without gaps, the database's
// refusal to change issued invoices, VAT per rate, drafts from
// participations, cancellation invoices, payments and the participation's
// code, reminder levels, the tax adviser's export read back, the Girocode
// payload and what an erasure keeps.
#include <QTest>

#include "data/datenschutz.h"
#include "data/rechnungen.h"
#include "db/connection.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "testenv.h"
#include "testregistry.h"

using namespace rechnungen;

namespace {

QVariant wert(db::Connection& c, const QString& sql) {
    db::Transaction t(&c);
    QVariant v = db::Statement(&c, &t).scalar(sql);
    t.commit();
    return v;
}

void sql(db::Connection& c, const QString& text) { c.executeImmediate(text); }

// The German text of the db::Error `f` throws; empty when it throws none.
template <class F>
QString fehlerText(F f) {
    try {
        f();
    } catch (const db::Error& e) {
        return e.message();
    }
    return QString();
}

// A school with billing data, two customers, a course with a fee of
// 149,50 € and two dates, three participations.
void schule(db::Connection& c, bool kleinunternehmer = false) {
    sql(c, "update systemdaten set hundeschule = \"Hundeschule Pfotenglück\", strasse = \"Deichweg 3\", "
           "plz = \"25813\", ort = \"Husum\"");
    Einstellungen e = einstellungenLesen(&c);
    e.kleinunternehmer = kleinunternehmer;
    e.steuernummer = "15/293/01234";
    e.bank = "Nord-Ostsee Sparkasse";
    e.iban = "DE89 3704 0044 0532 0130 00";
    e.bic = "COBADEFFXXX";
    e.mahngebuehr = 500;
    einstellungenSpeichern(&c, e);
    sql(c, "insert into kunden (kndnr, anrede, vname, name, str, plz, ort) values (1, \"Frau\", \"Sabine\", "
           "\"Quellhorst\", \"Lindenweg 4\", \"24103\", \"Kiel\")");
    sql(c, "insert into kunden (kndnr, vname, name, ort) values (2, \"Jörg\", \"Schröder\", \"Husum\")");
    sql(c, "insert into hunde (hundnr, kndnr, name) values (1, 1, \"Balu\")");
    sql(c, "insert into hunde (hundnr, kndnr, name) values (2, 1, \"Frieda\")");
    sql(c, "insert into hunde (hundnr, kndnr, name) values (3, 2, \"Rocky\")");
    sql(c, "insert into kurse (kursnr, kursart, kursname, gebuehr) values (7, \"We\", \"Welpen Mai\", 149.5)");
    sql(c, "insert into kurstermine (kursnr, datum) values (7, \"05.05.2026\")");
    sql(c, "insert into kurstermine (kursnr, datum) values (7, \"23.06.2026\")");
    sql(c, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 7, 1, 1, \"N\")");
    sql(c, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (2, 7, 1, 2, \"N\")");
    sql(c, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (3, 7, 2, 3, \"N\")");
}

Position frei(const QString& text, qint64 menge, Cent preis, int satz) {
    Position p;
    p.text = text;
    p.menge = menge;
    p.einzelpreis = preis;
    p.ustSatz = satz;
    return p;
}

int entwurf(db::Connection& c, int kndnr = 2, Cent preis = 5000) {
    return entwurfAnlegen(&c, kndnr, {frei("Einzelstunde", 100, preis, 19)});
}

const QString unveraenderlich = QStringLiteral(
    "Eine ausgestellte Rechnung kann nicht geändert oder gelöscht werden. Korrigieren Sie sie mit einer "
    "Stornorechnung.");

// Windows-1252 back to text (the bytes the export writes).
QString ausWin1252(const QByteArray& b) {
    QString s;
    for (char ch : b) {
        const uchar u = uchar(ch);
        if (u == 0x80) s += QChar(0x20AC);
        else s += QChar(u);
    }
    return s;
}

}  // namespace

class RechnungenTest : public QObject {
    Q_OBJECT
private slots:
    void amountsAndQuantitiesAsText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("gueltig");
        QTest::addColumn<qint64>("cent");
        QTest::newRow("whole") << "12" << true << qint64(1200);
        QTest::newRow("one decimal") << "12,5" << true << qint64(1250);
        QTest::newRow("thousands") << "1.234,56" << true << qint64(123456);
        QTest::newRow("with euro sign") << "12,50 €" << true << qint64(1250);
        QTest::newRow("negative") << "-3,10" << true << qint64(-310);
        QTest::newRow("three decimals") << "1,234" << false << qint64(0);
        QTest::newRow("point as decimal") << "12.5" << false << qint64(0);
        QTest::newRow("letters") << "zwölf" << false << qint64(0);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("too large") << "12345678901" << false << qint64(0);
    }
    void amountsAndQuantitiesAsText() {
        QFETCH(QString, text);
        QFETCH(bool, gueltig);
        QFETCH(qint64, cent);
        Cent c = 0;
        QCOMPARE(betragLesen(text, &c), gueltig);
        if (gueltig) QCOMPARE(c, cent);
    }

    void formats() {
        QCOMPARE(betrag(123456), QString("1.234,56 €"));
        QCOMPARE(betrag(-1200), QString("-12,00 €"));
        QCOMPARE(zahl(123456), QString("1234,56"));
        QCOMPARE(zahl(-5), QString("-0,05"));
        QCOMPARE(menge(100), QString("1"));
        QCOMPARE(menge(150), QString("1,5"));
        QCOMPARE(menge(125), QString("1,25"));
    }

    // Net sum per rate, VAT on that sum, half up; not VAT per line.
    void vatPerRateOnTheSum() {
        const QVector<Position> p{frei("a", 100, 3, 19), frei("b", 100, 3, 19), frei("c", 100, 3, 19),
                                  frei("Futter", 100, 50, 7), frei("Buch", 300, 1005, 7), frei("Kurs", 100, 1005, 19)};
        const Summen s = summen(p, false);
        QCOMPARE(s.jeSatz.size(), 2);
        QCOMPARE(s.jeSatz[0].satz, 19);
        QCOMPARE(s.jeSatz[0].netto, Cent(1014));  // 0,09 + 10,05
        QCOMPARE(s.jeSatz[0].ust, Cent(193));     // 1,9266 -> 1,93 (per line it would be 1,94)
        QCOMPARE(s.jeSatz[1].satz, 7);
        QCOMPARE(s.jeSatz[1].netto, Cent(3065));  // 0,50 + 30,15
        QCOMPARE(s.jeSatz[1].ust, Cent(215));     // 2,1455 -> 2,15
        QCOMPARE(s.netto, Cent(4079));
        QCOMPARE(s.ust, Cent(408));
        QCOMPARE(s.brutto, Cent(4487));
        // Half up at exactly half a cent, mirrored for negative sums.
        QCOMPARE(ustAuf(50, 7), Cent(4));   // 0,035
        QCOMPARE(ustAuf(-50, 7), Cent(-4));
        QCOMPARE(ustAuf(10, 19), Cent(2));  // 0,019
        // A small business shows no VAT: everything under 0 %.
        const Summen k = summen(p, true);
        QCOMPARE(k.jeSatz.size(), 1);
        QCOMPARE(k.jeSatz[0].satz, 0);
        QCOMPARE(k.ust, Cent(0));
        QCOMPARE(k.brutto, Cent(4079));
    }

    void settingsChecks_data() {
        QTest::addColumn<QString>("feld");
        QTest::addColumn<QString>("wert");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("valid IBAN with blanks") << "iban" << "DE89 3704 0044 0532 0130 00" << "";
        QTest::newRow("IBAN one digit wrong")
            << "iban" << "DE89370400440532013001"
            << "Die IBAN \"DE89370400440532013001\" ist nicht gültig: Bitte prüfen Sie sie Zeichen für Zeichen.";
        QTest::newRow("IBAN too short")
            << "iban" << "DE8937040044053201300"
            << "Die IBAN \"DE8937040044053201300\" ist nicht gültig: Bitte prüfen Sie sie Zeichen für Zeichen.";
        QTest::newRow("Austrian IBAN") << "iban" << "AT611904300234573201" << "";
        QTest::newRow("valid BIC 8") << "bic" << "COBADEFF" << "";
        QTest::newRow("BIC 9 characters") << "bic" << "COBADEFFX"
                                          << "Die BIC \"COBADEFFX\" ist nicht gültig (8 oder 11 Zeichen).";
        QTest::newRow("valid creditor ID") << "glaeubiger" << "DE98ZZZ09999999999" << "";
        QTest::newRow("creditor ID wrong check digits")
            << "glaeubiger" << "DE97ZZZ09999999999"
            << "Die Gläubiger-ID \"DE97ZZZ09999999999\" ist nicht gültig: Bitte prüfen Sie sie Zeichen für Zeichen.";
        QTest::newRow("pattern without count")
            << "muster" << "RE-{JJJJ}"
            << "Das Nummernmuster braucht genau einen Platz für die laufende Nummer, zum Beispiel {NNNN}.";
        QTest::newRow("pattern with unknown field")
            << "muster" << "RE-{MM}-{NNN}" << "Das Nummernmuster kennt nur {JJJJ}, {JJ} und {NNNN}.";
        QTest::newRow("payment term") << "ziel" << "400" << "Das Zahlungsziel muss zwischen 0 und 365 Tagen liegen.";
        QTest::newRow("VAT ID") << "ustid" << "DE12345" << "Eine deutsche USt-IdNr. hat DE und 9 Ziffern.";
        QTest::newRow("valid VAT ID") << "ustid" << "DE123456789" << "";
    }
    void settingsChecks() {
        QFETCH(QString, feld);
        QFETCH(QString, wert);
        QFETCH(QString, meldung);
        Einstellungen e;
        if (feld == "iban") e.iban = wert;
        if (feld == "bic") e.bic = wert;
        if (feld == "glaeubiger") e.glaeubigerId = wert;
        if (feld == "muster") e.nummernmuster = wert;
        if (feld == "ziel") e.zahlungsziel = wert.toInt();
        if (feld == "ustid") e.ustIdNr = wert;
        QCOMPARE(pruefen(e), meldung);
    }

    void settingsAreStoredAndCheckedBeforeStoring() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        Einstellungen neu = einstellungenLesen(c.get());
        QCOMPARE(neu.nummernmuster, QString("RE-{JJJJ}-{NNNN}"));
        QCOMPARE(neu.zahlungsziel, 14);
        QCOMPARE(neu.ustSatz, 19);
        QVERIFY(!neu.kleinunternehmer);
        neu.kleinunternehmer = true;
        neu.iban = "de89 3704 0044 0532 0130 00";
        neu.textUnten = "Vielen Dank!\nIhre Hundeschule";
        neu.mahngebuehr = 250;
        einstellungenSpeichern(c.get(), neu);
        const Einstellungen gelesen = einstellungenLesen(c.get());
        QVERIFY(gelesen.kleinunternehmer);
        QCOMPARE(gelesen.iban, QString("DE89370400440532013000"));
        QCOMPARE(gelesen.textUnten, QString("Vielen Dank!\nIhre Hundeschule"));
        QCOMPARE(gelesen.mahngebuehr, Cent(250));
        neu.iban = "DE00 1234";
        QCOMPARE(fehlerText([&] { einstellungenSpeichern(c.get(), neu); }),
                 QString("Die IBAN \"DE00 1234\" ist nicht gültig: Bitte prüfen Sie sie Zeichen für Zeichen."));
        QCOMPARE(einstellungenLesen(c.get()).iban, QString("DE89370400440532013000"));
    }

    void numberPatterns_data() {
        QTest::addColumn<QString>("muster");
        QTest::addColumn<int>("zaehler");
        QTest::addColumn<QString>("nummer");
        QTest::newRow("default") << "RE-{JJJJ}-{NNNN}" << 7 << "RE-2026-0007";
        QTest::newRow("more than the places") << "RE-{JJJJ}-{NNNN}" << 12345 << "RE-2026-12345";
        QTest::newRow("short year") << "{JJ}/{NNN}" << 42 << "26/042";
        QTest::newRow("no year") << "R{NNNNNN}" << 1 << "R000001";
    }
    void numberPatterns() {
        QFETCH(QString, muster);
        QFETCH(int, zaehler);
        QFETCH(QString, nummer);
        QCOMPARE(musterPruefen(muster), QString());
        QCOMPARE(nummerBilden(muster, 2026, zaehler), nummer);
    }

    // Consecutive per year; a failed issue counts nothing.
    void numbersHaveNoGaps() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c);
        QStringList nummern;
        for (int i = 0; i < 3; ++i) nummern << ausstellen(c.get(), entwurf(*c), QDate(2026, 3, 1 + i)).nummer;
        QCOMPARE(nummern, QStringList({"RE-2026-0001", "RE-2026-0002", "RE-2026-0003"}));
        // A new year starts at 1 again.
        QCOMPARE(ausstellen(c.get(), entwurf(*c), QDate(2027, 1, 2)).nummer, QString("RE-2027-0001"));
        // Issuing twice, or an empty draft, fails before counting.
        const int renr = entwurf(*c);
        ausstellen(c.get(), renr, QDate(2026, 4, 1));
        QCOMPARE(fehlerText([&] { ausstellen(c.get(), renr, QDate(2026, 4, 1)); }),
                 QString("Die Rechnung ist bereits ausgestellt."));
        // A failure after the count went up (the number exists already) rolls
        // the count back with it.
        sql(*c, "insert into rechnungen (renr, nummer, art, status) values (900, \"RE-2026-0005\", \"R\", \"A\")");
        const int zweiter = entwurf(*c);
        QCOMPARE(fehlerText([&] { ausstellen(c.get(), zweiter, QDate(2026, 5, 1)); }),
                 QString("Die Rechnungsnummer RE-2026-0005 gibt es schon. Bitte prüfen Sie das Nummernmuster in den "
                         "Rechnungsdaten."));
        QCOMPARE(wert(*c, "select zaehler from rechnungszaehler where jahr = 2026").toInt(), 4);
        QCOMPARE(lesen(c.get(), zweiter).status, QChar('E'));
        // Without a tax number the invoice is not issued.
        Einstellungen e = einstellungenLesen(c.get());
        e.steuernummer.clear();
        einstellungenSpeichern(c.get(), e);
        QCOMPARE(fehlerText([&] { ausstellen(c.get(), entwurf(*c), QDate(2026, 5, 1)); }),
                 QString("Bitte tragen Sie zuerst unter Konfiguration → Rechnungsdaten die Steuernummer oder die "
                         "USt-IdNr. ein: Sie gehört auf jede Rechnung."));
        QCOMPARE(wert(*c, "select zaehler from rechnungszaehler where jahr = 2026").toInt(), 4);
    }

    void triggersRefuseChangesOfIssuedInvoices_data() {
        QTest::addColumn<QString>("statement");
        QTest::newRow("update invoice") << "update rechnungen set brutto = 0 where renr = %1";
        QTest::newRow("update invoice number") << "update rechnungen set nummer = \"X\" where renr = %1";
        QTest::newRow("back to draft") << "update rechnungen set status = \"E\" where renr = %1";
        QTest::newRow("delete invoice") << "delete from rechnungen where renr = %1";
        QTest::newRow("update line") << "update rechnungspositionen set einzelpreis = 1 where renr = %1";
        QTest::newRow("delete line") << "delete from rechnungspositionen where renr = %1";
        QTest::newRow("add a line") << "insert into rechnungspositionen (renr, pos, bezeichnung, menge, einzelpreis, "
                                       "ust_satz, netto) values (%1, 9, \"x\", 1, 1, 19, 1)";
        QTest::newRow("move a draft's line into it")
            << "update rechnungspositionen set renr = %1 where renr = (select max(renr) from rechnungen "
               "where status = \"E\")";
    }
    void triggersRefuseChangesOfIssuedInvoices() {
        QFETCH(QString, statement);
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c);
        const int renr = ausstellen(c.get(), entwurf(*c), QDate(2026, 3, 1)).renr;
        entwurf(*c, 1);  // a draft stays changeable
        const QString vorher = wert(*c, QString("select nummer || brutto || (select count(*) from rechnungspositionen p "
                                                "where p.renr = r.renr) from rechnungen r where renr = %1")
                                            .arg(renr))
                                   .toString();
        const QString text = fehlerText([&] { sql(*c, statement.arg(renr)); });
        QVERIFY2(text.contains(unveraenderlich), qPrintable(text));
        QCOMPARE(wert(*c, QString("select nummer || brutto || (select count(*) from rechnungspositionen p "
                                  "where p.renr = r.renr) from rechnungen r where renr = %1")
                              .arg(renr))
                     .toString(),
                 vorher);
        // The program's own functions say it in the same words.
        QCOMPARE(fehlerText([&] { entwurfAendern(c.get(), renr, {frei("x", 100, 1, 19)}); }), unveraenderlich);
        QCOMPARE(fehlerText([&] { entwurfLoeschen(c.get(), renr); }), unveraenderlich);
    }

    void draftsChangeAndGo() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c);
        const int renr = entwurf(*c);
        entwurfAendern(c.get(), renr, {frei("Beratung", 150, 4000, 19), frei("Leine", 100, 1990, 19)});
        const Rechnung r = lesen(c.get(), renr);
        QCOMPARE(r.positionen.size(), 2);
        QCOMPARE(r.summen.netto, Cent(6000 + 1990));
        entwurfLoeschen(c.get(), renr);
        QCOMPARE(wert(*c, "select count(*) from rechnungen").toInt(), 0);
        QCOMPARE(wert(*c, "select count(*) from rechnungspositionen").toInt(), 0);
        // Wrong lines are refused with the line named.
        QCOMPARE(fehlerText([&] { entwurfAnlegen(c.get(), 2, {frei("", 100, 1, 19)}); }),
                 QString("Position 1: Bitte geben Sie einen Text ein."));
        QCOMPARE(fehlerText([&] { entwurfAnlegen(c.get(), 2, {frei("a", 100, 1, 19), frei("b", 100, 1, 16)}); }),
                 QString("Position 2: Der Umsatzsteuersatz 16 % ist nicht vorgesehen (0, 7 oder 19 %)."));
        QCOMPARE(fehlerText([&] { entwurfAnlegen(c.get(), 2, {}); }), QString("Die Rechnung hat keine Positionen."));
        QCOMPARE(fehlerText([&] { entwurfAnlegen(c.get(), 99, {frei("a", 100, 1, 19)}); }),
                 QString("Den Kunden Nr. 0099 gibt es nicht (mehr)."));
        QCOMPARE(wert(*c, "select count(*) from rechnungen").toInt(), 0);
    }

    // The course's fee once in cents, its dates as the service period; a
    // participation on an invoice is not proposed again until the invoice
    // is cancelled.
    void draftsFromParticipations() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c);
        const auto offen = offeneTeilnahmen(c.get(), 1);
        QCOMPARE(offen.size(), 2);
        QCOMPARE(offen[0].gebuehr, Cent(14950));
        QCOMPARE(offen[0].von, QDate(2026, 5, 5));
        QCOMPARE(offen[0].bis, QDate(2026, 6, 23));
        const Position p = positionFuer(offen[0], einstellungenLesen(c.get()));
        QCOMPARE(p.text, QString("Kurs \"Welpen Mai\" (We), Hund Balu"));
        QCOMPARE(p.ustSatz, 19);

        const QVector<int> entwuerfe = entwuerfeFuerKurs(c.get(), 7);
        QCOMPARE(entwuerfe.size(), 2);  // one per customer
        QVERIFY(offeneTeilnahmen(c.get()).isEmpty());
        QCOMPARE(fehlerText([&] { entwuerfeFuerKurs(c.get(), 7); }),
                 QString("Alle Teilnehmer dieses Kurses haben schon eine Rechnung."));
        const Rechnung quellhorst = lesen(c.get(), entwuerfe[0]);
        QCOMPARE(quellhorst.empfaenger, QString("Frau Sabine Quellhorst\nLindenweg 4\n24103 Kiel"));
        QCOMPARE(quellhorst.positionen.size(), 2);
        QCOMPARE(quellhorst.summen.netto, Cent(29900));
        QCOMPARE(quellhorst.summen.ust, Cent(5681));
        // The same participation cannot stand on two invoices.
        QCOMPARE(fehlerText([&] { entwurfAnlegen(c.get(), 1, {p}); }),
                 QString("Die Teilnahme \"Kurs \"Welpen Mai\" (We), Hund Balu\" steht schon in einem anderen "
                         "Rechnungsentwurf."));

        const Rechnung r = ausstellen(c.get(), entwuerfe[0], QDate(2026, 7, 1));
        QCOMPARE(r.leistungVon, QDate(2026, 5, 5));
        QCOMPARE(r.leistungBis, QDate(2026, 6, 23));
        QCOMPARE(r.faellig, QDate(2026, 7, 15));
        QCOMPARE(r.absender, QString("Hundeschule Pfotenglück\nDeichweg 3\n25813 Husum"));
        stornieren(c.get(), r.renr, QDate(2026, 7, 2));
        QCOMPARE(offeneTeilnahmen(c.get(), 1).size(), 2);
    }

    void cancellationMirrorsTheInvoice() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c);
        const int renr = entwurfAnlegen(c.get(), 1, {frei("Kurs", 100, 14950, 19), frei("Futter", 200, 1234, 7)});
        const Rechnung r = ausstellen(c.get(), renr, QDate(2026, 3, 10));
        QCOMPARE(r.summen.brutto, Cent(14950 + 2841 + 2468 + 173));
        const Rechnung s = stornieren(c.get(), renr, QDate(2026, 3, 12));
        QCOMPARE(s.nummer, QString("RE-2026-0002"));
        QVERIFY(s.storno());
        QCOMPARE(s.stornoVon, renr);
        QCOMPARE(s.stornoVonNummer, QString("RE-2026-0001"));
        QCOMPARE(s.stornoVonDatum, QDate(2026, 3, 10));
        QCOMPARE(s.summen.netto, -r.summen.netto);
        QCOMPARE(s.summen.ust, -r.summen.ust);
        QCOMPARE(s.summen.brutto, -r.summen.brutto);
        QCOMPARE(s.summen.jeSatz.size(), 2);
        QCOMPARE(s.summen.jeSatz[1].ust, Cent(-173));
        QCOMPARE(wert(*c, QString("select brutto from rechnungen where renr = %1").arg(s.renr)).toDouble(), -204.32);
        QVERIFY(!s.faellig.isValid());
        QCOMPARE(lesen(c.get(), renr).storniertDurchNummer, QString("RE-2026-0002"));
        // Not twice, not a cancellation, and the cancelled invoice is no open item.
        QCOMPARE(fehlerText([&] { stornieren(c.get(), renr, QDate(2026, 3, 12)); }),
                 QString("Die Rechnung RE-2026-0001 ist bereits mit RE-2026-0002 storniert."));
        QCOMPARE(fehlerText([&] { stornieren(c.get(), s.renr, QDate(2026, 3, 12)); }),
                 QString("Eine Stornorechnung kann nicht storniert werden."));
        QVERIFY(offenePosten(c.get(), QDate(2026, 4, 1)).isEmpty());
        QCOMPARE(fehlerText([&] { zahlungErfassen(c.get(), renr, QDate(2026, 3, 13), 100, Zahlungsart::Bar); }),
                 QString("Die Rechnung RE-2026-0001 ist storniert; zu ihr wird keine Zahlung mehr erfasst."));
    }

    void paymentsAndTheParticipationsCode_data() {
        QTest::addColumn<int>("art");
        QTest::addColumn<QString>("code");
        QTest::newRow("bar") << int(Zahlungsart::Bar) << "B";
        QTest::newRow("Überweisung") << int(Zahlungsart::Ueberweisung) << "Ü";
        QTest::newRow("Lastschrift") << int(Zahlungsart::Lastschrift) << "L";
        QTest::newRow("Gutschrift") << int(Zahlungsart::Gutschrift) << "G";
    }
    void paymentsAndTheParticipationsCode() {
        QFETCH(int, art);
        QFETCH(QString, code);
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c);
        const int renr = entwuerfeFuerKurs(c.get(), 7).first();
        const Rechnung r = ausstellen(c.get(), renr, QDate(2026, 7, 1));
        QCOMPARE(r.summen.brutto, Cent(35581));
        // A part payment leaves a rest, the codes stay.
        zahlungErfassen(c.get(), renr, QDate(2026, 7, 3), 10000, Zahlungsart::Bar);
        auto offen = offenePosten(c.get(), QDate(2026, 7, 20));
        QCOMPARE(offen.size(), 1);
        QCOMPARE(offen[0].bezahlt, Cent(10000));
        QCOMPARE(offen[0].rest, Cent(25581));
        QCOMPARE(offen[0].tageUeberfaellig, 5);
        QCOMPARE(wert(*c, "select count(*) from teilnehmer where bezahlt = \"N\"").toInt(), 3);
        // More than the rest, nothing, a draft: refused.
        QCOMPARE(fehlerText([&] { zahlungErfassen(c.get(), renr, QDate(2026, 7, 4), 25582, Zahlungsart::Bar); }),
                 QString("Der Betrag 255,82 € ist höher als der offene Rest der Rechnung RE-2026-0001 (255,81 €)."));
        QCOMPARE(fehlerText([&] { zahlungErfassen(c.get(), renr, QDate(2026, 7, 4), 0, Zahlungsart::Bar); }),
                 QString("Der Betrag muss größer als 0,00 € sein."));
        // The rest paid: the invoice's participations get the way's code,
        // the other customer's participation keeps its own.
        zahlungErfassen(c.get(), renr, QDate(2026, 7, 5), 25581, Zahlungsart(art));
        QVERIFY(offenePosten(c.get(), QDate(2026, 7, 20)).isEmpty());
        QCOMPARE(wert(*c, "select bezahlt from teilnehmer where id = 1").toString(), code);
        QCOMPARE(wert(*c, "select bezahlt from teilnehmer where id = 2").toString(), code);
        QCOMPARE(wert(*c, "select bezahlt from teilnehmer where id = 3").toString(), QString("N"));
        const auto z = zahlungen(c.get(), renr);
        QCOMPARE(z.size(), 2);
        QCOMPARE(z[1].art, zahlungsartText(Zahlungsart(art)));
    }

    void reminderLevels() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c);
        const int a = ausstellen(c.get(), entwurf(*c, 2, 10000), QDate(2026, 3, 1)).renr;  // due 15.03.
        const int b = ausstellen(c.get(), entwurf(*c, 2, 2000), QDate(2026, 3, 20)).renr;  // due 03.04.
        const int x = ausstellen(c.get(), entwurf(*c, 1, 2000), QDate(2026, 3, 1)).renr;
        QCOMPARE(fehlerText([&] { mahnen(c.get(), {a, b}, QDate(2026, 3, 25)); }),
                 QString("Die Rechnung RE-2026-0002 ist erst am 03.04.2026 fällig."));
        QCOMPARE(fehlerText([&] { mahnen(c.get(), {a, x}, QDate(2026, 4, 25)); }),
                 QString("Ein Mahnschreiben gilt einem Kunden: Bitte wählen Sie Rechnungen desselben Kunden."));
        struct Schritt {
            QDate heute;
            int stufe;
            const char* text;
            Cent gebuehr;
        };
        const Schritt schritte[] = {{QDate(2026, 3, 25), 1, "Zahlungserinnerung", 0},
                                    {QDate(2026, 4, 10), 2, "1. Mahnung", 500},
                                    {QDate(2026, 4, 30), 3, "2. Mahnung", 500}};
        for (const Schritt& s : schritte) {
            const Mahnschreiben m = mahnen(c.get(), {a}, s.heute);
            QCOMPARE(m.stufe, s.stufe);
            QCOMPARE(mahnstufeText(m.stufe), QString(s.text));
            QCOMPARE(m.gebuehr, s.gebuehr);
            QCOMPARE(m.faellig, s.heute.addDays(14));
            QCOMPARE(m.summe, Cent(11900) + s.gebuehr);
            QCOMPARE(m.empfaenger, QString("Jörg Schröder\nHusum"));
            const auto offen = offenePosten(c.get(), s.heute, 2);
            QCOMPARE(offen.size(), 2);
            QCOMPARE(offen[0].renr, a);
            QCOMPARE(offen[0].mahnstufe, s.stufe);
            QCOMPARE(offen[0].gemahntAm, s.heute);
            QCOMPARE(offen[0].faelligNeu, s.heute.addDays(14));
            QCOMPARE(offen[1].mahnstufe, 0);
        }
        QCOMPARE(fehlerText([&] { mahnen(c.get(), {a}, QDate(2026, 5, 30)); }),
                 QString("Zu diesen Rechnungen wurde bereits die 2. Mahnung geschrieben. Eine weitere Stufe gibt es "
                         "nicht."));
        // Two invoices on one letter: the level one above the highest.
        QCOMPARE(mahnen(c.get(), {b}, QDate(2026, 4, 10)).stufe, 1);
        const int d = ausstellen(c.get(), entwurf(*c, 2, 3000), QDate(2026, 4, 1)).renr;  // due 15.04.
        const Mahnschreiben beide = mahnen(c.get(), {b, d}, QDate(2026, 5, 1));
        QCOMPARE(beide.stufe, 2);
        QCOMPARE(beide.posten.size(), 2);
        QCOMPARE(beide.summe, Cent(2380 + 3570 + 500));
        QCOMPARE(wert(*c, "select count(*) from mahnungen").toInt(), 3 + 2 + 1);
    }

    // The export read back: header, one row per invoice, cancellation and
    // payment of the period, sums exact to the cent.
    void exportForTheTaxAdviser() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c);
        const int r1 = entwurfAnlegen(c.get(), 1, {frei("Kurs", 100, 14950, 19), frei("Futter; Dose", 300, 333, 7)});
        ausstellen(c.get(), r1, QDate(2026, 3, 1));
        const int r2 = entwurfAnlegen(c.get(), 2, {frei("Einzelstunde", 150, 4000, 19)});
        ausstellen(c.get(), r2, QDate(2026, 3, 5));
        stornieren(c.get(), r2, QDate(2026, 3, 6));
        zahlungErfassen(c.get(), r1, QDate(2026, 3, 20), 10000, Zahlungsart::Ueberweisung);
        // Outside the period.
        ausstellen(c.get(), entwurf(*c), QDate(2026, 4, 1));
        zahlungErfassen(c.get(), r1, QDate(2026, 4, 2), 100, Zahlungsart::Bar);

        const QByteArray csv = exportCsv(c.get(), QDate(2026, 3, 1), QDate(2026, 3, 31));
        QVERIFY(csv.contains("\xDC" "berweisung"));  // Windows-1252
        const QStringList zeilen = ausWin1252(csv).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(zeilen.size(), 5);
        QCOMPARE(zeilen[0], QString("Datum;Belegart;Belegnummer;Bezug;Kunde;Netto 19 %;USt 19 %;Netto 7 %;USt 7 %;"
                                    "Netto 0 %;USt gesamt;Brutto;Zahlungsdatum;Zahlungsart"));
        QCOMPARE(zeilen[1], QString("01.03.2026;Rechnung;RE-2026-0001;;Frau Sabine Quellhorst;149,50;28,41;9,99;0,70;"
                                    "0,00;29,11;188,60;;"));
        QCOMPARE(zeilen[2], QString("05.03.2026;Rechnung;RE-2026-0002;;Jörg Schröder;60,00;11,40;0,00;0,00;0,00;"
                                    "11,40;71,40;;"));
        QCOMPARE(zeilen[3], QString("06.03.2026;Stornorechnung;RE-2026-0003;RE-2026-0002;Jörg Schröder;-60,00;-11,40;"
                                    "0,00;0,00;0,00;-11,40;-71,40;;"));
        QCOMPARE(zeilen[4], QString("20.03.2026;Zahlung;RE-2026-0001;;Frau Sabine Quellhorst;;;;;;;100,00;20.03.2026;"
                                    "Überweisung"));
        // Sums of the columns read back as numbers.
        Cent brutto = 0, netto19 = 0;
        for (int i = 1; i < zeilen.size(); ++i) {
            const QStringList f = zeilen[i].split(';');
            QCOMPARE(f.size(), 14);
            Cent v = 0;
            if (f[1] != "Zahlung") {
                QVERIFY(betragLesen(f[11], &v));
                brutto += v;
                QVERIFY(betragLesen(f[5], &v));
                netto19 += v;
            }
        }
        QCOMPARE(brutto, Cent(18860));
        QCOMPARE(netto19, Cent(14950));
        QCOMPARE(exportNummern(c.get(), QDate(2026, 3, 1), QDate(2026, 3, 31)),
                 QStringList({"RE-2026-0001", "RE-2026-0002", "RE-2026-0003"}));
    }

    void girocodePayload() {
        const QString p = girocode("Hundeschule Pfotenglück", "DE89 3704 0044 0532 0130 00", "COBADEFFXXX", 18860,
                                   "RE-2026-0001");
        const QStringList f = p.split('\n');
        QCOMPARE(f.size(), 11);
        QCOMPARE(f[0], QString("BCD"));
        QCOMPARE(f[1], QString("002"));
        QCOMPARE(f[2], QString("1"));
        QCOMPARE(f[3], QString("SCT"));
        QCOMPARE(f[4], QString("COBADEFFXXX"));
        QCOMPARE(f[5], QString("Hundeschule Pfotenglück"));
        QCOMPARE(f[6], QString("DE89370400440532013000"));
        QCOMPARE(f[7], QString("EUR188.60"));
        QCOMPARE(f[8], QString());
        QCOMPARE(f[9], QString());
        QCOMPARE(f[10], QString("RE-2026-0001"));
        QVERIFY(p.toUtf8().size() <= 331);
        // Long names and texts are cut to the limits; no BIC is allowed.
        const QStringList lang = girocode(QString(90, 'N'), "DE89370400440532013000", "", 5, QString(200, 'V')).split('\n');
        QCOMPARE(lang[4], QString());
        QCOMPARE(lang[5].size(), 70);
        QCOMPARE(lang[7], QString("EUR0.05"));
        QCOMPARE(lang[10].size(), 140);
        // No code without a valid IBAN or without an amount to pay.
        QCOMPARE(girocode("x", "DE00", "", 100, "y"), QString());
        QCOMPARE(girocode("x", "DE89370400440532013000", "", 0, "y"), QString());
    }

    // Erasure keeps issued invoices with payments and reminders; drafts go.
    // The access report names them.
    void erasureKeepsIssuedInvoices() {
        TestEnv env;
        env.createDatabase();
        auto c = env.connect();
        schule(*c);
        const int renr = entwuerfeFuerKurs(c.get(), 7).first();
        ausstellen(c.get(), renr, QDate(2026, 7, 1));
        zahlungErfassen(c.get(), renr, QDate(2026, 7, 2), 1000, Zahlungsart::Bar);
        mahnen(c.get(), {renr}, QDate(2026, 8, 1));
        entwurf(*c, 1);

        db::Transaction t(c.get());
        const auto u = datenschutz::umfangLesen(c.get(), &t, 1);
        QCOMPARE(u.rechnungen, 1);
        QCOMPARE(u.offeneRechnungen, 1);
        QCOMPARE(u.entwuerfe, 1);
        const auto a = datenschutz::auskunftLesen(c.get(), &t, 1);
        QCOMPARE(a.rechnungen.size(), 2);
        QCOMPARE(datenschutz::wert(a.rechnungen[0].rechnung, "NUMMER").toString(), QString("RE-2026-0001"));
        QCOMPARE(a.rechnungen[0].positionen.size(), 2);
        QCOMPARE(a.rechnungen[0].zahlungen.size(), 1);
        QCOMPARE(a.rechnungen[0].mahnungen.size(), 1);
        QVERIFY(datenschutz::auskunftJson(a).contains("\"RE-2026-0001\""));
        datenschutz::loeschen(c.get(), &t, 1, {});
        t.commit();
        QCOMPARE(wert(*c, "select count(*) from kunden where kndnr = 1").toInt(), 0);
        QCOMPARE(wert(*c, "select count(*) from rechnungen where kndnr = 1").toInt(), 1);
        QCOMPARE(wert(*c, "select count(*) from rechnungspositionen p join rechnungen r on r.renr = p.renr "
                          "where r.kndnr = 1").toInt(),
                 2);
        QCOMPARE(wert(*c, "select count(*) from zahlungen").toInt(), 1);
        QCOMPARE(wert(*c, "select count(*) from mahnungen").toInt(), 1);
        // The kept invoice still reads whole.
        const Rechnung r = lesen(c.get(), renr);
        QCOMPARE(r.empfaenger, QString("Frau Sabine Quellhorst\nLindenweg 4\n24103 Kiel"));
        QCOMPARE(r.summen.brutto, Cent(35581));
    }
};

KYN_TEST(RechnungenTest)
#include "rechnungen_test.moc"
