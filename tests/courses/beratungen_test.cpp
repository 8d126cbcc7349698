// The consultations window: the customer search with hostile texts, taking
// over a customer's address, new/cancel/navigate, saving an appointment as a
// date of course -1, committed, with every window keeping its rows, the
// date message (also for a date text with a time), the refused second
// appointment at the same time, and the day list with its bracketed join.
#include <QAbstractItemModel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>
#include <QPushButton>
#include <QToolButton>
#include <QTest>

#include "courses/keyedit.h"
#include "db/field.h"
#include "kursetestutil.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"
#include "widgets/captionpanel.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/monthcalendar.h"

using namespace kurstest;

namespace {

QStringList kundennamen(db::Table* t) {
    QStringList r;
    for (t->first(); !t->eof(); t->next()) r << t->fieldByName("NAME")->asString();
    r.sort();
    return r;
}

void termin(Tfrm_beratungen* w, const QString& am, const QString& um, const QString& thema,
            const QString& ort = QString(), const QString& kontakt = QString()) {
    w->e_termin_am->setText(am);
    w->e_uhrzeit->setText(um);
    w->e_thema->setText(thema);
    w->e_ort->setText(ort);
    w->e_kontakt->setText(kontakt);
}

}  // namespace

class ConsultationsTest : public QObject {
    Q_OBJECT
private slots:
    void takingOverACustomer_data() {
        QTest::addColumn<QString>("plz");
        QTest::addColumn<QString>("mobil");
        QTest::addColumn<QString>("ort");
        QTest::addColumn<QString>("kontakt");
        QTest::newRow("no mobile") << "12345" << QString() << "Meier, 12345 Berlin" << "Tel:030 1234, ";
        QTest::newRow("no postcode") << QString() << "0170 99" << "Meier,  Berlin" << "Tel:030 1234, 0170 99";
    }
    void takingOverACustomer() {
        QFETCH(QString, plz);
        QFETCH(QString, mobil);
        QFETCH(QString, ort);
        QFETCH(QString, kontakt);
        Fixture f;
        f.kunde(1, "Meier", "Hans", "030 1234", plz, "Berlin", mobil);
        Tfrm_beratungen* w = f.beratungsfenster();
        platform::ScopedScriptedDialogs d;
        w->e_thema->setText("bleibt");
        emit w->dbg_kunde->rowDoubleClicked();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(w->e_ort->text(), ort);
        QCOMPARE(w->e_kontakt->text(), kontakt);
        QCOMPARE(w->e_thema->text(), QString("bleibt"));
    }

    void savingAnAppointment() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "06.12.2005 18:00:00", "Kursabend");
        f.kunde(1, "Meier", "Hans", "030 1234", "12345", "Berlin");
        Tfrm_beratungen* w = f.beratungsfenster();
        QCOMPARE(w->windowTitle(), QString("Beratungstermine / Einzelstunden"));
        QVERIFY(!w->BitBtn3->isEnabled());
        w->mc_kursterminplaner->setSelectedDate(QDate(2005, 12, 6));
        platform::ScopedScriptedDialogs d;
        QTest::mouseClick(w->BitBtn4, Qt::LeftButton);
        QVERIFY(!w->DBNavigator2->isEnabled());
        termin(w, "05.12.2005", "18:30", "Erstgespräch", "Meier, 12345 Berlin", "Tel:030 1234, ");
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        // Written as a date of course -1 and committed.
        QCOMPARE(f.askCommitted("select count(*) from kurstermine where kursnr=-1").toInt(), 1);
        QCOMPARE(f.askCommitted("select datum from kurstermine where kursnr=-1").toDateTime(), zeit("05.12.2005 18:30:00"));
        QCOMPARE(f.askCommitted("select uhrzeit from kurstermine where kursnr=-1").toDateTime(),
                 zeit("05.12.2005 18:30:00"));
        QCOMPARE(f.askCommitted("select thema || '|' || ort || '|' || kontakt from kurstermine where kursnr=-1").toString(),
                 QString("Erstgespräch|Meier, 12345 Berlin|Tel:030 1234, "));
        // Afterwards: the dates and the customers are open again, the day list
        // shows the calendar's date (not the appointment's), the navigator
        // works again.
        QVERIFY(f.module->ibt_kurstermine->isActive());
        QVERIFY(f.module->ibt_kunde->isActive());
        QCOMPARE(w->jcp_tagesansicht->caption(), QString("06.12.2005"));
        QCOMPARE(f.module->ibq_kursedestages->sqlText(),
                 QString(" select b.KURSNR, b.kursart, a.THEMA, a.UHRZEIT,a.ort,a.kontakt from KURSTERMINE a, KURSE b "
                         "where ((a.kursnr=b.kursnr)) and datum>=\"06.12.2005 00:00:00\" and datum<=\"06.12.2005 "
                         "23:59:59\" order by uhrzeit"));
        QCOMPARE(f.module->ibq_kursedestages->recordCount(), 1);
        QVERIFY(w->DBNavigator2->isEnabled());
        // The appointment's own day lists it with type "EB"; it is bold.
        w->mc_kursterminplaner->setSelectedDate(QDate(2005, 12, 5));
        emit w->mc_kursterminplaner->clicked(QDate(2005, 12, 5));
        QCOMPARE(f.module->ibq_kursedestages->recordCount(), 1);
        QCOMPARE(f.module->ibq_kursedestages->fieldByName("KURSART")->asString(), QString("EB"));
        QCOMPARE(f.module->ibq_kursedestages->fieldByName("KURSNR")->asInteger(), -1);
        QVERIFY(w->setbolddays(2005, 12).contains(5));
        QTRY_VERIFY(w->mc_kursterminplaner->isBold(QDate(2005, 12, 5)));
        KYN_VERIFY_DIALOGS(d);
    }

    void wrongDatesAreRefused_data() {
        QTest::addColumn<QString>("am");
        QTest::newRow("empty") << "";
        QTest::newRow("impossible") << "30.02.2006";
        QTest::newRow("with time") << "05.12.2005 18:30:00";
        QTest::newRow("word") << "Montag";
    }
    void wrongDatesAreRefused() {
        QFETCH(QString, am);
        Fixture f;
        Tfrm_beratungen* w = f.beratungsfenster();
        platform::ScopedScriptedDialogs d;
        d.expectMessage(meldungen::datumBeratung);
        termin(w, am, "18:30", "Beratung");
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.ask("select count(*) from kurstermine").toInt(), 0);
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
    }

    void secondAppointmentAtTheSameTimeIsRefused() {
        Fixture f;
        Tfrm_beratungen* w = f.beratungsfenster();
        w->mc_kursterminplaner->setSelectedDate(QDate(2005, 12, 5));
        platform::ScopedScriptedDialogs d;
        termin(w, "05.12.2005", "18:30", "erste");
        w->BitBtn2Click();
        QCOMPARE(f.askCommitted("select count(*) from kurstermine").toInt(), 1);
        // The same day and time: refused with the German message, nothing
        // is committed, no unsaved row is left behind, the window closes.
        termin(w, "05.12.2005", "18:30", "zweite");
        d.expectError(QStringLiteral("Für diesen Kurs gibt es am 05.12.2005 um 18:30 bereits einen Termin."));
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
        QCOMPARE(f.askCommitted("select count(*) from kurstermine").toInt(), 1);
        QCOMPARE(w->e_thema->text(), QString("zweite"));
        // An empty time: the message, no row appended, nothing written.
        termin(w, "05.12.2005", "", "dritte");
        d.expectMessage(meldungen::uhrzeitBeratung);
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
        // The next save writes its own.
        termin(w, "05.12.2005", "19:00", "vierte");
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.askCommitted("select count(*) from kurstermine").toInt(), 2);
        QCOMPARE(f.askCommitted("select count(*) from kurstermine where thema='vierte'").toInt(), 1);
        QCOMPARE(f.module->ibt_kurstermine->state(), db::DatasetState::Browse);
        // A refused appointment once more: the window closes at the first try.
        termin(w, "05.12.2005", "19:00", "fuenfte");
        d.expectError(QStringLiteral("Für diesen Kurs gibt es am 05.12.2005 um 19:00 bereits einen Termin."));
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        QVERIFY(w->close());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.askCommitted("select count(*) from kurstermine").toInt(), 2);
    }

    void newCancelAndNavigate() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "05.12.2005 00:00:00", "Mitternacht");
        f.run("insert into kurstermine (kursnr, datum, uhrzeit, thema, ort, kontakt) values (-1, "
              "\"05.12.2005 18:30:00\", \"05.12.2005 18:30:00\", \"Beratung\", \"Meier, 12345 Berlin\", \"Tel:030\")");
        Tfrm_beratungen* w = f.beratungsfenster();
        w->mc_kursterminplaner->setSelectedDate(QDate(2005, 12, 5));
        emit w->mc_kursterminplaner->clicked(QDate(2005, 12, 5));
        QCOMPARE(f.module->ibq_kursedestages->recordCount(), 2);
        platform::ScopedScriptedDialogs d;
        // Moving with the navigator shows the row; the date text carries the
        // time unless it is midnight.
        QTest::mouseClick(w->DBNavigator2->button(widgets::DbNavigator::Last), Qt::LeftButton);
        QCOMPARE(w->e_termin_am->text(), QString("05.12.2005 18:30:00"));
        QCOMPARE(w->e_uhrzeit->text(), QString("18:30"));
        QCOMPARE(w->e_thema->text(), QString("Beratung"));
        QCOMPARE(w->e_ort->text(), QString("Meier, 12345 Berlin"));
        QCOMPARE(w->e_kontakt->text(), QString("Tel:030"));
        // ... which the save refuses.
        d.expectMessage(meldungen::datumBeratung);
        w->BitBtn2Click();
        KYN_VERIFY_DIALOGS(d);
        QTest::mouseClick(w->DBNavigator2->button(widgets::DbNavigator::First), Qt::LeftButton);
        QCOMPARE(w->e_termin_am->text(), QString("05.12.2005"));
        QCOMPARE(w->e_uhrzeit->text(), QString("00:00"));
        QCOMPARE(w->e_thema->text(), QString("Mitternacht"));
        // "New" empties the edits and locks the navigator; "cancel" shows
        // the selected row again with the date alone and the long time.
        QTest::mouseClick(w->BitBtn4, Qt::LeftButton);
        QVERIFY(!w->DBNavigator2->isEnabled());
        for (QLineEdit* e : {static_cast<QLineEdit*>(w->e_termin_am), static_cast<QLineEdit*>(w->e_uhrzeit),
                             static_cast<QLineEdit*>(w->e_thema), static_cast<QLineEdit*>(w->e_ort),
                             static_cast<QLineEdit*>(w->e_kontakt)})
            QVERIFY(e->text().isEmpty());
        f.module->ibq_kursedestages->last();
        QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
        QVERIFY(w->DBNavigator2->isEnabled());
        QCOMPARE(w->e_termin_am->text(), QString("05.12.2005"));
        QCOMPARE(w->e_uhrzeit->text(), QString("18:30:00"));
        QCOMPARE(w->e_thema->text(), QString("Beratung"));
        // Cancel with an empty day list: the conversion error, edits kept.
        emit w->mc_kursterminplaner->clicked(QDate(2005, 12, 6));
        w->mc_kursterminplaner->setSelectedDate(QDate(2005, 12, 6));
        emit w->mc_kursterminplaner->clicked(QDate(2005, 12, 6));
        QCOMPARE(f.module->ibq_kursedestages->recordCount(), 0);
        d.expectError();
        QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(w->e_thema->text(), QString("Beratung"));
        // A double click on the calendar fills the date.
        emit w->mc_kursterminplaner->activated(QDate(2005, 12, 6));
        QCOMPARE(w->e_termin_am->text(), QString("06.12.2005"));
        // Typing a time: "," and "/" become ":", Enter makes nothing.
        w->e_uhrzeit->clear();
        w->e_uhrzeit->setFocus();
        QTest::keyClicks(w->e_uhrzeit, "9,3");
        QTest::keyClick(w->e_uhrzeit, Qt::Key_Return);
        QCOMPARE(w->e_uhrzeit->text(), QString("9:3"));
        KYN_VERIFY_DIALOGS(d);
    }

    void pendingEditsSurviveTheCommit() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kunde(1, "Meier", "Hans");
        Tfrm_beratungen* w = f.beratungsfenster();
        db::Table* k = f.module->ibt_kunde;
        k->edit();
        k->fieldByName("TEL")->setAsString("030 999");
        f.module->ibt_kurse->edit();
        f.module->ibt_kurse->fieldByName("KURSNAME")->setAsString("Junghunde neu");
        platform::ScopedScriptedDialogs d;
        termin(w, "05.12.2005", "18:30", "Beratung");
        w->BitBtn2Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.askCommitted("select tel from kunden where kndnr=1").toString(), QString("030 999"));
        QCOMPARE(f.askCommitted("select kursname from kurse where kursnr=1").toString(), QString("Junghunde neu"));
        QCOMPARE(f.askCommitted("select count(*) from kurstermine").toInt(), 1);
        QVERIFY(k->isActive());
    }

    // Saving an appointment while the course window shows a course: every
    // dataset stays open on the row it showed, and the participant list and
    // its payment buttons work right after.
    void courseWindowKeepsItsRowsAfterASave() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kurs(2, "We", "Welpen");
        f.termin(2, "01.12.2005 18:00:00", "Erste Stunde");
        f.termin(2, "08.12.2005 18:00:00", "Zweite Stunde");
        f.kunde(1, "Meier", "Hans", "030 1234");
        f.kunde(2, "Zorn", QString(), "089 77");
        f.hund(1, 1, "Rex");
        f.hund(2, 2, "Bello");
        f.teilnehmer(1, 2, 1, 1);
        f.teilnehmer(2, 2, 2, 2);
        f.module->ibt->commitRetaining();
        Tfrm_kurse* k = f.kursfenster();
        QVERIFY(f.zuKurs(2));
        db::Query* tn = f.module->ibq_teilnehmer;
        QVERIFY(tn->locate("NAME", "Zorn"));
        QVERIFY(f.module->ibt_kurstermine->locate("THEMA", "Zweite Stunde"));
        f.module->ibt_kunde->open();
        QVERIFY(f.module->ibt_kunde->locate("NAME", "Zorn"));

        Tfrm_beratungen* w = f.beratungsfenster();
        w->mc_kursterminplaner->setSelectedDate(QDate(2005, 12, 5));
        platform::ScopedScriptedDialogs d;
        termin(w, "05.12.2005", "18:30", "Beratung");
        QTest::mouseClick(w->BitBtn2, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.askCommitted("select count(*) from kurstermine where kursnr=-1").toInt(), 1);

        // The same rows as before the save, in every dataset.
        QCOMPARE(f.module->ibt_kurse->fieldByName("KURSNR")->asInteger(), 2);
        QVERIFY(tn->isActive());
        QCOMPARE(tn->recordCount(), 2);
        QCOMPARE(tn->fieldByName("NAME")->asString(), QString("Zorn"));
        QVERIFY(f.module->ibt_teilnehmeredit->isActive());
        QCOMPARE(f.module->ibt_teilnehmeredit->fieldByName("ID")->asInteger(), 2);
        QVERIFY(f.module->IBT_kursdokumente->isActive());
        // The course's dates, without the appointment of course -1.
        QCOMPARE(f.module->ibt_kurstermine->recordCount(), 2);
        QCOMPARE(f.module->ibt_kurstermine->fieldByName("THEMA")->asString(), QString("Zweite Stunde"));
        QCOMPARE(f.module->ibt_kunde->fieldByName("NAME")->asString(), QString("Zorn"));
        QVERIFY(f.module->ibq_kursedestages->isActive());
        QCOMPARE(k->DBGrid1->model()->rowCount(), 2);

        // The payment button works on the participant shown.
        QTest::mouseClick(k->BitBtn4, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.askCommitted("select bezahlt from teilnehmer where id=2").toString(), QString("B"));
        QCOMPARE(f.askCommitted("select bezahlt from teilnehmer where id=1").toString(), QString("N"));
    }

    void customerSearchWithHostileTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("erwartet");
        const QStringList alle{"Meier", "O'Brien", "Strich--Punkt"};
        QTest::newRow("empty: all") << "" << alle;
        QTest::newRow("apostrophe") << "O'Brien" << QStringList{"O'Brien"};
        QTest::newRow("injection") << "x' or '1'='1" << QStringList{};
        QTest::newRow("comment") << "--" << QStringList{"Strich--Punkt"};
        QTest::newRow("semicolon") << "; drop table kunden" << QStringList{};
        QTest::newRow("percent") << "%" << alle;
        QTest::newRow("quote") << "\"x\"" << QStringList{"Strich--Punkt"};
        QTest::newRow("non-Latin") << "北京" << QStringList{};
        QTest::newRow("very long") << QString(3000, 'b') << QStringList{};
        QTest::newRow("number") << "5" << QStringList{"O'Brien"};
        QTest::newRow("town") << "berlin" << QStringList{"Meier"};
    }
    void customerSearchWithHostileTexts() {
        QFETCH(QString, text);
        QFETCH(QStringList, erwartet);
        Fixture f;
        f.kunde(1, "Meier", "Hans", "030", "10117", "Berlin");
        f.kunde(5, "O'Brien", "Sean");
        f.kunde(9, "Strich--Punkt", "Ja;nein \"x\"");
        Tfrm_beratungen* w = f.beratungsfenster();
        platform::ScopedScriptedDialogs d;
        w->suchtext_kunde->setFocus();
        w->suchtext_kunde->setText(text);
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Return);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(w->suchtext_kunde->text(), text);
        db::Table* k = f.module->ibt_kunde;
        QVERIFY(k->isActive());
        QCOMPARE(k->filtered(), !text.isEmpty());
        QCOMPARE(kundennamen(k), erwartet);
        QCOMPARE(f.ask("select count(*) from kunden").toInt(), 3);
        // The grid shows the selection.
        QCOMPARE(w->dbg_kunde->model()->rowCount(), erwartet.size());
    }
};

// Both windows show the school's day in one shared list; each shows its own
// day when it comes to the front (the course window, opened to move a
// course, loads today into the list).
class SharedDayListTest : public QObject {
    Q_OBJECT
private slots:
    void eachWindowShowsItsDayWhenInFront() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "05.12.2005 19:00:00", "Welpenspiel");
        f.run("insert into kurstermine (kursnr, datum, uhrzeit, thema, ort) values "
              "(-1, \"05.12.2005 12:00:00\", \"05.12.2005 12:00:00\", \"Beratung\", \"Meier, 12345 Berlin\")");
        f.module->ibt_kunde->open();
        auto bereich = std::make_unique<QMdiArea>();
        bereich->resize(1200, 800);
        QVERIFY(zeigeAktiv(bereich.get()));
        auto* b = new Tfrm_beratungen(*f.module);
        f.beratungen = b;
        QMdiSubWindow* bSub = bereich->addSubWindow(b);
        b->show();
        bSub->showMaximized();
        b->mc_kursterminplaner->setSelectedDate(QDate(2005, 12, 5));
        emit b->mc_kursterminplaner->clicked(QDate(2005, 12, 5));
        QCOMPARE(b->jcp_tagesansicht->caption(), QStringLiteral("05.12.2005"));
        QCOMPARE(f.module->ibq_kursedestages->recordCount(), 2);

        // The course window comes: its day list is today's.
        auto* k = new Tfrm_kurse(*f.module);
        f.kurse = k;
        QMdiSubWindow* kSub = bereich->addSubWindow(k);
        k->show();
        kSub->showMaximized();
        bereich->setActiveSubWindow(kSub);
        QCOMPARE(k->tag(), QDate::currentDate());
        QCOMPARE(f.module->ibq_kursedestages->sqlText(),
                 tagesliste_sql(QDate::currentDate().toString("dd.MM.yyyy"), false));

        // Back to the consultations: the list is the day it is headed with.
        bereich->setActiveSubWindow(bSub);
        QCOMPARE(b->jcp_tagesansicht->caption(), QStringLiteral("05.12.2005"));
        QCOMPARE(f.module->ibq_kursedestages->sqlText(), tagesliste_sql("05.12.2005", true));
        QCOMPARE(f.module->ibq_kursedestages->recordCount(), 2);
        QVERIFY(f.module->ibq_kursedestages->locate("THEMA", "Beratung"));
        // And the course window again: its own day.
        bereich->setActiveSubWindow(kSub);
        QCOMPARE(f.module->ibq_kursedestages->sqlText(),
                 tagesliste_sql(QDate::currentDate().toString("dd.MM.yyyy"), false));
        delete k;
        delete b;
    }
};

KYN_TEST(ConsultationsTest)
KYN_TEST(SharedDayListTest)

#include "beratungen_test.moc"
