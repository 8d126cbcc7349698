// Window actions on a large database (bench_dataset's data: N customers with
// one or two dogs each), each beside the plain work it needs, measured in the
// same process kind. One scenario per process (bench/run_all.sh):
//
//   bench_fenster append PATH        customer window shown, "Neu aufnehmen":
//                                    append, record page, painted
//   bench_fenster plain-append PATH  the same start, then the next key read
//                                    with a prepared statement
//   bench_fenster last PATH          dog search window shown, Ctrl+End in the
//                                    grid until painted
//   bench_fenster plain-last PATH    every dog read with a prepared statement
//                                    (the values decoded, the last one kept)
//   bench_fenster last-scan PATH     after the last record, a search over every
//                                    dog for a name nobody has (reads all rows
//                                    not read yet)
//   bench_fenster start HOME         the program's start (objects in their
//                                    order) until the main window has painted;
//                                    HOME is KYNOVIA_HOME with db/kynoviadb
//   bench_fenster bare HOME          a bare main window until painted, then
//                                    the database attached
//
// Each prints cpu_ms (process CPU time of the timed part, or of the whole
// process up to the painted window for start/bare), wall_ms, peak_kb (the
// process's peak resident memory) and grow_kb (resident memory the timed
// part added).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMainWindow>
#include <QStackedWidget>
#include <QTabWidget>
#include <cstdio>
#include <ctime>

#include "customers/hunde.h"
#include "customers/kundenstamm.h"
#include "data/datenmodul.h"
#include "db/connection.h"
#include "db/statement.h"
#include "platform/application.h"
#include "platform/paths.h"
#include "shell/Main.h"
#include "shell/programm.h"
#include "widgets/dbgrid.h"

namespace {

double cpuMs() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

long statusKb(const char* key) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}
long peakKb() { return statusKb("VmHWM:"); }
long rssKb() { return statusKb("VmRSS:"); }

struct Messung {
    double cpu0 = 0, rss0 = 0;
    QElapsedTimer wall;
    void start() {
        rss0 = rssKb();
        cpu0 = cpuMs();
        wall.start();
    }
    void print(const QString& mode, const QString& extra = {}) const {
        const double w = wall.nsecsElapsed() / 1e6, c = cpuMs() - cpu0;
        std::printf("%-12s cpu_ms=%.2f wall_ms=%.2f peak_kb=%ld grow_kb=%ld %s\n", qPrintable(mode), c, w, peakKb(),
                    long(rssKb() - rss0), qPrintable(extra));
    }
};

void paint(QWidget* w) {
    QApplication::processEvents();
    w->repaint();
    QApplication::processEvents();
}

// The customer window as the main window shows it: datasets open, overview
// page, the first screen of customers painted.
Tfrm_kunden* kundenfenster(Tdm& m) {
    auto* w = new Tfrm_kunden(m);
    m.ibt_kunde->open();
    m.ibt_kunde_hunde->open();
    m.ibt_hundetagebuch->open();
    w->resize(1280, 860);
    w->pg_kunde->setCurrentWidget(w->ts_kundenuebersicht);
    w->show();
    paint(w);
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
    QDir().mkpath(qEnvironmentVariable("FIREBIRD_LOCK"));
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_fenster append|plain-append|last|plain-last|last-scan PATH | start|bare HOME\n");
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]), path = QString::fromLocal8Bit(argv[2]);
    if (mode == "start" || mode == "bare") qputenv("KYNOVIA_HOME", path.toLocal8Bit());
    if (mode == "start") {
        // As the program's entry does it.
        platform::Application app(argc, argv);
        Programm programm;
        if (!programm.starten()) return 1;
        Tfrm_main* w = programm.hauptfenster();
        w->showMaximized();
        paint(w);
        std::printf("%-12s cpu_ms=%.2f peak_kb=%ld\n", "start", cpuMs(), peakKb());
        std::fflush(stdout);
        return 0;
    }
    if (mode == "bare") {
        QApplication app(argc, argv);
        QMainWindow w;
        w.setWindowTitle(QStringLiteral("Kynovia"));
        w.showMaximized();
        paint(&w);
        const double fenster = cpuMs();
        db::Connection c;
        c.setDatabaseName(platform::databasePath());
        c.open();
        std::printf("%-12s cpu_ms=%.2f window_cpu_ms=%.2f peak_kb=%ld\n", "bare", cpuMs(), fenster, peakKb());
        return 0;
    }

    QApplication app(argc, argv);
    Messung m;
    if (mode == "append" || mode == "plain-append") {
        Tdm d;
        d.connectTo(path);
        dm = &d;
        Tfrm_kunden* w = kundenfenster(d);
        if (mode == "append") {
            m.start();
            // What "Kunden" / "Neu aufnehmen" does once the window is there.
            d.ibt_kunde->append();
            w->pg_kunde->setCurrentWidget(w->ts_kundedetail);
            paint(w);
            m.print(mode, QStringLiteral("rows=%1").arg(d.ibt_kunde->recordCount()));
            d.ibt_kunde->cancel();
        } else {
            m.start();
            db::Statement s(d.idb.get(), d.ibt);
            s.prepare(QStringLiteral("select max(kndnr) from kunden"));
            const int key = s.scalar(s.sql()).toInt() + 1;
            w->pg_kunde->setCurrentWidget(w->ts_kundedetail);
            paint(w);
            m.print(mode, QStringLiteral("key=%1").arg(key));
        }
        delete w;
        return 0;
    }
    if (mode == "last") {
        Tdm d;
        d.connectTo(path);
        dm = &d;
        auto* w = new Tfrm_hunde(d);
        d.ibt_hunde->open();
        w->resize(1280, 860);
        w->show();
        paint(w);
        w->dbg_kunde->setFocus();
        m.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(w->dbg_kunde, &press);
        paint(w);
        m.print(mode, QStringLiteral("row=%1 hundnr=%2")
                          .arg(d.ibt_hunde->recNo())
                          .arg(d.ibt_hunde->fieldByName(QStringLiteral("HUNDNR"))->asString()));
        delete w;
        return 0;
    }
    if (mode == "last-scan") {
        Tdm d;
        d.connectTo(path);
        db::Table* t = d.ibt_hunde;
        t->open();
        t->last();
        m.start();
        const bool found = t->locate(QStringLiteral("NAME"), QStringLiteral("gibt es nicht"));
        m.print(mode, QStringLiteral("found=%1 selects=%2").arg(found).arg(t->selectCount()));
        return 0;
    }
    if (mode == "plain-last") {
        db::Connection c;
        c.setDatabaseName(path);
        c.open();
        m.start();
        db::Statement s(&c, c.defaultTransaction());
        s.prepare(QStringLiteral("select * from hunde"));
        s.open();
        QVector<QVariant> last;
        int n = 0;
        while (s.fetch()) {
            last = s.row();
            ++n;
        }
        m.print(mode, QStringLiteral("row=%1 hundnr=%2").arg(n - 1).arg(last.value(0).toString()));
        return 0;
    }
    std::fprintf(stderr, "unknown mode %s\n", qPrintable(mode));
    return 2;
}
