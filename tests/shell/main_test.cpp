// The main window: navigator and its dispatch, the open functions with their
// modes and help pages, the quick-help panel and first start, the caption
// panel buttons, menus, status bar and the close handler.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidgetItemIterator>
#include <functional>
#include <memory>

#include "common/testenv.h"
#include "common/testregistry.h"
#include "courses/beratungen.h"
#include "courses/kurse.h"
#include "customers/hunde.h"
#include "customers/kundenstamm.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "db/dataset.h"
#include "platform/helpviewer.h"
#include "platform/paths.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "shell/about.h"
#include "shell/htmlbrowser.h"
#include "shell/notizblock.h"
#include "shell/stammdaten.h"
#include "staff_docs/dokumente.h"
#include "staff_docs/trainer.h"
#include "shelltestutil.h"
#include "widgets/captionpanel.h"

namespace {

// The datasets each real working window opens (WorkingWindow::datenOeffnen),
// in its order; datasetsOfEachWindow checks the real windows against it.
const QMap<WindowKind, QStringList> datenJeFenster = {
    {WindowKind::Kunden, {"ibt_kunde", "ibt_kunde_hunde", "ibt_hundetagebuch"}},
    {WindowKind::Hunde, {"ibt_hunde", "ibt_hundesuche_tagebuch"}},
    {WindowKind::Kurse, {"ibt_kurse", "ibt_kurstermine", "ibt_trainer"}},
    {WindowKind::Beratungen, {"ibt_kunde", "ibt_kurstermine", "ibt_trainer"}},
    {WindowKind::Trainer, {"ibt_trainer"}},
    {WindowKind::Dokumente, {"ibt_dokumente"}},
};

// A working window as the open functions see it: the named controls of the
// mode steps, a save check whose result the test sets, and the datasets of
// the real window of its kind, so that the mode steps work on them. It
// notes the order in which the open function asks it for its datasets
// ("daten") and its save check ("check").
class StubWindow : public QWidget, public WorkingWindow {
public:
    static inline bool nextSaveOk = true;
    bool saveOk = nextSaveOk;
    int checks = 0;
    WindowKind kind;
    QStringList ablauf;

    explicit StubWindow(WindowKind k = WindowKind::Kunden) : kind(k) {
        auto* gb = new QGroupBox(this);
        gb->setObjectName("gb_suchen");
        auto* such = new QLineEdit(gb);
        such->setObjectName("suchtext_kunde");
        auto* pg = new QTabWidget(this);
        pg->setObjectName("pg_kunde");
        auto* ue = new QWidget;
        ue->setObjectName("ts_kundenuebersicht");
        auto* grid = new QTableView(ue);
        grid->setObjectName("dbg_kurse");
        auto* detail = new QWidget;
        detail->setObjectName("ts_kundedetail");
        auto* anrede = new QLineEdit(detail);
        anrede->setObjectName("dbc_anrede");
        auto* inner = new QTabWidget(detail);
        inner->setObjectName("pg_kundendaten");
        for (const char* n : {"ts_kundedaten", "ts_kundehunde", "ts_dokumente"}) {
            auto* p = new QWidget;
            p->setObjectName(n);
            inner->addTab(p, n);
        }
        pg->addTab(ue, "Übersicht");
        pg->addTab(detail, "Detail");
        pg->setGeometry(0, 40, 400, 300);
        gb->setGeometry(0, 0, 400, 40);
    }
    bool check_sichern() override {
        ++checks;
        ablauf << "check";
        return saveOk;
    }
    void datenOeffnen() override {
        ablauf << "daten";
        for (const QString& name : datenJeFenster.value(kind)) {
            auto* d = dm->findChild<db::Dataset*>(name, Qt::FindDirectChildrenOnly);
            if (!d->isActive()) d->open();
        }
    }
    QString page(const char* control) const {
        auto* t = findChild<QTabWidget*>(control);
        return t->currentWidget()->objectName();
    }
};

QPointer<StubWindow> stubs[7];

const WindowKind kinds[7] = {WindowKind::Kunden,  WindowKind::Hunde,     WindowKind::Kurse,
                             WindowKind::Beratungen, WindowKind::Trainer, WindowKind::Dokumente,
                             WindowKind::Datenimport};

using Call = QPair<QString, int>;

// A test database, the data module on it and the main window.
struct Fixture {
    TestEnv env;
    QString help;
    std::unique_ptr<Tdm> module;
    std::unique_ptr<Tfrm_main> window;
    std::unique_ptr<QSignalSpy> opens;
    int ended = 0;

    explicit Fixture(int erststarthilfe = -1, bool create = true) {
        shelltest::createDatabase(env);
        help = shelltest::installHelpPages(env.home());
        connectModule();
        db::Statement(dm->idb.get(), dm->ibt)
            .execute(QStringLiteral("update systemdaten set erststarthilfe = ?"), {erststarthilfe});
        if (create) makeWindow();
    }
    ~Fixture() {
        window.reset();
        for (auto& s : stubs) delete s.data();
        module.reset();
    }
    void connectModule() {
        module = std::make_unique<Tdm>();
        module->connectTo(env.databasePath());
        dm = module.get();
    }
    void makeWindow(bool show = true) {
        window = std::make_unique<Tfrm_main>(*dm);
        frm_main = window.get();
        window->beenden = [this] { ++ended; };
        for (int i = 0; i < 7; ++i)
            window->plug(kinds[i], plugWindow(stubs[i], [k = kinds[i]] { return new StubWindow(k); }));
        opens = std::make_unique<QSignalSpy>(window.get(), &Tfrm_main::openRequested);
        if (show) {
            window->resize(1200, 800);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        }
    }
    QList<Call> calls() {
        QList<Call> r;
        for (const QList<QVariant>& a : *opens) r << Call(a[0].toString(), a[1].toInt());
        opens->clear();
        return r;
    }
    StubWindow* stub(WindowKind k) { return stubs[int(k)].data(); }
    QString helpFile(const char* name) const { return help + "/" + name; }
    QString shownHelp() const { return window->wb_assistent->currentFile(); }

    QTreeWidgetItem* item(const QString& group, const QString& entry = QString()) {
        auto* tree = window->tv_navigator;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* g = tree->topLevelItem(i);
            if (g->text(0) != group) continue;
            if (entry.isEmpty()) return g;
            for (int j = 0; j < g->childCount(); ++j)
                if (g->child(j)->text(0) == entry) return g->child(j);
        }
        return nullptr;
    }
    // A left click on the item's text, as the user does it.
    void click(QTreeWidgetItem* it) {
        auto* tree = window->tv_navigator;
        tree->scrollToItem(it);
        const QRect r = tree->visualItemRect(it);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 30, r.center().y()));
    }
    // Click the group, then the entry (the group opens on its click).
    void clickEntry(const QString& group, const QString& entry) {
        QTreeWidgetItem* g = item(group);
        if (!g->isExpanded()) click(g);
        click(item(group, entry));
    }
};

}  // namespace

class TestMain : public QObject {
    Q_OBJECT

private slots:
    void init() { StubWindow::nextSaveOk = true; }

    // ---- creation -------------------------------------------------------
    void captionStatusAndTree() {
        Fixture f(-1, false);
        f.makeWindow(false);
        Tfrm_main& w = *f.window;
        QCOMPARE(w.windowTitle(), QStringLiteral("Kynovia Version 1.3"));
        QCOMPARE(w.StatusPanel0->text(), QStringLiteral("Kynovia Version 1.3"));
        QCOMPARE(w.StatusPanel0->width(), 500);
        QCOMPARE(w.StatusPanel1->text(), QStringLiteral("Kunden"));
        QVERIFY(!w.windowIcon().isNull());
        QVERIFY(w.windowState() & Qt::WindowMaximized);
        // 185 pixels, or wider where an entry needs it: no entry is cut off.
        QVERIFY(w.navigatorBreite() >= 185);
        QCOMPARE(w.jcp_navigator->width(), w.navigatorBreite());
        QCOMPARE(w.jcp_assistent->width(), 200);
        QCOMPARE(w.JvHTButton1->text(), QStringLiteral("Inhalt"));
        QCOMPARE(w.JvHTButton1->statusTip(), QStringLiteral("Zeigt die Hilfe im Assistenten an."));
        QCOMPARE(w.JvHTButton2->text(), QStringLiteral("Assistent"));
        QCOMPARE(w.JvHTButton2->statusTip(), QStringLiteral("Ruft den Assistenten auf."));
        QCOMPARE(w.jcp_assistent->statusTip(),
                 QStringLiteral("Dieser Assistent zeigt Infos zum jeweiligen Bildschirm an."));

        auto* tree = w.tv_navigator;
        QCOMPARE(tree->indentation(), 19);
        QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(tree->statusTip(), QStringLiteral("Wählen Sie die gewünschte Funktion im Navigator."));
        QVERIFY(tree->toolTip().isEmpty());
        const QList<QPair<QString, QStringList>> expected = {
            {"Kunden", {"Übersicht", "Suchen", "Bearbeiten", "Neu aufnehmen", "Datenauskunft", "Alte Kundendaten"}},
            {"Hunde", {"Suchen"}},
            {"Termine", {"Anzeigen", "Suchen"}},
            {"Kurse", {"Anzeigen", "Neu anlegen", "Verschieben", "Stornieren"}},
            {"Trainer", {"Übersicht", "Neu anlegen"}},
            {"Dokumente", {"Verwaltung"}},
        };
        QCOMPARE(tree->topLevelItemCount(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QTreeWidgetItem* g = tree->topLevelItem(i);
            QCOMPARE(g->text(0), expected[i].first);
            QVERIFY(!g->isExpanded());
            QVERIFY(!g->icon(0).isNull());
            QStringList children;
            for (int j = 0; j < g->childCount(); ++j) {
                children << g->child(j)->text(0);
                QVERIFY(!g->child(j)->icon(0).isNull());
                QVERIFY(g->child(j)->toolTip(0).isEmpty());
            }
            QCOMPARE(children, expected[i].second);
        }
        QVERIFY(w.nav_eintrag.isEmpty());
        QVERIFY(w.nav_gruppe.isEmpty());
        // Shown, every entry of the opened tree fits beside its icon.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.tv_navigator->expandAll();
        QCoreApplication::processEvents();
        for (QTreeWidgetItemIterator it(w.tv_navigator); *it; ++it) {
            const QRect r = w.tv_navigator->visualItemRect(*it);
            const int rechts = r.left() + w.tv_navigator->iconSize().width() + 6 +
                               w.tv_navigator->fontMetrics().horizontalAdvance((*it)->text(0));
            QVERIFY2(rechts <= w.tv_navigator->viewport()->width(), qPrintable((*it)->text(0)));
        }
    }

    void menusCaptionsAndHints() {
        Fixture f;
        Tfrm_main& w = *f.window;
        struct M {
            const char* menu;
            const char* menuHint;
            QStringList items;
            QStringList hints;
        };
        const QList<M> expected = {
            {"Datei", "", {"Datei importieren"}, {""}},
            {"Rechnungen", "", {"Alle Rechnungen", "Offene Rechnungen und Mahnungen"},
             {"Alle Rechnungen und Stornorechnungen mit ihrem Stand.",
              "Offene Rechnungen mit Fälligkeit und Tagen im Verzug, daneben die noch nicht berechneten "
              "Kursteilnahmen; Zahlungserinnerung und Mahnungen."}},
            {"Vorlagen", "Hier können Sie Vorlagen anlegen.", {"Vorlagen Kurse"},
             {"Definieren Sie hier Vorlagen um Kurse schneller anzulegen."}},
            {"Konfiguration", "Dies ist das Konfigurationsmenue.", {"Stammdaten", "Rechnungsdaten"},
             {"Hier tragen Sie die Stammdaten Ihres Unternehmens eins.",
              "Steuer, Bankverbindung, Rechnungsnummern und Zahlungsziel für Ihre Rechnungen."}},
            {"Fenster", "Steuert die Anordnung der Fenster.", {"Nebeneinander", "Hintereinander", "Alle Anordnen"},
             {"Alle Fenster nebeneinander", "Alle Fenster hintereinander", "Automatisch anordnen"}},
            {"&Hilfe", "", {"Inhalt...", "In der Hilfe &Suchen nach...", "", "Über..."},
             {"Ruft die Hilfe auf.", "In der Hilfe suchen.", "", "Informationen über dieses Programm."}},
        };
        const QList<QAction*> menus = w.MainMenu->actions();
        QCOMPARE(menus.size(), expected.size());
        for (int i = 0; i < menus.size(); ++i) {
            QCOMPARE(menus[i]->text(), QString::fromUtf8(expected[i].menu));
            QCOMPARE(menus[i]->statusTip(), QString::fromUtf8(expected[i].menuHint));
            const QList<QAction*> items = menus[i]->menu()->actions();
            // "Datei" may carry further commands after the import.
            if (i == 0) QVERIFY(items.size() >= expected[i].items.size());
            else QCOMPARE(items.size(), expected[i].items.size());
            for (int j = 0; j < expected[i].items.size(); ++j) {
                QCOMPARE(items[j]->isSeparator(), expected[i].items[j].isEmpty());
                QCOMPARE(items[j]->text(), expected[i].items[j]);
                QCOMPARE(items[j]->statusTip(), expected[i].hints[j]);
            }
        }
        // The notepad button: an icon, no text, at the right end of the menu row.
        QCOMPARE(w.JvaCaptionButton1->parentWidget(), w.menuWidget());
        QCOMPARE(w.MainMenu->parentWidget(), w.menuWidget());
        QVERIFY(w.JvaCaptionButton1->geometry().left() >= w.MainMenu->geometry().right());
        QVERIFY(w.JvaCaptionButton1->text().isEmpty() || w.JvaCaptionButton1->toolButtonStyle() == Qt::ToolButtonIconOnly);
        QVERIFY(!w.JvaCaptionButton1->icon().isNull());
        // A maximised child window keeps its buttons in its own title bar:
        // the notepad button stays visible.
        w.kundenanzeigen(Fenstermodus::Uebersicht);
        QVERIFY(w.subWindowOf(f.stub(WindowKind::Kunden))->isMaximized());
        QVERIFY(w.JvaCaptionButton1->isVisible());
        QCOMPARE(w.MainMenu->cornerWidget(Qt::TopRightCorner), nullptr);
    }

    void hintsGoToTheFirstStatusPanel() {
        Fixture f;
        Tfrm_main& w = *f.window;
        const QList<QPair<QString, QString>> cases = {
            {"Übersicht Kunden", "Übersicht Kunden"},
            {"Kopieren|", ""},
            {"Inhalt der Hilfe|Zeigt den Inhalt", "Zeigt den Inhalt"},
            {"", "Kynovia Version 1.3"},
        };
        for (const auto& [tip, shown] : cases) {
            QStatusTipEvent e(tip);
            QApplication::sendEvent(&w, &e);
            QCOMPARE(w.StatusPanel0->text(), shown);
        }
        // A menu item's hint on its way from the menu bar.
        w.Stammdaten1->showStatusText(w.MainMenu);
        QCOMPARE(w.StatusPanel0->text(), QStringLiteral("Hier tragen Sie die Stammdaten Ihres Unternehmens eins."));
        // The mouse on a control with a hint.
        QStatusTipEvent e(w.tv_navigator->statusTip());
        QApplication::sendEvent(w.tv_navigator, &e);
        QCOMPARE(w.StatusPanel0->text(), QStringLiteral("Wählen Sie die gewünschte Funktion im Navigator."));
    }

    void customerCountInSecondPanel() {
        Fixture f;
        Tfrm_main& w = *f.window;
        QCOMPARE(w.StatusPanel1->text(), QStringLiteral("Kunden"));
        dm->ibt_kunde->open();
        QTRY_COMPARE(w.StatusPanel1->text(), QStringLiteral("0 Kunden"));
        for (int i = 0; i < 2; ++i) {
            dm->ibt_kunde->append();
            dm->ibt_kunde->fieldByName("NAME")->setAsString(QStringLiteral("Müller %1").arg(i));
            dm->ibt_kunde->post();
        }
        QTRY_COMPARE(w.StatusPanel1->text(), QStringLiteral("2 Kunden"));
        dm->ibt_kunde->deleteRecord();
        QTRY_COMPARE(w.StatusPanel1->text(), QStringLiteral("1 Kunde"));
    }

    // ---- navigator ------------------------------------------------------
    void dispatchTable_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("function");  // empty: nothing opens
        QTest::addColumn<int>("mode");
        QTest::newRow("Kunden/Übersicht") << "Kunden" << "Übersicht" << "kundenanzeigen" << 0;
        QTest::newRow("Kunden/Suchen") << "Kunden" << "Suchen" << "kundenanzeigen" << 5;
        QTest::newRow("Kunden/Bearbeiten") << "Kunden" << "Bearbeiten" << "kundenanzeigen" << 1;
        QTest::newRow("Kunden/Neu aufnehmen") << "Kunden" << "Neu aufnehmen" << "kundenanzeigen" << 4;
        QTest::newRow("Hunde/Suchen") << "Hunde" << "Suchen" << "hundeanzeigen" << 5;
        QTest::newRow("Termine/Anzeigen") << "Termine" << "Anzeigen" << "beratungenanzeigen" << 1;
        QTest::newRow("Termine/Suchen") << "Termine" << "Suchen" << "terminsucheanzeigen" << 5;
        QTest::newRow("Kurse/Anzeigen") << "Kurse" << "Anzeigen" << "kurseanzeigen" << 0;
        QTest::newRow("Kurse/Neu anlegen") << "Kurse" << "Neu anlegen" << "kurseanzeigen" << 4;
        QTest::newRow("Kurse/Verschieben") << "Kurse" << "Verschieben" << "kurseverschieben" << 0;
        QTest::newRow("Kurse/Stornieren") << "Kurse" << "Stornieren" << "kursestornieren" << 0;
        QTest::newRow("Trainer/Übersicht") << "Trainer" << "Übersicht" << "traineranzeigen" << 0;
        QTest::newRow("Trainer/Neu anlegen") << "Trainer" << "Neu anlegen" << "traineranzeigen" << 4;
        QTest::newRow("Dokumente/Verwaltung") << "Dokumente" << "Verwaltung" << "dokumenteverwaltunganzeigen" << 1;
    }
    void dispatchTable() {
        QFETCH(QString, group);
        QFETCH(QString, entry);
        QFETCH(QString, function);
        QFETCH(int, mode);
        Fixture f;
        platform::ScopedScriptedDialogs d;
        if (function == "kurseanzeigen" && mode == 4)  // "Neuen Kurs einfügen ?", asked by each new course
            d.answer(platform::Answer::Nein).answer(platform::Answer::Nein);
        // Moving and cancelling open the course window, then ask for a
        // course (the list is empty).
        const bool kursaktion = function == "kurseverschieben" || function == "kursestornieren";
        if (kursaktion)
            d.expectMessage("Bitte wählen Sie zuerst in der Kursliste einen Kurs aus.")
                .expectMessage("Bitte wählen Sie zuerst in der Kursliste einen Kurs aus.");
        f.clickEntry(group, entry);
        QCOMPARE(f.window->nav_gruppe, group);
        QCOMPARE(f.window->nav_eintrag, entry);
        QList<Call> expected = function.isEmpty() ? QList<Call>{} : QList<Call>{{function, mode}};
        if (kursaktion) expected << Call("kurseanzeigen", 0);
        QCOMPARE(f.calls(), expected);
        // The same click again, without a change of the selection: the same
        // action again.
        f.click(f.item(group, entry));
        QCOMPARE(f.calls(), expected);
        KYN_VERIFY_DIALOGS(d);
    }

    void itemNotInTheTree() {
        // "Kunden"/"ausgehändigte Dokumente" has a row but no tree item.
        Fixture f;
        f.window->nav_gruppe = "Kunden";
        f.window->nav_eintrag = "ausgehändigte Dokumente";
        f.window->tv_navigatorClick();
        QCOMPARE(f.calls(), (QList<Call>{{"kundenanzeigen", 2}}));
        f.window->nav_eintrag = "Ausgehändigte Dokumente";  // exact text only
        f.window->tv_navigatorClick();
        QVERIFY(f.calls().isEmpty());
    }

    void groupClickExpandsAndOpensNothing() {
        Fixture f;
        QTreeWidgetItem* kurse = f.item("Kurse");
        f.click(kurse);
        QVERIFY(kurse->isExpanded());
        QCOMPARE(f.window->nav_eintrag, QStringLiteral("Kurse"));
        QVERIFY(f.window->nav_gruppe.isEmpty());
        QVERIFY(f.calls().isEmpty());
        // A group keeps the group of the entry selected before.
        f.clickEntry("Kunden", "Suchen");
        QCOMPARE(f.calls(), (QList<Call>{{"kundenanzeigen", 5}}));
        f.click(f.item("Hunde"));
        QCOMPARE(f.window->nav_gruppe, QStringLiteral("Kunden"));
        QCOMPARE(f.window->nav_eintrag, QStringLiteral("Hunde"));
        QVERIFY(f.calls().isEmpty());
    }

    void clickOnTheEntryItselfRunsIt() {
        Fixture f;
        f.clickEntry("Kunden", "Suchen");
        QCOMPARE(f.calls(), (QList<Call>{{"kundenanzeigen", 5}}));
        auto* tree = f.window->tv_navigator;
        // The entry selected already, clicked again: it runs again.
        f.click(f.item("Kunden", "Suchen"));
        QCOMPARE(f.calls(), (QList<Call>{{"kundenanzeigen", 5}}));
        // The expand button of a collapsed group opens the group and runs
        // nothing, neither the group nor the entry selected before.
        QTreeWidgetItem* trainer = f.item("Trainer");
        QVERIFY(!trainer->isExpanded());
        const QRect r = tree->visualItemRect(trainer);
        const QPoint knopf(r.left() - tree->indentation() / 2, r.center().y());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, knopf);
        QVERIFY(trainer->isExpanded());
        QCOMPARE(tree->currentItem(), f.item("Kunden", "Suchen"));
        QVERIFY(f.calls().isEmpty());
        // Closing it again runs nothing either.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, knopf);
        QVERIFY(!trainer->isExpanded());
        QVERIFY(f.calls().isEmpty());
        // The empty area below the items: nothing.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(60, tree->viewport()->height() - 3));
        QVERIFY(f.calls().isEmpty());
        // The right button is no click.
        f.click(f.item("Kunden", "Suchen"));
        f.calls();
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {},
                          tree->visualItemRect(f.item("Kunden", "Suchen")).center());
        QVERIFY(f.calls().isEmpty());
    }

    void doubleClickRunsTheEntryOnce() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        // "Neuen Kurs einfügen ?" would be asked twice if it ran twice.
        d.answer(platform::Answer::Nein);
        QTreeWidgetItem* kurse = f.item("Kurse");
        f.click(kurse);
        auto* tree = f.window->tv_navigator;
        const QRect r = tree->visualItemRect(f.item("Kurse", "Neu anlegen"));
        const QPoint p(r.left() + 30, r.center().y());
        // As the window system delivers a double click: press, release,
        // press, double click, release.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, p);
        QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(f.calls(), (QList<Call>{{"kurseanzeigen", 4}}));
        KYN_VERIFY_DIALOGS(d);
    }

    void startsCollapsedWithNothingSelected() {
        Fixture f;
        auto* tree = f.window->tv_navigator;
        // The tree takes the focus as the first control of the window.
        tree->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(tree->hasFocus());
        QCOMPARE(tree->currentItem(), nullptr);
        QVERIFY(tree->selectedItems().isEmpty());
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            QVERIFY2(!tree->topLevelItem(i)->isExpanded(), qPrintable(tree->topLevelItem(i)->text(0)));
        QVERIFY(f.window->nav_eintrag.isEmpty());
        QVERIFY(f.window->nav_gruppe.isEmpty());
        QVERIFY(f.calls().isEmpty());
    }

    void arrowKeysRecordAndEnterRuns() {
        Fixture f;
        f.clickEntry("Kunden", "Übersicht");
        QCOMPARE(f.calls(), (QList<Call>{{"kundenanzeigen", 0}}));
        auto* tree = f.window->tv_navigator;
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(f.window->nav_eintrag, QStringLiteral("Suchen"));
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(f.window->nav_eintrag, QStringLiteral("Bearbeiten"));
        QCOMPARE(f.window->nav_gruppe, QStringLiteral("Kunden"));
        QVERIFY(f.calls().isEmpty());
        // A click on the empty area opens nothing; Enter runs the entry.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(60, tree->viewport()->height() - 3));
        QVERIFY(f.calls().isEmpty());
        QTest::keyClick(tree, Qt::Key_Return);
        QCOMPARE(f.calls(), (QList<Call>{{"kundenanzeigen", 1}}));
        // Enter on a group opens or closes it and runs nothing.
        tree->setCurrentItem(f.item("Hunde"));
        f.calls();
        const bool offen = f.item("Hunde")->isExpanded();
        QTest::keyClick(tree, Qt::Key_Enter);
        QCOMPARE(f.item("Hunde")->isExpanded(), !offen);
        QVERIFY(f.calls().isEmpty());
    }

    void selectionChangeEndsEditingInChildWindow() {
        Fixture f;
        f.window->kundenanzeigen(Fenstermodus::Neu);
        StubWindow* s = f.stub(WindowKind::Kunden);
        QVERIFY(s);
        auto* anrede = s->findChild<QLineEdit*>("dbc_anrede");
        QCOMPARE(s->focusWidget(), anrede);
        f.window->tv_navigatorChange(f.item("Hunde"));
        QVERIFY(!anrede->hasFocus());
        QVERIFY(s->focusWidget() != anrede);
    }

    // ---- open functions -------------------------------------------------
    void openFunctionModes_data() {
        QTest::addColumn<QString>("function");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("saveOk");
        QTest::addColumn<QString>("help");      // "" : the page stays
        QTest::addColumn<QString>("page");      // current page of pg_kunde, "" : not checked
        QTest::addColumn<QString>("inner");     // current page of pg_kundendaten
        QTest::addColumn<QString>("focus");     // control with the focus, "" : not checked
        QTest::addColumn<QString>("appended");  // dataset in insert state
        QTest::addColumn<int>("checks");        // save checks run
        QTest::addColumn<bool>("front");        // the window is the active child window

        QTest::newRow("kunden 0") << "kundenanzeigen" << 0 << true << "kundenuebersicht.htm" << "ts_kundenuebersicht" << "" << "" << "" << 1 << true;
        QTest::newRow("kunden 1") << "kundenanzeigen" << 1 << true << "kundenbearbeiten.htm" << "ts_kundedetail" << "" << "" << "" << 1 << true;
        QTest::newRow("kunden 2") << "kundenanzeigen" << 2 << true << "" << "ts_kundedetail" << "ts_dokumente" << "" << "" << 1 << true;
        QTest::newRow("kunden 3") << "kundenanzeigen" << 3 << true << "" << "ts_kundedetail" << "ts_kundehunde" << "" << "" << 1 << true;
        QTest::newRow("kunden 4") << "kundenanzeigen" << 4 << true << "kundeneu.htm" << "ts_kundedetail" << "" << "dbc_anrede" << "ibt_kunde" << 1 << true;
        QTest::newRow("kunden 5") << "kundenanzeigen" << 5 << true << "kundesuchen.htm" << "ts_kundenuebersicht" << "" << "suchtext_kunde" << "" << 1 << true;
        QTest::newRow("kunden 7") << "kundenanzeigen" << 7 << true << "" << "" << "" << "" << "" << 0 << true;
        QTest::newRow("kunden 4 check fails") << "kundenanzeigen" << 4 << false << "" << "" << "" << "" << "" << 1 << true;
        QTest::newRow("kunden 5 check fails") << "kundenanzeigen" << 5 << false << "" << "" << "" << "" << "" << 1 << true;
        QTest::newRow("hunde 5") << "hundeanzeigen" << 5 << true << "hundsuchen.htm" << "" << "" << "" << "" << 1 << true;
        QTest::newRow("hunde 0") << "hundeanzeigen" << 0 << true << "" << "" << "" << "" << "" << 0 << true;
        QTest::newRow("kurse 0") << "kurseanzeigen" << 0 << true << "kurseuebersicht.htm" << "" << "" << "dbg_kurse" << "" << 1 << true;
        QTest::newRow("kurse 4") << "kurseanzeigen" << 4 << true << "kurseneu.htm" << "" << "" << "" << "ibt_kurse" << 1 << false;
        QTest::newRow("kurse 4 check fails") << "kurseanzeigen" << 4 << false << "kurseneu.htm" << "" << "" << "" << "" << 1 << false;
        QTest::newRow("kurse 0 check fails") << "kurseanzeigen" << 0 << false << "" << "" << "" << "" << "" << 1 << false;
        QTest::newRow("beratungen 1") << "beratungenanzeigen" << 1 << true << "terminberatung.htm" << "" << "" << "suchtext_kunde" << "" << 0 << true;
        QTest::newRow("beratungen 0") << "beratungenanzeigen" << 0 << true << "" << "" << "" << "" << "" << 0 << false;
        QTest::newRow("trainer 0") << "traineranzeigen" << 0 << true << "" << "" << "" << "" << "" << 1 << true;
        QTest::newRow("trainer 0 check fails") << "traineranzeigen" << 0 << false << "" << "" << "" << "" << "" << 1 << true;
        QTest::newRow("trainer 4") << "traineranzeigen" << 4 << true << "" << "" << "" << "dbc_anrede" << "ibt_trainer" << 1 << true;
        QTest::newRow("trainer 4 check fails") << "traineranzeigen" << 4 << false << "" << "" << "" << "" << "" << 1 << true;
        QTest::newRow("dokumente 1") << "dokumenteverwaltunganzeigen" << 1 << true << "dokumenteverwaltung.htm" << "" << "" << "" << "" << 1 << true;
        QTest::newRow("dokumente 1 check fails") << "dokumenteverwaltunganzeigen" << 1 << false << "" << "" << "" << "" << "" << 1 << true;
    }
    void openFunctionModes() {
        QFETCH(QString, function);
        QFETCH(int, mode);
        QFETCH(bool, saveOk);
        QFETCH(QString, help);
        QFETCH(QString, page);
        QFETCH(QString, inner);
        QFETCH(QString, focus);
        QFETCH(QString, appended);
        QFETCH(int, checks);
        QFETCH(bool, front);
        Fixture f;
        platform::ScopedScriptedDialogs d;
        Tfrm_main& w = *f.window;
        auto call = [&](int m) {
            if (function == "kundenanzeigen") w.kundenanzeigen(Fenstermodus(m));
            else if (function == "hundeanzeigen") w.hundeanzeigen(Fenstermodus(m));
            else if (function == "kurseanzeigen") w.kurseanzeigen(Fenstermodus(m));
            else if (function == "beratungenanzeigen") w.beratungenanzeigen(Fenstermodus(m));
            else if (function == "traineranzeigen") w.traineranzeigen(Fenstermodus(m));
            else if (function == "dokumenteverwaltunganzeigen") w.dokumenteverwaltunganzeigen(Fenstermodus(m));
        };
        const QMap<QString, WindowKind> kindOf = {
            {"kundenanzeigen", WindowKind::Kunden}, {"hundeanzeigen", WindowKind::Hunde},
            {"kurseanzeigen", WindowKind::Kurse}, {"beratungenanzeigen", WindowKind::Beratungen},
            {"traineranzeigen", WindowKind::Trainer}, {"dokumenteverwaltunganzeigen", WindowKind::Dokumente}};
        // The window exists already, another child window is in front, and
        // the page shown so far is the index.
        call(7);
        StubWindow* s = f.stub(kindOf[function]);
        QVERIFY(s);
        w.Dateiimportieren1Click();
        QVERIFY(w.ClientArea->activeSubWindow() != w.subWindowOf(s));
        w.hilfeseite_laden("\\help\\inhalt.htm");
        s->saveOk = saveOk;
        s->checks = 0;
        s->ablauf.clear();
        f.calls();
        if (function == "kurseanzeigen" && mode == 4 && saveOk) d.answer(platform::Answer::Ja);  // "Neuen Kurs einfügen ?"

        call(mode);

        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.calls(), (QList<Call>{{function, mode}}));
        QMdiSubWindow* sub = w.subWindowOf(s);
        QVERIFY(sub);
        QVERIFY(s->isVisible());
        QCOMPARE(s->checks, checks);
        // The datasets are opened once, first, before the save check.
        QCOMPARE(s->ablauf.value(0), QStringLiteral("daten"));
        QCOMPARE(s->ablauf.count("daten"), 1);
        QCOMPARE(w.ClientArea->activeSubWindow() == sub, front);
        QCOMPARE(w.ClientArea->activeSubWindow()->isMaximized(), true);
        QCOMPARE(f.shownHelp(), f.helpFile(help.isEmpty() ? "inhalt.htm" : qPrintable(help)));
        if (!page.isEmpty()) QCOMPARE(s->page("pg_kunde"), page);
        if (!inner.isEmpty()) QCOMPARE(s->page("pg_kundendaten"), inner);
        if (!focus.isEmpty()) QCOMPARE(s->focusWidget() ? s->focusWidget()->objectName() : QString(), focus);
        for (db::Dataset* ds : {static_cast<db::Dataset*>(dm->ibt_kunde), static_cast<db::Dataset*>(dm->ibt_kurse),
                                static_cast<db::Dataset*>(dm->ibt_trainer)}) {
            if (!ds->isActive()) continue;
            QCOMPARE(ds->state() == db::DatasetState::Insert, ds->objectName() == appended);
        }
    }

    void newWindowComesMaximised() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        d.answer(platform::Answer::Nein);  // "Neuen Kurs einfügen ?"
        f.window->kurseanzeigen(Fenstermodus::Neu);  // no show step, but a new child window is shown
        StubWindow* s = f.stub(WindowKind::Kurse);
        QVERIFY(s && s->isVisible());
        QVERIFY(f.window->subWindowOf(s)->isMaximized());
    }

    // Each open function has its window open its datasets (the stubs open
    // what the real windows do: datasetsOfEachWindow).
    void datasetsOpenedPerFunction() {
        Fixture f;
        Tfrm_main& w = *f.window;
        auto active = [] {
            QStringList r;
            for (db::Dataset* d : dm->findChildren<db::Dataset*>(Qt::FindDirectChildrenOnly))
                if (d->isActive() && d != dm->ibt_systemdaten) r << d->objectName();
            r.sort();
            return r;
        };
        QCOMPARE(active(), QStringList{});
        w.kundenanzeigen(Fenstermodus(7));
        QCOMPARE(active(), (QStringList{"ibt_hundetagebuch", "ibt_kunde", "ibt_kunde_hunde"}));
        w.hundeanzeigen(Fenstermodus(7));
        QVERIFY(active().contains("ibt_hunde"));
        w.kurseanzeigen(Fenstermodus(7));
        QVERIFY(active().contains("ibt_kurse") && active().contains("ibt_kurstermine") && active().contains("ibt_trainer"));
        w.dokumenteverwaltunganzeigen(Fenstermodus(7));
        QVERIFY(active().contains("ibt_dokumente"));
    }

    // What each real working window opens when asked for its datasets: just
    // its own, in its order (the stubs of the other tests open the same).
    void datasetsOfEachWindow() {
        Fixture f(-1, false);
        QStringList geoeffnet;
        const auto datasets = dm->findChildren<db::Dataset*>(Qt::FindDirectChildrenOnly);
        QList<db::Dataset::Handler> handler;
        for (db::Dataset* d : datasets) {
            handler << d->afterOpen;
            d->afterOpen = [&geoeffnet, vorher = d->afterOpen](db::Dataset* ds) {
                geoeffnet << ds->objectName();
                if (vorher) vorher(ds);
            };
        }
        auto schliessen = [&] {
            for (db::Dataset* d : datasets)
                if (d != dm->ibt_systemdaten) d->close();
        };
        const std::pair<WindowKind, std::function<QWidget*()>> fenster[] = {
            {WindowKind::Kunden, [] { return new Tfrm_kunden(*dm); }},
            {WindowKind::Hunde, [] { return new Tfrm_hunde(*dm); }},
            {WindowKind::Kurse, [] { return new Tfrm_kurse(*dm); }},
            {WindowKind::Beratungen, [] { return new Tfrm_beratungen(*dm); }},
            {WindowKind::Trainer, [] { return new Tfrm_trainer(*dm); }},
            {WindowKind::Dokumente, [] { return new Tfrm_dokumente(*dm); }},
        };
        for (const auto& [kind, machen] : fenster) {
            std::unique_ptr<QWidget> w(machen());
            schliessen();
            geoeffnet.clear();
            dynamic_cast<WorkingWindow*>(w.get())->datenOeffnen();
            QCOMPARE(geoeffnet, datenJeFenster.value(kind));
            // Open ones are left as they are.
            dynamic_cast<WorkingWindow*>(w.get())->datenOeffnen();
            QCOMPARE(geoeffnet, datenJeFenster.value(kind));
        }
        for (int i = 0; i < datasets.size(); ++i) datasets[i]->afterOpen = handler[i];
    }

    void filterOffAndKept() {
        Fixture f;
        Tfrm_main& w = *f.window;
        w.kundenanzeigen(Fenstermodus::Suchen);
        dm->ibt_kunde->setFilter("upper(name) like '%MÜ%'");
        dm->ibt_kunde->setFiltered(true);
        w.kundenanzeigen(Fenstermodus::Suchen);  // the search keeps the filter
        QVERIFY(dm->ibt_kunde->filtered());
        QCOMPARE(dm->ibt_kunde->filter(), QStringLiteral("upper(name) like '%MÜ%'"));
        QVERIFY(f.stub(WindowKind::Kunden)->findChild<QGroupBox*>("gb_suchen")->isVisible());
        w.kundenanzeigen(Fenstermodus::Uebersicht);  // the overview clears it and hides the search box
        QVERIFY(!dm->ibt_kunde->filtered());
        QVERIFY(dm->ibt_kunde->filter().isEmpty());
        QVERIFY(!f.stub(WindowKind::Kunden)->findChild<QGroupBox*>("gb_suchen")->isVisible());

        for (auto [fn, ds] : {std::pair<void (Tfrm_main::*)(Fenstermodus), db::Dataset*>{&Tfrm_main::hundeanzeigen, dm->ibt_hunde},
                              {&Tfrm_main::dokumenteverwaltunganzeigen, dm->ibt_dokumente}}) {
            (w.*fn)(Fenstermodus(7));
            ds->setFilter("1=0");
            ds->setFiltered(true);
            (w.*fn)(ds == dm->ibt_hunde ? Fenstermodus::Suchen : Fenstermodus::Bearbeiten);
            QVERIFY(!ds->filtered());
            QVERIFY(ds->filter().isEmpty());
        }
    }

    void windowCreatedOnceAndAgainAfterClose() {
        Fixture f;
        Tfrm_main& w = *f.window;
        w.kundenanzeigen(Fenstermodus::Uebersicht);
        StubWindow* first = f.stub(WindowKind::Kunden);
        w.kundenanzeigen(Fenstermodus::Bearbeiten);
        QCOMPARE(f.stub(WindowKind::Kunden), first);
        QCOMPARE(w.ClientArea->subWindowList().size(), 1);
        w.subWindowOf(first)->close();
        QTRY_VERIFY(!stubs[int(WindowKind::Kunden)]);
        w.kundenanzeigen(Fenstermodus::Bearbeiten);
        QVERIFY(f.stub(WindowKind::Kunden));
        QCOMPARE(w.ClientArea->subWindowList().size(), 1);
    }

    void unpluggedWindowOpensNothing() {
        Fixture f;
        Tfrm_main& w = *f.window;
        w.plug(WindowKind::Kunden, WindowPlug{});
        w.kundenanzeigen(Fenstermodus::Neu);
        QVERIFY(w.ClientArea->subWindowList().isEmpty());
        QVERIFY(!dm->ibt_kunde->isActive());
        QCOMPARE(f.calls(), (QList<Call>{{"kundenanzeigen", 4}}));
    }

    void importWindowPostsCustomerEdits() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        Tfrm_main& w = *f.window;
        dm->ibt_kunde->open();
        dm->ibt_kunde->append();
        dm->ibt_kunde->fieldByName("NAME")->setAsString("Schäfer");
        w.Dateiimportieren1Click();
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Browse);
        QCOMPARE(dm->ibt_kunde_hunde->state(), db::DatasetState::Browse);
        QCOMPARE(dm->scalar("select count(*) from kunden where name = 'Schäfer'").toInt(), 1);
        StubWindow* imp = f.stub(WindowKind::Datenimport);
        QCOMPARE(w.ClientArea->activeSubWindow(), w.subWindowOf(imp));
        QVERIFY(w.subWindowOf(imp)->isMaximized());

        // A customer row that cannot be posted: the error box, the window is
        // not brought forward, the edit stays pending.
        w.kundenanzeigen(Fenstermodus(7));
        dm->ibt_kunde->append();
        dm->ibt_kunde->fieldByName("KNDNR")->clear();  // no number: cannot be saved
        d.expectError();
        w.Dateiimportieren1Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Insert);
        QVERIFY(w.ClientArea->activeSubWindow() != w.subWindowOf(imp));
        dm->ibt_kunde->cancel();
    }

    // ---- quick-help panel and first start -------------------------------
    void firstStartOn() {
        Fixture f(1);
        Tfrm_main& w = *f.window;
        QVERIFY(w.jcp_assistent->isVisible());
        QVERIFY(w.assistentFuelltMitte());
        QVERIFY(!w.ClientArea->isVisible());
        QCOMPARE(f.shownHelp(), f.helpFile("ersterstart.htm"));
        QVERIFY(w.wb_assistent->toPlainText().contains("Willkommen"));
        QVERIFY(dm->ibt_systemdaten->isActive());
    }

    void firstStartOffAndInhalt() {
        Fixture f(-1);
        Tfrm_main& w = *f.window;
        QVERIFY(!w.jcp_assistent->isVisible());
        QVERIFY(w.ClientArea->isVisible());
        // Opening a window loads its page into the hidden panel.
        w.kundenanzeigen(Fenstermodus::Suchen);
        QCOMPARE(f.shownHelp(), f.helpFile("kundesuchen.htm"));
        QVERIFY(!w.jcp_assistent->isVisible());
        QTest::mouseClick(w.JvHTButton1, Qt::LeftButton);
        QVERIFY(w.jcp_assistent->isVisible());
        QVERIFY(!w.assistentFuelltMitte());
        QCOMPARE(f.shownHelp(), f.helpFile("inhalt.htm"));
        QTRY_COMPARE(w.jcp_assistent->width(), 200);
        // "Assistent": the same page.
        w.jcp_assistentClose();
        QVERIFY(!w.jcp_assistent->isVisible());
        w.hilfeseite_laden("\\help\\trainer.htm");
        QTest::mouseClick(w.JvHTButton2, Qt::LeftButton);
        QVERIFY(w.jcp_assistent->isVisible());
        QCOMPARE(f.shownHelp(), f.helpFile("inhalt.htm"));
    }

    // A page the data directory does not have comes from the pages shipped
    // with the program; the data directory's own page comes first.
    void helpPageShippedWithTheProgram() {
        Fixture f;
        const QString shipped = shelltest::sourceDir() + "/resources";
        platform::ScopedSharedDataDirectories shared({shipped});
        QVERIFY(QFile::remove(f.helpFile("kundeneu.htm")));
        f.window->hilfeseite_laden("\\help\\kundeneu.htm");
        QCOMPARE(f.shownHelp(), shipped + "/help/kundeneu.htm");
        QVERIFY(!f.window->wb_assistent->toPlainText().isEmpty());
        f.window->hilfeseite_laden("\\help\\inhalt.htm");
        QCOMPARE(f.shownHelp(), f.helpFile("inhalt.htm"));
    }

    void helpPagePathIsInstallDirectoryPlusPage() {
        Fixture f;
        f.window->hilfeseite_laden("\\help\\kundeneu.htm");
        QCOMPARE(f.shownHelp(), platform::mapPath("c:\\kynovia\\help\\kundeneu.htm"));
        // A page that does not exist: an empty page.
        f.window->hilfeseite_laden("\\help\\gibtesnicht.htm");
        QVERIFY(f.window->wb_assistent->toPlainText().isEmpty());
    }

    void switchOffLink() {
        platform::ScopedScriptedDialogs d;
        auto f = std::make_unique<Fixture>(1);
        Tfrm_main& w = *f->window;
        HtmlBrowser* b = w.wb_assistent;
        // The user clicks the link on the first-start page.
        QTextCursor c = b->document()->find("Diesen Assistenten nicht mehr anzeigen");
        QVERIFY(!c.isNull());
        b->setTextCursor(c);
        b->ensureCursorVisible();
        c.setPosition(c.selectionStart() + 3);
        QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, b->cursorRect(c).center());
        QVERIFY(!w.jcp_assistent->isVisible());
        QCOMPARE(f->shownHelp(), f->helpFile("ersterstart.htm"));  // not navigated
        QCOMPARE(dm->ibt_systemdaten->state(), db::DatasetState::Browse);
        QCOMPARE(dm->ibt_systemdaten->fieldByName("ERSTSTARTHILFE")->asInteger(), -1);
        QCOMPARE(dm->scalar("select erststarthilfe from systemdaten").toInt(), -1);
        QVERIFY(w.ClientArea->isVisible());

        // "Inhalt": the panel is back, still over the whole middle area; its
        // minimise button makes it the 200-pixel strip again.
        QTest::mouseClick(w.JvHTButton1, Qt::LeftButton);
        QVERIFY(w.jcp_assistent->isVisible());
        QVERIFY(w.assistentFuelltMitte());
        QVERIFY(!w.ClientArea->isVisible());
        QVERIFY(w.jcp_assistent->width() > 200);
        w.jcp_assistentMinimize();
        QVERIFY(!w.assistentFuelltMitte());
        QVERIFY(w.ClientArea->isVisible());
        QTRY_COMPARE(w.jcp_assistent->width(), 200);
        QVERIFY(w.jcp_assistent->geometry().right() >= w.ClientArea->geometry().right());
        KYN_VERIFY_DIALOGS(d);

        // The next start shows no assistant.
        f->window.reset();
        f->module.reset();  // commits
        f->connectModule();
        f->makeWindow();
        QVERIFY(!f->window->jcp_assistent->isVisible());
        QVERIFY(f->window->ClientArea->isVisible());
    }

    void switchOffMarker_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("switchesOff");
        QTest::newRow("file") << "erststartaus.htm" << true;
        QTest::newRow("anywhere") << "hilfe/xerststartausy.htm#a" << true;
        QTest::newRow("case differs") << "ErstStartAus.htm" << false;
        QTest::newRow("other page") << "inhalt.htm" << false;
    }
    void switchOffMarker() {
        QFETCH(QString, link);
        QFETCH(bool, switchesOff);
        Fixture f(1);
        f.window->wb_assistent->followLink(QUrl(link));
        QCOMPARE(f.window->jcp_assistent->isVisible(), !switchesOff);
        QCOMPARE(dm->ibt_systemdaten->fieldByName("ERSTSTARTHILFE")->asInteger(), switchesOff ? -1 : 1);
        if (switchesOff) QCOMPARE(f.shownHelp(), f.helpFile("ersterstart.htm"));
    }

    void captionPanelButtons() {
        Fixture f;
        Tfrm_main& w = *f.window;
        // Navigator: minimise to the strip, widen when the mouse nears its left edge.
        w.jcp_navigatorMinimize();
        QTRY_COMPARE(w.jcp_navigator->width(), 30);
        QTest::mouseMove(w.jcp_navigator, QPoint(20, 200));
        w.jcp_navigatorMouseMove(20);
        QCOMPARE(w.jcp_navigator->width(), 30);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 200), w.jcp_navigator->mapToGlobal(QPointF(5, 200)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w.jcp_navigator, &move);
        QTRY_COMPARE(w.jcp_navigator->width(), w.navigatorBreite());
        w.jcp_navigatorMinimize();
        QTRY_COMPARE(w.jcp_navigator->width(), 30);
        w.jcp_navigatorMaximize();
        QTRY_COMPARE(w.jcp_navigator->width(), w.navigatorBreite());
        // Wide navigator: the mouse at the edge changes nothing.
        w.jcp_navigatorMouseMove(3);
        QCOMPARE(w.jcp_navigator->width(), w.navigatorBreite());

        // Quick help: maximise over the middle, minimise to the strip, close.
        w.jcp_assistent->show();
        w.jcp_assistentMaximize();
        QVERIFY(w.assistentFuelltMitte());
        QVERIFY(!w.ClientArea->isVisible());
        QTRY_VERIFY(w.jcp_assistent->width() > 500);
        w.jcp_assistentMinimize();
        QVERIFY(w.ClientArea->isVisible());
        QTRY_COMPARE(w.jcp_assistent->width(), 200);
        w.jcp_assistentClose();
        QVERIFY(!w.jcp_assistent->isVisible());
    }

    // ---- menus ----------------------------------------------------------
    void helpMenuUsesTheHelpViewer() {
        Fixture f;
        platform::ScopedRecordingHelpViewer viewer;
        f.window->Inhalt1->trigger();
        f.window->InderHilfeSuchennach1->trigger();
        const QString file = QStringLiteral("C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP");
        QCOMPARE(viewer.calls(), (QList<platform::HelpCall>{{"contents", file, ""}, {"search", file, ""}}));
    }

    void smallWindowsFromTheMenus() {
        Fixture f;
        Tfrm_main& w = *f.window;
        // The small windows as the program makes them at its start.
        Tfrm_about about;
        frm_about = &about;
        Tfrm_notizblock notizblock(*dm);
        frm_notizblock = &notizblock;
        Tfrm_stammdaten stammdaten(*dm, &w);
        frm_stammdaten = &stammdaten;
        w.Ueber1->trigger();
        QVERIFY(frm_about && frm_about->isVisible());
        QVERIFY(!frm_about->isModal());
        frm_about->close();

        QTest::mouseClick(w.JvaCaptionButton1, Qt::LeftButton);
        QVERIFY(frm_notizblock && frm_notizblock->isVisible());
        QVERIFY(!frm_notizblock->isModal());
        frm_notizblock->close();

        bool shownModal = false;
        QTimer::singleShot(0, [&] {
            shownModal = frm_stammdaten && frm_stammdaten->isVisible() && QApplication::activeModalWidget() == frm_stammdaten;
            if (frm_stammdaten) frm_stammdaten->b_abbruch->click();
        });
        w.Stammdaten1->trigger();
        QVERIFY(shownModal);
        QVERIFY(!frm_stammdaten->isVisible());

        // The course templates: the plugged window, shown modally.
        QPointer<QDialog> vorlagen;
        w.plug(WindowKind::VorlagenKurse, plugWindow(vorlagen));
        bool templatesModal = false;
        QTimer::singleShot(0, [&] {
            templatesModal = vorlagen && QApplication::activeModalWidget() == vorlagen;
            if (vorlagen) vorlagen->reject();
        });
        w.VorlagenKurse1->trigger();
        QVERIFY(templatesModal);
        delete vorlagen.data();

        // "Datei", "Offene Posten": the school's list, modal, with its help page.
        QVERIFY(w.findChild<QMenu*>("Datei1")->actions().contains(w.OffenePosten1));
        QCOMPARE(w.OffenePosten1->text(), QStringLiteral("Offene Posten"));
        QString posten;
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                posten = d->windowTitle() + "|" + d->findChild<QLabel*>("lb_summe")->text();
                d->reject();
            }
        });
        w.OffenePosten1->trigger();
        QCOMPARE(posten, QStringLiteral("Offene Posten|Keine offenen Posten."));
        QCOMPARE(f.shownHelp(), f.helpFile("offeneposten.htm"));
    }

    void windowArrangement() {
        Fixture f;
        Tfrm_main& w = *f.window;
        w.kundenanzeigen(Fenstermodus(7));
        w.traineranzeigen(Fenstermodus(7));
        w.Nebeneinander1->trigger();
        QMdiSubWindow* a = w.subWindowOf(f.stub(WindowKind::Kunden));
        QMdiSubWindow* b = w.subWindowOf(f.stub(WindowKind::Trainer));
        QVERIFY(!a->isMaximized() && !b->isMaximized());
        QVERIFY(!a->geometry().intersects(b->geometry()));
        w.Hintereinander1->trigger();
        QVERIFY(a->geometry().topLeft() != b->geometry().topLeft());
        QVERIFY(a->geometry().intersects(b->geometry()));
        a->showMinimized();
        b->showMinimized();
        w.AlleAnordnen1->trigger();
        QVERIFY(!a->geometry().intersects(b->geometry()));
        const int bottom = w.ClientArea->viewport()->height();
        QCOMPARE(a->geometry().bottom() + 1, bottom);
        QCOMPARE(b->geometry().bottom() + 1, bottom);
    }

    // ---- close ----------------------------------------------------------
    void closePostsCustomerEdits() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        Tfrm_main& w = *f.window;
        w.kundenanzeigen(Fenstermodus::Neu);
        dm->ibt_kunde->fieldByName("NAME")->setAsString("Krüger");
        dm->ibt_trainer->open();
        dm->ibt_trainer->append();
        dm->ibt_trainer->fieldByName("NAME")->setAsString("Lange");
        QVERIFY(w.close());
        QCOMPARE(f.ended, 1);
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Browse);
        QCOMPARE(dm->scalar("select count(*) from kunden where name = 'Krüger'").toInt(), 1);
        // Every other window's pending edit is kept as well.
        QCOMPARE(dm->scalar("select count(*) from trainer where name = 'Lange'").toInt(), 1);
        KYN_VERIFY_DIALOGS(d);
    }

    void closeWithFailingEditKeepsRunning() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        Tfrm_main& w = *f.window;
        w.kundenanzeigen(Fenstermodus::Neu);
        dm->ibt_kunde->fieldByName("NAME")->setAsString("Erster");
        dm->ibt_kunde->post();
        dm->ibt_kunde->append();
        dm->ibt_kunde->fieldByName("KNDNR")->clear();  // no number: cannot be saved
        d.expectError();
        QVERIFY(!w.close());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.ended, 0);
        QVERIFY(w.isVisible());
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Insert);
        dm->ibt_kunde->cancel();
        QVERIFY(w.close());
        QCOMPARE(f.ended, 1);
    }
};

KYN_TEST(TestMain)
#include "main_test.moc"
