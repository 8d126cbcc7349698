// The working windows that the main window's open functions create: one
// plug per window (see workingwindow.h).
#include "shell/workingwindow.h"

// Window headers, one per plugged window:
#include "courses/beratungen.h"
#include "courses/kurse.h"
#include "courses/terminsuche.h"
#include "customers/hunde.h"
#include "customers/kundenstamm.h"
#include "data/datenmodul.h"
#include "import/datenimport.h"
#include "shell/Main.h"
#include "staff_docs/dokumente.h"
#include "staff_docs/pflege_vorlagen_kurse.h"
#include "staff_docs/trainer.h"

namespace {

// Makes a window of class W on the main window's data module (a window is
// only asked for once the main window has its module).
template <class W>
auto aufDaten(Tfrm_main& m) {
    return [&m]() -> W* { return new W(m.datenmodul()); };
}

}  // namespace

void plugWorkingWindows(Tfrm_main& m) {
    // One line per window, e.g.
    //   m.plug(WindowKind::Kunden, plugWindow(frm_kunden, aufDaten<Tfrm_kunden>(m)));
    m.plug(WindowKind::Kunden, plugWindow(frm_kunden, aufDaten<Tfrm_kunden>(m)));
    m.plug(WindowKind::Kurse, plugWindow(frm_kurse, aufDaten<Tfrm_kurse>(m)));
    m.plug(WindowKind::Beratungen, plugWindow(frm_beratungen, aufDaten<Tfrm_beratungen>(m)));
    m.plug(WindowKind::Hunde, plugWindow(frm_hunde, aufDaten<Tfrm_hunde>(m)));
    m.plug(WindowKind::Datenimport, plugWindow(frm_datenimport, aufDaten<Tfrm_datenimport>(m)));
    m.plug(WindowKind::Trainer, plugWindow(frm_trainer, aufDaten<Tfrm_trainer>(m)));
    m.plug(WindowKind::Dokumente, plugWindow(frm_dokumente, aufDaten<Tfrm_dokumente>(m)));
    m.plug(WindowKind::VorlagenKurse, plugWindow(frm_vorlagen_kurse, aufDaten<Tfrm_vorlagen_kurse>(m)));
    m.plug(WindowKind::Terminsuche, plugWindow(frm_terminsuche, aufDaten<Tfrm_terminsuche>(m)));
}
