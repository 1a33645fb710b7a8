// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/ClockSide.h"

#include "alarms/AlarmChecks.h"
#include "editor/frmMain.h"
#include "frame/Forms.h"
#include "frame/dates/Clock.h"
#include "tray/frmTaskbar.h"

namespace tickwell {

namespace {

using Answer = std::function<void(const ClockReply&)>;

const ClockReply ok { ReplyKind::Ok, {}, {} };
const ClockReply shuttingDown { ReplyKind::Refused, {}, "The clock is shutting down." };
// Said when a command waits for the user to close the box on show.
const ClockReply shutsDownOnceClosed { ReplyKind::Waiting, {},
    "the clock shuts down once the box on show is closed" };
const ClockReply clearsOnceClosed { ReplyKind::Waiting, {},
    "the clock clears the alarm once the box on show is closed, unless it is shut down first" };

bool shutdownBegun()
{
    return forms::frmTaskbar.isEmpty() || forms::frmTaskbar->shutdownBegun();
}

// The alarms, in the order of the list.
std::vector<AlarmRecord> alarms()
{
    std::string failure;
    return forms::frmMain->recordsFromLists(failure);
}

void clear(const Clock& clock, const ClockCommand& command, const Answer& answer)
{
    if (shutdownBegun())
        return answer(shuttingDown);
    const std::optional<DateValue> when = resolveWhen(command.when.value_or(When {}), clock.now());
    const std::optional<std::size_t> found
        = when ? alarmToClear(alarms(), *when, command.reminder) : std::nullopt;
    if (!found)
        return answer({ ReplyKind::Refused, {},
            nothingToClear(minuteText(when.value_or(clock.now())), command.reminder.has_value()) });
    frmMain& editor = *forms::frmMain;
    editor.lstAlarms.setListIndex(int(*found));
    editor.cmdClearAlarm_Click(0);
    answer(ok);
}

} // namespace

void RunClockCommand(const Clock& clock, const ClockCommand& command, const Answer& answer)
{
    if (shutdownBegun())
        return answer(shuttingDown);
    frmTaskbar& tray = *forms::frmTaskbar;
    switch (command.kind) {
    case CommandKind::Show:
    case CommandKind::Edit:
        tray.mnuPopupEdit_Click();
        return answer(ok);
    case CommandKind::Preferences:
        tray.mnuPopupPreferences_Click();
        return answer(ok);
    case CommandKind::Activate:
        tray.mnuPopupActivate_Click();
        return answer(ok);
    case CommandKind::Deactivate:
        tray.mnuPopupDeactivate_Click();
        return answer(ok);
    case CommandKind::Quit:
        if (Form::busyForm())
            answer(shutsDownOnceClosed);
        tray.mnuPopupExit_Click();
        return;
    case CommandKind::Add: {
        const std::optional<DateValue> when = resolveWhen(command.when.value_or(When {}), clock.now());
        const QString refusal = forms::frmMain->setAlarm(when, command.reminder.value_or(std::string()));
        return answer(refusal.isEmpty() ? ClockReply { ReplyKind::Ok, minuteText(*when), {} }
                                        : ClockReply { ReplyKind::Refused, {}, refusal.toStdString() });
    }
    case CommandKind::Status:
        answer({ ReplyKind::State, {}, tray.mnuPopupActivate->isVisible() ? "off" : "on" });
        [[fallthrough]];
    case CommandKind::List:
        for (const AlarmRecord& alarm : alarms())
            answer({ ReplyKind::Alarm, minuteText(alarm.when), alarm.reminder });
        return answer(ok);
    case CommandKind::Clear:
        // Not under a tick that waits in a reminder box: it would go on
        // through rows that had moved.
        if (forms::frmMain->isBusy())
            answer(clearsOnceClosed);
        forms::frmMain->whenIdle([&clock, command, answer] { clear(clock, command, answer); });
        return;
    }
}

} // namespace tickwell
