#pragma once
// The customer window: the customer list with its search, the record page
// with the customer's address and contact data, the customer's dogs with
// their questionnaire, summary and diary, and the courses the customer takes
// part in. Every control is bound to the data module's customer datasets.
#include <QPointer>
#include <QWidget>
#include <array>

#include "platform/workingwindow.h"

class Tdm;

namespace offeneposten {
class Kundenseite;
}
namespace hundefelder {
class Fragebogen;
}

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTextEdit;
class QToolButton;
namespace widgets {
class CaptionPanel;
class DbComboBox;
class DbEdit;
class DbGrid;
class DbMemo;
class DbNavigator;
class RolloutPanel;
}  // namespace widgets

class Tfrm_kunden : public QWidget, public WorkingWindow {
    Q_OBJECT
public:
    explicit Tfrm_kunden(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_kunden() override;

    // The save check: the dogs, then the customer back to browse state;
    // false after the window's message when a post fails.
    bool check_sichern() override;
    // The datasets the window works on (see WorkingWindow).
    void datenOeffnen() override;
    // The hidden page "Ausgehändigte Dokumente" can be made current, too.
    void zeigeSeite(const QString& pageControl, const QString& page) override;

    // --- outer pages ---
    QTabWidget* pg_kunde = nullptr;
    QWidget* ts_kundenuebersicht = nullptr;
    QWidget* ts_kundedetail = nullptr;
    QGroupBox* gb_suchen = nullptr;
    QLineEdit* suchtext_kunde = nullptr;
    QToolButton* SpeedButton2 = nullptr;  // "C"
    widgets::DbGrid* dbg_kunde = nullptr;
    widgets::DbNavigator* DBNavigator1 = nullptr;

    // --- customer record ---
    widgets::CaptionPanel* jcp_kunde = nullptr;
    widgets::CaptionPanel* jcp_erreichbar = nullptr;
    widgets::CaptionPanel* jcp_kommentar = nullptr;
    widgets::DbEdit* DBEdit1 = nullptr;
    widgets::DbComboBox* dbc_anrede = nullptr;
    widgets::DbEdit* DBEdit2 = nullptr;
    widgets::DbEdit* DBEdit3 = nullptr;
    widgets::DbEdit* DBEdit12 = nullptr;
    widgets::DbEdit* DBEdit4 = nullptr;
    widgets::DbEdit* DBEdit5 = nullptr;
    widgets::DbEdit* DBEdit6 = nullptr;
    widgets::DbNavigator* DBNavigator2 = nullptr;
    QPushButton* bb_kndkarte_drucken = nullptr;
    QPushButton* bb_kndliste_drucken = nullptr;
    // Data protection: access report and erasure of this customer
    // (datenschutz_ui.h).
    QPushButton* bb_rechnung_erstellen = nullptr;
    QPushButton* bb_rechnungen = nullptr;
    QPushButton* bb_datenauskunft = nullptr;
    QPushButton* bb_kunde_endgueltig_loeschen = nullptr;
    widgets::DbEdit* DBEdit11 = nullptr;
    widgets::DbEdit* DBEdit10 = nullptr;
    widgets::DbEdit* DBEdit9 = nullptr;
    widgets::DbEdit* dbe_email = nullptr;
    QToolButton* SpeedButton1 = nullptr;  // e-mail
    widgets::DbMemo* DBMemo1 = nullptr;

    // --- customer's pages ---
    QTabWidget* pg_kundendaten = nullptr;
    QWidget* ts_kundehunde = nullptr;
    QWidget* ts_aktive_kurse = nullptr;
    QWidget* ts_dokumente = nullptr;
    QWidget* TabSheet4 = nullptr;  // "Offene Posten"
    offeneposten::Kundenseite* offene_posten = nullptr;

    // --- dogs ---
    widgets::DbEdit* DBEdit14 = nullptr;
    widgets::DbComboBox* dbcb_rasse = nullptr;
    widgets::DbComboBox* DBComboBox2 = nullptr;
    widgets::DbEdit* DBEdit16 = nullptr;
    widgets::DbNavigator* DBNavigator3 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet2 = nullptr;  // "Anamnese Zusammenfassung"
    QWidget* TabSheet3 = nullptr;  // "Anamnesebogen"
    QWidget* TabSheet1 = nullptr;  // "Trainingsprotokoll"
    QTextEdit* re_anamnese = nullptr;
    QScrollArea* sb_anamnese = nullptr;
    widgets::DbEdit* DBEdit62 = nullptr;
    widgets::DbMemo* DBMemo2 = nullptr;
    widgets::DbEdit* DBEdit27 = nullptr;  // "Zeitpunkt" (KASTZEITPUNKT)
    widgets::RolloutPanel* JvRollout1 = nullptr;
    widgets::RolloutPanel* JvRollout3 = nullptr;
    widgets::RolloutPanel* JvRollout9 = nullptr;
    widgets::RolloutPanel* JvRollout8 = nullptr;
    widgets::RolloutPanel* jvro_verhaltenhund = nullptr;
    widgets::RolloutPanel* JvRollout5 = nullptr;
    widgets::RolloutPanel* jvro_verhaltenleine = nullptr;
    widgets::RolloutPanel* jvro_verhaltenfreilauf = nullptr;
    widgets::RolloutPanel* jvro_verhaltenhaus = nullptr;
    widgets::RolloutPanel* jvro_verhaltengrundstueck = nullptr;
    widgets::RolloutPanel* jvro_verhaltenwild = nullptr;
    widgets::RolloutPanel* jvro_verhaltensonst = nullptr;
    widgets::DbGrid* dbg_tagebuch = nullptr;
    // Beside the diary: its navigator (new entry, delete, save, cancel) and
    // the hint how to add an entry.
    widgets::DbNavigator* DBNavigator4 = nullptr;
    QLabel* lb_tagebuchhinweis = nullptr;
    widgets::DbGrid* DBGrid1 = nullptr;  // "Aktive Kurse"

    // The height each inner section of "Verhalten des Hundes" had when it
    // was opened last (zero until then), in the order 5a to 5f.
    std::array<int, 6> verhaltenHoehen{};

    // --- handlers ---
    void FormCreate();
    void FormShow();
    // Finishes the pending edits; false (after the error box) keeps the window.
    bool FormClose();
    void pg_kundeChange(int index);
    // Shows the data module's summary of the current dog in re_anamnese.
    void anamneseZeigen();
    void dbg_kundeDblClick();
    void suchtext_kundeKeyDown(int& key, Qt::KeyboardModifiers modifiers);
    void suchtext_kundeKeyPress(QChar& ch);
    void SpeedButton2Click();
    void SpeedButton1Click();
    void dbc_anredeKeyDown(int& key, Qt::KeyboardModifiers modifiers);
    void dbc_anredeKeyPress(QChar& ch);
    void DBEdit12KeyPress(QChar& ch);
    void DBEdit18KeyPress(QChar& ch);
    void DBEdit26KeyPress(QChar& ch);
    void bb_kndkarte_druckenClick();
    void bb_kndliste_druckenClick();
    // Inner sections of "Verhalten des Hundes": i is 0 (5a) to 5 (5f).
    void verhaltenExpand(int i);
    void verhaltenCollapse(int i);
    void jvro_verhaltenleineExpand() { verhaltenExpand(0); }
    void jvro_verhaltenfreilaufExpand() { verhaltenExpand(1); }
    void jvro_verhaltenhausExpand() { verhaltenExpand(2); }
    void jvro_verhaltengrundstueckExpand() { verhaltenExpand(3); }
    void jvro_verhaltenwildExpand() { verhaltenExpand(4); }
    void jvro_verhaltensonstExpand() { verhaltenExpand(5); }
    void jvro_verhaltenleineCollapse() { verhaltenCollapse(0); }
    void jvro_verhaltenfreilaufCollapse() { verhaltenCollapse(1); }
    void jvro_verhaltenhausCollapse() { verhaltenCollapse(2); }
    void jvro_verhaltengrundstueckCollapse() { verhaltenCollapse(3); }
    void jvro_verhaltenwildCollapse() { verhaltenCollapse(4); }
    void jvro_verhaltensonstCollapse() { verhaltenCollapse(5); }

    // The customer card and customer list printouts plug in here; until the
    // printout form exists the print buttons do nothing.
    void kundenausdruck(bool liste);

    // The search on the shared customer table (what Enter in the search box
    // does): empty text switches the filter off.
    void kundensuche(const QString& text);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildUebersicht();
    void buildDetail();
    QWidget* buildKundePanel();
    QWidget* buildErreichbarPanel();
    void buildHundeSeite();
    QWidget* buildAnamnesebogen();
    void buildVerhaltenHund(const hundefelder::Fragebogen& f);
    void anamneseTasten(QWidget* inhalt);
    void buildAktiveKurse();
    // Attaches the shared key handlers: Enter to the next control (enter),
    // Enter swallowed and comma to full stop (komma).
    void tasten(QWidget* w, bool enter, bool komma);
    void naechstesSteuerelement();
    void hilfe(const QString& relPath);

    bool m_seiteAusProgramm = false;

    // The data module the window works on.
    Tdm& m_dm;
};

// The program-wide reference; empty while no customer window exists.
extern QPointer<Tfrm_kunden> frm_kunden;
