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

} // namespace tickwell
