#pragma once
// The import tests' fixture: a database, the data module on it and a shown
// import window, with the user's steps (write a file, choose it, map a
// column).
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "data/datenmodul.h"
#include "db/connection.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "import/datenimport.h"
#include "platform/scripteddialogs.h"
#include "testenv.h"

namespace importtest {

// A database, the data module on it and a shown import window.
struct Fixture {
    TestEnv env;
    std::unique_ptr<Tdm> module;
    QPointer<Tfrm_datenimport> f;

    Fixture() {
        env.createDatabase();
        module = std::make_unique<Tdm>();
        module->connectTo(env.databasePath());
        dm = module.get();
        f = new Tfrm_datenimport(*module);
        f->resize(1200, 850);
        f->show();
    }
    ~Fixture() {
        delete f.data();
        module.reset();
    }

    // Writes a file into the test's directory; returns its path.
    QString file(const QString& name, const QByteArray& content) const {
        const QString path = env.home() + QLatin1Char('/') + name;
        QFile out(path);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) out.write(content);
        return path;
    }

    // Chooses the file through "Datei auswählen" and the file dialog.
    void choose(const QString& path) {
        platform::ScopedScriptedDialogs d;
        d.expectOpenFile(path);
        QTest::mouseClick(f->JvBitBtn1, Qt::LeftButton);
        QVERIFY2(d.ok(), qPrintable(d.report()));
    }

    // Assigns a target as the user does: click the mapping cell, pick the
    // entry from the popup menu.
    void map(int column, const QString& target) {
        f->jvsg2->setCurrentCell(0, column);
        QMenu* sub = target.startsWith(QLatin1String("kunde.")) ? f->Kunde1 : f->Hund1;
        for (QAction* a : sub->actions())
            if (a->text() == target) {
                a->trigger();
                return;
            }
        QFAIL(qPrintable("no menu entry " + target));
    }

    int count(const QString& sql) { return dm->scalar(sql).toInt(); }
    // What another transaction sees: only what is committed.
    QVariant committed(const QString& sql) {
        db::Transaction t(module->idb.get(), db::Transaction::Isolation::ReadCommitted);
        QVariant v;
        {
            db::Statement s(module->idb.get(), &t);
            v = s.scalar(sql);
        }
        t.commit();
        return v;
    }
};

}  // namespace importtest
