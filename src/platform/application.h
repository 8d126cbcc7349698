#pragma once
// The application object and its standard error box.
//
// Any exception that leaves an event handler is caught in notify() and shown
// in the standard error box (platform::dialogs().errorBox), and the program
// goes on:
//   db::Abort          nothing is shown (the silent abort)
//   db::Error          the server's message text
//   db::ConvertError   the conversion message
//   std::exception     what()
// The event is marked as ignored, so a close whose handler failed is abandoned.
//
// Code that catches an exception itself can show the same box:
//   try { ... } catch (...) { platform::handleCurrentException(); }
#include <QApplication>
#include <exception>
#include <functional>

namespace platform {

class Application : public QApplication {
    Q_OBJECT
public:
    // Also calls initGerman().
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The text the standard error box shows for the exception; empty for
// db::Abort (and for a null pointer).
QString exceptionText(std::exception_ptr e);
// Shows the standard error box for the exception (nothing for db::Abort).
void showException(std::exception_ptr e);
// showException(std::current_exception()); for use inside a catch block.
void handleCurrentException();

// Runs a handler that a signal, a timer or an event filter calls: an
// exception it throws goes to the standard error box (handleCurrentException,
// nothing for db::Abort) and the program goes on. False when it threw.
//   connect(b, &QPushButton::clicked, this, [this] { guarded([this] { b_okClick(); }); });
template <class F>
bool guarded(F&& f) {
    try {
        f();
        return true;
    } catch (...) {
        handleCurrentException();
        return false;
    }
}

// Ends the program in order when the desktop session or the system asks it
// to (SIGTERM at log-out or shutdown, SIGHUP, SIGINT): `beenden` then runs on
// the user-interface thread, like a close of the main window. Without it the
// database library's own handler would shut the engine down under the
// running program and the posted, uncommitted work would be lost. Call it
// once, after the database has been opened (the library installs its
// handlers on first use).
void onTerminationSignals(std::function<void()> beenden);

// German formats for the whole program (QLocale default de_DE) and Qt's
// German texts for its standard dialogs and buttons when the translation is
// installed. Needs the application object; returns whether the translation
// was loaded.
bool initGerman();

} // namespace platform
