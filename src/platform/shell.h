#pragma once
// What the desktop does with files and addresses: open a document with its
// default program, print it, open a "mailto:" or web address.
//
// Every call goes through platform::shell(), so that tests can put a
// RecordingShell in its place. The real DesktopShell starts one program with
// its arguments as a list (xdg-open, lp); no text ever passes through a
// command interpreter.
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace platform {

class Shell {
public:
    virtual ~Shell() = default;
    // The file type's default action (normally: open it). False when the
    // file is missing or nothing could be started.
    virtual bool openFile(const QString& path) = 0;
    // Print the file on the default printer.
    virtual bool printFile(const QString& path) = 0;
    // "mailto:hans@example.de", "https://...".
    virtual bool openUrl(const QString& url) = 0;
};

Shell& shell();
// Installs s (nullptr: the real shell again); returns the one installed before.
Shell* setShell(Shell* s);

class ShellGuard {
public:
    explicit ShellGuard(Shell* s) : m_previous(setShell(s)) {}
    ~ShellGuard() { setShell(m_previous); }
    ShellGuard(const ShellGuard&) = delete;
    ShellGuard& operator=(const ShellGuard&) = delete;

private:
    Shell* m_previous;
};

// One program with its arguments.
struct ShellCommand {
    QString program;
    QStringList arguments;
    bool operator==(const ShellCommand&) const = default;
};

// The file a document path stands for: the path as given when it exists,
// else the mapped one (a stored "c:\kynovia\..." path); the result is
// absolute, so it never starts with "-". Empty when neither exists.
QString resolveFile(const QString& path);

// The commands for an existing absolute file (see resolveFile).
ShellCommand openFileCommand(const QString& file);   // xdg-open <file>
ShellCommand printFileCommand(const QString& file);  // lp -- <file>
// xdg-open <encoded url>; an address without a scheme gets one as a browser
// would ("www.example.de" -> "http://www.example.de"). Empty program when the
// text is no usable address.
ShellCommand openUrlCommand(const QString& url);

// One e-mail address as it goes into a "mailto:" address: blanks around it
// dropped, and every character with a meaning there ("?", "&", ",", "%",
// "#", blanks, ...) percent-encoded, so that an address (typed or imported)
// never adds headers, recipients or attachments.
QString mailtoAddress(const QString& address);
// "mailto:" + mailtoAddress(address).
QString mailtoUrl(const QString& address);

// Whether the print system prints the existing file `file` as it is: PDF,
// PostScript, plain text and pictures (PNG, JPEG, GIF, TIFF, BMP), told by
// its content and name. Anything else (a letter of a word processor, a
// spreadsheet, a web page, a script) would come out as raw bytes or not at
// all; such a file is printed from the program it belongs to.
bool printSystemCanPrint(const QString& file);

// The environment for a program this program starts (viewer, printer, mail
// program, gbak, the program itself again): this process's environment
// without any variable whose name ends in "_PASSWORD" (KYNOVIA_PASSWORD,
// ISC_PASSWORD, ...), so a password given for the database server does not
// travel on to programs that have no business with it.
QProcessEnvironment childEnvironment();
// Starts `program` detached with childEnvironment(); true when it started.
bool startDetached(const QString& program, const QStringList& arguments);

// "Die Datei <path> wurde nicht gefunden." as a warning box.
void reportMissingFile(const QString& path);

class DesktopShell : public Shell {
public:
    bool openFile(const QString& path) override;
    bool printFile(const QString& path) override;
    bool openUrl(const QString& url) override;

protected:
    // Starts the program detached; true when it started.
    virtual bool launch(const ShellCommand& command);
};

// Test double: records every call as (verb, path) and starts nothing.
// Verbs: "open", "print", "url".
struct ShellCall {
    QString verb;
    QString path;
    bool operator==(const ShellCall&) const = default;
};

class RecordingShell : public Shell {
public:
    bool openFile(const QString& path) override { return record(QStringLiteral("open"), path, true); }
    bool printFile(const QString& path) override { return record(QStringLiteral("print"), path, true); }
    bool openUrl(const QString& url) override { return record(QStringLiteral("url"), url, false); }

    const QList<ShellCall>& calls() const { return m_calls; }
    QString lastVerb() const { return m_calls.isEmpty() ? QString() : m_calls.last().verb; }
    QString lastPath() const { return m_calls.isEmpty() ? QString() : m_calls.last().path; }
    void clear() { m_calls.clear(); }

    // What the calls return (default true).
    void setResult(bool ok) { m_result = ok; }
    // Like the real shell, report a missing file through the dialogs and
    // return false (the call is still recorded). Off by default.
    void setCheckFiles(bool on) { m_checkFiles = on; }

private:
    bool record(const QString& verb, const QString& path, bool isFile);

    QList<ShellCall> m_calls;
    bool m_result = true;
    bool m_checkFiles = false;
};

// A RecordingShell that installs itself for its lifetime.
class ScopedRecordingShell : public RecordingShell {
public:
    ScopedRecordingShell() : m_guard(this) {}

private:
    ShellGuard m_guard;
};

} // namespace platform
