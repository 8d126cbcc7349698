// Customer search benchmark: Enter in the search box of the real customer
// window (offscreen) until the grid has painted its first rows, against the
// same SELECT through plain client calls (prepare, open, fetch 50 rows).
//
//   bench_customersearch build N PATH          create the database (N customers, one or two dogs each)
//   bench_customersearch window PATH TEXT      the window: Enter in suchtext_kunde, grid painted
//   bench_customersearch plain PATH TEXT       db::Statement on "select * from KUNDEN where (condition)"
//
// Each run prints the time of the first search of the process and the
// median of further searches in the same process (alternating with another
// text, so that every search reloads). bench/run_customersearch.sh runs each
// mode as its own process several times.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "customers/kundenstamm.h"
#include "data/kundensuche.h"
#include "data/datenmodul.h"
#include "data/schema.h"
#include "db/statement.h"
#include "widgets/dbgrid.h"

namespace {

const char* const kNames[] = {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner",
                              "Becker", "Schulz", "Hoffmann", "Schäfer", "Koch", "Bauer", "Richter"};
const char* const kTowns[] = {"Hamburg", "München", "Köln", "Frankfurt", "Stuttgart", "Düsseldorf",
                              "Leipzig", "Dortmund", "Essen", "Bremen"};

// The same data as bench_dataset's generator.
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

const int kScreen = 50;
// A second text for the repeated searches: every search changes the filter.
const QString kOther = QStringLiteral("vorname7");
const int kRepeats = qEnvironmentVariableIntValue("BENCH_REPEATS") > 0 ? qEnvironmentVariableIntValue("BENCH_REPEATS") : 7;

// CPU time of the whole process (all threads, the embedded engine's
// included), in ms: less disturbed by other programs on a busy machine
// than the wall clock.
double cpuMs() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Zeit {
    double wand = 0, cpu = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Enter in the search box, then the grid paints; returns ms and the rows shown.
Zeit windowSearch(Tfrm_kunden& w, const QString& text, int* rows) {
    w.suchtext_kunde->setText(text);
    QElapsedTimer t;
    const double c0 = cpuMs();
    t.start();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(w.suchtext_kunde, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(w.suchtext_kunde, &release);
    const double suche = t.nsecsElapsed() / 1e6;
    w.dbg_kunde->viewport()->repaint();
    const double gemalt = t.nsecsElapsed() / 1e6;
    QApplication::processEvents();
    const double ms = t.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - c0;
    if (qEnvironmentVariableIsSet("BENCH_DETAIL"))
        std::printf("  search %.2f  painted %.2f  events %.2f  cpu %.2f\n", suche, gemalt, ms, cpu);
    *rows = w.dbg_kunde->model()->rowCount();
    return {ms, cpu};
}

Zeit plainSearch(db::Connection& c, const QString& text, int* rows) {
    QElapsedTimer t;
    const double c0 = cpuMs();
    t.start();
    db::Statement s(&c, c.defaultTransaction());
    s.prepare(QStringLiteral("select * from KUNDEN where (") + kundensuche_bedingung(text) + QStringLiteral(")"));
    s.open();
    int n = 0;
    while (n < kScreen && s.fetch()) {
        s.row();
        ++n;
    }
    s.close();
    *rows = n;
    return {t.nsecsElapsed() / 1e6, cpuMs() - c0};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
    QApplication app(argc, argv);
    QDir().mkpath(qEnvironmentVariable("FIREBIRD_LOCK"));
    QStringList a = app.arguments();
    if (a.size() >= 4 && a[1] == "build") {
        build(a[2].toInt(), a[3]);
        return 0;
    }
    if (a.size() < 4) {
        std::fprintf(stderr, "usage: bench_customersearch build N PATH | window|plain PATH TEXT\n");
        return 2;
    }
    const QString mode = a[1], path = a[2], text = a[3];
    int rows = 0;
    Zeit first;
    std::vector<double> again, againCpu;
    if (mode == "window") {
        Tdm m;
        m.connectTo(path);
        dm = &m;
        // The window as the main window shows it: datasets open, overview
        // page with the search box, the first screen of customers painted.
        auto* w = new Tfrm_kunden(m);
        m.ibt_kunde->open();
        m.ibt_kunde_hunde->open();
        m.ibt_hundetagebuch->open();
        w->resize(1280, 860);
        w->pg_kunde->setCurrentWidget(w->ts_kundenuebersicht);
        w->show();
        QApplication::processEvents();
        w->dbg_kunde->viewport()->repaint();
        first = windowSearch(*w, text, &rows);
        int r = 0;
        for (int i = 0; i < kRepeats; ++i) {
            windowSearch(*w, kOther, &r);
            const Zeit z = windowSearch(*w, text, &r);
            again.push_back(z.wand);
            againCpu.push_back(z.cpu);
        }
        delete w;
    } else if (mode == "plain") {
        db::Connection c;
        c.setDatabaseName(path);
        c.open();
        first = plainSearch(c, text, &rows);
        int r = 0;
        for (int i = 0; i < kRepeats; ++i) {
            plainSearch(c, kOther, &r);
            const Zeit z = plainSearch(c, text, &r);
            again.push_back(z.wand);
            againCpu.push_back(z.cpu);
        }
    } else {
        std::fprintf(stderr, "unknown mode %s\n", qPrintable(mode));
        return 2;
    }
    std::printf("%-6s text=%s rows=%d first_ms=%.2f again_median_ms=%.2f first_cpu_ms=%.2f again_cpu_ms=%.2f\n",
                qPrintable(mode), qPrintable(text), rows, first.wand, median(again), first.cpu, median(againCpu));
    return 0;
}
