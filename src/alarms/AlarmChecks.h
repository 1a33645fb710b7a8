// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/AlarmFileFormat.h"
#include "frame/dates/DateValue.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tickwell {

// Set Alarm's and Clear Alarm's rules, wherever an alarm comes from or goes:
// the editor, the running clock answering a command line, or the command
// line working on the file itself.

// What Set Alarm says when it refuses an alarm.
inline constexpr std::string_view noDateRefusal = "No Alarm Time/Date has been selected.";
inline constexpr std::string_view pastRefusal = "The Alarm Time/Date you have chosen\r\nis in the past!";
inline constexpr std::string_view duplicateRefusal = "Alarm already exists for that Time/Date.";
inline constexpr std::string_view tooLongRefusal
    = "The reminder is too long: an alarm's reminder holds at most 128 characters.";
// What adding a repeating alarm, or skipping an occurrence, says when it refuses.
inline constexpr std::string_view noOccurrenceRefusal = "The repetition has no day on or after that date.";
inline constexpr std::string_view notRepeatingRefusal = "That alarm does not repeat.";
// The editor's reminder field takes no more; the file reads no more back.
inline constexpr std::size_t longestReminder = 128;
// An alarm set with an empty reminder gets this one.
inline constexpr std::string_view defaultReminder = "You were supposed to remember something!";

struct NewAlarm {
    std::string_view refusal; // empty when the alarm may be set
    std::string reminder; // as it is stored: line breaks CR LF, the default for none
};
// Set Alarm's checks, in its order: a minute at all, not past at `now`, not
// one that `taken` says has an alarm, a reminder of at most 128 characters
// as the editor counts them (a line break two).
NewAlarm checkNewAlarm(std::optional<DateValue> when, DateValue now,
    const std::function<bool(DateValue)>& taken, std::string_view reminder);

// The alarm a clear at `when` means: the first at that minute, and with
// `reminder` where one is given (whatever its line breaks); none if none is.
std::optional<std::size_t> alarmToClear(
    std::span<const AlarmRecord> alarms, DateValue when, const std::optional<std::string>& reminder);
// What a clear that found nothing at `minute` says.
std::string nothingToClear(std::string_view minute, bool withReminder);

} // namespace tickwell
