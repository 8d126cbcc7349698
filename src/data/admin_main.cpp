// kynovia-admin: command-line tool for installers and scripts.
//
//   kynovia-admin create [PFAD]           writes a fresh, complete database
//   kynovia-admin version [PFAD]          prints the schema version (LAST_UPDATE)
//   kynovia-admin backup PFAD DATEI       writes a backup of the database
//   kynovia-admin restore DATEI PFAD      restores a backup into a new database
//
// Without PFAD the program's own database is meant: $KYNOVIA_DATABASE, else
// $KYNOVIA_HOME/db/kynoviadb (KYNOVIA_HOME defaults to ~/.local/share/kynovia).
// Exit code 0 on success, 1 on any failure; messages are German.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <functional>
#include <memory>

#include "data/backup.h"
#include "data/schema.h"
#include "db/connection.h"
#include "db/credentials.h"
#include "db/error.h"
#include "db/statement.h"
#include "db/transaction.h"
#include "platform/paths.h"

namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

QString usageText() {
    return QStringLiteral(
        "Aufruf: kynovia-admin BEFEHL [ARGUMENTE]\n"
        "\n"
        "Befehle:\n"
        "  create [PFAD]    legt eine neue, vollständige Datenbank an\n"
        "                   (fehlende Ordner werden angelegt; eine vorhandene\n"
        "                   Datei wird nie überschrieben)\n"
        "  version [PFAD]   gibt die Schemaversion (LAST_UPDATE) der Datenbank aus\n"
        "  backup PFAD DATEI\n"
        "                   schreibt eine Datensicherung der Datenbank PFAD in die\n"
        "                   Datei DATEI (eine vorhandene Datei wird ersetzt)\n"
        "  restore DATEI PFAD\n"
        "                   spielt die Datensicherung DATEI in eine neue Datenbank\n"
        "                   PFAD ein (eine vorhandene Datei wird nie überschrieben)\n"
        "\n"
        "Ohne PFAD gilt die Datenbank des Programms: $KYNOVIA_DATABASE, sonst\n"
        "$KYNOVIA_HOME/db/kynoviadb (KYNOVIA_HOME ist sonst ~/.local/share/kynovia).\n");
}

// A file path, as opposed to a server's "host:/path" or "host/port:/path".
bool isLocalPath(const QString& path) { return !db::isServerName(path); }

int fail(const QString& message) {
    err() << message << Qt::endl;
    return 1;
}

int createCommand(const QString& path) {
    if (isLocalPath(path) && QFileInfo::exists(path))
        return fail(QStringLiteral("Die Datei \"%1\" existiert bereits. Es wurde keine neue "
                                   "Datenbank angelegt; die vorhandene Datei bleibt unverändert.")
                        .arg(path));
    try {
        schema::createDatabase(path);
    } catch (const db::Error& e) {
        return fail(QStringLiteral("Die Datenbank \"%1\" konnte nicht angelegt werden:\n%2")
                        .arg(path, e.message()));
    }
    out() << QStringLiteral("Die Datenbank \"%1\" wurde angelegt (Version %2).")
                 .arg(path)
                 .arg(schema::currentVersion)
          << Qt::endl;
    return 0;
}

int versionCommand(const QString& path) {
    if (isLocalPath(path) && !QFileInfo::exists(path))
        return fail(QStringLiteral("Die Datenbank \"%1\" gibt es nicht.").arg(path));
    try {
        db::Connection connection;
        connection.setDatabaseName(path);
        connection.open();
        int version = 0;
        {
            db::Transaction t(&connection);
            db::Statement s(&connection, &t);
            // A database from before the version column reads as version 0,
            // as do a NULL and a missing row.
            const QVariant hasColumn = s.scalar(QStringLiteral(
                "select count(*) from rdb$relation_fields "
                "where rdb$relation_name = \"SYSTEMDATEN\" and rdb$field_name = \"LAST_UPDATE\""));
            if (hasColumn.toInt() > 0)
                version = s.scalar(QStringLiteral("select last_update from systemdaten")).toInt();
            t.commit();
        }
        connection.close();
        out() << version << Qt::endl;
    } catch (const db::Error& e) {
        return fail(QStringLiteral("Die Version der Datenbank \"%1\" konnte nicht gelesen werden:\n%2")
                        .arg(path, e.message()));
    }
    return 0;
}

int backupCommand(const QString& path, const QString& file) {
    if (isLocalPath(path) && !QFileInfo::exists(path))
        return fail(QStringLiteral("Die Datenbank \"%1\" gibt es nicht.").arg(path));
    try {
        backup::writeBackup(path, file);
    } catch (const db::Error& e) {
        return fail(QStringLiteral("Die Datensicherung der Datenbank \"%1\" konnte nicht geschrieben werden:\n%2")
                        .arg(path, e.message()));
    }
    out() << QStringLiteral("Die Datensicherung \"%1\" wurde geschrieben.").arg(file) << Qt::endl;
    return 0;
}

int restoreCommand(const QString& file, const QString& path) {
    if (!isLocalPath(path))
        return fail(QStringLiteral("\"%1\" ist keine Datei auf diesem Rechner.").arg(path));
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return fail(QStringLiteral("Die Datei \"%1\" existiert bereits. Die Datensicherung wurde nicht "
                                   "eingespielt; die vorhandene Datei bleibt unverändert.")
                        .arg(path));
    if (!QFileInfo(file).isFile())
        return fail(QStringLiteral("Die Datensicherung \"%1\" gibt es nicht.").arg(file));
    if (!backup::readHeader(file).valid)
        return fail(QStringLiteral("Die Datei \"%1\" ist keine Datensicherung von Kynovia.").arg(file));
    try {
        backup::restoreBackup(file, path);
    } catch (const db::Error& e) {
        return fail(QStringLiteral("Die Datensicherung \"%1\" konnte nicht eingespielt werden:\n%2")
                        .arg(file, e.message()));
    }
    try {
        backup::checkDatabase(path);
    } catch (const db::Error& e) {
        QFile::remove(path);
        return fail(QStringLiteral("Die Datei \"%1\" ist keine Datensicherung einer Kynovia-Datenbank; "
                                   "es wurde keine Datenbank angelegt:\n%2")
                        .arg(file, e.message()));
    }
    out() << QStringLiteral("Die Datensicherung \"%1\" wurde in die Datenbank \"%2\" eingespielt.")
                 .arg(file, path)
          << Qt::endl;
    return 0;
}

// A command takes from minArgs to maxArgs arguments; a missing database
// path (the last argument of create and version) means the program's own.
struct Command {
    const char* name;
    int minArgs;
    int maxArgs;
    std::function<int(const QStringList& args)> run;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    // The embedded engine's lock folder is the user's own, as for the program.
    platform::useEngineLockDirectory();

    auto withPath = [](int (*command)(const QString&)) {
        return [command](const QStringList& a) {
            const QString path = a.isEmpty() ? platform::databasePath() : a[0];
            if (path.trimmed().isEmpty()) return fail(QStringLiteral("Der Pfad der Datenbank ist leer."));
            return command(path);
        };
    };
    auto withTwo = [](int (*command)(const QString&, const QString&)) {
        return [command](const QStringList& a) {
            if (a[0].trimmed().isEmpty() || a[1].trimmed().isEmpty())
                return fail(QStringLiteral("Ein leerer Pfad ist nicht möglich."));
            return command(a[0], a[1]);
        };
    };
    const Command commands[] = {
        {"create", 0, 1, withPath(createCommand)},
        {"version", 0, 1, withPath(versionCommand)},
        {"backup", 2, 2, withTwo(backupCommand)},
        {"restore", 2, 2, withTwo(restoreCommand)},
    };

    if (args.size() == 1
        && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help")
            || args[0] == QLatin1String("hilfe"))) {
        out() << usageText();
        return 0;
    }
    if (args.isEmpty()) {
        err() << usageText();
        return 1;
    }
    for (const Command& c : commands) {
        if (args[0] != QLatin1String(c.name)) continue;
        const QStringList rest = args.mid(1);
        if (rest.size() < c.minArgs || rest.size() > c.maxArgs) {
            err() << usageText();
            return 1;
        }
        return c.run(rest);
    }
    err() << QStringLiteral("Unbekannter Befehl \"%1\".\n\n").arg(args[0]) << usageText();
    return 1;
}
