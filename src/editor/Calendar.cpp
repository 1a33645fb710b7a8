// SPDX-License-Identifier: GPL-3.0-or-later
// The month calendar: laying out the days, marking today, picking a day.
#include "editor/frmMain.h"

#include "frame/Services.h"
#include "frame/controls/KeyCodes.h"
#include "frame/dates/Clock.h"
#include "frame/dates/DateText.h"

#include <algorithm>
#include <cmath>

namespace tickwell {

void frmMain::ShowCalendarMonth(std::int16_t month, std::int16_t year)
{
    if (month < 1 || month > 12)
        return;
    const std::int16_t length = monthLength(month, year);

    // The weekday of the first, through the same text-to-date service as every other date.
    const QString first
        = MonthTable[std::size_t(month)].Name + QStringLiteral(" 01, ") + QString::number(year);
    const std::optional<DateValue> firstDay = dateFromText(first.toStdString());

    for (int d = 1; d <= 31; ++d)
        lblDate(d).setVisible(false);
    if (!firstDay)
        return; // a year the date service cannot hold shows no days
    const int w1 = firstDay->weekday();

    const DateParts today = m_services.clock.now().parts();
    for (int d = 1; d <= length; ++d) {
        Label& day = lblDate(d);
        const int column = (w1 + d - 2) % 7;
        const int row = int(std::floor((w1 + d - 1) / 7.0 + 0.99));
        day.move(column * day.width(), row * day.height());
        day.setCaption(QString::number(d));
        const bool isToday = d == today.day && month == today.month && year == today.year;
        day.setBold(isToday);
        day.setBorderStyle(isToday ? Label::BorderStyle::FixedSingle : Label::BorderStyle::None);
        day.setVisible(true);
    }
    nameCalendarDays(month, year, w1);
    showFocusDay();
}

void frmMain::lblDate_Click(std::int16_t index)
{
    SelectedDay = index != SelectedDay || SelectedDay == 0 ? index : std::int16_t(0);
    // Today keeps its bold face but loses its border, so that the only
    // border shows the picked day.
    for (int d = 1; d <= 31; ++d)
        lblDate(d).setBorderStyle(Label::BorderStyle::None);
    if (SelectedDay != 0)
        lblDate(SelectedDay).setBorderStyle(Label::BorderStyle::FixedSingle);
    else
        lblAlarmTimeDate.setCaption(noAlarmCaption());
    UpdateNewAlarmCaption();
}

void frmMain::cboMonth_Click()
{
    ShowCalendarMonth(chosenMonth(), chosenYear());
    UpdateNewAlarmCaption();
}

void frmMain::updYear_Change()
{
    // The caption has already followed through txtYear's change.
    ShowCalendarMonth(chosenMonth(), chosenYear());
}

void frmMain::txtYear_Change()
{
    UpdateNewAlarmCaption();
}

// What a screen reader says of the calendar: the month shown, and each day
// by its full date.
void frmMain::nameCalendarDays(std::int16_t month, std::int16_t year, int firstWeekday)
{
    const QString monthText = MonthTable[std::size_t(month)].Name;
    picCalendar.setAccessibleName(monthText + QLatin1Char(' ') + QString::number(year));
    for (int d = 1; d <= monthLength(month, year); ++d) {
        const std::string_view weekday = weekdayName((firstWeekday + d - 2) % 7 + 1);
        lblDate(d).setAccessibleName(
            QStringLiteral("%1, %2 %3, %4")
                .arg(QString::fromLatin1(weekday.data(), qsizetype(weekday.size())), monthText)
                .arg(d)
                .arg(year));
    }
}

// The picked day is the selected one for assistive technology, also in
// another month than the one it was picked in: the alarm keeps the day.
void frmMain::markPickedDay()
{
    for (int d = 1; d <= 31; ++d)
        lblDate(d).setSelected(d == SelectedDay);
}

void frmMain::picCalendar_GotFocus()
{
    // Coming to the calendar, the keyboard starts from the picked day.
    if (SelectedDay != 0)
        m_focusDay = SelectedDay;
    showFocusDay();
}

void frmMain::picCalendar_LostFocus()
{
    showFocusDay();
}

void frmMain::picCalendar_KeyDown(int& keyCode, int)
{
    switch (keyCode) {
    case KeyCode::Left:
        moveFocusDay(-1);
        break;
    case KeyCode::Right:
        moveFocusDay(1);
        break;
    case KeyCode::Up:
        moveFocusDay(-7);
        break;
    case KeyCode::Down:
        moveFocusDay(7);
        break;
    case KeyCode::Space:
    case KeyCode::Return:
        if (m_focusDay >= 1)
            lblDate_Click(std::int16_t(m_focusDay));
        break;
    default:
        return;
    }
    keyCode = 0;
}

// A day, or a week, from the focus day; past the shown month's end the
// month list switches (and the year, between December and January), as if
// the user had chosen the month there. The year's bounds stop it.
void frmMain::moveFocusDay(int days)
{
    std::int16_t month = chosenMonth();
    std::int16_t year = chosenYear();
    if (month == 0)
        return;
    int day = m_focusDay + days;
    if (day < 1) {
        if (--month == 0) {
            month = 12;
            --year;
        }
        day += monthLength(month, year);
    } else if (const std::int16_t length = monthLength(month, year); day > length) {
        day -= length;
        if (++month == 13) {
            month = 1;
            ++year;
        }
    }
    if (year < updYear.minimum() || year > updYear.maximum())
        return;
    m_focusDay = day;
    if (month != chosenMonth())
        cboMonth.setListIndex(month - 1);
    if (year != chosenYear())
        updYear.setValue(year);
    showFocusDay();
}

// The focus mark, on the focus day while the calendar has the focus.
void frmMain::showFocusDay()
{
    if (const std::int16_t month = chosenMonth(); month != 0)
        m_focusDay = std::clamp(m_focusDay, 1, int(monthLength(month, chosenYear())));
    const bool focused = picCalendar.hasFocus();
    for (int d = 1; d <= 31; ++d)
        lblDate(d).setFocusMark(focused && d == m_focusDay);
}

} // namespace tickwell
