#include "courses/qr_teilnehmerliste.h"

#include <QApplication>
#include <QWidget>
#include <stdexcept>

#include "data/datenmodul.h"
#include "db/dataset.h"
#include "db/field.h"
#include "report/reportpaint.h"

platform::BeiBedarf<Tfrm_qr_teilnehmerliste> frm_qr_teilnehmerliste;

using report::Align;
using report::Band;
using report::BandKind;
using report::Font;

namespace {

const Font kRegular{QStringLiteral("Arial"), 10};
const Font kBold{QStringLiteral("Arial"), 10, true};
const Font kNarrow{QStringLiteral("Arial Narrow"), 10};
const Font kSmall{QStringLiteral("Arial"), 8};
const Font kTitle{QStringLiteral("Arial Black"), 14};

QString text(db::Dataset* ds, const char* name) {
    db::Field* f = ds ? ds->findField(QString::fromLatin1(name)) : nullptr;
    return f ? f->displayText() : QString();
}


}  // namespace

// A4 portrait, 10 mm margins all round, a band 190 mm wide; measures in mm
// from each band's top left corner. A value longer than its column ends in an
// ellipsis where the next column begins.
Tfrm_qr_teilnehmerliste::Tfrm_qr_teilnehmerliste(Tdm& data, QObject* parent) : QObject(parent), m_dm(data) {
    setObjectName(QStringLiteral("frm_qr_teilnehmerliste"));
    qr.setMargins(10);

    // Title, course line and headings: once, at the top of the first page.
    Band& title = qr.setBand(BandKind::Title, 11.4, QStringLiteral("TitleBand1"));
    title.keepTogether = true;
    title.addLabel(QStringLiteral("Teilnehmerliste "), 6.3, 2.1, kTitle);

    Band& kurs = title.addChild(7.9, QStringLiteral("ChildBand1"));
    kurs.addLabel(QStringLiteral("Kurs-Nr. :"), 6.3, 1.9, kBold);
    kurs.addData(QStringLiteral("KURSNR"), 23.3, 1.9, kRegular, 18.7);
    kurs.addData(QStringLiteral("KURSNAME"), 42.3, 1.9, kRegular, 106);
    kurs.addLabel(QStringLiteral("Kursart:"), 154.5, 1.9, kBold);
    kurs.addData(QStringLiteral("KURSART"), 169.3, 1.9, kRegular, 20.7);
    kurs.beforePrint = [this](Band& b) {
        for (const char* f : {"KURSNR", "KURSNAME", "KURSART"})
            setFitted(b, QString::fromLatin1(f), text(m_dm.ibt_kurse, f));
    };

    Band& heads = title.addChild(10.6, QStringLiteral("ChildBand2"));
    const struct { const char* text; double left; } headings[] = {
        {"Name", 6.3}, {"Hund", 33.9}, {"Bezahlt", 52.9}, {"Tel.", 69.6},
        {"Mobil", 94.7}, {"Fax", 120.1}, {"E-Mail", 145.3}};
    for (const auto& h : headings) heads.addLabel(QString::fromLatin1(h.text), h.left, 5.0, kBold);

    // One line per participant and the comment under it, on one page.
    Band& detail = qr.setBand(BandKind::Detail, 6.3, QStringLiteral("DetailBand1"));
    detail.keepTogether = true;
    detail.addData(QStringLiteral("QRDBText4"), 6.3, 1.2, kNarrow, 27.3);
    detail.addData(QStringLiteral("HUNDNAME"), 33.9, 1.2, kNarrow, 18.7);
    detail.addData(QStringLiteral("BEZAHLT"), 52.9, 1.2, kNarrow, 13.2, Align::Center);
    detail.addData(QStringLiteral("TEL"), 70.1, 1.2, kNarrow, 24.6);
    detail.addData(QStringLiteral("MOBIL"), 95.0, 1.2, kNarrow, 24.8);
    detail.addData(QStringLiteral("FAX"), 120.1, 1.2, kNarrow, 24.9);
    detail.addData(QStringLiteral("EMAIL"), 145.3, 1.2, kNarrow, 44.7);
    detail.beforePrint = [this](Band& b) {
        db::Query* t = m_dm.ibq_teilnehmer;
        QString name = text(t, "NAME");
        QRDBText4Print(name);
        setFitted(b, QStringLiteral("QRDBText4"), name);
        for (const char* f : {"HUNDNAME", "BEZAHLT", "TEL", "MOBIL", "FAX", "EMAIL"})
            setFitted(b, QString::fromLatin1(f), text(t, f));
    };

    // The participant's own row carries the comment. A comment that needs
    // more than one line makes its band taller.
    Band& comment = detail.addChild(6.3, QStringLiteral("ChildBand3"));
    comment.addData(QStringLiteral("KOMMENTAR"), 6.3, 0.3, kNarrow, 173.8, Align::Left, true);
    comment.beforePrint = [this](Band& b) { setFitted(b, QStringLiteral("KOMMENTAR"), text(m_dm.ibt_teilnehmeredit, "KOMMENTAR")); };

    Band& footer = qr.setBand(BandKind::PageFooter, 6.3, QStringLiteral("PageFooterBand1"));
    footer.addData(QStringLiteral("QRSysData1"), 87.3, 1.5, kSmall, 100, Align::Right);
    footer.beforePrint = [this](Band& b) {
        setFitted(b, QStringLiteral("QRSysData1"),
                  QStringLiteral("Gedruckt am:") + db::fmt::formatDateTime(m_runTime, QStringLiteral("dd.mm.yyyy hh:nn:ss")));
    };

    qr.needData = [this] { return needData(); };
}

Tfrm_qr_teilnehmerliste::~Tfrm_qr_teilnehmerliste() = default;

report::ReportPages Tfrm_qr_teilnehmerliste::layout() {
    m_calls = 0;
    m_runTime = db::currentDateTime();
    for (db::Dataset* d : {static_cast<db::Dataset*>(m_dm.ibt_kurse), static_cast<db::Dataset*>(m_dm.ibq_teilnehmer),
                           static_cast<db::Dataset*>(m_dm.ibt_teilnehmeredit)})
        if (!d->isActive()) d->open();
    return qr.layout();
}

void Tfrm_qr_teilnehmerliste::preview(QWidget* parent) {
    const report::ReportPages pages = layout();
    report::previewReport(pages, QStringLiteral("Teilnehmerliste"), parent ? parent : QApplication::activeWindow());
}

// The lines follow the participants query from its first row to its last.
bool Tfrm_qr_teilnehmerliste::needData() {
    db::Query* t = m_dm.ibq_teilnehmer;
    if (m_calls++ == 0) t->first();
    else t->next();
    return !t->eof();
}

void Tfrm_qr_teilnehmerliste::QRDBText4Print(QString& value) {
    const QString vname = text(m_dm.ibq_teilnehmer, "VNAME");
    if (!vname.isEmpty()) value += QStringLiteral(", ") + vname;
}
