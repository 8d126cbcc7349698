#pragma once
// Opening the database at start-up and bringing its schema up to date.
//
// openDatabase() attaches the data module's connection. A database file
// that does not exist is created (complete schema; asked first unless it is
// the user's first start, see firstStartOfUser); any other
// failure to attach (file locked by another program, no permission, a folder,
// server not reachable) ends the start with a German message that names the
// file and the server's reason.
//
// runUpgrade() walks the numbered upgrade steps 1 to 7 and 9 to 14. Each step
// checks whether it is still needed, asks the user (ask_for_doing_update),
// runs its statements, each by a statement of its own, in the
// transaction `ibt`, reports the result and commits where it must. Declining
// a step, the restart after step 4 and a failed step 11 to 14 end the
// program (false). Afterwards every missing descending key index (and index
// of a detail link) is created.
//
// Work of earlier steps that is still uncommitted is committed (retaining)
// before a step runs its statements, so that a failing step can roll back
// exactly its own statements: the database is then as it was before that
// step, and the next start offers it again.
#include <QString>

class Tdm;

namespace upgrade {

// "Update-Nr. 9"
QString stepLabel(int step);

// The question of ask_for_doing_update; lines end with a carriage return.
QString confirmationText(const QString& label);

// Messages of the steps.
QString successText();                 // general success message
QString successText(int step);         // "Das Update 11 wurde erfolgreich durchgeführt."
QString restartText();                 // step 4
QString failureText(int step);         // steps 11 to 14

// Messages of opening the database.
QString missingDatabaseQuestion(const QString& path);
QString missingDatabaseEndText(const QString& path);
QString createFailedText(const QString& path, const QString& reason);
QString openFailedText(const QString& path, const QString& reason);

// Whether a database name is a local file rather than a server's
// "host:/path" (or "host/port:/path").
bool isLocalPath(const QString& name);

// The first start of a user: `path` is the program's own database in the
// default data directory (no KYNOVIA_HOME, no KYNOVIA_DATABASE), and that
// directory does not exist yet.
bool firstStartOfUser(const QString& path);

// Attaches dm.idb to `path`. A missing local file is created: without a
// question on the first start of a user (firstStartOfUser), otherwise after
// asking, because a missing file elsewhere more likely means a drive not
// mounted or a file moved away. Returns false when the program must end;
// the message has been shown.
bool openDatabase(Tdm& dm, const QString& path);

// The upgrade steps on the open connection. Returns false when the program
// must end.
bool runUpgrade(Tdm& dm);

}  // namespace upgrade
