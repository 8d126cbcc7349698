#include "data/datenschutz.h"

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>

#include "db/error.h"
#include "db/field.h"
#include "db/statement.h"

namespace datenschutz {

namespace {

QVector<Datensatz> lesen(db::Connection* c, db::Transaction* t, const QString& sql,
                         const QVariantList& params = {}) {
    db::Statement s(c, t);
    s.prepare(sql);
    for (int i = 0; i < params.size(); ++i) s.setParam(i, params[i]);
    s.open();
    QVector<Datensatz> rows;
    while (s.fetch()) {
        Datensatz d;
        d.reserve(s.columnCount());
        for (int i = 0; i < s.columnCount(); ++i) d.append({s.columns()[i].name.toUpper(), s.value(i)});
        rows.append(d);
    }
    return rows;
}

void ausfuehren(db::Connection* c, db::Transaction* t, const QString& sql, const QVariantList& params) {
    db::Statement s(c, t);
    s.prepare(sql);
    for (int i = 0; i < params.size(); ++i) s.setParam(i, params[i]);
    s.execute();
}

Datensatz kundeLesen(db::Connection* c, db::Transaction* t, int kndnr) {
    const auto rows = lesen(c, t, QStringLiteral("select * from kunden where kndnr = ?"), {kndnr});
    if (rows.isEmpty())
        throw db::Error(QStringLiteral("Den Kunden Nr. %1 gibt es nicht (mehr).").arg(kndnr, 4, 10, QLatin1Char('0')));
    return rows.first();
}

QVariantList hundnummern(db::Connection* c, db::Transaction* t, int kndnr) {
    QVariantList out;
    for (const Datensatz& d : lesen(c, t, QStringLiteral("select hundnr from hunde where kndnr = ?"), {kndnr}))
        out << d[0].second;
    return out;
}

QString text(const Datensatz& d, const char* spalte) { return wert(d, QString::fromLatin1(spalte)).toString().trimmed(); }

// Only the digits of a text: "0431/55 66-77" -> "043155667".
QString ziffern(const QString& s) {
    QString out;
    for (QChar ch : s)
        if (ch.isDigit()) out += ch;
    return out;
}

// A telephone number long enough to stand for one person.
constexpr int kMindestZiffern = 6;

// The telephone numbers of a contact text, each as its digits: the pieces
// between commas and semicolons ("Tel:0431/556677, 0171/2233445").
QSet<QString> kontaktNummern(const QString& kontakt) {
    QSet<QString> out;
    static const QRegularExpression trenner(QStringLiteral("[,;]"));
    for (const QString& teil : kontakt.split(trenner)) {
        const QString z = ziffern(teil);
        if (z.size() >= kMindestZiffern) out.insert(z);
    }
    return out;
}

// Whether `text` holds `name` as a whole word (or words), case ignored.
bool nenntWort(const QString& text, const QString& name) {
    if (name.isEmpty() || text.isEmpty()) return false;
    for (qsizetype i = text.indexOf(name, 0, Qt::CaseInsensitive); i >= 0;
         i = text.indexOf(name, i + 1, Qt::CaseInsensitive)) {
        const qsizetype ende = i + name.size();
        if ((i == 0 || !text[i - 1].isLetterOrNumber()) && (ende >= text.size() || !text[ende].isLetterOrNumber()))
            return true;
    }
    return false;
}

QJsonObject jsonObjekt(const Datensatz& d) {
    QJsonObject o;
    for (const auto& [spalte, v] : d) o.insert(spalte, QJsonValue::fromVariant(jsonWert(v)));
    return o;
}

QJsonArray jsonListe(const QVector<Datensatz>& rows) {
    QJsonArray a;
    for (const Datensatz& d : rows) a.append(jsonObjekt(d));
    return a;
}

QString datumText(const QDateTime& dt) {
    if (!dt.isValid()) return QString();
    return db::fmt::formatDateTime(dt, dt.time() == QTime(0, 0) ? QStringLiteral("dd.mm.yyyy")
                                                                : QStringLiteral("dd.mm.yyyy hh:nn"));
}

}  // namespace

QVariant wert(const Datensatz& d, const QString& spalte) {
    for (const auto& [name, v] : d)
        if (name == spalte) return v;
    return {};
}

QVariant jsonWert(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QVariant::fromValue(nullptr);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    return v;
}

Auskunft auskunftLesen(db::Connection* c, db::Transaction* t, int kndnr) {
    Auskunft a;
    a.kndnr = kndnr;
    a.erstellt = db::currentDateTime();
    a.kunde = kundeLesen(c, t, kndnr);
    for (const Datensatz& h : lesen(c, t, QStringLiteral("select * from hunde where kndnr = ? order by hundnr"), {kndnr})) {
        Hund hund;
        hund.daten = h;
        hund.tagebuch = lesen(c, t, QStringLiteral("select * from hunde_tagebuch where hundnr = ? order by datum"),
                              {wert(h, QStringLiteral("HUNDNR"))});
        a.hunde.append(hund);
    }
    for (const Datensatz& tn : lesen(c, t, QStringLiteral("select * from teilnehmer where kndnr = ? order by id"), {kndnr})) {
        Teilnahme teil;
        teil.teilnahme = tn;
        const QVariant kursnr = wert(tn, QStringLiteral("KURSNR"));
        const auto kurs = lesen(c, t, QStringLiteral("select * from kurse where kursnr = ?"), {kursnr});
        if (!kurs.isEmpty()) teil.kurs = kurs.first();
        teil.termine = lesen(c, t, QStringLiteral("select * from kurstermine where kursnr = ? order by datum"), {kursnr});
        a.teilnahmen.append(teil);
    }
    for (const Datensatz& termin :
         lesen(c, t, QStringLiteral("select * from kurstermine where kursnr = -1 order by datum")))
        if (nenntKunden(a.kunde, termin)) a.beratungstermine.append(termin);
    for (const Datensatz& r : lesen(c, t, QStringLiteral("select * from rechnungen where kndnr = ? order by renr"), {kndnr})) {
        Rechnung re;
        re.rechnung = r;
        const QVariant renr = wert(r, QStringLiteral("RENR"));
        re.positionen = lesen(c, t, QStringLiteral("select * from rechnungspositionen where renr = ? order by pos"), {renr});
        re.zahlungen = lesen(c, t, QStringLiteral("select * from zahlungen where renr = ? order by datum, zahlnr"), {renr});
        re.mahnungen = lesen(c, t, QStringLiteral("select * from mahnungen where renr = ? order by stufe"), {renr});
        a.rechnungen.append(re);
    }
    return a;
}

QByteArray auskunftJson(const Auskunft& a) {
    QJsonObject o;
    o.insert(QStringLiteral("art"), QStringLiteral("Kynovia Datenauskunft"));
    o.insert(QStringLiteral("erstellt_am"), jsonWert(a.erstellt).toString());
    o.insert(QStringLiteral("kunde"), jsonObjekt(a.kunde));
    QJsonArray hunde;
    for (const Hund& h : a.hunde) {
        QJsonObject ho;
        ho.insert(QStringLiteral("hund"), jsonObjekt(h.daten));
        ho.insert(QStringLiteral("tagebuch"), jsonListe(h.tagebuch));
        hunde.append(ho);
    }
    o.insert(QStringLiteral("hunde"), hunde);
    QJsonArray teilnahmen;
    for (const Teilnahme& tn : a.teilnahmen) {
        QJsonObject to;
        to.insert(QStringLiteral("teilnahme"), jsonObjekt(tn.teilnahme));
        to.insert(QStringLiteral("kurs"), jsonObjekt(tn.kurs));
        to.insert(QStringLiteral("termine"), jsonListe(tn.termine));
        teilnahmen.append(to);
    }
    o.insert(QStringLiteral("kursteilnahmen"), teilnahmen);
    o.insert(QStringLiteral("beratungstermine"), jsonListe(a.beratungstermine));
    QJsonArray rechnungen;
    for (const Rechnung& r : a.rechnungen) {
        QJsonObject ro;
        ro.insert(QStringLiteral("rechnung"), jsonObjekt(r.rechnung));
        ro.insert(QStringLiteral("positionen"), jsonListe(r.positionen));
        ro.insert(QStringLiteral("zahlungen"), jsonListe(r.zahlungen));
        ro.insert(QStringLiteral("mahnungen"), jsonListe(r.mahnungen));
        rechnungen.append(ro);
    }
    o.insert(QStringLiteral("rechnungen"), rechnungen);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QString dateiname(int kndnr, const QDate& datum) {
    return QStringLiteral("Datenauskunft-Kunde-%1-%2")
        .arg(kndnr, 4, 10, QLatin1Char('0'))
        .arg(datum.toString(QStringLiteral("yyyy-MM-dd")));
}

QString dokumentenordner() {
    const QString d = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return d.isEmpty() ? QDir::homePath() : d;
}

QString kundenname(const Datensatz& kunde) {
    QStringList teile;
    for (const char* s : {"VNAME", "NAME"})
        if (!text(kunde, s).isEmpty()) teile << text(kunde, s);
    return teile.join(QLatin1Char(' '));
}

bool nenntKunden(const Datensatz& kunde, const Datensatz& termin) {
    const QString name = text(kunde, "NAME");
    for (const char* s : {"THEMA", "ORT", "KONTAKT"})
        if (nenntWort(text(termin, s), name)) return true;
    const QSet<QString> nummern = kontaktNummern(text(termin, "KONTAKT"));
    for (const char* s : {"TEL", "MOBIL"}) {
        const QString z = ziffern(text(kunde, s));
        if (z.size() >= kMindestZiffern && nummern.contains(z)) return true;
    }
    return false;
}

QString spaltenname(const QString& tabelle, const QString& spalte) {
    struct Eintrag {
        const char* tabelle;  // nullptr: any table
        const char* spalte;
        const char* text;
    };
    static const Eintrag namen[] = {
        {"KUNDEN", "KNDNR", "Kunden-Nr."}, {"KUNDEN", "AUFGENOMMEN_AM", "aufgenommen am"},
        {"KUNDEN", "NAME", "Name"}, {"KUNDEN", "VNAME", "Vorname"}, {"KUNDEN", "PLZ", "Plz"},
        {"KUNDEN", "ORT", "Ort"}, {"KUNDEN", "STR", "Strasse"}, {"KUNDEN", "ANREDE", "Anrede"},
        {nullptr, "TEL", "Telefon"}, {nullptr, "MOBIL", "Mobiltelefon"}, {nullptr, "FAX", "Fax"},
        {nullptr, "EMAIL", "E-Mail"}, {nullptr, "KOMMENTAR", "Kommentar"},
        {"HUNDE", "HUNDNR", "Hund-Nr."}, {"HUNDE", "KNDNR", "Kunden-Nr."}, {"HUNDE", "NAME", "Name"},
        {"HUNDE", "RASSE", "Rasse"}, {"HUNDE", "GESCHLECHT", "Geschlecht"},
        {"HUNDE", "GEBURTSJAHR", "Geburtsjahr"}, {"HUNDE", "GEBOREN_AM", "geboren am"},
        {"HUNDE", "IMPFUNG", "geimpft"}, {"HUNDE", "IMPFUNG_TEXT", "Impfungen"},
        {"HUNDE", "CHIPNR", "Chip-Nr."}, {"HUNDE", "HAFTPFLICHTNR", "Haftpflicht-Nr."},
        {"HUNDE", "HERKUNFT", "Herkunft"}, {"HUNDE", "ZWINGERNAME", "Zwingername"},
        {"HUNDE", "VORBESITZER", "Vorbesitzer"}, {"HUNDE", "FUTTER", "Futter"},
        {"HUNDE", "FUTTERMARKE", "Futtermarke"}, {"HUNDE", "KASTRATION", "Kastration"},
        {"HUNDE", "KASTZEITPUNKT", "Zeitpunkt der Kastration"}, {"HUNDE", "ALLERGIEN", "Allergien"},
        {"HUNDE", "ALLERGIEN_TEXT", "welche Allergien"}, {"HUNDE", "KRANKHEITEN", "Krankheiten"},
        {"HUNDE", "HAUT_FELL", "Haut und Fell"}, {"HUNDE", "TIERARZT", "Tierarzt"},
        {"HUNDE", "LETZTE_HUNDESCHULE", "letzte Hundeschule"}, {"HUNDE", "WELPENSCHULE", "Welpenschule"},
        {"HUNDE", "WELPENSCHULE_BEI", "Welpenschule bei"}, {"HUNDE", "JUNGHUNDEKURS", "Junghundekurs"},
        {"HUNDE", "JUNGHUNDEKURS_BEI", "Junghundekurs bei"}, {"HUNDE", "EINZELSTUNDEN", "Einzelstunden"},
        {"HUNDE", "EINZELSTUNDEN_BEI", "Einzelstunden bei"}, {"HUNDE", "PRUEFUNG", "Prüfung"},
        {"HUNDE", "PRUEFUNG_BEI", "Prüfung bei"}, {"HUNDE", "CLICKER", "Clicker"},
        {"HUNDE", "CLICKER_BEI", "Clicker bei"}, {"HUNDE", "VEREIN", "Verein"},
        {"HUNDE", "VEREIN_TEXT", "welcher Verein"}, {"HUNDE", "VORHERIGE_HUNDESCHULE", "vorherige Hundeschule"},
        {"HUNDE", "JAGD_BEI_SICHT", "jagt auf Sicht"}, {"HUNDE", "JAGD_AUF_FAEHRTE", "jagt auf Fährte"},
        {"HUNDE", "ABRUFBAR", "abrufbar"}, {"HUNDE", "JAGD_BESONDERHEITEN", "Jagd: Besonderheiten"},
        {"HUNDE", "ANSPRINGEN_BEKANNTE", "springt Bekannte an"}, {"HUNDE", "ANSPRINGEN_FREMDE", "springt Fremde an"},
        {"HUNDE", "ANSPRINGEN_BESONDERHEITEN", "Anspringen: Besonderheiten"},
        {"HUNDE", "ANBELLEN_BEKANNTE", "bellt Bekannte an"}, {"HUNDE", "ANBELLEN_FREMDE", "bellt Fremde an"},
        {"HUNDE", "ANBELLEN_BESONDERHEITEN", "Anbellen: Besonderheiten"},
        {"HUNDE", "VERHALTEN_IMHAUS", "Verhält sich im Haus"}, {"HUNDE", "IMHAUS_BESONDERHEITEN", "im Haus: Besonderheiten"},
        {"HUNDE", "VERHALTEN_TIERARZT", "Verhalten beim Tierarzt"}, {"HUNDE", "AUTOFAHREN_GERNE", "fährt gern Auto"},
        {"HUNDE", "FUTTERAUFNAHME", "Futteraufnahme"}, {"HUNDE", "FUTTERAUSDERHAND", "Futter aus der Hand"},
        {"HUNDE", "FUTTERVERTEIDIGEN", "verteidigt Futter"}, {"HUNDE", "PROBLEME", "Probleme"},
        {"HUNDE", "THERAPIEVORSCHLAG", "Therapievorschlag"},
        {"HUNDE", "ANAMESE_AUFGENOMMEN_AM", "Anamnese aufgenommen am"},
        {"HUNDE", "LEINE_BESONDERHEITEN", "an der Leine: Besonderheiten"},
        {"HUNDE", "FREILAUF_BESONDERHEITEN", "im Freilauf: Besonderheiten"},
        {"HUNDE", "HAUS_BESONDERHEITEN", "im Haus: Besonderheiten (Artgenossen)"},
        {"HUNDE", "GARTEN_BESONDERHEITEN", "im Garten: Besonderheiten"},
        {"HUNDE_TAGEBUCH", "DATUM", "Datum"}, {"HUNDE_TAGEBUCH", "TERMINART", "Terminart"},
        {"HUNDE_TAGEBUCH", "GEPLANT", "geplant"}, {"HUNDE_TAGEBUCH", "DURCHGEFUEHRT", "durchgeführt"},
        {"HUNDE_TAGEBUCH", "BEURTEILUNG", "Beurteilung"}, {"HUNDE_TAGEBUCH", "VORAUSPLANUNG", "Vorausplanung"},
        {"HUNDE_TAGEBUCH", "HUNDNR", "Hund-Nr."},
        {"TEILNEHMER", "ID", "Teilnahme-Nr."}, {"TEILNEHMER", "KURSNR", "Kurs-Nr."},
        {"TEILNEHMER", "KNDNR", "Kunden-Nr."}, {"TEILNEHMER", "HUNDNR", "Hund-Nr."},
        {"TEILNEHMER", "BEZAHLT", "bezahlt"}, {"TEILNEHMER", "KENNZEICHEN", "Kennzeichen"},
        {"KURSE", "KURSNR", "Kurs-Nr."}, {"KURSE", "KURSART", "Kursart"}, {"KURSE", "KURSNAME", "Kursname"},
        {"KURSE", "BESCHREIBUNG", "Beschreibung"}, {"KURSE", "KURSLEITER", "Kursleiter (Trainer-Nr.)"},
        {"KURSE", "MAXTEILNEHMER", "max. Teilnehmer"}, {"KURSE", "ANZAHL_TEILNEHMER", "Anzahl Teilnehmer"},
        {"KURSE", "GEBUEHR", "Gebühr"}, {"KURSE", "STATUS", "Status"},
        {"KURSTERMINE", "KURSNR", "Kurs-Nr."}, {"KURSTERMINE", "DATUM", "Datum"},
        {"KURSTERMINE", "THEMA", "Thema"}, {"KURSTERMINE", "UHRZEIT", "Uhrzeit"},
        {"KURSTERMINE", "ORT", "Ort"}, {"KURSTERMINE", "KONTAKT", "Kontakt"},
        {"RECHNUNGEN", "RENR", "Rechnungs-Schlüssel"}, {"RECHNUNGEN", "NUMMER", "Rechnungsnummer"},
        {"RECHNUNGEN", "ART", "Art"}, {"RECHNUNGEN", "STATUS", "Status"}, {"RECHNUNGEN", "KNDNR", "Kunden-Nr."},
        {"RECHNUNGEN", "KURSNR", "Kurs-Nr."}, {"RECHNUNGEN", "STORNO_VON", "storniert Rechnung (Schlüssel)"},
        {"RECHNUNGEN", "RECHNUNGSDATUM", "Rechnungsdatum"}, {"RECHNUNGEN", "FAELLIG_AM", "fällig am"},
        {"RECHNUNGEN", "LEISTUNG_VON", "Leistung von"}, {"RECHNUNGEN", "LEISTUNG_BIS", "Leistung bis"},
        {"RECHNUNGEN", "EMPFAENGER", "Empfänger"}, {"RECHNUNGEN", "NETTO", "Netto"}, {"RECHNUNGEN", "UST", "Umsatzsteuer"},
        {"RECHNUNGEN", "BRUTTO", "Brutto"},
        {"RECHNUNGSPOSITIONEN", "POS", "Position"}, {"RECHNUNGSPOSITIONEN", "BEZEICHNUNG", "Bezeichnung"},
        {"RECHNUNGSPOSITIONEN", "MENGE", "Menge"}, {"RECHNUNGSPOSITIONEN", "EINZELPREIS", "Einzelpreis"},
        {"RECHNUNGSPOSITIONEN", "UST_SATZ", "USt-Satz (%)"}, {"RECHNUNGSPOSITIONEN", "NETTO", "Netto"},
        {"ZAHLUNGEN", "DATUM", "Zahlungsdatum"}, {"ZAHLUNGEN", "BETRAG", "Betrag"},
        {"ZAHLUNGEN", "ZAHLUNGSART", "Zahlungsart"}, {"MAHNUNGEN", "STUFE", "Mahnstufe"},
        {"MAHNUNGEN", "DATUM", "gemahnt am"}, {"MAHNUNGEN", "GEBUEHR", "Mahngebühr"},
        {"MAHNUNGEN", "FAELLIG_AM", "neu fällig am"},
    };
    for (const Eintrag& e : namen)
        if ((!e.tabelle || tabelle == QLatin1String(e.tabelle)) && spalte == QLatin1String(e.spalte))
            return QString::fromUtf8(e.text);
    // The behaviour columns: "VERHALTEN_LEINE_RUEDE" -> "Verhalten an der Leine: Rüde".
    static const QPair<const char*, const char*> orte[] = {{"LEINE", "an der Leine"},
                                                          {"FREILAUF", "im Freilauf"},
                                                          {"HAUS", "im Haus"},
                                                          {"GARTEN", "im Garten"}};
    static const QPair<const char*, const char*> gegenueber[] = {
        {"RUEDE", "Rüde"}, {"HUENDIN", "Hündin"}, {"MENSCH", "Mensch"},
        {"KINDE", "Kind"}, {"KIND", "Kind"},     {"KLEINTIER", "Kleintier"}};
    for (const auto& [o, otext] : orte)
        for (const auto& [g, gtext] : gegenueber)
            if (spalte == QStringLiteral("VERHALTEN_%1_%2").arg(QLatin1String(o), QLatin1String(g)))
                return QStringLiteral("Verhalten %1: %2").arg(QString::fromUtf8(otext), QString::fromUtf8(gtext));
    return spalte;
}

QString anzeigewert(const QString& tabelle, const QString& spalte, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QString();
    if (v.typeId() == QMetaType::QDateTime) {
        if (spalte == QLatin1String("UHRZEIT")) return db::fmt::formatDateTime(v.toDateTime(), QStringLiteral("hh:nn"));
        return datumText(v.toDateTime());
    }
    if (v.typeId() == QMetaType::Double) {
        static const QSet<QString> geld{QStringLiteral("GEBUEHR"), QStringLiteral("BETRAG"), QStringLiteral("NETTO"),
                                        QStringLiteral("UST"), QStringLiteral("BRUTTO"), QStringLiteral("EINZELPREIS")};
        if (geld.contains(spalte)) return db::fmt::formatCurrency(v.toDouble());
        if (spalte == QLatin1String("MENGE")) return db::fmt::floatToStr(v.toDouble());
        return db::fmt::floatToStr(v.toDouble());
    }
    if (spalte == QLatin1String("KNDNR")) return QStringLiteral("%1").arg(v.toInt(), 4, 10, QLatin1Char('0'));
    const QString s = v.toString();
    if (tabelle == QLatin1String("TEILNEHMER") && spalte == QLatin1String("BEZAHLT")) {
        static const QHash<QString, QString> zahlung = {
            {QStringLiteral("N"), QStringLiteral("nicht bezahlt")}, {QStringLiteral("B"), QStringLiteral("Bar")},
            {QStringLiteral("L"), QStringLiteral("Lastschrift")},   {QStringLiteral("Ü"), QStringLiteral("Überweisung")},
            {QStringLiteral("G"), QStringLiteral("Gutschrift")}};
        return zahlung.contains(s) ? s + QStringLiteral(" (") + zahlung.value(s) + QLatin1Char(')') : s;
    }
    if (tabelle == QLatin1String("KURSE") && spalte == QLatin1String("STATUS")) {
        static const QHash<QString, QString> status = {
            {QStringLiteral("A"), QStringLiteral("Aktiv")}, {QStringLiteral("B"), QStringLiteral("Beendet")},
            {QStringLiteral("S"), QStringLiteral("Storniert")}, {QStringLiteral("P"), QStringLiteral("Pausiert")}};
        return status.value(s.trimmed(), s);
    }
    if (tabelle == QLatin1String("HUNDE") && s.size() == 1 && spalte != QLatin1String("GESCHLECHT")) {
        if (s.compare(QLatin1String("J"), Qt::CaseInsensitive) == 0) return QStringLiteral("ja");
        if (s.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0) return QStringLiteral("nein");
    }
    return s;
}

// --- erasure ---

Umfang umfangLesen(db::Connection* c, db::Transaction* t, int kndnr) {
    Umfang u;
    u.kunde = kundeLesen(c, t, kndnr);
    db::Statement s(c, t);
    auto zahl = [&](const QString& sql, const QVariant& wert) {
        s.prepare(sql);
        s.setParam(0, wert);
        s.open();
        const int n = s.fetch() ? s.value(0).toInt() : 0;
        s.close();
        return n;
    };
    const QVariantList hunde = hundnummern(c, t, kndnr);
    u.hunde = int(hunde.size());
    // Participations of the customer, and any of their dogs under another
    // customer number (counted once).
    u.teilnahmen = zahl(QStringLiteral("select count(*) from teilnehmer where kndnr = ?"), kndnr);
    for (const QVariant& hund : hunde) {
        u.tagebuch += zahl(QStringLiteral("select count(*) from hunde_tagebuch where hundnr = ?"), hund);
        s.prepare(QStringLiteral("select count(*) from teilnehmer where hundnr = ? and kndnr <> ?"));
        s.setParam(0, hund);
        s.setParam(1, kndnr);
        s.open();
        u.teilnahmen += s.fetch() ? s.value(0).toInt() : 0;
        s.close();
    }
    for (const Datensatz& termin :
         lesen(c, t, QStringLiteral("select * from kurstermine where kursnr = -1 order by datum")))
        if (nenntKunden(u.kunde, termin)) u.beratungstermine.append(termin);
    u.rechnungen = zahl(QStringLiteral("select count(*) from rechnungen where status = 'A' and kndnr = ?"), kndnr);
    u.entwuerfe = zahl(QStringLiteral("select count(*) from rechnungen where status = 'E' and kndnr = ?"), kndnr);
    // Open: issued, not a cancellation, not cancelled, less paid than due.
    u.offeneRechnungen = zahl(QStringLiteral(
        "select count(*) from rechnungen r where r.kndnr = ? and r.status = 'A' and r.art = 'R' "
        "and not exists (select 1 from rechnungen s where s.storno_von = r.renr) "
        "and r.brutto > coalesce((select sum(z.betrag) from zahlungen z where z.renr = r.renr), 0)"), kndnr);
    return u;
}

void loeschen(db::Connection* c, db::Transaction* t, int kndnr, const QVector<QDateTime>& beratungstermine) {
    kundeLesen(c, t, kndnr);  // throws when there is no such customer
    // Dog by dog: the diary and the participations are found through their
    // indexes, not by a scan for dogs of the customer.
    for (const QVariant& hund : hundnummern(c, t, kndnr)) {
        ausfuehren(c, t, QStringLiteral("delete from hunde_tagebuch where hundnr = ?"), {hund});
        ausfuehren(c, t, QStringLiteral("delete from teilnehmer where hundnr = ?"), {hund});
    }
    ausfuehren(c, t, QStringLiteral("delete from teilnehmer where kndnr = ?"), {kndnr});
    // Drafts go; issued invoices (the database refuses to delete them) stay.
    ausfuehren(c, t, QStringLiteral("delete from rechnungspositionen p where exists (select 1 from rechnungen r "
                                    "where r.renr = p.renr and r.kndnr = ? and r.status = 'E')"), {kndnr});
    ausfuehren(c, t, QStringLiteral("delete from rechnungen where kndnr = ? and status = 'E'"), {kndnr});
    ausfuehren(c, t, QStringLiteral("delete from hunde where kndnr = ?"), {kndnr});
    ausfuehren(c, t, QStringLiteral("delete from kunden where kndnr = ?"), {kndnr});
    for (const QDateTime& datum : beratungstermine)
        ausfuehren(c, t, QStringLiteral("delete from kurstermine where kursnr = -1 and datum = ?"), {datum});
}

QVector<Fundstelle> fundstellen(db::Connection* c, db::Transaction* t, const QString& text) {
    QVector<Fundstelle> out;
    if (text.trimmed().isEmpty()) return out;
    // Text columns (CHAR 14, VARCHAR 37) of the tables, not of views or the
    // system tables.
    const auto spalten = lesen(c, t,
                               QStringLiteral("select trim(rf.rdb$relation_name) as tabelle, trim(rf.rdb$field_name) as spalte "
                                              "from rdb$relation_fields rf "
                                              "join rdb$relations r on r.rdb$relation_name = rf.rdb$relation_name "
                                              "join rdb$fields f on f.rdb$field_name = rf.rdb$field_source "
                                              "where coalesce(r.rdb$system_flag, 0) = 0 and r.rdb$view_blr is null "
                                              "and f.rdb$field_type in (14, 37) "
                                              "order by 1, rf.rdb$field_position"));
    // One pass over each table: a count per text column in one select.
    QVector<QPair<QString, QStringList>> tabellen;
    for (const Datensatz& d : spalten) {
        const QString tabelle = wert(d, QStringLiteral("TABELLE")).toString();
        if (tabellen.isEmpty() || tabellen.last().first != tabelle) tabellen.append({tabelle, {}});
        tabellen.last().second << wert(d, QStringLiteral("SPALTE")).toString();
    }
    db::Statement s(c, t);
    for (const auto& [tabelle, namen] : tabellen) {
        // Table and column names come from the system tables and are plain
        // upper-case identifiers; the searched text goes as a parameter. The
        // cast keeps it whole: a bare parameter takes the column's type, so
        // against a one-character column "Balu" would be searched as "B".
        QStringList summen;
        for (const QString& spalte : namen)
            summen << QStringLiteral("sum(iif(%1 containing cast(:t as varchar(1000)), 1, 0))").arg(spalte);
        s.prepare(QStringLiteral("select ") + summen.join(QStringLiteral(", ")) + QStringLiteral(" from ") + tabelle);
        s.setParam(QStringLiteral("t"), text);
        s.open();
        if (s.fetch())
            for (int i = 0; i < namen.size(); ++i)
                if (s.value(i).toInt() > 0) out.append({tabelle, namen[i], s.value(i).toInt()});
        s.close();
    }
    return out;
}

// --- old records ---

QVector<AlterKunde> alteKunden(db::Connection* c, db::Transaction* t, int jahre, const QDate& heute) {
    const QDateTime grenze = db::makeDateTime(heute.addYears(-jahre));
    struct Kunde {
        AlterKunde k;
        Datensatz daten;
    };
    QVector<Kunde> kunden;
    QHash<int, int> index;  // KNDNR -> position
    for (const Datensatz& d : lesen(c, t, QStringLiteral("select kndnr, name, vname, ort, tel, mobil, aufgenommen_am from kunden"))) {
        Kunde k;
        k.k.kndnr = wert(d, QStringLiteral("KNDNR")).toInt();
        k.k.name = text(d, "NAME");
        k.k.vname = text(d, "VNAME");
        k.k.ort = text(d, "ORT");
        k.k.letzterKontakt = wert(d, QStringLiteral("AUFGENOMMEN_AM")).toDateTime();
        k.daten = d;
        index.insert(k.k.kndnr, int(kunden.size()));
        kunden.append(k);
    }
    auto spaeter = [&](int kndnr, const QDateTime& dt) {
        const auto it = index.constFind(kndnr);
        if (it == index.constEnd() || !dt.isValid()) return;
        QDateTime& l = kunden[*it].k.letzterKontakt;
        if (!l.isValid() || dt > l) l = dt;
    };
    const QString proKunde[] = {
        QStringLiteral("select kndnr, max(anamese_aufgenommen_am) from hunde group by kndnr"),
        QStringLiteral("select h.kndnr, max(b.datum) from hunde_tagebuch b join hunde h on h.hundnr = b.hundnr "
                       "group by h.kndnr"),
    };
    for (const QString& sql : proKunde)
        for (const Datensatz& d : lesen(c, t, sql)) spaeter(d[0].second.toInt(), d[1].second.toDateTime());
    // Participations: the last date of each course, then the courses of each
    // customer (a join of every participation with every date of its course
    // would be far larger).
    QHash<int, QDateTime> kursEnde;
    for (const Datensatz& d :
         lesen(c, t, QStringLiteral("select kursnr, max(datum) from kurstermine where kursnr > 0 group by kursnr")))
        kursEnde.insert(d[0].second.toInt(), d[1].second.toDateTime());
    for (const Datensatz& d : lesen(c, t, QStringLiteral("select kndnr, kursnr from teilnehmer")))
        spaeter(d[0].second.toInt(), kursEnde.value(d[1].second.toInt()));

    // Appointments: candidates by the words of their texts (the first word
    // of a surname) and by their telephone numbers, then the full rule.
    QMultiHash<QString, int> nachWort, nachNummer;
    static const QRegularExpression nichtWort(QStringLiteral("[^\\p{L}\\p{N}]+"),
                                              QRegularExpression::UseUnicodePropertiesOption);
    for (int i = 0; i < kunden.size(); ++i) {
        const QStringList w = kunden[i].k.name.toLower().split(nichtWort, Qt::SkipEmptyParts);
        if (!w.isEmpty()) nachWort.insert(w.first(), i);
        for (const char* s : {"TEL", "MOBIL"}) {
            const QString z = ziffern(text(kunden[i].daten, s));
            if (z.size() >= kMindestZiffern) nachNummer.insert(z, i);
        }
    }
    for (const Datensatz& termin : lesen(c, t, QStringLiteral("select * from kurstermine where kursnr = -1"))) {
        QSet<int> kandidaten;
        for (const char* s : {"THEMA", "ORT", "KONTAKT"})
            for (const QString& w : text(termin, s).toLower().split(nichtWort, Qt::SkipEmptyParts))
                for (int i : nachWort.values(w)) kandidaten.insert(i);
        for (const QString& z : kontaktNummern(text(termin, "KONTAKT")))
            for (int i : nachNummer.values(z)) kandidaten.insert(i);
        const QDateTime datum = wert(termin, QStringLiteral("DATUM")).toDateTime();
        for (int i : kandidaten)
            if (nenntKunden(kunden[i].daten, termin)) spaeter(kunden[i].k.kndnr, datum);
    }

    QVector<AlterKunde> out;
    for (const Kunde& k : kunden)
        if (!k.k.letzterKontakt.isValid() || k.k.letzterKontakt < grenze) out.append(k.k);
    std::stable_sort(out.begin(), out.end(), [](const AlterKunde& a, const AlterKunde& b) {
        if (a.letzterKontakt.isValid() != b.letzterKontakt.isValid()) return !a.letzterKontakt.isValid();
        if (a.letzterKontakt != b.letzterKontakt) return a.letzterKontakt < b.letzterKontakt;
        return a.kndnr < b.kndnr;
    });
    return out;
}

}  // namespace datenschutz
