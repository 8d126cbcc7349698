#include "paths.h"

#include <QDir>

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

} // namespace platform
