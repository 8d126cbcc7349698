#include "db/credentials.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "db/error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

namespace {

QString env(const char* name) { return qEnvironmentVariable(name).trimmed(); }

// The program's own user of the embedded engine, which checks no password
// (and gets none).
const char embeddedUser[] = "sysdba";

QString missingText(const QString& server) {
    return QStringLiteral("Für die Datenbank auf dem Server \"%1\" ist kein Benutzer angegeben.\n\n"
                          "Bitte KYNOVIA_USER und KYNOVIA_PASSWORD setzen oder die Verbindungsdatei "
                          "\"%2\" anlegen (nur für Sie lesbar, chmod 600) mit den Zeilen\n"
                          "benutzer = ...\npasswort = ...")
        .arg(server, connectionFilePath());
}

Credentials fromFile(const QString& server) {
    const QString path = connectionFilePath();
    // The file is opened first and then checked by what was opened (fstat):
    // between a check of the name and the opening the name could come to
    // mean another file. A link is followed, but what it leads to must
    // still be the user's own file that nobody else may read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) throw Error(missingText(server));
        throw Error(QStringLiteral("Die Verbindungsdatei \"%1\" kann nicht gelesen werden: %2")
                        .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw Error(QStringLiteral("Die Verbindungsdatei \"%1\" kann nicht gelesen werden: %2")
                        .arg(path, f.errorString()));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw Error(QStringLiteral("Die Verbindungsdatei \"%1\" ist keine gewöhnliche Datei; sie wird nicht "
                                   "benutzt.")
                        .arg(path));
    if (st.st_uid != ::geteuid())
        throw Error(QStringLiteral("Die Verbindungsdatei \"%1\" gehört nicht Ihnen (sondern einem anderen "
                                   "Benutzer dieses Rechners); sie wird nicht benutzt.\n\n"
                                   "Abhilfe: die Datei selbst anlegen, mit chmod 600 \"%1\"")
                        .arg(path));
    if (st.st_mode & 077)
        throw Error(QStringLiteral("Die Verbindungsdatei \"%1\" ist auch für andere Benutzer lesbar; das "
                                   "Passwort darin wäre nicht geschützt. Sie wird nicht benutzt.\n\n"
                                   "Abhilfe: chmod 600 \"%1\"")
                        .arg(path));
    Credentials c;
    bool havePassword = false;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("benutzer")) c.user = value;
        else if (key == QLatin1String("passwort")) {
            c.password = value;
            havePassword = true;
        }
    }
    if (c.user.isEmpty() || !havePassword)
        throw Error(QStringLiteral("In der Verbindungsdatei \"%1\" fehlt die Zeile \"%2\" "
                                   "(für die Datenbank auf dem Server \"%3\").")
                        .arg(path, c.user.isEmpty() ? QStringLiteral("benutzer = ...")
                                                    : QStringLiteral("passwort = ..."),
                             server));
    return c;
}

}  // namespace

bool isServerName(const QString& name) {
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('.'))) return false;
    const int colon = name.indexOf(QLatin1Char(':'));
    if (colon <= 0) return false;
    // "c:\..." or "c:/..." is a drive, not a host.
    if (colon == 1 && name.at(0).isLetter() &&
        (name.size() == 2 || name.at(2) == QLatin1Char('\\') || name.at(2) == QLatin1Char('/')))
        return false;
    return true;
}

QString serverOf(const QString& name) {
    const int colon = name.indexOf(QLatin1Char(':'));
    return colon > 0 ? name.left(colon) : QString();
}

QString connectionFilePath() {
    QString dir = env("KYNOVIA_CONFIG");
    if (dir.isEmpty()) {
        const QString xdg = env("XDG_CONFIG_HOME");
        const QString base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg)
                                 ? xdg
                                 : QDir::homePath() + QStringLiteral("/.config");
        dir = base + QStringLiteral("/kynovia");
    }
    return QDir::cleanPath(dir) + QStringLiteral("/verbindung.conf");
}

Credentials serverCredentials(const QString& name) {
    const QString server = serverOf(name);
    for (const auto& [userVar, passwordVar] :
         {std::pair{"KYNOVIA_USER", "KYNOVIA_PASSWORD"}, std::pair{"ISC_USER", "ISC_PASSWORD"}}) {
        const QString user = env(userVar);
        if (user.isEmpty()) continue;
        if (!qEnvironmentVariableIsSet(passwordVar))
            throw Error(QStringLiteral("%1 ist gesetzt, %2 aber nicht: für die Datenbank auf dem Server "
                                       "\"%3\" fehlt das Passwort.")
                            .arg(QString::fromLatin1(userVar), QString::fromLatin1(passwordVar), server));
        return {user, qEnvironmentVariable(passwordVar)};
    }
    return fromFile(server);
}

Credentials embeddedCredentials() {
    return {QString::fromLatin1(embeddedUser), QString()};
}

Credentials credentialsFor(const QString& name) {
    return isServerName(name) ? serverCredentials(name) : embeddedCredentials();
}

}  // namespace db
