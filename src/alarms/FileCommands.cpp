// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/FileCommands.h"

#include "alarms/AlarmFile.h"
#include "alarms/NewAlarm.h"

#include <algorithm>

namespace tickwell {

namespace {

ClockReply refused(std::string text)
{
    return { ReplyKind::Refused, {}, std::move(text) };
}

std::vector<ClockReply> add(
    AlarmFile& file, std::vector<AlarmRecord> records, const ClockCommand& command, DateValue now)
{
    const std::optional<DateValue> when = minuteOf(command, now);
    if (!when)
        return { refused(std::string(noDateRefusal)) };
    if (*when < now)
        return { refused(std::string(pastRefusal)) };
    if (std::any_of(records.begin(), records.end(), [&](const AlarmRecord& r) { return r.when == *when; }))
        return { refused(std::string(duplicateRefusal)) };
    std::string reminder = editorLineBreaks(command.reminder.value_or(std::string()));
    if (editorLength(reminder) > longestReminder)
        return { refused(std::string(tooLongRefusal)) };
    if (reminder.empty())
        reminder = defaultReminder;
    const StoreResult stored = file.append(records, { *when, reminder });
    if (!stored.ok())
        return { refused("The alarm could not be saved to \"" + file.displayPath().string()
            + "\": " + stored.failure + ".") };
    return { { ReplyKind::Ok, {}, {} } };
}

std::vector<ClockReply> clear(
    AlarmFile& file, std::vector<AlarmRecord> records, const ClockCommand& command, DateValue now)
{
    const std::optional<DateValue> when = minuteOf(command, now);
    const auto found = std::find_if(records.begin(), records.end(), [&](const AlarmRecord& r) {
        return when && r.when == *when
            && (!command.reminder || r.reminder == editorLineBreaks(*command.reminder));
    });
    if (found == records.end())
        return { refused("No alarm is set for " + command.when
            + (command.reminder ? " with that reminder." : std::string("."))) };
    records.erase(found);
    const StoreResult stored = file.rewrite(records);
    if (!stored.ok())
        return { refused("The alarm file \"" + file.displayPath().string()
            + "\" could not be written: " + stored.failure + ".") };
    return { { ReplyKind::Ok, {}, {} } };
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
        return add(file, std::move(records), command, now);
    case CommandKind::Clear:
        return clear(file, std::move(records), command, now);
    case CommandKind::List: {
        std::vector<ClockReply> replies;
        for (const AlarmRecord& record : records)
            replies.push_back({ ReplyKind::Alarm, isoMinute(record.when), record.reminder });
        replies.push_back({ ReplyKind::Ok, {}, {} });
        return replies;
    }
    default:
        return { refused("No clock runs for \"" + file.displayPath().string() + "\".") };
    }
}

} // namespace tickwell
