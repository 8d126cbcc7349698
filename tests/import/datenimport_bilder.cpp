// A picture of the import window with a loaded file and a mapping, and one
// of the whole screen with the popup menu of customer targets open, for a
// look by eye: only when KYN_SHOT names a directory (scripts/bilder.sh runs
// this under Xvfb; KYN_SHOT_WAIT keeps the window a while longer).
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "importtest.h"
#include "testregistry.h"

using importtest::Fixture;

class DatenimportBilder : public QObject {
    Q_OBJECT
private slots:
    void fenster() {
        const QString ordner = qEnvironmentVariable("KYN_SHOT");
        if (ordner.isEmpty()) QSKIP("KYN_SHOT not set");
        QDir().mkpath(ordner);
        const QString shot = ordner + QStringLiteral("/datenimport.png");
        Fixture x;
        Tfrm_datenimport* f = x.f;
        f->setWindowState(Qt::WindowMaximized);
        x.choose(x.file("beispiel.csv",
                        "Anrede;Vorname;Nachname;Straße;PLZ;Ort;Telefon;Hund;Rasse;Geboren\n"
                        "Frau;Anna;Schmidt;Lindenweg 3;53111;Bonn;0228 12345;Rex;Schäferhund;03.04.2015\n"
                        "Herr;Bernd;Meier;\"Am Markt 1; Hinterhaus\";54290;Trier;0651 9876;Bello;Labrador;\n"
                        "Familie;;Klein;Hauptstr. 7;55116;Mainz;;Struppi;Mischling;12.12.2019\n"));
        const QStringList ziele{"kunde.ANREDE", "kunde.VNAME", "kunde.NAME", "kunde.STR", "kunde.PLZ",
                                "kunde.ORT",    "kunde.TEL",   "hund.NAME",  "hund.RASSE", "hund.GEBOREN_AM"};
        for (int c = 0; c < ziele.size(); ++c) x.map(c, ziele[c]);
        f->b_importClick();
        f->jvsg2->setCurrentCell(0, 2);
        QTest::qWait(300);
        f->grab().save(shot);
        // The popup menu with the customer targets, as the whole screen shows it.
        const QRect cell = f->jvsg2->visualRect(f->jvsg2->model()->index(0, 2));
        f->pm->popup(f->jvsg2->viewport()->mapToGlobal(cell.center()));
        QTest::qWait(200);
        f->pm->setActiveAction(f->Kunde1->menuAction());
        QTest::keyClick(f->pm, Qt::Key_Right);
        QTest::qWait(400);
        QString menuShot = shot;
        menuShot.replace(".png", "-menu.png");
        QGuiApplication::primaryScreen()->grabWindow(0).save(menuShot);
        f->pm->hide();
        if (qEnvironmentVariableIsSet("KYN_SHOT_WAIT")) QTest::qWait(qEnvironmentVariableIntValue("KYN_SHOT_WAIT"));
    }
};

KYN_TEST(DatenimportBilder)
#include "datenimport_bilder.moc"
