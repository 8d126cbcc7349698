// Runs every registered test class. "tests_x Class1 Class2" runs only those;
// further arguments after "--" go to Qt Test.
#include <QApplication>
#include <QTest>
#include <cstdio>

#include "platform/application.h"
#include "platform/dialogs.h"
#include "widgets/common.h"
#include "testregistry.h"

namespace kyntest {
std::vector<Entry>& registry() {
    static std::vector<Entry> r;
    return r;
}
std::vector<Child>& children() {
    static std::vector<Child> c;
    return c;
}
}  // namespace kyntest

int main(int argc, char** argv) {
    // The program's application object: exceptions leaving an event handler
    // reach the standard error box (and a test's scripted dialogs); German locale.
    platform::Application app(argc, argv);
    // As in the program: the delete question goes through the dialogs seam,
    // which a test answers with its scripted dialogs.
    widgets::setConfirmHandler([](const QString& text) {
        return platform::dialogs().confirm(text) == platform::Answer::Ja;
    });
    // Started as a child process of a test: run that child only.
    const QByteArray child = qgetenv("KYN_CHILD");
    if (!child.isEmpty()) {
        for (auto& c : kyntest::children())
            if (child == c.name) return c.run();
        std::fprintf(stderr, "unknown child %s\n", child.constData());
        return 99;
    }
    QStringList only;
    QStringList qtArgs{QString::fromLocal8Bit(argv[0])};
    bool rest = false;
    for (int i = 1; i < argc; ++i) {
        QString a = QString::fromLocal8Bit(argv[i]);
        if (rest) qtArgs << a;
        else if (a == "--") rest = true;
        else only << a;
    }
    int failedClasses = 0, passedClasses = 0;
    for (auto& e : kyntest::registry()) {
        if (!only.isEmpty() && !only.contains(QString::fromLatin1(e.name))) continue;
        QObject* o = e.make();
        int rc = QTest::qExec(o, qtArgs);
        delete o;
        if (rc != 0) ++failedClasses;
        else ++passedClasses;
    }
    std::printf("%d passed, %d failed\n", passedClasses, failedClasses);
    return failedClasses == 0 ? 0 : 1;
}
