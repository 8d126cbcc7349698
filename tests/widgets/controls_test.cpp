// Bound edit, memo, check box, combo box and label against a real database.
#include <QAbstractItemView>
#include <QClipboard>
#include <QCompleter>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "db/error.h"
#include "db/field.h"
#include "platform/scripteddialogs.h"
#include "testregistry.h"
#include "widgets/dbcheckbox.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbmemo.h"
#include "widgets/dbtext.h"
#include "widgettestutil.h"

using namespace widgets;

namespace {

// A window with one control under test and a plain edit to move the focus to.
template <class Control>
struct Form {
    QWidget window;
    Control* control;
    QLineEdit* other;
    Form() {
        auto* l = new QVBoxLayout(&window);
        control = new Control(&window);
        other = new QLineEdit(&window);
        l->addWidget(control);
        l->addWidget(other);
        window.resize(300, 200);
    }
};

}  // namespace

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void editTypingEditsAndLeavingWrites() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbEdit> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("NAME");
        QVERIFY(showActive(&f.window));
        QCOMPARE(f.control->text(), QString("Müller"));
        QCOMPARE(f.control->maxLength(), 20);
        f.control->setFocus();
        f.control->selectAll();
        QTest::keyClicks(f.control, "Meier");
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        QVERIFY(f.control->isModified());
        // Not in the field before the control is left.
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Müller"));
        f.other->setFocus();
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Meier"));
        QVERIFY(!f.control->isModified());
        k.table.post();
        QCOMPARE(d.scalar("select name from kunde where kndnr = 1").toString(), QString("Meier"));
    }

    void editPostWritesPendingText() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbEdit> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("NAME");
        QVERIFY(showActive(&f.window));
        f.control->setFocus();
        f.control->end(false);
        // No more than the column's 20 characters can be typed.
        QTest::keyClicks(f.control, "-Meier-Schulzenberg");
        QCOMPARE(f.control->text(), QString("Müller-Meier-Schulze"));
        // The post asks the controls first.
        k.table.post();
        QCOMPARE(d.scalar("select name from kunde where kndnr = 1").toString(), QString("Müller-Meier-Schulze"));
        QCOMPARE(f.control->text(), QString("Müller-Meier-Schulze"));
    }

    void editOnEmptyDatasetAppends() {
        WidgetDb d;
        KundeSet k(d);
        k.table.open();
        Form<DbEdit> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("NAME");
        QVERIFY(showActive(&f.window));
        f.control->setFocus();
        QTest::keyClicks(f.control, "Neu");
        QCOMPARE(k.table.state(), db::DatasetState::Insert);
        QCOMPARE(f.control->text(), QString("Neu"));
        f.other->setFocus();
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Neu"));
    }

    void editReadOnly_data() {
        QTest::addColumn<bool>("fieldReadOnly");
        QTest::addColumn<bool>("controlReadOnly");
        QTest::newRow("field read-only") << true << false;
        QTest::newRow("control read-only") << false << true;
    }
    void editReadOnly() {
        QFETCH(bool, fieldReadOnly);
        QFETCH(bool, controlReadOnly);
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.onFieldsCreated = [&](db::Dataset* ds) {
            ds->fieldByName("KNDNR")->setReadOnly(fieldReadOnly);
            ds->fieldByName("KNDNR")->setDisplayFormat("0000");
        };
        k.table.open();
        Form<DbEdit> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("KNDNR");
        f.control->setReadOnly(controlReadOnly);
        QVERIFY(showActive(&f.window));
        f.other->setFocus();
        QCOMPARE(f.control->text(), QString("0001"));
        f.control->setFocus();
        QTest::keyClicks(f.control, "99");
        QTest::keyClick(f.control, Qt::Key_Backspace);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        f.other->setFocus();
        QCOMPARE(k.table.fieldByName("KNDNR")->asInteger(), 1);
        QCOMPARE(f.control->text(), QString("0001"));
    }

    void editDisplayAndEditText() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.onFieldsCreated = [](db::Dataset* ds) {
            ds->fieldByName("GEBOREN")->setDisplayFormat("dddd, dd.mm.yyyy");
        };
        k.table.open();
        Form<DbEdit> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("GEBOREN");
        QVERIFY(showActive(&f.window));
        f.other->setFocus();
        QCOMPARE(f.control->text(), QString("Montag, 05.12.2005"));
        f.control->setFocus();
        QCOMPARE(f.control->text(), QString("05.12.2005"));
        f.other->setFocus();
        QCOMPARE(f.control->text(), QString("Montag, 05.12.2005"));
    }

    // A text the field cannot take: the error box, the focus stays in the
    // control and the text as typed; correcting it then goes through.
    void editConvertErrorKeepsText() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbEdit> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("BETRAG");
        QVERIFY(showActive(&f.window));
        platform::ScopedScriptedDialogs dlg;
        dlg.expectError(QString::fromUtf8("'12,5x' ist kein gültiger Gleitkommawert"));
        f.control->setFocus();
        f.control->end(false);
        QTest::keyClicks(f.control, "x");
        f.other->setFocus();
        KYN_VERIFY_DIALOGS(dlg);
        QVERIFY(f.control->hasFocus());
        QCOMPARE(f.control->text(), QString("12,5x"));
        QVERIFY(f.control->isModified());
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        QCOMPARE(k.table.fieldByName("BETRAG")->asFloat(), 12.5);
        // A post fails the same way and keeps everything.
        QVERIFY_THROWS_EXCEPTION(db::ConvertError, k.table.post());
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        QCOMPARE(f.control->text(), QString("12,5x"));
        f.control->end(false);
        QTest::keyClick(f.control, Qt::Key_Backspace);
        QTest::keyClicks(f.control, "0");
        f.other->setFocus();
        QCOMPARE(k.table.fieldByName("BETRAG")->asFloat(), 12.5);
        QCOMPARE(f.control->text(), QString("12,5"));
        QCOMPARE(k.table.fieldByName("BETRAG")->asString(), QString("12,5"));
    }

    void editEscapeRestores() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbEdit> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("NAME");
        QVERIFY(showActive(&f.window));
        f.control->setFocus();
        QTest::keyClicks(f.control, "xyz");
        QTest::keyClick(f.control, Qt::Key_Escape);
        QCOMPARE(f.control->text(), QString("Müller"));
        QVERIFY(!f.control->isModified());
    }

    // The field is looked up again when the dataset is opened anew, also when
    // a query's new text brings new fields.
    void editFollowsReopenedDataset() {
        WidgetDb d;
        d.fillKunden();
        db::Query q(d.conn.get(), d.tr());
        db::DataSource ds;
        ds.setDataset(&q);
        q.setSql({"select kndnr, name from kunde where kndnr = 2"});
        q.open();
        DbEdit e;
        e.setDataSource(&ds);
        e.setDataField("NAME");
        QCOMPARE(e.text(), QString("Schmidt"));
        q.close();
        QCOMPARE(e.text(), QString());
        QVERIFY(e.QLineEdit::isReadOnly());
        q.setSql({"select name, anrede from kunde where kndnr = 3"});
        q.open();
        QCOMPARE(e.text(), QString("Weber"));
        QCOMPARE(e.field(), q.fieldByName("NAME"));
    }

    void memoLimit() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbMemo> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("KOMMENTAR");
        QCOMPARE(f.control->effectiveMaxLength(), 500);
        f.control->setMaxLength(10);
        QVERIFY(showActive(&f.window));
        f.control->setFocus();
        QTest::keyClicks(f.control, "Hallo Welt, wie geht es?");
        QCOMPARE(f.control->toPlainText(), QString("Hallo Welt"));
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        // Pasting takes only what still fits.
        QTest::keyClick(f.control, Qt::Key_Backspace);
        QTest::keyClick(f.control, Qt::Key_Backspace);
        QApplication::clipboard()->setText("ABCDEFG");
        QTest::keyClick(f.control, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.control->toPlainText(), QString("Hallo WeAB"));
        // Enter is a line break, which counts as a character.
        f.control->setPlainText(QString());
        QTest::keyClicks(f.control, "abc");
        QTest::keyClick(f.control, Qt::Key_Return);
        QTest::keyClicks(f.control, "defghijk");
        QCOMPARE(f.control->toPlainText(), QString("abc\ndefghi"));
        f.other->setFocus();
        QCOMPARE(k.table.fieldByName("KOMMENTAR")->asString(), QString("abc\ndefghi"));
        // Tab moves on unless the memo wants tabs.
        f.control->setFocus();
        QTest::keyClick(f.control, Qt::Key_Tab);
        QVERIFY(!f.control->hasFocus());
    }

    void memoWantTabs() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbMemo> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("KOMMENTAR");
        f.control->setWantTabs(true);
        QVERIFY(showActive(&f.window));
        f.control->setFocus();
        QTest::keyClicks(f.control, "a");
        QTest::keyClick(f.control, Qt::Key_Tab);
        QTest::keyClicks(f.control, "b");
        QVERIFY(f.control->hasFocus());
        k.table.post();
        QCOMPARE(d.scalar("select kommentar from kunde where kndnr = 1").toString(), QString("a\tb"));
    }

    void checkBoxShowsValue_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("state");
        QTest::newRow("J") << QVariant("J") << int(Qt::Checked);
        QTest::newRow("j") << QVariant("j") << int(Qt::Checked);
        QTest::newRow("N") << QVariant("N") << int(Qt::Unchecked);
        QTest::newRow("n") << QVariant("n") << int(Qt::Unchecked);
        QTest::newRow("null") << QVariant() << int(Qt::PartiallyChecked);
        QTest::newRow("empty") << QVariant("") << int(Qt::PartiallyChecked);
        QTest::newRow("other") << QVariant("X") << int(Qt::PartiallyChecked);
    }
    void checkBoxShowsValue() {
        QFETCH(QVariant, value);
        QFETCH(int, state);
        WidgetDb d;
        d.exec("insert into kunde (kndnr) values (1)");
        db::Statement s(d.conn.get(), d.tr());
        s.prepare("update kunde set impfung = ? where kndnr = 1");
        s.setParam(0, value);
        s.execute();
        KundeSet k(d);
        k.table.open();
        DbCheckBox c("Impfungen:");
        c.setDataSource(&k.ds);
        c.setDataField("IMPFUNG");
        QCOMPARE(int(c.checkState()), state);
    }

    // Clicks: a greyed box ticks, then the values alternate; the dataset
    // goes into edit state first.
    void checkBoxClicks() {
        WidgetDb d;
        d.exec("insert into kunde (kndnr) values (1)");
        KundeSet k(d);
        k.table.open();
        Form<DbCheckBox> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("IMPFUNG");
        f.control->setValueUnchecked("n");
        QVERIFY(showActive(&f.window));
        QCOMPARE(f.control->checkState(), Qt::PartiallyChecked);
        const QPoint box(8, f.control->height() / 2);
        QTest::mouseClick(f.control, Qt::LeftButton, {}, box);
        QCOMPARE(f.control->checkState(), Qt::Checked);
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        QCOMPARE(k.table.fieldByName("IMPFUNG")->asString(), QString("J"));
        QTest::mouseClick(f.control, Qt::LeftButton, {}, box);
        QCOMPARE(f.control->checkState(), Qt::Unchecked);
        QCOMPARE(k.table.fieldByName("IMPFUNG")->asString(), QString("n"));
        f.control->setFocus();
        QTest::keyClick(f.control, Qt::Key_Space);
        QCOMPARE(k.table.fieldByName("IMPFUNG")->asString(), QString("J"));
        k.table.post();
        QCOMPARE(d.scalar("select impfung from kunde").toString(), QString("J"));
        // Read-only: a click changes nothing.
        f.control->setReadOnly(true);
        QTest::mouseClick(f.control, Qt::LeftButton, {}, box);
        QCOMPARE(f.control->checkState(), Qt::Checked);
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
    }

    // An item chosen from the list goes into the field at once, cut to the
    // column's size; the box then shows what the field holds.
    void comboChoiceCutToFieldSize() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbComboBox> f;
        f.control->setItems({"Aktiv", "Beendet", "Storniert", "Pausiert"});
        f.control->setDataSource(&k.ds);
        f.control->setDataField("STATUS");
        QVERIFY(showActive(&f.window));
        // "A" is none of the items, and shown all the same.
        QCOMPARE(f.control->currentText(), QString("A"));
        f.control->showPopup();
        QAbstractItemView* view = f.control->view();
        QTRY_VERIFY(view->isVisible());
        const QModelIndex beendet = view->model()->index(1, 0);
        view->setCurrentIndex(beendet);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        QCOMPARE(k.table.fieldByName("STATUS")->asString(), QString("B"));
        QCOMPARE(f.control->currentText(), QString("B"));
        k.table.post();
        QCOMPARE(d.scalar("select status from kunde where kndnr = 1").toString(), QString("B"));
    }

    // The wheel over a box the user only scrolls past moves the page and
    // leaves the record alone; in the box that has the focus it steps
    // through the items as usual.
    void comboWheelChangesOnlyWithFocus() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        QScrollArea area;
        auto* seite = new QWidget;
        auto* l = new QVBoxLayout(seite);
        auto* other = new QLineEdit(seite);
        auto* box = new DbComboBox(seite);
        l->addWidget(other);
        l->addWidget(box);
        l->addSpacing(2000);
        area.setWidget(seite);
        area.resize(300, 300);
        box->setItems({"Frau", "Herr", "Familie"});
        box->setDataSource(&k.ds);
        box->setDataField("ANREDE");
        QVERIFY(showActive(&area));
        other->setFocus();
        // Whether the box kept the wheel for itself (an ignored one goes on to
        // the scroll area).
        const auto rad = [&] {
            const QPointF p = box->rect().center();
            QWheelEvent e(p, box->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
            QApplication::sendEvent(box, &e);
            return e.isAccepted();
        };
        QVERIFY(!rad());
        QCOMPARE(box->currentText(), QString("Frau"));
        QCOMPARE(k.table.state(), db::DatasetState::Browse);
        QCOMPARE(k.table.fieldByName("ANREDE")->asString(), QString("Frau"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(other));

        box->setFocus();
        QVERIFY(rad());
        QCOMPARE(box->currentText(), QString("Herr"));
        QCOMPARE(k.table.fieldByName("ANREDE")->asString(), QString("Herr"));
    }

    // Typing drops the list down; the keyboard stays in the box.
    void comboTypingDropsDown() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbComboBox> f;
        f.control->setItems({"Frau", "Herr", "Familie"});
        f.control->setDataSource(&k.ds);
        f.control->setDataField("ANREDE");
        QVERIFY(showActive(&f.window));
        QCOMPARE(f.control->currentText(), QString("Frau"));
        f.control->setFocus();
        f.control->lineEdit()->selectAll();
        QTest::keyClicks(f.control, "He");
        QCOMPARE(k.table.state(), db::DatasetState::Edit);
        QAbstractItemView* list = f.control->typingList()->popup();
        QVERIFY(list->isVisible());
        QCOMPARE(f.control->currentText(), QString("He"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.control));
        // More keys as the list hands them on: they reach the box's edit.
        QTest::keyClicks(list, "rr");
        QCOMPARE(f.control->currentText(), QString("Herr"));
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!list->isVisible());
        QCOMPARE(f.control->currentText(), QString("Herr"));
        f.other->setFocus();
        QCOMPARE(k.table.fieldByName("ANREDE")->asString(), QString("Herr"));
        // Free text is kept.
        f.control->setFocus();
        f.control->lineEdit()->selectAll();
        QTest::keyClicks(f.control, "Dr.");
        if (list->isVisible()) QTest::keyClick(list, Qt::Key_Escape);
        f.other->setFocus();
        QCOMPARE(k.table.fieldByName("ANREDE")->asString(), QString("Dr."));
    }

    // A click on the next edit while the list shown while typing is open
    // closes the list and puts the focus there: what the user types next
    // goes into the edit clicked, not on into the box.
    void comboClickElsewhereClosesListAndFocuses() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbComboBox> f;
        f.control->setItems({"Frau", "Herr", "Familie"});
        f.control->setDataSource(&k.ds);
        f.control->setDataField("ANREDE");
        QVERIFY(showActive(&f.window));
        f.control->setFocus();
        f.control->lineEdit()->selectAll();
        QTest::keyClicks(f.control, "He");
        QAbstractItemView* list = f.control->typingList()->popup();
        QVERIFY(list->isVisible());
        // Clicks go to the open popup, wherever they are.
        const QPoint bei = list->mapFromGlobal(f.other->mapToGlobal(f.other->rect().center()));
        QTest::mousePress(list, Qt::LeftButton, {}, bei);
        QVERIFY(!list->isVisible());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.other));
        QCOMPARE(k.table.fieldByName("ANREDE")->asString(), QString("He"));
        QTest::keyClicks(f.other, "Anna");
        QCOMPARE(f.other->text(), QString("Anna"));
        QCOMPARE(f.control->currentText(), QString("He"));
    }

    // Enter on the list shown while typing takes the highlighted entry whole,
    // and the window's Enter rule (next control) still applies; the list is
    // as wide as its longest entry, also under a narrow box.
    void comboEnterTakesHighlightedEntry() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbComboBox> f;
        f.control->setItems({"Beagle", "Labrador Retriever", "Lhasa Apso"});
        f.control->setDataSource(&k.ds);
        f.control->setDataField("NAME");
        f.control->setFixedWidth(60);
        f.control->onKeyDown = [&](int& key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_Return || key == Qt::Key_Enter) f.other->setFocus();
        };
        f.control->onKeyPress = [](QChar& ch) {
            if (ch == QLatin1Char('\r')) ch = QChar();
        };
        QVERIFY(showActive(&f.window));
        f.control->setFocus();
        f.control->lineEdit()->selectAll();
        QTest::keyClicks(f.control, "Lab");
        QAbstractItemView* list = f.control->typingList()->popup();
        QVERIFY(list->isVisible());
        QCOMPARE(list->currentIndex().data().toString(), QString("Labrador Retriever"));
        QVERIFY(list->width() >= list->fontMetrics().horizontalAdvance("Labrador Retriever"));
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!list->isVisible());
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Labrador Retriever"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.other));
        // Without a highlighted entry the typed text stays as it is.
        f.control->setFocus();
        f.control->lineEdit()->selectAll();
        QTest::keyClicks(f.control, "Pudel");
        if (list->isVisible()) QTest::keyClick(list, Qt::Key_Return);
        else QTest::keyClick(f.control, Qt::Key_Return);
        QCOMPARE(k.table.fieldByName("NAME")->asString(), QString("Pudel"));
        // The box's own list is as wide as its longest entry as well.
        f.control->showPopup();
        QTRY_VERIFY(f.control->view()->isVisible());
        QVERIFY(f.control->view()->width() >=
                f.control->view()->fontMetrics().horizontalAdvance("Labrador Retriever"));
        f.control->hidePopup();
    }

    void textShowsDisplayText() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.onFieldsCreated = [](db::Dataset* ds) { ds->fieldByName("KNDNR")->setDisplayFormat("0000"); };
        k.table.open();
        DbText t;
        t.setDataSource(&k.ds);
        t.setDataField("KNDNR");
        t.setAlignment(Qt::AlignRight);
        QCOMPARE(t.text(), QString("0001"));
        k.table.next();
        QCOMPARE(t.text(), QString("0002"));
        k.table.edit();
        k.table.fieldByName("KNDNR")->setAsInteger(42);
        QCOMPARE(t.text(), QString("0042"));
        k.table.cancel();
        k.table.close();
        QCOMPARE(t.text(), QString());
    }

    // Window key handlers: swallow Enter, turn "," into ".".
    void keyHooks() {
        WidgetDb d;
        d.fillKunden();
        KundeSet k(d);
        k.table.open();
        Form<DbEdit> f;
        f.control->setDataSource(&k.ds);
        f.control->setDataField("NAME");
        int enters = 0;
        f.control->onKeyDown = [&](int& key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_Return) ++enters;
        };
        f.control->onKeyPress = [](QChar& ch) {
            if (ch == QLatin1Char('\r')) ch = QChar();
            else if (ch == QLatin1Char(',')) ch = QLatin1Char('.');
        };
        QVERIFY(showActive(&f.window));
        f.control->setFocus();
        f.control->selectAll();
        QTest::keyClicks(f.control, "12,03,2005");
        QTest::keyClick(f.control, Qt::Key_Return);
        QCOMPARE(f.control->text(), QString("12.03.2005"));
        QCOMPARE(enters, 1);
    }
};

KYN_TEST(ControlsTest)
#include "controls_test.moc"
