// The month calendar: laying out the days, marking today, picking a day.
#include "editor/frmMain.h"

#include "frame/Services.h"
#include "frame/dates/Clock.h"
#include "frame/dates/DateText.h"

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

} // namespace tickwell
