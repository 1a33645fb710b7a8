// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm being composed: NewAlarmDate and the caption that shows it.
#include "editor/frmMain.h"

#include "frame/dates/DateText.h"

namespace tickwell {

QString frmMain::noAlarmCaption()
{
    return QStringLiteral("< No Selected Time/Date >");
}

std::optional<DateValue> frmMain::composeNewAlarm()
{
    // With no day picked the fields are not read, so nothing in them matters.
    const std::int16_t month = chosenMonth();
    if (SelectedDay == 0 || month == 0)
        return std::nullopt;
    const std::int16_t length = monthLength(month, chosenYear());
    if (SelectedDay > length)
        SelectedDay = length;

    // e.g. "March 8, 2002 9:05:00PM". The fields can hold no valid time for
    // a moment (an empty or out-of-range hour or minute, AM/PM not yet set);
    // the editor then has no alarm to offer rather than a wrong one.
    const QString composed = MonthTable[std::size_t(month)].Name + QLatin1Char(' ')
        + QString::number(SelectedDay) + QStringLiteral(", ") + txtYear.text() + QLatin1Char(' ')
        + txtHour.text() + QLatin1Char(':') + txtMin.text() + QStringLiteral(":00") + lblAMPM.caption();
    return dateFromText(composed.toStdString());
}

void frmMain::UpdateNewAlarmCaption()
{
    const std::optional<DateValue> when = composeNewAlarm();
    markPickedDay();
    NewAlarmDate = when.value_or(DateValue::noDate());
    lblAlarmTimeDate.setCaption(when
            ? QStringLiteral("New Alarm : ") + QString::fromStdString(formatEntryPattern(*when))
            : noAlarmCaption());
}

} // namespace tickwell
