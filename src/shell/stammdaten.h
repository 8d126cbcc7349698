#pragma once
// The master data dialog: the school's own name and address (the one row of
// SYSTEMDATEN), shown modally from "Konfiguration" -> "Stammdaten".
#include "platform/beibedarf.h"
#include <QDialog>
#include <QPointer>

class QPushButton;
class Tdm;
namespace widgets {
class DbEdit;
class DbText;
}  // namespace widgets

class Tfrm_stammdaten : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_stammdaten(Tdm& data, QWidget* parent = nullptr);

    // Shows the dialog modally, centred on the main window.
    void zeigen();

    widgets::DbEdit* dbe_hundeschule = nullptr;
    widgets::DbEdit* dbe_strasse = nullptr;
    widgets::DbEdit* dbe_plz = nullptr;
    widgets::DbEdit* dbe_ort = nullptr;
    widgets::DbText* dbt_last_update = nullptr;
    QPushButton* b_save = nullptr;
    QPushButton* b_abbruch = nullptr;

    void b_saveClick();
    void b_abbruchClick();
    // Closing without "Speichern" discards the change.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    Tdm& m_dm;
    void binden();
};

extern platform::BeiBedarf<Tfrm_stammdaten> frm_stammdaten;
