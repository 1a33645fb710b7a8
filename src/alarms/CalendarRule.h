// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/Repetition.h"

#include <optional>
#include <string>
#include <string_view>

// A repetition as an iCalendar recurrence rule (RFC 5545, 3.3.10), the
// subset the clock repeats by, with the series' first occurrence as its
// DTSTART, a local time:
//
//   FREQ=DAILY|WEEKLY|MONTHLY|YEARLY    INTERVAL=n (1 to 999)
//   BYDAY=MO,TU,...       weekly only
//   COUNT=n | UNTIL=YYYYMMDDT235959 (or YYYYMMDD)
//
// A month without the first occurrence's day (29, 30 or 31) has the series
// on its last day, which the rule says as BYMONTHDAY=28,...,day;BYSETPOS=-1;
// and a yearly series from 29 February as BYMONTH=2;BYMONTHDAY=28,29;
// BYSETPOS=-1. Those are the only BYMONTHDAY, BYMONTH and BYSETPOS read, and
// only with the first occurrence they fit; any other part makes the rule
// unreadable, so that nothing is read as something else.
namespace tickwell {

std::string formatCalendarRule(const RepeatRule& rule, DateValue first);
std::optional<RepeatRule> parseCalendarRule(std::string_view text, DateValue first);

// A local date and time as iCalendar writes one: 20301005T063000.
std::string formatCalendarDateTime(DateValue when);
std::optional<DateValue> parseCalendarDateTime(std::string_view text);

} // namespace tickwell
