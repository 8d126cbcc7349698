// Program entry: the application object, then every long-lived object in a
// fixed order, then the event loop.
//
// The objects are owned here and destroyed in the reverse order of their
// creation when main() returns; the data module's connection then ends its
// transaction with commit, so every posted change is kept.
#include <QApplication>
#include <cstdlib>
#include <memory>

#include "courses/auswahl.h"
#include "courses/qr_teilnehmerliste.h"
#include "customers/qr_kundenkarte.h"
#include "courses/dlg_teilnehmer_add.h"
#include "staff_docs/pflege_vorlagen_kurse.h"
#include "data/datamodultp.h"
#include "data/datenmodul.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "shell/Main.h"
#include "shell/about.h"
#include "shell/notizblock.h"
#include "shell/stammdaten.h"
#include "shell/globals.h"
#include "shell/wb_hilfe.h"
#include "widgets/common.h"

int main(int argc, char** argv) {
    // The globals (installverzeichnis, programmversion) are set when their
    // unit initialises, before this line.
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kynovia"));
    QGuiApplication::setDesktopFileName(QStringLiteral("kynovia"));
    app.setProperty("helpFile", QString::fromUtf16(platform::helpFileText));
    platform::initGerman();
    // The record navigators' and grids' delete question goes through the
    // program's confirmation box ("Bestätigung", "Ja"/"Nein").
    widgets::setConfirmHandler([](const QString& text) {
        return platform::dialogs().confirm(text) == platform::Answer::Ja;
    });

    try {
        // 1. frm_main (Tfrm_main): created first, so that it becomes the
        //    application's main window; it needs no data module. It is
        //    destroyed last.
        auto mainWindow = std::make_unique<Tfrm_main>();
        frm_main = mainWindow.get();

        // 2. dm: opens the database and brings the schema up to date. When
        //    the database cannot be used, or an upgrade step was declined or
        //    needs a restart, the program ends here without any window.
        auto dataModule = std::make_unique<Tdm>();
        dm = dataModule.get();
        if (!dataModule->DataModuleCreate()) return 0;
        // When the program is ended from outside the event loop (the display
        // goes away and the toolkit calls exit()), the connection still
        // ends properly: posted changes are committed and the engine shuts
        // down with no attachment left open. After a normal end dm is gone
        // and this does nothing.
        std::atexit([] {
            if (dm && dm->idb) {
                try {
                    dm->idb->close();
                } catch (...) {
                }
            }
        });

        // 3. frm_wb_hilfe: the separate help window.
        auto wbHilfe = std::make_unique<Tfrm_wb_hilfe>();
        frm_wb_hilfe = wbHilfe.get();

        // 4. frm_teilnehmer_add: the add-participant dialog of the course window.
        auto teilnehmerAdd = std::make_unique<Tfrm_teilnehmer_add>(dataModule.get());
        frm_teilnehmer_add = teilnehmerAdd.get();

        // 5. frm_auswahl: the pick-list dialog; the data module asks through
        //    it for the document of a new course-document row.
        auto auswahl = std::make_unique<Tfrm_auswahl>(dataModule.get());
        frm_auswahl = auswahl.get();
        connectAuswahl(*dataModule);

        // 6. frm_qr_teilnehmerliste: the participant list printout.
        auto qrTeilnehmerliste = std::make_unique<Tfrm_qr_teilnehmerliste>();
        frm_qr_teilnehmerliste = qrTeilnehmerliste.get();
        // 7. frm_qr_kundenkarte: the customer card and list printout. (The
        //    course date list printout is made on its first use.)
        auto qrKundenkarte = std::make_unique<Tfrm_qr_kundenkarte>();
        frm_qr_kundenkarte = qrKundenkarte.get();
        // 8. frm_vorlagen_kurse: the course template window, shown modally
        //    from the menu.
        auto vorlagen = std::make_unique<Tfrm_vorlagen_kurse>();
        frm_vorlagen_kurse = vorlagen.get();
        // 9. frm_notizblock: the notepad.
        auto notizblock = std::make_unique<Tfrm_notizblock>();
        frm_notizblock = notizblock.get();

        // 10. dmtp: the planner data module on dm's connection.
        auto planner = std::make_unique<Tdmtp>(*dataModule);
        dmtp = planner.get();
        planner->DataModuleCreate();

        // 11.-14. The appointment planner's dialogs and printout forms are
        //    not created: nothing in the program shows them.

        // 15. frm_about: the about window.
        auto about = std::make_unique<Tfrm_about>();
        frm_about = about.get();

        // 16. frm_stammdaten: the master data dialog.
        auto stammdaten = std::make_unique<Tfrm_stammdaten>(mainWindow.get());
        frm_stammdaten = stammdaten.get();
        // 17. frm_datenimport: made by its menu item on first use, because
        //     the window closes itself for good like the other working
        //     windows.

        // The main window is shown as the loop starts; the program ends when
        // it is closed.
        mainWindow->showMaximized();
        return app.exec();
    } catch (...) {
        platform::handleCurrentException();
        return 1;
    }
}
