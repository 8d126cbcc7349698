#pragma once
// The consultations window: individual consultations and single lessons as
// appointments, that is course dates of the special course -1. The customer
// concerned is found with the customer search; a double click copies the
// customer's address and telephone numbers into the appointment's place and
// contact. The day list and the calendar show the dates of all courses.
#include <QDate>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include "platform/workingwindow.h"

class Tdm;

class QGroupBox;
class QLabel;
class QPushButton;
class QSplitter;
class QTimer;
class QToolButton;
class KeyLineEdit;

namespace widgets {
class CaptionPanel;
class DbGrid;
class DbNavigator;
class MonthCalendar;
}  // namespace widgets

class Tfrm_beratungen : public QWidget, public WorkingWindow {
    Q_OBJECT
public:
    explicit Tfrm_beratungen(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_beratungen() override;

    // The datasets the window works on (see WorkingWindow).
    void datenOeffnen() override;

    static QString meldungDatum();
    static QString meldungUhrzeit();

    // --- controls ---
    QGroupBox* gb_suchen = nullptr;
    KeyLineEdit* suchtext_kunde = nullptr;
    QToolButton* SpeedButton2 = nullptr;  // "C", no action
    widgets::DbGrid* dbg_kunde = nullptr;
    widgets::DbNavigator* DBNavigator1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QSplitter* Splitter2 = nullptr;
    widgets::CaptionPanel* jcp_termin = nullptr;
    KeyLineEdit* e_termin_am = nullptr;
    KeyLineEdit* e_uhrzeit = nullptr;
    KeyLineEdit* e_thema = nullptr;
    KeyLineEdit* e_ort = nullptr;
    KeyLineEdit* e_kontakt = nullptr;
    widgets::DbNavigator* DBNavigator2 = nullptr;
    QPushButton* BitBtn4 = nullptr;  // new
    QPushButton* BitBtn3 = nullptr;  // remove: always disabled
    QPushButton* BitBtn2 = nullptr;  // save
    QPushButton* BitBtn1 = nullptr;  // cancel
    widgets::CaptionPanel* jcp_tagesansicht = nullptr;
    widgets::DbGrid* DBGrid3 = nullptr;
    widgets::CaptionPanel* jcp_kalender = nullptr;
    widgets::MonthCalendar* mc_kursterminplaner = nullptr;

    // --- handlers (errors propagate; the connections show them) ---
    void FormShow();
    bool FormClose();
    void suchtext_kundeKeyDown(int& key);
    void suchtext_kundeKeyPress(QChar& ch);
    void dbg_kundeDblClick();
    void BitBtn4Click();
    void BitBtn2Click();
    void BitBtn1Click();
    void DBNavigator2Click();
    void e_uhrzeitKeyPress(QChar& ch);
    QSet<int> setbolddays(int year, int month);
    void mc_kursterminplanerClick();
    void mc_kursterminplanerDblClick();

    // Loads the day list for a date (caption and statement).
    void tagesliste(const QDate& tag);
    // The day the window's day list shows (the last one loaded).
    QDate tag() const { return m_tag; }

    // Shows the appointment with this key (course -1, day and time): the
    // calendar on its day, the day list of that day with the appointment
    // current and the edits filled from it, as a move with the navigator
    // does. False when the day list does not hold it (it was removed).
    bool terminZeigen(const QDateTime& datum);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildUi();
    QWidget* buildKundensuche(QWidget* parent);
    QWidget* buildTermine(QWidget* parent);
    widgets::CaptionPanel* buildTermin(QWidget* parent);
    widgets::CaptionPanel* buildTagesliste(QWidget* parent);
    void buildKalender();
    void fettTageSpaeter();

    bool m_formShown = false;
    QDate m_tag;
    QTimer* m_fettTimer = nullptr;

    // The data module the window works on.
    Tdm& m_dm;
};

// The program-wide reference to the consultations window.
extern QPointer<Tfrm_beratungen> frm_beratungen;
