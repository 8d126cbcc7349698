// Pictures of the three windows with a few rows, for looking at them by eye:
// only when KYN_SHOT names a directory (run under Xvfb for real fonts and
// styles: xvfb-run -a -s "-screen 0 1400x900x24" tests_staff_docs StaffDocsScreenshots).
#include <QDir>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>

#include "common/testregistry.h"
#include "platform/scripteddialogs.h"
#include "staff_docs/dokumente.h"
#include "staff_docs/pflege_vorlagen_kurse.h"
#include "staff_docs/trainer.h"
#include "staffdocstest.h"
#include "widgets/dbgrid.h"
#include "widgets/rolloutpanel.h"

using staffdocstest::Fixture;

class StaffDocsScreenshots : public QObject {
    Q_OBJECT
private slots:
    void shots() {
        const QString out = qEnvironmentVariable("KYN_SHOT");
        if (out.isEmpty()) QSKIP("KYN_SHOT not set");
        QDir().mkpath(out);
        Fixture f;
        const char* trainer[] = {
            "(1, \"AS\", \"Anna\", \"Schmidt\", \"Lindenweg 4\", \"28195\", \"Bremen\", \"Frau\", \"0421 55 66 77\", \"0171 2345678\", \"anna@hundeschule-bremen.de\", \"Welpen und Junghunde\")",
            "(2, \"BM\", \"Bernd\", \"Meier\", \"Am Deich 12\", \"28199\", \"Bremen\", \"Herr\", \"0421 12 34 56\", \"\", \"b.meier@example.de\", \"Agility, Mantrailing\")",
            "(3, \"CZ\", \"Carla\", \"Zorn\", \"Große Straße 1\", \"26122\", \"Oldenburg\", \"Frau\", \"\", \"0160 9876543\", \"\", \"\")"};
        for (const char* t : trainer)
            f.exec(QStringLiteral("insert into trainer (trainernr, kurzzeichen, vname, name, str, plz, ort, anrede, tel, mobil, email, kommentar) values ") +
                   QString::fromUtf8(t));
        f.exec("insert into dokumente values (1, \"Anmeldeformular Welpenkurs\", \"A\", \"Alle\", \"/home/schule/Formulare/Anmeldung Welpen.pdf\")");
        f.exec("insert into dokumente values (2, \"Hausordnung\", \"I\", \"Alle\", \"/home/schule/Info/Hausordnung.odt\")");
        f.exec("insert into dokumente values (3, \"Kursplan Junghunde\", \"K\", \"Kursleiter\", \"/home/schule/Kurse/Junghunde 2024.doc\")");
        f.exec("insert into dokumente values (4, \"Vertrag Einzelstunden\", \"V\", \"Alle\", \"/home/schule/Verträge/Einzelstunden.doc\")");
        f.exec("insert into kurse (kursnr, kursart, kursname) values (1, \"Ju\", \"Junghunde Herbst\")");
        f.exec("insert into kurs_dokumente values (1, 3, \"Kursleiter\")");
        f.exec("insert into vorlagen_kurse values (1, \"Welpenkurs 8 Wochen\", 7)");
        f.exec("insert into vorlagen_kurse (vorlagennr, bezeichnung) values (2, \"Junghundekurs\")");
        const char* themen[] = {"Kennenlernen, Hundewiese am Deich", "Spielgruppe und Sozialkontakt",
                                "Leinenführigkeit", "Stadtgang, Treffpunkt Bahnhof"};
        for (int i = 0; i < 4; ++i)
            f.exec(QStringLiteral("insert into vorlagen_kurstermine values (1, %1, \"%2\")").arg(i + 1).arg(QString::fromUtf8(themen[i])));

        platform::ScopedScriptedDialogs d;
        d.setAcknowledgeMessages(true);
        frm_main->resize(1400, 900);
        frm_main->traineranzeigen(Fenstermodus::Uebersicht);
        QTest::qWait(200);
        frm_main->grab().save(out + "/trainer.png");

        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        dm->ibt_dokumente->locate("DOKNR", 3);
        frm_dokumente->jvro_kurse->expand();
        QTest::qWait(200);
        frm_main->grab().save(out + "/dokumente.png");

        QTimer::singleShot(300, [out] {
            frm_vorlagen_kurse->grab().save(out + "/vorlagen.png");
            frm_vorlagen_kurse->Button1->click();
        });
        frm_main->VorlagenKurse1->trigger();
    }
};

KYN_TEST(StaffDocsScreenshots)
#include "fenster_bilder.moc"
