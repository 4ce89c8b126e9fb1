#include "app/CalendarHeader.h"

#include <QBoxLayout>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace sarvane::app {

namespace {
constexpr char kYearSuffix[] = "年";

QToolButton* MonthButton(const QCalendarWidget* c) { return c->findChild<QToolButton*>("qt_calendar_monthbutton"); }
QToolButton* YearButton(const QCalendarWidget* c) { return c->findChild<QToolButton*>("qt_calendar_yearbutton"); }

void LabelYear(const QCalendarWidget* calendar) {
  if (QToolButton* year = YearButton(calendar)) year->setText(QString::number(calendar->yearShown()) + kYearSuffix);
}
}  // namespace

void ShowYearBeforeMonth(QCalendarWidget* calendar) {
  auto* bar = calendar->findChild<QWidget*>("qt_calendar_navigationbar");
  QToolButton* month = MonthButton(calendar);
  QToolButton* year = YearButton(calendar);
  auto* yearEdit = calendar->findChild<QSpinBox*>("qt_calendar_yearedit");
  auto* layout = bar ? qobject_cast<QBoxLayout*>(bar->layout()) : nullptr;
  if (!layout || !month || !year || layout->indexOf(month) < 0 || layout->indexOf(year) < 0) return;
  layout->removeWidget(year);
  if (yearEdit) layout->removeWidget(yearEdit);
  const int at = layout->indexOf(month);
  layout->insertWidget(at, year);
  if (yearEdit) {
    layout->insertWidget(at, yearEdit);
    yearEdit->setSuffix(kYearSuffix);
  }
  // Qt writes the bare year whenever the page changes; the label follows.
  QObject::connect(calendar, &QCalendarWidget::currentPageChanged, year, [calendar] { LabelYear(calendar); });
  LabelYear(calendar);
}

QString CalendarHeaderText(const QCalendarWidget* calendar) {
  std::vector<const QToolButton*> parts;
  for (const QToolButton* b : {YearButton(calendar), MonthButton(calendar)}) {
    if (b && b->isVisibleTo(calendar)) parts.push_back(b);
  }
  std::sort(parts.begin(), parts.end(), [](const QToolButton* a, const QToolButton* b) { return a->x() < b->x(); });
  QString text;
  for (const QToolButton* b : parts) text += b->text();
  return text;
}

}  // namespace sarvane::app
