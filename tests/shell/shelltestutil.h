#pragma once
// Helpers of the shell tests: the help pages in the test's data directory.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include "common/testenv.h"

namespace shelltest {

// The project's source tree (KYNOVIA_SOURCE_DIR when CTest runs the tests,
// else found from this file's place).
inline QString sourceDir() {
    const QString env = qEnvironmentVariable("KYNOVIA_SOURCE_DIR");
    if (!env.isEmpty()) return env;
    return QFileInfo(QStringLiteral(__FILE__)).absoluteDir().absoluteFilePath(QStringLiteral("../.."));
}

// Copies resources/help/*.htm into <home>/help; returns that directory.
inline QString installHelpPages(const QString& home) {
    const QDir src(sourceDir() + QStringLiteral("/resources/help"));
    QDir(home).mkpath(QStringLiteral("help"));
    const QString dst = home + QStringLiteral("/help");
    for (const QString& f : src.entryList({QStringLiteral("*.htm")}, QDir::Files))
        QFile::copy(src.absoluteFilePath(f), dst + QLatin1Char('/') + f);
    return dst;
}

// A fresh, complete database at env.databasePath(): the first call creates
// it with the program's schema code, later calls copy that new file (the
// schema takes a few seconds, a copy none).
inline void createDatabase(TestEnv& env) {
    static QTemporaryDir templateDir;
    const QString tmpl = templateDir.path() + QStringLiteral("/template.fdb");
    if (!QFileInfo::exists(tmpl)) {
        env.createDatabase();
        QFile::copy(env.databasePath(), tmpl);
        return;
    }
    QFile::remove(env.databasePath());
    QVERIFY(QFile::copy(tmpl, env.databasePath()));
    QFile(env.databasePath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

inline void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    f.write(content);
}

}  // namespace shelltest
