// The customer and dog search conditions: the exact texts, and that every
// text - hostile ones included - runs on a real database without an error
// and finds the right rows.
#include <QTest>
#include <memory>

#include "data/kundensuche.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "testenv.h"
#include "testregistry.h"

using namespace db;

namespace {

void exec(Tdm& m, const QString& text) {
    Statement s(m.idb.get(), m.ibt);
    s.prepare(text);
    s.execute();
}

struct Kunde {
    int nr;
    const char *name, *vname, *tel, *kommentar;
};

// Customers whose columns make each search case tell a clear story.
const Kunde kKunden[] = {
    {1, "Müller", "Hans", "040/5550", "100% zuverlässig"},
    {12, "O'Brien", "Sean", "0171/777", "Test -- Kommentar"},
    {112, "Schmidt", "Anna", "089/3", "a_b"},
    {1200, "Weber", "Jörg", "030/4", "sagt \"Hallo\"; tschüss"},
    {7, "Meyer", "Eva", "0221/8", "axb"},
    {8, "Stöber", "Till", "06221/9", "Preis 5 € "},
};

void fillCustomers(Tdm& m) {
    Statement s(m.idb.get(), m.ibt);
    s.prepare("insert into kunden (kndnr, name, vname, tel, kommentar, ort) values (?,?,?,?,?,?)");
    for (const Kunde& k : kKunden) {
        s.setParam(0, k.nr);
        s.setParam(1, QString::fromUtf8(k.name));
        s.setParam(2, QString::fromUtf8(k.vname));
        s.setParam(3, QString::fromUtf8(k.tel));
        s.setParam(4, QString::fromUtf8(k.kommentar));
        s.setParam(5, QStringLiteral("Kiel"));
        s.execute();
    }
}

QList<int> numbers(Dataset* d, const char* column) {
    QList<int> out;
    d->first();
    while (!d->eof()) {
        out << d->fieldByName(QString::fromLatin1(column))->asInteger();
        d->next();
    }
    std::sort(out.begin(), out.end());
    return out;
}

const QList<int> kAlle{1, 7, 8, 12, 112, 1200};

}  // namespace

class KundensucheTest : public QObject {
    Q_OBJECT
    // One database for all rows of the search tables (they only read).
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<Tdm> m_dm;

private slots:
    void initTestCase() {
        m_env = std::make_unique<TestEnv>();
        m_env->createDatabase();
        m_dm = std::make_unique<Tdm>();
        m_dm->connectTo(m_env->databasePath());
        Tdm& m = *m_dm;
        fillCustomers(m);
        exec(m, "insert into hunde (hundnr, kndnr, name, geschlecht, geburtsjahr, chipnr) values "
                "(1, 1, \"Rex\", \"Rüde\", 2005, \"111\")");
        exec(m, "insert into hunde (hundnr, kndnr, name, geburtsjahr, chipnr) values (2, 1, \"Luna\", 2010, "
                "\"ABC123\")");
        exec(m, "insert into hunde (hundnr, kndnr, name, geschlecht, geburtsjahr, chipnr) values "
                "(3, 1, \"Bello\", \"Rüde\", 2011, \"2762005\")");
        exec(m, "insert into hunde (hundnr, kndnr, name, zwingername, chipnr) values (4, 1, \"Aramis\", "
                "\"vom D'Artagnan\", \"abc123\")");
        m.ibt_kunde->open();
        m.ibt_hunde->open();
    }
    void cleanupTestCase() {
        m_dm.reset();
        m_env.reset();
    }

    void upperCaseAsTheDatabase() {
        QCOMPARE(suchtext_gross(QStringLiteral("müller straße 5 ärger é z")),
                 QStringLiteral("MÜLLER STRAßE 5 ÄRGER É Z"));
    }

    void wholeNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("zahl");
        QTest::newRow("digits") << "12" << true;
        QTest::newRow("leading zeros") << "0012" << true;
        QTest::newRow("minus") << "-5" << true;
        QTest::newRow("plus") << "+5" << true;
        QTest::newRow("sign only") << "-" << false;
        QTest::newRow("blank inside") << "1 2" << false;
        QTest::newRow("leading blank") << " 12" << false;
        QTest::newRow("decimal") << "1.5" << false;
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("١٢") << false;
        QTest::newRow("very long") << QString(40, QLatin1Char('9')) << true;
    }
    void wholeNumbers() {
        QFETCH(QString, text);
        QFETCH(bool, zahl);
        QCOMPARE(suchtext_ist_zahl(text), zahl);
    }

    // The exact condition texts of the customer search.
    void customerConditionText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bedingung");
        auto textual = [](const QString& u) {
            const char* cols[] = {"name", "vname", "plz", "ort", "str", "anrede",
                                  "tel", "mobil", "fax", "email", "kommentar"};
            QString c;
            for (int i = 0; i < 11; ++i)
                c += QString(i ? " or upper(%1) like '%" : "upper(%1) like '%").arg(cols[i]) + u + "%'";
            return c;
        };
        QTest::newRow("empty: filter off") << "" << "";
        QTest::newRow("mü") << QString::fromUtf8("mü")
                            << QString::fromUtf8(
                                   "upper(name) like '%MÜ%' or upper(vname) like '%MÜ%' or upper(plz) like "
                                   "'%MÜ%' or upper(ort) like '%MÜ%' or upper(str) like '%MÜ%' or "
                                   "upper(anrede) like '%MÜ%' or upper(tel) like '%MÜ%' or upper(mobil) like "
                                   "'%MÜ%' or upper(fax) like '%MÜ%' or upper(email) like '%MÜ%' or "
                                   "upper(kommentar) like '%MÜ%'");
        QTest::newRow("12") << "12" << "kndnr like '%12%' or " + textual("12");
        QTest::newRow("-7") << "-7" << "kndnr like '%-7%' or " + textual("-7");
        QTest::newRow("blanks") << "   " << textual("   ");
        QTest::newRow("apostrophe") << "o'brien" << textual("O''BRIEN");
        QTest::newRow("injection") << "x' or 1=1 --" << textual("X'' OR 1=1 --");
        QTest::newRow("percent and underscore") << "a_b%" << textual("A_B%");
        QTest::newRow("double quotes, semicolon")
            << "\"hallo\"; drop table kunden" << textual("\"HALLO\"; DROP TABLE KUNDEN");
        QTest::newRow("cyrillic") << QString::fromUtf8("Жучка") << "1=0";
        QTest::newRow("emoji") << QString::fromUtf8("Rex 🐕") << "1=0";
        QTest::newRow("501 letters") << QString(501, QLatin1Char('a')) << "1=0";
        QTest::newRow("500 letters") << QString(500, QLatin1Char('a')) << textual(QString(500, QLatin1Char('A')));
        QTest::newRow("5000 percent signs, joined")
            << QString(5000, QLatin1Char('%')) + "x" << textual("%X");
    }
    void customerConditionText() {
        QFETCH(QString, text);
        QFETCH(QString, bedingung);
        QCOMPARE(kundensuche_bedingung(text), bedingung);
    }

    void dogConditionText() {
        QCOMPARE(hundesuche_bedingung("abc"),
                 QString("upper(name) like '%ABC%' or upper(rasse) like '%ABC%' or upper(geschlecht) like "
                         "'%ABC%' or chipnr like '%ABC%' or haftpflichtnr like '%ABC%' or upper(herkunft) like "
                         "'%ABC%' or upper(zwingername) like '%ABC%' or upper(vorbesitzer) like '%ABC%' or "
                         "upper(futter) like '%ABC%' or upper(kommentar) like '%ABC%' or upper(probleme) like "
                         "'%ABC%'"));
        QCOMPARE(hundesuche_bedingung("2005"),
                 QString("geburtsjahr like '%2005%' or upper(name) like '%2005%' or upper(rasse) like '%2005%' "
                         "or upper(geschlecht) like '%2005%' or chipnr like '%2005%' or haftpflichtnr like "
                         "'%2005%' or upper(herkunft) like '%2005%' or upper(zwingername) like '%2005%' or "
                         "upper(vorbesitzer) like '%2005%' or upper(futter) like '%2005%' or upper(kommentar) "
                         "like '%2005%' or upper(probleme) like '%2005%'"));
        QCOMPARE(hundesuche_bedingung(""), QString());
        QCOMPARE(hundesuche_bedingung("d'Artagnan"), hundesuche_bedingung("D'ARTAGNAN"));
        QVERIFY(hundesuche_bedingung("d'Artagnan").contains("'%D''ARTAGNAN%'"));
    }

    // Every text runs as the filter of the shared customer table: no
    // database error, the table stays open, and the right customers are found.
    void customerSearchOnDatabase_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("gefunden");
        // The database upper-cases umlauts in the columns (UPPER of WIN1252
        // gives "MÜLLER"), and the search text the same way: an umlaut finds
        // the customer in either case.
        QTest::newRow("mü") << QString::fromUtf8("mü") << QList<int>{1};
        QTest::newRow("MÜ") << QString::fromUtf8("MÜ") << QList<int>{1};
        QTest::newRow("12 by number and text") << "12" << QList<int>{12, 112, 1200};
        QTest::newRow("0012: no number") << "0012" << QList<int>{};
        QTest::newRow("22 in telephone") << "22" << QList<int>{7, 8};
        QTest::newRow("O'Brien") << "O'Brien" << QList<int>{12};
        QTest::newRow("lone apostrophe") << "'" << QList<int>{12};
        QTest::newRow("injection") << "' or 1=1 --" << QList<int>{};
        QTest::newRow("injection 2") << "x') or ('1'='1" << QList<int>{};
        QTest::newRow("comment dashes") << "--" << QList<int>{12};
        QTest::newRow("percent matches all") << "%" << kAlle;
        QTest::newRow("underscore one char") << "a_b" << QList<int>{7, 112};
        QTest::newRow("semicolon") << ";" << QList<int>{1200};
        QTest::newRow("double quotes") << "\"hallo\"" << QList<int>{1200};
        QTest::newRow("parameter-like") << ":name" << QList<int>{};
        QTest::newRow("question mark") << "?" << QList<int>{};
        QTest::newRow("backslash") << "\\" << QList<int>{};
        QTest::newRow("euro sign") << QString::fromUtf8("5 €") << QList<int>{8};
        QTest::newRow("umlaut lower") << QString::fromUtf8("ö") << QList<int>{8, 1200};
        QTest::newRow("umlaut upper") << QString::fromUtf8("Ö") << QList<int>{8, 1200};
        QTest::newRow("cyrillic") << QString::fromUtf8("Жучка") << QList<int>{};
        QTest::newRow("chinese") << QString::fromUtf8("狗") << QList<int>{};
        QTest::newRow("emoji") << QString::fromUtf8("🐕") << QList<int>{};
        QTest::newRow("tab") << "\t" << QList<int>{};
        QTest::newRow("10000 letters") << QString(10000, QLatin1Char('m')) << QList<int>{};
        QTest::newRow("10000 percent and MÜ") << QString(10000, QLatin1Char('%')) + QString::fromUtf8("MÜ")
                                              << QList<int>{1};
        QTest::newRow("10000 apostrophes") << QString(10000, QLatin1Char('\'')) << QList<int>{};
        QTest::newRow("500 apostrophes") << QString(500, QLatin1Char('\'')) << QList<int>{};
    }
    void customerSearchOnDatabase() {
        QFETCH(QString, text);
        QFETCH(QList<int>, gefunden);
        Tdm& m = *m_dm;
        m.ibt_kunde->setFilter(kundensuche_bedingung(text));
        m.ibt_kunde->setFiltered(true);
        QVERIFY(m.ibt_kunde->isActive());
        QCOMPARE(numbers(m.ibt_kunde, "KNDNR"), gefunden);
        // The table is still usable: switching the filter off shows everyone.
        m.ibt_kunde->setFiltered(false);
        QCOMPARE(numbers(m.ibt_kunde, "KNDNR"), kAlle);
    }

    void dogSearchOnDatabase_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("gefunden");
        QTest::newRow("2005: year and chip") << "2005" << QList<int>{1, 3};
        QTest::newRow("abc: stored upper case only") << "abc" << QList<int>{2};
        QTest::newRow("apostrophe") << "d'art" << QList<int>{4};
        QTest::newRow("rüde") << QString::fromUtf8("rüde") << QList<int>{1, 3};
        QTest::newRow("RÜDE") << QString::fromUtf8("RÜDE") << QList<int>{1, 3};
        QTest::newRow("non-latin") << QString::fromUtf8("Шарик") << QList<int>{};
    }
    void dogSearchOnDatabase() {
        QFETCH(QString, text);
        QFETCH(QList<int>, gefunden);
        Tdm& m = *m_dm;
        m.ibt_hunde->setFilter(hundesuche_bedingung(text));
        m.ibt_hunde->setFiltered(true);
        QVERIFY(m.ibt_hunde->isActive());
        QCOMPARE(numbers(m.ibt_hunde, "HUNDNR"), gefunden);
    }
};

KYN_TEST(KundensucheTest)
#include "kundensuche_test.moc"
