#include "platform/workingwindow.h"

#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>

#include "db/dataset.h"

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

namespace {
Fensterwahl* g_fensterwahl = nullptr;
}

Fensterwahl* fensterwahl() { return g_fensterwahl; }

void setFensterwahl(Fensterwahl* f) { g_fensterwahl = f; }

void fensterwahlAbmelden(Fensterwahl* f) {
    if (g_fensterwahl == f) g_fensterwahl = nullptr;
}

bool importUnentschieden() {
    WorkingWindow* import = g_fensterwahl ? g_fensterwahl->arbeitsfenster(WindowKind::Datenimport) : nullptr;
    return import && import->importUnentschieden();
}

void WorkingWindow::oeffnen(std::initializer_list<db::Dataset*> datasets) {
    for (db::Dataset* ds : datasets)
        if (!ds->isActive()) ds->open();
}
