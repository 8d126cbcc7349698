// The course template window: templates and their dates, numbering per
// template, the confirmation of a new template, deleting a template with its
// dates, and "Schließen" saving both tables.
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>

#include "common/testregistry.h"
#include "platform/scripteddialogs.h"
#include "staff_docs/pflege_vorlagen_kurse.h"
#include "staffdocstest.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"

using staffdocstest::Fixture;
using B = widgets::DbNavigator;

namespace {

// Two templates, the first with two dates, the second (no interval) with three.
void addTemplates(Fixture& f) {
    f.exec("insert into vorlagen_kurse (vorlagennr, bezeichnung, rythmus) values (1, \"Welpenkurs\", 7)");
    f.exec("insert into vorlagen_kurse (vorlagennr, bezeichnung) values (2, \"Junghundekurs\")");
    f.exec("insert into vorlagen_kurstermine (vorlagennr, terminnr, thema) values (1, 1, \"Kennenlernen\")");
    f.exec("insert into vorlagen_kurstermine (vorlagennr, terminnr, thema) values (1, 2, \"Spielgruppe\")");
    for (int i = 1; i <= 3; ++i)
        f.exec(QStringLiteral("insert into vorlagen_kurstermine (vorlagennr, terminnr, thema) values "
                              "(2, %1, \"Stunde %1\")")
                   .arg(i));
}

QString dates(Fixture& f) {
    db::Statement s(dm->idb.get(), dm->ibt);
    s.prepare("select vorlagennr, terminnr, thema from vorlagen_kurstermine order by vorlagennr, terminnr");
    s.open();
    QStringList r;
    while (s.fetch())
        r << QStringLiteral("%1/%2 %3").arg(s.value(0).toInt()).arg(s.value(1).toInt()).arg(s.value(2).toString());
    return r.join(", ");
}

// What has the grid's keyboard: its cell editor while one has the focus,
// else the grid.
QWidget* keyboardOf(widgets::DbGrid* g) {
    QWidget* fw = QApplication::focusWidget();
    return fw && (fw == g || g->isAncestorOf(fw)) ? fw : static_cast<QWidget*>(g);
}

// Types into a grid as the user does: the first key opens the cell editor,
// which takes the following keys.
void typeInto(widgets::DbGrid* g, const QString& text) {
    for (const QChar c : text) QTest::keyClick(keyboardOf(g), c.toLatin1());
}

void keyInto(widgets::DbGrid* g, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(keyboardOf(g), key, mods);
}

void showWindow(Tfrm_vorlagen_kurse& w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

}  // namespace

class TemplateWindowTest : public QObject {
    Q_OBJECT
private slots:
    void layoutColumnsAndHints() {
        Fixture f(false);
        addTemplates(f);
        platform::ScopedScriptedDialogs d;
        Tfrm_vorlagen_kurse w(*dm);
        QCOMPARE(w.windowTitle(), QStringLiteral("Vorlagen Kurse"));
        QCOMPARE(w.size(), QSize(611, 480));
        showWindow(w);
        QVERIFY(dm->ibt_vorlagen_kurse->isActive());
        QVERIFY(dm->ibt_vorlagen_kurstermine->isActive());
        QCOMPARE(w.GroupBox1->title(), QStringLiteral("Vorhandene Vorlagen für Kurse: "));
        QCOMPARE(w.GroupBox2->title(), QStringLiteral("Terminliste zur Vorlage: "));
        QCOMPARE(w.DBGrid1->height(), 88);
        QCOMPARE(w.Panel1->height(), 41);
        QCOMPARE(w.Button1->text(), QStringLiteral("Schließen"));

        auto titles = [](widgets::DbGrid* g) {
            QStringList t;
            for (int i = 0; i < g->model()->columnCount(); ++i)
                t << g->model()->headerData(i, Qt::Horizontal).toString();
            return t;
        };
        QCOMPARE(titles(w.DBGrid1), QStringList({"Vorlagen-Nr.", "alle n Tage", "Bezeichnung"}));
        QCOMPARE(w.DBGrid1->columnWidth(1),
                 std::max({57, w.DBGrid1->horizontalHeader()->sectionSizeHint(1),
                           w.DBGrid1->horizontalHeader()->fontMetrics().horizontalAdvance("alle n Tage") + 12}));
        QCOMPARE(w.DBGrid1->columns()[2].width, 445);  // then filling the window's width
        QVERIFY(w.DBGrid1->columns()[0].readOnly);
        QCOMPARE(titles(w.DBGrid2), QStringList({"Termin-Nr.", "Thema/Ort/Treffpunkt"}));
        QCOMPARE(w.DBGrid2->columns()[1].width, 499);
        QVERIFY(w.DBGrid2->columns()[0].readOnly);

        // Rows: numbers by their formats, an empty interval as an empty cell.
        QAbstractItemModel* m = w.DBGrid1->model();
        QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("001"));
        QCOMPARE(m->index(0, 1).data().toString(), QStringLiteral("7"));
        QCOMPARE(m->index(1, 1).data().toString(), QString());
        QCOMPARE(w.DBGrid2->model()->rowCount(), 2);
        QCOMPARE(w.DBGrid2->model()->index(1, 0).data().toString(), QStringLiteral("02"));
        w.DBNavigator1->btnClick(B::Last);
        QCOMPARE(w.DBGrid2->model()->rowCount(), 3);

        QCOMPARE(w.DBNavigator1->visibleButtons(), B::EditButtons);
        const QList<QPair<B::Button, const char*>> hints = {
            {B::First, "Erster Vorlage"},         {B::Prior, "Vorheriger Vorlage"},
            {B::Next, "Nächster Vorlage"},        {B::Last, "Letzter Vorlage"},
            {B::Insert, "Vorlage einfügen"},      {B::Delete, "Vorlagel öschen"},
            {B::Post, "Änderungen übernehmen"},   {B::Cancel, "Änderungen verwerfen"}};
        for (const auto& [b, h] : hints) QCOMPARE(w.DBNavigator1->hint(b), QString::fromUtf8(h));
        KYN_VERIFY_DIALOGS(d);
    }

    void newTemplateAnsweredNo() {
        Fixture f(false);
        platform::ScopedScriptedDialogs d;
        Tfrm_vorlagen_kurse w(*dm);
        showWindow(w);
        // Without a template the date list takes no rows.
        QVERIFY(w.DBGrid2->isReadOnly());
        d.expectConfirm(platform::Answer::Nein, "Neue Vorlage einfügen ?");
        w.DBNavigator1->btnClick(B::Insert);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(dm->ibt_vorlagen_kurse->state(), db::DatasetState::Browse);
        QVERIFY(dm->ibt_vorlagen_kurse->isEmpty());
        QVERIFY(w.DBGrid2->isReadOnly());
        w.Button1Click();
        QCOMPARE(f.count("vorlagen_kurse"), 0);

        d.expectConfirm(platform::Answer::Ja, "Neue Vorlage einfügen ?");
        w.DBNavigator1->btnClick(B::Insert);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(dm->ibt_vorlagen_kurse->state(), db::DatasetState::Insert);
        QCOMPARE(dm->ibt_vorlagen_kurse->fieldByName("VORLAGENNR")->asInteger(), 1);
        QVERIFY(!w.DBGrid2->isReadOnly());
    }

    // Dates are numbered per template: typed into the date grid, new rows by
    // the insert key and by moving below the last row.
    void datesNumberedPerTemplate() {
        Fixture f(false);
        platform::ScopedScriptedDialogs d;
        Tfrm_vorlagen_kurse w(*dm);
        showWindow(w);
        auto newTemplate = [&](const char* name) {
            d.expectConfirm(platform::Answer::Ja, "Neue Vorlage einfügen ?");
            w.DBNavigator1->btnClick(B::Insert);
            w.DBGrid1->setFocus();
            w.DBGrid1->setSelectedIndex(2);
            typeInto(w.DBGrid1, name);
            keyInto(w.DBGrid1, Qt::Key_Return);
            w.DBNavigator1->btnClick(B::Post);
        };
        auto typeDates = [&](const QStringList& topics) {
            w.DBGrid2->setFocus();
            QTest::keyClick(w.DBGrid2, Qt::Key_Insert);
            w.DBGrid2->setSelectedIndex(1);
            for (int i = 0; i < topics.size(); ++i) {
                if (i > 0) keyInto(w.DBGrid2, Qt::Key_Down);
                typeInto(w.DBGrid2, topics[i]);
            }
        };
        newTemplate("Welpenkurs");
        typeDates({"Kennenlernen", "Spielgruppe", "Leinenfuehrigkeit"});
        newTemplate("Junghundekurs");
        QCOMPARE(w.DBGrid2->model()->rowCount(), 0);
        typeDates({"Stadtgang", "Rueckruf"});
        w.Button1Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.scalar("select bezeichnung from vorlagen_kurse where vorlagennr = 2").toString(),
                 QStringLiteral("Junghundekurs"));
        QCOMPARE(dates(f), QStringLiteral("1/1 Kennenlernen, 1/2 Spielgruppe, 1/3 Leinenfuehrigkeit, "
                                          "2/1 Stadtgang, 2/2 Rueckruf"));
    }

    // A deleted template takes its dates with it, so that the next template
    // under the same number starts empty. Through the navigator and through
    // the grid's Ctrl+Delete.
    void deletingATemplateDeletesItsDates() {
        Fixture f(false);
        addTemplates(f);
        platform::ScopedScriptedDialogs d;
        Tfrm_vorlagen_kurse w(*dm);
        showWindow(w);
        w.DBNavigator1->btnClick(B::Last);
        QCOMPARE(w.DBGrid2->model()->rowCount(), 3);

        d.expectConfirm(platform::Answer::Nein, "Datensatz löschen?");
        w.DBNavigator1->btnClick(B::Delete);
        QCOMPARE(f.count("vorlagen_kurse"), 2);
        QCOMPARE(f.count("vorlagen_kurstermine"), 5);

        d.expectConfirm(platform::Answer::Ja, "Datensatz löschen?");
        w.DBNavigator1->btnClick(B::Delete);
        QCOMPARE(f.count("vorlagen_kurse"), 1);
        QCOMPARE(dates(f), QStringLiteral("1/1 Kennenlernen, 1/2 Spielgruppe"));
        QCOMPARE(dm->ibt_vorlagen_kurse->fieldByName("VORLAGENNR")->asInteger(), 1);
        QCOMPARE(w.DBGrid2->model()->rowCount(), 2);

        // The next template gets number 2 again, without the old dates.
        d.expectConfirm(platform::Answer::Ja, "Neue Vorlage einfügen ?");
        w.DBNavigator1->btnClick(B::Insert);
        QCOMPARE(dm->ibt_vorlagen_kurse->fieldByName("VORLAGENNR")->asInteger(), 2);
        QCOMPARE(w.DBGrid2->model()->rowCount(), 0);
        dm->ibt_vorlagen_kurse->fieldByName("BEZEICHNUNG")->setAsString("Agility");
        w.DBNavigator1->btnClick(B::Post);
        QCOMPARE(w.DBGrid2->model()->rowCount(), 0);

        // The first template, with its dates, from the grid.
        // (The navigator inserted the new template above the current one.)
        QVERIFY(dm->ibt_vorlagen_kurse->locate("VORLAGENNR", 1));
        QCOMPARE(w.DBGrid2->model()->rowCount(), 2);
        w.DBGrid1->setFocus();
        d.expectConfirm(platform::Answer::Ja, "Datensatz löschen?");
        QTest::keyClick(w.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.count("vorlagen_kurse"), 1);
        QCOMPARE(f.scalar("select vorlagennr from vorlagen_kurse").toInt(), 2);
        QCOMPARE(f.count("vorlagen_kurstermine"), 0);
        // Nothing was committed on the way: the deletions and the new
        // template are part of the running write transaction and go with it
        // (the templates stored before, committed when the window came up,
        // are back with their dates).
        dm->ibt->rollback();
        QCOMPARE(f.count("vorlagen_kurse"), 2);
        QCOMPARE(f.count("vorlagen_kurstermine"), 5);
        QCOMPARE(f.count("vorlagen_kurse", "bezeichnung = 'Agility'"), 0);
    }

    // "alle n Tage" takes an empty value or a number from 1 up; 0 and
    // negative numbers are refused with the message, and the window stays
    // open with the edit pending.
    void rhythmBelowOneIsRefused_data() {
        QTest::addColumn<QVariant>("rhythmus");
        QTest::addColumn<bool>("erlaubt");
        QTest::newRow("-7") << QVariant(-7) << false;
        QTest::newRow("0") << QVariant(0) << false;
        QTest::newRow("1") << QVariant(1) << true;
        QTest::newRow("14") << QVariant(14) << true;
        QTest::newRow("empty") << QVariant() << true;
    }
    void rhythmBelowOneIsRefused() {
        QFETCH(QVariant, rhythmus);
        QFETCH(bool, erlaubt);
        Fixture f(false);
        addTemplates(f);
        platform::ScopedScriptedDialogs d;
        Tfrm_vorlagen_kurse w(*dm);
        showWindow(w);
        dm->ibt_vorlagen_kurse->edit();
        dm->ibt_vorlagen_kurse->fieldByName("RYTHMUS")->setValue(rhythmus);
        if (!erlaubt)
            d.expectError(QStringLiteral("Der Wert \"alle n Tage\" einer Vorlage muss 1 oder größer sein. Lassen Sie "
                                         "das Feld leer, wenn beim Eintragen der Termine der Wert aus dem Kursfenster "
                                         "gelten soll."));
        w.Button1->click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(w.isVisible(), !erlaubt);
        QCOMPARE(dm->ibt_vorlagen_kurse->state(), erlaubt ? db::DatasetState::Browse : db::DatasetState::Edit);
        const QVariant stored = f.scalar("select rythmus from vorlagen_kurse where vorlagennr = 1");
        QCOMPARE(stored.isNull() ? QVariant() : stored, erlaubt ? rhythmus : QVariant(7));
    }

    // "Schließen" from the menu: both pending edits are posted and the modal
    // window ends. The title-bar button saves nothing.
    void closeButtonSavesBothTables() {
        Fixture f;
        addTemplates(f);
        platform::ScopedScriptedDialogs d;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            modal = frm_vorlagen_kurse && QApplication::activeModalWidget() == frm_vorlagen_kurse;
            dm->ibt_vorlagen_kurse->edit();
            dm->ibt_vorlagen_kurse->fieldByName("RYTHMUS")->setAsInteger(14);
            dm->ibt_vorlagen_kurstermine->edit();
            dm->ibt_vorlagen_kurstermine->fieldByName("THEMA")->setAsString("Treffpunkt Parkplatz");
            frm_vorlagen_kurse->Button1->click();
        });
        frm_main->VorlagenKurse1->trigger();
        QVERIFY(modal);
        QVERIFY(!frm_vorlagen_kurse->isVisible());
        QCOMPARE(dm->ibt_vorlagen_kurse->state(), db::DatasetState::Browse);
        QCOMPARE(dm->ibt_vorlagen_kurstermine->state(), db::DatasetState::Browse);
        QCOMPARE(f.scalar("select rythmus from vorlagen_kurse where vorlagennr = 1").toInt(), 14);
        QCOMPARE(f.scalar("select thema from vorlagen_kurstermine where vorlagennr = 1 and terminnr = 1").toString(),
                 QStringLiteral("Treffpunkt Parkplatz"));

        // Shown again: the same window; closed by its frame, the edit stays pending.
        QPointer<Tfrm_vorlagen_kurse> first = frm_vorlagen_kurse.data();
        QTimer::singleShot(0, [&] {
            dm->ibt_vorlagen_kurse->edit();
            dm->ibt_vorlagen_kurse->fieldByName("BEZEICHNUNG")->setAsString("Welpenkurs kompakt");
            frm_vorlagen_kurse->close();
        });
        frm_main->VorlagenKurse1->trigger();
        QCOMPARE(frm_vorlagen_kurse.data(), first.data());
        QCOMPARE(dm->ibt_vorlagen_kurse->state(), db::DatasetState::Edit);
        QCOMPARE(f.scalar("select bezeichnung from vorlagen_kurse where vorlagennr = 1").toString(),
                 QStringLiteral("Welpenkurs"));
        KYN_VERIFY_DIALOGS(d);
    }
};

KYN_TEST(TemplateWindowTest)
#include "vorlagen_test.moc"
