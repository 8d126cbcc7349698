#pragma once
// The search conditions of the customer and dog search boxes.
//
// A search text T becomes a chain of LIKE tests that the database evaluates
// as the WHERE of the searched table: each test is its opening piece, the
// text and "%'". The text is upper-cased (U) exactly as the database's
// upper() does it for the stored columns, umlauts included, so that "müller",
// "Müller" and "MÜLLER" all find Müller. When T is a whole number the chain
// starts with a test on the record's number column with T as typed.
//
//   kundensuche_bedingung("mü")  -> upper(name) like '%MÜ%' or upper(vname) like '%MÜ%' or ...
//   kundensuche_bedingung("12")  -> kndnr like '%12%' or upper(name) like '%12%' or ...
//
// The text is always one SQL string literal: every apostrophe is doubled, so
// "O'Brien" finds O'Brien and no text can change the statement. "%" and "_"
// keep their LIKE meaning. A text that cannot be found at all - characters
// the WIN1252 database cannot hold, or more characters than the longest
// searched column - gives the condition "1=0" (the search finds nothing,
// no database error).
#include <QList>
#include <QString>

// The longest column any of the searches looks at (KUNDEN.KOMMENTAR,
// HUNDE.KOMMENTAR and HUNDE.PROBLEME are VARCHAR(500)).
inline constexpr int suchtext_max_spaltenlaenge = 500;

// The condition that finds nothing.
inline constexpr char suchbedingung_nichts[] = "1=0";

// T upper-cased as the database's upper() does it (db::win1252Upper): a to z,
// ä, ö, ü and the other letters of the code page; ß, digits and punctuation
// stay unchanged.
QString suchtext_gross(const QString& text);

// Whether T is a whole number: decimal digits with an optional leading sign.
bool suchtext_ist_zahl(const QString& text);

// Whether T can match anything: every character exists in WIN1252 and the
// characters that need a character of their own (all but "%") are no more
// than the longest searched column.
bool suchtext_zulaessig(const QString& text);

// T ready to stand between the apostrophes of a LIKE pattern: apostrophes
// doubled. A text longer than the longest column has its runs of "%" joined
// into one (same meaning, shorter statement).
QString suchtext_muster(const QString& text);

// One LIKE test: its opening piece ("upper(name) like '%", " or upper(vname)
// like '%") and whether it takes the text as typed (number columns) or
// upper-cased.
struct Suchtest {
    QString oeffnung;
    bool wie_getippt = false;
};

// Joins the tests for T: opening piece, the (escaped) text, "%'". Returns
// suchbedingung_nichts when T cannot match anything.
QString suchkette(const QString& text, const QList<Suchtest>& tests);

// The customer search over KUNDEN; empty for an empty text (filter off).
QString kundensuche_bedingung(const QString& text);

// The dog search over HUNDE; empty for an empty text (filter off).
QString hundesuche_bedingung(const QString& text);
