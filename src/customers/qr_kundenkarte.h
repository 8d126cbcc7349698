#pragma once
// The customer card and the customer list: one banded report that prints
// either the current customer's card or one card per customer of the
// customer table, each with the customer's dogs. The form exists for the
// whole run; the customer window sets a flag and asks for the preview.
//
// The report reads the data module's customer table `ibt_kunde`, its dogs
// `ibt_kunde_hunde` (which follow the current customer) and the school's
// master data `ibt_systemdaten` where they stand.
#include "platform/beibedarf.h"
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

#include "report/report.h"

class QWidget;
class Tdm;
namespace db {
class Statement;
}

class Tfrm_qr_kundenkarte : public QObject {
    Q_OBJECT
public:
    explicit Tfrm_qr_kundenkarte(Tdm& data, QObject* parent = nullptr);
    ~Tfrm_qr_kundenkarte() override;

    // The next run prints exactly one card, for the current customer.
    bool karte_drucken = false;
    // The next run prints one card per customer, from the current row of
    // `ibt_kunde` to the end of the table.
    bool liste_drucken = false;
    // The first card of a list run is the current row, without moving on.
    bool erster_datensatz = false;

    // The report: bands, items and callbacks.
    report::Report qr;

    // Runs the report and returns its pages (the flags are consumed).
    report::ReportPages layout();
    // Runs the report and shows its pages in the print preview; returns when
    // the preview is closed. The printer gets the same pages.
    void preview(QWidget* parent = nullptr);

    // --- report events ---
    void qrBeforePrint();
    // `moreData`: true before the first call of a run, false before every
    // later call; the handler decides whether another card follows.
    void qrNeedData(bool& moreData);
    // The name line: [ANREDE ][VNAME ]NAME.
    void QRDBText2Print(QString& value);
    // The customer's address line: STR, PLZ ORT.
    void QRDBText6Print(QString& value);
    // The school's address line: STRASSE, PLZ ORT.
    void QRDBText14Print(QString& value);

private:
    Tdm& m_dm;
    void build();
    void fillTitle(report::Band& b);
    void fillDetail(report::Band& b);
    bool dogNeedData();
    void fillDog(report::Band& b);

    // A list reads the dogs of the next customers with one statement
    // (kDogBatch customers at a time) instead of letting the dog table
    // follow every customer: the cards come out the same.
    void loadDogBatch(const QVariant& currentKey);
    void startListDogs();
    void endListDogs();

    int m_needDataCalls = 0;  // calls of the detail need-data in this run
    int m_dogCalls = 0;       // dog bands asked for since the current card
    bool m_dogsEmpty = false;
    QDateTime m_runTime;      // "Gedruckt am:" of this run

    bool m_listRun = false;   // this run prints a list
    struct Dog {
        QString nr, name, rasse;  // as the dog table's fields show them
    };
    std::vector<Dog> m_dogs;                     // the dogs of the current batch
    QHash<qint64, std::pair<int, int>> m_dogsOf;  // customer -> [begin, end) in m_dogs
    std::unique_ptr<db::Statement> m_dogStatement;       // by the batch's numbers
    std::unique_ptr<db::Statement> m_dogRangeStatement;  // by the range of its numbers
    int m_cardDog = 0, m_cardDogEnd = 0;        // the current card's dogs
};

// The program-wide reference to the report form (made by Programm); empty
// until it exists.
extern platform::BeiBedarf<Tfrm_qr_kundenkarte> frm_qr_kundenkarte;
