// Dataset engine benchmark: a database of N customers with one or two dogs
// each; the customer table's first screen and the customer search, each
// against the same work done with plain prepared statements.
//
//   bench_dataset build N PATH        create the database
//   bench_dataset MODE PATH           run one scenario, print time and peak memory
// MODE: open | search (through the data module's ibt_kunde, which counts the
// customers after opening) | table-open | table-search (the engine's table
// alone) | plain-open | plain-search (prepared statements)
// Every scenario is its own process (bench/run_dataset.sh), so the figures
// are whole-process figures.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "data/datenmodul.h"
#include "data/schema.h"
#include "db/statement.h"

namespace {

long peakKb() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

const char* const kNames[] = {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner",
                              "Becker", "Schulz", "Hoffmann", "Schäfer", "Koch", "Bauer", "Richter"};
const char* const kTowns[] = {"Hamburg", "München", "Köln", "Frankfurt", "Stuttgart", "Düsseldorf",
                              "Leipzig", "Dortmund", "Essen", "Bremen"};

void build(int n, const QString& path) {
    QFile::remove(path);
    schema::createDatabase(path);
    db::Connection c;
    c.setDatabaseName(path);
    c.open();
    db::Transaction* t = c.defaultTransaction();
    db::Statement k(&c, t), h(&c, t);
    k.prepare("insert into kunden (kndnr, aufgenommen_am, name, vname, plz, ort, str, anrede, tel, email, kommentar) "
              "values (?,?,?,?,?,?,?,?,?,?,?)");
    h.prepare("insert into hunde (hundnr, kndnr, name, rasse, anamese_aufgenommen_am) values (?,?,?,?,?)");
    int dog = 0;
    QDateTime when = db::makeDateTime(QDate(2020, 1, 1));
    for (int i = 1; i <= n; ++i) {
        k.setParam(0, i);
        k.setParam(1, when.addSecs(i * 60));
        k.setParam(2, QString::fromUtf8(kNames[i % 14]) + QString::number(i % 97));
        k.setParam(3, QString("Vorname%1").arg(i % 501));
        k.setParam(4, QString::number(10000 + i % 89999));
        k.setParam(5, QString::fromUtf8(kTowns[i % 10]));
        k.setParam(6, QString("Hauptstraße %1").arg(i % 200));
        k.setParam(7, i % 2 ? QString("Frau") : QString("Herr"));
        k.setParam(8, QString("040/%1").arg(1000000 + i));
        k.setParam(9, QString("kunde%1@example.de").arg(i));
        k.setParam(10, QString("Kommentar zu Kunde %1").arg(i));
        k.execute();
        for (int j = 0; j < 1 + i % 2; ++j) {
            h.setParam(0, ++dog);
            h.setParam(1, i);
            h.setParam(2, QString("Hund%1").arg(dog));
            h.setParam(3, QString("Mischling"));
            h.setParam(4, when);
            h.execute();
        }
        if (i % 20000 == 0) t->commitRetaining();
    }
    t->commit();
    std::printf("built %d customers, %d dogs in %s\n", n, dog, qPrintable(path));
}

// The customer search's condition for a search text (as the customer window
// builds it: eleven LIKE tests over the upper-cased columns).
QString searchCondition(const QString& u) {
    const char* cols[] = {"name", "vname", "plz", "ort", "str", "anrede", "tel", "mobil", "fax", "email", "kommentar"};
    QString c;
    for (int i = 0; i < 11; ++i)
        c += QString(i ? " or upper(%1) like '%" : "upper(%1) like '%").arg(cols[i]) + u + "%'";
    return c;
}

const int kScreen = 50;
const QString kSearch = QStringLiteral("MÜLLER4");

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
    QDir().mkpath(qEnvironmentVariable("FIREBIRD_LOCK"));
    QStringList a = app.arguments();
    if (a.size() >= 4 && a[1] == "build") {
        build(a[2].toInt(), a[3]);
        return 0;
    }
    if (a.size() < 3) {
        std::fprintf(stderr, "usage: bench_dataset build N PATH | MODE PATH\n");
        return 2;
    }
    QString mode = a[1], path = a[2];
    QElapsedTimer timer;
    int rows = 0;
    if (mode == "open" || mode == "search") {
        Tdm m;
        m.connectTo(path);
        timer.start();
        if (mode == "search") {
            m.ibt_kunde->setFilter(searchCondition(kSearch));
            m.ibt_kunde->setFiltered(true);
        }
        m.ibt_kunde->open();
        for (; rows < kScreen && !m.ibt_kunde->eof(); ++rows) {
            m.ibt_kunde->fieldByName("NAME")->asString();
            m.ibt_kunde->next();
        }
    } else if (mode == "table-open" || mode == "table-search") {
        db::Connection c;
        c.setDatabaseName(path);
        c.open();
        db::Table t(&c, c.defaultTransaction(), "KUNDEN");
        timer.start();
        if (mode == "table-search") {
            t.setFilter(searchCondition(kSearch));
            t.setFiltered(true);
        }
        t.open();
        for (; rows < kScreen && !t.eof(); ++rows) {
            t.fieldByName("NAME")->asString();
            t.next();
        }
    } else if (mode == "plain-open" || mode == "plain-search") {
        db::Connection c;
        c.setDatabaseName(path);
        c.open();
        db::Statement s(&c, c.defaultTransaction());
        timer.start();
        QString sql = "select * from kunden";
        if (mode == "plain-search") sql += " where (" + searchCondition(kSearch) + ")";
        s.prepare(sql);
        s.open();
        while (rows < kScreen && s.fetch()) {
            s.row();
            ++rows;
        }
        s.close();
    } else {
        std::fprintf(stderr, "unknown mode %s\n", qPrintable(mode));
        return 2;
    }
    double ms = timer.nsecsElapsed() / 1e6;
    std::printf("%-13s rows=%d time_ms=%.2f peak_kb=%ld\n", qPrintable(mode), rows, ms, peakKb());
    return 0;
}
