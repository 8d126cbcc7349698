#include "customers/hundefelder.h"

#include <QCollator>
#include <QFile>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <stdexcept>

#include "platform/dialogs.h"
#include "platform/paths.h"
#include "widgets/dbcheckbox.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbmemo.h"
#include "widgets/feldbau.h"

namespace hundefelder {

QStringList verhaltensskala() {
    return {QStringLiteral("freundlich"), QStringLiteral("ängstlich"), QStringLiteral("ängstlich, dann agressiv"),
            QStringLiteral("agressiv")};
}

QStringList herkunftListe() {
    return {QStringLiteral("Züchter"), QStringLiteral("Züchter VDH"), QStringLiteral("Tierschutz"),
            QStringLiteral("Privat")};
}

QStringList kastrationListe() { return {QStringLiteral("Kastriert"), QStringLiteral("Sterilisiert")}; }

QStringList futterListe() {
    return {QStringLiteral("Trockenfutter"), QStringLiteral("Naßfutter"), QStringLiteral("BARF")};
}

QStringList futteraufnahmeListe() {
    return {QStringLiteral("normal"), QStringLiteral("hastig"), QStringLiteral("makelig")};
}

const Erziehung erziehung[6] = {{"Welpenschule", "WELPENSCHULE", "WELPENSCHULE_BEI"},
                                {"Junghundekurs", "JUNGHUNDEKURS", "JUNGHUNDEKURS_BEI"},
                                {"Einzelstunden", "EINZELSTUNDEN", "EINZELSTUNDEN_BEI"},
                                {"Prüfung", "PRUEFUNG", "PRUEFUNG_BEI"},
                                {"Clicker", "CLICKER", "CLICKER_BEI"},
                                {"Verein", "VEREIN", "VEREIN_TEXT"}};

const Gegenueber gegenueber[4] = {
    {"Verhalten an der Leine gegenüber...", "LEINE", "KIND", "LEINE_BESONDERHEITEN", "Katze/Kleintier:"},
    {"Verhalten im Freilauf gegenüber...", "FREILAUF", "KIND", "FREILAUF_BESONDERHEITEN", "Katze/Kleintier"},
    {"Verhalten im Haus gegenüber...", "HAUS", "KINDE", "HAUS_BESONDERHEITEN", "Katze/Kleintier:"},
    {"Verhalten auf dem Grundstück gegenüber...", "GARTEN", "KINDE", "GARTEN_BESONDERHEITEN", "Katze/Kleintier:"},
};

QStringList gegenueberSpalten(const Gegenueber& g) {
    const QString s = QString::fromLatin1(g.spalte);
    return {QStringLiteral("VERHALTEN_%1_RUEDE").arg(s), QStringLiteral("VERHALTEN_%1_HUENDIN").arg(s),
            QStringLiteral("VERHALTEN_%1_KLEINTIER").arg(s), QStringLiteral("VERHALTEN_%1_MENSCH").arg(s),
            QStringLiteral("VERHALTEN_%1_%2").arg(s, QString::fromLatin1(g.kind))};
}

QStringList gegenueberKoepfe(const Gegenueber& g) {
    return {QStringLiteral("Rüde:"), QStringLiteral("Hündin:"), QString::fromUtf8(g.kleintier),
            QStringLiteral("Mensch:"), QStringLiteral("Kind:")};
}

// In the order of the customer window's questionnaire. Where a window has a
// value of its own (.kunde, .hund), it differs on purpose: see hundefelder.h.
const Feld anamnesefelder[] = {
    {.spalte = "ANAMESE_AUFGENOMMEN_AM",
     .art = Art::Datum,
     .kunde = {.name = "DBEdit62", .text = "Anamnese vom:"},
     .hund = {.text = "Anamese vom:"}},
    {.spalte = "PROBLEME",
     .art = Art::Memo,
     .kunde = {.name = "DBMemo2", .text = "Probleme / Grund der Kontaktaufnahme:"},
     .hund = {.text = "Probleme / Grund der Kontaktaufnahme"}},
    // Herkunft und Pflege
    {"CHIPNR", Art::Edit, "Chip-Nr."},
    {"HAFTPFLICHTNR", Art::Edit, "Haftpflicht-Nr."},
    {"HERKUNFT", Art::Combo, "Herkunft", herkunftListe},
    {"ZWINGERNAME", Art::Edit, "event. Zwingername"},
    {"KASTRATION", Art::Combo, "Kastration", kastrationListe},
    {.spalte = "KASTZEITPUNKT", .art = Art::Edit, .text = "Zeitpunkt", .kunde = {.name = "DBEdit27"}},
    {"FUTTER", Art::Combo, "Futterart", futterListe},
    {"FUTTERMARKE", Art::Edit, "Futtermarke"},
    {.spalte = "VORBESITZER", .art = Art::Memo, .text = "Vorbesitzer", .kunde = {.name = "DBMemo5"}},
    // Tierarzt, Krankheiten, Impfung
    {.spalte = "TIERARZT", .art = Art::Memo, .text = "Tierarzt", .kunde = {.name = "DBMemo7"}},
    {.spalte = "HAUT_FELL", .art = Art::Edit, .text = "Auffälligkeiten Fell/Haut", .kunde = {.name = "DBEdit50"}},
    {"IMPFUNG", Art::Check, "Impfungen:"},
    {"IMPFUNG_TEXT", Art::Edit},
    {"ALLERGIEN", Art::Check, "Allergien:"},
    {"ALLERGIEN_TEXT", Art::Edit},
    {.spalte = "KRANKHEITEN", .art = Art::Edit, .text = "Krankheiten", .kunde = {.name = "DBEdit49"}},
    // Futteraufnahme
    {.spalte = "FUTTERVERTEIDIGEN",
     .art = Art::Check,
     .text = "Verteidigt Futter",
     .kunde = {.name = "DBCheckBox1"}},
    {.spalte = "FUTTERAUFNAHME",
     .art = Art::Combo,
     .text = "Futteraufnahme:",
     .kunde = {.name = "DBComboBox30", .liste = futteraufnahmeListe},
     .hund = {.liste = verhaltensskala}},
    {.spalte = "FUTTERAUSDERHAND",
     .art = Art::Combo,
     .text = "Futteraufnahme aus der Hand:",
     .liste = verhaltensskala,
     .kunde = {.name = "DBComboBox33"}},
    // bisherige Hundeerziehung (besides the rows of `erziehung`)
    {"LETZTE_HUNDESCHULE", Art::Edit, "Letzte Hundeschule:"},
    // Verhalten bei Wild
    {"JAGD_BEI_SICHT", Art::Check, "Jagd bei Sicht"},
    {"JAGD_AUF_FAEHRTE", Art::Check, "Jagd auf Fährte"},
    {"ABRUFBAR", Art::Check, "Abrufbar"},
    {"JAGD_BESONDERHEITEN", Art::Edit, "Besonderheiten:"},
    // Sonstiges Verhalten
    {"ANSPRINGEN_BEKANNTE", Art::Check, "Anspringen Bekannte"},
    {.spalte = "ANSPRINGEN_FREMDE",
     .art = Art::Check,
     .text = "Anspringen Fremde",
     .ungetickt = nullptr,
     .kunde = {.ungetickt = "n"},
     .hund = {.ungetickt = "N"}},
    {"ANSPRINGEN_BESONDERHEITEN", Art::Edit, "Besonderheiten Anspringen:"},
    {"ANBELLEN_BEKANNTE", Art::Check, "Anbellen Bekannte"},
    {"ANBELLEN_FREMDE", Art::Check, "Anbellen Fremde"},
    {"ANBELLEN_BESONDERHEITEN", Art::Edit, "Besonderheiten Anbellen:"},
    {"AUTOFAHREN_GERNE", Art::Check, "Fährt gerne Auto"},
    {"VERHALTEN_TIERARZT", Art::Combo, "Verhält sich beim Tierarzt...", verhaltensskala, false},
    {"VERHALTEN_IMHAUS", Art::Combo, "Verhält sich im Haus", verhaltensskala, false},
    {"IMHAUS_BESONDERHEITEN", Art::Edit, "Besonderheiten Verhalten im Haus:"},
    // Kommentare, letzter Stand, Therapievorschlag
    {.spalte = "KOMMENTAR",
     .art = Art::Memo,
     .kunde = {.text = "Kommentar / Letzter Stand:"},
     .hund = {.text = "Kommentar:"}},
    {"THERAPIEVORSCHLAG", Art::Memo, "Therapievorschlag:"},
};
const int anzahlAnamnesefelder = int(std::size(anamnesefelder));

const Feld& anamnesefeld(const char* spalte) {
    for (const Feld& f : anamnesefelder)
        if (qstrcmp(f.spalte, spalte) == 0) return f;
    throw std::invalid_argument(std::string("Feld des Anamnesebogens unbekannt: ") + spalte);
}

namespace {

const Eigen& eigen(const Feld& f, Fenster fenster) { return fenster == Fenster::Kunde ? f.kunde : f.hund; }

const char* praefix(Art art) {
    switch (art) {
        case Art::Memo:
            return "dbm_";
        case Art::Combo:
            return "dbc_";
        case Art::Check:
            return "dbchk_";
        case Art::Edit:
        case Art::Datum:
            break;
    }
    return "dbe_";
}

}  // namespace

QString objektname(const Feld& f, Fenster fenster) {
    if (const char* n = eigen(f, fenster).name) return QString::fromLatin1(n);
    return widgets::boundName(praefix(f.art), QString::fromLatin1(f.spalte));
}

QString beschriftung(const Feld& f, Fenster fenster) {
    const char* t = eigen(f, fenster).text;
    return QString::fromUtf8(t ? t : f.text);
}

QStringList liste(const Feld& f, Fenster fenster) {
    const Liste l = eigen(f, fenster).liste;
    if (l) return l();
    return f.liste ? f.liste() : QStringList();
}

QString ungetickt(const Feld& f, Fenster fenster) {
    const char* u = eigen(f, fenster).ungetickt;
    return QString::fromLatin1(u ? u : f.ungetickt);
}

QWidget* Fragebogen::feld(QWidget* parent, const char* spalte) const {
    const Feld& f = anamnesefeld(spalte);
    const QString name = objektname(f, m_fenster);
    const QString s = QString::fromLatin1(f.spalte);
    switch (f.art) {
        case Art::Edit:
            return widgets::boundEdit(parent, name, m_ds, s);
        case Art::Datum: {
            widgets::DbEdit* e = widgets::boundEdit(parent, name, m_ds, s);
            // Date and time (as the edit shows them while it has the focus) fit.
            e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + 18);
            return e;
        }
        case Art::Memo:
            return widgets::boundMemo(parent, name, m_ds, s);
        case Art::Combo:
            return widgets::boundCombo(parent, name, m_ds, s, liste(f, m_fenster), f.tippen);
        case Art::Check:
            return widgets::boundCheck(parent, name, hundefelder::beschriftung(f, m_fenster), m_ds, s, ungetickt(f, m_fenster));
    }
    return nullptr;
}

QLabel* Fragebogen::text(QWidget* parent, const char* spalte) const {
    return widgets::label(parent, beschriftung(spalte));
}

QString Fragebogen::beschriftung(const char* spalte) const {
    return hundefelder::beschriftung(anamnesefeld(spalte), m_fenster);
}

widgets::DbEdit* Fragebogen::edit(QWidget* parent, const char* spalte) const {
    auto* e = qobject_cast<widgets::DbEdit*>(feld(parent, spalte));
    if (!e) throw std::invalid_argument(std::string("Kein Eingabefeld: ") + spalte);
    return e;
}

widgets::DbMemo* Fragebogen::memo(QWidget* parent, const char* spalte) const {
    auto* m = qobject_cast<widgets::DbMemo*>(feld(parent, spalte));
    if (!m) throw std::invalid_argument(std::string("Kein Memofeld: ") + spalte);
    return m;
}

void Fragebogen::paar(QGridLayout* grid, QWidget* parent, const char* spalte, int row, int column) const {
    grid->addWidget(text(parent, spalte), row, column);
    grid->addWidget(feld(parent, spalte), row, column + 1);
}

void Fragebogen::reihe(QGridLayout* grid, QWidget* parent, int row, int column,
                       std::initializer_list<const char*> spalten) const {
    for (const char* s : spalten) grid->addWidget(feld(parent, s), row, column++);
}

void Fragebogen::futteraufnahme(QGridLayout* grid, QWidget* parent) const {
    grid->addWidget(feld(parent, "FUTTERVERTEIDIGEN"), 0, 0);
    paar(grid, parent, "FUTTERAUFNAHME", 0, 1);
    paar(grid, parent, "FUTTERAUSDERHAND", 0, 3);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);
}

void Fragebogen::hundeerziehung(QGridLayout* grid, QWidget* parent) const {
    int r = 0;
    for (const Erziehung& z : erziehung) {
        const QString check = QString::fromLatin1(z.check);
        const QString bei = QString::fromLatin1(z.bei);
        grid->addWidget(widgets::boundCheck(parent, widgets::boundName("dbchk_", check), QString::fromUtf8(z.text),
                                            m_ds, check),
                        r, 0);
        grid->addWidget(widgets::boundEdit(parent, widgets::boundName("dbe_", bei), m_ds, bei), r++, 1);
    }
    grid->addWidget(text(parent, "LETZTE_HUNDESCHULE"), 0, 2);
    grid->addWidget(feld(parent, "LETZTE_HUNDESCHULE"), 1, 2);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);
}

int Fragebogen::verhaltenGegenueber(QGridLayout* grid, QWidget* parent, const Gegenueber& g, int row) const {
    const QStringList spalten = gegenueberSpalten(g);
    const QStringList koepfe = gegenueberKoepfe(g);
    for (int k = 0; k < 5; ++k) {
        grid->addWidget(widgets::label(parent, koepfe[k]), row, k);
        grid->addWidget(widgets::boundCombo(parent, widgets::boundName("dbc_", spalten[k]), m_ds, spalten[k],
                                            verhaltensskala(), false),
                        row + 1, k);
        grid->setColumnStretch(k, 1);
    }
    const QString besonders = QString::fromLatin1(g.besonders);
    auto* bes = new QHBoxLayout;
    bes->addWidget(widgets::label(parent, QStringLiteral("Besonderheiten:")));
    bes->addWidget(widgets::boundEdit(parent, widgets::boundName("dbe_", besonders), m_ds, besonders), 1);
    grid->addLayout(bes, row + 2, 0, 1, 5);
    return row + 3;
}

namespace {

// Windows-1252: 0x80 to 0x9F differ from Latin-1 (undefined bytes stay as
// their Latin-1 control characters).
QString win1252(const QByteArray& bytes) {
    static const char16_t hoch[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString s;
    s.reserve(bytes.size());
    for (char c : bytes) {
        const uchar b = uchar(c);
        s += (b >= 0x80 && b < 0xA0) ? QChar(hoch[b - 0x80]) : QChar(b);
    }
    return s;
}

}  // namespace

QStringList rassen_zeilen(const QByteArray& inhalt) {
    const QString text = win1252(inhalt);
    QStringList zeilen;
    QString zeile;
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            zeilen << zeile;
            zeile.clear();
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
            ++i;
            continue;
        }
        zeile += c;
        ++i;
    }
    // The last line needs no line end; a line end at the very end adds no
    // empty entry.
    if (!zeile.isEmpty()) zeilen << zeile;
    return zeilen;
}

bool rassen_laden(QStringList* rassen, const QString& datei) {
    QFile f(datei);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray inhalt = f.readAll();
    if (f.error() != QFileDevice::NoError) return false;
    *rassen = rassen_zeilen(inhalt);
    return true;
}

QString rassen_fehlertext(const QString& datei) {
    return QStringLiteral("Datei %1 kann nicht geöffnet werden").arg(datei);
}

QStringList alphabetisch(QStringList liste) {
    QCollator c(QLocale(QLocale::German, QLocale::Germany));
    c.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(liste.begin(), liste.end(), [&c](const QString& a, const QString& b) {
        const int r = c.compare(a, b);
        if (r != 0) return r < 0;
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return liste;
}

QStringList rassen_orte() {
    QStringList orte{QString::fromLatin1(rassen_datei)};
    orte << platform::lookupPaths(platform::dataDirectory() + QLatin1Char('/') + QString::fromLatin1(rassen_datei));
    return orte;
}

QStringList rassen_fuer_fenster(bool sortiert) {
    QStringList rassen;
    for (const QString& ort : rassen_orte())
        if (rassen_laden(&rassen, ort)) return sortiert ? alphabetisch(rassen) : rassen;
    platform::dialogs().errorBox(rassen_fehlertext());
    return {};
}

}  // namespace hundefelder
