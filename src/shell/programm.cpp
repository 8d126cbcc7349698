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
    macherLoeschen();
    // Last created first (those made on first use in the order of their
    // makers); the main window last of all. The data module's connection
    // commits its running transaction when it goes.
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
    // The pick-list dialog answers the data module's questions (the document
    // of a new course-document row); it is made when first asked.
    connectAuswahl(*m_dm);

    // The main window with its navigator and quick help is the first screen;
    // everything else is made here, on first use, and owned here.
    macherSetzen();
    return true;
}

void Programm::macherSetzen() {
    Tdm& data = *m_dm;
    // 3. frm_wb_hilfe: the separate help window, and frm_hilfesuche: the
    //    search over the help pages, kept in front of the main window.
    frm_wb_hilfe.setMacher([this] {
        m_wbHilfe = std::make_unique<Tfrm_wb_hilfe>();
        return m_wbHilfe.get();
    });
    frm_hilfesuche.setMacher([this] {
        m_hilfesuche = std::make_unique<Tfrm_hilfesuche>(m_main.get());
        return m_hilfesuche.get();
    });
    // 4. frm_teilnehmer_add: the add-participant dialog of the course window.
    frm_teilnehmer_add.setMacher([this, &data] {
        m_teilnehmerAdd = std::make_unique<Tfrm_teilnehmer_add>(data);
        return m_teilnehmerAdd.get();
    });
    // 5. frm_auswahl: the pick-list dialog.
    frm_auswahl.setMacher([this, &data] {
        m_auswahl = std::make_unique<Tfrm_auswahl>(data);
        return m_auswahl.get();
    });
    // 6. frm_qr_teilnehmerliste: the participant list printout.
    frm_qr_teilnehmerliste.setMacher([this, &data] {
        m_qrTeilnehmerliste = std::make_unique<Tfrm_qr_teilnehmerliste>(data);
        return m_qrTeilnehmerliste.get();
    });
    // 7. frm_qr_kundenkarte: the customer card and list printout, and
    //    frm_qr_terminliste: the course date list printout.
    frm_qr_kundenkarte.setMacher([this, &data] {
        m_qrKundenkarte = std::make_unique<Tfrm_qr_kundenkarte>(data);
        return m_qrKundenkarte.get();
    });
    frm_qr_terminliste.setMacher([this, &data] {
        m_qrTerminliste = std::make_unique<Tfrm_qr_terminliste>(data);
        return m_qrTerminliste.get();
    });
    // 8. frm_vorlagen_kurse: the course template window, shown modally from
    //    the menu.
    frm_vorlagen_kurse.setMacher([this, &data] {
        m_vorlagen = std::make_unique<Tfrm_vorlagen_kurse>(data);
        return m_vorlagen.get();
    });
    // 9. frm_notizblock: the notepad.
    frm_notizblock.setMacher([this, &data] {
        m_notizblock = std::make_unique<Tfrm_notizblock>(data);
        return m_notizblock.get();
    });
    // 10. dmtp: the planner data module on dm's connection.
    dmtp.setMacher([this, &data] {
        m_dmtp = std::make_unique<Tdmtp>(data);
        m_dmtp->DataModuleCreate();
        return m_dmtp.get();
    });
    // 11.-14. The appointment planner's dialogs and printout forms are not
    //    made: nothing in the program shows them.
    // 15. frm_about: the about window.
    frm_about.setMacher([this] {
        m_about = std::make_unique<Tfrm_about>();
        return m_about.get();
    });
    // 16. frm_stammdaten: the master data dialog.
    frm_stammdaten.setMacher([this, &data] {
        m_stammdaten = std::make_unique<Tfrm_stammdaten>(data, m_main.get());
        return m_stammdaten.get();
    });
    // 17. frm_datenimport: made by its menu item on first use, because the
    //     window closes itself for good like the other working windows.
}

void Programm::macherLoeschen() {
    // Nothing is made any more while the objects go.
    frm_wb_hilfe.setMacher({});
    frm_hilfesuche.setMacher({});
    frm_teilnehmer_add.setMacher({});
    frm_auswahl.setMacher({});
    frm_qr_teilnehmerliste.setMacher({});
    frm_qr_kundenkarte.setMacher({});
    frm_qr_terminliste.setMacher({});
    frm_vorlagen_kurse.setMacher({});
    frm_notizblock.setMacher({});
    dmtp.setMacher({});
    frm_about.setMacher({});
    frm_stammdaten.setMacher({});
}

void Programm::beiSignalenBeenden() {
    platform::onTerminationSignals([] {
        if (frm_main && frm_main->close()) return;
        if (dm) dm->commitSaved();
    });
}
