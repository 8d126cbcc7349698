// Texts that are no number, typed into the rhythm column of the course
// template window: the German conversion message, the text stays as typed in
// the cell, the row stays in its edit state with the user's other change,
// "Schließen" is refused and keeps it, nothing is written; once corrected
// everything is saved.
#include <QPushButton>
#include <QTest>

#include "common/testregistry.h"
#include "falscheeingaben.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "staff_docs/pflege_vorlagen_kurse.h"
#include "staffdocstest.h"

using staffdocstest::Fixture;

class FalscheEingabenStammTest : public QObject {
    Q_OBJECT
private slots:
    // The trainer window has no such control: its number is read-only.
    void badTextInTheTemplateRhythm_data() {
        QTest::addColumn<QString>("text");  // what the user types
        QTest::addColumn<QString>("gut");   // the corrected text
        QTest::newRow("a word") << "wöchentlich" << "14";
        QTest::newRow("decimal") << "7,5" << "8";
        QTest::newRow("blank inside") << "1 4" << "21";
        QTest::newRow("too big") << "7777777777" << "7";
        QTest::newRow("sign only") << "-" << "1";
    }
    void badTextInTheTemplateRhythm() {
        QFETCH(QString, text);
        QFETCH(QString, gut);
        Fixture f;
        f.exec("insert into vorlagen_kurse (vorlagennr, bezeichnung, rythmus) values (1, \"Welpenkurs\", 7)");
        platform::ScopedScriptedDialogs d;
        auto vorlagen = std::make_unique<Tfrm_vorlagen_kurse>(*dm);
        vorlagen->show();
        QApplication::setActiveWindow(vorlagen.get());
        QVERIFY(QTest::qWaitForWindowExposed(vorlagen.get()));
        widgets::DbGrid* g = vorlagen->DBGrid1;
        db::Dataset* ds = g->dataset();
        QVERIFY(ds->isActive());
        const QString pruefung =
            "select count(*) from vorlagen_kurse where vorlagennr=1 and rythmus=" + gut + " and bezeichnung='vorher'";
        // The user has already changed the name of the template.
        ds->edit();
        ds->fieldByName("BEZEICHNUNG")->setAsString("vorher");

        const QString meldung = QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text);
        d.expectError(meldung);
        falsch::eingeben(g, "RYTHMUS", text);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(falsch::hatFokus(g));
        QCOMPARE(falsch::angezeigt(g), text);
        QCOMPARE(ds->state(), db::DatasetState::Edit);
        QCOMPARE(ds->fieldByName("BEZEICHNUNG")->asString(), QStringLiteral("vorher"));
        QCOMPARE(f.scalar(pruefung).toInt(), 0);

        // "Schließen" is refused with the same message, the window stays
        // open and keeps everything.
        d.expectError(meldung);
        vorlagen->Button1->click();
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(vorlagen->isVisible());
        QCOMPARE(falsch::angezeigt(g), text);
        QCOMPARE(ds->state(), db::DatasetState::Edit);
        QCOMPARE(ds->fieldByName("BEZEICHNUNG")->asString(), QStringLiteral("vorher"));
        QCOMPARE(f.scalar(pruefung).toInt(), 0);

        // Corrected, "Schließen" saves both changes.
        falsch::eingeben(g, "RYTHMUS", gut);
        vorlagen->Button1->click();
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(!vorlagen->isVisible());
        QCOMPARE(f.scalar(pruefung).toInt(), 1);
    }
};

KYN_TEST(FalscheEingabenStammTest)
#include "falsche_eingaben_test.moc"
