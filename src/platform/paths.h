#pragma once
// Where the program's files live.
//
// The program keeps its fixed Windows paths as texts ("c:\kynovia",
// "\help\inhalt.htm", "c:\kynovia\db\kynoviadb"); mapPath() turns such a text
// into a file of this machine: the prefix "c:\kynovia" (any case) becomes the
// data directory and every backslash becomes a slash.
#include <QString>
#include <QStringList>

namespace platform {

// $KYNOVIA_HOME, or $XDG_DATA_HOME/kynovia (~/.local/share/kynovia).
// Without a trailing slash.
QString dataDirectory();

// Directory of the settings (INI) files: $KYNOVIA_CONFIG, or
// $XDG_CONFIG_HOME/kynovia (~/.config/kynovia). Without a trailing slash.
QString configDirectory();

// "c:\kynovia\help\inhalt.htm" -> <dataDirectory>/help/inhalt.htm.
// The prefix must be followed by a separator or end the text
// ("c:\kynoviax" is not the data directory). Other texts only get their
// backslashes turned into slashes.
QString mapPath(const QString& windowsPath);

// $KYNOVIA_DATABASE (a file or a server's "host:/path"), else the mapped
// "c:\kynovia\db\kynoviadb".
QString databasePath();

// The directories that hold the files shipped with the program (help pages,
// breed list), looked at after the data directory: <prefix>/share/kynovia
// for a program installed as <prefix>/bin/kynovia, the source tree's
// resources/ for a program run from its build directory, none otherwise.
QStringList sharedDataDirectories();
// The same for a program in `programDirectory`.
QStringList sharedDataDirectoriesFor(const QString& programDirectory);

// Tests: sharedDataDirectories() gives `dirs` while the object lives.
class ScopedSharedDataDirectories {
public:
    explicit ScopedSharedDataDirectories(const QStringList& dirs);
    ~ScopedSharedDataDirectories();
    ScopedSharedDataDirectories(const ScopedSharedDataDirectories&) = delete;
    ScopedSharedDataDirectories& operator=(const ScopedSharedDataDirectories&) = delete;

private:
    QStringList m_dirs;
    const QStringList* m_previous;
};

// Where a file or folder below the data directory is looked for, in this
// order: the path itself, then the same place below each shared directory.
// A path outside the data directory is only itself.
QStringList lookupPaths(const QString& path);
// The first of lookupPaths(path) that exists; the path itself when none
// does, so that a message names the data directory's place.
QString findFile(const QString& path);

// The embedded database engine keeps its lock files in $FIREBIRD_LOCK. The
// folder is per user: $XDG_RUNTIME_DIR/kynovia-firebird when the runtime
// directory is usable, else $XDG_CACHE_HOME/kynovia/firebird
// (~/.cache/kynovia/firebird). Two programs of one user on one database
// meet in the same folder; the users of one machine never share one.
QString engineLockDirectory();
// Before the first attach: sets FIREBIRD_LOCK to engineLockDirectory() unless
// it is set already, and makes the folder (only for the user) when it is
// missing. Returns the folder in use.
QString useEngineLockDirectory();

// Personal data are for the user's eyes only: the folders the program keeps
// them in are 0700, its files 0600.
//
// Creates `dir` and its missing parents with no rights for anybody else; an
// existing folder of the user's own is tightened to 0700 (a folder of
// somebody else is left alone). False when `dir` is no folder afterwards.
bool privateDirectory(const QString& dir);
// An existing file of the user's own gets 0600 (0700 for a folder).
void privateFile(const QString& path);
// While it lives, the files and folders this process (or a program it
// starts) creates get no rights for group and others (umask 077): the
// database engine and gbak write their files with the process's umask.
class ScopedPrivateUmask {
public:
    ScopedPrivateUmask();
    ~ScopedPrivateUmask();
    ScopedPrivateUmask(const ScopedPrivateUmask&) = delete;
    ScopedPrivateUmask& operator=(const ScopedPrivateUmask&) = delete;

private:
    unsigned m_old;
};

// The fixed Windows texts of the program.
inline constexpr char16_t installDirectoryText[] = u"c:\\kynovia";
inline constexpr char16_t databaseFileText[] = u"c:\\kynovia\\db\\kynoviadb";
inline constexpr char16_t helpFileText[] = u"C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP";

} // namespace platform
