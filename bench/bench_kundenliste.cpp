// Customer list benchmark: the printout of every customer (each with two
// dogs) as the customer window asks for it, laid out into pages; beside it
// the same pages from rows read with two plain statements, so that the cost
// of walking the datasets and the cost of the layout can be told apart.
//
//   bench_kundenliste build N PATH     create the database (N customers, two dogs each)
//   bench_kundenliste MODE PATH [PDF]  run one scenario, print time, pages and peak memory
// MODE: list (the report form over the data module's datasets, the customer,
// dog and diary tables open as in the customer window) | plain (the same
// bands fed from memory, rows read with plain statements) | read (the plain
// statements alone). With PDF the list's pages are also written there.
// Every scenario is its own process (bench/run_kundenliste.sh), so the
// figures are whole-process figures.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <ctime>
#include <vector>

#include "customers/qr_kundenkarte.h"
#include "data/datenmodul.h"
#include "data/schema.h"
#include "db/statement.h"
#include "report/reportpaint.h"

namespace {

double cpuMs() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

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
const char* const kBreeds[] = {"Labrador Retriever", "Mischling", "Border Collie", "Dackel", "Boxer"};

void build(int n, const QString& path) {
    QFile::remove(path);
    schema::createDatabase(path);
    db::Connection c;
    c.setDatabaseName(path);
    c.open();
    db::Transaction* t = c.defaultTransaction();
    db::Statement k(&c, t), h(&c, t), s(&c, t);
    s.prepare("update systemdaten set hundeschule = 'Hundeschule Pfotenglück', strasse = 'Am Deich 4', "
              "plz = '24103', ort = 'Kiel'");
    s.execute();
    k.prepare("insert into kunden (kndnr, aufgenommen_am, name, vname, plz, ort, str, anrede, tel, fax, mobil, "
              "email, kommentar) values (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    h.prepare("insert into hunde (hundnr, kndnr, name, rasse, anamese_aufgenommen_am) values (?,?,?,?,?)");
    int dog = 0;
    const QDateTime when = db::makeDateTime(QDate(2020, 1, 1));
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
        k.setParam(9, QString("040/%1").arg(2000000 + i));
        k.setParam(10, QString("0171/%1").arg(3000000 + i));
        k.setParam(11, QString("kunde%1@example.de").arg(i));
        // Every fifth customer has a comment of two lines.
        k.setParam(12, i % 5 ? QString() : QString("Kommentar zu Kunde %1.\r\nZweite Zeile.").arg(i));
        k.execute();
        for (int j = 0; j < 2; ++j) {
            h.setParam(0, ++dog);
            h.setParam(1, i);
            h.setParam(2, QString("Hund%1").arg(dog));
            h.setParam(3, QString::fromUtf8(kBreeds[dog % 5]));
            h.setParam(4, when);
            h.execute();
        }
        if (i % 20000 == 0) t->commitRetaining();
    }
    t->commit();
    std::printf("built %d customers, %d dogs in %s\n", n, dog, qPrintable(path));
}

// The rows of the list read with two plain statements.
struct Row {
    QVector<QVariant> kunde;
    std::vector<QVector<QVariant>> hunde;
};

std::vector<Row> readPlain(db::Connection& c) {
    std::vector<Row> rows;
    db::Statement k(&c, c.defaultTransaction()), h(&c, c.defaultTransaction());
    k.prepare("select kndnr, anrede, vname, name, aufgenommen_am, str, plz, ort, tel, fax, mobil, email, kommentar "
              "from kunden order by kndnr");
    k.open();
    while (k.fetch()) rows.push_back({k.row(), {}});
    h.prepare("select kndnr, hundnr, name, rasse from hunde order by kndnr, hundnr");
    h.open();
    size_t i = 0;
    while (h.fetch()) {
        const int kndnr = h.value(0).toInt();
        while (i < rows.size() && rows[i].kunde[0].toInt() < kndnr) ++i;
        if (i < rows.size() && rows[i].kunde[0].toInt() == kndnr) rows[i].hunde.push_back(h.row());
    }
    return rows;
}

QString str(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

// The card's bands fed from memory: what the layout alone costs.
report::ReportPages layoutPlain(const std::vector<Row>& rows) {
    using namespace report;
    const QColor silver(192, 192, 192);
    const Font bold{"Arial", 10, true}, reg{"Arial", 10}, small{"Arial", 8};
    Report r;
    r.setMargins(10);
    Band& title = r.setBand(BandKind::Title, 11.4);
    title.color = silver;
    title.addLabel("Kundekarte", 6.3, 2.1, {"Arial Black", 14});
    title.addLabel("Hundeschule Pfotenglück", 69, 0.8, small, 120, Align::Right);
    title.addLabel("Am Deich 4, 24103 Kiel", 69, 5.6, small, 120, Align::Right);
    int row = -1, dog = -1;
    Band& d = r.setBand(BandKind::Detail, 36, "DetailBand1");
    d.keepWithSubDetails = true;
    d.addLabel("Kunden-Nr. :", 6.3, 4.2);
    d.addData("nr", 27.5, 4.2, bold, 14.5);
    d.addData("name", 42.3, 4.2, bold, 68);
    d.addLabel("aufgenommen am:", 136, 4.2);
    d.addData("am", 165.6, 4.2, bold, 24.4);
    d.addData("adr", 42.3, 10.6, bold, 146.6);
    d.addLabel("Tel.:", 6.3, 16.9);
    d.addData("tel", 19.1, 16.9, bold, 92.8);
    d.addLabel("Fax:", 112.2, 16.9);
    d.addData("fax", 122.8, 16.9, bold, 67.2);
    d.addLabel("Mobil:", 6.3, 23.3);
    d.addData("mobil", 19.1, 23.3, bold, 92.8);
    d.addLabel("Email", 112.2, 23.3);
    d.addData("email", 122.8, 23.3, bold, 67.2);
    d.addData("kommentar", 6.3, 29.6, reg, 182.7, Align::Left, true);
    d.beforePrint = [&](Band& b) {
        const auto& k = rows[size_t(row)].kunde;
        b.setText("nr", db::fmt::formatNumber(k[0].toDouble(), "0000"));
        b.setText("name", str(k[1]) + " " + str(k[2]) + " " + str(k[3]));
        b.setText("am", db::fmt::formatDateTime(k[4].toDateTime(), "dd.mm.yyyy"));
        b.setText("adr", str(k[5]) + ", " + str(k[6]) + " " + str(k[7]));
        b.setText("tel", str(k[8]));
        b.setText("fax", str(k[9]));
        b.setText("mobil", str(k[10]));
        b.setText("email", str(k[11]));
        b.setText("kommentar", str(k[12]));
        dog = -1;
    };
    d.addChild(1.3).color = silver;
    Band& h = d.addSubDetail(5.8, [&] {
        ++dog;
        const size_t n = rows[size_t(row)].hunde.size();
        return size_t(dog) < n || (dog == 0 && n == 0);
    });
    h.keepTogether = true;
    h.addLabel("Hund-Nr. :", 6.3, 0.5);
    h.addData("nr", 23.3, 0.5, bold, 18.7);
    h.addData("name", 42.3, 0.5, bold, 69.6);
    h.addLabel("Rasse :", 112.2, 0.5);
    h.addData("rasse", 129.1, 0.5, bold, 60.9);
    h.beforePrint = [&](Band& b) {
        const auto& hs = rows[size_t(row)].hunde;
        const bool has = size_t(dog) < hs.size();
        b.setText("nr", has ? db::fmt::formatNumber(hs[size_t(dog)][1].toDouble(), "000") : QString());
        b.setText("name", has ? str(hs[size_t(dog)][2]) : QString());
        b.setText("rasse", has ? str(hs[size_t(dog)][3]) : QString());
    };
    h.addChild(1.3).color = silver;
    Band& f = r.setBand(BandKind::PageFooter, 8.5);
    f.addLabel("Gedruckt am: " + db::fmt::formatDateTime(db::currentDateTime(), "dd.mm.yyyy hh:nn:ss"), 88, 2.1,
               small, 100, Align::Right);
    r.needData = [&] { return ++row < int(rows.size()); };
    return r.layout();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) qputenv("FIREBIRD_LOCK", "/tmp/firebird");
    QDir().mkpath(qEnvironmentVariable("FIREBIRD_LOCK"));
    const QStringList a = app.arguments();
    if (a.size() >= 4 && a[1] == "build") {
        build(a[2].toInt(), a[3]);
        return 0;
    }
    if (a.size() < 3) {
        std::fprintf(stderr, "usage: bench_kundenliste build N PATH | MODE PATH [PDF]\n");
        return 2;
    }
    const QString mode = a[1], path = a[2];
    QElapsedTimer timer;
    double cpu0 = 0;
    int pages = 0, cards = 0;
    report::ReportPages result;
    if (mode == "list") {
        Tdm m;
        m.connectTo(path);
        dm = &m;
        Tfrm_qr_kundenkarte form(m);
        m.ibt_kunde->open();
        m.ibt_kunde_hunde->open();
        m.ibt_hundetagebuch->open();
        m.ibt_systemdaten->open();
        cpu0 = cpuMs();
        timer.start();
        // What "Kundenliste drucken" does before the preview.
        m.ibt_kunde->first();
        form.liste_drucken = true;
        result = form.layout();
    } else if (mode == "plain" || mode == "read") {
        db::Connection c;
        c.setDatabaseName(path);
        c.open();
        cpu0 = cpuMs();
        timer.start();
        const std::vector<Row> rows = readPlain(c);
        if (mode == "read") cards = int(rows.size());
        else result = layoutPlain(rows);
    } else {
        std::fprintf(stderr, "unknown mode %s\n", qPrintable(mode));
        return 2;
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpu0;
    pages = result.count();
    for (const auto& p : result.pages) cards += int(p.bands("DetailBand1").size());
    std::printf("%-6s pages=%d cards=%d time_ms=%.0f cpu_ms=%.0f peak_kb=%ld\n", qPrintable(mode), pages, cards, ms, cpu,
                peakKb());
    if (a.size() >= 4 && pages > 0) report::printToPdf(result, a[3]);
    return 0;
}
