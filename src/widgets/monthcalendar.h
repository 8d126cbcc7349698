#pragma once
// A month calendar that asks its owner which days to show bold.
//
// Whenever the shown month changes (and on refreshBoldDays), `boldDays` is
// called for every month the calendar shows days of (the month itself and the
// neighbouring months whose first or last days fill the grid) and the
// returned days of each are drawn bold. German day and month names whatever
// the system's locale; weeks start on Monday.
#include <QCalendarWidget>
#include <QSet>
#include <functional>

namespace widgets {

class MonthCalendar : public QCalendarWidget {
    Q_OBJECT
public:
    explicit MonthCalendar(QWidget* parent = nullptr);

    // Days (1..31) of the month to show bold.
    std::function<QSet<int>(int year, int month)> boldDays;
    // Sets the callback and asks it at once.
    void setBoldDaysHandler(std::function<QSet<int>(int year, int month)> handler);

    // Asks for the bold days of the shown months again. Errors of the
    // callback propagate.
    void refreshBoldDays();
    bool isBold(const QDate& d) const { return m_bold.contains(d); }
    QSet<QDate> boldDates() const { return m_bold; }

private:
    QSet<QDate> m_bold;
};

}  // namespace widgets
