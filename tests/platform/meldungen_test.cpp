// The windows' failure messages, as the user reads them: the save check's
// text per kind of data, the failed actions with their reason, the refusals
// while an import waits.
#include <QTest>

#include "common/testregistry.h"
#include <stdexcept>

#include "db/error.h"
#include "platform/meldungen.h"
#include "platform/scripteddialogs.h"

using platform::Daten;
using platform::Fehlschlag;
using platform::ImportOffen;

Q_DECLARE_METATYPE(platform::Daten)
Q_DECLARE_METATYPE(platform::Fehlschlag)
Q_DECLARE_METATYPE(platform::ImportOffen)

class TestMeldungen : public QObject {
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

    void fehlschlag_data() {
        QTest::addColumn<Fehlschlag>("was");
        QTest::addColumn<QString>("grund");
        QTest::addColumn<QString>("text");
        const QString g = QStringLiteral("lock conflict on no wait transaction");
        QTest::newRow("information") << Fehlschlag::DatenauskunftErstellen << g
                                     << "Die Datenauskunft konnte nicht erstellt werden: " + g;
        QTest::newRow("file") << Fehlschlag::DateiSchreiben << "/home/a/b.json"
                              << "Die Datei \"/home/a/b.json\" konnte nicht geschrieben werden. Bitte wählen Sie "
                                 "einen anderen Ort.";
        QTest::newRow("check before erasure") << Fehlschlag::KundeLoeschenPruefen << g
                                              << "Der Kunde kann nicht gelöscht werden: " + g;
        QTest::newRow("backup before erasure")
            << Fehlschlag::SicherungVorLoeschen << g
            << "Vor dem Löschen konnte keine Datensicherung angelegt werden: " + g +
                   "\r\n\r\nDer Kunde wurde nicht gelöscht.";
        QTest::newRow("erasure") << Fehlschlag::KundeLoeschen << g
                                 << "Der Kunde konnte nicht gelöscht werden: " + g + "\r\n\r\nEs wurde nichts gelöscht.";
        QTest::newRow("old customers") << Fehlschlag::AlteKundenLesen << g
                                       << "Die alten Kundendaten konnten nicht gelesen werden: " + g;
        QTest::newRow("move dates") << Fehlschlag::TermineVerschieben << g
                                    << "Die Termine konnten nicht verschoben werden: " + g +
                                           "\r\n\r\nEs wurde nichts verschoben.";
        QTest::newRow("cancel course") << Fehlschlag::KursStornieren << g
                                       << "Der Kurs konnte nicht storniert werden: " + g;
    }
    void fehlschlag() {
        QFETCH(Fehlschlag, was);
        QFETCH(QString, grund);
        QFETCH(QString, text);
        QCOMPARE(platform::fehlschlagText(was, grund), text);
        // Shown as an error.
        platform::ScopedScriptedDialogs d;
        d.expectMessage(text);
        platform::fehlschlagMelden(was, grund);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.shown().last().icon, platform::Icon::Error);
    }

    void importOffen_data() {
        QTest::addColumn<ImportOffen>("was");
        QTest::addColumn<QString>("text");
        const QString vorne = QStringLiteral(
            "Der letzte Datenimport ist weder übernommen noch verworfen. Bitte übernehmen oder verwerfen Sie ihn zuerst");
        QTest::newRow("course") << ImportOffen::Kursaenderung << vorne + ".";
        QTest::newRow("erasure") << ImportOffen::KundeLoeschen << vorne + "; danach kann der Kunde gelöscht werden.";
        QTest::newRow("backup") << ImportOffen::Datensicherung
                                << vorne + "; danach kann die Datensicherung erstellt werden.";
    }
    void importOffen() {
        QFETCH(ImportOffen, was);
        QFETCH(QString, text);
        QCOMPARE(platform::importOffenText(was), text);
        platform::ScopedScriptedDialogs d;
        d.expectMessage(text);
        platform::importOffenMelden(was);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.shown().last().icon, platform::Icon::Warning);
    }

    // The reason of the exception being handled: the database's own
    // message, a library's text, or a word for anything else.
    void grund() {
        const auto aus = [](auto werfen) {
            try {
                werfen();
            } catch (...) {
                return platform::grund();
            }
            return QString();
        };
        QCOMPARE(aus([] { throw db::Error(QStringLiteral("Tabelle gesperrt")); }), QStringLiteral("Tabelle gesperrt"));
        QCOMPARE(aus([] { throw std::runtime_error("kein Speicher"); }), QStringLiteral("kein Speicher"));
        QCOMPARE(aus([] { throw 42; }), QStringLiteral("unbekannter Fehler"));
    }
};

KYN_TEST(TestMeldungen)
#include "meldungen_test.moc"
