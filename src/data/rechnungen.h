#pragma once
// Invoices: the school's billing data, drafts from participations and free
// lines, issuing with gapless numbers, cancellation invoices, payments,
// open items, reminders and the export for the tax adviser.
//
// Money is whole cents (Cent) everywhere in the program; the database keeps
// NUMERIC(9,2), which dialect 1 stores as a scaled integer. The course fee
// (a FLOAT column) is turned into cents once, when a participation becomes
// an invoice line. Quantities are hundredths (150 = 1,5).
//
// Every function that writes runs in a short transaction of its own on the
// given connection and ends it with a real commit (or a rollback when it
// fails): an invoice number is final once the function returns. Reads run in
// a read-committed transaction of their own. Failures throw db::Error with a
// German text.
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

namespace db {
class Connection;
}

namespace rechnungen {

using Cent = qint64;

// "1.234,56 €", "-12,00 €"
QString betrag(Cent c);
// "1234,56", "-12,00" (the export's number format: no thousands separator)
QString zahl(Cent c);
// Reads "12", "12,5", "1.234,56", "12,50 €", "-3,10"; false for anything else
// or more than two decimals.
bool betragLesen(const QString& text, Cent* out);
// Quantity in hundredths as text: 100 -> "1", 150 -> "1,5".
QString menge(qint64 hundertstel);
bool mengeLesen(const QString& text, qint64* hundertstel);

// The VAT on a net sum at a rate in percent, rounded half up (half away from
// zero for negative sums, so that a cancellation mirrors its invoice).
Cent ustAuf(Cent netto, int satz);

// The VAT rates a line may carry.
const QVector<int>& steuersaetze();  // 19, 7, 0

// --- the school's billing data ---

struct Einstellungen {
    bool kleinunternehmer = false;  // § 19 UStG: no VAT
    int ustSatz = 19;               // default rate of new lines
    QString steuernummer, ustIdNr;
    QString bank, iban, bic;
    QString glaeubigerId;           // SEPA creditor ID
    QString nummernmuster = QStringLiteral("RE-{JJJJ}-{NNNN}");
    int zahlungsziel = 14;          // days
    QString textOben, textUnten;
    Cent mahngebuehr = 0;
    // From SYSTEMDATEN (the master data dialog), read only here.
    QString schule, strasse, plz, ort;
};
Einstellungen einstellungenLesen(db::Connection* c);
// Checks (pruefen) and stores. Throws db::Error with the first fault.
void einstellungenSpeichern(db::Connection* c, const Einstellungen& e);
// The first fault of the data as a German sentence, empty when none.
QString pruefen(const Einstellungen& e);

// Without blanks, upper case: "DE89 3704 0044 0532 0130 00" -> "DE89370400440532013000".
QString kompakt(const QString& text);
// ISO 13616 check digits (mod 97) and the length of the country (DE: 22).
bool ibanGueltig(const QString& iban);
// 8 or 11 characters: bank, country, location (and branch).
bool bicGueltig(const QString& bic);
// The SEPA creditor ID: country, check digits over the national part
// (mod 97, the business code in places 5 to 7 left out), DE: 18 characters.
bool glaeubigerIdGueltig(const QString& id);
// "DE89 3704 0044 0532 0130 00"
QString ibanLesbar(const QString& iban);

// The number pattern: {JJJJ} the year, {JJ} its last two digits, {N...} the
// count with as many digits as N's (at least). Empty when valid, else why not.
QString musterPruefen(const QString& muster);
QString nummerBilden(const QString& muster, int jahr, int zaehler);
// Whether the pattern names the year: then the count starts again each year.
bool zaehltJeJahr(const QString& muster);

// --- invoices ---

struct Position {
    int pos = 0;
    int teilnehmerId = 0;   // 0: a free line
    QString text;
    qint64 menge = 100;     // hundredths
    Cent einzelpreis = 0;   // net (gross for a small business, which shows no VAT)
    int ustSatz = 19;
    QDate von, bis;         // service period of the line (may be empty)
    Cent netto() const;     // quantity × unit price, rounded half up to the cent
};

struct Steuerzeile {
    int satz = 0;
    Cent netto = 0;
    Cent ust = 0;
};

struct Summen {
    QVector<Steuerzeile> jeSatz;  // highest rate first
    Cent netto = 0, ust = 0, brutto = 0;
};
// Net sum per rate, the VAT on each sum; a small business shows no VAT.
Summen summen(const QVector<Position>& positionen, bool kleinunternehmer);

struct Rechnung {
    int renr = 0;
    QString nummer;          // empty for a draft
    QChar art = QLatin1Char('R');     // R invoice, S cancellation invoice
    QChar status = QLatin1Char('E');  // E draft, A issued
    int kndnr = 0;
    int kursnr = 0;
    int stornoVon = 0;       // the cancelled invoice's RENR
    QString stornoVonNummer;
    QDate stornoVonDatum;
    int storniertDurch = 0;  // RENR of the cancellation invoice, 0 when none
    QString storniertDurchNummer;
    QDate datum, faellig, leistungVon, leistungBis;
    QString empfaenger;      // name and address, lines separated by "\n"
    QString absender;        // the school's name and address, lines separated by "\n"
    bool kleinunternehmer = false;
    QString steuernummer, ustIdNr, bank, iban, bic, textOben, textUnten;
    QVector<Position> positionen;
    Summen summen;

    bool ausgestellt() const { return status == QLatin1Char('A'); }
    bool storno() const { return art == QLatin1Char('S'); }
};

// A participation not yet on an invoice (drafts count: they would be billed
// twice otherwise; a cancelled invoice gives its participations free).
struct OffeneTeilnahme {
    int teilnehmerId = 0;
    int kndnr = 0;
    int kursnr = 0;
    QString kunde;   // "Müller, Sabine"
    QString hund, kursname, kursart;
    Cent gebuehr = 0;
    QDate von, bis;  // the course's first and last date
};
// Of one customer (kndnr > 0), of one course (kursnr > 0) or all.
QVector<OffeneTeilnahme> offeneTeilnahmen(db::Connection* c, int kndnr = 0, int kursnr = 0);

// The invoice line proposed for a participation.
Position positionFuer(const OffeneTeilnahme& t, const Einstellungen& e);

// A draft for the customer with the given lines (participation lines and
// free lines). Throws when there are no lines or a line is wrong.
int entwurfAnlegen(db::Connection* c, int kndnr, const QVector<Position>& positionen, int kursnr = 0);
// Drafts for every participant of the course not yet invoiced, one per
// customer; their RENRs.
QVector<int> entwuerfeFuerKurs(db::Connection* c, int kursnr);
// Replaces the lines of a draft.
void entwurfAendern(db::Connection* c, int renr, const QVector<Position>& positionen);
void entwurfLoeschen(db::Connection* c, int renr);

Rechnung lesen(db::Connection* c, int renr);
// The invoices of a customer (all, or 0 for every customer), newest first,
// without their lines.
QVector<Rechnung> liste(db::Connection* c, int kndnr = 0);

// Gives the draft the next number, the date, the due date and a copy of the
// school's data, in one transaction that also counts the number up.
Rechnung ausstellen(db::Connection* c, int renr, const QDate& datum);

// Issues the cancellation invoice of an issued invoice: its own number, the
// same lines with negative amounts, referring to the original.
Rechnung stornieren(db::Connection* c, int renr, const QDate& datum);

// --- payments ---

enum class Zahlungsart { Bar, Ueberweisung, Lastschrift, Gutschrift };
QString zahlungsartText(Zahlungsart a);          // "bar", "Überweisung", ...
QString zahlungscode(Zahlungsart a);             // the participation's code: "B", "Ü", "L", "G"
const QVector<Zahlungsart>& zahlungsarten();

struct Zahlung {
    int zahlnr = 0;
    int renr = 0;
    QDate datum;
    Cent betrag = 0;
    QString art;  // zahlungsartText
};
QVector<Zahlung> zahlungen(db::Connection* c, int renr);

// Records a payment. Paid in full, the invoice's participations get the
// payment code of the way it was paid. Throws for a draft, a cancellation,
// a cancelled invoice, an amount of zero or less or above the rest.
void zahlungErfassen(db::Connection* c, int renr, const QDate& datum, Cent betrag, Zahlungsart art);

// --- open items and reminders ---

struct OffenerPosten {
    int renr = 0;
    QString nummer;
    int kndnr = 0;
    QString kunde;     // first line of the recipient
    QDate datum, faellig;
    Cent brutto = 0, bezahlt = 0, rest = 0;
    int tageUeberfaellig = 0;  // 0 when not yet due
    int mahnstufe = 0;         // 0 none, 1 Zahlungserinnerung, 2 1. Mahnung, 3 2. Mahnung
    QDate gemahntAm;
    QDate faelligNeu;          // due date set by the last reminder
};
// Issued invoices (not cancelled, not cancellations) with a rest to pay,
// by due date; of one customer or all.
QVector<OffenerPosten> offenePosten(db::Connection* c, const QDate& heute, int kndnr = 0);

// "Zahlungserinnerung", "1. Mahnung", "2. Mahnung"
QString mahnstufeText(int stufe);

struct Mahnschreiben {
    int kndnr = 0;
    int stufe = 0;
    QDate datum, faellig;
    Cent gebuehr = 0;
    QString empfaenger;  // of the newest of the invoices
    QVector<OffenerPosten> posten;
    Cent summe = 0;      // rests plus fee
};
// The next reminder for these open invoices of one customer: the level is
// one above the highest reached among them (at most 3); the fee of the
// billing data applies from the 1. Mahnung on; the new due date lies the
// payment term after today. Stores the level reached per invoice.
Mahnschreiben mahnen(db::Connection* c, const QVector<int>& renrs, const QDate& heute);

// --- export for the tax adviser ---

// The export's columns, in order.
QStringList exportSpalten();
// Invoices and cancellations dated within the period (one row each) and
// payments made within it (one row each), by date: semicolon-separated,
// Windows-1252, German numbers, CRLF line ends, a header row.
QByteArray exportCsv(db::Connection* c, const QDate& von, const QDate& bis);
// The numbers of the invoices and cancellations of the period.
QStringList exportNummern(db::Connection* c, const QDate& von, const QDate& bis);
// Text to Windows-1252 ("?" for a character the code page lacks).
QByteArray win1252(const QString& text);

// --- Girocode ---

// The EPC QR payload (version 002, UTF-8, SCT) for the invoice's rest:
// BCD, 002, 1, SCT, BIC, name (≤ 70), IBAN, "EUR12.34", purpose,
// reference, remittance text (≤ 140); lines joined by "\n". Empty when the
// school has no valid IBAN or the amount is not between 0,01 and
// 999.999.999,99 €.
QString girocode(const QString& name, const QString& iban, const QString& bic, Cent betrag,
                 const QString& verwendungszweck);

// --- archive ---

// <data directory>/Rechnungen
QString archivordner();
// The archived PDF of an invoice number: <archivordner>/RE-2026-0001.pdf
// (characters not allowed in file names become "_").
QString archivdatei(const QString& nummer);

}  // namespace rechnungen
