#include "billing/qr_rechnung.h"

#include <qrencode.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <tuple>

#include "db/error.h"
#include "report/report.h"
#include "report/reportpaint.h"

using report::Align;
using report::Band;
using report::BandKind;
using report::Font;
using rechnungen::Cent;

namespace billing {

namespace {

const Font kKlein{QStringLiteral("Arial"), 7.5};
const Font kNormal{QStringLiteral("Arial"), 10};
const Font kFett{QStringLiteral("Arial"), 10, true};
const Font kTitel{QStringLiteral("Arial"), 16, true};

QString datum(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

QString zeitraum(const QDate& von, const QDate& bis) {
    if (!von.isValid()) return QString();
    if (!bis.isValid() || bis == von) return datum(von);
    return datum(von) + QStringLiteral(" – ") + datum(bis);
}

// The head of both printouts: the sender line above the window of the
// envelope, the recipient's address in it, the school's address at the right.
void kopf(Band& b, const QString& absender, const QString& empfaenger) {
    const QStringList abs = absender.split(QLatin1Char('\n'));
    b.addLabel(abs.join(QStringLiteral(" · ")), 15, 35, kKlein, 85);
    const QStringList emp = empfaenger.split(QLatin1Char('\n'));
    for (int i = 0; i < emp.size() && i < 6; ++i) b.addLabel(emp[i], 15, 41 + i * 5, kNormal, 85);
    for (int i = 0; i < abs.size() && i < 4; ++i)
        b.addLabel(abs[i], 120, 10 + i * 5, i == 0 ? kFett : kNormal, 70, Align::Right);
}

// Adds one information row at the right ("Rechnungsnummer:", value).
double info(Band& b, double top, const QString& name, const QString& wert) {
    if (wert.isEmpty()) return top;
    b.addLabel(name, 120, top, kNormal, 35);
    b.addLabel(wert, 155, top, kNormal, 35, Align::Right);
    return top + 5;
}

// A text of several lines as one label per line.
double absatz(Band& b, double top, const QString& text, double links = 0, double breite = 190) {
    for (const QString& zeile : text.split(QLatin1Char('\n'))) {
        if (!zeile.trimmed().isEmpty()) b.addData(QString(), links, top, kNormal, breite, Align::Left, true).text = zeile;
        top += 5;
    }
    return top;
}

// The modules of the code as filled squares, rows merged into runs.
void qrZeichnen(Band& b, const QVector<QVector<bool>>& m, double links, double oben, double modul) {
    for (int y = 0; y < m.size(); ++y) {
        int x = 0;
        while (x < m[y].size()) {
            if (!m[y][x]) {
                ++x;
                continue;
            }
            int ende = x;
            while (ende < m[y].size() && m[y][ende]) ++ende;
            report::Item& it = b.addFill(links + x * modul, oben + y * modul, (ende - x) * modul, modul);
            it.name = QStringLiteral("GIROCODE");
            x = ende;
        }
    }
}

}  // namespace

QVector<QVector<bool>> qrModule(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1),
                                                     QRcode_free);
    QVector<QVector<bool>> out;
    if (!code) return out;
    const int w = code->width;
    for (int y = 0; y < w; ++y) {
        QVector<bool> zeile(w);
        for (int x = 0; x < w; ++x) zeile[x] = code->data[y * w + x] & 1;
        out.append(zeile);
    }
    return out;
}

QString girocodeFuer(const rechnungen::Rechnung& r, Cent rest) {
    if (r.storno() || !r.ausgestellt()) return QString();
    const QString name = r.absender.section(QLatin1Char('\n'), 0, 0);
    return rechnungen::girocode(name, r.iban, r.bic, rest, r.nummer);
}

QString titel(const rechnungen::Rechnung& r) {
    if (!r.ausgestellt()) return QStringLiteral("Rechnungsentwurf");
    return (r.storno() ? QStringLiteral("Stornorechnung ") : QStringLiteral("Rechnung ")) + r.nummer;
}

report::ReportPages rechnungsseiten(const rechnungen::Rechnung& r) { return rechnungsseiten(r, r.summen.brutto); }

report::ReportPages rechnungsseiten(const rechnungen::Rechnung& r, Cent rest) {
    report::Report rep;
    rep.setMargins(10);
    rep.columnHeaderOnEveryPage = true;
    const bool ust = !r.kleinunternehmer;

    Band& title = rep.setBand(BandKind::Title, 100, QStringLiteral("Kopf"));
    kopf(title, r.absender, r.empfaenger);
    title.addLabel(r.ausgestellt() ? (r.storno() ? QStringLiteral("Stornorechnung") : QStringLiteral("Rechnung"))
                                   : QStringLiteral("Rechnungsentwurf (nicht ausgestellt)"),
                   0, 78, kTitel, 110)
        .name = QStringLiteral("TITEL");
    double y = 41;
    y = info(title, y, QStringLiteral("Rechnungsnummer:"), r.nummer);
    y = info(title, y, QStringLiteral("Rechnungsdatum:"), datum(r.datum));
    y = info(title, y, QStringLiteral("Kunden-Nr.:"),
             r.kndnr > 0 ? QStringLiteral("%1").arg(r.kndnr, 4, 10, QLatin1Char('0')) : QString());
    const QDate von = r.leistungVon.isValid() ? r.leistungVon : r.datum;
    const QDate bis = r.leistungBis.isValid() ? r.leistungBis : von;
    y = info(title, y, von == bis ? QStringLiteral("Leistungsdatum:") : QStringLiteral("Leistungszeitraum:"),
             zeitraum(von, bis));
    if (!r.steuernummer.isEmpty()) y = info(title, y, QStringLiteral("Steuernummer:"), r.steuernummer);
    if (!r.ustIdNr.isEmpty()) y = info(title, y, QStringLiteral("USt-IdNr.:"), r.ustIdNr);
    double t = 86;
    if (r.storno()) {
        title.addLabel(QStringLiteral("Storno zu Rechnung %1 vom %2").arg(r.stornoVonNummer, datum(r.stornoVonDatum)),
                       0, t, kFett, 190);
        t += 6;
    }
    t = absatz(title, t, r.textOben);
    title.height = std::max(t + 2, 92.0);

    // Columns: position, quantity, description, unit price, rate, amount.
    Band& heads = rep.setBand(BandKind::ColumnHeader, 8, QStringLiteral("Spalten"));
    heads.addLabel(QStringLiteral("Pos."), 0, 1.5, kFett, 10);
    heads.addLabel(QStringLiteral("Menge"), 10, 1.5, kFett, 15, Align::Right);
    heads.addLabel(QStringLiteral("Bezeichnung"), 28, 1.5, kFett, 90);
    heads.addLabel(QStringLiteral("Einzelpreis"), 120, 1.5, kFett, 25, Align::Right);
    if (ust) heads.addLabel(QStringLiteral("USt"), 147, 1.5, kFett, 12, Align::Right);
    heads.addLabel(QStringLiteral("Betrag"), 160, 1.5, kFett, 30, Align::Right);
    heads.addLine(0, 7, 190, 0.3);

    auto index = std::make_shared<int>(-1);
    Band& detail = rep.setBand(BandKind::Detail, 6, QStringLiteral("Positionen"));
    detail.addData(QStringLiteral("POS"), 0, 0.8, kNormal, 10);
    detail.addData(QStringLiteral("MENGE"), 10, 0.8, kNormal, 15, Align::Right);
    detail.addData(QStringLiteral("TEXT"), 28, 0.8, kNormal, 90, Align::Left, true);
    detail.addData(QStringLiteral("EINZELPREIS"), 120, 0.8, kNormal, 25, Align::Right);
    detail.addData(QStringLiteral("SATZ"), 147, 0.8, kNormal, 12, Align::Right);
    detail.addData(QStringLiteral("BETRAG"), 160, 0.8, kNormal, 30, Align::Right);
    const QVector<rechnungen::Position> positionen = r.positionen;
    detail.beforePrint = [positionen, index, ust](Band& b) {
        const rechnungen::Position& p = positionen[*index];
        b.setText(QStringLiteral("POS"), QString::number(*index + 1));
        b.setText(QStringLiteral("MENGE"), rechnungen::menge(p.menge));
        QString text = p.text;
        if (p.von.isValid()) text += QStringLiteral(" (Leistung: ") + zeitraum(p.von, p.bis) + QLatin1Char(')');
        b.setText(QStringLiteral("TEXT"), text);
        b.setText(QStringLiteral("EINZELPREIS"), rechnungen::betrag(p.einzelpreis));
        b.setText(QStringLiteral("SATZ"), ust ? QStringLiteral("%1 %").arg(p.ustSatz) : QString());
        b.setText(QStringLiteral("BETRAG"), rechnungen::betrag(p.netto()));
    };
    rep.needData = [index, n = int(positionen.size())] { return ++*index < n; };

    // Sums: the net sum, per rate the VAT on its net sum, the total.
    Band& summe = rep.setBand(BandKind::Summary, 8, QStringLiteral("Summen"));
    summe.addLine(100, 1, 90, 0.3);
    summe.addLabel(ust ? QStringLiteral("Summe netto") : QStringLiteral("Gesamtbetrag"), 100, 2.5, ust ? kNormal : kFett,
                   55);
    summe.addLabel(rechnungen::betrag(r.summen.netto), 155, 2.5, ust ? kNormal : kFett, 35, Align::Right);
    if (ust) {
        for (const rechnungen::Steuerzeile& z : r.summen.jeSatz) {
            Band& c = summe.addChild(5, QStringLiteral("Steuer%1").arg(z.satz));
            c.addLabel(QStringLiteral("zzgl. %1 % USt auf %2").arg(z.satz).arg(rechnungen::betrag(z.netto)), 100, 0,
                       kNormal, 55);
            c.addLabel(rechnungen::betrag(z.ust), 155, 0, kNormal, 35, Align::Right);
        }
        Band& g = summe.addChild(7, QStringLiteral("Gesamt"));
        g.addLine(100, 0.5, 90, 0.3);
        g.addLabel(QStringLiteral("Gesamtbetrag"), 100, 1.5, kFett, 55);
        g.addLabel(rechnungen::betrag(r.summen.brutto), 155, 1.5, kFett, 35, Align::Right);
    }

    Band& hinweise = summe.addChild(6, QStringLiteral("Hinweise"));
    double h = 4;
    if (r.kleinunternehmer) {
        hinweise.addLabel(QStringLiteral("Gemäß § 19 UStG wird keine Umsatzsteuer berechnet."), 0, h, kNormal, 190);
        h += 6;
    }
    if (r.storno()) {
        hinweise.addLabel(QStringLiteral("Diese Stornorechnung hebt die Rechnung %1 vollständig auf.").arg(r.stornoVonNummer),
                          0, h, kNormal, 190);
        h += 6;
    } else if (r.faellig.isValid()) {
        const qint64 tage = r.datum.daysTo(r.faellig);
        hinweise
            .addData(QString(), 0, h, kNormal, 190, Align::Left, true)
            .text = QStringLiteral("Zahlbar innerhalb von %1 Tagen ohne Abzug bis zum %2. Bitte geben Sie bei der "
                                   "Überweisung die Rechnungsnummer %3 an.")
                        .arg(tage)
                        .arg(datum(r.faellig), r.nummer);
        h += 11;
    }
    h = absatz(hinweise, h, r.textUnten);
    hinweise.height = h + 2;

    const QString code = girocodeFuer(r, rest);
    if (!code.isEmpty() || !r.iban.isEmpty()) {
        Band& bank = summe.addChild(40, QStringLiteral("Bezahlen"));
        bank.keepTogether = true;
        double links = 0;
        const QVector<QVector<bool>> module = qrModule(code);
        if (!module.isEmpty()) {
            const double groesse = 30;  // mm with the quiet zone of 4 modules
            const double modul = groesse / (module.size() + 8);
            qrZeichnen(bank, module, 4 * modul, 2 + 4 * modul, modul);
            links = groesse + 5;
            bank.height = std::max(bank.height, groesse + 4);
        }
        double b = 4;
        if (!module.isEmpty()) {
            bank.addLabel(QStringLiteral("Bezahlen mit der Banking-App: GiroCode scannen"), links, b, kFett, 150);
            b += 6;
        }
        bank.addLabel(QStringLiteral("Empfänger: ") + r.absender.section(QLatin1Char('\n'), 0, 0), links, b, kNormal, 150);
        b += 5;
        const QString bankzeilen[] = {r.bank.isEmpty() ? QString() : QStringLiteral("Bank: ") + r.bank,
                                      r.iban.isEmpty() ? QString() : QStringLiteral("IBAN: ") + rechnungen::ibanLesbar(r.iban),
                                      r.bic.isEmpty() ? QString() : QStringLiteral("BIC: ") + r.bic};
        for (const QString& zeile : bankzeilen) {
            if (zeile.isEmpty()) continue;
            bank.addLabel(zeile, links, b, kNormal, 150);
            b += 5;
        }
        if (!module.isEmpty())
            bank.addLabel(QStringLiteral("Betrag: %1, Verwendungszweck: %2").arg(rechnungen::betrag(rest), r.nummer),
                          links, b, kNormal, 150);
    }

    Band& fuss = rep.setBand(BandKind::PageFooter, 10, QStringLiteral("Fuss"));
    fuss.addLine(0, 1, 190, 0.2);
    QStringList teile{r.absender.section(QLatin1Char('\n'), 0, 0)};
    if (!r.steuernummer.isEmpty()) teile << QStringLiteral("Steuernummer ") + r.steuernummer;
    if (!r.ustIdNr.isEmpty()) teile << QStringLiteral("USt-IdNr. ") + r.ustIdNr;
    if (!r.iban.isEmpty()) teile << QStringLiteral("IBAN ") + rechnungen::ibanLesbar(r.iban);
    fuss.addLabel(teile.join(QStringLiteral(" · ")), 0, 2.5, kKlein, 165);
    fuss.addData(QStringLiteral("SEITE"), 165, 2.5, kKlein, 25, Align::Right);
    report::Report* rp = &rep;
    fuss.beforePrint = [rp](Band& b) { b.setText(QStringLiteral("SEITE"), QStringLiteral("Seite %1").arg(rp->pageNumber())); };

    return rep.layout();
}

report::ReportPages mahnungsseiten(const rechnungen::Mahnschreiben& m, const rechnungen::Einstellungen& e) {
    report::Report rep;
    rep.setMargins(10);
    QStringList abs{e.schule};
    if (!e.strasse.isEmpty()) abs << e.strasse;
    if (!(e.plz + e.ort).trimmed().isEmpty()) abs << (e.plz + QLatin1Char(' ') + e.ort).trimmed();
    Band& title = rep.setBand(BandKind::Title, 100, QStringLiteral("Kopf"));
    kopf(title, abs.join(QLatin1Char('\n')), m.empfaenger);
    title.addLabel(rechnungen::mahnstufeText(m.stufe), 0, 78, kTitel, 110).name = QStringLiteral("TITEL");
    double y = info(title, 41, QStringLiteral("Datum:"), datum(m.datum));
    y = info(title, y, QStringLiteral("Kunden-Nr.:"), QStringLiteral("%1").arg(m.kndnr, 4, 10, QLatin1Char('0')));
    const QString einleitung =
        m.stufe == 1 ? QStringLiteral("sicher haben Sie es nur übersehen: Die folgenden Rechnungen sind noch nicht "
                                      "(vollständig) bezahlt.")
                     : QStringLiteral("trotz unserer Erinnerung sind die folgenden Rechnungen noch nicht (vollständig) "
                                      "bezahlt.");
    title.addLabel(QStringLiteral("Guten Tag,"), 0, 88, kNormal, 190);
    title.addData(QString(), 0, 94, kNormal, 190, Align::Left, true).text = einleitung;
    title.height = 104;

    Band& heads = rep.setBand(BandKind::ColumnHeader, 8, QStringLiteral("Spalten"));
    heads.addLabel(QStringLiteral("Rechnung"), 0, 1.5, kFett, 35);
    heads.addLabel(QStringLiteral("vom"), 36, 1.5, kFett, 25);
    heads.addLabel(QStringLiteral("fällig seit"), 62, 1.5, kFett, 25);
    heads.addLabel(QStringLiteral("Betrag"), 88, 1.5, kFett, 30, Align::Right);
    heads.addLabel(QStringLiteral("bezahlt"), 120, 1.5, kFett, 30, Align::Right);
    heads.addLabel(QStringLiteral("offen"), 155, 1.5, kFett, 35, Align::Right);
    heads.addLine(0, 7, 190, 0.3);
    auto index = std::make_shared<int>(-1);
    Band& detail = rep.setBand(BandKind::Detail, 6, QStringLiteral("Posten"));
    for (const char* n : {"NUMMER", "DATUM", "FAELLIG", "BRUTTO", "BEZAHLT", "REST"}) detail.addData(QString::fromLatin1(n), 0, 0.8, kNormal);
    detail.item(QStringLiteral("DATUM")).left = 36;
    detail.item(QStringLiteral("FAELLIG")).left = 62;
    for (auto [n, l, w] : {std::tuple{"BRUTTO", 88.0, 30.0}, std::tuple{"BEZAHLT", 120.0, 30.0}, std::tuple{"REST", 155.0, 35.0}}) {
        report::Item& it = detail.item(QString::fromLatin1(n));
        it.left = l;
        it.width = w;
        it.align = Align::Right;
    }
    const auto posten = m.posten;
    detail.beforePrint = [posten, index](Band& b) {
        const rechnungen::OffenerPosten& p = posten[*index];
        b.setText(QStringLiteral("NUMMER"), p.nummer);
        b.setText(QStringLiteral("DATUM"), datum(p.datum));
        b.setText(QStringLiteral("FAELLIG"), datum(p.faellig));
        b.setText(QStringLiteral("BRUTTO"), rechnungen::betrag(p.brutto));
        b.setText(QStringLiteral("BEZAHLT"), rechnungen::betrag(p.bezahlt));
        b.setText(QStringLiteral("REST"), rechnungen::betrag(p.rest));
    };
    rep.needData = [index, n = int(posten.size())] { return ++*index < n; };

    Band& summe = rep.setBand(BandKind::Summary, 60, QStringLiteral("Summen"));
    summe.addLine(100, 1, 90, 0.3);
    double s = 2.5;
    if (m.gebuehr > 0) {
        summe.addLabel(QStringLiteral("Mahngebühr"), 100, s, kNormal, 55);
        summe.addLabel(rechnungen::betrag(m.gebuehr), 155, s, kNormal, 35, Align::Right);
        s += 5;
    }
    summe.addLabel(QStringLiteral("Zu zahlen"), 100, s, kFett, 55);
    summe.addLabel(rechnungen::betrag(m.summe), 155, s, kFett, 35, Align::Right);
    s += 9;
    summe.addData(QString(), 0, s, kNormal, 190, Align::Left, true).text =
        QStringLiteral("Bitte überweisen Sie den Betrag von %1 bis zum %2 auf das Konto IBAN %3%4.")
            .arg(rechnungen::betrag(m.summe), datum(m.faellig), rechnungen::ibanLesbar(e.iban),
                 e.bank.isEmpty() ? QString() : QStringLiteral(" bei der ") + e.bank);
    s += 11;
    summe.addLabel(QStringLiteral("Haben Sie inzwischen bezahlt, betrachten Sie dieses Schreiben bitte als gegenstandslos."),
                   0, s, kNormal, 190);
    summe.height = s + 8;
    Band& fuss = rep.setBand(BandKind::PageFooter, 10, QStringLiteral("Fuss"));
    fuss.addLine(0, 1, 190, 0.2);
    QStringList teile{e.schule};
    if (!e.steuernummer.isEmpty()) teile << QStringLiteral("Steuernummer ") + e.steuernummer;
    if (!e.iban.isEmpty()) teile << QStringLiteral("IBAN ") + rechnungen::ibanLesbar(e.iban);
    fuss.addLabel(teile.join(QStringLiteral(" · ")), 0, 2.5, kKlein, 190);
    return rep.layout();
}

QString archivieren(const rechnungen::Rechnung& r) {
    if (!r.ausgestellt()) throw db::Error(QStringLiteral("Nur ausgestellte Rechnungen werden archiviert."));
    const QString datei = rechnungen::archivdatei(r.nummer);
    if (QFileInfo::exists(datei)) return datei;  // never overwritten
    if (!QDir().mkpath(rechnungen::archivordner()))
        throw db::Error(QStringLiteral("Der Ordner \"%1\" für die Rechnungen konnte nicht angelegt werden.")
                            .arg(QDir::toNativeSeparators(rechnungen::archivordner())));
    // Written beside it first, then renamed: a rename does not replace an
    // existing file, so a PDF another workstation wrote meanwhile stays.
    const QString neu = datei + QStringLiteral(".neu");
    QFile::remove(neu);
    if (!report::printToPdf(rechnungsseiten(r), neu))
        throw db::Error(QStringLiteral("Die Rechnung %1 konnte nicht als PDF gespeichert werden (%2).")
                            .arg(r.nummer, QDir::toNativeSeparators(neu)));
    if (!QFile::rename(neu, datei)) QFile::remove(neu);
    QFile::setPermissions(datei, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return datei;
}

}  // namespace billing
