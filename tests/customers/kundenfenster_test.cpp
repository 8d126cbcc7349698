// The customer window: its pages and controls, the search on Enter, the
// save check, the key handling of the bound controls, the sections of the
// questionnaire, the diary keys, the check boxes, e-mail, the breed list and
// the close handler.
#include <QAbstractButton>
#include <QCheckBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QScopeGuard>
#include <QToolButton>

#include "db/statement.h"
#include "customers/hundefelder.h"
#include "data/kundensuche.h"
#include "kundentest.h"
#include "platform/envoverride.h"
#include "platform/paths.h"
#include "testregistry.h"
#include "widgets/captionpanel.h"
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

const QString kHundMeldung = QStringLiteral(
    "Die Änderungen an den Hundedaten konnten nicht gesichert werden, da diese nicht vollständig oder nicht "
    "korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder korrigieren "
    "Sie bitte zunächst die Änderungen oder verwerfen Sie diese.");
const QString kKundeMeldung = QStringLiteral(
    "Die Änderungen an den Kundendaten konnten nicht gesichert werden, da diese nicht vollständig oder nicht "
    "korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder korrigieren "
    "Sie bitte zunächst die Änderungen oder verwerfen Sie diese.");

QList<int> kundennummern(Tdm& m) {
    QList<int> out;
    m.ibt_kunde->first();
    while (!m.ibt_kunde->eof()) {
        out << m.ibt_kunde->fieldByName("KNDNR")->asInteger();
        m.ibt_kunde->next();
    }
    return out;
}

// Every section of the questionnaire open, so that all controls can take
// the focus.
void alleAufklappen(Tfrm_kunden* w) {
    for (widgets::RolloutPanel* r : {w->JvRollout1, w->JvRollout3, w->JvRollout9, w->JvRollout8,
                                     w->jvro_verhaltenhund, w->JvRollout5, w->jvro_verhaltenleine,
                                     w->jvro_verhaltenfreilauf, w->jvro_verhaltenhaus, w->jvro_verhaltengrundstueck,
                                     w->jvro_verhaltenwild, w->jvro_verhaltensonst})
        r->expand();
}

QString textVon(QWidget* c) {
    if (auto* e = qobject_cast<QLineEdit*>(c)) return e->text();
    if (auto* cb = qobject_cast<QComboBox*>(c)) return cb->currentText();
    if (auto* m = qobject_cast<QPlainTextEdit*>(c)) return m->toPlainText();
    return QString();
}

QWidget* steuerelement(QWidget* w, const QString& name) {
    QWidget* c = w->findChild<QWidget*>(name);
    if (!c) qWarning("no control %s", qPrintable(name));
    return c;
}

void klickKopf(widgets::RolloutPanel* r) { QTest::mouseClick(r->header(), Qt::LeftButton); }

}  // namespace

class KundenfensterTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Umgebung> m_tasten;  // shared by the rows of keyHandling

private slots:
    void init() {
        if (qstrcmp(QTest::currentTestFunction(), "keyHandling") != 0) m_tasten.reset();
        if (!m_tasten) frm_kunden = nullptr;
    }
    void cleanupTestCase() { m_tasten.reset(); }

    // ---- the window as created ---------------------------------------------
    void pagesAndControls() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        QCOMPARE(w->windowTitle(), QStringLiteral("Kunden"));
        QCOMPARE(w->objectName(), QStringLiteral("frm_kunden"));
        // Outer pages; the record page is current at creation.
        QCOMPARE(w->pg_kunde->count(), 2);
        QCOMPARE(w->pg_kunde->tabText(0), QStringLiteral("Kundenübersicht"));
        QCOMPARE(w->pg_kunde->tabText(1), QStringLiteral("Kunde Detailansicht"));
        QCOMPARE(w->pg_kunde->currentWidget(), w->ts_kundedetail);
        QCOMPARE(w->gb_suchen->title(), QStringLiteral("Suchen nach..."));
        QCOMPARE(w->SpeedButton2->text(), QStringLiteral("C"));
        QVERIFY(w->SpeedButton2->font().bold());

        // The overview grid: twelve columns in order.
        const QStringList felder{"KNDNR", "NAME", "VNAME", "PLZ", "ORT", "STR", "ANREDE",
                                 "TEL", "MOBIL", "FAX", "EMAIL", "KOMMENTAR"};
        const QStringList titel{"Knd-Nr", "Name", "Vorname", "Plz", "Ort", "Strasse", "Anrede",
                                "Telefon", "Mobiltelefon", "Fax", "E-Mail", "Kommentar"};
        auto* model = w->dbg_kunde->datasetModel();
        QCOMPARE(model->columnCount(), 12);
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(w->dbg_kunde->columns().at(i).fieldName, felder[i]);
            QCOMPARE(model->headerData(i, Qt::Horizontal).toString(), titel[i]);
        }
        QVERIFY(w->dbg_kunde->columns().at(0).readOnly);
        QCOMPARE(w->dbg_kunde->columns().at(6).pickList, QStringList({"Frau", "Herr", "Familie"}));
        QCOMPARE(model->data(model->index(0, 0)).toString(), QStringLiteral("0001"));

        // Navigators: buttons and hints.
        QCOMPARE(w->DBNavigator1->visibleButtons(), DbNavigator::AllButtons);
        QVERIFY(!w->DBNavigator1->showHints());
        QCOMPARE(w->DBNavigator2->visibleButtons(), DbNavigator::EditButtons);
        QVERIFY(w->DBNavigator2->showHints());
        QCOMPARE(w->DBNavigator2->hint(DbNavigator::First), QStringLiteral("Erster Kunde"));
        QCOMPARE(w->DBNavigator2->hint(DbNavigator::Insert), QStringLiteral("Kunde einfügen"));
        QCOMPARE(w->DBNavigator2->hint(DbNavigator::Cancel), QStringLiteral("Bearbeiten abbrechen"));
        QCOMPARE(w->DBNavigator2->button(DbNavigator::Next)->toolTip(), QStringLiteral("Nächster Kunde"));
        QCOMPARE(w->DBNavigator3->visibleButtons(), DbNavigator::EditButtons);
        QCOMPARE(w->DBNavigator3->hint(DbNavigator::Insert), QStringLiteral("Neuen Hund einfügen"));
        QCOMPARE(w->DBNavigator3->hint(DbNavigator::Post), QStringLiteral("Daten speichern"));
        QCOMPARE(w->DBNavigator3->hint(DbNavigator::First), QStringLiteral("Zum ersten Hund"));

        // The record page: three caption panels and the bound controls.
        QCOMPARE(w->jcp_kunde->caption(), QStringLiteral("Kunde"));
        QCOMPARE(w->jcp_erreichbar->caption(), QStringLiteral("Erreichbar über"));
        QCOMPARE(w->jcp_kommentar->caption(), QStringLiteral("Kommentar"));
        QCOMPARE(w->DBEdit1->text(), QStringLiteral("0001"));
        QVERIFY(w->DBEdit1->isReadOnly());
        QCOMPARE(w->DBEdit12->text(), QStringLiteral("03.02.2023"));
        QCOMPARE(w->dbc_anrede->items(), QStringList({"Frau", "Herr", "Familie"}));
        QCOMPARE(w->dbc_anrede->currentText(), QStringLiteral("Frau"));
        QCOMPARE(w->bb_kndkarte_drucken->text(), QStringLiteral("Kundenkarte drucken"));
        QCOMPARE(w->bb_kndliste_drucken->text(), QStringLiteral("Kundenliste drucken"));
        QCOMPARE(w->SpeedButton1->toolTip(), QStringLiteral("Email an diese Adresse schreiben."));
        QCOMPARE(w->DBMemo1->toPlainText(), QStringLiteral("kommt mit zwei Hunden"));

        // The customer's pages; "Ausgehändigte Dokumente" has no tab.
        QCOMPARE(w->pg_kundendaten->count(), 4);
        QStringList tabs;
        for (int i = 0; i < 4; ++i) tabs << w->pg_kundendaten->tabText(i);
        QCOMPARE(tabs, QStringList({"Hunde", "Aktive Kurse", "Ausgehändigte Dokumente", "Offene Posten"}));
        QVERIFY(!w->pg_kundendaten->isTabVisible(2));
        QCOMPARE(w->pg_kundendaten->currentWidget(), w->ts_kundehunde);
        QCOMPARE(w->PageControl1->tabText(0), QStringLiteral("Anamnese Zusammenfassung"));
        QCOMPARE(w->PageControl1->tabText(1), QStringLiteral("Anamnesebogen"));
        QCOMPARE(w->PageControl1->tabText(2), QStringLiteral("Trainingsprotokoll"));
        QCOMPARE(w->PageControl1->currentWidget(), w->TabSheet3);
        QVERIFY(w->re_anamnese->isReadOnly());
        QCOMPARE(w->DBEdit14->text(), QStringLiteral("Balu"));
        QCOMPARE(w->DBComboBox2->items(), QStringList({"Hündin", "Rüde"}));

        // The diary and the course grid.
        QStringList tagebuch;
        for (const auto& c : w->dbg_tagebuch->columns()) tagebuch << c.fieldName;
        QCOMPARE(tagebuch,
                 QStringList({"DATUM", "TERMINART", "GEPLANT", "DURCHGEFUEHRT", "BEURTEILUNG", "VORAUSPLANUNG"}));
        QCOMPARE(w->dbg_tagebuch->datasetModel()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("Durchgeführt"));
        QCOMPARE(w->dbg_tagebuch->columns().at(1).pickList,
                 QStringList({"Einzelstunde", "Welpenkurs", "Junghundekurs", "Gruppenkurs"}));
        QVERIFY(w->DBGrid1->isReadOnly());
        QVERIFY(w->DBGrid1->rowSelect());
        QStringList kurse;
        for (int i = 0; i < 4; ++i) kurse << w->DBGrid1->datasetModel()->headerData(i, Qt::Horizontal).toString();
        QCOMPARE(kurse, QStringList({"Kurs-Nr.", "Kursname", "Kursart", "Bezahlt"}));
        QVERIFY(dm->ibq_aktive_kurse->isActive());
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    // "Aktive Kurse": one row per participation, following the customer.
    void activeCourses() {
        Umgebung u;
        beispieldaten(u);
        u.exec("insert into kurse (kursnr, kursart, kursname, status) values (7, \"Ju\", \"Junghunde Frühjahr\", \"A\")");
        u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (1, 7, 1, 1, \"B\")");
        u.exec("insert into teilnehmer (id, kursnr, kndnr, hundnr, bezahlt) values (2, 7, 1, 2, \"N\")");
        Tfrm_kunden* w = u.kundenfenster();
        auto* model = w->DBGrid1->datasetModel();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->data(model->index(0, 0)).toString(), QStringLiteral("0007"));
        QCOMPARE(model->data(model->index(0, 1)).toString(), QStringLiteral("Junghunde Frühjahr"));
        QCOMPARE(model->data(model->index(1, 3)).toString(), QStringLiteral("N"));
        dm->ibt_kunde->locate("KNDNR", 2);
        QCOMPARE(model->rowCount(), 0);
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    // The sections of the questionnaire: captions, heights, all closed.
    void sectionsAsCreated() {
        Umgebung u;
        Tfrm_kunden* w = u.kundenfenster();
        struct S {
            widgets::RolloutPanel* r;
            const char* caption;
            int offen;
        };
        const S sections[] = {
            {w->JvRollout1, "Herkunft und Pflege", 105},
            {w->JvRollout3, "Tierarzt, Krankheiten, Imfpung", 156},
            {w->JvRollout9, "Futteraufnahme", 67},
            {w->JvRollout8, "bisherige Hundeerziehung", 194},
            {w->jvro_verhaltenhund, "Verhalten des Hundes", 159},
            {w->JvRollout5, "Kommentare, letzter Stand, Therapievorschlag", 217},
            {w->jvro_verhaltenleine, "Verhalten an der Leine gegenüber...", 108},
            {w->jvro_verhaltenfreilauf, "Verhalten im Freilauf gegenüber...", 104},
            {w->jvro_verhaltenhaus, "Verhalten im Haus gegenüber...", 106},
            {w->jvro_verhaltengrundstueck, "Verhalten auf dem Grundstück gegenüber...", 104},
            {w->jvro_verhaltenwild, "Verhalten bei Wild...", 65},
            {w->jvro_verhaltensonst, "Sonstiges Verhalten...", 154},
        };
        for (const S& s : sections) {
            QCOMPARE(s.r->caption(), QString::fromUtf8(s.caption));
            QVERIFY2(s.r->isCollapsed(), s.caption);
            QCOMPARE(s.r->height(), 21);
            QCOMPARE(s.r->expandedHeight(), s.offen);
        }
        // Top-level sections one below the other.
        QVERIFY(w->JvRollout3->y() >= w->JvRollout1->y() + 21);
        klickKopf(w->JvRollout1);
        QCOMPARE(w->JvRollout1->height(), 105);
        QTRY_VERIFY(w->JvRollout3->y() >= w->JvRollout1->y() + 105);
        // Section 5b's third heading has no colon; the others have one.
        QVERIFY(w->jvro_verhaltenfreilauf->findChild<QLabel*>(QString(), Qt::FindChildrenRecursively));
        QStringList koepfe;
        for (QLabel* l : w->jvro_verhaltenfreilauf->findChildren<QLabel*>()) koepfe << l->text();
        QVERIFY(koepfe.contains("Katze/Kleintier"));
        koepfe.clear();
        for (QLabel* l : w->jvro_verhaltenleine->findChildren<QLabel*>()) koepfe << l->text();
        QVERIFY(koepfe.contains("Katze/Kleintier:"));
    }

    // Section 5 grows by the full open height of an inner section and shrinks
    // by the height remembered for it.
    void behaviourSectionHeights_data() {
        QTest::addColumn<QStringList>("klicks");
        QTest::addColumn<int>("hoehe");
        QTest::addColumn<bool>("offen");
        QTest::newRow("opened") << QStringList{"5"} << 159 << true;
        QTest::newRow("5a open") << QStringList{"5", "5a"} << 159 + 108 << true;
        QTest::newRow("5a, 5f open, 5a closed") << QStringList{"5", "5a", "5f", "5a"} << 159 + 154 << true;
        QTest::newRow("5a open and closed twice") << QStringList{"5", "5a", "5a", "5a", "5a"} << 159 << true;
        QTest::newRow("all six open") << QStringList{"5", "5a", "5b", "5c", "5d", "5e", "5f"}
                                      << 159 + 108 + 104 + 106 + 104 + 65 + 154 << true;
        QTest::newRow("5 closed with 5a open") << QStringList{"5", "5a", "5"} << 21 << false;
        QTest::newRow("5 reopened keeps its height") << QStringList{"5", "5a", "5", "5"} << 159 + 108 << true;
    }
    void behaviourSectionHeights() {
        QFETCH(QStringList, klicks);
        QFETCH(int, hoehe);
        QFETCH(bool, offen);
        Umgebung u;
        Tfrm_kunden* w = u.kundenfenster();
        QMap<QString, widgets::RolloutPanel*> p{{"5", w->jvro_verhaltenhund},      {"5a", w->jvro_verhaltenleine},
                                                {"5b", w->jvro_verhaltenfreilauf}, {"5c", w->jvro_verhaltenhaus},
                                                {"5d", w->jvro_verhaltengrundstueck}, {"5e", w->jvro_verhaltenwild},
                                                {"5f", w->jvro_verhaltensonst}};
        for (const QString& k : klicks) klickKopf(p[k]);
        QCOMPARE(w->jvro_verhaltenhund->height(), hoehe);
        QCOMPARE(w->jvro_verhaltenhund->isExpanded(), offen);
        if (klicks.size() >= 3 && klicks.last() == "5" && offen) QVERIFY(w->jvro_verhaltenleine->isExpanded());
    }

    void rememberedHeights() {
        Umgebung u;
        Tfrm_kunden* w = u.kundenfenster();
        QCOMPARE(w->verhaltenHoehen, (std::array<int, 6>{}));
        klickKopf(w->jvro_verhaltenhund);
        klickKopf(w->jvro_verhaltensonst);
        QCOMPARE(w->verhaltenHoehen[5], 154);
        // A height given to 5f while it is open becomes its open height and
        // is what 5 grows by next time.
        w->jvro_verhaltensonst->setPanelHeight(170);
        klickKopf(w->jvro_verhaltensonst);
        QCOMPARE(w->jvro_verhaltenhund->height(), 159);
        klickKopf(w->jvro_verhaltensonst);
        QCOMPARE(w->verhaltenHoehen[5], 170);
        QCOMPARE(w->jvro_verhaltenhund->height(), 159 + 170);
    }

    // ---- search ---------------------------------------------------------------
    void searchOnEnter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("gefunden");
        QTest::newRow("o'brien") << "o'brien" << QList<int>{3};
        QTest::newRow("number 2") << "2" << QList<int>{1, 2, 3};
        QTest::newRow("husum") << "husum" << QList<int>{2};
        QTest::newRow("HV: no such customer text") << "HV-4711" << QList<int>{};
        QTest::newRow("injection") << "x' or '1'='1" << QList<int>{};
    }
    void searchOnEnter() {
        QFETCH(QString, text);
        QFETCH(QList<int>, gefunden);
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        w->pg_kunde->setCurrentWidget(w->ts_kundenuebersicht);
        w->suchtext_kunde->setFocus();
        QTest::keyClicks(w->suchtext_kunde, text);
        // Typing alone changes nothing.
        QVERIFY(!dm->ibt_kunde->filtered());
        QCOMPARE(w->dbg_kunde->datasetModel()->rowCount(), 3);
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Return);
        QCOMPARE(w->suchtext_kunde->text(), text);  // Enter inserts nothing
        QVERIFY(dm->ibt_kunde->filtered());
        QCOMPARE(dm->ibt_kunde->filter(), kundensuche_bedingung(text));
        QVERIFY(dm->ibt_kunde->isActive());
        QCOMPARE(w->dbg_kunde->datasetModel()->rowCount(), gefunden.size());
        QCOMPARE(kundennummern(*u.modul), gefunden);
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    void searchClearAndRepeat() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        w->suchtext_kunde->setText("kiel");
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Enter);
        QCOMPARE(kundennummern(*u.modul), QList<int>{1});
        const int gelesen = dm->ibt_kunde->selectCount();
        // The same search again reads nothing.
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Return);
        QCOMPARE(dm->ibt_kunde->selectCount(), gelesen);
        // Empty text and Enter: all customers.
        w->suchtext_kunde->clear();
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Return);
        QVERIFY(!dm->ibt_kunde->filtered());
        QCOMPARE(dm->ibt_kunde->filter(), QString());
        QCOMPARE(kundennummern(*u.modul), (QList<int>{1, 2, 3}));
        // "C" empties the box and removes the filter.
        w->suchtext_kunde->setText("husum");
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Return);
        QCOMPARE(kundennummern(*u.modul), QList<int>{2});
        QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);
        QCOMPARE(w->suchtext_kunde->text(), QString());
        QVERIFY(!dm->ibt_kunde->filtered());
        QCOMPARE(dm->ibt_kunde->filter(), QString());
        QCOMPARE(kundennummern(*u.modul), (QList<int>{1, 2, 3}));
        // The customer who was current stays current when still found.
        dm->ibt_kunde->locate("KNDNR", 2);
        w->suchtext_kunde->setText("r");
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Return);
        QCOMPARE(dm->ibt_kunde->fieldByName("KNDNR")->asInteger(), 2);
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    // A pending customer edit that cannot be saved: the error is shown and
    // the search waits; the next Enter after the correction searches.
    void searchWithUnsavableEdit() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        dm->ibt_kunde->append();
        dm->ibt_kunde->fieldByName("KNDNR")->clear();  // no number: cannot be saved
        u.dialoge.expectError();
        w->suchtext_kunde->setText("husum");
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Return);
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(!dm->ibt_kunde->filtered());
        QVERIFY(dm->ibt_kunde->isEditing());
        dm->ibt_kunde->cancel();
        QTest::keyClick(w->suchtext_kunde, Qt::Key_Return);
        QCOMPARE(kundennummern(*u.modul), QList<int>{2});
    }

    // ---- save check ---------------------------------------------------------
    // The customer saved meanwhile on another workstation: the save check
    // shows why it failed, the row is read again with the user's change
    // still in it, and the next save check saves that change; a column only
    // the other workstation changed keeps its value.
    void saveCheckAfterAChangeElsewhere() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        dm->ibt->commitRetaining();  // the other workstation sees the rows
        QVERIFY(dm->ibt_kunde->locate("KNDNR", 1));
        dm->ibt_kunde->edit();
        dm->ibt_kunde->fieldByName("ORT")->setAsString("Laboe");
        {
            auto andere = u.env.connect();
            db::Statement s(andere.get(), andere->defaultTransaction());
            s.prepare("update kunden set ort = 'Preetz', tel = '04342/1234' where kndnr = 1");
            s.execute();
            s.close();
            andere->defaultTransaction()->commit();
        }
        u.dialoge.expectMessage();
        QVERIFY(!w->check_sichern());
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY2(u.dialoge.lastText().startsWith(
                     "Der Datensatz wurde inzwischen an einem anderen Arbeitsplatz geändert und gespeichert"),
                 qPrintable(u.dialoge.lastText()));
        QCOMPARE(u.wert("select ort from kunden where kndnr = 1").toString(), QStringLiteral("Preetz"));
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Edit);
        QCOMPARE(dm->ibt_kunde->fieldByName("ORT")->asString(), QStringLiteral("Laboe"));
        QCOMPARE(dm->ibt_kunde->fieldByName("TEL")->asString(), QStringLiteral("04342/1234"));
        QVERIFY(w->check_sichern());
        KYN_VERIFY_DIALOGS(u.dialoge);
        QCOMPARE(u.wert("select ort || ' ' || tel from kunden where kndnr = 1").toString(),
                 QStringLiteral("Laboe 04342/1234"));
    }

    void saveCheck_data() {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<bool>("ergebnis");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("nothing pending") << "nichts" << true << "";
        QTest::newRow("customer changed: posted") << "kunde" << true << "";
        QTest::newRow("customer unchanged: cancelled") << "kunde_unveraendert" << true << "";
        QTest::newRow("dog and customer changed: both posted") << "beide" << true << "";
        QTest::newRow("dog cannot be saved: customer untouched") << "hund_fehler" << false << kHundMeldung;
        QTest::newRow("customer cannot be saved") << "kunde_fehler" << false << kKundeMeldung;
        QTest::newRow("date typed wrong") << "datum" << false << kKundeMeldung;
    }
    void saveCheck() {
        QFETCH(QString, fall);
        QFETCH(bool, ergebnis);
        QFETCH(QString, meldung);
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        db::Table* k = dm->ibt_kunde;
        db::Table* h = dm->ibt_kunde_hunde;
        if (fall == "kunde" || fall == "beide" || fall == "hund_fehler") {
            k->edit();
            k->fieldByName("ORT")->setAsString("Kiel-Holtenau");
        }
        if (fall == "kunde_unveraendert") k->edit();
        if (fall == "beide") {
            h->edit();
            h->fieldByName("NAME")->setAsString("Balou");
        }
        if (fall == "hund_fehler") {
            h->edit();
            h->fieldByName("HUNDNR")->setAsInteger(3);  // Rocky's number
        }
        if (fall == "kunde_fehler") {
            k->append();
            k->fieldByName("KNDNR")->clear();  // no number: cannot be saved
            k->fieldByName("NAME")->setAsString("Doppelt");
        }
        if (fall == "datum") {
            w->DBEdit12->setFocus();
            w->DBEdit12->selectAll();
            QTest::keyClicks(w->DBEdit12, "gestern");
        }
        if (!meldung.isEmpty()) u.dialoge.expectMessage(meldung);
        QCOMPARE(w->check_sichern(), ergebnis);
        KYN_VERIFY_DIALOGS(u.dialoge);
        if (fall == "kunde" || fall == "beide")
            QCOMPARE(u.wert("select ort from kunden where kndnr=1").toString(), QStringLiteral("Kiel-Holtenau"));
        if (fall == "beide") QCOMPARE(u.wert("select name from hunde where hundnr=1").toString(), QStringLiteral("Balou"));
        if (ergebnis) {
            QCOMPARE(k->state(), db::DatasetState::Browse);
            QCOMPARE(h->state(), db::DatasetState::Browse);
        }
        if (fall == "hund_fehler") {
            // Dogs first: the customer's change is still pending, unsaved.
            QCOMPARE(h->state(), db::DatasetState::Edit);
            QCOMPARE(k->state(), db::DatasetState::Edit);
            QCOMPARE(u.wert("select ort from kunden where kndnr=1").toString(), QStringLiteral("Kiel"));
        }
        if (fall == "kunde_fehler") QCOMPARE(k->state(), db::DatasetState::Insert);
        if (fall == "datum") QCOMPARE(w->DBEdit12->text(), QStringLiteral("gestern"));
    }

    // ---- key handling -------------------------------------------------------
    void keyHandling_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enterWeiter");
        QTest::addColumn<bool>("kommaPunkt");
        // Customer record.
        for (const char* n : {"dbc_anrede", "DBEdit2", "DBEdit3", "DBEdit4", "DBEdit5", "DBEdit6", "DBEdit11",
                              "DBEdit10", "DBEdit9", "dbe_email"})
            QTest::newRow(n) << n << true << true;
        QTest::newRow("DBEdit12 aufgenommen am") << "DBEdit12" << true << true;
        QTest::newRow("DBMemo1 comment") << "DBMemo1" << false << false;
        // Dogs page.
        for (const char* n : {"DBEdit14", "dbcb_rasse", "DBComboBox2", "DBEdit16", "DBEdit62", "DBEdit27",
                              "dbe_chipnr", "dbc_herkunft", "dbe_impfung_text", "dbe_welpenschule_bei",
                              "dbc_verhalten_leine_ruede", "dbe_jagd_besonderheiten", "dbc_verhalten_imhaus",
                              "dbm_kommentar", "dbm_therapievorschlag"})
            QTest::newRow(n) << n << true << true;
        // The exceptions.
        for (const char* n : {"DBEdit49", "DBEdit50", "DBComboBox30", "DBComboBox33"})
            QTest::newRow(n) << n << true << true;
        // The memos keep Enter for their lines.
        for (const char* n : {"DBMemo2", "DBMemo5", "DBMemo7"}) QTest::newRow(n) << n << false << false;
    }
    void keyHandling() {
        QFETCH(QString, name);
        QFETCH(bool, enterWeiter);
        QFETCH(bool, kommaPunkt);
        // One window for all rows; each row starts without pending edits.
        if (!m_tasten) {
            m_tasten = std::make_unique<Umgebung>();
            beispieldaten(*m_tasten);
            alleAufklappen(m_tasten->kundenfenster());
        }
        Tfrm_kunden* w = m_tasten->kunden.get();
        QWidget* c = steuerelement(w, name);
        QVERIFY(c);
        auto aufraeumen = qScopeGuard([w] {
            w->setFocus();
            dm->ibt_kunde_hunde->cancel();
            dm->ibt_kunde->cancel();
        });
        // Comma: typed into the emptied control.
        c->setFocus();
        QVERIFY(hatFokus(c));
        QWidget* ziel = QApplication::focusWidget();
        QTest::keyClick(ziel, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(ziel, Qt::Key_Delete);
        QTest::keyClicks(ziel, "12,03,2023");
        if (auto* cb = qobject_cast<QComboBox*>(c); cb && cb->completer() && cb->completer()->popup())
            cb->completer()->popup()->hide();
        QCOMPARE(textVon(c), kommaPunkt ? QStringLiteral("12.03.2023") : QStringLiteral("12,03,2023"));
        // Enter: on to the next control, or stay (a memo starts a new line).
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(hatFokus(c), !enterWeiter);
        if (qobject_cast<QPlainTextEdit*>(c))
            QCOMPARE(textVon(c).contains('\n'), !enterWeiter);
        else
            QVERIFY(!textVon(c).contains('\r'));
    }

    void keyHandlingCheckBoxes() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        alleAufklappen(w);
        // An ordinary check box moves on with Enter, "Verteidigt Futter" not.
        auto* impfung = steuerelement(w, "dbchk_impfung");
        impfung->setFocus();
        QTest::keyClick(impfung, Qt::Key_Return);
        QVERIFY(!hatFokus(impfung));
        auto* futter = steuerelement(w, "DBCheckBox1");
        futter->setFocus();
        QTest::keyClick(futter, Qt::Key_Return);
        QVERIFY(hatFokus(futter));
    }

    // Enter walks the customer record as a typist fills it in: every field
    // takes what was typed for it ("aufgenommen am" included), and "Ort"
    // leads on to the telephone, not to a print button.
    void enterWalksTheRecord() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        struct Feld {
            widgets::DbEdit* edit;
            const char* spalte;
            QString tippen;
            QVariant gespeichert;
        };
        const QList<Feld> felder{{w->DBEdit2, "vname", "Erika", "Erika"},
                                 {w->DBEdit3, "name", "Musterfrau", "Musterfrau"},
                                 {w->DBEdit12, "aufgenommen_am", "12,03,2005", QDate(2005, 3, 12)},
                                 {w->DBEdit4, "str", "Lindenweg 4", "Lindenweg 4"},
                                 {w->DBEdit5, "plz", "24103", "24103"},
                                 {w->DBEdit6, "ort", "Kiel", "Kiel"},
                                 {w->DBEdit11, "tel", "0431 1234", "0431 1234"},
                                 {w->DBEdit10, "mobil", "0170 5555", "0170 5555"},
                                 {w->DBEdit9, "fax", "0431 9999", "0431 9999"},
                                 {w->dbe_email, "email", "erika@example.de", "erika@example.de"}};
        w->dbc_anrede->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        for (const Feld& f : felder) {
            QVERIFY2(hatFokus(f.edit), f.spalte);
            f.edit->selectAll();
            QTest::keyClicks(f.edit, f.tippen);
            QTest::keyClick(f.edit, Qt::Key_Return);
        }
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->DBMemo1));
        QVERIFY(w->check_sichern());
        for (const Feld& f : felder) {
            const QVariant v = u.wert(QStringLiteral("select %1 from kunden where kndnr=1").arg(f.spalte));
            if (f.gespeichert.typeId() == QMetaType::QDate) QCOMPARE(v.toDateTime().date(), f.gespeichert.toDate());
            else QCOMPARE(v.toString(), f.gespeichert.toString());
        }
        // Tab after the comment reaches the buttons.
        QTest::keyClick(w->DBMemo1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->bb_kndkarte_drucken));
        // A street typed with the comma key.
        w->DBEdit4->setFocus();
        w->DBEdit4->end(false);
        QTest::keyClicks(w->DBEdit4, ", Hinterhaus");
        QVERIFY(w->check_sichern());
        QCOMPARE(u.wert("select str from kunden where kndnr=1").toString(), QStringLiteral("Lindenweg 4. Hinterhaus"));
    }

    // ---- diary ------------------------------------------------------------------
    void diaryDateKeys_data() {
        QTest::addColumn<QString>("spalte");
        QTest::addColumn<QString>("tasten");
        QTest::addColumn<QDate>("datum");
        QTest::addColumn<QString>("geplant");
        QTest::newRow("+ three times") << "DATUM" << "+++" << QDate(2023, 3, 13) << "Leinenführigkeit";
        QTest::newRow("- once") << "DATUM" << "-" << QDate(2023, 3, 9) << "Leinenführigkeit";
        QTest::newRow("across a month") << "DATUM" << "------------" << QDate(2023, 2, 26) << "Leinenführigkeit";
        QTest::newRow("+ in Geplant is text") << "GEPLANT" << "+" << QDate(2023, 3, 10) << "+";
    }
    void diaryDateKeys() {
        QFETCH(QString, spalte);
        QFETCH(QString, tasten);
        QFETCH(QDate, datum);
        QFETCH(QString, geplant);
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        w->PageControl1->setCurrentWidget(w->TabSheet1);
        widgets::DbGrid* g = w->dbg_tagebuch;
        g->setFocus();
        dm->ibt_hundetagebuch->first();
        g->setSelectedIndex(spalte == "DATUM" ? 0 : 2);
        QCOMPARE(g->selectedFieldName(), spalte);
        for (QChar c : tasten) QTest::keyClicks(QApplication::focusWidget(), QString(c));
        if (g->cellEditor()) g->commitEditor();
        dm->ibt_hundetagebuch->post();
        QCOMPARE(u.wert("select datum from hunde_tagebuch where hundnr=1 and terminart=\"Einzelstunde\"")
                     .toDateTime()
                     .date(),
                 datum);
        QCOMPARE(u.wert("select geplant from hunde_tagebuch where hundnr=1 and terminart=\"Einzelstunde\"").toString(),
                 geplant);
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    void diaryCommaInDate() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        w->PageControl1->setCurrentWidget(w->TabSheet1);
        widgets::DbGrid* g = w->dbg_tagebuch;
        g->setFocus();
        dm->ibt_hundetagebuch->first();
        g->setSelectedIndex(0);
        for (QChar ch : QStringLiteral("01,04,2023")) QTest::keyClicks(QApplication::focusWidget(), QString(ch));
        QVERIFY(g->cellEditor());
        QCOMPARE(textVon(g->cellEditor()), QStringLiteral("01.04.2023"));
        g->commitEditor();
        dm->ibt_hundetagebuch->post();
        QCOMPARE(u.wert("select count(*) from hunde_tagebuch where datum = \"01.04.2023\"").toInt(), 1);
        // A new entry gets today's date; "+" moves it to tomorrow.
        dm->ibt_hundetagebuch->append();
        g->setSelectedIndex(0);
        QTest::keyClicks(g, "+");
        dm->ibt_hundetagebuch->post();
        QCOMPARE(u.wert("select max(datum) from hunde_tagebuch").toDateTime().date(), QDate::currentDate().addDays(1));
    }

    // The diary shows how an entry is added: "+" in the strip above it, with
    // a hint; the entry gets today's date and belongs to the dog shown. The
    // dogs page's help page says so too.
    void diaryNavigatorAddsEntries() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        w->pg_kunde->setCurrentWidget(w->ts_kundedetail);
        w->pg_kundendaten->setCurrentWidget(w->ts_kundehunde);
        w->PageControl1->setCurrentWidget(w->TabSheet1);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        widgets::DbNavigator* n = w->DBNavigator4;
        QVERIFY(n && n->isVisible());
        QVERIFY(w->lb_tagebuchhinweis->isVisible());
        QVERIFY(w->lb_tagebuchhinweis->text().contains("auf + klicken"));
        // Beside the grid, above it, and not covering it.
        QVERIFY(n->mapTo(w, QPoint(0, n->height())).y() <= w->dbg_tagebuch->mapTo(w, QPoint(0, 0)).y());
        QToolButton* plus = n->button(widgets::DbNavigator::Insert);
        QVERIFY(plus->isVisible() && plus->isEnabled());
        QCOMPARE(plus->toolTip(), QString("Neuer Eintrag im Trainingsprotokoll"));
        for (auto b : {widgets::DbNavigator::First, widgets::DbNavigator::Next, widgets::DbNavigator::Edit,
                       widgets::DbNavigator::Refresh})
            QVERIFY(!n->button(b)->isVisible());
        const int vorher = u.wert("select count(*) from hunde_tagebuch where hundnr = 1").toInt();
        QTest::mouseClick(plus, Qt::LeftButton);
        QVERIFY(dm->ibt_hundetagebuch->state() == db::DatasetState::Insert);
        dm->ibt_hundetagebuch->fieldByName("GEPLANT")->setAsString("Neu über Plus");
        QTest::mouseClick(n->button(widgets::DbNavigator::Post), Qt::LeftButton);
        QCOMPARE(u.wert("select count(*) from hunde_tagebuch where hundnr = 1").toInt(), vorher + 1);
        QCOMPARE(u.wert("select datum from hunde_tagebuch where geplant = 'Neu über Plus'").toDateTime().date(),
                 QDate::currentDate());
        QCOMPARE(w->dbg_tagebuch->datasetModel()->rowCount(), vorher + 1);
        // The help page of the dogs page.
        QFile hilfe(sourceDir() + "/resources/help/kundenbearbeiten.htm");
        QVERIFY(hilfe.open(QIODevice::ReadOnly));
        const QString seite = QString::fromUtf8(hilfe.readAll());
        QVERIFY(seite.contains("Einen neuen Eintrag legen Sie mit"));
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    // ---- check boxes ---------------------------------------------------------------
    void checkBoxValues_data() {
        QTest::addColumn<QString>("spalte");
        QTest::addColumn<QVariant>("gespeichert");
        QTest::addColumn<int>("zustand");
        QTest::addColumn<QString>("nachKlick");
        const QVariant null;
        QTest::newRow("J ticked") << "JAGD_BEI_SICHT" << QVariant("J") << int(Qt::Checked) << "N";
        QTest::newRow("N not ticked") << "IMPFUNG" << QVariant("N") << int(Qt::Unchecked) << "J";
        QTest::newRow("lower n not ticked") << "CLICKER" << QVariant("n") << int(Qt::Unchecked) << "J";
        QTest::newRow("lower j ticked") << "VEREIN" << QVariant("j") << int(Qt::Checked) << "N";
        QTest::newRow("empty greyed, click ticks") << "ABRUFBAR" << null << int(Qt::PartiallyChecked) << "J";
        QTest::newRow("other value greyed") << "ALLERGIEN" << QVariant("X") << int(Qt::PartiallyChecked) << "J";
        QTest::newRow("Pruefung wide column") << "PRUEFUNG" << QVariant("J") << int(Qt::Checked) << "N";
        QTest::newRow("Anspringen Fremde N") << "ANSPRINGEN_FREMDE" << QVariant("N") << int(Qt::Unchecked) << "J";
        QTest::newRow("Anspringen Fremde untick stores n")
            << "ANSPRINGEN_FREMDE" << QVariant("J") << int(Qt::Checked) << "n";
        QTest::newRow("Verteidigt Futter") << "FUTTERVERTEIDIGEN" << QVariant("J") << int(Qt::Checked) << "N";
    }
    void checkBoxValues() {
        QFETCH(QString, spalte);
        QFETCH(QVariant, gespeichert);
        QFETCH(int, zustand);
        QFETCH(QString, nachKlick);
        Umgebung u;
        beispieldaten(u);
        {
            db::Statement s(u.modul->idb.get(), u.modul->ibt);
            s.prepare(QStringLiteral("update hunde set %1 = ? where hundnr = 1").arg(spalte));
            s.setParam(0, gespeichert);
            s.execute();
        }
        Tfrm_kunden* w = u.kundenfenster();
        alleAufklappen(w);
        widgets::DbCheckBox* box = nullptr;
        for (auto* b : w->findChildren<widgets::DbCheckBox*>())
            if (b->dataField() == spalte) box = b;
        QVERIFY(box);
        QCOMPARE(int(box->checkState()), zustand);
        // A click on the box itself (the indicator at the left end).
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(7, box->height() / 2));
        QVERIFY(w->check_sichern());
        QCOMPARE(u.wert(QStringLiteral("select %1 from hunde where hundnr=1").arg(spalte)).toString(), nachKlick);
    }

    void newDogShowsBoxesGreyed() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        alleAufklappen(w);
        w->DBNavigator3->btnClick(DbNavigator::Insert);
        QCOMPARE(dm->ibt_kunde_hunde->state(), db::DatasetState::Insert);
        QCOMPARE(dm->ibt_kunde_hunde->fieldByName("HUNDNR")->asInteger(), 4);
        const auto boxes = w->findChildren<widgets::DbCheckBox*>();
        QCOMPARE(boxes.size(), 17);
        for (auto* b : boxes) QCOMPARE(b->checkState(), Qt::PartiallyChecked);
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    // ---- breed list ----------------------------------------------------------------
    void breedListSortedWithEmptyLine() {
        Umgebung u(false);
        QFile f("rassen.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Pudel\r\nafghanischer Windhund\r\n\r\n\xd6sterreichischer Pinscher\r\nBeagle\nCollie\rZwergspitz");
        f.close();
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        QCOMPARE(w->dbcb_rasse->items(),
                 QStringList({"", "afghanischer Windhund", "Beagle", "Collie", QString::fromUtf8("Österreichischer Pinscher"),
                              "Pudel", "Zwergspitz"}));
        // A breed typed by hand is saved unchanged.
        w->dbcb_rasse->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "Hovawart-Mix");
        QVERIFY2(w->check_sichern(), qPrintable(u.dialoge.report()));
        QCOMPARE(u.wert("select rasse from hunde where hundnr = (select min(hundnr) from hunde)").toString(),
                 QStringLiteral("Hovawart-Mix"));
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    // The breed list is looked for in the current directory, then in the
    // data directory, then in the folders shipped with the program.
    void breedListPlaces_data() {
        QTest::addColumn<QStringList>("present");  // of "ordner", "daten", "mitgeliefert"
        QTest::addColumn<QString>("used");         // empty: none can be read
        QTest::newRow("current directory first") << QStringList{"ordner", "daten", "mitgeliefert"} << "ordner";
        QTest::newRow("data directory next") << QStringList{"daten", "mitgeliefert"} << "daten";
        QTest::newRow("shipped list last") << QStringList{"mitgeliefert"} << "mitgeliefert";
        QTest::newRow("nowhere") << QStringList{} << "";
    }
    void breedListPlaces() {
        QFETCH(QStringList, present);
        QFETCH(QString, used);
        QTemporaryDir root;
        const QString r = root.path();
        for (const char* d : {"ordner", "daten", "mitgeliefert"}) QVERIFY(QDir(r).mkpath(d));
        for (const QString& d : present) {
            QFile f(r + "/" + d + "/rassen.txt");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(("Rasse aus " + d).toLatin1());
        }
        EnvOverride home("KYNOVIA_HOME", (r + "/daten").toLocal8Bit());
        platform::ScopedSharedDataDirectories shared({r + "/mitgeliefert"});
        const QString alterOrdner = QDir::currentPath();
        QDir::setCurrent(r + "/ordner");
        auto zurueck = qScopeGuard([&] { QDir::setCurrent(alterOrdner); });
        platform::ScopedScriptedDialogs d;
        if (used.isEmpty()) d.expectError(QStringLiteral("Datei rassen.txt kann nicht geöffnet werden"));
        const QStringList rassen = hundefelder::rassen_fuer_fenster(false);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(rassen, used.isEmpty() ? QStringList() : QStringList{"Rasse aus " + used});
    }

    void breedListMissing() {
        Umgebung u(false);
        beispieldaten(u);
        u.dialoge.expectError(QStringLiteral("Datei rassen.txt kann nicht geöffnet werden"));
        Tfrm_kunden* w = u.kundenfenster();
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(w->isVisible());
        QVERIFY(w->dbcb_rasse->items().isEmpty());
        QCOMPARE(w->dbcb_rasse->currentText(), QStringLiteral("Labrador Retriever"));
    }

    void breedFileFormat() {
        using hundefelder::rassen_zeilen;
        QCOMPARE(rassen_zeilen("A\r\nB\r\n"), QStringList({"A", "B"}));
        QCOMPARE(rassen_zeilen("A\nB"), QStringList({"A", "B"}));
        QCOMPARE(rassen_zeilen("A\rB\r"), QStringList({"A", "B"}));
        QCOMPARE(rassen_zeilen("A\r\n\r\nB"), QStringList({"A", "", "B"}));
        QCOMPARE(rassen_zeilen(" Mops \r\n"), QStringList({" Mops "}));
        QCOMPARE(rassen_zeilen(""), QStringList());
        QCOMPARE(rassen_zeilen("M\xfcnsterl\xe4nder\r\nBichon \x80"), QStringList({"Münsterländer", "Bichon €"}));
        // The project's own list: Windows text with CR LF, no empty entry.
        QStringList liste;
        QVERIFY(hundefelder::rassen_laden(&liste, sourceDir() + "/resources/rassen.txt"));
        QVERIFY(liste.size() > 50);
        QVERIFY(!liste.contains(QString()));
        QVERIFY(liste.contains("Affenpinscher"));
    }

    // ---- e-mail, print buttons ----------------------------------------------------
    void emailButton() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
        QCOMPARE(u.shell.calls().last(), (platform::ShellCall{"url", "mailto:sabine.mueller@example.de"}));
        // As shown, saved or not.
        w->dbe_email->setFocus();
        w->dbe_email->selectAll();
        QTest::keyClicks(w->dbe_email, "s.m@example.org");
        QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
        QCOMPARE(u.shell.lastPath(), QStringLiteral("mailto:s.m@example.org"));
        // An imported address that would add a recipient, a header or an
        // attachment reaches the mail program as one encoded address.
        const QList<std::pair<QString, QString>> feindlich{
            {"a@b.de?bcc=x@y.de", "mailto:a@b.de%3Fbcc=x@y.de"},
            {"?attach=/etc/passwd", "mailto:%3Fattach=%2Fetc%2Fpasswd"},
            {"a@b.de,c@d.de&body=x", "mailto:a@b.de%2Cc@d.de%26body=x"},
            {" a b@c.de#x ", "mailto:a%20b@c.de%23x"}};
        for (const auto& [adresse, url] : feindlich) {
            dm->ibt_kunde->fieldByName("EMAIL")->setAsString(adresse);
            QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
            QCOMPARE(u.shell.lastPath(), url);
        }
        dm->ibt_kunde->cancel();
        dm->ibt_kunde->locate("KNDNR", 2);
        QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
        QCOMPARE(u.shell.lastPath(), QStringLiteral("mailto:"));
        KYN_VERIFY_DIALOGS(u.dialoge);
    }

    // ---- close --------------------------------------------------------------------
    void closeFinishesEdits() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        dm->ibt_kunde->edit();
        dm->ibt_kunde->fieldByName("TEL")->setAsString("0431/1");
        dm->ibt_hundetagebuch->edit();
        dm->ibt_hundetagebuch->fieldByName("BEURTEILUNG")->setAsString("prima");
        QVERIFY(w->close());
        QCOMPARE(u.wert("select tel from kunden where kndnr=1").toString(), QStringLiteral("0431/1"));
        QCOMPARE(u.wert("select count(*) from hunde_tagebuch where beurteilung=\"prima\"").toInt(), 1);
        QVERIFY(dm->ibt_kunde->isActive());
    }

    void closeRefusedWhileEditCannotBeSaved() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        w->DBEdit12->setFocus();
        w->DBEdit12->selectAll();
        QTest::keyClicks(w->DBEdit12, "32.13.2023");
        u.dialoge.expectError();
        QVERIFY(!w->close());
        KYN_VERIFY_DIALOGS(u.dialoge);
        QVERIFY(w->isVisible());
        QVERIFY(dm->ibt_kunde->isEditing());
        QCOMPARE(w->DBEdit12->text(), QStringLiteral("32.13.2023"));
    }

    // The window shows the data module's summary while it exists; the module
    // builds it as styled pieces and holds no control.
    void summaryHook() {
        Umgebung u;
        beispieldaten(u);
        Tfrm_kunden* w = u.kundenfenster();
        QVERIFY(w->re_anamnese->toPlainText().contains("Balu"));
        QString stuecke;
        for (const Textstueck& t : dm->anamnesebogen_zusammenfassung()) stuecke += t.text;
        QCOMPARE(w->re_anamnese->toPlainText(), stuecke);
        u.kunden.reset();
        dm->ibt_kunde_hunde->next();  // no window: nothing happens
    }
};

KYN_TEST(KundenfensterTest)
#include "kundenfenster_test.moc"
