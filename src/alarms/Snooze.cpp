// SPDX-License-Identifier: GPL-3.0-or-later
// frmMain's side of "remind me again": the alarm the user asks for from a
// reminder's notification.
#include "editor/frmMain.h"

#include "frame/Services.h"
#include "frame/dates/Clock.h"
#include "frame/desktop/MessageBoxes.h"

#include <chrono>

namespace tickwell {

namespace {

// The start of the minute of `value`, `minutes` later on the calendar;
// none past the last date a value can hold.
std::optional<DateValue> minutesAfterItsStart(DateValue value, int minutes)
{
    using namespace std::chrono;
    const DateParts p = value.parts();
    const sys_seconds moved = sys_days { year { p.year } / p.month / p.day } + hours { p.hour }
        + std::chrono::minutes { p.minute + minutes };
    const auto day = floor<days>(moved);
    const year_month_day date { day };
    const hh_mm_ss time { moved - day };
    return DateValue::fromParts(int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())),
        int(time.hours().count()), int(time.minutes().count()));
}

} // namespace

void frmMain::snoozeAlarm(const QString& reminder, int minutes)
{
    std::optional<DateValue> when = minutesAfterItsStart(m_services.clock.now(), minutes);
    // A minute that already has an alarm would refuse this one as a
    // duplicate, and the reminder the user asked for would be lost: it
    // takes the next free minute instead.
    while (when && hasAlarmAt(*when))
        when = minutesAfterItsStart(*when, 1);
    if (!when)
        return;
    // Set as Set Alarm sets it; what can still go wrong is the file (or a
    // reminder made longer by hand than the editor takes), said as the
    // clock says any other write that failed.
    const QString refusal = setAlarm(*when, reminder);
    if (!refusal.isEmpty())
        m_services.messageBoxes.MsgBox(
            refusal, MessageStyle::Exclamation, QStringLiteral("Tickwell Alarm Clock"));
}

} // namespace tickwell
