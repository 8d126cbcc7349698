#include "data/upgrade.h"

#include <QDir>
#include <QFileInfo>
#include <exception>
#include <functional>

#include "data/backup.h"
#include "data/datenmodul.h"
#include "data/schema.h"
#include "db/credentials.h"
#include "db/error.h"
#include "db/statement.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

using namespace db;

namespace upgrade {

namespace {

const QChar cr = QLatin1Char('\r');

// The support addresses named in the failure message.
const char16_t supportMail1[] = u"support@kynovia.de";
const char16_t supportMail2[] = u"hilfe@kynovia.de";

QString currentReason() {
    QString r = platform::exceptionText(std::current_exception());
    return r.isEmpty() ? QStringLiteral("(keine Meldung)") : r;
}

// A sentence that explains the most common reasons in plain words.
QString openHint(const QString& reason) {
    if (reason.contains(QLatin1String("already opened with engine instance"), Qt::CaseInsensitive) ||
        reason.contains(QLatin1String("\"lock\" operation"), Qt::CaseInsensitive))
        return QStringLiteral(
            "Die Datenbank wird bereits von einem anderen Programm verwendet (zum Beispiel von "
            "einem zweiten, schon laufenden Kynovia). Beenden Sie dieses Programm und starten Sie "
            "Kynovia danach erneut.");
    if (reason.contains(QLatin1String("Is a directory"), Qt::CaseInsensitive))
        return QStringLiteral("Unter diesem Namen liegt ein Ordner, keine Datenbankdatei.");
    // A file the engine can only read: write-protected, or owned by another
    // user (the engine then opens it read-only and refuses the attachment).
    if (reason.contains(QLatin1String("no permission for read-write access"), Qt::CaseInsensitive) ||
        reason.contains(QLatin1String("Read-only file system"), Qt::CaseInsensitive))
        return QStringLiteral(
            "Die Datei ist schreibgeschützt, oder es fehlt die Berechtigung, sie zu ändern. Kynovia braucht "
            "Lese- und Schreibrechte für die Datenbankdatei.");
    if (reason.contains(QLatin1String("Permission denied"), Qt::CaseInsensitive))
        return QStringLiteral("Es fehlt die Berechtigung, die Datei zu lesen und zu schreiben.");
    if (reason.contains(QLatin1String("network request"), Qt::CaseInsensitive) ||
        reason.contains(QLatin1String("connection"), Qt::CaseInsensitive))
        return QStringLiteral("Der Datenbankserver ist nicht erreichbar.");
    return QString();
}

// One run of the upgrade steps.
class Runner {
public:
    explicit Runner(Tdm& dm) : m(dm) {}

    bool run() {
        try {
            if (!steps()) return false;
            // The index creation below runs in a transaction of its own: it must
            // see every table the steps created.
            if (m_pending) m.ibt->commitRetaining();
            m_pending = false;
        } catch (...) {
            // An unguarded step failed: its own statements are undone, the
            // server's message is shown, the remaining steps are skipped and
            // the start goes on with the schema as it is.
            if (m_inStep) rollbackQuietly();
            platform::handleCurrentException();
            return true;
        }
        // Older databases lack the indexes that keep "largest + 1" and the
        // detail lists fast. Only speed depends on them: a failure is not
        // shown, and the next start tries again.
        try {
            schema::ensureDescendingIndexes(*m.idb);
            schema::ensureLookupIndexes(*m.idb);
        } catch (...) {
            qWarning("upgrade: indexes not created: %s", qPrintable(currentReason()));
        }
        return true;
    }

private:
    Tdm& m;
    bool m_pending = false;  // statements of an earlier step not yet committed
    bool m_inStep = false;   // between the first and the last statement of a step

    // --- building blocks ---

    bool probeFails(const QString& probe) {
        try {
            read(probe);
            return false;
        } catch (const Error&) {
            return true;
        }
    }

    // First column of the first row of `sql`; NULL or no row read as 0.
    int readVersion(const QString& sql, const QVariantList& params = {}) { return read(sql, params).toInt(); }

    // Reads, like the statements below, use a statement of their own that is
    // let go of at once: nothing stays prepared on the tables the steps alter.
    QVariant read(const QString& sql, const QVariantList& params = {}) {
        return db::Statement(m.idb.get(), m.ibt).scalar(sql, params);
    }

    // The user's permission, then (before the first step of this start) a
    // backup of the database as it is.
    bool ask(int step) { return m.ask_for_doing_update(stepLabel(step)) && backup::backupBeforeUpgrade(m); }

    // Before a step's statements: earlier uncommitted work is committed, so
    // that a rollback takes back only this step.
    void beginStep() {
        if (m_pending) m.ibt->commitRetaining();
        m_pending = false;
        m_inStep = true;
    }
    void endStep(bool committed) {
        m_inStep = false;
        m_pending = !committed;
    }

    void exec(const QStringList& lines) { exec(lines.join(QLatin1Char('\n'))); }
    void exec(const QString& statement, const QVariantList& params = {}) {
        db::Statement(m.idb.get(), m.ibt).execute(statement, params);
    }

    void inform(const QString& text) { platform::dialogs().messageBox(text, platform::Icon::Information); }

    void rollbackQuietly() {
        try {
            m.ibt->rollback();
        } catch (...) {
        }
        m_inStep = false;
        m_pending = false;
    }

    // Steps 11 to 14: any error shows the failure message and ends the
    // program. The step's uncommitted statements are rolled back first.
    bool guarded(int step, const std::function<void()>& body) {
        try {
            beginStep();
            body();
            endStep(true);
            return true;
        } catch (...) {
            qWarning("upgrade: step %d failed: %s", step, qPrintable(currentReason()));
            rollbackQuietly();
            platform::dialogs().messageBox(failureText(step), platform::Icon::Error,
                                           QStringLiteral("Fehler"));
            return false;
        }
    }

    bool columnPresent(const char* table, const char* column) {
        return readVersion(QStringLiteral("select count(*) from rdb$relation_fields where rdb$relation_name = ? "
                                          "and rdb$field_name = ?"),
                           {QString::fromLatin1(table), QString::fromLatin1(column)}) > 0;
    }

    // The last step whose objects the schema holds (only the steps after 4
    // matter here: 4 created the version column itself); 0 when none of
    // them has run.
    int versionShownBySchema() {
        struct Mark {
            int step;
            const char* table;
            const char* column;
        };
        static const Mark marks[] = {{14, "RECHNUNGSDATEN", "NUMMERNMUSTER"}, {13, "HUNDE", "GEBOREN_AM"},      {12, "KURSE", "STATUS"},
                                     {11, "KURS_DOKUMENTE", "DOKNR"},  {10, "KURSTERMINE", "ORT"},
                                     {9, "SYSTEMDATEN", "ERSTSTARTHILFE"}, {7, "VORLAGEN_KURSE", "RYTHMUS"},
                                     {6, "KURSTERMINE", "UHRZEIT"}};
        for (const Mark& mark : marks)
            if (columnPresent(mark.table, mark.column)) return mark.step;
        return 0;
    }

    // SYSTEMDATEN holds the school's one row, and the schema version with
    // it. A database that lost the row would read version 0 at every start
    // and offer step 13 again, whose first statement then fails on the
    // column it added long ago. The row comes back with the version the
    // schema shows; with nothing past step 4 the version stays empty and
    // step 5 sets it as usual.
    void restoreSystemRow() {
        if (readVersion(QStringLiteral("select count(*) from systemdaten")) > 0) return;
        const int version = versionShownBySchema();
        const bool hilfe = columnPresent("SYSTEMDATEN", "ERSTSTARTHILFE");
        const QString sql = hilfe ? QStringLiteral("insert into systemdaten (last_update, erststarthilfe) values (?, 1)")
                                  : QStringLiteral("insert into systemdaten (last_update) values (?)");
        qWarning("upgrade: SYSTEMDATEN had no row; written again with version %d", version);
        beginStep();
        exec(sql, {version > 0 ? QVariant(version) : QVariant()});
        m.ibt->commitRetaining();
        endStep(true);
    }

    // --- the steps, strictly in this order ---

    // Whether the database says it has had every step: its version is the
    // current one (each step from 5 on writes its number, in order).
    bool schemaIsCurrent() {
        try {
            return readVersion(QStringLiteral("select last_update from systemdaten")) == schema::currentVersion;
        } catch (const Error&) {
            return false;
        }
    }

    bool steps() {
        // The usual start: one read instead of a probe per step.
        if (schemaIsCurrent()) return true;
        if (probeFails(QStringLiteral("select count(*) from trainer"))) {
            if (!ask(1)) return false;
            beginStep();
            exec({QStringLiteral("create table trainer ("),
                  QStringLiteral("  trainernr integer not null,"),
                  QStringLiteral("  kurzzeichen varchar(20),"),
                  QStringLiteral("  vname varchar(20),"),
                  QStringLiteral("  name varchar(30),"),
                  QStringLiteral("  str varchar(80),"),
                  QStringLiteral("  plz varchar(10),"),
                  QStringLiteral("  ort varchar(80),"),
                  QStringLiteral("  anrede varchar(10),"),
                  QStringLiteral("  tel varchar(30),"),
                  QStringLiteral("  mobil varchar(30),"),
                  QStringLiteral("  fax varchar(30),"),
                  QStringLiteral("  email varchar(30),"),
                  QStringLiteral("  kommentar varchar(500),"),
                  QStringLiteral("  primary key (trainernr)"),
                  QStringLiteral(");")});
            inform(successText());
            endStep(false);
        }

        if (probeFails(QStringLiteral("select anzahl_teilnehmer from kurse"))) {
            if (!ask(2)) return false;
            beginStep();
            exec(QStringLiteral("alter table kurse drop minteilnehmer, add anzahl_teilnehmer integer ;"));
            inform(successText());
            endStep(false);
        }

        if (probeFails(QStringLiteral("select count(*) from kurstermine"))) {
            if (!ask(3)) return false;
            beginStep();
            exec({QStringLiteral("create table kurstermine ("),
                  QStringLiteral("  kursnr integer not null,"),
                  QStringLiteral("  datum date not null,"),
                  QStringLiteral("  thema varchar(80),"),
                  QStringLiteral("  primary key (kursnr,datum)"),
                  QStringLiteral(");")});
            inform(successText());
            endStep(false);
        }

        if (probeFails(QStringLiteral("select gebuehr from kurse"))) {
            if (!ask(4)) return false;
            beginStep();
            exec(QStringLiteral("alter table kurse add gebuehr float;"));
            exec(QStringLiteral("alter table systemdaten add last_update integer;"));
            // The new version column is known only after a restart.
            inform(restartText());
            m.ibt->commit();
            endStep(true);
            return false;
        }

        restoreSystemRow();

        {
            const QVariant version = read(QStringLiteral("select last_update from systemdaten"));
            if (version.isNull() || !version.isValid()) {
                if (!ask(5)) return false;
                beginStep();
                exec(QStringLiteral("update systemdaten set last_update=5;"));
                inform(successText());
                endStep(false);
            }
        }

        if (probeFails(QStringLiteral("select uhrzeit from kurstermine"))) {
            if (!ask(6)) return false;
            beginStep();
            exec(QStringLiteral("alter table kurstermine add uhrzeit date;"));
            exec({QStringLiteral("create table vorlagen_kurse ("),
                  QStringLiteral("  vorlagennr integer not null,"),
                  QStringLiteral("  bezeichnung varchar(80),"),
                  QStringLiteral("  primary key (vorlagennr)"),
                  QStringLiteral(");")});
            exec({QStringLiteral("create table vorlagen_kurstermine ("),
                  QStringLiteral("  vorlagennr integer not null,"),
                  QStringLiteral("  terminnr integer not null,"),
                  QStringLiteral("  thema varchar(80),"),
                  QStringLiteral("  primary key (vorlagennr,terminnr)"),
                  QStringLiteral(");")});
            exec(QStringLiteral("update systemdaten set last_update=6;"));
            inform(successText());
            m.ibt->commit();
            endStep(true);
        }

        if (probeFails(QStringLiteral("select rythmus from vorlagen_kurse"))) {
            if (!ask(7)) return false;
            beginStep();
            exec(QStringLiteral("alter table vorlagen_kurse add rythmus integer;"));
            exec(QStringLiteral("update systemdaten set last_update=7;"));
            inform(successText());
            m.ibt->commit();
            endStep(true);
        }

        if (probeFails(QStringLiteral("select erststarthilfe from systemdaten"))) {
            if (!ask(9)) return false;
            beginStep();
            exec(QStringLiteral("alter table systemdaten add erststarthilfe integer;"));
            // A column added in this transaction is unknown to its later
            // statements until it is committed.
            m.ibt->commitRetaining();
            exec(QStringLiteral("update systemdaten set erststarthilfe=1;"));
            exec(QStringLiteral("update systemdaten set last_update=9;"));
            inform(successText());
            m.ibt->commit();
            endStep(true);
        }

        if (probeFails(QStringLiteral("select ort from kurstermine"))) {
            if (!ask(10)) return false;
            beginStep();
            exec(QStringLiteral("alter table kurstermine add ort varchar(200), add kontakt varchar(200);"));
            exec(QStringLiteral(
                "insert into kurse (kursnr,kursart,beschreibung) values (-1,\"EB\",\"Einzelstunde/Beratung\");"));
            exec(QStringLiteral("update systemdaten set last_update=10;"));
            inform(successText());
            m.ibt->commit();
            endStep(true);
        }

        if (readVersion(QStringLiteral("select last_update from systemdaten ")) == 10) {
            if (!ask(11)) return false;
            bool ok = guarded(11, [this] {
                exec(QStringLiteral("alter table dokumente drop kursnr;"));
                exec({QStringLiteral("create table vorlagen_dokumente ("),
                      QStringLiteral("  vorlagennr integer not null,"),
                      QStringLiteral("  doknr integer not null,"),
                      QStringLiteral("  verteiler varchar(10),"),
                      QStringLiteral("  primary key (vorlagennr,doknr)"),
                      QStringLiteral(");")});
                exec({QStringLiteral("create table kurs_dokumente ("),
                      QStringLiteral("  kursnr integer not null,"),
                      QStringLiteral("  doknr integer not null,"),
                      QStringLiteral("  verteiler varchar(10),"),
                      QStringLiteral("  primary key (kursnr,doknr)"),
                      QStringLiteral(");")});
                exec(QStringLiteral("update systemdaten set last_update=11;"));
                inform(successText(11));
                m.ibt->commit();
            });
            if (!ok) return false;
        }

        if (readVersion(QStringLiteral("select last_update from systemdaten ")) == 11) {
            if (!ask(12)) return false;
            bool ok = guarded(12, [this] {
                exec(QStringLiteral("alter table kurse add status char(1)"));
                exec(QStringLiteral("update systemdaten set last_update=12;"));
                inform(successText(12));
                m.ibt->commit();
            });
            if (!ok) return false;
        }

        const int step13 = 13;
        if (readVersion(QStringLiteral("select last_update from systemdaten ")) < step13) {
            if (!ask(step13)) return false;
            bool ok = guarded(step13, [this, step13] {
                exec(QStringLiteral("alter table hunde add geboren_am date"));
                m.ibt->commit();
                exec(QStringLiteral(
                    "update hunde set geboren_am=\"01.01.\"||geburtsjahr where geburtsjahr is not null"));
                m.ibt->commit();
                exec(QStringLiteral("update systemdaten set last_update = ?"), {step13});
                inform(successText(step13));
                m.ibt->commit();
            });
            if (!ok) return false;
        }

        // Invoices. Each stage commits on its own; a start after a failure
        // in a later stage skips the stages already there.
        const int step14 = 14;
        if (readVersion(QStringLiteral("select last_update from systemdaten ")) < step14) {
            if (!ask(step14)) return false;
            bool ok = guarded(step14, [this, step14] {
                const QVector<QStringList> stages = schema::billingStages();
                const bool done[] = {
                    readVersion(QStringLiteral("select count(*) from rdb$relations where rdb$relation_name = "
                                               "'MAHNUNGEN'")) > 0,
                    readVersion(QStringLiteral("select count(*) from rdb$triggers where rdb$trigger_name = "
                                               "'RECHNUNGSPOSITIONEN_BUD'")) > 0,
                    false};
                for (int i = 0; i < 2; ++i) {
                    if (done[i]) continue;
                    for (const QString& sql : stages[i]) exec(sql);
                    m.ibt->commit();
                }
                if (readVersion(QStringLiteral("select count(*) from rechnungsdaten")) == 0)
                    for (const QString& sql : stages[2]) exec(sql);
                exec(QStringLiteral("update systemdaten set last_update = ?"), {step14});
                inform(successText(step14));
                m.ibt->commit();
            });
            if (!ok) return false;
        }
        return true;
    }
};

}  // namespace

QString stepLabel(int step) { return QStringLiteral("Update-Nr. ") + QString::number(step); }

QString confirmationText(const QString& label) {
    return QStringLiteral("Es muss ein Datenbankupdate (") + label + QStringLiteral(") durchgeführt werden.") +
           cr + cr + QStringLiteral("Stellen Sie bitte sicher, daß Sie eine aktuelle Sicherung der") + cr +
           QStringLiteral("Datenbank haben. Wenn das Update durchgeführt werden soll") + cr +
           QStringLiteral("betätigen Sie bitte den JA-Button und warten Sie, das Update ") + cr +
           QStringLiteral("kann je nach Umfang ein paar Sekunden oder auch einige Minuten") + cr +
           QStringLiteral("dauern. Wenn das Update nicht durchgeführt werden soll, ") + cr +
           QStringLiteral("betätigen Sie bitte den ABBRUCH-Button.");
}

QString successText() { return QStringLiteral("Das Update wurde erfolgreich durchgeführt."); }

QString successText(int step) {
    return QStringLiteral("Das Update ") + QString::number(step) +
           QStringLiteral(" wurde erfolgreich durchgeführt.");
}

QString restartText() {
    return QStringLiteral(
        "Das Update wurde erfolgreich durchgeführt, erfordert jedoch einen Neustart des Programms. "
        "Starten Sie das Programm, nachdem es sich selber beendet hat, bitte erneut, danach wird "
        "Update 5 durchgeführt.");
}

QString failureText(int step) {
    return QStringLiteral(
               "Es trat ein Fehler beim Updaten der Datenbank auf. Bitte starten Sie Ihren Rechner neu "
               "und versuchen Sie es noch einmal. Schlägt auch der nächste Versuch fehl, spielen Sie "
               "bitte die Sicherung ein, starten Sie Ihren Rechner erneut und versuchen Sie es ein "
               "drittes Mal. Schlägt auch dieser Versuch fehl, nehmen Sie bitte über Email (") +
           QString::fromUtf16(supportMail1) + QStringLiteral(" oder ") + QString::fromUtf16(supportMail2) +
           QStringLiteral(") Kontakt mit dem Hersteller dieser Software auf. Geben Sie dabei an: 'Update ") +
           QString::number(step) + QStringLiteral(" fehlgeschlagen.'");
}

QString missingDatabaseQuestion(const QString& path) {
    return QStringLiteral("Die Datenbank \"") + path + QStringLiteral("\" ist nicht vorhanden.") + cr + cr +
           QStringLiteral("Soll dort eine neue, leere Datenbank angelegt werden?");
}

QString missingDatabaseEndText(const QString& path) {
    return QStringLiteral("Die Datenbank \"") + path + QStringLiteral("\" ist nicht vorhanden.") + cr + cr +
           QStringLiteral("Ohne Datenbank kann Kynovia nicht arbeiten; das Programm wird beendet.");
}

QString createFailedText(const QString& path, const QString& reason) {
    QString text = QStringLiteral("Die neue Datenbank \"") + path + QStringLiteral("\" konnte nicht angelegt werden.") +
                   cr + cr;
    if (reason.contains(QLatin1String("Permission denied"), Qt::CaseInsensitive) ||
        reason.contains(QLatin1String("Read-only file system"), Qt::CaseInsensitive))
        text += QStringLiteral("Es fehlt die Berechtigung, im Ordner \"") + QFileInfo(path).absolutePath() +
                QStringLiteral("\" eine Datei anzulegen.") + cr + cr;
    return text + QStringLiteral("Meldung des Datenbankservers:") + cr + reason + cr + cr +
           QStringLiteral("Das Programm wird beendet.");
}

QString openFailedText(const QString& path, const QString& reason) {
    QString text = QStringLiteral("Die Datenbank \"") + path + QStringLiteral("\" konnte nicht geöffnet werden.") +
                   cr + cr;
    const QString hint = openHint(reason);
    if (!hint.isEmpty()) text += hint + cr + cr;
    return text + QStringLiteral("Meldung des Datenbankservers:") + cr + reason + cr + cr +
           QStringLiteral("Das Programm wird beendet.");
}

bool isLocalPath(const QString& name) { return !db::isServerName(name); }

bool firstStartOfUser(const QString& path) {
    if (!qEnvironmentVariable("KYNOVIA_HOME").trimmed().isEmpty()) return false;
    if (path != platform::mapPath(QString::fromUtf16(platform::databaseFileText))) return false;
    const QFileInfo dir(platform::dataDirectory());
    return !dir.exists() && !dir.isSymLink();
}

bool openDatabase(Tdm& dm, const QString& path) {
    dm.idb->setDatabaseName(path);
    if (isLocalPath(path)) {
        QFileInfo fi(path);
        // A restore that was interrupted between its two renames (or a
        // database moved away) left its file beside the path: offered
        // first, before a new, empty database.
        if (!fi.exists() && !fi.isSymLink()) {
            const backup::Leftover rest = backup::leftoverDatabase(fi.absoluteFilePath());
            if (!rest.file.isEmpty() &&
                platform::dialogs().confirm(backup::leftoverQuestion(path, rest), QStringLiteral("Bestätigung"),
                                            platform::Buttons::JaNein) == platform::Answer::Ja) {
                QString reason;
                if (!backup::putLeftoverBack(fi.absoluteFilePath(), rest, &reason)) {
                    platform::dialogs().messageBox(reason + cr + cr + QStringLiteral("Das Programm wird beendet."),
                                                   platform::Icon::Error);
                    return false;
                }
                fi.refresh();
            }
        }
        if (!fi.exists() && !fi.isSymLink()) {
            if (!firstStartOfUser(path) &&
                platform::dialogs().confirm(missingDatabaseQuestion(path), QStringLiteral("Bestätigung"),
                                            platform::Buttons::JaNein) != platform::Answer::Ja) {
                platform::dialogs().messageBox(missingDatabaseEndText(path), platform::Icon::Warning);
                return false;
            }
            try {
                platform::ScopedPrivateUmask privateFiles;
                QDir().mkpath(fi.absolutePath());
                schema::createDatabase(path);
            } catch (...) {
                platform::dialogs().messageBox(createFailedText(path, currentReason()),
                                               platform::Icon::Error);
                return false;
            }
        }
    }
    if (isLocalPath(path)) backup::protectPersonalData(QFileInfo(path).absoluteFilePath());
    try {
        dm.idb->open();
    } catch (...) {
        platform::dialogs().messageBox(openFailedText(path, currentReason()), platform::Icon::Error);
        return false;
    }
    return true;
}

bool runUpgrade(Tdm& dm) { return Runner(dm).run(); }

}  // namespace upgrade

bool Tdm::ask_for_doing_update(const QString& label) {
    return platform::dialogs().confirm(upgrade::confirmationText(label), QStringLiteral("Bestätigung"),
                                       platform::Buttons::JaAbbrechen, platform::Icon::Question,
                                       platform::Answer::Ja) == platform::Answer::Ja;
}
