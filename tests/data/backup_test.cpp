// Backups: writing one of the open database, restoring it into a new file
// and in place of the database (through the functions the menu calls, with
// scripted dialogs), refusing files that are no Kynovia backup, the backup
// before an upgrade, the automatic backups at the end and kynovia-admin.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTest>

#include "baseschema.h"
#include "data/backup.h"
#include "data/upgrade.h"
#include "data/datenmodul.h"
#include "db/statement.h"
#include "platform/scripteddialogs.h"
#include "startuptestutil.h"
#include "testenv.h"
#include "testregistry.h"

using namespace db;
using platform::Answer;
using platform::BoxKind;

namespace {

// --- a database with data in every table ---------------------------------

struct Column {
    QString name;
    int type = 0;      // RDB$FIELD_TYPE
    int length = 0;    // characters of a text column
    bool notNull = false;
};

QStringList userTables(Connection& c) {
    Transaction t(&c);
    Statement s(&c, &t);
    s.prepare("select rdb$relation_name from rdb$relations "
              "where coalesce(rdb$system_flag, 0) = 0 and rdb$view_blr is null order by 1");
    s.open();
    QStringList out;
    while (s.fetch()) out << s.value(0).toString().trimmed();
    t.commit();
    return out;
}

QList<Column> columnsOf(Connection& c, const QString& table) {
    Transaction t(&c);
    Statement s(&c, &t);
    s.prepare("select rf.rdb$field_name, f.rdb$field_type, f.rdb$character_length, "
              "coalesce(rf.rdb$null_flag, f.rdb$null_flag, 0) "
              "from rdb$relation_fields rf join rdb$fields f on f.rdb$field_name = rf.rdb$field_source "
              "where rf.rdb$relation_name = ? and f.rdb$computed_source is null "
              "order by rf.rdb$field_position");
    s.setParam(0, table);
    s.open();
    QList<Column> out;
    while (s.fetch())
        out.append({s.value(0).toString().trimmed(), s.value(1).toInt(), s.value(2).toInt(), s.value(3).toInt() != 0});
    t.commit();
    return out;
}

// Row i of a table: every column gets a value of its type (texts with
// umlauts, dates with a time of day, fractions); in row 3 only the columns
// that must have one. Integers are i, so the keys of the parent tables
// (KUNDEN, TRAINER) exist for their children.
QVariant valueFor(const Column& col, int i) {
    if (i == 3 && !col.notNull) return QVariant();
    switch (col.type) {
    case 7: case 8: case 16: return i;
    case 10: case 27: return i + 0.25;
    case 35: case 12:
        return QDateTime(QDate(2000 + i, i, 10 + i), QTime(8 + i, 30, 15), Qt::UTC);
    case 14: case 37: {
        const QString text = QString("Ä%1ß%2 Übung").arg(col.name.toLower()).arg(i);
        return col.length > 0 ? text.left(col.length) : text;
    }
    default: return QVariant();
    }
}

void fillEveryTable(Connection& c) {
    QStringList tables = userTables(c);
    // Parents first.
    for (const char* parent : {"TRAINER", "KUNDEN"}) {
        tables.removeAll(parent);
        tables.prepend(parent);
    }
    for (const QString& table : tables) {
        const QList<Column> cols = columnsOf(c, table);
        QStringList names, marks;
        for (const Column& col : cols) {
            names << col.name;
            marks << "?";
        }
        Transaction t(&c);
        Statement s(&c, &t);
        s.prepare(QString("insert into %1 (%2) values (%3)").arg(table, names.join(", "), marks.join(", ")));
        for (int i = 1; i <= 3; ++i) {
            for (int k = 0; k < cols.size(); ++k) s.setParam(k, valueFor(cols[k], i));
            s.execute();
        }
        t.commit();
    }
}

QString cell(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return QStringLiteral("<null>");
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().toString(Qt::ISODateWithMs);
    if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 17);
    return v.toString();
}

// Every table's rows, each row as one text, sorted (tables without a key
// have no order of their own).
QMap<QString, QStringList> everyRow(Connection& c) {
    QMap<QString, QStringList> out;
    for (const QString& table : userTables(c)) {
        Transaction t(&c);
        Statement s(&c, &t);
        s.prepare("select * from " + table);
        s.open();
        QStringList rows;
        while (s.fetch()) {
            QStringList cells;
            for (const QVariant& v : s.row()) cells << cell(v);
            rows << cells.join(" | ");
        }
        rows.sort();
        out.insert(table, rows);
        t.commit();
    }
    return out;
}

QMap<QString, QStringList> everyRow(const QString& path) {
    Connection c;
    c.setDatabaseName(path);
    c.open();
    auto rows = everyRow(c);
    c.close();
    return rows;
}

void compareRows(const QMap<QString, QStringList>& got, const QMap<QString, QStringList>& expected) {
    QCOMPARE(got.keys(), expected.keys());
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QVERIFY2(got.value(it.key()) == it.value(), qPrintable(it.key()));
}

// --- files -----------------------------------------------------------------

QString sicherungen(const TestEnv& env) { return env.home() + "/sicherungen"; }

// A time as the messages name it: "31.01.2026 um 18:05 Uhr".
QString wann(const QDateTime& t) { return t.toString("dd.MM.yyyy 'um' HH:mm 'Uhr'"); }

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A database of another program: no SYSTEMDATEN.
void createForeignDatabase(const QString& path) {
    Connection c;
    c.setDatabaseName(path);
    c.create();
    c.executeImmediate("create table fremd (nr integer not null primary key, text varchar(20))");
    c.executeImmediate("insert into fremd values (1, 'eins')");
    c.close();
}

// Records the restarts the program asks for.
struct RestartRecorder {
    int starts = 0;
    RestartRecorder() {
        backup::clearRestartRequest();
        backup::setRestartHandler([this] {
            ++starts;
            return true;
        });
    }
    ~RestartRecorder() {
        backup::setRestartHandler({});
        backup::clearRestartRequest();
    }
};

// Whether another process can open the database (the program's own engine
// must have let go of the file).
bool openableByAnotherProcess(const QString& path, QByteArray* output) {
    const QString isql = QStandardPaths::findExecutable("isql-fb");
    if (isql.isEmpty()) return true;
    QProcess p;
    p.start(isql, {"-user", "sysdba", "-q", path});
    if (!p.waitForStarted()) return false;
    p.write("select 'GEOEFFNET' from rdb$database;\nquit;\n");
    p.closeWriteChannel();
    p.waitForFinished(60000);
    *output = p.readAllStandardOutput() + p.readAllStandardError();
    return output->contains("GEOEFFNET");
}

// A statement in the data module's transaction (not committed).
void run(Tdm& m, const QString& sql) {
    db::Statement(m.idb.get(), m.ibt).execute(sql);
}

QString adminProgram() {
    const QString p = QCoreApplication::applicationDirPath() + "/../src/kynovia-admin";
    return QFileInfo(p).isExecutable() ? QFileInfo(p).canonicalFilePath() : QString();
}

}  // namespace

class BackupTest : public QObject {
    Q_OBJECT
private slots:
    void init() { backup::clearRestartRequest(); }

    // The menu's backup of the open database, restored into a new file,
    // holds every row of every table, including what was posted but not yet
    // committed; the data module's datasets stay open.
    void backupHoldsExactlyTheData() {
        TestEnv env;
        env.createDatabase();
        {
            auto c = env.connect();
            fillEveryTable(*c);
        }
        Tdm m;
        m.connectTo(env.databasePath());
        dm = &m;
        m.ibt_kunde->open();
        m.ibt_kunde->append();
        m.ibt_kunde->fieldByName("NAME")->setAsString("Ungesichert-Nachname");
        m.ibt_kunde->post();
        m.ibt_kunde->edit();
        m.ibt_kunde->fieldByName("VNAME")->setAsString("Noch in Bearbeitung");

        const QString file = env.home() + "/woanders/Sicherung Müller.fbk";
        QDir().mkpath(env.home() + "/woanders");
        platform::ScopedScriptedDialogs d;
        d.expectSaveFile(file);
        d.expectMessage("Die Datensicherung wurde erstellt:\r" + file);
        QVERIFY(backup::createBackupInteractive(m));
        KYN_VERIFY_DIALOGS(d);
        const platform::ShownBox& ask = d.shown().first();
        QCOMPARE(ask.kind, BoxKind::SaveFile);
        QCOMPARE(ask.dir, sicherungen(env) + "/kynovia-" + QDate::currentDate().toString("yyyy-MM-dd") + ".fbk");
        QVERIFY(QFileInfo(sicherungen(env)).isDir());
        QCOMPARE(m.ibt_kunde->state(), DatasetState::Browse);
        QVERIFY(m.ibt_kunde->isActive());
        QCOMPARE(m.ibt_kunde->fieldByName("VNAME")->asString(), QString("Noch in Bearbeitung"));

        const backup::Header header = backup::readHeader(file);
        QVERIFY(header.valid);
        QVERIFY(header.createdFromHeader);
        QVERIFY(qAbs(header.created.secsTo(QDateTime::currentDateTime())) < 3600);
        QCOMPARE(header.database, QFileInfo(env.databasePath()).absoluteFilePath());

        const QString copy = env.home() + "/kopie.fdb";
        backup::restoreBackup(file, copy);
        const auto original = everyRow(env.databasePath());
        for (const QString& table : original.keys()) QVERIFY2(!original.value(table).isEmpty(), qPrintable(table));
        compareRows(everyRow(copy), original);
        auto c = env.connect();
        Connection restored;
        restored.setDatabaseName(copy);
        restored.open();
        QCOMPARE(sqlutil::value(restored, "select vname from kunden where name = 'Ungesichert-Nachname'").toString(),
                 QString("Noch in Bearbeitung"));
        // The restored database is a database like the original one.
        QCOMPARE(sqlutil::value(restored, "select mon$sql_dialect from mon$database").toInt(), 1);
        QCOMPARE(sqlutil::value(restored, "select rdb$character_set_name from rdb$database").toString().trimmed(),
                 QString("WIN1252"));
        QCOMPARE(sqlutil::value(restored, "select count(*) from rdb$indices where rdb$index_type = 1").toInt(),
                 sqlutil::value(*c, "select count(*) from rdb$indices where rdb$index_type = 1").toInt());
    }

    // Choosing no file, the database itself, or a folder that does not
    // exist writes nothing and leaves the database as it is.
    void backupThatCannotBeWritten_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancelled") << "" << "";
        QTest::newRow("the database itself") << "DB" << "in die Datenbankdatei selbst";
        QTest::newRow("no such folder") << "/nicht/vorhanden/x.fbk" << "konnte nicht erstellt werden";
    }
    void backupThatCannotBeWritten() {
        QFETCH(QString, target);
        QFETCH(QString, message);
        TestEnv env;
        env.createDatabase();
        Tdm m;
        m.connectTo(env.databasePath());
        const QString file = target == "DB" ? env.databasePath() : target;
        const QByteArray before = readBytes(env.databasePath()).left(64);
        platform::ScopedScriptedDialogs d;
        d.expectSaveFile(file);
        if (!message.isEmpty()) d.expectMessage();
        QVERIFY(!backup::createBackupInteractive(m));
        KYN_VERIFY_DIALOGS(d);
        if (!message.isEmpty()) {
            QVERIFY2(d.lastText().contains(message), qPrintable(d.lastText()));
            QCOMPARE(d.shown().last().icon, platform::Icon::Error);
        }
        QCOMPARE(readBytes(env.databasePath()).left(64), before);
        QCOMPARE(m.scalar("select count(*) from systemdaten").toInt(), 1);
        if (target.startsWith("/nicht")) QVERIFY(!QFileInfo::exists(file));
    }

    // The menu's restore: the backup's data replace the current ones, the
    // old file is kept beside the database, the connection is closed so that
    // another process (the restarted program) can open the file, and the
    // restart is asked for.
    void restoreReplacesTheDatabase() {
        TestEnv env;
        env.createDatabase();
        {
            auto c = env.connect();
            fillEveryTable(*c);
        }
        QDir().mkpath(sicherungen(env));
        const QString file = sicherungen(env) + "/kynovia-2026-01-31.fbk";
        backup::writeBackup(env.databasePath(), file);
        const auto backedUp = everyRow(env.databasePath());

        RestartRecorder restart;
        {
            Tdm m;
            m.connectTo(env.databasePath());
            dm = &m;
            run(m, "delete from hunde_tagebuch");
            m.ibt_trainer->open();
            m.ibt_trainer->append();
            m.ibt_trainer->fieldByName("NAME")->setAsString("Nach der Sicherung");
            m.ibt_trainer->post();
            m.ibt_kunde->open();
            m.ibt_kunde->edit();
            m.ibt_kunde->fieldByName("NAME")->setAsString("Offene Änderung");

            const backup::Header header = backup::readHeader(file);
            platform::ScopedScriptedDialogs d;
            d.expectOpenFile(file);
            d.expectConfirm(Answer::Ja);
            d.expectMessage();
            const QDateTime vorher = QDateTime::currentDateTime();
            QCOMPARE(backup::restoreInteractive(m), backup::RestoreResult::Restored);
            KYN_VERIFY_DIALOGS(d);
            // The old database is kept under a name with the time of the restore.
            const QStringList kept = backup::keptDatabases(env.databasePath());
            QCOMPARE(kept.size(), 1);
            QVERIFY2(kept[0].startsWith(env.databasePath() + ".vor-wiederherstellung-"), qPrintable(kept[0]));
            const QDateTime zeit = QDateTime::fromString(
                kept[0].mid(kept[0].lastIndexOf(".vor-wiederherstellung-") + 23, 15), "yyyyMMdd-HHmmss");
            QVERIFY2(zeit.isValid() && zeit >= vorher.addSecs(-1) && zeit <= QDateTime::currentDateTime(),
                     qPrintable(kept[0]));
            QVERIFY(header.createdFromHeader);
            QCOMPARE(d.shown().at(1).text,
                     "Die Datensicherung vom " + wann(header.created) + " soll eingespielt werden:\r" + file +
                         "\r\rDabei werden ALLE jetzigen Daten durch die Daten dieser Sicherung ersetzt. Was seit der "
                         "Sicherung eingegeben wurde, ist danach nicht mehr zu sehen.\r\rDie bisherige Datenbank wird "
                         "als \"" + kept[0] + "\" aufbewahrt.\r\rSoll die Sicherung jetzt eingespielt werden?");
            QCOMPARE(d.shown().at(2).text,
                     "Die Datensicherung vom " + wann(header.created) +
                         " wurde eingespielt.\r\rDie bisherige Datenbank liegt in \"" + kept[0] +
                         "\".\r\rKynovia wird jetzt neu gestartet, damit die eingespielten Daten angezeigt werden.");
            QCOMPARE(d.shown().first().dir, sicherungen(env));
            const platform::ShownBox& ask = d.shown().at(1);
            QVERIFY2(ask.text.startsWith("Die Datensicherung vom " + wann(header.created)),
                     qPrintable(ask.text));
            QCOMPARE(ask.buttons, platform::Buttons::JaAbbrechen);
            QCOMPARE(ask.defaultButton, Answer::Abbrechen);
            QVERIFY(backup::restartRequested());
            QVERIFY(!m.idb->isOpen());
            QVERIFY(!m.ibt_kunde->isActive());
            QByteArray output;
            QVERIFY2(openableByAnotherProcess(env.databasePath(), &output), output.constData());
        }
        QVERIFY(!QFileInfo::exists(backup::restoringDatabasePath(env.databasePath())));
        compareRows(everyRow(env.databasePath()), backedUp);
        // The old database, with everything done after the backup (the open
        // edit posted), lies beside it.
        const QString ersteKopie = backup::keptDatabases(env.databasePath()).value(0);
        Connection kept;
        kept.setDatabaseName(ersteKopie);
        kept.open();
        QCOMPARE(sqlutil::value(kept, "select count(*) from hunde_tagebuch").toInt(), 0);
        QCOMPARE(sqlutil::value(kept, "select count(*) from trainer where name = 'Nach der Sicherung'").toInt(), 1);
        QCOMPARE(sqlutil::value(kept, "select count(*) from kunden where name = 'Offene Änderung'").toInt(), 1);
        kept.close();

        // A second restore keeps its own copy; the first one's stays as it was.
        RestartRecorder again;
        Tdm m;
        m.connectTo(env.databasePath());
        platform::ScopedScriptedDialogs d;
        d.expectOpenFile(file).expectConfirm(Answer::Ja).expectMessage();
        QCOMPARE(backup::restoreInteractive(m), backup::RestoreResult::Restored);
        KYN_VERIFY_DIALOGS(d);
        const QStringList beide = backup::keptDatabases(env.databasePath());
        QCOMPARE(beide.size(), 2);
        QCOMPARE(beide[1], ersteKopie);
        compareRows(everyRow(beide[0]), backedUp);
        Connection erste;
        erste.setDatabaseName(ersteKopie);
        erste.open();
        QCOMPARE(sqlutil::value(erste, "select count(*) from trainer where name = 'Nach der Sicherung'").toInt(), 1);
        erste.close();
    }

    // A restore killed between its two renames leaves no database but the
    // restored file beside its path; with only a kept database there, that
    // one is offered. The next start offers to put the file back ("Ja"), or
    // goes on to the question for a new, empty database ("Nein").
    void startWithoutDatabaseOffersTheFileBeside_data() {
        QTest::addColumn<bool>("restored");  // the restored file, else a kept one
        QTest::addColumn<bool>("ja");
        QTest::newRow("restored, Ja") << true << true;
        QTest::newRow("restored, Nein") << true << false;
        QTest::newRow("kept, Ja") << false << true;
    }
    void startWithoutDatabaseOffersTheFileBeside() {
        QFETCH(bool, restored);
        QFETCH(bool, ja);
        TestEnv env;
        env.createDatabase();
        {
            auto c = env.connect();
            fillEveryTable(*c);
        }
        const QString db = env.databasePath();
        const QString beside = restored ? backup::restoringDatabasePath(db)
                                        : backup::keptDatabasePath(db, QDateTime(QDate(2026, 11, 2), QTime(9, 5, 7)));
        if (!restored) {
            // An older kept file is not the one offered.
            QFile::copy(db, backup::keptDatabasePath(db, QDateTime(QDate(2025, 1, 1), QTime(8, 0))));
        }
        QVERIFY(QFile::rename(db, beside));
        const auto rows = everyRow(beside);

        Tdm m;
        platform::ScopedScriptedDialogs d;
        const backup::Leftover rest = backup::leftoverDatabase(db);
        QCOMPARE(rest.file, beside);
        QCOMPARE(rest.restored, restored);
        d.expectConfirm(ja ? Answer::Ja : Answer::Nein,
                        "Die Datenbank \"" + db + "\" ist nicht vorhanden.\r\rDaneben liegt die Datei \"" + beside +
                            "\" (vom " + wann(QFileInfo(beside).lastModified()) + "): " +
                            (restored ? QString("eine eingespielte Datensicherung, die beim Einspielen nicht mehr an "
                                                "die Stelle der Datenbank gesetzt wurde.")
                                      : QString("die Datenbank, wie sie vor dem Einspielen einer Datensicherung war.")) +
                            "\r\rSoll diese Datei wieder als Datenbank verwendet werden?");
        if (!ja) d.expectConfirm(Answer::Nein).expectMessage();
        const bool opened = upgrade::openDatabase(m, db);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(opened, ja);
        QVERIFY2(d.shown().first().text.contains("\"" + beside + "\""), qPrintable(d.shown().first().text));
        if (ja) {
            QVERIFY(m.idb->isOpen());
            QVERIFY(!QFileInfo::exists(beside));
            m.idb->close();
            compareRows(everyRow(db), rows);
        } else {
            QVERIFY(!QFileInfo::exists(db));
            QVERIFY(QFileInfo::exists(beside));
        }
    }

    // Declining (or choosing no file) changes nothing: the same database,
    // the connection open, the pending edit still pending.
    void decliningChangesNothing_data() {
        QTest::addColumn<bool>("chooseFile");
        QTest::newRow("no file chosen") << false;
        QTest::newRow("Abbrechen") << true;
    }
    void decliningChangesNothing() {
        QFETCH(bool, chooseFile);
        TestEnv env;
        env.createDatabase();
        {
            auto c = env.connect();
            fillEveryTable(*c);
        }
        const QString file = env.home() + "/b.fbk";
        backup::writeBackup(env.databasePath(), file);
        RestartRecorder restart;
        Tdm m;
        m.connectTo(env.databasePath());
        run(m, "delete from notizblock");
        m.ibt_kunde->open();
        m.ibt_kunde->edit();
        m.ibt_kunde->fieldByName("NAME")->setAsString("Bleibt offen");

        platform::ScopedScriptedDialogs d;
        d.expectOpenFile(chooseFile ? file : QString());
        if (chooseFile) d.expectConfirm(Answer::Abbrechen);
        QCOMPARE(backup::restoreInteractive(m), backup::RestoreResult::Cancelled);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(!backup::restartRequested());
        QCOMPARE(restart.starts, 0);
        QVERIFY(m.idb->isOpen());
        QCOMPARE(m.ibt_kunde->state(), DatasetState::Edit);
        QCOMPARE(m.scalar("select count(*) from notizblock").toInt(), 0);
        QVERIFY(backup::keptDatabases(env.databasePath()).isEmpty());
        QVERIFY(!QFileInfo::exists(backup::restoringDatabasePath(env.databasePath())));
    }

    // Files that are no backup of a Kynovia database are refused with a
    // message; the database stays in place, open and unchanged.
    void foreignFilesAreRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("asked");      // the file looks like a backup: the question comes first
        QTest::addColumn<QString>("message");
        QTest::newRow("random bytes") << "random" << false << "keine Datensicherung von Kynovia";
        QTest::newRow("text file") << "text" << false << "keine Datensicherung von Kynovia";
        QTest::newRow("empty file") << "empty" << false << "keine Datensicherung von Kynovia";
        QTest::newRow("the database file") << "database" << false << "keine Datensicherung von Kynovia";
        QTest::newRow("backup of another database") << "foreign" << true
                                                    << "keine Datensicherung einer Kynovia-Datenbank";
        QTest::newRow("backup cut short") << "truncated" << true << "konnte nicht eingespielt werden";
    }
    void foreignFilesAreRefused() {
        QFETCH(QString, kind);
        QFETCH(bool, asked);
        QFETCH(QString, message);
        TestEnv env;
        env.createDatabase();
        {
            auto c = env.connect();
            fillEveryTable(*c);
        }
        QString file = env.home() + "/fremd.fbk";
        if (kind == "random") {
            QByteArray bytes(40000, '\0');
            QRandomGenerator gen(4711);
            for (char& b : bytes) b = char(gen.bounded(256));
            bytes[0] = char(0x5a);
            writeBytes(file, bytes);
        } else if (kind == "text") {
            writeBytes(file, "Kundennummer;Name\n1;Meier\n");
        } else if (kind == "empty") {
            writeBytes(file, "");
        } else if (kind == "database") {
            file = env.databasePath();
        } else if (kind == "foreign") {
            const QString other = env.home() + "/andere.fdb";
            createForeignDatabase(other);
            backup::writeBackup(other, file);
        } else if (kind == "truncated") {
            const QString whole = env.home() + "/ganz.fbk";
            backup::writeBackup(env.databasePath(), whole);
            const QByteArray bytes = readBytes(whole);
            writeBytes(file, bytes.left(bytes.size() / 2));
        }
        const auto before = everyRow(env.databasePath());

        RestartRecorder restart;
        Tdm m;
        m.connectTo(env.databasePath());
        m.ibt_kunde->open();
        platform::ScopedScriptedDialogs d;
        d.expectOpenFile(file);
        if (asked) d.expectConfirm(Answer::Ja);
        d.expectMessage();
        QCOMPARE(backup::restoreInteractive(m), backup::RestoreResult::Failed);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY2(d.lastText().contains(message), qPrintable(d.lastText()));
        QVERIFY2(d.lastText().contains("Die jetzigen Daten bleiben unverändert."), qPrintable(d.lastText()));
        QCOMPARE(d.shown().last().icon, platform::Icon::Error);
        QVERIFY(!backup::restartRequested());
        // The program goes on with its database.
        QVERIFY(m.idb->isOpen());
        QVERIFY(m.ibt_kunde->isActive());
        QCOMPARE(m.scalar("select count(*) from systemdaten").toInt(), 4);
        QVERIFY(backup::keptDatabases(env.databasePath()).isEmpty());
        QVERIFY(!QFileInfo::exists(backup::restoringDatabasePath(env.databasePath())));
        m.idb->close();
        compareRows(everyRow(env.databasePath()), before);
    }

    // A backup that holds more than a Kynovia database (made here from a
    // Kynovia database with isql and gbak) is refused before anything is
    // replaced: a message names what was found, the database stays in place,
    // open and unchanged, and nothing of the backup is left behind (no
    // shadow file at the place the backup names).
    void craftedBackupsAreRefused_data() {
        QTest::addColumn<QString>("sql");    // "%1": the test's folder
        QTest::addColumn<QString>("found");  // the line of the message
        QTest::newRow("shadow") << "create shadow 1 '%1/schatten.shd';"
                                << "Datei \"%1/schatten.shd\" (Schattendatei oder weitere Datenbankdatei)";
        QTest::newRow("database trigger")
            << "set term ^; create trigger verbinden on connect as begin "
               "insert into notizblock (notiz) select first 1 name from kunden; "
               // Should the trigger run while the restored database is
               // looked into, the check fails with another message.
               "insert into notizblock (notiz) values (1/0); end^ set term ;^"
            << "Datenbank-Trigger \"VERBINDEN\" (läuft beim Verbinden, bei jeder Transaktion oder bei Änderungen "
               "der Datenbankstruktur)";
        QTest::newRow("external table") << "create table abzug external file '%1/abzug.txt' (zeile char(80));"
                                        << "externe Tabelle \"ABZUG\" (Datei \"%1/abzug.txt\")";
        QTest::newRow("UDF") << "declare external function betrag double precision returns double precision by value "
                                "entry_point 'IB_UDF_abs' module_name 'ib_udf';"
                             << "externe Funktion (UDF) \"BETRAG\" (Modul \"ib_udf\")";
        QTest::newRow("foreign procedure")
            << "set term ^; create procedure weitergeben as declare n varchar(50); begin "
               "for select name from kunden into n do execute statement 'select 1 from rdb$database' "
               "on external data source 'localhost:/tmp/anderswo.fdb'; end^ set term ;^"
            << "fremde Prozedur \"WEITERGEBEN\" (nicht Teil von Kynovia)";
        QTest::newRow("foreign trigger of a table")
            << "set term ^; create trigger kunden_weiter for kunden after insert as begin end^ set term ;^"
            << "fremder Trigger \"KUNDEN_WEITER\" (nicht Teil von Kynovia)";
        QTest::newRow("foreign function")
            << "set term ^; create function eins returns integer as begin return 1; end^ set term ;^"
            << "fremde Funktion \"EINS\" (nicht Teil von Kynovia)";
    }
    void craftedBackupsAreRefused() {
        QFETCH(QString, sql);
        QFETCH(QString, found);
        const QString isql = QStandardPaths::findExecutable("isql-fb");
        const QString gbak = QStandardPaths::findExecutable("gbak");
        if (isql.isEmpty() || gbak.isEmpty()) QSKIP("isql-fb and gbak (firebird3.0-utils) are needed");
        TestEnv env;
        env.createDatabase();
        {
            auto c = env.connect();
            fillEveryTable(*c);
        }
        // A copy of the database with the hostile part, and its backup.
        const QString crafted = env.home() + "/praepariert.fdb";
        QVERIFY(QFile::copy(env.databasePath(), crafted));
        QProcessEnvironment sysdba = QProcessEnvironment::systemEnvironment();
        sysdba.insert("ISC_USER", "SYSDBA");
        sysdba.remove("ISC_PASSWORD");
        QProcess p;
        p.setProcessEnvironment(sysdba);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(isql, {"-q", "-bail", crafted});
        QVERIFY(p.waitForStarted());
        sql.replace("%1", env.home());
        found.replace("%1", env.home());
        p.write((sql + "\ncommit;\nquit;\n").toUtf8());
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAll().constData());
        const QString file = env.home() + "/praepariert.fbk";
        p.start(gbak, {"-b", "-nodbtriggers", crafted, file});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAll().constData());
        QFile::remove(crafted);
        QFile::remove(env.home() + "/schatten.shd");
        const auto before = everyRow(env.databasePath());

        const QString expected =
            "Die Datensicherung \"" + file +
            "\" wird nicht eingespielt. Sie enthält, was zu keiner Kynovia-Datenbank gehört und beim Öffnen der "
            "Datenbank Dateien anlegen, Programme ausführen oder Daten weitergeben könnte:\n- " +
            found + "\n\nDie jetzigen Daten bleiben unverändert.";
        {
            RestartRecorder restart;
            Tdm m;
            m.connectTo(env.databasePath());
            m.ibt_kunde->open();
            platform::ScopedScriptedDialogs d;
            d.expectOpenFile(file).expectConfirm(Answer::Ja).expectMessage(expected);
            QCOMPARE(backup::restoreInteractive(m), backup::RestoreResult::Failed);
            KYN_VERIFY_DIALOGS(d);
            QCOMPARE(d.shown().last().icon, platform::Icon::Error);
            QVERIFY(!backup::restartRequested());
            QVERIFY(m.idb->isOpen());
            QVERIFY(m.ibt_kunde->isActive());
            QVERIFY(backup::keptDatabases(env.databasePath()).isEmpty());
            QVERIFY(!QFileInfo::exists(backup::restoringDatabasePath(env.databasePath())));
            QVERIFY(!QFileInfo::exists(env.home() + "/schatten.shd"));
            QVERIFY(!QFileInfo::exists(env.home() + "/abzug.txt"));
        }
        compareRows(everyRow(env.databasePath()), before);

        // kynovia-admin restore refuses it the same way and leaves no file.
        const QString admin = adminProgram();
        if (admin.isEmpty()) return;
        QProcess a;
        a.setProcessChannelMode(QProcess::MergedChannels);
        a.start(admin, {"restore", file, env.home() + "/neu.fdb"});
        QVERIFY(a.waitForFinished(120000));
        const QString out = QString::fromUtf8(a.readAll());
        QCOMPARE(a.exitCode(), 1);
        QVERIFY2(out.contains("- " + found + "\n"), qPrintable(out));
        QVERIFY(!QFileInfo::exists(env.home() + "/neu.fdb"));
        QVERIFY(!QFileInfo::exists(env.home() + "/schatten.shd"));
    }

    // The backups made before an erasure or an update are deleted after 30
    // days (by the date in their name); nothing else is touched.
    void safetyBackupsGoAfterThirtyDays() {
        QTemporaryDir dir;
        const QDate today(2026, 12, 11);
        const QStringList old = {"vor-loeschung-kunde-0012-2026-11-10-101500.fbk",
                                 "vor-update-kynovia-2026-11-01-063633.fbk",
                                 "vor-update-kynovia-2025-12-11-063633-2.fbk"};
        const QStringList kept = {"vor-loeschung-kunde-0012-2026-11-11-101500.fbk",
                                  "vor-loeschung-kunde-0003-2026-12-11-080000.fbk",
                                  "vor-update-kynovia-2026-12-01-063633.fbk",
                                  "kynovia-2020-01-01.fbk",
                                  "auto-kynovia-2020-01-01.fbk",
                                  "vor-loeschung-kunde-0012-2020-01-01-101500.fbk.txt",
                                  "vor-update-kynovia-2020-13-01-063633.fbk"};
        for (const QString& f : old + kept) writeBytes(dir.filePath(f), "x");
        QStringList deleted = backup::rotateSafetyBackups(dir.path(), today);
        deleted.sort();
        QStringList expected = old;
        expected.sort();
        QCOMPARE(deleted, expected);
        QStringList left = QDir(dir.path()).entryList(QDir::Files);
        left.sort();
        QStringList expectedLeft = kept;
        expectedLeft.sort();
        QCOMPARE(left, expectedLeft);
    }

    void headerOfOtherFiles() {
        TestEnv env;
        env.createDatabase();
        QVERIFY(!backup::readHeader(env.databasePath()).valid);
        QVERIFY(!backup::readHeader(env.home() + "/gibt-es-nicht.fbk").valid);
        const QString file = env.home() + "/a.fbk";
        backup::writeBackup(env.databasePath(), file);
        // A header whose date cannot be read: the file's time stands in.
        QByteArray bytes = readBytes(file);
        const int at = bytes.indexOf(QByteArray::number(QDate::currentDate().year()));
        QVERIFY(at > 0);
        bytes.replace(at, 4, "xxxx");
        const QString odd = env.home() + "/b.fbk";
        writeBytes(odd, bytes);
        const backup::Header h = backup::readHeader(odd);
        QVERIFY(h.valid);
        QVERIFY(!h.createdFromHeader);
        QCOMPARE(h.created, QFileInfo(odd).lastModified());
        QVERIFY(backup::restoreQuestion(odd, h, "x").startsWith("Die Datensicherung (Datei vom "));
    }

    // Only the automatic backups are deleted, the oldest first, by the date
    // in their name.
    void rotationKeepsSeven() {
        QTemporaryDir dir;
        const QDate today = QDate::currentDate();
        QStringList autos;
        for (int k = 0; k < 12; ++k) autos << backup::automaticFileName(today.addDays(-k));
        const QStringList others = {backup::backupFileName(today.addDays(-30)), "auto-kynovia-kaputt.fbk",
                                    "auto-kynovia-2026-13-01.fbk", backup::upgradeFileName(QDateTime::currentDateTime()),
                                    "auto-kynovia-2020-01-01.fbk.txt"};
        for (const QString& f : autos + others) writeBytes(dir.filePath(f), "x");
        QStringList deleted = backup::rotateAutomaticBackups(dir.path());
        deleted.sort();
        QStringList expected = autos.mid(7);
        expected.sort();
        QCOMPARE(deleted, expected);
        QStringList left = QDir(dir.path()).entryList(QDir::Files);
        QStringList expectedLeft = autos.mid(0, 7) + others;
        left.sort();
        expectedLeft.sort();
        QCOMPARE(left, expectedLeft);
    }

    // At the end of the program: one automatic backup per day (a later end
    // on the same day replaces it), seven kept, user backups untouched,
    // nothing shown.
    void automaticBackupAtTheEnd() {
        TestEnv env;
        env.createDatabase();
        QDir().mkpath(sicherungen(env));
        const QDate today = QDate::currentDate();
        for (int k = 1; k <= 8; ++k)
            writeBytes(sicherungen(env) + "/" + backup::automaticFileName(today.addDays(-k)), "alt");
        const QString userFile = sicherungen(env) + "/" + backup::backupFileName(today.addDays(-100));
        writeBytes(userFile, "vom Benutzer");

        Tdm m;
        m.connectTo(env.databasePath());
        m.ibt_trainer->open();
        m.ibt_trainer->append();
        m.ibt_trainer->fieldByName("NAME")->setAsString("Erster Stand");
        m.ibt_trainer->post();
        platform::ScopedScriptedDialogs d;
        backup::automaticBackupAtExit(m);
        const QString todays = sicherungen(env) + "/" + backup::automaticFileName(today);
        QVERIFY(backup::readHeader(todays).valid);
        QStringList autos = QDir(sicherungen(env)).entryList({"auto-kynovia-*.fbk"}, QDir::Files, QDir::Name);
        QCOMPARE(autos.size(), 7);
        QCOMPARE(autos.last(), backup::automaticFileName(today));
        QCOMPARE(autos.first(), backup::automaticFileName(today.addDays(-6)));
        QCOMPARE(readBytes(userFile), QByteArray("vom Benutzer"));

        // Later the same day: the day's backup holds the newer state.
        m.ibt_trainer->append();
        m.ibt_trainer->fieldByName("NAME")->setAsString("Zweiter Stand");
        m.ibt_trainer->post();
        backup::automaticBackupAtExit(m);
        QCOMPARE(QDir(sicherungen(env)).entryList({"auto-kynovia-*.fbk"}, QDir::Files).size(), 7);
        const QString copy = env.home() + "/kopie.fdb";
        backup::restoreBackup(todays, copy);
        Connection c;
        c.setDatabaseName(copy);
        c.open();
        QCOMPARE(sqlutil::value(c, "select count(*) from trainer").toInt(), 2);
        c.close();
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.count(), 0);

        // After a restore (restart pending) nothing is written.
        QFile::remove(todays);
        backup::requestRestart();
        backup::automaticBackupAtExit(m);
        backup::clearRestartRequest();
        QVERIFY(!QFileInfo::exists(todays));
    }

    void automaticBackupFailureIsShown() {
        TestEnv env;
        env.createDatabase();
        writeBytes(sicherungen(env), "eine Datei, kein Ordner");
        Tdm m;
        m.connectTo(env.databasePath());
        platform::ScopedScriptedDialogs d;
        d.expectMessage();
        backup::automaticBackupAtExit(m);
        KYN_VERIFY_DIALOGS(d);
        QVERIFY2(d.lastText().startsWith("Die automatische Datensicherung beim Beenden konnte nicht erstellt werden"),
                 qPrintable(d.lastText()));
        QVERIFY(m.idb->isOpen());
    }

    // Before the first upgrade step of a start the database is backed up
    // (once), and the user is told where.
    void backupBeforeTheFirstUpgradeStep() {
        TestEnv env;
        createBaseSchemaDatabase(env.databasePath());
        platform::ScopedScriptedDialogs d;
        d.setAcknowledgeMessages(true);
        for (int i = 0; i < 4; ++i) d.expectConfirm(Answer::Ja);
        {
            Tdm m;
            QVERIFY(!m.DataModuleCreate());  // step 4 ends the start
        }
        KYN_VERIFY_DIALOGS(d);
        const QStringList files = QDir(sicherungen(env)).entryList({"vor-update-kynovia-*.fbk"}, QDir::Files);
        QCOMPARE(files.size(), 1);
        const QString file = sicherungen(env) + "/" + files.first();
        QCOMPARE(d.shown().at(0).kind, BoxKind::Confirm);
        QVERIFY(d.shown().at(0).text.contains("(Update-Nr. 1)"));
        QCOMPARE(d.shown().at(1).text, "Vor dem Datenbankupdate wurde die Datenbank gesichert:\r" + file +
                                            "\r\rSollte beim Update etwas schiefgehen, spielen Sie diese Sicherung "
                                            "über das Menü \"Datei\", \"Datensicherung einspielen...\" wieder ein.");
        QCOMPARE(d.shown().at(1).icon, platform::Icon::Information);
        int notices = 0;
        for (const platform::ShownBox& b : d.shown()) notices += b.text.startsWith("Vor dem Datenbankupdate") ? 1 : 0;
        QCOMPARE(notices, 1);

        // The backup holds the database as it was before step 1.
        const QString copy = env.home() + "/vorher.fdb";
        backup::restoreBackup(file, copy);
        Connection c;
        c.setDatabaseName(copy);
        c.open();
        QVERIFY(!sqlutil::works(c, "select count(*) from trainer"));
        QVERIFY(sqlutil::works(c, "select minteilnehmer from kurse"));
        QCOMPARE(sqlutil::value(c, "select hundeschule from systemdaten").toString(), QString::fromUtf8(baseSchoolName));
        c.close();
    }

    void noBackupWhenTheStepIsDeclined() {
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), 12);
        platform::ScopedScriptedDialogs d;
        d.expectConfirm(Answer::Abbrechen);
        {
            Tdm m;
            QVERIFY(!m.DataModuleCreate());
        }
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(QDir(sicherungen(env)).entryList(QDir::Files).isEmpty());
    }

    // When the backup cannot be written the user decides whether the update
    // runs all the same.
    void failedUpgradeBackupAsks_data() {
        QTest::addColumn<bool>("goOn");
        QTest::newRow("update anyway") << true;
        QTest::newRow("end the program") << false;
    }
    void failedUpgradeBackupAsks() {
        QFETCH(bool, goOn);
        TestEnv env;
        createDatabaseAtVersion(env.databasePath(), 12);
        writeBytes(sicherungen(env), "eine Datei, kein Ordner");
        platform::ScopedScriptedDialogs d;
        d.setAcknowledgeMessages(true);
        d.expectConfirm(Answer::Ja);
        d.expectConfirm(goOn ? Answer::Ja : Answer::Abbrechen);
        if (goOn) d.expectConfirm(Answer::Ja);  // the next step, 14
        bool started;
        {
            Tdm m;
            started = m.DataModuleCreate();
        }
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(started, goOn);
        const platform::ShownBox& question = d.shown().at(1);
        QVERIFY2(question.text.startsWith("Vor dem Datenbankupdate konnte keine Sicherung der Datenbank angelegt werden."),
                 qPrintable(question.text));
        QVERIFY(question.text.endsWith("Soll das Update trotzdem durchgeführt werden?"));
        QCOMPARE(question.defaultButton, Answer::Abbrechen);
        auto c = env.connect();
        QCOMPARE(sqlutil::value(*c, "select last_update from systemdaten").toInt(), goOn ? 14 : 12);
    }

    // kynovia-admin backup PATH FILE and restore FILE PATH.
    void adminCommands() {
        const QString admin = adminProgram();
        if (admin.isEmpty()) QSKIP("kynovia-admin is not built");
        TestEnv env;
        env.createDatabase();
        {
            auto c = env.connect();
            fillEveryTable(*c);
        }
        auto run = [&](const QStringList& args, QString* output) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(admin, args);
            p.waitForFinished(120000);
            *output = QString::fromUtf8(p.readAll());
            return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        };
        QString out;
        const QString file = env.home() + "/admin.fbk";
        QCOMPARE(run({"backup", env.databasePath(), file}, &out), 0);
        QVERIFY(backup::readHeader(file).valid);
        const QString target = env.home() + "/neu/kynoviadb";
        QDir().mkpath(env.home() + "/neu");
        QCOMPARE(run({"restore", file, target}, &out), 0);
        compareRows(everyRow(target), everyRow(env.databasePath()));

        // An existing PATH is never overwritten.
        const QByteArray before = readBytes(target);
        QCOMPARE(run({"restore", file, target}, &out), 1);
        QVERIFY2(out.contains("existiert bereits"), qPrintable(out));
        QCOMPARE(readBytes(target), before);

        // No backup, no database.
        const QString text = env.home() + "/text.fbk";
        writeBytes(text, "kein Backup");
        QCOMPARE(run({"restore", text, env.home() + "/x.fdb"}, &out), 1);
        QVERIFY2(out.contains("keine Datensicherung"), qPrintable(out));
        QVERIFY(!QFileInfo::exists(env.home() + "/x.fdb"));
        QCOMPARE(run({"backup", env.home() + "/fehlt.fdb", env.home() + "/y.fbk"}, &out), 1);
        QVERIFY(!QFileInfo::exists(env.home() + "/y.fbk"));
        QCOMPARE(run({"backup", env.databasePath()}, &out), 1);
    }
};

KYN_TEST(BackupTest)

#include "backup_test.moc"
