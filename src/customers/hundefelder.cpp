#include "customers/hundefelder.h"

#include <QCollator>
#include <QFile>
#include <QLocale>

#include "platform/dialogs.h"
#include "platform/paths.h"

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
