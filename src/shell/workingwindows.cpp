// The working windows that the main window's open functions create: one
// plug per window (see workingwindow.h).
#include "shell/workingwindow.h"

#include <QStackedWidget>
#include <QTabWidget>

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

namespace workingwindow {

void zeigeSeite(QWidget* window, const QString& pageControl, const QString& page) {
    if (!window) return;
    QWidget* p = window->findChild<QWidget*>(page);
    if (!p) return;
    if (auto* tabs = window->findChild<QTabWidget*>(pageControl)) {
        if (tabs->indexOf(p) >= 0) tabs->setCurrentWidget(p);
    } else if (auto* stack = window->findChild<QStackedWidget*>(pageControl)) {
        if (stack->indexOf(p) >= 0) stack->setCurrentWidget(p);
    }
}

void zeigeSteuerelement(QWidget* window, const QString& name, bool visible) {
    if (!window) return;
    if (QWidget* w = window->findChild<QWidget*>(name)) w->setVisible(visible);
}

void setzeFokus(QWidget* window, const QString& name) {
    if (!window) return;
    if (QWidget* w = window->findChild<QWidget*>(name)) w->setFocus(Qt::OtherFocusReason);
}

}  // namespace workingwindow

void WorkingWindow::zeigeSeite(const QString& pageControl, const QString& page) {
    workingwindow::zeigeSeite(dynamic_cast<QWidget*>(this), pageControl, page);
}

void WorkingWindow::zeigeSteuerelement(const QString& name, bool visible) {
    workingwindow::zeigeSteuerelement(dynamic_cast<QWidget*>(this), name, visible);
}

void WorkingWindow::setzeFokus(const QString& name) {
    workingwindow::setzeFokus(dynamic_cast<QWidget*>(this), name);
}
