// The record navigator: buttons follow the dataset, actions, hints, delete
// confirmation, errors.
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "db/error.h"
#include "db/field.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"
#include "widgets/dbnavigator.h"
#include "widgettestutil.h"

using namespace widgets;
using B = DbNavigator::Button;

namespace {

// The enabled buttons as a string of letters in button order:
// F first, P prior, N next, L last, I insert, D delete, E edit, S post,
// C cancel, R refresh; "-" for a disabled button.
QString enabled(const DbNavigator& n) {
    const char letters[] = "FPNLIDESCR";
    QString out;
    for (int i = 0; i < 10; ++i) out += n.button(B(1 << i))->isEnabled() ? QChar(letters[i]) : QChar('-');
    return out;
}

}  // namespace

class NavigatorTest : public QObject {
    Q_OBJECT
private slots:
    void buttonsFollowState() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        DbNavigator n;
        n.setDataSource(&k.ds);
        QCOMPARE(enabled(n), QString("----------"));
        k.table.open();
        QCOMPARE(enabled(n), QString("--NLIDE--R"));
        k.table.next();
        QCOMPARE(enabled(n), QString("FPNLIDE--R"));
        k.table.last();
        QCOMPARE(enabled(n), QString("FP--IDE--R"));
        k.table.edit();
        QCOMPARE(enabled(n), QString("FP--ID-SCR"));
        k.table.cancel();
        k.table.first();
        QCOMPARE(enabled(n), QString("--NLIDE--R"));
        k.table.append();
        QCOMPARE(enabled(n), QString("FP--ID-SCR"));
        k.table.cancel();
        k.table.close();
        QCOMPARE(enabled(n), QString("----------"));
        // An empty dataset: nothing to move to or delete.
        d.exec("delete from kunde");
        k.table.open();
        QCOMPARE(enabled(n), QString("----I-E--R"));
    }

    void buttonsAct() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        int nextNr = 10;
        k.table.afterInsert = [&](db::Dataset* ds) { ds->fieldByName("KNDNR")->setAsInteger(nextNr++); };
        k.table.open();
        DbNavigator n;
        n.setDataSource(&k.ds);
        QSignalSpy clicked(&n, &DbNavigator::clicked);
        n.show();
        QTest::mouseClick(n.button(DbNavigator::Last), Qt::LeftButton);
        QCOMPARE(k.table.recNo(), 2);
        QTest::mouseClick(n.button(DbNavigator::Prior), Qt::LeftButton);
        QCOMPARE(k.table.recNo(), 1);
        QTest::mouseClick(n.button(DbNavigator::First), Qt::LeftButton);
        QCOMPARE(k.table.recNo(), 0);
        QTest::mouseClick(n.button(DbNavigator::Next), Qt::LeftButton);
        QCOMPARE(k.table.recNo(), 1);
        QCOMPARE(clicked.count(), 4);
        QCOMPARE(clicked.last().first().value<DbNavigator::Button>(), DbNavigator::Next);
        QTest::mouseClick(n.button(DbNavigator::Edit), Qt::LeftButton);
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        k.table.fieldByName("NAME")->setAsString("Schulze");
        QTest::mouseClick(n.button(DbNavigator::Post), Qt::LeftButton);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QCOMPARE(d.scalar("select name from kunde where kndnr = 2").toString(), QString("Schulze"));
        QTest::mouseClick(n.button(DbNavigator::Insert), Qt::LeftButton);
        QCOMPARE(k.table.state(), db::DatasetState::Insert);
        QCOMPARE(k.table.recNo(), 1);
        QTest::mouseClick(n.button(DbNavigator::Cancel), Qt::LeftButton);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QCOMPARE(k.table.recordCount(), 3);
        d.exec("insert into kunde (kndnr, name) values (4, \"Zander\")");
        QTest::mouseClick(n.button(DbNavigator::Refresh), Qt::LeftButton);
        QCOMPARE(k.table.recordCount(), 4);
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Schulze"));
        // A disabled button does nothing.
        k.table.first();
        n.btnClick(DbNavigator::Prior);
        QCOMPARE(k.table.recNo(), 0);
    }

    void deleteAsksFirst() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbNavigator n;
        n.setDataSource(&k.ds);
        QStringList asked;
        bool answer = false;
        n.confirmDelete = [&](const QString& text) {
            asked << text;
            return answer;
        };
        n.btnClick(DbNavigator::Delete);
        QCOMPARE(asked, QStringList{QString::fromUtf8("Datensatz löschen?")});
        QCOMPARE(d.scalar("select count(*) from kunde").toInt(), 3);
        answer = true;
        n.btnClick(DbNavigator::Delete);
        QCOMPARE(d.scalar("select count(*) from kunde").toInt(), 2);
        QCOMPARE(d.scalar("select count(*) from kunde where kndnr = 1").toInt(), 0);
        // Without confirmation.
        n.setConfirmDelete(false);
        n.btnClick(DbNavigator::Delete);
        QCOMPARE(asked.size(), 2);
        QCOMPARE(d.scalar("select count(*) from kunde").toInt(), 1);
        // The program-wide question, as the program installs it.
        platform::ScopedScriptedDialogs dlg;
        widgets::setConfirmHandler([](const QString& text) {
            return platform::dialogs().confirm(text) == platform::Answer::Ja;
        });
        auto reset = qScopeGuard([] { widgets::setConfirmHandler({}); });
        DbNavigator plain;
        plain.setDataSource(&k.ds);
        dlg.expectConfirm(platform::Answer::Nein, QString::fromUtf8("Datensatz löschen?"));
        plain.btnClick(DbNavigator::Delete);
        KYN_VERIFY_DIALOGS(dlg);
        QCOMPARE(d.scalar("select count(*) from kunde").toInt(), 1);
    }

    // A failing action reaches the application's error box; the dataset
    // keeps its pending state.
    void errorReachesErrorBox() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbNavigator n;
        n.setDataSource(&k.ds);
        n.show();
        k.table.append();
        k.table.fieldByName("NAME")->setAsString("Ohne Nummer");
        platform::ScopedScriptedDialogs dlg;
        dlg.expectError();
        QTest::mouseClick(n.button(DbNavigator::Post), Qt::LeftButton);
        KYN_VERIFY_DIALOGS(dlg);
        QVERIFY2(dlg.lastText().contains("KNDNR"), qPrintable(dlg.lastText()));
        QCOMPARE(k.table.state(), db::DatasetState::Insert);
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Ohne Nummer"));
        // beforeAction can stop an action silently.
        n.beforeAction = [](DbNavigator::Button b) {
            if (b == DbNavigator::Cancel) throw db::Abort();
        };
        QTest::mouseClick(n.button(DbNavigator::Cancel), Qt::LeftButton);
        QCOMPARE(k.table.state(), db::DatasetState::Insert);
        KYN_VERIFY_DIALOGS(dlg);
    }

    void hints() {
        DbNavigator n;
        QCOMPARE(n.button(DbNavigator::First)->statusTip(), QString("Erster Datensatz"));
        QCOMPARE(n.button(DbNavigator::Next)->toolTip(), QString::fromUtf8("Nächster Datensatz"));
        QCOMPARE(n.button(DbNavigator::Insert)->statusTip(), QString::fromUtf8("Datensatz einfügen"));
        QCOMPARE(n.button(DbNavigator::Delete)->statusTip(), QString::fromUtf8("Datensatz löschen"));
        QCOMPARE(n.button(DbNavigator::Post)->statusTip(), QString::fromUtf8("Übernehmen"));
        QCOMPARE(n.button(DbNavigator::Cancel)->statusTip(), QString("Bearbeiten abbrechen"));
        QCOMPARE(n.button(DbNavigator::Refresh)->statusTip(), QString("Aktualisieren"));
        // The window's own list, odd spellings kept; entries beyond it stay.
        n.setHints({"Erster Vorlage", "Vorheriger Vorlage", "Nächster Vorlage", "Letzter Vorlage",
                    "Vorlage einfügen", "Vorlagel öschen"});
        QCOMPARE(n.button(DbNavigator::Delete)->statusTip(), QString("Vorlagel öschen"));
        QCOMPARE(n.button(DbNavigator::First)->toolTip(), QString("Erster Vorlage"));
        QCOMPARE(n.button(DbNavigator::Post)->statusTip(), QString::fromUtf8("Übernehmen"));
        n.setHint(DbNavigator::Post, QString::fromUtf8("Änderungen übernehmen"));
        QCOMPARE(n.button(DbNavigator::Post)->statusTip(), QString::fromUtf8("Änderungen übernehmen"));
        // "kurz|lang"; without shown hints only the status bar gets them.
        n.setHint(DbNavigator::Edit, "Bearbeiten|Den Datensatz bearbeiten");
        QCOMPARE(n.button(DbNavigator::Edit)->toolTip(), QString("Bearbeiten"));
        QCOMPARE(n.button(DbNavigator::Edit)->statusTip(), QString("Den Datensatz bearbeiten"));
        n.setShowHints(false);
        QCOMPARE(n.button(DbNavigator::Edit)->toolTip(), QString());
        QCOMPARE(n.button(DbNavigator::Edit)->statusTip(), QString("Den Datensatz bearbeiten"));
    }

    void visibleButtons() {
        DbNavigator n;
        n.setVisibleButtons(DbNavigator::EditButtons);
        n.show();
        QVERIFY(n.button(DbNavigator::First)->isVisible());
        QVERIFY(n.button(DbNavigator::Cancel)->isVisible());
        QVERIFY(!n.button(DbNavigator::Edit)->isVisible());
        QVERIFY(!n.button(DbNavigator::Refresh)->isVisible());
        n.setVisibleButtons(DbNavigator::MoveButtons);
        QVERIFY(n.button(DbNavigator::Last)->isVisible());
        QVERIFY(!n.button(DbNavigator::Insert)->isVisible());
        QCOMPARE(n.visibleButtons(), DbNavigator::MoveButtons);
    }
};

KYN_TEST(NavigatorTest)
#include "navigator_test.moc"
