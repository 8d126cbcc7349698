#pragma once
// Hostile search texts shared by the tests of every search box (customers,
// dogs, consultations, add-participant dialog), the rows they are searched
// in, and what a plain LIKE match over those rows finds.
//
//   void suche_data() { feindlich::texte(); }         // column "text"
//   feindlich::einfuegen(conn, tra);                   // customers and dogs
//   feindlich::tippen(box, text);                      // typed as a user would
//   QCOMPARE(gefunden, feindlich::kunden(text));       // the test's own match
//   QCOMPARE(feindlich::geruest(sql), feindlich::geruest(sqlFuerX));
//
// The expected rows are computed here from the rows put in, not by the
// program: each searched column is compared the way the database compares
// it (upper(column) like '%U%', or the column as stored), where U is the
// text upper-cased as the database does it (umlauts too, ß stays). For a text without "%" and "_" that is a
// plain substring test.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

#include "db/field.h"
#include "db/statement.h"

namespace feindlich {

// ---- the texts ----------------------------------------------------------------

inline void texte() {
    QTest::addColumn<QString>("text");
    QTest::newRow("apostrophe") << QStringLiteral("O'Brien");
    QTest::newRow("lone apostrophe") << QStringLiteral("'");
    QTest::newRow("injection or 1=1") << QStringLiteral("' or 1=1 --");
    QTest::newRow("injection with brackets") << QStringLiteral("x') or ('1'='1");
    QTest::newRow("injection union") << QStringLiteral("' union select rdb$relation_name from rdb$relations --");
    QTest::newRow("comment dashes") << QStringLiteral("--");
    QTest::newRow("block comment") << QStringLiteral("/* x */");
    QTest::newRow("semicolon") << QStringLiteral(";");
    QTest::newRow("second statement") << QStringLiteral("; drop table kunden");
    QTest::newRow("percent") << QStringLiteral("%");
    QTest::newRow("percent inside") << QStringLiteral("100%");
    QTest::newRow("underscore") << QStringLiteral("_");
    QTest::newRow("underscore inside") << QStringLiteral("a_b");
    QTest::newRow("double quotes") << QStringLiteral("\"x\"");
    QTest::newRow("lone double quote") << QStringLiteral("\"");
    QTest::newRow("backslash") << QStringLiteral("\\");
    QTest::newRow("parameter marker") << QStringLiteral(":name");
    QTest::newRow("question mark") << QStringLiteral("?");
    QTest::newRow("euro sign") << QString::fromUtf8("5 €");
    QTest::newRow("umlaut as stored upper") << QString::fromUtf8("ÄRGER");
    QTest::newRow("umlaut lower") << QString::fromUtf8("ärger");
    QTest::newRow("cyrillic") << QString::fromUtf8("Жучка");
    QTest::newRow("chinese") << QString::fromUtf8("北京");
    QTest::newRow("emoji") << QString::fromUtf8("Rex 🐕");
    QTest::newRow("10000 letters") << QString(10000, QLatin1Char('m'));
    QTest::newRow("10000 apostrophes") << QString(10000, QLatin1Char('\''));
    QTest::newRow("10000 percent signs and a name") << QString(10000, QLatin1Char('%')) + QStringLiteral("brien");
    // Pasted (typing cannot enter it): a NUL character before an injection.
    QTest::newRow("pasted NUL character") << QString(300, QLatin1Char('a')) + QChar(0) + QStringLiteral("' or 1=1 --");
    QTest::newRow("long injection") << QStringLiteral("' or 1=1 --") + QString(9990, QLatin1Char(' '));
}

// ---- the rows ---------------------------------------------------------------

// nullptr is NULL in the database.
struct Kunde {
    int kndnr;
    const char *name, *vname, *plz, *ort, *str, *anrede, *tel, *mobil, *fax, *email, *kommentar;
};
struct Hund {
    int hundnr, kndnr;
    const char *name, *rasse, *geschlecht;
    int geburtsjahr;  // 0: NULL
    const char *chipnr, *haftpflichtnr, *herkunft, *zwingername, *vorbesitzer, *futter, *kommentar, *probleme;
};

inline const QList<Kunde>& kundenZeilen() {
    static const QList<Kunde> k{
        {1, "Müller", "Hans", "24103", "Kiel", "Lindenweg 4", "Herr", "0431/5550", nullptr, nullptr,
         "hans@example.de", "100% zuverlässig"},
        {12, "O'Brien", "Sean", "24937", "Flensburg", "Hafenstraße 2", "Herr", nullptr, "0171/777", nullptr,
         "obrien@example.ie", "sagt ' or 1=1 -- gern"},
        {112, "Strich--Punkt", "Ja;nein", "10117", "Berlin", "Zitat \"x\" 5", "Familie", "030/4", nullptr, nullptr,
         nullptr, "Pfad C:\\Hunde /* x */"},
        {1200, "Schmidt", "Anna", "25813", "Husum", "Am Deich 17", "Frau", "04841/9", nullptr, "04841/8", nullptr,
         "a_b und axb"},
        {7, "Ärger", "Öle", "20095", "Hamburg", "Große Str. 1", "Frau", nullptr, nullptr, nullptr, nullptr,
         "Preis 5 € ; drop table kunden"},
        {8, "Weber", "Jörg", "", "Kiel", "", "", "", "", "", "", ""},
    };
    return k;
}

inline const QList<Hund>& hundeZeilen() {
    static const QList<Hund> h{
        {1, 1, "Rex", "Labrador", "Rüde", 2005, "ABC123", "HV-1", "Züchter", "vom D'Artagnan", nullptr, "BARF",
         "bellt -- laut", "zieht; springt"},
        {2, 1, "Luna", "Pudel", "Hündin", 2010, "abc123", nullptr, nullptr, nullptr, "Frau \"Z\"", nullptr, nullptr,
         "100% ängstlich"},
        {3, 12, "O'Malley", "Mischling", "Rüde", 2019, "2762005", "a_b", "Tierheim", nullptr, nullptr, "Trocken",
         "1=1", nullptr},
        {4, 112, "Bello_1", "Dackel", nullptr, 0, nullptr, nullptr, nullptr, nullptr, "O'Brien", nullptr, nullptr,
         "Brien?"},
        {5, 7, "Ärmel", "Spitz", "Rüde", 2021, "", "", "", "", "", "", "", ""},
    };
    return h;
}

inline QVariant wert(const char* s) { return s ? QVariant(QString::fromUtf8(s)) : QVariant(); }

// Puts the customers and dogs into the database (plain SQL with parameters).
inline void einfuegen(db::Connection* c, db::Transaction* t) {
    db::Statement k(c, t);
    k.prepare(QStringLiteral("insert into kunden (kndnr, name, vname, plz, ort, str, anrede, tel, mobil, fax, email, "
                             "kommentar) values (?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (const Kunde& x : kundenZeilen()) {
        const QVariantList v{x.kndnr,     wert(x.name),  wert(x.vname), wert(x.plz), wert(x.ort),   wert(x.str),
                             wert(x.anrede), wert(x.tel), wert(x.mobil), wert(x.fax), wert(x.email), wert(x.kommentar)};
        for (int i = 0; i < v.size(); ++i) k.setParam(i, v[i]);
        k.execute();
    }
    db::Statement h(c, t);
    h.prepare(QStringLiteral("insert into hunde (hundnr, kndnr, name, rasse, geschlecht, geburtsjahr, chipnr, "
                             "haftpflichtnr, herkunft, zwingername, vorbesitzer, futter, kommentar, probleme) values "
                             "(?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (const Hund& x : hundeZeilen()) {
        const QVariantList v{x.hundnr,           x.kndnr,         wert(x.name),       wert(x.rasse),
                             wert(x.geschlecht), x.geburtsjahr ? QVariant(x.geburtsjahr) : QVariant(),
                             wert(x.chipnr),     wert(x.haftpflichtnr), wert(x.herkunft), wert(x.zwingername),
                             wert(x.vorbesitzer), wert(x.futter), wert(x.kommentar), wert(x.probleme)};
        for (int i = 0; i < v.size(); ++i) h.setParam(i, v[i]);
        h.execute();
    }
}

// ---- the test's own match ----------------------------------------------------

// The search text as it is compared: every letter whose capital exists in
// the database's code page becomes that capital (ß has none and stays).
inline QString gross(const QString& text) {
    QString u = text;
    for (QChar& c : u) {
        const QChar g = c.toUpper();
        if (db::win1252Representable(QString(g))) c = g;
    }
    return u;
}

// What the database's upper() makes of a stored value (the rows hold only
// ASCII letters and ä, ö, ü besides signs and digits).
inline QString dbGross(const QString& v) {
    QString u = v;
    for (QChar& c : u) c = c.toUpper();
    return u;
}

// Whether the text is a whole number: decimal digits, an optional sign.
inline bool ganzzahl(const QString& text) {
    static const QRegularExpression rx(QStringLiteral("\\A[+-]?[0-9]+\\z"));
    return rx.match(text).hasMatch();
}

// `wert LIKE '%muster%'`: "%" any run of characters, "_" any one, every
// other character itself. NULL matches nothing.
inline bool like(const QVariant& wert, const QString& muster) {
    if (!wert.isValid() || wert.isNull()) return false;
    const QString v = wert.toString();
    if (!muster.contains(QLatin1Char('%')) && !muster.contains(QLatin1Char('_'))) return v.contains(muster);
    QString rx;
    for (QChar c : muster) {
        if (c == QLatin1Char('%')) {
            if (!rx.endsWith(QLatin1String(".*"))) rx += QStringLiteral(".*");
        } else if (c == QLatin1Char('_')) {
            rx += QLatin1Char('.');
        } else {
            rx += QRegularExpression::escape(QString(c));
        }
    }
    return QRegularExpression(QStringLiteral("\\A.*") + rx + QStringLiteral(".*\\z"),
                              QRegularExpression::DotMatchesEverythingOption)
        .match(v)
        .hasMatch();
}
inline bool likeGross(const char* s, const QString& u) { return s && like(dbGross(QString::fromUtf8(s)), u); }

// The customers (KNDNR, ascending) whose searched columns hold the text.
inline QList<int> kunden(const QString& text) {
    QList<int> r;
    if (text.isEmpty()) {
        for (const Kunde& k : kundenZeilen()) r << k.kndnr;
    } else {
        const QString u = gross(text);
        for (const Kunde& k : kundenZeilen()) {
            bool treffer = ganzzahl(text) && like(QString::number(k.kndnr), text);
            for (const char* s : {k.name, k.vname, k.plz, k.ort, k.str, k.anrede, k.tel, k.mobil, k.fax, k.email,
                                  k.kommentar})
                treffer = treffer || likeGross(s, u);
            if (treffer) r << k.kndnr;
        }
    }
    std::sort(r.begin(), r.end());
    return r;
}

// The dogs (HUNDNR, ascending) the dog search finds: chip and insurance
// numbers are compared as stored, the year of birth only for a number.
inline QList<int> hunde(const QString& text) {
    QList<int> r;
    const QString u = gross(text);
    for (const Hund& h : hundeZeilen()) {
        bool treffer = text.isEmpty();
        if (!treffer) {
            treffer = ganzzahl(text) && h.geburtsjahr && like(QString::number(h.geburtsjahr), text);
            for (const char* s : {h.name, h.rasse, h.geschlecht, h.herkunft, h.zwingername, h.vorbesitzer, h.futter,
                                  h.kommentar, h.probleme})
                treffer = treffer || likeGross(s, u);
            for (const char* s : {h.chipnr, h.haftpflichtnr}) treffer = treffer || (s && like(QString::fromUtf8(s), u));
        }
        if (treffer) r << h.hundnr;
    }
    std::sort(r.begin(), r.end());
    return r;
}

// The pairs "customer name/dog name" (sorted) the add-participant dialog
// finds: customer name, first name, dog name and telephone; for a number
// also the customer and dog numbers.
inline QStringList paare(const QString& text) {
    QStringList r;
    const QString u = gross(text);
    for (const Hund& h : hundeZeilen()) {
        const Kunde* k = nullptr;
        for (const Kunde& x : kundenZeilen())
            if (x.kndnr == h.kndnr) k = &x;
        if (!k) continue;
        bool treffer = text.isEmpty();
        if (!treffer) {
            treffer = ganzzahl(text) &&
                      (like(QString::number(k->kndnr), text) || like(QString::number(h.hundnr), text));
            for (const char* s : {k->name, k->vname, h.name, k->tel}) treffer = treffer || likeGross(s, u);
        }
        if (treffer) r << QString::fromUtf8(k->name) + QLatin1Char('/') + QString::fromUtf8(h.name);
    }
    r.sort();
    return r;
}

// ---- the statement ----------------------------------------------------------

// The statement with every string literal ('...', with '' inside) replaced
// by '?'. A text that changed the statement (ended a literal, added a
// condition, a comment or a second statement) leaves a different skeleton;
// an unterminated literal leaves "<offen>".
inline QString geruest(const QString& sql) {
    QString out;
    for (int i = 0; i < sql.size(); ++i) {
        if (sql.at(i) != QLatin1Char('\'')) {
            out += sql.at(i);
            continue;
        }
        int j = i + 1;
        for (;;) {
            if (j >= sql.size()) return out + QStringLiteral("<offen>");
            if (sql.at(j) == QLatin1Char('\'')) {
                if (j + 1 < sql.size() && sql.at(j + 1) == QLatin1Char('\'')) {
                    j += 2;
                    continue;
                }
                break;
            }
            ++j;
        }
        out += QStringLiteral("'?'");
        i = j;
    }
    return out;
}

// ---- typing -------------------------------------------------------------------

// Types the text into the line edit as a user would: one key press and
// release per character (a character outside the BMP, such as an emoji, as
// one key with both halves), carrying the character as text. QTest::keyClicks
// takes Latin-1 only. Beyond the first 200 characters the rest is pasted
// (typed key by key, 10,000 characters take seconds per box).
inline void tippen(QLineEdit* w, const QString& text) {
    constexpr int getippt = 200;
    w->setFocus();
    for (int i = 0; i < text.size(); ++i) {
        if (i >= getippt && !text.at(i).isLowSurrogate()) {
            w->insert(text.mid(i));
            break;
        }
        QString zeichen(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size()) zeichen += text.at(++i);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, zeichen);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, zeichen);
        QApplication::sendEvent(w, &release);
    }
}

// A search as the user makes it: the box emptied, the text typed, Enter.
inline void suchen(QLineEdit* box, const QString& text) {
    box->clear();
    tippen(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

}  // namespace feindlich
