// Moving the dates of a course and cancelling a course: the dialogs on a
// real database, answered through the scripted dialogs.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "courses/keyedit.h"
#include "courses/kursaktionen.h"
#include "db/field.h"
#include "kursetestutil.h"
#include "platform/scripteddialogs.h"
#include "platform/shell.h"
#include "testregistry.h"

using namespace kurstest;
using platform::Answer;

namespace {

// A course with four weekly dates at 18:30 in January 2027.
void kursMitTerminen(Fixture& f) {
    f.kurs(1, "Ju", "Junghunde");
    f.kurs(2, "We", "Welpen");
    for (const char* d : {"05.01.2027 18:30", "12.01.2027 18:30", "19.01.2027 18:30", "26.01.2027 18:30"})
        f.termin(1, QString::fromLatin1(d), QStringLiteral("Stunde"));
    // Another course's date on a day the move reaches does not collide.
    f.termin(2, "02.02.2027 18:30");
    f.module->ibt->commitRetaining();
}

// DATUM and UHRZEIT of the course's dates as committed, "dd.mm.yyyy hh:nn|dd.mm.yyyy hh:nn".
QStringList gespeichert(Fixture& f, int kursnr = 1) {
    db::Transaction t(f.module->idb.get(), db::Transaction::Isolation::ReadCommitted);
    QStringList out;
    {
        db::Statement s(f.module->idb.get(), &t);
        s.prepare(QStringLiteral("select datum, uhrzeit from kurstermine where kursnr=%1 order by datum").arg(kursnr));
        s.open();
        while (s.fetch())
            out << db::fmt::formatDateTime(s.value(0).toDateTime(), "dd.mm.yyyy hh:nn") + "|" +
                       db::fmt::formatDateTime(s.value(1).toDateTime(), "dd.mm.yyyy hh:nn");
    }
    t.commit();
    return out;
}

QStringList tage(const QStringList& daten) {
    QStringList out;
    for (const QString& d : daten) out << d + " 18:30|" + d + " 18:30";
    return out;
}

QStringList spalte(QTableWidget* t, int c) {
    QStringList out;
    for (int r = 0; r < t->rowCount(); ++r) out << t->item(r, c)->text();
    return out;
}

}  // namespace

class CourseMoveTest : public QObject {
    Q_OBJECT
private slots:
    void move_data() {
        QTest::addColumn<int>("ab");          // index of the first date moved
        QTest::addColumn<QString>("wie");     // "tage" or "datum"
        QTest::addColumn<QString>("wert");    // days or the new date
        QTest::addColumn<int>("antwort");     // -1: no question expected
        QTest::addColumn<QString>("meldung");  // expected message (start), empty: none
        QTest::addColumn<QStringList>("nachher");
        const QStringList vorher = tage({"05.01.2027", "12.01.2027", "19.01.2027", "26.01.2027"});
        QTest::newRow("all forward one week (each onto the next's old place)")
            << 0 << "tage" << "7" << int(Answer::Ja) << "" << tage({"12.01.2027", "19.01.2027", "26.01.2027", "02.02.2027"});
        QTest::newRow("from the third, three days forward")
            << 2 << "tage" << "3" << int(Answer::Ja) << "" << tage({"05.01.2027", "12.01.2027", "22.01.2027", "29.01.2027"});
        QTest::newRow("all back one week")
            << 0 << "tage" << "-7" << int(Answer::Ja) << "" << tage({"29.12.2026", "05.01.2027", "12.01.2027", "19.01.2027"});
        QTest::newRow("second to a new first date")
            << 1 << "datum" << "14.01.2027" << int(Answer::Ja) << "" << tage({"05.01.2027", "14.01.2027", "21.01.2027", "28.01.2027"});
        QTest::newRow("answer Nein") << 1 << "tage" << "1" << int(Answer::Nein) << "" << vorher;
        QTest::newRow("collision with an earlier date")
            << 2 << "tage" << "-7" << -1 << "Die Termine können so nicht verschoben werden" << vorher;
        QTest::newRow("collision by new date")
            << 3 << "datum" << "05.01.2027" << -1 << "Die Termine können so nicht verschoben werden" << vorher;
        QTest::newRow("zero days") << 1 << "tage" << "0" << -1 << "Die Termine bleiben, wo sie sind" << vorher;
        QTest::newRow("invalid new date") << 1 << "datum" << "31.02.2027" << -1 << "Der neue Termin ist kein gültiges Datum"
                                          << vorher;
    }
    void move() {
        QFETCH(int, ab);
        QFETCH(QString, wie);
        QFETCH(QString, wert);
        QFETCH(int, antwort);
        QFETCH(QString, meldung);
        QFETCH(QStringList, nachher);
        Fixture f;
        kursMitTerminen(f);
        f.kursfenster();
        QVERIFY(f.zuKurs(1));
        const kursaktionen::Kurs k = kursaktionen::aktuellerKurs(*dm);
        QCOMPARE(k.kursnr, 1);
        QCOMPARE(k.bezeichnung, QStringLiteral("Kurs 0001 – Junghunde"));
        Tdlg_kurs_verschieben d(*dm, k);
        QCOMPARE(d.cb_ab->count(), 4);
        QCOMPARE(d.cb_ab->itemText(0), QStringLiteral("Dienstag, 05.01.2027 18:30  Stunde"));
        d.cb_ab->setCurrentIndex(ab);
        if (wie == "tage") {
            d.se_tage->setValue(wert.toInt());
        } else {
            d.e_neues_datum->setFocus();
            QTest::keyClicks(d.e_neues_datum, wert);
            QVERIFY(d.rb_datum->isChecked());
        }
        platform::ScopedScriptedDialogs dlg;
        if (antwort >= 0) dlg.expectConfirm(Answer(antwort), QStringLiteral("Termine verschieben?"));
        if (!meldung.isEmpty()) dlg.expectMessage();
        // The preview shows the old and the new dates before the question.
        if (meldung.isEmpty()) {
            QCOMPARE(d.tw_vorschau->rowCount(), 4 - ab);
            QCOMPARE(spalte(d.tw_vorschau, 0).first(), d.cb_ab->itemText(ab).left(26));
        }
        QTest::mouseClick(d.b_verschieben, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(dlg);
        if (!meldung.isEmpty()) QVERIFY2(dlg.lastText().startsWith(meldung), qPrintable(dlg.lastText()));
        QCOMPARE(gespeichert(f), nachher);
        QCOMPARE(gespeichert(f, 2), tage({"02.02.2027"}));
        // The course window shows the dates as they are now.
        QCOMPARE(f.module->ibt_kurstermine->recordCount(), 4);
        QCOMPARE(d.result() == QDialog::Accepted, antwort == int(Answer::Ja));
    }

    void previewMarksTheCollision() {
        Fixture f;
        kursMitTerminen(f);
        f.kursfenster();
        QVERIFY(f.zuKurs(1));
        Tdlg_kurs_verschieben d(*dm, kursaktionen::aktuellerKurs(*dm));
        d.cb_ab->setCurrentIndex(2);
        d.se_tage->setValue(-7);
        QCOMPARE(spalte(d.tw_vorschau, 0), (QStringList{"Dienstag, 19.01.2027 18:30", "Dienstag, 26.01.2027 18:30"}));
        QCOMPARE(spalte(d.tw_vorschau, 1), (QStringList{"Dienstag, 12.01.2027 18:30", "Dienstag, 19.01.2027 18:30"}));
        QCOMPARE(d.tw_vorschau->item(0, 1)->foreground().color(), QColor(Qt::red));
        QVERIFY(d.lb_hinweis->text().contains("Dienstag, 12.01.2027 18:30"));
    }

    void planRule() {
        using kursaktionen::Termin;
        const QVector<Termin> alle = {{zeit("01.03.2027 10:00:00"), {}, {}},
                                      {zeit("01.03.2027 15:00:00"), {}, {}},
                                      {zeit("08.03.2027 10:00:00"), {}, {}}};
        // Same day, other time: no collision; same day and time: collision.
        QVERIFY(kursaktionen::planen(alle, zeit("08.03.2027 10:00:00"), -7).kollisionen.size() == 1);
        QVERIFY(kursaktionen::planen(alle, zeit("01.03.2027 15:00:00"), 7).kollisionen.isEmpty());
        QCOMPARE(kursaktionen::tageBis(zeit("08.03.2027 10:00:00"), QDate(2027, 3, 1)), qint64(-7));
    }
};
KYN_TEST(CourseMoveTest)

class CourseCancelTest : public QObject {
    Q_OBJECT
private slots:
    void cancel_data() {
        QTest::addColumn<QList<int>>("antworten");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("termine");
        QTest::newRow("Nein") << QList<int>{int(Answer::Nein)} << "A" << 3;
        QTest::newRow("Ja, then Abbrechen") << QList<int>{int(Answer::Ja), int(Answer::Abbrechen)} << "A" << 3;
        QTest::newRow("Ja, dates deleted") << QList<int>{int(Answer::Ja), int(Answer::Ja)} << "S" << 1;
        QTest::newRow("Ja, dates kept") << QList<int>{int(Answer::Ja), int(Answer::Nein)} << "S" << 3;
    }
    void cancel() {
        QFETCH(QList<int>, antworten);
        QFETCH(QString, status);
        QFETCH(int, termine);
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        for (const char* d : {"05.01.2027 18:30", "12.01.2027 18:30", "19.01.2027 18:30"})
            f.termin(1, QString::fromLatin1(d));
        f.module->ibt->commitRetaining();
        f.kursfenster();
        QVERIFY(f.zuKurs(1));
        Tdlg_kurs_stornieren d(*dm, kursaktionen::aktuellerKurs(*dm));
        platform::ScopedScriptedDialogs dlg;
        dlg.expectConfirm(Answer(antworten[0]), QStringLiteral("Soll der Kurs \"Kurs 0001 – Junghunde\" storniert werden?\r\n\r\n"
                                                               "Der Kurs erhält den Status \"S\" (Storniert)."));
        if (antworten.size() > 1)
            dlg.expectConfirm(Answer(antworten[1]),
                              QStringLiteral("Der Kurs hat noch 2 künftige Termine.\r\n\r\nSollen die künftigen Termine gelöscht "
                                             "werden?\r\n\r\nJa: Termine löschen\r\nNein: Termine behalten\r\n"
                                             "Abbrechen: den Kurs nicht stornieren"));
        // "Now" lies between the first and the second date.
        const bool storniert = d.b_stornierenClick(zeit("10.01.2027 12:00:00"));
        KYN_VERIFY_DIALOGS(dlg);
        if (antworten.size() > 1) QCOMPARE(dlg.shown()[1].buttons, platform::Buttons::JaNeinAbbrechen);
        QCOMPARE(storniert, status == "S");
        QCOMPARE(f.askCommitted("select status from kurse where kursnr=1").toString(), status);
        QCOMPARE(f.askCommitted("select count(*) from kurstermine where kursnr=1").toInt(), termine);
        QCOMPARE(f.askCommitted("select count(*) from kurstermine where kursnr=1 and datum<\"10.01.2027\"").toInt(), 1);
        QCOMPARE(d.b_stornieren->isEnabled(), status != "S");
        // The course list ("Aktive Kurse") no longer shows a cancelled course.
        QCOMPARE(f.module->ibt_kurse->locate("KURSNR", 1), status != "S");
    }

    void noFutureDatesAsksOnce() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.termin(1, "05.01.2020 18:30");
        f.module->ibt->commitRetaining();
        f.kursfenster();
        QVERIFY(f.zuKurs(1));
        Tdlg_kurs_stornieren d(*dm, kursaktionen::aktuellerKurs(*dm));
        platform::ScopedScriptedDialogs dlg;
        dlg.expectConfirm(Answer::Ja);
        QVERIFY(d.b_stornierenClick());
        KYN_VERIFY_DIALOGS(dlg);
        QCOMPARE(f.askCommitted("select status from kurse where kursnr=1").toString(), QStringLiteral("S"));
        QCOMPARE(f.askCommitted("select count(*) from kurstermine where kursnr=1").toInt(), 1);
        QVERIFY(d.lb_status->text().startsWith("Der Kurs wurde storniert."));
    }

    void participantsAndOneMailToAll() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kunde(1, "Müller", "Sabine", "030 1234");
        f.kunde(2, "Abel", "Jörg", "0171 555");
        f.kunde(3, "Zander", "Uwe");
        f.kunde(4, "Berg", "Ina");
        f.run("update kunden set email=\"sabine@example.de\" where kndnr=1");
        f.run("update kunden set email=\" SABINE@example.de \" where kndnr=4");  // the same address again
        f.run("update kunden set email=\"a&b?c@example.de\" where kndnr=2");
        f.hund(1, 1, "Bello");
        f.hund(2, 2, "Luna");
        f.hund(3, 3, "Rex");
        f.hund(4, 4, "Kira");
        for (int i = 1; i <= 4; ++i) f.teilnehmer(i, 1, i, i);
        f.module->ibt->commitRetaining();
        f.kursfenster();
        QVERIFY(f.zuKurs(1));
        Tdlg_kurs_stornieren d(*dm, kursaktionen::aktuellerKurs(*dm));
        QCOMPARE(spalte(d.tw_teilnehmer, 0), (QStringList{"Abel", "Berg", "Müller", "Zander"}));
        QCOMPARE(spalte(d.tw_teilnehmer, 2), (QStringList{"Luna", "Kira", "Bello", "Rex"}));
        QCOMPARE(spalte(d.tw_teilnehmer, 3), (QStringList{"0171 555", "", "030 1234", ""}));
        QVERIFY(d.b_email->isEnabled());
        platform::ScopedRecordingShell shell;
        QTest::mouseClick(d.b_email, Qt::LeftButton);
        QCOMPARE(shell.calls().size(), 1);
        QCOMPARE(shell.lastVerb(), QStringLiteral("url"));
        // One message: each address once, characters with a meaning in a
        // mailto address encoded.
        QCOMPARE(shell.lastPath(), QStringLiteral("mailto:a%26b%3Fc@example.de,SABINE@example.de"));
        const platform::ShellCommand c = platform::openUrlCommand(shell.lastPath());
        QCOMPARE(c.arguments, QStringList{"mailto:a%26b%3Fc@example.de,SABINE@example.de"});
        QCOMPARE(kursaktionen::mailtoAlle({}), QString());
    }
};
KYN_TEST(CourseCancelTest)

#include "kursaktionen_test.moc"
