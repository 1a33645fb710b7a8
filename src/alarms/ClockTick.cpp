// frmMain's clock tick: the present-time caption, and the alarms whose time
// has come.
#include "editor/frmMain.h"

#include "frame/Services.h"
#include "frame/dates/Clock.h"
#include "frame/dates/DateText.h"
#include "frame/desktop/MessageBoxes.h"

#include <QScopedValueRollback>

namespace tickwell {

void frmMain::tmrTimer_Timer()
{
    lblCurrentTimeDate.setCaption(
        QStringLiteral("It is now : ") + QString::fromStdString(formatEntryPattern(m_services.clock.now())));

    // Ticks go on while a reminder box is open. Only the tick that opened it
    // may scan the list: another would announce the same alarm again, or
    // remove rows from under it.
    if (m_scanningAlarms)
        return;
    const QScopedValueRollback scanning(m_scanningAlarms, true);
    // Neither the editor nor the program may end under a reminder on show.
    const BusyHold hold(*this);

    // Each check reads the clock afresh: after a box that stayed open a
    // while, the next alarm is judged by the time the box was closed.
    int i = 0;
    while (i <= lstAlarms.listCount() - 1) {
        const std::optional<DateValue> d = ParseAlarmEntry(lstAlarms.list(i));
        if (d && m_services.clock.now() >= *d) {
            // Only within its own minute; later it goes without a word.
            if (sameMinute(m_services.clock.now(), *d))
                m_services.messageBoxes.MsgBox(
                    lstReminders.list(i) + QStringLiteral("\r\n\r\n(") + lstAlarms.list(i) + u')',
                    MessageStyle::SystemModal, QStringLiteral("Tickwell Alarm Clock"));
            lstAlarms.setListIndex(i);
            cmdClearAlarm_Click(0);
            // The next alarm has moved up into row i.
        } else {
            ++i;
        }
    }
}

} // namespace tickwell
