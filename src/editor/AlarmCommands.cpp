// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's commands: Set Alarm, View Reminder, emptying the reminder box,
// Close and About.
#include "editor/frmMain.h"

#include "about/frmAbout.h"
#include "alarms/AlarmChecks.h"
#include "alarms/AlarmEntry.h"
#include "frame/Forms.h"
#include "frame/Services.h"
#include "frame/dates/Clock.h"
#include "frame/desktop/MessageBoxes.h"

namespace tickwell {

namespace {
const QString cantSetAlarm = QStringLiteral("Can't Set Alarm");
}

void frmMain::cmdSetAlarm_Click()
{
    UpdateNewAlarmCaption();
    const QString refusal = setAlarm(NewAlarmDate, txtReminder.text().toStdString(), chosenRepeat());
    if (!refusal.isEmpty()) {
        m_services.messageBoxes.MsgBox(refusal, MessageStyle::Exclamation, cantSetAlarm);
        return;
    }
    txtReminder.setText(QString());
}

QString frmMain::setAlarm(
    std::optional<DateValue> when, std::string_view reminder, std::optional<RepeatRule> repeat)
{
    // A repeating alarm is checked as its first occurrence.
    const NewSeries series = newSeries(repeat, when);
    if (!series.refusal.empty())
        return QString::fromStdString(series.refusal);
    const NewAlarm alarm = checkNewAlarm(
        when, m_services.clock.now(), [this](DateValue minute) { return hasAlarmAt(minute); }, reminder);
    if (!alarm.refusal.empty())
        return QString::fromUtf8(alarm.refusal.data(), qsizetype(alarm.refusal.size()));

    // The file first: only an alarm that is safely stored is listed.
    const ListedAlarm added { { *when, alarm.reminder }, series.series };
    const AlarmStore::Written stored = appendAlarm(added);
    if (!stored.ok()) {
        const bool alarms = !stored.alarms.ok();
        return QStringLiteral("The alarm could not be saved to \"%1\": %2.")
            .arg(alarms ? alarmFilePath()
                        : QString::fromStdString(m_store.seriesFile().displayPath().string()),
                QString::fromStdString(alarms ? stored.alarms.failure : stored.series.failure));
    }
    listAlarm(added);
    alarmsChanged();
    return {};
}

QString frmMain::skipOccurrence(int row)
{
    if (row < 0 || row >= lstAlarms.listCount() || lstRepeats.list(row).isEmpty())
        return QString::fromUtf8(notRepeatingRefusal.data(), qsizetype(notRepeatingRefusal.size()));
    const std::optional<DateValue> occurrence = ParseAlarmEntry(lstAlarms.list(row));
    if (!occurrence)
        return QString::fromUtf8(notRepeatingRefusal.data(), qsizetype(notRepeatingRefusal.size()));
    moveSeriesOnAt(row, *occurrence);
    return {};
}

bool frmMain::hasAlarmAt(DateValue when) const
{
    for (int i = 0; i < lstAlarms.listCount(); ++i) {
        if (ParseAlarmEntry(lstAlarms.list(i)) == when)
            return true;
    }
    return false;
}

void frmMain::cmdViewReminder_Click()
{
    const int selected = lstAlarms.listIndex();
    if (selected == -1)
        return;
    m_services.messageBoxes.MsgBox(lstReminders.list(selected) + QStringLiteral("\r\n\r\n(")
            + lstAlarms.list(selected) + QLatin1Char(')'),
        MessageStyle::Plain, QStringLiteral("Tickwell Alarm Clock"));
}

void frmMain::txtReminder_DblClick()
{
    txtReminder.setText(QString());
}

void frmMain::cmdClose_Click()
{
    // Only hidden: the alarms go on firing.
    Hide();
}

void frmMain::Form_QueryUnload(bool& cancel, UnloadMode mode)
{
    // Closed by its window frame (Alt+F4, the title bar), the editor does
    // what its own "Close" does: unloaded, it would stop the clock.
    if (mode == UnloadMode::WindowFrame) {
        cancel = true;
        cmdClose_Click();
    }
}

void frmMain::cmdAbout_Click()
{
    forms::frmAbout->ShowModal();
}

void frmMain::Form_Activate()
{
    raise();
    InitTimeDate();
}

} // namespace tickwell
