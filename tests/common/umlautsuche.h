#pragma once
// Search texts with umlauts and other letters of the code page against
// stored names, shared by the tests of the four search boxes (customers,
// dogs, consultations, add-participant dialog).
//
// Every name is stored twice: as the surname of customer n and as the name
// of that customer's dog n, so each box finds the same names. The table
// says which names a text finds, whatever the case the user types in.
#include <QList>
#include <QString>
#include <QStringList>
#include <QTest>

#include "db/statement.h"

namespace umlautsuche {

inline const QStringList& namen() {
    static const QStringList n{
        QString::fromUtf8("Müller"), QString::fromUtf8("Muller"), QString::fromUtf8("Schäfer"),
        QString::fromUtf8("Strauß"), QString::fromUtf8("Ærø"),    QString::fromUtf8("Šárka"),
        QString::fromUtf8("Œuvre"),  QString::fromUtf8("Ÿvonne"), QString::fromUtf8("Jörg"),
        QString::fromUtf8("µ-Hund"),
    };
    return n;
}

// Column "text" and column "gefunden" (the names found, sorted).
inline void texte() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("gefunden");
    auto zeile = [](const char* text, QStringList gefunden) {
        gefunden.sort();
        QTest::newRow(text) << QString::fromUtf8(text) << gefunden;
    };
    const QString mueller = QString::fromUtf8("Müller");
    const QString schaefer = QString::fromUtf8("Schäfer");
    const QString strauss = QString::fromUtf8("Strauß");
    zeile("müller", {mueller});
    zeile("Müller", {mueller});
    zeile("MÜLLER", {mueller});
    zeile("mÜl", {mueller});
    zeile("ü", {mueller});
    zeile("muller", {QStringLiteral("Muller")});
    zeile("u", {QStringLiteral("Muller"), strauss, QString::fromUtf8("Œuvre"), QString::fromUtf8("µ-Hund")});
    zeile("schäfer", {schaefer});
    zeile("SCHÄFER", {schaefer});
    zeile("jörg", {QString::fromUtf8("Jörg")});
    zeile("ö", {QString::fromUtf8("Jörg")});
    zeile("ß", {strauss});
    zeile("strauß", {strauss});
    zeile("STRAUß", {strauss});
    zeile("ss", {});
    zeile("ærø", {QString::fromUtf8("Ærø")});
    zeile("ÆRØ", {QString::fromUtf8("Ærø")});
    zeile("šárka", {QString::fromUtf8("Šárka")});
    zeile("œuvre", {QString::fromUtf8("Œuvre")});
    zeile("ÿvonne", {QString::fromUtf8("Ÿvonne")});
    zeile("µ-hund", {QString::fromUtf8("µ-Hund")});
}

// Customer n (from 1) with the surname namen()[n-1] and the dog n of the
// same name.
inline void einfuegen(db::Connection* c, db::Transaction* t) {
    db::Statement k(c, t);
    k.prepare(QStringLiteral("insert into kunden (kndnr, name) values (?, ?)"));
    db::Statement h(c, t);
    h.prepare(QStringLiteral("insert into hunde (hundnr, kndnr, name) values (?, ?, ?)"));
    for (int i = 0; i < namen().size(); ++i) {
        k.setParam(0, i + 1);
        k.setParam(1, namen().at(i));
        k.execute();
        h.setParam(0, i + 1);
        h.setParam(1, i + 1);
        h.setParam(2, namen().at(i));
        h.execute();
    }
}

}  // namespace umlautsuche
