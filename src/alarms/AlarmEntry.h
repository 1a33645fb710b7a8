// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/DateValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace tickwell {

// The text an alarm is listed under and the only place its date is held:
// "h:mm AMPM  dddd, mmmm d, yyyy", e.g. "9:30 AM  Monday, October 5, 1998".
// Seconds do not appear.
std::string alarmEntryText(DateValue when);

// Turns an entry text back into its date value: the time part (up to the
// first two blanks), then the date part (after the first comma, which drops
// the weekday), joined and converted. The weekday is never read. A text that
// is not an entry text gives no value.
std::optional<DateValue> ParseAlarmEntry(std::string_view entry) noexcept;

// What the reminder of a repeating alarm adds when its occurrences came
// `passed` times (more than once) while the clock could not announce them,
// the first at `first`: "Missed 4 times, the first at 6:30 AM  Thursday,
// October 3, 2030."
std::string missedOccurrencesNote(long long passed, DateValue first);

} // namespace tickwell
