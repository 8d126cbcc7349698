#pragma once
// The German messages the windows show when something the user asked for
// failed, in one table: the save check's texts (what could not be saved), the
// failures of the actions that change many rows at once (with the reason the
// database gave) and the refusals while an import waits for its decision.
// A window names the case; the words come from here, so that the same
// failure reads the same wherever it happens.
#include <QString>

#include "platform/dialogs.h"

namespace platform {

// What a window's save check failed to save; the words its message uses.
enum class Daten {
    Kundendaten,           // "Kundendaten"
    Hundedaten,            // "Hundedaten"
    Kursdaten,             // "Kursdaten"
    TermindatenDesKurses,  // "Termindaten des Kurses"
    Trainerdaten,          // "Trainerdaten"
    Dokumente,             // "Dokumenten"
};

// "Die Änderungen an den <Daten> konnten nicht gesichert werden, da diese
// nicht vollständig oder nicht korrekt sind ! ..."
QString sicherungsFehler(Daten daten);

// An action that failed; its message is the table's lead-in, the reason
// (or, for a file, its path) and the table's closing words.
enum class Fehlschlag {
    DatenauskunftErstellen,  // "Die Datenauskunft konnte nicht erstellt werden: <grund>"
    DateiSchreiben,          // "Die Datei "<pfad>" konnte nicht geschrieben werden. ..."
    KundeLoeschenPruefen,    // "Der Kunde kann nicht gelöscht werden: <grund>"
    SicherungVorLoeschen,    // "Vor dem Löschen konnte keine Datensicherung ... Der Kunde wurde nicht gelöscht."
    KundeLoeschen,           // "Der Kunde konnte nicht gelöscht werden: <grund> ... Es wurde nichts gelöscht."
    AlteKundenLesen,         // "Die alten Kundendaten konnten nicht gelesen werden: <grund>"
    TermineVerschieben,      // "Die Termine konnten nicht verschoben werden: <grund> ... Es wurde nichts verschoben."
    KursStornieren,          // "Der Kurs konnte nicht storniert werden: <grund>"
};

QString fehlschlagText(Fehlschlag was, const QString& grund);
// Shows fehlschlagText as an error box.
void fehlschlagMelden(Fehlschlag was, const QString& grund);

// The reason of the exception being handled, for the messages above: the
// database's message, the library's text, else "unbekannter Fehler". Only
// inside a catch block.
QString grund();

// What cannot be done while an import waits for "übernehmen" or "verwerfen".
enum class ImportOffen {
    Kursaenderung,   // moving or cancelling a course's dates
    KundeLoeschen,   // "... danach kann der Kunde gelöscht werden."
    Datensicherung,  // "... danach kann die Datensicherung erstellt werden."
};

// "Der letzte Datenimport ist weder übernommen noch verworfen. Bitte
// übernehmen oder verwerfen Sie ihn zuerst..."
QString importOffenText(ImportOffen was);
// Shows importOffenText as a warning.
void importOffenMelden(ImportOffen was);

}  // namespace platform
