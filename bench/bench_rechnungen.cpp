// Invoicing benchmark.
//
//   bench_rechnungen kurs DIR        a new database in DIR with a course of 20
//                                    participants; drafts for all of them,
//                                    each issued and its PDF archived
//   bench_rechnungen pdf DIR         one issued invoice laid out and written
//                                    as PDF (the median of 5)
//   bench_rechnungen build N PATH    a database with N issued invoices, a
//                                    third of them paid, a third part-paid
//   bench_rechnungen offen PATH      the open items of that database
// Each prints "time_ms=... cpu_ms=..." (wall clock and process CPU time).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "billing/qr_rechnung.h"
#include "data/rechnungen.h"
#include "data/schema.h"
#include "db/connection.h"
#include "db/field.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "report/reportpaint.h"

namespace {

double cpuMs() { return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC; }

void schule(db::Connection& c) {
    c.executeImmediate("update systemdaten set hundeschule = 'Hundeschule Pfotenglück', strasse = 'Deichweg 3', "
                       "plz = '25813', ort = 'Husum'");
    c.executeImmediate("update rechnungsdaten set steuernummer = '15/293/01234', iban = 'DE89370400440532013000', "
                       "bic = 'COBADEFFXXX', bank = 'Nord-Ostsee Sparkasse'");
}

void kurs(db::Connection& c, int teilnehmer) {
    c.executeImmediate("insert into kurse (kursnr, kursart, kursname, gebuehr) values (1, 'We', 'Welpen', 149.5)");
    c.executeImmediate("insert into kurstermine (kursnr, datum) values (1, '05.05.2026')");
    c.executeImmediate("insert into kurstermine (kursnr, datum) values (1, '23.06.2026')");
    for (int i = 1; i <= teilnehmer; ++i) {
        c.executeImmediate(QStringLiteral("insert into kunden (kndnr, vname, name, str, plz, ort) values (%1, 'Anna', "
                                          "'Kunde %1', 'Weg %1', '24103', 'Kiel')")
                               .arg(i));
        c.executeImmediate(QStringLiteral("insert into hunde (hundnr, kndnr, name) values (%1, %1, 'Hund %1')").arg(i));
        c.executeImmediate(
            QStringLiteral("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (%1, 1, %1, %1, 'N')")
                .arg(i));
    }
}

void ausgabe(double ms, double cpu, const QString& rest = QString()) {
    std::printf("time_ms=%.1f cpu_ms=%.1f%s\n", ms, cpu, qPrintable(rest));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication a(argc, argv);
    const QStringList args = a.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "bench_rechnungen kurs DIR | pdf DIR | build N PATH | offen PATH\n");
        return 2;
    }
    const QString mode = args[1];
    if (mode == "kurs" || mode == "pdf") {
        const QString dir = args[2] + "/rechnungen-" + mode;
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        qputenv("KYNOVIA_HOME", dir.toLocal8Bit());
        const QString path = dir + "/kynoviadb";
        schema::createDatabase(path);
        db::Connection c;
        c.setDatabaseName(path);
        c.open();
        schule(c);
        kurs(c, 20);
        if (mode == "kurs") {
            QElapsedTimer t;
            t.start();
            const double cpu0 = cpuMs();
            int n = 0;
            for (int renr : rechnungen::entwuerfeFuerKurs(&c, 1)) {
                billing::archivieren(rechnungen::ausstellen(&c, renr, QDate(2026, 7, 1)));
                ++n;
            }
            ausgabe(t.nsecsElapsed() / 1e6, cpuMs() - cpu0, QStringLiteral(" invoices=%1").arg(n));
        } else {
            const int renr = rechnungen::entwuerfeFuerKurs(&c, 1).first();
            const rechnungen::Rechnung r = rechnungen::ausstellen(&c, renr, QDate(2026, 7, 1));
            std::vector<double> ms, cpu;
            for (int i = 0; i < 5; ++i) {
                QElapsedTimer t;
                t.start();
                const double cpu0 = cpuMs();
                report::printToPdf(billing::rechnungsseiten(r), dir + QStringLiteral("/r%1.pdf").arg(i));
                ms.push_back(t.nsecsElapsed() / 1e6);
                cpu.push_back(cpuMs() - cpu0);
            }
            std::sort(ms.begin(), ms.end());
            std::sort(cpu.begin(), cpu.end());
            ausgabe(ms[2], cpu[2]);
        }
        return 0;
    }
    if (mode == "build" && args.size() >= 4) {
        const int n = args[2].toInt();
        const QString path = args[3];
        QFile::remove(path);
        schema::createDatabase(path);
        db::Connection c;
        c.setDatabaseName(path);
        c.open();
        schule(c);
        db::Transaction t(&c);
        db::Statement k(&c, &t), r(&c, &t), p(&c, &t), z(&c, &t);
        k.prepare("insert into kunden (kndnr, vname, name, ort) values (?, 'Anna', ?, 'Kiel')");
        r.prepare("insert into rechnungen (renr, nummer, art, status, kndnr, rechnungsdatum, faellig_am, empfaenger, "
                  "netto, ust, brutto) values (?, ?, 'R', 'A', ?, ?, ?, ?, 100, 19, 119)");
        p.prepare("insert into rechnungspositionen (renr, pos, bezeichnung, menge, einzelpreis, ust_satz, netto) "
                  "values (?, 1, 'Einzelstunde', 1, 100, 19, 100)");
        z.prepare("insert into zahlungen (zahlnr, renr, datum, betrag, zahlungsart) values (?, ?, ?, ?, 'bar')");
        for (int i = 1; i <= n / 5; ++i) {
            k.setParams({i, QStringLiteral("Kunde %1").arg(i)});
            k.execute();
        }
        for (int i = 1; i <= n; ++i) {
            const QDate d = QDate(2025, 1, 1).addDays(i % 600);
            r.setParams({i, QStringLiteral("RE-2025-%1").arg(i, 5, 10, QLatin1Char('0')), 1 + i % (n / 5),
                         db::makeDateTime(d), db::makeDateTime(d.addDays(14)), QStringLiteral("Anna Kunde %1").arg(i)});
            r.execute();
            p.setParams({i});
            p.execute();
            if (i % 3 != 0) {
                z.setParams({i, i, db::makeDateTime(d.addDays(10)), i % 3 == 1 ? 119.0 : 50.0});
                z.execute();
            }
        }
        t.commit();
        c.executeImmediate(QStringLiteral("set generator rechnungen_renr to %1").arg(n));
        return 0;
    }
    if (mode == "offen") {
        db::Connection c;
        c.setDatabaseName(args[2]);
        c.open();
        rechnungen::offenePosten(&c, QDate(2026, 12, 11));  // the engine's caches warm
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuMs();
        const auto liste = rechnungen::offenePosten(&c, QDate(2026, 12, 11));
        ausgabe(t.nsecsElapsed() / 1e6, cpuMs() - cpu0, QStringLiteral(" open=%1").arg(liste.size()));
        return 0;
    }
    std::fprintf(stderr, "unknown mode\n");
    return 2;
}
