#pragma once
// Helpers of the shell tests: the help pages in the test's data directory.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTest>

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

inline void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    f.write(content);
}

}  // namespace shelltest
