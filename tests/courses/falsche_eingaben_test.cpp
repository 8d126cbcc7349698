// Texts that are no date, time or number, typed into the course window's
// price, count, date and time cells and into the consultations window's
// time edit: the German conversion message, the text stays as typed, the
// record stays pending with the user's other change, the save check refuses
// it too, nothing is written; once corrected everything is saved.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "courses/keyedit.h"
#include "falscheeingaben.h"
#include "kursetestutil.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"
#include "widgets/monthcalendar.h"

using namespace kurstest;

class FalscheEingabenKurseTest : public QObject {
    Q_OBJECT
private slots:
    void badTextInCourseWindowCells_data() {
        QTest::addColumn<QString>("control");   // the grid
        QTest::addColumn<QString>("spalte");    // its field
        QTest::addColumn<QString>("text");      // what the user types
        QTest::addColumn<QString>("meldung");   // the conversion message
        QTest::addColumn<QString>("sichern");   // the save check's message
        QTest::addColumn<QString>("anderes");   // another field changed before
        QTest::addColumn<QString>("gut");       // the corrected text
        QTest::addColumn<QString>("pruefung");  // counts 1 once both changes are saved
        const QString kurs1 = "select count(*) from kurse where kursnr=1 and kursname='vorher' and ";
        const QString termin1 = "select count(*) from kurstermine where kursnr=1 and thema='vorher' and ";
        QTest::newRow("fee, a word") << "dbg_kurse" << "GEBUEHR" << "zwölf Euro"
                                     << "'zwölf Euro' ist kein gültiger Gleitkommawert" << meldungen::sichernKursdaten << "KURSNAME"
                                     << "49,5" << kurs1 + "gebuehr=49.5";
        QTest::newRow("fee, two commas") << "dbg_kurse" << "GEBUEHR" << "1,2,3"
                                         << "'1,2,3' ist kein gültiger Gleitkommawert" << meldungen::sichernKursdaten << "KURSNAME"
                                         << "120" << kurs1 + "gebuehr=120";
        QTest::newRow("max. participants, a word")
            << "dbg_kurse" << "MAXTEILNEHMER" << "zehn" << "'zehn' ist kein gültiger Integerwert" << meldungen::sichernKursdaten
            << "KURSNAME" << "10" << kurs1 + "maxteilnehmer=10";
        QTest::newRow("participants, decimal")
            << "dbg_kurse" << "ANZAHL_TEILNEHMER" << "3,5" << "'3,5' ist kein gültiger Integerwert" << meldungen::sichernKursdaten
            << "KURSNAME" << "4" << kurs1 + "anzahl_teilnehmer=4";
        QTest::newRow("course date, a word")
            << "DBGrid2" << "DATUM" << "Montag" << "'Montag' ist kein gültiges Datum" << meldungen::sichernTermindaten
            << "THEMA" << "06.12.2005 18:30" << termin1 + "datum='06.12.2005 18:30'";
        QTest::newRow("course date, impossible day")
            << "DBGrid2" << "DATUM" << "30.02.2006" << "'30.02.2006' ist kein gültiges Datum"
            << meldungen::sichernTermindaten << "THEMA" << "28.02.2006 18:30" << termin1 + "datum='28.02.2006 18:30'";
        QTest::newRow("course time, a word")
            << "DBGrid2" << "UHRZEIT" << "abends" << "'abends' ist kein gültiges Datum" << meldungen::sichernTermindaten
            << "THEMA" << "05.12.2005 19:00" << termin1 + "uhrzeit='05.12.2005 19:00'";
    }
    void badTextInCourseWindowCells() {
        QFETCH(QString, control);
        QFETCH(QString, spalte);
        QFETCH(QString, text);
        QFETCH(QString, meldung);
        QFETCH(QString, sichern);
        QFETCH(QString, anderes);
        QFETCH(QString, gut);
        QFETCH(QString, pruefung);
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "05.12.2005 18:30:00", "Leinenführigkeit");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        auto* c = w->findChild<QWidget*>(control);
        QVERIFY2(c, qPrintable(control));
        falsch::sichtbarMachen(c);
        db::Dataset* ds = falsch::datenmenge(c);
        QVERIFY(ds && ds->isActive());
        QCOMPARE(ds->fieldByName("KURSNR")->asInteger(), 1);
        // The user has already changed another field of the row.
        ds->edit();
        ds->fieldByName(anderes)->setAsString("vorher");

        d.expectError(meldung);
        falsch::eingeben(c, spalte, text);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(falsch::hatFokus(c));
        QCOMPARE(falsch::angezeigt(c), text);
        QCOMPARE(ds->state(), db::DatasetState::Edit);
        QCOMPARE(ds->fieldByName(anderes)->asString(), QStringLiteral("vorher"));
        QCOMPARE(f.ask(pruefung).toInt(), 0);

        // The save check names the refused data and keeps everything.
        d.expectMessage(sichern);
        QVERIFY(!w->check_sichern());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(falsch::angezeigt(c), text);
        QCOMPARE(ds->state(), db::DatasetState::Edit);
        QCOMPARE(ds->fieldByName(anderes)->asString(), QStringLiteral("vorher"));
        QCOMPARE(f.ask(pruefung).toInt(), 0);

        // Corrected, the row is saved with both changes.
        falsch::eingeben(c, spalte, gut);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(w->check_sichern());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.ask(pruefung).toInt(), 1);
    }

    // The consultations window checks its time edit before the appointment
    // is appended: a time it cannot read gives its message, no row is
    // appended, nothing is committed, the edits keep their texts, and the
    // next save with a time goes through.
    void unreadableAppointmentTime_data() {
        QTest::addColumn<QString>("um");
        QTest::newRow("word") << "abends";
        QTest::newRow("hour 25") << "25:00";
        QTest::newRow("minute 61") << "18:61";
        QTest::newRow("words and digits") << "halb 7";
        QTest::newRow("date instead of time") << "05.12.2005";
    }
    void unreadableAppointmentTime() {
        QFETCH(QString, um);
        Fixture f;
        f.kunde(1, "Meier", "Hans");
        Tfrm_beratungen* w = f.beratungsfenster();
        w->mc_kursterminplaner->setSelectedDate(QDate(2005, 12, 5));
        platform::ScopedScriptedDialogs d;
        w->e_termin_am->setText("05.12.2005");
        w->e_thema->setText("Beratung");
        w->e_ort->setText("Meier, 12345 Berlin");
        w->e_uhrzeit->clear();
        w->e_uhrzeit->setFocus();
        falsch::tasten(w->e_uhrzeit, um);
        QCOMPARE(w->e_uhrzeit->text(), um);
        d.expectMessage(meldungen::uhrzeitBeratung);
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
        QCOMPARE(f.askCommitted("select count(*) from kurstermine").toInt(), 0);
        QCOMPARE(w->e_uhrzeit->text(), um);
        QCOMPARE(w->e_termin_am->text(), QString("05.12.2005"));
        QCOMPARE(w->e_thema->text(), QString("Beratung"));
        QCOMPARE(w->e_ort->text(), QString("Meier, 12345 Berlin"));

        w->e_uhrzeit->setText("18:30");
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.askCommitted("select count(*) from kurstermine where kursnr=-1 and thema='Beratung' and "
                                "ort='Meier, 12345 Berlin' and datum='05.12.2005 18:30'")
                     .toInt(),
                 1);
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
    }
};

KYN_TEST(FalscheEingabenKurseTest)
#include "falsche_eingaben_test.moc"
