// One workstation saving new customers as fast as it can into a database on
// a Firebird server (run_arbeitsplaetze.sh starts several at once).
//
//   bench_arbeitsplaetze DATENBANK N NAME
//
// Saves N customers "NAME-i" through the data module's customer dataset,
// each committed before the next one is entered (as the program does before
// it waits for the user again), and prints
//   saves=N seconds=S
// The login comes from KYNOVIA_USER / KYNOVIA_PASSWORD.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "data/datenmodul.h"
#include "db/error.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    platform::Application app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "Aufruf: bench_arbeitsplaetze DATENBANK N NAME\n");
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    const int n = QString::fromLocal8Bit(argv[2]).toInt();
    const QString name = QString::fromLocal8Bit(argv[3]);
    try {
        Tdm dm;
        dm.connectTo(database);
        db::Table* kunde = dm.ibt_kunde;
        kunde->open();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < n; ++i) {
            kunde->append();
            kunde->fieldByName(QStringLiteral("NAME"))->setAsString(name + QLatin1Char('-') + QString::number(i));
            kunde->post();
            QCoreApplication::processEvents();
            if (dm.ibt->inTransaction()) dm.ibt->commitRetaining();
        }
        std::printf("saves=%d seconds=%.3f\n", n, t.nsecsElapsed() / 1e9);
    } catch (const db::Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
