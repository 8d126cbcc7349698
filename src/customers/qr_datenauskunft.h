#pragma once
// The printout of a data access request: everything stored about one
// customer on A4 pages, section by section (customer, dogs with the whole
// questionnaire and the diary, course participations with their dates and
// payment, consultation appointments naming the customer). Only filled
// values are printed; the JSON export holds every column.
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include "data/datenschutz.h"
#include "report/report.h"

class Tfrm_qr_datenauskunft : public QObject {
    Q_OBJECT
public:
    explicit Tfrm_qr_datenauskunft(QObject* parent = nullptr);

    // One printed line: a section heading, a sub-heading or a label with its value.
    struct Zeile {
        enum class Art { Abschnitt, Unterabschnitt, Feld };
        Art art = Art::Feld;
        QString label;
        QString wert;
    };
    // The lines of the printout for the information.
    static QVector<Zeile> zeilen(const datenschutz::Auskunft& a);

    // Lays out the pages. `schule`: the school's name and its address line.
    report::ReportPages layout(const datenschutz::Auskunft& a, const QStringList& schule);

    report::Report qr;

private:
    void build();
    QVector<Zeile> m_zeilen;
    int m_index = -1;
    QString m_kopf, m_stand, m_fuss;
    QStringList m_schule;
};
