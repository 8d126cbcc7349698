#pragma once
// The printout of the school's open items: one line per participation not
// paid yet (customer, dog, course, kind, first date, fee) and the total at
// the end. A4 portrait, 10 mm margins; the column headings on every page,
// the footer with the print time and the page number on every page.
#include <QDateTime>
#include <QObject>
#include <QVector>

#include "customers/offeneposten.h"
#include "report/report.h"

class Tfrm_qr_offeneposten : public QObject {
    Q_OBJECT
public:
    explicit Tfrm_qr_offeneposten(QObject* parent = nullptr);

    report::Report qr;

    // Lays out the pages for the list, as printed at `stand`.
    report::ReportPages layout(const QVector<offeneposten::Posten>& liste, const QDateTime& stand);

private:
    QVector<offeneposten::Posten> m_liste;
    int m_index = -1;
    QString m_stand;
};
