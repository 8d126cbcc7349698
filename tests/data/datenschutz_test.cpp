// What is stored about one customer: the JSON of the access report holds
// every stored value, the erasure leaves nothing of the customer and nothing
// else changed, and the list of customers without contact for years.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include "data/datenmodul.h"
#include "data/datenschutz.h"
#include "db/error.h"
#include "db/statement.h"
#include "testenv.h"
#include "testregistry.h"

using namespace db;

namespace {

void run(Tdm& m, const QString& text) {
    Statement s(m.idb.get(), m.ibt);
    s.prepare(text);
    s.execute();
}

QVector<QVector<QVariant>> rows(Tdm& m, const QString& sql) {
    Statement s(m.idb.get(), m.ibt);
    s.prepare(sql);
    s.open();
    QVector<QVector<QVariant>> out;
    while (s.fetch()) out.append(s.row());
    return out;
}

QStringList columns(Tdm& m, const QString& sql) {
    Statement s(m.idb.get(), m.ibt);
    s.prepare(sql);
    QStringList out;
    for (const ColumnInfo& c : s.columns()) out << c.name.toUpper();
    return out;
}

// Customer 1 "Quellhorst" with two dogs (one with the questionnaire filled
// in), diary rows, participations in two courses and two appointments that
// name her (by name, by telephone); customer 2 with a dog, a participation
// and an appointment of his own.
void schule(Tdm& m) {
    run(m, "insert into trainer (trainernr, kurzzeichen, name) values (1, \"AN\", \"Anna\")");
    run(m, "insert into kunden (kndnr, aufgenommen_am, anrede, vname, name, str, plz, ort, tel, mobil, fax, email, "
           "kommentar) values (1, \"03.02.2023 10:15\", \"Frau\", \"Sabine\", \"Quellhorst\", \"Lindenweg 4\", "
           "\"24103\", \"Kiel\", \"0431/556677\", \"0171/2233445\", \"0431/556678\", \"sq@example.de\", "
           "\"Zahlt \"\"immer\"\" bar; Ärger mit Nachbarn\")");
    run(m, "insert into kunden (kndnr, aufgenommen_am, anrede, vname, name, ort, tel) values (2, \"11.05.2023 16:40\", "
           "\"Herr\", \"Jörg\", \"Schröder\", \"Husum\", \"04841/9988\")");
    run(m, "insert into hunde (hundnr, kndnr, name, rasse, geschlecht, geburtsjahr, geboren_am, impfung, impfung_text, "
           "chipnr, herkunft, vorbesitzer, verhalten_leine_ruede, verhalten_garten_kinde, leine_besonderheiten, "
           "jagd_bei_sicht, anspringen_fremde, futteraufnahme, probleme, therapievorschlag, anamese_aufgenommen_am) "
           "values (1, 1, \"Balu\", \"Labrador Retriever\", \"Rüde\", 2020, \"01.01.2020\", \"J\", \"Tollwut 2024\", "
           "\"276098106543210\", \"Züchter VDH\", \"Familie Quellhorst-Berg\", \"ängstlich, dann agressiv\", "
           "\"freundlich\", \"zieht an der Leine\", \"J\", \"n\", \"hastig\", \"bellt\", \"Leinentraining\", "
           "\"03.02.2023 10:20\")");
    run(m, "insert into hunde (hundnr, kndnr, name, rasse, geschlecht, geburtsjahr) values (2, 1, \"Frieda\", "
           "\"Border Collie\", \"Hündin\", 2022)");
    run(m, "insert into hunde (hundnr, kndnr, name, rasse) values (3, 2, \"Rocky\", \"Schäferhund\")");
    run(m, "insert into hunde_tagebuch (hundnr, datum, terminart, geplant, durchgefuehrt, beurteilung, vorausplanung) "
           "values (1, \"10.03.2023\", \"Einzelstunde\", \"Leine\", \"Richtungswechsel\", \"gut\", \"Rückruf\")");
    run(m, "insert into hunde_tagebuch (hundnr, datum, terminart) values (1, \"24.03.2023\", \"Gruppenkurs\")");
    run(m, "insert into hunde_tagebuch (hundnr, datum, geplant) values (2, \"01.04.2023\", \"Sitz\")");
    run(m, "insert into hunde_tagebuch (hundnr, datum, geplant) values (3, \"02.04.2023\", \"Platz\")");
    run(m, "insert into kurse (kursnr, kursart, kursname, beschreibung, kursleiter, maxteilnehmer, anzahl_teilnehmer, "
           "gebuehr, status) values (1, \"We\", \"Welpen Mai\", \"für Welpen\", 1, 8, 6, 149.5, \"A\")");
    run(m, "insert into kurse (kursnr, kursart, kursname, gebuehr, status) values (2, \"Ag\", \"Agility\", 80, \"B\")");
    run(m, "insert into kurstermine (kursnr, datum, thema, uhrzeit, ort) values (1, \"05.05.2023\", \"Start\", "
           "\"05.05.2023 18:00\", \"Platz 1\")");
    run(m, "insert into kurstermine (kursnr, datum, thema) values (1, \"12.05.2023\", \"Sitz\")");
    run(m, "insert into kurstermine (kursnr, datum, thema) values (2, \"01.06.2023\", \"Tunnel\")");
    run(m, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt, kennzeichen, kommentar) values (1, 1, 1, 1, "
           "\"Ü\", \"K1\", \"kommt später\")");
    run(m, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (2, 2, 1, 2, \"N\")");
    run(m, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (3, 1, 2, 3, \"B\")");
    // Appointments: one naming her in the place, one with only her telephone,
    // one of the other customer, one that names nobody.
    run(m, "insert into kurstermine (kursnr, datum, thema, uhrzeit, ort, kontakt) values (-1, \"07.03.2023 10:00\", "
           "\"Beratung\", \"07.03.2023 10:00\", \"Quellhorst, 24103 Kiel\", \"Tel:0431/556677, 0171/2233445\")");
    run(m, "insert into kurstermine (kursnr, datum, thema, kontakt) values (-1, \"08.03.2023 11:00\", \"Rückruf\", "
           "\"Tel: 0171 2233445\")");
    run(m, "insert into kurstermine (kursnr, datum, thema, ort, kontakt) values (-1, \"09.03.2023 12:00\", "
           "\"Einzelstunde\", \"Schröder, 25813 Husum\", \"Tel:04841/9988, \")");
    run(m, "insert into kurstermine (kursnr, datum, thema, ort) values (-1, \"10.03.2023 12:00\", "
           "\"Quellhorster Weg\", \"Kiel\")");
}

// Every column of every row the SQL gives is in the JSON array, in order.
void gleicheZeilen(Tdm& m, const QString& tabelle, const QString& sql, const QJsonArray& json) {
    const auto r = rows(m, sql);
    const QStringList c = columns(m, sql);
    QCOMPARE(json.size(), r.size());
    for (int i = 0; i < r.size(); ++i) {
        const QJsonObject o = json[i].toObject();
        QCOMPARE(o.size(), c.size());
        for (int j = 0; j < c.size(); ++j) {
            const QJsonValue expected = QJsonValue::fromVariant(datenschutz::jsonWert(r[i][j]));
            QVERIFY2(o.value(c[j]) == expected,
                     qPrintable(tabelle + "." + c[j] + ": " + QJsonDocument(QJsonArray{o.value(c[j])}).toJson() +
                                " != " + QJsonDocument(QJsonArray{expected}).toJson()));
        }
    }
}

QJsonArray einzeln(const QJsonObject& o) { return QJsonArray{o}; }

// The rows of everyone but customer 1, as text, for comparing "before"
// and "after".
QStringList andere(Tdm& m) {
    const char* const teile[] = {
        "select * from kunden where kndnr <> 1",
        "select * from hunde where kndnr <> 1",
        "select * from hunde_tagebuch where hundnr not in (1, 2)",
        "select * from teilnehmer where kndnr <> 1",
        "select * from kurse",
        "select * from kurstermine where not (kursnr = -1 and datum < \"09.03.2023\")",
        "select * from trainer",
    };
    QStringList out;
    for (const char* sql : teile) {
        for (const auto& r : rows(m, QString::fromUtf8(sql))) {
            QStringList werte;
            for (const QVariant& v : r) werte << v.toString();
            out << QString::fromUtf8(sql) + QLatin1Char(':') + werte.join(QLatin1Char('|'));
        }
    }
    return out;
}

}  // namespace

class DatenschutzTest : public QObject {
    Q_OBJECT
private slots:
    void jsonHoldsEveryStoredValue() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        schule(m);

        const auto a = datenschutz::auskunftLesen(m.idb.get(), m.ibt, 1);
        const QByteArray bytes = datenschutz::auskunftJson(a);
        QJsonParseError fehler;
        const QJsonObject o = QJsonDocument::fromJson(bytes, &fehler).object();
        QCOMPARE(fehler.error, QJsonParseError::NoError);
        // UTF-8 as it is, umlauts and quotes included.
        QVERIFY(bytes.contains(QStringLiteral("Zahlt \\\"immer\\\" bar; Ärger mit Nachbarn").toUtf8()));

        gleicheZeilen(m, "KUNDEN", "select * from kunden where kndnr = 1", einzeln(o["kunde"].toObject()));
        const QJsonArray hunde = o["hunde"].toArray();
        QCOMPARE(hunde.size(), 2);
        QJsonArray hundDaten;
        for (const auto& h : hunde) hundDaten.append(h.toObject()["hund"]);
        gleicheZeilen(m, "HUNDE", "select * from hunde where kndnr = 1 order by hundnr", hundDaten);
        QCOMPARE(hundDaten[0].toObject().size(), 82);  // the whole questionnaire
        gleicheZeilen(m, "HUNDE_TAGEBUCH", "select * from hunde_tagebuch where hundnr = 1 order by datum",
                      hunde[0].toObject()["tagebuch"].toArray());
        gleicheZeilen(m, "HUNDE_TAGEBUCH", "select * from hunde_tagebuch where hundnr = 2 order by datum",
                      hunde[1].toObject()["tagebuch"].toArray());

        const QJsonArray teil = o["kursteilnahmen"].toArray();
        QCOMPARE(teil.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const QJsonObject t = teil[i].toObject();
            const int id = i + 1;
            gleicheZeilen(m, "TEILNEHMER", QStringLiteral("select * from teilnehmer where id = %1").arg(id),
                          einzeln(t["teilnahme"].toObject()));
            gleicheZeilen(m, "KURSE", QStringLiteral("select * from kurse where kursnr = %1").arg(id),
                          einzeln(t["kurs"].toObject()));
            gleicheZeilen(m, "KURSTERMINE",
                          QStringLiteral("select * from kurstermine where kursnr = %1 order by datum").arg(id),
                          t["termine"].toArray());
        }
        gleicheZeilen(m, "KURSTERMINE",
                      "select * from kurstermine where kursnr = -1 and datum < \"09.03.2023\" order by datum",
                      o["beratungstermine"].toArray());

        // A few values spelled out: the payment code, the fee, a date with
        // its time, the "n" the window writes, NULL.
        QCOMPARE(teil[0].toObject()["teilnahme"].toObject()["BEZAHLT"].toString(), QStringLiteral("Ü"));
        QCOMPARE(teil[0].toObject()["kurs"].toObject()["GEBUEHR"].toDouble(), 149.5);
        QCOMPARE(o["kunde"].toObject()["AUFGENOMMEN_AM"].toString(), QStringLiteral("2023-02-03T10:15:00"));
        QCOMPARE(hundDaten[0].toObject()["ANSPRINGEN_FREMDE"].toString(), QStringLiteral("n"));
        QVERIFY(hundDaten[1].toObject()["CHIPNR"].isNull());
        QVERIFY(!bytes.contains("Schröder"));
        QVERIFY(!bytes.contains("Rocky"));
        QVERIFY(!bytes.contains("Quellhorster Weg"));
    }

    // Which appointments name a customer: whole words of the surname in
    // topic, place or contact, or a telephone number in the contact.
    void appointmentsNamingTheCustomer_data() {
        QTest::addColumn<QString>("thema");
        QTest::addColumn<QString>("ort");
        QTest::addColumn<QString>("kontakt");
        QTest::addColumn<bool>("nennt");
        QTest::newRow("place as written") << "" << "Quellhorst, 24103 Kiel" << "" << true;
        QTest::newRow("topic, other case") << "Beratung QUELLHORST" << "" << "" << true;
        QTest::newRow("double name") << "" << "" << "Fam. Berg-Quellhorst" << true;
        QTest::newRow("part of a word") << "Quellhorster Weg" << "" << "" << false;
        QTest::newRow("telephone") << "" << "" << "Tel:0431/556677, " << true;
        QTest::newRow("mobile with blanks") << "" << "" << "Tel: 0171 2233445" << true;
        QTest::newRow("other number") << "" << "" << "Tel:0431/556670" << false;
        QTest::newRow("nothing") << "Welpen" << "Kiel" << "" << false;
    }
    void appointmentsNamingTheCustomer() {
        QFETCH(QString, thema);
        QFETCH(QString, ort);
        QFETCH(QString, kontakt);
        QFETCH(bool, nennt);
        const datenschutz::Datensatz kunde{{"NAME", "Quellhorst"}, {"TEL", "0431/556677"}, {"MOBIL", "0171/2233445"}};
        const datenschutz::Datensatz termin{{"THEMA", thema}, {"ORT", ort}, {"KONTAKT", kontakt}};
        QCOMPARE(datenschutz::nenntKunden(kunde, termin), nennt);
    }

    void erasureLeavesNothingOfTheCustomer() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        schule(m);
        m.ibt->commit();

        const auto u = datenschutz::umfangLesen(m.idb.get(), m.ibt, 1);
        QCOMPARE(u.hunde, 2);
        QCOMPARE(u.tagebuch, 3);
        QCOMPARE(u.teilnahmen, 2);
        QCOMPARE(u.beratungstermine.size(), 2);
        const QStringList vorher = andere(m);
        QCOMPARE(vorher.size(), 1 + 1 + 1 + 1 + 3 + 5 + 1);

        QVector<QDateTime> termine;
        for (const auto& t : u.beratungstermine) termine << datenschutz::wert(t, "DATUM").toDateTime();
        datenschutz::loeschen(m.idb.get(), m.ibt, 1, termine);
        m.ibt->commit();

        // No row of hers and no text with her name, her first name or her numbers.
        QCOMPARE(rows(m, "select count(*) from kunden where kndnr = 1")[0][0].toInt(), 0);
        QCOMPARE(rows(m, "select count(*) from hunde where kndnr = 1")[0][0].toInt(), 0);
        QCOMPARE(rows(m, "select count(*) from hunde_tagebuch where hundnr in (1, 2)")[0][0].toInt(), 0);
        QCOMPARE(rows(m, "select count(*) from teilnehmer where kndnr = 1 or hundnr in (1, 2)")[0][0].toInt(), 0);
        for (const char* text : {"Sabine", "556677", "2233445", "sq@example"})
            QVERIFY2(datenschutz::fundstellen(m.idb.get(), m.ibt, QString::fromUtf8(text)).isEmpty(), text);
        // A longer text is searched whole, also in one-character columns
        // holding "B" (payment code, course status).
        QVERIFY(datenschutz::fundstellen(m.idb.get(), m.ibt, "Bxyz").isEmpty());
        QCOMPARE(datenschutz::fundstellen(m.idb.get(), m.ibt, "Agility").size(), 1);
        // The name itself is left only where the user's appointment named a
        // street, which is no appointment of hers.
        const auto rest = datenschutz::fundstellen(m.idb.get(), m.ibt, "Quellhorst");
        QCOMPARE(rest.size(), 1);
        QCOMPARE(rest[0].tabelle + "." + rest[0].spalte, QStringLiteral("KURSTERMINE.THEMA"));
        // Everything else as it was: the other customer, his dog, diary,
        // participation and appointment, the courses with their dates.
        QCOMPARE(andere(m), vorher);
    }

    // Her dog entered in a course under another customer's number: the
    // erasure takes that participation too, and only that one of his.
    void erasureTakesHerDogsParticipationsUnderAnotherName() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        schule(m);
        run(m, "insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (4, 2, 2, 1, \"N\")");
        m.ibt->commit();
        QCOMPARE(datenschutz::umfangLesen(m.idb.get(), m.ibt, 1).teilnahmen, 3);
        datenschutz::loeschen(m.idb.get(), m.ibt, 1, {});
        m.ibt->commit();
        QCOMPARE(rows(m, "select count(*) from teilnehmer where hundnr in (1, 2)")[0][0].toInt(), 0);
        QCOMPARE(rows(m, "select id from teilnehmer where kndnr = 2")[0][0].toInt(), 3);
        QCOMPARE(rows(m, "select count(*) from teilnehmer")[0][0].toInt(), 1);
    }

    void erasureKeepsTheAppointmentsTheUserKeeps() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        schule(m);
        datenschutz::loeschen(m.idb.get(), m.ibt, 1, {});
        QCOMPARE(rows(m, "select count(*) from kurstermine where kursnr = -1")[0][0].toInt(), 4);
        // A customer that is not there.
        for (int nr : {1, 99}) {
            bool geworfen = false;
            try {
                datenschutz::loeschen(m.idb.get(), m.ibt, nr, {});
            } catch (const db::Error& e) {
                geworfen = e.message().contains("gibt es nicht");
            }
            QVERIFY(geworfen);
        }
    }

    // Customers on both sides of the limit (today 10.12.2026, 3 years: the
    // limit is 10.12.2023, a contact on that day is recent).
    void oldRecords() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into kurse (kursnr, kursart, kursname) values (1, \"Ag\", \"Agility\")");
        run(m, "insert into kurstermine (kursnr, datum) values (1, \"01.03.2024\")");
        run(m, "insert into kurse (kursnr, kursart, kursname) values (2, \"We\", \"Welpen\")");
        run(m, "insert into kurstermine (kursnr, datum) values (2, \"01.03.2021\")");
        struct K {
            int nr;
            const char* name;
            const char* aufgenommen;
        };
        const K kunden[] = {{1, "Vorgestern", "09.12.2023 23:59"}, {2, "Grenztag", "10.12.2023"},
                            {3, "Tagebuch", "01.01.2019"},         {4, "Kurs", "01.01.2019"},
                            {5, "Beratung", "01.01.2019"},          {6, "Altberatung", "01.01.2019"},
                            {7, "Ohnedatum", nullptr},              {8, "Anamnese", "01.01.2019"},
                            {9, "Altkurs", "01.01.2019"}};
        for (const K& k : kunden)
            run(m, QStringLiteral("insert into kunden (kndnr, name, aufgenommen_am) values (%1, \"%2\", %3)")
                       .arg(k.nr)
                       .arg(QLatin1String(k.name))
                       .arg(k.aufgenommen ? QStringLiteral("\"%1\"").arg(QLatin1String(k.aufgenommen))
                                          : QStringLiteral("null")));
        run(m, "insert into hunde (hundnr, kndnr, name) values (3, 3, \"A\")");
        run(m, "insert into hunde_tagebuch (hundnr, datum) values (3, \"05.05.2025\")");
        run(m, "insert into hunde (hundnr, kndnr, name) values (4, 4, \"B\")");
        run(m, "insert into teilnehmer (id, kursnr, kndnr, hundnr) values (1, 1, 4, 4)");
        run(m, "insert into hunde (hundnr, kndnr, name) values (9, 9, \"C\")");
        run(m, "insert into teilnehmer (id, kursnr, kndnr, hundnr) values (2, 2, 9, 9)");
        run(m, "insert into hunde (hundnr, kndnr, name, anamese_aufgenommen_am) values (8, 8, \"D\", \"11.12.2023\")");
        run(m, "insert into kurstermine (kursnr, datum, ort) values (-1, \"02.02.2024 10:00\", \"Beratung, Kiel\")");
        run(m, "insert into kurstermine (kursnr, datum, ort) values (-1, \"02.02.2022 10:00\", \"Altberatung, Kiel\")");

        auto nummern = [&](int jahre) {
            QList<int> out;
            for (const auto& k : datenschutz::alteKunden(m.idb.get(), m.ibt, jahre, QDate(2026, 12, 10)))
                out << k.kndnr;
            return out;
        };
        // Without any date first, then the oldest contact first.
        QCOMPARE(nummern(3), (QList<int>{7, 9, 6, 1}));
        const auto liste = datenschutz::alteKunden(m.idb.get(), m.ibt, 3, QDate(2026, 12, 10));
        QCOMPARE(liste[1].letzterKontakt, db::makeDateTime(QDate(2021, 3, 1)));
        QCOMPARE(liste[2].letzterKontakt, db::makeDateTime(QDate(2022, 2, 2), QTime(10, 0)));
        // Ten years back only the customer without any date is left.
        QCOMPARE(nummern(10), (QList<int>{7}));
        QCOMPARE(nummern(1).size(), 9);
    }
};

KYN_TEST(DatenschutzTest)
#include "datenschutz_test.moc"
