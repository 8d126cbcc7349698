#pragma once
// The trainer window "Trainerpflege": the list of all trainers above a panel
// with every field of the current trainer. Every control is bound to the
// data module's trainer table (ds_trainer); the window holds no dataset.
//
// The main window opens it through traineranzeigen (0: overview, 4: new
// trainer, focus in the salutation box); closing destroys it.
#include <QPointer>
#include <QWidget>

#include "platform/workingwindow.h"

class Tdm;
namespace db {
class DataSource;
}

class QGridLayout;
class QGroupBox;
class QSplitter;
class QTabWidget;
class QToolButton;
class QVBoxLayout;
class QCloseEvent;
namespace widgets {
class DbComboBox;
class DbEdit;
class DbGrid;
class DbMemo;
class DbNavigator;
}  // namespace widgets

class Tfrm_trainer : public QWidget, public WorkingWindow {
    Q_OBJECT
public:
    explicit Tfrm_trainer(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_trainer() override;

    // The save check: a pending edit of the trainer table is posted (with
    // changes) or dropped (without); when posting fails the window's message
    // (platform::sichern, Daten::Trainerdaten) is shown, the edit stays
    // pending and the result is false.
    bool check_sichern() override;
    // The datasets the window works on (see WorkingWindow).
    void datenOeffnen() override;

    // --- controls ---
    widgets::DbGrid* DBGrid1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* Panel1 = nullptr;  // the detail panel
    widgets::DbEdit* dbe_trainernr = nullptr;
    widgets::DbComboBox* dbc_anrede = nullptr;
    widgets::DbEdit* dbe_kurzzeichen = nullptr;
    widgets::DbEdit* dbe_vname = nullptr;
    widgets::DbEdit* dbe_name = nullptr;
    widgets::DbEdit* dbe_str = nullptr;
    widgets::DbEdit* dbe_plz = nullptr;
    widgets::DbEdit* dbe_ort = nullptr;
    QGroupBox* gb_erreichbar = nullptr;
    widgets::DbEdit* dbe_tel = nullptr;
    widgets::DbEdit* dbe_mobil = nullptr;
    widgets::DbEdit* dbe_fax = nullptr;
    widgets::DbEdit* dbe_email = nullptr;
    QToolButton* SpeedButton1 = nullptr;  // e-mail to the address in dbe_email
    widgets::DbMemo* dbm_kommentar = nullptr;
    widgets::DbNavigator* DBNavigator1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* ts_aktive_kurse = nullptr;
    QWidget* ts_abgeschlossene_kurse = nullptr;

    // --- handlers ---
    // A new e-mail to the address shown in dbe_email (saved or not).
    void SpeedButton1Click();
    // Posts or drops the pending edit; false (edit pending, error shown in
    // the standard error box) when posting failed.
    bool FormClose();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void aufbauen();
    void aufbauenListe(db::DataSource* ds);
    QGridLayout* aufbauenAdresse(db::DataSource* ds);
    QGroupBox* aufbauenErreichbar(db::DataSource* ds);
    QVBoxLayout* aufbauenKommentar(db::DataSource* ds);

    // The data module the window works on.
    Tdm& m_dm;
};

extern QPointer<Tfrm_trainer> frm_trainer;
