#include "courses/qr_terminliste.h"

#include <QApplication>
#include <QWidget>
#include <stdexcept>

#include "data/datenmodul.h"
#include "db/dataset.h"
#include "db/field.h"
#include "report/reportpaint.h"

platform::BeiBedarf<Tfrm_qr_terminliste> frm_qr_terminliste;

using report::Align;
using report::Band;
using report::BandKind;
using report::Font;

namespace {

const QColor kSilver(192, 192, 192);
const Font kRegular{QStringLiteral("Arial"), 10};
const Font kBold{QStringLiteral("Arial"), 10, true};
const Font kSmall{QStringLiteral("Arial"), 8};
const Font kTitle{QStringLiteral("Arial Black"), 14};

QString text(db::Dataset* ds, const char* name) {
    db::Field* f = ds ? ds->findField(QString::fromLatin1(name)) : nullptr;
    return f ? f->displayText() : QString();
}


}  // namespace

// A4 portrait, 10 mm margins all round, a band 190 mm wide; measures in mm
// from each band's top left corner.
Tfrm_qr_terminliste::Tfrm_qr_terminliste(Tdm& data, QObject* parent) : QObject(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_qr_terminliste"));
    qr.setMargins(10);

    // Title, course line and headings: once, at the top of the first page.
    Band& title = qr.setBand(BandKind::Title, 11.4, QStringLiteral("TitleBand1"));
    title.color = kSilver;
    title.keepTogether = true;
    title.addLabel(QStringLiteral("Terminliste"), 6.3, 2.1, kTitle);

    Band& kurs = title.addChild(10.6, QStringLiteral("ChildBand1"));
    kurs.addLabel(QStringLiteral("Kurs-Nr. :"), 6.3, 3.3, kBold);
    kurs.addData(QStringLiteral("KURSNR"), 23.3, 3.3, kRegular, 16.6);
    kurs.addData(QStringLiteral("KURSNAME"), 40.2, 3.3, kRegular, 108);
    kurs.addLabel(QStringLiteral("Kursart:"), 154.5, 3.3, kBold);
    kurs.addData(QStringLiteral("KURSART"), 169.3, 3.3, kRegular, 20.7);
    kurs.beforePrint = [this](Band& b) {
        for (const char* f : {"KURSNR", "KURSNAME", "KURSART"})
            setFitted(b, QString::fromLatin1(f), text(m_dm.ibt_kurse, f));
    };

    Band& heads = title.addChild(10.6, QStringLiteral("ChildBand2"));
    heads.addLabel(QStringLiteral("Datum"), 6.3, 5.0, kBold);
    heads.addLabel(QStringLiteral("Thema / Treffpunkt"), 48.7, 5.0, kBold);

    // One line per course date: the date in its display format (weekday and
    // date, no time of day) and the topic, which breaks into further lines
    // when it is longer than its column.
    Band& detail = qr.setBand(BandKind::Detail, 6.3, QStringLiteral("DetailBand1"));
    detail.addData(QStringLiteral("DATUM"), 6.3, 1.2, kRegular, 42.1);
    detail.addData(QStringLiteral("THEMA"), 48.7, 1.2, kRegular, 118.8, Align::Left, true);
    detail.beforePrint = [this](Band& b) {
        setFitted(b, QStringLiteral("DATUM"), text(m_dm.ibt_kurstermine, "DATUM"));
        setFitted(b, QStringLiteral("THEMA"), text(m_dm.ibt_kurstermine, "THEMA"));
    };

    Band& footer = qr.setBand(BandKind::PageFooter, 8.5, QStringLiteral("PageFooterBand1"));
    footer.addData(QStringLiteral("QRSysData1"), 88.1, 2.1, kSmall, 100, Align::Right);
    footer.beforePrint = [this](Band& b) {
        setFitted(b, QStringLiteral("QRSysData1"),
                  QStringLiteral("Gedruckt am: ") + db::fmt::formatDateTime(m_runTime, QStringLiteral("dd.mm.yyyy hh:nn:ss")));
    };

    qr.needData = [this] { return needData(); };
}

Tfrm_qr_terminliste::~Tfrm_qr_terminliste() = default;

report::ReportPages Tfrm_qr_terminliste::layout() {
    m_calls = 0;
    m_runTime = db::currentDateTime();
    for (db::Dataset* d : {static_cast<db::Dataset*>(m_dm.ibt_kurse), static_cast<db::Dataset*>(m_dm.ibt_kurstermine)})
        if (!d->isActive()) d->open();
    return qr.layout();
}

void Tfrm_qr_terminliste::preview(QWidget* parent) {
    const report::ReportPages pages = layout();
    report::previewReport(pages, QStringLiteral("Terminliste"), parent ? parent : QApplication::activeWindow());
}

// The lines follow the course dates from the first row to the last.
bool Tfrm_qr_terminliste::needData() {
    db::Table* t = m_dm.ibt_kurstermine;
    if (m_calls++ == 0) t->first();
    else t->next();
    return !t->eof();
}
