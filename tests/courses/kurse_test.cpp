// The course window: courses and course dates. The two date generators with
// their messages and failures, the keys and the time normalisation of the
// roll-out edits, the day list, the bold days of the calendar, the calendar
// following the course date, the trainer pick, the save check, closing, and
// opening the window through the main window.
#include <QAbstractItemModel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "courses/keyedit.h"
#include "db/field.h"
#include "kursetestutil.h"
#include "platform/scripteddialogs.h"
#include "platform/sicherung.h"
#include "shell/Main.h"
#include "testregistry.h"
#include "widgets/captionpanel.h"
#include "widgets/dbgrid.h"
#include "widgets/monthcalendar.h"

using namespace kurstest;
using platform::Answer;

namespace {

// The dates of a course as "dd.mm.yyyy hh:nn:ss|<same for UHRZEIT>|thema".
QStringList termine(Fixture& f, int kursnr) {
    QStringList r;
    for (const QVariantList& z :
         f.rows(QStringLiteral("select datum, uhrzeit, thema from kurstermine where kursnr=%1 order by datum").arg(kursnr)))
        r << db::fmt::dateTimeToStr(z[0].toDateTime()) + "|" + db::fmt::dateTimeToStr(z[1].toDateTime()) + "|" +
                 z[2].toString();
    return r;
}

void eingaben(Tfrm_kurse* w, const QString& anzahl, const QString& erster, const QString& uhrzeit,
              const QString& tage) {
    w->e_anztermine->setText(anzahl);
    w->e_erster_termin_am->setText(erster);
    w->e_uhrzeit->setText(uhrzeit);
    w->e_alle_x_tage->setText(tage);
}

}  // namespace

class CourseDatesTest : public QObject {
    Q_OBJECT
private slots:
    void countAndIntervalGenerateDates_data() {
        QTest::addColumn<QString>("anzahl");
        QTest::addColumn<QString>("erster");
        QTest::addColumn<QString>("tage");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("three weekly") << "3" << "05.12.2005" << "7"
                                      << QStringList{"05.12.2005 18:30:00|05.12.2005 18:30:00|",
                                                     "12.12.2005 18:30:00|12.12.2005 18:30:00|",
                                                     "19.12.2005 18:30:00|19.12.2005 18:30:00|"};
        QTest::newRow("backwards") << "3" << "19.12.2005" << "-7"
                                   << QStringList{"05.12.2005 18:30:00|05.12.2005 18:30:00|",
                                                  "12.12.2005 18:30:00|12.12.2005 18:30:00|",
                                                  "19.12.2005 18:30:00|19.12.2005 18:30:00|"};
        QTest::newRow("count 0") << "0" << "05.12.2005" << "7" << QStringList{};
        QTest::newRow("negative count") << "-2" << "05.12.2005" << "7" << QStringList{};
        QTest::newRow("comma typed date, blanks") << " 2 " << "5.12.05" << "1"
                                                  << QStringList{"05.12.2005 18:30:00|05.12.2005 18:30:00|",
                                                                 "06.12.2005 18:30:00|06.12.2005 18:30:00|"};
    }
    void countAndIntervalGenerateDates() {
        QFETCH(QString, anzahl);
        QFETCH(QString, erster);
        QFETCH(QString, tage);
        QFETCH(QStringList, erwartet);
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kurs(2, "We", "Welpen");
        Tfrm_kurse* w = f.kursfenster();
        QVERIFY(f.zuKurs(2));
        platform::ScopedScriptedDialogs d;
        eingaben(w, anzahl, erster, "18:30", tage);
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 2), erwartet);
        QCOMPARE(termine(f, 1), QStringList{});
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
        // The dates show in the grid of the course's dates.
        QCOMPARE(f.module->ibt_kurstermine->recordCount(), erwartet.size());
    }

    void inputsAreCheckedInOrder_data() {
        QTest::addColumn<QString>("anzahl");
        QTest::addColumn<QString>("erster");
        QTest::addColumn<QString>("tage");
        QTest::addColumn<QString>("meldung");
        const QString a = meldungen::anzahl;
        const QString e = meldungen::ersterTermin;
        const QString i = meldungen::intervall;
        QTest::newRow("all empty") << "" << "" << "" << a;
        QTest::newRow("count word") << "zehn" << "05.12.2005" << "7" << a;
        QTest::newRow("count decimal") << "2,5" << "05.12.2005" << "7" << a;
        QTest::newRow("count too big") << "99999999999" << "05.12.2005" << "7" << a;
        QTest::newRow("date empty") << "3" << "" << "" << e;
        QTest::newRow("date impossible") << "3" << "31.02.2006" << "7" << e;
        QTest::newRow("date with time") << "3" << "05.12.2005 18:00" << "7" << e;
        QTest::newRow("date text") << "3" << "morgen" << "7" << e;
        QTest::newRow("interval empty") << "3" << "05.12.2005" << "" << i;
        QTest::newRow("interval word") << "3" << "05.12.2005" << "sieben" << i;
        QTest::newRow("count 0, bad interval") << "0" << "05.12.2005" << "x" << i;
    }
    void inputsAreCheckedInOrder() {
        QFETCH(QString, anzahl);
        QFETCH(QString, erster);
        QFETCH(QString, tage);
        QFETCH(QString, meldung);
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        d.expectMessage(meldung);
        eingaben(w, anzahl, erster, "18:30", tage);
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.ask("select count(*) from kurstermine").toInt(), 0);
    }

    void repeatedRunFailsAtItsFirstDate() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        eingaben(w, "3", "05.12.2005", "18:30", "7");
        w->Button1Click();
        QCOMPARE(termine(f, 1).size(), 3);
        // The same run again: the first date exists; the German message
        // names it, nothing more is stored and the refused row is gone.
        d.expectError(QStringLiteral("Für diesen Kurs gibt es am 05.12.2005 um 18:30 bereits einen Termin."));
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 1).size(), 3);
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
        // The next run writes its own dates.
        eingaben(w, "1", "26.12.2005", "18:30", "7");
        w->Button1Click();
        QCOMPARE(termine(f, 1).size(), 4);
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
        // A refused run once more (a date in the middle of the run): the
        // dates before it stay, and the window closes at the first try.
        eingaben(w, "3", "21.11.2005", "18:30", "14");
        d.expectError(QStringLiteral("Für diesen Kurs gibt es am 05.12.2005 um 18:30 bereits einen Termin."));
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 1).size(), 5);
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
        QVERIFY(w->close());
        KYN_VERIFY_DIALOGS(d);
    }

    void intervalZeroStopsAtTheSecondDate() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        d.expectError();
        eingaben(w, "3", "05.12.2005", "18:30", "0");
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 1), QStringList{"05.12.2005 18:30:00|05.12.2005 18:30:00|"});
    }

    // The time of day is checked before a row is appended, by both
    // generators: an empty or unreadable time gives the message and leaves
    // neither a date nor a half-filled row.
    void unreadableTimeAppendsNothing_data() {
        QTest::addColumn<QString>("uhrzeit");
        QTest::addColumn<bool>("vorlage");
        QTest::newRow("empty, count") << "" << false;
        QTest::newRow("words, count") << "halb acht" << false;
        QTest::newRow("hour 25, count") << "25:00" << false;
        QTest::newRow("empty, template") << "" << true;
        QTest::newRow("words, template") << "halb acht" << true;
    }
    void unreadableTimeAppendsNothing() {
        QFETCH(QString, uhrzeit);
        QFETCH(bool, vorlage);
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.vorlage(1, "Welpen", 7, {"eins", "zwei"});
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        d.expectMessage(meldungen::uhrzeitKurs);
        eingaben(w, "3", "05.12.2005", uhrzeit, "7");
        if (vorlage) w->erminlisteausVorlagenholen1Click();
        else QTest::mouseClick(w->Button1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(!frm_auswahl || !frm_auswahl->isVisible());
        QCOMPARE(termine(f, 1), QStringList{});
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
        QVERIFY(w->close());
        KYN_VERIFY_DIALOGS(d);
    }

    void datesBeyondTheCalendarAreRefused() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        d.expectMessage(meldungen::datumsbereich);
        eingaben(w, "3", "05.12.2005", "18:30", "2000000000");
        w->Button1Click();
        d.expectMessage(meldungen::datumsbereich);
        eingaben(w, "2", "01.01.0001", "18:30", "-1");
        w->Button1Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 1), QStringList{});
    }

    void withoutCourseNothingIsWritten() {
        Fixture f;
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        d.expectMessage(meldungen::keinKurs);
        eingaben(w, "3", "05.12.2005", "18:30", "7");
        w->Button1Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.ask("select count(*) from kurstermine").toInt(), 0);
    }

    void pendingNewDateIsDiscardedChangedDateIsPosted() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "01.12.2005 10:00:00", "alt");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        db::Table* t = f.module->ibt_kurstermine;
        // A changed existing date is posted by the first append.
        t->first();
        t->edit();
        t->fieldByName("THEMA")->setAsString("geändert");
        eingaben(w, "1", "05.12.2005", "18:30", "7");
        w->Button1Click();
        QCOMPARE(termine(f, 1), (QStringList{"01.12.2005 10:00:00|01.12.2005 10:00:00|geändert",
                                             "05.12.2005 18:30:00|05.12.2005 18:30:00|"}));
        // An unsaved new row (even with a topic typed) is discarded first.
        t->append();
        t->fieldByName("THEMA")->setAsString("halb fertig");
        eingaben(w, "1", "12.12.2005", "18:30", "7");
        w->Button1Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 1).size(), 3);
        QCOMPARE(f.ask("select count(*) from kurstermine where thema = 'halb fertig'").toInt(), 0);
    }

    void templateGeneratesOneDatePerTemplateDate_data() {
        QTest::addColumn<QVariant>("rythmus");
        QTest::addColumn<QString>("tage");
        QTest::addColumn<QStringList>("erwartet");
        const QStringList alle14{"05.12.2005 18:30:00|05.12.2005 18:30:00|Einführung",
                                 "19.12.2005 18:30:00|19.12.2005 18:30:00|Leinenführigkeit",
                                 "02.01.2006 18:30:00|02.01.2006 18:30:00|Abschluss"};
        const QStringList alle7{"05.12.2005 18:30:00|05.12.2005 18:30:00|Einführung",
                                "12.12.2005 18:30:00|12.12.2005 18:30:00|Leinenführigkeit",
                                "19.12.2005 18:30:00|19.12.2005 18:30:00|Abschluss"};
        QTest::newRow("rhythm ignores the edit") << QVariant(14) << "7" << alle14;
        QTest::newRow("rhythm with bad edit") << QVariant(14) << "x" << alle14;
        QTest::newRow("rhythm 0 uses the edit") << QVariant(0) << "7" << alle7;
        QTest::newRow("no rhythm uses the edit") << QVariant() << "7" << alle7;
    }
    void templateGeneratesOneDatePerTemplateDate() {
        QFETCH(QVariant, rythmus);
        QFETCH(QString, tage);
        QFETCH(QStringList, erwartet);
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.vorlage(1, "Andere", 3, {"eins"});
        f.vorlage(2, "Junghundekurs", rythmus, {"Einführung", "Leinenführigkeit", "Abschluss"});
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        // The count plays no part.
        eingaben(w, "10", "05.12.2005", "18:30", tage);
        Auswahl gesehen;
        waehleNaechste(2, &gesehen);
        w->erminlisteausVorlagenholen1->trigger();
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(gesehen.gezeigt);
        QCOMPARE(gesehen.caption, QString("Kursvorlage auswählen..."));
        QCOMPARE(gesehen.titel, (QStringList{"Nr.", "Bezeichnung"}));
        QCOMPARE(gesehen.zeilen, 2);
        QCOMPARE(termine(f, 1), erwartet);
    }

    void templateFailuresWriteNothing() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.vorlage(1, "Ohne Rhythmus", QVariant(), {"eins", "zwei"});
        f.vorlage(2, "Ohne Termine", 7, {});
        f.vorlage(3, "Rueckwaerts", -7, {"eins", "zwei"});
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;

        // A rhythm below 1 stored before templates refused it: no dates
        // backwards, the message instead, also with a valid interval edit.
        d.expectMessage(meldungen::rhythmusVorlageMinus7);
        eingaben(w, "", "05.12.2005", "18:30", "7");
        waehleNaechste(3);
        w->erminlisteausVorlagenholen1Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 1), QStringList{});

        // The first date is read before anything else: no pick list.
        d.expectMessage(meldungen::ersterTermin);
        eingaben(w, "", "", "18:30", "7");
        w->erminlisteausVorlagenholen1Click();
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(!frm_auswahl->isVisible());

        // Neither the template nor the edit has an interval.
        d.expectMessage(meldungen::intervallVorlage);
        eingaben(w, "", "05.12.2005", "18:30", "");
        waehleNaechste(1);
        w->erminlisteausVorlagenholen1Click();
        KYN_VERIFY_DIALOGS(d);

        // A template without dates writes nothing and shows nothing.
        waehleNaechste(2);
        w->erminlisteausVorlagenholen1Click();
        KYN_VERIFY_DIALOGS(d);

        // Cancelling the pick list ends the action.
        eingaben(w, "", "05.12.2005", "18:30", "7");
        waehleNaechste(QVariant());
        w->erminlisteausVorlagenholen1Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 1), QStringList{});

        // The same template twice: the second run stops at its first date.
        waehleNaechste(1);
        w->erminlisteausVorlagenholen1Click();
        QCOMPARE(termine(f, 1).size(), 2);
        d.expectError();
        waehleNaechste(1);
        w->erminlisteausVorlagenholen1->trigger();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 1).size(), 2);
    }
};

class TimeEntryTest : public QObject {
    Q_OBJECT
private slots:
    void keysEnterReplacementCharacters() {
        Fixture f;
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        w->e_uhrzeit->setFocus();
        QTest::keyClicks(w->e_uhrzeit, "18,30");
        QCOMPARE(w->e_uhrzeit->text(), QString("18:30"));
        w->e_uhrzeit->clear();
        QTest::keyClicks(w->e_uhrzeit, "9/15");
        QCOMPARE(w->e_uhrzeit->text(), QString("9:15"));
        w->e_erster_termin_am->setFocus();
        QTest::keyClicks(w->e_erster_termin_am, "05,12,2005");
        QCOMPARE(w->e_erster_termin_am->text(), QString("05.12.2005"));
        // "," stays a comma in the count.
        w->e_anztermine->setFocus();
        QTest::keyClicks(w->e_anztermine, "1,");
        QCOMPARE(w->e_anztermine->text(), QString("1,"));
        KYN_VERIFY_DIALOGS(d);
    }

    void enterMovesToTheNextEditWithoutCharacter() {
        Fixture f;
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        w->e_anztermine->setFocus();
        QTest::keyClicks(w->e_anztermine, "3");
        QTest::keyClick(w->e_anztermine, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->e_erster_termin_am));
        QTest::keyClicks(w->e_erster_termin_am, "05.12.2005");
        QTest::keyClick(w->e_erster_termin_am, Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->e_uhrzeit));
        QTest::keyClicks(w->e_uhrzeit, "18,3");
        QTest::keyClick(w->e_uhrzeit, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->e_alle_x_tage));
        QTest::keyClicks(w->e_alle_x_tage, "7");
        QTest::keyClick(w->e_alle_x_tage, Qt::Key_Return);
        QCOMPARE(w->e_anztermine->text(), QString("3"));
        QCOMPARE(w->e_erster_termin_am->text(), QString("05.12.2005"));
        // Leaving the time edit wrote the time as hh:nn.
        QCOMPARE(w->e_uhrzeit->text(), QString("18:03"));
        QCOMPARE(w->e_alle_x_tage->text(), QString("7"));
        KYN_VERIFY_DIALOGS(d);
    }

    void leavingTheTimeEditNormalises_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("danach");
        QTest::addColumn<bool>("meldung");
        QTest::newRow("short") << "9:5" << "09:05" << false;
        QTest::newRow("hour only") << "18" << "18:00" << false;
        QTest::newRow("seconds dropped") << "18:30:45" << "18:30" << false;
        QTest::newRow("blanks around") << " 7:30 " << "07:30" << false;
        QTest::newRow("empty") << "" << "" << false;
        QTest::newRow("blanks only") << "   " << "   " << false;
        QTest::newRow("hour 25") << "25:00" << "25:00" << true;
        QTest::newRow("word") << "abends" << "abends" << true;
        QTest::newRow("dot") << "18.30" << "18.30" << true;
    }
    void leavingTheTimeEditNormalises() {
        QFETCH(QString, text);
        QFETCH(QString, danach);
        QFETCH(bool, meldung);
        Fixture f;
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        if (meldung) d.expectMessage(meldungen::uhrzeitKurs);
        w->e_uhrzeit->setFocus();
        w->e_uhrzeit->setText(text);
        // Leave it for another control, as the user does with Tab.
        QTest::keyClick(w->e_uhrzeit, Qt::Key_Tab);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(w->e_uhrzeit->text(), danach);
        // The focus goes on where the user sent it, also after the message.
        QVERIFY(QApplication::focusWidget() != w->e_uhrzeit);
        if (!meldung) return;
        // Back into the edit and out again without a correction: reported
        // once is enough.
        w->e_uhrzeit->setFocus();
        QTest::keyClick(w->e_uhrzeit, Qt::Key_Tab);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(QApplication::focusWidget() != w->e_uhrzeit);
        // A corrected text is normalised, a new wrong one reported again.
        w->e_uhrzeit->setFocus();
        w->e_uhrzeit->setText("18:3");
        QTest::keyClick(w->e_uhrzeit, Qt::Key_Tab);
        QCOMPARE(w->e_uhrzeit->text(), QString("18:03"));
        d.expectMessage(meldungen::uhrzeitKurs);
        w->e_uhrzeit->setFocus();
        w->e_uhrzeit->setText(text);
        QTest::keyClick(w->e_uhrzeit, Qt::Key_Tab);
        KYN_VERIFY_DIALOGS(d);
    }
};

class GeneratorPerCourseTest : public QObject {
    Q_OBJECT
private slots:
    // What the generator shows when a course becomes current.
    void proposesFromTheCoursesOwnDates_data() {
        QTest::addColumn<int>("kurs");
        QTest::addColumn<QStringList>("felder");  // Anzahl, erster Termin, um, alle x Tage
        QTest::newRow("weekly, last two dates") << 1 << QStringList{"", "19.12.2026", "18:30", "7"};
        QTest::newRow("every 14 days") << 2 << QStringList{"", "31.12.2026", "09:15", "14"};
        QTest::newRow("one date: its time") << 3 << QStringList{"", "", "10:00", ""};
        QTest::newRow("no dates: empty") << 4 << QStringList{"", "", "", ""};
    }
    void proposesFromTheCoursesOwnDates() {
        QFETCH(int, kurs);
        QFETCH(QStringList, felder);
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kurs(2, "We", "Welpen");
        f.kurs(3, "Ag", "Agility");
        f.kurs(4, "So", "Sonstiges");
        f.termin(1, "28.11.2026 18:30:00");
        f.termin(1, "05.12.2026 18:30:00");
        f.termin(1, "12.12.2026 18:30:00");
        f.termin(2, "03.12.2026 09:15:00");
        f.termin(2, "17.12.2026 09:15:00");
        f.termin(3, "10.12.2026 10:00:00");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        // Something typed for another course first, with a time that is none.
        QVERIFY(f.zuKurs(kurs == 1 ? 2 : 1));
        eingaben(w, "12", "24.12.2026", "abends", "3");
        QVERIFY(f.zuKurs(kurs));
        const QStringList ist{w->e_anztermine->text(), w->e_erster_termin_am->text(), w->e_uhrzeit->text(),
                              w->e_alle_x_tage->text()};
        QCOMPARE(ist, felder);
        // Leaving the time edit asks nothing about the other course's text.
        w->e_uhrzeit->setFocus();
        QTest::keyClick(w->e_uhrzeit, Qt::Key_Tab);
        KYN_VERIFY_DIALOGS(d);
    }

    void typingAfterASwitchStartsAfresh() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kurs(2, "We", "Welpen");
        f.termin(2, "05.12.2026 18:30:00");
        f.termin(2, "12.12.2026 18:30:00");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        QVERIFY(f.zuKurs(1));
        eingaben(w, "3", "12.", "18:30", "7");
        // The user picks the other course in the list and types a count and
        // a day: the proposal is replaced, nothing is appended to the old
        // course's texts.
        QVERIFY(f.zuKurs(2));
        w->e_anztermine->setFocus();
        QTest::keyClicks(w->e_anztermine, "2");
        QCOMPARE(w->e_anztermine->text(), QString("2"));
        QCOMPARE(w->e_erster_termin_am->text(), QString("19.12.2026"));
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(termine(f, 1), QStringList{});
        QCOMPARE(termine(f, 2), (QStringList{"05.12.2026 18:30:00|05.12.2026 18:30:00|",
                                             "12.12.2026 18:30:00|12.12.2026 18:30:00|",
                                             "19.12.2026 18:30:00|19.12.2026 18:30:00|",
                                             "26.12.2026 18:30:00|26.12.2026 18:30:00|"}));
        // The dates written change nothing in the edits of the same course.
        QCOMPARE(w->e_anztermine->text(), QString("2"));
        QCOMPARE(w->e_erster_termin_am->text(), QString("19.12.2026"));
    }

    void newCourseKeepsWhatWasTypedForIt() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "05.12.2026 18:30:00");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        // A new course: the generator is empty; what the user types for it
        // stays when the course is saved by "Termine eintragen".
        d.expectConfirm(Answer::Ja, "Neuen Kurs einfügen ?");
        f.module->ibt_kurse->append();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(w->e_uhrzeit->text(), QString());
        f.module->ibt_kurse->fieldByName("KURSNAME")->setAsString("Neu");
        eingaben(w, "2", "07.01.2027", "19:00", "7");
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        const int neu = f.ask("select max(kursnr) from kurse").toInt();
        QCOMPARE(termine(f, neu), (QStringList{"07.01.2027 19:00:00|07.01.2027 19:00:00|",
                                               "14.01.2027 19:00:00|14.01.2027 19:00:00|"}));
        QCOMPARE(w->e_anztermine->text(), QString("2"));
        QCOMPARE(w->e_uhrzeit->text(), QString("19:00"));
    }
};

class DayListTest : public QObject {
    Q_OBJECT
private slots:
    void statementAndRowsOfOneDay() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kurs(2, "We", "Welpen");
        f.termin(2, "05.12.2005 19:00:00", "Welpenspiel");
        f.termin(1, "05.12.2005 09:15:00", "Treffpunkt Wiese");
        f.termin(1, "05.12.2005 23:59:00", "Nachtwanderung");
        f.termin(1, "06.12.2005 00:00:00", "nächster Tag");
        f.termin(1, "04.12.2005 23:59:59", "Tag davor");
        f.run("insert into kurstermine (kursnr, datum, uhrzeit, thema, ort) values "
              "(-1, \"05.12.2005 12:00:00\", \"05.12.2005 12:00:00\", \"Beratung\", \"Meier, 12345 Berlin\")");
        f.termin(7, "05.12.2005 13:00:00", "ohne Kurs");
        Tfrm_kurse* w = f.kursfenster();
        w->tagesliste(QDate(2005, 12, 5));
        QCOMPARE(f.module->ibq_kursedestages->sqlText(),
                 QString(" select b.KURSNR, b.kursart, a.THEMA, a.UHRZEIT,a.ort,a.kontakt from KURSTERMINE a, KURSE b "
                         "where a.kursnr=b.kursnr and datum>=\"05.12.2005 00:00:00\" and datum<=\"05.12.2005 "
                         "23:59:59\" order by uhrzeit"));
        QCOMPARE(w->jcp_tagesansicht->caption(), QString("05.12.2005"));
        QStringList zeilen;
        db::Query* q = f.module->ibq_kursedestages;
        for (q->first(); !q->eof(); q->next())
            zeilen << q->fieldByName("UHRZEIT")->displayText() + " " + q->fieldByName("KURSNR")->asString() + " " +
                          q->fieldByName("KURSART")->asString() + " " + q->fieldByName("THEMA")->asString();
        QCOMPARE(zeilen, (QStringList{"09:15 1 Ju Treffpunkt Wiese", "12:00 -1 EB Beratung", "19:00 2 We Welpenspiel",
                                      "23:59 1 Ju Nachtwanderung"}));
        // The grid shows the same four rows with its four columns.
        QCOMPARE(w->DBGrid3->model()->rowCount(), 4);
        QCOMPARE(w->DBGrid3->model()->headerData(3, Qt::Horizontal).toString(), QString("Tagesthema"));
    }

    void showingLoadsTodayAndTheCalendarLoadsItsDay() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "05.12.2005 18:30:00", "Start");
        Tfrm_kurse* w = f.kursfenster();
        QCOMPARE(w->jcp_tagesansicht->caption(), QDate::currentDate().toString("dd.MM.yyyy"));
        QVERIFY(f.module->ibt_kurse->isActive());
        QVERIFY(f.module->ibt_kurstermine->isActive());
        QVERIFY(f.module->ibt_dokumente->isActive());
        QVERIFY(f.module->IBT_kursdokumente->isActive());
        QVERIFY(f.module->ibt_trainer->isActive());
        QVERIFY(f.module->ibq_teilnehmer->isActive());
        QVERIFY(f.module->ibt_teilnehmeredit->isActive());
        // A click on the calendar loads its day; a double click fills the
        // first date of the generator.
        w->mc_kursterminplaner->setSelectedDate(QDate(2005, 12, 5));
        emit w->mc_kursterminplaner->clicked(QDate(2005, 12, 5));
        QCOMPARE(w->jcp_tagesansicht->caption(), QString("05.12.2005"));
        QCOMPARE(f.module->ibq_kursedestages->recordCount(), 1);
        emit w->mc_kursterminplaner->activated(QDate(2005, 12, 5));
        QCOMPARE(w->e_erster_termin_am->text(), QString("05.12.2005"));
    }

    void calendarFollowsTheCurrentCourseDate() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "05.12.2005 18:30:00");
        f.termin(1, "14.02.2006 18:30:00");
        Tfrm_kurse* w = f.kursfenster();
        const QString vorher = w->jcp_tagesansicht->caption();
        db::Table* t = f.module->ibt_kurstermine;
        t->first();
        QCOMPARE(w->mc_kursterminplaner->selectedDate(), QDate(2005, 12, 5));
        t->next();
        QCOMPARE(w->mc_kursterminplaner->selectedDate(), QDate(2006, 2, 14));
        QCOMPARE(w->mc_kursterminplaner->monthShown(), 2);
        // The day list changes only on a click.
        QCOMPARE(w->jcp_tagesansicht->caption(), vorher);
        // Once the window is gone, nothing reaches for its calendar.
        delete w;
        QVERIFY(!f.module->kursterminCalendar);
        t->first();
    }
};

class BoldDaysTest : public QObject {
    Q_OBJECT
private slots:
    void exactlyTheDaysOfTheShownMonth() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "28.01.2006 18:00:00");   // the 28th in the evening
        f.termin(1, "31.01.2006 10:00:00");   // the last day
        f.termin(1, "01.01.2006 00:00:00");   // the first at midnight
        f.termin(1, "01.02.2006 00:00:00");   // the next month
        f.termin(1, "31.12.2005 23:59:59");   // December of the year before
        f.termin(1, "15.01.2007 10:00:00");   // January of another year
        f.termin(1, "29.02.2008 10:00:00");   // a leap day
        f.run("insert into kurstermine (kursnr, datum, uhrzeit) values (-1, \"10.01.2006 12:00:00\", "
              "\"10.01.2006 12:00:00\")");  // a consultation
        Tfrm_kurse* w = f.kursfenster();
        QCOMPARE(w->setbolddays(2006, 1), (QSet<int>{1, 10, 28, 31}));
        QCOMPARE(w->setbolddays(2006, 2), (QSet<int>{1}));
        QCOMPARE(w->setbolddays(2005, 12), (QSet<int>{31}));
        QCOMPARE(w->setbolddays(2007, 1), (QSet<int>{15}));
        QCOMPARE(w->setbolddays(2008, 2), (QSet<int>{29}));
        QCOMPARE(w->setbolddays(2006, 3), (QSet<int>{}));
        QCOMPARE(w->setbolddays(9999, 12), (QSet<int>{}));

        // The calendar asks for the month it shows and its neighbours.
        widgets::MonthCalendar* mc = w->mc_kursterminplaner;
        mc->setCurrentPage(2006, 1);
        QVERIFY(mc->isBold(QDate(2006, 1, 28)));
        QVERIFY(mc->isBold(QDate(2006, 1, 31)));
        QVERIFY(mc->isBold(QDate(2005, 12, 31)));
        QVERIFY(!mc->isBold(QDate(2006, 1, 2)));
        QVERIFY(!mc->isBold(QDate(2007, 1, 15)));
        // December shown while January is selected, and the other way round.
        mc->setSelectedDate(QDate(2006, 1, 10));
        mc->setCurrentPage(2005, 12);
        QVERIFY(mc->isBold(QDate(2005, 12, 31)));
        mc->setSelectedDate(QDate(2005, 12, 20));
        mc->setCurrentPage(2007, 1);
        QVERIFY(mc->isBold(QDate(2007, 1, 15)));
    }

    void datesWrittenInThisRunAreBold() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        Tfrm_kurse* w = f.kursfenster();
        widgets::MonthCalendar* mc = w->mc_kursterminplaner;
        mc->setCurrentPage(2006, 1);
        QVERIFY(!mc->isBold(QDate(2006, 1, 20)));
        platform::ScopedScriptedDialogs d;
        eingaben(w, "2", "20.01.2006", "18:30", "7");
        w->Button1Click();
        KYN_VERIFY_DIALOGS(d);
        // Posted, not committed: the running transaction sees it.
        QCOMPARE(f.askCommitted("select count(*) from kurstermine").toInt(), 0);
        QCOMPARE(w->setbolddays(2006, 1), (QSet<int>{20, 27}));
        QTRY_VERIFY(mc->isBold(QDate(2006, 1, 20)));
        QVERIFY(mc->isBold(QDate(2006, 1, 27)));
        // A date removed is no longer bold.
        db::Table* t = f.module->ibt_kurstermine;
        QVERIFY(t->locate("DATUM", QVariant::fromValue(zeit("27.01.2006 18:30:00"))));
        t->deleteRecord();
        QTRY_VERIFY(!mc->isBold(QDate(2006, 1, 27)));
        QVERIFY(mc->isBold(QDate(2006, 1, 20)));
    }
};

class CourseWindowTest : public QObject {
    Q_OBJECT
private slots:
    void gridStoresCodesAndPicksTheTrainer() {
        Fixture f;
        f.trainer(1, "Anna", "Schmidt", "AS");
        f.trainer(2, "Bernd", "Meier", "BM");
        f.kurs(1, "Ju", "Junghunde");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        QAbstractItemModel* m = w->dbg_kurse->model();
        QStringList titel;
        for (int c = 0; c < m->columnCount(); ++c)
            if (!w->dbg_kurse->isColumnHidden(c)) titel << m->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titel, (QStringList{"Kurs-Nr.", "Kursart", "Status", "Kursname", "Kursgebühr", "Kursleiter",
                                     "max. Teilnehmer", "Anz. Teilnehmer"}));
        // Pick-list words are stored as their first characters.
        QVERIFY(m->setData(m->index(0, 1), "Welpenkurs"));
        QVERIFY(m->setData(m->index(0, 2), "Storniert"));
        f.module->ibt_kurse->post();
        QCOMPARE(f.ask("select kursart || status from kurse where kursnr=1").toString(), QString("WeS"));

        // Cancelling the trainer pick leaves the course untouched.
        w->dbg_kurse->setSelectedIndex(5);
        QCOMPARE(w->dbg_kurse->selectedFieldName(), QString("KURSLEITER_ZEICHEN"));
        waehleNaechste(QVariant());
        emit w->dbg_kurse->editButtonClicked(5);
        QCOMPARE(f.module->ibt_kurse->state(), db::DatasetState::Browse);
        // Choosing one puts the course into edit state with the trainer.
        Auswahl gesehen;
        waehleNaechste(2, &gesehen);
        emit w->dbg_kurse->editButtonClicked(5);
        QCOMPARE(gesehen.caption, QString("Kursleiter auswählen..."));
        QCOMPARE(gesehen.titel, (QStringList{"Nr.", "Vorname", "Name", "Kurzzeichen"}));
        QCOMPARE(f.module->ibt_kurse->state(), db::DatasetState::Edit);
        QCOMPARE(f.module->ibt_kurse->fieldByName("KURSLEITER")->asInteger(), 2);
        QVERIFY(w->check_sichern());
        QCOMPARE(f.ask("select kursleiter from kurse where kursnr=1").toInt(), 2);
        QCOMPARE(f.module->ibt_kurse->fieldByName("KURSLEITER_ZEICHEN")->asString(), QString("BM"));
        // Another column's ellipsis does nothing.
        w->dbg_kurse->setSelectedIndex(3);
        w->dbg_kurseEditButtonClick();
        QVERIFY(!frm_auswahl->isVisible());
        KYN_VERIFY_DIALOGS(d);
    }

    void saveCheckNamesWhatFailed() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kurs(2, "We", "Welpen");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        QVERIFY(w->check_sichern());

        // A course whose number collides with another one.
        db::Table* k = f.module->ibt_kurse;
        QVERIFY(f.zuKurs(2));
        k->edit();
        k->fieldByName("KURSNR")->setAsInteger(1);
        d.expectMessage(meldungen::sichernKursdaten);
        QVERIFY(!w->check_sichern());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(k->state(), db::DatasetState::Edit);
        k->cancel();

        // A course date without its date.
        db::Table* t = f.module->ibt_kurstermine;
        t->append();
        t->fieldByName("THEMA")->setAsString("ohne Datum");
        d.expectMessage(meldungen::sichernTermindaten);
        QVERIFY(!w->check_sichern());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(t->state(), db::DatasetState::Insert);
        t->cancel();
        QVERIFY(w->check_sichern());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(platform::sicherungsFehler(platform::Daten::Kursdaten),
                 QString("Die Änderungen an den Kursdaten konnten nicht gesichert werden, da diese nicht vollständig "
                         "oder nicht korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) "
                         "Vervollständigen oder korrigieren Sie bitte zunächst die Änderungen oder verwerfen Sie "
                         "diese."));
    }

    void closingPostsOrStaysOpen() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        db::Table* t = f.module->ibt_kurstermine;
        t->append();
        t->fieldByName("THEMA")->setAsString("ohne Datum");
        d.expectError();
        QVERIFY(!w->close());
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(f.kurse);
        t->fieldByName("DATUM")->setAsDateTime(zeit("05.12.2005 18:30:00"));
        f.module->ibt_kurse->edit();
        f.module->ibt_kurse->fieldByName("KURSNAME")->setAsString("Junghunde II");
        QVERIFY(w->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!frm_kurse);
        QCOMPARE(f.ask("select count(*) from kurstermine where kursnr=1").toInt(), 1);
        QCOMPARE(f.ask("select kursname from kurse where kursnr=1").toString(), QString("Junghunde II"));
        KYN_VERIFY_DIALOGS(d);
    }

    void mainWindowOpensTheWindows() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.run("update systemdaten set erststarthilfe = -1");  // no first-start assistant
        Tfrm_main mainWindow(*f.module);
        frm_main = &mainWindow;
        mainWindow.resize(1300, 900);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        platform::ScopedScriptedDialogs d;
        mainWindow.kurseanzeigen(Fenstermodus::Uebersicht);
        QVERIFY(frm_kurse);
        f.kurse = frm_kurse.data();
        QVERIFY(frm_kurse->isVisible());
        QCOMPARE(mainWindow.workingWindow(WindowKind::Kurse), static_cast<QWidget*>(frm_kurse.data()));
        QVERIFY(f.module->ibt_kurse->isActive());
        QVERIFY(f.module->ibq_teilnehmer->isActive());
        // Mode 4 asks and appends a new course.
        d.expectConfirm(Answer::Ja, "Neuen Kurs einfügen ?");
        mainWindow.kurseanzeigen(Fenstermodus::Neu);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.module->ibt_kurse->state(), db::DatasetState::Insert);
        QCOMPARE(f.module->ibt_kurse->fieldByName("KURSNR")->asInteger(), 2);
        f.module->ibt_kurse->cancel();

        mainWindow.beratungenanzeigen(Fenstermodus::Bearbeiten);
        QVERIFY(frm_beratungen);
        f.beratungen = frm_beratungen.data();
        QVERIFY(frm_beratungen->isVisible());
        QVERIFY(f.module->ibt_kunde->isActive());
        QCOMPARE(frm_beratungen->jcp_tagesansicht->caption(), QDate::currentDate().toString("dd.MM.yyyy"));
        KYN_VERIFY_DIALOGS(d);
        // Closing the course window releases it; the next request creates
        // a new one.
        QPointer<Tfrm_kurse> alt = frm_kurse.data();
        mainWindow.subWindowOf(alt)->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alt);
        QVERIFY(!frm_kurse);
        delete f.beratungen.data();
        frm_main = nullptr;
    }
};

KYN_TEST(CourseDatesTest)
KYN_TEST(TimeEntryTest)
KYN_TEST(GeneratorPerCourseTest)
KYN_TEST(DayListTest)
KYN_TEST(BoldDaysTest)
KYN_TEST(CourseWindowTest)

#include "kurse_test.moc"
