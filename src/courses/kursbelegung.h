#pragma once
// How full a course is and which courses the course list shows.
//
// - The question before a participant is enrolled into a course that already
//   has as many participants as its MAXTEILNEHMER allows.
// - The course list's three switches "Aktive Kurse", "Alle Kurse" and
//   "Beendete Kurse": a filter on the data module's course table by status.
#include <QString>

class Tdm;
namespace db {
class Table;
}

// "Der Kurs ist mit 8 Teilnehmern voll. Trotzdem aufnehmen?"
QString kurs_voll_frage(int teilnehmer);

// Participants enrolled in the course, read in the running transaction.
int kurs_teilnehmerzahl(Tdm& data, int kursnr);

// Whether one more participant may be enrolled into the course: true when
// the course has no maximum (empty or 0) or room left, else the question
// above decides ("Ja": true).
bool kurs_platz_oder_trotzdem(Tdm& data, int kursnr);

// Which courses the course list shows.
// The special course -1 of the consultations is never among them.
enum class KursAuswahl {
    Aktive,   // status "A" (and courses without a status)
    Alle,     // every course
    Beendete  // status "B"
};

// The filter text for a choice.
QString kursauswahl_filter(KursAuswahl auswahl);

// Sets the choice as the course table's filter (the server evaluates it as
// the WHERE). A pending edit of the course is brought to browse state first
// (posted or dropped); when that fails the error propagates and the filter
// stays as it was.
void kursauswahl_setzen(db::Table* kurse, KursAuswahl auswahl);
