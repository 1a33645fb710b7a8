// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/DateValue.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// How an alarm repeats. An occurrence is a local date and the series' minute
// of the day, held in the alarm file like any alarm: it follows the wall
// clock as a one-shot alarm does, across the changes to and from summer time
// and into other zones. Which days a series comes on is a matter of the
// calendar alone, so the zone never moves it to another day or minute.
namespace tickwell {

enum class RepeatUnit {
    Day,
    Week,
    Month,
    Year,
};

// A set of weekdays: Monday is bit 0, Sunday bit 6.
using WeekdaySet = std::uint8_t;
inline constexpr WeekdaySet mondayToFriday = 0x1f;
inline constexpr WeekdaySet saturdayAndSunday = 0x60;
inline constexpr WeekdaySet allWeekdays = 0x7f;

constexpr WeekdaySet weekdayBit(std::chrono::weekday day) noexcept
{
    return WeekdaySet(1U << (day.iso_encoding() - 1));
}

struct RepeatRule {
    RepeatUnit unit = RepeatUnit::Day;
    int interval = 1; // every `interval` days, weeks, months or years
    // For weeks: the days it comes on; none means the first occurrence's.
    WeekdaySet weekdays = 0;
    // Ends after this many occurrences, skipped ones among them, or else
    // with this day; not both.
    std::optional<int> times;
    std::optional<std::chrono::year_month_day> until;

    friend bool operator==(const RepeatRule&, const RepeatRule&) = default;
};

inline constexpr int maxRepeatInterval = 999;

// Why `rule` is no rule: empty when it is one.
std::string repeatRuleFault(const RepeatRule& rule);

// The first day of a series after `after`. `first` is its first
// occurrence's day, from which the rule counts: which weeks of "every second
// week", which day of the month, which date of the year. A month without
// that day has it on its last day; so has a year without 29 February. At
// most a few steps, however far `after` lies from `first`; none beyond the
// calendar's end. The rule's end (times, until) is not looked at.
std::optional<std::chrono::sys_days> nextSeriesDay(
    const RepeatRule& rule, std::chrono::sys_days first, std::chrono::sys_days after) noexcept;

// A series of alarms: the rule, its first occurrence, and the occurrence
// the alarm file holds for it now.
struct Series {
    RepeatRule rule;
    DateValue first; // its day, and the minute of the day every occurrence has
    DateValue next; // the occurrence set now
    int done = 0; // occurrences before `next`, announced or skipped

    friend bool operator==(const Series&, const Series&) = default;
};

// A series starting on the first day of `rule` on or after `from`'s day, at
// `from`'s minute; none when the rule names no such day.
std::optional<Series> startSeries(const RepeatRule& rule, DateValue from);

// The occurrence after the one set now, with the count that goes with it;
// none once the series has come to its end.
std::optional<Series> nextOccurrence(const Series& series);

// A series whose occurrence lies at or before `now`, moved on past it: the
// occurrence it is set to (none once it has ended), the latest occurrence
// at or before `now`, and how many occurrences that was in all.
struct Catch {
    std::optional<Series> moved;
    DateValue latest;
    int passed = 0;
};
Catch catchUp(const Series& series, DateValue now);

} // namespace tickwell
