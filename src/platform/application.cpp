#include "application.h"

#include "db/error.h"
#include "dialogs.h"

#include <QDir>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTranslator>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    initGerman();
}

namespace {
int signalPipe[2] = {-1, -1};

void terminationSignal(int sig) {
    // Only what is safe in a signal handler: hand the signal to the event loop.
    const char c = char(sig);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}
}  // namespace

void onTerminationSignals(std::function<void()> beenden) {
    static std::function<void()> aktion;
    aktion = std::move(beenden);
    if (signalPipe[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
        QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
            char c;
            if (::read(signalPipe[0], &c, 1) != 1 || !aktion) return;
            try {
                aktion();
            } catch (...) {
                handleCurrentException();
            }
        });
    }
    struct sigaction sa {};
    sa.sa_handler = terminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(sig, &sa, nullptr);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (event) event->ignore();
        handleCurrentException();
        return false;
    }
}

namespace {

QString rawText(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const db::Error& x) {
        return x.message();
    } catch (const db::ConvertError& x) {
        return x.message();
    } catch (const std::exception& x) {
        return QString::fromUtf8(x.what());
    } catch (...) {
        return QString();
    }
}

bool isAbort(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const db::Abort&) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

QString exceptionText(std::exception_ptr e) {
    if (!e || isAbort(e)) return QString();
    const QString text = rawText(e);
    // An empty box would tell the user nothing.
    return text.trimmed().isEmpty() ? QStringLiteral("Ein unbekannter Fehler ist aufgetreten.")
                                    : text;
}

void showException(std::exception_ptr e) {
    const QString text = exceptionText(e);
    if (text.isEmpty()) return;
    try {
        dialogs().errorBox(text);
    } catch (...) {
        // The box itself failed: nothing is left to show it with.
        qWarning("platform: error box could not be shown: %s", qPrintable(text));
    }
}

void handleCurrentException() {
    showException(std::current_exception());
}

bool initGerman() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (!QCoreApplication::instance()) return false;
    static QTranslator* translator = nullptr;
    if (translator) return true;
    auto* t = new QTranslator(QCoreApplication::instance());
    const QStringList dirs{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                           QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& dir : dirs) {
        if (t->load(QStringLiteral("qtbase_de"), dir)) {
            QCoreApplication::installTranslator(t);
            translator = t;
            QObject::connect(t, &QObject::destroyed, [] { translator = nullptr; });
            return true;
        }
    }
    delete t;
    return false;
}

} // namespace platform
