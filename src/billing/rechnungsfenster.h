#pragma once
// The windows of invoicing:
// - "Rechnungsdaten" (Konfiguration): tax status, tax number, bank, creditor
//   ID, number pattern, payment term, texts, reminder fee;
// - the invoice: a draft with its lines (participations and free lines),
//   "Rechnung ausstellen", preview; an issued invoice shown, "Stornieren",
//   "Zahlung erfassen";
// - "Rechnungen": a customer's (or every) invoice with its state;
// - "Zahlung erfassen": date, amount, way;
// - "Offene Posten": open invoices with due date and days overdue beside the
//   participations not yet invoiced; reminders from there;
// - "Export für den Steuerberater": CSV and the period's PDFs in one folder.
//
// Every action runs through the data functions of data/rechnungen.h, which
// commit on their own; what the data module's transaction holds is committed
// first, so that the invoice sees it and no lock of it stands in the way.
#include <QDate>
#include <QDialog>
#include <QVector>

#include "data/rechnungen.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class Tdm;

namespace billing {

class Tdlg_rechnungsdaten : public QDialog {
    Q_OBJECT
public:
    Tdlg_rechnungsdaten(Tdm& dm, QWidget* parent = nullptr);

    QRadioButton* rb_kleinunternehmer = nullptr;
    QRadioButton* rb_umsatzsteuer = nullptr;
    QComboBox* cb_ust_satz = nullptr;
    QLineEdit* ed_steuernummer = nullptr;
    QLineEdit* ed_ust_idnr = nullptr;
    QLineEdit* ed_bank = nullptr;
    QLineEdit* ed_iban = nullptr;
    QLabel* lb_iban_pruefung = nullptr;
    QLineEdit* ed_bic = nullptr;
    QLineEdit* ed_glaeubiger_id = nullptr;
    QLineEdit* ed_nummernmuster = nullptr;
    QLabel* lb_nummer_beispiel = nullptr;
    QSpinBox* sb_zahlungsziel = nullptr;
    QLineEdit* ed_mahngebuehr = nullptr;
    QPlainTextEdit* me_text_oben = nullptr;
    QPlainTextEdit* me_text_unten = nullptr;
    QPushButton* bb_ok = nullptr;
    QPushButton* bb_abbrechen = nullptr;

    // The data as the controls hold them; false (message shown) when an
    // amount cannot be read.
    bool werte(rechnungen::Einstellungen* e) const;

private:
    void speichern();
    void pruefungZeigen();
    Tdm& m_dm;
    rechnungen::Einstellungen m_alt;
};

// One invoice: a draft (editable) or an issued invoice (shown).
class Tdlg_rechnung : public QDialog {
    Q_OBJECT
public:
    // An existing invoice.
    Tdlg_rechnung(Tdm& dm, int renr, QWidget* parent = nullptr);
    // A new draft for the customer with the proposed lines (not stored
    // until "Entwurf speichern" or "Rechnung ausstellen").
    Tdlg_rechnung(Tdm& dm, int kndnr, const QVector<rechnungen::Position>& vorschlag, QWidget* parent = nullptr);

    QLabel* lb_kopf = nullptr;
    QTableWidget* tb_positionen = nullptr;
    QLabel* lb_summen = nullptr;
    QPushButton* bb_position_neu = nullptr;
    QPushButton* bb_position_weg = nullptr;
    QPushButton* bb_speichern = nullptr;
    QPushButton* bb_ausstellen = nullptr;
    QPushButton* bb_vorschau = nullptr;
    QPushButton* bb_entwurf_loeschen = nullptr;
    QPushButton* bb_zahlung = nullptr;
    QPushButton* bb_stornieren = nullptr;
    QPushButton* bb_schliessen = nullptr;

    int renr() const { return m_renr; }
    // The lines as the table holds them; throws db::Error naming a line that
    // cannot be read.
    QVector<rechnungen::Position> positionen() const;

    void speichern();
    void ausstellen();
    void stornieren();

private:
    void aufbauen();
    void zeigen();
    void zeileAnfuegen(const rechnungen::Position& p);
    void summenZeigen();
    Tdm& m_dm;
    int m_renr = 0;
    int m_kndnr = 0;
    bool m_fuellen = false;
    rechnungen::Rechnung m_r;
};

// The invoices of a customer (kndnr > 0) or of the school.
class Tdlg_rechnungen : public QDialog {
    Q_OBJECT
public:
    Tdlg_rechnungen(Tdm& dm, int kndnr, QWidget* parent = nullptr);
    QTableWidget* tb_rechnungen = nullptr;
    QPushButton* bb_oeffnen = nullptr;
    QPushButton* bb_neu = nullptr;
    QPushButton* bb_zahlung = nullptr;
    QPushButton* bb_stornieren = nullptr;
    QPushButton* bb_schliessen = nullptr;
    void lesen();
    int gewaehlt() const;  // RENR of the selected row, 0 when none

private:
    Tdm& m_dm;
    int m_kndnr;
    QVector<rechnungen::Rechnung> m_liste;
};

class Tdlg_zahlung : public QDialog {
    Q_OBJECT
public:
    Tdlg_zahlung(Tdm& dm, int renr, QWidget* parent = nullptr);
    QLabel* lb_rechnung = nullptr;
    QDateEdit* de_datum = nullptr;
    QLineEdit* ed_betrag = nullptr;
    QComboBox* cb_art = nullptr;
    QPushButton* bb_ok = nullptr;
    QPushButton* bb_abbrechen = nullptr;
    void erfassen();

private:
    Tdm& m_dm;
    int m_renr;
};

class Tdlg_offeneposten : public QDialog {
    Q_OBJECT
public:
    Tdlg_offeneposten(Tdm& dm, int kndnr = 0, QWidget* parent = nullptr);
    QTableWidget* tb_rechnungen = nullptr;
    QTableWidget* tb_teilnahmen = nullptr;
    QLabel* lb_summe = nullptr;
    QPushButton* bb_zahlung = nullptr;
    QPushButton* bb_mahnen = nullptr;
    QPushButton* bb_rechnung = nullptr;
    QPushButton* bb_schliessen = nullptr;
    void lesen();
    // Writes the next reminder for the selected invoices (one customer).
    void mahnen();

    QVector<rechnungen::OffenerPosten> posten;
    QVector<rechnungen::OffeneTeilnahme> teilnahmen;

private:
    Tdm& m_dm;
    int m_kndnr;
};

// "Rechnung erstellen" for a customer / for a course's participants.
void rechnungFuerKunden(Tdm& dm, QWidget* parent, int kndnr);
void rechnungenFuerKurs(Tdm& dm, QWidget* parent, int kursnr);
void rechnungenZeigen(Tdm& dm, QWidget* parent, int kndnr);
void offenePostenZeigen(Tdm& dm, QWidget* parent, int kndnr = 0);
void rechnungsdatenBearbeiten(Tdm& dm, QWidget* parent);

// Issues the drafts, archives each PDF; returns the invoices issued.
QVector<rechnungen::Rechnung> ausstellenUndArchivieren(Tdm& dm, const QVector<int>& renrs, const QDate& datum);

// "Export für den Steuerberater": the CSV of the period and the PDFs of its
// invoices and cancellations in the folder of `csvDatei`. Returns the
// number of PDFs written.
int exportieren(Tdm& dm, const QDate& von, const QDate& bis, const QString& csvDatei);
// Asks for the period and the file (a folder named after the period in the
// documents folder is proposed) and exports.
void exportDialog(Tdm& dm, QWidget* parent);
// "Export-Steuerberater-2026-01-01-bis-2026-03-31"
QString exportName(const QDate& von, const QDate& bis);

}  // namespace billing
