// The dialog seam: the scripted double that tests use, and the real boxes.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "common/testregistry.h"
#include "platform/scripteddialogs.h"

using platform::Answer;
using platform::BoxKind;
using platform::Buttons;
using platform::Icon;

class TestScriptedDialogs : public QObject {
    Q_OBJECT

private slots:
    void answersInOrder() {
        platform::ScopedScriptedDialogs d;
        d.answer(Answer::Ja).expectMessage().expectConfirm(Answer::Abbrechen).expectOpenFile("/tmp/a.doc");
        auto& ui = platform::dialogs();
        QCOMPARE(&ui, static_cast<platform::Dialogs*>(&d));

        QCOMPARE(ui.confirm("Neuen Kurs einfügen ?", "Bestätigung", Buttons::JaNein), Answer::Ja);
        ui.messageBox("Update erfolgreich.");
        QCOMPARE(ui.confirm("Teilnehmer löschen?", "Bestätigung", Buttons::JaAbbrechen), Answer::Abbrechen);
        QCOMPARE(ui.openFileName(QString(), QString(), QString(), "Übernehmen", "*.doc"), QStringLiteral("/tmp/a.doc"));

        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.texts(), QStringList({"Neuen Kurs einfügen ?", "Update erfolgreich.",
                                         "Teilnehmer löschen?", ""}));
        QCOMPARE(d.count(), 4);
        const auto& b = d.shown();
        QCOMPARE(b[0].kind, BoxKind::Confirm);
        QCOMPARE(b[0].title, QStringLiteral("Bestätigung"));
        QCOMPARE(b[0].icon, Icon::Question);
        QCOMPARE(b[1].kind, BoxKind::Message);
        QCOMPARE(b[1].title, QStringLiteral("Kynovia"));
        QCOMPARE(b[1].icon, Icon::Information);
        QCOMPARE(b[2].buttons, Buttons::JaAbbrechen);
        QCOMPARE(b[2].answer, Answer::Abbrechen);
        QCOMPARE(b[3].kind, BoxKind::OpenFile);
        QCOMPARE(b[3].acceptLabel, QStringLiteral("Übernehmen"));
        QCOMPARE(b[3].defaultSuffix, QStringLiteral("*.doc"));
    }

    void errorBoxIsAMessageToo() {
        platform::ScriptedDialogs d;
        platform::DialogsGuard g(&d);
        d.expectError("Column unknown").expectMessage();
        platform::dialogs().errorBox("Column unknown");
        platform::dialogs().errorBox("zweiter Fehler");
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.shown()[1].kind, BoxKind::Error);
        QCOMPARE(d.shown()[1].icon, Icon::Error);
        QCOMPARE(d.shown()[1].title, QStringLiteral("Kynovia"));
    }

    // Every way a box can come unasked is recorded, reported and answered as
    // if it had been closed.
    void unexpectedBoxes() {
        platform::ScopedScriptedDialogs d;
        const QRegularExpression warning = platform::ScriptedDialogs::unexpectedWarning();

        QTest::ignoreMessage(QtWarningMsg, warning);
        QCOMPARE(platform::dialogs().confirm("Wirklich?", "Bestätigung", Buttons::JaNein), Answer::Nein);
        QVERIFY(d.unexpected());
        QVERIFY(!d.ok());
        QVERIFY(!d.shown().last().expected);
        QVERIFY(d.report().contains("Wirklich?"));

        d.clear();
        QVERIFY(d.ok());
        d.expectConfirm(Answer::Ja);
        QTest::ignoreMessage(QtWarningMsg, warning);
        platform::dialogs().messageBox("Hinweis");  // kind does not fit: queue stays
        QCOMPARE(d.pending(), 1);
        QVERIFY(d.unexpected());
        QCOMPARE(platform::dialogs().confirm("Ja?", "Bestätigung", Buttons::JaNeinAbbrechen), Answer::Ja);

        d.clear();
        d.expectConfirm(Answer::Nein);  // the box has no "Nein"
        QTest::ignoreMessage(QtWarningMsg, warning);
        QCOMPARE(platform::dialogs().confirm("?", "Bestätigung", Buttons::JaAbbrechen), Answer::Abbrechen);
        QVERIFY(d.unexpected());

        d.clear();
        d.expectMessage("Erwartet");
        QTest::ignoreMessage(QtWarningMsg, warning);
        platform::dialogs().messageBox("Anders");
        QVERIFY(d.unexpected());

        d.clear();
        QTest::ignoreMessage(QtWarningMsg, warning);
        QCOMPARE(platform::dialogs().openFileName("Datei wählen"), QString());
        QVERIFY(d.unexpected());

        d.clear();
        d.expectMessage();
        QVERIFY(!d.ok());  // never shown
        QVERIFY(d.report().contains("never shown"));
        d.clear();
    }

    void acknowledgeMessages() {
        platform::ScopedScriptedDialogs d;
        d.setAcknowledgeMessages(true);
        d.answer(Answer::Ja);
        platform::dialogs().messageBox("Schritt 1 erfolgreich.");
        QCOMPARE(platform::dialogs().confirm("Weiter?"), Answer::Ja);
        platform::dialogs().errorBox("Fehler");
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.count(), 3);
        QCOMPARE(d.lastText(), QStringLiteral("Fehler"));
    }

    void guardsNest() {
        platform::Dialogs* real = &platform::dialogs();
        {
            platform::ScopedScriptedDialogs outer;
            {
                platform::ScopedScriptedDialogs inner;
                QCOMPARE(&platform::dialogs(), static_cast<platform::Dialogs*>(&inner));
            }
            QCOMPARE(&platform::dialogs(), static_cast<platform::Dialogs*>(&outer));
        }
        QCOMPARE(&platform::dialogs(), real);
        QVERIFY(dynamic_cast<platform::QtDialogs*>(real));
    }
};

class TestQtDialogs : public QObject {
    Q_OBJECT

    static QStringList captions(QMessageBox& box) {
        QStringList c;
        for (QAbstractButton* b : box.buttons()) c << b->text();
        c.sort();
        return c;
    }

private slots:
    void initTestCase() {
        // Nothing in these tests may reach a real, waiting box.
        platform::setDialogs(nullptr);
    }

    void confirmBoxes_data() {
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<Answer>("defaultButton");
        QTest::addColumn<QStringList>("expectedCaptions");
        QTest::addColumn<Answer>("closed");
        QTest::newRow("Ja/Nein") << Buttons::JaNein << Answer::Ja
                                 << QStringList({"&Ja", "&Nein"}) << Answer::Nein;
        QTest::newRow("Ja/Abbrechen") << Buttons::JaAbbrechen << Answer::Ja
                                      << QStringList({"&Abbrechen", "&Ja"}) << Answer::Abbrechen;
        QTest::newRow("Ja/Nein/Abbrechen, default Nein")
            << Buttons::JaNeinAbbrechen << Answer::Nein
            << QStringList({"&Abbrechen", "&Ja", "&Nein"}) << Answer::Abbrechen;
    }
    void confirmBoxes() {
        QFETCH(Buttons, buttons);
        QFETCH(Answer, defaultButton);
        QFETCH(QStringList, expectedCaptions);
        QFETCH(Answer, closed);

        auto box = platform::QtDialogs::buildConfirmBox("Zeile 1\r\rZeile <b>3</b>", "Bestätigung",
                                                        buttons, Icon::Question, defaultButton);
        QCOMPARE(box->windowTitle(), QStringLiteral("Bestätigung"));
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->text(), QStringLiteral("Zeile 1\n\nZeile <b>3</b>"));
        QCOMPARE(captions(*box), expectedCaptions);
        QCOMPARE(box->defaultButton()->text(),
                 defaultButton == Answer::Ja ? QStringLiteral("&Ja") : QStringLiteral("&Nein"));

        // Closing the box (frame or Escape) gives the declining answer.
        box->show();
        box->close();
        QCOMPARE(platform::QtDialogs::answerOf(*box, buttons), closed);
        QCOMPARE(platform::declineAnswer(buttons), closed);

        // Each button gives its own answer.
        for (QAbstractButton* b : box->buttons()) {
            auto fresh = platform::QtDialogs::buildConfirmBox("?", "Bestätigung", buttons,
                                                              Icon::Question, defaultButton);
            for (QAbstractButton* f : fresh->buttons())
                if (f->text() == b->text()) f->click();
            const Answer a = platform::QtDialogs::answerOf(*fresh, buttons);
            const QString expected = a == Answer::Ja ? "&Ja" : a == Answer::Nein ? "&Nein" : "&Abbrechen";
            QCOMPARE(b->text(), expected);
        }
    }

    void messageBox() {
        auto box = platform::QtDialogs::buildMessageBox("Die Datei <x> wurde nicht gefunden.",
                                                        Icon::Warning, "Kynovia");
        QCOMPARE(box->windowTitle(), QStringLiteral("Kynovia"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButton(box->buttons().first()), QMessageBox::Ok);
    }

    void fileDialog() {
        auto dlg = platform::QtDialogs::buildFileDialog(false, QString(), QString(), QString(),
                                                        "Übernehmen", "*.doc");
        QCOMPARE(dlg->labelText(QFileDialog::Accept), QStringLiteral("Übernehmen"));
        QCOMPARE(dlg->defaultSuffix(), QStringLiteral("doc"));
        QCOMPARE(dlg->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dlg->acceptMode(), QFileDialog::AcceptOpen);
        auto save = platform::QtDialogs::buildFileDialog(true, "Speichern unter", QString(),
                                                         "CSV-Dateien (*.csv)", QString(), QString());
        QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(save->windowTitle(), QStringLiteral("Speichern unter"));
        QCOMPARE(save->nameFilters(), QStringList({"CSV-Dateien (*.csv)"}));
    }

    // A file path as the place: the dialog opens in its folder with the
    // name filled in (the folder need not hold the file yet); a folder is
    // only where it opens.
    void fileDialogProposesFolderAndName() {
        QTemporaryDir tmp;
        const QString ordner = tmp.path() + "/sicherungen";
        QVERIFY(QDir().mkpath(ordner));
        const QString datei = ordner + "/kynovia-2026-12-11.fbk";
        auto save = platform::QtDialogs::buildFileDialog(true, "Datensicherung erstellen", datei,
                                                         "Datensicherungen (*.fbk)", "Sichern", "fbk");
        QCOMPARE(QDir(save->directory()).absolutePath(), QDir(ordner).absolutePath());
        QCOMPARE(save->selectedFiles(), QStringList{datei});
        auto nurOrdner = platform::QtDialogs::buildFileDialog(true, "Speichern", ordner, QString(), QString(),
                                                              QString());
        QCOMPARE(QDir(nurOrdner->directory()).absolutePath(), QDir(ordner).absolutePath());
    }

    // The helper of the proposed files: the folder is made and the dialog
    // gets folder and name as one path.
    void saveFileInProposesFolderAndName() {
        QTemporaryDir tmp;
        const QString ordner = tmp.path() + "/neu/sicherungen";
        platform::ScopedScriptedDialogs d;
        d.expectSaveFile(ordner + "/anders.fbk");
        QCOMPARE(platform::dialogs().saveFileIn("Datensicherung erstellen", ordner, "kynovia-2026-12-11.fbk",
                                                "Datensicherungen (*.fbk)", "Sichern", "fbk"),
                 ordner + "/anders.fbk");
        QVERIFY(QFileInfo(ordner).isDir());
        QCOMPARE(d.shown().size(), 1);
        QCOMPARE(d.shown().first().kind, platform::BoxKind::SaveFile);
        QCOMPARE(d.shown().first().text, QStringLiteral("Datensicherung erstellen"));
        QCOMPARE(d.shown().first().dir, ordner + "/kynovia-2026-12-11.fbk");
        QCOMPARE(d.shown().first().acceptLabel, QStringLiteral("Sichern"));
        KYN_VERIFY_DIALOGS(d);
    }

    void filters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("qt style") << "Textdateien (*.txt *.csv)" << "Textdateien (*.txt *.csv)";
        QTest::newRow("pairs") << "CSV-Dateien|*.csv;*.txt|Alle Dateien|*.*"
                               << "CSV-Dateien (*.csv *.txt);;Alle Dateien (*)";
        QTest::newRow("description with patterns") << "Textdateien (*.txt)|*.txt"
                                                    << "Textdateien (*.txt)";
        QTest::newRow("empty") << "" << "";
    }
    void filters() {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(platform::QtDialogs::qtFilter(filter), expected);
    }

    // On the offscreen platform a real box would wait forever; it is
    // reported and answered as closed instead.
    void offscreenDoesNotBlock() {
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QSKIP("only on the offscreen platform");
        const QRegularExpression w("not shown on the offscreen platform");
        QTest::ignoreMessage(QtWarningMsg, w);
        QCOMPARE(platform::dialogs().confirm("?", "Bestätigung", Buttons::JaAbbrechen), Answer::Abbrechen);
        QTest::ignoreMessage(QtWarningMsg, w);
        QCOMPARE(platform::dialogs().openFileName("Datei"), QString());
        QTest::ignoreMessage(QtWarningMsg, w);
        platform::dialogs().errorBox("x");
    }
};

KYN_TEST(TestScriptedDialogs)
KYN_TEST(TestQtDialogs)
#include "dialogs_test.moc"
