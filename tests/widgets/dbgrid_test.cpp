// The data grid over a real database: lazy rows, current row in both
// directions, cell editing, read-only and pick-list columns, new rows,
// deleting with confirmation.
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "db/error.h"
#include "db/field.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"
#include "widgets/dbgrid.h"
#include "widgettestutil.h"

using namespace widgets;

namespace {

QList<DbGridColumn> kundeColumns() {
    return {
        {.fieldName = "KNDNR", .title = "Knd-Nr", .readOnly = true},
        {.fieldName = "NAME", .title = "Name"},
        {.fieldName = "ANREDE", .title = "Anrede", .pickList = {"Frau", "Herr", "Familie"}},
        {.fieldName = "STATUS", .title = "Status", .pickList = {"Aktiv", "Beendet", "Storniert"}},
        {.fieldName = "BETRAG", .title = "Betrag"},
        {.fieldName = "KOMMENTAR", .title = "Kommentar", .ellipsisButton = true},
    };
}

void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

// Types as a user does: each key goes to the widget that has the focus (the
// grid, then the cell editor that the first key opened).
void type(const QString& text) {
    for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

QPoint cellCenter(DbGrid& g, int row, int col) {
    return g.visualRect(g.model()->index(row, col)).center();
}

}  // namespace

class DbGridTest : public QObject {
    Q_OBJECT
private slots:
    void lazyRows() {
        WidgetDb d;
        d.fillZeilen(5000);
        db::Table t(d.conn.get(), d.tr(), "ZEILE");
        t.setIndexFieldNames("NR");
        db::DataSource ds;
        ds.setDataset(&t);
        DbGrid g;
        g.setDataSource(&ds);
        g.resize(400, 300);
        t.open();
        QVERIFY(showActive(&g));
        settle();
        QVERIFY2(g.model()->rowCount() < 1000, qPrintable(QString::number(g.model()->rowCount())));
        QVERIFY(g.model()->canFetchMore(QModelIndex()));
        // Scrolling to the end of what is there fetches the next packet.
        const int before = g.model()->rowCount();
        g.scrollToBottom();
        settle();
        QVERIFY(g.model()->rowCount() > before);
        QVERIFY(g.model()->rowCount() < 5000);
        QCOMPARE(g.model()->index(before, 1).data().toString(), QString("Zeile %1").arg(before + 1));
        // Ctrl+End goes to the last row: everything is there then.
        g.setFocus();
        QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g.model()->rowCount(), 5000);
        QCOMPARE(t.recNo(), 4999);
        QCOMPARE(g.currentIndex().row(), 4999);
    }

    // After Ctrl+End the grid has every row; the rows between are read by
    // page as they come into view: the scroll bar to the middle reads the
    // rows shown there, not the rows before them.
    void endThenMiddle() {
        WidgetDb d;
        d.fillZeilen(5000);
        db::Table t(d.conn.get(), d.tr(), "ZEILE");
        t.setIndexFieldNames("NR");
        db::DataSource ds;
        ds.setDataset(&t);
        DbGrid g;
        g.setDataSource(&ds);
        g.resize(400, 300);
        t.open();
        QVERIFY(showActive(&g));
        settle();
        g.setFocus();
        QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
        settle();
        QCOMPARE(g.model()->rowCount(), 5000);
        QCOMPARE(g.model()->index(4999, 1).data().toString(), QString("Zeile 5000"));
        const int selects = t.selectCount();
        g.verticalScrollBar()->setValue(g.verticalScrollBar()->maximum() / 2);
        settle();
        g.viewport()->repaint();
        const int top = g.rowAt(0);
        QVERIFY2(top > 1000 && top < 4000, qPrintable(QString::number(top)));
        QCOMPARE(g.model()->index(top, 1).data().toString(), QString("Zeile %1").arg(top + 1));
        QVERIFY2(t.selectCount() - selects <= 3, qPrintable(QString::number(t.selectCount() - selects)));
        // Clicking a row there makes it current.
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellCenter(g, top + 1, 1));
        QCOMPARE(t.recNo(), top + 1);
        QCOMPARE(t.fieldByName("NR")->asInteger(), top + 2);
    }

    void defaultColumns() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.onFieldsCreated = [](db::Dataset* ds) {
            ds->fieldByName("KNDNR")->setDisplayLabel("Knd-Nr");
            ds->fieldByName("KNDNR")->setDisplayFormat("0000");
            ds->fieldByName("KOMMENTAR")->setVisible(false);
        };
        DbGrid g;
        g.setDataSource(&k.ds);
        QCOMPARE(g.model()->columnCount(), 0);
        k.table.open();
        QCOMPARE(g.model()->columnCount(), 7);
        QCOMPARE(g.model()->headerData(0, Qt::Horizontal).toString(), QString("Knd-Nr"));
        QCOMPARE(g.model()->headerData(1, Qt::Horizontal).toString(), QString("NAME"));
        QCOMPARE(g.model()->index(0, 0).data().toString(), QString("0001"));
        QCOMPARE(g.model()->index(0, 5).data().toString(), QString("12,5"));
        QCOMPARE(g.model()->index(0, 6).data().toString(), QString("05.12.2005"));
        QCOMPARE(g.model()->rowCount(), 3);
        k.table.close();
        QCOMPARE(g.model()->rowCount(), 0);
    }

    void currentRowBothWays() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        QCOMPARE(g.currentIndex().row(), 0);
        // The dataset moves the grid.
        k.table.next();
        QCOMPARE(g.currentIndex().row(), 1);
        k.table.last();
        QCOMPARE(g.currentIndex().row(), 2);
        // The grid moves the dataset: a click, the arrow keys.
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellCenter(g, 0, 1));
        QCOMPARE(k.table.recNo(), 0);
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Müller"));
        QTest::keyClick(&g, Qt::Key_Down);
        QCOMPARE(k.table.recNo(), 1);
        QCOMPARE(g.currentIndex().row(), 1);
        QTest::keyClick(&g, Qt::Key_Up);
        QCOMPARE(k.table.recNo(), 0);
        g.setCurrentIndex(g.model()->index(2, 1));
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Weber"));
        // Row indicator.
        QCOMPARE(g.model()->headerData(2, Qt::Vertical).toString(), QString(QChar(0x25B6)));
        QCOMPARE(g.model()->headerData(1, Qt::Vertical).toString(), QString());
    }

    void cellEditWritesField() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        g.setSelectedIndex(1);
        QCOMPARE(g.selectedFieldName(), QString("NAME"));
        QCOMPARE(g.selectedField(), k.table.fieldByName("NAME"));
        type("Meier");
        QVERIFY(g.cellEditor());
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        auto* editor = qobject_cast<QLineEdit*>(g.cellEditor());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("Meier"));
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Meier"));
        QCOMPARE(g.model()->index(0, 1).data().toString(), QString("Meier"));
        QCOMPARE(g.model()->headerData(0, Qt::Vertical).toString(), QString("I"));
        // Leaving the row posts it.
        QTest::keyClick(&g, Qt::Key_Down);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QCOMPARE(d.scalar("select name from kunde where kndnr = 1").toString(), QString("Meier"));
    }

    // An open editor's text goes into the field when the dataset posts.
    void postTakesOpenEditor() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        g.setSelectedIndex(1);
        type("Neumann");
        QVERIFY(g.cellEditor());
        k.table.post();
        QCOMPARE(d.scalar("select name from kunde where kndnr = 1").toString(), QString("Neumann"));
        // Moving with the mouse posts it too.
        QTest::keyClicks(g.cellEditor(), "x");
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellCenter(g, 2, 1));
        QCOMPARE(k.table.recNo(), 2);
        QCOMPARE(d.scalar("select name from kunde where kndnr = 1").toString(), QString("Neumannx"));
    }

    // A value the field refuses: the error box, the editor stays open with the
    // text as typed and the row stays in edit state.
    void cellEditErrorKeepsEditor() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        platform::ScopedScriptedDialogs dlg;
        dlg.expectError(QString::fromUtf8("'abc' ist kein gültiger Gleitkommawert"));
        g.setSelectedIndex(4);
        type("abc");
        QTest::keyClick(g.cellEditor(), Qt::Key_Return);
        settle();
        KYN_VERIFY_DIALOGS(dlg);
        auto* editor = qobject_cast<QLineEdit*>(g.cellEditor());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("abc"));
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        QCOMPARE(k.table.fieldByName("BETRAG")->asFloat(), 12.5);
        // Leaving the row is refused the same way.
        dlg.expectError(QString::fromUtf8("'abc' ist kein gültiger Gleitkommawert"));
        QTest::keyClick(editor, Qt::Key_Down);
        settle();
        KYN_VERIFY_DIALOGS(dlg);
        QCOMPARE(k.table.recNo(), 0);
        QCOMPARE(g.currentIndex().row(), 0);
        // Corrected, it goes through.
        editor = qobject_cast<QLineEdit*>(g.cellEditor());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "7,25");
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
        QCOMPARE(k.table.fieldByName("BETRAG")->asFloat(), 7.25);
        k.table.post();
        QCOMPARE(d.scalar("select betrag from kunde where kndnr = 1").toDouble(), 7.25);
    }

    // Enter commits through a queued call that carries the editor; when the
    // editor is gone before that call arrives, nothing is read from it.
    void queuedCommitAfterTheEditorIsGone() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        g.setSelectedIndex(4);
        type("3");
        QPointer<QWidget> editor = g.cellEditor();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Return);  // the commit is queued
        QTest::keyClick(editor, Qt::Key_Escape);  // the editor is released
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!editor);
        settle();  // the queued commit arrives now
        QVERIFY(!g.cellEditor());
        QCOMPARE(k.table.fieldByName("BETRAG")->asFloat(), 12.5);
    }

    void readOnlyColumn() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        const QModelIndex nr = g.model()->index(0, 0);
        QVERIFY(!(g.model()->flags(nr) & Qt::ItemIsEditable));
        QVERIFY(g.model()->flags(g.model()->index(0, 1)) & Qt::ItemIsEditable);
        QCOMPARE(nr.data(Qt::BackgroundRole).value<QColor>(), DatasetModel::readOnlyColor());
        QVERIFY(!g.model()->index(0, 1).data(Qt::BackgroundRole).isValid());
        g.setSelectedIndex(0);
        QTest::keyClicks(&g, "99");
        QVERIFY(!g.cellEditor());
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QVERIFY(!g.model()->setData(nr, "99"));
        // A field that is read-only for the user counts the same.
        k.table.fieldByName("NAME")->setReadOnly(true);
        QVERIFY(!(g.model()->flags(g.model()->index(0, 1)) & Qt::ItemIsEditable));
    }

    void pickListCutToFieldSize() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        g.setSelectedIndex(3);
        g.edit(g.currentIndex());
        QPointer<QComboBox> combo = qobject_cast<QComboBox*>(g.cellEditor());
        QVERIFY(combo);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentText(), QString("A"));
        // Down picks the first entry, which goes into the field at once.
        QTest::keyClick(combo, Qt::Key_Down);
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        QCOMPARE(k.table.fieldByName("STATUS")->asString(), QString("A"));
        QCOMPARE(combo->currentText(), QString("A"));
        // Chosen from the list.
        combo->showPopup();
        QTRY_VERIFY(combo->view()->isVisible());
        combo->view()->setCurrentIndex(combo->view()->model()->index(1, 0));
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QCOMPARE(k.table.fieldByName("STATUS")->asString(), QString("B"));
        QCOMPARE(g.model()->index(0, 3).data().toString(), QString("B"));
        settle();
        // Typed freely and confirmed with Enter.
        if (!g.cellEditor()) g.edit(g.currentIndex());
        combo = qobject_cast<QComboBox*>(g.cellEditor());
        QVERIFY(combo);
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo, "Storniert");
        QTest::keyClick(combo, Qt::Key_Return);
        settle();
        QCOMPARE(k.table.fieldByName("STATUS")->asString(), QString("S"));
        k.table.post();
        QCOMPARE(d.scalar("select status from kunde where kndnr = 1").toString(), QString("S"));
    }

    void ellipsisButton() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        QSignalSpy spy(&g, &DbGrid::editButtonClicked);
        connect(&g, &DbGrid::editButtonClicked, this, [&](int col) {
            QCOMPARE(g.columns()[col].fieldName, QString("KOMMENTAR"));
            k.table.edit();
            k.table.fieldByName("KOMMENTAR")->setAsString("/home/kynovia/brief.doc");
        });
        g.setSelectedIndex(5);
        g.edit(g.currentIndex());
        auto* editor = qobject_cast<QLineEdit*>(g.cellEditor());
        QVERIFY(editor);
        const QList<QAction*> actions = editor->actions();
        QCOMPARE(actions.size(), 1);
        actions.first()->trigger();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toInt(), 5);
        QCOMPARE(editor->text(), QString("/home/kynovia/brief.doc"));
        // Ctrl+Enter is the keyboard's way to the button.
        QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(spy.count(), 2);
        // Without an editor too.
        QTest::keyClick(editor, Qt::Key_Escape);
        settle();
        QVERIFY(!g.cellEditor());
        QTest::keyClick(&g, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(spy.count(), 3);
    }

    void newRows() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        int nextNr = 10;
        k.table.afterInsert = [&](db::Dataset* ds) { ds->fieldByName("KNDNR")->setAsInteger(nextNr++); };
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        g.setSelectedIndex(1);
        k.table.last();
        // Down below the last row appends.
        QTest::keyClick(&g, Qt::Key_Down);
        QCOMPARE(k.table.state(), db::DatasetState::Insert);
        QCOMPARE(g.model()->rowCount(), 4);
        QCOMPARE(g.currentIndex().row(), 3);
        QCOMPARE(g.model()->headerData(3, Qt::Vertical).toString(), QString("*"));
        // Down again on the untouched new row does nothing; Up drops it.
        QTest::keyClick(&g, Qt::Key_Down);
        QCOMPARE(g.model()->rowCount(), 4);
        QTest::keyClick(&g, Qt::Key_Up);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QCOMPARE(g.model()->rowCount(), 3);
        QCOMPARE(k.table.recNo(), 2);
        // Insert puts a new row at the current position; typed, it is posted
        // when the user moves on.
        QTest::keyClick(&g, Qt::Key_Up);
        QTest::keyClick(&g, Qt::Key_Insert);
        QCOMPARE(k.table.state(), db::DatasetState::Insert);
        QCOMPARE(g.currentIndex().row(), 1);
        QCOMPARE(g.model()->index(2, 1).data().toString(), QString("Schmidt"));
        type("Neu");
        QTest::keyClick(g.cellEditor(), Qt::Key_Return);
        settle();
        QTest::keyClick(&g, Qt::Key_Down);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QCOMPARE(d.scalar("select name from kunde where kndnr = 11").toString(), QString("Neu"));
        // Esc cancels an insert.
        QTest::keyClick(&g, Qt::Key_Insert);
        QCOMPARE(k.table.state(), db::DatasetState::Insert);
        QTest::keyClick(&g, Qt::Key_Escape);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QCOMPARE(g.model()->rowCount(), 4);
        // Switched off: no new rows.
        g.setAutoAppend(false);
        k.table.last();
        QTest::keyClick(&g, Qt::Key_Down);
        QTest::keyClick(&g, Qt::Key_Insert);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QCOMPARE(g.model()->rowCount(), 4);
    }

    void deleteAsks() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        platform::ScopedScriptedDialogs dlg;
        widgets::setConfirmHandler([](const QString& text) {
            return platform::dialogs().confirm(text) == platform::Answer::Ja;
        });
        auto reset = qScopeGuard([] { widgets::setConfirmHandler({}); });
        dlg.expectConfirm(platform::Answer::Nein, QString::fromUtf8("Datensatz löschen?"));
        QTest::keyClick(&g, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(d.scalar("select count(*) from kunde").toInt(), 3);
        dlg.expectConfirm(platform::Answer::Ja, QString::fromUtf8("Datensatz löschen?"));
        QTest::keyClick(&g, Qt::Key_Delete, Qt::ControlModifier);
        KYN_VERIFY_DIALOGS(dlg);
        QCOMPARE(d.scalar("select count(*) from kunde").toInt(), 2);
        QCOMPARE(g.model()->rowCount(), 2);
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Schmidt"));
        QCOMPARE(g.currentIndex().row(), 0);
        // A read-only grid deletes nothing.
        g.setReadOnly(true);
        QTest::keyClick(&g, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(d.scalar("select count(*) from kunde").toInt(), 2);
    }

    void readOnlyRowSelectGrid() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setDataSource(&k.ds);
        g.setReadOnly(true);
        g.setRowSelect(true);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        QSignalSpy dbl(&g, &DbGrid::rowDoubleClicked);
        QCOMPARE(g.selectionModel()->selectedRows().size(), 1);
        QTest::keyClicks(&g, "x");
        QVERIFY(!g.cellEditor());
        k.table.last();
        QTest::keyClick(&g, Qt::Key_Down);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QCOMPARE(g.model()->rowCount(), 3);
        QCOMPARE(g.selectionModel()->selectedRows().first().row(), 2);
        QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, cellCenter(g, 1, 1));
        QCOMPARE(dbl.count(), 1);
        QCOMPARE(k.table.recNo(), 1);
        QVERIFY(!g.cellEditor());
    }

    // Window key handlers see the keys of the grid and of its cell editor.
    void keyHooks() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        DbGrid g;
        g.setColumns(kundeColumns());
        g.setDataSource(&k.ds);
        g.resize(600, 300);
        QVERIFY(showActive(&g));
        int plus = 0;
        g.onKeyPress = [&](QChar& ch) {
            if (g.selectedFieldName() != "BETRAG") return;
            if (ch == QLatin1Char(',')) ch = QLatin1Char('.');
            if (ch == QLatin1Char('+')) {
                ++plus;
                ch = QChar();
            }
        };
        g.setSelectedIndex(4);
        QTest::keyClick(&g, Qt::Key_Plus);
        QCOMPARE(plus, 1);
        QVERIFY(!g.cellEditor());
        type("3,5");
        QVERIFY(g.cellEditor());
        QCOMPARE(qobject_cast<QLineEdit*>(g.cellEditor())->text(), QString("3.5"));
        QTest::keyClick(g.cellEditor(), Qt::Key_Plus);
        QCOMPARE(plus, 2);
        QTest::keyClick(g.cellEditor(), Qt::Key_Return);
        settle();
        QCOMPARE(k.table.fieldByName("BETRAG")->asFloat(), 3.5);
    }
};

KYN_TEST(DbGridTest)
#include "dbgrid_test.moc"
