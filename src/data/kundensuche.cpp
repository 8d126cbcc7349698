#include "data/kundensuche.h"

#include "db/field.h"
#include "db/statement.h"

QString suchtext_gross(const QString& text) { return db::win1252Upper(text); }

bool suchtext_ist_zahl(const QString& text) {
    int i = 0;
    if (!text.isEmpty() && (text.at(0) == QLatin1Char('+') || text.at(0) == QLatin1Char('-'))) i = 1;
    if (i >= text.size()) return false;
    for (; i < text.size(); ++i)
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9')) return false;
    return true;
}

bool suchtext_zulaessig(const QString& text) {
    if (!db::win1252Representable(text)) return false;
    // Every character but "%" stands for one character of the value ("_"
    // for any one), so a pattern with more of them cannot match a value of
    // the longest column.
    qsizetype eigene = text.size() - text.count(QLatin1Char('%'));
    return eigene <= suchtext_max_spaltenlaenge;
}

QString suchtext_muster(const QString& text) {
    QString t = text;
    if (t.size() > suchtext_max_spaltenlaenge) {
        QString kurz;
        kurz.reserve(t.size());
        for (QChar c : t)
            if (!(c == QLatin1Char('%') && kurz.endsWith(QLatin1Char('%')))) kurz += c;
        t = kurz;
    }
    return db::escapeApostrophes(t);
}

QString suchkette(const QString& text, const QList<Suchtest>& tests) {
    if (!suchtext_zulaessig(text)) return QString::fromLatin1(suchbedingung_nichts);
    const QString t = suchtext_muster(text);
    const QString u = suchtext_muster(suchtext_gross(text));
    QString c;
    for (const Suchtest& test : tests) c += test.oeffnung + (test.wie_getippt ? t : u) + QStringLiteral("%'");
    return c;
}

namespace {

QList<Suchtest> kette(const char* zahlspalte, std::initializer_list<const char*> spalten, bool zahl) {
    QList<Suchtest> tests;
    if (zahl) tests.append({QString::fromLatin1(zahlspalte) + QStringLiteral(" like '%"), true});
    for (const char* s : spalten) {
        QString oeffnung = QString::fromLatin1(s) + QStringLiteral(" like '%");
        if (!tests.isEmpty()) oeffnung.prepend(QStringLiteral(" or "));
        tests.append({oeffnung, false});
    }
    return tests;
}

}  // namespace

QString kundensuche_bedingung(const QString& text) {
    if (text.isEmpty()) return QString();
    return suchkette(text, kette("kndnr",
                                 {"upper(name)", "upper(vname)", "upper(plz)", "upper(ort)", "upper(str)",
                                  "upper(anrede)", "upper(tel)", "upper(mobil)", "upper(fax)", "upper(email)",
                                  "upper(kommentar)"},
                                 suchtext_ist_zahl(text)));
}

QString hundesuche_bedingung(const QString& text) {
    if (text.isEmpty()) return QString();
    // The chip and insurance numbers are compared as stored, not upper-cased.
    return suchkette(text, kette("geburtsjahr",
                                 {"upper(name)", "upper(rasse)", "upper(geschlecht)", "chipnr", "haftpflichtnr",
                                  "upper(herkunft)", "upper(zwingername)", "upper(vorbesitzer)", "upper(futter)",
                                  "upper(kommentar)", "upper(probleme)"},
                                 suchtext_ist_zahl(text)));
}
