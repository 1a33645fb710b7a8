// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/FileSide.h"

#include "alarms/AlarmChecks.h"
#include "alarms/AlarmFile.h"
#include "alarms/AlarmStore.h"
#include "alarms/RepeatWords.h"
#include "commandline/SeriesCommands.h"

#include <algorithm>

namespace tickwell {

namespace {

ClockReply refused(std::string text)
{
    return { ReplyKind::Refused, {}, std::move(text) };
}

ClockReply add(
    AlarmStore& store, std::vector<ListedAlarm>& alarms, const ClockCommand& command, DateValue now)
{
    const std::optional<DateValue> when = resolveWhen(command.when.value_or(When {}), now);
    const std::string refusal
        = addAlarm(store, alarms, when, command.reminder.value_or(std::string()), command.repeat, now);
    if (!refusal.empty())
        return refused(refusal);
    return { ReplyKind::Ok, minuteText(alarms.back().record.when), {} };
}

ClockReply clear(
    AlarmStore& store, std::vector<ListedAlarm>& alarms, const ClockCommand& command, DateValue now)
{
    const std::optional<DateValue> when = resolveWhen(command.when.value_or(When {}), now);
    const std::optional<std::size_t> found
        = when ? alarmToClear(recordsOf(alarms), *when, command.reminder) : std::nullopt;
    if (!found)
        return refused(nothingToClear(minuteText(when.value_or(now)), command.reminder.has_value()));
    const std::string failure = clearAlarm(store, alarms, *found);
    if (!failure.empty())
        return refused(failure);
    return { ReplyKind::Ok, {}, {} };
}

ClockReply skip(
    AlarmStore& store, std::vector<ListedAlarm>& alarms, const ClockCommand& command, DateValue now)
{
    const DateValue when = resolveWhen(command.when.value_or(When {}), now).value_or(now);
    const SeriesToSkip found = seriesToSkip(
        recordsOf(alarms), [&](std::size_t row) { return alarms[row].series.has_value(); }, when,
        command.reminder);
    if (!found.row)
        return refused(found.refusal);
    const std::optional<DateValue> next = stepSeries(alarms, *found.row, alarms[*found.row].record.when).next;
    const std::string failure = skipOccurrence(store, alarms, *found.row);
    if (!failure.empty())
        return refused(failure);
    return { ReplyKind::Ok, next ? minuteText(*next) : std::string(), {} };
}

} // namespace

std::vector<ClockReply> runOnFile(AlarmFile& file, const ClockCommand& command, DateValue now)
{
    AlarmStore store(file);
    std::vector<ListedAlarm> alarms = store.load();
    if (!file.loadFailure().empty())
        return { refused("The alarm file \"" + file.displayPath().string()
            + "\" was not read: " + file.loadFailure() + ".") };
    switch (command.kind) {
    case CommandKind::Add:
        return { add(store, alarms, command, now) };
    case CommandKind::Clear:
        return { clear(store, alarms, command, now) };
    case CommandKind::Skip:
        return { skip(store, alarms, command, now) };
    case CommandKind::List:
    case CommandKind::Status: {
        std::vector<ClockReply> replies;
        replies.reserve(alarms.size() + 1);
        for (const ListedAlarm& alarm : alarms)
            replies.push_back({ ReplyKind::Alarm, minuteText(alarm.record.when), alarm.record.reminder,
                alarm.series ? formatRepeatWords(alarm.series->rule) : std::string() });
        replies.push_back({ ReplyKind::Ok, {}, {} });
        return replies;
    }
    default:
        return { refused("No clock runs for \"" + file.displayPath().string() + "\".") };
    }
}

} // namespace tickwell
