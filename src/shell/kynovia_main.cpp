// Program entry: the application object, then every long-lived object in a
// fixed order, then the event loop.
//
// The objects are owned here and destroyed in the reverse order of their
// creation when main() returns; the data module's connection then ends its
// transaction with commit, so every posted change is kept.
#include <QApplication>
#include <QLoggingCategory>
#include <cstdlib>

#include "data/datenmodul.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "shell/Main.h"
#include "shell/globals.h"
#include "shell/programm.h"
#include "widgets/common.h"

// Start-up messages, off unless switched on (QT_LOGGING_RULES=
// "kynovia.start=true"); scripts that start the installed program wait for
// "main window shown".
Q_LOGGING_CATEGORY(lcStart, "kynovia.start", QtWarningMsg)

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
        // The long-lived objects in their fixed order (main window, data
        // module, dialogs, printout forms, small windows, planner module).
        // When the database cannot be used, or an upgrade step was declined
        // or needs a restart, the program ends here without any window.
        Programm programm;
        if (!programm.starten()) return 0;
        // Log-out, shutdown or a kill from outside end the program like a
        // close of the main window.
        programm.beiSignalenBeenden();

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

        // The main window is shown as the loop starts; the program ends when
        // it is closed.
        programm.hauptfenster()->showMaximized();
        qCInfo(lcStart, "main window shown");
        const int rc = app.exec();
        // Ended without the last changes (the user was told): not a success.
        return programm.hauptfenster()->endeOhneSpeichern() ? 1 : rc;
    } catch (...) {
        platform::handleCurrentException();
        return 1;
    }
}
