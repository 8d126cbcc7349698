// The about window: no title-bar buttons, the scrolling line, "Schliessen"
// as default button.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "common/testregistry.h"
#include "shell/about.h"

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void layoutAndTexts() {
        Tfrm_about a;
        QCOMPARE(a.windowTitle(), QStringLiteral("Über Kynovia..."));
        QCOMPARE(a.size(), QSize(334, 264));
        const Qt::WindowFlags f = a.windowFlags();
        QVERIFY(f & Qt::CustomizeWindowHint);
        QVERIFY(!(f & Qt::WindowCloseButtonHint));
        QVERIFY(!(f & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(f & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(f & Qt::WindowContextHelpButtonHint));
        QVERIFY(!a.isModal());
        QVERIFY(a.lauftext->text().startsWith("Kynovia"));
        QVERIFY(a.lauftext->text().endsWith(
            "Die Verwaltungssoftware für Hundeschulen. Erkundigen Sie sich nach unseren Zusatzmodulen !"));
        QCOMPARE(a.lauftext->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
        QVERIFY(a.l_kontakt->text().contains("support@kynovia.de"));
        QCOMPARE(a.Button1->text(), QStringLiteral("Schliessen"));
        QVERIFY(a.Button1->isDefault());
    }

    void lineScrollsFromRightToLeft() {
        Tfrm_about a;
        a.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a));
        QCOMPARE(a.lauftext->timer()->interval(), 100);
        QVERIFY(a.lauftext->timer()->isActive());
        a.lauftext->timer()->stop();  // the steps are driven by hand
        const int start = a.lauftext->offset();
        QCOMPARE(start, a.lauftext->width());
        a.lauftext->schritt();
        QVERIFY(a.lauftext->offset() < start);
        // Gone on the left: it comes in again from the right.
        for (int i = 0; i < 2000; ++i) {
            const int before = a.lauftext->offset();
            a.lauftext->schritt();
            if (a.lauftext->offset() > before) break;
        }
        QCOMPARE(a.lauftext->offset(), a.lauftext->width());
        a.hide();
        QVERIFY(!a.lauftext->timer()->isActive());
    }

    void enterAndButtonClose() {
        Tfrm_about a;
        a.show();
        QVERIFY(QTest::qWaitForWindowExposed(&a));
        QTest::keyClick(&a, Qt::Key_Return);
        QVERIFY(!a.isVisible());
        a.show();
        QVERIFY(a.isVisible());
        QTest::mouseClick(a.Button1, Qt::LeftButton);
        QVERIFY(!a.isVisible());
    }
};

KYN_TEST(TestAbout)
#include "about_test.moc"
