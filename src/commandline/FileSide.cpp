// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/FileSide.h"

#include "alarms/AlarmChecks.h"
#include "alarms/AlarmFile.h"

#include <algorithm>

namespace tickwell {

namespace {

ClockReply refused(std::string text)
{
    return { ReplyKind::Refused, {}, std::move(text) };
}

ClockReply add(
    AlarmFile& file, const std::vector<AlarmRecord>& records, const ClockCommand& command, DateValue now)
{
    const std::optional<DateValue> when = resolveWhen(command.when.value_or(When {}), now);
    const NewAlarm alarm = checkNewAlarm(
        when, now,
        [&](DateValue minute) {
            return std::any_of(
                records.begin(), records.end(), [&](const AlarmRecord& r) { return r.when == minute; });
        },
        command.reminder.value_or(std::string()));
    if (!alarm.refusal.empty())
        return refused(std::string(alarm.refusal));
    const StoreResult stored = file.append(records, { *when, alarm.reminder });
    if (!stored.ok())
        return refused("The alarm could not be saved to \"" + file.displayPath().string()
            + "\": " + stored.failure + ".");
    return { ReplyKind::Ok, minuteText(*when), {} };
}

ClockReply clear(
    AlarmFile& file, std::vector<AlarmRecord> records, const ClockCommand& command, DateValue now)
{
    const std::optional<DateValue> when = resolveWhen(command.when.value_or(When {}), now);
    const std::optional<std::size_t> found
        = when ? alarmToClear(records, *when, command.reminder) : std::nullopt;
    if (!found)
        return refused(nothingToClear(minuteText(when.value_or(now)), command.reminder.has_value()));
    records.erase(records.begin() + std::ptrdiff_t(*found));
    const StoreResult stored = file.rewrite(records);
    if (!stored.ok())
        return refused("The alarm file \"" + file.displayPath().string()
            + "\" could not be written: " + stored.failure + ".");
    return { ReplyKind::Ok, {}, {} };
}

} // namespace

std::vector<ClockReply> runOnFile(AlarmFile& file, const ClockCommand& command, DateValue now)
{
    std::vector<AlarmRecord> records = file.load();
    if (!file.loadFailure().empty())
        return { refused("The alarm file \"" + file.displayPath().string()
            + "\" was not read: " + file.loadFailure() + ".") };
    switch (command.kind) {
    case CommandKind::Add:
        return { add(file, records, command, now) };
    case CommandKind::Clear:
        return { clear(file, std::move(records), command, now) };
    case CommandKind::List:
    case CommandKind::Status: {
        std::vector<ClockReply> replies;
        replies.reserve(records.size() + 1);
        for (const AlarmRecord& record : records)
            replies.push_back({ ReplyKind::Alarm, minuteText(record.when), record.reminder });
        replies.push_back({ ReplyKind::Ok, {}, {} });
        return replies;
    }
    default:
        return { refused("No clock runs for \"" + file.displayPath().string() + "\".") };
    }
}

} // namespace tickwell
