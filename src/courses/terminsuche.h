#pragma once
// "Termine suchen": a search over the consultations and single lessons (the
// dates of the special course -1) by customer, dog, topic, contact and a
// date range, with a list of the appointments found. A double click opens
// the consultations window on the appointment.
//
// The search texts travel as statement parameters, never as part of the
// statement's text, and the database upper-cases them with the same UPPER
// it applies to the columns, so "müller", "Müller" and "MÜLLER" find the
// same appointments.
#include <QDate>
#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QVector>
#include <QWidget>

#include "platform/workingwindow.h"

class Tdm;

class KeyLineEdit;
class QLabel;
class QPushButton;
class QTableWidget;

namespace db {
class Connection;
class Transaction;
}  // namespace db

namespace terminsuche {

// What to look for; an empty text or an invalid date does not restrict.
struct Kriterien {
    QString kunde;    // in place, contact or topic (the consultations window puts the name into the place)
    QString hund;     // in topic, place or contact, or an appointment of the dog's owner
    QString thema;    // in the topic
    QString kontakt;  // in the contact
    QDate von;        // appointments on or after this day
    QDate bis;        // appointments on or before this day
};

struct Treffer {
    QDateTime datum;  // the key of the appointment (day and time)
    QDateTime uhrzeit;
    QString thema, ort, kontakt;
};

// The statement with its named parameters (:kunde, :hund, :thema,
// :kontakt, :von, :bis), for the criteria that restrict.
QString sql(const Kriterien& k);

// Runs the search in the given transaction, ordered by date and time. A
// text that no stored value can hold (characters outside the database's
// character set) finds nothing.
QVector<Treffer> suchen(db::Connection* c, db::Transaction* t, const Kriterien& k);

}  // namespace terminsuche

class Tfrm_terminsuche : public QWidget, public WorkingWindow {
    Q_OBJECT
public:
    explicit Tfrm_terminsuche(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_terminsuche() override;

    static QString meldungDatum(const QString& feld);

    KeyLineEdit* e_kunde = nullptr;
    KeyLineEdit* e_hund = nullptr;
    KeyLineEdit* e_thema = nullptr;
    KeyLineEdit* e_kontakt = nullptr;
    KeyLineEdit* e_von = nullptr;
    KeyLineEdit* e_bis = nullptr;
    QPushButton* b_suchen = nullptr;
    QPushButton* b_leeren = nullptr;
    QLabel* lb_anzahl = nullptr;
    QTableWidget* tw_termine = nullptr;

    // Reads the edits and fills the list; false after a message when a date
    // cannot be read (the list stays as it was).
    bool b_suchenClick();
    // Empties the texts, "von" back to today, "bis" empty.
    void b_leerenClick();
    // Opens the consultations window on the appointment of the row.
    void tw_termineDblClick(int row);

    const QVector<terminsuche::Treffer>& treffer() const { return m_treffer; }

private:
    QVector<terminsuche::Treffer> m_treffer;

    // The data module the window works on.
    Tdm& m_dm;
};

extern QPointer<Tfrm_terminsuche> frm_terminsuche;
