#pragma once
// The save check of the working windows and its German messages, in one
// place: every window that posts its pending edits before the user moves on
// (another window, another page, the end of the program) does it through
// sichern() and shows the same texts (platform/meldungen.h).
#include <QString>
#include <functional>

#include "platform/dialogs.h"
#include "platform/meldungen.h"

namespace db {
class Dataset;
}

namespace platform {

// What the save check does with db::Abort (a handler that has already told
// the user why it stopped the post): say nothing, or show the save check's
// message as for any other failure.
enum class Abbruch { Still, Meldung };

// Posts the pending edit of `ds` (db::Dataset::checkBrowseMode). True when
// nothing was pending or the post succeeded. Otherwise false after one box:
//   db::ChangedElsewhere  its message, as a warning: the row was saved
//                         meanwhile on another workstation and read again,
//                         the user's change is still there to be saved again;
//   db::Abort             nothing (Abbruch::Still) or the save message;
//   anything else         sicherungsFehler(daten()) with `icon`.
// `daten` is asked only after the failure, so that a window can name what
// failed (a course whose post failed in one of its dates).
bool sichern(db::Dataset& ds, const std::function<Daten()>& daten, Icon icon = Icon::Information,
             Abbruch abbruch = Abbruch::Meldung);
inline bool sichern(db::Dataset& ds, Daten daten, Icon icon = Icon::Information,
                    Abbruch abbruch = Abbruch::Meldung) {
    return sichern(ds, [daten] { return daten; }, icon, abbruch);
}

}  // namespace platform
