#pragma once
// Stand-ins for the desktop's programs (xdg-open, lp) that only write down
// how they were called: a directory with one small script per program is
// put first in PATH for the lifetime of the object. Each call leaves one
// file with the program's name and every argument it received, separated by
// NUL characters, so an argument holding blanks, ";" or a line break is
// still seen as the one argument it was.
//
//   feindlich::Aufzeichner a;                          // xdg-open and lp recorded
//   platform::shell().openFile(pfad);                  // the real desktop shell
//   QTRY_COMPARE_WITH_TIMEOUT(a.anzahl(), 1, 20000);   // the program runs detached
//   QCOMPARE(a.neue().first(), (QStringList{"xdg-open", pfad}));
#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

namespace feindlich {

class Aufzeichner {
public:
    explicit Aufzeichner(const QStringList& programme = {QStringLiteral("xdg-open"), QStringLiteral("lp")})
        : m_hatPfad(qEnvironmentVariableIsSet("PATH")), m_alterPfad(qgetenv("PATH")) {
        QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
        QDir(m_dir.path()).mkpath(QStringLiteral("aufrufe"));
        // The record is written under a temporary name and then renamed, so
        // that a file the test sees is complete.
        const QByteArray skript = "#!/bin/sh\n"
                                  "t=$(mktemp \"" + aufrufe().toLocal8Bit() + "/t.XXXXXX\") || exit 1\n"
                                  "printf '%s\\0' \"$(basename \"$0\")\" \"$@\" > \"$t\"\n"
                                  "mv \"$t\" \"$t.aufruf\"\n";
        for (const QString& p : programme) {
            QFile f(bin() + QLatin1Char('/') + p);
            if (!f.open(QIODevice::WriteOnly)) continue;
            f.write(skript);
            f.close();
            f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        qputenv("PATH", bin().toLocal8Bit() + (m_hatPfad ? ":" + m_alterPfad : QByteArray()));
    }
    ~Aufzeichner() {
        if (m_hatPfad) qputenv("PATH", m_alterPfad);
        else qunsetenv("PATH");
    }
    Aufzeichner(const Aufzeichner&) = delete;
    Aufzeichner& operator=(const Aufzeichner&) = delete;

    QString bin() const { return m_dir.path() + QStringLiteral("/bin"); }
    QString aufrufe() const { return m_dir.path() + QStringLiteral("/aufrufe"); }

    // How many calls have been recorded so far.
    int anzahl() const { return int(dateien().size()); }

    // The calls recorded since the last call of neue(): program name, then
    // the arguments.
    QList<QStringList> neue() {
        QList<QStringList> r;
        for (const QString& name : dateien()) {
            if (m_gelesen.contains(name)) continue;
            m_gelesen.insert(name);
            QFile f(aufrufe() + QLatin1Char('/') + name);
            if (!f.open(QIODevice::ReadOnly)) continue;
            QList<QByteArray> teile = f.readAll().split('\0');
            if (!teile.isEmpty() && teile.last().isEmpty()) teile.removeLast();
            QStringList aufruf;
            for (const QByteArray& t : teile) aufruf << QString::fromUtf8(t);
            r << aufruf;
        }
        return r;
    }

private:
    QStringList dateien() const {
        return QDir(aufrufe()).entryList({QStringLiteral("*.aufruf")}, QDir::Files, QDir::Name);
    }

    QTemporaryDir m_dir;
    bool m_hatPfad;
    QByteArray m_alterPfad;
    QSet<QString> m_gelesen;
};

}  // namespace feindlich
