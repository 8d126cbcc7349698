#include "widgets/monthcalendar.h"

#include <QLocale>
#include <QTextCharFormat>

#include "widgets/common.h"

namespace widgets {

MonthCalendar::MonthCalendar(QWidget* parent) : QCalendarWidget(parent) {
    setLocale(QLocale(QLocale::German, QLocale::Germany));
    setFirstDayOfWeek(Qt::Monday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    setGridVisible(false);
    connect(this, &QCalendarWidget::currentPageChanged, this, [this] {
        try {
            refreshBoldDays();
        } catch (...) {
            // Inside the calendar's own navigation: reported from a queued call.
            raiseLater(std::current_exception());
        }
    });
}

void MonthCalendar::setBoldDaysHandler(std::function<QSet<int>(int year, int month)> handler) {
    boldDays = std::move(handler);
    refreshBoldDays();
}

void MonthCalendar::refreshBoldDays() {
    for (const QDate& d : std::as_const(m_bold)) setDateTextFormat(d, QTextCharFormat());
    m_bold.clear();
    if (!boldDays) {
        update();
        return;
    }
    const QDate shown(yearShown(), monthShown(), 1);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (int offset = -1; offset <= 1; ++offset) {
        const QDate first = shown.addMonths(offset);
        const QSet<int> days = boldDays(first.year(), first.month());
        for (int day : days) {
            const QDate d(first.year(), first.month(), day);
            if (!d.isValid()) continue;
            m_bold.insert(d);
            setDateTextFormat(d, bold);
        }
    }
    update();
}

}  // namespace widgets
