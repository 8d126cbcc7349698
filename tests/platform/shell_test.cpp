// Shell actions: the recording double, and the commands the real shell
// starts, which must carry any path as one argument.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "common/testregistry.h"
#include "envoverride.h"
#include "platform/helpviewer.h"
#include "platform/scripteddialogs.h"
#include "platform/shell.h"

namespace {

// The real shell with the launch recorded instead of performed.
class NoLaunchShell : public platform::DesktopShell {
public:
    QList<platform::ShellCommand> launched;

protected:
    bool launch(const platform::ShellCommand& c) override {
        launched << c;
        return true;
    }
};

void touch(const QString& path) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
}

// Restores the working directory.
struct CurrentDir {
    QString old = QDir::currentPath();
    explicit CurrentDir(const QString& dir) { QDir::setCurrent(dir); }
    ~CurrentDir() { QDir::setCurrent(old); }
};

} // namespace

class TestShell : public QObject {
    Q_OBJECT

private slots:
    void recordingShell() {
        platform::ScopedRecordingShell s;
        QCOMPARE(&platform::shell(), static_cast<platform::Shell*>(&s));
        QVERIFY(platform::shell().openFile("/daten/Brief.doc"));
        QVERIFY(platform::shell().printFile("/daten/Vertrag.pdf"));
        QVERIFY(platform::shell().openUrl("mailto:anna@example.de"));
        s.setResult(false);
        QVERIFY(!platform::shell().openFile(""));
        const QList<platform::ShellCall> expected{{"open", "/daten/Brief.doc"},
                                                  {"print", "/daten/Vertrag.pdf"},
                                                  {"url", "mailto:anna@example.de"},
                                                  {"open", ""}};
        QCOMPARE(s.calls(), expected);
        QCOMPARE(s.lastVerb(), QStringLiteral("open"));
    }

    void recordingShellChecksFilesOnRequest() {
        platform::ScopedScriptedDialogs d;
        platform::ScopedRecordingShell s;
        s.setCheckFiles(true);
        d.expectMessage("Die Datei /gibt/es/nicht.doc wurde nicht gefunden.");
        QVERIFY(!platform::shell().printFile("/gibt/es/nicht.doc"));
        QCOMPARE(s.calls().size(), 1);
        KYN_VERIFY_DIALOGS(d);
    }

    void shellGuardRestores() {
        platform::Shell* real = &platform::shell();
        {
            platform::ScopedRecordingShell s;
            QVERIFY(&platform::shell() != real);
        }
        QCOMPARE(&platform::shell(), real);
        QVERIFY(dynamic_cast<platform::DesktopShell*>(real));
    }

    void hostilePaths_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << "Brief an Kunden.doc";
        QTest::newRow("semicolon") << "a;rm -rf ~;.doc";
        QTest::newRow("command substitution") << "$(touch PWNED).doc";
        QTest::newRow("backticks") << "`touch PWNED`.doc";
        QTest::newRow("newline") << "Zeile1\nZeile2.doc";
        QTest::newRow("quotes and ampersand") << "\"x\" & 'y' | z.doc";
        QTest::newRow("leading dash") << "-rf.doc";
        QTest::newRow("double dash") << "--help";
        QTest::newRow("umlauts") << "Anmeldung Müller.doc";
    }
    void hostilePaths() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        touch(dir.filePath(name));
        const QString abs = QFileInfo(dir.filePath(name)).absoluteFilePath();

        // Given relative to the working directory, the file still becomes an
        // absolute path, so a leading "-" cannot look like an option.
        CurrentDir cd(dir.path());
        const QString file = platform::resolveFile(name);
        QCOMPARE(file, abs);
        QVERIFY(!file.startsWith('-'));

        const platform::ShellCommand open = platform::openFileCommand(file);
        QCOMPARE(open.program, QStringLiteral("xdg-open"));
        QCOMPARE(open.arguments, QStringList{abs});
        const platform::ShellCommand print = platform::printFileCommand(file);
        QCOMPARE(print.program, QStringLiteral("lp"));
        QCOMPARE(print.arguments, QStringList({"--", abs}));

        NoLaunchShell shell;
        platform::ScopedScriptedDialogs d;
        QVERIFY(shell.openFile(name));
        QVERIFY(shell.printFile(dir.filePath(name)));
        QCOMPARE(shell.launched, QList<platform::ShellCommand>({open, print}));
        KYN_VERIFY_DIALOGS(d);
        QVERIFY(!QFile::exists(dir.filePath("PWNED")));
    }

    void missingFile() {
        NoLaunchShell shell;
        platform::ScopedScriptedDialogs d;
        d.expectMessage("Die Datei /nirgends/Brief.doc wurde nicht gefunden.")
            .expectMessage("Die Datei  wurde nicht gefunden.");
        QVERIFY(!shell.openFile("/nirgends/Brief.doc"));
        QVERIFY(!shell.printFile(""));
        QVERIFY(shell.launched.isEmpty());
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.shown().first().icon, platform::Icon::Warning);
    }

    // A stored Windows path below the install directory finds its file.
    void mappedDocumentPath() {
        QTemporaryDir home;
        EnvOverride env("KYNOVIA_HOME", home.path().toLocal8Bit());
        QDir(home.path()).mkpath("dokumente");
        touch(home.filePath("dokumente/Vertrag.doc"));
        NoLaunchShell shell;
        QVERIFY(shell.openFile("C:\\Kynovia\\dokumente\\Vertrag.doc"));
        QCOMPARE(shell.launched.first().arguments, QStringList{home.filePath("dokumente/Vertrag.doc")});
    }

    void urls_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QStringList>("arguments");  // empty: refused
        QTest::newRow("mail") << "mailto:anna@example.de" << QStringList{"mailto:anna@example.de"};
        QTest::newRow("empty address") << "mailto:" << QStringList{"mailto:"};
        QTest::newRow("blank in address") << "mailto:anna schmidt@example.de"
                                          << QStringList{"mailto:anna%20schmidt@example.de"};
        QTest::newRow("shell characters") << "mailto:a;$(id)`x`@b.de"
                                          << QStringList{"mailto:a;$(id)%60x%60@b.de"};
        QTest::newRow("web") << "https://www.example.de/kurse?x=1" << QStringList{"https://www.example.de/kurse?x=1"};
        QTest::newRow("no scheme") << "www.hundeschule.de" << QStringList{"http://www.hundeschule.de"};
    }
    void urls() {
        QFETCH(QString, url);
        QFETCH(QStringList, arguments);
        const platform::ShellCommand c = platform::openUrlCommand(url);
        QCOMPARE(c.program, QStringLiteral("xdg-open"));
        QCOMPARE(c.arguments, arguments);
        QVERIFY(!c.arguments.first().startsWith('-'));
    }

    void leadingDashUrl() {
        const platform::ShellCommand c = platform::openUrlCommand("-x");
        QVERIFY(c.program.isEmpty() || !c.arguments.first().startsWith('-'));
    }
};

// What a started program gets to see: the environment without any
// *_PASSWORD variable (a password for the database server stays with the
// program), everything else as it is.
class TestChildEnvironment : public QObject {
    Q_OBJECT

private slots:
    void noPasswords() {
        EnvOverride a("KYNOVIA_PASSWORD", "geheim-1");
        EnvOverride b("ISC_PASSWORD", "geheim-2");
        EnvOverride c("SMTP_PASSWORD", "geheim-3");
        EnvOverride d("KYNOVIA_USER", "SCHULE");
        QTemporaryDir dir;
        const QString out = dir.filePath("env.txt");
        // The program started as the viewer, printer, mail program or the
        // restarted program are: detached, through platform::startDetached.
        QVERIFY(platform::startDetached("/bin/sh", {"-c", "env > \"$0.tmp\" && mv \"$0.tmp\" \"$0\"", out}));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out), 30000);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray env = f.readAll();
        QVERIFY2(!env.contains("_PASSWORD"), env.constData());
        QVERIFY(!env.contains("geheim"));
        QVERIFY2(("\n" + env).contains("\nKYNOVIA_USER=SCHULE\n"), env.constData());
        QVERIFY(!platform::childEnvironment().contains("ISC_PASSWORD"));
        QCOMPARE(platform::childEnvironment().value("PATH"), qEnvironmentVariable("PATH"));
    }
};

class TestHelpViewer : public QObject {
    Q_OBJECT

private slots:
    void seam() {
        platform::HelpViewer* none = &platform::helpViewer();
        none->showContents("x");  // the default does nothing
        none->search("x");
        {
            platform::ScopedRecordingHelpViewer h;
            platform::helpViewer().showContents("C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP");
            platform::helpViewer().search("C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP");
            const QList<platform::HelpCall> expected{
                {"contents", "C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP", ""},
                {"search", "C:\\kynovia\\help\\KYNOVIAASSISTENT.HLP", ""}};
            QCOMPARE(h.calls(), expected);
        }
        QCOMPARE(&platform::helpViewer(), none);
    }
};

KYN_TEST(TestShell)
KYN_TEST(TestChildEnvironment)
KYN_TEST(TestHelpViewer)
#include "shell_test.moc"
