// The trainer window: list and detail panel bound to the trainer table, the
// save check before a new trainer, the close handler and the e-mail button.
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>

#include "common/testregistry.h"
#include "platform/scripteddialogs.h"
#include "platform/shell.h"
#include "staff_docs/trainer.h"
#include "staffdocstest.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"

using staffdocstest::Fixture;

namespace {

void addTrainer(Fixture& f, int nr, const QString& vname, const QString& name) {
    f.exec(QStringLiteral("insert into trainer (trainernr, vname, name, kurzzeichen, ort) values "
                          "(%1, \"%2\", \"%3\", \"%4\", \"Bremen\")")
               .arg(nr)
               .arg(vname, name, vname.left(1) + name.left(1)));
}

// Types into a bound edit as the user does.
void type(QWidget* w, const QString& text) {
    w->setFocus();
    QTest::keyClicks(w, text);
}

}  // namespace

class TrainerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void newTrainerOnEmptyTable() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        frm_main->traineranzeigen(Fenstermodus::Neu);
        QVERIFY(frm_trainer);
        Tfrm_trainer& w = *frm_trainer;
        QCOMPARE(w.windowTitle(), QStringLiteral("Trainerpflege"));
        QVERIFY(frm_main->subWindowOf(&w));
        QVERIFY(frm_main->subWindowOf(&w)->isMaximized());
        QCOMPARE(dm->ibt_trainer->state(), db::DatasetState::Insert);
        QCOMPARE(dm->ibt_trainer->fieldByName("TRAINERNR")->asInteger(), 1);
        QCOMPARE(w.dbe_trainernr->text(), QStringLiteral("01"));
        QVERIFY(staffdocstest::hasFocusIn(w.dbc_anrede));

        // The user fills the new trainer in and saves with the navigator.
        QTest::keyClicks(w.dbc_anrede, "Frau");
        type(w.dbe_vname, "Anna");
        type(w.dbe_name, "Schmidt");
        type(w.dbe_email, "anna@hundeschule-schmidt.de");
        w.DBNavigator1->btnClick(widgets::DbNavigator::Post);
        QCOMPARE(dm->ibt_trainer->state(), db::DatasetState::Browse);
        QCOMPARE(f.scalar("select anrede || '/' || vname || '/' || name || '/' || email from trainer "
                          "where trainernr = 1")
                     .toString(),
                 QStringLiteral("Frau/Anna/Schmidt/anna@hundeschule-schmidt.de"));
        // The second new trainer gets the next number.
        frm_main->traineranzeigen(Fenstermodus::Neu);
        QCOMPARE(dm->ibt_trainer->fieldByName("TRAINERNR")->asInteger(), 2);
        KYN_VERIFY_DIALOGS(d);
    }

    // A pending edit that cannot be saved: mode 4 shows the window's message
    // and appends nothing; mode 0 shows it too and stays on the edit.
    void invalidPendingEditBlocksTheModes() {
        for (int mode : {4, 0}) {
            Fixture f;
            addTrainer(f, 1, "Bernd", "Meier");
            platform::ScopedScriptedDialogs d;
            frm_main->traineranzeigen(Fenstermodus::Uebersicht);
            Tfrm_trainer& w = *frm_trainer;
            QCOMPARE(w.dbe_name->text(), QStringLiteral("Meier"));
            // "Ł" has no place in the database's Western European characters.
            w.dbe_vname->setFocus();
            w.dbe_vname->selectAll();
            staffdocstest::typeText(w.dbe_vname, QStringLiteral("Łukasz"));
            QCOMPARE(dm->ibt_trainer->state(), db::DatasetState::Edit);

            d.expectMessage(QStringLiteral(
                "Die Änderungen an den Trainerdaten konnten nicht gesichert werden, da diese nicht vollständig oder "
                "nicht korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder "
                "korrigieren Sie bitte zunächst die Änderungen oder verwerfen Sie diese."));
            frm_main->traineranzeigen(Fenstermodus(mode));
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(dm->ibt_trainer->state(), db::DatasetState::Edit);
            QCOMPARE(dm->ibt_trainer->fieldByName("TRAINERNR")->asInteger(), 1);
            QCOMPARE(w.dbe_vname->text(), QStringLiteral("Łukasz"));
            QCOMPARE(f.count("trainer"), 1);

            // Corrected, the next request goes through.
            w.dbe_vname->selectAll();
            QTest::keyClicks(w.dbe_vname, QStringLiteral("Lukas"));
            frm_main->traineranzeigen(Fenstermodus::Neu);
            QCOMPARE(dm->ibt_trainer->state(), db::DatasetState::Insert);
            QCOMPARE(dm->ibt_trainer->fieldByName("TRAINERNR")->asInteger(), 2);
            QCOMPARE(f.scalar("select vname from trainer where trainernr = 1").toString(),
                     QStringLiteral("Lukas"));
            KYN_VERIFY_DIALOGS(d);
        }
    }

    void closePostsValidEditAndReopens() {
        Fixture f;
        addTrainer(f, 1, "Carla", "Zorn");
        platform::ScopedScriptedDialogs d;
        frm_main->traineranzeigen(Fenstermodus::Uebersicht);
        QPointer<Tfrm_trainer> w = frm_trainer;
        type(w->dbe_ort, "");
        w->dbe_ort->selectAll();
        QTest::keyClicks(w->dbe_ort, "Oldenburg");
        type(w->dbm_kommentar, "Welpengruppe samstags");
        QCOMPARE(dm->ibt_trainer->state(), db::DatasetState::Edit);

        frm_main->subWindowOf(w)->close();
        Fixture::settle();
        QVERIFY(!w);
        QVERIFY(!frm_trainer);
        QCOMPARE(dm->ibt_trainer->state(), db::DatasetState::Browse);
        QVERIFY(dm->ibt_trainer->isActive());
        QCOMPARE(f.scalar("select ort || '/' || kommentar from trainer where trainernr = 1").toString(),
                 QStringLiteral("Oldenburg/Welpengruppe samstags"));

        // A fresh window shows the posted values.
        frm_main->traineranzeigen(Fenstermodus::Uebersicht);
        QVERIFY(frm_trainer);
        QVERIFY(frm_trainer != w);
        QCOMPARE(frm_trainer->dbe_ort->text(), QStringLiteral("Oldenburg"));
        QCOMPARE(frm_trainer->dbm_kommentar->toPlainText(), QStringLiteral("Welpengruppe samstags"));
        KYN_VERIFY_DIALOGS(d);
    }

    void closeWithInvalidEditStaysOpen() {
        Fixture f;
        addTrainer(f, 1, "Carla", "Zorn");
        platform::ScopedScriptedDialogs d;
        frm_main->traineranzeigen(Fenstermodus::Uebersicht);
        QPointer<Tfrm_trainer> w = frm_trainer;
        w->dbe_name->setFocus();
        w->dbe_name->selectAll();
        staffdocstest::typeText(w->dbe_name, QStringLiteral("Nowak–Ł"));
        d.expectError();
        frm_main->subWindowOf(w)->close();
        Fixture::settle();
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(w);
        QVERIFY(frm_main->subWindowOf(w));
        QCOMPARE(dm->ibt_trainer->state(), db::DatasetState::Edit);
        QCOMPARE(f.scalar("select name from trainer where trainernr = 1").toString(), QStringLiteral("Zorn"));
        // Cancelled, the window closes.
        w->DBNavigator1->btnClick(widgets::DbNavigator::Cancel);
        frm_main->subWindowOf(w)->close();
        Fixture::settle();
        QVERIFY(!w);
        KYN_VERIFY_DIALOGS(d);
    }

    void salutationTypedFreelyIsCut() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        frm_main->traineranzeigen(Fenstermodus::Neu);
        Tfrm_trainer& w = *frm_trainer;
        QCOMPARE(w.dbc_anrede->items(), QStringList({"Frau", "Herr", "Familie"}));
        QTest::keyClicks(w.dbc_anrede, "Frau Dr. med. vet.");
        type(w.dbe_name, "Kraus");
        QVERIFY(w.check_sichern());
        QCOMPARE(f.scalar("select anrede from trainer where trainernr = 1").toString(),
                 QStringLiteral("Frau Dr. m"));
        KYN_VERIFY_DIALOGS(d);
    }

    void emailButtonWritesToTheShownAddress() {
        Fixture f;
        addTrainer(f, 1, "Anna", "Schmidt");
        f.exec("update trainer set email = \"anna@schmidt.de\" where trainernr = 1");
        platform::ScopedScriptedDialogs d;
        platform::ScopedRecordingShell shell;
        frm_main->traineranzeigen(Fenstermodus::Uebersicht);
        Tfrm_trainer& w = *frm_trainer;
        QCOMPARE(w.SpeedButton1->toolTip(), QStringLiteral("Email an diese Adresse schreiben."));
        w.SpeedButton1->click();
        // Typed but not yet saved: the address as shown.
        w.dbe_email->setFocus();
        w.dbe_email->selectAll();
        QTest::keyClicks(w.dbe_email, "a.schmidt@example.org");
        w.SpeedButton1->click();
        // An address that would add a recipient or an attachment goes out
        // encoded, as one address.
        w.dbe_email->selectAll();
        QTest::keyClicks(w.dbe_email, "a@b.de?attach=/etc/passwd");
        w.SpeedButton1->click();
        QCOMPARE(shell.calls(), (QList<platform::ShellCall>{{"url", "mailto:anna@schmidt.de"},
                                                             {"url", "mailto:a.schmidt@example.org"},
                                                             {"url", "mailto:a@b.de%3Fattach=%2Fetc%2Fpasswd"}}));
        KYN_VERIFY_DIALOGS(d);
    }

    void layoutColumnsAndHints() {
        Fixture f;
        addTrainer(f, 1, "Anna", "Schmidt");
        addTrainer(f, 2, "Bernd", "Meier");
        platform::ScopedScriptedDialogs d;
        frm_main->traineranzeigen(Fenstermodus::Uebersicht);
        Tfrm_trainer& w = *frm_trainer;

        struct Col { const char* title; int width; };
        // Plz: 40 pixels, or five digits whole in the screen's font.
        const int plz = std::max(40, w.DBGrid1->fontMetrics().horizontalAdvance("00000") + 14);
        const Col cols[] = {{"Nr.", 25}, {"Kurzzeichen", 63}, {"Vorname", 71}, {"Name", 110},
                            {"Straße", 148}, {"Plz", plz}, {"Ort", 157}};
        QCOMPARE(w.DBGrid1->model()->columnCount(), 7);
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(w.DBGrid1->model()->headerData(i, Qt::Horizontal).toString(), QString::fromUtf8(cols[i].title));
            // The given width, or wider where the title needs it.
            // What the title needs: the header's own measure, and its text
            // with a small margin.
            const int titel = std::max(w.DBGrid1->horizontalHeader()->sectionSizeHint(i),
                                       w.DBGrid1->horizontalHeader()->fontMetrics().horizontalAdvance(
                                           w.DBGrid1->model()->headerData(i, Qt::Horizontal).toString()) + 12);
            QVERIFY(w.DBGrid1->columnWidth(i) >= titel);
            if (titel <= cols[i].width) QCOMPARE(w.DBGrid1->columnWidth(i), cols[i].width);
            else QVERIFY(w.DBGrid1->columnWidth(i) > cols[i].width);
        }
        QCOMPARE(w.DBGrid1->model()->rowCount(), 2);
        QCOMPARE(w.DBGrid1->model()->index(0, 0).data().toString(), QStringLiteral("01"));
        QCOMPARE(w.Splitter1->handleWidth(), 9);
        QCOMPARE(w.PageControl1->count(), 2);
        QCOMPARE(w.PageControl1->tabText(0), QStringLiteral("Aktive Kurse"));
        QCOMPARE(w.PageControl1->tabText(1), QStringLiteral("Abgeschlossene Kurse"));
        QCOMPARE(w.PageControl1->height(), 182);
        QCOMPARE(w.gb_erreichbar->title(), QStringLiteral("Erreichbar über:"));
        QVERIFY(w.dbe_trainernr->isReadOnly());
        QVERIFY(!(w.dbe_trainernr->focusPolicy() & Qt::TabFocus));

        // Every field has its control.
        const QList<QPair<QWidget*, const char*>> bound = {
            {w.dbe_trainernr, "TRAINERNR"}, {w.dbc_anrede, "ANREDE"}, {w.dbe_kurzzeichen, "KURZZEICHEN"},
            {w.dbe_vname, "VNAME"},         {w.dbe_name, "NAME"},     {w.dbe_str, "STR"},
            {w.dbe_plz, "PLZ"},             {w.dbe_ort, "ORT"},       {w.dbe_tel, "TEL"},
            {w.dbe_mobil, "MOBIL"},         {w.dbe_fax, "FAX"},       {w.dbe_email, "EMAIL"},
            {w.dbm_kommentar, "KOMMENTAR"}};
        for (const auto& [control, field] : bound) {
            QString f;
            if (auto* e = qobject_cast<widgets::DbEdit*>(control)) f = e->dataField();
            else if (auto* c = qobject_cast<widgets::DbComboBox*>(control)) f = c->dataField();
            else if (auto* m = qobject_cast<widgets::DbMemo*>(control)) f = m->dataField();
            QCOMPARE(f, QString::fromLatin1(field));
        }
        QStringList labels;
        for (QLabel* l : w.findChildren<QLabel*>()) labels << l->text();
        for (const char* l : {"Trainer-Nr.:", "Anrede:", "Kurzzeichen", "Vorname:", "Name:", "Strasse", "Plz:",
                              "Ort:", "Telefon:", "Mobiltelefon:", "Fax:", "E-Mail:", "Kommentar:"})
            QVERIFY2(labels.contains(QString::fromUtf8(l)), l);

        using B = widgets::DbNavigator;
        QCOMPARE(w.DBNavigator1->visibleButtons(), B::EditButtons);
        const QList<QPair<B::Button, const char*>> hints = {
            {B::First, "Erster Trainer"},      {B::Prior, "Vorheriger Trainer"},
            {B::Next, "Nächster Trainer"},     {B::Last, "Letzter Trainer"},
            {B::Insert, "Trainer einfügen"},   {B::Delete, "Trainer löschen"},
            {B::Post, "Trainer speichern"},    {B::Cancel, "Bearbeiten abbrechen"}};
        for (const auto& [b, h] : hints) QCOMPARE(w.DBNavigator1->hint(b), QString::fromUtf8(h));

        // Delete asks first; "Nein" keeps the trainer.
        d.expectConfirm(platform::Answer::Nein, "Datensatz löschen?");
        w.DBNavigator1->btnClick(B::Delete);
        QCOMPARE(f.count("trainer"), 2);
        d.expectConfirm(platform::Answer::Ja, "Datensatz löschen?");
        w.DBNavigator1->btnClick(B::Delete);
        QCOMPARE(f.count("trainer"), 1);
        KYN_VERIFY_DIALOGS(d);
    }
};

KYN_TEST(TrainerWindowTest)
#include "trainer_test.moc"
