#pragma once
// The add-participant dialog: finds a customer together with one of the
// customer's dogs and enrols the pair in the current course of the data
// module's course table. Each enrolment is written, committed (retaining)
// and shown in the participant list at once; the dialog stays open for more.
//
// The dialog lives for the whole run; its search text and its last statement
// survive between showings.
#include "platform/beibedarf.h"
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

class QGroupBox;
class QPushButton;
class Tdm;
class KeyLineEdit;

namespace db {
class DataSource;
class Query;
}  // namespace db

namespace widgets {
class DbGrid;
}

class Tfrm_teilnehmer_add : public QDialog {
    Q_OBJECT
public:
    // The query runs on the data module's connection and transaction.
    explicit Tfrm_teilnehmer_add(Tdm& data, QWidget* parent = nullptr);
    ~Tfrm_teilnehmer_add() override;

    // The statement the dialog starts with: every pair of customer and dog.
    static QStringList designSql();
    // The statement for a search text (first line: all pairs; second line,
    // when the text is not empty: its conditions).
    static QStringList suchSql(const QString& suchtext);

    db::Query* ibq_suche = nullptr;
    db::DataSource* ds_suche = nullptr;

    QGroupBox* gb_suchen = nullptr;
    KeyLineEdit* e_suchtext = nullptr;
    widgets::DbGrid* DBGrid1 = nullptr;
    QPushButton* b_hinzufuegen = nullptr;
    QPushButton* b_close = nullptr;

    // --- handlers (errors propagate; the connections show them) ---
    void FormShow();
    void FormClose();
    void e_suchtextKeyDown(int& key);
    void b_hinzufuegenClick();
    void DBGrid1DblClick();
    void b_closeClick();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    Tdm& m_dm;
};

// The program-wide reference to the dialog; created at start.
extern platform::BeiBedarf<Tfrm_teilnehmer_add> frm_teilnehmer_add;
