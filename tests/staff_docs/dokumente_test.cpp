// The document window: kind and distribution chosen from pick lists, the
// file dialog of the path column, paths the column cannot hold, the shell
// calls of "Anzeigen" and "Drucken", the save check and the close handler.
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>

#include "common/testregistry.h"
#include "platform/scripteddialogs.h"
#include "platform/shell.h"
#include "shell/htmlbrowser.h"
#include "platform/datei_ausfuehren.h"
#include "staff_docs/dokumente.h"
#include "staffdocstest.h"
#include "widgets/dbgrid.h"
#include "widgets/dbnavigator.h"
#include "widgets/rolloutpanel.h"

using staffdocstest::Fixture;
using B = widgets::DbNavigator;

namespace {

void addDocument(Fixture& f, int nr, const QString& name, const QString& pfad = QString()) {
    db::Statement s(dm->idb.get(), dm->ibt);
    s.prepare("insert into dokumente (doknr, dokumentname, dokumentart, verteilungsart, pfad) "
              "values (?, ?, \"B\", \"Alle\", ?)");
    s.setParam(0, nr);
    s.setParam(1, name);
    s.setParam(2, pfad.isEmpty() ? QVariant() : QVariant(pfad));
    s.execute();
}

// Chooses `entry` from the pick list of the current row's `column`, as the
// user does: cell editor, drop-down list, Enter.
void choose(widgets::DbGrid* g, int column, const QString& entry) {
    g->setFocus();
    g->setSelectedIndex(column);
    Fixture::settle();
    if (!qobject_cast<QComboBox*>(g->cellEditor())) g->edit(g->currentIndex());
    auto* combo = qobject_cast<QComboBox*>(g->cellEditor());
    QVERIFY(combo);
    const int i = combo->findText(entry);
    QVERIFY2(i >= 0, qPrintable(entry));
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    combo->view()->setCurrentIndex(combo->view()->model()->index(i, 0));
    QTest::keyClick(combo->view(), Qt::Key_Return);
    Fixture::settle();
}

QString pfadOf(Fixture& f, int nr) {
    return f.scalar(QStringLiteral("select pfad from dokumente where doknr = %1").arg(nr)).toString();
}

int columnOf(widgets::DbGrid* g, const char* field) {
    for (int i = 0; i < g->columns().size(); ++i)
        if (g->columns()[i].fieldName == QLatin1String(field)) return i;
    return -1;
}

}  // namespace

class DocumentWindowTest : public QObject {
    Q_OBJECT
private slots:
    void layoutColumnsAndModeOne() {
        Fixture f;
        addDocument(f, 1, "Anmeldeformular Welpenkurs", "/srv/schule/anmeldung.pdf");
        addDocument(f, 2, "Hausordnung");
        // A filter left from elsewhere is switched off by mode 1.
        dm->ibt_dokumente->open();
        dm->ibt_dokumente->setFilter("doknr = 2");
        dm->ibt_dokumente->setFiltered(true);
        platform::ScopedScriptedDialogs d;
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        QVERIFY(frm_dokumente);
        Tfrm_dokumente& w = *frm_dokumente;
        QCOMPARE(w.windowTitle(), QStringLiteral("Dokumentenverwaltung"));
        QVERIFY(frm_main->subWindowOf(&w)->isMaximized());
        QVERIFY(!dm->ibt_dokumente->filtered());
        QVERIFY(dm->ibt_dokumente->filter().isEmpty());
        QVERIFY(frm_main->wb_assistent->currentFile().endsWith("help/dokumenteverwaltung.htm"));

        struct Col { const char* title; int width; bool readOnly; QStringList pick; bool ellipsis; };
        const Col cols[] = {{"Dok.-Nr.", 43, true, {}, false},
                            {"Bezeichnung", 231, false, {}, false},
                            {"Art", 31, false, {"Anmeldung", "Brief", "Infoblatt", "Kursdokument", "Vertrag"}, false},
                            {"Verteiler", -1, false, {"Alle", "Kursleiter"}, false},
                            {"Pfad", 200, false, {}, true}};
        QCOMPARE(w.dbg_dokumente->model()->columnCount(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(w.dbg_dokumente->model()->headerData(i, Qt::Horizontal).toString(), QString::fromUtf8(cols[i].title));
            // The given width, or wider where the title needs it.
            // What the title needs: the header's own measure, and its text
            // with a small margin.
            const int titel = std::max(w.dbg_dokumente->horizontalHeader()->sectionSizeHint(i),
                                       w.dbg_dokumente->horizontalHeader()->fontMetrics().horizontalAdvance(
                                           w.dbg_dokumente->model()->headerData(i, Qt::Horizontal).toString()) + 12);
            QVERIFY(w.dbg_dokumente->columnWidth(i) >= titel);
            if (cols[i].width > 0 && titel <= cols[i].width) QCOMPARE(w.dbg_dokumente->columnWidth(i), cols[i].width);
            QCOMPARE(w.dbg_dokumente->columns()[i].readOnly, cols[i].readOnly);
            QCOMPARE(w.dbg_dokumente->columns()[i].pickList, cols[i].pick);
            QCOMPARE(w.dbg_dokumente->columns()[i].ellipsisButton, cols[i].ellipsis);
        }
        QCOMPARE(w.dbg_dokumente->model()->rowCount(), 2);
        QCOMPARE(w.Splitter1->handleWidth(), 9);
        QVERIFY(w.jvro_kurse->isCollapsed());
        QCOMPARE(w.jvro_kurse->caption(), QStringLiteral("Wird verwendet in folgenden Kursen:"));
        QCOMPARE(w.bb_anzeigen->text(), QStringLiteral("Anzeigen"));
        QCOMPARE(w.BitBtn1->text(), QStringLiteral("Drucken"));
        QCOMPARE(w.DBNavigator1->visibleButtons(), B::EditButtons);
        for (B::Button b : {B::First, B::Prior, B::Next, B::Last, B::Insert, B::Delete, B::Post, B::Cancel})
            QVERIFY(w.DBNavigator1->hint(b).contains("Dokument"));

        // The roll-out lists the courses that hand the document out.
        f.exec("insert into kurse (kursnr, kursart, kursname) values (3, \"We\", \"Welpen Frühjahr\")");
        f.exec("insert into kurs_dokumente (kursnr, doknr, verteiler) values (3, 1, \"Alle\")");
        dm->ibt_dokumente->first();
        w.jvro_kurse->expand();
        QCOMPARE(w.lb_kurse->count(), 1);
        QCOMPARE(w.lb_kurse->item(0)->text(), QStringLiteral("0003  Welpen Frühjahr  (We)"));
        dm->ibt_dokumente->next();
        QCOMPARE(w.lb_kurse->count(), 0);
        KYN_VERIFY_DIALOGS(d);
    }

    // The kind is stored as the first letter of the word chosen, the
    // distribution as the word.
    void kindAndDistributionCodes() {
        Fixture f;
        addDocument(f, 1, "Hausordnung");
        platform::ScopedScriptedDialogs d;
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        Tfrm_dokumente& w = *frm_dokumente;
        const int art = columnOf(w.dbg_dokumente, "DOKUMENTART");
        const int verteiler = columnOf(w.dbg_dokumente, "VERTEILUNGSART");
        const QList<QPair<QString, QString>> kinds = {{"Anmeldung", "A"}, {"Brief", "B"}, {"Infoblatt", "I"},
                                                      {"Kursdokument", "K"}, {"Vertrag", "V"}};
        for (const auto& [word, code] : kinds) {
            choose(w.dbg_dokumente, art, word);
            QVERIFY(w.check_sichern());
            QCOMPARE(f.scalar("select dokumentart from dokumente where doknr = 1").toString(), code);
            QCOMPARE(w.dbg_dokumente->model()->index(0, art).data().toString(), code);
        }
        for (const QString word : {"Kursleiter", "Alle"}) {
            choose(w.dbg_dokumente, verteiler, word);
            QVERIFY(w.check_sichern());
            QCOMPARE(f.scalar("select verteilungsart from dokumente where doknr = 1").toString(), word);
        }
        KYN_VERIFY_DIALOGS(d);
    }

    // The path column's ellipsis button: the dialog as specified; cancel
    // leaves the row untouched, confirm puts the path into the row (not
    // posted yet); other columns open nothing.
    void pathDialogConfirmAndCancel() {
        Fixture f;
        addDocument(f, 1, "Vertrag Einzelstunden", "/srv/alt.doc");
        platform::ScopedScriptedDialogs d;
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        Tfrm_dokumente& w = *frm_dokumente;
        const int pfad = columnOf(w.dbg_dokumente, "PFAD");

        // Not the path column: no dialog.
        w.dbg_dokumente->setSelectedIndex(1);
        w.dbg_dokumenteEditButtonClick();
        QCOMPARE(d.count(), 0);

        // Cancelled, through the button in the cell editor.
        w.dbg_dokumente->setFocus();
        w.dbg_dokumente->setSelectedIndex(pfad);
        w.dbg_dokumente->edit(w.dbg_dokumente->currentIndex());
        auto* editor = qobject_cast<QLineEdit*>(w.dbg_dokumente->cellEditor());
        QVERIFY(editor);
        QCOMPARE(editor->actions().size(), 1);
        d.expectOpenFile(QString());
        editor->actions().first()->trigger();
        Fixture::settle();
        KYN_VERIFY_DIALOGS(d);
        const platform::ShownBox box = d.shown().last();
        QCOMPARE(box.kind, platform::BoxKind::OpenFile);
        QVERIFY(box.text.isEmpty());
        QVERIFY(box.filter.isEmpty());
        QCOMPARE(box.acceptLabel, QStringLiteral("Übernehmen"));
        QCOMPARE(box.defaultSuffix, QStringLiteral("*.doc"));
        QCOMPARE(dm->ibt_dokumente->state(), db::DatasetState::Browse);
        QCOMPARE(dm->ibt_dokumente->fieldByName("PFAD")->asString(), QStringLiteral("/srv/alt.doc"));

        // Confirmed: in the row, shown in the cell, posted with the row.
        const QString neu = "/home/schule/Verträge/Einzelstunde 2024.doc";
        d.expectOpenFile(neu);
        w.dbg_dokumenteEditButtonClick();
        QCOMPARE(dm->ibt_dokumente->state(), db::DatasetState::Edit);
        QCOMPARE(dm->ibt_dokumente->fieldByName("PFAD")->asString(), neu);
        QCOMPARE(w.dbg_dokumente->model()->index(0, pfad).data().toString(), neu);
        QCOMPARE(pfadOf(f, 1), QStringLiteral("/srv/alt.doc"));
        w.DBNavigator1->btnClick(B::Post);
        QCOMPARE(pfadOf(f, 1), neu);
        KYN_VERIFY_DIALOGS(d);
    }

    void pathDialogOnEmptyTableStartsARow() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        Tfrm_dokumente& w = *frm_dokumente;
        w.dbg_dokumente->setSelectedIndex(columnOf(w.dbg_dokumente, "PFAD"));
        d.expectOpenFile("/home/schule/info.pdf");
        w.dbg_dokumenteEditButtonClick();
        QCOMPARE(dm->ibt_dokumente->state(), db::DatasetState::Insert);
        QCOMPARE(dm->ibt_dokumente->fieldByName("DOKNR")->asInteger(), 1);
        QVERIFY(w.check_sichern());
        QCOMPARE(pfadOf(f, 1), QStringLiteral("/home/schule/info.pdf"));
        KYN_VERIFY_DIALOGS(d);
    }

    // A path the column cannot hold whole (longer than its 200 characters, or
    // with characters outside Western European script) is refused with a
    // message; the row stays as it was. 200 characters are taken whole.
    void pathTheColumnCannotHoldIsRefused() {
        Fixture f;
        addDocument(f, 1, "Infoblatt Impfungen", "/srv/impfung.pdf");
        platform::ScopedScriptedDialogs d;
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        Tfrm_dokumente& w = *frm_dokumente;
        w.dbg_dokumente->setSelectedIndex(columnOf(w.dbg_dokumente, "PFAD"));
        const QString dir = "/home/schule/" + QString(170, 'x') + "/";
        const QString p200 = dir + QString(200 - dir.size() - 4, 'a') + ".doc";
        const QString p201 = dir + QString(201 - dir.size() - 4, 'a') + ".doc";
        QCOMPARE(p200.size(), 200);
        QCOMPARE(p201.size(), 201);

        for (const QString& bad : {p201, QStringLiteral("/home/schule/Łódź/anmeldung.doc")}) {
            d.expectOpenFile(bad);
            d.expectMessage();
            w.dbg_dokumenteEditButtonClick();
            KYN_VERIFY_DIALOGS(d);
            QVERIFY(d.lastText().contains(bad));
            QVERIFY(d.lastText().contains("nicht übernommen"));
            QCOMPARE(dm->ibt_dokumente->state(), db::DatasetState::Browse);
            QCOMPARE(dm->ibt_dokumente->fieldByName("PFAD")->asString(), QStringLiteral("/srv/impfung.pdf"));
        }
        QVERIFY(d.shown()[1].text.contains("höchstens 200 Zeichen"));

        d.expectOpenFile(p200);
        w.dbg_dokumenteEditButtonClick();
        QVERIFY(w.check_sichern());
        QCOMPARE(pfadOf(f, 1), p200);
        KYN_VERIFY_DIALOGS(d);
    }

    // "Anzeigen" and "Drucken" hand the stored path to the shell as it is,
    // one argument, whatever it contains; nothing goes through a command line.
    void showAndPrintThroughTheShell() {
        Fixture f;
        const QStringList paths = {"/home/schule/Info blatt Welpen.pdf", "/tmp/brief;rm -rf ~.doc",
                                   "/tmp/$(touch gehackt).doc", "-rf.doc", "c:\\kynovia\\dokumente\\vertrag.doc"};
        for (int i = 0; i < paths.size(); ++i) addDocument(f, i + 1, QStringLiteral("Dokument %1").arg(i + 1), paths[i]);
        addDocument(f, 9, "ohne Datei");
        platform::ScopedScriptedDialogs d;
        platform::ScopedRecordingShell shell;
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        Tfrm_dokumente& w = *frm_dokumente;
        QList<platform::ShellCall> expected;
        dm->ibt_dokumente->first();
        for (const QString& p : paths) {
            w.bb_anzeigen->click();
            w.BitBtn1->click();
            expected << platform::ShellCall{"open", p} << platform::ShellCall{"print", p};
            dm->ibt_dokumente->next();
        }
        QCOMPARE(shell.calls(), expected);
        // A document without a file: a message, no shell call.
        QVERIFY(dm->ibt_dokumente->locate("DOKNR", 9));
        d.expectMessage("Für dieses Dokument ist keine Datei eingetragen.");
        w.bb_anzeigen->click();
        d.expectMessage("Für dieses Dokument ist keine Datei eingetragen.");
        w.BitBtn1->click();
        QCOMPARE(shell.calls().size(), expected.size());
        KYN_VERIFY_DIALOGS(d);
    }

    // The shared call: verbs, and what the desktop would start for such names.
    void dateiAusfuehrenVerbsAndCommands() {
        TestEnv env;
        platform::ScopedRecordingShell shell;
        QVERIFY(datei_ausfuehren(nullptr, QString(), "/a b.doc"));
        QVERIFY(datei_ausfuehren(nullptr, "open", "/c.doc", QString(), QString(), SW_HIDE));
        QVERIFY(datei_ausfuehren(nullptr, "print", "/d.doc"));
        QVERIFY(!datei_ausfuehren(nullptr, "edit", "/e.doc"));
        QCOMPARE(shell.calls(), (QList<platform::ShellCall>{{"open", "/a b.doc"}, {"open", "/c.doc"},
                                                             {"print", "/d.doc"}}));
        shell.setResult(false);
        QVERIFY(!datei_ausfuehren(nullptr, QString(), "/f.doc"));

        // Real files with hostile names: the command is one program with the
        // file as one argument (after "--" for lp), and a name starting with
        // "-" is passed with its directory, so it is never taken as an option.
        const QDir dir(env.home());
        for (const QString name : {"Info blatt.pdf", "a;rm -rf ~.doc", "$(touch gehackt).doc", "-rf.doc"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            const QString resolved = platform::resolveFile(dir.filePath(name));
            QVERIFY(resolved.startsWith('/'));
            QCOMPARE(platform::openFileCommand(resolved), (platform::ShellCommand{"xdg-open", {resolved}}));
            QCOMPARE(platform::printFileCommand(resolved), (platform::ShellCommand{"lp", {"--", resolved}}));
        }
        QVERIFY(!QFile::exists(dir.filePath("gehackt")));
    }

    // "Drucken" sends to the printer only what the print system prints
    // (PDF, PostScript, plain text, pictures); any other file opens in its
    // program, with the hint to print it there.
    void printOnlyWhatThePrintSystemPrints_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<bool>("gedruckt");
        const QByteArray zip("PK\x03\x04\x14\x00\x06\x00", 8);
        QTest::newRow("PDF") << "Vertrag.pdf" << QByteArray("%PDF-1.4\n%\xe2\xe3\n1 0 obj\n") << true;
        QTest::newRow("PostScript") << "Plan.ps" << QByteArray("%!PS-Adobe-3.0\n") << true;
        QTest::newRow("Text") << "Hausordnung.txt" << QByteArray("Bitte Hunde anleinen.\n") << true;
        QTest::newRow("PNG") << "Lageplan.png" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << true;
        QTest::newRow("JPEG") << "Foto.jpg" << QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0", 11) << true;
        QTest::newRow("Word") << "Brief.docx" << zip << false;
        QTest::newRow("Writer") << "Anmeldung.odt" << zip << false;
        QTest::newRow("Tabelle") << "Preise.xlsx" << zip << false;
        QTest::newRow("altes Word") << "Alt.doc" << QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8) << false;
        QTest::newRow("Webseite") << "Info.html" << QByteArray("<html><body>Info</body></html>") << false;
    }
    void printOnlyWhatThePrintSystemPrints() {
        QFETCH(QString, name);
        QFETCH(QByteArray, inhalt);
        QFETCH(bool, gedruckt);
        TestEnv env;
        const QString pfad = QDir(env.home()).filePath(name);
        QFile file(pfad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(inhalt);
        file.close();
        QCOMPARE(platform::printSystemCanPrint(pfad), gedruckt);
        platform::ScopedScriptedDialogs d;
        platform::ScopedRecordingShell shell;
        if (!gedruckt) d.expectMessage(druckenImProgramm(pfad));
        QVERIFY(datei_ausfuehren(nullptr, "print", pfad));
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(shell.calls(), (QList<platform::ShellCall>{{gedruckt ? "print" : "open", pfad}}));
        if (!gedruckt) QVERIFY(d.lastText().contains("bitte drucken Sie sie dort"));
    }

    // The save check with a row the database refuses, mode 1 blocked by it,
    // and the close handler.
    void saveCheckAndClose() {
        Fixture f;
        addDocument(f, 1, "Hausordnung");
        platform::ScopedScriptedDialogs d;
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        QPointer<Tfrm_dokumente> w = frm_dokumente;
        // A new row gets number 2; without its number it cannot be saved.
        w->DBNavigator1->btnClick(B::Insert);
        QCOMPARE(dm->ibt_dokumente->fieldByName("DOKNR")->asInteger(), 2);
        dm->ibt_dokumente->fieldByName("DOKUMENTNAME")->setAsString("Anmeldung Agility");
        dm->ibt_dokumente->fieldByName("DOKNR")->clear();
        dm->ibt_dokumente->setFilter("doknr > 0");
        d.expectMessage(QStringLiteral(
            "Die Änderungen an den Dokumenten konnten nicht gesichert werden, da diese nicht vollständig oder nicht "
            "korrekt sind ! (Datumsformate korrekt ? Buchstaben in Zahlenfeldern ?) Vervollständigen oder korrigieren "
            "Sie bitte zunächst die Änderungen oder verwerfen Sie diese."));
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(dm->ibt_dokumente->state(), db::DatasetState::Insert);
        QCOMPARE(dm->ibt_dokumente->filter(), QStringLiteral("doknr > 0"));

        // Closing with that row: the error box, the window stays.
        d.expectError();
        frm_main->subWindowOf(w)->close();
        Fixture::settle();
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(w);
        QCOMPARE(dm->ibt_dokumente->state(), db::DatasetState::Insert);

        // Corrected: closing posts it and destroys the window.
        dm->ibt_dokumente->fieldByName("DOKNR")->setAsInteger(3);
        frm_main->subWindowOf(w)->close();
        Fixture::settle();
        QVERIFY(!w);
        QVERIFY(!frm_dokumente);
        QCOMPARE(f.scalar("select dokumentname from dokumente where doknr = 3").toString(),
                 QStringLiteral("Anmeldung Agility"));
        frm_main->dokumenteverwaltunganzeigen(Fenstermodus::Bearbeiten);
        QVERIFY(frm_dokumente);
        QVERIFY(dm->ibt_dokumente->locate("DOKNR", 3));
        const int row = dm->ibt_dokumente->recNo();
        QCOMPARE(frm_dokumente->dbg_dokumente->model()->index(row, 1).data().toString(),
                 QStringLiteral("Anmeldung Agility"));
        KYN_VERIFY_DIALOGS(d);
    }
};

KYN_TEST(DocumentWindowTest)
#include "dokumente_test.moc"
