#include "data/backup.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QMap>
#include <QThread>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <exception>
#include <functional>

#include "data/datenmodul.h"
#include "data/schema.h"
#include "data/upgrade.h"
#include "db/connection.h"
#include "db/credentials.h"
#include "db/error.h"
#include "db/fbhandle.h"
#include "db/fbstatus.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/shell.h"

using namespace Firebird;
using db::Error;
using db::detail::Status;

namespace backup {

namespace {

const QChar cr = QLatin1Char('\r');

// The given login, else the one the program uses for `database` (its own
// user for a file, the configured user for a server).
db::Credentials loginFor(const QString& database, const QString& user, const QString& password) {
    if (!user.isEmpty()) return {user, password};
    return db::credentialsFor(database);
}

QString reasonOf(std::exception_ptr e) {
    QString r = platform::exceptionText(e);
    return r.isEmpty() ? QStringLiteral("(keine Meldung)") : r;
}
QString currentReason() { return reasonOf(std::current_exception()); }

QByteArray fileName(const QString& path) { return QFile::encodeName(path); }

// The name the backup service attaches: a local file by its absolute path,
// a server's "host:/path" as it is.
QString serviceDatabaseName(const QString& database) {
    if (upgrade::isLocalPath(database)) return QFileInfo(database).absoluteFilePath();
    return database;
}

// Replaces `to` by `from` in one step (an existing `to` is overwritten).
bool replaceFile(const QString& from, const QString& to) {
    return std::rename(fileName(from).constData(), fileName(to).constData()) == 0;
}

// gbak of the Firebird tools, empty when it is not installed.
QString gbakProgram() {
    QString p = QStandardPaths::findExecutable(QStringLiteral("gbak"));
    if (p.isEmpty())
        p = QStandardPaths::findExecutable(QStringLiteral("gbak"),
                                           {QStringLiteral("/usr/bin"),
                                            QStringLiteral("/usr/lib/x86_64-linux-gnu/firebird/3.0/bin"),
                                            QStringLiteral("/opt/firebird/bin")});
    return p;
}

// What gbak said, without its question for a further volume.
QString gbakReason(const QString& output, const QProcess& p) {
    if (output.contains(QLatin1String("Backup incomplete"), Qt::CaseInsensitive))
        return QStringLiteral("Die Datensicherung ist unvollständig: die Datei endet, bevor alle Daten gelesen "
                              "sind.");
    QStringList lines;
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1String("Done with volume")) ||
            t.startsWith(QLatin1String("name followed by return")))
            continue;
        // What gbak reports of its work (-v); its errors say "ERROR".
        if (t.startsWith(QLatin1String("gbak:")) && !t.contains(QLatin1String("ERROR"))) continue;
        lines << t;
    }
    if (p.exitStatus() != QProcess::NormalExit) lines << QStringLiteral("gbak wurde abgebrochen.");
    return lines.isEmpty() ? QStringLiteral("gbak endete mit dem Code %1.").arg(p.exitCode())
                           : lines.join(QLatin1Char('\n'));
}

// Waits (at most about ten seconds) until the service no longer runs.
void waitUntilStopped(IService* service) {
    const unsigned char items[] = {isc_info_svc_running};
    unsigned char buffer[32];
    for (int i = 0; i < 500; ++i) {
        Status st;
        service->query(st.get(), 0, nullptr, sizeof items, items, sizeof buffer, buffer);
        if (st.failed() || buffer[0] != isc_info_svc_running) return;
        const int running = buffer[1] | (buffer[2] << 8) | (buffer[3] << 16) | (buffer[4] << 24);
        if (!running) return;
        QThread::msleep(20);
    }
}

// The service's worker thread still finishes for a moment after the service
// reports that it has stopped. A program that ends in that moment (the
// backup at the end of the program, kynovia-admin) has the engine unloaded
// under that thread and crashes on its way out; a short pause lets the
// worker end first.
void settle() { QThread::msleep(150); }

// One run of the engine's backup service: attach the service manager (of
// the embedded engine, or of the server `server`), start the action the
// builder describes, and read the service's output until it has finished.
// With a `sink` the output is the backup itself (a backup to "stdout"), which
// goes into that file. An error of the service is reported with the server's
// text.
void runService(const QString& server, const QString& user, const QString& password,
                const std::function<void(IXpbBuilder*, CheckStatusWrapper*)>& action, QFile* sink = nullptr) {
    IUtil* util = db::Connection::util();
    Status st;

    db::detail::Builder attach(util->getXpbBuilder(st.get(), IXpbBuilder::SPB_ATTACH, nullptr, 0));
    st.check();
    attach->insertString(st.get(), isc_spb_user_name, user.toUtf8().constData());
    // The embedded service manager gets no password and no way to the
    // network; a server gets the same login rules as a database connection.
    if (!server.isEmpty()) attach->insertString(st.get(), isc_spb_password, password.toUtf8().constData());
    const QByteArray config = db::Connection::configFor(!server.isEmpty());
    attach->insertString(st.get(), isc_spb_config, config.constData());
    st.check();
    const unsigned attachLength = attach->getBufferLength(st.get());
    const unsigned char* attachBuffer = attach->getBuffer(st.get());
    const QByteArray manager =
        server.isEmpty() ? QByteArray("service_mgr") : (server + QStringLiteral(":service_mgr")).toUtf8();
    db::detail::ServiceHandle service(
        db::Connection::provider()->attachServiceManager(st.get(), manager.constData(), attachLength, attachBuffer));
    attach.reset();
    if (st.failed()) {
        try {
            st.raise();
        } catch (const Error& e) {
            if (server.isEmpty()) throw;
            if (e.gdsCode() == isc_login)
                throw Error(QStringLiteral("Der Datenbankserver \"%1\" hat die Anmeldung als \"%2\" abgelehnt: "
                                           "Benutzername oder Passwort sind falsch.")
                                .arg(server, user));
            throw Error(QStringLiteral("Der Sicherungsdienst des Datenbankservers \"%1\" ist nicht erreichbar:\n%2")
                            .arg(server, e.message()));
        }
    }

    try {
        db::detail::Builder start(util->getXpbBuilder(st.get(), IXpbBuilder::SPB_START, nullptr, 0));
        st.check();
        action(start.get(), st.get());
        st.check();
        const unsigned startLength = start->getBufferLength(st.get());
        const unsigned char* startBuffer = start->getBuffer(st.get());
        service->start(st.get(), startLength, startBuffer);
        start.reset();
        st.check();

        // The service's output, one line per request. An empty line means
        // that the service has finished; an error of the service comes back
        // as the status of a request.
        const unsigned char items[] = {static_cast<unsigned char>(sink ? isc_info_svc_to_eof : isc_info_svc_line)};
        QByteArray buffer(16 * 1024, '\0');  // the length travels as 16 bits
        bool finished = false;
        while (!finished) {
            service->query(st.get(), 0, nullptr, sizeof items, items, unsigned(buffer.size()),
                           reinterpret_cast<unsigned char*>(buffer.data()));
            if (st.failed()) {
                // The service's worker may still be winding down; it must be
                // gone before the service is detached (and before the program
                // may end), or it runs on in an engine that is shutting down.
                try {
                    st.raise();
                } catch (...) {
                    waitUntilStopped(service.get());
                    throw;
                }
            }
            const unsigned char* p = reinterpret_cast<const unsigned char*>(buffer.constData());
            const unsigned char* end = p + buffer.size();
            bool notReady = false;
            bool gotLine = false;
            while (p < end && *p != isc_info_end) {
                const unsigned char item = *p++;
                if (item == isc_info_svc_line || item == isc_info_svc_to_eof) {
                    if (end - p < 2) break;
                    const int length = p[0] | (p[1] << 8);
                    p += 2;
                    if (length > end - p) break;
                    gotLine = true;
                    if (length == 0) finished = true;
                    if (sink && length > 0 && sink->write(reinterpret_cast<const char*>(p), length) != length)
                        throw Error(QStringLiteral("Die Sicherungsdatei \"%1\" kann nicht geschrieben werden: %2")
                                        .arg(sink->fileName(), sink->errorString()));
                    p += length;
                } else if (item == isc_info_truncated || item == isc_info_data_not_ready ||
                           item == isc_info_svc_timeout) {
                    notReady = true;
                } else {
                    break;  // nothing else was asked for
                }
            }
            if (notReady) finished = false;
            else if (!gotLine) finished = true;  // an answer without output: the service is gone
        }
        waitUntilStopped(service.get());
        service.reset();  // detaches
        settle();
    } catch (...) {
        service.reset();
        settle();
        throw;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Names and places

QString backupDirectory() { return platform::dataDirectory() + QStringLiteral("/sicherungen"); }

QString backupFileName(const QDate& date) {
    return QStringLiteral("kynovia-") + date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".fbk");
}

QString automaticFileName(const QDate& date) { return QStringLiteral("auto-") + backupFileName(date); }

QString upgradeFileName(const QDateTime& time) {
    return QStringLiteral("vor-update-kynovia-") + time.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
           QStringLiteral(".fbk");
}

QString keptDatabasePath(const QString& database, const QDateTime& when) {
    return database + QStringLiteral(".vor-wiederherstellung-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QStringList keptDatabases(const QString& database) {
    const QFileInfo fi(database);
    const QString prefix = fi.fileName() + QStringLiteral(".vor-wiederherstellung");
    QStringList names = QDir(fi.absolutePath()).entryList({prefix + QLatin1Char('*')}, QDir::Files);
    // The names carry their time: the newest sorts last. A kept file of an
    // older version of the program (no time) counts as the oldest.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return a > b; });
    QStringList out;
    for (const QString& n : names) out << fi.absoluteDir().filePath(n);
    return out;
}

bool flushFile(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite)) return false;
    return ::fsync(f.handle()) == 0;
}

QString restoringDatabasePath(const QString& database) { return database + QStringLiteral(".wiederherstellung"); }

// ---------------------------------------------------------------------------
// The backup file

Header readHeader(const QString& file) {
    Header h;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return h;
    const QByteArray head = f.read(1024);
    f.close();
    // The first record (type 0) is a list of attributes, each a type byte, a
    // length byte and the value, up to the end mark 0: 1 the date of the
    // backup as text ("Thu Dec 10 06:36:33 2026"), 2 the format version,
    // 7 the name of the database.
    if (head.size() < 4 || head.at(0) != 0) return h;
    int i = 1;
    bool ended = false;
    int format = 0;
    QByteArray date;
    while (i + 1 < head.size()) {
        const unsigned char type = static_cast<unsigned char>(head.at(i));
        if (type == 0) {
            ended = true;
            break;
        }
        const int length = static_cast<unsigned char>(head.at(i + 1));
        if (i + 2 + length > head.size()) return h;
        const QByteArray value = head.mid(i + 2, length);
        switch (type) {
        case 1: date = value; break;
        case 2:
            if (length == 4)
                format = static_cast<unsigned char>(value.at(0)) | (static_cast<unsigned char>(value.at(1)) << 8);
            break;
        case 7: h.database = QString::fromLocal8Bit(value); break;
        default: break;
        }
        i += 2 + length;
    }
    if (!ended || format <= 0 || format > 100) return h;
    h.valid = true;

    // The date is written in English words whatever the locale.
    static const QStringList months = {QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"),
                                       QStringLiteral("Apr"), QStringLiteral("May"), QStringLiteral("Jun"),
                                       QStringLiteral("Jul"), QStringLiteral("Aug"), QStringLiteral("Sep"),
                                       QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};
    const QStringList parts = QString::fromLatin1(date).simplified().split(QLatin1Char(' '));
    if (parts.size() == 5) {
        const int month = int(months.indexOf(parts[1])) + 1;
        const QTime time = QTime::fromString(parts[3], QStringLiteral("H:mm:ss"));
        const QDate day(parts[4].toInt(), month, parts[2].toInt());
        if (month > 0 && day.isValid() && time.isValid()) {
            h.created = QDateTime(day, time);
            h.createdFromHeader = true;
        }
    }
    if (!h.createdFromHeader) h.created = QFileInfo(file).lastModified();
    return h;
}

// ---------------------------------------------------------------------------
// The engine's backup service

void writeBackup(const QString& database, const QString& file, const QString& user, const QString& password) {
    const QString target = QFileInfo(file).absoluteFilePath();
    if (upgrade::isLocalPath(database)) {
        const QString canonicalDb = QFileInfo(database).canonicalFilePath();
        if (!canonicalDb.isEmpty() && QFileInfo(target).canonicalFilePath() == canonicalDb)
            throw Error(QStringLiteral("Die Sicherung kann nicht in die Datenbankdatei selbst geschrieben werden."));
    }
    if (QFileInfo(target).isDir())
        throw Error(QStringLiteral("Unter dem Namen \"%1\" liegt ein Ordner.").arg(target));
    const QString temporary = target + QStringLiteral(".entsteht");
    QFile::remove(temporary);
    // A backup holds every customer: the engine writes it for the user only.
    platform::ScopedPrivateUmask privateFiles;
    try {
        const db::Credentials login = loginFor(database, user, password);
        if (db::isServerName(database)) {
            // The server writes the backup and sends it here: the file is
            // on this computer, the database on the server.
            const QString server = db::serverOf(database);
            const QString path = database.mid(server.size() + 1);
            QFile out(temporary);
            if (!out.open(QIODevice::WriteOnly))
                throw Error(QStringLiteral("Die Sicherungsdatei \"%1\" kann nicht angelegt werden: %2")
                                .arg(temporary, out.errorString()));
            runService(server, login.user, login.password,
                       [&](IXpbBuilder* b, CheckStatusWrapper* st) {
                           b->insertTag(st, isc_action_svc_backup);
                           b->insertString(st, isc_spb_dbname, path.toUtf8().constData());
                           b->insertString(st, isc_spb_bkp_file, "stdout");
                       },
                       &out);
            if (!out.flush() || out.error() != QFileDevice::NoError)
                throw Error(QStringLiteral("Die Sicherungsdatei \"%1\" kann nicht geschrieben werden: %2")
                                .arg(temporary, out.errorString()));
            out.close();
        } else {
            runService(QString(), login.user, login.password,
                       [&](IXpbBuilder* b, CheckStatusWrapper* st) {
                           b->insertTag(st, isc_action_svc_backup);
                           b->insertString(st, isc_spb_dbname, fileName(serviceDatabaseName(database)).constData());
                           b->insertString(st, isc_spb_bkp_file, fileName(temporary).constData());
                           // With its output read line by line the service's
                           // worker never waits for a reader.
                           b->insertTag(st, isc_spb_verbose);
                       });
        }
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
    if (!readHeader(temporary).valid) {
        QFile::remove(temporary);
        throw Error(QStringLiteral("Die Sicherungsdatei \"%1\" wurde nicht geschrieben.").arg(target));
    }
    platform::privateFile(temporary);
    if (!replaceFile(temporary, target)) {
        QFile::remove(temporary);
        throw Error(QStringLiteral("Die Sicherungsdatei \"%1\" konnte nicht angelegt werden.").arg(target));
    }
}

void restoreBackup(const QString& file, const QString& newDatabase, const QString& user, const QString& password) {
    const QString source = QFileInfo(file).absoluteFilePath();
    const QString target = QFileInfo(newDatabase).absoluteFilePath();
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        throw Error(QStringLiteral("Die Datei \"%1\" existiert bereits; sie wird nicht überschrieben.").arg(target));
    if (!QFileInfo(source).isFile())
        throw Error(QStringLiteral("Die Datei \"%1\" gibt es nicht.").arg(source));

    // The restore runs as gbak in a process of its own. The backup service
    // inside this process would do the same work, but it reports a backup
    // file that ends too early as success (after asking for the next volume
    // on this program's standard input); gbak ends with an error code then.
    // The new database is a file nobody else uses, so the engine's exclusive
    // lock on the program's own database is no obstacle.
    const QString gbak = gbakProgram();
    if (gbak.isEmpty())
        throw Error(QStringLiteral("Das Programm \"gbak\" (Debian-Paket firebird3.0-utils) ist nicht installiert; "
                                   "ohne es kann keine Datensicherung eingespielt werden."));
    QProcess p;
    // gbak writes a file on this machine with its embedded engine, which
    // checks no password: it gets the user (who owns the new database) and
    // no password at all, neither the program's nor one meant for a server.
    QProcessEnvironment env = platform::childEnvironment();
    env.insert(QStringLiteral("ISC_USER"), loginFor(target, user, password).user);
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setProcessChannelMode(QProcess::MergedChannels);
    // -k: no shadow file is created, wherever the backup would put one.
    // -v: gbak names every file entry of the backup ("restoring file ..."),
    // which -k leaves out of the new database; such a backup is refused.
    {
        // gbak creates the database with the umask it inherits.
        platform::ScopedPrivateUmask privateFiles;
        p.start(gbak, {QStringLiteral("-c"), QStringLiteral("-k"), QStringLiteral("-v"), source, target});
    }
    if (!p.waitForStarted(30000))
        throw Error(QStringLiteral("Das Programm \"%1\" konnte nicht gestartet werden: %2").arg(gbak, p.errorString()));
    p.waitForFinished(-1);
    const QString output = QString::fromLocal8Bit(p.readAll());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        QFile::remove(target);
        throw Error(gbakReason(output, p));
    }
    if (!QFileInfo::exists(target))
        throw Error(QStringLiteral("Die Datenbank \"%1\" wurde nicht angelegt.").arg(target));

    QStringList found;
    static const QRegularExpression fileEntry(QStringLiteral("^gbak:\\s*restoring file (.*)$"),
                                              QRegularExpression::MultilineOption);
    for (auto it = fileEntry.globalMatch(output); it.hasNext();)
        found << QStringLiteral("Datei \"%1\" (Schattendatei oder weitere Datenbankdatei)")
                     .arg(it.next().captured(1).trimmed());
    try {
        found << foreignContent(target, loginFor(target, user, password).user);
    } catch (...) {
        QFile::remove(target);
        throw;
    }
    if (!found.isEmpty()) {
        QFile::remove(target);
        throw Refused(refusedText(file, found));
    }
}

namespace {

// One trigger, procedure, function or package: what makes it what it is.
struct Routine {
    QString label;       // "fremder Trigger \"T\"": what the message says when it is not the program's
    QString external;    // a description when it is external code or a database trigger
    QByteArray identity; // everything it consists of
};

QString trimmed(const QVariant& v) { return v.toString().trimmed(); }

// The triggers, procedures, functions and packages of a database, by name.
// The compiled form (BLR) is what runs, so it is part of the identity: a
// trigger of the program's name with other code is not the program's.
QMap<QString, Routine> routinesOf(db::Connection& c) {
    QMap<QString, Routine> out;
    db::Transaction t(&c);
    db::Statement s(&c, &t);
    auto identity = [&s] {
        QByteArray id;
        for (int i = 0; i < s.columnCount(); ++i) {
            const QVariant v = s.value(i);
            id += v.isNull() ? QByteArray("\x01") : (v.typeId() == QMetaType::QByteArray ? v.toByteArray()
                                                                                       : v.toString().toUtf8());
            id += '\0';
        }
        return id;
    };
    // A compiled form longer than 32000 bytes cannot be compared here and
    // counts as foreign (the cast fails and the whole check with it).
    const QString blr = QStringLiteral("cast(%1 as varchar(32000) character set octets)");

    s.prepare(QStringLiteral("select rdb$trigger_name, rdb$relation_name, rdb$trigger_type, rdb$system_flag, "
                             "rdb$engine_name, rdb$entrypoint, %1 from rdb$triggers")
                  .arg(blr.arg(QStringLiteral("rdb$trigger_blr"))));
    s.open();
    while (s.fetch()) {
        Routine r;
        const QString name = trimmed(s.value(0));
        r.label = QStringLiteral("fremder Trigger \"%1\"").arg(name);
        const qint64 type = s.value(2).toLongLong();
        if (type >= 8192)
            r.external = QStringLiteral("Datenbank-Trigger \"%1\" (läuft beim Verbinden, bei jeder Transaktion "
                                        "oder bei Änderungen der Datenbankstruktur)")
                             .arg(name);
        else if (!s.value(4).isNull())
            r.external = QStringLiteral("externer Trigger \"%1\" (Engine \"%2\")").arg(name, trimmed(s.value(4)));
        r.identity = identity();
        out.insert(QStringLiteral("T ") + name, r);
    }
    s.close();

    s.prepare(QStringLiteral("select rdb$procedure_name, rdb$package_name, rdb$system_flag, rdb$engine_name, "
                             "rdb$entrypoint, %1 from rdb$procedures")
                  .arg(blr.arg(QStringLiteral("rdb$procedure_blr"))));
    s.open();
    while (s.fetch()) {
        Routine r;
        const QString name = (s.value(1).isNull() ? QString() : trimmed(s.value(1)) + QLatin1Char('.')) +
                             trimmed(s.value(0));
        r.label = QStringLiteral("fremde Prozedur \"%1\"").arg(name);
        if (!s.value(3).isNull())
            r.external = QStringLiteral("externe Prozedur \"%1\" (Engine \"%2\")").arg(name, trimmed(s.value(3)));
        r.identity = identity();
        out.insert(QStringLiteral("P ") + name, r);
    }
    s.close();

    s.prepare(QStringLiteral("select rdb$function_name, rdb$package_name, rdb$system_flag, rdb$module_name, "
                             "rdb$engine_name, rdb$entrypoint, %1 from rdb$functions")
                  .arg(blr.arg(QStringLiteral("rdb$function_blr"))));
    s.open();
    while (s.fetch()) {
        Routine r;
        const QString name = (s.value(1).isNull() ? QString() : trimmed(s.value(1)) + QLatin1Char('.')) +
                             trimmed(s.value(0));
        r.label = QStringLiteral("fremde Funktion \"%1\"").arg(name);
        if (!s.value(3).isNull())
            r.external = QStringLiteral("externe Funktion (UDF) \"%1\" (Modul \"%2\")").arg(name, trimmed(s.value(3)));
        else if (!s.value(4).isNull())
            r.external = QStringLiteral("externe Funktion \"%1\" (Engine \"%2\")").arg(name, trimmed(s.value(4)));
        r.identity = identity();
        out.insert(QStringLiteral("F ") + name, r);
    }
    s.close();

    // A package's code is in its procedures and functions (above).
    s.prepare(QStringLiteral("select rdb$package_name, rdb$system_flag from rdb$packages"));
    s.open();
    while (s.fetch()) {
        Routine r;
        r.label = QStringLiteral("fremdes Paket \"%1\"").arg(trimmed(s.value(0)));
        r.identity = identity();
        out.insert(QStringLiteral("K ") + trimmed(s.value(0)), r);
    }
    s.close();
    t.commit();
    return out;
}

// The program's own triggers, procedures, functions and packages (and the
// engine's): those of a new database made by the program's schema code.
const QMap<QString, Routine>& ownRoutines() {
    static QMap<QString, Routine> own;
    static bool made = false;
    if (made) return own;
    QTemporaryDir dir;
    if (!dir.isValid())
        throw Error(QStringLiteral("Für die Prüfung der Datensicherung kann kein temporärer Ordner angelegt werden."));
    const QString path = dir.filePath(QStringLiteral("vergleich.fdb"));
    schema::createDatabase(path);
    db::Connection c;
    c.setDatabaseName(path);
    c.open();
    own = routinesOf(c);
    c.close();
    made = true;
    return own;
}

}  // namespace

QStringList foreignContent(const QString& database, const QString& user) {
    db::Connection c;
    c.setDatabaseName(database);
    if (!user.isEmpty()) c.setUser(user);
    // Nothing of the database runs while it is looked into.
    c.setDatabaseTriggers(false);
    c.open();
    QStringList found;
    {
        db::Transaction t(&c);
        db::Statement s(&c, &t);
        s.prepare(QStringLiteral("select rdb$file_name from rdb$files"));
        s.open();
        while (s.fetch())
            found << QStringLiteral("Datei \"%1\" (Schattendatei oder weitere Datenbankdatei)").arg(trimmed(s.value(0)));
        s.close();
        s.prepare(QStringLiteral("select rdb$relation_name, rdb$external_file from rdb$relations "
                                 "where rdb$external_file is not null"));
        s.open();
        while (s.fetch())
            found << QStringLiteral("externe Tabelle \"%1\" (Datei \"%2\")")
                         .arg(trimmed(s.value(0)), trimmed(s.value(1)));
        s.close();
        s.prepare(QStringLiteral("select rdb$function_name, rdb$module_name from rdb$filters"));
        s.open();
        while (s.fetch())
            found << QStringLiteral("externer Filter \"%1\" (Modul \"%2\")")
                         .arg(trimmed(s.value(0)), trimmed(s.value(1)));
        s.close();
        t.commit();
    }
    const QMap<QString, Routine> routines = routinesOf(c);
    c.close();
    const QMap<QString, Routine>& own = ownRoutines();
    for (auto it = routines.cbegin(); it != routines.cend(); ++it) {
        if (!it->external.isEmpty()) found << it->external;
        else if (own.value(it.key()).identity != it->identity)
            found << it->label + QStringLiteral(" (nicht Teil von Kynovia)");
    }
    return found;
}

void checkDatabase(const QString& database, const QString& user, const QString& password) {
    db::Connection c;
    c.setDatabaseName(database);
    if (!user.isEmpty()) c.setUser(user);
    if (!password.isEmpty()) c.setPassword(password);
    c.open();
    {
        db::Transaction t(&c);
        db::Statement s(&c, &t);
        s.scalar(QStringLiteral("select count(*) from systemdaten"));
        s.close();
        t.commit();
    }
    c.close();
}

QStringList rotateAutomaticBackups(const QString& dir, int keep) {
    static const QRegularExpression name(QStringLiteral("^auto-kynovia-(\\d{4})-(\\d{2})-(\\d{2})\\.fbk$"));
    QList<QPair<QDate, QString>> found;
    const QStringList files = QDir(dir).entryList(QDir::Files);
    for (const QString& f : files) {
        const QRegularExpressionMatch m = name.match(f);
        if (!m.hasMatch()) continue;
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!d.isValid()) continue;
        found.append({d, f});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList deleted;
    for (int i = keep; i < found.size(); ++i) {
        if (QFile::remove(QDir(dir).filePath(found[i].second))) deleted << found[i].second;
    }
    return deleted;
}

QStringList rotateSafetyBackups(const QString& dir, const QDate& today, int days) {
    // vor-update-kynovia-JJJJ-MM-TT-hhmmss[-n].fbk,
    // vor-loeschung-kunde-NNNN-JJJJ-MM-TT-hhmmss.fbk
    static const QRegularExpression name(QStringLiteral(
        "^(?:vor-update-kynovia|vor-loeschung-kunde-\\d+)-(\\d{4})-(\\d{2})-(\\d{2})-\\d{6}(?:-\\d+)?\\.fbk$"));
    QStringList deleted;
    const QStringList files = QDir(dir).entryList(QDir::Files);
    for (const QString& f : files) {
        const QRegularExpressionMatch m = name.match(f);
        if (!m.hasMatch()) continue;
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!d.isValid() || d.daysTo(today) <= days) continue;
        if (QFile::remove(QDir(dir).filePath(f))) deleted << f;
    }
    return deleted;
}

void protectPersonalData(const QString& database) {
    const QString home = QDir::cleanPath(platform::dataDirectory());
    // A data directory given as the home folder itself (or the root) is not
    // the program's to lock.
    if (home != QDir::cleanPath(QDir::homePath()) && home != QStringLiteral("/") && QFileInfo(home).isDir())
        platform::privateFile(home);
    const QString dbFolder = QDir(home).filePath(QStringLiteral("db"));
    if (QFileInfo(dbFolder).isDir()) platform::privateFile(dbFolder);
    const QString dir = backupDirectory();
    if (QFileInfo(dir).isDir()) {
        platform::privateFile(dir);
        for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden))
            platform::privateFile(QDir(dir).filePath(f));
    }
    platform::privateFile(database);
    for (const QString& kept : keptDatabases(database)) platform::privateFile(kept);
}

// ---------------------------------------------------------------------------
// Texts

QString dateText(const QDateTime& time) {
    return time.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" um ") +
           time.toString(QStringLiteral("HH:mm")) + QStringLiteral(" Uhr");
}

QString createdText(const QString& file) {
    return QStringLiteral("Die Datensicherung wurde erstellt:") + cr + file;
}

QString serverRestoreText(const QString& database) {
    return QStringLiteral("Die Datenbank \"") + database + QStringLiteral("\" liegt auf dem Datenbankserver \"") +
           db::serverOf(database) +
           QStringLiteral("\". Von einem Arbeitsplatz aus wird dort keine Datensicherung eingespielt: andere "
                          "Arbeitsplätze können gerade mit der Datenbank arbeiten, und was sie speichern, "
                          "ginge verloren.") +
           cr + cr +
           QStringLiteral("Die jetzigen Daten bleiben unverändert. Eine Sicherung wird auf dem Server selbst "
                          "eingespielt, während niemand mit Kynovia arbeitet (kynovia-admin restore).");
}

QString notABackupText(const QString& file) {
    return QStringLiteral("Die Datei \"") + file +
           QStringLiteral("\" ist keine Datensicherung von Kynovia und kann nicht eingespielt werden.") + cr + cr +
           QStringLiteral("Die jetzigen Daten bleiben unverändert.");
}

QString refusedText(const QString& file, const QStringList& found) {
    return QStringLiteral("Die Datensicherung \"") + file +
           QStringLiteral("\" wird nicht eingespielt. Sie enthält, was zu keiner Kynovia-Datenbank gehört und beim "
                          "Öffnen der Datenbank Dateien anlegen, Programme ausführen oder Daten weitergeben "
                          "könnte:\n- ") +
           found.join(QStringLiteral("\n- ")) + QStringLiteral("\n\nDie jetzigen Daten bleiben unverändert.");
}

QString restoreQuestion(const QString& file, const Header& header, const QString& kept) {
    const QString when = header.createdFromHeader
                             ? QStringLiteral("Die Datensicherung vom ") + dateText(header.created)
                             : QStringLiteral("Die Datensicherung (Datei vom ") + dateText(header.created) +
                                   QStringLiteral(")");
    return when + QStringLiteral(" soll eingespielt werden:") + cr + file + cr + cr +
           QStringLiteral("Dabei werden ALLE jetzigen Daten durch die Daten dieser Sicherung ersetzt. "
                          "Was seit der Sicherung eingegeben wurde, ist danach nicht mehr zu sehen.") +
           cr + cr + QStringLiteral("Die bisherige Datenbank wird als \"") + kept +
           QStringLiteral("\" aufbewahrt.") + cr + cr +
           QStringLiteral("Soll die Sicherung jetzt eingespielt werden?");
}

QString restoredText(const Header& header, const QString& kept) {
    return QStringLiteral("Die Datensicherung vom ") + dateText(header.created) +
           QStringLiteral(" wurde eingespielt.") + cr + cr + QStringLiteral("Die bisherige Datenbank liegt in \"") +
           kept + QStringLiteral("\".") + cr + cr +
           QStringLiteral("Kynovia wird jetzt neu gestartet, damit die eingespielten Daten angezeigt werden.");
}

QString upgradeBackupText(const QString& file) {
    return QStringLiteral("Vor dem Datenbankupdate wurde die Datenbank gesichert:") + cr + file + cr + cr +
           QStringLiteral("Sollte beim Update etwas schiefgehen, spielen Sie diese Sicherung über das Menü "
                          "\"Datei\", \"Datensicherung einspielen...\" wieder ein.");
}

// ---------------------------------------------------------------------------
// The program's operations

namespace {

void showError(const QString& text) { platform::dialogs().messageBox(text, platform::Icon::Error); }

QString withReason(const QString& text, const QString& reason) {
    return text + cr + cr + QStringLiteral("Meldung des Datenbankservers:") + cr + reason;
}

bool s_restart = false;

// The renames in a folder reach the disk.
void flushDirectory(const QString& dir) {
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool createBackupInteractive(Tdm& dm) {
    if (!dm.idb->isOpen()) {
        showError(QStringLiteral("Die Datenbank ist nicht geöffnet; es kann keine Datensicherung erstellt werden."));
        return false;
    }
    // Posted changes belong into the backup: first every pending edit.
    if (!dm.finishPendingEdits()) return false;

    // The folder only for the user (backups hold every customer's data).
    const QString dir = backupDirectory();
    platform::privateDirectory(dir);
    const QString file = platform::dialogs().saveFileIn(
        QStringLiteral("Datensicherung erstellen"), dir, backupFileName(QDate::currentDate()),
        QStringLiteral("Datensicherungen (*.fbk);;Alle Dateien (*)"), QStringLiteral("Sichern"),
        QStringLiteral("fbk"));
    if (file.isEmpty()) return false;

    try {
        // The backup service reads what is committed. Commit retaining makes
        // the posted changes permanent and keeps every dataset open where it is.
        dm.commitNow();
    } catch (...) {
        showError(withReason(QStringLiteral("Die Änderungen konnten vor der Datensicherung nicht gespeichert "
                                            "werden; es wurde keine Datensicherung erstellt."),
                             currentReason()));
        return false;
    }
    try {
        writeBackup(dm.idb->databaseName(), file, dm.idb->user(), dm.idb->password());
    } catch (...) {
        showError(withReason(QStringLiteral("Die Datensicherung \"") + file +
                                 QStringLiteral("\" konnte nicht erstellt werden."),
                             currentReason()));
        return false;
    }
    platform::dialogs().messageBox(createdText(QFileInfo(file).absoluteFilePath()), platform::Icon::Information);
    return true;
}

RestoreResult restoreInteractive(Tdm& dm) {
    const QString database = dm.idb->databaseName();
    if (!upgrade::isLocalPath(database)) {
        showError(serverRestoreText(database));
        return RestoreResult::Failed;
    }
    const QString dbPath = QFileInfo(database).absoluteFilePath();
    const QString dir = backupDirectory();
    const QString file = platform::dialogs().openFileName(
        QStringLiteral("Datensicherung einspielen"), QDir(dir).exists() ? dir : platform::dataDirectory(),
        QStringLiteral("Datensicherungen (*.fbk);;Alle Dateien (*)"), QStringLiteral("Einspielen"));
    if (file.isEmpty()) return RestoreResult::Cancelled;

    const Header header = readHeader(file);
    if (!header.valid) {
        showError(notABackupText(file));
        return RestoreResult::Failed;
    }
    QString kept = keptDatabasePath(dbPath, QDateTime::currentDateTime());
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = keptDatabasePath(dbPath, QDateTime::currentDateTime()) + QStringLiteral("-%1").arg(n);
    if (platform::dialogs().confirm(restoreQuestion(file, header, kept), QStringLiteral("Bestätigung"),
                                    platform::Buttons::JaAbbrechen, platform::Icon::Warning,
                                    platform::Answer::Abbrechen) != platform::Answer::Ja)
        return RestoreResult::Cancelled;

    // The edits in progress are posted, so that the kept database holds them.
    if (dm.idb->isOpen() && !dm.finishPendingEdits()) return RestoreResult::Failed;

    // The backup becomes a database of its own beside the current one, and
    // must open as a Kynovia database before anything is replaced.
    const QString fresh = restoringDatabasePath(dbPath);
    if (QFileInfo::exists(fresh) && !QFile::remove(fresh)) {
        showError(QStringLiteral("Die Datei \"") + fresh +
                  QStringLiteral("\" ist im Weg und kann nicht gelöscht werden. Die jetzigen Daten bleiben "
                                 "unverändert."));
        return RestoreResult::Failed;
    }
    try {
        restoreBackup(file, fresh, dm.idb->user(), dm.idb->password());
    } catch (const Refused& e) {
        QFile::remove(fresh);
        showError(e.message());
        return RestoreResult::Failed;
    } catch (...) {
        QFile::remove(fresh);
        showError(withReason(QStringLiteral("Die Datensicherung \"") + file +
                                 QStringLiteral("\" konnte nicht eingespielt werden. Die jetzigen Daten bleiben "
                                                "unverändert."),
                             currentReason()));
        return RestoreResult::Failed;
    }
    try {
        checkDatabase(fresh, dm.idb->user(), dm.idb->password());
    } catch (...) {
        const QString reason = currentReason();
        QFile::remove(fresh);
        showError(withReason(QStringLiteral("Die Datei \"") + file +
                                 QStringLiteral("\" ist keine Datensicherung einer Kynovia-Datenbank und wird "
                                                "nicht eingespielt. Die jetzigen Daten bleiben unverändert."),
                             reason));
        return RestoreResult::Failed;
    }

    // The restored file is on the disk before it takes the database's place:
    // after a power loss the database is either the old one or the whole
    // restored one.
    if (!flushFile(fresh)) {
        QFile::remove(fresh);
        showError(QStringLiteral("Die eingespielte Datenbank \"") + fresh +
                  QStringLiteral("\" konnte nicht auf die Festplatte geschrieben werden. Die jetzigen Daten "
                                 "bleiben unverändert."));
        return RestoreResult::Failed;
    }

    // From here on the program's connection is closed: whatever happens, the
    // program starts again.
    QString closeProblem;
    try {
        dm.idb->close();  // the running transaction commits
    } catch (...) {
        closeProblem = currentReason();
    }
    if (dm.idb->isOpen()) {
        QFile::remove(fresh);
        showError(withReason(QStringLiteral("Die Datenbank konnte nicht geschlossen werden; die Datensicherung "
                                            "wurde nicht eingespielt. Die jetzigen Daten bleiben unverändert."),
                             closeProblem));
        return RestoreResult::Failed;
    }
    requestRestart();

    auto swapFailed = [&](const QString& text) {
        QFile::remove(fresh);
        showError(text + cr + cr +
                  QStringLiteral("Die Datensicherung wurde nicht eingespielt; die jetzigen Daten bleiben "
                                 "unverändert. Kynovia wird jetzt neu gestartet."));
        return RestoreResult::Failed;
    };
    // The kept file gets a name of its own (any earlier one stays); should
    // one have appeared under it meanwhile, it is not overwritten.
    if (QFileInfo::exists(kept))
        return swapFailed(QStringLiteral("Die Datei \"") + kept + QStringLiteral("\" ist im Weg."));
    if (!QFile::rename(dbPath, kept))
        return swapFailed(QStringLiteral("Die Datenbank \"") + dbPath +
                          QStringLiteral("\" kann nicht umbenannt werden."));
    if (!QFile::rename(fresh, dbPath)) {
        QFile::rename(kept, dbPath);
        return swapFailed(QStringLiteral("Die eingespielte Datenbank kann nicht an die Stelle von \"") + dbPath +
                          QStringLiteral("\" treten."));
    }
    flushDirectory(QFileInfo(dbPath).absolutePath());
    platform::dialogs().messageBox(restoredText(header, kept), platform::Icon::Information);
    return RestoreResult::Restored;
}

bool backupBeforeUpgrade(Tdm& dm) {
    // Once per start: the data module remembers it.
    static const char* const doneProperty = "kynoviaUpgradeBackup";
    if (dm.property(doneProperty).toBool()) return true;
    dm.setProperty(doneProperty, true);

    const QString dir = backupDirectory();
    QString file = QDir(dir).filePath(upgradeFileName(QDateTime::currentDateTime()));
    for (int n = 2; QFileInfo::exists(file); ++n)
        file = QDir(dir).filePath(upgradeFileName(QDateTime::currentDateTime()).replace(
            QStringLiteral(".fbk"), QStringLiteral("-%1.fbk").arg(n)));
    try {
        if (!platform::privateDirectory(dir))
            throw Error(QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.").arg(dir));
        writeBackup(dm.idb->databaseName(), file, dm.idb->user(), dm.idb->password());
    } catch (...) {
        const QString text =
            withReason(QStringLiteral("Vor dem Datenbankupdate konnte keine Sicherung der Datenbank angelegt "
                                      "werden."),
                       currentReason()) +
            cr + cr + QStringLiteral("Soll das Update trotzdem durchgeführt werden?");
        return platform::dialogs().confirm(text, QStringLiteral("Bestätigung"), platform::Buttons::JaAbbrechen,
                                           platform::Icon::Warning,
                                           platform::Answer::Abbrechen) == platform::Answer::Ja;
    }
    platform::dialogs().messageBox(upgradeBackupText(file), platform::Icon::Information);
    return true;
}

void automaticBackupAtExit(Tdm& dm) {
    if (restartRequested() || !dm.idb->isOpen()) return;
    const QString database = dm.idb->databaseName();
    if (!upgrade::isLocalPath(database)) return;
    const QString dir = backupDirectory();
    const QString file = QDir(dir).filePath(automaticFileName(QDate::currentDate()));
    try {
        if (!platform::privateDirectory(dir))
            throw Error(QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.").arg(dir));
        // What was posted is committed now (as it would be when the program
        // ends), so the backup holds the state the user leaves.
        dm.commitNow();
        writeBackup(database, file, dm.idb->user(), dm.idb->password());
        rotateAutomaticBackups(dir, automaticKeep);
        rotateSafetyBackups(dir, QDate::currentDate());
    } catch (...) {
        platform::dialogs().messageBox(
            withReason(QStringLiteral("Die automatische Datensicherung beim Beenden konnte nicht erstellt werden (\"") +
                           file + QStringLiteral("\")."),
                       currentReason()),
            platform::Icon::Warning);
    }
}

// ---------------------------------------------------------------------------
// A start that finds no database

Leftover leftoverDatabase(const QString& database) {
    Leftover l;
    const QString restored = restoringDatabasePath(database);
    if (QFileInfo(restored).isFile()) {
        l.file = restored;
        l.restored = true;
        return l;
    }
    const QStringList kept = keptDatabases(database);
    if (!kept.isEmpty()) l.file = kept.first();
    return l;
}

QString leftoverQuestion(const QString& database, const Leftover& leftover) {
    const QString when = dateText(QFileInfo(leftover.file).lastModified());
    QString text = QStringLiteral("Die Datenbank \"") + database + QStringLiteral("\" ist nicht vorhanden.") + cr + cr;
    if (leftover.restored)
        text += QStringLiteral("Daneben liegt die Datei \"") + leftover.file +
                QStringLiteral("\" (vom ") + when +
                QStringLiteral("): eine eingespielte Datensicherung, die beim Einspielen nicht mehr an die Stelle "
                               "der Datenbank gesetzt wurde.");
    else
        text += QStringLiteral("Daneben liegt die Datei \"") + leftover.file +
                QStringLiteral("\" (vom ") + when +
                QStringLiteral("): die Datenbank, wie sie vor dem Einspielen einer Datensicherung war.");
    return text + cr + cr + QStringLiteral("Soll diese Datei wieder als Datenbank verwendet werden?");
}

bool putLeftoverBack(const QString& database, const Leftover& leftover, QString* reason) {
    if (QFileInfo::exists(database)) {
        if (reason) *reason = QStringLiteral("Die Datei \"") + database + QStringLiteral("\" ist im Weg.");
        return false;
    }
    if (!QFile::rename(leftover.file, database)) {
        if (reason)
            *reason = QStringLiteral("Die Datei \"") + leftover.file +
                      QStringLiteral("\" kann nicht umbenannt werden.");
        return false;
    }
    flushDirectory(QFileInfo(database).absolutePath());
    return true;
}

// ---------------------------------------------------------------------------
// Starting again

void requestRestart() { s_restart = true; }
bool restartRequested() { return s_restart; }
void clearRestartRequest() { s_restart = false; }

namespace {
std::function<bool()>& restartHandler() {
    static std::function<bool()> h;
    return h;
}
}  // namespace

void setRestartHandler(std::function<bool()> handler) { restartHandler() = std::move(handler); }

bool restartProgram() {
    if (restartHandler()) return restartHandler()();
    const QString program = QCoreApplication::applicationFilePath();
    if (platform::startDetached(program, QCoreApplication::arguments().mid(1))) return true;
    showError(QStringLiteral("Kynovia konnte nicht neu gestartet werden. Bitte starten Sie das Programm selbst "
                             "wieder."));
    return false;
}

}  // namespace backup
