// The program's long-lived objects in their fixed order.
#include "shell/programm.h"

#include "courses/auswahl.h"
#include "courses/dlg_teilnehmer_add.h"
#include "courses/qr_teilnehmerliste.h"
#include "courses/qr_terminliste.h"
#include "customers/qr_kundenkarte.h"
#include "data/datamodultp.h"
#include "data/datenmodul.h"
#include "db/transaction.h"
#include "platform/application.h"
#include "platform/paths.h"
#include "shell/Main.h"
#include "shell/about.h"
#include "shell/hilfesuche.h"
#include "shell/notizblock.h"
#include "shell/stammdaten.h"
#include "shell/wb_hilfe.h"
#include "staff_docs/pflege_vorlagen_kurse.h"

Programm::Programm() = default;

Programm::~Programm() {
    // Last created first; the main window last of all. The data module's
    // connection commits its running transaction when it goes.
    m_stammdaten.reset();
    m_about.reset();
    m_dmtp.reset();
    m_notizblock.reset();
    m_vorlagen.reset();
    m_qrTerminliste.reset();
    m_qrKundenkarte.reset();
    m_qrTeilnehmerliste.reset();
    m_auswahl.reset();
    m_teilnehmerAdd.reset();
    m_hilfesuche.reset();
    m_wbHilfe.reset();
    m_dm.reset();
    m_main.reset();
}

bool Programm::starten() {
    // 0. The embedded engine's lock folder, the user's own, before anything
    //    attaches a database.
    platform::useEngineLockDirectory();

    // 1. frm_main (Tfrm_main): created first, so that it becomes the
    //    application's main window; it needs no data module. It is
    //    destroyed last.
    m_main = std::make_unique<Tfrm_main>();
    frm_main = m_main.get();

    // 2. dm: opens the database and brings the schema up to date. When the
    //    database cannot be used, or an upgrade step was declined or needs a
    //    restart, the start ends here without any window.
    m_dm = std::make_unique<Tdm>();
    dm = m_dm.get();
    if (!m_dm->DataModuleCreate()) return false;
    m_main->datenmodulAnbinden(*m_dm);

    // 3. frm_wb_hilfe: the separate help window, and frm_hilfesuche: the
    //    search over the help pages, kept in front of the main window.
    m_wbHilfe = std::make_unique<Tfrm_wb_hilfe>();
    frm_wb_hilfe = m_wbHilfe.get();
    m_hilfesuche = std::make_unique<Tfrm_hilfesuche>(m_main.get());
    frm_hilfesuche = m_hilfesuche.get();

    // 4. frm_teilnehmer_add: the add-participant dialog of the course window.
    m_teilnehmerAdd = std::make_unique<Tfrm_teilnehmer_add>(*m_dm);
    frm_teilnehmer_add = m_teilnehmerAdd.get();

    // 5. frm_auswahl: the pick-list dialog; the data module asks through it
    //    for the document of a new course-document row.
    m_auswahl = std::make_unique<Tfrm_auswahl>(*m_dm);
    frm_auswahl = m_auswahl.get();
    connectAuswahl(*m_dm);

    // 6. frm_qr_teilnehmerliste: the participant list printout.
    m_qrTeilnehmerliste = std::make_unique<Tfrm_qr_teilnehmerliste>(*m_dm);
    frm_qr_teilnehmerliste = m_qrTeilnehmerliste.get();
    // 7. frm_qr_kundenkarte: the customer card and list printout, and
    //    frm_qr_terminliste: the course date list printout.
    m_qrKundenkarte = std::make_unique<Tfrm_qr_kundenkarte>(*m_dm);
    frm_qr_kundenkarte = m_qrKundenkarte.get();
    m_qrTerminliste = std::make_unique<Tfrm_qr_terminliste>(*m_dm);
    frm_qr_terminliste = m_qrTerminliste.get();
    // 8. frm_vorlagen_kurse: the course template window, shown modally from
    //    the menu.
    m_vorlagen = std::make_unique<Tfrm_vorlagen_kurse>(*m_dm);
    frm_vorlagen_kurse = m_vorlagen.get();
    // 9. frm_notizblock: the notepad.
    m_notizblock = std::make_unique<Tfrm_notizblock>(*m_dm);
    frm_notizblock = m_notizblock.get();

    // 10. dmtp: the planner data module on dm's connection.
    m_dmtp = std::make_unique<Tdmtp>(*m_dm);
    dmtp = m_dmtp.get();
    m_dmtp->DataModuleCreate();

    // 11.-14. The appointment planner's dialogs and printout forms are not
    //    created: nothing in the program shows them.

    // 15. frm_about: the about window.
    m_about = std::make_unique<Tfrm_about>();
    frm_about = m_about.get();

    // 16. frm_stammdaten: the master data dialog.
    m_stammdaten = std::make_unique<Tfrm_stammdaten>(*m_dm, m_main.get());
    frm_stammdaten = m_stammdaten.get();
    // 17. frm_datenimport: made by its menu item on first use, because the
    //     window closes itself for good like the other working windows.
    return true;
}

void Programm::beiSignalenBeenden() {
    platform::onTerminationSignals([] {
        if (frm_main && frm_main->close()) return;
        if (dm) dm->commitSaved();
    });
}
