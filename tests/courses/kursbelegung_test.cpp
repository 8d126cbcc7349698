// Which courses the course list shows (the three status switches) and the
// question before a participant is enrolled into a full course.
#include <QAbstractItemModel>
#include <QTest>
#include <QPushButton>
#include <QToolButton>

#include "courses/keyedit.h"
#include "courses/kursbelegung.h"
#include "db/field.h"
#include "kursetestutil.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"
#include "widgets/dbgrid.h"

using namespace kurstest;
using platform::Answer;

namespace {

QList<int> kursnummern(db::Table* t) {
    QList<int> r;
    for (t->first(); !t->eof(); t->next()) r << t->fieldByName("KURSNR")->asInteger();
    return r;
}

}  // namespace

class CourseListFilterTest : public QObject {
    Q_OBJECT
private slots:
    void switchesFilterByStatus() {
        Fixture f;
        f.kurs(1, "Ju", "Aktiv eins");
        f.kurs(2, "We", "Beendet", "B");
        f.kurs(3, "Ag", "Storniert", "S");
        f.kurs(4, "Fa", "Aktiv zwei");
        f.kurs(5, "So", "Pausiert", "P");
        Tfrm_kurse* w = f.kursfenster();
        db::Table* kurse = f.module->ibt_kurse;
        // The window starts on "Aktive Kurse"; course -1 never shows.
        QVERIFY(w->sb_aktive_kurse->isChecked());
        QCOMPARE(kursnummern(kurse), (QList<int>{1, 4}));
        QCOMPARE(w->dbg_kurse->model()->rowCount(), 2);

        struct Fall {
            QToolButton* knopf;
            QList<int> kurse;
        };
        const Fall faelle[] = {{w->sb_beendete_kurse, {2}},
                               {w->sb_alle_kurse, {1, 2, 3, 4, 5}},
                               {w->sb_aktive_kurse, {1, 4}}};
        for (const Fall& fall : faelle) {
            QTest::mouseClick(fall.knopf, Qt::LeftButton);
            QVERIFY(fall.knopf->isChecked());
            QCOMPARE(kursnummern(kurse), fall.kurse);
            QCOMPARE(w->dbg_kurse->model()->rowCount(), int(fall.kurse.size()));
        }
    }

    void pendingCourseIsSavedOrKeepsTheSwitch() {
        Fixture f;
        f.kurs(1, "Ju", "Aktiv");
        f.kurs(2, "We", "Beendet", "B");
        Tfrm_kurse* w = f.kursfenster();
        db::Table* kurse = f.module->ibt_kurse;
        QVERIFY(f.zuKurs(1));
        // A changed name is saved before the list changes.
        kurse->edit();
        kurse->fieldByName("KURSNAME")->setAsString("Aktiv geändert");
        QTest::mouseClick(w->sb_alle_kurse, Qt::LeftButton);
        QCOMPARE(f.ask("select kursname from kurse where kursnr=1").toString(), QString("Aktiv geändert"));
        QCOMPARE(kursnummern(kurse), (QList<int>{1, 2}));
        // A course that cannot be saved (no number) keeps list and switch.
        QVERIFY(f.zuKurs(2));
        kurse->edit();
        kurse->fieldByName("KURSNR")->clear();
        platform::ScopedScriptedDialogs d;
        d.expectMessage(meldungen::sichernKursdaten);
        QTest::mouseClick(w->sb_beendete_kurse, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(w->sb_alle_kurse->isChecked());
        QVERIFY(kurse->isEditing());
        QCOMPARE(kurse->filter(), kursauswahl_filter(KursAuswahl::Alle));
        kurse->cancel();
    }
};
KYN_TEST(CourseListFilterTest)

class FullCourseTest : public QObject {
    Q_OBJECT
private slots:
    void fullCourseAsks_data() {
        QTest::addColumn<QVariant>("max");
        QTest::addColumn<int>("vorher");
        QTest::addColumn<bool>("frage");
        QTest::addColumn<int>("antwort");  // Answer
        QTest::addColumn<int>("nachher");
        QTest::newRow("no maximum") << QVariant() << 3 << false << 0 << 4;
        QTest::newRow("maximum 0") << QVariant(0) << 3 << false << 0 << 4;
        QTest::newRow("room left") << QVariant(4) << 3 << false << 0 << 4;
        QTest::newRow("full, Ja") << QVariant(3) << 3 << true << int(Answer::Ja) << 4;
        QTest::newRow("full, Nein") << QVariant(3) << 3 << true << int(Answer::Nein) << 3;
        QTest::newRow("over full, Ja") << QVariant(2) << 3 << true << int(Answer::Ja) << 4;
    }
    void fullCourseAsks() {
        QFETCH(QVariant, max);
        QFETCH(int, vorher);
        QFETCH(bool, frage);
        QFETCH(int, antwort);
        QFETCH(int, nachher);
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kurs(2, "We", "Welpen");
        if (max.isValid()) f.run(QString("update kurse set maxteilnehmer=%1 where kursnr=1").arg(max.toInt()));
        // Another course's participants do not count.
        f.run("update kurse set maxteilnehmer=1 where kursnr=2");
        for (int i = 1; i <= vorher + 1; ++i) {
            f.kunde(i, QString("Kunde%1").arg(i));
            f.hund(i, i, QString("Hund%1").arg(i));
        }
        for (int i = 1; i <= vorher; ++i) f.teilnehmer(i, 1, i, i);
        f.teilnehmer(100, 2, 1, 1);
        f.module->ibt->commitRetaining();
        f.kursfenster();
        QVERIFY(f.zuKurs(1));
        Tfrm_teilnehmer_add dlg(*f.module);
        dlg.show();
        dlg.e_suchtext->setText(QString("Kunde%1").arg(vorher + 1));
        QTest::keyClick(dlg.e_suchtext, Qt::Key_Return);
        QCOMPARE(dlg.ibq_suche->recordCount(), 1);
        platform::ScopedScriptedDialogs d;
        if (frage) d.expectConfirm(Answer(antwort),
                                   QStringLiteral("Der Kurs ist mit %1 Teilnehmern voll. Trotzdem aufnehmen?").arg(vorher));
        QTest::mouseClick(dlg.b_hinzufuegen, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        if (frage) {
            QCOMPARE(d.shown().first().title, QString("Bestätigung"));
            QCOMPARE(d.shown().first().buttons, platform::Buttons::JaNein);
        }
        QCOMPARE(f.askCommitted("select count(*) from teilnehmer where kursnr=1").toInt(), nachher);
        QCOMPARE(f.module->ibq_teilnehmer->recordCount(), nachher);
        dlg.hide();
    }

    // "max. Teilnehmer" typed into the course list and not saved yet counts:
    // the course is saved before the limit is checked.
    void unsavedMaximumCounts_data() {
        QTest::addColumn<bool>("imDialog");  // the dialog's button, else the course window's
        QTest::newRow("course window") << false;
        QTest::newRow("dialog") << true;
    }
    void unsavedMaximumCounts() {
        QFETCH(bool, imDialog);
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        for (int i = 1; i <= 3; ++i) {
            f.kunde(i, QString("Kunde%1").arg(i));
            f.hund(i, i, QString("Hund%1").arg(i));
        }
        f.teilnehmer(1, 1, 1, 1);
        f.teilnehmer(2, 1, 2, 2);
        f.module->ibt->commitRetaining();
        Tfrm_kurse* w = f.kursfenster();
        QVERIFY(f.zuKurs(1));
        // Typed into the grid's cell, as the user does; the cell stays open.
        QAbstractItemModel* m = w->dbg_kurse->model();
        int spalte = -1;
        for (int c = 0; c < m->columnCount(); ++c)
            if (m->headerData(c, Qt::Horizontal).toString() == "max. Teilnehmer") spalte = c;
        QVERIFY(spalte >= 0);
        w->dbg_kurse->setFocus();
        w->dbg_kurse->setCurrentIndex(m->index(0, spalte));
        QTest::keyClicks(w->dbg_kurse, "2");
        platform::ScopedScriptedDialogs d;
        d.expectConfirm(Answer::Nein, "Der Kurs ist mit 2 Teilnehmern voll. Trotzdem aufnehmen?");
        if (imDialog) {
            // The dialog on its own (the cell's value went into the row when
            // the focus left the grid).
            if (w->dbg_kurse->cellEditor()) w->dbg_kurse->commitEditor();
            QVERIFY(f.module->ibt_kurse->isEditing());
            Tfrm_teilnehmer_add& dlg = *f.teilnehmerAdd;
            dlg.show();
            dlg.e_suchtext->setText("Kunde3");
            QTest::keyClick(dlg.e_suchtext, Qt::Key_Return);
            QTest::mouseClick(dlg.b_hinzufuegen, Qt::LeftButton);
            dlg.hide();
        } else {
            w->pg_kurs->setCurrentWidget(w->ts_teilnehmer);
            wennSichtbar([&f] { return static_cast<QDialog*>(f.teilnehmerAdd.get()); }, [](QDialog* dlg) {
                auto* t = static_cast<Tfrm_teilnehmer_add*>(dlg);
                t->e_suchtext->setText("Kunde3");
                QTest::keyClick(t->e_suchtext, Qt::Key_Return);
                QTest::mouseClick(t->b_hinzufuegen, Qt::LeftButton);
            });
            QTest::mouseClick(w->b_add_teilnehmer, Qt::LeftButton);
        }
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.ask("select maxteilnehmer from kurse where kursnr=1").toInt(), 2);
        QVERIFY(!f.module->ibt_kurse->isEditing());
        QCOMPARE(f.askCommitted("select count(*) from teilnehmer where kursnr=1").toInt(), 2);
    }

    void questionText() {
        QCOMPARE(kurs_voll_frage(8), QString("Der Kurs ist mit 8 Teilnehmern voll. Trotzdem aufnehmen?"));
    }
};
KYN_TEST(FullCourseTest)

#include "kursbelegung_test.moc"
