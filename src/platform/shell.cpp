#include "shell.h"

#include "dialogs.h"
#include "paths.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

namespace platform {

namespace {
Shell* g_installed = nullptr;
}

Shell& shell() {
    static DesktopShell real;
    return g_installed ? *g_installed : real;
}

Shell* setShell(Shell* s) {
    Shell* previous = g_installed;
    g_installed = s;
    return previous;
}

QString resolveFile(const QString& path) {
    if (path.isEmpty()) return QString();
    QFileInfo given(path);
    if (given.exists()) return given.absoluteFilePath();
    QFileInfo mapped(mapPath(path));
    if (mapped.exists()) return mapped.absoluteFilePath();
    return QString();
}

ShellCommand openFileCommand(const QString& file) {
    return {QStringLiteral("xdg-open"), {file}};
}

ShellCommand printFileCommand(const QString& file) {
    return {QStringLiteral("lp"), {QStringLiteral("--"), file}};
}

ShellCommand openUrlCommand(const QString& url) {
    QUrl u(url, QUrl::TolerantMode);
    if (u.scheme().isEmpty()) u = QUrl::fromUserInput(url);
    // A scheme starts with a letter, so the argument never looks like an option.
    if (!u.isValid() || u.scheme().isEmpty()) return {};
    return {QStringLiteral("xdg-open"), {QString::fromLatin1(u.toEncoded())}};
}

QString mailtoAddress(const QString& address) {
    return QString::fromLatin1(QUrl::toPercentEncoding(address.trimmed(), "@.-_+!$'*=~"));
}

QString mailtoUrl(const QString& address) { return QStringLiteral("mailto:") + mailtoAddress(address); }

bool printSystemCanPrint(const QString& file) {
    static const QStringList druckbar{
        QStringLiteral("application/pdf"), QStringLiteral("application/postscript"), QStringLiteral("text/plain"),
        QStringLiteral("image/png"),       QStringLiteral("image/jpeg"),             QStringLiteral("image/gif"),
        QStringLiteral("image/tiff"),      QStringLiteral("image/bmp")};
    const QMimeType typ = QMimeDatabase().mimeTypeForFile(file);
    return druckbar.contains(typ.name());
}

QProcessEnvironment childEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : env.keys())
        if (name.endsWith(QLatin1String("_PASSWORD"), Qt::CaseInsensitive)) env.remove(name);
    return env;
}

bool startDetached(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.setProcessEnvironment(childEnvironment());
    return p.startDetached();
}

void reportMissingFile(const QString& path) {
    dialogs().messageBox(QStringLiteral("Die Datei %1 wurde nicht gefunden.").arg(path),
                         Icon::Warning);
}

bool DesktopShell::launch(const ShellCommand& command) {
    if (command.program.isEmpty()) return false;
    return startDetached(command.program, command.arguments);
}

bool DesktopShell::openFile(const QString& path) {
    const QString file = resolveFile(path);
    if (file.isEmpty()) {
        reportMissingFile(path);
        return false;
    }
    return launch(openFileCommand(file));
}

bool DesktopShell::printFile(const QString& path) {
    const QString file = resolveFile(path);
    if (file.isEmpty()) {
        reportMissingFile(path);
        return false;
    }
    return launch(printFileCommand(file));
}

bool DesktopShell::openUrl(const QString& url) {
    const ShellCommand c = openUrlCommand(url);
    if (c.program.isEmpty()) {
        dialogs().messageBox(QStringLiteral("Die Adresse %1 kann nicht geöffnet werden.").arg(url),
                             Icon::Warning);
        return false;
    }
    return launch(c);
}

bool RecordingShell::record(const QString& verb, const QString& path, bool isFile) {
    m_calls.append({verb, path});
    if (isFile && m_checkFiles && resolveFile(path).isEmpty()) {
        reportMissingFile(path);
        return false;
    }
    return m_result;
}

} // namespace platform
