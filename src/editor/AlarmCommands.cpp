// The editor's commands: Set Alarm, View Reminder, emptying the reminder box,
// Close and About.
#include "editor/frmMain.h"

#include "about/frmAbout.h"
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
    MessageBoxes& boxes = m_services.messageBoxes;
    UpdateNewAlarmCaption();
    if (NewAlarmDate == DateValue::noDate()) {
        boxes.MsgBox(
            QStringLiteral("No Alarm Time/Date has been selected."), MessageStyle::Exclamation, cantSetAlarm);
        return;
    }
    if (NewAlarmDate < m_services.clock.now()) {
        boxes.MsgBox(QStringLiteral("The Alarm Time/Date you have chosen\r\nis in the past!"),
            MessageStyle::Exclamation, cantSetAlarm);
        return;
    }
    bool duplicate = false;
    for (int i = 0; i < lstAlarms.listCount(); ++i) {
        if (ParseAlarmEntry(lstAlarms.list(i)) == NewAlarmDate)
            duplicate = true;
    }
    if (duplicate) {
        boxes.MsgBox(QStringLiteral("Alarm already exists for that Time/Date."), MessageStyle::Exclamation,
            cantSetAlarm);
        return;
    }

    QString reminder = txtReminder.text();
    if (reminder.isEmpty())
        reminder = QStringLiteral("You were supposed to remember something!");

    // The file first: only an alarm that is safely stored is listed.
    const StoreResult stored = appendAlarmRecord({ NewAlarmDate, reminder.toStdString() });
    if (!stored.ok()) {
        boxes.MsgBox(QStringLiteral("The alarm could not be saved to \"%1\": %2.")
                         .arg(alarmFilePath(), QString::fromStdString(stored.failure)),
            MessageStyle::Exclamation, cantSetAlarm);
        return;
    }
    lstAlarms.addItem(QString::fromStdString(alarmEntryText(NewAlarmDate)));
    lstReminders.addItem(reminder);
    txtReminder.setText(QString());
    alarmsChanged();
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
