#pragma once
// The course template window "Vorlagen Kurse": templates (a name and a day
// interval) above the dated topics of the current template, from which the
// course window generates the dates of a new course.
//
// Created once at start and shown modally from the menu "Vorlagen" ->
// "Vorlagen Kurse". Bound to the data module's template tables; the dates
// follow the current template.
//
// Deleting a template deletes its dates with it, in the same transaction:
// template numbers are handed out as the largest plus one, so a template
// created later under the number of a deleted one would otherwise show the
// old dates as its own.
#include "platform/beibedarf.h"
#include <QDialog>
#include <QPointer>
#include <functional>

class QGroupBox;
class QPushButton;
class Tdm;
namespace db {
class Dataset;
}
namespace widgets {
class DbGrid;
class DbNavigator;
}  // namespace widgets

class Tfrm_vorlagen_kurse : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_vorlagen_kurse(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_vorlagen_kurse() override;

    // --- controls ---
    QGroupBox* GroupBox1 = nullptr;  // "Vorhandene Vorlagen für Kurse: "
    widgets::DbGrid* DBGrid1 = nullptr;  // templates
    QGroupBox* GroupBox2 = nullptr;  // "Terminliste zur Vorlage: "
    widgets::DbGrid* DBGrid2 = nullptr;  // dates of the current template
    QWidget* Panel1 = nullptr;  // bottom strip
    widgets::DbNavigator* DBNavigator1 = nullptr;
    QPushButton* Button1 = nullptr;  // "Schließen"

    // --- handlers ---
    // Opens the template tables (an open table stays as it is).
    void FormShow();
    // Posts or drops the pending edits of the templates, then of the dates,
    // and closes the window; a failed post shows the error in the standard
    // error box and the window stays open with the edit pending.
    void Button1Click();

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Ties the deletion of a template's dates to the deletion of the
    // template.
    void loeschenVerknuepfen();
    void loeschenLoesen();
    void vorlageVorLoeschen(db::Dataset* d);
    void vorlageNachLoeschen(db::Dataset* d);
    // The date grid takes new rows only while there is a template.
    void terminlisteFreigeben();

    Tdm& m_dm;
    bool m_verknuepft = false;
    std::function<void(db::Dataset*)> m_vorherVorLoeschen, m_vorherNachLoeschen;
    int m_zuLoeschendeVorlage = 0;
    bool m_loeschenLaeuft = false;
};

extern platform::BeiBedarf<Tfrm_vorlagen_kurse> frm_vorlagen_kurse;
