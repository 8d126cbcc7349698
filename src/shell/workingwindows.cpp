// The working windows that the main window's open functions create: one
// plug per window (see workingwindow.h).
#include "shell/workingwindow.h"

// Window headers, one per plugged window:
#include "courses/beratungen.h"
#include "courses/kurse.h"
#include "courses/terminsuche.h"
#include "customers/hunde.h"
#include "customers/kundenstamm.h"
#include "import/datenimport.h"
#include "shell/Main.h"
#include "staff_docs/dokumente.h"
#include "staff_docs/pflege_vorlagen_kurse.h"
#include "staff_docs/trainer.h"

void plugWorkingWindows(Tfrm_main& m) {
    // One line per window, e.g.
    //   m.plug(WindowKind::Kunden, plugWindow(frm_kunden));
    m.plug(WindowKind::Kunden, plugWindow(frm_kunden));
    m.plug(WindowKind::Kurse, plugWindow(frm_kurse));
    m.plug(WindowKind::Beratungen, plugWindow(frm_beratungen));
    m.plug(WindowKind::Hunde, plugWindow(frm_hunde));
    m.plug(WindowKind::Datenimport, plugWindow(frm_datenimport));
    m.plug(WindowKind::Trainer, plugWindow(frm_trainer));
    m.plug(WindowKind::Dokumente, plugWindow(frm_dokumente));
    m.plug(WindowKind::VorlagenKurse, plugWindow(frm_vorlagen_kurse));
    m.plug(WindowKind::Terminsuche, plugWindow(frm_terminsuche));
}
