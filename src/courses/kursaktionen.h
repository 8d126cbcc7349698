#pragma once
// Two actions on the course the course window shows ("Kurse" in the
// navigator):
//
// - "Verschieben": every date of the course from a chosen date on moves by
//   a number of days, or so that the chosen date lands on a new day; the
//   times of day stay. The dialog shows the old and the new dates and asks
//   "Termine verschieben?"; a move that would put a date onto another date
//   of the course (same day and time, which the table's key forbids) is
//   refused before anything changes.
// - "Stornieren": the course gets the status "S" (Storniert) after a
//   confirmation; its future dates are removed or kept as the user chooses.
//   The dialog lists the participants with telephone and e-mail and opens
//   one e-mail to all participants that have an address.
//
// The dates are changed with plain statements in the data module's
// transaction, committed once at the end (commit retaining, so the windows
// keep their rows); the course window's datasets then read them again.
#include <QDateTime>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QVector>

class KeyLineEdit;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class Tdm;
class QTableWidget;

namespace db {
class Connection;
class Transaction;
}  // namespace db

namespace kursaktionen {

// The current course of the course list: its number and "Kurs 0003 –
// Welpen"; 0 (after a message) when there is none.
struct Kurs {
    int kursnr = 0;
    QString bezeichnung;
    QString status;
};
Kurs aktuellerKurs(Tdm& dm);

// --- moving ---

struct Termin {
    QDateTime datum;    // key (day and time)
    QDateTime uhrzeit;  // may be empty
    QString thema;
};

// The dates of the course, ordered by DATUM.
QVector<Termin> termine(db::Connection* c, db::Transaction* t, int kursnr);

struct Verschiebung {
    QDateTime alt, neu;
};

struct Plan {
    QVector<Verschiebung> termine;  // the dates that move, in date order
    // New dates that fall on a date of the course that does not move.
    QVector<QDateTime> kollisionen;
};

// The plan for moving every date from `ab` on (DATUM >= ab) by `tage` days.
Plan planen(const QVector<Termin>& alle, const QDateTime& ab, qint64 tage);

// Days from the chosen date's day to the new first day.
qint64 tageBis(const QDateTime& ab, const QDate& neuerTag);

// Moves the dates of the plan (which must have no collisions) by `tage`
// days, DATUM and UHRZEIT alike, one row at a time in an order in which no
// row meets another; then commits (retaining). On an error nothing is
// moved (rolled back to the start) and the error propagates.
void verschieben(db::Connection* c, db::Transaction* t, int kursnr, const Plan& plan, qint64 tage);

// "Montag, 05.12.2005 18:30"
QString terminText(const QDateTime& datum);

// --- cancelling ---

struct Teilnehmer {
    QString name, vname, hund, tel, mobil, email;
};
QVector<Teilnehmer> teilnehmer(db::Connection* c, db::Transaction* t, int kursnr);

// Dates of the course after `jetzt`.
int kuenftigeTermine(db::Connection* c, db::Transaction* t, int kursnr, const QDateTime& jetzt);

// Sets the status "S"; with `termineLoeschen` also deletes the dates after
// `jetzt`. Commits (retaining); on an error nothing changes and the error
// propagates.
void stornieren(db::Connection* c, db::Transaction* t, int kursnr, bool termineLoeschen, const QDateTime& jetzt);

// "mailto:a@example.de,b@example.de": every participant's address once,
// in list order; empty when nobody has one.
QString mailtoAlle(const QVector<Teilnehmer>& liste);

// The questions and messages.
QString frageVerschieben();                            // "Termine verschieben?"
QString frageStornieren(const QString& bezeichnung);  // "Soll der Kurs ... storniert werden?"
QString frageTermineLoeschen(int anzahl);              // "... künftigen Termine löschen? ..."
QString meldungKollision(const QVector<QDateTime>& kollisionen);

// Shows the dialogs for the current course (the navigator's entries).
void verschiebenZeigen(Tdm& dm, QWidget* parent = nullptr);
void stornierenZeigen(Tdm& dm, QWidget* parent = nullptr);

}  // namespace kursaktionen

class Tdlg_kurs_verschieben : public QDialog {
    Q_OBJECT
public:
    Tdlg_kurs_verschieben(Tdm& data, const kursaktionen::Kurs& kurs, QWidget* parent = nullptr);

    QLabel* lb_kurs = nullptr;
    QComboBox* cb_ab = nullptr;
    QRadioButton* rb_tage = nullptr;
    QSpinBox* se_tage = nullptr;
    QRadioButton* rb_datum = nullptr;
    KeyLineEdit* e_neues_datum = nullptr;
    QTableWidget* tw_vorschau = nullptr;
    QLabel* lb_hinweis = nullptr;
    QPushButton* b_verschieben = nullptr;
    QPushButton* b_abbrechen = nullptr;

    // Reads the dates of the course again and shows the plan.
    void neuLesen();
    // The days of the move as entered; false when the new first date
    // cannot be read.
    bool tage(qint64* out) const;
    // Shows the old and new dates of the plan as entered.
    void vorschau();
    // Checks, asks "Termine verschieben?" and moves; true when moved (the
    // dialog is then accepted).
    bool b_verschiebenClick();

    int kursnr() const { return m_kurs.kursnr; }

private:
    Tdm& m_dm;
    kursaktionen::Kurs m_kurs;
    QVector<kursaktionen::Termin> m_termine;
};

class Tdlg_kurs_stornieren : public QDialog {
    Q_OBJECT
public:
    Tdlg_kurs_stornieren(Tdm& data, const kursaktionen::Kurs& kurs, QWidget* parent = nullptr);

    QLabel* lb_kurs = nullptr;
    QLabel* lb_status = nullptr;
    QTableWidget* tw_teilnehmer = nullptr;
    QPushButton* b_email = nullptr;
    QPushButton* b_stornieren = nullptr;
    QPushButton* b_schliessen = nullptr;

    // Asks, cancels the course and (as answered) removes its future dates;
    // true when the course was cancelled.
    bool b_stornierenClick(const QDateTime& jetzt = QDateTime());
    // One e-mail to every participant with an address.
    void b_emailClick();

    const QVector<kursaktionen::Teilnehmer>& teilnehmer() const { return m_teilnehmer; }

private:
    void zeigeStatus();
    Tdm& m_dm;
    kursaktionen::Kurs m_kurs;
    QVector<kursaktionen::Teilnehmer> m_teilnehmer;
    QString m_nachricht;
};
