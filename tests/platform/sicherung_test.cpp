// The save check's messages: one text per kind of data, as the user reads it.
#include <QTest>

#include "common/testregistry.h"
#include "platform/sicherung.h"

using platform::Daten;

Q_DECLARE_METATYPE(platform::Daten)

class TestSicherung : public QObject {
    Q_OBJECT

private slots:
    void sicherungsFehler_data() {
        QTest::addColumn<Daten>("daten");
        QTest::addColumn<QString>("worte");
        QTest::newRow("customers") << Daten::Kundendaten << "Kundendaten";
        QTest::newRow("dogs") << Daten::Hundedaten << "Hundedaten";
        QTest::newRow("courses") << Daten::Kursdaten << "Kursdaten";
        QTest::newRow("course dates") << Daten::TermindatenDesKurses << "Termindaten des Kurses";
        QTest::newRow("trainers") << Daten::Trainerdaten << "Trainerdaten";
        QTest::newRow("documents") << Daten::Dokumente << "Dokumenten";
    }
    void sicherungsFehler() {
        QFETCH(Daten, daten);
        QFETCH(QString, worte);
        QCOMPARE(platform::sicherungsFehler(daten),
                 "Die Änderungen an den " + worte +
                     " konnten nicht gesichert werden, da diese nicht vollständig oder nicht korrekt sind ! "
                     "(Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder korrigieren "
                     "Sie bitte zunächst die Änderungen oder verwerfen Sie diese.");
    }
};

KYN_TEST(TestSicherung)
#include "sicherung_test.moc"
