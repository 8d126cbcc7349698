#include "customers/qr_offeneposten.h"

#include "db/field.h"
#include "report/reportpaint.h"

using report::Align;
using report::Band;
using report::BandKind;
using report::Font;

namespace {

const QColor kSilver(192, 192, 192);
const Font kRegular{QStringLiteral("Arial Narrow"), 10};
const Font kBold{QStringLiteral("Arial"), 10, true};
const Font kSmall{QStringLiteral("Arial"), 8};
const Font kTitle{QStringLiteral("Arial Black"), 14};

// Columns: left edge and width in mm (the band is 190 mm wide).
struct Spalte {
    const char* name;
    const char* titel;
    double links, breite;
    Align align;
};
const Spalte kSpalten[] = {{"KUNDE", "Kunde", 2, 50, Align::Left},
                           {"HUND", "Hund", 53, 27, Align::Left},
                           {"KURS", "Kurs", 81, 52, Align::Left},
                           {"KURSART", "Art", 134, 10, Align::Left},
                           {"ERSTER_TERMIN", "erster Termin", 145, 22, Align::Left},
                           {"GEBUEHR", "Gebühr", 168, 20, Align::Right}};

}  // namespace

Tfrm_qr_offeneposten::Tfrm_qr_offeneposten(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("frm_qr_offeneposten"));
    qr.setMargins(10);
    qr.columnHeaderOnEveryPage = true;

    Band& title = qr.setBand(BandKind::Title, 16, QStringLiteral("TitleBand1"));
    title.color = kSilver;
    title.addLabel(QStringLiteral("Offene Posten"), 6.3, 2.1, kTitle);
    title.addData(QStringLiteral("STAND"), 6.3, 10.5, kSmall, 180);
    title.beforePrint = [this](Band& b) { setFitted(b, QStringLiteral("STAND"), m_stand); };

    Band& heads = qr.setBand(BandKind::ColumnHeader, 8, QStringLiteral("ColumnHeaderBand1"));
    for (const Spalte& s : kSpalten)
        heads.addLabel(QString::fromUtf8(s.titel), s.links, 2.5, kBold, s.breite, s.align);
    heads.addLine(0, 7.5, 190, 0.2);

    Band& detail = qr.setBand(BandKind::Detail, 5.5, QStringLiteral("DetailBand1"));
    for (const Spalte& s : kSpalten)
        detail.addData(QString::fromLatin1(s.name), s.links, 0.8, kRegular, s.breite, s.align);
    detail.beforePrint = [this](Band& b) {
        const offeneposten::Posten& p = m_liste[m_index];
        QString kunde = p.name.trimmed();
        if (!p.vname.trimmed().isEmpty()) kunde += QStringLiteral(", ") + p.vname.trimmed();
        setFitted(b, QStringLiteral("KUNDE"), kunde);
        setFitted(b, QStringLiteral("HUND"), p.hund);
        setFitted(b, QStringLiteral("KURS"),
                  QStringLiteral("%1 %2").arg(p.kursnr, 4, 10, QLatin1Char('0')).arg(p.kursname));
        setFitted(b, QStringLiteral("KURSART"), p.kursart);
        setFitted(b, QStringLiteral("ERSTER_TERMIN"), offeneposten::datum(p.ersterTermin));
        setFitted(b, QStringLiteral("GEBUEHR"), offeneposten::betrag(p.gebuehr));
    };
    qr.needData = [this] { return ++m_index < m_liste.size(); };

    Band& summe = qr.setBand(BandKind::Summary, 10, QStringLiteral("SummaryBand1"));
    summe.addLine(0, 1, 190, 0.3);
    summe.addData(QStringLiteral("ANZAHL"), 2, 3, kBold, 120);
    summe.addData(QStringLiteral("SUMME"), 140, 3, kBold, 48, Align::Right);
    summe.beforePrint = [this](Band& b) {
        setFitted(b, QStringLiteral("ANZAHL"),
                  m_liste.size() == 1 ? QStringLiteral("Summe (1 Posten)")
                                      : QStringLiteral("Summe (%1 Posten)").arg(m_liste.size()));
        setFitted(b, QStringLiteral("SUMME"), db::fmt::formatCurrency(offeneposten::summe(m_liste)));
    };

    Band& footer = qr.setBand(BandKind::PageFooter, 8.5, QStringLiteral("PageFooterBand1"));
    footer.addLine(0, 1, 190, 0.2);
    footer.addData(QStringLiteral("FUSS"), 2, 2.1, kSmall, 120);
    footer.addData(QStringLiteral("SEITE"), 130, 2.1, kSmall, 58, Align::Right);
    footer.beforePrint = [this](Band& b) {
        setFitted(b, QStringLiteral("FUSS"), QStringLiteral("Gedruckt am: ") + m_stand.mid(6));
        setFitted(b, QStringLiteral("SEITE"), QStringLiteral("Seite %1").arg(qr.pageNumber()));
    };
}

report::ReportPages Tfrm_qr_offeneposten::layout(const QVector<offeneposten::Posten>& liste, const QDateTime& stand) {
    m_liste = liste;
    m_index = -1;
    m_stand = QStringLiteral("Stand ") + db::fmt::formatDateTime(stand, QStringLiteral("dd.mm.yyyy hh:nn"));
    return qr.layout();
}
