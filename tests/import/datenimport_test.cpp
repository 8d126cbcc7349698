// The import window: loading a file into the grids, the popup menu of
// targets, the import of one customer and one dog per data line with the
// join rule, commit and rollback with the button states, the progress dialog
// and its cancel button, the close handler and the main window's menu item.
#include <QContextMenuEvent>
#include <QFile>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QLineEdit>

#include "data/datenmodul.h"
#include "db/connection.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "import/datenimport.h"
#include "importtest.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "testenv.h"
#include "testregistry.h"
#include "widgets/dbgrid.h"

using importtest::Fixture;

namespace {

bool ready(Tfrm_datenimport* f) {
    return f->b_import->isEnabled() && !f->b_commit->isEnabled() && !f->b_rollback->isEnabled();
}
bool imported(Tfrm_datenimport* f) {
    return !f->b_import->isEnabled() && f->b_commit->isEnabled() && f->b_rollback->isEnabled();
}

// Customers joined with their dogs as "NAME|VNAME|ORT|dog NAME|GEBURTSJAHR|GEBOREN_AM",
// in number order, a customer without a dog as "NAME|VNAME|ORT|kein Hund".
QStringList rows(Tdm& m) {
    db::Statement s(m.idb.get(), m.ibt);
    s.prepare(QStringLiteral(
        "select k.name, k.vname, k.ort, h.name, h.geburtsjahr, h.geboren_am, h.hundnr from kunden k "
        "left join hunde h on h.kndnr = k.kndnr order by k.kndnr, h.hundnr"));
    s.open();
    QStringList out;
    while (s.fetch()) {
        QStringList r;
        for (int i = 0; i < 3; ++i) r << s.value(i).toString();
        if (s.value(6).isNull()) {
            r << QStringLiteral("kein Hund");
        } else {
            for (int i = 3; i < 5; ++i) r << s.value(i).toString();
            const QVariant g = s.value(5);
            r << (g.isNull() ? QString() : g.toDateTime().date().toString(QStringLiteral("dd.MM.yyyy")));
        }
        out << r.join(QLatin1Char('|'));
    }
    return out;
}

int mitHund(const QStringList& rows) {
    int n = 0;
    for (const QString& r : rows) n += r.endsWith(QLatin1String("|kein Hund")) ? 0 : 1;
    return n;
}

}  // namespace

class DatenimportTest : public QObject {
    Q_OBJECT
private slots:
    void windowAtStart() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        QCOMPARE(f->windowTitle(), QString("Datenimport"));
        QCOMPARE(f->Memo1->toPlainText(), Tfrm_datenimport::memo1Text());
        QCOMPARE(f->Memo2->toPlainText(), Tfrm_datenimport::memo2Text());
        QVERIFY(f->Memo1->isReadOnly() && f->Memo2->isReadOnly());
        QVERIFY(ready(f));
        QCOMPARE(f->b_import->text(), QString("Datenimport starten"));
        QCOMPARE(f->b_commit->text(), QString("Letzten Datenimport endgültig übernehmen"));
        QCOMPARE(f->b_rollback->text(), QString("Letzten Datenimport verwerfen."));
        QCOMPARE(f->jvsg1->model()->columnCount(), 2);
        QCOMPARE(f->jvsg1->model()->rowCount(), 1);
        QCOMPARE(f->jvsg1->columnWidth(0), 100);
        QCOMPARE(f->jvsg2->columnCount(), 2);
        QCOMPARE(f->jvsg2->rowCount(), 1);
        QCOMPARE(f->dbg_kunde->dataSource(), dm->ds_kunde);
        QCOMPARE(f->DBGrid1->dataSource(), dm->ds_kunde_hunde);
        QCOMPARE(f->dbg_kunde->columns().size(), 12);
        QCOMPARE(f->dbg_kunde->columns().at(5).title, QString("Strasse"));
        QCOMPARE(f->DBGrid1->columns().first().fieldName, QString("HUNDNR"));

        // Nothing loaded: the import creates nothing.
        QTest::mouseClick(f->b_import, Qt::LeftButton);
        QVERIFY(imported(f));
        QCOMPARE(x.count("select count(*) from kunden"), 0);
    }

    void popupMenu() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        const QStringList kunde = f->kundeZiele();
        QCOMPARE(kunde, (QStringList{"kunde.KNDNR", "kunde.NAME", "kunde.VNAME", "kunde.PLZ", "kunde.ORT",
                                     "kunde.STR", "kunde.ANREDE", "kunde.TEL", "kunde.MOBIL", "kunde.FAX",
                                     "kunde.EMAIL", "kunde.KOMMENTAR", "kunde.AUFGENOMMEN_AM"}));
        const QStringList hund = f->hundZiele();
        QCOMPARE(hund.size(), 82);
        QCOMPARE(hund.mid(0, 7), (QStringList{"hund.HUNDNR", "hund.KNDNR", "hund.NAME", "hund.RASSE",
                                              "hund.GESCHLECHT", "hund.GEBURTSJAHR", "hund.GEBOREN_AM"}));
        QCOMPARE(hund.mid(80), (QStringList{"hund.ANAMESE_AUFGENOMMEN_AM", "hund.VERHALTEN_FREILAUF_KIND"}));
        // The captions are exactly the targets: no accelerator characters.
        for (QMenu* sub : {f->Kunde1, f->Hund1})
            for (QAction* a : sub->actions()) {
                QVERIFY2(!a->text().contains('&'), qPrintable(a->text()));
                QVERIFY(QKeySequence::mnemonic(a->text()).isEmpty());
                QCOMPARE(a->text(), a->data().toString());
            }
        QCOMPARE(f->pm->actions().size(), 3);
        QCOMPARE(f->pm->actions().at(0)->text(), QString("Kunde"));
        QCOMPARE(f->pm->actions().at(1)->text(), QString("Hund"));
        QCOMPARE(f->pm->actions().at(2)->text(), QString("Löschen"));

        // Built once: showing again adds nothing.
        f->hide();
        f->show();
        QCOMPARE(f->kundeZiele().size(), 13);

        // An entry writes its caption into the current cell, "Löschen" empties it.
        x.map(1, "kunde.NAME");
        QCOMPARE(f->zuordnung(1), QString("kunde.NAME"));
        QCOMPARE(f->zuordnung(0), QString());
        x.map(1, "hund.RASSE");
        QCOMPARE(f->zuordnung(1), QString("hund.RASSE"));
        f->jvsg2->setCurrentCell(0, 1);
        f->Lschen1->trigger();
        QCOMPARE(f->zuordnung(1), QString());
        // The cells cannot be typed into.
        QCOMPARE(f->jvsg2->editTriggers(), QAbstractItemView::NoEditTriggers);

        // The right mouse button on a mapping cell makes it current and opens
        // the menu there.
        const QPoint at = f->jvsg2->visualRect(f->jvsg2->model()->index(0, 0)).center();
        QTest::mousePress(f->jvsg2->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, f->jvsg2->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(f->jvsg2->viewport(), &menuEvent);
        QTest::mouseRelease(f->jvsg2->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(f->jvsg2->currentColumn(), 0);
        QVERIFY(f->pm->isVisible());
        f->Hund1->actions().at(2)->trigger();
        f->pm->hide();
        QCOMPARE(f->zuordnung(0), QString("hund.NAME"));
    }

    void import_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("mapping");  // one target per file column, "" = none
        QTest::addColumn<int>("lines");            // data lines of the file
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("drei Zeilen, erste Spalte zugeordnet")
            << QByteArray("Name;Vorname;Ort;Hund\nMeier;Hans;Bonn;Rex\nSchulz;Eva;K\xf6ln;Bello\n"
                          "Bauer;Udo;Trier;Struppi\n")
            << QStringList{"kunde.NAME", "kunde.VNAME", "kunde.ORT", "hund.NAME"} << 3
            << QStringList{"Meier|Hans|Bonn|Rex||", "Schulz|Eva|Köln|Bello||", "Bauer|Udo|Trier|Struppi||"};
        QTest::newRow("Semikolon in Anführungszeichen, mitten und am Ende")
            << QByteArray("Name;Ort;Hund\nMeier;\"Bonn; Zentrum\";Rex\nSchulz;K\xc3\xb6ln;\"Bello; der Zweite\"\n")
            << QStringList{"kunde.NAME", "kunde.ORT", "hund.NAME"} << 2
            << QStringList{"Meier||Bonn; Zentrum|Rex||", "Schulz||Köln|Bello; der Zweite||"};
        // No dog column mapped: customers only, no nameless dogs.
        QTest::newRow("zwei Spalten in NAME")
            << QByteArray("Vorname;Nachname\nHans;Meier\n") << QStringList{"kunde.NAME", "kunde.NAME"} << 1
            << QStringList{"Hans Meier|||kein Hund"};
        QTest::newRow("leere Teile beim Zusammenfügen")
            << QByteArray("A;B;C\n;Hans;\nEva;;Meier\n  ;Udo; \n")
            << QStringList{"kunde.NAME", "kunde.NAME", "kunde.NAME"} << 3
            << QStringList{"Hans|||kein Hund", "Eva Meier|||kein Hund", "Udo|||kein Hund"};
        // A dog only where one of its cells holds a value.
        QTest::newRow("leere Zelle für Zahl und Datum")
            << QByteArray("Name;Jahr;Geboren\nMeier;;\nSchulz;2015;03.04.2015\n")
            << QStringList{"kunde.NAME", "hund.GEBURTSJAHR", "hund.GEBOREN_AM"} << 2
            << QStringList{"Meier|||kein Hund", "Schulz||||2015|03.04.2015"};
        QTest::newRow("nur Hundespalte belegt")
            << QByteArray("Name;Hund\n;Rex\n") << QStringList{"kunde.NAME", "hund.NAME"} << 1
            << QStringList{"|||Rex||"};
        // Nothing mapped, or all mapped cells empty: nothing is created.
        QTest::newRow("ohne Zuordnung") << QByteArray("Name;Ort\nMeier;Bonn\nSchulz;Trier\n") << QStringList{}
                                        << 2 << QStringList{};
        QTest::newRow("leere und nur mit Leerzeichen gefüllte Zeilen")
            << QByteArray("Name;Ort;Hund\n;;\nMeier;;\n \t; ;\n\n;;;Rest\n")
            << QStringList{"kunde.NAME", "kunde.ORT", "hund.NAME"} << 5 << QStringList{"Meier|||kein Hund"};
        QTest::newRow("Zeilen unterschiedlicher Länge")
            << QByteArray("Name;Ort\nMeier\nSchulz;Trier;\xdc" "berzahl\n\n")
            << QStringList{"kunde.NAME", "kunde.ORT", "hund.NAME"} << 3
            << QStringList{"Meier|||kein Hund", "Schulz||Trier|Überzahl||"};
    }

    void import() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, mapping);
        QFETCH(int, lines);
        QFETCH(QStringList, expected);
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("import.csv", content));
        for (int c = 0; c < mapping.size(); ++c)
            if (!mapping[c].isEmpty()) x.map(c, mapping[c]);
        platform::ScopedScriptedDialogs d;
        QTest::mouseClick(f->b_import, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(imported(f));
        QCOMPARE(f->importierteZeilen(), lines);
        QCOMPARE(rows(*x.module), expected);
        // The numbers and the intake dates are the data module's.
        QCOMPARE(x.count("select count(*) from kunden where aufgenommen_am is null"), 0);
        QCOMPARE(x.count("select count(*) from hunde where anamese_aufgenommen_am is null"), 0);
        QCOMPARE(x.count("select max(kndnr) from kunden"), expected.size());
        QCOMPARE(x.count("select max(hundnr) from hunde"), mitHund(expected));
        QCOMPARE(x.count("select count(*) from hunde"), mitHund(expected));
        QCOMPARE(f->dbg_kunde->model()->rowCount(), expected.size());
        if (expected.isEmpty()) return;
        // The last customer is current, and the dog grid shows its dog.
        const int letzterHund = expected.last().endsWith("|kein Hund") ? 0 : 1;
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Browse);
        QCOMPARE(dm->ibt_kunde->fieldByName("KNDNR")->asInteger(), expected.size());
        QCOMPARE(dm->ibt_kunde_hunde->recordCount(), letzterHund);
        QCOMPARE(f->DBGrid1->model()->rowCount(), letzterHund);
        // The link keeps working after the import.
        dm->ibt_kunde->first();
        QCOMPARE(dm->ibt_kunde_hunde->recordCount(), expected.first().endsWith("|kein Hund") ? 0 : 1);
        if (dm->ibt_kunde_hunde->recordCount()) QCOMPARE(dm->ibt_kunde_hunde->fieldByName("KNDNR")->asInteger(), 1);
    }

    // An import without number columns counts the numbers up; a number
    // another workstation saves meanwhile is passed over, and the counting
    // goes on after it: every line arrives, each dog with its customer.
    void numberTakenMeanwhileDuringImport() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("k.csv", "Name;Hund\nMeier;Rex\nSchulz;Bello\nKrause;Luna\nBraun;Max\n"));
        x.map(0, "kunde.NAME");
        x.map(1, "hund.NAME");
        db::Connection other;
        other.setDatabaseName(x.env.databasePath());
        other.open();
        const db::Dataset::Handler before = dm->ibt_kunde->afterPost;
        int posts = 0;
        dm->ibt_kunde->afterPost = [&](db::Dataset* d) {
            if (before) before(d);
            if (++posts != 1) return;
            // After the first line: the next two numbers are saved elsewhere.
            db::Statement st(&other, other.defaultTransaction());
            st.execute("insert into kunden (kndnr, name) values (2, 'Anderswo')");
            st.execute("insert into kunden (kndnr, name) values (3, 'Anderswo')");
            other.defaultTransaction()->commit();
        };
        platform::ScopedScriptedDialogs d;
        QTest::mouseClick(f->b_import, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        dm->ibt_kunde->afterPost = before;
        QVERIFY(imported(f));
        QCOMPARE(f->importierteZeilen(), 4);
        QCOMPARE(x.count("select count(*) from kunden"), 6);
        QCOMPARE(x.count("select count(distinct kndnr) from kunden"), 6);
        QCOMPARE(x.count("select count(*) from kunden where name = 'Anderswo' and kndnr in (2, 3)"), 2);
        QCOMPARE(x.count("select count(*) from hunde h join kunden k on k.kndnr = h.kndnr where "
                         "(k.name = 'Meier' and h.name = 'Rex') or (k.name = 'Schulz' and h.name = 'Bello') or "
                         "(k.name = 'Krause' and h.name = 'Luna') or (k.name = 'Braun' and h.name = 'Max')"),
                 4);
    }

    // Files as spreadsheet programs write them: CR LF line ends, a comment
    // of several lines in quotes (the line break inside as LF or CR LF),
    // a line of empty cells, in Windows-1252 or in UTF-8 with a byte order
    // mark.
    void spreadsheetFiles_data() {
        QTest::addColumn<QByteArray>("content");
        const QString text = QString::fromUtf8(
            "Name;Vorname;Kommentar;Hund;Rasse\r\n"
            "Müller;Jörg;\"Bellt an der Tür.\nZieht an der Leine; sehr.\";Rex;Schäferhund\r\n"
            ";;;;\r\n"
            "Weiß;Dörte;\"Sagt \"\"Guten Tag\"\"\";;\r\n");
        QByteArray latin1 = text.toLatin1();
        QTest::newRow("Windows-1252, CR LF, Umbruch LF") << latin1;
        QTest::newRow("Windows-1252, CR LF, Umbruch CR LF")
            << QByteArray(latin1).replace("T\xfcr.\n", "T\xfcr.\r\n");
        QTest::newRow("UTF-8 mit BOM, CR LF") << QByteArray("\xef\xbb\xbf") + text.toUtf8();
        QTest::newRow("UTF-8 mit BOM, nur LF") << QByteArray("\xef\xbb\xbf") + text.toUtf8().replace("\r\n", "\n");
    }
    void spreadsheetFiles() {
        QFETCH(QByteArray, content);
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("tabelle.csv", content));
        QCOMPARE(f->jvsg1->model()->rowCount(), 3);
        QCOMPARE(f->jvsg1->model()->columnCount(), 5);
        const QStringList ziele{"kunde.NAME", "kunde.VNAME", "kunde.KOMMENTAR", "hund.NAME", "hund.RASSE"};
        for (int c = 0; c < ziele.size(); ++c) x.map(c, ziele[c]);
        platform::ScopedScriptedDialogs d;
        QTest::mouseClick(f->b_import, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f->importierteZeilen(), 3);
        QCOMPARE(rows(*x.module), (QStringList{"Müller|Jörg||Rex||", "Weiß|Dörte||kein Hund"}));
        QCOMPARE(dm->scalar("select kommentar from kunden where kndnr = 1").toString(),
                 QString::fromUtf8("Bellt an der Tür.\nZieht an der Leine; sehr."));
        QCOMPARE(dm->scalar("select kommentar from kunden where kndnr = 2").toString(),
                 QString("Sagt \"Guten Tag\""));
        QCOMPARE(dm->scalar("select rasse from hunde where kndnr = 1").toString(), QString::fromUtf8("Schäferhund"));
    }

    void intakeDatesReplaced() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("d.csv", "Name;Kunde seit;Anamnese;Hund\nMeier;01.02.2003;05.06.2007 10:30;Rex\n"
                                 "Schulz;;;Bello\n"));
        x.map(0, "kunde.NAME");
        x.map(1, "kunde.AUFGENOMMEN_AM");
        x.map(2, "hund.ANAMESE_AUFGENOMMEN_AM");
        x.map(3, "hund.NAME");
        const QDate today = QDate::currentDate();
        platform::ScopedScriptedDialogs d;
        f->b_importClick();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f->importierteZeilen(), 2);
        QCOMPARE(dm->scalar("select aufgenommen_am from kunden where kndnr = 1").toDateTime(),
                 QDateTime(QDate(2003, 2, 1), QTime(0, 0), Qt::UTC));
        QCOMPARE(dm->scalar("select anamese_aufgenommen_am from hunde where hundnr = 1").toDateTime(),
                 QDateTime(QDate(2007, 6, 5), QTime(10, 30), Qt::UTC));
        // Empty cells keep the defaults.
        QVERIFY(dm->scalar("select aufgenommen_am from kunden where kndnr = 2").toDateTime().date() >= today);
        QVERIFY(dm->scalar("select anamese_aufgenommen_am from hunde where hundnr = 2").toDateTime().date() >= today);
    }

    // The intake date and its time in two columns of the file: one value,
    // the date of the first column with the time of the second (the
    // default of "now" is replaced, not joined).
    void intakeDateAndTimeInTwoColumns() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("z.csv", "Name;Kunde seit;um\nMeier;01.02.2003;10:30\n"));
        x.map(0, "kunde.NAME");
        x.map(1, "kunde.AUFGENOMMEN_AM");
        x.map(2, "kunde.AUFGENOMMEN_AM");
        platform::ScopedScriptedDialogs d;
        f->b_importClick();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f->importierteZeilen(), 1);
        QCOMPARE(dm->scalar("select aufgenommen_am from kunden where kndnr = 1").toDateTime(),
                 QDateTime(QDate(2003, 2, 1), QTime(10, 30), Qt::UTC));
    }

    void keyColumnStopsAtFirstRow() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("k.csv", "Nr;Name\n5;Meier\n6;Schulz\n"));
        x.map(0, "kunde.KNDNR");
        x.map(1, "kunde.NAME");
        platform::ScopedScriptedDialogs d;
        d.expectError("Zeile 2, Spalte 'Nr': '1 5' ist kein gültiger Integerwert");
        QTest::mouseClick(f->b_import, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(imported(f));
        QVERIFY(f->importUnterbrochen());
        QCOMPARE(f->importierteZeilen(), 0);
        QCOMPARE(x.count("select count(*) from kunden"), 0);
        // The record being filled is dropped: no later post can save it.
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Browse);
        dm->ibt_kunde->append();
        dm->ibt_kunde->post();
        QCOMPARE(x.count("select count(*) from kunden"), 1);
        QTest::mouseClick(f->b_rollback, Qt::LeftButton);
        QVERIFY(ready(f));
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Browse);
        QVERIFY(dm->ibt_kunde_hunde->isActive());
    }

    // After a comment of several lines the message still names the line of
    // the file, as the user sees it in an editor.
    void errorAfterAMultiLineCellNamesTheFileLine() {
        Fixture x;
        x.choose(x.file("m.csv", "Name;Kommentar;Jahr\nMeier;\"erste Zeile\nzweite Zeile\";2010\nSchulz;;zwanzig\n"));
        x.map(0, "kunde.NAME");
        x.map(1, "kunde.KOMMENTAR");
        x.map(2, "hund.GEBURTSJAHR");
        platform::ScopedScriptedDialogs d;
        d.expectError("Zeile 4, Spalte 'Jahr': 'zwanzig' ist kein gültiger Integerwert");
        x.f->b_importClick();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(x.count("select count(*) from kunden"), 1);
        x.f->b_rollbackClick();
    }

    void errorInLaterRowKeepsEarlierRows() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("j.csv", "Name;Jahr\nMeier;2010\nSchulz;zwanzig\nBauer;2012\n"));
        x.map(0, "kunde.NAME");
        x.map(1, "hund.GEBURTSJAHR");
        platform::ScopedScriptedDialogs d;
        // The message names the file line (the title line is line 1) and the
        // column's title.
        d.expectError("Zeile 3, Spalte 'Jahr': 'zwanzig' ist kein gültiger Integerwert");
        f->b_importClick();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f->importierteZeilen(), 1);
        // Nothing of the failing line stays: its customer is taken back, its
        // dog dropped; the earlier line stays imported.
        QCOMPARE(x.count("select count(*) from kunden"), 1);
        QCOMPARE(x.count("select count(*) from hunde"), 1);
        QCOMPARE(rows(*x.module), QStringList{"Meier||||2010|"});
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Browse);
        QCOMPARE(dm->ibt_kunde_hunde->state(), db::DatasetState::Browse);
        // Whatever is posted next is the user's own, not a leftover.
        dm->ibt_kunde_hunde->append();
        dm->ibt_kunde_hunde->post();
        QCOMPARE(x.count("select count(*) from hunde where geburtsjahr is null"), 1);
        QCOMPARE(x.count("select count(*) from kunden"), 1);
        QVERIFY(imported(f));
        f->b_rollbackClick();
        QCOMPARE(x.count("select count(*) from kunden"), 0);
    }

    // Discarding takes back the import and nothing else: a customer edited
    // and saved before the import keeps the edit (the import started from a
    // committed state), and the windows keep their datasets and rows.
    void rollbackUndoesOnlyTheImport() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        {
            db::Statement s(dm->idb.get(), dm->ibt);
            s.prepare("insert into kunden (kndnr, name) values (1, 'Alt')");
            s.execute();
            s.prepare("insert into trainer (trainernr, name) values (1, 'Trainer')");
            s.execute();
        }
        dm->ibt->commitRetaining();
        // A customer changed and saved somewhere else; no event loop ran
        // since, so its commit is still waiting.
        dm->ibt_kunde->open();
        dm->ibt_kunde->edit();
        dm->ibt_kunde->fieldByName("NAME")->setAsString("Neu");
        dm->ibt_kunde->post();
        QVERIFY(dm->commitPending());
        dm->ibt_trainer->open();
        x.choose(x.file("r.csv", "Name\nMeier\nSchulz\n"));
        x.map(0, "kunde.NAME");
        f->b_importClick();
        QVERIFY(dm->commitsHeld());
        QCOMPARE(x.count("select count(*) from kunden"), 3);
        QTest::mouseClick(f->b_rollback, Qt::LeftButton);
        QVERIFY(ready(f));
        QVERIFY(!dm->commitsHeld());
        QVERIFY(!dm->commitPending());
        QCOMPARE(x.count("select count(*) from kunden"), 1);
        QCOMPARE(dm->scalar("select name from kunden where kndnr = 1").toString(), QString("Neu"));
        QVERIFY(dm->ibt_kunde->isActive());
        QVERIFY(dm->ibt_kunde_hunde->isActive());
        QVERIFY(dm->ibt_trainer->isActive());
        QCOMPARE(dm->ibt_trainer->fieldByName("NAME")->asString(), QString("Trainer"));
        QCOMPARE(f->dbg_kunde->model()->rowCount(), 1);
    }

    // While an import is undecided nothing is committed, also what other
    // windows save; the decision commits or discards it all.
    void nothingCommittedWhileUndecided() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("u.csv", "Name\nMeier\n"));
        x.map(0, "kunde.NAME");
        f->b_importClick();
        dm->ibt_trainer->open();
        platform::ScopedScriptedDialogs d;
        dm->ibt_trainer->append();
        dm->ibt_trainer->fieldByName("NAME")->setAsString("Während");
        dm->ibt_trainer->post();
        QCoreApplication::processEvents();
        QCOMPARE(x.committed("select count(*) from kunden").toInt(), 0);
        QCOMPARE(x.committed("select count(*) from trainer").toInt(), 0);
        QTest::mouseClick(f->b_commit, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(x.committed("select count(*) from kunden").toInt(), 1);
        QCOMPARE(x.committed("select count(*) from trainer").toInt(), 1);
        // Decided: saves are committed again as they happen.
        dm->ibt_trainer->edit();
        dm->ibt_trainer->fieldByName("NAME")->setAsString("Danach");
        dm->ibt_trainer->post();
        QCoreApplication::processEvents();
        QCOMPARE(x.committed("select name from trainer").toString(), QString("Danach"));
    }

    // Closing the window, or the program, while an import is undecided asks;
    // "Ja" takes it over, "Nein" discards it, "Abbrechen" stays.
    void closingWithAnUndecidedImportAsks_data() {
        QTest::addColumn<bool>("programm");
        QTest::addColumn<int>("antwort");
        QTest::addColumn<bool>("geschlossen");
        QTest::addColumn<int>("kunden");  // committed afterwards
        for (bool programm : {false, true}) {
            const char* wer = programm ? "program" : "window";
            QTest::addRow("%s Ja", wer) << programm << int(platform::Answer::Ja) << true << 2;
            QTest::addRow("%s Nein", wer) << programm << int(platform::Answer::Nein) << true << 0;
            QTest::addRow("%s Abbrechen", wer) << programm << int(platform::Answer::Abbrechen) << false << 0;
        }
    }
    void closingWithAnUndecidedImportAsks() {
        QFETCH(bool, programm);
        QFETCH(int, antwort);
        QFETCH(bool, geschlossen);
        QFETCH(int, kunden);
        Fixture x;
        QPointer<Tfrm_datenimport> f = x.f;
        frm_datenimport = f;
        x.choose(x.file("s.csv", "Name\nMeier\nSchulz\n"));
        x.map(0, "kunde.NAME");
        f->b_importClick();
        QVERIFY(f->importUnentschieden());
        std::unique_ptr<Tfrm_main> w;
        bool beendet = false;
        if (programm) {
            w = std::make_unique<Tfrm_main>(*dm);
            frm_main = w.get();
            w->beenden = [&] { beendet = true; };
        }
        platform::ScopedScriptedDialogs d;
        d.expectConfirm(platform::Answer(antwort),
                        QStringLiteral("Der Datenimport wurde weder übernommen noch verworfen. Jetzt übernehmen?"));
        const bool zu = programm ? w->close() : f->close();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.shown().first().buttons, platform::Buttons::JaNeinAbbrechen);
        QCOMPARE(zu, geschlossen);
        if (programm) QCOMPARE(beendet, geschlossen);
        QCOMPARE(x.committed("select count(*) from kunden").toInt(), kunden);
        QCOMPARE(dm->commitsHeld(), !geschlossen);
        QCOMPARE(x.count("select count(*) from kunden"), antwort == int(platform::Answer::Nein) ? 0 : 2);
        if (!geschlossen) {
            // Still undecided; the next close asks again.
            QVERIFY(f->importUnentschieden());
            d.expectConfirm(platform::Answer::Ja);
            QVERIFY(f->close());
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(x.committed("select count(*) from kunden").toInt(), 2);
        }
        frm_main = nullptr;
        w.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void commitMakesImportPermanent() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("c.csv", "Name;Hund\nMeier;Rex\nSchulz;Bello\n"));
        x.map(0, "kunde.NAME");
        x.map(1, "hund.NAME");
        f->b_importClick();
        QTest::mouseClick(f->b_commit, Qt::LeftButton);
        QVERIFY(ready(f));
        QVERIFY(dm->ibt_kunde->isActive());
        QVERIFY(dm->ibt_kunde_hunde->isActive());
        // Another connection sees what was committed.
        auto other = x.env.connect();
        db::Statement s(other.get(), other->defaultTransaction());
        s.prepare("select count(*) from hunde h join kunden k on k.kndnr = h.kndnr");
        s.open();
        QVERIFY(s.fetch());
        QCOMPARE(s.value(0).toInt(), 2);
        s.close();
        other->close();
        // A rollback now takes nothing back.
        f->b_rollbackClick();
        QCOMPARE(x.count("select count(*) from kunden"), 2);
    }

    void secondShorterFile() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("lang.csv", "Name;Vorname;Ort\nMeier;Hans;Bonn\nSchulz;Eva;Trier\nBauer;Udo;Mainz\n"));
        QCOMPARE(f->jvsg1->model()->rowCount(), 3);
        x.map(0, "kunde.NAME");
        x.map(1, "kunde.VNAME");
        x.map(2, "kunde.ORT");
        x.choose(x.file("kurz.csv", "Nachname;Rufname\nKlein;Ida\n"));
        QCOMPARE(f->jve_filename->text(), x.env.home() + "/kurz.csv");
        // Exactly the new file.
        QCOMPARE(f->jvsg1->model()->rowCount(), 1);
        QCOMPARE(f->jvsg1->model()->columnCount(), 2);
        QCOMPARE(f->jvsg1->model()->headerData(1, Qt::Horizontal).toString(), QString("Rufname"));
        QCOMPARE(f->jvsg1->model()->index(0, 0).data().toString(), QString("Klein"));
        // The mapping: the new titles, the cells of the remaining columns kept.
        QCOMPARE(f->jvsg2->columnCount(), 2);
        QCOMPARE(f->jvsg2->horizontalHeaderItem(0)->text(), QString("Nachname"));
        QCOMPARE(f->zuordnung(0), QString("kunde.NAME"));
        QCOMPARE(f->zuordnung(1), QString("kunde.VNAME"));
        f->b_importClick();
        QCOMPARE(rows(*x.module), QStringList{"Klein|Ida||kein Hund"});
    }

    void titleOnlyFile() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        x.choose(x.file("voll.csv", "Name\nMeier\nSchulz\n"));
        x.map(0, "kunde.NAME");
        x.choose(x.file("titel.csv", "Name;Ort\r\n"));
        QCOMPARE(f->jvsg1->model()->rowCount(), 0);
        QCOMPARE(f->jvsg2->columnCount(), 2);
        platform::ScopedScriptedDialogs d;
        QTest::mouseClick(f->b_import, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(imported(f));
        QCOMPARE(f->importierteZeilen(), 0);
        QCOMPARE(x.count("select count(*) from kunden"), 0);
        QCOMPARE(x.count("select count(*) from hunde"), 0);
    }

    void unreadableFile() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        const QString gut = x.file("gut.csv", "Name\nMeier\n");
        x.choose(gut);
        for (const QString& path : {x.env.home() + "/fehlt.csv", x.env.home()}) {
            platform::ScopedScriptedDialogs d;
            d.expectOpenFile(path);
            d.expectError();
            QTest::mouseClick(f->JvBitBtn1, Qt::LeftButton);
            KYN_VERIFY_DIALOGS(d);
            QVERIFY2(d.lastText().startsWith("Die Datei ") && d.lastText().contains("kann nicht gelesen werden"),
                     qPrintable(d.lastText()));
            // Everything stays as it was.
            QCOMPARE(f->jve_filename->text(), gut);
            QCOMPARE(f->jvsg1->model()->rowCount(), 1);
            QCOMPARE(f->jvsg1->model()->index(0, 0).data().toString(), QString("Meier"));
        }
        // Cancelling the file dialog changes nothing either.
        platform::ScopedScriptedDialogs d;
        d.expectOpenFile(QString());
        QTest::mouseClick(f->JvBitBtn1, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f->jve_filename->text(), gut);
    }

    void cancelThroughProgressDialog() {
        Fixture x;
        Tfrm_datenimport* f = x.f;
        QByteArray content("Name;Hund\n");
        const int lines = 400;
        for (int i = 1; i <= lines; ++i) content += "Kunde " + QByteArray::number(i) + ";Hund\n";
        x.choose(x.file("viel.csv", content));
        x.map(0, "kunde.NAME");
        x.map(1, "hund.NAME");
        f->progressMinimumDuration = 0;
        f->progressInterval = 0;

        // Clicks "Abbrechen" as soon as the progress dialog shows.
        bool sawDialog = false;
        QString label;
        std::function<void()> watch = [&] {
            auto* p = f->findChild<QProgressDialog*>();
            if (p && p->isVisible()) {
                sawDialog = true;
                label = p->labelText();
                for (QPushButton* b : p->findChildren<QPushButton*>())
                    if (b->text() == "Abbrechen") QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
            QTimer::singleShot(0, f, watch);
        };
        QTimer::singleShot(0, f, watch);
        platform::ScopedScriptedDialogs d;
        d.expectMessage();
        QTest::mouseClick(f->b_import, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(sawDialog);
        QVERIFY2(label.startsWith("Datenimport läuft"), qPrintable(label));
        const int done = f->importierteZeilen();
        QVERIFY2(done >= 1 && done < lines, qPrintable(QString::number(done)));
        QCOMPARE(d.lastText(), QString("Der Datenimport wurde abgebrochen: %1 von %2 Zeilen wurden importiert. "
                                       "Übernehmen oder verwerfen Sie die importierten Daten.")
                                   .arg(done)
                                   .arg(lines));
        QVERIFY(f->importUnterbrochen());
        // Whole lines only, all posted, pending in the transaction.
        QCOMPARE(x.count("select count(*) from kunden"), done);
        QCOMPARE(x.count("select count(*) from hunde"), done);
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Browse);
        QCOMPARE(dm->ibt_kunde_hunde->state(), db::DatasetState::Browse);
        QVERIFY(imported(f));
        QVERIFY(!f->findChild<QProgressDialog*>());
        f->b_rollbackClick();
        QCOMPARE(x.count("select count(*) from kunden"), 0);
    }

    void closePostsPendingEdits() {
        Fixture x;
        QPointer<Tfrm_datenimport> f = x.f;
        dm->ibt_kunde->open();
        dm->ibt_kunde_hunde->open();
        dm->ibt_kunde->append();
        dm->ibt_kunde->fieldByName("NAME")->setAsString("Schäfer");
        frm_datenimport = f;
        QVERIFY(f->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(f.isNull());
        QVERIFY(frm_datenimport.isNull());
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Browse);
        QCOMPARE(x.count("select count(*) from kunden where name = 'Schäfer'"), 1);

        // A customer that cannot be saved: the error, the window stays open.
        x.f = new Tfrm_datenimport(*x.module);
        x.f->show();
        dm->ibt_kunde->append();
        dm->ibt_kunde->fieldByName("KNDNR")->clear();  // no number: cannot be saved
        dm->ibt_kunde->fieldByName("NAME")->setAsString("Doppelt");
        platform::ScopedScriptedDialogs d;
        d.expectError();
        QVERIFY(!x.f->close());
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(!x.f.isNull());
        QCOMPARE(dm->ibt_kunde->state(), db::DatasetState::Insert);
        dm->ibt_kunde->cancel();
    }

    void mainWindowMenuOpensWindow() {
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        dm = &m;
        db::Statement(m.idb.get(), m.ibt).execute(QStringLiteral("update systemdaten set erststarthilfe = -1"));
        {
            Tfrm_main w(*dm);
            frm_main = &w;
            w.resize(1200, 800);
            w.show();
            QVERIFY(frm_datenimport.isNull());
            w.Dateiimportieren1->trigger();
            QVERIFY(!frm_datenimport.isNull());
            QMdiSubWindow* sub = w.subWindowOf(frm_datenimport);
            QVERIFY(sub);
            QVERIFY(sub->isMaximized());
            QVERIFY(m.ibt_kunde->isActive());
            QVERIFY(m.ibt_kunde_hunde->isActive());
            QCOMPARE(frm_datenimport->Memo1->toPlainText(), Tfrm_datenimport::memo1Text());
            QPointer<Tfrm_datenimport> first = frm_datenimport.data();
            w.Dateiimportieren1Click();
            QCOMPARE(frm_datenimport.data(), first.data());
            // Closing destroys the window; the next request creates a new one.
            sub->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(frm_datenimport.isNull());
            w.Dateiimportieren1Click();
            QVERIFY(!frm_datenimport.isNull());
        }
        frm_main = nullptr;
        delete frm_datenimport.data();
    }
};

KYN_TEST(DatenimportTest)
#include "datenimport_test.moc"
