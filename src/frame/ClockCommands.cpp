// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/ClockCommands.h"

#include "alarms/NewAlarm.h"
#include "editor/frmMain.h"
#include "frame/Forms.h"
#include "frame/dates/Clock.h"
#include "tray/frmTaskbar.h"

namespace tickwell {

namespace {

const ClockReply ok { ReplyKind::Ok, {}, {} };

ClockReply refused(const QString& text)
{
    return { ReplyKind::Refused, {}, text.toStdString() };
}

void clear(
    const Clock& clock, const ClockCommand& command, const std::function<void(const ClockReply&)>& answer)
{
    frmMain& editor = *forms::frmMain;
    const std::optional<DateValue> when = minuteOf(command, clock.now());
    for (int i = 0; when && i < editor.lstAlarms.listCount(); ++i) {
        if (editor.ParseAlarmEntry(editor.lstAlarms.list(i)) != when
            || (command.reminder
                && editor.lstReminders.list(i).toStdString() != editorLineBreaks(*command.reminder)))
            continue;
        editor.lstAlarms.setListIndex(i);
        editor.cmdClearAlarm_Click(0);
        return answer(ok);
    }
    answer(refused(QStringLiteral("No alarm is set for %1%2.")
                       .arg(QString::fromStdString(command.when),
                           command.reminder ? QStringLiteral(" with that reminder") : QString())));
}

} // namespace

void RunClockCommand(
    const Clock& clock, const ClockCommand& command, const std::function<void(const ClockReply&)>& answer)
{
    // Shutting down: nothing more is taken on.
    if (forms::frmTaskbar.isEmpty())
        return answer(refused(QStringLiteral("The clock is shutting down.")));
    frmTaskbar& tray = *forms::frmTaskbar;
    switch (command.kind) {
    case CommandKind::Show:
    case CommandKind::Edit:
        tray.mnuPopupEdit_Click();
        return answer(ok);
    case CommandKind::Activate:
        tray.mnuPopupActivate_Click();
        return answer(ok);
    case CommandKind::Deactivate:
        tray.mnuPopupDeactivate_Click();
        return answer(ok);
    case CommandKind::Quit:
        tray.mnuPopupExit_Click();
        return;
    case CommandKind::Add: {
        const std::optional<DateValue> when = minuteOf(command, clock.now());
        const QString reminder
            = QString::fromStdString(editorLineBreaks(command.reminder.value_or(std::string())));
        const QString refusal
            = when ? forms::frmMain->setAlarm(*when, reminder) : QString::fromLatin1(noDateRefusal);
        return answer(refusal.isEmpty() ? ok : refused(refusal));
    }
    case CommandKind::List: {
        const frmMain& editor = *forms::frmMain;
        for (int i = 0; i < editor.lstAlarms.listCount(); ++i) {
            if (const std::optional<DateValue> when = editor.ParseAlarmEntry(editor.lstAlarms.list(i)))
                answer({ ReplyKind::Alarm, isoMinute(*when), editor.lstReminders.list(i).toStdString() });
        }
        return answer(ok);
    }
    case CommandKind::Clear:
        // Not under a tick that waits in a reminder box: it would go on
        // through rows that had moved.
        forms::frmMain->whenIdle([&clock, command, answer] { clear(clock, command, answer); });
        return;
    }
}

} // namespace tickwell
