#pragma once
// Shared pieces of the trainer, template and document window tests: a fresh
// database, the data module on it and the main window with the real window
// plugs; plain SQL to fill and read tables.
#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QTest>
#include <memory>

#include "common/testenv.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "shell/Main.h"
#include "shell/shelltestutil.h"
#include "staff_docs/pflege_vorlagen_kurse.h"

namespace staffdocstest {

struct Fixture {
    TestEnv env;
    std::unique_ptr<Tdm> module;
    std::unique_ptr<Tfrm_main> window;

    explicit Fixture(bool withMain = true) {
        env.createDatabase();
        shelltest::installHelpPages(env.home());
        module = std::make_unique<Tdm>();
        module->connectTo(env.databasePath());
        dm = module.get();
        // No first-start assistant in the middle area.
        exec(QStringLiteral("update systemdaten set erststarthilfe = -1"));
        if (withMain) {
            window = std::make_unique<Tfrm_main>(*dm);
            frm_main = window.get();
            window->beenden = [] {};
            window->resize(1200, 800);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        }
    }
    ~Fixture() {
        // Working windows go with their child windows; then the main window
        // and the data module.
        delete frm_vorlagen_kurse.data();
        window.reset();
        settle();
        module.reset();
    }

    void exec(const QString& sql) {
        db::Statement s(dm->idb.get(), dm->ibt);
        s.prepare(sql);
        s.execute();
    }
    QVariant scalar(const QString& sql) {
        db::Statement s(dm->idb.get(), dm->ibt);
        return s.scalar(sql);
    }
    int count(const QString& table, const QString& where = QString()) {
        return scalar(QStringLiteral("select count(*) from ") + table +
                      (where.isEmpty() ? QString() : QStringLiteral(" where ") + where))
            .toInt();
    }
    // Lets deferred deletes and queued calls run.
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }
};

// Types text with any characters (QTest::keyClicks takes Latin-1 only):
// one key press and release per character, carrying the character as text.
inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

// Whether `w` or one of its children is the focus widget of its window.
inline bool hasFocusIn(QWidget* w) {
    QWidget* f = w->window()->focusWidget();
    return f && (f == w || w->isAncestorOf(f));
}

}  // namespace staffdocstest
