#pragma once
// The data protection functions of the customer window and the navigator:
// the access report ("Datenauskunft") for one customer, the erasure of a
// customer ("Kunde endgültig löschen") and the list of customers without
// contact for years ("Alte Kundendaten"), from which both run per customer.
//
// What is read, written and deleted is the data layer's (data/datenschutz.h);
// here are the dialogs, the files, the backup before an erasure and the
// refresh of the windows' datasets afterwards.
#include <QDateTime>
#include <QDialog>
#include <QVector>
#include <functional>

#include "data/datenschutz.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;
class Tdm;

namespace datenschutz_ui {

// The customer the customer window shows (the current row of the shared
// customer table), 0 when there is none; then a message has been shown.
int aktuellerKunde(Tdm& dm);

// Reads everything stored about the customer, asks where to save it
// (default: the documents folder, "Datenauskunft-Kunde-0012-JJJJ-MM-TT.json"),
// writes the JSON and the printout as PDF beside it (same name, ".pdf") and
// shows the printout in the print preview. Returns whether the files were
// written.
bool datenauskunft(Tdm& dm, int kndnr, QWidget* parent = nullptr);

// Asks with the list of what goes (Tdlg_kunde_loeschen), writes a backup of
// the database, then deletes the customer with their dogs, diary,
// participations and the chosen appointments in one transaction. Returns
// whether the customer was deleted.
bool kundeLoeschen(Tdm& dm, int kndnr, QWidget* parent = nullptr);

// The backup written before an erasure:
// "vor-loeschung-kunde-0012-2026-12-10-140512.fbk" in the backup folder.
QString sicherungsname(int kndnr, const QDateTime& zeit);

// Shows the list of old customer records modally.
void alteKundendatenZeigen(Tdm& dm, QWidget* parent = nullptr);

}  // namespace datenschutz_ui

// The confirmation of an erasure: what goes, and the consultation
// appointments naming the customer, each ticked to go with them or not.
class Tdlg_kunde_loeschen : public QDialog {
    Q_OBJECT
public:
    Tdlg_kunde_loeschen(const datenschutz::Umfang& umfang, QWidget* parent = nullptr);

    QLabel* lb_umfang = nullptr;
    QLabel* lb_termine = nullptr;
    QListWidget* lst_termine = nullptr;
    QPushButton* b_loeschen = nullptr;
    QPushButton* b_abbrechen = nullptr;

    // The dates of the ticked appointments.
    QVector<QDateTime> zuLoeschendeTermine() const;

    // How the dialog is answered: by default it runs modally and returns
    // whether "Endgültig löschen" was clicked. Tests put a handler here.
    using Antwort = std::function<bool(Tdlg_kunde_loeschen&)>;
    static Antwort setAntwort(Antwort a);  // returns the one before
    bool fragen();

private:
    datenschutz::Umfang m_umfang;
};

// "Alte Kundendaten": customers without participation, appointment, diary
// entry or new record for a number of years.
class Tfrm_alte_kunden : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_alte_kunden(Tdm& data, QWidget* parent = nullptr);

    QSpinBox* se_jahre = nullptr;
    QPushButton* b_aktualisieren = nullptr;
    QLabel* lb_anzahl = nullptr;
    QTableWidget* tw_kunden = nullptr;
    QPushButton* b_auskunft = nullptr;
    QPushButton* b_loeschen = nullptr;
    QPushButton* b_schliessen = nullptr;

    // Reads the list again for the years in se_jahre, as of `heute`
    // (default: today).
    void aktualisieren(const QDate& heute = QDate());
    // The customer number of the selected row, 0 when none.
    int gewaehlterKunde() const;
    void b_auskunftClick();
    void b_loeschenClick();

private:
    void zeigeAuswahl();
    Tdm& m_dm;
    QDate m_heute;
};
