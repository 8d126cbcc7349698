#pragma once
// What the school stores about one customer, for the customer's right of
// access and of erasure, and which customers have had no contact for years.
//
// Everything here reads and writes through plain statements on a connection
// and transaction that the caller gives (the data module's), so that reading
// sees what the user has posted and an erasure runs in the caller's
// transaction: the caller commits, or rolls back when a step throws.
//
// A consultation appointment (a date of course -1) belongs to no customer by
// key: the consultations window copies the customer's name into the place
// (ORT, "Name, PLZ Ort") and the telephone numbers into the contact. An
// appointment counts as the customer's when its topic, place or contact
// names the customer's surname as a whole word (case ignored), or its
// contact holds one of the customer's telephone numbers.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace db {
class Connection;
class Transaction;
}

namespace datenschutz {

// One stored row: column names (upper case, in table order) and values
// (NULL is an invalid QVariant).
using Datensatz = QVector<QPair<QString, QVariant>>;
QVariant wert(const Datensatz& d, const QString& spalte);

struct Hund {
    Datensatz daten;                 // the whole HUNDE row: master data and questionnaire
    QVector<Datensatz> tagebuch;     // HUNDE_TAGEBUCH, by date
};

struct Teilnahme {
    Datensatz teilnahme;             // the TEILNEHMER row (BEZAHLT is the payment code)
    Datensatz kurs;                  // the KURSE row
    QVector<Datensatz> termine;      // the course's KURSTERMINE, by date
};

// An invoice of the customer with its lines, payments and reminders.
struct Rechnung {
    Datensatz rechnung;              // the RECHNUNGEN row
    QVector<Datensatz> positionen;   // RECHNUNGSPOSITIONEN, by line
    QVector<Datensatz> zahlungen;    // ZAHLUNGEN, by date
    QVector<Datensatz> mahnungen;    // MAHNUNGEN, by level
};

struct Auskunft {
    int kndnr = 0;
    QDateTime erstellt;              // when the information was read
    Datensatz kunde;                 // the KUNDEN row
    QVector<Hund> hunde;             // by dog number
    QVector<Teilnahme> teilnahmen;   // by participation number
    QVector<Datensatz> beratungstermine;  // KURSTERMINE of course -1 naming the customer
    QVector<Rechnung> rechnungen;    // by invoice key (drafts included)
};

// Reads everything stored about the customer. Throws db::Error when there
// is no such customer.
Auskunft auskunftLesen(db::Connection* c, db::Transaction* t, int kndnr);

// The information as JSON (UTF-8, indented): the rows as objects keyed by
// column name; NULL as null, numbers as numbers, dates as
// "JJJJ-MM-TTThh:mm:ss" (the stored wall-clock time), texts as stored.
QByteArray auskunftJson(const Auskunft& a);
// A stored value as it stands in the JSON.
QVariant jsonWert(const QVariant& v);

// "Datenauskunft-Kunde-0012-2026-12-10" (no extension).
QString dateiname(int kndnr, const QDate& datum);
// The user's documents folder (the home folder when there is none).
QString dokumentenordner();

// The customer's name as a text: "Sabine Müller" (first name, surname).
QString kundenname(const Datensatz& kunde);
// Whether an appointment (its THEMA, ORT, KONTAKT) names the customer.
bool nenntKunden(const Datensatz& kunde, const Datensatz& termin);

// The German label of a column for the printout ("Kunden-Nr.", "Rasse").
QString spaltenname(const QString& tabelle, const QString& spalte);
// A stored value as the printout shows it: dates "dd.mm.yyyy" (with
// " hh:nn" when there is a time), payment and flag codes as words.
QString anzeigewert(const QString& tabelle, const QString& spalte, const QVariant& v);

// --- erasure ---

struct Umfang {
    Datensatz kunde;
    int hunde = 0;
    int tagebuch = 0;
    int teilnahmen = 0;
    QVector<Datensatz> beratungstermine;  // to be deleted or kept, as the user chooses
    // Issued invoices (and cancellation invoices) stay with their payments
    // and reminders: the retention duty of tax law outweighs the erasure.
    int rechnungen = 0;
    int offeneRechnungen = 0;  // of them, invoices with a rest to pay
    int entwuerfe = 0;         // drafts, deleted with the customer
};
// What an erasure of the customer removes. Throws db::Error when there is
// no such customer.
Umfang umfangLesen(db::Connection* c, db::Transaction* t, int kndnr);

// Deletes the customer with the diary of their dogs, their participations,
// their dogs, their draft invoices and the consultation appointments given
// by their dates (course -1 only). Issued invoices, their payments and
// reminders stay. Runs in `t` and does not commit.
void loeschen(db::Connection* c, db::Transaction* t, int kndnr,
              const QVector<QDateTime>& beratungstermine);

// Where a text still occurs: every text column of every table of the
// database, searched with CONTAINING (case ignored).
struct Fundstelle {
    QString tabelle;
    QString spalte;
    int anzahl = 0;
};
QVector<Fundstelle> fundstellen(db::Connection* c, db::Transaction* t, const QString& text);

// --- old records ---

struct AlterKunde {
    int kndnr = 0;
    QString name, vname, ort;
    QDateTime letzterKontakt;  // invalid: no dated entry at all
};
// Customers with no dated entry on or after `heute` minus `jahre` years:
// taken on, questionnaire of a dog taken, diary entry, date of a course they
// take part in, consultation appointment naming them. Customers without any
// dated entry are listed too. Ordered by the last contact, oldest first.
QVector<AlterKunde> alteKunden(db::Connection* c, db::Transaction* t, int jahre, const QDate& heute);

}  // namespace datenschutz
