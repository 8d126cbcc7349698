// Data protection benchmark: the list of old customer records over a school
// of N customers (two dogs each, a diary entry per dog, a participation per
// customer in one of 200 courses with ten dates each, and one consultation
// appointment per ten customers naming them), the access report of one
// customer (reading and JSON) and its erasure; beside them the raw read of
// the customers' numbers and dates with one plain statement.
//
//   bench_datenschutz build N PATH   create the database
//   bench_datenschutz MODE PATH      run one scenario, print its time
// MODE: raw (one plain select over KUNDEN) | alt (the old-records list,
// 3 years) | auskunft (everything about customer N/2, as JSON) | loeschen
// (scope, erasure of customer N/2 and the search of every text column for
// the name, then rolled back).
// Every scenario is its own process (bench/run_datenschutz.sh).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>

#include "data/datenschutz.h"
#include "data/schema.h"
#include "db/connection.h"
#include "db/field.h"
#include "db/statement.h"
#include "db/transaction.h"

namespace {

const char* const kNames[] = {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner",
                              "Becker", "Schulz", "Hoffmann", "Schäfer", "Koch", "Bauer", "Richter"};

QString name(int i) { return QString::fromUtf8(kNames[i % 14]) + QStringLiteral("x%1").arg(i % 997); }

void build(int n, const QString& path) {
    QFile::remove(path);
    schema::createDatabase(path);
    db::Connection c;
    c.setDatabaseName(path);
    c.open();
    db::Transaction* t = c.defaultTransaction();
    db::Statement k(&c, t), h(&c, t), b(&c, t), tn(&c, t), kt(&c, t), s(&c, t);
    for (int kurs = 1; kurs <= 200; ++kurs) {
        s.prepare(QStringLiteral("insert into kurse (kursnr, kursart, kursname) values (%1, 'We', 'Kurs %1')").arg(kurs));
        s.execute();
        for (int d = 0; d < 10; ++d) {
            kt.prepare("insert into kurstermine (kursnr, datum, thema) values (?, ?, ?)");
            kt.setParam(0, kurs);
            kt.setParam(1, db::makeDateTime(QDate(2016, 1, 1).addDays(kurs * 15 + d * 7)));
            kt.setParam(2, QStringLiteral("Termin %1").arg(d + 1));
            kt.execute();
        }
    }
    k.prepare("insert into kunden (kndnr, aufgenommen_am, name, vname, ort, tel, mobil) values (?,?,?,?,?,?,?)");
    h.prepare("insert into hunde (hundnr, kndnr, name, anamese_aufgenommen_am) values (?,?,?,?)");
    b.prepare("insert into hunde_tagebuch (hundnr, datum, geplant) values (?,?,?)");
    tn.prepare("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (?,?,?,?,'N')");
    kt.prepare("insert into kurstermine (kursnr, datum, thema, ort, kontakt) values (-1, ?, 'Beratung', ?, ?)");
    const QDateTime start = db::makeDateTime(QDate(2016, 1, 1));
    int dog = 0;
    for (int i = 1; i <= n; ++i) {
        const QDateTime am = start.addSecs(qint64(i) * 3000);
        k.setParam(0, i);
        k.setParam(1, am);
        k.setParam(2, name(i));
        k.setParam(3, QStringLiteral("Vorname%1").arg(i % 501));
        k.setParam(4, QStringLiteral("Kiel"));
        k.setParam(5, QStringLiteral("040/%1").arg(1000000 + i));
        k.setParam(6, QStringLiteral("0171/%1").arg(3000000 + i));
        k.execute();
        for (int j = 0; j < 2; ++j) {
            h.setParam(0, ++dog);
            h.setParam(1, i);
            h.setParam(2, QStringLiteral("Hund%1").arg(dog));
            h.setParam(3, am);
            h.execute();
            b.setParam(0, dog);
            b.setParam(1, am.addDays(30));
            b.setParam(2, QStringLiteral("Leine"));
            b.execute();
        }
        tn.setParam(0, i);
        tn.setParam(1, 1 + i % 200);
        tn.setParam(2, i);
        tn.setParam(3, dog);
        tn.execute();
        if (i % 10 == 0) {
            kt.setParam(0, am.addSecs(600));
            kt.setParam(1, name(i) + QStringLiteral(", 24103 Kiel"));
            kt.setParam(2, QStringLiteral("Tel:040/%1, 0171/%2").arg(1000000 + i).arg(3000000 + i));
            kt.execute();
        }
        if (i % 20000 == 0) t->commitRetaining();
    }
    t->commit();
    std::printf("built %d customers, %d dogs in %s\n", n, dog, qPrintable(path));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
    QDir().mkpath(qEnvironmentVariable("FIREBIRD_LOCK"));
    const QStringList a = app.arguments();
    if (a.size() >= 4 && a[1] == "build") {
        build(a[2].toInt(), a[3]);
        return 0;
    }
    if (a.size() < 3) {
        std::fprintf(stderr, "usage: bench_datenschutz build N PATH | raw|alt|auskunft|loeschen PATH\n");
        return 2;
    }
    db::Connection c;
    c.setDatabaseName(a[2]);
    c.open();
    db::Transaction* t = c.defaultTransaction();
    const int n = db::Statement(&c, t).scalar("select count(*) from kunden").toInt();
    const int kunde = n / 2;
    QElapsedTimer timer;
    timer.start();
    long result = 0;
    if (a[1] == "raw") {
        db::Statement s(&c, t);
        s.prepare("select kndnr, name, vname, ort, tel, mobil, aufgenommen_am from kunden");
        s.open();
        while (s.fetch()) ++result;
    } else if (a[1] == "alt") {
        result = datenschutz::alteKunden(&c, t, 3, QDate(2026, 12, 10)).size();
    } else if (a[1] == "auskunft") {
        result = datenschutz::auskunftJson(datenschutz::auskunftLesen(&c, t, kunde)).size();
    } else if (a[1] == "loeschen") {
        const auto u = datenschutz::umfangLesen(&c, t, kunde);
        QVector<QDateTime> termine;
        for (const auto& d : u.beratungstermine) termine << datenschutz::wert(d, "DATUM").toDateTime();
        datenschutz::loeschen(&c, t, kunde, termine);
        result = datenschutz::fundstellen(&c, t, datenschutz::wert(u.kunde, "NAME").toString()).size();
        t->rollback();
    } else {
        std::fprintf(stderr, "unknown mode\n");
        return 2;
    }
    std::printf("mode=%s n=%d result=%ld ms=%lld\n", qPrintable(a[1]), n, result, timer.elapsed());
    return 0;
}
