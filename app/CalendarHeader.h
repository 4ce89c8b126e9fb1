#pragma once
// The calendar's month header the Japanese way: "2026年12月" where Qt puts
// the month first ("12月 2026").
#include <QCalendarWidget>

namespace sarvane::app {

// Puts the year before the month in the calendar's navigation bar and
// writes it with "年". A Qt whose calendar is built differently keeps its
// own header.
void ShowYearBeforeMonth(QCalendarWidget* calendar);

// The header as the user reads it, left to right ("2026年12月").
QString CalendarHeaderText(const QCalendarWidget* calendar);

}  // namespace sarvane::app
