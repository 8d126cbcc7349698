// The main window's backup menu items and the automatic backup when it
// closes (the backup logic itself is tested in tests/data/backup_test.cpp).
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QPixmap>
#include <QTest>
#include <memory>

#include "common/testenv.h"
#include "common/testregistry.h"
#include "data/backup.h"
#include "data/datenmodul.h"
#include "data/startuptestutil.h"
#include "db/connection.h"
#include "db/field.h"
#include "db/dataset.h"
#include "db/statement.h"
#include "platform/scripteddialogs.h"
#include "shell/Main.h"
#include "shelltestutil.h"

namespace {

// The import window as far as the backup cares: whether an import waits
// for "übernehmen" or "verwerfen".
class ImportStub : public QWidget, public WorkingWindow {
public:
    bool unentschieden = false;
    bool importUnentschieden() const override { return unentschieden; }
};
QPointer<ImportStub> importStub;

struct Fixture {
    TestEnv env;
    std::unique_ptr<Tdm> module;
    std::unique_ptr<Tfrm_main> window;
    int ended = 0;
    int restarts = 0;

    Fixture() {
        shelltest::createDatabase(env);
        module = std::make_unique<Tdm>();
        module->connectTo(env.databasePath());
        dm = module.get();
        window = std::make_unique<Tfrm_main>(*dm);
        frm_main = window.get();
        window->beenden = [this] { ++ended; };
        window->plug(WindowKind::Datenimport, plugWindow(importStub));
        backup::clearRestartRequest();
        backup::setRestartHandler([this] {
            ++restarts;
            return true;
        });
    }
    ~Fixture() {
        backup::setRestartHandler({});
        backup::clearRestartRequest();
        window.reset();
        delete importStub.data();
        module.reset();
    }
    QString sicherungen() const { return env.home() + QStringLiteral("/sicherungen"); }
    QString today(bool automatic) const {
        const QDate d = QDate::currentDate();
        return sicherungen() + QLatin1Char('/') + (automatic ? backup::automaticFileName(d) : backup::backupFileName(d));
    }
};

}  // namespace

class TestDatensicherungMenu : public QObject {
    Q_OBJECT
private slots:
    void menuItems() {
        Fixture f;
        auto* datei = f.window->MainMenu->findChild<QMenu*>(QStringLiteral("Datei1"));
        QVERIFY(datei);
        QStringList items;
        for (QAction* a : datei->actions()) items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items, (QStringList{"Datei importieren", "Offene Posten", "Export für den Steuerberater...", "-",
                                     "Datensicherung erstellen...", "Datensicherung einspielen..."}));
        QCOMPARE(f.window->Datensicherungerstellen1->objectName(), QString("Datensicherungerstellen1"));
        QCOMPARE(f.window->Datensicherungeinspielen1->objectName(), QString("Datensicherungeinspielen1"));
    }

    // "Datensicherung erstellen...", then "Datensicherung einspielen..." of
    // that backup: the program closes to start again, without an automatic
    // backup of the replaced database.
    void createThenRestore() {
        Fixture f;
        platform::ScopedScriptedDialogs d;
        d.expectSaveFile(f.today(false)).expectMessage();
        f.window->Datensicherungerstellen1->trigger();
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(backup::readHeader(f.today(false)).valid);

        d.clear();
        d.expectOpenFile(f.today(false)).expectConfirm(platform::Answer::Ja).expectMessage();
        f.window->Datensicherungeinspielen1->trigger();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.restarts, 1);
        QCOMPARE(f.ended, 1);
        QVERIFY(!f.window->isVisible());
        QCOMPARE(backup::keptDatabases(f.env.databasePath()).size(), 1);
        QVERIFY(!QFileInfo::exists(f.today(true)));
    }

    void declinedRestoreKeepsTheProgramRunning() {
        Fixture f;
        f.window->show();
        const QString file = f.env.home() + QStringLiteral("/b.fbk");
        backup::writeBackup(f.env.databasePath(), file);
        platform::ScopedScriptedDialogs d;
        d.expectOpenFile(file).expectConfirm(platform::Answer::Abbrechen);
        f.window->Datensicherungeinspielen1->trigger();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.restarts, 0);
        QCOMPARE(f.ended, 0);
        QVERIFY(f.window->isVisible());
        QVERIFY(dm->idb->isOpen());
    }

    // An import that waits for "übernehmen" or "verwerfen" is not committed
    // behind the user's back by a backup.
    void pendingImportBlocksTheBackup() {
        Fixture f;
        f.window->Dateiimportieren1Click();
        QVERIFY(importStub);
        importStub->unentschieden = true;
        platform::ScopedScriptedDialogs d;
        d.expectMessage();
        f.window->Datensicherungerstellen1->trigger();
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(d.lastText().startsWith(QStringLiteral("Der letzte Datenimport ist weder übernommen noch verworfen.")));
        QVERIFY(!QFileInfo::exists(f.sicherungen()));
    }

    // An undecided import is decided before a restore; "Abbrechen" there
    // leaves everything as it is (no file dialog).
    void undecidedImportIsDecidedBeforeARestore() {
        Fixture f;
        int gefragt = 0;
        dm->importEntscheiden = [&] {
            ++gefragt;
            return false;
        };
        platform::ScopedScriptedDialogs d;
        f.window->Datensicherungeinspielen1->trigger();
        KYN_VERIFY_DIALOGS(d);
        dm->importEntscheiden = nullptr;
        QCOMPARE(gefragt, 1);
        QCOMPARE(f.restarts, 0);
        QVERIFY(dm->idb->isOpen());
    }

    // The commit when the program ends fails (here: a commit trigger of the
    // database refuses it): a German message with the server's text asks
    // whether to end anyway. "Nein" keeps the program running; "Ja" ends it
    // without the changes and the program says so with its exit code.
    void failedCommitAtTheEndIsTold() {
        Fixture f;
        auto ausfuehren = [](const QString& sql) {
            db::Statement s(dm->idb.get(), dm->ibt);
            s.prepare(sql);
            s.execute();
        };
        ausfuehren("create table sperre (x integer)");
        ausfuehren("create exception platte_voll 'Die Festplatte ist voll.'");
        dm->commitNow();
        ausfuehren("create trigger sperre_beim_commit on transaction commit as begin "
                   "if (exists(select * from sperre)) then exception platte_voll; end");
        dm->commitNow();
        db::Table* t = dm->ibt_trainer;
        t->open();
        t->append();
        t->fieldByName("NAME")->setAsString("Ungesichert");
        t->post();
        ausfuehren("insert into sperre (x) values (1)");
        f.window->show();

        platform::ScopedScriptedDialogs d;
        d.expectConfirm(platform::Answer::Nein);
        QVERIFY(!f.window->close());
        KYN_VERIFY_DIALOGS(d);
        const platform::ShownBox& frage = d.shown().first();
        QVERIFY2(frage.text.startsWith(
                     "Die Änderungen konnten beim Beenden nicht dauerhaft in der Datenbank gespeichert werden."),
                 qPrintable(frage.text));
        QVERIFY2(frage.text.contains("Die Festplatte ist voll."), qPrintable(frage.text));
        QCOMPARE(frage.buttons, platform::Buttons::JaNein);
        QCOMPARE(frage.defaultButton, platform::Answer::Nein);
        QCOMPARE(f.ended, 0);
        QVERIFY(!f.window->endeOhneSpeichern());

        d.expectConfirm(platform::Answer::Ja);
        QVERIFY(f.window->close());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.ended, 1);
        QVERIFY(f.window->endeOhneSpeichern());
        // No automatic backup claims a state that was not saved.
        QVERIFY(!QFileInfo::exists(f.today(true)));
        // The connection ends without committing the refused changes.
        dm->idb->close();
        auto c = f.env.connect();
        QCOMPARE(sqlutil::value(*c, "select count(*) from trainer where name = 'Ungesichert'").toInt(), 0);
    }

    void closingWritesTheDailyBackup() {
        Fixture f;
        f.window->show();
        platform::ScopedScriptedDialogs d;
        QVERIFY(f.window->close());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(f.ended, 1);
        QVERIFY(backup::readHeader(f.today(true)).valid);
    }
};

KYN_TEST(TestDatensicherungMenu)

#include "datensicherung_test.moc"
