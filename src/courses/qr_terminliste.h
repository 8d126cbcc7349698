#pragma once
// The date list of the current course: one line per course date with its
// date (weekday and date, no time of day) and topic. The title with the
// course line and the column headings prints once, at the top of the first
// page; the footer on every page.
//
// The report reads the data module's datasets where they stand: the current
// course of `ibt_kurse` and its dates `ibt_kurstermine` from the first to the
// last row (and leaves them on the last).
#include "platform/beibedarf.h"
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

#include "report/report.h"

class QWidget;
class Tdm;

class Tfrm_qr_terminliste : public QObject {
    Q_OBJECT
public:
    explicit Tfrm_qr_terminliste(Tdm& data, QObject* parent = nullptr);
    ~Tfrm_qr_terminliste() override;

    report::Report qr;

    // Runs the report over the current course and returns its pages.
    report::ReportPages layout();
    // Runs the report and shows it in the print preview; returns when the
    // preview is closed. The printer gets the same pages.
    void preview(QWidget* parent = nullptr);

private:
    Tdm& m_dm;
    bool needData();
    int m_calls = 0;
    QDateTime m_runTime;
};

// The program-wide reference to the report form (made by Programm); empty
// until it exists.
extern platform::BeiBedarf<Tfrm_qr_terminliste> frm_qr_terminliste;
