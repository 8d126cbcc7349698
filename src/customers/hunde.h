#pragma once
// The dog search window: all dogs of all customers, a search over their main
// columns, the selected dog's data and questionnaire, and the way from a dog
// to its owner in the customer window. It is only minimised when closed.
#include <QPointer>
#include <QWidget>

#include "platform/workingwindow.h"

class Tdm;
namespace hundefelder {
class Fragebogen;
}

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSplitter;
class QTabWidget;
namespace widgets {
class DbComboBox;
class DbEdit;
class DbGrid;
class DbMemo;
class DbNavigator;
}  // namespace widgets

class Tfrm_hunde : public QWidget, public WorkingWindow {
    Q_OBJECT
public:
    explicit Tfrm_hunde(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_hunde() override;

    // The save check of ibt_hunde; false after the window's message.
    bool check_sichern() override;
    // The datasets the window works on (see WorkingWindow).
    void datenOeffnen() override;

    QGroupBox* gb_suchen = nullptr;
    QLineEdit* suchtext_hunde = nullptr;
    widgets::DbGrid* dbg_kunde = nullptr;
    QSplitter* Splitter1 = nullptr;
    widgets::DbEdit* DBEdit14 = nullptr;
    widgets::DbComboBox* dbcb_rasse = nullptr;
    widgets::DbComboBox* DBComboBox2 = nullptr;
    widgets::DbEdit* DBEdit19 = nullptr;
    widgets::DbNavigator* DBNavigator3 = nullptr;
    QPushButton* bb_zumkunden = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* ts_anamesebogen = nullptr;
    QWidget* TabSheet1 = nullptr;
    QScrollArea* sb_anamese = nullptr;
    QGroupBox* GroupBox7 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox6 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    // The "Trainingsprotokoll" page: the diary of the dog shown here.
    widgets::DbGrid* dbg_tagebuch = nullptr;
    widgets::DbNavigator* DBNavigator4 = nullptr;
    QLabel* lb_tagebuchhinweis = nullptr;

    // --- handlers ---
    void FormCreate();
    void suchtext_hundeKeyDown(int& key, Qt::KeyboardModifiers modifiers);
    void suchtext_hundeKeyPress(QChar& ch);
    void bb_zumkundenClick();
    void dbg_kundeDblClick();

    // The search on ibt_hunde (what Enter in the search box does).
    void hundesuche(const QString& text);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* buildAnamnese();
    void buildVerhalten(const hundefelder::Fragebogen& f);

    // The data module the window works on.
    Tdm& m_dm;
};

// The program-wide reference; set when the window is created, which then
// lives until the program ends.
extern QPointer<Tfrm_hunde> frm_hunde;
