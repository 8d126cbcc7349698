#pragma once
// Backups of the database.
//
// A backup is Firebird's own backup format (the one gbak writes). It is
// written by the engine's backup service through the client library's
// services API: the embedded engine serves it inside this process, next to
// the program's own attachment (a separate gbak process could not open the
// database, which the embedded engine holds exclusively). The backup holds
// the committed state of the database.
//
// A backup is restored by gbak (Debian package firebird3.0-utils) in a
// process of its own, into a new file that nobody else uses: the restore
// service of this Firebird version reports a backup file that ends too
// early as success (after asking for the next volume on the program's
// standard input), gbak ends with an error then.
//
// Backups live in the folder "sicherungen" of the data directory:
//   kynovia-JJJJ-MM-TT.fbk             made by the user (menu "Datei"),
//                                      default name; never deleted
//   auto-kynovia-JJJJ-MM-TT.fbk        made when the program ends, one per
//                                      day, the newest 7 kept
//   vor-update-kynovia-JJJJ-MM-TT-hhmmss.fbk
//                                      made before the first upgrade step of
//                                      a start; deleted after 30 days
//   vor-loeschung-kunde-NNNN-JJJJ-MM-TT-hhmmss.fbk
//                                      made before a customer is erased;
//                                      deleted after 30 days (an erased
//                                      customer does not stay in them)
//
// The folder is the user's only (0700), every backup file too (0600): they
// hold every customer.
//
// Restoring a backup writes a new database file beside the database, checks
// that it opens as a Kynovia database, flushes it to disk, keeps the old file
// as "<database>.vor-wiederherstellung-JJJJMMTT-hhmmss" and puts the new one
// in its place. The program then starts again (see restoreInteractive()).
// A start that finds no database but such a file beside it offers to put
// that file back (see leftoverDatabase()).
//
// The functions of the first two groups throw db::Error with a German text
// (and the server's message where there is one); the program's operations
// of the last group show their messages through platform::dialogs() and
// throw nothing.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

#include "db/error.h"

class Tdm;

namespace backup {

// --- names and places ---

// <data directory>/sicherungen (not created here).
QString backupDirectory();
// "kynovia-2026-12-10.fbk"
QString backupFileName(const QDate& date);
// "auto-kynovia-2026-12-10.fbk"
QString automaticFileName(const QDate& date);
// "vor-update-kynovia-2026-12-10-063633.fbk"
QString upgradeFileName(const QDateTime& time);
// Where a restore keeps the replaced database:
// "<database>.vor-wiederherstellung-JJJJMMTT-hhmmss". Every restore keeps
// its own; none is ever deleted by the program.
QString keptDatabasePath(const QString& database, const QDateTime& when);
// The kept databases beside `database` that exist, newest first.
QStringList keptDatabases(const QString& database);
// The new database a restore writes before it takes the database's place.
QString restoringDatabasePath(const QString& database);
// How many automatic backups are kept.
constexpr int automaticKeep = 7;

// --- the backup file ---

struct Header {
    bool valid = false;        // the file starts with a backup header
    QDateTime created;         // when the backup was made (local time)
    bool createdFromHeader = false;  // false: the file's modification time
    QString database;          // the database the backup was made of
};
// Reads the header record that every backup starts with: the backup's date
// and the name of the database it was made of. A file without that record
// (any other file) is not valid. Should the date in the header be
// unreadable, the file's modification time stands in.
Header readHeader(const QString& file);

// --- the engine's backup service ---

// Writes a backup of `database` (a file, or a server's "host:/path") to
// `file`. The backup is written to a temporary file beside `file` first and
// then takes its name, so that a failure leaves an existing `file` as it
// was. User and password default to the program's connection parameters.
void writeBackup(const QString& database, const QString& file, const QString& user = QString(),
                 const QString& password = QString());
// A backup whose database holds more than a Kynovia database does (see
// restoreBackup): the message names what was found.
class Refused : public db::Error {
public:
    using db::Error::Error;
};

// Restores `file` into a new database file `newDatabase`, which must not
// exist, with gbak. A partly written database is removed again on failure.
//
// A backup is data from elsewhere, and a database can hold code and file
// names that act when it is opened: shadow and secondary files (written
// wherever the backup says), database triggers (run on every connection),
// external tables, UDFs and external functions and procedures, and PSQL
// triggers, procedures and functions that may send data to another server.
// So the restore creates no shadow (gbak -k), and the new database is then
// looked into with its database triggers off (foreignContent()). Should it
// hold any of those, or a trigger, procedure, function or package that is
// not exactly one of the program's own schema, it is removed again and
// Refused is thrown.
void restoreBackup(const QString& file, const QString& newDatabase, const QString& user = QString(),
                   const QString& password = QString());
// What `database` holds that is not the program's own (empty: nothing),
// each a German description: files, database triggers, external tables,
// filters, functions and procedures, and triggers, procedures, functions and
// packages that differ from those of a new database made by the program's
// schema code. The database's triggers do not run meanwhile.
QStringList foreignContent(const QString& database, const QString& user = QString());
// Attaches to `database` and reads SYSTEMDATEN: throws when that is not
// possible (not a database, or not one of Kynovia).
void checkDatabase(const QString& database, const QString& user = QString(),
                   const QString& password = QString());

// Deletes the automatic backups (auto-kynovia-JJJJ-MM-TT.fbk) of `dir`
// except the `keep` newest by their date; other files are never touched.
// Returns the names deleted.
QStringList rotateAutomaticBackups(const QString& dir, int keep = automaticKeep);

// How many days the backups before an erasure or an update are kept.
constexpr int safetyKeepDays = 30;
// Deletes the backups made before an erasure or an update
// (vor-loeschung-kunde-..., vor-update-kynovia-...) of `dir` whose date in
// the name lies more than `days` days before `today`; other files are never
// touched. Returns the names deleted. Runs with the automatic backup at the
// end of the program.
QStringList rotateSafetyBackups(const QString& dir, const QDate& today, int days = safetyKeepDays);

// At the start, for a database file: the data directory, its db/ and
// sicherungen/ folders (0700), the backups in there, the database and the
// databases kept by restores (0600) are made the user's only, as far as
// they are the user's own; what others own is left alone.
void protectPersonalData(const QString& database);

// --- the program's operations ---

// Menu "Datei", "Datensicherung erstellen...": finishes the pending edits,
// asks for the file (default sicherungen/kynovia-JJJJ-MM-TT.fbk), commits
// the posted changes (retaining: the datasets stay open) and writes the
// backup. Reports success or the server's error. Returns whether a backup
// was written.
bool createBackupInteractive(Tdm& dm);

enum class RestoreResult {
    Cancelled,  // nothing chosen, or declined: nothing changed
    Failed,     // refused or failed with a message: the database is unchanged
    Restored,   // the backup is the database now; the program must restart
};
// Menu "Datei", "Datensicherung einspielen...": asks for the backup file,
// refuses a file that is no backup, asks for confirmation naming the
// backup's date, finishes the pending edits, restores the backup into a new
// file beside the database, checks that it is a Kynovia database, flushes it
// to disk, closes the data module's connection, keeps the old database file
// ("kynoviadb.vor-wiederherstellung-JJJJMMTT-hhmmss"; earlier kept files stay)
// and puts the new one in its place.
//
// Restored means that the connection is closed and the program has to start
// again (requestRestart() has been called): the data module's datasets and
// prepared statements, the working windows and the planner's snapshot all
// belong to the old database, and a new start is the one way that reopens
// every one of them on the restored data and runs the upgrade check on it.
// Should the files not be swapped after the connection was closed, the old
// database stays in place, the message says so, and the result is Failed
// with the restart requested as well.
RestoreResult restoreInteractive(Tdm& dm);

// Before the first upgrade step of a start (once per data module): writes a
// backup to sicherungen/vor-update-kynovia-....fbk and says where. When the
// backup fails, the user is asked whether the update should run anyway;
// false means no (the program ends as if the step was declined).
bool backupBeforeUpgrade(Tdm& dm);

// When the program ends normally (after the pending edits were finished):
// commits, writes today's automatic backup (replacing one made earlier
// today) and deletes the automatic backups beyond the newest 7. Failures are
// shown and the program ends anyway. Nothing happens while the connection
// is closed (after a restore) or the database is not a local file.
void automaticBackupAtExit(Tdm& dm);

// --- a start that finds no database ---

// A file that can take the place of a missing database: the restored
// database of a restore that was interrupted between its two renames, else
// the newest kept database.
struct Leftover {
    QString file;         // empty: none
    bool restored = false;  // the restored database (else a kept one)
};
Leftover leftoverDatabase(const QString& database);
// The question offering it, and what happens on "Ja": the file is renamed to
// `database`; false (with the reason in `reason`) when that fails.
QString leftoverQuestion(const QString& database, const Leftover& leftover);
bool putLeftoverBack(const QString& database, const Leftover& leftover, QString* reason);

// Writes the file's data to disk (fsync); false when that failed.
bool flushFile(const QString& file);

// --- starting the program again after a restore ---
void requestRestart();
bool restartRequested();
void clearRestartRequest();
// Starts the program again as a new process (same program, same arguments);
// false when that failed (a message has been shown). With a handler
// installed (tests), the handler does it instead.
bool restartProgram();
// Installs a handler for restartProgram(); an empty one restores the real start.
void setRestartHandler(std::function<bool()> handler);

// --- texts ---
QString createdText(const QString& file);
QString notABackupText(const QString& file);
// The refusal of a backup that holds `found` (see restoreBackup).
QString refusedText(const QString& file, const QStringList& found);
// Restore refused for a database on a server.
QString serverRestoreText(const QString& database);
QString restoreQuestion(const QString& file, const Header& header, const QString& kept);
QString restoredText(const Header& header, const QString& kept);
QString upgradeBackupText(const QString& file);
// "10.12.2026 um 06:36 Uhr"
QString dateText(const QDateTime& time);

}  // namespace backup
