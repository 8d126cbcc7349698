#pragma once
// "Offene Posten": course participations not paid yet (payment code "N").
//
// - On the customer's page "Offene Posten": the current customer's open
//   participations (course, kind, dog, fee, first date) and their total.
// - Menu "Datei", "Offene Posten": the same list for the whole school with
//   its total, printable on A4 (qr_offeneposten.h).
//
// A cancelled course (status "S") has no fee to pay: its participations
// are not open items.
#include <QDateTime>
#include <QDialog>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>

class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;
class Tdm;

namespace db {
class Connection;
class DataSource;
class Query;
class Transaction;
}  // namespace db
namespace widgets {
class DbGrid;
}

namespace offeneposten {

struct Posten {
    int id = 0;
    int kndnr = 0;
    QString name, vname, hund;
    int kursnr = 0;
    QString kursname, kursart;
    QVariant gebuehr;  // invalid when the course has no fee
    QDateTime ersterTermin;  // invalid when the course has no dates
};

// The open items of one customer (kndnr > 0) or of every customer (0),
// ordered by customer name, then first date.
QVector<Posten> lesen(db::Connection* c, db::Transaction* t, int kndnr = 0);

// The sum of the fees (a missing fee counts 0).
double summe(const QVector<Posten>& liste);

// The fee in the currency format ("120,00 €"), empty when there is none.
QString betrag(const QVariant& gebuehr);
// "05.12.2026", empty when there is no date.
QString datum(const QDateTime& d);
// "Summe der offenen Posten: 240,00 € (2 Posten)"
QString summentext(const QVector<Posten>& liste);

// The statement of the customer page's query (parameter :kndnr).
QStringList kundeSql();

// The customer page: a grid of the current customer's open items (a query
// that follows `kunde`) and the total under it. The query reads again
// whenever the page is shown and whenever another customer becomes current.
class Kundenseite : public QObject {
    Q_OBJECT
public:
    Kundenseite(Tdm& data, QWidget* seite, db::DataSource* kunde);
    ~Kundenseite() override;

    db::Query* ibq_offene_posten = nullptr;
    db::DataSource* ds_offene_posten = nullptr;
    widgets::DbGrid* dbg_offene_posten = nullptr;
    QLabel* lb_summe = nullptr;

    // Opens or reads the query again and writes the total.
    void aktualisieren();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void summeZeigen();
    Tdm& m_dm;
    QWidget* m_seite;
    db::DataSource* m_kunde;
};

// Shows the list of the whole school modally.
void schuleZeigen(Tdm& dm, QWidget* parent = nullptr);

}  // namespace offeneposten

class Tfrm_offene_posten : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_offene_posten(Tdm& data, QWidget* parent = nullptr);

    QLabel* lb_summe = nullptr;
    QTableWidget* tw_posten = nullptr;
    QPushButton* b_drucken = nullptr;
    QPushButton* b_schliessen = nullptr;

    // Reads the list again.
    void aktualisieren();
    // The printout in the print preview.
    void b_druckenClick();

    const QVector<offeneposten::Posten>& posten() const { return m_posten; }

private:
    Tdm& m_dm;
    QVector<offeneposten::Posten> m_posten;
};
