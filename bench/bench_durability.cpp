// Durable saves: what the commit after every save costs.
//
//   bench_durability save DB [N]      N saves (default 60) of a customer in a
//                                     database (100,000 customers): edit,
//                                     post, then the event loop runs the
//                                     commit. Prints the medians of the whole
//                                     save (post until committed), of the
//                                     post alone and of the commit alone.
//   bench_durability termine N DIR    N course dates generated in the course
//                                     window (fresh database in DIR): the
//                                     generation, then the commit the event
//                                     loop runs after it.
//   bench_durability import N DIR [held]
//                                     an import of N lines through the import
//                                     window (fresh database in DIR). "held":
//                                     commits held from the start, so that the
//                                     import runs without its first commit,
//                                     as it did before saves were committed.
//
// Times are wall-clock (a commit waits for the disk, which CPU time would
// not show) and process CPU times beside them.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "courses/keyedit.h"
#include "courses/kurse.h"
#include "data/datenmodul.h"
#include "data/schema.h"
#include "db/connection.h"
#include "db/field.h"
#include "db/statement.h"
#include "import/datenimport.h"
#include "platform/application.h"
#include "platform/scripteddialogs.h"

namespace {

qint64 cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return qint64(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Runs the event loop until the queued commit has run (an undecided import
// holds it: then until the loop is idle).
void untilCommitted(Tdm& m) {
    while (m.commitPending() && !m.commitsHeld()) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

int runSave(const QString& path, int n) {
    Tdm m;
    m.connectTo(path);
    dm = &m;
    db::Table* k = m.ibt_kunde;
    k->open();
    std::vector<double> save, post, commit;
    for (int i = 0; i < n; ++i) {
        k->setRecNo(i % 40);
        k->edit();
        k->fieldByName(QStringLiteral("TEL"))->setAsString(QStringLiteral("040 %1").arg(i));
        QElapsedTimer t;
        t.start();
        k->post();
        const qint64 posted = t.nsecsElapsed();
        untilCommitted(m);
        const qint64 all = t.nsecsElapsed();
        save.push_back(all / 1e6);
        post.push_back(posted / 1e6);
        commit.push_back((all - posted) / 1e6);
    }
    std::printf("save n=%d save_ms=%.2f post_ms=%.2f commit_ms=%.2f max_save_ms=%.2f\n", n, median(save),
                median(post), median(commit), *std::max_element(save.begin(), save.end()));
    dm = nullptr;
    return 0;
}

QString freshDatabase(const QString& dir, const char* tag) {
    const QString path = dir + QStringLiteral("/%1.fdb").arg(QString::fromLatin1(tag));
    QFile::remove(path);
    schema::createDatabase(path);
    return path;
}

int runTermine(int n, const QString& dir) {
    const QString path = freshDatabase(dir, "termine");
    Tdm m;
    m.connectTo(path);
    dm = &m;
    db::Statement(m.idb.get(), m.ibt)
        .execute(QStringLiteral("insert into kurse (kursnr, kursart, kursname, status) values (1, 'Ju', "
                                "'Junghunde', 'A')"));
    m.commitNow();
    platform::ScopedScriptedDialogs d;
    auto* w = new Tfrm_kurse(m);
    frm_kurse = w;
    w->resize(1200, 800);
    w->show();
    QCoreApplication::processEvents();
    m.ibt_kurse->first();
    w->e_anztermine->setText(QString::number(n));
    w->e_erster_termin_am->setText(QStringLiteral("04.03.2024"));
    w->e_uhrzeit->setText(QStringLiteral("18:30"));
    w->e_alle_x_tage->setText(QStringLiteral("7"));
    QElapsedTimer t;
    const qint64 cpu0 = cpuMs();
    t.start();
    w->Button1Click();
    const qint64 gen = t.nsecsElapsed();
    const qint64 genCpu = cpuMs() - cpu0;
    untilCommitted(m);
    const qint64 all = t.nsecsElapsed();
    const qint64 allCpu = cpuMs() - cpu0;
    const int rows = m.scalar(QStringLiteral("select count(*) from kurstermine")).toInt();
    std::printf("termine n=%d before_ms=%.1f after_ms=%.1f before_cpu_ms=%lld after_cpu_ms=%lld rows=%d boxes=%d\n",
                n, gen / 1e6, all / 1e6, genCpu, allCpu, rows, int(d.shown().size()));
    delete w;
    dm = nullptr;
    return rows == n ? 0 : 1;
}

int runImport(int n, const QString& dir, bool held) {
    const QString file = dir + QStringLiteral("/dauer%1.csv").arg(n);
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        QByteArray out = "Vorname;Nachname;Ort;Hund;Geburtsjahr\n";
        for (int i = 1; i <= n; ++i)
            out += QStringLiteral("Vorname%1;Name%2;Ort%3;Hund%1;%4\n")
                       .arg(i)
                       .arg(i % 97)
                       .arg(i % 10)
                       .arg(2005 + i % 15)
                       .toUtf8();
        f.write(out);
    }
    const QString path = freshDatabase(dir, held ? "import-held" : "import");
    Tdm m;
    m.connectTo(path);
    dm = &m;
    auto* f = new Tfrm_datenimport(m);
    f->resize(1200, 850);
    f->show();
    if (!f->dateiLaden(file)) return 1;
    const char* targets[] = {"kunde.VNAME", "kunde.NAME", "kunde.ORT", "hund.NAME", "hund.GEBURTSJAHR"};
    for (int c = 0; c < 5; ++c) f->setZuordnung(c, QString::fromLatin1(targets[c]));
    if (held) m.holdCommits(true);
    QElapsedTimer t;
    const qint64 cpu0 = cpuMs();
    t.start();
    f->b_importClick();
    untilCommitted(m);
    const qint64 ms = t.elapsed();
    const qint64 cpu = cpuMs() - cpu0;
    const int kunden = m.scalar(QStringLiteral("select count(*) from kunden")).toInt();
    std::printf("import n=%d held=%d ms=%lld cpu_ms=%lld kunden=%d\n", n, held ? 1 : 0, ms, cpu, kunden);
    delete f;
    dm = nullptr;
    return kunden == n ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    platform::Application app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() >= 3 && a[1] == QLatin1String("save")) return runSave(a[2], a.size() > 3 ? a[3].toInt() : 60);
    if (a.size() >= 4 && a[1] == QLatin1String("termine")) return runTermine(a[2].toInt(), a[3]);
    if (a.size() >= 4 && a[1] == QLatin1String("import"))
        return runImport(a[2].toInt(), a[3], a.size() > 4 && a[4] == QLatin1String("held"));
    std::fprintf(stderr,
                 "bench_durability save DB [N] | termine N DIR | import N DIR [held]\n");
    return 2;
}
