// A demo window with every control bound to a dataset, for looking at it.
// Runs only when KYN_SHOT names a directory: saves the window's picture
// there as demo.png and, under an X server, also pictures of the whole screen
// (import) with the cell editors open (scripts/bilder.sh runs this under Xvfb).
#include <QDir>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QSplitter>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "db/field.h"
#include "testregistry.h"
#include "widgets/captionpanel.h"
#include "widgets/dbcheckbox.h"
#include "widgets/dbcombobox.h"
#include "widgets/dbedit.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"
#include "widgets/dbtext.h"
#include "widgets/monthcalendar.h"
#include "widgets/rolloutpanel.h"
#include "widgettestutil.h"

using namespace widgets;

class WidgetsDemo : public QObject {
    Q_OBJECT
private slots:
    void screenshot() {
        const QString ordner = qEnvironmentVariable("KYN_SHOT");
        if (ordner.isEmpty()) QSKIP("KYN_SHOT not set");
        QDir().mkpath(ordner);
        const QString shot = ordner + QStringLiteral("/demo.png");
        WidgetDb d;
        d.fillKunden();
        const char* names[][3] = {{"Becker", "Herr", "B"}, {"Hoffmann", "Frau", "A"}, {"Schäfer", "Familie", "P"},
                                  {"Koch", "Frau", "A"},   {"Richter", "Herr", "S"},  {"Klein", "Frau", ""}};
        for (int i = 0; i < 6; ++i)
            d.exec(QString("insert into kunde (kndnr, name, anrede, status, impfung, betrag, geboren) values "
                           "(%1, \"%2\", \"%3\", \"%4\", %5, %6, \"%7.03.2006\")")
                       .arg(4 + i)
                       .arg(QString::fromUtf8(names[i][0]), names[i][1], names[i][2],
                            i % 3 == 0 ? "\"J\"" : (i % 3 == 1 ? "\"N\"" : "null"))
                       .arg(20 + i * 7.5)
                       .arg(10 + i));
        KundeSet k(d);
        k.table.onFieldsCreated = [](db::Dataset* ds) {
            ds->fieldByName("KNDNR")->setDisplayFormat("0000");
            ds->fieldByName("KNDNR")->setReadOnly(true);
            ds->fieldByName("GEBOREN")->setDisplayFormat("dd.mm.yyyy");
            ds->fieldByName("BETRAG")->setCurrency(true);
        };
        k.table.open();

        QWidget w;
        w.setWindowTitle("Kynovia – Steuerelemente");
        auto* outer = new QHBoxLayout(&w);
        outer->setContentsMargins(4, 4, 4, 4);

        auto* nav = new CaptionPanel("Navigator");
        nav->setButtons(CaptionPanel::MaximizeButton | CaptionPanel::MinimizeButton);
        nav->setFixedWidth(185);
        auto* tree = new QTreeWidget;
        tree->setHeaderHidden(true);
        for (const char* g : {"Kunden", "Kurse", "Termine", "Trainer", "Dokumente"}) {
            auto* item = new QTreeWidgetItem(tree, {QString::fromUtf8(g)});
            new QTreeWidgetItem(item, {QString::fromUtf8("Übersicht")});
        }
        tree->expandToDepth(0);
        nav->setContentWidget(tree);
        outer->addWidget(nav);

        auto* middle = new QVBoxLayout;
        outer->addLayout(middle, 1);
        auto* grid = new DbGrid;
        grid->setColumns({
            {.fieldName = "KNDNR", .title = "Knd-Nr", .readOnly = true},
            {.fieldName = "NAME", .title = "Name"},
            {.fieldName = "ANREDE", .title = "Anrede", .pickList = {"Frau", "Herr", "Familie"}},
            {.fieldName = "STATUS", .title = "Status", .pickList = {"Aktiv", "Beendet", "Storniert", "Pausiert"}},
            {.fieldName = "BETRAG", .title = "Kursgebühr"},
            {.fieldName = "GEBOREN", .title = "Datum"},
            {.fieldName = "KOMMENTAR", .title = "Pfad", .width = 160, .ellipsisButton = true},
        });
        grid->setDataSource(&k.ds);
        middle->addWidget(grid, 1);
        auto* gridNav = new DbNavigator;
        gridNav->setDataSource(&k.ds);
        middle->addWidget(gridNav);

        auto* box = new QGroupBox("Kunde");
        auto* form = new QFormLayout(box);
        auto* nr = new DbEdit;
        nr->setDataSource(&k.ds);
        nr->setDataField("KNDNR");
        form->addRow("Kunden-Nr.:", nr);
        auto* anrede = new DbComboBox;
        anrede->setItems({"Frau", "Herr", "Familie"});
        anrede->setDataSource(&k.ds);
        anrede->setDataField("ANREDE");
        form->addRow("Anrede:", anrede);
        auto* name = new DbEdit;
        name->setDataSource(&k.ds);
        name->setDataField("NAME");
        form->addRow("Name:", name);
        auto* datum = new DbEdit;
        datum->setDataSource(&k.ds);
        datum->setDataField("GEBOREN");
        form->addRow("aufgenommen am:", datum);
        auto* impf = new DbCheckBox("Impfungen:");
        impf->setDataSource(&k.ds);
        impf->setDataField("IMPFUNG");
        form->addRow("", impf);
        auto* betrag = new DbText;
        betrag->setDataSource(&k.ds);
        betrag->setDataField("BETRAG");
        betrag->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        form->addRow("Betrag:", betrag);
        auto* memo = new DbMemo;
        memo->setDataSource(&k.ds);
        memo->setDataField("KOMMENTAR");
        memo->setMaxLength(500);
        memo->setFixedHeight(50);
        form->addRow("Kommentar:", memo);
        auto* recNav = new DbNavigator;
        recNav->setDataSource(&k.ds);
        recNav->setVisibleButtons(DbNavigator::EditButtons);
        recNav->setHints({"Erster Kunde", "Vorheriger Kunde", "Nächster Kunde", "Letzter Kunde", "Kunde einfügen",
                          "Kunde löschen", "Kunde bearbeiten", "Kunde speichern", "Bearbeiten abbrechen",
                          "Daten aktualisieren"});
        recNav->setFixedWidth(200);
        form->addRow("", recNav);

        auto* lower = new QHBoxLayout;
        lower->addWidget(box, 1);
        auto* rollouts = new QVBoxLayout;
        auto* r1 = new RolloutPanel("Herkunft und Pflege");
        auto* r1c = new QWidget;
        auto* r1l = new QFormLayout(r1c);
        auto* anrede2 = new DbComboBox;
        anrede2->setItems({"Züchter", "Züchter VDH", "Tierschutz", "Privat"});
        r1l->addRow("Herkunft", anrede2);
        r1->setContentWidget(r1c);
        r1->setExpandedHeight(60);
        auto* r2 = new RolloutPanel("Tierarzt, Krankheiten, Imfpung");
        r2->setCollapsed(true);
        auto* r3 = new RolloutPanel("Futteraufnahme");
        r3->setCollapsed(true);
        rollouts->addWidget(r1);
        rollouts->addWidget(r2);
        rollouts->addWidget(r3);
        rollouts->addStretch(1);
        lower->addLayout(rollouts, 1);
        middle->addLayout(lower);

        auto* calPanel = new CaptionPanel("Kalender");
        calPanel->setCaptionColor(QColor(0xAB, 0xAB, 0xAB));
        calPanel->setButtons(CaptionPanel::CloseButton | CaptionPanel::MaximizeButton | CaptionPanel::MinimizeButton);
        auto* cal = new MonthCalendar;
        cal->setSelectedDate(QDate(2006, 3, 15));
        cal->setBoldDaysHandler([](int y, int m) {
            if (y == 2006 && m == 3) return QSet<int>{6, 13, 20, 27};
            return QSet<int>{};
        });
        calPanel->setContentWidget(cal);
        calPanel->setFixedWidth(300);
        outer->addWidget(calPanel);

        w.resize(1240, 720);
        QVERIFY(showActive(&w));
        k.table.next();
        grid->setFocus();
        grid->setSelectedIndex(1);
        for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
        QVERIFY(w.grab().save(shot));
        auto screen = [&](const QString& suffix) {
            if (qEnvironmentVariableIsEmpty("DISPLAY")) return;
            QString file = shot;
            file.replace(".png", suffix + ".png");
            QProcess::execute("import", {"-window", "root", file});
        };
        screen("-screen");
        // Cell editors: the ellipsis button, the pick list, typing in a combo.
        grid->setSelectedIndex(6);
        grid->edit(grid->currentIndex());
        for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
        screen("-ellipsis");
        grid->setSelectedIndex(3);
        grid->edit(grid->currentIndex());
        if (auto* combo = qobject_cast<QComboBox*>(grid->cellEditor())) combo->showPopup();
        for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
        screen("-picklist");
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        anrede->setFocus();
        anrede->lineEdit()->selectAll();
        QTest::keyClicks(anrede, "F");
        for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
        screen("-combo");
    }
};

KYN_TEST(WidgetsDemo)
#include "demo_bilder.moc"
