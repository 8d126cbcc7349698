#pragma once
// The planner data module: two snapshot transactions of its own on the data
// module's connection, the trainers as planner persons, their appointments,
// the planner settings and the query `ibq` that the course and consultations
// windows use for the bold days of their month calendars.
//
// Its transactions hold nothing open: the datasets read in a read-only
// read-committed transaction (pre-committed for Firebird: it pins no record
// version and sees what others committed, course dates written later
// through the data module included); a write starts the snapshot "nowait"
// write transaction, which is committed when control is back in the event
// loop.
#include "platform/beibedarf.h"
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "db/dataset.h"
#include "db/datasource.h"
#include "db/transaction.h"

class Tdm;

// The planner settings, read from "terminplaner.Ini" when the module is
// created; only the planner windows use them.
struct TerminplanerEinstellungen {
    int bildschirm_von = 0;
    int bildschirm_bis = 0;
    int ausdruck_von = 0;
    int ausdruck_bis = 0;
    int arbeitszeit_von = 0;
    int arbeitszeit_bis = 0;
    QString standardperson;  // section "standardperson", key "name"
};
extern TerminplanerEinstellungen terminplaner_einstellungen;

class Tdmtp : public QObject {
    Q_OBJECT
public:
    // Uses the connection of `data`, which must be open.
    explicit Tdmtp(Tdm& data, QObject* parent = nullptr);
    ~Tdmtp() override;

    // Reads the settings and opens the persons (standard person current) and
    // their appointments; no transaction is started for them beforehand. A database error is
    // shown in the standard error box and ends the handler; the start goes on.
    void DataModuleCreate();

    // Writes "concurrency", "nowait"; reads apart (see above).
    std::unique_ptr<db::Transaction> ibt_default;
    // As ibt_default; default action commit retaining.
    std::unique_ptr<db::Transaction> ibt_anzeige;

    db::Query* ibq = nullptr;
    db::Table* ibt_person = nullptr;
    db::DataSource* ds_person = nullptr;
    db::Table* ibt_termin = nullptr;
    db::DataSource* ds_termin = nullptr;
    db::Query* ibt_terminedit = nullptr;
    db::DataSource* ds_terminedit = nullptr;

private:
    void readSettings();
    // Commits a transaction's writes once control is back in the event loop.
    void commitSoon(db::Transaction* t);
};

// The program-wide reference to the planner data module.
extern platform::BeiBedarf<Tdmtp> dmtp;
