// The course window's participants and documents, and the add-participant
// dialog: removing with its question, the payment codes on the participant
// that stays selected, the comment, enrolment by largest ID + 1 with its
// commit, the dialog's search statement with hostile texts, the document
// pick on insert and the shell actions on a course document.
#include <QAbstractItemModel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "courses/keyedit.h"
#include "db/field.h"
#include "kursetestutil.h"
#include "platform/scripteddialogs.h"
#include "platform/shell.h"
#include "report/reportpaint.h"
#include "testregistry.h"
#include "widgets/dbgrid.h"
#include "widgets/dbmemo.h"
#include "widgets/dbnavigator.h"

#include <QToolButton>

using namespace kurstest;
using platform::Answer;

namespace {

// Course 1 with Hans Meier/Rex, Anna Albers/Bello and Zorn (no first
// name)/Rex II; course 2 with one participant of its own.
void kursMitTeilnehmern(Fixture& f) {
    f.kurs(1, "Ju", "Junghunde");
    f.kurs(2, "We", "Welpen");
    f.kunde(1, "Meier", "Hans", "030 1234");
    f.kunde(2, "Albers", "Anna", "040 555");
    f.kunde(3, "Zorn", QString(), "089 77");
    f.hund(1, 1, "Rex");
    f.hund(2, 2, "Bello");
    f.hund(3, 3, "Rex II");
    f.teilnehmer(1, 1, 1, 1);
    f.teilnehmer(2, 1, 2, 2);
    f.teilnehmer(3, 1, 3, 3);
    f.teilnehmer(4, 2, 1, 1);
}

QStringList namen(db::Query* q) {
    QStringList r;
    for (q->first(); !q->eof(); q->next()) r << q->fieldByName("NAME")->asString();
    return r;
}

}  // namespace

class ParticipantsTest : public QObject {
    Q_OBJECT
private slots:
    void removalAsksWithTheNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("frage");
        QTest::newRow("with first name") << "Meier"
                                         << "Sind Sie sicher das der Teilnehmer \r\rHans Meier mit Hund Rex\r\r"
                                            "gelöscht werden soll ?";
        QTest::newRow("without first name") << "Zorn"
                                            << "Sind Sie sicher das der Teilnehmer \r\rZorn mit Hund Rex II\r\r"
                                               "gelöscht werden soll ?";
    }
    void removalAsksWithTheNames() {
        QFETCH(QString, name);
        QFETCH(QString, frage);
        Fixture f;
        kursMitTeilnehmern(f);
        Tfrm_kurse* w = f.kursfenster();
        QVERIFY(f.zuKurs(1));
        db::Query* tn = f.module->ibq_teilnehmer;
        QCOMPARE(namen(tn), (QStringList{"Albers", "Meier", "Zorn"}));
        QVERIFY(tn->locate("NAME", name));
        const int id = tn->fieldByName("ID")->asInteger();
        platform::ScopedScriptedDialogs d;
        // "Abbrechen" leaves everything as it was.
        d.expectConfirm(Answer::Abbrechen, frage);
        QTest::mouseClick(w->bb_del_teilnehmer, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.shown().last().title, QString("Bestätigung"));
        QCOMPARE(d.shown().last().buttons, platform::Buttons::JaAbbrechen);
        QCOMPARE(namen(tn).size(), 3);
        // "Ja" removes, commits and reads the list again.
        QVERIFY(tn->locate("NAME", name));
        d.expectConfirm(Answer::Ja, frage);
        QTest::mouseClick(w->bb_del_teilnehmer, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(namen(tn).size(), 2);
        QVERIFY(!namen(tn).contains(name));
        QCOMPARE(f.askCommitted(QString("select count(*) from teilnehmer where id=%1").arg(id)).toInt(), 0);
        QCOMPARE(f.askCommitted("select count(*) from teilnehmer").toInt(), 3);
    }

    void paymentCodesKeepTheSelectedParticipant_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("code");
        QTest::newRow("button") << "BitBtn4" << "B";
        QTest::newRow("Bar bezahlt") << "Barbezahlt1" << "B";
        QTest::newRow("Überwiesen") << "berwiesen1" << "Ü";
        QTest::newRow("Lastschrift") << "Lastschrift1" << "L";
        QTest::newRow("Gutschrift") << "Gutschrift1" << "G";
    }
    void paymentCodesKeepTheSelectedParticipant() {
        QFETCH(QString, control);
        QFETCH(QString, code);
        Fixture f;
        kursMitTeilnehmern(f);
        Tfrm_kurse* w = f.kursfenster();
        QVERIFY(f.zuKurs(1));
        db::Query* tn = f.module->ibq_teilnehmer;
        QVERIFY(tn->locate("NAME", "Zorn"));
        // A comment typed for the participant goes with the payment.
        w->DBMemo2->setPlainText("zahlt immer spät");
        w->DBMemo2->dataLink()->setModified(true);
        f.module->ibt_teilnehmeredit->edit();
        platform::ScopedScriptedDialogs d;
        if (auto* b = w->findChild<QPushButton*>(control)) {
            QTest::mouseClick(b, Qt::LeftButton);
        } else {
            auto* a = w->findChild<QAction*>(control);
            QVERIFY(a);
            QVERIFY(w->pm_bezahlt->actions().contains(a));
            a->trigger();
        }
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.askCommitted("select bezahlt from teilnehmer where id=3").toString(), code);
        QCOMPARE(f.askCommitted("select char_length(bezahlt) from teilnehmer where id=3").toInt(), 1);
        QCOMPARE(f.askCommitted("select kommentar from teilnehmer where id=3").toString(),
                 QString("zahlt immer spät"));
        QCOMPARE(f.ask("select count(*) from teilnehmer where bezahlt <> 'N'").toInt(), 1);
        // The list was read again and the participant acted on is still the
        // selected one (the next click marks the same person), with the new
        // code in the grid.
        QCOMPARE(tn->fieldByName("NAME")->asString(), QString("Zorn"));
        QCOMPARE(tn->fieldByName("BEZAHLT")->asString(), code);
        QCOMPARE(f.module->ibt_teilnehmeredit->fieldByName("ID")->asInteger(), 3);
        QAbstractItemModel* m = w->DBGrid1->model();
        QCOMPARE(m->headerData(3, Qt::Horizontal).toString(), QString("Bezahlt"));
        QCOMPARE(m->index(2, 3).data().toString(), code);
        QCOMPARE(w->DBGrid1->currentIndex().row(), 2);
        // A second participant, marked next: that one gets the code, the
        // first keeps its own.
        QVERIFY(tn->locate("NAME", "Meier"));
        QTest::mouseClick(w->BitBtn4, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(tn->fieldByName("NAME")->asString(), QString("Meier"));
        QCOMPARE(f.askCommitted("select bezahlt from teilnehmer where id=1").toString(), QString("B"));
        QCOMPARE(f.askCommitted("select bezahlt from teilnehmer where id=3").toString(), code);
    }

    void withoutParticipantNothingHappens() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        Tfrm_kurse* w = f.kursfenster();
        platform::ScopedScriptedDialogs d;
        QTest::mouseClick(w->bb_del_teilnehmer, Qt::LeftButton);
        QTest::mouseClick(w->BitBtn4, Qt::LeftButton);
        w->berwiesen1->trigger();
        w->Gutschrift1Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.count(), 0);
        QCOMPARE(f.ask("select count(*) from teilnehmer").toInt(), 0);
        QCOMPARE(f.module->ibt_teilnehmeredit->state(), db::DatasetState::Browse);
    }

    void participantListPostsTheComment() {
        Fixture f;
        kursMitTeilnehmern(f);
        Tfrm_kurse* w = f.kursfenster();
        QVERIFY(f.zuKurs(1));
        QVERIFY(f.module->ibq_teilnehmer->locate("NAME", "Meier"));
        db::Table* e = f.module->ibt_teilnehmeredit;
        e->edit();
        e->fieldByName("KOMMENTAR")->setAsString("bringt Leckerli mit");
        platform::ScopedScriptedDialogs d;
        report::PreviewCapture vorschau;
        w->BitBtn2Click();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(int(vorschau.shown.size()), 1);
        QCOMPARE(e->state(), db::DatasetState::Browse);
        QCOMPARE(f.ask("select kommentar from teilnehmer where id=1").toString(), QString("bringt Leckerli mit"));
    }
};

class EnrolmentTest : public QObject {
    Q_OBJECT
private slots:
    void searchStatementForms_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("sql");
        const QString erste = " select a.kndnr,a.vname,a.name,a.tel,b.name hundname,b.hundnr from kunden a,hunde b  "
                              "where a.kndnr=b.kndnr ";
        QTest::newRow("empty") << "" << QStringList{erste};
        QTest::newRow("numeric") << "12"
                                 << QStringList{erste,
                                                " and (a.kndnr like '%12%' or upper(a.name) like '%12%' or "
                                                "upper(a.vname) like '%12%' or upper(a.tel) like '%12%' or "
                                                "upper(b.name) like '%12%' or b.hundnr like '%12%')"};
        QTest::newRow("textual") << "Rex"
                                 << QStringList{erste,
                                                " and (upper(a.name) like '%REX%' or upper(a.vname) like '%REX%' or "
                                                "upper(b.name) like '%REX%' or upper(a.tel) like '%REX%')"};
        QTest::newRow("umlaut upper-cased") << "müller"
                                            << QStringList{erste,
                                                           " and (upper(a.name) like '%MÜLLER%' or upper(a.vname) "
                                                           "like '%MÜLLER%' or upper(b.name) like '%MÜLLER%' or "
                                                           "upper(a.tel) like '%MÜLLER%')"};
        QTest::newRow("apostrophe doubled") << "O'Brien"
                                            << QStringList{erste,
                                                           " and (upper(a.name) like '%O''BRIEN%' or upper(a.vname) "
                                                           "like '%O''BRIEN%' or upper(b.name) like '%O''BRIEN%' or "
                                                           "upper(a.tel) like '%O''BRIEN%')"};
        QTest::newRow("not in the character set") << "Мюллер" << QStringList{erste, " and (1=0)"};
        QTest::newRow("longer than any column") << QString(31, 'x') << QStringList{erste, " and (1=0)"};
    }
    void searchStatementForms() {
        QFETCH(QString, text);
        QFETCH(QStringList, sql);
        QCOMPARE(Tfrm_teilnehmer_add::suchSql(text), sql);
    }

    void hostileSearchTextsFindTheRightPairs_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("apostrophe") << "O'Brien" << QStringList{"O'Brien/Rex"};
        QTest::newRow("apostrophe only") << "'" << QStringList{"O'Brien/Rex"};
        QTest::newRow("injection") << "' or 1=1 --" << QStringList{};
        QTest::newRow("comment") << "--" << QStringList{"Strich--Punkt/Luna"};
        QTest::newRow("semicolon") << "; delete from kunden" << QStringList{};
        QTest::newRow("semicolon in data") << ";" << QStringList{"Strich--Punkt/Luna"};
        QTest::newRow("percent") << "%" << QStringList{"Meier/Bello", "Meier/Rex", "O'Brien/Rex", "Strich--Punkt/Luna"};
        QTest::newRow("quote") << "\"" << QStringList{"Strich--Punkt/Luna"};
        QTest::newRow("non-Latin") << "Мюллер" << QStringList{};
        QTest::newRow("very long") << QString(5000, 'a') << QStringList{};
        QTest::newRow("many percent") << QString(15000, QChar(0x25)) + "rex" + QString(15000, QChar(0x25))
                                      << QStringList{"Meier/Rex", "O'Brien/Rex"};
        QTest::newRow("number") << "2" << QStringList{"Meier/Bello", "Meier/Rex"};
        QTest::newRow("dog name") << "bello" << QStringList{"Meier/Bello"};
        QTest::newRow("telephone") << "0301" << QStringList{"Meier/Bello", "Meier/Rex"};
    }
    void hostileSearchTextsFindTheRightPairs() {
        QFETCH(QString, text);
        QFETCH(QStringList, erwartet);
        Fixture f;
        f.kunde(1, "Meier", "Hans", "0301234");
        f.kunde(5, "O'Brien", "Sean");
        f.kunde(9, "Strich--Punkt", "Ja;nein \"x\"");
        f.hund(1, 1, "Rex");
        f.hund(2, 1, "Bello");
        f.hund(3, 5, "Rex");
        f.hund(4, 9, "Luna");
        Tfrm_teilnehmer_add dlg(*f.module);
        dlg.show();
        platform::ScopedScriptedDialogs d;
        dlg.e_suchtext->setText(text);
        dlg.e_suchtext->setFocus();
        QTest::keyClick(dlg.e_suchtext, Qt::Key_Return);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(dlg.ibq_suche->isActive());
        QStringList gefunden;
        for (dlg.ibq_suche->first(); !dlg.ibq_suche->eof(); dlg.ibq_suche->next())
            gefunden << dlg.ibq_suche->fieldByName("NAME")->asString() + "/" +
                            dlg.ibq_suche->fieldByName("HUNDNAME")->asString();
        gefunden.sort();
        QCOMPARE(gefunden, erwartet);
        // Enter made no character; the text stays for the next showing.
        QCOMPARE(dlg.e_suchtext->text(), text);
        QCOMPARE(f.ask("select count(*) from kunden").toInt(), 3);
        dlg.hide();
    }

    void enrolmentNumbersAndCommits() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kunde(12, "Meier", "Hans");
        f.hund(30, 12, "Rex");
        Tfrm_kurse* w = f.kursfenster();
        QVERIFY(f.zuKurs(1));
        Tfrm_teilnehmer_add dlg(*f.module);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QString("Teilnehmer hinzufügen..."));
        QCOMPARE(dlg.ibq_suche->recordCount(), 1);
        platform::ScopedScriptedDialogs d;
        // The first participant ever gets ID 1, payment status "N".
        QTest::mouseClick(dlg.b_hinzufuegen, Qt::LeftButton);
        QCOMPARE(f.rows("select id, kursnr, kndnr, hundnr, bezahlt from teilnehmer"),
                 (QList<QVariantList>{{1, 1, 12, 30, "N"}}));
        // The same pair again is its own row.
        dlg.DBGrid1DblClick();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.askCommitted("select count(*) from teilnehmer").toInt(), 2);
        QCOMPARE(f.rows("select id, kursnr, kndnr, hundnr, bezahlt from teilnehmer order by id"),
                 (QList<QVariantList>{{1, 1, 12, 30, "N"}, {2, 1, 12, 30, "N"}}));
        // The course window's list shows both at once.
        QCOMPARE(f.module->ibq_teilnehmer->recordCount(), 2);
        QCOMPARE(w->DBGrid1->model()->rowCount(), 2);
        // The statement and the text survive closing the dialog.
        dlg.e_suchtext->setText("rex");
        QTest::keyClick(dlg.e_suchtext, Qt::Key_Return);
        const QStringList letzte = dlg.ibq_suche->sql();
        dlg.hide();
        QVERIFY(!dlg.ibq_suche->isActive());
        dlg.show();
        QVERIFY(dlg.ibq_suche->isActive());
        QCOMPARE(dlg.ibq_suche->sql(), letzte);
        QCOMPARE(dlg.e_suchtext->text(), QString("rex"));
        dlg.hide();
    }

    void withoutPairNothingIsEnrolled() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kunde(12, "Meier", "Hans");
        f.hund(30, 12, "Rex");
        f.kursfenster();
        Tfrm_teilnehmer_add dlg(*f.module);
        dlg.show();
        platform::ScopedScriptedDialogs d;
        dlg.e_suchtext->setText("niemand");
        QTest::keyClick(dlg.e_suchtext, Qt::Key_Return);
        QCOMPARE(dlg.ibq_suche->recordCount(), 0);
        QTest::mouseClick(dlg.b_hinzufuegen, Qt::LeftButton);
        dlg.DBGrid1DblClick();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.count(), 0);
        QCOMPARE(f.ask("select count(*) from teilnehmer").toInt(), 0);
        dlg.hide();
    }

    void courseWindowShowsTheDialogModally() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.kunde(1, "Meier", "Hans");
        f.hund(1, 1, "Rex");
        f.teilnehmer(41, 7, 1, 1);
        Tfrm_kurse* w = f.kursfenster();
        QVERIFY(f.zuKurs(1));
        platform::ScopedScriptedDialogs d;
        bool modal = false;
        wennSichtbar([] { return static_cast<QDialog*>(frm_teilnehmer_add.data()); },
                     [&modal](QDialog* dlg) {
                         modal = dlg->isModal();
                         frm_teilnehmer_add->b_hinzufuegenClick();
                         frm_teilnehmer_add->b_closeClick();
                     });
        QTest::mouseClick(w->b_add_teilnehmer, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(modal);
        QVERIFY(!frm_teilnehmer_add->isVisible());
        QCOMPARE(f.askCommitted("select kursnr from teilnehmer where id=42").toInt(), 1);
        QCOMPARE(f.module->ibq_teilnehmer->recordCount(), 1);
    }
};

class CourseDocumentsTest : public QObject {
    Q_OBJECT
private slots:
    void insertAsksForTheDocument() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.dokument(3, "Anmeldeformular", "A", "Alle", "/tmp/anmeldung.pdf");
        f.dokument(4, "Kursinfo", "K", "Kursleiter", "/tmp/info.pdf");
        Tfrm_kurse* w = f.kursfenster();
        QVERIFY(f.zuKurs(1));
        platform::ScopedScriptedDialogs d;
        db::Table* kd = f.module->IBT_kursdokumente;
        Auswahl gesehen;
        waehleNaechste(4, &gesehen);
        QTest::mouseClick(w->DBNavigator2->button(widgets::DbNavigator::Insert), Qt::LeftButton);
        QCOMPARE(gesehen.caption, QString("Dokument auswählen..."));
        QCOMPARE(gesehen.titel, (QStringList{"Dok.-Nr.", "Dokument", "Art", "Verteiler"}));
        QCOMPARE(kd->state(), db::DatasetState::Insert);
        QCOMPARE(kd->fieldByName("DOKNR")->asInteger(), 4);
        QCOMPARE(kd->fieldByName("BEZEICHNUNG")->asString(), QString("Kursinfo"));
        QCOMPARE(kd->fieldByName("ART_ANZEIGE")->asString(), QString("Kursdokument"));
        QCOMPARE(kd->fieldByName("VERTEILER")->asString(), QString("Kursleiter"));
        QTest::mouseClick(w->DBNavigator2->button(widgets::DbNavigator::Post), Qt::LeftButton);
        QCOMPARE(f.ask("select doknr || verteiler from kurs_dokumente where kursnr=1").toString(),
                 QString("4Kursleiter"));

        // Cancelling the choice leaves a row without document: posting it is
        // refused until the user cancels it.
        waehleNaechste(QVariant());
        QTest::mouseClick(w->DBNavigator2->button(widgets::DbNavigator::Insert), Qt::LeftButton);
        QCOMPARE(kd->state(), db::DatasetState::Insert);
        QVERIFY(kd->fieldByName("DOKNR")->isNull());
        d.expectError();
        QTest::mouseClick(w->DBNavigator2->button(widgets::DbNavigator::Post), Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(kd->state(), db::DatasetState::Insert);
        QTest::mouseClick(w->DBNavigator2->button(widgets::DbNavigator::Cancel), Qt::LeftButton);
        QCOMPARE(kd->state(), db::DatasetState::Browse);
        QCOMPARE(f.ask("select count(*) from kurs_dokumente").toInt(), 1);
        KYN_VERIFY_DIALOGS(d);
    }

    void showAndPrintTheSelectedDocument() {
        Fixture f;
        f.kurs(1, "Ju", "Junghunde");
        f.dokument(3, "Anmeldeformular", "A", "Alle", "/tmp/anmeldung formular.pdf");
        f.dokument(4, "Kursinfo", "K", "Alle", "/tmp/info.pdf");
        f.run("insert into kurs_dokumente (kursnr, doknr, verteiler) values (1, 3, \"Alle\")");
        f.run("insert into kurs_dokumente (kursnr, doknr, verteiler) values (1, 4, \"Alle\")");
        Tfrm_kurse* w = f.kursfenster();
        QVERIFY(f.zuKurs(1));
        // The document table stands elsewhere (as the document window left it).
        QVERIFY(f.module->ibt_dokumente->locate("DOKNR", 4));
        QVERIFY(f.module->IBT_kursdokumente->locate("DOKNR", 3));
        platform::ScopedRecordingShell shell;
        platform::ScopedScriptedDialogs d;
        QTest::mouseClick(w->bb_anzeigen, Qt::LeftButton);
        QTest::mouseClick(w->bb_this_dok_print, Qt::LeftButton);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(shell.calls(), (QList<platform::ShellCall>{{"open", "/tmp/anmeldung formular.pdf"},
                                                            {"print", "/tmp/anmeldung formular.pdf"}}));
        QCOMPARE(f.module->ibt_dokumente->fieldByName("DOKNR")->asInteger(), 4);
        // Without a course document nothing is started.
        shell.clear();
        f.kurs(2, "We", "Welpen");
        f.module->ibt_kurse->refresh();
        QVERIFY(f.zuKurs(2));
        w->bb_anzeigenClick();
        QCOMPARE(shell.calls().size(), 0);
    }
};

KYN_TEST(ParticipantsTest)
KYN_TEST(EnrolmentTest)
KYN_TEST(CourseDocumentsTest)

#include "teilnehmer_test.moc"
