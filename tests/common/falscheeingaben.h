#pragma once
// Typing into a window's bound controls as a user does, for the tests of
// texts that a date, time or number field cannot take: into a bound edit
// (then Tab leaves it) or into a cell of a grid's current row (then Enter
// ends the cell). The controls are found by name; a control on a tab page
// that is not shown is brought to the front first.
#include <QApplication>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

#include "db/dataset.h"
#include "db/datasource.h"
#include "widgets/dbedit.h"
#include "widgets/dbgrid.h"

namespace falsch {

// Makes every tab page that holds `c` the current one.
inline void sichtbarMachen(QWidget* c) {
    for (QWidget* w = c; w && w->parentWidget(); w = w->parentWidget()) {
        auto* stapel = qobject_cast<QStackedWidget*>(w->parentWidget());
        if (!stapel) continue;
        if (auto* tabs = qobject_cast<QTabWidget*>(stapel->parentWidget())) tabs->setCurrentWidget(w);
        else stapel->setCurrentWidget(w);
    }
}

// The dataset behind a bound edit or a grid.
inline db::Dataset* datenmenge(QWidget* c) {
    if (auto* e = qobject_cast<widgets::DbEdit*>(c)) return e->dataSource()->dataset();
    if (auto* g = qobject_cast<widgets::DbGrid*>(c)) return g->dataset();
    return nullptr;
}

// The column of `feld` in the grid, or -1.
inline int spalteVon(widgets::DbGrid* g, const QString& feld) {
    for (int i = 0; i < g->columns().size(); ++i)
        if (g->columns().at(i).fieldName.compare(feld, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

inline void tasten(QWidget* ziel, const QString& text) {
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(ziel, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(ziel, &release);
    }
}

// The grid ends a cell edit through queued events: let them run.
inline void abwarten() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

// The text the user sees in the control: the edit's text, or the open cell
// editor's text (empty when no editor is open).
inline QString angezeigt(QWidget* c) {
    if (auto* e = qobject_cast<QLineEdit*>(c)) return e->text();
    if (auto* g = qobject_cast<widgets::DbGrid*>(c))
        if (auto* ed = qobject_cast<QLineEdit*>(g->cellEditor())) return ed->text();
    return QString();
}

// Replaces the text of the edit (or of the cell of `feld` in the grid's
// current row) by `text`, typed key by key, and leaves it: Tab in an edit,
// Enter in a cell.
inline void eingeben(QWidget* c, const QString& feld, const QString& text) {
    if (auto* e = qobject_cast<QLineEdit*>(c)) {
        e->setFocus();
        e->selectAll();
        if (!e->selectedText().isEmpty()) QTest::keyClick(e, Qt::Key_Delete);
        tasten(e, text);
        QTest::keyClick(e, Qt::Key_Tab);
        return;
    }
    auto* g = qobject_cast<widgets::DbGrid*>(c);
    if (!g) return;
    if (auto* ed = qobject_cast<QLineEdit*>(g->cellEditor())) {
        // The cell editor is still open (after a refused text).
        ed->setFocus();
        ed->selectAll();
        QTest::keyClick(ed, Qt::Key_Delete);
        tasten(ed, text);
        QTest::keyClick(ed, Qt::Key_Return);
        abwarten();
        return;
    }
    g->setFocus();
    g->setSelectedIndex(spalteVon(g, feld));
    // The first key opens the cell editor with that character.
    tasten(QApplication::focusWidget(), text.left(1));
    tasten(QApplication::focusWidget(), text.mid(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    abwarten();
}

// Whether the focus is in the control (or its open cell editor).
inline bool hatFokus(QWidget* c) {
    QWidget* f = QApplication::focusWidget();
    return f && (f == c || c->isAncestorOf(f));
}

}  // namespace falsch
