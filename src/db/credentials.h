#pragma once
// Who logs in to a database on a Firebird server.
//
// A file path opens the database with the embedded engine, which takes the
// program's own user name and does not check a password. A database on a
// server ("host:/path", "host/port:/path") is opened with a user of that
// server, taken in this order from
//   1. KYNOVIA_USER and KYNOVIA_PASSWORD,
//   2. ISC_USER and ISC_PASSWORD (the Firebird tools' convention),
//   3. the connection file of the user (connectionFilePath()), lines
//        benutzer = SCHULE
//        passwort = ...
//      ("#" starts a comment). The file must be readable by its owner only;
//      a file that others may read is refused, because the password in it
//      would not be protected.
// The program's embedded user is never sent to a server, and the embedded
// engine gets no password (it checks none).
#include <QString>

namespace db {

struct Credentials {
    QString user;
    QString password;
};

// Whether `name` names a database on a server rather than a local file.
bool isServerName(const QString& name);
// The server part of "host:/path" or "host/port:/path" ("host", "host/port").
QString serverOf(const QString& name);

// The connection file: $KYNOVIA_CONFIG/verbindung.conf, else
// $XDG_CONFIG_HOME/kynovia/verbindung.conf (~/.config/kynovia/verbindung.conf).
QString connectionFilePath();

// The user and password for the server database `name` (see above). Throws
// db::Error with a German text naming the server when there is none or the
// connection file cannot be used.
Credentials serverCredentials(const QString& name);

// The embedded engine's login (the program's own user, no password).
Credentials embeddedCredentials();

// The login for `name`: embeddedCredentials() for a file, serverCredentials()
// for a server.
Credentials credentialsFor(const QString& name);

}  // namespace db
