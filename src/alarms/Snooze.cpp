// SPDX-License-Identifier: GPL-3.0-or-later
// frmMain's side of "remind me again": the alarm the user asks for from a
// reminder's notification.
#include "editor/frmMain.h"

#include "frame/Services.h"
#include "frame/dates/Clock.h"
#include "frame/desktop/MessageBoxes.h"

namespace tickwell {

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
    const QString refusal = setAlarm(*when, reminder.toStdString());
    if (!refusal.isEmpty())
        m_services.messageBoxes.MsgBox(
            refusal, MessageStyle::Exclamation, QStringLiteral("Tickwell Alarm Clock"));
}

} // namespace tickwell
