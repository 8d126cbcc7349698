#include "data/rechnungen.h"

#include <QDir>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <functional>
#include <map>

#include "db/connection.h"
#include "db/error.h"
#include "db/field.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "platform/paths.h"

namespace rechnungen {

namespace {

using Zeile = QVector<QVariant>;

// A short transaction of its own: read committed, waiting for locks (two
// workstations issuing at once wait for each other on the counter row).
// Ends with a rollback unless commit() was called.
class Vorgang {
public:
    explicit Vorgang(db::Connection* c) : m_c(c), m_t(c, db::Transaction::Isolation::ReadCommitted, true) {
        m_t.setDefaultAction(db::Transaction::DefaultAction::Rollback);
    }
    ~Vorgang() {
        if (m_t.inTransaction()) {
            try {
                m_t.rollback();
            } catch (...) {
            }
        }
    }
    QVector<Zeile> zeilen(const QString& sql, const QVariantList& params = {}) {
        db::Statement s(m_c, &m_t);
        s.prepare(sql);
        s.setParams(params);
        s.open();
        QVector<Zeile> out;
        while (s.fetch()) out.append(s.row());
        return out;
    }
    QVariant wert(const QString& sql, const QVariantList& params = {}) {
        return db::Statement(m_c, &m_t).scalar(sql, params);
    }
    int ausfuehren(const QString& sql, const QVariantList& params = {}) {
        db::Statement s(m_c, &m_t);
        s.execute(sql, params);
        return s.rowsAffected();
    }
    void commit() { m_t.commit(); }
    db::Connection* connection() const { return m_c; }

private:
    db::Connection* m_c;
    db::Transaction m_t;
};

[[noreturn]] void fehler(const QString& text) { throw db::Error(text); }

Cent cent(const QVariant& v) { return v.isValid() && !v.isNull() ? qRound64(v.toDouble() * 100.0) : 0; }
QVariant dbBetrag(Cent c) { return double(c) / 100.0; }
QDate datumVon(const QVariant& v) { return v.isValid() && !v.isNull() ? v.toDateTime().date() : QDate(); }
QVariant dbDatum(const QDate& d) { return d.isValid() ? QVariant(db::makeDateTime(d)) : QVariant(); }
QString textVon(const QVariant& v) { return v.isValid() && !v.isNull() ? v.toString().trimmed() : QString(); }

QChar erstesZeichen(const QVariant& v, QChar sonst) {
    const QString t = textVon(v);
    return t.isEmpty() ? sonst : t.at(0);
}

QString datumText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

// The database's refusal of a change to an issued invoice, in the words the
// exception carries; other errors as they are.
[[noreturn]] void weiter(const db::Error& e) {
    if (e.message().contains(QLatin1String("RECHNUNG_UNVERAENDERLICH"), Qt::CaseInsensitive))
        throw db::Error(QStringLiteral("Eine ausgestellte Rechnung kann nicht geändert oder gelöscht werden. "
                                       "Korrigieren Sie sie mit einer Stornorechnung."),
                        e.sql(), e.sqlCode(), e.gdsCode());
    throw e;
}

// Two workstations wrote the counter row (or its first row of a year) at
// the same moment: the one that waited tries again with the new count.
bool konflikt(const db::Error& e) {
    const QString m = e.message();
    return m.contains(QLatin1String("update conflicts with concurrent update"), Qt::CaseInsensitive) ||
           m.contains(QLatin1String("deadlock"), Qt::CaseInsensitive) ||
           m.contains(QLatin1String("lock conflict"), Qt::CaseInsensitive) ||
           (m.contains(QLatin1String("violation of PRIMARY or UNIQUE KEY"), Qt::CaseInsensitive) &&
            m.contains(QLatin1String("RECHNUNGSZAEHLER"), Qt::CaseInsensitive));
}

template <class F>
auto mitWiederholung(F f) -> decltype(f()) {
    for (int versuch = 1;; ++versuch) {
        try {
            return f();
        } catch (const db::Error& e) {
            if (versuch < 100 && konflikt(e)) continue;
            weiter(e);
        }
    }
}

// Rounds a / b half away from zero (b > 0).
qint64 teileGerundet(qint64 a, qint64 b) {
    if (a >= 0) return (a + b / 2) / b;
    return -((-a + b / 2) / b);
}

QString kundenzeile(const QString& vname, const QString& name) {
    QStringList teile;
    if (!vname.trimmed().isEmpty()) teile << vname.trimmed();
    if (!name.trimmed().isEmpty()) teile << name.trimmed();
    return teile.join(QLatin1Char(' '));
}

QString listenname(const QString& name, const QString& vname) {
    if (vname.trimmed().isEmpty()) return name.trimmed();
    return name.trimmed() + QStringLiteral(", ") + vname.trimmed();
}

// Name and address of the customer as they stand on the invoice.
QString empfaengerVon(Vorgang& v, int kndnr) {
    const auto rows = v.zeilen(QStringLiteral("select anrede, vname, name, str, plz, ort from kunden where kndnr = ?"),
                               {kndnr});
    if (rows.isEmpty())
        fehler(QStringLiteral("Den Kunden Nr. %1 gibt es nicht (mehr).").arg(kndnr, 4, 10, QLatin1Char('0')));
    const Zeile& r = rows.first();
    QString name = kundenzeile(textVon(r[1]), textVon(r[2]));
    const QString anrede = textVon(r[0]);
    if (!anrede.isEmpty()) name = anrede + QLatin1Char(' ') + name;
    QStringList zeilen{name};
    if (!textVon(r[3]).isEmpty()) zeilen << textVon(r[3]);
    const QString ort = (textVon(r[4]) + QLatin1Char(' ') + textVon(r[5])).trimmed();
    if (!ort.isEmpty()) zeilen << ort;
    return zeilen.join(QLatin1Char('\n'));
}

QString absenderVon(const Einstellungen& e) {
    QStringList zeilen{e.schule};
    if (!e.strasse.isEmpty()) zeilen << e.strasse;
    const QString ort = (e.plz + QLatin1Char(' ') + e.ort).trimmed();
    if (!ort.isEmpty()) zeilen << ort;
    return zeilen.join(QLatin1Char('\n'));
}

Einstellungen einstellungenIn(Vorgang& v) {
    Einstellungen e;
    const auto rows = v.zeilen(QStringLiteral(
        "select kleinunternehmer, ust_satz, steuernummer, ust_idnr, bank, iban, bic, glaeubiger_id, "
        "nummernmuster, zahlungsziel, text_oben, text_unten, mahngebuehr from rechnungsdaten"));
    if (!rows.isEmpty()) {
        const Zeile& r = rows.first();
        e.kleinunternehmer = r[0].toInt() == 1;
        if (!r[1].isNull()) e.ustSatz = r[1].toInt();
        e.steuernummer = textVon(r[2]);
        e.ustIdNr = textVon(r[3]);
        e.bank = textVon(r[4]);
        e.iban = textVon(r[5]);
        e.bic = textVon(r[6]);
        e.glaeubigerId = textVon(r[7]);
        if (!textVon(r[8]).isEmpty()) e.nummernmuster = textVon(r[8]);
        if (!r[9].isNull()) e.zahlungsziel = r[9].toInt();
        e.textOben = r[10].isNull() ? QString() : r[10].toString();
        e.textUnten = r[11].isNull() ? QString() : r[11].toString();
        e.mahngebuehr = cent(r[12]);
    }
    const auto sys = v.zeilen(QStringLiteral("select hundeschule, strasse, plz, ort from systemdaten"));
    if (!sys.isEmpty()) {
        e.schule = textVon(sys.first()[0]);
        e.strasse = textVon(sys.first()[1]);
        e.plz = textVon(sys.first()[2]);
        e.ort = textVon(sys.first()[3]);
    }
    return e;
}

QString positionPruefen(const Position& p, int nr) {
    const QString wo = QStringLiteral("Position %1: ").arg(nr);
    if (p.text.trimmed().isEmpty()) return wo + QStringLiteral("Bitte geben Sie einen Text ein.");
    if (p.text.size() > 200) return wo + QStringLiteral("Der Text ist länger als 200 Zeichen.");
    if (!db::win1252Representable(p.text))
        return wo + QStringLiteral("Der Text enthält Zeichen, die die Datenbank nicht speichern kann.");
    if (p.menge == 0) return wo + QStringLiteral("Die Menge darf nicht 0 sein.");
    if (!steuersaetze().contains(p.ustSatz))
        return wo + QStringLiteral("Der Umsatzsteuersatz %1 % ist nicht vorgesehen (0, 7 oder 19 %).").arg(p.ustSatz);
    const qint64 grenze = 999999999;  // NUMERIC(9,2)
    if (std::abs(p.menge) > grenze || std::abs(p.einzelpreis) > grenze || std::abs(p.netto()) > grenze)
        return wo + QStringLiteral("Der Betrag ist zu groß.");
    return QString();
}

QVector<Position> positionenIn(Vorgang& v, int renr) {
    QVector<Position> out;
    for (const Zeile& r : v.zeilen(QStringLiteral("select pos, teilnehmer_id, bezeichnung, menge, einzelpreis, ust_satz, "
                                                  "leistung_von, leistung_bis from rechnungspositionen where renr = ? "
                                                  "order by pos"),
                                   {renr})) {
        Position p;
        p.pos = r[0].toInt();
        p.teilnehmerId = r[1].toInt();
        p.text = r[2].toString();
        p.menge = cent(r[3]);
        p.einzelpreis = cent(r[4]);
        p.ustSatz = r[5].toInt();
        p.von = datumVon(r[6]);
        p.bis = datumVon(r[7]);
        out.append(p);
    }
    return out;
}

void positionenSchreiben(Vorgang& v, int renr, const QVector<Position>& positionen, bool kleinunternehmer) {
    int nr = 0;
    for (const Position& p0 : positionen) {
        Position p = p0;
        if (kleinunternehmer) p.ustSatz = 0;
        const QString f = positionPruefen(p, nr + 1);
        if (!f.isEmpty()) fehler(f);
        ++nr;
        v.ausfuehren(QStringLiteral("insert into rechnungspositionen (renr, pos, teilnehmer_id, bezeichnung, menge, "
                                    "einzelpreis, ust_satz, netto, leistung_von, leistung_bis) "
                                    "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     {renr, nr, p.teilnehmerId > 0 ? QVariant(p.teilnehmerId) : QVariant(), p.text.trimmed(),
                      dbBetrag(p.menge), dbBetrag(p.einzelpreis), p.ustSatz, dbBetrag(p.netto()), dbDatum(p.von),
                      dbDatum(p.bis)});
    }
}

// The participations of these lines that are on another invoice already
// (a draft or an issued invoice that is not cancelled).
void teilnahmenFrei(Vorgang& v, const QVector<Position>& positionen, int ausser) {
    for (const Position& p : positionen) {
        if (p.teilnehmerId <= 0) continue;
        const auto rows = v.zeilen(
            QStringLiteral("select first 1 r.renr, r.nummer from rechnungspositionen p join rechnungen r on r.renr = p.renr "
                           "where p.teilnehmer_id = ? and r.renr <> ? and r.art = 'R' "
                           "and not exists (select 1 from rechnungen s where s.storno_von = r.renr)"),
            {p.teilnehmerId, ausser});
        if (!rows.isEmpty()) {
            const QString nummer = textVon(rows.first()[1]);
            fehler(nummer.isEmpty()
                       ? QStringLiteral("Die Teilnahme \"%1\" steht schon in einem anderen Rechnungsentwurf.").arg(p.text)
                       : QStringLiteral("Die Teilnahme \"%1\" ist schon in Rechnung %2 berechnet.").arg(p.text, nummer));
        }
    }
}

int naechsteNummer(Vorgang& v, int schluessel) {
    if (v.ausfuehren(QStringLiteral("update rechnungszaehler set zaehler = zaehler + 1 where jahr = ?"), {schluessel}) ==
        0) {
        v.ausfuehren(QStringLiteral("insert into rechnungszaehler (jahr, zaehler) values (?, 1)"), {schluessel});
        return 1;
    }
    return v.wert(QStringLiteral("select zaehler from rechnungszaehler where jahr = ?"), {schluessel}).toInt();
}

// Issues the draft `renr` within the transaction.
void ausstellenIn(Vorgang& v, int renr, const QDate& datum, const Einstellungen& e, const Rechnung* original) {
    if (!datum.isValid()) fehler(QStringLiteral("Bitte geben Sie das Rechnungsdatum an."));
    const auto kopf = v.zeilen(QStringLiteral("select status, art from rechnungen where renr = ?"), {renr});
    if (kopf.isEmpty()) fehler(QStringLiteral("Die Rechnung gibt es nicht (mehr)."));
    if (textVon(kopf.first()[0]) != QLatin1String("E")) fehler(QStringLiteral("Die Rechnung ist bereits ausgestellt."));
    if (e.schule.isEmpty())
        fehler(QStringLiteral("Bitte tragen Sie zuerst den Namen der Hundeschule in den Stammdaten ein."));
    if (e.steuernummer.isEmpty() && e.ustIdNr.isEmpty())
        fehler(QStringLiteral("Bitte tragen Sie zuerst unter Konfiguration → Rechnungsdaten die Steuernummer oder die "
                              "USt-IdNr. ein: Sie gehört auf jede Rechnung."));
    const QString muster = musterPruefen(e.nummernmuster).isEmpty() ? e.nummernmuster
                                                                    : QStringLiteral("RE-{JJJJ}-{NNNN}");
    const QVector<Position> positionen = positionenIn(v, renr);
    if (positionen.isEmpty()) fehler(QStringLiteral("Die Rechnung hat keine Positionen."));
    const bool klein = original ? original->kleinunternehmer : e.kleinunternehmer;
    const Summen s = summen(positionen, klein);
    QDate von, bis;
    for (const Position& p : positionen) {
        const QDate a = p.von.isValid() ? p.von : p.bis, b = p.bis.isValid() ? p.bis : p.von;
        if (a.isValid() && (!von.isValid() || a < von)) von = a;
        if (b.isValid() && (!bis.isValid() || b > bis)) bis = b;
    }
    if (!von.isValid()) von = bis = datum;
    const int zaehler = naechsteNummer(v, zaehltJeJahr(muster) ? datum.year() : 0);
    const QString nummer = nummerBilden(muster, datum.year(), zaehler);
    if (v.wert(QStringLiteral("select count(*) from rechnungen where nummer = ?"), {nummer}).toInt() > 0)
        fehler(QStringLiteral("Die Rechnungsnummer %1 gibt es schon. Bitte prüfen Sie das Nummernmuster in den "
                              "Rechnungsdaten.")
                   .arg(nummer));
    const QDate faellig = original ? QDate() : datum.addDays(e.zahlungsziel);
    v.ausfuehren(QStringLiteral("update rechnungen set nummer = ?, status = 'A', rechnungsdatum = ?, faellig_am = ?, "
                                "leistung_von = ?, leistung_bis = ?, absender = ?, kleinunternehmer = ?, "
                                "steuernummer = ?, ust_idnr = ?, bank = ?, iban = ?, bic = ?, text_oben = ?, "
                                "text_unten = ?, netto = ?, ust = ?, brutto = ? where renr = ? and status = 'E'"),
                 {nummer, dbDatum(datum), dbDatum(faellig), dbDatum(von), dbDatum(bis), absenderVon(e), klein ? 1 : 0,
                  e.steuernummer, e.ustIdNr, e.bank, kompakt(e.iban), kompakt(e.bic), e.textOben, e.textUnten,
                  dbBetrag(s.netto), dbBetrag(s.ust), dbBetrag(s.brutto), renr});
}

int neueRenr(Vorgang& v) { return v.wert(QStringLiteral("select gen_id(rechnungen_renr, 1) from rdb$database")).toInt(); }

Rechnung lesenIn(Vorgang& v, int renr) {
    const auto rows = v.zeilen(
        QStringLiteral("select renr, nummer, art, status, kndnr, kursnr, storno_von, rechnungsdatum, faellig_am, "
                       "leistung_von, leistung_bis, empfaenger, absender, kleinunternehmer, steuernummer, ust_idnr, "
                       "bank, iban, bic, text_oben, text_unten from rechnungen where renr = ?"),
        {renr});
    if (rows.isEmpty()) fehler(QStringLiteral("Die Rechnung gibt es nicht (mehr)."));
    const Zeile& r = rows.first();
    Rechnung x;
    x.renr = r[0].toInt();
    x.nummer = textVon(r[1]);
    x.art = erstesZeichen(r[2], QLatin1Char('R'));
    x.status = erstesZeichen(r[3], QLatin1Char('E'));
    x.kndnr = r[4].toInt();
    x.kursnr = r[5].toInt();
    x.stornoVon = r[6].toInt();
    x.datum = datumVon(r[7]);
    x.faellig = datumVon(r[8]);
    x.leistungVon = datumVon(r[9]);
    x.leistungBis = datumVon(r[10]);
    x.empfaenger = r[11].toString();
    x.absender = r[12].toString();
    x.kleinunternehmer = r[13].toInt() == 1;
    x.steuernummer = textVon(r[14]);
    x.ustIdNr = textVon(r[15]);
    x.bank = textVon(r[16]);
    x.iban = textVon(r[17]);
    x.bic = textVon(r[18]);
    x.textOben = r[19].toString();
    x.textUnten = r[20].toString();
    x.positionen = positionenIn(v, renr);
    if (!x.ausgestellt()) {
        // A draft shows the school's data as they are now.
        const Einstellungen e = einstellungenIn(v);
        x.kleinunternehmer = e.kleinunternehmer;
        x.absender = absenderVon(e);
        x.steuernummer = e.steuernummer;
        x.ustIdNr = e.ustIdNr;
        x.bank = e.bank;
        x.iban = kompakt(e.iban);
        x.bic = kompakt(e.bic);
        x.textOben = e.textOben;
        x.textUnten = e.textUnten;
    }
    x.summen = summen(x.positionen, x.kleinunternehmer);
    if (x.stornoVon > 0) {
        const auto o = v.zeilen(QStringLiteral("select nummer, rechnungsdatum from rechnungen where renr = ?"), {x.stornoVon});
        if (!o.isEmpty()) {
            x.stornoVonNummer = textVon(o.first()[0]);
            x.stornoVonDatum = datumVon(o.first()[1]);
        }
    }
    const auto s = v.zeilen(QStringLiteral("select renr, nummer from rechnungen where storno_von = ?"), {renr});
    if (!s.isEmpty()) {
        x.storniertDurch = s.first()[0].toInt();
        x.storniertDurchNummer = textVon(s.first()[1]);
    }
    return x;
}

Cent bezahltIn(Vorgang& v, int renr) {
    return cent(v.wert(QStringLiteral("select sum(betrag) from zahlungen where renr = ?"), {renr}));
}

// Windows-1252 bytes 0x80..0x9F; 0 where the code page has no character.
constexpr char16_t kHoch[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

QString csvFeld(const QString& s) {
    if (s.contains(QLatin1Char(';')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n')) ||
        s.contains(QLatin1Char('\r'))) {
        QString q = s;
        q.replace(QLatin1String("\""), QLatin1String("\"\""));
        return QLatin1Char('"') + q + QLatin1Char('"');
    }
    return s;
}

int mod97(const QString& ziffernUndBuchstaben) {
    int rest = 0;
    for (QChar ch : ziffernUndBuchstaben) {
        int wert;
        if (ch.isDigit()) wert = ch.digitValue();
        else if (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z')) wert = ch.unicode() - 'A' + 10;
        else return -1;
        rest = wert >= 10 ? (rest * 100 + wert) % 97 : (rest * 10 + wert) % 97;
    }
    return rest;
}

}  // namespace

// ------------------------------------------------------------- amounts

QString betrag(Cent c) {
    return QLocale(QLocale::German, QLocale::Germany).toString(double(c) / 100.0, 'f', 2) + QStringLiteral(" €");
}

QString zahl(Cent c) {
    const QString vz = c < 0 ? QStringLiteral("-") : QString();
    const qint64 a = std::abs(c);
    return vz + QString::number(a / 100) + QLatin1Char(',') + QStringLiteral("%1").arg(a % 100, 2, 10, QLatin1Char('0'));
}

namespace {
bool hundertstelLesen(QString t, qint64* out) {
    t = t.trimmed();
    t.remove(QChar(0x20AC));
    t = t.trimmed();
    static const QRegularExpression form(QStringLiteral("^(-?)(\\d{1,3}(?:\\.\\d{3})+|\\d+)(?:,(\\d{1,2}))?$"));
    const auto m = form.match(t);
    if (!m.hasMatch()) return false;
    QString ganz = m.captured(2);
    ganz.remove(QLatin1Char('.'));
    if (ganz.size() > 9) return false;
    QString dez = m.captured(3);
    while (dez.size() < 2) dez += QLatin1Char('0');
    qint64 v = ganz.toLongLong() * 100 + dez.toLongLong();
    if (m.captured(1) == QLatin1String("-")) v = -v;
    *out = v;
    return true;
}
}  // namespace

bool betragLesen(const QString& text, Cent* out) { return hundertstelLesen(text, out); }

QString menge(qint64 h) {
    QString s = zahl(h);
    if (s.endsWith(QLatin1String(",00"))) return s.left(s.size() - 3);
    if (s.endsWith(QLatin1Char('0'))) s.chop(1);
    return s;
}

bool mengeLesen(const QString& text, qint64* h) {
    if (text.contains(QChar(0x20AC))) return false;
    return hundertstelLesen(text, h);
}

Cent ustAuf(Cent netto, int satz) { return teileGerundet(netto * satz, 100); }

const QVector<int>& steuersaetze() {
    static const QVector<int> s{19, 7, 0};
    return s;
}

Cent Position::netto() const { return teileGerundet(menge * einzelpreis, 100); }

Summen summen(const QVector<Position>& positionen, bool kleinunternehmer) {
    std::map<int, Cent, std::greater<int>> jeSatz;
    for (const Position& p : positionen) jeSatz[kleinunternehmer ? 0 : p.ustSatz] += p.netto();
    Summen s;
    for (const auto& [satz, netto] : jeSatz) {
        const Cent ust = kleinunternehmer ? 0 : ustAuf(netto, satz);
        s.jeSatz.append({satz, netto, ust});
        s.netto += netto;
        s.ust += ust;
    }
    s.brutto = s.netto + s.ust;
    return s;
}

// ------------------------------------------------------------- settings

QString kompakt(const QString& text) {
    QString out;
    for (QChar ch : text)
        if (!ch.isSpace()) out += ch.toUpper();
    return out;
}

bool ibanGueltig(const QString& iban0) {
    const QString iban = kompakt(iban0);
    static const QRegularExpression form(QStringLiteral("^[A-Z]{2}\\d{2}[A-Z0-9]{11,30}$"));
    if (!form.match(iban).hasMatch()) return false;
    static const QHash<QString, int> laengen = {
        {QStringLiteral("DE"), 22}, {QStringLiteral("AT"), 20}, {QStringLiteral("CH"), 21}, {QStringLiteral("LU"), 20},
        {QStringLiteral("NL"), 18}, {QStringLiteral("BE"), 16}, {QStringLiteral("FR"), 27}, {QStringLiteral("IT"), 27},
        {QStringLiteral("ES"), 24}, {QStringLiteral("DK"), 18}, {QStringLiteral("PL"), 28}, {QStringLiteral("LI"), 21}};
    const auto l = laengen.constFind(iban.left(2));
    if (l != laengen.constEnd() && iban.size() != *l) return false;
    return mod97(iban.mid(4) + iban.left(4)) == 1;
}

bool bicGueltig(const QString& bic0) {
    static const QRegularExpression form(QStringLiteral("^[A-Z]{4}[A-Z]{2}[A-Z0-9]{2}([A-Z0-9]{3})?$"));
    return form.match(kompakt(bic0)).hasMatch();
}

bool glaeubigerIdGueltig(const QString& id0) {
    const QString id = kompakt(id0);
    static const QRegularExpression form(QStringLiteral("^[A-Z]{2}\\d{2}[A-Z0-9]{3}[A-Z0-9]{1,28}$"));
    if (!form.match(id).hasMatch()) return false;
    if (id.startsWith(QLatin1String("DE")) && id.size() != 18) return false;
    // Check digits over the national identifier followed by country and
    // check digits; the creditor business code (places 5 to 7) is left out.
    return mod97(id.mid(7) + id.left(4)) == 1;
}

QString ibanLesbar(const QString& iban0) {
    const QString iban = kompakt(iban0);
    QStringList teile;
    for (int i = 0; i < iban.size(); i += 4) teile << iban.mid(i, 4);
    return teile.join(QLatin1Char(' '));
}

QString musterPruefen(const QString& muster) {
    static const QRegularExpression zaehler(QStringLiteral("\\{N+\\}"));
    if (muster.trimmed().isEmpty()) return QStringLiteral("Bitte geben Sie ein Nummernmuster ein.");
    if (muster.count(zaehler) != 1)
        return QStringLiteral("Das Nummernmuster braucht genau einen Platz für die laufende Nummer, zum Beispiel {NNNN}.");
    if (nummerBilden(muster, 2099, 999999).size() > 40) return QStringLiteral("Das Nummernmuster ist zu lang.");
    static const QRegularExpression rest(QStringLiteral("\\{[^}]*\\}"));
    QString ohne = muster;
    ohne.remove(zaehler);
    ohne.remove(QStringLiteral("{JJJJ}"));
    ohne.remove(QStringLiteral("{JJ}"));
    if (ohne.contains(QLatin1Char('{')) || ohne.contains(QLatin1Char('}')))
        return QStringLiteral("Das Nummernmuster kennt nur {JJJJ}, {JJ} und {NNNN}.");
    static const QRegularExpression erlaubt(QStringLiteral("^[A-Za-z0-9/_.\\- ]*$"));
    if (!erlaubt.match(ohne).hasMatch())
        return QStringLiteral("Das Nummernmuster darf außer den Platzhaltern nur Buchstaben, Ziffern, \"-\", \"/\", \"_\" "
                              "und \".\" enthalten.");
    return QString();
}

QString nummerBilden(const QString& muster, int jahr, int z) {
    static const QRegularExpression zaehler(QStringLiteral("\\{(N+)\\}"));
    QString s = muster;
    s.replace(QStringLiteral("{JJJJ}"), QString::number(jahr));
    s.replace(QStringLiteral("{JJ}"), QStringLiteral("%1").arg(jahr % 100, 2, 10, QLatin1Char('0')));
    const auto m = zaehler.match(s);
    if (m.hasMatch())
        s.replace(m.capturedStart(), m.capturedLength(),
                  QStringLiteral("%1").arg(z, int(m.capturedLength(1)), 10, QLatin1Char('0')));
    return s;
}

bool zaehltJeJahr(const QString& muster) {
    return muster.contains(QLatin1String("{JJJJ}")) || muster.contains(QLatin1String("{JJ}"));
}

QString pruefen(const Einstellungen& e) {
    if (!steuersaetze().contains(e.ustSatz))
        return QStringLiteral("Als Umsatzsteuersatz sind 19 %, 7 % oder 0 % vorgesehen.");
    if (e.steuernummer.size() > 30) return QStringLiteral("Die Steuernummer ist zu lang (höchstens 30 Zeichen).");
    if (!e.ustIdNr.isEmpty()) {
        static const QRegularExpression form(QStringLiteral("^[A-Z]{2}[A-Z0-9]{2,12}$"));
        if (!form.match(kompakt(e.ustIdNr)).hasMatch())
            return QStringLiteral("Die USt-IdNr. \"%1\" hat nicht die Form Länderkennzeichen und Nummer (z. B. DE123456789).")
                .arg(e.ustIdNr);
        if (kompakt(e.ustIdNr).startsWith(QLatin1String("DE")) && kompakt(e.ustIdNr).size() != 11)
            return QStringLiteral("Eine deutsche USt-IdNr. hat DE und 9 Ziffern.");
    }
    if (e.bank.size() > 50) return QStringLiteral("Der Name der Bank ist zu lang (höchstens 50 Zeichen).");
    if (!e.iban.trimmed().isEmpty() && !ibanGueltig(e.iban))
        return QStringLiteral("Die IBAN \"%1\" ist nicht gültig: Bitte prüfen Sie sie Zeichen für Zeichen.").arg(e.iban.trimmed());
    if (!e.bic.trimmed().isEmpty() && !bicGueltig(e.bic))
        return QStringLiteral("Die BIC \"%1\" ist nicht gültig (8 oder 11 Zeichen).").arg(e.bic.trimmed());
    if (!e.glaeubigerId.trimmed().isEmpty() && !glaeubigerIdGueltig(e.glaeubigerId))
        return QStringLiteral("Die Gläubiger-ID \"%1\" ist nicht gültig: Bitte prüfen Sie sie Zeichen für Zeichen.")
            .arg(e.glaeubigerId.trimmed());
    const QString m = musterPruefen(e.nummernmuster);
    if (!m.isEmpty()) return m;
    if (e.zahlungsziel < 0 || e.zahlungsziel > 365)
        return QStringLiteral("Das Zahlungsziel muss zwischen 0 und 365 Tagen liegen.");
    if (e.textOben.size() > 1000 || e.textUnten.size() > 1000)
        return QStringLiteral("Die Texte über und unter den Positionen dürfen höchstens 1000 Zeichen lang sein.");
    for (const QString& t : {e.steuernummer, e.ustIdNr, e.bank, e.textOben, e.textUnten})
        if (!db::win1252Representable(t))
            return QStringLiteral("Ein Text enthält Zeichen, die die Datenbank nicht speichern kann.");
    if (e.mahngebuehr < 0 || e.mahngebuehr > 99999)
        return QStringLiteral("Die Mahngebühr muss zwischen 0,00 € und 999,99 € liegen.");
    return QString();
}

Einstellungen einstellungenLesen(db::Connection* c) {
    Vorgang v(c);
    Einstellungen e = einstellungenIn(v);
    v.commit();
    return e;
}

void einstellungenSpeichern(db::Connection* c, const Einstellungen& e) {
    const QString f = pruefen(e);
    if (!f.isEmpty()) fehler(f);
    Vorgang v(c);
    const QVariantList werte{e.kleinunternehmer ? 1 : 0, e.ustSatz, e.steuernummer.trimmed(), kompakt(e.ustIdNr),
                             e.bank.trimmed(), kompakt(e.iban), kompakt(e.bic), kompakt(e.glaeubigerId),
                             e.nummernmuster.trimmed(), e.zahlungsziel, e.textOben, e.textUnten,
                             dbBetrag(e.mahngebuehr)};
    const QString spalten = QStringLiteral(
        "kleinunternehmer, ust_satz, steuernummer, ust_idnr, bank, iban, bic, glaeubiger_id, nummernmuster, "
        "zahlungsziel, text_oben, text_unten, mahngebuehr");
    if (v.wert(QStringLiteral("select count(*) from rechnungsdaten")).toInt() == 0)
        v.ausfuehren(QStringLiteral("insert into rechnungsdaten (%1) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                         .arg(spalten),
                     werte);
    else
        v.ausfuehren(QStringLiteral("update rechnungsdaten set kleinunternehmer = ?, ust_satz = ?, steuernummer = ?, "
                                    "ust_idnr = ?, bank = ?, iban = ?, bic = ?, glaeubiger_id = ?, nummernmuster = ?, "
                                    "zahlungsziel = ?, text_oben = ?, text_unten = ?, mahngebuehr = ?"),
                     werte);
    v.commit();
}

// ------------------------------------------------------------- drafts

QVector<OffeneTeilnahme> offeneTeilnahmen(db::Connection* c, int kndnr, int kursnr) {
    Vorgang v(c);
    QString sql = QStringLiteral(
        "select t.id, t.kndnr, t.kursnr, k.name, k.vname, h.name, ku.kursname, ku.kursart, ku.gebuehr, "
        "(select min(d.datum) from kurstermine d where d.kursnr = t.kursnr), "
        "(select max(d.datum) from kurstermine d where d.kursnr = t.kursnr) "
        "from teilnehmer t join kunden k on k.kndnr = t.kndnr join kurse ku on ku.kursnr = t.kursnr "
        "left join hunde h on h.hundnr = t.hundnr "
        "where t.kursnr > 0 and not exists (select 1 from rechnungspositionen p join rechnungen r on r.renr = p.renr "
        "where p.teilnehmer_id = t.id and r.art = 'R' "
        "and not exists (select 1 from rechnungen s where s.storno_von = r.renr))");
    QVariantList params;
    if (kndnr > 0) {
        sql += QStringLiteral(" and t.kndnr = ?");
        params << kndnr;
    }
    if (kursnr > 0) {
        sql += QStringLiteral(" and t.kursnr = ?");
        params << kursnr;
    }
    sql += QStringLiteral(" order by k.name, k.vname, t.kndnr, t.id");
    QVector<OffeneTeilnahme> out;
    for (const Zeile& r : v.zeilen(sql, params)) {
        OffeneTeilnahme t;
        t.teilnehmerId = r[0].toInt();
        t.kndnr = r[1].toInt();
        t.kursnr = r[2].toInt();
        t.kunde = listenname(textVon(r[3]), textVon(r[4]));
        t.hund = textVon(r[5]);
        t.kursname = textVon(r[6]);
        t.kursart = textVon(r[7]);
        // The fee is a FLOAT: turned into cents here, once.
        t.gebuehr = r[8].isNull() ? 0 : qRound64(r[8].toDouble() * 100.0);
        t.von = datumVon(r[9]);
        t.bis = datumVon(r[10]);
        out.append(t);
    }
    v.commit();
    return out;
}

Position positionFuer(const OffeneTeilnahme& t, const Einstellungen& e) {
    Position p;
    p.teilnehmerId = t.teilnehmerId;
    QString kurs = t.kursname.isEmpty() ? QStringLiteral("Kurs %1").arg(t.kursnr, 4, 10, QLatin1Char('0'))
                                        : QStringLiteral("Kurs \"%1\"").arg(t.kursname);
    if (!t.kursart.isEmpty()) kurs += QStringLiteral(" (%1)").arg(t.kursart);
    if (!t.hund.isEmpty()) kurs += QStringLiteral(", Hund %1").arg(t.hund);
    p.text = kurs.left(200);
    p.menge = 100;
    p.einzelpreis = t.gebuehr;
    p.ustSatz = e.kleinunternehmer ? 0 : e.ustSatz;
    p.von = t.von;
    p.bis = t.bis;
    return p;
}

namespace {
int entwurfIn(Vorgang& v, int kndnr, const QVector<Position>& positionen, int kursnr, const Einstellungen& e) {
    if (positionen.isEmpty()) fehler(QStringLiteral("Die Rechnung hat keine Positionen."));
    const QString empfaenger = empfaengerVon(v, kndnr);
    teilnahmenFrei(v, positionen, 0);
    const int renr = neueRenr(v);
    v.ausfuehren(QStringLiteral("insert into rechnungen (renr, art, status, kndnr, kursnr, empfaenger, erstellt_am) "
                                "values (?, 'R', 'E', ?, ?, ?, ?)"),
                 {renr, kndnr, kursnr > 0 ? QVariant(kursnr) : QVariant(), empfaenger.left(400),
                  db::currentDateTime()});
    positionenSchreiben(v, renr, positionen, e.kleinunternehmer);
    return renr;
}
}  // namespace

int entwurfAnlegen(db::Connection* c, int kndnr, const QVector<Position>& positionen, int kursnr) {
    try {
        Vorgang v(c);
        const int renr = entwurfIn(v, kndnr, positionen, kursnr, einstellungenIn(v));
        v.commit();
        return renr;
    } catch (const db::Error& e) {
        weiter(e);
    }
}

QVector<int> entwuerfeFuerKurs(db::Connection* c, int kursnr) {
    const QVector<OffeneTeilnahme> offen = offeneTeilnahmen(c, 0, kursnr);
    if (offen.isEmpty()) fehler(QStringLiteral("Alle Teilnehmer dieses Kurses haben schon eine Rechnung."));
    Vorgang v(c);
    const Einstellungen e = einstellungenIn(v);
    QVector<int> out;
    QMap<int, QVector<Position>> jeKunde;
    QVector<int> reihenfolge;
    for (const OffeneTeilnahme& t : offen) {
        if (!jeKunde.contains(t.kndnr)) reihenfolge << t.kndnr;
        jeKunde[t.kndnr].append(positionFuer(t, e));
    }
    for (int kndnr : reihenfolge) out << entwurfIn(v, kndnr, jeKunde.value(kndnr), kursnr, e);
    v.commit();
    return out;
}

void entwurfAendern(db::Connection* c, int renr, const QVector<Position>& positionen) {
    try {
        Vorgang v(c);
        const auto kopf = v.zeilen(QStringLiteral("select status from rechnungen where renr = ?"), {renr});
        if (kopf.isEmpty()) fehler(QStringLiteral("Die Rechnung gibt es nicht (mehr)."));
        if (textVon(kopf.first()[0]) != QLatin1String("E"))
            fehler(QStringLiteral("Eine ausgestellte Rechnung kann nicht geändert oder gelöscht werden. "
                                  "Korrigieren Sie sie mit einer Stornorechnung."));
        if (positionen.isEmpty()) fehler(QStringLiteral("Die Rechnung hat keine Positionen."));
        teilnahmenFrei(v, positionen, renr);
        v.ausfuehren(QStringLiteral("delete from rechnungspositionen where renr = ?"), {renr});
        positionenSchreiben(v, renr, positionen, einstellungenIn(v).kleinunternehmer);
        v.commit();
    } catch (const db::Error& e) {
        weiter(e);
    }
}

void entwurfLoeschen(db::Connection* c, int renr) {
    try {
        Vorgang v(c);
        v.ausfuehren(QStringLiteral("delete from rechnungspositionen where renr = ?"), {renr});
        v.ausfuehren(QStringLiteral("delete from rechnungen where renr = ?"), {renr});
        v.commit();
    } catch (const db::Error& e) {
        weiter(e);
    }
}

Rechnung lesen(db::Connection* c, int renr) {
    Vorgang v(c);
    Rechnung r = lesenIn(v, renr);
    v.commit();
    return r;
}

QVector<Rechnung> liste(db::Connection* c, int kndnr) {
    Vorgang v(c);
    QString sql = QStringLiteral(
        "select r.renr, r.nummer, r.art, r.status, r.kndnr, r.rechnungsdatum, r.faellig_am, r.empfaenger, r.brutto, "
        "r.storno_von, (select first 1 s.renr from rechnungen s where s.storno_von = r.renr), r.kleinunternehmer "
        "from rechnungen r");
    QVariantList params;
    if (kndnr > 0) {
        sql += QStringLiteral(" where r.kndnr = ?");
        params << kndnr;
    }
    sql += QStringLiteral(" order by r.renr desc");
    QVector<Rechnung> out;
    for (const Zeile& r : v.zeilen(sql, params)) {
        Rechnung x;
        x.renr = r[0].toInt();
        x.nummer = textVon(r[1]);
        x.art = erstesZeichen(r[2], QLatin1Char('R'));
        x.status = erstesZeichen(r[3], QLatin1Char('E'));
        x.kndnr = r[4].toInt();
        x.datum = datumVon(r[5]);
        x.faellig = datumVon(r[6]);
        x.empfaenger = r[7].toString();
        x.summen.brutto = cent(r[8]);
        x.stornoVon = r[9].toInt();
        x.storniertDurch = r[10].toInt();
        if (!x.ausgestellt()) {
            x.positionen = positionenIn(v, x.renr);
            x.summen = summen(x.positionen, einstellungenIn(v).kleinunternehmer);
        }
        out.append(x);
    }
    v.commit();
    return out;
}

Rechnung ausstellen(db::Connection* c, int renr, const QDate& datum) {
    mitWiederholung([&] {
        Vorgang v(c);
        ausstellenIn(v, renr, datum, einstellungenIn(v), nullptr);
        v.commit();
        return 0;
    });
    return lesen(c, renr);
}

Rechnung stornieren(db::Connection* c, int renr, const QDate& datum) {
    const int neu = mitWiederholung([&] {
        Vorgang v(c);
        const Rechnung o = lesenIn(v, renr);
        if (!o.ausgestellt()) fehler(QStringLiteral("Ein Entwurf wird nicht storniert, sondern gelöscht."));
        if (o.storno()) fehler(QStringLiteral("Eine Stornorechnung kann nicht storniert werden."));
        if (o.storniertDurch > 0)
            fehler(QStringLiteral("Die Rechnung %1 ist bereits mit %2 storniert.").arg(o.nummer, o.storniertDurchNummer));
        const int s = neueRenr(v);
        v.ausfuehren(QStringLiteral("insert into rechnungen (renr, art, status, kndnr, kursnr, storno_von, empfaenger, "
                                    "erstellt_am) values (?, 'S', 'E', ?, ?, ?, ?, ?)"),
                     {s, o.kndnr, o.kursnr > 0 ? QVariant(o.kursnr) : QVariant(), renr, o.empfaenger,
                      db::currentDateTime()});
        QVector<Position> gegen = o.positionen;
        for (Position& p : gegen) p.einzelpreis = -p.einzelpreis;
        int nr = 0;
        for (const Position& p : gegen) {
            ++nr;
            v.ausfuehren(QStringLiteral("insert into rechnungspositionen (renr, pos, teilnehmer_id, bezeichnung, menge, "
                                        "einzelpreis, ust_satz, netto, leistung_von, leistung_bis) "
                                        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                         {s, nr, p.teilnehmerId > 0 ? QVariant(p.teilnehmerId) : QVariant(), p.text,
                          dbBetrag(p.menge), dbBetrag(p.einzelpreis), p.ustSatz, dbBetrag(p.netto()), dbDatum(p.von),
                          dbDatum(p.bis)});
        }
        ausstellenIn(v, s, datum, einstellungenIn(v), &o);
        v.commit();
        return s;
    });
    return lesen(c, neu);
}

// ------------------------------------------------------------- payments

QString zahlungsartText(Zahlungsart a) {
    switch (a) {
    case Zahlungsart::Bar: return QStringLiteral("bar");
    case Zahlungsart::Ueberweisung: return QStringLiteral("Überweisung");
    case Zahlungsart::Lastschrift: return QStringLiteral("Lastschrift");
    case Zahlungsart::Gutschrift: return QStringLiteral("Gutschrift");
    }
    return QString();
}

QString zahlungscode(Zahlungsart a) {
    switch (a) {
    case Zahlungsart::Bar: return QStringLiteral("B");
    case Zahlungsart::Ueberweisung: return QStringLiteral("Ü");
    case Zahlungsart::Lastschrift: return QStringLiteral("L");
    case Zahlungsart::Gutschrift: return QStringLiteral("G");
    }
    return QString();
}

const QVector<Zahlungsart>& zahlungsarten() {
    static const QVector<Zahlungsart> a{Zahlungsart::Bar, Zahlungsart::Ueberweisung, Zahlungsart::Lastschrift,
                                        Zahlungsart::Gutschrift};
    return a;
}

QVector<Zahlung> zahlungen(db::Connection* c, int renr) {
    Vorgang v(c);
    QVector<Zahlung> out;
    for (const Zeile& r : v.zeilen(QStringLiteral("select zahlnr, renr, datum, betrag, zahlungsart from zahlungen "
                                                  "where renr = ? order by datum, zahlnr"),
                                   {renr}))
        out.append({r[0].toInt(), r[1].toInt(), datumVon(r[2]), cent(r[3]), textVon(r[4])});
    v.commit();
    return out;
}

void zahlungErfassen(db::Connection* c, int renr, const QDate& datum, Cent betrag0, Zahlungsart art) {
    mitWiederholung([&] {
        Vorgang v(c);
        const Rechnung r = lesenIn(v, renr);
        if (!r.ausgestellt()) fehler(QStringLiteral("Zahlungen werden erst zu einer ausgestellten Rechnung erfasst."));
        if (r.storno()) fehler(QStringLiteral("Zu einer Stornorechnung wird keine Zahlung erfasst."));
        if (r.storniertDurch > 0)
            fehler(QStringLiteral("Die Rechnung %1 ist storniert; zu ihr wird keine Zahlung mehr erfasst.").arg(r.nummer));
        if (!datum.isValid()) fehler(QStringLiteral("Bitte geben Sie das Datum der Zahlung an."));
        if (betrag0 <= 0) fehler(QStringLiteral("Der Betrag muss größer als 0,00 € sein."));
        const Cent rest = r.summen.brutto - bezahltIn(v, renr);
        if (betrag0 > rest)
            fehler(QStringLiteral("Der Betrag %1 ist höher als der offene Rest der Rechnung %2 (%3).")
                       .arg(betrag(betrag0), r.nummer, betrag(rest)));
        const int zahlnr = v.wert(QStringLiteral("select gen_id(zahlungen_zahlnr, 1) from rdb$database")).toInt();
        v.ausfuehren(QStringLiteral("insert into zahlungen (zahlnr, renr, datum, betrag, zahlungsart) values (?, ?, ?, ?, ?)"),
                     {zahlnr, renr, dbDatum(datum), dbBetrag(betrag0), zahlungsartText(art)});
        QVector<int> teilnahmen;
        if (betrag0 == rest) {
            for (const Position& p : r.positionen)
                if (p.teilnehmerId > 0) teilnahmen << p.teilnehmerId;
            for (int id : teilnahmen)
                v.ausfuehren(QStringLiteral("update teilnehmer set bezahlt = ? where id = ?"), {zahlungscode(art), id});
        }
        v.commit();
        // The participants' datasets read these rows again.
        for (int id : teilnahmen) c->noteRowWritten(QStringLiteral("TEILNEHMER"), QString::number(id) + QChar(0x1f));
        return 0;
    });
}

// ------------------------------------------------------------- open items, reminders

QString mahnstufeText(int stufe) {
    switch (stufe) {
    case 1: return QStringLiteral("Zahlungserinnerung");
    case 2: return QStringLiteral("1. Mahnung");
    case 3: return QStringLiteral("2. Mahnung");
    default: return QString();
    }
}

QVector<OffenerPosten> offenePosten(db::Connection* c, const QDate& heute, int kndnr) {
    Vorgang v(c);
    QString sql = QStringLiteral(
        "select r.renr, r.nummer, r.kndnr, r.empfaenger, r.rechnungsdatum, r.faellig_am, r.brutto, "
        "(select sum(z.betrag) from zahlungen z where z.renr = r.renr), "
        "(select first 1 m.stufe from mahnungen m where m.renr = r.renr order by m.stufe desc) "
        "from rechnungen r where r.status = 'A' and r.art = 'R' "
        "and not exists (select 1 from rechnungen s where s.storno_von = r.renr)");
    QVariantList params;
    if (kndnr > 0) {
        sql += QStringLiteral(" and r.kndnr = ?");
        params << kndnr;
    }
    QVector<OffenerPosten> out;
    for (const Zeile& r : v.zeilen(sql, params)) {
        OffenerPosten p;
        p.brutto = cent(r[6]);
        p.bezahlt = cent(r[7]);
        p.rest = p.brutto - p.bezahlt;
        if (p.rest <= 0) continue;
        p.renr = r[0].toInt();
        p.nummer = textVon(r[1]);
        p.kndnr = r[2].toInt();
        p.kunde = r[3].toString().section(QLatin1Char('\n'), 0, 0);
        p.datum = datumVon(r[4]);
        p.faellig = datumVon(r[5]);
        p.mahnstufe = r[8].toInt();
        p.tageUeberfaellig = p.faellig.isValid() && p.faellig < heute ? int(p.faellig.daysTo(heute)) : 0;
        out.append(p);
    }
    // The last reminder's date and due date, for the invoices reminded.
    for (OffenerPosten& p : out) {
        if (p.mahnstufe == 0) continue;
        const auto m = v.zeilen(QStringLiteral("select datum, faellig_am from mahnungen where renr = ? and stufe = ?"),
                                {p.renr, p.mahnstufe});
        if (!m.isEmpty()) {
            p.gemahntAm = datumVon(m.first()[0]);
            p.faelligNeu = datumVon(m.first()[1]);
        }
    }
    v.commit();
    std::stable_sort(out.begin(), out.end(), [](const OffenerPosten& a, const OffenerPosten& b) {
        if (a.faellig != b.faellig) return a.faellig < b.faellig;
        return a.renr < b.renr;
    });
    return out;
}

Mahnschreiben mahnen(db::Connection* c, const QVector<int>& renrs, const QDate& heute) {
    if (renrs.isEmpty()) fehler(QStringLiteral("Bitte wählen Sie die Rechnungen, an die erinnert werden soll."));
    Mahnschreiben m;
    mitWiederholung([&] {
        Vorgang v(c);
        const Einstellungen e = einstellungenIn(v);
        m = Mahnschreiben();
        m.datum = heute;
        int kndnr = -1;
        int hoechste = 0;
        int neueste = 0;
        for (int renr : renrs) {
            const Rechnung r = lesenIn(v, renr);
            if (!r.ausgestellt() || r.storno() || r.storniertDurch > 0)
                fehler(QStringLiteral("Erinnert wird nur an ausgestellte, nicht stornierte Rechnungen."));
            if (kndnr >= 0 && r.kndnr != kndnr)
                fehler(QStringLiteral("Ein Mahnschreiben gilt einem Kunden: Bitte wählen Sie Rechnungen desselben Kunden."));
            kndnr = r.kndnr;
            const Cent rest = r.summen.brutto - bezahltIn(v, renr);
            if (rest <= 0) fehler(QStringLiteral("Die Rechnung %1 ist bezahlt.").arg(r.nummer));
            if (r.faellig.isValid() && r.faellig >= heute)
                fehler(QStringLiteral("Die Rechnung %1 ist erst am %2 fällig.").arg(r.nummer, datumText(r.faellig)));
            const int stufe = v.wert(QStringLiteral("select max(stufe) from mahnungen where renr = ?"), {renr}).toInt();
            hoechste = std::max(hoechste, stufe);
            OffenerPosten p;
            p.renr = renr;
            p.nummer = r.nummer;
            p.kndnr = r.kndnr;
            p.kunde = r.empfaenger.section(QLatin1Char('\n'), 0, 0);
            p.datum = r.datum;
            p.faellig = r.faellig;
            p.brutto = r.summen.brutto;
            p.bezahlt = r.summen.brutto - rest;
            p.rest = rest;
            p.tageUeberfaellig = r.faellig.isValid() ? int(r.faellig.daysTo(heute)) : 0;
            m.posten.append(p);
            if (renr > neueste) {
                neueste = renr;
                m.empfaenger = r.empfaenger;
            }
        }
        if (hoechste >= 3)
            fehler(QStringLiteral("Zu diesen Rechnungen wurde bereits die 2. Mahnung geschrieben. Eine weitere Stufe gibt "
                                  "es nicht."));
        m.kndnr = kndnr;
        m.stufe = hoechste + 1;
        m.gebuehr = m.stufe >= 2 ? e.mahngebuehr : 0;
        m.faellig = heute.addDays(std::max(e.zahlungsziel, 7));
        for (OffenerPosten& p : m.posten) {
            v.ausfuehren(QStringLiteral("insert into mahnungen (renr, stufe, datum, gebuehr, faellig_am) values (?, ?, ?, ?, ?)"),
                         {p.renr, m.stufe, dbDatum(heute), dbBetrag(m.gebuehr), dbDatum(m.faellig)});
            p.mahnstufe = m.stufe;
            p.gemahntAm = heute;
            p.faelligNeu = m.faellig;
            m.summe += p.rest;
        }
        m.summe += m.gebuehr;
        v.commit();
        return 0;
    });
    return m;
}

// ------------------------------------------------------------- export

QStringList exportSpalten() {
    return {QStringLiteral("Datum"),        QStringLiteral("Belegart"),     QStringLiteral("Belegnummer"),
            QStringLiteral("Bezug"),        QStringLiteral("Kunde"),        QStringLiteral("Netto 19 %"),
            QStringLiteral("USt 19 %"),     QStringLiteral("Netto 7 %"),    QStringLiteral("USt 7 %"),
            QStringLiteral("Netto 0 %"),    QStringLiteral("USt gesamt"),   QStringLiteral("Brutto"),
            QStringLiteral("Zahlungsdatum"), QStringLiteral("Zahlungsart")};
}

QByteArray win1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(char(u));
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i)
            if (kHoch[i] == u && u != 0) b = char(0x80 + i);
        out.append(b);
    }
    return out;
}

QByteArray exportCsv(db::Connection* c, const QDate& von, const QDate& bis) {
    Vorgang v(c);
    struct Reihe {
        QDate datum;
        int ordnung;  // invoices before payments on one day
        int nr;
        QStringList felder;
    };
    QVector<Reihe> reihen;
    const QDateTime a = db::makeDateTime(von), b = db::makeDateTime(bis.addDays(1));
    for (const Zeile& r :
         v.zeilen(QStringLiteral("select r.renr, r.rechnungsdatum, r.art, r.nummer, o.nummer, r.empfaenger, "
                                 "r.kleinunternehmer from rechnungen r left join rechnungen o on o.renr = r.storno_von "
                                 "where r.status = 'A' and r.rechnungsdatum >= ? and r.rechnungsdatum < ? "
                                 "order by r.rechnungsdatum, r.renr"),
                  {a, b})) {
        const int renr = r[0].toInt();
        const Summen s = summen(positionenIn(v, renr), r[6].toInt() == 1);
        Cent n19 = 0, u19 = 0, n7 = 0, u7 = 0, n0 = 0;
        for (const Steuerzeile& z : s.jeSatz) {
            if (z.satz == 19) n19 += z.netto, u19 += z.ust;
            else if (z.satz == 7) n7 += z.netto, u7 += z.ust;
            else n0 += z.netto;
        }
        const QDate d = datumVon(r[1]);
        reihen.append({d, 0, renr,
                       {datumText(d), textVon(r[2]) == QLatin1String("S") ? QStringLiteral("Stornorechnung")
                                                                          : QStringLiteral("Rechnung"),
                        textVon(r[3]), textVon(r[4]), r[5].toString().section(QLatin1Char('\n'), 0, 0), zahl(n19),
                        zahl(u19), zahl(n7), zahl(u7), zahl(n0), zahl(s.ust), zahl(s.brutto), QString(), QString()}});
    }
    for (const Zeile& r : v.zeilen(QStringLiteral("select z.zahlnr, z.datum, r.nummer, r.empfaenger, z.betrag, "
                                                  "z.zahlungsart from zahlungen z join rechnungen r on r.renr = z.renr "
                                                  "where z.datum >= ? and z.datum < ? order by z.datum, z.zahlnr"),
                                   {a, b})) {
        const QDate d = datumVon(r[1]);
        reihen.append({d, 1, r[0].toInt(),
                       {datumText(d), QStringLiteral("Zahlung"), textVon(r[2]), QString(),
                        r[3].toString().section(QLatin1Char('\n'), 0, 0), QString(), QString(), QString(), QString(),
                        QString(), QString(), zahl(cent(r[4])), datumText(d), textVon(r[5])}});
    }
    v.commit();
    std::stable_sort(reihen.begin(), reihen.end(), [](const Reihe& x, const Reihe& y) {
        if (x.datum != y.datum) return x.datum < y.datum;
        if (x.ordnung != y.ordnung) return x.ordnung < y.ordnung;
        return x.nr < y.nr;
    });
    QString text = exportSpalten().join(QLatin1Char(';')) + QStringLiteral("\r\n");
    for (const Reihe& r : reihen) {
        QStringList f;
        for (const QString& s : r.felder) f << csvFeld(s);
        text += f.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return win1252(text);
}

QStringList exportNummern(db::Connection* c, const QDate& von, const QDate& bis) {
    Vorgang v(c);
    QStringList out;
    for (const Zeile& r : v.zeilen(QStringLiteral("select nummer from rechnungen where status = 'A' and rechnungsdatum >= ? "
                                                  "and rechnungsdatum < ? order by rechnungsdatum, renr"),
                                   {db::makeDateTime(von), db::makeDateTime(bis.addDays(1))}))
        out << textVon(r[0]);
    v.commit();
    return out;
}

// ------------------------------------------------------------- Girocode

QString girocode(const QString& name, const QString& iban, const QString& bic, Cent b, const QString& zweck) {
    if (!ibanGueltig(iban) || b < 1 || b > 99999999999LL) return QString();
    const QString betragText =
        QStringLiteral("EUR%1.%2").arg(b / 100).arg(b % 100, 2, 10, QLatin1Char('0'));
    const QStringList felder{QStringLiteral("BCD"),
                             QStringLiteral("002"),
                             QStringLiteral("1"),
                             QStringLiteral("SCT"),
                             bicGueltig(bic) ? kompakt(bic) : QString(),
                             name.simplified().left(70),
                             kompakt(iban),
                             betragText,
                             QString(),
                             QString(),
                             zweck.simplified().left(140)};
    return felder.join(QLatin1Char('\n'));
}

// ------------------------------------------------------------- archive

QString archivordner() { return platform::dataDirectory() + QStringLiteral("/Rechnungen"); }

QString archivdatei(const QString& nummer) {
    QString n = nummer;
    static const QRegularExpression verboten(QStringLiteral("[^A-Za-z0-9_.\\-]"));
    n.replace(verboten, QStringLiteral("_"));
    return archivordner() + QLatin1Char('/') + n + QStringLiteral(".pdf");
}

}  // namespace rechnungen
