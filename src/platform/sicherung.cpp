#include "platform/sicherung.h"

#include "db/dataset.h"
#include "db/error.h"

namespace platform {

QString sicherungsFehler(Daten daten) {
    struct Eintrag {
        Daten daten;
        const char* worte;
    };
    static const Eintrag tabelle[] = {
        {Daten::Kundendaten, "Kundendaten"},
        {Daten::Hundedaten, "Hundedaten"},
        {Daten::Kursdaten, "Kursdaten"},
        {Daten::TermindatenDesKurses, "Termindaten des Kurses"},
        {Daten::Trainerdaten, "Trainerdaten"},
        {Daten::Dokumente, "Dokumenten"},
    };
    QString worte;
    for (const Eintrag& e : tabelle)
        if (e.daten == daten) worte = QString::fromUtf8(e.worte);
    return QStringLiteral("Die Änderungen an den ") + worte +
           QStringLiteral(" konnten nicht gesichert werden, da diese nicht vollständig oder nicht korrekt sind ! "
                          "(Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder "
                          "korrigieren Sie bitte zunächst die Änderungen oder verwerfen Sie diese.");
}

bool sichern(db::Dataset& ds, const std::function<Daten()>& daten, Icon icon, Abbruch abbruch) {
    try {
        ds.checkBrowseMode();
        return true;
    } catch (const db::Abort&) {
        if (abbruch == Abbruch::Meldung) dialogs().messageBox(sicherungsFehler(daten()), icon);
        return false;
    } catch (const db::ChangedElsewhere& e) {
        // Saved meanwhile on another workstation: the row was read again and
        // the user's change is still there to be saved again.
        dialogs().messageBox(e.message(), Icon::Warning);
        return false;
    } catch (...) {
        dialogs().messageBox(sicherungsFehler(daten()), icon);
        return false;
    }
}

}  // namespace platform
