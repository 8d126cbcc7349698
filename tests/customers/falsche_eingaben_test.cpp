// Texts that are no date or number, typed into the date and number controls
// of the customer window and the dog search window: the German conversion
// message, the text stays as typed in the control, the record stays in its
// edit state with the user's other change, the window's save check refuses
// it too, and once corrected everything is saved.
#include <QLineEdit>
#include <QTest>

#include "falscheeingaben.h"
#include "kundentest.h"
#include "testregistry.h"

using namespace kundentest;

namespace {

const QString kKundeMeldung = QStringLiteral(
    "Die Änderungen an den Kundendaten konnten nicht gesichert werden, da diese nicht vollständig oder nicht "
    "korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder korrigieren "
    "Sie bitte zunächst die Änderungen oder verwerfen Sie diese.");
const QString kHundMeldung = QStringLiteral(
    "Die Änderungen an den Hundedaten konnten nicht gesichert werden, da diese nicht vollständig oder nicht "
    "korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder korrigieren "
    "Sie bitte zunächst die Änderungen oder verwerfen Sie diese.");

}  // namespace

class FalscheEingabenKundenTest : public QObject {
    Q_OBJECT
private slots:
    void badTextInDateAndNumberControls_data() {
        QTest::addColumn<QString>("fenster");    // "kunden" or "hunde"
        QTest::addColumn<QString>("control");    // object name
        QTest::addColumn<QString>("spalte");     // the grid's field, empty for an edit
        QTest::addColumn<QString>("text");       // what the user types
        QTest::addColumn<QString>("meldung");    // the conversion message
        QTest::addColumn<QString>("sichern");    // the window's save check message, empty: not checked
        QTest::addColumn<QString>("anderes");    // another field the user changed before
        QTest::addColumn<QString>("gut");        // the corrected text
        QTest::addColumn<QString>("pruefung");   // counts 1 once both changes are saved
        const QString kunde1 = "select count(*) from kunden where kndnr=1 and kommentar='vorher' and ";
        const QString balu = "select count(*) from hunde where hundnr=1 and kommentar='vorher' and ";
        QTest::newRow("customer: aufgenommen am, a word")
            << "kunden" << "DBEdit12" << "" << "gestern" << "'gestern' ist kein gültiges Datum" << kKundeMeldung
            << "KOMMENTAR" << "04.02.2023" << kunde1 + "aufgenommen_am='04.02.2023'";
        QTest::newRow("customer: aufgenommen am, impossible day")
            << "kunden" << "DBEdit12" << "" << "31.02.2023" << "'31.02.2023' ist kein gültiges Datum" << kKundeMeldung
            << "KOMMENTAR" << "28.02.2023" << kunde1 + "aufgenommen_am='28.02.2023'";
        QTest::newRow("customer window dog: geboren am")
            << "kunden" << "DBEdit16" << "" << "Frühjahr 2020" << "'Frühjahr 2020' ist kein gültiges Datum"
            << kHundMeldung << "KOMMENTAR" << "15.04.2020" << balu + "geboren_am='15.04.2020'";
        QTest::newRow("customer window dog: Anamnese vom")
            << "kunden" << "DBEdit62" << "" << "13.13.2023" << "'13.13.2023' ist kein gültiges Datum" << kHundMeldung
            << "KOMMENTAR" << "13.03.2023" << balu + "anamese_aufgenommen_am='13.03.2023'";
        QTest::newRow("customer window diary: date cell")
            << "kunden" << "dbg_tagebuch" << "DATUM" << "morgen" << "'morgen' ist kein gültiges Datum" << ""
            << "GEPLANT" << "11.03.2023"
            << "select count(*) from hunde_tagebuch where hundnr=1 and geplant='vorher' and datum='11.03.2023'";
        QTest::newRow("dog window: Geburtsjahr, a word")
            << "hunde" << "DBEdit19" << "" << "zweitausend" << "'zweitausend' ist kein gültiger Integerwert"
            << kHundMeldung << "KOMMENTAR" << "2019" << balu + "geburtsjahr=2019";
        QTest::newRow("dog window: Geburtsjahr, decimal")
            << "hunde" << "DBEdit19" << "" << "2019,5" << "'2019,5' ist kein gültiger Integerwert" << kHundMeldung
            << "KOMMENTAR" << "2018" << balu + "geburtsjahr=2018";
        QTest::newRow("dog window: Geburtsjahr, too big")
            << "hunde" << "DBEdit19" << "" << "99999999999" << "'99999999999' ist kein gültiger Integerwert"
            << kHundMeldung << "KOMMENTAR" << "2017" << balu + "geburtsjahr=2017";
        QTest::newRow("dog window: Anamnese vom")
            << "hunde" << "dbe_anamese_aufgenommen_am" << "" << "letzte Woche"
            << "'letzte Woche' ist kein gültiges Datum" << kHundMeldung << "KOMMENTAR" << "01.03.2023"
            << balu + "anamese_aufgenommen_am='01.03.2023'";
        QTest::newRow("dog window grid: Geburtsjahr cell")
            << "hunde" << "dbg_kunde" << "GEBURTSJAHR" << "20x0" << "'20x0' ist kein gültiger Integerwert"
            << kHundMeldung << "KOMMENTAR" << "2016" << balu + "geburtsjahr=2016";
    }
    void badTextInDateAndNumberControls() {
        QFETCH(QString, fenster);
        QFETCH(QString, control);
        QFETCH(QString, spalte);
        QFETCH(QString, text);
        QFETCH(QString, meldung);
        QFETCH(QString, sichern);
        QFETCH(QString, anderes);
        QFETCH(QString, gut);
        QFETCH(QString, pruefung);
        Umgebung u;
        beispieldaten(u);
        QWidget* w = fenster == "kunden" ? static_cast<QWidget*>(u.kundenfenster()) : u.hundefenster();
        auto* c = w->findChild<QWidget*>(control);
        QVERIFY2(c, qPrintable(control));
        falsch::sichtbarMachen(c);
        db::Dataset* d = falsch::datenmenge(c);
        QVERIFY(d && d->isActive());
        // The user has already changed another field of the record.
        d->edit();
        d->fieldByName(anderes)->setAsString("vorher");

        u.dialoge.expectError(meldung);
        falsch::eingeben(c, spalte, text);
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(falsch::hatFokus(c));
        QCOMPARE(falsch::angezeigt(c), text);
        QCOMPARE(d->state(), db::DatasetState::Edit);
        QCOMPARE(d->fieldByName(anderes)->asString(), QStringLiteral("vorher"));
        QCOMPARE(u.wert(pruefung).toInt(), 0);

        // The save check refuses the record as well and keeps it.
        if (!sichern.isEmpty()) {
            u.dialoge.expectMessage(sichern);
            const bool ok = fenster == "kunden" ? u.kunden->check_sichern() : u.hunde->check_sichern();
            QVERIFY(!ok);
            KYN_VERIFY_DIALOGS(u.dialoge);
            QCOMPARE(falsch::angezeigt(c), text);
            QCOMPARE(d->state(), db::DatasetState::Edit);
            QCOMPARE(d->fieldByName(anderes)->asString(), QStringLiteral("vorher"));
        }

        // Corrected, the value goes in and the record is saved with both
        // changes.
        falsch::eingeben(c, spalte, gut);
        KYN_VERIFY_DIALOGS(u.dialoge);
        d->post();
        QCOMPARE(u.wert(pruefung).toInt(), 1);
    }
};

KYN_TEST(FalscheEingabenKundenTest)
#include "falsche_eingaben_test.moc"
