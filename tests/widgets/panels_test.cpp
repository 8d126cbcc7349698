// Caption panel, roll-out panel and month calendar.
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTextCharFormat>
#include <QToolButton>

#include "testregistry.h"
#include "widgets/captionpanel.h"
#include "widgets/monthcalendar.h"
#include "widgets/rolloutpanel.h"

using namespace widgets;

class PanelsTest : public QObject {
    Q_OBJECT
private slots:
    // One height per state; a height given in a state belongs to that state;
    // the handlers run after the new height is in place.
    void rolloutHeightsPerState() {
        RolloutPanel r("Verhalten des Hundes");
        r.setContentWidget(new QLabel("Inhalt"));
        r.setExpandedHeight(159);
        r.setCollapsed(true);
        QCOMPARE(r.height(), 21);
        QCOMPARE(r.collapsedHeight(), 21);
        QVERIFY(!r.contentArea()->isVisibleTo(&r));
        QList<int> heightsSeen;
        QSignalSpy expanded(&r, &RolloutPanel::expanded);
        QSignalSpy collapsed(&r, &RolloutPanel::collapsed);
        QSignalSpy toggled(&r, &RolloutPanel::toggled);
        connect(&r, &RolloutPanel::expanded, this, [&] { heightsSeen << r.height(); });
        connect(&r, &RolloutPanel::collapsed, this, [&] { heightsSeen << r.height(); });
        r.show();
        QTest::mouseClick(r.header(), Qt::LeftButton);
        QVERIFY(r.isExpanded());
        QCOMPARE(r.height(), 159);
        QVERIFY(r.contentArea()->isVisible());
        QCOMPARE(expanded.count(), 1);
        QCOMPARE(toggled.last().first().toBool(), true);
        // Grows while open: the open height changes, the closed stays.
        r.setPanelHeight(r.panelHeight() + 108);
        QCOMPARE(r.height(), 267);
        QCOMPARE(r.expandedHeight(), 267);
        QCOMPARE(r.collapsedHeight(), 21);
        QTest::mouseClick(r.header(), Qt::LeftButton);
        QVERIFY(r.isCollapsed());
        QCOMPARE(r.height(), 21);
        QCOMPARE(collapsed.count(), 1);
        QCOMPARE(toggled.last().first().toBool(), false);
        r.setPanelHeight(30);
        QCOMPARE(r.collapsedHeight(), 30);
        QCOMPARE(r.expandedHeight(), 267);
        r.expand();
        QCOMPARE(r.height(), 267);
        QCOMPARE(heightsSeen, (QList<int>{159, 21, 267}));
        // No change, no signal.
        r.setCollapsed(false);
        QCOMPARE(expanded.count(), 2);
    }

    void captionPanel() {
        CaptionPanel p("Navigator");
        p.setButtons(CaptionPanel::MaximizeButton | CaptionPanel::MinimizeButton);
        auto* content = new QLabel("Baum");
        p.setContentWidget(content);
        p.resize(185, 300);
        p.show();
        QVERIFY(!p.button(CaptionPanel::CloseButton)->isVisible());
        QVERIFY(p.button(CaptionPanel::MaximizeButton)->isVisible());
        QSignalSpy maxi(&p, &CaptionPanel::maximizeClicked);
        QSignalSpy mini(&p, &CaptionPanel::minimizeClicked);
        QTest::mouseClick(p.button(CaptionPanel::MaximizeButton), Qt::LeftButton);
        QTest::mouseClick(p.button(CaptionPanel::MinimizeButton), Qt::LeftButton);
        QCOMPARE(maxi.count(), 1);
        QCOMPARE(mini.count(), 1);
        // The bar runs along the left edge; the content sits right of it.
        QWidget* bar = p.captionBar();
        QVERIFY(bar->geometry().left() <= 2);
        QVERIFY(bar->height() > 250);
        QCOMPARE(bar->width(), p.captionSize());
        QVERIFY(content->mapTo(&p, QPoint(0, 0)).x() >= bar->geometry().right());
        // Mouse moves over the bar reach the owner in panel coordinates.
        QSignalSpy moved(&p, &CaptionPanel::mouseMoved);
        QTest::mouseMove(bar, QPoint(5, 150));
        QTRY_VERIFY(moved.count() >= 1);
        const QPoint pos = moved.last().first().toPoint();
        QCOMPARE(pos, bar->mapTo(&p, QPoint(5, 150)));
        QVERIFY(pos.x() < 15);
    }

    // The calendar asks for the bold days of the months it shows, whenever the
    // shown month changes, and shows them bold.
    void calendarAsksForBoldDays() {
        MonthCalendar c;
        QList<QPair<int, int>> asked;
        c.setCurrentPage(2005, 12);
        c.setBoldDaysHandler([&](int year, int month) {
            asked << qMakePair(year, month);
            if (year == 2005 && month == 12) return QSet<int>{5, 12, 19};
            if (year == 2006 && month == 1) return QSet<int>{2};
            return QSet<int>{};
        });
        QVERIFY(asked.contains(qMakePair(2005, 12)));
        QVERIFY(c.isBold(QDate(2005, 12, 5)));
        QVERIFY(c.isBold(QDate(2005, 12, 19)));
        QVERIFY(!c.isBold(QDate(2005, 12, 6)));
        QVERIFY(c.isBold(QDate(2006, 1, 2)));
        QCOMPARE(c.dateTextFormat(QDate(2005, 12, 12)).fontWeight(), int(QFont::Bold));
        asked.clear();
        c.showNextMonth();
        QVERIFY(asked.contains(qMakePair(2006, 1)));
        QVERIFY(asked.contains(qMakePair(2006, 2)));
        QVERIFY(c.isBold(QDate(2006, 1, 2)));
        QVERIFY(c.isBold(QDate(2005, 12, 19)));
        c.setCurrentPage(2007, 6);
        QVERIFY(asked.contains(qMakePair(2007, 6)));
        QVERIFY(c.boldDates().isEmpty());
        QVERIFY(c.dateTextFormat(QDate(2005, 12, 12)).fontWeight() != int(QFont::Bold));
        // Asked again on request, e.g. after new dates were written.
        asked.clear();
        c.refreshBoldDays();
        QCOMPARE(asked.size(), 3);
    }

    void calendarGerman() {
        MonthCalendar c;
        QCOMPARE(c.firstDayOfWeek(), Qt::Monday);
        QCOMPARE(c.locale().language(), QLocale::German);
        QCOMPARE(c.locale().standaloneMonthName(3), QString::fromUtf8("März"));
        QCOMPARE(c.locale().dayName(1, QLocale::LongFormat), QString("Montag"));
    }
};

KYN_TEST(PanelsTest)
#include "panels_test.moc"
