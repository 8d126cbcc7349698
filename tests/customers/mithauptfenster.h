#pragma once
// The main window on a customer test's database, with the working windows
// plugged in as in the program.
#include <QApplication>
#include <QTest>
#include <memory>

#include "kundentest.h"
#include "shell/Main.h"
#include "shell/htmlbrowser.h"

namespace kundentest {

struct MitHauptfenster : Umgebung {
    std::unique_ptr<Tfrm_main> haupt;
    MitHauptfenster() {
        beispieldaten(*this);
        exec("update systemdaten set erststarthilfe = -1");
        haupt = std::make_unique<Tfrm_main>(*dm);
        frm_main = haupt.get();
        haupt->beenden = [] {};
        haupt->resize(1400, 900);
        haupt->show();
        QApplication::setActiveWindow(haupt.get());
        // Under Xvfb without a window manager the window is shown, not activated.
        if (!QTest::qWaitForWindowActive(haupt.get())) QVERIFY(QTest::qWaitForWindowExposed(haupt.get()));
    }
    ~MitHauptfenster() {
        haupt.reset();
        frm_kunden = nullptr;
        frm_hunde = nullptr;
    }
    QString hilfe() const { return haupt->wb_assistent->currentFile(); }
};

}  // namespace kundentest
