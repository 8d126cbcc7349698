#pragma once
// The document window "Dokumentenverwaltung": the documents the school hands
// out, each with a name, a kind, a distribution and the path of its file,
// which the window opens or prints through the desktop.
//
// The main window opens it through dokumenteverwaltunganzeigen (mode 1);
// closing destroys it. Bound to the data module's document table.
#include <QPointer>
#include <QWidget>

#include "platform/workingwindow.h"

class Tdm;

class QCloseEvent;
class QListWidget;
class QPushButton;
class QSplitter;
namespace widgets {
class DbGrid;
class DbNavigator;
class RolloutPanel;
}  // namespace widgets

class Tfrm_dokumente : public QWidget, public WorkingWindow {
    Q_OBJECT
public:
    explicit Tfrm_dokumente(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_dokumente() override;

    // The save check (see Tfrm_trainer::check_sichern), with the document
    // window's message (platform::Daten::Dokumente).
    bool check_sichern() override;
    // The datasets the window works on (see WorkingWindow).
    void datenOeffnen() override;

    // The kinds offered in the "Art" column; the column stores the first letter.
    static QStringList dokumentarten();
    // The distributions offered in the "Verteiler" column.
    static QStringList verteilungsarten();

    // --- controls ---
    widgets::DbGrid* dbg_dokumente = nullptr;
    QSplitter* Splitter1 = nullptr;
    widgets::RolloutPanel* jvro_kurse = nullptr;  // "Wird verwendet in folgenden Kursen:"
    QListWidget* lb_kurse = nullptr;              // its content
    QWidget* Panel1 = nullptr;                    // bottom strip
    widgets::DbNavigator* DBNavigator1 = nullptr;
    QPushButton* bb_anzeigen = nullptr;  // "Anzeigen"
    QPushButton* BitBtn1 = nullptr;      // "Drucken"

    // --- handlers ---
    // Ellipsis button of a grid cell: the file dialog for the path column.
    void dbg_dokumenteEditButtonClick();
    void bb_anzeigenClick();
    void BitBtn1Click();
    // Posts or drops the pending edit; false (edit pending, error shown in
    // the standard error box) when posting failed.
    bool FormClose();

    // The file dialog jvod: no filter, no title of its own, confirm button
    // "Übernehmen", default extension "*.doc". Empty when cancelled.
    QString jvodExecute();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void aufbauen();
    // Fills the roll-out with the courses the current document is attached
    // to (only while it is open).
    void kurseZeigen();

    // The data module the window works on.
    Tdm& m_dm;
};

extern QPointer<Tfrm_dokumente> frm_dokumente;
