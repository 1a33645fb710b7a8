// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/ClockSide.h"

#include "alarms/AlarmChecks.h"
#include "alarms/AlarmStore.h"
#include "alarms/RepeatWords.h"
#include "commandline/SeriesCommands.h"
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
const ClockReply skipsOnceClosed { ReplyKind::Waiting, {},
    "the clock skips the alarm once the box on show is closed, unless it is shut down first" };

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

void skip(const Clock& clock, const ClockCommand& command, const Answer& answer)
{
    if (shutdownBegun())
        return answer(shuttingDown);
    const DateValue when = resolveWhen(command.when.value_or(When {}), clock.now()).value_or(clock.now());
    frmMain& editor = *forms::frmMain;
    const SeriesToSkip found = seriesToSkip(
        alarms(), [&editor](std::size_t row) { return editor.repeatAt(int(row)).has_value(); }, when,
        command.reminder);
    if (!found.row)
        return answer({ ReplyKind::Refused, {}, found.refusal });
    const int row = int(*found.row);
    // Where the series goes on, worked out as the skip works it out.
    const std::optional<Series> series = editor.seriesAt(row);
    const std::optional<DateValue> occurrence = editor.ParseAlarmEntry(editor.lstAlarms.list(row));
    const std::optional<DateValue> next
        = series && occurrence ? occurrenceAfter(*series, *occurrence) : std::nullopt;
    if (const QString refusal = editor.skipOccurrence(row); !refusal.isEmpty())
        return answer({ ReplyKind::Refused, {}, refusal.toStdString() });
    answer({ ReplyKind::Ok, next ? minuteText(*next) : std::string(), {} });
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
        const QString refusal
            = forms::frmMain->setAlarm(when, command.reminder.value_or(std::string()), command.repeat);
        if (!refusal.isEmpty())
            return answer({ ReplyKind::Refused, {}, refusal.toStdString() });
        // A repeating alarm is set for its first day.
        std::optional<DateValue> first = when;
        newSeries(command.repeat, first);
        return answer({ ReplyKind::Ok, minuteText(*first), {} });
    }
    case CommandKind::Status:
        answer({ ReplyKind::State, {}, tray.mnuPopupActivate->isVisible() ? "off" : "on" });
        [[fallthrough]];
    case CommandKind::List: {
        const frmMain& editor = *forms::frmMain;
        const std::vector<AlarmRecord> records = alarms();
        for (std::size_t row = 0; row < records.size(); ++row) {
            const std::optional<RepeatRule> repeat = editor.repeatAt(int(row));
            answer({ ReplyKind::Alarm, minuteText(records[row].when), records[row].reminder,
                repeat ? formatRepeatWords(*repeat) : std::string() });
        }
        return answer(ok);
    }
    case CommandKind::Clear:
    case CommandKind::Skip:
        // Not under a tick that waits in a reminder box: it would go on
        // through rows that had moved.
        if (forms::frmMain->isBusy())
            answer(command.kind == CommandKind::Clear ? clearsOnceClosed : skipsOnceClosed);
        forms::frmMain->whenIdle([&clock, command, answer] {
            if (command.kind == CommandKind::Clear)
                clear(clock, command, answer);
            else
                skip(clock, command, answer);
        });
        return;
    }
}

} // namespace tickwell
