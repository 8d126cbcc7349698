// Import benchmark: N lines of a generated customer file (customer and dog
// columns mapped) imported through the import window's own code, against
// inserting the same rows with plain prepared statements.
//
//   bench_import                      10,000 and 100,000 lines, both ways,
//                                     each run its own process; prints the
//                                     times and the ratios
//   bench_import window N DIR         one run through the window
//   bench_import plain N DIR          one run with prepared statements
//
// The window run: a fresh database, the window constructed and shown
// offscreen, the file loaded, the mapping set, then the import loop timed
// (b_importClick). The plain run parses the same file and times only the
// inserts: per line one customer and one dog with the same values and the
// keys counted up in the program. Neither run commits.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

#include "data/datenmodul.h"
#include "data/schema.h"
#include "db/connection.h"
#include "db/field.h"
#include "db/statement.h"
#include "import/csv/csvreader.h"
#include "import/datenimport.h"
#include "platform/application.h"

namespace {

long peakKb() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// CPU time of the process (user + system) in ms: the embedded engine runs in
// the process, so this is the work done, less the waits for the disk and for
// other programs on a busy machine.
qint64 cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return qint64(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
}

const char* const kNames[] = {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner",
                              "Becker", "Schulz", "Hoffmann", "Schäfer", "Koch", "Bauer", "Richter"};
const char* const kTowns[] = {"Hamburg", "München", "Köln", "Frankfurt", "Stuttgart", "Düsseldorf",
                              "Leipzig", "Dortmund", "Essen", "Bremen"};
const char* const kBreeds[] = {"Mischling", "Labrador", "Schäferhund", "Dackel", "Pudel", "Beagle"};

// The file's columns and their targets.
const char* const kTitles[] = {"Anrede", "Vorname", "Nachname", "Straße", "PLZ", "Ort", "Telefon", "E-Mail",
                               "Hund", "Rasse", "Geschlecht", "Geburtsjahr"};
const char* const kTargets[] = {"kunde.ANREDE", "kunde.VNAME", "kunde.NAME", "kunde.STR",
                                "kunde.PLZ",    "kunde.ORT",   "kunde.TEL",  "kunde.EMAIL",
                                "hund.NAME",    "hund.RASSE",  "hund.GESCHLECHT", "hund.GEBURTSJAHR"};

QString writeFile(int n, const QString& dir) {
    const QString path = dir + QStringLiteral("/import%1.csv").arg(n);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QStringList titles;
    for (const char* t : kTitles) titles << QString::fromUtf8(t);
    QByteArray out = titles.join(';').toUtf8() + '\n';
    for (int i = 1; i <= n; ++i) {
        QStringList l;
        l << (i % 2 ? "Frau" : "Herr") << QString("Vorname%1").arg(i % 501)
          << QString::fromUtf8(kNames[i % 14]) + QString::number(i % 97)
          << QString("\"Hauptstraße %1; Hinterhaus\"").arg(i % 200) << QString::number(10000 + i % 89999)
          << QString::fromUtf8(kTowns[i % 10]) << QString("040/%1").arg(1000000 + i)
          << QString("kunde%1@example.de").arg(i) << QString("Hund%1").arg(i)
          << QString::fromUtf8(kBreeds[i % 6]) << (i % 3 ? "Rüde" : "Hündin") << QString::number(2005 + i % 15);
        out += l.join(';').toUtf8() + '\n';
        if (out.size() > (1 << 20)) {
            f.write(out);
            out.clear();
        }
    }
    f.write(out);
    return path;
}

QString freshDatabase(const QString& dir, const char* tag) {
    const QString path = dir + QStringLiteral("/%1.fdb").arg(QString::fromLatin1(tag));
    QFile::remove(path);
    schema::createDatabase(path);
    return path;
}

int runWindow(int n, const QString& dir) {
    const QString file = writeFile(n, dir);
    const QString path = freshDatabase(dir, "window");
    Tdm m;
    m.connectTo(path);
    dm = &m;
    auto* f = new Tfrm_datenimport(m);
    f->resize(1200, 850);
    f->show();
    QElapsedTimer load;
    load.start();
    if (!f->dateiLaden(file)) return 1;
    const qint64 loadMs = load.elapsed();
    for (int c = 0; c < int(std::size(kTargets)); ++c) f->setZuordnung(c, QString::fromLatin1(kTargets[c]));
    QElapsedTimer t;
    const qint64 cpu0 = cpuMs();
    t.start();
    f->b_importClick();
    const qint64 ms = t.elapsed();
    const qint64 cpu = cpuMs() - cpu0;
    const int kunden = m.scalar("select count(*) from kunden").toInt();
    const int hunde = m.scalar("select count(*) from hunde").toInt();
    std::printf("window n=%d ms=%lld cpu_ms=%lld load_ms=%lld lines=%d kunden=%d hunde=%d peak_kb=%ld\n", n, ms,
                cpu, loadMs, f->importierteZeilen(), kunden, hunde, peakKb());
    delete f;
    return kunden == n && hunde == n ? 0 : 1;
}

int runPlain(int n, const QString& dir) {
    const QString file = writeFile(n, dir);
    const QString path = freshDatabase(dir, "plain");
    const csv::Table table = csv::readFile(file);
    db::Connection c;
    c.setDatabaseName(path);
    c.open();
    db::Transaction* tr = c.defaultTransaction();
    db::Statement k(&c, tr), h(&c, tr);
    QElapsedTimer t;
    const qint64 cpu0 = cpuMs();
    t.start();
    k.prepare("insert into kunden (kndnr, aufgenommen_am, anrede, vname, name, str, plz, ort, tel, email) "
              "values (?,?,?,?,?,?,?,?,?,?)");
    h.prepare("insert into hunde (hundnr, kndnr, name, rasse, geschlecht, geburtsjahr, anamese_aufgenommen_am) "
              "values (?,?,?,?,?,?,?)");
    for (int i = 1; i < table.rowCount(); ++i) {
        const QDateTime now = db::currentDateTime();
        k.setParam(0, i);
        k.setParam(1, now);
        for (int col = 0; col < 8; ++col) k.setParam(2 + col, table.cell(i, col));
        k.execute();
        h.setParam(0, i);
        h.setParam(1, i);
        h.setParam(2, table.cell(i, 8));
        h.setParam(3, table.cell(i, 9));
        h.setParam(4, table.cell(i, 10));
        h.setParam(5, table.cell(i, 11).toInt());
        h.setParam(6, now);
        h.execute();
    }
    const qint64 ms = t.elapsed();
    const qint64 cpu = cpuMs() - cpu0;
    std::printf("plain n=%d ms=%lld cpu_ms=%lld peak_kb=%ld\n", n, ms, cpu, peakKb());
    return 0;
}

struct Times {
    qint64 ms = -1, cpu = -1;
    bool ok() const { return ms > 0 && cpu > 0; }
};

// Runs one scenario as its own process; returns its wall and CPU times.
Times child(const QString& mode, int n, const QString& dir) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {mode, QString::number(n), dir});
    p.waitForFinished(-1);
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    std::printf("  %s\n", qPrintable(out));
    std::fflush(stdout);
    Times t;
    if (p.exitCode() != 0) return t;
    for (const QString& part : out.split(' ')) {
        if (part.startsWith("ms=")) t.ms = part.mid(3).toLongLong();
        if (part.startsWith("cpu_ms=")) t.cpu = part.mid(7).toLongLong();
    }
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
    QDir().mkpath(qEnvironmentVariable("FIREBIRD_LOCK"));
    platform::Application app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4) {
        const int n = args[2].toInt();
        if (args[1] == "window") return runWindow(n, args[3]);
        if (args[1] == "plain") return runPlain(n, args[3]);
        std::fprintf(stderr, "unknown mode\n");
        return 2;
    }
    QList<int> sizes{10000, 100000};
    if (args.size() > 1) {
        sizes.clear();
        for (int i = 1; i < args.size(); ++i) sizes << args[i].toInt();
    }
    QTemporaryDir dir;
    QMap<int, Times> window;
    for (int n : sizes) {
        std::printf("n=%d\n", n);
        const Times plain = child("plain", n, dir.path());
        window[n] = child("window", n, dir.path());
        if (plain.ok() && window[n].ok())
            std::printf("  ratio window/plain = %.2f wall, %.2f cpu (target <= 3)\n",
                        double(window[n].ms) / double(plain.ms), double(window[n].cpu) / double(plain.cpu));
    }
    if (sizes.size() >= 2 && window.value(sizes[0]).ok() && window.value(sizes[1]).ok()) {
        const Times a = window.value(sizes[0]), b = window.value(sizes[1]);
        std::printf("growth %d -> %d lines: %.2f x wall, %.2f x cpu (target <= %.0f)\n", sizes[0], sizes[1],
                    double(b.ms) / double(a.ms), double(b.cpu) / double(a.cpu),
                    1.2 * double(sizes[1]) / double(sizes[0]));
    }
    return 0;
}
