#pragma once
// What every working window is to the rest of the program, and how a window
// reaches the others without knowing the main window.
//
// WorkingWindow: the interface a working window inherits beside QWidget (its
// save check and the mode hooks of the open functions; see
// shell/workingwindow.h for how the main window plugs the windows in).
//
// Fensterwahl: the main window's open functions and its quick-help panel as
// the window folders may use them. The main window implements it and
// registers itself while it exists; without one (a window on its own) a
// request does nothing. The window folders thus never include the main
// window's header, and their libraries do not link the shell's.
#include <QString>
#include <QWidget>
#include <initializer_list>

namespace db {
class Dataset;
}

class WorkingWindow {
public:
    virtual ~WorkingWindow() = default;

    // The save check: pending edits with changes are posted, without changes
    // cancelled; false (after the window's message) when posting failed.
    virtual bool check_sichern() { return true; }

    // Whether the window holds an import that is neither taken over nor
    // discarded (only the import window ever does). The main window asks
    // before a backup, which would commit it.
    virtual bool importUnentschieden() const { return false; }

    // Opens the datasets the window works on, those not open yet, in the
    // window's order. The open function calls it each time it is asked for
    // the window: after making or finding the window, before it is brought
    // to the front and before the save check and the mode steps.
    virtual void datenOeffnen() {}

    // Mode hooks of the open functions (defaults: by object name below the
    // window).
    // Make `page` the current page of the page control `pageControl`
    // (a QTabWidget or QStackedWidget).
    virtual void zeigeSeite(const QString& pageControl, const QString& page);
    // Show or hide the control `name`.
    virtual void zeigeSteuerelement(const QString& name, bool visible);
    // Give the focus to the control `name`.
    virtual void setzeFokus(const QString& name);

protected:
    // Opens those of `datasets` that are not open, in this order.
    static void oeffnen(std::initializer_list<db::Dataset*> datasets);
};

// The default hooks, for windows without the interface.
namespace workingwindow {
void zeigeSeite(QWidget* window, const QString& pageControl, const QString& page);
void zeigeSteuerelement(QWidget* window, const QString& name, bool visible);
void setzeFokus(QWidget* window, const QString& name);
}  // namespace workingwindow

// The window mode an open function of the main window takes. The values are
// fixed: the navigator and the other windows pass them, and the main
// window's openRequested signal reports them as numbers. Each open function
// honours only some modes; with any other it opens (and where it does so,
// shows) the window and does nothing more.
enum class Fenstermodus : int {
    Uebersicht = 0,  // the overview
    Bearbeiten = 1,  // edit or show the current record
    Dokumente = 2,   // the customer's handed-out documents page
    Hunde = 3,       // the customer's dogs page
    Neu = 4,         // a new record
    Suchen = 5,      // the search
};

enum class WindowKind {
    Kunden,        // Tfrm_kunden / frm_kunden
    Hunde,         // Tfrm_hunde / frm_hunde
    Kurse,         // Tfrm_kurse / frm_kurse
    Beratungen,    // Tfrm_beratungen / frm_beratungen
    Trainer,       // Tfrm_trainer / frm_trainer
    Dokumente,     // Tfrm_dokumente / frm_dokumente
    Datenimport,   // Tfrm_datenimport / frm_datenimport
    VorlagenKurse,  // Tfrm_vorlagen_kurse / frm_vorlagen_kurse (a modal dialog, created at start)
    Terminsuche     // Tfrm_terminsuche / frm_terminsuche
};

// The requests a window may make of the main window.
class Fensterwahl {
public:
    virtual ~Fensterwahl() = default;
    // Opens (creates when needed) the working window of `kind` in `mode`
    // through the main window's open function for it.
    virtual void fensterOeffnen(WindowKind kind, Fenstermodus mode) = 0;
    // Loads a help page, given relative to the installation directory
    // ("\help\kundeneu.htm"), into the quick-help panel.
    virtual void hilfeseite_laden(const QString& relPath) = 0;
    // The working window of `kind` while it exists, else nullptr.
    virtual WorkingWindow* arbeitsfenster(WindowKind kind) const = 0;
};

// The registered implementation, nullptr while there is none.
Fensterwahl* fensterwahl();
// Registers `f` (nullptr: none). An implementation that goes away takes
// itself out with fensterwahlAbmelden.
void setFensterwahl(Fensterwahl* f);
// Takes `f` out if it is the registered one.
void fensterwahlAbmelden(Fensterwahl* f);

// Whether the import window holds an import that is neither taken over nor
// discarded (asked of the registered main window; false without one).
bool importUnentschieden();
