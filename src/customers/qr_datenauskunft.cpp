#include "customers/qr_datenauskunft.h"

#include "db/field.h"
#include "report/reportpaint.h"

using report::Align;
using report::Band;
using report::BandKind;
using report::Font;
using Art = Tfrm_qr_datenauskunft::Zeile::Art;

namespace {

const QColor kSilver(192, 192, 192);
const QColor kHell(230, 230, 230);
const Font kRegular{QStringLiteral("Arial"), 9};
const Font kBold{QStringLiteral("Arial"), 9, true};
const Font kSmall{QStringLiteral("Arial"), 8};
const Font kAbschnitt{QStringLiteral("Arial"), 12, true};
const Font kUnter{QStringLiteral("Arial"), 10, true};
const Font kTitle{QStringLiteral("Arial Black"), 14};

using datenschutz::Datensatz;

QString w(const Datensatz& d, const char* spalte) {
    return datenschutz::wert(d, QString::fromLatin1(spalte)).toString().trimmed();
}

void felder(QVector<Tfrm_qr_datenauskunft::Zeile>& out, const QString& tabelle, const Datensatz& d) {
    for (const auto& [spalte, v] : d) {
        const QString text = datenschutz::anzeigewert(tabelle, spalte, v).trimmed();
        if (text.isEmpty()) continue;
        out.append({Art::Feld, datenschutz::spaltenname(tabelle, spalte), text});
    }
}

// "Thema; Ort: ...; Kontakt: ..." of a date, without the empty parts.
QString terminText(const Datensatz& t) {
    QStringList teile;
    if (!w(t, "THEMA").isEmpty()) teile << w(t, "THEMA");
    if (!w(t, "ORT").isEmpty()) teile << QStringLiteral("Ort: ") + w(t, "ORT");
    if (!w(t, "KONTAKT").isEmpty()) teile << QStringLiteral("Kontakt: ") + w(t, "KONTAKT");
    return teile.join(QStringLiteral("; "));
}

QString terminDatum(const Datensatz& t) {
    QString s = datenschutz::anzeigewert(QStringLiteral("KURSTERMINE"), QStringLiteral("DATUM"),
                                         datenschutz::wert(t, QStringLiteral("DATUM")));
    const QVariant uhr = datenschutz::wert(t, QStringLiteral("UHRZEIT"));
    if (!s.contains(QLatin1Char(':')) && uhr.isValid() && !uhr.isNull() && uhr.toDateTime().time() != QTime(0, 0))
        s += QLatin1Char(' ') + datenschutz::anzeigewert(QStringLiteral("KURSTERMINE"), QStringLiteral("UHRZEIT"), uhr);
    return s;
}

}  // namespace

Tfrm_qr_datenauskunft::Tfrm_qr_datenauskunft(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("frm_qr_datenauskunft"));
    build();
}

QVector<Tfrm_qr_datenauskunft::Zeile> Tfrm_qr_datenauskunft::zeilen(const datenschutz::Auskunft& a) {
    QVector<Zeile> z;
    z.append({Art::Abschnitt, QStringLiteral("Kunde"), {}});
    felder(z, QStringLiteral("KUNDEN"), a.kunde);

    z.append({Art::Abschnitt, QStringLiteral("Hunde (%1)").arg(a.hunde.size()), {}});
    if (a.hunde.isEmpty()) z.append({Art::Feld, QStringLiteral("keine"), {}});
    for (const auto& h : a.hunde) {
        z.append({Art::Unterabschnitt,
                  QStringLiteral("Hund %1: %2").arg(w(h.daten, "HUNDNR"), w(h.daten, "NAME")), {}});
        felder(z, QStringLiteral("HUNDE"), h.daten);
        z.append({Art::Unterabschnitt,
                  QStringLiteral("Trainingstagebuch %1 (%2 Einträge)").arg(w(h.daten, "NAME")).arg(h.tagebuch.size()), {}});
        for (const auto& e : h.tagebuch) {
            QStringList teile;
            for (const char* s : {"TERMINART", "GEPLANT", "DURCHGEFUEHRT", "BEURTEILUNG", "VORAUSPLANUNG"}) {
                const QString v = w(e, s);
                if (v.isEmpty()) continue;
                teile << (qstrcmp(s, "TERMINART") == 0
                              ? v
                              : datenschutz::spaltenname(QStringLiteral("HUNDE_TAGEBUCH"), QString::fromLatin1(s)) +
                                    QStringLiteral(": ") + v);
            }
            z.append({Art::Feld,
                      datenschutz::anzeigewert(QStringLiteral("HUNDE_TAGEBUCH"), QStringLiteral("DATUM"),
                                               datenschutz::wert(e, QStringLiteral("DATUM"))),
                      teile.join(QStringLiteral("; "))});
        }
    }

    z.append({Art::Abschnitt, QStringLiteral("Kursteilnahmen (%1)").arg(a.teilnahmen.size()), {}});
    if (a.teilnahmen.isEmpty()) z.append({Art::Feld, QStringLiteral("keine"), {}});
    for (const auto& t : a.teilnahmen) {
        z.append({Art::Unterabschnitt,
                  QStringLiteral("Kurs %1: %2").arg(w(t.teilnahme, "KURSNR"), w(t.kurs, "KURSNAME")), {}});
        felder(z, QStringLiteral("TEILNEHMER"), t.teilnahme);
        felder(z, QStringLiteral("KURSE"), t.kurs);
        QStringList termine;
        for (const auto& d : t.termine) {
            const QString thema = w(d, "THEMA");
            termine << terminDatum(d) + (thema.isEmpty() ? QString() : QStringLiteral(" ") + thema);
        }
        z.append({Art::Feld, QStringLiteral("Kurstermine (%1)").arg(t.termine.size()),
                  termine.isEmpty() ? QStringLiteral("keine") : termine.join(QStringLiteral("; "))});
    }

    z.append({Art::Abschnitt, QStringLiteral("Beratungstermine, die den Kunden nennen (%1)").arg(a.beratungstermine.size()), {}});
    if (a.beratungstermine.isEmpty()) z.append({Art::Feld, QStringLiteral("keine"), {}});
    for (const auto& t : a.beratungstermine) z.append({Art::Feld, terminDatum(t), terminText(t)});

    z.append({Art::Abschnitt, QStringLiteral("Rechnungen (%1)").arg(a.rechnungen.size()), {}});
    if (a.rechnungen.isEmpty()) z.append({Art::Feld, QStringLiteral("keine"), {}});
    for (const auto& r : a.rechnungen) {
        const QString nummer = w(r.rechnung, "NUMMER");
        z.append({Art::Unterabschnitt,
                  (w(r.rechnung, "ART") == QLatin1String("S") ? QStringLiteral("Stornorechnung ") : QStringLiteral("Rechnung ")) +
                      (nummer.isEmpty() ? QStringLiteral("(Entwurf)") : nummer),
                  {}});
        for (const char* s : {"RECHNUNGSDATUM", "FAELLIG_AM", "LEISTUNG_VON", "LEISTUNG_BIS", "EMPFAENGER", "NETTO", "UST",
                              "BRUTTO"}) {
            const QVariant v = datenschutz::wert(r.rechnung, QString::fromLatin1(s));
            if (!v.isValid() || v.isNull()) continue;
            z.append({Art::Feld, datenschutz::spaltenname(QStringLiteral("RECHNUNGEN"), QString::fromLatin1(s)),
                      datenschutz::anzeigewert(QStringLiteral("RECHNUNGEN"), QString::fromLatin1(s), v)
                          .replace(QLatin1Char('\n'), QStringLiteral(", "))});
        }
        for (const auto& p : r.positionen)
            z.append({Art::Feld, QStringLiteral("Position %1").arg(w(p, "POS")),
                      QStringLiteral("%1 × %2 zu %3").arg(datenschutz::anzeigewert(QStringLiteral("RECHNUNGSPOSITIONEN"), QStringLiteral("MENGE"), datenschutz::wert(p, QStringLiteral("MENGE"))),
                                                          w(p, "BEZEICHNUNG"),
                                                          datenschutz::anzeigewert(QStringLiteral("RECHNUNGSPOSITIONEN"), QStringLiteral("EINZELPREIS"), datenschutz::wert(p, QStringLiteral("EINZELPREIS"))))});
        for (const auto& zahlung : r.zahlungen)
            z.append({Art::Feld, QStringLiteral("Zahlung"),
                      datenschutz::anzeigewert(QStringLiteral("ZAHLUNGEN"), QStringLiteral("DATUM"), datenschutz::wert(zahlung, QStringLiteral("DATUM"))) +
                          QStringLiteral(": ") +
                          datenschutz::anzeigewert(QStringLiteral("ZAHLUNGEN"), QStringLiteral("BETRAG"), datenschutz::wert(zahlung, QStringLiteral("BETRAG"))) +
                          QStringLiteral(" ") + w(zahlung, "ZAHLUNGSART")});
        for (const auto& m : r.mahnungen)
            z.append({Art::Feld, QStringLiteral("Mahnstufe %1").arg(w(m, "STUFE")),
                      datenschutz::anzeigewert(QStringLiteral("MAHNUNGEN"), QStringLiteral("DATUM"), datenschutz::wert(m, QStringLiteral("DATUM")))});
    }
    return z;
}

// A4 portrait, 10 mm margins; the title with the school as on the customer
// card, then one detail band per line: headings over the whole width,
// values beside their label, breaking into lines as they need.
void Tfrm_qr_datenauskunft::build() {
    qr.setMargins(10);

    Band& title = qr.setBand(BandKind::Title, 22, QStringLiteral("TitleBand1"));
    title.color = kSilver;
    title.addLabel(QStringLiteral("Datenauskunft"), 6.3, 2.1, kTitle);
    title.addData(QStringLiteral("HUNDESCHULE"), 69, 0.8, kSmall, 120, Align::Right);
    title.addData(QStringLiteral("SCHULADRESSE"), 69, 5.6, kSmall, 120, Align::Right);
    title.addData(QStringLiteral("KUNDE"), 6.3, 11.5, kBold, 130);
    title.addData(QStringLiteral("STAND"), 6.3, 16.2, kSmall, 183);
    title.beforePrint = [this](Band& b) {
        setFitted(b, QStringLiteral("HUNDESCHULE"), m_schule.value(0));
        setFitted(b, QStringLiteral("SCHULADRESSE"), m_schule.value(1));
        setFitted(b, QStringLiteral("KUNDE"), m_kopf);
        setFitted(b, QStringLiteral("STAND"), m_stand);
    };

    Band& detail = qr.setBand(BandKind::Detail, 5, QStringLiteral("DetailBand1"));
    detail.addData(QStringLiteral("UEBERSCHRIFT"), 2, 2.5, kAbschnitt, 186);
    detail.addData(QStringLiteral("LABEL"), 6.3, 0.6, kRegular, 58);
    detail.addData(QStringLiteral("WERT"), 66, 0.6, kBold, 123, Align::Left, true);
    detail.beforePrint = [this](Band& b) {
        const Zeile& z = m_zeilen[m_index];
        const bool feld = z.art == Art::Feld;
        b.setItemVisible(QStringLiteral("UEBERSCHRIFT"), !feld);
        b.setItemVisible(QStringLiteral("LABEL"), feld);
        b.setItemVisible(QStringLiteral("WERT"), feld);
        b.item(QStringLiteral("UEBERSCHRIFT")).font = z.art == Art::Abschnitt ? kAbschnitt : kUnter;
        b.item(QStringLiteral("UEBERSCHRIFT")).top = z.art == Art::Abschnitt ? 3 : 1.5;
        b.color = z.art == Art::Abschnitt ? kHell : QColor();
        b.height = z.art == Art::Abschnitt ? 9.5 : z.art == Art::Unterabschnitt ? 7 : 5;
        if (feld) {
            setFitted(b, QStringLiteral("LABEL"), z.label);
            b.setText(QStringLiteral("WERT"), z.wert);
        } else {
            setFitted(b, QStringLiteral("UEBERSCHRIFT"), z.label);
        }
    };
    qr.needData = [this] { return ++m_index < m_zeilen.size(); };

    Band& footer = qr.setBand(BandKind::PageFooter, 8.5, QStringLiteral("PageFooterBand1"));
    footer.addLine(0, 1, 190, 0.2);
    footer.addData(QStringLiteral("FUSS"), 2, 2.1, kSmall, 120);
    footer.addData(QStringLiteral("SEITE"), 130, 2.1, kSmall, 58, Align::Right);
    footer.beforePrint = [this](Band& b) {
        setFitted(b, QStringLiteral("FUSS"), m_fuss);
        setFitted(b, QStringLiteral("SEITE"), QStringLiteral("Seite %1").arg(qr.pageNumber()));
    };
}

report::ReportPages Tfrm_qr_datenauskunft::layout(const datenschutz::Auskunft& a, const QStringList& schule) {
    m_zeilen = zeilen(a);
    m_index = -1;
    m_schule = schule;
    const QString nr = QStringLiteral("%1").arg(a.kndnr, 4, 10, QLatin1Char('0'));
    QString name = datenschutz::kundenname(a.kunde);
    const QString anrede = datenschutz::wert(a.kunde, QStringLiteral("ANREDE")).toString().trimmed();
    if (!anrede.isEmpty()) name = anrede + QLatin1Char(' ') + name;
    m_kopf = QStringLiteral("Kunde ") + nr + QStringLiteral(" – ") + name;
    const QString stand = db::fmt::formatDateTime(a.erstellt, QStringLiteral("dd.mm.yyyy hh:nn"));
    m_stand = QStringLiteral("Alle gespeicherten Daten zu diesem Kunden, Stand ") + stand +
              QStringLiteral(". Leere Felder sind nicht aufgeführt.");
    m_fuss = QStringLiteral("Datenauskunft Kunde ") + nr + QStringLiteral(", Stand ") + stand;
    return qr.layout();
}
