#include "platform/meldungen.h"

#include <exception>

#include "db/error.h"

namespace platform {

namespace {

const QString absatz = QStringLiteral("\r\n\r\n");

template <class Schluessel>
struct Eintrag {
    Schluessel was;
    const char* vorne;
    const char* hinten;
};

template <class Schluessel, std::size_t N>
const Eintrag<Schluessel>& suchen(const Eintrag<Schluessel> (&tabelle)[N], Schluessel was) {
    for (const auto& e : tabelle)
        if (e.was == was) return e;
    return tabelle[0];
}

const Eintrag<Daten> datenWorte[] = {
    {Daten::Kundendaten, "Kundendaten", ""},
    {Daten::Hundedaten, "Hundedaten", ""},
    {Daten::Kursdaten, "Kursdaten", ""},
    {Daten::TermindatenDesKurses, "Termindaten des Kurses", ""},
    {Daten::Trainerdaten, "Trainerdaten", ""},
    {Daten::Dokumente, "Dokumenten", ""},
};

// Lead-in before the reason, closing words after it ("\n\n" starts a new
// paragraph: the boxes break lines with CR LF).
const Eintrag<Fehlschlag> fehlschlaege[] = {
    {Fehlschlag::DatenauskunftErstellen, "Die Datenauskunft konnte nicht erstellt werden: ", ""},
    {Fehlschlag::DateiSchreiben, "Die Datei \"",
     "\" konnte nicht geschrieben werden. Bitte wählen Sie einen anderen Ort."},
    {Fehlschlag::KundeLoeschenPruefen, "Der Kunde kann nicht gelöscht werden: ", ""},
    {Fehlschlag::SicherungVorLoeschen, "Vor dem Löschen konnte keine Datensicherung angelegt werden: ",
     "\n\nDer Kunde wurde nicht gelöscht."},
    {Fehlschlag::KundeLoeschen, "Der Kunde konnte nicht gelöscht werden: ", "\n\nEs wurde nichts gelöscht."},
    {Fehlschlag::AlteKundenLesen, "Die alten Kundendaten konnten nicht gelesen werden: ", ""},
    {Fehlschlag::TermineVerschieben, "Die Termine konnten nicht verschoben werden: ", "\n\nEs wurde nichts verschoben."},
    {Fehlschlag::KursStornieren, "Der Kurs konnte nicht storniert werden: ", ""},
};

const Eintrag<ImportOffen> importOffen[] = {
    {ImportOffen::Kursaenderung, "", "."},
    {ImportOffen::KundeLoeschen, "", "; danach kann der Kunde gelöscht werden."},
    {ImportOffen::Datensicherung, "", "; danach kann die Datensicherung erstellt werden."},
};

QString text(const char* s) { return QString::fromUtf8(s).replace(QStringLiteral("\n\n"), absatz); }

}  // namespace

QString sicherungsFehler(Daten daten) {
    return QStringLiteral("Die Änderungen an den ") + text(suchen(datenWorte, daten).vorne) +
           QStringLiteral(" konnten nicht gesichert werden, da diese nicht vollständig oder nicht korrekt sind ! "
                          "(Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder "
                          "korrigieren Sie bitte zunächst die Änderungen oder verwerfen Sie diese.");
}

QString fehlschlagText(Fehlschlag was, const QString& grund) {
    const auto& e = suchen(fehlschlaege, was);
    return text(e.vorne) + grund + text(e.hinten);
}

void fehlschlagMelden(Fehlschlag was, const QString& grund) {
    dialogs().messageBox(fehlschlagText(was, grund), Icon::Error);
}

QString grund() {
    try {
        throw;
    } catch (const db::Error& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unbekannter Fehler");
    }
}

QString importOffenText(ImportOffen was) {
    return QStringLiteral("Der letzte Datenimport ist weder übernommen noch verworfen. Bitte übernehmen oder "
                          "verwerfen Sie ihn zuerst") +
           text(suchen(importOffen, was).hinten);
}

void importOffenMelden(ImportOffen was) { dialogs().messageBox(importOffenText(was), Icon::Warning); }

}  // namespace platform
