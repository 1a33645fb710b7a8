// The alarm being composed: NewAlarmDate and the caption that shows it.
#include "editor/frmMain.h"

#include "frame/DateText.h"

namespace tickwell {

void frmMain::UpdateNewAlarmCaption()
{
    const QString noAlarm = QStringLiteral("< No Selected Time/Date >");
    if (SelectedDay == 0) {
        NewAlarmDate = DateValue::noDate();
        lblAlarmTimeDate.setCaption(noAlarm);
        return;
    }

    const std::int16_t month = chosenMonth();
    if (month == 0) {
        NewAlarmDate = DateValue::noDate();
        lblAlarmTimeDate.setCaption(noAlarm);
        return;
    }
    const std::int16_t length = monthLength(month, chosenYear());
    if (SelectedDay > length)
        SelectedDay = length;

    // e.g. "March 8, 2002 9:05:00PM"
    const QString composed = MonthTable[std::size_t(month)].Name + QLatin1Char(' ')
        + QString::number(SelectedDay) + QStringLiteral(", ") + txtYear.text() + QLatin1Char(' ')
        + txtHour.text() + QLatin1Char(':') + txtMin.text() + QStringLiteral(":00") + lblAMPM.caption();

    // The fields can hold no valid time for a moment (an empty or
    // out-of-range hour or minute, AM/PM not yet set); the editor then has
    // no alarm to offer rather than a wrong one.
    const std::optional<DateValue> when = dateFromText(composed.toStdString());
    if (!when) {
        NewAlarmDate = DateValue::noDate();
        lblAlarmTimeDate.setCaption(noAlarm);
        return;
    }
    NewAlarmDate = *when;
    lblAlarmTimeDate.setCaption(
        QStringLiteral("New Alarm : ") + QString::fromStdString(formatEntryPattern(*when)));
}

} // namespace tickwell
