// kynovia-admin: command-line tool for installers and scripts.
//
//   kynovia-admin create [PFAD]    writes a fresh, complete database
//   kynovia-admin version [PFAD]   prints the schema version (LAST_UPDATE)
//
// Without PFAD the program's own database is meant: $KYNOVIA_DATABASE, else
// $KYNOVIA_HOME/db/kynoviadb (KYNOVIA_HOME defaults to ~/.local/share/kynovia).
// Exit code 0 on success, 1 on any failure; messages are German.
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <functional>
#include <memory>

#include "data/schema.h"
#include "db/connection.h"
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
        "Aufruf: kynovia-admin BEFEHL [PFAD]\n"
        "\n"
        "Befehle:\n"
        "  create [PFAD]    legt eine neue, vollständige Datenbank an\n"
        "                   (fehlende Ordner werden angelegt; eine vorhandene\n"
        "                   Datei wird nie überschrieben)\n"
        "  version [PFAD]   gibt die Schemaversion (LAST_UPDATE) der Datenbank aus\n"
        "\n"
        "Ohne PFAD gilt die Datenbank des Programms: $KYNOVIA_DATABASE, sonst\n"
        "$KYNOVIA_HOME/db/kynoviadb (KYNOVIA_HOME ist sonst ~/.local/share/kynovia).\n");
}

// A file path, as opposed to a server's "host:/path".
bool isLocalPath(const QString& path) {
    const int colon = path.indexOf(QLatin1Char(':'));
    if (colon <= 0) return true;
    const int slash = path.indexOf(QLatin1Char('/'));
    return slash >= 0 && slash < colon;
}

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

struct Command {
    const char* name;
    std::function<int(const QString& path)> run;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);

    // Further commands (backup, restore) take their place in this table.
    const Command commands[] = {
        {"create", createCommand},
        {"version", versionCommand},
    };

    if (args.size() == 1
        && (args[0] == QLatin1String("-h") || args[0] == QLatin1String("--help")
            || args[0] == QLatin1String("hilfe"))) {
        out() << usageText();
        return 0;
    }
    if (args.isEmpty() || args.size() > 2) {
        err() << usageText();
        return 1;
    }
    for (const Command& c : commands) {
        if (args[0] != QLatin1String(c.name)) continue;
        QString path = args.size() == 2 ? args[1] : platform::databasePath();
        if (path.trimmed().isEmpty()) return fail(QStringLiteral("Der Pfad der Datenbank ist leer."));
        return c.run(path);
    }
    err() << QStringLiteral("Unbekannter Befehl \"%1\".\n\n").arg(args[0]) << usageText();
    return 1;
}
