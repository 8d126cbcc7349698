// The notepad and the master data dialog.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "common/testenv.h"
#include "common/testregistry.h"
#include "data/datenmodul.h"
#include "data/schema.h"
#include "db/dataset.h"
#include "db/field.h"
#include "platform/scripteddialogs.h"
#include "shell/notizblock.h"
#include "shell/stammdaten.h"
#include "widgets/common.h"
#include "widgets/dbedit.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"
#include "widgets/dbtext.h"
#include "shelltestutil.h"

namespace {

struct Fixture {
    TestEnv env;
    std::unique_ptr<Tdm> module;
    Fixture() {
        shelltest::createDatabase(env);
        module = std::make_unique<Tdm>();
        module->connectTo(env.databasePath());
        dm = module.get();
        // The delete question through the program's dialogs.
        widgets::setConfirmHandler([](const QString& text) {
            return platform::dialogs().confirm(text) == platform::Answer::Ja;
        });
    }
    ~Fixture() { widgets::setConfirmHandler(nullptr); }
    QVariant sql(const QString& text) { return dm->scalar(text); }
};

using Nav = widgets::DbNavigator;

}  // namespace

class TestKleineFenster : public QObject {
    Q_OBJECT

private slots:
    void notepadLayout() {
        Fixture f;
        Tfrm_notizblock n(*dm);
        QCOMPARE(n.windowTitle(), QStringLiteral("Notizblock"));
        QCOMPARE(n.size(), QSize(325, 241));
        QVERIFY(n.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!n.isModal());
        QCOMPARE(n.palette().color(QPalette::Window), n.palette().color(QPalette::ToolTipBase));
        QCOMPARE(n.dbm_notiz->palette().color(QPalette::Base), QPalette().color(QPalette::ToolTipBase));
        QCOMPARE(n.l_vom->text(), QStringLiteral("Vom:"));
        QVERIFY(n.dbe_datumzeit->isReadOnly());
        QVERIFY(!n.dbe_datumzeit->hasFrame());
        QVERIFY(n.dbm_notiz->font().bold());
        QCOMPARE(n.dbm_notiz->font().pixelSize(), 13);
        QCOMPARE(n.dbm_notiz->maxLength(), 500);
        QVERIFY(n.dbm_notiz->wantTabs());
        QCOMPARE(n.dbm_notiz->frameShape(), QFrame::NoFrame);
        QCOMPARE(n.dbm_notiz->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(n.dbn_notizblock->visibleButtons(), Nav::EditButtons);
        const QList<QPair<Nav::Button, QString>> hints = {
            {Nav::First, "Erster Datensatz"},    {Nav::Prior, "Vorheriger Datensatz"},
            {Nav::Next, "Nächster Datensatz"},   {Nav::Last, "Letzter Datensatz"},
            {Nav::Insert, "Datensatz einfügen"}, {Nav::Delete, "Datensatz löschen"},
            {Nav::Post, "Übernehmen"},           {Nav::Cancel, "Bearbeiten abbrechen"}};
        for (const auto& [b, h] : hints) {
            QCOMPARE(n.dbn_notizblock->hint(b), h);
            QCOMPARE(n.dbn_notizblock->button(b)->statusTip(), h);
        }
        QCOMPARE(n.dbe_datumzeit->dataSource(), dm->ds_notizblock);
    }

    void notepadInsertDateAndLimit() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        Tfrm_notizblock n(*dm);
        QVERIFY(!dm->ibt_notizblock->isActive());
        n.show();
        QVERIFY(QTest::qWaitForWindowExposed(&n));
        QVERIFY(dm->ibt_notizblock->isActive());

        const QDateTime before = QDateTime::currentDateTime().addSecs(-60);
        n.dbn_notizblock->btnClick(Nav::Insert);
        QCOMPARE(dm->ibt_notizblock->state(), db::DatasetState::Insert);
        const QDateTime stamp = dm->ibt_notizblock->fieldByName("DATUMZEIT")->asDateTime();
        QVERIFY(stamp >= before && stamp <= QDateTime::currentDateTime().addSecs(60));
        // "Vom:" shows it at once, as "dd.mm.yyyy hh:nn".
        QCOMPARE(n.dbe_datumzeit->text(), stamp.toString("dd.MM.yyyy hh:mm"));
        // The date cannot be edited.
        n.dbe_datumzeit->setFocus();
        QTest::keyClicks(n.dbe_datumzeit, "01.01.2000");
        QCOMPARE(dm->ibt_notizblock->fieldByName("DATUMZEIT")->asDateTime(), stamp);

        // A note longer than 500 characters cannot be typed; Tab is a character.
        n.dbm_notiz->setFocus();
        QTest::keyClick(n.dbm_notiz, Qt::Key_Tab);
        QVERIFY(n.dbm_notiz->hasFocus());
        QTest::keyClicks(n.dbm_notiz, QString(520, QLatin1Char('x')));
        QCOMPARE(n.dbm_notiz->toPlainText().size(), 500);
        QVERIFY(n.dbm_notiz->toPlainText().startsWith("\tx"));
        n.dbn_notizblock->btnClick(Nav::Post);
        QCOMPARE(dm->ibt_notizblock->state(), db::DatasetState::Browse);
        QCOMPARE(f.sql("select char_length(notiz) from notizblock").toInt(), 500);
        KYN_VERIFY_DIALOGS(d);
    }

    void notepadDeleteAsks() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        Tfrm_notizblock n(*dm);
        n.show();
        n.dbn_notizblock->btnClick(Nav::Insert);
        dm->ibt_notizblock->fieldByName("NOTIZ")->setAsString("Futter bestellen");
        n.dbn_notizblock->btnClick(Nav::Post);
        d.expectConfirm(platform::Answer::Nein, "Datensatz löschen?");
        n.dbn_notizblock->btnClick(Nav::Delete);
        QCOMPARE(f.sql("select count(*) from notizblock").toInt(), 1);
        d.expectConfirm(platform::Answer::Ja, "Datensatz löschen?");
        n.dbn_notizblock->btnClick(Nav::Delete);
        QCOMPARE(f.sql("select count(*) from notizblock").toInt(), 0);
        KYN_VERIFY_DIALOGS(d);
    }

    void masterDataLayout() {
        Fixture f;
        dm->ibt_systemdaten->open();
        Tfrm_stammdaten s(*dm);
        QCOMPARE(s.windowTitle(), QStringLiteral("Konfiguration Stammdaten"));
        QCOMPARE(s.size(), QSize(369, 246));
        const Qt::WindowFlags fl = s.windowFlags();
        QVERIFY(fl & Qt::WindowCloseButtonHint);
        QVERIFY(!(fl & Qt::WindowMinimizeButtonHint) && !(fl & Qt::WindowMaximizeButtonHint));
        QVERIFY(s.isModal());
        QCOMPARE(s.b_save->text(), QStringLiteral("Speichern"));
        QCOMPARE(s.b_abbruch->text(), QStringLiteral("Abbruch"));
        QVERIFY(s.b_save->x() < s.b_abbruch->x());
        QStringList labels;
        for (QLabel* l : s.findChildren<QLabel*>())
            if (!qobject_cast<widgets::DbText*>(l)) labels << l->text();
        for (const char* t : {"Firmenbezeichnung", "Strasse", "Plz", "Ort", "DB-Version:"})
            QVERIFY2(labels.contains(t), t);
        s.show();
        // "DB-Version:" shows the last upgrade step of the database.
        QCOMPARE(s.dbt_last_update->text(), QString::number(schema::currentVersion));
        QVERIFY(s.dbt_last_update->alignment() & Qt::AlignRight);
        QVERIFY(s.dbe_plz->width() < s.dbe_ort->width());
        QCOMPARE(s.dbe_plz->y(), s.dbe_ort->y());
    }

    void masterDataSaveAndCancel() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        dm->ibt_systemdaten->open();
        Tfrm_stammdaten s(*dm);
        auto value = [&] { return f.sql("select hundeschule from systemdaten").toString(); };
        const QString before = value();

        // "Speichern" without a change: closes, nothing pending, nothing written.
        s.show();
        QTest::mouseClick(s.b_save, Qt::LeftButton);
        QVERIFY(!s.isVisible());
        QCOMPARE(s.result(), int(QDialog::Accepted));
        QCOMPARE(dm->ibt_systemdaten->state(), db::DatasetState::Browse);
        QCOMPARE(value(), before);

        // "Abbruch" and the title bar's close button: the dialog closes and
        // the change is gone; the next opening shows the stored text, and
        // the end of the program (every pending edit posted) writes nothing.
        for (const bool titelleiste : {false, true}) {
            s.show();
            s.dbe_hundeschule->setFocus();
            s.dbe_hundeschule->selectAll();
            QTest::keyClicks(s.dbe_hundeschule, "Verworfen");
            QCOMPARE(dm->ibt_systemdaten->state(), db::DatasetState::Edit);
            if (titelleiste) QVERIFY(s.close());
            else QTest::mouseClick(s.b_abbruch, Qt::LeftButton);
            QVERIFY(!s.isVisible());
            QCOMPARE(s.result(), int(QDialog::Rejected));
            QCOMPARE(dm->ibt_systemdaten->state(), db::DatasetState::Browse);
            QCOMPARE(dm->ibt_systemdaten->fieldByName("HUNDESCHULE")->asString(), before);
            QVERIFY(dm->finishPendingEdits());
            QCOMPARE(value(), before);
            s.show();
            QCOMPARE(s.dbe_hundeschule->text(), before);
            s.hide();
        }

        // "Speichern" with the change: posted, closed.
        s.show();
        s.dbe_hundeschule->setFocus();
        s.dbe_hundeschule->selectAll();
        QTest::keyClicks(s.dbe_hundeschule, "Hundeschule Pfotenglueck");
        s.dbe_ort->setFocus();
        QTest::keyClicks(s.dbe_ort, "Marburg");
        QTest::mouseClick(s.b_save, Qt::LeftButton);
        QVERIFY(!s.isVisible());
        QCOMPARE(dm->ibt_systemdaten->state(), db::DatasetState::Browse);
        QCOMPARE(value(), QStringLiteral("Hundeschule Pfotenglueck"));
        QCOMPARE(f.sql("select ort from systemdaten").toString(), QStringLiteral("Marburg"));
        KYN_VERIFY_DIALOGS(d);
    }

    void masterDataOpensRowWhenClosed() {
        // A commit or rollback closed the row: the dialog opens it again.
        Fixture f;
        Tfrm_stammdaten s(*dm);
        QVERIFY(!dm->ibt_systemdaten->isActive());
        s.show();
        QVERIFY(dm->ibt_systemdaten->isActive());
        QCOMPARE(s.dbt_last_update->text(), QString::number(schema::currentVersion));
    }
};

KYN_TEST(TestKleineFenster)
#include "kleinefenster_test.moc"
