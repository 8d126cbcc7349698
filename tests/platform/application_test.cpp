// The application's standard error box: exceptions that leave an event
// handler are shown and the program goes on.
#include <QCloseEvent>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "common/testregistry.h"
#include "db/error.h"
#include "platform/application.h"
#include "platform/scripteddialogs.h"

namespace {

// An object whose custom events run a given function.
class Handler : public QObject {
public:
    std::function<void()> action;
    int handled = 0;

protected:
    void customEvent(QEvent*) override {
        ++handled;
        if (action) action();
    }
};

// A window whose close handler fails, like posting an invalid edit.
class FailingWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent*) override {
        throw db::Error(QStringLiteral("validation error for column NAME, value \"*** null ***\""));
    }
};

void deliver(Handler& h) {
    QCoreApplication::postEvent(&h, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&h, QEvent::User);
}

} // namespace

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void exceptionTexts_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("db::Error") << 0 << "Column unknown KUNDE.XYZ";
        QTest::newRow("db::ConvertError") << 1 << "'abc' ist kein gültiger Integerwert";
        QTest::newRow("std::exception") << 2 << "Datei rassen.txt kann nicht geöffnet werden";
        QTest::newRow("db::Abort") << 3 << "";
        QTest::newRow("something else") << 4 << "Ein unbekannter Fehler ist aufgetreten.";
        QTest::newRow("empty message") << 5 << "Ein unbekannter Fehler ist aufgetreten.";
    }
    void exceptionTexts() {
        QFETCH(int, kind);
        QFETCH(QString, expected);
        std::exception_ptr e;
        try {
            switch (kind) {
            case 0: throw db::Error("Column unknown KUNDE.XYZ", "select xyz from kunde", -206);
            case 1: throw db::ConvertError(QStringLiteral("'abc' ist kein gültiger Integerwert"));
            case 2: throw std::runtime_error("Datei rassen.txt kann nicht geöffnet werden");
            case 3: throw db::Abort();
            case 4: throw 42;
            case 5: throw std::runtime_error("");
            }
        } catch (...) {
            e = std::current_exception();
        }
        QCOMPARE(platform::exceptionText(e), expected);

        platform::ScopedScriptedDialogs d;
        if (!expected.isEmpty()) d.expectError(expected);
        platform::showException(e);
        KYN_VERIFY_DIALOGS(d);
        QCOMPARE(d.count(), expected.isEmpty() ? 0 : 1);
    }

    void handleCurrentExceptionInCatch() {
        platform::ScopedScriptedDialogs d;
        d.expectError("Lock conflict on no wait transaction");
        try {
            throw db::Error("Lock conflict on no wait transaction");
        } catch (...) {
            platform::handleCurrentException();
        }
        KYN_VERIFY_DIALOGS(d);
    }

    void applicationObject() {
        QVERIFY2(qobject_cast<platform::Application*>(QCoreApplication::instance()),
                 "the test program must run with platform::Application");
    }

    // An error in an event handler becomes the error box; the next event is
    // handled normally.
    void errorInEventHandler() {
        QVERIFY(qobject_cast<platform::Application*>(QCoreApplication::instance()));
        platform::ScopedScriptedDialogs d;
        Handler h;
        int step = 0;
        h.action = [&] {
            ++step;
            if (step == 1) throw db::Error("violation of PRIMARY or UNIQUE KEY constraint");
            if (step == 2) throw db::ConvertError("'12:7x' ist keine gültige Uhrzeit");
            if (step == 3) throw db::Abort();
            if (step == 4) throw std::runtime_error("Datei rassen.txt kann nicht geöffnet werden");
        };
        d.expectError("violation of PRIMARY or UNIQUE KEY constraint")
            .expectError("'12:7x' ist keine gültige Uhrzeit")
            .expectError("Datei rassen.txt kann nicht geöffnet werden");
        for (int i = 0; i < 5; ++i) deliver(h);
        QCOMPARE(h.handled, 5);
        QCOMPARE(step, 5);
        KYN_VERIFY_DIALOGS(d);
    }

    // A timer whose slot throws, as when the event loop itself delivers.
    void errorInTimerSlot() {
        QVERIFY(qobject_cast<platform::Application*>(QCoreApplication::instance()));
        platform::ScopedScriptedDialogs d;
        d.expectError("Database already opened with engine instance");
        QTimer t;
        t.setSingleShot(true);
        bool after = false;
        connect(&t, &QTimer::timeout, this, [] { throw db::Error("Database already opened with engine instance"); });
        t.start(0);
        QTRY_COMPARE(d.count(), 1);
        QTimer::singleShot(0, this, [&] { after = true; });
        QTRY_VERIFY(after);
        KYN_VERIFY_DIALOGS(d);
    }

    // A close handler that fails abandons the close: the window stays.
    void failingCloseKeepsWindow() {
        QVERIFY(qobject_cast<platform::Application*>(QCoreApplication::instance()));
        platform::ScopedScriptedDialogs d;
        d.expectError("validation error for column NAME, value \"*** null ***\"");
        FailingWindow w;
        w.show();
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        KYN_VERIFY_DIALOGS(d);
    }

    void german() {
        platform::initGerman();
        QCOMPARE(QLocale().language(), QLocale::German);
        QCOMPARE(QLocale().toString(1234.5, 'f', 2), QStringLiteral("1.234,50"));
        QCOMPARE(QLocale().dayName(1), QStringLiteral("Montag"));
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm"))
            QSKIP("Qt's German translation is not installed");
        QVERIFY(platform::initGerman());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    }
};

KYN_TEST(TestApplication)
#include "application_test.moc"
