#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString envPath(const char* name) {
    return qEnvironmentVariable(name).trimmed();
}

// An XDG base directory: the variable when it holds an absolute path,
// otherwise the given directory below the home directory.
QString xdgBase(const char* variable, const QString& homeRelative) {
    const QString v = envPath(variable);
    if (!v.isEmpty() && QDir::isAbsolutePath(v)) return QDir::cleanPath(v);
    return QDir::cleanPath(QDir::homePath() + QLatin1Char('/') + homeRelative);
}

// The same directory, also when one of the two is reached through a link.
bool sameDirectory(const QString& a, const QString& b) {
    if (QDir::cleanPath(a) == QDir::cleanPath(b)) return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

QString dataDirectory() {
    const QString home = envPath("KYNOVIA_HOME");
    if (!home.isEmpty()) return QDir::cleanPath(home);
    return xdgBase("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("/kynovia");
}

QString configDirectory() {
    const QString dir = envPath("KYNOVIA_CONFIG");
    if (!dir.isEmpty()) return QDir::cleanPath(dir);
    return xdgBase("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/kynovia");
}

QString mapPath(const QString& windowsPath) {
    QString p = windowsPath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QString prefix = QStringLiteral("c:/kynovia");
    if (p.startsWith(prefix, Qt::CaseInsensitive)
        && (p.size() == prefix.size() || p.at(prefix.size()) == QLatin1Char('/'))) {
        return dataDirectory() + p.mid(prefix.size());
    }
    return p;
}

QString databasePath() {
    const QString db = qEnvironmentVariable("KYNOVIA_DATABASE");
    if (!db.trimmed().isEmpty()) return db;
    return mapPath(QString::fromUtf16(databaseFileText));
}

QStringList sharedDataDirectoriesFor(const QString& programDirectory) {
    QStringList dirs;
    if (programDirectory.isEmpty()) return dirs;
    const QString dir = QDir::cleanPath(programDirectory);
#if defined(KYNOVIA_BUILD_PROGRAM_DIR) && defined(KYNOVIA_SOURCE_RESOURCES)
    // Run from the build: the files of the source tree it was built from.
    if (sameDirectory(dir, QStringLiteral(KYNOVIA_BUILD_PROGRAM_DIR)))
        dirs << QStringLiteral(KYNOVIA_SOURCE_RESOURCES);
#endif
    if (QFileInfo(dir).fileName() == QLatin1String("bin"))
        dirs << QDir::cleanPath(dir + QStringLiteral("/../share/kynovia"));
    return dirs;
}

namespace {
const QStringList* s_sharedOverride = nullptr;
} // namespace

ScopedSharedDataDirectories::ScopedSharedDataDirectories(const QStringList& dirs)
    : m_dirs(dirs), m_previous(s_sharedOverride) {
    s_sharedOverride = &m_dirs;
}

ScopedSharedDataDirectories::~ScopedSharedDataDirectories() { s_sharedOverride = m_previous; }

QStringList sharedDataDirectories() {
    if (s_sharedOverride) return *s_sharedOverride;
    if (!QCoreApplication::instance()) return {};
    return sharedDataDirectoriesFor(QCoreApplication::applicationDirPath());
}

QStringList lookupPaths(const QString& path) {
    QStringList paths{path};
    const QString data = dataDirectory() + QLatin1Char('/');
    const QString p = QDir::cleanPath(path);
    if (!p.startsWith(data)) return paths;
    const QString relative = p.mid(data.size());
    for (const QString& dir : sharedDataDirectories()) paths << dir + QLatin1Char('/') + relative;
    return paths;
}

QString findFile(const QString& path) {
    for (const QString& p : lookupPaths(path))
        if (QFileInfo::exists(p)) return p;
    return path;
}

QString engineLockDirectory() {
    // The runtime directory is the user's own (mode 0700) and lives in
    // memory, which suits the engine's shared-memory files best.
    const QString runtime = envPath("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
        const QFileInfo fi(runtime);
        if (fi.isDir() && fi.ownerId() == uint(::getuid()) && fi.isWritable())
            return QDir::cleanPath(runtime) + QStringLiteral("/kynovia-firebird");
    }
    return xdgBase("XDG_CACHE_HOME", QStringLiteral(".cache")) + QStringLiteral("/kynovia/firebird");
}

QString useEngineLockDirectory() {
    QString dir = envPath("FIREBIRD_LOCK");
    const bool given = !dir.isEmpty();
    if (!given) dir = engineLockDirectory();
    // The engine makes no missing folder itself; it refuses the attachment.
    if (!QFileInfo(dir).isDir() && QDir().mkpath(dir) && !given)
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!given) qputenv("FIREBIRD_LOCK", QFile::encodeName(dir));
    return dir;
}

ScopedPrivateUmask::ScopedPrivateUmask() : m_old(::umask(077)) {}
ScopedPrivateUmask::~ScopedPrivateUmask() { ::umask(mode_t(m_old)); }

void privateFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || st.st_uid != ::geteuid()) return;
    if (S_ISDIR(st.st_mode)) {
        if (st.st_mode & 077) ::chmod(name.constData(), 0700);
    } else if (S_ISREG(st.st_mode) && (st.st_mode & 077)) {
        ::chmod(name.constData(), st.st_mode & 0700);
    }
}

bool privateDirectory(const QString& dir) {
    if (dir.isEmpty()) return false;
    {
        ScopedPrivateUmask mask;
        if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir)) return false;
    }
    privateFile(dir);
    return QFileInfo(dir).isDir();
}

} // namespace platform
