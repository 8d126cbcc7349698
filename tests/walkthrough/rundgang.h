#pragma once
// Helpers of the walkthrough: the user's hands on the windows. Controls are
// found by their object names, text is typed key by key, buttons, tabs,
// grid rows and navigator entries are clicked with the mouse, and the
// modal dialogs are answered while they are shown.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "report/reportpages.h"
#include "shell/Main.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"

namespace rundgang {

// A control below `parent` by its object name. A missing control is a
// fault of the window: the walkthrough cannot go on without it.
template <class T = QWidget>
T* steuer(const QObject* parent, const QString& name) {
    T* c = parent ? parent->findChild<T*>(name) : nullptr;
    if (!c)
        qFatal("Steuerelement %s fehlt in %s", qPrintable(name),
               parent ? qPrintable(parent->objectName()) : "(nichts)");
    return c;
}

// A picture of the window when KYN_SHOT names a directory.
inline void bild(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("KYN_SHOT");
    if (dir.isEmpty() || !w) return;
    QDir().mkpath(dir);
    QCoreApplication::processEvents();
    w->grab().save(dir + QStringLiteral("/rundgang_") + name + QStringLiteral(".png"));
}

// What the event loop does between two actions of the user: the calls the
// last action queued run now (the grids' cell editors queue their commit on
// Enter).
inline void warten() { QCoreApplication::processEvents(); }

// One key per character. QTest::keyClicks takes ASCII only; an umlaut or
// "ß" goes as the key of that letter carrying the character as its text,
// as a German keyboard sends it.
inline void tasten(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClick(w, c.toLatin1());
            continue;
        }
        const char16_t gross = c.toUpper().unicode();
        const Qt::Key key = gross < 256 && c.isLetter() ? Qt::Key(gross) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, w, key, QString(c), Qt::NoModifier);
    }
}

// Clicks into the control and types the text; an edit's old text is
// selected first, so the typing replaces it.
inline void tippen(QWidget* w, const QString& text) {
    w->setFocus(Qt::MouseFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    if (auto* c = qobject_cast<QComboBox*>(w); c && c->lineEdit()) c->lineEdit()->selectAll();
    tasten(w, text);
    warten();
}

inline void klick(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton);
    warten();
}

// A button of a record navigator.
inline void navKlick(QWidget* window, const char* navigator, widgets::DbNavigator::Button b) {
    klick(steuer<widgets::DbNavigator>(window, QString::fromLatin1(navigator))->button(b));
}

// Clicks the box of a check box (its click area is the box and its text,
// not the whole width of the control).
inline void ankreuzen(QCheckBox* c) {
    QStyleOptionButton opt;
    opt.initFrom(c);
    opt.text = c->text();
    const QRect box = c->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, c);
    QTest::mouseClick(c, Qt::LeftButton, {}, box.center());
    warten();
}

// Clicks the tab of the page `seite` of a page control.
inline void seite(QTabWidget* tabs, const QString& seite) {
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->widget(i)->objectName() != seite) continue;
        QTabBar* bar = tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
        QCOMPARE(tabs->currentIndex(), i);
        return;
    }
    QFAIL(qPrintable(QStringLiteral("keine Seite ") + seite));
}

// --- grids -----------------------------------------------------------------

inline int spalte(widgets::DbGrid* g, const QString& feld) {
    const auto& cols = g->columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].fieldName.compare(feld, Qt::CaseInsensitive) == 0) return i;
    qFatal("keine Spalte %s in %s", qPrintable(feld), qPrintable(g->objectName()));
    return -1;
}

// The rows of a grid, all fetched.
inline int zeilen(QTableView* g) {
    QAbstractItemModel* m = g->model();
    while (m->canFetchMore({})) m->fetchMore({});
    return m->rowCount();
}

// The text a grid cell shows.
inline QString zelle(widgets::DbGrid* g, int zeile, const QString& feld) {
    return g->model()->index(zeile, spalte(g, feld)).data(Qt::DisplayRole).toString();
}

// The first row whose cell in `feld` shows `text`, or -1.
inline int zeileMit(widgets::DbGrid* g, const QString& feld, const QString& text) {
    const int n = zeilen(g);
    for (int r = 0; r < n; ++r)
        if (zelle(g, r, feld) == text) return r;
    return -1;
}

// The whole column, top to bottom.
inline QStringList spaltenTexte(widgets::DbGrid* g, const QString& feld) {
    QStringList out;
    const int n = zeilen(g);
    for (int r = 0; r < n; ++r) out << zelle(g, r, feld);
    return out;
}

inline void zeileKlicken(QTableView* g, int zeile, int spalte = 0) {
    const QModelIndex i = g->model()->index(zeile, spalte);
    g->scrollTo(i);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(i).center());
    warten();
}

inline void zeileDoppelklicken(QTableView* g, int zeile, int spalte = 0) {
    const QModelIndex i = g->model()->index(zeile, spalte);
    g->scrollTo(i);
    const QPoint p = g->visualRect(i).center();
    // Press and release, then the second press that makes it a double click.
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, p);
    warten();
}

// What takes the grid's keys: its cell editor while one is open.
inline QWidget* tastatur(widgets::DbGrid* g) {
    QWidget* ed = g->cellEditor();
    return ed ? ed : static_cast<QWidget*>(g);
}

// Clicks the cell of `feld` in the current row (unless it is the current
// cell already: a click on that one opens its editor only after the
// double-click time, and keys typed before are lost).
inline void zelleKlicken(widgets::DbGrid* g, const QString& feld) {
    const int zeile = g->currentIndex().isValid() ? g->currentIndex().row() : 0;
    g->setFocus(Qt::MouseFocusReason);
    if (g->currentIndex() != g->model()->index(zeile, spalte(g, feld))) zeileKlicken(g, zeile, spalte(g, feld));
    QCOMPARE(g->selectedIndex(), spalte(g, feld));
}

// Types into the cell of `feld` in the current row as the user does: a
// click on the cell, the first key opens the cell editor, Enter takes the
// text.
inline void zelleTippen(widgets::DbGrid* g, const QString& feld, const QString& text) {
    zelleKlicken(g, feld);
    for (const QChar c : text) tasten(tastatur(g), QString(c));
    QTest::keyClick(tastatur(g), Qt::Key_Return);
    warten();
}

// --- the main window ---------------------------------------------------------

inline QTreeWidgetItem* navigatorEintrag(Tfrm_main* m, const QString& gruppe, const QString& eintrag = QString()) {
    QTreeWidget* tree = m->tv_navigator;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* g = tree->topLevelItem(i);
        if (g->text(0) != gruppe) continue;
        if (eintrag.isEmpty()) return g;
        for (int j = 0; j < g->childCount(); ++j)
            if (g->child(j)->text(0) == eintrag) return g->child(j);
    }
    qFatal("kein Navigator-Eintrag %s/%s", qPrintable(gruppe), qPrintable(eintrag));
    return nullptr;
}

inline void baumKlick(Tfrm_main* m, QTreeWidgetItem* it) {
    QTreeWidget* tree = m->tv_navigator;
    tree->scrollToItem(it);
    const QRect r = tree->visualItemRect(it);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 30, r.center().y()));
    warten();
}

// Opens a navigator group (when closed) and clicks its entry.
inline void navigiere(Tfrm_main* m, const QString& gruppe, const QString& eintrag) {
    QTreeWidgetItem* g = navigatorEintrag(m, gruppe);
    if (!g->isExpanded()) baumKlick(m, g);
    baumKlick(m, navigatorEintrag(m, gruppe, eintrag));
}

// A menu item of the main window, chosen.
inline void menue(Tfrm_main* m, const char* aktion) { steuer<QAction>(m, QString::fromLatin1(aktion))->trigger(); }

// Closes a working window with its frame's close button, as the user does.
inline void fensterSchliessen(Tfrm_main* m, QWidget* w) {
    if (!w) return;
    if (QWidget* sub = m->subWindowOf(w)) sub->close();
    warten();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    warten();
}

// Clicks the day `tag` in a month calendar.
inline void kalenderKlick(QCalendarWidget* cal, const QDate& tag) {
    cal->setSelectedDate(tag);
    auto* view = cal->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    QVERIFY(view);
    const QModelIndex i = view->currentIndex();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(i).center());
    warten();
    QCOMPARE(cal->selectedDate(), tag);
}

// --- printouts ---------------------------------------------------------------

// Whether some text of the pages contains `teil`.
inline bool gedruckt(const report::ReportPages& seiten, const QString& teil) {
    for (const QString& t : seiten.allTexts())
        if (t.contains(teil)) return true;
    return false;
}

}  // namespace rundgang
