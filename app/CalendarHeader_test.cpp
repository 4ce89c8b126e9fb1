#include "app/CalendarHeader.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

namespace sarvane::app {
namespace {

TEST(CalendarHeader, YearComesFirstWithItsSign) {
  QCalendarWidget calendar;
  calendar.setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  calendar.setSelectedDate(QDate(2026, 12, 10));
  calendar.resize(341, 167);
  ShowYearBeforeMonth(&calendar);
  calendar.show();
  QApplication::processEvents();
  EXPECT_EQ(CalendarHeaderText(&calendar).toStdString(), "2026年12月");
  // Paging on keeps the order and the sign.
  calendar.showNextMonth();
  QApplication::processEvents();
  EXPECT_EQ(CalendarHeaderText(&calendar).toStdString(), "2027年1月");
  calendar.setCurrentPage(2031, 8);
  QApplication::processEvents();
  EXPECT_EQ(CalendarHeaderText(&calendar).toStdString(), "2031年8月");
}

}  // namespace
}  // namespace sarvane::app
