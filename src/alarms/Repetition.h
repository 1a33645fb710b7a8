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

// How many days of a series lie before `day`, and the day with `count`
// days of the series before it (none beyond the calendar's end): the place
// of a day in its series and back, without stepping through the days
// between. The rule's end is not looked at.
long long seriesDaysBefore(
    const RepeatRule& rule, std::chrono::sys_days first, std::chrono::sys_days day) noexcept;
std::optional<std::chrono::sys_days> nthSeriesDay(
    const RepeatRule& rule, std::chrono::sys_days first, long long count) noexcept;

// A series of alarms: the rule and its first occurrence. Its occurrences are
// the days of the rule from the first's day on, each at the first's minute
// of the day, up to the rule's end.
struct Series {
    RepeatRule rule;
    DateValue first;

    friend bool operator==(const Series&, const Series&) = default;
};

// A series starting on the first day of `rule` on or after `from`'s day, at
// `from`'s minute; none when the rule names no such day.
std::optional<Series> startSeries(const RepeatRule& rule, DateValue from);

// How many occurrences of the series lie at or before `at`.
long long occurrencesBy(const Series& series, DateValue at);
// The occurrence with `count` occurrences before it; none past the series' end.
std::optional<DateValue> nthOccurrence(const Series& series, long long count);
// How many occurrences came before `when`; none when `when` is no
// occurrence of the series (another day, another minute, past its end).
std::optional<long long> occurrenceIndex(const Series& series, DateValue when);
// The first occurrence later than `after`; none once the series has ended.
std::optional<DateValue> occurrenceAfter(const Series& series, DateValue after);

// An occurrence that has come by `now`: the latest occurrence at or before
// `now` (itself, unless more have come since), and how many occurrences that
// was in all, from it to the latest.
struct Catch {
    DateValue latest;
    long long passed = 1;
};
Catch catchUp(const Series& series, DateValue occurrence, DateValue now);

} // namespace tickwell
