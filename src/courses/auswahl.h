#pragma once
// The pick-list dialog: shows the rows of a query that the caller supplies
// and hands the chosen row back.
//
// Caller's contract: set the caption and hide `gb_suche`; close `ibq_suche`,
// clear its text, add the statement line by line and open it; set the display
// label of each field by position (the column titles); exec() the dialog;
// on QDialog::Accepted read the chosen row from the fields of `ibq_suche`,
// which stays open and current on that row.
#include "platform/beibedarf.h"
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QVariantList>

#include "data/datenmodul.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QModelIndex;

namespace db {
class Query;
class DataSource;
}

class Tfrm_auswahl : public QDialog {
    Q_OBJECT
public:
    // The query runs on the data module's connection and transaction.
    explicit Tfrm_auswahl(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_auswahl() override;

    db::Query* ibq_suche = nullptr;
    db::DataSource* DataSource1 = nullptr;

    QGroupBox* gb_suche = nullptr;
    QLineEdit* e_suche = nullptr;
    QTableView* DBGrid1 = nullptr;
    QPushButton* b_auswaehlen = nullptr;
    QPushButton* Button2 = nullptr;

    // The whole contract in one call: caption, statement lines, column titles
    // in; true and the chosen row's values (by position) out when the user
    // confirmed. Database errors of the statement propagate before the
    // dialog is shown.
    bool waehlen(const QString& caption, const QStringList& sql, const QStringList& labels,
                 bool hideSearch, QVariantList* row);

    void DBGrid1DblClick(const QModelIndex& index);
    void b_auswaehlenClick();
    void Button2Click();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void gridRowChanged(const QModelIndex& current);
    void syncGridToQuery();
    class RowModel;
    RowModel* m_model = nullptr;
};

// The program-wide reference to the pick-list dialog.
extern platform::BeiBedarf<Tfrm_auswahl> frm_auswahl;

// Lets the data module ask for a row through `frm_auswahl` (the document
// of a new course-document row).
void connectAuswahl(Tdm& data);
