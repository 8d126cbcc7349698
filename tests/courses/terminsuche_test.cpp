// The appointment search ("Termine"/"Suchen") on a real database: criteria
// as parameters, upper-cased as the database does, the date range, the
// list and the double click into the consultations window.
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "courses/keyedit.h"
#include "courses/terminsuche.h"
#include "db/field.h"
#include "kursetestutil.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"
#include "widgets/captionpanel.h"
#include "widgets/monthcalendar.h"

using namespace kurstest;

namespace {

void beratung(Fixture& f, const QString& wann, const QString& thema, const QString& ort, const QString& kontakt) {
    db::Statement s(f.module->idb.get(), f.module->ibt);
    s.prepare("insert into kurstermine (kursnr, datum, uhrzeit, thema, ort, kontakt) values (-1, ?, ?, ?, ?, ?)");
    s.setParam(0, zeit(wann));
    s.setParam(1, zeit(wann));
    s.setParam(2, thema);
    s.setParam(3, ort);
    s.setParam(4, kontakt);
    s.execute();
}

void beispiel(Fixture& f) {
    f.kunde(1, "Müller", "Sabine", "030 1234", "12345", "Berlin");
    f.hund(1, 1, "Bello");
    f.kunde(2, "O'Brien", "Jörg", "0171 555");
    f.hund(2, 2, "Luna");
    beratung(f, "05.01.2027 10:00:00", "Leinenführigkeit", "Müller, 12345 Berlin", "Tel:030 1234, ");
    beratung(f, "06.01.2027 15:30:00", "Rückruf üben mit Luna", "O'Brien,  ", "Tel:0171 555, ");
    beratung(f, "07.01.2027 09:00:00", "Straße überqueren", "Hundewiese Süd", "Herr Schäfer");
    beratung(f, "02.01.2026 11:00:00", "Erstgespräch", "Müller, 12345 Berlin", "Tel:030 1234, ");
    // A course date of an ordinary course never is a consultation.
    f.kurs(1, "Ju", "Junghunde");
    f.termin(1, "05.01.2027 18:30", "Müller");
}

QStringList themen(const QVector<terminsuche::Treffer>& t) {
    QStringList out;
    for (const auto& r : t) out << r.thema;
    return out;
}

}  // namespace

class AppointmentSearchTest : public QObject {
    Q_OBJECT
private slots:
    void criteria_data() {
        QTest::addColumn<QString>("kunde");
        QTest::addColumn<QString>("hund");
        QTest::addColumn<QString>("thema");
        QTest::addColumn<QString>("kontakt");
        QTest::addColumn<QString>("von");
        QTest::addColumn<QString>("bis");
        QTest::addColumn<QStringList>("gefunden");
        const QStringList alle = {"Erstgespräch", "Leinenführigkeit", "Rückruf üben mit Luna", "Straße überqueren"};
        QTest::newRow("nothing restricts") << "" << "" << "" << "" << "" << "" << alle;
        QTest::newRow("customer, lower-case umlaut") << "müller" << "" << "" << "" << "" << ""
                                                     << QStringList{"Erstgespräch", "Leinenführigkeit"};
        QTest::newRow("customer, upper case") << "MÜLLER" << "" << "" << "" << "" << ""
                                              << QStringList{"Erstgespräch", "Leinenführigkeit"};
        QTest::newRow("customer with apostrophe") << "o'brien" << "" << "" << "" << "" << ""
                                                  << QStringList{"Rückruf üben mit Luna"};
        QTest::newRow("dog named in the topic") << "" << "luna" << "" << "" << "" << ""
                                                << QStringList{"Rückruf üben mit Luna"};
        QTest::newRow("dog through its owner") << "" << "BELLO" << "" << "" << "" << ""
                                               << QStringList{"Erstgespräch", "Leinenführigkeit"};
        QTest::newRow("topic with ß and umlaut") << "" << "" << "straße ÜBER" << "" << "" << ""
                                                 << QStringList{"Straße überqueren"};
        QTest::newRow("contact") << "" << "" << "" << "schäfer" << "" << "" << QStringList{"Straße überqueren"};
        QTest::newRow("contact telephone") << "" << "" << "" << "030" << "" << ""
                                           << QStringList{"Erstgespräch", "Leinenführigkeit"};
        QTest::newRow("from a day") << "" << "" << "" << "" << "06.01.2027" << ""
                                    << QStringList{"Rückruf üben mit Luna", "Straße überqueren"};
        QTest::newRow("up to a day, inclusive") << "" << "" << "" << "" << "05.01.2027" << "06.01.2027"
                                                << QStringList{"Leinenführigkeit", "Rückruf üben mit Luna"};
        QTest::newRow("two criteria together") << "müller" << "" << "leine" << "" << "" << ""
                                               << QStringList{"Leinenführigkeit"};
        QTest::newRow("statement text as search") << "'; delete from kurstermine; --" << "" << "" << "" << "" << ""
                                                  << QStringList{};
        QTest::newRow("quotes and wildcard") << "\"%" << "" << "" << "" << "" << "" << QStringList{};
        QTest::newRow("character outside the code page") << "Müller ☺" << "" << "" << "" << "" << "" << QStringList{};
        QTest::newRow("very long text") << QString(3000, '%') + "x" << "" << "" << "" << "" << "" << QStringList{};
    }
    void criteria() {
        QFETCH(QString, kunde);
        QFETCH(QString, hund);
        QFETCH(QString, thema);
        QFETCH(QString, kontakt);
        QFETCH(QString, von);
        QFETCH(QString, bis);
        QFETCH(QStringList, gefunden);
        Fixture f;
        beispiel(f);
        terminsuche::Kriterien k{kunde, hund, thema, kontakt, QDate::fromString(von, "dd.MM.yyyy"),
                                 QDate::fromString(bis, "dd.MM.yyyy")};
        QCOMPARE(themen(terminsuche::suchen(f.module->idb.get(), f.module->ibt, k)), gefunden);
        QCOMPARE(f.ask("select count(*) from kurstermine").toInt(), 5);
    }

    void windowListsAndOpensTheAppointment() {
        Fixture f;
        beispiel(f);
        f.module->ibt->commitRetaining();
        Tfrm_beratungen* b = f.beratungsfenster();
        Tfrm_terminsuche w(*f.module);
        frm_terminsuche = &w;
        w.resize(1000, 600);
        w.show();
        // "vom" starts at today: the past first talk is not listed.
        QCOMPARE(w.e_von->text(), db::fmt::formatDateTime(db::currentDateTime(), "dd.mm.yyyy"));
        QCOMPARE(w.tw_termine->rowCount(), 3);
        QCOMPARE(w.tw_termine->item(0, 0)->text(), QStringLiteral("Dienstag, 05.01.2027"));
        QCOMPARE(w.tw_termine->item(0, 1)->text(), QStringLiteral("10:00"));
        QCOMPARE(w.tw_termine->item(0, 2)->text(), QStringLiteral("Leinenführigkeit"));
        QCOMPARE(w.tw_termine->item(0, 4)->text(), QStringLiteral("Tel:030 1234, "));

        // Enter in a search field searches.
        w.e_hund->setFocus();
        QTest::keyClicks(w.e_hund, "luna");
        QTest::keyClick(w.e_hund, Qt::Key_Return);
        QCOMPARE(w.tw_termine->rowCount(), 1);
        QCOMPARE(w.lb_anzahl->text(), QStringLiteral("1 Termin gefunden. Doppelklick öffnet ihn."));

        // A double click: the consultations window on that appointment.
        w.tw_termineDblClick(0);
        QCOMPARE(b->mc_kursterminplaner->selectedDate(), QDate(2027, 1, 6));
        QCOMPARE(b->jcp_tagesansicht->caption(), QStringLiteral("06.01.2027"));
        QCOMPARE(f.module->ibq_kursedestages->fieldByName("THEMA")->asString(), QStringLiteral("Rückruf üben mit Luna"));
        QCOMPARE(b->e_thema->text(), QStringLiteral("Rückruf üben mit Luna"));
        // The date shown as a date, the time in its own edit.
        QCOMPARE(b->e_termin_am->text(), QStringLiteral("06.01.2027"));
        QCOMPARE(b->e_uhrzeit->text(), QStringLiteral("15:30"));
        QCOMPARE(b->e_kontakt->text(), QStringLiteral("Tel:0171 555, "));

        // A date that cannot be read: a message, the list stays.
        w.b_leerenClick();
        QCOMPARE(w.e_hund->text(), QString());
        w.e_bis->setText("32.13.2027");
        platform::ScopedScriptedDialogs d;
        d.expectMessage(meldungen::datumBisTerminsuche);
        QVERIFY(!w.b_suchenClick());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(w.tw_termine->rowCount(), 1);
        // An empty "vom": every appointment, the past included.
        w.e_bis->clear();
        w.e_von->clear();
        QVERIFY(w.b_suchenClick());
        QCOMPARE(w.tw_termine->rowCount(), 4);
    }
};
KYN_TEST(AppointmentSearchTest)

#include "terminsuche_test.moc"
