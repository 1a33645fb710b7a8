// SPDX-License-Identifier: GPL-3.0-or-later
// The month table and the editor's state of the alarm being composed.
#include "editor/frmMain.h"

#include "frame/dates/DateText.h"

namespace tickwell {

void frmMain::InitMonthTable()
{
    SelectedDay = 0;
    NewAlarmDate = DateValue::noDate();
    static constexpr std::int16_t commonYearDays[] { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    for (int month = 1; month <= 12; ++month)
        MonthTable[std::size_t(month)] = { QString::fromLatin1(monthName(month)), commonYearDays[month - 1] };
}

void frmMain::FillMonthList()
{
    for (int month = 1; month <= 12; ++month)
        cboMonth.addItem(QString::fromLatin1(monthName(month)));
}

std::int16_t frmMain::chosenMonth() const
{
    const int index = cboMonth.listIndex();
    return index >= 0 && index < 12 ? std::int16_t(index + 1) : 0;
}

std::int16_t frmMain::chosenYear() const
{
    return roundToInt16(numberValue(txtYear.text().toStdString())).value_or(0);
}

std::int16_t frmMain::monthLength(std::int16_t month, std::int16_t year) const
{
    const std::int16_t days = MonthTable[std::size_t(month)].Days;
    return month == 2 && IsLeapYear(year) ? std::int16_t(days + 1) : days;
}

} // namespace tickwell
