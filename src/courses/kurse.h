#pragma once
// The course window: the course list with its description, the course dates
// with their two generators, the month calendar with the days that have
// dates, the list of one day's dates, the participants with their payment
// status and comment, and the documents of a course.
//
// The window holds no datasets: its controls are bound to the data module's
// (ibt_kurse, ibt_kurstermine, ibq_kursedestages, ibq_teilnehmer,
// ibt_teilnehmeredit, IBT_kursdokumente). The consultations window shares
// the calendar's bold days and the day list (the free functions below).
#include <QDate>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <QVariantList>
#include <QWidget>
#include <functional>

#include "courses/kursbelegung.h"
#include "platform/workingwindow.h"

class Tdm;

class QAction;
class QButtonGroup;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolButton;
class KeyLineEdit;

namespace widgets {
class CaptionPanel;
class DbGrid;
class DbMemo;
class DbNavigator;
class MonthCalendar;
class RolloutPanel;
}  // namespace widgets

// --- shared by the course and the consultations window ---

// The days (1..31) of the given month of the given year on which any course
// date or consultation lies, read in the data module's running transaction,
// so dates posted in this run count too.
QSet<int> kurstermin_tage(Tdm& data, int year, int month);

// The statement of the day list for the date text D ("05.12.2005"): every
// date of every course on that day, ordered by time. `klammern` writes the
// join condition in double brackets (the consultations window's form).
QString tagesliste_sql(const QString& datum, bool klammern);

// Loads the day list for `tag`: the caption becomes the date as
// "dd.mm.yyyy", `ibq_kursedestages` is closed, given the statement and
// opened again.
void tagesliste_laden(Tdm& data, widgets::CaptionPanel* caption, const QDate& tag, bool klammern);

// The day list belongs to the window that shows it, but its query is the
// data module's, shared by the course and the consultations window: when
// the other window loaded it for another day meanwhile (the course window
// opened for a move loads today), it is loaded again for `tag`. Called when
// a window comes to the front.
void tagesliste_sicherstellen(Tdm& data, widgets::CaptionPanel* caption, const QDate& tag, bool klammern);

// Runs `handler` whenever the child window (QMdiSubWindow) holding `window`
// is about to become the active one. Does nothing for a window that is not
// (yet) a child window; safe to call on every show.
void beimAktivieren(QWidget* window, std::function<void()> handler);

// A date typed as "dd.mm.yyyy" (also "d.m.yy", "dd.mm."); a text with a time
// of day is no date.
bool datum_lesen(const QString& text, QDate* out);

// A time of day typed as "hh:nn" (also "h", "hh:nn:ss"); throws
// db::ConvertError ("'x' ist keine gültige Uhrzeit") otherwise.
QTime uhrzeit_lesen(const QString& text);

class Tfrm_kurse : public QWidget, public WorkingWindow {
    Q_OBJECT
public:
    explicit Tfrm_kurse(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_kurse() override;

    // Messages of the generators and the time edit.
    static QString meldungAnzahl();
    static QString meldungErsterTermin();
    static QString meldungIntervall();
    static QString meldungIntervallVorlage();
    // A template whose stored rhythm is below 1 (written before templates
    // refused such values).
    static QString meldungRhythmusVorlage(qint64 rhythmus);
    static QString meldungUhrzeit();
    static QString meldungKeinKurs();
    static QString meldungDatumsbereich();

    // The save check: posts the pending course row, then the pending course
    // date; false after the subject's message when a post fails.
    bool check_sichern() override;
    // The datasets the window works on (see WorkingWindow).
    void datenOeffnen() override;

    // --- controls ---
    widgets::DbGrid* dbg_kurse = nullptr;
    QToolButton* sb_aktive_kurse = nullptr;
    QToolButton* sb_alle_kurse = nullptr;
    QToolButton* sb_beendete_kurse = nullptr;
    QButtonGroup* bg_kursauswahl = nullptr;
    QSplitter* Splitter1 = nullptr;
    widgets::DbMemo* DBMemo1 = nullptr;
    QTabWidget* pg_kurs = nullptr;
    QWidget* ts_kurstermine = nullptr;
    QWidget* ts_teilnehmer = nullptr;
    QWidget* ts_dokumente = nullptr;

    // page "Kurstermine"
    widgets::RolloutPanel* JvRollout1 = nullptr;
    KeyLineEdit* e_anztermine = nullptr;
    KeyLineEdit* e_erster_termin_am = nullptr;
    KeyLineEdit* e_uhrzeit = nullptr;
    KeyLineEdit* e_alle_x_tage = nullptr;
    QPushButton* Button1 = nullptr;
    QMenu* pm_vorlagen = nullptr;
    QAction* erminlisteausVorlagenholen1 = nullptr;
    widgets::DbGrid* DBGrid2 = nullptr;
    widgets::CaptionPanel* jcp_kalender = nullptr;
    widgets::MonthCalendar* mc_kursterminplaner = nullptr;
    widgets::CaptionPanel* jcp_tagesansicht = nullptr;
    widgets::DbGrid* DBGrid3 = nullptr;

    // page "Teilnehmer"
    widgets::DbGrid* DBGrid1 = nullptr;
    QMenu* pm_bezahlt = nullptr;
    QAction* Barbezahlt1 = nullptr;
    QAction* berwiesen1 = nullptr;
    QAction* Lastschrift1 = nullptr;
    QAction* Gutschrift1 = nullptr;
    widgets::DbMemo* DBMemo2 = nullptr;
    QPushButton* b_add_teilnehmer = nullptr;
    QPushButton* bb_del_teilnehmer = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* bb_rechnung_erstellen = nullptr;  // participants page: invoices to all not yet invoiced

    // page "Dokumente"
    widgets::DbGrid* dbg_dokumente = nullptr;
    widgets::DbNavigator* DBNavigator2 = nullptr;
    QPushButton* bb_anzeigen = nullptr;
    QPushButton* bb_this_dok_print = nullptr;

    // the bar under the pages
    QPushButton* BitBtn1 = nullptr;  // "Terminliste"
    QPushButton* BitBtn2 = nullptr;  // "Teilnehmerliste"
    QPushButton* BitBtn3 = nullptr;  // "Dokumentensatz für Teilnehmer"
    QPushButton* BitBtn5 = nullptr;  // "Anmeldung"

    // --- handlers (errors propagate; the connections show them) ---
    void FormShow();
    // Posts the pending course date, then the pending course (no messages);
    // false when a post failed (the error is shown, the window stays open).
    bool FormClose();
    void Button1Click();
    void erminlisteausVorlagenholen1Click();
    QSet<int> setbolddays(int year, int month);
    void mc_kursterminplanerClick();
    void mc_kursterminplanerDblClick();
    void dbg_kurseEditButtonClick();
    void e_anztermineKeyDown(int& key);
    void e_anztermineKeyPress(QChar& ch);
    void e_erster_termin_amKeyPress(QChar& ch);
    void e_uhrzeitKeyPress(QChar& ch);
    // False after the message when the time cannot be read (the focus is
    // back in the edit).
    bool e_uhrzeitExit();

    void b_add_teilnehmerClick();
    void bb_del_teilnehmerClick();
    void BitBtn4Click();
    void Barbezahlt1Click();
    void berwiesen1Click();
    void Lastschrift1Click();
    void Gutschrift1Click();
    void bb_anzeigenClick();
    void bb_this_dok_printClick();
    // The printouts: "Terminliste" and "Anmeldung" preview the course date
    // list, "Teilnehmerliste" the participant list.
    void BitBtn1Click();
    void BitBtn2Click();

    // "Aktive Kurse" / "Alle Kurse" / "Beendete Kurse": the course list
    // shows the courses of the chosen status; a pending edit that cannot be
    // saved keeps the list and the switch as they were.
    void kursauswahlClick();
    KursAuswahl kursauswahl() const;

    // The question before a participant is removed.
    static QString loeschfrage(const QString& vname, const QString& name, const QString& hundname);

    // Loads the day list for a date (caption and statement).
    void tagesliste(const QDate& tag);
    // The day the window's day list shows (the last one loaded).
    QDate tag() const { return m_tag; }

    // The date generator belongs to the current course: when another course
    // becomes current, its edits propose the course's next date (its last
    // date plus the distance of its last two, at the last date's time, that
    // distance as the rhythm) or stay empty; the count is always empty.
    void generatorZumKurs();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildUi();
    QWidget* buildKursliste(QWidget* parent);
    QWidget* buildBeschreibung(QWidget* parent);
    QWidget* buildSeiten(QWidget* parent);
    QWidget* buildTerminSeite();
    widgets::RolloutPanel* buildTerminGenerator(QWidget* parent);
    QSplitter* buildTermineUndKalender(QWidget* parent);
    QWidget* buildTeilnehmerSeite();
    QWidget* buildDokumentSeite();
    // Writes `anzahl` dates, starting at `erster` and `intervall` days apart,
    // with the topics `themen` (one per date) when given.
    // The time of day in e_uhrzeit; false after the message.
    bool uhrzeit_pruefen();
    void termine_schreiben(QDate erster, const QTime& t, qint64 intervall, qint64 anzahl, const QVariantList* themen);
    bool kurs_fuer_termine();
    bool datumsbereich_ok(const QDate& erster, qint64 intervall, qint64 anzahl);
    void bezahlt_setzen(const QString& code);
    void dokument_ausfuehren(const QString& verb);
    void fettTageSpaeter();

    void zeigeKursauswahl(KursAuswahl a);

    bool m_formShown = false;
    QTimer* m_fettTimer = nullptr;
    KursAuswahl m_kursauswahl = KursAuswahl::Aktive;
    // The course the generator's edits belong to (its KURSNR; invalid before
    // the first course); while dates are written the generator stays as it is.
    QDate m_tag;
    QVariant m_generatorKurs;
    bool m_generatorFest = false;
    // The time text last reported as unreadable when the time edit was left:
    // the same text is not reported again, so the user can go elsewhere.
    QString m_uhrzeitGemeldet;

    // The data module the window works on.
    Tdm& m_dm;
};

// The program-wide reference to the course window; empty until the main
// window creates it and again after it was closed.
extern QPointer<Tfrm_kurse> frm_kurse;
