#include "platform/sicherung.h"

#include "db/dataset.h"
#include "db/error.h"

namespace platform {

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
