// The dog search window, and both windows as the main window opens them:
// the six modes of the customer window, page changes with their help pages,
// and "zum Kunden".
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "customers/hundefelder.h"
#include "data/kundensuche.h"
#include "kundentest.h"
#include "mithauptfenster.h"
#include "shell/Main.h"
#include "shell/htmlbrowser.h"
#include "testregistry.h"
#include "widgets/dbcheckbox.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"
#include "widgets/rolloutpanel.h"

using namespace kundentest;
using widgets::DbNavigator;

namespace {

QList<int> nummern(db::Dataset* d, const char* spalte) {
    QList<int> out;
    d->first();
    while (!d->eof()) {
        out << d->fieldByName(QString::fromLatin1(spalte))->asInteger();
        d->next();
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

class HundefensterTest : public QObject {
    Q_OBJECT
private slots:
    void layout() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_hunde* w = u.hundefenster();
        QCOMPARE(w->windowTitle(), QStringLiteral("Hunde"));
        QCOMPARE(w->gb_suchen->title(), QStringLiteral("Suchen nach..."));
        QStringList titel;
        for (int i = 0; i < w->dbg_kunde->datasetModel()->columnCount(); ++i)
            titel << w->dbg_kunde->datasetModel()->headerData(i, Qt::Horizontal).toString();
        QCOMPARE(titel, QStringList({"Name", "Rasse", "Geburtsjahr", "Chip-Nr.", "Haftpflicht-Nr.", "Kommentar",
                                     "Probleme"}));
        QCOMPARE(w->DBNavigator3->visibleButtons(), DbNavigator::MoveButtons);
        QCOMPARE(w->DBNavigator3->hint(DbNavigator::Last), QStringLiteral("Letzter Hund"));
        QCOMPARE(w->bb_zumkunden->text(), QStringLiteral("zum Kunden"));
        QCOMPARE(w->PageControl1->tabText(0), QStringLiteral("Anamese"));
        QCOMPARE(w->PageControl1->tabText(1), QStringLiteral("Trainingsprotokoll"));
        QCOMPARE(w->PageControl1->currentWidget(), w->ts_anamesebogen);
        QCOMPARE(w->Splitter1->orientation(), Qt::Vertical);
        QCOMPARE(w->Splitter1->widget(0), w->dbg_kunde);
        const QStringList gruppen{"Probleme / Grund der Kontaktaufnahme", "Herkunft, Pflege",
                                  "Tierarzt, Krankheiten, Imfpung", "Futteraufnahme", "bisherige Hundeerziehung",
                                  "Verhalten des Hundes"};
        QGroupBox* boxes[] = {w->GroupBox7, w->GroupBox3, w->GroupBox2, w->GroupBox6, w->GroupBox4, w->GroupBox5};
        for (int i = 0; i < 6; ++i) QCOMPARE(boxes[i]->title(), gruppen[i]);
        // Here the manner of eating offers the behaviour scale.
        auto* fa = w->findChild<widgets::DbComboBox*>("dbc_futteraufnahme");
        QCOMPARE(fa->items(), QStringList({"freundlich", "ängstlich", "ängstlich, dann agressiv", "agressiv"}));
        // The breed list in file order.
        QStringList datei;
        QVERIFY(hundefelder::rassen_laden(&datei, sourceDir() + "/resources/rassen.txt"));
        QCOMPARE(w->dbcb_rasse->items(), datei);
        // Every check box stores J and N; 17 of them, all bound to ds_hunde.
        const auto boxen = w->findChildren<widgets::DbCheckBox*>();
        QCOMPARE(boxen.size(), 17);
        for (auto* b : boxen) {
            QCOMPARE(b->valueUnchecked(), QStringLiteral("N"));
            QCOMPARE(b->dataSource(), dm->ds_hunde);
        }
        // No key handling: commas stay commas, Enter stays.
        auto* chip = w->findChild<widgets::DbEdit*>("dbe_chipnr");
        chip->setFocus();
        chip->selectAll();
        QTest::keyClicks(chip, "1,2");
        QTest::keyClick(chip, Qt::Key_Return);
        QCOMPARE(chip->text(), QStringLiteral("1,2"));
        QVERIFY(chip->hasFocus());
        // The problems memo starts no new line.
        auto* probleme = w->findChild<widgets::DbMemo*>("dbm_probleme");
        probleme->setFocus();
        QTest::keyClicks(probleme, "a");
        QTest::keyClick(probleme, Qt::Key_Return);
        QVERIFY(!probleme->toPlainText().contains('\n'));
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    void search_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("gefunden");
        QTest::newRow("2005: chip ABC2005") << "2005" << QList<int>{3};
        QTest::newRow("2020: year of birth") << "2020" << QList<int>{1};
        QTest::newRow("abc finds ABC2005") << "abc" << QList<int>{3};
        QTest::newRow("collie") << "collie" << QList<int>{2};
        QTest::newRow("empty: all") << "" << QList<int>{1, 2, 3};
        QTest::newRow("apostrophe") << "o'" << QList<int>{};
    }
    void search() {
        QFETCH(QString, text);
        QFETCH(QList<int>, gefunden);
        Umgebung u;
        beispieldaten(u);
        u.exec("update hunde set chipnr = \"abc123\" where hundnr = 2");
        Tfrm_hunde* w = u.hundefenster();
        w->suchtext_hunde->setText("x");
        QTest::keyClick(w->suchtext_hunde, Qt::Key_Return);
        w->suchtext_hunde->setText(text);
        QTest::keyClick(w->suchtext_hunde, Qt::Key_Return);
        QCOMPARE(w->suchtext_hunde->text(), text);
        QCOMPARE(dm->ibt_hunde->filtered(), !text.isEmpty());
        QCOMPARE(dm->ibt_hunde->filter(), hundesuche_bedingung(text));
        QCOMPARE(nummern(dm->ibt_hunde, "HUNDNR"), gefunden);
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    void saveCheck() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_hunde* w = u.hundefenster();
        dm->ibt_hunde->edit();
        dm->ibt_hunde->fieldByName("NAME")->setAsString("Baloo");
        QVERIFY(w->check_sichern());
        QCOMPARE(u.wert("select name from hunde where hundnr=1").toString(), QStringLiteral("Baloo"));
        dm->ibt_hunde->edit();
        dm->ibt_hunde->fieldByName("KNDNR")->setAsInteger(99);  // no such customer
        u.dialoge.expectMessage(QStringLiteral(
            "Die Änderungen an den Hundedaten konnten nicht gesichert werden, da diese nicht vollständig oder "
            "nicht korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder "
            "korrigieren Sie bitte zunächst die Änderungen oder verwerfen Sie diese."));
        QVERIFY(!w->check_sichern());
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(dm->ibt_hunde->isEditing());
    }

    void closingOnlyMinimises() {
        MitHauptfenster f;
        f.haupt->hundeanzeigen(Fenstermodus::Suchen);
        QVERIFY(frm_hunde);
        QPointer<Tfrm_hunde> w = frm_hunde.data();
        w->PageControl1->setCurrentWidget(w->TabSheet1);
        QMdiSubWindow* sub = f.haupt->subWindowOf(w);
        QVERIFY(sub);
        w->suchtext_hunde->setText("collie");
        QTest::keyClick(w->suchtext_hunde, Qt::Key_Return);
        QVERIFY(dm->ibt_hunde->filtered());
        sub->close();
        QVERIFY(w);
        QVERIFY(sub->isMinimized());
        f.haupt->hundeanzeigen(Fenstermodus::Suchen);
        QCOMPARE(frm_hunde.data(), w.data());
        QVERIFY(!sub->isMinimized());
        QVERIFY(!dm->ibt_hunde->filtered());
        QCOMPARE(w->PageControl1->currentWidget(), w->TabSheet1);
        QVERIFY(f.hilfe().endsWith("help/hundsuchen.htm"));
    }

    // ---- the customer window through the main window --------------------------------
    void customerModes() {
        MitHauptfenster f;
        f.haupt->kundenanzeigen(Fenstermodus::Suchen);
        Tfrm_kunden* w = frm_kunden;
        QVERIFY(w);
        QVERIFY(f.haupt->subWindowOf(w)->isMaximized());
        QCOMPARE(w->pg_kunde->currentWidget(), w->ts_kundenuebersicht);
        QVERIFY(w->gb_suchen->isVisible());
        QVERIFY(w->suchtext_kunde->hasFocus());
        QVERIFY(f.hilfe().endsWith("help/kundesuchen.htm"));
        QTest::keyClicks(w->suchtext_kunde, "husum");
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Return);
        QCOMPARE(nummern(dm->ibt_kunde, "KNDNR"), QList<int>{2});
        // Mode 1: record page; the search stays.
        f.haupt->kundenanzeigen(Fenstermodus::Bearbeiten);
        QCOMPARE(w->pg_kunde->currentWidget(), w->ts_kundedetail);
        QVERIFY(f.hilfe().endsWith("help/kundenbearbeiten.htm"));
        QVERIFY(dm->ibt_kunde->filtered());
        // Mode 3: the dogs page; mode 2: the page without a tab.
        w->pg_kundendaten->setCurrentWidget(w->ts_aktive_kurse);
        f.haupt->kundenanzeigen(Fenstermodus::Hunde);
        QCOMPARE(w->pg_kundendaten->currentWidget(), w->ts_kundehunde);
        f.haupt->kundenanzeigen(Fenstermodus::Dokumente);
        QCOMPARE(w->pg_kundendaten->currentWidget(), w->ts_dokumente);
        QVERIFY(w->ts_dokumente->isVisible());
        // Mode 0: overview without the search box and without the filter.
        f.haupt->kundenanzeigen(Fenstermodus::Uebersicht);
        QCOMPARE(w->pg_kunde->currentWidget(), w->ts_kundenuebersicht);
        QVERIFY(!w->gb_suchen->isVisible());
        QVERIFY(!dm->ibt_kunde->filtered());
        QVERIFY(f.hilfe().endsWith("help/kundenuebersicht.htm"));
        // Mode 4: a new customer with number and date, focus on the salutation.
        f.haupt->kundenanzeigen(Fenstermodus::Neu);
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Insert);
        QCOMPARE(dm->ibt_kunde->fieldByName("KNDNR")->asInteger(), 4);
        QCOMPARE(w->pg_kunde->currentWidget(), w->ts_kundedetail);
        QVERIFY(hatFokus(w->dbc_anrede));
        QVERIFY(f.hilfe().endsWith("help/kundeneu.htm"));
        QTest::keyClicks(QApplication::focusWidget(), "Herr");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "Lars");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "Petersen");
        f.haupt->kundenanzeigen(Fenstermodus::Bearbeiten);  // the save check posts the new customer
        QCOMPARE(u_wert(f, "select name from kunden where kndnr=4"), QStringLiteral("Petersen"));
        QCOMPARE(u_wert(f, "select vname from kunden where kndnr=4"), QStringLiteral("Lars"));
        QCOMPARE(u_wert(f, "select anrede from kunden where kndnr=4"), QStringLiteral("Herr"));
        // A failing save check keeps the page.
        w->pg_kunde->setCurrentWidget(w->ts_kundedetail);
        dm->ibt_kunde->edit();
        dm->ibt_kunde->fieldByName("KNDNR")->setAsInteger(1);
        f.dialoge.expectMessage();
        f.haupt->kundenanzeigen(Fenstermodus::Suchen);
        KYN_VERIFY_DIALOGS(f.dialoge);
        QCOMPARE(w->pg_kunde->currentWidget(), w->ts_kundedetail);
        dm->ibt_kunde->cancel();
        // Closing destroys the window; the next request makes a new one.
        QPointer<Tfrm_kunden> alt(w);
        f.haupt->subWindowOf(w)->close();
        QTRY_VERIFY(!alt);
        QVERIFY(!frm_kunden);
        QVERIFY(dm->ibt_kunde->isActive());
        f.haupt->kundenanzeigen(Fenstermodus::Bearbeiten);
        QVERIFY(frm_kunden && frm_kunden.data() != nullptr);
    }

    // The user's page change loads the page's help; a double click in the
    // list opens the record with its help page.
    void pageChangeAndDoubleClick() {
        MitHauptfenster f;
        f.haupt->kundenanzeigen(Fenstermodus::Bearbeiten);
        Tfrm_kunden* w = frm_kunden;
        f.haupt->hilfeseite_laden("\\help\\inhalt.htm");
        QTest::mouseClick(w->pg_kunde->tabBar(), Qt::LeftButton, {},
                          w->pg_kunde->tabBar()->tabRect(0).center());
        QCOMPARE(w->pg_kunde->currentWidget(), w->ts_kundenuebersicht);
        QVERIFY(f.hilfe().endsWith("help/kundenuebersicht.htm"));
        QTest::mouseClick(w->pg_kunde->tabBar(), Qt::LeftButton, {},
                          w->pg_kunde->tabBar()->tabRect(1).center());
        QVERIFY(f.hilfe().endsWith("help/kundenbearbeiten.htm"));
        // Pages set by the program do not load help.
        f.haupt->hilfeseite_laden("\\help\\inhalt.htm");
        w->zeigeSeite("pg_kunde", "ts_kundenuebersicht");
        QVERIFY(f.hilfe().endsWith("help/inhalt.htm"));
        // Double click on the second customer.
        auto* g = w->dbg_kunde;
        QApplication::processEvents();
        QVERIFY(g->isVisible());
        const QRect r = g->visualRect(g->model()->index(1, 1));
        // A double click: the first press moves to the row.
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(w->pg_kunde->currentWidget(), w->ts_kundedetail);
        QCOMPARE(dm->ibt_kunde->fieldByName("KNDNR")->asInteger(), 2);
        QVERIFY(f.hilfe().endsWith("help/kundenbearbeiten.htm"));
    }

    void zumKunden() {
        MitHauptfenster f;
        f.haupt->kundenanzeigen(Fenstermodus::Bearbeiten);
        f.haupt->hundeanzeigen(Fenstermodus::Suchen);
        Tfrm_hunde* h = frm_hunde;
        Tfrm_kunden* k = frm_kunden;
        QVERIFY(dm->ibt_hunde->locate("HUNDNR", 2));
        // A tick here shows in the customer window too.
        auto* jagd = h->findChild<widgets::DbCheckBox*>("dbchk_jagd_bei_sicht");
        QCOMPARE(jagd->checkState(), Qt::PartiallyChecked);
        QTest::mouseClick(jagd, Qt::LeftButton, {}, QPoint(7, jagd->height() / 2));
        QTest::mouseClick(h->bb_zumkunden, Qt::LeftButton);
        QCOMPARE(k->pg_kunde->currentWidget(), k->ts_kundedetail);
        QCOMPARE(dm->ibt_kunde->fieldByName("KNDNR")->asInteger(), 1);
        QCOMPARE(dm->ibt_kunde_hunde->fieldByName("NAME")->asString(), QStringLiteral("Frieda"));
        auto* jagdK = k->findChild<widgets::DbCheckBox*>("dbchk_jagd_bei_sicht");
        QCOMPARE(jagdK->checkState(), Qt::Checked);
        QCOMPARE(dm->ibt_hundetagebuch->recordCount(), 0);

        // Another owner by double click in the dog list.
        f.haupt->hundeanzeigen(Fenstermodus::Suchen);
        QVERIFY(dm->ibt_hunde->locate("HUNDNR", 3));
        QApplication::processEvents();
        const QRect r = h->dbg_kunde->visualRect(h->dbg_kunde->model()->index(2, 0));
        QTest::mouseClick(h->dbg_kunde->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(h->dbg_kunde->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(dm->ibt_kunde->fieldByName("KNDNR")->asInteger(), 2);
        QCOMPARE(dm->ibt_kunde_hunde->fieldByName("HUNDNR")->asInteger(), 3);

        // An owner hidden by the customer search: the customer window stays
        // where it was, nothing is reported.
        k->suchtext_kunde->setText("husum");
        QTest::keyClick(k->suchtext_kunde, Qt::Key_Return);
        QCOMPARE(nummern(dm->ibt_kunde, "KNDNR"), QList<int>{2});
        f.haupt->hundeanzeigen(Fenstermodus::Suchen);
        QVERIFY(dm->ibt_hunde->locate("HUNDNR", 1));
        QTest::mouseClick(h->bb_zumkunden, Qt::LeftButton);
        QCOMPARE(dm->ibt_kunde->fieldByName("KNDNR")->asInteger(), 2);
        QCOMPARE(dm->ibt_kunde_hunde->fieldByName("HUNDNR")->asInteger(), 3);
        KYN_VERIFY_DIALOGS(f.dialoge);
    }

    // The dog search's "Trainingsprotokoll" is the diary of the dog shown
    // there, whatever dog the customer window shows; its "+" adds a row to
    // that dog.
    void diaryOfTheDogShown() {
        MitHauptfenster f;
        f.exec("insert into hunde_tagebuch (hundnr, datum, terminart, geplant) values (3, \"02.06.2023\", "
               "\"Einzelstunde\", \"Begegnungen\")");
        f.haupt->kundenanzeigen(Fenstermodus::Bearbeiten);
        QVERIFY(dm->ibt_kunde->locate("KNDNR", 1));
        QVERIFY(dm->ibt_kunde_hunde->locate("HUNDNR", 1));
        f.haupt->hundeanzeigen(Fenstermodus::Suchen);
        Tfrm_hunde* h = frm_hunde;
        QVERIFY(dm->ibt_hunde->locate("HUNDNR", 3));
        h->PageControl1->setCurrentWidget(h->TabSheet1);
        QApplication::processEvents();
        auto zeilen = [](widgets::DbGrid* g) {
            QStringList r;
            for (int i = 0; i < g->datasetModel()->rowCount(); ++i)
                r << g->datasetModel()->index(i, 2).data().toString();
            return r;
        };
        QCOMPARE(zeilen(h->dbg_tagebuch), QStringList{"Begegnungen"});
        // The customer window still shows Balu's diary.
        QCOMPARE(zeilen(frm_kunden->dbg_tagebuch), (QStringList{"Leinenführigkeit", "Rückruf"}));
        // Another dog in the dog search, another diary.
        QVERIFY(dm->ibt_hunde->locate("HUNDNR", 2));
        QCOMPARE(zeilen(h->dbg_tagebuch), QStringList{});
        QVERIFY(dm->ibt_hunde->locate("HUNDNR", 3));
        QCOMPARE(zeilen(h->dbg_tagebuch), QStringList{"Begegnungen"});

        // The same "+" and hint as in the customer window.
        QVERIFY(h->lb_tagebuchhinweis->isVisible());
        QCOMPARE(h->lb_tagebuchhinweis->text(), QStringLiteral("Neuer Eintrag: auf + klicken oder in der letzten "
                                                               "Zeile die Taste Pfeil nach unten drücken."));
        QToolButton* plus = h->DBNavigator4->button(DbNavigator::Insert);
        QVERIFY(plus->isVisible() && plus->isEnabled());
        QCOMPARE(plus->toolTip(), QStringLiteral("Neuer Eintrag im Trainingsprotokoll"));
        QTest::mouseClick(plus, Qt::LeftButton);
        QCOMPARE(dm->ibt_hundesuche_tagebuch->state(), db::DatasetState::Insert);
        dm->ibt_hundesuche_tagebuch->fieldByName("GEPLANT")->setAsString("Neu in der Hundesuche");
        QTest::mouseClick(h->DBNavigator4->button(DbNavigator::Post), Qt::LeftButton);
        QCOMPARE(f.wert("select hundnr from hunde_tagebuch where geplant = 'Neu in der Hundesuche'").toInt(), 3);
        QCOMPARE(f.wert("select datum from hunde_tagebuch where geplant = 'Neu in der Hundesuche'").toDateTime().date(),
                 QDate::currentDate());
        QStringList nachher = zeilen(h->dbg_tagebuch);
        nachher.sort();
        QCOMPARE(nachher, (QStringList{"Begegnungen", "Neu in der Hundesuche"}));
        QCOMPARE(zeilen(frm_kunden->dbg_tagebuch), (QStringList{"Leinenführigkeit", "Rückruf"}));
        KYN_VERIFY_DIALOGS(f.dialoge);
    }

    // One dog in both windows: a window that becomes active shows what the
    // other saved, and a save of one never overwrites the other's change.
    void oneDogInTwoWindows() {
        MitHauptfenster f;
        f.haupt->kundenanzeigen(Fenstermodus::Bearbeiten);
        f.haupt->hundeanzeigen(Fenstermodus::Suchen);
        Tfrm_hunde* h = frm_hunde;
        Tfrm_kunden* k = frm_kunden;
        QMdiArea* area = f.haupt->ClientArea;
        QVERIFY(dm->ibt_hunde->locate("HUNDNR", 1));
        QVERIFY(dm->ibt_kunde->locate("KNDNR", 1));
        QVERIFY(dm->ibt_kunde_hunde->locate("HUNDNR", 1));

        // Saved in the dog search, shown by the customer window when it
        // becomes active.
        dm->ibt_hunde->edit();
        dm->ibt_hunde->fieldByName("NAME")->setAsString("Balou");
        dm->ibt_hunde->post();
        area->setActiveSubWindow(f.haupt->subWindowOf(k));
        QCOMPARE(area->activeSubWindow(), f.haupt->subWindowOf(k));
        QCOMPARE(dm->ibt_kunde_hunde->fieldByName("NAME")->asString(), QStringLiteral("Balou"));

        // The dog search has a chip number pending while the customer window
        // saves a new breed: back in the dog search the breed shows, the
        // chip number stays, and its save writes only the chip number.
        dm->ibt_hunde->edit();
        dm->ibt_hunde->fieldByName("CHIPNR")->setAsString("999");
        dm->ibt_kunde_hunde->edit();
        dm->ibt_kunde_hunde->fieldByName("RASSE")->setAsString("Mischling");
        dm->ibt_kunde_hunde->post();
        area->setActiveSubWindow(f.haupt->subWindowOf(h));
        QCOMPARE(dm->ibt_hunde->state(), db::DatasetState::Edit);
        QCOMPARE(dm->ibt_hunde->fieldByName("RASSE")->asString(), QStringLiteral("Mischling"));
        QCOMPARE(h->dbcb_rasse->currentText(), QStringLiteral("Mischling"));
        QCOMPARE(dm->ibt_hunde->fieldByName("CHIPNR")->asString(), QStringLiteral("999"));
        dm->ibt_hunde->post();
        QCOMPARE(f.wert("select name || '|' || rasse || '|' || chipnr from hunde where hundnr = 1").toString(),
                 QStringLiteral("Balou|Mischling|999"));
        KYN_VERIFY_DIALOGS(f.dialoge);
    }

private:
    static QString u_wert(Umgebung& u, const char* sql) { return u.wert(QString::fromUtf8(sql)).toString(); }
};

KYN_TEST(HundefensterTest)
#include "hundefenster_test.moc"
