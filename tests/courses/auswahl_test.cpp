// The pick-list dialog: the caller's query shown with the caller's column
// titles, a row chosen by button or double click, cancelled by button, frame
// or Escape; and the data module asking through it for the document of a new
// course document.
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

#include "courses/auswahl.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "platform/scripteddialogs.h"
#include "testenv.h"
#include "testregistry.h"

using namespace db;

namespace {

void run(Tdm& m, const QString& text) {
    Statement s(m.idb.get(), m.ibt);
    s.prepare(text);
    s.execute();
}

void addTrainers(Tdm& m) {
    run(m, "insert into trainer (trainernr, vname, name, kurzzeichen) values (1, \"Anna\", \"Schmidt\", \"AS\")");
    run(m, "insert into trainer (trainernr, vname, name, kurzzeichen) values (2, \"Bernd\", \"Meier\", \"BM\")");
    run(m, "insert into trainer (trainernr, vname, name, kurzzeichen) values (3, \"Carla\", \"Zorn\", \"CZ\")");
}

// What the dialog showed while it was open.
struct Seen {
    bool visible = false;
    bool modal = false;
    QString caption;
    bool searchVisible = true;
    QStringList titles;
    int rows = -1;
};

// Runs `act` on the open dialog as soon as the modal loop runs; records what
// the dialog showed. Rejects a dialog that is still open afterwards, so that
// a test never hangs.
void whenShown(Tfrm_auswahl& f, Seen* seen, std::function<void()> act) {
    QTimer::singleShot(0, &f, [&f, seen, act] {
        seen->visible = f.isVisible();
        seen->modal = f.isModal();
        seen->caption = f.windowTitle();
        seen->searchVisible = f.gb_suche->isVisible();
        QAbstractItemModel* model = f.DBGrid1->model();
        for (int c = 0; c < model->columnCount(); ++c)
            seen->titles << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        seen->rows = model->rowCount();
        act();
        if (f.isVisible()) f.reject();
    });
}

void selectRow(Tfrm_auswahl& f, int row) {
    f.DBGrid1->setCurrentIndex(f.DBGrid1->model()->index(row, 1));
}

}  // namespace

class PickListDialogTest : public QObject {
    Q_OBJECT
private slots:
    void columnsTitledAndRowChosenByButton() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        addTrainers(m);
        Tfrm_auswahl f(m);
        QCOMPARE(f.windowTitle(), QString("Auswählen"));
        QCOMPARE(f.gb_suche->title(), QString("Suchen nach..."));
        QCOMPARE(f.b_auswaehlen->text(), QString("Auswählen"));
        QCOMPARE(f.Button2->text(), QString("Abbrechen"));
        QCOMPARE(f.ibq_suche->transaction(), m.ibt);

        Seen seen;
        whenShown(f, &seen, [&] {
            selectRow(f, 1);
            QTest::mouseClick(f.b_auswaehlen, Qt::LeftButton);
        });
        QVariantList row;
        bool chosen = f.waehlen("Kursleiter auswählen...",
                                {"select trainernr,vname,name,kurzzeichen", " from trainer "},
                                {"Nr.", "Vorname", "Name", "Kurzzeichen"}, true, &row);
        QVERIFY(seen.visible);
        QVERIFY(seen.modal);
        QCOMPARE(seen.caption, QString("Kursleiter auswählen..."));
        QVERIFY(!seen.searchVisible);
        QCOMPARE(seen.titles, QStringList({"Nr.", "Vorname", "Name", "Kurzzeichen"}));
        QCOMPARE(seen.rows, 3);
        QVERIFY(chosen);
        QCOMPARE(f.result(), int(QDialog::Accepted));
        QCOMPARE(row, QVariantList({2, "Bernd", "Meier", "BM"}));
        // The query stays open on the rows listed, the chosen one current.
        QVERIFY(f.ibq_suche->isActive());
        QCOMPARE(f.ibq_suche->recordCount(), 3);
        QCOMPARE(f.ibq_suche->fields().at(0)->asInteger(), 2);
    }

    void doubleClickChooses() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        addTrainers(m);
        Tfrm_auswahl f(m);
        // The caller's contract step by step, without the helper.
        f.setWindowTitle("Kursleiter auswählen...");
        f.gb_suche->hide();
        f.ibq_suche->close();
        f.ibq_suche->clearSql();
        f.ibq_suche->addLine("select trainernr,vname,name,kurzzeichen");
        f.ibq_suche->addLine(" from trainer ");
        f.ibq_suche->open();
        f.ibq_suche->fields().at(0)->setDisplayLabel("Nr.");
        Seen seen;
        whenShown(f, &seen, [&] {
            QTableView* grid = f.DBGrid1;
            QRect cell = grid->visualRect(grid->model()->index(2, 0));
            // A double click as the mouse makes it: press, release, then the
            // second press arrives as the double click.
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        });
        QCOMPARE(f.exec(), int(QDialog::Accepted));
        QCOMPARE(seen.titles.first(), QString("Nr."));
        QCOMPARE(seen.titles.at(1), QString("VNAME"));
        QCOMPARE(f.ibq_suche->fields().at(0)->asInteger(), 3);
    }

    void cancelChoosesNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("button") << "button";
        QTest::newRow("frame") << "frame";
        QTest::newRow("escape") << "escape";
    }
    void cancelChoosesNothing() {
        QFETCH(QString, how);
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        addTrainers(m);
        Tfrm_auswahl f(m);
        Seen seen;
        whenShown(f, &seen, [&] {
            selectRow(f, 2);
            if (how == "button") QTest::mouseClick(f.Button2, Qt::LeftButton);
            else if (how == "frame") f.close();
            else QTest::keyClick(f.DBGrid1, Qt::Key_Escape);
        });
        QVariantList row;
        bool chosen = f.waehlen("Kursleiter auswählen...", {"select trainernr,name", " from trainer "},
                                {"Nr.", "Name"}, false, &row);
        QVERIFY(seen.visible);
        QVERIFY(seen.searchVisible);
        QVERIFY(!chosen);
        QCOMPARE(f.result(), int(QDialog::Rejected));
        QVERIFY(row.isEmpty());
    }

    void newCourseDocumentAsksThroughTheDialog() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "insert into kurse (kursnr, kursname) values (1, \"Welpen\")");
        run(m, "insert into dokumente (doknr, dokumentname, dokumentart, verteilungsart) "
               "values (1, \"Anmeldung Welpen\", \"A\", \"Alle\")");
        run(m, "insert into dokumente (doknr, dokumentname, dokumentart, verteilungsart) "
               "values (2, \"Infoblatt Leinenführigkeit\", \"I\", \"Kursleiter\")");
        Tfrm_auswahl f(m);
        frm_auswahl = &f;
        connectAuswahl(m);
        m.ibt_kurse->open();
        m.ibt_dokumente->open();
        m.IBT_kursdokumente->open();

        Seen seen;
        whenShown(f, &seen, [&] {
            selectRow(f, 1);
            QTest::mouseClick(f.b_auswaehlen, Qt::LeftButton);
        });
        m.IBT_kursdokumente->append();
        QCOMPARE(seen.caption, QString("Dokument auswählen..."));
        QVERIFY(!seen.searchVisible);
        QCOMPARE(seen.titles, QStringList({"Dok.-Nr.", "Dokument", "Art", "Verteiler"}));
        QCOMPARE(seen.rows, 2);
        Dataset* kd = m.IBT_kursdokumente;
        QCOMPARE(kd->fieldByName("KURSNR")->asInteger(), 1);
        QCOMPARE(kd->fieldByName("DOKNR")->asInteger(), 2);
        QCOMPARE(kd->fieldByName("BEZEICHNUNG")->asString(), QString("Infoblatt Leinenführ"));  // 20 characters
        QCOMPARE(kd->fieldByName("VERTEILER")->asString(), QString("Kursleiter"));
        QCOMPARE(kd->fieldByName("ART_ANZEIGE")->asString(), QString("Infoblatt"));
        kd->post();

        // Cancelled: the row stays without a document number.
        whenShown(f, &seen, [&] { QTest::mouseClick(f.Button2, Qt::LeftButton); });
        kd->append();
        QCOMPARE(kd->state(), DatasetState::Insert);
        QVERIFY(kd->fieldByName("DOKNR")->isNull());
        kd->cancel();
        frm_auswahl = nullptr;
        m.auswahl = nullptr;
    }
};

KYN_TEST(PickListDialogTest)
#include "auswahl_test.moc"
