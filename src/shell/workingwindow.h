#pragma once
// How the working windows plug into the main window's open functions.
// (The interface WorkingWindow and the kinds of window live in
// platform/workingwindow.h, below the window folders.)
//
// The main window opens every working window through one open function per
// window (Tfrm_main::kundenanzeigen(mode) and so on). Those functions know
// the windows only through two things:
//
// 1. A WindowPlug per window kind: how to read the window's program-wide
//    reference and how to create the window and store it there. The plugs
//    of the real windows are set in one place, plugWorkingWindows()
//    (workingwindows.cpp); a window is plugged in with one line there:
//
//        #include "customers/kundenstamm.h"
//        ...
//        m.plug(WindowKind::Kunden, plugWindow(frm_kunden));
//
//    plugWindow<W>(QPointer<W>& ref) creates `new W` (no parent, no owner)
//    and stores it in ref; a window that works on the data module is made
//    on the module the program runs on (plugWindow(ref, make), see
//    workingwindows.cpp). A kind without a plug opens nothing.
//
// 2. The WorkingWindow interface, which the window class inherits beside
//    QWidget:
//
//        class Tfrm_kunden : public QWidget, public WorkingWindow {
//            ...
//            bool check_sichern() override;   // the window's save check
//        };
//
//    check_sichern() brings the window's datasets back to browse state and
//    returns false after showing the window's own message. The mode steps
//    (pages, search box, focus) are done by the open functions through the
//    controls' object names (pg_kunde / ts_kundedetail, gb_suchen,
//    dbc_anrede, suchtext_kunde, dbg_kurse); the hooks below do that by
//    default and a window may override them when its controls are built
//    differently. A window without the interface has no save check (it
//    counts as passed) and gets the default hooks.
//
// The open function makes the window a child window of the main window's
// child-window area (a QMdiSubWindow that deletes itself and the window
// when it is closed, so the QPointer reference empties and the next request
// creates the window again) and shows it maximised. A window that must only
// be minimised when closed (the dog search window) ignores its close event
// and calls parentWidget()->showMinimized().
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/beibedarf.h"
#include "platform/workingwindow.h"

struct WindowPlug {
    // The window the reference holds, nullptr while it is empty.
    std::function<QWidget*()> instance;
    // Creates the window (no owner), stores it in the reference, returns it.
    std::function<QWidget*()> create;
    explicit operator bool() const { return instance && create; }
};

template <class W>
WindowPlug plugWindow(QPointer<W>& ref) {
    return {[&ref]() -> QWidget* { return ref.data(); },
            [&ref]() -> QWidget* {
                ref = new W;
                return ref.data();
            }};
}

// The same for a window made by `make` (a callable returning a new W, or
// nullptr when it cannot be made now).
template <class W, class Make>
WindowPlug plugWindow(QPointer<W>& ref, Make make) {
    return {[&ref]() -> QWidget* { return ref.data(); },
            [&ref, make]() -> QWidget* {
                ref = make();
                return ref.data();
            }};
}

class Tfrm_main;
// Plugs every existing working window into the main window (called by its
// constructor).
void plugWorkingWindows(Tfrm_main& m);

// The same for a window the program makes on first use (platform::BeiBedarf):
// made by its maker where the program makes its objects, else by `make`.
template <class W, class Make>
WindowPlug plugWindow(platform::BeiBedarf<W>& ref, Make make) {
    return {[&ref]() -> QWidget* { return ref.data(); },
            [&ref, make]() -> QWidget* {
                if (W* w = ref.get()) return w;
                ref = make();
                return ref.data();
            }};
}
